#include "Contnrs.h"
#include "gtest.h"

namespace {

void* P(intptr_t v) { return reinterpret_cast<void*>(v); }

template <class F>
String ListErrorOf(F f) {
  try {
    f();
  } catch (const EListError& e) {
    return e.Message();
  }
  return "no error";
}

// Counts its live instances so tests can see what an owning list deleted.
struct TCounted : TObject {
  static inline int Alive = 0;
  TCounted() { ++Alive; }
  ~TCounted() override { --Alive; }
};

}  // namespace

TEST(TList, EditingKeepsOrderAndAnswersIndexes) {
  TList list;
  EXPECT_EQ(list.Add(P(1)), 0);
  EXPECT_EQ(list.Add(P(2)), 1);
  list.Insert(0, P(3));          // 3 1 2
  list.Add(nullptr);             // 3 1 2 nil
  list.Add(P(1));                // 3 1 2 nil 1
  EXPECT_EQ(list.Remove(P(1)), 1);  // first occurrence: 3 2 nil 1
  EXPECT_EQ(list.Remove(P(9)), -1);
  list.Exchange(0, 3);           // 1 2 nil 3
  list.Move(0, 2);               // 2 nil 1 3
  EXPECT_EQ(list.Extract(P(1)), P(1));
  EXPECT_EQ(list.Extract(P(1)), nullptr);
  list.Pack();                   // 2 3
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.First(), P(2));
  EXPECT_EQ(list.Last(), P(3));
  EXPECT_EQ(list.IndexOf(P(3)), 1);
  EXPECT_GE(list.Capacity(), list.Count());
  list.SetCount(4);
  EXPECT_EQ(list[3], nullptr);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(TList, SortUsesTheCompareFunction) {
  TList list;
  for (intptr_t v : {5, 3, 9, 1, 3}) list.Add(P(v));
  list.Sort([](void* a, void* b) {
    auto x = reinterpret_cast<intptr_t>(a), y = reinterpret_cast<intptr_t>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  });
  std::vector<intptr_t> got;
  for (void* p : list) got.push_back(reinterpret_cast<intptr_t>(p));
  EXPECT_EQ(got, (std::vector<intptr_t>{1, 3, 3, 5, 9}));
}

TEST(TList, BadIndexesRaiseListErrors) {
  TList list;
  list.Add(P(1));
  EXPECT_EQ(ListErrorOf([&] { list.Items(1); }), "List index out of bounds (1)");
  EXPECT_EQ(ListErrorOf([&] { list.Items(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ListErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");
  EXPECT_EQ(ListErrorOf([&] { list.Insert(2, nullptr); }), "List index out of bounds (2)");
  EXPECT_EQ(ListErrorOf([&] { list.Exchange(0, 3); }), "List index out of bounds (3)");
  EXPECT_EQ(ListErrorOf([&] { list.Move(0, 7); }), "List index out of bounds (7)");
  EXPECT_EQ(ListErrorOf([&] { TList().First(); }), "List index out of bounds (0)");
  EXPECT_EQ(ListErrorOf([&] { list.SetCapacity(0); }), "List capacity out of bounds (0)");
  EXPECT_EQ(ListErrorOf([&] { list.SetCount(-1); }), "List count out of bounds (-1)");
  // A huge count is refused before anything is allocated.
  EXPECT_EQ(ListErrorOf([&] { list.SetCount(2000000000); }), "List count out of bounds (2000000000)");
  EXPECT_EQ(list.Count(), 1);
}

TEST(TObjectList, OwnedObjectsAreDeletedUnlessExtracted) {
  TCounted::Alive = 0;
  {
    TObjectList list;
    auto* a = new TCounted;
    auto* b = new TCounted;
    auto* c = new TCounted;
    list.Add(a);
    list.Add(b);
    list.Add(c);
    list.Add(new TCounted);
    list.Delete(0);                      // deletes a
    EXPECT_EQ(TCounted::Alive, 3);
    EXPECT_EQ(list.Extract(b), b);       // handed back
    EXPECT_EQ(TCounted::Alive, 3);
    list.SetItems(0, b);                 // replaces (and deletes) c
    EXPECT_EQ(TCounted::Alive, 2);
    EXPECT_EQ(list.IndexOf(b), 0);
  }  // the list deletes b and the last one
  EXPECT_EQ(TCounted::Alive, 0);

  TCounted keep;
  {
    TObjectList notOwning(false);
    notOwning.Add(&keep);
    notOwning.Clear();
  }
  EXPECT_EQ(TCounted::Alive, 1);
}

TEST(TObjectList, FindInstanceOfHonoursExactness) {
  TObjectList list(false);
  TObject plain;
  EListError err("x");
  list.Add(&plain);
  list.Add(&err);
  EXPECT_EQ(list.FindInstanceOf(Exception::StaticClass(), true), -1);
  EXPECT_EQ(list.FindInstanceOf(Exception::StaticClass(), false), 1);
  EXPECT_EQ(list.FindInstanceOf(TObject::StaticClass(), true), 0);
  EXPECT_EQ(list.FindInstanceOf(TObject::StaticClass(), true, 1), -1);
}
