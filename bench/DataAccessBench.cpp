// The ADO datasets over SQLite, each measured next to an anchor doing the
// same work in the same run; the pairs print their ratio (ours / anchor):
//   ReadAll      open a 100,000-row, 8-column query and read every field of
//                every record, against a plain sqlite3 prepare/step/column
//                loop that reads (and keeps) the same columns, over a
//                connection opened as ours are (without SQLite's connection
//                mutex: with it the anchor would pay a lock per call that
//                our side does not);
//   UpdateBatch  write 10,000 appended rows with UpdateBatch, against one
//                transaction running one prepared INSERT per row;
//   AppendAndUpdateBatch  the same with the appends (field by field) timed too.
// The two sides of a pair run in turn in every iteration and are timed by
// the thread's processor time (a busy machine makes wall time say little);
// BM_Ratios prints the ratios over all repetitions (median and minimum).
// Besides: Sort and Filter over the 100,000 rows, deleting 8,000 records of
// datasets of growing size (the time per delete must stay flat), and the
// Jet SQL translation of growing texts (linear).
//
//   wine build/bench/dataaccess_bench.exe.so --benchmark_repetitions=5
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
#include "JetSQL.h"
#include "MemDataSet.h"
#include "Strings.h"
#include "PairTiming.h"
#include "benchmark.h"

namespace {

const char* const kColumns = "O_ID, P_ID, OD_Price, OD_Qty, OD_JE, OD_Memo, P_Name, O_Date";
const std::string kQuery = std::string("select ") + kColumns + " from Orders_d where O_ID >= 0";

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

// The times of each side of a pair over all runs (all repetitions).
struct PairTimes {
  std::vector<double> OursCpu, AnchorCpu, OursWall, AnchorWall;
};
std::map<std::string, PairTimes>& Times() {
  static std::map<std::string, PairTimes> m;
  return m;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Runs a pair: each iteration runs the anchor and our side one after the
// other (in turn first), so that both meet the same conditions. `anchor`
// and `ours` answer the Took of the work they timed (set-up left out). The
// iteration time reported is ours (processor time); the counters give the
// ratios ours / anchor of the medians of this run.
template <class Anchor, class Ours>
void RunPair(benchmark::State& state, const std::string& key, Anchor&& anchor, Ours&& ours) {
  PairTimes run;
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
    run.OursCpu.push_back(o.Cpu);
    run.AnchorCpu.push_back(a.Cpu);
    run.OursWall.push_back(o.Wall);
    run.AnchorWall.push_back(a.Wall);
  }
  state.counters["anchor_ms"] = Median(run.AnchorCpu) * 1e3;
  state.counters["ratio"] = Median(run.OursCpu) / Median(run.AnchorCpu);
  state.counters["ratio_wall"] = Median(run.OursWall) / Median(run.AnchorWall);
  PairTimes& all = Times()[key];
  auto append = [](std::vector<double>& to, const std::vector<double>& from) {
    to.insert(to.end(), from.begin(), from.end());
  };
  append(all.OursCpu, run.OursCpu);
  append(all.AnchorCpu, run.AnchorCpu);
  append(all.OursWall, run.OursWall);
  append(all.AnchorWall, run.AnchorWall);
}

// ---------------------------------------------------------------------------
// Reading every field.

// The anchor's connection is opened in the mode TADOConnection opens its
// (each used by one thread only, without SQLite's own locking), so that
// both sides do the same work.
void BM_ReadAll(benchmark::State& state) {
  auto conn = Connect();
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  long anchorRows = 0, ourRows = 0;
  RunPair(
      state, "ReadAll",
      // Reads every column of every row the way a program without datasets
      // would, keeping the texts (a dataset keeps its records too).
      [&] {
        return Timed([&] {
          sqlite3_stmt* st = nullptr;
          sqlite3_prepare_v2(db, kQuery.c_str(), -1, &st, nullptr);
          std::vector<std::string> texts;
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
          anchorRows = rows;
        });
      },
      // Opens the query and reads every field of every record through field
      // pointers, by the field's own type.
      [&] {
        return Timed([&] {
          TADOQuery q;
          q.SetConnection(conn.get());
          q.SQL()->SetText(kQuery);
          q.Open();
          TField* id = q.FieldByName("O_ID");
          TField* pid = q.FieldByName("P_ID");
          TField* price = q.FieldByName("OD_Price");
          TField* qty = q.FieldByName("OD_Qty");
          TField* je = q.FieldByName("OD_JE");
          TField* memo = q.FieldByName("OD_Memo");
          TField* name = q.FieldByName("P_Name");
          TField* date = q.FieldByName("O_Date");
          std::vector<std::string> texts;
          double sum = 0;
          long rows = 0;
          for (q.First(); !q.Eof(); q.Next()) {
            sum += id->AsInteger() + pid->AsInteger() + qty->AsFloat() + date->AsDateTime();
            sum += double(price->AsCurrency().Raw() + je->AsCurrency().Raw());
            if (!memo->IsNull()) texts.push_back(memo->AsString());
            texts.push_back(name->AsString());
            ++rows;
          }
          benchmark::DoNotOptimize(sum);
          benchmark::DoNotOptimize(texts.data());
          ourRows = rows;
        });
      });
  state.counters["rows"] = double(ourRows);
  if (anchorRows != ourRows) state.SkipWithError("the two sides read different rows");
  sqlite3_close(db);
}
BENCHMARK(BM_ReadAll)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// ---------------------------------------------------------------------------
// Writing 10,000 new rows.

const int kNewRows = 10000;

// Appends the rows field by field (batch mode keeps them in memory).
void AppendRows(TADODataSet& ds) {
  TField* f[5] = {ds.FieldByName("O_ID"), ds.FieldByName("P_ID"), ds.FieldByName("OD_Price"),
                  ds.FieldByName("OD_Qty"), ds.FieldByName("OD_Memo")};
  for (int i = 0; i < kNewRows; ++i) {
    ds.Append();
    f[0]->SetAsInteger(-1 - i % 5);
    f[1]->SetAsInteger(i);
    f[2]->SetAsFloat(1.25);
    f[3]->SetAsFloat(2);
    f[4]->SetAsString("批量");
    ds.Post();
  }
}

std::unique_ptr<TADODataSet> NewRowsDataSet(TADOConnection* conn) {
  conn->Execute("delete from Orders_d where O_ID < 0");
  auto ds = std::make_unique<TADODataSet>();
  ds->SetConnection(conn);
  ds->SetLockType(ltBatchOptimistic);
  ds->SetCommandText("select * from Orders_d where O_ID = -1");
  ds->Open();
  return ds;
}

// The same rows as AppendRows: one transaction, one prepared INSERT.
Took PlainInserts(sqlite3* db) {
  sqlite3_exec(db, "delete from Orders_d where O_ID < 0", nullptr, nullptr, nullptr);
  return Timed([&] {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Orders_d (O_ID, P_ID, OD_Price, OD_Qty, OD_Memo) VALUES (?, ?, ?, ?, ?)", -1,
                       &st, nullptr);
    for (int i = 0; i < kNewRows; ++i) {
      sqlite3_bind_int64(st, 1, -1 - i % 5);
      sqlite3_bind_int64(st, 2, i);
      sqlite3_bind_double(st, 3, 1.25);
      sqlite3_bind_double(st, 4, 2);
      sqlite3_bind_text(st, 5, "批量", -1, SQLITE_TRANSIENT);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  });
}

// Writes the appended rows (appending untimed).
void BM_UpdateBatch(benchmark::State& state) {
  auto conn = Connect();
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  RunPair(
      state, "UpdateBatch", [&] { return PlainInserts(db); },
      [&] {
        auto ds = NewRowsDataSet(conn.get());
        AppendRows(*ds);
        return Timed([&] { ds->UpdateBatch(arAll); });
      });
  sqlite3_exec(db, "delete from Orders_d where O_ID < 0", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}
BENCHMARK(BM_UpdateBatch)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Appends the rows field by field and writes them, all timed.
void BM_AppendAndUpdateBatch(benchmark::State& state) {
  auto conn = Connect();
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  RunPair(
      state, "AppendAndUpdateBatch", [&] { return PlainInserts(db); },
      [&] {
        auto ds = NewRowsDataSet(conn.get());
        return Timed([&] {
          AppendRows(*ds);
          ds->UpdateBatch(arAll);
        });
      });
  sqlite3_exec(db, "delete from Orders_d where O_ID < 0", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}
BENCHMARK(BM_AppendAndUpdateBatch)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// The ratios ours / anchor over every run of the pairs so far (all
// repetitions): of the medians and of the minimums, by processor time.
void BM_Ratios(benchmark::State& state) {
  for (auto _ : state) {}
  for (auto& [name, t] : Times()) {
    if (t.OursCpu.empty()) continue;
    state.counters[name + "_median"] = Median(t.OursCpu) / Median(t.AnchorCpu);
    state.counters[name + "_min"] = Min(t.OursCpu) / Min(t.AnchorCpu);
    state.counters[name + "_ms"] = Median(t.OursCpu) * 1e3;
    state.counters[name + "_anchor_ms"] = Median(t.AnchorCpu) * 1e3;
  }
}
BENCHMARK(BM_Ratios)->Iterations(1);

// ---------------------------------------------------------------------------
// Other work over the records.

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

// Deletes 8,000 records, evenly spread, of an in-memory dataset of
// state.range(0) records: the time must not grow with the dataset.
void BM_Delete8000(benchmark::State& state) {
  const int n = int(state.range(0));
  const int k = 8000;
  std::unique_ptr<TMemDataSet> ds;
  for (auto _ : state) {
    state.PauseTiming();
    ds = std::make_unique<TMemDataSet>();   // the previous one is freed untimed
    ds->FieldDefs().Add("ID", ftInteger);
    ds->FieldDefs().Add("Name", ftWideString, 20);
    ds->CreateDataSet();
    for (int i = 0; i < n; ++i) ds->AppendRecord({Variant(i), Variant("n")});
    ds->First();
    state.ResumeTiming();
    int step = n / k - 1;
    for (int i = 0; i < k; ++i) {
      ds->MoveBy(step);
      ds->Delete();
    }
    state.PauseTiming();
    state.counters["left"] = double(ds->RecordCount());
    state.ResumeTiming();
  }
  ds.reset();
  state.SetComplexityN(n);
}
BENCHMARK(BM_Delete8000)->Unit(benchmark::kMillisecond)->Arg(25000)->Arg(50000)->Arg(100000)->Arg(200000)
    ->Iterations(2)->Complexity();

// Translates a Jet SELECT of state.range(0) bytes full of "+" after calls.
void BM_TranslateJetSQL(benchmark::State& state) {
  std::string sql = "select ";
  while (sql.size() < size_t(state.range(0)))
    sql += "CStr(Len(Mid(a, 1, 2))) + ';' + Left(b, (3)) + c + ";
  sql += "'end' from T where d = #2024-01-05#";
  for (auto _ : state) benchmark::DoNotOptimize(TranslateJetSQL(sql));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sql.size()));
}
BENCHMARK(BM_TranslateJetSQL)->Unit(benchmark::kMillisecond)->Arg(1 << 14)->Arg(1 << 16)->Arg(170 << 10)
    ->Complexity();

}  // namespace
