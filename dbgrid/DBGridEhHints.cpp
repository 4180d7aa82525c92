// What the clipboard and selection commands may do now, and the grid's
// hints: a title's own hint, and tool tips that repeat a cell's text over
// the cell when it does not fit or is cut off at the right.
#include <algorithm>

#include "DBGridEh.h"
#include "DBGridEhImpExp.h"
#include "Forms.h"
#include "ImgList.h"
#include "PlatformEh.h"

TOVANI_IMPLEMENT_CLASS(TDBGridEhToolTipsWindow, THintWindow)

TRect TDBGridEhToolTipsWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) {
  if (auto* font = static_cast<TFont*>(AData)) {
    Canvas()->Font()->Assign(font);
    Canvas()->Font()->SetColor(clWindowText);
  }
  return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

// ---------------------------------------------------------------------------
// Availability of the edit commands

bool TCustomDBGridEh::CanCopySelection() {
  return FDataLink->Active() && FSelection->SelectionType() != gstNon;
}

bool TCustomDBGridEh::CanDeleteSelection() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || FReadOnly || !ds || ds->IsEmpty() || !ds->CanModify()) return false;
  switch (FSelection->SelectionType()) {
    case gstRecordBookmarks:
    case gstAll: return FAllowedOperations.Contains(alopDeleteEh);
    case gstRectangle:
    case gstColumns: return FAllowedOperations.Contains(alopUpdateEh);
    default: return false;
  }
}

bool TCustomDBGridEh::CanCutSelection() { return CanCopySelection() && CanDeleteSelection(); }

bool TCustomDBGridEh::CanPasteSelection() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || FReadOnly || !ds || !ds->CanModify()) return false;
  if (!IsClipboardFormatAvailable(CF_VCLDBIF()) && !IsClipboardFormatAvailable(CF_TEXT)) return false;
  return ds->State() == dsInsert || FAllowedOperations.Contains(alopUpdateEh);
}

bool TCustomDBGridEh::CanSelectAll() {
  TDataSet* ds = FDataLink->DataSet();
  return FDataLink->Active() && ds && !ds->IsEmpty() && FAllowedSelections.Contains(gstAll);
}

// ---------------------------------------------------------------------------
// Hints and tool tips

TFont* TCustomDBGridEh::HintFont() {
  if (!FHintFont) FHintFont = std::make_unique<TFont>();
  return FHintFont.get();
}

void TCustomDBGridEh::CellToolTipText(TColumnEh* Column, String& Text) {
  TField* f = Column->Field();
  TColumnCellKindEh kind = Column->GetCellKind();
  if (kind == cckImage || kind == cckCheckBox) {
    Integer i = kind == cckImage ? (f ? Column->KeyList()->IndexOf(f->Text()) : -1)
                                 : Integer(Column->CellCheckState());
    Text = i >= 0 && i < Column->PickList()->Count() ? Column->PickList()->Strings(i) : String();
  } else if (f) {
    Text = Column->CellDisplayText();
  }
}

Integer TCustomDBGridEh::HintPauseAt(Integer DefaultPause) {
  TGridCoord cell = CellAtPoint(FMousePos.X, FMousePos.Y);
  Integer dataCol = RawToDataColumn(cell.X);
  if (cell.X < FIndicatorOffset || dataCol >= FColumns->Count() || cell.Y < 0) return DefaultPause;
  TColumnEh* c = FColumns->Item(dataCol);
  Integer hk, vk, ac, ar;
  GetCellType(cell.X, cell.Y, hk, vk, ac, ar);
  if (vk == raFooterEh) {
    TColumnFooterEh* footer = c->GetFooterForRow(ar);
    if (footer && footer->ToolTips()) return 0;
  } else if (vk == raDataEh) {
    if (FDataLink->Active() && c->ToolTips()) return 0;
  } else if (vk == raTitleEh) {
    if (c->Title()->ToolTips() && c->Title()->Hint().empty()) return 0;
  }
  return Application ? Application->HintPause() : DefaultPause;
}

void TCustomDBGridEh::FillHintInfo(THintInfo& Info) {
  TGridCoord cell = CellAtPoint(FMousePos.X, FMousePos.Y);
  Integer dataCol = RawToDataColumn(cell.X);
  if (cell.X < FIndicatorOffset || dataCol < 0 || dataCol >= FColumns->Count() || cell.Y < 0) return;
  TColumnEh* c = FColumns->Item(dataCol);
  Integer hk, vk, ac, ar;
  GetCellType(cell.X, cell.Y, hk, vk, ac, ar);
  TRect r = CellClientRect(cell.X, cell.Y);
  if (vk == raTitleEh && !c->Title()->Hint().empty()) {
    String hint = c->Title()->Hint();
    size_t bar = hint.find('|');
    Info.HintStr = bar == String::npos ? hint : hint.substr(0, bar);
    Info.CursorRect = r;
    return;
  }
  bool wanted = (vk == raTitleEh && c->Title()->ToolTips()) ||
                ((vk == raDataEh || vk == raFooterEh) && FDataLink->Active() && c->ToolTips());
  if (!wanted || MouseCapture() || GetKeyState(VK_CONTROL) < 0) {
    Info.HintStr.clear();
    return;
  }
  Integer cellEnd = r.Left + c->Width();
  String text;
  TAlignment alignment = taLeftJustify;
  bool wordWrap = false;
  bool alwaysCut = false;
  TFont* font = nullptr;
  if (vk == raTitleEh) {
    Integer marker = c->SortMarkerAreaWidth();
    if (marker > 2) {
      r.Right -= marker - 2;
      cellEnd -= marker - 2;
    }
    text = c->Title()->Caption();
    wordWrap = TitleHeight() > 0 || TitleLines() != 0;
    if (UseMultiTitle()) {
      // Only the column's own (leaf) part of a multi-line title.
      THeadTreeNode* leaf = LeafOfColumn(dataCol);
      if (leaf && leaf->Column == c) {
        text = leaf->Text;
        r.Top = r.Bottom - leaf->Height + 1;
        if (FMousePos.Y < r.Top) {
          Info.HintStr.clear();
          return;
        }
      }
      wordWrap = true;
    }
    alignment = c->Title()->Alignment();
    font = c->Title()->Font();
    if (c->Title()->Orientation() == tohVertical) {
      // The text runs up the cell: measured in the turned rectangle.
      wordWrap = false;
      TransposeRectSize(r);
    }
  } else if (vk == raDataEh) {
    if (ar >= FDataLink->RecordCount()) {
      Info.HintStr.clear();
      return;
    }
    if (c->AlwaysShowEditButton()) {
      cellEnd = r.Left + c->Width() - c->EditButtonsAreaWidth();
      r.Right = std::min(r.Right, cellEnd);
      if (FMousePos.X > r.Right) {
        Info.HintStr.clear();
        return;
      }
    }
    // The tree indent and the image strip are not the text's.
    if (IsTreeColumn(dataCol)) r.Left += TreeAreaWidth();
    if (c->ImageList() && c->ShowImageAndText()) r.Left += c->ImageList()->Width() + 5;
    if (FMousePos.X < r.Left) {
      Info.HintStr.clear();
      return;
    }
    TColumnCellKindEh kind = c->GetCellKind();
    alwaysCut = kind == cckImage || kind == cckCheckBox;
    alignment = alwaysCut ? taLeftJustify : c->Alignment();
    wordWrap = c->WordWrap() && WordWrapAllowed();
    font = c->Font();
    // The text and alignment the cell shows: the cell-parameter events may
    // change both, as they do for drawing.
    HintFont()->Assign(font);
    TColCellParamsEh params;
    SetDrawRecord(ar);
    try {
      CellToolTipText(c, text);
      params.Col = cell.X;
      params.Row = cell.Y;
      params.State = TGridDrawState{};
      params.Font = HintFont();
      params.Background = Canvas()->Brush()->Color();
      params.Alignment = alignment;
      params.Text = text;
      params.ImageIndex = c->CellImageIndex();
      params.CheckState = c->CellCheckState();
      params.ReadOnly = c->ReadOnly();
      GetCellParams(c, params.Font, params.Background, params.State);
      c->DoGetCellParams(false, &params);
    } catch (...) {
      RestoreDrawRecord();
      throw;
    }
    RestoreDrawRecord();
    text = params.Text;
    alignment = params.Alignment;
    font = HintFont();
  } else {
    TColumnFooterEh* footer = c->GetFooterForRow(ar);
    if (!footer) {
      Info.HintStr.clear();
      return;
    }
    font = footer->Font();
    wordWrap = footer->WordWrap();
    alignment = footer->Alignment();
    text = GetFooterValue(ar, c);
  }
  // The fit test: the text measured in the cell's font and width.
  bool fits = !alwaysCut;
  Integer textWidth = 0;
  if (HandleAllocated()) {
    TCanvas* canvas = Canvas();
    if (font != HintFont()) HintFont()->Assign(font);
    canvas->Font()->Assign(HintFont());
    Integer m = wordWrap ? 2 : 0;
    Integer avail = std::max<Integer>(1, r.Width() - m - 2);
    TRect calc(0, 0, avail, 0);
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0);
    DrawTextEh(canvas->Handle(), text, -1, calc, flags);
    textWidth = calc.Width();
    // Titles keep their text inset; data and footer rows are laid out just
    // as high as their lines of text.
    Integer room = vk == raTitleEh ? r.Height() - FTitleTextInset + 1 : r.Height();
    if (calc.Width() > avail || calc.Height() > room) fits = false;
  }
  bool cutRight = alignment == taRightJustify && r.Right < cellEnd - 2;
  if (fits && !cutRight) {
    Info.HintStr.clear();
    return;
  }
  Info.HintStr = text;
  Info.CursorRect = r;
  Integer x;
  switch (alignment) {
    case taRightJustify: x = cellEnd - textWidth - 6; break;
    case taCenter: x = cellEnd - textWidth + textWidth / 2 - (cellEnd - r.Left - 4) / 2 - 5; break;
    default: x = r.Left - 1; break;
  }
  Integer y = Flat() ? r.Top - 2 : r.Top - 1;
  POINT p{x, y};
  if (HandleAllocated()) ::ClientToScreen(Handle(), &p);
  Info.HintPos = TPoint(p.x, p.y);
  Info.HintData = HintFont();
  if (wordWrap) Info.HintMaxWidth = r.Width() - 4;
}
