// Filtering 100,000 stored records of six value types (text, integer,
// currency, date-time, Boolean, float) with a three-condition criteria: a
// case-insensitive LIKE on the text, a range on the currency and a date
// comparison, the way a data controller filters its storage.
#include <random>

#include "Currency.h"
#include "DateUtils.h"
#include "benchmark.h"
#include "cxDataStorage.h"
#include "cxFilter.h"

namespace {

constexpr Integer RecordCount = 100000;

struct TStoredTable {
  TcxDataStorage Storage;
  std::vector<TcxValueDef*> Defs;
  TStoredTable() {
    for (TcxValueTypeClass t :
         {TcxStringValueType::Class(), TcxIntegerValueType::Class(), TcxCurrencyValueType::Class(),
          TcxDateTimeValueType::Class(), TcxBooleanValueType::Class(), TcxFloatValueType::Class()})
      Defs.push_back(Storage.ValueDefs()->AddDef(t, true, false, nullptr));
    static const char* const names[] = {"Apple juice", "apricot", "Banana", "Cherry", "avocado oil",
                                        "\xE8\x8B\xB9\xE6\x9E\x9C", "Grape", "almond milk"};
    std::mt19937 rng(4711);
    const TDateTime start = EncodeDate(2023, 1, 1);
    Storage.SetRecordTotal(RecordCount);
    for (Integer r = 0; r < RecordCount; ++r) {
      Storage.SetValueAt(r, Defs[0], String(names[rng() % 8]) + " " + std::to_string(rng() % 1000));
      Storage.SetValueAt(r, Defs[1], Integer(rng() % 500));
      Storage.SetValueAt(r, Defs[2], Variant::FromCurrencyRaw(Int64(rng() % 10000000)));
      Storage.SetValueAt(r, Defs[3], Variant::FromDate(start + rng() % 730 + (rng() % 24) / 24.0));
      Storage.SetValueAt(r, Defs[4], rng() % 2 == 0);
      if (rng() % 10 != 0) Storage.SetValueAt(r, Defs[5], (rng() % 100000) / 7.0);
    }
  }
};

// The criteria reads its conditions' values straight from the storage; a
// link is the column's value def.
class TStorageCriteriaItem : public TcxFilterCriteriaItem {
  TOVANI_CLASS(TStorageCriteriaItem, TcxFilterCriteriaItem)
 public:
  Variant LinkValue(Integer ARecord) override;
};

class TStorageCriteria : public TcxFilterCriteria {
  TOVANI_CLASS(TStorageCriteria, TcxFilterCriteria)
 public:
  explicit TStorageCriteria(TcxDataStorage* AStorage) : Storage(AStorage) {}
  TClass ItemClass() const override { return TStorageCriteriaItem::StaticClass(); }
  TcxDataStorage* Storage;
};

Variant TStorageCriteriaItem::LinkValue(Integer ARecord) {
  return static_cast<TStorageCriteria*>(Criteria())->Storage->ValueAt(ARecord, static_cast<TcxValueDef*>(Link()));
}

TStoredTable& Table() {
  static TStoredTable table;
  return table;
}

void BM_FilterStoredRecords(benchmark::State& state) {
  TStoredTable& t = Table();
  TStorageCriteria criteria(&t.Storage);
  criteria.SetOptions({fcoCaseInsensitive});
  criteria.AddCondition(nullptr, t.Defs[0], focLike, "a%", "a%");
  criteria.AddCondition(nullptr, t.Defs[2], focBetween,
                        VarArrayOf({Variant(Currency(100)), Variant(Currency(600))}), "100;600");
  criteria.AddCondition(nullptr, t.Defs[3], focGreaterEqual, Variant::FromDate(EncodeDate(2023, 7, 1)),
                        "2023-07-01");
  Integer matched = 0;
  for (auto _ : state) {
    matched = 0;
    for (Integer r = 0; r < RecordCount; ++r)
      if (criteria.MatchesRecord(r)) ++matched;
    benchmark::DoNotOptimize(matched);
  }
  state.counters["matched"] = matched;
  state.SetItemsProcessed(state.iterations() * RecordCount);
}
BENCHMARK(BM_FilterStoredRecords)->Unit(benchmark::kMillisecond);

}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TStorageCriteriaItem, TcxFilterCriteriaItem)
TOVANI_IMPLEMENT_CLASS(TStorageCriteria, TcxFilterCriteria)
