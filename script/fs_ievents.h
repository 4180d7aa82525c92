// Event adapters of the class library's events: each turns a host event
// into a call of the script procedure assigned to it, with the event's
// arguments, and copies the procedure's var parameters back to the host.
#pragma once
#include "fs_iinterpreter.h"

#define FS_EVENT_ADAPTER(Name)                                                  \
  class Name : public TfsCustomEvent {                                          \
    TOVANI_CLASS(Name, TfsCustomEvent)                                          \
   public:                                                                      \
    using TfsCustomEvent::TfsCustomEvent;                                       \
    TMethod HandlerMethod() override;                                           \
    static TfsCustomEvent* Make(TObject* Instance, TfsProcVariable* Handler) {  \
      return new Name(Instance, Handler);                                       \
    }                                                                           \
  };

// (Sender)
FS_EVENT_ADAPTER(TfsNotifyEvent)
// (Sender, Button, Shift, X, Y)
FS_EVENT_ADAPTER(TfsMouseEvent)
// (Sender, Shift, X, Y)
FS_EVENT_ADAPTER(TfsMouseMoveEvent)
// (Sender, var Key, Shift): Key is written back.
FS_EVENT_ADAPTER(TfsKeyEvent)
// (Sender, var Key): Key travels as a one-character text; the first
// character of the text the procedure leaves is written back (an empty text
// leaves the key unchanged).
FS_EVENT_ADAPTER(TfsKeyPressEvent)
// (Sender, var Action)
FS_EVENT_ADAPTER(TfsCloseEvent)
// (Sender, var CanClose)
FS_EVENT_ADAPTER(TfsCloseQueryEvent)
// (Sender, var NewWidth, var NewHeight, var Resize)
FS_EVENT_ADAPTER(TfsCanResizeEvent)

#undef FS_EVENT_ADAPTER
