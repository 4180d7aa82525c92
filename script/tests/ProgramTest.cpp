// The script host as a program: item table and lookup chain, registration
// and clearing, calling script procedures by name, the line hook and
// termination, and the value rules of variables.
#include "ScriptTestUtils.h"
#include "fs_isysrtti.h"
#include "gtest.h"

namespace {

TfsCallerMethodHandler Answer(Integer value) {
  return [value](TObject*, TClass, const String&, TfsMethodHelper*) { return Variant(value); };
}

}  // namespace

TEST(ScriptProgram, NewestRegistrationWinsUntilItsOwnerClears) {
  TfsScript s(nullptr);
  s.AddRTTI();
  s.AddMethod("function SUM(x: Variant): Variant", Answer(1), "ctOther");
  const void* report = &s;
  s.AddedBy = report;
  s.AddMethod("macrofunction SUM(Expr: Variant): Variant", Answer(2), "ctOther");
  s.AddedBy = nullptr;
  TfsCustomVariable* found = s.Find("sum");
  ASSERT_TRUE(found);
  EXPECT_TRUE(found->IsMacro);
  s.ClearItems(report);
  found = s.Find("Sum");
  ASSERT_TRUE(found);
  EXPECT_FALSE(found->IsMacro);

  // Lookup continues in the parent; a local item hides the parent's one.
  TfsScript child(nullptr);
  child.SetParent(&s);
  EXPECT_EQ(child.Find("IntToStr"), s.Find("IntToStr"));
  EXPECT_EQ(child.FindLocal("IntToStr"), nullptr);
  child.AddVariable("Pi", "Integer", Variant(3));   // known through the parent: nothing added
  EXPECT_EQ(child.FindLocal("Pi"), nullptr);
  EXPECT_EQ(s.TypeOf("Extended"), fvtFloat);
  EXPECT_EQ(s.TypeOf("TNoSuch"), fvtClass);
}

TEST(ScriptProgram, ClearKeepsBuiltInsAndClearRTTIDropsThem) {
  TfsScript s(nullptr);
  s.AddRTTI();
  const Integer builtIns = s.Count();
  s.AddVariable("Mine", "Integer", Variant(1));
  s.AddConst("Limit", "Integer", Variant(10));
  s.AddConst("Limit", "Integer", Variant(20));   // an existing name keeps its value
  EXPECT_EQ(s.Find("Limit")->ReadValue(), Variant(10));
  s.Clear();
  EXPECT_EQ(s.Count(), builtIns);
  EXPECT_TRUE(s.Find("IntToStr"));
  EXPECT_FALSE(s.Find("Mine"));
  s.ClearRTTI();
  EXPECT_EQ(s.Count(), 0);
  s.AddRTTI();
  EXPECT_EQ(s.Count(), builtIns);
}

TEST(ScriptProgram, EnumerationsAndForms) {
  TfsScript s(nullptr);
  s.AddRTTI();
  s.AddEnumSet("TfrxFrameTypes", "ftLeft, ftRight, ftTop, ftBottom");
  s.AddEnum("TAlign", "alNone,alTop");
  EXPECT_EQ(s.Find("ftLeft")->ReadValue(), Variant(1));
  EXPECT_EQ(s.Find("ftBottom")->ReadValue(), Variant(8));
  EXPECT_EQ(s.Find("alTop")->ReadValue(), Variant(1));
  EXPECT_TRUE(s.Find("alTop")->IsReadOnly);
  EXPECT_EQ(s.Find("ftTop")->TypeName, "TfrxFrameTypes");

  const Integer before = s.Count();
  TComponent plain;
  plain.SetName("Plain");
  s.AddForm(&plain);   // neither form, data module nor frame
  EXPECT_EQ(s.Count(), before);
}

TEST(ScriptProgram, CallFunctionByName) {
  ScriptRun r;
  ASSERT_TRUE(r.Compile("var calls: Integer;\n"
                        "function Add(a, b: Integer): Integer; begin Result := a + b; calls := calls + 1; end;\n"
                        "procedure Twice(var x: Integer; y: Integer); begin x := x * 2; y := 0; end;\n"
                        "begin end."))
      << r.Error();
  EXPECT_EQ(r.Script->CallFunction("add", VarArrayOf({Variant(2), Variant(3)})), Variant(5));
  EXPECT_TRUE(r.Script->CallFunction("NoSuch", Variant()).IsNull());
  EXPECT_TRUE(r.Script->CallFunction("calls", Variant()).IsNull());   // not a procedure

  Variant params = VarArrayOf({Variant(21), Variant(7)});
  EXPECT_TRUE(r.Script->CallFunctionVarParams("Twice", params).IsNull());
  EXPECT_EQ(params.GetElement(0), Variant(42));
  EXPECT_EQ(params.GetElement(1), Variant(0));

  // More values than parameters is an error, not a write past the list.
  EXPECT_THROW(r.Script->CallFunction("Add", VarArrayOf({Variant(1), Variant(2), Variant(3)})), EfsScriptError);
  EXPECT_EQ(r.Get("calls"), Variant(1));
}

TEST(ScriptProgram, RunLineHookAndTerminate) {
  ScriptRun r;
  std::vector<String> lines;
  ASSERT_TRUE(r.Compile("var i, n: Integer;\n"
                        "procedure P;\n"
                        "begin\n"
                        "  n := n + 1;\n"
                        "  n := n + 100;\n"
                        "end;\n"
                        "begin\n"
                        "  for i := 1 to 3 do\n"
                        "    P;\n"
                        "  n := n + 1000;\n"
                        "end."))
      << r.Error();
  TfsScript* senderOfP = nullptr;
  r.Script->OnRunLine = [&](TfsScript* sender, const String&, const String& pos) {
    lines.push_back(pos);
    if (pos == "4:3") senderOfP = sender;
    if (pos == "5:3") r.Script->Terminate();
  };
  r.Script->Execute();
  // The hook runs in the procedure's program too; Terminate from it ends the
  // procedure before the announced statement and the main program after it.
  EXPECT_EQ(lines, (std::vector<String>{"8:3", "9:5", "4:3", "5:3"}));
  EXPECT_EQ(r.Get("n"), Variant(1));
  ASSERT_TRUE(senderOfP);
  EXPECT_EQ(senderOfP->Parent(), r.Script.get());   // the procedure's own program
  // Lines are recorded as statements complete: a loop after its body.
  EXPECT_EQ(r.Script->StatementLines(""), "4,5,9,8,10,");

  lines.clear();
  r.Script->OnRunLine = nullptr;
  r.Script->Execute();   // a new run starts afresh
  EXPECT_EQ(r.Get("n"), Variant(1 + 3 * 101 + 1000));
}

TEST(ScriptProgram, VariableValueRules) {
  ScriptRun r;
  r.Script->AddVariable("HostInt", "Integer", Variant("12"));
  r.Script->AddVariable("HostStr", "String", Variant(12));
  r.Script->AddVariable("HostVar", "Variant", Variant(1.5));
  EXPECT_EQ(r.Get("HostInt"), Variant(12));
  EXPECT_EQ(r.Get("HostInt").Kind(), varInteger);
  EXPECT_EQ(r.Get("HostStr"), Variant("12"));
  EXPECT_EQ(r.Get("HostVar"), Variant(1.5));

  // The value handler replaces reads unless it answers Null.
  ScriptRun h;
  Variant answer = Variant::Null();
  h.Script->OnGetVarValue = [&](const String& name, TfsVarType, Variant& old) -> Variant {
    return name == "Page" ? answer : Variant::Null();
  };
  h.Script->AddVariable("Page", "Integer", Variant(1));
  EXPECT_EQ(h.Get("Page"), Variant(1));
  answer = Variant(7);
  EXPECT_EQ(h.Get("Page"), Variant(7));
  EXPECT_EQ(h.Script->Find("Page")->StoredValue(), Variant(1));

  ScriptRun s;
  s.Script->SetVariable("Fresh", Variant("v"));
  EXPECT_EQ(s.Get("Fresh"), Variant("v"));
  s.Script->SetVariable("fresh", Variant(2));
  EXPECT_EQ(s.Get("Fresh"), Variant(2));
}

TEST(ScriptProgram, RecursionKeepsOuterLocals) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var r: String;\n"
                    "function F(n: Integer): String;\n"
                    "var local: String;\n"
                    "begin\n"
                    "  local := IntToStr(n);\n"
                    "  if n > 0 then Result := F(n - 1) + local else Result := local;\n"
                    "end;\n"
                    "begin r := F(4); end."))
      << r.Error();
  EXPECT_EQ(r.Get("r"), Variant("01234"));

  // Parameters read after the inner call, and an inner call that fails:
  // the outer activation's parameter and Result survive both.
  ScriptRun p;
  ASSERT_TRUE(p.Run("var a, b: Integer;\n"
                    "function G(n: Integer): Integer;\n"
                    "begin if n = 0 then Result := 0 else Result := G(n - 1) * 10 + n; end;\n"
                    "function H(n: Integer): Integer;\n"
                    "begin\n"
                    "  Result := n;\n"
                    "  if n = 0 then RaiseException('inner');\n"
                    "  try H(n - 1); except Result := Result + n * 100; end;\n"
                    "end;\n"
                    "begin a := G(4); b := H(1); end."))
      << p.Error();
  EXPECT_EQ(p.Get("a"), Variant(1234));
  EXPECT_EQ(p.Get("b"), Variant(101));
}

// Automation objects are called late-bound through their dispatch
// interface: a dictionary the Wine prefix registers (scrrun).
TEST(ScriptProgram, AutomationObjectsThroughIDispatch) {
  ScriptRun r;
  ASSERT_TRUE(r.Compile(
      "var d, k: Variant; n: Integer; s, t, e1, e2, e3: String; has: Boolean;\n"
      "begin d := CreateOleObject('Scripting.Dictionary');\n"
      " d.Add('a', 1); d.Add('b', '两');\n"
      " d.Item['a'] := 5;\n"
      " n := d.Count + d.Item('a'); s := d.Item('b'); has := d.Exists('c');\n"
      " k := d.Keys; t := k[0] + k[1];\n"
      " try d.NoSuchMember(1) except e1 := ExceptionMessage end;\n"
      " try d.Add('a', 2) except e2 := ExceptionMessage end;\n"
      " try CreateOleObject('No.Such.Server') except e3 := ExceptionMessage end;\n"
      "end."))
      << r.Error();
  r.Script->Execute();
  EXPECT_EQ(r.Get("n"), Variant(7));
  EXPECT_EQ(VarToStr(r.Get("s")), "两");
  EXPECT_EQ(r.Get("has"), Variant(false));
  EXPECT_EQ(VarToStr(r.Get("t")), "ab");
  EXPECT_EQ(VarToStr(r.Get("e1")).rfind("OLE error 80020006: NoSuchMember: ", 0), 0u) << VarToStr(r.Get("e1"));
  EXPECT_EQ(VarToStr(r.Get("e2")).rfind("OLE error ", 0), 0u) << VarToStr(r.Get("e2"));
  EXPECT_NE(VarToStr(r.Get("e2")).find(": Add: "), String::npos) << VarToStr(r.Get("e2"));
  EXPECT_NE(VarToStr(r.Get("e3")).find("No.Such.Server"), String::npos) << VarToStr(r.Get("e3"));
  // A late-bound member refuses more than 64 arguments before anything else.
  TfsOLEHelper helper("Cells");
  for (int i = 0; i < 65; ++i) helper.Add(new TfsParamItem("", fvtVariant, "", false, false));
  try {
    helper.ReadValue();
    ADD_FAILURE();
  } catch (const EfsScriptError& e) {
    EXPECT_NE(e.Message().find("at most 64"), String::npos);
  }
}
