// The report engine's printers: the paper table, the placeholder printer,
// the printer list read from the spooler (the machine's CUPS with the test
// queue), and pages printed through the printer layer, read back from the
// queue's PDF.
#include "VclWindows.h"
#include <vector>

#include "PrintedPdf.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxPrinter.h"
#include "frxRes.h"
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

TfrxCustomPrinter* TestQueue() {
  TfrxPrinters* list = frxGetPrinters();
  Integer i = list->IndexOfPrinter(printed_pdf::Queue());
  if (i < 0) return nullptr;
  list->SetPrinterIndex(i);
  return list->GetCurrentPrinter();
}

}  // namespace

TEST(frxPaperTable, SizesByCode) {
  struct Case {
    Integer Code;
    bool Found;
    Extended W, H;
  } cases[] = {{9, true, 210, 297},   {1, true, 215.9, 279.4}, {4, true, 431.8, 279.4}, {68, true, 322, 445},
               {48, false, -1, -1},   {49, false, -1, -1},     {256, false, -1, -1},    {0, false, -1, -1}};
  for (const Case& c : cases) {
    Extended w = -1, h = -1;
    EXPECT_EQ(frxLookupPaperSize(c.Code, w, h), c.Found) << c.Code;
    EXPECT_DOUBLE_EQ(w, c.W) << c.Code;
    EXPECT_DOUBLE_EQ(h, c.H) << c.Code;
  }
  EXPECT_EQ(frxPaperTable[0].Code, 1);
  EXPECT_EQ(frxPaperTable[frxPaperTableCount - 1].Code, 68);
}

TEST(frxVirtualPrinter, A4At600DpiAndThePaperTable) {
  TfrxVirtualPrinter p(frxGetResources()->Get("prVirtual"), String());
  p.Initialize();
  EXPECT_TRUE(p.Initialized());
  EXPECT_EQ(p.DPI().X, 600);
  EXPECT_EQ(p.DPI().Y, 600);
  EXPECT_EQ(p.DefPaper(), 9);
  EXPECT_EQ(p.DefPaperWidth(), 210);
  EXPECT_EQ(p.DefPaperHeight(), 297);
  EXPECT_EQ(p.DefOrientation(), poPortrait);
  ASSERT_EQ(p.Papers()->Count(), 1 + frxPaperTableCount);
  EXPECT_EQ(p.PaperIndexOfCode(256), 0);
  EXPECT_EQ(p.PaperIndexOfCode(9), 9);
  EXPECT_EQ(p.PaperIndexOfCode(48), -1);
  EXPECT_EQ(p.PaperCodeOfName("no such paper"), 256);
  EXPECT_EQ((*p.Bins())[0], frxGetResources()->Get("prDefault"));

  struct Case {
    Integer Code;
    Extended W, H;
    TPrinterOrientation O;
    Integer WantCode;
    Extended WantW, WantH;
  } cases[] = {{9, 0, 0, poLandscape, 9, 297, 210},
               {9, 0, 0, poPortrait, 9, 210, 297},
               {256, 100, 50, poPortrait, 256, 100, 50},
               {49, 120, 80, poLandscape, 256, 120, 80}};
  for (const Case& c : cases) {
    p.ApplyPaper(c.Code, c.W, c.H, c.O);
    EXPECT_EQ(p.Paper(), c.WantCode) << c.Code;
    EXPECT_EQ(p.PaperWidth(), c.WantW) << c.Code;
    EXPECT_EQ(p.PaperHeight(), c.WantH) << c.Code;
    EXPECT_EQ(p.Orientation(), c.O);
    EXPECT_EQ(p.LeftMargin() + p.TopMargin() + p.RightMargin() + p.BottomMargin(), 20);
  }
  p.ApplyJobSettings(11, 0, 0, poPortrait, 3, 1, 1);
  EXPECT_EQ(p.Bin(), 3);
  EXPECT_EQ(p.PaperWidth(), 148);
  // Its jobs do nothing and succeed.
  EXPECT_TRUE(p.StartJob() && p.OpenPage() && p.ClosePage() && p.EndJob());
}

TEST(frxPrinters, TheSpoolersPrintersWithTheTestQueueAsDefault) {
  TfrxPrinters* list = frxGetPrinters();
  EXPECT_TRUE(list->HasPhysicalPrinters());
  ASSERT_GE(list->IndexOfPrinter(printed_pdf::Queue()), 0)
      << "the spooler does not list the test queue (scripts/cups.sh sets it up)";
  EXPECT_EQ(list->IndexOfPrinter("tovanipdf"), list->IndexOfPrinter(printed_pdf::Queue()));
  EXPECT_EQ(list->IndexOfPrinter("no such printer"), -1);
  EXPECT_EQ(list->Printers()->Count(), list->Count());
  EXPECT_EQ(list->GetPrinter(-1), nullptr);
  EXPECT_THROW(list->GetPrinter(list->Count()), EListError);
  // The machine's default queue is the current printer when the list is made.
  EXPECT_EQ(list->GetDefaultPrinterName(), printed_pdf::Queue());
  EXPECT_EQ(list->GetCurrentPrinter()->Name(), printed_pdf::Queue());
  list->SetPrinterIndex(-1);
  EXPECT_EQ(list->PrinterIndex(), list->IndexOfPrinter(printed_pdf::Queue()));

  TfrxCustomPrinter* p = TestQueue();
  ASSERT_TRUE(p->Initialized());
  EXPECT_GT(p->DPI().X, 0);
  EXPECT_GT(p->DPI().Y, 0);
  // The queue's papers, the custom size first.
  EXPECT_EQ(p->PaperIndexOfCode(256), 0);
  EXPECT_GT(p->PaperIndexOfCode(9), 0);       // A4
  EXPECT_GT(p->Papers()->Count(), 5);
  EXPECT_EQ(p->PaperCodeOfName((*p->Papers())[p->PaperIndexOfCode(9)]), 9);
  EXPECT_EQ(p->PaperCodeOfName("no such paper"), 256);
  EXPECT_EQ((*p->Bins())[0], frxGetResources()->Get("prDefault"));
  Extended w = 0, h = 0;
  ASSERT_TRUE(frxLookupPaperSize(p->DefPaper(), w, h)) << p->DefPaper();
  EXPECT_NEAR(p->DefPaperWidth(), w, 1);
  EXPECT_NEAR(p->DefPaperHeight(), h, 1);

  // Papers applied to the real device: sizes and margins read back from it.
  p->ApplyPaper(9, 0, 0, poLandscape);
  EXPECT_EQ(p->Paper(), 9);
  EXPECT_EQ(p->PaperWidth(), 297);
  EXPECT_EQ(p->PaperHeight(), 210);
  EXPECT_GE(p->LeftMargin(), 0);
  EXPECT_LT(p->LeftMargin() + p->RightMargin(), 50);
  p->ApplyPaper(256, 100, 50, poPortrait);
  EXPECT_EQ(p->Paper(), 256);
  EXPECT_EQ(p->PaperWidth(), 100);
  EXPECT_EQ(p->PaperHeight(), 50);
  p->ApplyPaper(9, 0, 0, poPortrait);
  EXPECT_EQ(p->PaperWidth(), 210);

  // New report pages take the current printer's paper.
  TfrxReportPage page;
  page.ResetToPrinterDefaults();
  EXPECT_EQ(page.PaperSize(), p->DefPaper());
}

TEST(frxPrinters, DefaultNameIsTheDeviceEntryBeforeItsComma) {
  WCHAR saved[256] = {};
  GetProfileStringW(L"windows", L"device", L"", saved, 255);
  TfrxPrinters* list = frxGetPrinters();
  struct Case {
    const char16_t* Entry;
    const char* Name;
  } cases[] = {{u"Office Laser,winspool,LPT1:", "Office Laser"}, {u"NoComma", ""}, {u"", ""}};
  for (const Case& c : cases) {
    WriteProfileStringW(L"windows", L"device", reinterpret_cast<LPCWSTR>(c.Entry));
    EXPECT_EQ(list->GetDefaultPrinterName(), c.Name);
  }
  WriteProfileStringW(L"windows", L"device", saved);
  EXPECT_EQ(list->GetDefaultPrinterName(), printed_pdf::Queue());
}

TEST(frxPrinter, PagesPrintedThroughThePrinterLayerAreReadBack) {
  TfrxCustomPrinter* p = TestQueue();
  ASSERT_TRUE(p && p->Initialized());
  String title = printed_pdf::UniqueTitle("frx_printer");
  p->SetTitle(title);
  p->ApplyPaper(9, 0, 0, poPortrait);
  ASSERT_TRUE(p->StartJob());
  EXPECT_TRUE(p->Printing());
  const Integer dpi = p->DPI().Y;
  for (Integer page = 1; page <= 3; ++page) {
    // The last page turned to landscape between pages, as printing does
    // when a report page asks for another paper.
    if (page == 3) p->ApplyJobSettings(9, 0, 0, poLandscape, 7, 1, 1);
    ASSERT_TRUE(p->OpenPage());
    TCanvas* c = p->Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetSize(20);
    c->TextOut(dpi, dpi, "Report page " + IntToStr(page) + " of 3");
    // A 20-point font is 20/72 inch high at the printer's resolution.
    EXPECT_NEAR(c->TextHeight("Xy"), dpi * 20 / 72, dpi / 20.0);
    ASSERT_TRUE(p->ClosePage());
  }
  ASSERT_TRUE(p->EndJob());
  EXPECT_FALSE(p->Printing());
  p->ApplyPaper(9, 0, 0, poPortrait);

  std::string pdf = printed_pdf::WaitFor(title);
  ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
  std::vector<std::string> pages = printed_pdf::PageTexts(pdf);
  ASSERT_EQ(pages.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_NE(pages[i].find("Report page " + std::to_string(i + 1) + " of 3"), std::string::npos) << pages[i];
  // A4 in points: 595 x 842, the last page turned.
  auto size = printed_pdf::PageSize(pdf);
  EXPECT_NEAR(size.first, 595, 2);
  EXPECT_NEAR(size.second, 842, 2);
  // The printer turns a landscape page's drawing on its portrait sheet.
  printed_pdf::WordBox upright = printed_pdf::FindWord(pdf, 1, "Report");
  printed_pdf::WordBox turned = printed_pdf::FindWord(pdf, 3, "Report");
  EXPECT_GT(upright.XMax - upright.XMin, upright.YMax - upright.YMin);
  EXPECT_GT(turned.YMax - turned.YMin, turned.XMax - turned.XMin);
  printed_pdf::RenderPng(pdf, TOVANI_TEST_BINARY_DIR "/frx_printer_page1");
  printed_pdf::RenderPng(pdf, TOVANI_TEST_BINARY_DIR "/frx_printer_page3", 3);
  printed_pdf::Remove(pdf);
}

TEST(frxPrinter, AnInvalidPrinterShowsTheErrorAndReportsFailure) {
  TfrxPrinter p("No Such Printer 7", String());
  p.Initialize();
  EXPECT_FALSE(p.Initialized());   // no device mode: uninitialised, silently
  MessageBoxAnswer answer;
  p.SetTitle("never printed");
  EXPECT_FALSE(p.StartJob());
  EXPECT_FALSE(p.Printing());
  ASSERT_EQ(MessageBoxAnswer::Texts.size(), 1u);
  EXPECT_EQ(MessageBoxAnswer::Texts[0], "Printer selected is not valid");
  EXPECT_FALSE(p.OpenPage());
  EXPECT_FALSE(p.ClosePage());
  EXPECT_FALSE(p.EndJob());
  EXPECT_FALSE(p.StartRawJob());
}

// A report chooses its printer by the name in its print options; a name the
// list does not know leaves the current printer as it is.
TEST(frxPrinters, ReportSelectsItsPrinterByName) {
  TfrxReport report;
  TfrxPrinters* list = frxGetPrinters();
  const Integer queue = list->IndexOfPrinter(printed_pdf::Queue());
  ASSERT_GE(queue, 0);
  const Integer other = list->Count() > 1 ? (queue == 0 ? 1 : 0) : queue;
  list->SetPrinterIndex(other);
  report.PrintOptions()->Printer = "no such printer";
  report.SelectPrinter();
  EXPECT_EQ(list->PrinterIndex(), other);
  report.PrintOptions()->Printer = "tovanipdf";
  report.SelectPrinter();
  EXPECT_EQ(list->PrinterIndex(), queue);
}

