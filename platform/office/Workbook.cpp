// The workbook model: cells, formats, row blocks and pictures. Reading and
// writing the package is in WorkbookPackage_linux.cpp, file names and the
// desktop opener in WorkbookFiles.cpp.
#include "Workbook.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstring>

#include "WorkbookInternal.h"

TOVANI_IMPLEMENT_CLASS(EWorkbookError, Exception)

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

void CheckCell(int row, int col) {
  if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns)
    throw EWorkbookError("单元格 (" + std::to_string(row) + ", " + std::to_string(col) + ") 超出工作表范围");
}

const TWorkbookCell kEmptyCell;

// Built-in number formats every spreadsheet program knows by id.
const std::pair<int, const char*> kBuiltinFormats[] = {
    {0, "General"},     {1, "0"},          {2, "0.00"},         {3, "#,##0"},
    {4, "#,##0.00"},    {9, "0%"},         {10, "0.00%"},       {11, "0.00E+00"},
    {12, "# ?/?"},      {13, "# ??/??"},   {14, "mm-dd-yy"},    {15, "d-mmm-yy"},
    {16, "d-mmm"},      {17, "mmm-yy"},    {18, "h:mm AM/PM"},  {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},       {21, "h:mm:ss"},   {22, "m/d/yy h:mm"}, {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},           {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},      {45, "mm:ss"},       {46, "[h]:mm:ss"},
    {47, "mmss.0"},     {48, "##0.0E+0"},  {49, "@"},
};

// Reads the pixel size of a PNG, JPEG or GIF file from its header.
bool SniffPicture(const std::vector<uint8_t>& d, String& ext, int& w, int& h) {
  auto be16 = [&](size_t i) { return (d[i] << 8) | d[i + 1]; };
  auto be32 = [&](size_t i) { return (uint32_t(d[i]) << 24) | (d[i + 1] << 16) | (d[i + 2] << 8) | d[i + 3]; };
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  if (d.size() >= 24 && std::memcmp(d.data(), png, 8) == 0 && std::memcmp(&d[12], "IHDR", 4) == 0) {
    ext = "png";
    w = static_cast<int>(std::min<uint32_t>(be32(16), 1u << 30));
    h = static_cast<int>(std::min<uint32_t>(be32(20), 1u << 30));
    return w > 0 && h > 0;
  }
  if (d.size() >= 10 && (std::memcmp(d.data(), "GIF87a", 6) == 0 || std::memcmp(d.data(), "GIF89a", 6) == 0)) {
    ext = "gif";
    w = d[6] | (d[7] << 8);
    h = d[8] | (d[9] << 8);
    return w > 0 && h > 0;
  }
  if (d.size() >= 4 && d[0] == 0xFF && d[1] == 0xD8) {
    // Walk the JPEG segments to the first start-of-frame.
    size_t i = 2;
    while (i + 4 <= d.size()) {
      if (d[i] != 0xFF) return false;
      uint8_t marker = d[i + 1];
      if (marker == 0xFF) { ++i; continue; }
      if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) { i += 2; continue; }
      size_t len = be16(i + 2);
      if (len < 2) return false;
      bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
      if (sof) {
        if (i + 9 > d.size()) return false;
        ext = "jpeg";
        h = be16(i + 5);
        w = be16(i + 7);
        return w > 0 && h > 0;
      }
      i += 2 + len;
    }
  }
  return false;
}

// Moves the relative A1 references of a formula by a number of rows;
// absolute rows ($4) and texts in quotes stay as they are.
String ShiftFormulaRows(const String& f, int delta) {
  String out;
  size_t i = 0, n = f.size();
  while (i < n) {
    char c = f[i];
    if (c == '"') {  // a text constant, "" inside it
      size_t j = i + 1;
      while (j < n && !(f[j] == '"' && (j + 1 >= n || f[j + 1] != '"'))) j += (f[j] == '"') ? 2 : 1;
      j = std::min(n, j + 1);
      out.append(f, i, j - i);
      i = j;
      continue;
    }
    if (c == '\'') {  // a quoted sheet name
      size_t j = f.find('\'', i + 1);
      j = (j == String::npos) ? n : j + 1;
      out.append(f, i, j - i);
      i = j;
      continue;
    }
    bool prevIdent = i > 0 && (std::isalnum(static_cast<unsigned char>(f[i - 1])) || f[i - 1] == '_' || f[i - 1] == '.');
    size_t j = i;
    if (!prevIdent) {
      if (j < n && f[j] == '$') ++j;
      size_t letters = j;
      while (j < n && std::isalpha(static_cast<unsigned char>(f[j]))) ++j;
      if (j > letters && j - letters <= 3) {
        bool absRow = j < n && f[j] == '$';
        size_t digits = absRow ? j + 1 : j;
        size_t k = digits;
        while (k < n && std::isdigit(static_cast<unsigned char>(f[k]))) ++k;
        bool endsIdent = k < n && (std::isalnum(static_cast<unsigned char>(f[k])) || f[k] == '_' || f[k] == '(');
        if (k > digits && !endsIdent) {
          long row = std::strtol(f.substr(digits, k - digits).c_str(), nullptr, 10);
          if (!absRow) row += delta;
          if (row >= 1 && row <= kMaxRows) {
            out.append(f, i, digits - i);
            out += std::to_string(row);
          } else {
            out += "#REF!";  // moved off the sheet
          }
          i = k;
          continue;
        }
      }
      j = i;
    }
    // Copy a whole name or number at once, so "LOG10" or "A1B2" never
    // look like references from their middle.
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
      while (j < n && (std::isalnum(static_cast<unsigned char>(f[j])) || f[j] == '_' || f[j] == '.')) ++j;
      out.append(f, i, j - i);
      i = j;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace

String WorkbookColumnName(int col) {
  String s;
  while (col > 0) {
    int r = (col - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + r));
    col = (col - 1) / 26;
  }
  return s;
}

bool WorkbookParseCellRef(const String& ref, int& row, int& col) {
  size_t i = 0, n = ref.size();
  if (i < n && ref[i] == '$') ++i;
  col = 0;
  size_t start = i;
  while (i < n && std::isalpha(static_cast<unsigned char>(ref[i])) && i - start < 3)
    col = col * 26 + (std::toupper(static_cast<unsigned char>(ref[i++])) - 'A' + 1);
  if (i == start) return false;
  if (i < n && ref[i] == '$') ++i;
  row = 0;
  size_t digits = i;
  while (i < n && std::isdigit(static_cast<unsigned char>(ref[i])) && i - digits < 8) row = row * 10 + (ref[i++] - '0');
  return i == n && i > digits && row >= 1 && row <= kMaxRows && col >= 1 && col <= kMaxColumns;
}

int WorkbookBuiltinFormatId(const String& format) {
  for (auto& [id, text] : kBuiltinFormats)
    if (format == text) return id;
  return -1;
}

String WorkbookBuiltinFormat(int id) {
  for (auto& [fid, text] : kBuiltinFormats)
    if (fid == id) return text;
  return "General";
}

bool WorkbookSniffPicture(const std::vector<uint8_t>& data, String& ext, int& w, int& h) {
  return SniffPicture(data, ext, w, h);
}

String WorkbookShiftFormulaRows(const String& formula, int delta) { return ShiftFormulaRows(formula, delta); }

String WorkbookSheetNameProblem(const TWorkbook& book, const String& name) {
  if (name.empty()) return "为空";
  size_t units = 0;  // UTF-16 code units, as the limit counts them
  for (unsigned char c : name) {
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    if (c < 0x20 || std::strchr(":\\/?*[]", c)) return "含有不允许的字符";
  }
  if (units > 31) return "超过 31 个字符";
  if (name.front() == '\'' || name.back() == '\'') return "不能以单引号开头或结尾";
  // Names differing only in the case of Latin letters are the same name.
  auto fold = [](String s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (auto& sheet : book.FSheets)
    if (fold(sheet->Name()) == fold(name)) return "与另一个工作表重名";
  return {};
}

// ---------------------------------------------------------------- pictures

void TWorkbookPicture::SetWidth(double w) {
  if (!(w > 0) || !std::isfinite(w)) throw EWorkbookError("图片宽度无效");
  if (LockAspectRatio && FWidth > 0) FHeight = FHeight * w / FWidth;
  FWidth = w;
}

void TWorkbookPicture::SetHeight(double h) {
  if (!(h > 0) || !std::isfinite(h)) throw EWorkbookError("图片高度无效");
  if (LockAspectRatio && FHeight > 0) FWidth = FWidth * h / FHeight;
  FHeight = h;
}

// ---------------------------------------------------------------- sheets

TWorksheet::TWorksheet(TWorkbook& book, String name) : FBook(book), FName(std::move(name)) {}

const TWorkbookCell& TWorksheet::Cell(int row, int col) const {
  auto r = FRows.find(row);
  if (r == FRows.end()) return kEmptyCell;
  auto c = r->second.find(col);
  return c == r->second.end() ? kEmptyCell : c->second;
}

TWorkbookCell& TWorksheet::Touch(int row, int col) {
  CheckCell(row, col);
  auto& rowCells = FRows[row];
  auto it = rowCells.find(col);
  if (it != rowCells.end()) return it->second;
  TWorkbookCell cell;
  // A new cell takes its row's format, as a spreadsheet program does.
  auto rf = FRowFormats.find(row);
  if (rf != FRowFormats.end() && rf->second.Style >= 0) cell.Style = rf->second.Style;
  return rowCells.emplace(col, cell).first->second;
}

String TWorksheet::NumberFormat(int row, int col) const { return FBook.StyleNumberFormat(Cell(row, col).Style); }

int TWorksheet::MaxRow() const { return FRows.empty() ? 0 : FRows.rbegin()->first; }

int TWorksheet::MaxColumn() const {
  int m = 0;
  for (auto& [r, cells] : FRows)
    if (!cells.empty()) m = std::max(m, cells.rbegin()->first);
  return m;
}

void TWorksheet::SetNumber(int row, int col, double v) {
  if (!std::isfinite(v)) throw EWorkbookError("单元格不能保存无穷大或未定义的数");
  auto& c = Touch(row, col);
  c.Kind = TWorkbookCellKind::Number;
  c.Number = v;
  c.Text.clear();
}

void TWorksheet::SetText(int row, int col, const String& v) {
  auto& c = Touch(row, col);
  if (v.size() > 32767) throw EWorkbookError("一个单元格最多保存 32767 个字符");
  c.Kind = v.empty() ? TWorkbookCellKind::Empty : TWorkbookCellKind::Text;
  c.Text = v;
  c.Number = 0;
}

void TWorksheet::SetBoolean(int row, int col, bool v) {
  auto& c = Touch(row, col);
  c.Kind = TWorkbookCellKind::Boolean;
  c.Number = v ? 1 : 0;
  c.Text.clear();
}

void TWorksheet::SetDate(int row, int col, double v) {
  SetNumber(row, col, v);
  String fmt = FBook.StyleNumberFormat(Cell(row, col).Style);
  // Keep a date format the template gave the cell; otherwise show the
  // program's date format, with the time when there is one.
  bool hasDateFormat = fmt.find('y') != String::npos || fmt.find('d') != String::npos;
  if (!hasDateFormat)
    SetNumberFormat(row, col, std::floor(v) == v ? "yyyy-mm-dd" : "yyyy-mm-dd hh:mm:ss");
}

void TWorksheet::SetFormula(int row, int col, const String& formula) {
  auto& c = Touch(row, col);
  c.Kind = TWorkbookCellKind::Formula;
  c.Text = (!formula.empty() && formula[0] == '=') ? formula.substr(1) : formula;
}

void TWorksheet::ClearCell(int row, int col) {
  auto r = FRows.find(row);
  if (r == FRows.end()) return;
  auto c = r->second.find(col);
  if (c == r->second.end()) return;
  c->second.Kind = TWorkbookCellKind::Empty;
  c->second.Text.clear();
  c->second.Number = 0;
}

void TWorksheet::SetNumberFormat(int row, int col, const String& format) {
  auto& c = Touch(row, col);
  c.Style = FBook.StyleWithNumberFormat(c.Style, format);
}

TWorksheet::TRange TWorksheet::ParseRange(const String& address) {
  auto bad = [&]() { return EWorkbookError("区域 \"" + address + "\" 无效"); };
  size_t colon = address.find(':');
  String a = address.substr(0, colon), b = colon == String::npos ? a : address.substr(colon + 1);
  auto isRows = [](const String& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)) || ch == '$'; });
  };
  if (colon != String::npos && isRows(a) && isRows(b)) {
    auto num = [&](String s) {
      s.erase(std::remove(s.begin(), s.end(), '$'), s.end());
      if (s.empty() || s.size() > 8) throw bad();
      long v = std::strtol(s.c_str(), nullptr, 10);
      if (v < 1 || v > kMaxRows) throw bad();
      return static_cast<int>(v);
    };
    int t = num(a), bt = num(b);
    return {std::min(t, bt), 1, std::max(t, bt), kMaxColumns};
  }
  int r1, c1, r2, c2;
  if (!WorkbookParseCellRef(a, r1, c1) || !WorkbookParseCellRef(b, r2, c2)) throw bad();
  return {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
}

void TWorksheet::CopyRows(int first, int last) {
  if (first < 1 || last < first || last > kMaxRows) throw EWorkbookError("要复制的行无效");
  auto& buf = FBook.FCopied;
  buf = {};
  buf.Rows = last - first + 1;
  for (auto it = FRows.lower_bound(first); it != FRows.end() && it->first <= last; ++it)
    buf.Cells[it->first - first] = it->second;
  for (auto it = FRowFormats.lower_bound(first); it != FRowFormats.end() && it->first <= last; ++it)
    buf.RowFormats[it->first - first] = it->second;
  for (auto& m : FMerges)
    if (m.Top >= first && m.Bottom <= last) buf.Merges.push_back({m.Top - first, m.Left, m.Bottom - first, m.Right});
  // Formulas keep their offsets from the block's first row.
  for (auto& [r, cells] : buf.Cells)
    for (auto& [c, cell] : cells)
      if (cell.Kind == TWorkbookCellKind::Formula) cell.Text = ShiftFormulaRows(cell.Text, -(first - 1));
}

void TWorksheet::Paste(int row, int col) {
  auto& buf = FBook.FCopied;
  if (buf.Rows == 0) throw EWorkbookError("尚未复制任何内容");
  if (col != 1) throw EWorkbookError("整行只能粘贴到 A 列");
  CheckCell(row + buf.Rows - 1, 1);
  int last = row + buf.Rows - 1;
  // The block replaces what was there, cells and merged areas alike.
  for (int r = row; r <= last; ++r) {
    FRows.erase(r);
    FRowFormats.erase(r);
  }
  FMerges.erase(std::remove_if(FMerges.begin(), FMerges.end(),
                               [&](const TWorkbookMerge& m) { return m.Bottom >= row && m.Top <= last; }),
                FMerges.end());
  for (auto& [r, cells] : buf.Cells) {
    auto& target = FRows[row + r];
    target = cells;
    for (auto& [c, cell] : target)
      if (cell.Kind == TWorkbookCellKind::Formula) cell.Text = ShiftFormulaRows(cell.Text, row - 1);
  }
  for (auto& [r, f] : buf.RowFormats) FRowFormats[row + r] = f;
  for (auto& m : buf.Merges) FMerges.push_back({m.Top + row, m.Left, m.Bottom + row, m.Right});
}

TWorkbookPicture& TWorksheet::InsertPicture(const String& fileName, int row, int col) {
  CheckCell(row, col);
  auto pic = std::make_unique<TWorkbookPicture>();
  pic->Data = WorkbookReadFile(fileName);
  if (!SniffPicture(pic->Data, pic->Extension, pic->PixelWidth, pic->PixelHeight))
    throw EWorkbookError("\"" + fileName + "\" 不是 PNG、JPEG 或 GIF 图片");
  pic->Left = ColumnLeft(col);
  pic->Top = RowTop(row);
  pic->FWidth = pic->PixelWidth * 0.75;   // 96 pixels an inch, 72 points an inch
  pic->FHeight = pic->PixelHeight * 0.75;
  pic->Name = "Picture " + std::to_string(FPictures.size() + 1);
  FPictures.push_back(std::move(pic));
  return *FPictures.back();
}

double TWorksheet::ColumnWidthPoints(int col) const {
  auto it = FColumnWidths.find(col);
  double chars = it == FColumnWidths.end() ? FDefaultColumnWidth : it->second;
  // The width in characters of the default font's digit (7 pixels wide),
  // with its 5 pixels of padding, as spreadsheet programs convert it.
  double px = std::trunc(((256.0 * chars + std::trunc(128.0 / 7)) / 256.0) * 7);
  return px * 0.75;
}

double TWorksheet::RowHeightPoints(int row) const {
  auto it = FRowFormats.find(row);
  if (it != FRowFormats.end() && it->second.Hidden) return 0;
  return (it != FRowFormats.end() && it->second.Height >= 0) ? it->second.Height : FDefaultRowHeight;
}

double TWorksheet::ColumnLeft(int col) const {
  double x = 0;
  for (int c = 1; c < col; ++c) x += ColumnWidthPoints(c);
  return x;
}

double TWorksheet::RowTop(int row) const {
  // Rows at the default height are counted in one step; only rows with a
  // format of their own are visited.
  double y = (row - 1) * FDefaultRowHeight;
  for (auto it = FRowFormats.begin(); it != FRowFormats.end() && it->first < row; ++it)
    y += RowHeightPoints(it->first) - FDefaultRowHeight;
  return y;
}

void TWorksheet::SetColumnWidth(int col, double chars) {
  CheckCell(1, col);
  if (!(chars >= 0 && chars <= 255)) throw EWorkbookError("列宽无效");
  FColumnWidths[col] = chars;
}

const TWorkbookRowFormat* TWorksheet::RowFormat(int row) const {
  auto it = FRowFormats.find(row);
  return it == FRowFormats.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- workbook

TWorkbook::TWorkbook() { FStyles.push_back(TStyle{}); }
TWorkbook::~TWorkbook() = default;

std::unique_ptr<TWorkbook> TWorkbook::CreateNew() {
  auto book = std::make_unique<TWorkbook>();
  book->AddSheet("Sheet1");
  return book;
}

std::unique_ptr<TWorkbook> TWorkbook::CreateFromTemplate(const String& fileName) {
  auto book = std::make_unique<TWorkbook>();
  WorkbookReadPackage(*book, fileName);
  return book;
}

std::unique_ptr<TWorkbook> TWorkbook::Open(const String& fileName) { return CreateFromTemplate(fileName); }

TWorksheet& TWorkbook::Sheet(int index) {
  if (index < 1 || index > SheetCount()) throw EWorkbookError("工作簿中没有第 " + std::to_string(index) + " 个工作表");
  return *FSheets[index - 1];
}

TWorksheet& TWorkbook::AddSheet(const String& name) {
  String why = WorkbookSheetNameProblem(*this, name);
  if (!why.empty()) throw EWorkbookError("工作表名称 \"" + name + "\" " + why);
  FSheets.push_back(std::make_unique<TWorksheet>(*this, name));
  return *FSheets.back();
}

void TWorkbook::SaveAs(const String& fileName) {
  WorkbookWritePackage(*this, fileName);
  Saved = true;
}

String TWorkbook::StyleNumberFormat(int style) const {
  if (style < 0 || style >= StyleCount()) return "General";
  int id = FStyles[style].NumFmtId;
  auto it = FNumFmts.find(id);
  return it != FNumFmts.end() ? it->second : WorkbookBuiltinFormat(id);
}

int TWorkbook::StyleWithNumberFormat(int style, const String& format) {
  if (style < 0 || style >= StyleCount()) style = 0;
  int id = WorkbookBuiltinFormatId(format);
  if (id < 0) {
    for (auto& [fid, text] : FNumFmts)
      if (text == format) id = fid;
    if (id < 0) {
      id = FNumFmts.empty() ? 164 : std::max(164, FNumFmts.rbegin()->first + 1);
      FNumFmts[id] = format;
    }
  }
  if (FStyles[style].NumFmtId == id) return style;
  // Reuse a format made earlier from the same base.
  for (int i = 0; i < StyleCount(); ++i)
    if (FStyles[i].NumFmtId == id && FStyles[i].Xml == FStyles[style].Xml && i != style) return i;
  TStyle s = FStyles[style];
  s.NumFmtId = id;
  FStyles.push_back(s);
  return StyleCount() - 1;
}
