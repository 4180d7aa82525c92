// The data-aware date editor of the data-aware editor unit.
#include "Messages.h"
#include "cxDBEdit.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBDateEdit, TcxCustomDateEdit)

TcxDBDateEdit::TcxDBDateEdit(TComponent* AOwner)
    : TcxCustomDateEdit(AOwner, false,
                        [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxDateEditProperties(O); }) {
  SetDataBindingObject(new TcxDBTextEditDataBinding(this));
}

TcxDBTextEditDataBinding* TcxDBDateEdit::DataBinding() const {
  auto* b = dynamic_cast<TcxDBTextEditDataBinding*>(TcxCustomEdit::DataBinding());
  if (!b) throw EInvalidCast("Invalid class typecast");
  return b;
}

void TcxDBDateEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK) {
    Message.Result = LRESULT(cxEditDataLinkOf(this));
    return;
  }
  TcxCustomDateEdit::Dispatch(Message);
}

TOVANI_PUBLISHED(TcxDBDateEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("AutoSize", &TcxDBDateEdit::AutoSize, &TcxDBDateEdit::SetAutoSize).Default(true);
  Property<TcxDBTextEditDataBinding*>(
      "DataBinding", [](TcxDBDateEdit* e) { return e->DataBinding(); },
      [](TcxDBDateEdit* e, TcxDBTextEditDataBinding* v) { e->SetDataBinding(v); });
  Property<TcxDateEditProperties*>(
      "Properties", [](TcxDBDateEdit* e) { return e->Properties(); },
      [](TcxDBDateEdit* e, TcxDateEditProperties* v) { e->SetProperties(v); });
  Property<TcxEditStyle*>(
      "Style", [](TcxDBDateEdit* e) { return e->Style(); }, [](TcxDBDateEdit* e, TcxEditStyle* v) { e->SetStyle(v); });
  Property<TcxEditStyle*>(
      "StyleDisabled", [](TcxDBDateEdit* e) { return e->StyleDisabled(); },
      [](TcxDBDateEdit* e, TcxEditStyle* v) { e->SetStyleDisabled(v); });
  Property<TcxEditStyle*>(
      "StyleFocused", [](TcxDBDateEdit* e) { return e->StyleFocused(); },
      [](TcxDBDateEdit* e, TcxEditStyle* v) { e->SetStyleFocused(v); });
  Property<TcxEditStyle*>(
      "StyleHot", [](TcxDBDateEdit* e) { return e->StyleHot(); },
      [](TcxDBDateEdit* e, TcxEditStyle* v) { e->SetStyleHot(v); });
  Property("OnEditing", &TcxDBDateEdit::OnEditing);
}
