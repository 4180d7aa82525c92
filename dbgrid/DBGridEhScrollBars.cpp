// The data grid's scroll-bar settings (its own bars or external TScrollBar
// controls that scroll it), the vertical bar that stands for the whole
// dataset, and the indicator title settings.
#include <algorithm>
#include <iterator>
#include <set>

#include "DBGridEh.h"
#include "StdCtrls.h"

TOVANI_IMPLEMENT_CLASS(TDBGridEhScrollBar, TPersistent)
TOVANI_IMPLEMENT_CLASS(TVertDBGridEhScrollBar, TDBGridEhScrollBar)
TOVANI_IMPLEMENT_CLASS(TDBGridEhIndicatorTitle, TPersistent)

const char* const SScrollBarAttachedEh = " already attached to the other control.";

namespace {

// External bars serving a grid: one bar serves one grid.
std::set<TScrollBar*>& AttachedBars() {
  static std::set<TScrollBar*> bars;
  return bars;
}

bool IsDesigning(TCustomDBGridEh* Grid) { return Grid && Grid->ComponentState().Contains(csDesigning); }

bool SameLook(const SCROLLBARINFO& a, const SCROLLBARINFO& b) {
  return EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.dxyLineButton == b.dxyLineButton &&
         a.xyThumbTop == b.xyThumbTop && a.xyThumbBottom == b.xyThumbBottom &&
         std::equal(std::begin(a.rgstate), std::end(a.rgstate), std::begin(b.rgstate));
}

// A themed scroll bar costs Wine several milliseconds to draw (each of its
// images goes through transparent blits that allocate and free memory), and
// paging through thousands of records moves the thumb a pixel or two each
// time. A bar is drawn at once when it has not been drawn for a while;
// changes coming faster than that are drawn together, once, when the timer
// below fires.
const UINT kScrollBarRedrawMs = 40;
const UINT_PTR kScrollBarRedrawTimer = 0x5EB0;

DWORD& LastScrollBarRedraw() {
  static DWORD tick = 0;
  return tick;
}

void RedrawScrollBarNow(HWND Wnd, int Bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS;
  if (::GetScrollInfo(Wnd, Bar, &si)) SetScrollInfo(Wnd, Bar, &si, TRUE);
  LastScrollBarRedraw() = GetTickCount();
}

void CALLBACK DeferredScrollBarRedraw(HWND Wnd, UINT, UINT_PTR Id, DWORD) {
  KillTimer(Wnd, Id);
  if (IsWindow(Wnd)) RedrawScrollBarNow(Wnd, int(Id - kScrollBarRedrawTimer));
}

// Sets the values of a window's scroll bar and has it drawn again only when
// what it shows changes: at once, or shortly after when it was drawn a moment
// ago (the values themselves are always set at once).
void SetScrollInfoShown(HWND Wnd, int Bar, const SCROLLINFO& Info) {
  LONG object = Bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL;
  SCROLLBARINFO before{};
  before.cbSize = sizeof(before);
  if (!GetScrollBarInfo(Wnd, object, &before)) {
    SetScrollInfo(Wnd, Bar, &Info, TRUE);
    return;
  }
  SetScrollInfo(Wnd, Bar, &Info, FALSE);
  SCROLLBARINFO after{};
  after.cbSize = sizeof(after);
  bool known = GetScrollBarInfo(Wnd, object, &after);
  if (known && SameLook(before, after)) return;
  // A bar that appeared, vanished or changed its size is drawn at once.
  bool onlyThumb = known && EqualRect(&before.rcScrollBar, &after.rcScrollBar) &&
                   std::equal(std::begin(before.rgstate), std::end(before.rgstate), std::begin(after.rgstate));
  if (!onlyThumb || GetTickCount() - LastScrollBarRedraw() >= kScrollBarRedrawMs) {
    KillTimer(Wnd, kScrollBarRedrawTimer + UINT_PTR(Bar));
    RedrawScrollBarNow(Wnd, Bar);
    return;
  }
  SetTimer(Wnd, kScrollBarRedrawTimer + UINT_PTR(Bar), kScrollBarRedrawMs, DeferredScrollBarRedraw);
}

}   // namespace

// ---------------------------------------------------------------------------
// TDBGridEhScrollBar

TDBGridEhScrollBar::TDBGridEhScrollBar(TCustomDBGridEh* AGrid, TScrollBarKind AKind) : FGrid(AGrid), FKind(AKind) {}

TDBGridEhScrollBar::~TDBGridEhScrollBar() {
  if (FExtScrollBar) {
    if (!IsDesigning(FGrid)) FExtScrollBar->WindowProc = FSavedBarProc;
    AttachedBars().erase(FExtScrollBar);
  }
}

TPersistent* TDBGridEhScrollBar::GetOwner() { return FGrid; }

void TDBGridEhScrollBar::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TDBGridEhScrollBar*>(Source)) {
    SetVisible(src->Visible());
    FTracking = src->FTracking;
    SetExtScrollBar(src->FExtScrollBar);
    return;
  }
  TPersistent::Assign(Source);
}

void TDBGridEhScrollBar::SetVisible(bool v) {
  SetVisibleMode(v ? sbAutoShowEh : sbNeverShowEh);
  SyncExternalVisible();
}

void TDBGridEhScrollBar::SetVisibleMode(TScrollBarVisibleModeEh v) {
  if (FVisibleMode == v) return;
  FVisibleMode = v;
  if (!FGrid) return;
  if (FKind == sbVertical) FGrid->UpdateVertScrollBar();
  FGrid->LayoutChanged();
}

void TDBGridEhScrollBar::ExtScrollBarDestroyed(TComponent* Bar) {
  if (!FExtScrollBar || Bar != static_cast<TComponent*>(FExtScrollBar)) return;
  // Its window procedure went with it: nothing to give back.
  AttachedBars().erase(FExtScrollBar);
  FExtScrollBar = nullptr;
  FSavedBarProc = nullptr;
}

void TDBGridEhScrollBar::SyncExternalVisible() {
  if (FExtScrollBar) FExtScrollBar->SetVisible(Visible());
}

bool TDBGridEhScrollBar::IsShowing() const {
  if (FExtScrollBar) return FExtScrollBar->Visible();
  if (!Visible() || !FGrid || !FGrid->HandleAllocated()) return false;
  LONG style = GetWindowLongW(FGrid->Handle(), GWL_STYLE);
  return (style & (FKind == sbHorizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

bool TDBGridEhScrollBar::GetScrollInfo(SCROLLINFO& Info) const {
  if (FExtScrollBar) return FExtScrollBar->HandleAllocated() && ::GetScrollInfo(FExtScrollBar->Handle(), SB_CTL, &Info);
  if (!FGrid || !FGrid->HandleAllocated()) return false;
  return ::GetScrollInfo(FGrid->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &Info);
}

void TDBGridEhScrollBar::SetExtScrollBar(TScrollBar* v) {
  if (v == FExtScrollBar) return;
  bool designing = IsDesigning(FGrid);
  if (v && !designing && AttachedBars().count(v))
    throw Exception("Possible " + v->Name() + SScrollBarAttachedEh);
  if (FExtScrollBar) {
    if (!designing) FExtScrollBar->WindowProc = FSavedBarProc;
    AttachedBars().erase(FExtScrollBar);
    FSavedBarProc = nullptr;
  }
  FExtScrollBar = v;
  if (v) {
    if (FGrid) v->FreeNotification(FGrid);
    if (!designing) {
      FSavedBarProc = v->WindowProc;
      v->WindowProc = [this](TMessage& m) { BarWndProc(m); };
      AttachedBars().insert(v);
    }
  }
  SyncExternalVisible();
  if (FGrid && !FGrid->ComponentState().Contains(csDestroying) && FGrid->HandleAllocated()) {
    if (FKind == sbVertical) FGrid->UpdateVertScrollBar();
    FGrid->LayoutChanged();
  }
}

// The grid scrolls as if its own bar had been used; the external bar still
// moves its thumb.
void TDBGridEhScrollBar::BarWndProc(TMessage& Message) {
  // Sent without the bar's window, as the grid's own bar would send it.
  if (FGrid && (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL))
    FGrid->Perform(FKind == sbHorizontal ? WM_HSCROLL : WM_VSCROLL, Message.WParam, 0);
  if (FSavedBarProc) FSavedBarProc(Message);
}

// ---------------------------------------------------------------------------
// TDBGridEhIndicatorTitle

TPersistent* TDBGridEhIndicatorTitle::GetOwner() { return FGrid; }

void TDBGridEhIndicatorTitle::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TDBGridEhIndicatorTitle*>(Source)) {
    FDropdownMenu = src->FDropdownMenu;
    SetShowDropDownSign(src->FShowDropDownSign);
    FTitleButton = src->FTitleButton;
    FUseGlobalMenu = src->FUseGlobalMenu;
    return;
  }
  TPersistent::Assign(Source);
}

void TDBGridEhIndicatorTitle::SetShowDropDownSign(bool v) {
  if (FShowDropDownSign == v) return;
  FShowDropDownSign = v;
  if (FGrid) FGrid->InvalidateCell(0, 0);
}

// ---------------------------------------------------------------------------
// The grid's scroll bars

TDBGridEhScrollBar* TCustomDBGridEh::CreateScrollBar(TScrollBarKind Kind) {
  if (Kind == sbVertical) return new TVertDBGridEhScrollBar(this);
  return new TDBGridEhScrollBar(this, sbHorizontal);
}

bool TCustomDBGridEh::SequencedDataSet() {
  TDataSet* ds = FDataLink->DataSet();
  return FSumList->DataSet() ? FSumList->IsSequenced() : (ds && ds->IsSequenced());
}

// The vertical bar stands for the whole dataset, not for the rows: exact
// positions when the dataset (or the sum list) knows record numbers, else
// three positions (first record, somewhere between, last record).
void TCustomDBGridEh::UpdateVertScrollBar() {
  if (!HandleAllocated() || !FVertScrollBar) return;
  SCROLLINFO old{};
  old.cbSize = sizeof(old);
  old.fMask = SIF_ALL;
  ::GetScrollInfo(Handle(), SB_VERT, &old);
  Integer nMin = 0, nMax = 1, nPage = 2, nPos = 0;
  if (FDataLink->Active()) {
    TDataSet* ds = FDataLink->DataSet();
    if (SequencedDataSet()) {
      nMin = 1;
      nPage = std::max<Integer>(1, VisibleRowCount());
      Integer count = FSumList->DataSet() ? FSumList->GetRecordCount() : ds->RecordCount();
      nMax = count + nPage - 1;
      if (ds && ds->State() > dsEdit)
        nPos = old.nPos;
      else
        nPos = FSumList->DataSet() ? FSumList->GetRecNo() : ds->RecNo();
    } else {
      nMin = 0;
      nPage = 0;
      nMax = 4;
      nPos = FDataLink->Bof() ? 0 : FDataLink->Eof() ? 4 : 2;
    }
  }
  TScrollBar* ext = FVertScrollBar->ExtScrollBar();
  Integer realMax = nMax;
  // The grid's own bar shows no range when it is hidden or replaced.
  if (!FVertScrollBar->Visible() || ext) nMax = nMin;
  TScrollBarVisibleModeEh mode = FVertScrollBar->VisibleMode();
  bool modeChanged = mode != FLastVertVisibleMode;
  if (nMin != old.nMin || nMax != old.nMax || UINT(nPage) != old.nPage || nPos != old.nPos || modeChanged) {
    bool cannotScroll = nMin >= nMax || nPage >= nMax - nMin;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    si.nMin = nMin;
    si.nMax = nMax;
    si.nPage = UINT(std::max<Integer>(0, nPage));
    si.nPos = nPos;
    if (mode == sbAlwaysShowEh && !ext) {
      si.fMask |= SIF_DISABLENOSCROLL;
      SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
      ShowScrollBar(Handle(), SB_VERT, TRUE);
      EnableScrollBar(Handle(), SB_VERT, cannotScroll ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
    } else {
      if (modeChanged && cannotScroll) {
        EnableScrollBar(Handle(), SB_VERT, ESB_ENABLE_BOTH);
        ShowScrollBar(Handle(), SB_VERT, FALSE);
      }
      SetScrollInfoShown(Handle(), SB_VERT, si);
    }
    FLastVertVisibleMode = mode;
  }
  if (ext) {
    ext->SetPageSize(0);
    Integer lo = std::min(nMin, realMax);
    ext->SetParams(std::clamp(nPos, lo, std::max(lo, realMax)), lo, realMax);
    ext->SetPageSize(std::max<Integer>(0, nPage));
  }
}

void TCustomDBGridEh::UpdateHorzExtScrollBar() {
  TScrollBar* ext = FHorzScrollBar ? FHorzScrollBar->ExtScrollBar() : nullptr;
  if (!ext || !HandleAllocated()) return;
  TGridLayoutEh L = Layout();
  Integer fixed = FixedCols();
  Integer page = std::max<Integer>(0, VisibleColCount());
  TGridCoord maxTopLeft = MaxTopLeftCell(ColCount() - 1, RowCount() - 1);
  bool allFit = LeftCol() <= fixed && maxTopLeft.X <= fixed;
  Integer max = allFit ? 0 : 127;
  Integer span = maxTopLeft.X - fixed;
  Integer pos = span > 0 ? MulDiv(LeftCol() - fixed, 127, span) : 0;
  if (ext->PageSize() != page || ext->Max() != max || ext->Position() != pos || ext->Min() != 0) {
    ext->SetPageSize(0);
    ext->SetParams(std::clamp(pos, 0, max), 0, max);
    ext->SetPageSize(std::min(page, max));
  }
}
