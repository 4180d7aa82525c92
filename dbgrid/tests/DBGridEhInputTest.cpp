// Working the data grid: editing cells and posting them through the dataset,
// the key table, title buttons and sorting, check boxes, the wheel and the
// timers, incremental search, sizing zones and record moving.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Clipbrd.h"
#include "DBEhTestSupport.h"
#include "DBGridEh.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "gtest.h"

namespace {

// The in-cell editor with its key handlers in reach.
class TTestInplaceEdit : public TDBGridInplaceEdit {
 public:
  using TDBGridInplaceEdit::TDBGridInplaceEdit;
  using TDBGridInplaceEdit::KeyDown;
  using TDBGridInplaceEdit::KeyPress;
};

// The grid with its protected handlers in reach and its timers recorded
// instead of run.
class TInputGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  TTestInplaceEdit* Editor() { return static_cast<TTestInplaceEdit*>(InplaceEditor()); }
  using TCustomDBGridEh::EditorAcceptsKey;
  using TCustomDBGridEh::EditorCanModify;
  using TCustomDBGridEh::GetCellEditText;
  using TCustomDBGridEh::GetEditorMaxLength;
  using TCustomDBGridEh::KeyDown;
  using TCustomDBGridEh::KeyPress;
  using TCustomDBGridEh::KeyUp;
  using TCustomDBGridEh::MouseDown;
  using TCustomDBGridEh::MouseMove;
  using TCustomDBGridEh::MouseUp;
  using TCustomDBGridEh::DoMouseWheelDown;
  using TCustomDBGridEh::DoMouseWheelUp;
  using TCustomDBGridEh::DoExit;
  using TCustomDBGridEh::FMousePos;
  using TCustomDBGridEh::FRowSelecting;
  using TCustomDBGridEh::CellInSelection;
  Integer TimerInterval = -1;
  int Sorts = 0;
  int Confirms = 0;
  bool ConfirmAnswer = true;

 protected:
  TInplaceEdit* CreateInplaceEditor() override { return new TTestInplaceEdit(this); }
  void StartTimer(Integer Interval) override { TimerInterval = Interval; }
  void StopTimer() override { TimerInterval = -1; }
  void StartIncSearchTimer() override {}
  void ApplySorting() override {
    ++Sorts;
    TDBGridEh::ApplySorting();
  }
  bool ConfirmDelete() override {
    ++Confirms;
    return ConfirmAnswer;
  }
};

void Key(TInputGrid* g, Word key, TShiftState shift = {}) { g->KeyDown(key, shift); }

class GridInputFixture : public GridFormFixture<TInputGrid> {
 protected:
  void SetUp() override {
    MakeGrid({{"ID", ftInteger},
              {"Name", ftString, 20},
              {"Qty", ftInteger},
              {"Done", ftBoolean},
              {"Note", ftMemo},
              {"Day", ftDate}},
             500, 280);
  }
  void AddRecords(int n) {
    static const char* names[] = {"张三", "李四", "王五", "赵六", "钱七", "孙八", "周九", "吴十"};
    for (int i = 1; i <= n; ++i)
      Data->AppendRecord({Variant(i), Variant(String(names[(i - 1) % 8])), Variant(i * 10), Variant(i % 2 == 0),
                          Variant(String("第一行\n第二行")), Variant::FromDate(46000 + i)});
    Data->First();
  }
  void Bind() {
    Grid->SetDataSource(Source.get());
    PumpMessages();
  }
  TColumnEh* Column(const char* field) { return Grid->ColumnByFieldName(field); }
  // The centre of a data cell.
  TPoint CellCentre(Integer col, Integer row) {
    TRect r = Grid->CellClientRect(col, row);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
};

// ---------------------------------------------------------------------------
// Cell editing

TEST_F(GridInputFixture, KeyListsAndTheFieldsCharacterTest) {
  AddRecords(3);
  Bind();
  TColumnEh* qty = Column("Qty");
  TColumnEh* name = Column("Name");
  struct {
    TColumnEh* Column;
    bool KeyList;
    char32_t Key;
    bool Accepted;
  } cases[] = {
      {qty, false, U'7', true},   {qty, false, U'a', false}, {qty, false, U'中', false},
      {qty, true, U'a', true},    {name, false, U'a', true}, {name, false, U'中', true},
  };
  for (auto& c : cases) {
    c.Column->KeyList()->Clear();
    c.Column->PickList()->Clear();
    if (c.KeyList) {
      c.Column->KeyList()->SetText("10\n20");
      c.Column->PickList()->SetText("十\n二十");
    }
    Grid->SetSelectedIndex(c.Column->Index());
    EXPECT_EQ(Grid->EditorAcceptsKey(c.Key), c.Accepted) << Utf8Encode(c.Key) << " key list " << c.KeyList;
  }
  // A key-list column shows the pick-list entry of the stored key and has
  // no length limit; a value missing from the key list edits as nothing.
  Grid->SetSelectedIndex(qty->Index());
  EXPECT_EQ(Grid->GetCellEditText(Grid->Col(), Grid->Row()), "十");
  EXPECT_EQ(qty->CellDisplayText(), "十");
  EXPECT_EQ(Grid->GetEditorMaxLength(), 0);
  Data->Last();
  EXPECT_EQ(Grid->GetCellEditText(Grid->Col(), Grid->Row()), "");
  Grid->SetSelectedIndex(name->Index());
  EXPECT_EQ(Grid->GetEditorMaxLength(), 20);
}

TEST_F(GridInputFixture, KeyListTextWritesTheKey) {
  AddRecords(2);
  Bind();
  TColumnEh* qty = Column("Qty");
  qty->KeyList()->SetText("10\n20\n30");
  qty->PickList()->SetText("十\n二十\n三十");
  Grid->SetSelectedIndex(qty->Index());
  Grid->SetEditorMode(true);
  ASSERT_TRUE(Grid->EditorCanModify());
  Grid->SetEditText("三十");
  Data->UpdateRecord();
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 30);
  // Stepping runs round the key list.
  qty->StepCellValue(1);
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 10);
  qty->StepCellValue(-1);
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 30);
}

TEST_F(GridInputFixture, MemoEditsWithCrLfLineBreaks) {
  AddRecords(1);
  Bind();
  Grid->SetDrawMemoText(true);
  Grid->SetSelectedIndex(Column("Note")->Index());
  EXPECT_EQ(Grid->GetCellEditText(Grid->Col(), Grid->Row()), "第一行\r\n第二行");
  Data->Edit();
  Data->FieldByName("Note")->SetAsString("a\r\nb\rc\n");
  Data->Post();
  EXPECT_EQ(Grid->GetCellEditText(Grid->Col(), Grid->Row()), "a\r\nb\r\nc\r\n");
  // Without memo text the memo is no editable cell.
  Grid->SetDrawMemoText(false);
  EXPECT_FALSE(Column("Note")->CanModifyCell(false));
  Grid->SetDrawMemoText(true);
  EXPECT_TRUE(Column("Note")->CanModifyCell(false));
}

TEST_F(GridInputFixture, CancelOnExitDropsAnUntouchedInsertAndPostsATypedOne) {
  AddRecords(2);
  Bind();
  ASSERT_TRUE(Grid->Options().Contains(dgCancelOnExit));
  Data->Append();
  Grid->DoExit();
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_EQ(Data->RecordCount(), 2);

  Data->Append();
  Grid->SetSelectedIndex(Column("Name")->Index());
  Grid->SetEditorMode(true);
  ASSERT_TRUE(Grid->EditorCanModify());
  Grid->SetEditText("新客户");
  Grid->DoExit();
  // The editor's text went into the record, which is still being inserted.
  EXPECT_EQ(Data->State(), dsInsert);
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "新客户");
  Data->Post();
  EXPECT_EQ(Data->RecordCount(), 3);
}

TEST_F(GridInputFixture, CtrlQuoteCopiesTheValueAbove) {
  AddRecords(3);
  Bind();
  Grid->SetSelectedIndex(Column("Name")->Index());
  // The first record of the buffer has nothing above it.
  Key(Grid, 222, {ssCtrl});
  EXPECT_EQ(Data->State(), dsBrowse);
  Data->Next();
  Key(Grid, 222, {ssCtrl});
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "张三");
  Data->Post();
  EXPECT_EQ(Data->RecNo(), 2);
}

TEST_F(GridInputFixture, DeleteClearsACheckBoxUnlessRequired) {
  AddRecords(2);
  Bind();
  TColumnEh* done = Column("Done");
  EXPECT_EQ(done->GetCellKind(), cckCheckBox);
  Grid->SetSelectedIndex(done->Index());
  Key(Grid, VK_DELETE);
  EXPECT_TRUE(Data->FieldByName("Done")->IsNull());
  Data->Cancel();
  Data->FieldByName("Done")->SetRequired(true);
  Key(Grid, VK_DELETE);
  EXPECT_FALSE(Data->FieldByName("Done")->IsNull());
}

// ---------------------------------------------------------------------------
// The in-cell editor

TEST_F(GridInputFixture, EditStylesFollowTheColumn) {
  AddRecords(2);
  Bind();
  TColumnEh* day = Column("Day");
  TColumnEh* name = Column("Name");
  using E = TDBGridInplaceEdit;
  EXPECT_EQ(E::ColumnEditStyle(day), E::esDate);
  EXPECT_EQ(E::ColumnEditStyle(name), E::esText);
  name->PickList()->SetText("甲\n乙");
  EXPECT_EQ(E::ColumnEditStyle(name), E::esPickList);
  struct {
    TColumnButtonStyleEh Style;
    Byte Expected;
  } styles[] = {{cbsEllipsis, E::esEllipsis}, {cbsUpDown, E::esUpDown}, {cbsDropDown, E::esDropDown},
                {cbsNone, E::esText}};
  for (auto& st : styles) {
    name->SetButtonStyle(st.Style);
    EXPECT_EQ(E::ColumnEditStyle(name), st.Expected) << int(st.Style);
  }
  // A read-only date column gets no calendar button.
  Data->FieldByName("Day")->SetReadOnly(true);
  EXPECT_EQ(E::ColumnEditStyle(day), E::esText);
}

TEST_F(GridInputFixture, EditorButtonsOneDefaultAndTheColumns) {
  AddRecords(2);
  Bind();
  TColumnEh* name = Column("Name");
  name->SetButtonStyle(cbsEllipsis);
  Grid->SetSelectedIndex(name->Index());
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  TTestInplaceEdit* ed = Grid->Editor();
  ASSERT_NE(ed, nullptr);
  ASSERT_TRUE(ed->IsWindowShown());
  Integer sb = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(ed->ButtonControls().size(), 1u);
  EXPECT_EQ(ed->ButtonsWidth(), sb);
  TEditButtonEh* b1 = name->EditButtons()->Add();
  TEditButtonEh* b2 = name->EditButtons()->Add();
  b2->SetWidth(11);
  b1->SetVisible(true);
  b2->SetVisible(true);
  ed->ApplyTextMargins();
  EXPECT_EQ(ed->ButtonControls().size(), 3u);
  EXPECT_EQ(ed->ButtonsWidth(), sb + sb + 11);
  EXPECT_EQ(name->EditButtonsAreaWidth(), sb + sb + 11);
  // The text ends where the buttons begin.
  EXPECT_EQ(ed->GetEditRect().Right, ed->Width() - 2 - ed->ButtonsWidth());
  // No separators unless flat; flat buttons have one each.
  for (auto& bc : ed->ButtonControls()) EXPECT_FALSE(bc.ButtonLine->Visible());
  Grid->SetFlat(true);
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  ed = Grid->Editor();
  ed->ApplyTextMargins();
  for (auto& bc : ed->ButtonControls()) EXPECT_TRUE(bc.ButtonLine->Visible());
  EXPECT_EQ(ed->ButtonsWidth(), 2 * (FlatButtonWidthEh + 1) + 11 + 1);
  name->EditButtons()->Clear();
  ed->ApplyTextMargins();
  EXPECT_EQ(ed->ButtonControls().size(), 1u);
}

TEST_F(GridInputFixture, EditorKeysOfListAndEllipsisColumns) {
  AddRecords(2);
  Bind();
  TColumnEh* qty = Column("Qty");
  qty->KeyList()->SetText("10\n20");
  qty->PickList()->SetText("十\n二十");
  Grid->SetSelectedIndex(qty->Index());
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  TTestInplaceEdit* ed = Grid->Editor();
  ASSERT_TRUE(ed && ed->IsWindowShown());
  EXPECT_EQ(ed->Text(), "十");
  // Backspace without OnNotInList only moves the caret left.
  ed->SetSelStart(1);
  ed->SetSelLength(0);
  ed->Perform(WM_KEYDOWN, VK_BACK, 0);
  ed->Perform(WM_CHAR, 8, 0);
  EXPECT_EQ(ed->Text(), "十");
  EXPECT_EQ(ed->SelStart(), 0);
  // Ctrl+Enter in an ellipsis column clicks the button and adds no line.
  TColumnEh* name = Column("Name");
  name->SetButtonStyle(cbsEllipsis);
  Grid->SetSelectedIndex(name->Index());
  Grid->SetEditorMode(true);
  ed = Grid->Editor();
  int clicks = 0;
  Grid->OnEditButtonClick = [&](TObject*) { ++clicks; };
  String before = ed->Text();
  Word key = VK_RETURN;
  ed->KeyDown(key, {ssCtrl});
  char32_t lf = 10;
  ed->KeyPress(lf);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(lf, 0u);
  EXPECT_EQ(ed->Text(), before);
}

TEST_F(GridInputFixture, CellParametersDecideTheEditorsColourTextAndReadOnly) {
  AddRecords(2);
  Bind();
  TColumnEh* name = Column("Name");
  name->OnGetCellParams = [](TObject*, bool editMode, TColCellParamsEh* p) {
    if (!editMode) return;
    p->Background = clYellow;
    if (p->Text == "李四") p->ReadOnly = true;
    p->Text = p->Text + "*";
  };
  // The event runs once for the editor: its text is changed once.
  Grid->SetSelectedIndex(name->Index());
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  TTestInplaceEdit* ed = Grid->Editor();
  ASSERT_TRUE(ed && ed->IsWindowShown());
  EXPECT_EQ(ed->Color(), clYellow);
  EXPECT_EQ(ed->Text(), "张三*");
  EXPECT_FALSE(ed->ReadOnlyByParams());
  EXPECT_TRUE(Grid->EditorCanModify());
  Data->Cancel();
  Data->Next();
  Grid->SetEditorMode(true);
  EXPECT_TRUE(ed->ReadOnlyByParams());
  EXPECT_TRUE(ed->ReadOnly());
  EXPECT_FALSE(Grid->EditorCanModify());
  EXPECT_FALSE(Grid->EditorAcceptsKey(U'a'));
  EXPECT_EQ(Data->State(), dsBrowse);
}

TEST_F(GridInputFixture, RequiredMarkOnlyWhileEditing) {
  AddRecords(1);
  Bind();
  TColumnEh* name = Column("Name");
  name->SetHighlightRequired(true);
  Data->FieldByName("Name")->SetRequired(true);
  Grid->SetSelectedIndex(name->Index());
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  TTestInplaceEdit* ed = Grid->Editor();
  ASSERT_NE(ed, nullptr);
  Data->Edit();
  Data->FieldByName("Name")->Clear();
  EXPECT_TRUE(ed->RequiredStateDrawn());
  Data->Cancel();
  EXPECT_FALSE(ed->RequiredStateDrawn());   // the stored value is there
  Data->Edit();
  Data->FieldByName("Name")->Clear();
  name->SetHighlightRequired(false);
  EXPECT_FALSE(ed->RequiredStateDrawn());
  Data->Cancel();
}

TEST_F(GridInputFixture, AFieldChangedUnderTheEditorIsShownAgain) {
  AddRecords(2);
  Bind();
  Grid->SetSelectedIndex(Column("Name")->Index());
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  ASSERT_TRUE(Grid->Editor() && Grid->Editor()->IsWindowShown());
  EXPECT_EQ(Grid->Editor()->Text(), "张三");
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("张三丰");
  EXPECT_EQ(Grid->Editor()->Text(), "张三丰");
  Data->Cancel();
  EXPECT_EQ(Grid->Editor()->Text(), "张三");
}

TEST_F(GridInputFixture, InputMethodFollowsTheColumn) {
  AddRecords(1);
  Bind();
  Column("Name")->SetImeMode(imChinese);
  Grid->SetSelectedIndex(Column("ID")->Index());
  Key(Grid, VK_RIGHT);
  EXPECT_EQ(Grid->SelectedIndex(), Column("Name")->Index());
  EXPECT_EQ(Grid->ImeMode(), imChinese);
  Key(Grid, VK_RIGHT);
  EXPECT_EQ(Grid->ImeMode(), imDontCare);
}

// ---------------------------------------------------------------------------
// Keyboard

TEST_F(GridInputFixture, DownOnTheLastRecordAppendsAndUpCancels) {
  AddRecords(3);
  Bind();
  Data->Last();
  Key(Grid, VK_DOWN);
  EXPECT_EQ(Data->State(), dsInsert);
  // Down on the untouched new record does nothing; Up takes it away.
  Key(Grid, VK_DOWN);
  EXPECT_EQ(Data->State(), dsInsert);
  Key(Grid, VK_UP);
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_EQ(Data->RecordCount(), 3);
  // Without the right to append Down stops at the end.
  Grid->SetAllowedOperations(Grid->AllowedOperations() - alopAppendEh);
  Data->Last();
  Key(Grid, VK_DOWN);
  EXPECT_EQ(Data->State(), dsBrowse);
}

TEST_F(GridInputFixture, TabSkipsReadOnlyColumnsAndWrapsToTheNextRecord) {
  AddRecords(3);
  Bind();
  Column("Qty")->SetReadOnly(true);
  Column("Done")->SetReadOnly(true);
  Column("Note")->SetReadOnly(true);
  Column("Day")->SetReadOnly(true);
  Grid->SetSelectedIndex(Column("Name")->Index());
  ASSERT_EQ(Data->RecNo(), 1);
  Key(Grid, VK_TAB);
  // Name is the last editable column: on to the first one of the next record.
  EXPECT_EQ(Data->RecNo(), 2);
  EXPECT_EQ(Grid->SelectedIndex(), Column("ID")->Index());
  Key(Grid, VK_TAB);
  EXPECT_EQ(Grid->SelectedIndex(), Column("Name")->Index());
  Key(Grid, VK_TAB, {ssShift});
  EXPECT_EQ(Grid->SelectedIndex(), Column("ID")->Index());
  EXPECT_EQ(Data->RecNo(), 2);
}

TEST_F(GridInputFixture, KeyTableMoves) {
  AddRecords(8);
  Bind();
  Key(Grid, VK_END, {ssCtrl});
  EXPECT_TRUE(Data->Eof() || Data->RecNo() == 8);
  Key(Grid, VK_HOME, {ssCtrl});
  EXPECT_EQ(Data->RecNo(), 1);
  Key(Grid, VK_END);   // several columns: End goes to the last column
  EXPECT_EQ(Grid->Col(), Grid->ColCount() - 1);
  Key(Grid, VK_HOME);
  EXPECT_EQ(Grid->SelectedIndex(), 0);
  Key(Grid, VK_RIGHT);
  EXPECT_EQ(Grid->SelectedIndex(), 1);
  Key(Grid, VK_NEXT);
  EXPECT_GT(Data->RecNo(), 1);
  Key(Grid, VK_PRIOR);
  EXPECT_EQ(Data->RecNo(), 1);
  Key(Grid, VK_INSERT);
  EXPECT_EQ(Data->State(), dsInsert);
  Key(Grid, VK_ESCAPE);
  EXPECT_EQ(Data->State(), dsBrowse);
}

TEST_F(GridInputFixture, CtrlDeleteAsksFirst) {
  AddRecords(3);
  Bind();
  Grid->ConfirmAnswer = false;
  Key(Grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(Grid->Confirms, 1);
  EXPECT_EQ(Data->RecordCount(), 3);
  Grid->ConfirmAnswer = true;
  Key(Grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(Data->RecordCount(), 2);
  Grid->SetReadOnly(true);
  Key(Grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(Data->RecordCount(), 2);
  EXPECT_EQ(Grid->Confirms, 2);
}

TEST_F(GridInputFixture, IncrementalSearchWithChineseText) {
  AddRecords(16);   // every name twice
  Bind();
  // The search goes through the grid centre, as the find dialog's does.
  TDBGridEhCenter* center = GetGridEhCenter();
  int searches = 0;
  center->OnLocateText = [&](TCustomDBGridEh* g, const String& f, const String& t, TLocateTextOptionsEh o,
                             TLocateTextDirectionEh d, TLocateTextMatchingEh m, TLocateTextTreeFindRangeEh r) {
    ++searches;
    EXPECT_EQ(m, ltmFromBegining);
    EXPECT_TRUE(o.Contains(ltoCaseInsensitiveEh) && o.Contains(ltoMatchFormatEh) && o.Contains(ltoStopOnEscape));
    return center->DefaultLocateText(g, f, t, o, d, m, r);
  };
  struct TRestore {
    TDBGridEhCenter* C;
    ~TRestore() { C->OnLocateText = nullptr; }
  } restore{center};
  Grid->SetOptionsEh(Grid->OptionsEh() + dghIncSearch);
  Column("Name")->SetReadOnly(true);   // a column that is not edited searches as typed
  Grid->SetSelectedIndex(Column("Name")->Index());
  auto type = [&](char32_t ch) { Grid->Perform(WM_CHAR, WPARAM(ch), 0); };
  type(U'王');
  EXPECT_TRUE(Grid->IncSearching());
  EXPECT_EQ(Grid->IncSearchText(), "王");
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "王五");
  // A character that matches nothing keeps the text found so far.
  type(U'x');
  EXPECT_EQ(Grid->IncSearchText(), "王");
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "王五");
  type(U'五');
  EXPECT_EQ(Grid->IncSearchText(), "王五");
  EXPECT_EQ(Data->RecNo(), 3);
  // Next and previous match from the current record on.
  Key(Grid, VK_RETURN, {ssCtrl});
  EXPECT_EQ(Data->RecNo(), 11);
  Key(Grid, VK_RETURN, {ssCtrl});
  EXPECT_EQ(Data->RecNo(), 11) << "no third match: the record stays";
  Key(Grid, VK_RETURN, {ssCtrl, ssShift});
  EXPECT_EQ(Data->RecNo(), 3);
  EXPECT_GE(searches, 6);
  // Backspace drops a whole character; Esc ends the search.
  Key(Grid, VK_BACK);
  EXPECT_EQ(Grid->IncSearchText(), "王");
  Key(Grid, VK_ESCAPE);
  EXPECT_FALSE(Grid->IncSearching());
  // The time-out ends it as well.
  type(U'周');
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "周九");
  Grid->Perform(WM_TIMER, 2, 0);
  EXPECT_FALSE(Grid->IncSearching());
  EXPECT_EQ(Data->State(), dsBrowse);
}

// ---------------------------------------------------------------------------
// Mouse

TEST_F(GridInputFixture, TitleButtonCountsOnlyWhenReleasedOnIt) {
  AddRecords(3);
  Bind();
  Grid->SetOptionsEh(Grid->OptionsEh() + dghAutoSortMarking);
  TColumnEh* name = Column("Name");
  name->Title()->SetTitleButton(true);
  int clicks = 0;
  Grid->OnTitleBtnClick = [&](TObject*, Integer, TColumnEh*) { ++clicks; };
  TPoint title = CellCentre(Grid->DataToRawColumn(name->Index()), 0);
  TPoint other = CellCentre(Grid->DataToRawColumn(Column("Qty")->Index()), 0);
  // Released on another title: nothing.
  Grid->MouseDown(mbLeft, {ssLeft}, title.X, title.Y);
  EXPECT_TRUE(Grid->TitlePressed());
  Grid->MouseUp(mbLeft, {}, other.X, 2);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Grid->Sorts, 0);
  EXPECT_EQ(name->Title()->SortMarker(), smNoneEh);
  // Released on it: a click, the marker steps and the data sort.
  Grid->MouseDown(mbLeft, {ssLeft}, title.X, title.Y);
  Grid->MouseUp(mbLeft, {}, title.X, title.Y);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(name->Title()->SortMarker(), smDownEh);
  EXPECT_EQ(Grid->Sorts, 1);
  EXPECT_EQ(Data->Sort(), "[Name]");
  Grid->MouseDown(mbLeft, {ssLeft}, title.X, title.Y);
  Grid->MouseUp(mbLeft, {}, title.X, title.Y);
  EXPECT_EQ(Data->Sort(), "[Name] DESC");
}

TEST_F(GridInputFixture, TitleDraggedMoreThanThreePixelsMovesTheColumn) {
  AddRecords(2);
  Bind();
  TColumnEh* name = Column("Name");
  name->Title()->SetTitleButton(true);
  int clicks = 0;
  Grid->OnTitleBtnClick = [&](TObject*, Integer, TColumnEh*) { ++clicks; };
  TPoint title = CellCentre(Grid->DataToRawColumn(name->Index()), 0);
  Grid->MouseDown(mbLeft, {ssLeft}, title.X, title.Y);
  Grid->MouseMove({ssLeft}, title.X + 3, title.Y);
  EXPECT_TRUE(Grid->TitlePressed());
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  Grid->MouseMove({ssLeft}, title.X + 4, title.Y);
  EXPECT_FALSE(Grid->TitlePressed());
  EXPECT_EQ(Grid->GridState(), gsColMovingEh);
  Grid->Perform(WM_CANCELMODE);
  EXPECT_EQ(clicks, 0);
}

TEST_F(GridInputFixture, CtrlTitleClicksSortWhenCtrlIsReleased) {
  AddRecords(3);
  Bind();
  Grid->SetOptionsEh(Grid->OptionsEh() + dghAutoSortMarking + dghMultiSortMarking);
  const char* fields[] = {"Name", "Qty", "ID"};
  for (const char* f : fields) {
    TColumnEh* c = Column(f);
    c->Title()->SetTitleButton(true);
    TPoint p = CellCentre(Grid->DataToRawColumn(c->Index()), 0);
    Grid->MouseDown(mbLeft, {ssLeft, ssCtrl}, p.X, p.Y);
    Grid->MouseUp(mbLeft, {ssCtrl}, p.X, p.Y);
  }
  EXPECT_EQ(Grid->Sorts, 0);
  EXPECT_TRUE(Grid->SortMarkingPending());
  EXPECT_EQ(Column("Name")->Title()->SortIndex(), 1);
  EXPECT_EQ(Column("Qty")->Title()->SortIndex(), 2);
  EXPECT_EQ(Column("ID")->Title()->SortIndex(), 3);
  Word ctrl = VK_CONTROL;
  Grid->KeyUp(ctrl, {});
  EXPECT_EQ(Grid->Sorts, 1);
  EXPECT_FALSE(Grid->SortMarkingPending());
  EXPECT_EQ(Data->Sort(), "[Name], [Qty], [ID]");
  Grid->KeyUp(ctrl, {});
  EXPECT_EQ(Grid->Sorts, 1);
}

TEST_F(GridInputFixture, SecondClickOnTheCurrentCellOpensTheEditor) {
  AddRecords(4);
  Bind();
  Grid->SetFocus();
  PumpMessages();
  TPoint p = CellCentre(Grid->DataToRawColumn(Column("Name")->Index()), Grid->TitleOffset() + 2);
  Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
  Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  EXPECT_EQ(Data->RecNo(), 3);
  EXPECT_EQ(Grid->SelectedIndex(), Column("Name")->Index());
  EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->IsWindowShown());
  Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
  Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  ASSERT_NE(Grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(Grid->InplaceEditor()->IsWindowShown());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), "王五");
}

TEST_F(GridInputFixture, CheckBoxClicks) {
  AddRecords(2);
  Bind();
  TColumnEh* done = Column("Done");
  Integer col = Grid->DataToRawColumn(done->Index());
  TPoint p = CellCentre(col, Grid->TitleOffset());
  ASSERT_FALSE(Data->FieldByName("Done")->AsBoolean());
  Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
  Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  EXPECT_TRUE(Data->FieldByName("Done")->AsBoolean());
  // Released elsewhere: no change.
  TPoint q = CellCentre(Grid->DataToRawColumn(Column("Name")->Index()), Grid->TitleOffset());
  Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
  Grid->MouseUp(mbLeft, {}, q.X, q.Y);
  EXPECT_TRUE(Data->FieldByName("Done")->AsBoolean());
  // With DblClickNextVal one click does nothing and a double click steps once.
  done->SetDblClickNextVal(true);
  Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
  Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  EXPECT_TRUE(Data->FieldByName("Done")->AsBoolean());
  Grid->MouseDown(mbLeft, {ssLeft, ssDouble}, p.X, p.Y);
  Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  EXPECT_FALSE(Data->FieldByName("Done")->AsBoolean());
  // Space steps it too.
  Grid->SetSelectedIndex(done->Index());
  Grid->Perform(WM_CHAR, WPARAM(' '), 0);
  EXPECT_TRUE(Data->FieldByName("Done")->AsBoolean());
}

// ---------------------------------------------------------------------------
// Wheel, scroll bar, timers and sizing

TEST_F(GridInputFixture, WheelMovesOneRecordPerNotchWithoutTheWheelEvents) {
  AddRecords(5);
  Bind();
  int fired = 0;
  Grid->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool&) { ++fired; };
  Grid->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool&) { ++fired; };
  EXPECT_TRUE(Grid->DoMouseWheelDown({ssCtrl, ssShift}, TPoint()));
  EXPECT_EQ(Data->RecNo(), 2);
  EXPECT_TRUE(Grid->DoMouseWheelDown({}, TPoint()));
  EXPECT_TRUE(Grid->DoMouseWheelUp({}, TPoint()));
  EXPECT_EQ(Data->RecNo(), 2);
  EXPECT_EQ(fired, 0);
}

TEST_F(GridInputFixture, ScrollBarMovesTheDataset) {
  AddRecords(8);
  Bind();
  Grid->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Data->RecNo(), 8);
  Grid->Perform(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Data->RecNo(), 1);
  Integer rows = Grid->DataLink()->RecordCount();
  Grid->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Data->RecNo(), std::min<Integer>(rows + 1, 8));
}

TEST_F(GridInputFixture, AutoScrollSpeedGrowsWithTheDistance) {
  AddRecords(8);
  Bind();
  TRect box = Grid->GetDataBox();
  Grid->FRowSelecting = true;
  Grid->FMousePos = TPoint(box.Left + 5, box.Bottom + 30);
  Integer before = Data->RecNo();
  Grid->AutoScrollStep();
  // 30 pixels below: 30 div 6 = 5 records per step, at once (200 - 450 < 0).
  EXPECT_EQ(Data->RecNo(), before + 5);
  EXPECT_EQ(Grid->TimerInterval, 0);
  Grid->FMousePos = TPoint(box.Left + 5, box.Bottom + 6);
  Grid->AutoScrollStep();
  EXPECT_EQ(Grid->TimerInterval, 200 - 15 * 6);
  // Back inside the data: the timer stops.
  Grid->FMousePos = TPoint(box.Left + 5, box.Top + 5);
  Grid->AutoScrollStep();
  EXPECT_EQ(Grid->TimerInterval, -1);
  Grid->FRowSelecting = false;
}

TEST_F(GridInputFixture, FrozenColumnSizingZone) {
  AddRecords(2);
  Bind();
  Grid->SetFrozenCols(1);
  ASSERT_EQ(Grid->GridLineWidth(), 1);
  Integer right = Grid->ColWidths(0) + Grid->GridLineWidth() + Grid->ColWidths(1);
  struct {
    Integer Dx;
    bool In;
  } cases[] = {{-4, false}, {-3, true}, {0, true}, {4, true}, {5, false}};
  for (auto& c : cases) {
    Integer o, p, col, state;
    Grid->SizingHitTest(right + c.Dx, 3, o, p, col, state);
    EXPECT_EQ(state == 6, c.In) << c.Dx;
    if (c.In) {
      EXPECT_EQ(p, right);
      EXPECT_EQ(o, -c.Dx);
      EXPECT_EQ(col, 1);
    }
  }
  // Only in the title rows.
  Integer o, p, col, state;
  Grid->SizingHitTest(right, Grid->CellClientRect(1, Grid->TitleOffset()).Top + 2, o, p, col, state);
  EXPECT_EQ(state, 0);
}

// ---------------------------------------------------------------------------
// Selecting with keys and mouse

std::vector<String> SelectedNames(TInputGrid* g, TDataSet* ds) {
  std::vector<String> names;
  TBookmark here = ds->GetBookmark();
  for (Integer i = 0; i < g->SelectedRows()->Count(); ++i) {
    ds->GotoBookmark(g->SelectedRows()->Items(i));
    names.push_back(ds->FieldByName("Name")->AsString());
  }
  ds->GotoBookmark(here);
  return names;
}

TEST_F(GridInputFixture, ShiftDownSelectsRecordsAndShiftUpTakesTheLastBack) {
  AddRecords(6);
  Bind();
  Grid->SetOptions(Grid->Options() + dgMultiSelect + dgRowSelect);
  for (int i = 0; i < 3; ++i) Key(Grid, VK_DOWN, {ssShift});
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstRecordBookmarks);
  EXPECT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"张三", "李四", "王五", "赵六"}));
  Key(Grid, VK_UP, {ssShift});
  EXPECT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"张三", "李四", "王五"}));
  // A move without Shift clears the selection.
  Key(Grid, VK_DOWN);
  EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
  // Ctrl+Shift+Home selects from here to the first record.
  Key(Grid, VK_HOME, {ssCtrl, ssShift});
  EXPECT_EQ(Data->RecNo(), 1);
  EXPECT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"张三", "李四", "王五", "赵六"}));
  // Ctrl+Delete asks once for all of them and deletes them.
  Key(Grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(Grid->Confirms, 1);
  EXPECT_EQ(Data->RecordCount(), 2);
  EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
}

TEST_F(GridInputFixture, ShiftKeysSelectARectangleWithoutRowSelect) {
  AddRecords(6);
  Bind();
  Grid->SetOptions(Grid->Options() + dgMultiSelect);
  Grid->SetSelectedIndex(1);
  Key(Grid, VK_DOWN, {ssShift});
  Key(Grid, VK_DOWN, {ssShift});
  Key(Grid, VK_RIGHT, {ssShift});
  ASSERT_EQ(Grid->Selection()->SelectionType(), gstRectangle);
  TDBGridEhSelectionRect* r = Grid->Selection()->Rect();
  EXPECT_EQ(r->LeftCol(), 1);
  EXPECT_EQ(r->RightCol(), 2);
  TBookmark third = Data->GetBookmark();
  Data->First();
  EXPECT_TRUE(r->CellSelected(1, Data->GetBookmark()));
  EXPECT_TRUE(r->CellSelected(2, third));
  EXPECT_FALSE(r->CellSelected(3, third));
  Data->Last();
  EXPECT_FALSE(r->CellSelected(1, Data->GetBookmark()));
}

TEST_F(GridInputFixture, MouseSelectsRectanglesRecordsAndColumns) {
  AddRecords(6);
  Bind();
  Grid->SetOptions(Grid->Options() + dgMultiSelect);
  Integer top = Grid->TitleOffset();
  auto click = [&](Integer col, Integer row, TShiftState shift) {
    TPoint p = CellCentre(col, row);
    Grid->MouseDown(mbLeft, shift + ssLeft, p.X, p.Y);
    Grid->MouseUp(mbLeft, shift, p.X, p.Y);
  };
  // A click anchors, a Shift+click stretches the rectangle (in view order).
  click(2, top + 3, {});
  click(3, top + 1, {ssShift});
  ASSERT_EQ(Grid->Selection()->SelectionType(), gstRectangle);
  EXPECT_EQ(Grid->Selection()->Rect()->LeftCol(), 1);
  EXPECT_EQ(Grid->Selection()->Rect()->RightCol(), 2);
  EXPECT_TRUE(Grid->CellInSelection(2, top + 2));
  EXPECT_FALSE(Grid->CellInSelection(2, top + 4));
  // Indicator clicks select records: Ctrl toggles one, a plain click
  // starts again.
  click(0, top, {});
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstRecordBookmarks);
  click(0, top + 2, {ssCtrl});
  EXPECT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"张三", "王五"}));
  click(0, top + 2, {ssCtrl});
  EXPECT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"张三"}));
  // The lowest pixels of a title select columns; Shift extends, Ctrl
  // inverts.
  auto titleClick = [&](Integer col, TShiftState shift) {
    TRect r = Grid->CellClientRect(col, 0);
    Grid->MouseDown(mbLeft, shift + ssLeft, (r.Left + r.Right) / 2, r.Bottom - 2);
    Grid->MouseUp(mbLeft, shift, (r.Left + r.Right) / 2, r.Bottom - 2);
  };
  struct {
    Integer Col;
    TShiftState Shift;
    std::vector<Integer> Selected;
  } steps[] = {
      {1, {}, {0}}, {3, {ssShift}, {0, 1, 2}}, {2, {ssShift}, {0, 1}}, {4, {ssCtrl}, {0, 1, 3}},
  };
  for (auto& st : steps) {
    titleClick(st.Col, st.Shift);
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstColumns);
    std::vector<Integer> got;
    for (Integer i = 0; i < Grid->Selection()->Columns()->Count(); ++i)
      got.push_back(Grid->Selection()->Columns()->Items(i)->Index());
    EXPECT_EQ(got, st.Selected) << "title " << st.Col;
  }
  // Ctrl+C copies the selection only with the copy action.
  Clipboard()->SetAsText("");
  Key(Grid, 'C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "");
  Grid->SetEditActions({geaCopyEh});
  Key(Grid, 'C', {ssCtrl});
  EXPECT_NE(Clipboard()->AsText().find("赵六"), String::npos);
  // Ctrl+A with the select-all action selects everything.
  Key(Grid, 'A', {ssCtrl});
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstColumns);
  Grid->SetEditActions({geaSelectAllEh});
  Key(Grid, 'A', {ssCtrl});
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstAll);
}

// ---------------------------------------------------------------------------
// Hints and tool tips

TEST_F(GridInputFixture, ToolTipsShowOnlyForCutText) {
  AddRecords(2);
  Data->First();
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("一个很长很长很长很长的客户名称");
  Data->Post();
  Bind();
  TColumnEh* name = Column("Name");
  TColumnEh* qty = Column("Qty");
  name->SetWidth(60);
  qty->SetToolTips(true);
  name->SetToolTips(true);
  auto hintAt = [&](Integer col, Integer row) {
    Grid->FMousePos = CellCentre(col, row);
    THintInfo info;
    info.HintStr = "x";
    Grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  };
  Integer top = Grid->TitleOffset();
  Integer nameCol = Grid->DataToRawColumn(name->Index()), qtyCol = Grid->DataToRawColumn(qty->Index());
  THintInfo cut = hintAt(nameCol, top);
  EXPECT_EQ(cut.HintStr, "一个很长很长很长很长的客户名称");
  EXPECT_EQ(cut.HintData, Grid->HintFont());
  EXPECT_EQ(hintAt(nameCol, top + 1).HintStr, "");   // 李四 fits
  EXPECT_EQ(hintAt(qtyCol, top).HintStr, "");        // 10 fits, right-aligned and whole
  // A right-aligned number whose column runs past the client edge is cut
  // on the right: it gets a tool tip although its text fits.
  qty->SetWidth(Grid->ClientWidth());
  Grid->SetLeftCol(qtyCol);
  EXPECT_EQ(hintAt(qtyCol, top).HintStr, "10");
  // Without ToolTips, nothing; a title's own hint is shown as it is, with
  // the normal pause.
  name->SetToolTips(false);
  Grid->SetLeftCol(Grid->FixedCols());
  EXPECT_EQ(hintAt(nameCol, top).HintStr, "");
  name->Title()->SetHint("客户的名称|状态栏的长文字");
  name->Title()->SetToolTips(true);
  EXPECT_EQ(hintAt(nameCol, 0).HintStr, "客户的名称");
  Integer pause = 777;
  Grid->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
  EXPECT_EQ(pause, Application->HintPause());
  Grid->FMousePos = CellCentre(qtyCol, top);
  pause = 777;
  Grid->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
  EXPECT_EQ(pause, 0);
}

// The tool tip shows the text the cell shows: the column's cell-parameter
// event may lengthen or shorten it, and the tip follows.
TEST_F(GridInputFixture, ToolTipShowsTheTextTheCellParametersGive) {
  AddRecords(2);
  Bind();
  TColumnEh* name = Column("Name");
  name->SetWidth(60);
  name->SetToolTips(true);
  name->OnGetCellParams = [](TObject*, bool EditMode, TColCellParamsEh* Params) {
    if (EditMode) return;
    if (Params->Text == "张三") Params->Text = "张三（北京华联商厦有限公司）";
    else Params->Text = "短";
  };
  auto hintAt = [&](Integer row) {
    Grid->FMousePos = CellCentre(Grid->DataToRawColumn(name->Index()), row);
    THintInfo info;
    info.HintStr = "x";
    Grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info.HintStr;
  };
  Integer top = Grid->TitleOffset();
  EXPECT_EQ(hintAt(top), "张三（北京华联商厦有限公司）");
  EXPECT_EQ(hintAt(top + 1), "") << "李四 is shown as 短, which fits";
  // An image strip beside the text is not the text's: no tip over it.
  auto images = std::make_unique<TImageList>(nullptr);
  images->SetSize(16, 16);
  name->SetImageList(images.get());
  name->SetShowImageAndText(true);
  TRect cell = Grid->CellClientRect(Grid->DataToRawColumn(name->Index()), top);
  Grid->FMousePos = TPoint(cell.Left + 4, (cell.Top + cell.Bottom) / 2);
  THintInfo info;
  info.HintStr = "x";
  Grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "");
  EXPECT_EQ(hintAt(top), "张三（北京华联商厦有限公司）");
  name->SetImageList(nullptr);
}

TEST_F(GridInputFixture, CheckBoxToolTipIsThePickListEntryOfItsState) {
  AddRecords(2);
  Bind();
  TColumnEh* done = Column("Done");
  done->PickList()->SetText("未完成\n已完成");
  String text;
  Grid->CellToolTipText(done, text);
  EXPECT_EQ(text, "未完成");
  Data->Next();
  Grid->CellToolTipText(done, text);
  EXPECT_EQ(text, "已完成");
}

TEST_F(GridInputFixture, TracedColumnSizingFollowsTheMouse) {
  AddRecords(2);
  Bind();
  Grid->SetOptionsEh(Grid->OptionsEh() + dghTraceColSizing);
  Integer col = Grid->DataToRawColumn(Column("Name")->Index());
  Integer width = Grid->ColWidths(col);
  TRect r = Grid->CellClientRect(col, 0);
  Grid->MouseDown(mbLeft, {ssLeft}, r.Right, 4);
  EXPECT_EQ(Grid->GridState(), gsColSizingEh);
  Grid->MouseMove({ssLeft}, r.Right + 20, 4);
  EXPECT_EQ(Grid->ColWidths(col), width + 20);
  EXPECT_EQ(Column("Name")->Width(), width + 20);
  Grid->MouseMove({ssLeft}, r.Left - 30, 4);
  EXPECT_EQ(Grid->ColWidths(col), 1);
  Grid->MouseUp(mbLeft, {}, r.Left - 30, 4);
  EXPECT_EQ(Grid->GridState(), gsNormalEh);
  EXPECT_EQ(Grid->ColWidths(col), 1);
}

// ---------------------------------------------------------------------------
// Frame and deferred sizing

TEST_F(GridInputFixture, FlatGridDrawsItsOwnOnePixelFrame) {
  Bind();
  auto style = [&] { return GetWindowLongW(Grid->Handle(), GWL_STYLE); };
  auto exStyle = [&] { return GetWindowLongW(Grid->Handle(), GWL_EXSTYLE); };
  EXPECT_TRUE(exStyle() & WS_EX_CLIENTEDGE);
  Grid->SetFlat(true);
  PumpMessages();
  EXPECT_FALSE(style() & WS_BORDER);
  EXPECT_FALSE(exStyle() & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(style() & WS_CLIPCHILDREN);
  RECT wr, cr;
  GetWindowRect(Grid->Handle(), &wr);
  GetClientRect(Grid->Handle(), &cr);
  Integer bars = (style() & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0;
  EXPECT_EQ(wr.right - wr.left - cr.right, 2);
  EXPECT_EQ(wr.bottom - wr.top - cr.bottom - bars, 2);
}

TEST_F(GridInputFixture, SizeChangesUnderTheUpdateLockWaitForItsEnd) {
  AddRecords(8);
  Bind();
  Integer rows = Grid->RowCount();
  Grid->BeginUpdate();
  Grid->SetBounds(0, 0, 500, 120);
  EXPECT_EQ(Grid->RowCount(), rows);
  Grid->EndUpdate();
  EXPECT_LT(Grid->RowCount(), rows);
}

// ---------------------------------------------------------------------------
// Record moving

TEST_F(GridInputFixture, DraggingARecordAtTheIndicatorMovesIt) {
  AddRecords(4);
  Bind();
  Grid->SetOptionsEh(Grid->OptionsEh() + dghRecordMoving);
  TPoint from = CellCentre(0, Grid->TitleOffset());
  TPoint to = CellCentre(0, Grid->TitleOffset() + 2);
  Grid->MouseDown(mbLeft, {ssLeft}, from.X, from.Y);
  EXPECT_EQ(Grid->GridEhState(), 7);
  Grid->MouseMove({ssLeft}, to.X, to.Y);
  Grid->MouseUp(mbLeft, {}, to.X, to.Y);
  EXPECT_EQ(Grid->GridEhState(), 0);
  EXPECT_EQ(Data->RecordCount(), 4);
  std::vector<String> names;
  for (Data->First(); !Data->Eof(); Data->Next()) names.push_back(Data->FieldByName("Name")->AsString());
  EXPECT_EQ(names, (std::vector<String>{"李四", "王五", "张三", "赵六"}));
  // Where records can be selected only a selected record moves, and it stays
  // selected in its new place.
  Grid->SetOptions(Grid->Options() + dgMultiSelect);
  Data->First();
  Grid->MouseDown(mbLeft, {ssLeft}, from.X, from.Y);
  EXPECT_NE(Grid->GridEhState(), 7);
  Grid->MouseUp(mbLeft, {}, from.X, from.Y);   // the press selected 李四
  ASSERT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"李四"}));
  Data->First();
  Grid->MouseDown(mbLeft, {ssLeft}, from.X, from.Y);
  EXPECT_EQ(Grid->GridEhState(), 7);
  Grid->MouseMove({ssLeft}, to.X, to.Y);
  Grid->MouseUp(mbLeft, {}, to.X, to.Y);
  names.clear();
  for (Data->First(); !Data->Eof(); Data->Next()) names.push_back(Data->FieldByName("Name")->AsString());
  EXPECT_EQ(names, (std::vector<String>{"王五", "张三", "李四", "赵六"}));
  EXPECT_EQ(SelectedNames(Grid, Data.get()), (std::vector<String>{"李四"}));
}

TEST_F(GridInputFixture, ARefusedRecordMoveLosesNothing) {
  AddRecords(3);
  Bind();
  // The dataset refuses the moved copy: the move is taken back and every
  // record stays, in its place.
  int inserts = 0;
  Data->BeforePost = [&](TDataSet* ds) {
    if (ds->State() == dsInsert && ++inserts == 1) DatabaseError("insert refused");
  };
  TStringList marks;
  Data->First();
  marks.Add(Data->GetBookmark());
  EXPECT_THROW(Grid->MoveRecordsInDataSet(&marks, 3, 0, false), EDatabaseError);
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_EQ(Data->RecordCount(), 3);
  std::vector<String> names;
  for (Data->First(); !Data->Eof(); Data->Next()) names.push_back(Data->FieldByName("Name")->AsString());
  EXPECT_EQ(names, (std::vector<String>{"张三", "李四", "王五"}));
  // A read-only grid refuses at the check.
  Data->BeforePost = nullptr;
  Grid->SetReadOnly(true);
  EXPECT_FALSE(Grid->MoveRecordsInDataSet(&marks, 3, 0, true));
}

// ---------------------------------------------------------------------------
// A real window over a real query: typing is posted to SQLite, and a post
// the database refuses keeps the typed value in the edit.

std::string FreshDatabase(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbgrid-tests";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/" + name;
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE Customers (CU_ID INTEGER PRIMARY KEY, CU_Name TEXT(50), CU_City TEXT(20));"
               "CREATE UNIQUE INDEX CustomerNames ON Customers (CU_Name);"
               "INSERT INTO Customers VALUES (1, '北京华联', '北京');"
               "INSERT INTO Customers VALUES (2, '上海东方', '上海');"
               "INSERT INTO Customers VALUES (3, '广州南方', '广州');",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

std::string StoredName(const std::string& path, int id) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT CU_Name FROM Customers WHERE CU_ID = ?", -1, &st, nullptr);
  sqlite3_bind_int(st, 1, id);
  std::string s;
  if (sqlite3_step(st) == SQLITE_ROW) s = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return s;
}

// Keyboard input as the focused window receives it.
void PostKey(Word key) {
  HWND w = GetFocus();
  PostMessageW(w, WM_KEYDOWN, key, 1);
  PostMessageW(w, WM_KEYUP, key, LPARAM(0xC0000001));
  PumpMessages(2);
}
void PostText(const std::u16string& text) {
  for (char16_t ch : text) {
    PostMessageW(GetFocus(), WM_CHAR, WPARAM(ch), 1);
    PumpMessages(1);
  }
}

struct TQueryWindow {
  std::string Path;
  TADOConnection Conn;
  TADOQuery Query;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
  explicit TQueryWindow(const char* file) : Path(FreshDatabase(file)) {
    Conn.SetLoginPrompt(false);
    Conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn.Open();
    Query.SetConnection(&Conn);
    Query.SQL()->SetText("select CU_ID, CU_Name, CU_City from Customers order by CU_ID");
    Query.Open();
    Source.SetDataSet(&Query);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(60, 60, 460, 200);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 440, 160);
    Grid->Font()->SetName("宋体");
    Grid->Font()->SetHeight(-12);
    Grid->SetDataSource(&Source);
    Form->Show();
    PumpMessages();
    Grid->SetFocus();
    PumpMessages();
  }
  ~TQueryWindow() {
    Form.reset();
    Query.Close();
    Conn.Close();
  }
};

TEST(DBGridEhTyping, TypedTextIsPostedToSqlite) {
  TQueryWindow w("typing.mdb");
  w.Grid->SetSelectedIndex(1);
  ASSERT_EQ(GetFocus(), w.Grid->Handle());
  PostText(u"华");   // opens the editor with the character
  ASSERT_NE(w.Grid->InplaceEditor(), nullptr);
  ASSERT_TRUE(w.Grid->InplaceEditor()->IsWindowShown());
  PostText(u"联商贸");
  EXPECT_EQ(w.Grid->InplaceEditor()->Text(), "华联商贸");
  EXPECT_EQ(w.Query.State(), dsEdit);
  PostKey(VK_DOWN);   // leaving the record posts it
  EXPECT_EQ(w.Query.State(), dsBrowse);
  EXPECT_EQ(w.Query.RecNo(), 2);
  EXPECT_EQ(StoredName(w.Path, 1), "华联商贸");
}

int StoredCount(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Customers", -1, &st, nullptr);
  int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return n;
}

void ExecSql(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

// Records of a query move through its dataset features, in one transaction
// of the connection: an insert the database refuses half way leaves every
// record in the database and in the grid.
TEST(DBGridEhTyping, RecordsOfAQueryMoveInOneTransaction) {
  TQueryWindow w("moving.mdb");
  ExecSql(w.Path,
          "CREATE TRIGGER NoBeijing BEFORE INSERT ON Customers WHEN NEW.CU_Name = '北京华联' "
          "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  TStringList marks;
  w.Query.First();
  marks.Add(w.Query.GetBookmark());
  w.Query.Next();
  marks.Add(w.Query.GetBookmark());   // 北京华联 and 上海东方 go to the end
  EXPECT_THROW(w.Grid->MoveRecordsInDataSet(&marks, 3, 0, false), Exception);
  EXPECT_EQ(StoredName(w.Path, 1), "北京华联");
  EXPECT_EQ(StoredName(w.Path, 2), "上海东方");
  EXPECT_EQ(StoredName(w.Path, 3), "广州南方");
  EXPECT_EQ(StoredCount(w.Path), 3);
  EXPECT_EQ(w.Query.State(), dsBrowse);
  EXPECT_EQ(w.Query.RecordCount(), 3);

  ExecSql(w.Path, "DROP TRIGGER NoBeijing;");
  marks.Clear();
  w.Query.First();
  marks.Add(w.Query.GetBookmark());
  EXPECT_TRUE(w.Grid->MoveRecordsInDataSet(&marks, 3, 0, false));
  EXPECT_EQ(w.Query.RecordCount(), 3);
  EXPECT_EQ(StoredCount(w.Path), 3);
  w.Query.Last();
  EXPECT_EQ(w.Query.FieldByName("CU_Name")->AsString(), "北京华联");
}

// The filter row: a click edits a filter cell, typed text and Enter filter
// the query through its features (locally, the query's own Filter).
TEST(DBGridEhTyping, FilterRowFiltersTheQuery) {
  TQueryWindow w("filter.mdb");
  w.Grid->STFilter()->SetLocal(true);
  w.Grid->STFilter()->SetVisible(true);
  for (Integer i = 0; i < 3; ++i) w.Grid->Columns()->Item(i)->SetWidth(110);
  PumpMessages();
  EXPECT_EQ(w.Grid->TitleOffset(), 2);
  TColumnEh* city = w.Grid->Columns()->Item(2);
  TRect cell = w.Grid->CellClientRect(w.Grid->DataToRawColumn(2), 1);
  w.Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.Left + 5, cell.Top + 5));
  w.Grid->Perform(WM_LBUTTONUP, 0, MAKELPARAM(cell.Left + 5, cell.Top + 5));
  PumpMessages();
  ASSERT_TRUE(w.Grid->FilterEditing());
  ASSERT_NE(w.Grid->FilterEdit(), nullptr);
  EXPECT_TRUE(w.Grid->FilterEdit()->Visible());
  EXPECT_EQ(GetFocus(), w.Grid->FilterEdit()->Handle());
  PostText(u"上海");
  PostKey(VK_RETURN);
  EXPECT_EQ(city->STFilter()->EnteredText(), "上海");
  EXPECT_EQ(city->STFilter()->GetFilterText(), "~ '上海'");   // text matches by likeness
  EXPECT_EQ(w.Query.RecordCount(), 1);
  EXPECT_EQ(w.Query.FieldByName("CU_Name")->AsString(), "上海东方");
  WriteWindowPng(w.Grid, "dbgrid_filterrow");
  // Tab goes to the next filter cell (wrapping to the first), Down back to
  // the records.
  PostKey(VK_TAB);
  EXPECT_EQ(w.Grid->FilterCol(), 0);
  PostKey(VK_DOWN);
  EXPECT_FALSE(w.Grid->FilterEditing());
  EXPECT_FALSE(w.Grid->FilterEdit()->Visible());
  // Up on the first record goes back up into the filter row.
  PostKey(VK_UP);
  EXPECT_TRUE(w.Grid->FilterEditing());
  EXPECT_EQ(w.Grid->FilterCol(), 0);
  // An empty condition shows every record again.
  w.Grid->ClearFilter();
  w.Grid->ApplyFilterNow();
  EXPECT_EQ(w.Query.RecordCount(), 3);
}

TEST(DBGridEhTyping, ARefusedPostKeepsTheTypedValue) {
  TQueryWindow w("refused.mdb");
  String shown;
  Application->OnException = [&](TObject*, Exception* e) { shown = e->Message(); };
  w.Grid->SetSelectedIndex(1);
  w.Query.Next();   // 上海东方
  PumpMessages();
  PostText(u"北京华联");   // the name of record 1: the unique index refuses it
  PostKey(VK_DOWN);
  Application->OnException = nullptr;
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(w.Query.State(), dsEdit);
  EXPECT_EQ(w.Query.RecNo(), 2);
  EXPECT_EQ(w.Query.FieldByName("CU_Name")->AsString(), "北京华联");
  ASSERT_NE(w.Grid->InplaceEditor(), nullptr);
  EXPECT_EQ(w.Grid->InplaceEditor()->Text(), "北京华联");
  EXPECT_EQ(StoredName(w.Path, 2), "上海东方");
  // Corrected, the same key posts.
  w.Grid->InplaceEditor()->SelectAll();
  PostText(u"上海东方贸易");
  PostKey(VK_DOWN);
  EXPECT_EQ(w.Query.State(), dsBrowse);
  EXPECT_EQ(StoredName(w.Path, 2), "上海东方贸易");
}

}  // namespace

// ---------------------------------------------------------------------------
// Tree rows through a small dataset that answers the tree queries.

namespace {

struct TNode {
  Integer Level;
  bool Children;
  bool Expanded;
};

class TTreeData : public TMemDataSet, public IMemTableTreeEh {
 public:
  std::vector<TNode> Nodes;
  std::vector<std::pair<Integer, bool>> Toggles;   // record number, expanded
  struct TMove {
    Integer ToRecNo, Level;
    bool CheckOnly;
  };
  std::vector<TMove> Moves;
  bool TreeViewActive() override { return true; }
  TNode& Node() { return Nodes.at(size_t(RecNo() - 1)); }
  Integer NodeLevel() override { return Node().Level; }
  bool NodeHasChildren() override { return Node().Children; }
  bool NodeExpanded() override { return Node().Expanded; }
  bool LevelContinuesBelow(Integer Level) override {
    for (size_t j = size_t(RecNo()); j < Nodes.size(); ++j) {
      if (Nodes[j].Level < Level) return false;
      if (Nodes[j].Level == Level) return true;
    }
    return false;
  }
  Integer SetNodeExpanded(bool Expand) override {
    Node().Expanded = Expand;
    Toggles.push_back({RecNo(), Expand});
    return -1;
  }
  bool MoveRecords(TStrings*, Integer ToRecNo, Integer TreeLevel, bool CheckOnly) override {
    Moves.push_back({ToRecNo, TreeLevel, CheckOnly});
    return true;
  }
};

class TreeRowsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = std::make_unique<TTreeData>();
    Data->FieldDefs().Add("Name", ftString, 20);
    Data->CreateDataSet();
    const char* names[] = {"华东", "上海", "南京", "华南", "广州"};
    Data->Nodes = {{1, true, true}, {2, false, false}, {2, false, false}, {1, true, true}, {2, false, false}};
    for (const char* n : names) Data->AppendRecord({Variant(String(n))});
    Data->First();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 360, 240);
    Grid = new TInputGrid(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 340, 200);
    Grid->Font()->SetName("宋体");
    Grid->Font()->SetHeight(-12);
    Grid->SetDataSource(Source.get());
    Grid->Columns()->Item(0)->SetWidth(150);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    Source.reset();
    Data.reset();
  }
  TPoint At(Integer row, Integer x) {
    TRect r = Grid->CellClientRect(1, Grid->TitleOffset() + row);
    return TPoint(r.Left + x, (r.Top + r.Bottom) / 2);
  }
  void Click(TPoint p) {
    Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
    Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  }
  std::unique_ptr<TTreeData> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
  TInputGrid* Grid = nullptr;
};

TEST_F(TreeRowsFixture, IndentAndExpandBoxes) {
  EXPECT_TRUE(Grid->IsTreeColumn(0));
  EXPECT_EQ(Grid->TreeAreaWidth(), 18);
  Data->Next();
  EXPECT_EQ(Grid->TreeAreaWidth(), 36);
  Data->First();
  // The box of a node opens and closes it; the rest of the indent is no
  // cell click, and the current record stays.
  int cellClicks = 0;
  Grid->OnCellClick = [&](TColumnEh*) { ++cellClicks; };
  Click(At(0, 9));
  ASSERT_EQ(Data->Toggles.size(), 1u);
  EXPECT_EQ(Data->Toggles[0], (std::pair<Integer, bool>{1, false}));
  Click(At(3, 9));
  ASSERT_EQ(Data->Toggles.size(), 2u);
  EXPECT_EQ(Data->Toggles[1], (std::pair<Integer, bool>{4, false}));
  EXPECT_EQ(Data->RecNo(), 1);
  Click(At(1, 9));   // the line part of a leaf's indent
  EXPECT_EQ(Data->Toggles.size(), 2u);
  EXPECT_EQ(cellClicks, 0);
  Click(At(1, 60));   // the text: an ordinary click
  EXPECT_EQ(cellClicks, 1);
  EXPECT_EQ(Data->RecNo(), 2);
  WriteWindowPng(Grid, "dbgrid_tree_rows");
}

TEST_F(TreeRowsFixture, TreeKeysAndTheEditorsIndent) {
  Key(Grid, VK_SUBTRACT);
  EXPECT_FALSE(Data->Nodes[0].Expanded);
  Key(Grid, VK_ADD);
  EXPECT_TRUE(Data->Nodes[0].Expanded);
  Key(Grid, VK_ADD);   // already open: nothing
  EXPECT_EQ(Data->Toggles.size(), 2u);
  Grid->Perform(WM_CHAR, WPARAM('*'), 0);
  EXPECT_FALSE(Data->Nodes[0].Expanded);
  EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->IsWindowShown());
  // The numeric pad's * toggles once, though it types a '*' as well.
  Key(Grid, VK_MULTIPLY);
  Grid->Perform(WM_CHAR, WPARAM('*'), 0);
  EXPECT_TRUE(Data->Nodes[0].Expanded);
  // The editor's text starts after the indent.
  Data->Next();
  Grid->SetFocus();
  Grid->SetEditorMode(true);
  ASSERT_TRUE(Grid->Editor() && Grid->Editor()->IsWindowShown());
  EXPECT_EQ(Grid->Editor()->GetEditRect().Left, 2 + 36 + 1);
}

TEST_F(TreeRowsFixture, DraggedRecordsDropAtTheLevelOfTheMouse) {
  Grid->SetOptionsEh(Grid->OptionsEh() + dghRecordMoving);
  TRect ind = Grid->CellClientRect(0, Grid->TitleOffset() + 1);
  Grid->MouseDown(mbLeft, {ssLeft}, (ind.Left + ind.Right) / 2, (ind.Top + ind.Bottom) / 2);
  ASSERT_EQ(Grid->GridEhState(), 7);
  // Onto 南京: below the start row the level is at least the next row's;
  // far right it is one below the row's own level at most.
  TPoint p = At(2, 100);
  Grid->MouseMove({ssLeft}, p.X, p.Y);
  ASSERT_FALSE(Data->Moves.empty());
  EXPECT_TRUE(Data->Moves.back().CheckOnly);
  EXPECT_EQ(Data->Moves.back().Level, 3);
  p = At(2, 5);
  Grid->MouseMove({ssLeft}, p.X, p.Y);
  EXPECT_EQ(Data->Moves.back().Level, 1);
  Grid->MouseUp(mbLeft, {}, p.X, p.Y);
  EXPECT_FALSE(Data->Moves.back().CheckOnly);
  EXPECT_EQ(Data->Moves.back().ToRecNo, 3);
  EXPECT_EQ(Data->Moves.back().Level, 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// A lookup column: typed names become the key of the list's record.

namespace {

TEST(DBGridEhLookup, TypedNamesBecomeKeys) {
  TMemDataSet products;
  products.FieldDefs().Add("ID", ftInteger);
  products.FieldDefs().Add("Name", ftString, 20);
  products.CreateDataSet();
  products.AppendRecord({Variant(10), Variant(String("钢笔"))});
  products.AppendRecord({Variant(20), Variant(String("墨水"))});
  TMemDataSet lines;
  lines.FieldDefs().Add("PID", ftInteger);
  lines.FieldDefs().Add("Qty", ftInteger);
  for (int i = 0; i < 2; ++i) lines.FieldDefs()[i].CreateField()->SetDataSet(&lines);
  auto* name = new TStringField();
  name->SetFieldName("PName");
  name->SetSize(20);
  name->SetFieldKind(fkLookup);
  name->SetLookupDataSet(&products);
  name->SetKeyFields("PID");
  name->SetLookupKeyFields("ID");
  name->SetLookupResultField("Name");
  name->SetDataSet(&lines);
  lines.Open();
  lines.AppendRecord({Variant(10), Variant(3)});
  lines.First();
  TDataSource src;
  src.SetDataSet(&lines);
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(40, 40, 400, 200);
  auto* grid = new TInputGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, 380, 160);
  grid->SetDataSource(&src);
  form->Show();
  PumpMessages();
  TColumnEh* col = grid->ColumnByFieldName("PName");
  EXPECT_EQ(col->GetCellKind(), cckLookup);
  EXPECT_EQ(TDBGridInplaceEdit::ColumnEditStyle(col), TDBGridInplaceEdit::esLookup);
  grid->SetSelectedIndex(col->Index());
  grid->SetFocus();
  grid->SetEditorMode(true);
  TTestInplaceEdit* ed = grid->Editor();
  ASSERT_TRUE(ed && ed->IsWindowShown());
  EXPECT_EQ(ed->Text(), "钢笔");
  EXPECT_EQ(grid->EditKeyValue(), Variant(10));
  ASSERT_TRUE(grid->EditorCanModify());
  auto type = [&](const std::u16string& text) {
    ed->SelectAll();
    for (char16_t ch : text) ed->Perform(WM_CHAR, WPARAM(ch), 0);
  };
  type(u"墨水");
  lines.Post();
  EXPECT_EQ(lines.FieldByName("PID")->AsInteger(), 20);
  // Typing completes from the list: one character finds the name.
  grid->SetEditorMode(true);
  type(u"钢");
  EXPECT_EQ(ed->Text(), "钢笔");
  EXPECT_EQ(ed->SelText(), "笔");
  EXPECT_EQ(grid->EditKeyValue(), Variant(10));
  // A name the list does not have cannot be typed; the column's
  // OnNotInList lets it in and may add it to the list.
  type(u"铅笔");
  EXPECT_EQ(ed->Text(), "钢笔");
  col->OnNotInList = [&](TObject*, const String& text, bool& recheck) {
    products.AppendRecord({Variant(30), Variant(text)});
    recheck = true;
  };
  type(u"铅笔");
  EXPECT_EQ(ed->Text(), "铅笔");
  EXPECT_TRUE(grid->EditKeyValue().IsNull());
  lines.Post();
  EXPECT_EQ(lines.FieldByName("PID")->AsInteger(), 30);
  EXPECT_EQ(lines.FieldByName("PName")->AsString(), "铅笔");
  // A read-only grid gives the lookup column no drop-down.
  grid->SetReadOnly(true);
  EXPECT_EQ(TDBGridInplaceEdit::ColumnEditStyle(col), TDBGridInplaceEdit::esText);
}

}  // namespace
