// The flat combo box, the scrolling window and the toolbar panel of the
// report engine's windows.
#include "frxCtrls.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "Forms.h"
#include "Graphics.h"

TOVANI_IMPLEMENT_CLASS(TfrxCustomComboBox, TCustomComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxComboBox, TfrxCustomComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxScrollWin, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTBPanel, TPanel)

TOVANI_PUBLISHED(TfrxComboBox) {
  Property("ListWidth", &TfrxComboBox::ListWidth, &TfrxComboBox::SetListWidth).Default(0);
  Property("ReadOnly", &TfrxComboBox::ReadOnly, &TfrxComboBox::SetReadOnly).Default(false);
}

TColor frxBlendColor(TColor Color1, TColor Color2, Integer Amount) {
  const COLORREF c1 = ColorToRGB(Color1), c2 = ColorToRGB(Color2);
  const int base = Amount < 100 ? 100 : 1000;
  auto mix = [&](int shift) {
    const int a = int((c1 >> shift) & 0xFF), b = int((c2 >> shift) & 0xFF);
    return (b * (base - Amount) + a * Amount + base / 2) / base;
  };
  return TColor(RGB(mix(0), mix(8), mix(16)));
}

Integer frxFontTextHeight(TFont* Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return Integer(tm.tmHeight);
}

namespace {
constexpr const char16_t* kListProp = u"frxComboList";

void FrameWith(HDC dc, const RECT& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

void FillWith(HDC dc, const RECT& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &r, b);
  DeleteObject(b);
}

Integer RoundHalfEven(double v) { return Integer(std::nearbyint(v)); }
}  // namespace

// ---------------------------------------------------------------------------
// TfrxCustomComboBox

TfrxCustomComboBox::TfrxCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  SetItemHeight(frxFontTextHeight(Font()));
  FWidth = 100;
}

TfrxCustomComboBox::~TfrxCustomComboBox() {
  UnhookList();
  DestroyHandle();
}

void TfrxCustomComboBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  // Always a drop-down combo with a fixed-height owner-drawn list.
  Params.Style = (Params.Style & ~DWORD(CBS_SIMPLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE)) | CBS_DROPDOWN |
                 CBS_OWNERDRAWFIXED;
}

void TfrxCustomComboBox::InitializeWindow() {
  inherited::InitializeWindow();
  if (HWND edit = EditHandle()) SendMessageW(edit, EM_SETREADONLY, FReadOnly, 0);
  // The list is the combo's window that is not the edit.
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (GetComboBoxInfo(FHandle, &info) && info.hwndList) HookList(info.hwndList);
  PlaceEdit();
}

void TfrxCustomComboBox::DestroyWnd() {
  UnhookList();
  inherited::DestroyWnd();
}

void TfrxCustomComboBox::HookList(HWND List) {
  UnhookList();
  FListHandle = List;
  SetPropW(List, reinterpret_cast<LPCWSTR>(kListProp), this);
  FListDefProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(List, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfrxCustomComboBox::ListProc)));
}

void TfrxCustomComboBox::UnhookList() {
  if (FListHandle && FListDefProc && IsWindow(FListHandle)) {
    SetWindowLongPtrW(FListHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FListDefProc));
    RemovePropW(FListHandle, reinterpret_cast<LPCWSTR>(kListProp));
  }
  FListHandle = nullptr;
  FListDefProc = nullptr;
}

LRESULT CALLBACK TfrxCustomComboBox::ListProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* combo = static_cast<TfrxCustomComboBox*>(GetPropW(h, reinterpret_cast<LPCWSTR>(kListProp)));
  if (!combo || !combo->FListDefProc) return DefWindowProcW(h, msg, wParam, lParam);
  try {
    return combo->ListWindowProc(msg, wParam, lParam);
  } catch (...) {
    HandleControlException(combo);
    return 0;
  }
}

LRESULT TfrxCustomComboBox::ListWindowProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(LParam);
      const Integer w = FListWidth > 0 ? FListWidth : Width();
      const Integer h = ListHeight();
      wp->cx = w;
      wp->cy = h;
      const TPoint bottom = ClientToScreen(TPoint(w, frxFontTextHeight(Font()) + h + 6));
      FDropUp = bottom.Y > GetSystemMetrics(SM_CYSCREEN);
      return 0;
    }
    case LB_SETTOPINDEX:
      // Keeps the first items in view while the selection is among them.
      if (ItemIndex() <= DropDownCount()) return 0;
      break;
    default:
      break;
  }
  return CallWindowProcW(FListDefProc, FListHandle, Msg, WParam, LParam);
}

Integer TfrxCustomComboBox::ListHeight() {
  const Integer count = Items()->Count();
  const Integer ih = ItemHeight();
  if (DropDownCount() > 0 && count > 0)
    return ih * std::min(Integer(Word(DropDownCount())), Integer(Word(count))) + 2;
  return ih + 2;
}

bool TfrxCustomComboBox::IsActive() {
  if (ComponentState().Contains(csDesigning)) return true;
  if (DroppedDown()) return true;
  if (FHandle && EditHandle() && GetFocus() == EditHandle()) return true;
  return FMouseInControl;
}

void TfrxCustomComboBox::SetReadOnly(bool v) {
  if (FReadOnly == v) return;
  FReadOnly = v;
  if (FHandle && EditHandle()) SendMessageW(EditHandle(), EM_SETREADONLY, v, 0);
}

void TfrxCustomComboBox::SetEditOffset(Integer v) {
  FEditOffset = std::max(0, v);
  PlaceEdit();
  Invalidate();
}

void TfrxCustomComboBox::PlaceEdit() {
  if (!FHandle) return;
  HWND edit = EditHandle();
  if (!edit) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  const Integer h = std::min<Integer>(Height(), r.bottom - r.top);
  SetWindowPos(edit, nullptr, FEditOffset + 3, 3, Width() - FButtonWidth - FEditOffset - 8, h - 6,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrxCustomComboBox::DrawImage(HDC DC) {
  if (FEditOffset <= 0) return;
  RECT r{3, 3, 3 + FEditOffset, Height() - 3};
  FillWith(DC, r, clWindow);
}

void TfrxCustomComboBox::DrawFrame(HDC DC, bool Hot) {
  RECT r{0, 0, Width(), Height()};
  FrameWith(DC, r, Hot ? clHighlight : clBtnFace);
  InflateRect(&r, -1, -1);
  FrameWith(DC, r, clWindow);
  InflateRect(&r, -1, -1);
  r.right -= FButtonWidth + 2;
  FrameWith(DC, r, clWindow);
}

void TfrxCustomComboBox::DrawGlyph(HDC DC, Integer X, Integer Y, TColor Color) {
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(Color));
  HGDIOBJ old = SelectObject(DC, pen);
  for (Integer i = 0; i < 3; ++i) {
    MoveToEx(DC, X + i, Y + i, nullptr);
    LineTo(DC, X + 5 - i, Y + i);
  }
  SelectObject(DC, old);
  DeleteObject(pen);
}

void TfrxCustomComboBox::DrawButton(HDC DC, TButtonLook Look) {
  const Integer w = Width(), h = Height();
  RECT r{w - FButtonWidth - 3, 1, w - 1, h - 1};
  const Integer arrowX = RoundHalfEven(FButtonWidth / 2.0) + w - FButtonWidth - 4;
  const Integer arrowY = RoundHalfEven((h - 4) / 2.0) + 1;
  TColor separator = clWindow, arrow = clBtnText;
  switch (Look) {
    case blNormal:
      FillWith(DC, r, clBtnFace);
      FrameWith(DC, r, clWindow);
      break;
    case blHot:
      FillWith(DC, r, frxBlendColor(clHighlight, clWindow, 30));
      separator = clHighlight;
      break;
    case blPressed:
      FillWith(DC, r, frxBlendColor(clHighlight, clWindow, 50));
      separator = clHighlight;
      arrow = clCaptionText;
      break;
  }
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(separator));
  HGDIOBJ old = SelectObject(DC, pen);
  MoveToEx(DC, w - FButtonWidth - 4, 1, nullptr);
  LineTo(DC, w - FButtonWidth - 4, h - 1);
  SelectObject(DC, old);
  DeleteObject(pen);
  DrawGlyph(DC, arrowX, arrowY, arrow);
}

void TfrxCustomComboBox::DrawDisabled(HDC DC) {
  const Integer w = Width(), h = Height();
  RECT r{0, 0, w, h};
  FillWith(DC, r, clBtnFace);
  FrameWith(DC, r, clBtnShadow);
  DrawGlyph(DC, RoundHalfEven(FButtonWidth / 2.0) + w - FButtonWidth - 4, RoundHalfEven((h - 4) / 2.0) + 1,
            clGrayText);
}

void TfrxCustomComboBox::PaintFlat(bool Hot, bool Pressed) {
  if (!FHandle) return;
  HDC dc = GetWindowDC(FHandle);
  if (IsEnabled()) {
    DrawImage(dc);
    DrawFrame(dc, Hot);
    DrawButton(dc, Pressed ? blPressed : Hot ? blHot : blNormal);
  } else {
    DrawDisabled(dc);
  }
  ReleaseDC(FHandle, dc);
}

void TfrxCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: {
      inherited::Dispatch(Message);
      const bool active = IsActive();
      PaintFlat(active, active && DroppedDown());
      return;
    }
    case WM_SETTEXT:
      inherited::Dispatch(Message);
      Invalidate();
      return;
    case WM_WINDOWPOSCHANGING:
      inherited::Dispatch(Message);
      PlaceEdit();
      return;
    case WM_SIZE:
      // The combo places its edit itself on a size change; ours wins.
      inherited::Dispatch(Message);
      PlaceEdit();
      return;
    case WM_PARENTNOTIFY:
      if (LOWORD(Message.WParam) == WM_CREATE) {
        // Only the list: the edit keeps the window procedure that hands
        // its keys to the combo box (it may not be known yet here).
        HWND child = reinterpret_cast<HWND>(Message.LParam);
        WCHAR cls[16] = {};
        if (child && GetClassNameW(child, cls, 16) && lstrcmpiW(cls, L"ComboLBox") == 0) HookList(child);
      }
      break;
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case CBN_SETFOCUS: PaintFlat(true, false); break;
        case CBN_KILLFOCUS: PaintFlat(false, false); break;
        case CBN_CLOSEUP:
          inherited::Dispatch(Message);
          PaintFlat(true, false);
          return;
        default: break;
      }
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (Message.LParam != 0) return;  // a child's, passed up
      FMouseInControl = Message.Msg == CM_MOUSEENTER;
      if (IsEnabled() && !DroppedDown() && !(EditHandle() && GetFocus() == EditHandle()))
        PaintFlat(FMouseInControl, false);
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(Message);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      SetItemHeight(frxFontTextHeight(Font()));
      if (FHandle) RecreateWnd();
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TfrxScrollWin

TfrxScrollWin::TfrxScrollWin(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle.Include(csNeedsBorderPaint);
  FControlStyle.Include(csOpaque);
}

void TfrxScrollWin::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  if (HandleAllocated()) RecreateWnd();
}

void TfrxScrollWin::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN;
  if (FBorderStyle == bsSingle) {
    // With 3-D controls the single border is the client edge.
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TfrxScrollWin::InitializeWindow() {
  inherited::InitializeWindow();
  InitializeFlatSB(FHandle);
  UpdateScrollBar(SB_HORZ);
  UpdateScrollBar(SB_VERT);
}

void TfrxScrollWin::UpdateScrollBar(int Bar) {
  if (!HandleAllocated()) return;
  const bool vert = Bar == SB_VERT;
  const Integer range = vert ? FVertRange : FHorzRange;
  const Integer page = vert ? FVertPage : FHorzPage;
  const Integer pos = vert ? FVertPosition : FHorzPosition;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = range < page ? 0 : range;
  si.nPage = UINT(std::max(0, page));
  si.nPos = pos;
  si.nTrackPos = pos;
  FlatSB_SetScrollInfo(FHandle, Bar, &si, TRUE);
}

Integer TfrxScrollWin::GetTrackPos(int Bar, Integer Fallback) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_TRACKPOS;
  if (HandleAllocated() && FlatSB_GetScrollInfo(FHandle, Bar, &si)) return si.nTrackPos;
  return Fallback;
}

void TfrxScrollWin::SetHorzRange(Integer v) {
  FHorzRange = v;
  UpdateScrollBar(SB_HORZ);
}

void TfrxScrollWin::SetVertRange(Integer v) {
  FVertRange = v;
  UpdateScrollBar(SB_VERT);
}

void TfrxScrollWin::SetHorzPage(Integer v) {
  FHorzPage = v;
  SetHorzRange(FHorzRange);
}

void TfrxScrollWin::SetVertPage(Integer v) {
  FVertPage = v;
  SetVertRange(FVertRange);
}

void TfrxScrollWin::SetHorzPosition(Integer v) {
  v = std::max(0, std::min(v, FHorzRange - FHorzPage));
  if (v == FHorzPosition) return;
  FHorzPosition = v;
  UpdateScrollBar(SB_HORZ);
  OnHScrollChange();
}

void TfrxScrollWin::SetVertPosition(Integer v) {
  v = std::max(0, std::min(v, FVertRange - FVertPage));
  if (v == FVertPosition) return;
  FVertPosition = v;
  UpdateScrollBar(SB_VERT);
  OnVScrollChange();
}

void TfrxScrollWin::ScrollMessage(int Bar, Integer Code, Integer Pos) {
  const bool vert = Bar == SB_VERT;
  const Integer pos = vert ? FVertPosition : FHorzPosition;
  Integer next;
  switch (Code) {
    case SB_LINEUP: next = pos - FSmallChange; break;
    case SB_LINEDOWN: next = pos + FSmallChange; break;
    case SB_PAGEUP: next = pos - FLargeChange; break;
    case SB_PAGEDOWN: next = pos + FLargeChange; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = GetTrackPos(Bar, Pos); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = vert ? FVertRange : FHorzRange; break;
    default: return;
  }
  if (vert)
    SetVertPosition(next);
  else
    SetHorzPosition(next);
}

void TfrxScrollWin::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TfrxScrollWin::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      // Only the window's own bars; a scroll bar control's message goes to it.
      if (Message.LParam == 0) {
        ScrollMessage(Message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, Integer(LOWORD(Message.WParam)),
                      Integer(short(HIWORD(Message.WParam))));
        Message.Result = 0;
        return;
      }
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TfrxTBPanel

TfrxTBPanel::TfrxTBPanel(TComponent* AOwner) : TPanel(AOwner) {
  SetAlign(alLeft);
  SetBounds(Left(), Top(), 8, 8);
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  FControlStyle.Include(csOpaque);
  FControlStyle.Exclude(csParentBackground);
}

void TfrxTBPanel::SetParent(TWinControl* AParent) {
  inherited::SetParent(AParent);
  if (!AParent || ComponentState().Contains(csDestroying)) return;
  if (auto* panel = dynamic_cast<TPanel*>(AParent)) {
    TWinControl* outer = panel->Parent();
    const bool vertical = outer && (outer->Align() == alLeft || outer->Align() == alRight);
    SetAlign(vertical ? alTop : alLeft);
  }
}

void TfrxDigitsEdit::CreateParams(TCreateParams& Params) {
  TEdit::CreateParams(Params);
  Params.Style |= ES_NUMBER;
}
