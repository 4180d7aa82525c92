// Streams: the abstract TStream and the file, handle, memory and string
// streams built on it. Positions and sizes are 64-bit; a single Read or
// Write moves at most a LongInt's worth of bytes.
#pragma once
#include "System.h"

// Seek origins (the numeric values are those scripts and callers pass).
constexpr Word soFromBeginning = 0;
constexpr Word soFromCurrent = 1;
constexpr Word soFromEnd = 2;
enum TSeekOrigin : Word { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// File open modes: one access mode plus one share mode; fmCreate alone
// creates (or empties) the file and opens it for reading and writing.
constexpr Word fmCreate = 0xFFFF;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
  TOVANI_CLASS(TStream, TObject)
 public:
  // Reads up to Count bytes; answers how many were read (0 at the end).
  virtual LongInt Read(void* Buffer, LongInt Count) = 0;
  // Writes up to Count bytes; answers how many were written.
  virtual LongInt Write(const void* Buffer, LongInt Count) = 0;
  // Moves the position; answers the new position (-1 when the stream
  // cannot seek there). Size is measured by seeking to the end, so a stream
  // that limits what Seek shows limits Size too.
  virtual Int64 Seek(Int64 Offset, Word Origin) = 0;

  // Read/Write that must move exactly Count bytes: EReadError
  // "Stream read error" / EWriteError "Stream write error" otherwise.
  void ReadBuffer(void* Buffer, LongInt Count);
  void WriteBuffer(const void* Buffer, LongInt Count);
  // Copies Count bytes from Source's current position (Count 0: the whole of
  // Source from its beginning); answers the number of bytes copied.
  Int64 CopyFrom(TStream* Source, Int64 Count);

  Int64 Position() { return Seek(0, soFromCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soFromBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 NewSize);
};

// A stream over an open Win32 file handle, which it does not close.
class THandleStream : public TStream {
  TOVANI_CLASS(THandleStream, TStream)
 public:
  explicit THandleStream(void* AHandle) : FHandle(AHandle) {}
  LongInt Read(void* Buffer, LongInt Count) override;    // -1 on a system error
  LongInt Write(const void* Buffer, LongInt Count) override;  // -1 on a system error
  Int64 Seek(Int64 Offset, Word Origin) override;
  void SetSize(Int64 NewSize) override;
  void* Handle() const { return FHandle; }

 protected:
  void* FHandle;
};

// A stream over a named file, opened with a mode of the fm... constants.
// Failure raises EFCreateError "Cannot create file "<name>". <reason>" or
// EFOpenError "Cannot open file "<name>". <reason>".
class TFileStream : public THandleStream {
  TOVANI_CLASS(TFileStream, THandleStream)
 public:
  TFileStream(const String& AFileName, Word Mode);
  ~TFileStream() override;
  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
};

// A stream over a block of memory owned elsewhere (or by a derived class).
class TCustomMemoryStream : public TStream {
  TOVANI_CLASS(TCustomMemoryStream, TStream)
 public:
  LongInt Read(void* Buffer, LongInt Count) override;
  Int64 Seek(Int64 Offset, Word Origin) override;
  void SaveToStream(TStream* Stream);
  void SaveToFile(const String& FileName);
  void* Memory() const { return FMemory; }

 protected:
  void SetPointer(void* Ptr, Int64 ASize);

  void* FMemory = nullptr;
  Int64 FSize = 0;
  Int64 FPosition = 0;
};

// A growable stream in memory. Capacity grows in steps (see Realloc);
// running out of memory raises EStreamError "Out of memory while expanding
// memory stream".
class TMemoryStream : public TCustomMemoryStream {
  TOVANI_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  LongInt Write(const void* Buffer, LongInt Count) override;
  void SetSize(Int64 NewSize) override;
  void Clear();
  // Replaces the contents with the whole of Stream (read from its start).
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  Int64 Capacity() const { return FCapacity; }

 protected:
  void SetCapacity(Int64 NewCapacity);
  // Gives the block for NewCapacity bytes (a new, moved or freed block;
  // null for 0) and may round NewCapacity up. The default rounds a request
  // that differs from the size up to a multiple of 8192 and uses the C heap.
  // A derived class that allocates differently must call Clear() in its own
  // destructor so that the block is released by its own Realloc.
  virtual void* Realloc(Int64& NewCapacity);

  Int64 FCapacity = 0;
};

// A stream over a string of bytes (DataString).
class TStringStream : public TStream {
  TOVANI_CLASS(TStringStream, TStream)
 public:
  explicit TStringStream(String AString = String()) : FDataString(std::move(AString)) {}
  LongInt Read(void* Buffer, LongInt Count) override;
  LongInt Write(const void* Buffer, LongInt Count) override;
  Int64 Seek(Int64 Offset, Word Origin) override;
  Int64 Size() override { return static_cast<Int64>(FDataString.size()); }
  void SetSize(Int64 NewSize) override;
  // Reads up to Count bytes from the position as a string.
  String ReadString(LongInt Count);
  // Writes the bytes of AString at the position.
  void WriteString(const String& AString);
  const String& DataString() const { return FDataString; }

 private:
  String FDataString;
  Int64 FPosition = 0;
};
