// The database file data.mdb: a SQLite database holding every table of the
// program and the rows it relies on (operations, id counters, the
// administrator, the company-name setting), and the operations on the file
// as a whole: creating it where none exists, copying it for a backup, and
// the id counter of the Keys table.
#pragma once
#include <vector>
#include "System.h"

struct sqlite3;

// The administrator: passes every permission test; the login dialog shows
// the initial password.
extern const char* const AdminUserName;          // "管理员"
extern const char* const AdminInitialPassword;   // "3627"

// The operations that permissions refer to, in OP_ID order (OP_ID = index + 1).
const std::vector<String>& OperationNames();

// Creates the database file at `unixPath` (a Linux path) with every table
// and the required rows, unless a file of that name exists: an existing file
// is left exactly as it is. Answers true when it created the file. A
// zero-length file holds nothing and is treated as missing; any other
// existing file must be a database with the program's tables, or
// EDatabaseError names the file and what it lacks.
//
// The file is built under a temporary name and moved into place only when
// complete, so a failed creation leaves no half-made database behind that a
// later start would take as it stands. Raises EDatabaseError when the file
// cannot be created.
bool EnsureDatabaseFile(const String& unixPath);

// Copies the open database `source` to the file `destUnixPath` with
// SQLite's online backup: the copy is one consistent state of the database
// even while this or another program writes to it. The copy is built under
// a temporary name beside the target and moved over it only when complete,
// so on failure a file already there is unchanged. Answers false on failure,
// with the reason in `error` when given.
bool BackupDatabase(sqlite3* source, const String& destUnixPath, String* error = nullptr);

// The id that the next new row of `tableName` receives, from the Keys
// table: answers the stored AutoID and stores AutoID + 1 in one statement,
// so two programs working on one file never receive the same id. Answers 0
// and writes nothing when Keys has no row for the table. Raises
// EDatabaseError when the database refuses.
Integer TakeNextAutoID(sqlite3* db, const String& tableName);

// The Linux path of a file that the program names the Windows way
// ("C:\...\data.mdb"), as SQLite needs it; Linux paths pass through.
String ToUnixPath(const String& path);
