// The ADO datasets: rows read into memory on Open, changes written to the
// statement's base table at once or in one batch.
#include <sqlite3.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include "ADODB.h"
#include "ADOSqlite.h"
#include "DBUtil.h"
#include "DateUtils.h"
#include "JetSQL.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS(TCustomADODataSet, TDataSet)
TOVANI_IMPLEMENT_CLASS_FACTORY(TADODataSet, TCustomADODataSet)
TOVANI_IMPLEMENT_CLASS_FACTORY(TADOQuery, TCustomADODataSet)
TOVANI_IMPLEMENT_CLASS_FACTORY(TADOTable, TCustomADODataSet)

namespace {
const char* const SRowNotFoundUpdate =
    "Row cannot be located for updating. Some values may have been changed since it was last read.";
const char* const SRowNotFoundDelete =
    "Row cannot be located for deletion. Some values may have been changed since it was last read.";
const char* const SHiddenRowId = "__tovani_rowid__";

// Field type from a declared column type, as the Jet provider maps the
// database's kinds: long integer, auto-number, text, memo, currency, date,
// yes/no, OLE object.
TFieldType TypeFromDecl(const String& decl, bool autoInc, Integer& size) {
  String u = UpperCase(Trim(decl));
  size = 0;
  size_t paren = u.find('(');
  if (paren != String::npos) {
    size = Integer(std::atoi(u.c_str() + paren + 1));
    u = Trim(u.substr(0, paren));
  }
  auto has = [&](const char* w) { return u.find(w) != String::npos; };
  if (autoInc || has("COUNTER") || has("AUTOINC") || has("AUTONUMBER") || has("IDENTITY")) return ftAutoInc;
  if (has("BIGINT") || has("INT64")) return ftLargeint;
  if (has("SMALLINT") || has("SHORT") || has("TINYINT") || u == "BYTE") return ftSmallint;
  if (has("INT") || u == "LONG") return ftInteger;
  if (has("CURRENCY") || has("MONEY") || has("DECIMAL") || has("NUMERIC")) return ftBCD;
  if (has("DOUBLE") || has("FLOAT") || has("REAL") || has("SINGLE") || u == "NUMBER") return ftFloat;
  if (has("DATE") || has("TIME")) return ftDateTime;
  if (u == "BIT" || has("YESNO") || has("BOOL") || has("LOGICAL")) return ftBoolean;
  if (has("MEMO") || has("LONGTEXT") || has("NOTE") || has("CLOB") || has("HYPERLINK")) return ftWideMemo;
  if (has("BLOB") || has("BINARY") || has("OLE") || has("IMAGE") || has("GENERAL")) return ftBlob;
  if (has("CHAR") || has("TEXT") || has("STRING")) {
    if (size == 0) size = 255;
    return ftWideString;
  }
  return ftUnknown;
}

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp; }

// Reads one column of the current row into `out`, in the storage kind of
// the field type (`kind` is StorageKindOf(type), worked out once per column).
void ReadColumnInto(TDBValue& out, sqlite3_stmt* st, int col, TFieldType type, TStorageKind kind) {
  // The column's value is read through one look-up of the column (each
  // sqlite3_column_* call looks it up again); the statement belongs to this
  // thread.
  sqlite3_value* cv = sqlite3_column_value(st, col);
  int vt = sqlite3_value_type(cv);
  if (vt == SQLITE_NULL) {
    out = TDBValue{};
    return;
  }
  switch (kind) {
    case TStorageKind::Int:
      if (vt == SQLITE_FLOAT) out.emplace<Int64>(Int64(std::nearbyint(sqlite3_value_double(cv))));
      else out.emplace<Int64>(sqlite3_value_int64(cv));
      return;
    case TStorageKind::Float:
      if (vt == SQLITE_TEXT && IsDateType(type)) {
        std::string_view s(reinterpret_cast<const char*>(sqlite3_value_text(cv)),
                           size_t(sqlite3_value_bytes(cv)));
        TDateTime d;
        if (ISOToDateTime(s, d) || TryStrToDateTime(String(s), d)) out.emplace<double>(d);
        else out = TDBValue{};
        return;
      }
      out.emplace<double>(sqlite3_value_double(cv));
      return;
    case TStorageKind::Currency: {
      Int64 raw;
      bool ok = vt == SQLITE_INTEGER ? !__builtin_mul_overflow(sqlite3_value_int64(cv), Int64(10000), &raw)
                                     : CurrencyRawFromDouble(sqlite3_value_double(cv), raw);
      if (!ok)
        throw EADOError("The value " + String(reinterpret_cast<const char*>(sqlite3_column_text(st, col))) +
                        " of column '" + sqlite3_column_name(st, col) + "' is out of the range of a currency");
      out.emplace<Int64>(raw);
      return;
    }
    case TStorageKind::Bool:
      if (vt == SQLITE_TEXT) {
        String u = UpperCase(String(reinterpret_cast<const char*>(sqlite3_value_text(cv))));
        out.emplace<bool>(u == "TRUE" || u == "YES" || u == "-1" || u == "1");
      } else {
        out.emplace<bool>(sqlite3_value_int64(cv) != 0);
      }
      return;
    case TStorageKind::Text: {
      if (vt == SQLITE_BLOB || IsBlobType(type)) {
        const void* p = sqlite3_value_blob(cv);
        int n = sqlite3_value_bytes(cv);
        out.emplace<String>(static_cast<const char*>(p), size_t(n));
        return;
      }
      const unsigned char* p = sqlite3_value_text(cv);
      int n = sqlite3_value_bytes(cv);
      out.emplace<String>(reinterpret_cast<const char*>(p), size_t(n));
      return;
    }
    default:
      out = TDBValue{};
      return;
  }
}

TDBValue ReadColumn(sqlite3_stmt* st, int col, TFieldType type) {
  TDBValue v;
  ReadColumnInto(v, st, col, type, StorageKindOf(type));
  return v;
}

// A column without declared type (an expression): the raw SQLite value.
TDBValue ReadRaw(sqlite3_stmt* st, int col) {
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return Int64(sqlite3_column_int64(st, col));
    case SQLITE_FLOAT: return sqlite3_column_double(st, col);
    case SQLITE_BLOB:
      return String(static_cast<const char*>(sqlite3_column_blob(st, col)), size_t(sqlite3_column_bytes(st, col)));
    default:
      return String(reinterpret_cast<const char*>(sqlite3_column_text(st, col)), size_t(sqlite3_column_bytes(st, col)));
  }
}

// A value of a column without declared type, read raw, in the storage kind
// of the type decided for the column.
void ConvertUntyped(TDBValue& v, TFieldType t) {
  if (DBValueIsNull(v)) return;
  switch (StorageKindOf(t)) {
    case TStorageKind::Text:
      if (v.index() == 1) v = IntToStr(std::get<Int64>(v));
      else if (v.index() == 2) v = FloatToStr(std::get<double>(v));
      break;
    case TStorageKind::Float:
      if (v.index() == 1) v = double(std::get<Int64>(v));
      else if (v.index() == 4) v = StrToFloatDef(std::get<String>(v), 0);
      break;
    case TStorageKind::Int:
      if (v.index() == 2) v = Int64(std::nearbyint(std::get<double>(v)));
      else if (v.index() == 4) v = StrToInt64Def(std::get<String>(v), 0);
      break;
    default:
      break;
  }
}

// Binds a cached value in the storage forms of the database.
void BindValue(sqlite3_stmt* st, int index, const TDBValue& v, TFieldType type) {
  switch (v.index()) {
    case 0: sqlite3_bind_null(st, index); return;
    case 1:
      if (StorageKindOf(type) == TStorageKind::Currency)
        sqlite3_bind_double(st, index, double(std::get<Int64>(v)) / 10000.0);
      else
        sqlite3_bind_int64(st, index, std::get<Int64>(v));
      return;
    case 2:
      if (IsDateType(type)) {
        String s = DateTimeToISO(std::get<double>(v));
        sqlite3_bind_text(st, index, s.data(), int(s.size()), SQLITE_TRANSIENT);
      } else {
        sqlite3_bind_double(st, index, std::get<double>(v));
      }
      return;
    case 3: sqlite3_bind_int(st, index, std::get<bool>(v) ? 1 : 0); return;
    default: {
      const String& s = std::get<String>(v);
      if (IsBlobType(type) && type != ftMemo && type != ftWideMemo && type != ftFmtMemo)
        sqlite3_bind_blob(st, index, s.data(), int(s.size()), SQLITE_TRANSIENT);
      else
        sqlite3_bind_text(st, index, s.data(), int(s.size()), SQLITE_TRANSIENT);
      return;
    }
  }
}

String QuoteName(const String& n) {
  String out = "\"";
  for (char c : n) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

bool IsSqlWordChar(char c) { return std::isalnum((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80; }

// Whether the upper-cased SQL contains the keyword outside quotes.
bool HasKeyword(const String& sql, const char* kw) {
  String u = UpperCase(sql);
  size_t n = strlen(kw);
  char quote = 0;
  for (size_t i = 0; i < u.size(); ++i) {
    char c = u[i];
    if (quote) { if (c == quote) quote = 0; continue; }
    if (c == '\'' || c == '"') { quote = c; continue; }
    if (c == '[') { quote = ']'; continue; }
    if (u.compare(i, n, kw) == 0 && (i == 0 || !IsSqlWordChar(u[i - 1])) &&
        (i + n >= u.size() || !IsSqlWordChar(u[i + n])))
      return true;
  }
  return false;
}

// The statement with the base table's rowid added as the last column: put
// before the statement's own FROM (outside quotes and parentheses), so that
// ORDER BY items given by column number keep meaning the same columns.
// Empty when the statement has no such FROM.
String WithHiddenRowId(const String& sql, const String& qualifier) {
  String u = UpperCase(sql);
  size_t sel = u.find("SELECT");
  if (sel == String::npos) return String();
  char quote = 0;
  int depth = 0;
  for (size_t i = sel + 6; i < u.size(); ++i) {
    char c = u[i];
    if (quote) { if (c == quote) quote = 0; continue; }
    if (c == '\'' || c == '"') { quote = c; continue; }
    if (c == '[') { quote = ']'; continue; }
    if (c == '(') { ++depth; continue; }
    if (c == ')') { --depth; continue; }
    if (depth == 0 && u.compare(i, 4, "FROM") == 0 && !IsSqlWordChar(u[i - 1]) &&
        (i + 4 >= u.size() || !IsSqlWordChar(u[i + 4])))
      return sql.substr(0, i) + ", " + qualifier + ".rowid AS " + SHiddenRowId + " " + sql.substr(i);
  }
  return String();
}

// The name by which the FROM clause refers to a table: its alias when it
// has one ("Orders o", "Orders AS o"), else the table name.
String TableQualifier(const String& sql, const String& table) {
  static const char* const keywords[] = {"WHERE", "INNER", "LEFT", "RIGHT", "JOIN", "ON", "ORDER", "GROUP",
                                         "HAVING", "UNION", "LIMIT", "CROSS", "OUTER", "NATURAL", "FULL"};
  String u = UpperCase(sql);
  String t = UpperCase(table);
  size_t from = u.find("FROM");
  size_t i = from == String::npos ? 0 : from;
  while ((i = u.find(t, i)) != String::npos) {
    size_t e = i + t.size();
    bool bracket = i > 0 && (u[i - 1] == '[' || u[i - 1] == '"');
    if (bracket) ++e;
    bool wordStart = i == 0 || !IsSqlWordChar(u[i - 1]);
    if (!wordStart || (e < u.size() && IsSqlWordChar(u[e]) && !bracket)) { i += t.size(); continue; }
    size_t p = e;
    while (p < u.size() && u[p] == ' ') ++p;
    if (u.compare(p, 3, "AS ") == 0) { p += 3; while (p < u.size() && u[p] == ' ') ++p; }
    size_t q = p;
    while (q < u.size() && IsSqlWordChar(u[q])) ++q;
    if (q > p) {
      String word = u.substr(p, q - p);
      bool kw = false;
      for (const char* k : keywords) kw = kw || word == k;
      if (!kw) return sql.substr(p, q - p);
    }
    return QuoteName(table);
  }
  return QuoteName(table);
}

}  // namespace

struct TCustomADODataSet::Column {
  String Origin;          // column name in the base table
  bool Writable = false;  // belongs to the base table
  bool Key = false;       // part of the base table's primary key
  bool AutoInc = false;   // the integer primary key the database assigns
  bool Typed = true;      // declared type known (else decided from the values)
};

// ---------------------------------------------------------------------------

TCustomADODataSet::TCustomADODataSet(TComponent* owner) : TDataSet(owner), FParameters(this) {}

TCustomADODataSet::~TCustomADODataSet() {
  if (FConnection) FConnection->UnregisterDataSet(this);
}

void TCustomADODataSet::SetConnection(TADOConnection* c) {
  if (c == FConnection) return;
  if (Active()) Close();
  if (FConnection) FConnection->UnregisterDataSet(this);
  FConnection = c;
  if (c) c->RegisterDataSet(this);
}

void TCustomADODataSet::SetLockType(TADOLockType v) {
  CheckInactive();
  FLockType = v;
}

void TCustomADODataSet::SetCommandText(const String& v) {
  if (Active()) Close();
  FCommandText = v;
  FParameters.ParseSQL(GetCommandSQL());
}

bool TCustomADODataSet::CanModify() const { return !ReadOnly() && FLockType != ltReadOnly; }

String TCustomADODataSet::GetCommandSQL() const {
  if (FCommandType == cmdTable || FCommandType == cmdTableDirect) return "select * from " + QuoteName(Trim(FCommandText));
  return FCommandText;
}

void TCustomADODataSet::ParamsChanged() {}

void TCustomADODataSet::InternalOpen() {
  if (FCloning) {
    // A clone: the source's records (shared: changes posted through one are
    // seen by the other) with a cursor of its own.
    TCustomADODataSet* src = FCloneSource;
    FieldDefs().Clear();
    for (Integer i = 0; i < src->FieldDefs().Count(); ++i) {
      const TFieldDef& d = src->FieldDefs()[i];
      TFieldDef& nd = FieldDefs().Add(d.Name, d.DataType, d.Size, d.Required);
      nd.Precision = d.Precision;
      nd.ReadOnly = d.ReadOnly;
    }
    FBaseTable = src->FBaseTable;
    FColumns = src->FColumns;
    FKeyByRowId = src->FKeyByRowId;
    FHasRowIdColumn = src->FHasRowIdColumn;
    ShareRecords(src);
    return;
  }
  if (!FConnection) DatabaseError("Missing Connection or ConnectionString", this);
  if (GetDataSource()) SetParamsFromMaster();
  ReadRows(true);
}

void TCustomADODataSet::InternalClose() {
  FHaveMasterValues = false;
}

void TCustomADODataSet::ReadRows(bool defineFields) {
  sqlite3* db = FConnection->Handle();
  String command = GetCommandSQL();
  if (Trim(command).empty()) DatabaseError("CommandText does not return a result set", this);
  TParsedSQL parsed = ParseSQLParams(command);
  // Errors quote the text as the caller wrote it, not the rewritten one.
  String sql = TranslateJetSQL(parsed.Text, command);

  auto prepare = [&](const String& text, TSqlStatement& st) {
    if (sqlite3_prepare_v2(db, text.c_str(), int(text.size()), &st.S, nullptr) != SQLITE_OK) return false;
    BindParameters(st.S, parsed.Names, 0, FParameters, command);
    return true;
  };

  TSqlStatement st;
  if (!prepare(sql, st)) FConnection->RaiseError(command);
  int cols = sqlite3_column_count(st.S);
  if (cols == 0) DatabaseError("CommandText does not return a result set", this);

  if (defineFields) {
    // The base table: the table of the first column that comes from one.
    FBaseTable.clear();
    for (int c = 0; c < cols && FBaseTable.empty(); ++c)
      if (const char* t = sqlite3_column_table_name(st.S, c)) FBaseTable = t;
    bool simple = !FBaseTable.empty() && !HasKeyword(sql, "GROUP") && !HasKeyword(sql, "DISTINCT") &&
                  !HasKeyword(sql, "UNION") && !HasKeyword(sql, "EXCEPT") && !HasKeyword(sql, "INTERSECT");
    if (!simple) FBaseTable.clear();
    // Fetch the rowid of the base table as a hidden last column, so that
    // tables without a key can be written too.
    FHasRowIdColumn = false;
    if (!FBaseTable.empty()) {
      String injected = WithHiddenRowId(sql, TableQualifier(sql, FBaseTable));
      if (!injected.empty()) {
        TSqlStatement st2;
        if (prepare(injected, st2) && sqlite3_column_count(st2.S) == cols + 1) {
          std::swap(st.S, st2.S);
          // The hidden column comes last in the statement.
          FHasRowIdColumn = true;
        }
      }
    }
    FieldDefs().Clear();
    FColumns.clear();
    bool anyKey = false;
    for (int c = 0; c < cols; ++c) {
      const char* name = sqlite3_column_name(st.S, c);
      const char* decl = sqlite3_column_decltype(st.S, c);
      const char* table = sqlite3_column_table_name(st.S, c);
      const char* origin = sqlite3_column_origin_name(st.S, c);
      Column col;
      int pk = 0, autoinc = 0, notnull = 0;
      if (table && origin) {
        const char* dt = nullptr;
        const char* coll = nullptr;
        sqlite3_table_column_metadata(db, nullptr, table, origin, &dt, &coll, &notnull, &pk, &autoinc);
        col.Origin = origin;
        col.Writable = !FBaseTable.empty() && SameText(table, FBaseTable);
        col.Key = col.Writable && pk;
        // An INTEGER PRIMARY KEY is the rowid: the database assigns it.
        col.AutoInc = col.Writable && pk && decl && UpperCase(Trim(decl)) == "INTEGER";
        if (col.AutoInc) autoinc = 1;
      }
      Integer size = 0;
      TFieldType type = decl ? TypeFromDecl(decl, autoinc != 0, size) : ftUnknown;
      if (type == ftUnknown) {
        col.Typed = false;
        type = ftWideString;   // decided from the values below
      }
      String fname = name ? name : ("Column" + IntToStr(c + 1));
      // Duplicate names (o.ID, c.ID) get a suffix, as the provider does.
      String unique = fname;
      for (int k = 1; FieldDefs().IndexOf(unique) >= 0; ++k) unique = fname + "_" + IntToStr(k);
      TFieldDef& d = FieldDefs().Add(unique, type, size, false);
      if (type == ftBCD) d.Precision = 19;
      if (type == ftAutoInc) d.ReadOnly = true;
      anyKey = anyKey || col.Key;
      FColumns.push_back(col);
    }
    // Key by the primary key only when every key column is in the result.
    FKeyByRowId = true;
    if (anyKey) {
      TSqlStatement info;
      String pragma = "PRAGMA table_info(" + QuoteName(FBaseTable) + ")";
      if (sqlite3_prepare_v2(db, pragma.c_str(), -1, &info.S, nullptr) == SQLITE_OK) {
        bool all = true;
        while (sqlite3_step(info.S) == SQLITE_ROW) {
          if (sqlite3_column_int(info.S, 5) == 0) continue;
          String kname = reinterpret_cast<const char*>(sqlite3_column_text(info.S, 1));
          bool found = false;
          for (auto& c : FColumns) found = found || (c.Key && SameText(c.Origin, kname));
          all = all && found;
        }
        FKeyByRowId = !all;
      }
    }
    if (FKeyByRowId && !FHasRowIdColumn) FBaseTable.clear();   // cannot be written
  } else {
    // Requery: same statement shape as on Open.
    if (FHasRowIdColumn) {
      String injected = WithHiddenRowId(sql, TableQualifier(sql, FBaseTable));
      TSqlStatement st2;
      if (injected.empty() || !prepare(injected, st2)) FConnection->RaiseError(command);
      std::swap(st.S, st2.S);
    }
  }

  size_t ncols = FColumns.size();
  std::vector<TFieldType> types(ncols);
  std::vector<TStorageKind> kinds(ncols);
  for (size_t c = 0; c < ncols; ++c) {
    types[c] = FieldDefs()[Integer(c)].DataType;
    kinds[c] = StorageKindOf(types[c]);
  }
  int rc;
  while ((rc = sqlite3_step(st.S)) == SQLITE_ROW) {
    TRecordData* rec = AddRecord();
    if (FHasRowIdColumn) rec->RowKey = sqlite3_column_int64(st.S, int(ncols));
    for (size_t c = 0; c < ncols; ++c) {
      if (FColumns[c].Typed) ReadColumnInto(rec->Values[c], st.S, int(c), types[c], kinds[c]);
      else rec->Values[c] = ReadRaw(st.S, int(c));
    }
  }
  if (rc != SQLITE_DONE) FConnection->RaiseError(command);

  // Columns without declared type take the type their values have.
  for (size_t c = 0; c < ncols; ++c) {
    if (FColumns[c].Typed) continue;
    bool anyText = false, anyFloat = false, anyInt = false, big = false;
    for (auto& r : Records()) {
      const TDBValue& v = r->Values[c];
      if (v.index() == 4) anyText = true;
      else if (v.index() == 2) anyFloat = true;
      else if (v.index() == 1) {
        anyInt = true;
        Int64 i = std::get<Int64>(v);
        big = big || i < INT32_MIN || i > INT32_MAX;
      }
    }
    TFieldType t = anyText ? ftWideString : anyFloat ? ftFloat : anyInt ? (big ? ftLargeint : ftInteger) : ftWideString;
    if (defineFields) {
      FieldDefs()[Integer(c)].DataType = t;
      if (t == ftWideString) FieldDefs()[Integer(c)].Size = 255;
    } else {
      t = FieldDefs()[Integer(c)].DataType;
    }
    for (auto& r : RecordStore()) ConvertUntyped(r->Values[c], t);
  }
}

void TCustomADODataSet::CheckWritable() const {
  if (FBaseTable.empty())
    DatabaseError("Insufficient key column information for updating or refreshing", this);
}

// The statements of one write-back (a Post, an UpdateBatch), prepared once
// and kept by the shape of the change they write: a batch of rows that set
// the same columns runs one statement.
class TCustomADODataSet::WriteSession {
 public:
  explicit WriteSession(TADOConnection* conn) : FConn(conn) {}
  // The statement of a shape; `sql` makes its text the first time.
  template <class MakeSQL>
  sqlite3_stmt* Statement(const String& shape, MakeSQL&& sql) {
    auto it = FStatements.find(shape);
    if (it == FStatements.end()) {
      auto st = std::make_unique<TSqlStatement>();
      String text = sql();
      if (sqlite3_prepare_v2(FConn->Handle(), text.c_str(), int(text.size()), &st->S, nullptr) != SQLITE_OK)
        FConn->RaiseError(text);
      it = FStatements.emplace(shape, std::move(st)).first;
    }
    return it->second->S;
  }
  // Room for the shape of the row being written, kept from row to row.
  String Shape;
  // Per column of the dataset, what an insert into the base table keeps
  // as posted (InsertKeeps*), learnt at the first insert of the session.
  std::vector<uint8_t> InsertKeeps;
  bool InsertKeepsKnown = false;
  // Runs a bound statement to its end and makes it ready for the next row.
  void Run(sqlite3_stmt* st) {
    int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
      String text = sqlite3_sql(st);
      sqlite3_reset(st);
      FConn->RaiseError(text);
    }
    sqlite3_reset(st);
  }
 private:
  TADOConnection* FConn;
  std::unordered_map<String, std::unique_ptr<TSqlStatement>> FStatements;
};

// " WHERE <key>" for the row as the database has it (`old`): its rowid, or
// its primary key values (a null key value is matched by IS NULL).
String TCustomADODataSet::KeyCondition(const TDBValue* old) const {
  if (FKeyByRowId) return " WHERE rowid = ?";
  String sql = " WHERE ";
  bool first = true;
  for (size_t c = 0; c < FColumns.size(); ++c) {
    if (!FColumns[c].Key) continue;
    if (!first) sql += " AND ";
    first = false;
    sql += QuoteName(FColumns[c].Origin) + (DBValueIsNull(old[c]) ? " IS NULL" : " = ?");
  }
  return sql;
}

// Binds the values KeyCondition asks for from index i on.
void TCustomADODataSet::BindKey(sqlite3_stmt* st, int i, const TRecordData* rec, const TDBValue* old) const {
  if (FKeyByRowId) {
    sqlite3_bind_int64(st, i, rec->RowKey);
    return;
  }
  for (size_t c = 0; c < FColumns.size(); ++c)
    if (FColumns[c].Key && !DBValueIsNull(old[c])) BindValue(st, i++, old[c], FieldDefs()[Integer(c)].DataType);
}

// Writes one record change; answers the rowid of an inserted row.
//
// An update is optimistic: besides the key, the columns it changes must
// still hold the values they had when the row was read; when another user
// changed one of them meanwhile, the write fails ("Row cannot be located for
// updating") instead of silently overwriting that user's change. The values
// are compared as this dataset reads them, so a value stored in another
// form (a currency with more decimals, a date without time) is no conflict.
Int64 TCustomADODataSet::WriteRecord(TRecordData* rec, const TDBValue* values, TRecordStatus status,
                                     WriteSession& session) {
  CheckWritable();
  sqlite3* db = FConnection->Handle();
  // The values as the database has them identify the row.
  const TDBValue* old = rec->Original ? rec->Original->data() : rec->Values.data();
  size_t n = FColumns.size();
  auto type = [&](size_t c) { return FieldDefs()[Integer(c)].DataType; };
  // The shape of the statement: its kind, the columns it writes and which
  // key values are null.
  String& shape = session.Shape;
  shape.clear();
  auto addKeyShape = [&] {
    if (!FKeyByRowId)
      for (size_t c = 0; c < n; ++c)
        if (FColumns[c].Key) shape += DBValueIsNull(old[c]) ? 'n' : 'k';
  };
  switch (status) {
    case TRecordStatus::Inserted: {
      shape += 'I';
      // Null values are left out: the database default applies.
      for (size_t c = 0; c < n; ++c) shape += FColumns[c].Writable && !DBValueIsNull(values[c]) ? '1' : '0';
      sqlite3_stmt* st = session.Statement(shape, [&] {
        String names, marks;
        for (size_t c = 0; c < n; ++c) {
          if (shape[c + 1] != '1') continue;
          names += (names.empty() ? "" : ", ") + QuoteName(FColumns[c].Origin);
          marks += marks.empty() ? "?" : ", ?";
        }
        return "INSERT INTO " + QuoteName(FBaseTable) +
               (names.empty() ? String(" DEFAULT VALUES") : " (" + names + ") VALUES (" + marks + ")");
      });
      int i = 1;
      for (size_t c = 0; c < n; ++c)
        if (shape[c + 1] == '1') BindValue(st, i++, values[c], type(c));
      session.Run(st);
      return sqlite3_last_insert_rowid(db);
    }
    case TRecordStatus::Modified: {
      shape += 'U';
      bool any = false;
      for (size_t c = 0; c < n; ++c) {
        // Only changed columns are written (and checked).
        bool changed = FColumns[c].Writable && !FColumns[c].AutoInc && values[c] != old[c];
        shape += changed ? '1' : '0';
        any = any || changed;
      }
      if (!any) return rec->RowKey;
      addKeyShape();
      // Without a transaction of the caller's, reading the row and writing
      // it are made one step, so that nobody writes in between.
      bool own = !FConnection->InTransaction();
      if (own) FConnection->BeginTrans();
      try {
        String checkShape = "S" + shape.substr(1);
        sqlite3_stmt* check = session.Statement(checkShape, [&] {
          String cols;
          for (size_t c = 0; c < n; ++c)
            if (shape[c + 1] == '1') cols += (cols.empty() ? "" : ", ") + QuoteName(FColumns[c].Origin);
          return "SELECT " + cols + " FROM " + QuoteName(FBaseTable) + KeyCondition(old);
        });
        BindKey(check, 1, rec, old);
        int rc = sqlite3_step(check);
        bool same = rc == SQLITE_ROW;
        for (size_t c = 0, col = 0; same && c < n; ++c) {
          if (shape[c + 1] != '1') continue;
          TDBValue now = FColumns[c].Typed ? ReadColumn(check, int(col), type(c)) : ReadRaw(check, int(col));
          if (!FColumns[c].Typed) ConvertUntyped(now, type(c));
          same = now == old[c];
          ++col;
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
          String text = sqlite3_sql(check);
          sqlite3_reset(check);
          FConnection->RaiseError(text);
        }
        sqlite3_reset(check);
        if (!same) throw EADOError(SRowNotFoundUpdate);
        sqlite3_stmt* st = session.Statement(shape, [&] {
          String sets;
          for (size_t c = 0; c < n; ++c)
            if (shape[c + 1] == '1') sets += (sets.empty() ? "" : ", ") + QuoteName(FColumns[c].Origin) + " = ?";
          return "UPDATE " + QuoteName(FBaseTable) + " SET " + sets + KeyCondition(old);
        });
        int i = 1;
        for (size_t c = 0; c < n; ++c)
          if (shape[c + 1] == '1') BindValue(st, i++, values[c], type(c));
        BindKey(st, i, rec, old);
        session.Run(st);
        if (sqlite3_changes(db) == 0) throw EADOError(SRowNotFoundUpdate);
        if (own) FConnection->CommitTrans();
      } catch (...) {
        if (own) {
          try { FConnection->RollbackTrans(); } catch (...) {}
        }
        throw;
      }
      return rec->RowKey;
    }
    case TRecordStatus::Deleted: {
      shape += 'D';
      addKeyShape();
      sqlite3_stmt* st = session.Statement(
          shape, [&] { return "DELETE FROM " + QuoteName(FBaseTable) + KeyCondition(old); });
      BindKey(st, 1, rec, old);
      session.Run(st);
      if (sqlite3_changes(db) == 0) throw EADOError(SRowNotFoundDelete);
      return rec->RowKey;
    }
    default:
      return rec->RowKey;
  }
}

// An inserted row as the database stored it: its defaults, the values a
// trigger set and the integer primary key the database assigned. The record
// then holds what a later optimistic update compares with the table, so an
// edit of a row posted with a null where the column has a default finds it.
void TCustomADODataSet::TakeInserted(WriteSession& session, Int64 rowid, TDBValue* values) const {
  size_t n = FColumns.size();
  String cols;
  for (size_t c = 0; c < n; ++c)
    if (FColumns[c].Writable) cols += (cols.empty() ? "" : ", ") + QuoteName(FColumns[c].Origin);
  if (!cols.empty()) {
    sqlite3_stmt* st = session.Statement("R", [&] {
      return "SELECT " + cols + " FROM " + QuoteName(FBaseTable) + " WHERE rowid = ?";
    });
    sqlite3_bind_int64(st, 1, rowid);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      for (size_t c = 0, col = 0; c < n; ++c) {
        if (!FColumns[c].Writable) continue;
        TFieldType t = FieldDefs()[Integer(c)].DataType;
        values[c] = FColumns[c].Typed ? ReadColumn(st, int(col), t) : ReadRaw(st, int(col));
        if (!FColumns[c].Typed) ConvertUntyped(values[c], t);
        ++col;
      }
    } else if (rc != SQLITE_DONE) {
      String text = sqlite3_sql(st);
      sqlite3_reset(st);
      FConnection->RaiseError(text);
    }
    sqlite3_reset(st);
  }
  // (A row a trigger moved away keeps the values posted, with its key.)
  for (size_t c = 0; c < n; ++c)
    if (FColumns[c].AutoInc && DBValueIsNull(values[c])) values[c] = rowid;
}

namespace {
enum : uint8_t {
  InsertKeepsNull = 1,    // a null stays null: no default, key or generated value
  InsertKeepsValue = 2,   // a value of the field's kind reads back as it was bound
};

// The column affinity SQLite gives a declared type.
char AffinityOf(const String& declared) {
  String u = UpperCase(declared);
  auto has = [&](const char* w) { return u.find(w) != String::npos; };
  if (has("INT")) return 'I';
  if (has("CHAR") || has("CLOB") || has("TEXT")) return 'T';
  if (u.empty() || has("BLOB")) return 'B';
  if (has("REAL") || has("FLOA") || has("DOUB")) return 'R';
  return 'N';
}

// Whether a value of the kind, bound as BindValue binds it, reads back
// unchanged from a column of the affinity (values with a form of their own
// are checked one by one in StoredAsPosted).
bool AffinityKeeps(TFieldType type, char affinity) {
  if (IsDateType(type)) return true;   // ISO text, which no affinity converts
  switch (StorageKindOf(type)) {
    case TStorageKind::Int: return affinity == 'I' || affinity == 'N' || affinity == 'B';
    case TStorageKind::Float:
    case TStorageKind::Currency: return affinity != 'T';
    case TStorageKind::Bool: return true;
    case TStorageKind::Text:
      return affinity == 'T' || affinity == 'B' ||
             (IsBlobType(type) && type != ftMemo && type != ftWideMemo && type != ftFmtMemo);
    default: return false;
  }
}
}  // namespace

// Whether the database stores the posted values of an insert as they are,
// so that the row need not be read back: the table has no trigger, every
// null lands in a column without default, key or generated value, and every
// value reads back as it was bound.
bool TCustomADODataSet::StoredAsPosted(WriteSession& session, const TDBValue* values) {
  const size_t n = FColumns.size();
  if (!session.InsertKeepsKnown) {
    session.InsertKeepsKnown = true;
    session.InsertKeeps.assign(n, 0);
    sqlite3* db = FConnection->Handle();
    TSqlStatement st;
    const char* triggers =
        "SELECT 1 FROM sqlite_schema WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE"
        " UNION ALL SELECT 1 FROM sqlite_temp_schema WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE";
    if (sqlite3_prepare_v2(db, triggers, -1, &st.S, nullptr) != SQLITE_OK) return false;
    sqlite3_bind_text(st.S, 1, FBaseTable.data(), int(FBaseTable.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st.S) != SQLITE_DONE) return false;   // a trigger (or an error): read back
    TSqlStatement info;
    String pragma = "PRAGMA table_xinfo(" + QuoteName(FBaseTable) + ")";
    if (sqlite3_prepare_v2(db, pragma.c_str(), -1, &info.S, nullptr) != SQLITE_OK) return false;
    while (sqlite3_step(info.S) == SQLITE_ROW) {
      const char* name = reinterpret_cast<const char*>(sqlite3_column_text(info.S, 1));
      const char* decl = reinterpret_cast<const char*>(sqlite3_column_text(info.S, 2));
      const bool plain = sqlite3_column_type(info.S, 4) == SQLITE_NULL && sqlite3_column_int(info.S, 5) == 0 &&
                         sqlite3_column_int(info.S, 6) == 0;
      for (size_t c = 0; c < n; ++c) {
        if (!name || !FColumns[c].Writable || !FColumns[c].Typed || !SameText(FColumns[c].Origin, name)) continue;
        uint8_t keeps = plain ? InsertKeepsNull : 0;
        if (plain && AffinityKeeps(FieldDefs()[Integer(c)].DataType, AffinityOf(decl ? decl : ""))) keeps |= InsertKeepsValue;
        session.InsertKeeps[c] = keeps;
      }
    }
  }
  for (size_t c = 0; c < n; ++c) {
    if (!FColumns[c].Writable) continue;
    const uint8_t keeps = session.InsertKeeps[c];
    const TDBValue& v = values[c];
    if (DBValueIsNull(v)) {
      if (!(keeps & InsertKeepsNull)) return false;
      continue;
    }
    if (!(keeps & InsertKeepsValue)) return false;
    const TFieldType type = FieldDefs()[Integer(c)].DataType;
    if (v.index() == 2) {
      const double d = std::get<double>(v);
      if (std::isnan(d)) return false;   // bound as null
      // A date is stored to the second.
      TDateTime back;
      if (IsDateType(type) && !(ISOToDateTime(DateTimeToISO(d), back) && back == d)) return false;
    } else if (v.index() == 1 && StorageKindOf(type) == TStorageKind::Currency) {
      const Int64 raw = std::get<Int64>(v);
      Int64 back;
      if (!CurrencyRawFromDouble(double(raw) / 10000.0, back) || back != raw) return false;
    }
  }
  return true;
}

// Inserts a record; answers the rowid of the new row. `stored` receives the
// row as the database stored it (its defaults, the values a trigger set,
// the integer primary key the database assigned), or stays empty where that
// is the row as posted.
Int64 TCustomADODataSet::InsertRecord(TRecordData* rec, const TDBValue* values, WriteSession& session,
                                      std::vector<TDBValue>& stored) {
  stored.clear();
  Int64 rowid = WriteRecord(rec, values, TRecordStatus::Inserted, session);
  if (!StoredAsPosted(session, values)) {
    stored.assign(values, values + FColumns.size());
    TakeInserted(session, rowid, stored.data());
  }
  return rowid;
}

void TCustomADODataSet::InternalPostRecord(TRecordData* rec, std::vector<TDBValue>& values, bool inserting) {
  if (FLockType == ltBatchOptimistic) {
    // Kept in the cache until UpdateBatch; the values as read are kept to
    // find the row then.
    if (!inserting && rec->Status != TRecordStatus::Inserted && !rec->Original)
      rec->Original = std::make_unique<std::vector<TDBValue>>(rec->Values.ToVector());
    if (!inserting && rec->Status == TRecordStatus::Unmodified) rec->Status = TRecordStatus::Modified;
    rec->Pending = true;
    return;
  }
  WriteSession session(FConnection);
  if (!inserting) {
    WriteRecord(rec, values.data(), TRecordStatus::Modified, session);
    return;
  }
  // The insert and the reading of what was stored are one step: a failure
  // of either writes nothing, and the record stays in insert mode with the
  // values posted, for another try.
  std::vector<TDBValue> stored;
  bool own = !FConnection->InTransaction();
  if (own) FConnection->BeginTrans();
  try {
    Int64 rowid = InsertRecord(rec, values.data(), session, stored);
    if (own) FConnection->CommitTrans();
    rec->RowKey = rowid;
  } catch (...) {
    if (own) {
      try { FConnection->RollbackTrans(); } catch (...) {}
    }
    throw;
  }
  if (!stored.empty()) values = std::move(stored);
}

void TCustomADODataSet::InternalDeleteRecord(TRecordData* rec) {
  if (FLockType == ltBatchOptimistic) {
    if (rec->Status == TRecordStatus::Inserted && rec->Pending) {
      DiscardRecord(rec);   // never written: nothing to delete
      return;
    }
    if (!rec->Original) rec->Original = std::make_unique<std::vector<TDBValue>>(rec->Values.ToVector());
    rec->Status = TRecordStatus::Deleted;
    rec->Pending = true;
    return;
  }
  WriteSession session(FConnection);
  WriteRecord(rec, nullptr, TRecordStatus::Deleted, session);
  DiscardRecord(rec);
}

Integer TCustomADODataSet::PendingCount() const {
  Integer n = 0;
  for (auto& r : Records()) n += r->Pending ? 1 : 0;
  return n;
}

void TCustomADODataSet::UpdateBatch(TAffectRecords) { UpdateBatches({this}); }

void TCustomADODataSet::UpdateBatches(const std::vector<TCustomADODataSet*>& dataSets) {
  // Pending edits are posted (into the caches) first.
  std::vector<TCustomADODataSet*> work;
  for (TCustomADODataSet* ds : dataSets) {
    ds->CheckActive();
    ds->CheckBrowseMode();
    if (ds->PendingCount() == 0) continue;
    ds->CheckWritable();
    if (!work.empty() && ds->FConnection != work.front()->FConnection)
      DatabaseError("Datasets written in one transaction must share their connection", ds);
    work.push_back(ds);
  }
  if (work.empty()) return;
  // Everything is written inside one transaction; the caches change only
  // after the commit, so a failure leaves every change of every dataset
  // pending.
  TADOConnection* conn = work.front()->FConnection;
  std::vector<std::vector<TWritten>> written(work.size());
  conn->BeginTrans();
  try {
    for (size_t i = 0; i < work.size(); ++i) {
      WriteSession session(conn);
      written[i].reserve(size_t(work[i]->PendingCount()));
      for (auto& up : work[i]->RecordStore()) {
        TRecordData* r = up.get();
        if (!r->Pending) continue;
        TWritten& w = written[i].emplace_back();
        w.Rec = r;
        if (r->Status == TRecordStatus::Inserted)
          w.RowId = work[i]->InsertRecord(r, r->Values.data(), session, w.Stored);
        else
          w.RowId = work[i]->WriteRecord(r, r->Values.data(), r->Status, session);
      }
    }
    conn->CommitTrans();
  } catch (...) {
    try { conn->RollbackTrans(); } catch (...) {}
    throw;
  }
  for (size_t i = 0; i < work.size(); ++i) work[i]->TakeWritten(written[i]);
}

// After a committed write-back: the written records are the database's rows.
void TCustomADODataSet::TakeWritten(std::vector<TWritten>& written) {
  std::vector<TRecordData*> deleted;
  for (TWritten& w : written) {
    TRecordData* r = w.Rec;
    if (r->Status == TRecordStatus::Deleted) { deleted.push_back(r); continue; }
    if (r->Status == TRecordStatus::Inserted) {
      if (!w.Stored.empty()) r->Values = std::move(w.Stored);
      r->RowKey = w.RowId;
    }
    r->Status = TRecordStatus::Unmodified;
    r->Pending = false;
    r->Original.reset();
  }
  for (TRecordData* r : deleted) DiscardRecord(r);
  StoreChanged();
  Resync();
}

void TCustomADODataSet::CancelBatch(TAffectRecords) {
  CheckActive();
  Cancel();
  std::vector<TRecordData*> dropped;
  for (auto& up : RecordStore()) {
    TRecordData* r = up.get();
    if (!r->Pending) continue;
    if (r->Status == TRecordStatus::Inserted) { dropped.push_back(r); continue; }
    if (r->Original) r->Values = *r->Original;
    r->Original.reset();
    r->Status = TRecordStatus::Unmodified;
    r->Pending = false;
  }
  for (TRecordData* r : dropped) DiscardRecord(r);
  StoreChanged();
  RebuildView();
  Resync();
}

void TCustomADODataSet::Requery() {
  if (!Active()) {
    Open();
    return;
  }
  CheckBrowseMode();
  if (GetDataSource()) SetParamsFromMaster();
  ReplaceRecords([this] { ReadRows(false); }, false);
}

void TCustomADODataSet::InternalRefresh() {
  if (FCloning) { TDataSet::InternalRefresh(); return; }
  ReplaceRecords([this] { ReadRows(false); }, true);
}

void TCustomADODataSet::Clone(TCustomADODataSet* source, TADOLockType lockType) {
  if (!source || !source->Active()) DatabaseError("Cannot perform this operation on a closed dataset", source);
  Close();
  SetConnection(source->FConnection);
  FLockType = lockType == ltUnspecified ? source->FLockType : lockType;
  FCloning = true;
  FCloneSource = source;
  try {
    Open();
  } catch (...) {
    FCloning = false;
    FCloneSource = nullptr;
    throw;
  }
  FCloneSource = nullptr;
}

// The master's values of the fields named like the parameters.
std::vector<Variant> TCustomADODataSet::MasterValues() const {
  TDataSource* src = GetDataSource();
  TDataSet* master = src ? src->DataSet() : nullptr;
  std::vector<Variant> values;
  for (Integer i = 0; i < FParameters.Count(); ++i) {
    TParam* p = FParameters[i];
    Variant v = Variant::Null();
    if (master && master->Active())
      if (TField* f = master->FindField(p->Name())) v = f->AsVariant();
    values.push_back(v);
  }
  return values;
}

// Parameter values from the master's fields of the same names.
void TCustomADODataSet::SetParamsFromMaster() {
  FLastMasterValues = MasterValues();
  FHaveMasterValues = true;
  size_t i = 0;
  for (Integer k = 0; k < FParameters.Count(); ++k) FParameters[k]->SetValue(FLastMasterValues[i++]);
}

void TCustomADODataSet::MasterChanged() {
  if (!Active() || FCloning) return;
  // Requery only when the master's key values really changed: a master
  // that is merely posted or redrawn must not drop this dataset's pending
  // batch changes.
  std::vector<Variant> values = MasterValues();
  bool same = FHaveMasterValues && values.size() == FLastMasterValues.size();
  for (size_t i = 0; same && i < values.size(); ++i) same = VarSameValue(values[i], FLastMasterValues[i]);
  if (same) return;
  CheckBrowseMode();
  SetParamsFromMaster();
  ReplaceRecords([this] { ReadRows(false); }, false);
}

// A new detail record takes its link values from the master.
void TCustomADODataSet::DoOnNewRecord() {
  TDataSource* src = GetDataSource();
  TDataSet* master = src ? src->DataSet() : nullptr;
  if (master && master->Active() && !master->IsEmpty()) {
    std::vector<String> masterNames = SplitFieldNames(FMasterFields);
    std::vector<String> detailNames = SplitFieldNames(FIndexFieldNames);
    if (masterNames.empty()) {
      for (Integer k = 0; k < FParameters.Count(); ++k) {
        masterNames.push_back(FParameters[k]->Name());
        detailNames.push_back(FParameters[k]->Name());
      }
    }
    for (size_t i = 0; i < masterNames.size(); ++i) {
      TField* mf = master->FindField(masterNames[i]);
      TField* df = FindField(i < detailNames.size() ? detailNames[i] : masterNames[i]);
      if (mf && df && !df->ReadOnly() && !mf->IsNull()) df->SetAsVariant(mf->AsVariant());
    }
  }
  TDataSet::DoOnNewRecord();
}

// ---------------------------------------------------------------------------

TADODataSet::TADODataSet(TComponent* owner) : TCustomADODataSet(owner) {}

TADOQuery::TADOQuery(TComponent* owner) : TCustomADODataSet(owner), FSQL(std::make_unique<TStringList>()) {
  FSQL->OnChange = [this](TObject*) { SQLChanged(); };
}
TADOQuery::~TADOQuery() = default;

TStrings* TADOQuery::SQL() const { return FSQL.get(); }
void TADOQuery::SetSQL(TStrings* v) { FSQL->Assign(v); }

void TADOQuery::SQLChanged() {
  if (Active()) Close();
  Parameters()->ParseSQL(GetCommandSQL());
}

String TADOQuery::GetCommandSQL() const { return FSQL->Text(); }

Integer TADOQuery::ExecSQL() {
  if (!Connection()) DatabaseError("Missing Connection or ConnectionString", this);
  FRowsAffected = Connection()->Execute(GetCommandSQL(), *Parameters());
  return FRowsAffected;
}

TADOTable::TADOTable(TComponent* owner) : TCustomADODataSet(owner) { SetCommandType(cmdTable); }

void TCustomADODataSet::Notification(TComponent* c, TOperation op) {
  TDataSet::Notification(c, op);
  if (op == opRemove && c == FConnection) {
    FConnection->UnregisterDataSet(this);
    FConnection = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Published properties.

TOVANI_IMPLEMENT_ENUM_INFO(TCursorType, "ctUnspecified", "ctOpenForwardOnly", "ctKeyset", "ctDynamic", "ctStatic")
TOVANI_IMPLEMENT_ENUM_INFO(TADOLockType, "ltUnspecified", "ltReadOnly", "ltPessimistic", "ltOptimistic",
                           "ltBatchOptimistic")
TOVANI_IMPLEMENT_ENUM_INFO(TCursorLocation, "clUseServer", "clUseClient")
TOVANI_IMPLEMENT_ENUM_INFO(TCommandType, "cmdUnknown", "cmdText", "cmdTable", "cmdStoredProc", "cmdFile",
                           "cmdTableDirect")

TOVANI_PUBLISHED(TCustomADODataSet) {
  Property("Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection);
  Property("CursorLocation", &TCustomADODataSet::CursorLocation, &TCustomADODataSet::SetCursorLocation)
      .Default(clUseClient);
  Property("CursorType", &TCustomADODataSet::CursorType, &TCustomADODataSet::SetCursorType).Default(ctKeyset);
  Property("LockType", &TCustomADODataSet::LockType, &TCustomADODataSet::SetLockType).Default(ltOptimistic);
  Property<TDataSource*>("DataSource", [](TCustomADODataSet* d) { return d->DataSource(); },
                         [](TCustomADODataSet* d, TDataSource* v) { d->SetDataSource(v); });
  Property("MasterFields", &TCustomADODataSet::MasterFields, &TCustomADODataSet::SetMasterFields);
  Property("IndexFieldNames", &TCustomADODataSet::IndexFieldNames, &TCustomADODataSet::SetIndexFieldNames);
  Property<TParams*>("Parameters", [](TCustomADODataSet* d) { return d->Parameters(); }, nullptr);
  Property("Sort", &TDataSet::Sort, &TDataSet::SetSort);
}

TOVANI_PUBLISHED(TADODataSet) {
  Property("CommandText", &TCustomADODataSet::CommandText, &TCustomADODataSet::SetCommandText);
  Property("CommandType", &TCustomADODataSet::CommandType, &TCustomADODataSet::SetCommandType).Default(cmdText);
}

TOVANI_PUBLISHED(TADOQuery) {
  Property<TStrings*>("SQL", [](TADOQuery* q) { return q->SQL(); }, [](TADOQuery* q, TStrings* v) { q->SetSQL(v); });
}

TOVANI_PUBLISHED(TADOTable) {
  Property("TableName", &TADOTable::TableName, &TADOTable::SetTableName);
}
