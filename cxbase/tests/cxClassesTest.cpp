// Geometry helpers, the persistent rectangle, class registries, object
// links, the free-notification relay, resource texts and auto width.
#include <vector>

#include "Classes.h"
#include "cxClasses.h"
#include "cxGeometry.h"
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


TEST(cxGeometry, RectangleHelpers) {
  EXPECT_EQ(cxCenteredRect(TRect(0, 0, 15, 15), TSize(10, 10)), TRect(2, 2, 12, 12));
  EXPECT_EQ(cxCenteredRect(TRect(-5, -5, 0, 0), 2, 2), TRect(-3, -3, -1, -1));   // truncates toward zero
  EXPECT_TRUE(cxIsRectVoid(TRect(5, 5, 5, 10)));
  EXPECT_FALSE(cxIsRectVoid(TRect(5, 5, 6, 6)));
  EXPECT_EQ(cxInflatedRect(TRect(10, 10, 20, 20), -2, 3), TRect(12, 7, 18, 23));
  EXPECT_EQ(cxInflatedRectSides(TRect(10, 10, 20, 20), 1, 2, 3, 4), TRect(9, 8, 23, 24));
  EXPECT_EQ(cxShiftedRect(TRect(1, 2, 3, 4), 10, -2), TRect(11, 0, 13, 2));
  EXPECT_EQ(cxMakeBounds(5, 6, 10, 20), TRect(5, 6, 15, 26));
  EXPECT_EQ(cxRectWithLeftAndWidth(TRect(0, 1, 9, 9), 4, 3), TRect(4, 1, 7, 9));
  EXPECT_EQ(cxRectInsideMargins(TRect(0, 0, 100, 50), TRect(1, 2, 3, 4)), TRect(1, 2, 97, 46));
  EXPECT_EQ(cxWidthOfRect(TRect(3, 0, 1, 0)), -2);   // inverted rectangles are computed as they are
  struct { int a, b, mid; } mids[] = {{-3, 0, -2}, {-2, 0, -1}, {0, 0, 0}, {3, 0, 1}, {5, 6, 5}, {-1, -2, -2}};
  for (auto& m : mids) EXPECT_EQ(cxMidpoint(m.a, m.b), m.mid) << m.a << "," << m.b;
  EXPECT_EQ(cxSignOf(0.0), 1);
  EXPECT_EQ(cxSignOf(-0.5), -1);
  // Rounded like the platform's MulDiv, but a zero divisor answers 0.
  EXPECT_EQ(cxMulDiv(149, 45, 90), 75);
  EXPECT_EQ(cxMulDiv(-149, 45, 90), -75);
  EXPECT_EQ(cxMulDiv(10, 166, 100), 17);
  EXPECT_EQ(cxMulDiv(7, 3, 0), 0);
  EXPECT_EQ(cxMulDiv(2000000000, 2000000000, 2000000000), 2000000000);
}

TEST(cxRect, ChangeEventOnlyForRealChanges) {
  TcxRect r;
  int changes = 0;
  r.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &r);
    ++changes;
  };
  r.SetLeft(0);
  EXPECT_EQ(changes, 0);
  r.SetRight(10);
  r.SetValue(7, 5);   // any other index is Bottom
  EXPECT_EQ(r.Rect(), TRect(0, 0, 10, 5));
  EXPECT_EQ(r.GetValue(9), 5);
  EXPECT_EQ(changes, 2);
  TcxRect other;
  other.SetRect(TRect(1, 2, 3, 4));
  r.Assign(&other);
  EXPECT_EQ(r.Rect(), TRect(1, 2, 3, 4));
  r.Assign(&other);
  EXPECT_EQ(changes, 3);
  TPersistent notARect;
  r.Assign(&notARect);   // ignored
  EXPECT_EQ(r.Rect(), TRect(1, 2, 3, 4));
  EXPECT_NE(GetClass("TcxRect"), nullptr);
}

namespace {
struct WidthCase {
  int available;
  std::vector<int> widths, mins;
  std::vector<bool> fixed;
  std::vector<int> expected;
};
}  // namespace

TEST(cxAutoWidthObject, DistributesProportionally) {
  const WidthCase cases[] = {
      {100, {10, 30, 60}, {0, 0, 0}, {false, false, false}, {10, 30, 60}},
      {50, {10, 30, 60}, {0, 0, 0}, {false, false, false}, {5, 15, 30}},
      // The first item is clamped at its minimum; the rest share what is left.
      {50, {10, 30, 60}, {20, 0, 0}, {false, false, false}, {20, 10, 20}},
      // A fixed item keeps its width.
      {100, {40, 30, 30}, {0, 0, 0}, {true, false, false}, {40, 30, 30}},
      {70, {40, 30, 30}, {0, 0, 0}, {true, false, false}, {40, 15, 15}},
      // All fixed: the loop ends after the fixed items.
      {10, {40, 30}, {0, 0}, {true, true}, {40, 30}},
      // Items of width 0 beside fixed ones: nothing left to share, no division by zero.
      {80, {40, 0, 0}, {0, 0, 0}, {true, false, false}, {40, 0, 0}},
      // The shares add up exactly to the available width.
      {100, {1, 1, 1}, {0, 0, 0}, {false, false, false}, {33, 34, 33}},
  };
  for (const auto& c : cases) {
    TcxAutoWidthObject obj(int(c.widths.size()));
    for (size_t i = 0; i < c.widths.size(); ++i) {
      TcxAutoWidthItem* item = obj.NewItem();
      EXPECT_EQ(item->AutoWidth, -1);
      item->Width = c.widths[i];
      item->MinWidth = c.mins[i];
      item->Fixed = c.fixed[i];
    }
    obj.AvailableWidth = c.available;
    obj.DistributeWidths();
    std::vector<int> got;
    for (int i = 0; i < obj.ItemCount(); ++i) got.push_back(obj.GetItemByIndex(i)->AutoWidth);
    EXPECT_EQ(got, c.expected) << "available " << c.available;
  }
  TcxAutoWidthObject empty(0);
  EXPECT_THROW(empty.GetItemByIndex(0), EListError);
}

TEST(cxObjectLinks, LinksClearWhenTheObjectGoes) {
  ASSERT_EQ(cxObjectLinkCount(), -1);
  EXPECT_EQ(cxCreateObjectLink(nullptr), nullptr);
  auto* a = new TcxComponent;
  TcxComponent b;
  TcxObjectLink* la1 = cxCreateObjectLink(a);
  TcxObjectLink* la2 = cxCreateObjectLink(a);
  TcxObjectLink* lb = cxCreateObjectLink(&b);
  EXPECT_EQ(cxObjectLinkCount(), 3);
  delete a;   // the component's destructor clears its links
  EXPECT_EQ(la1->Ref, nullptr);
  EXPECT_EQ(la2->Ref, nullptr);
  EXPECT_EQ(lb->Ref, &b);
  EXPECT_EQ(cxObjectLinkCount(), 1);
  cxReleaseObjectLink(la1);
  cxReleaseObjectLink(lb);
  cxReleaseObjectLink(nullptr);
  EXPECT_EQ(cxObjectLinkCount(), 0);
  cxReleaseObjectLink(la2);   // the last link frees the controller
  EXPECT_EQ(cxObjectLinkCount(), -1);
  {
    TcxObjectLinkGuard guard(&b);
    EXPECT_TRUE(guard.Alive());
  }
  EXPECT_EQ(cxObjectLinkCount(), -1);
}

TEST(cxClasses, ObjectListFreeNotificatorAndHelpers) {
  struct TCounted : TObject {
    int* Deleted;
    explicit TCounted(int* d) : Deleted(d) {}
    ~TCounted() override { ++*Deleted; }
  };
  int deleted = 0;
  {
    TcxObjectList list;
    list.Add(new TCounted(&deleted));
    list.Add(new TCounted(&deleted));
    list.Clear();
    EXPECT_EQ(deleted, 2);
    list.Add(new TCounted(&deleted));
  }
  EXPECT_EQ(deleted, 3);

  TcxFreeNotificator watcher;
  std::vector<TComponent*> freed;
  watcher.OnComponentFreed = [&](TObject* s, TComponent* c) {
    EXPECT_EQ(s, &watcher);
    freed.push_back(c);
  };
  auto* c1 = new TComponent;
  auto* c2 = new TComponent;
  watcher.AddSender(c1);
  watcher.AddSender(c2);
  watcher.AddSender(nullptr);
  watcher.RemoveSender(c2);
  delete c1;
  delete c2;
  ASSERT_EQ(freed.size(), 1u);
  EXPECT_EQ(freed[0], c1);

  static const TcxResourceString sText{"合计"};
  EXPECT_EQ(cxLoadResourceText(sText), "合计");
  EXPECT_EQ(cxFindResourceTextReplacement(sText), -1);

  EXPECT_EQ(cxCharLengthAt("a中", 1), 1);
  EXPECT_EQ(cxCharLengthAt("a中", 2), 3);
  EXPECT_EQ(cxCharLengthAt("a中", 9), 0);
  char buf[] = "abcdef";
  cxMoveBytes(buf, buf + 2, 3);   // overlapping
  EXPECT_STREQ(buf, "ababcf");
  EXPECT_EQ(cxReadLocaleInfo(0x0804, 0x7FFF0000u, "none"), "none");
  EXPECT_EQ(cxGetPersistentOwner(nullptr), nullptr);
  TcxInterfacedPersistent owned(&watcher);
  EXPECT_EQ(cxGetPersistentOwner(&owned), &watcher);
}
