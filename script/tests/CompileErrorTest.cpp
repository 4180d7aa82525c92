// Compile errors are recorded with message and position, never raised:
// syntax errors of the grammar and every semantic check of the translator.
#include "Streams.h"
#include "ScriptTestUtils.h"
#include "fs_iilparser.h"
#include "fs_itools.h"
#include "fs_xml.h"
#include "gtest.h"

namespace {

struct ErrorCase {
  const char* Text;
  const char* Message;
  const char* Location;
};

void ExpectErrors(const std::vector<ErrorCase>& cases, const std::function<void(TfsScript*)>& setup = nullptr) {
  for (const ErrorCase& c : cases) {
    ScriptRun r;
    if (setup) setup(r.Script.get());
    EXPECT_FALSE(r.Compile(c.Text)) << c.Text;
    EXPECT_EQ(r.Script->ErrorText, c.Message) << c.Text;
    EXPECT_EQ(r.Script->ErrorLocation, c.Location) << c.Text;
  }
}

}  // namespace

TEST(ScriptCompileErrors, SyntaxErrors) {
  ExpectErrors({
      {"begin x := ; end.", "Expression expected", "1:12"},
      {"var a: Integer; begin if a > = 1 then a := 1; end.", "'THEN' expected", "1:28"},
      {"var : Integer; begin end.", "Identifier expected", "1:5"},
      {"var a Integer; begin end.", "':' expected", "1:7"},
      {"begin a := 1 end", "'.' expected", "2:1"},
      {"var a: Integer; begin a := (1 + 2; end.", "')' expected", "1:34"},
      {"var a: Integer; begin a := 1 x end.", "';' expected", "1:30"},
      {"var a: Integer;\nbegin\n  while a < 1 a := 1;\nend.", "'DO' expected", "3:15"},
      {"var a: Integer; begin for a := 1 up 2 do ; end.", "'TO' or 'DOWNTO' expected", "1:34"},
      {"var a: Integer; begin repeat a := 1; end.", "'UNTIL' expected", "1:38"},
      {"begin try a := 1; end.", "'FINALLY' or 'EXCEPT' expected", "1:19"},
      {"var a: Integer; begin case a 1: ; end; end.", "'OF' expected", "1:30"},
      {"begin case 1 of 1: ; . end.", "'END' expected", "1:22"},
      {"const c 1; begin end.", "'=' expected", "1:9"},
      {"var a: Integer; begin a : 1; end.", "'=' expected", "1:27"},
      {"var a: array[1..2 of Integer; begin end.", "']' expected", "1:19"},
      {"var a: array[1..2] Integer; begin end.", "'OF' expected", "1:20"},
      {"var a: Integer; 5", "'BEGIN' expected", "1:17"},
      {"var a: Integer; x", "':' expected", "2:1"},
      {"var a: Integer; begin a := <ds.\"f\"; end.", "'>' expected", "2:1"},
      {"var a: Integer; begin a.; end.", "Identifier expected", "1:25"},
  });
}

TEST(ScriptCompileErrors, GrammarLoopsEndListsQuietly) {
  const char* texts[] = {
      "var a: Integer; b: String; begin end.",
      "var a: Integer; begin a := 1 end.",
      "var a: Integer; begin a := 1; end.",
      "var a: Integer; begin ; ; a := 1;; end.",
      "var a: Integer; begin case a of 1: ; 2: a := 2; else a := 3; end; end.",
      "begin IntToStr(1, ); end.",
  };
  for (const char* text : texts) {
    ScriptRun r;
    EXPECT_TRUE(r.Compile(text)) << text << " " << r.Error();
    EXPECT_EQ(r.Script->ErrorLocation, "") << text;
  }
}

TEST(ScriptCompileErrors, SemanticErrors) {
  ExpectErrors({
      {"var a: Integer; begin a := 'x'; end.", "Incompatible types: 'Integer', 'String'", "1:23"},
      {"var a: Integer; begin a := 1.5; end.", "Incompatible types: 'Integer', 'Extended'", "1:23"},
      {"var a, a: Integer; begin end.", "Identifier redeclared: 'a'", "1:9"},
      {"var a: TNoSuchType; begin end.", "Unknown type: 'TNoSuchType'", "1:19"},
      {"begin x := 1; end.", "Undeclared identifier: 'x'", "1:8"},
      {"var a: Integer; begin a := IntToStr; end.", "Not enough actual parameters", "1:36"},
      {"var a: String; begin a := IntToStr(1, 2); end.", "Too many actual parameters", "1:35"},
      {"begin True := False; end.", "Left side cannot be assigned to", "1:7"},
      {"var s: String; begin for s := 1 to 2 do ; end.", "For loop variable must be numeric variable", "1:27"},
      {"var s: String; begin s.x := 1; end.", "Strings doesn't have properties or methods", "1:25"},
      {"var i: Integer; begin i[1] := 1; end.", "Array type required", "1:25"},
      {"var i: Integer; begin with i do ; end.", "Class type required", "1:29"},
      {"var s: String; begin with s, s do ; end.", "Class type required", "1:28"},
      {"var s: String; begin s := @s.Length; end.", "Variable required", "1:28"},
      {"var a: Integer; begin a := StrToInt(1); end.", "Incompatible types: 'String', 'Integer'", "1:37"},
  });
}

TEST(ScriptCompileErrors, HugeNamesAreCutInMessages) {
  const String name(100000, 'x');
  ScriptRun r;
  EXPECT_FALSE(r.Compile("begin " + name + " := 1; end."));
  EXPECT_EQ(r.Script->ErrorText, "Undeclared identifier: '" + String(MaxMessageText, 'x') + "...'");
  EXPECT_EQ(r.Script->ErrorLocation, "1:100007");

  // Cut at a character boundary: 22 three-byte characters are 66 bytes.
  String wide;
  for (int i = 0; i < 22; ++i) wide += "名";
  EXPECT_EQ(fsMessageText(wide), wide.substr(0, 63) + "...");
  EXPECT_EQ(fsMessageText("short"), "short");
}

TEST(ScriptCompileErrors, LocalsMayHideGlobals) {
  ScriptRun r;
  ASSERT_TRUE(r.Run("var a: Integer;\n"
                    "procedure P; var a: Integer; begin a := 5; end;\n"
                    "begin a := 1; P; end."))
      << r.Error();
  EXPECT_EQ(r.Get("a"), Variant(1));
}

TEST(ScriptCompileErrors, SuccessfulCompileClearsLocation) {
  ScriptRun r;
  EXPECT_FALSE(r.Compile("begin x := ; end."));
  EXPECT_EQ(r.Script->ErrorLocation, "1:12");
  r.Script->Clear();
  EXPECT_TRUE(r.Compile("begin end."));
  EXPECT_EQ(r.Script->ErrorLocation, "");
  EXPECT_EQ(r.Script->ErrorText, "");
}

TEST(ScriptCompileErrors, UnknownLanguageIsRaised) {
  ScriptRun r;
  r.Script->SetSyntaxType("Klingon");
  r.Script->Lines()->SetText("begin end.");
  try {
    r.Script->Compile();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Language 'Klingon' not found");
  }
}

TEST(ScriptCompileErrors, MessagesCanBeReplaced) {
  String saved = SIdUndeclared;
  SIdUndeclared = "未声明的标识符: ";
  ScriptRun r;
  EXPECT_FALSE(r.Compile("begin x := 1; end."));
  EXPECT_EQ(r.Script->ErrorText, "未声明的标识符: 'x'");
  SIdUndeclared = saved;
}

TEST(ScriptIntermediate, WorkedExample) {
  TfsScript prog(nullptr);
  prog.AddRTTI();
  TfsILParser parser(&prog);
  parser.LoadGrammar("PascalScript");
  ASSERT_TRUE(parser.SourceToIntermediate("var i: Integer; begin i := 1 + 2 * 3; end."));
  TfsXMLItem* root = parser.ILScript()->Root();
  ASSERT_EQ(root->Count(), 3);
  TfsXMLItem* var = root->Items(0);
  EXPECT_EQ(var->Name, "var");
  EXPECT_EQ(var->Prop("pos"), "1:5");
  EXPECT_EQ(var->Items(0)->Prop("text"), "i");
  EXPECT_EQ(var->Items(1)->Name, "type");
  EXPECT_EQ(var->Items(1)->Prop("text"), "Integer");
  TfsXMLItem* compound = root->Items(1);
  EXPECT_EQ(compound->Name, "compoundstmt");
  EXPECT_EQ(compound->Prop("pos"), "1:17");
  TfsXMLItem* assign = compound->Items(0);
  EXPECT_EQ(assign->Name, "assignstmt");
  EXPECT_EQ(assign->Prop("pos"), "1:23");
  EXPECT_EQ(assign->Items(0)->Name, "dsgn");
  EXPECT_EQ(assign->Items(0)->Prop("pos"), "1:23");
  TfsXMLItem* expr = assign->Items(1);
  EXPECT_EQ(expr->Prop("pos"), "1:28");
  EXPECT_EQ(expr->Prop("pos1"), "1:37");
  String seq;
  for (Integer i = 0; i < expr->Count(); ++i) seq += expr->Items(i)->Name + ":" + expr->Items(i)->Prop("text") + " ";
  EXPECT_EQ(seq, "number:1 op:+ number:2 op:* number:3 ");
  EXPECT_EQ(root->Items(2)->Name, "types");
}

TEST(ScriptIntermediate, DesignatorsAndBracketReferences) {
  TfsScript prog(nullptr);
  TfsILParser parser(&prog);
  parser.LoadGrammar("pascalscript");
  ASSERT_TRUE(parser.SourceToIntermediate("begin Memo1.Lines[i] := <ds.\"a>b\">; end."));
  TfsXMLItem* assign = parser.ILScript()->Root()->Items(0)->Items(0);
  TfsXMLItem* d = assign->Items(0);
  ASSERT_EQ(d->Count(), 4);
  EXPECT_EQ(d->Items(0)->Prop("text"), "Memo1");
  EXPECT_EQ(d->Items(1)->Prop("text"), "Lines");
  EXPECT_EQ(d->Items(2)->Prop("text"), "[");
  EXPECT_EQ(d->Items(3)->Name, "expr");
  TfsXMLItem* get = assign->Items(1)->Items(0);
  EXPECT_EQ(get->Name, "dsgn");
  EXPECT_EQ(get->Items(0)->Prop("text"), "Get");
  EXPECT_EQ(get->Items(1)->Items(0)->Prop("text"), "'ds.\"a>b\"'");
}

TEST(ScriptIntermediate, UnitsAreIncludedOnce) {
  ScriptRun r;
  std::vector<String> asked;
  r.Script->OnGetUnit = [&](TfsScript*, const String& name, String& text) {
    asked.push_back(name);
    if (name == "a.pas") text = "uses 'b.pas'; var fromA: Integer; begin fromA := 1; end.";
    if (name == "b.pas") text = "var fromB: Integer; begin fromB := 2; end.";
    if (name == "bad.pas") text = "begin x := ; end.";
  };
  ASSERT_TRUE(r.Run("uses 'a.pas', 'b.pas'; var t: Integer; begin t := fromA + fromB; end.")) << r.Error();
  EXPECT_EQ(r.Get("t"), Variant(3));
  EXPECT_EQ(asked, (std::vector<String>{"b.pas", "a.pas"}));

  ScriptRun e;
  e.Script->OnGetUnit = r.Script->OnGetUnit;
  EXPECT_FALSE(e.Compile("uses 'bad.pas'; begin end."));
  EXPECT_EQ(e.Script->ErrorText, "Expression expected");
  EXPECT_EQ(e.Script->ErrorLocation, "1:12");
  EXPECT_EQ(e.Script->ErrorUnitName, "bad.pas");
}

TEST(ScriptLanguages, Registry) {
  EXPECT_NE(ScriptLanguageGrammar("pascalscript").find("<language text=\"PascalScript\">"), String::npos);
  size_t count = ScriptLanguageNames().size();
  String saved = ScriptLanguageGrammar("PascalScript");
  AddScriptLanguage("PASCALSCRIPT", "x");
  EXPECT_EQ(ScriptLanguageGrammar("PascalScript"), "x");
  EXPECT_EQ(ScriptLanguageNames().size(), count);
  AddScriptLanguage("PascalScript", saved);

  // The grammar text is one line of XML that the model reads.
  TfsXMLDocument doc;
  TStringStream s(saved);
  doc.LoadFromStream(&s);
  EXPECT_EQ(saved.find('\n'), String::npos);
  EXPECT_EQ(doc.Root()->FindItem("parser")->FindItem("keywords")->Count(), 40);
  EXPECT_EQ(doc.Root()->FindItem("compoundstmt")->Items(2)->Prop("err"), "err5");
}

TEST(ScriptLanguages, KeywordsIgnoreCaseAndLanguageLine) {
  ScriptRun r;
  EXPECT_TRUE(r.Run("VAR x: Integer; Begin X := 2 END.")) << r.Error();
  EXPECT_EQ(r.Get("x"), Variant(2));

  ScriptRun l;
  EXPECT_TRUE(l.Run("#language PascalScript\r\nvar y: Integer; begin y := 3; end.")) << l.Error();
  EXPECT_EQ(l.Get("y"), Variant(3));
  ScriptRun u;
  try {
    u.Compile("#language NoSuch\r\nbegin end.");
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Language 'NoSuch' not found");
  }
}

TEST(ScriptTools, LiteralsAndDeclarations) {
  EXPECT_EQ(LiteralToVariant("''"), Variant(""));
  EXPECT_EQ(LiteralToVariant("2147483648").Kind(), varInt64);
  EXPECT_EQ(LiteralToVariant("$FF").Kind(), varInteger);
  EXPECT_EQ(LiteralToVariant("$FF"), Variant(255));
  EXPECT_EQ(LiteralToVariant("1.5"), Variant(1.5));
  EXPECT_TRUE(LiteralToVariant("").IsNull());

  TfsScript prog(nullptr);
  prog.AddRTTI();
  std::unique_ptr<TfsCustomVariable> f(ParseMethodDeclaration("function Find(const Name: String): Integer", &prog));
  EXPECT_EQ(f->Name(), "Find");
  EXPECT_EQ(f->Typ, fvtInt);
  ASSERT_EQ(f->Count(), 1);
  EXPECT_EQ(f->Params(0)->Typ, fvtString);
  EXPECT_FALSE(f->Params(0)->IsVarParam);
  EXPECT_FALSE(f->Params(0)->IsOptional);

  std::unique_ptr<TfsCustomVariable> p(ParseMethodDeclaration("procedure P(var A, B: Integer; C: String = 'x')", &prog));
  ASSERT_EQ(p->Count(), 3);
  EXPECT_TRUE(p->Params(0)->IsVarParam && p->Params(1)->IsVarParam);
  EXPECT_FALSE(p->Params(0)->IsOptional || p->Params(1)->IsOptional);
  EXPECT_TRUE(p->Params(2)->IsOptional);
  EXPECT_EQ(p->Params(2)->DefValue, Variant("x"));
  EXPECT_EQ(p->RequiredParamCount(), 2);

  std::unique_ptr<TfsCustomVariable> m(ParseMethodDeclaration(
      "macrofunction SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = -1): Variant", &prog));
  EXPECT_TRUE(m->IsMacro);
  EXPECT_EQ(m->Name(), "SUM");
  ASSERT_EQ(m->Count(), 3);
  EXPECT_EQ(m->Params(1)->DefValue, Variant(0));
  EXPECT_EQ(m->Params(2)->DefValue, Variant(-1));
  EXPECT_EQ(m->RequiredParamCount(), 1);

  std::unique_ptr<TfsCustomVariable> bare(ParseMethodDeclaration("procedure Randomize", &prog));
  EXPECT_EQ(bare->Count(), 0);

  Integer line, col;
  ParseLineColumn("12:7", line, col);
  EXPECT_EQ(line, 12);
  EXPECT_EQ(col, 7);
  ParseLineColumn("", line, col);
  EXPECT_EQ(line + col, 0);
}

TEST(ScriptTools, TypeCompatibility) {
  TfsScript prog(nullptr);
  prog.AddRTTI();
  prog.AddEnum("TA", "a1, a2");
  prog.AddEnum("TB", "b1");
  prog.AddClass(TComponent::StaticClass(), "TPersistent");
  prog.AddClass(TfsScript::StaticClass(), "TComponent");
  prog.AddClass(TStringList::StaticClass(), "TStrings");
  EXPECT_TRUE(KindsCompatible(fvtInt, "", fvtEnum, "TA", &prog));
  EXPECT_FALSE(KindsCompatible(fvtEnum, "TA", fvtEnum, "TB", &prog));
  EXPECT_TRUE(KindsCompatible(fvtEnum, "TA", fvtEnum, "ta", &prog));
  EXPECT_TRUE(KindsCompatible(fvtFloat, "", fvtInt, "", &prog));
  EXPECT_TRUE(KindsCompatible(fvtClass, "TComponent", fvtClass, "TfsScript", &prog));
  EXPECT_FALSE(KindsCompatible(fvtClass, "TComponent", fvtClass, "TStringList", &prog));
  EXPECT_FALSE(KindsCompatible(fvtConstructor, "", fvtVariant, "", &prog));

  ScriptRun r;
  r.Script->AddEnum("TA", "a1, a2");
  EXPECT_TRUE(r.Compile("var i: Integer; begin i := a2; end.")) << r.Error();
  EXPECT_FALSE(r.Compile("var i: Integer; begin i := 2.5; end."));
}
