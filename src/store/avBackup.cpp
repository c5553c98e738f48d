#include "avBackup.h"

#include "avErrLog.h"

#include <sqlite3.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <cstdio>
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

std::string failureText(const char* pszCall, const std::string& strWhat, const char* pszWhy) {
    return std::string(pszCall) + "(" + strWhat + ")\n" + pszWhy;
}

void logFailure(const std::string& strFailure) {
    errPostError(("bkpBackUp()\n" + strFailure).c_str());
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

// Copies the open database into a new file at strPath; "" or the failure.
std::string copyTo(sqlite3* h, const std::string& strPath) {
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
    std::string strFailure;
    if (rc != SQLITE_OK)
        strFailure = failureText("sqlite3_backup_step", strPath,
                                 hCopy ? sqlite3_errmsg(hCopy) : "out of memory");
    sqlite3_close(hCopy);
    return strFailure;
}

// The name of a new copy: stamped with this second, or just after the
// newest copy when that one has this second already (two copies within a
// second, a clock set back), so that the newest copy always sorts last.
std::string newCopyName(const std::string& strDir, const char* pszName,
                        const std::vector<std::string>& lstCopies) {
    time_t tStamp = time(nullptr);
    if (!lstCopies.empty()) {
        const std::string& strNewest = lstCopies.back();
        struct tm tmNewest {};
        if (sscanf(strNewest.c_str() + strNewest.size() - 3 - NL_STAMP, "%4d%2d%2d-%2d%2d%2d",
                   &tmNewest.tm_year, &tmNewest.tm_mon, &tmNewest.tm_mday, &tmNewest.tm_hour,
                   &tmNewest.tm_min, &tmNewest.tm_sec) == 6) {
            tmNewest.tm_year -= 1900;
            tmNewest.tm_mon -= 1;
            tStamp = std::max(tStamp, timegm(&tmNewest) + 1);
        }
    }
    char szStamp[NL_STAMP + 1];
    struct tm tmStamp;
    gmtime_r(&tStamp, &tmStamp);
    strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmStamp);
    return strDir + G_DIR_SEPARATOR_S + pszName + "-" + szStamp + ".db";
}

enum class Copy { MADE, SAME, FAILED };

// Copies the open database unless the newest copy holds the same. MADE and
// SAME name in *pstrCopy the copy that holds the database as it is now;
// FAILED says why in *pstrWhy.
Copy makeCopy(sqlite3* h, const char* pszName, std::string* pstrCopy, std::string* pstrWhy) {
    const char* pszDb = h ? sqlite3_db_filename(h, "main") : nullptr;
    if (!pszDb || !*pszDb) {
        *pstrWhy = "sqlite3_db_filename(main)\nthe database is not open";
        return Copy::FAILED;
    }
    const std::string strDir = backupDir(pszDb);
    if (g_mkdir_with_parents(strDir.c_str(), 0700) != 0) {
        *pstrWhy = failureText("g_mkdir_with_parents", strDir, g_strerror(errno));
        return Copy::FAILED;
    }
    // A copy is complete before it gets its name: a copy interrupted by a
    // crash is never taken for a backup.
    const std::string strTmp = strDir + G_DIR_SEPARATOR_S + pszName + ".tmp";
    g_remove(strTmp.c_str());
    *pstrWhy = copyTo(h, strTmp);
    if (!pstrWhy->empty()) {
        g_remove(strTmp.c_str());
        return Copy::FAILED;
    }
    std::vector<std::string> lstCopies = copiesIn(strDir, pszName);
    if (!lstCopies.empty() && sameContent(strTmp, lstCopies.back())) {
        g_remove(strTmp.c_str());
        *pstrCopy = lstCopies.back();
        return Copy::SAME;
    }
    const std::string strCopy = newCopyName(strDir, pszName, lstCopies);
    if (g_rename(strTmp.c_str(), strCopy.c_str()) != 0) {
        *pstrWhy = failureText("g_rename", strCopy, g_strerror(errno));
        g_remove(strTmp.c_str());
        return Copy::FAILED;
    }
    *pstrCopy = strCopy;
    lstCopies = copiesIn(strDir, pszName);
    for (std::size_t i = 0; i + BKP_KEEP < lstCopies.size(); ++i) {
        if (g_remove(lstCopies[i].c_str()) != 0)
            logFailure(failureText("g_remove", lstCopies[i], g_strerror(errno)));
    }
    return Copy::MADE;
}

} // namespace

gboolean bkpBackUp(sqlite3* h, const char* pszName) {
    // A database without a file (in memory) has nothing to copy.
    const char* pszDb = h ? sqlite3_db_filename(h, "main") : nullptr;
    if (!pszDb || !*pszDb)
        return FALSE;
    std::string strCopy, strWhy;
    const Copy nCopy = makeCopy(h, pszName, &strCopy, &strWhy);
    if (nCopy == Copy::FAILED)
        logFailure(strWhy);
    return nCopy == Copy::MADE;
}

gboolean bkpFreshCopy(sqlite3* h, const char* pszName, std::string* pstrCopy,
                      std::string* pstrWhy) {
    pstrCopy->clear();
    if (makeCopy(h, pszName, pstrCopy, pstrWhy) != Copy::FAILED)
        return TRUE;
    pstrCopy->clear();
    logFailure(*pstrWhy);
    return FALSE;
}

std::string bkpNewest(const char* pszDbPath, const char* pszName) {
    std::vector<std::string> lstCopies = copiesIn(backupDir(pszDbPath), pszName);
    return lstCopies.empty() ? std::string() : lstCopies.back();
}
