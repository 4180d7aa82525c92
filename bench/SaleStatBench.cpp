// The statistics window's query over a data.mdb of 100,000 orders of 1,000
// customers over one year (a tenth of them returns), as "统计" runs it:
// open the ADO dataset with the built query (Jet SQL translated, every row
// read into memory) and sum O_JE over the listed orders as the footer does.
// Next to it, in turn in the same run, the anchor: plain sqlite3 preparing
// the translated SQL and stepping through every column of every row, keeping
// them, with the same sum; the counters print ours / anchor ("ratio" by
// processor time, "ratio_wall" by the wall clock).
//   /0   one month of orders, every customer and kind (about 8,500)
//   /1   the whole year: every order (100,000)
//   /2   one customer's returns of the year
// The target: well under a second for every one of them.
//
//   wine build/bench/salestat_bench.exe.so
#include <sqlite3.h>
#include <time.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>
#include <variant>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include "ADODB.h"
#include "DatabaseFile.h"
#include "DateUtils.h"
#include "JetSQL.h"
#include "SysUtils.h"
#include "PairTiming.h"
#include "benchmark.h"
#include "uSaleData.h"

namespace {

const TDateTime kFirstDay = EncodeDate(2025, 1, 1);

// The program's own database with the orders, made once.
const std::string& DatabasePath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-salestat-bench.mdb";
    std::remove(p.c_str());
    EnsureDatabaseFile(p);
    sqlite3* db = nullptr;
    sqlite3_open(p.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Customers (C_NO, C_Name) VALUES (?, ?)", -1, &st, nullptr);
    for (int c = 1; c <= 1000; ++c) {
      std::string no = "C" + std::to_string(c), name = "客户" + std::to_string(c);
      sqlite3_bind_text(st, 1, no.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db,
                       "INSERT INTO Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_IsBack, O_Enabled, O_JE) "
                       "VALUES (?, ?, ?, ?, 1, ?, 1, ?)",
                       -1, &st, nullptr);
    for (int i = 1; i <= 100000; ++i) {
      TDateTime day = kFirstDay + (i * 7) % 365;
      std::string no = std::string(FormatDateTime("yyyymmdd", day)) + std::to_string(10000 + i);
      std::string date = DateTimeToISO(day);
      sqlite3_bind_int(st, 1, i);
      sqlite3_bind_text(st, 2, no.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 3, date.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(st, 4, 1 + (i * 7919) % 1000);
      sqlite3_bind_int(st, 5, i % 10 == 0);
      sqlite3_bind_double(st, 6, (i % 997) * 1.25);
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

String Query(int64_t kind) {
  if (kind == 0) return SaleStatQuery(true, kFirstDay + 31, true, kFirstDay + 61, Variant::Null(), 0);
  if (kind == 1) return SaleStatQuery(true, kFirstDay, true, kFirstDay + 365, Variant::Null(), 0);
  return SaleStatQuery(true, kFirstDay, true, kFirstDay + 365, Variant(11), 2);
}


// The window's side: the ADO dataset opened with the built query and the
// footer's sum over its records.
Took RunOurs(TADOConnection& conn, const String& sql, int64_t& rows, double& total) {
  return Timed([&] {
    TADODataSet ds;
    ds.SetConnection(&conn);
    ds.SetCursorType(ctStatic);
    ds.SetCommandText(sql);
    ds.Open();
    Currency sum;
    TField* je = ds.FieldByName("O_JE");
    for (ds.First(); !ds.Eof(); ds.Next()) sum += je->AsCurrency();
    total = sum.ToDouble();
    rows = ds.RecordCount();
  });
}

// The anchor: plain sqlite3 preparing the translated SQL and stepping
// through every column of every row, keeping the rows as the dataset keeps
// them for the window (the same work on both sides), with the same sum.
Took RunAnchor(sqlite3* db, const String& sql, int64_t& rows, double& total) {
  return Timed([&] {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    int cols = sqlite3_column_count(st);
    int je = -1;
    for (int c = 0; c < cols; ++c)
      if (std::string(sqlite3_column_name(st, c)) == "O_JE") je = c;
    double sum = 0;
    rows = 0;
    std::vector<std::vector<std::variant<double, std::string>>> kept;
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<std::variant<double, std::string>> row;
      row.reserve(size_t(cols));
      for (int c = 0; c < cols; ++c) {
        if (sqlite3_column_type(st, c) == SQLITE_TEXT)
          row.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                       size_t(sqlite3_column_bytes(st, c))));
        else
          row.emplace_back(sqlite3_column_double(st, c));
      }
      if (je >= 0) sum += sqlite3_column_double(st, je);
      kept.push_back(std::move(row));
      ++rows;
    }
    sqlite3_finalize(st);
    total = sum;
    benchmark::DoNotOptimize(kept.data());
  });
}

// Both sides in turn each iteration (which one goes first alternates); the
// counters give ours / anchor by processor time ("ratio") and wall clock.
void BM_StatQuery(benchmark::State& state) {
  TADOConnection conn;
  conn.SetLoginPrompt(false);
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabasePath());
  conn.Open();
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  String sql = Query(state.range(0));
  String translated = TranslateJetSQL(sql);
  int64_t ourRows = 0, anchorRows = 0;
  double ourSum = 0, anchorSum = 0;
  std::vector<double> oc, ow, ac, aw;
  bool anchorFirst = true;
  for (auto _ : state) {
    Took a, o;
    if (anchorFirst) {
      a = RunAnchor(db, translated, anchorRows, anchorSum);
      o = RunOurs(conn, sql, ourRows, ourSum);
    } else {
      o = RunOurs(conn, sql, ourRows, ourSum);
      a = RunAnchor(db, translated, anchorRows, anchorSum);
    }
    anchorFirst = !anchorFirst;
    state.SetIterationTime(o.Cpu);
    oc.push_back(o.Cpu), ow.push_back(o.Wall), ac.push_back(a.Cpu), aw.push_back(a.Wall);
  }
  sqlite3_close(db);
  state.counters["rows"] = double(ourRows);
  state.counters["ours_cpu_ms"] = Median(oc) * 1e3;
  state.counters["anchor_cpu_ms"] = Median(ac) * 1e3;
  state.counters["ratio"] = Median(oc) / Median(ac);
  state.counters["ratio_wall"] = Median(ow) / Median(aw);
  if (ourRows != anchorRows) state.SkipWithError("the two sides read different rows");
  if (std::abs(ourSum - anchorSum) > 0.01 + 1e-9 * std::abs(anchorSum))
    state.SkipWithError("the two sides summed differently");
}

}  // namespace

BENCHMARK(BM_StatQuery)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);
