// TADOConnection: the connection string, the SQLite database file it names,
// commands and transactions.
#include <windows.h>
#include <sqlite3.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include "ADODB.h"
#include "ADOSqlite.h"
#include "DBUtil.h"
#include "DateUtils.h"
#include "JetSQL.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(EADOError, EDatabaseError)
TOVANI_IMPLEMENT_CLASS_FACTORY(TADOConnection, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TADOCommand, TComponent)
TOVANI_IMPLEMENT_ENUM_INFO(TConnectMode, "cmUnknown", "cmRead", "cmWrite", "cmReadWrite", "cmShareDenyRead",
                           "cmShareDenyWrite", "cmShareExclusive", "cmShareDenyNone")

TOVANI_PUBLISHED(TADOConnection) {
  Property("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString);
  Property("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected).Default(false);
  Property("KeepConnection", &TADOConnection::KeepConnection, &TADOConnection::SetKeepConnection).Default(true);
  Property("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt).Default(true);
  Property("Mode", &TADOConnection::Mode, &TADOConnection::SetMode).Default(cmUnknown);
  Property("Provider", &TADOConnection::Provider, &TADOConnection::SetProvider);
  Property("BeforeConnect", &TADOConnection::BeforeConnect);
  Property("AfterConnect", &TADOConnection::AfterConnect);
  Property("BeforeDisconnect", &TADOConnection::BeforeDisconnect);
  Property("AfterDisconnect", &TADOConnection::AfterDisconnect);
}

TOVANI_PUBLISHED(TADOCommand) {
  Property("Connection", &TADOCommand::Connection, &TADOCommand::SetConnection);
  Property("CommandText", &TADOCommand::CommandText, &TADOCommand::SetCommandText);
  Property<TParams*>("Parameters", [](TADOCommand* c) { return c->Parameters(); }, nullptr);
}

namespace {

// Splits "a=1;b = 'x;y'" into trimmed key/value pairs.
std::vector<std::pair<String, String>> ParseConnectionString(const String& s) {
  std::vector<std::pair<String, String>> out;
  size_t i = 0, n = s.size();
  while (i < n) {
    size_t eq = s.find('=', i);
    size_t semi = s.find(';', i);
    if (eq == String::npos || (semi != String::npos && semi < eq)) {
      i = semi == String::npos ? n : semi + 1;
      continue;
    }
    String key = Trim(s.substr(i, eq - i));
    size_t v = eq + 1;
    while (v < n && s[v] == ' ') ++v;
    String value;
    if (v < n && (s[v] == '"' || s[v] == '\'')) {
      char q = s[v];
      size_t e = v + 1;
      while (e < n) {
        if (s[e] == q) {
          if (e + 1 < n && s[e + 1] == q) { value += q; e += 2; continue; }
          break;
        }
        value += s[e++];
      }
      i = s.find(';', e);
      i = i == String::npos ? n : i + 1;
    } else {
      size_t e = s.find(';', v);
      if (e == String::npos) e = n;
      value = Trim(s.substr(v, e - v));
      i = e + 1;
    }
    out.emplace_back(key, value);
  }
  return out;
}

// The program names files the Windows way ("C:\...\data.mdb"); SQLite opens
// them through the Linux file system, so Windows paths are translated by
// Wine. Linux paths pass through unchanged.
String ToUnixPath(const String& path) {
  if (path.empty() || path[0] == '/') return path;
  std::u16string w = Utf8ToUtf16(path);
  char* unix = wine_get_unix_file_name(reinterpret_cast<LPCWSTR>(w.c_str()));
  if (!unix) return path;
  String out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

}  // namespace

TADOConnection::TADOConnection(TComponent* owner) : TComponent(owner) {}

void TADOConnection::Loaded() {
  TComponent::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    Open();
  }
}

TADOConnection::~TADOConnection() {
  BeforeDisconnect = nullptr;
  AfterDisconnect = nullptr;
  try { Close(); } catch (...) {}
  for (TCustomADODataSet* ds : FDataSets) ds->FConnection = nullptr;
}

void TADOConnection::SetConnectionString(const String& v) {
  if (Connected()) Close();
  FConnectionString = v;
  for (auto& [k, val] : ParseConnectionString(v))
    if (SameText(k, "Provider")) FProvider = val;
}

String TADOConnection::ConnectionValue(const String& key) const {
  for (auto& [k, v] : ParseConnectionString(FConnectionString))
    if (SameText(k, key)) return v;
  return {};
}

void TADOConnection::SetConnected(bool v) {
  if (ComponentState().Contains(csLoading)) {
    // Connected from a form file: connect once every property is read.
    FStreamedConnected = v;
    return;
  }
  if (v) Open();
  else Close();
}

void TADOConnection::Open() {
  if (Connected()) return;
  if (BeforeConnect) BeforeConnect(this);
  String file = DataSource();
  if (file.empty()) throw EADOError("The connection string names no database file (Data Source)");
  String unixPath = ToUnixPath(file);
  sqlite3* db = nullptr;
  // The file must exist: a missing database is an error, never a new file.
  // A connection and its datasets are used by one thread at a time (the
  // program's), so SQLite's own lock around every call is left out: it
  // would be taken for every column of every row read.
  int flags = (FMode == cmRead || FMode == cmShareDenyWrite ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
              SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(unixPath.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    String msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw EADOError("Cannot open database file '" + file + "': " + msg);
  }
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, 2000);
  // Reading the schema proves that the file is a database and not locked.
  char* err = nullptr;
  rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    String msg = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    sqlite3_close(db);
    throw EADOError("Cannot open database file '" + file + "': " + msg);
  }
  RegisterJetFunctions(db);
  FDb = db;
  FOpenFile = file;
  FTransLevel = 0;
  if (AfterConnect) AfterConnect(this);
}

void TADOConnection::Close() {
  if (!Connected()) return;
  if (BeforeDisconnect) BeforeDisconnect(this);
  std::vector<TCustomADODataSet*> sets = FDataSets;
  for (TCustomADODataSet* ds : sets) ds->Close();
  if (FTransLevel > 0) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
  FTransLevel = 0;
  sqlite3_close_v2(FDb);
  FDb = nullptr;
  if (AfterDisconnect) AfterDisconnect(this);
}

sqlite3* TADOConnection::Handle() {
  if (!FDb) Open();
  return FDb;
}

void TADOConnection::RaiseError(const String& sql) const {
  String msg = FDb ? sqlite3_errmsg(FDb) : "not connected";
  int code = FDb ? sqlite3_errcode(FDb) : 0;
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
    msg = "The database file '" + FOpenFile + "' is locked by another user: " + msg;
  throw EADOError(msg + ". SQL: " + sql);
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* ds) {
  if (std::find(FDataSets.begin(), FDataSets.end(), ds) == FDataSets.end()) FDataSets.push_back(ds);
}
void TADOConnection::UnregisterDataSet(TCustomADODataSet* ds) {
  auto it = std::find(FDataSets.begin(), FDataSets.end(), ds);
  if (it != FDataSets.end()) FDataSets.erase(it);
}

void BindVariant(sqlite3_stmt* st, int index, const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) { sqlite3_bind_null(st, index); return; }
  switch (v.Kind()) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
    case varInt64:
      sqlite3_bind_int64(st, index, v.AsInt64());
      break;
    case varBoolean:
      sqlite3_bind_int(st, index, v.AsBoolean() ? 1 : 0);
      break;
    case varSingle: case varDouble:
      sqlite3_bind_double(st, index, v.AsDouble());
      break;
    case varCurrency:
      sqlite3_bind_double(st, index, double(v.AsCurrencyRaw()) / 10000.0);
      break;
    case varDate: {
      String s = DateTimeToISO(v.AsDateTime());
      sqlite3_bind_text(st, index, s.data(), int(s.size()), SQLITE_TRANSIENT);
      break;
    }
    default: {
      String s = VarToStr(v);
      sqlite3_bind_text(st, index, s.data(), int(s.size()), SQLITE_TRANSIENT);
      break;
    }
  }
}

size_t BindParameters(sqlite3_stmt* st, const std::vector<String>& names, size_t first, const TParams& params,
                      const String& shown) {
  int count = sqlite3_bind_parameter_count(st);
  size_t used = 0;
  for (int i = 1; i <= count && first + used < names.size(); ++i, ++used) {
    const String& name = names[first + used];
    TParam* p = params.FindParam(name);
    // Binding Null for a parameter nobody set would answer no rows (or
    // write nulls) without a word: the caller forgot to give it a value.
    if (!p || p->Value().IsEmpty())
      throw EADOError("No value given for parameter '" + name + "'. SQL: " + shown);
    BindVariant(st, i, p->Value());
  }
  return used;
}

Integer TADOConnection::Execute(const String& commandText) {
  TParams none;
  return Execute(commandText, none);
}

namespace {
// Whether translated SQL text has another statement after `tail`.
bool HasMoreStatements(const char* tail, const char* end) {
  for (; tail < end; ++tail)
    if (*tail != ';' && !std::isspace((unsigned char)*tail)) return true;
  return false;
}
}  // namespace

Integer TADOConnection::Execute(const String& commandText, const TParams& params) {
  sqlite3* db = Handle();
  TParsedSQL parsed = ParseSQLParams(commandText);
  String sql = TranslateJetSQL(parsed.Text, commandText);
  const char* tail = sql.c_str();
  const char* end = tail + sql.size();
  Integer changed = 0;
  size_t nextName = 0;
  // Several statements are one unit of work: when one fails, the ones
  // before it are undone too.
  bool transaction = false;
  try {
    while (tail < end) {
      TSqlStatement st;
      if (sqlite3_prepare_v2(db, tail, int(end - tail), &st.S, &tail) != SQLITE_OK) RaiseError(commandText);
      if (!st.S) continue;   // blanks or a lone ";"
      if (!transaction && HasMoreStatements(tail, end)) {
        BeginTrans();
        transaction = true;
      }
      nextName += BindParameters(st.S, parsed.Names, nextName, params, commandText);
      int rc;
      while ((rc = sqlite3_step(st.S)) == SQLITE_ROW) {}
      if (rc != SQLITE_DONE) RaiseError(commandText);
      changed = sqlite3_changes(db);
    }
    if (transaction) CommitTrans();
  } catch (...) {
    if (transaction) {
      try { RollbackTrans(); } catch (...) {}
    }
    throw;
  }
  return changed;
}

Integer TADOConnection::BeginTrans() {
  sqlite3* db = Handle();
  String sql = FTransLevel == 0 ? String("BEGIN") : "SAVEPOINT tovani_" + IntToStr(FTransLevel);
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) RaiseError(sql);
  return ++FTransLevel;
}

void TADOConnection::CommitTrans() {
  if (FTransLevel == 0) throw EADOError("No transaction is active");
  String sql = FTransLevel == 1 ? String("COMMIT") : "RELEASE tovani_" + IntToStr(FTransLevel - 1);
  if (sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) RaiseError(sql);
  --FTransLevel;
}

void TADOConnection::RollbackTrans() {
  if (FTransLevel == 0) throw EADOError("No transaction is active");
  if (FTransLevel == 1) {
    sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
  } else {
    String name = "tovani_" + IntToStr(FTransLevel - 1);
    String sql = "ROLLBACK TO " + name + "; RELEASE " + name;
    if (sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) RaiseError(sql);
  }
  --FTransLevel;
}

// ---------------------------------------------------------------------------

void TADOCommand::SetCommandText(const String& v) {
  FCommandText = v;
  FParameters.ParseSQL(v);
}

Integer TADOCommand::Execute() {
  if (!FConnection) throw EADOError("Missing Connection or ConnectionString");
  return FConnection->Execute(FCommandText, FParameters);
}

// ---------------------------------------------------------------------------

String DateTimeToISO(TDateTime v) {
  // Whole seconds: the storage form has no fraction.
  double secs = std::nearbyint(v * 86400.0);
  TDateTime r = secs / 86400.0;
  Word y, m, d, h, n, s, ms;
  DecodeDate(r, y, m, d);
  DecodeTime(r, h, n, s, ms);
  char buf[32];
  const char* digits = "0123456789";
  auto put = [&](char* p, int value, int width) {
    for (int i = width - 1; i >= 0; --i) { p[i] = digits[value % 10]; value /= 10; }
  };
  put(buf, y, 4); buf[4] = '-'; put(buf + 5, m, 2); buf[7] = '-'; put(buf + 8, d, 2); buf[10] = ' ';
  put(buf + 11, h, 2); buf[13] = ':'; put(buf + 14, n, 2); buf[16] = ':'; put(buf + 17, s, 2);
  return String(buf, 19);
}

namespace {
// Days before each month in a common year.
constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

inline int Digit(char c) { return c - '0'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The storage form itself, "YYYY-MM-DD HH:MM:SS", read without detours (it
// is read for every date of every record opened); false for any other text.
bool StorageFormToDateTime(std::string_view s, TDateTime& v) {
  if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
    if (!IsDigit(s[size_t(i)])) return false;
  int y = Digit(s[0]) * 1000 + Digit(s[1]) * 100 + Digit(s[2]) * 10 + Digit(s[3]);
  int m = Digit(s[5]) * 10 + Digit(s[6]);
  int d = Digit(s[8]) * 10 + Digit(s[9]);
  int h = Digit(s[11]) * 10 + Digit(s[12]);
  int n = Digit(s[14]) * 10 + Digit(s[15]);
  int sec = Digit(s[17]) * 10 + Digit(s[18]);
  if (y < 1 || m < 1 || m > 12 || d < 1 || h >= 24 || n >= 60 || sec >= 60) return false;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int monthDays = m == 2 ? (leap ? 29 : 28) : (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31;
  if (d > monthDays) return false;
  // As EncodeDate and EncodeTime compute them, to the same bits.
  Int64 days = d + kDaysBefore[m - 1] + (m > 2 && leap ? 1 : 0);
  Int64 py = y - 1;
  double date = double(py * 365 + py / 4 - py / 100 + py / 400 + days - DateDelta);
  double time = ((h * 3600000.0) + n * 60000.0 + sec * 1000.0 + 0.0) / MSecsPerDay;
  v = date + time;
  return true;
}
}  // namespace

bool ISOToDateTime(std::string_view s, TDateTime& v) {
  if (StorageFormToDateTime(s, v)) return true;
  // "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]", also with "T".
  auto num = [&](size_t pos, size_t len, int& out) {
    if (pos + len > s.size()) return false;
    out = 0;
    for (size_t i = pos; i < pos + len; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      out = out * 10 + (s[i] - '0');
    }
    return true;
  };
  int y, m, d, h = 0, n = 0, sec = 0;
  if (s.size() < 10 || !num(0, 4, y) || s[4] != '-' || !num(5, 2, m) || s[7] != '-' || !num(8, 2, d)) return false;
  TDateTime date;
  if (!TryEncodeDate(Word(y), Word(m), Word(d), date)) return false;
  double frac = 0;
  if (s.size() > 10) {
    if ((s[10] != ' ' && s[10] != 'T') || !num(11, 2, h) || s.size() < 16 || s[13] != ':' || !num(14, 2, n))
      return false;
    if (s.size() >= 19 && s[16] == ':' && !num(17, 2, sec)) return false;
    if (s.size() > 20 && s[19] == '.') {
      double scale = 0.1;
      for (size_t i = 20; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10) frac += (s[i] - '0') * scale;
    }
  }
  TDateTime time;
  if (!TryEncodeTime(Word(h), Word(n), Word(sec), 0, time)) return false;
  v = date + time + frac / 86400.0;
  return true;
}
