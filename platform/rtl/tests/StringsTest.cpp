#include "Strings.h"
#include "Streams.h"
#include "gtest.h"

namespace {

std::vector<String> Lines(const TStrings& s) {
  std::vector<String> v;
  for (Integer i = 0; i < s.Count(); ++i) v.push_back(s[i]);
  return v;
}

using V = std::vector<String>;

}  // namespace

TEST(TStringList, SortedAddHonoursDuplicates) {
  struct Case {
    TDuplicates dup;
    V expected;
    Integer secondBIndex;
  };
  for (const Case& c : {Case{dupIgnore, {"a", "b", "c"}, 1}, Case{dupAccept, {"a", "B", "b", "c"}, 1}}) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.dup);
    EXPECT_EQ(list.Add("c"), 0);
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add("b"), 1);
    EXPECT_EQ(list.Add("B"), c.secondBIndex) << c.dup;  // equal ignoring case
    EXPECT_EQ(Lines(list), c.expected) << c.dup;
  }
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  list.Add("x");
  try {
    list.Add("X");
    ADD_FAILURE() << "duplicate accepted";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  EXPECT_EQ(list.Count(), 1);
}

TEST(TStringList, FindAnswersPositionOrInsertionPoint) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "apple", "fig", "kiwi"}) list.Add(s);
  Integer index = -1;
  EXPECT_TRUE(list.Find("KIWI", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("grape", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("zucchini", index));
  EXPECT_EQ(index, 4);
  EXPECT_EQ(list.IndexOf("Fig"), 1);
  EXPECT_EQ(list.IndexOf("grape"), -1);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("Fig"), -1);
  EXPECT_EQ(list.IndexOf("fig"), 1);
}

TEST(TStringList, SortedListRefusesPositionalEdits) {
  TStringList list;
  list.Add("b");
  list.Add("a");
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (V{"a", "b"}));
  EXPECT_THROW(list.Insert(0, "c"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, "z"), EStringListError);
  EXPECT_EQ(Lines(list), (V{"a", "b"}));
  // An unknown name is still added in order through Values.
  list.SetValues("0", "x");
  EXPECT_EQ(Lines(list), (V{"0=x", "a", "b"}));
}

TEST(TStringList, IndexErrorsNameTheIndex) {
  TStringList list;
  list.Add("a");
  struct Case {
    std::function<void()> op;
    const char* message;
  };
  for (const Case& c : {Case{[&] { list.Strings(1); }, "List index out of bounds (1)"},
                        Case{[&] { list.Delete(-1); }, "List index out of bounds (-1)"},
                        Case{[&] { list.Objects(3); }, "List index out of bounds (3)"},
                        Case{[&] { list.Insert(2, "x"); }, "List index out of bounds (2)"},
                        Case{[&] { list.Exchange(0, 1); }, "List index out of bounds (1)"}}) {
    try {
      c.op();
      ADD_FAILURE() << c.message;
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(TStringList, NamesAndValues) {
  TStringList list;
  list.SetText("Host=localhost\nPort=8080\nflag\n=empty name\nPath=a=b\n");
  EXPECT_EQ(list.Names(0), "Host");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.Values("host"), "localhost");   // names ignore case
  EXPECT_EQ(list.Values("Path"), "a=b");         // the first separator splits
  EXPECT_EQ(list.Values("flag"), "");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.ValueFromIndex(2), "");         // no separator: no value
  EXPECT_EQ(list.ValueFromIndex(4), "a=b");
  EXPECT_EQ(list.IndexOfName("PORT"), 1);

  list.SetValues("Port", "9090");                // replaces in place
  list.SetValues("User", "张三");                 // appends
  list.SetValues("Host", "");                    // deletes
  EXPECT_EQ(Lines(list), (V{"Port=9090", "flag", "=empty name", "Path=a=b", "User=张三"}));
  list.SetValueFromIndex(0, "1");
  EXPECT_EQ(list[0], "Port=1");

  list.SetNameValueSeparator(':');
  list.Clear();
  list.Add("名称:值");
  EXPECT_EQ(list.Values("名称"), "值");
}

TEST(TStrings, CommaTextQuotesWhatNeedsIt) {
  struct Case {
    V items;
    String text;
  };
  for (const Case& c : {Case{{}, ""},
                        Case{{""}, "\"\""},
                        Case{{"a", "b"}, "a,b"},
                        Case{{"a b", "c"}, "\"a b\",c"},
                        Case{{"x,y", "say \"hi\""}, "\"x,y\",\"say \"\"hi\"\"\""},
                        Case{{"a", "", "b"}, "a,,b"},
                        Case{{"a", ""}, "a,"},
                        Case{{"甲 乙", "丙"}, "\"甲 乙\",丙"},
                        Case{{"tab\there"}, "\"tab\there\""}}) {
    TStringList list;
    for (auto& s : c.items) list.Add(s);
    EXPECT_EQ(list.CommaText(), c.text);
    TStringList back;
    back.SetCommaText(c.text);
    EXPECT_EQ(Lines(back), c.items) << c.text;
  }
}

TEST(TStrings, CommaTextParsingSplitsAtBlanksOutsideQuotes) {
  struct Case {
    String text;
    V items;
  };
  for (const Case& c : {Case{"a b,c", {"a", "b", "c"}},
                        Case{"  a ,  b  ", {"a", "b"}},
                        Case{"\"unterminated, quote", {"unterminated, quote"}},
                        Case{"\"ab\"cd,e", {"ab", "cd", "e"}},
                        Case{",", {"", ""}},
                        Case{"a,,", {"a", "", ""}}}) {
    TStringList list;
    list.SetCommaText(c.text);
    EXPECT_EQ(Lines(list), c.items) << c.text;
  }
}

TEST(TStrings, DelimitedTextUsesDelimiterAndQuoteChar) {
  TStringList list;
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  list.SetDelimitedText("a;'b;c';'it''s'");
  EXPECT_EQ(Lines(list), (V{"a", "b;c", "it's"}));
  EXPECT_EQ(list.DelimitedText(), "a;'b;c';'it''s'");
  EXPECT_EQ(list.CommaText(), "a,b;c,it's");  // CommaText keeps ',' and '"'
}

TEST(TStrings, TextSplitsEveryLineBreakKind) {
  struct Case {
    String text;
    V lines;
  };
  for (const Case& c : {Case{"", {}},
                        Case{"a", {"a"}},
                        Case{"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                        Case{"a\r\n", {"a"}},
                        Case{"\r\n", {""}},
                        Case{"a\n\nb", {"a", "", "b"}},
                        Case{"a\r\r\nb", {"a", "", "b"}}}) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
  TStringList list;
  list.SetText("x\ny");
  EXPECT_EQ(list.Text(), "x\r\ny\r\n");
  list.SetLineBreak("\n");
  EXPECT_EQ(list.Text(), "x\ny\n");
}

TEST(TStrings, StreamsDropByteOrderMark) {
  TStringStream in("\xEF\xBB\xBF第一行\r\nsecond\n");
  TStringList list;
  list.LoadFromStream(&in);
  EXPECT_EQ(Lines(list), (V{"第一行", "second"}));
  TStringStream out;
  list.SaveToStream(&out);
  EXPECT_EQ(out.DataString(), "第一行\r\nsecond\r\n");
}

TEST(TStringList, ChangeEventsFireOncePerUpdateGroup) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changing;
  };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add("a");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changed, 1);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  list.SetCommaText("x,y,z");
  EXPECT_EQ(changed, 3);
  list.EndUpdate();  // unbalanced: ignored
  list.Add("w");
  EXPECT_EQ(changed, 4);
}

TEST(TStringList, AssignCopiesStringsAndObjects) {
  TObject o1, o2;
  TStringList a, b;
  a.AddObject("one", &o1);
  a.AddObject("two", &o2);
  b.Add("old");
  b.Assign(&a);
  EXPECT_TRUE(b.Equals(&a));
  EXPECT_EQ(b.Objects(1), &o2);
  EXPECT_EQ(b.IndexOfObject(&o1), 0);
  b.Move(0, 1);
  EXPECT_EQ(Lines(b), (V{"two", "one"}));
  EXPECT_EQ(b.Objects(1), &o1);
  EXPECT_FALSE(b.Equals(&a));
  try {
    b.Assign(nullptr);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TStringList");
  }
}

TEST(TStringList, CustomSortOrdersAnUnsortedList) {
  TStringList list;
  list.SetCommaText("ccc,a,bb");
  list.CustomSort([](TStringList* l, Integer i, Integer j) {
    return static_cast<int>(l->Strings(i).size()) - static_cast<int>(l->Strings(j).size());
  });
  EXPECT_EQ(Lines(list), (V{"a", "bb", "ccc"}));
}

TEST(TStringList, OwnsObjectsDeletesThem) {
  static int alive = 0;
  struct TCounted : TObject {
    TCounted() { ++alive; }
    ~TCounted() override { --alive; }
  };
  {
    TStringList list(true);
    list.AddObject("a", new TCounted);
    list.AddObject("b", new TCounted);
    list.AddObject("c", new TCounted);
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    list.Clear();
    EXPECT_EQ(alive, 0);
    list.AddObject("d", new TCounted);
  }
  EXPECT_EQ(alive, 0);
}

TEST(TStringList, SortsChineseNamesInPinyinOrder) {
  TStringList list;
  list.SetCommaText("张三,Wang,李四,王五,apple");
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (V{"apple", "Wang", "李四", "王五", "张三"}));
  Integer index;
  EXPECT_TRUE(list.Find("王五", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find("刘", index));  // liu: between li and wang
  EXPECT_EQ(index, 3);
}
