// The script engine's one lexical scanner. It knows no language: each
// language configures it from its grammar, and the grammar interpreter pulls
// tokens one kind at a time, saving and restoring Position to backtrack.
// Text is scanned byte by byte; positions are 1-based and reported as
// "line:column" (columns in bytes).
#pragma once
#include <set>
#include <vector>

#include "System.h"

class TfsParser : public TObject {
  TOVANI_CLASS(TfsParser, TObject)
 public:
  TfsParser();

  // Empties the keywords and restores every default setting.
  void ResetSettings();
  void SetSourceText(const String& Text);
  const String& SourceText() const { return FSource; }
  Integer Size() const { return Integer(FSource.size()); }

  // Settings, named after the grammar's parser keys.
  void AddKeyword(const String& Word);
  void ClearKeywords();
  bool CaseSensitive = false;
  String CommentLine1 = "//";
  String CommentLine2;
  void SetCommentBlock1(const String& Value);
  void SetCommentBlock2(const String& Value);
  char StringQuote = '\'';
  String HexSequence = "$";
  void SetIdentChars(const String& Chars);   // the set becomes exactly these
  void AddIdentChars(Integer From, Integer To);
  char SkipChar = 0;                         // line continuation; 0 for none
  bool SkipEOL = true;                       // line ends count as blanks

  // Position of the next character (1-based); setting it also sets the
  // token start.
  Integer Position() const { return FPos; }
  void SetPosition(Integer Value) { FPos = Value; FTokenStart = Value; }

  void SkipBlanks();
  bool ReadLineEnd();
  // Each Read... gives the token or "" (position unchanged apart from any
  // blank skipping it does).
  String ReadPunctuation();
  String ReadWord();
  String ReadIdentifier();
  String ReadNumber();
  String ReadStringLiteral();
  String ReadBracketText();
  bool IsReservedWord(const String& Word) const;

  // Position as "line:column".
  String PositionText() const { return PositionTextAt(FPos); }
  String PositionTextAt(Integer Pos) const;
  void LineColumnAt(Integer Pos, Integer& Line, Integer& Column) const;
  // The position a line and column denote; -1 for a line out of range.
  Integer OffsetOfLineColumn(Integer Column, Integer Line) const;

 private:
  // Character at a position; positions outside the text read as code 0.
  char At(Integer Pos) const {
    return Pos >= 1 && size_t(Pos) <= FText.size() ? FText[size_t(Pos - 1)] : '\0';
  }
  bool StartsWith(Integer Pos, const String& S) const;
  bool IsIdentChar(char c) const { return FIdentChars[static_cast<unsigned char>(c)]; }
  bool ReadIntegerPart(bool& IsHex);

  String FSource;
  String FText;   // source plus a terminating zero
  Integer FPos = 1;
  Integer FTokenStart = 1;
  std::vector<Integer> FLines;   // 0, then the position of every LF
  std::vector<String> FKeywords;
  std::set<String> FKeywordsUpper;
  String FBlock1Open, FBlock1Close, FBlock2Open, FBlock2Close;
  bool FIdentChars[256];
};
