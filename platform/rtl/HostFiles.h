// The host system's name for one of the program's file names. Libraries
// from the host system (SQLite, the workbook package) open files by these.
#pragma once
#include "System.h"

// A name that already is a host name (starting with "/") is returned as it
// is; a name Wine cannot translate too, so the caller's error names it.
String HostFileName(const String& path);
