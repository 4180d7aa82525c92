// The BLOB editor: a large value (memo text, picture, OLE object or raw
// binary data) shown in a one-line box as an icon, a word or the first line
// of its text, with memo text and pictures edited in its popup (a memo or an
// image editor). An automatic kind is taken from the bound field.
#pragma once
#include <memory>

#include "cxEditRepositoryItems.h"
#include "cxImage.h"
#include "cxMemo.h"
#include "cxPopupEdit.h"

class TcxButton;
class TcxCustomBlobEdit;

enum TcxBlobEditKind { bekAuto, bekMemo, bekPict, bekOle, bekBlob };
TOVANI_ENUM_INFO(TcxBlobEditKind)
enum TcxBlobPaintStyle { bpsDefault, bpsIcon, bpsText };
TOVANI_ENUM_INFO(TcxBlobPaintStyle)

// The box: an icon centred in the client area (index -1: none, the text is
// drawn instead).
class TcxBlobEditViewInfo : public TcxCustomTextEditViewInfo {
  TOVANI_CLASS(TcxBlobEditViewInfo, TcxCustomTextEditViewInfo)
 public:
  TRect IconRect;
  Integer IconIndex = -1;
  void PaintContent(TcxCanvas* ACanvas) override;
  void MoveBy(Integer DX, Integer DY) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  Integer GetTextOffset() override { return 0; }
};

class TcxBlobEditViewData : public TcxCustomDropDownEditViewData {
  TOVANI_CLASS(TcxBlobEditViewData, TcxCustomDropDownEditViewData)
 public:
  using TcxCustomDropDownEditViewData::TcxCustomDropDownEditViewData;
  void GetValueDisplayText(const Variant& AEditValue, String& AText) override;
  void GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace, const TcxEditSizeProperties& ASizeProperties,
                        TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize, TSize& AFixedSize) override;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  // The draw value: the icon of the value, or its text.
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                               TcxCustomEditViewInfo* AViewInfo) override;
  void CalculateTextLayout(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo) override;
};

class TcxCustomBlobEditProperties : public TcxCustomPopupEditProperties {
  TOVANI_CLASS(TcxCustomBlobEditProperties, TcxCustomPopupEditProperties)
 public:
  explicit TcxCustomBlobEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  TClass GetContainerClass() override;
  bool CanValidate() override { return FBlobEditKind == bekMemo; }
  Integer GetDisplayFormatFlags() override { return 0; }
  bool HasInnerEditChangeEvents() override { return false; }
  bool SameDisplayValue(const Variant& V1, const Variant& V2) override;
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  bool AcceptsEditValue(Variant&, bool) override { return true; }
  // A picture kind is an image editor's feature; the box is never a text.
  Integer GetEditFeatureFlags() override;
  Integer GetViewOptions() override { return TcxCustomEditProperties::GetViewOptions() | 4; }
  // Only a memo that is not over a BLOB field shows its data as text.
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override;
  bool DropsDownOnClick() override { return true; }
  TcxEditPopupWindowFactory GetPopupWindowType() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                        bool APreviewMode = false) override;

  // An automatic kind becomes the bound field's (memo, picture, OLE or
  // binary); unbound it is binary; with a field not yet ready it stays.
  TcxBlobEditKind ResolveAutoKind();
  // The text the box shows for a value in the current kind and style.
  String GetBoxText(const Variant& AValue);
  // The icon for a value: 0/1 BLOB, 2/3 memo, 4/5 picture, 6/7 OLE (odd:
  // with data); -1 for text.
  Integer GetIconIndex(const Variant& AValue);
  TClass GetGraphicClass(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard);

  bool AlwaysSaveData() const { return FAlwaysSaveData; }
  void SetAlwaysSaveData(bool Value) { FAlwaysSaveData = Value; }
  TcxBlobEditKind BlobEditKind() const { return FBlobEditKind; }
  void SetBlobEditKind(TcxBlobEditKind Value);
  TcxBlobPaintStyle BlobPaintStyle() const { return FBlobPaintStyle; }
  void SetBlobPaintStyle(TcxBlobPaintStyle Value) { Store(FBlobPaintStyle, Value); }
  bool MemoAutoReplace() const { return FMemoAutoReplace; }
  void SetMemoAutoReplace(bool Value) { FMemoAutoReplace = Value; }
  TEditCharCase MemoCharCase() const { return FMemoCharCase; }
  void SetMemoCharCase(TEditCharCase Value) { Store(FMemoCharCase, Value); }
  bool MemoOEMConvert() const { return FMemoOEMConvert; }
  void SetMemoOEMConvert(bool Value) { Store(FMemoOEMConvert, Value); }
  bool MemoWantReturns() const { return FMemoWantReturns; }
  void SetMemoWantReturns(bool Value) { Store(FMemoWantReturns, Value); }
  bool MemoWantTabs() const { return FMemoWantTabs; }
  void SetMemoWantTabs(bool Value) { Store(FMemoWantTabs, Value); }
  bool MemoWordWrap() const { return FMemoWordWrap; }
  void SetMemoWordWrap(bool Value) { Store(FMemoWordWrap, Value); }
  Integer MemoMaxLength() const { return FMemoMaxLength; }
  void SetMemoMaxLength(Integer Value) { Store(FMemoMaxLength, Value); }
  TScrollStyle MemoScrollBars() const { return FMemoScrollBars; }
  void SetMemoScrollBars(TScrollStyle Value) { Store(FMemoScrollBars, Value); }
  bool PictureAutoSize() const { return FPictureAutoSize; }
  void SetPictureAutoSize(bool Value) { Store(FPictureAutoSize, Value); }
  const String& PictureFilter() const { return FPictureFilter; }
  void SetPictureFilter(const String& Value) { FPictureFilter = Value; }
  TClass PictureGraphicClass() const { return FPictureGraphicClass; }
  // The class by name, as the image editor's GraphicClassName: empty for
  // none; a name matching no picture class changes nothing.
  String PictureGraphicClassName() const;
  void SetPictureGraphicClassName(const String& Value);
  virtual TClass GetDefaultGraphicClass();
  void DefineProperties(TFiler* Filer) override;
  void SetPictureGraphicClass(TClass Value) { Store(FPictureGraphicClass, Value); }
  TcxImageTransparency PictureTransparency() const { return FPictureTransparency; }
  void SetPictureTransparency(TcxImageTransparency Value) { Store(FPictureTransparency, Value); }
  bool ShowExPopupItems() const { return FShowExPopupItems; }
  void SetShowExPopupItems(bool Value) { Store(FShowExPopupItems, Value); }
  bool ShowPicturePopup() const { return FShowPicturePopup; }
  void SetShowPicturePopup(bool Value) { Store(FShowPicturePopup, Value); }
  TcxImageAssignPictureEvent OnAssignPicture;
  TcxImageGraphicClassEvent OnGetGraphicClass;

 private:
  bool FAlwaysSaveData = true;
  TcxBlobEditKind FBlobEditKind = bekAuto;
  TcxBlobPaintStyle FBlobPaintStyle = bpsIcon;
  bool FMemoAutoReplace = false, FMemoWantReturns = true, FMemoWantTabs = true, FMemoWordWrap = true;
  Integer FMemoMaxLength = 0;
  TEditCharCase FMemoCharCase = ecNormal;
  bool FMemoOEMConvert = false;
  TScrollStyle FMemoScrollBars = ssNone;
  bool FPictureAutoSize = true;
  String FPictureFilter;
  TClass FPictureGraphicClass = nullptr;
  TcxImageTransparency FPictureTransparency = gtDefault;
  bool FShowExPopupItems = true, FShowPicturePopup = true;
};

class TcxBlobEditProperties : public TcxCustomBlobEditProperties {
  TOVANI_CLASS(TcxBlobEditProperties, TcxCustomBlobEditProperties)
 public:
  explicit TcxBlobEditProperties(TPersistent* AOwner = nullptr) : TcxCustomBlobEditProperties(AOwner) {}
};

// The popup controls: closing keys end the popup with saving or without.
class TcxPopupMemo : public TcxMemo {
  TOVANI_CLASS(TcxPopupMemo, TcxMemo)
 public:
  explicit TcxPopupMemo(TcxCustomBlobEdit* ABlobEdit);
  TcxCustomBlobEdit* BlobEdit() const { return FBlobEdit; }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  TcxCustomBlobEdit* FBlobEdit;
};

class TcxPopupImage : public TcxImage {
  TOVANI_CLASS(TcxPopupImage, TcxImage)
 public:
  explicit TcxPopupImage(TcxCustomBlobEdit* ABlobEdit);
  TcxCustomBlobEdit* BlobEdit() const { return FBlobEdit; }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  TcxCustomBlobEdit* FBlobEdit;
};

// The BLOB editor's popup window: with MemoAutoReplace, the character that
// opened a memo popup replaces the memo's text instead of being typed into it.
class TcxBlobEditPopupWindow : public TcxPopupEditPopupWindow {
  TOVANI_CLASS(TcxBlobEditPopupWindow, TcxPopupEditPopupWindow)
 public:
  using TcxPopupEditPopupWindow::TcxPopupEditPopupWindow;
  void ForwardChar(char32_t Ch) override;
};

class TcxCustomBlobEdit : public TcxCustomPopupEdit {
  TOVANI_CLASS(TcxCustomBlobEdit, TcxCustomPopupEdit)
 public:
  explicit TcxCustomBlobEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomBlobEdit() override;
  TcxCustomBlobEditProperties* ActiveProperties() {
    return static_cast<TcxCustomBlobEditProperties*>(GetEffectiveProperties());
  }
  TcxCustomBlobEditProperties* Properties() const {
    return static_cast<TcxCustomBlobEditProperties*>(TcxCustomEdit::Properties());
  }
  TWinControl* PopupContent() const { return FPopupControl.get(); }
  // The buttons of the popup's system panel: Cancel (or Close, when the
  // value cannot be changed) and OK (only with Cancel); null before the
  // first popup.
  TcxButton* CancelButton() const { return FCancelButton.get(); }
  TcxButton* OKButton() const { return FOKButton.get(); }
  void GetCurrentValue(Variant& AValue) override;
  void GetPopupContentSize(TSize& ASize) override;
  bool HasPopupContent() override { return FPopupControl != nullptr; }
  // Closes the popup from a key of its control: saving (mrOk-like) or not.
  void CloseFromPopup(bool ASave);
  void UpdateDrawValue() override;
  // Only a memo has text: the open popup memo's, else a text value; the
  // other kinds have none and refuse it. The value never passes through
  // the hidden edit window, which would mangle binary data and line breaks.
  String Text();
  void SetText(const String& Value);
  void GetDisplayText(String& AText) override { AText = Text(); }
  void GetEditingValue(Variant& AValue) override { GetCurrentValue(AValue); }
  void SetDisplayValueFromData(const Variant& AValue) override;
  void SynchronizeEditValue() override;
  void ChangeText(const String& AText) override;
  bool HasReadOnlyText() override { return false; }

 protected:
  virtual void CreatePopupControls();
  virtual void DestroyPopupControls();
  // The popup control may be edited while the BLOB editor may be modified.
  virtual void PopupControlEditing(TObject* Sender, bool& CanEdit);
  void InitializePopup() override;
  void PreparePopup() override;
  void HandlePopupClosed() override;
  void SetDisplayValueLocked(const Variant& AValue) override;
  void SavePopupData();
  void PrepareEditText() override;
  using TcxCustomPopupEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void ContainerStyleChanged(TObject* Sender) override;

 private:
  void CreatePopupButtons();
  // The popup memo while the popup is open (null otherwise).
  TcxPopupMemo* OpenPopupMemo();
  std::unique_ptr<TWinControl> FPopupControl;
  std::unique_ptr<TcxButton> FCancelButton, FOKButton;
  Integer FButtonWidth = 0, FButtonHeight = 0;
  bool FSaveRequested = false, FCancelRequested = false;
};

class TcxBlobEdit : public TcxCustomBlobEdit {
  TOVANI_CLASS(TcxBlobEdit, TcxCustomBlobEdit)
 public:
  explicit TcxBlobEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxBlobEditProperties* Properties() const { return static_cast<TcxBlobEditProperties*>(TcxCustomEdit::Properties()); }
};

CX_EDIT_REPOSITORY_ITEM(TcxEditRepositoryBlobItem, TcxBlobEditProperties)

// The eight 18 x 16 icons of the box (null and with-data for each kind).
TImageList* cxBlobEditIcons();
void cxBlobEditUnitStartup();
void cxBlobEditUnitShutdown();
