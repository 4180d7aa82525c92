// The radio group: values of items, the checked button kept in step with
// the edit value, clicks, arrow keys and read-only groups through the
// buttons' windows, and the column layout.
#include <memory>

#include "FormFile.h"
#include "SysUtils.h"
#include "Forms.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxComboBox.h"
#include "cxRadioGroup.h"
#include "cxVariants.h"
#include "ActnList.h"
#include "gtest.h"

namespace {
struct RadioGroupFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxRadioGroup* R = nullptr;
  Integer Clicks = 0;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 260);
    R = new TcxRadioGroup(Form.get());
    R->SetBounds(10, 10, 200, 120);
    R->SetParent(Form.get());
    R->SetCaption("付款方式");
    R->OnClick = [this](TObject*) { ++Clicks; };
    auto* a = static_cast<TcxRadioGroupItem*>(R->Properties()->Items()->Add());
    a->SetCaption("A");
    auto* b = static_cast<TcxRadioGroupItem*>(R->Properties()->Items()->Add());
    b->SetCaption("B");
    b->SetValue(Variant(2));
    auto* c = static_cast<TcxRadioGroupItem*>(R->Properties()->Items()->Add());
    c->SetCaption("现金");
    c->SetValue(Variant(String("cash")));
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  Integer Checked() {
    for (Integer i = 0; i < Integer(R->Buttons().size()); ++i)
      if (R->Button(i)->Checked()) return i;
    return -1;
  }
  void ClickButton(Integer i) {
    HWND h = R->Button(i)->Handle();
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpMessages(2);
  }
};
}  // namespace

TEST_F(RadioGroupFixture, EditValueAndCheckedItemStayInStep) {
  ASSERT_EQ(R->Buttons().size(), 3u);
  struct Case {
    Variant Value;
    Integer Checked;
    String Display;
  } cases[] = {
      {Variant(2), 1, "B"},
      {Variant(String("A")), 0, "A"},
      {Variant(String("a")), -1, ""},   // captions compare with case
      {Variant(String("cash")), 2, "现金"},
      {Variant(7), -1, ""},
  };
  for (const Case& c : cases) {
    R->SetEditValue(c.Value);
    EXPECT_EQ(Checked(), c.Checked) << VarToStr(c.Value);
    EXPECT_EQ(R->ItemIndex(), c.Checked);
    EXPECT_EQ(R->DisplayText(), c.Display);
    EXPECT_TRUE(cxVarSameTypeAndValue(R->EditValue(), c.Value)) << VarToStr(c.Value);
  }
  // Item indexes give the item's value, or its caption without one.
  R->SetItemIndex(0);
  EXPECT_EQ(R->EditValue().Kind(), varString);
  EXPECT_EQ(VarToStr(R->EditValue()), "A");
  R->SetItemIndex(10);
  EXPECT_EQ(Checked(), 2);
  R->Properties()->SetDefaultValue(Variant(5));
  R->Properties()->SetDefaultCaption("未选");
  R->SetItemIndex(-5);
  EXPECT_EQ(Checked(), -1);
  EXPECT_EQ(R->EditValue().AsInteger(), 5);
  EXPECT_EQ(R->DisplayText(), "未选");
  // The value of the checked item again: not modified, no click.
  R->SetItemIndex(1);
  R->SetModified(false);
  Clicks = 0;
  R->SetEditValue(Variant(2));
  EXPECT_FALSE(R->Modified());
  EXPECT_EQ(Clicks, 0);
}

TEST_F(RadioGroupFixture, ClicksAndArrowKeysCheckItemsThroughTheButtons) {
  bool changed = false;
  R->Properties()->OnChange = [&](TObject*) { changed = true; };
  TPoint down(-1, -1);
  R->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer X, Integer Y) { down = TPoint(X, Y); };
  ClickButton(2);
  EXPECT_EQ(Checked(), 2);
  // The group hears the mouse on its buttons, in its own coordinates.
  EXPECT_EQ(down, TPoint(R->Button(2)->Left() + 5, R->Button(2)->Top() + 5));
  EXPECT_EQ(VarToStr(R->EditValue()), "cash");
  EXPECT_TRUE(changed);
  ASSERT_TRUE(R->Button(2)->Focused());
  PostMessageW(R->Button(2)->Handle(), WM_KEYDOWN, VK_UP, 1);
  PumpMessages(2);
  EXPECT_TRUE(R->Button(1)->Focused());
  EXPECT_EQ(Checked(), 1);
  EXPECT_EQ(R->EditValue().AsInteger(), 2);
  PostMessageW(R->Button(1)->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  PumpMessages(2);
  EXPECT_EQ(Checked(), 2);
  WriteWindowPng(R, "cxRadioGroup_checked");
  // Outside a grid the arrows go round the group, as in any dialog.
  PostMessageW(R->Button(2)->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
  PumpMessages(2);
  EXPECT_TRUE(R->Button(0)->Focused());
  EXPECT_EQ(Checked(), 0);
  PostMessageW(R->Button(0)->Handle(), WM_KEYDOWN, VK_LEFT, 1);
  PumpMessages(2);
  EXPECT_EQ(Checked(), 2);
  // A read-only group keeps its value on a click.
  R->Properties()->SetReadOnly(true);
  ClickButton(0);
  EXPECT_EQ(Checked(), 2);
  EXPECT_EQ(VarToStr(R->EditValue()), "cash");
}

TEST_F(RadioGroupFixture, ColumnsLayTheButtonsOut) {
  static_cast<TcxRadioGroupItem*>(R->Properties()->Items()->Add())->SetCaption("D");
  R->Properties()->SetColumns(3);
  R->SetBounds(10, 10, 306, 120);
  PumpMessages(1);
  ASSERT_EQ(R->Buttons().size(), 4u);
  // Two rows in three equal columns; the third column stays empty.
  EXPECT_EQ(R->Properties()->GetRowCount(), 2);
  TRect b0 = R->Button(0)->BoundsRect(), b1 = R->Button(1)->BoundsRect(), b2 = R->Button(2)->BoundsRect();
  EXPECT_EQ(b0.Left, b1.Left);
  EXPECT_GT(b1.Top, b0.Top);
  EXPECT_EQ(b2.Top, b0.Top);
  EXPECT_EQ(b2.Left - b0.Left, b0.Width());
  EXPECT_LT(R->Button(3)->BoundsRect().Right + b0.Width() / 2, R->Width());
  WriteWindowPng(R, "cxRadioGroup_columns");
  R->Properties()->SetColumns(0);
  EXPECT_EQ(R->Properties()->Columns(), 1);

  // The button-group base balances its columns instead.
  TcxCustomButtonGroupProperties p;
  for (int i = 0; i < 4; ++i) p.Items()->Add();
  p.SetColumns(3);
  EXPECT_EQ(p.GetColumnCount(), 2);
  p.Items()->Add();
  EXPECT_EQ(p.GetColumnCount(), 3);
}

TEST_F(RadioGroupFixture, FilterOperandIsPickedFromTheItemCaptions) {
  const TcxCustomFilterEditHelper* helper =
      cxGetFilterEditsController()->FindHelper(TcxRadioGroupProperties::StaticClass());
  ASSERT_NE(helper, nullptr);
  R->Properties()->SetDefaultValue(Variant(5));
  R->Properties()->SetDefaultCaption("未选");
  TcxComboBox combo(Form.get());
  combo.SetParent(Form.get());
  helper->InitFilterProperties(combo.Properties(), R->Properties(), false);
  ASSERT_EQ(combo.Properties()->Items()->Count(), 3);
  EXPECT_EQ(combo.Properties()->Items()->Strings(2), "现金");
  EXPECT_EQ(combo.Properties()->DropDownListStyle(), lsFixedList);
  struct Case {
    Variant Written;
    Integer Index;
    Variant Read;
    String Text;
  } cases[] = {
      {Variant(2), 1, Variant(2), "B"},
      {Variant(String("A")), 0, Null(), "A"},   // an item without a value reads Null
      {Variant(7), -1, Variant(5), "未选"},      // no item: the default value and caption
  };
  for (const Case& c : cases) {
    helper->WriteFilterValue(&combo, R->Properties(), c.Written);
    EXPECT_EQ(combo.ItemIndex(), c.Index) << VarToStr(c.Written);
    Variant v;
    String text;
    helper->ReadFilterValue(&combo, R->Properties(), v, text);
    EXPECT_TRUE(cxVarEqualsStrict(v, c.Read) || (v.IsNull() && c.Read.IsNull())) << VarToStr(c.Written);
    EXPECT_EQ(text, c.Text);
  }
  EXPECT_TRUE(helper->CompareByDisplayText());
}

// In a grid cell the group has no button windows: its view draws the items,
// the value's item checked (the first one in a preview).
TEST_F(RadioGroupFixture, InPlaceViewDrawsTheItemsWithTheValuesItemChecked) {
  R->Properties()->SetColumns(3);
  const TRect cell(0, 0, 240, 22);
  auto paint = [&](const Variant& AValue, bool APreview, TBitmap* ABitmap, TcxCustomRadioGroupViewInfo*& AInfo) {
    static std::unique_ptr<TcxCustomEditViewInfo> vi;
    vi.reset(R->Properties()->CreateViewInfo());
    std::unique_ptr<TcxCustomEditViewData> vd(R->Properties()->CreateViewData(R->Style(), true, APreview));
    ABitmap->SetWidth(cell.Width());
    ABitmap->SetHeight(cell.Height());
    TcxCanvas canvas(ABitmap->Canvas());
    vd->PrepareViewInfoForPaint(&canvas, AValue, vi.get());
    vd->Calculate(&canvas, cell, TPoint(-1, -1), 0, {}, vi.get(), false);
    vi->PaintOn(&canvas);
    AInfo = static_cast<TcxCustomRadioGroupViewInfo*>(vi.get());
  };
  TBitmap a, b, preview;
  TcxCustomRadioGroupViewInfo* vi = nullptr;
  paint(Variant(2), false, &b, vi);
  EXPECT_EQ(vi->ItemIndex, 1);
  ASSERT_EQ(vi->ButtonsInfo.size(), 3u);
  // Three equal columns in one row, each with its caption.
  std::vector<TRect> bounds;
  for (auto& info : vi->ButtonsInfo) bounds.push_back(info->Bounds);
  EXPECT_EQ(bounds[0].Top, bounds[2].Top);
  EXPECT_EQ(bounds[1].Left - bounds[0].Left, bounds[2].Left - bounds[1].Left);
  EXPECT_EQ(static_cast<TcxGroupBoxButtonViewInfo*>(vi->ButtonsInfo[2].get())->Data.Caption, "现金");
  WriteTestPng(&b, "cxRadioGroup_inplace_B");
  paint(Variant(String("A")), false, &a, vi);
  EXPECT_EQ(vi->ItemIndex, 0);
  paint(Variant(2), true, &preview, vi);
  EXPECT_EQ(vi->ItemIndex, 0);
  // The checked glyph moves with the value: the first glyph differs
  // between "A" and 2, and the preview shows what "A" shows.
  auto glyphDiffers = [&](TBitmap& x, TBitmap& y, const TRect& r) {
    for (Integer px = r.Left; px < r.Left + 13 && px < r.Right; ++px)
      for (Integer py = r.Top; py < r.Bottom; ++py)
        if (x.Canvas()->Pixels(px, py) != y.Canvas()->Pixels(px, py)) return true;
    return false;
  };
  EXPECT_TRUE(glyphDiffers(a, b, bounds[0]));
  EXPECT_TRUE(glyphDiffers(a, b, bounds[1]));
  EXPECT_FALSE(glyphDiffers(a, b, bounds[2]));
  EXPECT_FALSE(glyphDiffers(a, preview, bounds[0]));
}

TEST_F(RadioGroupFixture, AutomaticSizeFollowsTheItems) {
  TcxRadioGroupProperties p;
  auto size = [&](Integer AWidth) {
    std::unique_ptr<TcxCustomEditViewData> vd(p.CreateViewData(R->Style(), false));
    TcxEditSizeProperties sp;
    sp.Width = AWidth;
    TSize s;
    vd->GetEditSize(nullptr, Null(), sp, s);
    return s;
  };
  // No items: no layout, one text row high.
  TSize empty = size(-1);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_GT(empty.cy, 8);
  EXPECT_EQ(size(150).cx, 150);
  EXPECT_EQ(size(150).cy, empty.cy);
  for (const char* caption : {"甲", "乙", "一个相当长的选项说明文字"}) {
    auto* item = static_cast<TcxRadioGroupItem*>(p.Items()->Add());
    item->SetCaption(caption);
  }
  // Without a width: one column of three rows, as wide as the longest caption.
  TSize natural = size(-1);
  EXPECT_EQ(natural.cy, 3 * std::max<Integer>(empty.cy, 13));
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  sc->Font()->Assign(R->Style()->GetVisibleTextFont());
  EXPECT_GT(natural.cx, sc->TextWidth("一个相当长的选项说明文字"));
  // A narrow width wraps the long caption onto more lines: taller rows.
  TSize narrow = size(90);
  p.SetWordWrap(true);
  TSize wrapped = size(90);
  EXPECT_EQ(wrapped.cx, 90);
  EXPECT_GT(wrapped.cy, narrow.cy);
}

TEST_F(RadioGroupFixture, TabReachesTheCheckedButtonOnly) {
  auto* before = new TEdit(Form.get());
  before->SetParent(Form.get());
  before->SetBounds(220, 10, 80, 22);
  auto* after = new TEdit(Form.get());
  after->SetParent(Form.get());
  after->SetBounds(220, 40, 80, 22);
  R->SetTabOrder(1);
  after->SetTabOrder(2);
  before->SetTabOrder(0);
  // Nothing checked: the group is passed over.
  EXPECT_EQ(Form->FindNextControl(before, true, true, false), after);
  R->SetEditValue(Variant(String("cash")));
  EXPECT_EQ(Form->FindNextControl(before, true, true, false), R->Button(2));
  R->SetFocus();
  PumpMessages(1);
  EXPECT_TRUE(R->Button(2)->Focused());
}

TEST_F(RadioGroupFixture, ItemsValuesAndCheckedItemStreamWithTheForm) {
  R->SetName("PayGroup");
  R->SetAlignment(alBottomCenter);
  R->Properties()->SetColumns(2);
  R->Properties()->SetDefaultValue(Variant(5));
  R->SetEditValue(Variant(2));
  String text = ComponentToText(R);
  EXPECT_NE(text.find("ItemIndex = 1"), String::npos) << text;
  EXPECT_NE(text.find("Alignment = alBottomCenter"), String::npos) << text;
  auto copy = std::make_unique<TcxRadioGroup>(nullptr);
  copy->SetParent(Form.get());
  ReadComponentFromText(text, copy.get());
  TcxRadioGroupProperties* p = copy->Properties();
  ASSERT_EQ(p->Items()->Count(), 3);
  EXPECT_EQ(p->Items(2)->Caption(), "现金");
  EXPECT_TRUE(p->Items(0)->Value().IsNull());
  EXPECT_EQ(p->Items(1)->Value().AsInteger(), 2);
  EXPECT_EQ(VarToStr(p->Items(2)->Value()), "cash");
  EXPECT_EQ(p->Columns(), 2);
  EXPECT_EQ(p->DefaultValue().AsInteger(), 5);
  EXPECT_EQ(copy->Alignment(), alBottomCenter);
  // The stored item index is applied once loading ends.
  EXPECT_EQ(copy->ItemIndex(), 1);
  EXPECT_EQ(copy->EditValue().AsInteger(), 2);
  EXPECT_EQ(ComponentToText(copy.get()), text);
  copy.reset();   // a group freed directly, not by its owner
}

TEST_F(RadioGroupFixture, InPlaceActivationFocusesTheCheckedButton) {
  TcxCustomEditData* data = nullptr;
  {
    TcxRadioGroup g(nullptr, true);
    g.SetParent(Form.get());
    g.SetBounds(220, 10, 180, 30);
    g.Properties()->Assign(R->Properties());
    g.Properties()->SetColumns(3);
    g.SetEditValue(Variant(2));
    PumpMessages(1);
    g.Activate(data);
    PumpMessages(1);
    EXPECT_TRUE(g.Button(1)->Focused());
    // Without a value the first button takes the focus, unchecked.
    g.SetEditValue(Null());
    g.Activate(data);
    PumpMessages(1);
    EXPECT_TRUE(g.Button(0)->Focused());
    EXPECT_EQ(g.ItemIndex(), -1);
    EXPECT_TRUE(g.EditValue().IsNull());
    g.ActivateResetValue();
    EXPECT_EQ(g.ItemIndex(), -1);
    EXPECT_TRUE(g.EditValue().IsNull());
  }
  delete data;
}

// Keys on a button reach the group: its key events, Space still checks the
// focused button, and Escape gives back the value the group had when it
// was entered.
TEST_F(RadioGroupFixture, KeysOnTheButtonsReachTheGroup) {
  std::vector<String> heard;
  R->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { heard.push_back("down " + IntToStr(Key)); };
  R->OnKeyPress = [&](TObject*, char32_t& Key) { heard.push_back("press " + IntToStr(Integer(Key))); };
  R->OnKeyUp = [&](TObject*, Word& Key, TShiftState) { heard.push_back("up " + IntToStr(Key)); };
  R->SetEditValue(Variant(2));
  R->SetFocus();
  PumpMessages(1);
  ASSERT_TRUE(R->Button(1)->Focused());
  // Space on the focused, unchecked button checks it.
  R->SetItemIndex(-1);
  ASSERT_EQ(Checked(), -1);
  HWND h = R->Button(1)->Handle();
  PostMessageW(h, WM_KEYDOWN, VK_SPACE, 1);
  PumpMessages(1);
  PostMessageW(h, WM_KEYUP, VK_SPACE, 0xC0000001);
  PumpMessages(2);
  EXPECT_EQ(Checked(), 1);
  EXPECT_EQ(R->EditValue().AsInteger(), 2);
  EXPECT_EQ(heard, (std::vector<String>{"down 32", "press 32", "up 32"}));
  // Arrow keys move the checked item; they are the form's keys, not the
  // group's.
  heard.clear();
  PostMessageW(h, WM_KEYDOWN, VK_DOWN, 1);
  PumpMessages(2);
  EXPECT_TRUE(heard.empty());
  EXPECT_EQ(Checked(), 2);
  EXPECT_EQ(VarToStr(R->EditValue()), "cash");
  // Escape restores the value the group had when it got the focus.
  PostMessageW(R->Button(2)->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  PumpMessages(2);
  EXPECT_EQ(R->EditValue().AsInteger(), 2);
  EXPECT_EQ(Checked(), 1);
}

TEST_F(RadioGroupFixture, DraggingOverAButtonIsDraggingOverTheGroup) {
  TPoint over(-1, -1), dropped(-1, -1);
  R->OnDragOver = [&](TObject*, TObject*, Integer X, Integer Y, TDragState, bool& Accept) {
    over = TPoint(X, Y);
    Accept = true;
  };
  R->OnDragDrop = [&](TObject*, TObject*, Integer X, Integer Y) { dropped = TPoint(X, Y); };
  TcxCustomRadioGroupButton* b = R->Button(1);
  bool accept = false;
  b->OnDragOver(b, Form.get(), 3, 4, dsDragMove, accept);
  b->OnDragDrop(b, Form.get(), 3, 4);
  const TPoint expected(b->Left() + 3, b->Top() + 4);
  EXPECT_TRUE(accept);
  EXPECT_EQ(over, expected);
  EXPECT_EQ(dropped, expected);
  bool handled = true;
  b->OnMouseWheel(b, {}, 120, TPoint(0, 0), handled);
  EXPECT_FALSE(handled);
}

TEST_F(RadioGroupFixture, CaptionAcceleratorFocusesTheCheckedButton) {
  auto* other = new TEdit(Form.get());
  other->SetParent(Form.get());
  other->SetBounds(220, 10, 80, 22);
  R->SetCaption("付款方式(&P)");
  R->SetEditValue(Variant(String("cash")));
  other->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(R->Perform(CM_DIALOGCHAR, 'Q', 0), 0);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(R->Perform(CM_DIALOGCHAR, 'P', 0), 1);
  PumpMessages(1);
  EXPECT_TRUE(R->Button(2)->Focused());
  EXPECT_EQ(Checked(), 2);
}

namespace {
class TMenuLike : public TComponent, public IcxPopupMenuComponent {
 public:
  std::vector<TPoint> Shown;
  bool IsShortCutKey(TMessage& M) override { return M.WParam == VK_F9; }
  void Popup(Integer X, Integer Y) override { Shown.push_back(TPoint(X, Y)); }
};
}  // namespace

// The stand-alone radio button: its own popup menu, and hot while the mouse
// is over it.
TEST_F(RadioGroupFixture, RadioButtonMenuAndHotTracking) {
  auto* b = new TcxRadioButton(Form.get());
  b->SetParent(Form.get());
  b->SetBounds(220, 150, 120, 24);
  b->SetCaption("加急");
  PumpMessages(1);
  TMenuLike menu;
  TComponent plain;
  b->AssignPopupMenu(&plain);   // not a menu: stored as nothing
  EXPECT_EQ(b->PopupMenuComponent(), nullptr);
  b->AssignPopupMenu(&menu);
  HWND h = b->Handle();
  SendMessageW(h, WM_CONTEXTMENU, WPARAM(h), MAKELPARAM(-1, -1));   // the menu key
  TPoint inside = b->ClientToScreen(TPoint(30, 10));
  SendMessageW(h, WM_CONTEXTMENU, WPARAM(h), MAKELPARAM(inside.X, inside.Y));
  TPoint outside = b->ClientToScreen(TPoint(-5, 10));
  SendMessageW(h, WM_CONTEXTMENU, WPARAM(h), MAKELPARAM(outside.X, outside.Y));
  EXPECT_EQ(menu.Shown, (std::vector<TPoint>{b->ClientToScreen(TPoint(0, 0)), inside}));
  // The menu's shortcuts are taken before the button sees the key.
  EXPECT_EQ(b->Perform(CN_KEYDOWN, VK_F9, 0), 1);
  EXPECT_EQ(b->Perform(CN_KEYDOWN, VK_F8, 0), 0);
  {
    TPopupMenu gone;
    b->AssignPopupMenu(&gone);
  }
  EXPECT_EQ(b->PopupMenuComponent(), nullptr);   // freed: forgotten

  // Hot while the mouse is over it; normal again once it has left.
  EXPECT_EQ(b->State(), 2);
  SetCursorPos(inside.X, inside.Y);
  SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  EXPECT_EQ(b->State(), 1);
  ASSERT_TRUE(cxMouseTrackingActive(b));
  SetCursorPos(5, 5);
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, cxMouseTrackingTimer(b)->Id(), 0);
  EXPECT_EQ(b->State(), 2);
  EXPECT_FALSE(cxMouseTrackingActive(b));
  b->SetEnabled(false);
  EXPECT_EQ(b->State(), 0);
}

namespace {
// Pixels of the button's caption area in the highlight colour (the light
// half of embossed text).
Integer HighlightPixels(TcxRadioButton* b) {
  Integer n = 0;
  for (Integer y = 0; y < b->Height(); ++y)
    for (Integer x = b->ButtonRect().Right + 2; x < b->Width(); ++x)
      if (ClientPixel(b, x, y) == COLORREF(ColorToRGB(clBtnHighlight))) ++n;
  return n;
}
}  // namespace

// A disabled stand-alone button shows its caption embossed; a disabled
// button of a group keeps the group's disabled text colour, flat.
TEST_F(RadioGroupFixture, DisabledCaptionsAreEmbossedOnStandAloneButtonsOnly) {
  auto* b = new TcxRadioButton(Form.get());
  b->SetParent(Form.get());
  b->SetBounds(220, 150, 120, 24);
  b->SetCaption("加急发货");
  EXPECT_TRUE(cxRadioButtonImageListExists());
  PumpMessages(2);
  EXPECT_EQ(HighlightPixels(b), 0);
  b->SetEnabled(false);
  PumpMessages(2);
  EXPECT_GT(HighlightPixels(b), 10);
  WriteWindowPng(b, "cxRadioButton_disabled");
  R->Properties()->Items(0)->SetEnabled(false);
  PumpMessages(2);
  ASSERT_FALSE(R->Button(0)->Enabled());
  EXPECT_EQ(HighlightPixels(R->Button(0)), 0);
}

// What is set on the group reaches its buttons: dragging, cursor, parent
// background, enabled state, the look-and-feel, and its menu and shortcuts.
TEST_F(RadioGroupFixture, ButtonsFollowTheGroupsSettings) {
  R->Properties()->Items(1)->SetEnabled(false);
  R->SetDragKind(dkDock);
  R->SetDragMode(dmAutomatic);
  R->SetCursor(crHandPoint);
  R->SetParentBackground(false);
  PumpMessages(2);
  for (TWinControl* b : R->Buttons()) {
    EXPECT_EQ(b->DragKind(), dkDock);
    EXPECT_EQ(b->DragMode(), dmAutomatic);
    EXPECT_EQ(b->Cursor(), crHandPoint);
    EXPECT_FALSE(b->ParentBackground());
    EXPECT_TRUE(R->IsInternalControl(b));
  }
  EXPECT_FALSE(R->IsInternalControl(nullptr));
  EXPECT_FALSE(R->IsInternalControl(Form.get()));
  R->SetDragMode(dmManual);
  R->SetEnabled(false);
  EXPECT_FALSE(R->Button(0)->Enabled());
  EXPECT_FALSE(R->Button(0)->CanFocus());
  R->SetEnabled(true);
  EXPECT_TRUE(R->Button(0)->Enabled());
  EXPECT_FALSE(R->Button(1)->Enabled());   // its item is disabled
  EXPECT_FALSE(R->Button(1)->CanFocus());
  R->Style()->LookAndFeel()->SetNativeStyle(true);
  EXPECT_TRUE(R->Button(2)->LookAndFeel()->NativeStyle());
  R->Style()->LookAndFeel()->SetNativeStyle(false);
  EXPECT_FALSE(R->Button(2)->LookAndFeel()->NativeStyle());
  // A button without a menu of its own shows the group's; the group's
  // shortcuts work from its buttons.
  TMenuLike menu;
  R->AssignPopupMenu(&menu);
  HWND h = R->Button(2)->Handle();
  TPoint inside = R->Button(2)->ClientToScreen(TPoint(10, 5));
  SendMessageW(h, WM_CONTEXTMENU, WPARAM(h), MAKELPARAM(inside.X, inside.Y));
  EXPECT_EQ(menu.Shown, (std::vector<TPoint>{inside}));
  EXPECT_EQ(R->Button(2)->Perform(CN_KEYDOWN, VK_F9, 0), 1);
  R->AssignPopupMenu(nullptr);
}

namespace {
class TRecordingBinding : public TcxEditDataBinding {
 public:
  using TcxEditDataBinding::TcxEditDataBinding;
  std::vector<String> Log;
  bool ExecuteBindingAction(TBasicAction*) override {
    Log.push_back("execute");
    return true;
  }
  bool UpdateBindingAction(TBasicAction*) override {
    Log.push_back("update");
    return true;
  }
};
class TBoundRadioGroup : public TcxRadioGroup {
 public:
  explicit TBoundRadioGroup(TComponent* AOwner) : TcxRadioGroup(AOwner) {
    Binding = new TRecordingBinding(this);
    SetDataBindingObject(Binding);
  }
  TRecordingBinding* Binding;
};
}  // namespace

// An action a button cannot handle is offered to the group's data.
TEST_F(RadioGroupFixture, ActionsOnAButtonReachTheGroupsData) {
  auto* g = new TBoundRadioGroup(Form.get());
  g->SetParent(Form.get());
  g->SetBounds(220, 10, 180, 100);
  g->Properties()->Assign(R->Properties());
  PumpMessages(1);
  TAction action(nullptr);
  EXPECT_TRUE(g->Button(0)->ExecuteAction(&action));
  EXPECT_TRUE(g->Button(0)->UpdateAction(&action));
  EXPECT_EQ(g->Binding->Log, (std::vector<String>{"execute", "update"}));
}

// In a grid, the click that starts editing checks the item it was on.
TEST_F(RadioGroupFixture, TheActivatingClickInAGridChecksTheItemUnderTheMouse) {
  TcxCustomEditData* data = nullptr;
  {
    TcxRadioGroup g(nullptr, true);
    g.SetParent(Form.get());
    g.SetBounds(10, 140, 390, 30);
    g.Properties()->Assign(R->Properties());
    g.Properties()->SetColumns(3);
    PumpMessages(1);
    ASSERT_EQ(g.Buttons().size(), 3u);
    // The middle of the third item, in the form's coordinates.
    TcxCustomRadioGroupButton* third = g.Button(2);
    TPoint p(g.Left() + third->Left() + 10, g.Top() + third->Top() + third->Height() / 2);
    g.ActivateByMouse(TShiftState{ssLeft}, p.X, p.Y, data);
    SendMessageW(third->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(third->Width() / 2, third->Height() / 2));
    PumpMessages(2);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_EQ(VarToStr(g.EditValue()), "cash");
    EXPECT_TRUE(third->Focused());
  }
  delete data;
}

TEST_F(RadioGroupFixture, FocusOnAButtonIsTheGroupsFocus) {
  auto* other = new TEdit(Form.get());
  other->SetParent(Form.get());
  other->SetBounds(220, 10, 80, 22);
  std::vector<bool> changes;
  R->OnFocusChanged = [&](TObject*) { changes.push_back(R->Focused()); };
  R->SetEditValue(Variant(2));
  other->SetFocus();
  PumpMessages(1);
  changes.clear();
  R->SetFocus();
  PumpMessages(1);
  other->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

// In a grid the arrows move the focus by columns and rows, and stop at the
// edges; the focus alone checks nothing there.
TEST_F(RadioGroupFixture, ArrowKeysInAGridFollowColumnsAndRows) {
  TcxRadioGroup g(nullptr, true);
  g.SetParent(Form.get());
  g.SetBounds(10, 140, 390, 60);
  for (const char* c : {"D", "E"}) static_cast<TcxRadioGroupItem*>(R->Properties()->Items()->Add())->SetCaption(c);
  g.Properties()->Assign(R->Properties());
  g.Properties()->SetColumns(3);   // columns of 2, 2 and 1 buttons
  PumpMessages(1);
  ASSERT_EQ(g.Buttons().size(), 5u);
  EXPECT_TRUE(SendMessageW(g.Button(0)->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
  EXPECT_FALSE(SendMessageW(R->Button(0)->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
  struct Step {
    Integer From;
    WPARAM Key;
    Integer To;
  } steps[] = {
      {1, VK_RIGHT, 3}, {3, VK_UP, 2}, {2, VK_LEFT, 0}, {0, VK_UP, 0}, {0, VK_LEFT, 0},
      {4, VK_DOWN, 4},   // the last button of the shorter last column
      {4, VK_RIGHT, 4}, {3, VK_DOWN, 3}, {2, VK_DOWN, 3},
  };
  for (const Step& s : steps) {
    g.Button(s.From)->SetFocus();
    PumpMessages(1);
    PostMessageW(g.Button(s.From)->Handle(), WM_KEYDOWN, s.Key, 1);
    PumpMessages(2);
    EXPECT_TRUE(g.Button(s.To)->Focused()) << s.From << " " << s.Key << " " << s.To;
  }
  EXPECT_EQ(g.ItemIndex(), -1);
}

TEST_F(RadioGroupFixture, ButtonsOfAGroupInAGridKeepTab) {
  TcxRadioGroup g(nullptr, true);
  g.SetParent(Form.get());
  g.SetBounds(220, 10, 180, 30);
  g.Properties()->Assign(R->Properties());
  PumpMessages(1);
  ASSERT_FALSE(g.Buttons().empty());
  EXPECT_TRUE(SendMessageW(g.Button(0)->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  EXPECT_FALSE(SendMessageW(R->Button(0)->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
}

TEST_F(RadioGroupFixture, AClickChecksNothingWhenEditingIsRefused) {
  R->SetEditValue(Variant(2));
  bool allow = false;
  R->OnEditing = [&](TObject*, bool& CanEdit) { CanEdit = allow; };
  ClickButton(2);
  EXPECT_EQ(Checked(), 1);
  EXPECT_EQ(R->EditValue().AsInteger(), 2);
  allow = true;
  ClickButton(2);
  EXPECT_EQ(Checked(), 2);
  EXPECT_EQ(VarToStr(R->EditValue()), "cash");
}

TEST_F(RadioGroupFixture, AnAutomaticallyDraggedGroupIsDraggedFromItsButtons) {
  R->SetDragMode(dmAutomatic);
  TPoint inside = R->Button(2)->ClientToScreen(TPoint(5, 5));
  SetCursorPos(inside.X, inside.Y);
  SendMessageW(R->Button(2)->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(R->Dragging());
  EXPECT_EQ(Checked(), -1);   // the button itself was not pressed
  R->EndDrag(false);
  PumpMessages(1);
}

TEST_F(RadioGroupFixture, TransparentRadioButtonShowsItsParent) {
  Form->SetColor(clYellow);
  auto* b = new TcxRadioButton(Form.get());
  b->SetParent(Form.get());
  b->SetBounds(220, 150, 120, 24);
  b->SetCaption("加急");
  b->SetColor(clWhite);
  PumpMessages(2);
  const int x = b->Width() - 3, y = 2;   // beyond the caption
  EXPECT_EQ(ClientPixel(b, x, y), COLORREF(ColorToRGB(clWhite)));
  b->SetTransparent(true);
  PumpMessages(2);
  EXPECT_EQ(ClientPixel(b, x, y), COLORREF(ColorToRGB(clYellow)));
  WriteWindowPng(b, "cxRadioButton_transparent");
}
