#include "sqlRow.h"

#include "avCnv.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <tuple>

namespace {

char m_sqlError[2000] = "";
bool m_bNoSuchRow = false;

Param num(gint64 n) {
    return {false, n, nullptr, 0};
}
Param flag(gboolean b) {
    return {false, b ? 1 : 0, nullptr, 0};
}
Param when(time_t t) {
    return {false, static_cast<gint64>(t), nullptr, 0};
}

// The statement as it ran, values in place and texts quoted, for error texts.
std::string expandSQL(const char* pszSQL, const Params& params) {
    std::string str;
    auto it = params.begin();
    for (const char* p = pszSQL; *p; ++p) {
        if (*p != '?' || it == params.end()) {
            str += *p;
            continue;
        }
        if (it->bText && !it->psz) {
            str += "NULL";
        } else if (it->bText) {
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

// Runs one statement; each result row goes to onRow, whose non-zero result
// aborts the query. Failures set the error text under the operation's name.
template <class RowFn>
gboolean runSQL(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params,
                RowFn onRow) {
    auto fail = [&](const char* pszMessage) {
        rowSetError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), pszMessage);
        return FALSE;
    };
    if (!h)
        return fail("database not open");
    StmtLease stmt(h, pszSQL);
    if (stmt.rc() != SQLITE_OK)
        return fail(sqlite3_errmsg(h));
    sqlite3_stmt* p = stmt.get();
    // A value that cannot be bound (too long for the file, say) would
    // otherwise be stored as NULL without a word.
    int i = 1;
    for (const auto& param : params) {
        const int rc = param.bText ? sqlite3_bind_text(p, i, param.psz, param.nl, SQLITE_STATIC)
                                   : sqlite3_bind_int64(p, i, param.n);
        if (rc != SQLITE_OK)
            return fail(sqlite3_errmsg(h));
        ++i;
    }
    for (;;) {
        const int rc = sqlite3_step(p);
        if (rc == SQLITE_DONE)
            return TRUE;
        if (rc != SQLITE_ROW)
            return fail(sqlite3_errmsg(h));
        if (onRow(p) != 0)
            return fail(sqlite3_errstr(SQLITE_ABORT));
    }
}

// A load or update by ID that found no row.
gboolean failNoSuchRow(const char* pszOp, const char* pszSQL, const Params& params) {
    rowSetError(pszOp, "sqlite3_exec", expandSQL(pszSQL, params), "no such row");
    m_bNoSuchRow = true;
    return FALSE;
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
    return failNoSuchRow(pszOp, pszSQL, params);
}

// ---- Reading a row: a NULL column leaves its field as it was ----

const char* colText(sqlite3_stmt* p, int i) {
    return reinterpret_cast<const char*>(sqlite3_column_text(p, i));
}

// Leading decimal digits as the C library reads them; not a number gives 0.
gint64 parseInt(const char* psz) {
    return strtoll(psz, nullptr, 10);
}

// A column as a whole number: an integer as stored, anything else by the
// leading digits of its text; false for NULL. Integers, nearly every value
// read, skip the round trip through text.
bool colInt(sqlite3_stmt* p, int i, gint64* pn) {
    switch (sqlite3_column_type(p, i)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
        *pn = sqlite3_column_int64(p, i);
        return true;
    default:
        *pn = parseInt(colText(p, i));
        return true;
    }
}

void readU32(sqlite3_stmt* p, int i, guint& n) {
    if (gint64 v = 0; colInt(p, i, &v))
        n = static_cast<guint>(static_cast<guint64>(v));
}
void readI32(sqlite3_stmt* p, int i, gint& n) {
    if (gint64 v = 0; colInt(p, i, &v))
        n = static_cast<gint>(static_cast<guint32>(v));
}
void readU8(sqlite3_stmt* p, int i, guint8& n) {
    if (gint64 v = 0; colInt(p, i, &v))
        n = static_cast<guint8>(v);
}
void readBool(sqlite3_stmt* p, int i, gboolean& b) {
    if (gint64 v = 0; colInt(p, i, &v))
        b = static_cast<gboolean>(v);
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
    if (sqlite3_column_type(p, i) == SQLITE_INTEGER) {
        const gint64 n = sqlite3_column_int64(p, i);
        t = static_cast<time_t>(n == 4294967295LL ? -1 : n);
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
        str = "SELECT " + strCols + " FROM " + tab.pszTable + " " +
              (pszTail ? pszTail : std::string("WHERE ") + keyCol(tab).pszCol + " = ?");
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
    case Kind::OptU32:
        if (colText(p, i)) {
            reinterpret_cast<gboolean*>(pField)[0] = TRUE;
            readU32(p, i, *reinterpret_cast<guint*>(pField + sizeof(gboolean)));
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
        return rowUnsigned(as(guint{}));
    case Kind::I32:
        return num(as(gint{}));
    case Kind::U8:
        return rowUnsigned(as(guint8{}));
    case Kind::Bool:
        return flag(as(gboolean{}));
    case Kind::Time:
        return when(as(time_t{}));
    case Kind::Text:
        // Never read beyond the field, even without a terminator.
        return {true, 0, pField, static_cast<int>(strnlen(pField, f.nl))};
    case Kind::Group: {
        const guint* pn = reinterpret_cast<const guint*>(pField);
        return rowUnsigned(pn[0] | (pn[1] ? 0x80000000u : 0u));
    }
    case Kind::OptU32: // not set: bound as NULL
        return *reinterpret_cast<const gboolean*>(pField)
                   ? rowUnsigned(*reinterpret_cast<const guint*>(pField + sizeof(gboolean)))
                   : Param{true, 0, nullptr, 0};
    case Kind::Arg:
    case Kind::None:
        break;
    }
    return rowUnsigned(nArg);
}

// The values of an insert or update, in the order its statement names them.
Params paramsOf(const void* pRec, const TableDecl& tab, guint nArg = 0) {
    Params params;
    forWritten(tab, [&](const ColDecl& col) { params.push_back(paramOf(pRec, col.f, nArg)); });
    return params;
}

} // namespace

// ---- Error text, writes grouped ----

void rowSetError(const char* pszOp, const char* pszCall, std::string_view svWhat,
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

void rowDropCache() {
    for (auto& cached : m_lstCache)
        sqlite3_finalize(cached.p);
    m_lstCache.clear();
}

gboolean rowBeginWrite(const char* pszOp, sqlite3* h) {
    return runExec(pszOp, h, "SAVEPOINT avWrite", {});
}
gboolean rowEndWrite(const char* pszOp, sqlite3* h, bool bCommit) {
    if (bCommit && runExec(pszOp, h, "RELEASE avWrite", {}))
        return TRUE;
    sqlite3_exec(h, "ROLLBACK TO avWrite", nullptr, nullptr, nullptr);
    sqlite3_exec(h, "RELEASE avWrite", nullptr, nullptr, nullptr);
    return FALSE;
}

bool rowIsAllOnes(guint64 n) {
    return (n & 0xFFFFFFFFu) == 0xFFFFFFFFu;
}

// ---- Loads and saves shared by every record type ----

const char* rowLastError() {
    return m_sqlError;
}

bool rowIsNoSuchRow() {
    return m_bNoSuchRow;
}

gboolean rowRun(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params,
                const std::function<int(sqlite3_stmt*)>& onRow) {
    return runSQL(pszOp, h, pszSQL, params, onRow);
}

gboolean rowLoad(const char* pszOp, sqlite3* h, const TableDecl& tab, const char* pszTail,
                 const Params& params, void* prcd, const std::function<int()>& onRow) {
    const bool bOne = !pszTail;
    const char* pszSQL = statement(tab, Verb::Select, pszTail);
    bool bRow = false;
    if (!runSQL(pszOp, h, pszSQL, params, [&](sqlite3_stmt* p) {
            bRow = true;
            memset(prcd, 0, tab.nlRec);
            if (tab.pfnInit)
                tab.pfnInit(prcd);
            readRow(p, prcd, tab);
            return onRow();
        }))
        return FALSE;
    return bOne && !bRow ? failNoSuchRow(pszOp, pszSQL, params) : TRUE;
}

gboolean rowSaveLog(const char* pszOp, sqlite3* h, const TableDecl& tab, guint& iID,
                    const void* prcd, guint nArg, gboolean* pbDirty) {
    Params params = paramsOf(prcd, tab, nArg);
    if (rowIsAllOnes(iID)) {
        if (!runExec(pszOp, h, statement(tab, Verb::Insert), params))
            return FALSE;
        iID = lastRowID(h);
    } else {
        params.push_back(rowUnsigned(iID));
        if (!runUpdate(pszOp, h, statement(tab, Verb::Update), params))
            return FALSE;
    }
    if (pbDirty)
        *pbDirty = FALSE;
    return TRUE;
}

// A failed update leaves no empty row behind and the record still new.
gboolean rowSaveCatalogue(const char* pszOp, sqlite3* h, const TableDecl& tab, guint& iID,
                          const void* prcd, gboolean* pbDirty) {
    const guint iOldID = iID;
    if (!rowBeginWrite(pszOp, h))
        return FALSE;
    Params params = paramsOf(prcd, tab);
    bool bOK = true;
    if (rowIsAllOnes(iID)) {
        bOK = runExec(pszOp, h, statement(tab, Verb::Skeleton), {params.front()});
        if (bOK)
            iID = lastRowID(h);
    }
    if (bOK) {
        params.push_back(rowUnsigned(iID));
        bOK = runUpdate(pszOp, h, statement(tab, Verb::Update), params);
    }
    if (!rowEndWrite(pszOp, h, bOK) || !bOK) {
        iID = iOldID;
        return FALSE;
    }
    if (pbDirty)
        *pbDirty = FALSE;
    return TRUE;
}
