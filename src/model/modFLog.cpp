#include "modFLog.h"

#include "avCnv.h"
#include "avErrLog.h"
#include "modAC.h"
#include "rcdAC.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

GtkTreeStore* m_pstoFLog = nullptr;
// Running total of a load and of the accumulated column; hours at a date
// are summed apart so that asking never disturbs it.
guint64 m_nHours = 0;
guint64 m_nHoursAtDate = 0;
struct tm m_tmFLogLast;
gboolean m_bHaveMonth = FALSE;
GtkTreeIter m_iterYear;
GtkTreeIter m_iterMon;
GtkTreeIter m_iterFlight;
gulong m_iFLogID = static_cast<gulong>(-1);
GtkTreeIter m_iterFLog;
gboolean m_bSelFLog = FALSE;

constexpr gulong FLOG_NEW_ID = static_cast<gulong>(-1);

// What the rows were built from besides the flights themselves: the
// aircraft's fields that decide marks and running totals, and the day that
// decides "after today". While these hold, the rows are right and a page
// can show them again as they are.
struct LoadBasis {
    guint iACID = SQL_NEW_ID;
    time_t tManu = 0, tLogStart = 0;
    guint nLogHours = 0;
    gboolean bLogSinceNew = FALSE;
    time_t nDay = -1;
    sqlite3_int64 nDataVersion = -1;
    bool operator==(const LoadBasis&) const = default;
} m_basis;
// Counts the rebuilds of the store, so that a view knows when its rows
// were replaced behind its back.
guint m_nGeneration = 0;

// The active aircraft's part of the basis (no day).
LoadBasis aircraftBasis() {
    LoadBasis basis;
    if (acdHasActiveAC()) {
        const rcdAC* prcdAC = acdGetActiveAC();
        basis = {prcdAC->iACID, prcdAC->tManu, prcdAC->tLogStart, prcdAC->nLogHours,
                 prcdAC->bLogSinceNew};
    }
    return basis;
}

// SQLite counts the commits of other connections to the log (another copy
// of the program, a tool): flights may have been logged meanwhile.
sqlite3_int64 logDataVersion() {
    sqlite3* h = sqlLogHandle();
    sqlite3_stmt* pStmt = nullptr;
    sqlite3_int64 nVersion = -1;
    if (h && sqlite3_prepare_v2(h, "PRAGMA data_version", -1, &pStmt, nullptr) == SQLITE_OK &&
        sqlite3_step(pStmt) == SQLITE_ROW)
        nVersion = sqlite3_column_int64(pStmt, 0);
    sqlite3_finalize(pStmt);
    return nVersion;
}

LoadBasis currentBasis() {
    LoadBasis basis = aircraftBasis();
    basis.nDay = time(nullptr) / SECONDS_PER_DAY;
    basis.nDataVersion = logDataVersion();
    return basis;
}

// Month names are always English so that every text reads back.
constexpr const char* m_lstMonth[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Airframe hours are asked for many times per screen update (every
// component's due state), so they are answered from this index of the
// flight rows in tree order rather than by walking the tree each time.
// It is rebuilt lazily after any change of the store.
//   vtLatest[i]  latest start among flights 0..i (tree order)
//   vnAccum[i]   hours of flights 0..i-1 (vnAccum[0] = 0)
// The walk stops at the first flight starting after the date; that is the
// first i whose vtLatest[i] exceeds it, found by binary search. Keeping the
// running latest start rather than the start itself gives the walk's exact
// answer even if rows were edited out of order.
struct HoursIndex {
    std::vector<guint> vtLatest;
    std::vector<guint64> vnAccum;
    std::vector<guint> vnCount; // flights counted into the hours among 0..i-1
    guint tFirst = 0;           // start of the first of them; 0 none
    bool bValid = false;
    // Which flights count depends on the log start, which the aircraft
    // page may move while the rows stay as they were built.
    LoadBasis basis;
} m_index;

void invalidateIndex() {
    m_index.bValid = false;
}

void onStoreChanged() {
    invalidateIndex();
}

guint64 baseHours() {
    const rcdAC* prcdAC = acdGetActiveAC();
    if (!acdHasActiveAC() || prcdAC->bLogSinceNew)
        return 0;
    return prcdAC->nLogHours;
}

guint rowType(GtkTreeIter* piter) {
    guint nType = FLOG_ROW_HEADER;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoFLog), piter, FLOG_ROW_TYPE, &nType, -1);
    return nType;
}

bool beforeLogStart(time_t tStart) {
    const rcdAC* prcdAC = acdGetActiveAC();
    return acdHasActiveAC() && !prcdAC->bLogSinceNew && prcdAC->tLogStart > 0 &&
           tStart < prcdAC->tLogStart;
}

// The hours a leaf adds to the airframe: a flight's own, unless it lies
// before the log start (then the base holds it already). Judged against
// the aircraft as it is now, not the row's mark, which may be older.
guint countedHours(GtkTreeIter* piter) {
    guint nType = FLOG_ROW_HEADER, nHours = 0, tStart = 0;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoFLog), piter, FLOG_ROW_TYPE, &nType, FLOG_HOURS,
                       &nHours, FLOG_DATE, &tStart, -1);
    return nType == FLOG_ROW_DATA && !beforeLogStart(time_t(tStart)) ? nHours : 0;
}

guint startMarks(time_t tStart) {
    guint nMark = cnvIsFuture(tStart, time(nullptr)) ? FLOG_MARK_FUTURE : 0;
    const rcdAC* prcdAC = acdGetActiveAC();
    if (!acdHasActiveAC())
        return nMark;
    if (beforeLogStart(tStart))
        nMark |= FLOG_MARK_BEFORE_LOG;
    if (prcdAC->tManu > 0 && tStart < prcdAC->tManu)
        nMark |= FLOG_MARK_BEFORE_MANU;
    return nMark;
}

const gchar* markText(guint nMark) {
    if (nMark & FLOG_MARK_BEFORE_LOG)
        return "Before the log start: already in the log-start hours, not counted again";
    if (nMark & FLOG_MARK_BEFORE_MANU)
        return "Before the date of manufacture";
    if (nMark & FLOG_MARK_FUTURE)
        return "After today: check the date";
    return nullptr;
}

// Visits the leaves of the tree in order; rows with children are only
// descended into. Stops, and gives TRUE, when the visitor returns TRUE.
template <typename Visit> gboolean walkLeaves(Visit visit, GtkTreeIter* piterParent = nullptr) {
    GtkTreeModel* pmod = GTK_TREE_MODEL(m_pstoFLog);
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        if (gtk_tree_model_iter_has_child(pmod, &iter) ? walkLeaves(visit, &iter) : visit(&iter))
            return TRUE;
    }
    return FALSE;
}

void rebuildIndex() {
    m_index.vtLatest.clear();
    m_index.vnAccum.assign(1, 0);
    m_index.vnCount.assign(1, 0);
    m_index.tFirst = 0;
    guint tLatest = 0, nCount = 0;
    guint64 nAccum = 0;
    GtkTreeModel* pmod = GTK_TREE_MODEL(m_pstoFLog);
    walkLeaves([&](GtkTreeIter* piter) {
        guint nType = FLOG_ROW_HEADER, tDate = 0;
        gtk_tree_model_get(pmod, piter, FLOG_ROW_TYPE, &nType, FLOG_DATE, &tDate, -1);
        if (nType != FLOG_ROW_DATA)
            return FALSE;
        tLatest = std::max(tLatest, tDate);
        nAccum += countedHours(piter);
        if (!beforeLogStart(time_t(tDate))) {
            m_index.tFirst = nCount ? std::min(m_index.tFirst, tDate) : tDate;
            ++nCount;
        }
        m_index.vtLatest.push_back(tLatest);
        m_index.vnAccum.push_back(nAccum);
        m_index.vnCount.push_back(nCount);
        return FALSE;
    });
    m_index.bValid = true;
    m_index.basis = aircraftBasis();
}

void appendNewFlightRow() {
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoFLog, &iter, nullptr);
    gtk_tree_store_set(m_pstoFLog, &iter, FLOG_SQLID, FLOG_NEW_ID, FLOG_ROW_TYPE,
                       static_cast<guint>(FLOG_ROW_NEW), FLOG_TIME_START, "<new flight>",
                       FLOG_STYLE_COL, static_cast<guint>(PANGO_STYLE_ITALIC), FLOG_FG_COL, TRUE,
                       -1);
}

void appendHeader(GtkTreeIter* piter, GtkTreeIter* piterParent, const gchar* pszText) {
    gtk_tree_store_append(m_pstoFLog, piter, piterParent);
    gtk_tree_store_set(m_pstoFLog, piter, FLOG_ROW_TYPE, static_cast<guint>(FLOG_ROW_HEADER),
                       FLOG_TIME_START, pszText, FLOG_STYLE_COL,
                       static_cast<guint>(PANGO_STYLE_NORMAL), FLOG_FG_COL, FALSE, -1);
}

void appendYearAndMonth(const struct tm& tmStart) {
    gchar szText[40];
    g_snprintf(szText, sizeof szText, "%u", static_cast<guint>(tmStart.tm_year + 1900));
    appendHeader(&m_iterYear, nullptr, szText);
    g_snprintf(szText, sizeof szText, "%s-%d", m_lstMonth[tmStart.tm_mon], tmStart.tm_year + 1900);
    appendHeader(&m_iterMon, &m_iterYear, szText);
    m_bHaveMonth = TRUE;
}

void appendMonth(const struct tm& tmStart) {
    gchar szText[40];
    g_snprintf(szText, sizeof szText, "%s-%d", m_lstMonth[tmStart.tm_mon], tmStart.tm_year + 1900);
    appendHeader(&m_iterMon, &m_iterYear, szText);
}

} // namespace

gboolean fmodInitialize() {
    m_nHours = 0;
    if (!m_pstoFLog) {
        m_pstoFLog = gtk_tree_store_new(FLOG_NUM_COLS, G_TYPE_ULONG, G_TYPE_UINT, G_TYPE_STRING,
                                        G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_UINT,
                                        G_TYPE_UINT, G_TYPE_UINT, G_TYPE_BOOLEAN, G_TYPE_UINT,
                                        G_TYPE_STRING);
        // Any change of the rows (a load, a page's edit in place, a delete)
        // makes the hours index stale.
        for (const char* pszSignal :
             {"row-changed", "row-inserted", "row-deleted", "rows-reordered"})
            g_signal_connect_swapped(m_pstoFLog, pszSignal, G_CALLBACK(onStoreChanged), nullptr);
    }
    fmodClearModel();
    invalidateIndex();
    return TRUE;
}

void fmodCleanUp() {
    // The store lives as long as the process; only its rows go.
    if (m_pstoFLog)
        fmodClearModel();
}

void fmodClearModel() {
    if (!m_pstoFLog)
        fmodInitialize();
    gtk_tree_store_clear(m_pstoFLog);
    m_bSelFLog = FALSE;
    m_basis = LoadBasis{};
    ++m_nGeneration;
}

guint fmodGeneration() {
    return m_nGeneration;
}

void fmodFlightsChanged() {
    m_basis = LoadBasis{};
}

gboolean fmodIsCurrent() {
    return acdHasActiveAC() && m_basis == currentBasis();
}

gboolean fmodFindFlight(guint iFLogID, GtkTreeIter* piterFound) {
    fmodGetModel();
    const gulong iWanted = iFLogID;
    return walkLeaves([&](GtkTreeIter* piter) {
        gulong iID = 0;
        gtk_tree_model_get(GTK_TREE_MODEL(m_pstoFLog), piter, FLOG_SQLID, &iID, -1);
        if (iID != iWanted || rowType(piter) != FLOG_ROW_DATA)
            return gboolean(FALSE);
        *piterFound = *piter;
        return gboolean(TRUE);
    });
}

GtkTreeModel* fmodGetModel() {
    if (!m_pstoFLog)
        fmodInitialize();
    return GTK_TREE_MODEL(m_pstoFLog);
}

GtkTreeIter* fmodGetSelection() {
    return m_bSelFLog ? &m_iterFLog : nullptr;
}

int fmodLoadFLogCallback(rcdFLog* prcdFLog) {
    if (prcdFLog->tFltBegin == 0)
        return 0;

    struct tm tmStart;
    const time_t tStart = prcdFLog->tFltBegin;
    const bool bBroken = gmtime_r(&tStart, &tmStart) != nullptr;
    gchar szStart[40];
    if (bBroken) {
        if (tmStart.tm_year != m_tmFLogLast.tm_year || !m_bHaveMonth) {
            m_tmFLogLast = tmStart;
            appendYearAndMonth(tmStart);
        } else if (tmStart.tm_mon != m_tmFLogLast.tm_mon) {
            m_tmFLogLast = tmStart;
            appendMonth(tmStart);
        }
        g_snprintf(szStart, sizeof szStart, "%02d-%s %02d:%02d", tmStart.tm_mday,
                   m_lstMonth[tmStart.tm_mon], tmStart.tm_hour, tmStart.tm_min);
    } else {
        // Filed under the month of the flight before it; the very first
        // flight of a load gets headers of its own.
        if (!m_bHaveMonth) {
            appendHeader(&m_iterYear, nullptr, "???");
            appendHeader(&m_iterMon, &m_iterYear, "???");
            m_bHaveMonth = TRUE;
        }
        g_strlcpy(szStart, "???", sizeof szStart);
    }

    const guint nMark = startMarks(prcdFLog->tFltBegin);
    gchar szElapsed[32], szAccum[32] = "";
    cnvDcdHours(szElapsed, sizeof szElapsed, prcdFLog->nElapsed);
    if (!(nMark & FLOG_MARK_BEFORE_LOG)) {
        m_nHours += prcdFLog->nElapsed;
        cnvDcdHours(szAccum, sizeof szAccum, gint64(m_nHours));
    }

    gtk_tree_store_append(m_pstoFLog, &m_iterFlight, &m_iterMon);
    gtk_tree_store_set(m_pstoFLog, &m_iterFlight, FLOG_SQLID,
                       static_cast<gulong>(prcdFLog->iFLogID), FLOG_ROW_TYPE,
                       static_cast<guint>(FLOG_ROW_DATA), FLOG_TIME_START, szStart, FLOG_TIME_ELPSD,
                       szElapsed, FLOG_DEST, prcdFLog->szTo, FLOG_AF_ACCUM, szAccum, FLOG_DATE,
                       static_cast<guint>(prcdFLog->tFltBegin), FLOG_HOURS, prcdFLog->nElapsed,
                       FLOG_STYLE_COL, static_cast<guint>(PANGO_STYLE_NORMAL), FLOG_FG_COL, FALSE,
                       FLOG_MARK, nMark, FLOG_WARN, markText(nMark), -1);
    if (prcdFLog->iFLogID == m_iFLogID) {
        m_iterFLog = m_iterFlight;
        m_bSelFLog = TRUE;
    }
    return 0;
}

gboolean fmodLoadModel(gint iFLogID, guint64* pnAccumHours) {
    fmodClearModel();
    m_iFLogID = static_cast<guint>(iFLogID);
    memset(&m_tmFLogLast, 0, sizeof m_tmFLogLast);
    m_bHaveMonth = FALSE;
    m_nHours = baseHours();

    rcdFLog rcdScratch;
    memset(&rcdScratch, 0, sizeof rcdScratch);
    cbFLog cb{&rcdScratch, fmodLoadFLogCallback};
    if (!sqlLoadFLogRecord(&cb, SQL_NEW_ID,
                           acdHasActiveAC() ? acdGetActiveAC()->iACID : SQL_NEW_ID)) {
        dlgReport(sqlLastError(), "fmodLoadModel()", "modFLog");
        return FALSE;
    }
    appendNewFlightRow();
    m_basis = currentBasis();
    if (pnAccumHours)
        *pnAccumHours = m_nHours;
    return TRUE;
}

gboolean fmodAFHours(gulong tDate, GtkTreeIter* piterFLog) {
    guint nType = FLOG_ROW_HEADER, tStart = 0;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoFLog), piterFLog, FLOG_ROW_TYPE, &nType, FLOG_DATE,
                       &tStart, -1);
    if (nType != FLOG_ROW_DATA)
        return FALSE;
    if (tStart > tDate)
        return TRUE;
    m_nHoursAtDate += countedHours(piterFLog);
    return FALSE;
}

guint64 fmodAFHoursByWalk(time_t tDate) {
    if (tDate == 0)
        return 0;
    fmodGetModel();
    m_nHoursAtDate = baseHours();
    const gulong tLimit = static_cast<gulong>(tDate);
    walkLeaves([tLimit](GtkTreeIter* piter) { return fmodAFHours(tLimit, piter); });
    return m_nHoursAtDate;
}

namespace {
// The index position of the walk's stop at tDate: flights 0..n-1 count.
size_t indexAt(time_t tDate) {
    fmodGetModel();
    if (!m_index.bValid || !(m_index.basis == aircraftBasis()))
        rebuildIndex();
    // Compared as unsigned, like the walk: -1 is later than every flight.
    const gulong tLimit = static_cast<gulong>(tDate);
    const auto& vt = m_index.vtLatest;
    auto it = std::upper_bound(vt.begin(), vt.end(), tLimit,
                               [](gulong t, guint tLatest) { return t < tLatest; });
    return static_cast<size_t>(it - vt.begin());
}
} // namespace

guint64 fmodAFHoursAtDate(time_t tDate) {
    if (tDate == 0)
        return 0;
    return baseHours() + m_index.vnAccum[indexAt(tDate)];
}

guint fmodFlightsAtDate(time_t tDate) {
    return tDate == 0 ? 0 : m_index.vnCount[indexAt(tDate)];
}

time_t fmodFirstFlight() {
    indexAt(0);
    return time_t(m_index.tFirst);
}

guint64 fmodAFHoursTotal() {
    return fmodAFHoursAtDate(static_cast<time_t>(-1));
}

void fmodUpdateElapsed(GtkTreeIter* piterFLog) {
    guint nMark = 0;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoFLog), piterFLog, FLOG_MARK, &nMark, -1);
    if (rowType(piterFLog) != FLOG_ROW_DATA || (nMark & FLOG_MARK_BEFORE_LOG))
        return;
    m_nHours += countedHours(piterFLog);
    gchar szAccum[32];
    cnvDcdHours(szAccum, sizeof szAccum, gint64(m_nHours));
    gtk_tree_store_set(m_pstoFLog, piterFLog, FLOG_AF_ACCUM, szAccum, -1);
}

guint64 fmodCalcAFAccum() {
    fmodGetModel();
    m_nHours = baseHours();
    walkLeaves([](GtkTreeIter* piter) {
        fmodUpdateElapsed(piter);
        return FALSE;
    });
    return m_nHours;
}

void fmodResetNewFlightLabel() {
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        if (rowType(&iter) == FLOG_ROW_NEW) {
            // Only when it shows something else: a change of any row makes
            // the hours index stale.
            gchar* psz = nullptr;
            gtk_tree_model_get(pmod, &iter, FLOG_TIME_START, &psz, -1);
            if (g_strcmp0(psz, "<new flight>") != 0)
                gtk_tree_store_set(m_pstoFLog, &iter, FLOG_TIME_START, "<new flight>", -1);
            g_free(psz);
            return;
        }
    }
}

const gchar* fmodStartRefusal(time_t tStart) {
    const guint nMark = startMarks(tStart);
    if (nMark & FLOG_MARK_BEFORE_MANU)
        return "This date is before the aircraft was built";
    if (nMark & FLOG_MARK_BEFORE_LOG)
        return "This date is before the aircraft's log start, whose hours already hold the "
               "flights before it";
    return nullptr;
}

gboolean fmodLandingAfter(time_t tBegin, time_t tClock, time_t* ptEnd) {
    time_t tEnd = tBegin - tBegin % SECONDS_PER_DAY + tClock;
    if (tEnd < tBegin) {
        tEnd += SECONDS_PER_DAY;
        if (tEnd - tBegin > FLT_OVERNIGHT_MAX)
            return FALSE;
    }
    *ptEnd = tEnd;
    return TRUE;
}

guint fmodElapsedTenths(time_t tBegin, time_t tEnd) {
    const time_t tSpan = tEnd - tBegin;
    return tSpan < 0 ? 0 : guint((tSpan / 60 + 3) / 6);
}
