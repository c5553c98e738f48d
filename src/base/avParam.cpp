#include "avParam.h"

#include "avErrLog.h"
#include "avFile.h"
#include "avPath.h"

#include <glib/gprintf.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

GKeyFile* m_pkeyFile = nullptr;
// A settings file that exists but could not be read; it is moved aside
// before the first write so that the user's file is never lost.
std::string m_strUnreadable;

void logFileError(const char* pszCall, int nErrno) {
    char szError[200];
    g_snprintf(szError, sizeof szError, "prmWriteKeyFile()\r\n%s()\r\n%s", pszCall,
               strerror(nErrno));
    errPostError(szError);
}

// Writes the text to "<path>.tmp", flushes it to disk and renames it over
// the path. Returns false (with errno's call logged) when any step fails;
// the existing file is then left as it was.
bool writeAtomically(const std::string& strPath, const gchar* pszText, gsize nlText) {
    switch (fileReplace(strPath.c_str(), std::string_view(pszText, nlText), true, nullptr)) {
    case FILE_STEP_CREATE:
        return false;
    case FILE_STEP_WRITE:
        logFileError("fwrite", errno);
        break; // the file was reachable; do not fall back to the other one
    case FILE_STEP_RENAME:
        logFileError("rename", errno);
        break;
    case FILE_STEP_NONE:
        break;
    }
    return true;
}

// Renames the unreadable settings file to "<name>.<stamp>.bad" and logs
// where it went. FALSE while it cannot be moved: the settings are then
// kept in memory only, rather than written over the user's file.
bool keepUnreadable() {
    static bool bLogged = false;
    if (m_strUnreadable.empty())
        return true;
    char szStamp[32];
    time_t tNow = time(nullptr);
    struct tm tmNow;
    gmtime_r(&tNow, &tmNow);
    strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmNow);
    std::string strKept = m_strUnreadable + "." + szStamp + ".bad";
    char szError[300];
    const bool bTaken = g_file_test(strKept.c_str(), G_FILE_TEST_EXISTS);
    errno = EEXIST;
    if (bTaken || rename(m_strUnreadable.c_str(), strKept.c_str()) != 0) {
        if (!bLogged) {
            g_snprintf(szError, sizeof szError, "prmWriteKeyFile()\nrename()\n%s: %s",
                       m_strUnreadable.c_str(), strerror(errno));
            errPostError(szError);
        }
        bLogged = true;
        return false;
    }
    g_snprintf(szError, sizeof szError, "prmWriteKeyFile()\nunreadable settings kept as\n%s",
               strKept.c_str());
    errPostError(szError);
    m_strUnreadable.clear();
    bLogged = false;
    return true;
}

enum class prmType { Integer, Time };

struct prmDecl {
    const gchar* pszGroup;
    const gchar* pszKey;
    prmType nType;
    gint64 nDefault, nMin, nMax;
};

constexpr gint64 PRM_INT_MAX = G_MAXINT;
constexpr gint64 PRM_TIME_MAX = G_MAXINT64;

// Indexed by prmKey_t. A hand-edited value out of bounds reads as the
// default: a negative look-ahead would wrap to an enormous one.
constexpr prmDecl m_lstDecl[PRM_NUM_KEYS] = {
    {"Aircraft", "ACID", prmType::Integer, 0, -1, PRM_INT_MAX},
    {"CompMark", "Hours", prmType::Integer, 0, 0, PRM_INT_MAX},
    {"CompMark", "Time", prmType::Integer, 0, 0, PRM_INT_MAX},
    {"MaintTree", "LastDate", prmType::Time, 0, -1, PRM_TIME_MAX},
    {"FlightLog", "LastDate", prmType::Time, 0, -1, PRM_TIME_MAX},
    {"Layout", "Width", prmType::Integer, 0, 0, PRM_INT_MAX},
    {"Layout", "Height", prmType::Integer, 0, 0, PRM_INT_MAX},
    {"Layout", "Maximized", prmType::Integer, 0, 0, 1},
};
// The pane dividers share the layout's group; their keys are builder IDs.
constexpr prmDecl m_declPane = {"Layout", nullptr, prmType::Integer, 0, 0, PRM_INT_MAX};

gint64 m_lstValue[PRM_NUM_KEYS];

// A date written by a build whose settings held 32 bits: -1 and all ones
// mean no date; other negative values are dates after 2038 that wrapped
// (no date before 1970 is ever stored).
gint64 widenOldTime(gint64 n) {
    if (n == -1 || n == 0xFFFFFFFFLL)
        return -1;
    if (n < -1 && n >= G_MININT32)
        return n + 0x100000000LL;
    return n;
}

// The key's value as the declaration reads it: a date widened from 32
// bits, anything missing, non-numeric or out of bounds as the default.
gint64 readDecl(const prmDecl& decl, const gchar* pszKey) {
    GError* pError = nullptr;
    gint64 n = m_pkeyFile ? g_key_file_get_int64(m_pkeyFile, decl.pszGroup, pszKey, &pError)
                          : decl.nDefault;
    if (pError) {
        g_error_free(pError);
        return decl.nDefault;
    }
    if (decl.nType == prmType::Time)
        n = widenOldTime(n);
    return n >= decl.nMin && n <= decl.nMax ? n : decl.nDefault;
}

void loadValues() {
    for (guint i = 0; i < PRM_NUM_KEYS; ++i)
        m_lstValue[i] = readDecl(m_lstDecl[i], m_lstDecl[i].pszKey);
}

void writeDecl(const prmDecl& decl, const gchar* pszKey, gint64 nValue) {
    if (!m_pkeyFile)
        m_pkeyFile = g_key_file_new();
    if (decl.nType == prmType::Time)
        g_key_file_set_int64(m_pkeyFile, decl.pszGroup, pszKey, nValue);
    else
        g_key_file_set_integer(m_pkeyFile, decl.pszGroup, pszKey, gint(nValue));
    prmWriteKeyFile();
}

void setValue(prmKey_t nKey, prmType nType, gint64 nValue) {
    const prmDecl& decl = m_lstDecl[nKey];
    g_return_if_fail(decl.nType == nType && nValue >= decl.nMin && nValue <= decl.nMax);
    m_lstValue[nKey] = nValue;
    writeDecl(decl, decl.pszKey, nValue);
}

} // namespace

void prmLoadKeyFile() {
    if (m_pkeyFile)
        g_key_file_free(m_pkeyFile);
    m_pkeyFile = g_key_file_new();
    m_strUnreadable.clear();
    // The error worth reporting is the one of a file that is there but
    // cannot be read, not the fallback path's "No such file".
    std::string strError;
    for (const auto& path : pathCandidates("avLedger.conf")) {
        GError* pError = nullptr;
        if (g_key_file_load_from_file(m_pkeyFile, path.c_str(), G_KEY_FILE_KEEP_COMMENTS, &pError)) {
            loadValues();
            return;
        }
        const bool bAbsent = g_error_matches(pError, G_FILE_ERROR, G_FILE_ERROR_NOENT);
        if (strError.empty() || !bAbsent)
            strError = bAbsent ? pError->message : path + ": " + pError->message;
        if (!bAbsent && m_strUnreadable.empty())
            m_strUnreadable = path;
        g_error_free(pError);
        if (!bAbsent)
            break;
    }
    char szError[200];
    g_snprintf(szError, sizeof szError, "prmLoadKeyFile()\ng_key_file_load_from_file()\n%s",
               strError.c_str());
    errPostError(szError);
    // A failed load may leave partial content behind; start from nothing.
    g_key_file_free(m_pkeyFile);
    m_pkeyFile = g_key_file_new();
    loadValues();
}

void prmWriteKeyFile() {
    if (!m_pkeyFile)
        return;
    if (!keepUnreadable())
        return;
    gsize nlText = 0;
    gchar* pszText = g_key_file_to_data(m_pkeyFile, &nlText, nullptr);
    bool bReached = false;
    int nErrno = 0;
    for (const auto& path : pathCandidates("avLedger.conf")) {
        if (writeAtomically(path, pszText, nlText)) {
            bReached = true;
            break;
        }
        nErrno = errno;
    }
    if (!bReached)
        logFileError("fopen", nErrno);
    g_free(pszText);
}

gint prmGetKeyInteger(prmKey_t nKey) {
    g_return_val_if_fail(m_lstDecl[nKey].nType == prmType::Integer, 0);
    return gint(m_lstValue[nKey]);
}

void prmSetKeyInteger(prmKey_t nKey, gint nValue) {
    setValue(nKey, prmType::Integer, nValue);
}

time_t prmGetKeyTime(prmKey_t nKey) {
    g_return_val_if_fail(m_lstDecl[nKey].nType == prmType::Time, 0);
    return time_t(m_lstValue[nKey]);
}

void prmSetKeyTime(prmKey_t nKey, time_t tValue) {
    setValue(nKey, prmType::Time, tValue);
}

gint prmGetPanePosition(const gchar* pszPaneID) {
    return gint(readDecl(m_declPane, pszPaneID));
}

void prmSetPanePosition(const gchar* pszPaneID, gint nPosition) {
    g_return_if_fail(nPosition >= m_declPane.nMin);
    writeDecl(m_declPane, pszPaneID, nPosition);
}
