// Workbooks written, read back and checked cell by cell. The files of the
// tests named "Written..." are also read by an independent reader
// (readback.py) after this executable has run.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>

#include "Workbook.h"
#include "WorkbookInternal.h"
#include "gtest.h"

bool ReplacePackagePart(const std::string& hostPath, const std::string& part, const std::string& content);

namespace {

std::string OutDir() {
  std::string dir = std::string(TOVANI_TEST_BINARY_DIR) + "/out";
  mkdir(dir.c_str(), 0755);
  return dir;
}

std::string OutFile(const std::string& name) { return OutDir() + "/" + name; }

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// A small RGB PNG of the given size, made here so the test needs no files.
std::string MakePng(int w, int h) {
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  auto chunk = [&](const std::string& type, const std::string& data) {
    std::string td = type + data;
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(td.data()), td.size());
    return be32(data.size()) + td + be32(crc);
  };
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw += '\0';
    for (int x = 0; x < w; ++x) raw += std::string{char(x * 7), char(y * 5), char(200)};
  }
  uLongf len = compressBound(raw.size());
  std::string z(len, '\0');
  compress(reinterpret_cast<Bytef*>(z.data()), &len, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  z.resize(len);
  std::string ihdr = be32(w) + be32(h) + std::string{8, 2, 0, 0, 0};
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", z) + chunk("IEND", "");
}

}  // namespace

TEST(Workbook, WrittenCellsKeepTheirKindsAndFormats) {
  auto book = TWorkbook::CreateNew();
  auto& s = book->Sheet(1);
  s.SetNumberFormat(1, 1, "@");
  s.SetText(1, 1, "00123");
  s.SetNumber(1, 2, 123.45);
  s.SetText(1, 3, "客户名称");
  s.SetDate(1, 4, 45351);          // 2024-02-29
  s.SetDate(1, 5, 45351.5);        // with a time
  s.SetBoolean(1, 6, true);
  s.SetText(2, 1, "a<b & \"c\"");
  s.SetText(2, 2, "tab\there _x0041_");
  s.SetFormula(2, 3, "=B1*2");
  std::string path = OutFile("cells.xlsx");
  book->SaveAs(path);
  EXPECT_TRUE(book->Saved);

  auto back = TWorkbook::Open(path);
  auto& b = back->Sheet(1);
  EXPECT_EQ(b.Cell(1, 1).Kind, TWorkbookCellKind::Text);
  EXPECT_EQ(b.Cell(1, 1).Text, "00123");
  EXPECT_EQ(b.NumberFormat(1, 1), "@");
  EXPECT_EQ(b.Cell(1, 2).Kind, TWorkbookCellKind::Number);
  EXPECT_DOUBLE_EQ(b.Cell(1, 2).Number, 123.45);
  EXPECT_EQ(b.Cell(1, 3).Text, "客户名称");
  EXPECT_DOUBLE_EQ(b.Cell(1, 4).Number, 45351);
  EXPECT_EQ(b.NumberFormat(1, 4), "yyyy-mm-dd");
  EXPECT_EQ(b.NumberFormat(1, 5), "yyyy-mm-dd hh:mm:ss");
  EXPECT_EQ(b.Cell(1, 6).Kind, TWorkbookCellKind::Boolean);
  EXPECT_EQ(b.Cell(2, 1).Text, "a<b & \"c\"");
  EXPECT_EQ(b.Cell(2, 2).Text, "tab\there _x0041_");
  EXPECT_EQ(b.Cell(2, 3).Kind, TWorkbookCellKind::Formula);
  EXPECT_EQ(b.Cell(2, 3).Text, "B1*2");
  EXPECT_EQ(b.Cell(9, 9).Kind, TWorkbookCellKind::Empty);
}

// A quotation-shaped sheet: header cells, a three-row line block copied
// below itself, a picture scaled at a block's corner.
TEST(Workbook, WrittenFromATemplateWithCopiedBlocksAndAPicture) {
  std::string templ = OutFile("template.xlsx");
  {
    auto t = TWorkbook::CreateNew();
    auto& s = t->Sheet(1);
    s.SetText(1, 1, "报价单");
    s.SetText(2, 1, "客户:");
    s.SetText(2, 3, "日期:");
    s.SetText(4, 1, "编号");
    s.SetText(5, 1, "名称");
    s.SetText(6, 1, "单价");
    s.SetFormula(6, 8, "F6*2");
    s.SetNumberFormat(6, 6, "0.00");
    s.AddMerge({4, 7, 6, 7});
    s.SetColumnWidth(7, 20);
    t->SaveAs(templ);
  }
  auto book = TWorkbook::CreateFromTemplate(templ);
  auto& s = book->Sheet(1);
  EXPECT_EQ(s.Cell(1, 1).Text, "报价单");
  s.SetNumberFormat(2, 2, "@");
  s.SetText(2, 2, "上海贸易公司");
  s.SetDate(2, 4, 45351);
  s.CopyRows(4, 6);
  s.Paste(8, 1);
  s.Paste(12, 1);
  for (int i = 0; i < 3; ++i) {
    int r = 4 * i + 4;
    s.SetNumberFormat(r, 2, "@");
    s.SetText(r, 2, "P00" + std::to_string(i + 1));
    s.SetNumber(r + 2, 6, 10.5 * (i + 1));
  }
  // The copied block brings its labels, formats, merges and formulas.
  EXPECT_EQ(s.Cell(9, 1).Text, "名称");
  EXPECT_EQ(s.NumberFormat(14, 6), "0.00");
  EXPECT_EQ(s.Cell(14, 8).Text, "F14*2");
  ASSERT_EQ(s.Merges().size(), 3u);
  EXPECT_EQ(s.Merges()[2].Top, 12);
  EXPECT_EQ(s.Merges()[2].Bottom, 14);

  std::string png = OutFile("landscape.png");
  WriteBytes(png, MakePng(40, 20));
  auto& pic = s.InsertPicture(png, 8, 7);
  EXPECT_EQ(pic.PixelWidth, 40);
  EXPECT_DOUBLE_EQ(pic.Left, s.ColumnLeft(7));
  EXPECT_DOUBLE_EQ(pic.Top, s.RowTop(8));
  pic.Left += 8;
  pic.Top += 8;
  pic.SetWidth(110);
  EXPECT_DOUBLE_EQ(pic.Height(), 55);
  std::string path = OutFile("quotation.xlsx");
  book->SaveAs(path);

  // The template is unchanged and the result reads back with its picture.
  EXPECT_EQ(TWorkbook::Open(templ)->Sheet(1).MaxRow(), 6);
  auto back = TWorkbook::Open(path);
  auto& b = back->Sheet(1);
  EXPECT_EQ(b.Cell(12, 2).Text, "P003");
  EXPECT_DOUBLE_EQ(b.Cell(14, 6).Number, 31.5);
  ASSERT_EQ(b.Pictures().size(), 1u);
  EXPECT_NEAR(b.Pictures()[0]->Left, s.ColumnLeft(7) + 8, 0.01);
  EXPECT_NEAR(b.Pictures()[0]->Top, s.RowTop(8) + 8, 0.01);
  EXPECT_NEAR(b.Pictures()[0]->Width(), 110, 0.01);
}

TEST(Workbook, SavingTwiceReplacesTheFile) {
  std::string path = OutFile("twice.xlsx");
  auto book = TWorkbook::CreateNew();
  book->Sheet(1).SetNumber(1, 1, 1);
  book->SaveAs(path);
  book->Sheet(1).SetNumber(1, 1, 2);
  book->SaveAs(path);
  EXPECT_DOUBLE_EQ(TWorkbook::Open(path)->Sheet(1).Cell(1, 1).Number, 2);
  EXPECT_FALSE(Exists(path + ".part"));
}

TEST(Workbook, BadFilesAndNamesGiveClearErrors) {
  auto message = [](auto&& f) {
    try {
      f();
    } catch (const EWorkbookError& e) {
      return std::string(e.Message());
    }
    return std::string("no error");
  };
  std::string text = OutFile("not-a-workbook.xlsx");
  WriteBytes(text, "just some text");
  EXPECT_NE(message([&] { TWorkbook::Open(text); }).find("不是 .xlsx 工作簿"), std::string::npos);
  EXPECT_NE(message([&] { TWorkbook::Open(OutFile("missing.xlsx")); }).find("文件不存在"), std::string::npos);

  // A package with a broken sheet part.
  std::string broken = OutFile("broken.xlsx");
  {
    auto book = TWorkbook::CreateNew();
    book->Sheet(1).SetText(1, 1, "x");
    book->SaveAs(broken);
  }
  ASSERT_TRUE(ReplacePackagePart(broken, "xl/worksheets/sheet1.xml",
                                 "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>7"));
  EXPECT_NE(message([&] { TWorkbook::Open(broken); }).find("已损坏"), std::string::npos);

  // Saving into a folder that does not exist fails and leaves nothing.
  std::string nowhere = OutDir() + "/no-such-folder/book.xlsx";
  EXPECT_NE(message([&] { TWorkbook::CreateNew()->SaveAs(nowhere); }).find("无法保存"), std::string::npos);
  EXPECT_FALSE(Exists(nowhere));

  std::string notPicture = OutFile("not-a-picture.png");
  WriteBytes(notPicture, "GIF8");
  EXPECT_NE(message([&] { TWorkbook::CreateNew()->Sheet(1).InsertPicture(notPicture, 1, 1); }).find("不是 PNG"),
            std::string::npos);
  EXPECT_NE(message([&] { TWorkbook::CreateNew()->Sheet(1).SetNumber(0, 1, 1); }).find("超出工作表范围"),
            std::string::npos);
  EXPECT_NE(message([&] { TWorksheet::ParseRange("B"); }).find("无效"), std::string::npos);
}

// Hostile packages: each is refused with a message naming the file, before
// it costs more than a few megabytes; none may crash or hang the reader.
TEST(Workbook, HostilePackagesAreRefused) {
  std::string base = OutFile("hostile-base.xlsx");
  {
    auto book = TWorkbook::CreateNew();
    book->Sheet(1).SetText(1, 1, "x");
    book->SaveAs(base);
  }
  const std::string ns = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
  auto sheetWith = [&](const std::string& rows) { return ns + "<sheetData>" + rows + "</sheetData></worksheet>"; };
  std::string nested;
  for (int i = 0; i < 40000; ++i) nested += "<r>";
  for (int i = 0; i < 40000; ++i) nested += "</r>";
  std::string bomb(4 << 20, ' ');   // 4 MiB that deflate to a few kilobytes
  auto twoSheets = [](const std::string& a, const std::string& b, const std::string& secondTarget) {
    return std::vector<std::pair<std::string, std::string>>{
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
         "<sheet name=\"" + a + "\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"" + b + "\" sheetId=\"2\" r:id=\"rIdB\"/>"
         "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
         "<Relationship Id=\"rIdB\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"" + secondTarget + "\"/>"
         "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
         "</Relationships>"},
        {"xl/worksheets/sheet2.xml", "<worksheet><sheetData/></worksheet>"}};
  };
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> parts;
    const char* message;
  } cases[] = {
      {"inline string nested 40000 deep",
       {{"xl/worksheets/sheet1.xml", sheetWith("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>" + nested + "</is></c></row>")}},
       "嵌套过深"},
      {"sheet part inflating far beyond its size", {{"xl/worksheets/sheet1.xml", sheetWith(bomb)}}, "压缩比"},
      {"shared strings inflating far beyond their size",
       {{"xl/sharedStrings.xml", "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + bomb + "</sst>"}},
       "压缩比"},
      {"two sheets on one part", twoSheets("A", "B", "worksheets/sheet1.xml"), "同一个部件"},
      {"a cell after column XFD", {{"xl/worksheets/sheet1.xml", sheetWith("<row r=\"1\"><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c></row>")}},
       "最后一列"},
      {"duplicate sheet names", twoSheets("Data", "DATA", "worksheets/sheet2.xml"), "重名"},
      {"an empty sheet name", twoSheets("A", "", "worksheets/sheet2.xml"), "为空"},
      {"a sheet name with a slash", twoSheets("A", "a/b", "worksheets/sheet2.xml"), "不允许的字符"},
      {"a sheet name of 32 characters", twoSheets("A", std::string(32, 'n'), "worksheets/sheet2.xml"), "31"},
  };
  for (auto& c : cases) {
    std::string path = OutFile("hostile.xlsx");
    std::ifstream in(base, std::ios::binary);
    WriteBytes(path, std::string(std::istreambuf_iterator<char>(in), {}));
    for (auto& [part, content] : c.parts) ASSERT_TRUE(ReplacePackagePart(path, part, content)) << c.what;
    try {
      TWorkbook::Open(path);
      ADD_FAILURE() << c.what << ": read without error";
    } catch (const EWorkbookError& e) {
      std::string m = e.Message();
      EXPECT_NE(m.find("已损坏"), std::string::npos) << c.what << ": " << m;
      EXPECT_NE(m.find(c.message), std::string::npos) << c.what << ": " << m;
      EXPECT_NE(m.find(path), std::string::npos) << c.what << ": " << m;
    }
  }
}

// What the reader accepts, the writer writes so that it reads back the same:
// escapes of characters XML cannot hold, a deeply (but acceptably) nested
// inline string, sheet names.
TEST(Workbook, AcceptedContentRoundTrips) {
  std::string path = OutFile("roundtrip.xlsx");
  const std::string formula = "\"a\x01b\"&\"_x0041_\"";
  {
    auto book = TWorkbook::CreateNew();
    book->Sheet(1).SetFormula(1, 1, formula);
    book->Sheet(1).SetText(1, 2, "c\x02d _x005F_");
    book->AddSheet("价格 (2)");
    book->SaveAs(path);
  }
  for (int round = 0; round < 2; ++round) {
    auto book = TWorkbook::Open(path);
    EXPECT_EQ(book->Sheet(1).Cell(1, 1).Text, formula) << "round " << round;
    EXPECT_EQ(book->Sheet(1).Cell(1, 2).Text, "c\x02d _x005F_") << "round " << round;
    EXPECT_EQ(book->Sheet(2).Name(), "价格 (2)");
    book->SaveAs(path);
  }

  std::string deep;
  for (int i = 0; i < 50; ++i) deep += "<r>";
  for (int i = 0; i < 50; ++i) deep += "</r>";
  ASSERT_TRUE(ReplacePackagePart(path, "xl/worksheets/sheet2.xml",
                                 "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>v</t>" + deep +
                                     "</is></c></row></sheetData></worksheet>"));
  auto book = TWorkbook::Open(path);
  EXPECT_EQ(book->Sheet(2).Cell(1, 1).Text, "v");
  book->SaveAs(path);
  EXPECT_EQ(TWorkbook::Open(path)->Sheet(2).Cell(1, 1).Text, "v");

  // The same rules hold for sheets the program adds.
  for (const char* bad : {"", "Sheet1", "SHEET1", "a*b", "'q'"})
    EXPECT_THROW(book->AddSheet(bad), EWorkbookError) << bad;
}

TEST(Workbook, RangesAndFormulaRows) {
  struct { const char* address; int top, left, bottom, right; } ranges[] = {
      {"B2", 2, 2, 2, 2}, {"4:6", 4, 1, 6, 16384}, {"A8", 8, 1, 8, 1}, {"C3:A1", 1, 1, 3, 3}, {"$AA$10", 10, 27, 10, 27},
  };
  for (auto& r : ranges) {
    auto got = TWorksheet::ParseRange(r.address);
    EXPECT_EQ(got.Top, r.top) << r.address;
    EXPECT_EQ(got.Left, r.left) << r.address;
    EXPECT_EQ(got.Bottom, r.bottom) << r.address;
    EXPECT_EQ(got.Right, r.right) << r.address;
  }
  struct { const char* formula; int delta; const char* shifted; } formulas[] = {
      {"F6*2", 4, "F10*2"},
      {"SUM(B4:B6)+$C$1+C$2+$D3", 4, "SUM(B8:B10)+$C$1+C$2+$D7"},
      {"\"A1\"&A1", 1, "\"A1\"&A2"},
      {"LOG10(A1)", 1, "LOG10(A2)"},
      {"'Sheet 1'!A1", 2, "'Sheet 1'!A3"},
      {"A1", -1, "#REF!"},
  };
  for (auto& f : formulas) EXPECT_EQ(WorkbookShiftFormulaRows(f.formula, f.delta), f.shifted) << f.formula;
}
