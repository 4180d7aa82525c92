// The MRU editor: a combo box whose items are the most recently used
// texts. Every text the user confirms moves to the top of LookupItems, new
// texts go in at the top, and the list is cut to MaxItemCount entries. An
// ellipsis button, the default button, fires OnButtonClick.
#pragma once
#include <functional>

#include "cxComboBox.h"

class TcxCustomMRUEditProperties;
using TcxMRUEditDeleteLookupItemEvent = std::function<void(TcxCustomMRUEditProperties* AProperties, Integer AItemIndex)>;

class TcxCustomMRUEditProperties : public TcxCustomComboBoxProperties {
  TOVANI_CLASS(TcxCustomMRUEditProperties, TcxCustomComboBoxProperties)
 public:
  explicit TcxCustomMRUEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  void CopyRuntimeDataTo(TcxCustomEditProperties* ADest) override;
  TClass GetContainerClass() override;

  Integer MaxItemCount() const { return FMaxItemCount; }
  void SetMaxItemCount(Integer Value);
  bool ShowEllipsis() const { return FShowEllipsis; }
  void SetShowEllipsis(bool Value);
  TNotifyEvent OnButtonClick;
  TcxMRUEditDeleteLookupItemEvent OnDeleteLookupItem;

  virtual void DoNewLookupDisplayText(const String& AText);
  // Puts a text at the top of the list (a new one inserted, the list cut).
  virtual void AddItem(const String& AText, bool AFireEvent);

 private:
  void CutList();
  Integer FMaxItemCount = 0;
  bool FShowEllipsis = true;
};

class TcxMRUEditProperties : public TcxCustomMRUEditProperties {
  TOVANI_CLASS(TcxMRUEditProperties, TcxCustomMRUEditProperties)
 public:
  using TcxCustomMRUEditProperties::TcxCustomMRUEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxMRUEditProperties(nullptr); }
};

class TcxCustomMRUEdit : public TcxCustomComboBox {
  TOVANI_CLASS(TcxCustomMRUEdit, TcxCustomComboBox)
 public:
  explicit TcxCustomMRUEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                            const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomMRUEditProperties* Properties() const {
    return static_cast<TcxCustomMRUEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomMRUEditProperties* ActiveProperties() {
    return static_cast<TcxCustomMRUEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomMRUEditProperties::StaticClass(); }
  virtual void AddItem(const String& AText);
  void HandleLookupKeyChanged(TObject* Sender) override;

 protected:
  using TcxCustomComboBox::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoButtonClick(Integer AButtonVisibleIndex) override;
  void SetDisplayValueLocked(const Variant& AValue) override;
};

class TcxMRUEdit : public TcxCustomMRUEdit {
  TOVANI_CLASS(TcxMRUEdit, TcxCustomMRUEdit)
 public:
  explicit TcxMRUEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxMRUEditProperties* Properties() const {
    return static_cast<TcxMRUEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxMRUEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxMRUEditProperties::StaticClass(); }
};
