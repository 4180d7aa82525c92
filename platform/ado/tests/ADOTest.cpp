#include <sqlite3.h>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <memory>
#include "ADODB.h"
#include "DateUtils.h"
#include "FormFile.h"
#include "JetSQL.h"
#include "Streams.h"
#include "Streaming.h"
#include "Strings.h"
#include "TypInfo.h"
#include "gtest.h"

namespace {

// A database file in a temporary folder with the shop's kinds of columns.
class AdoFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of the Linux temporary directory (SQLite opens Linux paths).
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-ado-tests";
    ::mkdir(dir.c_str(), 0755);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Path = dir + "/" + info->test_suite_name() + "-" + info->name() + ".mdb";
    std::remove(Path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    const char* schema =
        "CREATE TABLE Customers (C_ID INTEGER PRIMARY KEY AUTOINCREMENT, C_NO TEXT(20), C_Name TEXT(50),"
        "  C_Memo MEMO);"
        "CREATE TABLE Orders (O_ID LONG PRIMARY KEY, O_NO TEXT(20), O_OrderDate DATETIME, C_ID LONG,"
        "  O_IsBack YESNO, O_JE CURRENCY);"
        "CREATE TABLE Orders_d (O_ID LONG, P_ID LONG, OD_Price CURRENCY, OD_Qty DOUBLE, OD_Memo TEXT(100));"
        "CREATE TABLE ProductPictures (P_ID LONG, PP_Picture LONGBINARY);"
        "CREATE TABLE Keys (TableName TEXT(50), AutoID LONG);"
        "INSERT INTO Keys VALUES ('Orders', 7);"
        "INSERT INTO Customers (C_NO, C_Name) VALUES ('C1', '张三'), ('C2', 'O''Brien');"
        "INSERT INTO Orders VALUES (1, '202401050001', '2024-01-05 00:00:00', 1, 0, 12.5),"
        "  (2, '202401060001', '2024-01-06 00:00:00', 2, 1, 100),"
        "  (3, '202402010001', '2024-02-01 00:00:00', 1, 0, 0.3333);"
        "INSERT INTO Orders_d VALUES (1, 10, 12.5, 1, 'a'), (1, 11, 1, 2, NULL), (2, 10, 50, 2, 'b');";
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_close(db);
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path +
                              ";Persist Security Info=False;Jet OLEDB:Database Password=6140397");
    Conn->Open();
  }
  void TearDown() override {
    Conn.reset();
    std::remove(Path.c_str());
  }
  std::unique_ptr<TADODataSet> Query(const String& sql, TADOLockType lock = ltOptimistic) {
    auto ds = std::make_unique<TADODataSet>();
    ds->SetConnection(Conn.get());
    ds->SetLockType(lock);
    ds->SetCommandText(sql);
    return ds;
  }
  // A value straight from the file, past every cache.
  String Scalar(const String& sql) {
    auto q = Query(sql);
    q->Open();
    return q->IsEmpty() ? String("<none>") : q->Fields()[0]->AsString();
  }
  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
};

TEST_F(AdoFixture, ConnectionStringKeysAndMissingFile) {
  EXPECT_EQ(Conn->DataSource(), Path);
  EXPECT_EQ(Conn->ConnectionValue("jet oledb:database password"), "6140397");
  EXPECT_EQ(Conn->Provider(), "Microsoft.Jet.OLEDB.4.0");
  TADOConnection other;
  other.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path + ".missing");
  try {
    other.Open();
    FAIL();
  } catch (EADOError& e) {
    EXPECT_NE(e.Message().find(Path + ".missing"), String::npos) << e.Message();
  }
  EXPECT_FALSE(other.Connected());
  struct stat st;
  EXPECT_NE(::stat((Path + ".missing").c_str(), &st), 0);   // never created
  // A Windows path to the same file (Wine maps Z: to the root).
  String win = "Z:" + Path;
  for (char& c : win) if (c == '/') c = '\\';
  TADOConnection viaWindowsPath;
  viaWindowsPath.SetConnectionString("Data Source=" + win);
  viaWindowsPath.Open();
  EXPECT_EQ(viaWindowsPath.Execute("update Keys set AutoID = 8"), 1);
}

TEST_F(AdoFixture, LockedDatabaseNamesTheFile) {
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open_v2(Path.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  try {
    Conn->Execute("update Keys set AutoID = 9");
    FAIL();
  } catch (EADOError& e) {
    EXPECT_NE(e.Message().find("'" + Path + "' is locked"), String::npos) << e.Message();
  }
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(Conn->Execute("update Keys set AutoID = 9"), 1);
}

TEST_F(AdoFixture, SqlErrorsCarryMessageAndStatement) {
  try {
    Conn->Execute("select * from NoSuchTable");
    FAIL();
  } catch (EADOError& e) {
    EXPECT_NE(e.Message().find("no such table: NoSuchTable"), String::npos) << e.Message();
    EXPECT_NE(e.Message().find("select * from NoSuchTable"), String::npos) << e.Message();
  }
  auto q = Query("select * from Orders where nope = 1");
  EXPECT_THROW(q->Open(), EADOError);
  EXPECT_FALSE(q->Active());
}

TEST_F(AdoFixture, FieldClassesFollowTheDeclaredKinds) {
  auto q = Query("select * from Customers");
  q->Open();
  EXPECT_TRUE(q->FieldByName("C_ID")->Is<TAutoIncField>());
  EXPECT_TRUE(q->FieldByName("C_NO")->Is<TWideStringField>());
  EXPECT_EQ(q->FieldByName("C_NO")->Size(), 20);
  EXPECT_TRUE(q->FieldByName("C_Memo")->Is<TWideMemoField>());
  auto o = Query("select * from Orders");
  o->Open();
  EXPECT_TRUE(o->FieldByName("O_ID")->Is<TIntegerField>());
  EXPECT_TRUE(o->FieldByName("O_OrderDate")->Is<TDateTimeField>());
  EXPECT_TRUE(o->FieldByName("O_IsBack")->Is<TBooleanField>());
  ASSERT_TRUE(o->FieldByName("O_JE")->Is<TBCDField>());
  EXPECT_EQ(static_cast<TBCDField*>(o->FieldByName("O_JE"))->Precision(), 19);
  EXPECT_EQ(o->FieldByName("O_JE")->AsCurrency().Raw(), 125000);
  EXPECT_EQ(o->FieldByName("O_OrderDate")->AsDateTime(), EncodeDate(2024, 1, 5));
  auto p = Query("select * from ProductPictures");
  p->Open();
  EXPECT_TRUE(p->FieldByName("PP_Picture")->Is<TBlobField>());
  // A persistent field of another kind than its column is refused.
  auto wrong = Query("select * from Orders");
  auto* f = new TIntegerField();
  f->SetFieldName("O_JE");
  f->SetDataSet(wrong.get());
  EXPECT_THROW(wrong->Open(), EDatabaseError);
  EXPECT_FALSE(wrong->Active());
  auto e = Query("select max(O_NO) as n, count(*) as c, sum(O_JE) as s from Orders");
  e->Open();
  EXPECT_EQ(e->FieldByName("n")->AsString(), "202402010001");
  EXPECT_TRUE(e->FieldByName("c")->Is<TIntegerField>());
  EXPECT_EQ(e->FieldByName("c")->AsInteger(), 3);
  EXPECT_TRUE(e->FieldByName("s")->Is<TFloatField>());
}

TEST_F(AdoFixture, ValuesReadBackExactlyAsWritten) {
  auto q = Query("select * from Orders");
  q->Open();
  q->Append();
  q->FieldByName("O_ID")->SetAsInteger(9);
  q->FieldByName("O_NO")->SetAsString("中文单号");
  q->FieldByName("O_OrderDate")->SetAsDateTime(EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 58, 0));
  q->FieldByName("O_IsBack")->SetAsBoolean(true);
  q->FieldByName("O_JE")->SetAsString("0.9999");
  q->Post();
  auto p = Query("select * from ProductPictures");
  p->Open();
  String bytes("\xFF\xD8\x00\x01 jpeg \x00\xFF\xD9", 12);
  p->Append();
  p->FieldByName("P_ID")->SetAsInteger(1);
  static_cast<TBlobField*>(p->FieldByName("PP_Picture"))->SetAsBytes(bytes);
  p->Post();

  EXPECT_EQ(Scalar("select O_OrderDate from Orders where O_ID = 9"), "2024-12-31 23:59:58");
  EXPECT_EQ(Scalar("select typeof(O_JE) || ':' || O_JE from Orders where O_ID = 9"), "real:0.9999");
  EXPECT_EQ(Scalar("select typeof(O_IsBack) || O_IsBack from Orders where O_ID = 9"), "integer1");
  auto back = Query("select * from Orders where O_ID = 9");
  back->Open();
  EXPECT_EQ(back->FieldByName("O_NO")->AsString(), "中文单号");
  EXPECT_EQ(back->FieldByName("O_JE")->AsCurrency().Raw(), 9999);
  EXPECT_EQ(back->FieldByName("O_OrderDate")->AsDateTime(), EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 58, 0));
  EXPECT_TRUE(back->FieldByName("O_IsBack")->AsBoolean());
  EXPECT_TRUE(back->FieldByName("C_ID")->IsNull());
  auto pics = Query("select * from ProductPictures");
  pics->Open();
  EXPECT_EQ(pics->FieldByName("PP_Picture")->AsString(), bytes);
}

TEST_F(AdoFixture, OptimisticPostWritesAtOnceByKeyOrRowid) {
  auto c = Query("select * from Customers");
  c->Open();
  c->Append();
  c->FieldByName("C_Name")->SetAsString("新客户");
  c->Post();
  EXPECT_EQ(c->FieldByName("C_ID")->AsInteger(), 3);   // the database's number
  EXPECT_EQ(Scalar("select C_Name from Customers where C_ID = 3"), "新客户");
  c->Locate("C_ID", Variant(1), {});
  c->Edit();
  c->FieldByName("C_Name")->SetAsString("李四");
  c->Post();
  EXPECT_EQ(Scalar("select C_Name from Customers where C_ID = 1"), "李四");
  c->Delete();
  EXPECT_EQ(Scalar("select count(*) from Customers"), "2");
  // Orders_d has no key: its rows are written by rowid.
  auto d = Query("select * from Orders_d where O_ID = :o_id");
  d->Parameters()->ParamByName("o_id")->SetValue(Variant(1));
  d->Open();
  ASSERT_EQ(d->RecordCount(), 2);
  d->Next();
  d->Edit();
  d->FieldByName("OD_Qty")->SetAsFloat(5);
  d->Post();
  EXPECT_EQ(Scalar("select group_concat(OD_Qty) from Orders_d where O_ID = 1"), "1.0,5.0");
  // A joined list writes its base table only.
  auto j = Query("select o.*, c.C_Name from Orders o, Customers c where o.C_ID = c.C_ID");
  j->Open();
  EXPECT_EQ(j->BaseTable(), "Orders");
  j->Locate("O_ID", Variant(2), {});
  j->Edit();
  j->FieldByName("O_NO")->SetAsString("X");
  j->Post();
  EXPECT_EQ(Scalar("select O_NO from Orders where O_ID = 2"), "X");
  // The row changed under us: the write fails and says so.
  Conn->Execute("delete from Orders where O_ID = 2");
  j->Edit();
  j->FieldByName("O_NO")->SetAsString("Y");
  EXPECT_THROW(j->Post(), EADOError);
  EXPECT_EQ(j->State(), dsEdit);
  j->Cancel();
}

TEST_F(AdoFixture, BatchModeWritesEverythingAtUpdateBatch) {
  auto d = Query("select * from Orders_d where O_ID = 1", ltBatchOptimistic);
  d->Open();
  d->Append();
  d->FieldByName("O_ID")->SetAsInteger(1);
  d->FieldByName("P_ID")->SetAsInteger(12);
  d->Post();
  d->First();
  d->Edit();
  d->FieldByName("OD_Memo")->SetAsString("edited");
  d->Post();
  d->Next();
  d->Delete();
  EXPECT_EQ(d->PendingCount(), 3);
  EXPECT_EQ(Scalar("select count(*) from Orders_d where O_ID = 1"), "2");   // nothing written yet
  EXPECT_EQ(Scalar("select OD_Memo from Orders_d where O_ID = 1 and P_ID = 10"), "a");
  d->UpdateBatch(arAll);
  EXPECT_EQ(d->PendingCount(), 0);
  EXPECT_EQ(Scalar("select group_concat(P_ID) from Orders_d where O_ID = 1"), "10,12");
  EXPECT_EQ(Scalar("select OD_Memo from Orders_d where O_ID = 1 and P_ID = 10"), "edited");
  // CancelBatch drops what is pending.
  d->Append();
  d->FieldByName("P_ID")->SetAsInteger(99);
  d->Post();
  d->First();
  d->Edit();
  d->FieldByName("OD_Memo")->SetAsString("again");
  d->Post();
  d->CancelBatch();
  EXPECT_EQ(d->RecordCount(), 2);
  d->First();
  EXPECT_EQ(d->FieldByName("OD_Memo")->AsString(), "edited");
}

TEST_F(AdoFixture, FailedUpdateBatchRollsBackAndKeepsTheCache) {
  auto o = Query("select * from Orders", ltBatchOptimistic);
  o->Open();
  o->Append();
  o->FieldByName("O_ID")->SetAsInteger(10);
  o->Post();
  o->Append();
  o->FieldByName("O_ID")->SetAsInteger(1);   // duplicate key: the write fails
  o->Post();
  o->Locate("O_ID", Variant(3), {});
  o->Delete();
  EXPECT_THROW(o->UpdateBatch(arAll), EADOError);
  EXPECT_EQ(o->PendingCount(), 3);
  EXPECT_EQ(Scalar("select count(*) from Orders where O_ID = 10"), "0");   // rolled back
  EXPECT_EQ(Scalar("select count(*) from Orders where O_ID = 3"), "1");
  // The user corrects the value and saves again.
  o->Locate("O_ID", Variant(1), {});
  o->Last();
  EXPECT_EQ(o->FieldByName("O_ID")->AsInteger(), 1);
  o->Edit();
  o->FieldByName("O_ID")->SetAsInteger(11);
  o->Post();
  o->UpdateBatch(arAll);
  EXPECT_EQ(Scalar("select group_concat(O_ID) from (select O_ID from Orders order by O_ID)"), "1,2,10,11");
}

// A row posted with nulls where the table has defaults (or a trigger fills
// a column) holds what the database stored once it is written, in both
// locking modes: a later edit of it is no conflict, and a refused insert
// keeps the values the user posted.
TEST_F(AdoFixture, InsertedRowsHoldWhatTheDatabaseStored) {
  Conn->Execute("create table Costs (PC_ID INTEGER PRIMARY KEY AUTOINCREMENT, P_ID LONG, "
                "PC_Cost CURRENCY DEFAULT 0, PC_Memo TEXT(20))");
  Conn->Execute("create trigger costs_memo after insert on Costs when new.PC_Memo is null "
                "begin update Costs set PC_Memo = 'auto' where PC_ID = new.PC_ID; end");
  for (TADOLockType lock : {ltOptimistic, ltBatchOptimistic}) {
    SCOPED_TRACE(lock == ltOptimistic ? "optimistic" : "batch");
    Conn->Execute("delete from Costs");
    auto c = Query("select * from Costs", lock);
    c->Open();
    c->Append();
    c->FieldByName("P_ID")->SetAsInteger(1);
    c->Post();
    if (lock == ltBatchOptimistic) c->UpdateBatch(arAll);
    EXPECT_FALSE(c->FieldByName("PC_ID")->IsNull());
    EXPECT_FALSE(c->FieldByName("PC_Cost")->IsNull());
    EXPECT_EQ(c->FieldByName("PC_Cost")->AsFloat(), 0);
    EXPECT_EQ(c->FieldByName("PC_Memo")->AsString(), "auto");
    c->Edit();
    c->FieldByName("PC_Cost")->SetAsFloat(8.5);
    c->FieldByName("PC_Memo")->SetAsString("edited");
    c->Post();
    if (lock == ltBatchOptimistic) c->UpdateBatch(arAll);
    EXPECT_EQ(Scalar("select PC_Cost || '/' || PC_Memo from Costs"), "8.5/edited");
  }
  // A refused insert writes nothing and keeps the row being inserted.
  Conn->Execute("create trigger costs_refuse before insert on Costs when new.P_ID = 2 "
                "begin select raise(abort, 'refused'); end");
  auto c = Query("select * from Costs");
  c->Open();
  c->Append();
  c->FieldByName("P_ID")->SetAsInteger(2);
  c->FieldByName("PC_Cost")->SetAsFloat(3);
  EXPECT_THROW(c->Post(), EADOError);
  EXPECT_EQ(c->State(), dsInsert);
  EXPECT_EQ(c->FieldByName("PC_Cost")->AsFloat(), 3);
  EXPECT_EQ(Scalar("select count(*) from Costs where P_ID = 2"), "0");
  c->FieldByName("P_ID")->SetAsInteger(3);
  c->Post();
  EXPECT_EQ(Scalar("select PC_Cost || '/' || PC_Memo from Costs where P_ID = 3"), "3/auto");
}

// Inserted rows hold what the database stored also where no trigger is
// involved: a date stored to the second, a text that a numeric column keeps
// as a number, a default, the integer key the database assigns; a row the
// database stores as posted stays as posted. Checked field by field against
// the rows read anew, in both locking modes.
TEST_F(AdoFixture, InsertedRowsMatchTheRowsReadAnew) {
  Conn->Execute("create table Kinds (K_ID INTEGER PRIMARY KEY, K_When DATETIME, K_Code STRING(10), "
                "K_Price CURRENCY, K_Qty DOUBLE, K_Note TEXT(20) DEFAULT 'none', K_Flag YESNO)");
  struct Row {
    TDateTime When;
    const char* Code;
    double Price;
    const char* Note;   // nullptr: left null
  };
  const TDateTime day = EncodeDate(2024, 1, 5);
  const Row rows[] = {
      {day, "A1", 12.5, "x"},                      // stored as posted
      {day + 0.4 / 86400.0 + 0.5, "B2", 1, "y"},  // 12:00:00.4 is stored as 12:00:00
      {day, "007", 0.3333, "z"},                   // a numeric column stores 7
      {day, "C3", 2, nullptr},                     // the default applies
  };
  for (TADOLockType lock : {ltOptimistic, ltBatchOptimistic}) {
    SCOPED_TRACE(lock == ltOptimistic ? "optimistic" : "batch");
    Conn->Execute("delete from Kinds");
    auto k = Query("select * from Kinds order by K_ID", lock);
    k->Open();
    for (const Row& r : rows) {
      k->Append();
      k->FieldByName("K_When")->SetAsDateTime(r.When);
      k->FieldByName("K_Code")->SetAsString(r.Code);
      k->FieldByName("K_Price")->SetAsFloat(r.Price);
      k->FieldByName("K_Qty")->SetAsFloat(3);
      if (r.Note) k->FieldByName("K_Note")->SetAsString(r.Note);
      k->FieldByName("K_Flag")->SetAsBoolean(true);
      k->Post();
    }
    if (lock == ltBatchOptimistic) k->UpdateBatch(arAll);
    auto fresh = Query("select * from Kinds order by K_ID");
    fresh->Open();
    ASSERT_EQ(fresh->RecordCount(), 4);
    k->First();
    for (fresh->First(); !fresh->Eof(); fresh->Next(), k->Next()) {
      for (Integer f = 0; f < fresh->Fields().Count(); ++f) {
        TField* want = fresh->Fields()[f];
        SCOPED_TRACE(want->FieldName());
        EXPECT_EQ(k->FieldByName(want->FieldName())->AsVariant(), want->AsVariant());
      }
    }
    EXPECT_EQ(Scalar("select group_concat(K_Code || '/' || K_Note) from Kinds"), "A1/x,B2/y,7/z,C3/none");
    // A written row is found again by a later edit.
    k->First();
    k->Next();
    k->Edit();
    k->FieldByName("K_Qty")->SetAsFloat(4);
    k->Post();
    if (lock == ltBatchOptimistic) k->UpdateBatch(arAll);
    EXPECT_EQ(Scalar("select K_Qty from Kinds where K_Code = 'B2'"), "4");
  }
}

// A document's lines and header written together: a header that fails
// after its lines were written leaves neither in the file and both caches
// pending; once corrected both are written and nothing stays pending.
TEST_F(AdoFixture, SeveralDatasetsWriteInOneTransaction) {
  auto header = Query("select * from Orders where O_ID = 9", ltBatchOptimistic);
  auto lines = Query("select * from Orders_d where O_ID = 9", ltBatchOptimistic);
  auto other = Query("select * from Orders_d", ltBatchOptimistic);
  header->Open();
  lines->Open();
  for (int p : {20, 21}) {
    lines->Append();
    lines->FieldByName("O_ID")->SetAsInteger(9);
    lines->FieldByName("P_ID")->SetAsInteger(p);
    lines->Post();
  }
  header->Append();
  header->FieldByName("O_ID")->SetAsInteger(1);   // taken: the header's write fails
  header->FieldByName("O_NO")->SetAsString("202401090001");
  // (lines first, so the failure comes after they were written)
  EXPECT_THROW(TCustomADODataSet::UpdateBatches({lines.get(), header.get()}), EADOError);
  EXPECT_EQ(Scalar("select count(*) from Orders_d where O_ID = 9"), "0");
  EXPECT_EQ(lines->PendingCount(), 2);
  EXPECT_EQ(header->PendingCount(), 1);   // the edit was posted into the cache
  EXPECT_FALSE(Conn->InTransaction());
  header->Edit();
  header->FieldByName("O_ID")->SetAsInteger(9);
  TCustomADODataSet::UpdateBatches({lines.get(), header.get()});
  EXPECT_EQ(Scalar("select count(*) from Orders_d where O_ID = 9"), "2");
  EXPECT_EQ(Scalar("select O_NO from Orders where O_ID = 9"), "202401090001");
  EXPECT_EQ(lines->PendingCount() + header->PendingCount(), 0);
  // Datasets without changes are passed over; another connection is refused.
  other->Open();
  TCustomADODataSet::UpdateBatches({other.get(), header.get()});
  TADOConnection second;
  second.SetConnectionString(Conn->ConnectionString());
  auto foreign = std::make_unique<TADODataSet>();
  foreign->SetConnection(&second);
  foreign->SetLockType(ltBatchOptimistic);
  foreign->SetCommandText("select * from Orders_d");
  foreign->Open();
  foreign->Delete();
  other->Delete();
  EXPECT_THROW(TCustomADODataSet::UpdateBatches({other.get(), foreign.get()}), EDatabaseError);
  EXPECT_EQ(Scalar("select count(*) from Orders_d"), "5");
}

TEST_F(AdoFixture, MasterDetailRequeriesOnMasterScrollAndFillsTheLink) {
  auto master = Query("select * from Orders order by O_ID");
  TDataSource src;
  src.SetDataSet(master.get());
  auto detail = Query("select * from Orders_d where O_ID = :o_id", ltBatchOptimistic);
  detail->SetDataSource(&src);
  detail->SetMasterFields("o_id");
  detail->SetIndexFieldNames("O_ID");
  master->Open();
  detail->Open();
  EXPECT_EQ(detail->RecordCount(), 2);
  master->Next();
  EXPECT_EQ(detail->RecordCount(), 1);
  EXPECT_EQ(detail->FieldByName("P_ID")->AsInteger(), 10);
  // The detail follows even while the master's controls are disabled.
  master->DisableControls();
  master->First();
  EXPECT_EQ(detail->RecordCount(), 2);
  master->Last();
  master->EnableControls();
  EXPECT_EQ(detail->RecordCount(), 0);
  detail->Append();
  EXPECT_EQ(detail->FieldByName("O_ID")->AsInteger(), 3);   // from the master
  detail->FieldByName("P_ID")->SetAsInteger(5);
  detail->Post();
  // Editing and posting the master (same key) keeps the pending lines.
  master->Edit();
  master->FieldByName("O_JE")->SetAsFloat(1);
  master->Post();
  EXPECT_EQ(detail->PendingCount(), 1);
  detail->UpdateBatch(arAll);
  EXPECT_EQ(Scalar("select P_ID from Orders_d where O_ID = 3"), "5");
}

TEST_F(AdoFixture, NextIdPatternAndParameters) {
  // As the data module hands out ids: read, store n + 1, post at once.
  auto k = Query("select * from Keys where TableName = :TableName");
  k->Parameters()->ParamByName("TableName")->SetValue(Variant("Orders"));
  k->Open();
  Integer n = k->FieldByName("AutoID")->AsInteger();
  k->Edit();
  k->FieldByName("AutoID")->SetAsInteger(n + 1);
  k->Post();
  EXPECT_EQ(n, 7);
  EXPECT_EQ(Scalar("select AutoID from Keys where TableName = 'Orders'"), "8");
  k->Parameters()->ParamByName("TableName")->SetValue(Variant("Nothing"));
  k->Requery();
  EXPECT_TRUE(k->IsEmpty());
  TADOQuery q;
  q.SetConnection(Conn.get());
  q.SQL()->Add("update Orders set O_JE = :je");
  q.SQL()->Add("where O_ID = :id");
  EXPECT_EQ(q.Parameters()->Count(), 2);
  q.Parameters()->ParamByName("je")->SetValue(Variant(2.5));
  q.Parameters()->ParamByName("id")->SetValue(Variant(1));
  EXPECT_EQ(q.ExecSQL(), 1);
  EXPECT_EQ(Scalar("select O_JE from Orders where O_ID = 1"), "2.5");
  TADOTable t;
  t.SetConnection(Conn.get());
  t.SetTableName("Customers");
  t.Open();
  EXPECT_EQ(t.RecordCount(), 2);
}

TEST_F(AdoFixture, CloneHasTheRecordsWithItsOwnCursor) {
  auto c = Query("select * from Customers");
  c->Open();
  c->Last();
  TADODataSet copy;
  copy.Clone(c.get());
  EXPECT_EQ(copy.RecordCount(), 2);
  EXPECT_EQ(copy.FieldByName("C_Name")->AsString(), "张三");   // first record
  EXPECT_EQ(c->FieldByName("C_Name")->AsString(), "O'Brien");  // source cursor unmoved
  EXPECT_TRUE(copy.Locate("C_NO", Variant("C2"), {}));
}

TEST_F(AdoFixture, CloneSharesTheRecordsOfItsSource) {
  for (TADOLockType lock : {ltOptimistic, ltBatchOptimistic}) {
    SCOPED_TRACE(lock == ltOptimistic ? "optimistic" : "batch");
    auto c = Query("select * from Customers", lock);
    c->Open();
    auto copy = std::make_unique<TADODataSet>();
    copy->Clone(c.get());
    // An edit posted through the clone is seen by the source.
    copy->Last();
    copy->Edit();
    copy->FieldByName("C_Name")->SetAsString("李四");
    copy->Post();
    c->Resync();
    c->Last();
    EXPECT_EQ(c->FieldByName("C_Name")->AsString(), "李四");
    // A record appended through the source shows in the clone after it moves.
    c->Append();
    c->FieldByName("C_NO")->SetAsString("C3");
    c->Post();
    copy->First();
    EXPECT_EQ(copy->RecordCount(), 3);
    EXPECT_TRUE(copy->Locate("C_NO", Variant("C3"), {}));
    // Deleting through one leaves no trace of the record in the other, even
    // while it is the other's current record.
    c->Delete();
    if (lock == ltOptimistic) EXPECT_NE(copy->FieldByName("C_NO")->AsString(), "C3");
    copy->Resync();
    EXPECT_EQ(copy->RecordCount(), 2);
    EXPECT_FALSE(copy->Locate("C_NO", Variant("C3"), {}));
    if (lock == ltBatchOptimistic) {
      EXPECT_EQ(copy->PendingCount(), c->PendingCount());
      copy->UpdateBatch();
      EXPECT_EQ(c->PendingCount(), 0);
    }
    // Closing the source leaves the clone its records.
    c->Close();
    copy->First();
    EXPECT_EQ(copy->RecordCount(), 2);
    EXPECT_EQ(copy->FieldByName("C_NO")->AsString(), "C1");
    auto check = Query("select C_Name from Customers where C_NO = 'C2'");
    check->Open();
    EXPECT_EQ(check->FieldByName("C_Name")->AsString(), "李四");
  }
}

TEST_F(AdoFixture, TransactionsRollBack) {
  Conn->BeginTrans();
  Conn->Execute("delete from Orders");
  Conn->BeginTrans();
  Conn->Execute("delete from Customers");
  Conn->RollbackTrans();
  EXPECT_EQ(Scalar("select count(*) from Customers"), "2");
  Conn->RollbackTrans();
  EXPECT_EQ(Scalar("select count(*) from Orders"), "3");
  EXPECT_THROW(Conn->CommitTrans(), EADOError);
}

TEST_F(AdoFixture, ParametersMustHaveValuesAndDateLiteralsAreNoMarkers) {
  // The time in the date literal has colons; only :c is a parameter.
  auto q = Query("select O_ID from Orders where O_OrderDate < #2024-02-29 13:00:00# and C_ID = :c order by O_ID");
  ASSERT_EQ(q->Parameters()->Count(), 1);
  try {
    q->Open();
    FAIL() << "opened with a parameter that has no value";
  } catch (EDatabaseError& e) {
    EXPECT_NE(e.Message().find("parameter 'c'"), String::npos) << e.Message();
  }
  EXPECT_FALSE(q->Active());
  q->Parameters()->ParamByName("c")->SetValue(Variant(1));
  q->Open();
  EXPECT_EQ(q->RecordCount(), 2);
  // Null is a value: it matches nothing, and says nothing.
  q->Close();
  q->Parameters()->ParamByName("c")->Clear();
  q->Open();
  EXPECT_EQ(q->RecordCount(), 0);

  TADOCommand cmd;
  cmd.SetConnection(Conn.get());
  cmd.SetCommandText("update Orders set O_NO = :no where O_ID = :id");
  cmd.Parameters()->ParamByName("id")->SetValue(Variant(1));
  try {
    cmd.Execute();
    FAIL() << "executed with a parameter that has no value";
  } catch (EADOError& e) {
    EXPECT_NE(e.Message().find("parameter 'no'"), String::npos) << e.Message();
  }
  EXPECT_EQ(Scalar("select O_NO from Orders where O_ID = 1"), "202401050001");
}

TEST_F(AdoFixture, SeveralStatementsRunAsOneTransaction) {
  const char* sql = "update Keys set AutoID = 100; insert into Orders (O_ID) values (1)";   // key 1 exists
  EXPECT_THROW(Conn->Execute(sql), EADOError);
  EXPECT_EQ(Scalar("select AutoID from Keys"), "7");   // the first statement is undone too
  EXPECT_FALSE(Conn->InTransaction());
  // Inside a transaction of the caller's, a failed command undoes only itself.
  Conn->BeginTrans();
  Conn->Execute("update Keys set AutoID = 8");
  EXPECT_THROW(Conn->Execute(sql), EADOError);
  EXPECT_EQ(Conn->Execute("update Keys set AutoID = AutoID + 1; update Keys set AutoID = AutoID * 2;"), 1);
  Conn->CommitTrans();
  EXPECT_EQ(Scalar("select AutoID from Keys"), "18");
}

TEST_F(AdoFixture, ErrorsQuoteTheSqlAsWritten) {
  struct Case {
    const char* Sql;
    const char* Quoted;
  };
  for (Case c : {Case{"select * from Orders where O_IsBack = True and nope = 1", "O_IsBack = True and nope"},
                 Case{"select * from Orders where O_ID = :id and nope = #2024-01-05#", ":id and nope = #2024-01-05#"},
                 Case{"select * from Orders where O_NO = \"open", "\"open"}}) {
    SCOPED_TRACE(c.Sql);
    auto q = Query(c.Sql);
    if (q->Parameters()->Count()) q->Parameters()->Items(0)->SetValue(Variant(1));
    try {
      q->Open();
      FAIL();
    } catch (EDatabaseError& e) {
      EXPECT_NE(e.Message().find(c.Quoted), String::npos) << e.Message();
    }
    TParams params;
    params.ParseSQL(c.Sql);
    for (Integer i = 0; i < params.Count(); ++i) params[i]->SetValue(Variant(1));
    try {
      Conn->Execute(c.Sql, params);
      FAIL();
    } catch (EDatabaseError& e) {
      EXPECT_NE(e.Message().find(c.Quoted), String::npos) << e.Message();
    }
  }
}

// Two users edit the same order: B read it before A saved.
TEST_F(AdoFixture, OptimisticWriteDetectsAChangeByAnotherUser) {
  for (TADOLockType lock : {ltOptimistic, ltBatchOptimistic}) {
    SCOPED_TRACE(lock == ltOptimistic ? "optimistic" : "batch");
    Conn->Execute("update Orders set O_NO = '202401050001', O_JE = 12.5 where O_ID = 1");
    auto a = Query("select * from Orders where O_ID = 1");
    auto b = Query("select * from Orders where O_ID = 1", lock);
    a->Open();
    b->Open();
    a->Edit();
    a->FieldByName("O_NO")->SetAsString("A");
    a->Post();
    b->Edit();
    b->FieldByName("O_NO")->SetAsString("B");
    String message;
    try {
      b->Post();
      if (lock == ltBatchOptimistic) b->UpdateBatch();
    } catch (EADOError& e) {
      message = e.Message();
    }
    EXPECT_EQ(message,
              "Row cannot be located for updating. Some values may have been changed since it was last read.");
    EXPECT_EQ(Scalar("select O_NO from Orders where O_ID = 1"), "A");   // A's change stands
    // B's edit is kept to retry: still being edited, or still pending.
    EXPECT_EQ(b->FieldByName("O_NO")->AsString(), "B");
    if (lock == ltOptimistic) EXPECT_EQ(b->State(), dsEdit);
    else EXPECT_EQ(b->PendingCount(), 1);
    b->Cancel();
    if (lock == ltBatchOptimistic) b->CancelBatch();
    // A change of another column than A changed is no conflict.
    b->Edit();
    b->FieldByName("O_JE")->SetAsFloat(99);
    b->Post();
    if (lock == ltBatchOptimistic) b->UpdateBatch();
    EXPECT_EQ(Scalar("select O_NO || '/' || O_JE from Orders where O_ID = 1"), "A/99");
  }
  // A value the database keeps in another form than this program writes
  // (more decimals, a date without time) is the same value: no conflict.
  Conn->Execute("update Orders set O_JE = 12.50000001, O_OrderDate = '2024-01-05' where O_ID = 2");
  auto c = Query("select * from Orders where O_ID = 2");
  c->Open();
  c->Edit();
  c->FieldByName("O_JE")->SetAsFloat(13);
  c->FieldByName("O_OrderDate")->SetAsDateTime(EncodeDate(2024, 1, 6));
  c->Post();
  EXPECT_EQ(Scalar("select O_JE || ' ' || O_OrderDate from Orders where O_ID = 2"), "13 2024-01-06 00:00:00");
}

struct JetCase {
  const char* Sql;
  const char* Expected;   // group_concat of the first column, or a scalar
};

TEST_F(AdoFixture, JetConstructsRun) {
  std::vector<JetCase> cases = {
      {"select O_ID from Orders where O_OrderDate >= #2024-01-06# and O_OrderDate < #2024-02-01#;", "2"},
      {"select O_ID from Orders where O_OrderDate < #01/06/2024#", "1"},
      {"select O_ID from Orders where O_IsBack = True", "2"},
      {"select O_ID from Orders where O_IsBack = False order by O_ID", "1,3"},
      {"select O_ID from Orders where InStr('1;3;', CStr(C_ID) + ';') > 0 order by O_ID", "1,3"},
      {"select [O_NO] + '-' + [C_NO] from [Orders] o, [Customers] c where o.C_ID = c.C_ID and o.O_ID = 1",
       "202401050001-C1"},
      {"select C_NO & ':' & C_Name from Customers where C_ID = 2", "C2:O'Brien"},
      {"select C_Name from Customers where C_Name = \"张三\"", "张三"},
      {"select C_NO from Customers where C_Name like '*Bri?n'", "C2"},
      {"select O_NO from Orders where O_NO like '20240105%'", "202401050001"},
      {"select top 2 O_ID from Orders order by O_ID desc", "3,2"},
      {"select Len(C_Name) from Customers where C_ID = 1", "2"},
      {"select Mid(O_NO, 9, 4) from Orders where O_ID = 2", "0001"},
      {"select Left(C_Name, 1) || Right(O_NO, 2) from Orders, Customers where Orders.C_ID = Customers.C_ID and O_ID = 1",
       "张01"},
      {"select IIf(O_IsBack, 'back', 'sale') from Orders where O_ID = 2", "back"},
      {"select Orders.O_ID from (Customers INNER JOIN Orders ON Customers.C_ID = Orders.C_ID) "
       "INNER JOIN Orders_d ON Orders.O_ID = Orders_d.O_ID where Orders_d.P_ID = 11",
       "1"},
      {"select count(*) from Orders where O_OrderDate <= Now() and O_OrderDate >= #2000-1-1#", "3"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Sql);
    auto q = Query(c.Sql);
    ASSERT_NO_THROW(q->Open());
    String got;
    while (!q->Eof()) {
      got += (got.empty() ? "" : ",") + q->Fields()[0]->AsString();
      q->Next();
    }
    EXPECT_EQ(got, c.Expected);
  }
}

TEST(JetTranslator, RewritesOnlyOutsideLiterals) {
  EXPECT_EQ(TranslateJetSQL("select * from T where d = #2024-01-05# and f = True;"),
            "select * from T where d = '2024-01-05 00:00:00' and f = 1");
  EXPECT_EQ(TranslateJetSQL("select 'True & #x#' from T where a & b"), "select 'True & #x#' from T where a || b");
  EXPECT_EQ(TranslateJetSQL("select \"it's\""), "select 'it''s'");
  EXPECT_EQ(TranslateJetSQL("select a + b from T"), "select a + b from T");
  EXPECT_EQ(TranslateJetSQL("select CStr(a) + ';' from T"), "select CStr(a) || ';' from T");
  EXPECT_EQ(TranslateJetSQL("select top 5 a from [My Table]"), "select a from [My Table] LIMIT 5");
  EXPECT_EQ(TranslateJetSQL("select * from T where n like 'a*b?'"), "select * from T where n like 'a%b_'");
  EXPECT_THROW(TranslateJetSQL("select #2024-13-45#"), EADOError);
  EXPECT_THROW(TranslateJetSQL("select 'open"), EADOError);
}

TEST(JetTranslator, PlusJoinsTextAfterNestedCalls) {
  EXPECT_EQ(TranslateJetSQL("select CStr(Len(a) + 1) + 'x' + (b + c) from T"),
            "select CStr(Len(a) + 1) || 'x' || (b + c) from T");
  EXPECT_EQ(TranslateJetSQL("select Len(CStr(a)) + 1, (x) + 2) + 'y'"), "select Len(CStr(a)) + 1, (x) + 2) || 'y'");
  EXPECT_EQ(TranslateJetSQL("select Mid(a, (1), 2) + b from T"), "select Mid(a, (1), 2) || b from T");
}

TEST_F(AdoFixture, OutOfRangeConversionsFailInsideTheStatement) {
  struct Case {
    const char* Sql;
    const char* Result;   // nullptr: the conversion fails
  };
  std::vector<Case> cases = {
      {"select CLng(2147483647.4)", "2147483647"},
      {"select CLng(-2.5) || ' ' || CLng(3.5)", "-2 4"},   // ties to even
      {"select CInt(32767)", "32767"},
      {"select CCur(1.23456)", "1.2346"},
      {"select CLng(2147483648)", nullptr},
      {"select CLng(1e30)", nullptr},
      {"select CInt(32768)", nullptr},
      {"select CInt(-40000.2)", nullptr},
      {"select CCur(1e15)", nullptr},
      {"select CCur(-1e300)", nullptr},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Sql);
    if (c.Result) {
      EXPECT_EQ(Scalar(c.Sql), c.Result);
      continue;
    }
    try {
      Scalar(c.Sql);
      FAIL() << "no error";
    } catch (EADOError& e) {
      EXPECT_NE(e.Message().find("Overflow"), String::npos) << e.Message();
      EXPECT_NE(e.Message().find(c.Sql), String::npos) << e.Message();
    }
  }
  // The connection works on after the failures.
  EXPECT_EQ(Scalar("select CLng(O_JE) from Orders where O_ID = 2"), "100");
}

TEST(JetTranslator, StorageDateForm) {
  EXPECT_EQ(DateTimeToISO(EncodeDate(2024, 1, 5) + EncodeTime(13, 4, 5, 600)), "2024-01-05 13:04:06");
  TDateTime d;
  ASSERT_TRUE(ISOToDateTime("2024-01-05 13:04:06", d));
  EXPECT_EQ(DateTimeToISO(d), "2024-01-05 13:04:06");
  ASSERT_TRUE(ISOToDateTime("2024-01-05", d));
  EXPECT_EQ(d, EncodeDate(2024, 1, 5));
  EXPECT_FALSE(ISOToDateTime("2024-02-30", d));
  EXPECT_FALSE(ISOToDateTime("hello", d));
  // The storage form is read to the very value the date functions give.
  struct Case {
    const char* Text;
    int Y, M, D, H, N, S;   // Y == 0: not a date
  };
  for (Case c : {Case{"2024-02-29 23:59:59", 2024, 2, 29, 23, 59, 59}, Case{"0001-01-01 00:00:00", 1, 1, 1, 0, 0, 0},
                 Case{"9999-12-31 12:30:01", 9999, 12, 31, 12, 30, 1}, Case{"1899-12-30 06:00:00", 1899, 12, 30, 6, 0, 0},
                 Case{"2000-03-01 00:00:00", 2000, 3, 1, 0, 0, 0}, Case{"1900-02-28 00:00:00", 1900, 2, 28, 0, 0, 0},
                 Case{"2023-02-29 00:00:00", 0}, Case{"1900-02-29 00:00:00", 0}, Case{"2024-04-31 00:00:00", 0},
                 Case{"2024-01-01 24:00:00", 0}, Case{"2024-13-01 00:00:00", 0}, Case{"0000-01-01 00:00:00", 0},
                 Case{"2024-01-0a 00:00:00", 0}}) {
    SCOPED_TRACE(c.Text);
    if (c.Y == 0) {
      EXPECT_FALSE(ISOToDateTime(c.Text, d));
      continue;
    }
    ASSERT_TRUE(ISOToDateTime(c.Text, d));
    EXPECT_EQ(d, EncodeDate(Word(c.Y), Word(c.M), Word(c.D)) + EncodeTime(Word(c.H), Word(c.N), Word(c.S), 0));
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Form files: a data module's components written and read back.

namespace {

class TTestModule : public TComponent {
  TOVANI_CLASS(TTestModule, TComponent)
 public:
  using TComponent::TComponent;
  void d_OrdersAfterInsert(TDataSet* ds) { ++Inserts; ds->FieldByName("O_NO")->SetAsString("new"); }
  int Inserts = 0;
};

}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TTestModule, TComponent)
TOVANI_PUBLISHED(TTestModule) { Method("d_OrdersAfterInsert", &TTestModule::d_OrdersAfterInsert); }

namespace {

TEST_F(AdoFixture, ComponentsStreamWithFieldsParametersAndHandlers) {
  TTestModule module;
  auto* conn = new TADOConnection(&module);
  conn->SetName("conn");
  conn->SetLoginPrompt(false);
  conn->SetConnectionString(Conn->ConnectionString());
  auto* orders = new TADODataSet(&module);
  orders->SetName("d_Orders");
  orders->SetConnection(conn);
  orders->SetLockType(ltBatchOptimistic);
  orders->SetCommandText("select * from Orders where O_ID >= :o_id");
  orders->Parameters()->ParamByName("o_id")->SetDataType(ftInteger);
  orders->Parameters()->ParamByName("o_id")->SetValue(Variant(2));
  SetMethodProp(orders, "AfterInsert", TMethod{{}, &module, "d_OrdersAfterInsert"});
  for (const char* name : {"O_ID", "O_NO", "O_JE"}) {
    TField* f = name == String("O_JE") ? static_cast<TField*>(new TBCDField(&module))
                                       : name == String("O_ID") ? static_cast<TField*>(new TIntegerField(&module))
                                                                : static_cast<TField*>(new TWideStringField(&module));
    f->SetName(String("d_Orders") + name);
    f->SetFieldName(name);
    f->SetDataSet(orders);
  }
  static_cast<TBCDField*>(orders->FieldByName("O_JE"))->SetDisplayFormat("\xEF\xBF\xA5#.00");
  auto* src = new TDataSource(&module);
  src->SetName("ds_Orders");
  src->SetDataSet(orders);
  conn->Open();
  orders->Open();

  TMemoryStream stream;
  WriteComponentToStream(&stream, &module);
  stream.SetPosition(0);
  TTestModule copy;
  ReadComponentFromStream(&stream, &copy);

  auto* conn2 = dynamic_cast<TADOConnection*>(copy.FindComponent("conn"));
  auto* orders2 = dynamic_cast<TADODataSet*>(copy.FindComponent("d_Orders"));
  auto* src2 = dynamic_cast<TDataSource*>(copy.FindComponent("ds_Orders"));
  ASSERT_TRUE(conn2 && orders2 && src2);
  EXPECT_TRUE(conn2->Connected());   // connected and opened once loaded
  EXPECT_TRUE(orders2->Active());
  EXPECT_EQ(orders2->Connection(), conn2);
  EXPECT_EQ(src2->DataSet(), orders2);
  EXPECT_EQ(orders2->LockType(), ltBatchOptimistic);
  EXPECT_EQ(orders2->Parameters()->ParamByName("o_id")->DataType(), ftInteger);
  EXPECT_EQ(orders2->Parameters()->Count(), 1);
  orders2->Parameters()->ParamByName("o_id")->SetValue(Variant(2));
  orders2->Requery();
  EXPECT_EQ(orders2->RecordCount(), 2);   // O_ID >= 2
  ASSERT_EQ(orders2->FieldCount(), 3);    // the persistent fields only
  EXPECT_FALSE(orders2->DefaultFields());
  EXPECT_EQ(orders2->Fields()[2]->Owner(), &copy);
  EXPECT_EQ(static_cast<TBCDField*>(orders2->FieldByName("O_JE"))->DisplayFormat(), "\xEF\xBF\xA5#.00");
  orders2->Append();
  EXPECT_EQ(copy.Inserts, 1);
  EXPECT_EQ(orders2->FieldByName("O_NO")->AsString(), "new");
  orders2->Cancel();
}

}  // namespace

namespace {

TEST_F(AdoFixture, ParameterValuesRoundTripThroughTextForms) {
  TTestModule module;
  module.SetName("Module");
  auto* q = new TADOQuery(&module);
  q->SetName("q");
  q->SQL()->SetText("select * from Orders where O_ID = :id and O_NO = :no or O_JE = :je or C_ID = :c");
  ASSERT_EQ(q->Parameters()->Count(), 4);
  q->Parameters()->ParamByName("id")->SetDataType(ftInteger);
  q->Parameters()->ParamByName("id")->SetValue(Variant::Null());
  q->Parameters()->ParamByName("no")->SetValue(Variant("单号'1"));
  q->Parameters()->ParamByName("je")->SetValue(Variant(2.5));
  q->Parameters()->ParamByName("c")->SetValue(Variant(7));
  String text = ComponentToText(&module);
  EXPECT_NE(text.find("Value = Null"), String::npos) << text;

  TTestModule copy;
  ReadComponentFromText(text, &copy);
  auto* q2 = dynamic_cast<TADOQuery*>(copy.FindComponent("q"));
  ASSERT_TRUE(q2);
  TParams* p = q2->Parameters();
  ASSERT_EQ(p->Count(), 4);
  EXPECT_TRUE(p->ParamByName("id")->Value().IsNull());
  EXPECT_EQ(p->ParamByName("id")->DataType(), ftInteger);
  EXPECT_EQ(p->ParamByName("no")->AsString(), "单号'1");
  EXPECT_DOUBLE_EQ(p->ParamByName("je")->AsFloat(), 2.5);
  EXPECT_EQ(p->ParamByName("c")->AsInteger(), 7);

  // As form files list them: the parameters before the SQL that names them.
  TTestModule hand;
  ReadComponentFromText(
      "object Module: TTestModule\n"
      "  object q: TADOQuery\n"
      "    Parameters = <\n"
      "      item\n"
      "        Name = 'id'\n"
      "        DataType = ftInteger\n"
      "        Size = -1\n"
      "        Value = Null\n"
      "      end\n"
      "      item\n"
      "        Name = 'no'\n"
      "        Value = 'A1'\n"
      "      end>\n"
      "    SQL.Strings = (\n"
      "      'select * from Orders where O_ID = :id or O_NO = :no')\n"
      "  end\n"
      "end\n",
      &hand);
  auto* q3 = dynamic_cast<TADOQuery*>(hand.FindComponent("q"));
  ASSERT_TRUE(q3);
  ASSERT_EQ(q3->Parameters()->Count(), 2);
  EXPECT_TRUE(q3->Parameters()->ParamByName("id")->Value().IsNull());
  EXPECT_EQ(q3->Parameters()->ParamByName("id")->DataType(), ftInteger);
  EXPECT_EQ(q3->Parameters()->ParamByName("no")->AsString(), "A1");
}

}  // namespace
