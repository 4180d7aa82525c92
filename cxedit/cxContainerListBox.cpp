// The list box used as the inner control of list-style containers: its
// input goes to the container, the library's own scroll bars lie over its
// native ones, and typing searches the items by whole characters.
#include <algorithm>

#include "Utf8.h"
#include "VclUtils.h"
#include "cxContainer.h"
#include "cxEditPaintUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomInnerListBox, TListBox)

TcxCustomInnerListBox::TcxCustomInnerListBox(TComponent* AOwner) : TListBox(AOwner) {
  SetBorderStyle(bsNone);
  SetControlStyle(ControlStyle() - csOpaque + csDoubleClicks);
  SetParentColor(false);
  SetParentFont(true);
  FCanvas = std::make_unique<TcxCanvas>(Canvas());
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { RepaintIfHandle(); };
  for (TScrollBarKind kind : {sbHorizontal, sbVertical}) {
    auto* bar = new TcxScrollBar(this);
    bar->SetKind(kind);
    bar->SetSmallChange(1);
    bar->SetVisible(false);
    bar->LookAndFeel()->SetMaster(FLookAndFeel.get());
    bar->FreeNotification(this);
    bar->OnScroll = [this, kind](TObject*, TScrollCode Code, Integer& Pos) { ScrollBarScroll(kind, Code, Pos); };
    (kind == sbHorizontal ? FHScrollBar : FVScrollBar) = bar;
  }
}

TcxCustomInnerListBox::~TcxCustomInnerListBox() {
  // The bars belong to this list box (as components) wherever they are parented.
  delete FHScrollBar;
  delete FVScrollBar;
  FHScrollBar = FVScrollBar = nullptr;
}

void TcxCustomInnerListBox::RepaintIfHandle() {
  if (HandleAllocated()) Invalidate();
}

TPopupMenu* TcxCustomInnerListBox::GetPopupMenu() {
  return FContainer ? FContainer->GetPopupMenu() : TListBox::GetPopupMenu();
}

// ---------------------------------------------------------------------------
// Input handed to the container

void TcxCustomInnerListBox::KeyDown(Word& Key, TShiftState Shift) {
  if (FContainer) FContainer->DoInnerKeyDown(Key, Shift);
  if (Key != 0) TListBox::KeyDown(Key, Shift);
}

void TcxCustomInnerListBox::KeyUp(Word& Key, TShiftState Shift) {
  if (Key == VK_TAB) Key = 0;
  if (FContainer) FContainer->DoInnerKeyUp(Key, Shift);
  if (Key != 0) TListBox::KeyUp(Key, Shift);
}

void TcxCustomInnerListBox::KeyPress(char32_t& Key) {
  if (Key == U'\t') Key = 0;
  if (Key != 0 && FContainer) FContainer->DoInnerKeyPress(Key);
  if (Key == U'\r') Key = 0;
  if (Key == 0) return;
  TListBox::KeyPress(Key);   // the list box's own OnKeyPress
  if (Key != 0) DoIncrementalSearch(Key);
}

void TcxCustomInnerListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TListBox::MouseDown(Button, Shift, X, Y);
  if (!FContainer) return;
  FContainer->SetInnerControlMouseDown(true);
  TcxObjectLinkGuard link(FContainer);
  FContainer->DoInnerMouseDown(Button, Shift, X + Left(), Y + Top());
  if (link.Alive()) FContainer->SetInnerControlMouseDown(false);
}

void TcxCustomInnerListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TListBox::MouseMove(Shift, X, Y);
  if (FContainer) FContainer->DoInnerMouseMove(Shift, X + Left(), Y + Top());
}

void TcxCustomInnerListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TListBox::MouseUp(Button, Shift, X, Y);
  if (FContainer) FContainer->DoInnerMouseUp(Button, Shift, X + Left(), Y + Top());
}

bool TcxCustomInnerListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (FContainer && FContainer->DoInnerMouseWheel(Shift, WheelDelta, MousePos)) return true;
  return TListBox::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TcxCustomInnerListBox::Click() {
  TListBox::Click();
  if (FVScrollBar && FVScrollBar->Visible()) FVScrollBar->SetPosition(TopIndex());
  if (FContainer) FContainer->Click();
}

void TcxCustomInnerListBox::DblClick() {
  TListBox::DblClick();
  if (FContainer) FContainer->DblClick();
}

// ---------------------------------------------------------------------------
// Type-ahead search by whole characters

void TcxCustomInnerListBox::DoIncrementalSearch(char32_t& Key) {
  if (!FAutoComplete) return;
  DWORD now = TickCount();
  if (!FHasLastKey || now - FLastKeyTime >= FAutoCompleteDelay) FFilter.clear();
  FLastKeyTime = now;
  FHasLastKey = true;
  if (Key == U'\b') {
    if (!FFilter.empty()) FFilter.erase(Utf8PrevChar(FFilter, FFilter.size()));
  } else if (Key >= 32) {
    Utf8Append(FFilter, Key);
  }
  if (FFilter.empty()) {
    if (Count() > 0) {
      SetItemIndex(0);
      Click();
    }
  } else if (HandleAllocated()) {
    std::u16string w = Utf8ToUtf16(FFilter);
    LRESULT found = SendMessageW(Handle(), LB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(w.c_str()));
    if (found != LB_ERR) {
      if (MultiSelect()) {
        ClearSelection();
        SetSelected(Integer(found), true);
      }
      SetItemIndex(Integer(found));
      Click();
    }
  }
  if (!FFilter.empty() && Key != U'\b' && Key != U'\r' && Key != 27) Key = 0;
}

// ---------------------------------------------------------------------------
// Own scroll bars

void TcxCustomInnerListBox::PlaceScrollBar(TcxScrollBar* ABar, TScrollBarKind AKind) {
  SCROLLBARINFO info;
  bool shown = false;
  if (Parent() && cxGetScrollBarInfo(Handle(), AKind == sbHorizontal ? LONG(OBJID_HSCROLL) : LONG(OBJID_VSCROLL), info) &&
      (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) == 0) {
    TPoint tl = Parent()->ScreenToClient(TPoint(info.rcScrollBar.left, info.rcScrollBar.top));
    TPoint br = Parent()->ScreenToClient(TPoint(info.rcScrollBar.right, info.rcScrollBar.bottom));
    TRect R(tl, br);
    TPoint origin = Parent()->ClientRect().TopLeft();
    if (R.Left >= origin.X && R.Top >= origin.Y && R.Width() <= Width() && R.Height() <= Height() && !R.IsEmpty()) {
      ++FScrollBarsLockCount;
      if (ABar->Parent() != Parent()) ABar->SetParent(Parent());
      --FScrollBarsLockCount;
      ABar->SetBoundsRect(R);
      ABar->SetEnabled((info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0 && Parent()->Enabled());
      ABar->SetVisible(true);
      ABar->BringToFront();
      shown = true;
    }
  }
  if (!shown) {
    ABar->SetVisible(false);
    ABar->SetBoundsRect(TRect());
  }
}

void TcxCustomInnerListBox::UpdateScrollBars() {
  if (ComponentState().Contains(csDestroying) || FScrollBarsLockCount > 0 || FRedrawLocked ||
      !cxScrollBarInfoAvailable() || !HandleAllocated() || FScrollBarsCalculating)
    return;
  FScrollBarsCalculating = true;
  for (TcxScrollBar* bar : {FHScrollBar, FVScrollBar}) {
    if (!bar) continue;
    PlaceScrollBar(bar, bar->Kind());
    if (!bar->Visible()) continue;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(Handle(), bar->Kind() == sbHorizontal ? SB_HORZ : SB_VERT, &si);
    Integer maxValue = std::max<Integer>(si.nMax, si.nMin);
    Integer page = std::min<Integer>(Integer(si.nPage), maxValue);
    try {
      bar->SetScrollParams(si.nMin, maxValue, true, std::max(page, 0), si.nPos);
    } catch (const Exception&) {
      // A range the bar cannot take leaves it as it was.
    }
    bar->SetSmallChange(1);
  }
  FScrollBarsCalculating = false;
}

void TcxCustomInnerListBox::ScrollBarScroll(TScrollBarKind AKind, TScrollCode ACode, Integer& APos) {
  if (!HandleAllocated()) return;
  if (AKind == sbHorizontal) {
    // Sent as the list box's own bar (no sender window): the class library
    // would hand a message naming another window to that window.
    SendMessageW(Handle(), WM_HSCROLL, MAKEWPARAM(ACode, APos), 0);
    APos = GetScrollPos(Handle(), SB_HORZ);
    return;
  }
  switch (ACode) {
    case scLineUp:
    case scLineDown:
      SetTopIndex(APos);
      break;
    case scPosition:
    case scTrack:
      SetTopIndex(APos);
      APos = TopIndex();
      break;
    default:
      SendMessageW(Handle(), WM_VSCROLL, MAKEWPARAM(ACode, APos), 0);
      APos = GetScrollPos(Handle(), SB_VERT);
      break;
  }
}

TRect TcxCustomInnerListBox::SizeGripRect() {
  if (!FHScrollBar || !FVScrollBar || !FHScrollBar->Visible() || !FVScrollBar->Visible()) return TRect();
  TRect h = FHScrollBar->BoundsRect(), v = FVScrollBar->BoundsRect();
  return TRect(v.Left - Left(), h.Top - Top(), v.Left - Left() + v.Width(), h.Top - Top() + h.Height());
}

void TcxCustomInnerListBox::PaintSizeGrip(HDC DC) {
  TRect R = SizeGripRect();
  if (R.IsEmpty()) return;
  TColor color = FContainer ? FContainer->GetPainter()->GetSizeGripColor() : clBtnFace;
  cxFillSolidRect(DC, R, color);
}

// ---------------------------------------------------------------------------
// Messages

void TcxCustomInnerListBox::WndProc(TMessage& Message) {
  if (FContainer && FContainer->HandleInnerControlKey(Message)) return;
  TcxObjectLinkGuard link(this);
  TListBox::WndProc(Message);
  if (!link.Alive()) return;
  switch (Message.Msg) {
    case WM_SETREDRAW:
      if (!Message.WParam) break;
      [[fallthrough]];
    case WM_WINDOWPOSCHANGED:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case LB_SETHORIZONTALEXTENT:
    case LB_SETTOPINDEX:
    case LB_SETCOUNT:
    case WM_MOUSEWHEEL:
    case CM_WININICHANGE:
      UpdateScrollBars();
      if (Message.Msg == WM_WINDOWPOSCHANGED && HandleAllocated()) {
        TRect grip = SizeGripRect();
        if (!grip.IsEmpty()) {
          HRGN rgn = CreateRectRgn(grip.Left, grip.Top, grip.Right, grip.Bottom);
          SendMessageW(Handle(), WM_NCPAINT, WPARAM(rgn), 0);
          DeleteObject(rgn);
        }
      }
      break;
  }
}

void TcxCustomInnerListBox::DefaultHandler(TMessage& Message) {
  if (FContainer && FContainer->InnerControlDefaultHandler(Message)) return;
  TListBox::DefaultHandler(Message);
}

void TcxCustomInnerListBox::DestroyWindowHandle() {
  FRedrawLocked = false;
  TListBox::DestroyWindowHandle();
}

void TcxCustomInnerListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TListBox::Dispatch(Message);
      Message.Result |= DLGC_WANTCHARS;
      if (GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
      return;
    case WM_SETFOCUS:
      TListBox::Dispatch(Message);
      if (FContainer && !FContainer->IsDestroying() &&
          !(FContainer->HandleAllocated() && HWND(Message.WParam) == FContainer->Handle()))
        FContainer->DoInnerFocusChanged();
      return;
    case WM_KILLFOCUS:
      TListBox::Dispatch(Message);
      if (FContainer && !FContainer->IsDestroying()) FContainer->DoInnerFocusChanged();
      return;
    case WM_NCPAINT: {
      TListBox::Dispatch(Message);
      if (HandleAllocated() && !SizeGripRect().IsEmpty()) {
        HDC dc = GetWindowDC(Handle());
        PaintSizeGrip(dc);
        ReleaseDC(Handle(), dc);
      }
      return;
    }
    case WM_PRINT:
      if (Message.LParam & PRF_NONCLIENT) {
        PaintSizeGrip(HDC(Message.WParam));
        Message.LParam &= ~LPARAM(PRF_NONCLIENT);
      }
      break;
    case WM_NCCALCSIZE:
      TListBox::Dispatch(Message);
      if (!FScrollBarsCalculating) UpdateScrollBars();
      return;
    case WM_SETREDRAW:
      DefaultHandler(Message);
      FRedrawLocked = Message.WParam == 0;
      return;
    case WM_PRINTCLIENT:
      DefaultHandler(Message);
      return;
    case CN_DRAWITEM:
      DrawItemMessage(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
      Message.Result = 1;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FContainer && FContainer->DragMode() == dmAutomatic && !ComponentState().Contains(csDesigning)) {
        LeftButtonDownWithDrag(Message);
        return;
      }
      break;
  }
  TListBox::Dispatch(Message);
}

// The container drags itself: a press on a selected item of a multi-select
// list starts dragging at once (the selection stays); other presses are
// handled normally and start dragging afterwards unless they extend a
// multi-selection.
void TcxCustomInnerListBox::LeftButtonDownWithDrag(TMessage& Message) {
  TcxContainer* c = FContainer;
  c->SetDragMode(dmManual);
  TcxObjectLinkGuard link(c);
  TShiftState shift = KeysToShiftState(Word(Message.WParam));
  TPoint p(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
  Integer index = ItemAtPos(p, true);
  bool onSelected = MultiSelect() && index >= 0 && Selected(index) &&
                    !(shift.Contains(ssShift) && !shift.Contains(ssCtrl));
  if (onSelected) {
    c->BeginDrag(false);
  } else {
    TListBox::Dispatch(Message);
    if (link.Alive() && !(MultiSelect() && (shift.Contains(ssCtrl) || shift.Contains(ssShift)))) c->BeginDrag(false);
  }
  if (link.Alive()) c->SetDragMode(dmAutomatic);
}

// Items are drawn on the list's canvas; the focus rectangle only when no
// owner-draw handler paints the item itself.
void TcxCustomInnerListBox::DrawItemMessage(const DRAWITEMSTRUCT& ADis) {
  TItemDrawState state;
  if (ADis.itemState & ODS_SELECTED) state.Include(odsSelected);
  if (ADis.itemState & ODS_FOCUS) state.Include(odsFocused);
  if (ADis.itemState & ODS_DISABLED) state.Include(odsDisabled);
  TRect r(ADis.rcItem.left, ADis.rcItem.top, ADis.rcItem.right, ADis.rcItem.bottom);
  TCanvas* canvas = Canvas();
  canvas->SetHandle(ADis.hDC);
  canvas->Font()->Assign(Font());
  canvas->Brush()->Assign(Brush());
  if (state.Contains(odsSelected)) {
    canvas->Brush()->SetColor(clHighlight);
    canvas->Font()->SetColor(clHighlightText);
  }
  try {
    if (int(ADis.itemID) < 0)
      canvas->FillRect(r);
    else
      DrawItem(Integer(ADis.itemID), r, state);
  } catch (...) {
    canvas->SetHandle(nullptr);
    throw;
  }
  if (state.Contains(odsFocused) && IsDrawItemDefault()) ::DrawFocusRect(ADis.hDC, r.AsRECT());
  canvas->SetHandle(nullptr);
}

void TcxCustomInnerListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TListBox::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FContainer) FContainer = nullptr;
}
