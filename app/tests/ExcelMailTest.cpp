// The program's workbook wrapper and mail sender. Mail goes to a stand-in
// mail client registered in the test prefix as the Simple MAPI provider.
#include <windows.h>

#include <fstream>
#include <sstream>

#include "MapiControl.h"
#include "SysUtils.h"
#include "TempDir.h"
#include "Utf8.h"
#include "Variant.h"
#include "gtest.h"
#include "uExcel.h"

namespace {

std::string WinName(const std::string& linuxPath) {
  std::string w = "Z:" + linuxPath;
  for (auto& c : w)
    if (c == '/') c = '\\';
  return w;
}

void SetEnv(const char16_t* name, const std::string& value) {
  auto v = Utf8ToUtf16(value);
  SetEnvironmentVariableW(reinterpret_cast<LPCWSTR>(name), value.empty() ? nullptr : reinterpret_cast<LPCWSTR>(v.c_str()));
}

// Registers the stand-in before the system's MAPI library is first loaded:
// the library reads the registered client when it starts.
void RegisterMailStandIn() {
  static bool done = [] {
    auto set = [](const char16_t* key, const char16_t* name, const std::u16string& value) {
      HKEY k;
      if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(key), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                          nullptr) != ERROR_SUCCESS)
        return;
      RegSetValueExW(k, reinterpret_cast<LPCWSTR>(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     (value.size() + 1) * sizeof(char16_t));
      RegCloseKey(k);
    };
    set(u"Software\\Clients\\Mail", nullptr, u"TovaniTestMail");
    set(u"Software\\Clients\\Mail\\TovaniTestMail", u"DLLPath",
        Utf8ToUtf16(WinName(std::string(TOVANI_TEST_BINARY_DIR) + "/tovmapi.dll.so")));
    return true;
  }();
  (void)done;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace

TEST(Excel, CellsWrittenAsValuesOrTextsAndSaved) {
  TempDir dir;
  std::string templ = dir.File("price.xlsx");
  {
    auto t = TWorkbook::CreateNew();
    t->Sheet(1).SetText(2, 1, "客户:");
    t->SaveAs(templ);
  }
  std::string saved;
  {
    TExcel excel(templ, false);
    EXPECT_EQ(excel.Sheet->Cell(2, 1).Text, "客户:");
    excel.SetRangeText("B2", Variant(String("上海贸易公司")));
    excel.SetRangeValue("D2", VarFromDateTime(45351));
    excel.SetCellText(4, 2, Variant(String("00123")));
    excel.SetCellValue(6, 6, Variant(12.5));
    excel.SetCellValue(6, 7, Variant(true));
    excel.SetCellValue(6, 8, Variant::Null());
    excel.SetCellText(6, 9, Variant::Null());
    saved = dir.File("P0001.xlsx");
    excel.SaveAs(saved);
    excel.SaveAs(saved);  // a second export of the same quotation overwrites it
  }
  auto back = TWorkbook::Open(saved);
  auto& s = back->Sheet(1);
  EXPECT_EQ(s.Cell(2, 2).Text, "上海贸易公司");
  EXPECT_EQ(s.NumberFormat(2, 2), "@");
  EXPECT_DOUBLE_EQ(s.Cell(2, 4).Number, 45351);
  EXPECT_EQ(s.Cell(4, 2).Text, "00123");
  EXPECT_EQ(s.Cell(6, 6).Kind, TWorkbookCellKind::Number);
  EXPECT_EQ(s.Cell(6, 7).Kind, TWorkbookCellKind::Boolean);
  EXPECT_EQ(s.Cell(6, 8).Kind, TWorkbookCellKind::Empty);
  EXPECT_EQ(s.Cell(6, 9).Kind, TWorkbookCellKind::Empty);
}

TEST(Excel, ShownWorkbooksAreSavedAndOpenedOnTheDesktop) {
  std::vector<String> opened;
  SetDefaultApplicationOpener([&](const String& f) { opened.push_back(f); });
  TempDir dir;
  {
    TExcel excel("", false);  // a new workbook, never saved by the caller
    excel.SetCellValue(1, 1, Variant(1));
    excel.SetVisible(true);
  }
  {
    TExcel excel("", false);
    excel.SetCellValue(1, 1, Variant(2));
    excel.SaveAs(dir.File("shown.xlsx"));
    excel.SetVisible(true);
  }
  {
    TExcel hidden("", false);  // neither saved nor shown: nothing reaches the desktop
  }
  SetDefaultApplicationOpener(nullptr);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(ExtractFileExt(opened[0]), ".xlsx");
  EXPECT_DOUBLE_EQ(TWorkbook::Open(opened[0])->Sheet(1).Cell(1, 1).Number, 1);
  EXPECT_EQ(opened[1], dir.File("shown.xlsx"));
  DeleteFileW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(opened[0]).c_str()));
}

TEST(Excel, MissingTemplateRaises) {
  EXPECT_THROW(TExcel("Z:\\no\\such\\price.xlsx", false), EWorkbookError);
}

TEST(MapiControl, RecipientsOriginatorAttachmentsAndFlags) {
  RegisterMailStandIn();
  TempDir dir;
  std::string log = dir.File("mail.txt");
  SetEnv(u"TOVANI_MAPI_LOG", WinName(log));
  TMapiControl mail;
  mail.SetSubject("报价");
  mail.SetBody("");
  mail.Recipients()->Add("a@example.com");
  mail.Recipients()->Add("b@example.com");
  mail.Recipients()->Add("c@example.com");
  mail.CopyTo()->Add("cc@example.com");
  mail.BlindCopyTo()->Add("bcc@example.com");
  mail.AttachedFiles()->Add("C:\\price\\P0001.xls");
  mail.SetShowDialog(true);
  int success = 0;
  mail.OnSuccess = [&](TObject*) { ++success; };
  mail.Sendmail();
  EXPECT_EQ(success, 1);
  EXPECT_EQ(mail.DisplayFileName()->Text(), "P0001.xls\r\n");
  EXPECT_EQ(ReadAll(log),
            "flags=11\nsubject=报价\nbody=\n"
            "recipient.class=1\nrecipient.address=SMTP:a@example.com\n"
            "recipient.class=1\nrecipient.address=SMTP:b@example.com\n"
            "recipient.class=1\nrecipient.address=SMTP:c@example.com\n"
            "recipient.class=2\nrecipient.address=SMTP:cc@example.com\n"
            "recipient.class=3\nrecipient.address=SMTP:bcc@example.com\n"
            "file.position=-1\nfile.path=C:\\price\\P0001.xls\nfile.name=P0001.xls\n");

  // With a sender and without the compose window.
  TMapiControl quiet;
  quiet.SetFromName("张三");
  quiet.SetFromAddress("zs@example.com");
  quiet.Recipients()->Add("x@example.com");
  quiet.Sendmail();
  EXPECT_EQ(ReadAll(log),
            "flags=0\nsubject=\nbody=\noriginator.class=0\noriginator.name=张三\n"
            "originator.address=zs@example.com\nrecipient.class=1\nrecipient.address=SMTP:x@example.com\n");
  SetEnv(u"TOVANI_MAPI_LOG", "");
}

TEST(MapiControl, OutcomesReachTheirEvents) {
  RegisterMailStandIn();
  TempDir dir;
  SetEnv(u"TOVANI_MAPI_LOG", WinName(dir.File("mail.txt")));
  struct { const char* result; const char* event; int code; } cases[] = {
      {"0", "success", 0}, {"1", "abort", 0}, {"11", "error", 11},
  };
  for (auto& c : cases) {
    SetEnv(u"TOVANI_MAPI_RESULT", c.result);
    TMapiControl mail;
    std::string event;
    int code = 0;
    mail.OnSuccess = [&](TObject*) { event = "success"; };
    mail.OnUserAbort = [&](TObject*) { event = "abort"; };
    mail.OnMapiError = [&](TObject*, Integer e) { event = "error"; code = e; };
    mail.Sendmail();
    EXPECT_EQ(event, c.event) << c.result;
    EXPECT_EQ(code, c.code) << c.result;
    TMapiControl silent;  // no handlers: nothing is raised
    EXPECT_NO_THROW(silent.Sendmail());
  }
  SetEnv(u"TOVANI_MAPI_RESULT", "");
  SetEnv(u"TOVANI_MAPI_LOG", "");
}

// ---------------------------------------------------------------------------
// A grid copied into a new workbook by the data module.

#include "AppFixture.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"

namespace {

class GridToExcel : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Data = std::make_unique<TMemDataSet>();
    Data->FieldDefs().Add("Code", ftString, 10);
    Data->FieldDefs().Add("Qty", ftInteger);
    Data->FieldDefs().Add("Price", ftFloat);
    Data->FieldDefs().Add("Hidden", ftString, 10);
    Data->CreateDataSet();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetDataSource(Source.get());
    Grid->Columns()->Item(0)->Title()->SetCaption("编号");
    Grid->Columns()->Item(3)->SetVisible(false);
    SetDefaultApplicationOpener([this](const String& f) { Opened.push_back(f); });
  }
  void TearDown() override {
    SetDefaultApplicationOpener(nullptr);
    for (const String& f : Opened) DeleteFileW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(f).c_str()));
    Form.reset();
    Source.reset();
    Data.reset();
    AppFixture::TearDown();
  }
  std::unique_ptr<TMemDataSet> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
  std::vector<String> Opened;
};

TEST_F(GridToExcel, TitlesThenOneRowPerRecordWithTextsKeptAsText) {
  Data->AppendRecord({Variant(String("00123")), Variant(3), Variant(12.5), Variant(String("隐藏"))});
  Data->AppendRecord({Variant(String("上海")), Variant::Null(), Variant(0.25), Variant(String("x"))});
  Data->First();
  Data->Next();
  TBookmark current = Data->GetBookmark();
  Data->First();
  Data->Next();
  DataForm->ExportGridToExcel(Grid);
  EXPECT_EQ(Data->GetBookmark(), current);
  EXPECT_FALSE(Data->ControlsDisabled());
  ASSERT_EQ(Opened.size(), 1u);
  auto book = TWorkbook::Open(Opened[0]);
  TWorksheet& s = book->Sheet(1);
  const char* titles[] = {"编号", "Qty", "Price", "Hidden"};
  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(s.Cell(1, c).Text, titles[c - 1]) << c;
    EXPECT_EQ(s.NumberFormat(1, c), "@");
  }
  EXPECT_EQ(s.Cell(2, 1).Text, "00123");
  EXPECT_EQ(s.NumberFormat(2, 1), "@");
  EXPECT_EQ(s.Cell(2, 2).Kind, TWorkbookCellKind::Number);
  EXPECT_DOUBLE_EQ(s.Cell(2, 2).Number, 3);
  EXPECT_DOUBLE_EQ(s.Cell(2, 3).Number, 12.5);
  EXPECT_EQ(s.Cell(2, 4).Text, "隐藏");   // hidden columns too
  EXPECT_EQ(s.Cell(3, 1).Text, "上海");
  EXPECT_EQ(s.Cell(3, 2).Kind, TWorkbookCellKind::Empty);
  EXPECT_DOUBLE_EQ(s.Cell(3, 3).Number, 0.25);
  EXPECT_EQ(s.Cell(4, 1).Kind, TWorkbookCellKind::Empty);
}

TEST_F(GridToExcel, AnEmptyDatasetGivesTheTitleRowOnly) {
  DataForm->ExportGridToExcel(Grid);
  ASSERT_EQ(Opened.size(), 1u);
  auto book = TWorkbook::Open(Opened[0]);
  EXPECT_EQ(book->Sheet(1).Cell(1, 2).Text, "Qty");
  EXPECT_EQ(book->Sheet(1).Cell(2, 1).Kind, TWorkbookCellKind::Empty);
}

}  // namespace
