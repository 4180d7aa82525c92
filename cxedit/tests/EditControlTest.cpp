// The editor control on a form: the key pipeline (clear key, click key,
// Enter with validation, Esc), change events and their holding, buttons
// laid out and pressed with the mouse, in-place activation, and an editor
// over a real SQLite-backed query that posts a typed value and keeps a
// value that cannot be posted.
#include <dirent.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <memory>

#include "ADODB.h"
#include "ExtCtrls.h"
#include "FormFile.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "Menus.h"
#include "cxEdit.h"
#include "cxTextEdit.h"
#include "gtest.h"

namespace {
// A folder of this run's own in the build tree, removed with what the test
// wrote there: test runs side by side never share a database file.
struct ScratchFolder {
  std::string Path;
  ScratchFolder() {
    std::string tmpl = std::string(TOVANI_TEST_BINARY_DIR) + "/scratch-XXXXXX";
    if (::mkdtemp(tmpl.data())) Path = tmpl;
  }
  ~ScratchFolder() {
    if (Path.empty()) return;
    if (DIR* d = ::opendir(Path.c_str())) {
      while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") ::unlink((Path + "/" + name).c_str());
      }
      ::closedir(d);
    }
    ::rmdir(Path.c_str());
  }
};

std::vector<char32_t> Chars(const String& S) {
  std::vector<char32_t> r;
  for (size_t pos = 0; pos < S.size();) r.push_back(Utf8Decode(S, pos));
  return r;
}

// Content of a fixed size, so that auto-sizing has something to measure.
class TTestViewData : public TcxCustomEditViewData {
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  TSize GetEditContentSize(TcxCanvas*, const Variant&, const TcxEditSizeProperties&) override { return TSize{60, 16}; }
};

class TTestProps : public TcxCustomEditProperties {
  TOVANI_CLASS(TTestProps, TcxCustomEditProperties)
 public:
  using TcxCustomEditProperties::TcxCustomEditProperties;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreview = false) override {
    auto* vd = new TTestViewData(this, AStyle, AIsInplace);
    vd->PreviewMode = APreview;
    return vd;
  }
  bool Detects = false;
  bool CanValidate() override { return true; }
  bool CanRestoreEditValue() override { return true; }
  bool DetectsValueChange() override { return Detects; }
  void PrepareDisplayValue(const Variant& V, Variant& D, bool) override { D = Variant(VarToStrDef(V, "")); }
};
TOVANI_IMPLEMENT_CLASS_FACTORY(TTestProps, TcxCustomEditProperties)

// A text editor without an inner window: typed characters go into its text,
// a validated text becomes its edit value.
class TTestEdit : public TcxCustomEdit {
 public:
  explicit TTestEdit(TComponent* AOwner, bool AInplace = false)
      : TcxCustomEdit(AOwner, AInplace, [](TPersistent* O) { return new TTestProps(O); }) {}
  using TcxCustomEdit::SetDataBindingObject;
  String Text;
  std::vector<String> Log;
  TTestProps* Props() { return static_cast<TTestProps*>(Properties()); }
  void GetDisplayText(String& T) override { T = Text; }
  void SetDisplayValueFromData(const Variant& V) override { Text = VarToStrDef(V, ""); }
  void UpdateDrawValue() override {
    Variant d;
    PrepareDisplayValue(EditValue(), d, Focused());
    Text = VarToStrDef(d, "");
    Invalidate();
  }
  void DisplayToEditValue(const Variant& D, Variant& E, bool) override {
    String s = VarToStrDef(D, "");
    E = s.empty() ? Null() : Variant(s);
  }
  void DoSetDisplayValue(const Variant& V) override {
    Variant e;
    DisplayToEditValue(V, e, true);
    InternalSetEditValue(e, false);
  }
  bool IsEditorChar(char32_t C) override { return C >= 32 || C == 8; }
  void DoEditKeyPress(char32_t& Key) override {
    if (!CheckEditChar(Key) || (Key < 32 && Key != 8)) return;
    if (Key == 8) {
      if (!Text.empty()) Text.pop_back();
    } else {
      Text += Utf8Encode(Key);
    }
    Key = 0;
    InnerEditChange(this);
  }
  void SelectAll() override { Log.push_back("select all"); }
  void DoButtonDown(Integer I) override { Log.push_back("down " + IntToStr(I)); }
  void DoButtonUp(Integer I) override { Log.push_back("up " + IntToStr(I)); }
  void DblClick() override {
    Log.push_back("dblclick");
    TcxCustomEdit::DblClick();
  }
};

struct EditFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TTestEdit* E = nullptr;
  TEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 420, 240);
    Other = new TEdit(Form.get());
    Other->SetBounds(250, 20, 100, 24);
    Other->SetParent(Form.get());
    E = new TTestEdit(Form.get());
    E->SetBounds(20, 20, 160, 24);
    E->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  void Type(const String& S) {
    for (char32_t c : Chars(S)) SendMessageW(E->Handle(), WM_CHAR, c, 0);
  }
  void Key(Word K) {
    SendMessageW(E->Handle(), WM_KEYDOWN, K, 0);
    SendMessageW(E->Handle(), WM_KEYUP, K, 0);
  }
  void Events() {
    E->Props()->OnChange = [this](TObject*) { E->Log.push_back("change"); };
    E->Props()->OnEditValueChanged = [this](TObject*) { E->Log.push_back("value"); };
  }
};
}  // namespace

TEST_F(EditFixture, TypingValidatingAndEscape) {
  Events();
  E->Props()->OnValidate = [this](TObject*, Variant& V, String& Text, bool& Error) {
    E->Log.push_back("validate " + VarToStr(V));
    Error = VarToStr(V) == "bad";
  };
  Type("ab");
  EXPECT_EQ(E->Text, "ab");
  EXPECT_TRUE(E->EditModified());
  EXPECT_TRUE(E->Modified());
  EXPECT_EQ(E->Log, (std::vector<String>{"change", "value", "change", "value"}));
  E->Log.clear();
  Word k = VK_RETURN;
  E->DoKeyDown(k, {});
  EXPECT_EQ(k, 0);
  EXPECT_EQ(E->Log, (std::vector<String>{"validate ab"}));
  EXPECT_EQ(VarToStr(E->EditValue()), "ab");
  EXPECT_TRUE(E->Validated());

  // A refused text raises the validation error with the default text, keeps
  // the text and selects it.
  E->Text.clear();
  Type("bad");
  E->Log.clear();
  k = VK_RETURN;
  try {
    E->DoKeyDown(k, {});
    ADD_FAILURE() << "no validation error";
  } catch (EcxEditValidationError& ex) {
    EXPECT_EQ(ex.Message(), "Invalid input value. Use escape key to abandon changes");
  }
  EXPECT_EQ(E->Text, "bad");
  EXPECT_TRUE(E->EditModified());
  EXPECT_EQ(E->Log, (std::vector<String>{"validate bad", "select all"}));
  // Clearing the error text aborts silently.
  E->Props()->OnValidate = [](TObject*, Variant&, String& Text, bool& Error) {
    Error = true;
    Text.clear();
  };
  k = VK_RETURN;
  EXPECT_THROW(E->DoKeyDown(k, {}), EAbort);

  // Esc restores the value from before entering; its character goes nowhere.
  E->Props()->OnValidate = nullptr;
  Other->SetFocus();
  PumpMessages(1);
  E->SetEditValue(Variant(String("start")));
  E->SetFocus();
  PumpMessages(1);
  Type("x");
  EXPECT_EQ(E->Text, "startx");
  k = VK_ESCAPE;
  E->DoKeyDown(k, {});
  EXPECT_EQ(k, 0);
  char32_t esc = 27;
  E->DoKeyPress(esc);
  EXPECT_EQ(esc, 0u);
  EXPECT_EQ(E->Text, "start");
  EXPECT_TRUE(E->Modified());
  EXPECT_FALSE(E->EditModified());
  // A second Esc finds nothing changed and passes on.
  k = VK_ESCAPE;
  E->DoKeyDown(k, {});
  EXPECT_EQ(k, VK_ESCAPE);
}

TEST_F(EditFixture, ClearKeyClickKeyAndHeldEvents) {
  Events();
  E->Props()->SetClearKey(ShortCut(VK_DELETE, {ssCtrl}));
  E->SetEditValue(Variant(String("v")));
  bool allow = false;
  E->OnEditing = [&](TObject*, bool& CanEdit) { CanEdit = allow; };
  Word k = VK_DELETE;
  E->DoKeyDown(k, {ssCtrl});
  EXPECT_EQ(k, 0);
  EXPECT_EQ(VarToStr(E->EditValue()), "v");   // vetoed
  allow = true;
  k = VK_DELETE;
  E->DoKeyDown(k, {ssCtrl});
  EXPECT_TRUE(E->EditValue().IsNull());
  EXPECT_TRUE(E->EditModified());

  // Ctrl+Enter clicks the default button once; without one it passes.
  std::vector<Integer> clicks;
  E->Props()->OnButtonClick = [&](TObject*, Integer I) { clicks.push_back(I); };
  k = VK_RETURN;
  E->Props()->SetValidateOnEnter(false);
  E->DoKeyDown(k, {ssCtrl});
  EXPECT_EQ(k, VK_RETURN);
  EXPECT_TRUE(clicks.empty());
  E->Props()->Buttons()->Add()->SetKind(bkEllipsis);
  E->Props()->Buttons()->Add()->SetDefault(true);
  E->UpdateStateFromCursor();
  k = VK_RETURN;
  E->DoKeyDown(k, {ssCtrl});
  EXPECT_EQ(k, 0);
  EXPECT_EQ(clicks, std::vector<Integer>{1});

  // SetEditValue: the setting lock ignores values; with change detection an
  // equal value is silent and another fires value change, then change.
  E->HoldEditValueSetting(true);
  E->SetEditValue(Variant(String("ignored")));
  E->HoldEditValueSetting(false);
  E->HoldEditValueSetting(false);   // never below zero
  EXPECT_TRUE(E->EditValue().IsNull());
  E->Log.clear();
  E->SetEditValue(Variant(String("a")));
  EXPECT_TRUE(E->Log.empty());      // the base detects no change
  E->Props()->Detects = true;
  E->SetEditValue(Variant(String("a")));
  EXPECT_TRUE(E->Log.empty());
  E->SetEditValue(Variant(String("b")));
  EXPECT_EQ(E->Log, (std::vector<String>{"value", "change"}));

  // Held: three changes fire one of each at the release with replay, none
  // without.
  E->Log.clear();
  E->HoldChangeEvents(true);
  for (const char* v : {"1", "2", "3"}) E->SetEditValue(Variant(String(v)));
  EXPECT_TRUE(E->Log.empty());
  E->HoldChangeEvents(false, true);
  EXPECT_EQ(E->Log, (std::vector<String>{"change", "value"}));
  E->Log.clear();
  E->HoldChangeEvents(true);
  E->SetEditValue(Variant(String("4")));
  E->HoldChangeEvents(false, false);
  E->HoldChangeEvents(false, true);   // already released: nothing
  EXPECT_TRUE(E->Log.empty());
}

TEST_F(EditFixture, ButtonsLaidOutStretchedAndPressed) {
  TcxEditButtons* b = E->Props()->Buttons();
  b->Add()->SetKind(bkEllipsis);
  TcxEditButton* left = b->Add();
  left->SetKind(bkText);
  left->SetCaption("&Go");
  left->SetLeftAlignment(true);
  b->Add()->SetKind(bkDown);
  // The base editor measures no content: it would shrink to its border.
  E->SetAutoSize(false);
  E->SetBounds(20, 20, 200, 26);
  E->UpdateStateFromCursor();
  TcxCustomEditViewInfo* vi = E->GetViewInfo();
  ASSERT_EQ(vi->ButtonCount(), 3);
  const Integer arrow = GetSystemMetrics(SM_CYHSCROLL);
  // Right-aligned buttons from the right edge in collection order, the
  // left-aligned one at the left edge.
  EXPECT_EQ(vi->ButtonsInfo[2]->Bounds.Right, vi->BorderRect.Right);
  EXPECT_EQ(vi->ButtonsInfo[2]->Bounds.Width(), arrow);
  EXPECT_EQ(vi->ButtonsInfo[0]->Bounds.Right, vi->ButtonsInfo[2]->Bounds.Left);
  EXPECT_EQ(vi->ButtonsInfo[1]->Bounds.Left, vi->BorderRect.Left);
  EXPECT_EQ(vi->ClientRect.Left, vi->ButtonsInfo[1]->Bounds.Right);
  EXPECT_EQ(vi->ClientRect.Right, vi->ButtonsInfo[0]->Bounds.Left);
  EXPECT_TRUE(vi->ButtonsInfo[2]->Data.Rightmost);
  EXPECT_TRUE(vi->ButtonsInfo[1]->Data.Leftmost);
  E->Invalidate();
  PumpMessages(1);
  WriteWindowPng(E, "cxEdit_buttons");

  // Pressing a button, leaving it and releasing: down and up, no click;
  // releasing over it: up, then the click with the collection index.
  std::vector<Integer> clicks;
  E->Props()->OnButtonClick = [&](TObject*, Integer I) { clicks.push_back(I); };
  TRect r = vi->ButtonsInfo[0]->Bounds;
  TPoint c((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  SendMessageW(E->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c.X, c.Y));
  E->UpdateState(c, 0, {}, true);
  EXPECT_EQ(vi->SelectedButton, 0);
  EXPECT_TRUE(E->Log.empty());   // hot only: no button event
  E->UpdateState(c, 1, {ssLeft}, true);
  EXPECT_EQ(vi->PressedButton, 0);
  E->UpdateState(TPoint(5, 5), 0, {ssLeft}, true);
  E->UpdateState(TPoint(5, 5), 1, {}, true);
  EXPECT_EQ(E->Log, (std::vector<String>{"down 0", "up 0"}));
  EXPECT_TRUE(clicks.empty());
  E->Log.clear();
  E->UpdateState(c, 1, {ssLeft}, true);
  E->UpdateState(c, 1, {}, true);
  EXPECT_EQ(E->Log, (std::vector<String>{"down 0", "up 0"}));
  EXPECT_EQ(clicks, std::vector<Integer>{0});

  // Hidden while inactive: shown only when focused.
  E->Style()->SetButtonTransparency(ebtHideInactive);
  Other->SetFocus();
  PumpMessages(1);
  E->UpdateState(c, 0, {}, false);
  EXPECT_EQ(vi->ButtonCount(), 0);
  E->SetFocus();
  PumpMessages(1);
  E->UpdateState(c, 0, {}, false);
  EXPECT_EQ(vi->ButtonCount(), 3);
}

TEST(cxEditViewData, StretchSharesAndBorders) {
  // Buttons-only mode: free width shared by width, the first button takes
  // what the integer shares leave.
  struct Case {
    Integer W1, W2, Free, Grow1, Grow2;
  } cases[] = {{17, 17, 100, 50, 50}, {10, 30, 41, 11, 30}};
  for (const Case& c : cases) {
    TTestProps props;
    props.SetButtonsViewStyle(bvsButtonsOnly);
    props.Buttons()->Add()->SetWidth(c.W1);
    props.Buttons()->Add()->SetWidth(c.W2);
    TcxEditStyle style(nullptr, true);
    std::unique_ptr<TcxCustomEditViewData> vd(props.CreateViewData(&style, false));
    TcxCustomEditViewInfo vi;
    vi.SetButtonCount(2);
    vi.ButtonsInfo[0]->Bounds = TRect(0, 0, c.W1, 10);
    vi.ButtonsInfo[1]->Bounds = TRect(c.W1, 0, c.W1 + c.W2, 10);
    vd->ButtonsFillWidth = true;
    vd->StretchButtons(&vi, c.W1 + c.W2 + c.Free, c.Free);
    EXPECT_EQ(vi.ButtonsInfo[0]->Bounds.Width(), c.W1 + c.Grow1) << c.Free;
    EXPECT_EQ(vi.ButtonsInfo[1]->Bounds.Width(), c.W2 + c.Grow2) << c.Free;
  }
}

TEST_F(EditFixture, UltraFlatBorderAndThickInAnyState) {
  E->Style()->SetEditBorderStyle(ebsUltraFlat);
  E->Style()->SetTransparentBorder(false);
  Other->SetFocus();
  PumpMessages(1);
  E->UpdateState(TPoint(-1, -1), 0, {}, false);
  EXPECT_EQ(E->GetViewInfo()->BorderColor, clBtnShadow);
  EXPECT_EQ(E->GetViewInfo()->BorderStyle, cbsSingle);
  E->SetFocus();
  PumpMessages(1);
  E->UpdateState(TPoint(-1, -1), 0, {}, false);
  EXPECT_EQ(E->GetViewInfo()->BorderColor, clHighlight);
  E->Style()->SetEditBorderStyle(ebs3D);
  E->StyleHot()->SetEditBorderStyle(ebsThick);
  std::unique_ptr<TcxCustomEditViewData> vd(E->CreateViewData());
  TRect ext;
  vd->GetStyleBorderExtent(ext);
  EXPECT_EQ(ext, TRect(2, 2, 2, 2));
}

TEST(cxEditInplace, ActivationByKeyAndDoubleClick) {
  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 200);
  auto* e = new TTestEdit(&form, true);
  EXPECT_FALSE(e->AutoSize());
  EXPECT_TRUE(e->WantedKeys().Contains(wkAllKeys));
  EXPECT_TRUE(e->WantedKeys().Contains(wkTab));
  EXPECT_EQ(e->Style()->GetActiveController(), nullptr);   // the host styles it
  e->SetBounds(10, 10, 120, 22);
  e->SetParent(&form);
  form.Show();
  PumpMessages(1);
  TcxCustomEditData* data = nullptr;
  e->ActivateByKey(U'张', data);
  EXPECT_TRUE(e->Activated());
  EXPECT_EQ(e->Text, "张");
  // Ending the in-place editing validates the typed text into the value.
  EXPECT_TRUE(e->EndInplaceEditing());
  EXPECT_EQ(VarToStr(e->EditValue()), "张");
  // A click activates; a second click within the double-click time is a
  // double click.
  e->ActivateByMouse({ssLeft}, 30, 20, data);
  EXPECT_TRUE(e->InplaceTimer()->Enabled());
  SendMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  SendMessageW(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  EXPECT_FALSE(e->InplaceTimer()->Enabled());
  EXPECT_NE(std::find(e->Log.begin(), e->Log.end(), "dblclick"), e->Log.end());
}

TEST(cxEditRepositoryItems, AnItemReadFromFormTextJoinsItsRepository) {
  TForm form(nullptr);
  ReadComponentFromText(R"(object Form1: TForm
  object Repository1: TcxEditRepository
    object Item1: TcxEditRepositoryItem
    end
  end
end
)",
                        &form);
  auto* repository = dynamic_cast<TcxEditRepository*>(form.FindComponent("Repository1"));
  auto* item = dynamic_cast<TcxEditRepositoryItem*>(form.FindComponent("Item1"));
  ASSERT_TRUE(repository && item);
  EXPECT_EQ(item->Repository(), repository);
  EXPECT_EQ(repository->Count(), 1);
}

TEST(cxEditRepositoryItems, SharedByTwoEditorsAndRefused) {
  TForm form(nullptr);
  auto* item = new TcxEditRepositoryItem(&form);
  auto* a = new TTestEdit(&form);
  auto* b = new TTestEdit(&form);
  a->SetRepositoryItem(item);
  b->SetRepositoryItem(item);
  EXPECT_EQ(item->ListenerCount(), 2);
  // Base properties are not the test editor's kind: refused by a stricter editor.
  item->Properties()->SetReadOnly(true);
  EXPECT_TRUE(a->GetEffectiveProperties()->GetReadOnly());
  EXPECT_TRUE(b->IsReadOnlyNow());
  EXPECT_FALSE(a->Properties()->GetReadOnly());
  delete item;
  EXPECT_EQ(a->RepositoryItem(), nullptr);
  EXPECT_EQ(a->GetEffectiveProperties(), a->Properties());
  EXPECT_FALSE(b->IsReadOnlyNow());

  class TStrict : public TTestEdit {
   public:
    using TTestEdit::TTestEdit;
    TClass GetPropertiesClass() override { return TTestProps::StaticClass(); }
  };
  auto* strict = new TStrict(&form);
  TcxEditRepositoryItem other(nullptr);
  try {
    strict->SetRepositoryItem(&other);
    ADD_FAILURE();
  } catch (EcxEditError& e) {
    EXPECT_EQ(e.Message(), "The repository item is not acceptable");
  }
  EXPECT_EQ(strict->RepositoryItem(), nullptr);
}

// ---------------------------------------------------------------------------
// Over a real query

namespace {
// The field side of a data-aware editor: the class library's field data link.
class TFieldProvider : public TcxCustomEditDefaultValuesProvider {
 public:
  TFieldDataLink* Link = nullptr;
  bool IsDataStorage() override { return true; }
  bool IsDataReady() override { return Link->Active() && Link->Field(); }
  bool DefaultCanModify() override { return Link->CanModify(); }
  TAlignment DefaultAlignment() override {
    return Link->Field() ? Link->Field()->Alignment() : taLeftJustify;
  }
};

class TFieldBinding : public TcxEditDataBinding {
 public:
  TFieldDataLink Link;
  explicit TFieldBinding(TcxCustomEdit* AEdit) : TcxEditDataBinding(AEdit) {
    auto* p = new TFieldProvider();
    p->Link = &Link;
    SetDefaultValuesProvider(p);
    Link.SetControl(AEdit);
    Link.OnDataChange = [this](TObject*) { UpdateDisplayValue(); };
  }
  bool IsEditing() override { return Link.Editing(); }
  bool IsModified() override { return Link.Modified(); }
  bool EnterEditMode() override {
    bool ok = Link.Edit();
    if (ok) Edit()->SetEditChanged(true);
    return ok;
  }
  void GetStoredValue(Variant& V) override { V = Link.Field() ? Link.Field()->AsVariant() : Null(); }
  void StoreValue(const Variant& V) override {
    Link.Field()->SetAsString(VarToStrDef(V, ""));
    Link.DataSet()->Post();
  }
  void UpdateDisplayValue() override {
    if (Link.Editing() && Edit()->EditModified()) return;
    Variant v;
    GetStoredValue(v);
    Edit()->SetEditValueQuiet(v);
  }
};
}  // namespace

TEST(cxEditDataBinding, PostsATypedValueAndKeepsOneThatCannotBePosted) {
  ScratchFolder dir;
  ASSERT_FALSE(dir.Path.empty());
  std::string path = dir.Path + "/edit-binding.mdb";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE Items (I_ID LONG PRIMARY KEY, I_Qty LONG, I_Name TEXT(20));"
                         "INSERT INTO Items VALUES (1, 5, '笔');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  TADOConnection conn;
  conn.SetLoginPrompt(false);
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  conn.Open();
  TADOQuery q;
  q.SetConnection(&conn);
  q.SQL()->SetText("SELECT * FROM Items");
  q.Open();
  TDataSource ds;
  ds.SetDataSet(&q);

  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 160);
  auto* other = new TEdit(&form);
  other->SetBounds(150, 10, 100, 22);
  other->SetParent(&form);
  auto* e = new TTestEdit(&form);
  auto* binding = new TFieldBinding(e);
  e->SetDataBindingObject(binding);
  binding->Link.SetDataSource(&ds);
  binding->Link.SetFieldName("I_Qty");
  e->SetBounds(10, 10, 120, 24);
  e->SetParent(&form);
  std::vector<String> errors;
  Application->OnException = [&](TObject*, Exception* ex) { errors.push_back(ex->Message()); };
  form.Show();
  PumpMessages(1);
  e->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(e->Text, "5");
  EXPECT_EQ(e->GetEffectiveProperties()->GetAlignment()->Horz(), taRightJustify);   // from the field

  auto typeText = [&](const String& s) {
    for (char32_t c : Chars(s)) SendMessageW(e->Handle(), WM_CHAR, c, 0);
  };
  auto enter = [&] { SendMessageW(e->Handle(), WM_KEYDOWN, VK_RETURN, 0); };
  typeText("2");
  EXPECT_EQ(e->Text, "52");
  EXPECT_EQ(q.State(), dsEdit);
  enter();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(q.State(), dsBrowse);
  EXPECT_FALSE(e->EditModified());
  {
    TADOQuery check;
    check.SetConnection(&conn);
    check.SQL()->SetText("SELECT I_Qty FROM Items WHERE I_ID = 1");
    check.Open();
    EXPECT_EQ(check.Fields()[0]->AsInteger(), 52);
  }

  // A text the field cannot take: the error is shown, the editor keeps the
  // user's text and stays in edit, the dataset stays in edit.
  typeText("x");
  enter();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("52x"), String::npos) << errors[0];
  EXPECT_EQ(e->Text, "52x");
  EXPECT_TRUE(e->EditModified());
  EXPECT_EQ(q.State(), dsEdit);
  EXPECT_TRUE(e->Focused());
  // Esc gives the field's value back.
  SendMessageW(e->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(e->Text, "52");
  Application->OnException = nullptr;
  q.Cancel();
  form.Hide();
}

TEST_F(EditFixture, AutoSizeAndHints) {
  // Height follows the content; an editor aligned left keeps its height.
  E->Style()->SetTransparentBorder(false);
  E->Style()->SetEditBorderStyle(ebsSingle);
  E->Style()->SetHotTrack(false);   // no thick border while focused
  E->SetBounds(20, 20, 160, 50);
  EXPECT_EQ(E->GetHeight(), 2 + 16);
  EXPECT_EQ(E->Width(), 160);
  // Auto-width buttons: the width is the border and the buttons (the
  // content takes no width in that mode).
  E->Props()->Buttons()->Add()->SetWidth(20);
  E->Props()->SetButtonsViewStyle(bvsButtonsAutoWidth);
  E->SetBounds(20, 20, 300, 18);
  EXPECT_EQ(E->Width(), 2 + 20);
  E->Props()->SetButtonsViewStyle(bvsNormal);
  E->SetAlign(alLeft);
  PumpMessages(1);
  Integer h = E->Height();
  EXPECT_GT(h, 18);

  // Hints: a button's own hint (the text before "|"), the editor's hint
  // elsewhere inside, none outside the border.
  E->SetAlign(alNone);
  E->SetAutoSize(false);
  E->SetBounds(20, 20, 160, 24);
  E->Props()->Buttons()->Items(0)->SetHint("Pick|Picks a value");
  E->SetHint("Editor|long");
  E->SetShowHint(true);
  E->UpdateStateFromCursor();
  TcxCustomEditViewInfo* vi = E->GetViewInfo();
  ASSERT_EQ(vi->ButtonCount(), 1);
  TRect b = vi->ButtonsInfo[0]->Bounds;
  TPoint over((b.Left + b.Right) / 2, 10);
  E->UpdateState(over, 0, {}, true);
  THintInfo info;
  info.CursorPos = over;
  E->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "Pick");
  EXPECT_EQ(info.CursorRect, b);
  // The hint text's rectangle: as a hint window would size it, under the
  // mouse cursor.
  {
    String text;
    bool multi = true;
    TRect r;
    ASSERT_TRUE(vi->GetHintInfo(nullptr, over, text, multi, r));
    EXPECT_EQ(text, "Pick");
    EXPECT_FALSE(multi);
    EXPECT_EQ(r.Left, over.X);
    EXPECT_GT(r.Top, over.Y);
    EXPECT_GT(r.Width(), 0);
    EXPECT_GT(r.Height(), 0);
  }
  E->UpdateState(TPoint(10, 10), 0, {}, true);
  info = THintInfo();
  info.CursorPos = TPoint(10, 10);
  E->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "Editor");
  info = THintInfo();
  info.CursorPos = TPoint(0, 0);
  EXPECT_EQ(E->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), -1);
}

TEST_F(EditFixture, SizeWrittenOnlyWhenNotAutomatic) {
  E->SetName("Edit1");
  E->SetBounds(20, 20, 150, 24);
  String text = ComponentToText(E);
  EXPECT_EQ(text.find("\n  Height ="), String::npos) << text;
  EXPECT_NE(text.find("Width = 150"), String::npos) << text;
  E->SetAutoSize(false);
  E->SetBounds(20, 20, 150, 31);
  text = ComponentToText(E);
  EXPECT_NE(text.find("\n  Height = 31"), String::npos) << text;
}

TEST(cxEditViewInfo, EllipsisDotsBySizeAndEmbossedWhenDisabled) {
  auto count = [](TBitmap& bmp, COLORREF color) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) n += GetPixel(bmp.Canvas()->Handle(), x, y) == color;
    return n;
  };
  struct Case {
    Integer Width, Dot;
  } cases[] = {{10, 1}, {12, 2}};
  for (const Case& c : cases) {
    for (Integer state : {1, 0}) {
      TBitmap bmp;
      bmp.SetPixelFormat(pf24bit);
      bmp.SetWidth(c.Width);
      bmp.SetHeight(10);
      bmp.Canvas()->Brush()->SetColor(TColor(RGB(0, 128, 0)));
      bmp.Canvas()->FillRect(TRect(0, 0, c.Width, 10));
      TcxCanvas canvas(bmp.Canvas());
      TcxCustomEditViewInfo vi;
      vi.SetButtonCount(1);
      vi.ButtonsInfo[0]->Data.Kind = bkEllipsis;
      vi.ButtonsInfo[0]->Data.State = state;
      vi.ButtonsInfo[0]->Bounds = TRect(0, 0, c.Width, 10);
      vi.DrawButtonContent(&canvas, 0, 0, clBtnFace, TColor(RGB(0, 0, 0)), TRect(0, 0, c.Width, 10));
      const int dots = 3 * c.Dot * c.Dot;
      if (state == 1) {
        EXPECT_EQ(count(bmp, RGB(0, 0, 0)), dots) << c.Width;
      } else {
        // Embossed: shadow dots over highlight dots one pixel right and down.
        EXPECT_EQ(count(bmp, GetSysColor(COLOR_BTNSHADOW)), dots) << c.Width;
        EXPECT_GT(count(bmp, GetSysColor(COLOR_BTNHIGHLIGHT)), 0) << c.Width;
      }
    }
  }
}

namespace {

class TCountingBinding : public TcxEditDataBinding {
 public:
  using TcxEditDataBinding::TcxEditDataBinding;
  int Refreshes = 0;
  void RefreshBinding() override { ++Refreshes; }
};

// Renaming an editor refreshes its binding; a visible in-place editor takes
// its host out of the tab order, and a container's inner control stands in
// for it while it is the active control.
TEST(cxEditTabOrder, NamesRefreshBindingsAndInplaceEditorsLeaveTheTabOrder) {
  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 160);
  auto* e = new TTestEdit(&form);
  auto* binding = new TCountingBinding(e);
  e->SetDataBindingObject(binding);
  e->SetName("PriceEdit");
  EXPECT_EQ(binding->Refreshes, 1);

  auto* host = new TPanel(&form);
  host->SetParent(&form);
  host->SetBounds(10, 10, 200, 60);
  host->SetTabStop(true);
  auto* inplace = new TTestEdit(host, true);
  inplace->SetBounds(5, 5, 100, 20);
  inplace->SetParent(host);
  auto* after = new TEdit(&form);
  after->SetParent(&form);
  after->SetBounds(10, 90, 100, 22);
  form.Show();
  PumpMessages(1);
  std::vector<TWinControl*> list;
  form.GetTabOrderList(list);
  EXPECT_EQ(std::find(list.begin(), list.end(), host), list.end()) << "the host left the tab order";
  inplace->SetVisible(false);
  list.clear();
  form.GetTabOrderList(list);
  EXPECT_NE(std::find(list.begin(), list.end(), host), list.end());
}

}  // namespace

// A menu named as an editor's PopupMenu in a form file is the editor's
// menu, and is written back the same way.
TEST(cxEditFormFiles, PopupMenuNamedInAFormFileIsTheEditorsMenu) {
  TForm form(nullptr);
  ReadComponentFromText(R"(object Form1: TForm
  object Menu1: TPopupMenu
  end
  object Edit1: TcxTextEdit
    Left = 8
    Top = 8
    PopupMenu = Menu1
  end
end
)",
                        &form);
  auto* edit = dynamic_cast<TcxTextEdit*>(form.FindComponent("Edit1"));
  auto* menu = form.FindComponent("Menu1");
  ASSERT_TRUE(edit && menu);
  EXPECT_EQ(edit->PopupMenuComponent(), menu);
  EXPECT_EQ(edit->GetPopupMenu(), menu);
  String text = ComponentToText(&form);
  EXPECT_NE(text.find("PopupMenu = Menu1"), String::npos) << text;
  delete menu;
  EXPECT_EQ(edit->PopupMenuComponent(), nullptr);
}
