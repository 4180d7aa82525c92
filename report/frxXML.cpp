#include "frxXML.h"

#include <windows.h>
// The platform maps these names to its window-property functions.
#undef GetProp
#undef SetProp

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DateUtils.h"
#include "Streams.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "Variant.h"

TOVANI_IMPLEMENT_CLASS(TfrxInvalidXMLException, Exception)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxXMLItem, TObject)
TOVANI_IMPLEMENT_CLASS(TfrxXMLReader, TObject)
TOVANI_IMPLEMENT_CLASS(TfrxXMLWriter, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxXMLDocument, TObject)

namespace {

const char kInvalidFormat[] = "Invalid file format";
// The attribute that marks a subtree written while swapped out.
const char kUnloadAttr[] = "ld=\"0\"";
const size_t kUnloadAttrLen = 6;
const Integer kBufferSize = 4096;
// Nesting deeper than this is refused rather than risking the stack: report
// files are a handful of levels deep.
const int kMaxDepth = 1000;

[[noreturn]] void InvalidFormat() { throw TfrxInvalidXMLException(kInvalidFormat); }

// Attribute names and element names are ASCII; upper-casing byte by byte
// keeps byte offsets of UTF-8 and code page 936 texts unchanged.
String UpperAscii(String s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}
String LowerAscii(String s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}
bool SameTextAscii(const String& a, const String& b) {
  return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

// Position of the attribute Name in Text: the index of its name (0-based) and
// of the first character of its value; npos when it is not there.
size_t FindAttr(const String& Text, const String& Name, size_t& ValueStart) {
  String hay = " " + UpperAscii(Text);
  String needle = " " + UpperAscii(Name) + "=\"";
  size_t p = hay.find(needle);
  if (p == String::npos) return String::npos;
  // In Text, the name starts at p (the blank of hay is the extra first byte).
  ValueStart = p + needle.size() - 1;
  return p;
}

}  // namespace

// ---------------------------------------------------------------------------
// Escaping

String frxEscapeXMLText(const String& Value) {
  String out;
  out.reserve(Value.size() + 16);
  for (size_t i = 0; i < Value.size(); ++i) {
    char c = Value[i];
    switch (c) {
      case '&':
        // A literal "&quot;" is stored as the quote it stands for.
        if (Value.compare(i, 6, "&quot;") == 0) {
          out += "&#34;";
          i += 5;
        } else {
          out += "&#38;";
        }
        break;
      case '"': out += "&#34;"; break;
      case '<': out += "&#60;"; break;
      case '>': out += "&#62;"; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += "&#10;"; break;
      default: out += c;
    }
  }
  return out;
}

String frxUnescapeXMLText(const String& Text) {
  String out;
  out.reserve(Text.size());
  const size_t n = Text.size();
  size_t i = 0;
  while (i < n) {
    char c = Text[i];
    if (c == '&' && i + 1 < n) {
      if (Text[i + 1] == '#' && i + 2 < n) {
        size_t semi = Text.find(';', i + 2);
        // Without its ";" the reference is left as text.
        if (semi != String::npos) {
          String digits = Text.substr(i + 2, semi - i - 2);
          bool ok = !digits.empty() && digits.size() <= 9;
          for (char d : digits)
            if (d < '0' || d > '9') ok = false;
          if (!ok) throw EConvertError("'" + Utf8Escaped(digits) + "' is not a valid integer value");
          out += char(std::stoi(digits) & 0xFF);
          i = semi + 1;
          continue;
        }
      } else if (Text.compare(i, 6, "&quot;") == 0) {
        out += '"';
        i += 6;
        continue;
      } else if (Text.compare(i, 5, "&amp;") == 0) {
        out += '&';
        i += 5;
        continue;
      } else if (Text.compare(i, 4, "&lt;") == 0) {
        out += '<';
        i += 4;
        continue;
      } else if (Text.compare(i, 4, "&gt;") == 0) {
        out += '>';
        i += 4;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

String frxFloatToXMLText(Double Value) {
  // The short form where it reads back as the same double; otherwise the 17
  // significant digits that always do (1.79769313486232E308, the short form
  // of the largest double, would read as out of range).
  String s = FloatToStr(Value);
  Extended back = 0;
  if (!std::isfinite(Value) || (TryStrToFloat(s, back) && back == Value)) return s;
  return FloatToStrF(Value, ffGeneral, 17, 0);
}

String frxVariantToXMLText(const Variant& Value) {
  switch (Value.Kind()) {
    // Every integer kind is written as its number, so that no value is
    // silently stored as empty.
    case varSmallint:
    case varInteger:
    case varByte:
    case varShortInt:
    case varWord:
    case varLongWord:
    case varInt64: return IntToStr(Value.AsInt64());
    case varSingle:
    case varDouble:
    case varCurrency: return frxFloatToXMLText(Value.AsDouble());
    case varDate: return DateToStr(Value.AsDateTime());
    case varOleStr:
    case varString:
    case varVariant: return frxEscapeXMLText(Value.AsString());
    case varBoolean: return Value.AsBoolean() ? "1" : "0";
    default: return String();
  }
}

// ---------------------------------------------------------------------------
// TfrxXMLItem

TfrxXMLItem::TfrxXMLItem() = default;

TfrxXMLItem::~TfrxXMLItem() {
  Clear();
  DetachFromParent();
}

void TfrxXMLItem::DetachFromParent() {
  if (FParent && FParent->FItems) {
    auto& v = *FParent->FItems;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end()) v.erase(it);
  }
  FParent = nullptr;
}

void TfrxXMLItem::Clear() {
  if (FItems) {
    // Children remove themselves from the list as they go.
    while (!FItems->empty()) delete FItems->back();
    FItems.reset();
  }
  if (FUnloadable) FLoaded = false;
}

TfrxXMLItem* TfrxXMLItem::Add() {
  auto* item = new TfrxXMLItem();
  AddItem(item);
  return item;
}

void TfrxXMLItem::AddItem(TfrxXMLItem* Item) {
  Item->DetachFromParent();
  if (!FItems) FItems = std::make_unique<std::vector<TfrxXMLItem*>>();
  FItems->push_back(Item);
  Item->FParent = this;
}

void TfrxXMLItem::InsertItem(Integer Index, TfrxXMLItem* Item) {
  AddItem(Item);
  auto& v = *FItems;
  if (Index < 0 || size_t(Index) >= v.size())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  v.pop_back();
  v.insert(v.begin() + Index, Item);
}

Integer TfrxXMLItem::IndexOf(const TfrxXMLItem* Item) const {
  if (!FItems) return -1;
  auto it = std::find(FItems->begin(), FItems->end(), Item);
  return it == FItems->end() ? -1 : Integer(it - FItems->begin());
}

Integer TfrxXMLItem::Find(const String& Name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (SameTextAscii((*FItems)[i]->FName, Name)) return i;
  return -1;
}

TfrxXMLItem* TfrxXMLItem::FindItem(const String& Name) {
  Integer i = Find(Name);
  if (i >= 0) return (*FItems)[i];
  TfrxXMLItem* item = Add();
  item->FName = Name;
  return item;
}

TfrxXMLItem* TfrxXMLItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return (*FItems)[Index];
}

void TfrxXMLItem::SetStreamPos(UInt64 v) {
  FHiOffset = Byte(v >> 32);
  FLoOffset = Cardinal(v);
}

String TfrxXMLItem::GetProp(const String& Name) const {
  size_t value;
  if (FindAttr(FText, Name, value) == String::npos) return String();
  size_t end = FText.find('"', value);
  if (end == String::npos) end = FText.size();
  return frxUnescapeXMLText(FText.substr(value, end - value));
}

void TfrxXMLItem::SetProp(const String& Name, const String& Value) {
  size_t value;
  size_t at = FindAttr(FText, Name, value);
  if (at != String::npos) {
    size_t end = FText.find('"', value);
    end = end == String::npos ? FText.size() : end + 1;
    FText.erase(at, end - at);
  } else {
    at = FText.size();
  }
  String attr = Name + "=\"" + frxEscapeXMLText(Value) + "\"";
  if (at > 0 && FText[at - 1] != ' ') attr = " " + attr;
  FText.insert(at, attr);
}

// ---------------------------------------------------------------------------
// TfrxXMLReader

TfrxXMLReader::TfrxXMLReader(TStream* Stream) : FStream(Stream), FBuffer(kBufferSize) {
  FStart = Stream->Position();
  FSize = Stream->Size();
  FPosition = FStart;
}

TfrxXMLReader::~TfrxXMLReader() {
  // Leave the stream right after the last byte used, not after the read-ahead.
  FStream->SetPosition(FPosition);
}

void TfrxXMLReader::SetPosition(Int64 Value) {
  FPosition = Value;
  FBufferFill = 0;
  FBufferIndex = 0;
  FStream->SetPosition(Value);
}

int TfrxXMLReader::ReadByte() {
  if (FBufferIndex >= FBufferFill) {
    if (FPosition >= FSize) return -1;
    Int64 want = std::min<Int64>(kBufferSize, FSize - FPosition);
    FBufferFill = FStream->Read(FBuffer.data(), Integer(want));
    FBufferIndex = 0;
    if (FBufferFill <= 0) {
      FBufferFill = 0;
      return -1;
    }
  }
  ++FPosition;
  return (unsigned char)FBuffer[FBufferIndex++];
}

void TfrxXMLReader::ReadTag(String& Name, String& Text) {
  enum { Outside, InTag, InComment } state = Outside;
  String tag;
  int dashes = 0;
  Name.clear();
  Text.clear();
  for (;;) {
    int c = ReadByte();
    if (c < 0) {
      if (state == InTag) InvalidFormat();
      return;  // end of data: empty tag
    }
    switch (state) {
      case Outside:
        if (c == '<') {
          state = InTag;
          tag.clear();
        }
        break;
      case InTag:
        if (c == '>') goto done;
        if (c == '<') InvalidFormat();
        tag += char(c);
        if (tag.size() == 3 && tag == "!--") {
          state = InComment;
          tag.clear();
          dashes = 0;
        }
        break;
      case InComment:
        if (c == '>' && dashes == 2) state = Outside;
        dashes = c == '-' ? dashes + 1 : 0;
        break;
    }
  }
done:
  if (!tag.empty() && tag.back() == ' ') tag.pop_back();
  size_t blank = tag.find(' ');
  if (blank == String::npos) {
    Name = tag;
  } else {
    Name = tag.substr(0, blank);
    Text = tag.substr(blank + 1);
  }
}

void TfrxXMLReader::ReadDeclaration() {
  String name, text;
  ReadTag(name, text);
  if (name.compare(0, 4, "?xml") != 0) InvalidFormat();
  size_t p = text.find("version=");
  if (p != String::npos && p + 9 <= text.size() && text.compare(p + 9, 3, "1.0") == 0)
    FLegacy = true;
}

void TfrxXMLReader::ReadElement(TfrxXMLItem* Node, Boolean ReadWhole) {
  ReadElementAt(Node, ReadWhole, 0);
}

namespace {
// Finds the unload attribute in an attribute text: at its start or after a
// blank (as this writer puts it), or glued to a preceding closing quote (as
// older writers put it). Returns the first byte to remove or npos.
size_t FindUnloadAttr(const String& text, size_t& len) {
  String lower = LowerAscii(text);
  size_t p = lower.find(kUnloadAttr);
  while (p != String::npos) {
    if (p == 0) {
      len = kUnloadAttrLen;
      return 0;
    }
    if (lower[p - 1] == ' ') {
      len = kUnloadAttrLen + 1;
      return p - 1;
    }
    if (lower[p - 1] == '"') {
      len = kUnloadAttrLen;
      return p;
    }
    p = lower.find(kUnloadAttr, p + 1);
  }
  return String::npos;
}
}  // namespace

void TfrxXMLReader::ReadElementAt(TfrxXMLItem* Node, Boolean ReadWhole, int Depth) {
  if (Depth > kMaxDepth) InvalidFormat();
  Int64 start = FPosition;
  String name, text;
  ReadTag(name, text);
  Node->FName = name;
  Node->FText = text;
  if (name.empty() || name[0] == '/') return;

  if (name.back() == '/') {
    Node->FName.pop_back();
    return;
  }
  if (!text.empty() && text.back() == '/') {
    Node->FText.pop_back();
    return;
  }

  for (;;) {
    auto* child = new TfrxXMLItem();
    try {
      ReadElementAt(child, ReadWhole, Depth + 1);
    } catch (...) {
      // Keep what was read so far in the tree, as the caller sees it.
      if (!child->FName.empty() && child->FName[0] != '/')
        Node->AddItem(child);
      else
        delete child;
      throw;
    }
    if (child->FName.empty() || child->FName[0] == '/') {
      bool mismatch = !child->FName.empty() && !SameTextAscii(child->FName, "/" + Node->FName);
      delete child;
      if (mismatch) InvalidFormat();
      break;
    }
    Node->AddItem(child);
  }

  size_t len = 0;
  size_t at = FindUnloadAttr(Node->FText, len);
  if (at != String::npos) {
    Node->FText.erase(at, len);
    if (!ReadWhole) {
      Node->Clear();
      Node->SetStreamPos(UInt64(start));
      Node->FUnloadable = true;
      Node->FLoaded = false;
      Node->FInTempFile = false;
    }
  }
}

// ---------------------------------------------------------------------------
// TfrxXMLWriter

TfrxXMLWriter::TfrxXMLWriter(TStream* Stream) : FStream(Stream) {}

TfrxXMLWriter::~TfrxXMLWriter() = default;

void TfrxXMLWriter::Flush() {
  if (!FPending.empty()) {
    FStream->WriteBuffer(FPending.data(), Integer(FPending.size()));
    FPending.clear();
  }
}

void TfrxXMLWriter::WriteLn(const String& s, int Level) {
  if (Indented) {
    FPending.append(size_t(Level) * 2, ' ');
    FPending += s;
    FPending += "\r\n";
  } else {
    FPending += s;
  }
  if (FPending.size() > size_t(kBufferSize)) Flush();
}

void TfrxXMLWriter::WriteHeader() {
  WriteLn("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0);
}

void TfrxXMLWriter::WriteRootItem(TfrxXMLItem* Item) {
  WriteItem(Item, 0);
  Flush();
}

void TfrxXMLWriter::WriteItem(TfrxXMLItem* Item, int Level) {
  // A swapped-out node is read back for the time it is written.
  bool reloaded = false;
  if (Item->Swappable() && !Item->Loaded() && Document && Document->StreamOf(Item)) {
    Document->ReadSwapped(Item);
    reloaded = true;
  }

  String tag = "<" + Item->Name();
  const String& text = Item->AttrText();
  if (!text.empty() || Item->Swappable()) {
    String part = text;
    if (Item->Swappable()) {
      // The unload attribute keeps its blank so that it can be found again.
      if (!part.empty() && part.back() != ' ') part += ' ';
      part += kUnloadAttr;
    }
    if (part[0] != ' ') tag += ' ';
    tag += part;
  }
  if (Item->Count() > 0) {
    WriteLn(tag + ">", Level);
    for (Integer i = 0; i < Item->Count(); ++i) WriteItem(Item->Items(i), Level + 1);
    WriteLn("</" + Item->Name() + ">", Level);
  } else {
    WriteLn(tag + "/>", Level);
  }

  if (reloaded) Item->Clear();
}

// ---------------------------------------------------------------------------
// TfrxXMLDocument

TfrxXMLDocument::TfrxXMLDocument() : FRoot(std::make_unique<TfrxXMLItem>()) {}

TfrxXMLDocument::~TfrxXMLDocument() {
  DropTempFile();
  FRoot.reset();
}

void TfrxXMLDocument::Clear() {
  DropTempFile();
  FRoot->Clear();
}

TStream* TfrxXMLDocument::StreamOf(const TfrxXMLItem* Item) const {
  return Item->FInTempFile ? FTempStream.get() : FSourceStream.get();
}

void TfrxXMLDocument::LoadFromStream(TStream* Stream, Boolean AllowPartialLoading) {
  DropTempFile();
  FRoot->Clear();
  FRoot->SetStreamPos(0);
  // With partial loading the document owns the stream even when loading fails.
  std::unique_ptr<TStream> owned(AllowPartialLoading ? Stream : nullptr);
  {
    TfrxXMLReader reader(Stream);
    reader.ReadDeclaration();
    FOldVersion = reader.LegacyVersion();
    reader.ReadElement(FRoot.get(), !AllowPartialLoading);
  }
  // A document needs a root element: one that is only a declaration, or
  // starts with a closing tag, has none (and would be saved as "</>",
  // growing a "/" at every save).
  if (FRoot->FName.empty() || FRoot->FName[0] == '/') {
    FRoot->FName.clear();
    FRoot->FText.clear();
    InvalidFormat();
  }
  FSourceStream = std::move(owned);
}

void TfrxXMLDocument::SaveToStream(TStream* Stream) {
  TfrxXMLWriter writer(Stream);
  writer.Indented = FAutoIndent;
  writer.Document = this;
  writer.WriteHeader();
  writer.WriteRootItem(FRoot.get());
}

void TfrxXMLDocument::OpenTempFile() {
  if (FSwapInMemory) {
    FTempStream = std::make_unique<TMemoryStream>();
    return;
  }
  char16_t folder[MAX_PATH + 1] = {};
  std::u16string dir;
  if (!FTempDir.empty()) {
    int n = MultiByteToWideChar(CP_UTF8, 0, FTempDir.data(), int(FTempDir.size()), nullptr, 0);
    dir.resize(n);
    MultiByteToWideChar(CP_UTF8, 0, FTempDir.data(), int(FTempDir.size()),
                        reinterpret_cast<LPWSTR>(dir.data()), n);
    DWORD attr = GetFileAttributesW(reinterpret_cast<LPCWSTR>(dir.c_str()));
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) dir.clear();
  }
  if (dir.empty()) {
    GetTempPathW(MAX_PATH, reinterpret_cast<LPWSTR>(folder));
    dir = folder;
  }
  char16_t name[MAX_PATH + 16] = {};
  if (!GetTempFileNameW(reinterpret_cast<LPCWSTR>(dir.c_str()), L"fr", 0,
                        reinterpret_cast<LPWSTR>(name)))
    throw EFCreateError("Cannot create a temporary file in \"" + FTempDir + "\"");
  std::u16string wname(name);
  int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(wname.data()), int(wname.size()),
                              nullptr, 0, nullptr, nullptr);
  String utf8(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(wname.data()), int(wname.size()),
                      utf8.data(), n, nullptr, nullptr);
  FTempStream = std::make_unique<TFileStream>(utf8, fmOpenReadWrite);
  FTempFileName = utf8;
}

void TfrxXMLDocument::DropTempFile() {
  DropSwapped();
  FSourceStream.reset();
}

void TfrxXMLDocument::DropSwapped() {
  if (FTempStream && FTempFileName.empty()) {
    FTempStream.reset();
  } else if (FTempStream) {
    FTempStream.reset();
    std::u16string w;
    int n = MultiByteToWideChar(CP_UTF8, 0, FTempFileName.data(), int(FTempFileName.size()), nullptr, 0);
    w.resize(n);
    MultiByteToWideChar(CP_UTF8, 0, FTempFileName.data(), int(FTempFileName.size()),
                        reinterpret_cast<LPWSTR>(w.data()), n);
    DeleteFileW(reinterpret_cast<LPCWSTR>(w.c_str()));
    FTempFileName.clear();
  }
}

void TfrxXMLDocument::UnloadItem(TfrxXMLItem* Item) {
  if (!Item->Loaded() || !Item->Swappable()) return;
  if (!FTempStream) OpenTempFile();
  Int64 pos = FTempStream->Size();
  FTempStream->SetPosition(pos);
  {
    TfrxXMLWriter writer(FTempStream.get());
    writer.Indented = false;
    writer.Document = this;
    writer.WriteRootItem(Item);
  }
  Item->SetStreamPos(UInt64(pos));
  Item->FInTempFile = true;
  Item->Clear();
}

void TfrxXMLDocument::ReadSwapped(TfrxXMLItem* Item) {
  TStream* stream = StreamOf(Item);
  String name = Item->FName, text = Item->FText;
  while (Item->Count() > 0) delete Item->Items(Item->Count() - 1);
  stream->SetPosition(Int64(Item->StreamPos()));
  {
    TfrxXMLReader reader(stream);
    reader.ReadElement(Item, true);
  }
  // The copy in memory is the current one.
  Item->FName = name;
  Item->FText = text;
}

void TfrxXMLDocument::DropLoaded(TfrxXMLItem* Item) {
  if (Item->Swappable() && Item->Loaded() && StreamOf(Item)) Item->Clear();
}

void TfrxXMLDocument::LoadItem(TfrxXMLItem* Item) {
  if (!Item->Swappable() || Item->Loaded() || !StreamOf(Item)) return;
  ReadSwapped(Item);
  Item->FLoaded = true;
}
