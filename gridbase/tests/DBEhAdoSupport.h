// A shown form over a SQLite file read through an ADO query, for the tests
// where posting a control's value into the database matters: the file is
// written and read back with SQLite itself.
#pragma once
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include "ADODB.h"
#include "DBCtrlsEh.h"
#include "Forms.h"
#include "TestWindows.h"
#include "gtest.h"

struct DBEhAdoFixture : ::testing::Test {
  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
  std::unique_ptr<TADOQuery> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;

  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    // A folder of this process: test runs of other builds may run beside it.
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-gridbase-tests";
    ::mkdir(dir.c_str(), 0755);
    dir += "/" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0755);
    Path = dir + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mdb";
    std::remove(Path.c_str());
    Exec("CREATE TABLE Orders (O_ID INTEGER PRIMARY KEY, O_Name TEXT(20), O_Date DATETIME, O_Kind TEXT(4),"
         " O_Flag TEXT(4), O_Paid BIT);"
         "CREATE TABLE Writes (W_ID INTEGER PRIMARY KEY, W_Name TEXT(20));"
         "CREATE TRIGGER OrdersWritten AFTER UPDATE ON Orders BEGIN"
         " INSERT INTO Writes (W_Name) VALUES (NEW.O_Name); END;"
         "INSERT INTO Orders VALUES (1, '张三', '2024-05-01 14:30:00', 'B', 'yes', 1);"
         "INSERT INTO Orders VALUES (2, '李四', NULL, NULL, '', NULL);");
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
    Data = std::make_unique<TADOQuery>();
    Data->SetConnection(Conn.get());
    Data->SQL()->SetText("select * from Orders order by O_ID");
    Data->Open();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(120, 120, 420, 260);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Application->OnException = nullptr;
    Form.reset();
    Source.reset();
    Data.reset();
    Conn.reset();
    std::remove(Path.c_str());
    ::rmdir(Path.substr(0, Path.rfind('/')).c_str());
  }
  void Exec(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Path.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_close(db);
  }
  // The first column of a query's rows as text joined by "|" (NULL for null).
  std::string Column(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(Path.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    std::string out;
    bool first = true;
    while (sqlite3_step(st) == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(st, 0);
      out += (first ? "" : "|") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
      first = false;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }
  template <class T>
  T* AddControl(const char* field, int top, int left = 10) {
    auto* c = new T(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(left, top, 150, 21);
    if (field) {
      c->SetDataSource(Source.get());
      c->SetDataField(field);
    }
    return c;
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    PumpMessages(2);
  }
};
