#include "cxStandardMask.h"
#include "gtest.h"

namespace {
String Fit(const String& Mask, String Text, bool UseConverted = true, bool HasLiterals = true) {
  TcxStandardMask M;
  M.Compile(Mask);
  M.FitText(Text, UseConverted, HasLiterals);
  return Text;
}
bool Complete(const String& Mask, String Text) {
  TcxStandardMask M;
  M.Compile(Mask);
  return M.IsTextComplete(Text);
}
}  // namespace

TEST(StandardMask, FitTextTable) {
  struct Case { const char* Mask; const char* Input; const char* Expected; };
  const Case Cases[] = {
      {"", "abc", ""},
      {"!", "abc", ""},
      {"000-000", "123456", "123-456"},
      {"(999)000-0000", "5551234567", "(555)123-4567"},
      {"!999", "12", "_12"},
      {"###", "1", "1__"},
      {">L<l", "aB", "Ab"},
      {">0<>l", "a", "_A"},
      {"000;1;*", "1", "1**"},
      {"\\\\0", "\\5", "\\5"},
      {"\\>0", ">7", ">7"},
      {"0\\", "1", "1"},
      {"000", "1 2", "1_2"},         // a space leaves a position blank
      {"LL", "中a", "a_"},            // a non-ASCII character is only taken by C/c
      {"CC", "中文", "中文"},
      {"00/00", "1231", "12-31"},     // "/" is the date separator of the profile
      {"00:00", "0930", "09:30"},
  };
  for (const Case& c : Cases) EXPECT_EQ(Fit(c.Mask, c.Input), c.Expected) << c.Mask << " <- " << c.Input;
}

TEST(StandardMask, SectionsAndLiteralSemicolons) {
  TcxStandardMask M;
  M.Compile("000-000;0");
  EXPECT_FALSE(M.SaveLiterals());
  EXPECT_EQ(M.Count(), 7);
  String T = "123456";
  M.FitText(T, true, false);   // a stored value without literals
  EXPECT_EQ(T, "123-456");
  M.StripBlanks(T);
  EXPECT_EQ(T, "123456");
  EXPECT_EQ(M.EmptyValueText(), "      ");

  M.Compile("!999;1;_");
  EXPECT_TRUE(M.Leading());
  EXPECT_TRUE(M.SaveLiterals());
  EXPECT_EQ(M.Count(), 3);

  // Three characters after ";" that are not ";0;X": a literal ";" and three
  // parsed characters.
  M.Compile("0;0a0");
  EXPECT_EQ(M.Count(), 5);
  EXPECT_TRUE(M.IsLiteral(1));
  EXPECT_EQ(M.EmptyMaskText(), "_;___");
  // A ";" in the middle is a literal.
  M.Compile("0;00");
  EXPECT_EQ(M.EmptyMaskText(), "_;__");
}

TEST(StandardMask, BlanksAndStripping) {
  TcxStandardMask M;
  M.Compile("(999)000-0000;1;_");
  EXPECT_EQ(M.EmptyMaskText(), "(___)___-____");
  EXPECT_EQ(M.EmptyValueText(), "(   )   -    ");
  String T = "(12_)345-6789";
  M.StripBlanks(T);
  EXPECT_EQ(T, "(12 )345-6789");
  // A space at a literal position is tried against the following positions.
  EXPECT_EQ(Fit("0-0", " 1"), "_-1");
  EXPECT_EQ(Fit("-0", " 1"), "-_");
}

TEST(StandardMask, Completeness) {
  EXPECT_TRUE(Complete("###", "1__"));
  EXPECT_FALSE(Complete("000", "1__"));
  EXPECT_TRUE(Complete("000", "123"));
  EXPECT_FALSE(Complete("000", "12"));
  EXPECT_TRUE(Complete("99-99", "1 - 2"));
  EXPECT_FALSE(Complete("00-00", "12-3x"));
  // The check converts the text in place.
  TcxStandardMask M;
  M.Compile(">LL");
  String T = "ab";
  EXPECT_TRUE(M.IsTextComplete(T));
  EXPECT_EQ(T, "AB");
}

namespace {
// FitText as a plain scan: every position from the current one is asked in
// turn. The engine skips characters no position takes; it must lay out
// every text exactly as this does.
String PlainFit(const TcxStandardMask& M, const String& Text, bool UseConverted, bool HasLiterals) {
  TcxChars Result = cxUtf8ToChars(M.EmptyMaskText());
  const TcxChars Input = cxUtf8ToChars(Text);
  const Integer Cnt = M.Count(), InLen = static_cast<Integer>(Input.size());
  const Integer Step = M.Leading() ? -1 : 1;
  Integer Pos = M.Leading() ? Cnt - 1 : 0;
  for (Integer k = 0; k < InLen; ++k) {
    const char32_t Original = Input[M.Leading() ? InLen - 1 - k : k];
    char32_t Ch = Original;
    for (Integer p = Pos; p >= 0 && p < Cnt; p += Step) {
      const bool Literal = M.IsLiteral(p);
      if (Literal && !M.SaveLiterals() && !HasLiterals) continue;
      if (M.Items(p)->AcceptChar(Ch)) {
        Result[p] = UseConverted ? Ch : Original;
        Pos = p + Step;
        break;
      }
      if (!Literal && (Original == M.BlankChar() || Original == ' ')) {
        Pos = p + Step;
        break;
      }
    }
  }
  return cxCharsToUtf8(Result);
}
}  // namespace

TEST(StandardMask, FitTextSkipsOnlyWhatNoPositionTakes) {
  // Random masks mixing case conversions, literals of both cases and every
  // class, against random text of letters, digits, signs, blanks and others.
  static const char* const kTokens[] = {">", "<", "<>", "L", "l", "A", "a", "C", "c", "0", "9", "#",
                                        "\\a", "\\A", "\\x", "X", "x", "-", "+", " ", "_", "\\0", "中"};
  static const char* const kSections[] = {"", ";0;_", ";1;x", ";0; ", ";1"};
  static const char* const kChars[] = {"a", "A", "x", "X", "0", "7", "+", "-", " ", "_", "*", "中"};
  uint32_t Seed = 12345;
  auto Next = [&](uint32_t n) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 16) % n;
  };
  for (int Round = 0; Round < 3000; ++Round) {
    String Mask = Next(3) == 0 ? "!" : "";
    for (uint32_t i = 0, n = Next(12); i < n; ++i) Mask += kTokens[Next(std::size(kTokens))];
    Mask += kSections[Next(std::size(kSections))];
    String Text;
    for (uint32_t i = 0, n = Next(14); i < n; ++i) Text += kChars[Next(std::size(kChars))];
    TcxStandardMask M;
    M.Compile(Mask);
    for (bool UseConverted : {false, true})
      for (bool HasLiterals : {false, true}) {
        String Fitted = Text;
        M.FitText(Fitted, UseConverted, HasLiterals);
        ASSERT_EQ(Fitted, PlainFit(M, Text, UseConverted, HasLiterals))
            << "mask " << Mask << " text " << Text << " " << UseConverted << HasLiterals;
      }
  }
}
