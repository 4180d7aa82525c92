// Memo text layout time against the length of the text: one paragraph of
// 10,000, 20,000 and 40,000 characters (Chinese and Latin words) in a memo
// 400 units wide. Each iteration runs our side and its anchor, the system's
// own word wrapping (DrawTextW with DT_WORDBREAK | DT_CALCRECT) of the same
// text in the same font and width; the counters give each side's time per
// thousand characters and the ratio (ours / anchor). Linear layout keeps the
// time per thousand characters and the ratio flat across the three lengths;
// the fitted complexity (oN) and its RMS say the same.
//   BM_MemoLayout   the memo's height (one layout of the whole text)
//   BM_MemoPrepare  a report whose band holds the memo, prepared over pages
//   BM_MemoLoad     those prepared pages saved and loaded again
//
// Each size runs a fixed number of iterations in one call.
//
//   wine build/bench/memolayout_bench.exe.so --benchmark_repetitions=3
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

#include "Streams.h"
#include "Utf8.h"
#include "benchmark.h"
#include "frxClass.h"
#include "frxPreviewPages.h"

namespace {

WideString MakeText(int Length) {
  static const char16_t* const words[] = {u"订单", u"Order ", u"客户名称", u"delivery ", u"数量与单价, ",
                                          u"备注内容。", u"ABC-123 ", u"付款方式 "};
  WideString s;
  for (int i = 0; Integer(s.size()) < Length; ++i) s += words[i % 8];
  s.resize(size_t(Length));
  return s;
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// The anchor: the system lays out the same text in the same font and width.
// (A run rebuilds the report's objects from a copy of the template: the memo
// is looked up again after every run.)
double AnchorSeconds(const WideString& Text, TfrxMemoView* Memo) {
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(Memo->Font()->Size(), 96, 72);
  std::u16string face = Utf8ToUtf16(Memo->Font()->Name());
  face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), reinterpret_cast<char16_t*>(lf.lfFaceName));
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, LONG(Memo->Width() * 96 / 96), 0};
  const auto t0 = Clock::now();
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(Text.data()), int(Text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  const auto t1 = Clock::now();
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  benchmark::DoNotOptimize(r.bottom);
  return Seconds(t0, t1);
}

// One report for the whole run, its memo given each text in turn: the
// engine is registered before the report is made, as a report takes the
// engine there is when it is created.
struct TMemoReport {
  std::unique_ptr<TfrxReport> Report;
  TfrxMemoView* Memo = nullptr;
  TMemoReport() {
    frxRegisterEngine();
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    auto* page = new TfrxReportPage(Report.get());
    page->SetName("Page1");
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetTop(100);
    band->SetHeight(20);
    band->SetRowCount(1);
    band->Stretched = true;
    band->AllowSplit = true;
    Memo = new TfrxMemoView(band);
    Memo->SetName("Memo1");
    Memo->SetBounds(0, 0, 400, 20);
    Memo->SetStretchMode(smActualHeight);
    // A layout larger than any measured, untimed: the C heap hands out
    // large blocks by mapping fresh pages until a block of that size has been
    // freed once, and every first touch of a page costs a fault. Without this
    // the first size to cross that threshold pays for it in every iteration.
    Memo->SetText(MakeText(80000));
    benchmark::DoNotOptimize(Memo->CalcHeight());
  }
};

TMemoReport& MemoReport(const WideString& Text) {
  static TMemoReport report;
  report.Memo = static_cast<TfrxMemoView*>(report.Report->FindObject("Memo1"));
  report.Memo->SetHeight(20);
  report.Memo->SetText(Text);
  return report;
}

void Report(benchmark::State& State, double Ours, double Anchor, int Length) {
  const double n = double(State.iterations());
  State.counters["ours_ms_per_kchar"] = Ours / n * 1000 / (Length / 1000.0);
  State.counters["anchor_ms_per_kchar"] = Anchor / n * 1000 / (Length / 1000.0);
  State.counters["ratio"] = Anchor > 0 ? Ours / Anchor : 0;
  State.SetComplexityN(Length);
}

void BM_MemoLayout(benchmark::State& State) {
  const int length = int(State.range(0));
  const WideString text = MakeText(length);
  TMemoReport& r = MemoReport(text);
  double ours = 0, anchor = 0;
  for (auto _ : State) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(r.Memo->CalcHeight());
    const auto t1 = Clock::now();
    ours += Seconds(t0, t1);
    anchor += AnchorSeconds(text, r.Memo);
    State.SetIterationTime(Seconds(t0, t1));
  }
  Report(State, ours, anchor, length);
}

void BM_MemoPrepare(benchmark::State& State) {
  const int length = int(State.range(0));
  const WideString text = MakeText(length);
  TMemoReport& r = MemoReport(text);
  double ours = 0, anchor = 0;
  Integer pages = 0;
  for (auto _ : State) {
    const auto t0 = Clock::now();
    if (!r.Report->PrepareReport()) {
      State.SkipWithError(r.Report->Errors()->Text().c_str());
      break;
    }
    const auto t1 = Clock::now();
    pages = r.Report->PreviewPages()->GetPageCount();
    r.Memo = static_cast<TfrxMemoView*>(r.Report->FindObject("Memo1"));
    ours += Seconds(t0, t1);
    anchor += AnchorSeconds(text, r.Memo);
    State.SetIterationTime(Seconds(t0, t1));
  }
  State.counters["pages"] = pages;
  Report(State, ours, anchor, length);
}

void BM_MemoLoad(benchmark::State& State) {
  const int length = int(State.range(0));
  const WideString text = MakeText(length);
  TMemoReport& r = MemoReport(text);
  if (!r.Report->PrepareReport()) {
    State.SkipWithError(r.Report->Errors()->Text().c_str());
    return;
  }
  r.Memo = static_cast<TfrxMemoView*>(r.Report->FindObject("Memo1"));
  TMemoryStream saved;
  r.Report->PreviewPages()->SaveToStream(&saved);
  double ours = 0, anchor = 0;
  for (auto _ : State) {
    saved.SetPosition(0);
    const auto t0 = Clock::now();
    r.Report->PreviewPages()->LoadFromStream(&saved);
    const auto t1 = Clock::now();
    ours += Seconds(t0, t1);
    anchor += AnchorSeconds(text, r.Memo);
    State.SetIterationTime(Seconds(t0, t1));
  }
  Report(State, ours, anchor, length);
}

double Minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

BENCHMARK(BM_MemoLayout)->Iterations(20)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)->UseManualTime()
    ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Minimum);
BENCHMARK(BM_MemoPrepare)->Iterations(5)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)->UseManualTime()
    ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Minimum);
BENCHMARK(BM_MemoLoad)->Iterations(5)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)->UseManualTime()
    ->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Minimum);
