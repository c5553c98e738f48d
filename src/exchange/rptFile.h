// What the report writers share: the error of a cancelled export.
#pragma once

#include <gio/gio.h>

inline void rptSetCancelled(GError** ppError, const char* pszFile) {
    g_set_error(ppError, G_IO_ERROR, G_IO_ERROR_CANCELLED, "%s\nThe export was cancelled.",
                pszFile);
}
