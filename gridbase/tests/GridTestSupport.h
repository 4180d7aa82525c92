// A small grid for the tests: it draws each cell's coordinates, keeps the
// texts the in-place editor writes back, and lets a test place the mouse
// for the auto-scroll timer.
#pragma once
#include <map>
#include <memory>
#include <utility>
#include <vector>
#include "Forms.h"
#include "GridsEh.h"

class TTestGrid : public TCustomGridEh {
 public:
  explicit TTestGrid(TComponent* owner = nullptr) : TCustomGridEh(owner) {}
  std::map<std::pair<int, int>, String> Texts;
  std::vector<std::pair<std::pair<int, int>, String>> Stored;   // every SetCellEditText
  int MaxLength = 0;
  bool DrawText = false;
  TPoint FakeCursor{-1, -1};
  bool UseFakeCursor = false;
  std::vector<std::pair<int, int>> Moves;
  // The auto-scroll timer as the grid asked for it: no real timer runs.
  UINT TimerPeriod = 0;
  int TimerStarts = 0;

  using TCustomGridEh::FocusCell;
  using TCustomGridEh::KeyDown;
  using TCustomGridEh::ModifyScrollBar;
  using TCustomGridEh::MoveAnchor;
  using TCustomGridEh::MoveCurrent;
  using TCustomGridEh::Paint;
  using TCustomGridEh::ChangeContraCounts;
  using TCustomGridEh::ScrollTimerRunning;
  std::function<bool(Integer&, Integer&)> OnEndColumnDrag;

 protected:
  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState) override {
    if (!DrawText) return;
    auto it = Texts.find({ACol, ARow});
    String s = it != Texts.end() ? it->second : String();
    if (!s.empty()) Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, s);
  }
  String GetCellEditText(Integer ACol, Integer ARow) override {
    auto it = Texts.find({ACol, ARow});
    return it != Texts.end() ? it->second : String();
  }
  void SetCellEditText(Integer ACol, Integer ARow, const String& Value) override {
    Stored.push_back({{ACol, ARow}, Value});
    Texts[{ACol, ARow}] = Value;
  }
  Integer GetEditorMaxLength() override { return MaxLength; }
  TPoint CursorClientPos() override { return UseFakeCursor ? FakeCursor : TCustomGridEh::CursorClientPos(); }
  void ColumnMoved(Integer From, Integer To) override { Moves.push_back({From, To}); }
  void SetScrollTimer(bool Run, UINT Period) override {
    if (Run) TimerPeriod = Period, ++TimerStarts;
  }
  bool EndColumnDrag(Integer& Origin, Integer& Destination, TPoint MousePt) override {
    return OnEndColumnDrag ? OnEndColumnDrag(Origin, Destination) : true;
  }
};

// A shown form holding one test grid.
struct TGridWindow {
  std::unique_ptr<TForm> Form;
  TTestGrid* Grid = nullptr;
  explicit TGridWindow(int w = 400, int h = 300) {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(20, 20, w + 40, h + 60);
    Grid = new TTestGrid(Form.get());
    Grid->SetBounds(10, 10, w, h);
    Grid->SetParent(Form.get());
    Form->Show();
    Grid->SetFocus();
  }
};
