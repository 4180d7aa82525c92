// The lookup editor: a combo box whose value is a key, whose text is the
// text that belongs to the key and whose drop-down shows a list grid of the
// candidate records. Typing searches (or, with the list open, filters) the
// list, the arrow and page keys move through it while the text box keeps the
// focus, and choosing a row makes its key the editor's value.
//
// The properties hold the settings and the list-independent half of the
// key/text logic; descendants supply the list grid, its data controller and
// the key/text translation through the hooks (the data-bound editor over a
// dataset, and the lookup combo box that owns the grid).

#pragma once
#include "cxComboBox.h"
#include "cxLookupGrid.h"

class TcxCustomLookupEdit;
class TcxCustomLookupEditProperties;

class TcxCustomLookupEditLookupData : public TcxCustomTextEditLookupData {
  TOVANI_CLASS(TcxCustomLookupEditLookupData, TcxCustomTextEditLookupData)
 public:
  explicit TcxCustomLookupEditLookupData(TcxCustomTextEdit* AOwner);

  TcxCustomLookupEdit* Editor() const;
  TcxCustomLookupEditProperties* ActiveProperties() const;
  TcxCustomDataController* ListController() const;
  Integer ListColumnIndex() const;
  Integer FocusedListRecord() const;
  bool Visible() const { return FVisible; }
  const Variant& Key() const { return FCurrentKey; }
  void FlagMatch(bool Value);
  void BeginLock();
  void EndLock();

  // How the text editor and the drop-down editor reach the list.
  bool AllowsPopupResize(TSize& ASize, Integer AMaxHeight, Integer AMaxWidth) override;
  void SyncListToKey() override;   // the clean-up after the drop-down closed
  void ReleaseVisualArea() override;
  void BeforePopup() override;     // the preparation before it opens
  void AfterPopupShown(const String& ATypedText) override {}
  bool ContainsText(const String& AText) override;
  TWinControl* GetListControl() override;
  Variant ReadCurrentKey() override { return FCurrentKey; }
  void KeyToText(const Variant& AKey, String& AText) override;
  void GetPreferredListSize(TSize& ASize) override;
  void MoveSelection(TcxLookupMove ADirection, bool ACircular) override;
  void CreateList(TWinControl* AParent) override;
  bool HasNoItems() override;
  bool IsPointInList(const TPoint& AScreenPoint) override;
  bool FindPrefix(String& AText, String& ATail, bool AFromCurrent) override;
  void PlaceList(const TRect& R) override;
  void ItemsChanged() override {}
  void ChooseListItem() override;
  void WriteCurrentKey(const Variant& AKey) override;
  void EditTextChanged() override;

  virtual void SetKeyFromRecord(Integer ARecordIndex);
  virtual void FocusKeyRecord();
  virtual void ListClicked(TObject* Sender) { ChooseListItem(); }
  virtual void ListCloseRequest(TObject* Sender, bool AAccept);
  virtual void ListFocusMoved(TObject* Sender) {}
  virtual bool IsFocusedRowSelected();
  virtual bool LocateText(const String& AText);
  virtual void ResetFilter();
  virtual void SyncToKey();
  virtual void ApplyEditText();
  virtual void FitPopupToRows();

 protected:
  void FireItemSelected() { FireItemChosen(); }
  void StoreKey(const Variant& AKey) { FCurrentKey = AKey; }

 private:
  Integer FilteredRecord(const String& AText);
  bool FVisible = false;
  Variant FCurrentKey;
};

class TcxCustomLookupEditProperties : public TcxCustomComboBoxProperties {
  TOVANI_CLASS(TcxCustomLookupEditProperties, TcxCustomComboBoxProperties)
 public:
  explicit TcxCustomLookupEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;

  bool IncrementalFiltering() const { return FIncrementalFiltering; }
  void SetIncrementalFiltering(bool Value) { FIncrementalFiltering = Value; }
  bool DropDownAutoSize() const { return PopupAutoSize(); }
  void SetDropDownAutoSize(bool Value) { SetPopupAutoSize(Value); }
  Integer DropDownHeight() const { return PopupHeight(); }
  void SetDropDownHeight(Integer Value) { SetPopupHeight(Value); }
  Integer ListFieldIndex() { return GetListFieldIndex(); }
  void SetListFieldIndexValue(Integer Value) { SetListFieldIndex(Value); }
  Integer LockCount() const { return FLockCount; }
  void Lock() { ++FLockCount; }
  void Unlock() {
    if (FLockCount > 0) --FLockCount;
  }

  // Overrides of the editor properties.
  TClass GetContainerClass() override;
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override;
  Integer GetViewOptions() override;
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override { return true; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  Integer GetDisplayFormatFlags() override { return 0; }
  bool IsLookupText(const String& AText) override;
  TcxTextEditLookupDataFactory GetLookupDataType() override;
  bool AllowsDirectEditing() override { return false; }
  bool IsLookupNavigationKey(Word Key, TShiftState Shift) override;

  // Hooks answered by the descendant that owns the list.
  virtual TWinControl* GetListControl() { return GetListGrid(); }
  virtual bool SnapsListHeight() { return true; }
  virtual Integer GetListColumnCount() { return 0; }
  virtual TcxCustomLookupGrid* GetListGrid() { return nullptr; }
  virtual TcxCustomDataController* GetListDataController() { return nullptr; }
  virtual Integer GetListColumnsWidth() { return 0; }
  virtual Integer SnapListHeight(Integer AHeight) { return AHeight; }
  virtual Integer GetListHeightForRows(Integer ARowCount) { return 0; }
  virtual bool IsPointInList(const TPoint& P) { return false; }
  virtual void ListDeactivated() {}
  virtual void HintText(const String& AText) {}
  virtual void SetListEvents(const TcxLookupGridCloseRequestEvent& ACloseRequest, const TNotifyEvent& AFocusMoved,
                             const TNotifyEvent& AItemClick) {}
  virtual void BeforeListPrepare() {}
  virtual void SetListAppearance(TcxLookAndFeel* ALookAndFeel, TColor AColor, TFont* AFont) {}
  virtual void ListShown() {}
  virtual void ShowFocusedListRow() {}
  virtual void ReleaseListMouse() {}
  virtual void UnregisterListListener();
  virtual Integer FindRecordByText(Integer AItemIndex, const String& AText, bool APartial);
  virtual Integer GetListFieldIndex() { return FListFieldIndex; }
  virtual void GetKeyDisplayText(const Variant& AKey, String& AText) { AText.clear(); }
  virtual bool UsesIncrementalFiltering() { return FIncrementalFiltering; }
  virtual Integer GetEffectiveListIndex();
  virtual void GetNullKey(Variant& AKey) { AKey = Variant::Null(); }
  virtual void ListDataChanged(TObject* Sender);
  virtual void RegisterListListener();
  virtual bool IsLocked() { return FLockCount != 0; }
  virtual bool IsListDataLocked();
  virtual bool EditValueIsText() { return false; }
  virtual void BeginListLock();
  virtual void SetListFieldIndex(Integer AIndex);
  virtual void EndListLock();
  virtual void DetachList();
  virtual bool IsDefinedByLookup() { return IsLookupFieldBound(); }
  virtual bool IsLookupFieldBound() { return false; }
  void ClampListFieldIndex();
  bool InListDataChange() const { return FInListDataChange; }

 private:
  Integer FListFieldIndex = 0;
  Integer FLockCount = 0;
  Byte FSpare = 0;
  bool FInListDataChange = false;
  bool FIncrementalFiltering = true;
};

class TcxCustomLookupEdit : public TcxCustomComboBox {
  TOVANI_CLASS(TcxCustomLookupEdit, TcxCustomComboBox)
 public:
  explicit TcxCustomLookupEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                               const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomLookupEdit() override;
  TcxCustomLookupEditProperties* ActiveProperties() {
    return static_cast<TcxCustomLookupEditProperties*>(GetEffectiveProperties());
  }
  TcxCustomLookupEditLookupData* LookupEditData() const {
    return static_cast<TcxCustomLookupEditLookupData*>(TcxCustomTextEdit::LookupData());
  }
  TClass GetPropertiesClass() override { return TcxCustomLookupEditProperties::StaticClass(); }

  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void GetEditingValue(Variant& AValue) override;
  void BeginPosting() override;
  void EndPosting() override;
  void HandleEnter() override;
  void DropDown() override;
  void UpdateDrawValue() override;
  void ReleasingFocusHook() override;
  bool IsStandaloneUnbound() override { return false; }
  // Lays the open drop-down out again (its rows changed).
  void RelayoutPopup() { PreparePopup(); }
};
