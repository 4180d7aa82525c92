#include <algorithm>
#include "DBTestUtil.h"
#include "DateUtils.h"
#include "FormatSettings.h"
#include "Streams.h"
#include "gtest.h"

namespace {

std::vector<int> Ids(TDataSet& ds) {
  std::vector<int> out;
  TBookmark b = ds.GetBookmark();
  ds.First();
  while (!ds.Eof()) {
    out.push_back(ds.FieldByName("ID")->AsInteger());
    ds.Next();
  }
  if (!b.empty() && ds.BookmarkValid(b)) ds.GotoBookmark(b);
  return out;
}

TEST(DataSetNavigation, MoveByReportsDistanceAndStopsAtEnds) {
  auto ds = MakeNumbers(5);
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(ds->MoveBy(3), 3);
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_EQ(ds->MoveBy(10), 1);   // only one record left
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);
  EXPECT_EQ(ds->MoveBy(-10), -4);
  EXPECT_TRUE(ds->Bof());
  ds->SetRecNo(3);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  ds->Last();
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecNo(), 5);
}

TEST(DataSetNavigation, EmptyDataSetIsBofAndEof) {
  auto ds = MakeNumbers(0);
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Bof());
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->MoveBy(1), 0);
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  EXPECT_THROW(ds->Delete(), EDatabaseError);
}

TEST(DataSetNavigation, UnknownFieldNamesTheField) {
  auto ds = MakeNumbers(1);
  try {
    ds->FieldByName("Nope");
    FAIL();
  } catch (EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Field 'Nope' not found");
  }
  EXPECT_EQ(ds->FindField("nope"), nullptr);
  EXPECT_EQ(ds->FindField("name"), ds->FieldByName("Name"));
  EXPECT_EQ(ds->GetFieldList("ID;Name").size(), 2u);
}

// The data link's window over the dataset's buffers.
TEST(DataLinkWindow, LinkFollowsActiveRecordWithinItsBuffers) {
  auto ds = MakeNumbers(10);
  TDataSource src;
  src.SetDataSet(ds.get());
  RecordingLink link;
  link.SetBufferCount(3);
  link.SetDataSource(&src);
  EXPECT_EQ(ds->BufferCount(), 3);
  EXPECT_EQ(link.RecordCount(), 3);
  EXPECT_EQ(link.ActiveRecord(), 0);
  ds->Next();
  ds->Next();
  EXPECT_EQ(link.ActiveRecord(), 2);
  link.Clear();
  ds->Next();   // the window scrolls by one record
  EXPECT_EQ(link.Joined(), "check, scrolled 1");
  EXPECT_EQ(link.ActiveRecord(), 2);
  // Switching the active record reads another buffered row.
  link.SetActiveRecord(0);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
  link.SetActiveRecord(2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
  ds->Last();
  EXPECT_EQ(link.RecordCount(), 3);
  EXPECT_EQ(link.ActiveRecord(), 2);
  ds->Prior();
  ds->Prior();
  ds->Prior();
  EXPECT_EQ(link.ActiveRecord(), 0);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 7);
}

struct NotifyCase {
  const char* Name;
  std::function<void(TDataSet&)> Action;
  const char* Expected;
};

// The order in which a data link hears of each dataset operation.
TEST(DataLinkNotifications, OrderPerOperation) {
  std::vector<NotifyCase> cases = {
      {"scroll", [](TDataSet& d) { d.Next(); }, "check, scrolled 1"},
      {"first", [](TDataSet& d) { d.Next(); d.First(); }, "check, scrolled 1, check, changed"},
      {"edit", [](TDataSet& d) { d.Edit(); }, "check, editing, record"},
      {"field change", [](TDataSet& d) { d.Edit(); d.FieldByName("Name")->SetAsString("x"); },
       "check, editing, record, record Name"},
      {"insert", [](TDataSet& d) { d.Insert(); }, "check, editing, changed"},
      {"append", [](TDataSet& d) { d.Append(); }, "check, editing, changed"},
      {"post", [](TDataSet& d) { d.Edit(); d.FieldByName("Name")->SetAsString("y"); d.Post(); },
       "check, editing, record, record Name, update, check, not editing, changed"},
      {"cancel", [](TDataSet& d) { d.Edit(); d.Cancel(); }, "check, editing, record, check, not editing, changed"},
      {"delete", [](TDataSet& d) { d.Delete(); }, "check, changed"},
      {"refresh", [](TDataSet& d) { d.Refresh(); }, "check, changed"},
      {"close and open", [](TDataSet& d) { d.Close(); d.Open(); }, "inactive, active"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto ds = MakeNumbers(3);
    TDataSource src;
    src.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&src);
    link.Clear();
    c.Action(*ds);
    EXPECT_EQ(link.Joined(), c.Expected);
  }
}

TEST(DataSourceEvents, DataChangeStateChangeAndAutoEdit) {
  auto ds = MakeNumbers(2);
  TDataSource src;
  std::vector<std::string> log;
  src.OnStateChange = [&](TObject*) { log.push_back("state " + std::to_string(int(src.State()))); };
  src.OnDataChange = [&](TObject*, TField* f) { log.push_back(f ? "data " + f->FieldName() : "data"); };
  src.OnUpdateData = [&](TObject*) { log.push_back("update"); };
  src.SetDataSet(ds.get());
  EXPECT_EQ(log, std::vector<std::string>{"state 1"});
  log.clear();
  src.Edit();   // AutoEdit puts the dataset in edit state
  EXPECT_EQ(ds->State(), dsEdit);
  ds->FieldByName("ID")->SetAsInteger(9);
  ds->Post();
  EXPECT_EQ(log, (std::vector<std::string>{"state 2", "data", "data ID", "update", "state 1", "data"}));
  src.SetAutoEdit(false);
  src.Edit();
  EXPECT_EQ(ds->State(), dsBrowse);
  // While controls are disabled, nothing is heard; enabling sends one change.
  // A link that is no control keeps hearing of every event.
  RecordingLink bookkeeping;
  bookkeeping.SetVisualControl(false);
  bookkeeping.SetDataSource(&src);
  bookkeeping.Clear();
  log.clear();
  ds->DisableControls();
  ds->DisableControls();
  ds->Next();
  ds->EnableControls();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(bookkeeping.Joined(), "check, scrolled 1");
  ds->EnableControls();
  EXPECT_EQ(log, std::vector<std::string>{"data"});
}

TEST(DataSetEditing, InsertGoesBeforeCurrentAppendAtEnd) {
  auto ds = MakeNumbers(3);
  ds->Next();   // on 2
  ds->Insert();
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(ds->RecNo(), -1);
  ds->FieldByName("ID")->SetAsInteger(10);
  ds->Post();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 10);
  EXPECT_EQ(ds->RecNo(), 2);
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(20);
  ds->Post();
  EXPECT_EQ(Ids(*ds), (std::vector<int>{1, 10, 2, 3, 20}));
  // Cancel of an insert leaves the records as they were.
  ds->First();
  ds->Insert();
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST(DataSetEditing, CancelRestoresDeleteRemovesAndEventsRunInOrder) {
  auto ds = MakeNumbers(3);
  std::vector<std::string> log;
  auto rec = [&](const char* s) { return [&log, s](TDataSet*) { log.push_back(s); }; };
  ds->BeforeEdit = rec("BeforeEdit");
  ds->AfterEdit = rec("AfterEdit");
  ds->BeforePost = rec("BeforePost");
  ds->AfterPost = rec("AfterPost");
  ds->BeforeCancel = rec("BeforeCancel");
  ds->AfterCancel = rec("AfterCancel");
  ds->BeforeDelete = rec("BeforeDelete");
  ds->AfterDelete = rec("AfterDelete");
  ds->BeforeScroll = rec("BeforeScroll");
  ds->AfterScroll = rec("AfterScroll");
  ds->BeforeInsert = rec("BeforeInsert");
  ds->AfterInsert = rec("AfterInsert");
  ds->OnNewRecord = rec("OnNewRecord");

  ds->Edit();
  ds->FieldByName("Name")->SetAsString("changed");
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "n");
  ds->Delete();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
  ds->Append();
  ds->Cancel();
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel",
                                           "BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll",
                                           "BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                                           "AfterScroll", "BeforeCancel", "AfterCancel"}));
  EXPECT_EQ(Ids(*ds), (std::vector<int>{2, 3}));
}

TEST(DataSetEditing, AbortInBeforeInsertOrBeforePostCancelsTheOperation) {
  auto ds = MakeNumbers(1);
  ds->BeforeInsert = [](TDataSet*) { Abort(); };
  EXPECT_THROW(ds->Append(), EAbort);
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->BeforeInsert = nullptr;
  ds->BeforePost = [](TDataSet* d) {
    if (d->FieldByName("ID")->AsInteger() <= 0) Abort();
  };
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(0);
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->State(), dsInsert);   // the user can correct and post again
  ds->FieldByName("ID")->SetAsInteger(7);
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST(DataSetEditing, CheckBrowseModePostsModifiedAndCancelsUntouched) {
  auto ds = MakeNumbers(2);
  ds->Edit();
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->Edit();
  ds->FieldByName("ID")->SetAsInteger(5);
  ds->Next();   // scrolling posts the change
  EXPECT_EQ(Ids(*ds), (std::vector<int>{5, 2}));
  EXPECT_THROW(ds->FieldByName("ID")->SetAsInteger(1), EDatabaseError);   // not editing
}

TEST(DataSetEditing, PostErrorHandlerCanRetryOrAbort) {
  auto ds = MakeNumbers(1);
  ds->FieldByName("Name")->SetRequired(true);
  ds->Append();
  try {
    ds->Post();
    FAIL();
  } catch (EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Field 'Name' must have a value");
  }
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
}

// Deleting, inserting and appending in any mix keeps positions, bookmarks,
// searches and the order exactly as a plain list of the ids would have them
// (removed records leave holes in the cache that later positions skip).
TEST(DataSetEditing, ManyDeletesInsertsAndAppendsKeepPositionsAndOrder) {
  const int n = 600;
  auto ds = MakeNumbers(n);
  std::vector<int> model;
  for (int i = 1; i <= n; ++i) model.push_back(i);
  TBookmark last;
  ds->Last();
  last = ds->GetBookmark();
  auto check = [&](const char* step) {
    SCOPED_TRACE(step);
    ASSERT_EQ(ds->RecordCount(), Integer(model.size()));
    if (!model.empty()) {
      Integer recNo = ds->RecNo();
      ASSERT_GE(recNo, 1);
      EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), model[size_t(recNo - 1)]);
      EXPECT_EQ(ds->BookmarkValid(last), model.back() == n);
    }
    EXPECT_EQ(Ids(*ds), model);
  };
  // Every third record, walking forward.
  ds->First();
  for (size_t i = 0; i < model.size();) {
    ds->SetRecNo(Integer(i + 1));
    if (model[i] % 3 == 0) {
      ds->Delete();
      model.erase(model.begin() + std::ptrdiff_t(i));
    } else {
      ++i;
    }
  }
  check("every third");
  // From the end backwards, past the point where holes are squeezed out.
  ds->Last();
  for (int k = 0; k < 150; ++k) {
    ds->Delete();
    model.pop_back();
    ds->Last();
  }
  check("from the end");
  EXPECT_FALSE(ds->BookmarkValid(last));
  // Inserting in the middle, appending at the end, deleting in between.
  for (int k = 0; k < 40; ++k) {
    Integer at = Integer((k * 37) % model.size()) + 1;
    ds->SetRecNo(at);
    ds->Insert();
    ds->FieldByName("ID")->SetAsInteger(1000 + k);
    ds->Post();
    model.insert(model.begin() + (at - 1), 1000 + k);
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(2000 + k);
    ds->Post();
    model.push_back(2000 + k);
    ds->SetRecNo(Integer((k * 53) % model.size()) + 1);
    Integer gone = ds->RecNo();
    ds->Delete();
    model.erase(model.begin() + (gone - 1));
    EXPECT_EQ(ds->RecNo(), std::min(gone, Integer(model.size())));
  }
  check("mixed");
  // Searches and bookmarks see the survivors at their new places.
  int midId = model[model.size() / 2];
  ASSERT_TRUE(ds->Locate("ID", Variant(midId), {}));
  EXPECT_EQ(ds->RecNo(), Integer(model.size() / 2) + 1);
  TBookmark mid = ds->GetBookmark();
  ds->First();
  ds->Delete();
  model.erase(model.begin());
  ds->GotoBookmark(mid);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), midId);
  EXPECT_EQ(ds->RecNo(), Integer(std::find(model.begin(), model.end(), midId) - model.begin()) + 1);
  // Until nothing is left.
  while (!ds->IsEmpty()) ds->Delete();
  model.clear();
  check("all gone");
  EXPECT_TRUE(ds->Eof());
}

TEST(DataSetBookmarks, BookmarksCompareInCurrentOrderAfterSort) {
  auto ds = MakePeople({{1, "c", 3}, {2, "a", 1}, {3, "b", 2}});
  std::vector<TBookmark> marks;
  ds->First();
  while (!ds->Eof()) { marks.push_back(ds->GetBookmark()); ds->Next(); }
  EXPECT_LT(ds->CompareBookmarks(marks[0], marks[1]), 0);
  ds->SetSort("[Name]");
  EXPECT_EQ(Ids(*ds), (std::vector<int>{2, 3, 1}));
  EXPECT_GT(ds->CompareBookmarks(marks[0], marks[1]), 0);   // c now after a
  EXPECT_GT(ds->CompareBookmarks(marks[0], marks[2]), 0);
  EXPECT_EQ(ds->CompareBookmarks(marks[1], marks[1]), 0);
  EXPECT_LT(ds->CompareBookmarks(TBookmark(), marks[1]), 0);
  ds->GotoBookmark(marks[0]);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
  EXPECT_EQ(ds->RecNo(), 3);
  // A filtered-out record's bookmark is not valid until the filter goes.
  ds->SetFilter("[Name] <> 'c'");
  ds->SetFiltered(true);
  EXPECT_FALSE(ds->BookmarkValid(marks[0]));
  EXPECT_THROW(ds->GotoBookmark(marks[0]), EDatabaseError);
  ds->SetFiltered(false);
  EXPECT_TRUE(ds->BookmarkValid(marks[0]));
  ds->GotoBookmark(marks[0]);
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(marks[0]));
  EXPECT_FALSE(ds->BookmarkValid("garbage"));
}

struct LocateCase {
  const char* Label;
  const char* Fields;
  Variant Values;
  TLocateOptions Options;
  int ExpectedId;   // 0: not found
};

TEST(DataSetLocate, OptionsAndMultipleFields) {
  auto ds = MakePeople({{1, "Alpha", 1}, {2, "alphabet", 2}, {3, "张三", 3}, {4, nullptr, 4}});
  std::vector<LocateCase> cases = {
      {"case 1", "Name", Variant("alpha"), {}, 0},
      {"case 2", "Name", Variant("alpha"), TLocateOptions{loCaseInsensitive}, 1},
      {"case 3", "Name", Variant("alph"), TLocateOptions{loPartialKey}, 2},
      {"case 4", "Name", Variant("ALPHAB") , TLocateOptions{loPartialKey, loCaseInsensitive}, 2},
      {"case 5", "Name", Variant("张三"), {}, 3},
      {"case 6", "Name", Variant::Null(), {}, 4},
      {"case 7", "ID;Name", VarArrayOf({Variant(2), Variant("alphabet")}), {}, 2},
      {"case 8", "ID;Name", VarArrayOf({Variant(2), Variant("Alpha")}), {}, 0},
      {"case 9", "ID", Variant("3"), {}, 3},
      {"case 10", "ID", Variant("x"), {}, 0},
      {"case 11", "Price", Variant(2.0), {}, 2},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ds->First();
    bool found = ds->Locate(c.Fields, c.Values, c.Options);
    EXPECT_EQ(found, c.ExpectedId != 0);
    if (found) EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), c.ExpectedId);
  }
  ds->First();
  EXPECT_EQ(VarToStr(ds->Lookup("ID", Variant(3), "Name")), "张三");
  EXPECT_TRUE(ds->Lookup("ID", Variant(99), "Name").IsNull());
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);   // Lookup does not move
  Variant both = ds->Lookup("ID", Variant(2), "Name;Price");
  EXPECT_EQ(VarToStr(both.GetElement(0)), "alphabet");
}

TEST(DataSetFields, CalculatedAndLookupFields) {
  auto products = MakePeople({{10, "Pen", 1.5}, {20, "Ink", 2.25}});
  auto lines = std::make_unique<TMemDataSet>();
  lines->FieldDefs().Add("PID", ftInteger);
  lines->FieldDefs().Add("Qty", ftInteger);
  for (int i = 0; i < 2; ++i) lines->FieldDefs()[i].CreateField()->SetDataSet(lines.get());
  auto* name = new TWideStringField();
  name->SetFieldName("PName");
  name->SetFieldKind(fkLookup);
  name->SetLookupDataSet(products.get());
  name->SetKeyFields("PID");
  name->SetLookupKeyFields("ID");
  name->SetLookupResultField("Name");
  name->SetDataSet(lines.get());
  auto* twice = new TIntegerField();
  twice->SetFieldName("Twice");
  twice->SetFieldKind(fkCalculated);
  twice->SetDataSet(lines.get());
  lines->OnCalcFields = [](TDataSet* d) {
    d->FieldByName("Twice")->SetAsInteger(d->FieldByName("Qty")->AsInteger() * 2);
  };
  lines->Open();
  EXPECT_FALSE(lines->DefaultFields());
  lines->Append();
  lines->FieldByName("PID")->SetAsInteger(20);
  lines->FieldByName("Qty")->SetAsInteger(3);
  EXPECT_EQ(lines->FieldByName("PName")->AsString(), "Ink");   // recalculated while editing
  EXPECT_EQ(lines->FieldByName("Twice")->AsInteger(), 6);
  lines->Post();
  lines->AppendRecord({Variant(10), Variant(1)});
  lines->AppendRecord({Variant(99), Variant(1)});
  EXPECT_TRUE(lines->FieldByName("PName")->IsNull());
  lines->SetSort("PName");   // sorting by a lookup field
  lines->First();
  EXPECT_TRUE(lines->FieldByName("PName")->IsNull());   // nulls first
  lines->Next();
  EXPECT_EQ(lines->FieldByName("PName")->AsString(), "Ink");
  lines->Next();
  EXPECT_EQ(lines->FieldByName("PName")->AsString(), "Pen");
  EXPECT_EQ(lines->FieldByName("Twice")->AsInteger(), 2);
  // Setting a lookup field writes the key of the chosen record.
  lines->Edit();
  lines->FieldByName("PName")->SetAsString("Ink");
  EXPECT_EQ(lines->FieldByName("PID")->AsInteger(), 20);
  EXPECT_EQ(lines->FieldByName("PName")->AsString(), "Ink");
  lines->Cancel();
  lines->SetSort("");
  lines->SetFilter("PName = 'pen'");
  lines->SetFilterOptions(TFilterOptions{foCaseInsensitive});
  lines->SetFiltered(true);
  EXPECT_EQ(lines->RecordCount(), 1);
}

}  // namespace

namespace {

// Order lines (PID, Qty) with a lookup of the product name and a calculated
// Qty * 2.
struct LinesFixture {
  std::unique_ptr<TMemDataSet> Products = MakePeople({{10, "Pen", 1.5}, {20, "Ink", 2.25}});
  std::unique_ptr<TMemDataSet> Lines = std::make_unique<TMemDataSet>();
  TField* PName = nullptr;
  int CalcRuns = 0;
  explicit LinesFixture(bool lookupCache) {
    Lines->FieldDefs().Add("PID", ftInteger);
    Lines->FieldDefs().Add("Qty", ftInteger);
    for (int i = 0; i < 2; ++i) Lines->FieldDefs()[i].CreateField()->SetDataSet(Lines.get());
    PName = new TWideStringField();
    PName->SetFieldName("PName");
    PName->SetFieldKind(fkLookup);
    PName->SetLookupDataSet(Products.get());
    PName->SetKeyFields("PID");
    PName->SetLookupKeyFields("ID");
    PName->SetLookupResultField("Name");
    PName->SetLookupCache(lookupCache);
    PName->SetDataSet(Lines.get());
    auto* twice = new TIntegerField();
    twice->SetFieldName("Twice");
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(Lines.get());
    Lines->OnCalcFields = [this](TDataSet* d) {
      ++CalcRuns;
      d->FieldByName("Twice")->SetAsInteger(d->FieldByName("Qty")->AsInteger() * 2);
    };
    Lines->Open();
    Lines->AppendRecord({Variant(10), Variant(1)});
    Lines->AppendRecord({Variant(20), Variant(3)});
    Lines->AppendRecord({Variant(99), Variant(5)});
    Lines->First();
  }
  std::vector<int> Quantities() {
    std::vector<int> out;
    for (Lines->First(); !Lines->Eof(); Lines->Next()) out.push_back(Lines->FieldByName("Qty")->AsInteger());
    return out;
  }
};

TEST(DataSetFields, FiltersAndSearchesSeeCalculatedValues) {
  LinesFixture fx(false);
  TDataSet& lines = *fx.Lines;
  lines.SetFilter("[Twice] >= 6");
  lines.SetFiltered(true);
  EXPECT_EQ(fx.Quantities(), (std::vector<int>{3, 5}));
  lines.SetFilter("[Twice] > 2 AND [PName] = 'Ink'");
  EXPECT_EQ(fx.Quantities(), std::vector<int>{3});
  lines.SetFilter("");
  lines.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("Twice")->AsInteger() != 6; });
  EXPECT_EQ(fx.Quantities(), (std::vector<int>{1, 5}));
  // The buffers still show the calculated values of their own records.
  lines.Last();
  EXPECT_EQ(lines.FieldByName("Twice")->AsInteger(), 10);
  lines.SetFiltered(false);
  EXPECT_TRUE(lines.Locate("Twice", Variant(6), {}));
  EXPECT_EQ(lines.FieldByName("Qty")->AsInteger(), 3);
  EXPECT_EQ(lines.Lookup("Twice", Variant(10), "Qty").AsInteger(), 5);
  EXPECT_EQ(lines.State(), dsBrowse);
}

TEST(DataSetFields, LookupCacheKeepsValuesUntilRefreshed) {
  for (bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "cached" : "not cached");
    LinesFixture fx(cached);
    TDataSet& lines = *fx.Lines;
    lines.Next();
    EXPECT_EQ(lines.FieldByName("PName")->AsString(), "Ink");
    EXPECT_EQ(fx.PName->LookupList() != nullptr, cached);
    if (cached) { EXPECT_EQ(fx.PName->LookupList()->Count(), 2); }
    ASSERT_TRUE(fx.Products->Locate("ID", Variant(20), {}));
    fx.Products->Edit();
    fx.Products->FieldByName("Name")->SetAsString("Ink 2");
    fx.Products->Post();
    lines.Resync();
    // A cached lookup shows the value read first until the list is refreshed.
    EXPECT_EQ(lines.FieldByName("PName")->AsString(), cached ? "Ink" : "Ink 2");
    fx.PName->RefreshLookupList();
    lines.Resync();
    EXPECT_EQ(lines.FieldByName("PName")->AsString(), "Ink 2");
    lines.Last();
    EXPECT_TRUE(lines.FieldByName("PName")->IsNull());   // no such product
  }
}

TEST(MemDataSetMasterDetail, DetailShowsTheMastersRecordsAndFillsNewOnes) {
  auto orders = MakeNumbers(3);
  TDataSource src;
  src.SetDataSet(orders.get());
  TMemDataSet lines;
  lines.FieldDefs().Add("OrderID", ftInteger);
  lines.FieldDefs().Add("Item", ftWideString, 20);
  lines.SetDataSource(&src);
  lines.SetMasterFields("ID");
  lines.SetDetailFields("OrderID");
  lines.Open();
  EXPECT_TRUE(lines.IsEmpty());
  lines.AppendRecord({Variant(), Variant("a")});   // OrderID from the master
  lines.AppendRecord({Variant(), Variant("b")});
  EXPECT_EQ(lines.FieldByName("OrderID")->AsInteger(), 1);
  orders->Next();
  EXPECT_TRUE(lines.IsEmpty());
  lines.AppendRecord({Variant(), Variant("c")});
  orders->First();
  EXPECT_EQ(lines.RecordCount(), 2);
  orders->DisableControls();   // the detail still follows
  orders->Next();
  EXPECT_EQ(lines.RecordCount(), 1);
  EXPECT_EQ(lines.FieldByName("Item")->AsString(), "c");
  orders->EnableControls();
}

TEST(FieldDataLink, BindsTheFieldAndNamesTheControlWhenMissing) {
  auto ds = MakeNumbers(2);
  TDataSource src;
  src.SetDataSet(ds.get());
  TComponent control;
  control.SetName("EditName");
  TFieldDataLink link;
  link.SetControl(&control);
  int changes = 0;
  link.OnDataChange = [&](TObject*) { ++changes; };
  link.SetFieldName("Name");
  link.SetDataSource(&src);
  ASSERT_EQ(link.Field(), ds->FieldByName("Name"));
  changes = 0;
  ds->Next();
  EXPECT_EQ(changes, 1);
  ds->Edit();   // the record is shown again
  EXPECT_EQ(changes, 2);
  ds->FieldByName("ID")->SetAsInteger(7);   // another field: not this control's business
  EXPECT_EQ(changes, 2);
  ds->FieldByName("Name")->SetAsString("x");
  EXPECT_EQ(changes, 3);
  ds->Cancel();
  try {
    link.SetFieldName("Nope");
    FAIL();
  } catch (EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "EditName: Field 'Nope' not found");
  }
}

TEST(BlobStream, ReadsAndWritesTheFieldsBytes) {
  TMemDataSet ds;
  ds.FieldDefs().Add("Pic", ftGraphic);
  ds.CreateDataSet();
  ds.Append();
  {
    auto w = ds.CreateBlobStream(ds.FieldByName("Pic"), bmWrite);
    w->WriteBuffer("\xFF\xD8\x00\x01", 4);
  }
  ds.Post();
  auto r = ds.CreateBlobStream(ds.FieldByName("Pic"), bmRead);
  EXPECT_EQ(r->Size(), 4);
  char buf[4];
  r->ReadBuffer(buf, 4);
  EXPECT_EQ(String(buf, 4), String("\xFF\xD8\x00\x01", 4));
  EXPECT_THROW(ds.CreateBlobStream(ds.FieldByName("Pic"), bmWrite), EDatabaseError);   // not editing
}

}  // namespace
