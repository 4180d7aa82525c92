#include "SysUtils.h"
#include "gtest.h"

TEST(FileNames, TakenApart) {
  struct { const char* name; const char* file; const char* path; const char* ext; } cases[] = {
      {"C:\\price\\P0001.xls", "P0001.xls", "C:\\price\\", ".xls"},
      {"/tmp/a.b/c", "c", "/tmp/a.b/", ""},
      {"C:name.txt", "name.txt", "C:", ".txt"},
      {"报价单.xlsx", "报价单.xlsx", "", ".xlsx"},
      {"C:\\dir.d\\", "", "C:\\dir.d\\", ""},
  };
  for (auto& c : cases) {
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
  }
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\c.xls", ".xlsx"), "C:\\a.b\\c.xlsx");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\c", ".xlsx"), "C:\\a.b\\c.xlsx");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\a\\\\"), "C:\\a");
}
