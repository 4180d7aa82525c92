// Export and import of the data grid and its clipboard commands.
#include "DBGridEhImpExp.h"

#include <cstring>
#include <set>

#include "Clipbrd.h"
#include "CodePage.h"
#include "Dialogs.h"
#include "PlatformEh.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TDBGridEhExport, TObject)
TOVANI_IMPLEMENT_CLASS(TDBGridEhExportAsText, TDBGridEhExport)
TOVANI_IMPLEMENT_CLASS(TDBGridEhExportAsCSV, TDBGridEhExportAsText)
TOVANI_IMPLEMENT_CLASS(TDBGridEhExportAsVCLDBIF, TDBGridEhExport)
TOVANI_IMPLEMENT_CLASS(TDBGridEhExportAsRTF, TDBGridEhExport)
TOVANI_IMPLEMENT_CLASS(TDBGridEhImport, TObject)
TOVANI_IMPLEMENT_CLASS(TDBGridEhImportAsText, TDBGridEhImport)
TOVANI_IMPLEMENT_CLASS(TDBGridEhImportAsVCLDBIF, TDBGridEhImport)

const char* const SInvalidTextFormatEh = "Invalid text format";
const char* const SInvalidVCLDBIFFormatEh = "Invalid VCLDBIF format";

namespace {

const char VCLDBIFSignature[7] = {'V', 'C', 'L', 'D', 'B', 'I', 'F'};

// The cell tags of the grid-data format.
enum : Byte { tagEnd = 0, tagNone = 1, tagNull = 2, tagInteger = 3, tagFloat = 4, tagText = 5, tagBinary = 6 };

TDataSet* GridDataSet(TCustomDBGridEh* Grid) {
  TDataSource* src = Grid ? Grid->DataSource() : nullptr;
  return src ? src->DataSet() : nullptr;
}

// The field whose value stands for a column: its own, or for a lookup
// field the key field of its dataset (a key of several fields has none).
TField* ValueField(TColumnEh* Column) {
  TField* f = Column->Field();
  if (!f || !f->Lookup()) return f;
  if (f->KeyFields().empty() || !f->DataSet()) return nullptr;
  return f->DataSet()->FindField(f->KeyFields());
}

// The visible columns with data-column indexes from Left to Right.
TColumnsEhList VisibleColumnsBetween(TCustomDBGridEh* Grid, Integer Left, Integer Right) {
  TColumnsEhList r;
  for (Integer i = std::max<Integer>(0, Left); i <= Right && i < Grid->Columns()->Count(); ++i)
    if (Grid->Columns()->Item(i)->Visible()) r.Add(Grid->Columns()->Item(i));
  return r;
}

TColumnsEhList CopyList(const TColumnsEhList& L) {
  TColumnsEhList r;
  for (Integer i = 0; i < L.Count(); ++i) r.Add(L[i]);
  return r;
}

std::vector<TBookmark> SelectedBookmarks(TCustomDBGridEh* Grid) {
  std::vector<TBookmark> r;
  TBookmarkListEh* rows = Grid->SelectedRows();
  for (Integer i = 0; i < rows->Count(); ++i) r.push_back(rows->Items(i));
  return r;
}

void PutLE32(String& out, int32_t v) {
  uint32_t u = uint32_t(v);
  for (int i = 0; i < 4; ++i) out.push_back(char((u >> (8 * i)) & 0xFF));
}

}  // namespace

// ---------------------------------------------------------------------------
// The grid's view around dataset-wide work

namespace {

// Keeps the grid's visible window of records and its current record while
// dataset-wide work moves the cursor, with the dataset's controls disabled
// so that no control repaints per record; both are undone at the end, also
// when an error passes.
class TGridViewKeeperEh {
 public:
  explicit TGridViewKeeperEh(TCustomDBGridEh* Grid) : FGrid(Grid) {
    TDataSet* ds = GridDataSet(Grid);
    if (!ds || !ds->Active()) return;
    FDataSet = ds;
    ds->DisableControls();
    try {
      Grid->SaveViewPosition();
    } catch (...) {
      ds->EnableControls();
      throw;
    }
  }
  ~TGridViewKeeperEh() {
    if (!FDataSet) return;
    try {
      Restore();
    } catch (...) {
      // The error that ended the work is the one the user sees.
    }
    FDataSet->EnableControls();
  }
  TGridViewKeeperEh(const TGridViewKeeperEh&) = delete;
  TGridViewKeeperEh& operator=(const TGridViewKeeperEh&) = delete;
  void Restore() {
    if (FDataSet && FDataSet->Active()) FGrid->RestoreViewPosition();
  }

 private:
  TCustomDBGridEh* FGrid;
  TDataSet* FDataSet = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------
// TDBGridEhExport

TDBGridEhExport::TDBGridEhExport()
    : CellParams(std::make_unique<TColCellParamsEh>()),
      FCellFont(std::make_unique<TFont>()),
      FFooterFont(std::make_unique<TFont>()) {}

TDBGridEhExport::~TDBGridEhExport() = default;

void TDBGridEhExport::Emit(const String& Bytes) {
  if (!Bytes.empty()) Stream->WriteBuffer(Bytes.data(), LongInt(Bytes.size()));
}

void TDBGridEhExport::ExportStream(TStream* AStream, bool WholeGrid) {
  Stream = AStream;
  TCustomDBGridEh* g = FGrid;
  TDBGridEhSelection* sel = g->Selection();
  TDBGridEhSelectionType kind = WholeGrid ? gstAll : sel->SelectionType();
  TDataSet* ds = GridDataSet(g);
  if (kind == gstNon || !ds || !ds->Active()) return;
  TGridViewKeeperEh keep(g);

  TColumnsEhList cols;
  std::vector<TBookmark> marks;
  TBookmark top, bottom;
  switch (kind) {
    case gstRecordBookmarks:
      cols = CopyList(g->VisibleColumns());
      marks = SelectedBookmarks(g);
      break;
    case gstRectangle:
      cols = VisibleColumnsBetween(g, sel->Rect()->LeftCol(), sel->Rect()->RightCol());
      top = sel->Rect()->TopRow();
      bottom = sel->Rect()->BottomRow();
      break;
    case gstColumns: cols = CopyList(*sel->Columns()); break;
    default: cols = CopyList(g->VisibleColumns()); break;
  }
  ExpCols = &cols;
  FooterValues.assign(size_t(g->FooterRowCount()) * size_t(cols.Count()), Currency());
  WriteOpening();
  if (g->Options().Contains(dgTitles)) WriteTitleRow(cols);
  auto row = [&] {
    AccumulateFooterValues();
    WriteRecordRow(cols);
  };
  switch (kind) {
    case gstRecordBookmarks:
      for (const TBookmark& b : marks) {
        ds->GotoBookmark(b);
        row();
      }
      break;
    case gstRectangle:
      ds->GotoBookmark(top);
      while (!ds->Eof()) {
        row();
        if (ds->CompareBookmarks(ds->GetBookmark(), bottom) == 0) break;
        ds->Next();
      }
      break;
    default:
      ds->First();
      while (!ds->Eof()) {
        row();
        ds->Next();
      }
      break;
  }
  for (Integer n = 0; n < g->FooterRowCount(); ++n) WriteFooterRow(cols, n);
  WriteClosing();
}

void TDBGridEhExport::ExportFile(const String& FileName, bool WholeGrid) {
  TFileStream f(FileName, fmCreate);
  ExportStream(&f, WholeGrid);
}

TColCellParamsEh* TDBGridEhExport::FillCellParams(TColumnEh* Column) {
  TColCellParamsEh* p = CellParams.get();
  p->Row = -1;
  p->Col = -1;
  p->State = TGridDrawState{};
  FCellFont->Assign(Column->Font());
  p->Font = FCellFont.get();
  p->Background = Column->Color();
  p->Alignment = Column->Alignment();
  p->ImageIndex = -1;
  p->Text = Column->CellDisplayText();
  p->CheckState = Column->CellCheckState();
  p->ReadOnly = Column->ReadOnly();
  FGrid->GetCellParams(Column, p->Font, p->Background, TGridDrawState{});
  return p;
}

void TDBGridEhExport::WriteRecordRow(const TColumnsEhList& Columns) {
  for (Integer i = 0; i < Columns.Count(); ++i) WriteRecordCell(Columns[i], FillCellParams(Columns[i]));
}

TDBGridEhExport::TFooterCell TDBGridEhExport::FooterCell(Integer Position, Integer FooterNo, TColumnEh* Column) {
  TColumnFooterEh* footer = Column->GetFooterForRow(FooterNo);
  TFooterCell c;
  FFooterFont->Assign(footer->Font());
  c.Font = FFooterFont.get();
  c.Background = footer->Color();
  c.Alignment = footer->Alignment();
  TFooterValueType vt = footer->ValueType();
  c.Text = (vt == fvtSum || vt == fvtCount) ? FooterValueText(FooterNo, Position)
                                            : FGrid->GetFooterValue(FooterNo, Column);
  if (FGrid->OnGetFooterParams)
    FGrid->OnGetFooterParams(FGrid, Column->Index(), FooterNo, Column, c.Font, c.Background, c.Alignment,
                             TGridDrawState{}, c.Text);
  return c;
}

void TDBGridEhExport::WriteFooterRow(const TColumnsEhList& Columns, Integer FooterNo) {
  for (Integer i = 0; i < Columns.Count(); ++i) {
    TFooterCell c = FooterCell(i, FooterNo, Columns[i]);
    WriteFooterCellText(i, FooterNo, c.Text, c.Alignment, c.Background, c.Font, Columns[i]);
  }
}

TField* TDBGridEhExport::FooterField(Integer FooterNo, Integer Position) {
  TColumnEh* col = (*ExpCols)[Position];
  TColumnFooterEh* footer = col->GetFooterForRow(FooterNo);
  TDataSet* ds = GridDataSet(FGrid);
  if (!ds) return nullptr;
  return ds->FindField(footer->FieldName().empty() ? col->FieldName() : footer->FieldName());
}

void TDBGridEhExport::AccumulateFooterValues() {
  Integer n = ExpCols->Count();
  for (Integer r = 0; r < FGrid->FooterRowCount(); ++r)
    for (Integer i = 0; i < n; ++i) {
      TFooterValueType vt = (*ExpCols)[i]->GetFooterForRow(r)->ValueType();
      if (vt != fvtSum && vt != fvtCount) continue;
      TField* f = FooterField(r, i);
      if (!f) continue;
      Currency& v = FooterValues[size_t(r * n + i)];
      if (vt == fvtCount)
        v += Currency(1);
      else if (!f->IsNull())
        v += Currency(f->AsFloat());
    }
}

String TDBGridEhExport::FooterValueText(Integer FooterNo, Integer Position) {
  TColumnFooterEh* footer = (*ExpCols)[Position]->GetFooterForRow(FooterNo);
  Currency v = FooterValues[size_t(FooterNo * ExpCols->Count() + Position)];
  if (footer->ValueType() == fvtCount) return FooterAggregateText(footer, nullptr, v);
  TField* f = FooterField(FooterNo, Position);
  return f ? FooterAggregateText(footer, f, v) : String();
}

void ExportGridToStream(TDBGridEhExport& Exporter, TCustomDBGridEh* Grid, TStream* Stream, bool WholeGrid) {
  Exporter.SetGrid(Grid);
  Exporter.ExportStream(Stream, WholeGrid);
}

void ExportGridToFile(TDBGridEhExport& Exporter, TCustomDBGridEh* Grid, const String& FileName, bool WholeGrid) {
  Exporter.SetGrid(Grid);
  Exporter.ExportFile(FileName, WholeGrid);
}

// ---------------------------------------------------------------------------
// Text and CSV

void TDBGridEhExportAsText::ExportStream(TStream* AStream, bool WholeGrid) {
  FirstRow = true;
  TDBGridEhExport::ExportStream(AStream, WholeGrid);
}

void TDBGridEhExportAsText::StartRow() {
  if (FirstRow)
    FirstRow = false;
  else
    Emit("\r\n");
}

void TDBGridEhExportAsText::StartCell() {
  if (FirstCellOfRow)
    FirstCellOfRow = false;
  else
    Emit("\t");
}

void TDBGridEhExportAsText::WriteTitleRow(const TColumnsEhList& Columns) {
  StartRow();
  FirstCellOfRow = true;
  for (Integer i = 0; i < Columns.Count(); ++i) {
    StartCell();
    Emit(CellText(Columns[i]->Title()->Caption()));
  }
}

void TDBGridEhExportAsText::WriteRecordRow(const TColumnsEhList& Columns) {
  StartRow();
  FirstCellOfRow = true;
  TDBGridEhExport::WriteRecordRow(Columns);
}

void TDBGridEhExportAsText::WriteRecordCell(TColumnEh*, TColCellParamsEh* Params) {
  StartCell();
  Emit(CellText(Params->Text));
}

void TDBGridEhExportAsText::WriteFooterRow(const TColumnsEhList& Columns, Integer FooterNo) {
  StartRow();
  FirstCellOfRow = true;
  TDBGridEhExport::WriteFooterRow(Columns, FooterNo);
}

void TDBGridEhExportAsText::WriteFooterCellText(Integer, Integer, const String& Text, TAlignment, TColor, TFont*,
                                                TColumnEh*) {
  StartCell();
  Emit(CellText(Text));
}

void TDBGridEhExportAsCSV::StartCell() {
  if (FirstCellOfRow)
    FirstCellOfRow = false;
  else
    Emit(String(1, Separator));
}

String TDBGridEhExportAsCSV::CellText(const String& Text) { return AnsiQuotedStr(Text, '"'); }

// ---------------------------------------------------------------------------
// VCLDBIF

void TDBGridEhExportAsVCLDBIF::WriteOpening() {
  String h(VCLDBIFSignature, sizeof VCLDBIFSignature);
  h.push_back('\1');
  PutLE32(h, ExpCols->Count());
  for (Integer i = 0; i < ExpCols->Count(); ++i) {
    h.push_back((*ExpCols)[i]->Visible() ? '\1' : '\0');
    h.push_back('\0');   // no field name
  }
  Emit(h);
}

void TDBGridEhExportAsVCLDBIF::WriteClosing() { Emit(String(1, '\0')); }

void TDBGridEhExportAsVCLDBIF::WriteRecordCell(TColumnEh* Column, TColCellParamsEh*) {
  String out;
  TField* f = ValueField(Column);
  if (!f) {
    out.push_back(char(tagNone));
  } else if (f->IsNull()) {
    out.push_back(char(tagNull));
  } else {
    switch (f->DataType()) {
      case ftString: case ftBoolean: case ftMemo: case ftFixedChar: case ftLargeint: case ftOraClob: case ftGuid: {
        std::string bytes = Utf8ToGbk(f->AsString());
        out.push_back(char(tagText));
        PutLE32(out, int32_t(bytes.size()));
        out += bytes;
        break;
      }
      case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
        out.push_back(char(tagInteger));
        PutLE32(out, f->AsInteger());
        break;
      case ftFloat: case ftCurrency: case ftBCD: case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
      case ftFMTBcd: {
        double d = f->AsFloat();
        char b[8];
        std::memcpy(b, &d, 8);
        out.push_back(char(tagFloat));
        out.append(b, 8);
        break;
      }
      case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftFmtMemo: case ftParadoxOle:
      case ftDBaseOle: case ftTypedBinary: case ftWideString: case ftOraBlob: {
        // Binary values go as they are; wide text in the format's code page.
        std::string bytes = f->DataType() == ftWideString ? Utf8ToGbk(f->AsString()) : f->AsString();
        out.push_back(char(tagBinary));
        PutLE32(out, int32_t(bytes.size()));
        out += bytes;
        break;
      }
      default: out.push_back(char(tagNone)); break;
    }
  }
  Emit(out);
}

// ---------------------------------------------------------------------------
// RTF

String TDBGridEhExportAsRTF::RtfText(const String& Text) {
  String out;
  std::u16string w = Utf8ToUtf16(Text);
  for (size_t i = 0; i < w.size(); ++i) {
    char16_t c = w[i];
    switch (c) {
      case u'\\': out += "\\\\"; continue;
      case u'{': out += "\\{"; continue;
      case u'}': out += "\\}"; continue;
      case u'\t': out += "\\tab "; continue;
      case u'\r':
        if (i + 1 < w.size() && w[i + 1] == u'\n') ++i;
        out += "\\line ";
        continue;
      case u'\n': out += "\\line "; continue;
      default: break;
    }
    if (c < 0x80) {
      out.push_back(char(c));
      continue;
    }
    // Characters of code page 936 as its bytes (the document declares the
    // code page, which every reader honours); others as \uN with "?" for
    // readers without Unicode.
    static const char hex[] = "0123456789abcdef";
    std::string gbk;
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF;
    if (c < 0xD800 || c > 0xDFFF) gbk = Utf16ToGbk(std::u16string(1, c));
    if (!gbk.empty() && gbk != "?") {
      for (unsigned char b : gbk) {
        out += "\\'";
        out.push_back(hex[b >> 4]);
        out.push_back(hex[b & 15]);
      }
      continue;
    }
    out += "\\u" + IntToStr(Integer(int16_t(c))) + "?";
    if (pair) out += "\\u" + IntToStr(Integer(int16_t(w[++i]))) + "?";
  }
  return out;
}

Integer TDBGridEhExportAsRTF::RtfColorIndex(TColor Color) {
  COLORREF c = ColorToRGB(Color);
  String e = Format("%3d%3d%3d", {Integer(GetRValue(c)), Integer(GetGValue(c)), Integer(GetBValue(c))});
  for (size_t i = 0; i < FColorTable.size(); ++i)
    if (FColorTable[i] == e) return Integer(i);
  FColorTable.push_back(e);
  return Integer(FColorTable.size() - 1);
}

Integer TDBGridEhExportAsRTF::RtfFontIndex(const String& Name) {
  for (size_t i = 0; i < FFontTable.size(); ++i)
    if (FFontTable[i] == Name) return Integer(i);
  FFontTable.push_back(Name);
  return Integer(FFontTable.size() - 1);
}

String TDBGridEhExportAsRTF::RtfAlignmentWord(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify: return "\\qr";
    case taCenter: return "\\qc";
    default: return "\\ql";
  }
}

Integer TDBGridEhExportAsRTF::LogPixelsX() {
  if (FLogPixelsX > 0) return FLogPixelsX;
  HDC dc = Grid()->HandleAllocated() ? Grid()->Canvas()->Handle() : nullptr;
  if (dc) {
    FLogPixelsX = GetDeviceCaps(dc, LOGPIXELSX);
  } else {
    HDC screen = GetDC(nullptr);
    FLogPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  if (FLogPixelsX <= 0) FLogPixelsX = 96;
  return FLogPixelsX;
}

String TDBGridEhExportAsRTF::Spacing() const { return Grid()->Flat() ? "12" : "24"; }

void TDBGridEhExportAsRTF::EmitRtfText(TFont* AFont, const String& Text, TColor Background) {
  String s = "\\fs" + IntToStr(AFont->Size() * 2);
  TFontStyles st = AFont->Style();
  if (st.Contains(fsBold)) s += "\\b";
  if (st.Contains(fsItalic)) s += "\\i";
  if (st.Contains(fsStrikeOut)) s += "\\strike";
  if (st.Contains(fsUnderline)) s += "\\ul";
  s += "\\f" + IntToStr(RtfFontIndex(AFont->Name()));
  s += "\\cf" + IntToStr(RtfColorIndex(AFont->Color()));
  s += "\\cb" + IntToStr(RtfColorIndex(Background));
  s += " " + RtfText(Text);
  Emit(s);
}

void TDBGridEhExportAsRTF::EmitCellBorders(bool Left, bool Top, bool Right, bool Bottom) {
  if (Left) Emit("\\clbrdrl\\brdrs\\brdrcf0\r\n");
  if (Top) Emit("\\clbrdrt\\brdrs\\brdrcf0\r\n");
  if (Bottom) Emit("\\clbrdrb\\brdrs\\brdrcf0\r\n");
  if (Right) Emit("\\clbrdrr\\brdrs\\brdrcf0\r\n");
}

void TDBGridEhExportAsRTF::EmitRowStart(const TColumnsEhList& Columns, const std::vector<TColor>& Shading,
                                        const std::vector<bool>* Borders) {
  Emit("\\trowd\\trgaph40\r\n");
  Integer right = 0;
  Integer ppi = LogPixelsX();
  for (Integer i = 0; i < Columns.Count(); ++i) {
    if (Borders) {
      size_t b = size_t(i) * 4;
      EmitCellBorders((*Borders)[b], (*Borders)[b + 1], (*Borders)[b + 2], (*Borders)[b + 3]);
    } else {
      EmitCellBorders(true, true, true, true);
    }
    right += Integer(std::lround(double(Columns[i]->Width()) * 1440.0 / ppi));
    Emit("\\clshdng10000\\clcfpat" + IntToStr(RtfColorIndex(Shading[size_t(i)])) + "\\cellx" + IntToStr(right) +
         "\r\n");
  }
  Emit("{\\trrh0\r\n");
}

void TDBGridEhExportAsRTF::EmitCellStart(TAlignment Alignment) {
  Emit("\\pard\\intbl{" + RtfAlignmentWord(Alignment) + "\\sb" + Spacing() + "\\sa" + Spacing());
}

void TDBGridEhExportAsRTF::WriteMultiTitleRows(const TColumnsEhList& Columns) {
  TCustomDBGridEh* g = Grid();
  const Integer n = Columns.Count();
  // The title matrix, bottom level first: the leaves, then after each step
  // in which the lowest columns moved up to their group headers, the nodes
  // every column has reached.
  auto hostOf = [g](THeadTreeNode* Node) {
    THeadTreeNode* p = Node ? Node->Parent : nullptr;
    return p && p != g->HeadTree() ? p : nullptr;
  };
  std::vector<THeadTreeNode*> cur(size_t(n), nullptr);
  std::vector<Integer> acc(size_t(n), 0);
  for (Integer i = 0; i < n; ++i) {
    cur[size_t(i)] = g->LeafOfColumn(Columns[i]->Index());
    acc[size_t(i)] = cur[size_t(i)] ? cur[size_t(i)]->Height : 0;
  }
  std::vector<std::vector<THeadTreeNode*>> levels{cur};
  for (;;) {
    Integer low = 0;
    bool any = false;
    for (Integer i = 0; i < n; ++i)
      if (hostOf(cur[size_t(i)]) && (!any || acc[size_t(i)] < low)) low = acc[size_t(i)], any = true;
    if (!any) break;
    for (Integer i = 0; i < n; ++i)
      if (acc[size_t(i)] == low && hostOf(cur[size_t(i)])) {
        cur[size_t(i)] = hostOf(cur[size_t(i)]);
        acc[size_t(i)] += cur[size_t(i)]->Height;
      }
    levels.push_back(cur);
  }

  // Cells covered by a spanning header: which of their edges are inner.
  std::set<std::pair<Integer, Integer>> noLeft, noRight, noTop, noBottom;
  Integer ppi = LogPixelsX();
  String m = IntToStr(Integer(std::lround(double(g->VTitleMargin()) / 2 / ppi * 1440 - 20)));
  for (Integer l = Integer(levels.size()) - 1; l >= 0; --l) {
    std::vector<THeadTreeNode*>& row = levels[size_t(l)];
    for (Integer c = 0; c < n; ++c) {
      THeadTreeNode* node = row[size_t(c)];
      if (!node) continue;
      Integer rows = 1, cols = 1;
      while (l - rows >= 0 && levels[size_t(l - rows)][size_t(c)] == node) ++rows;
      while (c + cols < n && row[size_t(c + cols)] == node) ++cols;
      for (Integer lv = l; lv > l - rows; --lv)
        for (Integer cc = c; cc < c + cols; ++cc) {
          if (lv != l || cc != c) levels[size_t(lv)][size_t(cc)] = nullptr;
          if (cc != c) noLeft.insert({cc, lv});
          if (cc != c + cols - 1) noRight.insert({cc, lv});
          if (lv != l) noTop.insert({cc, lv});
          if (lv != l - rows + 1) noBottom.insert({cc, lv});
        }
    }
    std::vector<TColor> shading;
    std::vector<bool> borders;
    for (Integer c = 0; c < n; ++c) {
      shading.push_back(l > 0 ? g->FixedColor() : Columns[c]->Title()->Color());
      std::pair<Integer, Integer> k{c, l};
      borders.push_back(!noLeft.count(k));
      borders.push_back(!noTop.count(k));
      borders.push_back(!noRight.count(k));
      borders.push_back(!noBottom.count(k));
    }
    EmitRowStart(Columns, shading, &borders);
    for (Integer c = 0; c < n; ++c) {
      THeadTreeNode* node = row[size_t(c)];
      TFont* font = l > 0 ? g->TitleFont() : Columns[c]->Title()->Font();
      TColor color = l > 0 ? g->FixedColor() : Columns[c]->Title()->Color();
      Emit(node ? "\\pard\\intbl{\\qc\\sb" + m + "\\sa" + m : String("\\pard\\intbl{\\qc"));
      EmitRtfText(font, node ? node->Text : String(), color);
      Emit("\\cell}\r\n");
    }
    Emit("\\pard\\intbl\\row}\r\n");
  }
}

void TDBGridEhExportAsRTF::WriteTitleRow(const TColumnsEhList& Columns) {
  if (Grid()->UseMultiTitle() && Grid()->HeadTree()) {
    WriteMultiTitleRows(Columns);
    return;
  }
  std::vector<TColor> shading;
  for (Integer i = 0; i < Columns.Count(); ++i) shading.push_back(Columns[i]->Title()->Color());
  EmitRowStart(Columns, shading);
  for (Integer i = 0; i < Columns.Count(); ++i) {
    TColumnTitleEh* t = Columns[i]->Title();
    EmitCellStart(t->Alignment());
    EmitRtfText(t->Font(), t->Caption(), t->Color());
    Emit("\\cell}\r\n");
  }
  Emit("\\pard\\intbl\\row}\r\n");
}

void TDBGridEhExportAsRTF::WriteRecordRow(const TColumnsEhList& Columns) {
  // The shading of each cell is the column colour after the grid's
  // cell-parameter event; the texts follow through WriteRecordCell.
  std::vector<TColor> shading;
  for (Integer i = 0; i < Columns.Count(); ++i) shading.push_back(FillCellParams(Columns[i])->Background);
  EmitRowStart(Columns, shading);
  TDBGridEhExport::WriteRecordRow(Columns);
  Emit("\\pard\\intbl\\row}\r\n");
}

void TDBGridEhExportAsRTF::WriteRecordCell(TColumnEh*, TColCellParamsEh* Params) {
  EmitCellStart(Params->Alignment);
  EmitRtfText(Params->Font, Params->Text, Params->Background);
  Emit("\\cell}\r\n");
}

void TDBGridEhExportAsRTF::WriteFooterRow(const TColumnsEhList& Columns, Integer FooterNo) {
  std::vector<TColor> shading;
  for (Integer i = 0; i < Columns.Count(); ++i) shading.push_back(FooterCell(i, FooterNo, Columns[i]).Background);
  EmitRowStart(Columns, shading);
  TDBGridEhExport::WriteFooterRow(Columns, FooterNo);
  Emit("\\pard\\intbl\\row}\r\n");
}

void TDBGridEhExportAsRTF::WriteFooterCellText(Integer, Integer, const String& Text, TAlignment Alignment,
                                               TColor Background, TFont* AFont, TColumnEh*) {
  EmitCellStart(Alignment);
  EmitRtfText(AFont, Text, Background);
  Emit("\\cell}\r\n");
}

void TDBGridEhExportAsRTF::WriteClosing() {}

void TDBGridEhExportAsRTF::ExportStream(TStream* AStream, bool WholeGrid) {
  FColorTable.clear();
  FFontTable.clear();
  FLogPixelsX = 0;
  RtfColorIndex(clBlack);
  RtfColorIndex(clWhite);
  RtfColorIndex(clBtnFace);
  TMemoryStream cache;
  TDBGridEhExport::ExportStream(&cache, WholeGrid);
  // The document's group is closed also when nothing was exported, so the
  // output is always a whole document.
  Stream = AStream;
  Emit("{\\rtf1\\ansi\\ansicpg936\\deff0\r\n");
  String colors = "{\\colortbl";
  for (const String& e : FColorTable) {
    auto part = [&](size_t at) { return IntToStr(StrToInt(Trim(e.substr(at, 3)))); };
    colors += "\\red" + part(0) + "\\green" + part(3) + "\\blue" + part(6) + ";";
  }
  Emit(colors + "}\r\n");
  String fonts = "{\\fonttbl";
  for (size_t i = 0; i < FFontTable.size(); ++i)
    fonts += "\\f" + IntToStr(Integer(i)) + "\\fnil " + RtfText(FFontTable[i]) + ";";
  Emit(fonts + "}\r\n");
  if (cache.Size() > 0) AStream->WriteBuffer(cache.Memory(), LongInt(cache.Size()));
  Emit("}");
}

// ---------------------------------------------------------------------------
// Import

void TDBGridEhImport::ImportFile(const String& FileName, bool WholeGrid) {
  TFileStream f(FileName, fmOpenRead);
  ImportStream(&f, WholeGrid);
}

void TDBGridEhImport::ReadRecordRow(const TColumnsEhList& Columns) {
  for (Integer i = 0; i < Columns.Count(); ++i) ReadRecordCell(Columns[i]);
}

TField* TDBGridEhImport::TargetField(TColumnEh* Column) {
  if (!Column->CanModifyCell(false)) return nullptr;
  return ValueField(Column);
}

bool TDBGridEhImport::StartEdit(TField* Field) {
  TDataSet* ds = Field->DataSet();
  if (!ds || !ds->CanModify()) return false;
  if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
  return ds->State() == dsEdit || ds->State() == dsInsert;
}

void TDBGridEhImport::GuardedWrite(const std::function<void()>& Write) {
  try {
    Write();
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    if (IgnoreAll) return;
    Integer r = MessageDlg(String("Error during insert value:") + "\n" + e.what() + "\n\n" + "Ignore error?",
                           mtError, TMsgDlgButtons{mbYes, mbNo, mbAll});
    if (r == mrAll)
      IgnoreAll = true;
    else if (r != mrYes)
      Abort();
  }
}

void TDBGridEhImport::InsertImportedRecords(bool AppendMode) {
  TDataSet* ds = GridDataSet(FGrid);
  while (!Eos) {
    if (AppendMode)
      ds->Append();
    else
      ds->Insert();
    ReadRecordRow(*ImpCols);
    ds->Post();
    // The next record goes in front of the record after this one, so the
    // records keep the order of the input.
    if (!AppendMode) ds->Next();
  }
}

void TDBGridEhImport::ImportStream(TStream* AStream, bool WholeGrid) {
  Stream = AStream;
  Eos = false;
  TCustomDBGridEh* g = FGrid;
  TDataSet* ds = GridDataSet(g);
  if (!ds || !ds->Active()) return;
  TDBGridEhSelection* sel = g->Selection();
  if (WholeGrid) {
    sel->Clear();
    ds->First();
    if (g->VisibleColumns().Count() > 0)
      g->SetSelectedIndex(g->VisibleColumns()[0]->Index());
  }
  bool appendMode = ds->Eof();
  bool insertMode = ds->State() == dsInsert;
  std::unique_ptr<TGridViewKeeperEh> keep;
  if (!insertMode) keep = std::make_unique<TGridViewKeeperEh>(g);
  else ds->DisableControls();
  struct TEnable {
    TDataSet* D;
    ~TEnable() {
      if (D) D->EnableControls();
    }
  } enable{insertMode ? ds : nullptr};

  TColumnsEhList cols;
  TDBGridEhSelectionType kind = sel->SelectionType();
  switch (kind) {
    case gstNon: {
      // From the current column to the last one.
      Integer from = g->SelectedIndex();
      cols = VisibleColumnsBetween(g, from < 0 ? 0 : from, g->Columns()->Count() - 1);
      break;
    }
    case gstRectangle: cols = VisibleColumnsBetween(g, sel->Rect()->LeftCol(), sel->Rect()->RightCol()); break;
    case gstColumns: cols = CopyList(*sel->Columns()); break;
    default: cols = CopyList(g->VisibleColumns()); break;
  }
  ImpCols = &cols;
  ReadPrefix();
  if (insertMode) {
    InsertImportedRecords(appendMode);
  } else {
    switch (kind) {
      case gstNon:
        keep->Restore();   // back to the grid's current record
        while (!ds->Eof() && !Eos) {
          ReadRecordRow(cols);
          ds->Next();
        }
        if (!Eos && g->AllowedOperations().Contains(alopAppendEh)) InsertImportedRecords(true);
        break;
      case gstRecordBookmarks:
        for (const TBookmark& b : SelectedBookmarks(g)) {
          if (Eos) break;
          ds->GotoBookmark(b);
          ReadRecordRow(cols);
        }
        break;
      case gstRectangle: {
        TBookmark bottom = sel->Rect()->BottomRow();
        ds->GotoBookmark(sel->Rect()->TopRow());
        while (!ds->Eof() && !Eos) {
          ReadRecordRow(cols);
          if (ds->CompareBookmarks(ds->GetBookmark(), bottom) == 0) break;
          ds->Next();
        }
        break;
      }
      default:
        ds->First();
        while (!ds->Eof() && !Eos) {
          ReadRecordRow(cols);
          ds->Next();
        }
        break;
    }
  }
  // The last record changed is posted by the move back.
  if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Post();
  keep.reset();
  ReadClosing();
}

void ImportGridFromStream(TDBGridEhImport& Importer, TCustomDBGridEh* Grid, TStream* Stream, bool WholeGrid) {
  Importer.SetGrid(Grid);
  Importer.ImportStream(Stream, WholeGrid);
}

// ---------------------------------------------------------------------------
// Text reader

void TDBGridEhImportAsText::ImportStream(TStream* AStream, bool WholeGrid) {
  IgnoreAll = false;
  Int64 pos = AStream->Position();
  FSize = AStream->Size() - pos;
  TDBGridEhImport::ImportStream(AStream, WholeGrid);
}

bool TDBGridEhImportAsText::NextChar(char& C) {
  if (FSize <= 0) return false;
  if (Stream->Read(&C, 1) != 1) {
    FSize = 0;
    return false;
  }
  --FSize;
  // Clipboard text ends with a 0 byte: the very last byte of the input is
  // dropped only when it is that terminator.
  if (FSize == 0 && C == '\0') return false;
  return true;
}

Byte TDBGridEhImportAsText::CheckState() {
  char c;
  if (!NextChar(c)) {
    Eos = true;
    return LastState = 3;
  }
  Ch = c;
  if (c == '\t') return LastState = 1;
  if (c == '\r') {
    char n;
    if (NextChar(n) && n == '\n') return LastState = 2;
    throw Exception(String("TDBGridEhImportAsText.CheckState: ") + SInvalidTextFormatEh);
  }
  return LastState = 0;
}

void TDBGridEhImportAsText::ReadCellText() {
  LastString = String(1, Ch);
  while (CheckState() == 0) LastString.push_back(Ch);
  if (LastState == 1) CheckState();
}

void TDBGridEhImportAsText::ReadPrefix() { CheckState(); }

void TDBGridEhImportAsText::ReadRecordRow(const TColumnsEhList& Columns) {
  if (LastState == 3) return;
  Integer i = 0;
  if (LastState == 0) {
    ReadCellText();
    if (i < Columns.Count()) ReadRecordCell(Columns[i]);
    ++i;
  }
  while (LastState != 2 && LastState != 3) {
    if (LastState == 1) {
      LastString.clear();
      CheckState();
    } else {
      ReadCellText();
    }
    if (i < Columns.Count()) ReadRecordCell(Columns[i]);
    ++i;
  }
  if (LastState == 2) CheckState();
}

void TDBGridEhImportAsText::ReadRecordCell(TColumnEh* Column) {
  TField* own = Column->Field();
  if (own && own->Lookup() && own->KeyFields().empty()) return;
  TField* f = TargetField(Column);
  if (!f) return;
  GuardedWrite([&] {
    if (!StartEdit(f)) return;
    if (own->Lookup()) {
      TDataSet* lookup = own->LookupDataSet();
      if (lookup && lookup->Locate(own->LookupResultField(), Variant(LastString), {loCaseInsensitive, loPartialKey}))
        f->SetValue(lookup->FieldValues(own->LookupKeyFields()));
      return;
    }
    TStrings* pick = Column->PickList();
    TStrings* keys = Column->KeyList();
    if (pick->Count() > 0 && keys->Count() > 0) {
      // The text shown goes back to the key it stands for.
      Integer i = pick->IndexOf(LastString);
      if (i >= 0 && i < keys->Count())
        f->SetAsString(keys->Strings(i));
      else
        f->Clear();
      return;
    }
    f->SetAsString(LastString);
  });
}

// ---------------------------------------------------------------------------
// VCLDBIF reader

void TDBGridEhImportAsVCLDBIF::ImportStream(TStream* AStream, bool WholeGrid) {
  IgnoreAll = false;
  FMatchByFieldNames = false;
  FFieldNames.clear();
  TDBGridEhImport::ImportStream(AStream, WholeGrid);
}

void TDBGridEhImportAsVCLDBIF::FormatError() {
  throw Exception(String("TDBGridEhImportAsVCLDBIF.ReadPrefix: ") + SInvalidVCLDBIFFormatEh);
}

void TDBGridEhImportAsVCLDBIF::ReadExact(void* Buffer, Integer Count) {
  if (Count < 0 || Stream->Read(Buffer, Count) != Count) FormatError();
}

void TDBGridEhImportAsVCLDBIF::ReadPrefix() {
  char head[12];
  if (Stream->Read(head, 12) != 12 || std::memcmp(head, VCLDBIFSignature, 7) != 0) FormatError();
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= uint32_t(Byte(head[8 + i])) << (8 * i);
  FColCount = int32_t(n);
  // Every descriptor takes at least two bytes: a count the input cannot
  // hold is damage, not a reason to reserve memory for it.
  Int64 left = Stream->Size() - Stream->Position();
  if (FColCount < 0 || Int64(FColCount) * 2 > left) FormatError();
  for (Integer i = 0; i < FColCount; ++i) {
    char visible;
    ReadExact(&visible, 1);
    String name;
    for (char c;;) {
      ReadExact(&c, 1);
      if (c == '\0') break;
      name.push_back(c);
    }
    if (!name.empty()) FMatchByFieldNames = true;
    FFieldNames.push_back(GbkToUtf8(name));
  }
  ReadNextValue();
}

void TDBGridEhImportAsVCLDBIF::ReadNextValue() {
  if (Eos) return;
  Byte tag;
  ReadExact(&tag, 1);
  FPendingValue = Variant();
  FPendingTag = tag;
  switch (tag) {
    case tagEnd: Eos = true; break;
    case tagNone: break;
    case tagNull: FPendingValue = Variant::Null(); break;
    case tagInteger: {
      Byte b[4];
      ReadExact(b, 4);
      uint32_t u = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
      FPendingValue = Variant(Integer(int32_t(u)));
      break;
    }
    case tagFloat: {
      double d;
      ReadExact(&d, 8);
      FPendingValue = Variant(d);
      break;
    }
    case tagText:
    case tagBinary: {
      Byte b[4];
      ReadExact(b, 4);
      int32_t len = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
      Int64 left = Stream->Size() - Stream->Position();
      if (len < 0 || Int64(len) > left) FormatError();
      std::string bytes(size_t(len), '\0');
      ReadExact(bytes.data(), len);
      FPendingValue = Variant(tag == tagText ? GbkToUtf8(bytes) : String(bytes));
      break;
    }
    default: FormatError();
  }
}

void TDBGridEhImportAsVCLDBIF::ReadRecordRow(const TColumnsEhList& Columns) {
  for (Integer i = 0; i < FColCount && !Eos; ++i) {
    if (i < Columns.Count())
      ReadRecordCell(Columns[i]);
    else
      ReadNextValue();
  }
}

void TDBGridEhImportAsVCLDBIF::ReadRecordCell(TColumnEh* Column) {
  if (!FPendingValue.IsEmpty()) {
    if (TField* f = TargetField(Column)) {
      GuardedWrite([&] {
        if (!StartEdit(f)) return;
        // Wide text travels as code page bytes; binary values as they are.
        if (FPendingTag == tagBinary && f->DataType() == ftWideString)
          f->SetValue(Variant(GbkToUtf8(FPendingValue.AsString())));
        else
          f->SetValue(FPendingValue);
      });
    }
  }
  ReadNextValue();
}

// ---------------------------------------------------------------------------
// Clipboard

UINT CF_VCLDBIF() {
  static const UINT f = RegisterClipboardFormatName("VCLDBIF");
  return f;
}

UINT CF_CSV() {
  static const UINT f = RegisterClipboardFormatName("Csv");
  return f;
}

UINT CF_RICH_TEXT() {
  static const UINT f = RegisterClipboardFormatName("Rich Text Format");
  return f;
}

namespace {

struct TClipboardOpen {
  TClipboardOpen() { Clipboard()->Open(); }
  ~TClipboardOpen() { Clipboard()->Close(); }
};

String StreamBytes(TMemoryStream& S) {
  return String(static_cast<const char*>(S.Memory()), size_t(S.Size()));
}

}  // namespace

void CopyGridSelectionToClipboard(TCustomDBGridEh* Grid, bool WholeGrid) {
  TDataSet* ds = GridDataSet(Grid);
  if (!ds || !ds->Active()) return;
  TClipboardOpen open;
  ds->DisableControls();
  struct TEnable {
    TDataSet* D;
    ~TEnable() { D->EnableControls(); }
  } enable{ds};
  TMemoryStream s;
  auto run = [&](TDBGridEhExport&& e) {
    s.Clear();
    ExportGridToStream(e, Grid, &s, WholeGrid);
    return StreamBytes(s);
  };
  Clipboard()->SetAsText(run(TDBGridEhExportAsText()));
  Clipboard()->SetAsBytes(CF_CSV(), run(TDBGridEhExportAsCSV()) + String(1, '\0'));
  Clipboard()->SetAsBytes(CF_RICH_TEXT(), run(TDBGridEhExportAsRTF()) + String(1, '\0'));
  Clipboard()->SetAsBytes(CF_VCLDBIF(), run(TDBGridEhExportAsVCLDBIF()));
}

void PasteClipboardIntoGrid(TCustomDBGridEh* Grid, bool WholeGrid) {
  TClipboardOpen open;
  TMemoryStream s;
  if (Clipboard()->HasFormat(CF_VCLDBIF())) {
    String bytes = Clipboard()->GetAsBytes(CF_VCLDBIF());
    s.WriteBuffer(bytes.data(), LongInt(bytes.size()));
    s.SetPosition(0);
    ImportGridFromStream<TDBGridEhImportAsVCLDBIF>(Grid, &s, WholeGrid);
  } else if (Clipboard()->HasFormat(CF_UNICODETEXT) || Clipboard()->HasFormat(CF_TEXT)) {
    String text = Clipboard()->AsText() + String(1, '\0');
    s.WriteBuffer(text.data(), LongInt(text.size()));
    s.SetPosition(0);
    ImportGridFromStream<TDBGridEhImportAsText>(Grid, &s, WholeGrid);
  }
}

void CutGridSelectionToClipboard(TCustomDBGridEh* Grid, bool WholeGrid) {
  CopyGridSelectionToClipboard(Grid, WholeGrid);
  DeleteGridSelection(Grid, WholeGrid);
}

namespace {

void ClearSelectedCellsOfRecord(const TColumnsEhList& Columns) {
  for (Integer i = 0; i < Columns.Count(); ++i) {
    TColumnEh* c = Columns[i];
    if (!c->CanModifyCell(false)) continue;
    TField* f = ValueField(c);
    TDataSet* ds = f ? f->DataSet() : nullptr;
    if (!ds || !ds->CanModify()) continue;
    if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
    if (ds->State() == dsEdit || ds->State() == dsInsert) f->Clear();
  }
}

}  // namespace

void DeleteGridSelection(TCustomDBGridEh* Grid, bool WholeGrid) {
  TDBGridEhSelection* sel = Grid->Selection();
  TDBGridEhSelectionType kind = WholeGrid ? gstAll : sel->SelectionType();
  TDataSet* ds = GridDataSet(Grid);
  if (kind == gstNon || !ds || !ds->Active()) return;
  if (Grid->Options().Contains(dgConfirmDelete)) {
    String question;
    if (kind == gstRecordBookmarks)
      question = Grid->SelectedRows()->Count() < 2 ? "Delete record?" : "Delete all selected records?";
    else if (kind == gstRectangle)
      question = "Clear selected cells?";
    if (!question.empty() && MessageDlg(question, mtConfirmation, mbOKCancel) != mrOk) return;
  }
  TGridViewKeeperEh keep(Grid);
  switch (kind) {
    case gstRecordBookmarks: {
      for (const TBookmark& b : SelectedBookmarks(Grid)) {
        if (!ds->BookmarkValid(b)) continue;
        ds->GotoBookmark(b);
        ds->Delete();
      }
      sel->Clear();
      break;
    }
    case gstRectangle: {
      TColumnsEhList cols = VisibleColumnsBetween(Grid, sel->Rect()->LeftCol(), sel->Rect()->RightCol());
      TBookmark bottom = sel->Rect()->BottomRow();
      ds->GotoBookmark(sel->Rect()->TopRow());
      while (!ds->Eof()) {
        ClearSelectedCellsOfRecord(cols);
        if (ds->CompareBookmarks(ds->GetBookmark(), bottom) == 0) break;
        ds->Next();
      }
      break;
    }
    case gstColumns: {
      TColumnsEhList cols = CopyList(*sel->Columns());
      ds->First();
      while (!ds->Eof()) {
        ClearSelectedCellsOfRecord(cols);
        ds->Next();
      }
      break;
    }
    default:
      ds->First();
      while (!ds->Eof()) ds->Delete();
      break;
  }
  if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Post();
}
