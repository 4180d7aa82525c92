// The date editor: its properties, mask mode, popup calendar and window.
#include <windows.h>

#include <cmath>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Variant.h"
#include "cxCalendar.h"
#include "cxClasses.h"
#include "cxFilterControlUtils.h"
#include "cxFormats.h"
#include "cxGeometry.h"

TOVANI_IMPLEMENT_CLASS(TcxDateEditPropertiesValues, TcxTextEditPropertiesValues)
TOVANI_IMPLEMENT_CLASS(TcxCustomDateEditProperties, TcxCustomPopupEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDateEditProperties, TcxCustomDateEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxDateEditMaskStandardMode, TcxMaskEditStandardMode)
TOVANI_IMPLEMENT_CLASS(TcxPopupCalendar, TcxCustomCalendar)
TOVANI_IMPLEMENT_CLASS(TcxDateEditPopupWindow, TcxPopupEditPopupWindow)
TOVANI_IMPLEMENT_CLASS(TcxCustomDateEdit, TcxCustomPopupEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDateEdit, TcxCustomDateEdit)

namespace {
const TcxResourceString cxSDateError{"Invalid Date"};
const TcxResourceString cxSEditDateConvertError{"Could not convert to date"};
const TcxResourceString cxSEditDateDescription{"DateEdit|Represents an edit control with a dropdown calendar"};

Variant DateVariant(TDateTime D) { return VarFromDateTime(D); }

bool IsSoftNull(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

// The time fraction of a date as a positive number of days.
TDateTime DayTime(TDateTime D) { return std::fabs(D - std::trunc(D)); }
// Whole days plus a time, the time counted away from day zero.
TDateTime WithTime(TDateTime ADay, TDateTime ATime) {
  const TDateTime Day = std::trunc(ADay);
  return Day + (Day < 0 ? -ATime : ATime);
}

TDateTime TodayFor(TcxCalendarKind AKind) { return AKind == ckDateTime ? Now() : Date(); }

class TcxFilterDateEditHelper : public TcxFilterDropDownEditHelper {
  TOVANI_CLASS(TcxFilterDateEditHelper, TcxFilterDropDownEditHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxDateEdit::StaticClass(); }
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    // Dates add the date-range operators, codes 15 to 36.
    TcxFilterEditOperators R = cxOrderedValueFilterOperators(AExtended);
    if (AExtended)
      for (Integer B = 15; B <= 36; ++B) R |= cxFilterOperatorBit(B);
    return R;
  }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool AKeepButtons) const override {
    TcxFilterDropDownEditHelper::InitFilterProperties(AProperties, ASourceProperties, AKeepButtons);
    if (auto* P = dynamic_cast<TcxCustomDateEditProperties*>(AProperties)) {
      P->SetDateButtons({btnClear, btnToday});
      P->SetDateOnError(deNull);
      P->SetInputKind(ikRegExpr);
      P->SetSaveTime(true);
    }
  }
};

Integer GUnitCounter = 0;
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterDateEditHelper, TcxFilterDropDownEditHelper)

// ---------------------------------------------------------------------------
// Assigned values

void TcxDateEditPropertiesValues::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxDateEditPropertiesValues*>(Source);
  BeginOwnerUpdate();
  TcxTextEditPropertiesValues::Assign(Source);
  if (S) {
    SetDateButtons(S->FDateButtons);
    SetInputKind(S->FInputKind);
  }
  EndOwnerUpdate();
}

void TcxDateEditPropertiesValues::ResetAssigned() {
  BeginOwnerUpdate();
  TcxTextEditPropertiesValues::ResetAssigned();
  SetDateButtons(false);
  SetInputKind(false);
  EndOwnerUpdate();
}

void TcxDateEditPropertiesValues::SetDateButtons(bool Value) {
  if (FDateButtons == Value) return;
  FDateButtons = Value;
  NotifyOwnerChanged();
}

void TcxDateEditPropertiesValues::SetInputKind(bool Value) {
  if (FInputKind == Value) return;
  FInputKind = Value;
  NotifyOwnerChanged();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomDateEditProperties::TcxCustomDateEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {
  cxCalendarUnitStartup();
  SetAssignedValuesObject(new TcxDateEditPropertiesValues(this));
  SetCaseInsensitive(true);
  SetImmediateDropDown(false);
  SetPopupSizeable(false);
  UpdateEditMask();
}

TDateButtons TcxCustomDateEditProperties::DateButtons() {
  if (AssignedValues()->DateButtons()) return FDateButtons;
  return FKind == ckDateTime ? TDateButtons{btnClear, btnNow} : TDateButtons{btnClear, btnToday};
}

void TcxCustomDateEditProperties::SetDateButtons(TDateButtons Value) {
  if (AssignedValues()->DateButtons() && FDateButtons == Value) return;
  FDateButtons = Value;
  AssignedValues()->SetDateButtons(true);
  Changed();
}

TcxInputKind TcxCustomDateEditProperties::InputKind() {
  if (!cxIsGregorianCalendar()) return ikStandard;
  if (AssignedValues()->InputKind()) return FInputKind;
  return FKind == ckDateTime ? ikMask : ikRegExpr;
}

void TcxCustomDateEditProperties::SetInputKind(TcxInputKind Value) {
  if (AssignedValues()->InputKind() && FInputKind == Value) return;
  FInputKind = Value;
  AssignedValues()->SetInputKind(true);
  Changed();
}

void TcxCustomDateEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomDateEditProperties*>(Source);
  if (!S) {
    TcxCustomPopupEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomPopupEditProperties::Assign(Source);
    FArrowsForYear = S->FArrowsForYear;
    AssignedValues()->SetDateButtons(false);
    if (S->AssignedValues()->DateButtons()) SetDateButtons(S->FDateButtons);
    FDateOnError = S->FDateOnError;
    AssignedValues()->SetInputKind(false);
    if (S->AssignedValues()->InputKind()) SetInputKind(S->FInputKind);
    FKind = S->FKind;
    FSaveTime = S->FSaveTime;
    FShowTime = S->FShowTime;
    FWeekNumbers = S->FWeekNumbers;
    FYearsInMonthList = S->FYearsInMonthList;
    Changed();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomDateEditProperties::Changed() {
  // Every change may change the mask (kind, input kind, the locale's
  // formats); it is set up again without a second notice.
  if (!IsChangingLocked()) {
    BeginUpdate();
    UpdateEditMask();
    EndUpdate(false);
  }
  TcxCustomPopupEditProperties::Changed();
}

void TcxCustomDateEditProperties::UpdateEditMask() {
  LockChanges(true);
  try {
    TcxFormatController* F = cxGetFormatController();
    switch (InputKind()) {
      case ikMask:
        SetMaskKind(emkStandard);
        SetEditMask(FKind == ckDateTime ? F->DateTimeStandardMask : F->DateStandardMask);
        break;
      case ikRegExpr:
        SetMaskKind(emkRegExprEx);
        SetEditMask(FKind == ckDateTime ? F->DateTimeRegExprMask : F->DateRegExprMask);
        break;
      case ikStandard: SetEditMask(""); break;
    }
  } catch (...) {
    LockChanges(false);
    throw;
  }
  LockChanges(false);
}

TClass TcxCustomDateEditProperties::GetContainerClass() { return TcxDateEdit::StaticClass(); }

TcxMaskEditModeFactory TcxCustomDateEditProperties::GetMaskModeClass(TcxEditMaskKind AMaskKind) {
  if (AMaskKind != emkStandard) return TcxCustomPopupEditProperties::GetMaskModeClass(AMaskKind);
  return [this](IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties) -> TcxMaskEditCustomMode* {
    return new TcxDateEditMaskStandardMode(AEdit, AProperties, this);
  };
}

TcxEditPopupWindowFactory TcxCustomDateEditProperties::GetPopupWindowType() {
  return [](TWinControl* AOwner) -> TcxCustomEditPopupWindow* { return new TcxDateEditPopupWindow(AOwner); };
}

bool TcxCustomDateEditProperties::IsValueBoundDefined(Integer ABound) {
  const double Lo = GetMinValue(), Hi = GetMaxValue();
  if (Lo != 0 && Hi != 0) return Hi > Lo;
  return (ABound == 0 ? Lo : Hi) != 0;
}

bool TcxCustomDateEditProperties::HasValueBounds() {
  const double Lo = GetMinValue(), Hi = GetMaxValue();
  if (Lo != 0 && Hi != 0) return Hi > Lo;
  return Lo != 0 || Hi != 0;
}

bool TcxCustomDateEditProperties::GetTimePartInfo(Integer Position, TcxTimePartInfo& Info) {
  TcxFormatController* F = cxGetFormatController();
  if (FKind != ckDateTime || InputKind() != ikMask || F->DateTimeStandardMaskFixed) return false;
  TcxDateTimeFormatItemInfo Item;
  if (!cxFindFormatItemAtMaskPos(F->ParsedDateTimeFormat, Position, Item)) return false;
  switch (Item.Kind) {
    case fikHour: Info.Kind = 0; break;
    case fikMinute: Info.Kind = 1; break;
    case fikSecond: Info.Kind = 2; break;
    case fikAmPm: Info.Kind = 3; break;
    default: return false;
  }
  Info.Start = Item.ItemZoneStart;
  Info.Length = Item.ItemZoneLength;
  Info.AMPMKind = Item.TimeSuffixKind;
  bool TwelveHour = false;
  for (const TcxDateTimeFormatItem& I : F->ParsedDateTimeFormat.Items)
    if (I.Kind == fikHour && I.Data.rfind("12", 0) == 0) TwelveHour = true;
  Info.Use24HourFormat = !TwelveHour;
  return true;
}

char32_t TcxCustomDateEditProperties::GetMaskBlankChar(Integer Position) {
  TcxTimePartInfo Info;
  if (GetTimePartInfo(Position, Info)) return Info.Kind == 3 ? 0 : U'0';
  return U' ';
}

char32_t TcxDateEditMaskStandardMode::GetBlankChar(Integer Position) {
  return FDateProperties->GetMaskBlankChar(Position);
}

void TcxCustomDateEditProperties::GetEmptyDisplayText(bool AFocused, String& AText) {
  AText = GetEmptyMaskText();
  TcxFormatController* F = cxGetFormatController();
  if (!AFocused || FKind != ckDateTime || InputKind() != ikMask || F->DateTimeStandardMaskFixed) return;
  // A masked date-time editor shows blanks for the date and a zero time.
  Integer N = 0;
  for (const TcxDateTimeFormatItem& I : F->ParsedTimeFormat.Items) {
    TcxDateTimeFormatInfo One;
    One.Items.push_back(I);
    N += TcxFormatController::MaskLengthOf(One);
  }
  const String Zero = cxDateTimeToDisplayText(true, true, false, 0);
  if (N <= 0 || Integer(AText.size()) < N || Integer(Zero.size()) < N) return;
  AText.replace(AText.size() - N, N, Zero.substr(Zero.size() - N));
}

void TcxCustomDateEditProperties::TextToDate(const String& AText, Variant& AValue) {
  AValue = Variant::Null();
  TDateTime D = NullDate;
  if (AText != GetEmptyMaskText() && AText != EmptyDisplayText(true))
    cxTryTextToDateTime(AText, !cxGetFormatController()->UsePlatformDateFormats, D);
  if (D != NullDate)
    AValue = DateVariant(D);
  else if (FDateOnError == deToday)
    AValue = DateVariant(TodayFor(FKind));
}

bool TcxCustomDateEditProperties::ShowsTimePart(bool AEditFocused, TDateTime ADate) {
  if (!AEditFocused) return FKind == ckDateTime || FShowTime;
  const bool HasTime = DayTime(ADate) != 0;
  if (FKind == ckDateTime) return HasTime || InputKind() == ikMask;
  return FShowTime && HasTime && InputKind() == ikStandard;
}

String TcxCustomDateEditProperties::DateDisplayText(TDateTime ADate) {
  return TrimRight(cxDateTimeToDisplayText(InputKind() == ikMask, FKind == ckDateTime, false, ADate));
}

void TcxCustomDateEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  if (IsSoftNull(AEditValue) || cxIsNullDateValue(AEditValue)) {
    ADisplayValue = Variant(EmptyDisplayText(AEditFocused));
    return;
  }
  TDateTime D;
  if (VarIsStr(AEditValue)) {
    Variant V;
    TextToDate(VarToStr(AEditValue), V);
    if (IsSoftNull(V) || cxIsNullDateValue(V)) throw EConvertError(cxLoadResourceText(cxSEditDateConvertError));
    D = V.AsDouble();
  } else if (VarIsType(AEditValue, varDate) || VarIsNumeric(AEditValue)) {
    D = AEditValue.AsDouble();
  } else {
    throw EConvertError(cxLoadResourceText(cxSEditDateConvertError));
  }
  if (!ShowsTimePart(AEditFocused, D)) D = std::trunc(D);
  String Text = AEditFocused ? cxDateTimeToDisplayText(InputKind() == ikMask, FKind == ckDateTime, false, D)
                             : cxDateTimeToDisplayText(false, false, false, D);
  Text = TrimRight(Text);
  ADisplayValue = Variant(Text);
  if (AEditFocused && IsMasked()) TcxCustomPopupEditProperties::PrepareDisplayValue(ADisplayValue, ADisplayValue, true);
}

bool TcxCustomDateEditProperties::AcceptsEditValue(Variant& AEditValue, bool) {
  try {
    if (!VarIsStr(AEditValue))
      return IsSoftNull(AEditValue) || VarIsType(AEditValue, varDate) || VarIsNumeric(AEditValue);
    Variant V;
    TextToDate(VarToStr(AEditValue), V);
    return !IsSoftNull(V) && !cxIsNullDateValue(V);
  } catch (const Exception&) {
    return false;
  }
}

bool TcxCustomDateEditProperties::AcceptsDisplayText(String& ADisplayValue) {
  if (InputKind() != ikStandard) return TcxCustomPopupEditProperties::AcceptsDisplayText(ADisplayValue);
  TDateTime D = NullDate;
  return cxTryTextToDateTime(ADisplayValue, true, D) && D != NullDate;
}

void TcxCustomDateEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                    TcxCustomEdit* AEdit) {
  auto* Edit = dynamic_cast<TcxCustomDateEdit*>(AEdit);
  const String Empty = EmptyDisplayText(true);
  auto IsEmpty = [&] { return VarToStr(ADisplayValue) == Empty || Trim(VarToStr(ADisplayValue)).empty(); };
  AErrorText = cxLoadResourceText(cxSDateError);
  TDateTime D = 0;
  bool Handled = false;
  try {
    if (!IsEmpty()) AError = !cxTextToDateSmart(VarToStr(ADisplayValue), D);
    if (AEdit && AEdit->HasOnValidateHandler()) {
      if (!IsEmpty() && !AError) ADisplayValue = Variant(DateDisplayText(D));
      Handled = FireValidateEvents(ADisplayValue, AErrorText, AError, AEdit);
      if (!AError && !IsEmpty()) AError = !cxTextToDateSmart(VarToStr(ADisplayValue), D);
    } else if (AError) {
      switch (FDateOnError) {
        case deNoChange: break;
        case deToday:
          D = TodayFor(FKind);
          AError = false;
          break;
        case deNull:
          D = NullDate;
          AError = false;
          break;
      }
    }
  } catch (const Exception&) {
    AError = true;
  }
  if (AError) {
    if (!Handled && AEdit) ADisplayValue = Variant(AEdit->DisplayText());
    return;
  }
  try {
    if (D != NullDate && !IsEmpty()) {
      if (HasValueBounds()) {
        ValidateValueRange(DateVariant(D), AErrorText, AEdit, AError);
        if (AError) {
          if (AEdit) ADisplayValue = Variant(AEdit->DisplayText());
          return;
        }
      }
      if (FKind == ckDate && Edit) {
        if (DayTime(D) != 0)
          Edit->SetRememberedTime(DayTime(D));
        else if (FSaveTime)
          D = WithTime(D, Edit->RememberedTime());
        else
          Edit->SetRememberedTime(0);
      }
      ADisplayValue = Variant(DateDisplayText(D));
    } else {
      // No date (an emptied text or a text read as no date): the value is
      // Null and the remembered time goes with it. Keeping that time on
      // day zero would store 1899-12-30 for a cleared order date.
      if (Edit) {
        const bool WasNull = IsSoftNull(Edit->EditValue());
        Edit->SetRememberedTime(0);
        Edit->SetEditValueQuiet(Variant::Null());
        if (!WasNull) Edit->NotifyEditValueChanged();
      }
      ADisplayValue = Variant(Empty);
    }
  } catch (const Exception&) {
    AError = true;
    if (AEdit) ADisplayValue = Variant(AEdit->DisplayText());
  }
}

// ---------------------------------------------------------------------------
// Popup calendar

void TcxPopupCalendar::UpdateHotTrack() {
  if (FEdit && FEdit->HasPopupWindow()) TcxCustomCalendar::UpdateHotTrack();
}

void TcxPopupCalendar::RequestClose(TObject* Sender, TcxPopupCloseReason Reason) {
  TcxCustomCalendar::RequestClose(Sender, Reason);
  if (OnCloseRequest) OnCloseRequest(this, Reason);
}

void TcxPopupCalendar::KeyDown(Word& Key, TShiftState Shift) {
  TcxCustomCalendar::KeyDown(Key, Shift);
  const bool Alt = Shift.Contains(ssAlt);
  switch (Key) {
    case VK_TAB:
      if (Kind() == ckDateTime || !FEdit) break;
      if (FEdit->ActiveProperties()->PostPopupValueOnTab()) NotifyDateChosen();
      FEdit->EditorKeyDown(Key, Shift);
      break;
    case VK_RETURN:
      if (MonthList()->IsOpen()) break;
      RequestClose(this, pcrAccept);
      NotifyDateChosen();
      Key = 0;
      break;
    case VK_ESCAPE:
      if (MonthList()->YearScrolling() || !MonthList()->IsOpen())
        RequestClose(this, pcrCancel);
      else
        MonthList()->CloseList(false);
      Key = 0;
      break;
    case VK_UP:
    case VK_DOWN:
      if (Alt) {
        RequestClose(this, pcrToggle);
        Key = 0;
      }
      break;
    case VK_F4:
      if (!Alt) {
        RequestClose(this, pcrToggle);
        Key = 0;
      }
      break;
    default: break;
  }
}

void TcxPopupCalendar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomCalendar::MouseMove(Shift, X, Y);
  // Dragged out of the calendar: the selection goes back to the editor's
  // date.
  if (Shift.Contains(ssLeft) && !IsArrowRepeating() && FEdit && !ClientRect().Contains({X, Y})) {
    const TDateTime D = FEdit->Date();
    if (D != NullDate) SetSelectDate(D, true);
  }
}

// ---------------------------------------------------------------------------
// Popup window

TcxDateEditPopupWindow::TcxDateEditPopupWindow(TWinControl* AOwnerControl) : TcxPopupEditPopupWindow(AOwnerControl) {
  SetKeyPreview(true);
}

bool TcxDateEditPopupWindow::ForwardsKeyToCalendar(Word Key, TShiftState Shift) {
  const bool Alt = Shift.Contains(ssAlt);
  if (Key == VK_ESCAPE) {
    TWinControl* F = ActiveControl();
    return F && (dynamic_cast<TButton*>(F) != nullptr);
  }
  if ((Key == VK_UP || Key == VK_DOWN) && Alt) return true;
  return Key == VK_F4 && !Alt;
}

void TcxDateEditPopupWindow::KeyDown(Word& Key, TShiftState Shift) {
  TcxPopupEditPopupWindow::KeyDown(Key, Shift);
  if (Key == 0 || !ForwardsKeyToCalendar(Key, Shift)) return;
  auto* Edit = dynamic_cast<TcxCustomDateEdit*>(OwnerControl());
  if (Edit && Edit->Calendar() && ActiveControl() != Edit->Calendar()) Edit->Calendar()->ForwardKeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomDateEdit::TcxCustomDateEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomPopupEdit(AOwner, AIsInplace,
                         AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                           return new TcxCustomDateEditProperties(O);
                         }) {
  SetControlStyle(ControlStyle() - csSetCaption);
  FDateAtPopup = NullDate;
}

TcxDateEdit::TcxDateEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomDateEdit(AOwner, AIsInplace,
                        [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxDateEditProperties(O); }) {}

TcxCustomDateEdit::~TcxCustomDateEdit() {
  FDestroying = true;
  if (FCalendar) {
    if (Properties()->PopupControl() == FCalendar) Properties()->SetPopupControl(nullptr);
    delete FCalendar;
    FCalendar = nullptr;
  }
}

TClass TcxCustomDateEdit::GetCalendarClass() { return TcxPopupCalendar::StaticClass(); }

void TcxCustomDateEdit::CreateCalendar() {
  FCalendar = new TcxPopupCalendar(nullptr);
  FCalendar->SetEdit(this);
  if (PopupWindow()) FCalendar->SetParent(PopupWindow());
  FCalendar->OnCloseRequest = [this](TObject*, TcxPopupCloseReason Reason) { ClosePopup(Reason); };
  // The calendar, its buttons and its time box look like the editor's popup.
  FCalendar->LookAndFeel()->SetMaster(PopupControlsLookAndFeel());
}

TDateTime TcxCustomDateEdit::TextToDateValue(const String& AText) {
  Variant V;
  DisplayToEditValue(Variant(AText), V, Focused());
  if (IsSoftNull(V)) return NullDate;
  return V.AsDouble();
}

TDateTime TcxCustomDateEdit::GetDateValue() {
  const Variant& V = EditValue();
  if (IsSoftNull(V)) return NullDate;
  if (VarIsType(V, varDate) || VarIsNumeric(V)) return V.AsDouble();
  if (VarIsStr(V)) return TextToDateValue(VarToStr(V));
  return NullDate;
}

void TcxCustomDateEdit::SetDateValue(TDateTime Value) {
  if (Value == NullDate) {
    SetEditValueQuiet(Variant::Null());
    return;
  }
  TcxCustomDateEditProperties* P = ActiveProperties();
  if (P->Kind() == ckDate && DayTime(Value) == 0)
    Value = P->SaveTime() ? WithTime(Value, FRememberedTime) : std::trunc(Value);
  SetEditValueQuiet(DateVariant(Value));
}

TDateTime TcxCustomDateEdit::GetCurrentDate() {
  if (Focused() && EditModified()) return TextToDateValue(DisplayText());
  return Date();
}

void TcxCustomDateEdit::InternalSetEditValue(const Variant& Value, bool AValidate) {
  if (FDestroying) return;
  TcxCustomDateEditProperties* P = ActiveProperties();
  if (P->Kind() == ckDate) {
    FRememberedTime = 0;
    if (P->SaveTime()) {
      if (VarIsStr(Value)) {
        TDateTime D = NullDate;
        if (cxTryTextToDateTime(VarToStr(Value), true, D) && D != NullDate) FRememberedTime = DayTime(D);
      } else if ((VarIsType(Value, varDate) || VarIsNumeric(Value)) && !cxIsNullDateValue(Value)) {
        FRememberedTime = DayTime(Value.AsDouble());
      }
    }
  }
  TcxCustomPopupEdit::InternalSetEditValue(Value, AValidate);
}

void TcxCustomDateEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomDateEditProperties* P = ActiveProperties();
  P->TextToDate(VarToStr(ADisplayValue), AEditValue);
  if (!IsSoftNull(AEditValue) && !cxIsNullDateValue(AEditValue) && P->Kind() == ckDate && P->SaveTime())
    AEditValue = DateVariant(WithTime(AEditValue.AsDouble(), FRememberedTime));
}

void TcxCustomDateEdit::GetEditingValue(Variant& AValue) { DisplayToEditValue(Variant(DisplayText()), AValue, Focused()); }

bool TcxCustomDateEdit::UseMaskForText() { return Focused() || FValidatingInput; }

bool TcxCustomDateEdit::ValidateInput(bool ARaiseError) {
  const bool Was = FValidatingInput;
  FValidatingInput = true;
  try {
    const bool R = TcxCustomPopupEdit::ValidateInput(ARaiseError);
    FValidatingInput = Was;
    return R;
  } catch (...) {
    FValidatingInput = Was;
    throw;
  }
}

void TcxCustomDateEdit::SetDisplayValueLocked(const Variant& AValue) {
  if (VarIsStr(AValue)) {
    TcxCustomPopupEdit::SetDisplayValueLocked(AValue);
    return;
  }
  PushModifiedState();
  try {
    SetEditValueQuiet(AValue);
  } catch (...) {
    PopModifiedState();
    throw;
  }
  PopModifiedState();
}

void TcxCustomDateEdit::ActivateResetValue() { SetDate(NullDate); }

void TcxCustomDateEdit::EnforceValueRange() {
  TcxCustomDateEditProperties* P = ActiveProperties();
  const TDateTime D = Date();
  if (D == NullDate) return;
  if (EditModified() && !RequestEditing()) return;
  if (P->IsValueBoundDefined(0) && D < P->MinDate())
    SetDate(P->MinDate());
  else if (P->IsValueBoundDefined(1) && D > P->MaxDate())
    SetDate(P->MaxDate());
}

bool TcxCustomDateEdit::AcceptsMaskInput(char32_t& Ch, Integer Position) {
  TcxTimePartInfo Info;
  if (!ActiveProperties()->GetTimePartInfo(Position, Info)) return true;
  return cxCheckTimePartInput(this, Ch, Position, Info);
}

void TcxCustomDateEdit::BuildPopupWindow() {
  TcxCustomPopupEdit::BuildPopupWindow();
  if (PopupWindow()) PopupWindow()->SetModalMode(false);
}

void TcxCustomDateEdit::DropDown() {
  // The popup runs no loop of its own: the calendar asks the editor to
  // close it (the window may have been built before this editor's part).
  if (PopupWindow()) PopupWindow()->SetModalMode(false);
  if (!FCalendar) CreateCalendar();
  if (PopupWindow() && FCalendar->Parent() != PopupWindow()) FCalendar->SetParent(PopupWindow());
  if (Properties()->PopupControl() != FCalendar) {
    Properties()->LockChanges(true);
    Properties()->SetPopupControl(FCalendar);
    Properties()->LockChanges(false);
  }
  TcxCustomPopupEdit::DropDown();
}

void TcxCustomDateEdit::PreparePopup() { TcxCustomPopupEdit::PreparePopup(); }

void TcxCustomDateEdit::ConfigurePopupWindow() {
  TcxCustomPopupEdit::ConfigurePopupWindow();
  TcxCustomDateEditProperties* P = ActiveProperties();
  TcxPopupCalendar* C = FCalendar;
  C->HandleNeeded();
  C->SetColor(GetActiveStyle()->Color());
  C->SetFlat(PopupControlsLookAndFeel()->EffectiveKind() != lfStandard);
  C->SetCalendarButtons(P->DateButtons());
  const TNotifyEvent Chosen = C->OnDateChosen;
  C->OnDateChosen = nullptr;
  FDateAtPopup = GetCurrentDate();
  const TDateTime D = FDateAtPopup == NullDate ? Date() : FDateAtPopup;
  if (P->Kind() == ckDateTime) C->SetTimeBoxTime(DayTime(D));
  C->ShowMonthOf(std::trunc(D));
  C->ChooseDate(std::trunc(D));
  C->Font()->Assign(GetActiveStyle()->GetVisibleTextFont());
  C->Font()->SetColor(clBtnText);
  C->UpdateSize();
  C->OnDateChosen = [this](TObject* Sender) { HandleCalendarDateChosen(Sender); };
  (void)Chosen;
  C->SetArrowsForYear(P->ArrowsForYear());
  C->SetKind(P->Kind());
  C->SetWeekNumbers(P->WeekNumbers());
  C->SetYearsInMonthList(P->YearsInMonthList());
  C->UpdateSize();
}

void TcxCustomDateEdit::HandlePopupShown() {
  TcxCustomPopupEdit::HandlePopupShown();
  if (FCalendar) {
    FCalendar->RecalculateLayout();
    FCalendar->UpdateHotTrack();
  }
}

void TcxCustomDateEdit::HandlePopupClosed() {
  TcxCustomPopupEdit::HandlePopupClosed();
  if (FCalendar) FCalendar->UpdateHotTrack();
}

void TcxCustomDateEdit::HandleCalendarDateChosen(TObject*) {
  TcxCustomDateEditProperties* P = ActiveProperties();
  TDateTime D = FCalendar->SelectDate();
  if (P->Kind() == ckDateTime && D != NullDate)
    D = WithTime(D, FCalendar->TimeBoxTime());
  else if (P->Kind() == ckDate && P->SaveTime() && D != NullDate && FDateAtPopup != NullDate)
    D = WithTime(D, DayTime(FDateAtPopup));
  String Text;
  if (D == NullDate) {
    Text = P->EmptyDisplayText(true);
  } else {
    Variant DV;
    P->PrepareDisplayValue(DateVariant(D), DV, true);
    Text = VarToStr(DV);
  }
  if (Date() == D && DisplayText() == Text) return;
  if (!RequestEditing()) return;
  HoldChangeEvents(true);
  try {
    SetDate(D);
    SetEditChanged(true);
    SetDisplayValueFromData(Variant(Text));
    SelectAll();
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
}

// ---------------------------------------------------------------------------
// Start-up

void cxCalendarUnitStartup() {
  if (GUnitCounter != 0) return;
  --GUnitCounter;
  static TcxFilterDateEditHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterDateEditHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxDateEditProperties::StaticClass(),
                                      cxLoadResourceText(cxSEditDateDescription));
  cxGetFilterEditsController()->AddClassPair(TcxDateEditProperties::StaticClass(),
                                             TcxFilterDateEditHelper::StaticClass());
}

void cxCalendarUnitShutdown() {
  if (GUnitCounter != -1) return;
  ++GUnitCounter;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxDateEditProperties::StaticClass(),
                                                  TcxFilterDateEditHelper::StaticClass());
}

TOVANI_PUBLISHED(TcxDateEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
}
