// The popup editor: a drop-down editor whose popup shows a control borrowed
// from the form (PopupControl). While the popup is open the control lives
// in the popup window, filling its client area, and has the keyboard focus;
// when the popup closes the control goes back to its parent, bounds,
// alignment and visibility. The date, calculator and BLOB editors build on
// it and close their popup from inside their controls with ClosePopup.
#pragma once
#include <memory>

#include "cxDropDownEdit.h"

class TcxCustomPopupEditProperties : public TcxCustomDropDownEditProperties {
  TOVANI_CLASS(TcxCustomPopupEditProperties, TcxCustomDropDownEditProperties)
 public:
  explicit TcxCustomPopupEditProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomPopupEditProperties() override;
  void Assign(TPersistent* Source) override;
  TClass GetContainerClass() override;
  void FreeNotification(TComponent* AComponent) override;
  TcxEditPopupWindowFactory GetPopupWindowType() override;
  // Lookup items never go into this popup.
  bool ShowsLookupInPopup() override { return false; }
  bool PopupTakesFocus() override { return true; }

  // Not owned; becomes null when the control is freed.
  TControl* PopupControl() const { return FPopupControl; }
  void SetPopupControl(TControl* Value);

 private:
  TControl* FPopupControl = nullptr;
  std::unique_ptr<TcxFreeNotificator> FPopupControlNotificator;
};

class TcxPopupEditProperties : public TcxCustomPopupEditProperties {
  TOVANI_CLASS(TcxPopupEditProperties, TcxCustomPopupEditProperties)
 public:
  explicit TcxPopupEditProperties(TPersistent* AOwner = nullptr);
};

class TcxCustomPopupEdit : public TcxCustomDropDownEdit {
  TOVANI_CLASS(TcxCustomPopupEdit, TcxCustomDropDownEdit)
 public:
  explicit TcxCustomPopupEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                              const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomPopupEdit() override;

  TcxCustomPopupEditProperties* Properties() const {
    return static_cast<TcxCustomPopupEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomPopupEditProperties* ActiveProperties() {
    return static_cast<TcxCustomPopupEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomPopupEditProperties::StaticClass(); }

  // Closes the popup later (through its close message) with a reason; for
  // the controls inside the popup (a date clicked, OK or Cancel pressed).
  virtual void ClosePopup(TcxPopupCloseReason AReason);

  bool HasPopupContent() override;
  void GetPopupContentSize(TSize& ASize) override;
  void PlacePopupContent(const TRect& AClientRect) override;

 protected:
  virtual void RestorePopupControl();
  virtual void SavePopupControlState();
  void InitializePopup() override;
  TWinControl* GetControlToFocusInPopup() override;
  void PreparePopup() override;
  void HandlePopupClosed() override;

 private:
  TAlign FPrevAlign = alNone;
  TRect FPrevBounds;
  TWinControl* FPrevParent = nullptr;
  bool FPrevVisible = false;
  TFormBorderStyle FPrevBorderStyle = bsSizeable;
  bool FSaved = false;
};

class TcxPopupEdit : public TcxCustomPopupEdit {
  TOVANI_CLASS(TcxPopupEdit, TcxCustomPopupEdit)
 public:
  explicit TcxPopupEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxPopupEditProperties* Properties() const {
    return static_cast<TcxPopupEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxPopupEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxPopupEditProperties::StaticClass(); }
};
