// Changes one part of a package, for tests that need a damaged workbook.
// Linux code: libzip's header must not see _WIN32.
#include <zip.h>

#include <string>

bool ReplacePackagePart(const std::string& hostPath, const std::string& part, const std::string& content) {
  int err = 0;
  zip_t* z = zip_open(hostPath.c_str(), 0, &err);
  if (!z) return false;
  zip_source_t* src = zip_source_buffer(z, content.data(), content.size(), 0);
  bool ok = src && zip_file_add(z, part.c_str(), src, ZIP_FL_OVERWRITE) >= 0;
  return zip_close(z) == 0 && ok;
}
