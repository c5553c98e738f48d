// Records of the log database: aircraft, pilots, flights, maintenance,
// and the counts asked before a delete.
#include "sqlMLog.h"
#include "sqlRow.h"
#include "sqlTable.h"

#include <sqlite3.h>

// ---- Log database records ----

gboolean sqlLoadAircraftRecord(cbAC* pcbAC, guint iACID) {
    const bool bAll = rowIsAllOnes(iACID);
    return rowLoad("sqlLoadAircraftRecord", sqlLogHandle(), tblAircraft,
                   bAll ? "WHERE " ROW_NOT_DELETED " ORDER BY UPPER(strReg)" : nullptr,
                   bAll ? Params{} : Params{rowUnsigned(iACID)}, pcbAC->prcdAC,
                   rowCall(pcbAC->pfuncACCB, pcbAC->prcdAC));
}

gboolean sqlUpdateAircraftRecord(rcdAC* prcdAC) {
    return rowSaveLog("sqlUpdateAircraftRecord", sqlLogHandle(), tblAircraft, prcdAC->iACID, prcdAC,
                      0, nullptr);
}

gboolean sqlLoadPilotRecord(cbPilot* pcbPilot, guint iPilotID) {
    const bool bAll = rowIsAllOnes(iPilotID);
    return rowLoad("sqlLoadPilotRecord", sqlLogHandle(), tblPilot,
                   bAll ? "WHERE " ROW_NOT_DELETED " ORDER BY strSortKey" : nullptr,
                   bAll ? Params{} : Params{rowUnsigned(iPilotID)}, pcbPilot->prcdPilot,
                   rowCall(pcbPilot->pfuncPilotCB, pcbPilot->prcdPilot));
}

gboolean sqlUpdatePilotRecord(rcdPilot* prcdPilot) {
    return rowSaveLog("sqlUpdatePilotRecord", sqlLogHandle(), tblPilot, prcdPilot->iPilotID,
                      prcdPilot, 0, &prcdPilot->bDirty);
}

gboolean sqlLoadFLogRecord(cbFLog* pcbFLog, gulong iFLogID, gulong iCSID) {
    const bool bAll = rowIsAllOnes(iFLogID);
    return rowLoad("sqlLoadFlightLog", sqlLogHandle(), tblFlight,
                   bAll ? "WHERE " ROW_NOT_DELETED " AND iCSID = ? ORDER BY tFltBegin" : nullptr,
                   {rowUnsigned(static_cast<guint>(bAll ? iCSID : iFLogID))}, pcbFLog->prcdFLog,
                   rowCall(pcbFLog->pfuncFLogCB, pcbFLog->prcdFLog));
}

gboolean sqlUpdateFLogRecord(rcdFLog* prcdFLog) {
    return rowSaveLog("sqlUpdateFLogRecord", sqlLogHandle(), tblFlight, prcdFLog->iFLogID, prcdFLog,
                      0, nullptr);
}

gboolean sqlLoadMaintRecords(cbMaint* pcbMaint, guint iCompID, guint iACID) {
    return rowLoad("sqlLoadMaintRecords", sqlLogHandle(), tblMaint,
                   "WHERE " ROW_NOT_DELETED " AND iCompID=? AND iACID=? "
                   "ORDER BY tCompleted, iMaintID",
                   {rowUnsigned(iCompID), rowUnsigned(iACID)}, pcbMaint->prcdMaint,
                   rowCall(pcbMaint->pfuncMaintCB, pcbMaint->prcdMaint));
}

gboolean sqlLoadMaintRecordsOfAC(cbMaint* pcbMaint, guint iACID) {
    return rowLoad("sqlLoadMaintRecordsOfAC", sqlLogHandle(), tblMaint,
                   "WHERE " ROW_NOT_DELETED " AND iACID=? "
                   "ORDER BY iCompID, tCompleted, iMaintID",
                   {rowUnsigned(iACID)}, pcbMaint->prcdMaint,
                   rowCall(pcbMaint->pfuncMaintCB, pcbMaint->prcdMaint));
}

gboolean sqlLoadMaintRecord(rcdMaint* prcdMaint, guint iMaintID) {
    return rowLoad("sqlLoadMaintRecord", sqlLogHandle(), tblMaint, nullptr, {rowUnsigned(iMaintID)},
                   prcdMaint, [] { return 0; });
}

gboolean sqlUpdateMaintRecord(rcdMaint* prcdMaint, guint iACID) {
    return rowSaveLog("sqlUpdateMaintRecord", sqlLogHandle(), tblMaint, prcdMaint->iMaintID,
                      prcdMaint, iACID, nullptr);
}

gboolean sqlLoadDefectRecords(cbDefect* pcbDefect, guint iACID) {
    return rowLoad("sqlLoadDefectRecords", sqlLogHandle(), tblDefect,
                   "WHERE " ROW_NOT_DELETED " AND iACID = ? "
                   "ORDER BY tReported, iDefectID",
                   {rowUnsigned(iACID)}, pcbDefect->prcdDefect,
                   rowCall(pcbDefect->pfuncDefectCB, pcbDefect->prcdDefect));
}

gboolean sqlLoadDefectRecord(rcdDefect* prcdDefect, guint iDefectID) {
    return rowLoad("sqlLoadDefectRecord", sqlLogHandle(), tblDefect, nullptr,
                   {rowUnsigned(iDefectID)}, prcdDefect, [] { return 0; });
}

gboolean sqlUpdateDefectRecord(rcdDefect* prcdDefect) {
    return rowSaveLog("sqlUpdateDefectRecord", sqlLogHandle(), tblDefect, prcdDefect->iDefectID,
                      prcdDefect, 0, &prcdDefect->bDirty);
}

// ---- Counts asked before a delete ----

namespace {

gboolean countRows(const char* pszOp, const char* pszSQL, guint iID, guint* pnCount) {
    *pnCount = 0;
    return rowRun(pszOp, sqlLogHandle(), pszSQL, {rowUnsigned(iID)}, [pnCount](sqlite3_stmt* p) {
        *pnCount = static_cast<guint>(sqlite3_column_int64(p, 0));
        return 0;
    });
}

} // namespace

gboolean sqlCountPilotFlights(guint iPilotID, guint* pnFlights) {
    return countRows("sqlCountPilotFlights",
                     "SELECT COUNT(*) FROM Flight WHERE " ROW_NOT_DELETED " AND "
                     "(iPilotID = ?1 OR iStudentID = ?1)",
                     iPilotID, pnFlights);
}

gboolean sqlCountAircraftRecords(guint iACID, guint* pnFlights, guint* pnMaint) {
    return countRows("sqlCountAircraftRecords",
                     "SELECT COUNT(*) FROM Flight WHERE " ROW_NOT_DELETED " AND "
                     "iCSID = ?",
                     iACID, pnFlights) &&
           countRows("sqlCountAircraftRecords",
                     "SELECT COUNT(*) FROM Maintenance WHERE " ROW_NOT_DELETED " "
                     "AND iACID = ?",
                     iACID, pnMaint);
}

gboolean sqlCountMaintByCard(guint iACID, std::vector<std::pair<guint, guint>>* plst) {
    plst->clear();
    return rowRun("sqlCountMaintByCard", sqlLogHandle(),
                  "SELECT iCompID, COUNT(*) FROM Maintenance WHERE " ROW_NOT_DELETED " "
                  "AND iACID = ? GROUP BY iCompID ORDER BY iCompID",
                  {rowUnsigned(iACID)}, [plst](sqlite3_stmt* p) {
                      plst->emplace_back(guint(sqlite3_column_int64(p, 0)),
                                         guint(sqlite3_column_int64(p, 1)));
                      return 0;
                  });
}

gboolean sqlCountFlightsAfter(guint iACID, time_t tAfter, guint* pnFlights) {
    *pnFlights = 0;
    return rowRun("sqlCountFlightsAfter", sqlLogHandle(),
                  "SELECT COUNT(*) FROM Flight WHERE " ROW_NOT_DELETED " AND "
                  "iCSID = ? AND tFltBegin > ?",
                  {rowUnsigned(iACID), Param{false, gint64(tAfter), nullptr, 0}},
                  [pnFlights](sqlite3_stmt* p) {
                      *pnFlights = static_cast<guint>(sqlite3_column_int64(p, 0));
                      return 0;
                  });
}
