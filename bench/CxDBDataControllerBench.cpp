// The data controller over a dataset, each measured next to its anchor in
// the same run, with the ratio printed as a counter:
// - sorting 100,000 records by a Chinese text column (collation keys built
//   inside the timed region) against ICU sort keys + std::sort of the same
//   texts from the same unsorted order;
// - loading a 100,000-row SQLite query into the controller (open + load)
//   against plain sqlite3 reading and keeping the same rows, the two in
//   turn;
// - grid mode: a 100-row window over the same 100,000 rows scrolled past its
//   edge, which must not walk the dataset.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "ADODB.h"
#include "CxDataSortAnchorIcu.h"
#include "Strings.h"
#include "benchmark.h"
#include "cxData.h"
#include "cxDBData.h"

namespace {

constexpr Integer RecordCount = 100000;
using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double MinOf(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

std::vector<std::string> ChineseNames() {
  static const char* const surnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
  static const char* const given[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "洋", "勇", "军", "杰", "涛"};
  std::mt19937 rng(4711);
  std::vector<std::string> names;
  names.reserve(RecordCount);
  for (Integer r = 0; r < RecordCount; ++r)
    names.push_back(std::string(surnames[rng() % 10]) + given[rng() % 12] + given[rng() % 12]);
  return names;
}

class TSortController : public TcxDataController {
 public:
  explicit TSortController(const std::vector<std::string>& ANames) : TcxDataController(nullptr) {
    for (TcxValueTypeClass t : {TcxStringValueType::Class(), TcxIntegerValueType::Class()}) {
      FItems.push_back(std::make_unique<TObject>());
      AddItem(FItems.back().get())->SetValueTypeClass(t);
    }
    SetOptions(Options() | dcoAnsiSort);
    BeginUpdate();
    for (Integer r = 0; r < Integer(ANames.size()); ++r) {
      const Integer rec = AppendStorageRecord();
      DataStorage()->SetValueAt(rec, FieldOfItemIndex(0)->ValueDef(), Variant(ANames[size_t(r)]));
      DataStorage()->SetValueAt(rec, FieldOfItemIndex(1)->ValueDef(), Variant(r));
    }
    EndUpdate();
  }
  ~TSortController() override { Fields()->Clear(); }
  TObject* GetItem(Integer Index) const override { return FItems.at(size_t(Index)).get(); }

 private:
  std::vector<std::unique_ptr<TObject>> FItems;
};

void BM_SortChineseText_VsIcuAnchor(benchmark::State& state) {
  const std::vector<std::string> names = ChineseNames();
  TSortController c(names);
  double ours = 0, anchor = 0;
  for (auto _ : state) {
    // Both sides start from the storage order.
    c.ClearSorting(false);
    auto t0 = Clock::now();
    c.ChangeSorting(0, soAscending);
    auto t1 = Clock::now();
    std::vector<int> order = IcuSortOrder(names);
    auto t2 = Clock::now();
    benchmark::DoNotOptimize(order.data());
    ours += Millis(t0, t1);
    anchor += Millis(t1, t2);
    state.SetIterationTime((Millis(t0, t1) + Millis(t1, t2)) / 1000.0);
    // Same order on both sides.
    if (c.GetRowInfo(0).RecordIndex != order.front() || c.GetRowInfo(RecordCount - 1).RecordIndex != order.back())
      state.SkipWithError("the controller's order differs from the anchor's");
  }
  const double n = double(state.iterations());
  state.counters["ours_ms"] = ours / n;
  state.counters["anchor_ms"] = anchor / n;
  state.counters["ratio"] = ours / anchor;
}
BENCHMARK(BM_SortChineseText_VsIcuAnchor)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5)
    ->Repetitions(5)
    ->ComputeStatistics("min", MinOf);

// A database of 100,000 customers in the temporary folder, made once.
const std::string& DatabasePath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxdbdata-bench.mdb";
    std::remove(p.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE Customers (C_ID INTEGER PRIMARY KEY, C_NO TEXT(20), C_Name TEXT(50), C_Qty INT,"
                 " C_Price CURRENCY, C_Date DATETIME); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Customers VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    const std::vector<std::string> names = ChineseNames();
    for (int i = 0; i < RecordCount; ++i) {
      sqlite3_bind_int(st, 1, i + 1);
      const std::string no = "C" + std::to_string(100000 + i);
      sqlite3_bind_text(st, 2, no.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 3, names[size_t(i)].c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(st, 4, i % 500);
      sqlite3_bind_double(st, 5, (i % 1000) / 4.0);
      char date[32];
      std::snprintf(date, sizeof date, "2024-%02d-%02d 00:00:00", 1 + i % 12, 1 + i % 28);
      sqlite3_bind_text(st, 6, date, -1, SQLITE_TRANSIENT);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return p;
  }();
  return path;
}

std::unique_ptr<TADOConnection> Connect() {
  auto conn = std::make_unique<TADOConnection>();
  conn->SetLoginPrompt(false);
  conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabasePath());
  conn->Open();
  return conn;
}

std::unique_ptr<TADOQuery> CustomersQuery(TADOConnection* AConn) {
  auto q = std::make_unique<TADOQuery>();
  q->SetConnection(AConn);
  q->SQL()->SetText("SELECT C_ID, C_NO, C_Name, C_Qty, C_Price, C_Date FROM Customers");
  return q;
}

class TDBController : public TcxDBDataController {
 public:
  TDBController() : TcxDBDataController(nullptr) {
    for (const char* name : {"C_ID", "C_NO", "C_Name", "C_Qty", "C_Price", "C_Date"}) {
      FItems.push_back(std::make_unique<TObject>());
      AddItem(FItems.back().get());
      ChangeFieldName(GetItemCount() - 1, name);
    }
  }
  ~TDBController() override {
    SetDataSource(nullptr);
    Fields()->Clear();
  }
  TObject* GetItem(Integer Index) const override { return FItems.at(size_t(Index)).get(); }
  void AfterLoadStorage() override {
    ++Loads;
    TcxDBDataController::AfterLoadStorage();
  }
  Integer Loads = 0;

 private:
  std::vector<std::unique_ptr<TObject>> FItems;
};

// The anchor of the full load: plain sqlite3 stepping through the same
// query and keeping every value of every row in memory, as the controller
// keeps them. Answers the rows read.
long LoadWithSqlite(sqlite3* db, std::vector<std::vector<Variant>>& kept) {
  kept.clear();
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT C_ID, C_NO, C_Name, C_Qty, C_Price, C_Date FROM Customers", -1, &st, nullptr);
  const int cols = sqlite3_column_count(st);
  while (sqlite3_step(st) == SQLITE_ROW) {
    std::vector<Variant> row;
    row.reserve(size_t(cols));
    for (int c = 0; c < cols; ++c) {
      switch (sqlite3_column_type(st, c)) {
        case SQLITE_INTEGER: row.emplace_back(Integer(sqlite3_column_int(st, c))); break;
        case SQLITE_FLOAT: row.emplace_back(sqlite3_column_double(st, c)); break;
        case SQLITE_TEXT:
          row.emplace_back(String(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                  size_t(sqlite3_column_bytes(st, c))));
          break;
        default: row.emplace_back(Variant::Null()); break;
      }
    }
    kept.push_back(std::move(row));
  }
  sqlite3_finalize(st);
  return long(kept.size());
}

// Opening a query bound to the controller (the controller loads every
// record as the query opens) against plain sqlite3 reading and keeping the
// same rows; the two sides in turn, which one first alternating.
void BM_FullLoad_VsSqliteLoad(benchmark::State& state) {
  auto conn = Connect();
  auto bound = CustomersQuery(conn.get());
  TDataSource source;
  source.SetDataSet(bound.get());
  TDBController c;
  c.SetKeyFieldNames("C_ID");
  c.SetDataSource(&source);
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  std::vector<std::vector<Variant>> kept;
  std::vector<double> ours, anchor;
  long anchorRows = 0;
  bool anchorFirst = true;
  for (auto _ : state) {
    bound->Close();
    double o = 0, a = 0;
    auto runAnchor = [&] {
      auto t0 = Clock::now();
      anchorRows = LoadWithSqlite(db, kept);
      a = Millis(t0, Clock::now());
    };
    auto runOurs = [&] {
      auto t0 = Clock::now();
      bound->Open();
      o = Millis(t0, Clock::now());
    };
    if (anchorFirst) runAnchor(), runOurs();
    else runOurs(), runAnchor();
    anchorFirst = !anchorFirst;
    if (c.GetRecordCount() != RecordCount) state.SkipWithError("not every record was loaded");
    ours.push_back(o);
    anchor.push_back(a);
    state.SetIterationTime(o / 1000.0);
  }
  sqlite3_close(db);
  std::sort(ours.begin(), ours.end());
  std::sort(anchor.begin(), anchor.end());
  state.counters["ours_ms"] = ours[ours.size() / 2];
  state.counters["anchor_ms"] = anchor[anchor.size() / 2];
  state.counters["ratio"] = ours[ours.size() / 2] / anchor[anchor.size() / 2];
  state.counters["loads_per_open"] = double(c.Loads) / double(state.iterations() + 1);
  if (anchorRows != RecordCount) state.SkipWithError("the anchor read other rows");
}
BENCHMARK(BM_FullLoad_VsSqliteLoad)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(4)
    ->Repetitions(5)
    ->ComputeStatistics("min", MinOf);

// One scroll of the window past its bottom edge: the controller keeps 100
// records whatever the size of the dataset.
void BM_GridModeScrollPastEdge(benchmark::State& state) {
  auto conn = Connect();
  auto q = CustomersQuery(conn.get());
  q->Open();
  TDataSource source;
  source.SetDataSet(q.get());
  TDBController c;
  c.DataModeController()->SetGridMode(true);
  c.SetDataSource(&source);
  q->MoveBy(99);
  for (auto _ : state) {
    c.Provider()->ScrollBy(1);
    if (q->Eof()) {
      state.PauseTiming();
      q->First();
      q->MoveBy(99);
      state.ResumeTiming();
    }
  }
  state.counters["records_held"] = c.GetRecordCount();
  state.counters["dataset_rows"] = q->RecordCount();
}
BENCHMARK(BM_GridModeScrollPastEdge)->Unit(benchmark::kMicrosecond);

}  // namespace
