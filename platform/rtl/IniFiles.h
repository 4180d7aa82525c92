// Ini files: "[Section]" headers followed by "key=value" lines, read and
// written as UTF-8. Section and key names are compared without regard to
// case; names and values are trimmed; lines starting with ';' are comments
// and are kept as they stand, like every line the program does not change.
//
// TMemIniFile works on the lines in memory and writes them on UpdateFile;
// TIniFile reads the file for each call and writes every change at once.
#pragma once
#include <vector>
#include "System.h"

class TStream;
class TStrings;

class TCustomIniFile : public TObject {
  TOVANI_CLASS(TCustomIniFile, TObject)
 public:
  explicit TCustomIniFile(const String& AFileName) : FFileName(AFileName) {}
  const String& FileName() const { return FFileName; }

  virtual String ReadString(const String& Section, const String& Ident, const String& Default) = 0;
  // Names and values holding a line break, names holding '=' (keys) or
  // starting with '[' or ';', and section names holding ']' would change the
  // file's structure: they raise EIniFileException.
  virtual void WriteString(const String& Section, const String& Ident, const String& Value) = 0;
  // Decimal or hexadecimal ("0x1F", "$1F"); anything else gives Default.
  virtual Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
  virtual void WriteInteger(const String& Section, const String& Ident, Integer Value);
  // Any non-zero integer is true; written as "1" or "0".
  virtual bool ReadBool(const String& Section, const String& Ident, bool Default);
  virtual void WriteBool(const String& Section, const String& Ident, bool Value);
  // Numbers in the program's format profile; text that is not a number
  // gives Default.
  virtual Double ReadFloat(const String& Section, const String& Name, Double Default);
  virtual void WriteFloat(const String& Section, const String& Name, Double Value);
  // Dates and times in the program's format profile (short date, long time);
  // text that does not parse gives Default.
  virtual TDateTime ReadDate(const String& Section, const String& Name, TDateTime Default);
  virtual void WriteDate(const String& Section, const String& Name, TDateTime Value);
  virtual TDateTime ReadDateTime(const String& Section, const String& Name, TDateTime Default);
  virtual void WriteDateTime(const String& Section, const String& Name, TDateTime Value);
  virtual TDateTime ReadTime(const String& Section, const String& Name, TDateTime Default);
  virtual void WriteTime(const String& Section, const String& Name, TDateTime Value);
  // Hexadecimal digits, two per byte. Reading writes the bytes into Value at
  // its position, leaves the position at the start of what was written and
  // answers the number of bytes (decoding stops at the first pair that is not
  // hexadecimal). Writing stores Value from its position to its end and
  // leaves the position where it was.
  virtual Integer ReadBinaryStream(const String& Section, const String& Name, TStream* Value);
  virtual void WriteBinaryStream(const String& Section, const String& Name, TStream* Value);

  // Whole lists.
  virtual void ReadSection(const String& Section, TStrings* Strings) = 0;       // key names
  virtual void ReadSections(TStrings* Strings) = 0;                             // section names
  virtual void ReadSectionValues(const String& Section, TStrings* Strings) = 0; // "key=value"
  virtual void EraseSection(const String& Section) = 0;
  virtual void DeleteKey(const String& Section, const String& Ident) = 0;
  virtual void UpdateFile() = 0;
  // A section exists when it holds at least one key.
  virtual bool SectionExists(const String& Section);
  virtual bool ValueExists(const String& Section, const String& Ident);

 private:
  String FFileName;
};

// The lines of an ini file and the operations on them, shared by the ini
// file classes. A section named twice is read as one; writes go to its
// first occurrence.
class TIniDocument {
 public:
  // True and the value when Section holds Ident.
  bool Find(const String& Section, const String& Ident, String& Value) const;
  void Write(const String& Section, const String& Ident, const String& Value);
  void ReadSection(const String& Section, TStrings* Strings) const;
  void ReadSections(TStrings* Strings) const;
  void ReadSectionValues(const String& Section, TStrings* Strings) const;
  void EraseSection(const String& Section);
  // True when a line was removed.
  bool DeleteKey(const String& Section, const String& Ident);

  // Reading a file that does not exist gives no lines.
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName) const;
  void GetStrings(TStrings* List) const;
  void SetStrings(TStrings* List);

  std::vector<String>& Lines() { return FLines; }

 private:
  std::vector<String> FLines;
};

class TMemIniFile : public TCustomIniFile {
  TOVANI_CLASS(TMemIniFile, TCustomIniFile)
 public:
  // Loads the file when it exists.
  explicit TMemIniFile(const String& AFileName);

  String ReadString(const String& Section, const String& Ident, const String& Default) override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void ReadSection(const String& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const String& Section, TStrings* Strings) override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  // Writes the lines to the file (UTF-8); until then nothing reaches it.
  void UpdateFile() override;

  void Clear();
  // The lines as they would be written; SetStrings replaces them.
  void GetStrings(TStrings* List);
  void SetStrings(TStrings* List);

 private:
  TIniDocument FDocument;
};

class TIniFile : public TCustomIniFile {
  TOVANI_CLASS(TIniFile, TCustomIniFile)
 public:
  explicit TIniFile(const String& AFileName) : TCustomIniFile(AFileName) {}

  String ReadString(const String& Section, const String& Ident, const String& Default) override;
  // Writes the file at once; a file that cannot be written raises
  // EIniFileException "Unable to write to <file name>".
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void ReadSection(const String& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const String& Section, TStrings* Strings) override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  // Every change is already in the file: nothing to do.
  void UpdateFile() override {}

 private:
  TIniDocument Load() const;
  void Save(const TIniDocument& Document) const;
};
