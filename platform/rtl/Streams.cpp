#include "Streams.h"
#include <windows.h>
#include "Utf8.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

TOVANI_IMPLEMENT_CLASS(TStream, TObject)
TOVANI_IMPLEMENT_CLASS(THandleStream, TStream)
TOVANI_IMPLEMENT_CLASS(TFileStream, THandleStream)
TOVANI_IMPLEMENT_CLASS(TCustomMemoryStream, TStream)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMemoryStream, TCustomMemoryStream)
TOVANI_IMPLEMENT_CLASS_FACTORY(TStringStream, TStream)

namespace {

const char kMemoryError[] = "Out of memory while expanding memory stream";

// The system's text for an error code, without the trailing period and line
// break, as error messages quote it.
String SystemErrorText(DWORD code) {
  char16_t buf[512];
  DWORD len = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, reinterpret_cast<LPWSTR>(buf), 512, nullptr);
  while (len > 0 && (buf[len - 1] <= u' ' || buf[len - 1] == u'.')) --len;
  if (len == 0) return "System error " + std::to_string(code);
  return Utf16ToUtf8(buf, len);
}

// Position arithmetic shared by the in-memory streams; -1 for an unknown origin.
Int64 NewPosition(Int64 Offset, Word Origin, Int64 Current, Int64 Size) {
  switch (Origin) {
    case soFromBeginning: return Offset;
    case soFromCurrent: return Current + Offset;
    case soFromEnd: return Size + Offset;
    default: return -1;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TStream

void TStream::ReadBuffer(void* Buffer, LongInt Count) {
  if (Count != 0 && (Count < 0 || Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, LongInt Count) {
  if (Count != 0 && (Count < 0 || Write(Buffer, Count) != Count))
    throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  if (Count < 0) throw EReadError("Stream read error");
  const Int64 result = Count;
  constexpr LongInt kChunk = 61440;
  std::vector<char> buffer(static_cast<size_t>(std::min<Int64>(Count, kChunk)));
  while (Count > 0) {
    LongInt n = static_cast<LongInt>(std::min<Int64>(Count, kChunk));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return result;
}

Int64 TStream::Size() {
  Int64 pos = Seek(0, soFromCurrent);
  Int64 result = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return result;
}

void TStream::SetSize(Int64) {}

// ---------------------------------------------------------------------------
// THandleStream

LongInt THandleStream::Read(void* Buffer, LongInt Count) {
  if (Count <= 0) return 0;
  DWORD done = 0;
  if (!ReadFile(static_cast<HANDLE>(FHandle), Buffer, static_cast<DWORD>(Count), &done, nullptr))
    return -1;
  return static_cast<LongInt>(done);
}

LongInt THandleStream::Write(const void* Buffer, LongInt Count) {
  if (Count <= 0) return 0;
  DWORD done = 0;
  if (!WriteFile(static_cast<HANDLE>(FHandle), Buffer, static_cast<DWORD>(Count), &done, nullptr))
    return -1;
  return static_cast<LongInt>(done);
}

Int64 THandleStream::Seek(Int64 Offset, Word Origin) {
  if (Origin > soFromEnd) return -1;
  LARGE_INTEGER dist, result;
  dist.QuadPart = Offset;
  static const DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (!SetFilePointerEx(static_cast<HANDLE>(FHandle), dist, &result, kMethod[Origin])) return -1;
  return result.QuadPart;
}

void THandleStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || Seek(NewSize, soFromBeginning) != NewSize ||
      !SetEndOfFile(static_cast<HANDLE>(FHandle)))
    throw EStreamError("Cannot set stream size. " + SystemErrorText(GetLastError()));
}

// ---------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const String& AFileName, Word Mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(AFileName) {
  std::u16string name = Utf8ToUtf16(AFileName);
  auto* wname = reinterpret_cast<LPCWSTR>(name.c_str());
  if (Mode == fmCreate) {
    FHandle = CreateFileW(wname, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
      throw EFCreateError("Cannot create file \"" + AFileName + "\". " +
                          SystemErrorText(GetLastError()));
    return;
  }
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned access = Mode & 3, share = (Mode & 0xF0) >> 4;
  if (access > 2 || share > 4) {
    throw EFOpenError("Cannot open file \"" + AFileName + "\". " +
                      SystemErrorText(ERROR_INVALID_PARAMETER));
  }
  FHandle = CreateFileW(wname, kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (FHandle == INVALID_HANDLE_VALUE)
    throw EFOpenError("Cannot open file \"" + AFileName + "\". " + SystemErrorText(GetLastError()));
}

TFileStream::~TFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(static_cast<HANDLE>(FHandle));
}

// ---------------------------------------------------------------------------
// TCustomMemoryStream

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 ASize) {
  FMemory = Ptr;
  FSize = ASize;
}

LongInt TCustomMemoryStream::Read(void* Buffer, LongInt Count) {
  if (FPosition < 0 || Count <= 0 || FPosition >= FSize) return 0;
  LongInt n = static_cast<LongInt>(std::min<Int64>(FSize - FPosition, Count));
  std::memcpy(Buffer, static_cast<char*>(FMemory) + FPosition, n);
  FPosition += n;
  return n;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, Word Origin) {
  Int64 pos = NewPosition(Offset, Origin, FPosition, FSize);
  if (pos < 0) return -1;
  FPosition = pos;
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  Int64 left = FSize;
  const char* p = static_cast<const char*>(FMemory);
  while (left > 0) {
    LongInt n = static_cast<LongInt>(std::min<Int64>(left, 0x40000000));
    Stream->WriteBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TCustomMemoryStream::SaveToFile(const String& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

// ---------------------------------------------------------------------------
// TMemoryStream

TMemoryStream::~TMemoryStream() {
  if (FMemory) std::free(FMemory);
}

void* TMemoryStream::Realloc(Int64& NewCapacity) {
  constexpr Int64 kDelta = 8192;
  if (NewCapacity > 0 && NewCapacity != FSize)
    NewCapacity = (NewCapacity + (kDelta - 1)) & ~(kDelta - 1);
  if (NewCapacity == FCapacity) return FMemory;
  if (NewCapacity == 0) {
    std::free(FMemory);
    return nullptr;
  }
  if (NewCapacity < 0 || static_cast<UInt64>(NewCapacity) > SIZE_MAX) throw EStreamError(kMemoryError);
  void* block = std::realloc(FMemory, static_cast<size_t>(NewCapacity));
  if (!block) throw EStreamError(kMemoryError);
  return block;
}

void TMemoryStream::SetCapacity(Int64 NewCapacity) {
  if (NewCapacity < 0) throw EStreamError(kMemoryError);
  Int64 capacity = NewCapacity;
  FMemory = Realloc(capacity);
  FCapacity = FMemory ? capacity : 0;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) throw EStreamError(kMemoryError);
  Int64 oldSize = FSize;
  SetCapacity(NewSize);
  FSize = NewSize;
  if (NewSize > oldSize) std::memset(static_cast<char*>(FMemory) + oldSize, 0, NewSize - oldSize);
  if (FPosition > NewSize) FPosition = NewSize;
}

LongInt TMemoryStream::Write(const void* Buffer, LongInt Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  Int64 end = FPosition + Count;
  if (end > FSize) {
    if (end > FCapacity) SetCapacity(end);
    // Bytes skipped by a seek beyond the end read back as zeros.
    if (FPosition > FSize) std::memset(static_cast<char*>(FMemory) + FSize, 0, FPosition - FSize);
    FSize = end;
  }
  std::memcpy(static_cast<char*>(FMemory) + FPosition, Buffer, Count);
  FPosition = end;
  return Count;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  Int64 count = Stream->Size();
  SetSize(count);
  char* p = static_cast<char*>(FMemory);
  Int64 left = count;
  while (left > 0) {
    LongInt n = static_cast<LongInt>(std::min<Int64>(left, 0x40000000));
    Stream->ReadBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

// ---------------------------------------------------------------------------
// TStringStream

LongInt TStringStream::Read(void* Buffer, LongInt Count) {
  Int64 size = Size();
  if (FPosition < 0 || Count <= 0 || FPosition >= size) return 0;
  LongInt n = static_cast<LongInt>(std::min<Int64>(size - FPosition, Count));
  std::memcpy(Buffer, FDataString.data() + FPosition, n);
  FPosition += n;
  return n;
}

LongInt TStringStream::Write(const void* Buffer, LongInt Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  Int64 end = FPosition + Count;
  if (end > Size()) SetSize(end);
  std::memcpy(FDataString.data() + FPosition, Buffer, Count);
  FPosition = end;
  return Count;
}

Int64 TStringStream::Seek(Int64 Offset, Word Origin) {
  Int64 pos = NewPosition(Offset, Origin, FPosition, Size());
  if (pos < 0) return -1;
  FPosition = pos;
  return FPosition;
}

void TStringStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) throw EStreamError(kMemoryError);
  try {
    FDataString.resize(static_cast<size_t>(NewSize), '\0');
  } catch (const std::exception&) {
    throw EStreamError(kMemoryError);
  }
  if (FPosition > NewSize) FPosition = NewSize;
}

String TStringStream::ReadString(LongInt Count) {
  Int64 size = Size();
  if (FPosition < 0 || Count <= 0 || FPosition >= size) return {};
  LongInt n = static_cast<LongInt>(std::min<Int64>(size - FPosition, Count));
  String result = FDataString.substr(static_cast<size_t>(FPosition), n);
  FPosition += n;
  return result;
}

void TStringStream::WriteString(const String& AString) {
  WriteBuffer(AString.data(), static_cast<LongInt>(AString.size()));
}
