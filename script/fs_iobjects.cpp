// The objects scripts make and free.
//
// A script may free only what it made itself (a class's default-made
// instance, what a constructor returned) and what is still alive: the
// report running the script, the report's objects, forms and everything
// else the host hands to scripts belong to the host.
//
// A freed object's address stays known for a while, and its memory is kept
// (the destructor has run, the block is not yet returned), so that no other
// object can take the address: a script that reaches the object again
// through a variable that still holds it gets "already freed" instead of
// touching released memory.
#include <deque>
#include <unordered_set>

#include "fs_iinterpreter.h"

namespace {

// How many freed objects keep their memory; older ones release it and are
// forgotten.
constexpr size_t QuarantineSize = 1024;

class TScriptObjects : public TComponent {
 public:
  std::unordered_set<const TObject*> Live;
  std::unordered_set<const TObject*> Freed;
  // Oldest first: the freed object and the start of its memory block.
  std::deque<std::pair<const TObject*, void*>> Quarantine;

 protected:
  // A component the script made was destroyed by its owner.
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) Live.erase(AComponent);
  }
};

TScriptObjects& Objects() {
  // Lives to the end of the process: objects may be destroyed during exit.
  static auto* objects = new TScriptObjects;
  return *objects;
}

}  // namespace

void fsNoteScriptObject(TObject* Obj) {
  if (!Obj) return;
  TScriptObjects& o = Objects();
  if (!o.Live.insert(Obj).second) return;
  o.Freed.erase(Obj);
  if (auto* c = dynamic_cast<TComponent*>(Obj)) c->FreeNotification(&o);
}

void fsForgetScriptObject(const TObject* Obj) {
  if (!Obj) return;
  auto& live = Objects().Live;
  if (!live.empty()) live.erase(Obj);
}

bool fsIsFreedScriptObject(const TObject* Obj) {
  const TScriptObjects& o = Objects();
  return !o.Freed.empty() && o.Freed.count(Obj) != 0;
}

void fsFreeScriptObject(TObject* Obj) {
  if (!Obj) return;
  TScriptObjects& o = Objects();
  if (o.Freed.count(Obj)) throw EfsScriptError("Free: the object has already been freed");
  if (!o.Live.count(Obj)) throw EfsScriptError("Free: a script can free only the objects it created");
  o.Live.erase(Obj);
  if (auto* c = dynamic_cast<TComponent*>(Obj)) c->RemoveFreeNotification(&o);
  void* block = dynamic_cast<void*>(Obj);
  // Remembered before the destructor runs: objects it frees in turn (owned
  // components the script made, child items) must not take the place.
  o.Freed.insert(Obj);
  o.Quarantine.emplace_back(Obj, block);
  Obj->~TObject();
  while (o.Quarantine.size() > QuarantineSize) {
    auto [old, mem] = o.Quarantine.front();
    o.Quarantine.pop_front();
    o.Freed.erase(old);
    ::operator delete(mem);
  }
}
