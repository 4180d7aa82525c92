// Helpers the ADO sources share over the SQLite interface: an owner of a
// prepared statement and the binding of parameter values.
#pragma once
#include <sqlite3.h>
#include <vector>
#include "DB.h"

// Owns a prepared statement; finalizes it when it goes out of scope.
struct TSqlStatement {
  sqlite3_stmt* S = nullptr;
  TSqlStatement() = default;
  TSqlStatement(const TSqlStatement&) = delete;
  TSqlStatement& operator=(const TSqlStatement&) = delete;
  ~TSqlStatement() { sqlite3_finalize(S); }
};

// Binds a parameter value in the storage forms of the database.
void BindVariant(sqlite3_stmt* st, int index, const Variant& v);

// Binds the statement's markers to the parameters named by names[first...]
// and answers how many names it used. A parameter that is missing or was
// never given a value raises EADOError naming it and the SQL text `shown`
// (the text the caller wrote); Null is a value.
size_t BindParameters(sqlite3_stmt* st, const std::vector<String>& names, size_t first, const TParams& params,
                      const String& shown);
