// The lookup combo box: a data-aware edit that chooses a record of a list
// dataset and holds its key (KeyValue, also its Value). It shows the chosen
// record's list-field text, drops down a lookup grid with the list, and
// completes typed text to a matching record: in csDropDownListEh the text is
// never typed freely, in csDropDownEh it is, and an unbound control keeps a
// text that matches nothing as its own value.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "DBCtrlsEh.h"
#include "DBLookupGridsEh.h"

class TCustomDBLookupComboboxEh;

enum TDBLookupComboboxEhStyle { csDropDownEh, csDropDownListEh };
TOVANI_ENUM_INFO(TDBLookupComboboxEhStyle)

// The drop-down settings of the combo box: the column drop-down box's,
// reaching the combo box's drop-down grid.
class TLookupComboboxDropDownBoxEh : public TColumnDropDownBoxEh {
  TOVANI_CLASS(TLookupComboboxDropDownBoxEh, TColumnDropDownBoxEh)
 public:
  explicit TLookupComboboxDropDownBoxEh(TCustomDBLookupComboboxEh* AOwner = nullptr);
  ~TLookupComboboxDropDownBoxEh() override;
  void SetSpecRow(TSpecRowEh* v) { SpecRow()->Assign(v); }
};

class TCustomDBLookupComboboxEh : public TCustomDBEditEh, public IDropDownGridHostEh {
  TOVANI_CLASS(TCustomDBLookupComboboxEh, TCustomDBEditEh)
 public:
  explicit TCustomDBLookupComboboxEh(TComponent* AOwner = nullptr);
  ~TCustomDBLookupComboboxEh() override;

  // Bound to one lookup field, the key fields, the list and the list field
  // come from that field: KeyField and ListSource then answer empty and
  // refuse to be set.
  bool LookupMode() const { return FLookupMode; }
  String KeyField() const { return FLookupMode ? String() : FKeyField; }
  void SetKeyField(const String& v);
  const String& ListField() const { return FListField; }
  void SetListField(const String& v);
  Integer ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(Integer v);
  TDataSource* ListSource() const { return FLookupMode ? nullptr : FListSource; }
  void SetListSource(TDataSource* v);
  const Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const Variant& v);
  TDBLookupComboboxEhStyle Style() const { return FStyle; }
  void SetStyle(TDBLookupComboboxEhStyle v);
  TLookupComboboxDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TLookupComboboxDropDownBoxEh* v) { FDropDownBox->Assign(v); }
  TPopupDataGridEh* DropDownGrid() const { return FDataList; }
  bool ListVisible() const { return FListVisible; }
  bool ListActive() const { return FListActive; }
  TField* ListFieldObject() const { return FListFieldObj; }
  void SetDataField(const String& Value) override;
  void SetDataSource(TDataSource* Value) override;

  virtual bool CanModify(bool StartEditing);
  // Typed characters search the list's texts: any character is valid, also
  // when the bound key field is a number.
  bool IsValidChar(char32_t Key) override;
  virtual bool IsKeyValueAcceptable(const TFieldsArrEh& KeyFields, const Variant& Value);
  virtual bool LocateStr(const String& Str, bool PartialKey);
  virtual void KeyValueChanged();
  virtual void ProcessSearchStr(const String& Str);
  virtual void SelectKeyValue(const Variant& Value);
  virtual void SpecRowChanged();
  virtual void UpdateListFields();
  virtual bool LocateKey();
  void SelectNextPrior(bool Up);
  void SelectAllText();
  String GetFieldText(TField* Field);

  void DropDown() override;
  void CloseUp(bool Accept) override;

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnKeyValueChanged;
  TNotInListEventEh OnNotInList;

  // The drop-down box reaches the drop-down grid through these.
  void NotifyListSource(TComponent* Component) override;
  TPopupDataGridEh* GetDropDownGrid() override { return FDataList; }
  Byte GetDropDownGridOptions() override;
  void SetDropDownGridOptions(Byte Options) override;
  // The drop-down box's list source serves the focused control.
  bool UsesDropDownBoxListSource() const;

 protected:
  void SetFocused(bool Value) override;
  Variant GetVariantValue() override;
  String GetDataField() const override { return FDataField; }
  void ActiveChanged() override;
  void InternalSetValue(const Variant& AValue) override;
  void DataChanged() override;
  void UpdateData() override;
  void UpdateReadOnlyState() override;
  void EditButtonDefaultAction(bool Down) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void Click() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  class TListSourceLinkEh;
  friend class TListSourceLinkEh;
  TDataSource* MainListSource() const;
  void UpdateListLinkDataSource();
  void SetEditTextQuiet(const String& Text);
  void SetChosenText(const String& Text);
  void ChangeTextOnce(const std::function<void()>& Work);
  // The text for the current key: the special row's, the list record's or
  // empty.
  void ChooseText();
  bool Unbound() const;
  // Resolves the master side: the data field, or the key fields of a
  // lookup field (lookup mode).
  void DataLinkChanged();
  void CheckNotLookup() const;
  Integer Len16(const String& S) const;
  String FKeyField, FListField;
  Integer FListFieldIndex = 0;
  TDataSource* FListSource = nullptr;
  Variant FKeyValue = Variant::Null();
  TDBLookupComboboxEhStyle FStyle = csDropDownListEh;
  std::unique_ptr<TLookupComboboxDropDownBoxEh> FDropDownBox;
  std::unique_ptr<TListSourceLinkEh> FListLink;
  TPopupDataGridEh* FDataList = nullptr;
  TFieldsArrEh FKeyFields;
  std::vector<TField*> FListFields;
  TField* FListFieldObj = nullptr;
  bool FListActive = false;
  bool FListVisible = false;
  // The control keeps a typed text as its own value (csDropDownEh, unbound,
  // nothing in the list matched it).
  bool FTextValue = false;
  bool FInLocate = false;
  bool FHoldingChange = false;
  String FDataField;
  bool FLookupMode = false;
  TField* FLookupField = nullptr;
  std::unique_ptr<TDataSource> FLookupSource;
  bool FInDataLinkChanged = false;
  // The press that opened the list (its click must not close it again).
  bool FOpenedByPress = false;
};

class TDBLookupComboboxEh : public TCustomDBLookupComboboxEh {
  TOVANI_CLASS(TDBLookupComboboxEh, TCustomDBLookupComboboxEh)
 public:
  explicit TDBLookupComboboxEh(TComponent* AOwner = nullptr) : TCustomDBLookupComboboxEh(AOwner) {}
};
