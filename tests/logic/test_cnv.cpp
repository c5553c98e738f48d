// Typed dates, clock times, intervals and replacement limits: what the
// user types, what is stored, and what is shown again.
#include "avCnv.h"
#include "harness.h"

#include <clocale>
#include <cstdlib>
#include <string>
#include <tuple>

namespace {

using avt::utc;

// Parses as the maintenance cell does: a date from a cleared struct tm,
// then a time from what follows it.
const char* m_pszRest;
time_t parse(const char* pszText, const char** ppszRest = &m_pszRest) {
    struct tm tmDate = {};
    if ((*ppszRest = cnvEncDate(&tmDate, pszText)))
        cnvEncTime(&tmDate, *ppszRest);
    return cnvMakeTime(&tmDate);
}

std::string show(time_t t, guint nFlags, gint nl = 30) {
    char sz[30];
    return cnvDcdDate(sz, nl, t, nFlags);
}

TEST(Cnv, DatesAndTimesParse) {
    const auto d = [](int nHour = 0, int nMin = 0) { return utc(2010, 4, 19, nHour, nMin); };
    // Text; the moment (-1: no valid date); what follows the date (nullptr:
    // NULL). "2010/04/19" is day 4 of month 19, "Apr 2010" day 0, "1 Apr"
    // too short to set anything, two-digit years never a year, seconds not
    // read.
    const std::tuple<const char*, time_t, const char*> lst[] = {
        {"19/04/2010", d(), nullptr},
        {"19 Apr 2010", d(), nullptr},
        {"Apr 19, 2010", d(), nullptr},
        {"19-APRIL-2010", d(), nullptr},
        {"2010 april 19", d(), nullptr},
        {"19-4-2010", d(), nullptr},
        {"2010 19 4", d(), nullptr},
        {"2010/04/19", utc(2011, 7, 4), nullptr},
        {"Apr 2010", utc(2010, 3, 31), nullptr},
        {"1 Apr", -1, nullptr},
        {"1 Apr 2010", utc(2010, 4, 1), nullptr},
        {"19/04/10", -1, nullptr},
        {"1/1/2050", -1, nullptr},
        {"19/04/2010 ", d(), ""},
        {"19/04/2010 14:30", d(14, 30), "14:30"},
        {"19/04/2010 1430", d(14, 30), "1430"},
        {"19/04/2010 930", d(9, 30), "930"},
        {"19/04/2010 9:5", d(9, 5), "9:5"},
        {"19/04/2010 9.05", d(9, 5), "9.05"},
        {"19/04/2010 5", d(0, 5), "5"},
        {"19/04/2010 --", d(), "--"},
        {"19/04/2010 14:30:15", d(30, 15), "14:30:15"},
        {"19/01/2038 03:15", utc(2038, 1, 19, 3, 15), "03:15"},
        {"31-Dec-2049 23:59", utc(2049, 12, 31, 23, 59), "23:59"}};
    for (auto [pszText, tExpected, pszExpectedRest] : lst) {
        const char* pszRest;
        EXPECT_EQ(parse(pszText, &pszRest), tExpected) << pszText;
        EXPECT_STREQ(pszRest, pszExpectedRest) << pszText;
    }
    // Fields the text does not give keep the caller's values.
    const time_t tStart = utc(2012, 6, 7, 7);
    struct tm tmDate;
    gmtime_r(&tStart, &tmDate);
    cnvEncDate(&tmDate, "1 Apr");
    cnvEncTime(&tmDate, "");
    EXPECT_EQ(cnvMakeTime(&tmDate), tStart);
    cnvEncDate(&tmDate, "19/04/10");
    EXPECT_EQ(cnvMakeTime(&tmDate), utc(2012, 4, 19, 7));
}

TEST(Cnv, DatesAndTimesShow) {
    const time_t tMidnight = utc(2010, 4, 19);
    // Moment, flags, date text, time text.
    const std::tuple<time_t, guint, const char*, const char*> lst[] = {
        {0, 3, "", ""},
        {tMidnight, 1, "19-Apr-2010", ""},
        {tMidnight, 3, "19-Apr-2010 00:00", "00:00"},
        {utc(2010, 4, 19, 14, 30), 1, "19-Apr-2010 14:30", "14:30"},
        {360000, 1, "05-Jan-1970 04:00", ""},
        {360001, 0, "05-Jan-1970", "04:00"},
        {utc(2038, 1, 19, 3, 15), 1, "19-Jan-2038 03:15", "03:15"},
        {utc(2100, 3, 1, 23, 59), 1, "01-Mar-2100 23:59", "23:59"}};
    for (auto [t, nFlags, pszDate, pszTime] : lst) {
        char sz[30];
        cnvDcdTime(sz, sizeof sz, t, nFlags);
        EXPECT_STREQ(sz, pszTime) << t;
        EXPECT_EQ(show(t, nFlags), pszDate) << t;
    }
    // A cut "19-Apr-20" would read back as another date: all or nothing.
    EXPECT_EQ(show(tMidnight, 0, 11), "");
    EXPECT_EQ(show(tMidnight, 0, 12), "19-Apr-2010");
    // Whatever the program writes up to 2049 reads back, time included.
    for (time_t t = 86400; t <= utc(2049, 12, 31); t += 86400 + 60)
        ASSERT_EQ(parse(show(t, 3).c_str()), t) << show(t, 3);
}

TEST(Cnv, EnglishMonthsUnderAGermanLocale) {
    avt::TempDirs dirs;
    const std::string strSaved = setlocale(LC_ALL, nullptr);
    const bool bBuilt = !setlocale(LC_ALL, "de_DE.UTF-8");
    if (bBuilt) { // none installed: compile one for this test
        const std::string strCmd = "localedef -i de_DE -f UTF-8 " + dirs.root().string() + "/de";
        ASSERT_EQ(system((strCmd + "_DE.UTF-8 >/dev/null 2>&1").c_str()), 0) << "no German locale";
        setenv("LOCPATH", dirs.root().c_str(), 1);
        ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    }
    EXPECT_EQ(show(utc(2010, 3, 1, 14, 30), 1), "01-Mar-2010 14:30"); // not "Mär"
    EXPECT_EQ(parse("01-Mar-2010"), utc(2010, 3, 1));
    setlocale(LC_ALL, strSaved.c_str());
    if (bBuilt)
        unsetenv("LOCPATH");
}

TEST(Cnv, IntervalsAndReplacementLimits) {
    // I: interval, R: limit, H: limit in hours-only mode. Text (nullptr:
    // only shown), stored value, text shown (nullptr: not shown). Counts,
    // hours and years beyond their bits are held at the largest, not
    // wrapped (4096 days would be none); a years-only limit reads back.
    const std::tuple<char, const char*, guint, const char*> lst[] = {
        {'I', "6 months", 0x02000006, "6 Months"},
        {'I', "6 mo", 0x02000006, "6 Months"},
        {'I', "6M", 0x02000006, "6 Months"},
        {'I', "1 Year", 0x03000001, "1 Year"},
        {'I', "1 yr", 0x03000001, "1 Year"},
        {'I', "1 annual", 0x03000001, "1 Year"},
        {'I', "2 Years", 0x03000002, "2 Years"},
        {'I', "1 month", 0x02000001, "1 Month"},
        {'I', "30", 30, "30 Days"},
        {'I', "14 Days", 14, "14 Days"},
        {'I', "2 wks", 0x01000002, "2 Weeks"},
        {'I', "0 weeks", 0x01000000, "0 Weeks"},
        {'I', "", 0, ""},
        {'I', nullptr, 0x09000002, "2 Years"},
        {'I', "4097 days", 4095, "4095 Days"},
        {'I', "-6 months", 0x02000000, "0 Months"},
        {'R', "100 HR or 5 yrs", 0x00050064, "100 HR or 5 yrs"},
        {'R', "100 HR/OC", 0x80000064, "100 HR/OC"},
        {'R', "OC or 5 yrs", 0x80050000, "OC or 5 yrs"},
        {'R', "OC", 0x80000000, "OC"},
        {'R', "100 HR/OC or 5 yrs", 0x80050064, "100 HR/OC or 5 yrs"},
        {'R', "100HR", 100, "100 HR"},
        {'R', "", 0, ""},
        {'R', "5 yrs", 0x00050000, "5 yrs"},
        {'R', "70000 HR", 0xFFFF, "65535 HR"},
        {'H', "250 HR", 250, nullptr}};
    for (auto [cKind, pszText, nStored, pszShown] : lst) {
        guint n = 0xDEADBEEF;
        char sz[40];
        if (cKind == 'I' && pszText)
            cnvEncInterval(&n, pszText);
        else if (cKind != 'I')
            cnvEncRCO(&n, pszText, cKind == 'H');
        (cKind == 'I' ? cnvDcdInterval : cnvDcdRCO)(sz, sizeof sz, nStored);
        EXPECT_EQ(pszText ? n : nStored, nStored) << pszText;
        EXPECT_STREQ(pszShown ? sz : nullptr, pszShown) << pszText;
    }
}

} // namespace

namespace {

TEST(Cnv, HoursTypedAreReadExactlyOrRefused) {
    // Text, limit, tenths (-1: refused, the old value stays).
    const std::tuple<const char*, guint, gint64> lst[] = {
        {"2.3", CNV_HOURS_MAX, 23},    {" 12,34 ", CNV_HOURS_MAX, 123},
        {"7 hrs", CNV_HOURS_MAX, 70},  {"99999.9", CNV_HOURS_MAX, 999999},
        {"100000", CNV_HOURS_MAX, -1}, {"4294967296", CNV_HOURS_MAX, -1},
        {"-1", CNV_HOURS_MAX, -1},     {"abc", CNV_HOURS_MAX, -1},
        {"", CNV_HOURS_MAX, -1},       {"1.2.3", CNV_HOURS_MAX, -1},
        {"24.1", CNV_FLIGHT_MAX, -1},  {".5", CNV_FLIGHT_MAX, 5},
    };
    for (const auto& [pszText, nMax, nWant] : lst) {
        guint nTenths = 4242;
        const gboolean bOK = cnvEncHours(&nTenths, pszText, nMax);
        EXPECT_EQ(nWant >= 0, bool(bOK)) << pszText;
        EXPECT_EQ(nWant >= 0 ? nWant : 4242, gint64(nTenths)) << pszText;
    }
    char sz[32];
    cnvDcdHours(sz, sizeof sz, gint64(G_MAXUINT) * 3 + 7);
    EXPECT_STREQ("1288490189.2", sz);
}

TEST(Cnv, CalendarStepsClampToTheMonthsLastDay) {
    // From, unit, count, to.
    const std::tuple<time_t, guint, gint64, time_t> lst[] = {
        {utc(2025, 8, 31), INTV_MONTH, 6, utc(2026, 2, 28)},
        {utc(2023, 8, 31), INTV_MONTH, 6, utc(2024, 2, 29)},
        {utc(2024, 2, 29), INTV_YEAR, 1, utc(2025, 2, 28)},
        {utc(2026, 3, 31), INTV_MONTH, -1, utc(2026, 2, 28)},
        {utc(2021, 5, 15, 10, 20), INTV_YEAR, 5, utc(2026, 5, 15, 10, 20)},
        {utc(2026, 12, 30), INTV_WEEK, 1, utc(2027, 1, 6)},
        {utc(2050, 1, 1), INTV_YEAR, 20, utc(2070, 1, 1)},
        {-1, INTV_DAY, 1, -1},
    };
    for (const auto& [tFrom, nUnit, nCount, tWant] : lst)
        EXPECT_EQ(tWant, cnvAddCalendar(tFrom, nUnit, nCount)) << tFrom << " " << nCount;
    EXPECT_EQ(utc(2026, 2, 28),
              cnvAddInterval(utc(2025, 8, 31), 6 | INTV_MONTH << CNV_INTV_UNIT_SHIFT));
}

} // namespace
