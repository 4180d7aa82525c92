// The lookup grid: a data grid whose rows are the records of a list dataset
// and which selects one of them by its key (KeyValue), whatever the list's
// cursor does; an optional special row above the data rows stands for a
// value outside the list. The drop-down data grid is its popup form, shown
// by the lookup combo box.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "DBGridEh.h"

class TSizeGripEh;

enum TDBLookupGridEhOption { dlgColumnResizeEh, dlgColLinesEh, dlgRowLinesEh, dlgAutoSortMarkingEh, dlgMultiSortMarkingEh };
using TDBLookupGridEhOptions = TSet<TDBLookupGridEhOption>;
TOVANI_ENUM_INFO(TDBLookupGridEhOption)

extern const char* const SCircularDataLinkEh;
extern const char* const SPropDefByLookupEh;
extern const char* const SOperationNotAllowedEh;

// Whether a key value fits the key fields: one value for one field, a
// variant array of exactly one element per field for several.
bool KeyValueFitsKeyFieldsEh(const TFieldsArrEh& KeyFields, const Variant& Value);

class TDBLookupGridEh;
class TDBLookupGridColumnEh;

// The special row's cell of one column: its own text, colour and font, each
// following the grid's special row until it is set.
class TGridColumnSpecCellEh : public TPersistent {
  TOVANI_CLASS(TGridColumnSpecCellEh, TPersistent)
 public:
  explicit TGridColumnSpecCellEh(TDBLookupGridColumnEh* AOwner = nullptr);
  ~TGridColumnSpecCellEh() override;
  void Assign(TPersistent* Source) override;
  String Text() const;
  void SetText(const String& v);
  TColor Color() const;
  void SetColor(TColor v);
  TFont* Font();
  void SetFont(TFont* v) { FFont->Assign(v); }
  bool TextAssigned() const { return FTextAssigned; }
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }

 protected:
  TPersistent* GetOwner() override;

 private:
  TSpecRowEh* GridSpecRow() const;
  TDBLookupGridColumnEh* FOwner;
  String FText;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  bool FTextAssigned = false, FColorAssigned = false, FFontAssigned = false;
  bool FCopyingFont = false;
};

// A column of a lookup grid: moving a column reorders the special row's
// cell texts and, for default columns, the list fields.
class TDBLookupGridColumnEh : public TDBGridColumnEh {
  TOVANI_CLASS(TDBLookupGridColumnEh, TDBGridColumnEh)
 public:
  explicit TDBLookupGridColumnEh(TCollection* ACollection = nullptr);
  ~TDBLookupGridColumnEh() override;
  void SetIndex(Integer Value) override;
  void SetWidth(Integer Value) override;
  void Assign(TPersistent* Source) override;
  TGridColumnSpecCellEh* SpecCell() const { return FSpecCell.get(); }
  void SetSpecCell(TGridColumnSpecCellEh* v) { FSpecCell->Assign(v); }
  TDBLookupGridEh* LookupGrid() const;

 private:
  std::unique_ptr<TGridColumnSpecCellEh> FSpecCell;
};

// The column defaults a lookup grid offers (fewer than the data grid's).
class TDBLookupGridColumnDefValuesEh : public TColumnDefValuesEh {
  TOVANI_CLASS(TDBLookupGridColumnDefValuesEh, TColumnDefValuesEh)
 public:
  using TColumnDefValuesEh::TColumnDefValuesEh;
};

// The lookup grid's link to its master data source: the field the chosen
// key goes into.
class TLookupGridDataLinkEh : public TDataLink {
  TOVANI_CLASS(TLookupGridDataLinkEh, TDataLink)
 public:
  explicit TLookupGridDataLinkEh(TDBLookupGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  void ClearGrid() { FGrid = nullptr; }

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void FocusControl(TField** Field) override;

 private:
  TDBLookupGridEh* FGrid;
};

class TDBLookupGridEh : public TCustomDBGridEh {
  TOVANI_CLASS(TDBLookupGridEh, TCustomDBGridEh)
 public:
  explicit TDBLookupGridEh(TComponent* AOwner = nullptr);
  ~TDBLookupGridEh() override;

  // The master side: the dataset and field(s) the chosen key is written to.
  // A lookup field as DataField brings the list source, key fields and
  // result field with it (lookup mode).
  TDataSource* DataSource() const { return FMasterLink->DataSource(); }
  void SetDataSource(TDataSource* v);
  const String& DataField() const { return FDataField; }
  void SetDataField(const String& v);
  bool LookupMode() const { return FLookupMode; }
  const TFieldsArrEh& MasterFields() const { return FMasterFields; }
  TLookupGridDataLinkEh* MasterLink() const { return FMasterLink.get(); }
  // The master side's field changed (Field null: the whole record).
  virtual void MasterRecordChanged(TField* Field);
  // Finds the master fields again and enters or leaves lookup mode.
  virtual void DataLinkChanged();

  TDataSource* ListSource() const { return TCustomDBGridEh::DataSource(); }
  void SetListSource(TDataSource* v);
  const String& KeyField() const { return FKeyField; }
  void SetKeyField(const String& v);
  const String& ListField() const { return FListField; }
  void SetListField(const String& v);
  Integer ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(Integer v);
  const Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const Variant& v);
  TSpecRowEh* SpecRow() const { return FSpecRow.get(); }
  void SetSpecRow(TSpecRowEh* v) { FSpecRow->Assign(v); }
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer v);
  bool ShowTitles() const { return Options().Contains(dgTitles); }
  void SetShowTitles(bool v);
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool v);
  TDBLookupGridEhOptions LookupOptions() const { return FLookupOptions; }
  void SetLookupOptions(TDBLookupGridEhOptions v);
  // The read-only state its users give it (the master link's).
  bool ListReadOnly() const { return FMasterLink->ReadOnly(); }
  void SetListReadOnly(bool v) { FMasterLink->SetReadOnly(v); }
  const String& Text() const { return FText; }
  bool ListActive() const { return FListActive; }
  TField* ListFieldObject() const { return FListFieldObj; }
  const std::vector<TField*>& ListFields() const { return FListFields; }
  const TFieldsArrEh& KeyFields() const { return FKeyFields; }
  const String& SearchText() const { return FSearchText; }

  virtual bool CanModify();
  virtual bool IsKeyValueAcceptable(const TFieldsArrEh& KeyFields, const Variant& Value);
  virtual void KeyValueChanged();
  virtual void ProcessSearchKey(char32_t Key);
  virtual void SelectKeyValue(const Variant& Value);
  virtual void SpecRowChanged();
  virtual void UpdateListFields();
  virtual bool LocateKey();

  void SelectCurrent();
  void SelectSpecRow();
  void SelectAt(Integer X, Integer Y);
  Integer GetKeyRowIndex();
  Integer GetDataRowHeight() const;
  Integer GetSpecRowHeight() const;
  Integer GetBorderHeight() const;
  Integer TitleAreaHeight() const;
  // Sum of the visible columns' widths (and their lines).
  Integer GetColumnsWidth();
  // The data rows (and the special row) in client coordinates.
  TRect GetDataRowsRect();
  bool SpecRowShown() const { return FSpecRow->Visible(); }

  // The height always holds a whole number of data rows.
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  Integer IsFilterRowVisible() const override;
  bool HighlightDataCell(Integer DataCol, Integer DataRow, TFont* AFont, TColor& Background,
                         TGridDrawState& State) override;
  void RebuildFieldMap() override;
  void DataLinkActiveChanged(bool Active) override;
  void DataChanged() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

  TNotifyEvent OnKeyValueChangedInternal;
  // The clock of the typing search (milliseconds); one per program.
  static std::function<DWORD()> SearchTickSource;

 protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) override;
  void Dispatch(TMessage& Message) override;
  void CreateWnd() override;
  TDBGridColumnsEh* CreateColumns() override;
  TColumnDefValuesEh* CreateColumnDefValues() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool FTracking = false;
  bool FPopupMode = false;

 private:
  void ApplyHeight();
  bool ListAtBeginning();
  String FKeyField, FListField, FText, FSearchText;
  Integer FListFieldIndex = 0;
  Variant FKeyValue = Variant::Null();
  TFieldsArrEh FKeyFields;
  std::vector<TField*> FListFields;
  TField* FListFieldObj = nullptr;
  bool FListActive = false;
  bool FLockPosition = false;
  void CheckNotCircular();
  String FDataField, FMasterFieldNames;
  TFieldsArrEh FDataFields, FMasterFields;
  std::unique_ptr<TLookupGridDataLinkEh> FMasterLink;
  std::unique_ptr<TDataSource> FLookupSource;
  bool FLookupMode = false;
  std::unique_ptr<TSpecRowEh> FSpecRow;
  Integer FRowCount = 7;
  bool FAutoFitColWidths = false;
  TDBLookupGridEhOptions FLookupOptions{dlgColLinesEh};
  bool FInUpdateListFields = false;
  bool FInResize = false;
};

// The drop-down form of the lookup grid: a borderless popup that never
// takes the focus, with a size grip; it reports a choice (accept) or a
// release outside it (no accept) through OnCloseUp.
class TPopupDataGridEh : public TDBLookupGridEh {
  TOVANI_CLASS(TPopupDataGridEh, TDBLookupGridEh)
 public:
  explicit TPopupDataGridEh(TComponent* AOwner = nullptr);
  bool CanFocus() override { return false; }
  TSizeGripEh* SizeGrip() const { return FSizeGrip; }
  bool SizeChanged() const { return FSizeChanged; }
  void SetSizeChanged(bool v) { FSizeChanged = v; }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

  std::function<void(TObject* Grid, bool Accept)> OnCloseUp;
  TNotifyEvent OnRowChanged;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  TSizeGripEh* FSizeGrip = nullptr;
  bool FSizeChanged = false;
  bool FPressedInside = false;
};
