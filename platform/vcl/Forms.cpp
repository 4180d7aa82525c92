#include "Forms.h"
#include <algorithm>
#include <cstdlib>
#include <map>
#include "ActnList.h"
#include "Dialogs.h"
#include "Menus.h"
#include "Strings.h"
#include "SysUtils.h"
#include "VclUtils.h"
#if __has_include("FormFile.h")
#include "FormFile.h"
#define TOVANI_HAVE_FORM_FILES 1
#endif

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TControlScrollBar, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TScrollingWinControl, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TScrollBox, TScrollingWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomForm, TScrollingWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TForm, TCustomForm)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataModule, TComponent)
TOVANI_IMPLEMENT_CLASS(TScreen, TComponent)
TOVANI_IMPLEMENT_CLASS(TApplication, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TApplicationEvents, TComponent)

TOVANI_IMPLEMENT_ENUM_INFO(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
TOVANI_IMPLEMENT_ENUM_INFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                           "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
TOVANI_IMPLEMENT_ENUM_INFO(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
TOVANI_IMPLEMENT_ENUM_INFO(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
TOVANI_IMPLEMENT_ENUM_INFO(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")

TOVANI_PUBLISHED(TControlScrollBar) {
  Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement).Default(8);
  Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0);
  Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange).Default(0);
  Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true);
}

TOVANI_PUBLISHED(TScrollingWinControl) {
  Property("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll);
  Property("HorzScrollBar", &TScrollingWinControl::HorzScrollBar, &TScrollingWinControl::SetHorzScrollBar);
  Property("VertScrollBar", &TScrollingWinControl::VertScrollBar, &TScrollingWinControl::SetVertScrollBar);
}

TOVANI_PUBLISHED(TScrollBox) {
  Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle).Default(bsSingle);
}

TOVANI_PUBLISHED(TCustomForm) {
  Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
  Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
  Property("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption);
  Property("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight);
  Property("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth);
  Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
  Property("Icon", &TCustomForm::Icon, &TCustomForm::SetIcon);
  Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  Property("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
  Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder);
  Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch);
  Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
  Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Default(true);
  Property("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight);
  Property("Visible", &TCustomForm::Visible, &TCustomForm::SetFormVisible).Default(false);
  Property("WindowMenu", &TCustomForm::WindowMenu, &TCustomForm::SetWindowMenu);
  Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
  Property("OnActivate", &TCustomForm::OnActivate);
  Property("OnClose", &TCustomForm::OnClose);
  Property("OnCloseQuery", &TCustomForm::OnCloseQuery);
  Property("OnCreate", &TCustomForm::OnCreate);
  Property("OnDeactivate", &TCustomForm::OnDeactivate);
  Property("OnDestroy", &TCustomForm::OnDestroy);
  Property("OnHide", &TCustomForm::OnHide);
  Property("OnPaint", &TCustomForm::OnPaint);
  Property("OnShortCut", &TCustomForm::OnShortCut);
  Property("OnShow", &TCustomForm::OnShow);
}

TOVANI_PUBLISHED(TDataModule) {
  Property("OldCreateOrder", &TDataModule::OldCreateOrder, &TDataModule::SetOldCreateOrder);
  Property("Left", &TDataModule::HorizontalOffset, &TDataModule::SetHorizontalOffset);
  Property("Top", &TDataModule::VerticalOffset, &TDataModule::SetVerticalOffset);
  Property("Height", &TDataModule::DesignHeight, &TDataModule::SetDesignHeight);
  Property("Width", &TDataModule::DesignWidth, &TDataModule::SetDesignWidth);
  Property("HorizontalOffset", &TDataModule::HorizontalOffset, &TDataModule::SetHorizontalOffset);
  Property("VerticalOffset", &TDataModule::VerticalOffset, &TDataModule::SetVerticalOffset);
  Property("OnCreate", &TDataModule::OnCreate);
  Property("OnDestroy", &TDataModule::OnDestroy);
}

TOVANI_PUBLISHED(TApplicationEvents) {
  Property("OnActivate", &TApplicationEvents::OnActivate);
  Property("OnDeactivate", &TApplicationEvents::OnDeactivate);
  Property("OnException", &TApplicationEvents::OnException);
  Property("OnHint", &TApplicationEvents::OnHint);
  Property("OnIdle", &TApplicationEvents::OnIdle);
  Property("OnMessage", &TApplicationEvents::OnMessage);
  Property("OnShortCut", &TApplicationEvents::OnShortCut);
  Property("OnShowHint", &TApplicationEvents::OnShowHint);
}

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {
// Form files refer to components of other forms and data modules as
// "DataForm.conn": the root is found among the screen's forms and data
// modules by its name.
TComponent* FindScreenRoot(const String& Name) {
  if (!Screen) return nullptr;
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    if (SameText(Screen->Forms(i)->Name(), Name)) return Screen->Forms(i);
  for (Integer i = 0; i < Screen->DataModuleCount(); ++i)
    if (SameText(Screen->DataModules(i)->Name(), Name)) return Screen->DataModules(i);
  return nullptr;
}
const bool GScreenRootsRegistered = (RegisterFindGlobalComponentProc(FindScreenRoot), true);
}  // namespace

namespace {
// Counts focus changes, so that a handler of CM_EXIT/CM_ENTER that moves
// the focus elsewhere stops the sequence that sent it.
int FocusCount = 0;

bool SendFocusMessage(TWinControl* target, UINT msg) {
  int count = FocusCount;
  target->Perform(msg);
  return FocusCount == count;
}

std::map<String, String>& FormResources() {
  static std::map<String, String> map;
  return map;
}
}  // namespace

// ---------------------------------------------------------------------------
// Form files

void RegisterFormResource(const String& ClassName, const String& FormText) {
  FormResources()[vcl::LowerAscii(ClassName)] = FormText;
}

String FindFormResource(const String& ClassName) {
  auto it = FormResources().find(vcl::LowerAscii(ClassName));
  return it == FormResources().end() ? String() : it->second;
}

namespace {

// Integer properties written as identifiers in form files: colours,
// cursors and font character sets.
bool IdentToIntegerConst(const String& ident, Int64& value) {
  TColor color;
  if (IdentToColor(ident, color)) {
    value = color;
    return true;
  }
  static const struct {
    const char* Name;
    int Value;
  } consts[] = {
      {"crDefault", crDefault}, {"crNone", crNone}, {"crArrow", crArrow}, {"crCross", crCross}, {"crIBeam", crIBeam},
      {"crSize", crSize}, {"crSizeNESW", crSizeNESW}, {"crSizeNS", crSizeNS}, {"crSizeNWSE", crSizeNWSE},
      {"crSizeWE", crSizeWE}, {"crUpArrow", crUpArrow}, {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
      {"crNoDrop", crNoDrop}, {"crHSplit", crHSplit}, {"crVSplit", crVSplit}, {"crMultiDrag", crMultiDrag},
      {"crSQLWait", crSQLWait}, {"crNo", crNo}, {"crAppStart", crAppStart}, {"crHelp", crHelp},
      {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll},
      {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}, {"MAC_CHARSET", 77},
      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"JOHAB_CHARSET", 130}, {"GB2312_CHARSET", 134},
      {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162}, {"VIETNAMESE_CHARSET", 163},
      {"HEBREW_CHARSET", 177}, {"ARABIC_CHARSET", 178}, {"BALTIC_CHARSET", 186}, {"RUSSIAN_CHARSET", 204},
      {"THAI_CHARSET", 222}, {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
  };
  String lower = vcl::LowerAscii(ident);
  for (const auto& c : consts)
    if (lower == vcl::LowerAscii(c.Name)) {
      value = c.Value;
      return true;
    }
  return false;
}

// The class system reads integer properties as numbers: a line
// "  Color = clBtnFace" becomes "  Color = -16777201" before reading.
String ResolveIntegerConsts(const String& text) {
  String out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == String::npos) end = text.size();
    String line = text.substr(pos, end - pos);
    size_t eq = line.find(" = ");
    if (eq != String::npos && line.find('\'') == String::npos) {
      size_t vs = eq + 3;
      size_t ve = line.find_last_not_of(" \t\r");
      if (ve != String::npos && ve >= vs) {
        String value = line.substr(vs, ve - vs + 1);
        Int64 n;
        if (IdentToIntegerConst(value, n)) line = line.substr(0, vs) + std::to_string(n) + line.substr(ve + 1);
      }
    }
    out += line;
    if (end < text.size()) out += '\n';
    pos = end + 1;
  }
  return out;
}

}  // namespace

void ReadFormText(TComponent* Root, const String& FormText) {
#ifdef TOVANI_HAVE_FORM_FILES
  ReadComponentFromText(ResolveIntegerConsts(FormText), Root);
#else
  (void)Root;
  (void)FormText;
  throw EReadError("Form files cannot be read in this build");
#endif
}

// ---------------------------------------------------------------------------
// Scrolling windows

void TControlScrollBar::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
    FVisible = s->FVisible;
    FRange = s->FRange;
    FPosition = s->FPosition;
    FIncrement = s->FIncrement;
    Update();
    return;
  }
  TPersistent::Assign(Source);
}

void TControlScrollBar::SetPosition(Integer v) {
  Integer maxPos = std::max(0, FRange - (FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight()));
  v = std::clamp(v, 0, maxPos);
  if (v == FPosition) return;
  Integer delta = FPosition - v;
  FPosition = v;
  if (FKind == sbHorizontal) FControl->ScrollBy(delta, 0);
  else FControl->ScrollBy(0, delta);
  Update();
}

void TControlScrollBar::SetRange(Integer v) {
  FRange = std::max(0, v);
  Update();
}

void TControlScrollBar::SetVisible(bool v) {
  FVisible = v;
  Update();
}

bool TControlScrollBar::IsScrollBarVisible() {
  Integer page = FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
  return FVisible && FRange > page;
}

void TControlScrollBar::Update() {
  if (!FControl->HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = FVisible ? std::max(0, FRange - 1) : 0;
  RECT r;
  GetClientRect(FControl->Handle(), &r);
  si.nPage = UINT(FKind == sbHorizontal ? r.right : r.bottom);
  si.nPos = FPosition;
  SetScrollInfo(FControl->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &si, TRUE);
}

void TControlScrollBar::ScrollMessage(TMessage& Message) {
  Integer page = FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
  Integer pos = FPosition;
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: pos -= FIncrement; break;
    case SB_LINEDOWN: pos += FIncrement; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = SmallInt(HIWORD(Message.WParam)); break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = FRange; break;
  }
  SetPosition(pos);
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner),
      FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical)) {
  FControlStyle += csAcceptsControls;
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool v) {
  if (FAutoScroll == v) return;
  FAutoScroll = v;
  if (v) CalcAutoRange();
  else {
    FHorzScrollBar->SetRange(0);
    FVertScrollBar->SetRange(0);
  }
}

void TScrollingWinControl::EnableAutoRange() {
  if (FAutoRangeCount > 0 && --FAutoRangeCount == 0) CalcAutoRange();
}

void TScrollingWinControl::CalcAutoRange() {
  if (!FAutoScroll || FAutoRangeCount > 0 || FUpdatingScrollBars) return;
  Integer right = 0, bottom = 0;
  for (TControl* c : ControlList()) {
    if (!c->Visible() || c->Align() != alNone) continue;
    right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
    bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
  }
  FUpdatingScrollBars = true;
  FHorzScrollBar->FRange = right;
  FVertScrollBar->FRange = bottom;
  FHorzScrollBar->Update();
  FVertScrollBar->Update();
  FUpdatingScrollBars = false;
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
  DisableAlign();
  for (TControl* c : std::vector<TControl*>(ControlList())) c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
  FControlState -= csAlignmentNeeded;
  EnableAlign();
  Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
  if (!AControl || !ContainsControl(AControl)) return;
  TPoint p = AControl->ClientToParent({0, 0}, this);
  TRect c = ClientRect();
  if (p.X < 0) FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + p.X);
  else if (p.X + AControl->Width() > c.Width())
    FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + p.X + AControl->Width() - c.Width());
  if (p.Y < 0) FVertScrollBar->SetPosition(FVertScrollBar->FPosition + p.Y);
  else if (p.Y + AControl->Height() > c.Height())
    FVertScrollBar->SetPosition(FVertScrollBar->FPosition + p.Y + AControl->Height() - c.Height());
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL:
      if (Message.LParam == 0) {
        FHorzScrollBar->ScrollMessage(Message);
        return;
      }
      break;
    case WM_VSCROLL:
      if (Message.LParam == 0) {
        FVertScrollBar->ScrollMessage(Message);
        return;
      }
      break;
  }
  TWinControl::Dispatch(Message);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  CalcAutoRange();
}

void TScrollingWinControl::CreateParams(TCreateParams& Params) { TWinControl::CreateParams(Params); }

void TScrollingWinControl::InitializeWindow() {
  FHorzScrollBar->Update();
  FVertScrollBar->Update();
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  SetAutoScroll(true);
  FControlStyle += csAcceptsControls;
  SetBounds(0, 0, 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

// ---------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner)
    : TScrollingWinControl(AOwner), FIcon(new TIcon), FCanvas(new TControlCanvas) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FLeft = 0;
  FTop = 0;
  FWidth = 320;
  FHeight = 240;
  FCanvas->SetControl(this);
  FPixelsPerInch = Screen ? Screen->PixelsPerInch() : 96;
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (!FFormState.Contains(fsCreating) && FCreated) {
    // OnDestroy runs before anything of the form goes.
    FCreated = false;
    try {
      DoDestroy();
    } catch (...) {
      HandleControlException(this);
    }
  }
  Destroying();
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
  SetMenu(nullptr);
  FCanvas->FreeHandle();
  // Owned components go first (their Notification reaches a whole form).
  DestroyComponents();
  DestroyHandle();
  // Last: focus moving while the windows go must not register the form again.
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  FFormState += fsCreating;
  try {
    ReadFormResource();
  } catch (...) {
    FFormState -= fsCreating;
    throw;
  }
  FFormState -= fsCreating;
  FCreated = true;
  DoCreate();
  if (FFormState.Contains(fsVisible) || FFormStyle == fsMDIChild) {
    FFormState -= fsVisible;
    Show();
  }
}

void TCustomForm::ReadFormResource() {
  // The most derived class's file first, then its ancestors' (inherited forms).
  for (TClass c = ClassType(); c && c != TCustomForm::StaticClass() && c != TForm::StaticClass(); c = c->Parent) {
    String text = FindFormResource(c->Name);
    if (!text.empty()) {
      ReadFormText(this, text);
      return;
    }
  }
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC DC) {
  FCanvas->Lock();
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

void TCustomForm::SetFormVisible(bool v) {
  // Read from the form file: the form shows once it is made.
  if (ComponentState().Contains(csLoading) || FFormState.Contains(fsCreating)) {
    if (v) FFormState += fsVisible;
    else FFormState -= fsVisible;
    return;
  }
  SetVisible(v);
}

void TCustomForm::BringToFront() {
  if (!FHandle) return;
  if (FFormStyle == fsMDIChild) {
    SendMessageW(GetParent(FHandle), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
    return;
  }
  SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(FHandle);
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::FormFrameStyles(DWORD& Style, DWORD& ExStyle) const {
  Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  ExStyle = 0;
  if (FFormStyle == fsMDIChild) {
    Style |= WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    ExStyle |= WS_EX_MDICHILD;
  } else {
    switch (FBorderStyle) {
      case bsNone: Style |= WS_POPUP; break;
      case bsSingle:
      case bsToolWindow: Style |= WS_CAPTION | WS_BORDER; break;
      case bsSizeable:
      case bsSizeToolWin: Style |= WS_CAPTION | WS_THICKFRAME; break;
      case bsDialog:
        Style |= WS_POPUP | WS_CAPTION;
        ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) ExStyle |= WS_EX_TOOLWINDOW;
    if (FFormStyle == fsStayOnTop) ExStyle |= WS_EX_TOPMOST;
    if (FBorderStyle != bsNone) {
      if (FBorderIcons.Contains(biSystemMenu)) Style |= WS_SYSMENU;
      if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
        if (FBorderIcons.Contains(biMinimize)) Style |= WS_MINIMIZEBOX;
        if (FBorderIcons.Contains(biMaximize)) Style |= WS_MAXIMIZEBOX;
      }
      if (FBorderIcons.Contains(biHelp) && FBorderStyle == bsDialog) ExStyle |= WS_EX_CONTEXTHELP;
    }
  }
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  FormFrameStyles(Params.Style, Params.ExStyle);
  if (!FEnabled) Params.Style |= WS_DISABLED;
  Params.WndParent = nullptr;
  if (FFormStyle == fsMDIChild) {
    TCustomForm* frame = Application ? Application->MainForm() : nullptr;
    if (!frame || frame->FFormStyle != fsMDIForm || !frame->HandleAllocated())
      throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    Params.WndParent = frame->ClientHandle();
  } else if (FParentWindow) {
    Params.WndParent = FParentWindow;
  } else if (Application && Application->MainForm() && Application->MainForm() != this &&
             Application->MainForm()->HandleAllocated()) {
    // Secondary forms stay above the main form.
    Params.WndParent = Application->MainForm()->Handle();
  }
  if (FPosition == poDefault || FPosition == poDefaultPosOnly) Params.X = Params.Y = CW_USEDEFAULT;
  if (FPosition == poDefault || FPosition == poDefaultSizeOnly) Params.Width = Params.Height = CW_USEDEFAULT;
  Params.WindowClass.style = CS_DBLCLKS;
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
  if (FFormStyle != fsMDIChild) {
    TScrollingWinControl::CreateWindowHandle(Params);
    return;
  }
  std::u16string cls = ToUtf16(Params.WinClassName);
  std::u16string caption = ToUtf16(Params.Caption);
  MDICREATESTRUCTW mcs{};
  mcs.szClass = W(cls);
  mcs.szTitle = W(caption);
  mcs.hOwner = GetModuleHandleW(nullptr);
  mcs.x = Params.X;
  mcs.y = Params.Y;
  mcs.cx = Params.Width;
  mcs.cy = Params.Height;
  mcs.style = Params.Style & ~(WS_VISIBLE | WS_CHILD);
  mcs.lParam = reinterpret_cast<LPARAM>(Params.Param);
  // The MDI client makes the window; its first message ties it to us.
  SetCreationControl(this);
  HWND h = reinterpret_cast<HWND>(SendMessageW(Params.WndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  SetCreationControl(nullptr);
  if (!h) FHandle = nullptr;
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  if (FIcon && FIcon->Handle()) SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
  if (FFormStyle == fsMDIForm) {
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = FWindowMenu ? FWindowMenu->Handle() : nullptr;
    ccs.idFirstChild = 0xFF00;
    RECT r;
    GetClientRect(FHandle, &r);
    FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                                    0, 0, r.right, r.bottom, FHandle, nullptr, GetModuleHandleW(nullptr), &ccs);
    Realign();
  }
  if (FMenu) {
    FMenu->SetWindowHandle(FHandle);
  }
}

void TCustomForm::DestroyWindowHandle() {
  if (FMenu && FHandle) {
    ::SetMenu(FHandle, nullptr);
    FMenu->SetWindowHandle(nullptr);
  }
  if (FClientHandle) {
    DestroyWindow(FClientHandle);
    FClientHandle = nullptr;
  }
  // An MDI child leaves through its client window, which hands the active
  // and the maximised state on to the next child; a child window destroyed
  // directly leaves the next one restored.
  if (FFormStyle == fsMDIChild && FHandle && IsWindow(FHandle))
    if (HWND client = GetParent(FHandle)) SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
  TScrollingWinControl::DestroyWindowHandle();
}

void TCustomForm::DefaultHandler(TMessage& Message) {
  if (!FHandle || (Message.Msg >= CM_BASE && Message.Msg < CM_BASE + 0x1000)) {
    TScrollingWinControl::DefaultHandler(Message);
    return;
  }
  if (FClientHandle && Message.Msg != WM_SIZE) {
    Message.Result = DefFrameProcW(FHandle, FClientHandle, Message.Msg, Message.WParam, Message.LParam);
    if (Message.Msg == WM_SETTEXT) Perform(CM_TEXTCHANGED);
    return;
  }
  if (FFormStyle == fsMDIChild) {
    Message.Result = DefMDIChildProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
    if (Message.Msg == WM_SETTEXT) Perform(CM_TEXTCHANGED);
    return;
  }
  TScrollingWinControl::DefaultHandler(Message);
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
  TScrollingWinControl::AlignControls(AControl, Rect);
  // The MDI client window takes the room the aligned controls leave.
  if (FClientHandle)
    SetWindowPos(FClientHandle, HWND_BOTTOM, Rect.Left, Rect.Top, std::max(0, Rect.Width()), std::max(0, Rect.Height()),
                 SWP_NOACTIVATE);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE: WMClose(Message); return;
    case WM_ACTIVATE: WMActivate(Message); return;
    case WM_MDIACTIVATE: WMMDIActivate(Message); return;
    case WM_NEXTDLGCTL:
      // A form moves the focus as a dialog would: to the control whose
      // window is given, or to the next (previous) control in tab order.
      if (LOWORD(Message.LParam)) {
        if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.WParam)); c && c->CanFocus()) c->SetFocus();
      } else {
        SelectNext(FActiveControl, Message.WParam == 0, true);
      }
      return;
    case WM_COMMAND:
      // Menu commands of the form's menus and popup menus.
      if (Message.LParam == 0 && HIWORD(Message.WParam) == 0) {
        if (FMenu && FMenu->DispatchCommand(LOWORD(Message.WParam))) return;
        if (TMenuItem* item = FindMenuItemByCommand(LOWORD(Message.WParam))) {
          item->Click();
          return;
        }
      }
      break;
    case WM_INITMENUPOPUP:
      // Items' actions update before a menu opens.
      if (FMenu) {
        if (TMenuItem* item = FMenu->FindItem(UINT_PTR(Message.WParam), fkHandle))
          for (Integer j = 0; j < item->Count(); ++j) item->Items(j)->InitiateAction();
      }
      break;
    case CM_ACTIVATE: CMActivate(Message); return;
    case CM_DEACTIVATE: CMDeactivate(Message); return;
    case CM_DIALOGKEY: CMDialogKey(Message); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); return;
    case CM_RELEASE: CMRelease(Message); return;
    case CM_TEXTCHANGED: CMTextChanged(Message); return;
    case WM_PAINT: {
      // A form paints through its own canvas (OnPaint).
      FControlState += csCustomPaint;
      TScrollingWinControl::Dispatch(Message);
      FControlState -= csCustomPaint;
      return;
    }
  }
  TScrollingWinControl::Dispatch(Message);
}

void TCustomForm::CMTextChanged(TMessage& Message) { TScrollingWinControl::Dispatch(Message); }

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMActivate(TMessage& Message) {
  // A form gives the focus to its active control itself: the default
  // procedure would put it on the form's window instead.
  if (FFormStyle != fsMDIForm) SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
  else DefaultHandler(Message);
}

void TCustomForm::WMMDIActivate(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.LParam) == FHandle) SetActive(true);
  else if (reinterpret_cast<HWND>(Message.WParam) == FHandle) SetActive(false);
  DefaultHandler(Message);
}

void TCustomForm::WndProc(TMessage& Message) {
  // The form's window receiving the focus (an MDI child made active, the
  // window manager activating the window) passes it on to the active
  // control, which keeps being the form's ActiveControl.
  if (Message.Msg == WM_SETFOCUS && FFormStyle != fsMDIForm && !ComponentState().Contains(csDestroying)) {
    TWinControl* target = FActiveControl;
    if (target && target != this && target->HandleAllocated() && target->CanFocus() &&
        IsWindowVisible(target->Handle())) {
      ::SetFocus(target->Handle());
      return;
    }
  }
  TScrollingWinControl::WndProc(Message);
}

void TCustomForm::SetActive(bool v) {
  FActive = v;
  if (v) {
    if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
  }
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = FActiveControl && FActiveControl->CanFocus() ? FActiveControl : this;
  if (target->HandleAllocated() || target->Showing()) ::SetFocus(target->Handle());
}

void TCustomForm::CMActivate(TMessage&) { Activate(); }
void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

void TCustomForm::SetFocus() {
  if (!FActive) {
    if (!(FVisible && FEnabled)) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetWindowFocus();
  }
}

void TCustomForm::SetActiveControl(TWinControl* v) {
  if (FActiveControl == v) return;
  if (v && (v == this || GetParentForm(v) != this || (!ComponentState().Contains(csLoading) && !v->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = v;
  if (!ComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive) {
    if (!(FVisible && FEnabled)) return;
    SetWindowFocus();
  }
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  // A form being destroyed takes no focus (Screen would keep a dangling pointer).
  if (ComponentState().Contains(csDestroying)) return false;
  ++FocusCount;
  FActiveControl = Control != this ? Control : nullptr;
  if (Screen) Screen->SetActive(this, Control);
  if (Screen && Screen->FFocusedForm != this) {
    if (TCustomForm* old = Screen->FFocusedForm) {
      Screen->FFocusedForm = nullptr;
      if (old->HandleAllocated() && !SendFocusMessage(old, CM_DEACTIVATE)) return false;
    }
    Screen->FFocusedForm = this;
    if (!SendFocusMessage(this, CM_ACTIVATE)) return false;
  }
  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl != Control) {
    while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
      TWinControl* leaving = FFocusedControl;
      FFocusedControl = FFocusedControl->Parent();
      if (!SendFocusMessage(leaving, CM_EXIT)) return false;
    }
    while (FFocusedControl != Control) {
      TWinControl* t = Control;
      while (t->Parent() != FFocusedControl) t = t->Parent();
      FFocusedControl = t;
      if (!SendFocusMessage(t, CM_ENTER)) return false;
    }
    for (TWinControl* p = Control->Parent(); p; p = p->Parent())
      if (auto* s = dynamic_cast<TScrollingWinControl*>(p); s && s->AutoScroll()) s->ScrollInView(Control);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  }
  FLastActiveControl = Control;
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->Parent();
  if (Control->ContainsControl(FActiveControl)) {
    FActiveControl = nullptr;
    if (FActive && Control->Focused() && FHandle && !ComponentState().Contains(csDestroying)) ::SetFocus(FHandle);
  }
  if (Control->ContainsControl(FLastActiveControl)) FLastActiveControl = nullptr;
}

bool TCustomForm::IsShortCut(TMessage& Message) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Message, handled);
  if (handled) return true;
  if (FMenu && FMenu->IsShortCut(Message)) return true;
  // Action lists on the form (and on its frames).
  for (TComponent* c : std::vector<TComponent*>(ComponentList()))
    if (auto* list = dynamic_cast<TCustomActionList*>(c); list && list->IsShortCut(Message)) return true;
  return false;
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
  if (FFocusedControl && FFocusedControl != this)
    Message.Result = FFocusedControl->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool TCustomForm::DoKeyPressChar(char32_t& Key) {
  KeyPress(Key);
  return Key == 0;
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
    }
  }
  Broadcast(Message);
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (FShowingChanging) throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
  FShowingChanging = true;
  struct Reset {
    bool& b;
    ~Reset() { b = false; }
  } reset{FShowingChanging};
  if (FShowing) {
    DoShow();
    // Place the form where its Position asks the first time it shows.
    if (FFormStyle != fsMDIChild && (FPosition == poScreenCenter || FPosition == poDesktopCenter ||
                                     FPosition == poMainFormCenter || FPosition == poOwnerFormCenter)) {
      TRect area = Screen ? Screen->WorkAreaRect() : TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      TCustomForm* over = nullptr;
      if (FPosition == poMainFormCenter && Application) over = Application->MainForm();
      if (FPosition == poOwnerFormCenter) over = dynamic_cast<TCustomForm*>(Owner());
      if (over && over != this && over->HandleAllocated() && over->Visible()) area = over->BoundsRect();
      int left = area.Left + (area.Width() - FWidth) / 2, top = area.Top + (area.Height() - FHeight) / 2;
      // Kept on the work area of the monitor it is shown on: a form wider
      // than the window it is centred on would otherwise start off the
      // screen. (A form larger than the work area keeps its top left corner
      // on it.)
      RECT want{left, top, left + FWidth, top + FHeight};
      MONITORINFO mi{};
      mi.cbSize = sizeof(mi);
      if (GetMonitorInfoW(MonitorFromRect(&want, MONITOR_DEFAULTTONEAREST), &mi)) {
        const RECT& work = mi.rcWork;
        left = std::max<int>(work.left, std::min<int>(left, work.right - FWidth));
        top = std::max<int>(work.top, std::min<int>(top, work.bottom - FHeight));
      }
      SetBounds(left, top, FWidth, FHeight);
      if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter || FPosition == poScreenCenter) FPosition = poDesigned;
    }
    // The controls are made and shown before the form's window shows and is
    // activated, so that activation finds them and focuses the first.
    for (TControl* child : std::vector<TControl*>(FControls))
      if (auto* w = dynamic_cast<TWinControl*>(child)) w->UpdateControlState();
    static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    if (FFormStyle == fsMDIChild) {
      ShowWindow(FHandle, commands[FWindowState]);
      SendMessageW(GetParent(FHandle), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
    } else {
      ShowWindow(FHandle, commands[FWindowState]);
    }
  } else {
    DoHide();
    if (FFormStyle == fsMDIChild) ShowWindow(FHandle, SW_HIDE);
    else SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  }
}

namespace {
BOOL CALLBACK CollectEnabledWindow(HWND h, LPARAM p) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(p);
  if (IsWindowVisible(h) && IsWindowEnabled(h)) list->push_back(h);
  return TRUE;
}

int CALLBACK CollectFontFamily(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) {
  auto* l = reinterpret_cast<TStringList*>(p);
  String name = vcl::FromW(f->lfFaceName);
  if (!name.empty() && name[0] != '@' && l->IndexOf(name) < 0) l->Add(name);
  return 1;
}
}  // namespace

Integer TCustomForm::ShowModal() {
  CancelDrag();
  if (FVisible || !FEnabled || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FFormState += fsModal;
  if (Application) Application->ModalStarted();
  HWND activeWindow = GetActiveWindow();
  TCursor saveCursor = Screen ? Screen->Cursor() : crDefault;
  if (Screen) Screen->SetCursor(crDefault);
  // Every other window of the program is disabled while the form runs.
  std::vector<HWND> disabled;
  HandleNeeded();
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  disabled.erase(std::remove(disabled.begin(), disabled.end(), FHandle), disabled.end());
  for (HWND h : disabled) EnableWindow(h, FALSE);
  auto restore = [&] {
    for (HWND h : disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    if (Screen) Screen->SetCursor(saveCursor);
    FFormState -= fsModal;
    if (Application) Application->ModalFinished();
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  };
  Integer result = mrNone;
  try {
    Show();
    try {
      SendMessageW(FHandle, CM_ACTIVATE, 0, 0);
      FModalResult = mrNone;
      do {
        Application->HandleMessage();
        if (Application->Terminated()) FModalResult = mrCancel;
        else if (FModalResult != mrNone) CloseModal();
      } while (FModalResult == mrNone);
      result = FModalResult;
      SendMessageW(FHandle, CM_DEACTIVATE, 0, 0);
    } catch (...) {
      Hide();
      throw;
    }
    Hide();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return result;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    switch (action) {
      case caNone: FModalResult = mrNone; break;
      case caFree: Release(); break;
      default: break;
    }
  } catch (...) {
    FModalResult = mrNone;
    Application->HandleException(this);
  }
}

bool TCustomForm::CloseQuery() {
  if (FFormStyle == fsMDIForm) {
    for (Integer i = 0; i < MDIChildCount(); ++i)
      if (!MDIChildren(i)->CloseQuery()) return false;
  }
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action;
  if (FFormStyle == fsMDIChild) action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
  else action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) Application->Terminate();
  else if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::Release() {
  if (FHandle) PostMessageW(FHandle, CM_RELEASE, 0, 0);
  else if (Application) Application->ReleaseLater(this);
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

void TCustomForm::SetFormStyle(TFormStyle v) {
  if (FFormStyle == v) return;
  FFormStyle = v;
  if (v == fsMDIChild) FPosition = poDefault;
  if (FHandle) RecreateWnd();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  if (FHandle) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (FBorderIcons == v) return;
  FBorderIcons = v;
  if (FHandle) RecreateWnd();
}

TWindowState TCustomForm::WindowState() const {
  if (FHandle) {
    if (IsIconic(FHandle)) return wsMinimized;
    if (IsZoomed(FHandle)) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState v) {
  FWindowState = v;
  if (FHandle && FShowing) {
    static const int commands[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
    if (FFormStyle == fsMDIChild && v == wsMaximized)
      SendMessageW(GetParent(FHandle), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(FHandle), 0);
    else
      ShowWindow(FHandle, commands[v]);
  }
}

void TCustomForm::SetMenu(TMainMenu* v) {
  if (FMenu == v) return;
  if (FMenu) {
    FMenu->RemoveFreeNotification(this);
    if (FHandle) ::SetMenu(FHandle, nullptr);
    FMenu->SetWindowHandle(nullptr);
  }
  FMenu = v;
  if (v) {
    v->FreeNotification(this);
    if (FHandle) v->SetWindowHandle(FHandle);
  }
}

void TCustomForm::SetWindowMenu(TMenuItem* v) {
  if (FWindowMenu == v) return;
  if (FWindowMenu) FWindowMenu->RemoveFreeNotification(this);
  FWindowMenu = v;
  if (v) v->FreeNotification(this);
  if (FClientHandle && FMenu)
    SendMessageW(FClientHandle, WM_MDISETMENU, reinterpret_cast<WPARAM>(FMenu->Handle()),
                 reinterpret_cast<LPARAM>(v ? v->Handle() : nullptr));
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) {
    if (FHandle) ::SetMenu(FHandle, nullptr);
    FMenu = nullptr;
  }
  if (AComponent == FWindowMenu) FWindowMenu = nullptr;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  if (AComponent == FFocusedControl) FFocusedControl = nullptr;
  if (AComponent == FLastActiveControl) FLastActiveControl = nullptr;
}

void TCustomForm::UpdateActions() {
  for (TComponent* c : std::vector<TComponent*>(ComponentList())) {
    if (auto* list = dynamic_cast<TCustomActionList*>(c)) list->UpdateActions();
  }
  // Controls with an action (buttons) and menu items.
  std::vector<TControl*> stack(ControlList().begin(), ControlList().end());
  while (!stack.empty()) {
    TControl* c = stack.back();
    stack.pop_back();
    if (c->Visible()) c->InitiateAction();
    if (auto* w = dynamic_cast<TWinControl*>(c)) stack.insert(stack.end(), w->ControlList().begin(), w->ControlList().end());
  }
}

// --- MDI

Integer TCustomForm::MDIChildCount() {
  if (!FClientHandle || !Screen) return 0;
  Integer n = 0;
  for (Integer i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f->FFormStyle == fsMDIChild && f->HandleAllocated() && GetParent(f->FHandle) == FClientHandle) ++n;
  }
  return n;
}

TCustomForm* TCustomForm::MDIChildren(Integer I) {
  if (FClientHandle && Screen) {
    for (Integer i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f->FFormStyle == fsMDIChild && f->HandleAllocated() && GetParent(f->FHandle) == FClientHandle) {
        if (I == 0) return f;
        --I;
      }
    }
  }
  throw EListError("List index out of bounds (" + std::to_string(I) + ")");
}

TCustomForm* TCustomForm::ActiveMDIChild() {
  if (!FClientHandle) return nullptr;
  HWND h = reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TCustomForm*>(FindControl(h));
}

void TCustomForm::Cascade() {
  if (FClientHandle) SendMessageW(FClientHandle, WM_MDICASCADE, 0, 0);
}
void TCustomForm::Tile() {
  if (FClientHandle) SendMessageW(FClientHandle, WM_MDITILE, MDITILE_VERTICAL, 0);
}
void TCustomForm::ArrangeIcons() {
  if (FClientHandle) SendMessageW(FClientHandle, WM_MDIICONARRANGE, 0, 0);
}
void TCustomForm::Next() {
  if (FClientHandle) SendMessageW(FClientHandle, WM_MDINEXT, 0, 0);
}
void TCustomForm::Previous() {
  if (FClientHandle) SendMessageW(FClientHandle, WM_MDINEXT, 0, 1);
}

// ---------------------------------------------------------------------------
// TDataModule

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {
  if (Screen) Screen->FDataModules.push_back(this);
}

TDataModule::~TDataModule() {
  if (FCreated) {
    FCreated = false;
    try {
      if (OnDestroy) OnDestroy(this);
    } catch (...) {
      HandleControlException(this);
    }
  }
  Destroying();
  if (Screen) {
    auto& v = Screen->FDataModules;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  DestroyComponents();
}

void TDataModule::AfterConstruction() {
  for (TClass c = ClassType(); c && c != TDataModule::StaticClass(); c = c->Parent) {
    String text = FindFormResource(c->Name);
    if (!text.empty()) {
      ReadFormText(this, text);
      break;
    }
  }
  FCreated = true;
  if (OnCreate) OnCreate(this);
}

// ---------------------------------------------------------------------------
// TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() {
  for (auto& [index, cursor] : FCursors) DestroyCursor(cursor);
}

void TScreen::AddForm(TCustomForm* f) { FForms.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), f), FForms.end());
  if (FActiveForm == f) {
    FActiveForm = nullptr;
    FActiveControl = nullptr;
    if (OnActiveFormChange) OnActiveFormChange(this);
  }
  if (FFocusedForm == f) FFocusedForm = nullptr;
}

void TScreen::SetActive(TCustomForm* form, TWinControl* control) {
  bool formChanged = form != FActiveForm;
  bool controlChanged = control != FActiveControl;
  FActiveForm = form;
  FActiveControl = control;
  // The active form moves to the front of the list.
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it != FForms.end()) std::rotate(FForms.begin(), it, it + 1);
  if (controlChanged && OnActiveControlChange) OnActiveControlChange(this);
  if (formChanged && OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetCursor(TCursor v) {
  FCursor = v;
  POINT p;
  GetCursorPos(&p);
  if (v == crDefault) {
    // Let the window under the mouse choose its cursor again.
    SetCursorPos(p.x, p.y);
  } else {
    ::SetCursor(Cursors(v));
  }
}

HCURSOR TScreen::Cursors(Integer Index) {
  auto it = FCursors.find(Index);
  if (it != FCursors.end()) return it->second;
  LPCWSTR id;
  switch (Index) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS:
    case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE:
    case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass:
    case crSQLWait: id = IDC_WAIT; break;
    case crNoDrop:
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: id = IDC_ARROW; break;
  }
  return LoadCursorW(nullptr, id);
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle) {
  auto it = FCursors.find(Index);
  if (it != FCursors.end()) DestroyCursor(it->second);
  if (Handle) FCursors[Index] = Handle;
  else FCursors.erase(Index);
}

Integer TScreen::PixelsPerInch() const { return vcl::ScreenPixelsPerInch(); }

TRect TScreen::DesktopRect() const {
  return Bounds(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return {r.left, r.top, r.right, r.bottom};
}

TRect TScreen::MonitorWorkAreaRect(const TRect& r) const {
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  HMONITOR m = MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (m && GetMonitorInfoW(m, &mi)) return {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
  return WorkAreaRect();
}

void TScreen::GetMetricsFonts() {
  if (FHintFont) return;
  FHintFont = std::make_unique<TFont>();
  FIconFont = std::make_unique<TFont>();
  FMenuFont = std::make_unique<TFont>();
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
    FHintFont->SetHandle(CreateFontIndirectW(&ncm.lfStatusFont));
    FMenuFont->SetHandle(CreateFontIndirectW(&ncm.lfMenuFont));
  }
  LOGFONTW icon{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(icon), &icon, 0))
    FIconFont->SetHandle(CreateFontIndirectW(&icon));
  FHintFont->SetColor(clInfoText);
  FMenuFont->SetColor(clMenuText);
}

TFont* TScreen::HintFont() {
  GetMetricsFonts();
  return FHintFont.get();
}

TFont* TScreen::IconFont() {
  GetMetricsFonts();
  return FIconFont.get();
}

TFont* TScreen::MenuFont() {
  GetMetricsFonts();
  return FMenuFont.get();
}

TStrings* TScreen::Fonts() {
  if (!FFonts) {
    auto* list = new TStringList;
    FFonts.reset(list);
    vcl::ScreenDC dc;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &lf, CollectFontFamily, reinterpret_cast<LPARAM>(list), 0);
    list->Sort();
  }
  return FFonts.get();
}

// ---------------------------------------------------------------------------
// TApplication

namespace {
constexpr UINT_PTR kHintTimerId = 1;
enum HintTimerKind { htShow = 1, htHide = 2 };
}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), FIcon(new TIcon) {}

TApplication::~TApplication() {
  if (FHintWindow) {
    delete FHintWindow;
    FHintWindow = nullptr;
  }
  DestroyOwnedForms();
  if (FHandle) DestroyWindow(FHandle);
}

void TApplication::DestroyOwnedForms() {
  // Last made goes first, as an owner frees its components.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  for (TCustomForm* f : std::exchange(FReleased, {})) delete f;
}

namespace {
std::vector<void (*)()>& InitProcs() {
  static std::vector<void (*)()> procs;
  return procs;
}
}   // namespace

void RegisterInitProc(void (*Proc)()) {
  if (Proc) InitProcs().push_back(Proc);
}

void TApplication::Initialize() {
  for (void (*proc)() : InitProcs()) proc();
  Handle();
}

void TApplication::SetTitle(const String& v) {
  FTitle = v;
  if (FHandle) SetWindowTextW(FHandle, W(ToUtf16(v)));
}

LRESULT CALLBACK TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && wParam == kHintTimerId && Application) {
    try {
      Application->HintTimerExpired();
    } catch (...) {
      Application->HandleException(Application);
    }
    return 0;
  }
  // Owner-drawn items of popup menus, which this window owns.
  if (msg == WM_DRAWITEM && Menus_DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
  if (msg == WM_MEASUREITEM && Menus_MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND TApplication::Handle() {
  if (!FHandle) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TApplication";
    RegisterClassW(&wc);
    FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, L"TApplication", W(ToUtf16(FTitle)), WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, wc.hInstance, nullptr);
  }
  return FHandle;
}

HWND TApplication::ActiveFormHandle() {
  HWND h = GetActiveWindow();
  if (h && FindControl(h)) return h;
  if (Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated()) return Screen->ActiveForm()->Handle();
  if (FMainForm && FMainForm->HandleAllocated()) return FMainForm->Handle();
  return h;
}

String TApplication::ExeName() const {
  char16_t buf[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(buf), MAX_PATH * 2);
  return vcl::FromUtf16(buf, int(n));
}

void TApplication::BringToFront() {
  if (HWND h = ActiveFormHandle()) SetForegroundWindow(h);
}

void TApplication::Minimize() {
  if (FMainForm && FMainForm->HandleAllocated()) ShowWindow(FMainForm->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (FMainForm && FMainForm->HandleAllocated()) ShowWindow(FMainForm->Handle(), SW_RESTORE);
}

void TApplication::Run() {
  FRunning = true;
  FTerminated = false;
  if (FMainForm) {
    if (FShowMainForm) FMainForm->Show();
    do {
      try {
        HandleMessage();
      } catch (...) {
        HandleException(this);
      }
    } while (!FTerminated);
  }
  FRunning = false;
  // Shutting down: forms and data modules go now, last made first.
  DestroyOwnedForms();
  FMainForm = nullptr;
  FTerminated = false;
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  for (TApplicationEvents* e : std::vector<TApplicationEvents*>(FEvents))
    if (!handled && e->OnMessage) e->OnMessage(Msg, handled);
  if (handled) return true;
  // Posted CM_RELEASE frees the form outside its window procedure.
  if (Msg.message == CM_RELEASE) {
    if (auto* f = dynamic_cast<TCustomForm*>(FindControl(Msg.hwnd))) {
      delete f;
      return true;
    }
  }
  if (IsHintMsg(Msg) || IsMDIMsg(Msg) || IsKeyMsg(Msg) || IsDlgMsg(Msg)) return true;
  TranslateMessage(&Msg);
  DispatchMessageW(&Msg);
  return true;
}

bool TApplication::IsHintMsg(const MSG& Msg) {
  if (FHintWindow && FHintActive && FHintWindow->IsHintMsg(Msg)) CancelHint();
  return false;
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) {
    wnd = Msg.hwnd;
    if (FMainForm && FMainForm->ClientHandle() && wnd == FMainForm->ClientHandle()) {
      wnd = FMainForm->Handle();
    } else {
      // The nearest control of ours: a system control inside one (the
      // edit of a combo box) hands its keys to it.
      while (wnd && !FindControl(wnd)) wnd = GetParent(wnd);
      if (!wnd) wnd = Msg.hwnd;
    }
  }
  if (!FindControl(wnd)) return false;
  return SendMessageW(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsMDIMsg(MSG& Msg) {
  if (FMainForm && FMainForm->FormStyle() == fsMDIForm && Screen && Screen->ActiveForm() &&
      Screen->ActiveForm()->FormStyle() == fsMDIChild)
    return TranslateMDISysAccel(FMainForm->ClientHandle(), &Msg) != 0;
  return false;
}

bool TApplication::IsDlgMsg(MSG&) { return false; }

void TApplication::Idle(const MSG&) {
  for (TCustomForm* f : std::exchange(FReleased, {})) delete f;
  DoMouseIdle();
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
    for (TApplicationEvents* e : std::vector<TApplicationEvents*>(FEvents))
      if (e->OnIdle) e->OnIdle(this, done);
    if (done) DoActionIdle();
  } catch (...) {
    HandleException(this);
  }
  if (done) WaitMessage();
}

void TApplication::DoActionIdle() {
  if (!Screen) return;
  for (Integer i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f->HandleAllocated() && IsWindowVisible(f->Handle()) && IsWindowEnabled(f->Handle())) f->UpdateActions();
  }
}

void TApplication::DoMouseIdle() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  TControl* target = FindDragTarget({p.x, p.y}, true);
  if (target == FMouseControl) return;
  TControl* old = FMouseControl;
  FMouseControl = target;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (target) target->Perform(CM_MOUSEENTER);
  // The long part of the hint of the control under the mouse.
  String hint;
  for (TControl* c = target; c; c = c->Parent())
    if (!c->Hint().empty()) {
      hint = c->Hint();
      break;
    }
  size_t bar = hint.find('|');
  SetHint(bar == String::npos ? hint : hint.substr(bar + 1));
}

void TApplication::SetHint(const String& v) {
  if (FHint == v) return;
  FHint = v;
  if (OnHint) OnHint(this);
  for (TApplicationEvents* e : std::vector<TApplicationEvents*>(FEvents))
    if (e->OnHint) e->OnHint(this);
}

void TApplication::SetShowHint(bool v) {
  FShowHint = v;
  if (!v) CancelHint();
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (FMouseControl == Control) FMouseControl = nullptr;
  if (Screen && Screen->FActiveControl == Control) Screen->FActiveControl = nullptr;
  if (FHintControl == Control) CancelHint();
}

void TApplication::RegisterEvents(TApplicationEvents* e) { FEvents.push_back(e); }

void TApplication::UnregisterEvents(TApplicationEvents* e) {
  FEvents.erase(std::remove(FEvents.begin(), FEvents.end(), e), FEvents.end());
}

void TApplication::ReleaseLater(TCustomForm* f) { FReleased.push_back(f); }

// --- hints

void TApplication::StartHintTimer(UINT Interval, int Kind) {
  StopHintTimer();
  FHintTimerKind = Kind;
  FHintTimer = SetTimer(Handle(), kHintTimerId, Interval, nullptr);
}

void TApplication::StopHintTimer() {
  if (FHintTimer) KillTimer(Handle(), kHintTimerId);
  FHintTimer = 0;
  FHintTimerKind = 0;
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  if (!FShowHint) return;
  TControl* target = nullptr;
  for (TControl* c = Control; c; c = c->Parent())
    if (!c->Hint().empty()) {
      target = c;
      break;
    }
  if (target && !target->ShowHint()) target = nullptr;
  if (target == FHintControl) return;
  HideHint();
  FHintControl = target;
  if (target) StartHintTimer(UINT(FHintActive ? FHintShortPause : FHintPause), htShow);
  (void)Message;
}

void TApplication::HintTimerExpired() {
  int kind = FHintTimerKind;
  StopHintTimer();
  if (kind == htShow) {
    POINT p;
    GetCursorPos(&p);
    ActivateHint({p.x, p.y});
  } else {
    HideHint();
  }
}

void TApplication::ActivateHint(TPoint CursorPos) {
  if (!FHintControl || !FShowHint) return;
  THintInfo info;
  info.HintControl = FHintControl;
  info.CursorPos = FHintControl->ScreenToClient(CursorPos);
  info.HintPos = {CursorPos.X, CursorPos.Y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  info.HintMaxWidth = Screen ? Screen->Width() : 640;
  info.HintColor = FHintColor;
  info.CursorRect = FHintControl->ClientRect();
  info.HideTimeout = FHintHidePause;
  String hint = FHintControl->Hint();
  size_t bar = hint.find('|');
  info.HintStr = bar == String::npos ? hint : hint.substr(0, bar);
  bool canShow = FHintControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  for (TApplicationEvents* e : std::vector<TApplicationEvents*>(FEvents))
    if (canShow && e->OnShowHint) e->OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) return;
  if (!FHintWindow) FHintWindow = new THintWindow(nullptr);
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
  FHintActive = true;
  if (info.HideTimeout > 0) StartHintTimer(UINT(info.HideTimeout), htHide);
}

void TApplication::HideHint() {
  if (FHintWindow && FHintActive) FHintWindow->ReleaseHandle();
  FHintActive = false;
}

void TApplication::CancelHint() {
  StopHintTimer();
  HideHint();
  FHintControl = nullptr;
}

// --- exceptions

void TApplication::HandleException(TObject* Sender) {
  // Called inside a catch block; an exception of an exception handler is
  // shown too, but never thrown on.
  std::exception_ptr p = std::current_exception();
  if (!p) return;
  auto report = [&](Exception& e) {
    if (e.Is<EAbort>()) return;
    bool custom = false;
    if (OnException) {
      custom = true;
      OnException(Sender, &e);
    }
    for (TApplicationEvents* ev : std::vector<TApplicationEvents*>(FEvents))
      if (ev->OnException) {
        custom = true;
        ev->OnException(Sender, &e);
      }
    if (!custom) ShowException(e);
  };
  ++FHandlingException;
  try {
    try {
      std::rethrow_exception(p);
    } catch (Exception& e) {
      report(e);
    } catch (std::exception& e) {
      Exception wrapped(e.what());
      report(wrapped);
    } catch (...) {
      Exception wrapped("Unknown exception");
      report(wrapped);
    }
  } catch (Exception& e) {
    if (!e.Is<EAbort>()) ShowException(e);
  } catch (...) {
  }
  --FHandlingException;
}

void TApplication::ShowException(const Exception& E) {
  String msg = E.Message();
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const String& Text, const String& Caption, UINT Flags) {
  return ShowMessageBox(ActiveFormHandle(), Text, Caption.empty() ? FTitle : Caption, Flags);
}

// ---------------------------------------------------------------------------
// TApplicationEvents

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner) {
  if (Application) Application->RegisterEvents(this);
}

TApplicationEvents::~TApplicationEvents() {
  if (Application) Application->UnregisterEvents(this);
}
