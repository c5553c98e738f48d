#include "sqlMLog.h"

#include "avBackup.h"
#include "avCnv.h"
#include "avPath.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <unistd.h>

namespace {

sqlite3* m_hSQL = nullptr; // the log database
sqlite3* m_hCCD = nullptr; // the catalogue database
char m_sqlError[2000] = "";
// The last failure was a load or update that found no row with its ID.
bool m_bNoSuchRow = false;
// The log's version when it is later than SQL_LOG_VERSION (then read-only).
int m_nNewerLog = 0;

tabledef m_lstTable[5];
tabledef m_lstCCD[5];
schema m_lstSCols[MAX_SCOLS];
guint m_nSCols = 0;

// ---- Declared schema ----

struct ColDecl {
    const char* pszCol;
    const char* pszType;
};
struct TableDecl {
    const char* pszTable;
    std::initializer_list<ColDecl> lstCol;
};

const TableDecl m_lstLogDecl[] = {
    {"Aircraft",
     {{"iAircraftID", "INTEGER PRIMARY KEY"},
      {"tCreate", "INTEGER"},
      {"tAlter", "INTEGER"},
      {"strReg", "TEXT"},
      {"strModel", "TEXT"},
      {"strSerial", "TEXT"},
      {"strBuilder", "TEXT"},
      {"strOwner", "TEXT"},
      {"tManu", "INTEGER"},
      {"iOptHeli", "INTEGER"},
      {"iOptEngine", "INTEGER"},
      {"iOptClutch", "INTEGER"},
      {"iOptMRDrive", "INTEGER"},
      {"iOptMRotor", "INTEGER"},
      {"iOptMRSystem", "INTEGER"},
      {"iOptTRSlider", "INTEGER"},
      {"iOptTRDrive", "INTEGER"},
      {"iOptTR", "INTEGER"},
      {"bLogSinceNew", "BOOLEAN"},
      {"tLogStart", "INTEGER"},
      {"nLogHours", "INTEGER"},
      {"bModFlags", "INTEGER"},
      {"bOptFlags", "INTEGER"},
      {"strNotes", "TEXT"},
      {"bDelete", "INTEGER"}}},
    {"Pilot",
     {{"iPilotID", "INTEGER PRIMARY KEY"},
      {"tCreateTime", "INTEGER"},
      {"tAlterTime", "INTEGER"},
      {"strLName", "TEXT"},
      {"strFName", "TEXT"},
      {"strSortKey", "TEXT"},
      {"tLastMed", "INTEGER"},
      {"tNextMed", "INTEGER"},
      {"nMedInterval", "INTEGER"},
      {"bMedAuto", "BOOLEAN"},
      {"bMedMonthEnd", "BOOLEAN"},
      {"tLastFR", "INTEGER"},
      {"tNextFR", "INTEGER"},
      {"nFRInterval", "INTEGER"},
      {"bFRAuto", "BOOLEAN"},
      {"bFRMonthEnd", "BOOLEAN"},
      {"strNotes", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
    {"Flight",
     {{"iFltID", "INTEGER PRIMARY KEY"},
      {"iCSID", "INTEGER"},
      {"iPilotID", "INTEGER"},
      {"iStudentID", "INTEGER"},
      {"tFltBegin", "INTEGER"},
      {"tFltEnd", "INTEGER"},
      {"tEngStart", "INTEGER"},
      {"tEngStop", "INTEGER"},
      {"nElapsed", "INTEGER"},
      {"nFltType", "INTEGER"},
      {"nPosnMode", "INTEGER"},
      {"nFromLat", "DOUBLE"},
      {"nFromLong", "DOUBLE"},
      {"nToLat", "DOUBLE"},
      {"nToLong", "DOUBLE"},
      {"strFrom", "TEXT"},
      {"strTo", "TEXT"},
      {"strPaxList", "TEXT"},
      {"strNotes", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
    {"Maintenance",
     {{"iMaintID", "INTEGER PRIMARY KEY"},
      {"iCompID", "INTEGER"},
      {"iACID", "INTEGER"},
      {"iType", "INTEGER"},
      {"tCompleted", "INTEGER"},
      {"bFlags", "INTEGER"},
      {"nCompHours", "INTEGER"},
      {"nCompAge", "INTEGER"},
      {"nDeferHours", "INTEGER"},
      {"nDeferDays", "INTEGER"},
      {"strNotes", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
};

const TableDecl m_lstCCDDecl[] = {
    {"Component",
     {{"iCompID", "INTEGER PRIMARY KEY"},
      {"iGroupID", "INTEGER"},
      {"strPartNmbr", "TEXT"},
      {"strPartDesc", "TEXT"},
      {"strDescNotes", "TEXT"},
      {"strPartRef", "TEXT"},
      {"nInspect", "INTEGER"},
      {"nRCO", "INTEGER"},
      {"iSNote1ID", "INTEGER"},
      {"iSNote2ID", "INTEGER"},
      {"iSNote3ID", "INTEGER"},
      {"bDelete", "BOOLEAN"},
      {"iSortOrder", "INTEGER"},
      {"bOptHeli", "INTEGER"},
      {"bOptEngine", "INTEGER"},
      {"bOptMainDrive", "INTEGER"},
      {"bOptMainRotor", "INTEGER"},
      {"bOptMRSystem", "INTEGER"},
      {"bOptClutch", "INTEGER"},
      {"bOptTRSlider", "INTEGER"},
      {"bOptTailDrive", "INTEGER"},
      {"bOptTailRotor", "INTEGER"}}},
    {"Reference",
     {{"iRefID", "INTEGER PRIMARY KEY"},
      {"iCompID", "INTEGER"},
      {"strDrawing", "TEXT"},
      {"nRotate", "INTEGER"},
      {"nTargetX", "INTEGER"},
      {"nTargetY", "INTEGER"},
      {"nTargetWidth", "INTEGER"},
      {"nTargetHeight", "INTEGER"},
      {"nTargetAngle", "INTEGER"},
      {"iTargetShape", "INTEGER"},
      {"bDelete", "BOOLEAN"}}},
    {"Target",
     {{"iTargetID", "INTEGER PRIMARY KEY"},
      {"iRefID", "INTEGER"},
      {"nX", "INTEGER"},
      {"nY", "INTEGER"},
      {"nWidth", "INTEGER"},
      {"nHeight", "INTEGER"},
      {"nLen", "INTEGER"},
      {"nAngle", "INTEGER"},
      {"iShape", "INTEGER"},
      {"nWeight", "INTEGER"},
      {"nColour", "INTEGER"},
      {"bDelete", "BOOLEAN"}}},
    {"ServiceNote",
     {{"iSNoteID", "INTEGER PRIMARY KEY"},
      {"strLabel", "TEXT"},
      {"strText", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
};

// Fills a tabledef list from its declaration with every flag cleared, so that a
// second start in the same process scans afresh.
template <std::size_t N, std::size_t M>
void fillTables(tabledef (&lstTable)[N], const TableDecl (&lstDecl)[M]) {
    static_assert(M < N, "room for the end entry");
    memset(lstTable, 0, sizeof lstTable);
    for (std::size_t i = 0; i < M; ++i) {
        lstTable[i].pszTable = lstDecl[i].pszTable;
        guint n = 0;
        for (const auto& col : lstDecl[i].lstCol) {
            if (n + 1 >= MAX_TCOLS)
                break;
            lstTable[i].lstCol[n].pszCol = col.pszCol;
            lstTable[i].lstCol[n].pszType = col.pszType;
            ++n;
        }
    }
}

// ---- Error text ----

// Two lines: "<op>():<call>(<what>)" and SQLite's message. The statement
// is shortened when it would push the message out of the buffer.
void setError(const char* pszOp, const char* pszCall, std::string_view svWhat,
              const char* pszMessage) {
    std::string strHead = std::string(pszOp) + "():" + pszCall + "(";
    std::string strTail = std::string(")\n") + (pszMessage ? pszMessage : "");
    std::size_t nlRoom = sizeof m_sqlError - 1;
    std::string strWhat(svWhat);
    if (strHead.size() + strWhat.size() + strTail.size() > nlRoom &&
        nlRoom > strHead.size() + strTail.size() + 3) {
        char szCut[sizeof m_sqlError];
        mscCopyText(szCut, nlRoom - strHead.size() - strTail.size() - 3 + 1, strWhat.c_str());
        strWhat = std::string(szCut) + "...";
    }
    mscCopyText(m_sqlError, (strHead + strWhat + strTail).c_str());
    m_bNoSuchRow = false;
}

// ---- Statements ----

// One value bound to a "?" of a statement.
struct Param {
    bool bText;
    gint64 n;
    const char* psz;
    int nl;
};
Param num(gint64 n) {
    return {false, n, nullptr, 0};
}
Param unum(guint n) {
    return {false, static_cast<gint64>(n), nullptr, 0};
}
Param flag(gboolean b) {
    return {false, b ? 1 : 0, nullptr, 0};
}
Param when(time_t t) {
    return {false, static_cast<gint64>(t), nullptr, 0};
}
using Params = std::vector<Param>;

// The statement as it ran, values in place and texts quoted, for error texts.
std::string expandSQL(const char* pszSQL, const Params& params) {
    std::string str;
    auto it = params.begin();
    for (const char* p = pszSQL; *p; ++p) {
        if (*p != '?' || it == params.end()) {
            str += *p;
            continue;
        }
        if (it->bText) {
            str += '\'';
            for (int i = 0; i < it->nl; ++i) {
                if (it->psz[i] == '\'')
                    str += '\'';
                str += it->psz[i];
            }
            str += '\'';
        } else {
            str += std::to_string(it->n);
        }
        ++it;
    }
    return str;
}

// Prepared statements are kept per connection and statement text: tree
// builds run the same load hundreds of times. A statement that is already
// running (a load started from a load's own callback) gets a fresh copy.
struct CachedStmt {
    const char* pszSQL;
    sqlite3* h;
    sqlite3_stmt* p;
    bool bBusy;
};
std::deque<CachedStmt> m_lstCache;

class StmtLease {
  public:
    StmtLease(sqlite3* h, const char* pszSQL) {
        for (auto& cached : m_lstCache) {
            if (cached.pszSQL != pszSQL || cached.h != h)
                continue;
            if (!cached.bBusy) {
                cached.bBusy = true;
                m_pCached = &cached;
                m_p = cached.p;
                return;
            }
            m_rc = sqlite3_prepare_v2(h, pszSQL, -1, &m_p, nullptr);
            return;
        }
        m_rc = sqlite3_prepare_v3(h, pszSQL, -1, SQLITE_PREPARE_PERSISTENT, &m_p, nullptr);
        if (m_rc == SQLITE_OK) {
            m_lstCache.push_back({pszSQL, h, m_p, true});
            m_pCached = &m_lstCache.back();
        }
    }
    ~StmtLease() {
        if (m_pCached) {
            sqlite3_reset(m_p);
            sqlite3_clear_bindings(m_p);
            m_pCached->bBusy = false;
        } else {
            sqlite3_finalize(m_p);
        }
    }
    StmtLease(const StmtLease&) = delete;
    StmtLease& operator=(const StmtLease&) = delete;

    sqlite3_stmt* get() const { return m_p; }
    int rc() const { return m_rc; }

  private:
    sqlite3_stmt* m_p = nullptr;
    CachedStmt* m_pCached = nullptr;
    int m_rc = SQLITE_OK;
};

void dropCache() {
    for (auto& cached : m_lstCache)
        sqlite3_finalize(cached.p);
    m_lstCache.clear();
}

// Runs one statement; each result row goes to onRow, whose non-zero result
// aborts the query. Failures set the error text under the operation's name.
template <class RowFn>
gboolean runSQL(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params,
                RowFn onRow) {
    if (!h) {
        setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), "database not open");
        return FALSE;
    }
    StmtLease stmt(h, pszSQL);
    if (stmt.rc() != SQLITE_OK) {
        setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), sqlite3_errmsg(h));
        return FALSE;
    }
    sqlite3_stmt* p = stmt.get();
    int i = 1;
    for (const auto& param : params) {
        if (param.bText)
            sqlite3_bind_text(p, i, param.psz, param.nl, SQLITE_STATIC);
        else
            sqlite3_bind_int64(p, i, param.n);
        ++i;
    }
    for (;;) {
        int rc = sqlite3_step(p);
        if (rc == SQLITE_DONE)
            return TRUE;
        if (rc != SQLITE_ROW) {
            setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), sqlite3_errmsg(h));
            return FALSE;
        }
        if (onRow(p) != 0) {
            setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params),
                     sqlite3_errstr(SQLITE_ABORT));
            return FALSE;
        }
    }
}

gboolean runExec(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params) {
    return runSQL(pszOp, h, pszSQL, params, [](sqlite3_stmt*) { return 0; });
}

// An update by ID that changed nothing names a row that is not there:
// reported, so that an edit is never taken as saved when it went nowhere.
gboolean runUpdate(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params) {
    if (!runExec(pszOp, h, pszSQL, params))
        return FALSE;
    if (sqlite3_changes(h) > 0)
        return TRUE;
    setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), "no such row");
    m_bNoSuchRow = true;
    return FALSE;
}

// Writes that belong together run inside a savepoint, which nests: an
// outer group of writes still lands as one.
gboolean beginWrite(const char* pszOp, sqlite3* h) {
    return runExec(pszOp, h, "SAVEPOINT avWrite", {});
}
// Keeps (bCommit) or undoes everything since the matching beginWrite.
// Undoing keeps the error text of the failure that caused it.
gboolean endWrite(const char* pszOp, sqlite3* h, bool bCommit) {
    if (bCommit && runExec(pszOp, h, "RELEASE avWrite", {}))
        return TRUE;
    sqlite3_exec(h, "ROLLBACK TO avWrite", nullptr, nullptr, nullptr);
    sqlite3_exec(h, "RELEASE avWrite", nullptr, nullptr, nullptr);
    return FALSE;
}

// ---- Reading a row: a NULL column leaves its field as it was ----

const char* colText(sqlite3_stmt* p, int i) {
    return reinterpret_cast<const char*>(sqlite3_column_text(p, i));
}

// Leading decimal digits as the C library reads them; not a number gives 0.
gint64 parseInt(const char* psz) {
    return strtoll(psz, nullptr, 10);
}

void readU32(sqlite3_stmt* p, int i, guint& n) {
    if (const char* psz = colText(p, i))
        n = static_cast<guint>(static_cast<guint64>(parseInt(psz)));
}
void readI32(sqlite3_stmt* p, int i, gint& n) {
    if (const char* psz = colText(p, i))
        n = static_cast<gint>(static_cast<guint32>(parseInt(psz)));
}
void readU8(sqlite3_stmt* p, int i, guint8& n) {
    if (const char* psz = colText(p, i))
        n = static_cast<guint8>(parseInt(psz));
}
void readBool(sqlite3_stmt* p, int i, gboolean& b) {
    if (const char* psz = colText(p, i))
        b = static_cast<gboolean>(parseInt(psz));
}
// Signed seconds. Builds with a 32-bit time wrote "no date" (-1) as
// 4294967295, and 64-bit ones as 18446744073709551615: both read as -1.
void readTime(sqlite3_stmt* p, int i, time_t& t) {
    if (sqlite3_column_type(p, i) == SQLITE_FLOAT) {
        // An unsigned 64-bit -1 does not fit SQLite's integers and is kept
        // as a real number.
        double d = sqlite3_column_double(p, i);
        t = (d >= -9.2e18 && d < 9.2e18) ? static_cast<time_t>(d) : -1;
        return;
    }
    const char* psz = colText(p, i);
    if (!psz)
        return;
    errno = 0;
    gint64 n = strtoll(psz, nullptr, 10);
    if (n == 4294967295LL || (errno == ERANGE && n > 0))
        n = -1;
    t = static_cast<time_t>(n);
}
// Text from files written elsewhere (another program, an older build in a
// legacy code page) may not be UTF-8; GTK refuses such text, so invalid
// bytes are shown as replacement characters.
void readText(sqlite3_stmt* p, int i, char* sz, std::size_t nl) {
    const char* psz = colText(p, i);
    if (!psz)
        return;
    if (g_utf8_validate(psz, -1, nullptr)) {
        mscCopyText(sz, nl, psz);
        return;
    }
    gchar* pszValid = g_utf8_make_valid(psz, -1);
    mscCopyText(sz, nl, pszValid);
    g_free(pszValid);
}

bool isAllOnes(guint64 n) {
    return (n & 0xFFFFFFFFu) == 0xFFFFFFFFu;
}

// The ID SQLite gave the row just inserted; row IDs live in 32 bits.
guint lastRowID(sqlite3* h) {
    return static_cast<guint>(sqlite3_last_insert_rowid(h));
}

// ---- Statements of the log database ----

#define AC_COLS                                                                                    \
    "SELECT iAircraftID, strReg, strModel, strSerial, tManu, strBuilder, strOwner, bLogSinceNew, " \
    "tLogStart, nLogHours, iOptHeli, iOptEngine, iOptClutch, iOptMRDrive, iOptMRotor, "            \
    "iOptMRSystem, iOptTRSlider, iOptTRDrive, iOptTR, strNotes, bDelete "
const char m_szACAll[] =
    AC_COLS "FROM Aircraft WHERE bDelete = 0 OR bDelete IS NULL ORDER BY UPPER(strReg)";
const char m_szACOne[] = AC_COLS "FROM Aircraft WHERE iAircraftID = ?";
const char m_szACInsert[] =
    "INSERT INTO Aircraft (strReg, strModel, strSerial, tManu, strBuilder, strOwner, "
    "bLogSinceNew, tLogStart, nLogHours, iOptHeli, iOptEngine, iOptClutch, iOptMRDrive, "
    "iOptMRotor, iOptMRSystem, iOptTRSlider, iOptTRDrive, iOptTR, strNotes, bDelete)VALUES "
    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
const char m_szACUpdate[] =
    "UPDATE Aircraft SET strReg=?,strModel=?,strSerial=?,tManu=?,strBuilder=?,strOwner=?,"
    "bLogSinceNew=?,tLogStart=?,nLogHours=?,iOptHeli=?, iOptEngine=?, iOptClutch=?, "
    "iOptMRDrive=?, iOptMRotor=?, iOptMRSystem=?, iOptTRSlider=?, iOptTRDrive=?, iOptTR=?, "
    "bDelete=?,strNotes=? WHERE iAircraftID=?";

#define PILOT_COLS                                                                                 \
    "SELECT iPilotID, strLName, strFName, strSortKey, tLastMed, tNextMed, nMedInterval, "          \
    "bMedAuto, bMedMonthEnd, tLastFR, tNextFR, nFRInterval, bFRAuto, bFRMonthEnd, bDelete, "       \
    "strNotes "
const char m_szPilotAll[] =
    PILOT_COLS "FROM Pilot WHERE bDelete = 0 OR bDelete IS NULL ORDER BY strSortKey";
const char m_szPilotOne[] = PILOT_COLS "FROM Pilot WHERE iPilotID = ?";
const char m_szPilotInsert[] =
    "INSERT INTO Pilot (strFName,strLName,strSortKey,tLastMed,tNextMed,nMedInterval,"
    "bMedMonthEnd,bMedAuto,tLastFR,tNextFR,nFRInterval,bFRMonthEnd,bFRAuto,bDelete,strNotes) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
const char m_szPilotUpdate[] =
    "UPDATE Pilot SET strFName=?,strLName=?,strSortKey=?,tLastMed=?,tNextMed=?,nMedInterval=?,"
    "bMedMonthEnd=?,bMedAuto=?,tLastFR=?,tNextFR=?,nFRInterval=?,bFRMonthEnd=?,bFRAuto=?,"
    "bDelete=?,strNotes=? WHERE iPilotID=?";

#define FLIGHT_COLS                                                                                \
    "SELECT iFltID, iCSID, iPilotID, iStudentID, nFltType, tFltBegin, tFltEnd, nElapsed, "         \
    "tEngStart, tEngStop, nFromLat, nFromLong, nToLat, nToLong, strFrom, strTo, strPaxList, "      \
    "strNotes, bDelete "
const char m_szFlightAll[] = FLIGHT_COLS "FROM Flight WHERE (bDelete IS NULL OR bDelete = 0) AND "
                                         "iCSID = ? ORDER BY tFltBegin";
const char m_szFlightOne[] = FLIGHT_COLS "FROM Flight WHERE iFltID = ?";
const char m_szFlightInsert[] =
    "INSERT INTO Flight (iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, nElapsed, nFltType, "
    "strFrom, strTo, strPaxList, strNotes, bDelete)VALUES (?,?,?,?,?,?,?,?,?,?,?, ?)";
const char m_szFlightUpdate[] =
    "UPDATE Flight SET iCSID=?, iPilotID=?, iStudentID=?, tFltBegin=?, tFltEnd=?, nElapsed=?, "
    "nFltType=?, strFrom=?, strTo=?, strPaxList=?, strNotes=?, bDelete=? WHERE iFltID=?";

#define MAINT_COLS                                                                                 \
    "SELECT iMaintID, iCompID, iType, bFlags, tCompleted, nCompHours, nCompAge, nDeferHours, "     \
    "nDeferDays, bDelete, strNotes "
const char m_szMaintAll[] = MAINT_COLS "FROM Maintenance WHERE (bDelete = 0 OR bDelete IS NULL) "
                                       "AND iCompID=? AND iACID=? ORDER BY tCompleted";
const char m_szMaintOne[] = MAINT_COLS "FROM Maintenance WHERE iMaintID = ?";
const char m_szMaintInsert[] =
    "INSERT INTO Maintenance (iCompID,iACID,iType,bFlags,tCompleted,nCompHours,nCompAge, "
    "nDeferHours, nDeferDays,bDelete,strNotes)VALUES (?,?,?,?,?,?,?,?,?,?,?)";
const char m_szMaintUpdate[] =
    "UPDATE Maintenance SET iCompID=?,iACID=?,iType=?,bFlags=?,tCompleted=?,nCompHours=?,"
    "nCompAge=?,nDeferHours=?,nDeferDays=?,bDelete=?,strNotes=? WHERE iMaintID=?";

// ---- Statements of the catalogue ----

#define COMP_COLS                                                                                  \
    "SELECT iCompID, iGroupID, iSortOrder, strPartNmbr, strPartDesc, strDescNotes, strPartRef, "   \
    "nInspect, nRCO, iSNote1ID, iSNote2ID, iSNote3ID, bOptHeli, bOptEngine, bOptMainDrive, "       \
    "bOptMainRotor, bOptMRSystem, bOptClutch, bOptTRSlider, bOptTailDrive, bOptTailRotor, "        \
    "bDelete "
const char m_szCompAll[] = COMP_COLS "FROM Component WHERE (bDelete = 0 OR bDelete IS NULL) AND "
                                     "iGroupID = ? ORDER BY iSortOrder";
const char m_szCompOne[] = COMP_COLS "FROM Component WHERE iCompID = ?";
const char m_szCompInsert[] = "INSERT INTO Component (iGroupID)VALUES (?)";
const char m_szCompUpdate[] =
    "UPDATE Component SET iGroupID=?, strPartNmbr=?,strPartDesc=?,strDescNotes=?,strPartRef=?,"
    "nInspect=?, nRCO=?, iSNote1ID=?,iSNote2ID=?,iSNote3ID=?,bDelete=?,iSortOrder=?, "
    "bOptHeli=?, bOptEngine=?, bOptMainDrive=?, bOptMainRotor=?, bOptMRSystem=?, "
    "bOptClutch=?,bOptTRSlider=?, bOptTailDrive=?, bOptTailRotor=? WHERE iCompID=?";

#define REF_COLS "SELECT iRefID, iCompID, strDrawing, nRotate, bDelete "
const char m_szRefAll[] =
    REF_COLS "FROM Reference WHERE (bDelete = 0 OR bDelete IS NULL) AND iCompID = ? ";
const char m_szRefOne[] = REF_COLS "FROM Reference WHERE iRefID = ? ";
const char m_szRefInsert[] = "INSERT INTO Reference (iCompID)VALUES (?)";
const char m_szRefUpdate[] =
    "UPDATE Reference SET iCompID=?, strDrawing=?, nRotate=?, bDelete=? WHERE iRefID=?";

#define TGT_COLS                                                                                   \
    "SELECT iTargetID, iRefID, nX, nY, nWidth, nHeight, nLen, nAngle, iShape, nWeight, nColour, "  \
    "bDelete "
const char m_szTgtAll[] =
    TGT_COLS "FROM Target WHERE (bDelete = 0 OR bDelete IS NULL) AND iRefID = ? ";
const char m_szTgtOne[] = TGT_COLS "FROM Target WHERE iTargetID = ? ";
const char m_szTgtInsert[] = "INSERT INTO Target (iRefID)VALUES (?)";
const char m_szTgtUpdate[] =
    "UPDATE Target SET iRefID=?, nX=?, nY=?, nWidth=?, nHeight=?, nLen=?, nAngle=?, iShape=?, "
    "nWeight=?, nColour=?, bDelete=? WHERE iTargetID=?";

#define SNOTE_COLS "SELECT iSNoteID, strLabel, strText, bDelete "
const char m_szSNoteAll[] = SNOTE_COLS "FROM ServiceNote WHERE (bDelete = 0 OR bDelete IS NULL)";
const char m_szSNoteOne[] = SNOTE_COLS "FROM ServiceNote WHERE iSNoteID = ? ";
const char m_szSNoteInsert[] = "INSERT INTO ServiceNote (bDelete) VALUES (?)";
const char m_szSNoteUpdate[] =
    "UPDATE ServiceNote SET iSNoteID=?, strLabel=?, strText=?, bDelete=? WHERE iSNoteID=?";

// ---- Record layouts: which field each column of a statement belongs to ----

// How a field is read from and written to its column.
enum class Kind {
    U32,   // unsigned, low 32 bits of the stored number
    I32,   // signed, low 32 bits
    U8,    // low 8 bits
    Bool,  // written as 0 or 1
    Time,  // signed seconds
    Text,  // fixed field, cut on a character boundary
    Real,  // may be stored as a real number: the fraction is dropped
    Group, // iGroupID with the group level in bit 31
    Arg,   // written only: the operation's extra argument
    Skip,  // selected but not kept
};
struct Field {
    Kind k;
    std::size_t off;
    std::size_t nl; // bytes of a text field
};
#define FIELD(kind, rec, member)                                                                   \
    Field {                                                                                        \
        Kind::kind, offsetof(rec, member), sizeof(rec::member)                                     \
    }
constexpr Field SKIP{Kind::Skip, 0, 0};
constexpr Field ARG{Kind::Arg, 0, 0};

// The level is kept next to the group ID; a Group field names both.
static_assert(offsetof(rcdComp, iGroupLevel) == offsetof(rcdComp, iGroupID) + sizeof(guint));

void readField(sqlite3_stmt* p, int i, char* pField, const Field& f) {
    switch (f.k) {
    case Kind::U32:
        readU32(p, i, *reinterpret_cast<guint*>(pField));
        break;
    case Kind::I32:
        readI32(p, i, *reinterpret_cast<gint*>(pField));
        break;
    case Kind::U8:
        readU8(p, i, *reinterpret_cast<guint8*>(pField));
        break;
    case Kind::Bool:
        readBool(p, i, *reinterpret_cast<gboolean*>(pField));
        break;
    case Kind::Time:
        readTime(p, i, *reinterpret_cast<time_t*>(pField));
        break;
    case Kind::Text:
        readText(p, i, pField, f.nl);
        break;
    case Kind::Real:
        if (const char* psz = colText(p, i))
            *reinterpret_cast<guint*>(pField) =
                static_cast<guint>(static_cast<guint64>(static_cast<gint64>(strtod(psz, nullptr))));
        break;
    case Kind::Group:
        if (colText(p, i)) {
            guint nGroup = 0;
            readU32(p, i, nGroup);
            reinterpret_cast<guint*>(pField)[0] = nGroup & 0x7FFFFFFFu;
            reinterpret_cast<guint*>(pField)[1] = (nGroup & 0x80000000u) ? 1 : 0;
        }
        break;
    case Kind::Arg:
    case Kind::Skip:
        break;
    }
}

// Reads one result row, column i into the i-th field of the list.
void readRow(sqlite3_stmt* p, void* pRec, std::span<const Field> lstFields) {
    int i = 0;
    for (const Field& f : lstFields)
        readField(p, i++, static_cast<char*>(pRec) + f.off, f);
}

// The values of a record's fields in the order of the list.
Params paramsOf(const void* pRec, std::span<const Field> lstFields, guint nArg = 0) {
    Params params;
    for (const Field& f : lstFields) {
        const char* pField = static_cast<const char*>(pRec) + f.off;
        auto as = [pField](auto v) { return *reinterpret_cast<const decltype(v)*>(pField); };
        switch (f.k) {
        case Kind::U32:
        case Kind::Real:
            params.push_back(unum(as(guint{})));
            break;
        case Kind::I32:
            params.push_back(num(as(gint{})));
            break;
        case Kind::U8:
            params.push_back(unum(as(guint8{})));
            break;
        case Kind::Bool:
            params.push_back(flag(as(gboolean{})));
            break;
        case Kind::Time:
            params.push_back(when(as(time_t{})));
            break;
        case Kind::Text:
            // Never read beyond the field, even without a terminator.
            params.push_back({true, 0, pField, static_cast<int>(strnlen(pField, f.nl))});
            break;
        case Kind::Group: {
            const guint* pn = reinterpret_cast<const guint*>(pField);
            params.push_back(unum(pn[0] | (pn[1] ? 0x80000000u : 0u)));
            break;
        }
        case Kind::Arg:
            params.push_back(unum(nArg));
            break;
        case Kind::Skip:
            break;
        }
    }
    return params;
}

// Select order (the first field is the row ID), then the values an insert
// or update writes, in the statement's order; the update adds the row ID.
#define F(kind, member) FIELD(kind, rcdAC, member)
const Field m_lstACRead[] = {
    F(U32, iACID),        F(Text, szReg),        F(Text, szModel),      F(Text, szSerial),
    F(Time, tManu),       F(Text, szBuilder),    F(Text, szOwner),      F(Bool, bLogSinceNew),
    F(Time, tLogStart),   F(U32, nLogHours),     F(I32, iHeliOpt),      F(I32, iEngineOpt),
    F(I32, iClutchOpt),   F(I32, iMainDriveOpt), F(I32, iMainRotorOpt), F(I32, iMRSystemOpt),
    F(I32, iTRSliderOpt), F(I32, iTailDriveOpt), F(I32, iTailRotorOpt), F(Text, szNotes)};
// The insert ends in strNotes, bDelete; the update names them the other way round.
const Field m_lstACWrite[] = {
    F(Text, szReg),        F(Text, szModel),      F(Text, szSerial),     F(Time, tManu),
    F(Text, szBuilder),    F(Text, szOwner),      F(Bool, bLogSinceNew), F(Time, tLogStart),
    F(U32, nLogHours),     F(I32, iHeliOpt),      F(I32, iEngineOpt),    F(I32, iClutchOpt),
    F(I32, iMainDriveOpt), F(I32, iMainRotorOpt), F(I32, iMRSystemOpt),  F(I32, iTRSliderOpt),
    F(I32, iTailDriveOpt), F(I32, iTailRotorOpt), F(Text, szNotes),      F(Bool, bDelete)};
#undef F
#define F(kind, member) FIELD(kind, rcdPilot, member)
const Field m_lstPilotRead[] = {
    F(U32, iPilotID),      F(Text, szLName),     F(Text, szFName), F(Text, szSortKey),
    F(Time, tLastMed),     F(Time, tNextMed),    F(U32, nMedIntv), F(Bool, bMedAuto),
    F(Bool, bMedMonthEnd), F(Time, tLastFR),     F(Time, tNextFR), F(U32, nFRIntv),
    F(Bool, bFRAuto),      F(Bool, bFRMonthEnd), F(Bool, bDelete), F(Text, szNotes)};
const Field m_lstPilotWrite[] = {F(Text, szFName),      F(Text, szLName),  F(Text, szSortKey),
                                 F(Time, tLastMed),     F(Time, tNextMed), F(U32, nMedIntv),
                                 F(Bool, bMedMonthEnd), F(Bool, bMedAuto), F(Time, tLastFR),
                                 F(Time, tNextFR),      F(U32, nFRIntv),   F(Bool, bFRMonthEnd),
                                 F(Bool, bFRAuto),      F(Bool, bDelete),  F(Text, szNotes)};
#undef F
#define F(kind, member) FIELD(kind, rcdFLog, member)
// Engine times and positions are selected but not kept.
const Field m_lstFlightRead[] = {F(U32, iFLogID),
                                 F(U32, iCSID),
                                 F(U32, iPilotID),
                                 F(U32, iStudentID),
                                 F(U32, nType),
                                 F(Time, tFltBegin),
                                 F(Time, tFltEnd),
                                 F(U32, nElapsed),
                                 SKIP,
                                 SKIP,
                                 SKIP,
                                 SKIP,
                                 SKIP,
                                 SKIP,
                                 F(Text, szFrom),
                                 F(Text, szTo),
                                 F(Text, szPaxList),
                                 F(Text, szNotes),
                                 F(Bool, bDelete)};
const Field m_lstFlightWrite[] = {F(U32, iCSID),      F(U32, iPilotID), F(U32, iStudentID),
                                  F(Time, tFltBegin), F(Time, tFltEnd), F(U32, nElapsed),
                                  F(U32, nType),      F(Text, szFrom),  F(Text, szTo),
                                  F(Text, szPaxList), F(Text, szNotes), F(Bool, bDelete)};
#undef F
#define F(kind, member) FIELD(kind, rcdMaint, member)
const Field m_lstMaintRead[] = {F(U32, iMaintID), F(U32, iCompID),     F(U32, iType),
                                F(U8, bFlags),    F(Time, tComplete),  F(U32, nCompHours),
                                F(U32, nCompAge), F(U32, nDeferHours), F(U32, nDeferDays),
                                F(Bool, bDelete), F(Text, szNotes)};
// The aircraft is the operation's argument, not a field.
const Field m_lstMaintWrite[] = {F(U32, iCompID),    ARG,
                                 F(U32, iType),      F(U8, bFlags),
                                 F(Time, tComplete), F(U32, nCompHours),
                                 F(U32, nCompAge),   F(U32, nDeferHours),
                                 F(U32, nDeferDays), F(Bool, bDelete),
                                 F(Text, szNotes)};
#undef F
#define F(kind, member) FIELD(kind, rcdComp, member)
const Field m_lstCompRead[] = {
    F(U32, iCompID),       F(Group, iGroupID),   F(U32, iSortOrder),    F(Text, szPartNmbr),
    F(Text, szPartDesc),   F(Text, szDescNotes), F(Text, szPartRef),    F(U32, nInspIntv),
    F(U32, nRCOIntv),      F(U32, iSNote1ID),    F(U32, iSNote2ID),     F(U32, iSNote3ID),
    F(U32, bOptHeli),      F(U32, bOptEng),      F(U32, bOptMainDrive), F(U32, bOptMainRotor),
    F(U32, bOptMRSystem),  F(U32, bOptClutch),   F(U32, bOptTRSlider),  F(U32, bOptTailDrive),
    F(U32, bOptTailRotor), F(Bool, bDelete)};
const Field m_lstCompWrite[] = {
    F(Group, iGroupID),   F(Text, szPartNmbr), F(Text, szPartDesc),   F(Text, szDescNotes),
    F(Text, szPartRef),   F(U32, nInspIntv),   F(U32, nRCOIntv),      F(U32, iSNote1ID),
    F(U32, iSNote2ID),    F(U32, iSNote3ID),   F(Bool, bDelete),      F(U32, iSortOrder),
    F(U32, bOptHeli),     F(U32, bOptEng),     F(U32, bOptMainDrive), F(U32, bOptMainRotor),
    F(U32, bOptMRSystem), F(U32, bOptClutch),  F(U32, bOptTRSlider),  F(U32, bOptTailDrive),
    F(U32, bOptTailRotor)};
#undef F
#define F(kind, member) FIELD(kind, rcdRef, member)
// Some editors store the card as a real number.
const Field m_lstRefRead[] = {F(U32, iRefID), F(Real, iCompID), F(Text, szDrawing), F(U32, nRotate),
                              F(Bool, bDelete)};
const Field m_lstRefWrite[] = {F(U32, iCompID), F(Text, szDrawing), F(U32, nRotate),
                               F(Bool, bDelete)};
#undef F
#define F(kind, member) FIELD(kind, rcdTarget, member)
const Field m_lstTgtRead[] = {F(U32, iTargetID), F(U32, iRefID),  F(U32, nX),
                              F(U32, nY),        F(U32, nWidth),  F(U32, nHeight),
                              F(U32, nLen),      F(U32, nAngle),  F(U32, iShape),
                              F(U32, nWeight),   F(U32, nColour), F(Bool, bDelete)};
const std::span<const Field> m_lstTgtWrite = std::span(m_lstTgtRead).subspan(1);
#undef F
#define F(kind, member) FIELD(kind, rcdSNote, member)
// The update also sets the row ID to itself.
const Field m_lstSNoteRead[] = {F(U32, iSNoteID), F(Text, szLabel), F(Text, szText),
                                F(Bool, bDelete)};
#undef F
#undef FIELD

// Opens one database file, local data directory first.
sqlite3* openDatabase(const char* pszName) {
    sqlite3* h = nullptr;
    for (const auto& path : pathCandidates(pszName)) {
        if (h) {
            sqlite3_close(h);
            h = nullptr;
        }
        if (sqlite3_open(path.c_str(), &h) == SQLITE_OK) {
            // A second copy of the program may hold the file for a moment.
            sqlite3_busy_timeout(h, 2000);
            return h;
        }
    }
    char szWhat[100];
    g_snprintf(szWhat, sizeof szWhat, "\"%s\"", pszName);
    setError("sqlInitialize", "sqlite3_open", szWhat, h ? sqlite3_errmsg(h) : "out of memory");
    sqlite3_close(h);
    return nullptr;
}

gboolean scanSchema(sqlite3* h, tabledef* plstTable) {
    char* pszMessage = nullptr;
    int rc =
        sqlite3_exec(h, "select * from sqlite_master", tables_callback, plstTable, &pszMessage);
    if (rc != SQLITE_OK) {
        setError("sqlInitialize", "sqlite3_exec", "\"tables\"",
                 pszMessage ? pszMessage : sqlite3_errmsg(h));
        sqlite3_free(pszMessage);
        return FALSE;
    }
    return TRUE;
}

// SQLite's own check of the file's structure, before anything writes to
// it: a damaged file is reported with the way back (its newest copy) and
// left exactly as it is.
gboolean checkDatabase(sqlite3* h, const char* pszName) {
    std::string strProblem;
    sqlite3_stmt* p = nullptr;
    if (sqlite3_prepare_v2(h, "PRAGMA quick_check(1)", -1, &p, nullptr) != SQLITE_OK)
        strProblem = sqlite3_errmsg(h);
    else if (sqlite3_step(p) != SQLITE_ROW)
        strProblem = sqlite3_errmsg(h);
    else if (const char* psz = colText(p, 0); psz && strcmp(psz, "ok") != 0)
        strProblem = psz;
    sqlite3_finalize(p);
    if (strProblem.empty())
        return TRUE;
    // The first problem only; the check's heading line says nothing.
    if (strProblem.rfind("*** ", 0) == 0 && strProblem.find('\n') != std::string::npos)
        strProblem.erase(0, strProblem.find('\n') + 1);
    strProblem = strProblem.substr(0, std::min(strProblem.find('\n'), std::size_t(200)));

    const char* pszPath = sqlite3_db_filename(h, "main");
    const std::string strName = std::string(pszName).substr(0, strlen(pszName) - 3);
    const std::string strNewest = bkpNewest(pszPath, strName.c_str());
    std::string strWhat = strProblem + "\nThe file is damaged; it was left as it is. Quit, keep a "
                                       "copy of it, and put its newest backup in its place:\n";
    strWhat += strNewest.empty() ? "(there is no backup of it)" : strNewest;
    setError("sqlInitialize", "PRAGMA quick_check", std::string("\"") + pszPath + "\"",
             strWhat.c_str());
    return FALSE;
}

// The folder the log lives in must take new files (the log itself when it
// is new, and beside it the write-ahead log and the backups): said in plain
// words before SQLite fails at its first write with "readonly database".
gboolean checkDataFolder() {
    for (const auto& path : pathCandidates("")) {
        if (!g_file_test(path.c_str(), G_FILE_TEST_IS_DIR))
            continue;
        if (access(path.c_str(), W_OK | X_OK) == 0)
            return TRUE;
        gchar* pszFolder = g_canonicalize_filename(path.c_str(), nullptr);
        std::string strFolder = pszFolder;
        g_free(pszFolder);
        std::string strWhat = "avLedger cannot write to its data folder " + strFolder +
                              ", so it cannot keep your log there.\nMake that folder writable "
                              "for your user (or start avLedger on a folder you can write), "
                              "then start again.";
        setError("sqlInitialize", "access", "\"" + strFolder + "\"", strWhat.c_str());
        return FALSE;
    }
    return TRUE; // no folder at all: the open says so
}

int userVersion(sqlite3* h) {
    sqlite3_stmt* p = nullptr;
    int nVersion = 0;
    if (sqlite3_prepare_v2(h, "PRAGMA user_version", -1, &p, nullptr) == SQLITE_OK &&
        sqlite3_step(p) == SQLITE_ROW)
        nVersion = sqlite3_column_int(p, 0);
    sqlite3_finalize(p);
    return nVersion;
}

// A log of a later version is shown, never written: opened again read-only.
gboolean reopenReadOnly(sqlite3** ph) {
    std::string strPath = sqlite3_db_filename(*ph, "main");
    sqlite3_close_v2(*ph);
    *ph = nullptr;
    if (sqlite3_open_v2(strPath.c_str(), ph, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        return TRUE;
    setError("sqlInitialize", "sqlite3_open_v2", "\"" + strPath + "\"",
             *ph ? sqlite3_errmsg(*ph) : "out of memory");
    return FALSE;
}

// Whether a write to the file can succeed: a table made and rolled back
// whole, so that a read-only file or folder is found before an edit is
// lost. A savepoint released after its undo would still commit and change
// the file's bytes; a rollback leaves the file exactly as it was.
bool canWrite(sqlite3* h, std::string& strWhy) {
    if (sqlite3_db_readonly(h, "main") == 1) {
        strWhy = "the file is read-only";
        return false;
    }
    char* pszMessage = nullptr;
    int rc = sqlite3_exec(h, "BEGIN; CREATE TABLE avWriteProbe (x)", nullptr, nullptr, &pszMessage);
    if (rc != SQLITE_OK)
        strWhy = pszMessage ? pszMessage : sqlite3_errmsg(h);
    sqlite3_free(pszMessage);
    if (!sqlite3_get_autocommit(h))
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    return rc == SQLITE_OK;
}

// The log: write-ahead log with a sync at every commit, so that a save that
// returned is on disk even after a power cut, at about a quarter of the
// cost of the rollback journal's syncs. Set only on a file that passed its
// check (the mode is stored in the file); a file that cannot be written
// keeps its own. The catalogue, edited rarely and copied as shipped data,
// stays one self-contained file with the rollback journal.
void setJournal(sqlite3* h) {
    sqlite3_exec(h, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(h, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
}

void closeDatabases() {
    dropCache();
    sqlite3_close_v2(m_hSQL);
    sqlite3_close_v2(m_hCCD);
    m_hSQL = nullptr;
    m_hCCD = nullptr;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A stored name may be quoted ("name", [name], `name`); compare it bare.
std::string_view bareName(std::string_view sv) {
    if (sv.size() >= 2) {
        char cOpen = sv.front(), cClose = sv.back();
        if ((cOpen == '"' && cClose == '"') || (cOpen == '[' && cClose == ']') ||
            (cOpen == '`' && cClose == '`') || (cOpen == '\'' && cClose == '\''))
            return sv.substr(1, sv.size() - 2);
    }
    return sv;
}

} // namespace

// ---- Database files and schema ----

gboolean sqlInitialize() {
    closeDatabases();
    fillTables(m_lstTable, m_lstLogDecl);
    fillTables(m_lstCCD, m_lstCCDDecl);

    if (!checkDataFolder())
        return FALSE;
    m_hSQL = openDatabase("avLedger.db");
    if (!m_hSQL)
        return FALSE;
    if (!scanSchema(m_hSQL, m_lstTable) || !checkDatabase(m_hSQL, "avLedger.db"))
        return FALSE;
    const int nVersion = userVersion(m_hSQL);
    m_nNewerLog = nVersion > SQL_LOG_VERSION ? nVersion : 0;
    if (m_nNewerLog) {
        if (!reopenReadOnly(&m_hSQL))
            return FALSE;
    } else {
        setJournal(m_hSQL);
        if (!sqlBuildTables(m_hSQL, m_lstTable))
            return FALSE;
        // A file that cannot take it is said by sqlCheckWritable.
        if (nVersion < SQL_LOG_VERSION) {
            char szVersion[40];
            g_snprintf(szVersion, sizeof szVersion, "PRAGMA user_version = %d", SQL_LOG_VERSION);
            sqlite3_exec(m_hSQL, szVersion, nullptr, nullptr, nullptr);
        }
        // Every tree build asks for the records of each component in turn;
        // without an index each question scans the whole history. Only speed
        // depends on it, so a file that refuses it is used as it is.
        sqlite3_exec(m_hSQL,
                     "CREATE INDEX IF NOT EXISTS ixMaintenanceComp ON Maintenance (iCompID, iACID)",
                     nullptr, nullptr, nullptr);
    }

    m_hCCD = openDatabase("avCCD.db");
    if (!m_hCCD)
        return FALSE;
    if (!scanSchema(m_hCCD, m_lstCCD) || !checkDatabase(m_hCCD, "avCCD.db"))
        return FALSE;
    return sqlBuildTables(m_hCCD, m_lstCCD);
}

void sqlBackUp() {
    bkpBackUp(m_hSQL, "avLedger");
    bkpBackUp(m_hCCD, "avCCD");
}

gboolean sqlCheckWritable() {
    std::string strText;
    for (sqlite3* h : {m_hSQL, m_hCCD}) {
        std::string strWhy;
        if (!h)
            continue;
        if (h == m_hSQL && m_nNewerLog) {
            char szWhy[300];
            g_snprintf(szWhy, sizeof szWhy,
                       "it was written by a newer avLedger (log version %d; this one knows "
                       "version %d).\nIt is shown as it is and nothing is saved to it: use the "
                       "newer avLedger to change it.",
                       m_nNewerLog, SQL_LOG_VERSION);
            strWhy = szWhy;
        } else if (canWrite(h, strWhy)) {
            continue;
        } else {
            strWhy += "\nChanges to this file cannot be saved. Quit, make the file and its "
                      "folder writable, and start again.";
        }
        strText += std::string(strText.empty() ? "" : "\n") + sqlite3_db_filename(h, "main") +
                   ": " + strWhy;
    }
    if (strText.empty())
        return TRUE;
    setError("sqlCheckWritable", "sqlite3_exec", "CREATE TABLE", strText.c_str());
    return FALSE;
}

const char* sqlLastError() {
    return m_sqlError;
}

gboolean sqlIsNoSuchRow() {
    return m_bNoSuchRow;
}

gboolean sqlBeginWrite(gboolean bCatalogue) {
    return beginWrite("sqlBeginWrite", bCatalogue ? m_hCCD : m_hSQL);
}

gboolean sqlEndWrite(gboolean bCatalogue, gboolean bCommit) {
    return endWrite("sqlEndWrite", bCatalogue ? m_hCCD : m_hSQL, bCommit);
}

void sqlClose() {
    closeDatabases();
}

int tables_callback(void* pTable, int argc, char** argv, char**) {
    if (argc < 5 || !argv[1])
        return 0;
    for (tabledef* pTab = static_cast<tabledef*>(pTable); pTab->pszTable; ++pTab) {
        if (g_ascii_strcasecmp(pTab->pszTable, argv[1]) != 0)
            continue;
        pTab->bTable = TRUE;
        sqlParseSCols(argv[4] ? argv[4] : "");
        for (coldef* pCol = pTab->lstCol; pCol->pszCol; ++pCol) {
            if (sqlIsColExist(pCol->pszCol))
                pCol->bCol = TRUE;
        }
    }
    return 0;
}

// Walks the stored statement one character at a time. Any white space
// separates (statements typed over several lines are common); the type
// runs to the next "," or ")" outside parentheses, so "INTEGER PRIMARY KEY"
// and "NUMERIC(10,2)" stay whole. A column without a type ends at "," or ")".
void sqlParseSCols(const gchar* pszSchema) {
    memset(m_lstSCols, 0, sizeof m_lstSCols);
    m_nSCols = 0;
    if (!pszSchema)
        return;
    _schstate nState = SCH_OPEN;
    guint nlCol = 0, nlType = 0, nDepth = 0;
    auto endColumn = [&] {
        ++m_nSCols;
        nState = SCH_COLWS;
        return m_nSCols < MAX_SCOLS;
    };
    for (const gchar* p = pszSchema; *p; ++p) {
        const char c = *p;
        schema& cur = m_lstSCols[m_nSCols];
        switch (nState) {
        case SCH_OPEN:
            if (c == '(')
                nState = SCH_COLWS;
            break;
        case SCH_COLWS:
            if (isBlank(c))
                break;
            nState = SCH_COL;
            nlCol = nlType = nDepth = 0;
            [[fallthrough]];
        case SCH_COL:
            if (c == ',' || c == ')') {
                if (!endColumn())
                    return;
            } else if (isBlank(c)) {
                nState = SCH_TYPEWS;
            } else if (nlCol + 1 < sizeof cur.szCol) {
                cur.szCol[nlCol++] = c;
            }
            break;
        case SCH_TYPEWS:
            if (isBlank(c))
                break;
            nState = SCH_TYPE;
            [[fallthrough]];
        case SCH_TYPE:
            if (nDepth == 0 && (c == ',' || c == ')')) {
                if (!endColumn())
                    return;
                break;
            }
            if (c == '(')
                ++nDepth;
            else if (c == ')')
                --nDepth;
            if (nlType + 1 < sizeof cur.szType)
                cur.szType[nlType++] = c;
            break;
        }
    }
}

gboolean sqlIsColExist(const gchar* pszCol) {
    if (!pszCol)
        return FALSE;
    std::string_view svWanted(pszCol);
    for (guint i = 0; i < m_nSCols; ++i) {
        std::string_view svName = bareName(m_lstSCols[i].szCol);
        if (svName.size() == svWanted.size() &&
            g_ascii_strncasecmp(svName.data(), svWanted.data(), svName.size()) == 0)
            return TRUE;
    }
    return FALSE;
}

void sqlBuildCols(gchar* pszCols, guint nlCols, const coldef* plstCol) {
    if (!pszCols || nlCols == 0)
        return;
    std::string str;
    for (guint i = 0; i < MAX_TCOLS && plstCol[i].pszCol; ++i) {
        if (i)
            str += ", ";
        str += plstCol[i].pszCol;
        str += ' ';
        str += plstCol[i].pszType;
    }
    mscCopyText(pszCols, nlCols, str.c_str());
}

namespace {
gboolean buildTables(sqlite3* hSQL, tabledef* plstTable);
}

gboolean sqlBuildTables(sqlite3* hSQL, tabledef* plstTable) {
    // One transaction for the whole upgrade: a fresh database is created in
    // one write, and an upgrade that fails half-way leaves the file exactly
    // as it was instead of half-upgraded.
    if (sqlite3_exec(hSQL, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        setError("sqlBuildTables", "sqlite3_exec", "BEGIN", sqlite3_errmsg(hSQL));
        return FALSE;
    }
    gboolean bOK = buildTables(hSQL, plstTable);
    if (bOK && sqlite3_exec(hSQL, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        setError("sqlBuildTables", "sqlite3_exec", "COMMIT", sqlite3_errmsg(hSQL));
        bOK = FALSE;
    }
    if (!bOK)
        sqlite3_exec(hSQL, "ROLLBACK", nullptr, nullptr, nullptr);
    return bOK;
}

namespace {
gboolean buildTables(sqlite3* hSQL, tabledef* plstTable) {
    for (guint iTable = 0; iTable < 100 && plstTable[iTable].pszTable; ++iTable) {
        tabledef& tab = plstTable[iTable];
        auto run = [&](const char* pszStmt) {
            char* pszMessage = nullptr;
            if (sqlite3_exec(hSQL, pszStmt, nullptr, nullptr, &pszMessage) == SQLITE_OK)
                return true;
            setError("sqlBuildTables", "sqlite3_exec", pszStmt,
                     pszMessage ? pszMessage : sqlite3_errmsg(hSQL));
            sqlite3_free(pszMessage);
            return false;
        };
        char szStmt[2000];
        if (tab.bTable) {
            for (coldef* pCol = tab.lstCol; pCol->pszCol; ++pCol) {
                if (pCol->bCol)
                    continue;
                g_snprintf(szStmt, sizeof szStmt, "ALTER TABLE %s ADD %s %s;", tab.pszTable,
                           pCol->pszCol, pCol->pszType);
                if (!run(szStmt))
                    return FALSE;
            }
        } else {
            char szCols[2000];
            sqlBuildCols(szCols, sizeof szCols, tab.lstCol);
            g_snprintf(szStmt, sizeof szStmt, "CREATE TABLE %s (%s);", tab.pszTable, szCols);
            if (!run(szStmt))
                return FALSE;
        }
    }
    return TRUE;
}
} // namespace

// ---- Loads and updates shared by every record type ----

namespace {

// A record as a row with every column NULL reads: zeros, and for an
// aircraft every option "not chosen", as the aircraft card starts a record.
template <class Rec> void clearRecord(Rec* prcd) {
    memset(prcd, 0, sizeof *prcd);
}
template <> void clearRecord(rcdAC* prcd) {
    rcdClearAC(prcd, 0);
}

// Runs a load: each row is read into a cleared record (a NULL column
// never keeps the previous row's value) and handed to the block's
// function, if any. A load by ID (bOne) that finds no row fails with
// "no such row" and leaves the caller's record as it was.
template <class Rec, class Call>
gboolean loadRows(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params,
                  Rec* prcd, std::span<const Field> lstFields, bool bOne, Call call) {
    bool bRow = false;
    if (!runSQL(pszOp, h, pszSQL, params, [&](sqlite3_stmt* p) {
            bRow = true;
            clearRecord(prcd);
            readRow(p, prcd, lstFields);
            return call();
        }))
        return FALSE;
    if (bOne && !bRow) {
        setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), "no such row");
        m_bNoSuchRow = true;
        return FALSE;
    }
    return TRUE;
}

template <class Rec>
gboolean loadRows(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params,
                  Rec* prcd, int (*pfunc)(Rec*), std::span<const Field> lstFields, bool bOne) {
    return loadRows(pszOp, h, pszSQL, params, prcd, lstFields, bOne,
                    [&] { return pfunc ? pfunc(prcd) : 0; });
}

// A record not yet stored is inserted and gets its new row ID; a stored
// one is updated by its ID. pbDirty, if given, is cleared on success.
gboolean saveLogRow(const char* pszOp, guint& iID, const char* pszInsert, const char* pszUpdate,
                    Params params, gboolean* pbDirty = nullptr) {
    const bool bNew = isAllOnes(iID);
    if (bNew) {
        if (!runExec(pszOp, m_hSQL, pszInsert, params))
            return FALSE;
        iID = lastRowID(m_hSQL);
    } else {
        params.push_back(unum(iID));
        if (!runUpdate(pszOp, m_hSQL, pszUpdate, params))
            return FALSE;
    }
    if (pbDirty)
        *pbDirty = FALSE;
    return TRUE;
}

// Catalogue records: a new one gets a skeleton row first; then every
// record is updated by its ID. Both steps land together or not at all:
// a failed update leaves no empty row behind and the record still new.
gboolean saveCatalogueRow(const char* pszOp, guint& iID, const char* pszSkeleton, Param skeleton,
                          const char* pszUpdate, const void* prcd, std::span<const Field> lstFields,
                          gboolean* pbDirty) {
    const guint iOldID = iID;
    if (!beginWrite(pszOp, m_hCCD))
        return FALSE;
    bool bOK = true;
    if (isAllOnes(iID)) {
        bOK = runExec(pszOp, m_hCCD, pszSkeleton, {skeleton});
        if (bOK)
            iID = lastRowID(m_hCCD);
    }
    if (bOK) {
        Params params = paramsOf(prcd, lstFields);
        params.push_back(unum(iID));
        bOK = runUpdate(pszOp, m_hCCD, pszUpdate, params);
    }
    if (!endWrite(pszOp, m_hCCD, bOK) || !bOK) {
        iID = iOldID;
        return FALSE;
    }
    if (pbDirty)
        *pbDirty = FALSE;
    return TRUE;
}

} // namespace

// ---- Log database records ----

gboolean sqlLoadAircraftRecord(cbAC* pcbAC, guint iACID) {
    const bool bAll = isAllOnes(iACID);
    return loadRows("sqlLoadAircraftRecord", m_hSQL, bAll ? m_szACAll : m_szACOne,
                    bAll ? Params{} : Params{unum(iACID)}, pcbAC->prcdAC, pcbAC->pfuncACCB,
                    m_lstACRead, !bAll);
}

gboolean sqlUpdateAircraftRecord(rcdAC* prcdAC) {
    Params params = paramsOf(prcdAC, m_lstACWrite);
    if (!isAllOnes(prcdAC->iACID))
        std::swap(params[18], params[19]); // bDelete before strNotes
    return saveLogRow("sqlUpdateAircraftRecord", prcdAC->iACID, m_szACInsert, m_szACUpdate, params);
}

gboolean sqlLoadPilotRecord(cbPilot* pcbPilot, guint iPilotID) {
    const bool bAll = isAllOnes(iPilotID);
    return loadRows("sqlLoadPilotRecord", m_hSQL, bAll ? m_szPilotAll : m_szPilotOne,
                    bAll ? Params{} : Params{unum(iPilotID)}, pcbPilot->prcdPilot,
                    pcbPilot->pfuncPilotCB, m_lstPilotRead, !bAll);
}

gboolean sqlUpdatePilotRecord(rcdPilot* prcdPilot) {
    return saveLogRow("sqlUpdatePilotRecord", prcdPilot->iPilotID, m_szPilotInsert, m_szPilotUpdate,
                      paramsOf(prcdPilot, m_lstPilotWrite), &prcdPilot->bDirty);
}

gboolean sqlLoadFLogRecord(cbFLog* pcbFLog, gulong iFLogID, gulong iCSID) {
    const bool bAll = isAllOnes(iFLogID);
    return loadRows("sqlLoadFlightLog", m_hSQL, bAll ? m_szFlightAll : m_szFlightOne,
                    {unum(static_cast<guint>(bAll ? iCSID : iFLogID))}, pcbFLog->prcdFLog,
                    pcbFLog->pfuncFLogCB, m_lstFlightRead, !bAll);
}

gboolean sqlUpdateFLogRecord(rcdFLog* prcdFLog) {
    return saveLogRow("sqlUpdateFLogRecord", prcdFLog->iFLogID, m_szFlightInsert, m_szFlightUpdate,
                      paramsOf(prcdFLog, m_lstFlightWrite));
}

gboolean sqlLoadMaintRecords(cbMaint* pcbMaint, guint iCompID, guint iACID) {
    return loadRows("sqlLoadMaintRecords", m_hSQL, m_szMaintAll, {unum(iCompID), unum(iACID)},
                    pcbMaint->prcdMaint, pcbMaint->pfuncMaintCB, m_lstMaintRead, false);
}

gboolean sqlLoadMaintRecord(rcdMaint* prcdMaint, guint iMaintID) {
    return loadRows<rcdMaint>("sqlLoadMaintRecord", m_hSQL, m_szMaintOne, {unum(iMaintID)},
                              prcdMaint, nullptr, m_lstMaintRead, true);
}

gboolean sqlUpdateMaintRecord(rcdMaint* prcdMaint, guint iACID) {
    return saveLogRow("sqlUpdateMaintRecord", prcdMaint->iMaintID, m_szMaintInsert, m_szMaintUpdate,
                      paramsOf(prcdMaint, m_lstMaintWrite, iACID));
}

// ---- Catalogue database records ----

gboolean sqlLoadCompCard(cbComp* pcbComp, guint iCompID, guint iGroupID) {
    const bool bAll = isAllOnes(iCompID);
    return loadRows("sqlLoadCompCard", m_hCCD, bAll ? m_szCompAll : m_szCompOne,
                    {unum(bAll ? iGroupID : iCompID)}, pcbComp->prcdComp, m_lstCompRead, !bAll,
                    [pcbComp] {
                        return pcbComp->pfuncCompCB
                                   ? pcbComp->pfuncCompCB(pcbComp->prcdComp, pcbComp->piterSubGrp)
                                   : 0;
                    });
}

gboolean sqlUpdateCompCard(rcdComp* prcdComp) {
    // The skeleton row already carries the card's group.
    const Params group = paramsOf(prcdComp, std::span<const Field>(m_lstCompWrite, 1));
    return saveCatalogueRow("sqlUpdateCompCard", prcdComp->iCompID, m_szCompInsert, group[0],
                            m_szCompUpdate, prcdComp, m_lstCompWrite, nullptr);
}

gboolean sqlLoadRefRecords(cbRef* pcbRef, guint iCompID) {
    return loadRows("sqlLoadRefRecords", m_hCCD, m_szRefAll, {unum(iCompID)}, pcbRef->prcdRef,
                    pcbRef->pfuncRefCB, m_lstRefRead, false);
}

gboolean sqlLoadRefRecord(cbRef* pcbRef, guint iRefID) {
    return loadRows("sqlLoadRefRecord", m_hCCD, m_szRefOne, {unum(iRefID)}, pcbRef->prcdRef,
                    pcbRef->pfuncRefCB, m_lstRefRead, true);
}

gboolean sqlUpdateRefRecord(rcdRef* prcdRef) {
    return saveCatalogueRow("sqlUpdateRefRecord", prcdRef->iRefID, m_szRefInsert,
                            unum(prcdRef->iCompID), m_szRefUpdate, prcdRef, m_lstRefWrite,
                            &prcdRef->bDirty);
}

gboolean sqlLoadTargetRecords(cbTarget* pcbTgt, guint iRefID) {
    return loadRows("sqlLoadTargetRecords", m_hCCD, m_szTgtAll, {unum(iRefID)}, pcbTgt->prcdTgt,
                    pcbTgt->pfuncTgtCB, m_lstTgtRead, false);
}

gboolean sqlLoadTargetRecord(cbTarget* pcbTgt, guint iTgtID) {
    return loadRows("sqlLoadTargetRecord", m_hCCD, m_szTgtOne, {unum(iTgtID)}, pcbTgt->prcdTgt,
                    pcbTgt->pfuncTgtCB, m_lstTgtRead, true);
}

gboolean sqlUpdateTargetRecord(rcdTarget* prcdTgt) {
    return saveCatalogueRow("sqlUpdateTargetRecord", prcdTgt->iTargetID, m_szTgtInsert,
                            unum(prcdTgt->iRefID), m_szTgtUpdate, prcdTgt, m_lstTgtWrite,
                            &prcdTgt->bDirty);
}

gboolean sqlLoadSNoteRecords(cbSNote* pcbSNote) {
    return loadRows("sqlLoadSNoteRecords", m_hCCD, m_szSNoteAll, {}, pcbSNote->prcdSNote,
                    pcbSNote->pfuncSNoteCB, m_lstSNoteRead, false);
}

gboolean sqlLoadSNoteRecord(cbSNote* pcbSNote, guint iSNoteID) {
    return loadRows("sqlLoadSNoteRecord", m_hCCD, m_szSNoteOne, {unum(iSNoteID)},
                    pcbSNote->prcdSNote, pcbSNote->pfuncSNoteCB, m_lstSNoteRead, true);
}

gboolean sqlUpdateSNoteRecord(rcdSNote* prcdSNote) {
    return saveCatalogueRow("sqlUpdateSNoteRecord", prcdSNote->iSNoteID, m_szSNoteInsert,
                            flag(prcdSNote->bDelete), m_szSNoteUpdate, prcdSNote, m_lstSNoteRead,
                            &prcdSNote->bDirty);
}

// ---- Counts asked before a delete ----

namespace {

gboolean countRows(const char* pszOp, const char* pszSQL, guint iID, guint* pnCount) {
    *pnCount = 0;
    return runSQL(pszOp, m_hSQL, pszSQL, {unum(iID)}, [pnCount](sqlite3_stmt* p) {
        *pnCount = static_cast<guint>(sqlite3_column_int64(p, 0));
        return 0;
    });
}

} // namespace

gboolean sqlCountPilotFlights(guint iPilotID, guint* pnFlights) {
    return countRows("sqlCountPilotFlights",
                     "SELECT COUNT(*) FROM Flight WHERE (bDelete IS NULL OR bDelete = 0) AND "
                     "(iPilotID = ?1 OR iStudentID = ?1)",
                     iPilotID, pnFlights);
}

gboolean sqlCountAircraftRecords(guint iACID, guint* pnFlights, guint* pnMaint) {
    return countRows("sqlCountAircraftRecords",
                     "SELECT COUNT(*) FROM Flight WHERE (bDelete IS NULL OR bDelete = 0) AND "
                     "iCSID = ?",
                     iACID, pnFlights) &&
           countRows("sqlCountAircraftRecords",
                     "SELECT COUNT(*) FROM Maintenance WHERE (bDelete IS NULL OR bDelete = 0) "
                     "AND iACID = ?",
                     iACID, pnMaint);
}

gboolean sqlCountMaintByCard(guint iACID, std::vector<std::pair<guint, guint>>* plst) {
    plst->clear();
    return runSQL(
        "sqlCountMaintByCard", m_hSQL,
        "SELECT iCompID, COUNT(*) FROM Maintenance WHERE (bDelete IS NULL OR bDelete = 0) "
        "AND iACID = ? GROUP BY iCompID ORDER BY iCompID",
        {unum(iACID)}, [plst](sqlite3_stmt* p) {
            plst->emplace_back(guint(sqlite3_column_int64(p, 0)),
                               guint(sqlite3_column_int64(p, 1)));
            return 0;
        });
}

sqlite3* sqlLogHandle() {
    return m_hSQL;
}
