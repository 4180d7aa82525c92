// Expressions: priorities, typing errors, short-circuit evaluation, sets,
// and the self-referencing assignment optimization.
#include "fs_iexpression.h"
#include "ScriptTestUtils.h"
#include "gtest.h"

namespace {

Variant Eval(const String& expr, const String& decls = String()) {
  ScriptRun r;
  String text = "var r: Variant; " + decls + " begin r := " + expr + "; end.";
  if (!r.Run(text)) {
    ADD_FAILURE() << expr << ": " << r.Error();
    return Variant::Null();
  }
  return r.Get("r");
}

}  // namespace

TEST(ScriptExpressions, Priorities) {
  struct Case {
    const char* Expr;
    Variant Value;
  } cases[] = {
      {"1 + 2 * 3", Variant(7)},          {"(1 + 2) * 3", Variant(9)},
      {"10 - 4 - 3", Variant(3)},         {"7 / 2", Variant(3.5)},
      {"7 div 2", Variant(3)},            {"7 mod 4", Variant(3)},
      {"- 2 * 3", Variant(-6)},           {"not True and False", Variant(false)},
      {"1 shl 4 + 1", Variant(17)},       {"256 shr 2", Variant(64)},
      {"2 * (3 + (4 - 1)) * 2", Variant(24)}, {"1 < 2", Variant(true)},
      {"'ab' + 'c'", Variant("abc")},     {"5 xor 1", Variant(4)},
      {"3 in [1, 3..5]", Variant(true)},  {"2 in [1, 3..5]", Variant(false)},
      {"$FF + 1", Variant(256)},          {"1.5 + 1", Variant(2.5)},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.Expr), c.Value) << c.Expr;
  for (int x : {1, 3, 4, 5, 2}) {
    Variant v = Eval(IntToStr(x) + " in [1, 3..5]");
    EXPECT_EQ(v, Variant(x != 2)) << x;
  }
}

TEST(ScriptExpressions, TypingErrors) {
  struct Case {
    const char* Text;
    const char* Location;
  } cases[] = {
      // "=" binds looser than "and": a = (1 and b) = 2.
      {"var a, b: Integer; x: Boolean; begin x := a = 1 and b = 2; end.", "1:56"},
      {"var s: String; begin s := 'a' + 1; end.", "1:32"},
      {"var s: Variant; begin s := 'a' * 2; end.", "1:33"},
      {"var b: Boolean; begin b := True + True; end.", "1:34"},
  };
  for (const Case& c : cases) {
    ScriptRun r;
    EXPECT_FALSE(r.Compile(c.Text)) << c.Text;
    EXPECT_EQ(r.Script->ErrorText, "Incompatible types") << c.Text;
    EXPECT_EQ(r.Script->ErrorLocation, c.Location) << c.Text;
  }
  ScriptRun ok;
  EXPECT_TRUE(ok.Compile("var a, b: Integer; x: Boolean; begin x := (a = 1) and (b = 2); end.")) << ok.Error();
}

TEST(ScriptExpressions, ShortCircuitOnBooleans) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var calls: Integer; x, y: Boolean;\n"
                    "function F(v: Boolean): Boolean; begin calls := calls + 1; Result := v; end;\n"
                    "begin x := True or F(True); y := False and F(True); x := x and F(False); end."))
      << r.Error();
  EXPECT_EQ(r.Get("calls"), Variant(1));
  EXPECT_EQ(r.Get("x"), Variant(false));
  EXPECT_EQ(r.Get("y"), Variant(false));
}

TEST(ScriptExpressions, SelfReferenceBecomesCompoundAssignment) {
  ScriptRun r;
  ASSERT_TRUE(r.Compile("var x: Integer; s: String;\n"
                        "begin x := x - 1; x := 1 - x; x := 2 * x; s := 'a' + s; end."))
      << r.Error();
  TfsStatement* body = r.Script->Statement();
  ASSERT_EQ(body->Count(), 4);
  EXPECT_TRUE(body->Items(0)->Is<TfsAssignMinusStmt>());
  auto* minus = static_cast<TfsAssignmentStmt*>(body->Items(0));
  EXPECT_EQ(minus->Expression->ReadValue(), Variant(1));
  EXPECT_EQ(body->Items(1)->ClassType(), TfsAssignmentStmt::StaticClass());
  EXPECT_TRUE(body->Items(2)->Is<TfsAssignMulStmt>());
  EXPECT_EQ(body->Items(3)->ClassType(), TfsAssignmentStmt::StaticClass());
  r.Script->Execute();
  EXPECT_EQ(r.Get("x"), Variant(4));
  EXPECT_EQ(r.Get("s"), Variant("a"));
}

TEST(ScriptExpressions, BuiltByHandAndTyped) {
  TfsScript prog(nullptr);
  prog.AddRTTI();
  TfsExpression e(&prog);
  e.AddConst(Variant(7));
  e.AddOperator("/");
  e.AddConst(Variant(2));
  EXPECT_EQ(e.Finalize(), "");
  EXPECT_EQ(e.Typ, fvtFloat);
  EXPECT_EQ(e.ReadValue(), Variant(3.5));
  EXPECT_TRUE(e.IsReadOnly);

  TfsExpression cmp(&prog);
  cmp.AddConst(Variant("a"));
  cmp.AddOperator("<");
  cmp.AddConst(Variant("b"));
  EXPECT_EQ(cmp.Finalize(), "");
  EXPECT_EQ(cmp.Typ, fvtBool);
  EXPECT_EQ(cmp.ReadValue(), Variant(true));
}
