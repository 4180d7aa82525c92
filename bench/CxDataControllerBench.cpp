// The data controller over 100,000 records of six value types (Chinese
// name, integer, currency, date-time, Boolean, float), as a lookup grid over
// a whole table uses it: sorting by integer, by date and by Chinese text
// (collation order), a three-condition filter, two-level grouping and
// footer sums.
#include <memory>
#include <random>

#include "Currency.h"
#include "DateUtils.h"
#include "benchmark.h"
#include "cxData.h"

namespace {

constexpr Integer RecordCount = 100000;
enum { colName, colQty, colPrice, colDate, colFlag, colRate };

class TBenchController : public TcxDataController {
 public:
  TBenchController() : TcxDataController(nullptr) {
    for (TcxValueTypeClass t :
         {TcxStringValueType::Class(), TcxIntegerValueType::Class(), TcxCurrencyValueType::Class(),
          TcxDateTimeValueType::Class(), TcxBooleanValueType::Class(), TcxFloatValueType::Class()}) {
      FItems.push_back(std::make_unique<TObject>());
      AddItem(FItems.back().get())->SetValueTypeClass(t);
    }
    static const char* const surnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
    static const char* const given[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "洋", "勇", "军", "杰", "涛"};
    std::mt19937 rng(4711);
    const TDateTime start = EncodeDate(2023, 1, 1);
    BeginUpdate();
    for (Integer r = 0; r < RecordCount; ++r) {
      const Integer rec = AppendStorageRecord();
      TcxDataStorage* s = DataStorage();
      s->SetValueAt(rec, FieldOfItemIndex(colName)->ValueDef(),
                    String(surnames[rng() % 10]) + given[rng() % 12] + given[rng() % 12]);
      s->SetValueAt(rec, FieldOfItemIndex(colQty)->ValueDef(), Integer(rng() % 500));
      s->SetValueAt(rec, FieldOfItemIndex(colPrice)->ValueDef(), Variant::FromCurrencyRaw(Int64(rng() % 10000000)));
      s->SetValueAt(rec, FieldOfItemIndex(colDate)->ValueDef(),
                    Variant::FromDate(start + rng() % 730 + (rng() % 24) / 24.0));
      s->SetValueAt(rec, FieldOfItemIndex(colFlag)->ValueDef(), rng() % 2 == 0);
      if (rng() % 10 != 0) s->SetValueAt(rec, FieldOfItemIndex(colRate)->ValueDef(), (rng() % 100000) / 7.0);
    }
    EndUpdate();
  }
  ~TBenchController() override { Fields()->Clear(); }
  TObject* GetItem(Integer Index) const override { return FItems.at(size_t(Index)).get(); }

 private:
  std::vector<std::unique_ptr<TObject>> FItems;
};

void SortBy(benchmark::State& state, Integer AItem, Word AOptions) {
  TBenchController c;
  c.SetOptions(c.Options() | AOptions);
  bool descending = false;
  for (auto _ : state) {
    c.ChangeSorting(AItem, descending ? soDescending : soAscending);
    descending = !descending;
  }
  state.SetItemsProcessed(state.iterations() * RecordCount);
}

void BM_SortByInteger(benchmark::State& state) { SortBy(state, colQty, 0); }
void BM_SortByDate(benchmark::State& state) { SortBy(state, colDate, 0); }
void BM_SortByChineseText(benchmark::State& state) { SortBy(state, colName, dcoAnsiSort); }
BENCHMARK(BM_SortByInteger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByChineseText)->Unit(benchmark::kMillisecond);

void BM_FilterThreeConditions(benchmark::State& state) {
  TBenchController c;
  TcxDataFilterCriteria* f = c.Filter();
  f->SetOptions({fcoCaseInsensitive});
  f->AddCondition(f->Root(), c.GetItem(colName), focLike, "李%", "李%");
  f->AddCondition(f->Root(), c.GetItem(colPrice), focBetween,
                  VarArrayOf({Variant(Currency(100)), Variant(Currency(600))}), "100;600");
  f->AddCondition(f->Root(), c.GetItem(colDate), focGreaterEqual, Variant::FromDate(EncodeDate(2023, 7, 1)),
                  "2023-07-01");
  for (auto _ : state) {
    f->SetActive(true);
    state.PauseTiming();
    benchmark::DoNotOptimize(c.GetFilteredRecordCount());
    f->SetActive(false);
    state.ResumeTiming();
  }
  f->SetActive(true);
  state.counters["matched"] = c.GetFilteredRecordCount();
  state.SetItemsProcessed(state.iterations() * RecordCount);
}
BENCHMARK(BM_FilterThreeConditions)->Unit(benchmark::kMillisecond);

void BM_GroupTwoLevels(benchmark::State& state) {
  TBenchController c;
  for (auto _ : state) {
    c.BeginUpdate();
    c.ChangeGroupIndex(colFlag, 0);
    c.ChangeGroupIndex(colQty, 1);
    c.EndUpdate();
    state.PauseTiming();
    c.ClearGrouping();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * RecordCount);
}
BENCHMARK(BM_GroupTwoLevels)->Unit(benchmark::kMillisecond);

void BM_FooterSums(benchmark::State& state) {
  TBenchController c;
  TcxDataFooterSummaryItems* items = c.Summary()->FooterSummaryItems();
  c.Summary()->BeginUpdate();
  items->Add(c.GetItem(colQty), spFooter, skSum);
  items->Add(c.GetItem(colPrice), spFooter, skSum);
  items->Add(c.GetItem(colRate), spFooter, skSum);
  items->Add(c.GetItem(colRate), spFooter, skAverage);
  c.Summary()->EndUpdate();
  for (auto _ : state) {
    c.Summary()->CalculateFooter();
    benchmark::DoNotOptimize(c.Summary()->FooterSummaryValues());
  }
  state.counters["qty"] = c.Summary()->FooterSummaryValue(0).AsDouble();
  state.SetItemsProcessed(state.iterations() * RecordCount);
}
BENCHMARK(BM_FooterSums)->Unit(benchmark::kMillisecond);

}  // namespace
