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

// A date field's reading of a text: the moment, or -1 when refused.
time_t parse(const char* pszText, gboolean bWithTime = TRUE) {
    time_t t = -1;
    const gchar* pszWhy = nullptr;
    const gboolean bOK = cnvReadDate(&t, pszText, bWithTime, &pszWhy);
    EXPECT_EQ(!bOK, pszWhy != nullptr) << pszText << ": a refusal says why, nothing else does";
    return bOK ? t : -1;
}

std::string show(time_t t, guint nFlags, gint nl = 30) {
    char sz[30];
    return cnvDcdDate(sz, nl, t, nFlags);
}

TEST(Cnv, DatesReadOneWayOrAreRefused) {
    const auto d = [](int nHour = 0, int nMin = 0) { return utc(2010, 4, 19, nHour, nMin); };
    // Text; the moment (-1: refused). Day before month, unless the first
    // number has four digits; nothing is carried into another month.
    const std::tuple<const char*, time_t> lst[] = {
        {"19/04/2010", d()},
        {"19 Apr 2010", d()},
        {"Apr 19, 2010", d()},
        {"19th APRIL 2010", d()},
        {"2010 april 19", d()},
        {"19-4-2010", d()},
        {"2010/04/19", d()},
        {"2010 19 4", d()},
        {"2024-02-10", utc(2024, 2, 10)},
        {"29-Feb-2024", utc(2024, 2, 29)},
        {"31-Feb-2024", -1},
        {"2024-02-30", -1},
        {"29/02/2023", -1},
        {"19/13/2010", -1},
        {"0/04/2010", -1},
        {"Apr 2010", -1},
        {"1 Apr", -1},
        {"19/04/10", -1},
        {"1/1/2050", -1},
        {"31/12/1969", -1},
        {"1-1-1970", -1}, // the moment that means "no date"
        {"1-1-1970 00:01", 60},
        {"yesterday", -1},
        {"19 Foo 2010", -1},
        {"19/04/2010 ", d()},
        {"19/04/2010 14:30", d(14, 30)},
        {"19/04/2010 1430", d(14, 30)},
        {"19/04/2010 9.05", d(9, 5)},
        {"19/04/2010 25:00", -1},
        {"19/04/2010 14:75", -1},
        {"19/04/2010 abc", -1},
        {"19/04/2010 14:30:15", -1},
        {"2010-04-19T14:30", -1},
        {"19/01/2038 03:15", utc(2038, 1, 19, 3, 15)},
        {"31-Dec-2049 23:59", utc(2049, 12, 31, 23, 59)}};
    for (auto [pszText, tExpected] : lst)
        EXPECT_EQ(parse(pszText), tExpected) << pszText;
    EXPECT_EQ(parse("19/04/2010 14:30", FALSE), -1) << "a date field takes no time";

    // The low-level reader the old callers use reads the fields alike.
    struct tm tmDate = {};
    EXPECT_STREQ(cnvEncDate(&tmDate, "2024-02-10 14:30"), "14:30");
    EXPECT_EQ(cnvMakeTime(&tmDate), utc(2024, 2, 10));
}

TEST(Cnv, ClockTimesReadOrAreRefused) {
    // Text; hour and minute (-1: refused).
    const std::tuple<const char*, int, int> lst[] = {
        {"14:30", 14, 30}, {" 1430 ", 14, 30}, {"930", 9, 30},    {"9:5", 9, 5},
        {"9.05", 9, 5},    {"5", 0, 5},        {"00:00", 0, 0},   {"23:59", 23, 59},
        {"", -1, -1},      {"abc", -1, -1},    {"--", -1, -1},    {"25:00", -1, -1},
        {"14:75", -1, -1}, {"-1:00", -1, -1},  {"12345", -1, -1}, {"14:30:15", -1, -1},
        {"14h30", -1, -1}};
    for (auto [pszText, nHour, nMin] : lst) {
        int nH = -1, nM = -1;
        cnvReadTime(&nH, &nM, pszText);
        EXPECT_EQ(std::pair(nH, nM), std::pair(nHour, nMin)) << pszText;
    }
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
    for (time_t t = 86400; t <= utc(2049, 12, 31); t += 86400 * 7 + 3600)
        ASSERT_EQ(parse(show(t, 0).c_str(), FALSE), t - t % 86400) << show(t, 0);
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
