// Typed dates, clock times, intervals, limits and hours: what the user
// types, what is stored, what is shown again, and hostile input.
#include "avCnv.h"
#include "harness.h"

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <vector>

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
    // Day before month, unless the first number has four digits.
    for (const char* psz : {"19/04/2010", "19 Apr 2010", "Apr 19, 2010", "19th APRIL 2010",
                            "2010 april 19", "19-4-2010", "2010/04/19", "19/04/2010 "})
        EXPECT_EQ(parse(psz), utc(2010, 4, 19)) << psz;
    // Nothing is carried into another month; no year, a two-digit year,
    // a time that is no clock time or a date out of range is refused. A
    // four-digit first number is a year, then month and day, and nothing
    // else: a month out of range is not read as a day.
    for (const char* psz : {"31-Feb-2024", "2024-02-30", "29/02/2023", "19/13/2010", "0/04/2010",
                            "Apr 2010", "1 Apr", "19/04/10", "1/1/2050", "31/12/1969", "1-1-1970",
                            "yesterday", "19 Foo 2010", "19/04/2010 25:00", "19/04/2010 14:75",
                            "19/04/2010 abc", "19/04/2010 14:30:15", "2010-04-19T14:30",
                            "2026-13-01", "2026-25-12", "2010 19 4", "2050-01-01"})
        EXPECT_EQ(parse(psz), -1) << psz;
    const std::tuple<const char*, time_t> lst[] = {
        {"2024-02-10", utc(2024, 2, 10)},
        {"29-Feb-2024", utc(2024, 2, 29)},
        {"19/04/2010 14:30", utc(2010, 4, 19, 14, 30)},
        {"19/04/2010 1430", utc(2010, 4, 19, 14, 30)},
        {"19/04/2010 9.05", utc(2010, 4, 19, 9, 5)},
        {"1-1-1970 00:01", 60}, // the moment before it means "no date"
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
        {"14h30", -1, -1}, {"24:30", -1, -1},  {"24:00", -1, -1}};
    for (auto [pszText, nHour, nMin] : lst) {
        int nH = -1, nM = -1;
        cnvReadTime(&nH, &nM, pszText);
        EXPECT_EQ(std::pair(nH, nM), std::pair(nHour, nMin)) << pszText;
    }
    // The flight import reads the same texts, and seconds besides.
    const std::pair<const char*, time_t> lstImport[] = {
        {"14:30:15", 52215}, {"9.05", 32700}, {"5", 300},         {"14:30:60", -1},
        {"0014:30", -1},     {"1:2:3:4", -1}, {"14:30:", -1},     {"", -1}};
    for (auto [pszText, tWant] : lstImport)
        EXPECT_EQ(cnvReadClock(pszText, TRUE), tWant) << pszText;
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
    // Text typed, value stored, text shown again. Counts, hours and years
    // beyond their bits are held at the largest, not wrapped (4096 days
    // would be none); a years-only limit reads back.
    using Case = std::tuple<const char*, guint, const char*>;
    const Case lstIntervals[] = {{"6 months", 0x02000006, "6 Months"},
                                 {"6 mo", 0x02000006, "6 Months"},
                                 {"6M", 0x02000006, "6 Months"},
                                 {"1 Year", 0x03000001, "1 Year"},
                                 {"1 yr", 0x03000001, "1 Year"},
                                 {"1 annual", 0x03000001, "1 Year"},
                                 {"2 Years", 0x03000002, "2 Years"},
                                 {"1 month", 0x02000001, "1 Month"},
                                 {"30", 30, "30 Days"},
                                 {"14 Days", 14, "14 Days"},
                                 {"2 wks", 0x01000002, "2 Weeks"},
                                 {"0 weeks", 0x01000000, "0 Weeks"},
                                 {"", 0, ""},
                                 {"4097 days", 4095, "4095 Days"},
                                 {"-6 months", 0x02000000, "0 Months"}};
    const Case lstLimits[] = {{"100 HR or 5 yrs", 0x00050064, "100 HR or 5 yrs"},
                              {"100 HR/OC", 0x80000064, "100 HR/OC"},
                              {"OC or 5 yrs", 0x80050000, "OC or 5 yrs"},
                              {"OC", 0x80000000, "OC"},
                              {"100 HR/OC or 5 yrs", 0x80050064, "100 HR/OC or 5 yrs"},
                              {"100HR", 100, "100 HR"},
                              {"", 0, ""},
                              {"5 yrs", 0x00050000, "5 yrs"},
                              {"70000 HR", 0xFFFF, "65535 HR"}};
    for (bool bLimit : {false, true})
        for (auto [pszText, nStored, pszShown] :
             bLimit ? std::span<const Case>(lstLimits) : std::span<const Case>(lstIntervals)) {
            guint n = 0xDEADBEEF;
            char sz[40];
            bLimit ? cnvEncRCO(&n, pszText, FALSE) : cnvEncInterval(&n, pszText);
            (bLimit ? cnvDcdRCO : cnvDcdInterval)(sz, sizeof sz, nStored);
            EXPECT_EQ(n, nStored) << pszText;
            EXPECT_STREQ(sz, pszShown) << pszText;
        }
    // A unit code beyond the known ones shows as years; hours-only mode
    // takes the hours alone.
    char sz[40];
    cnvDcdInterval(sz, sizeof sz, 0x09000002);
    EXPECT_STREQ(sz, "2 Years");
    guint n = 0;
    cnvEncRCO(&n, "250 HR", TRUE);
    EXPECT_EQ(n, 250u);
}

TEST(Cnv, HoursTypedAreReadExactlyOrRefused) {
    // Text, limit, tenths to the nearest (-1: refused, the old value stays).
    const std::tuple<const char*, guint, gint64> lst[] = {
        {"2.3", CNV_HOURS_MAX, 23},    {" 12,34 ", CNV_HOURS_MAX, 123},
        {"7 hrs", CNV_HOURS_MAX, 70},  {"99999.9", CNV_HOURS_MAX, 999999},
        {"100000", CNV_HOURS_MAX, -1}, {"4294967296", CNV_HOURS_MAX, -1},
        {"-1", CNV_HOURS_MAX, -1},     {"abc", CNV_HOURS_MAX, -1},
        {"", CNV_HOURS_MAX, -1},       {"1.2.3", CNV_HOURS_MAX, -1},
        {"24.1", CNV_FLIGHT_MAX, -1},  {".5", CNV_FLIGHT_MAX, 5},
        {"24.0", CNV_FLIGHT_MAX, 240}, {"1.25", CNV_FLIGHT_MAX, 13},
        {"0.95", CNV_FLIGHT_MAX, 10},  {"4.649", CNV_FLIGHT_MAX, 46},
        {"24.05", CNV_FLIGHT_MAX, -1}, {"99999.95", CNV_HOURS_MAX, -1},
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
    // Days left count calendar days: due today is 0 whatever the hour.
    EXPECT_EQ(0, cnvDaysBetween(utc(2026, 12, 6, 23, 0), utc(2026, 12, 6, 1, 0)));
    EXPECT_EQ(-364, cnvDaysBetween(utc(2026, 12, 6, 15, 0), utc(2025, 12, 7)));
    EXPECT_EQ(1, cnvDaysBetween(utc(2026, 12, 31, 23, 59), utc(2027, 1, 1)));
    // Only a day after today is in the future; later today is not.
    EXPECT_FALSE(cnvIsFuture(utc(2026, 12, 6, 23, 59), utc(2026, 12, 6, 0, 1)));
    EXPECT_TRUE(cnvIsFuture(utc(2026, 12, 7), utc(2026, 12, 6, 23, 59)));
    EXPECT_FALSE(cnvIsFuture(-1, utc(2026, 12, 6)));
}

// The parsers and writers on hostile input: whatever is typed or stored,
// they stay inside their buffers and give values that can be stored. The
// sanitizer build catches any access out of bounds.
TEST(ParseRobust, ParsersAndWritersStayInBounds) {
    std::vector<std::string> lst = {"", "19/04/2010 \xE2\x82", "-2147483648/-2147483648/2010",
                                    "99999999999 HR or 99999999999 yrs"};
    for (char c : {'A', '9', '/', '~', '\x80'})
        lst.emplace_back(10000, c);
    // Random texts of what dates and limits are made of, tildes, non-ASCII
    // and invalid bytes; every third of any byte at all.
    const std::string strAlphabet = "0123456789/-.:, ~AaPpRrMyOCcHhYWwDd\t\xC3\xBC\xE2\x82\xAC\xFF";
    std::mt19937_64 rng(20100419);
    for (int i = 0; i < 20000; ++i) {
        std::string str(rng() % (i % 100 == 0 ? 400 : 30), ' ');
        for (char& c : str)
            c = i % 3 ? strAlphabet[rng() % strAlphabet.size()] : char(rng() % 255 + 1);
        lst.push_back(str);
    }
    const time_t lstEdge[] = {LLONG_MIN, LLONG_MAX, -1, 253402300799};
    for (std::size_t i = 0; i < lst.size(); ++i) {
        // A heap copy of exactly its size, so a read past the end is caught.
        std::vector<char> v(lst[i].c_str(), lst[i].c_str() + lst[i].size() + 1);
        const char* psz = v.data();
        struct tm tmDate = {}, tmTime = {};
        const gchar* pszRest = cnvEncDate(&tmDate, psz);
        ASSERT_TRUE(!pszRest || (pszRest > psz && pszRest <= psz + lst[i].size())) << lst[i];
        if (pszRest)
            cnvEncTime(&tmDate, pszRest);
        const time_t t = cnvMakeTime(&tmDate);
        cnvEncTime(&tmTime, psz);
        ASSERT_TRUE(tmTime.tm_hour >= 0 && tmTime.tm_hour <= 99 && tmTime.tm_min <= 99) << lst[i];
        // Whatever a date or time field accepts is a real moment.
        time_t tRead = -1;
        int nHour = 0, nMin = 0;
        char szShown[30];
        const bool bDate = cnvReadDate(&tRead, psz, TRUE);
        ASSERT_TRUE(!bDate || *cnvDcdDate(szShown, sizeof szShown, tRead, 0)) << lst[i];
        const bool bTime = cnvReadTime(&nHour, &nMin, psz);
        ASSERT_TRUE(!bTime || (nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59)) << lst[i];

        guint nIntv = 0, nRCO = 0, nBack = 0, nHours = 0;
        char sz[40];
        cnvEncInterval(&nIntv, psz);
        ASSERT_TRUE((nIntv & 0x00FFF000u) == 0 && nIntv >> 24 <= INTV_YEAR) << lst[i];
        cnvDcdInterval(sz, sizeof sz, nIntv);
        cnvEncInterval(&nBack, sz);
        ASSERT_EQ(nBack, nIntv) << lst[i] << " shown as " << sz;
        cnvEncRCO(&nRCO, psz, FALSE);
        cnvDcdRCO(sz, sizeof sz, nRCO);
        cnvEncRCO(&nBack, sz, FALSE);
        ASSERT_EQ(nBack, nRCO) << lst[i] << " shown as " << sz;
        cnvEncRCO(&nHours, psz, TRUE);

        // The writers, on what was parsed and on any stored value, into a
        // buffer of any size: never past it, always terminated.
        const time_t tAny = i < 4 ? lstEdge[i] : static_cast<time_t>(rng() >> i % 40);
        const auto nAny = static_cast<guint>(rng()), nFlags = static_cast<guint>(i / 33 % 4);
        const auto nl = static_cast<std::size_t>(i % 33);
        for (int k = 0; k < 8; ++k) {
            memset(sz, 'Z', sizeof sz);
            if (k < 4)
                k < 2 ? (void)cnvDcdDate(sz, static_cast<gint>(nl), k % 2 ? tAny : t, nFlags)
                      : cnvDcdTime(sz, static_cast<gint>(nl), k % 2 ? tAny : t, nFlags);
            else
                (k < 6 ? cnvDcdInterval : cnvDcdRCO)(sz, nl, k % 2 ? nAny : k < 6 ? nIntv : nRCO);
            ASSERT_TRUE(nl == 0 || memchr(sz, '\0', nl)) << "no terminator: " << k;
            ASSERT_EQ(std::string(sz + nl, sizeof sz - nl), std::string(sizeof sz - nl, 'Z')) << k;
        }
    }
}

} // namespace
