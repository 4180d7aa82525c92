// The data grid's footers: the column footer objects, the grid's sum list
// that keeps their sums, averages and counts, and the text a footer shows.
#include <cinttypes>
#include <cstdio>

#include "DBGridEh.h"
#include "FormatSettings.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TColumnFooterEh, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TColumnFootersEh, TCollection)
TOVANI_IMPLEMENT_CLASS(TDBGridEhSumList, TDBSumListProducer)

// ---------------------------------------------------------------------------
// TColumnFooterEh

TColumnFooterEh::TColumnFooterEh(TCollection* ACollection) : TCollectionItem(ACollection) {
  if (auto* footers = dynamic_cast<TColumnFootersEh*>(ACollection)) FColumn = footers->Column();
  FFont = std::make_unique<TFont>();
  if (TFont* def = DefaultFont()) FFont->Assign(def);
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  if (TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr) g->InvalidateFooter();
}

TColumnFooterEh::~TColumnFooterEh() {
  if (TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr) g->InvalidateFooter();
  FreeSumItem();
}

TFont* TColumnFooterEh::DefaultFont() const {
  if (!FColumn) return nullptr;
  if (TCustomDBGridEh* g = FColumn->Grid()) return g->FooterFont();
  return FColumn->Font();
}

void TColumnFooterEh::ColumnChanged(bool All) {
  if (FColumn) FColumn->ColumnChanged(All);
}

void TColumnFooterEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColumnFooterEh*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  if (src->FAssignedValues & fvAlignment) SetAlignment(src->Alignment());
  if (src->FAssignedValues & fvColor) SetColor(src->Color());
  if (src->FAssignedValues & fvFont) SetFont(src->Font());
  SetEndEllipsis(src->EndEllipsis());
  SetValueType(src->ValueType());
  SetFieldName(src->FieldName());
  SetValue(src->Value());
  SetWordWrap(src->WordWrap());
  SetDisplayFormat(src->DisplayFormat());
  SetToolTips(src->ToolTips());
}

void TColumnFooterEh::ResetFooterDefaults() {
  bool fontWasAssigned = FAssignedValues & fvFont;
  FAssignedValues = 0;
  if (TFont* def = DefaultFont()) {
    FSettingFont = true;
    FFont->Assign(def);
    FSettingFont = false;
  }
  if (fontWasAssigned) ColumnChanged(true);
}

TAlignment TColumnFooterEh::Alignment() {
  if (FAssignedValues & fvAlignment) return FAlignment;
  TField* f = FColumn ? FColumn->Field() : nullptr;
  return f ? f->Alignment() : taLeftJustify;
}

void TColumnFooterEh::SetAlignment(TAlignment v) {
  if ((FAssignedValues & fvAlignment) && FAlignment == v) return;
  FAlignment = v;
  FAssignedValues |= fvAlignment;
  ColumnChanged(false);
}

TColor TColumnFooterEh::Color() const {
  if (FAssignedValues & fvColor) return FColor;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g ? g->FooterColor() : clWindow;
}

void TColumnFooterEh::SetColor(TColor v) {
  if ((FAssignedValues & fvColor) && FColor == v) return;
  FColor = v;
  FAssignedValues |= fvColor;
  ColumnChanged(false);
}

TFont* TColumnFooterEh::Font() {
  if (!(FAssignedValues & fvFont)) {
    TFont* def = DefaultFont();
    if (def && def != FFont.get()) {
      FSettingFont = true;
      AssignFontEh(FFont.get(), def);
      FSettingFont = false;
    }
  }
  return FFont.get();
}

void TColumnFooterEh::FontChanged() {
  if (FSettingFont) return;
  FAssignedValues |= fvFont;
  ColumnChanged(true);
}

bool TColumnFooterEh::ToolTips() const {
  if (FAssignedValues & fvToolTips) return FToolTips;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g ? g->ColumnDefValues()->Footer()->ToolTips() : false;
}

void TColumnFooterEh::SetToolTips(bool v) {
  if ((FAssignedValues & fvToolTips) && FToolTips == v) return;
  FToolTips = v;
  FAssignedValues |= fvToolTips;
}

void TColumnFooterEh::SetDisplayFormat(const String& v) {
  if (FDisplayFormat == v) return;
  FDisplayFormat = v;
  ColumnChanged(false);
}

void TColumnFooterEh::SetEndEllipsis(bool v) {
  FEndEllipsis = v;
  ColumnChanged(false);
}

void TColumnFooterEh::SetWordWrap(bool v) {
  FWordWrap = v;
  ColumnChanged(false);
}

void TColumnFooterEh::SetValue(const String& v) {
  FValue = v;
  ColumnChanged(false);
}

void TColumnFooterEh::SetFieldName(const String& v) {
  FFieldName = v;
  if (FColumn) FColumn->BindFooterSums();
  ColumnChanged(false);
}

void TColumnFooterEh::SetValueType(TFooterValueType v) {
  if (FValueType == v) return;
  FValueType = v;
  if (FColumn) FColumn->BindFooterSums();
  ColumnChanged(false);
}

TDBSum* TColumnFooterEh::SumItem() const {
  if (!FSumList || FSumItemID < 0) return nullptr;
  return static_cast<TDBSum*>(FSumList->SumCollection()->FindItemID(FSumItemID));
}

void TColumnFooterEh::FreeSumItem() {
  if (TDBSum* s = SumItem()) delete s;
  FSumList = nullptr;
  FSumItemID = -1;
}

void TColumnFooterEh::BindSum() {
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  if (!g) return;
  bool aggregate = FValueType == fvtSum || FValueType == fvtAvg || FValueType == fvtCount;
  // Texts, dates and the like are never summed (their footer shows "0"): an
  // aggregate over them would make every recalculation of the list fail.
  if (FValueType == fvtSum || FValueType == fvtAvg) {
    TDataSet* ds = g->DataLink()->DataSet();
    TField* f = ds ? ds->FindField(FFieldName.empty() ? FColumn->FieldName() : FFieldName) : nullptr;
    if (f && !dynamic_cast<TNumericField*>(f)) aggregate = false;
  }
  TDBSum* item = SumItem();
  // An aggregate left in another grid's list (the column moved) is freed.
  if (item && FSumList != g->SumList()) {
    FreeSumItem();
    item = nullptr;
  }
  if (!aggregate) {
    FreeSumItem();
    return;
  }
  auto setUp = [this](TDBSum* s) {
    if (FValueType == fvtCount) {
      s->SetGroupOperation(goCount);
      s->SetFieldName(String());
    } else {
      s->SetGroupOperation(FValueType == fvtSum ? goSum : goAvg);
      s->SetFieldName(FFieldName.empty() ? FColumn->FieldName() : FFieldName);
    }
  };
  // One recalculation for the whole change, when the collection's update ends.
  TDBSumCollection* sums = g->SumList()->SumCollection();
  sums->BeginUpdate();
  try {
    if (!item) {
      item = sums->Add();
      FSumList = g->SumList();
      FSumItemID = item->ID();
    }
    setUp(item);
  } catch (...) {
    sums->EndUpdate();
    throw;
  }
  sums->EndUpdate();
}

// ---------------------------------------------------------------------------
// TColumnFootersEh and TDBGridEhSumList

TColumnFootersEh::TColumnFootersEh(TColumnEh* AColumn, TClass AItemClass)
    : TCollection(AItemClass), FColumn(AColumn) {}

TPersistent* TColumnFootersEh::GetOwner() { return FColumn; }

TDBGridEhSumList::TDBGridEhSumList(TCustomDBGridEh* AGrid) : TDBSumListProducer(AGrid) {
  SetWorkAtDesignTime(true);
  Deactivate(false);
}

// ---------------------------------------------------------------------------
// The grid's footer operations

void TCustomDBGridEh::SetFooterColor(TColor v) {
  if (FFooterColor == v) return;
  FFooterColor = v;
  if (!ComponentState().Contains(csLoading)) SetParentColor(false);
  if (FFooterRowCount > 0) InvalidateFooter();
}

void TCustomDBGridEh::FooterFontChanged() {
  if (FSelfChangingFooterFont) return;
  if (!ComponentState().Contains(csLoading)) SetParentFont(false);
  if (FFooterRowCount > 0) LayoutChanged();
}

void TCustomDBGridEh::SetSumList(TDBGridEhSumList* v) { FSumList->Assign(v); }

void TCustomDBGridEh::InvalidateFooter() {
  if (!HandleAllocated()) return;
  Integer full = RowCount() + ContraRowCount();
  for (Integer i = full - FFooterRowCount; i < full; ++i)
    if (i >= 0) InvalidateRow(i);
}

void TCustomDBGridEh::GetFooterParams(Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont,
                                      TColor& Background, TAlignment& Alignment, TGridDrawState State,
                                      String& Text) {
  if (OnGetFooterParams) OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

namespace {

// The aggregate as an integer text: the sum of an integer column is kept in
// 64 bits, so a total beyond the 32-bit range is shown as it is.
String Int64Text(Int64 v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, v);
  return buf;
}

}   // namespace

String FooterAggregateText(TColumnFooterEh* Footer, TField* Field, Currency Value) {
  const String& fmt = Footer->DisplayFormat();
  if (Footer->ValueType() == fvtCount) {
    double n = Value.ToDouble();
    if (!fmt.empty()) return FormatFloat(fmt, n);
    return FloatToStr(n);
  }
  if (!Field) return "0";
  auto* numeric = dynamic_cast<TNumericField*>(Field);
  String fieldFmt = numeric ? numeric->DisplayFormat() : String();
  switch (Field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
      if (!fmt.empty()) return FormatFloat(fmt, Value.ToDouble());
      if (!fieldFmt.empty()) return FormatFloat(fieldFmt, Value.ToDouble());
      return Int64Text(Value.Trunc());
    case ftFloat: case ftCurrency: {
      if (!fmt.empty()) return FormatFloat(fmt, Value.ToDouble());
      if (!fieldFmt.empty()) return FormatFloat(fieldFmt, Value.ToDouble());
      auto* ff = dynamic_cast<TFloatField*>(Field);
      Integer precision = ff ? ff->Precision() : 15;
      if (ff && ff->Currency())
        return FloatToStrF(Value.ToDouble(), ffCurrency, precision, FormatSettings().CurrencyDecimals);
      return FloatToStrF(Value.ToDouble(), ffGeneral, precision, 0);
    }
    case ftBCD: case ftFMTBcd: {
      if (!fmt.empty()) return FormatFloat(fmt, Value.ToDouble());
      if (!fieldFmt.empty()) return FormatCurr(fieldFmt, Value);
      auto* bf = dynamic_cast<TBCDField*>(Field);
      if (bf && bf->Currency()) return CurrToStrF(Value, ffCurrency, FormatSettings().CurrencyDecimals);
      return CurrToStrF(Value, ffGeneral, 0);
    }
    default: return "0";
  }
}

String TCustomDBGridEh::GetFooterValue(Integer Row, TColumnEh* Column) {
  TColumnFooterEh* footer = Column->GetFooterForRow(Row);
  TDataSet* ds = FDataLink->DataSet();
  switch (footer->ValueType()) {
    case fvtSum:
    case fvtAvg: {
      String text = "0";
      TField* f = nullptr;
      if (ds) f = ds->FindField(footer->FieldName().empty() ? Column->FieldName() : footer->FieldName());
      if (!f) return text;
      TDBSum* item = FSumList->SumCollection()->FindSumItem(footer->ValueType() == fvtSum ? goSum : goAvg,
                                                            f->FieldName());
      return FooterAggregateText(footer, f, item ? item->AggregateValue() : Currency());
    }
    case fvtCount: {
      TDBSum* item = FSumList->SumCollection()->FindSumItem(goCount, String());
      return FooterAggregateText(footer, nullptr, item ? item->AggregateValue() : Currency());
    }
    case fvtFieldValue:
      if (ds && ds->Active() && !footer->FieldName().empty())
        return TColumnEh::FieldTextWithFormat(ds->FieldByName(footer->FieldName()), footer->DisplayFormat());
      return String();
    case fvtStaticText: return footer->Value();
    case fvtNon: break;
  }
  return String();
}
