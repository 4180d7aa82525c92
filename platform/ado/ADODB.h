// The ADO components over SQLite: a connection that opens the database file
// named by its connection string, and client-side static-cursor datasets
// whose rows are read into memory on Open. Posted changes are written at
// once (optimistic locking) or kept until UpdateBatch (batch-optimistic),
// always to the statement's single base table, keyed by its primary key or
// by rowid. SQL texts are in the Jet dialect and translated for SQLite
// (JetSQL.h).
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include "DB.h"

class TStrings;
class TStringList;
struct sqlite3;
struct sqlite3_stmt;
class TCustomADODataSet;

enum TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
enum TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
enum TCursorLocation { clUseServer, clUseClient };
enum TAffectRecords { arCurrent, arFiltered, arAll, arAllChapters };
enum TConnectMode {
  cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite, cmShareExclusive,
  cmShareDenyNone
};
enum TCommandType { cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect };

struct TTypeInfo;
const TTypeInfo* TovaniEnumInfo(TCursorType);
const TTypeInfo* TovaniEnumInfo(TADOLockType);
const TTypeInfo* TovaniEnumInfo(TCursorLocation);
const TTypeInfo* TovaniEnumInfo(TConnectMode);
const TTypeInfo* TovaniEnumInfo(TCommandType);

using TParameters = TParams;
using TParameter = TParam;

// Database errors of the ADO layer: the SQLite message, then the statement.
TOVANI_EXCEPTION(EADOError, EDatabaseError)

class TADOConnection : public TComponent {
  TOVANI_CLASS(TADOConnection, TComponent)
 public:
  explicit TADOConnection(TComponent* owner = nullptr);
  ~TADOConnection() override;
  void Loaded() override;

  // "Provider=...;Data Source=<file>;Jet OLEDB:Database Password=..."; the
  // provider, password and security keys are accepted and ignored.
  const String& ConnectionString() const { return FConnectionString; }
  void SetConnectionString(const String& v);
  // The value of one key of the connection string ("" when absent).
  String ConnectionValue(const String& key) const;
  // The database file (the "Data Source" key).
  String DataSource() const { return ConnectionValue("Data Source"); }

  bool Connected() const { return FDb != nullptr; }
  void SetConnected(bool v);
  void Open();
  void Close();
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool v) { FLoginPrompt = v; }
  TConnectMode Mode() const { return FMode; }
  void SetMode(TConnectMode v) { FMode = v; }
  bool KeepConnection() const { return FKeepConnection; }
  void SetKeepConnection(bool v) { FKeepConnection = v; }
  const String& Provider() const { return FProvider; }
  void SetProvider(const String& v) { FProvider = v; }

  // Runs a command (Jet SQL; several statements separated by ";" run in
  // turn as one transaction: all of them or none). Answers the number of
  // rows the last statement changed. A parameter marker without a value
  // raises EADOError naming the parameter.
  Integer Execute(const String& commandText);
  Integer Execute(const String& commandText, const TParams& params);

  // Transactions nest: an inner level is a savepoint.
  Integer BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return FTransLevel > 0; }

  // The datasets using this connection (closed when it closes).
  Integer DataSetCount() const { return Integer(FDataSets.size()); }
  TCustomADODataSet* DataSets(Integer i) const { return FDataSets.at(size_t(i)); }

  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

  // For the datasets: the open handle (connects when needed).
  sqlite3* Handle();
  // Raises EADOError with SQLite's message and the statement.
  [[noreturn]] void RaiseError(const String& sql) const;

 private:
  friend class TCustomADODataSet;
  void RegisterDataSet(TCustomADODataSet* ds);
  void UnregisterDataSet(TCustomADODataSet* ds);
  String FConnectionString, FProvider;
  sqlite3* FDb = nullptr;
  bool FStreamedConnected = false;
  bool FLoginPrompt = true, FKeepConnection = true;
  TConnectMode FMode = cmUnknown;
  Integer FTransLevel = 0;
  std::vector<TCustomADODataSet*> FDataSets;
  String FOpenFile;
};

class TCustomADODataSet : public TDataSet {
  TOVANI_CLASS(TCustomADODataSet, TDataSet)
 public:
  explicit TCustomADODataSet(TComponent* owner = nullptr);
  ~TCustomADODataSet() override;

  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* c);
  TCursorType CursorType() const { return FCursorType; }
  void SetCursorType(TCursorType v) { FCursorType = v; }
  TCursorLocation CursorLocation() const { return FCursorLocation; }
  void SetCursorLocation(TCursorLocation v) { FCursorLocation = v; }
  TADOLockType LockType() const { return FLockType; }
  void SetLockType(TADOLockType v);
  TCommandType CommandType() const { return FCommandType; }
  void SetCommandType(TCommandType v) { FCommandType = v; }
  // The command: SQL text, or a table name with cmdTable.
  const String& CommandText() const { return FCommandText; }
  void SetCommandText(const String& v);
  TParams* Parameters() { return &FParameters; }
  // Master/detail: parameters (and the IndexFieldNames of new records) take
  // the values of the master's fields of the same names (MasterFields).
  void SetDataSource(TDataSource* ds) { SetMasterSource(ds); }
  const String& MasterFields() const { return FMasterFields; }
  void SetMasterFields(const String& v) { FMasterFields = v; }
  const String& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const String& v) { FIndexFieldNames = v; }
  bool CanModify() const override;

  // Reads the rows again with the current parameters; the first record
  // becomes current.
  void Requery();
  // Writes every pending change (batch-optimistic) in one transaction. On
  // failure nothing is written and every change stays pending.
  void UpdateBatch(TAffectRecords affect = arAll);
  // Writes the pending changes of several datasets of one connection (a
  // document's header and its lines) in one transaction: all of them or,
  // on failure, none, with every change still pending in every dataset.
  static void UpdateBatches(const std::vector<TCustomADODataSet*>& dataSets);
  void CancelBatch(TAffectRecords affect = arAll);
  // Number of records with changes not yet written.
  Integer PendingCount() const;
  // Opens as a copy of another open dataset's records with its own cursor.
  void Clone(TCustomADODataSet* source, TADOLockType lockType = ltUnspecified);

  // The base table the dataset writes to ("" when it cannot write).
  const String& BaseTable() const { return FBaseTable; }

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  void InternalPostRecord(TRecordData* rec, std::vector<TDBValue>& values, bool inserting) override;
  void InternalDeleteRecord(TRecordData* rec) override;
  void InternalRefresh() override;
  void DoOnNewRecord() override;
  bool FilterIgnoresCase() const override { return true; }
  void MasterChanged() override;
  void Notification(TComponent* c, TOperation op) override;
  // The SQL text to run (the query's SQL, the table's select, ...).
  virtual String GetCommandSQL() const;
  void ParamsChanged();

 private:
  friend class TADOConnection;
  struct Column;
  void ReadRows(bool defineFields);
  void SetParamsFromMaster();
  std::vector<Variant> MasterValues() const;
  class WriteSession;
  Int64 WriteRecord(TRecordData* rec, const TDBValue* values, TRecordStatus status,
                    WriteSession& session);
  String KeyCondition(const TDBValue* old) const;
  void BindKey(sqlite3_stmt* st, int i, const TRecordData* rec, const TDBValue* old) const;
  void TakeInserted(WriteSession& session, Int64 rowid, TDBValue* values) const;
  Int64 InsertRecord(TRecordData* rec, const TDBValue* values, WriteSession& session, std::vector<TDBValue>& stored);
  bool StoredAsPosted(WriteSession& session, const TDBValue* values);
  // A record written by UpdateBatch: its rowid and, for an insert, the row
  // as the database stored it (none where that is the row as posted).
  struct TWritten {
    TRecordData* Rec = nullptr;
    Int64 RowId = 0;
    std::vector<TDBValue> Stored;
  };
  void TakeWritten(std::vector<TWritten>& written);
  void CheckWritable() const;
  TADOConnection* FConnection = nullptr;
  TCursorType FCursorType = ctKeyset;
  TCursorLocation FCursorLocation = clUseClient;
  TADOLockType FLockType = ltOptimistic;
  TCommandType FCommandType = cmdText;
  String FCommandText;
  TParams FParameters;
  String FMasterFields, FIndexFieldNames;
  // Write-back information read on Open.
  String FBaseTable;
  std::vector<Column> FColumns;     // one per field definition
  bool FKeyByRowId = false;
  bool FHasRowIdColumn = false;     // the hidden rowid column (last in the row)
  std::vector<Variant> FLastMasterValues;
  bool FHaveMasterValues = false;
  bool FCloning = false;
  TCustomADODataSet* FCloneSource = nullptr;
};

class TADODataSet : public TCustomADODataSet {
  TOVANI_CLASS(TADODataSet, TCustomADODataSet)
 public:
  explicit TADODataSet(TComponent* owner = nullptr);
};

class TADOQuery : public TCustomADODataSet {
  TOVANI_CLASS(TADOQuery, TCustomADODataSet)
 public:
  explicit TADOQuery(TComponent* owner = nullptr);
  ~TADOQuery() override;
  // The SQL text; changing it closes the query and re-reads its parameters.
  TStrings* SQL() const;
  void SetSQL(TStrings* v);
  // Runs the SQL as a command; answers the rows changed.
  Integer ExecSQL();
  Integer RowsAffected() const { return FRowsAffected; }
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool v) { FPrepared = v; }

 protected:
  String GetCommandSQL() const override;

 private:
  void SQLChanged();
  std::unique_ptr<TStringList> FSQL;
  Integer FRowsAffected = -1;
  bool FPrepared = false;
};

class TADOTable : public TCustomADODataSet {
  TOVANI_CLASS(TADOTable, TCustomADODataSet)
 public:
  explicit TADOTable(TComponent* owner = nullptr);
  const String& TableName() const { return CommandText(); }
  void SetTableName(const String& v) { SetCommandText(v); }
  bool ReadOnly() const { return TDataSet::ReadOnly(); }
};

class TADOCommand : public TComponent {
  TOVANI_CLASS(TADOCommand, TComponent)
 public:
  explicit TADOCommand(TComponent* owner = nullptr) : TComponent(owner) {}
  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* c) { FConnection = c; }
  const String& CommandText() const { return FCommandText; }
  void SetCommandText(const String& v);
  TParams* Parameters() { return &FParameters; }
  Integer Execute();
 private:
  TADOConnection* FConnection = nullptr;
  String FCommandText;
  TParams FParameters;
};

// The storage forms of the database: dates as "YYYY-MM-DD HH:MM:SS".
String DateTimeToISO(TDateTime v);
bool ISOToDateTime(std::string_view s, TDateTime& v);
