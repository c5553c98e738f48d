#include "modDefect.h"

#include "avCnv.h"
#include "avErrLog.h"
#include "modMaint.h"
#include "rcdComp.h"
#include "rcdFLog.h"
#include "rcdMaint.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<const char*, DFCT_SEVERITY_NUM> m_lstSeverity = {
    "Grounding", "Before next inspection", "Note"};

std::vector<rcdDefect>* m_plstRead = nullptr;

int readCallback(rcdDefect* prcd) {
    m_plstRead->push_back(*prcd);
    return 0;
}

gboolean readAll(guint iACID, std::vector<rcdDefect>* plst) {
    rcdDefect rcd{};
    cbDefect cb{&rcd, readCallback};
    m_plstRead = plst;
    const gboolean bOK = sqlLoadDefectRecords(&cb, iACID);
    m_plstRead = nullptr;
    if (!bOK)
        dlgReport(sqlLastError(), "dfctLoad()", "modDefect");
    return bOK;
}

std::string compText(guint iCompID) {
    if (!iCompID)
        return "";
    rcdComp rcd{};
    cbComp cb{&rcd, nullptr, nullptr};
    if (!sqlLoadCompCard(&cb, iCompID, 0))
        return "card " + std::to_string(iCompID);
    std::string str = rcd.szPartDesc;
    if (*rcd.szPartNmbr)
        str += std::string(" (") + rcd.szPartNmbr + ")";
    return str;
}

std::string flightText(guint iFLogID) {
    if (!iFLogID)
        return "";
    rcdFLog rcd{};
    cbFLog cb{&rcd, nullptr};
    if (!sqlLoadFLogRecord(&cb, iFLogID, 0) || rcd.bDelete)
        return "";
    return cnvDateText(rcd.tFltBegin, CNV_DCD_WITH_TIME);
}

std::string maintText(guint iMaintID) {
    rcdMaint rcd{};
    if (!sqlLoadMaintRecord(&rcd, iMaintID) || rcd.bDelete)
        return "Maintenance record (no longer in the log)";
    const char* pszKind = mmodKindText(rcd.bFlags);
    return "Maintenance record of " + cnvDateText(rcd.tComplete) + " (" +
           (pszKind && *pszKind ? pszKind : "Inspected") + ")";
}

std::string howText(const rcdDefect& rcd) {
    std::string str = rcd.iMaintID ? maintText(rcd.iMaintID) : "";
    if (*rcd.szHow)
        str += (str.empty() ? "" : ": ") + std::string(rcd.szHow);
    if (*rcd.szBy)
        str += std::string(" — cleared by ") + rcd.szBy;
    return str;
}

// Flights begun after the report. A report dated by its day alone may
// have come after any flight of that day: those are not counted.
guint flightsSince(const rcdDefect& rcd) {
    const time_t tAfter =
        rcd.tReported % SECONDS_PER_DAY == 0 ? rcd.tReported + SECONDS_PER_DAY - 1 : rcd.tReported;
    guint n = 0;
    if (!sqlCountFlightsAfter(rcd.iACID, tAfter, &n))
        dlgReport(sqlLastError(), "dfctLoad()", "modDefect");
    return n;
}

dfctLine lineOf(const rcdDefect& rcd, time_t tNow) {
    dfctLine line{rcd,
                  0,
                  0,
                  dfctSeverityText(rcd.nSeverity),
                  cnvDateText(rcd.tReported),
                  compText(rcd.iCompID),
                  flightText(rcd.iFLogID),
                  "",
                  ""};
    if (rcd.tCleared > 0) {
        line.nAgeDays = cnvDaysBetween(rcd.tReported, rcd.tCleared);
        line.strCleared = cnvDateText(rcd.tCleared);
        line.strHow = howText(rcd);
    } else {
        line.nAgeDays = cnvDaysBetween(rcd.tReported, tNow);
        line.nFlightsSince = flightsSince(rcd);
    }
    return line;
}

bool refersTo(const rcdDefect& rcd, guint iFLogID, guint iMaintID) {
    return (iFLogID && rcd.iFLogID == iFLogID) || (iMaintID && rcd.iMaintID == iMaintID);
}

gboolean store(rcdDefect* prcd, const char* pszFunction) {
    if (sqlUpdateDefectRecord(prcd))
        return TRUE;
    dlgReport(sqlLastError(), pszFunction, "modDefect");
    return FALSE;
}

bool isGrounding(const rcdDefect& rcd) {
    return rcd.tCleared <= 0 && rcd.nSeverity == DFCT_GROUNDING;
}

std::string groundingText(std::ptrdiff_t n) {
    if (n == 0)
        return "";
    return cnvCount(n, "open grounding defect", "open grounding defects");
}

bool isBlank(const char* psz) {
    return !psz || std::all_of(psz, psz + strlen(psz), [](char c) { return g_ascii_isspace(c); });
}

} // namespace

cmodLook dfctLook(guint nSeverity) {
    return cmodDueLook(nSeverity == DFCT_GROUNDING     ? CCD_DUESTAT_RCODUE
                       : nSeverity == DFCT_BEFORE_INSP ? CCD_DUESTAT_INSPDUE
                                                       : CCD_DUESTAT_NONE);
}

const char* dfctSeverityText(guint nSeverity) {
    return nSeverity < m_lstSeverity.size() ? m_lstSeverity[nSeverity] : "";
}

rcdDefect dfctNew(guint iACID, time_t tReported) {
    rcdDefect rcd{};
    rcd.iDefectID = SQL_NEW_ID;
    rcd.iACID = iACID;
    rcd.tReported = tReported;
    rcd.nSeverity = DFCT_GROUNDING;
    return rcd;
}

gboolean dfctLoad(guint iACID, time_t tNow, dfctList* pList) {
    *pList = dfctList{};
    std::vector<rcdDefect> lst;
    const gboolean bOK = readAll(iACID, &lst);
    for (const rcdDefect& rcd : lst)
        (rcd.tCleared > 0 ? pList->lstCleared : pList->lstOpen).push_back(lineOf(rcd, tNow));
    std::stable_sort(
        pList->lstOpen.begin(), pList->lstOpen.end(),
        [](const dfctLine& a, const dfctLine& b) { return a.rcd.nSeverity < b.rcd.nSeverity; });
    std::stable_sort(
        pList->lstCleared.begin(), pList->lstCleared.end(),
        [](const dfctLine& a, const dfctLine& b) { return a.rcd.tCleared > b.rcd.tCleared; });
    return bOK;
}

std::string dfctBannerText(const dfctList& list) {
    return groundingText(std::count_if(list.lstOpen.begin(), list.lstOpen.end(),
                                       [](const dfctLine& l) { return isGrounding(l.rcd); }));
}

std::string dfctBannerTextFor(guint iACID) {
    std::vector<rcdDefect> lst;
    readAll(iACID, &lst);
    return groundingText(std::count_if(lst.begin(), lst.end(), isGrounding));
}

gboolean dfctCardHasOpen(const dfctList& list, guint iCompID) {
    return iCompID &&
           std::any_of(list.lstOpen.begin(), list.lstOpen.end(),
                       [iCompID](const dfctLine& l) { return l.rcd.iCompID == iCompID; });
}

std::string dfctFlightQuestion(const dfctList& list, time_t tStart) {
    for (const dfctLine& l : list.lstOpen)
        if (l.rcd.nSeverity == DFCT_GROUNDING && tStart >= l.rcd.tReported)
            return "'" + std::string(l.rcd.szDesc) + "' was reported grounding on " +
                   l.strReported + ": log the flight anyway?";
    return "";
}

const char* dfctRefusal(const rcdDefect& rcd) {
    if (rcd.iACID == 0 || rcd.iACID == SQL_NEW_ID)
        return "A defect belongs to an aircraft: choose one on the aircraft page first.";
    if (isBlank(rcd.szDesc))
        return "A defect needs a description of what was found.";
    if (rcd.tReported <= 0)
        return "A defect needs the date it was found.";
    if (rcd.nSeverity >= DFCT_SEVERITY_NUM)
        return "Choose how bad the defect is.";
    return nullptr;
}

gboolean dfctSave(rcdDefect* prcd) {
    if (const char* pszWhy = dfctRefusal(*prcd)) {
        dlgReport(pszWhy, "dfctSave()", "modDefect");
        return FALSE;
    }
    return store(prcd, "dfctSave()");
}

const char* dfctClearRefusal(const rcdDefect& rcd, time_t tWhen, guint iMaintID,
                             const char* pszHow) {
    if (rcd.tCleared > 0)
        return "This defect is cleared already.";
    if (tWhen <= 0)
        return "A clearing needs its date.";
    if (tWhen < rcd.tReported - rcd.tReported % SECONDS_PER_DAY)
        return "A defect cannot be cleared before the day it was found.";
    if (!iMaintID && isBlank(pszHow))
        return "Say how the defect was cleared, or clear it by the maintenance record that "
               "fixed it.";
    return nullptr;
}

gboolean dfctClear(guint iDefectID, time_t tWhen, guint iMaintID, const char* pszHow,
                   const char* pszBy) {
    rcdDefect rcd{};
    if (!sqlLoadDefectRecord(&rcd, iDefectID)) {
        dlgReport(sqlLastError(), "dfctClear()", "modDefect");
        return FALSE;
    }
    const char* pszWhy = dfctClearRefusal(rcd, tWhen, iMaintID, pszHow);
    if (pszWhy) {
        dlgReport(pszWhy, "dfctClear()", "modDefect");
        return FALSE;
    }
    rcd.tCleared = tWhen;
    rcd.iMaintID = iMaintID;
    mscCopyText(rcd.szHow, pszHow);
    mscCopyText(rcd.szBy, pszBy);
    return store(&rcd, "dfctClear()");
}

std::string dfctDeleteNote(guint iACID, guint iFLogID, guint iMaintID) {
    std::vector<rcdDefect> lst;
    readAll(iACID, &lst);
    std::string strNames;
    guint n = 0;
    for (const rcdDefect& rcd : lst)
        if (refersTo(rcd, iFLogID, iMaintID)) {
            strNames += (n++ ? ", '" : "'") + std::string(rcd.szDesc) + "'";
        }
    if (n == 0)
        return "";
    const bool bOne = n == 1;
    if (iFLogID)
        return std::string(bOne ? "It is named by the defect " : "It is named by the defects ") +
               strNames + (bOne ? ", which is kept; its link" : ", which are kept; their link") +
               " to the flight is cleared.";
    return std::string(bOne ? "It cleared the defect " : "It cleared the defects ") + strNames +
           (bOne ? ", which is kept and open again." : ", which are kept and open again.");
}

gboolean dfctForgetLinks(guint iACID, guint iFLogID, guint iMaintID, const char* pszWhat,
                         time_t tNow) {
    std::vector<rcdDefect> lst;
    if (!readAll(iACID, &lst))
        return FALSE;
    if (!sqlBeginWrite(FALSE)) {
        dlgReport(sqlLastError(), "dfctForgetLinks()", "modDefect");
        return FALSE;
    }
    gboolean bOK = TRUE;
    for (rcdDefect& rcd : lst) {
        if (!refersTo(rcd, iFLogID, iMaintID))
            continue;
        std::string strNote;
        if (iFLogID && rcd.iFLogID == iFLogID) {
            rcd.iFLogID = 0;
            strNote = "Its " + std::string(pszWhat) + " was deleted on " + cnvDateText(tNow) + ".";
        } else {
            rcd.iMaintID = 0;
            rcd.tCleared = 0;
            rcd.szHow[0] = rcd.szBy[0] = '\0';
            strNote = "The " + std::string(pszWhat) + " that cleared it was deleted on " +
                      cnvDateText(tNow) + "; it is open again.";
        }
        if (*rcd.szLink)
            strNote = std::string(rcd.szLink) + " " + strNote;
        mscCopyText(rcd.szLink, strNote.c_str());
        if (!(bOK = sqlUpdateDefectRecord(&rcd)))
            break;
    }
    if (!sqlEndWrite(FALSE, bOK) || !bOK) {
        dlgReport(sqlLastError(), "dfctForgetLinks()", "modDefect");
        return FALSE;
    }
    return TRUE;
}
