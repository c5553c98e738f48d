#include "modDue.h"

#include "avCnv.h"
#include "avTree.h"
#include "modAC.h"
#include "modFLog.h"
#include "modPilot.h"
#include "rcdAC.h"

#include <glib/gprintf.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The aircraft whose cards the component tree was last filled with; 0 while
// not known (the tree was built before this module followed it).
guint m_iTreeACID = 0;

std::string hoursText(gint64 nTenths) {
    char sz[40];
    cnvDcdHours(sz, sizeof sz, nTenths < 0 ? -nTenths : nTenths);
    return sz;
}

std::string daysText(gint64 nDays) {
    gint64 nAbs = nDays < 0 ? -nDays : nDays;
    char sz[60];
    g_snprintf(sz, sizeof sz, "%" G_GINT64_FORMAT " %s %s", nAbs, nAbs == 1 ? "day" : "days",
               nDays < 0 ? "overdue" : "left");
    return sz;
}

std::string leftHoursText(gint64 nTenths) {
    return hoursText(nTenths) + (nTenths < 0 ? " hrs overdue" : " hrs left");
}

bool isCalendar(int iLimit) {
    return iLimit == CCD_LIMIT_RCO_CAL;
}

bool figureOverdue(const cmodDueFigure& fig, int iLimit) {
    return isCalendar(iLimit) ? fig.nLeftDays < 0 : fig.nLeftHours < 0;
}

gint64 figureLeft(const cmodDueFigure& fig, int iLimit) {
    return isCalendar(iLimit) ? fig.nLeftDays : fig.nLeftHours;
}

// The limit that drives a card: the worst state; among equals one that has
// run out already, then the hours limits before the calendar. When nothing
// is due, the nearest due point.
int drivingLimit(const std::array<cmodDueFigure, CCD_LIMIT_NUM>& figs) {
    int iBest = -1;
    for (int i = 0; i < CCD_LIMIT_NUM; ++i) {
        if (!figs[i].bSet)
            continue;
        if (iBest < 0) {
            iBest = i;
            continue;
        }
        const cmodDueFigure& a = figs[i];
        const cmodDueFigure& b = figs[iBest];
        if (a.nState != b.nState) {
            if (a.nState > b.nState)
                iBest = i;
            continue;
        }
        bool bOverA = figureOverdue(a, i), bOverB = figureOverdue(b, iBest);
        if (bOverA != bOverB) {
            if (bOverA)
                iBest = i;
            continue;
        }
        // Both hours limits: the fewer hours left wins; else keep the hours limit.
        if (!isCalendar(i) && !isCalendar(iBest) && a.nLeftHours < b.nLeftHours)
            iBest = i;
    }
    return iBest;
}

std::string deferralText(const cmodDueFigure& fig, int iLimit, gint64 nAFTotal, time_t tNow) {
    if (fig.tDeferEnd <= 0)
        return "";
    std::string str;
    // A calendar life is held off by the deferral's days only.
    if (!isCalendar(iLimit) && fig.nDeferEndHours > 0) {
        gint64 nLeft = fig.nDeferEndHours - nAFTotal;
        str = nLeft > 0 ? hoursText(nLeft) + " hrs" : "";
    }
    gint64 nDays = cnvDaysBetween(tNow, fig.tDeferEnd);
    if (nDays > 0)
        str += (str.empty() ? "" : " and ") + cnvCount(nDays, "day", "days");
    return str.empty() ? "ended" : str + " left";
}

const char* driverText(_dueDriver nDriver) {
    switch (nDriver) {
    case DUE_BY_HOURS:
        return "Hours";
    case DUE_BY_CALENDAR:
        return "Calendar";
    case DUE_BY_USED_HOURS:
        return "Used part's hours";
    case DUE_BY_DEFERRAL:
        return "Deferral";
    default:
        return "";
    }
}

void collectCards(GtkTreeModel* pModel, GtkTreeIter* piterParent, const fcstUse& use, time_t tMark,
                  std::vector<dueLine>& lst) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = TYPE_GRP;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, -1);
        if (nType != TYPE_COMP) {
            collectCards(pModel, &iter, use, tMark, lst);
            continue;
        }
        dueLine line = dueCompLine(&iter, &use);
        if (line.nState == CCD_DUESTAT_NONE && line.tForecast != -1 && line.tForecast <= tMark) {
            line.bForecastOnly = TRUE;
            line.strState = "Forecast within the mark";
        }
        if (line.nState != CCD_DUESTAT_NONE || line.bForecastOnly)
            lst.push_back(std::move(line));
    }
}

// A pilot's medical or flight review, when its date has run out or runs
// out by the mark's date.
void addPilotDate(std::vector<dueLine>& lst, GtkTreeIter* piter, int nDateCol, int nDueCol,
                  const char* pszWhat, time_t tMark, time_t tNow) {
    GtkTreeModel* pModel = pmodGetModel();
    gint64 tDate = 0;
    gboolean bDue = FALSE;
    guint iPilotID = 0;
    gtk_tree_model_get(pModel, piter, nDateCol, &tDate, nDueCol, &bDue, PILOT_ID_COL, &iPilotID,
                       -1);
    if (tDate <= 0)
        return; // no date: nothing to tell
    if (!bDue && tDate > gint64(tMark))
        return;
    dueLine line{};
    line.bPilot = TRUE;
    line.iID = iPilotID;
    line.nState = bDue ? CCD_DUESTAT_RCODUE : CCD_DUESTAT_NONE;
    line.nDriver = DUE_BY_CALENDAR;
    line.bOverdue = bDue;
    line.strName = mscTreeText(pModel, piter, PILOT_RNAME_COL);
    line.strWhat = pszWhat;
    line.strState = bDue ? "Overdue" : "Due at the mark";
    line.strDuePoint = dueDateText(time_t(tDate));
    line.strDriver = driverText(DUE_BY_CALENDAR);
    line.nSortLeft = cnvDaysBetween(tNow, time_t(tDate));
    // Run out today: the date is this day, nothing is left of it.
    line.strLeft = bDue && line.nSortLeft >= 0 ? "due today" : daysText(line.nSortLeft);
    line.tForecast = time_t(tDate);
    line.strForecast = line.strForecastDate = line.strDuePoint;
    line.strColour = bDue ? "red" : "black";
    line.nWeight = 400;
    lst.push_back(std::move(line));
}

bool worseFirst(const dueLine& a, const dueLine& b) {
    if (a.bPilot != b.bPilot)
        return !a.bPilot;
    if (a.bForecastOnly != b.bForecastOnly)
        return !a.bForecastOnly;
    if (a.bForecastOnly && a.tForecast != b.tForecast)
        return a.tForecast < b.tForecast;
    if (a.nState != b.nState)
        return a.nState > b.nState;
    if (a.bOverdue != b.bOverdue)
        return a.bOverdue;
    if (a.nSortLeft != b.nSortLeft)
        return a.nSortLeft < b.nSortLeft;
    return a.strName < b.strName;
}

void onCompRowInserted() {
    m_iTreeACID = acdHasActiveAC() ? acdGetActiveAC()->iACID : 0;
}

// The component tree is rebuilt when its page is entered; after another
// aircraft was chosen on the aircraft page it still holds the cards of the
// one before. The list must never show those under the new registration.
void ensureTreeOfActiveAC() {
    if (acdHasActiveAC() && m_iTreeACID != 0 && m_iTreeACID != acdGetActiveAC()->iACID)
        cmodLoadModel(0xFFFFFFFFu);
}

} // namespace

const std::vector<std::string>& dueHeadings() {
    static const std::vector<std::string> lst{"Item",   "Part No.",  "Due",  "State",
                                              "Due at", "Driven by", "Left", "Deferral left"};
    return lst;
}

std::vector<std::string> dueRowCells(const dueLine& line) {
    return {line.strName,     line.strPart,   line.strWhat, line.strState,
            line.strDuePoint, line.strDriver, line.strLeft, line.strDefer};
}

std::string dueHoursText(gint64 nTenths) {
    return hoursText(nTenths) + " A/F hrs";
}

std::string dueDateText(time_t t) {
    if (t <= 0)
        return "date unknown";
    char sz[40];
    cnvDcdDate(sz, sizeof sz, t, 0);
    return sz;
}

std::string duePointText(const cmodDueFigure figs[CCD_LIMIT_NUM], bool bInspection) {
    // Every limit of the kind: hours and calendar life of a replacement
    // both show, whichever drives it.
    std::string strHours, strDate;
    for (int i = 0; i < CCD_LIMIT_NUM; ++i) {
        if (!figs[i].bSet || (i == CCD_LIMIT_INSP_HOURS) != bInspection)
            continue;
        if (isCalendar(i))
            strDate = dueDateText(figs[i].tDue);
        else
            strHours = dueHoursText(figs[i].nDueHours);
    }
    return strHours + (strHours.empty() || strDate.empty() ? "" : " or ") + strDate;
}

dueLine dueCompLine(GtkTreeIter* piterComp, const fcstUse* pUse) {
    GtkTreeModel* pModel = cmodGetModel();
    dueLine line{};
    gulong iCompID = 0;
    gtk_tree_model_get(pModel, piterComp, CCD_INX_COL, &iCompID, -1);
    line.iID = guint(iCompID);
    line.tForecast = -1;
    line.strColour = cmodDueLook(CCD_DUESTAT_NONE).pszColour;
    line.nWeight = cmodDueLook(CCD_DUESTAT_NONE).nWeight;
    line.strName = mscTreeText(pModel, piterComp, CCD_COMP_COL);
    line.strPart = mscTreeText(pModel, piterComp, CCD_PART_COL);

    std::array<cmodDueFigure, CCD_LIMIT_NUM> figs{};
    cmodDueFigures(piterComp, figs.data());
    int iLimit = drivingLimit(figs);
    if (iLimit < 0)
        return line; // no limit on this card
    const fcstUse use = pUse ? *pUse : fcstUtilisation();
    const time_t tNow = cmodNow();
    const gint64 nAFTotal = gint64(fmodAFHoursTotal());
    fcstPoint pts[FCST_KINDS];
    fcstPoints(figs.data(), use, nAFTotal, tNow, pts);
    // Nothing due: the kind forecast to fall due first leads, and of a
    // replacement the limit that puts its date there.
    if (figs[size_t(iLimit)].nState == CCD_DUESTAT_NONE) {
        const fcstPoint &insp = pts[FCST_INSP], &rco = pts[FCST_RCO];
        const bool bRCOFirst = rco.bSet && rco.tDate != -1 &&
                               (!insp.bSet || insp.tDate == -1 || rco.tDate < insp.tDate);
        if (bRCOFirst)
            iLimit = rco.nDriver == FCST_BY_CALENDAR || !figs[CCD_LIMIT_RCO_HOURS].bSet
                         ? CCD_LIMIT_RCO_CAL
                         : CCD_LIMIT_RCO_HOURS;
        else if (insp.bSet && insp.tDate != -1)
            iLimit = CCD_LIMIT_INSP_HOURS;
    }
    const fcstPoint& pt = pts[iLimit == CCD_LIMIT_INSP_HOURS ? FCST_INSP : FCST_RCO];
    line.tForecast = pt.tDate;
    line.strForecast = pt.strText;
    line.strForecastDate = pt.strDate;
    const cmodDueFigure& fig = figs[size_t(iLimit)];
    line.nState = fig.nState;
    // The line's own verdict, fresh: the tree's colours wait for its page.
    line.strColour = cmodDueLook(line.nState).pszColour;
    line.nWeight = cmodDueLook(line.nState).nWeight;
    line.strWhat = iLimit == CCD_LIMIT_INSP_HOURS ? "Inspection" : "Replacement";
    if (fig.nState == CCD_DUESTAT_INSPDEFER || fig.nState == CCD_DUESTAT_RCODEFER)
        line.nDriver = DUE_BY_DEFERRAL;
    else if (fig.nState == CCD_DUESTAT_NONE)
        line.nDriver = DUE_BY_NONE;
    else if (isCalendar(iLimit))
        line.nDriver = DUE_BY_CALENDAR;
    else
        line.nDriver = fig.bUsedPart ? DUE_BY_USED_HOURS : DUE_BY_HOURS;
    line.strDriver = driverText(line.nDriver);
    line.bOverdue = figureOverdue(fig, iLimit);
    line.nSortLeft = figureLeft(fig, iLimit);
    line.strLeft = isCalendar(iLimit) ? daysText(fig.nLeftDays) : leftHoursText(fig.nLeftHours);

    line.strDuePoint = duePointText(figs.data(), iLimit == CCD_LIMIT_INSP_HOURS);

    switch (line.nState) {
    case CCD_DUESTAT_NONE:
        break;
    case CCD_DUESTAT_INSPDEFER:
    case CCD_DUESTAT_RCODEFER:
        line.strState = "Deferred";
        line.strDefer = deferralText(fig, iLimit, nAFTotal, time(nullptr));
        break;
    default:
        line.strState = line.bOverdue ? "Overdue" : "Due at the mark";
        break;
    }
    return line;
}

std::vector<dueLine> dueCollect() {
    std::vector<dueLine> lst;
    if (!acdHasActiveAC())
        return lst;
    ensureTreeOfActiveAC();
    const fcstUse use = fcstUtilisation();
    if (GtkTreeModel* pModel = cmodGetModel())
        collectCards(pModel, nullptr, use, cmodMarkDate(), lst);
    if (GtkTreeModel* pModel = pmodGetModel()) {
        time_t tMark = cmodMarkDate(), tNow = time(nullptr);
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(pModel, &iter); b;
             b = gtk_tree_model_iter_next(pModel, &iter)) {
            gboolean bNew = FALSE;
            gtk_tree_model_get(pModel, &iter, PILOT_NEW_COL, &bNew, -1);
            if (bNew)
                continue;
            addPilotDate(lst, &iter, PILOT_MED_NEXT_T_COL, PILOT_MED_DUE_COL, "Medical", tMark,
                         tNow);
            addPilotDate(lst, &iter, PILOT_FR_NEXT_T_COL, PILOT_FR_DUE_COL, "Flight review", tMark,
                         tNow);
        }
    }
    std::stable_sort(lst.begin(), lst.end(), worseFirst);
    return lst;
}

void dueFollowCompTree() {
    GtkTreeModel* pmodComp = cmodGetModel();
    if (pmodComp && !g_object_get_data(G_OBJECT(pmodComp), "avDueFollows"))
        g_signal_connect_swapped(pmodComp, "row-inserted", G_CALLBACK(onCompRowInserted), nullptr);
}
