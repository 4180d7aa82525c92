// The report document: preparing with a stand-in engine, report datasets
// over a real database, expressions, scripts, report files and the progress
// window.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Forms.h"
#include "Messages.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "ReportTestObjects.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "frxProgress.h"
#include "frxRes.h"
#include "frxVariables.h"
#include "fs_iinterpreter.h"
#include "fs_itools.h"
#include "gtest.h"

namespace {

// An engine that runs a callback in place of building pages.
class TStandInEngine : public TfrxCustomEngine {
 public:
  using TfrxCustomEngine::TfrxCustomEngine;
  void EndPage() override {}
  void NewColumn() override {}
  void NewPage() override {}
  void ShowBand(TfrxComponent*) override {}
  void ShowBandByClass(TClass) override {}
  Extended HeaderHeight() override { return 0; }
  Extended FooterHeight() override { return 0; }
  Extended FreeSpace() override { return 100; }
  Variant GetAggregateValue(const String& Name, const String& Expression, TfrxComponent*, Integer) override {
    return Variant(Name + ":" + Expression);
  }
  bool Run() override {
    ++Runs;
    Running = true;
    bool ok = true;
    try {
      if (OnRun) ok = OnRun(Report());
    } catch (...) {
      Running = false;
      throw;
    }
    Running = false;
    return ok;
  }
  static inline int Runs = 0;
  static inline std::function<bool(TfrxReport*)> OnRun;
};

class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    frxEngineClass = [](TfrxReport* r) -> TfrxCustomEngine* { return new TStandInEngine(r); };
    TStandInEngine::Runs = 0;
    TStandInEngine::OnRun = nullptr;
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    Page = new TfrxTestBox(Report.get());
    Page->SetName("Page1");
    Memo = new TfrxTestMemoView(Page);
    Memo->SetName("Memo1");
    Memo->SetLeft(10);
  }
  void TearDown() override {
    Report.reset();
    frxEngineClass = nullptr;
    TStandInEngine::OnRun = nullptr;
  }
  bool HasError(const String& part) {
    for (Integer i = 0; i < Report->Errors()->Count(); ++i)
      if ((*Report->Errors())[i].find(part) != String::npos) return true;
    return false;
  }
  std::unique_ptr<TfrxReport> Report;
  TfrxTestBox* Page;
  TfrxTestMemoView* Memo;
};

TEST_F(ReportFixture, CreatedWithItsDefaults) {
  EXPECT_EQ(Report->Version(), "4.7.22");
  Report->SetVersion("1.0");
  EXPECT_EQ(Report->Version(), "4.7.22");
  EXPECT_EQ(Report->ScriptText()->Text(), "begin\r\n\r\nend.\r\n");
  EXPECT_EQ(Report->ScriptLanguage(), "PascalScript");
  EXPECT_EQ(Report->IniFile, "\\Software\\Zoru Dududes");
  EXPECT_TRUE(Report->ShowProgress);
  EXPECT_EQ(Report->SysVariables()->Count(), 9);
  EXPECT_NE(Report->Engine(), nullptr);
}

TEST_F(ReportFixture, DatasetItemWithoutDatasetStopsBeforeTheScript) {
  Report->ScriptText()->SetText("begin Set('ran', 1) end.");
  Report->DataSets()->Add()->SetDataSetName("Orders");
  EXPECT_FALSE(Report->PrepareReport());
  EXPECT_EQ(TStandInEngine::Runs, 0);
  EXPECT_EQ(Report->Variables()->IndexOf("ran"), -1);
  ASSERT_EQ(Report->Errors()->Count(), 1);
  EXPECT_EQ((*Report->Errors())[0], Format(frxGetResources()->Get("clDSNotExist"), {String("Orders")}));

  // The re-throwing mode hands the whole list over as one exception.
  Report->EngineOptions()->NewSilentMode = simReThrow;
  try {
    Report->PrepareReport();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().rfind(frxGetResources()->Get("clErrors") + "\r\n", 0), 0u);
    EXPECT_NE(e.Message().find("Orders"), String::npos);
  }
}

TEST_F(ReportFixture, RunsScriptAndEngineAndRestoresTheTemplate) {
  Report->ScriptText()->SetText("begin Memo1.SetBounds(99, 0, 5, 5); Set('ran', 'yes') end.");
  Report->ReportOptions()->Password = "pw";
  double leftDuringRun = 0;
  TStandInEngine::OnRun = [&](TfrxReport* r) {
    leftDuringRun = r->FindObject("Memo1")->Left();
    return true;
  };
  int endDocs = 0;
  Report->OnEndDoc = [&](TObject*) { ++endDocs; };
  EXPECT_TRUE(Report->PrepareReport());
  EXPECT_EQ(TStandInEngine::Runs, 1);
  EXPECT_EQ(endDocs, 1);
  EXPECT_DOUBLE_EQ(leftDuringRun, 99);
  // The template came back from its copy; the password too.
  EXPECT_DOUBLE_EQ(Report->FindObject("Memo1")->Left(), 10);
  EXPECT_EQ(Report->ReportOptions()->Password, "pw");
  EXPECT_EQ(Report->Errors()->Count(), 0) << Report->Errors()->Text();
}

TEST_F(ReportFixture, ErrorsOfTheRunStayInTheListWithoutDuplicates) {
  TStandInEngine::OnRun = [](TfrxReport* r) -> bool {
    r->Errors()->Add("field missing");
    r->Errors()->Add("field missing");
    throw Exception("engine broke");
  };
  EXPECT_FALSE(Report->PrepareReport());
  EXPECT_EQ(Report->Errors()->Count(), 2);
  EXPECT_TRUE(HasError("engine broke"));

  // A compile error stops before the engine.
  TStandInEngine::Runs = 0;
  Report->ScriptText()->SetText("begin x := ; end.");
  EXPECT_FALSE(Report->PrepareReport());
  EXPECT_EQ(TStandInEngine::Runs, 0);
  ASSERT_EQ(Report->Errors()->Count(), 1);
  EXPECT_EQ((*Report->Errors())[0].rfind("Script 错误在", 0), 0u);
}

TEST_F(ReportFixture, ScriptErrorsSpeakChinese) {
  Report->ScriptText()->SetText("begin Unknown1 := 1 end.");
  EXPECT_FALSE(Report->PrepareReport());
  EXPECT_TRUE(HasError("标识符未宣告")) << Report->Errors()->Text();
}

TEST_F(ReportFixture, ReportCalcFromAScript) {
  Report->ScriptText()->SetText("begin Set('r', Report.Calc('1+2')); Set('d', DayOf(EncodeDate(2008, 2, 29))) end.");
  // The run's variables are seen by the engine; the template comes back afterwards.
  Variant r, d;
  TStandInEngine::OnRun = [&](TfrxReport* rep) {
    r = rep->Variables()->Variables("r");
    d = rep->Variables()->Variables("d");
    return true;
  };
  EXPECT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(r.AsInteger(), 3);
  EXPECT_EQ(d.AsInteger(), 29);
}

TEST_F(ReportFixture, ScriptsGetNoObjectFromANumberOrAWrongClass) {
  for (const char* text : {"begin TfrxReport(12345).Calc('1') end.",
                           "var l: TStringList; begin l := TStringList.Create; TfrxReport(l).Calc('1') end."}) {
    Report->ScriptText()->SetText(text);
    EXPECT_FALSE(Report->PrepareReport()) << text;
    EXPECT_EQ(TStandInEngine::Runs, 0) << text;
  }
}

// The running report and its objects belong to the host: a script freeing
// them, or freeing twice what it made, ends in a script error and the
// report lives on.
TEST_F(ReportFixture, ScriptsFreeNeitherTheReportNorItsObjects) {
  for (const char* text : {"begin Report.Free end.", "begin Memo1.Free end.", "begin Page1.Free end.",
                           "var l: TStringList; begin l := TStringList.Create; l.Free; l.Free end."}) {
    Report->ScriptText()->SetText(text);
    EXPECT_FALSE(Report->PrepareReport()) << text;
    EXPECT_EQ(TStandInEngine::Runs, 0) << text;
    EXPECT_TRUE(HasError("free")) << text << ": " << Report->Errors()->Text();
  }
  // Each run starts again from the saved template, so the memo is a new
  // object of the same name and class.
  ASSERT_TRUE(dynamic_cast<TfrxTestMemoView*>(Report->FindObject("Memo1")));
  Report->ScriptText()->SetText("var l: TStringList; begin l := TStringList.Create; l.Free end.");
  EXPECT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
}

TEST_F(ReportFixture, StreamWriteIsKeptInsideItsBuffer) {
  Report->ScriptText()->SetText(
      "var s: TMemoryStream; n: Integer; b: String; begin s := TMemoryStream.Create;"
      " n := s.Write('abc', 3); s.Position := 0; s.Read(b, 10); Set('n', n); Set('b', b);"
      " s.Write('ab', 1000); end.");
  Report->EngineOptions()->DestroyForms = false;   // keep what the script set
  EXPECT_FALSE(Report->PrepareReport());
  EXPECT_EQ(Report->Variables()->Variables("n").AsInteger(), 3);
  EXPECT_EQ(VarToStr(Report->Variables()->Variables("b")), "abc");
  EXPECT_TRUE(HasError("TStream.Write")) << Report->Errors()->Text();
  Report->ScriptText()->SetText("var s: TMemoryStream; begin s := TMemoryStream.Create; s.Write('ab', -1) end.");
  EXPECT_FALSE(Report->PrepareReport());
}

TEST_F(ReportFixture, ExpressionsCompileOncePerTextAndIIFIsLazy) {
  ASSERT_TRUE(Report->PrepareScript());
  auto* cache = Report->ExpressionCache();
  EXPECT_EQ(Report->Calc("2*3").AsInteger(), 6);
  EXPECT_EQ(Report->Calc("2*3").AsInteger(), 6);
  Report->Variables()->SetVariables("Total", Variant(String("1+2")));
  Report->Variables()->SetVariables("Lines", Variant(String("a\r\nb")));
  EXPECT_EQ(Report->Calc("Total").AsInteger(), 3);
  EXPECT_EQ(VarToStr(Report->Calc("Lines")), "a\r\nb");
  EXPECT_EQ(Report->Calc("Page#").AsInteger(), 1);
  // Only "2*3" and the variable's text needed a generated function.
  EXPECT_EQ(cache->Count(), 2);
  EXPECT_EQ(Report->Calc("IIF(1 < 2, 'yes', StrToInt('x'))").AsString(), "yes");
  EXPECT_EQ(Report->Calc("SUM(Memo1.AbsLeft)").AsString(), "SUM:Memo1.AbsLeft");
  // A variable that names itself ends with an error, not a crash.
  Report->Variables()->SetVariables("Loop", Variant(String("Loop")));
  EXPECT_THROW(Report->Calc("Loop"), Exception);

  Report->CurObject = "Memo1";
  Report->Errors()->Clear();
  EXPECT_THROW(Report->Calc("1 +* 2"), Exception);
  ASSERT_EQ(Report->Errors()->Count(), 1);
  EXPECT_EQ((*Report->Errors())[0].rfind("Memo1: " + frxGetResources()->Get("clExprError"), 0), 0u);
}

// ---------------------------------------------------------------------------
// Report datasets over a SQLite file.

class DataFixture : public ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-report-tests";
    ::mkdir(dir.c_str(), 0755);
    Path = dir + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mdb";
    std::remove(Path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    const char* schema =
        "CREATE TABLE Customers (C_ID INTEGER PRIMARY KEY, C_Name TEXT(50), C_Memo MEMO, C_JE DOUBLE);"
        "INSERT INTO Customers VALUES (1, '张三', NULL, 1.5), (2, '李四', 'x', NULL), (3, '王五', NULL, 3);";
    ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
    Query = std::make_unique<TADOQuery>();
    Query->SetConnection(Conn.get());
    Query->SQL()->SetText("SELECT * FROM Customers ORDER BY C_ID");
    Query->Open();
    Data = std::make_unique<TfrxDBDataset>();
    Data->SetName("frxDBDataset1");
    Data->SetDataSet(Query.get());
    Report->DataSets()->Add(Data.get());
  }
  void TearDown() override {
    ReportFixture::TearDown();
    Data.reset();
    Query.reset();
    Conn.reset();
    std::remove(Path.c_str());
  }
  std::vector<String> Names() {
    std::vector<String> names;
    Data->First();
    while (!Data->Eof()) {
      names.push_back(VarToStr(Data->GetValue("C_Name")));
      Data->Next();
    }
    return names;
  }
  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
  std::unique_ptr<TADOQuery> Query;
  std::unique_ptr<TfrxDBDataset> Data;
};

TEST_F(DataFixture, ReadsRecordsWithinTheirRange) {
  Report->DataSets()->InitializeAll();
  EXPECT_EQ(Names(), (std::vector<String>{"张三", "李四", "王五"}));
  EXPECT_EQ(Data->RecordCount(), 3);
  Data->Finalize();

  Data->SetRangeEnd(reCount);
  Data->SetRangeEndCount(2);
  Data->Initialize();
  EXPECT_EQ(Names(), (std::vector<String>{"张三", "李四"}));
  Data->Finalize();

  // The record current when the run starts, and only it; the cursor returns to it.
  Data->SetRangeEnd(reCurrent);
  Data->SetRangeBegin(rbCurrent);
  Query->First();
  Query->Next();
  Data->Initialize();
  EXPECT_EQ(Names(), (std::vector<String>{"李四"}));
  Query->Last();
  Data->Finalize();
  EXPECT_EQ(Query->FieldByName("C_Name")->AsString(), "李四");
  EXPECT_TRUE(Query->Active());
}

TEST_F(DataFixture, AliasesHideAndRenameFields) {
  Data->FieldAliases()->Add("C_ID=Code");
  Data->FieldAliases()->Add("-C_Memo=Memo");
  Data->FieldAliases()->Add("C_Name=Name");
  TStringList fields;
  Data->GetFieldList(&fields);
  EXPECT_EQ(fields.CommaText(), "Code,Name");
  Data->Initialize();
  Data->First();
  EXPECT_EQ(Data->GetValue("Code").AsInteger(), 1);
  EXPECT_EQ(Data->GetFieldType("Name"), fftString);
  Data->Finalize();
}

TEST_F(DataFixture, FieldReferencesInExpressionsAndTheMissingField) {
  ASSERT_TRUE(Report->PrepareScript());
  Report->DataSets()->InitializeAll();
  Data->First();
  Data->Next();
  EXPECT_EQ(Report->Calc("frxDBDataset1.\"C_Name\"").AsString(), "李四");
  EXPECT_EQ(Report->Calc("frxDBDataset1.\"C_JE\"").AsInteger(), 0);   // Null of a number
  EXPECT_EQ(Report->ExpressionCache()->Count(), 0);
  Report->EngineOptions()->ConvertNulls = false;
  EXPECT_TRUE(Report->Calc("frxDBDataset1.\"C_JE\"").IsNull());
}

TEST_F(DataFixture, MissingFieldEndsTheRunWithTheErrorList) {
  TStandInEngine::OnRun = [](TfrxReport* r) {
    r->DataSets()->InitializeAll();
    r->CurObject = "Memo1";
    TfrxDataSet* ds = r->GetDataset("frxDBDataset1");
    ds->First();
    EXPECT_TRUE(ds->GetValue("C_Nmae").IsNull());
    EXPECT_TRUE(ds->GetValue("C_Nmae").IsNull());
    r->DataSets()->FinalizeAll();
    return true;
  };
  EXPECT_FALSE(Report->PrepareReport());
  ASSERT_EQ(Report->Errors()->Count(), 1);
  EXPECT_EQ((*Report->Errors())[0],
            "Memo1: " + frxGetResources()->Get("dbFldNotFound") + " frxDBDataset1.\"C_Nmae\"");
}

TEST_F(DataFixture, UserNameFollowsTheName) {
  Data->SetName("Orders");
  EXPECT_EQ(Data->UserName(), "Orders");
  Data->SetUserName("订单");
  Data->SetName("Orders2");
  EXPECT_EQ(Data->UserName(), "订单");
  EXPECT_THROW(Data->SetUserName("  "), Exception);
  EXPECT_EQ(Report->GetDataset("订单"), Data.get());
}

TEST(frxUserDataSet, CountRangeEndsWithoutFiringNext) {
  TfrxUserDataSet ds;
  int nexts = 0;
  ds.OnNext = [&](TObject*) { ++nexts; };
  ds.SetRangeEnd(reCount);
  ds.SetRangeEndCount(3);
  ds.First();
  ds.Next();
  ds.Next();
  EXPECT_FALSE(ds.Eof());
  ds.Next();
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(nexts, 2);
  EXPECT_EQ(ds.RecordCount(), 3);
}

// ---------------------------------------------------------------------------
// Report files

TEST_F(DataFixture, SavedAndLoadedWithDatasetsVariablesStyleAndPassword) {
  Report->Variables()->SetVariables("Title", Variant(String("客户")));
  Report->Styles()->Add()->SetName("Header");
  Report->ReportOptions()->Password = "abc";
  Report->EngineOptions()->DoublePass = true;
  Report->ScriptText()->SetText("begin end.");
  TMemoryStream stream;
  Report->SaveToStream(&stream);
  const String xml(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
  EXPECT_NE(xml.find("Password=\"WXY\""), String::npos) << xml;

  TfrxReport loaded;
  loaded.EngineOptions()->NewSilentMode = simSilent;
  loaded.ShowProgress = false;
  int asked = 0;
  frxPasswordQuery = [&](String& typed) {
    ++asked;
    typed = "abc";
    return true;
  };
  stream.SetPosition(0);
  loaded.LoadFromStream(&stream);
  frxPasswordQuery = nullptr;
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(loaded.Errors()->Count(), 0) << loaded.Errors()->Text();
  EXPECT_EQ(loaded.ReportOptions()->Password, "abc");
  EXPECT_EQ(VarToStr(loaded.Variables()->Variables("Title")), "客户");
  ASSERT_EQ(loaded.Styles()->Count(), 1);
  EXPECT_EQ(loaded.Styles()->Items(0)->Name(), "Header");
  ASSERT_EQ(loaded.DataSets()->Count(), 1);
  EXPECT_EQ(loaded.DataSets()->Items(0)->DataSet(), Data.get());
  EXPECT_TRUE(loaded.EngineOptions()->DoublePass);
  EXPECT_FALSE(loaded.ShowProgress);   // not taken from the file
  ASSERT_NE(loaded.FindObject("Memo1"), nullptr);
  EXPECT_DOUBLE_EQ(loaded.FindObject("Memo1")->Left(), 10);

  // A wrong password clears the report.
  TfrxReport guarded;
  guarded.EngineOptions()->NewSilentMode = simSilent;
  frxPasswordQuery = [](String& typed) {
    typed = "wrong";
    return true;
  };
  stream.SetPosition(0);
  guarded.LoadFromStream(&stream);
  frxPasswordQuery = nullptr;
  EXPECT_EQ(guarded.FindObject("Memo1"), nullptr);
}

TEST_F(ReportFixture, FilesLoadAndMissingFilesAnswerFalse) {
  const char* tmp = std::getenv("TMPDIR");
  String file = String(tmp && *tmp ? tmp : "/tmp") + "/tovani-report-file.fr3";
  Report->SaveToFile(file);
  TfrxReport other;
  EXPECT_TRUE(other.LoadFromFile(file));
  EXPECT_EQ(other.FileName(), file);
  EXPECT_NE(other.FindObject("Memo1"), nullptr);
  EXPECT_FALSE(other.LoadFromFile(file + ".missing"));
  EXPECT_EQ(other.FindObject("Memo1"), nullptr);
  std::remove(file.c_str());
}

// ---------------------------------------------------------------------------
// Progress window

TEST(frxProgress, CancelButtonTerminatesAndClosesTheWindow) {
  TForm owner;
  owner.Show();
  TfrxProgress progress;
  progress.Execute(0, "准备页 1", true, false);
  EXPECT_TRUE(progress.Visible());
  EXPECT_EQ(progress.Message(), "准备页 1");
  EXPECT_EQ(progress.CancelB()->Caption(), "取消");
  SendMessageW(progress.CancelB()->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(progress.Terminated());
  EXPECT_FALSE(progress.Visible());
}

TEST_F(ReportFixture, CancelInTheProgressWindowTerminatesTheRun) {
  Report->OldStyleProgress = true;
  Report->DoProgressStart(ptRunning);
  ASSERT_NE(Report->ProgressWindow(), nullptr);
  SendMessageW(Report->ProgressWindow()->CancelB()->Handle(), BM_CLICK, 0, 0);
  Report->DoProgress(ptRunning, 2);
  EXPECT_TRUE(Report->Terminated());
  Report->DoProgressStop(ptRunning);
  EXPECT_EQ(Report->ProgressWindow(), nullptr);
}

}  // namespace

// The report's cursors exist once a report was made: screen cursors 150 to
// 152 (crHand, crZoom, crFormat to scripts) are three cursors of their own,
// not the arrow every unknown number gives.
TEST(frxReport, ReportCursorsAreScreenCursors) {
  TfrxReport report;
  const HCURSOR arrow = Screen->Cursors(crDefault);
  const HCURSOR hand = Screen->Cursors(150), zoom = Screen->Cursors(151), format = Screen->Cursors(152);
  for (HCURSOR c : {hand, zoom, format}) {
    EXPECT_NE(c, nullptr);
    EXPECT_NE(c, arrow);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(c, &info));
    EXPECT_FALSE(info.fIcon);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  EXPECT_NE(hand, zoom);
  EXPECT_NE(zoom, format);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_EQ(info.xHotspot, 8u);
  EXPECT_EQ(info.yHotspot, 8u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

