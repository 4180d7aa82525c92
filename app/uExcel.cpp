#include "uExcel.h"

#include <windows.h>

#include <algorithm>
#include <functional>

#include "SysUtils.h"
#include "Utf8.h"
#include "uDataForm.h"

TExcel::TExcel(const String& fileName, bool openFlag) {
  if (openFlag) {
    WorkBook = TWorkbook::Open(fileName);
    FSavedName = fileName;
  } else {
    WorkBook = fileName.empty() ? TWorkbook::CreateNew() : TWorkbook::CreateFromTemplate(fileName);
  }
  Sheet = &WorkBook->Sheet(1);
}

TExcel::~TExcel() {
  if (!IsVisible) Quit();
}

void TExcel::Quit() {
  if (WorkBook) WorkBook->Saved = true;
}

void TExcel::SaveAs(const String& fileName) {
  WorkBook->SaveAs(fileName);
  FSavedName = fileName;
}

void TExcel::SetVisible(bool value) {
  IsVisible = value;
  if (!value) return;
  if (FSavedName.empty() || !WorkBook->Saved) {
    if (FSavedName.empty()) {
      // Beside the program, where the user finds it again (a temporary
      // folder would hide it when no program can show it).
      SYSTEMTIME t;
      GetLocalTime(&t);
      FSavedName = ProgramFolder() + Format("工作簿%.4d%.2d%.2d%.2d%.2d%.2d%.3d.xlsx",
                                            {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
    }
    WorkBook->SaveAs(FSavedName);
  }
  try {
    OpenWithDefaultApplication(FSavedName);
  } catch (const EWorkbookError&) {
    // No program of the desktop opens workbooks: the file is there all the
    // same, and the user is told where.
    MsgInfo(GetActiveWindow(), "本机没有可以打开 Excel 工作簿的程序。\n工作簿已保存为：\n" + FSavedName);
  }
}

void TExcel::SetCellValue(int row, int col, const Variant& value) {
  switch (value.Kind()) {
    case varEmpty:
    case varNull:
      Sheet->ClearCell(row, col);
      break;
    case varBoolean:
      Sheet->SetBoolean(row, col, value.AsBoolean());
      break;
    case varDate:
      Sheet->SetDate(row, col, value.AsDouble());
      break;
    case varString:
    case varOleStr:
    case varStrArg:
      Sheet->SetText(row, col, value.AsString());
      break;
    default:
      Sheet->SetNumber(row, col, value.AsDouble());
  }
}

void TExcel::SetCellText(int row, int col, const Variant& value) {
  Sheet->SetNumberFormat(row, col, "@");
  Sheet->SetText(row, col, VarToStr(value));
}

void TExcel::ForEachCell(const String& range, const std::function<void(int, int)>& f) {
  auto r = TWorksheet::ParseRange(range);
  // A whole-row range is written only where the sheet has columns in use.
  int right = r.Right == 16384 ? std::max(1, Sheet->MaxColumn()) : r.Right;
  for (int row = r.Top; row <= r.Bottom; ++row)
    for (int col = r.Left; col <= right; ++col) f(row, col);
}

void TExcel::SetRangeValue(const String& range, const Variant& value) {
  ForEachCell(range, [&](int row, int col) { SetCellValue(row, col, value); });
}

void TExcel::SetRangeText(const String& range, const Variant& value) {
  ForEachCell(range, [&](int row, int col) { SetCellText(row, col, value); });
}
