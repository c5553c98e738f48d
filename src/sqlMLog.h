// Storage: the log database and the catalogue database.
#pragma once

#include <glib.h>

// Opens both databases and brings them up to the declared schema.
gboolean sqlInitialize();
// Text of the last database error (two lines: where, then SQLite's message).
const char* sqlLastError();
