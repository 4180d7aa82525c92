#include "Controls.h"
#include <algorithm>
#include "ActnList.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TSizeConstraints, TPersistent)
TOVANI_IMPLEMENT_CLASS(TControlCanvas, TCanvas)
TOVANI_IMPLEMENT_CLASS(TDragObject, TObject)
TOVANI_IMPLEMENT_CLASS(TBaseDragControlObject, TDragObject)
TOVANI_IMPLEMENT_CLASS(TDragControlObject, TBaseDragControlObject)
TOVANI_IMPLEMENT_CLASS(TActionLink, TBasicActionLink)
TOVANI_IMPLEMENT_CLASS(TControlActionLink, TActionLink)
TOVANI_IMPLEMENT_CLASS(TWinControlActionLink, TControlActionLink)
TOVANI_IMPLEMENT_CLASS_FACTORY(TControl, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TWinControl, TControl)
TOVANI_IMPLEMENT_CLASS(TGraphicControl, TControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomControl, TWinControl)

TOVANI_IMPLEMENT_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")
TOVANI_IMPLEMENT_ENUM_INFO(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
TOVANI_IMPLEMENT_ENUM_INFO(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
TOVANI_IMPLEMENT_ENUM_INFO(TShiftStateItem, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble")
TOVANI_IMPLEMENT_ENUM_INFO(TDragMode, "dmManual", "dmAutomatic")
TOVANI_IMPLEMENT_ENUM_INFO(TDragKind, "dkDrag", "dkDock")
TOVANI_IMPLEMENT_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")
TOVANI_IMPLEMENT_ENUM_INFO(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")
TOVANI_IMPLEMENT_ENUM_INFO(TBevelKind, "bkNone", "bkTile", "bkSoft", "bkFlat")
TOVANI_IMPLEMENT_ENUM_INFO(TBevelEdge, "beLeft", "beTop", "beRight", "beBottom")
TOVANI_IMPLEMENT_ENUM_INFO(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly")
TOVANI_IMPLEMENT_ENUM_INFO(TImeMode, "imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira",
                           "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel")
TOVANI_IMPLEMENT_ENUM_INFO(TScrollBarKind, "sbHorizontal", "sbVertical")
TOVANI_IMPLEMENT_ENUM_INFO(TVerticalAlignment, "taAlignTop", "taAlignBottom", "taVerticalCenter")

// Published properties shared by the controls; each concrete control
// publishes the ones the class library publishes for it.
TOVANI_PUBLISHED(TControl) {
  Property("Left", &TControl::Left, &TControl::SetLeft);
  Property("Top", &TControl::Top, &TControl::SetTop);
  Property("Width", &TControl::Width, &TControl::SetWidth);
  Property("Height", &TControl::Height, &TControl::SetHeight);
  Property("Action", &TControl::Action, &TControl::SetAction);
  Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  Property("Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
  Property("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Default(bdLeftToRight);
  Property("Color", &TControl::Color, &TControl::SetColor).NoDefault();
  Property("Constraints", &TControl::Constraints, &TControl::SetConstraints);
  Property("Ctl3D", &TControl::Ctl3D, &TControl::SetCtl3D).Default(true);
  Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
  Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
  Property("DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
  Property("DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
  Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  Property("Font", &TControl::Font, &TControl::SetFont);
  Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
  Property("Hint", &TControl::Hint, &TControl::SetHint);
  Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
  Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
  Property("ParentCtl3D", &TControl::ParentCtl3D, &TControl::SetParentCtl3D).Default(true);
  Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
  Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  Property("OnClick", &TControl::OnClick);
  Property("OnDblClick", &TControl::OnDblClick);
  Property("OnCanResize", &TControl::OnCanResize);
  Property("OnConstrainedResize", &TControl::OnConstrainedResize);
  Property("OnContextPopup", &TControl::OnContextPopup);
  Property("OnDragDrop", &TControl::OnDragDrop);
  Property("OnDragOver", &TControl::OnDragOver);
  Property("OnEndDrag", &TControl::OnEndDrag);
  Property("OnMouseDown", &TControl::OnMouseDown);
  Property("OnMouseEnter", &TControl::OnMouseEnter);
  Property("OnMouseLeave", &TControl::OnMouseLeave);
  Property("OnMouseMove", &TControl::OnMouseMove);
  Property("OnMouseUp", &TControl::OnMouseUp);
  Property("OnMouseWheel", &TControl::OnMouseWheel);
  Property("OnMouseWheelDown", &TControl::OnMouseWheelDown);
  Property("OnMouseWheelUp", &TControl::OnMouseWheelUp);
  Property("OnResize", &TControl::OnResize);
  Property("OnStartDrag", &TControl::OnStartDrag);
}

TOVANI_PUBLISHED(TWinControl) {
  Property("BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind).Default(bkNone);
  Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0);
  Property("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered).Default(false);
  Property("ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode).Default(imDontCare);
  Property("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName);
  Property("ParentBackground", &TWinControl::ParentBackground, &TWinControl::SetParentBackground);
  Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
  Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
  Property("OnEnter", &TWinControl::OnEnter);
  Property("OnExit", &TWinControl::OnExit);
  Property("OnKeyDown", &TWinControl::OnKeyDown);
  Property("OnKeyPress", &TWinControl::OnKeyPress);
  Property("OnKeyUp", &TWinControl::OnKeyUp);
}

TOVANI_PUBLISHED(TSizeConstraints) {
  Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

TMouse* Mouse = new TMouse;
LRESULT CALLBACK TovaniWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

// The window property that ties a window to its control: an atom, so that
// looking it up on every message costs no string work.
LPCWSTR ControlProp() {
  static const ATOM atom = GlobalAddAtomW(L"TovaniControl");
  return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}
thread_local TWinControl* CreationControl = nullptr;
TControl* CaptureControl = nullptr;

// Current drag operation (one at a time).
}  // namespace

struct DragState {
  TControl* Control = nullptr;          // the source control
  TDragObject* Object = nullptr;
  bool OwnsObject = false;
  bool Started = false;                 // threshold passed
  TPoint StartPos;
  Integer Threshold = 0;
  TControl* Target = nullptr;
  TPoint TargetPos;
  bool Accepted = false;
  TDragImageList* Images = nullptr;     // shown under the mouse once started

  bool Active() const { return Control != nullptr; }

  // Sends CM_DRAG to a target control; returns its answer.
  static LRESULT SendDrag(TControl* target, TDragMessage msg, TDragObject* source, TPoint screenPos, TObject** found) {
    TDragRec rec;
    rec.Pos = screenPos;
    rec.Source = source;
    rec.Target = target;
    LRESULT r = target->Perform(CM_DRAG, WPARAM(msg), reinterpret_cast<LPARAM>(&rec));
    if (found) *found = rec.Target;
    return r;
  }

  void MoveTo(TPoint screenPos) {
    if (!Started) {
      if (std::abs(screenPos.X - StartPos.X) < Threshold && std::abs(screenPos.Y - StartPos.Y) < Threshold) return;
      Started = true;
      // The images follow the mouse over the whole screen.
      Images = Object->GetDragImages();
      if (Images && !Images->BeginDrag(GetDesktopWindow(), screenPos.X, screenPos.Y)) Images = nullptr;
    }
    Object->FDragPos = screenPos;
    TControl* target = FindDragTarget(screenPos, false);
    // They are shown over the controls that want them (and over no control).
    if (Images) {
      if (!target || target->ControlStyle().Contains(csDisplayDragImage)) {
        Images->DragMove(screenPos.X, screenPos.Y);
        Images->ShowDragImage();
      } else {
        Images->HideDragImage();
      }
    }
    if (target != Target) {
      if (Target) SendDrag(Target, dmDragLeave, Object, screenPos, nullptr);
      Target = target;
      Accepted = false;
      if (Target) Accepted = SendDrag(Target, dmDragEnter, Object, screenPos, nullptr) != 0;
    } else if (Target) {
      Accepted = SendDrag(Target, dmDragMove, Object, screenPos, nullptr) != 0;
    }
    Object->FDragTarget = Target;
    if (Target) Object->FDragTargetPos = Target->ScreenToClient(screenPos);
    TCursor cursor = Object->GetDragCursor(Accepted, screenPos.X, screenPos.Y);
    if (Screen) ::SetCursor(Screen->Cursors(cursor));
  }

  void Finish(bool drop) {
    if (!Active()) return;
    DragState s = *this;
    *this = DragState();
    if (s.Images) s.Images->EndDrag();
    if (GetCapture()) ReleaseCapture();
    CaptureControl = nullptr;
    TPoint pos = s.Object->FDragPos;
    bool accepted = drop && s.Started && s.Target && s.Accepted;
    TObject* targetObj = nullptr;
    TPoint targetPos;
    if (s.Target) {
      targetPos = s.Target->ScreenToClient(pos);
      if (accepted) {
        s.Object->FDropped = true;
        SendDrag(s.Target, dmDragDrop, s.Object, pos, nullptr);
        targetObj = s.Target;
      } else if (s.Started) {
        s.Object->FCancelling = true;
        SendDrag(s.Target, dmDragLeave, s.Object, pos, nullptr);
      }
    }
    s.Object->Finished(targetObj, targetPos.X, targetPos.Y, accepted);
    if (s.OwnsObject) delete s.Object;
  }
};

namespace {
DragState Drag;

// The window class of our own controls: registered once per class name.
bool EnsureWindowClass(const TCreateParams& p, WNDPROC& defProc) {
  std::u16string name = ToUtf16(p.WinClassName);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!p.SubClassOf.empty()) {
    std::u16string sys = ToUtf16(p.SubClassOf);
    if (!GetClassInfoW(nullptr, W(sys), &wc) && !GetClassInfoW(inst, W(sys), &wc)) return false;
    defProc = wc.lpfnWndProc;
  } else {
    wc = p.WindowClass;
    defProc = DefWindowProcW;
  }
  WNDCLASSW existing{};
  if (GetClassInfoW(inst, W(name), &existing)) return true;
  wc.lpfnWndProc = TovaniWndProc;
  wc.hInstance = inst;
  wc.lpszClassName = W(name);
  wc.style &= ~UINT(CS_GLOBALCLASS);
  return RegisterClassW(&wc) != 0;
}

}  // namespace

// The one window procedure of every control of ours.
LRESULT CALLBACK TovaniWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetPropW(hwnd, ControlProp()));
  if (!control && CreationControl) {
    control = CreationControl;
    CreationControl = nullptr;
    control->FHandle = hwnd;
    SetPropW(hwnd, ControlProp(), control);
  }
  if (!control) return DefWindowProcW(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  try {
    control->WindowProc(m);
  } catch (...) {
    HandleControlException(control);
  }
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, ControlProp());
    if (control->FHandle == hwnd) control->FHandle = nullptr;
  }
  return m.Result;
}

// ---------------------------------------------------------------------------
// Functions

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  return static_cast<TWinControl*>(GetPropW(Handle, ControlProp()));
}

TWinControl* FindVCLWindow(TPoint Pos) {
  POINT p{Pos.X, Pos.Y};
  HWND h = WindowFromPoint(p);
  while (h) {
    if (TWinControl* c = FindControl(h)) return c;
    h = GetParent(h);
  }
  return nullptr;
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
  TWinControl* w = FindVCLWindow(Pos);
  if (!w) return nullptr;
  TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
  return c ? c : w;
}

TCustomForm* GetParentForm(TControl* Control, bool TopForm) {
  TCustomForm* form = nullptr;
  for (TControl* c = Control; c; c = c->Parent()) {
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
      form = f;
      if (!TopForm) break;
    }
  }
  // An MDI child is its own top form.
  if (TopForm && form && Control) {
    for (TControl* c = Control; c; c = c->Parent())
      if (auto* f = dynamic_cast<TCustomForm*>(c); f && f->FormStyle() == fsMDIChild) return f;
  }
  return form;
}

TCustomForm* ValidParentForm(TControl* Control, bool TopForm) {
  TCustomForm* f = GetParentForm(Control, TopForm);
  if (!f) throw EInvalidOperation("Control '" + (Control ? Control->Name() : String()) + "' has no parent form");
  return f;
}

TControl* GetCaptureControl() {
  HWND h = GetCapture();
  if (!h) {
    CaptureControl = nullptr;
    return nullptr;
  }
  if (CaptureControl && CaptureControl->Parent() && CaptureControl->Parent()->HandleAllocated() &&
      const_cast<TWinControl*>(CaptureControl->Parent())->Handle() == h)
    return CaptureControl;
  return FindControl(h);
}

void SetCaptureControl(TControl* Control) {
  ReleaseCapture();
  CaptureControl = nullptr;
  if (!Control) return;
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    SetCapture(w->Handle());
    return;
  }
  if (Control->Parent()) {
    CaptureControl = Control;
    SetCapture(Control->Parent()->Handle());
  }
}

void CancelDrag() { Drag.Finish(false); }

void DragImagesDestroyed(TDragImageList* Images) {
  if (Drag.Images == Images) Drag.Images = nullptr;
}

TShiftState KeysToShiftState(Word Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s += ssShift;
  if (Keys & MK_CONTROL) s += ssCtrl;
  if (Keys & MK_LBUTTON) s += ssLeft;
  if (Keys & MK_RBUTTON) s += ssRight;
  if (Keys & MK_MBUTTON) s += ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s += ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
  if (KeyData & 0x20000000) s += ssAlt;
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s += ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s += ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s += ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s += ssMiddle;
  return s;
}

bool IsAccel(Word VK, const String& Str) {
  for (size_t i = 0; i + 1 < Str.size(); ++i) {
    if (Str[i] != '&') continue;
    if (Str[i + 1] == '&') {
      ++i;
      continue;
    }
    char c = Str[i + 1];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    char v = char(VK);
    if (v >= 'a' && v <= 'z') v = char(v - 'a' + 'A');
    return c == v;
  }
  return false;
}

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut r = Key;
  if (Shift.Contains(ssShift)) r |= scShift;
  if (Shift.Contains(ssCtrl)) r |= scCtrl;
  if (Shift.Contains(ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut sc, Word& Key, TShiftState& Shift) {
  Key = sc & 0xFF;
  Shift = {};
  if (sc & scShift) Shift += ssShift;
  if (sc & scCtrl) Shift += ssCtrl;
  if (sc & scAlt) Shift += ssAlt;
}

void HandleControlException(TObject* Sender) {
  if (Application) {
    Application->HandleException(Sender);
    return;
  }
  // No application object: the exception is dropped here rather than
  // unwinding through the window procedure.
}

// ---------------------------------------------------------------------------
// TMouse

TPoint TMouse::CursorPos() const {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}
void TMouse::SetCursorPos(TPoint p) { ::SetCursorPos(p.X, p.Y); }
void TMouse::SetCapture(HWND h) {
  if (h) ::SetCapture(h);
  else ReleaseCapture();
}
bool TMouse::IsDragging() const { return Drag.Active(); }
Integer TMouse::WheelScrollLines() const {
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return Integer(lines);
}

// ---------------------------------------------------------------------------
// Drag objects

void TBaseDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  if (FControl) FControl->DoEndDrag(Target, X, Y);
}

TObject* TBaseDragControlObject::SourceObject() { return FControl; }

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
  if (Accepted) return Control() ? Control()->DragCursor() : crDrag;
  return crNoDrop;
}

// ---------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TSizeConstraints*>(Source)) {
    FMaxHeight = c->FMaxHeight;
    FMaxWidth = c->FMaxWidth;
    FMinHeight = c->FMinHeight;
    FMinWidth = c->FMinWidth;
    Change();
    return;
  }
  TPersistent::Assign(Source);
}
TPersistent* TSizeConstraints::GetOwner() { return FControl; }
void TSizeConstraints::Change() {
  if (FControl) FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
  if (OnChange) OnChange(this);
}
#define CONSTRAINT_SETTER(Prop, Field)        \
  void TSizeConstraints::Set##Prop(Integer v) { \
    if (v < 0) v = 0;                         \
    if (Field == v) return;                   \
    Field = v;                                \
    Change();                                 \
  }
CONSTRAINT_SETTER(MaxHeight, FMaxHeight)
CONSTRAINT_SETTER(MaxWidth, FMaxWidth)
CONSTRAINT_SETTER(MinHeight, FMinHeight)
CONSTRAINT_SETTER(MinWidth, FMinWidth)
#undef CONSTRAINT_SETTER

// ---------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* v) {
  if (FControl == v) return;
  FreeHandle();
  FControl = v;
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, FDeviceContext);
  FDeviceContext = nullptr;
  FWindowHandle = nullptr;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    FWindowHandle = w->Handle();
    FDeviceContext = GetDC(FWindowHandle);
  } else {
    TWinControl* parent = FControl->Parent();
    if (!parent) return;
    FWindowHandle = parent->Handle();
    FDeviceContext = GetDCEx(FWindowHandle, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    // Paint in the control's own coordinates, clipped to it.
    SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
    IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
  }
  SetHandle(FDeviceContext);
}

// ---------------------------------------------------------------------------
// TControlActionLink

// TActionLink

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }
bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

// ---------------------------------------------------------------------------
// TControlActionLink

TControlActionLink::TControlActionLink(TControl* AClient) : TActionLink(AClient), FClient(AClient) {}

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
bool TControlActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
void TControlActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TControlActionLink::SetHelpContext(Integer Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}

TWinControlActionLink::TWinControlActionLink(TWinControl* AClient) : TControlActionLink(AClient) {}

// ---------------------------------------------------------------------------
// Drag objects and their images

void TDragObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

void TDragObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

TDragImageList* TBaseDragControlObject::GetDragImages() { return FControl ? FControl->GetDragImages() : nullptr; }

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(new TSizeConstraints(this)), FFont(new TFont) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  FFont->SetOwnerObject(this);
}

TControl::~TControl() {
  Destroying();
  if (Drag.Control == this) Drag.Finish(false);
  if (CaptureControl == this) SetCaptureControl(nullptr);
  if (Application) Application->ControlDestroyed(this);
  FActionLink.reset();
  if (FParent) FParent->RemoveControl(this);
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->WantChildKey(this, Message)) return;
  } else if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    if (!FControlStyle.Contains(csDoubleClicks)) {
      switch (Message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; break;
      }
    }
    switch (Message.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, Message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (FDragMode == dmAutomatic) {
          BeginDrag(Mouse->DragImmediate(), Mouse->DragThreshold());
          return;
        }
        FControlState += csLButtonDown;
        break;
      case WM_LBUTTONUP: FControlState -= csLButtonDown; break;
    }
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: WMMouse(Message); return;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); return;
    case WM_CONTEXTMENU: WMContextMenu(Message); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
    case CM_FONTCHANGED: CMFontChanged(Message); return;
    case CM_COLORCHANGED: CMColorChanged(Message); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); return;
    case CM_HITTEST: CMHitTest(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case CM_HINTSHOW: CMHintShow(Message); return;
    case CM_DRAG: CMDrag(Message); return;
    case CM_MOUSEWHEEL: {
      TShiftState shift = KeysToShiftState(LOWORD(Message.WParam));
      Message.Result = 0;
      if (DoMouseWheel(shift, SmallInt(HIWORD(Message.WParam)), {Message.XPos(), Message.YPos()}))
        Message.Result = 1;
      else if (FParent)
        Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
  // A control without a window keeps its text itself.
  switch (Message.Msg) {
    case WM_GETTEXT: {
      std::u16string w = ToUtf16(FText);
      auto* buf = reinterpret_cast<char16_t*>(Message.LParam);
      size_t cap = Message.WParam;
      if (!buf || cap == 0) {
        Message.Result = 0;
        return;
      }
      size_t n = std::min(cap - 1, w.size());
      std::copy(w.begin(), w.begin() + long(n), buf);
      buf[n] = 0;
      Message.Result = LRESULT(n);
      return;
    }
    case WM_GETTEXTLENGTH: Message.Result = LRESULT(ToUtf16(FText).size()); return;
    case WM_SETTEXT: {
      FText = vcl::FromUtf16(reinterpret_cast<const char16_t*>(Message.LParam));
      Perform(CM_TEXTCHANGED);
      Message.Result = 1;
      return;
    }
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

HWND TControl::ParentWindow() const { return FParent && FParent->HandleAllocated() ? FParent->FHandle : nullptr; }

void TControl::DoConstraints(Integer& w, Integer& h) {
  Integer minW = FConstraints->MinWidth(), minH = FConstraints->MinHeight();
  Integer maxW = FConstraints->MaxWidth(), maxH = FConstraints->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && w > maxW) w = maxW;
  if (minW > 0 && w < minW) w = minW;
  if (maxH > 0 && h > maxH) h = maxH;
  if (minH > 0 && h < minH) h = minH;
}

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  if (OnConstrainedResize) OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
  bool ok = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, ok);
  return ok;
}

void TControl::CheckNewSize(Integer& AWidth, Integer& AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (!ComponentState().Contains(csLoading)) {
    DoConstraints(AWidth, AHeight);
    if ((AWidth != FWidth || AHeight != FHeight) && !CanResize(AWidth, AHeight)) {
      AWidth = FWidth;
      AHeight = FHeight;
    }
  }
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  CheckNewSize(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  if (FVisible && FParent && FParent->HandleAllocated()) Invalidate();   // old area
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FVisible && FParent && FParent->HandleAllocated()) Invalidate();   // new area
  if (FAlignLevel == 0) UpdateAnchorRules();
  RequestAlign();
  if (sized && !ComponentState().Contains(csLoading)) Resize();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

TRect TControl::ClientRect() { return {0, 0, FWidth, FHeight}; }

void TControl::SetClientWidth(Integer v) { SetClientSize(v, ClientHeight()); }
void TControl::SetClientHeight(Integer v) { SetClientSize(ClientWidth(), v); }
void TControl::SetClientSize(Integer w, Integer h) {
  TRect c = ClientRect();
  SetBounds(FLeft, FTop, FWidth - c.Width() + w, FHeight - c.Height() + h);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  TPoint p = FParent->ClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToParent(TPoint p, TWinControl* AParent) {
  if (!AParent) AParent = FParent;
  TControl* c = this;
  while (c && c != AParent) {
    p.X += c->FLeft;
    p.Y += c->FTop;
    c = c->FParent;
  }
  if (c != AParent) throw EInvalidOperation("Control '" + Name() + "' is not a child of the given parent");
  return p;
}

TPoint TControl::ParentToClient(TPoint p, TWinControl* AParent) {
  TPoint o = ClientToParent({0, 0}, AParent);
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign v) {
  if (FAlign == v) return;
  TAlign old = FAlign;
  FAlign = v;
  FAnchors = {akLeft, akTop};
  if (old == alNone || v == alNone) UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors v) {
  if (FAnchors == v) return;
  FAnchors = v;
  if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!FParent) return;
  // The bounds and the parent's client size the anchors work from.
  TRect c = FParent->ClientRect();
  FOriginalParentSize = {c.Width(), c.Height()};
  FAnchorBounds = BoundsRect();
}

void TControl::SetAutoSize(bool v) {
  if (FAutoSize == v) return;
  FAutoSize = v;
  if (v) AdjustSize();
}

void TControl::AdjustSize() {
  Integer w = FWidth, h = FHeight;
  if (CanAutoSize(w, h)) SetBounds(FLeft, FTop, w, h);
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::SetVisible(bool v) {
  if (FVisible == v) return;
  VisibleChanging();
  FVisible = v;
  Perform(CM_VISIBLECHANGED, WPARAM(v));
  RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool v) {
  if (FEnabled == v) return;
  FEnabled = v;
  Perform(CM_ENABLEDCHANGED);
}

bool TControl::IsEnabled() const {
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FEnabled) return false;
  return true;
}

void TControl::SetParentFont(bool v) {
  if (FParentFont == v) return;
  FParentFont = v;
  if (v && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged() {
  FParentFont = false;
  if (!ComponentState().Contains(csLoading)) Perform(CM_FONTCHANGED);
  else Perform(CM_FONTCHANGED);
}

void TControl::SetColor(TColor v) {
  if (FColor == v) return;
  FColor = v;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  if (FParentColor == v) return;
  FParentColor = v;
  if (v && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetCtl3D(bool v) {
  if (FCtl3D == v) return;
  FCtl3D = v;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED);
}

void TControl::SetCursor(TCursor v) {
  if (FCursor == v) return;
  FCursor = v;
  Perform(CM_CURSORCHANGED);
}

String TControl::GetText() { return FText; }

void TControl::SetTextValue(const String& v) { FText = v; }

void TControl::SetText(const String& v) {
  if (GetText() == v) return;
  SetTextValue(v);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool v) {
  if (FShowHint == v && !FParentShowHint) return;
  FShowHint = v;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
  if (FParentShowHint == v) return;
  FParentShowHint = v;
  if (v && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* v) {
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = v;
  if (v) v->FreeNotification(this);
}

TPopupMenu* TControl::GetPopupMenu() { return FPopupMenu; }

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* v) {
  if (!v) {
    FActionLink.reset();
    FControlStyle -= csActionClient;
    return;
  }
  FControlStyle += csActionClient;
  if (!FActionLink) {
    FActionLink = CreateActionLink();
    // Any change of the action is taken over as a whole.
    FActionLink->OnChange = [this](TObject* Sender) {
      if (FActionLink && Sender == FActionLink->Action()) ActionChange(Sender, false);
    };
  }
  FActionLink->SetAction(v);
  ActionChange(v, ComponentState().Contains(csLoading));
  v->FreeNotification(this);
}

std::unique_ptr<TControlActionLink> TControl::CreateActionLink() { return std::make_unique<TControlActionLink>(this); }

std::unique_ptr<TControlActionLink> TWinControl::CreateActionLink() { return std::make_unique<TWinControlActionLink>(this); }

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(a->Caption());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(a->HelpContext());
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

bool TControl::ExecuteAction(TBasicAction* Action) {
  if (Action->HandlesTarget(this)) {
    Action->ExecuteTarget(this);
    return true;
  }
  return false;
}

bool TControl::UpdateAction(TBasicAction* Action) {
  if (Action->HandlesTarget(this)) {
    Action->UpdateTarget(this);
    return true;
  }
  return false;
}

void TControl::Click() {
  // A control with an action runs the action instead of OnClick.
  if (FActionLink && FActionLink->Action()) {
    FActionLink->Execute(this);
    return;
  }
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
  // Inherited appearance that the form file did not set is taken now.
  if (FParent) {
    if (FParentFont) {
      FFont->Assign(FParent->Font());
      FParentFont = true;
    }
    if (FParentColor) {
      SetColor(FParent->Color());
      FParentColor = true;
    }
    if (FParentShowHint) {
      SetShowHint(FParent->ShowHint());
      FParentShowHint = true;
    }
  }
  if (FActionLink) ActionChange(FActionLink->Action(), true);
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FPopupMenu) FPopupMenu = nullptr;
    if (FActionLink && AComponent == FActionLink->Action()) SetAction(nullptr);
  }
}

void TControl::ChangeScale(Integer M, Integer D) {
  if (M == D || D == 0) return;
  SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FWidth, M, D), MulDiv(FHeight, M, D));
  if (!FParentFont) FFont->SetSize(MulDiv(FFont->Size(), M, D));
}

void TControl::Invalidate() {
  if (!FParent || !FParent->HandleAllocated()) {
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
      InvalidateRect(w->FHandle, nullptr, !FControlStyle.Contains(csOpaque));
    return;
  }
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    if (w->HandleAllocated()) InvalidateRect(w->FHandle, nullptr, !FControlStyle.Contains(csOpaque));
    return;
  }
  if (FVisible || ComponentState().Contains(csDesigning)) {
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    InvalidateRect(FParent->FHandle, &r, !FControlStyle.Contains(csOpaque));
  }
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  Invalidate();
  FParent->Update();
}

void TControl::BringToFront() {
  if (FParent) {
    auto& v = FParent->FControls;
    v.erase(std::find(v.begin(), v.end(), this));
    // Graphic controls stay below windowed ones.
    if (dynamic_cast<TWinControl*>(this)) v.push_back(this);
    else v.insert(std::find_if(v.begin(), v.end(), [](TControl* c) { return dynamic_cast<TWinControl*>(c) != nullptr; }), this);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->SetZOrder(true);
    else Invalidate();
  } else if (auto* w = dynamic_cast<TWinControl*>(this)) {
    w->SetZOrder(true);
  }
}

void TControl::SendToBack() {
  if (FParent) {
    auto& v = FParent->FControls;
    v.erase(std::find(v.begin(), v.end(), this));
    if (dynamic_cast<TWinControl*>(this))
      v.insert(std::find_if(v.begin(), v.end(), [](TControl* c) { return dynamic_cast<TWinControl*>(c) != nullptr; }), this);
    else
      v.insert(v.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->SetZOrder(false);
    else Invalidate();
  } else if (auto* w = dynamic_cast<TWinControl*>(this)) {
    w->SetZOrder(false);
  }
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool v) {
  if (MouseCapture() == v) return;
  SetCaptureControl(v ? this : nullptr);
}

// --- mouse

void TControl::WMMouse(TMessage& Message) {
  TShiftState shift = KeysToShiftState(Word(Message.WParam));
  Integer x = Message.XPos(), y = Message.YPos();
  auto down = [&](TMouseButton b, bool dbl) {
    if (b == mbLeft || !dbl) {
      // a press cancels modes such as a dropped-down list elsewhere
    }
    if (dbl) shift += ssDouble;
    if (FControlStyle.Contains(csCaptureMouse) && b == mbLeft) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents) && b == mbLeft) FControlState += csClicked;
    if (dbl && b == mbLeft) DblClick();
    MouseDown(b, shift, x, y);
  };
  auto up = [&](TMouseButton b) {
    if (b == mbLeft) {
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      if (FControlState.Contains(csClicked)) {
        FControlState -= csClicked;
        if (ClientRect().Contains({x, y})) Click();
      }
    }
    MouseUp(b, shift, x, y);
  };
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: DefaultHandler(Message); down(mbLeft, false); break;
    case WM_RBUTTONDOWN: DefaultHandler(Message); down(mbRight, false); break;
    case WM_MBUTTONDOWN: DefaultHandler(Message); down(mbMiddle, false); break;
    case WM_LBUTTONDBLCLK: DefaultHandler(Message); down(mbLeft, true); break;
    case WM_RBUTTONDBLCLK: DefaultHandler(Message); down(mbRight, true); break;
    case WM_MBUTTONDBLCLK: DefaultHandler(Message); down(mbMiddle, true); break;
    case WM_LBUTTONUP: DefaultHandler(Message); up(mbLeft); break;
    case WM_RBUTTONUP: DefaultHandler(Message); up(mbRight); break;
    case WM_MBUTTONUP: DefaultHandler(Message); up(mbMiddle); break;
    case WM_MOUSEMOVE: DefaultHandler(Message); MouseMove(shift, x, y); break;
  }
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::WMMouseWheel(TMessage& Message) {
  MouseWheelHandler(Message);
  if (Message.Result == 0) DefaultHandler(Message);
}

void TControl::MouseWheelHandler(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this) form->MouseWheelHandler(Message);
  else Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  if (WheelDelta < 0) return DoMouseWheelDown(Shift, MousePos);
  if (WheelDelta > 0) return DoMouseWheelUp(Shift, MousePos);
  return false;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0) return;
  TPoint pt(Message.XPos(), Message.YPos());
  TPoint local = pt.X == -1 && pt.Y == -1 ? TPoint(-1, -1) : ScreenToClient(pt);
  bool handled = false;
  DoContextPopup(local, handled);
  Message.Result = handled ? 1 : 0;
  if (handled) return;
  TPopupMenu* menu = GetPopupMenu();
  if (menu && menu->AutoPopup()) {
    if (pt.X == -1 && pt.Y == -1) pt = ClientToScreen({0, 0});
    menu->SetPopupComponent(this);
    menu->Popup(pt.X, pt.Y);
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

// --- CM_ notifications

void TControl::CMVisibleChanged(TMessage&) { Invalidate(); }
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!FParentFont || !FParent) return;
  // Assigning the parent's font fires FontChanged, which clears ParentFont: keep it.
  TFont* src = Message.WParam ? reinterpret_cast<TFont*>(Message.LParam) : FParent->Font();
  FFont->Assign(src);
  FParentFont = true;
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!FParentColor || !FParent) return;
  TColor c = Message.WParam ? TColor(Message.LParam) : FParent->Color();
  SetColor(c);
  FParentColor = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (FParentShowHint && FParent) {
    SetShowHint(FParent->ShowHint());
    FParentShowHint = true;
  }
}

void TControl::CMHitTest(TMessage& Message) { Message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& Message) {
  if (FParent) FParent->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
  if (Message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& Message) {
  if (FParent) FParent->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
  if (Message.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (info && FActionLink) {
    // the action's hint is already the control's hint
  }
  Message.Result = 0;
}

// --- drag protocol

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
  if (Drag.Active()) return;
  if (Threshold < 0) Threshold = Mouse->DragThreshold();
  TDragObject* obj = nullptr;
  DoStartDrag(obj);
  Drag.Control = this;
  Drag.OwnsObject = obj == nullptr;
  Drag.Object = obj ? obj : MakeDragObject();
  Drag.StartPos = Mouse->CursorPos();
  Drag.Object->FDragPos = Drag.StartPos;
  Drag.Threshold = Immediate ? 0 : Threshold;
  Drag.Started = false;
  // Mouse messages go to the capturing window, whose WndProc feeds the drag.
  if (auto* w = dynamic_cast<TWinControl*>(this)) SetCapture(w->Handle());
  else if (FParent) SetCapture(FParent->Handle());
  if (Immediate) Drag.MoveTo(Drag.StartPos);
}

void TControl::EndDrag(bool Drop) {
  if (Drag.Control == this) Drag.Finish(Drop);
}

bool TControl::Dragging() const { return Drag.Control == this; }

TDragObject* TControl::MakeDragObject() { return new TDragControlObject(this); }

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::CMDrag(TMessage& Message) { DoDragMsg(Message); }

void TControl::DoDragMsg(TMessage& Message) {
  auto* rec = reinterpret_cast<TDragRec*>(Message.LParam);
  if (!rec || !rec->Source) return;
  TPoint p = ScreenToClient(rec->Pos);
  TObject* source = rec->Source->SourceObject();
  switch (TDragMessage(Message.WParam)) {
    case dmDragEnter:
    case dmDragMove:
    case dmDragLeave: {
      bool accept = false;
      TDragState st = Message.WParam == dmDragEnter ? dsDragEnter : Message.WParam == dmDragLeave ? dsDragLeave : dsDragMove;
      DragOver(source, p.X, p.Y, st, accept);
      Message.Result = accept ? 1 : 0;
      break;
    }
    case dmDragDrop: DragDrop(source, p.X, p.Y); break;
    case dmFindTarget: rec->Target = this; Message.Result = reinterpret_cast<LRESULT>(this); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
  FBrush->SetColor(FColor);
}

TWinControl* TWinControl::CreateParented(HWND ParentWindow) {
  auto* c = new TWinControl(nullptr);
  c->SetParentWindow(ParentWindow);
  return c;
}

TWinControl::~TWinControl() {
  Destroying();
  if (FParent) {
    FParent->RemoveControl(this);
  }
  DestroyHandle();
  // Children still here are freed with their parent.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::SetParentWindow(HWND v) {
  if (FParentWindow == v) return;
  if (FHandle && FParentWindow && v) {
    FParentWindow = v;
    ::SetParent(FHandle, v);
    return;
  }
  DestroyHandle();
  FParentWindow = v;
  UpdateControlState();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  if (FParent) Params.WndParent = FParent->Handle();
  else Params.WndParent = FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  Params.WindowClass.hbrBackground = nullptr;
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char16_t* ControlClassName) {
  Params.SubClassOf = vcl::FromUtf16(ControlClassName);
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD) && !FParentWindow)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  if (!EnsureWindowClass(params, FDefWndProc)) throw EOSError("Cannot register the window class " + params.WinClassName);
  CreateWindowHandle(params);
  if (!FHandle) throw EOSError("Error creating window of " + ClassName());
  // Our controls get the control's font; the window keeps the text.
  SendMessageW(FHandle, WM_SETFONT, WPARAM(FFont->Handle()), 0);
  InitializeWindow();
}

void TWinControl::SetCreationControl(TWinControl* c) { CreationControl = c; }

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  std::u16string cls = ToUtf16(p.WinClassName);
  std::u16string caption = ToUtf16(p.Caption);
  // Child windows carry an id of their own, by which WM_MEASUREITEM (sent
  // before CreateWindowEx returns) finds them.
  static Word nextId = 0;
  HMENU id = nullptr;
  if (p.Style & WS_CHILD) {
    nextId = Word(nextId >= 0xEFFF ? 1 : nextId + 1);
    id = reinterpret_cast<HMENU>(UINT_PTR(nextId));
  }
  CreationControl = this;
  HWND h = CreateWindowExW(p.ExStyle, W(cls), W(caption), p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent, id,
                           GetModuleHandleW(nullptr), p.Param);
  CreationControl = nullptr;
  if (h && !FHandle) {
    FHandle = h;
    SetPropW(h, ControlProp(), this);
  }
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  FControlState += csCreating;
  try {
    CreateWnd();
  } catch (...) {
    FControlState -= csCreating;
    throw;
  }
  FControlState -= csCreating;
  // Tab order and z-order follow our lists.
  if (FParent) {
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    HWND after = HWND_TOP;
    for (auto j = std::reverse_iterator(it); j != list.rend(); ++j)
      if (auto* w = dynamic_cast<TWinControl*>(*j); w && w->FHandle) {
        after = w->FHandle;
        break;
      }
    SetWindowPos(FHandle, after == HWND_TOP ? HWND_BOTTOM : after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  UpdateBounds();
  TRect c = ClientRect();
  FLastClientSize = {c.Width(), c.Height()};
  Realign();
  // Children that should show get their windows now.
  for (TControl* child : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(child)) w->UpdateControlState();
  UpdateShowing();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FControlState += csDestroyingHandle;
  for (TControl* child : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(child)) w->DestroyHandle();
  // Keep the text of the window (an edit's typed text) across recreation.
  FText = vcl::WindowText(FHandle);
  DestroyWnd();
  FControlState -= csDestroyingHandle;
}

void TWinControl::DestroyWnd() { DestroyWindowHandle(); }

void TWinControl::DestroyWindowHandle() {
  HWND h = FHandle;
  if (!h) return;
  if (GetCapture() == h) ReleaseCapture();
  DestroyWindow(h);
  if (FHandle == h) {
    RemovePropW(h, ControlProp());
    FHandle = nullptr;
  }
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  FControlState += csRecreating;
  DestroyHandle();
  UpdateControlState();
  FControlState -= csRecreating;
  if (wasFocused && FHandle) ::SetFocus(FHandle);
}

// A window without a parent control shows by itself when it is a
// top-level window (a form) or sits in a foreign parent window.
bool TWinControl::ParentShowing() const {
  if (FParent) return FParent->FShowing;
  return FParentWindow != nullptr || dynamic_cast<const TCustomForm*>(this) != nullptr || FHandle != nullptr;
}

void TWinControl::UpdateControlState() {
  // A window is made when it is to be shown: itself visible, and the parent showing.
  if (!ParentShowing()) return;
  if (!FHandle && FVisible) CreateHandle();
  else if (FHandle) UpdateShowing();
}

void TWinControl::UpdateShowing() {
  bool show = FVisible && ParentShowing();
  if (show && !FHandle) CreateHandle();
  if (!FHandle) return;
  if (show == FShowing) return;
  FShowing = show;
  try {
    Perform(CM_SHOWINGCHANGED);
  } catch (...) {
    FShowing = !show;
    throw;
  }
  for (TControl* child : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(child)) {
      if (show) w->UpdateControlState();
      else if (w->FHandle) w->UpdateShowing();
    }
}

void TWinControl::CMShowingChanged(TMessage&) {
  static const UINT flags[2] = {SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW,
                                SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW};
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, flags[FShowing ? 1 : 0]);
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
  if (FHandle || FVisible) {
    if (!FVisible && Focused()) {
      // Hiding the focused control moves the focus to the next one.
      if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, true);
    }
    UpdateControlState();
    if (FHandle && !FVisible) UpdateShowing();
  }
  TControl::CMVisibleChanged(Message);
}

bool TWinControl::Showing() const { return FShowing; }

void TWinControl::WndProc(TMessage& Message) {
  // A drag in progress takes the mouse.
  if (Drag.Active() && (Message.Msg == WM_MOUSEMOVE || Message.Msg == WM_LBUTTONUP ||
                        (Message.Msg == WM_KEYDOWN && Message.WParam == VK_ESCAPE) ||
                        Message.Msg == WM_CANCELMODE || Message.Msg == WM_CAPTURECHANGED)) {
    if (Message.Msg == WM_MOUSEMOVE) {
      Drag.MoveTo(Mouse->CursorPos());
    } else if (Message.Msg == WM_LBUTTONUP) {
      Drag.MoveTo(Mouse->CursorPos());
      Drag.Finish(true);
    } else if (Message.Msg != WM_CAPTURECHANGED || reinterpret_cast<HWND>(Message.LParam) != FHandle) {
      Drag.Finish(false);
    }
    return;
  }
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST: {
      TControl::WndProc(Message);
      if (Message.Result == HTTRANSPARENT &&
          ControlAtPos(ScreenToClient({Message.XPos(), Message.YPos()}), false))
        Message.Result = HTCLIENT;
      return;
    }
    case WM_CANCELMODE:
      if (GetCapture() == FHandle && CaptureControl && CaptureControl->FParent == this)
        CaptureControl->Perform(WM_CANCELMODE);
      break;
    default:
      if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL) {
        if (IsControlMouseMsg(Message)) {
          if (Message.Result == 0 && FHandle) DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
          return;
        }
      }
  }
  TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  TPoint p(Message.XPos(), Message.YPos());
  TControl* cap = GetCaptureControl();
  if (cap && cap->FParent == this && !dynamic_cast<TWinControl*>(cap)) {
    target = cap;
  } else if (!cap || cap == this) {
    TControl* c = ControlAtPos(p, false);
    if (c && !dynamic_cast<TWinControl*>(c)) target = c;
  }
  if (!target) return false;
  LPARAM lp = MAKELPARAM(Word(SmallInt(p.X - target->FLeft)), Word(SmallInt(p.Y - target->FTop)));
  Message.Result = target->Perform(Message.Msg, Message.WParam, lp);
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); return;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); return;
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_KILLFOCUS: WMKillFocus(Message); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); return;
    case WM_SIZE: WMSize(Message); return;
    case WM_MOVE: WMMove(Message); return;
    case WM_SETCURSOR: WMSetCursor(Message); return;
    case WM_COMMAND: WMCommand(Message); return;
    case WM_NOTIFY: WMNotify(Message); return;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: WMCtlColor(Message); return;
    case WM_DRAWITEM: WMDrawItem(Message); return;
    case WM_MEASUREITEM: WMMeasureItem(Message); return;
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: {
      HWND from = nullptr;
      if (Message.Msg == WM_COMPAREITEM) from = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam)->hwndItem;
      else if (Message.Msg == WM_DELETEITEM) from = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam)->hwndItem;
      else from = reinterpret_cast<HWND>(Message.LParam);
      if (TWinControl* c = FindControl(from)) {
        Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: WMScroll(Message); return;
    case WM_KEYDOWN: WMKeyDown(Message); return;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(Message); return;
    case WM_CHAR: WMChar(Message); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(Message); return;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(Message); return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLORDLG: CNCtlColor(Message); return;
    case CM_CHILDKEY: CMChildKey(Message); return;
    case CM_DIALOGKEY: CMDialogKey(Message); return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    case CM_ENTER: CMEnter(Message); return;
    case CM_EXIT: CMExit(Message); return;
    case CM_COLORCHANGED: CMColorChanged(Message); return;
    case CM_FONTCHANGED: CMFontChanged(Message); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
    case CM_RECREATEWND: CMRecreateWnd(Message); return;
    case CM_CANCELMODE: CMCancelMode(Message); return;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); return;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); return;
    case WM_NCPAINT: WMNCPaint(Message); return;
    case CM_TEXTCHANGED:
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTSHOWHINTCHANGED:
    case CM_SYSCOLORCHANGE:
    case CM_SYSFONTCHANGED:
      TControl::Dispatch(Message);
      // Passed on to every child.
      if (Message.Msg != CM_TEXTCHANGED) {
        TMessage m{Message.Msg, 0, 0, 0};
        for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc(m);
      }
      return;
  }
  TControl::Dispatch(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) {
    TControl::DefaultHandler(Message);
    return;
  }
  if (Message.Msg == WM_CONTEXTMENU && FParent) {
    // Unhandled: offered to the parent.
    Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
    if (Message.Result) return;
  }
  // Our own range of messages never reaches a window procedure of Windows.
  if (Message.Msg >= CM_BASE && Message.Msg < CM_BASE + 0x1000) {
    if (Message.Msg >= CN_CTLCOLORMSGBOX && Message.Msg <= CN_CTLCOLORSTATIC) {
      Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg - CN_BASE, Message.WParam, Message.LParam);
    }
    return;
  }
  Message.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, Message.Msg, Message.WParam,
                                   Message.LParam);
  if (Message.Msg == WM_SETTEXT) Perform(CM_TEXTCHANGED);
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->WindowProc(Message);
    if (Message.Result != 0) return;
  }
}

String TWinControl::GetText() {
  if (FHandle) return vcl::WindowText(FHandle);
  return FText;
}

void TWinControl::SetTextValue(const String& v) {
  FText = v;
  if (FHandle) {
    std::u16string w = ToUtf16(v);
    CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
}

// --- children

void TWinControl::InsertControl(TControl* AControl) {
  AControl->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FControls.push_back(AControl);
    FTabList.push_back(w);
  } else {
    auto it = std::find_if(FControls.begin(), FControls.end(), [](TControl* c) { return dynamic_cast<TWinControl*>(c) != nullptr; });
    FControls.insert(it, AControl);
  }
  if (!AControl->ComponentState().Contains(csReading)) {
    TMessage pf{CM_PARENTFONTCHANGED, 0, 0, 0};
    AControl->WindowProc(pf);
    TMessage pc{CM_PARENTCOLORCHANGED, 0, 0, 0};
    AControl->WindowProc(pc);
    TMessage ph{CM_PARENTSHOWHINTCHANGED, 0, 0, 0};
    AControl->WindowProc(ph);
  }
  AControl->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) w->UpdateControlState();
  else AControl->Invalidate();
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(w, true);
    w->DestroyHandle();
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  } else {
    AControl->Invalidate();
  }
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
  if (!ComponentState().Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    bool isWin = dynamic_cast<TWinControl*>(c) != nullptr;
    if (isWin && !AllowWinControls) continue;
    if (!c->FVisible || (!c->FEnabled && !AllowDisabled)) continue;
    TPoint local(Pos.X - c->FLeft, Pos.Y - c->FTop);
    if (local.X < 0 || local.Y < 0 || local.X >= c->FWidth || local.Y >= c->FHeight) continue;
    if (c->Perform(CM_HITTEST, 0, MAKELPARAM(Word(local.X), Word(local.Y))) != 0) return c;
  }
  return nullptr;
}

TControl* TWinControl::FindChildControl(const String& ControlName) const {
  for (TControl* c : FControls)
    if (vcl::LowerAscii(c->Name()) == vcl::LowerAscii(ControlName)) return c;
  return nullptr;
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TControl* c : FControls)
    if (c->Owner() == Root) Proc(c);
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) { TControl::Notification(AComponent, Operation); }

void TWinControl::Loaded() {
  TControl::Loaded();
  if (FControlState.Contains(csAlignmentNeeded) || !FControls.empty()) Realign();
}

// --- alignment

void TWinControl::EnableAlign() {
  if (--FAlignLevel == 0) {
    if (FControlState.Contains(csAlignmentNeeded)) Realign();
  }
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (FAlignLevel > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    FControlState += csAlignmentNeeded;
    return;
  }
  ++FAlignLevel;
  TRect rect = ClientRect();
  AdjustClientRect(rect);
  try {
    AlignControls(AControl, rect);
  } catch (...) {
    --FAlignLevel;
    throw;
  }
  --FAlignLevel;
  FControlState -= csAlignmentNeeded;
}

void TWinControl::AdjustClientRect(TRect& Rect) { InflateRect(Rect, -FBorderWidth, -FBorderWidth); }

// A child the parent has just placed: while it was being placed it could not
// lay out its own controls for its new size (its align level was raised), so
// it does that now.
void TWinControl::PlacedByParent(TControl* c) {
  --c->FAlignLevel;
  if (c->FAlignLevel != 0 || !c->FControlState.Contains(csAlignmentNeeded)) return;
  if (auto* w = dynamic_cast<TWinControl*>(c)) w->Realign();
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  // Anchored controls follow the change of the client size.
  TRect client = ClientRect();
  for (TControl* c : FControls) {
    if (c->FAlign != alNone || !c->FVisible) continue;
    if (c->FAnchors == TAnchors{akLeft, akTop}) continue;
    TPoint ps = c->FOriginalParentSize;
    if (ps.X <= 0 && ps.Y <= 0) continue;
    const TRect o = c->FAnchorBounds;
    Integer dx = client.Width() - ps.X, dy = client.Height() - ps.Y;
    Integer l = o.Left, t = o.Top, w = o.Width(), h = o.Height();
    bool akL = c->FAnchors.Contains(akLeft), akR = c->FAnchors.Contains(akRight);
    bool akT = c->FAnchors.Contains(akTop), akB = c->FAnchors.Contains(akBottom);
    if (akL && akR) w = std::max(0, w + dx);
    else if (akR) l += dx;
    else if (!akL) l += dx / 2;
    if (akT && akB) h = std::max(0, h + dy);
    else if (akB) t += dy;
    else if (!akT) t += dy / 2;
    // Moving by the anchors keeps the rules they were made with.
    ++c->FAlignLevel;
    c->SetBounds(l, t, w, h);
    PlacedByParent(c);
  }

  // Aligned controls, in the order top, bottom, left, right, client; within
  // one kind by position (the control being aligned wins a tie).
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == kind && c->FVisible) list.push_back(c);
    auto key = [kind](TControl* c) {
      switch (kind) {
        case alTop: return c->FTop;
        case alBottom: return -(c->FTop + c->FHeight);
        case alLeft: return c->FLeft;
        case alRight: return -(c->FLeft + c->FWidth);
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
      if (key(a) != key(b)) return key(a) < key(b);
      return a == AControl && b != AControl;
    });
    for (TControl* c : list) {
      Integer l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
      switch (kind) {
        case alTop: l = Rect.Left; t = Rect.Top; w = Rect.Width(); Rect.Top += h; break;
        case alBottom: l = Rect.Left; t = Rect.Bottom - h; w = Rect.Width(); Rect.Bottom -= h; break;
        case alLeft: l = Rect.Left; t = Rect.Top; h = Rect.Height(); Rect.Left += w; break;
        case alRight: l = Rect.Right - w; t = Rect.Top; h = Rect.Height(); Rect.Right -= w; break;
        case alClient: l = Rect.Left; t = Rect.Top; w = Rect.Width(); h = Rect.Height(); break;
        default: break;
      }
      ++c->FAlignLevel;
      c->SetBounds(l, t, std::max(0, w), std::max(0, h));
      PlacedByParent(c);
      // A control that refused its size (constraints) still takes its room.
      switch (kind) {
        case alTop: Rect.Top += c->FHeight - h; break;
        case alBottom: Rect.Bottom -= c->FHeight - h; break;
        case alLeft: Rect.Left += c->FWidth - w; break;
        case alRight: Rect.Right -= c->FWidth - w; break;
        default: break;
      }
    }
  }
  ControlsAligned();
}

// --- bounds

TRect TWinControl::ClientRect() {
  if (FHandle) {
    RECT r{};
    GetClientRect(FHandle, &r);
    return {0, 0, r.right, r.bottom};
  }
  // Before the window exists: the frame its styles will give it.
  TCreateParams p;
  p.Style = 0;
  DWORD style = 0, exStyle = 0;
  if (dynamic_cast<TCustomForm*>(this)) {
    TCreateParams params;
    static_cast<TCustomForm*>(this)->FormFrameStyles(style, exStyle);
  }
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  Integer dw = (r.right - r.left) - 100, dh = (r.bottom - r.top) - 100;
  if (dynamic_cast<TCustomForm*>(this) && static_cast<TCustomForm*>(this)->Menu()) dh += GetSystemMetrics(SM_CYMENU);
  RECT client{0, 0, FWidth - dw, FHeight - dh};
  ShrinkByBevel(client);
  return {0, 0, std::max(0, Integer(client.right - client.left)), std::max(0, Integer(client.bottom - client.top))};
}

TPoint TWinControl::ClientOrigin() {
  if (!FHandle && FParent) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(Handle(), &p);
  return {p.x, p.y};
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  CheckNewSize(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  if (FHandle && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // WM_WINDOWPOSCHANGED has updated the fields; a window Windows refused
    // to size (a minimised one) keeps the asked-for bounds.
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
  } else {
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
  }
  if (FAlignLevel == 0) UpdateAnchorRules();
  RequestAlign();
  if (sized) {
    TRect c = ClientRect();
    if (c.Width() != FLastClientSize.X || c.Height() != FLastClientSize.Y) {
      FLastClientSize = {c.Width(), c.Height()};
      Realign();
    }
    if (!ComponentState().Contains(csLoading)) Resize();
  }
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT r{};
  GetWindowRect(FHandle, &r);
  if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) {
    HWND parent = GetParent(FHandle);
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  if (IsIconic(FHandle)) return;
  Integer w = r.right - r.left, h = r.bottom - r.top;
  bool sized = w != FWidth || h != FHeight;
  FLeft = r.left;
  FTop = r.top;
  FWidth = w;
  FHeight = h;
  if (sized) {
    TRect c = ClientRect();
    if (c.Width() != FLastClientSize.X || c.Height() != FLastClientSize.Y) {
      FLastClientSize = {c.Width(), c.Height()};
      Realign();
    }
    if (FAlignLevel == 0) UpdateAnchorRules();
    Resize();
  }
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  auto* wp = reinterpret_cast<WINDOWPOS*>(Message.LParam);
  bool framechanged = wp && (wp->flags & SWP_FRAMECHANGED);
  if (!(wp && (wp->flags & SWP_NOSIZE) && (wp->flags & SWP_NOMOVE) && !framechanged)) UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::SetBorderWidth(Integer v) {
  if (FBorderWidth == v) return;
  FBorderWidth = v;
  Realign();
  Invalidate();
}

void TWinControl::SetBevelKind(TBevelKind v) {
  if (FBevelKind == v) return;
  FBevelKind = v;
  BevelChanged();
}

void TWinControl::SetBevelEdges(TBevelEdges v) {
  if (FBevelEdges == v) return;
  FBevelEdges = v;
  BevelChanged();
}

void TWinControl::SetBevelInner(TBevelCut v) {
  if (FBevelInner == v) return;
  FBevelInner = v;
  BevelChanged();
}

void TWinControl::SetBevelOuter(TBevelCut v) {
  if (FBevelOuter == v) return;
  FBevelOuter = v;
  BevelChanged();
}

void TWinControl::SetBevelWidth(TBevelWidth v) {
  v = std::max<TBevelWidth>(1, v);
  if (FBevelWidth == v) return;
  FBevelWidth = v;
  BevelChanged();
}

void TWinControl::BevelChanged() {
  if (FHandle) {
    // The frame is measured (WM_NCCALCSIZE) and drawn again.
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window kept its size, so only the client area changed.
    const TRect c = ClientRect();
    if (c.Width() == FLastClientSize.X && c.Height() == FLastClientSize.Y) return;
    FLastClientSize = {c.Width(), c.Height()};
    Realign();
    if (!ComponentState().Contains(csLoading)) Resize();
  } else {
    Realign();
  }
}

Integer TWinControl::BevelEdgeSize() const {
  if (FBevelKind == bkNone) return 0;
  Integer size = 0;
  if (FBevelInner != bvNone) size += FBevelWidth;
  if (FBevelOuter != bvNone) size += FBevelWidth;
  return size;
}

void TWinControl::ShrinkByBevel(RECT& R) const {
  const Integer size = BevelEdgeSize();
  if (size == 0) return;
  if (FBevelEdges.Contains(beLeft)) R.left += size;
  if (FBevelEdges.Contains(beTop)) R.top += size;
  if (FBevelEdges.Contains(beRight)) R.right -= size;
  if (FBevelEdges.Contains(beBottom)) R.bottom -= size;
  // Never a client area of negative size.
  R.right = std::max(R.right, R.left);
  R.bottom = std::max(R.bottom, R.top);
}

void TWinControl::WMNCCalcSize(TMessage& Message) {
  DefaultHandler(Message);
  // With or without the valid-rectangles request, the proposed client
  // rectangle comes first.
  if (Message.LParam) ShrinkByBevel(*reinterpret_cast<RECT*>(Message.LParam));
}

void TWinControl::WMNCPaint(TMessage& Message) {
  // Border and scroll bars first; the bevel lies between them and the client area.
  DefaultHandler(Message);
  const Integer size = BevelEdgeSize();
  if (size == 0 || !FHandle) return;
  HDC dc = GetWindowDC(FHandle);
  if (!dc) return;
  // The client area, in window coordinates.
  RECT window{}, inner{};
  GetWindowRect(FHandle, &window);
  GetClientRect(FHandle, &inner);
  MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&inner), 2);
  OffsetRect(&inner, -window.left, -window.top);
  // The scroll bars sit right next to the client area, inside the bevel.
  const LONG style = GetWindowLongW(FHandle, GWL_STYLE);
  if (style & WS_VSCROLL) inner.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) inner.bottom += GetSystemMetrics(SM_CYHSCROLL);
  RECT outer = inner;
  if (FBevelEdges.Contains(beLeft)) outer.left -= size;
  if (FBevelEdges.Contains(beTop)) outer.top -= size;
  if (FBevelEdges.Contains(beRight)) outer.right += size;
  if (FBevelEdges.Contains(beBottom)) outer.bottom += size;
  ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  // The space a wider bevel leaves between its lines takes the control's colour.
  ::FillRect(dc, &outer, FBrush->Handle());
  UINT edge = 0;
  if (FBevelInner == bvLowered) edge |= BDR_SUNKENINNER;
  else if (FBevelInner == bvRaised) edge |= BDR_RAISEDINNER;
  if (FBevelOuter == bvLowered) edge |= BDR_SUNKENOUTER;
  else if (FBevelOuter == bvRaised) edge |= BDR_RAISEDOUTER;
  UINT flags = 0;
  if (FBevelEdges.Contains(beLeft)) flags |= BF_LEFT;
  if (FBevelEdges.Contains(beTop)) flags |= BF_TOP;
  if (FBevelEdges.Contains(beRight)) flags |= BF_RIGHT;
  if (FBevelEdges.Contains(beBottom)) flags |= BF_BOTTOM;
  if (FBevelKind == bkSoft) flags |= BF_SOFT;
  else if (FBevelKind == bkFlat) flags |= BF_FLAT;
  if (!Ctl3D()) flags |= BF_MONO;
  if (edge) ::DrawEdge(dc, &outer, edge, flags);
  ReleaseDC(FHandle, dc);
}

void TWinControl::SetParentBackground(bool v) {
  if (v) FControlStyle += csParentBackground;
  else FControlStyle -= csParentBackground;
  Invalidate();
}

void TWinControl::SetZOrder(bool TopMost) {
  if (!FHandle) return;
  if (!FParent) {
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// --- painting

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  if (!FHandle) return;
  RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWinControl::WMPaint(TMessage& Message) {
  bool hasGraphicChildren = std::any_of(FControls.begin(), FControls.end(),
                                        [](TControl* c) { return !dynamic_cast<TWinControl*>(c); });
  if (!FDoubleBuffered || Message.WParam != 0) {
    if (!FControlState.Contains(csCustomPaint) && !hasGraphicChildren) DefaultHandler(Message);
    else PaintHandler(Message);
    return;
  }
  // Double-buffered: paint into a bitmap and copy it.
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, &ps);
  RECT r;
  GetClientRect(FHandle, &r);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, r.right, r.bottom);
  HGDIOBJ old = SelectObject(mem, bmp);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(mem), 0, 0};
  WMPaint(m);
  BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  EndPaint(FHandle, &ps);
}

void TWinControl::PaintHandler(TMessage& Message) {
  PAINTSTRUCT ps{};
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &ps);
  try {
    int saved = SaveDC(dc);
    // Opaque graphic children paint their own area.
    for (TControl* c : FControls)
      if (!dynamic_cast<TWinControl*>(c) && c->FVisible && c->FControlStyle.Contains(csOpaque))
        ExcludeClipRect(dc, c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight);
    PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (own) EndPaint(FHandle, &ps);
    throw;
  }
  if (own) EndPaint(FHandle, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = FControls.begin();
  if (First) it = std::find(FControls.begin(), FControls.end(), First);
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c)) continue;
    if (!c->FVisible) continue;
    RECT r{c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight};
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    POINT org;
    GetViewportOrgEx(DC, &org);
    SetViewportOrgEx(DC, org.x + c->FLeft, org.y + c->FTop, nullptr);
    IntersectClipRect(DC, 0, 0, c->FWidth, c->FHeight);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC));
    RestoreDC(DC, saved);
  }
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y) {
  HandleNeeded();
  int saved = SaveDC(DC);
  POINT org;
  GetViewportOrgEx(DC, &org);
  SetViewportOrgEx(DC, org.x + X, org.y + Y, nullptr);
  IntersectClipRect(DC, 0, 0, FWidth, FHeight);
  // Frame, background and content, then the children on top.
  SendMessageW(FHandle, WM_PRINT, reinterpret_cast<WPARAM>(DC), PRF_NONCLIENT | PRF_ERASEBKGND);
  RECT wr, cr;
  GetWindowRect(FHandle, &wr);
  GetClientRect(FHandle, &cr);
  POINT co{0, 0};
  ::ClientToScreen(FHandle, &co);
  SetViewportOrgEx(DC, org.x + X + (co.x - wr.left), org.y + Y + (co.y - wr.top), nullptr);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC));
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FVisible && w->FHandle) {
      POINT o{org.x + X + (co.x - wr.left), org.y + Y + (co.y - wr.top)};
      w->PaintTo(DC, o.x - org.x + w->FLeft, o.y - org.y + w->FTop);
    }
  RestoreDC(DC, saved);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  if (FControlStyle.Contains(csOpaque)) {
    Message.Result = 1;
    return;
  }
  RECT r;
  GetClientRect(FHandle, &r);
  ::FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->Handle());
  Message.Result = 1;
}

void TWinControl::CMColorChanged(TMessage& Message) {
  FBrush->SetColor(FColor);
  TControl::CMColorChanged(Message);
  TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc(m);
}

void TWinControl::FontChanged() { TControl::FontChanged(); }

void TWinControl::CMFontChanged(TMessage& Message) {
  if (FHandle) SendMessageW(FHandle, WM_SETFONT, WPARAM(FFont->Handle()), TRUE);
  TControl::CMFontChanged(Message);
  TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc(m);
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  if (!FEnabled && FParent) {
    if (TCustomForm* f = GetParentForm(this); f && ContainsControl(f->ActiveControl())) f->DefocusControl(this, false);
  }
  if (FHandle) EnableWindow(FHandle, FEnabled);
  TControl::CMEnabledChanged(Message);
}

void TWinControl::WMCtlColor(TMessage& Message) {
  // Reflected to the child control whose window asks.
  if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam)); c && c != this) {
    Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::CNCtlColor(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FBrush->Color()));
  Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TWinControl::WMCommand(TMessage& Message) {
  HWND from = reinterpret_cast<HWND>(Message.LParam);
  if (from) {
    if (TWinControl* c = FindControl(from); c && c != this) {
      Message.Result = c->Perform(CN_COMMAND, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  if (hdr) {
    if (TWinControl* c = FindControl(hdr->hwndFrom); c && c != this) {
      Message.Result = c->Perform(CN_NOTIFY, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (dis && dis->CtlType != ODT_MENU) {
    if (TWinControl* c = FindControl(dis->hwndItem); c && c != this) {
      Message.Result = c->Perform(CN_DRAWITEM, Message.WParam, Message.LParam);
      return;
    }
  }
  if (dis && dis->CtlType == ODT_MENU && Menus_DrawItem(dis)) {
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMMeasureItem(TMessage& Message) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (mis && mis->CtlType != ODT_MENU) {
    // Found by its id: it may be inside CreateWindowEx still.
    for (TControl* c : FControls)
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FHandle && GetDlgCtrlID(w->FHandle) == int(mis->CtlID)) {
        Message.Result = w->Perform(CN_MEASUREITEM, Message.WParam, Message.LParam);
        return;
      }
  }
  if (mis && mis->CtlType == ODT_MENU && Menus_MeasureItem(mis)) {
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMScroll(TMessage& Message) {
  HWND from = reinterpret_cast<HWND>(Message.LParam);
  if (from) {
    if (TWinControl* c = FindControl(from); c && c != this) {
      Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient({p.x, p.y}), false);
      cursor = c ? c->FCursor : FCursor;
      if (c && cursor == crDefault) cursor = FCursor;
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

// --- focus

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c; c = c->FParent) {
    if (!c->FVisible || !c->FEnabled) return false;
    if (c == form) break;
  }
  return true;
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form) {
    form->FocusControl(this);
  } else if (FParentWindow) {
    ::SetFocus(Handle());
  } else {
    ValidParentForm(this);
  }
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

Integer TWinControl::TabOrder() const {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : Integer(it - list.begin());
}

void TWinControl::SetTabOrder(Integer v) {
  if (!FParent) return;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (v < 0 || v >= Integer(list.size())) list.push_back(this);
  else list.insert(list.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
  if (FTabStop == v) return;
  FTabStop = v;
  if (FHandle) {
    LONG s = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* c : FTabList) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = int(list.size());
  int start = -1;
  auto it = std::find(list.begin(), list.end(), CurControl);
  if (it != list.end()) start = int(it - list.begin());
  if (start < 0) start = GoForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[size_t(i)];
    if (c == CurControl && step != 0) break;
    if (c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this)) return c;
  }
  return nullptr;
}

void TWinControl::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (!c) c = FindNextControl(nullptr, true, false, false);
  if (c) c->SetFocus();
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (c) c->SetFocus();
}

void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMCancelMode(TMessage& Message) {
  // Passed to the control holding the mouse inside this window.
  if (TControl* c = GetCaptureControl(); c && c != this && ContainsControl(c)) c->Perform(WM_CANCELMODE);
  (void)Message;
}

void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

// --- keyboard

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  Word key = Message.CharCode();
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  KeyDown(key, shift);
  Message.CharCode() = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  Word key = Message.CharCode();
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  KeyUp(key, shift);
  Message.CharCode() = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  char16_t unit = char16_t(Message.WParam);
  char32_t ch = unit;
  // A character outside the basic plane comes as two WM_CHARs: keep the
  // first half and hand on the whole character with the second.
  if (unit >= 0xD800 && unit < 0xDC00) {
    FPendingHighSurrogate = unit;
    return true;
  }
  if (unit >= 0xDC00 && unit < 0xE000 && FPendingHighSurrogate) {
    ch = 0x10000 + ((char32_t(FPendingHighSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
    FPendingHighSurrogate = 0;
  }
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPressChar(ch)) return true;
  char32_t key = ch;
  KeyPress(key);
  if (key == 0) return true;
  if (key != ch && key < 0x10000) Message.WParam = WPARAM(key);
  return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char32_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}
void TWinControl::WMSysKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}
void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}
void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  Word key = Message.CharCode();
  // Menu shortcuts of the form come first.
  if (TCustomForm* form = GetParentForm(this); form && form->IsShortCut(Message)) return;
  if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, Message.LParam) == 0 &&
      (Perform(WM_GETDLGCODE) & mask) == 0) {
    if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
    if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CMChildKey(TMessage& Message) {
  if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

// ---------------------------------------------------------------------------
// TGraphicControl and TCustomControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TControlCanvas) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { FCanvas->FreeHandle(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    if (Message.WParam) {
      // Painting inside the parent's paint cycle: draw on its DC.
      FCanvas->Lock();
      FCanvas->SetHandle(reinterpret_cast<HDC>(Message.WParam));
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
    return;
  }
  TControl::Dispatch(Message);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas) {
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() {
  FCanvas->FreeHandle();
  DestroyHandle();
}

void TCustomControl::PaintWindow(HDC DC) {
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

void TCustomControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    FControlState += csCustomPaint;
    try {
      TWinControl::Dispatch(Message);
    } catch (...) {
      FControlState -= csCustomPaint;
      throw;
    }
    FControlState -= csCustomPaint;
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// THintWindow

TOVANI_IMPLEMENT_CLASS_FACTORY(THintWindow, TCustomControl)

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FColor = clInfoBk;
  FParentColor = false;
  FBrush->SetColor(FColor);
  FVisible = false;
  if (Screen) FFont->Assign(Screen->HintFont());
  FParentFont = false;
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void*) {
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(FFont.get());
  TRect r(0, 0, MaxWidth, 0);
  scratch.Canvas()->TextRect(r, AHint, {tfCalcRect, tfWordBreak, tfNoPrefix, tfLeft});
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const String& AHint) {
  FText = AHint;
  // Kept on the work area.
  TRect area = Screen ? Screen->MonitorWorkAreaRect(Rect) : Rect;
  if (Rect.Right > area.Right) OffsetRect(Rect, area.Right - Rect.Right, 0);
  if (Rect.Left < area.Left) OffsetRect(Rect, area.Left - Rect.Left, 0);
  if (Rect.Bottom > area.Bottom) OffsetRect(Rect, 0, area.Bottom - Rect.Bottom);
  HWND h = Handle();
  SetWindowTextW(h, W(ToUtf16(AHint)));
  FLeft = Rect.Left;
  FTop = Rect.Top;
  FWidth = Rect.Width();
  FHeight = Rect.Height();
  SetWindowPos(h, HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  InvalidateRect(h, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
  FVisible = false;
  DestroyHandle();
}

bool THintWindow::IsHintMsg(const MSG& Msg) const {
  switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP: return true;
  }
  return false;
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  Canvas()->Brush()->SetColor(FColor);
  Canvas()->FillRect(r);
  Canvas()->Font()->Assign(FFont.get());
  Canvas()->Brush()->SetStyle(bsClear);
  InflateRect(r, -2, -1);
  Canvas()->TextRect(r, FText, {tfWordBreak, tfNoPrefix, tfLeft});
}

void THintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCHITTEST) {
    Message.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::Dispatch(Message);
}
