// The ADO datasets over SQLite. Opening a 100,000-row query is measured next
// to a plain sqlite3 step loop that reads the same columns, so the cost of
// the dataset (record cache, type conversion) shows as the ratio of the two;
// it should stay below two.
#include <sqlite3.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include "ADODB.h"
#include "benchmark.h"

namespace {

const char* const kQuery = "select * from Orders_d";

// A database of 100,000 order lines in the temporary folder, made once.
const std::string& DatabasePath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dataaccess-bench.mdb";
    std::remove(p.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE Orders_d (O_ID INT, P_ID INT, OD_Price CURRENCY, OD_Qty DOUBLE, OD_JE CURRENCY,"
                 " OD_Memo TEXT(255), P_NO TEXT(30), P_Name TEXT(50), O_Date DATETIME);"
                 "BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Orders_d VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    static const char* const names[] = {"钢笔", "铅笔", "墨水", "Notebook", "文件夹", "胶水", "剪刀", "尺子"};
    for (int i = 0; i < 100000; ++i) {
      sqlite3_bind_int(st, 1, i / 4);
      sqlite3_bind_int(st, 2, (i * 7919) % 1000);
      sqlite3_bind_double(st, 3, (i % 500) / 4.0);
      sqlite3_bind_double(st, 4, i % 13);
      sqlite3_bind_double(st, 5, (i % 500) / 4.0 * (i % 13));
      std::string memo = (i % 3) ? "line " + std::to_string(i) : std::string();
      if (memo.empty()) sqlite3_bind_null(st, 6);
      else sqlite3_bind_text(st, 6, memo.c_str(), -1, SQLITE_TRANSIENT);
      std::string no = "P" + std::to_string((i * 7919) % 1000);
      sqlite3_bind_text(st, 7, no.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 8, names[i % 8], -1, SQLITE_STATIC);
      char date[32];
      std::snprintf(date, sizeof date, "2024-%02d-%02d 00:00:00", 1 + i % 12, 1 + i % 28);
      sqlite3_bind_text(st, 9, date, -1, SQLITE_TRANSIENT);
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
  conn->SetConnectionString("Data Source=" + DatabasePath());
  conn->Open();
  return conn;
}

// Reads every column of every row the way a program without datasets would.
void BM_PlainSqliteLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &st, nullptr);
    std::vector<std::string> texts;
    texts.reserve(300000);
    double sum = 0;
    long rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      int n = sqlite3_column_count(st);
      for (int c = 0; c < n; ++c) {
        switch (sqlite3_column_type(st, c)) {
          case SQLITE_INTEGER: sum += double(sqlite3_column_int64(st, c)); break;
          case SQLITE_FLOAT: sum += sqlite3_column_double(st, c); break;
          case SQLITE_TEXT:
            texts.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                               size_t(sqlite3_column_bytes(st, c)));
            break;
          default: break;
        }
      }
      ++rows;
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(texts.data());
    state.counters["rows"] = double(rows);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_PlainSqliteLoop)->Unit(benchmark::kMillisecond);

void BM_OpenQuery(benchmark::State& state) {
  auto conn = Connect();
  for (auto _ : state) {
    TADODataSet ds;
    ds.SetConnection(conn.get());
    ds.SetCommandText(kQuery);
    ds.Open();
    state.counters["rows"] = double(ds.RecordCount());
  }
}
BENCHMARK(BM_OpenQuery)->Unit(benchmark::kMillisecond);

void BM_SortRows(benchmark::State& state) {
  auto conn = Connect();
  TADODataSet ds;
  ds.SetConnection(conn.get());
  ds.SetCommandText(kQuery);
  ds.Open();
  bool flip = false;
  for (auto _ : state) {
    ds.SetSort(flip ? "[P_Name], [OD_JE] DESC" : "[OD_Price] DESC, [O_Date]");
    flip = !flip;
  }
}
BENCHMARK(BM_SortRows)->Unit(benchmark::kMillisecond);

void BM_FilterRows(benchmark::State& state) {
  auto conn = Connect();
  TADODataSet ds;
  ds.SetConnection(conn.get());
  ds.SetCommandText(kQuery);
  ds.Open();
  ds.SetFiltered(true);
  bool flip = false;
  for (auto _ : state) {
    ds.SetFilter(flip ? "[P_Name] Like '*笔' AND [OD_Qty] >= 3" : "([OD_Price] > 50 OR [OD_Memo] IS NULL) AND [P_ID] <> 7");
    flip = !flip;
    state.counters["rows"] = double(ds.RecordCount());
  }
}
BENCHMARK(BM_FilterRows)->Unit(benchmark::kMillisecond);

void BM_UpdateBatch10000Inserts(benchmark::State& state) {
  auto conn = Connect();
  for (auto _ : state) {
    state.PauseTiming();
    conn->Execute("delete from Orders_d where O_ID < 0");
    TADODataSet ds;
    ds.SetConnection(conn.get());
    ds.SetLockType(ltBatchOptimistic);
    ds.SetCommandText("select * from Orders_d where O_ID = -1");
    ds.Open();
    for (int i = 0; i < 10000; ++i) {
      ds.Append();
      ds.Fields()[0]->SetAsInteger(-1 - i % 5);
      ds.Fields()[1]->SetAsInteger(i);
      ds.Fields()[2]->SetAsFloat(1.25);
      ds.Fields()[3]->SetAsFloat(2);
      ds.Fields()[5]->SetAsString("批量");
      ds.Post();
    }
    state.ResumeTiming();
    ds.UpdateBatch(arAll);
  }
  conn->Execute("delete from Orders_d where O_ID < 0");
}
BENCHMARK(BM_UpdateBatch10000Inserts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
