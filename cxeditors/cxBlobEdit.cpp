#include "cxBlobEdit.h"

#include "TypInfo.h"

#include <algorithm>

#include "ImgList.h"
#include "Streaming.h"
#include "cxButtons.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxDrawTextUtils.h"
#include "cxEditPaintUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomBlobEditProperties, TcxCustomPopupEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxBlobEditProperties, TcxCustomBlobEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxPopupMemo, TcxMemo)
TOVANI_IMPLEMENT_CLASS(TcxPopupImage, TcxImage)
TOVANI_IMPLEMENT_CLASS(TcxBlobEditPopupWindow, TcxPopupEditPopupWindow)
TOVANI_IMPLEMENT_CLASS(TcxCustomBlobEdit, TcxCustomPopupEdit)
TOVANI_IMPLEMENT_CLASS(TcxBlobEditViewInfo, TcxCustomTextEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxBlobEditViewData, TcxCustomDropDownEditViewData)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxBlobEdit, TcxCustomBlobEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryBlobItem, TcxEditRepositoryItem)
TOVANI_IMPLEMENT_ENUM_INFO(TcxBlobEditKind, "bekAuto", "bekMemo", "bekPict", "bekOle", "bekBlob")
TOVANI_IMPLEMENT_ENUM_INFO(TcxBlobPaintStyle, "bpsDefault", "bpsIcon", "bpsText")

namespace {
const TcxResourceString scxSEditRepositoryBlobItem{"BlobEdit|Represents the BLOB editor"};
const TcxResourceString cxSBlobMemoEmpty{"(memo)"};
const TcxResourceString cxSBlobMemo{"(MEMO)"};
const TcxResourceString cxSBlobPictureEmpty{"(picture)"};
const TcxResourceString cxSBlobPicture{"(PICTURE)"};
const TcxResourceString cxSBlobButtonOK{"&OK"};
const TcxResourceString cxSBlobButtonCancel{"&Cancel"};
const TcxResourceString cxSBlobButtonClose{"&Close"};
Integer GBlobUnitCounter = 0;
std::unique_ptr<TImageList> GIcons;

bool IsNullValue(const Variant& V) { return V.IsNull() || V.IsEmpty() || (VarIsStr(V) && V.AsString().empty()); }

String FirstLine(const String& AText) {
  size_t p = AText.find_first_of("\r\n");
  return p == String::npos ? AText : AText.substr(0, p);
}

// Draws one box icon: a page for BLOB and memo, a frame for pictures, a
// ring for OLE; filled when there is data, hollow grey when null.
void DrawIcon(TBitmap* B, Integer AIndex) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(TRect(0, 0, 18, 16));
  bool data = AIndex % 2 == 1;
  c->Pen()->SetColor(data ? clBlack : clGray);
  c->Brush()->SetColor(data ? clWhite : clSilver);
  switch (AIndex / 2) {
    case 0: c->Rectangle(4, 2, 14, 14); break;
    case 1:
      c->Rectangle(3, 1, 15, 15);
      for (Integer y = 4; y < 13; y += 3) c->MoveTo(5, y), c->LineTo(13, y);
      break;
    case 2:
      c->Rectangle(1, 2, 17, 14);
      c->Brush()->SetColor(data ? clGreen : clGray);
      c->Ellipse(4, 5, 9, 10);
      break;
    default: c->Ellipse(3, 2, 15, 14); break;
  }
}
}  // namespace

TImageList* cxBlobEditIcons() {
  if (!GIcons) {
    GIcons = std::make_unique<TImageList>(nullptr);
    GIcons->SetWidth(18);
    GIcons->SetHeight(16);
    for (Integer i = 0; i < 8; ++i) {
      TBitmap b(18, 16, pf24bit);
      DrawIcon(&b, i);
      GIcons->AddMasked(&b, clOlive);
    }
  }
  return GIcons.get();
}

void cxBlobEditUnitStartup() {
  if (GBlobUnitCounter-- != 0) return;
  cxImageUnitStartup();
  cxMemoUnitStartup();
  cxEditPropertiesRegistry()->AddClass(TcxBlobEditProperties::StaticClass(), cxLoadResourceText(scxSEditRepositoryBlobItem));
  cxRegisterRepositoryItemClass(TcxEditRepositoryBlobItem::StaticClass());
}

void cxBlobEditUnitShutdown() {
  if (GBlobUnitCounter++ != -1) return;
  GIcons.reset();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomBlobEditProperties::TcxCustomBlobEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {
  FPictureGraphicClass = GetDefaultGraphicClass();
  SetImmediatePopup(true);
  SetPopupMinWidth(160);
  SetPopupMinHeight(140);
  if (Buttons()->Count() > 0) Buttons()->Items(0)->SetKind(bkEllipsis);
}

TClass TcxCustomBlobEditProperties::GetDefaultGraphicClass() {
  const auto& list = cxGetGraphicClassList();
  return list.empty() ? nullptr : list.front();
}

String TcxCustomBlobEditProperties::PictureGraphicClassName() const {
  return FPictureGraphicClass ? FPictureGraphicClass->ClassName() : String();
}

void TcxCustomBlobEditProperties::SetPictureGraphicClassName(const String& Value) {
  if (Value.empty()) {
    SetPictureGraphicClass(nullptr);
    return;
  }
  if (TClass c = cxGetGraphicClassByName(Value)) SetPictureGraphicClass(c);
}

void TcxCustomBlobEditProperties::DefineProperties(TFiler* Filer) {
  TcxCustomPopupEditProperties::DefineProperties(Filer);
  // A class set to none survives streaming although the default is TBitmap.
  Filer->DefineProperty(
      "IsPictureGraphicClassNameEmpty",
      [this](TReader* Reader) {
        if (Reader->ReadBoolean()) SetPictureGraphicClass(nullptr);
      },
      [](TWriter* Writer) { Writer->WriteBoolean(true); }, PictureGraphicClassName().empty());
}

TClass TcxCustomBlobEditProperties::GetContainerClass() { return TcxBlobEdit::StaticClass(); }

TClass TcxCustomBlobEditProperties::GetViewDataClass() { return TcxBlobEditViewData::StaticClass(); }
TClass TcxCustomBlobEditProperties::GetViewInfoClass() { return TcxBlobEditViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomBlobEditProperties::CreateViewInfo() { return new TcxBlobEditViewInfo(); }

TcxCustomEditViewData* TcxCustomBlobEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                  bool APreviewMode) {
  auto* vd = new TcxBlobEditViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

TcxEditPopupWindowFactory TcxCustomBlobEditProperties::GetPopupWindowType() {
  return [](TWinControl* AOwner) { return new TcxBlobEditPopupWindow(AOwner); };
}

void TcxCustomBlobEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomBlobEditProperties*>(Source);
  if (!s) {
    TcxCustomPopupEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomPopupEditProperties::Assign(Source);
    FAlwaysSaveData = s->FAlwaysSaveData;
    SetBlobEditKind(s->FBlobEditKind);
    SetBlobPaintStyle(s->FBlobPaintStyle);
    FMemoAutoReplace = s->FMemoAutoReplace;
    SetMemoCharCase(s->FMemoCharCase);
    SetMemoOEMConvert(s->FMemoOEMConvert);
    SetMemoWantReturns(s->FMemoWantReturns);
    SetMemoWantTabs(s->FMemoWantTabs);
    SetMemoWordWrap(s->FMemoWordWrap);
    SetMemoMaxLength(s->FMemoMaxLength);
    SetMemoScrollBars(s->FMemoScrollBars);
    SetPictureAutoSize(s->FPictureAutoSize);
    FPictureFilter = s->FPictureFilter;
    SetPictureGraphicClass(s->FPictureGraphicClass);
    SetPictureTransparency(s->FPictureTransparency);
    SetShowExPopupItems(s->FShowExPopupItems);
    SetShowPicturePopup(s->FShowPicturePopup);
    OnAssignPicture = s->OnAssignPicture;
    OnGetGraphicClass = s->OnGetGraphicClass;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomBlobEditProperties::SetBlobEditKind(TcxBlobEditKind Value) {
  if (FBlobEditKind == Value) return;
  FBlobEditKind = Value;
  if (Buttons()->Count() > 0)
    Buttons()->Items(0)->SetKind(Value == bekMemo || Value == bekPict ? bkDown : bkEllipsis);
  Changed();
}

TcxBlobEditKind TcxCustomBlobEditProperties::ResolveAutoKind() {
  if (FBlobEditKind != bekAuto) return FBlobEditKind;
  IcxEditDefaultValuesProvider* p = DefaultValuesProvider();
  if (p && !p->IsDataReady()) return bekAuto;
  TcxBlobEditKind kind = bekBlob;
  if (p && p->IsDataStorage()) {
    switch (p->DefaultBlobKind()) {
      case 2: kind = bekPict; break;
      case 3: kind = bekMemo; break;
      case 4: kind = bekOle; break;
      default: kind = bekBlob; break;
    }
  }
  LockChanges(true);
  FBlobEditKind = kind;
  LockChanges(false);
  return kind;
}

Integer TcxCustomBlobEditProperties::GetEditFeatureFlags() {
  Integer flags = TcxCustomPopupEditProperties::GetEditFeatureFlags();
  return ResolveAutoKind() == bekPict ? flags | 4 : flags;
}

TcxEditValueSource TcxCustomBlobEditProperties::UsesDataDisplayFormat(bool) {
  IcxEditDefaultValuesProvider* p = DefaultValuesProvider();
  return ResolveAutoKind() == bekMemo && !(p && p->IsBlob()) ? evsText : evsValue;
}

String TcxCustomBlobEditProperties::GetBoxText(const Variant& AValue) {
  TcxBlobEditKind kind = ResolveAutoKind();
  if (FBlobPaintStyle == bpsDefault) {
    if (kind == bekMemo) return cxLoadResourceText(IsNullValue(AValue) ? cxSBlobMemoEmpty : cxSBlobMemo);
    if (kind == bekPict) return cxLoadResourceText(IsNullValue(AValue) ? cxSBlobPictureEmpty : cxSBlobPicture);
    return {};
  }
  if (FBlobPaintStyle == bpsText && kind == bekMemo && VarIsStr(AValue)) return FirstLine(AValue.AsString());
  return {};
}

Integer TcxCustomBlobEditProperties::GetIconIndex(const Variant& AValue) {
  if (FBlobPaintStyle != bpsIcon) return -1;
  Integer base;
  switch (ResolveAutoKind()) {
    case bekMemo: base = 2; break;
    case bekPict: base = 4; break;
    case bekOle: base = 6; break;
    default: base = 0; break;
  }
  return base + (IsNullValue(AValue) ? 0 : 1);
}

String TcxCustomBlobEditProperties::GetDisplayText(const Variant& AEditValue, bool AFullText, bool) {
  if (AEditValue.IsNull()) return {};
  switch (ResolveAutoKind()) {
    case bekMemo:
      if (AFullText && VarIsStr(AEditValue)) return AEditValue.AsString();
      return GetBoxText(AEditValue);
    case bekPict: return cxLoadResourceText(cxSBlobPicture);
    case bekOle: return "OLE";
    case bekBlob: return "BLOB";
    default: return {};
  }
}

bool TcxCustomBlobEditProperties::SameDisplayValue(const Variant& V1, const Variant& V2) {
  return ResolveAutoKind() == bekMemo && FBlobPaintStyle == bpsText && VarIsStr(V1) && VarIsStr(V2) &&
         V1.AsString() == V2.AsString();
}

TClass TcxCustomBlobEditProperties::GetGraphicClass(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard) {
  TClass result = FPictureGraphicClass;
  if (!result && APastingFromClipboard) result = TBitmap::StaticClass();
  if (OnGetGraphicClass) OnGetGraphicClass(AItem, ARecordIndex, APastingFromClipboard, result);
  return result;
}

// ---------------------------------------------------------------------------
// View data and view info

void TcxBlobEditViewData::GetValueDisplayText(const Variant& AEditValue, String& AText) {
  AText = static_cast<TcxCustomBlobEditProperties*>(Properties)->GetBoxText(AEditValue);
}

void TcxBlobEditViewData::GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace,
                                           const TcxEditSizeProperties& ASizeProperties,
                                           TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                           TSize& AFixedSize) {
  TcxCustomDropDownEditViewData::GetFixedPartSize(ACanvas, AIsInplace, ASizeProperties, AViewInfo, AMinContentSize,
                                                  AFixedSize);
  if (static_cast<TcxCustomBlobEditProperties*>(Properties)->BlobPaintStyle() == bpsIcon)
    AFixedSize.cx += cxBlobEditIcons()->Width();
}

void TcxBlobEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                    TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomDropDownEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxBlobEditViewInfo*>(AViewInfo);
  if (!vi) return;
  TImageList* icons = cxBlobEditIcons();
  const TRect& c = vi->ClientRect;
  Integer left = c.Left + (c.Width() - icons->Width()) / 2, top = c.Top + (c.Height() - icons->Height()) / 2;
  vi->IconRect = TRect(left, top, left + icons->Width(), top + icons->Height());
}

void TcxBlobEditViewData::PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                  TcxCustomEditViewInfo* AViewInfo) {
  auto* p = static_cast<TcxCustomBlobEditProperties*>(Properties);
  auto* vi = dynamic_cast<TcxBlobEditViewInfo*>(AViewInfo);
  if (!vi) return;
  vi->IconIndex = p->GetIconIndex(AEditValue);
  if (vi->IconIndex >= 0) {
    vi->Text.clear();
  } else {
    TcxCustomDropDownEditViewData::PrepareViewInfoForPaint(ACanvas, AEditValue, AViewInfo);
  }
}

void TcxBlobEditViewData::CalculateTextLayout(TcxCanvas*, TcxCustomTextEditViewInfo* AViewInfo) {
  // One line, centred vertically; cut with an ellipsis in a window of its
  // own or where the host asks for it.
  Cardinal flags = CXTO_SINGLELINE | CXTO_CENTER_VERTICALLY;
  if (!IsInplace || (AViewInfo->PaintOptions & 8)) flags |= CXTO_END_ELLIPSIS;
  AViewInfo->DrawTextFlags = flags;
}

void TcxBlobEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  TcxCustomTextEditViewInfo::AssignFrom(Source);
  if (auto* s = dynamic_cast<TcxBlobEditViewInfo*>(Source)) {
    IconRect = s->IconRect;
    IconIndex = s->IconIndex;
  }
}

void TcxBlobEditViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomTextEditViewInfo::MoveBy(DX, DY);
  OffsetRect(IconRect, DX, DY);
}

void TcxBlobEditViewInfo::PaintContent(TcxCanvas* ACanvas) {
  if (!::RectVisible(ACanvas->Handle(), Bounds.AsRECT())) return;
  if (IconIndex < 0 && !Text.empty()) {
    cxDrawEditBackgroundAndButtons(ACanvas, this, !Transparent, BackgroundKind());
    TCanvas* c = ACanvas->Canvas();
    if (Font) c->Font()->Assign(Font);
    c->Font()->SetColor(TextColor);
    c->Brush()->SetStyle(bsClear);
    TRect r = TextRect;
    cxLayoutAndDrawCanvasText(c, Text, r, DrawTextFlags, 0, 0, clNone, clNone, 0);
    c->Brush()->SetStyle(bsSolid);
  } else {
    if (IconIndex >= 0) {
      TImageList* icons = cxBlobEditIcons();
      TRect clip;
      IntersectRect(clip, IconRect, ClientRect);
      ACanvas->PushClipRegion();
      ACanvas->IntersectClip(clip);
      if (!Transparent) cxFillSolidRect(ACanvas, clip, BackgroundColor);
      icons->Draw(ACanvas->Canvas(), IconRect.Left, IconRect.Top, IconIndex, Enabled);
      ACanvas->PopClipRegion();
      ACanvas->ExcludeFromClip(clip);
    }
    cxDrawEditBackgroundAndButtons(ACanvas, this, !Transparent, BackgroundKind());
  }
  if (Focused && !IsInplace && !HasPopupWindow) {
    TRect f = ClientRect;
    InflateRect(f, -1, -1);
    ACanvas->DrawFocusRect(f);
  }
}

// ---------------------------------------------------------------------------
// Popup controls

TcxPopupMemo::TcxPopupMemo(TcxCustomBlobEdit* ABlobEdit) : TcxMemo(nullptr), FBlobEdit(ABlobEdit) {}

void TcxPopupMemo::KeyDown(Word& Key, TShiftState Shift) {
  bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
  TcxCustomBlobEditProperties* p = FBlobEdit->ActiveProperties();
  if ((Key == VK_F4 && !alt) || (alt && (Key == VK_UP || Key == VK_DOWN))) {
    FBlobEdit->CloseFromPopup(p->AlwaysSaveData());
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    FBlobEdit->CloseFromPopup(false);
    Key = 0;
  } else if (Key == VK_RETURN && (ctrl || !p->MemoWantReturns())) {
    FBlobEdit->CloseFromPopup(true);
    Key = 0;
  }
  if (Key != 0) {
    TcxMemo::KeyDown(Key, Shift);
    return;
  }
  // The key that closed the popup types nothing into the memo (a quit
  // request met on the way is posted again).
  MSG m;
  if (InnerTextEdit() && InnerTextEdit()->HandleAllocated())
    while (PeekMessageW(&m, InnerTextEdit()->Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
      if (m.message == WM_QUIT) {
        PostQuitMessage(Integer(m.wParam));
        break;
      }
}

TcxPopupImage::TcxPopupImage(TcxCustomBlobEdit* ABlobEdit) : TcxImage(nullptr), FBlobEdit(ABlobEdit) {}

void TcxPopupImage::KeyDown(Word& Key, TShiftState Shift) {
  bool alt = Shift.Contains(ssAlt);
  if ((Key == VK_F4 && !alt) || (alt && (Key == VK_UP || Key == VK_DOWN))) {
    FBlobEdit->CloseFromPopup(FBlobEdit->ActiveProperties()->AlwaysSaveData());
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    FBlobEdit->CloseFromPopup(false);
    Key = 0;
  } else if (Key == VK_RETURN) {
    FBlobEdit->CloseFromPopup(true);
    Key = 0;
  }
  if (Key != 0) TcxImage::KeyDown(Key, Shift);
}

void TcxBlobEditPopupWindow::ForwardChar(char32_t Ch) {
  auto* blob = dynamic_cast<TcxCustomBlobEdit*>(Edit());
  auto* memo = blob ? dynamic_cast<TcxPopupMemo*>(blob->PopupContent()) : nullptr;
  if (!memo || memo->ActiveProperties()->ReadOnly() || !blob->ActiveProperties()->MemoAutoReplace()) {
    TcxPopupEditPopupWindow::ForwardChar(Ch);
    return;
  }
  // The typed character starts the text afresh.
  memo->SetText(Utf8Encode(Ch));
  memo->SetSelStart(1);
  memo->SetSelLength(0);
  memo->SetEditChanged(true);
  memo->SetModified(true);
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomBlobEdit::TcxCustomBlobEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomPopupEdit(AOwner, AIsInplace,
                         AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                           return new TcxCustomBlobEditProperties(O);
                         }) {
  cxBlobEditUnitStartup();
  SetControlStyle(ControlStyle() - csSetCaption);
  SetTabStop(true);
  // The box shows its value itself (an icon or a word), not in the edit window.
  if (InnerTextEdit()) InnerTextEdit()->SetVisible(false);
}

TcxCustomBlobEdit::~TcxCustomBlobEdit() { DestroyPopupControls(); }

void TcxCustomBlobEdit::DestroyPopupControls() {
  if (ActiveProperties()->PopupControl() == FPopupControl.get()) ActiveProperties()->SetPopupControl(nullptr);
  FOKButton.reset();
  FCancelButton.reset();
  FPopupControl.reset();
}

void TcxCustomBlobEdit::PopupControlEditing(TObject*, bool& CanEdit) { CanEdit = CanModify(); }

void TcxCustomBlobEdit::CreatePopupButtons() {
  TcxCustomBlobEditProperties* p = ActiveProperties();
  TcxCustomEditPopupWindow* w = PopupWindow();
  // Without a way to change the value the only button closes the popup.
  const bool canChange = !p->ReadOnly() && DataBinding()->HasData();
  const String cancelCaption = cxLoadResourceText(canChange ? cxSBlobButtonCancel : cxSBlobButtonClose);
  const String okCaption = cxLoadResourceText(cxSBlobButtonOK);
  TFont* font = Style()->GetVisibleTextFont();
  TCanvas* c = cxSharedScreenCanvas()->Canvas();
  c->Font()->Assign(font);
  FButtonWidth = std::max(c->TextWidth(okCaption + "00"), c->TextWidth(cancelCaption + "00"));
  FButtonHeight = MulDiv(c->TextHeight("Wg"), 20, 13);
  auto setUp = [&](std::unique_ptr<TcxButton>& AButton, const String& ACaption, TModalResult AResult) {
    if (!AButton) AButton = std::make_unique<TcxButton>(nullptr);
    AButton->SetUseSystemPaint(false);
    AButton->Font()->Assign(font);
    AButton->LookAndFeel()->SetMaster(PopupControlsLookAndFeel());
    AButton->SetCaption(ACaption);
    AButton->SetModalResult(AResult);
    AButton->SetBounds(0, 0, FButtonWidth, FButtonHeight);
    AButton->SetParent(w);
  };
  setUp(FCancelButton, cancelCaption, mrCancel);
  FCancelButton->SetCancel(true);
  if (canChange) {
    setUp(FOKButton, okCaption, mrOk);
    auto* edit = dynamic_cast<TcxCustomEdit*>(FPopupControl.get());
    FOKButton->SetEnabled(edit && edit->Modified());
    FOKButton->SetDefault(false);
  } else {
    FOKButton.reset();
  }
  const Integer h = FButtonHeight;
  w->SetMinSysPanelHeight(h + h / 3);
  p->SetPopupMinWidth(GetSystemMetrics(SM_CXVSCROLL) + (h / 3 + FButtonWidth) * (FOKButton ? 2 : 1) + h / 2);
}

void TcxCustomBlobEdit::PreparePopup() {
  if (FCancelButton) Style()->SetPopupCloseButton(false);
  TcxCustomPopupEdit::PreparePopup();
  if (!FCancelButton) return;
  // The buttons sit at the panel's far end, clear of the size grip, centred
  // in the panel and nudged toward its outer edge; they follow that corner
  // when the user resizes the popup.
  TcxCustomEditPopupWindowViewInfo* vi = PopupWindow()->ViewInfo();
  TRect panel = vi->SysPanelBounds;
  if (vi->IsGripAtBottom())
    panel.Top = panel.Bottom - vi->SysPanelHeight;
  else
    panel.Bottom = panel.Top + vi->SysPanelHeight;
  const Integer h = FButtonHeight;
  Integer right = panel.Right - h / 6;
  if (vi->IsGripAtRight() && !vi->SizeGripRect.IsEmpty()) right = std::min<Integer>(right, vi->SizeGripCornerRect.Left - h / 6);
  Integer top = panel.Top + (panel.Height() - h) / 2 + (vi->IsGripAtBottom() ? 2 : -2);
  TAnchors anchors = TAnchors{akRight} + (vi->IsGripAtBottom() ? akBottom : akTop);
  FCancelButton->SetAnchors(anchors);
  FCancelButton->SetBounds(right - FButtonWidth, top, FButtonWidth, h);
  FCancelButton->SetVisible(true);
  if (FOKButton) {
    FOKButton->SetAnchors(anchors);
    FOKButton->SetBounds(right - FButtonWidth - h / 3 - FButtonWidth, top, FButtonWidth, h);
    FOKButton->SetVisible(true);
  }
}

void TcxCustomBlobEdit::CreatePopupControls() {
  TcxCustomBlobEditProperties* p = ActiveProperties();
  TcxBlobEditKind kind = p->ResolveAutoKind();
  TClass wanted = kind == bekMemo ? TcxPopupMemo::StaticClass() : kind == bekPict ? TcxPopupImage::StaticClass() : nullptr;
  if (FPopupControl && (!wanted || FPopupControl->ClassType() != wanted)) DestroyPopupControls();
  if (!wanted) return;
  bool readOnly = !CanModify();
  if (kind == bekMemo) {
    auto* memo = dynamic_cast<TcxPopupMemo*>(FPopupControl.get());
    if (!memo) FPopupControl.reset(memo = new TcxPopupMemo(this));
    memo->Properties()->SetCharCase(p->MemoCharCase());
    memo->Properties()->SetOEMConvert(p->MemoOEMConvert());
    memo->Properties()->SetImeMode(p->ImeMode());
    memo->Properties()->SetImeName(p->ImeName());
    memo->Style()->SetBorderStyle(cbsNone);
    memo->Properties()->SetReadOnly(readOnly);
    memo->Properties()->SetMaxLength(p->MemoMaxLength());
    memo->Properties()->SetScrollBars(p->MemoScrollBars());
    memo->Properties()->SetWantReturns(p->MemoWantReturns());
    memo->Properties()->SetWantTabs(p->MemoWantTabs());
    memo->Properties()->SetWordWrap(p->MemoWordWrap());
    p->SetPopupAutoSize(false);
    memo->SetEditValue(EditValue());
    memo->SetModified(false);
    memo->Style()->Font()->Assign(Style()->GetVisibleTextFont());
    memo->Style()->SetColor(Style()->Color());
  } else {
    auto* image = dynamic_cast<TcxPopupImage*>(FPopupControl.get());
    if (!image) {
      FPopupControl.reset(image = new TcxPopupImage(this));
      // A picture the image's own dialogs accept is saved first, unless the
      // popup is open (closing it saves).
      image->Properties()->OnClosePopup = [this](TObject*, Integer AReason) {
        if (HasPopupWindow()) return;
        if (TcxPopupCloseReason(AReason) == pcrAccept) SavePopupData();
        NotifyClosePopup(AReason);
      };
    }
    image->Style()->SetBorderStyle(cbsNone);
    image->Properties()->SetReadOnly(readOnly);
    image->Properties()->SetShowFocusRect(false);
    image->Properties()->SetStretch(true);
    image->Properties()->SetCustomFilter(p->PictureFilter());
    image->Properties()->SetGraphicTransparency(p->PictureTransparency());
    image->Properties()->SetGraphicClass(p->PictureGraphicClass());
    TcxPopupMenuItems items = image->Properties()->PopupMenuLayout()->MenuItems();
    if (!p->ShowPicturePopup())
      items = {};
    else if (!p->ShowExPopupItems())
      items = items - TcxPopupMenuItems{pmiLoad, pmiSave};
    image->Properties()->PopupMenuLayout()->SetMenuItems(items);
    cxLoadPicture(image->Picture(), p->GetGraphicClass(this, -1, false), EditValue());
    image->SetModified(false);
    p->SetPopupAutoSize(p->PictureAutoSize());
  }
  auto* edit = static_cast<TcxCustomEdit*>(FPopupControl.get());
  if (!edit->OnEditing) {
    edit->OnEditing = [this](TObject* Sender, bool& CanEdit) { PopupControlEditing(Sender, CanEdit); };
    // A change in the popup makes OK the button Enter presses.
    edit->GetEffectiveProperties()->OnChange = [this](TObject*) {
      if (!FOKButton) return;
      FOKButton->SetEnabled(true);
      FOKButton->SetDefault(true);
    };
  }
  edit->Style()->LookAndFeel()->SetMaster(PopupControlsLookAndFeel());
  p->SetPopupControl(FPopupControl.get());
  p->SetPopupSysPanelStyle(true);
  FPopupControl->SetParent(PopupWindow());
  CreatePopupButtons();
}

void TcxCustomBlobEdit::InitializePopup() {
  FSaveRequested = FCancelRequested = false;
  CreatePopupControls();
  TcxCustomPopupEdit::InitializePopup();
}

void TcxCustomBlobEdit::GetPopupContentSize(TSize& ASize) {
  TcxCustomBlobEditProperties* p = ActiveProperties();
  if (p->ResolveAutoKind() == bekPict && p->PictureAutoSize())
    if (auto* image = dynamic_cast<TcxPopupImage*>(FPopupControl.get())) {
      ASize = TSize(image->Picture()->Width() + 4, image->Picture()->Height() + 4);
      return;
    }
  if (FPopupControl) {
    ASize = TSize(std::max<Integer>(p->PopupWidth(), p->PopupMinWidth()), std::max<Integer>(p->PopupHeight(), p->PopupMinHeight()));
    return;
  }
  TcxCustomPopupEdit::GetPopupContentSize(ASize);
}

void TcxCustomBlobEdit::CloseFromPopup(bool ASave) {
  FSaveRequested = ASave;
  FCancelRequested = !ASave;
  ClosePopup(ASave ? pcrAccept : pcrCancel);
}

void TcxCustomBlobEdit::SavePopupData() {
  auto* edit = dynamic_cast<TcxCustomEdit*>(FPopupControl.get());
  if (!edit || !edit->Modified()) return;
  TcxPopupCloseReason reason = CloseUpReason();
  bool accepted = FSaveRequested || reason == pcrAccept;
  bool cancelled = FCancelRequested || reason == pcrCancel;
  if (!(accepted || (!cancelled && ActiveProperties()->AlwaysSaveData()))) return;
  if (!RequestEditing()) return;
  Variant v;
  if (auto* memo = dynamic_cast<TcxPopupMemo*>(edit))
    v = Variant(memo->Text());
  else
    edit->GetEditValue(v);
  TcxCustomEdit::InternalSetEditValue(v, false);
  SetEditChanged(true);
  if (auto* image = dynamic_cast<TcxPopupImage*>(edit)) {
    HoldEditValueSetting(true);
    try {
      if (Properties()->OnAssignPicture) Properties()->OnAssignPicture(this, image->Picture());
      if (auto* item = RepositoryItem())
        if (auto* p = dynamic_cast<TcxCustomBlobEditProperties*>(item->Properties()); p && p->OnAssignPicture)
          p->OnAssignPicture(this, image->Picture());
    } catch (...) {
      HoldEditValueSetting(false);
      throw;
    }
    HoldEditValueSetting(false);
    // As the image editor's validation: ask for editing without losing the
    // modified state.
    PushModifiedState();
    SetModified(false);
    RequestEditing();
    PopModifiedState();
  }
  NotifyChange();
  if (ActiveProperties()->ImmediatePost() && DataBinding()->HasValueToPost() && ValidateInput(false)) PostValue(false);
}

void TcxCustomBlobEdit::HandlePopupClosed() {
  HoldChangeEvents(true);
  try {
    SavePopupData();
    TcxCustomPopupEdit::HandlePopupClosed();
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  UpdateStateFromCursor();
  Invalidate();
}

// An open popup follows the settings and the look that change meanwhile.
void TcxCustomBlobEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomPopupEdit::PropertiesChanged(Sender);
  if (HandleAllocated()) UpdateStateFromCursor();
  if (!HasPopupWindow()) return;
  TcxCustomBlobEditProperties* p = ActiveProperties();
  if (auto* image = dynamic_cast<TcxPopupImage*>(FPopupControl.get()))
    image->Properties()->SetGraphicClass(p->PictureGraphicClass());
  if (TcxPopupMemo* memo = OpenPopupMemo()) {
    memo->Properties()->SetImeMode(p->ImeMode());
    memo->Properties()->SetImeName(p->ImeName());
  }
}

void TcxCustomBlobEdit::ContainerStyleChanged(TObject* Sender) {
  TcxCustomPopupEdit::ContainerStyleChanged(Sender);
  if (!HasPopupWindow() || IsDestroying()) return;
  TFont* font = Style()->GetVisibleTextFont();
  if (TcxPopupMemo* memo = OpenPopupMemo()) {
    memo->Style()->Font()->Assign(font);
    memo->Style()->SetColor(Style()->Color());
  }
  for (TcxButton* b : {FCancelButton.get(), FOKButton.get()})
    if (b) b->Font()->Assign(font);
}

void TcxCustomBlobEdit::GetCurrentValue(Variant& AValue) {
  if (HasPopupWindow() && FPopupControl) {
    if (auto* memo = dynamic_cast<TcxPopupMemo*>(FPopupControl.get())) {
      AValue = Variant(memo->Text());
      return;
    }
    if (auto* image = dynamic_cast<TcxPopupImage*>(FPopupControl.get())) {
      image->GetEditValue(AValue);
      return;
    }
  }
  AValue = EditValue();
}

TcxPopupMemo* TcxCustomBlobEdit::OpenPopupMemo() {
  return HasPopupWindow() ? dynamic_cast<TcxPopupMemo*>(FPopupControl.get()) : nullptr;
}

String TcxCustomBlobEdit::Text() {
  const Variant& v = EditValue();
  if (ComponentState().Contains(csDesigning)) return VarToStrDef(v, "");
  if (ActiveProperties()->ResolveAutoKind() != bekMemo) return {};
  if (TcxPopupMemo* memo = OpenPopupMemo()) return memo->Text();
  return VarIsStr(v) ? v.AsString() : String();
}

void TcxCustomBlobEdit::SetText(const String& Value) {
  if (!ComponentState().Contains(csDesigning) && ActiveProperties()->ResolveAutoKind() != bekMemo) return;
  if (TcxPopupMemo* memo = OpenPopupMemo())
    memo->SetText(Value);
  else
    SetEditValue(Variant(Value));
}

void TcxCustomBlobEdit::SetDisplayValueFromData(const Variant&) {
  // The box paints its value itself; the hidden edit window stays empty.
  TcxCustomPopupEdit::SetDisplayValueFromData(Variant(String()));
}

void TcxCustomBlobEdit::SetDisplayValueLocked(const Variant& AValue) {
  TcxCustomPopupEdit::SetDisplayValueLocked(AValue);
  if (ActiveProperties()->ResolveAutoKind() == bekMemo)
    if (TcxPopupMemo* memo = OpenPopupMemo()) memo->SetText(VarToStrDef(AValue, ""));
}

// The value follows the text only where there is text to follow: an open
// popup memo. Any other kind keeps its value as it is.
void TcxCustomBlobEdit::SynchronizeEditValue() {
  if (ActiveProperties()->ResolveAutoKind() != bekMemo || !FPopupControl) return;
  TcxPopupMemo* memo = OpenPopupMemo();
  if (!memo) return;
  Variant v(memo->Text());
  if (cxVarSameTypeAndValue(EditValue(), v)) return;
  StoreEditValue(v);
  NotifyEditValueChanged();
}

void TcxCustomBlobEdit::ChangeText(const String& AText) {
  if (ActiveProperties()->ResolveAutoKind() != bekMemo) return;
  if (TcxPopupMemo* memo = OpenPopupMemo()) {
    memo->SetText(AText);
    return;
  }
  TcxCustomPopupEdit::ChangeText(AText);
}

void TcxCustomBlobEdit::UpdateDrawValue() {
  PrepareEditText();
  UpdateStateFromCursor();
}

// The box's icon or text follows the value (the hidden edit window shows
// nothing).
void TcxCustomBlobEdit::PrepareEditText() {
  if (InnerEditNotReady()) return;
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  vd->PrepareViewInfoForPaint(cxCanvas(), EditValue(), GetViewInfo());
  if (!HandleAllocated()) return;
  RecalcViewInfoAtCursor();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

TcxBlobEdit::TcxBlobEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomBlobEdit(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxBlobEditProperties(O);
      }) {}

// ---------------------------------------------------------------------------
// Streaming

TOVANI_PUBLISHED(TcxBlobEditProperties) {
  using P = TcxBlobEditProperties;
  Property("AlwaysSaveData", &P::AlwaysSaveData, &P::SetAlwaysSaveData).Default(true);
  Property("BlobEditKind", &P::BlobEditKind, &P::SetBlobEditKind).Default(bekAuto);
  Property("BlobPaintStyle", &P::BlobPaintStyle, &P::SetBlobPaintStyle).Default(bpsIcon);
  Property("MemoAutoReplace", &P::MemoAutoReplace, &P::SetMemoAutoReplace).Default(false);
  Property("MemoCharCase", &P::MemoCharCase, &P::SetMemoCharCase).Default(ecNormal);
  Property("MemoMaxLength", &P::MemoMaxLength, &P::SetMemoMaxLength).Default(0);
  Property("MemoOEMConvert", &P::MemoOEMConvert, &P::SetMemoOEMConvert).Default(false);
  Property("MemoScrollBars", &P::MemoScrollBars, &P::SetMemoScrollBars).Default(ssNone);
  Property("MemoWantReturns", &P::MemoWantReturns, &P::SetMemoWantReturns).Default(true);
  Property("MemoWantTabs", &P::MemoWantTabs, &P::SetMemoWantTabs).Default(true);
  Property("MemoWordWrap", &P::MemoWordWrap, &P::SetMemoWordWrap).Default(true);
  Property("PictureAutoSize", &P::PictureAutoSize, &P::SetPictureAutoSize).Default(true);
  Property("PictureFilter", &P::PictureFilter, &P::SetPictureFilter);
  Property<String>(
      "PictureGraphicClassName", [](P* p) { return p->PictureGraphicClassName(); },
      [](P* p, const String& v) { p->SetPictureGraphicClassName(v); })
      .Stored([](TObject* o) {
        auto* p = static_cast<P*>(o);
        return p->PictureGraphicClass() && p->PictureGraphicClass() != p->GetDefaultGraphicClass();
      });
  Property("PictureTransparency", &P::PictureTransparency, &P::SetPictureTransparency).Default(gtDefault);
  Property("ShowExPopupItems", &P::ShowExPopupItems, &P::SetShowExPopupItems).Default(true);
  Property("ShowPicturePopup", &P::ShowPicturePopup, &P::SetShowPicturePopup).Default(true);
  // The BLOB editor's own defaults of the popup editor's settings.
  Property<bool>(
      "ImmediatePopup", [](P* p) { return p->ImmediatePopup(); }, [](P* p, bool v) { p->SetImmediatePopup(v); })
      .Default(true);
  Property<Integer>(
      "PopupMinHeight", [](P* p) { return p->PopupMinHeight(); }, [](P* p, Integer v) { p->SetPopupMinHeight(v); })
      .Default(140);
  Property<Integer>(
      "PopupMinWidth", [](P* p) { return p->PopupMinWidth(); }, [](P* p, Integer v) { p->SetPopupMinWidth(v); })
      .Default(160);
}

TOVANI_PUBLISHED(TcxBlobEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  using C = TcxBlobEdit;
  Property<TcxBlobEditProperties*>(
      "Properties", [](C* c) { return c->Properties(); }, [](C* c, TcxBlobEditProperties* v) { c->Properties()->Assign(v); });
  Property<TcxEditStyle*>("Style", [](C* c) { return c->Style(); }, [](C* c, TcxEditStyle* v) { c->SetStyle(v); });
}
