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
time_t parse(const char* pszText, const char** ppszRest = nullptr) {
    struct tm tmDate = {};
    const gchar* pszRest = cnvEncDate(&tmDate, pszText);
    if (ppszRest)
        *ppszRest = pszRest;
    if (pszRest)
        cnvEncTime(&tmDate, pszRest);
    return cnvMakeTime(&tmDate);
}

std::string show(time_t t, guint nFlags, bool bTimeOnly = false, gint nl = 30) {
    char sz[30];
    if (bTimeOnly)
        cnvDcdTime(sz, nl, t, nFlags);
    else
        cnvDcdDate(sz, nl, t, nFlags);
    return sz;
}

TEST(Cnv, DatesAndTimesParse) {
    // Text; the moment (-1: no valid date); what follows the date (nullptr: NULL).
    const std::tuple<const char*, time_t, const char*> lst[] = {
        {"19/04/2010", utc(2010, 4, 19), nullptr},
        {"19 Apr 2010", utc(2010, 4, 19), nullptr},
        {"Apr 19, 2010", utc(2010, 4, 19), nullptr},
        {"19-APRIL-2010", utc(2010, 4, 19), nullptr},
        {"2010 april 19", utc(2010, 4, 19), nullptr},
        {"19-4-2010", utc(2010, 4, 19), nullptr},
        {"2010 19 4", utc(2010, 4, 19), nullptr},
        {"2010/04/19", utc(2011, 7, 4), nullptr}, // day 4 of month 19
        {"Apr 2010", utc(2010, 3, 31), nullptr},  // day 0
        {"1 Apr", -1, nullptr},                   // too short: nothing set
        {"1 Apr 2010", utc(2010, 4, 1), nullptr},
        {"19/04/10", -1, nullptr}, // two digits are never a year
        {"31/12/1969", -1, nullptr},
        {"1/1/2050", -1, nullptr},
        {"19/04/2010 ", utc(2010, 4, 19), ""},
        {"19/04/2010 14:30", utc(2010, 4, 19, 14, 30), "14:30"},
        {"19/04/2010 1430", utc(2010, 4, 19, 14, 30), "1430"},
        {"19/04/2010 930", utc(2010, 4, 19, 9, 30), "930"},
        {"19/04/2010 9:5", utc(2010, 4, 19, 9, 5), "9:5"},
        {"19/04/2010 9.05", utc(2010, 4, 19, 9, 5), "9.05"},
        {"19/04/2010 5", utc(2010, 4, 19, 0, 5), "5"},
        {"19/04/2010 45", utc(2010, 4, 19, 0, 45), "45"},
        {"19/04/2010 --", utc(2010, 4, 19), "--"},
        {"19/04/2010 14:30:15", utc(2010, 4, 19, 30, 15), "14:30:15"}, // no seconds
        {"19/01/2038 03:15", utc(2038, 1, 19, 3, 15), "03:15"},
        {"31-Dec-2049 23:59", utc(2049, 12, 31, 23, 59), "23:59"},
    };
    for (auto [pszText, tExpected, pszExpectedRest] : lst) {
        const char* pszRest = nullptr;
        EXPECT_EQ(parse(pszText, &pszRest), tExpected) << pszText;
        EXPECT_STREQ(pszRest, pszExpectedRest) << pszText;
    }
    // Fields the text does not give keep the caller's values.
    struct tm tmDate = {};
    tmDate.tm_year = 112;
    tmDate.tm_mon = 5;
    tmDate.tm_mday = tmDate.tm_hour = 7;
    cnvEncDate(&tmDate, "1 Apr");
    cnvEncTime(&tmDate, "");
    EXPECT_EQ(cnvMakeTime(&tmDate), utc(2012, 6, 7, 7));
    cnvEncDate(&tmDate, "19/04/10");
    EXPECT_EQ(cnvMakeTime(&tmDate), utc(2012, 4, 19, 7));
}

TEST(Cnv, DatesAndTimesShow) {
    const time_t tMidnight = utc(2010, 4, 19);
    // Moment, flags, date text, time text.
    const std::tuple<time_t, guint, const char*, const char*> lst[] = {
        {0, 3, "", ""},
        {tMidnight, 0, "19-Apr-2010", ""},
        {tMidnight, 1, "19-Apr-2010", ""},
        {tMidnight, 3, "19-Apr-2010 00:00", "00:00"},
        {utc(2010, 4, 19, 14, 30), 1, "19-Apr-2010 14:30", "14:30"},
        {360000, 1, "05-Jan-1970 04:00", ""},
        {360001, 0, "05-Jan-1970", "04:00"},
        {utc(2038, 1, 19, 3, 15), 1, "19-Jan-2038 03:15", "03:15"},
        {utc(2100, 3, 1, 23, 59), 1, "01-Mar-2100 23:59", "23:59"},
    };
    for (auto [t, nFlags, pszDate, pszTime] : lst) {
        EXPECT_EQ(show(t, nFlags), pszDate) << t;
        EXPECT_EQ(show(t, nFlags, true), pszTime) << t;
    }
    // A cut "19-Apr-20" would read back as another date: all or nothing.
    EXPECT_EQ(show(tMidnight, 0, false, 11), "");
    EXPECT_EQ(show(tMidnight, 0, false, 12), "19-Apr-2010");
    // Whatever the program writes up to 2049 reads back, time included.
    for (time_t t = 86400; t <= utc(2049, 12, 31); t += 86400 + 60)
        ASSERT_EQ(parse(show(t, 3).c_str()), t) << show(t, 3);
}

TEST(Cnv, EnglishMonthsUnderAGermanLocale) {
    avt::TempDirs dirs;
    const std::string strSaved = setlocale(LC_ALL, nullptr);
    const bool bBuilt = !setlocale(LC_ALL, "de_DE.UTF-8");
    if (bBuilt) { // none installed: compile one for this test
        std::string strCmd = "localedef -i de_DE -f UTF-8 '" + dirs.root().string() +
                             "/de_DE.UTF-8' >/dev/null 2>&1";
        ASSERT_EQ(system(strCmd.c_str()), 0) << "cannot build a German locale";
        setenv("LOCPATH", dirs.root().c_str(), 1);
        ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    }
    char szIntv[32], szRCO[32];
    const std::string strShown = show(utc(2010, 3, 1, 14, 30), 1);
    const time_t tBack = parse("01-Mar-2010");
    cnvDcdInterval(szIntv, sizeof szIntv, 0x02000006);
    cnvDcdRCO(szRCO, sizeof szRCO, 0x80050064);
    setlocale(LC_ALL, strSaved.c_str());
    if (bBuilt)
        unsetenv("LOCPATH");
    EXPECT_EQ(strShown, "01-Mar-2010 14:30"); // not "Mär"
    EXPECT_EQ(tBack, utc(2010, 3, 1));
    EXPECT_STREQ(szIntv, "6 Months");
    EXPECT_STREQ(szRCO, "100 HR/OC or 5 yrs");
}

TEST(Cnv, IntervalsAndReplacementLimits) {
    // I: interval, R: limit, H: limit in hours-only mode. Text (nullptr:
    // only shown), stored value, text shown (nullptr: not shown).
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
        // Held at the largest count, not wrapped: 4096 days would be none.
        {'I', "4097 days", 4095, "4095 Days"},
        {'I', "-6 months", 0x02000000, "0 Months"},
        {'R', "100 HR or 5 yrs", 0x00050064, "100 HR or 5 yrs"},
        {'R', "100 HR/OC", 0x80000064, "100 HR/OC"},
        {'R', "OC or 5 yrs", 0x80050000, "OC or 5 yrs"},
        {'R', "OC", 0x80000000, "OC"},
        {'R', "100 HR/OC or 5 yrs", 0x80050064, "100 HR/OC or 5 yrs"},
        {'R', "100HR", 100, "100 HR"},
        {'R', "", 0, ""},
        {'R', "100 5", 0x00050064, "100 HR or 5 yrs"},
        {'R', "5 yrs", 0x00050000, "5 yrs"}, // reads back as written
        {'R', "5 years or 100 hours", 0x00050064, "100 HR or 5 yrs"},
        // Held at the largest storable value instead of spilling over.
        {'R', "70000 HR", 0xFFFF, "65535 HR"},
        {'R', "40000 yrs", 0x7FFF0000, "32767 yrs"},
        {'H', "250 HR", 250, nullptr},
        {'H', "OC", 0, nullptr},
    };
    for (auto [cKind, pszText, nStored, pszShown] : lst) {
        guint n = 0xDEADBEEF;
        char sz[40];
        if (cKind == 'I') {
            if (pszText)
                cnvEncInterval(&n, pszText);
            cnvDcdInterval(sz, sizeof sz, nStored);
        } else {
            cnvEncRCO(&n, pszText, cKind == 'H');
            cnvDcdRCO(sz, sizeof sz, nStored);
        }
        EXPECT_EQ(pszText ? n : nStored, nStored) << pszText;
        EXPECT_STREQ(pszShown ? sz : nullptr, pszShown) << pszText;
    }
}

} // namespace
