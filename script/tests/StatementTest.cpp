// PascalScript programs compiled and run: every statement kind, loops with
// break/continue/exit, try blocks, procedures with var parameters and
// recursion.
#include <windows.h>

#include "ScriptTestUtils.h"
#include "gtest.h"

TEST(ScriptStatements, AssignmentsAndCompoundAssignments) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var i: Integer; s: String; f: Extended; v: Variant;\n"
                    "begin i := 1 + 2 * 3; s := 'a' + 'b'; s := s + 'c'; s := 'x' + s;\n"
                    "  f := 7 / 2; f := f * 2; v := i; v := v - 1; i := i - 1; end."))
      << r.Error();
  EXPECT_EQ(r.Get("i"), Variant(6));
  EXPECT_EQ(r.Get("s"), Variant("xabc"));
  EXPECT_EQ(r.Get("f"), Variant(7.0));
  EXPECT_EQ(r.Get("v"), Variant(6));
}

TEST(ScriptStatements, IfAndCase) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var a, b, c, k: Integer; s: String;\n"
                    "begin\n"
                    "  if 1 > 2 then a := 1 else a := 2;\n"
                    "  if a = 2 then begin b := 10; c := 20 end;\n"
                    "  for k := 1 to 6 do\n"
                    "    case k of\n"
                    "      1, 3..5: s := s + 'x';\n"
                    "      2: s := s + 'y';\n"
                    "    else s := s + 'z'\n"
                    "    end;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("a"), Variant(2));
  EXPECT_EQ(r.Get("b"), Variant(10));
  EXPECT_EQ(r.Get("c"), Variant(20));
  EXPECT_EQ(r.Get("s"), Variant("xyxxxz"));
}

TEST(ScriptStatements, ForLoops) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var i, j, n, m: Integer; t: String;\n"
                    "begin\n"
                    "  for i := 5 downto 3 do t := t + IntToStr(i);\n"
                    "  j := 7; for j := 1 to 0 do n := 99;\n"
                    "  m := 3; for n := 1 to m do m := 10;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("t"), Variant("543"));
  EXPECT_EQ(r.Get("i"), Variant(3));
  EXPECT_EQ(r.Get("j"), Variant(7));   // zero runs leave the variable alone
  EXPECT_EQ(r.Get("n"), Variant(3));   // the count is fixed before the loop
}

TEST(ScriptStatements, WhileRepeatBreakContinue) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var i, sum, once, w: Integer;\n"
                    "begin\n"
                    "  i := 0;\n"
                    "  while i < 10 do begin\n"
                    "    i := i + 1;\n"
                    "    if i mod 2 = 0 then continue;\n"
                    "    if i > 7 then break;\n"
                    "    sum := sum + i;\n"
                    "  end;\n"
                    "  repeat once := once + 1 until True;\n"
                    "  repeat w := w + 1; if w = 3 then break; until False;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("sum"), Variant(1 + 3 + 5 + 7));
  EXPECT_EQ(r.Get("i"), Variant(9));
  EXPECT_EQ(r.Get("once"), Variant(1));
  EXPECT_EQ(r.Get("w"), Variant(3));
  EXPECT_FALSE(r.Script->BreakFlag);
  EXPECT_FALSE(r.Script->ContinueFlag);
}

TEST(ScriptStatements, ProceduresVarParamsAndRecursion) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var a, b, f, g: Integer;\n"
                    "procedure Swap(var x, y: Integer);\n"
                    "var t: Integer;\n"
                    "begin t := x; x := y; y := t; end;\n"
                    "function Fact(n: Integer): Integer;\n"
                    "begin if n <= 1 then Result := 1 else Result := n * Fact(n - 1); end;\n"
                    "function AddDef(p: Integer; q: Integer = 5): Integer;\n"
                    "begin Result := p + q; end;\n"
                    "begin a := 1; b := 2; Swap(a, b); f := Fact(6); g := AddDef(1) + AddDef(1, 1); end."))
      << r.Error();
  EXPECT_EQ(r.Get("a"), Variant(2));
  EXPECT_EQ(r.Get("b"), Variant(1));
  EXPECT_EQ(r.Get("f"), Variant(720));
  EXPECT_EQ(r.Get("g"), Variant(8));
}

TEST(ScriptStatements, ExitAndFunctionWithoutResult) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var log: String; v: Variant;\n"
                    "procedure P;\n"
                    "begin\n"
                    "  try log := log + 'a'; exit; log := log + 'b';\n"
                    "  finally log := log + 'f'; end;\n"
                    "  log := log + 'c';\n"
                    "end;\n"
                    "function NoResult: Variant; begin end;\n"
                    "begin P; log := log + 'm'; v := NoResult; end."))
      << r.Error();
  EXPECT_EQ(r.Get("log"), Variant("afm"));
  EXPECT_TRUE(r.Get("v").IsEmpty());

  // exit in the main program ends it.
  ScriptRun m;
  ASSERT_TRUE(m.Run("var x: Integer; begin x := 1; exit; x := 2; end.")) << m.Error();
  EXPECT_EQ(m.Get("x"), Variant(1));
}

TEST(ScriptStatements, TryExceptAndFinally) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var log, msg, cls: String; i: Integer;\n"
                    "begin\n"
                    "  try\n"
                    "    try i := StrToInt('12a'); log := 'no';\n"
                    "    finally log := log + 'F'; end;\n"
                    "  except\n"
                    "    msg := ExceptionMessage; cls := ExceptionClassName; log := log + 'E';\n"
                    "  end;\n"
                    "  try RaiseException('boom') except log := log + ExceptionMessage end;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("log"), Variant("FEboom"));
  EXPECT_EQ(r.Get("cls"), Variant("EConvertError"));
  EXPECT_NE(VarToStr(r.Get("msg")).find("12a"), String::npos);

  // An error nobody handles leaves Execute; the program stays usable.
  ScriptRun u;
  ASSERT_TRUE(u.Compile("var n: Integer; begin n := n + 1; RaiseException('stop'); end.")) << u.Error();
  try {
    u.Script->Execute();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "stop");
  }
  EXPECT_FALSE(u.Script->IsRunning);
  EXPECT_THROW(u.Script->Execute(), Exception);
  EXPECT_EQ(u.Get("n"), Variant(2));
}

TEST(ScriptStatements, ConstantsInitialValuesAndArrays) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("const K = 3; Name = 'k';\n"
                    "var a: array[1..3] of Integer; m: array[2, 2] of Variant; s: String = 'ab'; i, t: Integer;\n"
                    "begin\n"
                    "  for i := 1 to K do a[i] := i * i;\n"
                    "  m[1, 1] := 'z';\n"
                    "  t := a[1] + a[2] + a[3];\n"
                    "  s[2] := 'X'; s := s + s[1] + Name;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("t"), Variant(14));
  EXPECT_EQ(r.Get("s"), Variant("aXak"));
  EXPECT_EQ(VarArrayGet(r.Get("m"), {1, 1}), Variant("z"));
}

TEST(ScriptStatements, OutOfRangeIndexesAreScriptErrors) {
  const char* programs[] = {
      "var s: String; begin s := 'abc'; s[4] := 'x'; end.",
      "var s: String; c: String; begin s := 'abc'; c := s[0]; end.",
      "var a: array[1..3] of Integer; begin a[4] := 1; end.",
      "var a: array[1..3] of Integer; i: Integer; begin i := a[0]; end.",
      "var v: Variant; s: String; begin v := 'abc'; s := v[9]; end.",
  };
  for (const char* text : programs) {
    ScriptRun r;
    ASSERT_TRUE(r.Compile(text)) << text << " " << r.Error();
    EXPECT_THROW(r.Script->Execute(), Exception) << text;
  }
}

TEST(ScriptStatements, RunawayRecursionIsAScriptError) {
  ScriptRun r;
  ASSERT_TRUE(r.Compile("var n: Integer;\n"
                        "function Down(k: Integer): Integer; begin n := k; Result := Down(k + 1); end;\n"
                        "begin Down(0); end."))
      << r.Error();
  EXPECT_THROW(r.Script->Execute(), EfsScriptError);
  EXPECT_EQ(r.Get("n"), Variant(255));
  // The program is usable afterwards: nothing is left marked as running.
  r.Script->Clear();
  ASSERT_TRUE(r.Compile("var m: Integer; function Fib(k: Integer): Integer;\n"
                        "begin if k < 2 then Result := k else Result := Fib(k - 1) + Fib(k - 2); end;\n"
                        "begin m := Fib(15); end."))
      << r.Error();
  r.Script->Execute();
  EXPECT_EQ(r.Get("m"), Variant(610));
}

namespace {

// A function recursing to the depth the host sets whose every level adds
// up Terms terms: Result := Nest(n - 1) + 1 + 1 + ...
String NestedSumProgram(int Terms) {
  String sum = "Nest(n - 1)";
  for (int i = 1; i < Terms; ++i) sum += " + 1";
  return "var r, depth: Integer;\n"
         "function Nest(n: Integer): Integer;\n"
         "begin if n = 0 then Result := 0 else Result := " +
         sum + "; end;\nbegin r := Nest(depth); end.";
}

struct ThreadRun {
  ScriptRun* Run;
  String Error;
};

DWORD WINAPI ExecuteOnThread(void* Param) {
  auto* t = static_cast<ThreadRun*>(Param);
  try {
    t->Run->Script->Execute();
  } catch (const Exception& e) {
    t->Error = e.ClassName() + ": " + e.Message();
  }
  return 0;
}

}  // namespace

TEST(ScriptStatements, DeepNestingNeverExhaustsTheStack) {
  // Short, valid scripts whose native recursion (calls times the nesting
  // of each level's expression) could outgrow the 1 MB main thread stack:
  // they either finish or stop with a script error.
  const struct {
    int Terms, Depth;
  } cases[] = {{15, 250}, {100, 50}, {400, 200}};
  for (const auto& c : cases) {
    ScriptRun r;
    ASSERT_TRUE(r.Compile(NestedSumProgram(c.Terms))) << r.Error();
    r.Script->SetVariable("depth", Variant(c.Depth));
    try {
      r.Script->Execute();
      EXPECT_EQ(r.Get("r"), Variant((c.Terms - 1) * c.Depth)) << c.Terms << " terms, depth " << c.Depth;
    } catch (const EfsScriptError& e) {
      EXPECT_EQ(e.Message(), "Stack overflow") << c.Terms << " terms, depth " << c.Depth;
    }
  }

  // On a thread with a small stack the same kind of script must stop with
  // the error, and the program stays usable afterwards.
  ScriptRun r;
  ASSERT_TRUE(r.Compile(NestedSumProgram(100))) << r.Error();
  r.Script->SetVariable("depth", Variant(200));
  ThreadRun run{&r, String()};
  HANDLE thread = CreateThread(nullptr, 192 * 1024, ExecuteOnThread, &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_TRUE(thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(run.Error, "EfsScriptError: Stack overflow");
  r.Script->SetVariable("depth", Variant(5));
  r.Script->Execute();
  EXPECT_EQ(r.Get("r"), Variant(99 * 5));
}

TEST(ScriptStatements, StrayBreakAndContinueEndOnlyTheirBody) {
  // A break or continue outside any loop ends the statement list it is in;
  // later calls of the routine and later runs start afresh.
  ScriptRun r;
  ASSERT_TRUE(r.Compile("var i, n, m, k: Integer;\n"
                        "procedure P; begin for i := 1 to 3 do n := n + 1; break; n := n + 100; end;\n"
                        "procedure Q; begin m := m + 1; m := m + 10; continue; m := m + 100; end;\n"
                        "begin P; P; Q; Q; for i := 1 to 3 do k := k + 1; break; k := k + 100; end."))
      << r.Error();
  r.Script->Execute();
  EXPECT_EQ(r.Get("n"), Variant(6));
  EXPECT_EQ(r.Get("m"), Variant(22));
  EXPECT_EQ(r.Get("k"), Variant(3));
  r.Script->Execute();
  EXPECT_EQ(r.Get("n"), Variant(12));
  EXPECT_EQ(r.Get("m"), Variant(44));
  EXPECT_EQ(r.Get("k"), Variant(6));
}

TEST(ScriptStatements, OversizedSourceIsACompileError) {
  String sum = "1";
  for (int i = 0; i < 3000; ++i) sum += "+1";
  ScriptRun big;
  EXPECT_FALSE(big.Compile("var x: Integer; begin x := " + sum + "; end."));
  EXPECT_EQ(big.Script->ErrorText, "Expression too complex");

  String deep = String(2000, '(') + "1" + String(2000, ')');
  ScriptRun nested;
  EXPECT_FALSE(nested.Compile("var x: Integer; begin x := " + deep + "; end."));
  EXPECT_EQ(nested.Script->ErrorText, "Program nested too deeply");

  String ok = String(50, '(') + "2" + String(50, ')');
  ScriptRun fine;
  ASSERT_TRUE(fine.Run("var x: Integer; begin x := " + ok + " * 3; end.")) << fine.Error();
  EXPECT_EQ(fine.Get("x"), Variant(6));
}
