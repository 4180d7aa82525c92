#include "DBTestUtil.h"
#include "DBUtil.h"
#include "DateUtils.h"
#include "gtest.h"

namespace {

std::vector<int> VisibleIds(TDataSet& ds) {
  std::vector<int> out;
  ds.First();
  while (!ds.Eof()) {
    out.push_back(ds.FieldByName("ID")->AsInteger());
    ds.Next();
  }
  return out;
}

std::unique_ptr<TMemDataSet> Sample() {
  auto ds = MakePeople({{1, "O'Brien", 10}, {2, "王五", 25.5}, {3, "李四", 7}, {4, nullptr, 100},
                        {5, "alice", 25.5}, {6, "Bob", 0}});
  ds->First();
  ds->Edit();
  ds->FieldByName("Born")->SetAsDateTime(EncodeDate(2024, 1, 5));
  ds->FieldByName("Active")->SetAsBoolean(true);
  ds->Post();
  return ds;
}

struct FilterCase {
  const char* Filter;
  std::vector<int> Ids;
};

TEST(DataSetFilter, ExpressionsTheGridFilterBuilderWrites) {
  auto ds = Sample();
  std::vector<FilterCase> cases = {
      {"[ID] = 3", {3}},
      {"[ID] = '3'", {3}},                        // quoted value takes the field's type
      {" [Price] >= 25.5", {2, 4, 5}},
      {"[Price] < 10 AND [ID] > 1", {3, 6}},
      {"([ID] = 1 OR [ID] = 2) AND [Price] > 20", {2}},
      {"[Name] Like 'B*'", {6}},
      {"[Name] Like 'b*'", {}},                   // case matters without foCaseInsensitive
      {"[Name] Like '%o%'", {6}},
      {"[Name] Like '?ob'", {6}},
      {"[Name] Not Like 'B*'", {1, 2, 3, 5}},     // null is neither
      {"[Name] = 'O''Brien'", {1}},               // doubled quote inside the value
      {"[Name] IS NULL", {4}},
      {"[Name] IS NOT NULL AND [Price] = 25.5", {2, 5}},
      {"[Name] <> 'Bob'", {1, 2, 3, 5}},
      {"[Born] = '2024-01-05'", {1}},
      {"[Born] >= #01/05/2024#", {1}},
      {"[Active] = True", {1}},
      {"NOT ([ID] > 2)", {1, 2}},
      {"Name = '李四'", {3}},
      {"", {1, 2, 3, 4, 5, 6}},
  };
  ds->SetFiltered(true);
  for (auto& c : cases) {
    SCOPED_TRACE(c.Filter);
    ds->SetFilter(c.Filter);
    EXPECT_EQ(VisibleIds(*ds), c.Ids);
    EXPECT_EQ(ds->RecordCount(), Integer(c.Ids.size()));
  }
  ds->SetFilter("[Name] = 'bob'");
  EXPECT_TRUE(VisibleIds(*ds).empty());
  ds->SetFilterOptions(TFilterOptions{foCaseInsensitive});
  EXPECT_EQ(VisibleIds(*ds), std::vector<int>{6});
}

// A field name holding "]" is written with it doubled inside the brackets.
TEST(DataSetFilter, DoubledClosingBracketInAFieldName) {
  TMemDataSet ds;
  ds.FieldDefs().Add("ID", ftInteger);
  ds.FieldDefs().Add("a]b", ftInteger);
  ds.CreateDataSet();
  for (int i = 1; i <= 3; ++i) {
    ds.Append();
    ds.FieldByName("ID")->SetAsInteger(i);
    ds.FieldByName("a]b")->SetAsInteger(i * 10);
    ds.Post();
  }
  ds.SetFilter("[a]]b] = 20");
  ds.SetFiltered(true);
  EXPECT_EQ(VisibleIds(ds), std::vector<int>{2});
  EXPECT_THROW(ds.SetFilter("[a]]b = 20"), EDatabaseError);   // no closing bracket
  EXPECT_THROW(ds.SetFilter("[a]b] = 20"), EDatabaseError);   // a single "]" ends the name
  EXPECT_EQ(VisibleIds(ds), std::vector<int>{2});
}

TEST(DataSetFilter, TrailingStarIsAPrefixUnlessNoPartialCompare) {
  auto ds = MakePeople({{1, "Bob", 0}, {2, "Bo*", 0}, {3, "bob", 0}, {4, nullptr, 0}, {5, "Al", 0}});
  ds->SetFiltered(true);
  struct Case {
    const char* Filter;
    TFilterOptions Options;
    std::vector<int> Ids;
  };
  std::vector<Case> cases = {
      {"[Name] = 'Bo*'", {}, {1, 2}},
      {"'Bo*' = [Name]", {}, {1, 2}},
      {"[Name] <> 'Bo*'", {}, {3, 5}},                 // null is neither
      {"[Name] = 'bo*'", TFilterOptions{foCaseInsensitive}, {1, 2, 3}},
      {"[Name] = '*'", {}, {1, 2, 3, 5}},
      {"[Name] = 'Bo*'", TFilterOptions{foNoPartialCompare}, {2}},   // the star is literal
      {"[Name] = 'bo*'", TFilterOptions{foNoPartialCompare, foCaseInsensitive}, {2}},
      {"[Name] > 'Bo*'", {}, {1, 3}},                  // only = and <> compare partly
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Filter);
    ds->SetFilterOptions(c.Options);
    ds->SetFilter(c.Filter);
    EXPECT_EQ(VisibleIds(*ds), c.Ids);
  }
}

TEST(DataSetFilter, MalformedTextsAreRejectedWithoutChangingTheFilter) {
  auto ds = Sample();
  ds->SetFilter("[ID] = 1");
  ds->SetFiltered(true);
  for (const char* bad : {"[ID] =", "[Name] = 'open", "([ID] = 1", "[ID] 1", "[Name] IS 3"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ds->SetFilter(bad), EDatabaseError);
    EXPECT_EQ(ds->Filter(), "[ID] = 1");
    EXPECT_EQ(VisibleIds(*ds), std::vector<int>{1});
  }
  // A value that cannot be a value of the field, or an unknown field.
  EXPECT_THROW(ds->SetFilter("[ID] = 'abc'"), EDatabaseError);
  EXPECT_THROW(ds->SetFilter("[Nope] = 1"), EDatabaseError);
  EXPECT_EQ(VisibleIds(*ds), std::vector<int>{1});
}

TEST(DataSetFilter, HostileTextsEndInAClearError) {
  auto ds = Sample();
  ds->SetFilter("[ID] = 1");
  ds->SetFiltered(true);
  auto repeat = [](const String& part, int n) {
    String out;
    for (int i = 0; i < n; ++i) out += part;
    return out;
  };
  for (const String& bad : {repeat("(", 3000) + "[ID] = 1" + repeat(")", 3000), repeat("NOT ", 10000) + "[ID] = 1",
                            repeat("(NOT ", 150) + "[ID] = 1" + repeat(")", 150)}) {
    try {
      ds->SetFilter(bad);
      FAIL() << "accepted";
    } catch (EDatabaseError& e) {
      EXPECT_EQ(e.Message().rfind("Filter expression incorrectly formed", 0), 0u) << e.Message();
      EXPECT_LT(e.Message().size(), 400u);   // the text is quoted, not all of it
    }
    EXPECT_EQ(ds->Filter(), "[ID] = 1");
  }
  // Nesting a person might write is fine.
  ds->SetFilter(repeat("(", 100) + "NOT [ID] > 2" + repeat(")", 100));
  EXPECT_EQ(VisibleIds(*ds), (std::vector<int>{1, 2}));
  // Long chains are evaluated without recursing once per term.
  ds->SetFilter(repeat("[ID] = 1 OR ", 30000) + "[ID] = 5");
  EXPECT_EQ(VisibleIds(*ds), (std::vector<int>{1, 5}));
  ds->SetFilter(repeat("[ID] > 1 AND ", 30000) + "[ID] < 4");
  EXPECT_EQ(VisibleIds(*ds), (std::vector<int>{2, 3}));
  ds->SetFilter("[ID] = 1 AND [Price] > 5 OR [ID] = 3 AND [Price] < 10 OR [Name] = 'Bob'");
  EXPECT_EQ(VisibleIds(*ds), (std::vector<int>{1, 3, 6}));
}

TEST(DataSetFilter, ValueOutOfTheFieldsRangeNamesFieldAndFilter) {
  auto ds = Sample();
  ds->SetFilter("[ID] = 1");
  ds->SetFiltered(true);
  struct Case {
    const char* Filter;
    const char* Field;
  };
  for (Case bad : {Case{"[Price] >= 1e15", "'Price'"}, Case{"[ID] = 1e300", "'ID'"},
                   Case{"[Price] < -1e300 OR [ID] = 2", "'Price'"}}) {
    SCOPED_TRACE(bad.Filter);
    try {
      ds->SetFilter(bad.Filter);
      FAIL() << "accepted";
    } catch (EDatabaseError& e) {
      EXPECT_NE(e.Message().find(bad.Filter), String::npos) << e.Message();
      EXPECT_NE(e.Message().find(bad.Field), String::npos) << e.Message();
    }
    EXPECT_EQ(VisibleIds(*ds), std::vector<int>{1});
  }
  ds->SetFilter("[Price] < 1e14");
  EXPECT_EQ(VisibleIds(*ds).size(), 6u);
}

TEST(LikePatterns, WholeCharactersAndWildcards) {
  struct Case {
    const char* Text;
    const char* Pattern;
    bool IgnoreCase;
    bool Match;
  };
  for (const Case& c : std::vector<Case>{
           {"*b", "*", false, true},          // a star in the pattern is always a wildcard
           {"a?c", "a?c", false, true},
           {"李四", "?四", false, true},
           {"李四", "李_", false, true},
           {"李四x", "李_", false, false},
           {"王小二", "王%", false, true},
           {"abc", "a%c", false, true},
           {"abc", "a?", false, false},
           {"", "*", false, true},
           {"", "?", false, false},
           {"ab", "*?*?*", false, true},
           {"a", "*?*?*", false, false},
           {"mississippi", "*sip*", false, true},
           {"Bob", "b*", false, false},
           {"Bob", "b*", true, true},
           {"abc", "ABC", true, true},
       }) {
    SCOPED_TRACE(std::string(c.Text) + " like " + c.Pattern);
    EXPECT_EQ(LikeMatch(c.Text, c.Pattern, c.IgnoreCase), c.Match);
  }
}

TEST(DataSetFilter, OnFilterRecordReadsTheTestedRecord) {
  auto ds = Sample();
  ds->SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("ID")->AsInteger() % 2 == 0; });
  ds->SetFiltered(true);
  EXPECT_EQ(VisibleIds(*ds), (std::vector<int>{2, 4, 6}));
  ds->SetFilter("[ID] > 2");
  EXPECT_EQ(VisibleIds(*ds), (std::vector<int>{4, 6}));
}

struct SortCase {
  const char* Sort;
  std::vector<int> Ids;
};

TEST(DataSetSort, StableNullsFirstCollatedText) {
  auto ds = Sample();
  std::vector<SortCase> cases = {
      {"[Price]", {6, 3, 1, 2, 5, 4}},
      {"[Price] DESC", {4, 2, 5, 1, 3, 6}},         // stable among equal prices
      {"[Price] DESC, [ID] DESC", {4, 5, 2, 1, 3, 6}},
      {"[Name]", {4, 5, 6, 1, 3, 2}},               // null first; 李 before 王
      {"Name DESC", {2, 3, 1, 6, 5, 4}},
      {"[Born], [ID]", {2, 3, 4, 5, 6, 1}},
      {"", {1, 2, 3, 4, 5, 6}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Sort);
    ds->SetSort(c.Sort);
    EXPECT_EQ(VisibleIds(*ds), c.Ids);
  }
  EXPECT_THROW(ds->SetSort("[Nope]"), EDatabaseError);
  EXPECT_THROW(ds->SetSort("[ID] SIDEWAYS"), EDatabaseError);
}

TEST(DataSetSort, CurrentRecordStaysCurrentWhenOrderChanges) {
  auto ds = Sample();
  ds->Locate("ID", Variant(3), {});
  ds->SetSort("[Name] DESC");
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  EXPECT_EQ(ds->RecNo(), 2);
  ds->SetFilter("[ID] <> 3");
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecNo(), 1);   // gone: the first record becomes current
}

// ---------------------------------------------------------------------------
// Field texts and conversions.

TEST(FieldText, MoneyFormatsAndConversions) {
  auto ds = Sample();
  auto* price = ds->FieldByName("Price");
  ASSERT_TRUE(price->Is<TBCDField>());
  static_cast<TBCDField*>(price)->SetDisplayFormat("\xEF\xBF\xA5#.00");
  static_cast<TBCDField*>(price)->SetEditFormat("#.#");
  ds->Edit();
  price->SetAsFloat(0.5);
  EXPECT_EQ(price->DisplayText(), "\xEF\xBF\xA5.50");
  EXPECT_EQ(price->Text(), ".5");
  price->SetAsString("12.34567");
  EXPECT_EQ(price->AsCurrency().Raw(), 123457);   // four decimals, half to even
  price->SetText("");
  EXPECT_TRUE(price->IsNull());
  EXPECT_EQ(price->DisplayText(), "");
  EXPECT_THROW(price->SetAsString("abc"), EConvertError);
  auto* id = ds->FieldByName("ID");
  id->SetAsString("42");
  EXPECT_EQ(id->AsInteger(), 42);
  EXPECT_EQ(id->AsString(), "42");
  EXPECT_THROW(id->SetAsString("4x"), EConvertError);
  EXPECT_THROW(id->SetAsFloat(1e12), EDatabaseError);   // out of range
  EXPECT_THROW(id->AsDateTime(), EDatabaseError);       // no such access
  auto* active = ds->FieldByName("Active");
  active->SetAsString("f");
  EXPECT_FALSE(active->AsBoolean());
  EXPECT_EQ(active->AsString(), "False");
  static_cast<TBooleanField*>(active)->SetDisplayValues("\xE6\x98\xAF;\xE5\x90\xA6");   // 是;否
  active->SetAsString("\xE6\x98\xAF");
  EXPECT_TRUE(active->AsBoolean());
  EXPECT_THROW(active->SetAsString("maybe"), EDatabaseError);
  auto* born = ds->FieldByName("Born");
  born->SetAsString("2024-03-01");
  EXPECT_EQ(born->AsDateTime(), EncodeDate(2024, 3, 1));
  static_cast<TDateTimeField*>(born)->SetDisplayFormat("dd.mm.yyyy");
  EXPECT_EQ(born->DisplayText(), "01.03.2024");
  EXPECT_EQ(born->Text(), "2024-03-01");
  ds->Cancel();
}

TEST(FieldText, EventsValidateChangeGetAndSetText) {
  auto ds = Sample();
  auto* name = ds->FieldByName("Name");
  std::vector<std::string> log;
  name->OnValidate = [&](TField* f) {
    log.push_back("validate " + f->AsString());
    if (f->AsString() == "bad") throw EDatabaseError("rejected");
  };
  name->OnChange = [&](TField* f) { log.push_back("change " + f->AsString()); };
  name->OnGetText = [](TField* f, String& text, bool display) { text = (display ? "<" : "[") + f->AsString(); };
  name->OnSetText = [](TField* f, const String& text) { f->SetAsString(text + "!"); };
  ds->Edit();
  name->SetText("ok");
  EXPECT_THROW(name->SetAsString("bad"), EDatabaseError);
  EXPECT_EQ(name->AsString(), "ok!");   // the rejected value was not stored
  EXPECT_EQ(name->DisplayText(), "<ok!");
  EXPECT_EQ(name->Text(), "[ok!");
  EXPECT_EQ(log, (std::vector<std::string>{"validate ok!", "change ok!", "validate bad"}));
  name->SetReadOnly(true);
  EXPECT_THROW(name->SetAsString("x"), EDatabaseError);
  ds->Cancel();
}

TEST(FieldText, ValidCharactersByType) {
  auto ds = Sample();
  EXPECT_TRUE(ds->FieldByName("ID")->IsValidChar('7'));
  EXPECT_FALSE(ds->FieldByName("ID")->IsValidChar('.'));
  EXPECT_TRUE(ds->FieldByName("Price")->IsValidChar('.'));
  EXPECT_FALSE(ds->FieldByName("Price")->IsValidChar('x'));
  EXPECT_TRUE(ds->FieldByName("Name")->IsValidChar(U'中'));
}

// Float and BCD fields keep to their range once one is given; both bounds 0
// allow any value.
TEST(FieldText, FloatAndBcdRanges) {
  TMemDataSet ds;
  ds.FieldDefs().Add("F", ftFloat);
  ds.FieldDefs().Add("B", ftBCD);
  ds.CreateDataSet();
  auto* f = static_cast<TFloatField*>(ds.FieldByName("F"));
  auto* b = static_cast<TBCDField*>(ds.FieldByName("B"));
  ds.Append();
  f->SetAsFloat(-1e9);
  b->SetAsFloat(1e9);
  f->SetMinValue(0.5);
  f->SetMaxValue(2.5);
  b->SetMinValue(::Currency(1));
  b->SetMaxValue(::Currency(9.99));
  EXPECT_THROW(f->SetAsFloat(2.6), EDatabaseError);
  EXPECT_THROW(f->SetAsString("0.4"), EDatabaseError);
  EXPECT_THROW(b->SetAsCurrency(::Currency(10)), EDatabaseError);
  EXPECT_THROW(b->SetAsVariant(Variant(0.5)), EDatabaseError);
  EXPECT_DOUBLE_EQ(f->AsFloat(), -1e9);   // a refused value leaves the old one
  f->SetAsFloat(2.5);
  b->SetAsString("9.99");
  EXPECT_DOUBLE_EQ(f->AsFloat(), 2.5);
  EXPECT_DOUBLE_EQ(b->AsFloat(), 9.99);
  ds.Post();
}

TEST(FieldText, BlobValuesKeepEveryByte) {
  TMemDataSet ds;
  ds.FieldDefs().Add("Pic", ftBlob);
  ds.FieldDefs().Add("Memo", ftWideMemo);
  ds.CreateDataSet();
  String bytes("\x00\x01\xFF\xD8 jpeg \x00", 10);
  ds.Append();
  static_cast<TBlobField*>(ds.FieldByName("Pic"))->SetAsBytes(bytes);
  ds.FieldByName("Memo")->SetAsString("备注");
  ds.Post();
  EXPECT_EQ(ds.FieldByName("Pic")->AsString(), bytes);
  EXPECT_EQ(static_cast<TBlobField*>(ds.FieldByName("Pic"))->BlobSize(), 10);
  EXPECT_EQ(ds.FieldByName("Pic")->DisplayText(), "(BLOB)");
  EXPECT_EQ(ds.FieldByName("Memo")->DisplayText(), "(MEMO)");
  EXPECT_EQ(ds.FieldByName("Memo")->Text(), "备注");
}

TEST(Params, MarkersOutsideQuotesAndComments) {
  TParsedSQL p = ParseSQLParams(
      "select * from T where a = :id and b = ':x' and c = :名称 -- :no\n and d = :id and e::text and [x:y] = 1");
  EXPECT_EQ(p.Names, (std::vector<String>{"id", "名称", "id"}));
  EXPECT_EQ(p.Text, "select * from T where a = ? and b = ':x' and c = ? -- :no\n and d = ? and e:text and [x:y] = 1");
  // The time of a date literal is no marker; a lone "#" starts no literal.
  p = ParseSQLParams("select * from T where d < #2024-02-29 13:00:00# and e = :e and f = '#' and g = :g");
  EXPECT_EQ(p.Names, (std::vector<String>{"e", "g"}));
  EXPECT_EQ(p.Text, "select * from T where d < #2024-02-29 13:00:00# and e = ? and f = '#' and g = ?");
  TParams params;
  params.ParseSQL("select :A, :b, :a");
  EXPECT_EQ(params.Count(), 2);
  params.ParamByName("a")->SetAsInteger(5);
  params.ParseSQL("select :a, :c");
  EXPECT_EQ(params.ParamByName("A")->AsInteger(), 5);   // values kept
  EXPECT_THROW(params.ParamByName("b"), EDatabaseError);
}

}  // namespace
