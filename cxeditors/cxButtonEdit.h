// The button editor: the masked editor with its buttons published; clicks
// on them fire OnButtonClick. It starts with one ellipsis button that is
// the default button (Ctrl+Enter clicks it).
#pragma once
#include "cxMaskEdit.h"

class TcxCustomButtonEditProperties : public TcxCustomMaskEditProperties {
  TOVANI_CLASS(TcxCustomButtonEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxCustomButtonEditProperties(TPersistent* AOwner = nullptr);
  TClass GetContainerClass() override;
};

class TcxButtonEditProperties : public TcxCustomButtonEditProperties {
  TOVANI_CLASS(TcxButtonEditProperties, TcxCustomButtonEditProperties)
 public:
  using TcxCustomButtonEditProperties::TcxCustomButtonEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxButtonEditProperties(nullptr); }
};

class TcxCustomButtonEdit : public TcxCustomMaskEdit {
  TOVANI_CLASS(TcxCustomButtonEdit, TcxCustomMaskEdit)
 public:
  explicit TcxCustomButtonEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                               const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomButtonEditProperties* Properties() const {
    return static_cast<TcxCustomButtonEditProperties*>(TcxCustomEdit::Properties());
  }
  TClass GetPropertiesClass() override { return TcxCustomButtonEditProperties::StaticClass(); }
  TcxContainerStyleValues GetUnusedStyleValues() override;
};

class TcxButtonEdit : public TcxCustomButtonEdit {
  TOVANI_CLASS(TcxButtonEdit, TcxCustomButtonEdit)
 public:
  explicit TcxButtonEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxButtonEditProperties* Properties() const {
    return static_cast<TcxButtonEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxButtonEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxButtonEditProperties::StaticClass(); }
  // A streamed editor has exactly the buttons stored in the form.
  void ReadState(TReader* Reader) override;

 private:
  bool FButtonsCleared = false;
};
