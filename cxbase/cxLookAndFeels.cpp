#include "cxLookAndFeels.h"

#include <algorithm>

#include "Streaming.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxLookAndFeelKind, "lfFlat", "lfStandard", "lfUltraFlat", "lfOffice11")
TOVANI_IMPLEMENT_ENUM_INFO(TcxLookAndFeelValue, "lfvKind", "lfvNativeStyle", "lfvSkinName")

TOVANI_IMPLEMENT_CLASS(TcxLookAndFeel, TcxInterfacedPersistent)
TOVANI_PUBLISHED(TcxLookAndFeel) {
  Property("AssignedValues", &TcxLookAndFeel::AssignedValues, &TcxLookAndFeel::SetAssignedValues).Stored(false);
  Property("Kind", &TcxLookAndFeel::Kind, &TcxLookAndFeel::SetKind).Stored(&TcxLookAndFeel::IsKindStored);
  Property("NativeStyle", &TcxLookAndFeel::NativeStyle, &TcxLookAndFeel::SetNativeStyle)
      .Stored(&TcxLookAndFeel::IsNativeStyleStored);
  Property("SkinName", &TcxLookAndFeel::SkinName, &TcxLookAndFeel::SetSkinName)
      .Stored(&TcxLookAndFeel::IsSkinNameStored);
}

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLookAndFeelController, TComponent)
TOVANI_PUBLISHED(TcxLookAndFeelController) {
  Property("Kind", &TcxLookAndFeelController::Kind, &TcxLookAndFeelController::SetKind).Default(lfUltraFlat);
  Property("NativeStyle", &TcxLookAndFeelController::NativeStyle, &TcxLookAndFeelController::SetNativeStyle)
      .Default(false);
  Property("SkinName", &TcxLookAndFeelController::SkinName, &TcxLookAndFeelController::SetSkinName)
      .Stored([](TObject* c) { return !static_cast<TcxLookAndFeelController*>(c)->SkinName().empty(); });
}

namespace {
TcxLookAndFeel*& RootInstance() {
  static TcxLookAndFeel* root = nullptr;
  return root;
}
}  // namespace

TcxLookAndFeel* cxRootLookAndFeel() {
  // Lives to the end of the program: controls freed at exit still unhook.
  TcxLookAndFeel*& root = RootInstance();
  if (!root) root = new TcxLookAndFeel(TcxLookAndFeel::TRootTag{});
  return root;
}

TcxLookAndFeel::TcxLookAndFeel(TRootTag) : TcxInterfacedPersistent(nullptr), FIsRoot(true) {
  FCurrent.Painter = PainterForObjectKinds(0);
  FPaletteNotifier = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
  FPaletteNotifier->OnPaletteChanged = [this] { NotifyNativeStyleChanged(); };
  FThemeNotificator = std::make_unique<TdxThemeChangedNotificator>();
  FThemeNotificator->OnThemeChanged = [this] { NotifyNativeStyleChanged(); };
}

TcxLookAndFeel::TcxLookAndFeel(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  FPaletteNotifier = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
  FPaletteNotifier->OnPaletteChanged = [this] { NotifyNativeStyleChanged(); };
  // The painter in effect depends on whether visual styles are active.
  FThemeNotificator = std::make_unique<TdxThemeChangedNotificator>();
  FThemeNotificator->OnThemeChanged = [this] { NotifyNativeStyleChanged(); };
  TcxLookAndFeel* root = cxRootLookAndFeel();
  root->RegisterChangeListener(this);
  FCurrent.Kind = GetEffectiveKind();
  FCurrent.NativeStyle = GetEffectiveNativeStyle();
  FCurrent.SkinName = GetEffectiveSkinName();
  if (!FCurrent.NativeStyle) FSkinPainter = GetEffectiveSkinPainter();
  FCurrent.Painter = PainterForObjectKinds(0);
}

TcxLookAndFeel::~TcxLookAndFeel() {
  cxStylePainterRegistry()->DetachListener(this);
  FPaletteNotifier.reset();
  FThemeNotificator.reset();
  // Listeners drop this look-and-feel (dependents fall back to the root);
  // the list stays as it is while it is walked.
  FDestroying = true;
  const std::vector<IcxLookAndFeelChangeListener*> listeners = FListeners;
  for (IcxLookAndFeelChangeListener* l : listeners) l->MasterLookAndFeelDestroying(this);
  FDestroying = false;
  FListeners.clear();
  if (TcxLookAndFeel* m = EffectiveMaster()) m->UnregisterChangeListener(this);
  if (FIsRoot && RootInstance() == this) RootInstance() = nullptr;
}

TcxLookAndFeel* TcxLookAndFeel::EffectiveMaster() const {
  if (FIsRoot) return nullptr;
  return FMaster ? FMaster : cxRootLookAndFeel();
}

// ---------------------------------------------------------------------------
// Values in effect

TcxLookAndFeelKind TcxLookAndFeel::GetEffectiveKind() const {
  if (FAssignedValues.Contains(lfvKind)) return FAssigned.Kind;
  if (TcxLookAndFeel* m = EffectiveMaster()) return m->Kind();
  return lfUltraFlat;
}

bool TcxLookAndFeel::GetEffectiveNativeStyle() const {
  if (FAssignedValues.Contains(lfvNativeStyle)) return FAssigned.NativeStyle;
  if (TcxLookAndFeel* m = EffectiveMaster()) return m->NativeStyle();
  return false;
}

String TcxLookAndFeel::GetEffectiveSkinName() const {
  if (FAssignedValues.Contains(lfvSkinName)) return FAssigned.SkinName;
  if (TcxLookAndFeel* m = EffectiveMaster()) return m->SkinName();
  return String();
}

TcxLookAndFeelPainterClass TcxLookAndFeel::GetEffectiveSkinPainter() const {
  TcxLookAndFeelPainterClass painter = nullptr;
  if (FAssignedValues.Contains(lfvSkinName)) FindSkinPainter(FAssigned.SkinName, painter);
  else if (TcxLookAndFeel* m = EffectiveMaster()) m->FindSkinPainter(m->SkinName(), painter);
  return painter;
}

bool TcxLookAndFeel::FindSkinPainter(const String& AName, TcxLookAndFeelPainterClass& APainter) const {
  APainter = nullptr;
  return !AName.empty() && cxStylePainterRegistry()->FindPainter(AName, APainter);
}

TcxLookAndFeelPainterClass TcxLookAndFeel::PainterForObjectKinds(TdxThemeObjectKinds AKinds) const {
  if (GetEffectiveNativeStyle() && dxVisualStylesEnabled(AKinds)) return cxNativePainter();
  if (FSkinPainter) return FSkinPainter;
  return cxPainterOfKind(GetEffectiveKind());
}

TcxLookAndFeelPainterClass TcxLookAndFeel::PainterForObjectType(TdxThemeObjectKind AKind) const {
  if (GetEffectiveNativeStyle() && dxCanUseTheme(AKind)) return cxNativePainter();
  if (FSkinPainter) return FSkinPainter;
  return cxPainterOfKind(GetEffectiveKind());
}

TcxLookAndFeelPainterClass TcxLookAndFeel::PainterForObjectType(const String& AObjectType) const {
  static const char* const names[dxThemeObjectKindCount] = {
      "Button",  "Clock",      "ComboBox", "Edit",     "ExplorerBar", "Header",  "ListBox",  "ListView", "Menu",
      "Page",    "Progress",   "Rebar",    "ScrollBar", "Spin",       "StartPanel", "Status", "Tab",      "TaskBand",
      "TaskBar", "ToolBar",    "ToolTip",  "TrackBar", "TrayNotify",  "TreeView", "Window"};
  for (int k = 0; k < dxThemeObjectKindCount; ++k)
    if (AnsiCompareText(AObjectType, names[k]) == 0) return PainterForObjectType(TdxThemeObjectKind(k));
  return PainterForObjectKinds(0);
}

// ---------------------------------------------------------------------------
// Setters and announcements

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind Value) {
  const TcxLookAndFeelKind old = GetEffectiveKind();
  FAssignedValues.Include(lfvKind);
  FAssigned.Kind = Value;
  if (GetEffectiveKind() != old) AnnounceChanges({lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool Value) {
  const bool old = GetEffectiveNativeStyle();
  FAssignedValues.Include(lfvNativeStyle);
  FAssigned.NativeStyle = Value;
  if (GetEffectiveNativeStyle() != old) AnnounceChanges({lfvNativeStyle});
}

void TcxLookAndFeel::SetSkinName(const String& Value) {
  const String old = GetEffectiveSkinName();
  FAssignedValues.Include(lfvSkinName);
  FAssigned.SkinName = Value;
  if (GetEffectiveSkinName() != old) AnnounceChanges({lfvSkinName});
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues Value) {
  if (Value == FAssignedValues) return;
  RememberState();
  FAssignedValues = Value;
  CheckStateChanges();
}

void TcxLookAndFeel::RememberState() {
  FPrevious.Kind = FCurrent.Kind;
  FPrevious.NativeStyle = FCurrent.NativeStyle;
  FPrevious.SkinName = FCurrent.SkinName;
}

void TcxLookAndFeel::CheckStateChanges() {
  TcxLookAndFeelValues changed;
  if (GetEffectiveKind() != FPrevious.Kind) changed.Include(lfvKind);
  if (GetEffectiveNativeStyle() != FPrevious.NativeStyle) changed.Include(lfvNativeStyle);
  if (GetEffectiveSkinName() != FPrevious.SkinName) changed.Include(lfvSkinName);
  AnnounceChanges(changed);
}

void TcxLookAndFeel::UpdateCurrentState() {
  FCurrent.Kind = GetEffectiveKind();
  FCurrent.NativeStyle = GetEffectiveNativeStyle();
  FCurrent.SkinName = GetEffectiveSkinName();
  FSkinPainter = FCurrent.NativeStyle ? nullptr : GetEffectiveSkinPainter();
  FCurrent.Painter = PainterForObjectKinds(0);
}

void TcxLookAndFeel::AnnounceChanges(TcxLookAndFeelValues AChangedValues) {
  if (AChangedValues.Empty() || FDestroying) return;
  UpdateCurrentState();
  if (FSkinPainter) cxStylePainterRegistry()->AttachListener(this);
  else cxStylePainterRegistry()->DetachListener(this);
  // A listener may unregister itself or others on the way: only those still
  // registered are told, each once.
  const std::vector<IcxLookAndFeelChangeListener*> listeners = FListeners;
  for (IcxLookAndFeelChangeListener* l : listeners)
    if (HasChangeListener(l)) l->MasterLookAndFeelChanged(this, AChangedValues);
  if (OnChanged) OnChanged(this, AChangedValues);
}

void TcxLookAndFeel::NotifyNativeStyleChanged() { AnnounceChanges({lfvNativeStyle}); }

void TcxLookAndFeel::PainterChanged() { AnnounceChanges(cxLookAndFeelValuesAll); }

void TcxLookAndFeel::MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  AnnounceChanges(AChangedValues - FAssignedValues);
}

void TcxLookAndFeel::MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) {
  if (Sender == FMaster) SetMaster(nullptr);
}

void TcxLookAndFeel::SetMaster(TcxLookAndFeel* Value) {
  if (FIsRoot || Value == this || Value == EffectiveMaster()) return;
  RememberState();
  if (TcxLookAndFeel* m = EffectiveMaster()) m->UnregisterChangeListener(this);
  FMaster = Value;
  if (TcxLookAndFeel* m = EffectiveMaster()) m->RegisterChangeListener(this);
  CheckStateChanges();
}

void TcxLookAndFeel::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxLookAndFeel*>(Source);
  if (!s) {
    TcxInterfacedPersistent::Assign(Source);
    return;
  }
  RememberState();
  FAssigned.Kind = s->FAssigned.Kind;
  FAssigned.NativeStyle = s->FAssigned.NativeStyle;
  FAssigned.SkinName = s->FAssigned.SkinName;
  FAssignedValues = s->FAssignedValues;
  TcxLookAndFeel* master = s->EffectiveMaster();
  if (!FIsRoot && master != this && master != EffectiveMaster()) {
    if (TcxLookAndFeel* m = EffectiveMaster()) m->UnregisterChangeListener(this);
    FMaster = master;
    if (TcxLookAndFeel* m = EffectiveMaster()) m->RegisterChangeListener(this);
  }
  CheckStateChanges();
}

void TcxLookAndFeel::DefineProperties(TFiler* Filer) {
  TcxInterfacedPersistent::DefineProperties(Filer);
  // The skin name once more under its own name: either entry restores it.
  Filer->DefineProperty(
      "SkinName", [this](TReader* R) { SetSkinName(R->ReadString()); },
      [this](TWriter* W) { W->WriteString(FAssigned.SkinName); }, IsSkinNameStored());
}

// ---------------------------------------------------------------------------
// Listeners

bool TcxLookAndFeel::HasChangeListener(IcxLookAndFeelChangeListener* AListener) const {
  return std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end();
}

void TcxLookAndFeel::RegisterChangeListener(IcxLookAndFeelChangeListener* AListener) {
  if (!AListener || HasChangeListener(AListener)) return;
  const bool controller = dynamic_cast<TcxLookAndFeelController*>(AListener) != nullptr;
  if (controller && !FIsRoot) return;
  FListeners.push_back(AListener);
  if (controller) ++FControllerCount;
}

void TcxLookAndFeel::UnregisterChangeListener(IcxLookAndFeelChangeListener* AListener) {
  if (FDestroying || !HasChangeListener(AListener)) return;
  std::erase(FListeners, AListener);
  if (FIsRoot && dynamic_cast<TcxLookAndFeelController*>(AListener) && --FControllerCount == 0)
    ResetAssignedValues();
}

// ---------------------------------------------------------------------------
// Controller

TcxLookAndFeelController::TcxLookAndFeelController(TComponent* AOwner) : TComponent(AOwner) {
  cxRootLookAndFeel()->RegisterChangeListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController() {
  if (TcxLookAndFeel* root = RootInstance()) root->UnregisterChangeListener(this);
}

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const {
  return RootInstance() ? RootInstance()->Kind() : lfUltraFlat;
}
void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind Value) {
  if (RootInstance()) RootInstance()->SetKind(Value);
}
bool TcxLookAndFeelController::NativeStyle() const {
  return RootInstance() ? RootInstance()->NativeStyle() : false;
}
void TcxLookAndFeelController::SetNativeStyle(bool Value) {
  if (RootInstance()) RootInstance()->SetNativeStyle(Value);
}
String TcxLookAndFeelController::SkinName() const {
  return RootInstance() ? RootInstance()->SkinName() : String();
}
void TcxLookAndFeelController::SetSkinName(const String& Value) {
  if (RootInstance()) RootInstance()->SetSkinName(Value);
}
