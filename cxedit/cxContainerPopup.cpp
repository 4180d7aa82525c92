// The base of the editors' popup windows: the list of open popups, focus
// and modal rules, and the thread hooks that close popups when the user
// clicks elsewhere, switches to another application, or their owner goes.
#include <algorithm>

#include "cxContainer.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomPopupWindow, TcxPopupWindow)

namespace {
std::vector<TcxCustomPopupWindow*> GOpenPopups;
std::vector<TcxCustomPopupWindow*> GAllPopups;
HHOOK GCallWndProcHook = nullptr, GGetMessageHook = nullptr, GMouseHook = nullptr;
Integer GActivationLock = 0;
Integer GCaptionLock = 0;

bool IsPopupInList(const TWinControl* AControl) {
  return std::find(GOpenPopups.begin(), GOpenPopups.end(), AControl) != GOpenPopups.end();
}

TCustomForm* OwnerForm(TcxCustomPopupWindow* APopup) {
  return APopup->OwnerControl() ? GetParentForm(APopup->OwnerControl()) : nullptr;
}

bool OwnerAlive(TcxCustomPopupWindow* APopup) {
  TWinControl* owner = APopup->OwnerControl();
  return owner && !owner->ComponentState().Contains(csDestroying);
}

// One message to a window is answered TRUE without reaching it: its window
// procedure is replaced by one that puts the old one back and answers.
constexpr wchar_t kSavedProcProp[] = L"cxSwallowedWndProc";
LRESULT CALLBACK SwallowOnceProc(HWND AWnd, UINT, WPARAM, LPARAM) {
  auto old = reinterpret_cast<LONG_PTR>(GetPropW(AWnd, kSavedProcProp));
  RemovePropW(AWnd, kSavedProcProp);
  if (old) SetWindowLongPtrW(AWnd, GWLP_WNDPROC, old);
  return 1;
}
void SwallowNextMessage(HWND AWnd) {
  if (!AWnd || GetPropW(AWnd, kSavedProcProp)) return;
  LONG_PTR old = SetWindowLongPtrW(AWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SwallowOnceProc));
  SetPropW(AWnd, kSavedProcProp, reinterpret_cast<HANDLE>(old));
}

bool IsPopupOwnerForm(HWND AWnd) {
  for (TcxCustomPopupWindow* p : GOpenPopups) {
    TCustomForm* f = OwnerForm(p);
    if (f && f->HandleAllocated() && f->Handle() == AWnd) return true;
  }
  return false;
}

void CloseWithDeactivateLock(TcxCustomPopupWindow* APopup) {
  APopup->LockDeactivate(true);
  APopup->ClosePopup();
  APopup->LockDeactivate(false);
}

LRESULT CALLBACK CallWndProcHook(int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION && !GOpenPopups.empty()) {
    const CWPSTRUCT& m = *reinterpret_cast<CWPSTRUCT*>(ALParam);
    switch (m.message) {
      case WM_ACTIVATEAPP:
        if (!m.wParam) {
          // Another application became active.
          bool again = true;
          while (again) {
            again = false;
            for (TcxCustomPopupWindow* p : GOpenPopups) {
              if (TCustomForm* f = OwnerForm(p); f && f->HandleAllocated())
                PostMessageW(f->Handle(), WM_NCACTIVATE, FALSE, 0);
              if ((!p->CaptureFocus() || !p->Active()) && p->HandleAllocated() && IsWindowEnabled(p->Handle())) {
                p->ClosePopup();
                if (TcxContainer* c = cxContainerOfControl(p->OwnerControl())) c->UpdateStateFromCursor();
                again = true;
                break;
              }
            }
          }
        }
        break;
      case WM_DESTROY:
        for (TcxCustomPopupWindow* p : GOpenPopups)
          if (p->HandleAllocated() && p->Handle() == m.hwnd) {
            p->ClosePopup();
            break;
          }
        break;
      case WM_CLOSE:
        for (TcxCustomPopupWindow* p : std::vector<TcxCustomPopupWindow*>(GOpenPopups)) {
          if (cxHasWindow(p, m.hwnd, true)) {
            if (p->CloseQuery()) p->ClosePopup();
            if (!p->IsOpen() && p->CaptureFocus() && OwnerAlive(p) && p->OwnerControl()->HandleAllocated()) {
              // Alt+F4 on the popup closes the owner's window too.
              HWND top = GetAncestor(p->OwnerControl()->Handle(), GA_ROOT);
              if (top) PostMessageW(top, WM_CLOSE, 0, 0);
            }
            break;
          }
          if (!p->CaptureFocus() && OwnerAlive(p)) {
            TCustomForm* f = OwnerForm(p);
            if (!f || !f->HandleAllocated() || f->Handle() == m.hwnd) p->ClosePopup();
            break;
          }
        }
        break;
      case WM_SHOWWINDOW:
        if (!m.wParam) {
          // The owner is hidden: its popup and every one opened after it close.
          for (size_t i = GOpenPopups.size(); i-- > 0;) {
            TWinControl* owner = GOpenPopups[i]->OwnerControl();
            if (owner && owner->HandleAllocated() && owner->Handle() == m.hwnd) {
              std::vector<TcxCustomPopupWindow*> closing(GOpenPopups.begin() + ptrdiff_t(i), GOpenPopups.end());
              for (auto it = closing.rbegin(); it != closing.rend(); ++it) (*it)->ClosePopup();
              break;
            }
          }
        }
        break;
      case WM_WINDOWPOSCHANGED: {
        bool again = true;
        while (again) {
          again = false;
          for (TcxCustomPopupWindow* p : GOpenPopups) {
            TWinControl* owner = p->OwnerControl();
            if (owner && owner->HandleAllocated() && owner->Handle() == m.hwnd && !IsWindowVisible(m.hwnd)) {
              p->ClosePopup();
              again = true;
              break;
            }
          }
        }
        break;
      }
      case WM_NCACTIVATE:
        // The owner's form keeps its active caption while its popup is open.
        if (!m.wParam && (GCaptionLock > 0 || IsPopupOwnerForm(m.hwnd))) SwallowNextMessage(m.hwnd);
        break;
    }
  }
  return CallNextHookEx(GCallWndProcHook, ACode, AWParam, ALParam);
}

LRESULT CALLBACK GetMessageHook(int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION && AWParam == PM_REMOVE && !GOpenPopups.empty()) {
    MSG& m = *reinterpret_cast<MSG*>(ALParam);
    if (m.message == WM_SYSKEYDOWN) {
      TcxCustomPopupWindow* last = GOpenPopups.back();
      if ((!last->CaptureFocus() || !last->ModalMode()) && !last->IsSysKeyAccepted(Word(m.wParam)))
        m.message = WM_NULL;
    }
  }
  return CallNextHookEx(GGetMessageHook, ACode, AWParam, ALParam);
}

bool IsClickMessage(WPARAM AMsg) {
  switch (AMsg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

bool IsLeftClick(WPARAM AMsg) {
  return AMsg == WM_LBUTTONDOWN || AMsg == WM_LBUTTONDBLCLK || AMsg == WM_NCLBUTTONDOWN || AMsg == WM_NCLBUTTONDBLCLK;
}

// Closes the popups a click elsewhere ends; false: the click is discarded.
bool CheckClick(HWND AWnd, UINT AMsg, TPoint P) {
  bool result = true;
  ++GCaptionLock;
  bool again = true;
  while (again) {
    again = false;
    for (TcxCustomPopupWindow* p : GOpenPopups) {
      if ((p->CaptureFocus() && !p->Active()) || cxHasWindow(p, AWnd, true)) continue;
      TWinControl* owner = p->OwnerControl();
      TCustomForm* form = OwnerForm(p);
      auto* formPopup = dynamic_cast<TcxCustomPopupWindow*>(form);
      if ((owner && cxIsWindowInControlForm(owner, AWnd)) || (formPopup && !formPopup->IsOpen())) {
        TRect ownerBounds = p->GetOwnerScreenBounds();
        if (ownerBounds.IsEmpty() && owner && owner->HandleAllocated()) {
          RECT r;
          GetWindowRect(owner->Handle(), &r);
          ownerBounds = TRect(r.left, r.top, r.right, r.bottom);
        }
        bool ownerClick = IsLeftClick(AMsg) && owner && cxHasWindow(owner, AWnd, true) && ownerBounds.Contains(P);
        if (!ownerClick && p->ConsumesClosingClick(AWnd, AMsg, KeyboardStateToShiftState(), P)) result = false;
        CloseWithDeactivateLock(p);
        if (ownerClick && (!OwnerAlive(p) || !owner->Visible())) result = false;
        again = true;
        break;
      }
      if (form && form->FormStyle() == fsMDIChild && Application && Application->MainForm()) {
        TCustomForm* frame = Application->MainForm();
        bool mdi = frame->HandleAllocated() &&
                   (AWnd == frame->Handle() || AWnd == frame->ClientHandle() || IsChild(frame->Handle(), AWnd));
        if (mdi) {
          if (p->ConsumesClosingClick(AWnd, AMsg, KeyboardStateToShiftState(), P)) result = false;
          CloseWithDeactivateLock(p);
          again = true;
          break;
        }
      }
    }
  }
  --GCaptionLock;
  return result;
}

LRESULT CALLBACK MouseHook(int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION && !GOpenPopups.empty() && IsClickMessage(AWParam)) {
    const MOUSEHOOKSTRUCT& m = *reinterpret_cast<MOUSEHOOKSTRUCT*>(ALParam);
    if (!CheckClick(m.hwnd, UINT(AWParam), TPoint(m.pt.x, m.pt.y))) return 1;
  }
  return CallNextHookEx(GMouseHook, ACode, AWParam, ALParam);
}

// The hooks live while popups are open.
void UpdateHooks() {
  DWORD thread = GetCurrentThreadId();
  if (!GOpenPopups.empty() && !GCallWndProcHook) {
    GCallWndProcHook = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProcHook, nullptr, thread);
    GGetMessageHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, thread);
    GMouseHook = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, thread);
  } else if (GOpenPopups.empty() && GCallWndProcHook) {
    UnhookWindowsHookEx(GCallWndProcHook);
    UnhookWindowsHookEx(GGetMessageHook);
    UnhookWindowsHookEx(GMouseHook);
    GCallWndProcHook = GGetMessageHook = GMouseHook = nullptr;
  }
}

void AddOpen(TcxCustomPopupWindow* P) {
  if (!IsPopupInList(P)) GOpenPopups.push_back(P);
  UpdateHooks();
}

void RemoveOpen(TcxCustomPopupWindow* P) {
  GOpenPopups.erase(std::remove(GOpenPopups.begin(), GOpenPopups.end(), P), GOpenPopups.end());
  UpdateHooks();
}

// The framework's owner-window hook: a window inside an editor popup
// belongs to the popup's owner control.
HWND PopupOwnerWindow(HWND AWnd) {
  for (TcxCustomPopupWindow* p : GAllPopups)
    if (p->HandleAllocated() && (p->Handle() == AWnd || IsChild(p->Handle(), AWnd)) && p->OwnerControl() &&
        p->OwnerControl()->HandleAllocated())
      return p->OwnerControl()->Handle();
  return AWnd;
}

const bool GOwnerWindowHookSet = (cxGetOwnerWindowHook = &PopupOwnerWindow, true);
}  // namespace

bool cxPopupHooksInstalled() { return GCallWndProcHook != nullptr; }

void cxContainerPopupsStartup() { cxGetOwnerWindowHook = &PopupOwnerWindow; }

void cxContainerPopupsShutdown() {
  while (!GOpenPopups.empty()) {
    TcxCustomPopupWindow* p = GOpenPopups.back();
    p->ClosePopup();
    // A popup that would not close leaves the list anyway.
    if (!GOpenPopups.empty() && GOpenPopups.back() == p) RemoveOpen(p);
  }
  if (cxGetOwnerWindowHook == &PopupOwnerWindow) cxGetOwnerWindowHook = nullptr;
}

bool cxHasWindow(TWinControl* AControl, HWND AWnd, bool AIncludeInner) {
  static Integer depth = 0;
  if (!AControl || !AWnd || !AControl->HandleAllocated() || depth > 16) return false;
  HWND h = AControl->Handle();
  if (AWnd == h) return true;
  if (!AIncludeInner) return false;
  if (IsChild(h, AWnd)) return true;
  ++depth;
  bool found = false;
  for (TcxCustomPopupWindow* p : GOpenPopups) {
    TWinControl* owner = p->OwnerControl();
    if (p == AControl || !owner || !owner->HandleAllocated()) continue;
    if ((owner == AControl || IsChild(h, owner->Handle())) && cxHasWindow(p, AWnd, true)) {
      found = true;
      break;
    }
  }
  --depth;
  return found;
}

bool cxIsWindowInControlForm(TWinControl* AControl, HWND AWnd) {
  TCustomForm* form = AControl ? GetParentForm(AControl) : nullptr;
  if (!form || !form->HandleAllocated() || !AWnd) return false;
  HWND f = form->Handle();
  if (AWnd == f || IsChild(f, AWnd)) return true;
  // A form parented in a foreign window: that window's whole tree counts.
  if (!form->Parent() && form->ParentWindowHandle()) return GetAncestor(AWnd, GA_ROOT) == GetAncestor(f, GA_ROOT);
  return false;
}

// ---------------------------------------------------------------------------
// TcxCustomPopupWindow

TcxCustomPopupWindow::TcxCustomPopupWindow(TWinControl* AOwnerControl) : FOwnerControl(AOwnerControl) {
  SetFormStyle(fsNormal);
  SetVisible(false);
  SetKeyPreview(true);
  FStyle.reset(CreateStyle());
  FStyle->OnChanged = [this](TObject* Sender) { StyleChanged(Sender); };
  FViewInfo.reset(CreateViewInfo());
  GAllPopups.push_back(this);
}

TcxCustomPopupWindow::~TcxCustomPopupWindow() {
  cxInvalidateObjectLinks(this);
  RemoveOpen(this);
  GAllPopups.erase(std::remove(GAllPopups.begin(), GAllPopups.end(), this), GAllPopups.end());
  if (FStyle) FStyle->OnChanged = nullptr;
}

bool TcxCustomPopupWindow::IsPopupOpen(const TWinControl* AControl) { return IsPopupInList(AControl); }
Integer TcxCustomPopupWindow::OpenPopupCount() { return Integer(GOpenPopups.size()); }
TcxCustomPopupWindow* TcxCustomPopupWindow::OpenPopup(Integer AIndex) { return GOpenPopups.at(size_t(AIndex)); }

bool TcxCustomPopupWindow::IsVisible() const { return Visible(); }

void TcxCustomPopupWindow::SetCaptureFocus(bool Value) {
  if (FCaptureFocus == Value) return;
  bool open = IsOpen();
  if (open) ClosePopup();
  FCaptureFocus = Value;
  if (HandleAllocated()) RecreateWnd();
  if (open) Popup(FFocusedControl);
}

void TcxCustomPopupWindow::SetIsTopMost(bool Value) {
  if (FTopMost == Value) return;
  bool open = IsOpen();
  if (open) ClosePopup();
  FTopMost = Value;
  if (HandleAllocated()) RecreateWnd();
  if (open) Popup(FFocusedControl);
}

bool TcxCustomPopupWindow::HasMouseCapture() { return HandleAllocated() && GetCapture() == Handle(); }

bool TcxCustomPopupWindow::IsSysKeyAccepted(Word Key) { return (Key >= VK_PRIOR && Key <= VK_DOWN) || Key == VK_F4; }

bool TcxCustomPopupWindow::Focused() {
  if (!IsOpen() || !FCaptureFocus || !HandleAllocated()) return false;
  HWND f = GetFocus();
  return f && (f == Handle() || IsChild(Handle(), f));
}

TRect TcxCustomPopupWindow::GetOwnerScreenBounds() {
  TRect R = TcxPopupWindow::GetOwnerScreenBounds();
  if (OwnerParent() || !FOwnerControl || !FOwnerControl->HandleAllocated()) return R;
  // Bounds given in the coordinates of a child-style owner's parent.
  if (cxIsChildStyleWindow(FOwnerControl->Handle()) && FOwnerControl->Parent() && !R.IsEmpty())
    return TRect(FOwnerControl->Parent()->ClientToScreen(R.TopLeft()),
                 FOwnerControl->Parent()->ClientToScreen(R.BottomRight()));
  return R;
}

void TcxCustomPopupWindow::AdjustPosition(TPoint& APosition) {
  if (!CalculateSize()) return;
  TRect area = WorkAreaAt(APosition);
  Integer w = Width(), h = Height();
  if (APosition.X < area.Left) {
    w -= area.Left - APosition.X;
    APosition.X = area.Left;
  }
  if (APosition.Y < area.Top) {
    h -= area.Top - APosition.Y;
    APosition.Y = area.Top;
  }
  h = std::min(h, area.Bottom - APosition.Y);
  w = std::min(w, area.Right - APosition.X);
  Integer asked = h;
  SetBounds(Left(), Top(), std::max(w, 0), std::max(h, 0));
  if (Height() != asked && APosition.Y == area.Top) APosition.Y += asked - Height();
}

void TcxCustomPopupWindow::Popup(TWinControl* AFocusedControl) {
  if (IsOpen() || !FOwnerControl || !FOwnerControl->HandleAllocated() || !IsWindowVisible(FOwnerControl->Handle()))
    return;
  InheritOwnerFont();
  AdjustSizeToControls();
  TPoint p(Left(), Top());
  CalcPosition(p);
  AdjustPosition(p);
  ++GCaptionLock;
  AddOpen(this);
  DoShowing();
  SetBounds(p.X, p.Y, Width(), Height());
  if (FCaptureFocus) {
    Show();
  } else {
    SetVisible(true);
  }
  SetBounds(p.X, p.Y, Width(), Height());
  if (!FCaptureFocus) {
    FFocusedControl = AFocusedControl;
  } else {
    TWinControl* target = nullptr;
    if (AFocusedControl && AFocusedControl->CanFocus() && AFocusedControl->TabStop())
      target = AFocusedControl;
    else if (AFocusedControl)
      target = FindNextControl(nullptr, true, true, false);
    FFocusedControl = target ? target : this;
    ++GActivationLock;
    if (FFocusedControl->CanFocus()) FFocusedControl->SetFocus();
    --GActivationLock;
  }
  TCustomForm* form = OwnerForm(this);
  bool topmost = !form || form->FormStyle() == fsStayOnTop || !FCaptureFocus;
  SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  --GCaptionLock;
  SetModalResult(mrNone);
  DoShowed();
  if (!FCaptureFocus || !FModalMode) return;
  TcxObjectLinkGuard link(this);
  while (link.Alive() && Visible() && Application && !Application->Terminated()) {
    MSG m;
    if (PeekMessageW(&m, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) &&
        (m.wParam == VK_RETURN || m.wParam == VK_MENU || m.wParam == VK_SPACE))
      PeekMessageW(&m, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    if (ModalResult() != mrNone) {
      if (CloseQuery()) {
        CloseAfterModalResult();
        if (!link.Alive() || !Visible()) break;
      } else {
        SetModalResult(mrNone);
      }
    }
    Application->HandleMessage();
  }
}

void TcxCustomPopupWindow::ClosePopup() {
  if (!IsOpen()) return;
  ++GActivationLock;
  RemoveOpen(this);
  DoClosing();
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  Hide();
  DoClosed();
  HWND capture = GetCapture();
  if (capture && HandleAllocated() && (capture == Handle() || IsChild(Handle(), capture))) ReleaseCapture();
  --GActivationLock;
  if (GOpenPopups.empty()) {
    TCustomForm* form = OwnerForm(this);
    if (form && form->HandleAllocated() && GetActiveWindow() != form->Handle())
      SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  }
}

void TcxCustomPopupWindow::PostCloseRequest(TcxCustomPopupWindow* APopup) {
  if (APopup && APopup->HandleAllocated()) PostMessageW(APopup->Handle(), DXM_CLOSEPOPUPWINDOW, 0, 0);
}

void TcxCustomPopupWindow::Deactivate() {
  TForm::Deactivate();
  if (DeactivateLocked()) return;
  HWND active = GetActiveWindow();
  std::vector<TcxCustomPopupWindow*> open = GOpenPopups;
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    TcxCustomPopupWindow* p = *it;
    if (!IsPopupInList(p)) continue;
    if (p->HandleAllocated() && p->Handle() == active) break;
    if (p->Enabled() && !p->DeactivateLocked()) p->ClosePopup();
  }
  if (!GOpenPopups.empty()) ClosePopup();
}

void TcxCustomPopupWindow::AdjustClientRect(TRect& Rect) {
  TcxPopupWindow::AdjustClientRect(Rect);
  if (!FViewInfo->ClientRect.IsEmpty()) Rect = FViewInfo->ClientRect;
}

void TcxCustomPopupWindow::CreateHandle() {
  // While the window is made the hooks count it as open.
  bool added = !IsOpen();
  if (added) GOpenPopups.push_back(this);
  try {
    TcxPopupWindow::CreateHandle();
  } catch (...) {
    if (added) GOpenPopups.erase(std::remove(GOpenPopups.begin(), GOpenPopups.end(), this), GOpenPopups.end());
    throw;
  }
  if (added) GOpenPopups.erase(std::remove(GOpenPopups.begin(), GOpenPopups.end(), this), GOpenPopups.end());
}

void TcxCustomPopupWindow::CreateParams(TCreateParams& Params) {
  TcxPopupWindow::CreateParams(Params);
  TCustomForm* form = OwnerForm(this);
  if (FCaptureFocus) {
    if (form && form->HandleAllocated()) Params.WndParent = form->Handle();
    Params.Style = (Params.Style & ~DWORD(WS_CHILD)) | WS_POPUP;
    Params.ExStyle &= ~DWORD(WS_EX_TOPMOST);
    if (FTopMost && (!form || form->FormStyle() == fsStayOnTop)) Params.ExStyle |= WS_EX_TOPMOST;
  } else {
    Params.Style = WS_CHILD;
    Params.ExStyle = WS_EX_TOOLWINDOW;
    if (!Params.WndParent && cxGetMessageWindow()) Params.WndParent = cxGetMessageWindow()->Handle();
  }
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxCustomPopupWindow::CreateWnd() {
  TcxPopupWindow::CreateWnd();
  // A popup that leaves the focus where it is lives on the desktop.
  if (!FCaptureFocus && HandleAllocated()) ::SetParent(Handle(), GetDesktopWindow());
}

void TcxCustomPopupWindow::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && HasMouseCapture()) {
    ReleaseCapture();
    Key = 0;
    return;
  }
  TcxPopupWindow::KeyDown(Key, Shift);
}

void TcxCustomPopupWindow::Paint() {
  FViewInfo->Bounds = TRect(0, 0, Width(), Height());
  if (FViewInfo->ClientRect.IsEmpty()) {
    FViewInfo->BorderRect = FViewInfo->Bounds;
    FViewInfo->ClientRect = FViewInfo->Bounds;
    FViewInfo->BorderStyle = cbsNone;
  }
  FViewInfo->BackgroundColor = FStyle->Color();
  FViewInfo->PaintOn(cxCanvas());
  PaintFrame();
}

void TcxCustomPopupWindow::VisibleChanged() {
  TcxPopupWindow::VisibleChanged();
  if (Visible() || !FCaptureFocus || !FOwnerControl || !OwnerAlive(this)) return;
  TCustomForm* form = OwnerForm(this);
  // The owner gets the focus back when its form still has it.
  if (form && form->Active() && !form->ComponentState().Contains(csDesigning) && FOwnerControl->CanFocus())
    FOwnerControl->SetFocus();
}

void TcxCustomPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATEAPP:
      // The window-procedure hook decides what an application switch closes.
      DefaultHandler(Message);
      return;
    case WM_ERASEBKGND:
      if (!ErasesBackground()) {
        Message.Result = 1;
        return;
      }
      break;
    case DXM_CLOSEPOPUPWINDOW:
      FClosingByMessage = true;
      LockDeactivate(true);
      ClosePopup();
      LockDeactivate(false);
      FClosingByMessage = false;
      if (FOwnerControl && FOwnerControl->HandleAllocated()) SendMessageW(FOwnerControl->Handle(), WM_SETFOCUS, 0, 0);
      return;
    case DXM_SHOWPOPUPWINDOW:
      Popup(FFocusedControl);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      break;
  }
  TcxPopupWindow::Dispatch(Message);
}
