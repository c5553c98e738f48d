// Copies of the databases, made at start-up into the "backup" folder
// beside each file: "<name>-YYYYMMDD-HHMMSS.db", the newest ten kept.
#pragma once

#include <glib.h>

#include <string>

struct sqlite3;

// Number of copies kept of each database.
constexpr guint BKP_KEEP = 10;

// Copies the open database h (whose file is named "<pszName>.db") with
// SQLite's online backup API, unless it holds exactly what the newest copy
// holds; then removes all but the newest BKP_KEEP copies. Failures are
// logged and never stop the program. TRUE when a new copy was made.
gboolean bkpBackUp(sqlite3* h, const char* pszName);

// Makes sure a copy holding exactly what the open database h holds now
// exists: the newest copy when it holds the same, else a new one. TRUE
// with its path in *pstrCopy; FALSE with the reason in *pstrWhy (also
// logged) and *pstrCopy empty, never an older copy in its place.
gboolean bkpFreshCopy(sqlite3* h, const char* pszName, std::string* pstrCopy, std::string* pstrWhy);

// Full path of the newest copy of the database file pszDbPath (named
// "<pszName>.db"), or an empty string when there is none.
std::string bkpNewest(const char* pszDbPath, const char* pszName);
