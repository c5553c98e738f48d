#include "modComp.h"

#include "avCnv.h"
#include "avErrLog.h"
#include "avParam.h"
#include "modAC.h"
#include "modFLog.h"
#include "modMaint.h"
#include "rcdAC.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr guint ALL_ONES = 0xFFFFFFFFu;
constexpr guint GROUP_LEVEL_BIT = 0x80000000u;
constexpr guint STYLE_NOT_FITTING = 2; // PANGO_STYLE_ITALIC

struct grpEntry {
    guint iGCompID;
    const char* pszGName;
};
constexpr std::array<grpEntry, 8> grpComp{{{1, "Fuselage"},
                                           {2, "Engine"},
                                           {3, "Drive Train"},
                                           {4, "Main Rotor System"},
                                           {5, "Tail Rotor System"},
                                           {6, "Flight Controls"},
                                           {7, "Electrical System"},
                                           {8, "Instrumentation"}}};

// Carried with the table; no operation consults bSerial, iOptCat or iOption.
struct subEntry {
    guint iSCompID;
    guint iGCompID;
    const char* pszSName;
    gboolean bSerial;
    guint iOptCat;
    guint iOption;
};
constexpr std::array<subEntry, 29> subComp{{{1, 1, "Airframe", 0, 0, 0},
                                            {25, 1, "Landing Gear", 0, 0, 0},
                                            {2, 1, "Tail Boom", 0, 0, 0},
                                            {3, 1, "Body", 0, 0, 0},
                                            {4, 2, "Oil System", 0, 0, 0},
                                            {5, 2, "Cooling System", 0, 0, 0},
                                            {6, 2, "Fuel System", 0, 0, 0},
                                            {8, 2, "Exhaust System", 0, 0, 0},
                                            {9, 2, "Intake System", 0, 0, 0},
                                            {10, 3, "Tail Rotor Drive", 0, 0, 0},
                                            {11, 5, "Tail Rotor", 0, 0, 0},
                                            {12, 6, "Directional Control", 0, 0, 0},
                                            {13, 6, "Cyclic Control", 0, 0, 0},
                                            {14, 6, "Collective Control", 0, 0, 0},
                                            {15, 6, "Throttle Control", 0, 0, 0},
                                            {17, 4, "Main Rotor Blades", 0, 0, 0},
                                            {18, 2, "Torque Link", 0, 0, 0},
                                            {20, 1, "Ground Handling Wheels", 0, 0, 0},
                                            {21, 1, "Ballast Weight", 0, 0, 0},
                                            {22, 2, "Ignition", 0, 0, 0},
                                            {23, 4, "Rotor Hub Assembly", 1, 0, 0},
                                            {24, 1, "Doors", 0, 0, 0},
                                            {26, 3, "Main Drive", 0, 0, 0},
                                            {27, 5, "Pitch Actuator", 0, 0, 0},
                                            {28, 5, "Mount", 0, 0, 0},
                                            {29, 5, "Drive", 0, 0, 0},
                                            {30, 3, "Fan Drive", 0, 0, 0},
                                            {31, 4, "Swash Plate Assembly", 1, 0, 0},
                                            {32, 4, "Main Rotor Shaft Assembly", 1, 0, 0}}};

// Indexed by dueStat_t.
constexpr std::array<cmodLook, 5> dueLooks{
    {{"black", 400}, {"blue", 400}, {"blue", 700}, {"red", 400}, {"red", 700}}};

GtkTreeStore* m_pmodComp = nullptr;
std::vector<std::string> m_lstUnfinished; // cards with an entry cut short
GtkTreeStore* m_pstoSNote = nullptr;
gulong m_iCompID = ALL_ONES;
gboolean m_bSelComp = FALSE;
GtkTreeIter m_iterComp;
gboolean m_bCompModEdit = FALSE;
char m_szDrawingName[100];
// Every card's drawing names while a tree is built (see WholeTreeReads).
std::unordered_map<guint, std::string> m_mapDrawings;
bool m_bAllDrawings = false;
guint m_nMarkHours = 0;
guint m_nMarkTime = 0;
time_t m_tClock = 0;
guint m_nGeneration = 0;
gboolean m_bClearing = FALSE;

time_t nowTime() {
    return m_tClock ? m_tClock : time(nullptr);
}

// End of a calendar life: the fitting date plus the years limit, less the
// age the part already had when fitted. -1 when the fitting date is not
// known: the life then counts as spent.
time_t calendarLimit(time_t tRCOLast, guint nYears, guint nRCOAge) {
    time_t tLimit = cnvAddCalendar(tRCOLast, INTV_YEAR, nYears);
    return nRCOAge ? cnvAddInterval(tLimit, nRCOAge, -1) : tLimit;
}

gboolean isDefer(time_t tDeferLast, guint nDeferHours, guint nDeferDays, guint64 nMarkTgt,
                 time_t tMarkTgt) {
    if (tDeferLast == 0 || (nDeferHours == 0 && nDeferDays == 0))
        return FALSE;
    if (gint64(tDeferLast) + SECONDS_PER_DAY * gint64(nDeferDays) > gint64(tMarkTgt))
        return TRUE;
    return guint64(mmodAFHoursAt(tDeferLast)) + nDeferHours > nMarkTgt;
}

// What one card row holds for its due decision.
struct cardDue {
    gint64 tInspLast, tRCOLast, tDeferRCOLast, tDeferInspLast;
    guint nInspIntv, nRCOHours, nRCOAge, nRCOIntv;
    guint nDeferRCOHours, nDeferRCODays, nDeferInspHours, nDeferInspDays;
    guint nStyle; // italic: shown for editing the catalogue, not on this aircraft
};

// The moment a marking judges at: now and the airframe total, and the
// look-ahead mark beyond them.
struct dueMoment {
    time_t tNow, tMark;
    gint64 nAFTotal;
    guint64 nAFHoursTgt;
};

dueMoment momentNow() {
    dueMoment m;
    m.tNow = nowTime();
    m.tMark = cmodMarkDate();
    m.nAFTotal = fmodAFHoursTotal();
    m.nAFHoursTgt = guint64(m.nAFTotal) + m_nMarkHours;
    return m;
}

// The due figures and verdict of one card at a moment. Every "later" and
// "more" is strict: at exactly the due hours or the limit date nothing is
// due yet. Hours arithmetic is signed 64-bit, so a used part fitted with
// more hours than its limit is due at once rather than wrapping round to
// "never"; the due point shown never goes below 0.
void dueFigures(const cardDue& c, const dueMoment& m, cmodDueFigure lst[CCD_LIMIT_NUM]) {
    for (int i = 0; i < CCD_LIMIT_NUM; ++i) {
        lst[i] = cmodDueFigure{};
        lst[i].tLast = -1;
        lst[i].tDue = -1;
        lst[i].nDeferEndHours = -1;
    }
    const gint64 nInspLastHours = mmodAFHoursAt(time_t(c.tInspLast));
    const gint64 nRCOLastHours = mmodAFHoursAt(time_t(c.tRCOLast));

    cmodDueFigure& insp = lst[CCD_LIMIT_INSP_HOURS];
    insp.bSet = c.nInspIntv != 0;
    insp.tLast = time_t(c.tInspLast);
    insp.nLastHours = nInspLastHours;
    if (c.tDeferInspLast != 0 && (c.nDeferInspHours || c.nDeferInspDays)) {
        insp.tDeferEnd = time_t(c.tDeferInspLast + SECONDS_PER_DAY * gint64(c.nDeferInspDays));
        insp.nDeferEndHours = gint64(mmodAFHoursAt(time_t(c.tDeferInspLast))) + c.nDeferInspHours;
    }
    if (insp.bSet) {
        insp.nDueHours = nInspLastHours + c.nInspIntv;
        insp.nLeftHours = insp.nDueHours - m.nAFTotal;
        if (gint64(m.nAFHoursTgt) > insp.nDueHours)
            insp.nState = isDefer(time_t(c.tDeferInspLast), c.nDeferInspHours, c.nDeferInspDays,
                                  m.nAFHoursTgt, m.tMark)
                              ? CCD_DUESTAT_INSPDEFER
                              : CCD_DUESTAT_INSPDUE;
    }

    const guint nHoursLimit = c.nRCOIntv & CNV_RCO_HOURS_MASK;
    cmodDueFigure& rcoHours = lst[CCD_LIMIT_RCO_HOURS];
    rcoHours.bSet = nHoursLimit != 0;
    rcoHours.tLast = time_t(c.tRCOLast);
    rcoHours.nLastHours = nRCOLastHours;
    rcoHours.bUsedPart = c.nRCOHours != 0;
    if (c.tDeferRCOLast != 0 && (c.nDeferRCOHours || c.nDeferRCODays)) {
        rcoHours.tDeferEnd = time_t(c.tDeferRCOLast + SECONDS_PER_DAY * gint64(c.nDeferRCODays));
        rcoHours.nDeferEndHours = gint64(mmodAFHoursAt(time_t(c.tDeferRCOLast))) + c.nDeferRCOHours;
    }
    if (rcoHours.bSet) {
        const gint64 nDue = gint64(nHoursLimit) * 10 + nRCOLastHours - c.nRCOHours;
        rcoHours.nDueHours = nDue < 0 ? 0 : nDue;
        rcoHours.nLeftHours = nDue - m.nAFTotal;
        if (gint64(m.nAFHoursTgt) > nDue)
            rcoHours.nState = isDefer(time_t(c.tDeferRCOLast), c.nDeferRCOHours, c.nDeferRCODays,
                                      m.nAFHoursTgt, m.tMark)
                                  ? CCD_DUESTAT_RCODEFER
                                  : CCD_DUESTAT_RCODUE;
    }

    const guint nYears = (c.nRCOIntv & CNV_RCO_YEARS_MASK) >> CNV_RCO_YEARS_SHIFT;
    cmodDueFigure& rcoCal = lst[CCD_LIMIT_RCO_CAL];
    rcoCal.bSet = nYears != 0;
    rcoCal.tLast = time_t(c.tRCOLast);
    rcoCal.nLastHours = nRCOLastHours;
    rcoCal.bUsedPart = c.nRCOAge != 0;
    // Only the days of a replacement deferral count against the calendar.
    if (c.tDeferRCOLast != 0)
        rcoCal.tDeferEnd = time_t(c.tDeferRCOLast + SECONDS_PER_DAY * gint64(c.nDeferRCODays));
    if (rcoCal.bSet) {
        rcoCal.tDue = calendarLimit(time_t(c.tRCOLast), nYears, c.nRCOAge);
        // An unknown fitting date: the life counts as spent since 1970.
        const time_t tLimit = rcoCal.tDue == -1 ? 0 : rcoCal.tDue;
        rcoCal.nLeftDays = cnvDaysBetween(m.tNow, tLimit);
        if (gint64(m.tMark) > gint64(tLimit))
            rcoCal.nState = rcoCal.tDeferEnd != 0 && gint64(rcoCal.tDeferEnd) > gint64(m.tMark)
                                ? CCD_DUESTAT_RCODEFER
                                : CCD_DUESTAT_RCODUE;
    }
}

// The due flags of a verdict.
guint dueFlags(const cmodDueFigure lst[CCD_LIMIT_NUM]) {
    struct flagRule {
        int iLimit;
        dueStat_t nState;
        int nBit;
    };
    constexpr flagRule rules[] = {
        {CCD_LIMIT_RCO_CAL, CCD_DUESTAT_RCODUE, CCD_RCOCAL_DUE},
        {CCD_LIMIT_RCO_HOURS, CCD_DUESTAT_RCODUE, CCD_RCOHOURS_DUE},
        {CCD_LIMIT_INSP_HOURS, CCD_DUESTAT_INSPDUE, CCD_INSPHOURS_DUE},
        {CCD_LIMIT_RCO_CAL, CCD_DUESTAT_RCODEFER, CCD_RCOHOURS_DEFER},
        {CCD_LIMIT_RCO_HOURS, CCD_DUESTAT_RCODEFER, CCD_RCOHOURS_DEFER},
        {CCD_LIMIT_INSP_HOURS, CCD_DUESTAT_INSPDEFER, CCD_INSPHOURS_DEFER},
    };
    guint bFlags = 0;
    for (const flagRule& r : rules)
        if (lst[r.iLimit].nState == r.nState)
            bFlags |= 1u << r.nBit;
    return bFlags;
}

dueStat_t stateOfFlags(guint bFlags) {
    if (bFlags & ((1u << CCD_RCOCAL_DUE) | (1u << CCD_RCOHOURS_DUE)))
        return CCD_DUESTAT_RCODUE;
    if (bFlags & (1u << CCD_INSPHOURS_DUE))
        return CCD_DUESTAT_INSPDUE;
    if (bFlags & (1u << CCD_RCOHOURS_DEFER))
        return CCD_DUESTAT_RCODEFER;
    if (bFlags & (1u << CCD_INSPHOURS_DEFER))
        return CCD_DUESTAT_INSPDEFER;
    return CCD_DUESTAT_NONE;
}

cardDue readCard(GtkTreeIter* piterComp) {
    cardDue c{};
    gtk_tree_model_get(
        GTK_TREE_MODEL(m_pmodComp), piterComp, CCD_INSPLAST_COL, &c.tInspLast, CCD_INSPINTV_COL,
        &c.nInspIntv, CCD_RCOLAST_COL, &c.tRCOLast, CCD_RCOHOURS_COL, &c.nRCOHours, CCD_RCOAGE_COL,
        &c.nRCOAge, CCD_RCOINTV_COL, &c.nRCOIntv, CCD_DEFERRCOLAST_COL, &c.tDeferRCOLast,
        CCD_DEFERRCOHOURS_COL, &c.nDeferRCOHours, CCD_DEFERRCODAYS_COL, &c.nDeferRCODays,
        CCD_DEFERINSPLAST_COL, &c.tDeferInspLast, CCD_DEFERINSPHOURS_COL, &c.nDeferInspHours,
        CCD_DEFERINSPDAYS_COL, &c.nDeferInspDays, CCD_STYLE_COL, &c.nStyle, -1);
    return c;
}

// The figures of a row. A card the aircraft does not have (edit mode shows
// it in italics) is due for nothing: it must not colour its group.
void rowFigures(GtkTreeIter* piterComp, const dueMoment& m, cmodDueFigure lst[CCD_LIMIT_NUM]) {
    const cardDue c = readCard(piterComp);
    dueFigures(c, m, lst);
    if (c.nStyle == STYLE_NOT_FITTING)
        for (int i = 0; i < CCD_LIMIT_NUM; ++i)
            lst[i].nState = CCD_DUESTAT_NONE;
}

dueStat_t judgeRow(GtkTreeIter* piterComp, const dueMoment& m) {
    cmodDueFigure lst[CCD_LIMIT_NUM];
    rowFigures(piterComp, m, lst);
    guint bFlags = dueFlags(lst);
    gtk_tree_store_set(m_pmodComp, piterComp, CCD_DUEFLAGS_COL, bFlags, -1);
    return stateOfFlags(bFlags);
}

guint rowType(GtkTreeIter* piter) {
    guint nType = ALL_ONES;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pmodComp), piter, CCD_TYPE_COL, &nType, -1);
    return nType;
}

void reportRowType(const char* pszText) {
    dlgReport(pszText, "cmodMarkModel()", "modComp");
}

// Judges and colours the rows below the root (groups), a group (sub-groups
// and group-level cards) or a sub-group (cards), and returns the worst state
// among them; a row of a type that does not belong there is reported.
dueStat_t markBelow(GtkTreeIter* piterParent, int nLevel, const dueMoment& m) {
    struct levelRule {
        guint bTypes; // 1 << row type allowed at this level
        const char* pszReport;
    };
    constexpr levelRule rules[] = {{1u << TYPE_GRP, "not TYPE_GRP"},
                                   {1u << TYPE_SUB | 1u << TYPE_COMP, "not TYPE_SUB or TYPE_COMP"},
                                   {1u << TYPE_COMP, "not TYPE_COMP"}};
    dueStat_t nWorst = CCD_DUESTAT_NONE;
    GtkTreeIter iter;
    GtkTreeModel* pModel = GTK_TREE_MODEL(m_pmodComp);
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = rowType(&iter);
        if (nType > TYPE_COMP || !(rules[nLevel].bTypes & 1u << nType)) {
            reportRowType(rules[nLevel].pszReport);
            continue;
        }
        dueStat_t nStat = nType == TYPE_COMP ? judgeRow(&iter, m) : markBelow(&iter, nLevel + 1, m);
        cmodDueColours(&iter, nStat);
        if (nStat > nWorst)
            nWorst = nStat;
    }
    return nWorst;
}

void appendGroupRow(GtkTreeIter* piter, GtkTreeIter* piterParent, guint iInx, guint nType,
                    const char* pszName) {
    gtk_tree_store_append(m_pmodComp, piter, piterParent);
    gtk_tree_store_set(m_pmodComp, piter, CCD_COMP_COL, pszName, CCD_INX_COL, gulong(iInx),
                       CCD_TYPE_COL, nType, CCD_COLOUR_COL, nullptr, -1);
}

// One failure, one dialog: a table that cannot be read fails once for every
// card of a rebuild. Within one action each kind of failure (where it
// happened) is shown once; the repeats take its answer and are counted in
// the log.
struct reportOnceState {
    dlgReporter pfnOuter = nullptr;
    std::vector<std::string> lstSeen;
    int nAnswer = GTK_RESPONSE_OK;
    guint nRepeats = 0;
};
reportOnceState m_reportOnce;

int reportOnce(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus) {
    reportOnceState& r = m_reportOnce;
    std::string strWhere = std::string(pszLocus) + "::" + pszFunction;
    for (const std::string& str : r.lstSeen)
        if (str == strWhere) {
            ++r.nRepeats;
            return r.nAnswer;
        }
    r.lstSeen.push_back(strWhere);
    const int nAnswer = r.pfnOuter(pszError, pszFunction, pszLocus);
    if (r.nAnswer != GTK_RESPONSE_CANCEL)
        r.nAnswer = nAnswer;
    return r.nAnswer;
}

// Holds the once-per-action reporting for its lifetime; an action inside
// another (the marking inside a rebuild) belongs to the outer one.
class ReportOncePerAction {
  public:
    ReportOncePerAction() {
        dlgReporter pfnOld = dlgSetReporter(reportOnce);
        m_bOwner = pfnOld != reportOnce;
        if (m_bOwner) {
            m_reportOnce = reportOnceState{};
            m_reportOnce.pfnOuter = pfnOld;
        }
    }
    ~ReportOncePerAction() {
        if (!m_bOwner)
            return;
        dlgSetReporter(m_reportOnce.pfnOuter);
        if (m_reportOnce.nRepeats) {
            gchar* psz = g_strdup_printf("%u more failures like the ones above in the same action "
                                         "on the component tree were not shown again.",
                                         m_reportOnce.nRepeats);
            errPostError(psz);
            g_free(psz);
        }
    }
    ReportOncePerAction(const ReportOncePerAction&) = delete;
    ReportOncePerAction& operator=(const ReportOncePerAction&) = delete;

  private:
    bool m_bOwner;
};

// Loads the cards of one stored group value under a row. FALSE when the
// user cancelled after a load failure.
gboolean loadCards(rcdComp* prcdComp, GtkTreeIter* piterParent, guint iGroupValue) {
    cbComp cb{prcdComp, piterParent, cmodLoadCompCallback};
    if (sqlLoadCompCard(&cb, ALL_ONES, iGroupValue))
        return TRUE;
    return dlgReport(sqlLastError(), "cmodLoadModel()", "modComp") != GTK_RESPONSE_CANCEL;
}

// A card's drawings, joined as the per-card load joins them.
int allDrawingsCallback(rcdRef* prcdRef) {
    std::string& str = m_mapDrawings[prcdRef->iCompID];
    mscCopyText(m_szDrawingName, str.c_str());
    cmodLoadRefCallback(prcdRef);
    str = m_szDrawingName;
    return 0;
}

// A tree build reads every card's maintenance history and drawings once for
// the whole aircraft instead of two queries per card. A failed read leaves
// the per-card loads, which report it as they always did.
class WholeTreeReads {
  public:
    WholeTreeReads() {
        mmodReadAllStates();
        rcdRef rcd{};
        cbRef cb{&rcd, allDrawingsCallback};
        m_bAllDrawings = sqlLoadAllRefRecords(&cb);
        if (!m_bAllDrawings)
            m_mapDrawings.clear();
    }
    ~WholeTreeReads() {
        mmodForgetAllStates();
        m_mapDrawings.clear();
        m_bAllDrawings = false;
    }
    WholeTreeReads(const WholeTreeReads&) = delete;
    WholeTreeReads& operator=(const WholeTreeReads&) = delete;
};

} // namespace

gboolean cmodInitialize(gboolean bCompEdit) {
    m_bCompModEdit = bCompEdit;
    // The settings' bounds keep both marks from being negative.
    m_nMarkHours = guint(prmGetKeyInteger(PRM_MARK_HOURS));
    m_nMarkTime = guint(prmGetKeyInteger(PRM_MARK_TIME));
    if (!m_pmodComp)
        m_pmodComp = gtk_tree_store_new(
            CCD_NUM_COLS, G_TYPE_ULONG, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
            G_TYPE_STRING, G_TYPE_UINT, G_TYPE_INT64, G_TYPE_UINT, G_TYPE_INT64, G_TYPE_UINT,
            G_TYPE_UINT, G_TYPE_UINT, G_TYPE_INT64, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_INT64,
            G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT);
    if (!m_pstoSNote)
        m_pstoSNote = gtk_tree_store_new(SNOTE_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING);
    return TRUE;
}

gboolean cmodLoadModel(gulong iCompID) {
    ReportOncePerAction reportOnce;
    m_lstUnfinished.clear();
    m_iCompID = iCompID;
    m_bSelComp = FALSE;
    auto prcdComp = std::make_unique<rcdComp>();
    cmodClearModel();
    WholeTreeReads reads;
    for (guint iGrp = 0; iGrp < grpComp.size(); ++iGrp) {
        GtkTreeIter iterGrp;
        appendGroupRow(&iterGrp, nullptr, iGrp, TYPE_GRP, grpComp[iGrp].pszGName);
        if (!loadCards(prcdComp.get(), &iterGrp, grpComp[iGrp].iGCompID | GROUP_LEVEL_BIT))
            return FALSE;
        for (guint iSub = 0; iSub < subComp.size(); ++iSub) {
            if (subComp[iSub].iGCompID != grpComp[iGrp].iGCompID)
                continue;
            GtkTreeIter iterSub;
            appendGroupRow(&iterSub, &iterGrp, iSub, TYPE_SUB, subComp[iSub].pszSName);
            if (!loadCards(prcdComp.get(), &iterSub, subComp[iSub].iSCompID))
                return FALSE;
        }
    }
    prcdComp.reset();
    cmodMarkDue();
    return TRUE;
}

void cmodClearModel() {
    // Rows the page remembers go with the clear.
    ++m_nGeneration;
    m_bClearing = TRUE;
    mmodClearStore(m_pmodComp, &m_bSelComp);
    m_bClearing = FALSE;
}

gboolean cmodClearing() {
    return m_bClearing;
}

guint cmodGetGeneration() {
    return m_nGeneration;
}

namespace {
gboolean findCard(GtkTreeModel* pModel, GtkTreeIter* piterParent, gulong iCompID,
                  GtkTreeIter* piter) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = TYPE_GRP;
        gulong iInx = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, CCD_INX_COL, &iInx, -1);
        if (nType == TYPE_COMP ? iInx == iCompID : findCard(pModel, &iter, iCompID, piter)) {
            if (nType == TYPE_COMP)
                *piter = iter;
            return TRUE;
        }
    }
    return FALSE;
}
} // namespace

gboolean cmodFindCompID(gulong iCompID, GtkTreeIter* piterComp) {
    return m_pmodComp && findCard(GTK_TREE_MODEL(m_pmodComp), nullptr, iCompID, piterComp);
}

GtkTreeModel* cmodGetModel() {
    return GTK_TREE_MODEL(m_pmodComp);
}
GtkTreeModel* cmodSNoteModel() {
    return GTK_TREE_MODEL(m_pstoSNote);
}
GtkTreeIter* cmodGetCompSel() {
    return m_bSelComp ? &m_iterComp : nullptr;
}

guint cmodGCompID(guint iCompInx) {
    return iCompInx < grpComp.size() ? grpComp[iCompInx].iGCompID : ALL_ONES;
}
guint cmodSCompID(guint iCompInx) {
    return iCompInx < subComp.size() ? subComp[iCompInx].iSCompID : ALL_ONES;
}

void cmodUpdateRow(GtkTreeIter* piterComp, rcdComp* prcdComp, mntState* pS) {
    // Tenths of an hour; an absurd interval saturates instead of wrapping small.
    guint64 nInspTenths = guint64(prcdComp->nInspIntv) * 10;
    guint nInspIntv = nInspTenths > G_MAXUINT ? G_MAXUINT : guint(nInspTenths);
    gtk_tree_store_set(
        m_pmodComp, piterComp, CCD_COMP_COL, prcdComp->szPartDesc, CCD_PART_COL,
        prcdComp->szPartNmbr, CCD_INX_COL, gulong(prcdComp->iCompID), CCD_TYPE_COL,
        guint(TYPE_COMP), CCD_INSPLAST_COL, gint64(pS->tInspLast), CCD_INSPINTV_COL, nInspIntv,
        CCD_RCOLAST_COL, gint64(pS->tRCOLast), CCD_RCOHOURS_COL, pS->nRCOHours, CCD_RCOAGE_COL,
        pS->nRCOAge, CCD_RCOINTV_COL, prcdComp->nRCOIntv, CCD_DEFERRCOLAST_COL,
        gint64(pS->tDeferRCOLast), CCD_DEFERRCOHOURS_COL, pS->nDeferRCOHours, CCD_DEFERRCODAYS_COL,
        pS->nDeferRCODays, CCD_DEFERINSPLAST_COL, gint64(pS->tDeferInspLast),
        CCD_DEFERINSPHOURS_COL, pS->nDeferInspHours, CCD_DEFERINSPDAYS_COL, pS->nDeferInspDays, -1);
}

gboolean cmodAcceptCompOpt(guint iACOpt, guint bCompOpt) {
    if (bCompOpt == 0)
        return TRUE;
    if (iACOpt > 99)
        return FALSE;
    return (bCompOpt >> (iACOpt % 32)) & 1u;
}

gboolean cmodAcceptCompCard(rcdComp* prcdComp) {
    const rcdAC* pAC = acdGetActiveAC();
    for (const amodOptList& lst : amodOptLists())
        if (!cmodAcceptCompOpt(guint(pAC->*lst.piField), prcdComp->*lst.pMask))
            return FALSE;
    return TRUE;
}

int cmodLoadRefCallback(rcdRef* prcdRef) {
    if (char* pDot = strchr(prcdRef->szDrawing, '.'))
        *pDot = '\0';
    if (m_szDrawingName[0] == '\0') {
        mscCopyText(m_szDrawingName, prcdRef->szDrawing);
    } else {
        char szJoined[sizeof m_szDrawingName + sizeof prcdRef->szDrawing + 4];
        g_snprintf(szJoined, sizeof szJoined, "%s, %s", m_szDrawingName, prcdRef->szDrawing);
        mscCopyText(m_szDrawingName, szJoined);
    }
    return 0;
}

int cmodLoadCompCallback(rcdComp* prcdComp, GtkTreeIter* piterSubGrp) {
    guint nStyle = 0;
    if (!cmodAcceptCompCard(prcdComp)) {
        if (!m_bCompModEdit)
            return 0;
        nStyle = STYLE_NOT_FITTING;
    }
    m_szDrawingName[0] = '\0';
    rcdRef rcd{};
    cbRef cb{&rcd, cmodLoadRefCallback};
    if (m_bAllDrawings) {
        auto it = m_mapDrawings.find(prcdComp->iCompID);
        mscCopyText(m_szDrawingName, it == m_mapDrawings.end() ? "" : it->second.c_str());
    } else if (!sqlLoadRefRecords(&cb, prcdComp->iCompID) &&
               dlgReport(sqlLastError(), "cmodLoadCompCallback()", "modComp") ==
                   GTK_RESPONSE_CANCEL) {
        return 0;
    }
    mntState* pS = mmodGetState(prcdComp->iCompID);
    if (pS->nUnfinished)
        m_lstUnfinished.emplace_back(prcdComp->szPartDesc);

    GtkTreeIter iter;
    gtk_tree_store_append(m_pmodComp, &iter, piterSubGrp);
    cmodUpdateRow(&iter, prcdComp, pS);
    gchar* pszUpper = g_ascii_strup(m_szDrawingName, -1);
    gtk_tree_store_set(m_pmodComp, &iter, CCD_STYLE_COL, nStyle, CCD_DRAWING_COL, pszUpper, -1);
    g_free(pszUpper);
    if (prcdComp->iCompID == m_iCompID) {
        m_iterComp = iter;
        m_bSelComp = TRUE;
    }
    return 0;
}

int cmodLoadSNoteCallback(rcdSNote* prcdSNote) {
    if (prcdSNote->szLabel[0] == '\0')
        return 0;
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoSNote, &iter, nullptr);
    gtk_tree_store_set(m_pstoSNote, &iter, SNOTE_ID_COL, prcdSNote->iSNoteID, SNOTE_LABEL_COL,
                       prcdSNote->szLabel, -1);
    return 0;
}

gboolean cmodLoadSNoteModel() {
    gtk_tree_store_clear(m_pstoSNote);
    auto prcdSNote = std::make_unique<rcdSNote>();
    cbSNote cb{prcdSNote.get(), cmodLoadSNoteCallback};
    if (!sqlLoadSNoteRecords(&cb) &&
        dlgReport(sqlLastError(), "cmodLoadSNoteModel()", "modComp") == GTK_RESPONSE_CANCEL)
        return FALSE;
    return TRUE;
}

time_t cmodMarkDate() {
    time_t tNow = nowTime();
    time_t tMark = cnvAddInterval(tNow, m_nMarkTime);
    return tMark == -1 ? tNow : tMark;
}

dueStat_t cmodIsDue(GtkTreeIter* piterComp, guint) {
    // The total is asked of the flight log itself: a stale or zero total
    // from a caller must never make a component look not due.
    return judgeRow(piterComp, momentNow());
}

void cmodDueFigures(GtkTreeIter* piterComp, cmodDueFigure lst[CCD_LIMIT_NUM]) {
    rowFigures(piterComp, momentNow(), lst);
}

void cmodMarkDue() {
    ReportOncePerAction reportOnce;
    if (m_pmodComp)
        markBelow(nullptr, 0, momentNow());
}

const std::vector<std::string>& cmodUnfinishedCards() {
    return m_lstUnfinished;
}

cmodLook cmodDueLook(dueStat_t nDueStat) {
    return dueLooks[guint(nDueStat) < dueLooks.size() ? guint(nDueStat)
                                                      : guint(CCD_DUESTAT_RCODUE)];
}

void cmodDueColours(GtkTreeIter* piterComp, dueStat_t nDueStat) {
    const cmodLook look = cmodDueLook(nDueStat);
    gtk_tree_store_set(m_pmodComp, piterComp, CCD_COLOUR_COL, look.pszColour, CCD_WEIGHT_COL,
                       look.nWeight, -1);
}

void cmodSetMarkTime(guint nHours, guint nTime) {
    m_nMarkHours = nHours;
    m_nMarkTime = nTime;
    prmSetKeyInteger(PRM_MARK_HOURS, gint(nHours));
    prmSetKeyInteger(PRM_MARK_TIME, gint(nTime));
}

guint cmodGetMarkHours() {
    return m_nMarkHours;
}
guint cmodGetMarkTime() {
    return m_nMarkTime;
}
time_t cmodNow() {
    return nowTime();
}
void cmodSetClock(time_t tNow) {
    m_tClock = tNow;
}
