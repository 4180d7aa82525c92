// Loading and writing a large form the way windows are built from their
// form files: text to components (parse, create by class, set published
// properties, resolve references) and components back to text.
#include "FormFile.h"
#include "Classes.h"
#include "TypInfo.h"
#include "benchmark.h"

namespace {

enum TBenchAlign { baNone, baTop, baClient };
TOVANI_ENUM_INFO(TBenchAlign)
TOVANI_IMPLEMENT_ENUM_INFO(TBenchAlign, "baNone", "baTop", "baClient")

class TBenchControl : public TComponent {
  TOVANI_CLASS(TBenchControl, TComponent)
 public:
  using TComponent::TComponent;
  String Caption;
  Integer Left = 0, Top = 0, Width = 0;
  TBenchAlign Align = baNone;
  double Ratio = 0;
  TBenchControl* Buddy = nullptr;
};

class TBenchForm : public TComponent {
  TOVANI_CLASS(TBenchForm, TComponent)
 public:
  using TComponent::TComponent;
};

TOVANI_IMPLEMENT_CLASS_FACTORY(TBenchControl, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBenchForm, TComponent)
TOVANI_PUBLISHED(TBenchControl) {
  Property("Caption", &TBenchControl::Caption);
  Property("Left", &TBenchControl::Left);
  Property("Top", &TBenchControl::Top);
  Property("Width", &TBenchControl::Width);
  Property("Align", &TBenchControl::Align).Default(baNone);
  Property("Ratio", &TBenchControl::Ratio);
  Property("Buddy", &TBenchControl::Buddy);
}

String FormText(int count) {
  String t = "object BenchForm: TBenchForm\r\n";
  for (int i = 0; i < count; ++i) {
    String n = std::to_string(i);
    t += "  object Edit" + n + ": TBenchControl\r\n";
    t += "    Caption = '客户名称 " + n + "'\r\n";
    t += "    Left = " + std::to_string(8 + i % 40) + "\r\n    Top = " + std::to_string(i * 24) + "\r\n";
    t += "    Width = 121\r\n    Align = baTop\r\n    Ratio = 0.25\r\n";
    if (i > 0) t += "    Buddy = Edit" + std::to_string(i - 1) + "\r\n";
    t += "  end\r\n";
  }
  return t + "end\r\n";
}

void BM_ReadFormText(benchmark::State& state) {
  String text = FormText(int(state.range(0)));
  for (auto _ : state) {
    TBenchForm form;
    ReadComponentFromText(text, &form);
    benchmark::DoNotOptimize(form.ComponentCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadFormText)->Arg(100)->Arg(1000);

void BM_WriteFormText(benchmark::State& state) {
  TBenchForm form;
  ReadComponentFromText(FormText(int(state.range(0))), &form);
  for (auto _ : state) benchmark::DoNotOptimize(ComponentToText(&form));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteFormText)->Arg(100)->Arg(1000);

}  // namespace
