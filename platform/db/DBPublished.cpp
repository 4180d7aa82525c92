// What form files and scripts see of the data-access classes: published
// properties, events and enumeration names.
#include "DB.h"
#include "MemDataSet.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_ENUM_INFO(TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
                           "ftFloat", "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes",
                           "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo",
                           "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor", "ftFixedChar",
                           "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference", "ftDataSet",
                           "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch", "ftGuid",
                           "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp",
                           "ftOraInterval")
TOVANI_IMPLEMENT_ENUM_INFO(TFieldKind, "fkData", "fkCalculated", "fkLookup", "fkInternalCalc", "fkAggregate")
TOVANI_IMPLEMENT_ENUM_INFO(TFilterOption, "foCaseInsensitive", "foNoPartialCompare")

TOVANI_PUBLISHED(TDataSet) {
  Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
  Property("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(true);
  Property("Filter", &TDataSet::Filter, &TDataSet::SetFilter);
  Property("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered).Default(false);
  Property("FilterOptions", &TDataSet::FilterOptions, &TDataSet::SetFilterOptions).Default(TFilterOptions());
  Property("BeforeOpen", &TDataSet::BeforeOpen);
  Property("AfterOpen", &TDataSet::AfterOpen);
  Property("BeforeClose", &TDataSet::BeforeClose);
  Property("AfterClose", &TDataSet::AfterClose);
  Property("BeforeInsert", &TDataSet::BeforeInsert);
  Property("AfterInsert", &TDataSet::AfterInsert);
  Property("BeforeEdit", &TDataSet::BeforeEdit);
  Property("AfterEdit", &TDataSet::AfterEdit);
  Property("BeforePost", &TDataSet::BeforePost);
  Property("AfterPost", &TDataSet::AfterPost);
  Property("BeforeCancel", &TDataSet::BeforeCancel);
  Property("AfterCancel", &TDataSet::AfterCancel);
  Property("BeforeDelete", &TDataSet::BeforeDelete);
  Property("AfterDelete", &TDataSet::AfterDelete);
  Property("BeforeScroll", &TDataSet::BeforeScroll);
  Property("AfterScroll", &TDataSet::AfterScroll);
  Property("BeforeRefresh", &TDataSet::BeforeRefresh);
  Property("AfterRefresh", &TDataSet::AfterRefresh);
  Property("OnCalcFields", &TDataSet::OnCalcFields);
  Property("OnDeleteError", &TDataSet::OnDeleteError);
  Property("OnEditError", &TDataSet::OnEditError);
  Property<TFilterRecordEvent>("OnFilterRecord", [](TDataSet* d) { return d->OnFilterRecord; },
           [](TDataSet* d, const TFilterRecordEvent& e) { d->SetOnFilterRecord(e); });
  Property("OnNewRecord", &TDataSet::OnNewRecord);
  Property("OnPostError", &TDataSet::OnPostError);
}

TOVANI_PUBLISHED(TField) {
  Property("Alignment", &TField::Alignment, &TField::SetAlignment).NoDefault();
  Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel).Stored(&TField::IsDisplayLabelStored);
  Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth).Stored(&TField::IsDisplayWidthStored);
  Property("EditMask", &TField::EditMask, &TField::SetEditMask);
  Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
  Property("FieldName", &TField::FieldName, &TField::SetFieldName);
  Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
  Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
  Property("LookupCache", &TField::LookupCache, &TField::SetLookupCache).Default(false);
  Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
  Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
  Property("Origin", &TField::Origin, &TField::SetOrigin);
  Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
  Property("Required", &TField::Required, &TField::SetRequired).Default(false);
  Property("Size", &TField::Size, &TField::SetSize).Default(0);
  Property("Visible", &TField::Visible, &TField::SetVisible).Default(true);
  Property("OnChange", &TField::OnChange);
  Property("OnGetText", &TField::OnGetText);
  Property("OnSetText", &TField::OnSetText);
  Property("OnValidate", &TField::OnValidate);
}

TOVANI_PUBLISHED(TNumericField) {
  Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
  Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}

TOVANI_PUBLISHED(TIntegerField) {
  Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
  Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}

TOVANI_PUBLISHED(TFloatField) {
  Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency).Default(false);
  Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}

TOVANI_PUBLISHED(TCurrencyField) {
  Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency).Default(true);
}

TOVANI_PUBLISHED(TBCDField) {
  Property("Currency", &TBCDField::Currency, &TBCDField::SetCurrency).Default(false);
  Property("Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0);
}

TOVANI_PUBLISHED(TBooleanField) {
  Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
}

TOVANI_PUBLISHED(TDateTimeField) {
  Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}

TOVANI_PUBLISHED(TStringField) {
  Property("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(false);
  Property("Size", &TField::Size, &TField::SetSize).Default(20);
}

TOVANI_PUBLISHED(TDataSource) {
  Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
  Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
  Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
  Property("OnStateChange", &TDataSource::OnStateChange);
  Property("OnDataChange", &TDataSource::OnDataChange);
  Property("OnUpdateData", &TDataSource::OnUpdateData);
}
