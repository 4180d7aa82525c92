// Shared between the workbook model, its package reader and writer and its
// file access; not for users of the workbook.
#pragma once
#include <vector>

#include "Workbook.h"

String WorkbookColumnName(int col);
bool WorkbookParseCellRef(const String& ref, int& row, int& col);
int WorkbookBuiltinFormatId(const String& format);
String WorkbookBuiltinFormat(int id);
bool WorkbookSniffPicture(const std::vector<uint8_t>& data, String& ext, int& w, int& h);
String WorkbookShiftFormulaRows(const String& formula, int delta);
// Why a sheet name cannot be given to another sheet of the book (empty when
// it can): the rules spreadsheet programs keep, and no two alike.
String WorkbookSheetNameProblem(const TWorkbook& book, const String& name);

// File access through the program's own file names (WorkbookFiles.cpp).
std::vector<uint8_t> WorkbookReadFile(const String& fileName);
void WorkbookReadPackage(TWorkbook& book, const String& fileName);
void WorkbookWritePackage(TWorkbook& book, const String& fileName);

// The package itself, on host file names (WorkbookPackage_linux.cpp).
class TWorkbookPackage {
 public:
  static void Read(TWorkbook& book, const String& hostPath, const String& shownName);
  static void Write(TWorkbook& book, const String& hostPath, const String& shownName);
};
