// Export of the data grid as text, CSV, the grid-data format and RTF; the
// readers that bring text and grid data back; and the clipboard commands.
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <vector>

#include "Clipbrd.h"
#include "CodePage.h"
#include "DBGridEhImpExp.h"
#include "Dialogs.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "Streams.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

String Bytes(std::initializer_list<int> b) {
  String s;
  for (int c : b) s.push_back(char(c));
  return s;
}

// Answers the message boxes shown while it lives: records their texts and
// presses the button the action chooses.
struct BoxAnswerer {
  static inline std::function<int(const String& text)> Choose;
  static inline std::vector<String> Texts;
  static inline HHOOK Hook = nullptr;
  static BOOL CALLBACK Child(HWND h, LPARAM text) {
    char16_t buf[512] = {};
    GetWindowTextW(h, reinterpret_cast<LPWSTR>(buf), 511);
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0 && buf[0]) *reinterpret_cast<String*>(text) += Utf16ToUtf8(buf);
    return TRUE;
  }
  static void CALLBACK Fire(HWND d, UINT, UINT_PTR, DWORD) {
    KillTimer(d, 79);
    String text;
    EnumChildWindows(d, Child, reinterpret_cast<LPARAM>(&text));
    Texts.push_back(text);
    int id = Choose ? Choose(text) : IDOK;
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
  }
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
      HWND dlg = reinterpret_cast<HWND>(w);
      wchar_t cls[32] = {};
      GetClassNameW(dlg, cls, 32);
      if (lstrcmpW(cls, L"#32770") == 0) SetTimer(dlg, 79, 20, Fire);
    }
    return CallNextHookEx(Hook, code, w, l);
  }
  explicit BoxAnswerer(std::function<int(const String&)> choose) {
    Choose = std::move(choose);
    Texts.clear();
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~BoxAnswerer() {
    UnhookWindowsHookEx(Hook);
    Choose = nullptr;
  }
};

String RtfTextOf(const String& s) { return TDBGridEhExportAsRTF::RtfText(s); }

class ImpExpFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = MakeData();
    for (int i = 1; i <= 6; ++i)
      Data->AppendRecord({Variant(i), Variant(String("名称") + IntToStr(i)), Variant(i * 2), Variant(i * 1.5)});
    Data->First();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 520, 300);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 500, 260);
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Grid->SetDataSource(Source.get());
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    Source.reset();
    Data.reset();
  }
  static std::unique_ptr<TMemDataSet> MakeData() {
    auto d = std::make_unique<TMemDataSet>();
    d->FieldDefs().Add("ID", ftInteger);
    d->FieldDefs().Add("Name", ftString, 20);
    d->FieldDefs().Add("Qty", ftInteger);
    d->FieldDefs().Add("Price", ftFloat);
    d->CreateDataSet();
    return d;
  }
  TBookmark BookmarkOf(int id) {
    EXPECT_TRUE(Data->Locate("ID", Variant(id), {}));
    return Data->GetBookmark();
  }
  template <class TExporter>
  String Export(bool whole) {
    TStringStream s;
    ExportGridToStream<TExporter>(Grid, &s, whole);
    return s.DataString();
  }
  template <class TImporter>
  void Import(const String& bytes, bool whole = false) {
    TStringStream s(bytes);
    ImportGridFromStream<TImporter>(Grid, &s, whole);
  }
  std::vector<String> Column(const char* field) {
    std::vector<String> r;
    TBookmark keep = Data->GetBookmark();
    for (Data->First(); !Data->Eof(); Data->Next()) r.push_back(Data->FieldByName(field)->AsString());
    if (!keep.empty()) Data->GotoBookmark(keep);
    return r;
  }
  TColumnEh* Col(const char* name) { return Grid->ColumnByFieldName(name); }
  std::unique_ptr<TMemDataSet> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
};

// ---------------------------------------------------------------------------
// Export

TEST_F(ImpExpFixture, TextExportOfTheWholeGridAndNothingWithoutSelection) {
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false), "");
  EXPECT_EQ(Export<TDBGridEhExportAsRTF>(false).substr(0, 6), "{\\rtf1");
  Data->Last();
  Data->Delete();
  Data->Last();
  Data->Delete();
  Data->Last();
  Data->Delete();
  Data->Last();
  Data->Delete();
  EXPECT_EQ(Export<TDBGridEhExportAsText>(true),
            "ID\tName\tQty\tPrice\r\n1\t名称1\t2\t1.5\r\n2\t名称2\t4\t3");
}

TEST_F(ImpExpFixture, CsvQuotesEveryValue) {
  Data->First();
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("a\"b");
  Data->Post();
  Grid->SetOptions(Grid->Options() - dgTitles);
  BookmarkOf(1);
  Grid->SelectedRows()->SetCurrentRowSelected(true);
  EXPECT_EQ(Export<TDBGridEhExportAsCSV>(false), "\"1\";\"a\"\"b\";\"2\";\"1.5\"");
}

TEST_F(ImpExpFixture, GridDataFormatBytes) {
  auto d = std::make_unique<TMemDataSet>();
  d->FieldDefs().Add("N", ftInteger);
  d->FieldDefs().Add("S", ftString, 10);
  d->CreateDataSet();
  d->AppendRecord({Variant(5), Variant(String("ab"))});
  TDataSource src;
  src.SetDataSet(d.get());
  Grid->SetDataSource(&src);
  EXPECT_EQ(Export<TDBGridEhExportAsVCLDBIF>(true),
            Bytes({0x56, 0x43, 0x4C, 0x44, 0x42, 0x49, 0x46, 0x01, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                   0x03, 0x05, 0x00, 0x00, 0x00, 0x05, 0x02, 0x00, 0x00, 0x00, 0x61, 0x62, 0x00}));
  // Chinese text travels as code page 936 bytes; Null has its own tag.
  d->Edit();
  d->FieldByName("S")->SetAsString("中");
  d->FieldByName("N")->Clear();
  d->Post();
  String out = Export<TDBGridEhExportAsVCLDBIF>(true);
  EXPECT_EQ(out.substr(16), Bytes({0x02, 0x05, 0x02, 0x00, 0x00, 0x00, 0xD6, 0xD0, 0x00}));
  Grid->SetDataSource(Source.get());
}

TEST_F(ImpExpFixture, EachSelectionKindExportsItsCellsWithFooterSumsOverThem) {
  Grid->SumList()->SetActive(true);
  Grid->SetFooterRowCount(1);
  Col("Qty")->Footer()->SetValueType(fvtSum);
  Col("ID")->Footer()->SetValueType(fvtCount);
  Col("Price")->Footer()->SetValueType(fvtAvg);   // the grid's own value over all records
  Data->First();
  Data->MoveBy(2);
  TBookmark current = Data->GetBookmark();
  Integer active = Grid->DataLink()->ActiveRecord();

  for (int id : {2, 5, 6}) {
    BookmarkOf(id);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  Data->GotoBookmark(current);
  active = Grid->DataLink()->ActiveRecord();
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false),
            "ID\tName\tQty\tPrice\r\n2\t名称2\t4\t3\r\n5\t名称5\t10\t7.5\r\n6\t名称6\t12\t9\r\n3\t\t26\t5.25");
  // The dataset and the grid stay where they were.
  EXPECT_EQ(Data->GetBookmark(), current);
  EXPECT_EQ(Grid->DataLink()->ActiveRecord(), active);

  TBookmark b4 = BookmarkOf(4), b2 = BookmarkOf(2);
  Grid->Selection()->Rect()->Select(2, b4, false);
  Grid->Selection()->Rect()->Select(1, b2, true);
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false), "Name\tQty\r\n名称2\t4\r\n名称3\t6\r\n名称4\t8\r\n\t18");

  Grid->Selection()->Columns()->SelectColumn(Col("Price"), false);
  Grid->Selection()->Columns()->InvertColumn(Col("ID"));
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false),
            "ID\tPrice\r\n1\t1.5\r\n2\t3\r\n3\t4.5\r\n4\t6\r\n5\t7.5\r\n6\t9\r\n6\t5.25");

  // A rectangle whose bottom record is gone runs to the end.
  Grid->SetFooterRowCount(0);
  TBookmark b5 = BookmarkOf(5), b6 = BookmarkOf(6);
  Grid->Selection()->Rect()->Select(0, b5, false);
  Grid->Selection()->Rect()->Select(0, b6, true);
  Data->GotoBookmark(b6);
  Data->Delete();
  Data->AppendRecord({Variant(7), Variant(String("七")), Variant(1), Variant(1.0)});
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false), "ID\r\n5\r\n7");
}

TEST_F(ImpExpFixture, CellParameterEventsReachTheExport) {
  Grid->OnGetCellParams = [](TObject*, TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState) {
    if (Column->FieldName() == "Qty") Background = clYellow;
    AFont->SetStyle({fsBold});
  };
  Grid->SetFooterRowCount(1);
  Grid->OnGetFooterParams = [](TObject*, Integer DataCol, Integer, TColumnEh*, TFont*, TColor&, TAlignment&,
                               TGridDrawState, String& Text) { Text = "F" + IntToStr(DataCol); };
  BookmarkOf(3);
  Grid->SelectedRows()->SetCurrentRowSelected(true);
  Grid->SetOptions(Grid->Options() - dgTitles);
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false), "3\t名称3\t6\t4.5\r\nF0\tF1\tF2\tF3");
  String rtf = Export<TDBGridEhExportAsRTF>(false);
  // Colour table: black, white, button face, then yellow for the Qty cell.
  EXPECT_NE(rtf.find("\\red255\\green255\\blue0;"), String::npos);
  EXPECT_NE(rtf.find("\\clcfpat3\\cellx"), String::npos);
  EXPECT_NE(rtf.find("\\b\\f0"), String::npos);
}

TEST(DBGridEhRtf, TextIsEscapedAndChineseKeptForAnyReader) {
  EXPECT_EQ(TDBGridEhExportAsRTF::RtfText("a\\b{c}"), "a\\\\b\\{c\\}");
  EXPECT_EQ(TDBGridEhExportAsRTF::RtfText("x\r\ny\tz"), "x\\line y\\tab z");
  // U+4E2D is GBK D6 D0 (the document declares code page 936); a character
  // outside it goes as \uN with "?" for readers without Unicode.
  EXPECT_EQ(TDBGridEhExportAsRTF::RtfText("中"), "\\'d6\\'d0");
  EXPECT_EQ(TDBGridEhExportAsRTF::RtfText("\xEF\xBF\xBF"), "\\u-1?");
  EXPECT_EQ(TDBGridEhExportAsRTF::RtfText("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");
}

TEST_F(ImpExpFixture, RtfDocumentLayout) {
  Grid->Columns()->Item(0)->SetWidth(96);
  Grid->Font()->SetName("宋体");
  Grid->Font()->SetSize(9);
  Data->First();
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("{客户}\\");
  Data->Post();
  BookmarkOf(1);
  Grid->SelectedRows()->SetCurrentRowSelected(true);
  String rtf = Export<TDBGridEhExportAsRTF>(false);
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  EXPECT_NE(rtf.find("\\cellx" + IntToStr(96 * 1440 / ppi) + "\r\n"), String::npos);
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936\\deff0\r\n{\\colortbl\\red0\\green0\\blue0;", 0), 0u);
  EXPECT_NE(rtf.find("{\\fonttbl\\f0\\fnil \\'cb\\'ce\\'cc\\'e5;}"), String::npos);
  EXPECT_NE(rtf.find("\\{\\'bf\\'cd"), String::npos);
  EXPECT_NE(rtf.find("\\fs18"), String::npos);
  EXPECT_EQ(rtf.back(), '}');
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
      continue;
    }
    if (rtf[i] == '{') ++depth;
    if (rtf[i] == '}') --depth;
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
  // For the independent reader (unrtf) run after the tests.
  mkdir("out", 0755);
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("上海贸易公司 {A&B}");
  Data->Post();
  Grid->Selection()->Clear();
  ExportGridToFile<TDBGridEhExportAsRTF>(Grid, "out/grid.rtf", true);
  Grid->Selection()->Clear();
  ExportGridToFile<TDBGridEhExportAsRTF>(Grid, "out/empty.rtf", false);
}

TEST_F(ImpExpFixture, RtfGroupTitlesAreMergedCellsWithoutInnerBorders) {
  Col("Qty")->Title()->SetCaption("数量|订购");
  Col("Price")->Title()->SetCaption("数量|单价");
  Grid->SetUseMultiTitle(true);
  Grid->SetOptions(Grid->Options() - dgMultiSelect);
  String rtf = Export<TDBGridEhExportAsRTF>(true);
  // Each table row: its cells' border words, then the cell texts.
  std::vector<std::vector<String>> borders, texts;
  for (size_t at = rtf.find("\\trowd"); at != String::npos; at = rtf.find("\\trowd", at + 1)) {
    size_t end = rtf.find("\\row}", at);
    String row = rtf.substr(at, end - at);
    std::vector<String> b(1), t;
    for (size_t p = 0; (p = row.find("\\cl", p)) != String::npos; p += 3) {
      if (row.compare(p, 7, "\\clbrdr") == 0) b.back() += row[p + 7];
      if (row.compare(p, 8, "\\clshdng") == 0) b.emplace_back();
    }
    b.pop_back();
    for (size_t p = 0; (p = row.find("\\pard\\intbl{", p)) != String::npos; ++p) {
      size_t sp = row.find(' ', p), cell = row.find("\\cell}", p);
      t.push_back(sp < cell ? row.substr(sp + 1, cell - sp - 1) : String());
    }
    borders.push_back(b);
    texts.push_back(t);
  }
  ASSERT_GE(borders.size(), 3u);
  // Top row: ID and Name span both title rows (no bottom edge); the group
  // header covers Qty and Price (no edge between them), its text once.
  EXPECT_EQ(borders[0], (std::vector<String>{"ltr", "ltr", "ltb", "tbr"}));
  EXPECT_EQ(texts[0][2], RtfTextOf("数量"));
  EXPECT_EQ(texts[0][3], "");
  EXPECT_EQ(texts[0][0], "ID");
  EXPECT_EQ(borders[1], (std::vector<String>{"lbr", "lbr", "ltbr", "ltbr"}));
  EXPECT_EQ(texts[1][0], "");
  EXPECT_EQ(texts[1][2], RtfTextOf("订购"));
  EXPECT_EQ(texts[1][3], RtfTextOf("单价"));
  EXPECT_EQ(texts[2][0], "1");   // then the records
}

// ---------------------------------------------------------------------------
// Import

TEST_F(ImpExpFixture, TextImportOverwritesFromTheCurrentRecordAndAppends) {
  Grid->SetSelectedIndex(1);   // from the Name column on
  BookmarkOf(5);
  Data->Last();
  Import<TDBGridEhImportAsText>(String("甲\t10\r\n乙\t20\r\n丙\t30\r\n") + String(1, '\0'));
  EXPECT_EQ(Column("Name"), (std::vector<String>{"名称1", "名称2", "名称3", "名称4", "名称5", "甲", "乙", "丙"}));
  EXPECT_EQ(Column("Qty"), (std::vector<String>{"2", "4", "6", "8", "10", "10", "20", "30"}));
  // Without appending the rest of the input is not used.
  Grid->SetAllowedOperations({alopUpdateEh});
  Data->Last();
  Import<TDBGridEhImportAsText>("丁\r\n戊");
  EXPECT_EQ(Data->RecordCount(), 8);
  EXPECT_EQ(Column("Name").back(), "丁");
}

TEST_F(ImpExpFixture, TextImportKeepsTheLastByteUnlessItIsTheTerminator) {
  Grid->SetSelectedIndex(1);
  Data->First();
  Import<TDBGridEhImportAsText>("ab\t79");   // a file: no terminator
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "ab");
  EXPECT_EQ(Data->FieldByName("Qty")->AsString(), "79");
}

TEST_F(ImpExpFixture, TextImportShapes) {
  Grid->Selection()->Columns()->SelectColumn(Col("Name"), false);
  Grid->Selection()->Columns()->ExtendTo(Col("Qty"));
  // Short rows leave the other columns; surplus cells are dropped; a TAB
  // before the line end gives no empty cell.
  Import<TDBGridEhImportAsText>("a\t1\tx\r\nb\t\r\n\t7\r\nd");
  EXPECT_EQ(Column("Name"), (std::vector<String>{"a", "b", "", "d", "名称5", "名称6"}));
  EXPECT_EQ(Column("Qty"), (std::vector<String>{"1", "4", "7", "8", "10", "12"}));
  try {
    Import<TDBGridEhImportAsText>("a\rb");
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TDBGridEhImportAsText.CheckState: Invalid text format");
  }
  EXPECT_EQ(Data->State(), dsBrowse);
}

TEST_F(ImpExpFixture, KeyListColumnsStoreTheKeyOfTheText) {
  TColumnEh* qty = Col("Qty");
  qty->PickList()->SetText("一\n二\n三");
  qty->KeyList()->SetText("10\n20\n30");
  Grid->Selection()->Columns()->SelectColumn(qty, false);
  Import<TDBGridEhImportAsText>("三\r\n四\r\n一");
  EXPECT_EQ(Column("Qty"), (std::vector<String>{"30", "", "10", "8", "10", "12"}));
  // And out again as the texts shown.
  EXPECT_EQ(Export<TDBGridEhExportAsText>(false), "Qty\r\n三\r\n\r\n一\r\n\r\n一\r\n");
}

TEST_F(ImpExpFixture, RejectedValuesAskYesNoOrAll) {
  Grid->SetSelectedIndex(2);   // Qty, then Price
  const String input = "x\t1\r\ny\t2\r\nz\t3\r\n";
  struct Case {
    int Button;
    size_t Boxes;
    bool Aborts;
  } cases[] = {{IDABORT /* 是 */, 3, false}, {IDIGNORE /* 全部 */, 1, false}, {IDRETRY /* 否 */, 1, true}};
  for (const Case& c : cases) {
    Data->First();
    BoxAnswerer answer([&](const String&) { return c.Button; });
    bool aborted = false;
    try {
      Import<TDBGridEhImportAsText>(input);
    } catch (const EAbort&) {
      aborted = true;
    }
    EXPECT_EQ(aborted, c.Aborts);
    ASSERT_EQ(BoxAnswerer::Texts.size(), c.Boxes) << c.Button;
    EXPECT_EQ(BoxAnswerer::Texts[0].rfind("Error during insert value:\n", 0), 0u) << BoxAnswerer::Texts[0];
    EXPECT_NE(BoxAnswerer::Texts[0].find("\n\nIgnore error?"), String::npos);
    if (Data->State() != dsBrowse) Data->Cancel();
    if (!c.Aborts) {
      EXPECT_EQ(Column("Price").at(2), "3");
    }
  }
}

TEST_F(ImpExpFixture, GridDataReaderRejectsDamage) {
  String head = Bytes({0x56, 0x43, 0x4C, 0x44, 0x42, 0x49, 0x46, 0x01});
  auto le = [](int32_t v) {
    return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int((uint32_t(v) >> 24) & 0xFF)});
  };
  String oneCol = head + le(1) + Bytes({1, 0});
  const String inputs[] = {
      "VCLDB",                                              // short header
      "XCLDBIF" + String(1, '\1') + le(0),                  // signature
      head + le(-1),                                        // negative count
      head + le(0x7FFFFFFF),                                // count the input cannot hold
      head + le(2) + Bytes({1, 0, 1}),                      // descriptor cut off
      oneCol,                                               // no cell
      oneCol + Bytes({5}) + le(-5),                         // negative length
      oneCol + Bytes({5}) + le(1 << 30) + "ab",             // length beyond the input
      oneCol + Bytes({9, 0}),                               // unknown tag
      oneCol + Bytes({4, 1, 2}),                            // short double
  };
  Grid->SetSelectedIndex(0);
  for (const String& in : inputs) {
    Data->First();
    try {
      Import<TDBGridEhImportAsVCLDBIF>(in);
      ADD_FAILURE() << "accepted " << in.size() << " bytes";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "TDBGridEhImportAsVCLDBIF.ReadPrefix: Invalid VCLDBIF format");
    }
    if (Data->State() != dsBrowse) Data->Cancel();
  }
  EXPECT_EQ(Column("ID"), (std::vector<String>{"1", "2", "3", "4", "5", "6"}));
  // Surplus cells of a record are read and dropped.
  Grid->Selection()->Columns()->SelectColumn(Col("Qty"), false);
  Import<TDBGridEhImportAsVCLDBIF>(head + le(2) + Bytes({1, 0, 1, 0, 3}) + le(70) + Bytes({3}) + le(99) +
                                   Bytes({3}) + le(71) + Bytes({2, 0}));
  EXPECT_EQ(Column("Qty"), (std::vector<String>{"70", "71", "6", "8", "10", "12"}));
  EXPECT_EQ(Column("ID"), (std::vector<String>{"1", "2", "3", "4", "5", "6"}));
}

// ---------------------------------------------------------------------------
// Clipboard

TEST_F(ImpExpFixture, CopyPutsFourFormatsAndPastePrefersGridData) {
  for (int id : {2, 4}) {
    BookmarkOf(id);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  Data->Edit();
  Data->FieldByName("Price")->Clear();   // record 4: a Null survives the trip
  Data->Post();
  CopyGridSelectionToClipboard(Grid, false);
  for (UINT f : {UINT(CF_UNICODETEXT), CF_CSV(), CF_RICH_TEXT(), CF_VCLDBIF()})
    EXPECT_TRUE(Clipboard()->HasFormat(f)) << f;
  String csv = Clipboard()->GetAsBytes(CF_CSV());
  EXPECT_EQ(csv.substr(0, 6), "\"ID\";\"");
  EXPECT_EQ(csv.back(), '\0');
  EXPECT_EQ(Clipboard()->AsText().substr(0, 3), "ID\t");

  // Into an empty grid that appends: the typed values, not the texts.
  auto other = MakeData();
  TDataSource src;
  src.SetDataSet(other.get());
  Grid->SetDataSource(&src);
  PasteClipboardIntoGrid(Grid, false);
  ASSERT_EQ(other->RecordCount(), 2);
  other->First();
  EXPECT_EQ(other->FieldByName("Name")->AsString(), "名称2");
  EXPECT_EQ(other->FieldByName("Price")->AsFloat(), 3.0);
  other->Next();
  EXPECT_EQ(other->FieldByName("ID")->AsInteger(), 4);
  EXPECT_TRUE(other->FieldByName("Price")->IsNull());

  // Plain text (with its terminating 0 on the clipboard) when there is no
  // grid data: from the current record on, here the last one.
  Clipboard()->SetAsText("9\t九\r\n");
  other->Last();
  Grid->SetSelectedIndex(0);
  PasteClipboardIntoGrid(Grid, false);
  ASSERT_EQ(other->RecordCount(), 2);
  other->Last();
  EXPECT_EQ(other->FieldByName("ID")->AsInteger(), 9);
  EXPECT_EQ(other->FieldByName("Name")->AsString(), "九");
  Grid->SetDataSource(Source.get());
}

TEST_F(ImpExpFixture, DeleteAsksOnlyWhereItShould) {
  TBookmark b2 = BookmarkOf(2), b3 = BookmarkOf(3);
  Grid->Selection()->Rect()->Select(1, b2, false);
  Grid->Selection()->Rect()->Select(2, b3, true);
  {
    BoxAnswerer answer([](const String&) { return IDCANCEL; });
    DeleteGridSelection(Grid, false);
    ASSERT_EQ(BoxAnswerer::Texts.size(), 1u);
    EXPECT_EQ(BoxAnswerer::Texts[0], "Clear selected cells?");
  }
  EXPECT_EQ(Column("Name")[1], "名称2");
  {
    BoxAnswerer answer([](const String&) { return IDOK; });
    DeleteGridSelection(Grid, false);
  }
  EXPECT_EQ(Column("Name"), (std::vector<String>{"名称1", "", "", "名称4", "名称5", "名称6"}));
  EXPECT_EQ(Column("Qty"), (std::vector<String>{"2", "", "", "8", "10", "12"}));

  Grid->Selection()->Clear();
  for (int id : {1, 5}) {
    BookmarkOf(id);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  {
    BoxAnswerer answer([](const String&) { return IDOK; });
    DeleteGridSelection(Grid, false);
    ASSERT_EQ(BoxAnswerer::Texts.size(), 1u);
    EXPECT_EQ(BoxAnswerer::Texts[0], "Delete all selected records?");
  }
  EXPECT_EQ(Column("ID"), (std::vector<String>{"2", "3", "4", "6"}));
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
  {
    BoxAnswerer answer([](const String&) { return IDCANCEL; });
    CutGridSelectionToClipboard(Grid, true);
    EXPECT_TRUE(BoxAnswerer::Texts.empty());
  }
  EXPECT_EQ(Data->RecordCount(), 0);
  EXPECT_NE(Clipboard()->AsText().find("\r\n6\t名称6\t12\t9"), String::npos);
}

}  // namespace
