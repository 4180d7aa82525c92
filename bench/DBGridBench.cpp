// The data grid over a 100,000-row query of a SQLite file. Each case is
// measured next to its anchor, the query's own Open of the same rows, in
// the same run; the counters give ours / anchor (processor and wall time):
//   OpenAndShow  open the query under a shown grid and paint its first screen;
//   PageDown     10 pages down, each painted;
//   ToEnd        from the first record to the last, painted;
//   FooterSums   the sum list summing, averaging and counting every row for
//                three footers, then the footer row painted.
// Each must stay well under a second; the grid's part (ours less the
// anchor) is what the grid adds to the dataset's own work.
//
//   wine build/bench/dbgrid_bench.exe.so --benchmark_repetitions=3
// (with DISPLAY set to an X server, e.g. an Xvfb).
#include <sqlite3.h>
#include <time.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "ADODB.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "benchmark.h"

namespace {

const std::string kQuery = "select O_ID, P_Name, OD_Qty, OD_Price, OD_JE, O_Date from Orders_d order by O_ID";

// 100,000 order lines in the temporary folder, made once.
const std::string& DatabasePath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbgrid-bench.mdb";
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
    for (int i = 0; i < 100000; ++i) {
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
    return p;
  }();
  return path;
}

struct Took {
  double Cpu = 0, Wall = 0;
};

template <class F>
Took Timed(F&& f) {
  timespec c0, c1;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
  auto w0 = std::chrono::steady_clock::now();
  f();
  auto w1 = std::chrono::steady_clock::now();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
  return Took{double(c1.tv_sec - c0.tv_sec) + double(c1.tv_nsec - c0.tv_nsec) * 1e-9,
              std::chrono::duration<double>(w1 - w0).count()};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A shown form with a grid, a data source and the query on one connection.
struct Fixture {
  TADOConnection Conn;
  TADOQuery Query;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;

  Fixture() {
    Conn.SetLoginPrompt(false);
    Conn.SetConnectionString("Data Source=" + DatabasePath());
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
  }
  ~Fixture() {
    Form.reset();
    Query.Close();
  }
  void Paint() {
    Grid->Invalidate();
    UpdateWindow(Grid->Handle());
  }
  // The anchor: the dataset's own open of the same rows (closed again
  // untimed, with no grid bound).
  Took OpenAlone() {
    TADOQuery q;
    q.SetConnection(&Conn);
    q.SQL()->SetText(kQuery);
    Took t = Timed([&] { q.Open(); });
    q.Close();
    return t;
  }
};

// Runs ours and the anchor in turn each iteration and reports both ratios.
template <class Ours>
void RunAgainstOpen(benchmark::State& state, Fixture& fx, Ours&& ours) {
  std::vector<double> oc, ow, ac, aw;
  bool anchorFirst = true;
  for (auto _ : state) {
    Took a, o;
    if (anchorFirst) {
      a = fx.OpenAlone();
      o = ours();
    } else {
      o = ours();
      a = fx.OpenAlone();
    }
    anchorFirst = !anchorFirst;
    state.SetIterationTime(o.Wall);
    oc.push_back(o.Cpu), ow.push_back(o.Wall), ac.push_back(a.Cpu), aw.push_back(a.Wall);
  }
  state.counters["ours_ms"] = Median(ow) * 1e3;
  state.counters["open_ms"] = Median(aw) * 1e3;
  state.counters["ratio"] = Median(oc) / Median(ac);
  state.counters["ratio_wall"] = Median(ow) / Median(aw);
}

void BM_OpenAndShow(benchmark::State& state) {
  Fixture fx;
  RunAgainstOpen(state, fx, [&] {
    fx.Query.Close();
    fx.Paint();
    return Timed([&] {
      fx.Query.Open();
      fx.Paint();
    });
  });
}
BENCHMARK(BM_OpenAndShow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

void BM_PageDown(benchmark::State& state) {
  Fixture fx;
  fx.Query.Open();
  fx.Paint();
  RunAgainstOpen(state, fx, [&] {
    fx.Query.First();
    fx.Paint();
    Integer page = std::max<Integer>(1, fx.Grid->VisibleRowCount());
    return Timed([&] {
      for (int i = 0; i < 10; ++i) {
        fx.Query.MoveBy(page);
        UpdateWindow(fx.Grid->Handle());
      }
    });
  });
}
BENCHMARK(BM_PageDown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

void BM_ToEnd(benchmark::State& state) {
  Fixture fx;
  fx.Query.Open();
  fx.Paint();
  RunAgainstOpen(state, fx, [&] {
    fx.Query.First();
    fx.Paint();
    Took t = Timed([&] {
      fx.Query.Last();
      UpdateWindow(fx.Grid->Handle());
    });
    if (!fx.Query.Eof()) state.SkipWithError("the last record was not reached");
    return t;
  });
}
BENCHMARK(BM_ToEnd)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

void BM_FooterSums(benchmark::State& state) {
  Fixture fx;
  fx.Query.Open();
  fx.Grid->SetFooterRowCount(1);
  fx.Grid->ColumnByFieldName("OD_Qty")->Footer()->SetValueType(fvtSum);
  fx.Grid->ColumnByFieldName("OD_JE")->Footer()->SetValueType(fvtAvg);
  fx.Grid->ColumnByFieldName("P_Name")->Footer()->SetValueType(fvtCount);
  fx.Paint();
  String sum;
  RunAgainstOpen(state, fx, [&] {
    fx.Grid->SumList()->Deactivate(true);
    return Timed([&] {
      fx.Grid->SumList()->SetActive(true);
      UpdateWindow(fx.Grid->Handle());
      sum = fx.Grid->GetFooterValue(0, fx.Grid->ColumnByFieldName("OD_Qty"));
    });
  });
  // 1 + i % 13 over 100,000 rows.
  if (sum != "699982") state.SkipWithError(("wrong sum " + sum).c_str());
}
BENCHMARK(BM_FooterSums)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

}   // namespace
