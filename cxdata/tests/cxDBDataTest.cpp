#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ADODB.h"
#include "MemDataSet.h"
#include "Strings.h"
#include "cxDB.h"
#include "cxDBData.h"
#include "cxDBFilter.h"
#include "cxVariants.h"
#include "gtest.h"

namespace {

// A controller with plain items bound to dataset fields by name, as the
// lookup list drives it.
class TTestDBController : public TcxDBDataController {
 public:
  TTestDBController() : TcxDBDataController(nullptr) {}
  ~TTestDBController() override {
    SetDataSource(nullptr);
    Fields()->Clear();
  }
  TObject* GetItem(Integer Index) const override { return FItems.at(size_t(Index)).get(); }
  Integer AddColumn(const String& AFieldName) {
    FItems.push_back(std::make_unique<TObject>());
    AddItem(FItems.back().get());
    const Integer i = GetItemCount() - 1;
    ChangeFieldName(i, AFieldName);
    return i;
  }
  Variant FocusedValue(Integer AItem) {
    const Integer r = GetFocusedRecordIndex();
    return r < 0 ? Variant::Null() : GetValue(r, AItem);
  }

 private:
  std::vector<std::unique_ptr<TObject>> FItems;
};

// Counts the dataset events a control of the dataset would see.
class TCountingLink : public TDataLink {
 public:
  Integer Changes = 0;

 protected:
  void DataSetChanged() override { ++Changes; }
  void DataSetScrolled(Integer) override {}
};

// Products: ID, Name, Price (currency), Born (date), Flag.
std::unique_ptr<TMemDataSet> MakeProducts(Integer ACount = 5) {
  auto ds = std::make_unique<TMemDataSet>();
  ds->FieldDefs().Add("ID", ftInteger);
  ds->FieldDefs().Add("Name", ftString, 20);
  ds->FieldDefs().Add("Price", ftCurrency);
  ds->FieldDefs().Add("Born", ftDate);
  ds->FieldDefs().Add("Flag", ftBoolean);
  ds->CreateDataSet();
  static const char* names[] = {"李", "王", "张", "赵", "钱", "孙", "周"};
  for (Integer i = 1; i <= ACount; ++i)
    ds->AppendRecord({Variant(i), Variant(String(names[(i - 1) % 7]) + std::to_string(i)), Variant(i * 1.5),
                      Variant::FromDate(45000 + i), Variant(i % 2 == 0)});
  ds->First();
  return ds;
}

struct TBound {
  std::unique_ptr<TMemDataSet> DataSet;
  TDataSource Source;
  TTestDBController C;
  explicit TBound(Integer ACount = 5, const String& AKey = "ID") : DataSet(MakeProducts(ACount)) {
    Source.SetDataSet(DataSet.get());
    C.AddColumn("ID");
    C.AddColumn("Name");
    C.AddColumn("Price");
    C.SetKeyFieldNames(AKey);
    C.SetDataSource(&Source);
  }
};

// ---------------------------------------------------------------------------
// Field helpers, adapters, binding

TEST(cxDBFieldHelpers, TextEditingAndFormatsByFieldType) {
  auto ds = MakeProducts(1);
  ds->Close();
  ds->FieldDefs().Add("Memo", ftMemo);
  ds->FieldDefs().Add("Pic", ftBlob);
  ds->FieldDefs().Add("Unit Price", ftFloat);
  ds->Open();
  struct Case {
    const char* Field;
    bool EditText, HasFormat;
  };
  const Case cases[] = {{"Name", true, false}, {"ID", true, false},   {"Price", true, true},
                        {"Flag", true, true},   {"Memo", false, true}, {"Pic", false, true}};
  for (const Case& c : cases) {
    TField* f = ds->FieldByName(c.Field);
    EXPECT_EQ(cxCanEditFieldText(f, false), c.EditText) << c.Field;
    EXPECT_TRUE(cxCanEditFieldText(f, true)) << c.Field;
    EXPECT_EQ(cxFieldHasTextFormat(f, true), c.HasFormat) << c.Field;
  }
  TField* memo = ds->FieldByName("Memo");
  memo->OnSetText = [](TField*, const String&) {};
  EXPECT_TRUE(cxCanEditFieldText(memo, false));
  static_cast<TNumericField*>(ds->FieldByName("ID"))->SetDisplayFormat("0000");
  EXPECT_TRUE(cxFieldHasTextFormat(ds->FieldByName("ID"), false));
  ds->FieldByName("Name")->SetReadOnly(true);
  EXPECT_FALSE(cxCanEditFieldText(ds->FieldByName("Name"), true));
  EXPECT_TRUE(cxIsDefaultCurrencyField(ds->FieldByName("Price")));
  EXPECT_FALSE(cxIsDefaultCurrencyField(ds->FieldByName("Unit Price")));

  // Filter names: identifiers as they are, anything else bracketed, with a
  // "]" in the name doubled so it cannot end the bracket.
  EXPECT_EQ(cxFieldFilterName(ds->FieldByName("Unit Price"), true), "[Unit Price]");
  EXPECT_EQ(cxFieldFilterName(ds->FieldByName("Price"), true), "Price");
  ds->FieldByName("Price")->SetOrigin("P.Price");
  EXPECT_EQ(cxFieldFilterName(ds->FieldByName("Price"), false), "P.Price");
  EXPECT_EQ(cxFieldFilterName(ds->FieldByName("Price"), true), "Price");
  String odd = "a]b";
  cxQuoteFieldName(odd);
  EXPECT_EQ(odd, "[a]]b]");
  String chinese = "单价";
  cxQuoteFieldName(chinese);
  EXPECT_EQ(chinese, "[单价]");

  EXPECT_TRUE(cxGetFieldListValue(ds.get(), {}).IsNull());
  const Variant two = cxGetFieldListValue(ds.get(), ds->GetFieldList("ID;Name"));
  ASSERT_TRUE(two.IsArray());
  EXPECT_EQ(two.HighBound() - two.LowBound() + 1, 2);
  EXPECT_EQ(two.GetElement(0).AsInteger(), 1);
  EXPECT_EQ(cxFieldNameCount("A; B;C"), 3);
  EXPECT_FALSE(cxIsMultiFieldList("A"));
}

class TOtherAdapter : public TcxDBAdapterItem {
  TOVANI_CLASS(TOtherAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
};
TOVANI_IMPLEMENT_CLASS(TOtherAdapter, TcxDBAdapterItem)

TEST(cxDBAdapters, MostSpecificRegistrationWins) {
  TcxDBAdapterList list;
  list.RegisterAdapter(TMemDataSet::StaticClass(), cxDBAdapterItemClass<TOtherAdapter>());
  list.RegisterAdapter(TDataSet::StaticClass(), cxDBAdapterItemClass<TcxDBAdapterItem>());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItem(0)->DataSetClass(), TDataSet::StaticClass());   // ancestors first
  Integer i = -1;
  ASSERT_TRUE(list.FindAdapter(TMemDataSet::StaticClass(), i));
  EXPECT_EQ(list.GetItem(i)->DataSetClass(), TMemDataSet::StaticClass());
  ASSERT_TRUE(list.FindAdapter(TADOQuery::StaticClass(), i));
  EXPECT_EQ(list.GetItem(i)->DataSetClass(), TDataSet::StaticClass());
  list.UnregisterAdapter(TMemDataSet::StaticClass(), TcxDBAdapterItem::StaticClass());   // other item class
  EXPECT_EQ(list.Count(), 2);
  list.UnregisterAdapter(TMemDataSet::StaticClass(), TOtherAdapter::StaticClass());
  EXPECT_EQ(list.Count(), 1);
  TcxDBAdapterList empty;
  EXPECT_FALSE(empty.FindAdapter(TDataSet::StaticClass(), i));
  EXPECT_EQ(i, -1);
}

TEST(cxDBDataBinding, ClearedTextStoresNullForNumbersAndEmptyForText) {
  auto ds = MakeProducts(2);
  TDataSource src;
  src.SetDataSet(ds.get());
  for (const char* name : {"ID", "Name"}) {
    TcxCustomDBDataBinding b(nullptr, nullptr);
    b.SetDataSource(&src);
    b.SetDataField(name);
    ASSERT_TRUE(b.IsDataAvailable());
    EXPECT_EQ(VarToStr(b.GetStoredValue(1, false)), ds->FieldByName(name)->DisplayText());
    b.SetStoredValue(0, Variant(""));
    EXPECT_EQ(ds->State(), dsEdit);
    if (String(name) == "ID")
      EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
    else
      EXPECT_EQ(ds->FieldByName("Name")->AsString(), "");
    ds->Cancel();
  }
  // A lookup field whose key fields can be changed counts as changeable.
  auto lookup = MakeProducts(2);
  lookup->Close();
  TField* lf = CreateFieldForType(ftString);
  lf->SetFieldName("KeyName");
  lf->SetFieldKind(fkLookup);
  lf->SetKeyFields("ID");
  lf->SetLookupDataSet(ds.get());
  lf->SetLookupKeyFields("ID");
  lf->SetLookupResultField("Name");
  for (Integer i = 0; i < lookup->FieldDefs().Count(); ++i) lookup->FieldDefs()[i].CreateField()->SetDataSet(lookup.get());
  lf->SetDataSet(lookup.get());
  lookup->Open();
  EXPECT_TRUE(cxCanModifyLookupField(lf));
  lookup->FieldByName("ID")->SetReadOnly(true);
  EXPECT_FALSE(cxCanModifyLookupField(lf));
}

// ---------------------------------------------------------------------------
// Loading, keys, focus

TEST(cxDBDataController, LoadsRecordsWithTypesFromFields) {
  TBound b(6);
  TTestDBController& c = b.C;
  const Integer born = c.AddColumn("Born");
  const Integer flag = c.AddColumn("Flag");
  const Integer unbound = c.AddColumn("");
  const Integer again = c.AddColumn("name");   // same field, other case
  ASSERT_EQ(c.GetRecordCount(), 6);
  EXPECT_EQ(c.GetItemValueTypeClass(0), TcxIntegerValueType::Class());
  EXPECT_EQ(c.GetItemValueTypeClass(1), TcxStringValueType::Class());
  EXPECT_EQ(c.GetItemValueTypeClass(2), TcxFloatValueType::Class());
  EXPECT_EQ(c.GetItemValueTypeClass(born), TcxDateTimeValueType::Class());
  EXPECT_EQ(c.GetItemValueTypeClass(flag), TcxBooleanValueType::Class());
  EXPECT_EQ(VarToStr(c.GetValue(2, 1)), "张3");
  EXPECT_DOUBLE_EQ(c.GetValue(3, 2).AsDouble(), 6.0);
  EXPECT_EQ(c.GetItemField(1), b.DataSet->FieldByName("Name"));
  EXPECT_EQ(c.GetItemField(unbound), nullptr);
  // A bound item keeps the field's type; an unbound one may change it.
  c.ChangeValueTypeClass(0, TcxStringValueType::Class());
  EXPECT_EQ(c.GetItemValueTypeClass(0), TcxIntegerValueType::Class());
  // Two items of one field share their values.
  EXPECT_EQ(VarToStr(c.GetValue(4, again)), "钱5");
  // The currency field shows as currency: summaries treat it so.
  EXPECT_TRUE(static_cast<TcxDBDataField*>(c.FieldOfItemIndex(2))->IsCurrency());
}

TEST(cxDBDataController, CompositeKeyReadsAsArrayAndKeyLookupIsHashed) {
  TBound b(50, "ID;Name");
  TTestDBController& c = b.C;
  ASSERT_NE(c.KeyField(), nullptr);
  EXPECT_EQ(c.KeyField()->FieldCount(), 2);
  const Variant id = c.GetRecordId(7);
  ASSERT_TRUE(id.IsArray());
  EXPECT_EQ(id.GetElement(0).AsInteger(), 8);
  EXPECT_EQ(VarToStr(id.GetElement(1)), "李8");
  EXPECT_EQ(c.FindRecordIndexByKey(id), 7);
  EXPECT_EQ(c.FindRecordIndexByKey(VarArrayOf({Variant(8), Variant("nope")})), -1);
  EXPECT_EQ(c.FindRecordIndexByKey(Variant(8)), -1);   // wrong shape

  c.SetKeyFieldNames("ID");
  EXPECT_EQ(c.FindRecordIndexByKey(Variant(30)), 29);
  EXPECT_EQ(c.FindRecordIndexByKey(Variant(30.0)), 29);   // any numeric kind
  EXPECT_EQ(c.FindRecordIndexByKey(VarArrayOf({Variant(30)})), -1);
  // The index follows changes of the stored values.
  c.SetValue(29, 0, Variant(300));
  EXPECT_EQ(c.FindRecordIndexByKey(Variant(30)), -1);
  EXPECT_EQ(c.FindRecordIndexByKey(Variant(300)), 29);
  EXPECT_TRUE(TcxDBDataController::CheckLocateFields(b.DataSet.get(), "ID", Variant(1)));
  EXPECT_TRUE(TcxDBDataController::CheckLocateFields(b.DataSet.get(), "ID", Variant::Null()));
  EXPECT_FALSE(TcxDBDataController::CheckLocateFields(b.DataSet.get(), "ID;Name", Variant(1)));
  EXPECT_FALSE(TcxDBDataController::CheckLocateFields(b.DataSet.get(), "ID;Name", VarArrayOf({Variant(1)})));
  EXPECT_FALSE(TcxDBDataController::CheckLocateFields(b.DataSet.get(), "Nope", Variant(1)));
}

TEST(cxDBDataController, CursorAndFocusFollowEachOther) {
  for (const char* key : {"ID", ""}) {
    SCOPED_TRACE(key);
    TBound b(8, key);
    TTestDBController& c = b.C;
    TMemDataSet* ds = b.DataSet.get();
    if (*key) c.ChangeSorting(1, soDescending);   // stored order differs from the rows
    EXPECT_EQ(c.FocusedValue(0).AsInteger(), ds->FieldByName("ID")->AsInteger());
    ASSERT_TRUE(c.ChangeFocusedRowIndex(3));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), c.FocusedValue(0).AsInteger());
    ASSERT_TRUE(ds->Locate("ID", Variant(6), TLocateOptions()));
    EXPECT_EQ(c.FocusedValue(0).AsInteger(), 6);
    ds->Last();
    EXPECT_EQ(c.FocusedValue(0).AsInteger(), 8);
    ds->Prior();
    EXPECT_EQ(c.FocusedValue(0).AsInteger(), 7);
    if (*key) {
      EXPECT_TRUE(c.FocusRecordByKey(Variant(2)));
      EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
      EXPECT_FALSE(c.FocusRecordByKey(Variant(99)));
    }
  }
  // Without sync mode the cursor stays where it is.
  TBound b(8);
  b.C.DataModeController()->SetSyncMode(false);
  b.DataSet->First();
  b.C.ChangeFocusedRowIndex(4);
  EXPECT_EQ(b.DataSet->FieldByName("ID")->AsInteger(), 1);
}

TEST(cxDBDataController, DataSetInsertStartsAControllerInsertUnlessSwitchedOff) {
  TBound b(3);
  TTestDBController& c = b.C;
  EXPECT_TRUE(c.DataModeController()->InsertSyncEnabled);
  b.DataSet->Insert();
  EXPECT_TRUE(c.GetEditState() & dceInsert);
  EXPECT_EQ(c.GetRecordCount(), 4);
  b.DataSet->FieldByName("ID")->SetAsInteger(10);
  b.DataSet->FieldByName("Name")->SetAsString("新");
  b.DataSet->Post();
  EXPECT_FALSE(c.GetEditState() & dceInsert);
  EXPECT_EQ(c.GetRecordCount(), 4);
  EXPECT_NE(c.FindRecordIndexByKey(Variant(10)), -1);

  // What the lookup lists set up: no sync, no insert tracking.
  TBound l(3);
  l.C.DataModeController()->SetSyncMode(false);
  l.C.DataModeController()->InsertSyncEnabled = false;
  l.DataSet->Append();
  EXPECT_EQ(l.C.Provider()->EditingRecordIndex(), cxNullEditingRecord);
  EXPECT_EQ(l.C.GetRecordCount(), 3);
  l.DataSet->Cancel();
  EXPECT_EQ(l.C.GetRecordCount(), 3);
}

TEST(cxDBDataController, EditThroughControllerPostsToDataSet) {
  TBound b(4);
  TTestDBController& c = b.C;
  c.ChangeFocusedRowIndex(1);
  ASSERT_TRUE(c.CanEditItem(1));
  ASSERT_TRUE(c.SetEditValue(1, Variant("改"), 0));
  EXPECT_EQ(b.DataSet->State(), dsEdit);
  c.Post();
  EXPECT_EQ(b.DataSet->State(), dsBrowse);
  ASSERT_TRUE(b.DataSet->Locate("ID", Variant(2), TLocateOptions()));
  EXPECT_EQ(b.DataSet->FieldByName("Name")->AsString(), "改");
  EXPECT_EQ(VarToStr(c.GetValue(c.FindRecordIndexByKey(Variant(2)), 1)), "改");
}

// ---------------------------------------------------------------------------
// Grid mode

TEST(cxDBDataController, GridModeHoldsAWindowAndScrollsAtTheEdge) {
  TBound b(1000);
  TTestDBController& c = b.C;
  c.DataModeController()->SetGridModeBufferCount(-5);
  EXPECT_EQ(c.DataModeController()->GridModeBufferCount(), 0);
  c.DataModeController()->SetGridMode(true);
  ASSERT_TRUE(c.IsGridMode());
  EXPECT_FALSE(c.IsKeyMode());
  EXPECT_EQ(c.GetRecordCount(), 100);
  EXPECT_EQ(c.GetValue(0, 0).AsInteger(), 1);
  EXPECT_EQ(c.GetValue(99, 0).AsInteger(), 100);
  Variant beyond;
  c.Provider()->GridModeValue(150, c.FieldOfItemIndex(0), beyond);
  EXPECT_TRUE(beyond.IsNull());

  b.DataSet->MoveBy(99);
  EXPECT_EQ(c.GetFocusedRowIndex(), 99);
  c.Provider()->ScrollBy(1);
  EXPECT_EQ(b.DataSet->FieldByName("ID")->AsInteger(), 101);
  EXPECT_EQ(c.GetRecordCount(), 100);
  EXPECT_EQ(c.GetFocusedRowIndex(), 99);
  EXPECT_EQ(c.GetValue(99, 0).AsInteger(), 101);
  EXPECT_EQ(c.GetValue(0, 0).AsInteger(), 2);

  // Focusing inside the window moves the dataset by the distance.
  c.ChangeFocusedRowIndex(10);
  EXPECT_EQ(b.DataSet->FieldByName("ID")->AsInteger(), 12);
  // A key outside the window is located in the dataset.
  c.SetKeyFieldNames("ID");
  EXPECT_TRUE(c.FocusRecordByKey(Variant(700)));
  EXPECT_EQ(b.DataSet->FieldByName("ID")->AsInteger(), 700);
  EXPECT_EQ(c.FocusedValue(0).AsInteger(), 700);

  c.DataModeController()->SetGridModeBufferCount(10);
  EXPECT_EQ(c.GetRecordCount(), 10);
}

TEST(cxDBDataController, BookmarkSelectionGrowsAndShrinksByOneWithoutAWalk) {
  TBound b(300);
  TTestDBController& c = b.C;
  c.DataModeController()->SetGridMode(true);
  c.SetMultiSelect(true);
  Integer scrolls = 0;
  b.DataSet->AfterScroll = [&](TDataSet*) { ++scrolls; };
  c.SetSelectionAnchor(0);
  c.SelectFromAnchor(50, false);
  auto* sel = static_cast<TcxDBDataSelection*>(c.GetSelection());
  EXPECT_EQ(sel->BookmarkCount(), 51);
  EXPECT_EQ(c.GetSelectedCount(), 51);
  scrolls = 0;
  c.SelectFromAnchor(51, false);
  EXPECT_EQ(sel->BookmarkCount(), 52);
  EXPECT_LT(scrolls, 10);
  scrolls = 0;
  c.SelectFromAnchor(50, false);
  EXPECT_EQ(sel->BookmarkCount(), 51);
  EXPECT_LT(scrolls, 10);
  c.SelectFromAnchor(0, false);
  EXPECT_EQ(sel->BookmarkCount(), 1);
  EXPECT_EQ(c.GetSelectedBookmark(0), c.GetSelectionAnchorBookmark());
  EXPECT_TRUE(c.IsRowSelected(0));

  // Deleting a selected record drops its bookmark at the next refresh.
  c.SelectFromAnchor(3, false);
  ASSERT_TRUE(b.DataSet->Locate("ID", Variant(3), TLocateOptions()));
  b.DataSet->Delete();
  EXPECT_EQ(sel->BookmarkCount(), 3);

  c.SelectAll();
  EXPECT_EQ(sel->BookmarkCount(), 299);
  TBound plain(3);
  EXPECT_THROW(plain.C.GetSelectedBookmark(0), EcxInvalidDataControllerOperation);
}

// ---------------------------------------------------------------------------
// Filter

TEST(cxDBDataFilter, DataSetFilterWrittenOnlyOnChange) {
  TBound b(6);
  TTestDBController& c = b.C;
  TCountingLink watcher;
  watcher.SetDataSource(&b.Source);
  auto* f = static_cast<TcxDBDataFilterCriteria*>(c.Filter());
  f->SetAutoDataSetFilter(true);
  EXPECT_EQ(b.DataSet->Filter(), "");
  EXPECT_FALSE(b.DataSet->Filtered());
  f->SetActive(true);
  watcher.Changes = 0;
  f->Root()->AddCondition(c.GetItem(1), focEqual, Variant("王2"), "王2");
  EXPECT_EQ(b.DataSet->Filter(), "(Name = '王2')");
  EXPECT_TRUE(b.DataSet->Filtered());
  EXPECT_EQ(b.DataSet->RecordCount(), 1);
  EXPECT_EQ(c.GetRecordCount(), 1);
  // Filter text and flag change together with the controls disabled (one
  // event); the controller's reload walk is announced once more.
  EXPECT_GE(watcher.Changes, 1);
  EXPECT_LE(watcher.Changes, 2);
  watcher.Changes = 0;
  f->SignalChanged();   // nothing differs: the dataset is left alone
  EXPECT_EQ(watcher.Changes, 0);
  // Quotes in a value stay inside its literal.
  f->Root()->ClearItems();
  f->Root()->AddCondition(c.GetItem(1), focEqual, Variant("O'Brien"), "");
  EXPECT_EQ(b.DataSet->Filter(), "(Name = 'O''Brien')");
  EXPECT_EQ(c.GetRecordCount(), 0);
  f->Root()->ClearItems();
  EXPECT_EQ(b.DataSet->Filter(), "");
  EXPECT_FALSE(b.DataSet->Filtered());
  EXPECT_EQ(c.GetRecordCount(), 6);
  watcher.SetDataSource(nullptr);
}

TEST(cxDBDataFilter, FailedPostSwitchesTheFilterOff) {
  TBound b(3);
  TTestDBController& c = b.C;
  b.DataSet->FieldByName("Name")->SetRequired(true);
  auto* f = static_cast<TcxDBDataFilterCriteria*>(c.Filter());
  f->SetActive(true);
  b.DataSet->Edit();
  b.DataSet->FieldByName("Name")->Clear();
  EXPECT_THROW(f->Root()->AddCondition(c.GetItem(0), focGreater, Variant(1), "1"), EDatabaseError);
  EXPECT_FALSE(f->Active());
  EXPECT_EQ(b.DataSet->State(), dsEdit);   // the user's edit is still there
  b.DataSet->Cancel();
}

// ---------------------------------------------------------------------------
// Master-detail

class TDetailView : public TObject {
  TOVANI_CLASS(TDetailView, TObject)
 public:
  std::unique_ptr<TTestDBController> C = std::make_unique<TTestDBController>();
};
TOVANI_IMPLEMENT_CLASS(TDetailView, TObject)

// A master controller that makes one clone per expanded master record, as
// a control with detail views does.
class TMasterController : public TTestDBController {
 public:
  TDataSource* DetailSource = nullptr;
  TObject* CreateDetailLinkObject(TcxCustomDataRelation* ARelation, Integer ARecord) override {
    auto* v = new TDetailView;
    v->C->AddColumn("L_ID");
    v->C->AddColumn("O_ID");
    v->C->SetDetailLinkFieldNames("O_ID");
    v->C->SetMasterLinkFieldNames("O_ID");
    v->C->SetKeyFieldNames("L_ID");
    v->C->SetMasterRelation(ARelation, ARecord);
    v->C->SetDataSource(DetailSource);
    return v;
  }
  TcxCustomDataController* GetDetailControllerOfLink(TObject* ALink) override {
    auto* v = dynamic_cast<TDetailView*>(ALink);
    return v ? v->C.get() : nullptr;
  }
};

TEST(cxDBDataDetails, DetailModesAndMasterFollowingDetail) {
  auto orders = std::make_unique<TMemDataSet>();
  orders->FieldDefs().Add("O_ID", ftInteger);
  orders->FieldDefs().Add("O_NO", ftString, 20);
  orders->CreateDataSet();
  for (Integer i = 1; i <= 4; ++i) orders->AppendRecord({Variant(i), Variant("N" + std::to_string(i))});
  orders->First();
  auto lines = std::make_unique<TMemDataSet>();
  lines->FieldDefs().Add("L_ID", ftInteger);
  lines->FieldDefs().Add("O_ID", ftInteger);
  lines->CreateDataSet();
  for (Integer i = 1; i <= 8; ++i) lines->AppendRecord({Variant(i), Variant((i + 1) / 2)});
  lines->First();
  TDataSource os, ls;
  os.SetDataSet(orders.get());
  ls.SetDataSet(lines.get());

  TMasterController master;
  master.DetailSource = &ls;
  master.AddColumn("O_ID");
  master.AddColumn("O_NO");
  master.SetKeyFieldNames("O_ID");
  master.SetDataSource(&os);
  EXPECT_EQ(master.GetDetailMode(), 0);

  TObject relationItem;
  TcxCustomDataRelation* rel = master.Relations()->Add(&relationItem);
  TTestDBController pattern;
  pattern.AddColumn("L_ID");
  pattern.AddColumn("O_ID");
  pattern.SetKeyFieldNames("L_ID");
  pattern.SetDetailLinkFieldNames("O_ID");
  pattern.SetMasterLinkFieldNames("O_ID");
  pattern.SetPatternRelation(rel, true);
  pattern.SetDataSource(&ls);
  EXPECT_EQ(pattern.GetDetailMode(), 1);
  EXPECT_EQ(pattern.GetRecordCount(), 0);   // a pattern keeps no records
  EXPECT_EQ(pattern.GetMasterController(), &master);
  master.ReloadData();   // binds the relation's master key field

  // Expanding a master record makes its clone, bound to that record.
  EXPECT_FALSE(master.ChangeDetailExpanding(99, true));
  bool allow = false;
  master.OnDetailExpandQuery = [&](TcxCustomDataController*, Integer, bool& a) { a = allow; };
  EXPECT_FALSE(master.ChangeDetailExpanding(1, true));
  EXPECT_FALSE(master.GetDetailExpanded(1));
  allow = true;
  ASSERT_TRUE(master.ChangeDetailExpanding(1, true));
  EXPECT_TRUE(master.GetDetailExpanded(1));
  auto* clone = dynamic_cast<TcxDBDataController*>(master.GetDetailDataController(1, 0));
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetDetailMode(), 2);
  EXPECT_EQ(clone->GetMasterRecordIndex(), 1);
  EXPECT_EQ(clone->MasterDetailKeyValues().AsInteger(), 2);
  EXPECT_EQ(clone->GetPatternController(), &pattern);

  // Moving the detail dataset to a line of order 3 takes the master along.
  master.ChangeFocusedRowIndex(0);
  ASSERT_TRUE(lines->Locate("L_ID", Variant(6), TLocateOptions()));
  EXPECT_EQ(orders->FieldByName("O_ID")->AsInteger(), 3);
  EXPECT_EQ(master.FocusedValue(0).AsInteger(), 3);

  // Detail adapter: datasets without "Params" are located, never reopened.
  auto* adapter = static_cast<TcxDBProviderDetailFilterAdapter*>(pattern.GetDetailFilterAdapter());
  EXPECT_FALSE(adapter->IsCurrentQuery(lines.get(), "O_ID", Variant(2)));
  bool reopened = true;
  adapter->ReopenQuery(lines.get(), "O_ID", Variant(2), reopened);
  EXPECT_TRUE(reopened);   // untouched: stays as the caller had it
  reopened = false;
  adapter->PositionDetail(lines.get(), "O_ID", Variant(4), false, reopened);
  EXPECT_FALSE(reopened);
  EXPECT_EQ(lines->FieldByName("L_ID")->AsInteger(), 7);
  master.CollapseDetails();
  EXPECT_FALSE(master.GetDetailExpanded(1));
  pattern.SetMasterRelation(nullptr, -1);
}

// ---------------------------------------------------------------------------
// Over a SQLite file

class cxDBDataAdo : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxdata-tests";
    ::mkdir(dir.c_str(), 0755);
    // One file per process: other checkouts may run the same tests at once.
    Path = dir + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
           std::to_string(::getpid()) + ".mdb";
    std::remove(Path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    const char* schema =
        "CREATE TABLE Customers (C_ID INTEGER PRIMARY KEY AUTOINCREMENT, C_NO TEXT(20), C_Name TEXT(50));"
        "INSERT INTO Customers (C_NO, C_Name) VALUES ('C1', '张三'), ('C2', '李四'), ('C3', NULL), ('C4', '王五'),"
        " ('C5', '赵六');";
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_close(db);
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
    Query = std::make_unique<TADOQuery>();
    Query->SetConnection(Conn.get());
    Query->SQL()->SetText("SELECT C_ID, C_NO, C_Name FROM Customers ORDER BY C_NO");
    Query->Open();
    Source.SetDataSet(Query.get());
    C.AddColumn("C_ID");
    C.AddColumn("C_NO");
    C.AddColumn("C_Name");
    C.SetKeyFieldNames("C_ID");
    C.SetDataSource(&Source);
  }
  void TearDown() override {
    C.SetDataSource(nullptr);
    Source.SetDataSet(nullptr);
    Query.reset();
    Conn.reset();
    std::remove(Path.c_str());
  }
  String Scalar(const String& sql) {
    TADOQuery q;
    q.SetConnection(Conn.get());
    q.SQL()->SetText(sql);
    q.Open();
    return q.IsEmpty() ? String("<none>") : q.Fields()[0]->AsString();
  }
  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
  std::unique_ptr<TADOQuery> Query;
  TDataSource Source;
  TTestDBController C;
};

TEST_F(cxDBDataAdo, AutoIncrementPostKeepsTheRecord) {
  C.DataModeController()->SetSmartRefresh(true);
  ASSERT_TRUE(C.IsSmartRefresh());
  ASSERT_EQ(C.GetRecordCount(), 5);
  C.Append();
  ASSERT_TRUE(C.GetEditState() & dceInsert);
  ASSERT_TRUE(C.SetEditValue(1, Variant("C6"), 0));
  ASSERT_TRUE(C.SetEditValue(2, Variant("孙七"), 0));
  C.Post();
  EXPECT_EQ(Query->State(), dsBrowse);
  EXPECT_EQ(C.GetRecordCount(), 6);
  const Integer r = C.FindRecordIndexByKey(Variant(6));
  ASSERT_NE(r, -1);
  EXPECT_EQ(VarToStr(C.GetValue(r, 2)), "孙七");
  EXPECT_EQ(Scalar("SELECT C_Name FROM Customers WHERE C_ID = 6"), "孙七");
}

TEST_F(cxDBDataAdo, KeyModeDeleteAndRefreshKeepThePosition) {
  C.SetMultiSelect(true);
  C.ChangeFocusedRowIndex(1);
  C.ChangeRowSelection(1, true);
  C.ChangeRowSelection(3, true);
  const Variant gone1 = C.GetRecordId(C.GetRowInfo(1).RecordIndex);
  const Variant gone2 = C.GetRecordId(C.GetRowInfo(3).RecordIndex);
  C.DeleteSelection();
  EXPECT_EQ(C.GetRecordCount(), 3);
  EXPECT_EQ(Query->RecordCount(), 3);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Customers WHERE C_ID IN (" + VarToStr(gone1) + "," + VarToStr(gone2) + ")"),
            "0");
  EXPECT_EQ(C.FindRecordIndexByKey(gone1), -1);

  C.ChangeFocusedRowIndex(2);
  const Variant focused = C.FocusedValue(0);
  C.RefreshData();
  EXPECT_EQ(C.FocusedValue(0).AsInteger(), focused.AsInteger());
  EXPECT_EQ(Query->FieldByName("C_ID")->AsInteger(), focused.AsInteger());
}

TEST_F(cxDBDataAdo, BlankConditionOnAQueryIsWrittenIsNull) {
  auto* f = static_cast<TcxDBDataFilterCriteria*>(C.Filter());
  f->Root()->AddCondition(C.GetItem(2), focEqual, Variant::Null(), "");
  EXPECT_EQ(f->BuildFilterText(), "(C_Name IS NULL)");
  f->Root()->ClearItems();
  f->Root()->AddCondition(C.GetItem(2), focNotEqual, Variant::Null(), "");
  EXPECT_EQ(f->BuildFilterText(), "(C_Name IS NOT NULL)");
  f->SetAutoDataSetFilter(true);
  f->SetActive(true);
  EXPECT_EQ(Query->RecordCount(), 4);
  EXPECT_EQ(C.GetRecordCount(), 4);

  // The same condition over a dataset that is no query.
  TBound b(3);
  auto* g = static_cast<TcxDBDataFilterCriteria*>(b.C.Filter());
  g->Root()->AddCondition(b.C.GetItem(1), focEqual, Variant::Null(), "");
  EXPECT_EQ(g->BuildFilterText(), "(Name = NULL)");
}

}  // namespace
