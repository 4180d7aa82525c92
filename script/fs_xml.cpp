// Script XML model: elements with raw attribute text, a buffered tag reader
// and a line writer.
#include "fs_xml.h"

#include <algorithm>
#include <cstring>

#include "Streams.h"
#include "SysUtils.h"
#include "fs_iinterpreter.h"

TOVANI_IMPLEMENT_CLASS(TfsXMLItem, TObject)
TOVANI_IMPLEMENT_CLASS(TfsXMLDocument, TObject)

namespace {

const char* const SInvalidFileFormat = "Invalid file format";

[[noreturn]] void FormatError() { throw Exception(SInvalidFileFormat); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

bool SameTextAt(const String& s, size_t pos, const String& what) {
  if (pos + what.size() > s.size()) return false;
  for (size_t i = 0; i < what.size(); ++i)
    if (UpperAscii(s[pos + i]) != UpperAscii(what[i])) return false;
  return true;
}

// Position of the name of attribute `name` in `text` (a name at the very
// start counts as if a blank preceded it), or npos.
size_t FindAttr(const String& text, const String& name) {
  for (size_t p = 0; p < text.size(); ++p) {
    if (p > 0 && text[p - 1] != ' ') continue;
    if (!SameTextAt(text, p, name)) continue;
    size_t q = p + name.size();
    if (q + 1 < text.size() && text[q] == '=' && text[q + 1] == '"') return p;
  }
  return String::npos;
}

void AppendCode(String& out, unsigned code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x110000) {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += '?';
  }
}

}  // namespace

String EscapeXMLText(const String& S) {
  String r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    char c = S[i];
    switch (c) {
      case '\n': r += "&#10;"; break;
      case '\r': r += "&#13;"; break;
      case '"': r += "&#34;"; break;
      case '<': r += "&#60;"; break;
      case '>': r += "&#62;"; break;
      case '&':
        if (S.compare(i + 1, 5, "quot;") == 0) {
          r += "&#34;";
          i += 5;
        } else {
          r += '&';
        }
        break;
      default: r += c;
    }
  }
  return r;
}

String UnescapeXMLText(const String& S) {
  if (S.find('&') == String::npos) return S;
  String r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    char c = S[i];
    if (c == '&') {
      if (i + 1 < S.size() && S[i + 1] == '#') {
        size_t semi = S.find(';', i + 2);
        if (semi != String::npos) {
          // A reference that is not a decimal number is a conversion error.
          Integer code = StrToInt(S.substr(i + 2, semi - i - 2));
          if (code < 0) throw EConvertError("'" + S.substr(i + 2, semi - i - 2) + "' is not a valid integer value");
          AppendCode(r, unsigned(code));
          i = semi;
          continue;
        }
      } else if (S.compare(i + 1, 5, "quot;") == 0) {
        r += '"';
        i += 5;
        continue;
      }
    }
    r += c;
  }
  return r;
}

// ---------------------------------------------------------------------------
// TfsXMLItem

TfsXMLItem::~TfsXMLItem() {
  // A script may have made this item and handed it to a parent.
  fsForgetScriptObject(this);
  Clear();
  if (FParent) FParent->Detach(this);
}

void TfsXMLItem::Detach(TfsXMLItem* Item) {
  // Children usually leave from the end (the parser removes the newest).
  for (size_t i = FItems.size(); i-- > 0;)
    if (FItems[i] == Item) {
      FItems.erase(FItems.begin() + i);
      break;
    }
  Item->FParent = nullptr;
}

TfsXMLItem* TfsXMLItem::Add() {
  auto* item = new TfsXMLItem;
  AddItem(item);
  return item;
}

void TfsXMLItem::AddItem(TfsXMLItem* Item) {
  if (Item->FParent) Item->FParent->Detach(Item);
  FItems.push_back(Item);
  Item->FParent = this;
}

void TfsXMLItem::InsertItem(Integer Index, TfsXMLItem* Item) {
  AddItem(Item);
  if (Index < 0 || Index >= Integer(FItems.size())) return;
  FItems.pop_back();
  FItems.insert(FItems.begin() + Index, Item);
}

void TfsXMLItem::Clear() {
  std::vector<TfsXMLItem*> items;
  items.swap(FItems);
  for (TfsXMLItem* item : items) {
    item->FParent = nullptr;
    delete item;
  }
}

Integer TfsXMLItem::Find(const String& AName) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameText(FItems[i]->Name, AName)) return Integer(i);
  return -1;
}

TfsXMLItem* TfsXMLItem::FindItem(const String& AName) {
  Integer i = Find(AName);
  if (i >= 0) return FItems[i];
  TfsXMLItem* item = Add();
  item->Name = AName;
  return item;
}

TfsXMLItem* TfsXMLItem::Root() {
  TfsXMLItem* r = this;
  while (r->FParent) r = r->FParent;
  return r;
}

TfsXMLItem* TfsXMLItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Integer(FItems.size()))
    throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  return FItems[Index];
}

String TfsXMLItem::Prop(const String& AName) const {
  size_t p = FindAttr(Text, AName);
  if (p == String::npos) return String();
  size_t start = p + AName.size() + 2;
  size_t end = Text.find('"', start);
  if (end == String::npos) end = Text.size();
  return UnescapeXMLText(Text.substr(start, end - start));
}

void TfsXMLItem::SetProp(const String& AName, const String& Value) {
  String pair = AName + "=\"" + EscapeXMLText(Value) + "\"";
  size_t p = FindAttr(Text, AName);
  if (p != String::npos) {
    size_t start = p + AName.size() + 2;
    size_t end = Text.find('"', start);
    end = end == String::npos ? Text.size() : end + 1;
    Text.replace(p, end - p, pair);
  } else {
    if (!Text.empty() && Text.back() != ' ') Text += ' ';
    Text += pair;
  }
}

void TfsXMLItem::CopyTree(const TfsXMLItem* Source) {
  Clear();
  if (!Source) return;
  Name = Source->Name;
  Text = Source->Text;
  Data = Source->Data;
  for (TfsXMLItem* child : Source->FItems) Add()->CopyTree(child);
}

// ---------------------------------------------------------------------------
// Reader and writer

namespace {

class TfsXMLReader {
 public:
  explicit TfsXMLReader(TStream* Stream) : FStream(Stream) {
    FPosition = Stream->Position();
    FSize = Stream->Size();
  }
  // Leaves the stream just behind the last character consumed.
  ~TfsXMLReader() {
    try {
      FStream->SetPosition(FPosition);
    } catch (...) {
    }
  }

  // Reads the next tag (comments skipped) into name and attribute text;
  // both empty at the end of the stream.
  void NextTag(String& Name, String& Attrs) {
    Name.clear();
    Attrs.clear();
    String tag;
    tag.reserve(4096);
    int state = 0;   // 0 outside a tag, 1 inside, 2 comment
    int hyphens = 0;
    char c;
    while (ReadChar(c)) {
      if (state == 0) {
        if (c == '<') state = 1;
      } else if (state == 1) {
        if (c == '>') {
          Split(tag, Name, Attrs);
          return;
        }
        if (c == '<') FormatError();
        tag += c;
        if (tag.size() == 3 && tag == "!--") {
          state = 2;
          hyphens = 0;
          tag.clear();
        }
      } else {
        if (hyphens < 2) {
          hyphens = c == '-' ? hyphens + 1 : 0;
        } else if (c == '>') {
          state = 0;
        } else {
          hyphens = 0;
        }
      }
    }
    if (state == 1) FormatError();
  }

 private:
  static void Split(String& tag, String& Name, String& Attrs) {
    if (!tag.empty() && tag.back() == ' ') tag.pop_back();
    size_t sp = tag.find(' ');
    if (sp == String::npos) {
      Name = tag;
    } else {
      Name = tag.substr(0, sp);
      Attrs = tag.substr(sp + 1);
    }
  }

  bool ReadChar(char& c) {
    if (FIndex >= FCount) {
      if (FPosition >= FSize) return false;
      // The stream position of the buffer's start is FPosition.
      FCount = FStream->Read(FBuffer, sizeof FBuffer);
      FIndex = 0;
      if (FCount <= 0) {
        FCount = 0;
        FSize = FPosition;
        return false;
      }
    }
    c = FBuffer[FIndex++];
    ++FPosition;
    return true;
  }

  TStream* FStream;
  char FBuffer[4096];
  Integer FCount = 0, FIndex = 0;
  Int64 FPosition, FSize;
};

class TfsXMLWriter {
 public:
  TfsXMLWriter(TStream* Stream, bool Indent) : FStream(Stream), FIndent(Indent) {}
  ~TfsXMLWriter() = default;

  void PutHeader() { PutLine("<?xml version=\"1.0\"?>"); }

  void PutTree(const TfsXMLItem* Item, int Indent) {
    String line = String(FIndent ? Indent : 0, ' ') + "<" + Item->Name;
    if (!Item->Text.empty()) {
      if (Item->Text[0] != ' ') line += ' ';
      line += Item->Text;
    }
    line += Item->Count() > 0 ? ">" : "/>";
    PutLine(line);
    for (Integer i = 0; i < Item->Count(); ++i) PutTree(Item->Items(i), FIndent ? Indent + 2 : 0);
    if (Item->Count() > 0) PutLine(String(FIndent ? Indent : 0, ' ') + "</" + Item->Name + ">");
  }

  void Flush() {
    if (!FBuffer.empty()) FStream->WriteBuffer(FBuffer.data(), LongInt(FBuffer.size()));
    FBuffer.clear();
  }

 private:
  void PutLine(const String& S) {
    FBuffer += S;
    if (FIndent) FBuffer += "\r\n";
    if (FBuffer.size() > 4096) Flush();
  }

  TStream* FStream;
  bool FIndent;
  String FBuffer;
};

// Reads one element and its children into Item; false when the tag read
// was an end tag (or the end of the stream), which is left in Item->Name.
constexpr int MaxElementDepth = 1000;   // deeper nesting is refused, not recursed into

bool ReadElement(TfsXMLReader& Reader, TfsXMLItem* Item, int Depth = 0) {
  if (Depth > MaxElementDepth) FormatError();
  Reader.NextTag(Item->Name, Item->Text);
  if (Item->Name.empty() || Item->Name[0] == '/') return false;
  if (Item->Name.back() == '/') {
    Item->Name.pop_back();
    return true;
  }
  if (!Item->Text.empty() && Item->Text.back() == '/') {
    Item->Text.pop_back();
    return true;
  }
  for (;;) {
    auto* child = new TfsXMLItem;
    bool more;
    try {
      more = ReadElement(Reader, child, Depth + 1);
    } catch (...) {
      // Keep what was read up to the error.
      if (!child->Name.empty() && child->Name[0] != '/') Item->AddItem(child);
      else delete child;
      throw;
    }
    if (more) {
      Item->AddItem(child);
      continue;
    }
    String end = child->Name;
    delete child;
    if (!end.empty() && !SameText(end, "/" + Item->Name)) FormatError();
    return true;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TfsXMLDocument

TfsXMLDocument::TfsXMLDocument() : FRoot(new TfsXMLItem) {}

TfsXMLDocument::~TfsXMLDocument() { delete FRoot; }

void TfsXMLDocument::LoadFromStream(TStream* Stream) {
  FRoot->Clear();
  FRoot->Name.clear();
  FRoot->Text.clear();
  TfsXMLReader reader(Stream);
  String name, attrs;
  reader.NextTag(name, attrs);
  if (name.compare(0, 4, "?xml") != 0) FormatError();
  ReadElement(reader, FRoot);
}

void TfsXMLDocument::SaveToStream(TStream* Stream) {
  TfsXMLWriter writer(Stream, IndentOutput);
  writer.PutHeader();
  writer.PutTree(FRoot, 0);
  writer.Flush();
}

void TfsXMLDocument::LoadFromFile(const String& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TfsXMLDocument::SaveToFile(const String& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}
