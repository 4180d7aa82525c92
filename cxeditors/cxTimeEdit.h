// The time editor: a time of day in a masked text with spin buttons. The
// spin value is the number of seconds since midnight; each step changes
// the time part (hours, minutes, seconds or the AM/PM designator) the caret
// stands in. The edit value is a date-time whose date part comes from the
// last value set. The date editor's masked date-time input shares the
// typing rules of time parts (cxCheckTimePartInput).
#pragma once
#include "cxSpinEdit.h"

enum TcxTimeEditTimeFormat { tfHourMinSec, tfHourMin, tfHour };
TOVANI_ENUM_INFO(TcxTimeEditTimeFormat)

// One part of a time text: kind 0 hours, 1 minutes, 2 seconds, 3 AM/PM;
// Start is 1-based; AMPMKind 0 "A"/"P", 1 "AM"/"PM", 2 the profile's
// designators.
struct TcxTimePartInfo {
  Integer Kind = 0;
  Integer Start = 1;
  Integer Length = 2;
  Integer AMPMKind = 2;
  bool Use24HourFormat = true;
};

// Whether a character typed at a 1-based position of a time part may go
// in as it is (true, Ch possibly replaced); false when the rule wrote the
// part itself or refused the character.
bool cxCheckTimePartInput(TcxCustomMaskEdit* AEdit, char32_t& Ch, Integer Position, const TcxTimePartInfo& Info);

// The display format and edit mask of a time format.
String cxTimeEditDisplayFormat(TcxTimeEditTimeFormat AFormat, bool AUse24HourFormat);
String cxTimeEditMask(TcxTimeEditTimeFormat AFormat, bool AUse24HourFormat);

class TcxCustomTimeEditProperties : public TcxCustomSpinEditProperties {
  TOVANI_CLASS(TcxCustomTimeEditProperties, TcxCustomSpinEditProperties)
 public:
  explicit TcxCustomTimeEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;

  bool AutoCorrectHours() const { return FAutoCorrectHours; }
  void SetAutoCorrectHours(bool Value) { FAutoCorrectHours = Value; }
  bool ShowDate() const { return FShowDate; }
  void SetShowDate(bool Value);
  TcxTimeEditTimeFormat TimeFormat() const { return FTimeFormat; }
  void SetTimeFormat(TcxTimeEditTimeFormat Value);
  bool Use24HourFormat() const { return FUse24HourFormat; }
  void SetUse24HourFormat(bool Value);
  bool UseTimeFormatWhenUnfocused() const { return FUseTimeFormatWhenUnfocused; }
  void SetUseTimeFormatWhenUnfocused(bool Value);

  virtual void GetTimePartInfo(Integer Position, TcxTimePartInfo& Info);
  virtual Integer GetTimePartLength() { return 2; }
  virtual Integer GetTimePartStart(Integer AKind);
  virtual Integer GetAMPMKind() { return 2; }
  // The part (0..3) at a 1-based text position.
  Integer GetTimePartAt(Integer Position);
  void UpdateEditMask();
  String DisplayFormat() { return cxTimeEditDisplayFormat(FTimeFormat, FUse24HourFormat); }
  String FormatTimeText(TDateTime AValue, bool AEditFocused);

  TClass GetContainerClass() override;
  TcxMaskEditModeFactory GetMaskModeClass(TcxEditMaskKind AMaskKind) override;
  Integer GetDisplayFormatFlags() override { return 3; }
  bool SupportsValueRange() override { return false; }
  bool StopsAtBounds() override { return false; }
  bool ChecksTypedNumber() override { return false; }
  void NormalizeValue(const Variant& AValue, Variant& AResult) override { AResult = Variant(0.0); }
  bool KeepsSelectionOnSpin() override { return true; }
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override {
    return UsesFieldDisplayFormat(AEditFocused) ? evsText : evsValue;
  }
  void GetNullDisplayValue(String& ADisplayValue) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  bool AcceptsDisplayText(String& ADisplayValue) override;
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;
  void HandleFormatChanged() override;

 private:
  bool FAutoCorrectHours = true;
  bool FShowDate = false;
  TcxTimeEditTimeFormat FTimeFormat = tfHourMinSec;
  bool FUse24HourFormat = true;
  bool FUseTimeFormatWhenUnfocused = true;
};

class TcxTimeEditProperties : public TcxCustomTimeEditProperties {
  TOVANI_CLASS(TcxTimeEditProperties, TcxCustomTimeEditProperties)
 public:
  using TcxCustomTimeEditProperties::TcxCustomTimeEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxTimeEditProperties(nullptr); }
};

class TcxCustomTimeEdit : public TcxCustomSpinEdit {
  TOVANI_CLASS(TcxCustomTimeEdit, TcxCustomSpinEdit)
 public:
  explicit TcxCustomTimeEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomTimeEditProperties* Properties() const {
    return static_cast<TcxCustomTimeEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomTimeEditProperties* ActiveProperties() {
    return static_cast<TcxCustomTimeEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomTimeEditProperties::StaticClass(); }

  // The time of day (the fraction); setting it keeps the date part.
  TDateTime Time();
  void SetTime(TDateTime Value);

  Extended GetIncrement(Integer AButton) override;
  void GetValue(Variant& AValue) override;
  void ValueToText(const Variant& AValue, String& AText) override;
  void SetSpinValue(const Variant& AValue) override;
  bool DoSpin(Integer AButton) override;
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void GetEditingValue(Variant& AValue) override;
  bool AcceptsMaskInput(char32_t& Ch, Integer Position) override;

 protected:
  void InternalSetEditValue(const Variant& Value, bool AValidate) override;
  using TcxCustomSpinEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void DoSetDisplayValue(const Variant& AValue) override;
  void ActivateResetValue() override { SetTime(0); }
  bool IsCharValidForData(char32_t) override { return true; }

 private:
  TDateTime FDatePart = 0;
};

class TcxTimeEdit : public TcxCustomTimeEdit {
  TOVANI_CLASS(TcxTimeEdit, TcxCustomTimeEdit)
 public:
  explicit TcxTimeEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxTimeEditProperties* Properties() const {
    return static_cast<TcxTimeEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxTimeEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxTimeEditProperties::StaticClass(); }
};

void cxTimeEditUnitStartup();
void cxTimeEditUnitShutdown();
