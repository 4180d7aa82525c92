// The built-in routines: conversions, formatting (through our own Format),
// dates, strings, maths and the rest.
#include "DateUtils.h"
#include "ScriptTestUtils.h"
#include "fs_isysrtti.h"
#include "gtest.h"

namespace {

Variant Eval(const String& expr, const String& decls = String(), const String& before = String()) {
  ScriptRun r;
  String text = "var r: Variant; " + decls + " begin " + before + " r := " + expr + "; end.";
  if (!r.Run(text)) {
    ADD_FAILURE() << expr << ": " << r.Error();
    return Variant::Null();
  }
  return r.Get("r");
}

}  // namespace

TEST(ScriptSysFunctions, MathRounding) {
  struct Case {
    const char* Expr;
    Variant Value;
  } cases[] = {
      {"Round(2.5)", Variant(2)},   {"Round(3.5)", Variant(4)},    {"Round(-2.5)", Variant(-2)},
      {"Trunc(3.7)", Variant(3)},   {"Trunc(-3.7)", Variant(-3)},  {"Int(3.7)", Variant(3.0)},
      {"Frac(-1.25)", Variant(-0.25)}, {"Abs(-2)", Variant(2.0)},  {"Sqrt(16)", Variant(4.0)},
      {"Exp(0)", Variant(1.0)},     {"Ln(1)", Variant(0.0)},       {"Pi > 3.14159", Variant(true)},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.Expr), c.Value) << c.Expr;
  EXPECT_EQ(Eval("Int(3.7)").Kind(), varDouble);
  EXPECT_EQ(Eval("Trunc(3.7)").Kind(), varInteger);

  // Values no integer can hold are an error, not undefined behaviour.
  ScriptRun r;
  ASSERT_TRUE(r.Compile("var i: Integer; begin i := Round(1.0e300); end.")) << r.Error();
  EXPECT_THROW(r.Script->Execute(), EInvalidOp);
}

TEST(ScriptSysFunctions, Strings) {
  struct Case {
    const char* Expr;
    Variant Value;
  } cases[] = {
      {"Copy('abcdef', 3, 100)", Variant("cdef")},
      {"Pos('z', 'abc')", Variant(0)},
      {"Pos('c', 'abc')", Variant(3)},
      {"Length(12345)", Variant(5)},
      {"Length('中文')", Variant(6)},
      {"CompareText('abc', 'ABD')", Variant(-1)},
      {"CompareText('abc', 'ABC')", Variant(0)},
      {"CompareText('b', 'a')", Variant(1)},
      {"Chr(65)", Variant("A")},
      {"Ord('A')", Variant(65)},
      {"NameCase('hello WORLD')", Variant("Hello World")},
      {"Uppercase('abc') + Lowercase('DEF')", Variant("ABCdef")},
      {"Trim('  x  ')", Variant("x")},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.Expr), c.Value) << c.Expr;

  ScriptRun r;
  ASSERT_TRUE(r.Run("var s, t, u: String; v: Variant;\n"
                    "begin s := 'abcdef'; Delete(s, 2, 3); t := 'ad'; Insert('bc', t, 2);\n"
                    "  u := 'abc'; v := u; SetLength(v, 2); u := v;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("s"), Variant("aef"));
  EXPECT_EQ(r.Get("t"), Variant("abcd"));
  EXPECT_EQ(r.Get("u"), Variant("ab"));
}

TEST(ScriptSysFunctions, ArraysAndVariants) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var a: Variant; n, m, t, hi: Integer;\n"
                    "begin\n"
                    "  a := VarArrayCreate([0, 4], varVariant); n := Length(a);\n"
                    "  a[1] := 'x'; SetLength(a, 3); m := Length(a);\n"
                    "  t := VarType(1.5); hi := VarType('s');\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("n"), Variant(5));
  EXPECT_EQ(r.Get("m"), Variant(3));
  EXPECT_EQ(VarArrayGet(r.Get("a"), {1}), Variant("x"));
  EXPECT_EQ(r.Get("t"), Variant(Integer(varDouble)));
  EXPECT_EQ(r.Get("hi"), Variant(Integer(varString)));

  // Sizes a script asks for are bounded.
  const char* huge[] = {
      "var a: Variant; begin a := VarArrayCreate([0, 2000000000], varVariant); end.",
      "var a: Variant; begin a := VarArrayCreate([0, 100000, 0, 100000], varVariant); end.",
      "var s: Variant; begin s := 'x'; SetLength(s, 2000000000); end.",
  };
  for (const char* text : huge) {
    ScriptRun h;
    ASSERT_TRUE(h.Compile(text)) << text << " " << h.Error();
    EXPECT_THROW(h.Script->Execute(), Exception) << text;
  }
  ScriptRun decl;
  EXPECT_FALSE(decl.Compile("var a: array[0..2000000000] of Integer; begin end."));
  EXPECT_EQ(decl.Script->ErrorText, "Array too large");
}

TEST(ScriptSysFunctions, IncDecAndValidation) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var x, y: Integer; a, b, c, d, e: Boolean; dt: Variant;\n"
                    "begin x := 1; Inc(x); y := 10; Dec(y, 5);\n"
                    "  a := ValidInt('12a'); b := ValidInt('12'); c := ValidFloat('1.5');\n"
                    "  dt := EncodeDate(2024, 2, 29); d := ValidDate(dt); e := ValidDate('2024-13-01');\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("x"), Variant(2));
  EXPECT_EQ(r.Get("y"), Variant(5));
  EXPECT_EQ(r.Get("a"), Variant(false));
  EXPECT_EQ(r.Get("b"), Variant(true));
  EXPECT_EQ(r.Get("c"), Variant(true));
  EXPECT_EQ(r.Get("d"), Variant(true));
  EXPECT_EQ(r.Get("e"), Variant(false));
}

TEST(ScriptSysFunctions, Dates) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var y, m, d, dow, feb, feb1900: Integer; s: String; t: TDateTime;\n"
                    "begin\n"
                    "  t := EncodeDate(2024, 3, 15); DecodeDate(t, y, m, d); dow := DayOfWeek(t);\n"
                    "  feb := DaysInMonth(2000, 2); feb1900 := DaysInMonth(1900, 2);\n"
                    "  s := DateToStr(t) + ' ' + FormatDateTime('yyyy/mm/dd hh:nn', t + 0.5);\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("y"), Variant(2024));
  EXPECT_EQ(r.Get("m"), Variant(3));
  EXPECT_EQ(r.Get("d"), Variant(15));
  EXPECT_EQ(r.Get("dow"), Variant(6));   // Friday
  EXPECT_EQ(r.Get("feb"), Variant(29));
  EXPECT_EQ(r.Get("feb1900"), Variant(28));
  EXPECT_EQ(r.Get("s"), Variant("2024-03-15 2024-03-15 12:00"));

  const char* bad[] = {
      "var t: TDateTime; begin t := EncodeDate(2023, 2, 29); end.",
      "var n: Integer; begin n := DaysInMonth(2000, 13); end.",
      "var t: TDateTime; begin t := StrToDate('nonsense'); end.",
  };
  for (const char* text : bad) {
    ScriptRun b;
    ASSERT_TRUE(b.Compile(text)) << text << " " << b.Error();
    EXPECT_THROW(b.Script->Execute(), Exception) << text;
  }
}

TEST(ScriptSysFunctions, FormatNeverTrustsTheScript) {
  EXPECT_EQ(Eval("Format('%d-%s-%.2f', [7, 'x', 1.5])"), Variant("7-x-1.50"));
  EXPECT_EQ(Eval("FormatFloat('0.00', 2.5)"), Variant("2.50"));
  EXPECT_EQ(Eval("IntToStr(12) + FloatToStr(0.5)"), Variant("120.5"));
  EXPECT_EQ(Eval("Format('%s', [True])"), Variant("True"));
  // Directives without arguments, or of the wrong kind, are errors of our
  // Format, never a read of memory that is not there.
  const char* bad[] = {"Format('%s %s %s %n %p', [1])", "Format('%d', ['text'])"};
  for (const char* expr : bad) {
    ScriptRun r;
    ASSERT_TRUE(r.Compile(String("var s: String; begin s := ") + expr + "; end.")) << r.Error();
    EXPECT_THROW(r.Script->Execute(), Exception) << expr;
  }
  EXPECT_EQ(fsFormatMaskText("000-0000;0;_", "1234567"), "123-4567");
  EXPECT_EQ(fsFormatMaskText(">LL-00;1;_", "ab-1"), "AB-1_");
}

TEST(ScriptSysFunctions, ShowMessageGoesThroughTheHook) {
  String shown;
  fsSetShowMessageProc([&](const String& text) { shown = text; });
  ScriptRun r;
  EXPECT_TRUE(r.Run("begin ShowMessage(42); end.")) << r.Error();
  fsSetShowMessageProc(nullptr);
  EXPECT_EQ(shown, "42");
}

TEST(ScriptSysFunctions, RandomStaysInRange) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var i: Integer; ok: Boolean; x: Extended;\n"
                    "begin Randomize; ok := True;\n"
                    "  for i := 1 to 200 do begin x := Random; if (x < 0) or (x >= 1) then ok := False; end;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("ok"), Variant(true));
}
