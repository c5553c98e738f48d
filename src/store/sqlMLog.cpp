#include "sqlMLog.h"

#include "avBackup.h"
#include "avCnv.h"
#include "avPath.h"
#include "sqlRow.h"
#include "sqlTable.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

sqlite3* m_hSQL = nullptr; // the log database
sqlite3* m_hCCD = nullptr; // the catalogue database
// The log's version when it is later than SQL_LOG_VERSION (then read-only).
int m_nNewerLog = 0;

tabledef m_lstTable[6];
tabledef m_lstCCD[5];
schema m_lstSCols[MAX_SCOLS];
guint m_nSCols = 0;

// Fills a tabledef list from its declaration with every flag cleared, so that a
// second start in the same process scans afresh.
template <std::size_t N, std::size_t M>
void fillTables(tabledef (&lstTable)[N], const std::array<const TableDecl*, M>& lstDecl) {
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
    rowSetError("sqlInitialize", "sqlite3_open", szWhat, h ? sqlite3_errmsg(h) : "out of memory");
    sqlite3_close(h);
    return nullptr;
}

gboolean scanSchema(sqlite3* h, tabledef* plstTable) {
    char* pszMessage = nullptr;
    int rc =
        sqlite3_exec(h, "select * from sqlite_master", tables_callback, plstTable, &pszMessage);
    if (rc != SQLITE_OK) {
        rowSetError("sqlInitialize", "sqlite3_exec", "\"tables\"",
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
    else if (const char* psz = reinterpret_cast<const char*>(sqlite3_column_text(p, 0));
             psz && strcmp(psz, "ok") != 0)
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
    rowSetError("sqlInitialize", "PRAGMA quick_check", std::string("\"") + pszPath + "\"",
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
        rowSetError("sqlInitialize", "access", "\"" + strFolder + "\"", strWhat.c_str());
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
    rowSetError("sqlInitialize", "sqlite3_open_v2", "\"" + strPath + "\"",
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
    rowDropCache();
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
    fillTables(m_lstTable, tblLogTables);
    fillTables(m_lstCCD, tblCatalogueTables);

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
    rowSetError("sqlCheckWritable", "sqlite3_exec", "CREATE TABLE", strText.c_str());
    return FALSE;
}

const char* sqlLastError() {
    return rowLastError();
}

gboolean sqlIsNoSuchRow() {
    return rowIsNoSuchRow() ? TRUE : FALSE;
}

gboolean sqlBeginWrite(gboolean bCatalogue) {
    return rowBeginWrite("sqlBeginWrite", bCatalogue ? m_hCCD : m_hSQL);
}

gboolean sqlEndWrite(gboolean bCatalogue, gboolean bCommit) {
    return rowEndWrite("sqlEndWrite", bCatalogue ? m_hCCD : m_hSQL, bCommit);
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
        rowSetError("sqlBuildTables", "sqlite3_exec", "BEGIN", sqlite3_errmsg(hSQL));
        return FALSE;
    }
    gboolean bOK = buildTables(hSQL, plstTable);
    if (bOK && sqlite3_exec(hSQL, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        rowSetError("sqlBuildTables", "sqlite3_exec", "COMMIT", sqlite3_errmsg(hSQL));
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
            rowSetError("sqlBuildTables", "sqlite3_exec", pszStmt,
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

sqlite3* sqlLogHandle() {
    return m_hSQL;
}

sqlite3* sqlCatalogueHandle() {
    return m_hCCD;
}
