#include "sqlMLog.h"

#include <sqlite3.h>

namespace {
char m_sqlError[2000] = "";
} // namespace

// Opening and schema upgrade arrive with the storage work.
gboolean sqlInitialize() { return TRUE; }

const char* sqlLastError() { return m_sqlError; }
