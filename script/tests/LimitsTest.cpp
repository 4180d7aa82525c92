// What a hostile script cannot do: keep the compiler busy for ever with
// nesting, run on after Terminate, or build strings without bound.
#include "ScriptTestUtils.h"
#include "gtest.h"

namespace {

struct LanguageRun : ScriptRun {
  explicit LanguageRun(const String& Language) { Script->SetSyntaxType(Language); }
};

String Repeated(const String& S, int N) {
  String r;
  for (int i = 0; i < N; ++i) r += S;
  return r;
}

}  // namespace

// Every nesting level used to double the compiler's work: thirty levels
// would have taken days. The error is the one a single level reports.
TEST(ScriptLimits, NestedStatementsCompileInLinearTime) {
  auto text = [](int Levels, const char* Inner) {
    return "int x;\r\n{\r\n" + Repeated("if (x == 0) ", Levels) + Inner + "\r\n}\r\n";
  };
  LanguageRun one("R++Orodiv");
  ASSERT_FALSE(one.Compile(text(1, "x = ;")));
  const String message = one.Script->ErrorText;
  ASSERT_FALSE(message.empty());

  LanguageRun deep("R++Orodiv");
  ASSERT_FALSE(deep.Compile(text(30, "x = ;")));
  EXPECT_EQ(deep.Script->ErrorText, message);
  EXPECT_EQ(deep.Script->ErrorLocation, "3:" + IntToStr(30 * 12 + 5));

  LanguageRun valid("R++Orodiv");
  ASSERT_TRUE(valid.Run(text(30, "x = 7; else x = 1;"))) << valid.Error();
  EXPECT_EQ(valid.Get("x"), Variant(7));
}

// Terminate ends the running loop of every language at once, whatever its
// condition and counter still say.
TEST(ScriptLimits, TerminateStopsTheLoopsOfEveryLanguage) {
  const struct { const char* Language; const char* Text; } loops[] = {
      {"JScript", "var i, n = 0; for (i = -2147483649; i < 0; i++) { n++; }"},
      {"JScript", "var n = 0; while (true) { n++; }"},
      {"JScript", "var n = 0; do { n++; } while (true);"},
      {"R++Orodiv", "int i, n; { for (i = 0; i >= 0; i = i) { n++; } }"},
      {"RodidOdazav", "n = 0\r\nFor i = -2147483649 To 0\r\nn = n + 1\r\nNext\r\n"},
      {"RodidOdazav", "n = 0\r\nDo\r\nn = n + 1\r\nLoop While True\r\n"},
      {"PascalScript", "var i, n: Integer; begin for i := -2147483647 to 2147483647 do n := n + 1 end."},
      {"PascalScript", "var n: Integer; begin while True do n := n + 1 end."},
      {"PascalScript", "var n: Integer; begin repeat n := n + 1 until False end."},
      {"PascalScript",
       "var n: Integer; procedure P; begin while True do n := n + 1 end; begin P; n := -1 end."},
  };
  for (const auto& l : loops) {
    LanguageRun r(l.Language);
    ASSERT_TRUE(r.Compile(l.Text)) << l.Text << " " << r.Error();
    int lines = 0, after = 0;
    r.Script->OnRunLine = [&](TfsScript*, const String&, const String&) {
      if (++lines == 100) r.Script->Terminate();
      if (lines > 100 && ++after > 100000) throw Exception("still running");
    };
    EXPECT_NO_THROW(r.Script->Execute()) << l.Text;
    EXPECT_LT(after, 10) << l.Text;
    EXPECT_GT(r.Get("n").AsInteger(), 0) << l.Text;
  }
}

// A string that doubles at each step ends in a script error before it
// takes the memory of the machine; strings below the bound are built.
TEST(ScriptLimits, StringsHaveASizeBound) {
  const struct { const char* Language; const char* Text; } growing[] = {
      {"PascalScript", "var s: String; begin s := 'ab'; while True do s := s + s end."},
      {"PascalScript", "var s: String; begin s := 'ab'; while True do s := s + s + s + s end."},
      {"JScript", "var s = \"ab\"; while (true) s += s;"},
      {"PascalScript", "var s: String; begin s := 'ab'; while True do Insert(s, s, 1) end."},
      {"PascalScript", "var s: String; begin s := 'ab'; while True do s := Format('%s%s', [s, s]) end."},
      {"JScript", "var s = \"ab\"; while (true) s = s + s;"},
      {"RodidOdazav", "s = \"ab\"\r\nDo\r\ns = s & s\r\nLoop While True\r\n"},
  };
  struct Bound {
    size_t Saved = fsMaxStringSize;
    Bound() { fsMaxStringSize = 1 << 20; }
    ~Bound() { fsMaxStringSize = Saved; }
  } bound;
  for (const auto& g : growing) {
    LanguageRun r(g.Language);
    ASSERT_TRUE(r.Compile(g.Text)) << g.Text << " " << r.Error();
    try {
      r.Script->Execute();
      ADD_FAILURE() << "no error: " << g.Text;
    } catch (const EfsScriptError& e) {
      EXPECT_NE(e.Message().find("String too long"), String::npos) << e.Message();
    }
    EXPECT_LE(VarToStr(r.Get("s")).size(), fsMaxStringSize) << g.Text;
  }
  ScriptRun ok;
  ASSERT_TRUE(ok.Run("var s: String; i: Integer; begin s := 'a'; for i := 1 to 20 do s := s + s end.")) << ok.Error();
  EXPECT_EQ(VarToStr(ok.Get("s")).size(), fsMaxStringSize);
}
