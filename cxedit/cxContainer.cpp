// Container styles and style controllers.
#include "cxContainer.h"

#include <algorithm>

#include "Streaming.h"
#include "TypInfo.h"
#include "cxEditPaintUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxContainerStyle, TcxInterfacedPersistent)
TOVANI_IMPLEMENT_CLASS(TcxContainerStyles, TObject)
TOVANI_IMPLEMENT_CLASS(TcxStyleController, TcxComponent)

TOVANI_IMPLEMENT_ENUM_INFO(TcxContainerBorderStyle, "cbsNone", "cbsSingle", "cbsThick", "cbsFlat", "cbs3D",
                           "cbsUltraFlat", "cbsOffice11")
TOVANI_IMPLEMENT_ENUM_INFO(TcxBorder, "bLeft", "bTop", "bRight", "bBottom")
TOVANI_ENUM_INFO(TcxContainerStyleValue)
TOVANI_IMPLEMENT_ENUM_INFO(TcxContainerStyleValue, "svBorderColor", "svBorderStyle", "svColor", "svEdges", "svFont",
                           "svHotTrack", "svShadow", "svTextColor", "svTextStyle", "svTransparentBorder")

namespace {
const char* const kStyleValueNames[cxContainerStyleValueCount] = {
    "BorderColor", "BorderStyle", "Color", "Edges", "Font", "HotTrack", "Shadow", "TextColor", "TextStyle",
    "TransparentBorder"};

TcxStyleController* GDefaultController = nullptr;
bool GCreatingDefaultController = false;

String UpperAscii(String S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return S;
}
}  // namespace

TcxStyleController* cxDefaultStyleController() {
  // Made once and kept for the life of the process: styles of controls
  // still alive at exit refer to it.
  if (!GDefaultController) {
    GCreatingDefaultController = true;
    new TcxStyleController(nullptr);
    GCreatingDefaultController = false;
  }
  return GDefaultController;
}

TcxStyleController* cxCreateDefaultStyleController(const std::function<TcxStyleController*()>& AFactory) {
  TcxStyleController* old = GDefaultController;
  GDefaultController = nullptr;
  GCreatingDefaultController = true;
  AFactory();
  GCreatingDefaultController = false;
  // A default made earlier stays alive for styles that may still hold it.
  if (old && old->ListenerCount() == 0) delete old;
  return GDefaultController;
}

void cxSetDefaultStyleController(TcxStyleController* AController) { GDefaultController = AController; }

// ---------------------------------------------------------------------------
// TcxContainerStyle

TcxContainerStyle::TcxContainerStyle(TPersistent* AOwner, bool ADirectAccessMode, TcxContainerStyle* AParentStyle,
                                     TcxContainerStateItem AState)
    : TcxInterfacedPersistent(AOwner), FState(AState), FDirectAccessMode(ADirectAccessMode) {
  if (AState != cssNormal) FParentStyle = AParentStyle;
  if (FDirectAccessMode) FAssignedValues = {csvColor, csvFont, csvTextColor, csvTextStyle};
  if (IsBase() && !FDirectAccessMode) {
    FOwnedFont = std::make_unique<TFont>();
    FFont = FOwnedFont.get();
    FFont->OnChange = [this](TObject* Sender) { HandleFontChange(Sender); };
  }
  FVisibleFont = std::make_unique<TFont>();
  if (IsBase()) {
    FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
    FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { NotifyChanged(); };
    SetStyleController(nullptr);
  }
}

TcxContainerStyle::~TcxContainerStyle() {
  FDestroying = true;
  if (IsBase() && FController) {
    FController->UnregisterStyle(this);
    FController = nullptr;
  }
  if (FFont) FFont->OnChange = nullptr;
}

bool TcxContainerStyle::DefaultControllerOwnsThis() {
  auto* owner = dynamic_cast<TcxStyleController*>(Owner());
  return owner && (owner == GDefaultController || (GCreatingDefaultController && !GDefaultController));
}

TcxStyleController* TcxContainerStyle::GetDefaultController() { return cxDefaultStyleController(); }

TcxStyleController* TcxContainerStyle::GetActiveController() { return BaseStyle()->FController; }

TcxStyleController* TcxContainerStyle::StyleController() {
  TcxStyleController* c = BaseStyle()->FController;
  return c == GetDefaultController() ? nullptr : c;
}

void TcxContainerStyle::SetStyleController(TcxStyleController* Value) {
  if (!IsBase()) {
    BaseStyle()->SetStyleController(Value);
    return;
  }
  if (DefaultControllerOwnsThis()) return;
  if (!Value) Value = GetDefaultController();
  // A controller whose chain leads back to this style would make every
  // lookup go round in circles: refused.
  Integer guard = 0;
  for (TcxStyleController* c = Value; c && guard < 1000; c = c->GetStyle()->FController, ++guard)
    if (c->GetStyle() == this) return;
  if (Value == FController) return;
  if (FController) FController->UnregisterStyle(this);
  FController = Value;
  if (FController) FController->RegisterStyle(this);
  ControllerStylesChanged(FController);
}

void TcxContainerStyle::ControllerStylesChanged(TcxStyleController*) {
  BeginUpdate();
  if (IsBase()) ReloadFont();
  NotifyChanged();
  EndUpdate();
}

void TcxContainerStyle::ControllerGoingAway(TcxStyleController* AController) {
  if (AController != FController) return;
  if (AController == GDefaultController) {
    FController = nullptr;
    return;
  }
  FController = nullptr;
  SetStyleController(nullptr);
}

TcxContainer* TcxContainerStyle::OwnerContainer() { return dynamic_cast<TcxContainer*>(Owner()); }

TcxContainerStyle* TcxContainerStyle::ValueSource(TcxContainerStyleValue AValue) {
  if (HasAssigned(AValue)) return this;
  TcxStyleController* c = GetActiveController();
  if (!c || c->IsDestroying()) return nullptr;
  TcxContainerStyle* s = c->GetStyleOfSlot(FState);
  return s && s != this ? s->ValueSource(AValue) : nullptr;
}

bool TcxContainerStyle::IsValueAssigned(TcxContainerStyleValue AValue) { return ValueSource(AValue) != nullptr; }

TcxContainerStyleValues TcxContainerStyle::AssignedValues() const {
  if (!FDirectAccessMode) return FAssignedValues;
  TcxContainerStyleValues all;
  for (Integer i = 0; i < const_cast<TcxContainerStyle*>(this)->StyleValueCount(); ++i)
    all.Include(TcxContainerStyleValue(i));
  return all;
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues Value) {
  if (Value == FAssignedValues) return;
  FAssignedValues = Value;
  if (IsBase()) ReloadFont();
  NotifyChanged();
}

// Values ---------------------------------------------------------------------

TColor TcxContainerStyle::BorderColor() {
  if (FDirectAccessMode) return clDefault;
  TcxContainerStyle* s = ValueSource(csvBorderColor);
  return s ? s->FBorderColor : FallbackBorderColor();
}

void TcxContainerStyle::SetBorderColor(TColor Value) {
  if (HasAssigned(csvBorderColor) && FBorderColor == Value) return;
  FBorderColor = Value;
  AddAssigned(csvBorderColor);
  NotifyChanged();
}

TcxContainerBorderStyle TcxContainerStyle::BorderStyle() {
  if (FDirectAccessMode) return HasAssigned(csvBorderStyle) ? FBorderStyle : FallbackBorderStyle();
  TcxContainerStyle* s = ValueSource(csvBorderStyle);
  return s ? s->FBorderStyle : FallbackBorderStyle();
}

void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle Value) {
  if (HasAssigned(csvBorderStyle) && FBorderStyle == Value) return;
  FBorderStyle = Value;
  AddAssigned(csvBorderStyle);
  NotifyChanged();
}

TColor TcxContainerStyle::Color() {
  if (FDirectAccessMode) return FColor;
  if (IsBase()) {
    TcxContainer* c = OwnerContainer();
    if (c && c->ParentColor() && c->Parent()) return c->Parent()->Color();
  }
  TcxContainerStyle* s = ValueSource(csvColor);
  return s ? s->FColor : FallbackColor();
}

void TcxContainerStyle::SetColor(TColor Value) {
  if (HasAssigned(csvColor) && FColor == Value) return;
  FColor = Value;
  AddAssigned(csvColor);
  NotifyChanged();
}

TColor TcxContainerStyle::GetPaintColor() {
  if (TcxContainerStyle* s = ValueSource(csvColor)) return s->FColor;
  if (IsBase()) {
    TcxContainer* c = OwnerContainer();
    if (c && !c->IsInplace() && c->ParentColor() && c->Parent()) return c->Parent()->Color();
  }
  return FallbackColor();
}

TcxBorders TcxContainerStyle::Edges() {
  if (FDirectAccessMode) return {};
  if (!IsBase()) return BaseStyle()->Edges();
  TcxContainerStyle* s = ValueSource(csvEdges);
  return s ? s->FEdges : FallbackEdges();
}

void TcxContainerStyle::SetEdges(TcxBorders Value) {
  if (!IsBase()) return BaseStyle()->SetEdges(Value);
  if (HasAssigned(csvEdges) && FEdges == Value) return;
  FEdges = Value;
  AddAssigned(csvEdges);
  NotifyChanged();
}

TFont* TcxContainerStyle::Font() { return BaseStyle()->FFont; }

void TcxContainerStyle::SetFont(TFont* Value) {
  if (!IsBase()) return BaseStyle()->SetFont(Value);
  if (FDirectAccessMode) {
    FFont = Value;
    return;
  }
  BeginUpdate();
  FFont->Assign(Value);
  AddAssigned(csvFont);
  NotifyChanged();
  EndUpdate();
}

bool TcxContainerStyle::HotTrack() {
  if (FDirectAccessMode) return HasAssigned(csvHotTrack) ? FHotTrack : FallbackHotTrack();
  if (!IsBase()) return BaseStyle()->HotTrack();
  TcxContainerStyle* s = ValueSource(csvHotTrack);
  return s ? s->FHotTrack : FallbackHotTrack();
}

void TcxContainerStyle::SetHotTrack(bool Value) {
  if (!IsBase()) return BaseStyle()->SetHotTrack(Value);
  if (HasAssigned(csvHotTrack) && FHotTrack == Value) return;
  FHotTrack = Value;
  AddAssigned(csvHotTrack);
  NotifyChanged();
}

bool TcxContainerStyle::Shadow() {
  if (FDirectAccessMode) return false;
  if (!IsBase()) return BaseStyle()->Shadow();
  TcxContainerStyle* s = ValueSource(csvShadow);
  return s ? s->FShadow : FallbackShadow();
}

void TcxContainerStyle::SetShadow(bool Value) {
  if (!IsBase()) return BaseStyle()->SetShadow(Value);
  if (HasAssigned(csvShadow) && FShadow == Value) return;
  FShadow = Value;
  AddAssigned(csvShadow);
  NotifyChanged();
}

TColor TcxContainerStyle::TextColor() {
  if (FDirectAccessMode) return FTextColor;
  TcxContainerStyle* s = ValueSource(csvTextColor);
  return s ? s->FTextColor : FallbackTextColor();
}

void TcxContainerStyle::SetTextColor(TColor Value) {
  if (HasAssigned(csvTextColor) && TextColor() == Value) return;
  FTextColor = Value;
  AddAssigned(csvTextColor);
  NotifyChanged();
}

TFontStyles TcxContainerStyle::TextStyle() {
  if (FDirectAccessMode) return FFont ? FFont->Style() : TFontStyles();
  TcxContainerStyle* s = ValueSource(csvTextStyle);
  return s ? s->FTextStyle : FallbackTextStyle();
}

void TcxContainerStyle::SetTextStyle(TFontStyles Value) {
  if (HasAssigned(csvTextStyle) && TextStyle() == Value) return;
  FTextStyle = Value;
  AddAssigned(csvTextStyle);
  NotifyChanged();
}

bool TcxContainerStyle::TransparentBorder() {
  if (FDirectAccessMode) return true;
  if (!IsBase()) return BaseStyle()->TransparentBorder();
  TcxContainerStyle* s = ValueSource(csvTransparentBorder);
  return s ? s->FTransparentBorder : FallbackTransparentBorder();
}

void TcxContainerStyle::SetTransparentBorder(bool Value) {
  if (!IsBase()) return BaseStyle()->SetTransparentBorder(Value);
  if (HasAssigned(csvTransparentBorder) && FTransparentBorder == Value) return;
  FTransparentBorder = Value;
  AddAssigned(csvTransparentBorder);
  NotifyChanged();
}

// Fallbacks ------------------------------------------------------------------

TColor TcxContainerStyle::FallbackBorderColor() {
  if (FState == cssDisabled) return clBtnShadow;
  if (IsBase()) return clWindowFrame;
  return BaseStyle()->BorderColor();
}

TcxContainerBorderStyle TcxContainerStyle::FallbackBorderStyle() {
  if (IsBase()) {
    switch (LookAndFeel()->Kind()) {
      case lfFlat: return cbsFlat;
      case lfStandard: return cbs3D;
      case lfUltraFlat: return cbsUltraFlat;
      default: return cbsOffice11;
    }
  }
  TcxContainerBorderStyle b = BaseStyle()->BorderStyle();
  if (FState == cssDisabled || !HotTrack()) return b;
  static const TcxContainerBorderStyle hot[] = {cbsFlat, cbsThick, cbsThick, cbs3D, cbs3D, cbsUltraFlat, cbsOffice11};
  return hot[b];
}

TColor TcxContainerStyle::FallbackColor() {
  TcxContainer* c = BaseStyle()->OwnerContainer();
  bool p = !c || c->DefaultParentColor();
  if (IsBase()) return p ? clBtnFace : clWindow;
  if (FState == cssDisabled) return p ? BaseStyle()->Color() : clBtnFace;
  return BaseStyle()->Color();
}

TColor TcxContainerStyle::FallbackTextColor() {
  if (FState == cssDisabled) return clBtnShadow;
  if (IsBase()) return Font() ? Font()->Color() : clWindowText;
  return BaseStyle()->TextColor();
}

TFontStyles TcxContainerStyle::FallbackTextStyle() {
  if (IsBase()) return Font() ? Font()->Style() : TFontStyles();
  return BaseStyle()->TextStyle();
}

// Changes --------------------------------------------------------------------

void TcxContainerStyle::HandleFontChange(TObject*) {
  if (FFontAssignedLock == 0) AddAssigned(csvFont);
  NotifyChanged();
}

void TcxContainerStyle::NotifyChanged() {
  FModified = true;
  if (FUpdateCount != 0) return;
  FModified = false;
  if (!FDestroying && !FDirectAccessMode && OnChanged) OnChanged(this);
}

void TcxContainerStyle::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount == 0 && FModified) NotifyChanged();
}

void TcxContainerStyle::ResetFont() {
  ++FFontAssignedLock;
  TFont fresh;
  FFont->Assign(&fresh);
  --FFontAssignedLock;
}

void TcxContainerStyle::ReloadFont() {
  if (!IsBase() || FDirectAccessMode || !FFont || HasAssigned(csvFont)) return;
  ++FFontAssignedLock;
  if (TcxContainerStyle* s = ValueSource(csvFont)) {
    FFont->Assign(s->Font());
  } else {
    TcxContainer* c = OwnerContainer();
    if (!c || !c->ParentFont()) ResetFont();
  }
  --FFontAssignedLock;
}

TFont* TcxContainerStyle::GetVisibleTextFont() {
  if (TFont* f = Font()) FVisibleFont->Assign(f);
  FVisibleFont->SetColor(TextColor());
  FVisibleFont->SetStyle(TextStyle());
  return FVisibleFont.get();
}

bool TcxContainerStyle::StyleValueName(TcxContainerStyleValue AValue, String& AName) {
  if (Integer(AValue) < 0 || Integer(AValue) >= cxContainerStyleValueCount) return false;
  AName = kStyleValueNames[AValue];
  return true;
}

bool TcxContainerStyle::FindStyleValue(const String& AName, TcxContainerStyleValue& AValue) {
  String upper = UpperAscii(AName);
  for (Integer i = 0; i < StyleValueCount(); ++i) {
    String name;
    if (StyleValueName(TcxContainerStyleValue(i), name) && UpperAscii(name) == upper) {
      AValue = TcxContainerStyleValue(i);
      return true;
    }
  }
  return false;
}

bool TcxContainerStyle::IsSlotPropertyVisible(const String& AName) {
  if (AName == "LookAndFeel" || AName == "StyleController") return false;
  TcxContainerStyleValue v;
  if (!FindStyleValue(AName, v)) return true;
  return !HiddenSlotValues().Contains(v);
}

void TcxContainerStyle::RestoreDefaultValues() {
  BeginUpdate();
  SetAssignedValues({});
  if (IsBase()) LookAndFeel()->Reset();
  TcxContainer* c = BaseStyle()->OwnerContainer();
  if (c) {
    c->SetParentColor(false);
    c->SetParentFont(true);
  } else if (IsBase() && !FDirectAccessMode) {
    ResetFont();
  }
  if (c && c->DefaultParentColor()) {
    TcxStyleController* ctrl = GetActiveController();
    if (!ctrl || !ctrl->GetStyle()->IsValueAssigned(csvColor)) c->SetParentColor(true);
  }
  NotifyChanged();
  EndUpdate();
}

void TcxContainerStyle::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxContainerStyle*>(Source);
  if (!s) {
    TcxInterfacedPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  if (IsBase()) {
    SetStyleController(s->StyleController());
    LookAndFeel()->Assign(s->LookAndFeel());
  }
  FBorderColor = s->FBorderColor;
  FBorderStyle = s->FBorderStyle;
  FEdges = s->FEdges;
  FHotTrack = s->FHotTrack;
  FShadow = s->FShadow;
  FTransparentBorder = s->FTransparentBorder;
  FColor = s->FColor;
  if (FDirectAccessMode) {
    if (IsBase()) FFont = s->Font();
    FTextColor = s->TextColor();
  } else {
    if (IsBase() && FFont && s->Font()) {
      FFont->Assign(s->Font());
      if (s->FDirectAccessMode) FFont->SetColor(s->TextColor());
    }
    FTextColor = s->TextColor();
    FTextStyle = s->TextStyle();
  }
  FAssignedValues = s->AssignedValues();
  NotifyChanged();
  EndUpdate();
}

// Streaming ------------------------------------------------------------------

bool TcxContainerStyle::StoredValue(TcxContainerStyleValue AValue) {
  if (!HasAssigned(AValue)) return false;
  TcxContainer* c = BaseStyle()->OwnerContainer();
  String name;
  StyleValueName(AValue, name);
  if (!IsBase() && !IsSlotPropertyVisible(name)) return false;
  return !c || c->IsStylePropertyVisible(name, !IsBase());
}

bool TcxContainerStyle::StoreStyleController() { return FState == cssNormal && StyleController() != nullptr; }

void TcxContainerStyle::DefineProperties(TFiler* Filer) {
  TcxInterfacedPersistent::DefineProperties(Filer);
  // Written exactly when Font is; reading it (whatever it says) marks the
  // font as the style's own.
  Filer->DefineProperty(
      "IsFontAssigned", [this](TReader* R) { R->ReadBoolean(); AddAssigned(csvFont); },
      [](TWriter* W) { W->WriteBoolean(true); }, StoredValue(csvFont));
}

struct TcxContainerStylePublisher {
  template <class Pub>
  static void Publish(Pub& P) {
    using S = TcxContainerStyle;
    P.Property("AssignedValues", &S::AssignedValues, &S::SetAssignedValues).Stored(false);
    P.Property("BorderColor", &S::BorderColor, &S::SetBorderColor)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvBorderColor); });
    P.Property("BorderStyle", &S::BorderStyle, &S::SetBorderStyle)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvBorderStyle); });
    P.Property("Color", &S::Color, &S::SetColor)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvColor); });
    P.Property("Edges", &S::Edges, &S::SetEdges)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvEdges); });
    P.Property("Font", &S::Font, &S::SetFont)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvFont); });
    P.Property("HotTrack", &S::HotTrack, &S::SetHotTrack)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvHotTrack); });
    P.Property("LookAndFeel", &S::LookAndFeel, &S::SetLookAndFeel)
        .Stored([](TObject* o) { return static_cast<S*>(o)->IsBase(); });
    P.Property("Shadow", &S::Shadow, &S::SetShadow)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvShadow); });
    P.Property("StyleController", &S::StyleController, &S::SetStyleController)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoreStyleController(); });
    P.Property("TextColor", &S::TextColor, &S::SetTextColor)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvTextColor); });
    P.Property("TextStyle", &S::TextStyle, &S::SetTextStyle)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvTextStyle); });
    P.Property("TransparentBorder", &S::TransparentBorder, &S::SetTransparentBorder)
        .Stored([](TObject* o) { return static_cast<S*>(o)->StoredValue(csvTransparentBorder); });
  }
};

TOVANI_PUBLISHED(TcxContainerStyle) { TcxContainerStylePublisher::Publish(*this); }

TOVANI_PUBLISHED(TcxStyleController) {
  Property("FakeStyleController", &TcxStyleController::FakeStyleController,
           &TcxStyleController::SetFakeStyleController)
      .Stored(false);
}

// ---------------------------------------------------------------------------
// TcxContainerStyles

TcxContainerStyles::TcxContainerStyles(TPersistent* AOwner, const TcxContainerStyleFactory& AFactory) {
  FStyles[cssNormal].reset(AFactory(AOwner, false, nullptr, cssNormal));
  for (TcxContainerStateItem s : {cssFocused, cssDisabled, cssHot})
    FStyles[s].reset(AFactory(AOwner, false, FStyles[cssNormal].get(), s));
}

TcxContainerStyles::~TcxContainerStyles() {
  for (int i = 3; i >= 0; --i) FStyles[i].reset();
}

void TcxContainerStyles::SetChangeHandler(const TcxStyleChangedEvent& AHandler) {
  for (auto& s : FStyles) s->OnChanged = AHandler;
}

// ---------------------------------------------------------------------------
// TcxStyleController

TcxStyleController::TcxStyleController(TComponent* AOwner) : TcxComponent(AOwner) {
  if (GCreatingDefaultController && !GDefaultController) GDefaultController = this;
  RecreateStyles();
}

TcxStyleController::~TcxStyleController() {
  FDestroying = true;
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (auto it = listeners.rbegin(); it != listeners.rend(); ++it)
    if (std::find(FListeners.begin(), FListeners.end(), *it) != FListeners.end()) (*it)->ControllerGoingAway(this);
  FStyles.reset();
  if (GDefaultController == this) GDefaultController = nullptr;
}

TcxContainerStyleFactory TcxStyleController::StyleFactory() {
  return [](TPersistent* AOwner, bool ADirect, TcxContainerStyle* AParent, TcxContainerStateItem AState) {
    return new TcxContainerStyle(AOwner, ADirect, AParent, AState);
  };
}

void TcxStyleController::RecreateStyles() {
  FStyles.reset();
  FStyles = std::make_unique<TcxContainerStyles>(this, StyleFactory());
  FStyles->SetChangeHandler([this](TObject*) { NotifyStylesChanged(); });
}

void TcxStyleController::Loaded() {
  TcxComponent::Loaded();
  NotifyStylesChanged();
}

bool TcxStyleController::IsRegistered(TcxContainerStyle* AStyle) const {
  return std::find(FListeners.begin(), FListeners.end(), AStyle) != FListeners.end();
}

void TcxStyleController::RegisterStyle(TcxContainerStyle* AStyle) {
  if (!AStyle || IsRegistered(AStyle)) return;
  FListeners.push_back(AStyle);
  if (FStyles) AStyle->LookAndFeel()->SetMaster(GetStyle()->LookAndFeel());
}

void TcxStyleController::UnregisterStyle(TcxContainerStyle* AStyle) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AStyle);
  if (it == FListeners.end()) return;
  FListeners.erase(it);
  if (!AStyle->IsDestroying()) AStyle->LookAndFeel()->SetMaster(nullptr);
}

void TcxStyleController::NotifyStylesChanged() {
  cxCallNotifyEvent(this, OnStyleChanged);
  if (FDestroying) return;
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* s : listeners)
    if (IsRegistered(s)) s->ControllerStylesChanged(this);
}

void TcxStyleController::ScaleFont(Integer M, Integer D) {
  TcxContainerStyle* s = GetStyle();
  if (s->HasAssigned(csvFont)) {
    if (FFontScaled) return;
    FFontScaled = true;
    s->Font()->SetSize(MulDiv(s->Font()->Size(), M, D));
  } else if (TcxStyleController* c = s->FController; c && c != this) {
    c->ScaleFont(M, D);
  }
}
