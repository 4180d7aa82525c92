// The library's data-aware edit: its own value, edit and display formats,
// typing into a bound field, Escape, posting once, the read-only rules, a
// failed post on leaving, the button row and the list of recent texts.
#include <memory>
#include <vector>
#include "DBCtrlsEh.h"
#include "DBEhAdoSupport.h"
#include "DBEhTestSupport.h"
#include "ExtCtrls.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

TEST(DBEditEhOwnValue, KeepsItsOwnValueWithoutDataSource) {
  TForm form(nullptr);
  auto* ed = new TDBEditEh(&form);
  ed->SetParent(&form);
  EXPECT_TRUE(ed->DataLink()->DataIndependent());
  EXPECT_EQ(ed->Value().AsString(), "");
  ed->SetText("广州");
  EXPECT_EQ(ed->DataLink()->IndependentValue().AsString(), "广州");
  EXPECT_EQ(ed->Value().Kind(), varString);
  EXPECT_EQ(ed->Value().AsString(), "广州");
  ed->SetValue(Variant(12));
  EXPECT_EQ(ed->Text(), "12");
  // Null shows nothing and reads back as an empty text, not Null.
  ed->SetValue(Variant::Null());
  EXPECT_EQ(ed->Text(), "");
  EXPECT_FALSE(ed->Value().IsNull());
  EXPECT_EQ(ed->Value().AsString(), "");
  EXPECT_TRUE(ed->IsValueStored());
  // Arrays and Null give an empty text.
  Variant arr = VarArrayOf({Variant(1), Variant(2)});
  ed->SetValue(arr);
  EXPECT_EQ(ed->Text(), "");
}

struct DBEditFixture : DBEhFixture {};

TEST_F(DBEditFixture, BindingAndUnbindingMovesBetweenModes) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  EXPECT_FALSE(ed->DataLink()->DataIndependent());
  EXPECT_EQ(ed->Text(), "张三");
  EXPECT_EQ(ed->MaxLength(), 20);
  Data->Next();
  EXPECT_EQ(ed->Text(), "李四");
  // A data source without a field is bound but inactive and shows nothing.
  ed->SetDataField("");
  EXPECT_FALSE(ed->DataLink()->DataIndependent());
  EXPECT_FALSE(ed->DataLink()->IsLinkActive());
  EXPECT_EQ(ed->Text(), "");
  ed->SetDataSource(nullptr);
  EXPECT_TRUE(ed->DataLink()->DataIndependent());
  EXPECT_EQ(ed->Text(), "");
  EXPECT_TRUE(ed->DataLink()->IndependentValue().IsNull());
  // The size of a newly bound field replaces the old one's.
  ed->SetDataSource(Source);
  ed->SetDataField("C_Code");
  EXPECT_EQ(ed->MaxLength(), 6);
  EXPECT_THROW(ed->SetDataField("NoSuchField"), EDatabaseError);
}

TEST_F(DBEditFixture, EditFormatWhileFocusedDisplayFormatAfter) {
  auto* ed = AddEdit<TDBEditEh>("C_Price", 10);
  auto* other = AddEdit<TDBEditEh>("C_Name", 40);
  EXPECT_EQ(ed->Text(), "1,234.50");
  Focus(ed);
  EXPECT_EQ(ed->Text(), "1234.5");
  EXPECT_TRUE(ed->IsFocused());
  Focus(other);
  EXPECT_EQ(ed->Text(), "1,234.50");
  EXPECT_FALSE(ed->IsFocused());
  EXPECT_EQ(Data->State(), dsBrowse);   // nothing typed: nothing posted
}

TEST_F(DBEditFixture, TypingEditsTheRecordAndLeavingPostsIt) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  auto* other = AddEdit<TDBEditEh>("C_Code", 40);
  Focus(ed);
  EXPECT_TRUE(GetWindowLongW(ed->Handle(), GWL_STYLE) & ES_READONLY);   // browsing
  TypeText(u"王五");
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(ed->Text(), "王五");
  EXPECT_TRUE(ed->DataLink()->Modified());
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "张三");
  Focus(other);
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "王五");
  Data->Post();
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "王五");
  // Enter, Tab and Ctrl+Enter never reach the single-line edit.
  Focus(ed);
  PressKey(VK_END);
  TypeText(u"六");
  SendMessageW(ed->Handle(), WM_CHAR, '\r', 0);
  SendMessageW(ed->Handle(), WM_CHAR, '\t', 0);
  SendMessageW(ed->Handle(), WM_CHAR, 10, 0);
  EXPECT_EQ(ed->Text(), "王五六");
  Data->Cancel();
}

TEST_F(DBEditFixture, EscapeRestoresTheFieldValue) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  Focus(ed);
  TypeText(u"X");
  EXPECT_EQ(ed->Text(), "X");
  EXPECT_EQ(ed->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(ed->Text(), "张三");
  EXPECT_EQ(ed->SelLength(), 2);
  EXPECT_FALSE(ed->DataLink()->Modified());
  EXPECT_EQ(ed->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 0);
  Data->Cancel();
}

TEST_F(DBEditFixture, SettersPostOnceAndNotFromInsideOnUpdateData) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  int writes = 0;
  Data->FieldByName("C_Name")->OnChange = [&](TField*) { ++writes; };
  int calls = 0;
  ed->OnUpdateData = [&](TObject*, bool& handled) {
    ++calls;
    ed->SetText(ed->Text() + "!");   // no second post from in here
    EXPECT_EQ(calls, 1);
    handled = false;
  };
  ed->SetText("赵六");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "赵六!");
  // A handler that takes the value over stops the default write.
  ed->OnUpdateData = [&](TObject*, bool& handled) { handled = true; };
  ed->SetText("不写");
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "赵六!");
  Data->Cancel();
  // A failing write restores the shown value from the field.
  ed->OnUpdateData = [&](TObject*, bool&) { throw Exception("写入失败"); };
  EXPECT_THROW(ed->SetText("坏"), Exception);
  EXPECT_EQ(ed->Text(), "张三");
  Data->Cancel();
  // In design mode a bound control takes no assignment.
  ed->OnUpdateData = nullptr;
  ed->SetDesigning(true, false);
  ed->SetText("设计");
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_EQ(ed->Text(), "张三");
}

TEST_F(DBEditFixture, ReadOnlyRules) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  auto ro = [&] { return (GetWindowLongW(ed->Handle(), GWL_STYLE) & ES_READONLY) != 0; };
  EXPECT_TRUE(ro());
  Data->Edit();
  EXPECT_FALSE(ro());
  ed->SetReadOnly(true);
  EXPECT_TRUE(ro());
  ed->SetReadOnly(false);
  EXPECT_FALSE(ro());
  Data->Cancel();
  // A field that cannot be modified is editable in dsEdit only with a handler.
  auto* calc = AddEdit<TDBEditEh>("C_Total", 40);
  Data->Edit();
  EXPECT_TRUE((GetWindowLongW(calc->Handle(), GWL_STYLE) & ES_READONLY) != 0);
  calc->OnUpdateData = [](TObject*, bool& handled) { handled = true; };
  calc->DataLink()->ReloadValue();
  EXPECT_FALSE((GetWindowLongW(calc->Handle(), GWL_STYLE) & ES_READONLY) != 0);
  Data->Cancel();
  // Shift+Insert and Delete start editing before the edit changes the text.
  Focus(ed);
  PressKey(VK_DELETE);
  EXPECT_EQ(Data->State(), dsEdit);
  Data->Cancel();
}

TEST_F(DBEditFixture, AFailedPostOnLeavingKeepsTheFocusAndTheText) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  auto* other = AddEdit<TDBEditEh>("C_Code", 40);
  Data->FieldByName("C_Name")->OnValidate = [](TField* f) {
    if (f->AsString() == "坏") throw EDatabaseError("名称无效");
  };
  std::vector<String> errors;
  Application->OnException = [&](TObject*, Exception* e) { errors.push_back(e->Message()); };
  Focus(ed);
  TypeText(u"坏");
  Focus(other);
  Application->OnException = nullptr;
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "名称无效");
  EXPECT_EQ(GetFocus(), ed->Handle());
  EXPECT_EQ(ed->Text(), "坏");
  EXPECT_TRUE(ed->DataLink()->Modified());
  EXPECT_TRUE(ed->IsFocused());
  // Corrected, it posts on the next exit.
  ed->SelectAll();
  TypeText(u"好");
  Focus(other);
  EXPECT_EQ(GetFocus(), other->Handle());
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "好");
  Data->Cancel();
}

TEST_F(DBEditFixture, AnotherFieldChangingKeepsTheTypedText) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  Focus(ed);
  TypeText(u"新");
  Data->FieldByName("C_Code")->SetAsString("X1");
  EXPECT_EQ(ed->Text(), "新");
  EXPECT_TRUE(ed->DataLink()->Modified());
  Data->Post();
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "新");
}

TEST_F(DBEditFixture, MultiFieldsTakeAnArrayOrNull) {
  TFieldDataLinkEh link;
  link.SetMultiFields(true);
  link.SetDataSource(Source);
  link.ChangeFieldName("C_Name;C_Code");
  ASSERT_EQ(link.BoundFieldCount(), 2);
  Data->Edit();
  link.AssignValue(VarArrayOf({Variant("甲"), Variant("A1")}));
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "甲");
  EXPECT_EQ(Data->FieldByName("C_Code")->AsString(), "A1");
  link.AssignValue(Variant::Null());
  EXPECT_TRUE(Data->FieldByName("C_Name")->IsNull());
  EXPECT_TRUE(Data->FieldByName("C_Code")->IsNull());
  Data->Cancel();
  EXPECT_THROW(link.ChangeFieldName("C_Name;Nothing"), Exception);
}

TEST_F(DBEditFixture, ButtonRowFromTheTextToTheRightEdge) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  ed->SetWidth(200);
  ed->SetFlat(true);
  ed->EditButton()->SetVisible(true);
  ed->EditButtons()->Add()->SetStyle(ebsEllipsisEh);
  ed->EditButtons()->Add()->SetStyle(ebsPlusEh);
  PumpMessages(1);
  const auto& list = ed->ButtonControls();
  ASSERT_EQ(list.size(), 3u);
  int cw = ed->ClientWidth();
  EXPECT_EQ(list[2].EditButtonControl->Left() + list[2].EditButtonControl->Width(), cw);
  EXPECT_EQ(list[2].ButtonLine->Left(), list[2].EditButtonControl->Left() - 1);
  EXPECT_EQ(list[1].EditButtonControl->Left() + list[1].EditButtonControl->Width(), list[2].ButtonLine->Left());
  EXPECT_EQ(list[0].EditButtonControl->Left() + list[0].EditButtonControl->Width(), list[1].ButtonLine->Left());
  EXPECT_EQ(list[0].EditButtonControl->Width(), FlatButtonWidthEh);
  EXPECT_EQ(ed->ButtonsWidth(), 3 * (FlatButtonWidthEh + 1));
  EXPECT_TRUE(list[0].ButtonLine->Visible());
  // Not flat: a scroll bar's width and no dividers; hidden buttons take no room.
  ed->SetFlat(false);
  ed->EditButtons()->Items(1)->SetVisible(false);
  PumpMessages(1);
  EXPECT_EQ(ed->ButtonControls()[0].EditButtonControl->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_FALSE(ed->ButtonControls()[0].ButtonLine->Visible());
  EXPECT_EQ(ed->ButtonsWidth(), 2 * GetSystemMetrics(SM_CXVSCROLL));
  // The text never runs under the buttons.
  RECT r{};
  SendMessageW(ed->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_LE(r.right, ed->ClientWidth() - ed->ButtonsWidth());
  // A shortcut presses its button.
  int clicks = 0;
  ed->EditButtons()->Items(0)->OnClick = [&](TObject*, bool& handled) { ++clicks, handled = true; };
  ed->EditButtons()->Items(0)->SetShortCut(TShortCut(scCtrl | 'E'));
  Focus(ed);
  PressKey('E', true);
  EXPECT_EQ(clicks, 1);
}

TEST_F(DBEditFixture, RightAlignedTextPaintedByTheControlWhileUnfocused) {
  auto* ed = AddEdit<TDBEditEh>("C_Price", 10);
  auto* other = AddEdit<TDBEditEh>("C_Name", 40);
  ed->SetWidth(150);
  EXPECT_EQ(ed->Alignment(), taRightJustify);   // from the field
  PumpMessages();
  // Unfocused: ink near the right edge, none at the left.
  auto inkIn = [&](int x0, int x1) {
    TControlShot shot(ed);
    for (int x = x0; x < x1; ++x)
      for (int y = 2; y < ed->ClientHeight() - 2; ++y)
        if (shot.Pixel(x, y) == RGB(0, 0, 0)) return true;
    return false;
  };
  EXPECT_TRUE(inkIn(ed->ClientWidth() - 40, ed->ClientWidth() - 2));
  EXPECT_FALSE(inkIn(2, 30));
  WriteWindowPng(ed, "dbeditEh_right_unfocused");
  Focus(ed);
  PressKey(VK_END);   // no selection highlight
  EXPECT_TRUE(inkIn(2, 30));
  WriteWindowPng(ed, "dbeditEh_right_focused");
  Focus(other);
  // With a password character the unfocused text shows one mark per character.
  ed->SetPasswordChar(U'*');
  EXPECT_EQ(ed->GetDisplayText(), "1,234.50");
}

TEST_F(DBEditFixture, RequiredHighlightOnlyWhileEditing) {
  auto* ed = AddEdit<TDBEditEh>("C_Code", 10);
  ed->SetHighlightRequired(true);
  Data->FieldByName("C_Code")->SetRequired(true);
  Data->Next();   // 李四 has no code
  auto redRow = [&] {
    TControlShot shot(ed);
    int y = ed->ClientHeight() - 1;
    for (int x = 2; x < ed->ClientWidth() - 4; ++x)
      if (shot.Pixel(x, y) == RGB(255, 0, 0)) return true;
    return false;
  };
  EXPECT_FALSE(redRow());
  Data->Edit();
  EXPECT_TRUE(redRow());
  TControlShot shot(ed);
  WriteTestPng(&shot.Bitmap, "dbeditEh_required");
  Data->FieldByName("C_Code")->SetAsString("B2");
  EXPECT_FALSE(redRow());
  Data->Cancel();
}

TEST_F(DBEditFixture, RecentTextsDropDownWhileTyping) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  ed->MRUList()->SetActive(true);
  for (const char* s : {"北京", "北海", "上海"}) ed->MRUList()->Items()->Add(s);
  Focus(ed);
  ed->SelectAll();
  TypeText(u"北");
  ASSERT_TRUE(ed->MRUList()->DroppedDown());
  ASSERT_NE(ed->MRUListbox(), nullptr);
  EXPECT_EQ(ed->MRUListbox()->Items()->Count(), 2);
  EXPECT_TRUE(IsWindowVisible(ed->MRUListbox()->Handle()));
  EXPECT_EQ(GetFocus(), ed->Handle());   // the list does not take the focus
  WriteWindowPng(ed->MRUListbox(), "dbeditEh_mru_list");
  // Escape keeps the typed text.
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(ed->MRUList()->DroppedDown());
  EXPECT_EQ(ed->Text(), "北");
  // Down selects in the list, Enter takes the item.
  TypeText(u"海");
  ASSERT_TRUE(ed->MRUList()->DroppedDown());
  EXPECT_EQ(ed->MRUListbox()->Items()->Count(), 1);
  PressKey(VK_DOWN);
  EXPECT_EQ(ed->MRUListbox()->ItemIndex(), 0);
  PressKey(VK_RETURN);
  EXPECT_FALSE(ed->MRUList()->DroppedDown());
  EXPECT_EQ(ed->Text(), "北海");
  // Deleting back to an empty text closes the list; posting adds the text.
  ed->SelectAll();
  TypeText(u"广");
  EXPECT_FALSE(ed->MRUList()->DroppedDown());
  Data->Post();
  EXPECT_EQ(ed->MRUList()->Items()->IndexOf("广"), 3);
}

TEST_F(DBEditFixture, WritesPngsOfItsStates) {
  auto* plain = AddEdit<TDBEditEh>("C_Name", 10);
  auto* flat = AddEdit<TDBEditEh>("C_Name", 40);
  flat->SetFlat(true);
  flat->EditButton()->SetVisible(true);
  flat->EditButtons()->Add()->SetStyle(ebsEllipsisEh);
  auto* spin = AddEdit<TDBEditEh>("C_Qty", 70);
  spin->EditButton()->SetStyle(ebsUpDownEh);
  spin->EditButton()->SetVisible(true);
  auto* disabled = AddEdit<TDBEditEh>("C_Price", 100);
  disabled->SetEnabled(false);
  PumpMessages();
  WriteWindowPng(Form.get(), "dbeditEh_states");
  Focus(flat);
  WriteWindowPng(Form.get(), "dbeditEh_states_flat_focused");
  EXPECT_TRUE(flat->ActiveState());
  EXPECT_FALSE(plain->ActiveState());
}

TEST_F(DBEditFixture, ToolTipsShowOnlyAClippedText) {
  auto* ed = AddEdit<TDBEditEh>(nullptr, 10);
  ed->SetTooltips(true);
  auto hint = [&](THintInfo& info) { return ed->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)); };
  ed->SetText("短");
  THintInfo shortInfo;
  EXPECT_EQ(hint(shortInfo), 1);   // fits, and no ordinary hint wanted
  ed->SetShowHint(true);
  THintInfo plain;
  plain.HintStr = "提示";
  EXPECT_EQ(hint(plain), 0);
  EXPECT_EQ(plain.HintStr, "提示");
  String longText(60, 'W');
  ed->SetText(longText);
  THintInfo clipped;
  EXPECT_EQ(hint(clipped), 0);
  EXPECT_EQ(clipped.HintStr, longText);
  EXPECT_EQ(clipped.HintPos, ed->ClientToScreen({0, ed->ClientHeight()}));
  EXPECT_EQ(clipped.HintData, ed->Font());
}

TEST_F(DBEditFixture, ResizingTheRecentTextsListIsRemembered) {
  auto* ed = AddEdit<TDBEditEh>("C_Name", 10);
  ed->MRUList()->SetActive(true);
  for (const char* s : {"北京", "北海", "北碚", "北仑"}) ed->MRUList()->Items()->Add(s);
  Focus(ed);
  ed->SelectAll();
  TypeText(u"北");
  ASSERT_TRUE(ed->MRUList()->DroppedDown());
  TMRUListboxEh* lb = ed->MRUListbox();
  EXPECT_EQ(lb->RowCount(), 4);
  lb->SetBounds(lb->Left(), lb->Top(), 230, lb->Height() - 2 * lb->ItemHeight());
  ASSERT_TRUE(lb->SizeGrip()->OnParentResized);
  lb->SizeGrip()->OnParentResized(lb->SizeGrip());
  EXPECT_EQ(ed->MRUList()->Rows(), 2);
  EXPECT_EQ(ed->MRUList()->Width(), 230);
  PressKey(VK_ESCAPE);
  Data->Cancel();
}

// Posting into the database.
struct DBEditAdo : DBEhAdoFixture {};

TEST_F(DBEditAdo, TypedTextIsWrittenOnceAndAFailedPostKeepsIt) {
  auto* ed = AddControl<TDBEditEh>("O_Name", 10);
  auto* other = AddControl<TDBEditEh>("O_Kind", 40);
  // A handler that sets the text itself: the value still goes in once.
  ed->OnUpdateData = [&](TObject*, bool& Handled) {
    ed->SetText(ed->Text() + "号");
    Data->FieldByName("O_Name")->SetAsString(ed->Text());
    Handled = true;
  };
  Focus(ed);
  ed->SelectAll();
  TypeText(u"王五");
  Focus(other);
  EXPECT_EQ(ed->Text(), "王五号");
  Data->Post();
  EXPECT_EQ(Column("select O_Name from Orders where O_ID = 1"), "王五号");
  EXPECT_EQ(Column("select W_Name from Writes"), "王五号");
  // A value the field refuses keeps the focus and the typed text, and
  // nothing reaches the file.
  ed->OnUpdateData = nullptr;
  Data->FieldByName("O_Name")->OnValidate = [](TField* f) {
    if (f->AsString().empty()) throw EDatabaseError("名称不能为空");
  };
  std::vector<String> errors;
  Application->OnException = [&](TObject*, Exception* e) { errors.push_back(e->Message()); };
  Focus(ed);
  ed->SelectAll();
  PressKey(VK_DELETE);
  Focus(other);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "名称不能为空");
  EXPECT_EQ(GetFocus(), ed->Handle());
  EXPECT_EQ(ed->Text(), "");
  EXPECT_TRUE(ed->DataLink()->Modified());
  Data->Cancel();
  EXPECT_EQ(Column("select O_Name from Orders where O_ID = 1"), "王五号");
  EXPECT_EQ(Column("select count(*) from Writes"), "1");
}

}  // namespace
