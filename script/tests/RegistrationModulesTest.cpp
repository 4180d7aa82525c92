// The class-library and ini-file registration modules as scripts use them.
#include "ScriptTestUtils.h"
#include "fs_iclassesrtti.h"
#include "fs_iinirtti.h"
#include "gtest.h"

namespace {

struct ModulesFixture : ::testing::Test {
  void SetUp() override {
    fsRegisterIniRTTI();
    fsRegisterClassesRTTI();
    Run = std::make_unique<ScriptRun>();
  }
  void TearDown() override {
    Run.reset();
    fsUnregisterRTTIModule(&TfsClassesFunctions::CreateModule);
    fsUnregisterRTTIModule(&TfsIniFunctions::CreateModule);
  }
  std::unique_ptr<ScriptRun> Run;
};

TEST_F(ModulesFixture, StringListsFromScripts) {
  ASSERT_TRUE(Run->Run(
      "var l: TStringList; a, b, i, j: Integer; f, g: Boolean; s: String;\n"
      "begin l := TStringList.Create; a := l.Add('b'); b := l.Add('a');\n"
      " l.Sorted := True; f := l.Find('b', i); g := l.Find('ab', j);\n"
      " l.Values['k'] := 'v'; s := l.CommaText + '|' + l[0] + '|' + l.ClassName; l.Free end."))
      << Run->Error();
  EXPECT_EQ(Run->Get("a").AsInteger(), 0);
  EXPECT_EQ(Run->Get("b").AsInteger(), 1);
  EXPECT_TRUE(Run->Get("f").AsBoolean());
  EXPECT_EQ(Run->Get("i").AsInteger(), 1);
  EXPECT_FALSE(Run->Get("g").AsBoolean());
  EXPECT_EQ(Run->Get("j").AsInteger(), 1);
  EXPECT_EQ(VarToStr(Run->Get("s")), "a,b,k=v|a|TStringList");
}

TEST_F(ModulesFixture, StreamsReadWhatIsThereAndWriteOnlyTheirBuffer) {
  ASSERT_TRUE(Run->Run(
      "var m: TMemoryStream; n, w: Integer; b, e1, e2: String;\n"
      "begin m := TMemoryStream.Create; w := m.Write('0123456789', 10); m.Position := 6;\n"
      " n := m.Read(b, 10);\n"
      " try m.Write('ab', 3) except e1 := ExceptionMessage end;\n"
      " try m.Write('ab', -1) except e2 := ExceptionMessage end;\n"
      " m.Free end."))
      << Run->Error();
  EXPECT_EQ(Run->Get("w").AsInteger(), 10);
  EXPECT_EQ(Run->Get("n").AsInteger(), 4);
  EXPECT_EQ(VarToStr(Run->Get("b")), "6789");
  EXPECT_NE(VarToStr(Run->Get("e1")).find("TStream.Write"), String::npos);
  EXPECT_NE(VarToStr(Run->Get("e2")).find("TStream.Write"), String::npos);
}

TEST_F(ModulesFixture, NoObjectFromANumberOrOfAnotherClass) {
  for (const char* text :
       {"begin TStringList(1234).Add('x') end.",
        "var m: TMemoryStream; begin m := TMemoryStream.Create; TStringList(m).Add('x') end.",
        "var l: TList; begin l := TList.Create; l.Delete(5) end."}) {
    ASSERT_TRUE(Run->Compile(text)) << text << Run->Error();
    EXPECT_THROW(Run->Script->Execute(), Exception) << text;
  }
}

// Scripts free what they made while it lives; the host's objects, objects
// already freed and objects their owner freed are script errors.
TEST_F(ModulesFixture, ScriptsFreeOnlyTheObjectsTheyMade) {
  TStringList host;
  host.Add("kept");
  auto failure = [&](const String& text) -> String {
    ScriptRun run;
    run.Script->AddObject("Host", &host);
    if (!run.Compile(text)) return "compile: " + run.Error();
    try {
      run.Script->Execute();
    } catch (const EfsScriptError& e) {
      return e.Message();
    }
    return String();
  };
  const String notMade = "Free: a script can free only the objects it created";
  const String freed = "The object has already been freed";
  const struct { const char* Text; String Error; } cases[] = {
      {"begin Host.Free end.", notMade},
      {"var d: TfsXMLDocument; begin d := TfsXMLDocument.Create; d.Root.Free end.", notMade},
      {"var l: TStringList; begin l := TStringList.Create; l.Free; l.Free end.", freed},
      // Untyped: the member is found from the value when first run.
      {"var l: Variant; begin l := TStringList.Create; l.Free; l.Free end.", freed},
      {"var l: Variant; begin l := TStringList.Create; l.Free; l.Add('x') end.", freed},
      // Gone with their owner or parent.
      {"var o, c: TComponent; begin o := TComponent.Create(nil); c := TComponent.Create(o); o.Free; c.Free end.",
       notMade},
      {"var p, i: TfsXMLItem; begin p := TfsXMLItem.Create; i := TfsXMLItem.Create; p.AddItem(i); p.Free; i.Free end.",
       notMade},
      // Freed first, they leave their owner and parent.
      {"var o, c: TComponent; begin o := TComponent.Create(nil); c := TComponent.Create(o); c.Free; o.Free end.", ""},
      {"var p, i: TfsXMLItem; begin p := TfsXMLItem.Create; i := TfsXMLItem.Create; p.AddItem(i); i.Free;"
       " p.Free end.",
       ""},
      // A constructor that makes its own object.
      {"var i: TMemIniFile; begin i := TMemIniFile.Create(''); i.Free end.", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(failure(c.Text), c.Error) << c.Text;
  EXPECT_EQ(host.Count(), 1);
}

TEST_F(ModulesFixture, IniListsAndSectionValues) {
  ASSERT_TRUE(Run->Run(
      "var ini: TMemIniFile; a, b, v: TStringList; s: String;\n"
      "begin ini := TMemIniFile.Create('');\n"
      " a := TStringList.Create; a.Add('x'); a.Add('y=z');\n"
      " ini.WriteTStrings('L', a); b := TStringList.Create; ini.ReadTStrings('L', b);\n"
      " ini.WriteString('S', 'A', '1'); ini.WriteString('S', 'B', '2');\n"
      " v := TStringList.Create; ini.ReadSectionValuesEx('S', v);\n"
      " s := b.Text + '|' + v.CommaText + '|' + IntToStr(ini.ReadInteger('L', 'Count', 0)) end."))
      << Run->Error();
  EXPECT_EQ(VarToStr(Run->Get("s")), "x\r\ny=z\r\n|1,2|2");
}

}  // namespace
