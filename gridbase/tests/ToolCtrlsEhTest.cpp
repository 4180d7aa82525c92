// The shared tool pieces: Variant equality, cell texts, the special row,
// the bookmark list, the field-value list and the field-list routines.
#include <memory>
#include "MemDataSet.h"
#include "ToolCtrlsEh.h"
#include "gtest.h"

namespace {

Variant Arr(Integer lo, std::vector<Variant> items) {
  Variant v = VarArrayCreate({lo, lo + Integer(items.size()) - 1}, varVariant);
  for (size_t i = 0; i < items.size(); ++i) v.PutElement(lo + Integer(i), items[i]);
  return v;
}

TEST(ToolCtrlsEh, VariantsEqualTable) {
  struct {
    Variant A, B;
    bool Equal;
    const char* Name;
  } cases[] = {
      {Null(), Null(), true, "null, null"},
      {Unassigned(), Null(), false, "empty, null"},
      {Unassigned(), Unassigned(), true, "empty, empty"},
      {Variant(1), Variant(1.0), true, "1, 1.0"},
      {Variant("abc"), Variant(1), false, "text, number"},
      {Arr(0, {1, 2}), Arr(0, {1, 2}), true, "same arrays"},
      {Arr(0, {1, 2}), Arr(1, {1, 2}), false, "other bounds"},
      {Arr(0, {1, 2}), Arr(0, {1, 3}), false, "other element"},
      {Arr(0, {1}), Variant(1), false, "array, scalar"},
  };
  for (const auto& c : cases) EXPECT_EQ(VariantsEqualEh(c.A, c.B), c.Equal) << c.Name;
}

TEST(ToolCtrlsEh, SplitCellsText) {
  TStringList s;
  struct {
    const char* Text;
    std::vector<String> Cells;
  } cases[] = {
      {"甲;乙", {"甲", "乙"}},
      {"a; b", {"a", " b"}},
      {"\x01\x02x", {"x"}},
      {"\"c;d\";e", {"c;d", "e"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"a\tb", {"a", "b"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SplitCellsTextEh(&s, c.Text);
    std::vector<String> got;
    for (Integer i = 0; i < s.Count(); ++i) got.push_back(s.Strings(i));
    EXPECT_EQ(got, c.Cells) << c.Text;
  }
}

TEST(ToolCtrlsEh, SpecialRow) {
  TCustomControl owner;
  owner.SetColor(clYellow);
  TSpecRowEh row(&owner);
  int changes = 0;
  row.OnChanged = [&](TObject*) { ++changes; };
  EXPECT_EQ(row.Color(), clYellow);
  EXPECT_FALSE(IsStoredProp(&row, GetPropInfo(&row, "Color")));
  EXPECT_FALSE(IsStoredProp(&row, GetPropInfo(&row, "Value")));
  owner.SetColor(clAqua);
  EXPECT_EQ(row.Color(), clAqua);
  row.SetColor(clRed);
  owner.SetColor(clLime);
  EXPECT_EQ(row.Color(), clRed);
  EXPECT_TRUE(IsStoredProp(&row, GetPropInfo(&row, "Color")));
  EXPECT_EQ(changes, 1);
  row.BeginUpdate();
  row.SetCellsText("无;空");
  row.SetVisible(true);
  row.SetValue(Variant(0));
  EXPECT_EQ(changes, 1);
  row.EndUpdate();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(row.CellTextAt(1), "空");
  EXPECT_EQ(row.CellTextAt(-1), "");
  EXPECT_EQ(row.CellTextAt(2), "");
  EXPECT_TRUE(row.MatchesKeyValue(Variant(0.0)));
  EXPECT_FALSE(row.MatchesKeyValue(Null()));
  EXPECT_EQ(row.ShortCut(), TShortCut(scAlt | VK_DELETE));
  // The font follows the owner's until it is set.
  owner.Font()->SetSize(14);
  EXPECT_EQ(row.Font()->Size(), 14);
  EXPECT_FALSE(row.FontAssigned());
  TSpecRowEh copy(nullptr);
  copy.Assign(&row);
  EXPECT_EQ(copy.CellsText(), "无;空");
  EXPECT_EQ(copy.Color(), clRed);
  EXPECT_TRUE(copy.Visible());
  EXPECT_FALSE(copy.FontAssigned());
}

// ---------------------------------------------------------------------------

std::unique_ptr<TMemDataSet> MakeNames(const std::vector<const char*>& names) {
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("Names");
  ds->FieldDefs().Add("ID", ftInteger);
  ds->FieldDefs().Add("Name", ftString, 20);
  ds->CreateDataSet();
  int id = 0;
  for (const char* n : names) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(++id);
    if (n) ds->FieldByName("Name")->SetAsString(n);
    ds->Post();
  }
  ds->First();
  return ds;
}

struct TTestBMList : TBMListEh {
  TDataSet* DS = nullptr;
  int Selections = 0;
  TDataSet* GetDataSet() override { return DS; }
  void SelectionChanged() override { ++Selections; }
};

TEST(ToolCtrlsEh, BookmarkList) {
  auto ds = MakeNames({"a", "b", "c", "d"});
  TTestBMList list;
  list.DS = ds.get();
  EXPECT_THROW(list.SetCurrentRowSelected(true), Exception);
  list.SetLinkActive(true);
  ds->SetRecNo(3);
  list.SetCurrentRowSelected(true);
  list.SetCurrentRowSelected(true);
  ds->SetRecNo(1);
  list.SetCurrentRowSelected(true);
  ds->SetRecNo(2);
  list.SetCurrentRowSelected(false);   // not selected: nothing changes
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.CompareBookmarks(list.Items(0), list.Items(1)), -1);   // kept in dataset order
  ds->SetRecNo(4);
  Integer index = -1;
  EXPECT_FALSE(list.FindBookmark(ds->GetBookmark(), index));
  EXPECT_EQ(index, 2);
  ds->SetRecNo(3);
  EXPECT_TRUE(list.CurrentRowSelected());
  list.DeleteMarkedRecords();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(ds->RecordCount(), 2);
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "b");
}

TEST(ToolCtrlsEh, FieldValueList) {
  auto ds = MakeNames({"B", "A", nullptr, "B"});
  TDatasetFieldValueListEh values;
  values.SetFieldName("Name");
  EXPECT_EQ(values.GetValues()->Count(), 0);   // no dataset yet
  EXPECT_TRUE(values.DataObsolete());
  values.SetDataSet(ds.get());
  ds->SetRecNo(2);
  TStrings* v = values.GetValues();
  ASSERT_EQ(v->Count(), 3);
  EXPECT_EQ(v->Strings(0), "");
  EXPECT_EQ(v->Strings(1), "A");
  EXPECT_EQ(v->Strings(2), "B");
  EXPECT_FALSE(values.DataObsolete());
  EXPECT_EQ(ds->RecNo(), 2);   // the scan puts the dataset back on its record
  ds->Append();
  ds->FieldByName("Name")->SetAsString("C");
  ds->Post();
  EXPECT_EQ(values.GetValues()->Count(), 4);
}

TEST(ToolCtrlsEh, FieldLists) {
  auto ds = MakeNames({"x"});
  TFieldsArrEh fields;
  GetFieldsArrayEh(ds.get(), ds.get(), "Name; ID", fields);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0]->FieldName(), "Name");
  std::vector<TField*> list;
  try {
    CollectFieldsEh(&list, ds.get(), ds.get(), "ID;Nope;Name");
    ADD_FAILURE();
  } catch (EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Names: Field 'Nope' not found");
  }
  EXPECT_EQ(list.size(), 1u);
  ds->Edit();
  SetDataSetFieldValuesEh(ds.get(), "ID;Name", Null());
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
  SetDataSetFieldValuesEh(ds.get(), "Name", Variant("y"));
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "y");
  ds->Cancel();
}

}  // namespace
