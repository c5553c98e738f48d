#include "modFLogEdit.h"

#include "avCnv.h"
#include "modFLog.h"

namespace {

const gchar* const WHY_OVERNIGHT =
    "A landing before the take-off would be after midnight, a flight of over 12 hours";

time_t dayOf(time_t t) {
    return t - t % SECONDS_PER_DAY;
}

// A landing is a clock time only above the bare-duration range.
bool landingKnown(const rcdFLog& rcd) {
    return rcd.tFltEnd > FLT_MAX_DURATION;
}

bool takeOffKnown(const rcdFLog& rcd) {
    return fltTakeOffKnown(rcd.tFltBegin, rcd.nType);
}

bool isBlank(const gchar* psz) {
    for (; *psz; ++psz)
        if (!g_ascii_isspace(*psz))
            return false;
    return true;
}

// A start set from a clock time (typed, or worked out from the landing) is
// a real take-off, also at 00:00; a start from the date alone is not.
void setStart(rcdFLog& rcd, time_t tStart, bool bClock) {
    rcd.tFltBegin = tStart;
    if (bClock && tStart % SECONDS_PER_DAY == 0)
        rcd.nType |= FLT_TAKEOFF_MIDNIGHT;
    else
        rcd.nType &= ~FLT_TAKEOFF_MIDNIGHT;
}

// The clock time typed, in seconds into the day.
gboolean readClock(const gchar* pszText, time_t* ptClock, const gchar** ppszWhy) {
    int nHour = 0, nMin = 0;
    if (!cnvReadTime(&nHour, &nMin, pszText, ppszWhy))
        return FALSE;
    *ptClock = time_t(nHour) * 3600 + time_t(nMin) * 60;
    return TRUE;
}

fedtEdit refused(const rcdFLog& rcd, const gchar* pszWhy) {
    return fedtEdit{rcd, pszWhy, FALSE, FALSE};
}

void calcElapsed(rcdFLog& rcd) {
    rcd.nElapsed = fmodElapsedTenths(rcd.tFltBegin, rcd.tFltEnd);
}

} // namespace

fedtEdit fedtDate(const rcdFLog& rcd, const gchar* pszText) {
    time_t tDay = -1;
    const gchar* pszWhy = nullptr;
    if (!cnvReadDate(&tDay, pszText, FALSE, &pszWhy))
        return refused(rcd, pszWhy);
    const time_t tStart = tDay + (rcd.tFltBegin > 0 ? rcd.tFltBegin % SECONDS_PER_DAY : 0);
    if (const gchar* pszStartWhy = fmodStartRefusal(tStart))
        return refused(rcd, pszStartWhy);
    fedtEdit e{rcd, nullptr, tStart != rcd.tFltBegin, tStart != rcd.tFltBegin};
    // The landing moves with the flight, so that the flight time stays what
    // it was and a later edit of either time measures on the right day.
    if (landingKnown(rcd) && rcd.tFltBegin > 0)
        e.rcd.tFltEnd += tStart - rcd.tFltBegin;
    e.rcd.tFltBegin = tStart;
    return e;
}

fedtEdit fedtTakeOff(const rcdFLog& rcd, const gchar* pszText) {
    time_t tClock = 0;
    const gchar* pszWhy = nullptr;
    const bool bBlank = isBlank(pszText);
    if (!bBlank && !readClock(pszText, &tClock, &pszWhy))
        return refused(rcd, pszWhy);
    fedtEdit e{rcd, nullptr, FALSE, TRUE};
    rcdFLog& r = e.rcd;
    setStart(r, dayOf(rcd.tFltBegin) + tClock, !bBlank);
    if (takeOffKnown(r)) {
        if (landingKnown(r)) {
            if (!fmodLandingAfter(r.tFltBegin, r.tFltEnd % SECONDS_PER_DAY, &r.tFltEnd))
                return refused(rcd, WHY_OVERNIGHT);
            calcElapsed(r);
        } else if (r.nElapsed != 0) {
            r.tFltEnd = r.tFltBegin + time_t(r.nElapsed) * FLT_TENTH;
        }
    }
    e.bChanged = r.tFltBegin != rcd.tFltBegin || r.tFltEnd != rcd.tFltEnd ||
                 r.nElapsed != rcd.nElapsed || r.nType != rcd.nType;
    return e;
}

fedtEdit fedtLanding(const rcdFLog& rcd, const gchar* pszText) {
    fedtEdit e{rcd, nullptr, TRUE, FALSE};
    rcdFLog& r = e.rcd;
    if (isBlank(pszText)) {
        // The landing is not known any more; the flight time stays.
        r.tFltEnd = 0;
        return e;
    }
    time_t tClock = 0;
    const gchar* pszWhy = nullptr;
    if (!readClock(pszText, &tClock, &pszWhy))
        return refused(rcd, pszWhy);
    if (takeOffKnown(rcd)) {
        if (!fmodLandingAfter(rcd.tFltBegin, tClock, &r.tFltEnd))
            return refused(rcd, WHY_OVERNIGHT);
        calcElapsed(r);
    } else if (rcd.nElapsed != 0) {
        // Without a take-off the flight time gives it, on the day before
        // when the landing was just after midnight.
        const time_t tEnd = dayOf(rcd.tFltBegin) + tClock;
        const time_t tBegin = tEnd - time_t(rcd.nElapsed) * FLT_TENTH;
        if (const gchar* pszStartWhy = fmodStartRefusal(tBegin))
            return refused(rcd, pszStartWhy);
        r.tFltEnd = tEnd;
        e.bStartMoved = tBegin != rcd.tFltBegin;
        setStart(r, tBegin, true);
    } else {
        r.tFltEnd = dayOf(rcd.tFltBegin) + tClock;
    }
    return e;
}

fedtEdit fedtFlightTime(const rcdFLog& rcd, const gchar* pszText) {
    guint nElapsed = 0;
    if (!isBlank(pszText) && !cnvEncHours(&nElapsed, pszText, CNV_FLIGHT_MAX))
        return refused(rcd, "Not a flight time: type hours and tenths, up to 24.0");
    fedtEdit e{rcd, nullptr, nElapsed != rcd.nElapsed, FALSE};
    if (!e.bChanged)
        return e;
    rcdFLog& r = e.rcd;
    const time_t tSpan = time_t(nElapsed) * FLT_TENTH;
    if (takeOffKnown(rcd)) {
        r.tFltEnd = rcd.tFltBegin + tSpan;
    } else if (landingKnown(rcd)) {
        const time_t tBegin = rcd.tFltEnd - tSpan;
        if (const gchar* pszStartWhy = fmodStartRefusal(tBegin))
            return refused(rcd, pszStartWhy);
        e.bStartMoved = tBegin != rcd.tFltBegin;
        setStart(r, tBegin, true);
    } else {
        r.tFltEnd = tSpan; // a bare duration until a clock time is known
    }
    r.nElapsed = nElapsed;
    return e;
}
