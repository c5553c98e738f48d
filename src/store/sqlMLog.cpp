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
#include <map>
#include <string>
#include <string_view>
#include <tuple>
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

// ---- Declared tables ----

// How a column is read into and written from its record field.
enum class Kind {
    None,  // kept in the file, not in the record: never read nor written
    U32,   // unsigned, low 32 bits of the stored number
    I32,   // signed, low 32 bits
    U8,    // low 8 bits
    Bool,  // written as 0 or 1
    Time,  // signed seconds
    Text,  // fixed field, cut on a character boundary
    Real,  // may be stored as a real number: the fraction is dropped
    Group, // iGroupID with the group level in bit 31
    Arg,   // written only: the operation's extra argument
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
constexpr Field NONE{Kind::None, 0, 0};
constexpr Field ARG{Kind::Arg, 0, 0};

// The level is kept next to the group ID; a Group field names both.
static_assert(offsetof(rcdComp, iGroupLevel) == offsetof(rcdComp, iGroupID) + sizeof(guint));

// One column: its name and type as created, and the record field it holds.
struct ColDecl {
    const char* pszCol;
    const char* pszType;
    Field f;
};
// One table, columns in the stored order; the first is the row ID. Its
// statements and their values are all made from this list.
struct TableDecl {
    const char* pszTable;
    std::initializer_list<ColDecl> lstCol;
};

#define F(kind, member) FIELD(kind, rcdAC, member)
const TableDecl m_tabAircraft = {"Aircraft",
                                 {{"iAircraftID", "INTEGER PRIMARY KEY", F(U32, iACID)},
                                  {"tCreate", "INTEGER", NONE},
                                  {"tAlter", "INTEGER", NONE},
                                  {"strReg", "TEXT", F(Text, szReg)},
                                  {"strModel", "TEXT", F(Text, szModel)},
                                  {"strSerial", "TEXT", F(Text, szSerial)},
                                  {"strBuilder", "TEXT", F(Text, szBuilder)},
                                  {"strOwner", "TEXT", F(Text, szOwner)},
                                  {"tManu", "INTEGER", F(Time, tManu)},
                                  {"iOptHeli", "INTEGER", F(I32, iHeliOpt)},
                                  {"iOptEngine", "INTEGER", F(I32, iEngineOpt)},
                                  {"iOptClutch", "INTEGER", F(I32, iClutchOpt)},
                                  {"iOptMRDrive", "INTEGER", F(I32, iMainDriveOpt)},
                                  {"iOptMRotor", "INTEGER", F(I32, iMainRotorOpt)},
                                  {"iOptMRSystem", "INTEGER", F(I32, iMRSystemOpt)},
                                  {"iOptTRSlider", "INTEGER", F(I32, iTRSliderOpt)},
                                  {"iOptTRDrive", "INTEGER", F(I32, iTailDriveOpt)},
                                  {"iOptTR", "INTEGER", F(I32, iTailRotorOpt)},
                                  {"bLogSinceNew", "BOOLEAN", F(Bool, bLogSinceNew)},
                                  {"tLogStart", "INTEGER", F(Time, tLogStart)},
                                  {"nLogHours", "INTEGER", F(U32, nLogHours)},
                                  {"bModFlags", "INTEGER", NONE},
                                  {"bOptFlags", "INTEGER", NONE},
                                  {"strNotes", "TEXT", F(Text, szNotes)},
                                  {"bDelete", "INTEGER", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdPilot, member)
const TableDecl m_tabPilot = {"Pilot",
                              {{"iPilotID", "INTEGER PRIMARY KEY", F(U32, iPilotID)},
                               {"tCreateTime", "INTEGER", NONE},
                               {"tAlterTime", "INTEGER", NONE},
                               {"strLName", "TEXT", F(Text, szLName)},
                               {"strFName", "TEXT", F(Text, szFName)},
                               {"strSortKey", "TEXT", F(Text, szSortKey)},
                               {"tLastMed", "INTEGER", F(Time, tLastMed)},
                               {"tNextMed", "INTEGER", F(Time, tNextMed)},
                               {"nMedInterval", "INTEGER", F(U32, nMedIntv)},
                               {"bMedAuto", "BOOLEAN", F(Bool, bMedAuto)},
                               {"bMedMonthEnd", "BOOLEAN", F(Bool, bMedMonthEnd)},
                               {"tLastFR", "INTEGER", F(Time, tLastFR)},
                               {"tNextFR", "INTEGER", F(Time, tNextFR)},
                               {"nFRInterval", "INTEGER", F(U32, nFRIntv)},
                               {"bFRAuto", "BOOLEAN", F(Bool, bFRAuto)},
                               {"bFRMonthEnd", "BOOLEAN", F(Bool, bFRMonthEnd)},
                               {"strNotes", "TEXT", F(Text, szNotes)},
                               {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdFLog, member)
// Engine times and positions are kept in the file for older logs only.
const TableDecl m_tabFlight = {"Flight",
                               {{"iFltID", "INTEGER PRIMARY KEY", F(U32, iFLogID)},
                                {"iCSID", "INTEGER", F(U32, iCSID)},
                                {"iPilotID", "INTEGER", F(U32, iPilotID)},
                                {"iStudentID", "INTEGER", F(U32, iStudentID)},
                                {"tFltBegin", "INTEGER", F(Time, tFltBegin)},
                                {"tFltEnd", "INTEGER", F(Time, tFltEnd)},
                                {"tEngStart", "INTEGER", NONE},
                                {"tEngStop", "INTEGER", NONE},
                                {"nElapsed", "INTEGER", F(U32, nElapsed)},
                                {"nFltType", "INTEGER", F(U32, nType)},
                                {"nPosnMode", "INTEGER", NONE},
                                {"nFromLat", "DOUBLE", NONE},
                                {"nFromLong", "DOUBLE", NONE},
                                {"nToLat", "DOUBLE", NONE},
                                {"nToLong", "DOUBLE", NONE},
                                {"strFrom", "TEXT", F(Text, szFrom)},
                                {"strTo", "TEXT", F(Text, szTo)},
                                {"strPaxList", "TEXT", F(Text, szPaxList)},
                                {"strNotes", "TEXT", F(Text, szNotes)},
                                {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdMaint, member)
// The aircraft is the update's argument, not a field of the record.
const TableDecl m_tabMaint = {"Maintenance",
                              {{"iMaintID", "INTEGER PRIMARY KEY", F(U32, iMaintID)},
                               {"iCompID", "INTEGER", F(U32, iCompID)},
                               {"iACID", "INTEGER", ARG},
                               {"iType", "INTEGER", F(U32, iType)},
                               {"tCompleted", "INTEGER", F(Time, tComplete)},
                               {"bFlags", "INTEGER", F(U8, bFlags)},
                               {"nCompHours", "INTEGER", F(U32, nCompHours)},
                               {"nCompAge", "INTEGER", F(U32, nCompAge)},
                               {"nDeferHours", "INTEGER", F(U32, nDeferHours)},
                               {"nDeferDays", "INTEGER", F(U32, nDeferDays)},
                               {"strNotes", "TEXT", F(Text, szNotes)},
                               {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdComp, member)
const TableDecl m_tabComp = {"Component",
                             {{"iCompID", "INTEGER PRIMARY KEY", F(U32, iCompID)},
                              {"iGroupID", "INTEGER", F(Group, iGroupID)},
                              {"strPartNmbr", "TEXT", F(Text, szPartNmbr)},
                              {"strPartDesc", "TEXT", F(Text, szPartDesc)},
                              {"strDescNotes", "TEXT", F(Text, szDescNotes)},
                              {"strPartRef", "TEXT", F(Text, szPartRef)},
                              {"nInspect", "INTEGER", F(U32, nInspIntv)},
                              {"nRCO", "INTEGER", F(U32, nRCOIntv)},
                              {"iSNote1ID", "INTEGER", F(U32, iSNote1ID)},
                              {"iSNote2ID", "INTEGER", F(U32, iSNote2ID)},
                              {"iSNote3ID", "INTEGER", F(U32, iSNote3ID)},
                              {"bDelete", "BOOLEAN", F(Bool, bDelete)},
                              {"iSortOrder", "INTEGER", F(U32, iSortOrder)},
                              {"bOptHeli", "INTEGER", F(U32, bOptHeli)},
                              {"bOptEngine", "INTEGER", F(U32, bOptEng)},
                              {"bOptMainDrive", "INTEGER", F(U32, bOptMainDrive)},
                              {"bOptMainRotor", "INTEGER", F(U32, bOptMainRotor)},
                              {"bOptMRSystem", "INTEGER", F(U32, bOptMRSystem)},
                              {"bOptClutch", "INTEGER", F(U32, bOptClutch)},
                              {"bOptTRSlider", "INTEGER", F(U32, bOptTRSlider)},
                              {"bOptTailDrive", "INTEGER", F(U32, bOptTailDrive)},
                              {"bOptTailRotor", "INTEGER", F(U32, bOptTailRotor)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdRef, member)
// Some editors store the card as a real number. The single-target columns
// predate the Target table.
const TableDecl m_tabRef = {"Reference",
                            {{"iRefID", "INTEGER PRIMARY KEY", F(U32, iRefID)},
                             {"iCompID", "INTEGER", F(Real, iCompID)},
                             {"strDrawing", "TEXT", F(Text, szDrawing)},
                             {"nRotate", "INTEGER", F(U32, nRotate)},
                             {"nTargetX", "INTEGER", NONE},
                             {"nTargetY", "INTEGER", NONE},
                             {"nTargetWidth", "INTEGER", NONE},
                             {"nTargetHeight", "INTEGER", NONE},
                             {"nTargetAngle", "INTEGER", NONE},
                             {"iTargetShape", "INTEGER", NONE},
                             {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdTarget, member)
const TableDecl m_tabTarget = {"Target",
                               {{"iTargetID", "INTEGER PRIMARY KEY", F(U32, iTargetID)},
                                {"iRefID", "INTEGER", F(U32, iRefID)},
                                {"nX", "INTEGER", F(U32, nX)},
                                {"nY", "INTEGER", F(U32, nY)},
                                {"nWidth", "INTEGER", F(U32, nWidth)},
                                {"nHeight", "INTEGER", F(U32, nHeight)},
                                {"nLen", "INTEGER", F(U32, nLen)},
                                {"nAngle", "INTEGER", F(U32, nAngle)},
                                {"iShape", "INTEGER", F(U32, iShape)},
                                {"nWeight", "INTEGER", F(U32, nWeight)},
                                {"nColour", "INTEGER", F(U32, nColour)},
                                {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdSNote, member)
const TableDecl m_tabSNote = {"ServiceNote",
                              {{"iSNoteID", "INTEGER PRIMARY KEY", F(U32, iSNoteID)},
                               {"strLabel", "TEXT", F(Text, szLabel)},
                               {"strText", "TEXT", F(Text, szText)},
                               {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#undef FIELD

// The tables of each file, in the order a fresh file gets them.
const TableDecl* const m_lstLogDecl[] = {&m_tabAircraft, &m_tabPilot, &m_tabFlight, &m_tabMaint};
const TableDecl* const m_lstCCDDecl[] = {&m_tabComp, &m_tabRef, &m_tabTarget, &m_tabSNote};

// Fills a tabledef list from its declaration with every flag cleared, so that a
// second start in the same process scans afresh.
template <std::size_t N, std::size_t M>
void fillTables(tabledef (&lstTable)[N], const TableDecl* const (&lstDecl)[M]) {
    static_assert(M < N, "room for the end entry");
    memset(lstTable, 0, sizeof lstTable);
    for (std::size_t i = 0; i < M; ++i) {
        lstTable[i].pszTable = lstDecl[i]->pszTable;
        guint n = 0;
        for (const auto& col : lstDecl[i]->lstCol) {
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
    // A value that cannot be bound (too long for the file, say) would
    // otherwise be stored as NULL without a word.
    int i = 1;
    for (const auto& param : params) {
        const int rc = param.bText ? sqlite3_bind_text(p, i, param.psz, param.nl, SQLITE_STATIC)
                                   : sqlite3_bind_int64(p, i, param.n);
        if (rc != SQLITE_OK) {
            setError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), sqlite3_errmsg(h));
            return FALSE;
        }
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

// ---- Statements made from a table's declaration ----

// A column a load reads: every field but the update's argument.
bool isRead(const ColDecl& col) {
    return col.f.k != Kind::None && col.f.k != Kind::Arg;
}
// A column an insert or update writes: every field but the row ID.
template <class Fn> void forWritten(const TableDecl& tab, Fn fn) {
    bool bKey = true;
    for (const ColDecl& col : tab.lstCol) {
        if (!bKey && col.f.k != Kind::None)
            fn(col);
        bKey = false;
    }
}
const ColDecl& keyCol(const TableDecl& tab) {
    return *tab.lstCol.begin();
}

// Statement texts are made once and kept: the statement cache knows a
// statement by the address of its text.
enum class Verb { Select, Insert, Skeleton, Update };
const char* statement(const TableDecl& tab, Verb verb, const char* pszTail = "") {
    static std::map<std::tuple<const TableDecl*, Verb, const char*>, std::string> s_lstText;
    std::string& str = s_lstText[{&tab, verb, pszTail}];
    if (!str.empty())
        return str.c_str();
    std::string strCols, strValues;
    auto add = [&](const ColDecl& col, const char* pszValue) {
        strCols += (strCols.empty() ? "" : ", ") + std::string(col.pszCol) + pszValue;
        strValues += strValues.empty() ? "?" : ", ?";
    };
    switch (verb) {
    case Verb::Select:
        for (const ColDecl& col : tab.lstCol)
            if (isRead(col))
                add(col, "");
        str = "SELECT " + strCols + " FROM " + tab.pszTable + " " + pszTail;
        break;
    case Verb::Insert:
        forWritten(tab, [&](const ColDecl& col) { add(col, ""); });
        str = std::string("INSERT INTO ") + tab.pszTable + " (" + strCols + ") VALUES (" +
              strValues + ")";
        break;
    case Verb::Skeleton: // the first written column only
        forWritten(tab, [&](const ColDecl& col) {
            if (strCols.empty())
                add(col, "");
        });
        str = std::string("INSERT INTO ") + tab.pszTable + " (" + strCols + ") VALUES (?)";
        break;
    case Verb::Update:
        forWritten(tab, [&](const ColDecl& col) { add(col, "=?"); });
        str = std::string("UPDATE ") + tab.pszTable + " SET " + strCols + " WHERE " +
              keyCol(tab).pszCol + "=?";
        break;
    }
    return str.c_str();
}

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
    case Kind::None:
        break;
    }
}

// Reads one row of the table's select into the fields its columns name.
void readRow(sqlite3_stmt* p, void* pRec, const TableDecl& tab) {
    int i = 0;
    for (const ColDecl& col : tab.lstCol)
        if (isRead(col))
            readField(p, i++, static_cast<char*>(pRec) + col.f.off, col.f);
}

// The value of one field as its column is written.
Param paramOf(const void* pRec, const Field& f, guint nArg) {
    const char* pField = static_cast<const char*>(pRec) + f.off;
    auto as = [pField](auto v) { return *reinterpret_cast<const decltype(v)*>(pField); };
    switch (f.k) {
    case Kind::U32:
    case Kind::Real:
        return unum(as(guint{}));
    case Kind::I32:
        return num(as(gint{}));
    case Kind::U8:
        return unum(as(guint8{}));
    case Kind::Bool:
        return flag(as(gboolean{}));
    case Kind::Time:
        return when(as(time_t{}));
    case Kind::Text:
        // Never read beyond the field, even without a terminator.
        return {true, 0, pField, static_cast<int>(strnlen(pField, f.nl))};
    case Kind::Group: {
        const guint* pn = reinterpret_cast<const guint*>(pField);
        return unum(pn[0] | (pn[1] ? 0x80000000u : 0u));
    }
    case Kind::Arg:
    case Kind::None:
        break;
    }
    return unum(nArg);
}

// The values of an insert or update, in the order its statement names them.
Params paramsOf(const void* pRec, const TableDecl& tab, guint nArg = 0) {
    Params params;
    forWritten(tab, [&](const ColDecl& col) { params.push_back(paramOf(pRec, col.f, nArg)); });
    return params;
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
    memset(prcd, 0, sizeof *prcd);
    for (gint rcdAC::*piOpt : {&rcdAC::iHeliOpt, &rcdAC::iEngineOpt, &rcdAC::iMainDriveOpt,
                               &rcdAC::iMainRotorOpt, &rcdAC::iMRSystemOpt, &rcdAC::iClutchOpt,
                               &rcdAC::iTRSliderOpt, &rcdAC::iTailDriveOpt, &rcdAC::iTailRotorOpt})
        prcd->*piOpt = -1;
}

// Runs a load of the table's rows that pszTail picks: each row is read
// into a cleared record (a NULL column never keeps the previous row's
// value) and handed to the block's function, if any. A load by ID (bOne)
// that finds no row fails with "no such row" and leaves the caller's
// record as it was.
template <class Rec, class Call>
gboolean loadRows(const char* pszOp, sqlite3* h, const TableDecl& tab, const char* pszTail,
                  const Params& params, Rec* prcd, bool bOne, Call call) {
    const char* pszSQL = statement(tab, Verb::Select, pszTail);
    bool bRow = false;
    if (!runSQL(pszOp, h, pszSQL, params, [&](sqlite3_stmt* p) {
            bRow = true;
            clearRecord(prcd);
            readRow(p, prcd, tab);
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
gboolean loadRows(const char* pszOp, sqlite3* h, const TableDecl& tab, const char* pszTail,
                  const Params& params, Rec* prcd, int (*pfunc)(Rec*), bool bOne) {
    return loadRows(pszOp, h, tab, pszTail, params, prcd, bOne,
                    [&] { return pfunc ? pfunc(prcd) : 0; });
}

// A record not yet stored is inserted and gets its new row ID; a stored
// one is updated by its ID. pbDirty, if given, is cleared on success.
gboolean saveLogRow(const char* pszOp, const TableDecl& tab, guint& iID, const void* prcd,
                    guint nArg = 0, gboolean* pbDirty = nullptr) {
    Params params = paramsOf(prcd, tab, nArg);
    if (isAllOnes(iID)) {
        if (!runExec(pszOp, m_hSQL, statement(tab, Verb::Insert), params))
            return FALSE;
        iID = lastRowID(m_hSQL);
    } else {
        params.push_back(unum(iID));
        if (!runUpdate(pszOp, m_hSQL, statement(tab, Verb::Update), params))
            return FALSE;
    }
    if (pbDirty)
        *pbDirty = FALSE;
    return TRUE;
}

// Catalogue records: a new one gets a skeleton row first; then every
// record is updated by its ID. Both steps land together or not at all:
// a failed update leaves no empty row behind and the record still new.
gboolean saveCatalogueRow(const char* pszOp, const TableDecl& tab, guint& iID, const void* prcd,
                          gboolean* pbDirty) {
    const guint iOldID = iID;
    if (!beginWrite(pszOp, m_hCCD))
        return FALSE;
    Params params = paramsOf(prcd, tab);
    bool bOK = true;
    if (isAllOnes(iID)) {
        bOK = runExec(pszOp, m_hCCD, statement(tab, Verb::Skeleton), {params.front()});
        if (bOK)
            iID = lastRowID(m_hCCD);
    }
    if (bOK) {
        params.push_back(unum(iID));
        bOK = runUpdate(pszOp, m_hCCD, statement(tab, Verb::Update), params);
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
    return loadRows("sqlLoadAircraftRecord", m_hSQL, m_tabAircraft,
                    bAll ? "WHERE bDelete = 0 OR bDelete IS NULL ORDER BY UPPER(strReg)"
                         : "WHERE iAircraftID = ?",
                    bAll ? Params{} : Params{unum(iACID)}, pcbAC->prcdAC, pcbAC->pfuncACCB, !bAll);
}

gboolean sqlUpdateAircraftRecord(rcdAC* prcdAC) {
    return saveLogRow("sqlUpdateAircraftRecord", m_tabAircraft, prcdAC->iACID, prcdAC);
}

gboolean sqlLoadPilotRecord(cbPilot* pcbPilot, guint iPilotID) {
    const bool bAll = isAllOnes(iPilotID);
    return loadRows("sqlLoadPilotRecord", m_hSQL, m_tabPilot,
                    bAll ? "WHERE bDelete = 0 OR bDelete IS NULL ORDER BY strSortKey"
                         : "WHERE iPilotID = ?",
                    bAll ? Params{} : Params{unum(iPilotID)}, pcbPilot->prcdPilot,
                    pcbPilot->pfuncPilotCB, !bAll);
}

gboolean sqlUpdatePilotRecord(rcdPilot* prcdPilot) {
    return saveLogRow("sqlUpdatePilotRecord", m_tabPilot, prcdPilot->iPilotID, prcdPilot, 0,
                      &prcdPilot->bDirty);
}

gboolean sqlLoadFLogRecord(cbFLog* pcbFLog, gulong iFLogID, gulong iCSID) {
    const bool bAll = isAllOnes(iFLogID);
    return loadRows("sqlLoadFlightLog", m_hSQL, m_tabFlight,
                    bAll ? "WHERE (bDelete IS NULL OR bDelete = 0) AND iCSID = ? ORDER BY tFltBegin"
                         : "WHERE iFltID = ?",
                    {unum(static_cast<guint>(bAll ? iCSID : iFLogID))}, pcbFLog->prcdFLog,
                    pcbFLog->pfuncFLogCB, !bAll);
}

gboolean sqlUpdateFLogRecord(rcdFLog* prcdFLog) {
    return saveLogRow("sqlUpdateFLogRecord", m_tabFlight, prcdFLog->iFLogID, prcdFLog);
}

gboolean sqlLoadMaintRecords(cbMaint* pcbMaint, guint iCompID, guint iACID) {
    return loadRows("sqlLoadMaintRecords", m_hSQL, m_tabMaint,
                    "WHERE (bDelete = 0 OR bDelete IS NULL) AND iCompID=? AND iACID=? "
                    "ORDER BY tCompleted",
                    {unum(iCompID), unum(iACID)}, pcbMaint->prcdMaint, pcbMaint->pfuncMaintCB,
                    false);
}

gboolean sqlLoadMaintRecord(rcdMaint* prcdMaint, guint iMaintID) {
    return loadRows<rcdMaint>("sqlLoadMaintRecord", m_hSQL, m_tabMaint, "WHERE iMaintID = ?",
                              {unum(iMaintID)}, prcdMaint, nullptr, true);
}

gboolean sqlUpdateMaintRecord(rcdMaint* prcdMaint, guint iACID) {
    return saveLogRow("sqlUpdateMaintRecord", m_tabMaint, prcdMaint->iMaintID, prcdMaint, iACID);
}

// ---- Catalogue database records ----

gboolean sqlLoadCompCard(cbComp* pcbComp, guint iCompID, guint iGroupID) {
    const bool bAll = isAllOnes(iCompID);
    return loadRows("sqlLoadCompCard", m_hCCD, m_tabComp,
                    bAll ? "WHERE (bDelete = 0 OR bDelete IS NULL) AND iGroupID = ? "
                           "ORDER BY iSortOrder"
                         : "WHERE iCompID = ?",
                    {unum(bAll ? iGroupID : iCompID)}, pcbComp->prcdComp, !bAll, [pcbComp] {
                        return pcbComp->pfuncCompCB
                                   ? pcbComp->pfuncCompCB(pcbComp->prcdComp, pcbComp->piterSubGrp)
                                   : 0;
                    });
}

gboolean sqlUpdateCompCard(rcdComp* prcdComp) {
    return saveCatalogueRow("sqlUpdateCompCard", m_tabComp, prcdComp->iCompID, prcdComp, nullptr);
}

gboolean sqlLoadRefRecords(cbRef* pcbRef, guint iCompID) {
    return loadRows("sqlLoadRefRecords", m_hCCD, m_tabRef,
                    "WHERE (bDelete = 0 OR bDelete IS NULL) AND iCompID = ? ", {unum(iCompID)},
                    pcbRef->prcdRef, pcbRef->pfuncRefCB, false);
}

gboolean sqlLoadRefRecord(cbRef* pcbRef, guint iRefID) {
    return loadRows("sqlLoadRefRecord", m_hCCD, m_tabRef, "WHERE iRefID = ? ", {unum(iRefID)},
                    pcbRef->prcdRef, pcbRef->pfuncRefCB, true);
}

gboolean sqlUpdateRefRecord(rcdRef* prcdRef) {
    return saveCatalogueRow("sqlUpdateRefRecord", m_tabRef, prcdRef->iRefID, prcdRef,
                            &prcdRef->bDirty);
}

gboolean sqlLoadTargetRecords(cbTarget* pcbTgt, guint iRefID) {
    return loadRows("sqlLoadTargetRecords", m_hCCD, m_tabTarget,
                    "WHERE (bDelete = 0 OR bDelete IS NULL) AND iRefID = ? ", {unum(iRefID)},
                    pcbTgt->prcdTgt, pcbTgt->pfuncTgtCB, false);
}

gboolean sqlLoadTargetRecord(cbTarget* pcbTgt, guint iTgtID) {
    return loadRows("sqlLoadTargetRecord", m_hCCD, m_tabTarget, "WHERE iTargetID = ? ",
                    {unum(iTgtID)}, pcbTgt->prcdTgt, pcbTgt->pfuncTgtCB, true);
}

gboolean sqlUpdateTargetRecord(rcdTarget* prcdTgt) {
    return saveCatalogueRow("sqlUpdateTargetRecord", m_tabTarget, prcdTgt->iTargetID, prcdTgt,
                            &prcdTgt->bDirty);
}

gboolean sqlLoadSNoteRecords(cbSNote* pcbSNote) {
    return loadRows("sqlLoadSNoteRecords", m_hCCD, m_tabSNote,
                    "WHERE (bDelete = 0 OR bDelete IS NULL)", {}, pcbSNote->prcdSNote,
                    pcbSNote->pfuncSNoteCB, false);
}

gboolean sqlLoadSNoteRecord(cbSNote* pcbSNote, guint iSNoteID) {
    return loadRows("sqlLoadSNoteRecord", m_hCCD, m_tabSNote, "WHERE iSNoteID = ? ",
                    {unum(iSNoteID)}, pcbSNote->prcdSNote, pcbSNote->pfuncSNoteCB, true);
}

gboolean sqlUpdateSNoteRecord(rcdSNote* prcdSNote) {
    return saveCatalogueRow("sqlUpdateSNoteRecord", m_tabSNote, prcdSNote->iSNoteID, prcdSNote,
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
