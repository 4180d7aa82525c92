// The list report: one data band of 40 rows a page over a real SQLite query
// read through the ADO dataset, a page header and a page footer with page
// numbers, and a group footer with a sum every 200 rows.
// - BM_PrepareListReport: 1,000 pages prepared; pages a second and the
//   process's memory (resident set at its peak and after the run) with the
//   size of the prepared report's XML.
// - BM_PrepareListReport_VsReportLab: 10,000 and 40,000 rows prepared, next
//   to ReportLab laying out the same rows into a PDF (bench/reportlab_list.py)
//   in the same run, in turn, with the ratio; the memory the prepared pages
//   hold (heap in use after the preparation less before it, per page), and
//   the peak resident memory of each process (ours from the preparation's
//   start; run the benchmark alone for a peak not raised by the others).
// - BM_PrintListReport_VsReportLab: 1,000 rows prepared and printed to the
//   CUPS PDF queue "TovaniPDF" (scripts/cups.sh) until the job is handed to
//   the spooler, next to ReportLab writing the same pages; pages a second and
//   the ratio.
// - BM_PrintSaleOrder_VsReportLab: the program's one-page sales order
//   (app/reports/SaleOrder.xml, ten order lines) prepared and printed to the
//   same queue, next to ReportLab writing the same page
//   (bench/reportlab_saleorder.py).
// ReportLab is Debian's python3-reportlab; its time is its own measure
// (imports, query, layout, writing), without the interpreter's start.
//
//   wine build/bench/reportengine_bench.exe.so
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
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

// Bytes the C heap has handed out and not taken back.
double HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return double(m.uordblks) + double(m.hblkhd);
}

// Resets the process's peak resident memory ("VmHWM") to what it uses now.
void ResetPeakMemory() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
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

// What a ReportLab anchor reported: its pages, its own time in seconds
// (negative when it could not run) and its peak resident memory.
struct TAnchorRun {
  Integer Pages = 0;
  double Seconds = -1;
  double PeakKb = 0;
};

// Runs a ReportLab script of this folder with Args (Debian's interpreter,
// which has Debian's python3-reportlab).
TAnchorRun RunReportLab(const std::string& Script, const std::string& Args) {
  const std::string cmd = "/usr/bin/python3 " TOVANI_BENCH_DIR "/" + Script + " " + Args + " 2>/dev/null";
  TAnchorRun run;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return run;
  int pages = 0;
  double seconds = -1, peak = 0;
  if (std::fscanf(p, "%d %lf %lf", &pages, &seconds, &peak) != 3) seconds = -1;
  if (pclose(p) != 0) seconds = -1;
  run.Pages = pages;
  run.Seconds = seconds;
  run.PeakKb = peak;
  return run;
}

std::string TempPath(const char* Name) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/" + Name;
}

// ReportLab laying out the first Rows products into a PDF.
TAnchorRun RunReportLab(Integer Rows) {
  return RunReportLab("reportlab_list.py", "'" + DatabasePath() + "' " + std::to_string(Rows) + " '" +
                                               TempPath("tovani-reportlab-bench.pdf") + "'");
}

void ReportPair(benchmark::State& state, double Ours, double Anchor, Integer Pages) {
  const double n = double(state.iterations());
  state.counters["pages"] = Pages;
  state.counters["ours_s"] = Ours / n;
  state.counters["reportlab_s"] = Anchor / n;
  state.counters["ratio"] = Anchor > 0 ? Ours / Anchor : 0;
  state.counters["ours_pages/s"] = Ours > 0 ? Pages * n / Ours : 0;
}

// Preparing the rows against ReportLab laying out the same rows, in turn.
void BM_PrepareListReport_VsReportLab(benchmark::State& state) {
  const Integer rows = Integer(state.range(0));
  TListReport list(rows);
  double ours = 0, anchor = 0, oursPeakKb = 0, anchorPeakKb = 0, heldBytes = 0;
  Integer pages = 0, anchorPages = 0;
  for (auto _ : state) {
    // The prepared pages of the run before are freed first, so that the
    // peak is this preparation's.
    list.report.PreviewPages()->Clear();
    ResetPeakMemory();
    const double heapBefore = HeapInUse();
    auto t0 = Clock::now();
    pages = list.Prepare();
    auto t1 = Clock::now();
    heldBytes = HeapInUse() - heapBefore;
    oursPeakKb = std::max(oursPeakKb, StatusKb("VmHWM"));
    const TAnchorRun a = RunReportLab(rows);
    if (pages == 0) state.SkipWithError("the report was not prepared");
    if (a.Seconds < 0) state.SkipWithError("ReportLab did not run (Debian package python3-reportlab)");
    ours += Seconds(t0, t1);
    anchor += a.Seconds;
    anchorPeakKb = std::max(anchorPeakKb, a.PeakKb);
    anchorPages = a.Pages;
    state.SetIterationTime(Seconds(t0, t1) + std::max(a.Seconds, 0.0));
  }
  ReportPair(state, ours, anchor, pages);
  state.counters["reportlab_pages"] = anchorPages;
  state.counters["pages_MB"] = heldBytes / 1048576;
  state.counters["page_KB"] = pages > 0 ? heldBytes / 1024 / pages : 0;
  state.counters["ours_peak_MB"] = oursPeakKb / 1024;
  state.counters["reportlab_peak_MB"] = anchorPeakKb / 1024;
}
BENCHMARK(BM_PrepareListReport_VsReportLab)
    ->Arg(10000)
    ->Arg(kRows)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

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
    const TAnchorRun a = RunReportLab(kPrintRows);
    if (!printed) state.SkipWithError("the report was not printed");
    if (a.Seconds < 0) state.SkipWithError("ReportLab did not run (Debian package python3-reportlab)");
    ours += Seconds(t0, t1);
    anchor += a.Seconds;
    anchorPages = a.Pages;
    state.SetIterationTime(Seconds(t0, t1) + std::max(a.Seconds, 0.0));
  }
  ReportPair(state, ours, anchor, pages);
  state.counters["reportlab_pages"] = anchorPages;
}
BENCHMARK(BM_PrintListReport_VsReportLab)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The sales order's own database: one order with ten lines.
const std::string& SaleOrderDatabasePath() {
  static const std::string path = [] {
    std::string p = TempPath("tovani-saleorder-bench.mdb");
    std::remove(p.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE SaleOrders (O_ID INTEGER PRIMARY KEY, O_NO TEXT(30), O_OrderDate DATETIME,"
                 " C_Name TEXT(50), C_Addr TEXT(100), C_Tel TEXT(30), C_Fax TEXT(30));"
                 "INSERT INTO SaleOrders VALUES (1, 'XS20261211001', '2026-12-11 00:00:00', '华东文具贸易有限公司',"
                 " '上海市浦东新区世纪大道100号', '021-5888 1234', '021-5888 1235');"
                 "CREATE TABLE SaleLines (OD_ID INTEGER PRIMARY KEY, P_NO TEXT(30), P_Name TEXT(50), P_Unit TEXT(10),"
                 " OD_Price DOUBLE, OD_Qty DOUBLE, OD_JE DOUBLE, OD_Memo TEXT(100)); BEGIN;",
                 nullptr, nullptr, nullptr);
    static const char* const names[] = {"钢笔", "铅笔", "墨水", "笔记本", "文件夹", "胶水", "剪刀", "尺子", "橡皮", "订书机"};
    static const char* const units[] = {"支", "支", "瓶", "本", "个", "瓶", "把", "把", "块", "台"};
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO SaleLines VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    for (int i = 0; i < 10; ++i) {
      const std::string no = "P" + std::to_string(100001 + i);
      const double price = 2.5 + i * 3.25, qty = 10 + i * 5;
      sqlite3_bind_int(st, 1, i + 1);
      sqlite3_bind_text(st, 2, no.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(st, 3, names[i], -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 4, units[i], -1, SQLITE_STATIC);
      sqlite3_bind_double(st, 5, price);
      sqlite3_bind_double(st, 6, qty);
      sqlite3_bind_double(st, 7, price * qty);
      sqlite3_bind_text(st, 8, i % 3 == 0 ? "加急" : "", -1, SQLITE_STATIC);
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

// The program's sales order template over its two datasets, bound as the
// sales window binds them.
struct TSaleOrderReport {
  TADOConnection conn;
  TADOQuery order, lines;
  TfrxReport report;
  TfrxDBDataset orderData, lineData;
  bool Loaded = false;

  TSaleOrderReport() {
    frxRegisterEngine();
    conn.SetLoginPrompt(false);
    conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + SaleOrderDatabasePath());
    conn.Open();
    order.SetConnection(&conn);
    order.SQL()->SetText("SELECT O_NO, O_OrderDate, C_Name, C_Addr, C_Tel, C_Fax FROM SaleOrders");
    lines.SetConnection(&conn);
    lines.SQL()->SetText(
        "SELECT P_NO, P_Name, P_Unit, OD_Price, OD_Qty, OD_JE, OD_Memo FROM SaleLines ORDER BY OD_ID");
    orderData.SetName("frxDBDataset1");
    orderData.SetDataSet(&order);
    lineData.SetName("frxDBDataset2");
    lineData.SetDataSet(&lines);
    std::ifstream in(TOVANI_BENCH_DIR "/../app/reports/SaleOrder.xml", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().empty()) return;
    report.EngineOptions()->UseGlobalDataSetList = false;
    TStringStream stream(text.str());
    report.LoadFromStream(&stream);
    report.EngineOptions()->DestroyForms = false;
    report.EngineOptions()->NewSilentMode = simReThrow;
    report.DataSets()->Clear();
    report.DataSets()->Add(&orderData);
    report.DataSets()->Add(&lineData);
    TList* all = report.AllObjects();
    for (Integer i = 0; i < all->Count(); ++i) {
      auto* c = static_cast<TfrxComponent*>(all->Items(i));
      if (c->Is<TfrxDataBand>()) {
        auto* band = static_cast<TfrxDataBand*>(c);
        band->SetDataSetName(band->DataSetName());
      }
    }
    Loaded = report.Errors()->Count() == 0;
  }

  // Prepares the order and prints it; the printed page count (0 on failure).
  Integer Print() {
    order.Close();
    order.Open();
    lines.Close();
    lines.Open();
    if (!report.PrepareReport()) return 0;
    const Integer pages = report.PreviewPages()->GetPageCount();
    return report.PreviewPages()->Print() ? pages : 0;
  }
};

// The one-page sales order prepared and printed to the PDF queue against
// ReportLab writing the same page, in turn.
void BM_PrintSaleOrder_VsReportLab(benchmark::State& state) {
  TSaleOrderReport sale;
  TfrxPrintOptions* options = sale.report.PrintOptions();
  options->ShowDialog = false;
  options->Printer = "TovaniPDF";
  sale.report.ShowProgress = false;
  if (!sale.Loaded || frxGetPrinters()->IndexOfPrinter(options->Printer) < 0) {
    state.SkipWithError(sale.Loaded ? "no printer TovaniPDF (scripts/cups.sh sets it up)"
                                    : "the sales order template did not load");
    for (auto _ : state) {
    }
    return;
  }
  double ours = 0, anchor = 0;
  Integer pages = 0, anchorPages = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    pages = sale.Print();
    auto t1 = Clock::now();
    const TAnchorRun a = RunReportLab("reportlab_saleorder.py", "'" + SaleOrderDatabasePath() + "' '" +
                                                                    TempPath("tovani-reportlab-saleorder.pdf") + "'");
    if (pages == 0) state.SkipWithError("the sales order was not printed");
    if (a.Seconds < 0) state.SkipWithError("ReportLab did not run (Debian package python3-reportlab)");
    ours += Seconds(t0, t1);
    anchor += a.Seconds;
    anchorPages = a.Pages;
    state.SetIterationTime(Seconds(t0, t1) + std::max(a.Seconds, 0.0));
  }
  ReportPair(state, ours, anchor, pages);
  state.counters["reportlab_pages"] = anchorPages;
}
BENCHMARK(BM_PrintSaleOrder_VsReportLab)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
