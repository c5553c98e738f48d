#include "avParam.h"

#include "avErrLog.h"
#include "avPath.h"

#include <glib/gprintf.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

GKeyFile* m_pkeyFile = nullptr;

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
    std::string strTmp = strPath + ".tmp";
    FILE* pf = fopen(strTmp.c_str(), "w");
    if (!pf)
        return false;
    int nErrno = 0;
    bool bOk = fwrite(pszText, 1, nlText, pf) == nlText;
    if (!bOk)
        nErrno = errno;
    else if (fflush(pf) != 0 || fsync(fileno(pf)) != 0) {
        bOk = false;
        nErrno = errno;
    }
    if (fclose(pf) != 0 && bOk) {
        bOk = false;
        nErrno = errno;
    }
    if (!bOk) {
        logFileError("fwrite", nErrno);
        remove(strTmp.c_str());
        return true; // the file was reachable; do not fall back to the other one
    }
    if (rename(strTmp.c_str(), strPath.c_str()) != 0) {
        logFileError("rename", errno);
        remove(strTmp.c_str());
    }
    return true;
}

} // namespace

void prmLoadKeyFile() {
    if (m_pkeyFile)
        g_key_file_free(m_pkeyFile);
    m_pkeyFile = g_key_file_new();
    GError* pError = nullptr;
    for (const auto& path : pathCandidates("avLedger.conf")) {
        g_clear_error(&pError);
        if (g_key_file_load_from_file(m_pkeyFile, path.c_str(), G_KEY_FILE_KEEP_COMMENTS, &pError))
            return;
    }
    char szError[200];
    g_snprintf(szError, sizeof szError, "prmLoadKeyFile()\ng_key_file_load_from_file()\n%s",
               pError->message);
    g_error_free(pError);
    errPostError(szError);
    // A failed load may leave partial content behind; start from nothing.
    g_key_file_free(m_pkeyFile);
    m_pkeyFile = g_key_file_new();
}

void prmWriteKeyFile() {
    if (!m_pkeyFile)
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

gint prmGetKeyInteger(const gchar* pszGroup, const gchar* pszKey) {
    if (!m_pkeyFile)
        return 0;
    GError* pError = nullptr;
    gint nValue = g_key_file_get_integer(m_pkeyFile, pszGroup, pszKey, &pError);
    if (pError) {
        g_error_free(pError);
        return 0;
    }
    return nValue;
}

void prmSetKeyInteger(const gchar* pszGroup, const gchar* pszKey, gint nValue) {
    if (!m_pkeyFile)
        m_pkeyFile = g_key_file_new();
    g_key_file_set_integer(m_pkeyFile, pszGroup, pszKey, nValue);
    prmWriteKeyFile();
}
