// The editor's settings side: the default-values provider, the alignment
// and the buttons, the edit styles with their controller, the properties
// object, the repository with its items, the registry of properties classes,
// the unit's small routines and its start-up.
#include <algorithm>

#include "Forms.h"
#include "Streaming.h"
#include "cxEdit.h"
#include "cxEditStartup.h"
#include "cxFilter.h"
#include "cxVariants.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS(EcxEditValidationError, EcxEditError)
TOVANI_IMPLEMENT_CLASS(TcxCustomEditDefaultValuesProvider, TcxInterfacedPersistent)
TOVANI_IMPLEMENT_CLASS(TcxEditAlignment, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditButton, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxEditButtons, TOwnedCollection)
TOVANI_IMPLEMENT_CLASS(TcxEditButtonViewInfo, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxCustomEditStyle, TcxContainerStyle)
TOVANI_IMPLEMENT_CLASS(TcxEditStyle, TcxCustomEditStyle)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditStyleController, TcxStyleController)
TOVANI_IMPLEMENT_CLASS(TcxCustomEditPropertiesValues, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomEditProperties, TcxInterfacedPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryItem, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepository, TComponent)

TOVANI_IMPLEMENT_ENUM_INFO(TcxEditVertAlignment, "taTopJustify", "taBottomJustify", "taVCenter")
TOVANI_IMPLEMENT_ENUM_INFO(TcxEditButtonKind, "bkEllipsis", "bkDown", "bkGlyph", "bkText")
TOVANI_IMPLEMENT_ENUM_INFO(TcxEditButtonStyle, "btsDefault", "bts3D", "btsFlat", "btsSimple", "btsHotFlat",
                           "btsUltraFlat", "btsOffice11")
TOVANI_IMPLEMENT_ENUM_INFO(TcxEditButtonTransparency, "ebtNone", "ebtInactive", "ebtAlways", "ebtHideInactive",
                           "ebtHideUnselected")
TOVANI_IMPLEMENT_ENUM_INFO(TcxEditPopupBorderStyle, "epbsDefault", "epbsSingle", "epbsFrame3D", "epbsFlat")

namespace {
const TcxResourceString cxSEditInvalidInputValue{"Invalid input value. Use escape key to abandon changes"};

// Process-wide objects of the editor unit.
struct TEditUnit {
  bool Started = false;
  std::unique_ptr<std::vector<TcxCustomEditProperties*>> LiveProperties;
  TcxEditStyleController* DefaultController = nullptr;
  std::unique_ptr<TcxRegisteredClasses> Registry;
  std::unique_ptr<TcxEditRepository> DefaultRepository;
};
TEditUnit& EditUnit() {
  // Kept for the life of the process: styles and properties of controls
  // still alive at exit refer to it (cxEditUnitShutdown frees its objects).
  static TEditUnit* unit = new TEditUnit();
  return *unit;
}
}  // namespace

void cxEditUnitStartup() {
  TEditUnit& u = EditUnit();
  if (u.Started) return;
  u.Started = true;
  // Screen cursor 4101: the program's "CXEDIT_MOUSEWHEEL" cursor; a program
  // that carries none gets the system's four-way arrow in its place.
  if (Screen) {
    HCURSOR wheel = LoadCursorW(GetModuleHandleW(nullptr), reinterpret_cast<LPCWSTR>(u"CXEDIT_MOUSEWHEEL"));
    if (!wheel) wheel = LoadCursorW(nullptr, MAKEINTRESOURCEW(32646));   // IDC_SIZEALL
    Screen->SetCursors(crcxEditMouseWheel, wheel);
  }
  u.LiveProperties = std::make_unique<std::vector<TcxCustomEditProperties*>>();
  u.DefaultController = static_cast<TcxEditStyleController*>(
      cxCreateDefaultStyleController([] { return new TcxEditStyleController(nullptr); }));
  // The data library's captions honour the library's replacement table too.
  cxSetDataResourceTextHook([](const TcxResourceString& R) { return cxLoadResourceText(R); });
}

void cxEditUnitShutdown() {
  TEditUnit& u = EditUnit();
  if (!u.Started) return;
  u.Registry.reset();
  u.DefaultRepository.reset();
  u.LiveProperties.reset();
  TcxEditStyleController* c = u.DefaultController;
  u.DefaultController = nullptr;
  cxSetDefaultStyleController(nullptr);
  delete c;
  cxSetDataResourceTextHook(nullptr);
  u.Started = false;
}

TcxEditStyleController* cxDefaultEditStyleController() {
  cxEditUnitStartup();
  return EditUnit().DefaultController;
}

// ---------------------------------------------------------------------------
// Provider

TcxCustomEditDefaultValuesProvider::~TcxCustomEditDefaultValuesProvider() { ReleaseFromUsers(); }

void TcxCustomEditDefaultValuesProvider::ReleaseFromUsers() {
  const auto* live = TcxCustomEditProperties::LiveProperties();
  if (!live) return;
  std::vector<TcxCustomEditProperties*> users = *live;
  for (TcxCustomEditProperties* p : users)
    if (p->DefaultValuesProvider() == static_cast<IcxEditDefaultValuesProvider*>(this))
      p->ClearDefaultValuesProvider();
}

// ---------------------------------------------------------------------------
// Alignment

void TcxEditAlignment::SetHorz(TAlignment Value) {
  if (FIsHorzAssigned && FHorz == Value) return;
  FIsHorzAssigned = true;
  FHorz = Value;
  DoChanged();
}

void TcxEditAlignment::SetVert(TcxEditVertAlignment Value) {
  if (FVert == Value) return;
  FVert = Value;
  DoChanged();
}

void TcxEditAlignment::Reset() {
  FIsHorzAssigned = false;
  DoChanged();
}

void TcxEditAlignment::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxEditAlignment*>(Source);
  if (!s) return TPersistent::Assign(Source);
  FVert = s->FVert;
  FHorz = s->FHorz;
  FIsHorzAssigned = s->FIsHorzAssigned;
  DoChanged();
}

TOVANI_PUBLISHED(TcxEditAlignment) {
  Property("Horz", &TcxEditAlignment::Horz, &TcxEditAlignment::SetHorz)
      .Stored([](TObject* o) { return static_cast<TcxEditAlignment*>(o)->IsHorzStored(); });
  Property("Vert", &TcxEditAlignment::Vert, &TcxEditAlignment::SetVert).Default(Integer(taTopJustify));
}

// ---------------------------------------------------------------------------
// Buttons

TcxEditButton::TcxEditButton(TCollection* ACollection) {
  if (ACollection) ACollection->BeginUpdate();
  SetCollection(ACollection);
  if (ACollection) ACollection->EndUpdate();
}

TcxEditButton::~TcxEditButton() = default;

void TcxEditButton::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  FVisibleCaption = cxStripAccelerators(Value, true);
  Changed(false);
}

void TcxEditButton::SetContentAlignment(TAlignment Value) { Store(FContentAlignment, Value); }

void TcxEditButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  if (Value && Collection())
    for (Integer i = 0; i < Collection()->Count(); ++i)
      static_cast<TcxEditButton*>(Collection()->Items(i))->FDefault = false;
  FDefault = Value;
  Changed(true);
}

void TcxEditButton::SetEnabled(bool Value) { Store(FEnabled, Value); }

TBitmap* TcxEditButton::Glyph() {
  if (!FGlyph) {
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = [this](TObject*) { Changed(false); };
  }
  return FGlyph.get();
}

void TcxEditButton::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FGlyph.reset();
  } else {
    Glyph()->Assign(Value);
  }
  Changed(false);
}

void TcxEditButton::SetHint(const String& Value) { Store(FHint, Value); }
void TcxEditButton::SetKind(TcxEditButtonKind Value) { Store(FKind, Value); }
void TcxEditButton::SetLeftAlignment(bool Value) { Store(FLeftAlignment, Value); }
void TcxEditButton::SetStretchable(bool Value) { Store(FStretchable, Value); }
void TcxEditButton::SetTag(Integer Value) { Store(FTag, Value); }
void TcxEditButton::SetTextColor(TColor Value) { Store(FTextColor, Value); }
void TcxEditButton::SetVisible(bool Value) { Store(FVisible, Value); }

void TcxEditButton::SetWidth(Integer Value) {
  if (Value < 0) return;
  Store(FWidth, Value);
}

void TcxEditButton::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxEditButton*>(Source);
  if (!s) return TCollectionItem::Assign(Source);
  if (Collection()) Collection()->BeginUpdate();
  FCaption = s->FCaption;
  FVisibleCaption = s->FVisibleCaption;
  FContentAlignment = s->FContentAlignment;
  FDefault = s->FDefault;
  FEnabled = s->FEnabled;
  if (s->FGlyph)
    Glyph()->Assign(s->FGlyph.get());
  else
    FGlyph.reset();
  FKind = s->FKind;
  FLeftAlignment = s->FLeftAlignment;
  FStretchable = s->FStretchable;
  FTag = s->FTag;
  FTextColor = s->FTextColor;
  FVisible = s->FVisible;
  FWidth = s->FWidth;
  FHint = s->FHint;
  Changed(false);
  if (Collection()) Collection()->EndUpdate();
}

TOVANI_PUBLISHED(TcxEditButton) {
  using B = TcxEditButton;
  Property("Caption", &B::Caption, &B::SetCaption);
  Property("ContentAlignment", &B::ContentAlignment, &B::SetContentAlignment).Default(Integer(taCenter));
  Property("Default", &B::Default, &B::SetDefault).Default(false);
  Property("Enabled", &B::Enabled, &B::SetEnabled).Default(true);
  Property("Glyph", &B::Glyph, &B::SetGlyph).Stored([](TObject* o) {
    auto* b = static_cast<B*>(o);
    return b->HasGlyph() && !b->Glyph()->Empty();
  });
  Property("Hint", &B::Hint, &B::SetHint);
  Property("Kind", &B::Kind, &B::SetKind).Default(Integer(bkDown));
  Property("LeftAlignment", &B::LeftAlignment, &B::SetLeftAlignment).Default(false);
  Property("Stretchable", &B::Stretchable, &B::SetStretchable).Default(true);
  Property("Tag", &B::Tag, &B::SetTag).Default(0);
  Property("Visible", &B::Visible, &B::SetVisible).Default(true);
  Property("Width", &B::Width, &B::SetWidth).Default(0);
}

TcxEditButtons::TcxEditButtons(TPersistent* AOwner, TClass AButtonClass)
    : TOwnedCollection(AOwner, AButtonClass ? AButtonClass : TcxEditButton::StaticClass()) {}

Integer TcxEditButtons::VisibleCount() const {
  Integer n = 0;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Visible()) ++n;
  return n;
}

// Button view info -----------------------------------------------------------

void TcxEditButtonViewInfo::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxEditButtonViewInfo*>(Source);
  if (!s) return TPersistent::Assign(Source);
  Data.NativeState = s->Data.NativeState;
  Data.BackgroundColor = s->Data.BackgroundColor;
  Bounds = s->Bounds;
  Data.Style = s->Data.Style;
  Data.State = s->Data.State;
}

bool TcxEditButtonViewInfo::DiffersFrom(TcxEditButtonViewInfo* AOld) const {
  return !AOld || Data.Style != AOld->Data.Style || Data.State != AOld->Data.State ||
         Data.BackgroundColor != AOld->Data.BackgroundColor || Data.NativeState != AOld->Data.NativeState;
}

HRGN TcxEditButtonViewInfo::GetUpdateRegion(TcxEditButtonViewInfo* AOld) {
  if (!DiffersFrom(AOld)) return CreateRectRgn(0, 0, 0, 0);
  return CreateRectRgn(Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom);
}

bool TcxEditButtonViewInfo::Repaint(TWinControl* AControl, TcxEditButtonViewInfo* AOld, const TPoint& AOffset) {
  if (!DiffersFrom(AOld)) return false;
  if (AControl && AControl->HandleAllocated()) {
    TRect r = Bounds;
    OffsetRect(r, AOffset.X, AOffset.Y);
    cxInvalidateFrameRing(AControl->Handle(), r, TRect(), Data.EraseBackground);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Edit styles

TcxCustomEditStyle::TcxCustomEditStyle(TPersistent* AOwner, bool ADirectAccessMode, TcxContainerStyle* AParentStyle,
                                       TcxContainerStateItem AState)
    : TcxContainerStyle(AOwner, ADirectAccessMode, AParentStyle, AState) {
  // The container's construction attached the base style to the
  // container's default; an edit style takes the edit default (or none).
  if (IsBase()) {
    TcxStyleController* c = GetActiveController();
    if (!c || c == cxDefaultStyleController()) SetStyleController(nullptr);
  }
}

TcxContainerStyleFactory TcxEditStyle::Factory() {
  return [](TPersistent* AOwner, bool ADirect, TcxContainerStyle* AParent, TcxContainerStateItem AState) {
    cxEditUnitStartup();
    return new TcxEditStyle(AOwner, ADirect, AParent, AState);
  };
}

TcxCustomEdit* TcxCustomEditStyle::GetEdit() { return dynamic_cast<TcxCustomEdit*>(Owner()); }

TcxEditStyleController* TcxCustomEditStyle::ActiveEditStyleController() {
  return dynamic_cast<TcxEditStyleController*>(GetActiveController());
}

TcxStyleController* TcxCustomEditStyle::GetDefaultController() {
  if (DirectAccessMode()) return nullptr;
  if (TcxCustomEdit* e = GetEdit(); e && e->IsInplace()) return nullptr;
  return cxDefaultEditStyleController();
}

bool TcxCustomEditStyle::StyleValueName(TcxContainerStyleValue AValue, String& AName) {
  static const char* const kNames[] = {"ButtonStyle",     "ButtonTransparency", "PopupBorderStyle",
                                       "GradientButtons", "Gradient",           "GradientDirection"};
  if (Integer(AValue) < cxContainerStyleValueCount) return TcxContainerStyle::StyleValueName(AValue, AName);
  if (Integer(AValue) >= cxEditStyleValueCount) return false;
  AName = kNames[Integer(AValue) - cxContainerStyleValueCount];
  return true;
}

TcxCustomEditStyle* TcxCustomEditStyle::EditValueSource(TcxContainerStyleValue AValue) {
  if (FAssignedValues.Contains(AValue)) return this;
  TcxStyleController* c = GetActiveController();
  if (!c || c->IsDestroying()) return nullptr;
  auto* s = dynamic_cast<TcxCustomEditStyle*>(c->GetStyleOfSlot(State()));
  return s && s != this ? s->EditValueSource(AValue) : nullptr;
}

bool TcxCustomEditStyle::IsValueAssigned(TcxContainerStyleValue AValue) {
  if (Integer(AValue) < cxContainerStyleValueCount) return TcxContainerStyle::IsValueAssigned(AValue);
  return EditValueSource(AValue) != nullptr;
}

TcxContainerStyleValues TcxCustomEditStyle::HiddenSlotValues() {
  return TcxContainerStyleValues::FromMask(64120);
}

// One getter shape for the six values: the stored value in direct-access
// mode when assigned, else down the controller chain, else the fallback.
#define CX_EDIT_STYLE_GETTER(Type, Name, Value, Field)                          \
  Type TcxCustomEditStyle::Name() {                                             \
    if (DirectAccessMode()) return FAssignedValues.Contains(Value) ? Field : Fallback##Name(); \
    TcxCustomEditStyle* s = EditValueSource(Value);                             \
    return s ? s->Field : Fallback##Name();                                     \
  }
CX_EDIT_STYLE_GETTER(TcxEditButtonStyle, ButtonStyle, svButtonStyle, FButtonStyle)
CX_EDIT_STYLE_GETTER(TcxEditButtonTransparency, ButtonTransparency, svButtonTransparency, FButtonTransparency)
CX_EDIT_STYLE_GETTER(TcxEditPopupBorderStyle, PopupBorderStyle, svPopupBorderStyle, FPopupBorderStyle)
CX_EDIT_STYLE_GETTER(bool, GradientButtons, svGradientButtons, FGradientButtons)
CX_EDIT_STYLE_GETTER(bool, Gradient, svGradient, FGradient)
CX_EDIT_STYLE_GETTER(TcxEditGradientDirection, GradientDirection, svGradientDirection, FGradientDirection)
#undef CX_EDIT_STYLE_GETTER

TcxEditButtonStyle TcxCustomEditStyle::FallbackButtonStyle() {
  return IsBase() ? btsDefault : EditBase()->ButtonStyle();
}
TcxEditButtonTransparency TcxCustomEditStyle::FallbackButtonTransparency() {
  return IsBase() ? ebtNone : EditBase()->ButtonTransparency();
}
bool TcxCustomEditStyle::FallbackGradient() { return IsBase() ? false : EditBase()->Gradient(); }
bool TcxCustomEditStyle::FallbackGradientButtons() { return IsBase() ? false : EditBase()->GradientButtons(); }
TcxEditGradientDirection TcxCustomEditStyle::FallbackGradientDirection() {
  return IsBase() ? dirDown : EditBase()->GradientDirection();
}
TcxEditPopupBorderStyle TcxCustomEditStyle::FallbackPopupBorderStyle() {
  return IsBase() ? epbsDefault : EditBase()->PopupBorderStyle();
}

void TcxCustomEditStyle::SetButtonStyle(TcxEditButtonStyle Value) {
  if (FAssignedValues.Contains(svButtonStyle) && FButtonStyle == Value) return;
  FButtonStyle = Value;
  FAssignedValues.Include(svButtonStyle);
  NotifyChanged();
}

template <class T>
void TcxCustomEditStyle::StoreOnBase(T TcxCustomEditStyle::*AField, TcxContainerStyleValue AValue, const T& Value) {
  TcxCustomEditStyle* b = EditBase();
  if (b->FAssignedValues.Contains(AValue) && b->*AField == Value) return;
  b->*AField = Value;
  b->FAssignedValues.Include(AValue);
  b->NotifyChanged();
}

void TcxCustomEditStyle::SetButtonTransparency(TcxEditButtonTransparency Value) {
  StoreOnBase(&TcxCustomEditStyle::FButtonTransparency, svButtonTransparency, Value);
}
void TcxCustomEditStyle::SetPopupBorderStyle(TcxEditPopupBorderStyle Value) {
  StoreOnBase(&TcxCustomEditStyle::FPopupBorderStyle, svPopupBorderStyle, Value);
}
void TcxCustomEditStyle::SetGradientButtons(bool Value) {
  StoreOnBase(&TcxCustomEditStyle::FGradientButtons, svGradientButtons, Value);
}
void TcxCustomEditStyle::SetGradient(bool Value) { StoreOnBase(&TcxCustomEditStyle::FGradient, svGradient, Value); }
void TcxCustomEditStyle::SetGradientDirection(TcxEditGradientDirection Value) {
  StoreOnBase(&TcxCustomEditStyle::FGradientDirection, svGradientDirection, Value);
}

void TcxCustomEditStyle::SetPopupCloseButton(bool Value) {
  TcxCustomEditStyle* b = EditBase();
  if (b->FPopupCloseButton == Value) return;
  b->FPopupCloseButton = Value;
  b->NotifyChanged();
}

void TcxCustomEditStyle::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomEditStyle*>(Source);
  if (!s) return TcxContainerStyle::Assign(Source);
  BeginUpdate();
  FButtonStyle = s->FButtonStyle;
  FButtonTransparency = s->FButtonTransparency;
  FGradient = s->FGradient;
  FGradientButtons = s->FGradientButtons;
  FGradientDirection = s->FGradientDirection;
  FPopupBorderStyle = s->FPopupBorderStyle;
  FPopupCloseButton = s->FPopupCloseButton;
  TcxContainerStyle::Assign(Source);
  NotifyChanged();
  EndUpdate();
}

TOVANI_PUBLISHED(TcxEditStyle) {
  using S = TcxEditStyle;
  auto stored = [](TcxContainerStyleValue v) {
    return [v](TObject* o) { return static_cast<S*>(o)->StoredEditValue(v); };
  };
  Property("BorderStyle", &S::GetBorderStyle, &S::SetEditBorderStyle).Stored(stored(csvBorderStyle));
  Property("ButtonStyle", &S::ButtonStyle, &S::SetButtonStyle).Stored(stored(svButtonStyle));
  Property("ButtonTransparency", &S::ButtonTransparency, &S::SetButtonTransparency)
      .Stored(stored(svButtonTransparency));
  Property("Gradient", &S::Gradient, &S::SetGradient).Stored(stored(svGradient));
  Property("PopupBorderStyle", &S::PopupBorderStyle, &S::SetPopupBorderStyle).Stored(stored(svPopupBorderStyle));
}

TOVANI_IMPLEMENT_ENUM_INFO(TcxEditBorderStyle, "ebsNone", "ebsSingle", "ebsThick", "ebsFlat", "ebs3D",
                           "ebsUltraFlat", "ebsOffice11")

TcxEditStyleController::TcxEditStyleController(TComponent* AOwner) : TcxStyleController(AOwner) { RecreateStyles(); }

TOVANI_PUBLISHED(TcxEditStyleController) {
  using C = TcxEditStyleController;
  Property("Style", &C::Style, &C::SetStyle);
  Property("StyleDisabled", &C::StyleDisabled, &C::SetStyleDisabled);
  Property("StyleFocused", &C::StyleFocused, &C::SetStyleFocused);
  Property("StyleHot", &C::StyleHot, &C::SetStyleHot);
}

// ---------------------------------------------------------------------------
// Properties values

TcxCustomEditProperties* TcxCustomEditPropertiesValues::Properties() const {
  return dynamic_cast<TcxCustomEditProperties*>(FOwner);
}
void TcxCustomEditPropertiesValues::BeginOwnerUpdate() {
  if (auto* p = Properties()) p->BeginUpdate();
}
void TcxCustomEditPropertiesValues::EndOwnerUpdate() {
  if (auto* p = Properties()) p->EndUpdate(true);
}
void TcxCustomEditPropertiesValues::NotifyOwnerChanged() {
  if (auto* p = Properties()) p->Changed();
}
void TcxCustomEditPropertiesValues::SetFlag(bool& AFlag, bool Value) {
  if (AFlag == Value) return;
  AFlag = Value;
  NotifyOwnerChanged();
}

void TcxCustomEditPropertiesValues::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomEditPropertiesValues*>(Source);
  if (!s) return TPersistent::Assign(Source);
  BeginOwnerUpdate();
  SetMaxValue(s->FMaxValue);
  SetMinValue(s->FMinValue);
  SetReadOnly(s->FReadOnly);
  EndOwnerUpdate();
}

void TcxCustomEditPropertiesValues::ResetAssigned() {
  BeginOwnerUpdate();
  SetMaxValue(false);
  SetMinValue(false);
  SetReadOnly(false);
  EndOwnerUpdate();
}

TOVANI_PUBLISHED(TcxCustomEditPropertiesValues) {
  Property("ReadOnly", &TcxCustomEditPropertiesValues::ReadOnly, &TcxCustomEditPropertiesValues::SetReadOnly)
      .Stored(false);
}

// ---------------------------------------------------------------------------
// Properties

const std::vector<TcxCustomEditProperties*>* TcxCustomEditProperties::LiveProperties() {
  return EditUnit().LiveProperties.get();
}

TcxCustomEditProperties::TcxCustomEditProperties(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  // The program starts the framework before it makes any window; code that
  // uses the editors without that start (tests, tools) gets it with the
  // first editor of any kind, so every editor finds the popup owner hook,
  // the hot-track colour and the registrations in place.
  cxEditFrameworkEnsureStarted();
  cxEditUnitStartup();
  if (auto* live = EditUnit().LiveProperties.get()) live->push_back(this);
  FFreeNotificator = std::make_unique<TcxFreeNotificator>();
  FFreeNotificator->OnComponentFreed = [this](TObject*, TComponent* C) { FreeNotification(C); };
  FAlignment = std::make_unique<TcxEditAlignment>(this);
  FAlignment->OnChanged = [this](TObject*) { AlignmentChanged(); };
  FAssignedValues = std::make_unique<TcxCustomEditPropertiesValues>(this);
  FButtons = std::make_unique<TcxEditButtons>(this);
  FButtons->OnChange = [this](TObject*) { ButtonsChanged(); };
  FUseLeftAlignmentOnEditing = DefaultUseLeftAlignmentOnEditing();
  FStoredAlignment = std::make_unique<TcxEditAlignment>(this);
}

TcxCustomEditProperties::~TcxCustomEditProperties() {
  FProvider = nullptr;
  FButtons->OnChange = nullptr;
  FButtons.reset();
  FStoredAlignment.reset();
  FAssignedValues.reset();
  FAlignment.reset();
  FFreeNotificator.reset();
  if (auto* live = EditUnit().LiveProperties.get()) live->erase(std::remove(live->begin(), live->end(), this), live->end());
}

TClass TcxCustomEditProperties::GetContainerClass() { return TcxCustomEdit::StaticClass(); }
TClass TcxCustomEditProperties::GetViewDataClass() { return TcxCustomEditViewData::StaticClass(); }
TClass TcxCustomEditProperties::GetViewInfoClass() { return TcxCustomEditViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomEditProperties::CreateViewInfo() { return new TcxCustomEditViewInfo(); }

TcxCustomEditViewData* TcxCustomEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                               bool APreviewMode) {
  auto* vd = new TcxCustomEditViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

TcxCustomEditProperties* TcxCustomEditProperties::CreateOfSameClass() {
  if (ClassType()->Factory) return static_cast<TcxCustomEditProperties*>(ClassType()->Factory());
  return new TcxCustomEditProperties(nullptr);
}

void TcxCustomEditProperties::Changed() {
  auto* owner = dynamic_cast<TComponent*>(Owner());
  if (IsChangingLocked() || (owner && owner->ComponentState().Contains(csDestroying))) {
    FChangedMeanwhile = true;
    return;
  }
  if (!OnPropertiesChanged) return;
  ++FNotificationDepth;
  try {
    OnPropertiesChanged(this);
  } catch (...) {
    --FNotificationDepth;
    throw;
  }
  --FNotificationDepth;
}

void TcxCustomEditProperties::BeginUpdate() {
  if (FUpdateCount == 0) FChangedMeanwhile = false;
  ++FUpdateCount;
}

void TcxCustomEditProperties::EndUpdate(bool AInvokeChanged) {
  if (FUpdateCount < 1) return;
  --FUpdateCount;
  if (FUpdateCount == 0 && AInvokeChanged && FChangedMeanwhile) Changed();
}

void TcxCustomEditProperties::AlignmentChanged() {
  FStoredAlignment->FHorz = FAlignment->FHorz;
  FStoredAlignment->FVert = FAlignment->FVert;
  FStoredAlignment->FIsHorzAssigned = FAlignment->FIsHorzAssigned;
  Changed();
}

void TcxCustomEditProperties::SetAlignment(TcxEditAlignment* Value) {
  FStoredAlignment->FHorz = Value->FHorz;
  FStoredAlignment->FVert = Value->FVert;
  FStoredAlignment->FIsHorzAssigned = Value->FIsHorzAssigned;
  Changed();
}

bool TcxCustomEditProperties::IsAlignmentStored() const {
  return FStoredAlignment->IsHorzAssigned() || FStoredAlignment->Vert() != taTopJustify;
}

TcxEditAlignment* TcxCustomEditProperties::GetAlignment() {
  FAlignment->OnChanged = nullptr;
  FAlignment->FHorz = FStoredAlignment->FHorz;
  FAlignment->FVert = FStoredAlignment->FVert;
  FAlignment->FIsHorzAssigned = FStoredAlignment->FIsHorzAssigned;
  TComponent* owner = cxFindOwnerComponent(this);
  bool writing = owner && owner->ComponentState().Contains(csWriting);
  if (!(IsAlignmentStored() && writing) && !FAlignment->FIsHorzAssigned)
    FAlignment->FHorz = GetDefaultHorzAlignment();
  FAlignment->OnChanged = [this](TObject*) { AlignmentChanged(); };
  return FAlignment.get();
}

TAlignment TcxCustomEditProperties::GetDefaultHorzAlignment() {
  return FProvider ? FProvider->DefaultAlignment() : FStoredAlignment->Horz();
}

double TcxCustomEditProperties::GetMaxValue() {
  if (FAssignedValues->MaxValue()) return FMaxValue;
  return FProvider ? FProvider->DefaultMaxValue() : 0;
}

double TcxCustomEditProperties::GetMinValue() {
  if (FAssignedValues->MinValue()) return FMinValue;
  return FProvider ? FProvider->DefaultMinValue() : 0;
}

bool TcxCustomEditProperties::GetReadOnly() {
  if (FAssignedValues->ReadOnly()) return FReadOnly;
  return FProvider ? FProvider->DefaultReadOnly() : false;
}

void TcxCustomEditProperties::SetMaxValue(double Value) {
  if (FAssignedValues->MaxValue() && FMaxValue == Value) return;
  FAssignedValues->FMaxValue = true;
  FMaxValue = Value;
  Changed();
}

void TcxCustomEditProperties::SetMinValue(double Value) {
  if (FAssignedValues->MinValue() && FMinValue == Value) return;
  FAssignedValues->FMinValue = true;
  FMinValue = Value;
  Changed();
}

void TcxCustomEditProperties::SetReadOnly(bool Value) {
  if (FAssignedValues->ReadOnly() && FReadOnly == Value) return;
  FAssignedValues->FReadOnly = true;
  FReadOnly = Value;
  Changed();
}

void TcxCustomEditProperties::GetInvalidInputText(String& AText) { AText = cxLoadResourceText(cxSEditInvalidInputValue); }

bool TcxCustomEditProperties::UsesFieldDisplayFormat(bool AEditFocused) {
  if (AEditFocused || (GetDisplayFormatFlags() & 1) == 0 || !FProvider) return false;
  return FProvider->HasDisplayFormat((GetDisplayFormatFlags() & 2) == 0);
}

bool TcxCustomEditProperties::HasDisplayFormatNow() {
  return (GetDisplayFormatFlags() & 1) != 0 && UsesDataDisplayFormat(true) == evsValue && UsesDataDisplayFormat(false) == evsText &&
         FProvider && FProvider->HasDisplayFormat((GetDisplayFormatFlags() & 2) == 0);
}

bool TcxCustomEditProperties::SameDisplayValue(const Variant& V1, const Variant& V2) {
  Variant d1, d2;
  PrepareDisplayValue(V1, d1, false);
  PrepareDisplayValue(V2, d2, false);
  return cxVarEquals(d1, d2);
}

Integer TcxCustomEditProperties::GetViewOptions() { return FButtons->Count() > 0 ? 32 : 0; }

void TcxCustomEditProperties::ResetToDefaults() {
  FStoredAlignment->FIsHorzAssigned = false;
  BeginUpdate();
  FAssignedValues->ResetAssigned();
  EndUpdate(true);
}

void TcxCustomEditProperties::AttachDefaultValuesProvider(IcxEditDefaultValuesProvider* AProvider) {
  FProvider = AProvider;
  if (dynamic_cast<TcxCustomEdit*>(Owner())) Changed();
}

bool TcxCustomEditProperties::IsEditValueModifiable() {
  if (FAssignedValues->ReadOnly() && !FReadOnly) return true;
  bool ro = GetReadOnly();
  if (!ro && FProvider) return FProvider->DefaultCanModify() && FProvider->CanSetEditMode();
  return !ro;
}

void TcxCustomEditProperties::GetEditSize(TcxCanvas* ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace,
                                          const Variant& AEditValue, TcxEditSizeProperties& AEditSizeProperties,
                                          TSize& ASize) {
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData(AStyle, AIsInplace, false));
  vd->GetEditSize(ACanvas, AEditValue, AEditSizeProperties, ASize);
}

void TcxCustomEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                TcxCustomEdit* AEdit) {
  if (!CanValidate()) return;
  if (AErrorText.empty()) GetInvalidInputText(AErrorText);
  FireValidateEvents(ADisplayValue, AErrorText, AError, AEdit);
}

bool TcxCustomEditProperties::FireValidateEvents(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                 TcxCustomEdit* AEdit) {
  if (!AEdit || !AEdit->HasOnValidateHandler()) return false;
  Variant old = ADisplayValue;
  if (AEdit->Properties()->OnValidate) AEdit->Properties()->OnValidate(AEdit, ADisplayValue, AErrorText, AError);
  if (TcxEditRepositoryItem* item = AEdit->RepositoryItem())
    if (item->Properties()->OnValidate) item->Properties()->OnValidate(AEdit, ADisplayValue, AErrorText, AError);
  bool changed = VarToStr(ADisplayValue) != VarToStr(old);
  if (AError && !changed) ADisplayValue = Variant(AEdit->DisplayText());
  return changed;
}

void TcxCustomEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomEditProperties*>(Source);
  if (!s) return TcxInterfacedPersistent::Assign(Source);
  BeginUpdate();
  SetAutoSelect(s->FAutoSelect);
  FButtons->Assign(s->FButtons.get());
  SetButtonsViewStyle(s->FButtonsViewStyle);
  FBeepOnError = s->FBeepOnError;
  FClearKey = s->FClearKey;
  FClickKey = s->FClickKey;
  SetUseLeftAlignmentOnEditing(s->FUseLeftAlignmentOnEditing);
  FProvider = s->FProvider;
  SetAlignment(s->GetAlignment());
  FAssignedValues->FMaxValue = false;
  if (s->FAssignedValues->MaxValue()) SetMaxValue(s->FMaxValue);
  FAssignedValues->FMinValue = false;
  if (s->FAssignedValues->MinValue()) SetMinValue(s->FMinValue);
  FAssignedValues->FReadOnly = false;
  if (s->FAssignedValues->ReadOnly()) SetReadOnly(s->GetReadOnly());
  FImmediatePost = s->FImmediatePost;
  SetTransparent(s->FTransparent);
  FUseMouseWheel = s->FUseMouseWheel;
  FValidateOnEnter = s->FValidateOnEnter;
  OnButtonClick = s->OnButtonClick;
  OnChange = s->OnChange;
  OnEditValueChanged = s->OnEditValueChanged;
  OnValidate = s->OnValidate;
  Changed();
  EndUpdate(true);
}

// ---------------------------------------------------------------------------
// Repository

TcxEditRepositoryItem::TcxEditRepositoryItem(TComponent* AOwner) : TComponent(AOwner) {
  SetPropertiesObject(new TcxCustomEditProperties(this));
}

void TcxEditRepositoryItem::SetPropertiesObject(TcxCustomEditProperties* AProperties) {
  FProperties.reset(AProperties);
  FProperties->OnPropertiesChanged = [this](TObject* Sender) { PropertiesChanged(Sender); };
}

TcxEditRepositoryItem::~TcxEditRepositoryItem() {
  std::vector<IcxEditRepositoryItemListener*> listeners = FListeners;
  for (auto it = listeners.rbegin(); it != listeners.rend(); ++it) (*it)->ItemRemoved(this);
  FListeners.clear();
  SetRepository(nullptr);
  FProperties.reset();
}

void TcxEditRepositoryItem::PropertiesChanged(TObject*) {
  std::vector<IcxEditRepositoryItemListener*> listeners = FListeners;
  for (auto it = listeners.rbegin(); it != listeners.rend(); ++it) (*it)->PropertiesChanged(this);
}

void TcxEditRepositoryItem::AddListener(IcxEditRepositoryItemListener* AListener) {
  if (std::find(FListeners.begin(), FListeners.end(), AListener) == FListeners.end()) FListeners.push_back(AListener);
}

void TcxEditRepositoryItem::RemoveListener(IcxEditRepositoryItemListener* AListener) {
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AListener), FListeners.end());
}

void TcxEditRepositoryItem::GetBaseName(String& AName) {
  // Without a repository there is nothing to name the item after: an empty
  // stem instead of reaching through a missing repository.
  if (!FRepository) {
    AName = "";
    return;
  }
  String cls = ClassName();
  const String key = "TcxEditRepository";
  size_t pos = cls.find(key);
  String base = pos == String::npos ? String() : cls.substr(pos + key.size());
  AName = FRepository->Name() + base;
}

void TcxEditRepositoryItem::SetRepository(TcxEditRepository* Value) {
  if (Value == FRepository) return;
  TcxEditRepository* old = FRepository;
  FRepository = Value;
  if (old) old->RemoveItem(this);
  if (Value) Value->AddItem(this);
}

TComponent* TcxEditRepositoryItem::GetParentComponent() const { return FRepository; }

void TcxEditRepositoryItem::ReadState(TReader* Reader) {
  TComponent::ReadState(Reader);
  if (auto* repository = dynamic_cast<TcxEditRepository*>(Reader->Parent())) SetRepository(repository);
}

void TcxEditRepositoryItem::SetParentComponent(TComponent* Value) {
  if (ComponentState().Contains(csLoading)) return;
  SetRepository(dynamic_cast<TcxEditRepository*>(Value));
}

TcxEditRepository::~TcxEditRepository() {
  while (!FItems.empty()) delete FItems.back();
}

TcxEditRepositoryItem* TcxEditRepository::CreateItem(const TcxEditRepositoryItemFactory& AItemClass) {
  return CreateItemEx(AItemClass, this);
}

TcxEditRepositoryItem* TcxEditRepository::CreateItemEx(const TcxEditRepositoryItemFactory& AItemClass,
                                                       TComponent* AOwner) {
  TcxEditRepositoryItem* item = AItemClass(AOwner);
  item->SetRepository(this);
  return item;
}

void TcxEditRepository::AddItem(TcxEditRepositoryItem* AItem) {
  if (std::find(FItems.begin(), FItems.end(), AItem) == FItems.end()) FItems.push_back(AItem);
  if (AItem->Repository() != this) AItem->SetRepository(this);
}

void TcxEditRepository::RemoveItem(TcxEditRepositoryItem* AItem) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), AItem), FItems.end());
  if (AItem->Repository() == this) AItem->SetRepository(nullptr);
}

void TcxEditRepository::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TcxEditRepositoryItem* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

TcxEditRepository* cxGetDefaultEditRepository() {
  cxEditUnitStartup();
  auto& r = EditUnit().DefaultRepository;
  if (!r) r = std::make_unique<TcxEditRepository>(nullptr);
  return r.get();
}

TcxRegisteredClasses* cxEditPropertiesRegistry() {
  cxEditUnitStartup();
  auto& r = EditUnit().Registry;
  if (!r) {
    r = std::make_unique<TcxRegisteredClasses>(false);
    r->SetSorted(true);
  }
  return r.get();
}

// ---------------------------------------------------------------------------
// Unit routines

bool cxEditVarEquals(const Variant& V1, const Variant& V2) {
  bool comparable = (cxVarHoldsNumber(V1) && cxVarHoldsNumber(V2)) || V1.VType() == V2.VType();
  return comparable && cxVarEqualsStrict(V1, V2);
}

bool cxVarSameTypeAndValue(const Variant& V1, const Variant& V2) {
  return V1.VType() == V2.VType() && cxVarEqualsStrict(V1, V2);
}

TComponent* cxFindOwnerComponent(TPersistent* APersistent) {
  Integer guard = 0;
  for (TPersistent* p = APersistent; p && guard < 10000; p = cxGetPersistentOwner(p), ++guard)
    if (auto* c = dynamic_cast<TComponent*>(p)) return c;
  return nullptr;
}

bool cxIsEditBlankChar(char AChar) {
  switch (static_cast<unsigned char>(AChar)) {
    case 0: case 9: case 10: case 12: case 13: case 32: return true;
    default: return false;
  }
}

bool cxIsRegionEmpty(HRGN ARegion) {
  RECT r;
  return GetRgnBox(ARegion, &r) == NULLREGION;
}

void cxUniteRegion(HRGN ARegion, HRGN AOther) { CombineRgn(ARegion, ARegion, AOther, RGN_OR); }

void cxSendKeyDown(TcxCustomEdit* AEdit, Word AKey) { SendMessageW(AEdit->Handle(), WM_KEYDOWN, AKey, 0); }

void cxSendChar(TcxCustomEdit* AEdit, char32_t AChar) { SendMessageW(AEdit->Handle(), WM_CHAR, AChar, 0); }

TShiftState cxMouseButtonToShift(TMouseButton AButton) {
  switch (AButton) {
    case mbLeft: return {ssLeft};
    case mbRight: return {ssRight};
    default: return {ssMiddle};
  }
}

TShiftState cxButtonCodeToShift(Integer ACode) {
  switch (ACode) {
    case 1: return {ssLeft};
    case 2: return {ssRight};
    case 3: return {ssMiddle};
    default: return {};
  }
}

void cxEnlargeSize(TSize& ASize, const TSize& AOther) {
  ASize.cx = std::max(ASize.cx, AOther.cx);
  ASize.cy = std::max(ASize.cy, AOther.cy);
}

namespace {
TcxLookAndFeelKind KindOfButtonStyle(TcxEditButtonStyle AStyle) {
  switch (AStyle) {
    case btsFlat: case btsSimple: case btsHotFlat: return lfFlat;
    case btsUltraFlat: return lfUltraFlat;
    case btsOffice11: return lfOffice11;
    default: return lfStandard;
  }
}
}  // namespace

TcxLookAndFeelKind cxGetEditPopupLookAndFeelKind(TcxCustomEdit* AEdit) {
  TcxCustomEditStyle* style = AEdit->GetCurrentStyle();
  if (AEdit->IsInplace()) return style->LookAndFeel()->Kind();
  TcxCustomEditViewInfo* vi = AEdit->GetViewInfo();
  if (!vi || vi->ButtonsInfo.empty()) return lfStandard;
  return KindOfButtonStyle(vi->ButtonsInfo[0]->Data.Style);
}

void cxDrawEditFrame(TcxCanvas* ACanvas, TRect& R, TColor ALeftTopColor, TColor ARightBottomColor) {
  ACanvas->DrawTwoColorFrame(R, ALeftTopColor, ARightBottomColor);
  InflateRect(R, -1, -1);
}

void cxDrawEditRectFrame(TcxCanvas* ACanvas, TRect& R, TColor AColor) {
  ACanvas->DrawRectBorders(R, AColor, 1, cxBordersAll, false);
  InflateRect(R, -1, -1);
}
