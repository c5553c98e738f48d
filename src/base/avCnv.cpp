#include "avCnv.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// Parsing knows only these names, and writing uses them too, so that every
// date the program writes reads back whatever the user's locale.
constexpr std::array<const char*, 12> m_lstMonthParse = {"jan", "feb", "mar", "apr", "may", "jun",
                                                         "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<const char*, 12> m_lstMonthShow = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 4> m_lstIntvUnit = {"Day", "Week", "Month", "Year"};

// A field keeps at most this many characters; the rest of a long run of
// letters and digits is dropped.
constexpr std::size_t FIELD_MAX = 19;

bool isAlnum(char c) {
    return g_ascii_isalnum(c);
}
bool isAlpha(char c) {
    return g_ascii_isalpha(c);
}

// The leading decimal number as atoi reads it (blanks, a sign, digits),
// but saturated instead of overflowing.
int leadingNumber(std::string_view sv) {
    std::size_t i = 0;
    while (i < sv.size() && (sv[i] == ' ' || (sv[i] >= '\t' && sv[i] <= '\r')))
        ++i;
    bool bNeg = false;
    if (i < sv.size() && (sv[i] == '+' || sv[i] == '-')) {
        bNeg = sv[i] == '-';
        ++i;
    }
    long long n = 0;
    for (; i < sv.size() && cnvIsDigit(sv[i]); ++i) {
        n = n * 10 + (sv[i] - '0');
        if (n > INT_MAX) {
            n = static_cast<long long>(INT_MAX) + 1;
            break;
        }
    }
    if (bNeg)
        return n > INT_MAX ? INT_MIN : static_cast<int>(-n);
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// Up to N runs of ASCII letters and digits, split on everything else.
template <std::size_t N> struct Fields {
    std::array<std::string_view, N> lst{};
    std::size_t n = 0;
    // Index of the separator that ended the last field taken, if any.
    std::size_t iEnd = std::string_view::npos;
    // Index just past the last field taken (its whole run, however long).
    std::size_t iAfter = 0;
};

template <std::size_t N> Fields<N> splitFields(std::string_view sv) {
    Fields<N> f;
    std::size_t i = 0;
    while (f.n < N) {
        while (i < sv.size() && !isAlnum(sv[i]))
            ++i;
        if (i >= sv.size())
            break;
        std::size_t iStart = i;
        while (i < sv.size() && isAlnum(sv[i]))
            ++i;
        f.lst[f.n++] = sv.substr(iStart, std::min(i - iStart, FIELD_MAX));
        f.iAfter = i;
        if (i < sv.size() && f.n == N)
            f.iEnd = i;
    }
    return f;
}

// Copies a formatted text into the caller's buffer only when it fits
// whole: a cut date would read as another date.
void putWhole(gchar* psz, std::size_t nl, const char* pszText) {
    if (nl == 0)
        return;
    std::size_t nlText = strlen(pszText);
    if (nlText >= nl)
        nlText = 0;
    memcpy(psz, pszText, nlText);
    psz[nlText] = '\0';
}

} // namespace

namespace {

bool isLeap(gint64 nYear) {
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

int daysInMonth(gint64 nYear, int iMonth) {
    constexpr std::array<int, 12> lstDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return iMonth == 1 && isLeap(nYear) ? 29 : lstDays[std::size_t(iMonth)];
}

} // namespace

namespace {

constexpr std::array<const char*, 12> m_lstMonthName = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

bool allDigits(std::string_view fld) {
    return !fld.empty() && std::all_of(fld.begin(), fld.end(), cnvIsDigit);
}

// The month a word names: three letters or more of an English month name,
// in any case ("Apr", "APRIL", "sept"). -1 for any other word.
int monthOfWord(std::string_view fld) {
    if (fld.size() < 3 || !std::all_of(fld.begin(), fld.end(), isAlpha))
        return -1;
    for (std::size_t m = 0; m < m_lstMonthName.size(); ++m) {
        std::string_view svName = m_lstMonthName[m];
        if (fld.size() <= svName.size() &&
            std::equal(fld.begin(), fld.end(), svName.begin(),
                       [](char a, char b) { return g_ascii_tolower(a) == b; }))
            return static_cast<int>(m);
    }
    return -1;
}

// The years a typed date may name: no stored date lies before 1970, and a
// year past 2049 is a typing error.
constexpr int YEAR_FIRST = 1970, YEAR_LAST = 2049;
const gchar* const WHY_YEAR = "The year needs four digits (1970 to 2049)";

bool inYearWindow(int nYear) {
    return nYear >= YEAR_FIRST && nYear <= YEAR_LAST;
}

// Which of the (up to) three fields of a date is the day, the month and the
// year. Numeric dates are day month year, unless the first number has four
// digits: then year month day. A month name may stand in any place.
struct DateScan {
    Fields<3> f;
    int iDay = -1, iMonth = -1, iYear = -1;
    bool bMonthName = false;
    int nMonthName = 0; // 0-based, when bMonthName
};

DateScan scanDate(std::string_view sv) {
    DateScan d;
    d.f = splitFields<3>(sv);
    for (std::size_t i = 0; i < d.f.n && !d.bMonthName; ++i) {
        int m = monthOfWord(d.f.lst[i]);
        if (m >= 0) {
            d.bMonthName = true;
            d.nMonthName = m;
            d.iMonth = static_cast<int>(i);
        }
    }
    auto free = [&](std::size_t i) {
        return static_cast<int>(i) != d.iMonth && static_cast<int>(i) != d.iYear &&
               static_cast<int>(i) != d.iDay;
    };
    auto takeNext = [&](int& iField) {
        for (std::size_t i = 0; i < 3; ++i)
            if (free(i)) {
                iField = static_cast<int>(i);
                return;
            }
    };
    if (d.f.lst[0].size() == 4 && allDigits(d.f.lst[0])) {
        d.iYear = 0;
        if (!d.bMonthName)
            takeNext(d.iMonth);
        // Year-month-day only: "2026-13-01" is no month, not 13-Jan-2026.
        takeNext(d.iDay);
        return d;
    }
    // Only a number within the years' window is a year; "10" never is.
    for (std::size_t i = 0; i < 3; ++i) {
        if (!free(i))
            continue;
        int n = leadingNumber(d.f.lst[i]);
        if (inYearWindow(n)) {
            d.iYear = static_cast<int>(i);
            break;
        }
    }
    takeNext(d.iDay);
    if (!d.bMonthName)
        takeNext(d.iMonth);
    return d;
}

int fieldNumber(const DateScan& d, int iField) {
    return leadingNumber(d.f.lst[std::size_t(iField)]);
}

// A day may carry its ordinal ("19th"); other numbers are digits only.
bool isDayField(std::string_view fld) {
    std::size_t i = 0;
    while (i < fld.size() && cnvIsDigit(fld[i]))
        ++i;
    if (i == 0 || i > 2)
        return false;
    std::string_view svSuffix = fld.substr(i);
    for (const char* psz : {"", "st", "nd", "rd", "th"})
        if (svSuffix.size() == strlen(psz) &&
            std::equal(svSuffix.begin(), svSuffix.end(), psz,
                       [](char a, char b) { return g_ascii_tolower(a) == b; }))
            return true;
    return false;
}

const gchar* const WHY_DATE = "Not a date: type day, month and year (19-Apr-2010, 19/04/2010) "
                              "or year-month-day (2010-04-19)";

} // namespace

const gchar* cnvEncDate(struct tm* ptmDate, const gchar* pszDate) {
    if (!ptmDate || !pszDate)
        return nullptr;
    std::string_view sv(pszDate);
    if (sv.size() <= 5)
        return nullptr;
    const DateScan d = scanDate(sv);
    if (d.bMonthName)
        ptmDate->tm_mon = d.nMonthName;
    if (d.iYear >= 0)
        ptmDate->tm_year = fieldNumber(d, d.iYear) - 1900;
    if (d.iDay >= 0)
        ptmDate->tm_mday = fieldNumber(d, d.iDay);
    if (!d.bMonthName && d.iMonth >= 0) {
        int n = fieldNumber(d, d.iMonth);
        ptmDate->tm_mon = n == INT_MIN ? INT_MIN : n - 1;
    }
    if (d.f.iEnd == std::string_view::npos)
        return nullptr;
    return pszDate + d.f.iEnd + 1;
}

gboolean cnvReadDate(time_t* ptDate, const gchar* pszText, gboolean bWithTime,
                     const gchar** ppszWhy) {
    auto refuse = [&](const gchar* pszWhy) {
        if (ppszWhy)
            *ppszWhy = pszWhy;
        return FALSE;
    };
    if (!ptDate || !pszText)
        return refuse(WHY_DATE);
    std::string_view sv(pszText);
    const DateScan d = scanDate(sv);
    if (d.f.n < 3 || d.iDay < 0 || d.iMonth < 0)
        return refuse(WHY_DATE);
    for (std::size_t i = 0; i < 3; ++i) {
        const int iField = static_cast<int>(i);
        if (iField == d.iDay ? !isDayField(d.f.lst[i])
                             : !(iField == d.iMonth && d.bMonthName) && !allDigits(d.f.lst[i]))
            return refuse(WHY_DATE);
    }
    if (d.iYear < 0 || d.f.lst[std::size_t(d.iYear)].size() != 4)
        return refuse(WHY_YEAR);
    const int nYear = fieldNumber(d, d.iYear);
    const int nMonth = d.bMonthName ? d.nMonthName + 1 : fieldNumber(d, d.iMonth);
    const int nDay = fieldNumber(d, d.iDay);
    if (!inYearWindow(nYear))
        return refuse(WHY_YEAR);
    if (nMonth < 1 || nMonth > 12)
        return refuse("There is no such month (1 to 12)");
    if (nDay < 1 || nDay > daysInMonth(nYear, nMonth - 1))
        return refuse("That month has no such day");

    struct tm tmDate {};
    tmDate.tm_year = nYear - 1900;
    tmDate.tm_mon = nMonth - 1;
    tmDate.tm_mday = nDay;

    // What follows the date: a clock time where one is asked for, else
    // nothing but separators.
    std::size_t i = d.f.iAfter;
    while (i < sv.size() && !isAlnum(sv[i]))
        ++i;
    if (i < sv.size()) {
        if (!bWithTime)
            return refuse(WHY_DATE);
        int nHour = 0, nMin = 0;
        const gchar* pszWhyTime = nullptr;
        if (!cnvReadTime(&nHour, &nMin, pszText + i, &pszWhyTime))
            return refuse(pszWhyTime);
        tmDate.tm_hour = nHour;
        tmDate.tm_min = nMin;
    }
    const time_t t = cnvMakeTime(&tmDate);
    if (t == -1)
        return refuse(WHY_YEAR);
    // The very first moment, 0, is what every record stores for "no date":
    // taken, the date would vanish from the field.
    if (t == 0)
        return refuse("The first moment of 1970 means no date: give a later time");
    *ptDate = t;
    return TRUE;
}

time_t cnvReadClock(std::string_view sv, gboolean bSeconds) {
    while (!sv.empty() && g_ascii_isspace(sv.front()))
        sv.remove_prefix(1);
    while (!sv.empty() && g_ascii_isspace(sv.back()))
        sv.remove_suffix(1);
    // Up to three runs of digits, parted by ':' or '.'.
    std::array<std::string_view, 3> lstPart;
    std::size_t nParts = 0;
    for (bool bMore = true; bMore; ++nParts) {
        if (nParts == (bSeconds ? 3u : 2u))
            return -1;
        const std::size_t iSep = sv.find_first_of(":.");
        bMore = iSep != std::string_view::npos;
        lstPart[nParts] = sv.substr(0, iSep);
        sv.remove_prefix(bMore ? iSep + 1 : sv.size());
    }
    for (std::size_t i = 0; i < nParts; ++i)
        if (!allDigits(lstPart[i]) || lstPart[i].size() > (nParts == 1 ? 4u : 2u))
            return -1;
    if (nParts == 1) {
        // "1430", "930": the last two digits are the minutes.
        const std::string_view svAll = lstPart[0];
        const std::size_t nlHour = svAll.size() > 2 ? svAll.size() - 2 : 0;
        lstPart = {svAll.substr(0, nlHour), svAll.substr(nlHour), {}};
    }
    const int nHour = lstPart[0].empty() ? 0 : leadingNumber(lstPart[0]);
    const int nMin = leadingNumber(lstPart[1]);
    const int nSec = lstPart[2].empty() ? 0 : leadingNumber(lstPart[2]);
    if (nHour > 23 || nMin > 59 || nSec > 59)
        return -1;
    return time_t(nHour) * 3600 + nMin * 60 + nSec;
}

gboolean cnvReadTime(int* pnHour, int* pnMin, const gchar* pszTime, const gchar** ppszWhy) {
    const time_t t = pszTime ? cnvReadClock(pszTime, FALSE) : -1;
    if (t < 0 || !pnHour || !pnMin) {
        if (ppszWhy)
            *ppszWhy = "Not a clock time: type hours and minutes, 00:00 to 23:59";
        return FALSE;
    }
    *pnHour = int(t / 3600);
    *pnMin = int(t / 60 % 60);
    return TRUE;
}

const gchar* cnvEncTime(struct tm* ptmTime, const gchar* pszTime) {
    if (!ptmTime || !pszTime || !*pszTime)
        return pszTime;
    char szHour[3] = "00";
    char szMin[3] = "00";
    auto i = static_cast<std::ptrdiff_t>(strlen(pszTime)) - 1;

    // Read from the end: the last number is the minutes; a third digit in
    // a row already belongs to the hour ("1430", "930").
    auto take = [&](char* pszBuf) {
        while (i >= 0 && !cnvIsDigit(pszTime[i]))
            --i;
        for (int k = 1; k >= 0 && i >= 0 && cnvIsDigit(pszTime[i]); --k, --i)
            pszBuf[k] = pszTime[i];
    };
    take(szMin);
    take(szHour);

    ptmTime->tm_hour = (szHour[0] - '0') * 10 + (szHour[1] - '0');
    ptmTime->tm_min = (szMin[0] - '0') * 10 + (szMin[1] - '0');
    return i >= 0 ? pszTime + i : pszTime;
}

time_t cnvMakeTime(struct tm* ptm) {
    if (!ptm)
        return -1;
    ptm->tm_isdst = 0;
    time_t t = timegm(ptm);
    return t < 0 ? -1 : t;
}

gchar* cnvDcdDate(gchar* pszDate, gint nlDate, time_t tDate, guint nFlags) {
    if (!pszDate || nlDate <= 0)
        return pszDate;
    const auto nl = static_cast<std::size_t>(nlDate);
    memset(pszDate, 0, nl);
    struct tm tmDate;
    if (tDate <= 0 || !gmtime_r(&tDate, &tmDate))
        return pszDate;

    char szText[64];
    const bool bTime = (nFlags & CNV_DCD_WITH_TIME) &&
                       (tmDate.tm_hour != 0 || tmDate.tm_min != 0 || (nFlags & CNV_DCD_MIDNIGHT));
    if (bTime)
        snprintf(szText, sizeof szText, "%02d-%s-%lld %02d:%02d", tmDate.tm_mday,
                 m_lstMonthShow[tmDate.tm_mon], tmDate.tm_year + 1900LL, tmDate.tm_hour,
                 tmDate.tm_min);
    else
        snprintf(szText, sizeof szText, "%02d-%s-%lld", tmDate.tm_mday,
                 m_lstMonthShow[tmDate.tm_mon], tmDate.tm_year + 1900LL);
    putWhole(pszDate, nl, szText);
    return pszDate;
}

std::string cnvDateText(time_t tDate, guint nFlags) {
    gchar sz[40];
    return cnvDcdDate(sz, sizeof sz, tDate, nFlags);
}

void cnvDcdTime(gchar* pszDate, gint nlDate, time_t tDate, guint nFlags) {
    if (!pszDate || nlDate <= 0)
        return;
    pszDate[0] = '\0';
    // Small values are durations or nothing at all, never a time of day.
    if (tDate <= 360000)
        return;
    struct tm tmTime;
    if (!gmtime_r(&tDate, &tmTime))
        return;
    if (tmTime.tm_hour == 0 && tmTime.tm_min == 0 && !(nFlags & CNV_DCD_MIDNIGHT))
        return;
    char szText[16];
    snprintf(szText, sizeof szText, "%02d:%02d", tmTime.tm_hour, tmTime.tm_min);
    putWhole(pszDate, static_cast<std::size_t>(nlDate), szText);
}

void cnvEncInterval(guint* pnIntv, const gchar* pszIntv) {
    if (!pnIntv)
        return;
    std::string_view sv(pszIntv ? pszIntv : "");
    // The stored count has 12 bits. A count beyond it is held at the
    // largest, not wrapped: 4096 days would otherwise become "no interval".
    int n = leadingNumber(sv);
    guint nCount = n < 0 ? 0 : std::min<guint>(static_cast<guint>(n), CNV_INTV_COUNT_MASK);

    guint nUnit = INTV_DAY;
    for (char c : sv) {
        if (!isAlpha(c))
            continue;
        switch (g_ascii_toupper(c)) {
        case 'M':
            nUnit = INTV_MONTH;
            break;
        case 'W':
            nUnit = INTV_WEEK;
            break;
        case 'D':
            nUnit = INTV_DAY;
            break;
        default:
            nUnit = INTV_YEAR;
            break;
        }
        break;
    }
    *pnIntv = nCount | nUnit << CNV_INTV_UNIT_SHIFT;
}

void cnvDcdInterval(gchar* pszIntv, guint nlIntv, guint nIntv) {
    if (!pszIntv || nlIntv == 0)
        return;
    pszIntv[0] = '\0';
    if (nIntv == 0)
        return;
    const guint nCount = nIntv & CNV_INTV_COUNT_MASK;
    const guint nUnit = std::min<guint>(nIntv >> CNV_INTV_UNIT_SHIFT, INTV_YEAR);
    g_snprintf(pszIntv, nlIntv, "%u %s%s", nCount, m_lstIntvUnit[nUnit], nCount != 1 ? "s" : "");
}

void cnvEncRCO(guint* pnRCO, const gchar* pszRCO, gboolean bHoursOnly) {
    if (!pnRCO)
        return;
    const auto f = splitFields<6>(std::string_view(pszRCO ? pszRCO : ""));

    if (bHoursOnly) {
        // The first number, even behind a word ("every 100 hr").
        guint nHours = 0;
        for (std::size_t i = 0; i < f.n; ++i) {
            if (cnvIsDigit(f.lst[i][0])) {
                nHours = static_cast<guint>(leadingNumber(f.lst[i]));
                break;
            }
        }
        *pnRCO = nHours;
        return;
    }

    guint nHours = 0;
    guint nYears = 0;
    bool bOC = false;
    bool bHoursSet = false;
    bool bYearsSet = false;
    int nNumbers = 0;
    for (std::size_t i = 0; i < f.n; ++i) {
        std::string_view fld = f.lst[i];
        if (cnvIsDigit(fld[0])) {
            const auto nValue = static_cast<guint>(leadingNumber(fld));
            // The unit word: letters glued to the number ("5yrs") or the
            // next field. A Y-word makes the number years wherever it
            // stands, so "5 yrs" reads back as written; an H-word makes it
            // hours; otherwise the first number is hours, the second years.
            std::size_t iDigitsEnd = 0;
            while (iDigitsEnd < fld.size() && cnvIsDigit(fld[iDigitsEnd]))
                ++iDigitsEnd;
            char cUnit = '\0';
            if (iDigitsEnd < fld.size())
                cUnit = fld[iDigitsEnd];
            else if (i + 1 < f.n && isAlpha(f.lst[i + 1][0]))
                cUnit = f.lst[i + 1][0];
            cUnit = g_ascii_toupper(cUnit);

            // Held at the largest storable value: larger hours would spill
            // into the years bits.
            auto setHours = [&] {
                nHours = std::min<guint>(nValue, CNV_RCO_HOURS_MASK);
                bHoursSet = true;
            };
            auto setYears = [&] {
                nYears = std::min<guint>(nValue, CNV_RCO_YEARS_MASK >> CNV_RCO_YEARS_SHIFT);
                bYearsSet = true;
            };
            if (cUnit == 'Y')
                setYears();
            else if (cUnit == 'H')
                setHours();
            else if ((nNumbers == 0 || bYearsSet) && !bHoursSet)
                setHours();
            else if (!bYearsSet)
                setYears();
            ++nNumbers;
        } else if (!bOC) {
            // "OC" anywhere in a word; the next plain number is then years.
            std::size_t nl = fld.size();
            for (std::size_t k = 0; k + 1 < nl; ++k) {
                if (g_ascii_toupper(fld[k]) == 'O' && g_ascii_toupper(fld[k + 1]) == 'C') {
                    bOC = true;
                    nNumbers = 1;
                    break;
                }
            }
        }
    }
    *pnRCO = nHours | nYears << CNV_RCO_YEARS_SHIFT | (bOC ? CNV_RCO_OC : 0u);
}

void cnvDcdRCO(gchar* pszRCO, guint nlRCO, guint nRCO) {
    if (!pszRCO || nlRCO == 0)
        return;
    const guint nHours = nRCO & CNV_RCO_HOURS_MASK;
    const guint nYears = (nRCO & CNV_RCO_YEARS_MASK) >> CNV_RCO_YEARS_SHIFT;
    const bool bOC = nRCO & CNV_RCO_OC;

    char szHours[16] = "";
    char szYears[24] = "";
    const char* pszOC = !bOC ? "" : nHours ? "/OC" : "OC";
    if (nHours)
        snprintf(szHours, sizeof szHours, "%u HR", nHours);
    if (nYears)
        snprintf(szYears, sizeof szYears, bOC || nHours ? " or %u yrs" : "%u yrs", nYears);
    g_snprintf(pszRCO, nlRCO, "%s%s%s", szHours, pszOC, szYears);
}

gboolean cnvReadRCO(guint* pnRCO, const gchar* pszText, gboolean bHoursOnly,
                    const gchar** ppszWhy) {
    auto refuse = [ppszWhy](const gchar* pszWhy) {
        if (ppszWhy)
            *ppszWhy = pszWhy;
        return FALSE;
    };
    const gchar* pszForm = bHoursOnly ? "type whole hours, such as 25."
                                      : "type it as 500 HR, 5 yrs, 500 HR or 5 yrs, or OC.";
    const std::string_view sv(pszText ? pszText : "");
    // Read word by word what cnvEncRCO would bend: a sign, a fraction, a
    // word that is no unit ("5 months" would be five hours), a third figure.
    int nNumbers = 0;
    bool bOC = false;
    for (std::size_t i = 0; i < sv.size();) {
        const char c = sv[i];
        if (c == '-' || ((c == '.' || c == ',') && i + 1 < sv.size() && cnvIsDigit(sv[i + 1])))
            return refuse(pszForm);
        if (!cnvIsDigit(c) && !isAlpha(c)) {
            ++i;
            continue;
        }
        std::size_t nDigits = 0;
        for (; i < sv.size() && cnvIsDigit(sv[i]); ++i)
            ++nDigits;
        std::size_t iWord = i;
        for (; i < sv.size() && isAlpha(sv[i]); ++i) {
        }
        if (nDigits > 9)
            return refuse(bHoursOnly ? "no inspection interval is that long."
                                     : "no part lasts that long.");
        nNumbers += nDigits > 0;
        const std::string_view word = sv.substr(iWord, i - iWord);
        if (word.empty())
            continue;
        const char cUnit = g_ascii_toupper(word[0]);
        const bool bWordOC = word.size() == 2 && cUnit == 'O' && g_ascii_toupper(word[1]) == 'C';
        const bool bWordOr = word.size() == 2 && cUnit == 'O' && g_ascii_toupper(word[1]) == 'R';
        bOC |= bWordOC;
        if (cUnit != 'H' && (bHoursOnly || (cUnit != 'Y' && !bWordOC && !bWordOr)))
            return refuse(pszForm);
    }
    const bool bBlank =
        std::all_of(sv.begin(), sv.end(), [](char c) { return c == ' ' || c == '\t'; });
    if (nNumbers > (bHoursOnly ? 1 : 2) || (nNumbers == 0 && !bOC && !bBlank))
        return refuse(pszForm);
    guint nRCO = 0;
    cnvEncRCO(&nRCO, pszText, bHoursOnly);
    const guint nHours = bHoursOnly ? nRCO : nRCO & CNV_RCO_HOURS_MASK;
    if (nHours > CNV_RCO_HOURS_MAX || (bHoursOnly && nRCO > CNV_RCO_HOURS_MAX))
        return refuse(bHoursOnly ? "more than 20000 hours between inspections is a typing error."
                                 : "a life of more than 20000 hours is a typing error.");
    if (!bHoursOnly && (nRCO & CNV_RCO_YEARS_MASK) >> CNV_RCO_YEARS_SHIFT > CNV_RCO_YEARS_MAX)
        return refuse("a calendar life of more than 50 years is a typing error.");
    *pnRCO = nRCO;
    return TRUE;
}

gboolean cnvEncHours(guint* pnTenths, const gchar* pszHours, guint nMaxTenths) {
    if (!pnTenths || !pszHours)
        return FALSE;
    std::string_view sv(pszHours);
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < sv.size() && g_ascii_isspace(sv[i]))
            ++i;
    };
    skipBlanks();
    guint64 nWhole = 0;
    std::size_t nDigits = 0;
    for (; i < sv.size() && cnvIsDigit(sv[i]); ++i, ++nDigits) {
        nWhole = nWhole * 10 + guint64(sv[i] - '0');
        if (nWhole > G_MAXUINT)
            return FALSE;
    }
    guint64 nTenths = nWhole * 10;
    if (i < sv.size() && (sv[i] == '.' || sv[i] == ',')) {
        ++i;
        // Kept to the nearest tenth, as a flight time in minutes is: 1.25
        // is 1.3, 0.95 is 1.0 (cutting would lose hours at every entry).
        for (std::size_t nPlace = 0; i < sv.size() && cnvIsDigit(sv[i]); ++i, ++nDigits, ++nPlace) {
            if (nPlace == 0)
                nTenths += guint64(sv[i] - '0');
            else if (nPlace == 1 && sv[i] >= '5')
                ++nTenths;
        }
    }
    skipBlanks();
    // An hours word may follow the number ("7 h", "7 hrs").
    if (i < sv.size() && g_ascii_tolower(sv[i]) == 'h')
        while (i < sv.size() && isAlpha(sv[i]))
            ++i;
    skipBlanks();
    if (nDigits == 0 || i != sv.size() || nTenths > nMaxTenths)
        return FALSE;
    *pnTenths = guint(nTenths);
    return TRUE;
}

void cnvDcdHours(gchar* pszHours, guint nlHours, gint64 nTenths) {
    if (!pszHours || nlHours == 0)
        return;
    const char* pszSign = nTenths < 0 ? "-" : "";
    const guint64 n = nTenths < 0 ? guint64(-(nTenths + 1)) + 1 : guint64(nTenths);
    char szText[32];
    snprintf(szText, sizeof szText, "%s%llu.%llu", pszSign, (unsigned long long)(n / 10),
             (unsigned long long)(n % 10));
    putWhole(pszHours, nlHours, szText);
}

time_t cnvAddCalendar(time_t tDate, guint nUnit, gint64 nCount) {
    if (tDate == -1)
        return -1;
    struct tm tm;
    if (!gmtime_r(&tDate, &tm))
        return -1;
    // Bounded far beyond any interval the program stores, so that the
    // arithmetic below cannot overflow.
    constexpr gint64 COUNT_MAX = 1 << 24;
    if (nCount > COUNT_MAX || nCount < -COUNT_MAX)
        return -1;
    switch (nUnit) {
    case INTV_DAY:
    case INTV_WEEK: {
        const gint64 nDays = nUnit == INTV_WEEK ? 7 * nCount : nCount;
        const gint64 t = gint64(tDate) + nDays * SECONDS_PER_DAY;
        return t < 0 ? -1 : time_t(t);
    }
    case INTV_MONTH:
    case INTV_YEAR: {
        const gint64 nMonths =
            gint64(tm.tm_year) * 12 + tm.tm_mon + (nUnit == INTV_YEAR ? 12 * nCount : nCount);
        const gint64 nYear = nMonths >= 0 ? nMonths / 12 : (nMonths - 11) / 12;
        tm.tm_year = int(nYear);
        tm.tm_mon = int(nMonths - nYear * 12);
        tm.tm_mday = std::min(tm.tm_mday, daysInMonth(nYear + 1900, tm.tm_mon));
        return cnvMakeTime(&tm);
    }
    default: // an unknown unit steps nothing
        return tDate;
    }
}

time_t cnvAddInterval(time_t tDate, guint nIntv, int nSign) {
    const gint64 nCount = gint64(nIntv & CNV_INTV_COUNT_MASK) * (nSign < 0 ? -1 : 1);
    return cnvAddCalendar(tDate, nIntv >> CNV_INTV_UNIT_SHIFT, nCount);
}

gboolean cnvReadInterval(guint* pnIntv, const gchar* pszText, const gchar** ppszWhy) {
    // The longest interval anything is given, in each unit: a hundred years.
    constexpr std::array<guint, 4> lstMax = {36525, 5218, 1200, 100};
    auto refuse = [ppszWhy](const gchar* pszWhy) {
        if (ppszWhy)
            *ppszWhy = pszWhy;
        return FALSE;
    };
    const gchar* psz = pszText ? pszText : "";
    while (g_ascii_isspace(*psz))
        ++psz;
    if (!*psz) {
        *pnIntv = 0;
        return TRUE;
    }
    guint64 nCount = 0;
    const gchar* pszCount = psz;
    for (; g_ascii_isdigit(*psz) && nCount <= G_MAXUINT; ++psz)
        nCount = nCount * 10 + guint64(*psz - '0');
    if (psz == pszCount)
        return refuse("An interval is a count and a unit, such as 6 months or 2 years.");
    while (*psz && !g_ascii_isalpha(*psz))
        ++psz;
    if (*psz && !strchr("DdWwMmYy", *psz))
        return refuse("An interval is counted in days, weeks, months or years.");
    guint nIntv = 0;
    cnvEncInterval(&nIntv, pszText);
    const guint nUnit = nIntv >> CNV_INTV_UNIT_SHIFT;
    if (nUnit >= lstMax.size() || nCount > lstMax[nUnit] || nCount > CNV_INTV_COUNT_MASK)
        return refuse("An interval of more than a hundred years (or 4095 of a unit) is a "
                      "typing error.");
    *pnIntv = nIntv;
    return TRUE;
}

gint64 cnvDaysBetween(time_t tFrom, time_t tTo) {
    auto day = [](time_t t) {
        const gint64 n = gint64(t);
        return n >= 0 ? n / SECONDS_PER_DAY : -((-n + SECONDS_PER_DAY - 1) / SECONDS_PER_DAY);
    };
    return day(tTo) - day(tFrom);
}

gboolean cnvIsFuture(time_t tDate, time_t tNow) {
    return tDate != time_t(-1) && cnvDaysBetween(tNow, tDate) > 0;
}

void mscCopyText(char* pszField, std::size_t nlField, const char* pszSource) {
    if (nlField == 0)
        return;
    if (!pszSource)
        pszSource = "";
    std::size_t nl = strnlen(pszSource, nlField);
    if (nl >= nlField) {
        // Cut at nlField - 1, then step back over continuation bytes so a
        // multi-byte character is dropped whole.
        nl = nlField - 1;
        auto isContinuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
        while (nl > 0 && isContinuation(static_cast<unsigned char>(pszSource[nl])))
            --nl;
    }
    memcpy(pszField, pszSource, nl);
    pszField[nl] = '\0';
}
