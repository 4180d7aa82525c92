// The image combo box.
#include "cxImageComboBox.h"

#include <windows.h>

#include <algorithm>

#include "SysUtils.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxEditPaintUtils.h"
#include "cxFilterControlUtils.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxImageAlign, "iaLeft", "iaRight")
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageComboBoxItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxImageComboBoxItems, TOwnedCollection)
TOVANI_IMPLEMENT_CLASS(TcxCustomImageComboBoxProperties, TcxCustomComboBoxProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageComboBoxProperties, TcxCustomImageComboBoxProperties)
TOVANI_IMPLEMENT_CLASS(TcxImageComboBoxViewInfo, TcxCustomComboBoxViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxImageComboBoxViewData, TcxCustomComboBoxViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomImageComboBox, TcxCustomComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageComboBox, TcxCustomImageComboBox)

namespace {
const TcxResourceString cxSEditImageComboBoxDescription{
    "ImageComboBox|Represents an editor displaying the list of images and text strings within the dropdown window"};

// The list draws each item's image in a column beside its description;
// with MultiLineText the descriptions wrap and each row is as tall as its
// wrapped text.
class TcxImageComboBoxListBox : public TcxComboBoxListBox {
 public:
  using TcxComboBoxListBox::TcxComboBoxListBox;
  TcxCustomImageComboBox* Combo() const { return dynamic_cast<TcxCustomImageComboBox*>(ComboBox()); }
  // The client width items are measured at (0: the text does not wrap).
  Integer MeasureWidth = 0;
  bool HasScrollBar = false;

  void RecreateStyle() override {
    TcxComboBoxListBox::RecreateStyle();
    SetStyle(lbOwnerDrawVariable);
  }

  bool DoDrawItem(Integer AIndex, const TRect& R, TItemDrawState AState) override {
    if (TcxComboBoxListBox::DoDrawItem(AIndex, R, AState)) return true;
    TcxCustomImageComboBox* C = Combo();
    if (!C) return false;
    TcxCustomImageComboBoxProperties* P = C->ActiveProperties();
    TCustomImageList* IL = P->ListImages();
    const bool Sel = AState.Contains(odsSelected);
    cxCanvas()->FillRectColor(R, Sel ? clHighlight : Color());
    if (AIndex < 0 || AIndex >= P->Items()->Count()) return true;
    TcxImageComboBoxItem* Item = P->Items()->Items(AIndex);
    const bool RTL = BiDiMode() != bdLeftToRight;
    UINT Format = DT_NOPREFIX | (P->MultiLineText() ? DT_WORDBREAK | DT_EXPANDTABS : DT_VCENTER | DT_SINGLELINE);
    if (RTL) Format |= DT_RIGHT | DT_RTLREADING;
    TRect TR = R;
    if (RTL) TR.Right -= 2;
    else TR.Left += 2;
    if (IL) {
      const Integer W = IL->Width() + 4;
      const TRect Col = P->ImageAlign() == iaRight ? TRect(R.Right - W, R.Top, R.Right, R.Bottom)
                                                    : TRect(R.Left, R.Top, R.Left + W, R.Bottom);
      if (Item->ImageIndex() >= 0 && Item->ImageIndex() < IL->Count())
        IL->Draw(cxCanvas()->Canvas(), Col.Left + 1, Col.Top + (Col.Bottom - Col.Top - IL->Height()) / 2,
                 Item->ImageIndex(), Enabled());
      if (P->ImageAlign() == iaRight) TR.Right = std::min(TR.Right, Col.Left);
      else TR.Left = std::max(TR.Left, Col.Right);
    }
    if (TR.Right <= TR.Left || TR.Bottom <= TR.Top) return true;
    TCanvas* Cv = cxCanvas()->Canvas();
    Cv->Font()->Assign(Font());
    Cv->TextHeight("Wg");  // puts the font into the device context
    const std::u16string W = Utf8ToUtf16(Item->Description());
    RECT RR = *TR.AsRECT();
    SetBkMode(Cv->Handle(), TRANSPARENT);
    ::SetTextColor(Cv->Handle(), ColorToRGB(Sel ? clHighlightText : Font()->Color()));
    DrawTextW(Cv->Handle(), reinterpret_cast<LPCWSTR>(W.c_str()), Integer(W.size()), &RR, Format);
    return true;
  }

  Integer GetItemHeight(Integer AIndex) override {
    TcxCustomImageComboBox* C = Combo();
    if (!C) return TcxComboBoxListBox::GetItemHeight(AIndex);
    TcxCustomImageComboBoxProperties* P = C->ActiveProperties();
    TCustomImageList* IL = P->ListImages();
    const Integer Least = IL ? IL->Height() + 2 : 0;
    Integer Width = MeasureWidth - 2 - (IL ? IL->Width() + 4 : 0);
    TCanvas* Cv = cxSharedScreenCanvas()->Canvas();
    Cv->Font()->Assign(Font());
    // Measuring a line also puts the font into the device context.
    const Integer LineHeight = Cv->TextHeight("Wg");
    Integer H;
    if (P->MultiLineText() && Width > 0 && AIndex >= 0 && AIndex < P->Items()->Count()) {
      const std::u16string W = Utf8ToUtf16(P->Items()->Items(AIndex)->Description());
      RECT RR{0, 0, Width, 0};
      DrawTextW(Cv->Handle(), reinterpret_cast<LPCWSTR>(W.c_str()), Integer(W.size()), &RR,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
      H = std::max<Integer>(RR.bottom - RR.top + 2, Least);
    } else {
      H = std::max<Integer>(LineHeight + 2, Least);
    }
    if (AIndex >= 0 && C->IsOwnerMeasured()) C->DoMeasureItem(AIndex, cxCanvas(), H);
    return H;
  }

  // With wrapping descriptions the rows are measured at the editor's width;
  // when they need a scroll bar, again at the width it leaves.
  Integer GetHeight(Integer ARowCount) override {
    TcxCustomImageComboBox* C = Combo();
    if (!C || !C->ActiveProperties()->MultiLineText()) {
      MeasureWidth = 0;
      HasScrollBar = false;
      return TcxComboBoxListBox::GetHeight(ARowCount);
    }
    Integer Width = C->Width();
    Integer MaxHeight = 0;
    if (TcxCustomEditPopupWindow* W = C->PopupWindow()) {
      TRect Extent;
      W->ViewInfo()->CalculateBorderExtent(Extent);
      Width -= Extent.Left + Extent.Right;
      TSize Max{0, 0};
      W->GetMaxContentSize(Max);
      MaxHeight = Max.cy;
    }
    MeasureWidth = Width;
    HasScrollBar = false;
    Integer H = TcxComboBoxListBox::GetHeight(ARowCount);
    if ((MaxHeight > 0 && H > MaxHeight) || ARowCount < C->ActiveProperties()->Items()->Count()) {
      HasScrollBar = true;
      MeasureWidth = Width - GetSystemMetrics(SM_CXVSCROLL);
      H = TcxComboBoxListBox::GetHeight(ARowCount);
    }
    return H;
  }

  // Gives the window the rows' heights at the current measuring width.
  void RemeasureItems() {
    if (!HandleAllocated()) return;
    for (Integer I = 0; I < Count(); ++I) SendMessageW(Handle(), LB_SETITEMHEIGHT, WPARAM(I), LPARAM(GetItemHeight(I)));
    Invalidate();
  }

  Integer GetItemWidth(Integer AIndex) override {
    TcxCustomImageComboBox* C = Combo();
    if (C && C->ActiveProperties()->MultiLineText()) return 0;
    return TcxComboBoxListBox::GetItemWidth(AIndex);
  }
};

// The lookup's rows are the items, shown by their descriptions; the key
// follows the editor's edit value, not its text.
class TcxImageComboBoxLookupData : public TcxComboBoxLookupData {
 public:
  using TcxComboBoxLookupData::TcxComboBoxLookupData;
  TcxCustomImageComboBoxProperties* Props() const {
    return static_cast<TcxCustomImageComboBoxProperties*>(Edit()->ActiveProperties());
  }
  Integer ItemCount() override { return Props()->Items()->Count(); }
  String ItemText(Integer AIndex) override {
    return AIndex >= 0 && AIndex < ItemCount() ? Props()->Items()->Items(AIndex)->Description() : String();
  }
  void EditTextChanged() override {
    if (Edit()->IsRequestingEditing()) return;
    TcxImageComboBoxItem* Item = Props()->FindItemByValue(Edit()->EditValue());
    SetCurrentKeyIndex(Item ? Item->Index() : -1);
  }

 protected:
  TcxCustomEditListBox* CreateListBox() override { return new TcxImageComboBoxListBox(Edit()); }
};

class TcxFilterImageComboBoxHelper : public TcxFilterComboBoxHelper {
  TOVANI_CLASS(TcxFilterImageComboBoxHelper, TcxFilterComboBoxHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxImageComboBox::StaticClass(); }
  // The data controller's operator numbering: equal, not equal, null, not
  // null (and in, not in).
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    TcxFilterEditOperators R = 0;
    for (Integer B : {1, 2, 9, 10}) R |= cxFilterOperatorBit(B);
    if (AExtended)
      for (Integer B : {13, 14}) R |= cxFilterOperatorBit(B);
    return R;
  }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASource,
                            bool AKeepButtons) const override {
    TcxFilterComboBoxHelper::InitFilterProperties(AProperties, ASource, AKeepButtons);
    auto* P = dynamic_cast<TcxCustomImageComboBoxProperties*>(AProperties);
    if (!P) return;
    P->SetDropDownListStyle(lsFixedList);
    P->SetImmediateDropDown(true);
    P->SetShowDescriptions(true);
  }
};

void RegisterImageComboBox() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  static TcxFilterImageComboBoxHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterImageComboBoxHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxImageComboBoxProperties::StaticClass(),
                                      cxLoadResourceText(cxSEditImageComboBoxDescription));
  cxGetFilterEditsController()->AddClassPair(TcxImageComboBoxProperties::StaticClass(),
                                             TcxFilterImageComboBoxHelper::StaticClass());
}
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterImageComboBoxHelper, TcxFilterComboBoxHelper)

// ---------------------------------------------------------------------------
// Items

TcxImageComboBoxItem::TcxImageComboBoxItem(TCollection* ACollection) {
  if (ACollection) ACollection->BeginUpdate();
  SetCollection(ACollection);
  if (ACollection) ACollection->EndUpdate();
}

void TcxImageComboBoxItem::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxImageComboBoxItem*>(Source);
  if (!S) return TCollectionItem::Assign(Source);
  FDescription = S->FDescription;
  FImageIndex = S->FImageIndex;
  FTag = S->FTag;
  FValue = S->FValue;
  Changed(false);
}

void TcxImageComboBoxItem::SetDescription(const String& Value) {
  if (FDescription == Value) return;
  FDescription = Value;
  Changed(false);
}

void TcxImageComboBoxItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TcxImageComboBoxItem::SetValue(const Variant& Value) {
  if (cxVarSameTypeAndValue(FValue, Value)) return;
  FValue = Value;
  Changed(false);
}

TcxImageComboBoxItems::TcxImageComboBoxItems(TcxCustomImageComboBoxProperties* AOwner)
    : TOwnedCollection(AOwner, TcxImageComboBoxItem::StaticClass()), FProperties(AOwner) {}

TcxImageComboBoxItem* TcxImageComboBoxItems::Add() {
  auto* Item = static_cast<TcxImageComboBoxItem*>(TCollection::Add());
  if (FProperties && FProperties->Images() && FProperties->Images()->Count() >= Count())
    Item->SetImageIndex(Count() - 1);
  return Item;
}

void TcxImageComboBoxItems::Update(TCollectionItem*) {
  if (FProperties) FProperties->ItemsChanged();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomImageComboBoxProperties::TcxCustomImageComboBoxProperties(TPersistent* AOwner)
    : TcxCustomComboBoxProperties(AOwner) {
  RegisterImageComboBox();
  FItems = std::make_unique<TcxImageComboBoxItems>(this);
  SetDropDownListStyle(lsFixedList);
  FImagesChangeLink = std::make_unique<TChangeLink>();
  FImagesChangeLink->OnChange = [this](TObject*) { Changed(); };
  FLargeImagesChangeLink = std::make_unique<TChangeLink>();
  FLargeImagesChangeLink->OnChange = [this](TObject*) { Changed(); };
  FFreeNotificator = std::make_unique<TcxFreeNotificator>(nullptr);
  FFreeNotificator->OnComponentFreed = [this](TObject*, TComponent* C) { ImageListFreed(C); };
}

TcxCustomImageComboBoxProperties::~TcxCustomImageComboBoxProperties() {
  // The image lists stop telling this object about their changes.
  FFreeNotificator.reset();
  FImagesChangeLink.reset();
  FLargeImagesChangeLink.reset();
}

void TcxCustomImageComboBoxProperties::ImageListFreed(TComponent* AComponent) {
  if (AComponent == FImages) FImages = nullptr;
  if (AComponent == FLargeImages) FLargeImages = nullptr;
  Changed();
}

void TcxCustomImageComboBoxProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomImageComboBoxProperties*>(Source);
  if (!S) return TcxCustomComboBoxProperties::Assign(Source);
  BeginUpdate();
  TcxCustomComboBoxProperties::Assign(Source);
  SetDefaultDescription(S->FDefaultDescription);
  SetDefaultImageIndex(S->FDefaultImageIndex);
  SetImageAlign(S->FImageAlign);
  SetImages(S->FImages);
  FItems->Assign(S->FItems.get());
  SetLargeImages(S->FLargeImages);
  SetMultiLineText(S->FMultiLineText);
  SetShowDescriptions(S->FShowDescriptions);
  Changed();
  EndUpdate();
}

void TcxCustomImageComboBoxProperties::ItemsChanged() { Changed(); }

void TcxCustomImageComboBoxProperties::SetItems(TcxImageComboBoxItems* Value) {
  FItems->Assign(Value);
  Changed();
}

void TcxCustomImageComboBoxProperties::SetMultiLineText(bool Value) {
  if (FMultiLineText == Value) return;
  FMultiLineText = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetDefaultDescription(const String& Value) {
  if (FDefaultDescription == Value) return;
  FDefaultDescription = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetDefaultImageIndex(Integer Value) {
  if (FDefaultImageIndex == Value) return;
  FDefaultImageIndex = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetImageAlign(TcxImageAlign Value) {
  if (FImageAlign == Value) return;
  FImageAlign = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  cxSetImageList(Value, FImages, FImagesChangeLink.get(), FFreeNotificator.get());
  Changed();
}

void TcxCustomImageComboBoxProperties::SetLargeImages(TCustomImageList* Value) {
  if (Value == FLargeImages) return;
  cxSetImageList(Value, FLargeImages, FLargeImagesChangeLink.get(), FFreeNotificator.get());
  Changed();
}

void TcxCustomImageComboBoxProperties::SetShowDescriptions(bool Value) {
  if (FShowDescriptions == Value) return;
  FShowDescriptions = Value;
  Changed();
}

TcxImageComboBoxItem* TcxCustomImageComboBoxProperties::FindItemByValue(const Variant& AValue) const {
  for (Integer I = 0; I < FItems->Count(); ++I)
    if (cxVarEqualsStrict(FItems->Items(I)->Value(), AValue)) return FItems->Items(I);
  return nullptr;
}

TcxImageComboBoxItem* TcxCustomImageComboBoxProperties::FindItemByText(const String& AText) const {
  if (!FShowDescriptions) return nullptr;
  for (Integer I = 0; I < FItems->Count(); ++I)
    if (SameText(FItems->Items(I)->Description(), AText)) return FItems->Items(I);
  return nullptr;
}

void TcxCustomImageComboBoxProperties::GetItemInfo(TcxImageComboBoxItem* AItem, String& AText, bool AForceDescription,
                                                   Integer& AImageIndex) {
  AText = AForceDescription || FShowDescriptions ? (AItem ? AItem->Description() : FDefaultDescription) : String();
  AImageIndex = AItem ? AItem->ImageIndex() : FDefaultImageIndex;
}

void TcxCustomImageComboBoxProperties::GetDisplayInfo(const Variant& AValue, String& AText, Integer& AImageIndex) {
  GetItemInfo(FindItemByValue(AValue), AText, false, AImageIndex);
}

TClass TcxCustomImageComboBoxProperties::GetContainerClass() { return TcxImageComboBox::StaticClass(); }
TClass TcxCustomImageComboBoxProperties::GetViewDataClass() { return TcxImageComboBoxViewData::StaticClass(); }
TClass TcxCustomImageComboBoxProperties::GetViewInfoClass() { return TcxImageComboBoxViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomImageComboBoxProperties::CreateViewInfo() { return new TcxImageComboBoxViewInfo(); }

TcxCustomEditViewData* TcxCustomImageComboBoxProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                        bool APreviewMode) {
  auto* VD = new TcxImageComboBoxViewData(this, AStyle, AIsInplace);
  VD->PreviewMode = APreviewMode;
  return VD;
}

bool TcxCustomImageComboBoxProperties::SameDisplayValue(const Variant& V1, const Variant& V2) {
  String T1, T2;
  Integer I1, I2;
  GetDisplayInfo(V1, T1, I1);
  GetDisplayInfo(V2, T2, I2);
  return T1 == T2 && (!FImages || I1 == I2);
}

String TcxCustomImageComboBoxProperties::GetDisplayText(const Variant& AEditValue, bool, bool) {
  Variant D;
  PrepareDisplayValue(AEditValue, D, false);
  return VarToStr(D);
}

Integer TcxCustomImageComboBoxProperties::GetViewOptions() {
  return (Buttons()->Count() > 0 ? 828 : 796) | (FShowDescriptions ? 64 : 0);
}

TcxTextEditLookupDataFactory TcxCustomImageComboBoxProperties::GetLookupDataType() {
  return [](TcxCustomTextEdit* AOwner) -> TcxCustomTextEditLookupData* { return new TcxImageComboBoxLookupData(AOwner); };
}

void TcxCustomImageComboBoxProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  TcxImageComboBoxItem* Item = FindItemByValue(AEditValue);
  ADisplayValue = Variant(Item ? Item->Description() : FDefaultDescription);
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomImageComboBox::TcxCustomImageComboBox(TComponent* AOwner, bool AIsInplace,
                                               const TcxEditPropertiesFactory& AProperties)
    : TcxCustomComboBox(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomImageComboBoxProperties(O);
                        }) {}

TcxImageComboBox::TcxImageComboBox(TComponent* AOwner, bool AIsInplace)
    : TcxCustomImageComboBox(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxImageComboBoxProperties(O);
      }) {}

TcxImageComboBoxItem* TcxCustomImageComboBox::SelectedItem() {
  const Integer I = LookupData() ? LookupData()->CurrentKeyIndex() : -1;
  TcxCustomImageComboBoxProperties* P = ActiveProperties();
  return I >= 0 && I < P->Items()->Count() ? P->Items()->Items(I) : nullptr;
}

void TcxCustomImageComboBox::LookupKeyAsEditValue(const Variant& AKey, Variant& AEditValue) {
  TcxCustomImageComboBoxProperties* P = ActiveProperties();
  const Integer I = LookupKeyAsItemIndex(AKey);
  AEditValue = I >= 0 && I < P->Items()->Count() ? P->Items()->Items(I)->Value() : Variant::Null();
}

void TcxCustomImageComboBox::DisplayToEditValue(const Variant&, Variant& AEditValue, bool) {
  // The selected item gives the value; the text plays no part.
  TcxImageComboBoxItem* Item = SelectedItem();
  AEditValue = Item ? Item->Value() : Variant::Null();
}

void TcxCustomImageComboBox::GetEditingValue(Variant& AValue) { DisplayToEditValue(Variant(Text()), AValue, Focused()); }

void TcxCustomImageComboBox::UpdateDrawValue() {
  TcxCustomComboBox::UpdateDrawValue();
  if (!LookupData()) return;
  // The list follows the new edit value; the change of its key is the
  // user's as far as the change events go, but leaves the modified flags.
  PushModifiedState();
  HoldClick(true);
  const Variant Before = LookupData()->ReadCurrentKey();
  try {
    LookupData()->FollowText();
    if (!cxEditVarEquals(Before, LookupData()->ReadCurrentKey())) SetEditChanged(true);
  } catch (...) {
    HoldClick(false);
    PopModifiedState();
    throw;
  }
  HoldClick(false);
  PopModifiedState();
  ResetLookupSelection();
  PrepareEditText();
}

void TcxCustomImageComboBox::PrepareEditText() {
  TcxCustomComboBox::PrepareEditText();
  if (FPreparingText || InnerEditNotReady()) return;
  // The box holds what is shown: the description, or nothing when only
  // images are shown.
  auto* VI = dynamic_cast<TcxCustomTextEditViewInfo*>(GetViewInfo());
  if (!VI || VI->Text == Text()) return;
  FPreparingText = true;
  try {
    SetDisplayValueFromData(Variant(VI->Text));
  } catch (...) {
    FPreparingText = false;
    throw;
  }
  FPreparingText = false;
}

void TcxCustomImageComboBox::GetPopupContentSize(TSize& ASize) {
  TcxCustomComboBox::GetPopupContentSize(ASize);
  TcxCustomImageComboBoxProperties* P = ActiveProperties();
  auto* List = dynamic_cast<TcxImageComboBoxListBox*>(ListBox());
  if (P->MultiLineText()) {
    // The popup takes the editor's width; the rows are measured again at it.
    ASize.cx = 0;
    if (List) List->RemeasureItems();
    return;
  }
  if (!List) return;
  TCustomImageList* IL = P->ListImages();
  TCanvas* Cv = cxSharedScreenCanvas()->Canvas();
  Cv->Font()->Assign(List->Font());
  Integer Widest = 0;
  for (Integer I = 0; I < P->Items()->Count(); ++I)
    Widest = std::max<Integer>(Widest, Cv->TextWidth(P->Items()->Items(I)->Description()));
  Integer Preferred = (IL ? IL->Width() + 8 : 4) + Widest;
  if (P->DropDownRows() < P->Items()->Count()) Preferred += GetSystemMetrics(SM_CXVSCROLL);
  ASize.cx = std::max(ASize.cx, Preferred);
}

// ---------------------------------------------------------------------------
// View data and view info

bool TcxImageComboBoxViewData::IsComboStyle() { return cxDwmCompositionOn(); }

TcxImageComboBoxItem* TcxImageComboBoxViewData::ShownItem() {
  auto* Combo = dynamic_cast<TcxCustomImageComboBox*>(Edit);
  if (!Combo) return nullptr;
  if (TcxImageComboBoxItem* Item = Combo->SelectedItem()) return Item;
  return static_cast<TcxCustomImageComboBoxProperties*>(Properties)->FindItemByValue(Combo->EditValue());
}

void TcxImageComboBoxViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                         TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomComboBoxViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* VI = dynamic_cast<TcxImageComboBoxViewInfo*>(AViewInfo);
  if (!VI) return;
  auto* Props = static_cast<TcxCustomImageComboBoxProperties*>(Properties);
  VI->ImageAlign = Props->ImageAlign();
  VI->Images = Props->Images();
  VI->ShowDescriptions = Props->ShowDescriptions();
  VI->ContentRect = VI->ClientRect;
  if (Edit) {
    String Text;
    Props->GetItemInfo(ShownItem(), Text, false, VI->ImageIndex);
  }
  TRect TextArea = VI->ClientRect;
  VI->ImageRect = TRect();
  if (TCustomImageList* IL = VI->Images) {
    TRect Area = VI->ClientRect;
    Area.Left += 2;
    Area.Right -= 2;
    const Integer W = IL->Width(), H = IL->Height();
    TRect& IR = VI->ImageRect;
    IR.Top = Area.Top;
    IR.Bottom = Area.Top + H;
    if (Area.Bottom - Area.Top > H) {
      IR.Top = Area.Top + (Area.Bottom - Area.Top - H) / 2;
      IR.Bottom = IR.Top + H;
    }
    if (W >= Area.Right - Area.Left) {
      IR.Left = Area.Left;
      IR.Right = Area.Right;
      TextArea = TRect(Area.Right, VI->ClientRect.Top, Area.Right, VI->ClientRect.Bottom);
    } else if (!VI->ShowDescriptions) {
      IR.Left = Area.Left + (Area.Right - Area.Left - W) / 2;
      IR.Right = IR.Left + W;
      TextArea = TRect(IR.Right, VI->ClientRect.Top, IR.Right, VI->ClientRect.Bottom);
    } else if (VI->ImageAlign == iaRight) {
      IR.Right = Area.Right;
      IR.Left = IR.Right - W;
      TextArea.Right = IR.Left - 2;
    } else {
      IR.Left = Area.Left;
      IR.Right = IR.Left + W;
      TextArea.Left = IR.Right + 2;
    }
  }
  // The inner edit and the painted text take the text area.
  if (!IsInplace) VI->ClientRect = TextArea;
  VI->TextRect = TRect(TextArea.Left + 2, TextArea.Top + 1, TextArea.Right - 2, TextArea.Bottom - 1);
  if (VI->TextRect.Right < VI->TextRect.Left) VI->TextRect.Right = VI->TextRect.Left;
  if (!VI->ShowDescriptions) VI->Text.clear();
  if (!IsInplace) VI->DrawSelectionBar = false;
}

void TcxImageComboBoxViewData::PrepareTextForPaint(const String& ADisplayValue, TcxCustomTextEditViewInfo* AViewInfo) {
  auto* VI = dynamic_cast<TcxImageComboBoxViewInfo*>(AViewInfo);
  if (!VI || !Edit) return TcxCustomComboBoxViewData::PrepareTextForPaint(ADisplayValue, AViewInfo);
  String Text;
  static_cast<TcxCustomImageComboBoxProperties*>(Properties)->GetItemInfo(ShownItem(), Text, false, VI->ImageIndex);
  TcxCustomComboBoxViewData::PrepareTextForPaint(Text, AViewInfo);
}

void TcxImageComboBoxViewData::PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                       TcxCustomEditViewInfo* AViewInfo) {
  TcxCustomComboBoxViewData::PrepareViewInfoForPaint(ACanvas, AEditValue, AViewInfo);
  auto* VI = dynamic_cast<TcxImageComboBoxViewInfo*>(AViewInfo);
  if (!VI) return;
  String Text;
  static_cast<TcxCustomImageComboBoxProperties*>(Properties)->GetDisplayInfo(AEditValue, Text, VI->ImageIndex);
  VI->Text = HideText ? String() : Text;
}

void TcxImageComboBoxViewData::GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace,
                                                const TcxEditSizeProperties& ASizeProperties,
                                                TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                                TSize& AFixedSize) {
  // Measured without the image's share of the client area, which is added
  // here: the image and its gaps, or one pixel without images.
  auto* VI = dynamic_cast<TcxImageComboBoxViewInfo*>(AViewInfo);
  TRect Saved;
  if (VI) {
    Saved = VI->ClientRect;
    VI->ClientRect = VI->ContentRect;
  }
  TcxCustomComboBoxViewData::GetFixedPartSize(ACanvas, AIsInplace, ASizeProperties, AViewInfo, AMinContentSize,
                                              AFixedSize);
  if (VI) VI->ClientRect = Saved;
  TCustomImageList* IL = static_cast<TcxCustomImageComboBoxProperties*>(Properties)->Images();
  AFixedSize.cx += IL ? IL->Width() + 5 : 1;
  if (IL) AMinContentSize.cy = std::max<Integer>(AMinContentSize.cy, IL->Height());
}

void TcxImageComboBoxViewInfo::PaintContent(TcxCanvas* ACanvas) {
  RECT Clip;
  if (GetClipBox(ACanvas->Handle(), &Clip) != NULLREGION) {
    RECT B = *Bounds.AsRECT(), X;
    if (!IntersectRect(&X, &B, &Clip)) return;
  }
  TcxCustomComboBoxViewInfo::PaintContent(ACanvas);
  if (!Images || ImageIndex < 0 || ImageIndex >= Images->Count()) return;
  TRect R;
  RECT A = *ImageRect.AsRECT(), Bd = *BorderRect.AsRECT(), Out;
  if (!IntersectRect(&Out, &A, &Bd)) return;
  R = TRect(Out.left, Out.top, Out.right, Out.bottom);
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(R);
  if (!Transparent && !(NativeStyle && cxDwmCompositionOn()))
    cxDrawImageListImage(ACanvas, Images, ImageIndex, ImageRect, BackgroundColor, Enabled);
  else
    Images->Draw(ACanvas->Canvas(), ImageRect.Left, ImageRect.Top, ImageIndex, Enabled);
  ACanvas->PopClipRegion();
}

void TcxImageComboBoxViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomComboBoxViewInfo::MoveBy(DX, DY);
  OffsetRect(ImageRect, DX, DY);
  OffsetRect(ContentRect, DX, DY);
}

void TcxImageComboBoxViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  TcxCustomComboBoxViewInfo::AssignFrom(Source);
  if (auto* S = dynamic_cast<TcxImageComboBoxViewInfo*>(Source)) {
    ImageRect = S->ImageRect;
    ImageAlign = S->ImageAlign;
    ShowDescriptions = S->ShowDescriptions;
    ImageIndex = S->ImageIndex;
    Images = S->Images;
    ContentRect = S->ContentRect;
  }
}

// ---------------------------------------------------------------------------
// What form files store

TOVANI_PUBLISHED(TcxImageComboBoxItem) {
  using I = TcxImageComboBoxItem;
  Property("Description", &I::Description, &I::SetDescription);
  Property("ImageIndex", &I::ImageIndex, &I::SetImageIndex).Default(-1);
  Property("Tag", &I::Tag, &I::SetTag).Default(0);
  Property("Value", &I::Value, &I::SetValue).Stored([](TObject* O) { return !VarIsNull(static_cast<I*>(O)->Value()); });
}

TOVANI_PUBLISHED(TcxImageComboBoxProperties) {
  using P = TcxImageComboBoxProperties;
  Property("DefaultDescription", &P::DefaultDescription, &P::SetDefaultDescription);
  Property("DefaultImageIndex", &P::DefaultImageIndex, &P::SetDefaultImageIndex).Default(-1);
  Property("DropDownListStyle", &P::DropDownListStyle, &P::SetDropDownListStyle).Default(lsFixedList);
  Property("ImageAlign", &P::ImageAlign, &P::SetImageAlign).Default(iaLeft);
  Property("Images", &P::Images, &P::SetImages);
  Property<TcxImageComboBoxItems*>(
      "Items", [](P* p) { return p->Items(); }, [](P* p, TcxImageComboBoxItems* v) { p->SetItems(v); });
  Property("LargeImages", &P::LargeImages, &P::SetLargeImages);
  Property("MultiLineText", &P::MultiLineText, &P::SetMultiLineText).Default(false);
  Property("ShowDescriptions", &P::ShowDescriptions, &P::SetShowDescriptions).Default(true);
}

TOVANI_PUBLISHED(TcxImageComboBox) {
  using E = TcxImageComboBox;
  Property("Properties", &E::Properties, &E::SetProperties);
  // The item is stored by its value; ItemIndex only picks one at run time.
  Property<Variant>(
      "EditValue", [](E* e) { return e->EditValue(); }, [](E* e, Variant v) { e->SetEditValue(v); })
      .Stored([](TObject* O) { return !VarIsNull(static_cast<E*>(O)->EditValue()); });
  Property<Integer>(
      "ItemIndex", [](E* e) { return e->ItemIndex(); }, [](E* e, Integer v) { e->SetItemIndexValue(v); })
      .Stored(false);
}
