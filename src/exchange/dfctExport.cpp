#include "dfctExport.h"

#include "avFile.h"
#include "avFltCSV.h"
#include "sqlMLog.h"

namespace {

std::string count(gint64 n) {
    return std::to_string(n);
}

void appendRow(std::string& strOut, std::initializer_list<std::string> lst) {
    bool bFirst = true;
    for (const std::string& str : lst) {
        if (!bFirst)
            strOut += ',';
        bFirst = false;
        fcsvAppendField(strOut, str);
    }
    strOut += "\r\n";
}

} // namespace

std::string dfctExportText(const dfctList& list) {
    std::string strOut;
    appendRow(strOut, {"Status", "Severity", "Reported", "Days open", "Flights since", "Component",
                       "Flight", "Description", "Cleared", "How cleared", "Note"});
    for (const auto* plst : {&list.lstOpen, &list.lstCleared})
        for (const dfctLine& l : *plst)
            appendRow(strOut,
                      {plst == &list.lstOpen ? "Open" : "Cleared", l.strSeverity, l.strReported,
                       count(l.nAgeDays), plst == &list.lstOpen ? count(l.nFlightsSince) : "",
                       l.strComp, l.strFlight, l.rcd.szDesc, l.strCleared, l.strHow, l.rcd.szLink});
    return strOut;
}

gboolean dfctExportFile(guint iACID, const char* pszPath, std::string* pstrWhy) {
    if (fcsvIsOwnFile(pszPath, pstrWhy))
        return FALSE;
    dfctList list;
    if (!dfctLoad(iACID, time(nullptr), &list)) {
        *pstrWhy = sqlLastError();
        return FALSE;
    }
    GError* pError = nullptr;
    if (fileReplace(pszPath, dfctExportText(list), false, &pError) != FILE_STEP_NONE) {
        *pstrWhy = pError->message;
        g_error_free(pError);
        return FALSE;
    }
    return TRUE;
}
