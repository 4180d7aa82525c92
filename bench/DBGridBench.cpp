// The data grid over a query of a SQLite file of 10,000 or 100,000 order
// lines. Each case is measured next to its anchor in the same run, the two
// sides in turn (which one goes first alternates); the counters give ours /
// anchor by the thread's processor time ("ratio") and by the wall clock
// ("ratio_wall"):
//   OpenAndShow  open the query under a shown grid and paint its first
//                screen, against the query's own open of the same rows;
//   PageDown     10 pages down, each painted, against plain sqlite3 fetching
//                the same 10 pages of rows (every shown column read as text);
//                "page_cpu_ms" is our processor time per page;
//   ToEnd        from the first record to the last, painted, against plain
//                sqlite3 counting the rows and fetching the last page;
//   FooterSums   the sum list summing, averaging and counting every row for
//                three footers and the footer row painted, against plain
//                sqlite3 computing the same three aggregates;
//   FilterRow    a name typed into the filter row applied (the query's local
//                filter) and the grid painted, against plain sqlite3
//                selecting the rows whose name is like the text.
// The processor time leaves out what the Wine server and the X server do
// for us; the wall clock counts it but also the machine's other work.
//
//   wine build/bench/dbgrid_bench.exe.so --benchmark_repetitions=3
// (with DISPLAY set to an X server, e.g. an Xvfb).
#include <sqlite3.h>
#include <time.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "ADODB.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "PairTiming.h"
#include "benchmark.h"

namespace {

const char* const kColumns = "O_ID, P_Name, OD_Qty, OD_Price, OD_JE, O_Date";
const std::string kQuery = std::string("select ") + kColumns + " from Orders_d order by O_ID";

// Order lines in the temporary folder, one database per row count, made once.
const std::string& DatabasePath(int rows) {
  static std::map<int, std::string> paths;
  auto found = paths.find(rows);
  if (found != paths.end()) return found->second;
  const char* tmp = std::getenv("TMPDIR");
  std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbgrid-bench-" + std::to_string(rows) + ".mdb";
  std::remove(p.c_str());
  sqlite3* db = nullptr;
  sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  sqlite3_exec(db,
               "CREATE TABLE Orders_d (O_ID INTEGER PRIMARY KEY, P_Name TEXT(50), OD_Qty INT,"
               " OD_Price CURRENCY, OD_JE CURRENCY, O_Date DATETIME);"
               "BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Orders_d VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
  static const char* const names[] = {"钢笔", "铅笔", "墨水", "笔记本", "文件夹", "胶水", "剪刀", "尺子"};
  for (int i = 0; i < rows; ++i) {
    sqlite3_bind_int(st, 1, i + 1);
    sqlite3_bind_text(st, 2, names[i % 8], -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, 1 + i % 13);
    sqlite3_bind_double(st, 4, (i % 500) / 4.0);
    sqlite3_bind_double(st, 5, (i % 500) / 4.0 * (1 + i % 13));
    char date[32];
    std::snprintf(date, sizeof date, "2024-%02d-%02d 00:00:00", 1 + i % 12, 1 + i % 28);
    sqlite3_bind_text(st, 6, date, -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return paths[rows] = p;
}


// A shown form with a grid, a data source and the query on one connection;
// beside them the anchor's own sqlite3 connection to the same file.
struct Fixture {
  TADOConnection Conn;
  TADOQuery Query;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
  sqlite3* Db = nullptr;
  long Rows;

  explicit Fixture(int rows) : Rows(rows) {
    Conn.SetLoginPrompt(false);
    Conn.SetConnectionString("Data Source=" + DatabasePath(rows));
    Conn.Open();
    Query.SetConnection(&Conn);
    Query.SQL()->SetText(kQuery);
    Source.SetDataSet(&Query);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(20, 20, 820, 620);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 800, 580);
    Grid->Font()->SetName("宋体");
    Grid->Font()->SetHeight(-12);
    Grid->SetDataSource(&Source);
    Form->Show();
    Paint();
    sqlite3_open_v2(DatabasePath(rows).c_str(), &Db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  }
  ~Fixture() {
    Form.reset();
    Query.Close();
    sqlite3_close(Db);
  }
  void Paint() {
    Grid->Invalidate();
    UpdateWindow(Grid->Handle());
  }
  // The anchor of OpenAndShow: the dataset's own open of the same rows
  // (closed again untimed, with no grid bound).
  Took OpenAlone() {
    TADOQuery q;
    q.SetConnection(&Conn);
    q.SQL()->SetText(kQuery);
    Took t = Timed([&] { q.Open(); });
    q.Close();
    return t;
  }
  // Runs a statement with its parameters bound and reads every column of
  // every row as the grid shows it: as text. Answers the rows read.
  long Fetch(const std::string& sql, std::initializer_list<std::string> params = {}) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(Db, sql.c_str(), -1, &st, nullptr);
    int i = 0;
    for (const std::string& p : params) sqlite3_bind_text(st, ++i, p.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::string> texts;
    long rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      int n = sqlite3_column_count(st);
      for (int c = 0; c < n; ++c)
        if (const unsigned char* t = sqlite3_column_text(st, c))
          texts.emplace_back(reinterpret_cast<const char*>(t), size_t(sqlite3_column_bytes(st, c)));
      ++rows;
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(texts.data());
    return rows;
  }
};

// Runs ours and the anchor in turn each iteration and reports both ratios.
template <class Anchor, class Ours>
void RunPair(benchmark::State& state, Anchor&& anchor, Ours&& ours) {
  std::vector<double> oc, ow, ac, aw;
  bool anchorFirst = true;
  for (auto _ : state) {
    Took a, o;
    if (anchorFirst) {
      a = anchor();
      o = ours();
    } else {
      o = ours();
      a = anchor();
    }
    anchorFirst = !anchorFirst;
    state.SetIterationTime(o.Cpu);
    oc.push_back(o.Cpu), ow.push_back(o.Wall), ac.push_back(a.Cpu), aw.push_back(a.Wall);
  }
  state.counters["ours_cpu_ms"] = Median(oc) * 1e3;
  state.counters["anchor_cpu_ms"] = Median(ac) * 1e3;
  state.counters["ratio"] = Median(oc) / Median(ac);
  state.counters["ratio_wall"] = Median(ow) / Median(aw);
}

void BM_OpenAndShow(benchmark::State& state) {
  Fixture fx(int(state.range(0)));
  RunPair(
      state, [&] { return fx.OpenAlone(); },
      [&] {
        fx.Query.Close();
        fx.Paint();
        return Timed([&] {
          fx.Query.Open();
          fx.Paint();
        });
      });
}

const int kPages = 10;

void BM_PageDown(benchmark::State& state) {
  Fixture fx(int(state.range(0)));
  fx.Query.Open();
  fx.Paint();
  Integer page = std::max<Integer>(1, fx.Grid->VisibleRowCount());
  std::string sql = std::string("select ") + kColumns + " from Orders_d order by O_ID limit ? offset ?";
  long fetched = 0;
  RunPair(
      state,
      // The same pages fetched with SQL: the rows shown after each move.
      [&] {
        return Timed([&] {
          fetched = 0;
          for (int i = 1; i <= kPages; ++i)
            fetched += fx.Fetch(sql, {std::to_string(page), std::to_string(i * page)});
        });
      },
      [&] {
        fx.Query.First();
        fx.Paint();
        return Timed([&] {
          for (int i = 0; i < kPages; ++i) {
            fx.Query.MoveBy(page);
            UpdateWindow(fx.Grid->Handle());
          }
        });
      });
  state.counters["page_cpu_ms"] = state.counters["ours_cpu_ms"] / kPages;
  if (fetched != long(kPages) * page) state.SkipWithError("the anchor fetched other rows than the pages");
  if (fx.Query.RecNo() != 1 + kPages * page) state.SkipWithError("the grid did not page down");
}

void BM_ToEnd(benchmark::State& state) {
  Fixture fx(int(state.range(0)));
  fx.Query.Open();
  fx.Paint();
  Integer page = std::max<Integer>(1, fx.Grid->VisibleRowCount());
  std::string sql = std::string("select ") + kColumns + " from Orders_d order by O_ID limit ? offset ?";
  long fetched = 0;
  RunPair(
      state,
      // Where the end is, then the last page.
      [&] {
        return Timed([&] {
          sqlite3_stmt* st = nullptr;
          sqlite3_prepare_v2(fx.Db, "select count(*) from Orders_d", -1, &st, nullptr);
          sqlite3_step(st);
          long count = sqlite3_column_int64(st, 0);
          sqlite3_finalize(st);
          fetched = fx.Fetch(sql, {std::to_string(page), std::to_string(std::max<long>(0, count - page))});
        });
      },
      [&] {
        fx.Query.First();
        fx.Paint();
        return Timed([&] {
          fx.Query.Last();
          UpdateWindow(fx.Grid->Handle());
        });
      });
  if (!fx.Query.Eof()) state.SkipWithError("the last record was not reached");
  if (fetched != page) state.SkipWithError("the anchor fetched no full page");
}

void BM_FooterSums(benchmark::State& state) {
  Fixture fx(int(state.range(0)));
  fx.Query.Open();
  fx.Grid->SetFooterRowCount(1);
  fx.Grid->ColumnByFieldName("OD_Qty")->Footer()->SetValueType(fvtSum);
  fx.Grid->ColumnByFieldName("OD_JE")->Footer()->SetValueType(fvtAvg);
  fx.Grid->ColumnByFieldName("P_Name")->Footer()->SetValueType(fvtCount);
  fx.Paint();
  String sum;
  std::string anchorSum;
  RunPair(
      state,
      [&] {
        return Timed([&] {
          sqlite3_stmt* st = nullptr;
          sqlite3_prepare_v2(fx.Db, "select sum(OD_Qty), avg(OD_JE), count(P_Name) from Orders_d", -1, &st, nullptr);
          sqlite3_step(st);
          anchorSum = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
          benchmark::DoNotOptimize(sqlite3_column_double(st, 1));
          benchmark::DoNotOptimize(sqlite3_column_int64(st, 2));
          sqlite3_finalize(st);
        });
      },
      [&] {
        fx.Grid->SumList()->Deactivate(true);
        return Timed([&] {
          fx.Grid->SumList()->SetActive(true);
          UpdateWindow(fx.Grid->Handle());
          sum = fx.Grid->GetFooterValue(0, fx.Grid->ColumnByFieldName("OD_Qty"));
        });
      });
  if (sum != anchorSum) state.SkipWithError(("the sums differ: " + sum + " against " + anchorSum).c_str());
}

void BM_FilterRow(benchmark::State& state) {
  Fixture fx(int(state.range(0)));
  fx.Grid->STFilter()->SetLocal(true);
  fx.Grid->STFilter()->SetVisible(true);
  fx.Query.Open();
  fx.Paint();
  TColumnEh* name = fx.Grid->ColumnByFieldName("P_Name");
  std::string sql = std::string("select ") + kColumns + " from Orders_d where P_Name like ? order by O_ID";
  // Two names in turn, so that every run changes the filter; a typed text
  // filters by likeness (LIKE), each name keeping an eighth of the rows.
  const char* const texts[] = {"钢笔", "墨水"};
  int anchorTurn = 0, ourTurn = 0;
  long anchorRows = 0, ourRows = 0;
  RunPair(
      state,
      [&] {
        const char* t = texts[anchorTurn++ % 2];
        return Timed([&] { anchorRows = fx.Fetch(sql, {t}); });
      },
      [&] {
        const char* t = texts[ourTurn++ % 2];
        Took took = Timed([&] {
          name->STFilter()->SetEnteredText(t);
          fx.Grid->ApplyFilterNow();
          UpdateWindow(fx.Grid->Handle());
        });
        ourRows = fx.Query.RecordCount();
        return took;
      });
  if (anchorRows != ourRows)
    state.SkipWithError(("the two sides found different rows: " + std::to_string(ourRows) + " against " +
                         std::to_string(anchorRows)).c_str());
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6)->Arg(10000)->Arg(100000);
}
BENCHMARK(BM_OpenAndShow)->Apply(Sizes);
BENCHMARK(BM_PageDown)->Apply(Sizes);
BENCHMARK(BM_ToEnd)->Apply(Sizes);
BENCHMARK(BM_FooterSums)->Apply(Sizes);
BENCHMARK(BM_FilterRow)->Apply(Sizes);

}   // namespace
