// Reading and writing the .xlsx package: a zip archive (libzip) of XML parts
// (pugixml). Compiled as Linux code: it includes no Windows header and works
// on host file names.
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>
#include <list>
#include <set>
#include <sstream>

#include "WorkbookInternal.h"

namespace {

// Limits on what is inflated. The program's workbooks (price lists,
// order exports, their templates) are a few megabytes; a sheet of this size
// already holds hundreds of thousands of cells. A hostile archive must not
// make us inflate and hold gigabytes: a part beyond the limit, all parts
// together beyond the budget, or a large part that inflates far beyond what
// XML compresses to, is refused before it is inflated.
constexpr zip_uint64_t kMaxPartSize = 64u << 20;
constexpr zip_uint64_t kMaxPackageSize = 128u << 20;
constexpr zip_uint64_t kMaxRatio = 200;
constexpr zip_uint64_t kRatioFreeSize = 1u << 20;
// Elements nest a dozen levels deep in the parts we read; anything deeper
// is damage or an attack on code that walks the tree.
constexpr int kMaxXmlDepth = 64;
constexpr double kEmuPerPoint = 12700;

const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* kPkgRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";

class TZipReader {
 public:
  TZipReader(const String& path, const String& shown) : FShown(shown) {
    int err = 0;
    FZip = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!FZip) {
      if (err == ZIP_ER_NOENT || err == ZIP_ER_OPEN)
        throw EWorkbookError("无法打开工作簿 \"" + shown + "\": 文件不存在或无法读取");
      throw EWorkbookError("\"" + shown + "\" 不是 .xlsx 工作簿");
    }
  }
  ~TZipReader() { zip_discard(FZip); }

  bool Has(const String& name) { return zip_name_locate(FZip, name.c_str(), 0) >= 0; }

  std::vector<uint8_t> ReadBytes(const String& name) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(FZip, name.c_str(), 0, &st) != 0) Damaged("缺少部件 " + name);
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartSize || st.size > kMaxPackageSize - FInflated)
      Damaged("部件 " + name + " 太大");
    if (st.size > kRatioFreeSize && (!(st.valid & ZIP_STAT_COMP_SIZE) || st.size / kMaxRatio > st.comp_size))
      Damaged("部件 " + name + " 的压缩比不合理");
    zip_file_t* f = zip_fopen(FZip, name.c_str(), 0);
    if (!f) Damaged("无法读取部件 " + name);
    std::vector<uint8_t> data(st.size);
    zip_int64_t got = st.size ? zip_fread(f, data.data(), st.size) : 0;
    zip_fclose(f);
    if (got < 0 || static_cast<zip_uint64_t>(got) != st.size) Damaged("无法读取部件 " + name);
    FInflated += st.size;
    return data;
  }

  void ReadXml(const String& name, pugi::xml_document& doc) {
    auto data = ReadBytes(name);
    auto res = doc.load_buffer(data.data(), data.size());
    if (!res) Damaged("部件 " + name + " 不是格式正确的 XML");
    // Walked without recursion: nothing later meets a tree deeper than this.
    int depth = 0;
    for (pugi::xml_node n = doc.first_child(); n;) {
      if (n.first_child()) {
        n = n.first_child();
        if (++depth > kMaxXmlDepth) Damaged("部件 " + name + " 的元素嵌套过深");
        continue;
      }
      while (n && !n.next_sibling()) {
        n = n.parent();
        --depth;
      }
      if (n) n = n.next_sibling();
    }
  }

  [[noreturn]] void Damaged(const String& why) {
    throw EWorkbookError("工作簿 \"" + FShown + "\" 已损坏: " + why);
  }

 private:
  zip_t* FZip = nullptr;
  String FShown;
  zip_uint64_t FInflated = 0;  // bytes of all parts read so far
};

// Resolves a relationship target against the folder of the part it came from.
String ResolveTarget(const String& base, const String& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  String dir = base.substr(0, base.rfind('/') + 1);
  String path = dir + target;
  // Collapse "folder/../".
  std::vector<String> parts;
  std::stringstream ss(path);
  String seg;
  while (std::getline(ss, seg, '/')) {
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!seg.empty() && seg != ".") {
      parts.push_back(seg);
    }
  }
  String out;
  for (auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

String RelsPathOf(const String& part) {
  size_t slash = part.rfind('/');
  return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

std::map<String, std::pair<String, String>> ReadRels(TZipReader& zip, const String& part) {
  std::map<String, std::pair<String, String>> rels;  // id → (type, resolved target)
  String path = RelsPathOf(part);
  if (!zip.Has(path)) return rels;
  pugi::xml_document doc;
  zip.ReadXml(path, doc);
  for (auto r : doc.child("Relationships").children("Relationship")) {
    String mode = r.attribute("TargetMode").as_string();
    String target = r.attribute("Target").as_string();
    rels[r.attribute("Id").as_string()] = {r.attribute("Type").as_string(),
                                           mode == "External" ? target : ResolveTarget(part, target)};
  }
  return rels;
}

String NodeXml(const pugi::xml_node& n) {
  std::ostringstream os;
  n.print(os, "", pugi::format_raw);
  return os.str();
}

String TypeSuffix(const String& type) { return type.substr(type.rfind('/') + 1); }

bool IsHexEscape(const String& s, size_t i) {
  if (i + 7 > s.size() || s[i] != '_' || s[i + 1] != 'x' || s[i + 6] != '_') return false;
  for (size_t k = i + 2; k < i + 6; ++k)
    if (!std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
  return true;
}

// Texts carry characters XML cannot hold as "_xHHHH_" (UTF-16 code units;
// a character beyond them as two). The writer escapes a literal "_x" of such
// a form as "_x005F_", so every escape is read back as the character it names.
String DecodeEscapes(const String& s) {
  if (s.find("_x") == String::npos) return s;
  auto put = [](String& o, unsigned v) {
    if (v < 0x80) {
      o += static_cast<char>(v);
    } else if (v < 0x800) {
      o += static_cast<char>(0xC0 | (v >> 6));
      o += static_cast<char>(0x80 | (v & 0x3F));
    } else if (v < 0x10000) {
      o += static_cast<char>(0xE0 | (v >> 12));
      o += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
      o += static_cast<char>(0x80 | (v & 0x3F));
    } else {
      o += static_cast<char>(0xF0 | (v >> 18));
      o += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
      o += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
      o += static_cast<char>(0x80 | (v & 0x3F));
    }
  };
  auto unit = [&](size_t i) { return static_cast<unsigned>(std::strtoul(s.substr(i + 2, 4).c_str(), nullptr, 16)); };
  String o;
  for (size_t i = 0; i < s.size();) {
    if (!IsHexEscape(s, i)) {
      o += s[i++];
      continue;
    }
    unsigned v = unit(i);
    i += 7;
    if (v >= 0xD800 && v < 0xDC00 && IsHexEscape(s, i) && unit(i) >= 0xDC00 && unit(i) < 0xE000) {
      v = 0x10000 + ((v - 0xD800) << 10) + (unit(i) - 0xDC00);
      i += 7;
    } else if (v >= 0xD800 && v < 0xE000) {
      v = 0xFFFD;  // half a pair
    }
    put(o, v);
  }
  return o;
}

// Text of a shared string item or inline string: its t element or its runs.
String ItemText(const pugi::xml_node& si) {
  if (auto t = si.child("t")) return DecodeEscapes(t.text().as_string());
  String s;
  for (auto r : si.children("r")) s += r.child("t").text().as_string();
  return DecodeEscapes(s);
}

bool ParseRef(const String& ref, int& row, int& col) { return WorkbookParseCellRef(ref, row, col); }

void ReadStyles(TZipReader& zip, TWorkbook& book, std::map<int, String>& numFmts, String& stylesXml,
                std::vector<std::pair<int, String>>& styles, const String& part) {
  pugi::xml_document doc;
  zip.ReadXml(part, doc);
  auto sheet = doc.child("styleSheet");
  for (auto nf : sheet.child("numFmts").children("numFmt"))
    numFmts[nf.attribute("numFmtId").as_int()] = nf.attribute("formatCode").as_string();
  for (auto xf : sheet.child("cellXfs").children("xf"))
    styles.push_back({xf.attribute("numFmtId").as_int(), NodeXml(xf)});
  stylesXml = NodeXml(doc);
  (void)book;
}

struct TReadContext {
  std::vector<String> SharedStrings;
};

void ReadDrawing(TZipReader& zip, TWorksheet& sheet, const String& drawingPart) {
  pugi::xml_document doc;
  zip.ReadXml(drawingPart, doc);
  auto rels = ReadRels(zip, drawingPart);
  auto root = doc.first_child();
  for (auto anchor : root.children()) {
    String kind = anchor.name();
    size_t colon = kind.find(':');
    String local = colon == String::npos ? kind : kind.substr(colon + 1);
    if (local != "oneCellAnchor" && local != "twoCellAnchor" && local != "absoluteAnchor") continue;
    pugi::xml_node pic, from, ext, pos, to;
    for (auto c : anchor.children()) {
      String n = c.name();
      String l = n.substr(n.find(':') + 1);
      if (l == "pic") pic = c;
      if (l == "from") from = c;
      if (l == "to") to = c;
      if (l == "ext") ext = c;
      if (l == "pos") pos = c;
    }
    if (!pic) continue;  // shapes and charts are not kept
    String embed;
    for (auto n : pic.select_nodes(".//*[local-name()='blip']"))
      embed = n.node().attribute("r:embed").as_string();
    auto rel = rels.find(embed);
    if (rel == rels.end() || !zip.Has(rel->second.second)) continue;
    auto p = std::make_unique<TWorkbookPicture>();
    p->Data = zip.ReadBytes(rel->second.second);
    if (!WorkbookSniffPicture(p->Data, p->Extension, p->PixelWidth, p->PixelHeight)) continue;
    auto child = [](pugi::xml_node n, const char* name) {
      for (auto c : n.children()) {
        String cn = c.name();
        if (cn.substr(cn.find(':') + 1) == name) return c;
      }
      return pugi::xml_node();
    };
    auto cellPoint = [&](pugi::xml_node m, double& x, double& y) {
      int col = child(m, "col").text().as_int() + 1, row = child(m, "row").text().as_int() + 1;
      col = std::clamp(col, 1, 16384);
      row = std::clamp(row, 1, 1048576);
      x = sheet.ColumnLeft(col) + child(m, "colOff").text().as_llong() / kEmuPerPoint;
      y = sheet.RowTop(row) + child(m, "rowOff").text().as_llong() / kEmuPerPoint;
    };
    double x = 0, y = 0, w = 0, h = 0;
    if (from) cellPoint(from, x, y);
    if (pos) {
      x = pos.attribute("x").as_llong() / kEmuPerPoint;
      y = pos.attribute("y").as_llong() / kEmuPerPoint;
    }
    if (ext) {
      w = ext.attribute("cx").as_llong() / kEmuPerPoint;
      h = ext.attribute("cy").as_llong() / kEmuPerPoint;
    } else if (to) {
      double x2, y2;
      cellPoint(to, x2, y2);
      w = x2 - x;
      h = y2 - y;
    }
    if (!(w > 0 && h > 0)) continue;
    p->Left = x;
    p->Top = y;
    p->LockAspectRatio = false;
    p->SetWidth(w);
    p->SetHeight(h);
    p->LockAspectRatio = true;
    p->Name = "Picture " + std::to_string(sheet.Pictures().size() + 1);
    sheet.Pictures().push_back(std::move(p));
  }
}

}  // namespace

void TWorkbookPackage::Read(TWorkbook& book, const String& hostPath, const String& shown) {
  TZipReader zip(hostPath, shown);
  if (!zip.Has("xl/workbook.xml") && !zip.Has("[Content_Types].xml"))
    throw EWorkbookError("\"" + shown + "\" 不是 .xlsx 工作簿");
  // The main part is named by the package relationships.
  String mainPart = "xl/workbook.xml";
  for (auto& [id, rel] : ReadRels(zip, "/"))
    if (TypeSuffix(rel.first) == "officeDocument") mainPart = rel.second;
  if (!zip.Has(mainPart)) zip.Damaged("缺少工作簿部件");
  auto wbRels = ReadRels(zip, mainPart);

  TReadContext ctx;
  for (auto& [id, rel] : wbRels) {
    String type = TypeSuffix(rel.first);
    if (type == "sharedStrings" && zip.Has(rel.second)) {
      pugi::xml_document doc;
      zip.ReadXml(rel.second, doc);
      for (auto si : doc.child("sst").children("si")) ctx.SharedStrings.push_back(ItemText(si));
    } else if (type == "styles" && zip.Has(rel.second)) {
      std::vector<std::pair<int, String>> styles;
      ReadStyles(zip, book, book.FNumFmts, book.FStylesXml, styles, rel.second);
      book.FStyles.clear();
      for (auto& [fmt, xml] : styles) book.FStyles.push_back({fmt, xml});
      if (book.FStyles.empty()) book.FStyles.push_back({});
    } else if (type == "theme" && zip.Has(rel.second)) {
      auto bytes = zip.ReadBytes(rel.second);
      book.FExtraParts.push_back({"theme", String(bytes.begin(), bytes.end())});
    }
  }

  pugi::xml_document wb;
  zip.ReadXml(mainPart, wb);
  book.FSheets.clear();
  std::set<String> sheetParts;
  for (auto s : wb.child("workbook").child("sheets").children("sheet")) {
    auto rel = wbRels.find(s.attribute("r:id").as_string());
    if (rel == wbRels.end() || TypeSuffix(rel->second.first) != "worksheet") continue;
    String part = rel->second.second;
    // Each sheet has a part of its own; sheets sharing one would be read
    // (and written back) once for each of them.
    if (!sheetParts.insert(part).second) zip.Damaged("多个工作表使用同一个部件 " + part);
    // Names the writer could not write back as they are read are refused.
    String name = s.attribute("name").as_string();
    String why = WorkbookSheetNameProblem(book, name);
    if (!why.empty()) zip.Damaged("工作表名称 \"" + name + "\" " + why);
    auto& sheet = book.AddSheet(name);
    pugi::xml_document doc;
    zip.ReadXml(part, doc);
    auto ws = doc.child("worksheet");
    if (!ws) zip.Damaged("工作表部件 " + part + " 中没有工作表");
    if (auto fp = ws.child("sheetFormatPr")) {
      if (auto a = fp.attribute("defaultRowHeight")) sheet.FDefaultRowHeight = std::clamp(a.as_double(), 0.0, 409.0);
      if (auto a = fp.attribute("defaultColWidth")) sheet.FDefaultColumnWidth = std::clamp(a.as_double(), 0.0, 255.0);
      else if (auto b = fp.attribute("baseColWidth")) sheet.FDefaultColumnWidth = std::clamp(b.as_double(), 0.0, 255.0) + 0.71;
    }
    for (auto c : ws.child("cols").children("col")) {
      int mn = std::clamp(c.attribute("min").as_int(), 1, 16384), mx = std::clamp(c.attribute("max").as_int(), 1, 16384);
      // A column range covering the rest of the sheet describes the default.
      if (mx - mn > 1000) continue;
      double w = c.attribute("hidden").as_bool() ? 0 : std::clamp(c.attribute("width").as_double(), 0.0, 255.0);
      for (int i = mn; i <= mx; ++i) sheet.FColumnWidths[i] = w;
    }
    int nextRow = 1;
    for (auto r : ws.child("sheetData").children("row")) {
      int row = r.attribute("r") ? r.attribute("r").as_int() : nextRow;
      if (row < 1 || row > 1048576) zip.Damaged(part + " 中的行号超出范围");
      nextRow = row + 1;
      TWorkbookRowFormat rf;
      bool hasFormat = false;
      if (r.attribute("customHeight").as_bool() && r.attribute("ht")) {
        rf.Height = std::clamp(r.attribute("ht").as_double(), 0.0, 409.0);
        hasFormat = true;
      }
      if (r.attribute("customFormat").as_bool() && r.attribute("s")) {
        rf.Style = std::clamp(r.attribute("s").as_int(), 0, book.StyleCount() - 1);
        hasFormat = true;
      }
      if (r.attribute("hidden").as_bool()) {
        rf.Hidden = true;
        hasFormat = true;
      }
      if (hasFormat) sheet.FRowFormats[row] = rf;
      int nextCol = 1;
      for (auto c : r.children("c")) {
        int cr = row, cc = nextCol;
        if (auto ref = c.attribute("r")) {
          if (!ParseRef(ref.as_string(), cr, cc) || cr != row) zip.Damaged(part + " 中的单元格引用无效");
        }
        // A cell without a reference follows the one before it; after the
        // last column (XFD) there is none.
        if (cc > 16384) zip.Damaged(part + " 中的单元格超出最后一列");
        nextCol = cc + 1;
        TWorkbookCell cell;
        cell.Style = std::clamp(c.attribute("s").as_int(), 0, book.StyleCount() - 1);
        String t = c.attribute("t").as_string();
        auto v = c.child("v");
        if (auto f = c.child("f"); f && f.text()) {
          cell.Kind = TWorkbookCellKind::Formula;
          cell.Text = DecodeEscapes(f.text().as_string());
        } else if (t == "s") {
          long idx = v.text().as_llong(-1);
          if (idx < 0 || idx >= static_cast<long>(ctx.SharedStrings.size())) zip.Damaged(part + " 中的共享字符串索引无效");
          cell.Kind = TWorkbookCellKind::Text;
          cell.Text = ctx.SharedStrings[idx];
        } else if (t == "inlineStr") {
          cell.Kind = TWorkbookCellKind::Text;
          cell.Text = ItemText(c.child("is"));
        } else if (t == "str") {
          cell.Kind = TWorkbookCellKind::Text;
          cell.Text = DecodeEscapes(v.text().as_string());
        } else if (t == "b") {
          cell.Kind = TWorkbookCellKind::Boolean;
          cell.Number = v.text().as_int() ? 1 : 0;
        } else if (t == "e") {
          cell.Kind = TWorkbookCellKind::Error;
          cell.Text = DecodeEscapes(v.text().as_string());
        } else if (v) {
          cell.Kind = TWorkbookCellKind::Number;
          cell.Number = v.text().as_double();
          if (!std::isfinite(cell.Number)) zip.Damaged(part + " 中的数字无效");
        }
        if (cell.Kind == TWorkbookCellKind::Text && cell.Text.empty()) cell.Kind = TWorkbookCellKind::Empty;
        sheet.FRows[cr][cc] = cell;
      }
    }
    for (auto m : ws.child("mergeCells").children("mergeCell")) {
      String ref = m.attribute("ref").as_string();
      size_t colon = ref.find(':');
      int r1, c1, r2, c2;
      if (colon == String::npos || !ParseRef(ref.substr(0, colon), r1, c1) || !ParseRef(ref.substr(colon + 1), r2, c2))
        continue;
      sheet.FMerges.push_back({std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)});
    }
    if (auto dr = ws.child("drawing")) {
      auto sheetRels = ReadRels(zip, part);
      auto rel2 = sheetRels.find(dr.attribute("r:id").as_string());
      if (rel2 != sheetRels.end() && zip.Has(rel2->second.second)) ReadDrawing(zip, sheet, rel2->second.second);
    }
    sheet.FSourceXml = NodeXml(doc);
  }
  if (book.FSheets.empty()) zip.Damaged("没有工作表");
}

// ---------------------------------------------------------------- writing

namespace {

class TZipWriter {
 public:
  TZipWriter(const String& path, const String& shown) : FShown(shown) {
    int err = 0;
    FZip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!FZip) Fail();
  }
  ~TZipWriter() {
    if (FZip) zip_discard(FZip);
  }
  void Add(const String& name, String data) {
    FData.push_back(std::move(data));
    auto& d = FData.back();
    zip_source_t* src = zip_source_buffer(FZip, d.data(), d.size(), 0);
    if (!src) Fail();
    if (zip_file_add(FZip, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
      zip_source_free(src);
      Fail();
    }
  }
  void Close() {
    if (zip_close(FZip) != 0) Fail();
    FZip = nullptr;
  }

 private:
  [[noreturn]] void Fail() {
    String why = FZip ? zip_strerror(FZip) : "无法创建文件";
    throw EWorkbookError("无法保存工作簿 \"" + FShown + "\": " + why);
  }
  zip_t* FZip = nullptr;
  String FShown;
  std::list<String> FData;  // buffers stay alive until the archive is closed
};

String Escape(const String& s) {
  String o;
  o.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = s[i];
    // A literal "_xHHHH_" would read back as the character it names.
    if (IsHexEscape(s, i)) {
      o += "_x005F_";
      continue;
    }
    switch (c) {
      case '&': o += "&amp;"; break;
      case '<': o += "&lt;"; break;
      case '>': o += "&gt;"; break;
      case '"': o += "&quot;"; break;
      case '\t': case '\n': case '\r': o += static_cast<char>(c); break;
      default:
        // Control characters cannot appear in XML 1.0; they are written as
        // the escape the format defines for them.
        if (c < 0x20) {
          char buf[16];
          std::snprintf(buf, sizeof buf, "_x%04X_", c);
          o += buf;
        } else {
          o += static_cast<char>(c);
        }
    }
  }
  return o;
}

String Num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  // Shortest text that reads back to the same double.
  for (int p = 1; p <= 17; ++p) {
    char t[40];
    std::snprintf(t, sizeof t, "%.*g", p, v);
    if (std::strtod(t, nullptr) == v) return t;
  }
  return buf;
}

const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

String StylesPart(TWorkbook& book, const String& templateXml, const std::map<int, String>& numFmts,
                  const std::vector<std::pair<int, String>>& styles) {
  pugi::xml_document doc;
  if (templateXml.empty() || !doc.load_string(templateXml.c_str())) {
    doc.reset();
    doc.load_string(
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"宋体\"/><family val=\"3\"/><charset val=\"134\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"1\"/>"
        "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
        "</styleSheet>");
  }
  auto sheet = doc.child("styleSheet");
  // Number formats first in the part, then the cell formats.
  sheet.remove_child("numFmts");
  if (!numFmts.empty()) {
    auto nfs = sheet.prepend_child("numFmts");
    nfs.append_attribute("count") = static_cast<unsigned>(numFmts.size());
    for (auto& [id, code] : numFmts) {
      auto nf = nfs.append_child("numFmt");
      nf.append_attribute("numFmtId") = id;
      nf.append_attribute("formatCode") = code.c_str();
    }
  }
  auto xfs = sheet.child("cellXfs");
  if (!xfs) xfs = sheet.insert_child_after("cellXfs", sheet.child("cellStyleXfs"));
  while (xfs.first_child()) xfs.remove_child(xfs.first_child());
  for (auto& [fmt, xml] : styles) {
    pugi::xml_document one;
    pugi::xml_node xf;
    if (!xml.empty() && one.load_string(xml.c_str())) {
      xf = xfs.append_copy(one.first_child());
    } else {
      xf = xfs.append_child("xf");
      xf.append_attribute("fontId") = 0;
      xf.append_attribute("fillId") = 0;
      xf.append_attribute("borderId") = 0;
      xf.append_attribute("xfId") = 0;
    }
    if (!xf.attribute("numFmtId")) xf.prepend_attribute("numFmtId");
    xf.attribute("numFmtId") = fmt;
    if (fmt != 0) {
      if (!xf.attribute("applyNumberFormat")) xf.append_attribute("applyNumberFormat");
      xf.attribute("applyNumberFormat") = 1;
    }
  }
  if (!xfs.attribute("count")) xfs.append_attribute("count");
  xfs.attribute("count") = static_cast<unsigned>(styles.size());
  std::ostringstream os;
  doc.save(os, "", pugi::format_raw | pugi::format_no_declaration);
  (void)book;
  return kXmlHead + os.str();
}

// Where the drawing reference goes among a worksheet's children.
const char* kAfterDrawing[] = {"legacyDrawing", "legacyDrawingHF", "drawingHF", "picture", "oleObjects",
                               "controls", "webPublishItems", "tableParts", "extLst"};

}  // namespace

void TWorkbookPackage::Write(TWorkbook& book, const String& hostPath, const String& shown) {
  TZipWriter zip(hostPath, shown);
  std::vector<String> shared;
  std::map<String, int> sharedIndex;
  auto sharedId = [&](const String& s) {
    auto it = sharedIndex.find(s);
    if (it != sharedIndex.end()) return it->second;
    int id = static_cast<int>(shared.size());
    shared.push_back(s);
    sharedIndex.emplace(s, id);
    return id;
  };

  String contentTypes = String(kXmlHead) +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Default Extension=\"png\" ContentType=\"image/png\"/>"
      "<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>"
      "<Default Extension=\"gif\" ContentType=\"image/gif\"/>"
      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
      "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
      "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
      "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
      "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>";
  String wbRels = String(kXmlHead) + "<Relationships xmlns=\"" + kPkgRelNs + "\">";
  String sheetsXml;
  int mediaCount = 0, drawingCount = 0;

  for (int si = 1; si <= book.SheetCount(); ++si) {
    TWorksheet& sheet = book.Sheet(si);
    String part = "worksheets/sheet" + std::to_string(si) + ".xml";
    contentTypes += "<Override PartName=\"/xl/" + part +
                    "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    wbRels += "<Relationship Id=\"rId" + std::to_string(si) +
              "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"" + part + "\"/>";
    const String& name = sheet.Name();
    sheetsXml += "<sheet name=\"" + Escape(name) + "\" sheetId=\"" + std::to_string(si) + "\" r:id=\"rId" +
                 std::to_string(si) + "\"/>";

    // Cells.
    String data = "<sheetData>";
    int maxRow = 0, maxCol = 0;
    std::set<int> rows;
    for (auto& [r, cells] : sheet.FRows) rows.insert(r);
    for (auto& [r, f] : sheet.FRowFormats) rows.insert(r);
    for (int r : rows) {
      auto cellsIt = sheet.FRows.find(r);
      auto rf = sheet.RowFormat(r);
      String row = "<row r=\"" + std::to_string(r) + "\"";
      if (rf && rf->Height >= 0) row += " ht=\"" + Num(rf->Height) + "\" customHeight=\"1\"";
      if (rf && rf->Style >= 0) row += " s=\"" + std::to_string(rf->Style) + "\" customFormat=\"1\"";
      if (rf && rf->Hidden) row += " hidden=\"1\"";
      row += ">";
      if (cellsIt != sheet.FRows.end()) {
        for (auto& [c, cell] : cellsIt->second) {
          String ref = WorkbookColumnName(c) + std::to_string(r);
          String s = cell.Style > 0 ? " s=\"" + std::to_string(cell.Style) + "\"" : "";
          switch (cell.Kind) {
            case TWorkbookCellKind::Empty:
              if (cell.Style == 0) continue;
              row += "<c r=\"" + ref + "\"" + s + "/>";
              break;
            case TWorkbookCellKind::Number:
              row += "<c r=\"" + ref + "\"" + s + "><v>" + Num(cell.Number) + "</v></c>";
              break;
            case TWorkbookCellKind::Text:
              row += "<c r=\"" + ref + "\"" + s + " t=\"s\"><v>" + std::to_string(sharedId(cell.Text)) + "</v></c>";
              break;
            case TWorkbookCellKind::Boolean:
              row += "<c r=\"" + ref + "\"" + s + " t=\"b\"><v>" + (cell.Number != 0 ? "1" : "0") + "</v></c>";
              break;
            case TWorkbookCellKind::Formula:
              row += "<c r=\"" + ref + "\"" + s + "><f>" + Escape(cell.Text) + "</f></c>";
              break;
            case TWorkbookCellKind::Error:
              row += "<c r=\"" + ref + "\"" + s + " t=\"e\"><v>" + Escape(cell.Text) + "</v></c>";
              break;
          }
          maxRow = std::max(maxRow, r);
          maxCol = std::max(maxCol, c);
        }
      }
      data += row + "</row>";
    }
    data += "</sheetData>";
    String merges;
    if (!sheet.Merges().empty()) {
      merges = "<mergeCells count=\"" + std::to_string(sheet.Merges().size()) + "\">";
      for (auto& m : sheet.Merges())
        merges += "<mergeCell ref=\"" + WorkbookColumnName(m.Left) + std::to_string(m.Top) + ":" +
                  WorkbookColumnName(m.Right) + std::to_string(m.Bottom) + "\"/>";
      merges += "</mergeCells>";
    }
    String dimension = maxRow ? "A1:" + WorkbookColumnName(maxCol) + std::to_string(maxRow) : "A1";

    // Pictures go into a drawing part of their own.
    String sheetRels;
    bool hasDrawing = !sheet.FPictures.empty();
    if (hasDrawing) {
      ++drawingCount;
      String dpart = "xl/drawings/drawing" + std::to_string(drawingCount) + ".xml";
      contentTypes += "<Override PartName=\"/" + dpart + "\" ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>";
      sheetRels = String(kXmlHead) + "<Relationships xmlns=\"" + kPkgRelNs + "\"><Relationship Id=\"rIdDr1\" Type=\"" +
                  "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing\" Target=\"../drawings/drawing" +
                  std::to_string(drawingCount) + ".xml\"/></Relationships>";
      String drawing = String(kXmlHead) +
          "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
          "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
      String drawingRels = String(kXmlHead) + "<Relationships xmlns=\"" + kPkgRelNs + "\">";
      int n = 0;
      for (auto& p : sheet.FPictures) {
        ++n;
        ++mediaCount;
        String media = "image" + std::to_string(mediaCount) + "." + p->Extension;
        zip.Add("xl/media/" + media, String(p->Data.begin(), p->Data.end()));
        drawingRels += "<Relationship Id=\"rIdImg" + std::to_string(n) +
                       "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" Target=\"../media/" +
                       media + "\"/>";
        // Anchor at the cell holding the top left corner, with the rest as
        // an offset into it.
        int col = 1, row = 1;
        double x = std::max(0.0, p->Left), y = std::max(0.0, p->Top);
        while (col < 16384 && sheet.ColumnLeft(col + 1) <= x) ++col;
        double colOff = x - sheet.ColumnLeft(col);
        // Rows: walk only while the default height would not jump past.
        double rowTop = 0;
        while (row < 1048576) {
          double h = sheet.RowHeightPoints(row);
          if (rowTop + h > y || (h <= 0 && rowTop >= y)) break;
          rowTop += h;
          ++row;
        }
        double rowOff = y - rowTop;
        auto emu = [](double pt) { return std::to_string(static_cast<long long>(std::llround(pt * kEmuPerPoint))); };
        drawing += "<xdr:oneCellAnchor><xdr:from><xdr:col>" + std::to_string(col - 1) + "</xdr:col><xdr:colOff>" +
                   emu(colOff) + "</xdr:colOff><xdr:row>" + std::to_string(row - 1) + "</xdr:row><xdr:rowOff>" +
                   emu(rowOff) + "</xdr:rowOff></xdr:from><xdr:ext cx=\"" + emu(p->Width()) + "\" cy=\"" +
                   emu(p->Height()) + "\"/><xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"" + std::to_string(n + 1) +
                   "\" name=\"" + Escape(p->Name) + "\"/><xdr:cNvPicPr><a:picLocks noChangeAspect=\"1\"/></xdr:cNvPicPr>"
                   "</xdr:nvPicPr><xdr:blipFill><a:blip r:embed=\"rIdImg" + std::to_string(n) +
                   "\"/><a:stretch><a:fillRect/></a:stretch></xdr:blipFill><xdr:spPr><a:xfrm><a:off x=\"" +
                   emu(p->Left) + "\" y=\"" + emu(p->Top) + "\"/><a:ext cx=\"" + emu(p->Width()) + "\" cy=\"" +
                   emu(p->Height()) + "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></xdr:spPr>"
                   "</xdr:pic><xdr:clientData/></xdr:oneCellAnchor>";
      }
      drawing += "</xdr:wsDr>";
      drawingRels += "</Relationships>";
      zip.Add(dpart, drawing);
      zip.Add("xl/drawings/_rels/drawing" + std::to_string(drawingCount) + ".xml.rels", drawingRels);
    }

    // The sheet part: the template's, with the cells, merged areas and
    // drawing replaced; parts it referred to that are not written (printer
    // settings, comments, tables) are dropped with their references.
    pugi::xml_document doc;
    bool fromTemplate = !sheet.FSourceXml.empty() && doc.load_string(sheet.FSourceXml.c_str());
    if (!fromTemplate) {
      doc.reset();
      doc.load_string((String("<worksheet xmlns=\"") + kMainNs + "\" xmlns:r=\"" + kRelNs +
                       "\"><dimension ref=\"A1\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
                       "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData/>"
                       "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
                       "</worksheet>").c_str());
    }
    auto ws = doc.child("worksheet");
    if (!ws.attribute("xmlns:r")) ws.append_attribute("xmlns:r") = kRelNs;
    if (auto d = ws.child("dimension")) d.attribute("ref") = dimension.c_str();
    if (!sheet.FColumnWidths.empty() && !fromTemplate) {
      auto cols = ws.insert_child_before("cols", ws.child("sheetData"));
      for (auto& [c, w] : sheet.FColumnWidths) {
        auto col = cols.append_child("col");
        col.append_attribute("min") = c;
        col.append_attribute("max") = c;
        col.append_attribute("width") = Num(w).c_str();
        col.append_attribute("customWidth") = 1;
      }
    }
    // Strip references to parts not carried over.
    for (const char* name : {"drawing", "legacyDrawing", "legacyDrawingHF", "picture", "oleObjects", "controls",
                             "tableParts", "hyperlinks"})
      while (ws.child(name)) ws.remove_child(name);
    if (auto ps = ws.child("pageSetup")) ps.remove_attribute("r:id");
    while (ws.child("mergeCells")) ws.remove_child("mergeCells");
    pugi::xml_document frag;
    frag.load_string((data + merges).c_str());
    auto sd = ws.child("sheetData");
    pugi::xml_node newData;
    for (auto n : frag.children()) {
      if (String(n.name()) == "sheetData") newData = ws.insert_copy_after(n, sd);
      else ws.insert_copy_after(n, newData);
    }
    ws.remove_child(sd);
    if (hasDrawing) {
      pugi::xml_node before;
      for (const char* name : kAfterDrawing)
        if (!before) before = ws.child(name);
      auto dr = before ? ws.insert_child_before("drawing", before) : ws.append_child("drawing");
      dr.append_attribute("r:id") = "rIdDr1";
    }
    std::ostringstream os;
    doc.save(os, "", pugi::format_raw | pugi::format_no_declaration);
    zip.Add("xl/" + part, kXmlHead + os.str());
    if (!sheetRels.empty()) zip.Add("xl/worksheets/_rels/sheet" + std::to_string(si) + ".xml.rels", sheetRels);
  }

  int relId = book.SheetCount();
  wbRels += "<Relationship Id=\"rId" + std::to_string(++relId) +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>";
  wbRels += "<Relationship Id=\"rId" + std::to_string(++relId) +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>";
  for (auto& [kind, content] : book.FExtraParts) {
    if (kind != "theme") continue;
    zip.Add("xl/theme/theme1.xml", content);
    contentTypes += "<Override PartName=\"/xl/theme/theme1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>";
    wbRels += "<Relationship Id=\"rId" + std::to_string(++relId) +
              "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" Target=\"theme/theme1.xml\"/>";
    break;
  }
  wbRels += "</Relationships>";
  contentTypes += "</Types>";

  std::vector<std::pair<int, String>> styles;
  for (auto& s : book.FStyles) styles.push_back({s.NumFmtId, s.Xml});
  zip.Add("xl/styles.xml", StylesPart(book, book.FStylesXml, book.FNumFmts, styles));

  String sst = String(kXmlHead) + "<sst xmlns=\"" + kMainNs + "\" count=\"" + std::to_string(shared.size()) +
               "\" uniqueCount=\"" + std::to_string(shared.size()) + "\">";
  for (auto& s : shared) {
    bool keepSpace = !s.empty() && (s.front() == ' ' || s.back() == ' ' || s.find('\n') != String::npos);
    sst += String("<si><t") + (keepSpace ? " xml:space=\"preserve\"" : "") + ">" + Escape(s) + "</t></si>";
  }
  sst += "</sst>";
  zip.Add("xl/sharedStrings.xml", sst);

  zip.Add("xl/workbook.xml", String(kXmlHead) + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                                 "\"><bookViews><workbookView/></bookViews><sheets>" + sheetsXml + "</sheets></workbook>");
  zip.Add("xl/_rels/workbook.xml.rels", wbRels);
  zip.Add("_rels/.rels", String(kXmlHead) + "<Relationships xmlns=\"" + kPkgRelNs + "\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
          "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
          "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties\" Target=\"docProps/app.xml\"/>"
          "</Relationships>");
  zip.Add("docProps/core.xml", String(kXmlHead) +
          "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator>Tovani</dc:creator></cp:coreProperties>");
  zip.Add("docProps/app.xml", String(kXmlHead) +
          "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
          "<Application>Tovani</Application></Properties>");
  zip.Add("[Content_Types].xml", contentTypes);
  zip.Close();
}
