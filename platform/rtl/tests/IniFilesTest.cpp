#include "IniFiles.h"
#include "DateUtils.h"
#include "Streams.h"
#include "Strings.h"
#include "TestFiles.h"
#include "gtest.h"

namespace {

class IniFiles : public ScratchFolder {};

std::vector<String> Lines(const TStrings& s) {
  std::vector<String> v;
  for (Integer i = 0; i < s.Count(); ++i) v.push_back(s[i]);
  return v;
}

using V = std::vector<String>;

String FileText(const String& name) {
  TStringList list;
  list.LoadFromFile(name);
  return list.Text();
}

void WriteFile(const String& name, const String& text) {
  TStringStream data(text);
  TMemoryStream m;
  m.LoadFromStream(&data);
  m.SaveToFile(name);
}

}  // namespace

TEST_F(IniFiles, MemIniFileRoundTripWithChineseText) {
  String name = Path("设置.ini");
  Remove("设置.ini");
  {
    TMemIniFile ini(name);
    ini.WriteString("数据库", "路径", "D:\\订单\\data.mdb");
    ini.WriteInteger("窗口", "宽度", 800);
    ini.WriteBool("窗口", "最大化", true);
    ini.WriteString("窗口", "标题", "销售单");
    ini.WriteFloat("窗口", "比例", 1.25);
    EXPECT_FALSE(FileExists(name));  // nothing written before UpdateFile
    ini.UpdateFile();
  }
  EXPECT_EQ(FileText(name),
            "[数据库]\r\n路径=D:\\订单\\data.mdb\r\n\r\n[窗口]\r\n宽度=800\r\n最大化=1\r\n标题=销售单\r\n比例=1.25\r\n");
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString("数据库", "路径", ""), "D:\\订单\\data.mdb");
  EXPECT_EQ(ini.ReadInteger("窗口", "宽度", 0), 800);
  EXPECT_TRUE(ini.ReadBool("窗口", "最大化", false));
  EXPECT_EQ(ini.ReadString("窗口", "无", "缺省"), "缺省");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("窗口", "比例", 0), 1.25);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("窗口", "标题", -1), -1);  // not a number
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(Lines(list), (V{"数据库", "窗口"}));
  ini.ReadSection("窗口", &list);
  EXPECT_EQ(Lines(list), (V{"宽度", "最大化", "标题", "比例"}));
  ini.ReadSectionValues("窗口", &list);
  EXPECT_EQ(Lines(list), (V{"宽度=800", "最大化=1", "标题=销售单", "比例=1.25"}));
}

TEST_F(IniFiles, ParsingIgnoresCaseBlanksAndComments) {
  TMemIniFile ini(Path("none.ini"));
  TStringList text;
  text.SetText(
      "; settings\n"
      "[Main]\n"
      "  Name = Alpha  \n"
      "Count=0x1F\n"
      "Bad=12abc\n"
      "Flag\n"
      ";Hidden=1\n"
      "[other]\n"
      "Name=Beta\n"
      "[MAIN]\n"
      "Extra=yes\n");
  ini.SetStrings(&text);
  struct Case {
    const char* section;
    const char* ident;
    const char* expected;
  };
  for (const Case& c : {Case{"main", "NAME", "Alpha"}, Case{"Other", "name", "Beta"},
                        Case{"Main", "Flag", ""}, Case{"Main", "Hidden", "<none>"},
                        Case{"Main", "Extra", "yes"},  // a repeated section reads as one
                        Case{"Missing", "Name", "<none>"}}) {
    EXPECT_EQ(ini.ReadString(c.section, c.ident, "<none>"), c.expected) << c.section << "/" << c.ident;
  }
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(Lines(sections), (V{"Main", "other"}));  // listed once, as first spelt
  EXPECT_EQ(ini.ReadInteger("Main", "Count", -1), 31);
  EXPECT_EQ(ini.ReadInteger("Main", "Bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Main", "Flag", 7), 7);
  EXPECT_FALSE(ini.ReadBool("Main", "Bad", false));
  EXPECT_TRUE(ini.ValueExists("MAIN", "flag"));
  EXPECT_FALSE(ini.ValueExists("Main", "Hidden"));
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("Missing"));

  // Writes keep comments and the place of existing keys.
  ini.WriteString("MAIN", "name", "Gamma");
  ini.WriteString("Other", "New", "1");
  ini.DeleteKey("Main", "Bad");
  ini.EraseSection("main");
  ini.GetStrings(&text);
  EXPECT_EQ(Lines(text), (V{"; settings", "[other]", "Name=Beta", "New=1"}));
}

TEST_F(IniFiles, ValuesThatWouldBreakTheFileAreRefused) {
  TMemIniFile ini(Path("none.ini"));
  EXPECT_THROW(ini.WriteString("S", "K", "line1\r\nline2"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S", "a=b", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S", ";K", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S\n[T]", "K", "v"), EIniFileException);
  TStringList text;
  ini.GetStrings(&text);
  EXPECT_EQ(text.Count(), 0);
}

TEST_F(IniFiles, IniFileWritesThroughAtOnce) {
  String name = Path("live.ini");
  WriteFile(name, "\xEF\xBB\xBF; 配置\r\n[连接]\r\n服务器=甲\r\n\r\n[其他]\r\nA=1\r\n");
  TIniFile ini(name);
  EXPECT_EQ(ini.ReadString("连接", "服务器", ""), "甲");
  ini.WriteString("连接", "端口", "1433");
  EXPECT_EQ(FileText(name), "; 配置\r\n[连接]\r\n服务器=甲\r\n端口=1433\r\n\r\n[其他]\r\nA=1\r\n");
  // Another writer's change is seen by the next read.
  TIniFile other(name);
  other.WriteString("其他", "A", "2");
  EXPECT_EQ(ini.ReadInteger("其他", "A", 0), 2);
  ini.DeleteKey("其他", "A");
  ini.EraseSection("连接");
  EXPECT_EQ(FileText(name), "; 配置\r\n[其他]\r\n");

  TIniFile unwritable(Path("no-folder/x.ini"));
  EXPECT_EQ(unwritable.ReadString("a", "b", "d"), "d");
  try {
    unwritable.WriteString("a", "b", "c");
    ADD_FAILURE();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + Path("no-folder/x.ini"));
  }
}

TEST_F(IniFiles, DatesAndTimesInTheFormatProfile) {
  TMemIniFile ini(Path("none.ini"));
  TDateTime day = EncodeDate(2024, 2, 29);
  TDateTime time = EncodeTime(13, 5, 9, 0);
  ini.WriteDate("D", "Day", day);
  ini.WriteTime("D", "Time", time);
  ini.WriteDateTime("D", "Stamp", day + time);
  EXPECT_EQ(ini.ReadString("D", "Day", ""), "2024-02-29");
  EXPECT_EQ(ini.ReadString("D", "Time", ""), "13:05:09");
  EXPECT_EQ(ini.ReadString("D", "Stamp", ""), "2024-02-29 13:05:09");
  EXPECT_DOUBLE_EQ(ini.ReadDate("D", "Day", 0), day);
  EXPECT_NEAR(ini.ReadTime("D", "Time", 0), time, 1e-9);
  EXPECT_NEAR(ini.ReadDateTime("D", "Stamp", 0), day + time, 1e-9);
  ini.WriteString("D", "Bad", "2024-02-30");
  EXPECT_EQ(ini.ReadDate("D", "Bad", -1), -1);
  EXPECT_EQ(ini.ReadDateTime("D", "Missing", -2), -2);
  EXPECT_EQ(ini.ReadTime("D", "Bad", -3), -3);
}

TEST_F(IniFiles, BinaryStreamsAsHexadecimal) {
  TMemIniFile ini(Path("none.ini"));
  TStringStream source(String("\x00\x7F\xFF\x10 ", 5));
  source.SetPosition(1);
  ini.WriteBinaryStream("B", "Data", &source);
  EXPECT_EQ(source.Position(), 1);
  EXPECT_EQ(ini.ReadString("B", "Data", ""), "7FFF1020");

  TStringStream target("xy");
  target.SetPosition(1);
  EXPECT_EQ(ini.ReadBinaryStream("B", "Data", &target), 4);
  EXPECT_EQ(target.Position(), 1);
  EXPECT_EQ(target.DataString(), "x\x7F\xFF\x10 ");

  ini.WriteString("B", "Broken", "41G2");
  TStringStream partial;
  EXPECT_EQ(ini.ReadBinaryStream("B", "Broken", &partial), 1);
  EXPECT_EQ(partial.DataString(), "A");
  EXPECT_EQ(ini.ReadBinaryStream("B", "Missing", &partial), 0);
}
