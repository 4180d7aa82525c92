// The combo box edit: key items standing for keys, type-ahead that selects
// the completion backwards by whole characters, free-text completion, item
// stepping, the drop-down list's size, and posting keys into SQLite.
#include <memory>
#include "DBCtrlsEh.h"
#include "DBEhAdoSupport.h"
#include "DBEhTestSupport.h"
#include "TestPng.h"
#include "gtest.h"

namespace {

void SetLines(TStrings* s, std::initializer_list<const char*> lines) {
  s->BeginUpdate();
  s->Clear();
  for (const char* l : lines) s->Add(l);
  s->EndUpdate();
}

struct ComboFixture : DBEhFixture {
  TDBComboBoxEh* Keyed(const char* field, int top) {
    auto* cb = AddEdit<TDBComboBoxEh>(field, top);
    SetLines(cb->Items(), {"one", "two", "three"});
    SetLines(cb->KeyItems(), {"1", "2", "3"});
    return cb;
  }
  // The selection as the edit holds it: caret (where typing goes) and anchor.
  static std::pair<int, int> Selection(TWinControl* c) {
    DWORD s = 0, e = 0;
    SendMessageW(c->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return {int(s), int(e)};
  }
};

TEST_F(ComboFixture, KeyItemsMapValuesToTexts) {
  auto* cb = Keyed(nullptr, 10);
  EXPECT_TRUE(cb->KeyItemsMode());
  cb->SetValue(Variant("2"));
  EXPECT_EQ(cb->Text(), "two");
  EXPECT_EQ(cb->ItemIndex(), 1);
  cb->SetText("three");
  EXPECT_EQ(cb->Value().AsString(), "3");
  EXPECT_EQ(cb->DataLink()->IndependentValue().AsString(), "3");
  cb->SetText("four");   // not an item: nothing changes
  EXPECT_EQ(cb->Text(), "three");
  EXPECT_EQ(cb->Value().AsString(), "3");
  // A key that no item stands for shows nothing but stays the value.
  cb->SetValue(Variant("9"));
  EXPECT_EQ(cb->Text(), "");
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Value().AsString(), "9");
  cb->SetValue(Variant::Null());
  EXPECT_TRUE(cb->Value().IsNull());
  // Fewer keys than items: only the first items are offered.
  SetLines(cb->KeyItems(), {"1", "2"});
  cb->SetText("three");
  EXPECT_EQ(cb->ItemIndex(), -1);
  cb->SetItemIndex(2);
  EXPECT_EQ(cb->ItemIndex(), -1);
  cb->SetItemIndex(1);
  EXPECT_EQ(cb->Value().AsString(), "2");
  // The native edit is read-only in key-items mode; without keys the own
  // value (the key) is free text again.
  Focus(cb);
  TypeText(u"t");
  EXPECT_TRUE(GetWindowLongW(cb->Handle(), GWL_STYLE) & ES_READONLY);
  cb->KeyItems()->Clear();
  EXPECT_FALSE(cb->KeyItemsMode());
  EXPECT_EQ(cb->Text(), "2");
  PressKey(VK_END);
  TypeText(u"x");
  EXPECT_EQ(cb->Text(), "2x");
}

TEST_F(ComboFixture, TypeAheadSelectsTheCompletionBackwards) {
  auto* cb = AddEdit<TDBComboBoxEh>(nullptr, 10);
  SetLines(cb->Items(), {"Apple", "Apricot", "Banana"});
  SetLines(cb->KeyItems(), {"A", "P", "B"});
  Focus(cb);
  TypeText(u"a");
  EXPECT_EQ(cb->Text(), "Apple");
  EXPECT_EQ(cb->SelText(), "pple");
  EXPECT_EQ(cb->SelStart(), 1);
  TypeText(u"p");
  EXPECT_EQ(cb->Text(), "Apple");
  EXPECT_EQ(cb->SelText(), "ple");
  TypeText(u"r");
  EXPECT_EQ(cb->Text(), "Apricot");
  EXPECT_EQ(cb->SelText(), "icot");
  EXPECT_EQ(cb->Value().AsString(), "P");
  PressKey(VK_BACK);
  EXPECT_EQ(cb->SelText(), "ricot");
  EXPECT_EQ(cb->Text(), "Apricot");
  TypeText(u"x");   // no item: the selection stays
  EXPECT_EQ(cb->Text(), "Apricot");
  TypeText(u"b");
  EXPECT_EQ(cb->Text(), "Apricot");
  cb->SelectAll();
  TypeText(u"b");
  EXPECT_EQ(cb->Text(), "Banana");
  EXPECT_EQ(cb->Value().AsString(), "B");
}

TEST_F(ComboFixture, BackspaceGrowsTheSelectionByWholeCharacters) {
  auto* cb = AddEdit<TDBComboBoxEh>(nullptr, 10);
  // Two characters outside the basic plane (two UTF-16 units each), then one inside.
  SetLines(cb->Items(), {"\xF0\xA0\x80\x80\xF0\xA0\x80\x81\xE5\x8C\x97", "\xE4\xB8\x8A\xE6\xB5\xB7"});
  SetLines(cb->KeyItems(), {"1", "2"});
  cb->SetValue(Variant("1"));
  Focus(cb);
  cb->SelectAll();
  PressKey(VK_BACK);
  EXPECT_EQ(Selection(cb), std::make_pair(4, 5));   // 北
  PressKey(VK_BACK);
  EXPECT_EQ(Selection(cb), std::make_pair(2, 5));   // the second pair as a whole
  PressKey(VK_BACK);
  EXPECT_EQ(Selection(cb), std::make_pair(0, 5));
  PressKey(VK_BACK);
  EXPECT_EQ(Selection(cb), std::make_pair(4, 5));   // all selected: back to the last character
  // Type-ahead with Chinese text.
  cb->SelectAll();
  TypeText(u"\u4E0A");
  EXPECT_EQ(cb->Text(), "\xE4\xB8\x8A\xE6\xB5\xB7");
  EXPECT_EQ(cb->SelText(), "\xE6\xB5\xB7");
}

TEST_F(ComboFixture, FreeTextCompletesAtTheEndAndMatchesWholeTextsInside) {
  auto* cb = AddEdit<TDBComboBoxEh>(nullptr, 10);
  SetLines(cb->Items(), {"Apple", "Banana"});
  Focus(cb);
  TypeText(u"b");
  EXPECT_EQ(cb->Text(), "Banana");
  EXPECT_EQ(cb->SelText(), "anana");
  EXPECT_EQ(cb->ItemIndex(), 1);
  // Typed over the completion, a text no item has keeps the typed text.
  TypeText(u"x");
  EXPECT_EQ(cb->Text(), "Bx");
  EXPECT_EQ(cb->ItemIndex(), -1);
  // Inside the text only a whole match selects an item.
  cb->SetText("Bnana");
  cb->SetSelStart(1);
  TypeText(u"q");
  EXPECT_EQ(cb->Text(), "Bqnana");
  EXPECT_EQ(cb->ItemIndex(), -1);
  cb->SetText("Bnana");
  cb->SetSelStart(1);
  TypeText(u"a");
  EXPECT_EQ(cb->Text(), "Banana");
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(cb->Value().AsString(), "Banana");
}

TEST_F(ComboFixture, ArrowsStepThroughTheItems) {
  auto* cb = Keyed(nullptr, 10);
  Focus(cb);
  PressKey(VK_UP);   // nothing selected: the last item
  EXPECT_EQ(cb->Text(), "three");
  PressKey(VK_DOWN);   // the last stays
  EXPECT_EQ(cb->ItemIndex(), 2);
  cb->SetItemIndex(0);
  PressKey(VK_UP);   // the first stays
  EXPECT_EQ(cb->ItemIndex(), 0);
  PressKey(VK_DOWN);
  EXPECT_EQ(cb->Value().AsString(), "2");
  // Delete clears an unbound key-items combo without posting.
  PressKey(VK_DELETE);
  EXPECT_TRUE(cb->Value().IsNull());
  EXPECT_EQ(cb->Text(), "");
}

TEST_F(ComboFixture, DeleteKeepsARequiredField) {
  Data->FieldByName("C_Kind")->SetRequired(true);
  auto* cb = Keyed("C_Kind", 10);
  EXPECT_EQ(cb->Text(), "two");
  Focus(cb);
  PressKey(VK_DELETE);
  EXPECT_EQ(cb->Value().AsString(), "2");
  Data->FieldByName("C_Kind")->SetRequired(false);
  PressKey(VK_DELETE);
  EXPECT_TRUE(cb->Value().IsNull());
  Data->Cancel();
}

TEST_F(ComboFixture, DropDownListSizeAndRememberedResizing) {
  auto* cb = AddEdit<TDBComboBoxEh>(nullptr, 10);
  SetLines(cb->Items(), {"a", "bb", "an item much wider than the edit box itself"});
  Focus(cb);
  PressKey(VK_DOWN, false, true);
  ASSERT_TRUE(cb->ListVisible());
  TPopupListboxEh* lb = cb->GetPopupListbox();
  EXPECT_EQ(lb->RowCount(), 3);   // fewer items than rows
  EXPECT_EQ(lb->Width(), cb->Width());
  WriteWindowPng(Form.get(), "dbcomboEh_dropped");
  // Down moves in the list (the edit keeps the focus); Enter takes its item.
  PressKey(VK_DOWN);
  EXPECT_EQ(GetFocus(), cb->Handle());
  Integer chosen = lb->ItemIndex();
  ASSERT_GE(chosen, 0);
  SendMessageW(cb->Handle(), WM_CHAR, VK_RETURN, 0);
  EXPECT_FALSE(cb->ListVisible());
  EXPECT_EQ(cb->Text(), cb->Items()->Strings(chosen));
  cb->SetItemIndex(0);
  // -1: as wide as the widest item plus 5, never narrower than the edit.
  cb->DropDownBox()->SetWidth(-1);
  PressKey(VK_DOWN, false, true);
  EXPECT_GT(lb->ClientWidth(), cb->Width());
  TControlCanvas canvas;
  canvas.SetControl(cb);
  canvas.Font()->Assign(cb->Font());
  EXPECT_EQ(lb->ClientWidth(), canvas.TextWidth("an item much wider than the edit box itself") + 5);
  // The user's resizing is kept for the next opening.
  lb->SetBounds(lb->Left(), lb->Top(), 260, lb->Height() - lb->ItemHeight());
  lb->SetSizeChanged(true);
  SendMessageW(cb->Handle(), WM_CHAR, VK_ESCAPE, 0);
  EXPECT_FALSE(cb->ListVisible());
  EXPECT_EQ(cb->Text(), "a");
  EXPECT_EQ(cb->DropDownBox()->Rows(), 2);
  EXPECT_EQ(cb->DropDownBox()->Width(), 260);
}

TEST_F(ComboFixture, WritesPngsOfItsStates) {
  auto* keyed = Keyed("C_Kind", 10);
  auto* text = AddEdit<TDBComboBoxEh>("C_Name", 40);
  SetLines(text->Items(), {"张三", "李四"});
  auto* flat = Keyed(nullptr, 70);
  flat->SetFlat(true);
  flat->EditButton()->SetStyle(ebsUpDownEh);
  auto* disabled = Keyed(nullptr, 100);
  disabled->SetEnabled(false);
  PumpMessages();
  EXPECT_EQ(keyed->Text(), "two");
  WriteWindowPng(Form.get(), "dbcomboEh_states");
  Focus(flat);
  WriteWindowPng(Form.get(), "dbcomboEh_states_flat_focused");
}

struct ComboAdo : DBEhAdoFixture {};

TEST_F(ComboAdo, TheChosenKeyIsPostedAndAMissingKeyShowsNothing) {
  auto* cb = AddControl<TDBComboBoxEh>("O_Kind", 10);
  auto* other = AddControl<TDBEditEh>("O_Name", 40);
  SetLines(cb->Items(), {"批发", "零售", "退货"});
  SetLines(cb->KeyItems(), {"A", "B", "R"});
  EXPECT_EQ(cb->Text(), "零售");
  EXPECT_EQ(cb->Value().AsString(), "B");
  Focus(cb);
  PressKey(VK_DOWN);
  EXPECT_EQ(cb->Text(), "退货");
  EXPECT_EQ(Data->State(), dsEdit);
  Focus(other);
  EXPECT_EQ(Data->FieldByName("O_Kind")->AsString(), "R");
  Data->Post();
  EXPECT_EQ(Column("select O_Kind from Orders where O_ID = 1"), "R");
  EXPECT_EQ(Column("select count(*) from Writes"), "1");
  Data->Next();
  EXPECT_EQ(cb->Text(), "");
  EXPECT_EQ(cb->ItemIndex(), -1);
  // Setting the item posts it into the field at once.
  cb->SetItemIndex(0);
  Data->Post();
  EXPECT_EQ(Column("select O_Kind from Orders where O_ID = 2"), "A");
}

}  // namespace
