#include "avFltCSV.h"
#include "fcsvText.h"

#include "avCnv.h"
#include "avFile.h"
#include "modFLog.h"
#include "modPilot.h"
#include "rcdFLog.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <map>
#include <string_view>
#include <vector>

// ---- export ----

namespace {

std::vector<rcdFLog>* m_plstExport = nullptr;
int addExport(rcdFLog* prcd) {
    m_plstExport->push_back(*prcd);
    return 0;
}

std::map<guint, std::string>* m_pmapNames = nullptr;
int addName(rcdPilot* prcd) {
    (*m_pmapNames)[prcd->iPilotID] = fcsvReadingName(*prcd);
    return 0;
}

// "14:30", or "14:30:15" when the moment has seconds, so that a stored
// time comes back to the second.
std::string clockText(time_t t) {
    struct tm tmAt {};
    if (!gmtime_r(&t, &tmAt))
        return {};
    char sz[20];
    if (tmAt.tm_sec)
        g_snprintf(sz, sizeof sz, "%02d:%02d:%02d", tmAt.tm_hour, tmAt.tm_min, tmAt.tm_sec);
    else
        g_snprintf(sz, sizeof sz, "%02d:%02d", tmAt.tm_hour, tmAt.tm_min);
    return sz;
}

} // namespace

void fcsvAppendField(std::string& strOut, std::string_view svText) {
    const std::string str = (fcsvLooksLikeFormula(svText) ? "'" : "") + std::string(svText);
    const std::string_view sv(str);
    bool bQuote = sv.find_first_of(",;\t\"\r\n") != std::string_view::npos ||
                  (!sv.empty() && (g_ascii_isspace(sv.front()) || g_ascii_isspace(sv.back())));
    if (!bQuote) {
        strOut += sv;
        return;
    }
    strOut += '"';
    for (char c : sv) {
        if (c == '"')
            strOut += '"';
        strOut += c;
    }
    strOut += '"';
}

gboolean fcsvExportText(guint iACID, std::string* pstrText) {
    std::vector<rcdFLog> lstFlight;
    rcdFLog rcd{};
    cbFLog cb{&rcd, addExport};
    m_plstExport = &lstFlight;
    gboolean bOK = sqlLoadFLogRecord(&cb, SQL_NEW_ID, iACID);
    m_plstExport = nullptr;
    std::map<guint, std::string> mapName;
    rcdPilot rcdP{};
    cbPilot cbP{&rcdP, addName};
    m_pmapNames = &mapName;
    bOK = bOK && sqlLoadPilotRecord(&cbP, SQL_NEW_ID);
    m_pmapNames = nullptr;
    if (!bOK)
        return FALSE;

    static constexpr fcsvCol_t lstOut[] = {
        FCSV_COL_DATE, FCSV_COL_TAKEOFF, FCSV_COL_LANDING, FCSV_COL_ELAPSED, FCSV_COL_FROM,
        FCSV_COL_TO,   FCSV_COL_PILOT,   FCSV_COL_STUDENT, FCSV_COL_PAX,     FCSV_COL_NIGHT,
        FCSV_COL_IFR,  FCSV_COL_XC,      FCSV_COL_DUAL,    FCSV_COL_NOTES};
    std::string& strOut = *pstrText;
    strOut.clear();
    for (fcsvCol_t nCol : lstOut) {
        if (nCol != lstOut[0])
            strOut += ',';
        strOut += fcsvColName(nCol);
    }
    strOut += "\r\n";
    auto name = [&](guint iID) {
        auto it = mapName.find(iID);
        return it == mapName.end() ? std::string() : it->second;
    };
    auto yes = [](guint nType, guint nBit) { return (nType & nBit) ? "yes" : "no"; };
    for (const rcdFLog& f : lstFlight) {
        gchar szDate[30], szHours[30];
        cnvDcdDate(szDate, sizeof szDate, f.tFltBegin, 0);
        cnvDcdHours(szHours, sizeof szHours, f.nElapsed);
        const std::string lstValue[] = {
            szDate,
            fltTakeOffKnown(f.tFltBegin, f.nType) ? clockText(f.tFltBegin) : "",
            f.tFltEnd > FLT_MAX_DURATION ? clockText(f.tFltEnd) : "",
            szHours,
            f.szFrom,
            f.szTo,
            name(f.iPilotID),
            name(f.iStudentID),
            f.szPaxList,
            yes(f.nType, FLT_TYPE_NIGHT),
            yes(f.nType, FLT_TYPE_IFR),
            yes(f.nType, FLT_TYPE_XC),
            yes(f.nType, FLT_TYPE_DUAL),
            f.szNotes,
        };
        for (const auto& str : lstValue) {
            if (&str != &lstValue[0])
                strOut += ',';
            fcsvAppendField(strOut, str);
        }
        strOut += "\r\n";
    }
    return TRUE;
}

gboolean fcsvIsOwnFile(const char* pszPath, std::string* pstrWhy) {
    gchar* pszBase = g_path_get_basename(pszPath);
    std::string strBase = pszBase;
    g_free(pszBase);
    for (const char* pszOwn : {"avLedger.db", "avLedger.conf", "avLedger.log", "avCCD.db"})
        if (g_ascii_strcasecmp(strBase.c_str(), pszOwn) == 0) {
            *pstrWhy = strBase + " is one of the program's own files; choose another name.";
            return TRUE;
        }
    return FALSE;
}

gboolean fcsvExportFile(guint iACID, const char* pszPath, std::string* pstrWhy) {
    // The program's own files are never the target of an export.
    if (fcsvIsOwnFile(pszPath, pstrWhy))
        return FALSE;
    std::string strText;
    if (!fcsvExportText(iACID, &strText)) {
        *pstrWhy = sqlLastError();
        return FALSE;
    }
    GError* pError = nullptr;
    if (fileReplace(pszPath, strText, false, &pError) != FILE_STEP_NONE) {
        *pstrWhy = pError->message;
        g_error_free(pError);
        return FALSE;
    }
    return TRUE;
}
