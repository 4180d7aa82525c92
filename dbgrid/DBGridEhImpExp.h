// Export of a data grid's selection (or of the whole grid) as tab-separated
// text, CSV, RTF or the library's binary grid-data format "VCLDBIF"; import
// of text and VCLDBIF back into the grid's dataset; and the grid's
// clipboard commands (copy, cut, paste, delete) built on them.
#pragma once
#include <memory>
#include <vector>

#include "DBGridEh.h"

class TMemoryStreamEh;

using TFooterValues = std::vector<Currency>;

// ---------------------------------------------------------------------------
// Export.

class TDBGridEhExport : public TObject {
  TOVANI_CLASS(TDBGridEhExport, TObject)
 public:
  TDBGridEhExport();
  ~TDBGridEhExport() override;
  TCustomDBGridEh* Grid() const { return FGrid; }
  void SetGrid(TCustomDBGridEh* v) { FGrid = v; }
  // WholeGrid exports every record with the visible columns; otherwise the
  // grid's selection decides (nothing at all without one).
  virtual void ExportStream(TStream* AStream, bool WholeGrid);
  void ExportFile(const String& FileName, bool WholeGrid);

 protected:
  virtual void WriteOpening() {}
  virtual void WriteClosing() {}
  virtual void WriteTitleRow(const TColumnsEhList& Columns) {}
  virtual void WriteRecordRow(const TColumnsEhList& Columns);
  virtual void WriteRecordCell(TColumnEh* Column, TColCellParamsEh* Params) {}
  virtual void WriteFooterRow(const TColumnsEhList& Columns, Integer FooterNo);
  virtual void WriteFooterCellText(Integer DataCol, Integer FooterNo, const String& Text, TAlignment Alignment,
                                   TColor Background, TFont* AFont, TColumnEh* Column) {}

  // The cell parameters of a column for the current record, after the
  // grid's cell-parameter event.
  TColCellParamsEh* FillCellParams(TColumnEh* Column);
  // The footer of a column for FooterNo with its text and parameters after
  // the grid's footer-parameter event.
  struct TFooterCell {
    String Text;
    TAlignment Alignment = taLeftJustify;
    TColor Background = clWindow;
    TFont* Font = nullptr;
  };
  TFooterCell FooterCell(Integer Position, Integer FooterNo, TColumnEh* Column);
  void AccumulateFooterValues();
  String FooterValueText(Integer FooterNo, Integer Position);
  void Emit(const String& Bytes);

  TStream* Stream = nullptr;
  const TColumnsEhList* ExpCols = nullptr;
  TFooterValues FooterValues;
  std::unique_ptr<TColCellParamsEh> CellParams;

 private:
  TField* FooterField(Integer FooterNo, Integer Position);
  TCustomDBGridEh* FGrid = nullptr;
  std::unique_ptr<TFont> FCellFont, FFooterFont;
};

// Tab-separated text: one line per row, CR LF between lines, none after the last.
class TDBGridEhExportAsText : public TDBGridEhExport {
  TOVANI_CLASS(TDBGridEhExportAsText, TDBGridEhExport)
 public:
  void ExportStream(TStream* AStream, bool WholeGrid) override;

 protected:
  void WriteTitleRow(const TColumnsEhList& Columns) override;
  void WriteRecordRow(const TColumnsEhList& Columns) override;
  void WriteRecordCell(TColumnEh* Column, TColCellParamsEh* Params) override;
  void WriteFooterRow(const TColumnsEhList& Columns, Integer FooterNo) override;
  void WriteFooterCellText(Integer DataCol, Integer FooterNo, const String& Text, TAlignment Alignment,
                           TColor Background, TFont* AFont, TColumnEh* Column) override;
  virtual void StartRow();
  virtual void StartCell();
  virtual String CellText(const String& Text) { return Text; }

  bool FirstRow = true;
  bool FirstCellOfRow = true;
};

// The same with every value in double quotes and ";" between values.
class TDBGridEhExportAsCSV : public TDBGridEhExportAsText {
  TOVANI_CLASS(TDBGridEhExportAsCSV, TDBGridEhExportAsText)
 public:
  char Separator = ';';

 protected:
  void StartCell() override;
  String CellText(const String& Text) override;
};

// The binary grid-data format: field values with their types, no titles
// and no footers. Texts are code page 936 bytes.
class TDBGridEhExportAsVCLDBIF : public TDBGridEhExport {
  TOVANI_CLASS(TDBGridEhExportAsVCLDBIF, TDBGridEhExport)
 protected:
  void WriteOpening() override;
  void WriteClosing() override;
  void WriteRecordCell(TColumnEh* Column, TColCellParamsEh* Params) override;
};

// An RTF table with the grid's look: column widths, shading, fonts,
// colours and alignment. Declares code page 936 (\ansicpg936) and writes
// Chinese text as its code page bytes, so readers on any system get it;
// characters outside the code page go as \uN escapes.
class TDBGridEhExportAsRTF : public TDBGridEhExport {
  TOVANI_CLASS(TDBGridEhExportAsRTF, TDBGridEhExport)
 public:
  void ExportStream(TStream* AStream, bool WholeGrid) override;

 protected:
  void WriteClosing() override;
  void WriteTitleRow(const TColumnsEhList& Columns) override;
  void WriteRecordRow(const TColumnsEhList& Columns) override;
  void WriteRecordCell(TColumnEh* Column, TColCellParamsEh* Params) override;
  void WriteFooterRow(const TColumnsEhList& Columns, Integer FooterNo) override;
  void WriteFooterCellText(Integer DataCol, Integer FooterNo, const String& Text, TAlignment Alignment,
                           TColor Background, TFont* AFont, TColumnEh* Column) override;

 public:
  // The RTF text of a plain text: "\", "{" and "}" escaped, line breaks as
  // \line, characters beyond ASCII as code page 936 bytes (\'xx).
  static String RtfText(const String& Text);

 private:
  Integer RtfColorIndex(TColor Color);
  Integer RtfFontIndex(const String& Name);
  static String RtfAlignmentWord(TAlignment Alignment);
  void EmitRtfText(TFont* AFont, const String& Text, TColor Background);
  void EmitCellBorders(bool Left, bool Top, bool Right, bool Bottom);
  // The row frame: cell definitions with the given shadings (and borders:
  // four flags per cell, all drawn when none are given), then the opening
  // of the row's cells.
  void EmitRowStart(const TColumnsEhList& Columns, const std::vector<TColor>& Shading,
                    const std::vector<bool>* Borders = nullptr);
  // The title rows of multi-line titles: a group header is one cell whose
  // inner borders are left out, its text in its top-left cell.
  void WriteMultiTitleRows(const TColumnsEhList& Columns);
  void EmitCellStart(TAlignment Alignment);
  String Spacing() const;
  Integer LogPixelsX();

  std::vector<String> FColorTable;
  std::vector<String> FFontTable;
  std::vector<TColor> FRowShading;
  Integer FLogPixelsX = 0;
};

// Runs an exporter over the grid: ExportGridToStream<TDBGridEhExportAsCSV>(grid, stream, false).
void ExportGridToStream(TDBGridEhExport& Exporter, TCustomDBGridEh* Grid, TStream* Stream, bool WholeGrid);
void ExportGridToFile(TDBGridEhExport& Exporter, TCustomDBGridEh* Grid, const String& FileName, bool WholeGrid);
template <class TExporter>
void ExportGridToStream(TCustomDBGridEh* Grid, TStream* Stream, bool WholeGrid) {
  TExporter e;
  ExportGridToStream(e, Grid, Stream, WholeGrid);
}
template <class TExporter>
void ExportGridToFile(TCustomDBGridEh* Grid, const String& FileName, bool WholeGrid) {
  TExporter e;
  ExportGridToFile(e, Grid, FileName, WholeGrid);
}

// ---------------------------------------------------------------------------
// Import.

extern const char* const SInvalidTextFormatEh;
extern const char* const SInvalidVCLDBIFFormatEh;

class TDBGridEhImport : public TObject {
  TOVANI_CLASS(TDBGridEhImport, TObject)
 public:
  TCustomDBGridEh* Grid() const { return FGrid; }
  void SetGrid(TCustomDBGridEh* v) { FGrid = v; }
  // Writes the input into the fields of the grid's columns: over the
  // selection, or from the current record on (appending what is left when
  // the grid allows it); WholeGrid starts at the first record.
  virtual void ImportStream(TStream* AStream, bool WholeGrid);
  void ImportFile(const String& FileName, bool WholeGrid);

 protected:
  virtual void ReadPrefix() {}
  virtual void ReadClosing() {}
  virtual void ReadRecordRow(const TColumnsEhList& Columns);
  virtual void ReadRecordCell(TColumnEh* Column) {}

  // The field a column writes: its own, or the key field behind a lookup
  // field; null when there is none or the column may not be changed.
  TField* TargetField(TColumnEh* Column);
  // Puts the field's dataset into edit state; false when it cannot be edited.
  bool StartEdit(TField* Field);
  // Runs a write of one value; a rejected value asks whether to go on.
  void GuardedWrite(const std::function<void()>& Write);

  TStream* Stream = nullptr;
  const TColumnsEhList* ImpCols = nullptr;
  bool Eos = false;
  bool IgnoreAll = false;

 private:
  void InsertImportedRecords(bool AppendMode);
  TCustomDBGridEh* FGrid = nullptr;
};

// Tab-separated text as the text export writes it (UTF-8). A 0 byte at the
// very end (the terminator of clipboard text) ends the input.
class TDBGridEhImportAsText : public TDBGridEhImport {
  TOVANI_CLASS(TDBGridEhImportAsText, TDBGridEhImport)
 public:
  void ImportStream(TStream* AStream, bool WholeGrid) override;

 protected:
  void ReadPrefix() override;
  void ReadRecordRow(const TColumnsEhList& Columns) override;
  void ReadRecordCell(TColumnEh* Column) override;

 private:
  bool NextChar(char& C);
  Byte CheckState();
  void ReadCellText();
  Byte LastState = 0;
  char Ch = 0;
  String LastString;
  Int64 FSize = 0;
};

class TDBGridEhImportAsVCLDBIF : public TDBGridEhImport {
  TOVANI_CLASS(TDBGridEhImportAsVCLDBIF, TDBGridEhImport)
 public:
  void ImportStream(TStream* AStream, bool WholeGrid) override;
  bool MatchByFieldNames() const { return FMatchByFieldNames; }
  const std::vector<String>& FieldNames() const { return FFieldNames; }

 protected:
  void ReadPrefix() override;
  void ReadRecordRow(const TColumnsEhList& Columns) override;
  void ReadRecordCell(TColumnEh* Column) override;

 private:
  [[noreturn]] void FormatError();
  void ReadExact(void* Buffer, Integer Count);
  void ReadNextValue();
  Integer FColCount = 0;
  std::vector<String> FFieldNames;
  bool FMatchByFieldNames = false;
  Variant FPendingValue;
  Byte FPendingTag = 1;
};

void ImportGridFromStream(TDBGridEhImport& Importer, TCustomDBGridEh* Grid, TStream* Stream, bool WholeGrid);
template <class TImporter>
void ImportGridFromStream(TCustomDBGridEh* Grid, TStream* Stream, bool WholeGrid) {
  TImporter i;
  ImportGridFromStream(i, Grid, Stream, WholeGrid);
}

// ---------------------------------------------------------------------------
// Clipboard.

// The registered clipboard formats "VCLDBIF", "Csv" and "Rich Text Format".
UINT CF_VCLDBIF();
UINT CF_CSV();
UINT CF_RICH_TEXT();

// Copy puts the selection (or every record) on the clipboard as Unicode
// text, "Csv", "Rich Text Format" and "VCLDBIF"; paste prefers "VCLDBIF"
// and falls back to text; cut is copy then delete; delete removes the
// selected records or clears the selected cells, after a confirmation.
void CopyGridSelectionToClipboard(TCustomDBGridEh* Grid, bool WholeGrid);
void CutGridSelectionToClipboard(TCustomDBGridEh* Grid, bool WholeGrid);
void PasteClipboardIntoGrid(TCustomDBGridEh* Grid, bool WholeGrid);
void DeleteGridSelection(TCustomDBGridEh* Grid, bool WholeGrid);
