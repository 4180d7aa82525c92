// Temporary stand-in used only until the run-time library's streams land.
#pragma once
#include <cstring>
#include <vector>
#include "System.h"
using Longint = int32_t;
enum : Word { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };
enum : Word { fmCreate = 0xFF00, fmOpenRead = 0, fmOpenWrite = 1, fmOpenReadWrite = 2, fmShareDenyWrite = 0x20 };
class TStream : public TObject {
 public:
  virtual Longint Read(void* Buffer, Longint Count) = 0;
  virtual Longint Write(const void* Buffer, Longint Count) = 0;
  virtual Int64 Seek(Int64 Offset, Word Origin) = 0;
  void ReadBuffer(void* b, Longint n) { if (Read(b, n) != n) throw EReadError("Stream read error"); }
  void WriteBuffer(const void* b, Longint n) { if (Write(b, n) != n) throw EWriteError("Stream write error"); }
  Int64 Position() { return Seek(0, soFromCurrent); }
  void SetPosition(Int64 p) { Seek(p, soFromBeginning); }
  virtual Int64 Size() { Int64 p = Position(); Int64 s = Seek(0, soFromEnd); Seek(p, soFromBeginning); return s; }
};
class TMemoryStream : public TStream {
 public:
  Longint Read(void* b, Longint n) override {
    Int64 left = Int64(FData.size()) - FPos; if (n > left) n = Longint(left < 0 ? 0 : left);
    if (n > 0) std::memcpy(b, FData.data() + FPos, size_t(n)); FPos += n; return n; }
  Longint Write(const void* b, Longint n) override {
    if (size_t(FPos + n) > FData.size()) FData.resize(size_t(FPos + n));
    if (n > 0) std::memcpy(FData.data() + FPos, b, size_t(n)); FPos += n; return n; }
  Int64 Seek(Int64 o, Word origin) override {
    FPos = origin == soFromBeginning ? o : origin == soFromCurrent ? FPos + o : Int64(FData.size()) + o; return FPos; }
  Int64 Size() override { return Int64(FData.size()); }
  void* Memory() { return FData.data(); }
  void Clear() { FData.clear(); FPos = 0; }
 private:
  std::vector<char> FData; Int64 FPos = 0;
};
class TFileStream : public TStream {
 public:
  TFileStream(const String&, Word) { throw EFOpenError("file streams are not available yet"); }
  Longint Read(void*, Longint) override { return 0; }
  Longint Write(const void*, Longint) override { return 0; }
  Int64 Seek(Int64, Word) override { return 0; }
};
