// The list report: one data band of 40 rows a page over a real SQLite query
// read through the ADO dataset, a page header and a page footer with page
// numbers, and a group footer with a sum every 200 rows.
// - BM_PrepareListReport: 1,000 pages prepared; pages a second and the
//   process's memory (resident set at its peak and after the run) with the
//   size of the prepared report's XML.
// - BM_PrepareListReport_VsReportLab: 10,000 rows prepared, next to ReportLab
//   laying out the same rows into a PDF (bench/reportlab_list.py) in the same
//   run, in turn, with the ratio.
// - BM_PrintListReport_VsReportLab: 1,000 rows prepared and printed to the
//   CUPS PDF queue "TovaniPDF" (scripts/cups.sh) until the job is handed to
//   the spooler, next to ReportLab writing the same pages; pages a second and
//   the ratio.
// ReportLab is Debian's python3-reportlab; its time is its own measure
// (imports, query, layout, writing), without the interpreter's start.
//
//   wine build/bench/reportengine_bench.exe.so
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ADODB.h"
#include "Streams.h"
#include "Strings.h"
#include "benchmark.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "frxPreviewPages.h"
#include "frxPrinter.h"

namespace {

constexpr int kRows = 40000;

const std::string& DatabasePath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-reportengine-bench.mdb";
    std::remove(p.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE Products (P_ID INTEGER PRIMARY KEY, P_Class INT, P_NO TEXT(30), P_Name TEXT(50),"
                 " P_Price DOUBLE, P_Memo TEXT(100)); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Products VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    static const char* const names[] = {"钢笔", "铅笔", "墨水", "Notebook", "文件夹", "胶水", "剪刀", "尺子"};
    for (int i = 0; i < kRows; ++i) {
      std::string no = "P" + std::to_string(100000 + i);
      std::string name = std::string(names[i % 8]) + std::to_string(i);
      sqlite3_bind_int(st, 1, i + 1);
      sqlite3_bind_int(st, 2, i / 200);
      sqlite3_bind_text(st, 3, no.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 4, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(st, 5, (i % 500) / 4.0);
      sqlite3_bind_text(st, 6, "备注", -1, SQLITE_TRANSIENT);
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

// Resident memory of the process in kilobytes ("VmHWM" peak, "VmRSS" now).
double StatusKb(const char* Key) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  double kb = 0;
  const size_t n = std::strlen(Key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, Key, n) == 0 && line[n] == ':') kb = std::atof(line + n + 1);
  std::fclose(f);
  return kb;
}

TfrxMemoView* Memo(TfrxComponent* Band, const char* Name, const char* Text, double Left, double Width) {
  auto* m = new TfrxMemoView(Band);
  m->SetName(Name);
  m->SetBounds(Left, 2, Width, 20);
  m->SetTextUtf8(Text);
  return m;
}

// The list report over the first Rows products, with its connection and query.
struct TListReport {
  TADOConnection conn;
  TADOQuery query;
  TfrxReport report;
  TfrxDBDataset data;

  explicit TListReport(Integer Rows) {
    frxRegisterEngine();
    Build(Rows);
  }

  // Opens the query again and prepares the report; the prepared page count.
  Integer Prepare() {
    query.Close();
    query.Open();
    if (!report.PrepareReport()) return 0;
    return report.PreviewPages()->GetPageCount();
  }

 private:
  void Build(Integer Rows) {
    conn.SetLoginPrompt(false);
    conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabasePath());
    conn.Open();
    query.SetConnection(&conn);
    query.SQL()->SetText("SELECT P_ID, P_Class, P_NO, P_Name, P_Price FROM Products ORDER BY P_ID LIMIT " + std::to_string(Rows));

    report.EngineOptions()->NewSilentMode = simReThrow;
    data.SetName("Products");
    data.SetDataSet(&query);
    report.DataSets()->Add(&data);
    auto* page = new TfrxReportPage(&report);
    page->SetName("Page1");
    // 1046.9 units of printable height: header 40, footer 40, rows 24: 40 rows.
    auto* header = new TfrxPageHeader(page);
    header->SetName("PageHeader1");
    header->SetHeight(40);
    Memo(header, "Title", "商品清单 第[Page#]页", 0, 400);
    auto* group = new TfrxGroupHeader(page);
    group->SetName("GroupHeader1");
    group->SetTop(60);
    group->SetHeight(0);
    group->Condition = "Products.\"P_Class\"";
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetTop(100);
    band->SetHeight(24);
    band->SetDataSet(&data);
    Memo(band, "No", "[Products.\"P_NO\"]", 0, 120);
    Memo(band, "Name", "[Products.\"P_Name\"]", 130, 260);
    Memo(band, "Price", "[Products.\"P_Price\"]", 400, 120)->HAlign = haRight;
    Memo(band, "Line", "[Line#]", 530, 80);
    auto* gf = new TfrxGroupFooter(page);
    gf->SetName("GroupFooter1");
    gf->SetTop(150);
    gf->SetHeight(24);
    Memo(gf, "Sum", "小计 [SUM(<Products.\"P_Price\">,MasterData1)]", 400, 200);
    auto* footer = new TfrxPageFooter(page);
    footer->SetName("PageFooter1");
    footer->SetTop(300);
    footer->SetHeight(40);
    Memo(footer, "PageNo", "第[Page#]页", 0, 200);
  }
};

void BM_PrepareListReport(benchmark::State& state) {
  TListReport list(kRows);
  TfrxReport& report = list.report;
  Integer pages = 0;
  for (auto _ : state) {
    pages = list.Prepare();
    if (pages == 0) state.SkipWithError("the report was not prepared");
  }
  state.counters["pages"] = pages;
  state.counters["pages/s"] = benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["peak_MB"] = StatusKb("VmHWM") / 1024;
  state.counters["rss_MB"] = StatusKb("VmRSS") / 1024;
  TMemoryStream xml;
  report.PreviewPages()->SaveToStream(&xml);
  state.counters["fp3_MB"] = double(xml.Size()) / 1048576;
}
BENCHMARK(BM_PrepareListReport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// ReportLab laying out the first Rows products into a PDF: its own time in
// seconds, or a negative value when it could not run; Pages gets its page count.
double RunReportLab(Integer Rows, Integer& Pages) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string out = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-reportlab-bench.pdf";
  // Debian's interpreter, which has Debian's python3-reportlab.
  const std::string cmd = "/usr/bin/python3 " TOVANI_BENCH_DIR "/reportlab_list.py '" + DatabasePath() + "' " +
                          std::to_string(Rows) + " '" + out + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  int pages = 0;
  double seconds = -1;
  if (std::fscanf(p, "%d %lf", &pages, &seconds) != 2) seconds = -1;
  if (pclose(p) != 0) seconds = -1;
  Pages = pages;
  return seconds;
}

void ReportPair(benchmark::State& state, double Ours, double Anchor, Integer Pages) {
  const double n = double(state.iterations());
  state.counters["pages"] = Pages;
  state.counters["ours_s"] = Ours / n;
  state.counters["reportlab_s"] = Anchor / n;
  state.counters["ratio"] = Anchor > 0 ? Ours / Anchor : 0;
  state.counters["ours_pages/s"] = Ours > 0 ? Pages * n / Ours : 0;
}

// Preparing 10,000 rows against ReportLab laying out the same rows, in turn.
void BM_PrepareListReport_VsReportLab(benchmark::State& state) {
  constexpr Integer kPairRows = 10000;
  TListReport list(kPairRows);
  double ours = 0, anchor = 0;
  Integer pages = 0, anchorPages = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    pages = list.Prepare();
    auto t1 = Clock::now();
    const double a = RunReportLab(kPairRows, anchorPages);
    if (pages == 0) state.SkipWithError("the report was not prepared");
    if (a < 0) state.SkipWithError("ReportLab did not run (Debian package python3-reportlab)");
    ours += Seconds(t0, t1);
    anchor += a;
    state.SetIterationTime(Seconds(t0, t1) + std::max(a, 0.0));
  }
  ReportPair(state, ours, anchor, pages);
  state.counters["reportlab_pages"] = anchorPages;
}
BENCHMARK(BM_PrepareListReport_VsReportLab)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The 1,000-row list prepared and printed to the PDF queue against ReportLab
// writing the same rows as a PDF, in turn.
void BM_PrintListReport_VsReportLab(benchmark::State& state) {
  constexpr Integer kPrintRows = 1000;
  TListReport list(kPrintRows);
  TfrxPrintOptions* options = list.report.PrintOptions();
  options->ShowDialog = false;
  options->Printer = "TovaniPDF";
  list.report.ShowProgress = false;
  if (frxGetPrinters()->IndexOfPrinter(options->Printer) < 0) {
    state.SkipWithError("no printer TovaniPDF (scripts/cups.sh sets it up)");
    for (auto _ : state) {
    }
    return;
  }
  double ours = 0, anchor = 0;
  Integer pages = 0, anchorPages = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    pages = list.Prepare();
    const bool printed = pages > 0 && list.report.PreviewPages()->Print();
    auto t1 = Clock::now();
    const double a = RunReportLab(kPrintRows, anchorPages);
    if (!printed) state.SkipWithError("the report was not printed");
    if (a < 0) state.SkipWithError("ReportLab did not run (Debian package python3-reportlab)");
    ours += Seconds(t0, t1);
    anchor += a;
    state.SetIterationTime(Seconds(t0, t1) + std::max(a, 0.0));
  }
  ReportPair(state, ours, anchor, pages);
  state.counters["reportlab_pages"] = anchorPages;
}
BENCHMARK(BM_PrintListReport_VsReportLab)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
