// The program's spreadsheet workbook: a new workbook or one based on a
// template, cells written as values or as texts, saved and shown to the user
// with the desktop's spreadsheet program.
#pragma once
#include <functional>
#include <memory>

#include "System.h"
#include "Variant.h"
#include "Workbook.h"

class TExcel : public TObject {
 public:
  // With openFlag false a new workbook based on fileName as its template
  // (an empty name gives an empty workbook); with openFlag true the file
  // itself, to be changed and saved.
  TExcel(const String& fileName, bool openFlag);
  // Discards the workbook unless it is shown to the user.
  ~TExcel() override;

  std::unique_ptr<TWorkbook> WorkBook;
  TWorksheet* Sheet = nullptr;   // the first sheet; callers may use it directly
  bool IsVisible = false;

  // Forgets the workbook without saving it.
  void Quit();
  // Replaces an existing file of that name.
  void SaveAs(const String& fileName);
  // Shows the workbook in the desktop's spreadsheet program; a workbook
  // that was never saved is saved in the temporary folder first.
  void SetVisible(bool value);
  void SetCellValue(int row, int col, const Variant& value);
  // Writes the value as text with the text format "@", so "00123" stays
  // "00123".
  void SetCellText(int row, int col, const Variant& value);
  void SetRangeValue(const String& range, const Variant& value);
  void SetRangeText(const String& range, const Variant& value);

 private:
  void ForEachCell(const String& range, const std::function<void(int, int)>& f);
  String FSavedName;
};
