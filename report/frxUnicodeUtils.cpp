#include "frxUnicodeUtils.h"

#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "Utf8.h"

#include <windows.h>
// The platform maps this name to its GDI object function.
#undef GetObject

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxWideStrings, TPersistent)

namespace {
const char16_t kLineSeparator = 0x2028;
}

// ---------------------------------------------------------------------------
// Conversions

Cardinal frxCharsetToCodePage(Byte Charset) {
  switch (Charset) {
    case DEFAULT_CHARSET: return CP_UTF8;
    case MAC_CHARSET: return CP_MACCP;
    case OEM_CHARSET: return CP_OEMCP;
  }
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(Charset)), &info, TCI_SRCCHARSET))
    throw EOSError("System Error.  Code: 87.\r\nThe parameter is incorrect");
  return info.ciACP;
}

Cardinal frxCharsetToLocale(Byte Charset) {
  switch (Charset) {
    case 128: return 1041;
    case 129: return 1042;
    case 130: return 2066;
    case 134: return 2052;
    case 136: return 3076;
    case 161: return 1032;
    case 162: return 1055;
    case 163: return 1066;
    case 177: return 1037;
    case 178: return 13313;
    case 186: return 1061;
    case 204: return 1049;
    case 222: return 1054;
    case 238: return 1029;
  }
  return GetThreadLocale();
}

WideString frxAnsiToWide(const std::string& S, Byte Charset, Cardinal CodePage) {
  if (S.empty()) return WideString();
  UINT cp = CodePage ? CodePage : frxCharsetToCodePage(Charset);
  int n = MultiByteToWideChar(cp, 0, S.data(), int(S.size()), nullptr, 0);
  if (n <= 0) return WideString();
  WideString out(size_t(n), u'\0');
  MultiByteToWideChar(cp, 0, S.data(), int(S.size()), reinterpret_cast<LPWSTR>(out.data()), n);
  return out;
}

std::string frxWideToAnsi(const WideString& S, Byte Charset, Cardinal CodePage) {
  if (S.empty()) return std::string();
  UINT cp = CodePage ? CodePage : frxCharsetToCodePage(Charset);
  LPCWSTR w = reinterpret_cast<LPCWSTR>(S.data());
  int n = WideCharToMultiByte(cp, 0, w, int(S.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(cp, 0, w, int(S.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// ---------------------------------------------------------------------------
// TfrxWideStrings

WideString TfrxWideStrings::Get(Integer Index) const {
  return Index >= 0 && Index < Count() ? FLines[Index].Line : WideString();
}

TObject* TfrxWideStrings::GetObject(Integer Index) const {
  return Index >= 0 && Index < Count() ? FLines[Index].Object : nullptr;
}

void TfrxWideStrings::PutObject(Integer Index, TObject* Obj) {
  if (Index >= 0 && Index < Count()) FLines[Index].Object = Obj;
}

Integer TfrxWideStrings::Add(const WideString& S) {
  FLines.push_back(Entry{S, nullptr});
  return Count() - 1;
}

Integer TfrxWideStrings::AddObject(const WideString& S, TObject* Obj) {
  Integer i = Add(S);
  PutObject(i, Obj);
  return i;
}

void TfrxWideStrings::AddStrings(const TfrxWideStrings* List) {
  if (List == this) {
    std::vector<Entry> copy = FLines;
    FLines.insert(FLines.end(), copy.begin(), copy.end());
    return;
  }
  for (const Entry& e : List->FLines) FLines.push_back(e);
}

void TfrxWideStrings::Insert(Integer Index, const WideString& S) {
  if (Index >= 0 && Index < Count()) {
    FLines[Index].Line = S;
  } else if (Index == Count()) {
    Add(S);
  } else {
    throw Exception("Wide String Out of Bounds");
  }
}

void TfrxWideStrings::Delete(Integer Index) {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  FLines.erase(FLines.begin() + Index);
}

Integer TfrxWideStrings::IndexOf(const WideString& S) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FLines[i].Line == S) return i;
  return -1;
}

void TfrxWideStrings::Clear() { FLines.clear(); }

void TfrxWideStrings::Assign(TPersistent* Source) {
  if (auto* wide = dynamic_cast<TfrxWideStrings*>(Source)) {
    if (wide == this) return;
    Clear();
    AddStrings(wide);
  } else if (auto* strings = dynamic_cast<TStrings*>(Source)) {
    Clear();
    for (Integer i = 0; i < strings->Count(); ++i)
      AddObject(Utf8ToUtf16(strings->Strings(i)), strings->Objects(i));
  } else {
    TPersistent::Assign(Source);
  }
}

void TfrxWideStrings::AssignTo(TPersistent* Dest) {
  if (auto* wide = dynamic_cast<TfrxWideStrings*>(Dest)) {
    wide->Assign(this);
  } else if (auto* strings = dynamic_cast<TStrings*>(Dest)) {
    strings->BeginUpdate();
    try {
      strings->Clear();
      for (const Entry& e : FLines) strings->AddObject(Utf16ToUtf8(e.Line), e.Object);
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
  } else {
    TPersistent::AssignTo(Dest);
  }
}

WideString TfrxWideStrings::GetTextStr() const {
  WideString out;
  for (const Entry& e : FLines) {
    out += e.Line;
    out += u"\r\n";
  }
  return out;
}

void TfrxWideStrings::SetTextStr(const WideString& Text) {
  Clear();
  size_t i = 0, n = Text.size();
  while (i < n) {
    size_t start = i;
    while (i < n && Text[i] != u'\r' && Text[i] != u'\n' && Text[i] != kLineSeparator) ++i;
    Add(Text.substr(start, i - start));
    if (i < n && Text[i] == u'\r') ++i;
    if (i < n && Text[i] == u'\n') ++i;
    if (i < n && Text[i] == kLineSeparator) ++i;
  }
}

void TfrxWideStrings::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  // 8-bit strings of this program are UTF-8, so both forms keep every
  // character of the memo.
  Filer->DefineProperty("Strings", [this](TReader* r) { ReadLines(r); }, TWriterProc(), false);
  Filer->DefineProperty("UTF8", [this](TReader* r) { ReadLines(r); }, [this](TWriter* w) { WriteLines(w); },
                        Count() > 0);
}

void TfrxWideStrings::ReadLines(TReader* Reader) {
  Clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) Add(Utf8ToUtf16(Reader->ReadString()));
  Reader->ReadListEnd();
}

void TfrxWideStrings::WriteLines(TWriter* Writer) {
  Writer->WriteListBegin();
  for (const Entry& e : FLines) Writer->WriteString(Utf16ToUtf8(e.Line));
  Writer->WriteListEnd();
}

namespace {
WideString FromUtf16LE(const std::string& bytes, size_t from) {
  WideString out((bytes.size() - from) / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = char16_t(Byte(bytes[from + i * 2]) | Byte(bytes[from + i * 2 + 1]) << 8);
  return out;
}
std::string ReadRest(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  std::string bytes(size_t(size > 0 ? size : 0), '\0');
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), Integer(bytes.size()));
  return bytes;
}
}  // namespace

void TfrxWideStrings::LoadFromStream(TStream* Stream) {
  std::string bytes = ReadRest(Stream);
  if (bytes.size() > 2 && Byte(bytes[0]) == 0xFF && Byte(bytes[1]) == 0xFE)
    SetTextStr(FromUtf16LE(bytes, 2));
  else
    SetTextStr(Utf8ToUtf16(bytes));
}

void TfrxWideStrings::SaveToStream(TStream* Stream) {
  WideString text = GetTextStr();
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[i * 2] = char(text[i] & 0xFF);
    bytes[i * 2 + 1] = char(text[i] >> 8);
  }
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), Integer(bytes.size()));
}

void TfrxWideStrings::LoadFromFile(const String& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TfrxWideStrings::SaveToFile(const String& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void frxReadWideText(TfrxWideStrings* List, TMemoryStream* Stream) {
  List->SetTextStr(FromUtf16LE(ReadRest(Stream), 0));
}
