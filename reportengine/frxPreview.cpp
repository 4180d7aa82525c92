// The on-screen preview of prepared reports: page layout, drawing at a zoom,
// scrolling, page moves, zoom modes and the text search.
#include "frxPreview.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cwctype>

#include "Dialogs.h"
#include "Forms.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxDMPClass.h"
#include "frxPreviewPages.h"
#include "frxRes.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreviewWorkspace, TfrxScrollWin)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreview, TfrxCustomPreview)

namespace {
constexpr Integer kDefaultPageWidth = 794;
constexpr Integer kDefaultPageHeight = 1123;
constexpr Integer kLargeChange = 300;
constexpr Integer kSmallChange = 8;
// Posted by the preview to itself when the outline was clicked: the tree
// tells of the click before it selects the node.
constexpr UINT kOutlineClicked = WM_APP + 0x3F1;

// Milliseconds of a steady clock: the system tick count moves in steps too
// coarse for the few milliseconds a page or a double click takes.
DWORD TickMs() {
  using namespace std::chrono;
  return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
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

TfrxPreviewWorkspace::TfrxPreviewWorkspace(TComponent* AOwner) : TfrxScrollWin(AOwner) {
  FControlStyle.Include(csDoubleClicks);
  SetBorderStyle(bsNone);
  SetBounds(0, 0, 100, 100);
  SetLargeChange(kLargeChange);
  SetSmallChange(kSmallChange);
  SetCursor(DefaultCursor);
}

// The preview's pages when the workspace is one of a preview's: a report
// that goes detaches its pages from the preview, and with them from here.
TfrxCustomPreviewPages* TfrxPreviewWorkspace::Pages() const { return Preview ? Preview->PreviewPages : PreviewPages; }

TfrxPreviewWorkspace::~TfrxPreviewWorkspace() {
  if (FMetafile) DeleteEnhMetaFile(FMetafile);
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

void TfrxPreviewWorkspace::UpdateScrollBars() {
  const TPoint size = FPageList.ContentSize();
  SetHorzRange(size.X + 10);
  SetVertRange(size.Y + 10);
}

void TfrxPreviewWorkspace::Resize() {
  inherited::Resize();
  SetHorzPage(ClientWidth());
  SetVertPage(ClientHeight());
}

void TfrxPreviewWorkspace::OnHScrollChange() {
  const Integer dx = FOffset.X - HorzPosition();
  FOffset.X = HorzPosition();
  if (dx && HandleAllocated()) ScrollWindow(Handle(), dx, 0, nullptr, nullptr);
}

void TfrxPreviewWorkspace::OnVScrollChange() {
  const Integer dy = FOffset.Y - VertPosition();
  FOffset.Y = VertPosition();
  if (dy && HandleAllocated()) ScrollWindow(Handle(), 0, dy, nullptr, nullptr);
  // The page at the top becomes current, without scrolling back to it.
  if (!IsThumbnail && Preview && !Preview->FScrollingToPage)
    MakePageCurrent(FPageList.PageAtPoint(FOffset.Y, 0) + 1);
}

void TfrxPreviewWorkspace::MakePageCurrent(Integer PageNo_) {
  if (!Preview) return;
  DisableUpdate = true;
  try {
    Preview->SetPageNo(PageNo_);
  } catch (...) {
    DisableUpdate = false;
    throw;
  }
  DisableUpdate = false;
}

void TfrxPreviewWorkspace::ScrollToPage(Integer PageNo_) {
  if (DisableUpdate) return;
  SetVertPosition(FPageList.PageRect(PageNo_ - 1, ClientWidth(), RTL, Zoom).Top - 10);
}

void TfrxPreviewWorkspace::ScrollToPosition(Integer PageNo_, Extended Position) {
  Integer offset = 0;
  if (Position != 0 && Pages()) {
    if (auto* page = dynamic_cast<TfrxReportPage*>(Pages()->GetPage(PageNo_ - 1))) {
      HDC dc = GetDC(nullptr);
      const Extended pxPerMm = GetDeviceCaps(dc, LOGPIXELSY) / 25.4;
      ReleaseDC(nullptr, dc);
      offset = Integer(std::nearbyint((page->TopMargin * pxPerMm + Position) * Zoom));
    }
  }
  SetVertPosition(FPageList.PageRect(PageNo_ - 1, ClientWidth(), RTL, Zoom).Top + offset - 10);
}

TRect TfrxPreviewWorkspace::PageRectOnScreen(Integer Index) {
  TRect r = FPageList.PageRect(Index, ClientWidth(), RTL, Zoom);
  OffsetRect(r, -FOffset.X, -FOffset.Y);
  return r;
}

TPoint TfrxPreviewWorkspace::ContentPoint(Integer X, Integer Y) {
  const Integer cx = RTL ? ClientWidth() - FOffset.X - X : X + FOffset.X;
  return TPoint(cx, Y + FOffset.Y);
}

Integer TfrxPreviewWorkspace::PageAtClientPoint(Integer X, Integer Y) {
  const TPoint c = ContentPoint(X, Y);
  // x = 0 asks for the page by its top only; a point at the very left edge
  // still looks for the page containing it.
  return FPageList.PageAtPoint(c.Y, c.X == 0 ? 1 : c.X);
}

void TfrxPreviewWorkspace::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || FPageList.Count() == 0 || Locked) return;
  FLastPoint = TPoint(X, Y);
  FMouseDown = true;
}

void TfrxPreviewWorkspace::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FPageList.Count() == 0 || Locked || IsThumbnail) return;
  if (FMouseDown) {
    // Dragging moves the pages with the mouse.
    SetHorzPosition(HorzPosition() - (X - FLastPoint.X));
    SetVertPosition(VertPosition() - (Y - FLastPoint.Y));
    FLastPoint = TPoint(X, Y);
    return;
  }
  if (!Pages()) return;
  const Integer page = PageAtClientPoint(X, Y);
  const TRect r = PageRectOnScreen(page);
  TfrxPreviewPages::THoverInfo info;
  info.Cursor = DefaultCursor;
  if (auto* pages = dynamic_cast<TfrxPreviewPages*>(Pages()))
    pages->MouseOverObject(page, X, Y, Integer(mbLeft), 0, false, false, Zoom, r.Left, r.Top, info);
  else
    Pages()->MouseOverObject(page, X, Y, Integer(mbLeft), 0, false, false, Zoom, r.Left, r.Top);
  SetCursor(info.Cursor);
  // The hint of the object under the mouse becomes the preview's hint.
  if (Preview && Preview->UseReportHints) {
    if (!info.Hint.empty()) {
      const size_t bar = info.Hint.find('|');
      Preview->SetHint(bar == String::npos ? info.Hint : info.Hint.substr(0, bar));
      Preview->SetShowHint(true);
    } else if (info.HintsOff) {
      Preview->SetShowHint(false);
    }
  }
}

void TfrxPreviewWorkspace::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!IsThumbnail && Preview && Preview->OnClick) Preview->OnClick(Preview);
  if (FPageList.Count() == 0 || Locked) return;
  FMouseDown = false;
  const Integer page = PageAtClientPoint(X, Y);
  MakePageCurrent(page + 1);
  if (IsThumbnail || Button == mbRight || !Pages()) return;
  const TRect r = PageRectOnScreen(page);
  const DWORD now = TickMs();
  bool click = true;
  if (now - FLastClick > GetDoubleClickTime()) {
    FLastClick = now;
  } else {
    // A second click within the double-click time; a third one is a click again.
    FLastClick = 0;
    click = false;
  }
  Pages()->MouseOverObject(page, X, Y, Integer(Button), Integer(Shift.Mask()), click, !click, Zoom, r.Left,
                                r.Top);
}

void TfrxPreviewWorkspace::DblClick() {
  inherited::DblClick();
  if (!IsThumbnail && Preview && Preview->OnDblClick) Preview->OnDblClick(Preview);
}

void TfrxPreviewWorkspace::Paint() { DrawPages(false); }

void TfrxPreviewWorkspace::DrawPages(bool FramesOnly) {
  if (!HandleAllocated() || !Visible()) return;
  DrawPagesOn(Canvas(), ClientWidth(), ClientHeight(), FramesOnly);
}

void TfrxPreviewWorkspace::DrawPagesOn(TCanvas* Canvas, Integer ClientW, Integer ClientH, bool FramesOnly) {
  HDC dc = Canvas->Handle();
  auto fillBack = [&]() {
    HBRUSH b = CreateSolidBrush(ColorToRGB(BackColor));
    RECT rc{0, 0, ClientW, ClientH};
    FillRect(dc, &rc, b);
    DeleteObject(b);
  };
  if (Locked || FPageList.Count() == 0 || !Pages()) {
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
  Pages()->DrawPage(Index, Canvas, Zoom, Zoom, R.Left, R.Top);
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
  if (!Pages()) return;
  const Integer count = Pages()->GetPageCount();
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
          Pages()->DrawPage(LastFoundPage, &canvas, 1, 1, 0, 0);
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
  const TRect page = FPageList.PageRect(LastFoundPage, ClientWidth(), RTL, Zoom);
  const Integer top = Integer(std::nearbyint(s.FoundRect.Top * Zoom));
  const Integer bottom = Integer(std::nearbyint(s.FoundRect.Bottom * Zoom));
  const Integer left = Integer(std::nearbyint(s.FoundRect.Left * Zoom));
  const Integer right = Integer(std::nearbyint(s.FoundRect.Right * Zoom));
  if (page.Top + top < VertPosition() || page.Top + bottom > VertPosition() + ClientHeight())
    SetVertPosition(page.Top + bottom - ClientHeight() + 20);
  if (page.Left + left < HorzPosition() || page.Left + right > HorzPosition() + ClientWidth())
    SetHorzPosition(page.Left + right - ClientWidth() + 20);
  Invalidate();
}

// ---------------------------------------------------------------------------
// TfrxPreview

TOVANI_PUBLISHED(TfrxPreview) {
  Property("ActiveFrameColor", &TfrxPreview::ActiveFrameColor, &TfrxPreview::SetActiveFrameColor)
      .Default(TColor(8405024));
  Property("BackColor", &TfrxPreview::BackColor, &TfrxPreview::SetBackColor).Default(TColor(8421504));
  Property("BevelEdges", &TfrxPreview::BevelEdges, &TfrxPreview::SetBevelEdges)
      .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
  Property("BevelInner", &TfrxPreview::BevelInner, &TfrxPreview::SetBevelInner).Default(bvRaised);
  Property("BevelOuter", &TfrxPreview::BevelOuter, &TfrxPreview::SetBevelOuter).Default(bvLowered);
  Property("BorderStyle", &TfrxPreview::BorderStyle, &TfrxPreview::SetBorderStyle).Default(bsSingle);
  Property("FrameColor", &TfrxPreview::FrameColor, &TfrxPreview::SetFrameColor).Default(TColor(0));
  Property("OutlineColor", &TfrxPreview::OutlineColor, &TfrxPreview::SetOutlineColor).Default(clWindow);
  Property("OutlineVisible", &TfrxPreview::OutlineVisible, &TfrxPreview::SetOutlineVisible);
  Property("OutlineWidth", &TfrxPreview::OutlineWidth, &TfrxPreview::SetOutlineWidth);
  Property("ThumbnailVisible", &TfrxPreview::ThumbnailVisible, &TfrxPreview::SetThumbnailVisible);
  Property("UseReportHints", &TfrxPreview::UseReportHints).Default(true);
}

TfrxPreview::TfrxPreview(TComponent* AOwner) : TfrxCustomPreview(AOwner) {
  SetBounds(0, 0, 100, 100);
  FControlStyle.Include(csOpaque);
  TfrxResources* res = frxGetResources();

  FOutlinePopup = new TPopupMenu(this);
  FOutlinePopup->SetImages(res->GetPreviewButtonImages());
  auto addItem = [&](Integer textId, Integer image, void (TfrxPreview::*action)()) {
    auto* item = new TMenuItem(FOutlinePopup);
    item->SetCaption(frxResourceTextById(textId));
    item->SetImageIndex(image);
    item->OnClick = [this, action](TObject*) { (this->*action)(); };
    FOutlinePopup->Items()->Add(item);
  };
  addItem(601, 13, &TfrxPreview::CollapseOutline);
  addItem(600, 14, &TfrxPreview::ExpandOutline);

  FOutline = new TTreeView(this);
  FOutline->SetParent(this);
  FOutline->SetAlign(alLeft);
  FOutline->SetHideSelection(false);
  FOutline->SetBorderStyle(bsNone);
  FOutline->SetBevelKind(bkFlat);
  FOutline->SetReadOnly(true);
  FOutline->OnClick = [this](TObject*) { OutlineClick(); };
  FOutline->SetPopupMenu(FOutlinePopup);
  FOutline->SetWidth(120);

  FThumbnail = new TfrxPreviewWorkspace(this);
  FThumbnail->SetParent(this);
  FThumbnail->SetAlign(alLeft);
  FThumbnail->SetVisible(false);
  FThumbnail->SetWidth(120);
  FThumbnail->Zoom = 0.1;
  FThumbnail->IsThumbnail = true;
  FThumbnail->Preview = this;

  FSplitter = new TSplitter(this);
  FSplitter->SetParent(this);
  FSplitter->SetAlign(alLeft);
  FSplitter->SetWidth(4);
  FSplitter->SetLeft(FOutline->Left() + FOutline->Width() + 1);
  FSplitter->OnMoved = [this](TObject*) { UpdatePages(); };

  FWorkspace = new TfrxPreviewWorkspace(this);
  FWorkspace->SetParent(this);
  FWorkspace->SetAlign(alClient);
  FWorkspace->Preview = this;

  FMessagePanel = new TPanel(this);
  FMessagePanel->SetParent(this);
  FMessagePanel->SetVisible(false);
  FMessagePanel->SetBounds(0, 0, 260, 75);
  FMessageLabel = new TLabel(FMessagePanel);
  FMessageLabel->SetParent(FMessagePanel);
  FMessageLabel->SetAutoSize(false);
  FMessageLabel->SetAlignment(taCenter);
  FMessageLabel->SetBounds(4, 20, 255, 20);
  FCancelB = new TButton(FMessagePanel);
  FCancelB->SetParent(FMessagePanel);
  FCancelB->SetVisible(false);
  FCancelB->SetBounds(92, 44, 75, 25);
  FCancelB->SetCaption(res->Get("clCancel"));
  FCancelB->OnClick = [this](TObject*) { CancelBuild(); };
}

TfrxPreview::~TfrxPreview() {
  if (Report && Report->Preview() == this) Report->SetPreview(nullptr);
}

void TfrxPreview::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    // With 3-D controls the single border is the client edge.
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TfrxPreview::Resize() {
  inherited::Resize();
  if (FZoomMode == zmWholePage || FZoomMode == zmPageWidth || FZoomMode == zmManyPages) UpdatePages();
}

void TfrxPreview::SetActiveFrameColor(TColor v) {
  FWorkspace->ActiveFrameColor = v;
  FWorkspace->Invalidate();
}

void TfrxPreview::SetBackColor(TColor v) {
  FWorkspace->BackColor = v;
  FWorkspace->Invalidate();
}

void TfrxPreview::SetFrameColor(TColor v) {
  FWorkspace->FrameColor = v;
  FWorkspace->Invalidate();
}

void TfrxPreview::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  if (HandleAllocated()) RecreateWnd();
}

void TfrxPreview::SetOutlineColor(TColor v) {
  FOutlineColor = v;
  FOutline->SetColor(v);
}

bool TfrxPreview::OutlineVisible() const { return FOutline->Visible(); }
bool TfrxPreview::ThumbnailVisible() const { return FThumbnail->Visible(); }
Integer TfrxPreview::OutlineWidth() const { return FOutline->Width(); }

void TfrxPreview::SetOutlineWidth(Integer v) {
  FOutline->SetWidth(v);
  if (!ComponentState().Contains(csDesigning)) FThumbnail->SetWidth(v);
}

void TfrxPreview::ApplyPanelLayout(bool OutlineShown, bool ThumbsShown) {
  // The splitter stands right of whichever strip is shown.
  FSplitter->SetVisible(OutlineShown || ThumbsShown);
  if (OutlineShown) FSplitter->SetLeft(FOutline->Left() + FOutline->Width() + 1);
  if (ThumbsShown) FSplitter->SetLeft(FThumbnail->Left() + FThumbnail->Width() + 1);
}

void TfrxPreview::SetOutlineVisible(bool v) {
  const bool changed = FOutline->Visible() != v;
  FSplitter->SetVisible(v || FThumbnail->Visible());
  FOutline->SetVisible(v);
  if (v) FThumbnail->SetVisible(false);
  ApplyPanelLayout(v, FThumbnail->Visible());
  if (FHost) FHost->OutlineVisibleChanged(v);
  if (changed) UpdatePages();
}

void TfrxPreview::SetThumbnailVisible(bool v) {
  const bool changed = FThumbnail->Visible() != v;
  FSplitter->SetVisible(v || FOutline->Visible());
  FThumbnail->SetVisible(v);
  if (v) {
    FOutline->SetVisible(false);
    FThumbnail->SetHorzPosition(FThumbnail->HorzPosition());
    FThumbnail->SetVertPosition(FThumbnail->VertPosition());
  }
  ApplyPanelLayout(FOutline->Visible(), v);
  if (FHost) FHost->ThumbnailVisibleChanged(v);
  if (changed) UpdatePages();
}

void TfrxPreview::InitFromReport() {
  FWorkspace->PreviewPages = PreviewPages;
  FThumbnail->PreviewPages = PreviewPages;
  TfrxSearchState& s = frxSearchState();
  s.Found = false;
  s.LastFoundRecord = -1;
  FWorkspace->LastFoundPage = 0;
  FAllowFindNext = false;
  FWorkspace->SetDoubleBuffered(true);
  if (Report) {
    TfrxPreviewOptions* o = Report->PreviewOptions();
    SetOutlineWidth(o->OutlineWidth);
    SetOutlineVisible(o->OutlineVisible);
    SetThumbnailVisible(o->ThumbnailVisible);
    FWorkspace->RTL = o->RTLPreview;
    FThumbnail->RTL = o->RTLPreview;
    FZoomMode = o->ZoomMode;
    FZoom = o->Zoom;
  }
  // Page jumps of hyperlinks and anchors on the pages.
  if (auto* pages = dynamic_cast<TfrxPreviewPages*>(PreviewPages))
    pages->OnJump = [this](Integer Page, Integer Top) { ShowAtPosition(Page + 1, Top); };
  UpdatePages();
  UpdateOutline();
  GotoFirstPage();
}

void TfrxPreview::Lock() {
  FLocked = true;
  FWorkspace->Locked = true;
  FThumbnail->Locked = true;
  if (FHost) FHost->UpdateControls();
}

void TfrxPreview::Unlock() {
  HideStatusMessage();
  FLocked = false;
  FWorkspace->Locked = false;
  FThumbnail->Locked = false;
  UpdatePages();
  FWorkspace->Invalidate();
  FThumbnail->Invalidate();
  if (FHost) FHost->UpdateControls();
}

template <class F>
void TfrxPreview::WithLock(F&& Body) {
  Lock();
  try {
    Body();
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
}

void TfrxPreview::RefreshReport() {
  if (!Report) return;
  const Integer hpos = FWorkspace->HorzPosition();
  const Integer vpos = FWorkspace->VertPosition();
  const Integer page = FPageNo;
  Lock();
  FRefreshing = true;
  try {
    Report->PrepareReport(true);
    FLocked = false;
    FThumbnail->Locked = false;
    FPageNo = page > GetPageCount() ? 1 : page;
    FWorkspace->PageNo = FPageNo;
    FThumbnail->PageNo = FPageNo;
    UpdatePages();
    UpdateOutline();
  } catch (...) {
    // A failed build leaves nothing locked behind.
    FRefreshing = false;
    FLocked = false;
    FThumbnail->Locked = false;
    FWorkspace->Locked = false;
    throw;
  }
  FRefreshing = false;
  FWorkspace->SetHorzPosition(hpos);
  FWorkspace->SetVertPosition(vpos);
  FWorkspace->Locked = false;
  FWorkspace->Invalidate();
  FThumbnail->Invalidate();
  if (GetPageCount() < page) SetPageNo(1);
}

void TfrxPreview::ProgressStarted(TfrxReport*, TfrxProgressType, Integer) {
  if (FRefreshing) return;
  ClearPages();
  if (Report) Report->DrillState()->Clear();
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
    // The first pages are shown as they arrive.
    const TfrxFloatRect size = PreviewPages->GetPageSize(Progress);
    FWorkspace->AddPageSize(Integer(size.Right), Integer(size.Bottom));
    FWorkspace->ArrangeForClient();
  }
  if (Progress == 0) {
    SetPageNo(1);
    if (finalPass) UpdatePages();
    if (FHost) FHost->SetCancelCaption(frxGetResources()->Get("clCancel"));
    FTick = TickMs();
  } else if (Progress == 1) {
    // How long the second page took decides how often later pages are announced.
    const DWORD ms = TickMs() - FTick;
    FRefreshInterval = ms < 5 ? 50 : ms < 10 ? 20 : 5;
    SetPageNo(1);
    if (finalPass) UpdatePages();
  } else if (Progress % FRefreshInterval == 0) {
    DoPageChanged();
    if (finalPass) FWorkspace->UpdateScrollBars();
  }
  frxProcessMessages(Progress < 2);
}

void TfrxPreview::ProgressStopped(TfrxReport*, TfrxProgressType, Integer) {
  if (FRefreshing) return;
  FRunning = false;
  DoPageChanged();
  FWorkspace->UpdateScrollBars();
  FThumbnail->UpdateScrollBars();
  UpdatePages();
  UpdateOutline();
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
  FThumbnail->PageNo = Value;
  if (old != Value) {
    // Only the frames move: the old one is painted over, the new one drawn.
    FWorkspace->DrawPages(true);
    FThumbnail->DrawPages(true);
  }
  FScrollingToPage = true;
  try {
    FWorkspace->ScrollToPage(Value);
    FThumbnail->ScrollToPage(Value);
  } catch (...) {
    FScrollingToPage = false;
    throw;
  }
  FScrollingToPage = false;
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
  FWorkspace->ForgetSearchPage();
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
  const bool thumbs = !FRunning;
  const bool buffered = FThumbnail->DoubleBuffered();
  FThumbnail->SetDoubleBuffered(true);
  FWorkspace->Zoom = FZoom;
  FThumbnail->Zoom = 0.1;
  FWorkspace->ClearPages();
  if (thumbs) FThumbnail->ClearPages();
  for (Integer i = 0; i < GetPageCount(); ++i) {
    const TfrxFloatRect s = PreviewPages->GetPageSize(i);
    FWorkspace->AddPageSize(Integer(s.Right), Integer(s.Bottom));
    if (thumbs) FThumbnail->AddPageSize(Integer(s.Right), Integer(s.Bottom));
  }
  FWorkspace->ArrangeForClient();
  if (thumbs) FThumbnail->ArrangeForClient();
  FWorkspace->UpdateScrollBars();
  FThumbnail->UpdateScrollBars();
  FWorkspace->SetHorzPosition(FWorkspace->HorzPosition());
  FWorkspace->SetVertPosition(FWorkspace->VertPosition());
  if (showAt) ShowAtPosition(FPageNo, 0);
  if (!FRefreshing) {
    FWorkspace->Invalidate();
    FThumbnail->Invalidate();
  }
  FThumbnail->SetDoubleBuffered(buffered);
  if (FHost) FHost->UpdateZoom();
}

void TfrxPreview::AddOutlineLevel(TfrxCustomOutline* Outline, TTreeNode* Parent) {
  // A damaged prepared file may nest its outline without end; a tree this
  // deep is not readable anyway.
  if (Parent && Parent->Level() >= 64) return;
  for (Integer i = 0; i < Outline->ItemCount(); ++i) {
    String text;
    Integer page = 0, top = 0;
    Outline->ReadItem(i, text, page, top);
    TTreeNode* node = FOutline->Items()->AddChild(Parent, text);
    node->SetImageIndex(page + 1);
    node->SetSelectedIndex(page + 1);
    node->SetStateIndex(top);
    Outline->EnterItem(i);
    AddOutlineLevel(Outline, node);
    Outline->LevelUp();
  }
}

void TfrxPreview::UpdateOutline() {
  TTreeNodes* nodes = FOutline->Items();
  nodes->BeginUpdate();
  try {
    nodes->Clear();
    if (PreviewPages && PreviewPages->Outline()) {
      TfrxCustomOutline* outline = PreviewPages->Outline();
      outline->LevelRoot();
      AddOutlineLevel(outline, nullptr);
      outline->LevelRoot();
    }
    if (Report && Report->PreviewOptions()->OutlineExpand) FOutline->FullExpand();
    if (TTreeNode* first = nodes->GetFirstNode()) FOutline->SetTopItem(first);
  } catch (...) {
    nodes->EndUpdate();
    throw;
  }
  nodes->EndUpdate();
}

void TfrxPreview::ExpandOutline() {
  FOutline->FullExpand();
  if (TTreeNode* first = FOutline->Items()->GetFirstNode()) FOutline->SetTopItem(first);
}

void TfrxPreview::CollapseOutline() { FOutline->FullCollapse(); }

void TfrxPreview::OutlineClick() {
  TTreeNode* node = FOutline->Selected();
  if (!node) return;
  ShowAtPosition(node->ImageIndex(), node->StateIndex());
  if (HandleAllocated() && IsWindowVisible(Handle()) && CanFocus()) SetFocus();
}

void TfrxPreview::ShowStatusMessage(const String& Text) {
  FMessagePanel->SetBounds((Width() - 260) / 2, (Height() - 75) / 3, 260, 75);
  FMessageLabel->SetCaption(Text);
  FMessagePanel->SetVisible(true);
  FMessagePanel->BringToFront();
  FMessagePanel->Repaint();
}

void TfrxPreview::HideStatusMessage() {
  FMessagePanel->SetVisible(false);
  FCancelB->SetVisible(false);
}

void TfrxPreview::SavePreparedWithDialog() {
  if (FRunning) return;
  TSaveDialog dlg(Application);
  dlg.SetOptions(dlg.Options() + ofNoChangeDir);
  dlg.SetFilter(frxGetResources()->Get("clFP3files") + " (*.fp3)|*.fp3");
  if (!dlg.Execute()) return;
  FWorkspace->Repaint();
  SavePrepared(ChangeFileExt(dlg.FileName(), ".fp3"));
}

void TfrxPreview::SavePrepared(const String& FileName) {
  if (FRunning || !PreviewPages) return;
  WithLock([&] {
    ShowStatusMessage(frxGetResources()->Get("clSaving"));
    PreviewPages->SaveToFile(FileName);
  });
}

void TfrxPreview::LoadPreparedWithDialog() {
  if (FRunning) return;
  TOpenDialog dlg(nullptr);
  dlg.SetOptions(TOpenOptions{ofHideReadOnly, ofNoChangeDir});
  dlg.SetFilter(frxGetResources()->Get("clFP3files") + " (*.fp3)|*.fp3");
  if (!dlg.Execute()) return;
  FWorkspace->Repaint();
  LoadPrepared(dlg.FileName());
}

void TfrxPreview::LoadPrepared(const String& FileName) {
  if (FRunning || !PreviewPages) return;
  Lock();
  ShowStatusMessage(frxGetResources()->Get("clLoading"));
  auto finish = [&] {
    SetPageNo(1);
    UpdateOutline();
    Unlock();
  };
  try {
    PreviewPages->LoadFromFile(FileName);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TfrxPreview::EditCurrentPage() {
  if (!PreviewPages || !Report) return;
  try {
    TfrxComponent* prepared = PreviewPages->GetPage(FPageNo - 1);
    if (!prepared) return;
    TfrxReport report;
    TfrxReportPage* page = dynamic_cast<TfrxDMPPage*>(prepared) ? new TfrxDMPPage(&report)
                                                                 : new TfrxReportPage(&report);
    page->CopyFrom(prepared);
    // The page as it was printed, every object straight on the page.
    TList* all = page->AllObjects();
    std::vector<TfrxComponent*> objects;
    for (Integer i = 0; i < all->Count(); ++i) objects.push_back(static_cast<TfrxComponent*>(all->Items(i)));
    std::vector<TfrxComponent*> bands;
    for (TfrxComponent* c : objects) {
      if (auto* v = dynamic_cast<TfrxView*>(c)) {
        v->DataField.clear();
        v->SetDataSet(nullptr);
        v->SetRestrictions({});
      }
      if (dynamic_cast<TfrxBand*>(c)) bands.push_back(c);
      if (c->Parent() != page && !dynamic_cast<TfrxBand*>(c)) {
        const Extended left = c->AbsLeft(), top = c->AbsTop();
        c->SetParent(page);
        c->SetLeft(left);
        c->SetTop(top);
        c->SetParentFont(false);
        if (auto* v = dynamic_cast<TfrxView*>(c))
          if (v->Align() == baBottom || v->Align() == baClient) v->SetAlign(baNone);
      }
    }
    for (TfrxComponent* b : bands) delete b;
    if (report.EditPreparedPageInDesigner()) {
      WithLock([&] { PreviewPages->ModifyPage(FPageNo - 1, static_cast<TfrxComponent*>(report.Pages(0))); });
    }
  } catch (...) {
    // Editing a page never disturbs the preview.
  }
}

void TfrxPreview::EditTemplate() {
  auto* pages = dynamic_cast<TfrxPreviewPages*>(PreviewPages);
  if (!pages) return;
  TfrxReport report;
  TList* list = report.Objects();
  for (Integer i = 0; i < pages->SourcePageCount(); ++i) list->Add(pages->SourcePage(i));
  try {
    report.OpenDesigner();
  } catch (...) {
    list->Clear();
    throw;
  }
  // The source pages belong to the prepared pages, not to this report.
  list->Clear();
}

void TfrxPreview::ClearPages() {
  if (FRunning) return;
  if (PreviewPages) WithLock([&] { PreviewPages->Clear(); });
  FWorkspace->ClearPages();
  FThumbnail->ClearPages();
  UpdateOutline();
  SetPageNo(1);
  FWorkspace->SetHorzRange(0);
  FWorkspace->SetVertRange(0);
  if (FThumbnail->Visible()) {
    FThumbnail->SetHorzRange(0);
    FThumbnail->SetVertRange(0);
  }
}

void TfrxPreview::InsertEmptyPage() {
  if (FRunning || !PreviewPages || GetPageCount() == 0) return;
  PreviewPages->AddEmptyPage(FPageNo - 1);
  UpdatePages();
  SetPageNo(FPageNo);
}

void TfrxPreview::RemoveCurrentPage() {
  if (FRunning || !PreviewPages || GetPageCount() == 0) return;
  PreviewPages->DeletePage(FPageNo - 1);
  // The page after the removed one takes its place; past the end, the last page.
  if (FPageNo > GetPageCount()) FPageNo = std::max(1, GetPageCount());
  FWorkspace->PageNo = FPageNo;
  FThumbnail->PageNo = FPageNo;
  UpdatePages();
  DoPageChanged();
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

void TfrxPreview::CancelIfRunning() {
  if (FRunning) CancelBuild();
}

void TfrxPreview::HandleKey(Word Key, bool Ctrl) {
  const TfrxPreviewButtons buttons = Report ? Report->PreviewOptions()->Buttons : TfrxPreviewButtons{};
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
      if (buttons.Contains(pbFind)) FindNextText();
      break;
    case 'P':
      if (Ctrl && buttons.Contains(pbPrint)) PrintPages();
      break;
    case 'S':
      if (Ctrl && buttons.Contains(pbSave)) SavePreparedWithDialog();
      break;
    case 'F':
      if (Ctrl && buttons.Contains(pbFind)) ShowFindDialog();
      break;
    case 'O':
      if (Ctrl && buttons.Contains(pbLoad)) LoadPreparedWithDialog();
      break;
    default:
      break;
  }
}

void TfrxPreview::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NOTIFY: {
      const auto* h = reinterpret_cast<const NMHDR*>(Message.LParam);
      const bool outlineClick = h && h->code == UINT(NM_CLICK) && FOutline->HandleAllocated() &&
                                h->hwndFrom == FOutline->Handle();
      inherited::Dispatch(Message);
      if (outlineClick && HandleAllocated()) PostMessageW(Handle(), kOutlineClicked, 0, 0);
      return;
    }
    case kOutlineClicked:
      OutlineClick();
      return;
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
