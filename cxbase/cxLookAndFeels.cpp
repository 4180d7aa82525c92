#include "cxLookAndFeels.h"

#include <algorithm>

TOVANI_IMPLEMENT_CLASS(TcxLookAndFeel, TcxInterfacedPersistent)

TcxLookAndFeel* cxRootLookAndFeel() {
  // Lives to the end of the program: controls freed at exit still unhook.
  static TcxLookAndFeel* root = new TcxLookAndFeel(TcxLookAndFeel::TRootTag{});
  return root;
}

TcxLookAndFeel::TcxLookAndFeel(TRootTag) : TcxInterfacedPersistent(nullptr), FIsRoot(true) {
  FAssignedValues = {lfvKind, lfvNativeStyle, lfvSkinName};
}

TcxLookAndFeel::TcxLookAndFeel(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  cxRootLookAndFeel()->RegisterChangeListener(this);
}

TcxLookAndFeel::~TcxLookAndFeel() {
  // Listeners drop this look-and-feel (dependents fall back to the root);
  // they cannot change the list while it is walked.
  FDestroying = true;
  const std::vector<IcxLookAndFeelChangeListener*> listeners = FListeners;
  for (IcxLookAndFeelChangeListener* l : listeners) l->MasterLookAndFeelDestroying(this);
  FListeners.clear();
  if (TcxLookAndFeel* m = EffectiveMaster()) m->UnregisterChangeListener(this);
}

TcxLookAndFeel* TcxLookAndFeel::EffectiveMaster() const {
  if (FIsRoot) return nullptr;
  return FMaster ? FMaster : cxRootLookAndFeel();
}

void TcxLookAndFeel::RegisterChangeListener(IcxLookAndFeelChangeListener* AListener) {
  if (AListener && std::find(FListeners.begin(), FListeners.end(), AListener) == FListeners.end())
    FListeners.push_back(AListener);
}

void TcxLookAndFeel::UnregisterChangeListener(IcxLookAndFeelChangeListener* AListener) {
  if (FDestroying) return;
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AListener), FListeners.end());
}

void TcxLookAndFeel::MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) {
  if (Sender != FMaster) return;
  // Back to the root, without unregistering from the master that goes away.
  FMaster = nullptr;
  if (FIsRoot) return;
  cxRootLookAndFeel()->RegisterChangeListener(this);
  Changed({lfvKind, lfvNativeStyle, lfvSkinName});
}

TcxLookAndFeelKind TcxLookAndFeel::Kind() const {
  if (FAssignedValues.Contains(lfvKind) || !EffectiveMaster()) return FKind;
  return EffectiveMaster()->Kind();
}

bool TcxLookAndFeel::NativeStyle() const {
  if (FAssignedValues.Contains(lfvNativeStyle) || !EffectiveMaster()) return FNativeStyle;
  return EffectiveMaster()->NativeStyle();
}

String TcxLookAndFeel::SkinName() const {
  if (FAssignedValues.Contains(lfvSkinName) || !EffectiveMaster()) return FSkinName;
  return EffectiveMaster()->SkinName();
}

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind Value) {
  TcxLookAndFeelKind old = Kind();
  FKind = Value;
  FAssignedValues.Include(lfvKind);
  if (old != Value) Changed({lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool Value) {
  bool old = NativeStyle();
  FNativeStyle = Value;
  FAssignedValues.Include(lfvNativeStyle);
  if (old != Value) Changed({lfvNativeStyle});
}

void TcxLookAndFeel::SetSkinName(const String& Value) {
  String old = SkinName();
  FSkinName = Value;
  FAssignedValues.Include(lfvSkinName);
  if (old != Value) Changed({lfvSkinName});
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues Value) {
  if (FIsRoot || Value == FAssignedValues) return;
  TcxLookAndFeelKind kind = Kind();
  bool native = NativeStyle();
  String skin = SkinName();
  FAssignedValues = Value;
  TcxLookAndFeelValues changed;
  if (kind != Kind()) changed.Include(lfvKind);
  if (native != NativeStyle()) changed.Include(lfvNativeStyle);
  if (skin != SkinName()) changed.Include(lfvSkinName);
  if (!changed.Empty()) Changed(changed);
}

void TcxLookAndFeel::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxLookAndFeel*>(Source);
  if (!s) {
    TcxInterfacedPersistent::Assign(Source);
    return;
  }
  FKind = s->FKind;
  FNativeStyle = s->FNativeStyle;
  FSkinName = s->FSkinName;
  TcxLookAndFeelValues values = s->FAssignedValues;
  FAssignedValues = {};
  SetAssignedValues(values);
  Changed({lfvKind, lfvNativeStyle, lfvSkinName});
}

void TcxLookAndFeel::SetMaster(TcxLookAndFeel* Value) {
  if (Value == this || Value == FMaster || FIsRoot) return;
  if (TcxLookAndFeel* m = EffectiveMaster()) m->UnregisterChangeListener(this);
  FMaster = Value;
  if (TcxLookAndFeel* m = EffectiveMaster()) m->RegisterChangeListener(this);
  Changed({lfvKind, lfvNativeStyle, lfvSkinName});
}

TcxLookAndFeelPainterClass TcxLookAndFeel::ActivePainter() const {
  if (NativeStyle() && ThemeServices()->ThemesEnabled()) return cxNativePainter();
  // The Office-2003 look draws in the ultra-flat one it derives from.
  switch (Kind()) {
    case lfFlat: return cxFlatPainter();
    case lfStandard: return cxStandardPainter();
    default: return cxUltraFlatPainter();
  }
}

void TcxLookAndFeel::MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  // Only the values this object does not assign itself change with the master.
  TcxLookAndFeelValues changed = AChangedValues - FAssignedValues;
  if (!changed.Empty()) Changed(changed);
}

void TcxLookAndFeel::Changed(TcxLookAndFeelValues AChangedValues) {
  if (FDestroying) return;
  // A listener may unregister itself or others on the way: only those still
  // registered are told, each once.
  const std::vector<IcxLookAndFeelChangeListener*> listeners = FListeners;
  for (IcxLookAndFeelChangeListener* l : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), l) != FListeners.end())
      l->MasterLookAndFeelChanged(this, AChangedValues);
  if (OnChanged) OnChanged(this, AChangedValues);
}
