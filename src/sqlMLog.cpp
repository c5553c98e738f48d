#include "sqlMLog.h"

#include "avMisc.h"
#include "avPath.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>

namespace {

sqlite3* m_hSQL = nullptr; // the log database
sqlite3* m_hCCD = nullptr; // the catalogue database
char m_sqlError[2000] = "";

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
// A fixed field: never read beyond it, even without a terminator.
template <std::size_t N> Param text(const char (&sz)[N]) {
    return {true, 0, sz, static_cast<int>(strnlen(sz, N))};
}

// The statement as it ran, values in place and texts quoted, for error texts.
std::string expandSQL(const char* pszSQL, std::initializer_list<Param> params) {
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
gboolean runSQL(const char* pszOp, sqlite3* h, const char* pszSQL,
                std::initializer_list<Param> params, RowFn onRow) {
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

gboolean runExec(const char* pszOp, sqlite3* h, const char* pszSQL,
                 std::initializer_list<Param> params) {
    return runSQL(pszOp, h, pszSQL, params, [](sqlite3_stmt*) { return 0; });
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
template <std::size_t N> void readText(sqlite3_stmt* p, int i, char (&sz)[N]) {
    const char* psz = colText(p, i);
    if (!psz)
        return;
    if (g_utf8_validate(psz, -1, nullptr)) {
        mscCopyText(sz, psz);
        return;
    }
    gchar* pszValid = g_utf8_make_valid(psz, -1);
    mscCopyText(sz, pszValid);
    g_free(pszValid);
}

bool isAllOnes(guint64 n) {
    return (n & 0xFFFFFFFFu) == 0xFFFFFFFFu;
}

// The ID SQLite gave the row just inserted; row IDs live in 32 bits.
guint lastRowID(sqlite3* h) {
    return static_cast<guint>(sqlite3_last_insert_rowid(h));
}

// Calls the block's function, if any, for the record just read.
template <class Rec> int callBack(int (*pfunc)(Rec*), Rec* prcd) {
    return pfunc ? pfunc(prcd) : 0;
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

// ---- Row readers ----

void readAC(sqlite3_stmt* p, rcdAC& r) {
    readU32(p, 0, r.iACID);
    readText(p, 1, r.szReg);
    readText(p, 2, r.szModel);
    readText(p, 3, r.szSerial);
    readTime(p, 4, r.tManu);
    readText(p, 5, r.szBuilder);
    readText(p, 6, r.szOwner);
    readBool(p, 7, r.bLogSinceNew);
    readTime(p, 8, r.tLogStart);
    readU32(p, 9, r.nLogHours);
    readI32(p, 10, r.iHeliOpt);
    readI32(p, 11, r.iEngineOpt);
    readI32(p, 12, r.iClutchOpt);
    readI32(p, 13, r.iMainDriveOpt);
    readI32(p, 14, r.iMainRotorOpt);
    readI32(p, 15, r.iMRSystemOpt);
    readI32(p, 16, r.iTRSliderOpt);
    readI32(p, 17, r.iTailDriveOpt);
    readI32(p, 18, r.iTailRotorOpt);
    readText(p, 19, r.szNotes);
}

void readPilot(sqlite3_stmt* p, rcdPilot& r) {
    readU32(p, 0, r.iPilotID);
    readText(p, 1, r.szLName);
    readText(p, 2, r.szFName);
    readText(p, 3, r.szSortKey);
    readTime(p, 4, r.tLastMed);
    readTime(p, 5, r.tNextMed);
    readU32(p, 6, r.nMedIntv);
    readBool(p, 7, r.bMedAuto);
    readBool(p, 8, r.bMedMonthEnd);
    readTime(p, 9, r.tLastFR);
    readTime(p, 10, r.tNextFR);
    readU32(p, 11, r.nFRIntv);
    readBool(p, 12, r.bFRAuto);
    readBool(p, 13, r.bFRMonthEnd);
    readBool(p, 14, r.bDelete);
    readText(p, 15, r.szNotes);
}

void readFlight(sqlite3_stmt* p, rcdFLog& r) {
    readU32(p, 0, r.iFLogID);
    readU32(p, 1, r.iCSID);
    readU32(p, 2, r.iPilotID);
    readU32(p, 3, r.iStudentID);
    readU32(p, 4, r.nType);
    readTime(p, 5, r.tFltBegin);
    readTime(p, 6, r.tFltEnd);
    readU32(p, 7, r.nElapsed);
    // Engine times and positions are selected but not kept.
    readText(p, 14, r.szFrom);
    readText(p, 15, r.szTo);
    readText(p, 16, r.szPaxList);
    readText(p, 17, r.szNotes);
    readBool(p, 18, r.bDelete);
}

void readMaint(sqlite3_stmt* p, rcdMaint& r) {
    readU32(p, 0, r.iMaintID);
    readU32(p, 1, r.iCompID);
    readU32(p, 2, r.iType);
    readU8(p, 3, r.bFlags);
    readTime(p, 4, r.tComplete);
    readU32(p, 5, r.nCompHours);
    readU32(p, 6, r.nCompAge);
    readU32(p, 7, r.nDeferHours);
    readU32(p, 8, r.nDeferDays);
    readBool(p, 9, r.bDelete);
    readText(p, 10, r.szNotes);
}

void readComp(sqlite3_stmt* p, rcdComp& r) {
    readU32(p, 0, r.iCompID);
    guint nGroup = 0;
    if (colText(p, 1)) {
        readU32(p, 1, nGroup);
        r.iGroupLevel = (nGroup & 0x80000000u) ? 1 : 0;
        r.iGroupID = nGroup & 0x7FFFFFFFu;
    }
    readU32(p, 2, r.iSortOrder);
    readText(p, 3, r.szPartNmbr);
    readText(p, 4, r.szPartDesc);
    readText(p, 5, r.szDescNotes);
    readText(p, 6, r.szPartRef);
    readU32(p, 7, r.nInspIntv);
    readU32(p, 8, r.nRCOIntv);
    readU32(p, 9, r.iSNote1ID);
    readU32(p, 10, r.iSNote2ID);
    readU32(p, 11, r.iSNote3ID);
    readU32(p, 12, r.bOptHeli);
    readU32(p, 13, r.bOptEng);
    readU32(p, 14, r.bOptMainDrive);
    readU32(p, 15, r.bOptMainRotor);
    readU32(p, 16, r.bOptMRSystem);
    readU32(p, 17, r.bOptClutch);
    readU32(p, 18, r.bOptTRSlider);
    readU32(p, 19, r.bOptTailDrive);
    readU32(p, 20, r.bOptTailRotor);
    readBool(p, 21, r.bDelete);
}

void readRef(sqlite3_stmt* p, rcdRef& r) {
    readU32(p, 0, r.iRefID);
    // Stored by some editors as a real number: the fraction is dropped.
    if (const char* psz = colText(p, 1))
        r.iCompID =
            static_cast<guint>(static_cast<guint64>(static_cast<gint64>(strtod(psz, nullptr))));
    readText(p, 2, r.szDrawing);
    readU32(p, 3, r.nRotate);
    readBool(p, 4, r.bDelete);
}

void readTarget(sqlite3_stmt* p, rcdTarget& r) {
    readU32(p, 0, r.iTargetID);
    readU32(p, 1, r.iRefID);
    readU32(p, 2, r.nX);
    readU32(p, 3, r.nY);
    readU32(p, 4, r.nWidth);
    readU32(p, 5, r.nHeight);
    readU32(p, 6, r.nLen);
    readU32(p, 7, r.nAngle);
    readU32(p, 8, r.iShape);
    readU32(p, 9, r.nWeight);
    readU32(p, 10, r.nColour);
    readBool(p, 11, r.bDelete);
}

void readSNote(sqlite3_stmt* p, rcdSNote& r) {
    readU32(p, 0, r.iSNoteID);
    readText(p, 1, r.szLabel);
    readText(p, 2, r.szText);
    readBool(p, 3, r.bDelete);
}

guint packGroup(const rcdComp& r) {
    return r.iGroupID | (r.iGroupLevel ? 0x80000000u : 0u);
}

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

    m_hSQL = openDatabase("avLedger.db");
    if (!m_hSQL)
        return FALSE;
    if (!scanSchema(m_hSQL, m_lstTable) || !sqlBuildTables(m_hSQL, m_lstTable))
        return FALSE;
    // Every tree build asks for the records of each component in turn;
    // without an index each question scans the whole history. Only speed
    // depends on it, so a file that refuses it is used as it is.
    sqlite3_exec(m_hSQL,
                 "CREATE INDEX IF NOT EXISTS ixMaintenanceComp ON Maintenance (iCompID, iACID)",
                 nullptr, nullptr, nullptr);

    m_hCCD = openDatabase("avCCD.db");
    if (!m_hCCD)
        return FALSE;
    if (!scanSchema(m_hCCD, m_lstCCD))
        return FALSE;
    return sqlBuildTables(m_hCCD, m_lstCCD);
}

const char* sqlLastError() {
    return m_sqlError;
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
    // one write instead of one per table. It is committed even after a
    // failure, so what already ran stays in effect.
    const bool bTransaction = sqlite3_exec(hSQL, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    gboolean bOK = buildTables(hSQL, plstTable);
    if (bTransaction && sqlite3_exec(hSQL, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (bOK)
            setError("sqlBuildTables", "sqlite3_exec", "COMMIT", sqlite3_errmsg(hSQL));
        sqlite3_exec(hSQL, "ROLLBACK", nullptr, nullptr, nullptr);
        return FALSE;
    }
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

// ---- Aircraft ----

gboolean sqlLoadAircraftRecord(cbAC* pcbAC, guint iACID) {
    const bool bAll = isAllOnes(iACID);
    auto onRow = [pcbAC](sqlite3_stmt* p) {
        readAC(p, *pcbAC->prcdAC);
        return callBack(pcbAC->pfuncACCB, pcbAC->prcdAC);
    };
    if (bAll)
        return runSQL("sqlLoadAircraftRecord", m_hSQL, m_szACAll, {}, onRow);
    return runSQL("sqlLoadAircraftRecord", m_hSQL, m_szACOne, {unum(iACID)}, onRow);
}

gboolean sqlUpdateAircraftRecord(rcdAC* prcdAC) {
    const rcdAC& r = *prcdAC;
    if (isAllOnes(r.iACID)) {
        if (!runExec("sqlUpdateAircraftRecord", m_hSQL, m_szACInsert,
                     {text(r.szReg),        text(r.szModel),      text(r.szSerial),
                      when(r.tManu),        text(r.szBuilder),    text(r.szOwner),
                      flag(r.bLogSinceNew), when(r.tLogStart),    unum(r.nLogHours),
                      num(r.iHeliOpt),      num(r.iEngineOpt),    num(r.iClutchOpt),
                      num(r.iMainDriveOpt), num(r.iMainRotorOpt), num(r.iMRSystemOpt),
                      num(r.iTRSliderOpt),  num(r.iTailDriveOpt), num(r.iTailRotorOpt),
                      text(r.szNotes),      flag(r.bDelete)}))
            return FALSE;
        prcdAC->iACID = lastRowID(m_hSQL);
        return TRUE;
    }
    return runExec("sqlUpdateAircraftRecord", m_hSQL, m_szACUpdate,
                   {text(r.szReg),        text(r.szModel),      text(r.szSerial),
                    when(r.tManu),        text(r.szBuilder),    text(r.szOwner),
                    flag(r.bLogSinceNew), when(r.tLogStart),    unum(r.nLogHours),
                    num(r.iHeliOpt),      num(r.iEngineOpt),    num(r.iClutchOpt),
                    num(r.iMainDriveOpt), num(r.iMainRotorOpt), num(r.iMRSystemOpt),
                    num(r.iTRSliderOpt),  num(r.iTailDriveOpt), num(r.iTailRotorOpt),
                    flag(r.bDelete),      text(r.szNotes),      unum(r.iACID)});
}

// ---- Pilots ----

gboolean sqlLoadPilotRecord(cbPilot* pcbPilot, guint iPilotID) {
    auto onRow = [pcbPilot](sqlite3_stmt* p) {
        readPilot(p, *pcbPilot->prcdPilot);
        return callBack(pcbPilot->pfuncPilotCB, pcbPilot->prcdPilot);
    };
    if (isAllOnes(iPilotID))
        return runSQL("sqlLoadPilotRecord", m_hSQL, m_szPilotAll, {}, onRow);
    return runSQL("sqlLoadPilotRecord", m_hSQL, m_szPilotOne, {unum(iPilotID)}, onRow);
}

gboolean sqlUpdatePilotRecord(rcdPilot* prcdPilot) {
    const rcdPilot& r = *prcdPilot;
    const bool bNew = isAllOnes(r.iPilotID);
    gboolean bOK;
    if (bNew)
        bOK = runExec("sqlUpdatePilotRecord", m_hSQL, m_szPilotInsert,
                      {text(r.szFName), text(r.szLName), text(r.szSortKey), when(r.tLastMed),
                       when(r.tNextMed), unum(r.nMedIntv), flag(r.bMedMonthEnd), flag(r.bMedAuto),
                       when(r.tLastFR), when(r.tNextFR), unum(r.nFRIntv), flag(r.bFRMonthEnd),
                       flag(r.bFRAuto), flag(r.bDelete), text(r.szNotes)});
    else
        bOK = runExec("sqlUpdatePilotRecord", m_hSQL, m_szPilotUpdate,
                      {text(r.szFName), text(r.szLName), text(r.szSortKey), when(r.tLastMed),
                       when(r.tNextMed), unum(r.nMedIntv), flag(r.bMedMonthEnd), flag(r.bMedAuto),
                       when(r.tLastFR), when(r.tNextFR), unum(r.nFRIntv), flag(r.bFRMonthEnd),
                       flag(r.bFRAuto), flag(r.bDelete), text(r.szNotes), unum(r.iPilotID)});
    if (!bOK)
        return FALSE;
    if (bNew)
        prcdPilot->iPilotID = lastRowID(m_hSQL);
    prcdPilot->bDirty = FALSE;
    return TRUE;
}

// ---- Flights ----

gboolean sqlLoadFLogRecord(cbFLog* pcbFLog, gulong iFLogID, gulong iCSID) {
    auto onRow = [pcbFLog](sqlite3_stmt* p) {
        memset(pcbFLog->prcdFLog, 0, sizeof *pcbFLog->prcdFLog);
        readFlight(p, *pcbFLog->prcdFLog);
        return callBack(pcbFLog->pfuncFLogCB, pcbFLog->prcdFLog);
    };
    if (isAllOnes(iFLogID))
        return runSQL("sqlLoadFlightLog", m_hSQL, m_szFlightAll, {unum(static_cast<guint>(iCSID))},
                      onRow);
    return runSQL("sqlLoadFlightLog", m_hSQL, m_szFlightOne, {unum(static_cast<guint>(iFLogID))},
                  onRow);
}

gboolean sqlUpdateFLogRecord(rcdFLog* prcdFLog) {
    const rcdFLog& r = *prcdFLog;
    if (isAllOnes(r.iFLogID)) {
        if (!runExec("sqlUpdateFLogRecord", m_hSQL, m_szFlightInsert,
                     {unum(r.iCSID), unum(r.iPilotID), unum(r.iStudentID), when(r.tFltBegin),
                      when(r.tFltEnd), unum(r.nElapsed), unum(r.nType), text(r.szFrom),
                      text(r.szTo), text(r.szPaxList), text(r.szNotes), flag(r.bDelete)}))
            return FALSE;
        prcdFLog->iFLogID = lastRowID(m_hSQL);
        return TRUE;
    }
    return runExec("sqlUpdateFLogRecord", m_hSQL, m_szFlightUpdate,
                   {unum(r.iCSID), unum(r.iPilotID), unum(r.iStudentID), when(r.tFltBegin),
                    when(r.tFltEnd), unum(r.nElapsed), unum(r.nType), text(r.szFrom), text(r.szTo),
                    text(r.szPaxList), text(r.szNotes), flag(r.bDelete), unum(r.iFLogID)});
}

// ---- Maintenance ----

gboolean sqlLoadMaintRecords(cbMaint* pcbMaint, guint iCompID, guint iACID) {
    return runSQL("sqlLoadMaintRecords", m_hSQL, m_szMaintAll, {unum(iCompID), unum(iACID)},
                  [pcbMaint](sqlite3_stmt* p) {
                      readMaint(p, *pcbMaint->prcdMaint);
                      return callBack(pcbMaint->pfuncMaintCB, pcbMaint->prcdMaint);
                  });
}

gboolean sqlLoadMaintRecord(rcdMaint* prcdMaint, guint iMaintID) {
    return runSQL("sqlLoadMaintRecord", m_hSQL, m_szMaintOne, {unum(iMaintID)},
                  [prcdMaint](sqlite3_stmt* p) {
                      readMaint(p, *prcdMaint);
                      return 0;
                  });
}

gboolean sqlUpdateMaintRecord(rcdMaint* prcdMaint, guint iACID) {
    const rcdMaint& r = *prcdMaint;
    if (isAllOnes(r.iMaintID)) {
        if (!runExec("sqlUpdateMaintRecord", m_hSQL, m_szMaintInsert,
                     {unum(r.iCompID), unum(iACID), unum(r.iType), unum(r.bFlags),
                      when(r.tComplete), unum(r.nCompHours), unum(r.nCompAge), unum(r.nDeferHours),
                      unum(r.nDeferDays), flag(r.bDelete), text(r.szNotes)}))
            return FALSE;
        prcdMaint->iMaintID = lastRowID(m_hSQL);
        return TRUE;
    }
    return runExec("sqlUpdateMaintRecord", m_hSQL, m_szMaintUpdate,
                   {unum(r.iCompID), unum(iACID), unum(r.iType), unum(r.bFlags), when(r.tComplete),
                    unum(r.nCompHours), unum(r.nCompAge), unum(r.nDeferHours), unum(r.nDeferDays),
                    flag(r.bDelete), text(r.szNotes), unum(r.iMaintID)});
}

// ---- Component cards ----

gboolean sqlLoadCompCard(cbComp* pcbComp, guint iCompID, guint iGroupID) {
    auto onRow = [pcbComp](sqlite3_stmt* p) {
        memset(pcbComp->prcdComp, 0, sizeof *pcbComp->prcdComp);
        readComp(p, *pcbComp->prcdComp);
        return pcbComp->pfuncCompCB ? pcbComp->pfuncCompCB(pcbComp->prcdComp, pcbComp->piterSubGrp)
                                    : 0;
    };
    if (isAllOnes(iCompID))
        return runSQL("sqlLoadCompCard", m_hCCD, m_szCompAll, {unum(iGroupID)}, onRow);
    return runSQL("sqlLoadCompCard", m_hCCD, m_szCompOne, {unum(iCompID)}, onRow);
}

gboolean sqlUpdateCompCard(rcdComp* prcdComp) {
    const char* pszOp = "sqlUpdateCompCard";
    if (isAllOnes(prcdComp->iCompID)) {
        if (!runExec(pszOp, m_hCCD, m_szCompInsert, {unum(packGroup(*prcdComp))}))
            return FALSE;
        prcdComp->iCompID = lastRowID(m_hCCD);
    }
    const rcdComp& r = *prcdComp;
    return runExec(
        pszOp, m_hCCD, m_szCompUpdate,
        {unum(packGroup(r)),    text(r.szPartNmbr), text(r.szPartDesc),    text(r.szDescNotes),
         text(r.szPartRef),     unum(r.nInspIntv),  unum(r.nRCOIntv),      unum(r.iSNote1ID),
         unum(r.iSNote2ID),     unum(r.iSNote3ID),  flag(r.bDelete),       unum(r.iSortOrder),
         unum(r.bOptHeli),      unum(r.bOptEng),    unum(r.bOptMainDrive), unum(r.bOptMainRotor),
         unum(r.bOptMRSystem),  unum(r.bOptClutch), unum(r.bOptTRSlider),  unum(r.bOptTailDrive),
         unum(r.bOptTailRotor), unum(r.iCompID)});
}

// ---- Reference drawings ----

namespace {
gboolean loadRefs(const char* pszOp, const char* pszSQL, cbRef* pcbRef, guint iKey) {
    return runSQL(pszOp, m_hCCD, pszSQL, {unum(iKey)}, [pcbRef](sqlite3_stmt* p) {
        memset(pcbRef->prcdRef, 0, sizeof *pcbRef->prcdRef);
        readRef(p, *pcbRef->prcdRef);
        return callBack(pcbRef->pfuncRefCB, pcbRef->prcdRef);
    });
}
gboolean loadTargets(const char* pszOp, const char* pszSQL, cbTarget* pcbTgt, guint iKey) {
    return runSQL(pszOp, m_hCCD, pszSQL, {unum(iKey)}, [pcbTgt](sqlite3_stmt* p) {
        memset(pcbTgt->prcdTgt, 0, sizeof *pcbTgt->prcdTgt);
        readTarget(p, *pcbTgt->prcdTgt);
        return callBack(pcbTgt->pfuncTgtCB, pcbTgt->prcdTgt);
    });
}
gboolean loadSNotes(const char* pszOp, const char* pszSQL, cbSNote* pcbSNote,
                    std::initializer_list<Param> params) {
    return runSQL(pszOp, m_hCCD, pszSQL, params, [pcbSNote](sqlite3_stmt* p) {
        memset(pcbSNote->prcdSNote, 0, sizeof *pcbSNote->prcdSNote);
        readSNote(p, *pcbSNote->prcdSNote);
        return callBack(pcbSNote->pfuncSNoteCB, pcbSNote->prcdSNote);
    });
}
} // namespace

gboolean sqlLoadRefRecords(cbRef* pcbRef, guint iCompID) {
    return loadRefs("sqlLoadRefRecords", m_szRefAll, pcbRef, iCompID);
}

gboolean sqlLoadRefRecord(cbRef* pcbRef, guint iRefID) {
    return loadRefs("sqlLoadRefRecord", m_szRefOne, pcbRef, iRefID);
}

gboolean sqlUpdateRefRecord(rcdRef* prcdRef) {
    const char* pszOp = "sqlUpdateRefRecord";
    if (isAllOnes(prcdRef->iRefID)) {
        if (!runExec(pszOp, m_hCCD, m_szRefInsert, {unum(prcdRef->iCompID)}))
            return FALSE;
        prcdRef->iRefID = lastRowID(m_hCCD);
    }
    const rcdRef& r = *prcdRef;
    if (!runExec(
            pszOp, m_hCCD, m_szRefUpdate,
            {unum(r.iCompID), text(r.szDrawing), unum(r.nRotate), flag(r.bDelete), unum(r.iRefID)}))
        return FALSE;
    prcdRef->bDirty = FALSE;
    return TRUE;
}

// ---- Targets ----

gboolean sqlLoadTargetRecords(cbTarget* pcbTgt, guint iRefID) {
    return loadTargets("sqlLoadTargetRecords", m_szTgtAll, pcbTgt, iRefID);
}

gboolean sqlLoadTargetRecord(cbTarget* pcbTgt, guint iTgtID) {
    return loadTargets("sqlLoadTargetRecord", m_szTgtOne, pcbTgt, iTgtID);
}

gboolean sqlUpdateTargetRecord(rcdTarget* prcdTgt) {
    const char* pszOp = "sqlUpdateTargetRecord";
    if (isAllOnes(prcdTgt->iTargetID)) {
        if (!runExec(pszOp, m_hCCD, m_szTgtInsert, {unum(prcdTgt->iRefID)}))
            return FALSE;
        prcdTgt->iTargetID = lastRowID(m_hCCD);
    }
    const rcdTarget& r = *prcdTgt;
    if (!runExec(pszOp, m_hCCD, m_szTgtUpdate,
                 {unum(r.iRefID), unum(r.nX), unum(r.nY), unum(r.nWidth), unum(r.nHeight),
                  unum(r.nLen), unum(r.nAngle), unum(r.iShape), unum(r.nWeight), unum(r.nColour),
                  flag(r.bDelete), unum(r.iTargetID)}))
        return FALSE;
    prcdTgt->bDirty = FALSE;
    return TRUE;
}

// ---- Service notes ----

gboolean sqlLoadSNoteRecords(cbSNote* pcbSNote) {
    return loadSNotes("sqlLoadSNoteRecords", m_szSNoteAll, pcbSNote, {});
}

gboolean sqlLoadSNoteRecord(cbSNote* pcbSNote, guint iSNoteID) {
    return loadSNotes("sqlLoadSNoteRecord", m_szSNoteOne, pcbSNote, {unum(iSNoteID)});
}

gboolean sqlUpdateSNoteRecord(rcdSNote* prcdSNote) {
    const char* pszOp = "sqlUpdateSNoteRecord";
    if (isAllOnes(prcdSNote->iSNoteID)) {
        if (!runExec(pszOp, m_hCCD, m_szSNoteInsert, {flag(prcdSNote->bDelete)}))
            return FALSE;
        prcdSNote->iSNoteID = lastRowID(m_hCCD);
    }
    const rcdSNote& r = *prcdSNote;
    if (!runExec(
            pszOp, m_hCCD, m_szSNoteUpdate,
            {unum(r.iSNoteID), text(r.szLabel), text(r.szText), flag(r.bDelete), unum(r.iSNoteID)}))
        return FALSE;
    prcdSNote->bDirty = FALSE;
    return TRUE;
}
