// The check list box: the check-states formats, items checked by mouse and
// keyboard, and the users window's permission string over a real SQLite
// table.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "cxDBCheckListBox.h"
#include "gtest.h"

namespace {

struct TTestItems : IcxCheckStateItems {
  std::vector<String> Captions;
  Integer GetCount() override { return Integer(Captions.size()); }
  String GetCaption(Integer AIndex) override { return Captions[size_t(AIndex)]; }
};

String StatesText(const TcxCheckStates& S) {
  String t;
  for (TcxCheckBoxState s : S) t += char('0' + Integer(s));
  return t;
}

TcxCheckStates States(const char* AText) {
  TcxCheckStates s;
  for (const char* p = AText; *p; ++p) s.push_back(TcxCheckBoxState(*p - '0'));
  return s;
}

const char* const Operations[] = {"客户资料", "产品资料", "销售订单", "报价单", "统计报表", "用户管理"};

void Click(TWinControl* AControl, TPoint P, bool ADouble = false) {
  HWND w = AControl->Handle();
  LPARAM at = MAKELPARAM(P.X, P.Y);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(w, WM_LBUTTONUP, 0, at);
  if (ADouble) {
    PostMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(w, WM_LBUTTONUP, 0, at);
  }
  PumpMessages(2);
}

TPoint CenterOf(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

}  // namespace

TEST(CheckStatesFormats, WriteAndRead) {
  TTestItems items;
  items.Captions = {"ab", "c", "d", "e"};
  struct Case {
    TcxCheckStatesValueFormat Format;
    const char* States;
    const char* Text;
  };
  const Case cases[] = {
      {cvfStatesString, "0120", "0120"},
      {cvfIndices, "1010", ";0,2"},
      {cvfIndices, "0201", "1;3"},
      {cvfIndices, "0000", ""},
      {cvfCaptions, "1200", "1:c;2:ab"},
      {cvfCaptions, "0000", ""},
  };
  for (const Case& c : cases) {
    Variant v;
    cxCheckStatesToEditValue(States(c.States), &items, c.Format, v);
    EXPECT_EQ(VarToStr(v), c.Text) << c.States;
    TcxCheckStates back;
    EXPECT_TRUE(cxEditValueToCheckStates(v, &items, c.Format, back)) << c.Text;
    EXPECT_EQ(StatesText(back), c.States) << c.Text;
  }
  // Integers: one bit per checked item, grayed counts as unchecked.
  Variant v;
  cxCheckStatesToEditValue(States("1021"), &items, cvfInteger, v);
  EXPECT_EQ(v.AsInt64(), 9);
}

TEST(CheckStatesFormats, ReadingShortLongAndBadValues) {
  TTestItems items;
  items.Captions = {"a", "b", "c"};
  struct Case {
    TcxCheckStatesValueFormat Format;
    Variant Value;
    bool Ok;
    const char* States;
  };
  const Case cases[] = {
      {cvfStatesString, Variant("1"), true, "100"},      // missing characters: unchecked
      {cvfStatesString, Variant("01211"), true, "012"},  // extra characters ignored
      {cvfStatesString, Variant("013"), false, "000"},   // a bad character fails
      {cvfStatesString, Null(), true, "000"},
      {cvfIndices, Variant("0,5"), false, "000"},        // index beyond the items
      {cvfIndices, Variant("0;1;2"), false, "000"},      // a second ';'
      {cvfIndices, Variant("99999999999"), false, "000"},
      {cvfCaptions, Variant("1:x"), false, "000"},       // an entry left over
      {cvfCaptions, Variant("1:B;1:c"), true, "021"},    // captions ignore case
      {cvfCaptions, Variant("5:ab"), false, "000"},      // cannot be read to the end
      {cvfInteger, Variant("5"), true, "101"},
      {cvfInteger, Variant("5x"), false, "000"},
      {cvfInteger, Variant(Int64(2)), true, "010"},
      {cvfInteger, Variant(String()), true, "000"},
  };
  for (const Case& c : cases) {
    TcxCheckStates s;
    EXPECT_EQ(cxEditValueToCheckStates(c.Value, &items, c.Format, s), c.Ok) << VarToStrDef(c.Value, "Null");
    EXPECT_EQ(StatesText(s), c.States) << VarToStrDef(c.Value, "Null");
  }
  // Only the first 64 items take part in the integer format.
  TTestItems many;
  for (int i = 0; i < 70; ++i) many.Captions.push_back(IntToStr(i));
  TcxCheckStates s(70, cbsUnchecked);
  s[65] = cbsChecked;
  Variant v;
  cxCheckStatesToEditValue(s, &many, cvfInteger, v);
  EXPECT_EQ(v.AsInt64(), 0);
}

TEST(CheckGlyphs, ImageIndexes) {
  EXPECT_EQ(cxCheckGlyphImageIndex(cbsChecked, cxcbsNormal, false, 6), 1);
  EXPECT_EQ(cxCheckGlyphImageIndex(cbsGrayed, cxcbsPressed, false, 6), 5);
  // Four images without grayed: two per button state; pressed grayed wraps.
  EXPECT_EQ(cxCheckGlyphImageIndex(cbsGrayed, cxcbsPressed, false, 4), 0);
  EXPECT_EQ(cxCheckGlyphImageIndex(cbsChecked, cxcbsPressed, false, 4), 3);
}

// ---------------------------------------------------------------------------
// The control

namespace {
struct CheckListFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxCheckListBox* Box = nullptr;
  TEdit* Other = nullptr;
  std::vector<String> Clicks;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 260);
    Box = new TcxCheckListBox(Form.get());
    Box->SetBounds(10, 10, 240, 150);
    Box->SetParent(Form.get());
    for (const char* op : Operations) Box->Items()->Add()->SetText(op);
    Box->OnClickCheck() = [this](TObject*, Integer I, TcxCheckBoxState P, TcxCheckBoxState N) {
      Clicks.push_back(IntToStr(I) + ":" + IntToStr(Integer(P)) + ">" + IntToStr(Integer(N)));
    };
    Other = new TEdit(Form.get());
    Other->SetBounds(10, 180, 100, 22);
    Other->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  TPoint CheckCenter(Integer I) { return CenterOf(Box->InnerCheckListBox()->CheckRect(I)); }
  TPoint TextPoint(Integer I) {
    TRect r = Box->InnerCheckListBox()->ItemRect(I);
    return TPoint(r.Right - 10, (r.Top + r.Bottom) / 2);
  }
};
}  // namespace

TEST_F(CheckListFixture, MouseAndKeyboardCheckItems) {
  Box->SetEditValueFormat(cvfStatesString);
  Box->SetEditValue(Variant("101"));
  EXPECT_TRUE(Box->Items()->Items(0)->Checked());
  EXPECT_FALSE(Box->Items()->Items(1)->Checked());
  EXPECT_TRUE(Box->Items()->Items(2)->Checked());
  // A click on the check toggles; a click on the text only selects.
  Click(Box->InnerCheckListBox(), CheckCenter(4));
  EXPECT_TRUE(Box->Items()->Items(4)->Checked());
  EXPECT_EQ(VarToStr(Box->EditValue()), "101010");
  Click(Box->InnerCheckListBox(), TextPoint(1));
  EXPECT_EQ(Box->ItemIndex(), 1);
  EXPECT_FALSE(Box->Items()->Items(1)->Checked());
  // Space toggles the selected item.
  PostMessageW(Box->InnerCheckListBox()->Handle(), WM_CHAR, ' ', 1);
  PumpMessages(2);
  EXPECT_EQ(VarToStr(Box->EditValue()), "111010");
  EXPECT_EQ(Clicks, (std::vector<String>{"4:0>1", "1:0>1"}));
  // A press that leaves the check before the release does not toggle.
  HWND w = Box->InnerCheckListBox()->Handle();
  TPoint p = CheckCenter(5);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  PumpMessages(1);
  EXPECT_EQ(Box->InnerCheckListBox()->PressedCheckIndex(), 5);
  TPoint off = TextPoint(5);
  PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(off.X, off.Y));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(off.X, off.Y));
  PumpMessages(2);
  EXPECT_FALSE(Box->Items()->Items(5)->Checked());
  // Disabled items stay as they are.
  Box->Items()->Items(3)->SetEnabled(false);
  Click(Box->InnerCheckListBox(), CheckCenter(3));
  EXPECT_FALSE(Box->Items()->Items(3)->Checked());
  WriteWindowPng(Box, "cxCheckListBox_items");
}

TEST_F(CheckListFixture, DoubleClickOnTextTogglesOnlyWhenAllowed) {
  Box->SetAllowDblClickToggle(false);
  Click(Box->InnerCheckListBox(), TextPoint(2), true);
  EXPECT_FALSE(Box->Items()->Items(2)->Checked());
  Box->SetAllowDblClickToggle(true);
  Click(Box->InnerCheckListBox(), TextPoint(2), true);
  EXPECT_TRUE(Box->Items()->Items(2)->Checked());
}

TEST_F(CheckListFixture, GrayedStatesAndTheIntegerFormat) {
  Box->SetAllowGrayed(true);
  // The integer format knows no grayed state: toggling goes straight on.
  Box->ToggleItem(0);
  EXPECT_EQ(Box->Items()->Items(0)->State(), cbsChecked);
  EXPECT_EQ(Box->EditValue().AsInt64(), 1);
  Box->SetEditValueFormat(cvfStatesString);
  Box->ToggleItem(1);
  EXPECT_EQ(Box->Items()->Items(1)->State(), cbsGrayed);
  Box->ToggleItem(1);
  EXPECT_EQ(Box->Items()->Items(1)->State(), cbsChecked);
  Box->ToggleItem(2);
  EXPECT_EQ(VarToStr(Box->EditValue()), "112000");
  // Back to integers: the grayed item becomes unchecked.
  Box->SetEditValueFormat(cvfInteger);
  EXPECT_EQ(Box->Items()->Items(2)->State(), cbsUnchecked);
  EXPECT_EQ(Box->EditValue().AsInt64(), 3);
}

TEST_F(CheckListFixture, NumericEditValues) {
  EXPECT_TRUE(Box->IsNumericEditValue(Variant(Int64(5)), false));
  EXPECT_TRUE(Box->IsNumericEditValue(Variant("12"), false));
  EXPECT_TRUE(Box->IsNumericEditValue(Variant("1.5"), false));
  EXPECT_FALSE(Box->IsNumericEditValue(Variant("101x"), false));
  EXPECT_TRUE(Box->IsNumericEditValue(Null(), true));
  EXPECT_FALSE(Box->IsNumericEditValue(Variant(String()), false));
}

TEST_F(CheckListFixture, IntegralHeightFitsWholeRows) {
  Integer row = Box->InnerCheckListBox()->CalcItemHeight();
  Integer rows4 = Box->CalcHeightForRows(4);
  Box->SetHeight(rows4 + row / 2);
  Box->SetIntegralHeight(true);
  EXPECT_EQ(Box->Height(), rows4);
  Box->SetHeight(rows4 + row);
  EXPECT_EQ(Box->Height(), rows4 + row);
  // Aligned to the whole client the height is the parent's to give.
  Box->SetIntegralHeight(false);
  Box->SetAlign(alClient);
  Box->SetIntegralHeight(true);
  EXPECT_EQ(Box->Height(), Form->ClientHeight());
}

TEST_F(CheckListFixture, ItemTextsAndSorting) {
  TcxCheckListBoxItem* item = Box->Items()->Items(0);
  item->SetText("客户资料");
  EXPECT_EQ(Box->InnerCheckListBox()->Items()->Strings(0), "客户资料");
  item->SetText("Zeta");
  EXPECT_EQ(Box->InnerCheckListBox()->Items()->Strings(0), "Zeta");
  const char* latin[] = {"Zeta", "alpha", "delta", "beta", "omega", "gamma"};
  for (Integer i = 1; i < 6; ++i) Box->Items()->Items(i)->SetText(latin[i]);
  Box->SetSorted(true);
  EXPECT_EQ(Box->Items()->Items(0)->Text(), "alpha");
  // Renaming while sorted moves the item.
  Box->Items()->Items(0)->SetText("zz");
  EXPECT_EQ(Box->Items()->Items(Box->Items()->Count() - 1)->Text(), "zz");
  EXPECT_EQ(Box->InnerCheckListBox()->Items()->Strings(Box->Items()->Count() - 1), "zz");
  EXPECT_EQ(Box->Items()->IndexOfText("ZETA"), Box->Items()->Count() - 2);
}

// ---------------------------------------------------------------------------
// The users window's permissions over SQLite

namespace {
std::string FreshUsers(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxeditors-tests";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/" + name;
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE Users (U_ID INTEGER PRIMARY KEY, U_Name TEXT(20), U_P TEXT(50));"
               "INSERT INTO Users VALUES (1, '张三', '101');"
               "INSERT INTO Users VALUES (2, '李四', NULL);",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

std::string StoredPermissions(const std::string& path, int id) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT U_P FROM Users WHERE U_ID = ?", -1, &st, nullptr);
  sqlite3_bind_int(st, 1, id);
  std::string s = "<none>";
  if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
    s = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return s;
}
}  // namespace

TEST(DBCheckListBoxSqlite, PermissionStringOfTheUsersWindow) {
  std::string path = FreshUsers("users.mdb");
  TADOConnection conn;
  conn.SetLoginPrompt(false);
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  conn.Open();
  TADOQuery users;
  users.SetConnection(&conn);
  users.SQL()->SetText("select * from Users order by U_ID");
  users.Open();
  TDataSource ds;
  ds.SetDataSet(&users);
  {
    TForm form(nullptr);
    form.SetBounds(40, 40, 640, 200);
    auto* other = new TEdit(&form);
    other->SetBounds(10, 10, 100, 22);
    other->SetParent(&form);
    auto* op = new TcxDBCheckListBox(&form);
    op->SetName("OP");
    op->SetAlign(alBottom);
    op->SetHeight(60);
    op->SetParent(&form);
    op->SetColumns(6);
    op->SetEditValueFormat(cvfStatesString);
    op->DataBinding()->SetDataSource(&ds);
    op->DataBinding()->SetDataField("U_P");
    // The window adds one item per operation at run time.
    for (const char* name : Operations) op->GetItems()->Add()->SetText(name);
    form.Show();
    PumpMessages(1);
    EXPECT_EQ(VarToStr(op->EditValue()), "101");
    EXPECT_TRUE(op->Items()->Items(0)->Checked());
    EXPECT_TRUE(op->Items()->Items(2)->Checked());
    for (int i : {1, 3, 4, 5}) EXPECT_FALSE(op->Items()->Items(i)->Checked()) << i;
    // Item 4 checked by the mouse, in its own column.
    TcxCustomInnerCheckListBox* list = op->InnerCheckListBox();
    EXPECT_GT(list->ItemRect(4).Left, list->ItemRect(0).Left);
    Click(list, CenterOf(list->CheckRect(4)));
    EXPECT_EQ(users.State(), dsEdit);
    // The field is written when the user leaves the list.
    EXPECT_EQ(users.FieldByName("U_P")->AsString(), "101");
    other->SetFocus();
    PumpMessages(1);
    EXPECT_EQ(users.FieldByName("U_P")->AsString(), "101010");
    WriteWindowPng(&form, "cxDBCheckListBox_users");
    users.Post();
    // The next user has no permissions yet: all unchecked; Space checks the
    // selected one and the dataset's post writes it.
    users.Next();
    EXPECT_EQ(VarToStr(op->EditValue()), "");
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(op->Items()->Items(i)->Checked()) << i;
    list->SetFocus();
    op->SetItemIndex(5);
    PostMessageW(list->Handle(), WM_CHAR, ' ', 1);
    PumpMessages(2);
    EXPECT_EQ(VarToStr(op->EditValue()), "000001");
    users.Post();
    // A read-only list refuses toggling.
    op->SetReadOnly(true);
    Click(list, CenterOf(list->CheckRect(0)));
    EXPECT_FALSE(op->Items()->Items(0)->Checked());
  }
  EXPECT_EQ(StoredPermissions(path, 1), "101010");
  EXPECT_EQ(StoredPermissions(path, 2), "000001");
  users.Close();
  conn.Close();
}

TEST(DBCheckListBox, WithoutChecksItIsAChoiceOfTexts) {
  auto data = std::make_unique<TMemDataSet>(nullptr);
  data->FieldDefs().Add("Kind", ftString, 10);
  data->CreateDataSet();
  data->Append();
  data->FieldByName("Kind")->SetAsString("X");
  data->Post();
  TDataSource ds;
  ds.SetDataSet(data.get());
  TForm form(nullptr);
  auto* box = new TcxDBCheckListBox(&form);
  box->SetParent(&form);
  for (const char* t : {"A", "B", "C"}) box->Items()->Add()->SetText(t);
  box->SetShowChecks(false);
  box->DataBinding()->SetDataSource(&ds);
  box->DataBinding()->SetDataField("Kind");
  form.Show();
  PumpMessages(1);
  EXPECT_EQ(box->ItemIndex(), -1);   // "X" matches no item
  Click(box->InnerCheckListBox(), TPoint(20, box->InnerCheckListBox()->ItemRect(1).Top + 3));
  EXPECT_EQ(box->ItemIndex(), 1);
  data->Edit();
  box->DataBinding()->UpdateRecord();
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "B");
  data->Post();
  data->Edit();
  data->FieldByName("Kind")->SetAsString("c");
  EXPECT_EQ(box->ItemIndex(), 2);
  data->Cancel();
}

// Rows of their own heights: OnMeasureItem makes each row's height from the
// common one, when the window is made, for items added later and whenever
// the list re-measures; the checks of the taller rows are hit where drawn.
TEST(CheckListBoxMeasure, OnMeasureItemGivesRowsTheirOwnHeights) {
  TForm form(nullptr);
  form.SetBounds(60, 60, 320, 330);
  auto* box = new TcxCheckListBox(&form);
  box->SetBounds(10, 10, 240, 280);
  Integer extra = 0;
  box->OnMeasureItem = [&](TWinControl* Control, Integer Index, Integer& Height) {
    EXPECT_EQ(Control, box);
    Height += Index * 8 + extra;
  };
  for (const char* op : Operations) box->Items()->Add()->SetText(op);
  box->SetParent(&form);
  form.Show();
  PumpMessages(1);
  TcxCustomInnerCheckListBox* list = box->InnerCheckListBox();
  const Integer common = list->CalcItemHeight();
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(list->ItemRect(i).Height(), common + i * 8) << i;

  Click(list, CenterOf(list->CheckRect(4)));
  EXPECT_TRUE(box->Items()->Items(4)->Checked());
  EXPECT_FALSE(box->Items()->Items(3)->Checked());
  WriteWindowPng(box, "cxCheckListBox_measured_rows");

  extra = 3;
  box->SetShowChecks(false);   // re-measures
  const Integer plain = list->CalcItemHeight();
  EXPECT_EQ(list->ItemRect(2).Height(), plain + 16 + 3);
  box->Items()->Add()->SetText("新项目");
  EXPECT_EQ(list->ItemRect(6).Height(), plain + 48 + 3);
}
