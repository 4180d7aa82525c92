// The Windows side of the database file helpers: path translation by Wine.
#include "DatabaseFile.h"

#include <windows.h>
#include "Utf8.h"

String ToUnixPath(const String& path) {
  if (path.empty() || path[0] == '/') return path;
  std::u16string w = Utf8ToUtf16(path);
  char* unix = wine_get_unix_file_name(reinterpret_cast<LPCWSTR>(w.c_str()));
  if (!unix) return path;
  String out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}
