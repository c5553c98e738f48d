// Storage: the log database (aircraft, pilots, flights, maintenance) and
// the catalogue database (component cards, drawings, targets, service
// notes), their declared schema, and every record load and update. The
// files are opened and brought up to the schema here; the records live in
// sqlLogRec and sqlCatRec, the tables' declarations in sqlTable.
//
// Every operation returns TRUE on success; on failure it returns FALSE and
// leaves a two-line text in sqlLastError(): the operation's name, "():",
// the failing call with the statement in parentheses, then SQLite's message.
// A load or update by ID whose row does not exist fails with "no such row";
// a record is cleared before each row is read into it.
#pragma once

#include "rcdAC.h"
#include "rcdComp.h"
#include "rcdDefect.h"
#include "rcdFLog.h"
#include "rcdMaint.h"
#include "rcdPilot.h"
#include "rcdRef.h"

#include <glib.h>

#include <utility>
#include <vector>

struct sqlite3;

// Row ID of a record that is not yet stored: the update inserts it and
// writes the new row ID back. Load operations take it as "all rows".
constexpr guint SQL_NEW_ID = 0xFFFFFFFFu;

// ---- Database files and schema ----

constexpr guint MAX_SCOLS = 100;
constexpr guint MAX_TCOLS = 100;

// One declared column; the list of a table ends at a null name.
struct coldef {
    const gchar* pszCol;
    const gchar* pszType; // as written into CREATE TABLE and ALTER TABLE
    gboolean bCol;        // the stored table has this column
};

// One declared table; the list ends at a null table name.
struct tabledef {
    const gchar* pszTable;
    gboolean bTable; // the database holds this table
    coldef lstCol[MAX_TCOLS];
};

// One column parsed out of a stored CREATE TABLE statement.
struct schema {
    char szCol[50];
    char szType[100];
};

// States of the stored-statement parser.
enum _schstate { SCH_OPEN, SCH_COLWS, SCH_COL, SCH_TYPEWS, SCH_TYPE };

// The log's format version, kept in the file's header (PRAGMA user_version)
// and set at every start. A log of a later version may hold what this
// program does not know: it is opened read-only and never written.
constexpr int SQL_LOG_VERSION = 2;

// Opens both databases ("../etc/" first, then "/avLedger/etc/"), checks
// each file's structure and brings them up to the declared schema. A
// damaged file fails the start with the path of its newest backup in the
// error text, and nothing is written to it; so does a data folder that
// cannot be written, named in plain words. Safe to call again: open
// handles are closed first.
gboolean sqlInitialize();
// Copies each database into its backup folder when it changed since the
// newest copy (see avBackup). Failures are only logged.
void sqlBackUp();
// FALSE, with the files and the reason in sqlLastError(), when a database
// cannot be written (a read-only file or folder, a log of a later version).
gboolean sqlCheckWritable();
// Text of the last database error (two lines); never cleared.
const char* sqlLastError();
// TRUE when the last failure was a load or update by ID that found no row
// (its error text ends in "no such row"). Callers for which an absent row
// is a normal answer test this instead of reporting the failure.
gboolean sqlIsNoSuchRow();
// Groups the writes of one action on one file (the catalogue when
// bCatalogue) so that they land together or not at all; pairs nest.
// sqlEndWrite keeps them (bCommit) or undoes them and returns FALSE.
gboolean sqlBeginWrite(gboolean bCatalogue);
gboolean sqlEndWrite(gboolean bCatalogue, gboolean bCommit);
// Closes both databases; done at shutdown so that nothing is left in a
// journal for the next start to recover.
void sqlClose();

// Brings one database up to one declared schema after the scan has set the
// bTable/bCol flags: missing tables created, missing columns added in order.
gboolean sqlBuildTables(sqlite3* hSQL, tabledef* plstTable);
// Writes "name type, name type, ..." for CREATE TABLE (at most nlCols bytes).
void sqlBuildCols(gchar* pszCols, guint nlCols, const coldef* plstCol);
// Parses one stored CREATE TABLE statement into the module's column list.
void sqlParseSCols(const gchar* pszSchema);
// Whether the last parsed statement names this column (ASCII case ignored).
gboolean sqlIsColExist(const gchar* pszCol);
// Row callback of the schema catalogue scan; pTable is a tabledef list.
int tables_callback(void* pTable, int argc, char** argv, char** azColName);

// ---- Log database records ----

// All undeleted aircraft by upper-cased registration when iACID is
// SQL_NEW_ID, else the one aircraft (deleted or not).
gboolean sqlLoadAircraftRecord(cbAC* pcbAC, guint iACID);
gboolean sqlUpdateAircraftRecord(rcdAC* prcdAC);

// All undeleted pilots by sort key when iPilotID is SQL_NEW_ID, else one.
gboolean sqlLoadPilotRecord(cbPilot* pcbPilot, guint iPilotID);
// Clears bDirty on success.
gboolean sqlUpdatePilotRecord(rcdPilot* prcdPilot);

// All undeleted flights of aircraft iCSID by start time when iFLogID is
// all ones (low 32 bits), else the one flight (iCSID then ignored).
gboolean sqlLoadFLogRecord(cbFLog* pcbFLog, gulong iFLogID, gulong iCSID);
gboolean sqlUpdateFLogRecord(rcdFLog* prcdFLog);

// All undeleted records of one component on one aircraft, by completion
// (records of the same moment in the order they were entered).
gboolean sqlLoadMaintRecords(cbMaint* pcbMaint, guint iCompID, guint iACID);
// The same for every component of the aircraft at once, card after card.
gboolean sqlLoadMaintRecordsOfAC(cbMaint* pcbMaint, guint iACID);
// Fills the record from one row; calls no function.
gboolean sqlLoadMaintRecord(rcdMaint* prcdMaint, guint iMaintID);
gboolean sqlUpdateMaintRecord(rcdMaint* prcdMaint, guint iACID);

// All undeleted defects of one aircraft, oldest report first.
gboolean sqlLoadDefectRecords(cbDefect* pcbDefect, guint iACID);
// Fills the record from one row; calls no function.
gboolean sqlLoadDefectRecord(rcdDefect* prcdDefect, guint iDefectID);
// Clears bDirty on success.
gboolean sqlUpdateDefectRecord(rcdDefect* prcdDefect);
// Undeleted flights of the aircraft that started after tAfter.
gboolean sqlCountFlightsAfter(guint iACID, time_t tAfter, guint* pnFlights);

// ---- Catalogue database records ----

// All undeleted cards whose stored (packed) iGroupID equals iGroupID, by
// sort order, when iCompID is SQL_NEW_ID; else the one card.
gboolean sqlLoadCompCard(cbComp* pcbComp, guint iCompID, guint iGroupID);
gboolean sqlUpdateCompCard(rcdComp* prcdComp);

gboolean sqlLoadRefRecords(cbRef* pcbRef, guint iCompID);
// Every undeleted drawing reference, card after card, each card's in the
// order sqlLoadRefRecords gives them.
gboolean sqlLoadAllRefRecords(cbRef* pcbRef);
gboolean sqlLoadRefRecord(cbRef* pcbRef, guint iRefID);
// Clears bDirty on success.
gboolean sqlUpdateRefRecord(rcdRef* prcdRef);

gboolean sqlLoadTargetRecords(cbTarget* pcbTgt, guint iRefID);
gboolean sqlLoadTargetRecord(cbTarget* pcbTgt, guint iTgtID);
// Clears bDirty on success.
gboolean sqlUpdateTargetRecord(rcdTarget* prcdTgt);

gboolean sqlLoadSNoteRecords(cbSNote* pcbSNote);
gboolean sqlLoadSNoteRecord(cbSNote* pcbSNote, guint iSNoteID);
// Clears bDirty on success.
gboolean sqlUpdateSNoteRecord(rcdSNote* prcdSNote);

// ---- Counts asked before a delete ----

// Undeleted flights that name the pilot, as pilot or as student.
gboolean sqlCountPilotFlights(guint iPilotID, guint* pnFlights);
// Undeleted flights and maintenance records filed to the aircraft.
gboolean sqlCountAircraftRecords(guint iACID, guint* pnFlights, guint* pnMaint);
// Undeleted maintenance records filed to the aircraft, counted per card:
// (card ID, count) by card ID. Also finds the records of deleted cards.
gboolean sqlCountMaintByCard(guint iACID, std::vector<std::pair<guint, guint>>* plst);

// ---- Direct access for bulk work ----

// The open log database, for a backup copy made right before a bulk
// change (flight import). Null before start-up.
sqlite3* sqlLogHandle();
// The open catalogue, for its records. Null before start-up.
sqlite3* sqlCatalogueHandle();
