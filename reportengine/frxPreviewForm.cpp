// The preview window of reports without a preview control of their own.
#include "frxPreviewForm.h"

#include <windows.h>
#include <commctrl.h>
#undef GetProp
#undef SetProp

#include <climits>
#include <cmath>

#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "frxCtrls.h"
#include "frxDsgnIntf.h"
#include "frxExportFilter.h"
#include "frxRes.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreviewForm, TForm)

namespace {

// Asks the window to show the preview's zoom in the zoom box once the
// messages pending now are handled.
constexpr UINT WM_UPDATEZOOM = WM_USER + 1;
// The largest zoom typed into the zoom box (10000 %); pages at a larger
// zoom would no longer fit the workspace's pixel coordinates.
constexpr Extended kMaxTypedZoom = 100;

String Res(const String& Name) { return frxGetResources()->Get(Name); }
String Res(Integer Id) { return frxResourceTextById(Id); }

TfrxTBPanel* MakeToolPanel(TComponent* Owner, TWinControl* Parent, Integer Width) {
  auto* p = new TfrxTBPanel(Owner);
  p->SetCaption("");
  p->SetWidth(Width);
  p->SetHeight(23);
  p->SetParent(Parent);
  return p;
}

}  // namespace

TfrxPreviewForm::TfrxPreviewForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption(Res(100));
  SetClientWidth(803);
  SetClientHeight(584);
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
  SetKeyPreview(true);
  SetPosition(poScreenCenter);
  SetShowHint(true);
  TImageList* images = frxGetResources()->GetPreviewButtonImages();

  ToolBar = new TToolBar(this);
  ToolBar->SetEdgeBorders(TEdgeBorders{});
  ToolBar->SetBorderWidth(2);
  ToolBar->SetButtonHeight(23);
  ToolBar->SetWrapable(false);
  ToolBar->SetFlat(true);
  ToolBar->SetImages(images);
  ToolBar->SetAutoSize(true);
  ToolBar->SetParent(this);

  PrintB = AddButton(2, 101, 102);
  PrintB->OnClick = [this](TObject*) {
    FPreview->PrintPages();
    SetEnabled(true);
  };
  OpenB = AddButton(0, 103, 104);
  OpenB->OnClick = [this](TObject*) { OpenBClick(); };
  SaveB = AddButton(1, 105, 106);
  SaveB->OnClick = [this](TObject*) { FPreview->SavePreparedWithDialog(); };
  ExportB = AddButton(3, 107, 108);
  ExportB->SetStyle(tbsDropDown);
  ExportB->OnClick = [this](TObject*) {
    const TPoint p = ExportB->ClientToScreen(TPoint(0, ExportB->Height()));
    ExportPopup->Popup(p.X, p.Y);
  };
  PdfB = AddButton(24, 0, 151);
  PdfB->OnClick = [this](TObject*) {
    if (FPdfFilter) FPreview->ExportWith(FPdfFilter);
  };
  EmailB = AddButton(23, 0, 152);
  EmailB->OnClick = [this](TObject*) {
    if (FEmailFilter) FPreview->ExportWith(FEmailFilter);
  };
  FindB = AddButton(4, 109, 110);
  FindB->OnClick = [this](TObject*) { FPreview->ShowFindDialog(); };
  Sep1 = AddSeparator();
  ZoomPlusB = AddButton(15, 124, 125);
  ZoomPlusB->OnClick = [this](TObject*) { ZoomPlusBClick(); };

  Sep3 = MakeToolPanel(this, ToolBar, 55);
  ZoomCB = new TfrxComboBox(this);
  ZoomCB->SetParent(Sep3);
  ZoomCB->SetBounds(3, 1, 49, 21);
  ZoomCB->SetListWidth(100);
  ZoomCB->SetHint(Res(119));
  for (const char* z : {"25%", "50%", "75%", "100%", "150%", "200%"}) ZoomCB->Items()->Add(z);
  ZoomCB->Items()->Add(Res("zmPageWidth"));
  ZoomCB->Items()->Add(Res("zmWholePage"));
  ZoomCB->OnSelect = [this](TObject*) { ZoomCBClick(); };

  ZoomMinusB = AddButton(16, 126, 127);
  ZoomMinusB->OnClick = [this](TObject*) { ZoomMinusBClick(); };
  FullScreenBtn = AddButton(22, 0, 150);
  FullScreenBtn->OnClick = [this](TObject*) { ToggleFullScreen(); };
  Sep2 = AddSeparator();
  OutlineB = AddButton(12, 128, 129);
  ThumbB = AddButton(5, 130, 131);
  for (TToolButton* b : {OutlineB, ThumbB}) {
    b->SetStyle(tbsCheck);
    b->SetGrouped(true);
    b->SetAllowAllUp(true);
  }
  OutlineB->OnClick = [this](TObject*) { FPreview->SetOutlineVisible(OutlineB->Down()); };
  ThumbB->OnClick = [this](TObject*) { FPreview->SetThumbnailVisible(ThumbB->Down()); };
  PageSettingsB = AddButton(7, 120, 121);
  PageSettingsB->OnClick = [this](TObject*) { FPreview->ShowPageSettings(); };
  DesignerB = AddButton(21, 132, 133);
  DesignerB->OnClick = [this](TObject*) { FPreview->EditCurrentPage(); };
  DesignerB->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer, Integer) {
    if (Button != mbRight) return;
    const TPoint p = DesignerB->ClientToScreen(TPoint(0, 0));
    HiddenMenu->Popup(p.X, p.Y);
  };
  Sep5 = AddSeparator();
  FirstB = AddButton(8, 134, 135);
  FirstB->OnClick = [this](TObject*) { FPreview->GotoFirstPage(); };
  PriorB = AddButton(9, 136, 137);
  PriorB->OnClick = [this](TObject*) { FPreview->GotoPriorPage(); };

  Sep4 = MakeToolPanel(this, ToolBar, 43);
  PageE = new TfrxDigitsEdit(this);
  PageE->SetParent(Sep4);
  PageE->SetBorderStyle(bsNone);
  PageE->SetBounds(3, 4, 37, 15);
  PageE->SetHint(Res(142));

  NextB = AddButton(10, 138, 139);
  NextB->OnClick = [this](TObject*) { FPreview->GotoNextPage(); };
  LastB = AddButton(11, 140, 141);
  LastB->OnClick = [this](TObject*) { FPreview->GotoLastPage(); };
  frTBPanel1 = MakeToolPanel(this, ToolBar, 35);

  CancelB = new TSpeedButton(this);
  CancelB->SetBounds(0, 0, 68, 23);
  CancelB->SetFlat(true);
  CancelB->SetCaption(Res("clClose"));
  CancelB->OnClick = [this](TObject*) { CancelBClick(); };
  CancelB->SetParent(ToolBar);

  StatusBar = new TStatusBar(this);
  StatusBar->SetParent(this);
  StatusBar->SetAlign(alBottom);
  for (Integer i = 0; i < 3; ++i) StatusBar->Panels()->Add()->SetWidth(i == 0 ? 200 : 100);
  if (Screen && Screen->PixelsPerInch() > 96) StatusBar->SetHeight(24);
  SizeStatusPanels();
  FStatusBarProc = StatusBar->WindowProc;
  StatusBar->WindowProc = [this](TMessage& m) { StatusBarWindowProc(m); };

  RightMenu = new TPopupMenu(this);
  RightMenu->SetImages(images);
  CollapseMI = new TMenuItem(this);
  CollapseMI->SetCaption(Res(601));
  CollapseMI->SetImageIndex(13);
  CollapseMI->OnClick = [this](TObject*) { CollapseAllClick(); };
  ExpandMI = new TMenuItem(this);
  ExpandMI->SetCaption(Res(600));
  ExpandMI->SetImageIndex(14);
  ExpandMI->OnClick = [this](TObject*) { ExpandAllClick(); };
  N1 = new TMenuItem(this);
  N1->SetCaption("-");
  for (TMenuItem* m : {CollapseMI, ExpandMI, N1}) RightMenu->Items()->Add(m);

  HiddenMenu = new TPopupMenu(this);
  Showtemplate1 = new TMenuItem(this);
  Showtemplate1->SetCaption("Show template");
  Showtemplate1->OnClick = [this](TObject*) { FPreview->EditTemplate(); };
  HiddenMenu->Items()->Add(Showtemplate1);
  ExportPopup = new TPopupMenu(this);
  ExportPopup->SetImages(images);
  ExportB->SetDropdownMenu(ExportPopup);

  FPreview = new TfrxPreview(this);
  FPreview->SetParent(this);
  FPreview->SetAlign(alClient);
  FPreview->SetBorderStyle(bsNone);
  FPreview->OnPageChanged = [this](TfrxPreview*, Integer) { UpdatePageInfo(); };
  FPreview->OnDblClick = [this](TObject*) { PreviewDblClick(); };
  FPreview->SetHost(this);
  // The preview has the focus once the window shows (as a form file sets it).
  FActiveControl = FPreview;
}

TfrxPreviewForm::~TfrxPreviewForm() {
  if (StatusBar) StatusBar->WindowProc = FStatusBarProc;
  if (FPreview) FPreview->SetHost(nullptr);
}

TToolButton* TfrxPreviewForm::AddButton(Integer ImageIndex, Integer CaptionId, Integer HintId) {
  auto* b = new TToolButton(this);
  b->SetImageIndex(ImageIndex);
  if (CaptionId) b->SetCaption(Res(CaptionId));
  b->SetHint(Res(HintId));
  b->SetParent(ToolBar);
  return b;
}

TToolButton* TfrxPreviewForm::AddSeparator() {
  auto* b = new TToolButton(this);
  b->SetStyle(tbsSeparator);
  b->SetWidth(8);
  b->SetParent(ToolBar);
  return b;
}

void TfrxPreviewForm::StatusBarWindowProc(TMessage& Message) {
  if (Message.Msg == WM_SYSCOLORCHANGE && StatusBar->HandleAllocated()) {
    // Straight to the status bar's own window procedure.
    WNDCLASSW wc{};
    if (GetClassInfoW(nullptr, STATUSCLASSNAMEW, &wc)) {
      Message.Result =
          CallWindowProcW(wc.lpfnWndProc, StatusBar->Handle(), Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  FStatusBarProc(Message);
}

void TfrxPreviewForm::SetupForReport() {
  TfrxReport* report = FPreview->Report;
  if (!report) return;
  FPreview->InitFromReport();
  TfrxPreviewOptions* o = report->PreviewOptions();
  if (o->Maximized) SetWindowState(wsMaximized);
  if (o->MDIChild) SetFormStyle(fsMDIChild);
  FPreview->SetZoom(o->Zoom);
  FPreview->SetZoomMode(o->ZoomMode);
  UpdateZoomText();
  DesignerB->SetEnabled(o->AllowEdit);
  FPreview->Workspace()->RTL = o->RTLPreview;

  const TfrxPreviewButtons& b = o->Buttons;
  PrintB->SetVisible(b.Contains(pbPrint));
  OpenB->SetVisible(b.Contains(pbLoad));
  SaveB->SetVisible(b.Contains(pbSave));
  ExportB->SetVisible(b.Contains(pbExport));
  FindB->SetVisible(b.Contains(pbFind));
  const bool zoom = b.Contains(pbZoom);
  for (TControl* c : std::initializer_list<TControl*>{Sep1, ZoomPlusB, Sep3, ZoomMinusB}) c->SetVisible(zoom);
  FullScreenBtn->SetVisible(zoom && !b.Contains(pbNoFullScreen));
  OutlineB->SetVisible(b.Contains(pbOutline));
  ThumbB->SetVisible(b.Contains(pbOutline));
  PageSettingsB->SetVisible(b.Contains(pbPageSetup));
  DesignerB->SetVisible(b.Contains(pbEdit));
  Sep2->SetVisible(PageSettingsB->Visible() || DesignerB->Visible());
  const bool nav = b.Contains(pbNavigator);
  for (TControl* c : std::initializer_list<TControl*>{Sep5, FirstB, PriorB, Sep4, NextB, LastB}) c->SetVisible(nav);
  CancelB->SetVisible(!b.Contains(pbNoClose));
  ToolBar->SetShowCaptions(o->ShowCaptions);

  // The export filters registered: one menu item each; the PDF and e-mail
  // filters also get their quick buttons.
  FPdfFilter = nullptr;
  FEmailFilter = nullptr;
  ExportPopup->Items()->Clear();
  TfrxExportFilterCollection* filters = frxExportFilterRegistry();
  if (filters->Count() == 0) ExportB->SetVisible(false);
  for (Integer i = 0; i < filters->Count(); ++i) {
    auto* filter = dynamic_cast<TfrxCustomExportFilter*>(filters->Items(i)->Filter);
    if (!filter) continue;
    auto* item = new TMenuItem(ExportPopup);
    item->SetCaption(filter->GetDescription() + "...");
    item->SetTag(i);
    item->OnClick = [this](TObject* Sender) { ExportMenuClick(Sender); };
    ExportPopup->Items()->Add(item);
    if (filter->ClassName() == "TfrxPDFExport") FPdfFilter = filter;
    if (filter->ClassName() == "TfrxMailExport" && !b.Contains(pbNoEmail)) FEmailFilter = filter;
  }
  PdfB->SetVisible(b.Contains(pbExportQuick) && FPdfFilter);
  EmailB->SetVisible(b.Contains(pbExportQuick) && !b.Contains(pbNoEmail) && FEmailFilter);

  UpdateCaption();
  BuildRightMenu();
  UpdateControls();
  SetPopupMenu(RightMenu);
}

void TfrxPreviewForm::UpdateCaption() {
  // A report without a name leaves the window's own caption.
  if (TfrxReport* report = FPreview->Report)
    if (!report->ReportOptions()->Name.empty()) SetCaption(report->ReportOptions()->Name);
}

void TfrxPreviewForm::OpenBClick() {
  FPreview->LoadPreparedWithDialog();
  UpdateCaption();
}

void TfrxPreviewForm::BuildRightMenu() {
  RightMenu->SetImages(ToolBar->Images());
  // Built afresh after the design-time items (collapse, expand, line).
  while (RightMenu->Items()->Count() > 3) RightMenu->Items()->Delete(3);
  for (Integer i = 0; i < ToolBar->ButtonCount(); ++i) ToolBar->Buttons(i)->SetTag(0);
  Integer separators = 0;
  for (Integer i = 0; i < ToolBar->ButtonCount(); ++i) {
    TToolButton* b = ToolBar->Buttons(i);
    if (b->Style() == tbsSeparator || b->Style() == tbsDivider) {
      if (++separators == 2) break;
      auto* line = new TMenuItem(this);
      line->SetCaption("-");
      RightMenu->Items()->Add(line);
      continue;
    }
    if (b->Style() == tbsCheck || !b->Visible() || b->Hint().empty()) continue;
    auto* item = new TMenuItem(this);
    item->SetCaption(b->Hint());
    item->SetImageIndex(b->ImageIndex());
    item->OnClick = b->OnClick;
    RightMenu->Items()->Add(item);
    b->SetTag(item->MenuIndex());
    if (TPopupMenu* drop = b->DropdownMenu())
      for (Integer j = 0; j < drop->Items()->Count(); ++j) {
        TMenuItem* from = drop->Items()->Items(j);
        auto* sub = new TMenuItem(this);
        sub->SetCaption(from->Caption());
        sub->SetTag(from->Tag());
        sub->OnClick = from->OnClick;
        item->Add(sub);
      }
  }
}

void TfrxPreviewForm::UpdateControls() {
  const bool running = FPreview->Running();
  const bool pages = FPreview->GetPageCount() > 0;
  TfrxReport* report = FPreview->Report;
  const bool allowEdit = report && report->PreviewOptions()->AllowEdit;
  auto enable = [this](TToolButton* b, bool v) {
    b->SetEnabled(v);
    b->SetDown(false);
    // The button's right-click menu item follows it (items from 3 on; 0 is
    // the collapse item).
    if (b->Tag() > 0 && b->Tag() < RightMenu->Items()->Count()) RightMenu->Items()->Items(b->Tag())->SetEnabled(v);
  };
  // While the preview is locked (printing, saving, loading) its pages
  // stay where they are: no page or file command.
  const bool locked = FPreview->Locked();
  for (TToolButton* b : {PrintB, OpenB, SaveB, ExportB, PdfB, EmailB, FindB, PageSettingsB})
    enable(b, !running && !locked && pages);
  for (TToolButton* b : {FirstB, PriorB, NextB, LastB}) b->SetEnabled(!locked);
  enable(DesignerB, !running && allowEdit);
  const bool drill = !running && HasDrillDown();
  for (TMenuItem* m : {ExpandMI, CollapseMI, N1}) m->SetVisible(drill);
}

bool TfrxPreviewForm::HasDrillDown() {
  TfrxReport* report = FPreview->Report;
  if (!report) return false;
  TList* all = report->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* g = dynamic_cast<TfrxGroupHeader*>(static_cast<TObject*>(all->Items(i))); g && g->DrillDown)
      return true;
  return false;
}

void TfrxPreviewForm::SetDrillDown(bool Expand) {
  TfrxReport* report = FPreview->Report;
  if (!report) return;
  FPreview->Lock();
  TList* all = report->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* g = dynamic_cast<TfrxGroupHeader*>(static_cast<TObject*>(all->Items(i))); g && g->DrillDown)
      g->ExpandDrillDown = Expand;
  report->DrillState()->Clear();
  FPreview->RefreshReport();
  if (!Expand) FPreview->ShowAtPosition(1, 0);
}

void TfrxPreviewForm::CollapseAllClick() { SetDrillDown(false); }
void TfrxPreviewForm::ExpandAllClick() { SetDrillDown(true); }

void TfrxPreviewForm::UpdatePageInfo() {
  TfrxReport* report = FPreview->Report;
  TfrxCustomEngine* engine = report ? report->Engine() : nullptr;
  const Integer count = FPreview->GetPageCount();
  String text;
  if (FPreview->Running() && engine && engine->DoublePass() && !engine->FinalPass)
    text = Res("clFirstPass") + " " + IntToStr(count);
  else
    text = Format(Res("clPageOf"), {FPreview->PageNo(), count});
  StatusBar->Panels()->Items(0)->SetText(text);
  PageE->SetText(IntToStr(FPreview->PageNo()));
}

void TfrxPreviewForm::UpdateZoomText() {
  ZoomCB->SetText(IntToStr(Integer(std::lround(FPreview->Zoom() * 100))) + "%");
}

void TfrxPreviewForm::SetStatusText(const String& Text, bool Panel2) {
  if (!Panel2)
    StatusBar->Panels()->Items(1)->SetText(Text);
  else if (!Text.empty() || !StatusBar->Panels()->Items(2)->Text().empty())
    StatusBar->Panels()->Items(2)->SetText(Text);
  Application->ProcessMessages();
}

void TfrxPreviewForm::SetCancelCaption(const String& Caption) { CancelB->SetCaption(Caption); }

void TfrxPreviewForm::UpdateZoom() {
  UpdateZoomText();
  PageE->SetText(IntToStr(FPreview->PageNo()));
}

void TfrxPreviewForm::OutlineVisibleChanged(bool Visible) { OutlineB->SetDown(Visible); }

void TfrxPreviewForm::ThumbnailVisibleChanged(bool Visible) { ThumbB->SetDown(Visible); }

void TfrxPreviewForm::ZoomCBClick() {
  if (FPreview->CanFocus()) FPreview->SetFocus();
  const Integer index = ZoomCB->ItemIndex();
  if (index == 6) {
    FPreview->SetZoomMode(zmPageWidth);
  } else if (index == 7) {
    FPreview->SetZoomMode(zmWholePage);
  } else {
    String s = ZoomCB->Text();
    const size_t pct = s.find('%');
    if (pct != String::npos) s[pct] = ' ';
    String digits;
    for (char c : s)
      if (c != ' ') digits += c;
    if (!digits.empty()) {
      // A typed zoom is kept to what the page layout can hold in pixels.
      Extended zoom = frxStrToFloat(digits) / 100;
      if (!std::isfinite(zoom) || zoom > kMaxTypedZoom) zoom = kMaxTypedZoom;
      FPreview->SetZoom(zoom);
    }
  }
  if (HandleAllocated()) PostMessageW(Handle(), WM_UPDATEZOOM, 0, 0);
}

void TfrxPreviewForm::PageEClick() {
  // Digits only (the field refuses others); a number beyond the pages
  // goes to the last page, an empty field leaves the page as it is.
  const String text = PageE->Text();
  if (!text.empty()) {
    Int64 n = 0;
    for (char c : text) {
      if (c < '0' || c > '9') break;
      n = std::min<Int64>(n * 10 + (c - '0'), INT_MAX);
    }
    FPreview->SetPageNo(Integer(n));
  }
  UpdatePageInfo();
  if (FPreview->CanFocus()) FPreview->SetFocus();
}

void TfrxPreviewForm::ZoomPlusBClick() { FPreview->SetZoom(FPreview->Zoom() + 0.25); }

void TfrxPreviewForm::ZoomMinusBClick() { FPreview->SetZoom(FPreview->Zoom() - 0.25); }

void TfrxPreviewForm::ExportMenuClick(TObject* Sender) {
  auto* item = dynamic_cast<TComponent*>(Sender);
  TfrxExportFilterCollection* filters = frxExportFilterRegistry();
  if (!item || item->Tag() < 0 || item->Tag() >= filters->Count()) return;
  FPreview->ExportWith(filters->Items(item->Tag())->Filter);
}

void TfrxPreviewForm::PreviewDblClick() {
  if (FFullScreen) ToggleFullScreen();
}

void TfrxPreviewForm::ToggleFullScreen() {
  if (!FFullScreen) {
    FFullScreen = true;
    StatusBar->SetVisible(false);
    ToolBar->SetVisible(false);
    FOldBorderStyle = BorderStyle();
    FOldState = WindowState();
    SetBorderStyle(bsNone);
    SetWindowState(wsMaximized);
  } else {
    FFullScreen = false;
    SetWindowState(FOldState);
    SetBorderStyle(FOldBorderStyle);
    StatusBar->SetVisible(true);
    ToolBar->SetVisible(true);
  }
}

void TfrxPreviewForm::CancelBClick() {
  if (FPreview->Running())
    FPreview->CancelBuild();
  else
    Close();
}

void TfrxPreviewForm::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  switch (Key) {
    case VK_ESCAPE:
      CancelBClick();
      break;
    case VK_F11:
      ToggleFullScreen();
      break;
    case VK_F1:
      frxGetResources()->ShowHelp(this);
      break;
    default:
      break;
  }
}

void TfrxPreviewForm::KeyPress(char32_t& Key) {
  inherited::KeyPress(Key);
  if (Key != '\r') return;
  if (ActiveControl() == ZoomCB || ZoomCB->Focused()) {
    ZoomCBClick();
    Key = 0;
  } else if (ActiveControl() == PageE || PageE->Focused()) {
    PageEClick();
    Key = 0;
  }
}

bool TfrxPreviewForm::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint) {
  FPreview->WheelScroll(WheelDelta, false, Shift.Contains(ssCtrl));
  return true;
}

bool TfrxPreviewForm::CloseQuery() {
  // The window stays while a build runs (the build is cancelled first) and
  // while its pages print.
  if (FPreview->Running() || FPreview->Locked()) return false;
  return inherited::CloseQuery();
}

void TfrxPreviewForm::DoClose(TCloseAction& Action) {
  inherited::DoClose(Action);
  if (FFreeOnClose) Action = caFree;
  if (TfrxReport* report = FPreview->Report)
    if (report->OnClosePreview) report->OnClosePreview(this);
}

void TfrxPreviewForm::Resize() {
  inherited::Resize();
  if (StatusBar) SizeStatusPanels();
}

void TfrxPreviewForm::SizeStatusPanels() {
  const Integer half = Integer(std::lround((ClientWidth() - StatusBar->Panels()->Items(0)->Width()) / 2.0));
  StatusBar->Panels()->Items(1)->SetWidth(half);
  StatusBar->Panels()->Items(2)->SetWidth(half);
}

void TfrxPreviewForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_UPDATEZOOM:
      UpdateZoomText();
      return;
    case WM_ACTIVATEAPP: {
      // Coming back to a minimised program brings it up with this window active.
      TCustomForm* main = Application ? Application->MainForm() : nullptr;
      if (main && main != this && main->HandleAllocated() && IsIconic(main->Handle())) {
        Application->Restore();
        SetActiveWindow(Handle());
      }
      break;
    }
    case WM_SYSCOMMAND:
      // A modal preview minimises the whole program rather than itself.
      if ((Message.WParam & 0xFFF0) == SC_MINIMIZE && FormState().Contains(fsModal) && FormStyle() != fsMDIChild &&
          Application && Application->MainForm() && Application->MainForm() != this) {
        Application->Minimize();
        Message.Result = 0;
        return;
      }
      break;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

void frxRegisterPreviewWindow() {
  frxPreviewWindowClass = [](TfrxReport*) {
    TfrxPreviewWindow w;
    // The window opens on the program's main window.
    auto* form = new TfrxPreviewForm(Application);
    w.Form = form;
    w.Preview = form->Preview();
    w.Init = [form]() { form->SetupForReport(); };
    w.ShowMessage = [form](const String& Text, bool IsHint) { form->SetStatusText(Text, IsHint); };
    return w;
  };
}
