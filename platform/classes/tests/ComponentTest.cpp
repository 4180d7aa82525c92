#include "gtest.h"
#include "TestComponents.h"

namespace {

template <class E>
String ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "no error";
}

TEST(Component, NameRules) {
  TTestForm form;
  TTestPanel a(&form);
  a.SetName("Panel1");
  struct Case { const char* name; const char* error; };
  const Case cases[] = {
      {"Panel2", ""},
      {"_x9", ""},
      {"", ""},
      {"9Lives", "'9Lives' is not a valid component name"},
      {"Has Space", "'Has Space' is not a valid component name"},
      {"面板", "'面板' is not a valid component name"},
      {"a.b", "'a.b' is not a valid component name"},
      {"panel1", "A component named panel1 already exists"},
  };
  for (const Case& c : cases) {
    TTestPanel b(&form);
    String err = ErrorOf<EComponentError>([&] { b.SetName(c.name); });
    EXPECT_EQ(err, *c.error ? String(c.error) : String("no error")) << c.name;
  }
  // renaming to the same name in another case is allowed
  a.SetName("PANEL1");
  EXPECT_EQ(form.FindComponent("panel1"), &a);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  // an unowned component is only checked for the identifier rule
  TTestPanel free1, free2;
  free1.SetName("Same");
  free2.SetName("Same");
}

TEST(Component, InsertingANameTakenByTheNewOwnerFails) {
  TTestForm form;
  TTestPanel a(&form);
  a.SetName("P");
  auto* b = new TTestPanel;
  b->SetName("P");
  EXPECT_EQ(ErrorOf<EComponentError>([&] { form.InsertComponent(b); }), "A component named P already exists");
  EXPECT_EQ(b->Owner(), nullptr);
  delete b;
}

// The owner finds its components by name through renames, removals and
// moves to another owner.
TEST(Component, FindComponentFollowsRenamesRemovalsAndMoves) {
  TTestForm form, other;
  auto* a = new TTestPanel(&form);
  auto* b = new TTestPanel(&form);
  a->SetName("Edit1");
  b->SetName("Edit2");
  a->SetName("Customer");
  EXPECT_EQ(form.FindComponent("EDIT1"), nullptr);
  EXPECT_EQ(form.FindComponent("customer"), a);
  b->SetName("Edit1");   // the old name is free again
  EXPECT_EQ(form.FindComponent("edit1"), b);
  EXPECT_EQ(form.FindComponent("Edit2"), nullptr);
  b->SetName("");
  EXPECT_EQ(form.FindComponent("Edit1"), nullptr);
  other.InsertComponent(a);
  EXPECT_EQ(form.FindComponent("Customer"), nullptr);
  EXPECT_EQ(other.FindComponent("Customer"), a);
  delete a;
  EXPECT_EQ(other.FindComponent("Customer"), nullptr);
  TTestPanel c(&form);
  c.SetName("Customer");   // the name of a deleted component can be taken
  EXPECT_EQ(form.FindComponent("Customer"), &c);
}

TEST(Component, OwnerDeletesOwnedComponentsAndTellsFreeNotifiers) {
  auto* form = new TTestForm;
  auto* p1 = new TTestPanel(form);
  auto* p2 = new TTestPanel(form);
  p1->SetName("P1");
  p2->SetName("P2");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(p2->ComponentIndex(), 1);
  EXPECT_EQ(form->Components(0), p1);
  EXPECT_THROW(form->Components(2), EListError);

  // a component outside the owner watches P1
  TTestPanel watcher;
  watcher.SetBuddy(p1);
  // a sibling hears through the owner's broadcast
  p2->SetBuddy(p1);
  delete p1;
  EXPECT_EQ(watcher.Buddy(), nullptr);
  EXPECT_EQ(p2->Buddy(), nullptr);
  EXPECT_EQ(form->ComponentCount(), 1);

  watcher.SetBuddy(p2);
  delete form;   // deletes P2
  EXPECT_EQ(watcher.Buddy(), nullptr);
}

TEST(Component, ComponentIndexMovesWithinTheOwner) {
  TTestForm form;
  TTestPanel a(&form), b(&form), c(&form);
  c.SetComponentIndex(0);
  EXPECT_EQ(form.Components(0), &c);
  EXPECT_EQ(form.Components(1), &a);
  a.SetComponentIndex(99);
  EXPECT_EQ(form.Components(2), &a);
}

TEST(Collection, AddDeleteNotifyAndUpdate) {
  TTestPanel owner;
  owner.SetName("Grid");
  TTestItems& items = *owner.Items();
  auto* a = static_cast<TTestItem*>(items.Add());
  auto* b = static_cast<TTestItem*>(items.Add());
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(items.Log, (std::vector<String>{"added 0", "update all", "added 1", "update all"}));
  items.Log.clear();

  b->SetCaption("数量");
  EXPECT_EQ(items.Log, (std::vector<String>{"update 数量"}));
  EXPECT_EQ(b->GetNamePath(), "Grid.Items[1]");
  items.Log.clear();

  items.BeginUpdate();
  a->SetWidth(10);
  items.Insert(0);
  items.EndUpdate();
  EXPECT_EQ(items.Log, (std::vector<String>{"added 2", "update all"}));
  EXPECT_EQ(items.Items(0)->ID(), 2);
  EXPECT_EQ(items.FindItemID(1), b);
  items.Log.clear();

  items.Delete(0);
  EXPECT_EQ(items.Log, (std::vector<String>{"deleting 2", "extracting 2", "update all"}));
  EXPECT_EQ(items.Count(), 2);
  EXPECT_THROW(items.Delete(5), EListError);

  delete a;   // an item deleted directly leaves its collection
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Items(0), b);
  b->SetIndex(0);
  EXPECT_THROW(b->SetIndex(3), EListError);
}

TEST(Collection, AssignCopiesItems) {
  TTestPanel p1, p2;
  auto* a = static_cast<TTestItem*>(p1.Items()->Add());
  a->SetCaption("名称");
  a->SetWidth(120);
  p2.Items()->Add();
  p2.Items()->Add();
  p2.Items()->Assign(p1.Items());
  ASSERT_EQ(p2.Items()->Count(), 1);
  EXPECT_EQ(p2.Items()->Items(0)->Caption(), "名称");
  EXPECT_EQ(p2.Items()->Items(0)->Width(), 120);
  TTestFont font;
  EXPECT_THROW(p2.Items()->Assign(&font), EConvertError);
}

TEST(ClassRegistry, FindClassAndGetClass) {
  EXPECT_EQ(FindClass("TTestPanel"), TTestPanel::StaticClass());
  EXPECT_EQ(GetClass("ttestpanel"), TTestPanel::StaticClass());
  EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
  EXPECT_EQ(ErrorOf<EClassNotFound>([] { FindClass("TNoSuchThing"); }), "Class TNoSuchThing not found");
  // abstract classes (no factory) are not creatable by name
  EXPECT_EQ(GetClass("TCollection"), nullptr);
  UnRegisterClass(TTestFont::StaticClass());
  EXPECT_EQ(GetClass("TTestFont"), nullptr);
  RegisterClass(TTestFont::StaticClass());
  EXPECT_EQ(GetClass("TTestFont"), TTestFont::StaticClass());
}

}  // namespace
