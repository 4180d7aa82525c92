// The data-aware text editor over in-memory datasets and a real SQLite
// table: what it shows, what it writes into its field and when, and the
// defaults it takes from the field.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "ActnList.h"
#include "DBActns.h"
#include "FormFile.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "Messages.h"
#include "TestWindows.h"
#include "cxBlobEdit.h"
#include "cxButtons.h"
#include "cxCalc.h"
#include "cxCalendar.h"
#include "cxCurrencyEdit.h"
#include "cxDBLookupComboBox.h"
#include "cxMaskEdit.h"
#include "cxSpinEdit.h"
#include "cxTimeEdit.h"
#include "cxDBCheckListBox.h"
#include "cxDBEdit.h"
#include "gtest.h"

namespace {

std::unique_ptr<TMemDataSet> MakeOrders() {
  auto ds = std::make_unique<TMemDataSet>(nullptr);
  ds->FieldDefs().Add("ID", ftInteger);
  ds->FieldDefs().Add("Name", ftString, 20);
  ds->FieldDefs().Add("Qty", ftInteger);
  ds->FieldDefs().Add("Price", ftFloat);
  ds->FieldDefs().Add("Memo", ftMemo);
  ds->FieldDefs().Add("Back", ftBoolean);
  ds->CreateDataSet();
  const char* names[] = {"北京华联", "上海东方", "广州南方"};
  for (int i = 0; i < 3; ++i) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(i + 1);
    ds->FieldByName("Name")->SetAsString(names[i]);
    ds->FieldByName("Qty")->SetAsInteger((i + 1) * 10);
    ds->FieldByName("Price")->SetAsFloat(2.5 * (i + 1));
    ds->Post();
  }
  ds->First();
  return ds;
}

void PostKey(Word key) {
  HWND w = GetFocus();
  PostMessageW(w, WM_KEYDOWN, key, 1);
  PostMessageW(w, WM_KEYUP, key, LPARAM(0xC0000001));
  PumpMessages(2);
}

void PostText(const std::u16string& text) {
  for (char16_t ch : text) PostMessageW(GetFocus(), WM_CHAR, WPARAM(ch), 1);
  PumpMessages(2);
}

struct DBTextEditFixture : ::testing::Test {
  std::unique_ptr<TMemDataSet> Data = MakeOrders();
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TcxDBTextEdit* Qty = nullptr;
  TcxDBTextEdit* Name = nullptr;
  void SetUp() override {
    Source.SetDataSet(Data.get());
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 360, 160);
    Qty = MakeEdit("Qty", 20);
    Name = MakeEdit("Name", 60);
    Form->Show();
    PumpMessages(1);
  }
  TcxDBTextEdit* MakeEdit(const String& AField, Integer ATop) {
    auto* e = new TcxDBTextEdit(Form.get());
    e->SetBounds(20, ATop, 200, 24);
    e->SetParent(Form.get());
    e->DataBinding()->SetDataSource(&Source);
    e->DataBinding()->SetDataField(AField);
    return e;
  }
  void TearDown() override {
    Form.reset();
    Data.reset();
  }
};

}  // namespace

TEST_F(DBTextEditFixture, ShowsTheCurrentRecordAndFollowsTheDataset) {
  EXPECT_EQ(Qty->Text(), "10");
  EXPECT_EQ(Name->Text(), "北京华联");
  Data->Next();
  EXPECT_EQ(Qty->Text(), "20");
  EXPECT_EQ(Name->Text(), "上海东方");
  // A closed dataset shows nothing; opening it shows the current record.
  Data->Close();
  EXPECT_EQ(Qty->Text(), "");
  EXPECT_TRUE(Qty->EditValue().IsNull());
  Data->Open();
  EXPECT_EQ(Name->Text(), "北京华联");
  // A change made by the program shows at once.
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("天津");
  EXPECT_EQ(Name->Text(), "天津");
  Data->Cancel();
  EXPECT_EQ(Name->Text(), "北京华联");
  WriteWindowPng(Form.get(), "cxDBTextEdit_record");
}

TEST_F(DBTextEditFixture, TypedValueIsWrittenIntoItsFieldOnLeaving) {
  Qty->SetFocus();
  PumpMessages(1);
  // The focused window is the inner edit, whose parent is the editor.
  HWND focus = GetFocus();
  EXPECT_EQ(focus, Qty->InnerTextEdit()->Handle());
  EXPECT_EQ(GetParent(focus), Qty->Handle());
  EXPECT_EQ(Data->State(), dsBrowse);
  PostKey(VK_END);
  PostText(u"5");   // "105"
  EXPECT_EQ(Qty->Text(), "105");
  // Typing put the dataset into edit mode, but the field waits.
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 10);
  EXPECT_TRUE(Qty->DataBinding()->IsEditing());
  Name->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 105);
  EXPECT_FALSE(Qty->DataBinding()->IsEditing());
  // The editor never posts the record itself.
  EXPECT_EQ(Data->State(), dsEdit);
  Data->Post();
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 105);
}

TEST_F(DBTextEditFixture, OnKeyPressMayConsumeTheTypedCharacter) {
  std::vector<char32_t> seen;
  Name->OnKeyPress = [&](TObject*, char32_t& Key) {
    seen.push_back(Key);
    if (Key == U'#') Key = 0;
  };
  Name->SetFocus();
  PumpMessages(1);
  PostKey(VK_END);
  PostText(u"#号");
  EXPECT_EQ(Name->Text(), "北京华联号");
  EXPECT_EQ(seen, (std::vector<char32_t>{U'#', U'号'}));
  Data->Cancel();
}

TEST_F(DBTextEditFixture, FormattedTextWhenUnfocusedEditTextWhenFocused) {
  static_cast<TFloatField*>(Data->FieldByName("Price"))->SetDisplayFormat("0.00");
  TcxDBTextEdit* price = MakeEdit("Price", 100);
  PumpMessages(1);
  EXPECT_EQ(price->Text(), "2.50");
  // The edit value stays the field's value.
  EXPECT_DOUBLE_EQ(price->EditValue().AsDouble(), 2.5);
  price->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(price->Text(), "2.5");
  price->SelectAll();
  PostText(u"3.25");
  Name->SetFocus();
  PumpMessages(1);
  EXPECT_DOUBLE_EQ(Data->FieldByName("Price")->AsFloat(), 3.25);
  EXPECT_EQ(price->Text(), "3.25");
  Data->Post();
}

TEST_F(DBTextEditFixture, DatasetPostWritesAPendingChangeFirst) {
  Name->SetFocus();
  PumpMessages(1);
  PostKey(VK_END);
  PostText(u"店");
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "北京华联");
  // The user moves to the next record: the dataset posts and asks the
  // editor for its value before the record is stored.
  Data->Next();
  EXPECT_EQ(Name->Text(), "上海东方");
  EXPECT_FALSE(Name->DataBinding()->DataLink()->Modified());
  Data->First();
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "北京华联店");
}

// A dataset action without a data source of its own acts on the dataset of
// the focused bound editor, and posting takes the typed text first.
TEST_F(DBTextEditFixture, DataSetActionWithoutSourceActsThroughTheFocusedEditor) {
  TActionList list(Form.get());
  auto* post = new TDataSetPost(Form.get());
  post->SetActionList(&list);
  Name->SetFocus();
  PumpMessages(1);
  PostKey(VK_END);
  PostText(u"店");
  // The action finds the focused editor's dataset: enabled while editing.
  post->Update();
  EXPECT_TRUE(post->Enabled());
  EXPECT_TRUE(post->Execute());
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "北京华联店");
  post->Update();
  EXPECT_FALSE(post->Enabled());
}

TEST_F(DBTextEditFixture, RefusedValueStaysInTheEditorAndIsTriedAgain) {
  Qty->SetFocus();
  PumpMessages(1);
  Qty->SelectAll();
  // Letters are not even typed into a number field.
  PostText(u"x");
  EXPECT_EQ(Qty->Text(), "10");
  PostText(u"99999999999");
  EXPECT_EQ(Qty->Text(), "99999999999");
  EXPECT_THROW(Data->Post(), Exception);
  // The field keeps its value, the editor the text, the change stays pending.
  EXPECT_EQ(Data->FieldByName("Qty")->AsInteger(), 10);
  EXPECT_EQ(Qty->Text(), "99999999999");
  EXPECT_TRUE(Qty->DataBinding()->DataLink()->Modified());
  EXPECT_EQ(Data->State(), dsEdit);
  // Esc restores the field's value.
  PostKey(VK_ESCAPE);
  EXPECT_EQ(Qty->Text(), "10");
  Data->Cancel();
}

TEST_F(DBTextEditFixture, EmptiedTextClearsANumberField) {
  Qty->SetFocus();
  PumpMessages(1);
  Qty->SelectAll();
  PostKey(VK_DELETE);
  EXPECT_EQ(Qty->Text(), "");
  Name->SetFocus();
  PumpMessages(1);
  EXPECT_TRUE(Data->FieldByName("Qty")->IsNull());
  Data->Post();
}

TEST_F(DBTextEditFixture, ReadOnlyFieldRefusesTyping) {
  Data->FieldByName("Name")->SetReadOnly(true);
  Name->SetFocus();
  PumpMessages(1);
  PostText(u"a");
  EXPECT_EQ(Name->Text(), "北京华联");
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_FALSE(Name->DataBinding()->EnterEditMode());
}

TEST_F(DBTextEditFixture, BindingErrorsAndTheDataLinkMessage) {
  try {
    Qty->DataBinding()->SetDataField("Nope");
    FAIL() << "a missing field must be reported";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("Field 'Nope' not found"), String::npos) << e.Message();
  }
  Qty->DataBinding()->SetDataField("Qty");
  EXPECT_EQ(Qty->Text(), "10");
  // The class library's data-link query answers the editor's link.
  LRESULT r = Qty->Perform(CM_GETDATALINK, 0, 0);
  EXPECT_EQ(reinterpret_cast<TDataLink*>(r), Qty->DataBinding()->DataLink());
  // Assign copies field and source; another kind of object is refused.
  auto* copy = new TcxDBTextEdit(Form.get());
  copy->SetParent(Form.get());
  copy->DataBinding()->Assign(Name->DataBinding());
  EXPECT_EQ(copy->DataBinding()->DataField(), "Name");
  EXPECT_EQ(copy->Text(), "北京华联");
  TcxEditDataBinding plain(copy);
  EXPECT_THROW(copy->DataBinding()->Assign(&plain), EConvertError);
  // Freeing the data source unbinds the editors.
  Source.SetDataSet(nullptr);
  EXPECT_EQ(Qty->Text(), "");
}

TEST(DBEditDefaults, ProviderAnswersFromTheField) {
  auto ds = std::make_unique<TMemDataSet>(nullptr);
  ds->FieldDefs().Add("Name", ftString, 20);
  ds->FieldDefs().Add("Memo", ftMemo);
  ds->FieldDefs().Add("Price", ftFloat);
  ds->FieldDefs().Add("Qty", ftInteger);
  ds->FieldDefs().Add("Cost", ftBCD);
  ds->CreateDataSet();
  TDataSource src;
  src.SetDataSet(ds.get());
  TcxCustomDBEditDefaultValuesProvider p;
  // Not ready: the base answers.
  EXPECT_FALSE(p.IsDataReady());
  EXPECT_EQ(p.DefaultMaxLength(), 0);
  EXPECT_TRUE(p.IsDataStorage());
  p.SetDataSource(&src);
  p.SetField(ds->FieldByName("Name"));
  EXPECT_TRUE(p.IsDataReady());
  EXPECT_EQ(p.DefaultMaxLength(), 20);
  EXPECT_TRUE(p.CanSetEditMode());
  src.SetAutoEdit(false);
  EXPECT_FALSE(p.CanSetEditMode());
  src.SetAutoEdit(true);
  p.SetField(ds->FieldByName("Memo"));
  EXPECT_EQ(p.DefaultMaxLength(), 0);
  EXPECT_EQ(p.DefaultBlobKind(), 3);
  EXPECT_TRUE(p.IsBlob());
  // A currency float without a display format has one for display only.
  auto* price = static_cast<TFloatField*>(ds->FieldByName("Price"));
  price->SetCurrency(true);
  p.SetField(price);
  EXPECT_TRUE(p.HasDisplayFormat(true));
  EXPECT_FALSE(p.HasDisplayFormat(false));
  EXPECT_TRUE(p.DefaultIsFloatValue());
  EXPECT_TRUE(p.IsCurrency());
  price->SetPrecision(5);
  EXPECT_EQ(p.DefaultPrecision(), 5);
  // Float bounds carry only the field's significant digits.
  price->SetMaxValue(1234.5678);
  price->SetMinValue(-0.123456);
  EXPECT_DOUBLE_EQ(p.DefaultMaxValue(), 1234.6);
  EXPECT_DOUBLE_EQ(p.DefaultMinValue(), -0.12346);
  // A BCD field's bounds are its currency values.
  auto* cost = static_cast<TBCDField*>(ds->FieldByName("Cost"));
  cost->SetMaxValue(::Currency(99.125));
  cost->SetMinValue(::Currency(-5));
  p.SetField(cost);
  EXPECT_DOUBLE_EQ(p.DefaultMaxValue(), 99.125);
  EXPECT_DOUBLE_EQ(p.DefaultMinValue(), -5);
  auto* qty = static_cast<TIntegerField*>(ds->FieldByName("Qty"));
  qty->SetMaxValue(99);
  p.SetField(qty);
  EXPECT_EQ(p.DefaultMaxValue(), 99);
  EXPECT_TRUE(p.AcceptsChar(U'7'));
  EXPECT_FALSE(p.AcceptsChar(U'x'));
  qty->SetReadOnly(true);
  EXPECT_FALSE(p.DefaultCanModify());
  // A freed field is forgotten.
  ds->Close();
  EXPECT_FALSE(p.IsDataReady());
  ds.reset();
  EXPECT_EQ(p.Field(), nullptr);
}

TEST(DBEditDefaults, GetTextHandlerShowsForNullValues) {
  auto ds = MakeOrders();
  TDataSource src;
  src.SetDataSet(ds.get());
  ds->Edit();
  ds->FieldByName("Name")->Clear();
  ds->Post();
  ds->FieldByName("Name")->OnGetText = [](TField* F, String& Text, bool) {
    Text = F->IsNull() ? "(无)" : F->AsString();
  };
  TForm form(nullptr);
  auto* e = new TcxDBTextEdit(&form);
  e->SetParent(&form);
  e->DataBinding()->SetDataSource(&src);
  e->DataBinding()->SetDataField("Name");
  EXPECT_EQ(e->Text(), "(无)");
}

TEST(DBEditDefaults, DesigningWithoutDataShowsTheComponentName) {
  TForm form(nullptr);
  auto* e = new TcxDBTextEdit(&form);
  e->SetName("FPrice");
  e->SetDesigning(true);
  e->SetParent(&form);
  e->DataBinding()->ShowUnboundValue();
  EXPECT_EQ(e->Text(), "FPrice");
}

TEST(DBEditStreaming, FormFileBindsTheEditor) {
  auto ds = MakeOrders();
  TForm form(nullptr);
  const String text =
      "object F: TForm\n"
      "  Left = 0\n"
      "  Top = 0\n"
      "  object ds_Orders: TDataSource\n"
      "  end\n"
      "  object FPrice: TcxDBTextEdit\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    DataBinding.DataSource = ds_Orders\n"
      "    BeepOnEnter = False\n"
      "    DataBinding.DataField = 'Price'\n"
      "    TabOrder = 0\n"
      "  end\n"
      "  object cxDBCheckBox1: TcxDBCheckBox\n"
      "    Left = 10\n"
      "    Top = 40\n"
      "    Caption = '退货标记'\n"
      "    DataBinding.DataSource = ds_Orders\n"
      "    DataBinding.DataField = 'Back'\n"
      "    TabStop = False\n"
      "    Transparent = True\n"
      "  end\n"
      "  object OP: TcxDBCheckListBox\n"
      "    Left = 0\n"
      "    Top = 100\n"
      "    Align = alBottom\n"
      "    Columns = 6\n"
      "    DataBinding.DataSource = ds_Orders\n"
      "    DataBinding.DataField = 'Name'\n"
      "    EditValueFormat = cvfStatesString\n"
      "  end\n"
      "  object cxButton1: TcxButton\n"
      "    Left = 200\n"
      "    Top = 10\n"
      "    Width = 75\n"
      "    Height = 25\n"
      "    Caption = '提交保存'\n"
      "    Kind = cxbkDropDownButton\n"
      "  end\n"
      "end\n";
  ReadComponentFromText(text, &form);
  auto* e = dynamic_cast<TcxDBTextEdit*>(form.FindComponent("FPrice"));
  ASSERT_NE(e, nullptr);
  auto* src = dynamic_cast<TDataSource*>(form.FindComponent("ds_Orders"));
  ASSERT_NE(src, nullptr);
  EXPECT_EQ(e->DataBinding()->DataSource(), src);
  EXPECT_EQ(e->DataBinding()->DataField(), "Price");
  EXPECT_FALSE(e->BeepOnEnter());
  src->SetDataSet(ds.get());
  EXPECT_EQ(e->Text(), "2.5");
  auto* box = dynamic_cast<TcxDBCheckBox*>(form.FindComponent("cxDBCheckBox1"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Caption(), "退货标记");
  EXPECT_FALSE(box->TabStop());
  EXPECT_TRUE(box->Transparent());
  EXPECT_EQ(box->DataBinding()->DataField(), "Back");
  auto* op = dynamic_cast<TcxDBCheckListBox*>(form.FindComponent("OP"));
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(op->Columns(), 6);
  EXPECT_EQ(op->EditValueFormat(), cvfStatesString);
  EXPECT_EQ(op->Align(), alBottom);
  EXPECT_EQ(op->DataBinding()->DataSource(), src);
  auto* button = dynamic_cast<TcxButton*>(form.FindComponent("cxButton1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Kind(), cxbkDropDownButton);
  EXPECT_EQ(button->Caption(), "提交保存");
}

// Every text editor kind that keeps Enter from the edit window on request
// reads BeepOnEnter from a form file (default on, not written when on).
TEST(DBEditStreaming, BeepOnEnterOfEveryTextEditorKind) {
  const char* const kinds[] = {"TcxTextEdit",    "TcxMaskEdit",  "TcxDBTextEdit", "TcxDateEdit",
                               "TcxDBDateEdit",  "TcxTimeEdit",  "TcxCurrencyEdit", "TcxSpinEdit",
                               "TcxCalcEdit",    "TcxBlobEdit",  "TcxLookupComboBox", "TcxDBLookupComboBox"};
  for (const char* kind : kinds) {
    SCOPED_TRACE(kind);
    TForm form(nullptr);
    const String text = String("object F: TForm\n  object E1: ") + kind +
                        "\n    BeepOnEnter = False\n  end\n  object E2: " + kind + "\n  end\nend\n";
    ASSERT_NO_THROW(ReadComponentFromText(text, &form));
    auto* e1 = dynamic_cast<TcxCustomTextEdit*>(form.FindComponent("E1"));
    auto* e2 = dynamic_cast<TcxCustomTextEdit*>(form.FindComponent("E2"));
    ASSERT_TRUE(e1 && e2);
    EXPECT_FALSE(e1->BeepOnEnter());
    EXPECT_TRUE(e2->BeepOnEnter());
    const String written = ComponentToText(&form);
    EXPECT_EQ(written.find("BeepOnEnter"), written.rfind("BeepOnEnter")) << written;
    EXPECT_NE(written.find("BeepOnEnter = False"), String::npos) << written;
  }
}

// ---------------------------------------------------------------------------
// Over a real SQLite table through the ADO query

namespace {
std::string FreshOrderLines(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxeditors-tests";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/" + name;
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE Orders_d (OD_ID INTEGER PRIMARY KEY, OD_Price REAL, OD_Qty INTEGER, OD_Memo TEXT(50));"
               "INSERT INTO Orders_d VALUES (1, 12.5, 3, '加急');",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

std::string StoredText(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  std::string s;
  if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
    s = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return s;
}
}  // namespace

TEST(DBTextEditSqlite, TypedPriceGoesIntoTheTable) {
  std::string path = FreshOrderLines("dbtextedit.mdb");
  TADOConnection conn;
  conn.SetLoginPrompt(false);
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  conn.Open();
  TADOQuery q;
  q.SetConnection(&conn);
  q.SQL()->SetText("select * from Orders_d");
  q.Open();
  TDataSource src;
  src.SetDataSet(&q);
  {
    TForm form(nullptr);
    form.SetBounds(60, 60, 300, 120);
    auto* price = new TcxDBTextEdit(&form);
    price->SetName("FPrice");
    price->SetBounds(10, 10, 120, 24);
    price->SetParent(&form);
    price->DataBinding()->SetDataSource(&src);
    price->DataBinding()->SetDataField("OD_Price");
    auto* memo = new TcxDBTextEdit(&form);
    memo->SetBounds(10, 40, 200, 24);
    memo->SetParent(&form);
    memo->DataBinding()->SetDataSource(&src);
    memo->DataBinding()->SetDataField("OD_Memo");
    form.Show();
    PumpMessages(1);
    EXPECT_EQ(price->Text(), "12.5");
    EXPECT_EQ(memo->Text(), "加急");
    price->SetFocus();
    PumpMessages(1);
    price->SelectAll();
    PostText(u"8.75");
    memo->SetFocus();
    PumpMessages(1);
    EXPECT_DOUBLE_EQ(q.FieldByName("OD_Price")->AsFloat(), 8.75);
    q.Post();
    WriteWindowPng(&form, "cxDBTextEdit_sqlite");
  }
  EXPECT_EQ(StoredText(path, "select OD_Price from Orders_d where OD_ID = 1"), "8.75");
  q.Close();
  conn.Close();
}

// ---------------------------------------------------------------------------
// A lookup binding (the lookup editors derive theirs): on a lookup field it
// watches and writes the key fields.

namespace {
class TKeyProperties : public TcxTextEditProperties {
 public:
  using TcxTextEditProperties::TcxTextEditProperties;
  TcxEditValueSource UsesDataDisplayFormat(bool) override { return evsKey; }
};
class TKeyBinding : public TcxDBTextEditDataBinding {
 public:
  using TcxDBTextEditDataBinding::TcxDBTextEditDataBinding;
  bool IsLookupBinding() override { return true; }
};
class TKeyEdit : public TcxCustomTextEdit {
 public:
  explicit TKeyEdit(TComponent* AOwner)
      : TcxCustomTextEdit(AOwner, false, [](TPersistent* O) -> TcxCustomEditProperties* { return new TKeyProperties(O); }) {
    SetDataBindingObject(new TKeyBinding(this));
  }
  TKeyBinding* Binding() { return static_cast<TKeyBinding*>(DataBinding()); }
};

std::unique_ptr<TMemDataSet> MakeCustomers() {
  auto c = std::make_unique<TMemDataSet>(nullptr);
  c->FieldDefs().Add("ID", ftInteger);
  c->FieldDefs().Add("Part", ftInteger);
  c->FieldDefs().Add("Name", ftString, 20);
  c->CreateDataSet();
  const int rows[][2] = {{1, 1}, {2, 1}, {2, 2}};
  const char* names[] = {"华联", "东方", "东方二部"};
  for (int i = 0; i < 3; ++i) {
    c->Append();
    c->FieldByName("ID")->SetAsInteger(rows[i][0]);
    c->FieldByName("Part")->SetAsInteger(rows[i][1]);
    c->FieldByName("Name")->SetAsString(names[i]);
    c->Post();
  }
  return c;
}

std::unique_ptr<TMemDataSet> MakeOrdersWithLookup(TDataSet* ACustomers, const String& AKeys, const String& ALookupKeys) {
  auto o = std::make_unique<TMemDataSet>(nullptr);
  o->FieldDefs().Add("CustID", ftInteger);
  o->FieldDefs().Add("CustPart", ftInteger);
  for (int i = 0; i < 2; ++i) o->FieldDefs()[i].CreateField()->SetDataSet(o.get());
  auto* name = new TStringField();
  name->SetFieldName("CustName");
  name->SetSize(20);
  name->SetFieldKind(fkLookup);
  name->SetLookupDataSet(ACustomers);
  name->SetKeyFields(AKeys);
  name->SetLookupKeyFields(ALookupKeys);
  name->SetLookupResultField("Name");
  name->SetDataSet(o.get());
  o->Open();
  o->Append();
  o->FieldByName("CustID")->SetAsInteger(1);
  o->FieldByName("CustPart")->SetAsInteger(1);
  o->Post();
  return o;
}
}  // namespace

TEST(DBLookupBinding, OneKeyFieldIsWatchedAndWritten) {
  auto customers = MakeCustomers();
  auto orders = MakeOrdersWithLookup(customers.get(), "CustID", "ID");
  TDataSource src;
  src.SetDataSet(orders.get());
  TForm form(nullptr);
  auto* e = new TKeyEdit(&form);
  e->SetParent(&form);
  e->Binding()->SetDataSource(&src);
  e->Binding()->SetDataField("CustName");
  EXPECT_EQ(e->Binding()->DataLink()->WatchedField(), orders->FieldByName("CustID"));
  Variant v;
  e->Binding()->GetStoredValue(v);
  EXPECT_EQ(v.AsInteger(), 1);
  // A change of the key field reaches the editor.
  orders->Edit();
  orders->FieldByName("CustID")->SetAsInteger(2);
  e->Binding()->GetStoredValue(v);
  EXPECT_EQ(v.AsInteger(), 2);
  orders->Cancel();
  // The editor's value goes into the key field.
  e->Binding()->StoreValue(Variant(2));
  EXPECT_EQ(orders->FieldByName("CustID")->AsInteger(), 2);
  EXPECT_EQ(orders->FieldByName("CustName")->AsString(), "东方");
  orders->Post();
}

TEST(DBLookupBinding, TwoKeyFieldsTakeAnArray) {
  auto customers = MakeCustomers();
  auto orders = MakeOrdersWithLookup(customers.get(), "CustID;CustPart", "ID;Part");
  TDataSource src;
  src.SetDataSet(orders.get());
  TForm form(nullptr);
  auto* e = new TKeyEdit(&form);
  e->SetParent(&form);
  e->Binding()->SetDataSource(&src);
  e->Binding()->SetDataField("CustName");
  EXPECT_EQ(e->Binding()->DataLink()->WatchedField(), orders->FieldByName("CustName"));
  e->Binding()->StoreValue(VarArrayOf({Variant(2), Variant(2)}));
  EXPECT_EQ(orders->FieldByName("CustID")->AsInteger(), 2);
  EXPECT_EQ(orders->FieldByName("CustPart")->AsInteger(), 2);
  EXPECT_EQ(orders->FieldByName("CustName")->AsString(), "东方二部");
  orders->Post();
}
