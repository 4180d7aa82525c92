// The data grid's cell painter: data cells with row colours and selection
// highlight, titles, the indicator column and the text writer they share.
#include <algorithm>

#include "DBGridEh.h"
#include "ImgList.h"
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

void TCustomDBGridEh::Paint3DFrame(TRect R) {
  RECT r = ToRect(R);
  DrawEdge(Canvas()->Handle(), &r, BDR_RAISEDINNER, BF_RECT);
}

void TCustomDBGridEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) {
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

  if (hk == caIndicatorEh && vk != raTitleEh) {
    DrawIndicatorCell(vk == raDataEh ? dataRow : -1, R, DX, DY);
  } else if (vk == raTitleEh) {
    if (hk == caIndicatorEh || !column) {
      TColor bg = FixedColor();
      if (hk == caIndicatorEh) HighlightFixedCell(FSelection->SelectionType() == gstAll, c->Font(), bg, hk, vk);
      c->Brush()->SetColor(bg);
      c->FillRect(R);
      if (hk == caIndicatorEh && FIndicatorTitle->ShowDropDownSign()) {
        // The drop-down sign: a small solid triangle, 7, 5, 3 and 1 pixels.
        Integer shift = FIndicatorTitle->Pressed() && FTitlePressed ? 1 : 0;
        Integer x = (R.Left + R.Right - 7) / 2 + shift, y = (R.Top + R.Bottom - 4) / 2 + shift;
        c->Brush()->SetColor(clBlack);
        for (Integer i = 0; i < 4; ++i) c->FillRect(TRect(x + i, y + i, x + 7 - i, y + i + 1));
      }
    } else {
      DrawTitle(dataCol, R, AState, DX, DY);
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
    c->Brush()->SetColor(column ? column->Color() : FixedColor());
    c->FillRect(R);
  }

  if (DefaultDrawing() && AState.Contains(gdFocused) && HasFocus() && !IsDesigning() &&
      (!FStyle || FStyle->ShowFocusRect()) &&
      !FOptions.Contains(dgRowSelect) && FUpdateLock == 0) {
    RECT fr = ToRect(ARect);
    DrawFocusRect(c->Handle(), &fr);
  }
  if (is3D) Paint3DFrame(ARect);
}

void TCustomDBGridEh::DrawIndicatorCell(Integer DataRow, TRect R, Integer DX, Integer DY) {
  TCanvas* c = Canvas();
  TColor background = FixedColor();
  if (!FDataLink->Active()) {
    c->Brush()->SetColor(background);
    c->FillRect(R);
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
  c->FillRect(R);
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

void TCustomDBGridEh::DrawTitle(Integer DataCol, TRect R, TGridDrawState State, Integer DX, Integer DY) {
  TCanvas* c = Canvas();
  TColumnEh* col = FColumns->Item(DataCol);
  TColumnTitleEh* t = col->Title();
  AssignFontEh(c->Font(), t->Font());
  TColor background = t->Color();
  THeadTreeNode* leaf = FUseMultiTitle ? LeafOfColumn(DataCol) : nullptr;
  if (leaf && leaf->Column != col) leaf = nullptr;   // the tree is rebuilt by the next layout
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
  bool pressed = false;
  if (col->Field() && OnGetBtnParams) OnGetBtnParams(this, col, c->Font(), background, marker, pressed);
  // The sort index is shown only when more than one column is sorted on.
  TRect text = R;
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
    OnGetBtnParams(this, col, c->Font(), bg2, m2, pressed);
  }
  bool highlighted = HighlightFixedCell(CellInSelection(DataCol + FIndicatorOffset, 0), c->Font(), background,
                                        caDataColEh, raTitleEh);
  c->Brush()->SetColor(background);
  if (text.Right < cell.Right) c->FillRect(TRect(std::max(text.Right, cell.Left), cell.Top, cell.Right, cell.Bottom));
  if (leaf && R.Top > cell.Top) c->FillRect(TRect(cell.Left, cell.Top, cell.Right, R.Top));
  bool vertical = t->Orientation() == tohVertical;
  if (leaf) {
    WriteTextEh(c, text, true, DX, DY, caption, taCenter, tlCenter, true, t->EndEllipsis(), 0, 0, false);
  } else if (FTitleHeight > 0 || FTitleLines > 0 || vertical) {
    WriteTextEh(c, text, true, DX, DY, caption, t->Alignment(), tlCenter, true, t->EndEllipsis(), 0, 0, false);
  } else {
    WriteTextEh(c, text, true, DX, DY, caption, t->Alignment(), tlTop, false, t->EndEllipsis(), 0, 0, false);
  }
  if (titleImage) DrawImageEh(FTitleImages, c, leaf ? taCenter : t->Alignment(), 0, t->ImageIndex(), text);
  if (showMarker)
    DrawSortMarkerGlyph(c->Handle(), R.Right - 10 - w - 2, (R.Top + R.Bottom - 9) / 2, marker == smDownEh);
  if (w > 0) {
    TFont saved;
    saved.Assign(c->Font());
    c->Font()->Assign(SortIndexFontEh());
    c->Font()->SetColor(highlighted ? clWhite : clWindowText);
    TBrushStyle bs = c->Brush()->Style();
    c->Brush()->SetStyle(bsClear);
    c->TextOut(R.Right - w - 2, (R.Top + R.Bottom - 9) / 2 - 1, IntToStr(t->SortIndex()));
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
    if (DefaultDrawing()) {
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
    HighlightFixedCell(CellInSelection(DataCol + FIndicatorOffset, RowCount() + Row), c->Font(), background,
                       caDataColEh, raFooterEh);
    c->Brush()->SetColor(background);
    WriteTextEh(c, R, true, DX, DY, text, alignment, col->Layout(), footer->WordWrap() && FWordWrapAllowed,
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
