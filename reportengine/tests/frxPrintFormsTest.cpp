// The print dialog, page settings, find dialog and password prompt driven by
// posted input, and exporting prepared pages through a filter: a three-page
// report shown in a preview, printed to the test queue and read back.
#include "VclWindows.h"
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "FormDriver.h"
#include "Forms.h"
#include "PrintedPdf.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxDsgnIntf.h"
#include "frxExportFilter.h"
#include "frxPageSettings.h"
#include "frxPassword.h"
#include "frxPreview.h"
#include "frxPreviewPages.h"
#include "frxPrintDialog.h"
#include "frxPrinter.h"
#include "frxSearchDialog.h"
#include "frxpngimage.h"
#include "gtest.h"

namespace {

// What a window shows on the screen, as a PNG in the build tree.
void WriteWindowPng(TWinControl* W, const std::string& Name) {
  RedrawWindow(W->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Application->ProcessMessages();
  TBitmap bmp(W->ClientWidth(), W->ClientHeight(), pf24bit);
  HDC dc = GetDC(W->Handle());
  BitBlt(bmp.Canvas()->Handle(), 0, 0, W->ClientWidth(), W->ClientHeight(), dc, 0, 0, SRCCOPY);
  ReleaseDC(W->Handle(), dc);
  TPNGObject png;
  png.Assign(&bmp);
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/" + Name + ".png");
}

// A report of three pages (a page header, a title "Printed page N" and a
// page footer on each) shown in a preview.
class FormsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    frxRegisterEngine();
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    Report->ShowProgress = false;
    Report->PrintOptions()->Printer = printed_pdf::Queue();
    for (int i = 1; i <= 3; ++i) {
      auto* page = new TfrxReportPage(Report.get());
      page->SetName("Page" + IntToStr(i));
      page->SetPaperSize(9);
      auto* header = new TfrxPageHeader(page);
      header->SetName("Header" + IntToStr(i));
      header->SetHeight(20);
      auto* band = new TfrxReportTitle(page);
      band->SetName("Title" + IntToStr(i));
      band->SetTop(40);
      band->SetHeight(40);
      auto* memo = new TfrxMemoView(band);
      memo->SetName("Memo" + IntToStr(i));
      memo->SetBounds(0, 0, 400, 30);
      memo->SetTextUtf8("Printed page " + std::to_string(i) + " of [TOTALPAGES#]");
      auto* footer = new TfrxPageFooter(page);
      footer->SetName("Footer" + IntToStr(i));
      footer->SetTop(900);
      footer->SetHeight(20);
    }
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 700, 600);
    Preview = new TfrxPreview(Form.get());
    Preview->SetParent(Form.get());
    Preview->SetBounds(0, 0, 680, 560);
    // The window is made but not shown: the dialogs are what the tests look at.
    Form->HandleNeeded();
    Report->SetPreview(Preview);
    ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
    Report->ShowPreparedPages();
    ASSERT_EQ(Preview->GetPageCount(), 3);
  }
  void TearDown() override {
    if (Report) Report->SetPreview(nullptr);
    Form.reset();
  }
  TfrxPreviewPages* Pages() { return static_cast<TfrxPreviewPages*>(Report->PreviewPages()); }
  TfrxReportPage* Prepared(int Index) { return dynamic_cast<TfrxReportPage*>(Pages()->GetPage(Index)); }
  TfrxReportPage* Template(int No) {
    return dynamic_cast<TfrxReportPage*>(Report->FindObject("Page" + IntToStr(No)));
  }

  std::unique_ptr<TfrxReport> Report;
  std::unique_ptr<TForm> Form;
  TfrxPreview* Preview = nullptr;
};

// Reads back the page number of each printed sheet (0 for none).
std::vector<int> SheetsOf(const std::string& pdf) {
  std::vector<int> sheets;
  for (const std::string& text : printed_pdf::PageTexts(pdf)) {
    size_t at = text.find("Printed page ");
    sheets.push_back(at == std::string::npos ? 0 : text[at + 13] - '0');
  }
  return sheets;
}

}  // namespace

// ---------------------------------------------------------------------------
// Print dialog

TEST_F(FormsFixture, PrintDialogDrivenByKeysPrintsTheChosenPages) {
  struct Case {
    const char* Stem;
    const char* Copies;       // typed over the copies field
    bool ClickCollate;        // unticks it
    const char* Range;        // typed into the page field; null: the current page (2)
    std::vector<int> Sheets;  // read back; empty: only first and last are fixed
    std::vector<int> CopyNos;
  } cases[] = {
      {"frx_dialog_range", "2", false, "1,3", {1, 3, 1, 3}, {1, 1, 2, 2}},
      {"frx_dialog_current", "1", false, nullptr, {2}, {1}},
      {"frx_dialog_uncollated", "2", true, "1,3", {}, {1, 1}},
  };
  for (const Case& c : cases) {
    Preview->SetPageNo(2);
    FormDriver driver;
    TfrxPrintDialog* seen = nullptr;
    driver.OnForm = [&](TCustomForm* f) {
      auto* d = dynamic_cast<TfrxPrintDialog*>(f);
      if (!d) return;
      seen = d;
      FormDriver::SelectAll(d->CopiesE);
      FormDriver::Type(d->CopiesE, c.Copies);
      if (c.ClickCollate) FormDriver::Click(d->CollateCB);
      if (c.Range) {
        // Entering the page field picks "pages".
        FormDriver::Click(d->PageNumbersE);
        FormDriver::Type(d->PageNumbersE, c.Range);
        FormDriver::Key(d->PageNumbersE, VK_RETURN);
      } else {
        FormDriver::Click(d->CurPageRB);
        FormDriver::Key(d->CurPageRB, VK_RETURN);
      }
    };
    std::vector<int> copyNos;
    Report->OnPrintPage = [&](TfrxComponent*, Integer CopyNo) { copyNos.push_back(CopyNo); };
    const std::string title = printed_pdf::UniqueTitle(c.Stem);
    Report->ReportOptions()->Name = title;
    EXPECT_TRUE(Preview->PrintPages()) << c.Stem;
    EXPECT_NE(seen, nullptr) << c.Stem;
    EXPECT_EQ(copyNos, c.CopyNos) << c.Stem;
    // The dialog's choices lasted for this print only.
    EXPECT_EQ(Report->PrintOptions()->Copies, 1);
    EXPECT_TRUE(Report->PrintOptions()->PageNumbers.empty());
    EXPECT_TRUE(Report->PrintOptions()->Collate);
    const std::string pdf = printed_pdf::WaitFor(title);
    ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
    std::vector<int> sheets = SheetsOf(pdf);
    if (!c.Sheets.empty()) {
      EXPECT_EQ(sheets, c.Sheets) << c.Stem;
    } else {
      ASSERT_GE(sheets.size(), 2u);
      EXPECT_EQ(sheets.front(), 1);
      EXPECT_EQ(sheets.back(), 3);
    }
    printed_pdf::Remove(pdf);
  }
}

TEST_F(FormsFixture, EmptyCopiesAreRefusedBeforeAnOutputFileIsAsked) {
  FormDriver driver;
  TfrxPrintDialog* dialog = nullptr;
  bool stillOpen = false;
  String copiesAfterBox = "?";
  driver.OnForm = [&](TCustomForm* f) {
    auto* d = dynamic_cast<TfrxPrintDialog*>(f);
    if (!d) return;
    dialog = d;
    FormDriver::Click(dialog->FileCB);
    FormDriver::SelectAll(dialog->CopiesE);
    FormDriver::Key(dialog->CopiesE, VK_DELETE);
    FormDriver::Key(dialog->CopiesE, VK_RETURN);
  };
  driver.AfterBox = [&] {
    driver.Then([&] {
      stillOpen = dialog->Visible();
      copiesAfterBox = dialog->CopiesE->Text();
      FormDriver::Key(dialog->CopiesE, VK_ESCAPE);
    });
  };
  Pages()->CopyNo = 5;
  EXPECT_FALSE(Preview->PrintPages());
  ASSERT_EQ(driver.Boxes.size(), 1u);
  EXPECT_EQ(driver.Boxes[0], "'' is not a valid integer value");
  // No file dialog came up; the dialog stayed open with the field as it was.
  EXPECT_TRUE(driver.OtherDialogs.empty());
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(copiesAfterBox, "");
  EXPECT_EQ(Pages()->CopyNo, 0);
  EXPECT_EQ(Report->PrintOptions()->Copies, 1);
  EXPECT_EQ(frxGetPrinters()->GetCurrentPrinter()->FileName(), "");
}

TEST_F(FormsFixture, CancellingTheOutputFileCancelsPrinting) {
  FormDriver driver;
  driver.OnForm = [&](TCustomForm* f) {
    if (auto* d = dynamic_cast<TfrxPrintDialog*>(f)) {
      FormDriver::Click(d->FileCB);
      FormDriver::Key(d->CopiesE, VK_RETURN);
    }
  };
  EXPECT_FALSE(Preview->PrintPages());
  EXPECT_TRUE(driver.Boxes.empty());
  EXPECT_EQ(driver.OtherDialogs, (std::vector<String>{"Print To File"}));
  EXPECT_EQ(Pages()->CopyNo, 0);
  EXPECT_EQ(frxGetPrinters()->GetCurrentPrinter()->FileName(), "");
}

TEST_F(FormsFixture, PrintDialogPapersModesAndCancel) {
  TfrxPrinters* printers = frxGetPrinters();
  auto dialog = std::unique_ptr<TfrxPrintDialog>(new TfrxPrintDialog(Application));
  dialog->Report = Report.get();
  Report->PrintOptions()->Copies = 3;
  Report->PrintOptions()->PageNumbers = "2-3";
  Report->PrintOptions()->Reverse = true;
  dialog->Show();
  // The options as the dialog shows them.
  EXPECT_EQ(dialog->CopiesE->Text(), "3");
  EXPECT_TRUE(dialog->PageNumbersRB->Checked());
  EXPECT_EQ(dialog->PageNumbersE->Text(), "2-3");
  EXPECT_EQ(dialog->OrderCB->ItemIndex(), 1);
  EXPECT_EQ(dialog->PrintersCB->Text(), printers->GetCurrentPrinter()->Name());
  // The default mode prints on the page's own paper; another mode starts on A4.
  EXPECT_EQ(dialog->PagPageSizeCB->ItemIndex(), 0);
  EXPECT_FALSE(dialog->PagPageSizeCB->Enabled());
  dialog->PrintModeCB->SetItemIndex(1);
  dialog->PrintModeCBClick();
  EXPECT_TRUE(dialog->PagPageSizeCB->Enabled());
  TfrxCustomPrinter* printer = printers->GetCurrentPrinter();
  ASSERT_GE(printer->PaperIndexOfCode(9), 0);
  EXPECT_EQ(dialog->PagPageSizeCB->Text(), printer->Papers()->Strings(printer->PaperIndexOfCode(9)));
  EXPECT_EQ(printer->PaperCodeOfName(dialog->PagPageSizeCB->Text()), 9);
  // The custom entry is not offered.
  EXPECT_EQ(dialog->PagPageSizeCB->Items()->Count(), printer->Papers()->Count());
  WriteWindowPng(dialog.get(), "frx_print_dialog");
  // Cancel: the options stay the report's.
  dialog->Hide();
  EXPECT_EQ(Report->PrintOptions()->Copies, 3);
  EXPECT_TRUE(Report->PrintOptions()->PrintMode == pmDefault);
}

// ---------------------------------------------------------------------------
// Find dialog

TEST_F(FormsFixture, FindDialogKeepsAWrongTextAndFindsTheRightOne) {
  FormDriver driver;
  TfrxSearchDialog* dialog = nullptr;
  String afterWrong;
  bool openAfterWrong = false;
  driver.OnForm = [&](TCustomForm* f) {
    auto* d = dynamic_cast<TfrxSearchDialog*>(f);
    if (!d) return;
    dialog = d;
    FormDriver::SelectAll(dialog->TextE);
    FormDriver::Type(dialog->TextE, "no such words");
    FormDriver::Key(dialog->TextE, VK_RETURN);
    driver.Then([&] {
      openAfterWrong = dialog->Visible();
      afterWrong = dialog->TextE->Text();
      WriteWindowPng(dialog, "frx_find_dialog");
      FormDriver::SelectAll(dialog->TextE);
      FormDriver::Type(dialog->TextE, "printed PAGE 3");
      FormDriver::Key(dialog->TextE, VK_RETURN);
    });
  };
  Preview->SetPageNo(1);
  Preview->ShowFindDialog();
  EXPECT_TRUE(openAfterWrong);
  EXPECT_EQ(afterWrong, "no such words");
  // Found on the third page (without case).
  EXPECT_TRUE(frxSearchState().Found);
  EXPECT_EQ(Preview->Workspace()->LastFoundPage, 2);
  EXPECT_EQ(frxSearchDialogText(), "printed PAGE 3");

  // The kept text comes back; "from the first page" unticked starts at the
  // current page, so page 1's text is not found from page 3; Escape then ends.
  String shown;
  driver.OnForm = [&](TCustomForm* f) {
    auto* d = dynamic_cast<TfrxSearchDialog*>(f);
    if (!d) return;
    dialog = d;
    driver.Then([&] {
      shown = dialog->TextE->Text();
      FormDriver::SelectAll(dialog->TextE);
      FormDriver::Type(dialog->TextE, "Printed page 1");
      FormDriver::Key(dialog->TextE, VK_RETURN);
      driver.Then([&] { FormDriver::Key(dialog->TextE, VK_ESCAPE); });
    });
  };
  Preview->SetPageNo(3);
  Preview->ShowFindDialog();
  EXPECT_EQ(shown, "printed PAGE 3");
  EXPECT_FALSE(frxSearchState().Found);
}

// ---------------------------------------------------------------------------
// Password prompt

TEST_F(FormsFixture, PasswordPromptKeepsAWrongEntryForCorrection) {
  TfrxReportOptions* o = Report->ReportOptions();
  o->Password = "secret";
  FormDriver driver;
  TfrxPasswordForm* form = nullptr;
  String kept;
  Integer selected = 0, wrong = 0;
  driver.OnForm = [&](TCustomForm* f) {
    auto* p = dynamic_cast<TfrxPasswordForm*>(f);
    if (!p) return;
    form = p;
    FormDriver::Type(form->PasswordE, "secrte");
    FormDriver::Key(form->PasswordE, VK_RETURN);
    driver.Then([&] {
      kept = form->PasswordE->Text();
      selected = form->PasswordE->SelLength();
      wrong = form->WrongEntries;
      WriteWindowPng(form, "frx_password_form");
      FormDriver::Type(form->PasswordE, "secret");
      FormDriver::Key(form->PasswordE, VK_RETURN);
    });
  };
  EXPECT_TRUE(o->CheckPassword());
  EXPECT_EQ(kept, "secrte");
  EXPECT_EQ(selected, 6);
  EXPECT_EQ(wrong, 1);
  EXPECT_EQ(o->PrevPassword, "secret");

  // Cancelled: the report fails with its error.
  o->PrevPassword.clear();
  Report->Errors()->Clear();
  driver.OnForm = [&](TCustomForm* f) {
    if (auto* p = dynamic_cast<TfrxPasswordForm*>(f)) {
      EXPECT_EQ(p->Caption(), "5000");
      FormDriver::Type(p->PasswordE, "x");
      FormDriver::Key(p->PasswordE, VK_ESCAPE);
    }
  };
  EXPECT_FALSE(o->CheckPassword());
  EXPECT_NE(Report->Errors()->Text().find("Invalid password"), String::npos);
}

// ---------------------------------------------------------------------------
// Page settings

TEST_F(FormsFixture, PageSettingsForTheCurrentPageAndForAllPages) {
  FormDriver driver;
  auto landscapeWithMargin = [&](bool all) {
    driver.OnForm = [&, all](TCustomForm* f) {
      auto* d = dynamic_cast<TfrxPageSettingsForm*>(f);
      if (!d) return;
      FormDriver::Click(d->LandscapeRB);
      FormDriver::SelectAll(d->MarginLeftE);
      FormDriver::Type(d->MarginLeftE, "2.5");
      if (all) FormDriver::Click(d->ApplyToAllRB);
      FormDriver::Key(d->MarginLeftE, VK_RETURN);
    };
  };
  // The current page only: the prepared page changes, the others and the template do not.
  landscapeWithMargin(false);
  Preview->SetPageNo(2);
  Preview->ShowPageSettings();
  struct Expect {
    int Index;
    TPrinterOrientation Orientation;
    Extended Width, Left;
  };
  for (const Expect& e : {Expect{0, poPortrait, 210, 10}, Expect{1, poLandscape, 297, 25},
                          Expect{2, poPortrait, 210, 10}}) {
    TfrxReportPage* p = Prepared(e.Index);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->Orientation() == e.Orientation) << e.Index;
    EXPECT_NEAR(p->PaperWidth(), e.Width, 0.5) << e.Index;
    EXPECT_NEAR(p->LeftMargin, e.Left, 1e-6) << e.Index;
  }
  EXPECT_TRUE(Template(2)->Orientation() == poPortrait);

  // All pages: every report page takes the settings and the report is built again.
  landscapeWithMargin(true);
  Preview->SetPageNo(1);
  Preview->ShowPageSettings();
  ASSERT_EQ(Preview->GetPageCount(), 3);
  for (int i = 0; i < 3; ++i) {
    TfrxReportPage* p = Prepared(i);
    EXPECT_TRUE(p->Orientation() == poLandscape) << i;
    EXPECT_NEAR(p->PaperWidth(), 297, 0.5) << i;
    EXPECT_NEAR(p->LeftMargin, 25, 1e-6) << i;
    ASSERT_NE(Template(i + 1), nullptr);
    EXPECT_TRUE(Template(i + 1)->Orientation() == poLandscape) << i;
  }
}

TEST_F(FormsFixture, PageSettingsRefuseAWrongNumberAndChangeNothing) {
  FormDriver driver;
  TfrxPageSettingsForm* dialog = nullptr;
  String kept;
  driver.OnForm = [&](TCustomForm* f) {
    auto* d = dynamic_cast<TfrxPageSettingsForm*>(f);
    if (!d) return;
    dialog = d;
    FormDriver::Click(d->LandscapeRB);
    FormDriver::SelectAll(d->MarginTopE);
    FormDriver::Type(d->MarginTopE, "1,5x");
    FormDriver::Key(d->MarginTopE, VK_RETURN);
  };
  driver.AfterBox = [&] {
    driver.Then([&] {
      kept = dialog->MarginTopE->Text();
      FormDriver::Key(dialog->MarginTopE, VK_ESCAPE);
    });
  };
  Preview->SetPageNo(1);
  Preview->ShowPageSettings();
  EXPECT_EQ(driver.Boxes.size(), 1u);
  EXPECT_EQ(kept, "1,5x");
  TfrxReportPage* p = Prepared(0);
  EXPECT_TRUE(p->Orientation() == poPortrait);
  EXPECT_NEAR(p->TopMargin, 10, 1e-6);
}

TEST_F(FormsFixture, PageSettingsSizesInTheDesignerUnit) {
  auto* page = Prepared(0);
  page->SetPaperSize(256);
  page->SetPaperWidth(100);
  page->SetPaperHeight(50);
  auto form = std::unique_ptr<TfrxPageSettingsForm>(new TfrxPageSettingsForm(Application));
  form->Page = page;
  form->Report = Report.get();
  form->Show();
  TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter();
  EXPECT_EQ(form->SizeCB->ItemIndex(), printer->PaperIndexOfCode(256));
  EXPECT_EQ(form->WidthE->Text(), "10");
  EXPECT_EQ(form->HeightE->Text(), "5");
  EXPECT_EQ(form->UnitL1->Caption(), "cm");
  WriteWindowPng(form.get(), "frx_page_settings");
  // Turning a custom page exchanges its sides.
  form->LandscapeRB->SetCheckedValue(true);
  EXPECT_EQ(form->WidthE->Text(), "5");
  EXPECT_EQ(form->HeightE->Text(), "10");
  EXPECT_TRUE(form->LandscapeImg->Visible());
  EXPECT_FALSE(form->PortraitImg->Visible());
  // A standard paper, then a width typed by hand: the box goes to the custom entry.
  form->SizeCB->SetItemIndex(printer->PaperIndexOfCode(9));
  form->SizeCBClick();
  EXPECT_EQ(form->WidthE->Text(), "29.70");
  form->WidthE->SetText("12");
  EXPECT_EQ(form->SizeCB->ItemIndex(), 0);
  form->Hide();

  struct Case {
    Extended Mm;
    Integer Units;
    Extended Shown;
  } cases[] = {{25.4, 1, 1}, {100, 0, 10}, {100, 2, 10}, {100, 3, 10}, {100, 4, 0}};
  for (const Case& c : cases) {
    EXPECT_NEAR(TfrxPageSettingsForm::ToDisplayUnits(c.Mm, c.Units), c.Shown, 1e-9) << c.Units;
    if (c.Units < 4) {
      EXPECT_NEAR(TfrxPageSettingsForm::FromDisplayUnits(c.Shown, c.Units), c.Mm, 1e-9) << c.Units;
    }
  }
}

// ---------------------------------------------------------------------------
// Export

namespace {

// Records what the prepared pages hand it.
class TRecordingFilter : public TfrxCustomExportFilter {
 public:
  using TfrxCustomExportFilter::TfrxCustomExportFilter;
  String GetDescription() override { return "Recording"; }
  TModalResult ShowModal() override {
    ++Dialogs;
    return DialogResult;
  }
  bool Start() override {
    Log.push_back("start");
    return true;
  }
  void StartPage(TfrxReportPage* Page, Integer Index) override {
    Log.push_back("page " + IntToStr(Index));
  }
  void ExportObject(TfrxComponent* Obj) override {
    if (!FailOn.empty() && Obj->Name() == FailOn) throw Exception("disk full");
    Log.push_back(Obj->Name());
    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(Obj)) Texts.push_back(m->TextUtf8());
    if (Obj->Name() == "_pagebackground") Backgrounds.push_back({Obj->Left(), Obj->Width()});
  }
  void FinishPage(TfrxReportPage* Page, Integer Index) override {
    Log.push_back("end " + IntToStr(Index));
    Lefts.push_back(Page->Left());
  }
  void Finish() override { Log.push_back("finish"); }

  TModalResult DialogResult = mrOk;
  Integer Dialogs = 0;
  String FailOn;
  std::vector<String> Log, Texts;
  std::vector<Extended> Lefts;
  std::vector<std::pair<Extended, Extended>> Backgrounds;
};

std::vector<String> PagesIn(const std::vector<String>& Log) {
  std::vector<String> pages;
  for (const String& s : Log)
    if (s.rfind("page ", 0) == 0) pages.push_back(s.substr(5));
  return pages;
}

}  // namespace

TEST_F(FormsFixture, ExportHandsEachChosenPageToTheFilter) {
  TRecordingFilter filter(Form.get());
  filter.ShowDialog = false;
  ASSERT_TRUE(Preview->ExportWith(&filter));
  EXPECT_EQ(filter.Report, Report.get());
  // One page: start, the page background first, each band followed by its objects, end.
  ASSERT_GE(filter.Log.size(), 8u);
  const std::vector<String> firstPage(filter.Log.begin(), filter.Log.begin() + 8);
  EXPECT_EQ(std::vector<String>(firstPage.begin(), firstPage.begin() + 3),
            (std::vector<String>{"start", "page 0", "_pagebackground"}));
  EXPECT_EQ(firstPage[7], "end 0");
  auto title = std::find(firstPage.begin(), firstPage.end(), String("Title1"));
  ASSERT_NE(title, firstPage.end());
  EXPECT_EQ(*(title + 1), "Memo1");
  EXPECT_NE(std::find(firstPage.begin(), firstPage.end(), String("Header1")), firstPage.end());
  EXPECT_NE(std::find(firstPage.begin(), firstPage.end(), String("Footer1")), firstPage.end());
  EXPECT_EQ(filter.Log.back(), "finish");
  EXPECT_EQ(PagesIn(filter.Log), (std::vector<String>{"0", "1", "2"}));
  // Page macros are filled in for the export.
  ASSERT_EQ(filter.Texts.size(), 3u);
  EXPECT_EQ(filter.Texts[2], "Printed page 3 of 3");
  // Back at the origin for the preview afterwards.
  EXPECT_EQ(Prepared(0)->Left(), 0);

  struct Case {
    const char* Name;
    const char* PageNumbers;
    bool CurPage;
    std::vector<String> Pages;
  } cases[] = {
      {"list", "1,3", false, {"0", "2"}},
      {"range", "2-9", false, {"1", "2"}},
      {"current page", "", true, {"1"}},
  };
  Preview->SetPageNo(2);
  for (const Case& c : cases) {
    TRecordingFilter f(Form.get());
    f.ShowDialog = false;
    f.PageNumbers = c.PageNumbers;
    f.CurPage = c.CurPage;
    ASSERT_TRUE(Preview->ExportWith(&f)) << c.Name;
    EXPECT_EQ(PagesIn(f.Log), c.Pages) << c.Name;
  }
}

TEST_F(FormsFixture, ExportMarginsAndRepeatedHeadersAndFooters) {
  for (int i = 1; i <= 3; ++i) {
    TfrxReportPage* p = Template(i);
    p->LeftMargin = 10;
    p->RightMargin = 30;
    p->MirrorMargins = true;
  }
  ASSERT_TRUE(Report->PrepareReport());
  TRecordingFilter filter(Form.get());
  filter.ShowDialog = false;
  filter.SuppressPageHeadersFooters = true;
  ASSERT_TRUE(Report->PreviewPages()->Export(&filter));
  // Even pages (the second) take the right margin on the left.
  ASSERT_EQ(filter.Lefts.size(), 3u);
  EXPECT_NEAR(filter.Lefts[0], 10 * 3.77953, 1e-6);
  EXPECT_NEAR(filter.Lefts[1], 30 * 3.77953, 1e-6);
  EXPECT_NEAR(filter.Lefts[2], 10 * 3.77953, 1e-6);
  // The background fills the paper less the margins.
  EXPECT_NEAR(filter.Backgrounds[1].first, 30 * 3.77953, 1e-6);
  EXPECT_NEAR(filter.Backgrounds[1].second, (210 - 40) * 3.77953, 1e-6);
  // The header only on the first page, the footer only on the last.
  auto has = [&](const char* name) {
    return std::find(filter.Log.begin(), filter.Log.end(), String(name)) != filter.Log.end();
  };
  EXPECT_TRUE(has("Header1"));
  EXPECT_FALSE(has("Header2"));
  EXPECT_FALSE(has("Header3"));
  EXPECT_FALSE(has("Footer1"));
  EXPECT_FALSE(has("Footer2"));
  EXPECT_TRUE(has("Footer3"));
}

TEST_F(FormsFixture, ExportFailuresAndRefusals) {
  // An exception from the filter: false, its message in the report's errors
  // and shown through the report's error routine; the filter still finishes.
  Report->EngineOptions()->NewSilentMode = simMessageBoxes;
  {
    FormDriver driver;
    TRecordingFilter filter(Form.get());
    filter.ShowDialog = false;
    filter.FailOn = "Memo2";
    EXPECT_FALSE(Preview->ExportWith(&filter));
    EXPECT_NE(Report->Errors()->Text().find("disk full"), String::npos);
    ASSERT_EQ(driver.Boxes.size(), 1u);
    EXPECT_EQ(driver.Boxes[0].rfind("发生下列的错误:\r\n", 0), 0u);
    EXPECT_NE(driver.Boxes[0].find("disk full"), String::npos);
    EXPECT_EQ(filter.Log.back(), "finish");
  }
  // The filter's dialog cancelled: nothing is exported.
  TRecordingFilter cancelled(Form.get());
  cancelled.DialogResult = mrCancel;
  EXPECT_FALSE(Preview->ExportWith(&cancelled));
  EXPECT_EQ(cancelled.Dialogs, 1);
  EXPECT_TRUE(cancelled.Log.empty());
  // Not a filter, or none.
  EXPECT_FALSE(Preview->ExportWith(Report.get()));
  EXPECT_FALSE(Preview->ExportWith(nullptr));
}

TEST(frxExportFilterRegistry, FiltersWithoutOwnerRegisterUntilFreed) {
  const Integer before = frxExportFilterRegistry()->Count();
  {
    TRecordingFilter registered;
    TForm owner(nullptr);
    TRecordingFilter owned(&owner);
    EXPECT_EQ(frxExportFilterRegistry()->Count(), before + 1);
    EXPECT_EQ(frxExportFilterRegistry()->Items(before)->Filter, &registered);
  }
  EXPECT_EQ(frxExportFilterRegistry()->Count(), before);
}

// ---------------------------------------------------------------------------
// Dialog-page window

TEST_F(FormsFixture, DialogPageWindowKeepsArrowsAndTabForItsControls) {
  auto* page = new TfrxDialogPage(Report.get());
  TfrxDialogForm* form = page->DialogForm();
  const LRESULT code = SendMessageW(form->Handle(), WM_GETDLGCODE, 0, 0);
  EXPECT_EQ(code & (DLGC_WANTARROWS | DLGC_WANTTAB), DLGC_WANTARROWS | DLGC_WANTTAB);
  bool moved = false;
  form->OnMoveSizeEnd = [&](TObject*) { moved = true; };
  SendMessageW(form->Handle(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_TRUE(moved);
}
