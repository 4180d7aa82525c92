// The button editor.
#include "cxButtonEdit.h"

#include "cxClasses.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomButtonEditProperties, TcxCustomMaskEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxButtonEditProperties, TcxCustomButtonEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomButtonEdit, TcxCustomMaskEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxButtonEdit, TcxCustomButtonEdit)

namespace {
const TcxResourceString cxSEditButtonDescription{"ButtonEdit|Represents an edit control with embedded buttons"};

void RegisterButtonEdit() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  cxEditPropertiesRegistry()->AddClass(TcxButtonEditProperties::StaticClass(),
                                      cxLoadResourceText(cxSEditButtonDescription));
}
}  // namespace

TcxCustomButtonEditProperties::TcxCustomButtonEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner) {
  RegisterButtonEdit();
  TcxEditButton* B = Buttons()->Add();
  B->SetKind(bkEllipsis);
  B->SetDefault(true);
}

TClass TcxCustomButtonEditProperties::GetContainerClass() { return TcxButtonEdit::StaticClass(); }

TcxCustomButtonEdit::TcxCustomButtonEdit(TComponent* AOwner, bool AIsInplace,
                                         const TcxEditPropertiesFactory& AProperties)
    : TcxCustomMaskEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomButtonEditProperties(O);
                        }) {}

TcxContainerStyleValues TcxCustomButtonEdit::GetUnusedStyleValues() {
  // The button style values are used here.
  TcxContainerStyleValues V = TcxCustomMaskEdit::GetUnusedStyleValues();
  for (Integer I : {10, 11, 13}) V.Exclude(TcxContainerStyleValue(I));
  return V;
}

TcxButtonEdit::TcxButtonEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomButtonEdit(AOwner, AIsInplace,
                          [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxButtonEditProperties(O); }) {}

void TcxButtonEdit::ReadState(TReader* Reader) {
  if (!FButtonsCleared) {
    Properties()->Buttons()->Clear();
    GetEffectiveProperties()->Buttons()->Clear();
    FButtonsCleared = true;
  }
  TcxCustomButtonEdit::ReadState(Reader);
}

// What a form file stores of a button editor: its buttons (the form's
// buttons replace the default one, see ReadState).
TOVANI_PUBLISHED(TcxButtonEditProperties) {
  Property<TcxEditButtons*>(
      "Buttons", [](TcxButtonEditProperties* p) { return p->Buttons(); },
      [](TcxButtonEditProperties* p, TcxEditButtons* v) { p->SetButtons(v); });
}

TOVANI_PUBLISHED(TcxButtonEdit) {
  Property("Properties", &TcxButtonEdit::Properties, &TcxButtonEdit::SetProperties);
}
