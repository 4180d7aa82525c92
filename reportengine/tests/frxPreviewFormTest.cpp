// The preview window: toolbar and right-click menu by the preview options,
// the zoom box and the page field driven by typed keys, full screen, Escape
// during and after a build, and the window as it shows page 1.
#include <memory>
#include <vector>

#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Graphics.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxCtrls.h"
#include "frxExportFilter.h"
#include "frxEngine.h"
#include "frxPreview.h"
#include "frxPreviewForm.h"
#include "frxPreviewPages.h"
#include "frxpngimage.h"
#include "PrintedPdf.h"
#include "gtest.h"

namespace {

void Pump(int Rounds = 3) {
  for (int i = 0; i < Rounds; ++i) {
    Application->ProcessMessages();
    Sleep(1);
  }
}

// Types Text into a window as the keyboard would (posted characters), then Enter.
void TypeAndEnter(HWND Window, const std::u16string& Text) {
  SetWindowTextW(Window, L"");
  for (char16_t c : Text) PostMessageW(Window, WM_CHAR, WPARAM(c), 1);
  PostMessageW(Window, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(Window, WM_CHAR, WPARAM('\r'), 1);
  PostMessageW(Window, WM_KEYUP, VK_RETURN, 0xC0000001);
  Pump();
}

void PostKey(HWND Window, WPARAM Key) {
  PostMessageW(Window, WM_KEYDOWN, Key, 1);
  PostMessageW(Window, WM_KEYUP, Key, 0xC0000001);
  Pump();
}

// Answers the next file dialog of this thread with a file name.
class FileDialogAnswer {
 public:
  explicit FileDialogAnswer(const String& FileName) {
    // The dialog takes Windows paths: the file system's root is drive Z.
    Name = FileName;
    if (!Name.empty() && Name[0] == '/') {
      Name = "Z:" + Name;
      for (char& c : Name)
        if (c == '/') c = '\\';
    }
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~FileDialogAnswer() { UnhookWindowsHookEx(Hook); }

 private:
  static inline HHOOK Hook = nullptr;
  static inline String Name;
  static void CALLBACK Fire(HWND Dialog, UINT, UINT_PTR, DWORD) {
    KillTimer(Dialog, 81);
    const std::u16string w = Utf8ToUtf16(Name);
    SetDlgItemTextW(Dialog, 0x47C, reinterpret_cast<LPCWSTR>(w.c_str()));  // the file name box
    PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog, IDOK)));
  }
  static LRESULT CALLBACK Proc(int Code, WPARAM W, LPARAM L) {
    if (Code == HCBT_ACTIVATE) {
      WCHAR cls[16] = {};
      GetClassNameW(reinterpret_cast<HWND>(W), cls, 16);
      if (lstrcmpW(cls, L"#32770") == 0) SetTimer(reinterpret_cast<HWND>(W), 81, 100, Fire);
    }
    return CallNextHookEx(Hook, Code, W, L);
  }
};

// Export filters registered from outside, counting the pages they are given.
class TfrxPDFExport : public TfrxCustomExportFilter {
  TOVANI_CLASS(TfrxPDFExport, TfrxCustomExportFilter)
 public:
  TfrxPDFExport() { ShowDialog = false; }
  String GetDescription() override { return "PDF文件"; }
  void StartPage(TfrxReportPage*, Integer) override { ++Pages; }
  void ExportObject(TfrxComponent*) override {}
  Integer Pages = 0;
};
TOVANI_IMPLEMENT_CLASS(TfrxPDFExport, TfrxCustomExportFilter)

class TfrxTextExportForTest : public TfrxCustomExportFilter {
  TOVANI_CLASS(TfrxTextExportForTest, TfrxCustomExportFilter)
 public:
  TfrxTextExportForTest() { ShowDialog = false; }
  String GetDescription() override { return "文本文件"; }
  void StartPage(TfrxReportPage*, Integer) override { ++Pages; }
  void ExportObject(TfrxComponent*) override {}
  Integer Pages = 0;
};
TOVANI_IMPLEMENT_CLASS(TfrxTextExportForTest, TfrxCustomExportFilter)

std::unique_ptr<TfrxReport> MakeReport(Integer Rows) {
  frxRegisterEngine();
  auto report = std::make_unique<TfrxReport>();
  report->EngineOptions()->NewSilentMode = simSilent;
  auto* page = new TfrxReportPage(report.get());
  page->SetName("Page1");
  auto* band = new TfrxMasterData(page);
  band->SetName("Rows");
  band->SetTop(100);
  band->SetHeight(20);
  band->SetRowCount(Rows);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Line");
  memo->SetBounds(10, 0, 400, 20);
  memo->Font()->SetSize(12);
  memo->SetTextUtf8("订单 第[Line]行 Order[Line]");
  report->PreviewOptions()->Maximized = false;
  report->PreviewOptions()->Modal = false;
  return report;
}

// A window showing the prepared pages of a small report, made as the report
// makes it.
class PreviewFormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Report = MakeReport(150);
    ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  }
  // Windows that need no focus stay hidden: hiding a shown window costs
  // the display a while.
  void Open(bool Show = true) {
    Form = new TfrxPreviewForm(Application);
    Report->SetPreview(Form->Preview());
    Form->SetupForReport();
    if (Show) Form->Show();
    Pump();
  }
  void TearDown() override {
    if (Report) Report->SetPreview(nullptr);
    delete Form;
  }
  std::vector<String> MenuCaptions(TMenuItem* Items) {
    std::vector<String> r;
    for (Integer i = 0; i < Items->Count(); ++i)
      if (Items->Items(i)->Visible()) r.push_back(Items->Items(i)->Caption());
    return r;
  }
  std::unique_ptr<TfrxReport> Report;
  TfrxPreviewForm* Form = nullptr;
};

TEST_F(PreviewFormFixture, ZoomBoxTakesTypedPercentages) {
  Open();
  HWND edit = Form->ZoomCB->EditHandle();
  ASSERT_NE(edit, nullptr);
  struct Case {
    std::u16string typed;
    double zoom;
    const char* shown;
  };
  const Case cases[] = {
      {u"150", 1.5, "150%"},
      {u"75 %", 0.75, "75%"},
      {u" 1 5 0 % ", 1.5, "150%"},
      {u"62,5", 0.625, "63%"},
      {u"", 0.625, "63%"},  // nothing typed: the zoom stays
      {u"10", 0.25, "25%"},  // never below a quarter
      {u"99999999999", 100, "10000%"},  // kept to what the layout can hold
  };
  for (const Case& c : cases) {
    SetFocus(edit);
    TypeAndEnter(edit, c.typed);
    EXPECT_DOUBLE_EQ(Form->Preview()->Zoom(), c.zoom) << Utf16ToUtf8(c.typed);
    EXPECT_EQ(Form->ZoomCB->Text(), c.shown) << Utf16ToUtf8(c.typed);
  }
  // The last two items are the zoom modes.
  EXPECT_EQ(Form->ZoomCB->Items()->Strings(6), "页宽");
  EXPECT_EQ(Form->ZoomCB->Items()->Strings(7), "整页");
  Form->ZoomCB->SetItemIndex(6);
  Form->ZoomCBClick();
  EXPECT_EQ(Form->Preview()->ZoomMode(), zmPageWidth);
  // The zoom buttons step by a quarter.
  Form->Preview()->SetZoom(1);
  Form->ZoomPlusB->Click();
  EXPECT_DOUBLE_EQ(Form->Preview()->Zoom(), 1.25);
  EXPECT_EQ(Form->ZoomCB->Text(), "125%");
  Form->Preview()->SetZoom(0.4);
  Form->ZoomMinusB->Click();
  EXPECT_DOUBLE_EQ(Form->Preview()->Zoom(), 0.25);
  // The wheel over the pages scrolls them, with Ctrl it zooms.
  Form->Preview()->SetZoom(1);
  HWND ws = Form->Preview()->Workspace()->Handle();
  SetFocus(ws);
  PostMessageW(ws, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
  Pump();
  EXPECT_GT(Form->Preview()->Workspace()->VertPosition(), 0);
  PostMessageW(ws, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), 0);
  Pump();
  EXPECT_NEAR(Form->Preview()->Zoom(), 1.1, 1e-9);
  EXPECT_EQ(Form->ZoomCB->Text(), "110%");
}

TEST_F(PreviewFormFixture, PageFieldGoesToTheTypedPage) {
  Open();
  const Integer count = Form->Preview()->GetPageCount();
  ASSERT_GE(count, 3);
  HWND edit = Form->PageE->Handle();
  SetFocus(edit);
  TypeAndEnter(edit, u"3");
  EXPECT_EQ(Form->Preview()->PageNo(), 3);
  EXPECT_EQ(Form->StatusBar->Panels()->Items(0)->Text(), Format("页 %d / %d", {3, count}));
  // Letters are refused by the field; a number beyond the pages goes to the last.
  SetFocus(edit);
  TypeAndEnter(edit, u"x99");
  EXPECT_EQ(Form->Preview()->PageNo(), count);
  EXPECT_EQ(Form->PageE->Text(), IntToStr(count));
  SetFocus(edit);
  TypeAndEnter(edit, u"");
  EXPECT_EQ(Form->Preview()->PageNo(), count);
  // The navigation buttons.
  Form->FirstB->Click();
  EXPECT_EQ(Form->Preview()->PageNo(), 1);
  Form->NextB->Click();
  EXPECT_EQ(Form->PageE->Text(), "2");
}

TEST_F(PreviewFormFixture, ToolbarAndRightMenuFollowTheOptions) {
  Open(false);
  // No export filter is registered: the export commands stay hidden.
  EXPECT_FALSE(Form->ExportB->Visible());
  EXPECT_FALSE(Form->PdfB->Visible());
  EXPECT_FALSE(Form->EmailB->Visible());
  // The menu repeats the toolbar up to its second separator, without the
  // outline and thumbnail check buttons; the drill-down items stay hidden
  // without a drill-down group.
  const std::vector<String> expected = {"打印", "打开", "保存", "寻找", "-", "放大", "缩小", "全屏"};
  EXPECT_EQ(MenuCaptions(Form->RightMenu->Items()), expected);
  EXPECT_TRUE(Form->OutlineB->Visible());
  EXPECT_EQ(Form->PopupMenu(), Form->RightMenu);
  EXPECT_EQ(Form->CancelB->Caption(), "关闭(&X)");
  EXPECT_EQ(Form->Caption(), "预览");
  EXPECT_EQ(Form->ZoomCB->Text(), "100%");
  // The commands are enabled with pages and no build running; a menu item follows its button.
  EXPECT_TRUE(Form->PrintB->Enabled());
  Form->Preview()->ClearPages();
  Form->UpdateControls();
  EXPECT_FALSE(Form->PrintB->Enabled());
  EXPECT_FALSE(Form->RightMenu->Items()->Items(Form->PrintB->Tag())->Enabled());
  EXPECT_TRUE(Form->ZoomPlusB->Enabled());
  // The outline and thumbnail buttons show one side panel at a time.
  Form->OutlineB->Click();
  EXPECT_TRUE(Form->Preview()->OutlineVisible());
  Form->ThumbB->Click();
  EXPECT_TRUE(Form->Preview()->ThumbnailVisible());
  EXPECT_FALSE(Form->Preview()->OutlineVisible());
  EXPECT_FALSE(Form->OutlineB->Down());
  Form->ThumbB->Click();
  EXPECT_FALSE(Form->Preview()->ThumbnailVisible());

  // Fewer buttons: without zoom and navigator their controls go, and a named
  // report gives the caption.
  delete Form;
  Form = nullptr;
  Report->PreviewOptions()->Buttons = TfrxPreviewButtons{pbPrint, pbFind, pbNoClose};
  Report->ReportOptions()->Name = "月报";
  Open(false);
  EXPECT_FALSE(Form->ZoomCB->Parent()->Visible());
  EXPECT_FALSE(Form->FullScreenBtn->Visible());
  EXPECT_FALSE(Form->PageE->Parent()->Visible());
  EXPECT_FALSE(Form->OutlineB->Visible());
  EXPECT_FALSE(Form->Sep2->Visible());
  EXPECT_FALSE(Form->CancelB->Visible());
  EXPECT_EQ(MenuCaptions(Form->RightMenu->Items()), (std::vector<String>{"打印", "寻找", "-"}));
  EXPECT_EQ(Form->Caption(), "月报");
}

// The open button loads prepared pages through the file dialog; a report
// without a name keeps the window's caption.
TEST_F(PreviewFormFixture, OpenLoadsPreparedPagesAndKeepsTheCaption) {
  Open();
  const String file = String(TOVANI_TEST_BINARY_DIR) + "/preview-form-open.fp3";
  Form->Preview()->SavePrepared(file);
  const Integer count = Form->Preview()->GetPageCount();
  Form->Preview()->ClearPages();
  Form->UpdateControls();
  ASSERT_EQ(Form->Preview()->GetPageCount(), 0);
  EXPECT_FALSE(Form->SaveB->Enabled());
  {
    FileDialogAnswer answer(file);
    Form->OpenB->Click();
  }
  EXPECT_EQ(Form->Preview()->GetPageCount(), count);
  EXPECT_EQ(Form->Caption(), "预览");
  DeleteFileA(file.c_str());
}

// Registered export filters fill the export menu (also under the export
// item of the right-click menu); the PDF filter gets its quick button.
TEST_F(PreviewFormFixture, ExportFiltersFillTheExportMenu) {
  TfrxTextExportForTest text;
  TfrxPDFExport pdf;
  Open(false);
  ASSERT_TRUE(Form->ExportB->Visible());
  EXPECT_TRUE(Form->PdfB->Visible());
  EXPECT_FALSE(Form->EmailB->Visible());
  EXPECT_EQ(MenuCaptions(Form->ExportPopup->Items()), (std::vector<String>{"文本文件...", "PDF文件..."}));
  TMenuItem* exportItem = Form->RightMenu->Items()->Items(Form->ExportB->Tag());
  EXPECT_EQ(exportItem->Caption(), "导出");
  EXPECT_EQ(MenuCaptions(exportItem), (std::vector<String>{"文本文件...", "PDF文件..."}));
  const Integer count = Form->Preview()->GetPageCount();
  exportItem->Items(0)->Click();
  EXPECT_EQ(text.Pages, count);
  EXPECT_EQ(pdf.Pages, 0);
  Form->PdfB->Click();
  EXPECT_EQ(pdf.Pages, count);
}

TEST_F(PreviewFormFixture, DrillDownItemsCollapseAndExpand) {
  auto* group = new TfrxGroupHeader(Report->Pages(0));
  group->SetName("Group");
  group->SetTop(60);
  group->SetHeight(20);
  group->Condition = "<Line> div 10";
  group->DrillDown = true;
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  Open(false);
  EXPECT_EQ(MenuCaptions(Form->RightMenu->Items())[0], "全部闭合");
  EXPECT_TRUE(Form->ExpandMI->Visible());
  Form->Preview()->SetPageNo(2);
  Form->ExpandMI->Click();
  EXPECT_TRUE(group->ExpandDrillDown);
  EXPECT_EQ(Form->Preview()->PageNo(), 2);
  Form->CollapseMI->Click();
  EXPECT_FALSE(group->ExpandDrillDown);
  EXPECT_EQ(Form->Preview()->PageNo(), 1);
  EXPECT_EQ(Form->Preview()->Workspace()->VertPosition(), 0);
}

TEST_F(PreviewFormFixture, FullScreenByF11AndBackByDoubleClick) {
  Open();
  const TFormBorderStyle border = Form->BorderStyle();
  PostKey(Form->Preview()->Handle(), VK_F11);
  EXPECT_TRUE(Form->FullScreen());
  EXPECT_FALSE(Form->ToolBar->Visible());
  EXPECT_FALSE(Form->StatusBar->Visible());
  EXPECT_EQ(Form->BorderStyle(), bsNone);
  EXPECT_EQ(Form->WindowState(), wsMaximized);
  HWND ws = Form->Preview()->Workspace()->Handle();
  PostMessageW(ws, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
  PostMessageW(ws, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  Pump();
  EXPECT_FALSE(Form->FullScreen());
  EXPECT_TRUE(Form->ToolBar->Visible());
  EXPECT_TRUE(Form->StatusBar->Visible());
  EXPECT_EQ(Form->BorderStyle(), border);
  EXPECT_EQ(Form->WindowState(), wsNormal);
}

TEST_F(PreviewFormFixture, StatusTextsAndPanelWidths) {
  Open(false);
  Form->SetStatusText("正在导出", false);
  EXPECT_EQ(Form->StatusBar->Panels()->Items(1)->Text(), "正在导出");
  Form->SetStatusText("提示", true);
  EXPECT_EQ(Form->StatusBar->Panels()->Items(2)->Text(), "提示");
  Form->SetStatusText("", true);
  EXPECT_EQ(Form->StatusBar->Panels()->Items(2)->Text(), "");
  Form->SetClientWidth(600);
  Pump();
  EXPECT_EQ(Form->StatusBar->Panels()->Items(1)->Width(), 200);
  EXPECT_EQ(Form->StatusBar->Panels()->Items(2)->Width(), 200);
}

// A modal preview minimises the whole program instead of itself, and
// coming back to the minimised program brings it up again.
struct MinimiseSteps {
  static inline TfrxPreviewForm* Form = nullptr;
  static inline TCustomForm* Main = nullptr;
  static inline int Step = 0;
  static inline bool MainIconic = false, FormIconic = false, MainRestored = false;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR Id, DWORD) {
    switch (Step++) {
      case 0:
        PostMessageW(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
      case 1:
        MainIconic = IsIconic(Main->Handle());
        FormIconic = IsIconic(Form->Handle());
        SendMessageW(Form->Handle(), WM_ACTIVATEAPP, TRUE, 0);
        MainRestored = !IsIconic(Main->Handle());
        break;
      default:
        KillTimer(nullptr, Id);
        PostMessageW(Form->Handle(), WM_CLOSE, 0, 0);
        break;
    }
  }
};

TEST_F(PreviewFormFixture, ModalWindowMinimisesTheProgram) {
  TForm main(nullptr);
  main.SetBounds(0, 0, 300, 200);
  main.Show();
  TCustomForm* oldMain = Application->MainForm();
  Application->SetMainForm(&main);
  Form = new TfrxPreviewForm(Application);
  Report->SetPreview(Form->Preview());
  Form->SetupForReport();
  MinimiseSteps::Form = Form;
  MinimiseSteps::Main = &main;
  SetTimer(nullptr, 0, 100, MinimiseSteps::Tick);
  Form->ShowModal();
  Application->SetMainForm(oldMain);
  EXPECT_TRUE(MinimiseSteps::MainIconic);
  EXPECT_FALSE(MinimiseSteps::FormIconic);
  EXPECT_TRUE(MinimiseSteps::MainRestored);
}

// The report opens the window itself; Escape during the build cancels it
// and leaves the window open, Escape afterwards closes it.
// A two-pass report shows the first pass in the status bar.
TEST(frxPreviewForm, EscapeCancelsARunningBuildThenCloses) {
  auto report = MakeReport(3000);
  report->EngineOptions()->DoublePass = true;
  frxRegisterPreviewWindow();
  TfrxPreviewForm* form = nullptr;
  bool posted = false;
  String firstPass, cancelCaption;
  report->OnProgress = [&](TfrxReport*, TfrxProgressType, Integer Progress) {
    // The preview has taken page 1 by now.
    if (Progress == 2 && !posted && form) {
      posted = true;
      firstPass = form->StatusBar->Panels()->Items(0)->Text();
      cancelCaption = form->CancelB->Caption();
      PostMessageW(form->Preview()->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    }
  };
  int closed = 0;
  report->OnClosePreview = [&](TObject* Sender) { closed += Sender == report->PreviewForm() ? 1 : 100; };
  report->ShowReport();
  frxPreviewWindowClass = nullptr;
  form = dynamic_cast<TfrxPreviewForm*>(report->PreviewForm());
  ASSERT_NE(form, nullptr);
  for (int i = 0; i < 400 && !posted; ++i) Pump(1);
  for (int i = 0; i < 400 && form->Preview()->Running(); ++i) Pump(1);
  ASSERT_TRUE(posted);
  EXPECT_EQ(firstPass, "第一次处理过程: 页  1");
  EXPECT_EQ(cancelCaption, "取消");
  EXPECT_FALSE(form->Preview()->Running());
  EXPECT_TRUE(report->Terminated());
  EXPECT_EQ(report->PreviewForm(), form);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(form->CancelB->Caption(), "关闭(&X)");
  PostKey(form->Preview()->Handle(), VK_ESCAPE);
  EXPECT_EQ(closed, 1);
  for (int i = 0; i < 50 && report->PreviewForm(); ++i) Pump(1);
  EXPECT_EQ(report->PreviewForm(), nullptr);
}

// What the window shows on the screen with page 1 of the report.
TEST_F(PreviewFormFixture, WindowShowsPageOne) {
  Report->PreviewOptions()->ShowCaptions = true;
  Open();
  SetForegroundWindow(Form->Handle());
  RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  RECT wr;
  GetWindowRect(Form->Handle(), &wr);
  TBitmap bmp(wr.right - wr.left, wr.bottom - wr.top, pf24bit);
  HDC screen = GetDC(nullptr);
  BitBlt(bmp.Canvas()->Handle(), 0, 0, bmp.Width(), bmp.Height(), screen, wr.left, wr.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  TPNGObject png;
  png.Assign(&bmp);
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/preview-form.png");
  // Page 1 is white below the toolbar, the page field and status bar tell it.
  TfrxPreviewWorkspace* ws = Form->Preview()->Workspace();
  const TRect r = ws->PageRectOnScreen(0);
  POINT p{r.Left + 5, r.Top + 5};
  ClientToScreen(ws->Handle(), &p);
  EXPECT_EQ(bmp.Canvas()->Pixels(p.x - wr.left, p.y - wr.top), clWhite);
  EXPECT_EQ(Form->PageE->Text(), "1");
  EXPECT_EQ(Form->StatusBar->Panels()->Items(0)->Text(),
            Format("页 %d / %d", {1, Form->Preview()->GetPageCount()}));
  EXPECT_GT(Form->Preview()->Top(), Form->ToolBar->Top());
}

}  // namespace

// Printing from the window: while the pages print, the preview is locked, its
// page buttons and file commands are disabled and the window does not close;
// afterwards all is as before, and the pages reached the queue.
TEST_F(PreviewFormFixture, PrintLocksThePreviewWhileItPrints) {
  Open();
  const std::string title = printed_pdf::UniqueTitle("preview-lock");
  Report->ReportOptions()->Name = title;
  Report->PrintOptions()->ShowDialog = false;
  Report->PrintOptions()->Printer = printed_pdf::Queue();
  Report->PrintOptions()->PageNumbers = "1-2";
  struct Seen {
    bool Locked, First, Next, Last, Print, CanClose;
  };
  std::vector<Seen> seen;
  Report->OnPrintPage = [&](TfrxComponent*, Integer) {
    Form->Close();
    seen.push_back({Form->Preview()->Locked(), Form->FirstB->Enabled(), Form->NextB->Enabled(),
                    Form->LastB->Enabled(), Form->PrintB->Enabled(), !Form->Visible()});
  };
  ASSERT_TRUE(Form->NextB->Enabled());
  Form->PrintB->Click();
  Pump();
  ASSERT_EQ(seen.size(), 2u);
  for (const Seen& s : seen) {
    EXPECT_TRUE(s.Locked);
    EXPECT_FALSE(s.First || s.Next || s.Last || s.Print);
    EXPECT_FALSE(s.CanClose) << "the window closed while its pages printed";
  }
  EXPECT_FALSE(Form->Preview()->Locked());
  EXPECT_TRUE(Form->FirstB->Enabled() && Form->NextB->Enabled() && Form->PrintB->Enabled());
  EXPECT_TRUE(Form->Visible());
  const std::string pdf = printed_pdf::WaitFor(title);
  ASSERT_FALSE(pdf.empty()) << "no PDF from the queue";
  EXPECT_EQ(printed_pdf::PageCount(pdf), 2);
  EXPECT_NE(printed_pdf::Text(pdf).find("订单 第1行"), std::string::npos);
  printed_pdf::Remove(pdf);
}

