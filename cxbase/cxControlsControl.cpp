// TcxControl: the control base of the editor library (canvas, look-and-feel,
// focusing on click, wanted keys, popup menus, font listeners, mouse and the
// own drag-and-drop state machine), its child components and drag objects.
#include <algorithm>

#include "cxControls.h"

// ---------------------------------------------------------------------------
// Own drag-and-drop object

TOVANI_IMPLEMENT_CLASS(TcxDragAndDropObject, TObject)

TcxDragAndDropObject::TcxDragAndDropObject(TcxControl* AControl) : FControl(AControl) {}

TcxCanvas* TcxDragAndDropObject::Canvas() const { return FControl->cxCanvas(); }

void TcxDragAndDropObject::SetDirty(bool Value) {
  if (FDirty == Value) return;
  FDirty = Value;
  DirtyFlagChanged();
}

void TcxDragAndDropObject::StoreMousePos(TPoint P) {
  FPrevMousePos = FCurMousePos;
  FCurMousePos = P;
}

void TcxDragAndDropObject::RunStart() {
  TPoint p = FControl->ScreenToClient(cxGetCursorPos());
  FCurMousePos = FPrevMousePos = p;
  Started();
}

void TcxDragAndDropObject::RunTrack(TPoint P, bool& Accepted) {
  StoreMousePos(P);
  Track(P, Accepted);
}

void TcxDragAndDropObject::Track(TPoint P, bool& Accepted) {
  SetDirty(false);
  if (Screen) Screen->SetCursor(CursorFor(Accepted));
}

void TcxDragAndDropObject::RunFinish(bool Accepted) {
  BeforeFinish();
  AfterDrop(Accepted);
}

// ---------------------------------------------------------------------------
// Platform drag object

TOVANI_IMPLEMENT_CLASS(TcxDragControlObject, TDragControlObject)
TOVANI_IMPLEMENT_CLASS(TcxDragImageList, TDragImageList)

void TcxDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  TDragControlObject::Finished(Target, X, Y, Accepted);
  delete this;
}

TCursor TcxDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
  auto* control = dynamic_cast<TcxControl*>(Control());
  if (Accepted && control && cxCtrlKeyDown()) return crcxDragCopy;
  return TDragControlObject::GetDragCursor(Accepted, X, Y);
}

// ---------------------------------------------------------------------------
// TcxControl

TOVANI_IMPLEMENT_CLASS(TcxControl, TCustomControl)

TcxControl::TcxControl(TComponent* AOwner) : TCustomControl(AOwner) {
  cxLoadLibraryCursors();
  FcxCanvas = std::make_unique<TcxCanvas>(Canvas());
  FDefaultCursor = Cursor();
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel* Sender, TcxLookAndFeelValues Values) {
    if (!ComponentState().Contains(csDestroying)) {
      LookAndFeelChanged(Sender, Values);
      Invalidate();
    }
  };
  BuildScrollBars();
  SetTabStop(MayFocus());
  SetParentBackground(true);
}

TcxControl::~TcxControl() {
  if (!ComponentState().Contains(csDestroying)) Destroying();
  EndDrag(false);
  FFinishingDragAndDrop = true;   // nothing more is announced while going
  if (FDragImages) DragImagesDestroyed(FDragImages.get());
  FDragImages.reset();
  delete FDragAndDropObject;
  FDragAndDropObject = nullptr;
  DropScrollBars();
  FFontListeners.clear();
  FLookAndFeel->OnChanged = nullptr;
  cxInvalidateObjectLinks(this);
  DestroyComponents();
}

TcxLookAndFeelPainterClass TcxControl::GetPainter() { return FLookAndFeel->ActivePainter(); }

void TcxControl::SetBorderStyle(TcxControlBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  DoBoundsChanged();
  Invalidate();
}

void TcxControl::SetInnerBounds(const TRect& R) {
  FBounds = R;
  DoBoundsChanged();
  Invalidate();
}

Integer TcxControl::GetBorderSize() { return FBorderStyle == cxcbsNone ? 0 : GetPainter()->GetBorderWidth(); }

TRect TcxControl::GetBounds() {
  if (!IsRectEmpty(FBounds)) return FBounds;
  if (HandleAllocated()) return ClientRect();
  return TRect(0, 0, Width(), Height());
}

TRect TcxControl::GetClientBounds() {
  TRect r = cxInflatedRect(GetBounds(), -GetBorderSize(), -GetBorderSize());
  if (HScrollBarVisible()) r.Bottom -= FHScrollBar->Height();
  if (VScrollBarVisible()) r.Right -= FVScrollBar->Width();
  return r;
}

void TcxControl::InvalidateRect(const TRect& R, bool AEraseBackground) {
  if (HandleAllocated()) cxInvalidateWindowRect(Handle(), &R, AEraseBackground);
}

void TcxControl::AddFontListener(IcxFontListener* AListener) {
  if (AListener && std::find(FFontListeners.begin(), FFontListeners.end(), AListener) == FFontListeners.end())
    FFontListeners.push_back(AListener);
}

void TcxControl::RemoveFontListener(IcxFontListener* AListener) {
  FFontListeners.erase(std::remove(FFontListeners.begin(), FFontListeners.end(), AListener), FFontListeners.end());
}

void TcxControl::DoFontChanged() {
  std::vector<IcxFontListener*> listeners = FFontListeners;
  for (IcxFontListener* l : listeners) l->FontChanged(this, Font());
  Invalidate();
}

bool TcxControl::IsInternalControl(TControl* AControl) {
  return AControl && (AControl == FHScrollBar || AControl == FVScrollBar || AControl == FSizeGrip);
}

bool TcxControl::CanFocusOnClick() {
  return !GetIsDesigning() && FFocusOnClick && MayFocus() && CanFocus();
}

bool TcxControl::CanFocusWithParentForm() {
  if (!CanFocus()) return false;
  TCustomForm* form = GetParentForm(this);
  return !form || (form->CanFocus() && form->Enabled() && form->Visible());
}

TOVANI_PUBLISHED(TcxControl) {
  Property<TComponent*>(
      "PopupMenu", [](TcxControl* c) { return c->PopupMenuComponent(); },
      [](TcxControl* c, TComponent* v) { c->AssignPopupMenu(v); });
}

void TcxControl::AssignPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IcxPopupMenuComponent*>(Value)) Value = nullptr;
  if (Value == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

TPopupMenu* TcxControl::GetPopupMenu() {
  if (auto* m = dynamic_cast<TPopupMenu*>(FPopupMenu)) return m;
  return nullptr;
}

void TcxControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TcxControl::SetCaptureOwner(TObject* Value) {
  if (Value == FMouseCaptureObject) return;
  if (auto* n = dynamic_cast<IcxCaptureLossNotify*>(FMouseCaptureObject)) n->CaptureLost();
  const bool wasCaptured = FMouseCaptureObject != nullptr;
  FMouseCaptureObject = Value;
  SetMouseCapture(Value != nullptr);
  if (wasCaptured && !Value && FDragAndDropState == dasPending) Perform(WM_CANCELMODE, 0, 0);
}

// ---------------------------------------------------------------------------
// Window

void TcxControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxControl::CreateWnd() {
  FCreatingWindow = true;
  try {
    TCustomControl::CreateWnd();
    UpdateScrollBarControls();
    InitializeControl();
  } catch (...) {
    FCreatingWindow = false;
    throw;
  }
  FCreatingWindow = false;
}

void TcxControl::InitializeControl() { AdoptScrollBars(); }

void TcxControl::DestroyWindowHandle() {
  TCustomControl::DestroyWindowHandle();
  SetControlState(ControlState() - csClicked);
}

void TcxControl::Resize() {
  TCustomControl::Resize();
  DoBoundsChanged();
}

void TcxControl::Paint() {
  if (FBorderStyle != cxcbsNone) {
    GetPainter()->PaintBorder(FcxCanvas.get(), GetBounds());
    FcxCanvas->IntersectClip(GetClientBounds());
  }
  TCustomControl::Paint();
  UpdateScrollBarsState();
}

void TcxControl::WndProc(TMessage& Message) {
  TcxObjectLinkGuard link(this);
  bool handled = false;
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Dragging()) {
    const bool designing = GetIsDesigning();
    if ((designing && HandlesDesignHitTest(Message.XPos(), Message.YPos(), {ssLeft})) ||
        (!designing && DragMode() == dmAutomatic)) {
      if (!IsControlMouseMsg(Message)) {
        // Straight to the handlers: the platform would start its own drag
        // here; this control starts it after drag detection instead.
        SetControlState(ControlState() + csLButtonDown);
        Dispatch(Message);
        if (link.Alive()) SetControlState(ControlState() - csLButtonDown);
      }
      handled = true;
    }
  }
  if (!handled) TCustomControl::WndProc(Message);
  if (!link.Alive()) return;
  switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: DoFocusChanged(); break;
    case WM_PAINT:
      if (ParentBackground() != FLastParentBackground) {
        FLastParentBackground = ParentBackground();
        ParentBackgroundToggled();
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      TPoint p(Message.XPos(), Message.YPos());
      // The message's 16-bit coordinates overflow on a very large control.
      if (Width() > 32768 || Height() > 32768) p = ScreenToClient(cxGetCursorPos());
      TMouseButton b = Message.Msg == WM_LBUTTONDOWN ? mbLeft : Message.Msg == WM_RBUTTONDOWN ? mbRight : mbMiddle;
      BeforeMouseDown(b, p.X, p.Y);
      break;
    }
  }
}

void TcxControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: {
      LRESULT r = 0;
      if (FWantedKeys.Contains(wkAllKeys)) r |= DLGC_WANTALLKEYS;
      if (FWantedKeys.Contains(wkArrows)) r |= DLGC_WANTARROWS;
      if (FWantedKeys.Contains(wkChars)) r |= DLGC_WANTCHARS;
      if (FWantedKeys.Contains(wkTab) && !cxCtrlKeyDown()) r |= DLGC_WANTTAB;
      Message.Result = r;
      return;
    }
    case WM_ERASEBKGND:
      if (NeedsEraseBackground())
        TCustomControl::Dispatch(Message);
      else
        Message.Result = 1;
      return;
    case WM_CONTEXTMENU: {
      if (Message.Result != 0) return;
      if (!GetIsDesigning()) {
        TPoint p(Message.XPos(), Message.YPos());
        if (!(p.X == -1 && p.Y == -1) && HandleAllocated() && !ClientRect().Contains(ScreenToClient(p))) {
          // Outside the client area (a border): the window's default handling.
          DefaultHandler(Message);
          return;
        }
        bool handled = false;
        DoContextPopup(p.X == -1 && p.Y == -1 ? TPoint(-1, -1) : ScreenToClient(p), handled);
        Message.Result = handled;
        if (handled) return;
      }
      TCustomControl::Dispatch(Message);
      return;
    }
    case WM_CANCELMODE:
      TCustomControl::Dispatch(Message);
      CloseDragAndDrop(false);
      DoCancelMode();
      return;
    case WM_SETCURSOR:
      if (GetIsDesigning() && FDragAndDropState == dasNone) {
        TPoint p = ScreenToClient(cxGetCursorPos());
        if (HandlesDesignHitTest(p.X, p.Y, {ssLeft})) {
          ::SetCursor(Screen->Cursors(GetCursorAt(p.X, p.Y)));
          Message.Result = 1;
          return;
        }
      }
      TCustomControl::Dispatch(Message);
      return;
    case WM_NCCALCSIZE:
      TCustomControl::Dispatch(Message);
      if (HandleAllocated()) PostMessageW(Handle(), DXM_CHECKSCROLLBARSIZES, 0, 0);
      return;
    case DXM_CHECKSCROLLBARSIZES: CheckScrollBarSizes(); return;
    case CN_KEYDOWN:
      if (IsPopupMenuShortCutKey(Message)) {
        Message.Result = 1;
        return;
      }
      if (FDragAndDropState == dasNone) {
        TCustomControl::Dispatch(Message);
      } else {
        if (Message.WParam == VK_ESCAPE && HandleAllocated()) SendMessageW(Handle(), WM_KEYDOWN, VK_ESCAPE, Message.LParam);
        Message.Result = 1;
      }
      return;
    case CN_SYSKEYDOWN:
      if (IsPopupMenuShortCutKey(Message)) {
        Message.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      DoFontChanged();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      TCustomControl::Dispatch(Message);
      auto* c = reinterpret_cast<TControl*>(Message.LParam);
      if (!c) c = this;
      if (Message.Msg == CM_MOUSEENTER)
        DoMouseEnter(c);
      else
        DoMouseLeave(c);
      return;
    }
    case CM_DESIGNHITTEST:
      TCustomControl::Dispatch(Message);
      if (Message.Result == 0)
        Message.Result = HandlesDesignHitTest(Message.XPos(), Message.YPos(), KeysToShiftState(Word(Message.WParam)));
      return;
    case CM_CURSORCHANGED:
      DoCursorChanged();
      break;
    case CM_COLORCHANGED:
      DoColorChanged();
      break;
    case CM_TEXTCHANGED:
      TCustomControl::Dispatch(Message);
      DoTextChanged();
      return;
    case CM_VISIBLECHANGED:
      TCustomControl::Dispatch(Message);
      DoVisibleChanged();
      return;
  }
  TCustomControl::Dispatch(Message);
}

bool TcxControl::IsPopupMenuShortCutKey(TMessage& Message) {
  if (GetIsDesigning()) return false;
  for (TWinControl* c = this; c; c = c->Parent())
    if (auto* cx = dynamic_cast<TcxControl*>(c); cx && cxIsPopupMenuShortCut(cx->FPopupMenu, Message)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Focus, keys, popup menus

void TcxControl::DoFocusChanged() {
  if (OnFocusChanged) OnFocusChanged(this);
}

void TcxControl::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) CloseDragAndDrop(false);
  TCustomControl::KeyDown(Key, Shift);
}

bool TcxControl::DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) { return cxShowPopupMenu(this, AMenu, X, Y); }

void TcxControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  TCustomControl::DoContextPopup(MousePos, Handled);
  if (Handled) return;
  TPoint p = MousePos.X == -1 && MousePos.Y == -1 ? TPoint(0, 0) : MousePos;
  p = ClientToScreen(p);
  Handled = DoShowPopupMenu(FPopupMenu, p.X, p.Y);
}

void TcxControl::DoMouseEnter(TControl* AControl) {
  if (OnMouseEnter) OnMouseEnter(AControl);
}

void TcxControl::DoMouseLeave(TControl* AControl) {
  if (OnMouseLeave) OnMouseLeave(AControl);
}

bool TcxControl::HandlesDesignHitTest(Integer X, Integer Y, TShiftState Shift) {
  return FDragAndDropState != dasNone || FMouseButtonPressed;
}

// ---------------------------------------------------------------------------
// Mouse

void TcxControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FMouseDownPos = TPoint(X, Y);
  TcxObjectLinkGuard link(this);
  if (CanFocusOnClickAt(X, Y) && !Shift.Contains(ssDouble)) {
    const TRect before = BoundsRect();
    SetFocus();
    if (!link.Alive()) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->ActiveControl() == this && !Focused() && HandleAllocated()) ::SetFocus(Handle());
    if (!Focused() && !MayProcessUnfocusedMouseDown()) {
      SetMouseCapture(false);
      return;
    }
    // Focusing may have moved the control (a scrolling parent): keep the
    // point on the same spot of the control.
    X -= BoundsRect().Left - before.Left;
    Y -= BoundsRect().Top - before.Top;
  }
  if (Button == mbLeft && !Shift.Contains(ssDouble) && CanStartDragAndDrop(TPoint(X, Y))) {
    if (DragAndDropObject()->StartsAtMouseDown())
      DoBeginDragAndDrop();
    else
      SetDragAndDropState(dasPending);
  } else {
    CloseDragAndDrop(false);
  }
  if (!link.Alive()) return;
  InternalMouseDown(Button, Shift, X, Y);
  if (!link.Alive()) return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (link.Alive() && MouseCapture()) FMouseButtonPressed = true;
}

void TcxControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  const TCursor keep = FDefaultCursor;
  SetCursor(GetCursorAt(X, Y));
  FDefaultCursor = keep;
  TCustomControl::MouseMove(Shift, X, Y);
  if (FDragAndDropState == dasPending && !InDragDetectArea(X, Y)) {
    DoBeginDragAndDrop();
  } else if (FDragAndDropState == dasActive) {
    bool accepted = false;
    DoDragAndDrop(TPoint(X, Y), accepted);
  }
}

void TcxControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FMouseButtonPressed = false;
  EndMouseOperations();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TcxControl::EndMouseOperations() {
  CloseDragAndDrop(true);
  SetCaptureOwner(nullptr);
}

void TcxControl::DoCancelMode() {
  FMouseButtonPressed = false;
  FMouseCaptureObject = nullptr;
}

void TcxControl::BeforeMouseDown(TMouseButton Button, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (DragMode() == dmAutomatic && MouseCapture() && (!GetIsDesigning() || CanDragAt(X, Y)) &&
        AllowAutoDragAt(X, Y) && HandleAllocated() && cxDragDetect(Handle()) == ddrDrag)
      BeginDrag(true, -1);
  } else if (Button == mbMiddle) {
    RunAutoScroll();
  }
}

// ---------------------------------------------------------------------------
// Own drag-and-drop

TcxDragAndDropObject* TcxControl::CreateDragAndDropObject() {
  if (FDragAndDropObjectFactory) return FDragAndDropObjectFactory(this);
  return new TcxDragAndDropObject(this);
}

TcxDragAndDropObject* TcxControl::DragAndDropObject() {
  if (!FDragAndDropObject) FDragAndDropObject = CreateDragAndDropObject();
  return FDragAndDropObject;
}

void TcxControl::SetDragAndDropState(TcxDnDState Value) {
  if (FDragAndDropState == Value) return;
  FDragAndDropState = Value;
  if (Value == dasNone && !FFinishingDragAndDrop) DoCancelMode();
}

void TcxControl::DoBeginDragAndDrop() {
  DragAndDropObject()->RunStart();
  SetMouseCapture(true);
  FDragAndDropPrevCursor = Screen ? Screen->Cursor() : crDefault;
  SetDragAndDropState(dasActive);
}

void TcxControl::DoDragAndDrop(TPoint P, bool& Accepted) { DragAndDropObject()->RunTrack(P, Accepted); }

void TcxControl::DoEndDragAndDrop(bool Accepted) {
  SetDragAndDropState(dasNone);
  if (Screen) Screen->SetCursor(FDragAndDropPrevCursor);
  SetMouseCapture(false);
  FMouseCaptureObject = nullptr;
  DragAndDropObject()->RunFinish(Accepted);
}

void TcxControl::CloseDragAndDrop(bool Accepted) {
  if (FFinishingDragAndDrop) return;
  FFinishingDragAndDrop = true;
  try {
    if (FDragAndDropState == dasActive)
      DoEndDragAndDrop(Accepted);
    else
      SetDragAndDropState(dasNone);
  } catch (...) {
    delete FDragAndDropObject;
    FDragAndDropObject = nullptr;
    FFinishingDragAndDrop = false;
    throw;
  }
  delete FDragAndDropObject;
  FDragAndDropObject = nullptr;
  FFinishingDragAndDrop = false;
}

TDragImageList* TcxControl::GetDragImages() {
  if (!HasDragImages()) return nullptr;
  if (!FDragImages) {
    FDragImages.reset(CreateDragImages());
    InitDragImages(FDragImages.get());
  }
  return FDragImages->Count() > 0 ? FDragImages.get() : nullptr;
}

void TcxControl::InitDragImages(TcxDragImageList* AImageList) {
  const TSize size = GetDragImageSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  AImageList->SetSize(size.cx, size.cy);
  TBitmap bitmap(size.cx, size.cy, pf24bit);
  TcxCanvas canvas(bitmap.Canvas());
  PaintDragImage(&canvas, TRect(0, 0, size.cx, size.cy));
  AImageList->AddMasked(&bitmap, bitmap.TransparentColor());
}

void TcxControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  TCustomControl::DoEndDrag(Target, X, Y);
  if (FDragImages) DragImagesDestroyed(FDragImages.get());
  FDragImages.reset();
}

TcxDragControlObjectFactory TcxControl::GetDragObjectClass() {
  return [](TcxControl* AControl) { return new TcxDragControlObject(AControl); };
}

void TcxControl::DoStartDrag(TDragObject*& DragObject) {
  Update();
  TCustomControl::DoStartDrag(DragObject);
  if (!DragObject)
    if (TcxDragControlObjectFactory factory = GetDragObjectClass()) DragObject = factory(this);
  if (!AllowDragObject(DragObject)) {
    delete DragObject;
    DragObject = nullptr;
    CancelDrag();
  }
}

// ---------------------------------------------------------------------------
// Child components

TOVANI_IMPLEMENT_CLASS(TcxControlChildComponent, TcxComponent)

TcxControlChildComponent::TcxControlChildComponent(TComponent* AOwner) : TcxComponent(AOwner) { Initialize(); }

TcxControlChildComponent::TcxControlChildComponent(TcxControl* AControl, bool AAssignOwner)
    : TcxComponent(AAssignOwner && AControl ? AControl->Owner() : nullptr) {
  Initialize();
  SetControl(AControl);
}

TcxControlChildComponent::~TcxControlChildComponent() { FControl = nullptr; }

TComponent* TcxControlChildComponent::GetParentComponent() const { return FControl; }

void TcxControlChildComponent::SetParentComponent(TComponent* Value) {
  TcxComponent::SetParentComponent(Value);
  if (auto* c = dynamic_cast<TcxControl*>(Value)) SetControl(c);
}
