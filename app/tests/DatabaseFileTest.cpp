#include <sqlite3.h>
#include <algorithm>
#include <fstream>
#include <map>
#include "DatabaseFile.h"
#include "TempDir.h"
#include "gtest.h"

namespace {

// Rows of a query as text, one vector per row.
std::vector<std::vector<std::string>> Rows(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  std::vector<std::vector<std::string>> out;
  sqlite3_stmt* st = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  while (st && sqlite3_step(st) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
      const unsigned char* t = sqlite3_column_text(st, c);
      row.push_back(t ? reinterpret_cast<const char*>(t) : "<null>");
    }
    out.push_back(row);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

// Runs a statement; answers SQLite's result code.
int Exec(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return rc;
}

}  // namespace

TEST(DatabaseFile, NewFileHasEveryTableAndTheRequiredRows) {
  TempDir dir;
  std::string db = dir.File("data.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(db));

  std::vector<std::string> tables;
  for (auto& r : Rows(db, "select name from sqlite_master where type = 'table' and name not like 'sqlite%' order by name"))
    tables.push_back(r[0]);
  std::vector<std::string> expected = {"B_Colors", "B_PictureType", "B_Units", "Classes", "CostItems", "Customers",
                                       "Keys", "OP", "Orders", "Orders_d", "PriceList", "PriceList_d",
                                       "ProductCosts", "ProductPictures", "Products", "Users", "参数"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(tables, expected);

  auto ops = Rows(db, "select OP_ID, OP_Name from OP order by OP_ID");
  ASSERT_EQ(ops.size(), 8u);
  EXPECT_EQ(ops[0], (std::vector<std::string>{"1", "产品管理"}));
  EXPECT_EQ(ops[7], (std::vector<std::string>{"8", "用户管理"}));
  for (const char* name : {"产品管理", "客户管理", "产品分类管理", "资料设置", "报价管理", "销售管理", "销售统计", "用户管理"})
    EXPECT_EQ(Rows(db, std::string("select 1 from OP where OP_Name = '") + name + "'").size(), 1u) << name;

  EXPECT_EQ(Rows(db, "select TableName, AutoID from Keys order by TableName"),
            (std::vector<std::vector<std::string>>{{"Orders", "1"}, {"PriceList", "1"}}));
  EXPECT_EQ(Rows(db, "select U_Name, U_Pwd, U_P, U_P1, U_P9 from Users"),
            (std::vector<std::vector<std::string>>{{"管理员", "3627", "11111111", "0", "0"}}));
  auto company = Rows(db, "select 设置 from 参数 where 参数 = '企业名称'");
  ASSERT_EQ(company.size(), 1u);
  EXPECT_FALSE(company[0][0].empty());
  // The creation leaves nothing but the database beside it.
  EXPECT_EQ(dir.List(), std::vector<std::string>{"data.mdb"});
}

// The declared types decide the field kinds the data layer gives the
// columns; a few that matter to the windows.
TEST(DatabaseFile, ColumnKinds) {
  TempDir dir;
  std::string db = dir.File("data.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(db));
  std::map<std::string, std::string> types;
  for (const char* table : {"Orders", "Orders_d", "Products", "Customers", "ProductPictures"})
    for (auto& r : Rows(db, std::string("select name, type, pk from pragma_table_info('") + table + "')"))
      types[std::string(table) + "." + r[0]] = r[1] + (r[2] != "0" ? " pk" : "");
  EXPECT_EQ(types["Orders.O_ID"], "INT pk");              // set by the program from Keys
  EXPECT_EQ(types["Orders.O_JE"], "CURRENCY");
  EXPECT_EQ(types["Orders.O_OrderDate"], "DATETIME");
  EXPECT_EQ(types["Orders.O_IsBack"], "BIT");
  EXPECT_EQ(types["Products.P_ID"], "INTEGER pk");        // auto id
  EXPECT_EQ(types["Customers.C_Memo"], "LONGTEXT");
  EXPECT_EQ(types["ProductPictures.PP_Picture"], "BLOB");
  EXPECT_EQ(types["Orders_d.OD_Qty"], "DOUBLE");
  // A memo keeps digits as text (text affinity).
  ASSERT_EQ(Exec(db, "insert into Customers (C_Name, C_Memo) values ('x', '007')"), SQLITE_OK);
  EXPECT_EQ(Rows(db, "select typeof(C_Memo), C_Memo from Customers"),
            (std::vector<std::vector<std::string>>{{"text", "007"}}));
}

TEST(DatabaseFile, KeysTheProgramCannotTypeAreNumberedAndNumbersAreUnique) {
  TempDir dir;
  std::string db = dir.File("data.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(db));
  // The lookup-list dialog appends cost items with no key to type.
  ASSERT_EQ(Exec(db, "insert into CostItems (COS_Item) values ('运费'); insert into CostItems (COS_Item) values ('包装')"),
            SQLITE_OK);
  EXPECT_EQ(Rows(db, "select COS_ID from CostItems order by COS_ID"),
            (std::vector<std::vector<std::string>>{{"1"}, {"2"}}));
  // A duplicate order or quotation number is refused, not stored.
  ASSERT_EQ(Exec(db, "insert into Orders (O_ID, O_NO) values (1, '202401010001')"), SQLITE_OK);
  EXPECT_EQ(Exec(db, "insert into Orders (O_ID, O_NO) values (2, '202401010001')"), SQLITE_CONSTRAINT);
  ASSERT_EQ(Exec(db, "insert into PriceList (PL_ID, PL_NO) values (1, '202401010001')"), SQLITE_OK);
  EXPECT_EQ(Exec(db, "insert into PriceList (PL_ID, PL_NO) values (2, '202401010001')"), SQLITE_CONSTRAINT);
  // Order ids come from Keys: the database does not invent one.
  EXPECT_NE(Exec(db, "insert into Orders (O_NO) values ('202401010002')"), SQLITE_OK);
}

TEST(DatabaseFile, ExistingFileIsNeverTouched) {
  TempDir dir;
  std::string db = dir.File("data.mdb");
  {
    std::ofstream out(db, std::ios::binary);
    out << "not a database";
  }
  // A file that is no database of the program's is reported by name and
  // left as it is.
  try {
    EnsureDatabaseFile(db);
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.Message()).find(db), std::string::npos) << e.Message();
  }
  std::ifstream in(db, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "not a database");

  // A database the user has changed keeps its rows.
  std::string db2 = dir.File("other.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(db2));
  ASSERT_EQ(Exec(db2, "update Users set U_Pwd = 'secret'"), SQLITE_OK);
  EXPECT_FALSE(EnsureDatabaseFile(db2));
  EXPECT_EQ(Rows(db2, "select U_Pwd from Users"), (std::vector<std::vector<std::string>>{{"secret"}}));
}

TEST(DatabaseFile, AnEmptyFileIsReplacedAndAForeignDatabaseIsRefused) {
  TempDir dir;
  // Zero length, as a crash or a full disk leaves it: made anew.
  std::string db = dir.File("data.mdb");
  { std::ofstream out(db, std::ios::binary); }
  EXPECT_TRUE(EnsureDatabaseFile(db));
  EXPECT_EQ(Rows(db, "select U_Name from Users"), (std::vector<std::vector<std::string>>{{"管理员"}}));
  EXPECT_EQ(dir.List().size(), 1u);

  // A database of something else: the missing tables are named.
  std::string other = dir.File("other.mdb");
  {
    sqlite3* h = nullptr;
    sqlite3_open(other.c_str(), &h);
    sqlite3_exec(h, "create table Users (U_ID integer); create table Notes (t text)", nullptr, nullptr, nullptr);
    sqlite3_close(h);
  }
  try {
    EnsureDatabaseFile(other);
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& e) {
    std::string m = e.Message();
    EXPECT_NE(m.find(other), std::string::npos) << m;
    EXPECT_NE(m.find("OP"), std::string::npos) << m;
    EXPECT_EQ(m.find("Users"), std::string::npos) << m;
  }
  EXPECT_EQ(Rows(other, "select name from sqlite_master where type = 'table' order by name"),
            (std::vector<std::vector<std::string>>{{"Notes"}, {"Users"}}));
}

TEST(DatabaseFile, UncreatableFileIsAnErrorAndLeavesNothing) {
  TempDir dir;
  std::string db = dir.File("missing-folder/data.mdb");
  try {
    EnsureDatabaseFile(db);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.Message()).find("missing-folder/data.mdb"), std::string::npos) << e.Message();
  }
  EXPECT_THROW(EnsureDatabaseFile(""), EDatabaseError);
  EXPECT_TRUE(dir.List().empty());
}

namespace {

struct Db {
  explicit Db(const std::string& file) { sqlite3_open_v2(file.c_str(), &H, SQLITE_OPEN_READWRITE, nullptr); }
  ~Db() { sqlite3_close(H); }
  sqlite3* H = nullptr;
};

}  // namespace

TEST(DatabaseFile, NextAutoIDTakesAndAdvancesTheCounter) {
  TempDir dir;
  std::string file = dir.File("data.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(file));
  ASSERT_EQ(Exec(file, "update Keys set AutoID = 41 where TableName = 'Orders'"), SQLITE_OK);
  Db a(file), b(file);
  struct Case {
    sqlite3* db;
    const char* table;
    Integer expected;
  } cases[] = {
      {a.H, "Orders", 41},    {a.H, "Orders", 42},   // two in a row: n, n + 1
      {b.H, "Orders", 43},                           // a second program on the file goes on from there
      {a.H, "PriceList", 1},  {b.H, "priceList", 2}, // the name matches as Jet does, ignoring case
      {a.H, "Customers", 0},                         // no Keys row: 0
  };
  for (auto& c : cases) EXPECT_EQ(TakeNextAutoID(c.db, c.table), c.expected) << c.table;
  EXPECT_EQ(Rows(file, "select TableName, AutoID from Keys order by TableName"),
            (std::vector<std::vector<std::string>>{{"Orders", "44"}, {"PriceList", "3"}}));
  EXPECT_THROW(TakeNextAutoID(nullptr, "Orders"), EDatabaseError);
  ASSERT_EQ(Exec(file, "drop table Keys"), SQLITE_OK);
  EXPECT_THROW(TakeNextAutoID(a.H, "Orders"), EDatabaseError);
}

TEST(DatabaseFile, BackupIsACompleteDatabaseAndReplacesAnOldBackup) {
  TempDir dir;
  std::string file = dir.File("data.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(file));
  ASSERT_EQ(Exec(file, "insert into Customers (C_NO, C_Name) values ('C001', '张三'), ('C002', '李四')"), SQLITE_OK);
  std::string copy = dir.File("备份.mdb");
  {
    std::ofstream old(copy, std::ios::binary);
    old << "an old backup";
  }
  Db src(file);
  // The program keeps its connection open, in the middle of its work.
  ASSERT_EQ(sqlite3_exec(src.H, "select * from Customers", nullptr, nullptr, nullptr), SQLITE_OK);
  std::string error;
  ASSERT_TRUE(BackupDatabase(src.H, copy, &error)) << error;
  EXPECT_EQ(Rows(copy, "select C_NO, C_Name from Customers order by C_NO"),
            (std::vector<std::vector<std::string>>{{"C001", "张三"}, {"C002", "李四"}}));
  EXPECT_EQ(Rows(copy, "select U_Name, U_Pwd from Users"), Rows(file, "select U_Name, U_Pwd from Users"));
  EXPECT_EQ(Rows(copy, "pragma integrity_check"), (std::vector<std::vector<std::string>>{{"ok"}}));
  std::vector<std::string> names = dir.List();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"data.mdb", "备份.mdb"}));
}

TEST(DatabaseFile, FailedBackupChangesNothing) {
  TempDir dir;
  std::string file = dir.File("data.mdb");
  ASSERT_TRUE(EnsureDatabaseFile(file));
  Db src(file);
  std::string error;
  EXPECT_FALSE(BackupDatabase(src.H, dir.File("no-such-folder/copy.mdb"), &error));
  EXPECT_FALSE(error.empty());
  // The database itself as the target: refused, the database stays whole.
  error.clear();
  EXPECT_FALSE(BackupDatabase(src.H, file, &error));
  EXPECT_FALSE(error.empty());
  ASSERT_EQ(sqlite3_exec(src.H, "insert into Customers (C_NO) values ('C9')", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(Rows(file, "select C_NO from Customers"), (std::vector<std::vector<std::string>>{{"C9"}}));
  EXPECT_FALSE(BackupDatabase(nullptr, dir.File("x.mdb")));
  EXPECT_EQ(dir.List(), std::vector<std::string>{"data.mdb"});
}

TEST(DatabaseFile, WindowsPathsBecomeLinuxPaths) {
  EXPECT_EQ(ToUnixPath("/tmp/data.mdb"), "/tmp/data.mdb");
  // Wine's drive Z: is the Linux root; the file itself need not exist yet.
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("订单").c_str(), 0700), 0);
  std::string win = "Z:" + dir.File("订单/data.mdb");
  std::replace(win.begin(), win.end(), '/', '\\');
  EXPECT_EQ(ToUnixPath(win), dir.File("订单/data.mdb"));
}
