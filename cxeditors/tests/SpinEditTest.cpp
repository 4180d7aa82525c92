// The spin editor: steps at the range ends (refused, snapped, wrapped),
// fractional wraps kept inside the range, increments by value type, keys,
// the wheel, the auto-repeat of a held button, and typed text.
#include <algorithm>
#include <memory>
#include <vector>

#include "FormFile.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxControls.h"
#include "cxLookAndFeelPainters.h"
#include "cxSpinEdit.h"
#include "gtest.h"

namespace {
struct SpinFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxSpinEdit* E = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 300, 120);
    E = new TcxSpinEdit(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(10, 10, 160, 24);
    E->SetParent(Form.get());
    Form->Show();
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  void Range(double Lo, double Hi) {
    E->Properties()->SetMinValue(Lo);
    E->Properties()->SetMaxValue(Hi);
  }
  void Key(Word K) { SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, K, 0); }
};
}  // namespace

TEST_F(SpinFixture, StepsAtTheRangeEnds) {
  struct Case {
    TcxSpinEditValueType Type;
    bool Circular;
    double Start;
    Integer Button;
    const char* Expected;   // "-" refused; snapping at a bound gives the bound again
  };
  const Case cases[] = {
      {vtInt, false, 10, 1, "10"},  {vtInt, true, 10, 1, "0"},    {vtInt, true, 0, 0, "10"},
      {vtInt, false, 0, 0, "0"},    {vtInt, false, 12, 1, "-"},   {vtInt, false, 12, 0, "10"},
      {vtInt, false, -3, 1, "0"},   {vtInt, false, 5, 3, "10"},   {vtInt, false, 5, 2, "0"},
      {vtInt, true, 9, 3, "8"},     {vtInt, true, 9, 1, "10"},    {vtInt, false, 4, 1, "5"},
      // Fractional values wrap into the range, never out of it.
      {vtFloat, true, 9.5, 1, "0"}, {vtFloat, true, 0.5, 0, "10"}, {vtFloat, false, 9.5, 1, "10"},
      {vtFloat, true, 9.5, 2, "10"}, {vtFloat, false, 2.5, 1, "3.5"},
  };
  Range(0, 10);
  for (const Case& c : cases) {
    E->Properties()->SetValueType(c.Type);
    E->Properties()->SetCircular(c.Circular);
    E->SetValue(c.Type == vtInt ? Variant(Int64(c.Start)) : Variant(c.Start));
    Variant V;
    const bool Ok = E->NewSpinValue(c.Button, V);
    const String Got = Ok ? VarToStr(V) : "-";
    EXPECT_EQ(Got, c.Expected) << c.Type << " circ " << c.Circular << " from " << c.Start << " button " << c.Button;
    if (Ok) {
      const double D = V.AsDouble();
      EXPECT_TRUE(D >= 0 && D <= 10) << D;
    }
  }
}

TEST_F(SpinFixture, IncrementsFollowTheValueType) {
  E->Properties()->SetValueType(vtInt);
  E->Properties()->SetIncrement(0.5);
  EXPECT_EQ(E->GetIncrement(1), 0);    // halves to even
  E->Properties()->SetIncrement(1.5);
  EXPECT_EQ(E->GetIncrement(1), 2);
  EXPECT_EQ(E->GetIncrement(0), -2);
  EXPECT_EQ(E->GetIncrement(3), 10);
  // No bounds in force: only the type limits the step.
  E->SetValue(Variant(Int64(9223372036854775807LL)));
  Variant V;
  ASSERT_TRUE(E->NewSpinValue(1, V));
  EXPECT_EQ(V.AsInt64(), 9223372036854775807LL);
  EXPECT_FALSE(E->DoSpin(1));
}

TEST_F(SpinFixture, KeysWheelAndHeldButton) {
  Range(0, 100);
  E->Properties()->SetValueType(vtInt);
  E->SetValue(Variant(Int64(5)));
  Key(VK_UP);
  EXPECT_EQ(E->Text(), "6");
  Key(VK_PRIOR);
  EXPECT_EQ(E->Text(), "16");
  Key(VK_NEXT);
  Key(VK_DOWN);
  EXPECT_EQ(E->Text(), "5");
  SendMessageW(E->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(20, 20));
  EXPECT_EQ(E->Text(), "6");
  SendMessageW(E->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(20, 20));
  EXPECT_EQ(E->Text(), "5");
  // With UseCtrlIncrement a plain Up leaves the value alone.
  E->Properties()->SetUseCtrlIncrement(true);
  Key(VK_UP);
  EXPECT_EQ(E->Text(), "5");
  E->Properties()->SetUseCtrlIncrement(false);

  // The up button held: a step at once, the next after 400 ms, then every 100 ms.
  TcxCustomEditViewInfo* VI = E->GetViewInfo();
  Integer Up = -1;
  for (Integer I = 0; I < VI->ButtonCount(); ++I)
    if (VI->ButtonsInfo[I]->ButtonIndex == 1) Up = I;
  ASSERT_GE(Up, 0);
  const TRect R = VI->ButtonsInfo[Up]->Bounds;
  const LPARAM P = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  SendMessageW(E->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, P);
  EXPECT_EQ(E->Text(), "6");
  ASSERT_NE(E->RepeatTimer(), nullptr);
  EXPECT_EQ(E->RepeatTimer()->Interval(), 400u);
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, E->RepeatTimer()->Id(), 0);
  EXPECT_EQ(E->RepeatTimer()->Interval(), 100u);
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, E->RepeatTimer()->Id(), 0);
  EXPECT_EQ(E->Text(), "8");
  PumpMessages(1);
  WriteWindowPng(E, "spin_edit");
  SendMessageW(E->Handle(), WM_LBUTTONUP, 0, P);
  EXPECT_EQ(E->RepeatTimer(), nullptr);
}

TEST_F(SpinFixture, TypedTextIsValidated) {
  Range(0, 10);
  E->Properties()->SetValueType(vtInt);
  E->SetValue(Variant(Int64(4)));
  // A letter cannot be typed; an unreadable text pasted in reverts to the
  // last good value.
  SendMessageW(E->InnerTextEdit()->Handle(), WM_CHAR, WPARAM('a'), 0);
  EXPECT_EQ(E->Text(), "4");
  SendMessageW(E->InnerTextEdit()->Handle(), WM_CHAR, WPARAM('2'), 0);
  EXPECT_TRUE(E->ValidateInput());
  EXPECT_EQ(E->Value().AsInt64(), 42 > 10 ? 10 : 42);
  E->Properties()->SetExceptionOnInvalidInput(true);
  String Err;
  Variant V;
  EXPECT_FALSE(E->TextToValue(Variant("12a"), false, Err, V));
  EXPECT_EQ(Err, "Invalid numeric value");
}

namespace {
// A skin painter that records the editor-button kinds it is asked for.
class TRecordingPainter : public TcxStandardLookAndFeelPainter {
 public:
  mutable std::vector<Integer> Kinds;
  void PaintEditButton(TcxCanvas* ACanvas, const TRect& R, Integer AButtonKind, TcxButtonState) const override {
    Kinds.push_back(AButtonKind);
    ACanvas->FillRectColor(R, clYellow);
  }
};
}  // namespace

TEST_F(SpinFixture, ButtonArrangementsAndTheirSteps) {
  struct Case {
    TcxSpinEditButtonsPosition Position;
    bool Fast;
    const char* Order;   // buttons by number from left to right, "T" the text area
    const char* Png;
  };
  const Case cases[] = {
      {sbpHorzLeftRight, true, "20T13", "spin_edit_left_right_fast"},
      {sbpHorzLeftRight, false, "0T1", "spin_edit_left_right"},
      {sbpHorzRight, true, "T2013", "spin_edit_right_fast"},
      {sbpHorzRight, false, "T01", "spin_edit_right"},
      {sbpVert, true, "T2V3", "spin_edit_vert_fast"},   // V: up above down in one column
      {sbpVert, false, "TV", "spin_edit_vert"},
  };
  Range(-1000, 1000);
  E->Properties()->SetValueType(vtInt);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Order);
    E->Properties()->SpinButtons()->SetPosition(c.Position);
    E->Properties()->SpinButtons()->SetShowFastButtons(c.Fast);
    PumpMessages(1);
    TcxCustomEditViewInfo* VI = E->GetViewInfo();
    ASSERT_EQ(VI->ButtonCount(), c.Fast ? 4 : 2);
    TRect Rects[4];
    for (Integer I = 0; I < VI->ButtonCount(); ++I) Rects[VI->ButtonsInfo[I]->ButtonIndex] = VI->ButtonsInfo[I]->Bounds;
    // Read the layout back from left to right.
    std::vector<std::pair<Integer, char>> Items{{VI->ClientRect.Left, 'T'}};
    if (c.Position == sbpVert) {
      EXPECT_EQ(Rects[0].Left, Rects[1].Left);
      EXPECT_EQ(Rects[0].Right, Rects[1].Right);
      EXPECT_LE(Rects[1].Bottom, Rects[0].Top);
      Items.push_back({Rects[1].Left, 'V'});
      for (Integer B : {2, 3})
        if (c.Fast) Items.push_back({Rects[B].Left, char('0' + B)});
    } else {
      for (Integer B = 0; B < VI->ButtonCount(); ++B) Items.push_back({Rects[B].Left, char('0' + B)});
    }
    std::sort(Items.begin(), Items.end());
    String Order;
    for (auto& I : Items) Order += I.second;
    EXPECT_EQ(Order, c.Order);
    // Nothing overlaps the text area.
    for (Integer B = 0; B < VI->ButtonCount(); ++B)
      EXPECT_TRUE(Rects[B].Right <= VI->ClientRect.Left || Rects[B].Left >= VI->ClientRect.Right) << B;
    // A click on each button steps by its increment.
    const Integer Steps[] = {-1, 1, -10, 10};
    for (Integer B = 0; B < VI->ButtonCount(); ++B) {
      E->SetValue(Variant(Int64(100)));
      const TRect R = Rects[B];
      const LPARAM P = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
      SendMessageW(E->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, P);
      SendMessageW(E->Handle(), WM_LBUTTONUP, 0, P);
      EXPECT_EQ(E->Value().AsInt64(), 100 + Steps[B]) << "button " << B;
    }
    PumpMessages(1);
    WriteWindowPng(E, c.Png);
  }
}

TEST_F(SpinFixture, ArrowsAndPainterKindsFollowThePosition) {
  TcxSpinEditViewInfo VI;
  struct Case {
    TcxSpinEditButtonsPosition Position;
    TcxArrowPointing Down, Up;
    Integer DownKind, UpKind;
  };
  const Case cases[] = {
      {sbpVert, apDown, apUp, cxEditButtonKindArrowDown, cxEditButtonKindArrowUp},
      {sbpHorzRight, apLeft, apRight, cxEditButtonKindArrowLeft, cxEditButtonKindArrowRight},
      {sbpHorzLeftRight, apLeft, apRight, cxEditButtonKindArrowLeft, cxEditButtonKindArrowRight},
  };
  for (const Case& c : cases) {
    VI.Position = c.Position;
    for (Integer B : {0, 2}) {
      EXPECT_EQ(VI.ArrowDirection(B), c.Down);
      EXPECT_EQ(VI.PainterButtonKind(B), c.DownKind);
    }
    for (Integer B : {1, 3}) {
      EXPECT_EQ(VI.ArrowDirection(B), c.Up);
      EXPECT_EQ(VI.PainterButtonKind(B), c.UpKind);
    }
  }
  // With a skin painter every button is the painter's arrow button.
  static TRecordingPainter Painter;
  cxStylePainterRegistry()->Register("SpinRecorder", &Painter);
  E->Style()->LookAndFeel()->SetSkinName("SpinRecorder");
  E->Properties()->SpinButtons()->SetShowFastButtons(true);
  PumpMessages(1);
  Painter.Kinds.clear();
  InvalidateRect(E->Handle(), nullptr, TRUE);
  WriteWindowPng(E, "spin_edit_skin");
  std::sort(Painter.Kinds.begin(), Painter.Kinds.end());
  Painter.Kinds.erase(std::unique(Painter.Kinds.begin(), Painter.Kinds.end()), Painter.Kinds.end());
  EXPECT_EQ(Painter.Kinds, (std::vector<Integer>{cxEditButtonKindArrowUp, cxEditButtonKindArrowDown}));
  E->Style()->LookAndFeel()->SetSkinName("");
  cxStylePainterRegistry()->Unregister("SpinRecorder");
}

TEST(SpinEdit, AFormKeepsItsSettingsAndAZeroIncrement) {
  TForm Form(nullptr);
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object seQty: TcxSpinEdit\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Properties.LargeIncrement = 5\n"
      "    Properties.MaxValue = 99\n"
      "    Properties.MinValue = 1\n"
      "    Properties.SpinButtons.Position = sbpHorzLeftRight\n"
      "    Properties.SpinButtons.ShowFastButtons = True\n"
      "    Properties.ValueType = vtInt\n"
      "    Properties.ZeroIncrement = True\n"
      "    Value = 3\n"
      "  end\n"
      "end\n",
      &Form);
  auto* E = dynamic_cast<TcxSpinEdit*>(Form.FindComponent("seQty"));
  ASSERT_NE(E, nullptr);
  TcxSpinEditProperties* P = E->Properties();
  EXPECT_EQ(P->Increment(), 0.0);
  EXPECT_EQ(P->LargeIncrement(), 5.0);
  EXPECT_EQ(P->MaxValue(), 99.0);
  EXPECT_EQ(P->SpinButtons()->Position(), sbpHorzLeftRight);
  EXPECT_TRUE(P->SpinButtons()->ShowFastButtons());
  EXPECT_EQ(P->ValueType(), vtInt);
  EXPECT_EQ(E->Value().AsInt64(), 3);
  // Written back, the zero increment is the flag again.
  const String Text = ComponentToText(&Form);
  EXPECT_NE(Text.find("Properties.ZeroIncrement = True"), String::npos) << Text;
  EXPECT_EQ(Text.find("Properties.Increment ="), String::npos) << Text;
}
