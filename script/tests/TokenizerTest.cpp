// The tokenizer: blanks and comments, words, numbers, string literals,
// bracket texts and positions.
#include "fs_iparser.h"
#include "gtest.h"

TEST(ScriptTokenizer, CommentsAreSkipped) {
  TfsParser p;
  p.SetSourceText("{ brace } (* paren *) // line\n  word");
  EXPECT_EQ(p.ReadWord(), "word");

  p.SetSourceText("{ never closed  word");
  EXPECT_EQ(p.ReadWord(), "");

  // A line comment opener is an exact, case-sensitive prefix.
  p.CommentLine2 = "rem";
  p.SetSourceText("remainder x\ny");
  EXPECT_EQ(p.ReadWord(), "y");
  p.SetSourceText("REM x");
  EXPECT_EQ(p.ReadWord(), "REM");
}

TEST(ScriptTokenizer, LineEndsWithoutSkipEol) {
  TfsParser p;
  p.SkipEOL = false;
  p.CommentLine1 = "'";
  p.SetSourceText("a 'comment\r\nb");
  EXPECT_EQ(p.ReadWord(), "a");
  // The comment runs to the LF, which is then skipped as a blank; the CR
  // before it stays inside the comment.
  EXPECT_FALSE(p.ReadLineEnd());
  EXPECT_EQ(p.ReadWord(), "b");

  p.SetSourceText("a\r\n\r\nb");
  EXPECT_EQ(p.ReadWord(), "a");
  EXPECT_TRUE(p.ReadLineEnd());
  EXPECT_EQ(p.ReadWord(), "b");
}

TEST(ScriptTokenizer, Numbers) {
  TfsParser p;
  struct Case {
    const char* Text;
    const char* Token;
  } cases[] = {{"12.5e3x", "12.5e3"}, {"12e", "12"}, {"$FF", "$FF"}, {"1..5", "1"},
               {"3.", "3"},          {"7.25", "7.25"}, {"1.5E-2", "1.5E-2"}, {"x1", ""}};
  for (const Case& c : cases) {
    p.SetSourceText(c.Text);
    EXPECT_EQ(p.ReadNumber(), c.Token) << c.Text;
  }
  p.HexSequence = "0x";
  p.SetSourceText("0x1f");
  EXPECT_EQ(p.ReadNumber(), "$1f");
  p.SetSourceText("0xg");
  EXPECT_EQ(p.ReadNumber(), "");
}

TEST(ScriptTokenizer, StringLiterals) {
  TfsParser p;
  p.SetSourceText("'It''s'#13#10'ok' rest");
  EXPECT_EQ(p.ReadStringLiteral(), "'It's\r\nok'");
  EXPECT_EQ(p.ReadWord(), "rest");
  p.SetSourceText("''");
  EXPECT_EQ(p.ReadStringLiteral(), "''");
  p.SetSourceText("#$41#66");
  EXPECT_EQ(p.ReadStringLiteral(), "'AB'");
  // An unterminated string is no token; the position stays at the quote.
  p.SetSourceText("'open\nx'");
  EXPECT_EQ(p.ReadStringLiteral(), "");
  EXPECT_EQ(p.Position(), 1);

  p.StringQuote = '"';
  p.SetSourceText("\"a\\nb\\x41\\\\\\\"\"\"c\"");
  EXPECT_EQ(p.ReadStringLiteral(), "'a\nbA\\\"c'");
}

TEST(ScriptTokenizer, WordsKeywordsAndPunctuation) {
  TfsParser p;
  p.AddKeyword("begin");
  p.SetSourceText("  BEGIN x");
  EXPECT_EQ(p.ReadIdentifier(), "");
  p.SetSourceText("  BEGIN x");
  EXPECT_EQ(p.ReadWord(), "BEGIN");
  EXPECT_EQ(p.ReadIdentifier(), "x");
  p.SetSourceText("9abc");
  EXPECT_EQ(p.ReadWord(), "");
  p.SetSourceText(":=");
  EXPECT_EQ(p.ReadPunctuation(), ":");
  EXPECT_EQ(p.ReadPunctuation(), "=");
  EXPECT_EQ(p.ReadPunctuation(), "");

  p.CaseSensitive = true;
  EXPECT_FALSE(p.IsReservedWord("Begin"));
  EXPECT_TRUE(p.IsReservedWord("begin"));
}

TEST(ScriptTokenizer, BracketTextAndPositions) {
  TfsParser p;
  p.SetSourceText("ds.\"a>b\"> + 1");
  EXPECT_EQ(p.ReadBracketText(), "ds.\"a>b\"");
  EXPECT_EQ(p.ReadPunctuation(), ">");

  p.SetSourceText("ab\ncd\r\nef");
  EXPECT_EQ(p.PositionText(), "1:1");
  p.SetPosition(3);   // the LF belongs to the line it ends
  EXPECT_EQ(p.PositionText(), "1:3");
  p.SetPosition(4);
  EXPECT_EQ(p.PositionText(), "2:1");
  p.SetPosition(8);
  EXPECT_EQ(p.PositionText(), "3:1");
  EXPECT_EQ(p.OffsetOfLineColumn(2, 3), 9);
  EXPECT_EQ(p.OffsetOfLineColumn(1, 4), -1);
  EXPECT_EQ(p.OffsetOfLineColumn(1, 0), -1);
}
