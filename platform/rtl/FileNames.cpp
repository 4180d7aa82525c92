// File-name routines of the run-time library. Names are the program's own
// (drive letters, "\" or "/" between folders); the routines only take them
// apart, except FileExists and DirectoryExists, which ask the file system.
#include <windows.h>

#include "SysUtils.h"
#include "Utf8.h"

namespace {
bool IsDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

size_t NameStart(const String& name) {
  size_t i = name.size();
  while (i > 0 && !IsDelimiter(name[i - 1])) --i;
  return i;
}

std::u16string Wide(const String& s) { return Utf8ToUtf16(s); }
}  // namespace

String ExtractFileName(const String& fileName) { return fileName.substr(NameStart(fileName)); }

String ExtractFilePath(const String& fileName) { return fileName.substr(0, NameStart(fileName)); }

String ExtractFileExt(const String& fileName) {
  size_t start = NameStart(fileName);
  size_t dot = fileName.rfind('.');
  return (dot == String::npos || dot < start) ? String() : fileName.substr(dot);
}

String ChangeFileExt(const String& fileName, const String& extension) {
  size_t start = NameStart(fileName);
  size_t dot = fileName.rfind('.');
  return ((dot == String::npos || dot < start) ? fileName : fileName.substr(0, dot)) + extension;
}

String IncludeTrailingPathDelimiter(const String& path) {
  return (!path.empty() && (path.back() == '\\' || path.back() == '/')) ? path : path + "\\";
}

String ExcludeTrailingPathDelimiter(const String& path) {
  String p = path;
  while (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  return p;
}

bool FileExists(const String& fileName) {
  auto w = Wide(fileName);
  DWORD a = GetFileAttributesW(reinterpret_cast<LPCWSTR>(w.c_str()));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& dir) {
  auto w = Wide(dir);
  DWORD a = GetFileAttributesW(reinterpret_cast<LPCWSTR>(w.c_str()));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
