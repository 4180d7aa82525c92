// The on-screen preview of prepared reports: page layout, drawing at a zoom,
// scrolling, page moves, zoom modes and the text search.
#include "frxPreview.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "Forms.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxRes.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreviewWorkspace, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreview, TfrxCustomPreview)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreviewForm, TForm)

namespace {
constexpr Integer kDefaultPageWidth = 794;
constexpr Integer kDefaultPageHeight = 1123;
constexpr Integer kLargeChange = 300;
constexpr Integer kSmallChange = 8;
}  // namespace

// ---------------------------------------------------------------------------
// TfrxPageList

void TfrxPageList::AppendPage(Integer Width, Integer Height, Extended Zoom) {
  TfrxPageItem item;
  item.Width = Integer(std::nearbyint(Width * Zoom));
  item.Height = Integer(std::nearbyint(Height * Zoom));
  FItems.push_back(item);
}

void TfrxPageList::ArrangePages(Integer Width) {
  FMaxWidth = 0;
  Integer top = 10;
  size_t i = 0;
  while (i < FItems.size()) {
    const size_t first = i;
    Integer rowWidth = 0, rowHeight = 0;
    while (i < FItems.size() && (i == first || rowWidth + FItems[i].Width <= Width)) {
      FItems[i].OffsetLeft = rowWidth;
      FItems[i].OffsetTop = top;
      rowWidth += FItems[i].Width + 10;
      rowHeight = std::max(rowHeight, FItems[i].Height);
      ++i;
    }
    FMaxWidth = std::max(FMaxWidth, rowWidth);
    Integer d = (Width - rowWidth + 10) / 2;
    d = d < 0 ? 10 : d + 10;
    for (size_t j = first; j < i; ++j) FItems[j].OffsetLeft += d;
    top += rowHeight + 10;
  }
}

Integer TfrxPageList::PageAtPoint(Integer Y, Integer X) const {
  const Integer n = Count();
  if (n == 0) return -1;
  // The last page whose top (less the lead) is at or above Y.
  Integer lo = 0, hi = n - 1, found = -1;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    const TfrxPageItem& p = FItems[size_t(mid)];
    const Integer lead = X == 0 ? Integer(std::nearbyint(p.Height / 5.0)) : 0;
    if (p.OffsetTop <= Y + lead) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  if (X != 0) {
    for (Integer i = std::max(0, found - 20); i <= std::min(n - 1, found + 20); ++i) {
      const TfrxPageItem& p = FItems[size_t(i)];
      if (X >= p.OffsetLeft && X < p.OffsetLeft + p.Width && Y >= p.OffsetTop && Y < p.OffsetTop + p.Height)
        return i;
    }
  }
  return found;
}

TRect TfrxPageList::PageRect(Integer Index, Integer ClientWidth, bool RTL, Extended Zoom) const {
  if (Index >= 0 && Index < Count()) {
    const TfrxPageItem& p = FItems[size_t(Index)];
    const Integer left = RTL ? ClientWidth - p.Width - p.OffsetLeft : p.OffsetLeft;
    return TRect(left, p.OffsetTop, left + p.Width, p.OffsetTop + p.Height);
  }
  const Integer w = Integer(std::nearbyint(kDefaultPageWidth * Zoom));
  const Integer h = Integer(std::nearbyint(kDefaultPageHeight * Zoom));
  const Integer top = Integer(std::nearbyint(10 * Zoom));
  Integer left = (ClientWidth - w) / 2;
  if (left < 0) left = 10;
  return TRect(left, top, left + w, top + h);
}

TPoint TfrxPageList::ContentSize() const {
  if (FItems.empty()) return TPoint(0, 0);
  const TfrxPageItem& last = FItems.back();
  return TPoint(FMaxWidth, last.OffsetTop + last.Height);
}

TfrxSearchState& frxSearchState() {
  static TfrxSearchState state;
  return state;
}

// ---------------------------------------------------------------------------
// TfrxPreviewWorkspace

TfrxPreviewWorkspace::TfrxPreviewWorkspace(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 100, 100);
}

TfrxPreviewWorkspace::~TfrxPreviewWorkspace() {
  if (FMetafile) DeleteEnhMetaFile(FMetafile);
}

void TfrxPreviewWorkspace::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_VSCROLL | WS_HSCROLL;
}

void TfrxPreviewWorkspace::AddPageSize(Integer Width, Integer Height) { FPageList.AppendPage(Width, Height, Zoom); }

void TfrxPreviewWorkspace::ArrangePages(Integer Width) { FPageList.ArrangePages(Width); }

void TfrxPreviewWorkspace::ArrangeForClient() {
  ArrangePages(Width() - GetSystemMetrics(SM_CXVSCROLL) - 26);
}

void TfrxPreviewWorkspace::ClearPages() {
  FPageList.Clear();
  if (FMetafile) DeleteEnhMetaFile(FMetafile);
  FMetafile = nullptr;
  FMetafilePage = -1;
}

Integer TfrxPreviewWorkspace::ViewWidth() {
  return HandleAllocated() ? ClientWidth() : Width() - GetSystemMetrics(SM_CXVSCROLL);
}

Integer TfrxPreviewWorkspace::ViewHeight() {
  return HandleAllocated() ? ClientHeight() : Height() - GetSystemMetrics(SM_CYHSCROLL);
}

void TfrxPreviewWorkspace::UpdateScrollBars() {
  const TPoint size = FPageList.ContentSize();
  FRange = TPoint(size.X + 10, size.Y + 10);
  if (FPageList.Count() == 0) FRange = TPoint(0, 0);
  SetHorzPosition(FOffset.X);
  SetVertPosition(FOffset.Y);
}

void TfrxPreviewWorkspace::SetHorzPosition(Integer v) {
  v = std::max(0, std::min(v, FRange.X - ViewWidth()));
  const Integer old = FOffset.X;
  FOffset.X = v;
  if (HandleAllocated()) {
    SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(0, FRange.X - 1), UINT(ViewWidth()), v, 0};
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
    if (old != v) InvalidateRect(Handle(), nullptr, FALSE);
  }
}

void TfrxPreviewWorkspace::SetVertPosition(Integer v) {
  v = std::max(0, std::min(v, FRange.Y - ViewHeight()));
  const Integer old = FOffset.Y;
  FOffset.Y = v;
  if (HandleAllocated()) {
    SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(0, FRange.Y - 1), UINT(ViewHeight()), v, 0};
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    if (old != v) InvalidateRect(Handle(), nullptr, FALSE);
  }
  if (old != v && !IsThumbnail) {
    // Scrolling makes the page at the top current, without scrolling back.
    const Integer page = FPageList.PageAtPoint(FOffset.Y, 0) + 1;
    if (page >= 1 && page != PageNo && OnPageScrolled) {
      DisableUpdate = true;
      try {
        OnPageScrolled(page);
      } catch (...) {
        DisableUpdate = false;
        throw;
      }
      DisableUpdate = false;
    }
  }
}

void TfrxPreviewWorkspace::ScrollToPage(Integer PageNo_) {
  if (DisableUpdate) return;
  SetVertPosition(FPageList.PageRect(PageNo_ - 1, ViewWidth(), RTL, Zoom).Top - 10);
}

void TfrxPreviewWorkspace::ScrollToPosition(Integer PageNo_, Extended Position) {
  Integer offset = 0;
  if (Position != 0 && PreviewPages) {
    if (auto* page = dynamic_cast<TfrxReportPage*>(PreviewPages->GetPage(PageNo_ - 1))) {
      HDC dc = GetDC(nullptr);
      const Extended pxPerMm = GetDeviceCaps(dc, LOGPIXELSY) / 25.4;
      ReleaseDC(nullptr, dc);
      offset = Integer(std::nearbyint((page->TopMargin * pxPerMm + Position) * Zoom));
    }
  }
  SetVertPosition(FPageList.PageRect(PageNo_ - 1, ViewWidth(), RTL, Zoom).Top + offset - 10);
}

TRect TfrxPreviewWorkspace::PageRectOnScreen(Integer Index) {
  TRect r = FPageList.PageRect(Index, ViewWidth(), RTL, Zoom);
  OffsetRect(r, -FOffset.X, -FOffset.Y);
  return r;
}

Integer TfrxPreviewWorkspace::PageAtClientPoint(Integer X, Integer Y) {
  const Integer cx = RTL ? ViewWidth() - FOffset.X - X : X + FOffset.X;
  return FPageList.PageAtPoint(Y + FOffset.Y, cx == 0 ? 1 : cx);
}

void TfrxPreviewWorkspace::Paint() { DrawPages(false); }

void TfrxPreviewWorkspace::DrawPages(bool FramesOnly) {
  if (!HandleAllocated() || !Visible()) return;
  DrawPagesOn(Canvas(), ClientWidth(), ClientHeight(), FramesOnly);
}

void TfrxPreviewWorkspace::DrawPagesOn(TCanvas* Canvas, Integer ClientW, Integer ClientH, bool FramesOnly) {
  HDC dc = Canvas->Handle();
  const TRect client(0, 0, ClientW, ClientH);
  auto fillBack = [&]() {
    HBRUSH b = CreateSolidBrush(ColorToRGB(BackColor));
    RECT rc{0, 0, ClientW, ClientH};
    FillRect(dc, &rc, b);
    DeleteObject(b);
  };
  if (Locked || FPageList.Count() == 0 || !PreviewPages) {
    fillBack();
    return;
  }
  const Integer first = FPageList.PageAtPoint(FOffset.Y, 0);
  const Integer from = std::max(0, first - 40), to = std::min(FPageList.Count() - 1, first + 40);
  auto visible = [&](const TRect& r) {
    RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    return r.Top < ClientH && r.Bottom > 0 && RectVisible(dc, &rc);
  };
  // Only the background between the pages is painted, so pages never flash.
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  const bool hadClip = GetClipRgn(dc, saved) == 1;
  for (Integer i = from; i <= to; ++i) {
    const TRect r = PageRectOnScreen(i);
    if (visible(r)) ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  }
  fillBack();
  SelectClipRgn(dc, hadClip ? saved : nullptr);
  DeleteObject(saved);
  // The frame around the current page, one pixel outside it.
  {
    const TRect r = PageRectOnScreen(PageNo - 1);
    HPEN pen = CreatePen(PS_SOLID, 2, ColorToRGB(ActiveFrameColor));
    HGDIOBJ old = SelectObject(dc, pen);
    POINT pts[5] = {{r.Left - 1, r.Top - 1}, {r.Right + 1, r.Top - 1}, {r.Right + 1, r.Bottom + 1},
                    {r.Left - 1, r.Bottom + 1}, {r.Left - 1, r.Top - 2}};
    Polyline(dc, pts, 5);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  if (FramesOnly) return;
  for (Integer i = from; i <= to; ++i) {
    TRect r = PageRectOnScreen(i);
    r.Bottom += 1;
    if (visible(r)) PaintPage(Canvas, i, r);
  }
}

void TfrxPreviewWorkspace::PaintPage(TCanvas* Canvas, Integer Index, const TRect& R) {
  HDC dc = Canvas->Handle();
  {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(FrameColor));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, R.Left, R.Top, R.Right, R.Bottom - 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  PreviewPages->DrawPage(Index, Canvas, Zoom, Zoom, R.Left, R.Top);
  if (IsThumbnail) {
    const String text = " " + IntToStr(Index + 1) + " ";
    const std::u16string w = Utf8ToUtf16(text);
    HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                             DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, ColorToRGB(BackColor));
    SetBkMode(dc, OPAQUE);
    ExtTextOutW(dc, R.Left + 1, R.Top + 1, ETO_OPAQUE, nullptr, reinterpret_cast<const WCHAR*>(w.c_str()),
                UINT(w.size()), nullptr);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  TfrxSearchState& s = frxSearchState();
  if (s.Found && LastFoundPage == Index) {
    // The match is shown inverted.
    const Integer l = Integer(std::nearbyint(s.FoundRect.Left * Zoom)) + R.Left - 1;
    const Integer rr = Integer(std::nearbyint(s.FoundRect.Right * Zoom)) + R.Left + 1;
    const Integer t = Integer(std::nearbyint(s.FoundRect.Top * Zoom)) + R.Top;
    const Integer b = Integer(std::nearbyint(s.FoundRect.Bottom * Zoom)) + R.Top;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, pen);
    const int rop = SetROP2(dc, R2_XORPEN);
    for (Integer y = t; y < b; ++y) {
      MoveToEx(dc, l, y, nullptr);
      LineTo(dc, rr, y);
    }
    SetROP2(dc, rop);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
}

namespace {
// Looks at one metafile record for the search text.
int CALLBACK frxSearchTextRecord(HDC, HANDLETABLE*, const ENHMETARECORD* Rec, int, LPARAM) {
  TfrxSearchState& s = frxSearchState();
  const Integer no = s.RecordNo++;
  if (Rec->iType != EMR_EXTTEXTOUTW && Rec->iType != EMR_EXTTEXTOUTA) return 1;
  const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(Rec);
  const DWORD chars = t->emrtext.nChars;
  const DWORD offset = t->emrtext.offString;
  // A damaged record whose text lies outside it is passed over.
  if (offset > Rec->nSize || chars > (Rec->nSize - offset) / 2) return 1;
  const auto* p = reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(Rec) + offset);
  std::u16string text(p, p + chars);
  std::u16string what = Utf8ToUtf16(s.Text);
  if (what.empty()) return 1;
  if (!s.CaseSensitive) {
    for (auto& c : text) c = char16_t(std::towupper(wint_t(c)));
    for (auto& c : what) c = char16_t(std::towupper(wint_t(c)));
  }
  if (text.find(what) != std::wstring::npos && no > s.LastFoundRecord) {
    s.FoundRect = TRect(t->rclBounds.left, t->rclBounds.top, t->rclBounds.right + 1, t->rclBounds.bottom + 1);
    s.LastFoundRecord = no;
    s.Found = true;
    return 0;
  }
  return 1;
}
}  // namespace

void TfrxPreviewWorkspace::SearchNext() {
  TfrxSearchState& s = frxSearchState();
  s.Found = false;
  if (!PreviewPages) return;
  const Integer count = PreviewPages->GetPageCount();
  while (LastFoundPage >= 0 && LastFoundPage < count) {
    if (!FMetafile || FMetafilePage != LastFoundPage) {
      if (FMetafile) DeleteEnhMetaFile(FMetafile);
      FMetafile = nullptr;
      HDC ref = GetDC(nullptr);
      HDC mdc = CreateEnhMetaFileW(ref, nullptr, nullptr, nullptr);
      ReleaseDC(nullptr, ref);
      if (!mdc) return;
      {
        TCanvas canvas;
        canvas.SetHandle(mdc);
        try {
          PreviewPages->DrawPage(LastFoundPage, &canvas, 1, 1, 0, 0);
        } catch (...) {
          canvas.SetHandle(nullptr);
          DeleteEnhMetaFile(CloseEnhMetaFile(mdc));
          throw;
        }
        canvas.SetHandle(nullptr);
      }
      FMetafile = CloseEnhMetaFile(mdc);
      FMetafilePage = LastFoundPage;
    }
    s.RecordNo = 0;
    EnumEnhMetaFile(nullptr, FMetafile, frxSearchTextRecord, nullptr, nullptr);
    if (s.Found) break;
    s.LastFoundRecord = -1;
    ++LastFoundPage;
  }
  if (!s.Found) return;
  const TRect page = FPageList.PageRect(LastFoundPage, ViewWidth(), RTL, Zoom);
  const Integer top = Integer(std::nearbyint(s.FoundRect.Top * Zoom));
  const Integer bottom = Integer(std::nearbyint(s.FoundRect.Bottom * Zoom));
  const Integer left = Integer(std::nearbyint(s.FoundRect.Left * Zoom));
  const Integer right = Integer(std::nearbyint(s.FoundRect.Right * Zoom));
  if (page.Top + top < FOffset.Y || page.Top + bottom > FOffset.Y + ViewHeight())
    SetVertPosition(page.Top + bottom - ViewHeight() + 20);
  if (page.Left + left < FOffset.X || page.Left + right > FOffset.X + ViewWidth())
    SetHorzPosition(page.Left + right - ViewWidth() + 20);
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TfrxPreviewWorkspace::Resize() {
  inherited::Resize();
  UpdateScrollBars();
}

void TfrxPreviewWorkspace::ScrollMessage(bool Vertical, Integer Code) {
  const Integer pos = Vertical ? FOffset.Y : FOffset.X;
  Integer next = pos;
  switch (Code) {
    case SB_LINEUP: next = pos - kSmallChange; break;
    case SB_LINEDOWN: next = pos + kSmallChange; break;
    case SB_PAGEUP: next = pos - kLargeChange; break;
    case SB_PAGEDOWN: next = pos + kLargeChange; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &si);
      next = si.nTrackPos;
      break;
    }
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = Vertical ? FRange.Y : FRange.X; break;
    default: return;
  }
  if (Vertical)
    SetVertPosition(next);
  else
    SetHorzPosition(next);
}

void TfrxPreviewWorkspace::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      ScrollMessage(Message.Msg == WM_VSCROLL, LOWORD(Message.WParam));
      Message.Result = 0;
      return;
    case WM_LBUTTONUP: {
      inherited::Dispatch(Message);
      if (Locked || FPageList.Count() == 0) return;
      const Integer page = PageAtClientPoint(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
      if (page >= 0 && OnPageScrolled) {
        DisableUpdate = true;
        try {
          OnPageScrolled(page + 1);
        } catch (...) {
          DisableUpdate = false;
          throw;
        }
        DisableUpdate = false;
      }
      return;
    }
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TfrxPreview

TfrxPreview::TfrxPreview(TComponent* AOwner) : TfrxCustomPreview(AOwner) {
  SetBounds(0, 0, 100, 100);
  FWorkspace = new TfrxPreviewWorkspace(this);
  FWorkspace->SetParent(this);
  FWorkspace->SetAlign(alClient);
  FWorkspace->Preview = this;
  FWorkspace->OnPageScrolled = [this](Integer n) { SetPageNo(n); };
}

TfrxPreview::~TfrxPreview() {
  if (Report && Report->Preview() == this) Report->SetPreview(nullptr);
}

void TfrxPreview::Resize() {
  inherited::Resize();
  if (FZoomMode == zmWholePage || FZoomMode == zmPageWidth || FZoomMode == zmManyPages) UpdatePages();
}

void TfrxPreview::InitFromReport() {
  FWorkspace->PreviewPages = PreviewPages;
  TfrxSearchState& s = frxSearchState();
  s.Found = false;
  s.LastFoundRecord = -1;
  FWorkspace->LastFoundPage = 0;
  FAllowFindNext = false;
  if (Report) {
    TfrxPreviewOptions* o = Report->PreviewOptions();
    FWorkspace->RTL = o->RTLPreview;
    FZoomMode = o->ZoomMode;
    FZoom = o->Zoom;
  }
  UpdatePages();
  GotoFirstPage();
}

void TfrxPreview::Lock() {
  FLocked = true;
  FWorkspace->Locked = true;
}

void TfrxPreview::Unlock() {
  FLocked = false;
  FWorkspace->Locked = false;
  UpdatePages();
  FWorkspace->Invalidate();
}

void TfrxPreview::RefreshReport() {
  if (!Report) return;
  const Integer pos = FWorkspace->VertPosition();
  const Integer hpos = FWorkspace->HorzPosition();
  const Integer page = FPageNo;
  Lock();
  FRefreshing = true;
  try {
    Report->PrepareReport(true);
  } catch (...) {
    FRefreshing = false;
    FLocked = false;
    FWorkspace->Locked = false;
    throw;
  }
  FLocked = false;
  FPageNo = page > GetPageCount() ? 1 : page;
  FWorkspace->PageNo = FPageNo;
  UpdatePages();
  FRefreshing = false;
  FWorkspace->Locked = false;
  FWorkspace->SetVertPosition(pos);
  FWorkspace->SetHorzPosition(hpos);
  FWorkspace->Invalidate();
  if (GetPageCount() < page) SetPageNo(1);
}

void TfrxPreview::ProgressStarted(TfrxReport*, TfrxProgressType, Integer) {
  if (FRefreshing) return;
  ClearPages();
  FRunning = true;
  if (FHost) FHost->UpdateControls();
}

void TfrxPreview::ProgressAdvanced(TfrxReport* AReport, TfrxProgressType, Integer Progress) {
  if (FRefreshing) {
    DoPageChanged();
    return;
  }
  TfrxReport* r = AReport ? AReport : Report;
  const bool finalPass = r && r->Engine() && r->Engine()->FinalPass;
  if (finalPass && PreviewPages && Progress < 50) {
    const TfrxFloatRect size = PreviewPages->GetPageSize(Progress);
    FWorkspace->AddPageSize(Integer(size.Right), Integer(size.Bottom));
    FWorkspace->ArrangeForClient();
  }
  if (Progress == 0) {
    SetPageNo(1);
    if (finalPass) UpdatePages();
    if (FHost) FHost->SetCancelCaption(frxGetResources()->Get("clCancel"));
    FTick = GetTickCount();
  } else if (Progress == 1) {
    const DWORD ms = GetTickCount() - FTick;
    FRefreshInterval = ms < 5 ? 50 : ms < 10 ? 20 : 5;
    SetPageNo(1);
    if (finalPass) UpdatePages();
  } else if (Progress % FRefreshInterval == 0) {
    DoPageChanged();
    if (finalPass) FWorkspace->UpdateScrollBars();
  }
  Application->ProcessMessages();
}

void TfrxPreview::ProgressStopped(TfrxReport*, TfrxProgressType, Integer) {
  if (FRefreshing) return;
  FRunning = false;
  DoPageChanged();
  FWorkspace->UpdateScrollBars();
  UpdatePages();
  if (FHost) {
    FHost->SetCancelCaption(frxGetResources()->Get("clClose"));
    FHost->SetStatusText("", false);
    FHost->UpdateControls();
  }
}

void TfrxPreview::DoPageChanged() {
  if (OnPageChanged) OnPageChanged(this, FPageNo);
}

Integer TfrxPreview::GetPageCount() { return PreviewPages ? PreviewPages->GetPageCount() : 0; }

void TfrxPreview::SetPageNo(Integer Value) {
  if (Value < 1) Value = 1;
  if (Value > GetPageCount()) Value = GetPageCount();
  const Integer old = FPageNo;
  FPageNo = Value;
  FWorkspace->PageNo = Value;
  if (old != Value) FWorkspace->DrawPages(true);
  FWorkspace->ScrollToPage(Value);
  DoPageChanged();
}

void TfrxPreview::ShowAtPosition(Integer PageN, Extended Position) {
  if (PageN > GetPageCount()) PageN = GetPageCount();
  if (PageN <= 0) PageN = 1;
  FWorkspace->ScrollToPosition(PageN, Position);
}

void TfrxPreview::SetZoom(Extended Value) {
  FZoom = Value < 0.25 ? 0.25 : Value;
  FZoomMode = zmDefault;
  UpdatePages();
}

void TfrxPreview::SetZoomMode(TfrxZoomMode Value) {
  FZoomMode = Value;
  UpdatePages();
}

void TfrxPreview::WheelScroll(Integer Delta, bool Horizontal, bool ZoomKey) {
  if (Delta == 0) return;
  const Integer sign = Delta > 0 ? 1 : -1;
  if (ZoomKey) {
    Extended z = FZoom + sign * 0.1;
    if (z < 0.3) z = 0.3;
    SetZoom(z);
  } else if (Horizontal) {
    FWorkspace->SetHorzPosition(FWorkspace->HorzPosition() - sign * 20);
  } else {
    FWorkspace->SetVertPosition(FWorkspace->VertPosition() - sign * 20);
  }
}

void TfrxPreview::UpdatePages() {
  if (FLocked || GetPageCount() == 0) return;
  FAllowFindNext = false;
  const TfrxFloatRect size = PreviewPages->GetPageSize(std::max(0, FPageNo - 1));
  const Extended pw = size.Right, ph = size.Bottom;
  if (ph == 0) return;
  const Integer sb = GetSystemMetrics(SM_CXVSCROLL);
  const Integer cw = std::max(1, ClientWidth()), ch = std::max(1, ClientHeight());
  bool showAt = false;
  switch (FZoomMode) {
    case zmWholePage:
      if (ph / ch >= pw / cw)
        FZoom = (FWorkspace->Height() - 26) / ph;
      else
        FZoom = (FWorkspace->Width() - sb - 26) / pw;
      showAt = true;
      break;
    case zmPageWidth:
      FZoom = (FWorkspace->Width() - sb - 26) / pw;
      break;
    default:
      break;
  }
  FWorkspace->Zoom = FZoom;
  FWorkspace->ClearPages();
  for (Integer i = 0; i < GetPageCount(); ++i) {
    const TfrxFloatRect s = PreviewPages->GetPageSize(i);
    FWorkspace->AddPageSize(Integer(s.Right), Integer(s.Bottom));
  }
  FWorkspace->ArrangeForClient();
  FWorkspace->UpdateScrollBars();
  if (showAt) ShowAtPosition(FPageNo, 0);
  if (!FRefreshing) FWorkspace->Invalidate();
  if (FHost) FHost->UpdateZoom();
}

void TfrxPreview::ClearPages() {
  if (PreviewPages) {
    Lock();
    try {
      PreviewPages->Clear();
    } catch (...) {
      Unlock();
      throw;
    }
    Unlock();
  }
  FWorkspace->ClearPages();
  SetPageNo(1);
  FWorkspace->UpdateScrollBars();
}

void TfrxPreview::Find(const String& Text, bool CaseSensitive, bool FromTop) {
  TfrxSearchState& s = frxSearchState();
  s.Text = Text;
  s.CaseSensitive = CaseSensitive;
  FWorkspace->LastFoundPage = FromTop ? 0 : FPageNo - 1;
  s.LastFoundRecord = -1;
  FWorkspace->SearchNext();
  FAllowFindNext = true;
}

void TfrxPreview::FindNextText() {
  if (FAllowFindNext) FWorkspace->SearchNext();
}

void TfrxPreview::CancelBuild() {
  if (Report) Report->SetTerminated(true);
}

void TfrxPreview::HandleKey(Word Key, bool Ctrl) {
  switch (Key) {
    case VK_UP: FWorkspace->SetVertPosition(FWorkspace->VertPosition() - kSmallChange); break;
    case VK_DOWN: FWorkspace->SetVertPosition(FWorkspace->VertPosition() + kSmallChange); break;
    case VK_LEFT: FWorkspace->SetHorzPosition(FWorkspace->HorzPosition() - kSmallChange); break;
    case VK_RIGHT: FWorkspace->SetHorzPosition(FWorkspace->HorzPosition() + kSmallChange); break;
    case VK_PRIOR:
      if (Ctrl)
        GotoPriorPage();
      else
        FWorkspace->SetVertPosition(FWorkspace->VertPosition() - kLargeChange);
      break;
    case VK_NEXT:
      if (Ctrl)
        GotoNextPage();
      else
        FWorkspace->SetVertPosition(FWorkspace->VertPosition() + kLargeChange);
      break;
    case VK_HOME: GotoFirstPage(); break;
    case VK_END: GotoLastPage(); break;
    case VK_F3:
      if (Report && (Report->PreviewOptions()->Buttons.Contains(pbFind))) FindNextText();
      break;
    default:
      break;
  }
}

void TfrxPreview::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_MOUSEWHEEL:
      WheelScroll(short(HIWORD(Message.WParam)), false, (LOWORD(Message.WParam) & MK_CONTROL) != 0);
      Message.Result = 0;
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

void TfrxPreview::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  HandleKey(Key, Shift.Contains(ssCtrl));
}

// ---------------------------------------------------------------------------
// TfrxPreviewForm

TfrxPreviewForm::TfrxPreviewForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("预览");
  SetClientWidth(803);
  SetClientHeight(584);
  SetKeyPreview(true);
  SetPosition(poScreenCenter);
  FPreview = new TfrxPreview(this);
  FPreview->SetParent(this);
  FPreview->SetAlign(alClient);
}

void TfrxPreviewForm::SetupForReport() {
  TfrxReport* report = FPreview->Report;
  if (!report) return;
  TfrxPreviewOptions* o = report->PreviewOptions();
  if (o->Maximized) SetWindowState(wsMaximized);
  FPreview->SetZoom(o->Zoom);
  FPreview->SetZoomMode(o->ZoomMode);
  FPreview->Workspace()->RTL = o->RTLPreview;
  if (!report->ReportOptions()->Name.empty()) SetCaption(report->ReportOptions()->Name);
  if (Visible()) SetActiveControl(FPreview);
}

void TfrxPreviewForm::CancelBClick() {
  if (FPreview->Running())
    FPreview->CancelBuild();
  else
    Close();
}

void TfrxPreviewForm::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE) CancelBClick();
}

void frxRegisterPreviewWindow() {
  frxPreviewWindowClass = [](TfrxReport* Report) {
    TfrxPreviewWindow w;
    // The window opens on the program's main window.
    auto* form = new TfrxPreviewForm(Application);
    w.Form = form;
    w.Preview = form->Preview();
    w.Init = [form]() { form->SetupForReport(); };
    return w;
  };
}
