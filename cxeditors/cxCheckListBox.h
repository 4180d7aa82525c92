// The check list box: a list whose items each carry a check with three
// states, an optional image and an enabled flag. The states of all items
// together are one edit value in one of the check-states formats, read from
// and written to a data field through the control's data binding (the users
// window keeps a user's permissions so, one character per operation).
#pragma once
#include <functional>
#include <memory>

#include "cxCheckBox.h"
#include "cxContainer.h"
#include "cxDataUtils.h"

class TcxCustomCheckListBox;
class TcxCustomInnerCheckListBox;
class TCustomImageList;
class TChangeLink;
class TStringList;

enum TcxCheckListBoxImageLayout { ilBeforeChecks, ilAfterChecks };
TOVANI_ENUM_INFO(TcxCheckListBoxImageLayout)

class TcxCheckListBoxItem : public TCollectionItem {
  TOVANI_CLASS(TcxCheckListBoxItem, TCollectionItem)
 public:
  explicit TcxCheckListBoxItem(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  void Assign(TPersistent* Source) override;

  const String& Text() const { return FText; }
  void SetText(const String& Value);
  TcxCheckBoxState State() const { return FState; }
  void SetState(TcxCheckBoxState Value);
  bool Checked() const { return FState == cbsChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbsChecked : cbsUnchecked); }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  TObject* ItemObject() const { return FItemObject; }
  void SetItemObject(TObject* Value) { FItemObject = Value; }

 protected:
  String GetDisplayName() const override;

 private:
  TcxCustomInnerCheckListBox* InnerList() const;
  String FText;
  TcxCheckBoxState FState = cbsUnchecked;
  bool FEnabled = true;
  Integer FImageIndex = -1;
  Integer FTag = 0;
  TObject* FItemObject = nullptr;
};

class TcxCheckListBoxItems : public TOwnedCollection, public IcxCheckStateItems {
  TOVANI_CLASS(TcxCheckListBoxItems, TOwnedCollection)
 public:
  explicit TcxCheckListBoxItems(TcxCustomInnerCheckListBox* AOwner);
  ~TcxCheckListBoxItems() override;

  TcxCheckListBoxItem* Add() { return static_cast<TcxCheckListBoxItem*>(TCollection::Add()); }
  TcxCheckListBoxItem* Items(Integer Index) const { return static_cast<TcxCheckListBoxItem*>(TCollection::Items(Index)); }
  TcxCheckListBoxItem* operator[](Integer Index) const { return Items(Index); }
  // The first item whose text equals S ignoring case; -1 for none.
  Integer IndexOfText(const String& S) const;
  // Holds the items' state changes from recomputing the edit value.
  void LockStates(bool ALock, bool AInvokeChanged = true);
  bool StatesLocked() const { return FStatesLockCount > 0; }
  TcxCustomInnerCheckListBox* InnerList() const { return FInnerList; }
  void DetachInnerList() { FInnerList = nullptr; }

  Integer GetCount() override { return Count(); }
  String GetCaption(Integer AIndex) override { return Items(AIndex)->Text(); }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TcxCustomInnerCheckListBox* FInnerList;
  Integer FStatesLockCount = 0;
};

using TcxClickCheckEvent =
    std::function<void(TObject* Sender, Integer AIndex, TcxCheckBoxState APrevState, TcxCheckBoxState ANewState)>;
using TcxCheckStatesToEditValueEvent =
    std::function<void(TObject* Sender, const TcxCheckStates& AStates, Variant& AValue)>;
using TcxEditValueToCheckStatesEvent =
    std::function<void(TObject* Sender, const Variant& AValue, TcxCheckStates& AStates)>;
using TcxCheckListDrawItemEvent =
    std::function<void(TcxCustomCheckListBox* AControl, Integer AIndex, const TRect& ARect, TItemDrawState AState)>;

// The owner-drawn list inside the control.
class TcxCustomInnerCheckListBox : public TcxCustomInnerListBox, public IcxMouseTrackingCaller {
  TOVANI_CLASS(TcxCustomInnerCheckListBox, TcxCustomInnerListBox)
 public:
  explicit TcxCustomInnerCheckListBox(TComponent* AOwner = nullptr);
  ~TcxCustomInnerCheckListBox() override;

  TcxCustomCheckListBox* CheckListBox() const;
  TcxCheckListBoxItems* CheckItems() const { return FCheckItems.get(); }
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  bool AllowDblClickToggle() const { return FAllowDblClickToggle; }
  void SetAllowDblClickToggle(bool Value) { FAllowDblClickToggle = Value; }
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph != nullptr; }
  Integer GlyphCount() const { return FGlyphCount; }
  void SetGlyphCount(Integer Value);
  Integer HotCheckIndex() const { return FHotCheckIndex; }
  Integer PressedCheckIndex() const { return FPressedCheckIndex; }

  // The item whose check is at a client point; -1 for none.
  Integer CheckAt(Integer X, Integer Y);
  TRect CheckRect(Integer AIndex);
  TRect ImageRect(const TRect& AItemRect);
  Integer GetItemTextOffset();
  Integer CalcItemHeight();
  void Remeasure();
  void InvalidateItem(Integer AIndex);
  void InvalidateClient();
  void Toggle(Integer AIndex);

  TcxClickCheckEvent OnClickCheck;

  // Mouse-leave tracking.
  void MouseLeave() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Click() override;
  void DblClick() override;
  // Actions it does not handle go to the list's data binding.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  virtual void NotifyCheckClicked(Integer AIndex, TcxCheckBoxState APrevState, TcxCheckBoxState ANewState);

 private:
  friend class TcxCustomCheckListBox;
  void DrawItemMessage(const DRAWITEMSTRUCT& ADis);
  void UpdateColumnWidth();
  // The height of one row: the common height, or what OnMeasureItem makes
  // of it for a list of rows of their own heights.
  Integer MeasureRow(Integer AIndex);
  void UpdateHotCheck(TPoint P);
  void SetHotAndPressed(Integer AHot, Integer APressed);
  bool ItemFullyVisible(Integer AIndex);

  std::unique_ptr<TcxCheckListBoxItems> FCheckItems;
  bool FAllowGrayed = false, FAllowDblClickToggle = true;
  std::unique_ptr<TBitmap> FGlyph;
  Integer FGlyphCount = 6;
  Integer FCapturedCheckIndex = -1, FHotCheckIndex = -1, FPressedCheckIndex = -1;
  Integer FDownCheckIndex = -1;
  bool FDownCheckFullyVisible = true;
  bool FInDblClickNotification = false;
  // The window's rows have heights of their own (owner-drawn variable).
  bool FVariableMeasure = false;
};

using TcxDataBindingFactory = std::function<TcxCustomDataBinding*(TcxCustomCheckListBox* AOwner)>;

class TcxCustomCheckListBox : public TcxContainer {
  TOVANI_CLASS(TcxCustomCheckListBox, TcxContainer)
 public:
  // Data-aware descendants pass the factory of their binding.
  explicit TcxCustomCheckListBox(TComponent* AOwner = nullptr, const TcxDataBindingFactory& ABinding = nullptr);
  ~TcxCustomCheckListBox() override;

  TcxCustomInnerCheckListBox* InnerCheckListBox() const { return FInnerCheckListBox; }
  TcxCheckListBoxItems* Items() const { return FInnerCheckListBox->CheckItems(); }
  TcxCheckListBoxItems* GetItems() const { return Items(); }
  void SetItems(TcxCheckListBoxItems* Value);
  TcxCustomDataBinding* GetDataBinding() const { return FDataBinding.get(); }

  const Variant& EditValue() const { return FEditValue; }
  void SetEditValue(const Variant& Value) { TakeEditValue(Value); }
  TcxCheckStatesValueFormat EditValueFormat() const { return FEditValueFormat; }
  void SetEditValueFormat(TcxCheckStatesValueFormat Value);
  bool Modified() const { return FModified; }

  bool AllowGrayed() const { return FInnerCheckListBox->AllowGrayed(); }
  void SetAllowGrayed(bool Value) { FInnerCheckListBox->SetAllowGrayed(Value); }
  bool AllowDblClickToggle() const { return FInnerCheckListBox->AllowDblClickToggle(); }
  void SetAllowDblClickToggle(bool Value) { FInnerCheckListBox->SetAllowDblClickToggle(Value); }
  bool AutoComplete() const { return FInnerCheckListBox->AutoComplete(); }
  void SetAutoComplete(bool Value) { FInnerCheckListBox->SetAutoComplete(Value); }
  Cardinal AutoCompleteDelay() const { return FInnerCheckListBox->AutoCompleteDelay(); }
  void SetAutoCompleteDelay(Cardinal Value) { FInnerCheckListBox->SetAutoCompleteDelay(Value); }
  Integer Columns() const { return FInnerCheckListBox->Columns(); }
  void SetColumns(Integer Value) { FInnerCheckListBox->SetColumns(Value); }
  TBitmap* Glyph() const { return FInnerCheckListBox->Glyph(); }
  void SetGlyph(TBitmap* Value) { FInnerCheckListBox->SetGlyph(Value); }
  Integer GlyphCount() const { return FInnerCheckListBox->GlyphCount(); }
  void SetGlyphCount(Integer Value) { FInnerCheckListBox->SetGlyphCount(Value); }
  Integer ItemIndex() const { return FInnerCheckListBox->ItemIndex(); }
  void SetItemIndex(Integer Value) { FInnerCheckListBox->SetItemIndex(Value); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TcxCheckListBoxImageLayout ImageLayout() const { return FImageLayout; }
  void SetImageLayout(TcxCheckListBoxImageLayout Value);
  bool ReadOnly() const { return FDataBinding->IsReadOnly(); }
  void SetReadOnly(bool Value) { FDataBinding->ChangeReadOnly(Value); }
  bool ShowChecks() const { return FShowChecks; }
  void SetShowChecks(bool Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  Integer TabWidth() const { return FTabWidth; }
  void SetTabWidth(Integer Value);
  Integer ScrollWidth() const { return FScrollWidth; }
  void SetScrollWidth(Integer Value);
  // The height fits whole rows (not for controls aligned left, right or to
  // the whole client).
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  void AdjustHeightToRows();

  TcxClickCheckEvent& OnClickCheck() { return FInnerCheckListBox->OnClickCheck; }
  TcxCheckStatesToEditValueEvent OnCheckStatesToEditValue;
  TcxEditValueToCheckStatesEvent OnEditValueToCheckStates;
  TcxCheckListDrawItemEvent OnDrawItem;
  // Rows of their own heights: while assigned when the list's window is
  // made, each row is measured by it (starting from the common height).
  TMeasureItemEvent OnMeasureItem;
  TNotifyEvent OnEditValueChanged;

  // The items' states and the edit value.
  void StatesFromEditValue();
  void EditValueFromStates();
  virtual void TakeEditValue(const Variant& AValue);
  // Toggles an item as the user would (when it is enabled and the binding
  // lets the control change its value).
  void ToggleItem(Integer AIndex);
  void SortItems();
  Integer CalcHeightForRows(Integer ARowCount);
  Integer CalcItemWidth(Integer AIndex);
  // Empty (when allowed), a number, or a text that reads as one.
  virtual bool IsNumericEditValue(const Variant& AValue, bool AAllowEmpty);
  bool IsNativeLook() const { return FNativeLook; }
  TcxEditBorderStyle CheckBorderStyle() const { return FCheckBorderStyle; }

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DataChange() override;
  void UpdateData() override;
  bool IsReadOnlyLook() override { return FDataBinding->IsControlReadOnly(); }
  void DoExit() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  // Actions it does not handle go to the data binding.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void Resize() override;
  void Dispatch(TMessage& Message) override;
  virtual void FireEditValueChanged();

 private:
  friend class TcxCustomInnerCheckListBox;
  friend class TcxCheckListBoxItems;
  friend class TcxCheckListBoxItem;
  void UpdateLook();
  bool RequestEditMode();

  Variant FEditValue;
  TcxCheckStatesValueFormat FEditValueFormat = cvfInteger;
  std::unique_ptr<TcxCustomDataBinding> FDataBinding;
  TcxCustomInnerCheckListBox* FInnerCheckListBox = nullptr;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TcxCheckListBoxImageLayout FImageLayout = ilBeforeChecks;
  bool FShowChecks = true, FSorted = false, FModified = false;
  bool FSorting = false, FExiting = false;
  bool FIntegralHeight = false, FAdjustingHeight = false;
  Integer FTabWidth = 0, FScrollWidth = 0;
  TcxEditBorderStyle FCheckBorderStyle = ebsUltraFlat;
  bool FNativeLook = false;
};

class TcxCheckListBox : public TcxCustomCheckListBox {
  TOVANI_CLASS(TcxCheckListBox, TcxCustomCheckListBox)
 public:
  explicit TcxCheckListBox(TComponent* AOwner = nullptr) : TcxCustomCheckListBox(AOwner) {}
};
