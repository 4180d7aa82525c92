// Creation, backup and id counter of data.mdb. Compiled as Linux code: it
// works on Linux paths with the C library's file calls and includes no
// Windows header.
#include "DatabaseFile.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

const char* const AdminUserName = "管理员";
const char* const AdminInitialPassword = "3627";

const std::vector<String>& OperationNames() {
  static const std::vector<String> names = {
      "产品管理", "客户管理", "产品分类管理", "资料设置",
      "报价管理", "销售管理", "销售统计",     "用户管理"};
  return names;
}

namespace {

// Declared types are chosen so that the data layer maps them to the field
// kinds of the original database: INTEGER PRIMARY KEY AUTOINCREMENT is an
// auto id, INT a long integer (INT PRIMARY KEY is a key the program sets
// itself), TEXT(n) text, LONGTEXT memo (text affinity, so digits stay text),
// CURRENCY currency, DATETIME date, BIT flag, BLOB long binary data.
const char* const SchemaSQL = R"SQL(
CREATE TABLE Users (
  U_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  U_Name TEXT(50),
  U_Pwd TEXT(50),
  U_Memo TEXT(255),
  U_P TEXT(255),
  U_P1 BIT DEFAULT 0, U_P2 BIT DEFAULT 0, U_P3 BIT DEFAULT 0,
  U_P4 BIT DEFAULT 0, U_P5 BIT DEFAULT 0, U_P6 BIT DEFAULT 0,
  U_P7 BIT DEFAULT 0, U_P8 BIT DEFAULT 0, U_P9 BIT DEFAULT 0
);
CREATE TABLE OP (
  OP_ID INT NOT NULL PRIMARY KEY,
  OP_Name TEXT(50)
);
CREATE TABLE Keys (
  TableName TEXT(50) NOT NULL PRIMARY KEY,
  AutoID INT NOT NULL DEFAULT 1
);
CREATE TABLE Customers (
  C_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  C_NO TEXT(50),
  C_Name TEXT(100),
  C_Contact TEXT(50),
  C_Addr TEXT(255),
  C_Zip TEXT(20),
  C_Tel TEXT(50),
  C_Fax TEXT(50),
  C_Mobile TEXT(50),
  C_Email TEXT(100),
  C_WebSite TEXT(100),
  C_Memo LONGTEXT
);
CREATE TABLE Classes (
  CLS_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  CLS_Name TEXT(50),
  CLS_ParentID INT DEFAULT 0,
  CLS_ImageIndex INT DEFAULT 1
);
CREATE TABLE Products (
  P_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  CLS_ID INT,
  P_NO TEXT(30),
  P_Name TEXT(50),
  P_EName TEXT(100),
  P_Unit TEXT(20),
  P_EUnit TEXT(20),
  P_Color TEXT(20),
  P_EColor TEXT(20),
  P_Price CURRENCY DEFAULT 0,
  P_Cost CURRENCY DEFAULT 0,
  P_Size TEXT(50),
  P_GWeight DOUBLE,
  P_NWeight DOUBLE,
  P_BarCode TEXT(50),
  P_Enabled BIT DEFAULT 0,
  P_CreateDate DATETIME,
  P_Memo LONGTEXT
);
CREATE INDEX Products_CLS_ID ON Products (CLS_ID);
CREATE TABLE CostItems (
  COS_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  COS_Item TEXT(50)
);
CREATE TABLE ProductCosts (
  PC_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  P_ID INT,
  COS_ID INT,
  PC_Cost CURRENCY DEFAULT 0
);
CREATE INDEX ProductCosts_P_ID ON ProductCosts (P_ID);
CREATE TABLE ProductPictures (
  PP_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  P_ID INT,
  PP_Picture BLOB
);
CREATE INDEX ProductPictures_P_ID ON ProductPictures (P_ID);
CREATE TABLE B_Units (
  UnitID INTEGER PRIMARY KEY AUTOINCREMENT,
  UnitName TEXT(20),
  UnitEName TEXT(20)
);
CREATE TABLE B_Colors (
  ColorID INTEGER PRIMARY KEY AUTOINCREMENT,
  ColorName TEXT(20),
  ColorEName TEXT(20)
);
CREATE TABLE B_PictureType (
  TypeID INTEGER PRIMARY KEY AUTOINCREMENT,
  TypeName TEXT(50)
);
CREATE TABLE 参数 (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  参数 TEXT(50),
  设置 TEXT(255)
);
CREATE TABLE PriceList (
  PL_ID INT NOT NULL PRIMARY KEY,
  PL_NO TEXT(20),
  PL_Date DATETIME,
  C_ID INT,
  PL_Memo LONGTEXT
);
CREATE UNIQUE INDEX PriceList_PL_NO ON PriceList (PL_NO);
CREATE TABLE PriceList_d (
  PLD_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  PL_ID INT,
  P_ID INT,
  PLD_Price CURRENCY DEFAULT 0
);
CREATE INDEX PriceList_d_PL_ID ON PriceList_d (PL_ID);
CREATE TABLE Orders (
  O_ID INT NOT NULL PRIMARY KEY,
  O_NO TEXT(20),
  O_OrderDate DATETIME,
  C_ID INT,
  U_ID INT,
  O_IsBack BIT DEFAULT 0,
  O_Enabled BIT DEFAULT 1,
  O_JE CURRENCY DEFAULT 0
);
CREATE UNIQUE INDEX Orders_O_NO ON Orders (O_NO);
CREATE TABLE Orders_d (
  O_ID INT,
  P_ID INT,
  OD_Price CURRENCY DEFAULT 0,
  OD_Qty DOUBLE DEFAULT 0,
  OD_JE CURRENCY DEFAULT 0,
  OD_Memo TEXT(255),
  P_NO TEXT(30),
  P_Name TEXT(50),
  P_Color TEXT(20),
  P_Unit TEXT(20),
  P_Size TEXT(50),
  P_GWeight DOUBLE,
  P_NWeight DOUBLE
);
CREATE INDEX Orders_d_O_ID ON Orders_d (O_ID);
INSERT INTO Keys (TableName, AutoID) VALUES ('Orders', 1), ('PriceList', 1);
INSERT INTO 参数 (参数, 设置) VALUES ('企业名称', 'Tovani贸易有限公司');
)SQL";

// A database file being built under a temporary name beside its target:
// closes the handle and removes the half-made file on every way out.
struct NewFile {
  explicit NewFile(const String& target) : Path(target + ".new-" + std::to_string(::getpid())) {
    ::unlink(Path.c_str());
  }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  bool Open() {
    return sqlite3_open_v2(Path.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
  }
  String Error() const { return Db ? sqlite3_errmsg(Db) : "out of memory"; }

  String Path;
  sqlite3* Db = nullptr;
  bool Keep = false;
  ~NewFile() {
    if (Db) sqlite3_close(Db);
    if (!Keep) {
      ::unlink(Path.c_str());
      ::unlink((Path + "-journal").c_str());
    }
  }
};

[[noreturn]] void Fail(const String& path, const String& why) {
  throw EDatabaseError("无法创建数据库文件 " + path + ": " + why);
}

void Exec(NewFile& f, const String& target, const String& sql) {
  char* err = nullptr;
  if (sqlite3_exec(f.Db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    String msg = err ? err : sqlite3_errmsg(f.Db);
    sqlite3_free(err);
    Fail(target, msg);
  }
}

void Bind(NewFile& f, const String& target, sqlite3_stmt* st, const std::vector<String>& texts) {
  for (size_t i = 0; i < texts.size(); ++i)
    sqlite3_bind_text(st, int(i + 1), texts[i].c_str(), int(texts[i].size()), SQLITE_TRANSIENT);
  int rc = sqlite3_step(st);
  sqlite3_reset(st);
  if (rc != SQLITE_DONE) Fail(target, sqlite3_errmsg(f.Db));
}

// The rows whose texts come from the program's own lists.
void InsertRequiredRows(NewFile& f, const String& target) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(f.Db, "INSERT INTO OP (OP_ID, OP_Name) VALUES (?, ?)", -1, &st, nullptr) != SQLITE_OK)
    Fail(target, sqlite3_errmsg(f.Db));
  const auto& ops = OperationNames();
  for (size_t i = 0; i < ops.size(); ++i) {
    sqlite3_bind_int(st, 1, int(i + 1));
    sqlite3_bind_text(st, 2, ops[i].c_str(), int(ops[i].size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
      sqlite3_finalize(st);
      Fail(target, sqlite3_errmsg(f.Db));
    }
  }
  sqlite3_finalize(st);

  if (sqlite3_prepare_v2(f.Db, "INSERT INTO Users (U_Name, U_Pwd, U_Memo, U_P) VALUES (?, ?, ?, ?)", -1, &st,
                         nullptr) != SQLITE_OK)
    Fail(target, sqlite3_errmsg(f.Db));
  // The administrator passes every test by name; the permission string is
  // full all the same, so the users window shows every operation ticked.
  try {
    Bind(f, target, st, {AdminUserName, AdminInitialPassword, "系统管理员", String(ops.size(), '1')});
  } catch (...) {
    sqlite3_finalize(st);
    throw;
  }
  sqlite3_finalize(st);
}

// The names of the program's tables, read from the schema itself.
const std::vector<String>& ProgramTables() {
  static const std::vector<String> names = [] {
    std::vector<String> out;
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) == SQLITE_OK && sqlite3_exec(db, SchemaSQL, nullptr, nullptr, nullptr) == SQLITE_OK) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY rowid",
                             -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW) out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
      sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
  }();
  return names;
}

// An existing database file must be one of the program's: a file that is no
// database, or lacks tables, is reported by name rather than opened and
// failing at the first query. Nothing in the file is changed.
void CheckExistingFile(const String& path) {
  sqlite3* db = nullptr;
  auto fail = [&](const String& why) {
    sqlite3_close(db);
    throw EDatabaseError("数据库文件 " + path + " 不能使用: " + why);
  };
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    fail(db ? sqlite3_errmsg(db) : "out of memory");
  std::vector<String> present;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr) != SQLITE_OK)
    fail(sqlite3_errmsg(db));
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW)
    present.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) fail(sqlite3_errmsg(db));
  String missing;
  for (const String& name : ProgramTables()) {
    bool found = false;
    for (const String& p : present)
      if (sqlite3_stricmp(p.c_str(), name.c_str()) == 0) found = true;
    if (!found) missing += (missing.empty() ? "" : ", ") + name;
  }
  if (!missing.empty()) fail("缺少本程序的数据表 " + missing);
  sqlite3_close(db);
}

}  // namespace

bool EnsureDatabaseFile(const String& unixPath) {
  if (unixPath.empty()) Fail(unixPath, "没有文件名");
  // A zero-length file (left by a crash or a full disk) holds nothing: it is
  // replaced like a missing one.
  struct stat existing;
  bool empty = false;
  if (::stat(unixPath.c_str(), &existing) == 0) {
    if (existing.st_size > 0 || !S_ISREG(existing.st_mode)) {
      CheckExistingFile(unixPath);
      return false;
    }
    empty = true;
  }

  NewFile f(unixPath);
  if (!f.Open()) Fail(unixPath, f.Error());
  Exec(f, unixPath, "BEGIN");
  Exec(f, unixPath, SchemaSQL);
  InsertRequiredRows(f, unixPath);
  Exec(f, unixPath, "COMMIT");
  if (sqlite3_close(f.Db) != SQLITE_OK) Fail(unixPath, sqlite3_errmsg(f.Db));
  f.Db = nullptr;

  if (empty) {
    // The empty file is replaced, unless another copy of the program has
    // filled it meanwhile.
    struct stat now;
    if (::stat(unixPath.c_str(), &now) == 0 && now.st_size > 0) return false;
    if (::rename(f.Path.c_str(), unixPath.c_str()) != 0) Fail(unixPath, std::strerror(errno));
    f.Keep = true;
    return true;
  }
  // link() refuses an existing name: when another copy of the program made
  // the file meanwhile, its file stays and ours is dropped.
  if (::link(f.Path.c_str(), unixPath.c_str()) != 0) {
    int e = errno;
    if (e == EEXIST) return false;
    // File systems without hard links: rename, which is not exclusive, so
    // look once more just before.
    if (e != EPERM && e != EOPNOTSUPP && e != ENOSYS) Fail(unixPath, std::strerror(e));
    if (::access(unixPath.c_str(), F_OK) == 0) return false;
    if (::rename(f.Path.c_str(), unixPath.c_str()) != 0) Fail(unixPath, std::strerror(errno));
    f.Keep = true;
  }
  return true;   // f's destructor removes the temporary name
}

bool BackupDatabase(sqlite3* source, const String& destUnixPath, String* error) {
  auto fail = [&](const String& why) {
    if (error) *error = why;
    return false;
  };
  if (!source) return fail("没有打开的数据库");
  if (destUnixPath.empty()) return fail("没有文件名");
  // Moving a copy over the open database itself would leave the program
  // writing to a removed file.
  const char* srcName = sqlite3_db_filename(source, "main");
  struct stat a, b;
  if (srcName && *srcName && ::stat(srcName, &a) == 0 && ::stat(destUnixPath.c_str(), &b) == 0 &&
      a.st_dev == b.st_dev && a.st_ino == b.st_ino)
    return fail("备份文件不能是数据库文件本身");

  NewFile f(destUnixPath);
  if (!f.Open()) return fail(f.Error());
  sqlite3_backup* backup = sqlite3_backup_init(f.Db, "main", source, "main");
  if (!backup) return fail(f.Error());
  // All pages in one step; a writer of another program holding its lock
  // makes the step wait a little and try again (about ten seconds at most).
  int rc;
  for (int tries = 0;; ++tries) {
    rc = sqlite3_backup_step(backup, -1);
    if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || tries >= 200) break;
    sqlite3_sleep(50);
  }
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) return fail(sqlite3_errstr(rc));
  if (sqlite3_close(f.Db) != SQLITE_OK) return fail(f.Error());
  f.Db = nullptr;
  if (::rename(f.Path.c_str(), destUnixPath.c_str()) != 0) return fail(std::strerror(errno));
  return true;
}

Integer TakeNextAutoID(sqlite3* db, const String& tableName) {
  if (!db) throw EDatabaseError("没有打开的数据库");
  // Jet compares text without regard to case; so does the look-up here.
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db,
                         "UPDATE Keys SET AutoID = AutoID + 1 WHERE TableName = ? COLLATE NOCASE "
                         "RETURNING AutoID - 1",
                         -1, &st, nullptr) != SQLITE_OK)
    throw EDatabaseError(String(sqlite3_errmsg(db)));
  sqlite3_bind_text(st, 1, tableName.c_str(), int(tableName.size()), SQLITE_TRANSIENT);
  Integer id = 0;
  int rc;
  bool first = true;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    if (first) id = Integer(sqlite3_column_int64(st, 0));
    first = false;
  }
  String msg = rc == SQLITE_DONE ? String() : String(sqlite3_errmsg(db));
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) throw EDatabaseError(msg);
  return id;
}
