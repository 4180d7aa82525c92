// A SQLite customers file made by the lookup tests, opened through the ADO
// query the program's windows use for their lists.
#pragma once
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ADODB.h"
#include "DB.h"
#include "gtest.h"

struct TLookupTestData {
  std::string Path;
  std::unique_ptr<TADOConnection> Conn;

  // ACustomers rows "C01".."Cnn" named from a list of Chinese names.
  explicit TLookupTestData(int ACustomers = 5) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxeditors-tests";
    ::mkdir(dir.c_str(), 0755);
    Path = dir + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
           std::to_string(::getpid()) + ".mdb";
    std::remove(Path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    static const char* names[] = {"张三", "李四", "王五", "赵六", "钱七", "孙八", "周九", "吴十"};
    std::string sql =
        "CREATE TABLE Customers (C_ID INTEGER PRIMARY KEY, C_NO TEXT(20), C_Name TEXT(50));"
        "CREATE TABLE Orders (O_ID INTEGER PRIMARY KEY, O_NO TEXT(20), C_ID INTEGER);"
        "INSERT INTO Orders (O_ID, O_NO, C_ID) VALUES (1, 'S001', 20);";
    for (int i = 1; i <= ACustomers; ++i) {
      char no[16];
      std::snprintf(no, sizeof no, "C%02d", i);
      sql += "INSERT INTO Customers (C_ID, C_NO, C_Name) VALUES (" + std::to_string(i * 10) + ", '" + no + "', '" +
             names[(i - 1) % 8] + (i > 8 ? std::to_string(i) : std::string()) + "');";
    }
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
  }
  ~TLookupTestData() {
    Conn.reset();
    std::remove(Path.c_str());
  }
  std::unique_ptr<TADOQuery> Query(const String& ASql, TADOLockType ALock = ltOptimistic) {
    auto q = std::make_unique<TADOQuery>();
    q->SetConnection(Conn.get());
    q->SetLockType(ALock);
    q->SQL()->SetText(ASql);
    q->Open();
    return q;
  }
};
