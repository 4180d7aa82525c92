#include "Classes.h"
#include "Variant.h"
#include "cxClasses.h"
#include "cxDataUtils.h"
#include "gtest.h"

namespace {
// A small class tree: TBase <- TMiddle <- TLeaf, and targets to map to.
class TBase : public TObject { TOVANI_CLASS(TBase, TObject) };
class TMiddle : public TBase { TOVANI_CLASS(TMiddle, TBase) };
class TLeaf : public TMiddle { TOVANI_CLASS(TLeaf, TMiddle) };
class TOther : public TObject { TOVANI_CLASS(TOther, TObject) };
class TTargetA : public TObject { TOVANI_CLASS(TTargetA, TObject) };
class TTargetB : public TObject { TOVANI_CLASS(TTargetB, TObject) };
}  // namespace
TOVANI_IMPLEMENT_CLASS(TBase, TObject)
TOVANI_IMPLEMENT_CLASS(TMiddle, TBase)
TOVANI_IMPLEMENT_CLASS(TLeaf, TMiddle)
TOVANI_IMPLEMENT_CLASS(TOther, TObject)
TOVANI_IMPLEMENT_CLASS(TTargetA, TObject)
TOVANI_IMPLEMENT_CLASS(TTargetB, TObject)

TEST(cxRegisteredClassList, MostDerivedRegisteredAncestorWins) {
  TcxRegisteredClassList list;
  list.AddClassPair(TBase::StaticClass(), TTargetA::StaticClass());
  list.AddClassPair(TMiddle::StaticClass(), TTargetB::StaticClass());
  EXPECT_EQ(list.FindClass(TLeaf::StaticClass()), TTargetB::StaticClass());
  EXPECT_EQ(list.FindClass(TBase::StaticClass()), TTargetA::StaticClass());
  EXPECT_EQ(list.FindClass(TOther::StaticClass()), nullptr);
  // Registering TMiddle again puts the new pair after the old one: it wins;
  // removing it brings the first back.
  list.AddClassPair(TMiddle::StaticClass(), TTargetA::StaticClass());
  EXPECT_EQ(list.GetPair(2)->RegisteredClass, TTargetA::StaticClass());
  EXPECT_EQ(list.FindClass(TLeaf::StaticClass()), TTargetA::StaticClass());
  list.RemoveClassPair(TMiddle::StaticClass(), TTargetA::StaticClass());
  EXPECT_EQ(list.FindClass(TLeaf::StaticClass()), TTargetB::StaticClass());
  EXPECT_EQ(list.GetPairCount(), 2);

  // A descendant registered first: its ancestor goes before it.
  TcxRegisteredClassList d;
  d.AddClassPair(TLeaf::StaticClass(), TTargetA::StaticClass());
  d.AddClassPair(TOther::StaticClass(), TTargetA::StaticClass());
  d.AddClassPair(TBase::StaticClass(), TTargetB::StaticClass());
  EXPECT_EQ(d.GetPair(0)->ItemClass, TBase::StaticClass());
  EXPECT_EQ(d.GetPair(1)->ItemClass, TLeaf::StaticClass());
  Integer index = -7;
  EXPECT_FALSE(d.FindClassPair(TObject::StaticClass(), index));
  EXPECT_EQ(index, 0);   // the first descendant of the class asked for
  EXPECT_THROW(d.GetPair(3), EListError);
}

TEST(cxRegisteredClasses, SortedByTheTextBeforeTheBar) {
  TcxRegisteredClasses list;
  list.AddClass(TBase::StaticClass(), "beta");
  list.AddClass(TMiddle::StaticClass(), "Alpha");
  list.AddClass(TLeaf::StaticClass(), "gamma|x");
  list.AddClass(TLeaf::StaticClass(), "again");   // already present: ignored
  EXPECT_EQ(list.Count(), 3);
  list.SetSorted(true);
  EXPECT_EQ(list.GetDescription(0), "Alpha");
  EXPECT_EQ(list.GetDescription(1), "beta");
  EXPECT_EQ(list.GetDescription(2), "gamma");
  EXPECT_EQ(list.GetFullDescription(2), "gamma|x");
  list.AddClass(TOther::StaticClass(), "Delta");
  EXPECT_EQ(list.Items(2), TOther::StaticClass());
  list.RemoveClass(TBase::StaticClass());
  EXPECT_EQ(list.IndexOfClass(TBase::StaticClass()), -1);
  EXPECT_EQ(cxTextBeforeBar("plain"), "plain");
}

namespace {
class TNote : public TCollectionItem {
  TOVANI_CLASS(TNote, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  String Text;
  void Assign(TPersistent* Source) override {
    if (Source && Source->Is<TNote>()) {
      Text = static_cast<TNote*>(Source)->Text;
      return;
    }
    TCollectionItem::Assign(Source);
  }
};
class TNotes : public TcxCollection {
  TOVANI_CLASS(TNotes, TcxCollection)
 public:
  TNotes() : TcxCollection(TNote::StaticClass()) {}
  int Updates = 0;

 protected:
  void Update(TCollectionItem*) override { ++Updates; }
};
}  // namespace
TOVANI_IMPLEMENT_CLASS_FACTORY(TNote, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TNotes, TcxCollection)

TEST(cxCollection, AssignmentKeepsItemsInPlace) {
  TNotes src, dst;
  for (const char* t : {"a", "b"}) static_cast<TNote*>(src.Add())->Text = t;
  for (int i = 0; i < 5; ++i) dst.Add();
  TCollectionItem* first = dst.Items(0);
  TCollectionItem* second = dst.Items(1);
  dst.Updates = 0;
  dst.Assign(&src);
  ASSERT_EQ(dst.Count(), 2);
  EXPECT_EQ(dst.Items(0), first);
  EXPECT_EQ(dst.Items(1), second);
  EXPECT_EQ(static_cast<TNote*>(dst.Items(1))->Text, "b");
  EXPECT_EQ(dst.Updates, 1);   // one notification for the whole copy
  TNotes none1, none2;
  none1.Assign(&none2);
  EXPECT_EQ(none1.Updates, 0);
}

TEST(cxCustomDataBinding, ReadOnlyAndVisualControl) {
  TcxCustomDataBinding b(nullptr, nullptr);
  int sourceChanges = 0;
  b.OnSourceChanged = [&] { ++sourceChanges; };
  EXPECT_TRUE(b.CanModify());
  EXPECT_TRUE(b.GetStoredValue(0, false).IsNull());
  b.ChangeReadOnly(false);
  EXPECT_EQ(sourceChanges, 0);
  b.ChangeReadOnly(true);
  EXPECT_EQ(sourceChanges, 1);
  EXPECT_FALSE(b.CanModify());
  EXPECT_FALSE(b.SetEditMode());
  TComponent control;
  b.AssignVisualControl(&control);
  EXPECT_EQ(b.VisualControl(), &control);
}
