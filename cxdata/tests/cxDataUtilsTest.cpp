#include "Classes.h"
#include "Variant.h"
#include "cxDataUtils.h"
#include "gtest.h"

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
