// The currency editor: a text editor for an amount. Typed characters are
// limited to what can still form a number with at most DecimalPlaces
// decimals; the display uses the program's currency format ("￥") unless
// DisplayFormat says otherwise; an empty value shows NullString; MinValue
// and MaxValue bound the value.
#pragma once
#include "cxTextEdit.h"

// Thousand separators dropped, the rest read as a number a double holds.
bool cxStrToCurrencyValue(const String& AText, double& AValue);

class TcxCurrencyEditPropertiesValues : public TcxTextEditPropertiesValues {
  TOVANI_CLASS(TcxCurrencyEditPropertiesValues, TcxTextEditPropertiesValues)
 public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void ResetAssigned() override;
  bool DecimalPlaces() const { return FDecimalPlaces; }
  void SetDecimalPlaces(bool Value);

 private:
  bool FDecimalPlaces = false;
};

class TcxCustomCurrencyEditProperties : public TcxCustomTextEditProperties {
  TOVANI_CLASS(TcxCustomCurrencyEditProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomCurrencyEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;

  TcxCurrencyEditPropertiesValues* AssignedValues() const {
    return static_cast<TcxCurrencyEditPropertiesValues*>(TcxCustomEditProperties::AssignedValues());
  }
  // The assigned count, else the program's currency decimals.
  Integer DecimalPlaces();
  void SetDecimalPlaces(Integer Value);
  bool Nullable() const { return FNullable; }
  void SetNullable(bool Value);
  const String& NullString() const { return FNullString; }
  void SetNullString(const String& Value);
  bool UseThousandSeparator() const { return FUseThousandSeparator; }
  void SetUseThousandSeparator(bool Value);

  // A typed text that can still become an amount.
  bool IsValidCurrencyText(const String& AText);

  TClass GetContainerClass() override;
  void GetDefaultDisplayFormat(String& AFormat) override;
  Integer GetDisplayFormatFlags() override { return 3; }
  bool SupportsValueRange() override { return true; }
  bool UsesThousandSeparator(bool AFlag) override { return !AFlag && FUseThousandSeparator; }
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  bool AcceptsDisplayText(String& ADisplayValue) override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;

 private:
  Integer FDecimalPlaces = 2;
  bool FNullable = true;
  String FNullString;
  bool FUseThousandSeparator = false;
};

class TcxCurrencyEditProperties : public TcxCustomCurrencyEditProperties {
  TOVANI_CLASS(TcxCurrencyEditProperties, TcxCustomCurrencyEditProperties)
 public:
  using TcxCustomCurrencyEditProperties::TcxCustomCurrencyEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxCurrencyEditProperties(nullptr); }
};

class TcxCustomCurrencyEdit : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxCustomCurrencyEdit, TcxCustomTextEdit)
 public:
  explicit TcxCustomCurrencyEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                                 const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomCurrencyEditProperties* Properties() const {
    return static_cast<TcxCustomCurrencyEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomCurrencyEditProperties* ActiveProperties() {
    return static_cast<TcxCustomCurrencyEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomCurrencyEditProperties::StaticClass(); }

  double Value();
  void SetValue(double AValue);
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void GetEditingValue(Variant& AValue) override;
  void PasteFromClipboard() override;

 protected:
  void DoEditKeyPress(char32_t& Key) override;
  bool IsCharValidForData(char32_t AChar) override;
  using TcxCustomTextEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void EnforceValueRange() override;
};

class TcxCurrencyEdit : public TcxCustomCurrencyEdit {
  TOVANI_CLASS(TcxCurrencyEdit, TcxCustomCurrencyEdit)
 public:
  explicit TcxCurrencyEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxCurrencyEditProperties* Properties() const {
    return static_cast<TcxCurrencyEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxCurrencyEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxCurrencyEditProperties::StaticClass(); }
};

void cxCurrencyEditUnitStartup();
void cxCurrencyEditUnitShutdown();
