#include "IniFiles.h"
#include <windows.h>
#include <algorithm>
#include <unordered_set>
#include "DateUtils.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TCustomIniFile, TObject)
TOVANI_IMPLEMENT_CLASS(TMemIniFile, TCustomIniFile)
TOVANI_IMPLEMENT_CLASS(TIniFile, TCustomIniFile)

namespace {

// Section and key names match without regard to case.
bool SameName(const String& a, const String& b) {
  return a == b || AnsiLowerCase(a) == AnsiLowerCase(b);
}

bool IsHeader(const String& line, String& name) {
  String t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  name = Trim(t.substr(1, t.size() - 2));
  return true;
}

// A "key=value" line (or a bare key); false for blank lines, comments and
// section headers.
bool IsEntry(const String& line, String& key, String* value) {
  String t = Trim(line);
  String dummy;
  if (t.empty() || t[0] == ';' || IsHeader(t, dummy)) return false;
  size_t eq = t.find('=');
  if (eq == String::npos) {
    key = t;
    if (value) value->clear();
  } else {
    key = Trim(t.substr(0, eq));
    if (value) *value = Trim(t.substr(eq + 1));
  }
  return true;
}

bool HasLineBreak(const String& s) { return s.find_first_of("\r\n") != String::npos; }

void CheckWritable(const String& Section, const String& Ident, const String& Value) {
  String t = Trim(Ident);
  if (HasLineBreak(Section) || HasLineBreak(Ident) || Ident.find('=') != String::npos ||
      (!t.empty() && (t[0] == '[' || t[0] == ';')))
    throw EIniFileException("Invalid ini file name \"" + Section + "\" / \"" + Ident + "\"");
  if (HasLineBreak(Value))
    throw EIniFileException("Ini file value of \"" + Ident + "\" holds a line break");
}

// Calls f(first, end) for each occurrence of Section: the line range after
// its header up to the next header.
template <class F>
void ForEachSection(const std::vector<String>& lines, const String& Section, F f) {
  String name;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!IsHeader(lines[i], name) || !SameName(name, Section)) continue;
    size_t end = i + 1;
    while (end < lines.size() && !IsHeader(lines[end], name)) ++end;
    f(i + 1, end);
    i = end - 1;
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Fills Strings from f inside one update group.
template <class F>
void Fill(TStrings* Strings, F f) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    f();
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

}  // namespace

// ---------------------------------------------------------------------------
// TCustomIniFile

Integer TCustomIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
  String s = Trim(ReadString(Section, Ident, String()));
  if (s.empty()) return Default;
  return StrToIntDef(s, Default);
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const String& Section, const String& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

Double TCustomIniFile::ReadFloat(const String& Section, const String& Name, Double Default) {
  Extended value;
  return TryStrToFloat(ReadString(Section, Name, String()), value) ? value : Default;
}

void TCustomIniFile::WriteFloat(const String& Section, const String& Name, Double Value) {
  WriteString(Section, Name, FloatToStr(Value));
}

TDateTime TCustomIniFile::ReadDate(const String& Section, const String& Name, TDateTime Default) {
  TDateTime value;
  return TryStrToDate(ReadString(Section, Name, String()), value) ? value : Default;
}

void TCustomIniFile::WriteDate(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateToStr(Value));
}

TDateTime TCustomIniFile::ReadDateTime(const String& Section, const String& Name,
                                       TDateTime Default) {
  TDateTime value;
  return TryStrToDateTime(ReadString(Section, Name, String()), value) ? value : Default;
}

void TCustomIniFile::WriteDateTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateTimeToStr(Value));
}

TDateTime TCustomIniFile::ReadTime(const String& Section, const String& Name, TDateTime Default) {
  TDateTime value;
  return TryStrToTime(ReadString(Section, Name, String()), value) ? value : Default;
}

void TCustomIniFile::WriteTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, TimeToStr(Value));
}

Integer TCustomIniFile::ReadBinaryStream(const String& Section, const String& Name, TStream* Value) {
  String text = ReadString(Section, Name, String());
  String bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    bytes += static_cast<char>(hi * 16 + lo);
  }
  if (bytes.empty()) return 0;
  Int64 pos = Value->Position();
  Value->WriteBuffer(bytes.data(), static_cast<LongInt>(bytes.size()));
  Value->SetPosition(pos);
  return static_cast<Integer>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const String& Section, const String& Name, TStream* Value) {
  static const char kHex[] = "0123456789ABCDEF";
  Int64 pos = Value->Position();
  String text;
  char buffer[4096];
  for (;;) {
    LongInt n = Value->Read(buffer, sizeof buffer);
    if (n < 0) throw EReadError("Stream read error");
    if (n == 0) break;
    for (LongInt i = 0; i < n; ++i) {
      auto b = static_cast<unsigned char>(buffer[i]);
      text += kHex[b >> 4];
      text += kHex[b & 15];
    }
  }
  Value->SetPosition(pos);
  WriteString(Section, Name, text);
}

bool TCustomIniFile::SectionExists(const String& Section) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& Section, const String& Ident) {
  TStringList keys;
  ReadSection(Section, &keys);
  for (Integer i = 0; i < keys.Count(); ++i)
    if (SameName(keys[i], Ident)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// TIniDocument

bool TIniDocument::Find(const String& Section, const String& Ident, String& Value) const {
  bool found = false;
  String key, value;
  ForEachSection(FLines, Section, [&](size_t first, size_t end) {
    for (size_t i = first; i < end && !found; ++i)
      if (IsEntry(FLines[i], key, &value) && SameName(key, Ident)) {
        Value = value;
        found = true;
      }
  });
  return found;
}

void TIniDocument::Write(const String& Section, const String& Ident, const String& Value) {
  CheckWritable(Section, Ident, Value);
  String line = Trim(Ident) + "=" + Value;
  String key;
  bool done = false;
  size_t firstEnd = String::npos;  // insertion point in the first occurrence
  ForEachSection(FLines, Section, [&](size_t first, size_t end) {
    for (size_t i = first; i < end && !done; ++i)
      if (IsEntry(FLines[i], key, nullptr) && SameName(key, Ident)) {
        FLines[i] = line;
        done = true;
      }
    if (firstEnd == String::npos) {
      // After the section's last non-blank line, before the blank lines
      // that separate it from the next section.
      firstEnd = end;
      while (firstEnd > first && Trim(FLines[firstEnd - 1]).empty()) --firstEnd;
    }
  });
  if (done) return;
  if (firstEnd != String::npos) {
    FLines.insert(FLines.begin() + firstEnd, line);
    return;
  }
  if (!FLines.empty() && !Trim(FLines.back()).empty()) FLines.push_back(String());
  FLines.push_back("[" + Section + "]");
  FLines.push_back(line);
}

void TIniDocument::ReadSection(const String& Section, TStrings* Strings) const {
  Fill(Strings, [&] {
    String key;
    ForEachSection(FLines, Section, [&](size_t first, size_t end) {
      for (size_t i = first; i < end; ++i)
        if (IsEntry(FLines[i], key, nullptr)) Strings->Add(key);
    });
  });
}

void TIniDocument::ReadSections(TStrings* Strings) const {
  Fill(Strings, [&] {
    // Names already listed, by their lower-case form (how SameName compares):
    // one look-up per header keeps a file of many sections linear.
    std::unordered_set<String> seen;
    String name;
    for (const String& line : FLines) {
      if (!IsHeader(line, name)) continue;
      if (seen.insert(AnsiLowerCase(name)).second) Strings->Add(name);
    }
  });
}

void TIniDocument::ReadSectionValues(const String& Section, TStrings* Strings) const {
  Fill(Strings, [&] {
    String key, value;
    ForEachSection(FLines, Section, [&](size_t first, size_t end) {
      for (size_t i = first; i < end; ++i)
        if (IsEntry(FLines[i], key, &value)) Strings->Add(key + "=" + value);
    });
  });
}

void TIniDocument::EraseSection(const String& Section) {
  std::vector<bool> erase(FLines.size(), false);
  ForEachSection(FLines, Section, [&](size_t first, size_t end) {
    for (size_t i = first - 1; i < end; ++i) erase[i] = true;
  });
  std::vector<String> kept;
  kept.reserve(FLines.size());
  for (size_t i = 0; i < FLines.size(); ++i)
    if (!erase[i]) kept.push_back(std::move(FLines[i]));
  FLines.swap(kept);
}

bool TIniDocument::DeleteKey(const String& Section, const String& Ident) {
  String key;
  size_t found = String::npos;
  ForEachSection(FLines, Section, [&](size_t first, size_t end) {
    for (size_t i = first; i < end && found == String::npos; ++i)
      if (IsEntry(FLines[i], key, nullptr) && SameName(key, Ident)) found = i;
  });
  if (found == String::npos) return false;
  FLines.erase(FLines.begin() + found);
  return true;
}

void TIniDocument::LoadFromFile(const String& FileName) {
  FLines.clear();
  if (!FileExists(FileName)) return;
  TStringList list;
  list.LoadFromFile(FileName);
  SetStrings(&list);
}

void TIniDocument::SaveToFile(const String& FileName) const {
  TStringList list;
  GetStrings(&list);
  list.SaveToFile(FileName);
}

void TIniDocument::GetStrings(TStrings* List) const {
  Fill(List, [&] {
    for (const String& line : FLines) List->Add(line);
  });
}

void TIniDocument::SetStrings(TStrings* List) {
  std::vector<String> lines;
  lines.reserve(List->Count());
  for (Integer i = 0; i < List->Count(); ++i) lines.push_back(List->Strings(i));
  FLines.swap(lines);
}

// ---------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(const String& AFileName) : TCustomIniFile(AFileName) {
  FDocument.LoadFromFile(AFileName);
}

String TMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  String value;
  return FDocument.Find(Section, Ident, value) ? value : Default;
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  FDocument.Write(Section, Ident, Value);
}

void TMemIniFile::ReadSection(const String& Section, TStrings* Strings) {
  FDocument.ReadSection(Section, Strings);
}

void TMemIniFile::ReadSections(TStrings* Strings) { FDocument.ReadSections(Strings); }

void TMemIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  FDocument.ReadSectionValues(Section, Strings);
}

void TMemIniFile::EraseSection(const String& Section) { FDocument.EraseSection(Section); }

void TMemIniFile::DeleteKey(const String& Section, const String& Ident) {
  FDocument.DeleteKey(Section, Ident);
}

void TMemIniFile::UpdateFile() { FDocument.SaveToFile(FileName()); }

void TMemIniFile::Clear() { FDocument.Lines().clear(); }

void TMemIniFile::GetStrings(TStrings* List) { FDocument.GetStrings(List); }

void TMemIniFile::SetStrings(TStrings* List) { FDocument.SetStrings(List); }

// ---------------------------------------------------------------------------
// TIniFile

TIniDocument TIniFile::Load() const {
  TIniDocument document;
  document.LoadFromFile(FileName());
  return document;
}

void TIniFile::Save(const TIniDocument& Document) const {
  try {
    Document.SaveToFile(FileName());
  } catch (const EStreamError&) {
    throw EIniFileException("Unable to write to " + FileName());
  }
}

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  String value;
  return Load().Find(Section, Ident, value) ? value : Default;
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  TIniDocument document = Load();
  document.Write(Section, Ident, Value);
  Save(document);
}

void TIniFile::ReadSection(const String& Section, TStrings* Strings) {
  Load().ReadSection(Section, Strings);
}

void TIniFile::ReadSections(TStrings* Strings) { Load().ReadSections(Strings); }

void TIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  Load().ReadSectionValues(Section, Strings);
}

void TIniFile::EraseSection(const String& Section) {
  TIniDocument document = Load();
  size_t before = document.Lines().size();
  document.EraseSection(Section);
  if (document.Lines().size() != before) Save(document);
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
  TIniDocument document = Load();
  if (document.DeleteKey(Section, Ident)) Save(document);
}
