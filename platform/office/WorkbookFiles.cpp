// The workbook's file access on the program's side: file names translated
// for the package code, complete-or-nothing saving, and the desktop opener.
#include <windows.h>
#include <shellapi.h>

#include "HostFiles.h"
#include "Utf8.h"
#include "WorkbookInternal.h"

namespace {

std::u16string Wide(const String& s) { return Utf8ToUtf16(s); }
LPCWSTR W(const std::u16string& s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }

String LastErrorText() {
  WCHAR buf[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0,
                           buf, 512, nullptr);
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == '.')) --n;
  return Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(buf), n));
}

}  // namespace

std::vector<uint8_t> WorkbookReadFile(const String& fileName) {
  auto w = Wide(fileName);
  HANDLE h = CreateFileW(W(w), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw EWorkbookError("无法读取 \"" + fileName + "\": " + LastErrorText());
  LARGE_INTEGER size{};
  std::vector<uint8_t> data;
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart <= (64 << 20);
  if (ok) {
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ok = data.empty() || (ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) && got == data.size());
  }
  CloseHandle(h);
  if (!ok) throw EWorkbookError("无法读取 \"" + fileName + "\": 文件太大或无法读取");
  return data;
}

void WorkbookReadPackage(TWorkbook& book, const String& fileName) {
  TWorkbookPackage::Read(book, HostFileName(fileName), fileName);
}

void WorkbookWritePackage(TWorkbook& book, const String& fileName) {
  // Written beside the target first, so a failure leaves an older file of
  // that name as it was.
  String temp = fileName + ".part";
  auto wt = Wide(temp), wf = Wide(fileName);
  try {
    TWorkbookPackage::Write(book, HostFileName(temp), fileName);
  } catch (...) {
    DeleteFileW(W(wt));
    throw;
  }
  if (!MoveFileExW(W(wt), W(wf), MOVEFILE_REPLACE_EXISTING)) {
    String why = LastErrorText();
    DeleteFileW(W(wt));
    throw EWorkbookError("无法保存工作簿 \"" + fileName + "\": " + why);
  }
}

namespace {
std::function<void(const String&)>& Opener() {
  static std::function<void(const String&)> opener;
  return opener;
}
}  // namespace

void SetDefaultApplicationOpener(std::function<void(const String&)> opener) { Opener() = std::move(opener); }

void OpenWithDefaultApplication(const String& fileName) {
  if (Opener()) return Opener()(fileName);
  auto w = Wide(fileName);
  auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", W(w), nullptr, nullptr, SW_SHOWNORMAL));
  if (r <= 32) throw EWorkbookError("没有可以打开 \"" + fileName + "\" 的程序");
}
