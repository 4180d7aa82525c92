#include <cstring>

#include "Currency.h"
#include "Streams.h"
#include "TestCriteria.h"
#include "gtest.h"

namespace {

std::vector<Byte> Bytes(TMemoryStream& S) {
  const Byte* p = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(p, p + S.Size());
}

std::vector<Byte> Tagged(TcxFilterCriteria& C, Integer Limit = 0) {
  TMemoryStream s;
  C.WriteTagged(&s, Limit);
  return Bytes(s);
}

void ReadTagged(TcxFilterCriteria& C, const std::vector<Byte>& Data) {
  TMemoryStream s;
  if (!Data.empty()) s.WriteBuffer(Data.data(), LongInt(Data.size()));
  s.SetPosition(0);
  C.ReadTagged(&s);
}

// Name (text), Price (currency) and Qty (integer), three records.
struct TOrders {
  TTestCriteria C;
  TTestColumn *Name, *Price, *Qty;
  explicit TOrders(Integer Version = 2) : C(Version) {
    Name = C.AddColumn(1, "Name", "Product");
    Price = C.AddColumn(2, "Price");
    Qty = C.AddColumn(3, "Qty");
    C.Rows = {{"apple", Variant(Currency(12)), 3},
              {"Banana", Variant(Currency(1.5)), Variant::Null()},
              {"", Variant(Currency(30)), 7}};
  }
  std::vector<Integer> Matching() {
    std::vector<Integer> r;
    for (Integer i = 0; i < Integer(C.Rows.size()); ++i)
      if (C.MatchesRecord(i)) r.push_back(i);
    return r;
  }
};

using Recs = std::vector<Integer>;

}  // namespace

TEST(cxFilterCriteria, GroupOperatorsEvaluateEveryMember) {
  TOrders t;
  EXPECT_EQ(t.Matching(), (Recs{0, 1, 2}));   // no conditions: everything
  t.C.Root()->SetGroupOperator(fgoNotAnd);
  EXPECT_EQ(t.Matching(), (Recs{0, 1, 2}));
  t.C.Root()->SetGroupOperator(fgoAnd);
  t.C.AddCondition(nullptr, t.Price, focGreater, 10, "10");
  t.C.AddCondition(nullptr, t.Qty, focLess, 5, "5");
  // Qty Null orders first, so record 1 passes "Qty < 5".
  struct Case {
    TcxFilterGroupOperator G;
    Recs Expected;
  } cases[] = {{fgoAnd, {0}}, {fgoOr, {0, 1, 2}}, {fgoNotAnd, {1, 2}}, {fgoNotOr, {}}};
  for (const Case& c : cases) {
    t.C.Root()->SetGroupOperator(c.G);
    EXPECT_EQ(t.Matching(), c.Expected) << int(c.G);
  }
}

TEST(cxFilterCriteria, OptionsChangeHowValuesCompare) {
  TOrders t;
  TcxFilterCriteriaItem* item = t.C.AddCondition(nullptr, t.Name, focEqual, "APPLE", "APPLE");
  EXPECT_EQ(t.Matching(), Recs{});
  t.C.SetOptions({fcoCaseInsensitive});
  EXPECT_EQ(t.Matching(), Recs{0});
  item->SetOperatorKind(focLike);
  item->SetOperand("b%");
  EXPECT_EQ(t.Matching(), Recs{1});

  // Soft null: an empty-text operand makes an "is blank" condition that
  // matches Null and empty texts.
  t.C.ClearConditions();
  t.C.SetOptions({fcoSoftNull});
  item = t.C.AddCondition(nullptr, t.Name, focEqual, "", "");
  EXPECT_TRUE(item->Operator()->Is<TcxFilterNullOperator>());
  t.C.Rows[1][0] = Variant::Null();
  EXPECT_EQ(t.Matching(), (Recs{1, 2}));

  // Ignore null: a Null value fails every test but the null tests.
  t.C.ClearConditions();
  t.C.SetOptions({fcoIgnoreNull});
  t.C.AddCondition(nullptr, t.Qty, focLess, 5, "5");
  EXPECT_EQ(t.Matching(), Recs{0});
  t.C.ClearConditions();
  t.C.AddCondition(nullptr, t.Qty, focEqual, Variant::Null(), "");
  EXPECT_EQ(t.Matching(), Recs{1});

  // Currency values are compared as doubles.
  t.C.ClearConditions();
  t.C.AddCondition(nullptr, t.Price, focEqual, 1.5, "1.5");
  EXPECT_EQ(t.Matching(), Recs{1});
}

TEST(cxFilterCriteria, ConversionErrorsFollowSoftCompare) {
  TOrders t;
  // The list test uses the platform's equality, which cannot compare a text
  // that is no number with a number.
  t.C.AddCondition(nullptr, t.Name, focInList, VarArrayOf({5}), "5");
  EXPECT_THROW(t.C.MatchesRecord(0), EVariantTypeCastError);
  t.C.SetOptions({fcoSoftCompare});
  EXPECT_FALSE(t.C.MatchesRecord(0));
}

TEST(cxFilterCriteria, ChangesAreAnnouncedOnceAtTheLastUnlock) {
  TOrders t;
  int changes = 0;
  t.C.OnChanged = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &t.C);
    ++changes;
  };
  t.C.AddCondition(nullptr, t.Qty, focEqual, 1, "1");
  EXPECT_EQ(changes, 1);
  t.C.LockChanges();
  t.C.AddCondition(nullptr, t.Qty, focEqual, 2, "2");
  t.C.SetPercentWildcard('*');
  t.C.Root()->SetGroupOperator(fgoOr);
  EXPECT_EQ(changes, 1);
  t.C.UnlockChanges();
  EXPECT_EQ(changes, 2);
  t.C.SetPercentWildcard('*');         // no change, no announcement
  t.C.SetMaxValueListCount(9);         // not announced
  t.C.SetTranslateIn(true);
  EXPECT_EQ(changes, 2);
  t.C.RemoveLinkConditions(t.Name);    // nothing removed: silent
  EXPECT_EQ(changes, 2);
  t.C.ResetSettings();
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(t.C.PercentWildcard(), '%');
  EXPECT_FALSE(t.C.TranslateIn());
  EXPECT_EQ(t.C.MaxValueListCount(), 9);
}

TEST(cxFilterCriteria, RemovingLinkConditionsTidiesLists) {
  TOrders t;
  t.C.AddCondition(nullptr, t.Qty, focEqual, 1, "1");
  TcxFilterCriteriaItemList* only = t.C.Root()->AddGroup(fgoOr);
  only->AddCondition(t.Name, focEqual, "x", "x");
  TcxFilterCriteriaItemList* pair = t.C.Root()->AddGroup(fgoOr);
  pair->AddCondition(t.Price, focEqual, 1, "1");
  pair->AddCondition(t.Qty, focEqual, 2, "2");
  t.C.AddCondition(nullptr, t.Price, focEqual, 3, "3");
  ASSERT_EQ(t.C.Root()->Count(), 4);
  int changes = 0;
  t.C.OnChanged = [&](TObject*) { ++changes; };

  // The only condition of a nested list goes with its list.
  t.C.RemoveLinkConditions(t.Name);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(t.C.Root()->Count(), 3);
  EXPECT_EQ(t.C.Root()->Items(1), pair);
  // A list left with one member is replaced by it, at the end of the parent.
  t.C.RemoveLinkConditions(t.Price);
  ASSERT_EQ(t.C.Root()->Count(), 2);
  auto* moved = static_cast<TcxFilterCriteriaItem*>(t.C.Root()->Items(1));
  ASSERT_FALSE(moved->IsGroup());
  EXPECT_EQ(moved->Link(), t.Qty);
  EXPECT_EQ(moved->Operand().AsInteger(), 2);
  EXPECT_EQ(moved->Parent(), t.C.Root());
  EXPECT_EQ(t.C.BuildFilterText(), "(Qty = 1) AND (Qty = 2)");
}

TEST(cxFilterCriteria, FilterAndDisplayTexts) {
  TOrders t;
  t.C.AddCondition(nullptr, t.Name, focLike, "a%", "a%");
  t.C.AddCondition(nullptr, t.Price, focBetween, VarArrayOf({10, 20}), "10;20");
  EXPECT_EQ(t.C.BuildFilterText(), "(Name LIKE 'a%') AND (Price BETWEEN 10 AND 20)");
  EXPECT_EQ(t.C.BuildDisplayText(), "(Product LIKE a%) and (Price between 10 and 20)");
  t.C.SetOptions({fcoShowOperatorDescription});
  EXPECT_EQ(t.C.BuildDisplayText(), "(Product begins with a) and (Price between 10 and 20)");

  TOrders n;
  n.C.AddCondition(nullptr, n.Name, focEqual, "x'y", "x'y");
  TcxFilterCriteriaItemList* g = n.C.Root()->AddGroup(fgoNotOr);
  g->AddCondition(n.Price, focLess, 5, "5");
  g->AddCondition(n.Price, focGreater, 9, "9");
  EXPECT_EQ(n.C.BuildFilterText(), "(Name = 'x''y') AND (NOT ((Price < 5) OR (Price > 9)))");
  EXPECT_EQ(n.C.BuildDisplayText(), "(Product = x'y) and (not ((Price < 5) or (Price > 9)))");

  TOrders b;
  b.C.AddCondition(nullptr, b.Name, focEqual, Variant::Null(), "");
  EXPECT_EQ(b.C.BuildFilterText(), "(Name = NULL)");
  EXPECT_EQ(b.C.BuildDisplayText(), "(Product = blank)");
  b.C.SetOptions({fcoShowOperatorDescription});
  EXPECT_EQ(b.C.BuildDisplayText(), "(Product is blank)");

  TOrders e;
  EXPECT_EQ(e.C.BuildFilterText(), "");
  e.C.Root()->SetGroupOperator(fgoNotAnd);
  EXPECT_EQ(e.C.BuildFilterText(), "NOT ()");
}

TEST(cxFilterCriteria, TranslatedOperatorsWriteExpressions) {
  struct Case {
    TcxFilterOperatorCode Kind;
    Variant Operand;
    const char* Plain;
    const char* Translated;
  } cases[] = {
      {focBetween, VarArrayOf({10, 20}), "(Price BETWEEN 10 AND 20)", "((Price >= 10) AND (Price <= 20))"},
      {focNotBetween, VarArrayOf({10, 20}), "(Price NOT BETWEEN 10 AND 20)",
       "(NOT ((Price >= 10) AND (Price <= 20)))"},
      {focNotLike, "a%", "(Price NOT LIKE 'a%')", "( NOT (Price LIKE 'a%'))"},
      {focInList, VarArrayOf({1, 2}), "(Price IN (1, 2))", "((Price = 1) OR (Price = 2))"},
      {focNotInList, VarArrayOf({1, 2}), "(Price NOT IN (1, 2))", "(NOT ((Price = 1) OR (Price = 2)))"},
  };
  for (const Case& c : cases) {
    TOrders t;
    t.C.AddCondition(nullptr, t.Price, c.Kind, c.Operand, "");
    EXPECT_EQ(t.C.BuildFilterText(), c.Plain);
    t.C.SetTranslateBetween(true);
    t.C.SetTranslateLike(true);
    t.C.SetTranslateIn(true);
    EXPECT_EQ(t.C.BuildFilterText(), c.Translated);
  }
  // A condition on several fields at once, and a date literal in the
  // criteria's own format.
  TOrders m;
  TTestColumn* both = m.C.AddColumn(9, "Name;Qty");
  m.C.AddCondition(nullptr, both, focNotEqual, VarArrayOf({"a", 2}), "");
  EXPECT_EQ(m.C.BuildFilterText(), "(NOT ((Name = 'a') AND (Qty = 2)))");
  TOrders d;
  d.C.SetDateTimeFormat("yyyymmdd");
  d.C.AddCondition(nullptr, d.Price, focGreater, Variant::FromDate(45000), "");
  EXPECT_EQ(d.C.BuildFilterText(), "(Price > '20230315')");
}

TEST(cxFilterCriteriaStream, TaggedBytesOfEachVersion) {
  TTestCriteria empty;
  EXPECT_EQ(Tagged(empty), (std::vector<Byte>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0}));

  TOrders t;
  t.C.Columns[1]->Id = 3;
  t.C.AddCondition(nullptr, t.Price, focEqual, 5, "5");
  const std::vector<Byte> v2{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                             0x01, 0x00, 0x00, 0x00, 0x35, 0x03, 0x00, 0x00, 0x00, 0x02, 0x05};
  EXPECT_EQ(Tagged(t.C), v2);

  TOrders t3(3);
  t3.C.Columns[1]->Id = 3;
  t3.C.AddCondition(nullptr, t3.Price, focEqual, 5, "5");
  std::vector<Byte> v3 = v2;
  v3[0] = 0xFE;
  v3.insert(v3.begin() + 20, {0x05, 0x00, 0x00, 0x00, 'P', 'r', 'i', 'c', 'e'});
  EXPECT_EQ(Tagged(t3.C), v3);
  EXPECT_EQ(Tagged(t3.C, 2), v2);   // a limit lowers the version

  // Reading back into a fresh criteria gives the same bytes.
  TOrders r3(3);
  r3.C.Columns[1]->Id = 3;
  ReadTagged(r3.C, v3);
  EXPECT_EQ(r3.C.LoadedVersion(), 3);
  EXPECT_EQ(Tagged(r3.C), v3);
}

TEST(cxFilterCriteriaStream, RoundTripOfANestedTree) {
  TOrders t(3);
  t.C.Root()->SetGroupOperator(fgoOr);
  t.C.AddCondition(nullptr, t.Name, focLike, "\xE8\x8B\xB9%", "\xE8\x8B\xB9%");   // 苹%
  TcxFilterCriteriaItemList* g = t.C.Root()->AddGroup(fgoNotAnd);
  g->AddCondition(t.Price, focBetween, VarArrayOf({Variant(Currency(1)), Variant(Currency(2.5))}), "1;2.5");
  g->AddCondition(t.Qty, focInList, VarArrayOf({1, 2, 3}), "1;2;3");
  g->AddCondition(t.Qty, focEqual, Variant::Null(), "");
  TOrders r(3);
  ReadTagged(r.C, Tagged(t.C));
  EXPECT_EQ(r.C.BuildFilterText(), t.C.BuildFilterText());
  EXPECT_EQ(r.C.BuildDisplayText(), t.C.BuildDisplayText());
  EXPECT_TRUE(r.C.EqualsCriteria(&t.C, false));
  // Display value of a blank condition.
  auto* blank = static_cast<TcxFilterCriteriaItem*>(
      static_cast<TcxFilterCriteriaItemList*>(r.C.Root()->Items(1))->Items(2));
  EXPECT_EQ(blank->DisplayValue(), "blank");
}

TEST(cxFilterCriteriaStream, LinksResolveByNameThenId) {
  TOrders src(3);
  src.C.AddCondition(nullptr, src.Price, focEqual, 1, "1");
  src.C.AddCondition(nullptr, src.Qty, focEqual, 2, "2");
  std::vector<Byte> data = Tagged(src.C);

  // Another table: Price has a new id, Qty is gone, id 3 now belongs to an
  // unnamed column.
  TTestCriteria dst(3);
  TTestColumn* price = dst.AddColumn(7, "Price");
  dst.AddColumn(3, "Other");
  ReadTagged(dst, data);
  ASSERT_EQ(dst.Root()->Count(), 1);
  EXPECT_EQ(static_cast<TcxFilterCriteriaItem*>(dst.Root()->Items(0))->Link(), price);

  // In version 2 there are no names: ids decide.
  TOrders v2src;
  TcxFilterCriteriaItemList* g = v2src.C.Root()->AddGroup(fgoOr);
  g->AddCondition(v2src.Qty, focEqual, 2, "2");
  v2src.C.AddCondition(nullptr, v2src.Name, focEqual, "a", "a");
  TTestCriteria v2dst;
  TTestColumn* name = v2dst.AddColumn(1, "N");
  ReadTagged(v2dst, Tagged(v2src.C));
  // The list whose only condition was dropped is dropped as well.
  ASSERT_EQ(v2dst.Root()->Count(), 1);
  EXPECT_EQ(static_cast<TcxFilterCriteriaItem*>(v2dst.Root()->Items(0))->Link(), name);
}

TEST(cxFilterCriteriaStream, OldFormAndDamagedStreams) {
  // Header 2: the old form with two top-level members and no root operator.
  TOrders t;
  const std::vector<Byte> cond1{0, 0, 1, 0, 0, 0, '1', 3, 0, 0, 0, 2, 1};
  const std::vector<Byte> cond2{0, 0, 1, 0, 0, 0, '2', 3, 0, 0, 0, 2, 2};
  std::vector<Byte> old{2, 0, 0, 0};
  old.insert(old.end(), cond1.begin(), cond1.end());
  old.insert(old.end(), cond2.begin(), cond2.end());
  ReadTagged(t.C, old);
  EXPECT_EQ(t.C.LoadedVersion(), 1);
  EXPECT_EQ(t.C.Root()->GroupOperator(), fgoAnd);
  EXPECT_EQ(t.C.BuildFilterText(), "(Qty = 1) AND (Qty = 2)");

  // Truncated in the second condition: the first stays, and the change is
  // still announced.
  TOrders u;
  int changes = 0;
  u.C.OnChanged = [&](TObject*) { ++changes; };
  std::vector<Byte> cut(old.begin(), old.end() - 3);
  EXPECT_THROW(ReadTagged(u.C, cut), EReadError);
  EXPECT_EQ(u.C.BuildFilterText(), "(Qty = 1)");
  EXPECT_EQ(changes, 1);

  const std::vector<Byte> damaged[] = {
      {0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 0, 0, 0},                        // group operator 9
      {0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0x7F},            // 2^31 members
      {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 99, 0, 0, 0, 0, 3, 0, 0, 0, 13},   // kind 99
      {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},        // huge display value
      {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 7},     // bad Variant tag
      {0x00, 0x00, 0x00, 0x80},                                        // negative old-form count
  };
  for (const auto& d : damaged) {
    TOrders v;
    try {
      ReadTagged(v.C, d);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error");
    }
  }
  // Lists nested deeper than any real filter are refused.
  std::vector<Byte> deep{0xFF, 0xFF, 0xFF, 0xFF};
  for (int i = 0; i < 5000; ++i) deep.insert(deep.end(), {0, 1, 0, 0, 0, 1});
  TOrders w;
  EXPECT_THROW(ReadTagged(w.C, deep), EReadError);
}

TEST(cxFilterCriteria, StoredConditionsAndCopies) {
  TOrders t;
  EXPECT_FALSE(t.C.HasStoredConditions());
  t.C.Root()->SetGroupOperator(fgoOr);
  EXPECT_TRUE(t.C.HasStoredConditions());
  t.C.AddCondition(nullptr, t.Qty, focGreater, 2, "2");
  t.C.SetOptions({fcoCaseInsensitive, fcoSoftNull});
  t.C.SetUnderscoreWildcard('?');
  int events = 0;
  t.C.OnChanged = [&](TObject*) { ++events; };

  TOrders copy;
  copy.C.Assign(&t.C);
  EXPECT_EQ(copy.C.Options(), (TcxFilterCriteriaOptions{fcoCaseInsensitive, fcoSoftNull}));
  EXPECT_EQ(copy.C.UnderscoreWildcard(), '?');
  EXPECT_EQ(copy.C.BuildFilterText(), "(Qty > 2)");
  EXPECT_EQ(copy.C.Root()->GroupOperator(), fgoOr);
  EXPECT_TRUE(copy.C.EqualsCriteria(&t.C, true));
  // The events are copied last, so the copy's announcement already goes
  // through the copied handler.
  EXPECT_EQ(events, 1);

  copy.C.AddCondition(nullptr, copy.Qty, focLess, 1, "1");
  EXPECT_EQ(events, 2);
  EXPECT_FALSE(copy.C.EqualsCriteria(&t.C, true));
  EXPECT_THROW(copy.C.Assign(nullptr), EConvertError);
}

TEST(cxFilterCriteria, ComponentStreamCarriesTheSettings) {
  TOrders t;
  t.C.SetOptions({fcoIgnoreNull});
  t.C.SetMaxValueListCount(50);
  t.C.SetPercentWildcard('*');
  TMemoryStream s;
  t.C.SaveToComponentStream(&s);
  EXPECT_FALSE(t.C.HasStoredConditions());   // only while saving

  TOrders r;
  int changes = 0;
  r.C.OnChanged = [&](TObject*) { ++changes; };
  s.SetPosition(0);
  r.C.LoadFromComponentStream(&s);
  EXPECT_EQ(r.C.Options(), TcxFilterCriteriaOptions{fcoIgnoreNull});
  EXPECT_EQ(r.C.MaxValueListCount(), 50);
  EXPECT_EQ(r.C.PercentWildcard(), '*');
  EXPECT_EQ(r.C.UnderscoreWildcard(), '_');
  EXPECT_EQ(changes, 1);
}

TEST(cxFilterValueList, EntriesStaySortedAndLimited) {
  TOrders t;
  std::unique_ptr<TcxFilterValueList> list(t.C.CreateValueList());
  list->AddEntry(fvkValue, 3, "3");
  list->AddEntry(fvkValue, 1, "1");
  list->AddEntry(fvkValue, 2, "2");
  list->AddEntry(fvkValue, 2, "2");   // already there
  list->AddEntry(fvkAll, Variant::Null(), "(All)");
  list->AddEntry(fvkCustom, Variant::Null(), "(Custom...)");
  list->AddEntry(fvkBlanks, Variant::Null(), "(Blanks)");
  ASSERT_EQ(list->EntryCount(), 6);
  const TcxFilterValueKind kinds[] = {fvkAll, fvkCustom, fvkBlanks, fvkValue, fvkValue, fvkValue};
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(list->EntryAt(i).Kind, kinds[i]);
  EXPECT_EQ(list->FirstValueIndex(), 3);
  EXPECT_EQ(list->EntryAt(3).Value.AsInteger(), 1);
  EXPECT_EQ(list->EntryAt(5).Value.AsInteger(), 3);
  Integer index;
  EXPECT_FALSE(list->FindEntry(Variant(5), "5", index));
  EXPECT_EQ(index, 6);

  EXPECT_EQ(list->EntryIndexForItem(nullptr), 0);
  TcxFilterCriteriaItem* eq = t.C.AddCondition(nullptr, t.Qty, focEqual, 2, "2");
  EXPECT_EQ(list->EntryIndexForItem(eq), 4);
  eq->SetOperand(Variant::Null());
  EXPECT_EQ(list->EntryIndexForItem(eq), 2);
  eq->SetOperatorKind(focNotEqual);
  EXPECT_EQ(list->EntryIndexForItem(eq), -1);   // no "(Non blanks)" entry
  eq->SetOperatorKind(focGreater);
  EXPECT_EQ(list->EntryIndexForItem(eq), 1);

  // A list limited to 3 entries that holds (All), (Custom...) and a value
  // takes no further value.
  t.C.SetMaxValueListCount(3);
  std::unique_ptr<TcxFilterValueList> small(t.C.CreateValueList());
  small->AddEntry(fvkAll, Variant::Null(), "(All)");
  small->AddEntry(fvkCustom, Variant::Null(), "(Custom...)");
  small->AddEntry(fvkValue, 1, "1");
  small->AddEntry(fvkValue, 0, "0");
  EXPECT_EQ(small->EntryCount(), 3);
  small->AddEntry(fvkValue, 0, "0", true);   // appended unchecked
  EXPECT_EQ(small->EntryCount(), 4);
}
