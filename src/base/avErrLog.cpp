#include "avErrLog.h"

#include "avPath.h"

#include <glib.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

constexpr int MAX_PIECES = 20;

struct FileCloser {
    void operator()(FILE* p) const { fclose(p); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr openLog() {
    for (const auto& path : pathCandidates("avLedger.log")) {
        if (FILE* pf = fopen(path.c_str(), "a+"))
            return FilePtr(pf);
    }
    return nullptr;
}

// Before the program installs its dialog: the log keeps the report.
int logOnly(const char* pszError, const char* pszFunction, const char* pszLocus) {
    gchar* pszLog = g_strdup_printf("Locus: %s\nFunction: %s\nError: %s", pszLocus, pszFunction,
                                    pszError ? pszError : "");
    errPostError(pszLog);
    g_free(pszLog);
    return GTK_RESPONSE_OK;
}

dlgReporter m_pfnDefault = logOnly;
dlgReporter m_pfnReporter = nullptr; // null: the default

} // namespace

void errPostError(const char* pszError) {
    if (!pszError)
        return;
    FilePtr pf = openLog();
    if (!pf)
        return;

    char szStamp[50];
    time_t tNow = time(nullptr);
    struct tm tmNow;
    gmtime_r(&tNow, &tmNow);
    size_t nlStamp = strftime(szStamp, sizeof szStamp, "%d-%b-%Y %H:%M:%S ", &tmNow);
    fputs(szStamp, pf.get());
    // The indent of continuation lines is the stamp's width in blanks.
    memset(szStamp, ' ', nlStamp);

    // An empty message still gets its (empty) first line after the stamp.
    gchar** ppszPieces = g_strsplit(pszError, "\n", MAX_PIECES);
    if (!ppszPieces[0])
        fputc('\n', pf.get());
    for (int i = 0; ppszPieces[i]; ++i) {
        if (i > 0)
            fputs(szStamp, pf.get());
        fputs(ppszPieces[i], pf.get());
        fputc('\n', pf.get());
    }
    g_strfreev(ppszPieces);
    fputc('\n', pf.get());
}

void dlgSetDefaultReporter(dlgReporter pfnReporter) {
    m_pfnDefault = pfnReporter ? pfnReporter : logOnly;
}

dlgReporter dlgSetReporter(dlgReporter pfnReporter) {
    dlgReporter pfnOld = m_pfnReporter ? m_pfnReporter : m_pfnDefault;
    m_pfnReporter = pfnReporter;
    return pfnOld;
}

int dlgReport(const char* pszError, const char* pszFunction, const char* pszLocus) {
    return (m_pfnReporter ? m_pfnReporter : m_pfnDefault)(pszError, pszFunction, pszLocus);
}
