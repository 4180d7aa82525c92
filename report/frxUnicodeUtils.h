// Wide (UTF-16) line lists for memo texts, and conversions between 8-bit and
// wide text by font charset or code page.
//
// In this program 8-bit strings (String) hold UTF-8, so the "system code
// page" of the conversions is UTF-8: converting a String to wide and back
// loses nothing. An explicit code page (936, ...) converts that code page's
// bytes.
#pragma once
#include <string>
#include <vector>

#include "Persistent.h"

// <windows.h> maps this name to its GDI function; the list keeps its own.
#undef GetObject

class TStream;
class TMemoryStream;
class TReader;
class TWriter;

using WideString = std::u16string;

class TfrxWideStrings : public TPersistent {
  TOVANI_CLASS(TfrxWideStrings, TPersistent)
 public:
  TfrxWideStrings() = default;

  // From another wide list, or from an 8-bit TStrings (widened); anything
  // else is an assignment error.
  void Assign(TPersistent* Source) override;

  Integer Count() const { return Integer(FLines.size()); }
  // The line, or empty outside 0..Count-1.
  WideString Get(Integer Index) const;
  TObject* GetObject(Integer Index) const;
  void PutObject(Integer Index, TObject* Obj);  // ignored outside the range
  void Put(Integer Index, const WideString& S) { Insert(Index, S); }
  WideString Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const WideString& S) { Put(Index, S); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }

  Integer Add(const WideString& S);
  Integer AddObject(const WideString& S, TObject* Obj);
  void AddStrings(const TfrxWideStrings* List);
  // Below Count replaces the line (keeping its object), at Count appends;
  // anything else raises "Wide String Out of Bounds".
  void Insert(Integer Index, const WideString& S);
  void Delete(Integer Index);  // EListError outside the range
  Integer IndexOf(const WideString& S) const;
  void Clear();

  // All lines, each followed by CR LF.
  WideString GetTextStr() const;
  // Lines end at CR, LF or U+2028; a final line break adds no empty line.
  void SetTextStr(const WideString& Text);
  WideString Text() const { return GetTextStr(); }
  void SetText(const WideString& Text) { SetTextStr(Text); }

  // FF FE followed by UTF-16LE, or else 8-bit (UTF-8) text.
  void LoadFromStream(TStream* Stream);
  // Form resources: "Strings" (read only) and "UTF8" (written when there are
  // lines), each a list of string values, one per line.
  void DefineProperties(TFiler* Filer) override;

  // The text as UTF-16LE code units, without FF FE.
  void SaveToStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void ReadLines(TReader* Reader);
  void WriteLines(TWriter* Writer);

  struct Entry {
    WideString Line;
    TObject* Object = nullptr;
  };
  std::vector<Entry> FLines;
};

// The rest of Stream as UTF-16LE code units without prefix, set as the text.
void frxReadWideText(TfrxWideStrings* List, TMemoryStream* Stream);

// 8-bit text to wide and back through CodePage, or when CodePage is 0 the
// code page of Charset (see frxCharsetToCodePage).
WideString frxAnsiToWide(const std::string& S, Byte Charset = 1, Cardinal CodePage = 0);
std::string frxWideToAnsi(const WideString& S, Byte Charset = 1, Cardinal CodePage = 0);
// Default charset: the program's 8-bit code page (UTF-8, 65001); Macintosh
// charset: 2; OEM charset: 1; others as the platform translates them. An
// unknown charset raises EOSError.
Cardinal frxCharsetToCodePage(Byte Charset);
// Locale identifier for charset-dependent text handling.
Cardinal frxCharsetToLocale(Byte Charset);
