// Editor settings without a window: properties and their defaults, buttons
// and alignment, edit styles with their controllers, the repository, the
// registry of properties classes, the filter-edit helpers and the unit's
// small routines.
#include <memory>

#include "Forms.h"
#include "cxEdit.h"
#include "cxFilterControlUtils.h"
#include "gtest.h"

namespace {
// A provider that answers as a right-aligned numeric field would.
class TNumberProvider : public TcxCustomEditDefaultValuesProvider {
 public:
  TAlignment DefaultAlignment() override { return taRightJustify; }
  double DefaultMaxValue() override { return 99; }
  bool DefaultReadOnly() override { return true; }
};

struct TCounted {
  TcxCustomEditProperties P;
  Integer Changes = 0;
  TCounted() {
    P.OnPropertiesChanged = [this](TObject*) { ++Changes; };
  }
};
}  // namespace

TEST(cxEditProperties, AssignedValuesAndBatchedNotices) {
  TCounted c;
  TcxCustomEditProperties& p = c.P;
  // A value equal to the default still becomes assigned, once.
  p.SetMaxValue(0);
  EXPECT_TRUE(p.AssignedValues()->MaxValue());
  EXPECT_EQ(c.Changes, 1);
  p.SetMaxValue(0);
  EXPECT_EQ(c.Changes, 1);
  p.SetReadOnly(false);
  EXPECT_EQ(c.Changes, 2);
  EXPECT_EQ(p.ClickKey(), 16397);
  EXPECT_TRUE(p.AutoSelect());
  EXPECT_TRUE(p.ValidateOnEnter());

  // Any number of changes in a batch: one notice at EndUpdate(true), none
  // at EndUpdate(false).
  c.Changes = 0;
  p.BeginUpdate();
  p.SetAutoSelect(false);
  p.SetTransparent(true);
  p.SetMinValue(3);
  p.BeginUpdate();
  p.SetUseLeftAlignmentOnEditing(false);
  p.EndUpdate(true);
  EXPECT_EQ(c.Changes, 0);
  p.EndUpdate(true);
  EXPECT_EQ(c.Changes, 1);
  p.BeginUpdate();
  p.SetAutoSelect(true);
  p.EndUpdate(false);
  EXPECT_EQ(c.Changes, 1);
  p.EndUpdate(true);   // unbalanced: nothing
  EXPECT_EQ(c.Changes, 1);
  p.LockChanges(true);
  p.SetTransparent(false);
  EXPECT_EQ(c.Changes, 1);
  EXPECT_TRUE(p.ChangedMeanwhile());
  p.LockChanges(false);

  // Reset to defaults clears the assigned flags in one notice.
  c.Changes = 0;
  p.ResetToDefaults();
  EXPECT_FALSE(p.AssignedValues()->MaxValue());
  EXPECT_FALSE(p.AssignedValues()->ReadOnly());
  EXPECT_EQ(c.Changes, 1);

  // Assign copies the settings and the assigned values of the source.
  TcxCustomEditProperties q;
  q.SetMaxValue(12);
  q.SetBeepOnError(true);
  q.Buttons()->Add()->SetKind(bkEllipsis);
  p.Assign(&q);
  EXPECT_EQ(p.MaxValue(), 12);
  EXPECT_TRUE(p.AssignedValues()->MaxValue());
  EXPECT_TRUE(p.BeepOnError());
  ASSERT_EQ(p.Buttons()->Count(), 1);
  EXPECT_EQ(p.Buttons()->Items(0)->Kind(), bkEllipsis);
  EXPECT_EQ(p.GetViewOptions(), 32);
}

TEST(cxEditProperties, DefaultsFromTheProviderAndItsDeparture) {
  TcxCustomEditProperties p;
  EXPECT_EQ(p.GetAlignment()->Horz(), taLeftJustify);
  EXPECT_FALSE(p.GetReadOnly());
  {
    TNumberProvider provider;
    p.AttachDefaultValuesProvider(&provider);
    EXPECT_EQ(p.GetAlignment()->Horz(), taRightJustify);
    EXPECT_EQ(p.GetMaxValue(), 99);
    EXPECT_TRUE(p.GetReadOnly());
    p.SetReadOnly(false);
    EXPECT_FALSE(p.GetReadOnly());
    // Changing the returned alignment changes the stored one.
    p.GetAlignment()->SetHorz(taCenter);
    EXPECT_TRUE(p.StoredAlignment()->IsHorzAssigned());
    EXPECT_EQ(p.GetAlignment()->Horz(), taCenter);
    // Reset keeps the value but no longer stores it: the provider's again.
    p.GetAlignment()->Reset();
    EXPECT_EQ(p.StoredAlignment()->Horz(), taCenter);
    EXPECT_FALSE(p.IsAlignmentStored());
    EXPECT_EQ(p.GetAlignment()->Horz(), taRightJustify);

    // Twenty properties objects using one provider all lose it when it goes.
    std::vector<std::unique_ptr<TcxCustomEditProperties>> many;
    for (int i = 0; i < 20; ++i) {
      many.push_back(std::make_unique<TcxCustomEditProperties>());
      many.back()->AttachDefaultValuesProvider(&provider);
    }
    auto* live = TcxCustomEditProperties::LiveProperties();
    ASSERT_NE(live, nullptr);
    EXPECT_GE(live->size(), 21u);
    TcxCustomEditProperties* gone = many.back().get();
    many.pop_back();
    EXPECT_EQ(std::count(live->begin(), live->end(), gone), 0);
  }
  EXPECT_EQ(p.DefaultValuesProvider(), nullptr);
  EXPECT_EQ(p.GetAlignment()->Horz(), taCenter);   // the stored value without a provider

  // The base properties validate nothing: error text and flag stay.
  Variant v = Variant(String("x"));
  String text;
  bool error = false;
  p.CheckDisplayValue(v, text, error, nullptr);
  EXPECT_TRUE(text.empty());
  EXPECT_FALSE(error);
  String invalid;
  p.GetInvalidInputText(invalid);
  EXPECT_EQ(invalid, "Invalid input value. Use escape key to abandon changes");
}

TEST(cxEditButtons, DefaultGlyphCaptionWidthAndViewInfoRegions) {
  TcxCustomEditProperties p;
  Integer changes = 0;
  p.OnPropertiesChanged = [&](TObject*) { ++changes; };
  TcxEditButtons* b = p.Buttons();
  for (int i = 0; i < 3; ++i) b->Add();
  b->Items(0)->SetDefault(true);
  b->Items(1)->SetDefault(true);
  changes = 0;
  b->Items(2)->SetDefault(true);
  EXPECT_FALSE(b->Items(0)->Default());
  EXPECT_FALSE(b->Items(1)->Default());
  EXPECT_TRUE(b->Items(2)->Default());
  EXPECT_EQ(changes, 1);

  changes = 0;
  TBitmap* g = b->Items(0)->Glyph();
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(g->Empty());
  EXPECT_EQ(changes, 0);
  g->SetWidth(8);
  g->SetHeight(8);
  EXPECT_GE(changes, 1);

  b->Items(1)->SetCaption("&Add");
  EXPECT_EQ(b->Items(1)->VisibleCaption(), "Add");
  b->Items(1)->SetWidth(20);
  b->Items(1)->SetWidth(-1);
  EXPECT_EQ(b->Items(1)->Width(), 20);
  b->Items(1)->SetVisible(false);
  EXPECT_EQ(b->VisibleCount(), 2);

  TcxEditButtonViewInfo a, c;
  a.Bounds = TRect(0, 0, 10, 10);
  c.Bounds = TRect(5, 0, 15, 10);
  HRGN r = c.GetUpdateRegion(&a);
  EXPECT_TRUE(cxIsRegionEmpty(r));
  DeleteObject(r);
  c.Data.State = 3;
  r = c.GetUpdateRegion(&a);
  EXPECT_FALSE(cxIsRegionEmpty(r));
  DeleteObject(r);
}

TEST(cxEditStyle, EditorValuesThroughStatesAndControllers) {
  TcxContainerStyles styles(nullptr, TcxEditStyle::Factory());
  auto* n = static_cast<TcxEditStyle*>(styles.Style());
  auto* f = static_cast<TcxEditStyle*>(styles.StyleFocused());
  auto* h = static_cast<TcxEditStyle*>(styles.StyleHot());
  n->SetButtonStyle(bts3D);
  f->SetButtonStyle(btsFlat);
  EXPECT_EQ(n->ButtonStyle(), bts3D);
  EXPECT_EQ(f->ButtonStyle(), btsFlat);
  EXPECT_EQ(h->ButtonStyle(), bts3D);   // from the base style
  // Base-only values written on a state style land on the base style.
  h->SetButtonTransparency(ebtHideInactive);
  EXPECT_EQ(n->ButtonTransparency(), ebtHideInactive);
  EXPECT_FALSE(h->AssignedValues().Contains(svButtonTransparency));
  EXPECT_TRUE(n->AssignedValues().Contains(svButtonTransparency));
  EXPECT_EQ(f->ButtonTransparency(), ebtHideInactive);

  String name;
  EXPECT_FALSE(n->StyleValueName(TcxContainerStyleValue(16), name));
  ASSERT_TRUE(n->StyleValueName(TcxContainerStyleValue(12), name));
  EXPECT_EQ(name, "PopupBorderStyle");
  EXPECT_EQ(n->HiddenSlotValues().Mask(), 64120u);
  EXPECT_FALSE(f->IsSlotPropertyVisible("Gradient"));
  EXPECT_TRUE(f->IsSlotPropertyVisible("ButtonStyle"));

  // A controller's Gradient reaches every style that does not assign one.
  TcxEditStyleController ctrl;
  ctrl.Style()->SetGradient(true);
  n->SetStyleController(&ctrl);
  EXPECT_TRUE(n->Gradient());
  EXPECT_TRUE(n->IsValueAssigned(svGradient));
  n->SetGradient(false);
  EXPECT_FALSE(n->Gradient());
  // The default edit style controller is the library's default controller.
  n->SetStyleController(nullptr);
  EXPECT_EQ(n->GetActiveController(), cxDefaultEditStyleController());
  EXPECT_EQ(cxDefaultStyleController(), cxDefaultEditStyleController());
  if (Screen) EXPECT_NE(Screen->Cursors(crcxEditMouseWheel), Screen->Cursors(0));
  // A direct-access style uses no controller at all.
  TcxEditStyle direct(nullptr, true);
  EXPECT_EQ(direct.GetActiveController(), nullptr);
}

namespace {
struct TListener : IcxEditRepositoryItemListener {
  TListener(std::vector<String>* ALog, String AName) : Log(ALog), Name(std::move(AName)) {}
  std::vector<String>* Log;
  String Name;
  TcxEditRepositoryItem* Item = nullptr;
  void ItemRemoved(TcxEditRepositoryItem* S) override {
    Log->push_back(Name + " removed");
    Item = nullptr;
  }
  void PropertiesChanged(TcxEditRepositoryItem*) override { Log->push_back(Name + " changed"); }
};
class TcxEditRepositoryTextItem : public TcxEditRepositoryItem {
  TOVANI_CLASS(TcxEditRepositoryTextItem, TcxEditRepositoryItem)
 public:
  using TcxEditRepositoryItem::TcxEditRepositoryItem;
};
TOVANI_IMPLEMENT_CLASS(TcxEditRepositoryTextItem, TcxEditRepositoryItem)
class TPlainItem : public TcxEditRepositoryItem {
  TOVANI_CLASS(TPlainItem, TcxEditRepositoryItem)
 public:
  using TcxEditRepositoryItem::TcxEditRepositoryItem;
};
TOVANI_IMPLEMENT_CLASS(TPlainItem, TcxEditRepositoryItem)
}  // namespace

TEST(cxEditRepository, ItemsListenersOwnersAndNames) {
  std::vector<String> log;
  TListener a{&log, "a"}, b{&log, "b"}, c{&log, "c"};
  auto* item = new TcxEditRepositoryItem(nullptr);
  for (TListener* l : {&a, &b, &c}) {
    item->AddListener(l);
    l->Item = item;
  }
  item->AddListener(&a);   // once only
  item->Properties()->SetAutoSelect(false);
  EXPECT_EQ(log, (std::vector<String>{"c changed", "b changed", "a changed"}));
  log.clear();
  delete item;
  EXPECT_EQ(log, (std::vector<String>{"c removed", "b removed", "a removed"}));
  EXPECT_EQ(a.Item, nullptr);

  TComponent form(nullptr);
  auto* repo = new TcxEditRepository(&form);
  repo->SetName("Repo");
  auto make = [](TComponent* o) -> TcxEditRepositoryItem* { return new TcxEditRepositoryTextItem(o); };
  TcxEditRepositoryItem* own = repo->CreateItem(make);
  TcxEditRepositoryItem* formOwned = repo->CreateItemEx(make, &form);
  EXPECT_EQ(own->Owner(), repo);
  EXPECT_EQ(formOwned->Owner(), &form);
  EXPECT_EQ(repo->Count(), 2);
  std::vector<TComponent*> children;
  repo->GetChildren([&](TComponent* ch) { children.push_back(ch); }, &form);
  EXPECT_EQ(children, std::vector<TComponent*>{formOwned});
  String base;
  own->GetBaseName(base);
  EXPECT_EQ(base, "RepoTextItem");
  auto* plain = new TPlainItem(&form);
  plain->SetRepository(repo);
  plain->GetBaseName(base);
  EXPECT_EQ(base, "Repo");
  // Without a repository there is no name to build on: empty, not a crash.
  plain->SetRepository(nullptr);
  plain->GetBaseName(base);
  EXPECT_EQ(base, "");
  delete formOwned;
  EXPECT_EQ(repo->Count(), 1);
}

TEST(cxEditPropertiesRegistry, OneEntryPerClassSortedByShortName) {
  TcxRegisteredClasses* r = cxEditPropertiesRegistry();
  Integer before = r->Count();
  r->AddClass(TcxEditRepositoryTextItem::StaticClass(), "TextEdit|Represents a single line text editor");
  r->AddClass(TPlainItem::StaticClass(), "CheckBox|Represents a check box control that allows selecting an option");
  r->AddClass(TcxEditRepositoryTextItem::StaticClass(), "Other|twice");
  EXPECT_EQ(r->Count(), before + 2);
  EXPECT_LT(r->IndexOfClass(TPlainItem::StaticClass()), r->IndexOfClass(TcxEditRepositoryTextItem::StaticClass()));
  EXPECT_EQ(r->GetDescription(r->IndexOfClass(TPlainItem::StaticClass())), "CheckBox");
  r->RemoveClass(TPlainItem::StaticClass());
  r->RemoveClass(TcxEditRepositoryTextItem::StaticClass());
  EXPECT_EQ(r->Count(), before);
}

namespace {
// A small tree of properties classes and helpers standing for the editor
// units that register them.
#define PROPS(Cls, Parent)                    \
  class Cls : public Parent {                 \
    TOVANI_CLASS(Cls, Parent)                 \
   public:                                    \
    using Parent::Parent;                     \
  };                                          \
  TOVANI_IMPLEMENT_CLASS(Cls, Parent)
PROPS(TTCustomTextProps, TcxCustomEditProperties)
PROPS(TTTextProps, TTCustomTextProps)
PROPS(TTCustomMaskProps, TTCustomTextProps)
PROPS(TTMaskProps, TTCustomMaskProps)
PROPS(TTCustomButtonProps, TTCustomMaskProps)
PROPS(TTButtonProps, TTCustomButtonProps)
PROPS(TTCustomImageProps, TcxCustomEditProperties)
PROPS(TTImageProps, TTCustomImageProps)
#undef PROPS
class TTTextHelper : public TcxCustomFilterEditHelper {
  TOVANI_CLASS(TTTextHelper, TcxCustomFilterEditHelper)
 public:
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASource,
                            bool AKeepButtons) const override {
    TcxCustomFilterEditHelper::InitFilterProperties(AProperties, ASource, AKeepButtons);
    AProperties->SetAutoSelect(true);
  }
};
TOVANI_IMPLEMENT_CLASS(TTTextHelper, TcxCustomFilterEditHelper)
class TTMaskHelper : public TTTextHelper {
  TOVANI_CLASS(TTMaskHelper, TTTextHelper)
 public:
  bool GetEditFlags() const override { return true; }
};
TOVANI_IMPLEMENT_CLASS(TTMaskHelper, TTTextHelper)
const TTTextHelper GText;
const TTMaskHelper GMask;
}  // namespace

TEST(cxFilterEditsController, BranchesLookupsAndLifetime) {
  // Kinds registered by editors that earlier tests made are set aside: the
  // controller's lifetime is tested from an empty one.
  std::vector<std::pair<TClass, TClass>> earlier;
  if (cxFilterEditsControllerExists()) {
    TcxFilterEditsController* c0 = cxGetFilterEditsController();
    for (Integer i = 0; i < c0->GetPairCount(); ++i)
      earlier.emplace_back(c0->GetPair(i)->ItemClass, c0->GetPair(i)->RegisteredClass);
    c0->Clear();
  }
  cxRegisterFilterEditHelper(TTTextHelper::StaticClass(), &GText);
  cxRegisterFilterEditHelper(TTMaskHelper::StaticClass(), &GMask);
  TcxFilterEditsController* c = cxGetFilterEditsController();
  c->AddClassPair(TTTextProps::StaticClass(), TTTextHelper::StaticClass());
  c->AddClassPair(TTMaskProps::StaticClass(), TTMaskHelper::StaticClass());
  EXPECT_EQ(c->FindHelper(TTMaskProps::StaticClass()), &GMask);
  EXPECT_EQ(c->FindHelper(TTButtonProps::StaticClass()), &GMask);
  EXPECT_EQ(c->FindHelper(TTTextProps::StaticClass()), &GText);
  EXPECT_EQ(c->FindHelper(TTImageProps::StaticClass()), nullptr);

  // Removing a pair never registered changes nothing.
  c->RemoveClassPair(TTImageProps::StaticClass(), TTTextHelper::StaticClass());
  EXPECT_TRUE(cxFilterEditsControllerExists());
  c->RemoveClassPair(TTMaskProps::StaticClass(), TTMaskHelper::StaticClass());
  EXPECT_TRUE(cxFilterEditsControllerExists());
  c->RemoveClassPair(TTTextProps::StaticClass(), TTTextHelper::StaticClass());
  EXPECT_FALSE(cxFilterEditsControllerExists());
  TcxFilterEditsController* fresh = cxGetFilterEditsController();
  EXPECT_EQ(fresh->GetPairCount(), 0);
  fresh->RemoveClassPair(TTTextProps::StaticClass(), TTTextHelper::StaticClass());   // frees it again
  EXPECT_FALSE(cxFilterEditsControllerExists());
  for (auto& [item, helper] : earlier) cxGetFilterEditsController()->TcxRegisteredClassList::AddClassPair(item, helper);
}

TEST(cxFilterEditHelper, OperatorsAndFilterProperties) {
  const TcxCustomFilterEditHelper& h = GText;
  auto codes = [](TcxFilterEditOperators s) {
    std::vector<int> r;
    for (int i = 0; i < 40; ++i)
      if (s & cxFilterOperatorBit(i)) r.push_back(i);
    return r;
  };
  EXPECT_EQ(codes(h.GetAllowedOperators(nullptr, nullptr, false)), (std::vector<int>{1, 2, 3, 4, 5, 6, 9, 10}));
  EXPECT_EQ(codes(h.GetAllowedOperators(nullptr, nullptr, true)),
            (std::vector<int>{1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14}));
  TcxValueTypeClass text = TcxStringValueType::Class();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(codes(h.GetAllowedOperators(nullptr, text, false)).size(), 10u);

  TcxCustomEditProperties source;
  source.OnValidate = [](TObject*, Variant&, String&, bool&) {};
  source.GetAlignment()->SetHorz(taRightJustify);
  source.GetAlignment()->SetVert(taVCenter);
  source.SetReadOnly(true);
  source.SetBeepOnError(true);
  source.SetValidateOnEnter(false);
  source.Buttons()->Add();
  TcxCustomEditProperties target;
  h.InitFilterProperties(&target, &source, h.GetEditFlags());
  EXPECT_FALSE(bool(target.OnValidate));
  EXPECT_EQ(target.GetAlignment()->Horz(), taLeftJustify);
  EXPECT_EQ(target.GetAlignment()->Vert(), taTopJustify);
  EXPECT_FALSE(target.GetReadOnly());
  EXPECT_TRUE(target.AssignedValues()->ReadOnly());
  EXPECT_FALSE(target.BeepOnError());
  EXPECT_TRUE(target.ValidateOnEnter());
  EXPECT_EQ(target.Buttons()->Count(), 0);
  TcxCustomEditProperties kept;
  GMask.InitFilterProperties(&kept, &source, GMask.GetEditFlags());
  EXPECT_EQ(kept.Buttons()->Count(), 1);
}

TEST(cxEditRoutines, VariantsBlanksShiftsAndSizes) {
  struct Case {
    Variant A, B;
    bool EditEquals, SameType;
  } cases[] = {
      {Variant(5), Variant(5.0), true, false},
      {Variant(String("5")), Variant(5), false, false},
      {Null(), Null(), true, true},
      {Variant(String("a")), Variant(String("a")), true, true},
      {Variant(1), Variant(2), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cxEditVarEquals(c.A, c.B), c.EditEquals) << VarToStrDef(c.A, "Null") << " " << VarToStrDef(c.B, "Null");
    EXPECT_EQ(cxVarSameTypeAndValue(c.A, c.B), c.SameType) << VarToStrDef(c.A, "Null");
  }
  for (int ch : {0, 9, 10, 12, 13, 32}) EXPECT_TRUE(cxIsEditBlankChar(char(ch))) << ch;
  for (int ch : {11, int('a'), 0xA0}) EXPECT_FALSE(cxIsEditBlankChar(char(ch))) << ch;
  EXPECT_EQ(cxButtonCodeToShift(0), TShiftState());
  EXPECT_EQ(cxButtonCodeToShift(2), TShiftState{ssRight});
  EXPECT_EQ(cxMouseButtonToShift(mbMiddle), TShiftState{ssMiddle});
  TSize s{3, 9};
  cxEnlargeSize(s, TSize{5, 2});
  EXPECT_EQ(s.cx, 5);
  EXPECT_EQ(s.cy, 9);

  // The owner component of a button of a properties object owned by an item.
  TcxEditRepositoryItem item(nullptr);
  item.Properties()->Buttons()->Add();
  EXPECT_EQ(cxFindOwnerComponent(item.Properties()->Buttons()->Items(0)), &item);
}
