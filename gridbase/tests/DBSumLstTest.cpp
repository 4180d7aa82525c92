// The summary-list producer over an in-memory dataset: full scans, the
// incremental adjustments of edits, inserts and deletes, nulls, filters and
// the hooking of the dataset's events.
#include <memory>
#include <optional>
#include "DBSumLst.h"
#include "MemDataSet.h"
#include "gtest.h"

namespace {

// N: a number that may be null; S: a text that may be null.
std::unique_ptr<TMemDataSet> MakeData(const std::vector<std::optional<double>>& values) {
  auto ds = std::make_unique<TMemDataSet>();
  ds->FieldDefs().Add("N", ftFloat);
  ds->FieldDefs().Add("S", ftString, 20);
  ds->CreateDataSet();
  for (auto& v : values) {
    ds->Append();
    if (v) ds->FieldByName("N")->SetAsFloat(*v), ds->FieldByName("S")->SetAsString("x");
    ds->Post();
  }
  ds->Last();
  return ds;
}

struct SumFixture : ::testing::Test {
  std::unique_ptr<TMemDataSet> Data;
  TDBSumListProducer Producer;
  int Recalcs = 0, Changes = 0;
  TDBSum* Add(TGroupOperation op, const String& field) {
    TDBSum* s = Producer.SumCollection()->Add();
    s->SetGroupOperation(op);
    s->SetFieldName(field);
    return s;
  }
  void Attach(const std::vector<std::optional<double>>& values) {
    Data = MakeData(values);
    Producer.OnRecalcAll = [this](TObject*) { ++Recalcs; };
    Producer.SumListChanged = [this](TObject*) { ++Changes; };
    Producer.AssignDataSet(Data.get());
  }
  void TearDown() override { Producer.AssignDataSet(nullptr); }
  void EditRow(int recNo, std::optional<double> v) {
    Data->SetRecNo(recNo);
    Data->Edit();
    if (v) Data->FieldByName("N")->SetAsFloat(*v);
    else Data->FieldByName("N")->Clear();
    Data->Post();
  }
  static double Value(TDBSum* s) { return s->AggregateValue().ToDouble(); }
};

TEST_F(SumFixture, AverageSkipsNulls) {
  TDBSum* avg = Add(goAvg, "N");
  Attach({10, std::nullopt, 20});
  EXPECT_EQ(Value(avg), 15);
  EXPECT_EQ(avg->NonNullCount(), 2);
  EXPECT_EQ(Data->RecNo(), 1);   // a full scan ends on the first record
  EditRow(2, 30);
  EXPECT_EQ(Value(avg), 20);
  EXPECT_EQ(avg->NonNullCount(), 3);
  EditRow(1, std::nullopt);
  EXPECT_EQ(Value(avg), 25);
  Data->SetRecNo(3);
  Data->Delete();
  EXPECT_EQ(Value(avg), 30);
  EXPECT_EQ(avg->NonNullCount(), 1);
}

TEST_F(SumFixture, SumsAndCountsFollowEditsInsertsAndDeletes) {
  TDBSum* sum = Add(goSum, "N");
  TDBSum* all = Add(goCount, "");
  TDBSum* filled = Add(goCount, "N");
  Attach({5, 7, std::nullopt});
  EXPECT_EQ(Value(sum), 12);
  EXPECT_EQ(Value(all), 3);
  EXPECT_EQ(Value(filled), 2);
  EditRow(1, std::nullopt);
  EXPECT_EQ(Value(sum), 7);
  EXPECT_EQ(Value(filled), 1);
  Data->Append();
  Data->FieldByName("N")->SetAsFloat(0.12345);   // money form: four places, ties to even
  Data->Post();
  EXPECT_EQ(sum->AggregateValue().Raw(), 70000 + 1234);
  EXPECT_EQ(Value(all), 4);
  EXPECT_EQ(Value(filled), 2);
  Data->SetRecNo(3);   // the null record
  Data->Delete();
  EXPECT_EQ(Value(all), 3);
  EXPECT_EQ(Value(filled), 2);
  // A cancelled insert changes nothing.
  Data->Append();
  Data->FieldByName("N")->SetAsFloat(100);
  Data->Cancel();
  EXPECT_EQ(sum->AggregateValue().Raw(), 71234);
}

TEST_F(SumFixture, FilterChangeRescansOnceAtTheNextScroll) {
  TDBSum* sum = Add(goSum, "N");
  Attach({1, 2, 3, 4});
  EXPECT_EQ(Value(sum), 10);
  int before = Recalcs;
  Data->SetFilter("N > 1");
  Data->SetFiltered(true);
  Data->First();
  EXPECT_EQ(Recalcs, before + 1);
  EXPECT_EQ(Value(sum), 9);
  Data->Next();
  EXPECT_EQ(Recalcs, before + 1);
  Data->SetFilter("N > 2");
  Data->First();
  EXPECT_EQ(Value(sum), 7);
  EXPECT_EQ(Recalcs, before + 2);
}

TEST_F(SumFixture, DefinitionChangesAndExternalRecalc) {
  TDBSum* sum = Add(goSum, "N");
  Attach({1, 2});
  int before = Recalcs;
  sum->SetGroupOperation(goSum);
  EXPECT_EQ(Recalcs, before);
  sum->SetGroupOperation(goCount);
  EXPECT_EQ(Recalcs, before + 1);
  EXPECT_EQ(Value(sum), 2);
  EXPECT_EQ(Producer.SumCollection()->FindSumItem(goCount, "n"), sum);
  EXPECT_EQ(Producer.SumCollection()->FindSumItem(goSum, "N"), nullptr);
  // With ExternalRecalc the application fills the values itself.
  Producer.OnRecalcAll = [&](TObject*) { sum->SetAggregateValue(Currency(42)); };
  Producer.SetExternalRecalc(true);
  EXPECT_EQ(Value(sum), 42);
  Producer.OnRecalcAll = nullptr;
  Producer.SetExternalRecalc(true);
  EXPECT_EQ(Value(sum), 0);
}

TEST_F(SumFixture, HandlersChainAndComeBackOnUnhook) {
  int posts = 0;
  auto tmp = MakeData({1});
  tmp->AfterPost = [&](TDataSet*) { ++posts; };
  Data = std::move(tmp);
  TDBSum* sum = Add(goSum, "N");
  Producer.AssignDataSet(Data.get());
  EXPECT_TRUE(Producer.EventsHooked());
  EditRow(1, 5);
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(Value(sum), 5);
  Producer.SetActive(false);
  EXPECT_FALSE(Producer.EventsHooked());
  EXPECT_EQ(Value(sum), 0);
  EditRow(1, 6);
  EXPECT_EQ(posts, 2);
  EXPECT_EQ(Value(sum), 0);
  Producer.SetActive(true);
  EXPECT_EQ(Value(sum), 6);
  // Closing clears; opening scans again.
  Data->Close();
  EXPECT_EQ(Value(sum), 0);
  Data->Open();
  EXPECT_EQ(Value(sum), 6);
}

}  // namespace
