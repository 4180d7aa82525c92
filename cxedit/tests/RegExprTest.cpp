#include "cxRegExpr.h"
#include "FormatSettings.h"
#include "cxTextChars.h"
#include "gtest.h"

namespace {
// Compiles Mask and returns the full messages of its errors, one per line.
String Errors(const String& Mask) {
  TcxRegExpr R;
  try {
    R.Compile(Mask);
  } catch (EcxRegExprError& E) {
    String S;
    for (Integer i = 0; i < E.Errors().Count(); ++i) S += (i ? "\n" : "") + E.Errors().Items(i).FullMessage();
    return S;
  }
  return "";
}

// Feeds Text; true when every character is taken and the end is final.
bool Matches(const String& Mask, const String& Text, bool CaseInsensitive = false) {
  TcxRegExpr R;
  R.SetCaseInsensitive(CaseInsensitive);
  R.Compile(Mask);
  String Accepted;
  R.AdvanceText(Text, Accepted);
  return Accepted == Text && R.InFinalState();
}
}  // namespace

TEST(RegExprCompiler, ErrorMessagesWithPlace) {
  struct Case { const char* Mask; const char* Message; };
  const Case Cases[] = {
      {"", "The source stream is empty"},
      {" \t\r\n", "The source stream is empty"},
      {"(a", "Missing ')'"},
      {"a)", "Unnecessary ')'"},
      {"()", "Line1, Char2: The block should not be empty"},
      {"a|", "The alternative should not be empty"},
      {"|a", "Line1, Char1: The alternative should not be empty"},
      {"*a", "Line1, Char1: Illegal quantifier '*'"},
      {"a?*", "Line1, Char3: The '*' quantifier cannot be applied here"},
      {"a?+", "Line1, Char3: The '+' quantifier cannot be applied here"},
      {"a**", "Line1, Char3: The '*' quantifier cannot be applied here"},
      {"a*{2}", "Line1, Char3: The parameter quantifier cannot be applied here"},
      {"a{3,2}", "Line1, Char5: Incorrect parameter quantifier"},
      {"a{,2}", "Line1, Char3: Incorrect parameter quantifier"},
      {"{2}", "Line1, Char1: Incorrect parameter quantifier"},
      {"a{2", "Line1, Char4: Missing '}'"},
      {"a{x}", "Line1, Char3: Illegal 'x'"},
      {"a{'}", "Line1, Char3: Illegal ' ' '"},
      {"'ab", "Line1, Char4: Missing ' ' '"},
      {"[z-a]", "Line1, Char4: The starting character of the subrange must be less than the finishing one"},
      {"[a-a]", "Line1, Char4: The starting character of the subrange must be less than the finishing one"},
      {"[]", "Line1, Char2: Can't create empty enumeration"},
      {"[^]", "Line1, Char3: Can't create empty enumeration"},
      {"[ab", "Line1, Char4: Missing ']'"},
      {"[a-", "Line1, Char4: Missing ']'"},
      {"[a-c-e]", "Line1, Char5: Illegal '-'"},
      {"(ab)\\2", "Line1, Char5: Too big reference number"},
      {"\\x4", "Line1, Char4: Hexadecimal number expected"},
      {"\\xG0", "Line1, Char3: Hexadecimal number expected but 'G' found"},
      {"\\ a", "Line1, Char2: The space character is not allowed after '\\'"},
      {"a]", ""},   // outside brackets "]" is an ordinary character
      {"a\r\n(b|)", "Line2, Char4: The block should not be empty"},
      {"x{1001}", "Line1, Char3: Incorrect parameter quantifier"},
      {"(((x{1000}){1000}){1000})", "The regular expression is too complex"},
  };
  for (const Case& c : Cases) EXPECT_EQ(Errors(c.Mask), c.Message) << c.Mask;
  // Every error is collected, not only the first.
  EXPECT_EQ(Errors("[z-a]|[]"), "Line1, Char4: The starting character of the subrange must be less than the finishing one\n"
                                "Line1, Char8: Can't create empty enumeration");
}

TEST(RegExprCompiler, AutomatonSizeIsBounded) {
  // A written-out set counts with its members, and runs of optional items
  // with the links between them: both are refused before they take seconds
  // and memory (the date-time masks are a few hundred in size).
  String Set = "[";
  for (char32_t c = 0x4E00; c < 0x4E00 + 200; ++c) Set += cxCharToUtf8(c);
  Set += "]";
  String Optional;
  for (int i = 0; i < 1200; ++i) Optional += "a?";
  struct Case {
    String Mask;
    bool Refused;
  } Cases[] = {
      {Set + "{0,400}", false},
      {Set + "{0,1000}", true},
      {Optional.substr(0, 1200), false},
      {Optional, true},
  };
  for (const Case& c : Cases)
    EXPECT_EQ(Errors(c.Mask), c.Refused ? "The regular expression is too complex" : "") << c.Mask.size();
}

TEST(RegExprCompiler, FailedCompileLeavesNothingCompiled) {
  TcxRegExpr R;
  R.Compile("\\d");
  EXPECT_TRUE(R.Compiled());
  EXPECT_THROW(R.Compile("(("), EcxRegExprError);
  EXPECT_FALSE(R.Compiled());
  EXPECT_EQ(R.CompiledSource(), nullptr);
  char32_t c = '1';
  EXPECT_THROW(R.Advance(c), EcxEditError);
  R.Compile("\\d");   // the next compile starts clean
  EXPECT_EQ(R.Errors().Count(), 0);
  EXPECT_TRUE(R.Advance(c));
}

TEST(RegExprCompiler, Syntax) {
  struct Case { const char* Mask; const char* Text; bool Match; };
  const Case Cases[] = {
      {"a b", "ab", true},
      {"'a b'", "ab", false},
      {"'a b'", "a b", true},
      {"'it''s'", "it's", true},
      {"[a-]", "-", true},
      {"[a-]", "a", true},
      {"[^0-9]", "x", true},
      {"[^0-9]", "5", false},
      {"(ab)\\1", "abab", true},
      {"(ab)\\1", "ab", false},
      {"x{2,4}", "x", false},
      {"x{2,4}", "xx", true},
      {"x{2,4}", "xxxx", true},
      {"x{2,4}", "xxxxx", false},
      {"x{2,}", "xxxxxxx", true},
      {"x{0}", "x", false},
      {"a+*", "aaa", true},
      {"\\d\\D\\w\\W\\s\\S", "1a_-xb", false},
      {"\\d\\D\\w\\W\\s\\S", "1a_ \tb", true},
      {"\\x41\\(\\\\", "A(\\", true},
      {"\\p\\d", ".5", true},
      {"\\d\\d/\\d\\d", "12-31", true},   // "/" is the date separator
      {"\\d\\d:\\d\\d", "09:30", true},
      {"[/]", "-", true},
      {"'上午'|'下午'", "下午", true},
      {"[一-十]", "五", true},
      {".", "中", true},
      {"a|ab", "ab", true},
      {"(a|b)*c?", "", true},
  };
  for (const Case& c : Cases) EXPECT_EQ(Matches(c.Mask, c.Text), c.Match) << c.Mask << " / " << c.Text;
}

TEST(RegExprMatcher, CaseInsensitivity) {
  TcxRegExpr R;
  R.SetCaseInsensitive(true);
  R.Compile("abc[a-z]");
  String Accepted;
  R.AdvanceText("ABC", Accepted);
  EXPECT_EQ(Accepted, "abc");   // the expression's own characters
  char32_t c = 'Q';
  EXPECT_FALSE(R.Advance(c));   // ranges are never case-folded
  EXPECT_EQ(c, U'Q');
  c = 'q';
  EXPECT_TRUE(R.Advance(c));
  EXPECT_TRUE(R.InFinalState());
}

TEST(RegExprMatcher, StepsAndHistory) {
  TcxRegExpr R;
  R.Compile("\\d\\d");
  char32_t c = '1';
  EXPECT_TRUE(R.Advance(c));
  EXPECT_FALSE(R.InFinalState());
  c = '2';
  EXPECT_TRUE(R.Advance(c));
  EXPECT_TRUE(R.InFinalState());
  c = '3';
  EXPECT_FALSE(R.Advance(c));   // a refused character changes nothing
  EXPECT_TRUE(R.InFinalState());

  R.Compile("a|ab");
  c = 'a';
  EXPECT_TRUE(R.Advance(c));
  EXPECT_TRUE(R.InFinalState());
  c = 'b';
  EXPECT_TRUE(R.Advance(c));

  R.Compile("\\d+");
  EXPECT_TRUE(R.AtStart());
  for (char32_t d : {U'1', U'2', U'3'}) {
    char32_t x = d;
    ASSERT_TRUE(R.Advance(x));
  }
  EXPECT_TRUE(R.StepBack());
  EXPECT_TRUE(R.StepBack());
  EXPECT_TRUE(R.StepBack());
  EXPECT_TRUE(R.AtStart());
  EXPECT_FALSE(R.StepBack());

  R.Compile("a?");
  EXPECT_TRUE(R.InFinalState());   // an expression that can be empty
}

TEST(RegExprMatcher, ForcedContinuation) {
  TcxRegExpr R;
  String Added;
  int Deleted = 0;
  R.OnSymbolAdd = [&](char32_t c) { Added += static_cast<char>(c); };
  R.OnSymbolDelete = [&] { ++Deleted; };
  R.SetForcedContinuation(true);
  R.Compile("(\\d\\d)/(\\d\\d)");
  char32_t c = '1';
  R.Advance(c);
  EXPECT_EQ(Added, "");
  c = '2';
  R.Advance(c);
  EXPECT_EQ(Added, "-");   // the date separator follows by itself
  EXPECT_TRUE(R.StepBack());
  EXPECT_EQ(Deleted, 1);
  c = '7';
  EXPECT_TRUE(R.Advance(c));   // back before the second digit: a digit is taken

  // A fixed word at the start is taken when completion is switched on, and
  // given back one character at a time.
  TcxRegExpr W;
  Added.clear();
  Deleted = 0;
  W.OnSymbolAdd = [&](char32_t c) { Added += static_cast<char>(c); };
  W.OnSymbolDelete = [&] { ++Deleted; };
  W.Compile("'ID-'\\d");
  W.SetForcedContinuation(true);
  EXPECT_EQ(Added, "ID-");
  EXPECT_FALSE(W.StepBack());
  EXPECT_EQ(Deleted, 3);
  EXPECT_TRUE(W.AtStart());

  // Completion stops at a final position.
  TcxRegExpr F;
  Added.clear();
  F.OnSymbolAdd = [&](char32_t c) { Added += static_cast<char>(c); };
  F.SetForcedContinuation(true);
  F.Compile("\\d(x)?");
  c = '1';
  F.Advance(c);
  EXPECT_EQ(Added, "");
}

TEST(RegExprMatcher, NestedRepetitionKeepsPositionSmall) {
  TcxRegExpr R;
  R.Compile("(\\d+)*");
  String Accepted;
  const String Digits(200, '7');
  R.AdvanceText(Digits, Accepted);
  EXPECT_EQ(Accepted, Digits);
  EXPECT_TRUE(R.InFinalState());
  // A repeated group that can be empty (made by a counted repeat) does not
  // loop while it is looked through.
  R.Compile("(a?){2,}b");
  R.AdvanceText("aab", Accepted);
  EXPECT_EQ(Accepted, "aab");
  EXPECT_TRUE(R.InFinalState());
}
