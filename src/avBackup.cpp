#include "avBackup.h"

#include "avErrLog.h"

#include <sqlite3.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// "<name>-YYYYMMDD-HHMMSS.db": the stamp sorts as the time does.
constexpr std::size_t NL_STAMP = 15;

std::string backupDir(const char* pszDbPath) {
    gchar* pszDir = g_path_get_dirname(pszDbPath);
    std::string strDir = std::string(pszDir) + G_DIR_SEPARATOR_S + "backup";
    g_free(pszDir);
    return strDir;
}

bool isCopyName(const char* pszFile, const std::string& strPrefix) {
    const std::size_t nl = strlen(pszFile);
    if (nl != strPrefix.size() + NL_STAMP + 3 ||
        strncmp(pszFile, strPrefix.c_str(), strPrefix.size()) != 0 ||
        strcmp(pszFile + nl - 3, ".db") != 0)
        return false;
    const char* pszStamp = pszFile + strPrefix.size();
    for (std::size_t i = 0; i < NL_STAMP; ++i) {
        if (i == 8 ? pszStamp[i] != '-' : !g_ascii_isdigit(pszStamp[i]))
            return false;
    }
    return true;
}

// The copies of one database in the folder, oldest first.
std::vector<std::string> copiesIn(const std::string& strDir, const char* pszName) {
    std::vector<std::string> lstCopies;
    GDir* pDir = g_dir_open(strDir.c_str(), 0, nullptr);
    if (!pDir)
        return lstCopies;
    const std::string strPrefix = std::string(pszName) + "-";
    while (const gchar* pszFile = g_dir_read_name(pDir)) {
        if (isCopyName(pszFile, strPrefix))
            lstCopies.push_back(strDir + G_DIR_SEPARATOR_S + pszFile);
    }
    g_dir_close(pDir);
    std::sort(lstCopies.begin(), lstCopies.end());
    return lstCopies;
}

void logFailure(const char* pszCall, const std::string& strWhat, const char* pszWhy) {
    char szError[600];
    g_snprintf(szError, sizeof szError, "bkpBackUp()\n%s(%s)\n%s", pszCall, strWhat.c_str(),
               pszWhy);
    errPostError(szError);
}

// Whether two copies hold the same pages. The header's change counter
// and the version stamp beside it (bytes 24-27 and 92-99) differ between
// copies of the same content, so they are not compared.
bool sameContent(const std::string& strA, const std::string& strB) {
    gchar *pA = nullptr, *pB = nullptr;
    gsize nlA = 0, nlB = 0;
    bool bSame = g_file_get_contents(strA.c_str(), &pA, &nlA, nullptr) &&
                 g_file_get_contents(strB.c_str(), &pB, &nlB, nullptr) && nlA == nlB;
    // Compared piecewise around the two header fields.
    for (auto [nFrom, nTo] : {std::pair<gsize, gsize>{0, 24}, {28, 92}, {100, nlA}}) {
        if (bSame && nFrom < nlA)
            bSame = memcmp(pA + nFrom, pB + nFrom, std::min(nTo, nlA) - nFrom) == 0;
    }
    g_free(pA);
    g_free(pB);
    return bSame;
}

// Copies the open database into a new file at strPath.
bool copyTo(sqlite3* h, const std::string& strPath) {
    sqlite3* hCopy = nullptr;
    int rc = sqlite3_open_v2(strPath.c_str(), &hCopy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    if (rc == SQLITE_OK) {
        if (sqlite3_backup* pBackup = sqlite3_backup_init(hCopy, "main", h, "main")) {
            sqlite3_backup_step(pBackup, -1);
            sqlite3_backup_finish(pBackup);
        }
        rc = sqlite3_errcode(hCopy);
        // A copy is one self-contained file, whatever journal the log uses:
        // opening it never leaves companion files that a restore could miss.
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(hCopy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK)
        logFailure("sqlite3_backup_step", strPath, hCopy ? sqlite3_errmsg(hCopy) : "out of memory");
    sqlite3_close(hCopy);
    return rc == SQLITE_OK;
}

} // namespace

gboolean bkpBackUp(sqlite3* h, const char* pszName) {
    const char* pszDb = h ? sqlite3_db_filename(h, "main") : nullptr;
    if (!pszDb || !*pszDb)
        return FALSE;
    const std::string strDir = backupDir(pszDb);
    if (g_mkdir_with_parents(strDir.c_str(), 0700) != 0) {
        logFailure("g_mkdir_with_parents", strDir, g_strerror(errno));
        return FALSE;
    }
    // A copy is complete before it gets its name: a copy interrupted by a
    // crash is never taken for a backup.
    const std::string strTmp = strDir + G_DIR_SEPARATOR_S + pszName + ".tmp";
    g_remove(strTmp.c_str());
    if (!copyTo(h, strTmp)) {
        g_remove(strTmp.c_str());
        return FALSE;
    }
    std::vector<std::string> lstCopies = copiesIn(strDir, pszName);
    if (!lstCopies.empty() && sameContent(strTmp, lstCopies.back())) {
        g_remove(strTmp.c_str());
        return FALSE;
    }
    char szStamp[NL_STAMP + 1];
    time_t tNow = time(nullptr);
    struct tm tmNow;
    gmtime_r(&tNow, &tmNow);
    strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmNow);
    const std::string strCopy = strDir + G_DIR_SEPARATOR_S + pszName + "-" + szStamp + ".db";
    // Two starts within one second: the earlier copy stays.
    if (g_file_test(strCopy.c_str(), G_FILE_TEST_EXISTS) ||
        g_rename(strTmp.c_str(), strCopy.c_str()) != 0) {
        logFailure("g_rename", strCopy,
                   g_file_test(strCopy.c_str(), G_FILE_TEST_EXISTS) ? "a copy of this second exists"
                                                                    : g_strerror(errno));
        g_remove(strTmp.c_str());
        return FALSE;
    }
    lstCopies = copiesIn(strDir, pszName);
    for (std::size_t i = 0; i + BKP_KEEP < lstCopies.size(); ++i) {
        if (g_remove(lstCopies[i].c_str()) != 0)
            logFailure("g_remove", lstCopies[i], g_strerror(errno));
    }
    return TRUE;
}

std::string bkpNewest(const char* pszDbPath, const char* pszName) {
    std::vector<std::string> lstCopies = copiesIn(backupDir(pszDbPath), pszName);
    return lstCopies.empty() ? std::string() : lstCopies.back();
}
