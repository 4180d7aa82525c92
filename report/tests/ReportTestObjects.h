// Small report objects for the report-model tests: a view-like object that
// publishes one property of every kind the serializer handles, and a
// container for nesting.
#pragma once
#include <memory>

#include "Graphics.h"
#include "Strings.h"
#include "Variant.h"
#include "frxClass.h"
#include "frxVariables.h"

enum TTestKind { tkFirst, tkSecond, tkThird };
TOVANI_ENUM_INFO(TTestKind)

class TfrxTestView : public TfrxReportComponent {
  TOVANI_CLASS(TfrxTestView, TfrxReportComponent)
 public:
  explicit TfrxTestView(TComponent* AOwner = nullptr);
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
  void DefineProperties(TFiler* Filer) override;

  String Caption;
  bool Flag = true;
  Integer Count = 0;
  TTestKind Kind = tkFirst;
  Variant Data;
  TfrxComponent* Link() const { return FLink; }
  void SetLink(TfrxComponent* v) { FLink = v; }
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* v) { FLines->Assign(v); }
  TfrxFrame* Frame() const { return FFrame.get(); }
  void SetFrame(TfrxFrame* v) { FFrame->Assign(v); }
  // Kept as a defined property, like the report's variables.
  TfrxVariables* Vars() { return &FVars; }

 private:
  TfrxComponent* FLink = nullptr;
  std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
  std::unique_ptr<TfrxFrame> FFrame = std::make_unique<TfrxFrame>();
  TfrxVariables FVars;
};

// A container (page or band) that publishes its bounds and font.
class TfrxTestBox : public TfrxReportComponent {
  TOVANI_CLASS(TfrxTestBox, TfrxReportComponent)
 public:
  explicit TfrxTestBox(TComponent* AOwner = nullptr) : TfrxReportComponent(AOwner) {}
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
};

// Names of the form TfrxTest<Kind>View give automatic names "Test<Kind>1", ...
class TfrxTestMemoView : public TfrxTestView {
  TOVANI_CLASS(TfrxTestMemoView, TfrxTestView)
 public:
  explicit TfrxTestMemoView(TComponent* AOwner = nullptr) : TfrxTestView(AOwner) {}
};

// Dialog controls over a button and a group box.
class TfrxTestButtonControl : public TfrxDialogControl {
  TOVANI_CLASS(TfrxTestButtonControl, TfrxDialogControl)
 public:
  explicit TfrxTestButtonControl(TComponent* AOwner = nullptr);
};

class TfrxTestGroupControl : public TfrxDialogControl {
  TOVANI_CLASS(TfrxTestGroupControl, TfrxDialogControl)
 public:
  explicit TfrxTestGroupControl(TComponent* AOwner = nullptr);
};
