// A small component vocabulary for the class-system tests: a form-like root
// with a published handler, panels that nest (parent/child), a persistent
// sub-object, a collection, a string list, an enum, a set, floats, a
// Currency, an Int64, a component reference and an event.
#pragma once
#include "Classes.h"
#include "Currency.h"
#include "Strings.h"
#include "TypInfo.h"
#include "Variant.h"

enum TTestShape { shRect, shCircle, shTriangle };
TOVANI_ENUM_INFO(TTestShape)
enum TTestOption { toBold, toItalic, toUnderline };
TOVANI_ENUM_INFO(TTestOption)
using TTestOptions = TSet<TTestOption>;

class TTestFont : public TPersistent {
  TOVANI_CLASS(TTestFont, TPersistent)
 public:
  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  Integer Size() const { return FSize; }
  void SetSize(Integer v) { FSize = v; }
  TTestOptions Style() const { return FStyle; }
  void SetStyle(TTestOptions v) { FStyle = v; }
  void Assign(TPersistent* Source) override;

 private:
  String FName = "宋体";
  Integer FSize = 9;
  TTestOptions FStyle;
};

class TTestItem : public TCollectionItem {
  TOVANI_CLASS(TTestItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; Changed(false); }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; Changed(false); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  void Assign(TPersistent* Source) override;

 protected:
  String GetDisplayName() const override { return FCaption.empty() ? TCollectionItem::GetDisplayName() : FCaption; }

 private:
  String FCaption;
  Integer FWidth = 64;
  bool FVisible = true;
};

class TTestItems : public TOwnedCollection {
  TOVANI_CLASS(TTestItems, TOwnedCollection)
 public:
  explicit TTestItems(TPersistent* owner) : TOwnedCollection(owner, TTestItem::StaticClass()) {}
  TTestItem* Items(Integer i) const { return static_cast<TTestItem*>(TCollection::Items(i)); }
  std::vector<String> Log;   // Update/Notify calls, for the tests

 protected:
  void Update(TCollectionItem* Item) override {
    Log.push_back(Item ? "update " + Item->DisplayName() : String("update all"));
  }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    Log.push_back(String(names[Action]) + " " + std::to_string(Item->ID()));
  }
};

class TTestPanel : public TComponent {
  TOVANI_CLASS(TTestPanel, TComponent)
 public:
  explicit TTestPanel(TComponent* AOwner = nullptr);
  ~TTestPanel() override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  TTestShape Shape() const { return FShape; }
  void SetShape(TTestShape v) { FShape = v; }
  TTestOptions Options() const { return FOptions; }
  void SetOptions(TTestOptions v) { FOptions = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  Currency Price() const { return FPrice; }
  void SetPrice(Currency v) { FPrice = v; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  TTestFont* Font() const { return FFont; }
  void SetFont(TTestFont* v) { FFont->Assign(v); }
  TStringList* Lines() const { return FLines; }
  void SetLines(TStringList* v) { FLines->Assign(v); }
  TTestItems* Items() const { return FItems; }
  void SetItems(TTestItems* v) { FItems->Assign(v); }
  TTestPanel* Buddy() const { return FBuddy; }
  void SetBuddy(TTestPanel* v);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v) { FValue = v; }
  // data kept through DefineProperties
  const String& Secret() const { return FSecret; }
  void SetSecret(const String& v) { FSecret = v; }
  TNotifyEvent OnClick;

  bool HasParent() const override { return FParentPanel != nullptr; }
  TComponent* GetParentComponent() const override { return FParentPanel; }
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;

  int LoadedCalls = 0;
  bool BuddyWhenLoaded = false;   // was the reference resolved before Loaded?

 private:
  String FCaption;
  TTestShape FShape = shRect;
  TTestOptions FOptions;
  double FRatio = 0;
  Currency FPrice;
  Int64 FBig = 0;
  bool FEnabled = true;
  TTestFont* FFont;
  TStringList* FLines;
  TTestItems* FItems;
  TTestPanel* FBuddy = nullptr;
  TComponent* FParentPanel = nullptr;
  String FSecret;
  Variant FValue;
};

class TTestForm : public TComponent {
  TOVANI_CLASS(TTestForm, TComponent)
 public:
  using TComponent::TComponent;
  void PanelClick(TObject* Sender) { ++Clicks; LastSender = Sender; }
  void OtherClick(TObject*) { Clicks += 100; }
  void WrongShape(int) {}
  Integer Add(Integer a, Integer b) { return a + b; }
  void Swap(String& a, String& b) { std::swap(a, b); }
  String Describe(TTestPanel* p, TTestShape s, double r, bool f) {
    return (p ? p->Name() : String("nil")) + "/" + std::to_string(int(s)) + "/" + std::to_string(r) + "/" + (f ? "T" : "F");
  }
  int Clicks = 0;
  TObject* LastSender = nullptr;
};
