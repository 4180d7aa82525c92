// Printing prepared pages: a three-page report built by the engine, printed
// to the test queue and read back from its PDF (copies and collation, page
// ranges with odd pages, reverse order, the empty sheet after each copy of
// an odd-length duplex job), and a printer that is not there.
#include "VclWindows.h"
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PrintedPdf.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxPreviewPages.h"
#include "frxPrinter.h"
#include "gtest.h"

namespace {

// Answers the message boxes shown meanwhile with OK and keeps their texts.
struct MessageBoxAnswer {
  static inline std::vector<String> Texts;
  HHOOK Hook;
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
      HWND box = reinterpret_cast<HWND>(w);
      WCHAR text[512] = {};
      if (GetDlgItemTextW(box, 0xFFFF, text, 511) > 0) {
        Texts.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(text)));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
    return CallNextHookEx(nullptr, code, w, l);
  }
  MessageBoxAnswer() {
    Texts.clear();
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxAnswer() { UnhookWindowsHookEx(Hook); }
};

class PrintFixture : public ::testing::Test {
 protected:
  void SetUp() override { Build(); }
  // A fresh report of three pages, each shaped by Shape before the build.
  void Build(const std::function<void(TfrxReportPage*)>& Shape = nullptr) {
    frxRegisterEngine();
    ReportPages.clear();
    Titles.clear();
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    Report->ShowProgress = false;
    Report->PrintOptions()->ShowDialog = false;
    Report->PrintOptions()->Printer = printed_pdf::Queue();
    // Three report pages, each one prepared page with its own title.
    for (int i = 1; i <= 3; ++i) {
      auto* page = new TfrxReportPage(Report.get());
      page->SetName("Page" + IntToStr(i));
      page->SetPaperSize(9);
      ReportPages.push_back(page);
      auto* band = new TfrxReportTitle(page);
      band->SetName("Title" + IntToStr(i));
      band->SetHeight(40);
      Titles.push_back(band);
      auto* memo = new TfrxMemoView(band);
      memo->SetName("Memo" + IntToStr(i));
      memo->SetBounds(0, 0, 400, 30);
      memo->SetTextUtf8("Printed page " + std::to_string(i));
      if (Shape) Shape(page);
    }
    ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
    ASSERT_EQ(Report->PreviewPages()->GetPageCount(), 3);
  }
  // Prints with the options as set and answers the page numbers read back
  // from each sheet of the PDF (0 for an empty sheet).
  std::vector<int> PrintAndReadBack(const std::string& stem) {
    std::string title = printed_pdf::UniqueTitle(stem);
    Report->ReportOptions()->Name = title;
    EXPECT_TRUE(Report->PreviewPages()->Print());
    std::string pdf = printed_pdf::WaitFor(title);
    EXPECT_FALSE(pdf.empty()) << "no PDF for job " << title;
    std::vector<int> sheets;
    for (const std::string& text : printed_pdf::PageTexts(pdf)) {
      size_t at = text.find("Printed page ");
      sheets.push_back(at == std::string::npos ? 0 : text[at + 13] - '0');
    }
    if (stem == "frx_print_all") printed_pdf::RenderPng(pdf, TOVANI_TEST_BINARY_DIR "/frx_print_page1");
    printed_pdf::Remove(pdf);
    return sheets;
  }
  std::unique_ptr<TfrxReport> Report;
  std::vector<TfrxReportPage*> ReportPages;
  std::vector<TfrxReportTitle*> Titles;
};

}  // namespace

TEST_F(PrintFixture, ThreePagesPrintedAndReadBack) {
  std::vector<int> copyNos;
  Report->OnPrintPage = [&](TfrxComponent*, Integer CopyNo) { copyNos.push_back(CopyNo); };
  EXPECT_EQ(PrintAndReadBack("frx_print_all"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(copyNos, (std::vector<int>{1, 1, 1}));
  // Printing is over: no copy number shows any more.
  EXPECT_EQ(static_cast<TfrxPreviewPages*>(Report->PreviewPages())->CopyNo, 0);
}

TEST_F(PrintFixture, CopiesRangesOrderAndDuplexPadding) {
  struct Case {
    const char* Stem;
    Integer Copies;
    bool Collate;
    const char* PageNumbers;
    TfrxPrintPages Pages;
    bool Reverse;
    TfrxDuplexMode Duplex;
    std::vector<int> Sheets;
    std::vector<int> CopyNos;
  } cases[] = {
      {"frx_print_collate", 2, true, "", ppAll, false, dmNone, {1, 2, 3, 1, 2, 3}, {1, 1, 1, 2, 2, 2}},
      {"frx_print_odd", 1, true, "2-5", ppOdd, false, dmNone, {3}, {1}},
      {"frx_print_reverse", 1, true, "", ppAll, true, dmNone, {3, 2, 1}, {1, 1, 1}},
      {"frx_print_duplex", 2, true, "", ppAll, false, dmVertical, {1, 2, 3, 0, 1, 2, 3, 0}, {1, 1, 1, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    TfrxPrintOptions* o = Report->PrintOptions();
    o->Copies = c.Copies;
    o->Collate = c.Collate;
    o->PageNumbers = c.PageNumbers;
    o->PrintPages = c.Pages;
    o->Reverse = c.Reverse;
    for (TfrxReportPage* p : ReportPages) p->Duplex = c.Duplex;
    if (c.Duplex != dmNone) {
      ASSERT_TRUE(Report->PrepareReport());
    }
    std::vector<int> copyNos;
    Report->OnPrintPage = [&](TfrxComponent*, Integer CopyNo) { copyNos.push_back(CopyNo); };
    EXPECT_EQ(PrintAndReadBack(c.Stem), c.Sheets) << c.Stem;
    EXPECT_EQ(copyNos, c.CopyNos) << c.Stem;
  }
}

TEST_F(PrintFixture, ANewReportPrintsToTheDefaultPrinter) {
  // "预设", the printer a new report names, is the default printer (the
  // test set-up's queue).
  Report->PrintOptions()->Printer = TfrxPrintOptions().Printer;
  EXPECT_EQ(PrintAndReadBack("frx_print_default"), (std::vector<int>{1, 2, 3}));
}

TEST_F(PrintFixture, UncollatedCopiesAskThePrinterForEachPageOnce) {
  Report->PrintOptions()->Copies = 2;
  Report->PrintOptions()->Collate = false;
  std::vector<int> copyNos;
  Report->OnPrintPage = [&](TfrxComponent*, Integer CopyNo) { copyNos.push_back(CopyNo); };
  std::vector<int> sheets = PrintAndReadBack("frx_print_uncollated");
  EXPECT_EQ(copyNos, (std::vector<int>{1, 1, 1}));
  // The queue may or may not repeat the sheets itself; the pages come in order.
  ASSERT_GE(sheets.size(), 3u);
  EXPECT_EQ(sheets[0], 1);
  EXPECT_EQ(sheets[sheets.size() - 1], 3);
}

TEST_F(PrintFixture, APrinterThatIsNotThereShowsTheErrorAndFails) {
  Report->PrintOptions()->Printer = "No Such Printer 7";
  bool after = false;
  Report->OnAfterPrintReport = [&](TObject*) { after = true; };
  MessageBoxAnswer answer;
  EXPECT_FALSE(Report->PreviewPages()->Print());
  ASSERT_EQ(MessageBoxAnswer::Texts.size(), 1u);
  EXPECT_EQ(MessageBoxAnswer::Texts[0], "Printer selected is not valid");
  EXPECT_FALSE(after);
  // The options are the report's own again.
  EXPECT_EQ(Report->PrintOptions()->Printer, "No Such Printer 7");
}

namespace {
int Count(const std::string& text, const std::string& word) {
  int n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}
}  // namespace

TEST_F(PrintFixture, SplitJoinAndScaleSheets) {
  TfrxPrintOptions* o = Report->PrintOptions();
  o->PrintOnSheet = 9;   // A4
  auto print = [&](const std::string& stem, std::vector<std::string>& sheets, std::string& pdfOut) {
    std::string title = printed_pdf::UniqueTitle(stem);
    Report->ReportOptions()->Name = title;
    ASSERT_TRUE(Report->PreviewPages()->Print());
    pdfOut = printed_pdf::WaitFor(title);
    ASSERT_FALSE(pdfOut.empty()) << "no PDF for job " << title;
    sheets = printed_pdf::PageTexts(pdfOut);
  };
  std::vector<std::string> sheets;
  std::string pdf;

  // An A3 landscape page split over two A4 sheets across; the right half
  // (and the 3 mm both sheets share) on the second.
  Build([](TfrxReportPage* p) {
    p->SetPaperSize(8);
    p->SetOrientation(poLandscape);
    if (p->Name() != "Page1") return;
    auto* right = new TfrxMemoView(static_cast<TfrxComponent*>(p->Objects()->Items(0)));
    right->SetName("RightHalf");
    right->SetBounds(330 * 3.7795, 0, 300, 30);
    right->SetTextUtf8("Right half");
  });
  o = Report->PrintOptions();
  o->PrintOnSheet = 9;
  o->PrintMode = pmSplit;
  o->PageNumbers = "1";
  print("frx_print_split", sheets, pdf);
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(Count(sheets[0], "Printed page 1"), 1);
  EXPECT_EQ(Count(sheets[0], "Right half"), 0);
  EXPECT_EQ(Count(sheets[1], "Right half"), 1);
  printed_pdf::Remove(pdf);

  // The same page scaled onto one A4 sheet (turned like the page): the
  // text 330 mm across, beyond any A4 sheet, is drawn at 233 mm and shows.
  o->PrintMode = pmScale;
  print("frx_print_scale", sheets, pdf);
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_EQ(Count(sheets[0], "Printed page 1"), 1);
  EXPECT_EQ(Count(sheets[0], "Right half"), 1);
  auto size = printed_pdf::PageSize(pdf);
  EXPECT_NEAR(std::min(size.first, size.second), 595, 2);
  EXPECT_NEAR(std::max(size.first, size.second), 842, 2);
  printed_pdf::Remove(pdf);

  // A6 pages joined four to an A4 sheet; two copies fill neighbouring cells.
  Build([](TfrxReportPage* p) {
    p->SetPaperWidth(105);
    p->SetPaperHeight(148);
  });
  o = Report->PrintOptions();
  o->PrintOnSheet = 9;
  o->PrintMode = pmJoin;
  o->PageNumbers = "";
  o->Copies = 2;
  print("frx_print_join", sheets, pdf);
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(Count(sheets[0], "Printed page 1"), 2);
  EXPECT_EQ(Count(sheets[0], "Printed page 2"), 2);
  EXPECT_EQ(Count(sheets[1], "Printed page 3"), 2);
  printed_pdf::RenderPng(pdf, TOVANI_TEST_BINARY_DIR "/frx_print_join_sheet1");
  printed_pdf::Remove(pdf);
}
