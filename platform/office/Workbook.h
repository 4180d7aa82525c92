// Spreadsheet workbooks in the .xlsx package format: what the program's
// export windows need of a spreadsheet program, without one. A workbook is
// made empty or from a template, its cells written as numbers, texts, dates
// or flags with their number formats, row blocks copied and pasted, pictures
// placed and sized at cells; it is saved as .xlsx and can be opened with the
// desktop's default application.
//
// Rows and columns count from 1. Positions and sizes of pictures are in
// points, measured from the sheet's top left corner, as a spreadsheet
// program's automation interface reports them.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "System.h"

TOVANI_EXCEPTION(EWorkbookError, Exception)

enum class TWorkbookCellKind { Empty, Number, Text, Boolean, Formula, Error };

struct TWorkbookCell {
  TWorkbookCellKind Kind = TWorkbookCellKind::Empty;
  double Number = 0;       // Number and Boolean (0/1)
  String Text;             // Text, the formula of Formula (without "="), Error
  int Style = 0;           // index into the workbook's cell formats
};

// A picture placed on a sheet. Setting Width or Height with the aspect ratio
// locked scales the other side with it, as a shape range does.
class TWorkbookPicture {
 public:
  double Left = 0, Top = 0;        // points from the sheet's top left corner
  double Width() const { return FWidth; }
  double Height() const { return FHeight; }
  void SetWidth(double w);
  void SetHeight(double h);
  bool LockAspectRatio = true;

  String Extension;                // "png", "jpeg" or "gif"
  std::vector<uint8_t> Data;       // the picture file's bytes
  int PixelWidth = 0, PixelHeight = 0;
  String Name;

 private:
  friend class TWorksheet;
  double FWidth = 0, FHeight = 0;
};

struct TWorkbookRowFormat {
  double Height = -1;              // points; -1: the sheet's default
  int Style = -1;                  // row style; -1: none
  bool Hidden = false;
};

struct TWorkbookMerge {
  int Top, Left, Bottom, Right;
};

class TWorkbook;

class TWorksheet {
 public:
  explicit TWorksheet(TWorkbook& book, String name);

  const String& Name() const { return FName; }
  TWorkbook& Workbook() const { return FBook; }

  // Reading. A cell that was never written reads as Empty.
  const TWorkbookCell& Cell(int row, int col) const;
  String NumberFormat(int row, int col) const;
  int MaxRow() const;
  int MaxColumn() const;

  // Writing keeps the cell's style (borders, fonts) and changes only the
  // value, as assigning a cell's value does.
  void SetNumber(int row, int col, double v);
  void SetText(int row, int col, const String& v);
  void SetBoolean(int row, int col, bool v);
  // A date (days since 1899-12-30) is a number shown with a date format; the
  // time is shown too when the value has one.
  void SetDate(int row, int col, double v);
  void SetFormula(int row, int col, const String& formula);
  void ClearCell(int row, int col);
  void SetNumberFormat(int row, int col, const String& format);

  // Range addresses as the automation interface takes them: "B2" for one
  // cell, "4:6" for whole rows, "A1:C3" for a block. Throws EWorkbookError
  // for anything else.
  struct TRange { int Top, Left, Bottom, Right; };
  static TRange ParseRange(const String& address);

  // Copies whole rows (values, formats, heights, merged cells) to the
  // workbook's copy buffer; Paste puts the buffer at a cell's row. Formulas
  // move their relative references with the block.
  void CopyRows(int first, int last);
  void Paste(int row, int col);

  // Inserts a picture file (PNG, JPEG, GIF; recognised by content) with its
  // top left corner at a cell's top left corner, at its natural size (96
  // pixels an inch). Throws EWorkbookError when the file cannot be read or
  // is no picture.
  TWorkbookPicture& InsertPicture(const String& fileName, int row, int col);
  std::vector<std::unique_ptr<TWorkbookPicture>>& Pictures() { return FPictures; }

  // Sheet geometry in points.
  double ColumnWidthPoints(int col) const;
  double RowHeightPoints(int row) const;
  double ColumnLeft(int col) const;
  double RowTop(int row) const;
  // Column width in characters as stored (-1: default).
  void SetColumnWidth(int col, double chars);
  const TWorkbookRowFormat* RowFormat(int row) const;
  const std::vector<TWorkbookMerge>& Merges() const { return FMerges; }
  void AddMerge(const TWorkbookMerge& m) { FMerges.push_back(m); }

 private:
  friend class TWorkbookPackage;
  TWorkbookCell& Touch(int row, int col);

  TWorkbook& FBook;
  String FName;
  std::map<int, std::map<int, TWorkbookCell>> FRows;      // row → column → cell
  std::map<int, TWorkbookRowFormat> FRowFormats;
  std::map<int, double> FColumnWidths;                     // characters
  double FDefaultColumnWidth = 8.43;                       // characters
  double FDefaultRowHeight = 15;                           // points
  std::vector<TWorkbookMerge> FMerges;
  std::vector<std::unique_ptr<TWorkbookPicture>> FPictures;
  // The template's sheet part, kept so that settings this model does not
  // read (page set-up, views, print areas) are written back unchanged.
  String FSourceXml;
};

class TWorkbook {
 public:
  TWorkbook();
  ~TWorkbook();
  // A new workbook with one empty sheet, or a copy of a template's sheets,
  // cells and formats (the template file is not changed).
  static std::unique_ptr<TWorkbook> CreateNew();
  static std::unique_ptr<TWorkbook> CreateFromTemplate(const String& fileName);
  // Opens a workbook to change it; SaveAs may write it back.
  static std::unique_ptr<TWorkbook> Open(const String& fileName);

  int SheetCount() const { return static_cast<int>(FSheets.size()); }
  TWorksheet& Sheet(int index);          // from 1
  TWorksheet& AddSheet(const String& name);

  // Writes the workbook; an existing file of that name is replaced only
  // when the new one has been written completely.
  void SaveAs(const String& fileName);
  bool Saved = false;

  // Cell formats. Style 0 is the default format.
  int StyleCount() const { return static_cast<int>(FStyles.size()); }
  String StyleNumberFormat(int style) const;
  int StyleWithNumberFormat(int style, const String& format);

 private:
  friend class TWorksheet;
  friend class TWorkbookPackage;
  friend String WorkbookSheetNameProblem(const TWorkbook& book, const String& name);
  struct TStyle {
    int NumFmtId = 0;
    String Xml;        // the template's <xf> element, written back with the new format
  };
  std::vector<std::unique_ptr<TWorksheet>> FSheets;
  std::vector<TStyle> FStyles;
  std::map<int, String> FNumFmts;        // custom number formats by id
  String FStylesXml;                      // the template's styles part
  std::vector<std::pair<String, String>> FExtraParts;  // theme etc., copied as they are
  // Copy buffer of CopyRows.
  struct TCopied {
    int Rows = 0;
    std::map<int, std::map<int, TWorkbookCell>> Cells;  // relative row → column → cell
    std::map<int, TWorkbookRowFormat> RowFormats;
    std::vector<TWorkbookMerge> Merges;
  } FCopied;
};

// Opens a file with the desktop's default application for its type.
void OpenWithDefaultApplication(const String& fileName);
// Tests put a recorder in place of the desktop; an empty function restores it.
void SetDefaultApplicationOpener(std::function<void(const String&)> opener);
