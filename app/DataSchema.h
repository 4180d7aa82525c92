// The database file data.mdb: a SQLite database holding every table of the
// program and the rows it relies on (operations, id counters, the
// administrator, the company-name setting). The program never changes the
// schema of an existing file; it only creates a new file where none exists.
#pragma once
#include <vector>
#include "System.h"

// The administrator: passes every permission test; the login dialog shows
// the initial password.
extern const char* const AdminUserName;          // "管理员"
extern const char* const AdminInitialPassword;   // "3627"

// The operations that permissions refer to, in OP_ID order (OP_ID = index + 1).
const std::vector<String>& OperationNames();

// Creates the database file at `unixPath` (a Linux path) with every table
// and the required rows, unless a file of that name exists: an existing file
// is left exactly as it is. Answers true when it created the file.
//
// The file is built under a temporary name and moved into place only when
// complete, so a failed creation leaves no half-made database behind that a
// later start would take as it stands. Raises EDatabaseError when the file
// cannot be created.
bool EnsureDatabaseFile(const String& unixPath);
