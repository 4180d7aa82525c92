// Drop-down windows: placement within a work area and the grip corner it
// chooses, whole-row list boxes, incremental search, hot tracking, the list
// of recent texts and the drop-down calendar's closing keys.
#include <memory>
#include <vector>
#include "DateUtils.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "TestPng.h"
#include "ToolCtrlsEh.h"
#include "gtest.h"

namespace {

// A drop-down stand-in that keeps the grip corner messages it receives.
struct TCornerRecorder : TCustomControl {
  std::vector<WPARAM> Corners;
  TSizeGripEh Grip;
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_CHANGEGRIPCORNER_EH) {
      Corners.push_back(m.WParam);
      Grip.ChangePosition(Integer(m.WParam));
      return;
    }
    TCustomControl::Dispatch(m);
  }
};

TEST(DropDownPlacement, WithinTheWorkArea) {
  struct {
    const char* Name;
    TRect Work, Field;
    int W, H, Align;
    TPoint At;
    int Height, Width;
    uint8_t Grip;   // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
  } cases[] = {
      {"below", {0, 0, 800, 600}, {100, 100, 200, 120}, 150, 150, 0, {100, 120}, 150, 150, 2},
      {"above near the bottom", {0, 0, 800, 600}, {100, 500, 200, 520}, 150, 150, 0, {100, 350}, 150, 150, 1},
      {"nowhere: below, shrunk", {0, 0, 800, 300}, {100, 100, 200, 120}, 150, 250, 0, {100, 120}, 180, 150, 2},
      {"nowhere: above, shrunk", {0, 0, 800, 300}, {100, 200, 200, 220}, 150, 250, 0, {100, 0}, 200, 150, 1},
      {"right-aligned pushed right", {0, 0, 800, 600}, {10, 100, 110, 120}, 300, 100, 1, {0, 120}, 100, 300, 2},
      {"right-aligned fits", {0, 0, 800, 600}, {300, 100, 400, 120}, 200, 100, 1, {200, 120}, 100, 200, 3},
      {"past the right edge", {0, 0, 800, 600}, {700, 100, 790, 120}, 300, 100, 0, {500, 120}, 100, 300, 3},
      {"centred", {0, 0, 800, 600}, {300, 100, 400, 120}, 200, 100, 2, {250, 120}, 100, 200, 2},
      {"wider than the work area", {0, 0, 400, 600}, {100, 100, 200, 120}, 500, 100, 0, {0, 120}, 100, 400, 3},
  };
  for (const auto& c : cases) {
    TCornerRecorder dd;
    dd.SetBounds(0, 0, c.W, c.H);
    TPoint p = FitDropDownToWorkAreaEh(c.Field, c.Work, &dd, c.Align);
    EXPECT_EQ(p, c.At) << c.Name;
    EXPECT_EQ(dd.Height(), c.Height) << c.Name;
    EXPECT_EQ(dd.Width(), c.Width) << c.Name;
    EXPECT_EQ(dd.Corners.size(), 2u) << c.Name;
    EXPECT_EQ(dd.Grip.Position(), c.Grip) << c.Name;
  }
}

TEST(DropDownPlacement, GripCornerRule) {
  // From each position, where each corner message takes the grip.
  const uint8_t expect[4][4] = {
      // left right top bottom
      {0, 1, 0, 3},   // from top-left
      {0, 1, 1, 2},   // from top-right
      {3, 2, 1, 2},   // from bottom-right
      {3, 2, 0, 3},   // from bottom-left
  };
  for (uint8_t from = 0; from < 4; ++from)
    for (int where = 0; where < 4; ++where) {
      TSizeGripEh g;
      g.SetPosition(from);
      g.ChangePosition(where);
      EXPECT_EQ(g.Position(), expect[from][where]) << int(from) << " " << where;
    }
}

TEST(DropDownPlacement, DoubleClickDistance) {
  int dx = GetSystemMetrics(SM_CXDOUBLECLK);
  EXPECT_TRUE(IsWithinDoubleClickEh({10, 10}, {10 + dx, 10}, 0));
  EXPECT_FALSE(IsWithinDoubleClickEh({10, 10}, {11 + dx, 10}, 0));
  EXPECT_FALSE(IsWithinDoubleClickEh({10, 10}, {10, 10}, Integer(GetDoubleClickTime()) + 1));
}

std::unique_ptr<TPopupListboxEh> MakeList(std::vector<const char*> items) {
  auto lb = std::make_unique<TPopupListboxEh>();
  lb->SetItemHeight(13);
  lb->SetBounds(100, 100, 120, 100);
  lb->HandleNeeded();
  for (const char* s : items) lb->Items()->Add(s);
  return lb;
}

TEST(PopupListbox, WholeRows) {
  auto lb = MakeList({});
  EXPECT_EQ(lb->BorderHeight(), 4);
  EXPECT_EQ(lb->RowCount(), 7);
  EXPECT_EQ(lb->Height(), 95);
  lb->SetRowCount(3);
  EXPECT_EQ(lb->Height(), 3 * 13 + 4);
  lb->SetRowCount(0);
  EXPECT_EQ(lb->Height(), 13 + 4);
  EXPECT_FALSE(lb->CanFocus());
  EXPECT_TRUE(GetWindowLongW(lb->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(lb->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST(PopupListbox, IncrementalSearch) {
  auto lb = MakeList({"张三", "张四", "李四", "abc", "abd", "b"});
  DWORD now = 10000;
  lb->TickSource = [&] { return now; };
  auto type = [&](const char32_t* keys) {
    for (; *keys; ++keys) {
      char32_t k = *keys;
      lb->KeyPress(k);
      EXPECT_EQ(k, char32_t(0));
      now += 100;
    }
  };
  type(U"ab");
  EXPECT_EQ(lb->ItemIndex(), 3);
  type(U"d");
  EXPECT_EQ(lb->ItemIndex(), 4);
  now += 2100;   // a pause starts a new search
  type(U"张四");
  EXPECT_EQ(lb->ItemIndex(), 1);
  EXPECT_EQ(lb->SearchText(), "张四");
  char32_t esc = 27;
  lb->KeyPress(esc);
  EXPECT_EQ(lb->SearchText(), "");
  // At most 32 characters, whole characters each.
  std::u32string many(40, U'李');
  type(many.c_str());
  EXPECT_EQ(Utf8Length(lb->SearchText()), 32u);
  EXPECT_EQ(lb->SearchText().size(), 32u * 3);
}

TEST(PopupListbox, HotTracking) {
  auto lb = MakeList({"一", "二", "三", "四"});
  lb->SetItemIndex(0);
  lb->MouseMove({}, 5, 13 * 2 + 3);
  EXPECT_EQ(lb->ItemIndex(), 2);
  lb->MouseMove({ssLeft}, 5, 13 * 3 + 3);   // a held button does not track
  EXPECT_EQ(lb->ItemIndex(), 2);
  lb->MouseMove({}, 5, 13 * 3 + 5);
  EXPECT_EQ(lb->ItemIndex(), 3);
}

TEST(PopupListbox, WritesPng) {
  auto lb = MakeList({"张三", "李四", "王五", "赵六", "钱七", "孙八", "周九", "吴十", "郑十一"});
  lb->SetItemIndex(2);
  lb->Perform(CM_CHANGEGRIPCORNER_EH, 3, 0);
  ShowWindow(lb->Handle(), SW_SHOWNOACTIVATE);
  UpdateWindow(lb->Handle());
  TBitmap shot;
  shot.SetSize(lb->Width(), lb->Height());
  HDC dc = GetWindowDC(lb->Handle());
  BitBlt(shot.Canvas()->Handle(), 0, 0, lb->Width(), lb->Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(lb->Handle(), dc);
  WriteTestPng(&shot, "popup_listbox");
  ShowWindow(lb->Handle(), SW_HIDE);
}

TEST(MRUList, AddLimitAndFilter) {
  TMRUListEh mru;
  EXPECT_EQ(mru.Limit(), 100);
  EXPECT_EQ(mru.Rows(), 7);
  mru.AddText("  ");
  EXPECT_EQ(mru.Items()->Count(), 0);
  mru.AddText("Apple");
  mru.AddText("广州");
  mru.AddText("apple");   // equal but for case: moves to the end
  ASSERT_EQ(mru.Items()->Count(), 2);
  EXPECT_EQ(mru.Items()->Strings(1), "Apple");
  mru.SetCaseSensitive(true);
  mru.AddText("apple");
  EXPECT_EQ(mru.Items()->Count(), 3);

  TMRUListEh limited;
  for (int i = 0; i < 101; ++i) limited.AddText("t" + IntToStr(i));
  EXPECT_EQ(limited.Items()->Count(), 100);
  EXPECT_EQ(limited.Items()->Strings(0), "t1");
  limited.SetLimit(10);
  EXPECT_EQ(limited.Items()->Count(), 10);
  EXPECT_EQ(limited.Items()->Strings(0), "t91");

  TStringList out;
  EXPECT_TRUE(mru.FilterItems(&out, "AP"));
  EXPECT_EQ(out.Count(), 0);   // case sensitive now
  mru.SetCaseSensitive(false);
  EXPECT_TRUE(mru.FilterItems(&out, "AP"));
  EXPECT_EQ(out.Count(), 2);
  EXPECT_TRUE(mru.FilterItems(&out, "广"));
  EXPECT_EQ(out.Count(), 1);
  mru.OnFilterItem = [](TObject*, bool& accept) { accept = true; };
  EXPECT_TRUE(mru.FilterItems(&out, "zzz"));
  EXPECT_EQ(out.Count(), 3);
}

TEST(MRUList, WaitingKeyCutsFilteringShort) {
  TMRUListEh mru;
  mru.SetLimit(20000);
  for (int i = 0; i < 10000; ++i) mru.Items()->Add("item" + IntToStr(i));
  TForm form(nullptr);
  form.HandleNeeded();
  PostMessageW(form.Handle(), WM_KEYDOWN, 'A', 0);
  TStringList out;
  int seen = 0;
  mru.OnFilterItem = [&](TObject*, bool&) { ++seen; };
  EXPECT_FALSE(mru.FilterItems(&out, "item"));
  EXPECT_EQ(seen, 1);   // stopped after the first check
  MSG msg;
  while (PeekMessageW(&msg, form.Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {}
  seen = 0;
  EXPECT_TRUE(mru.FilterItems(&out, "item"));
  EXPECT_EQ(seen, 10000);
  EXPECT_EQ(out.Count(), 10000);
}

struct TPopupOwner : TComponent, IPopupOwnerEh {
  std::vector<bool> Closes;
  void CloseUp(bool Accept) override { Closes.push_back(Accept); }
};

TEST(PopupMonthCalendar, ClosesThroughItsOwner) {
  TPopupOwner owner;
  auto* cal = new TPopupMonthCalendarEh(&owner);
  cal->HandleNeeded();
  EXPECT_TRUE(GetWindowLongW(cal->Handle(), GWL_STYLE) & WS_POPUP);
  EXPECT_GT(cal->Width(), 0);
  Word enter = VK_RETURN;
  cal->KeyDown(enter, {});
  EXPECT_EQ(enter, 0);
  Word esc = VK_ESCAPE;
  cal->KeyDown(esc, {});
  EXPECT_EQ(owner.Closes, (std::vector<bool>{true, false}));
  EXPECT_EQ(cal->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 1);
  EXPECT_EQ(owner.Closes.size(), 3u);
  cal->MouseDown(mbLeft, {}, -5, -5);   // outside cancels
  EXPECT_EQ(owner.Closes.back(), false);
  cal->SetDate(EncodeDate(2024, 3, 10));
  cal->DoMouseWheelDown({}, {0, 0});
  EXPECT_EQ(cal->Date(), EncodeDate(2024, 3, 11));
}

}  // namespace
