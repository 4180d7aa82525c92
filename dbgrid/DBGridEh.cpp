// The data grid's model: columns and titles, the data link with its field
// map, the grid's locks and layout, and how rows follow the dataset.
#include "DBGridEh.h"
#include "DBLookupGridsEh.h"
#include "ImgList.h"
#include "Menus.h"

#include <algorithm>
#include <cmath>

#include "Collation.h"
#include "DateUtils.h"
#include "Forms.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS(TColumnTitleEh, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TColumnEh, TCollectionItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBGridColumnEh, TColumnEh)
TOVANI_IMPLEMENT_CLASS(TDBGridColumnsEh, TCollection)
TOVANI_IMPLEMENT_CLASS(TGridDataLinkEh, TDataLink)
TOVANI_IMPLEMENT_CLASS(TCustomDBGridEh, TCustomGridEh)
TOVANI_IMPLEMENT_CLASS(TColumnTitleDefValuesEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TColumnFooterDefValuesEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TColumnDefValuesEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TDBGridEhColumnDefValuesEh, TColumnDefValuesEh)

const char* const SFieldNameNotFoundEh = "Field name '%s' not found";
// The text keeps the number users know; the real limit is the map size.
const char* const STooManyColumnsEh = "Grid requested to display more than 256 columns";
const char* const SGetCellTypeErrorEh = "Algorithm error in TCustomDBGridEh.GetCellType";

void AssignFontEh(TFont* Dest, TFont* Source) {
  if (Source && Dest != Source && !Dest->Equals(*Source)) Dest->Assign(Source);
}

// ---------------------------------------------------------------------------
// TColumnTitleEh

TColumnTitleEh::TColumnTitleEh(TColumnEh* AColumn) : FColumn(AColumn), FFont(std::make_unique<TFont>()) {
  FFont->Assign(DefaultFont());
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TColumnTitleEh::~TColumnTitleEh() = default;

TPersistent* TColumnTitleEh::GetOwner() { return FColumn; }

bool TColumnTitleEh::Assigned(uint32_t bit) const { return FColumn && (FColumn->FAssignedValues & bit); }
void TColumnTitleEh::Assign(uint32_t bit) {
  if (FColumn) FColumn->FAssignedValues |= bit;
}

void TColumnTitleEh::Changed(bool All) {
  if (FColumn) FColumn->ColumnChanged(All);
}

void TColumnTitleEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColumnTitleEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src->Assigned(cvTitleAlignment)) SetAlignment(src->Alignment());
  if (src->Assigned(cvTitleColor)) SetColor(src->Color());
  if (src->Assigned(cvTitleCaption)) SetCaption(src->Caption());
  if (src->Assigned(cvTitleFont)) SetFont(src->Font());
  if (src->Assigned(cvTitleEndEllipsis)) SetEndEllipsis(src->EndEllipsis());
  if (src->Assigned(cvTitleOrientation)) SetOrientation(src->Orientation());
  FHint = src->FHint;
  FImageIndex = src->FImageIndex;
  FSortMarker = src->FSortMarker;
  FSortIndex = src->FSortIndex;
  if (src->Assigned(cvTitleButton)) SetTitleButton(src->FTitleButton);
  if (src->Assigned(cvTitleToolTips)) SetToolTips(src->FTitleToolTips);
}

void TColumnTitleEh::RestoreDefaults() {
  if (FColumn) FColumn->FAssignedValues &= ~(0xFFu << 5);
  FSettingFont = true;
  FFont->Assign(DefaultFont());
  FSettingFont = false;
  Changed(false);
}

TFont* TColumnTitleEh::DefaultFont() const {
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  if (g) return g->TitleFont();
  return FColumn ? FColumn->Font() : nullptr;
}

TAlignment TColumnTitleEh::Alignment() const {
  if (Assigned(cvTitleAlignment)) return FAlignment;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g ? g->ColumnDefValues()->Title()->Alignment() : taLeftJustify;
}
void TColumnTitleEh::SetAlignment(TAlignment v) {
  FAlignment = v;
  Assign(cvTitleAlignment);
  Changed(false);
}

String TColumnTitleEh::Caption() const {
  if (Assigned(cvTitleCaption)) return FCaption;
  if (!FColumn) return FCaption;
  if (TField* f = FColumn->Field()) return f->DisplayName();
  return FColumn->FieldName();
}
void TColumnTitleEh::SetCaption(const String& v) {
  if (FColumn && FColumn->PassesToField()) {
    FColumn->Field()->SetDisplayLabel(v);
    Changed(false);
    return;
  }
  FCaption = v;
  Assign(cvTitleCaption);
  Changed(false);
}

TColor TColumnTitleEh::Color() const {
  if (Assigned(cvTitleColor)) return FColor;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g ? g->ColumnDefValues()->Title()->Color() : clBtnFace;
}
void TColumnTitleEh::SetColor(TColor v) {
  FColor = v;
  Assign(cvTitleColor);
  Changed(false);
}

TFont* TColumnTitleEh::Font() {
  if (!Assigned(cvTitleFont)) {
    TFont* def = DefaultFont();
    if (def && def != FFont.get()) {
      FSettingFont = true;
      AssignFontEh(FFont.get(), def);
      FSettingFont = false;
    }
  }
  return FFont.get();
}
void TColumnTitleEh::SetFont(TFont* v) { FFont->Assign(v); }

void TColumnTitleEh::FontChanged() {
  if (FSettingFont) return;
  Assign(cvTitleFont);
  Changed(true);
}

bool TColumnTitleEh::EndEllipsis() const {
  if (Assigned(cvTitleEndEllipsis)) return FEndEllipsis;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g ? g->ColumnDefValues()->Title()->EndEllipsis() : false;
}
void TColumnTitleEh::SetEndEllipsis(bool v) {
  FEndEllipsis = v;
  Assign(cvTitleEndEllipsis);
  Changed(false);
}

TTextOrientationEh TColumnTitleEh::Orientation() const {
  if (Assigned(cvTitleOrientation)) return FOrientation;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g ? g->ColumnDefValues()->Title()->Orientation() : tohHorizontal;
}
void TColumnTitleEh::SetOrientation(TTextOrientationEh v) {
  FOrientation = v;
  Assign(cvTitleOrientation);
  Changed(true);
}

void TColumnTitleEh::SetImageIndex(Integer v) {
  if (FImageIndex == v) return;
  FImageIndex = v;
  Changed(false);
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh v) {
  if (FSortMarker == v) return;
  FSortMarker = v;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  if (!g || g->Columns()->UpdateCount() > 0) return;
  TColumnsEhList& list = g->SortMarkedColumnsRef();
  TDBGridColumnsEh* cols = g->Columns();
  if (g->OptionsEh().Contains(dghMultiSortMarking)) {
    if (v != smNoneEh && FSortIndex == 0) {
      Integer n = 0;
      for (Integer i = 0; i < cols->Count(); ++i)
        if (cols->Item(i)->Title()->SortIndex() != 0) ++n;
      FSortIndex = n + 1;
      list.Add(FColumn);
    } else if (v == smNoneEh && FSortIndex != 0) {
      for (Integer i = 0; i < cols->Count(); ++i) {
        TColumnTitleEh* t = cols->Item(i)->Title();
        if (t->FSortIndex > FSortIndex) --t->FSortIndex;
      }
      list.Remove(FColumn);
      FSortIndex = 0;
    }
  } else if (v != smNoneEh) {
    for (Integer i = 0; i < cols->Count(); ++i) {
      TColumnTitleEh* t = cols->Item(i)->Title();
      if (t != this) t->FSortMarker = smNoneEh, t->FSortIndex = 0;
    }
    FSortIndex = 1;
    list.Clear();
    list.Add(FColumn);
  } else {
    FSortIndex = 0;
    list.Clear();
  }
  Changed(false);
}

void TColumnTitleEh::SetSortIndex(Integer v) {
  if (v < 0) v = 0;
  if (FSortIndex == v) return;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  if (!g || g->Columns()->UpdateCount() > 0) {
    FSortIndex = v;
    return;
  }
  if (FSortMarker == smNoneEh) return;
  TDBGridColumnsEh* cols = g->Columns();
  for (Integer i = 0; i < cols->Count(); ++i) {
    TColumnEh* other = cols->Item(i);
    if (other == FColumn || other->Title()->FSortIndex != v) continue;
    TColumnsEhList& list = g->SortMarkedColumnsRef();
    Integer a = list.IndexOf(FColumn), b = list.IndexOf(other);
    if (a >= 0 && b >= 0) list.Exchange(a, b);
    other->Title()->FSortIndex = FSortIndex;
    FSortIndex = v;
    Changed(false);
    return;
  }
}

void TColumnTitleEh::ToggleSortMarker(bool Multi) {
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  if (!Multi && g) {
    TDBGridColumnsEh* cols = g->Columns();
    for (Integer i = 0; i < cols->Count(); ++i)
      if (cols->Item(i) != FColumn) cols->Item(i)->Title()->SetSortMarker(smNoneEh);
  }
  switch (FSortMarker) {
    case smNoneEh: SetSortMarker(smDownEh); break;
    case smDownEh: SetSortMarker(smUpEh); break;
    case smUpEh: SetSortMarker(Multi ? smNoneEh : smDownEh); break;
  }
}

// ---------------------------------------------------------------------------
// TColumnEh

TColumnEh::TColumnEh(TCollection* ACollection) : TCollectionItem(nullptr) {
  FFont = std::make_unique<TFont>();
  FTitle = std::make_unique<TColumnTitleEh>(this);
  FFooter = std::make_unique<TColumnFooterEh>();
  FFooter->FColumn = this;
  FFooters = std::make_unique<TColumnFootersEh>(this);
  FDropDownSpecRow = std::make_unique<TSpecRowEh>(this);
  FMRUList = std::make_unique<TMRUListEh>(this);
  FDropDownBox = std::make_unique<TColumnDropDownBoxEh>(this);
  if (ACollection) {
    auto* cols = dynamic_cast<TDBGridColumnsEh*>(ACollection);
    TCustomDBGridEh* g = cols ? cols->Grid() : nullptr;
    if (g) g->BeginLayout();
    try {
      SetCollection(ACollection);
    } catch (...) {
      if (g) g->EndLayout();
      throw;
    }
    if (g) g->EndLayout();
  }
  if (TCustomDBGridEh* g = Grid()) FFont->Assign(g->Font());
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  FFooter->ResetFooterDefaults();
}

void TColumnEh::SetFooter(TColumnFooterEh* v) { FFooter->Assign(v); }
void TColumnEh::SetFooters(TColumnFootersEh* v) { FFooters->Assign(v); }

TColumnFooterEh* TColumnEh::GetFooterForRow(Integer Row) const {
  if (Row >= 0 && Row < FFooters->Count()) return FFooters->Item(Row);
  return FFooter.get();
}

void TColumnEh::BindFooterSums() {
  FFooter->BindSum();
  for (Integer i = 0; i < FFooters->Count(); ++i) FFooters->Item(i)->BindSum();
}

TColumnEh::~TColumnEh() {
  if (TCustomDBGridEh* g = Grid()) g->SortMarkedColumnsRef().Remove(this);
  delete FDropDownGrid;
  FDropDownGrid = nullptr;
  FFooters.reset();
  FFooter.reset();
}

String TColumnEh::GetDisplayName() const {
  String s = FTitle ? FTitle->Caption() : String();
  return s.empty() ? ClassName() : s;
}

TCustomDBGridEh* TColumnEh::Grid() const {
  auto* cols = dynamic_cast<TDBGridColumnsEh*>(Collection());
  return cols ? cols->Grid() : nullptr;
}

TField* TColumnEh::Field() {
  if (!FFieldLooked) {
    FFieldLooked = true;
    FField = nullptr;
    TCustomDBGridEh* g = Grid();
    if (g && !FFieldName.empty() && g->DataLink()->Active())
      if (TDataSet* ds = g->DataLink()->DataSet()) FField = ds->FindField(FFieldName);
  }
  return FField;
}

void TColumnEh::SetField(TField* v) {
  if (FField == v && FFieldLooked) return;
  FField = v;
  FFieldLooked = v != nullptr;
  if (v) FFieldName = v->FieldName();
  BindFooterSums();
  Changed(false);
}

void TColumnEh::SetFieldName(const String& v) {
  FFieldName = v;
  DropFieldState();
  BindFooterSums();
  Changed(false);
}

void TColumnEh::DropFieldState() {
  FField = nullptr;
  FFieldLooked = false;
}

TAlignment TColumnEh::Alignment() {
  if (FAssignedValues & cvAlignment) return FAlignment;
  if (TField* f = Field()) return f->Alignment();
  return taLeftJustify;
}
bool TColumnEh::PassesToField() {
  TCustomDBGridEh* g = Grid();
  return IsDefaultColumn() && g && g->DataLink()->Active() && Field();
}

void TColumnEh::SetAlignment(TAlignment v) {
  // A default column passes its alignment to its field.
  if (PassesToField()) {
    Field()->SetAlignment(v);
  } else {
    FAlignment = v;
    FAssignedValues |= cvAlignment;
  }
  Changed(false);
}

TColor TColumnEh::Color() const {
  if (FAssignedValues & cvColor) return FColor;
  TCustomDBGridEh* g = Grid();
  return g ? g->Color() : clWindow;
}
void TColumnEh::SetColor(TColor v) {
  FColor = v;
  FAssignedValues |= cvColor;
  Changed(false);
}

TFont* TColumnEh::Font() {
  if (!(FAssignedValues & cvFont)) {
    if (TCustomDBGridEh* g = Grid()) {
      FSettingFont = true;
      AssignFontEh(FFont.get(), g->Font());
      FSettingFont = false;
    }
  }
  return FFont.get();
}
void TColumnEh::SetFont(TFont* v) { FFont->Assign(v); }
void TColumnEh::FontChanged() {
  if (FSettingFont) return;
  FAssignedValues |= cvFont;
  Changed(false);
}

bool TColumnEh::ReadOnly() {
  if (FAssignedValues & cvReadOnly) return FReadOnly;
  TCustomDBGridEh* g = Grid();
  if (g && g->ReadOnly()) return true;
  TField* f = Field();
  return f && f->ReadOnly();
}
void TColumnEh::SetReadOnly(bool v) {
  if (PassesToField()) {
    Field()->SetReadOnly(v);
  } else {
    FReadOnly = v;
    FAssignedValues |= cvReadOnly;
  }
  Changed(false);
}

void TColumnEh::SetIndex(Integer Value) {
  // A default column shows its field where the dataset has it: the field
  // takes the place of the one shown at the target position, and the
  // relayout that follows moves the column along. The grid's own reordering
  // of its default columns finds the field already in place.
  TCustomDBGridEh* g = Grid();
  if (PassesToField()) {
    TField* own = Field();
    TField* target = g->DataLink()->Fields(Value);
    if (own && target && target != own && target->Index() != own->Index()) own->SetIndex(target->Index());
  }
  TCollectionItem::SetIndex(Value);
}

namespace {

// The column font on the grid's canvas (a screen context borrowed while the
// grid has no window): the width of "0", the average character width and
// the overhang of the font.
struct TColumnFontMetrics {
  Integer Zero = 0, AveChar = 0, Overhang = 0;
};

TColumnFontMetrics MeasureColumnFont(TCustomDBGridEh* Grid, TFont* Font) {
  TCanvas* c = Grid->Canvas();
  HDC borrowed = nullptr;
  if (!Grid->HandleAllocated()) {
    borrowed = GetDC(nullptr);
    c->SetHandle(borrowed);
  }
  TColumnFontMetrics m;
  AssignFontEh(c->Font(), Font);
  m.Zero = c->TextWidth("0");
  TEXTMETRICW tm{};
  GetTextMetricsW(c->Handle(), &tm);
  m.AveChar = tm.tmAveCharWidth;
  m.Overhang = tm.tmOverhang;
  if (borrowed) {
    c->SetHandle(nullptr);
    ReleaseDC(nullptr, borrowed);
  }
  return m;
}

}   // namespace

Integer TColumnEh::DefaultWidth() {
  TCustomDBGridEh* g = Grid();
  if (!g) return 64;
  TField* f = Field();
  if (!f) return g->DefaultColWidth();
  // The field's display width in "0" glyphs of the column font, plus the
  // cell's margins.
  TColumnFontMetrics m = MeasureColumnFont(g, Font());
  return (m.Zero - m.Overhang) * f->DisplayWidth() + m.Overhang + 4;
}

Integer TColumnEh::Width() {
  if (FAssignedValues & cvWidth) return FWidth;
  return DefaultWidth();
}

Integer TColumnEh::ClampToWidthLimits(Integer w) const {
  if (FMaxWidth > 0 && w > FMaxWidth) w = FMaxWidth;
  if (FMinWidth > 0 && w < FMinWidth) w = FMinWidth;
  return w;
}

void TColumnEh::SetWidth(Integer v) {
  if (v < 0) return;
  TCustomDBGridEh* g = Grid();
  if (IsDefaultColumn() && g) {
    // A default column keeps its width in its field, which outlives the
    // column: the next layout's default width comes back from it, rounded
    // to whole "0" glyphs. At least one glyph: a display width of 0 would
    // stand for the field's full default width.
    TField* f = Field();
    if (g->HandleAllocated() && f) {
      TColumnFontMetrics m = MeasureColumnFont(g, Font());
      if (m.Zero > 0) {
        Integer glyphs = std::max<Integer>(1, (v + m.AveChar / 2 - m.Overhang - 3) / m.Zero);
        if (glyphs != f->DisplayWidth()) f->SetDisplayWidth(glyphs);
      }
    }
    // Sized by the layout its dataset asked for, an unassigned width stays
    // the field's alone.
    if (g->DataLinkLayoutChanging() && !(FAssignedValues & cvWidth)) return;
  }
  // Any width but the fitter's own is what the column asks for while the
  // grid fits its columns to its width.
  if (!g || !g->FFitting) FPreFitWidth = ClampToWidthLimits(v);
  // The default width asked for again does not count as set.
  if ((FAssignedValues & cvWidth) || v != DefaultWidth()) {
    v = ClampToWidthLimits(v);
    if ((FAssignedValues & cvWidth) && FWidth == v) return;
    FWidth = v;
    FAssignedValues |= cvWidth;
  }
  Changed(false);
}

void TColumnEh::AsPersistent(const std::function<void()>& Change) {
  if (FStored) return Change();
  TCollection* owner = Collection();
  if (owner) owner->BeginUpdate();
  FStored = true;
  try {
    Change();
  } catch (...) {
    FStored = false;
    if (owner) owner->EndUpdate();
    throw;
  }
  FStored = false;
  if (owner) owner->EndUpdate();
}

void TColumnEh::SetVisible(bool v) {
  if (FVisible == v) return;
  FVisible = v;
  Changed(true);
}

bool TColumnEh::EndEllipsis() const {
  if (FAssignedValues & cvEndEllipsis) return FEndEllipsis;
  TCustomDBGridEh* g = Grid();
  return g ? g->ColumnDefValues()->EndEllipsis() : false;
}
void TColumnEh::SetEndEllipsis(bool v) {
  FEndEllipsis = v;
  FAssignedValues |= cvEndEllipsis;
  Changed(false);
}

TTextLayout TColumnEh::Layout() const {
  if (FAssignedValues & cvLayout) return FLayout;
  TCustomDBGridEh* g = Grid();
  return g ? g->ColumnDefValues()->Layout() : tlTop;
}
void TColumnEh::SetLayout(TTextLayout v) {
  FLayout = v;
  FAssignedValues |= cvLayout;
  Changed(false);
}

bool TColumnEh::WordWrap() {
  if (FAssignedValues & (1u << 15)) return FWordWrap;
  TField* f = Field();
  if (!Grid() || !f) return false;
  switch (f->DataType()) {
    case ftString: case ftMemo: case ftFmtMemo: case ftWideString: case ftWideMemo: return true;
    default: return false;
  }
}
void TColumnEh::SetWordWrap(bool v) {
  FWordWrap = v;
  FAssignedValues |= 1u << 15;
  Changed(false);
}

void TColumnEh::SetDisplayFormat(const String& v) {
  if (FDisplayFormat == v) return;
  FDisplayFormat = v;
  Changed(false);
}

Integer TColumnEh::SortMarkerAreaWidth() {
  if (FTitle->SortIndex() == 0) return 0;
  TCustomDBGridEh* g = Grid();
  Integer w = 16, t = 0;
  if (g && g->SortMarkedColumns().Count() > 1 && g->HandleAllocated()) {
    TCanvas* c = g->Canvas();
    TFont saved;
    saved.Assign(c->Font());
    c->Font()->Assign(SortIndexFontEh());
    t = c->TextWidth(IntToStr(FTitle->SortIndex()));
    c->Font()->Assign(&saved);
    w = 16 + t;
  }
  Integer width = Width();
  if (w > width - 4) w -= 14;
  if (w > width - 4) w -= t + 2;
  return w;
}

String TColumnEh::DisplayText() {
  TField* f = Field();
  if (!f) return String();
  return FieldTextWithFormat(f, FDisplayFormat);
}

String TColumnEh::FieldTextWithFormat(TField* Field, const String& Format) {
  if (Format.empty()) return Field->DisplayText();
  if (Field->IsNull()) return String();
  if (dynamic_cast<TNumericField*>(Field)) return FormatFloat(Format, Field->AsFloat());
  if (dynamic_cast<TDateTimeField*>(Field)) {
    String s;
    DateTimeToString(s, Format, Field->AsDateTime());
    return s;
  }
  return String();
}

void TColumnEh::RestoreDefaults() {
  FAssignedValues = 0;
  FTitle->RestoreDefaults();
  Changed(false);
}

void TColumnEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColumnEh*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  TCollection* coll = Collection();
  if (coll) coll->BeginUpdate();
  try {
    RestoreDefaults();
    SetFieldName(src->FieldName());
    if (src->FAssignedValues & cvColor) SetColor(src->Color());
    if (src->FAssignedValues & cvWidth) SetWidth(src->Width());
    if (src->FAssignedValues & cvFont) SetFont(src->Font());
    if (src->FAssignedValues & cvAlignment) SetAlignment(src->Alignment());
    if (src->FAssignedValues & cvReadOnly) SetReadOnly(src->ReadOnly());
    FTitle->Assign(src->Title());
    if (src->FAssignedValues & cvEndEllipsis) SetEndEllipsis(src->EndEllipsis());
    if (src->FAssignedValues & (1u << 15)) SetWordWrap(src->FWordWrap);
    if (src->FAssignedValues & cvLayout) SetLayout(src->Layout());
    FTag = src->FTag;
    FVisible = src->FVisible;
    FMinWidth = src->FMinWidth;
    FMaxWidth = src->FMaxWidth;
    FDisplayFormat = src->FDisplayFormat;
    FFooter->Assign(src->Footer());
    FFooters->Assign(src->Footers());
    if (src->FImeModeAssigned) SetImeMode(src->FImeMode);
    if (src->FImeNameAssigned) SetImeName(src->FImeName);
    FButtonStyle = src->FButtonStyle;
    FPickList->Assign(src->FPickList.get());
    FKeyList->Assign(src->FKeyList.get());
    if (src->FCheckboxesAssigned) SetCheckboxes(src->FCheckboxes);
    FDropDownRows = src->FDropDownRows;
    FDropDownWidth = src->FDropDownWidth;
    FAutoDropDown = src->FAutoDropDown;
    FDropDownShowTitles = src->FDropDownShowTitles;
    FDropDownSizing = src->FDropDownSizing;
    FLookupDisplayFields = src->FLookupDisplayFields;
    FDropDownSpecRow->Assign(src->FDropDownSpecRow.get());
    FMRUList->Assign(src->FMRUList.get());
    FDropDownBox->Assign(src->FDropDownBox.get());
    FAutoFitColWidth = src->FAutoFitColWidth;
    FPreFitWidth = src->FPreFitWidth;
    FIncrement = src->FIncrement;
    FToolTips = src->FToolTips;
    FAlwaysShowEditButton = src->FAlwaysShowEditButton;
    FDblClickNextVal = src->FDblClickNextVal;
    FNotInKeyListIndex = src->FNotInKeyListIndex;
    FHideDuplicates = src->FHideDuplicates;
    FShowImageAndText = src->FShowImageAndText;
    FEditMask = src->FEditMask;
    FAssignedValues |= src->FAssignedValues & ((1u << 18) | (1u << 21) | (1u << 22));
    SetImageList(src->FImageList);
    SetPopupMenu(src->FPopupMenu);
    FEditButtons->Assign(src->FEditButtons.get());
    OnGetCellParams = src->OnGetCellParams;
    OnNotInList = src->OnNotInList;
    OnUpdateData = src->OnUpdateData;
    OnEditButtonClick = src->OnEditButtonClick;
    OnEditButtonDown = src->OnEditButtonDown;
    Changed(false);
  } catch (...) {
    if (coll) coll->EndUpdate();
    throw;
  }
  if (coll) coll->EndUpdate();
}

// ---------------------------------------------------------------------------
// TDBGridColumnsEh and TColumnsEhList

TDBGridColumnsEh::TDBGridColumnsEh(TCustomDBGridEh* AGrid, TClass AColumnClass)
    : TCollection(AColumnClass), FGrid(AGrid) {}

TPersistent* TDBGridColumnsEh::GetOwner() { return FGrid; }

TColumnEh* TDBGridColumnsEh::AddDefaultColumn(TField* Field) {
  TColumnEh* c = Add();
  c->FStored = false;
  c->SetField(Field);
  return c;
}

bool TDBGridColumnsEh::IsCustomized() const { return Count() > 0 && Item(0)->Stored(); }

void TDBGridColumnsEh::RebuildColumns() {
  if (!FGrid) return;
  TDataSet* ds = FGrid->DataLink()->DataSet();
  FGrid->BeginLayout();
  try {
    Clear();
    if (ds)
      for (Integer i = 0; i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields()[i];
        if (f->Visible()) Add()->SetFieldName(f->FieldName());
      }
  } catch (...) {
    FGrid->EndLayout();
    throw;
  }
  FGrid->EndLayout();
}

void TDBGridColumnsEh::RestoreDefaults() {
  BeginUpdate();
  for (Integer i = 0; i < Count(); ++i) Item(i)->RestoreDefaults();
  EndUpdate();
}

void TDBGridColumnsEh::DropFieldState() {
  for (Integer i = 0; i < Count(); ++i) Item(i)->DropFieldState();
}

void TDBGridColumnsEh::Update(TCollectionItem* Item) {
  if (!FGrid || FGrid->ComponentState().Contains(csLoading)) return;
  if (auto* c = dynamic_cast<TColumnEh*>(Item)) {
    Integer raw = c->Index() + FGrid->IndicatorOffset();
    if (raw < FGrid->FullColCount()) {
      FGrid->InvalidateCol(raw);
      Integer w = c->Visible() ? c->Width() : (FGrid->Options().Contains(dgColLines) ? -1 : 0);
      if (FGrid->AutoFitColWidths() && !FGrid->FFitting && !FGrid->ComponentState().Contains(csDesigning)) {
        if (FGrid->ColWidths(raw) != w) FGrid->LayoutChanged();
      } else if (FGrid->ColWidths(raw) != w) {
        FGrid->SetColWidths(raw, w);
      }
    }
  } else {
    FGrid->RebuildSortMarkedColumns();
    FGrid->LayoutChanged();
  }
  if (Count() > 0) {
    Integer sel = FGrid->SelectedIndex();
    if (sel >= 0 && sel < Count() && !this->Item(sel)->Visible())
      for (Integer i = 0; i < Count(); ++i)
        if (this->Item(i)->Visible()) {
          FGrid->SetSelectedIndex(i);
          break;
        }
  }
}

Integer TColumnsEhList::IndexOf(const TColumnEh* c) const {
  auto it = std::find(FItems.begin(), FItems.end(), c);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

void TColumnsEhList::Remove(const TColumnEh* c) {
  auto it = std::find(FItems.begin(), FItems.end(), c);
  if (it != FItems.end()) FItems.erase(it);
}

// ---------------------------------------------------------------------------
// TGridDataLinkEh

TGridDataLinkEh::TGridDataLinkEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

TGridDataLinkEh::~TGridDataLinkEh() { ClearFieldMapping(); }

void TGridDataLinkEh::ClearFieldMapping() {
  FFieldMap.clear();
  FFieldMap.shrink_to_fit();
  FMapCount = 0;
}

bool TGridDataLinkEh::AddFieldMapping(const String& FieldName) {
  if (FMapCount >= MaxMapSize) throw EInvalidGridOperationEh(STooManyColumnsEh);
  TDataSet* ds = DataSet();
  TField* f = nullptr;
  if (ds) f = FSparseMap ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
  if (FMapCount == Integer(FFieldMap.size())) {
    int64_t cap = FFieldMap.empty() ? 8 : int64_t(FFieldMap.size()) * 2;
    cap = std::max<int64_t>(cap, FMapCount + 1);
    cap = std::min<int64_t>(cap, MaxMapSize);
    FFieldMap.resize(size_t(cap), -1);
  }
  if (f) {
    FFieldMap[size_t(FMapCount)] = f->Index();
    if (FGrid) f->FreeNotification(FGrid);
  } else {
    FFieldMap[size_t(FMapCount)] = -1;
  }
  ++FMapCount;
  return true;
}

TField* TGridDataLinkEh::Fields(Integer i) const {
  if (i < 0 || i >= FMapCount) return nullptr;
  Integer idx = FFieldMap[size_t(i)];
  TDataSet* ds = DataSet();
  if (idx < 0 || !ds || idx >= ds->FieldCount()) return nullptr;
  return ds->Fields()[idx];
}

bool TGridDataLinkEh::DefaultFields() const {
  TDataSet* ds = DataSet();
  if (!ds) return true;
  if (!ds->DefaultFields()) return false;
  if (FSparseMap)
    for (Integer i = 0; i < FMapCount; ++i)
      if (FFieldMap[size_t(i)] < 0) return false;
  return true;
}

void TGridDataLinkEh::Reset() {
  if (FModified)
    RecordChanged(nullptr);
  else if (TDataSet* ds = DataSet())
    ds->Cancel();
}

void TGridDataLinkEh::ActiveChanged() {
  if (FGrid) FGrid->DataLinkActiveChanged(Active());
  FModified = false;
}

void TGridDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info) {
  TDataLink::DataEvent(Event, Info);
  // The dataset's field objects may have been made anew.
  if (Event == deDisabledStateChange && FGrid) FGrid->Columns()->DropFieldState();
}

void TGridDataLinkEh::DataSetChanged() {
  // A sort or filter reorders the records: the selected bookmarks follow.
  if (FGrid) FGrid->SelectedRows()->DataSetChanged();
  if (FGrid) FGrid->DataChanged();
  FModified = false;
}

void TGridDataLinkEh::DataSetScrolled(Integer Distance) {
  if (FGrid) FGrid->ScrollData(Distance);
}

void TGridDataLinkEh::EditingChanged() {
  if (FGrid) FGrid->EditingChanged();
}

void TGridDataLinkEh::FocusControl(TField** Field) {
  if (!FGrid || !Field || !*Field) return;
  TDBGridColumnsEh* cols = FGrid->Columns();
  for (Integer i = 0; i < cols->Count(); ++i)
    if (cols->Item(i)->Field() == *Field) FGrid->SetSelectedIndex(i);
  if (FGrid->SelectedField() == *Field && FGrid->HasFocus()) {
    *Field = nullptr;
    FGrid->ShowEditor();
  }
}

void TGridDataLinkEh::LayoutChanged() {
  if (FGrid) {
    bool saved = FGrid->FDataLinkLayoutFlag;
    FGrid->FDataLinkLayoutFlag = true;
    try {
      FGrid->LayoutChanged();
    } catch (...) {
      FGrid->FDataLinkLayoutFlag = saved;
      throw;
    }
    FGrid->FDataLinkLayoutFlag = saved;
  }
  TDataLink::LayoutChanged();
}

void TGridDataLinkEh::RecordChanged(TField* Field) {
  if (FGrid) FGrid->RecordChanged(Field);
  FModified = false;
}

void TGridDataLinkEh::UpdateData() {
  if (FInUpdateData) return;
  FInUpdateData = true;
  try {
    if (FModified && FGrid) FGrid->UpdateData();
  } catch (...) {
    FInUpdateData = false;
    FModified = false;
    throw;
  }
  FModified = false;
  FInUpdateData = false;
}

// ---------------------------------------------------------------------------
// TCustomDBGridEh: construction and properties

TCustomDBGridEh::TCustomDBGridEh(TComponent* AOwner) : TCustomGridEh(AOwner) {
  // The program starts the grid unit in Application->Initialize; code that
  // makes a grid without that start gets it here.
  DBGridEhStartup();
  FTitleOffset = 0;
  FIndicatorOffset = 1;
  SetDesignSizingOptions(TGridEhOptions{geoColSizing});
  SetScrollBars(ssHorizontal);
  SetGridOptions(TGridEhOptions{geoFixedVertLine, geoFixedHorzLine, geoVertLine, geoHorzLine, geoColSizing,
                                geoColMoving, geoEditing, geoTabs});
  FColumnDefValues.reset(CreateColumnDefValues());
  FColumns.reset(CreateColumns());
  SetRowCount(2);
  SetColCount(2);
  FDataLink = std::make_unique<TGridDataLinkEh>(this);
  SetColor(clWindow);
  SetParentColor(false);
  FTitleFont = std::make_unique<TFont>();
  FTitleFont->Assign(Font());
  FTitleFont->OnChange = [this](TObject*) { TitleFontChanged(); };
  SetDefaultDrawing(true);
  FSumList = std::make_unique<TDBGridEhSumList>(this);
  FSumList->SumListChanged = [this](TObject*) { InvalidateFooter(); };
  FSumList->OnRecalcAll = [this](TObject* s) {
    if (OnSumListRecalcAll) OnSumListRecalcAll(s);
  };
  FSumList->OnAfterRecalcAll = [this](TObject* s) {
    if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(s);
  };
  FFooterFont = std::make_unique<TFont>();
  FFooterFont->Assign(Font());
  FFooterFont->OnChange = [this](TObject*) { FooterFontChanged(); };
  SetStyle(nullptr);
  // The global center is taken without entering its list.
  FCenter = GetGridEhCenter();
  FHorzScrollBar.reset(CreateScrollBar(sbHorizontal));
  FVertScrollBar.reset(CreateScrollBar(sbVertical));
  FIndicatorTitle = std::make_unique<TDBGridEhIndicatorTitle>(this);
  FSTFilter = std::make_unique<TSTDBGridEhFilter>(this);
}

TCustomDBGridEh::~TCustomDBGridEh() {
  // The link leaves its data source without telling a grid that is going.
  FDataLink->FGrid = nullptr;
  FDataLink->SetDataSource(nullptr);
  if (FStyle) FStyle->RemoveGrid(this);
  if (FCenter) FCenter->UnregisterGrid(this);
  // External scroll bars get their own window procedures back.
  FHorzScrollBar.reset();
  FVertScrollBar.reset();
  // The sums stop following the dataset before the footers free them.
  FSumList->Deactivate(false);
  FSumList->AssignDataSet(nullptr);
  FColumns.reset();
  FDataLink.reset();
  FColumnDefValues.reset();
  FSumList.reset();
}

TDBGridColumnsEh* TCustomDBGridEh::CreateColumns() { return new TDBGridColumnsEh(this); }
TColumnDefValuesEh* TCustomDBGridEh::CreateColumnDefValues() { return new TDBGridEhColumnDefValuesEh(this); }

void TCustomDBGridEh::TitleFontChanged() {
  if (FSelfChangingTitleFont) return;
  LayoutChanged();
}

void TCustomDBGridEh::SetDataSource(TDataSource* v) {
  if (v == FDataLink->DataSource()) return;
  FDataLink->SetDataSource(v);
  if (v) v->FreeNotification(this);
  DataLinkActiveChanged(FDataLink->Active());
  FSumList->AssignDataSet(v ? v->DataSet() : nullptr);
}

void TCustomDBGridEh::SetOptions(TDBGridOptions v) {
  if (v == FOptions) return;
  if (v.Contains(dgRowSelect)) v = v - dgEditing - dgAlwaysShowEditor;
  TGridEhOptions base;
  if (v.Contains(dgColLines)) base = base + geoFixedVertLine + geoVertLine;
  if (v.Contains(dgRowLines)) base = base + geoFixedHorzLine + geoHorzLine;
  if (v.Contains(dgColumnResize)) base = base + geoColSizing + geoColMoving;
  if (v.Contains(dgTabs)) base += geoTabs;
  if (v.Contains(dgEditing)) base += geoEditing;
  if (v.Contains(dgAlwaysShowEditor)) base += geoAlwaysShowEditor;
  if (v.Contains(dgRowSelect)) base += geoRowSelect;
  if (FRowSizingAllowed) base += geoRowSizing;
  TDBGridOptions old = FOptions;
  FOptions = v;
  SetGridOptions(base);
  if (old.Contains(dgMultiSelect) && !v.Contains(dgMultiSelect)) ClearSelection();
  const TDBGridOptions layoutOptions{dgEditing, dgAlwaysShowEditor, dgTitles,   dgIndicator,
                                     dgColLines, dgRowLines,         dgRowSelect, dgAlwaysShowSelection};
  if (((old - v) + (v - old)) * layoutOptions != TDBGridOptions{}) LayoutChanged();
}

void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions v) {
  if (v == FOptionsEh) return;
  // Without multi-column marking only the first marked column keeps its mark.
  if (FOptionsEh.Contains(dghMultiSortMarking) && !v.Contains(dghMultiSortMarking))
    for (Integer i = FSortMarkedColumns.Count() - 1; i >= 1; --i) FSortMarkedColumns[i]->Title()->SetSortMarker(smNoneEh);
  FOptionsEh = v;
  LayoutChanged();
}

void TCustomDBGridEh::SetReadOnly(bool v) {
  if (FReadOnly == v) return;
  FReadOnly = v;
  LayoutChanged();
}

void TCustomDBGridEh::SetEvenRowColor(TColor v) {
  bool changed = v != EvenRowColor();
  FEvenRowColor = v;
  FEvenRowColorAssigned = true;
  if (changed) Invalidate();
}

void TCustomDBGridEh::SetOddRowColor(TColor v) {
  bool changed = v != OddRowColor();
  FOddRowColor = v;
  FOddRowColorAssigned = true;
  if (changed) Invalidate();
}

void TCustomDBGridEh::SetRowHeight(Integer v) {
  if (FRowHeight == v) return;
  FRowHeight = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetRowLines(Integer v) {
  if (FRowLines == v) return;
  FRowLines = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetTitleHeight(Integer v) {
  if (FTitleHeight == v) return;
  FTitleHeight = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetTitleLines(Integer v) {
  if (FTitleLines == v) return;
  FTitleLines = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetFrozenCols(Integer v) {
  if (FFrozenColsProp == v) return;
  FFrozenColsProp = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetContraColCount(Integer v) {
  if (FContraColCountProp == v) return;
  FContraColCountProp = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetFooterRowCount(Integer v) {
  if (FFooterRowCount == v) return;
  FFooterRowCount = std::max<Integer>(0, v);
  LayoutChanged();
}

void TCustomDBGridEh::SetSelectedIndex(Integer v) {
  Integer raw = DataToRawColumn(v);
  if (raw >= FixedCols() && raw < ColCount() && raw != Col()) {
    if (OnColExit) OnColExit(this);
    SetCol(raw);
    if (OnColEnter) OnColEnter(this);
  }
}

TField* TCustomDBGridEh::SelectedField() {
  Integer i = SelectedIndex();
  if (i < 0 || i >= FColumns->Count()) return nullptr;
  return FColumns->Item(i)->Field();
}

TColumnEh* TCustomDBGridEh::ColumnByFieldName(const String& Name) const {
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (AnsiCompareText(FColumns->Item(i)->FieldName(), Name) == 0) return FColumns->Item(i);
  throw EInvalidGridOperationEh(Format(SFieldNameNotFoundEh, {Name}));
}

// ---------------------------------------------------------------------------
// Locks and layout

void TCustomDBGridEh::BeginLayout() {
  BeginUpdate();
  if (FLayoutLock == 0) FColumns->BeginUpdate();
  ++FLayoutLock;
}

void TCustomDBGridEh::EndLayout() {
  if (FLayoutLock > 0) {
    try {
      if (FLayoutLock == 1) InternalLayout();
    } catch (...) {
      if (FLayoutLock == 1) FColumns->EndUpdate();
      --FLayoutLock;
      EndUpdate();
      throw;
    }
    if (FLayoutLock == 1) FColumns->EndUpdate();
    --FLayoutLock;
    EndUpdate();
  }
}

void TCustomDBGridEh::CancelLayout() {
  if (FLayoutLock > 0) {
    if (FLayoutLock == 1) FColumns->EndUpdate();
    --FLayoutLock;
    EndUpdate();
  }
}

bool TCustomDBGridEh::TryBeginLayout() {
  if (FLayoutLock != 0 || FUpdateLock != 0) return false;
  BeginLayout();
  return true;
}

void TCustomDBGridEh::DeferLayout() {
  if (HandleAllocated()) {
    // A waiting quit request is seen through any filter: only a deferred
    // layout of this window counts.
    MSG m;
    if (!PeekMessageW(&m, Handle(), WM_DEFERLAYOUT_EH, WM_DEFERLAYOUT_EH, PM_NOREMOVE) ||
        m.message != WM_DEFERLAYOUT_EH)
      PostMessageW(Handle(), WM_DEFERLAYOUT_EH, 0, 0);
  }
  CancelLayout();
  EndUpdate();
}

void TCustomDBGridEh::LayoutChanged() {
  if (TryBeginLayout()) EndLayout();
}

void TCustomDBGridEh::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && PaintBuffered(Message)) return;
  if (DispatchInput(Message)) return;
  if (Message.Msg == WM_DEFERLAYOUT_EH) {
    if (TryBeginLayout())
      EndLayout();
    else
      DeferLayout();
    return;
  }
  TCustomGridEh::Dispatch(Message);
}

Integer TCustomDBGridEh::LineWidth() const { return FOptions.Contains(dgRowLines) ? GridLineWidth() : 0; }

void TCustomDBGridEh::RebuildFieldMap() {
  bool sparse = FColumns->IsCustomized();
  FDataLink->SetSparseMap(sparse);
  if (sparse) {
    for (Integer i = 0; i < FColumns->Count(); ++i) FDataLink->AddFieldMapping(FColumns->Item(i)->FieldName());
  } else if (TDataSet* ds = FDataLink->DataSet()) {
    for (Integer i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields()[i];
      if (f->Visible()) FDataLink->AddFieldMapping(f->FieldName());
    }
  }
}

void TCustomDBGridEh::InternalLayout() {
  if (ComponentState().Contains(csLoading)) return;
  // A quit request taken out with the deferred layout is posted again.
  if (HandleAllocated()) RemoveQueuedMessage(Handle(), WM_DEFERLAYOUT_EH);
  LockPaint();
  HDC borrowed = nullptr;
  try {
    // Default columns left behind persistent ones are stale.
    bool seenDefault = false;
    for (Integer i = 0; i < FColumns->Count(); ++i) {
      if (!FColumns->Item(i)->Stored()) {
        seenDefault = true;
      } else if (seenDefault) {
        for (Integer j = FColumns->Count() - 1; j >= 0; --j)
          if (!FColumns->Item(j)->Stored()) delete FColumns->Item(j);
        break;
      }
    }
    FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
    FDataLink->ClearFieldMapping();
    if (FDataLink->Active()) RebuildFieldMap();

    if (FColumns->IsCustomized()) {
      FColumns->DropFieldState();
    } else {
      if (FDataLink->Active() || !FDataLink->DefaultFields()) {
        for (Integer j = FColumns->Count() - 1; j >= 0; --j) {
          TColumnEh* c = FColumns->Item(j);
          TField* f = c->FField;
          bool found = false;
          if (f)
            for (Integer k = 0; k < FDataLink->FieldCount(); ++k)
              if (FDataLink->Fields(k) == f) found = true;
          if (!found) delete c;
        }
      } else {
        FColumns->Clear();
      }
      Integer n = FDataLink->FieldCount();
      if (n == 0 && FColumns->Count() == 0) n = 1;
      for (Integer i = 0; i < n; ++i) {
        TField* f = FDataLink->Fields(i);
        TColumnEh* c = nullptr;
        if (f) {
          for (Integer j = i; j < FColumns->Count(); ++j)
            if (FColumns->Item(j)->FField == f) {
              c = FColumns->Item(j);
              break;
            }
          if (!c) c = FColumns->AddDefaultColumn(f);
        } else {
          c = FColumns->AddDefaultColumn(nullptr);
        }
        if (c->Index() != i) c->SetIndex(i);
      }
    }

    FVisibleColumns.Clear();
    for (Integer i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Item(i)->Visible()) FVisibleColumns.Add(FColumns->Item(i));
    Integer hidden = 0;
    for (Integer i = 0; i < FColumns->Count(); ++i)
      if (!FColumns->Item(i)->Visible() && i < FFrozenColsProp + hidden) ++hidden;
    for (Integer i = FFrozenColsProp + hidden; i < FColumns->Count() && !FColumns->Item(i)->Visible(); ++i)
      ++hidden;
    Integer noneVisible = FVisibleColumns.Count() == 0 ? 1 : 0;
    Integer count = FColumns->Count();
    const Integer contraRows = TCustomGridEh::ContraRowCount();
    if (FDataLink->Active() || FColumns->IsCustomized()) {
      Integer frozen = std::min(FFrozenColsProp, count);
      Integer contra = std::max<Integer>(0, std::min(FContraColCountProp, count - frozen - FIndicatorOffset));
      Integer base = count + FIndicatorOffset - contra;
      if (contra != TCustomGridEh::ContraColCount()) ChangeContraCounts(0, contraRows);
      SetGridColCount(base);
      if (contra != TCustomGridEh::ContraColCount()) ChangeContraCounts(contra, contraRows);
      SetFixedCols(std::max<Integer>(0, std::min(base - 1, FIndicatorOffset + frozen + hidden - noneVisible)));
      TCustomGridEh::SetFrozenCols(frozen);
    } else {
      if (TCustomGridEh::ContraColCount() != 0) ChangeContraCounts(0, contraRows);
      SetGridColCount(count + FIndicatorOffset);
      SetFixedCols(std::max<Integer>(0, std::min(count + FIndicatorOffset - 1, hidden + FIndicatorOffset -
                                                                                    noneVisible)));
      TCustomGridEh::SetFrozenCols(0);
    }
    FTitleOffset = TitleRowCount() + IsFilterRowVisible();

    if (!HandleAllocated()) {
      borrowed = GetDC(nullptr);
      Canvas()->SetHandle(borrowed);
    }
    UpdateRowHeights();
    if (borrowed) {
      Canvas()->SetHandle(nullptr);
      ReleaseDC(nullptr, borrowed);
      borrowed = nullptr;
    }
    // The grid's own horizontal bar: none while the columns fill the width
    // or an external bar stands in for it.
    bool designing = ComponentState().Contains(csDesigning);
    TScrollStyle bars = FHorzScrollBar->Visible() && !FHorzScrollBar->ExtScrollBar() &&
                                (!FAutoFitColWidths || designing)
                            ? ssHorizontal
                            : ssNone;
    if (bars != ScrollBars()) {
      SetScrollBars(bars);
      if (HandleAllocated()) UpdateVertScrollBar();
    }
    UpdateColWidthsAndTabStops();
    if (FAutoFitColWidths && !designing && HandleAllocated()) {
      FitColumnsToWidth();
      UpdateColWidthsAndTabStops();
    }
    UpdateRowCount();
    UpdateActiveRow();
    Invalidate();
    if (FSelection->SelectionType() == gstColumns) FSelection->Columns()->Refresh();
  } catch (...) {
    if (borrowed) {
      Canvas()->SetHandle(nullptr);
      ReleaseDC(nullptr, borrowed);
    }
    UnlockPaint();
    throw;
  }
  UnlockPaint();
}

void TCustomDBGridEh::UpdateRowHeights() {
  if (!FUseMultiTitle || !FOptions.Contains(dgTitles)) {
    FLeafCols.clear();
    FHeadTree->FreeAllChildren();
  }
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  Integer line = (Flat() ? 1 : 3) + LineWidth();
  Integer t = c->TextHeight("Wg");
  TEXTMETRICW tm{};
  GetTextMetricsW(c->Handle(), &tm);
  Integer h;
  if (FRowHeight > 0 || FRowLines > 0)
    h = FRowHeight + (tm.tmExternalLeading + tm.tmHeight) * FRowLines;
  else
    h = t + line;
  if (FOptionsEh.Contains(dghFitRowHeightToText) && t > 0) {
    Integer hh = h - line, n = hh / t, r = hh % t;
    h = (r <= t / 2 && n > 0) ? n * t + line : (n + 1) * t + line;
    FRowLines = (h - line) / t;
    FRowHeight = line;
  }
  if (h < 1) h = 1;
  SetDefaultRowHeight(h);
  FWordWrapAllowed = tm.tmExternalLeading + tm.tmHeight + tm.tmInternalLeading + FTitleTextInset < h;
  if (FOptions.Contains(dgTitles)) {
    if (FTitleHeight > 0 || FTitleLines > 0) {
      TFont* biggest = FTitleFont.get();
      Integer best = -1;
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        c->Font()->Assign(FColumns->Item(i)->Title()->Font());
        Integer th = c->TextHeight("Wg");
        if (th > best) best = th, biggest = FColumns->Item(i)->Title()->Font();
      }
      c->Font()->Assign(biggest);
      GetTextMetricsW(c->Handle(), &tm);
      FTitleRowHeight = FTitleLines * tm.tmHeight + tm.tmExternalLeading + FTitleHeight + 2 +
                        (FOptions.Contains(dgRowLines) ? 1 : 0);
    } else if (FUseMultiTitle) {
      AssignFontEh(c->Font(), FTitleFont.get());
      FHeadTree->BuildFromColumns(this, &FLeafCols);
      Integer h = HeadTreeHeight(FHeadTree.get()) - (FOptionsEh.Contains(dghFixed3D) ? 1 : 3);
      AssignFontEh(c->Font(), FTitleFont.get());
      FTitleRowHeight = std::max(h, c->TextHeight("Wg") + FTitleTextInset);
    } else {
      Integer best = 0;
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        c->Font()->Assign(FColumns->Item(i)->Title()->Font());
        best = std::max(best, c->TextHeight("Wg") + FTitleTextInset);
      }
      if (FColumns->Count() == 0) {
        c->Font()->Assign(FTitleFont.get());
        best = c->TextHeight("Wg") + FTitleTextInset;
      }
      FTitleRowHeight = best;
    }
  }
}

void TCustomDBGridEh::UpdateColWidthsAndTabStops() {
  for (Integer i = 0; i < FColumns->Count(); ++i) {
    TColumnEh* c = FColumns->Item(i);
    Integer raw = i + FIndicatorOffset;
    if (raw >= FullColCount()) break;
    TField* f = c->Field();
    SetTabStops(raw, c->Visible() && !c->ReadOnly() && FDataLink->Active() && f && !f->Calculated() &&
                         !f->ReadOnly());
    SetColWidths(raw, c->Visible() ? c->Width() : (FOptions.Contains(dgColLines) ? -1 : 0));
  }
  if (FOptions.Contains(dgIndicator) && ColCount() > 0) SetColWidths(0, 11);
}

void TCustomDBGridEh::ColWidthsChanged() {
  if ((FDataLink->Active() || FColumns->IsCustomized()) && TryBeginLayout()) {
    try {
      TCustomGridEh::ColWidthsChanged();
      bool fitting = FAutoFitColWidths && !ComponentState().Contains(csDesigning);
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        TColumnEh* c = FColumns->Item(i);
        Integer raw = i + FIndicatorOffset;
        if (raw >= FullColCount() || !c->Visible()) continue;
        Integer w = c->ClampToWidthLimits(ColWidths(raw));
        if (w != ColWidths(raw)) SetColWidths(raw, w);
        if (w == c->Width()) continue;
        if (!fitting || !c->AutoFitColWidth()) {
          c->SetWidth(w);
          continue;
        }
        // Under fitting a user's sizing changes what the column asks for;
        // with dghResizeWholeRightPart the whole right part gives or takes
        // the difference, otherwise only the next visible column.
        Integer old = c->FPreFitWidth;
        Integer cw = std::max<Integer>(1, c->Width());
        c->FPreFitWidth = MulDiv(old, w, cw);
        Integer k = FVisibleColumns.IndexOf(c);
        if (FOptionsEh.Contains(dghResizeWholeRightPart)) {
          Integer d = 0;
          for (Integer j = k + 1; j < FVisibleColumns.Count(); ++j)
            if (FVisibleColumns[j]->AutoFitColWidth()) d += FVisibleColumns[j]->Width();
          if (d > 0)
            for (Integer j = k + 1; j < FVisibleColumns.Count(); ++j) {
              TColumnEh* r = FVisibleColumns[j];
              if (r->AutoFitColWidth()) r->FPreFitWidth = std::max<Integer>(1, MulDiv(d + cw - w, r->FPreFitWidth, d));
            }
        } else if (k >= 0 && k + 1 < FVisibleColumns.Count()) {
          TColumnEh* next = FVisibleColumns[k + 1];
          next->FPreFitWidth = std::max<Integer>(0, next->FPreFitWidth + old - c->FPreFitWidth);
        }
      }
    } catch (...) {
      EndLayout();
      throw;
    }
    EndLayout();
  } else {
    TCustomGridEh::ColWidthsChanged();
  }
  if (OnColWidthsChanged) OnColWidthsChanged(this);
  if (FFilterEditing) PlaceFilterEditor(false);
}

// ---------------------------------------------------------------------------
// Rows and records

void TCustomDBGridEh::GetCellType(Integer ACol, Integer ARow, Integer& HorzKind, Integer& VertKind,
                                  Integer& AreaCol, Integer& AreaRow) const {
  if (ACol < FIndicatorOffset) {
    HorzKind = caIndicatorEh;
    AreaCol = ACol;
  } else {
    HorzKind = caDataColEh;
    AreaCol = ACol - FIndicatorOffset;
  }
  Integer titles = TitleRowCount(), filter = IsFilterRowVisible();
  Integer firstFooter = RowCount();
  if (ARow < titles) {
    VertKind = raTitleEh;
    AreaRow = ARow;
  } else if (ARow < titles + filter) {
    VertKind = raFilterEh;
    AreaRow = ARow - titles;
  } else if (ARow >= FTitleOffset && ARow < firstFooter) {
    VertKind = raDataEh;
    AreaRow = ARow - FTitleOffset;
  } else if (ARow >= firstFooter) {
    VertKind = raFooterEh;
    AreaRow = ARow - firstFooter;
  } else {
    throw EInvalidGridOperationEh(SGetCellTypeErrorEh);
  }
}

Integer TCustomDBGridEh::RecordCountInView() const { return FDataLink->Active() ? FDataLink->RecordCount() : 0; }

// While another record is made active for drawing, the current one is the
// saved one.
bool TCustomDBGridEh::IsCurrentRecord(Integer Row) const {
  return Row == (FDrawRecordSaved >= 0 ? FDrawRecordSaved : FDataLink->ActiveRecord());
}

void TCustomDBGridEh::SetDrawRecord(Integer Row) {
  // Nested calls (a neighbouring row measured while one is drawn) keep the
  // record that was active before the first.
  if (FDrawRecordSaved < 0) FDrawRecordSaved = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(Row);
}

void TCustomDBGridEh::RestoreDrawRecord() {
  if (FDrawRecordSaved >= 0) FDataLink->SetActiveRecord(FDrawRecordSaved);
  FDrawRecordSaved = -1;
}

// Counts shrink by removing cells at the end through the base grid's
// insert-or-delete operation, which keeps the remaining extents.
void TCustomDBGridEh::SetGridColCount(Integer v) {
  if (v < 1) v = 1;
  if (v < ColCount())
    ChangeSizeAt(v, v - ColCount(), false);
  else
    SetColCount(v);
}

void TCustomDBGridEh::SetGridRowCount(Integer v) {
  if (v < 1) v = 1;
  if (v < RowCount())
    ChangeSizeAt(v, v - RowCount(), true);
  else
    SetRowCount(v);
}

void TCustomDBGridEh::UpdateRowCount() {
  Integer oldRows = RowCount();
  if (RowCount() <= FTitleOffset) {
    if (Row() >= FTitleOffset + 1) MoveCurrent(Col(), FTitleOffset, false, false);
    SetGridRowCount(FTitleOffset + 1);
  }
  SetFixedRows(FTitleOffset);
  Integer line = LineWidth();
  Integer fixedH = 0;
  if (FOptions.Contains(dgTitles)) fixedH += FTitleRowHeight + line;
  fixedH += (DefaultRowHeight() + line) * (FTitleOffset - TitleRowCount());
  if (FFooterRowCount > 0) fixedH += (DefaultRowHeight() + line) * FFooterRowCount + line;
  SetDefaultRowHeight(DefaultRowHeight());
  if (FOptions.Contains(dgTitles) && RowCount() > 0) SetRowHeights(0, FTitleRowHeight);
  if (TopRow() != FTitleOffset && FTitleOffset < RowCount()) SetTopRow(FTitleOffset);
  if (FDataLink->Active() && FDataLink->RecordCount() > 0 && HandleAllocated()) {
    Integer buf = std::max<Integer>(1, (ClientHeight() - fixedH) / (DefaultRowHeight() + line));
    FDataLink->SetBufferCount(buf);
    Integer rows = FTitleOffset + std::max<Integer>(1, FDataLink->RecordCount());
    ChangeContraCounts(TCustomGridEh::ContraColCount(), 0);
    if (Row() >= rows) MoveCurrent(Col(), rows - 1, false, false);
    SetGridRowCount(rows);
    ChangeContraCounts(TCustomGridEh::ContraColCount(), FFooterRowCount);
    UpdateActiveRow();
  } else {
    ChangeContraCounts(TCustomGridEh::ContraColCount(), 0);
    if (Row() > FTitleOffset) MoveCurrent(Col(), FTitleOffset, false, false);
    SetGridRowCount(FTitleOffset + 1);
    ChangeContraCounts(TCustomGridEh::ContraColCount(), FFooterRowCount);
  }
  if (FOptions.Contains(dgTitles) && RowCount() > 0) SetRowHeights(0, FTitleRowHeight);
  if (RowCount() != oldRows) Invalidate();
}

void TCustomDBGridEh::UpdateActiveRow() {
  if (!FDataLink->Active() || !HandleAllocated() || ComponentState().Contains(csLoading)) return;
  Integer r = FDataLink->ActiveRecord() + FTitleOffset;
  if (r != Row() && r < RowCount()) {
    if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
    MoveCurrent(Col(), r, true, false);
  }
}

void TCustomDBGridEh::ScrollData(Integer Distance) {
  if (!HandleAllocated()) return;
  auto rowRect = [this](Integer r) {
    TRect a = CellClientRect(0, r);
    a.Right = ClientWidth();
    return a;
  };
  TRect r1 = rowRect(Row());
  if (FDataLink->ActiveRecord() >= RowCount() - FTitleOffset) UpdateRowCount();
  UpdateVertScrollBar();
  UpdateActiveRow();
  TRect r2 = rowRect(Row());
  RECT w1{r1.Left, r1.Top, r1.Right, r1.Bottom}, w2{r2.Left, r2.Top, r2.Right, r2.Bottom};
  ValidateRect(Handle(), &w1);
  InvalidateRect(Handle(), &w1, FALSE);
  InvalidateRect(Handle(), &w2, FALSE);
  if (Distance != 0) {
    HideEditor();
    Integer visibleRows = VisibleRowCount();
    if (std::abs(Distance) > visibleRows) {
      Invalidate();
      if (FOptions.Contains(dgAlwaysShowEditor)) TCustomGridEh::ShowEditor();
      return;
    }
    Integer dy = DefaultRowHeight() + LineWidth();
    if (FOptions.Contains(dgIndicator) && FLastIndicatorRow >= 0) InvalidateCell(0, FLastIndicatorRow);
    TRect top = CellClientRect(0, FTitleOffset);
    Integer firstFooter = RowCount();
    TRect bottom = CellClientRect(0, firstFooter - 1);
    RECT area{0, top.Top, ClientWidth(), bottom.Bottom + LineWidth()};
    ScrollWindowEx(Handle(), 0, -dy * Distance, &area, &area, nullptr, nullptr, SW_INVALIDATE);
    if (FOptions.Contains(dgIndicator)) InvalidateCell(0, Row());
    if (FOptions.Contains(dgAlwaysShowEditor)) TCustomGridEh::ShowEditor();
  }
  // Footers may show the current record's values.
  InvalidateFooter();
  if (FUpdateLock == 0) UpdateWindow(Handle());
}

void TCustomDBGridEh::DataChanged() {
  if (!HandleAllocated() || FInDataChanged) return;
  FInDataChanged = true;
  try {
    UpdateRowCount();
    UpdateVertScrollBar();
    UpdateActiveRow();
  } catch (...) {
    FInDataChanged = false;
    throw;
  }
  FInDataChanged = false;
  ValidateRect(Handle(), nullptr);
  Invalidate();
  RecordChangedInEditor(nullptr);
}

void TCustomDBGridEh::EditingChanged() {
  if (FOptions.Contains(dgIndicator) && FLastIndicatorRow >= 0) InvalidateCell(0, FLastIndicatorRow);
  if (FOptions.Contains(dgIndicator)) InvalidateCell(0, Row());
}

void TCustomDBGridEh::RecordChanged(TField* Field) {
  if (!HandleAllocated()) return;
  InvalidateRow(Row());
  RecordChangedInEditor(Field);
}

void TCustomDBGridEh::DataLinkActiveChanged(bool Active) {
  if (!Active) HideEditor();
  FSelection->LinkActiveChanged(Active);
  if (FSumList) FSumList->AssignDataSet(DataSource() ? DataSource()->DataSet() : nullptr);
  LayoutChanged();
  UpdateVertScrollBar();
  FColumns->DropFieldState();
}

void TCustomDBGridEh::TopLeftChanged() {
  // Titles draw their left edge by whether the first scrollable column is
  // in view.
  bool leftIsFirst = LeftCol() == FixedCols();
  if (leftIsFirst != FLeftColIsFirst) {
    for (Integer r = 0; r < TitleRowCount(); ++r) InvalidateRow(r);
    FLeftColIsFirst = leftIsFirst;
  }
  TCustomGridEh::TopLeftChanged();
  if (FFilterEditing) PlaceFilterEditor(false);
  UpdateHorzExtScrollBar();
  if (OnTopLeftChangedInternal) OnTopLeftChangedInternal(this);
}

void TCustomDBGridEh::CreateWnd() {
  BeginUpdate();
  try {
    TCustomGridEh::CreateWnd();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  if (FLayoutLock == 0) {
    LayoutChanged();
  }
  UpdateVertScrollBar();
}

void TCustomDBGridEh::Resize() {
  TCustomGridEh::Resize();
  if (FUpdateLock == 0 && HandleAllocated()) {
    UpdateRowCount();
    UpdateVertScrollBar();
  }
}

// The sort-marked list in the order of the titles' sort indexes (columns
// with index 0 are not marked).
void TCustomDBGridEh::RebuildSortMarkedColumns() {
  FSortMarkedColumns.Clear();
  std::vector<TColumnEh*> marked;
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Item(i)->Title()->SortIndex() > 0) marked.push_back(FColumns->Item(i));
  std::stable_sort(marked.begin(), marked.end(), [](TColumnEh* a, TColumnEh* b) {
    return a->Title()->SortIndex() < b->Title()->SortIndex();
  });
  for (TColumnEh* m : marked) FSortMarkedColumns.Add(m);
}

void TCustomDBGridEh::Loaded() {
  TCustomGridEh::Loaded();
  if (FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
    for (Integer i = 0; i < FColumns->Count(); ++i) FColumns->Item(i)->FPreFitWidth = FColumns->Item(i)->Width();
    SetScrollBars(ssNone);
  }
  RebuildSortMarkedColumns();
  if (DataSource()) FSumList->ActivateAfterLoad();
  LayoutChanged();
}

void TCustomDBGridEh::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomGridEh::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FDataLink && AComponent == DataSource()) {
    SetDataSource(nullptr);
    return;
  }
  // A dying component is no longer of its own class here: compare pointers.
  if (FColumns)
    for (Integer i = 0; i < FColumns->Count(); ++i) {
      TColumnEh* c = FColumns->Item(i);
      if (AComponent == static_cast<TComponent*>(c->FPopupMenu)) c->FPopupMenu = nullptr;
      if (AComponent == static_cast<TComponent*>(c->FImageList)) c->FImageList = nullptr;
    }
  if (AComponent == static_cast<TComponent*>(FTitleImages)) FTitleImages = nullptr;
  if (FHorzScrollBar) FHorzScrollBar->ExtScrollBarDestroyed(AComponent);
  if (FVertScrollBar) FVertScrollBar->ExtScrollBarDestroyed(AComponent);
  if (auto* f = dynamic_cast<TField*>(AComponent); f && FColumns) {
    BeginLayout();
    bool used = false;
    for (Integer i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Item(i)->FField == f) {
        FColumns->Item(i)->DropFieldState();
        FColumns->Item(i)->FFieldLooked = true;   // the field is gone; do not look it up while it dies
        used = true;
      }
    TDataSet* ds = FDataLink->DataSet();
    if (used && ds && !ds->ControlsDisabled())
      EndLayout();
    else
      DeferLayout();
  }
}

void TCustomDBGridEh::MoveColIfNeeded() {}

// ---------------------------------------------------------------------------
// Column default values

TColumnDefValuesEh::TColumnDefValuesEh(TCustomDBGridEh* AGrid)
    : FGrid(AGrid),
      FTitle(std::make_unique<TColumnTitleDefValuesEh>(this)),
      FFooter(std::make_unique<TColumnFooterDefValuesEh>()) {}

TColumnDefValuesEh::~TColumnDefValuesEh() = default;

TPersistent* TColumnDefValuesEh::GetOwner() { return FGrid; }

void TColumnDefValuesEh::RepaintGrid() {
  if (FGrid) FGrid->Invalidate();
}

void TColumnDefValuesEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColumnDefValuesEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  // The layout, the required-field mark and the footer defaults stay.
  FTitle->Assign(src->Title());
  SetAlwaysShowEditButton(src->AlwaysShowEditButton());
  SetEndEllipsis(src->EndEllipsis());
  FAutoDropDown = src->FAutoDropDown;
  FDblClickNextVal = src->FDblClickNextVal;
  FToolTips = src->FToolTips;
  FDropDownSizing = src->FDropDownSizing;
  FDropDownShowTitles = src->FDropDownShowTitles;
}

void TColumnDefValuesEh::SetAlwaysShowEditButton(bool v) {
  if (FAlwaysShowEditButton == v) return;
  FAlwaysShowEditButton = v;
  RepaintGrid();
}

void TColumnDefValuesEh::SetEndEllipsis(bool v) {
  if (FEndEllipsis == v) return;
  FEndEllipsis = v;
  RepaintGrid();
}

void TColumnDefValuesEh::SetLayout(TTextLayout v) {
  if (FLayout == v) return;
  FLayout = v;
  RepaintGrid();
}

void TColumnDefValuesEh::SetHighlightRequired(bool v) {
  if (FHighlightRequired == v) return;
  FHighlightRequired = v;
  RepaintGrid();
}

TPersistent* TColumnTitleDefValuesEh::GetOwner() { return FOwner; }

TCustomDBGridEh* TColumnTitleDefValuesEh::Grid() const { return FOwner ? FOwner->Grid() : nullptr; }

TAlignment TColumnTitleDefValuesEh::Alignment() const {
  if (FAssigned & 2) return FAlignment;
  TCustomDBGridEh* g = Grid();
  return g && g->UseMultiTitle() ? taCenter : taLeftJustify;
}

void TColumnTitleDefValuesEh::SetAlignment(TAlignment v) {
  if ((FAssigned & 2) && FAlignment == v) return;
  FAlignment = v;
  FAssigned |= 2;
  if (TCustomDBGridEh* g = Grid()) g->LayoutChanged();
}

TColor TColumnTitleDefValuesEh::Color() const {
  if (FAssigned & 1) return FColor;
  TCustomDBGridEh* g = Grid();
  return g ? g->FixedColor() : clBtnFace;
}

void TColumnTitleDefValuesEh::SetColor(TColor v) {
  if ((FAssigned & 1) && FColor == v) return;
  FColor = v;
  FAssigned |= 1;
  if (TCustomDBGridEh* g = Grid()) g->Invalidate();
}

void TColumnTitleDefValuesEh::SetEndEllipsis(bool v) {
  if (FEndEllipsis == v) return;
  FEndEllipsis = v;
  if (TCustomDBGridEh* g = Grid()) g->Invalidate();
}

void TColumnTitleDefValuesEh::SetOrientation(TTextOrientationEh v) {
  if (FOrientation == v) return;
  FOrientation = v;
  if (TCustomDBGridEh* g = Grid()) g->LayoutChanged();
}

void TColumnTitleDefValuesEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColumnTitleDefValuesEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src->FAssigned & 2) SetAlignment(src->FAlignment);
  if (src->FAssigned & 1) SetColor(src->FColor);
  SetEndEllipsis(src->FEndEllipsis);
  FTitleButton = src->FTitleButton;
  FToolTips = src->FToolTips;
  SetOrientation(src->FOrientation);
}

void TColumnFooterDefValuesEh::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TColumnFooterDefValuesEh*>(Source)) {
    FToolTips = src->FToolTips;
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Scaling

void TCustomDBGridEh::ChangeScale(Integer M, Integer D) {
  if (M != D && D != 0) {
    if (!ParentFont()) {
      // The title font follows the grid's own font size, not its own.
      FSelfChangingTitleFont = true;
      FTitleFont->SetSize(MulDiv(Font()->Size(), M, D));
      FSelfChangingTitleFont = false;
      FSelfChangingFooterFont = true;
      FFooterFont->SetSize(MulDiv(FFooterFont->Size(), M, D));
      FSelfChangingFooterFont = false;
    }
    auto scaleFont = [M, D](TFont* f) { f->SetSize(MulDiv(f->Size(), M, D)); };
    FColumns->BeginUpdate();
    try {
      // Cumulative rounding: the scaled widths add up to the scaled total.
      Integer sum = 0, prev = 0;
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        TColumnEh* c = FColumns->Item(i);
        if (c->AssignedValues() & cvFont) scaleFont(c->Font());
        if (c->AssignedValues() & cvTitleFont) scaleFont(c->Title()->Font());
        if (c->Footer()->AssignedValues() & fvFont) scaleFont(c->Footer()->Font());
        for (Integer j = 0; j < c->Footers()->Count(); ++j)
          if (c->Footers()->Item(j)->AssignedValues() & fvFont) scaleFont(c->Footers()->Item(j)->Font());
        sum += c->Width();
        Integer scaled = MulDiv(sum, M, D);
        c->SetWidth(scaled - prev);
        prev = scaled;
      }
    } catch (...) {
      FColumns->EndUpdate();
      throw;
    }
    FColumns->EndUpdate();
  }
  TCustomGridEh::ChangeScale(M, D);
}
