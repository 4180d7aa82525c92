// The combo box: the drop-down editor whose popup shows the text editor's
// lookup list made of the string list Items. Three list styles: free text
// completed from the items, text that must lead to an item, and a fixed
// list (no caret: keys pick items and the focused box paints its text on a
// highlight bar). Rows set the popup's height and a sizeable popup snaps
// to whole rows; items may be drawn and measured by the program; a double
// click on a Revertable box steps to the next item.
//
// The lookup editors and the other list editors build on these classes and
// reuse the list, the lookup data and the popup window.
#pragma once
#include <functional>

#include "cxDropDownEdit.h"

class TcxCustomComboBox;

enum TcxEditDropDownListStyle { lsEditFixedList, lsEditList, lsFixedList };
TOVANI_ENUM_INFO(TcxEditDropDownListStyle)

using TcxEditDrawItemEvent = std::function<void(TcxCustomComboBox* AControl, TcxCanvas* ACanvas, Integer AIndex,
                                                const TRect& ARect, TItemDrawState AState)>;
using TcxEditMeasureItemEvent =
    std::function<void(TcxCustomComboBox* AControl, Integer AIndex, TcxCanvas* ACanvas, Integer& AHeight)>;

// ---------------------------------------------------------------------------
// Properties

class TcxCustomComboBoxProperties : public TcxCustomDropDownEditProperties {
  TOVANI_CLASS(TcxCustomComboBoxProperties, TcxCustomDropDownEditProperties)
 public:
  explicit TcxCustomComboBoxProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;

  TcxEditDropDownListStyle DropDownListStyle() const { return FDropDownListStyle; }
  void SetDropDownListStyle(TcxEditDropDownListStyle Value);
  // Rows shown in the popup and rows per page for Page Up and Page Down.
  Integer DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Integer Value);
  // 0: the font's height of "Wg".
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  // A double click on the closed box steps to the next item.
  bool Revertable() const { return FRevertable; }
  void SetRevertable(bool Value) { FRevertable = Value; }
  TcxEditDrawItemEvent OnDrawItem;
  TcxEditMeasureItemEvent OnMeasureItem;

  // Names of the inherited settings as a combo box calls them.
  TStringList* Items() const { return LookupItems(); }
  void SetItems(TStrings* Value) { SetLookupItems(Value); }
  bool Sorted() const { return LookupItemsSorted(); }
  void SetSorted(bool Value) { SetLookupItemsSorted(Value); }
  Integer DropDownWidth() const { return PopupWidth(); }
  void SetDropDownWidth(Integer Value) { SetPopupWidth(Value); }
  bool DropDownSizeable() const { return PopupSizeable(); }
  void SetDropDownSizeable(bool Value) { SetPopupSizeable(Value); }
  bool DropDownAutoWidth() const { return PopupAutoSize(); }
  void SetDropDownAutoWidth(bool Value) { SetPopupAutoSize(Value); }

  TClass GetContainerClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                        bool APreviewMode = false) override;
  TcxCustomEditProperties* CreateOfSameClass() override;
  Integer GetLookupPageSize() override { return FDropDownRows; }
  TcxTextEditInputMode GetTextInputMode() override;
  TcxTextEditLookupDataFactory GetLookupDataType() override;
  bool HasLookupData() override { return true; }
  bool DropsDownOnClick() override { return FDropDownListStyle == lsFixedList; }
  TcxEditPopupWindowFactory GetPopupWindowType() override;

 private:
  TcxEditDropDownListStyle FDropDownListStyle = lsEditList;
  Integer FDropDownRows = 8;
  Integer FItemHeight = 0;
  bool FRevertable = false;
};

class TcxComboBoxProperties : public TcxCustomComboBoxProperties {
  TOVANI_CLASS(TcxComboBoxProperties, TcxCustomComboBoxProperties)
 public:
  using TcxCustomComboBoxProperties::TcxCustomComboBoxProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxComboBoxProperties(nullptr); }
};

// ---------------------------------------------------------------------------
// The list in the popup

class TcxCustomComboBoxListBox : public TcxCustomEditListBox {
  TOVANI_CLASS(TcxCustomComboBoxListBox, TcxCustomEditListBox)
 public:
  explicit TcxCustomComboBoxListBox(TComponent* AOwner = nullptr);
  TcxCustomComboBox* ComboBox() const;
  bool DoDrawItem(Integer AIndex, const TRect& R, TItemDrawState AState) override;
  void RecreateStyle() override;
  Integer GetHeight(Integer ARowCount) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Resize() override;
};

class TcxComboBoxListBox : public TcxCustomComboBoxListBox {
  TOVANI_CLASS(TcxComboBoxListBox, TcxCustomComboBoxListBox)
 public:
  using TcxCustomComboBoxListBox::TcxCustomComboBoxListBox;
  void RecreateStyle() override;
  Integer GetItemHeight(Integer AIndex = -1) override;
  // Set when the list's item index is set by code (or the popup opened
  // under a resting cursor): the next mouse move selects nothing.
  bool HoverSuppressed = false;
  void SetItemIndex(Integer Value) override;

 protected:
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
};

// The lookup of a combo box: its list is a TcxComboBoxListBox.
class TcxComboBoxLookupData : public TcxCustomTextEditLookupData {
  TOVANI_CLASS(TcxComboBoxLookupData, TcxCustomTextEditLookupData)
 public:
  using TcxCustomTextEditLookupData::TcxCustomTextEditLookupData;
  TcxCustomComboBox* ComboBox() const;
  void GetPreferredListSize(TSize& ASize) override;
  // Snaps a height the user drags to whole rows.
  bool AllowsPopupResize(TSize& ASize, Integer AMaxHeight, Integer AMaxWidth) override;

 protected:
  TcxCustomEditListBox* CreateListBox() override;
  void AfterListCreated() override;
};

// ---------------------------------------------------------------------------
// View data and view info

class TcxCustomComboBoxViewInfo : public TcxCustomTextEditViewInfo {
  TOVANI_CLASS(TcxCustomComboBoxViewInfo, TcxCustomTextEditViewInfo)
 public:
  // The item drawn by the program in the text area (-1 none).
  Integer ItemIndex = -1;
  bool IsOwnerDrawing = false;
  bool DrawOwnerContent(TcxCanvas* ACanvas, const TRect& R) override;
  virtual void DrawItem(TcxCanvas* ACanvas, const TRect& R);
};

class TcxCustomComboBoxViewData : public TcxCustomDropDownEditViewData {
  TOVANI_CLASS(TcxCustomComboBoxViewData, TcxCustomDropDownEditViewData)
 public:
  using TcxCustomDropDownEditViewData::TcxCustomDropDownEditViewData;
  bool IsComboStyle() override { return true; }
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                               TcxCustomEditViewInfo* AViewInfo) override;
};

// ---------------------------------------------------------------------------
// The editor

class TcxCustomComboBox : public TcxCustomDropDownEdit {
  TOVANI_CLASS(TcxCustomComboBox, TcxCustomDropDownEdit)
 public:
  explicit TcxCustomComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);

  TcxCustomComboBoxProperties* Properties() const {
    return static_cast<TcxCustomComboBoxProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomComboBoxProperties* ActiveProperties() {
    return static_cast<TcxCustomComboBoxProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomComboBoxProperties::StaticClass(); }
  TcxCustomComboBoxListBox* ListBox() const;

  bool IsOwnerDrawn();
  bool IsOwnerMeasured();
  void DoDrawItem(TcxCanvas* ACanvas, Integer AIndex, const TRect& ARect, TItemDrawState AState);
  void DoMeasureItem(Integer AIndex, TcxCanvas* ACanvas, Integer& AHeight);
  // Whether the lookup should follow the editor's text now.
  virtual bool CanSyncListWithText();
  void SyncListWithText();
  // The next popup takes its height from the rows again.
  void ResetPopupHeight();

  bool AllowsLookupNavigation(Integer ASource) override;
  bool HasPopupContent() override;
  void GetPopupContentSize(TSize& ASize) override;
  TcxCustomEditData* Activate(TcxCustomEditData*& AEditData) override;
  void DblClick() override;

 protected:
  void InnerEditChange(TObject* Sender) override;
  void ConfigurePopupWindow() override;
  void PreparePopup() override;
  void HandlePopupShown() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
};

class TcxComboBox : public TcxCustomComboBox {
  TOVANI_CLASS(TcxComboBox, TcxCustomComboBox)
 public:
  explicit TcxComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxComboBoxProperties* Properties() const {
    return static_cast<TcxComboBoxProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxComboBoxProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxComboBoxProperties::StaticClass(); }
};

class TcxFilterComboBoxHelper : public TcxFilterDropDownEditHelper {
  TOVANI_CLASS(TcxFilterComboBoxHelper, TcxFilterDropDownEditHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxComboBox::StaticClass(); }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool AKeepButtons) const override;
};

// Registers the combo box with the editor and filter registries (once).
void cxComboBoxUnitStartup();
