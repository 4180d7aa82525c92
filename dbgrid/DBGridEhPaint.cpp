// The data grid's cell painter: data cells with row colours and selection
// highlight, titles, the indicator column and the text writer they share.
#include <algorithm>

#include "DBGridEh.h"
#include "ImgList.h"
#include "Themes.h"
#include "SysUtils.h"
#include "Utf8.h"

namespace {

// Mirrors a Windows RECT from a TRect.
RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

}   // namespace

String TCustomDBGridEh::EllipsisText(TCanvas* ACanvas, const String& Text, Integer MaxWidth) {
  if (ACanvas->TextWidth(Text) <= MaxWidth) return Text;
  // Shorten by whole characters (a Chinese character is several bytes and
  // must never be split): first length − 2 characters, then one fewer each
  // time, down to the ellipsis alone.
  size_t len = Utf8Length(Text);
  for (size_t keep = len >= 2 ? len - 2 : 0;; --keep) {
    String s = Utf8Left(Text, keep) + "...";
    if (keep == 0 || ACanvas->TextWidth(s) <= MaxWidth) return s;
  }
}

void TCustomDBGridEh::WriteTextEh(TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                                  const String& Text, TAlignment Alignment, TTextLayout Layout, bool MultiLine,
                                  bool EndEllipsis, Integer LeftMarg, Integer RightMarg, bool RightToLeft) {
  HDC dc = ACanvas->Handle();
  if (MultiLine) {
    if (FillRect) ACanvas->FillRect(ARect);
    UINT flags = DT_EXPANDTABS | DT_NOPREFIX | DT_WORDBREAK;
    flags |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    if (EndEllipsis) flags |= DT_END_ELLIPSIS;
    if (RightToLeft) flags |= DT_RTLREADING;
    DRAWTEXTPARAMS dtp{};
    dtp.cbSize = sizeof(dtp);
    dtp.iLeftMargin = LeftMarg;
    dtp.iRightMargin = RightMarg;
    RECT r{ARect.Left + DX, ARect.Top + DY, ARect.Right - DX, ARect.Bottom - DY};
    std::u16string w = Utf8ToUtf16(Text);
    if (Layout != tlTop) {
      RECT calc = r;
      DrawTextExW(dc, reinterpret_cast<LPWSTR>(w.data()), Integer(w.size()), &calc, flags | DT_CALCRECT, &dtp);
      Integer h = calc.bottom - calc.top, avail = r.bottom - r.top;
      if (h < avail) r.top += Layout == tlCenter ? (avail - h) / 2 : avail - h;
    }
    if (DX > 0) r.right += 1;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextExW(dc, reinterpret_cast<LPWSTR>(w.data()), Integer(w.size()), &r, flags, &dtp);
    SetBkMode(dc, oldMode);
    return;
  }
  String text = Text;
  if (EndEllipsis) text = EllipsisText(ACanvas, Text, ARect.Width() - DX);
  Integer tw = ACanvas->TextWidth(text);
  Integer x;
  switch (Alignment) {
    case taRightJustify: x = ARect.Right - tw - 3; break;
    case taCenter: x = ARect.Left >= ARect.Right ? 0 : ARect.Left + (ARect.Right - ARect.Left) / 2 - tw / 2; break;
    default: x = ARect.Left + DX; break;
  }
  Integer th = ACanvas->TextHeight(text.empty() ? String("W") : text);
  Integer y = ARect.Top + DY;
  if (th < ARect.Height() - DY) {
    if (Layout == tlCenter) y = (ARect.Top + ARect.Bottom - th) / 2;
    else if (Layout == tlBottom) y = ARect.Bottom - th;
  }
  if (FillRect) {
    ACanvas->TextRect(ARect, x, y, text);
  } else {
    TBrushStyle old = ACanvas->Brush()->Style();
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->TextRect(ARect, x, y, text);
    ACanvas->Brush()->SetStyle(old);
  }
}

namespace {

// The canvas font turned by 90 degrees, selected into the canvas's device
// context for as long as the object lives.
class TTurnedFont {
 public:
  explicit TTurnedFont(TCanvas* ACanvas) : FDC(ACanvas->Handle()) {
    TFont* f = ACanvas->Font();
    LOGFONTW lf{};
    GetObjectW(f->Handle(), sizeof(lf), &lf);
    lf.lfEscapement = lf.lfOrientation = 900;
    lf.lfWeight = f->Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    if (f->Name() == "Default") {
      std::u16string face = Utf8ToUtf16("MS Sans Serif");
      std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), 0);
      std::copy(face.begin(), face.end(), reinterpret_cast<char16_t*>(lf.lfFaceName));
    }
    FFont = CreateFontIndirectW(&lf);
    FOld = SelectObject(FDC, FFont);
  }
  ~TTurnedFont() {
    SelectObject(FDC, FOld);
    DeleteObject(FFont);
  }
  TTurnedFont(const TTurnedFont&) = delete;
  TTurnedFont& operator=(const TTurnedFont&) = delete;
  // Length along the line and height across it, unturned.
  SIZE Extent(const String& Text) const {
    std::u16string w = Utf8ToUtf16(Text);
    SIZE sz{0, 0};
    GetTextExtentPoint32W(FDC, reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &sz);
    return sz;
  }
  // What an italic or synthesised font reaches past its advance.
  Integer Overhang() const {
    TEXTMETRICW tm{};
    GetTextMetricsW(FDC, &tm);
    if (tm.tmItalic && (tm.tmPitchAndFamily & TMPF_TRUETYPE)) {
      OUTLINETEXTMETRICW otm{};
      otm.otmSize = sizeof(otm);
      if (GetOutlineTextMetricsW(FDC, sizeof(otm), &otm) && otm.otmsCharSlopeRise != 0)
        return (tm.tmHeight - tm.tmInternalLeading) * otm.otmsCharSlopeRun / otm.otmsCharSlopeRise;
    }
    return tm.tmOverhang;
  }

 private:
  HDC FDC;
  HFONT FFont;
  HGDIOBJ FOld;
};

}   // namespace

Integer TCustomDBGridEh::WriteTextVerticalEh(TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                                             const String& Text, TAlignment Alignment, TTextLayout Layout,
                                             bool EndEllipsis, bool MeasureOnly) {
  TTurnedFont turned(ACanvas);
  Integer overhang = turned.Overhang();
  String text = Text;
  SIZE sz = turned.Extent(text);
  if (EndEllipsis && !MeasureOnly && sz.cx + overhang > ARect.Height() - DY) {
    // Shortened by whole characters, as the horizontal writer does.
    size_t len = Utf8Length(Text);
    for (size_t keep = len >= 2 ? len - 2 : 0;; --keep) {
      text = Utf8Left(Text, keep) + "...";
      sz = turned.Extent(text);
      if (keep == 0 || sz.cx + overhang <= ARect.Height() - DY) break;
    }
  }
  Integer extent = sz.cx + overhang;
  if (MeasureOnly) return extent;
  Integer th = sz.cy;
  Integer x;
  switch (Alignment) {
    case taRightJustify: x = ARect.Right - th; break;
    case taCenter: x = ARect.Left + (ARect.Width() - th - overhang) / 2; break;
    default: x = ARect.Left + DX; break;
  }
  // The turned text starts at its foot and reads upwards.
  Integer y;
  switch (Layout) {
    case tlTop: y = ARect.Top + extent; break;
    case tlCenter: y = (ARect.Top + ARect.Bottom + extent) / 2; break;
    default: y = ARect.Bottom - DY; break;
  }
  HDC dc = ACanvas->Handle();
  if (FillRect) ACanvas->FillRect(ARect);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, ColorToRGB(ACanvas->Font()->Color()));
  RECT clip = ToRect(ARect);
  std::u16string w = Utf8ToUtf16(text);
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, reinterpret_cast<LPCWSTR>(w.c_str()), UINT(w.size()), nullptr);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  return extent;
}

void TCustomDBGridEh::DrawIncSearchText(TCanvas* ACanvas, TRect R, Integer DX, Integer DY, const String& Text,
                                        TAlignment Alignment, bool WordWrap) {
  String matched = Utf8Left(Text, Utf8Length(FIncSearchText));
  if (matched.empty()) return;
  HDC dc = ACanvas->Handle();
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS;
  flags |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
  if (WordWrap) flags |= DT_WORDBREAK;
  RECT r{R.Left + DX, R.Top + DY, R.Right - DX, R.Bottom - DY};
  if (DX > 0) r.bottom += 1;
  // For right and centred text the rest of the text stands as a margin, so
  // that the matched start lands where the whole text was drawn.
  DRAWTEXTPARAMS dtp{};
  dtp.cbSize = sizeof(dtp);
  if (Alignment != taLeftJustify) {
    std::u16string rest = Utf8ToUtf16(Text.substr(matched.size()));
    SIZE sz{0, 0};
    GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(rest.c_str()), Integer(rest.size()), &sz);
    dtp.iRightMargin = sz.cx;
  }
  COLORREF oldText = SetTextColor(dc, ColorToRGB(IncSearchTextColor));
  COLORREF oldBk = SetBkColor(dc, ColorToRGB(IncSearchColor));
  int oldMode = SetBkMode(dc, OPAQUE);
  std::u16string w = Utf8ToUtf16(matched);
  DrawTextExW(dc, reinterpret_cast<LPWSTR>(w.data()), Integer(w.size()), &r, flags, &dtp);
  SetBkMode(dc, oldMode);
  SetBkColor(dc, oldBk);
  SetTextColor(dc, oldText);
}

bool TCustomDBGridEh::HasFocus() {
  if (FFocusWhilePainting >= 0) return FFocusWhilePainting != 0;
  if (!HandleAllocated()) return false;
  HWND f = GetFocus();
  return f == Handle() || (InplaceEditor() && InplaceEditor()->HandleAllocated() && f == InplaceEditor()->Handle());
}

bool TCustomDBGridEh::IsCell3D(Integer ACol, Integer ARow, TGridDrawState State, const TRect&) {
  if (State.Contains(gdFixed) && (ACol < FIndicatorOffset || ARow < FTitleOffset) && FOptionsEh.Contains(dghFixed3D))
    return true;
  Integer firstFooter = RowCount();
  if (ARow >= firstFooter && FOptionsEh.Contains(dghFooter3D) && FFooterRowCount > 0) return true;
  if (!State.Contains(gdFixed) && ARow >= FTitleOffset && ARow < firstFooter && FOptionsEh.Contains(dghData3D))
    return true;
  if (State.Contains(gdFixed) && ACol >= FIndicatorOffset && ARow >= FTitleOffset && ARow < firstFooter &&
      FOptionsEh.Contains(dghFrozen3D))
    return true;
  return false;
}

bool TCustomDBGridEh::HighlightFixedCell(bool Selected, TFont* AFont, TColor& Background, Integer HorzKind,
                                         Integer VertKind) {
  if (FStyle) return FStyle->HighlightNoDataCellColor(this, AFont, Background, Selected, HorzKind, VertKind);
  if (!Selected) return false;
  if (HorzKind == caIndicatorEh || VertKind == raTitleEh || VertKind == raFilterEh) {
    Background = TColor(RGB(64, 64, 64));
    if (AFont) AFont->SetColor(clWhite);
  } else if (HasFocus()) {
    Background = clHighlight;
    if (AFont) AFont->SetColor(clHighlightText);
  } else {
    Background = clBtnFace;
  }
  return true;
}

bool TCustomDBGridEh::HighlightDataCell(Integer DataCol, Integer DataRow, TFont* AFont, TColor& Background,
                                        TGridDrawState& State) {
  if (FStyle)
    return FStyle->HighlightDataCellColor(this, DataCol + FIndicatorOffset, AFont, Background, State, DataRow, DataCol);
  bool focusRule = HasFocus() && FOptionsEh.Contains(dghHighlightFocus);
  bool currentRow = IsCurrentRecord(DataRow);
  if (FOptionsEh.Contains(dghRowHighlight) && currentRow && DataCol != SelectedIndex()) {
    focusRule = HasFocus();
    State += gdSelected;
  }
  bool rowSelect = FOptions.Contains(dgRowSelect);
  bool highlight = (State.Contains(gdSelected) || (currentRow && rowSelect)) &&
                   (FOptions.Contains(dgAlwaysShowSelection) || focusRule);
  if (FUpdateLock > 0 && !rowSelect) highlight = false;
  // A cell of the grid's selection is always highlighted.
  if (FSelection->SelectionType() != gstNon && FDataLink->Active() &&
      FSelection->IsCellSelected(DataCol, FDataLink->DataSet()->GetBookmark()))
    highlight = true;
  if (!highlight) return false;
  if (HasFocus()) {
    Background = clHighlight;
    if (AFont) AFont->SetColor(clHighlightText);
  } else if (currentRow && (rowSelect || DataCol == SelectedIndex()) &&
             (focusRule || FOptions.Contains(dgAlwaysShowSelection))) {
    Background = clBtnShadow;
    if (AFont) AFont->SetColor(clHighlightText);
  } else {
    Background = clBtnFace;
  }
  return true;
}

void TCustomDBGridEh::Paint3DFrame(TCanvas* ACanvas, TRect R, bool FarSide, bool NearSide, bool Selected,
                                   bool Pressed) {
  HDC dc = ACanvas->Handle();
  RECT r = ToRect(R);
  UINT edge = Selected || Pressed ? BDR_SUNKENINNER : BDR_RAISEDINNER;
  if (!Flat()) {
    if (FarSide && NearSide) {
      DrawEdge(dc, &r, edge, BF_RECT);
    } else {
      DrawEdge(dc, &r, edge, NearSide ? BF_TOPLEFT : BF_TOP);
      DrawEdge(dc, &r, edge, FarSide ? BF_BOTTOMRIGHT : BF_BOTTOM);
    }
    return;
  }
  // Flat: the lower and far lines go in the background colour, only the
  // upper (and near) edge is drawn.
  TColor oldPen = ACanvas->Pen()->Color();
  ACanvas->Pen()->SetColor(ACanvas->Brush()->Color());
  if (FarSide) {
    TPoint pts[3] = {TPoint(R.Left, R.Bottom - 1), TPoint(R.Right - 1, R.Bottom - 1), TPoint(R.Right - 1, R.Top - 1)};
    ACanvas->Polyline(pts, 3);
  } else {
    ACanvas->MoveTo(R.Left, R.Bottom - 1);
    ACanvas->LineTo(R.Right, R.Bottom - 1);
  }
  ACanvas->Pen()->SetColor(oldPen);
  DrawEdge(dc, &r, edge, NearSide ? BF_TOPLEFT : BF_TOP);
}

bool TCustomDBGridEh::UseThemesForTitles() const {
  return !Flat() && ThemesEnabledEh() && FOptionsEh.Contains(dghFixed3D) && FOptions.Contains(dgColLines) &&
         FOptions.Contains(dgRowLines);
}

// A themed fixed cell: the toolbar's split button, grown past the cell so
// that its own edges fall outside and only its face shows.
void TCustomDBGridEh::DrawThemedFixedBackground(TCanvas* ACanvas, const TRect& Cell, bool Pressed) {
  TRect grown(Cell.Left - 2, Cell.Top - 2, Cell.Right + 2, Cell.Bottom + 2);
  TRect clip(std::max<Integer>(Cell.Left, 0), std::max<Integer>(Cell.Top, 0),
             std::min<Integer>(Cell.Right, ClientWidth()), std::min<Integer>(Cell.Bottom, ClientHeight()));
  if (clip.Right <= clip.Left || clip.Bottom <= clip.Top) return;
  // The brush first: what a theme leaves open shows the cell's colour.
  ACanvas->FillRect(clip);
  ThemeServices()->DrawElement(ACanvas->Handle(),
                               TThemeServices::GetElementDetails(teToolBar, TP_SPLITBUTTON, Pressed ? TS_PRESSED : TS_HOT),
                               grown, &clip);
}

bool TCustomDBGridEh::NeedsBufferedPaint() {
  return UseThemesForTitles() || (TreeOfDataSet() && FOptions.Contains(dgRowLines));
}

// Themed titles are painted through an off-screen bitmap so that the
// themed faces never flicker; once needed, the grid keeps painting so.
bool TCustomDBGridEh::PaintBuffered(TMessage& Message) {
  // While painting is locked the ordinary handler lets the update pass
  // without painting: an off-screen bitmap left unpainted would be copied
  // over the grid as it is.
  if (Message.WParam != 0 || DisableGridBufferedPaint || !HandleAllocated() || IsPaintLocked()) return false;
  if (!FBufferedPaint && NeedsBufferedPaint()) FBufferedPaint = true;
  if (!FBufferedPaint) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT client;
  GetClientRect(Handle(), &client);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
  HGDIOBJ old = SelectObject(mem, bmp);
  auto release = [&] {
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(Handle(), &ps);
  };
  try {
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
    IntersectClipRect(mem, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
    BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  } catch (...) {
    release();
    throw;
  }
  release();
  Message.Result = 0;
  return true;
}

Integer TCustomDBGridEh::TitlePressOffset() const {
  return FUseMultiTitle || FTitleHeight > 0 || FTitleLines > 0 ? 2 : 1;
}

void TCustomDBGridEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) {
  FCellFramed = false;
  if (ARect.Left >= ARect.Right) return;
  TCanvas* c = Canvas();
  if (ComponentState().Contains(csLoading)) {
    c->Brush()->SetColor(Color());
    c->FillRect(ARect);
    return;
  }
  bool is3D = IsCell3D(ACol, ARow, AState, ARect);
  Integer hk, vk, dataCol, dataRow;
  GetCellType(ACol, ARow, hk, vk, dataCol, dataRow);
  TRect R = ARect;
  Integer DX = 2;
  if (is3D) {
    R.Left += 1, R.Top += 1, R.Right -= 1, R.Bottom -= 1;
    DX = 1;
  }
  Integer DY = Flat() ? DX - 1 : DX;
  TColumnEh* column = (hk == caDataColEh && dataCol < FColumns->Count()) ? FColumns->Item(dataCol) : nullptr;

  // The frame of a fixed cell follows its selection and pressed states.
  bool frameSelected = false, framePressed = false;
  FPaintThemed = is3D && UseThemesForTitles();
  if (hk == caIndicatorEh && vk != raTitleEh) {
    DrawIndicatorCell(vk == raDataEh ? dataRow : -1, R, DX, DY);
  } else if (vk == raTitleEh) {
    if (hk == caIndicatorEh || !column) {
      TColor bg = FixedColor();
      if (hk == caIndicatorEh) {
        frameSelected = HighlightFixedCell(FSelection->SelectionType() == gstAll, c->Font(), bg, hk, vk);
        framePressed = FIndicatorTitle->Pressed() && FTitlePressed;
      }
      c->Brush()->SetColor(bg);
      if (FPaintThemed) DrawThemedFixedBackground(c, R, framePressed || frameSelected);
      else c->FillRect(R);
      if (hk == caIndicatorEh && FIndicatorTitle->ShowDropDownSign()) {
        // The drop-down sign: a small solid triangle, 7, 5, 3 and 1 pixels.
        Integer shift = framePressed ? 1 : 0;
        Integer x = (R.Left + R.Right - 7) / 2 + shift, y = (R.Top + R.Bottom - 4) / 2 + shift;
        c->Brush()->SetColor(clBlack);
        for (Integer i = 0; i < 4; ++i) c->FillRect(TRect(x + i, y + i, x + 7 - i, y + i + 1));
      }
    } else {
      DrawTitle(dataCol, R, AState, DX, DY, frameSelected, framePressed);
    }
  } else if (vk == raFilterEh && column && IsColumnFilterable(dataCol)) {
    DrawFilterCell(dataCol, R, AState);
  } else if (!FDataLink->Active()) {
    c->Brush()->SetColor(column ? column->Color() : Color());
    c->FillRect(R);
  } else if (vk == raDataEh && dataRow < RecordCountInView() && column) {
    DrawDataCell(dataCol, dataRow, R, AState, DX, DY);
  } else if (vk == raFooterEh && column) {
    DrawFooterCell(dataCol, dataRow, R, AState, DX, DY);
  } else {
    // Rows below the records and the filter row: empty.
    TColor bg = column ? column->Color() : FixedColor();
    bool selected = HighlightFixedCell(CellInSelection(ACol, ARow), c->Font(), bg, hk, vk);
    c->Brush()->SetColor(bg);
    if (FPaintThemed) DrawThemedFixedBackground(c, R, selected);
    else c->FillRect(R);
  }

  if (DefaultDrawing() && AState.Contains(gdFocused) && HasFocus() && !IsDesigning() &&
      (!FStyle || FStyle->ShowFocusRect()) &&
      !FOptions.Contains(dgRowSelect) && FUpdateLock == 0) {
    RECT fr = ToRect(ARect);
    DrawFocusRect(c->Handle(), &fr);
  }
  if (is3D && !FPaintThemed) Paint3DFrame(c, ARect, true, true, frameSelected, framePressed);
  FCellFramed = is3D;
  FPaintThemed = false;
}

void TCustomDBGridEh::DrawIndicatorCell(Integer DataRow, TRect R, Integer DX, Integer DY) {
  TCanvas* c = Canvas();
  TColor background = FixedColor();
  if (!FDataLink->Active()) {
    c->Brush()->SetColor(background);
    if (FPaintThemed) DrawThemedFixedBackground(c, R, false);
    else c->FillRect(R);
    return;
  }
  bool inBuffer = DataRow >= 0 && DataRow < RecordCountInView();
  bool selected = FSelection->SelectionType() == gstAll;
  if (inBuffer && FOptions.Contains(dgMultiSelect)) {
    SetDrawRecord(DataRow);
    try {
      selected = FBookmarks->CurrentRowSelected();
    } catch (...) {
      RestoreDrawRecord();
      throw;
    }
    RestoreDrawRecord();
  }
  if (selected) HighlightFixedCell(true, nullptr, background, caIndicatorEh, raDataEh);
  c->Brush()->SetColor(background);
  if (FPaintThemed) DrawThemedFixedBackground(c, R, selected);
  else c->FillRect(R);
  if (!inBuffer) return;
  bool current = IsCurrentRecord(DataRow);
  if (current) FLastIndicatorRow = DataRow + FTitleOffset;
  if (!current && !selected) return;
  TDataSet* ds = FDataLink->DataSet();
  Integer glyph = -1;
  switch (ds ? ds->State() : dsBrowse) {
    case dsBrowse:
      if (current) glyph = selected ? 5 : FIncSearching ? 6 : 0;
      break;
    case dsEdit: glyph = 1; break;
    case dsInsert: glyph = 2; break;
    default: glyph = 0; break;
  }
  if (glyph < 0) return;
  TImageList* images = IndicatorImagesEh();
  images->Draw(c, R.Right - images->Width() - DX, (R.Top + R.Bottom - images->Height()) / 2, glyph);
}

TFont* SortIndexFontEh() {
  // Arial one pixel lower than the sort-marker glyph (9 pixels).
  static TFont* font = [] {
    auto* f = new TFont;
    f->SetName("Arial");
    f->SetHeight(1 - 9);
    return f;
  }();
  return font;
}

namespace {

// The sort-marker glyph: a triangle pointing down (descending) or up,
// drawn engraved as the library's 10 x 9 marker bitmaps are.
void DrawSortMarkerGlyph(HDC dc, Integer x, Integer y, bool down) {
  HPEN grey = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN white = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HGDIOBJ old = SelectObject(dc, grey);
  if (down) {
    MoveToEx(dc, x + 1, y + 1, nullptr);
    LineTo(dc, x + 9, y + 1);
    MoveToEx(dc, x + 1, y + 1, nullptr);
    LineTo(dc, x + 5, y + 8);
    SelectObject(dc, white);
    MoveToEx(dc, x + 8, y + 1, nullptr);
    LineTo(dc, x + 4, y + 8);
  } else {
    MoveToEx(dc, x + 4, y + 1, nullptr);
    LineTo(dc, x + 1, y + 8);
    SelectObject(dc, white);
    MoveToEx(dc, x + 1, y + 7, nullptr);
    LineTo(dc, x + 9, y + 7);
    MoveToEx(dc, x + 5, y + 1, nullptr);
    LineTo(dc, x + 9, y + 8);
  }
  SelectObject(dc, old);
  DeleteObject(grey);
  DeleteObject(white);
}

}   // namespace

void TCustomDBGridEh::DrawTitle(Integer DataCol, TRect R, TGridDrawState State, Integer DX, Integer DY,
                                bool& Highlighted, bool& Pressed) {
  TCanvas* c = Canvas();
  TColumnEh* col = FColumns->Item(DataCol);
  TColumnTitleEh* t = col->Title();
  AssignFontEh(c->Font(), t->Font());
  TColor background = t->Color();
  THeadTreeNode* leaf = FUseMultiTitle ? LeafOfColumn(DataCol) : nullptr;
  if (leaf && leaf->Column != col) leaf = nullptr;   // the tree is rebuilt by the next layout
  Pressed = FTitlePressed && FPressedTitleCol == DataCol + FIndicatorOffset;
  TRect cell = R;
  String caption = t->Caption();
  if (leaf) {
    R.Top = std::max(R.Top, R.Bottom - leaf->Height + 3);
    caption = leaf->Text;
  }
  // A title image takes the caption's place.
  bool titleImage = FTitleImages && t->ImageIndex() != -1;
  Integer imageWidth = 0;
  if (titleImage) {
    caption.clear();
    imageWidth = FTitleImages->Width();
  }
  TSortMarkerEh marker = t->SortMarker();
  if (col->Field() && OnGetBtnParams) OnGetBtnParams(this, col, c->Font(), background, marker, Pressed);
  // A pressed title's text moves right and down (further for multi-line
  // titles).
  bool multiLine = FUseMultiTitle || FTitleHeight > 0 || FTitleLines > 0;
  Integer off = Pressed ? TitlePressOffset() : 0;
  // The sort index is shown only when more than one column is sorted on.
  TRect text = R;
  text.Top += off;
  if (multiLine) text.Bottom += off;   // centred text moves down by the whole offset
  Integer w = 0;
  bool showMarker = marker != smNoneEh;
  if (showMarker) {
    text.Right -= 16;
    if (FSortMarkedColumns.Count() > 1 && t->SortIndex() > 0) {
      TFont saved;
      saved.Assign(c->Font());
      c->Font()->Assign(SortIndexFontEh());
      w = c->TextWidth(IntToStr(t->SortIndex()));
      c->Font()->Assign(&saved);
      text.Right -= w;
    }
    if (text.Left + imageWidth > text.Right) {
      showMarker = false;
      text.Right += 14;
      if (text.Left + imageWidth > text.Right) {
        text.Right += 2 + w;
        w = 0;
      }
    }
  }
  AssignFontEh(c->Font(), t->Font());
  if (col->Field() && OnGetBtnParams) {
    TColor bg2 = background;
    TSortMarkerEh m2 = marker;
    OnGetBtnParams(this, col, c->Font(), bg2, m2, Pressed);
  }
  Highlighted = HighlightFixedCell(CellInSelection(DataCol + FIndicatorOffset, 0), c->Font(), background,
                                   caDataColEh, raTitleEh);
  c->Brush()->SetColor(background);
  bool themed = FPaintThemed;
  bool fill = !themed;
  if (themed) {
    DrawThemedFixedBackground(c, cell, Pressed || Highlighted);
  } else {
    if (text.Right < cell.Right) c->FillRect(TRect(std::max(text.Right, cell.Left), cell.Top, cell.Right, cell.Bottom));
    if (text.Top > cell.Top) c->FillRect(TRect(cell.Left, cell.Top, cell.Right, text.Top));
  }
  // A pressed title's moved text stays inside its cell.
  HDC titleDC = c->Handle();
  int savedDC = off > 0 ? SaveDC(titleDC) : 0;
  if (savedDC) IntersectClipRect(titleDC, cell.Left, cell.Top, cell.Right, cell.Bottom);
  bool vertical = t->Orientation() == tohVertical;
  if (vertical) {
    if (!multiLine) text.Left += off, text.Right += off;
    WriteTextVerticalEh(c, text, fill, DX, DY + 2, caption, leaf ? taCenter : t->Alignment(), tlBottom,
                        t->EndEllipsis(), false);
  } else if (leaf) {
    WriteTextEh(c, text, fill, DX, DY, caption, taCenter, tlCenter, true, t->EndEllipsis(), off, -off, false);
  } else if (multiLine) {
    WriteTextEh(c, text, fill, DX, DY, caption, t->Alignment(), tlCenter, true, t->EndEllipsis(), off, -off, false);
  } else {
    // The whole rectangle moves; its uncovered strip at the left is filled.
    if (off > 0 && fill) c->FillRect(TRect(text.Left, text.Top, std::min(text.Right, text.Left + off), text.Bottom));
    text.Left += off;
    text.Right += off;
    WriteTextEh(c, text, fill, DX, DY, caption, t->Alignment(), tlTop, false, t->EndEllipsis(), 0, 0, false);
  }
  if (savedDC) RestoreDC(titleDC, savedDC);
  if (titleImage) DrawImageEh(FTitleImages, c, leaf ? taCenter : t->Alignment(), off, t->ImageIndex(), text);
  if (showMarker)
    DrawSortMarkerGlyph(c->Handle(), R.Right + off - 10 - w - 2, (R.Top + R.Bottom - 9) / 2 + off,
                        marker == smDownEh);
  if (w > 0) {
    TFont saved;
    saved.Assign(c->Font());
    c->Font()->Assign(SortIndexFontEh());
    c->Font()->SetColor(Highlighted ? clWhite : clWindowText);
    TBrushStyle bs = c->Brush()->Style();
    c->Brush()->SetStyle(bsClear);
    c->TextOut(R.Right - w - 2 + off, (R.Top + R.Bottom - 9) / 2 - 1 + off, IntToStr(t->SortIndex()));
    c->Brush()->SetStyle(bs);
    c->Font()->Assign(&saved);
  }
}

namespace {

TButtonFaceKindEh FaceOfButtonStyle(TEditButtonStyleEh Style) {
  switch (Style) {
    case ebsEllipsisEh: return bfkEllipsis;
    case ebsUpDownEh: return bfkUpDown;
    case ebsPlusEh: return bfkPlus;
    case ebsMinusEh: return bfkMinus;
    default: return bfkDropDown;
  }
}

}   // namespace

void TCustomDBGridEh::DrawDataCell(Integer DataCol, Integer DataRow, TRect R, TGridDrawState State, Integer DX,
                                   Integer DY) {
  TCanvas* c = Canvas();
  TColumnEh* col = FColumns->Item(DataCol);
  AssignFontEh(c->Font(), col->Font());
  TColor background = col->Color();
  SetDrawRecord(DataRow);
  try {
    TDataSet* ds = FDataLink->DataSet();
    // Alternate row colours only where the column keeps the grid's colour;
    // the record number comes from the sum list (exact with virtual records).
    if (background == Color() && SequencedDataSet()) {
      Integer recNo = FSumList->DataSet() ? FSumList->GetRecNo() : ds->RecNo();
      if (recNo > 0) background = (recNo % 2 != 0) ? OddRowColor() : EvenRowColor();
    }
    // Buttons shown in the cell take their room at the right.
    TRect textRect = R;
    Integer buttons = col->AlwaysShowEditButton() ? col->EditButtonsAreaWidth() : 0;
    textRect.Right = std::max(textRect.Left, textRect.Right - buttons);
    TGridDrawState st = State;
    TColCellParamsEh params;
    params.Background = background;
    FillDataCellParams(col, DataCol, DataRow, st, params);
    background = params.Background;
    String text = params.Text;
    Integer imageIndex = params.ImageIndex;
    // A column hiding duplicates shows a value only in the first of the rows
    // that repeat it, without row lines between them.
    bool sameAsPrior = false, sameAsNext = false;
    if (col->HideDuplicates()) {
      String other;
      sameAsPrior = CellTextOfRow(col, DataRow - 1, other) && other == text;
      sameAsNext = CellTextOfRow(col, DataRow + 1, other) && other == text;
      SetDrawRecord(DataRow);
      if (sameAsPrior) {
        text.clear();
        imageIndex = -1;
      }
    }
    if (HighlightDataCell(DataCol, DataRow, c->Font(), background, st)) st += gdSelected;
    // Tree rows: the tree area comes first, the cell's content after it.
    if (IsTreeColumn(DataCol)) {
      Integer tree = DrawTreeArea(c, R, st.Contains(gdSelected));
      R.Left += tree;
      textRect.Left = std::min(textRect.Right, textRect.Left + tree);
    }
    c->Brush()->SetColor(background);
    HDC dc = c->Handle();
    TRect textArea(0, 0, 0, 0);   // where the text went, for the search highlight
    if (DefaultDrawing()) {
      // A raised data cell under themed fixed cells takes the themed face
      // (pressed while highlighted) beneath its content.
      if (FPaintThemed && R.Right > R.Left) {
        // Over the whole cell: no raised frame covers its edge.
        DrawThemedFixedBackground(c, TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1),
                                  st.Contains(gdSelected));
        c->Brush()->SetColor(background);
      }
      if (textRect.Right <= textRect.Left) {
        // No room for text beside the buttons.
      } else if (col->GetCellKind() == cckCheckBox) {
        c->FillRect(textRect);
        Integer w = std::min<Integer>(CheckBoxWidthEh, textRect.Width());
        Integer h = std::min<Integer>(CheckBoxHeightEh, textRect.Height());
        Integer x = textRect.Left + (textRect.Width() - w) / 2, y = textRect.Top + (textRect.Height() - h) / 2;
        PaintButtonFaceEh(dc, TRect(x, y, x + w, y + h), background, bfkCheckBox, 0, Flat(), false, true,
                          params.CheckState);
      } else if (col->GetCellKind() == cckImage) {
        c->FillRect(textRect);
        if (imageIndex >= 0) DrawImageEh(col->ImageList(), c, taCenter, 0, imageIndex, textRect);
      } else {
        TRect tr = textRect;
        if (col->ImageList() && col->ShowImageAndText()) {
          // The image stands in a strip of its own at the left.
          TRect strip(tr.Left, tr.Top, std::min(tr.Right, tr.Left + col->ImageList()->Width() + 4), tr.Bottom);
          c->FillRect(strip);
          if (imageIndex >= 0) DrawImageEh(col->ImageList(), c, taCenter, 0, imageIndex, strip);
          tr.Left = std::min(tr.Right, strip.Right + 1);
        }
        if (tr.Right > tr.Left)
          WriteTextEh(c, tr, true, DX, DY, text, params.Alignment, col->Layout(), col->WordWrap() && FWordWrapAllowed,
                      col->EndEllipsis(), 0, 0, false);
        textArea = tr;
      }
      if ((sameAsPrior || sameAsNext) && FOptions.Contains(dgRowLines)) {
        TColor oldPen = c->Pen()->Color();
        c->Pen()->SetColor(col->Color());
        if (sameAsPrior) {
          c->MoveTo(R.Left, R.Top - 1);
          c->LineTo(R.Right, R.Top - 1);
        }
        if (sameAsNext) {
          c->MoveTo(R.Left, R.Bottom);
          c->LineTo(R.Right, R.Bottom);
        }
        c->Pen()->SetColor(oldPen);
      }
      if (buttons > 0) {
        bool flat = Flat();
        Integer bw = flat ? FlatButtonWidthEh : GetSystemMetrics(SM_CXVSCROLL);
        Integer bh = std::min<Integer>(R.Height(), DefaultRowHeight());
        Integer x = textRect.Right;
        bool enabled = FDataLink->Active();
        auto paint = [&](Integer width, TButtonFaceKindEh kind) {
          TRect b(std::max(x, R.Left), R.Top, std::min(x + width + (flat ? 1 : 0), R.Right), R.Top + bh);
          if (b.Right > b.Left) PaintButtonFaceEh(dc, b, background, kind, 0, flat, false, enabled);
          x += width + (flat ? 1 : 0);
        };
        Byte style = TDBGridInplaceEdit::ColumnEditStyle(col);
        if (style != TDBGridInplaceEdit::esText)
          paint(bw, style == TDBGridInplaceEdit::esEllipsis  ? bfkEllipsis
                    : style == TDBGridInplaceEdit::esUpDown ? bfkUpDown
                                                            : bfkDropDown);
        for (Integer i = 0; i < col->EditButtons()->Count(); ++i) {
          TEditButtonEh* eb = col->EditButtons()->Items(i);
          if (eb->Visible()) paint(eb->Width() > 0 ? eb->Width() : bw, FaceOfButtonStyle(eb->Style()));
        }
        if (bh < R.Height()) c->FillRect(TRect(textRect.Right, R.Top + bh, R.Right, R.Bottom));
      }
    }
    // A required field left empty while the record is edited.
    TField* f = col->Field();
    bool required = col->HighlightRequired() && IsCurrentRecord(DataRow) && ds &&
                    (ds->State() == dsEdit || ds->State() == dsInsert) && f && f->Required() && f->IsNull();
    if (col->OnCheckDrawRequiredState) col->OnCheckDrawRequiredState(this, text, required);
    if (required) {
      TColor oldColor = c->Pen()->Color();
      TPenStyle oldStyle = c->Pen()->Style();
      c->Pen()->SetColor(TColor(RGB(255, 0, 0)));
      c->Pen()->SetStyle(psDot);
      c->MoveTo(textRect.Left + 2, textRect.Bottom - 1);
      c->LineTo(textRect.Right - 3, textRect.Bottom - 1);
      c->Pen()->SetColor(oldColor);
      c->Pen()->SetStyle(oldStyle);
    }
    if (OnDrawDataCell && !FColumns->IsCustomized()) OnDrawDataCell(this, R, f, st);
    if (OnDrawColumnCell) OnDrawColumnCell(this, R, DataCol, col, st);
    // During incremental search the matched start of the current cell's text
    // is written again in the search colours.
    if (FIncSearching && textArea.Right > textArea.Left && IsCurrentRecord(DataRow) && DataCol == SelectedIndex() &&
        st.Contains(gdSelected) && (FOptions.Contains(dgAlwaysShowSelection) || HasFocus()) && !IsDesigning() &&
        FUpdateLock == 0 && IsActiveControl())
      DrawIncSearchText(c, textArea, DX, DY, text, params.Alignment, col->WordWrap() && FWordWrapAllowed);
  } catch (...) {
    RestoreDrawRecord();
    throw;
  }
  RestoreDrawRecord();
}

void TCustomDBGridEh::DrawFooterCell(Integer DataCol, Integer Row, TRect R, TGridDrawState State, Integer DX,
                                     Integer DY) {
  TCanvas* c = Canvas();
  TColumnEh* col = FColumns->Item(DataCol);
  TColumnFooterEh* footer = col->GetFooterForRow(Row);
  AssignFontEh(c->Font(), footer->Font());
  TColor background = footer->Color();
  c->Brush()->SetColor(background);
  if (DefaultDrawing()) {
    TAlignment alignment = footer->Alignment();
    String text = GetFooterValue(Row, col);
    GetFooterParams(DataCol, Row, col, c->Font(), background, alignment, State, text);
    bool selected = HighlightFixedCell(CellInSelection(DataCol + FIndicatorOffset, RowCount() + Row), c->Font(),
                                       background, caDataColEh, raFooterEh);
    c->Brush()->SetColor(background);
    // Under themes a footer in the button colour keeps the themed face.
    bool fill = true;
    if (FPaintThemed) {
      DrawThemedFixedBackground(c, R, selected);
      fill = ColorToRGB(background) != ColorToRGB(clBtnFace);
    }
    WriteTextEh(c, R, fill, DX, DY, text, alignment, col->Layout(), footer->WordWrap() && FWordWrapAllowed,
                footer->EndEllipsis(), 0, 0, false);
  }
  if (OnDrawFooterCell) OnDrawFooterCell(this, DataCol, Row, col, R, State);
}

void TCustomDBGridEh::FillDataCellParams(TColumnEh* Column, Integer DataCol, Integer DataRow, TGridDrawState State,
                                         TColCellParamsEh& Params) {
  Params.Col = DataCol + FIndicatorOffset;
  Params.Row = DataRow + FTitleOffset;
  Params.State = State;
  Params.Font = Canvas()->Font();
  Params.Alignment = Column->Alignment();
  Params.Text = Column->CellDisplayText();
  Params.ImageIndex = Column->CellImageIndex();
  Params.CheckState = Column->CellCheckState();
  Params.ReadOnly = Column->ReadOnly();
  GetCellParams(Column, Params.Font, Params.Background, State);
  Column->DoGetCellParams(false, &Params);
}

bool TCustomDBGridEh::CellTextOfRow(TColumnEh* Column, Integer DataRow, String& Text) {
  if (!FDataLink->Active() || DataRow < 0 || DataRow >= FDataLink->RecordCount()) return false;
  // The events may change the canvas font; the cell being drawn keeps its own.
  TFont saved;
  saved.Assign(Canvas()->Font());
  SetDrawRecord(DataRow);
  TColCellParamsEh params;
  params.Background = Column->Color();
  FillDataCellParams(Column, Column->Index(), DataRow, TGridDrawState{}, params);
  Canvas()->Font()->Assign(&saved);
  Text = params.Text;
  return true;
}

void TCustomDBGridEh::DrawImageEh(TCustomImageList* Images, TCanvas* ACanvas, TAlignment Alignment,
                                  Integer XOffset, Integer Index, const TRect& R) {
  if (!Images || Index < 0 || Index >= Images->Count()) return;
  Integer w = Images->Width(), h = Images->Height();
  Integer x = Alignment == taLeftJustify    ? R.Left + XOffset
              : Alignment == taRightJustify ? R.Right - w + XOffset
                                            : R.Left + (R.Width() - w) / 2 + XOffset;
  Integer y = R.Top + (R.Height() - h) / 2;
  bool fits = x >= R.Left && y >= R.Top && x + w <= R.Right && y + h <= R.Bottom;
  HDC dc = ACanvas->Handle();
  HRGN saved = nullptr;
  if (!fits) {
    saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, saved) != 1) {
      DeleteObject(saved);
      saved = nullptr;
    }
    IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
  }
  Images->Draw(ACanvas, x, y, Index);
  if (!fits) {
    SelectClipRgn(dc, saved);
    if (saved) DeleteObject(saved);
  }
}

void TCustomDBGridEh::GetCellParams(TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State) {
  if (OnGetCellParams) OnGetCellParams(this, Column, AFont, Background, State);
}
TOVANI_IMPLEMENT_CLASS(TColCellParamsEh, TObject)
