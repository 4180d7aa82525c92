#include "HostFiles.h"

#include <windows.h>

#include "Utf8.h"

String HostFileName(const String& path) {
  if (path.empty() || path[0] == '/') return path;
  std::u16string w = Utf8ToUtf16(path);
  char* host = wine_get_unix_file_name(reinterpret_cast<LPCWSTR>(w.c_str()));
  if (!host) return path;
  String out(host);
  HeapFree(GetProcessHeap(), 0, host);
  return out;
}
