#include "TestComponents.h"
#include "Streaming.h"

TOVANI_IMPLEMENT_ENUM_INFO(TTestShape, "shRect", "shCircle", "shTriangle")
TOVANI_IMPLEMENT_ENUM_INFO(TTestOption, "toBold", "toItalic", "toUnderline")

TOVANI_IMPLEMENT_CLASS_FACTORY(TTestFont, TPersistent)
TOVANI_PUBLISHED(TTestFont) {
  Property("Name", &TTestFont::Name, &TTestFont::SetName);
  Property("Size", &TTestFont::Size, &TTestFont::SetSize).Default(9);
  Property("Style", &TTestFont::Style, &TTestFont::SetStyle).Default(TTestOptions{});
}

void TTestFont::Assign(TPersistent* Source) {
  if (Source && Source->Is<TTestFont>()) {
    auto* f = static_cast<TTestFont*>(Source);
    FName = f->FName;
    FSize = f->FSize;
    FStyle = f->FStyle;
    return;
  }
  TPersistent::Assign(Source);
}

TOVANI_IMPLEMENT_CLASS_FACTORY(TTestItem, TCollectionItem)
TOVANI_PUBLISHED(TTestItem) {
  Property("Caption", &TTestItem::Caption, &TTestItem::SetCaption);
  Property("Width", &TTestItem::Width, &TTestItem::SetWidth).Default(64);
  Property("Visible", &TTestItem::Visible, &TTestItem::SetVisible).Default(true);
}

void TTestItem::Assign(TPersistent* Source) {
  if (Source && Source->Is<TTestItem>()) {
    auto* i = static_cast<TTestItem*>(Source);
    FCaption = i->FCaption;
    FWidth = i->FWidth;
    FVisible = i->FVisible;
    return;
  }
  TCollectionItem::Assign(Source);
}

TOVANI_IMPLEMENT_CLASS(TTestItems, TOwnedCollection)

TOVANI_IMPLEMENT_CLASS_FACTORY(TTestPanel, TComponent)
TOVANI_PUBLISHED(TTestPanel) {
  Property("Caption", &TTestPanel::Caption, &TTestPanel::SetCaption);
  Property("Shape", &TTestPanel::Shape, &TTestPanel::SetShape).Default(shRect);
  Property("Options", &TTestPanel::Options, &TTestPanel::SetOptions).Default(TTestOptions{});
  Property("Ratio", &TTestPanel::Ratio, &TTestPanel::SetRatio);
  Property("Price", &TTestPanel::Price, &TTestPanel::SetPrice);
  Property("Big", &TTestPanel::Big, &TTestPanel::SetBig).Default(0);
  Property("Enabled", &TTestPanel::Enabled, &TTestPanel::SetEnabled).Default(true);
  Property("Font", &TTestPanel::Font, &TTestPanel::SetFont);
  Property("Lines", &TTestPanel::Lines, &TTestPanel::SetLines);
  Property("Items", &TTestPanel::Items, &TTestPanel::SetItems);
  Property("Buddy", &TTestPanel::Buddy, &TTestPanel::SetBuddy);
  Property("OnClick", &TTestPanel::OnClick);
  Property("Value", &TTestPanel::Value, &TTestPanel::SetValue);
}

TTestPanel::TTestPanel(TComponent* AOwner)
    : TComponent(AOwner), FFont(new TTestFont), FLines(new TStringList), FItems(new TTestItems(this)) {}

TTestPanel::~TTestPanel() {
  DestroyComponents();
  delete FFont;
  delete FLines;
  delete FItems;
}

void TTestPanel::SetBuddy(TTestPanel* v) {
  if (FBuddy == v) return;
  if (FBuddy) FBuddy->RemoveFreeNotification(this);
  FBuddy = v;
  if (FBuddy) FBuddy->FreeNotification(this);
}

void TTestPanel::SetParentComponent(TComponent* Value) {
  FParentPanel = Value && Value->Is<TTestPanel>() ? Value : nullptr;
}

void TTestPanel::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  if (!Root) return;
  for (TComponent* c : Root->ComponentList())
    if (c->GetParentComponent() == this) Proc(c);
}

void TTestPanel::Loaded() {
  TComponent::Loaded();
  ++LoadedCalls;
  BuddyWhenLoaded = FBuddy != nullptr;
}

void TTestPanel::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FBuddy) FBuddy = nullptr;
    if (AComponent == FParentPanel) FParentPanel = nullptr;
  }
}

void TTestPanel::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "SecretData", [this](TReader* r) { FSecret = r->ReadString(); },
      [this](TWriter* w) { w->WriteString(FSecret); }, !FSecret.empty());
}

TOVANI_IMPLEMENT_CLASS_FACTORY(TTestForm, TComponent)
TOVANI_PUBLISHED(TTestForm) {
  // write-only: can be read from a stream, never written to one
  Property<Integer>("Pending", nullptr, [](TTestForm* f, Integer v) { f->Clicks = v; });
  Method("PanelClick", &TTestForm::PanelClick);
  Method("OtherClick", &TTestForm::OtherClick);
  Method("WrongShape", &TTestForm::WrongShape);
  Method("Add", &TTestForm::Add);
  Method("Swap", &TTestForm::Swap);
  Method("Describe", &TTestForm::Describe);
}
