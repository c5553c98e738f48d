#include "sqlMLog.h"

#include <sqlite3.h>

namespace {
char m_sqlError[2000] = "";
} // namespace

// Temporary: the operations are being filled in; loads find no rows.
gboolean sqlInitialize() {
    return TRUE;
}
const char* sqlLastError() {
    return m_sqlError;
}
gboolean sqlBuildTables(sqlite3*, tabledef*) {
    return FALSE;
}
void sqlBuildCols(gchar* pszCols, guint nlCols, const coldef*) {
    if (nlCols)
        pszCols[0] = 0;
}
void sqlParseSCols(const gchar*) {}
gboolean sqlIsColExist(const gchar*) {
    return FALSE;
}
int tables_callback(void*, int, char**, char**) {
    return 0;
}
gboolean sqlLoadAircraftRecord(cbAC*, guint) {
    return TRUE;
}
gboolean sqlUpdateAircraftRecord(rcdAC*) {
    return FALSE;
}
gboolean sqlLoadPilotRecord(cbPilot*, guint) {
    return TRUE;
}
gboolean sqlUpdatePilotRecord(rcdPilot*) {
    return FALSE;
}
gboolean sqlLoadFLogRecord(cbFLog*, gulong, gulong) {
    return TRUE;
}
gboolean sqlUpdateFLogRecord(rcdFLog*) {
    return FALSE;
}
gboolean sqlLoadMaintRecords(cbMaint*, guint, guint) {
    return TRUE;
}
gboolean sqlLoadMaintRecord(rcdMaint*, guint) {
    return TRUE;
}
gboolean sqlUpdateMaintRecord(rcdMaint*, guint) {
    return FALSE;
}
gboolean sqlLoadCompCard(cbComp*, guint, guint) {
    return TRUE;
}
gboolean sqlUpdateCompCard(rcdComp*) {
    return FALSE;
}
gboolean sqlLoadRefRecords(cbRef*, guint) {
    return TRUE;
}
gboolean sqlLoadRefRecord(cbRef*, guint) {
    return TRUE;
}
gboolean sqlUpdateRefRecord(rcdRef*) {
    return FALSE;
}
gboolean sqlLoadTargetRecords(cbTarget*, guint) {
    return TRUE;
}
gboolean sqlLoadTargetRecord(cbTarget*, guint) {
    return TRUE;
}
gboolean sqlUpdateTargetRecord(rcdTarget*) {
    return FALSE;
}
gboolean sqlLoadSNoteRecords(cbSNote*) {
    return TRUE;
}
gboolean sqlLoadSNoteRecord(cbSNote*, guint) {
    return TRUE;
}
gboolean sqlUpdateSNoteRecord(rcdSNote*) {
    return FALSE;
}
