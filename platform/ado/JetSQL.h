// The Jet SQL that the program and the grid write, turned into SQLite SQL:
//   #2024-01-05# / #01/05/2024 13:00#  -> '2024-01-05 00:00:00' (storage form)
//   True / False                       -> 1 / 0
//   "text"                             -> 'text'
//   a & b, and + next to text          -> a || b
//   LIKE 'a*b?'                        -> LIKE 'a%b_'
//   SELECT TOP n ...                   -> SELECT ... LIMIT n
//   DISTINCTROW                        -> DISTINCT
//   Left(...), Right(...)              -> jet_left(...), jet_right(...)
//   a trailing ";"                     -> removed
// [bracketed names], comma joins and parenthesised INNER JOINs are SQLite
// already. The Jet functions (InStr, CStr, IIf, Len, Mid, Left, Right, UCase,
// LCase, Now, Date, Nz, CInt, CLng, CDbl, CCur, Format of dates) are SQL
// functions registered on each connection (RegisterJetFunctions).
#pragma once
#include "System.h"

struct sqlite3;

// Raises EADOError for a malformed text, quoting `shown` (the text as the
// caller wrote it, before its parameter markers were replaced) or else `jet`.
String TranslateJetSQL(const String& jet, const String& shown = String());
void RegisterJetFunctions(sqlite3* db);
