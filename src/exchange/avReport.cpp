#include "avReport.h"

#include "avCnv.h"
#include "avPlot.h"
#include "avTree.h"
#include "modAC.h"
#include "modComp.h"
#include "modDefect.h"
#include "modDue.h"
#include "modFLog.h"
#include "modMaint.h"
#include "modPilot.h"
#include "rcdAC.h"
#include "sqlMLog.h"

#include <array>
#include <utility>

namespace {

std::string hoursText(gint64 nTenths) {
    char sz[40];
    cnvDcdHours(sz, sizeof sz, nTenths);
    return sz;
}

// What the card row says about the component besides its due line.
struct cardFacts {
    std::string strInspIntv, strRCOIntv, strInspLast, strInspHours, strRCOLast, strRCOHours,
        strCompHours;
    // Where every limit of the card next falls due, due or not ("" when the
    // card has no such limit).
    std::string strNextInsp, strNextRCOHours, strNextRCODate;
};

// The next due point of each limit, as the card's due entries work it out.
void addNextDue(cardFacts* pF, GtkTreeIter* piterComp) {
    std::array<cmodDueFigure, CCD_LIMIT_NUM> figs{};
    cmodDueFigures(piterComp, figs.data());
    auto hoursAt = [&](int iLimit) {
        return figs[size_t(iLimit)].bSet ? hoursText(figs[size_t(iLimit)].nDueHours) : "";
    };
    pF->strNextInsp = hoursAt(CCD_LIMIT_INSP_HOURS);
    pF->strNextRCOHours = hoursAt(CCD_LIMIT_RCO_HOURS);
    const cmodDueFigure& cal = figs[CCD_LIMIT_RCO_CAL];
    // An unknown fitting date counts as spent: the due rules call it due now.
    pF->strNextRCODate = !cal.bSet ? "" : cal.tDue == -1 ? "unknown" : cnvDateText(cal.tDue);
}

// "at 123.4 A/F hrs or on 01-Jan-2027"; "none" for a card without the limit.
std::string nextDueText(const std::string& strHours, const std::string& strDate) {
    std::string str = strHours.empty() ? "" : "at " + strHours + " A/F hrs";
    if (!strDate.empty())
        str += (str.empty() ? "on " : " or on ") + strDate;
    return str.empty() ? "none" : str;
}

cardFacts factsOf(GtkTreeIter* piterComp, gint64 nAFTotal) {
    GtkTreeModel* pModel = cmodGetModel();
    gint64 tInspLast = 0, tRCOLast = 0;
    guint nInspIntv = 0, nRCOIntv = 0, nRCOHours = 0;
    gtk_tree_model_get(pModel, piterComp, CCD_INSPLAST_COL, &tInspLast, CCD_INSPINTV_COL,
                       &nInspIntv, CCD_RCOLAST_COL, &tRCOLast, CCD_RCOINTV_COL, &nRCOIntv,
                       CCD_RCOHOURS_COL, &nRCOHours, -1);
    cardFacts f;
    char szRCO[60];
    // Both read as on the card: "50 HR", "100 HR or 5 yrs".
    if (nInspIntv) {
        cnvDcdRCO(szRCO, sizeof szRCO, nInspIntv / 10);
        f.strInspIntv = szRCO;
    }
    cnvDcdRCO(szRCO, sizeof szRCO, nRCOIntv);
    f.strRCOIntv = szRCO;
    f.strInspLast = tInspLast == -1 ? "unknown" : cnvDateText(time_t(tInspLast));
    f.strInspHours = hoursText(mmodAFHoursAt(time_t(tInspLast)));
    f.strRCOLast = tRCOLast == -1 ? "unknown" : cnvDateText(time_t(tRCOLast));
    gint64 nAtRCO = mmodAFHoursAt(time_t(tRCOLast));
    f.strRCOHours = hoursText(nAtRCO);
    // Hours on the part: what it had when fitted plus what the airframe
    // has flown since.
    f.strCompHours = hoursText(gint64(nRCOHours) + nAFTotal - nAtRCO);
    addNextDue(&f, piterComp);
    return f;
}

std::vector<rcdMaint> m_lstHistory;

int historyCallback(rcdMaint* prcdMaint) {
    m_lstHistory.push_back(*prcdMaint);
    return 0;
}

// Reads a component's records into m_lstHistory; FALSE when the load failed.
gboolean loadHistory(guint iCompID, guint iACID) {
    m_lstHistory.clear();
    rcdMaint rcd{};
    cbMaint cb{&rcd, historyCallback};
    return sqlLoadMaintRecords(&cb, iCompID, iACID);
}

// Without a record of the work the dates are the aircraft's manufacture,
// which the due rules count from; an inspector must not read them as work
// done.
void markUnrecorded(cardFacts* pF) {
    bool bInspected = false, bReplaced = false;
    for (const rcdMaint& r : m_lstHistory) {
        if (r.bFlags & MNT_FLAG_UNFINISHED)
            continue; // states no work
        bool bRepl = r.bFlags & (MNT_KIND_REPLACE_NEW | MNT_KIND_REPLACE_USED);
        bReplaced |= bRepl;
        bInspected |= bRepl || !(r.bFlags & (MNT_KIND_DEFER_INSP | MNT_KIND_DEFER_RCO));
    }
    if (!bInspected) {
        pF->strInspLast = "none recorded";
        pF->strInspHours.clear();
    }
    if (!bReplaced) {
        pF->strRCOLast = "never (original part)";
        pF->strRCOHours.clear();
    }
}

// A used part as fitted: "used, 80.0 hrs, 2 Years old".
std::string usedPartText(guint nHours, guint nAge) {
    char szAge[40];
    cnvDcdInterval(szAge, sizeof szAge, nAge);
    return "used, " + hoursText(nHours) + " hrs" +
           (szAge[0] ? std::string(", ") + szAge + " old" : "");
}

void addHistory(rptDoc* pDoc, gboolean bLoaded) {
    if (!bLoaded) {
        pDoc->add(RPT_TEXT, "The maintenance history could not be read.");
        return;
    }
    if (m_lstHistory.empty()) {
        pDoc->add(RPT_TEXT, "No maintenance recorded.");
        return;
    }
    rptTable& tbl = pDoc->addTable({"Date", "A/F hrs", "Work", "Part fitted", "Deferral", "Notes"},
                                   {1.5, 0.8, 1.9, 1.2, 1.3, 3.7});
    for (const rcdMaint& r : m_lstHistory) {
        const gchar* pszKind = mmodKindText(r.bFlags);
        std::string strPart, strDefer;
        if (r.bFlags & MNT_KIND_REPLACE_NEW)
            strPart = "new";
        else if (r.bFlags & MNT_KIND_REPLACE_USED)
            strPart = usedPartText(r.nCompHours, r.nCompAge);
        else if (r.bFlags & (MNT_KIND_DEFER_INSP | MNT_KIND_DEFER_RCO))
            strDefer = hoursText(r.nDeferHours) + " hrs, " + cnvCount(r.nDeferDays, "day", "days");
        tbl.addRow({cnvDateText(r.tComplete, CNV_DCD_WITH_TIME),
                    hoursText(mmodAFHoursAt(r.tComplete)), *pszKind ? pszKind : "Inspected",
                    strPart, strDefer, r.szNotes});
    }
}

std::vector<std::string> csvHeadings() {
    std::vector<std::string> lst{"Group", "Sub-group"};
    for (const std::string& str : dueHeadings())
        lst.push_back(str == "Item" ? "Component" : str);
    for (const char* psz :
         {"Inspection interval", "Replacement limit", "Last inspection",
          "A/F hrs at last inspection", "Last replacement", "A/F hrs at last replacement",
          "Component hours", "Next inspection at A/F hrs", "Next replacement at A/F hrs",
          "Next replacement on", "Forecast"})
        lst.emplace_back(psz);
    return lst;
}

// A card row of the tree that fits the aircraft (edit mode shows the others
// in italics); *pnType (when given) says what kind of row it is.
bool fittedCard(GtkTreeIter* piter, guint* pnType) {
    guint nType = 0, nStyle = 0;
    gtk_tree_model_get(cmodGetModel(), piter, CCD_TYPE_COL, &nType, CCD_STYLE_COL, &nStyle, -1);
    if (pnType)
        *pnType = nType;
    return nType == TYPE_COMP && nStyle != PANGO_STYLE_ITALIC;
}

// The cards under a group or sub-group row, each with its facts and history.
void addCards(rptDoc* pDoc, GtkTreeIter* piterParent, const std::string& strGroup,
              const std::string& strSub, gint64 nAFTotal, guint iACID) {
    GtkTreeModel* pModel = cmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        if (!fittedCard(&iter, nullptr))
            continue;
        dueLine line = dueCompLine(&iter);
        cardFacts f = factsOf(&iter, nAFTotal);
        gboolean bLoaded = loadHistory(line.iID, iACID);
        if (bLoaded)
            markUnrecorded(&f);
        std::vector<std::string> lstCsv{strGroup, strSub};
        for (std::string& str : dueRowCells(line))
            lstCsv.push_back(std::move(str));
        for (const std::string* p : {&f.strInspIntv, &f.strRCOIntv, &f.strInspLast, &f.strInspHours,
                                     &f.strRCOLast, &f.strRCOHours, &f.strCompHours, &f.strNextInsp,
                                     &f.strNextRCOHours, &f.strNextRCODate, &line.strForecast})
            lstCsv.push_back(*p);
        pDoc->lstCsv.push_back(std::move(lstCsv));

        pDoc->add(RPT_ITEM, line.strName + (line.strPart.empty() ? "" : "   " + line.strPart));
        std::string strFacts =
            "Inspection interval " + (f.strInspIntv.empty() ? "none" : f.strInspIntv) +
            "     Replacement limit " + (f.strRCOIntv.empty() ? "none" : f.strRCOIntv) +
            "     Component hours " + f.strCompHours + "\nLast inspection " + f.strInspLast +
            (f.strInspHours.empty() ? "" : " at " + f.strInspHours + " A/F hrs") +
            "     Last replacement " + f.strRCOLast +
            (f.strRCOHours.empty() ? "" : " at " + f.strRCOHours + " A/F hrs") +
            "\nNext inspection " + nextDueText(f.strNextInsp, "") + "     Next replacement " +
            nextDueText(f.strNextRCOHours, f.strNextRCODate);
        if (line.nState != CCD_DUESTAT_NONE)
            strFacts += "\n" + line.strWhat + ": " + line.strState + ", due at " +
                        line.strDuePoint + ", " + line.strLeft +
                        (line.strDefer.empty() ? "" : ", deferral " + line.strDefer);
        if (!line.strForecast.empty())
            strFacts += "\nForecast " + line.strWhat + ": " + line.strForecast;
        pDoc->add(RPT_TEXT, strFacts);
        addHistory(pDoc, bLoaded);
    }
}

bool hasCards(GtkTreeIter* piterParent) {
    GtkTreeModel* pModel = cmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = TYPE_COMP;
        if (fittedCard(&iter, &nType) || (nType != TYPE_COMP && hasCards(&iter)))
            return true;
    }
    return false;
}

void addComponents(rptDoc* pDoc, gint64 nAFTotal, guint iACID) {
    GtkTreeModel* pModel = cmodGetModel();
    GtkTreeIter iterGrp, iterSub;
    for (gboolean b = pModel && gtk_tree_model_get_iter_first(pModel, &iterGrp); b;
         b = gtk_tree_model_iter_next(pModel, &iterGrp)) {
        if (!hasCards(&iterGrp))
            continue;
        std::string strGroup = mscTreeText(pModel, &iterGrp, CCD_COMP_COL);
        pDoc->add(RPT_HEADING, strGroup);
        addCards(pDoc, &iterGrp, strGroup, "", nAFTotal, iACID);
        for (gboolean bSub = gtk_tree_model_iter_children(pModel, &iterSub, &iterGrp); bSub;
             bSub = gtk_tree_model_iter_next(pModel, &iterSub)) {
            guint nType = 0;
            gtk_tree_model_get(pModel, &iterSub, CCD_TYPE_COL, &nType, -1);
            if (nType != TYPE_SUB || !hasCards(&iterSub))
                continue;
            std::string strSub = mscTreeText(pModel, &iterSub, CCD_COMP_COL);
            pDoc->add(RPT_SUBHEADING, strSub);
            addCards(pDoc, &iterSub, strGroup, strSub, nAFTotal, iACID);
        }
    }
}

// Records filed under cards the component list no longer shows: cards
// deleted from the catalogue, and cards whose options no longer fit the
// aircraft. Their history still counts for an inspector. A deleted card's
// row is only marked deleted, never removed, so its name is read from
// there; a card missing altogether (another catalogue) is named by its
// number.
void addDeletedCards(rptDoc* pDoc, guint iACID) {
    constexpr const char* pszHeading = "Deleted and unfitted cards";
    std::vector<std::pair<guint, guint>> lstCards;
    const gboolean bCounted = sqlCountMaintByCard(iACID, &lstCards);
    bool bHeading = false;
    auto heading = [&] {
        if (!bHeading)
            pDoc->add(RPT_HEADING, pszHeading);
        bHeading = true;
    };
    if (!bCounted) {
        heading();
        pDoc->add(RPT_TEXT, "The records of deleted and unfitted cards could not be read.");
        return;
    }
    for (auto [iCompID, nRecords] : lstCards) {
        rcdComp rcd{};
        cbComp cb{&rcd, nullptr, nullptr};
        const bool bFound = sqlLoadCompCard(&cb, iCompID, 0) && rcd.iCompID == iCompID;
        const bool bFits = bFound && cmodAcceptCompCard(&rcd);
        if (bFound && !rcd.bDelete && bFits)
            continue; // listed with its group
        heading();
        const std::string strName =
            bFound ? std::string(rcd.szPartDesc) : "Card " + std::to_string(iCompID);
        const std::string strPart = bFound ? rcd.szPartNmbr : "";
        const char* pszMark = !bFound || rcd.bDelete
                                  ? "(deleted card)"
                                  : "(not fitted to the aircraft as now equipped)";
        pDoc->add(RPT_ITEM, strName + (strPart.empty() ? "" : "   " + strPart) + "   " + pszMark);
        std::vector<std::string> lstCsv{pszHeading, "", strName + " " + pszMark, strPart};
        lstCsv.resize(pDoc->lstCsv.empty() ? lstCsv.size() : pDoc->lstCsv[0].size());
        pDoc->lstCsv.push_back(std::move(lstCsv));
        addHistory(pDoc, loadHistory(iCompID, iACID));
    }
}

// The next 12 months month by month, with the flying behind the forecast
// and both plots.
void addForecast(rptDoc* pDoc) {
    const fcstTimeline tl = fcstTimelineOf(12);
    pDoc->add(RPT_HEADING, "Forecast");
    pDoc->add(RPT_TEXT, fcstUseText(fcstUtilisation()));
    pDoc->addPlot(
        [bars = fcstMonthsFlown()](cairo_t* pcr, double dWidth, double dHeight) {
            plotDrawBars(pcr, bars, {dWidth, dHeight, 8});
        },
        150);
    pDoc->addPlot(
        [tl](cairo_t* pcr, double dWidth, double dHeight) {
            plotDrawTimeline(pcr, tl, {dWidth, dHeight, 8});
        },
        170);
    rptTable& tbl = pDoc->addTable({"Month", "Item", "Due", "Expected"}, {1.2, 3, 1.4, 3});
    auto it = tl.lstMarks.begin();
    for (time_t tMonth = tl.tFrom; tMonth < tl.tTo;
         tMonth = cnvAddCalendar(tMonth, INTV_MONTH, 1)) {
        struct tm tm;
        gmtime_r(&tMonth, &tm);
        tm.tm_mday = 1;
        tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
        tMonth = cnvMakeTime(&tm);
        const time_t tNext = cnvAddCalendar(tMonth, INTV_MONTH, 1);
        const std::string strMonth = cnvDateText(tMonth).substr(3);
        bool bAny = false;
        for (; it != tl.lstMarks.end() && it->tDate < tNext; ++it, bAny = true) {
            const cmodLook look = cmodDueLook(it->nState);
            tbl.addRow({bAny ? "" : strMonth, it->strName,
                        it->nKind == FCST_INSP ? "Inspection" : "Replacement", it->strText},
                       std::string(look.pszColour) == "black" ? "" : look.pszColour,
                       look.nWeight >= 700);
        }
        if (!bAny)
            tbl.addRow({strMonth, "nothing falls due", "", ""});
    }
}

void addPilots(rptDoc* pDoc) {
    pDoc->add(RPT_HEADING, "Pilots");
    GtkTreeModel* pModel = pmodGetModel();
    rptTable& tbl = pDoc->addTable({"Pilot", "Medical due", "Flight review due"}, {3, 2, 2});
    GtkTreeIter iter;
    for (gboolean b = pModel && gtk_tree_model_get_iter_first(pModel, &iter); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        gboolean bNew = FALSE, bMedDue = FALSE, bFRDue = FALSE;
        gtk_tree_model_get(pModel, &iter, PILOT_NEW_COL, &bNew, PILOT_MED_DUE_COL, &bMedDue,
                           PILOT_FR_DUE_COL, &bFRDue, -1);
        if (bNew)
            continue;
        std::string strMed = mscTreeText(pModel, &iter, PILOT_MED_NEXT_COL);
        std::string strFR = mscTreeText(pModel, &iter, PILOT_FR_NEXT_COL);
        // A pilot without a date is not overdue in anyone's eyes: nothing shows red.
        bool bMedOver = bMedDue && !strMed.empty(), bFROver = bFRDue && !strFR.empty();
        tbl.addRow({mscTreeText(pModel, &iter, PILOT_NAME_COL),
                    strMed + (bMedOver ? " (overdue)" : ""), strFR + (bFROver ? " (overdue)" : "")},
                   bMedOver || bFROver ? "red" : "");
    }
    if (tbl.lstRows.empty())
        pDoc->lstBlocks.back() = {RPT_TEXT, "No pilots recorded.", {}, {}};
}

void addOpenDefects(rptDoc* pDoc, const dfctList& list) {
    pDoc->add(RPT_HEADING, "Open defects");
    if (list.lstOpen.empty()) {
        pDoc->add(RPT_TEXT, "No defect is open.");
        return;
    }
    rptTable& tbl = pDoc->addTable(
        {"Severity", "Reported", "Days open", "Flights since", "Component", "Description"},
        {1.8, 1.2, 0.8, 0.9, 2.0, 3.5});
    for (const dfctLine& l : list.lstOpen) {
        const cmodLook look = dfctLook(l.rcd.nSeverity);
        tbl.addRow({l.strSeverity, l.strReported, std::to_string(l.nAgeDays),
                    std::to_string(l.nFlightsSince), l.strComp,
                    std::string(l.rcd.szDesc) + (*l.rcd.szLink ? "\n" : "") + l.rcd.szLink},
                   std::string(look.pszColour) == "black" ? "" : look.pszColour,
                   look.nWeight >= 700);
    }
}

void addClearedDefects(rptDoc* pDoc, const dfctList& list) {
    pDoc->add(RPT_HEADING, "Cleared defects");
    if (list.lstCleared.empty()) {
        pDoc->add(RPT_TEXT, "No defect has been cleared.");
        return;
    }
    rptTable& tbl = pDoc->addTable(
        {"Reported", "Cleared", "Severity", "Component", "Description", "How cleared"},
        {1.2, 1.2, 1.8, 1.8, 2.6, 2.6});
    for (const dfctLine& l : list.lstCleared)
        tbl.addRow({l.strReported, l.strCleared, l.strSeverity, l.strComp, l.rcd.szDesc, l.strHow});
}

} // namespace

void rptBuild(rptDoc* pDoc) {
    const rcdAC* pAC = acdGetActiveAC();
    gint64 nAFTotal = fmodAFHoursTotal();
    pDoc->strReg = pAC->szReg;
    pDoc->strTitle = "Maintenance report";
    char szSpan[40];
    cnvDcdInterval(szSpan, sizeof szSpan, cmodGetMarkTime());
    std::string strMark = hoursText(cmodGetMarkHours()) + " hrs" +
                          (szSpan[0] ? std::string(" and ") + szSpan : std::string());

    pDoc->add(RPT_HEADING, std::string("Maintenance report  ") + pAC->szReg);
    rptTable& tblAC = pDoc->addTable({"Registration", "Model", "Serial", "Builder", "Owner"},
                                     {1.2, 1.8, 1.2, 1.8, 1.8});
    tblAC.addRow({pAC->szReg, pAC->szModel, pAC->szSerial, pAC->szBuilder, pAC->szOwner});
    rptTable& tblAt = pDoc->addTable({"Exported", "Airframe hours", "Look-ahead mark"}, {1, 1, 2});
    tblAt.addRow({cnvDateText(time(nullptr), CNV_DCD_WITH_TIME | CNV_DCD_MIDNIGHT),
                  hoursText(nAFTotal), strMark});

    pDoc->add(RPT_HEADING, "Due list");
    std::vector<dueLine> lst = dueCollect();
    if (lst.empty()) {
        pDoc->add(RPT_TEXT, "Nothing is due, deferred or due within the look-ahead mark.");
    } else {
        rptTable& tbl = pDoc->addTable(dueHeadings(), {2.3, 1.0, 1.9, 1.6, 2.0, 1.6, 1.5, 1.4});
        for (const dueLine& line : lst)
            tbl.addRow(dueRowCells(line), line.strColour == "black" ? "" : line.strColour,
                       line.nWeight >= 700);
    }
    dfctList defects;
    dfctLoad(pAC->iACID, time(nullptr), &defects);
    addOpenDefects(pDoc, defects);
    addForecast(pDoc);
    pDoc->lstCsv.push_back(csvHeadings());
    addComponents(pDoc, nAFTotal, pAC->iACID);
    addDeletedCards(pDoc, pAC->iACID);
    addClearedDefects(pDoc, defects);
    addPilots(pDoc);
}
