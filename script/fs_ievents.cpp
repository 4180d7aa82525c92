#include "fs_ievents.h"

#include "Controls.h"
#include "Forms.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TfsNotifyEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsMouseEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsMouseMoveEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsKeyEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsKeyPressEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsCloseEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsCloseQueryEvent, TfsCustomEvent)
TOVANI_IMPLEMENT_CLASS(TfsCanResizeEvent, TfsCustomEvent)

namespace {

Variant Obj(TObject* O) { return fsObjectToVariant(O); }
Variant Int(Integer V) { return Variant(V); }
// The value the procedure left in parameter I.
Variant Back(TfsCustomEvent* E, Integer I) {
  TfsProcVariable* p = E->Handler();
  return I < p->Count() ? p->Params(I)->ReadValue() : Variant::Null();
}

// Runs the procedure; false when it was already running (the call is then
// dropped and nothing is written back).
bool Call(TfsCustomEvent* E, const std::vector<Variant>& Params) {
  if (E->Handler()->Executing) return false;
  E->CallHandler(Params);
  return true;
}

template <class F>
TMethod Method(F&& Fn) {
  TMethod m;
  m.Code = Fn;
  return m;
}

}  // namespace

TMethod TfsNotifyEvent::HandlerMethod() {
  return Method(TNotifyEvent([this](TObject* Sender) { CallHandler({Obj(Sender)}); }));
}

TMethod TfsMouseEvent::HandlerMethod() {
  return Method(TMouseEvent([this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    CallHandler({Obj(Sender), Int(Integer(Button)), Int(Integer(Shift.Mask())), Int(X), Int(Y)});
  }));
}

TMethod TfsMouseMoveEvent::HandlerMethod() {
  return Method(TMouseMoveEvent([this](TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
    CallHandler({Obj(Sender), Int(Integer(Shift.Mask())), Int(X), Int(Y)});
  }));
}

TMethod TfsKeyEvent::HandlerMethod() {
  return Method(TKeyEvent([this](TObject* Sender, Word& Key, TShiftState Shift) {
    if (!Call(this, {Obj(Sender), Int(Key), Int(Integer(Shift.Mask()))})) return;
    Key = Word(Back(this, 1).AsInteger());
  }));
}

TMethod TfsKeyPressEvent::HandlerMethod() {
  return Method(TKeyPressEvent([this](TObject* Sender, char32_t& Key) {
    if (!Call(this, {Obj(Sender), Variant(Utf8Encode(Key))})) return;
    String text = VarToStr(Back(this, 1));
    size_t pos = 0;
    if (!text.empty()) Key = Utf8Decode(text, pos);
  }));
}

TMethod TfsCloseEvent::HandlerMethod() {
  return Method(TCloseEvent([this](TObject* Sender, TCloseAction& Action) {
    if (!Call(this, {Obj(Sender), Int(Integer(Action))})) return;
    Action = TCloseAction(Back(this, 1).AsInteger());
  }));
}

TMethod TfsCloseQueryEvent::HandlerMethod() {
  return Method(TCloseQueryEvent([this](TObject* Sender, bool& CanClose) {
    if (!Call(this, {Obj(Sender), Variant(CanClose)})) return;
    CanClose = Back(this, 1).AsBoolean();
  }));
}

TMethod TfsCanResizeEvent::HandlerMethod() {
  return Method(TCanResizeEvent([this](TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize) {
    if (!Call(this, {Obj(Sender), Int(NewWidth), Int(NewHeight), Variant(Resize)})) return;
    NewWidth = Back(this, 1).AsInteger();
    NewHeight = Back(this, 2).AsInteger();
    Resize = Back(this, 3).AsBoolean();
  }));
}
