// The ADO datasets: rows read into memory on Open, changes written to the
// statement's base table at once or in one batch.
#include <sqlite3.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include "ADODB.h"
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

void BindVariant(sqlite3_stmt* st, int index, const Variant& v);   // ADOConnection.cpp

namespace {
const char* const SRowNotFoundUpdate =
    "Row cannot be located for updating. Some values may have been changed since it was last read";
const char* const SRowNotFoundDelete =
    "Row cannot be located for deletion. Some values may have been changed since it was last read";
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

// Reads one column of the current row in the storage kind of the field type.
TDBValue ReadColumn(sqlite3_stmt* st, int col, TFieldType type) {
  int vt = sqlite3_column_type(st, col);
  if (vt == SQLITE_NULL) return {};
  switch (StorageKindOf(type)) {
    case TStorageKind::Int:
      if (vt == SQLITE_FLOAT) return Int64(std::nearbyint(sqlite3_column_double(st, col)));
      return Int64(sqlite3_column_int64(st, col));
    case TStorageKind::Float:
      if (IsDateType(type) && vt == SQLITE_TEXT) {
        String s(reinterpret_cast<const char*>(sqlite3_column_text(st, col)), size_t(sqlite3_column_bytes(st, col)));
        TDateTime d;
        if (ISOToDateTime(s, d)) return d;
        TDateTime d2;
        if (TryStrToDateTime(s, d2)) return d2;
        return {};
      }
      return sqlite3_column_double(st, col);
    case TStorageKind::Currency:
      if (vt == SQLITE_INTEGER) return Int64(sqlite3_column_int64(st, col) * 10000);
      return ::Currency(sqlite3_column_double(st, col)).Raw();
    case TStorageKind::Bool:
      if (vt == SQLITE_TEXT) {
        String u = UpperCase(String(reinterpret_cast<const char*>(sqlite3_column_text(st, col))));
        return u == "TRUE" || u == "YES" || u == "-1" || u == "1";
      }
      return sqlite3_column_int64(st, col) != 0;
    case TStorageKind::Text: {
      if (vt == SQLITE_BLOB || IsBlobType(type)) {
        const void* p = sqlite3_column_blob(st, col);
        int n = sqlite3_column_bytes(st, col);
        return String(static_cast<const char*>(p), size_t(n));
      }
      const unsigned char* p = sqlite3_column_text(st, col);
      int n = sqlite3_column_bytes(st, col);
      return String(reinterpret_cast<const char*>(p), size_t(n));
    }
    default:
      return {};
  }
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

// RAII holder of a prepared statement.
struct Stmt {
  sqlite3_stmt* S = nullptr;
  ~Stmt() { sqlite3_finalize(S); }
};

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
  String sql = TranslateJetSQL(parsed.Text);

  auto prepare = [&](const String& text, Stmt& st) {
    if (sqlite3_prepare_v2(db, text.c_str(), int(text.size()), &st.S, nullptr) != SQLITE_OK) return false;
    int count = sqlite3_bind_parameter_count(st.S);
    for (int i = 1; i <= count && size_t(i - 1) < parsed.Names.size(); ++i) {
      TParam* p = FParameters.FindParam(parsed.Names[size_t(i - 1)]);
      BindVariant(st.S, i, p ? p->Value() : Variant::Null());
    }
    return true;
  };

  Stmt st;
  if (!prepare(sql, st)) FConnection->RaiseError(sql);
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
      String u = UpperCase(sql);
      size_t sel = u.find("SELECT");
      if (sel != String::npos) {
        size_t from = sel + 6;
        String injected = sql.substr(0, from) + " " + TableQualifier(sql, FBaseTable) + ".rowid AS " +
                          SHiddenRowId + "," + sql.substr(from);
        Stmt st2;
        if (prepare(injected, st2) && sqlite3_column_count(st2.S) == cols + 1) {
          std::swap(st.S, st2.S);
          // The hidden column comes first in the statement; rows are read
          // with the offset below.
          FHasRowIdColumn = true;
        }
      }
    }
    FieldDefs().Clear();
    FColumns.clear();
    int off = FHasRowIdColumn ? 1 : 0;
    bool anyKey = false;
    for (int c = 0; c < cols; ++c) {
      const char* name = sqlite3_column_name(st.S, c + off);
      const char* decl = sqlite3_column_decltype(st.S, c + off);
      const char* table = sqlite3_column_table_name(st.S, c + off);
      const char* origin = sqlite3_column_origin_name(st.S, c + off);
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
      Stmt info;
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
      String u = UpperCase(sql);
      size_t from = u.find("SELECT") + 6;
      String injected = sql.substr(0, from) + " " + TableQualifier(sql, FBaseTable) + ".rowid AS " + SHiddenRowId +
                        "," + sql.substr(from);
      Stmt st2;
      if (!prepare(injected, st2)) FConnection->RaiseError(injected);
      std::swap(st.S, st2.S);
    }
  }

  int off = FHasRowIdColumn ? 1 : 0;
  size_t ncols = FColumns.size();
  std::vector<TFieldType> types(ncols);
  for (size_t c = 0; c < ncols; ++c) types[c] = FieldDefs()[Integer(c)].DataType;
  int rc;
  while ((rc = sqlite3_step(st.S)) == SQLITE_ROW) {
    TRecordData* rec = AddRecord();
    if (off) rec->RowKey = sqlite3_column_int64(st.S, 0);
    for (size_t c = 0; c < ncols; ++c)
      rec->Values[c] = FColumns[c].Typed ? ReadColumn(st.S, int(c) + off, types[c]) : ReadRaw(st.S, int(c) + off);
  }
  if (rc != SQLITE_DONE) FConnection->RaiseError(sqlite3_sql(st.S));

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
    for (auto& r : RecordStore()) {
      TDBValue& v = r->Values[c];
      if (DBValueIsNull(v)) continue;
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
  }
}

void TCustomADODataSet::CheckWritable() const {
  if (FBaseTable.empty())
    DatabaseError("Insufficient key column information for updating or refreshing", this);
}

// Writes one record change; `assigned` receives values the database made
// (auto-increment keys) and `newRowKey` the rowid of an inserted row.
void TCustomADODataSet::WriteRecord(TRecordData* rec, const std::vector<TDBValue>* values, TRecordStatus status,
                                    std::vector<TDBValue>* assigned, Int64* newRowKey) {
  CheckWritable();
  sqlite3* db = FConnection->Handle();
  // The values as the database has them identify the row.
  const std::vector<TDBValue>& old = rec->Original ? *rec->Original : rec->Values;
  String sql;
  std::vector<std::pair<const TDBValue*, TFieldType>> binds;
  auto addWhere = [&]() {
    sql += " WHERE ";
    if (FKeyByRowId) {
      sql += "rowid = ?";
      return;
    }
    bool first = true;
    for (size_t c = 0; c < FColumns.size(); ++c) {
      if (!FColumns[c].Key) continue;
      if (!first) sql += " AND ";
      first = false;
      if (DBValueIsNull(old[c])) {
        sql += QuoteName(FColumns[c].Origin) + " IS NULL";
      } else {
        sql += QuoteName(FColumns[c].Origin) + " = ?";
        binds.emplace_back(&old[c], FieldDefs()[Integer(c)].DataType);
      }
    }
  };
  switch (status) {
    case TRecordStatus::Inserted: {
      String names, marks;
      for (size_t c = 0; c < FColumns.size(); ++c) {
        const Column& col = FColumns[c];
        if (!col.Writable) continue;
        if (DBValueIsNull((*values)[c])) continue;   // the database default applies
        names += (names.empty() ? "" : ", ") + QuoteName(col.Origin);
        marks += marks.empty() ? "?" : ", ?";
        binds.emplace_back(&(*values)[c], FieldDefs()[Integer(c)].DataType);
      }
      sql = "INSERT INTO " + QuoteName(FBaseTable) +
            (names.empty() ? String(" DEFAULT VALUES") : " (" + names + ") VALUES (" + marks + ")");
      break;
    }
    case TRecordStatus::Modified: {
      String sets;
      for (size_t c = 0; c < FColumns.size(); ++c) {
        const Column& col = FColumns[c];
        if (!col.Writable || col.AutoInc) continue;
        if ((*values)[c] == old[c]) continue;   // only changed columns are written
        sets += (sets.empty() ? "" : ", ") + QuoteName(col.Origin) + " = ?";
        binds.emplace_back(&(*values)[c], FieldDefs()[Integer(c)].DataType);
      }
      if (sets.empty()) return;
      sql = "UPDATE " + QuoteName(FBaseTable) + " SET " + sets;
      addWhere();
      break;
    }
    case TRecordStatus::Deleted:
      sql = "DELETE FROM " + QuoteName(FBaseTable);
      addWhere();
      break;
    default:
      return;
  }
  Stmt st;
  if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &st.S, nullptr) != SQLITE_OK) FConnection->RaiseError(sql);
  int i = 1;
  for (auto& [v, t] : binds) BindValue(st.S, i++, *v, t);
  if (status != TRecordStatus::Inserted && FKeyByRowId) sqlite3_bind_int64(st.S, i++, rec->RowKey);
  if (sqlite3_step(st.S) != SQLITE_DONE) FConnection->RaiseError(sql);
  if (status == TRecordStatus::Inserted) {
    Int64 rowid = sqlite3_last_insert_rowid(db);
    if (newRowKey) *newRowKey = rowid;
    if (assigned) {
      for (size_t c = 0; c < FColumns.size(); ++c)
        if (FColumns[c].AutoInc && DBValueIsNull((*values)[c])) (*assigned)[c] = rowid;
    }
  } else if (sqlite3_changes(db) == 0) {
    throw EADOError(status == TRecordStatus::Deleted ? SRowNotFoundDelete : SRowNotFoundUpdate);
  }
}

void TCustomADODataSet::InternalPostRecord(TRecordData* rec, std::vector<TDBValue>& values, bool inserting) {
  if (FLockType == ltBatchOptimistic) {
    // Kept in the cache until UpdateBatch; the values as read are kept to
    // find the row then.
    if (!inserting && rec->Status != TRecordStatus::Inserted && !rec->Original)
      rec->Original = std::make_unique<std::vector<TDBValue>>(rec->Values);
    if (!inserting && rec->Status == TRecordStatus::Unmodified) rec->Status = TRecordStatus::Modified;
    rec->Pending = true;
    return;
  }
  Int64 rowKey = rec->RowKey;
  std::vector<TDBValue> assigned = values;
  WriteRecord(rec, &values, inserting ? TRecordStatus::Inserted : TRecordStatus::Modified, &assigned, &rowKey);
  values = std::move(assigned);
  rec->RowKey = rowKey;
}

void TCustomADODataSet::InternalDeleteRecord(TRecordData* rec) {
  if (FLockType == ltBatchOptimistic) {
    if (rec->Status == TRecordStatus::Inserted && rec->Pending) {
      DiscardRecord(rec);   // never written: nothing to delete
      return;
    }
    if (!rec->Original) rec->Original = std::make_unique<std::vector<TDBValue>>(rec->Values);
    rec->Status = TRecordStatus::Deleted;
    rec->Pending = true;
    return;
  }
  WriteRecord(rec, nullptr, TRecordStatus::Deleted, nullptr, nullptr);
  DiscardRecord(rec);
}

Integer TCustomADODataSet::PendingCount() const {
  Integer n = 0;
  for (auto& r : Records()) n += r->Pending ? 1 : 0;
  return n;
}

void TCustomADODataSet::UpdateBatch(TAffectRecords) {
  CheckActive();
  CheckBrowseMode();   // a pending edit is posted (into the cache) first
  if (PendingCount() == 0) return;
  CheckWritable();
  // Everything is written inside one transaction; the cache changes only
  // after the commit, so a failure leaves every change pending.
  struct Result {
    TRecordData* Rec;
    std::vector<TDBValue> Values;
    Int64 RowKey;
  };
  std::vector<Result> results;
  FConnection->BeginTrans();
  try {
    for (auto& up : RecordStore()) {
      TRecordData* r = up.get();
      if (!r->Pending) continue;
      Result res{r, r->Values, r->RowKey};
      WriteRecord(r, &r->Values, r->Status, &res.Values, &res.RowKey);
      results.push_back(std::move(res));
    }
    FConnection->CommitTrans();
  } catch (...) {
    try { FConnection->RollbackTrans(); } catch (...) {}
    throw;
  }
  std::vector<TRecordData*> deleted;
  for (auto& res : results) {
    TRecordData* r = res.Rec;
    if (r->Status == TRecordStatus::Deleted) { deleted.push_back(r); continue; }
    r->Values = std::move(res.Values);
    r->RowKey = res.RowKey;
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
