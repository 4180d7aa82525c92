// Small helpers the report engine's dialogs use to lay out their controls
// and to open their help topic.
#pragma once
#include "Controls.h"
#include "frxRes.h"

// A control of class T owned by Owner, placed on Parent at the bounds.
template <class T>
T* frxPlaceControl(TComponent* Owner, TWinControl* Parent, Integer Left, Integer Top, Integer Width,
                   Integer Height) {
  T* c = new T(Owner);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

// The same with a caption (labels, buttons, boxes).
template <class T>
T* frxPlaceControl(TComponent* Owner, TWinControl* Parent, Integer Left, Integer Top, Integer Width,
                   Integer Height, const String& Caption) {
  T* c = frxPlaceControl<T>(Owner, Parent, Left, Top, Width, Height);
  c->SetCaption(Caption);
  return c;
}

// The text of a numeric resource.
inline String frxRes(Integer Id) { return frxResourceTextById(Id); }
