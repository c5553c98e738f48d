// Typed dates, clock times, intervals and replacement limits: what the
// user types, what is stored, and what is shown again.
#include "avCnv.h"
#include "harness.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int KEEP = -99; // a field the parser must leave alone

struct tm presetTm(int nYear = KEEP, int nMon = KEEP, int nDay = KEEP) {
    struct tm tmDate = {};
    tmDate.tm_year = nYear;
    tmDate.tm_mon = nMon;
    tmDate.tm_mday = nDay;
    tmDate.tm_hour = KEEP;
    tmDate.tm_min = KEEP;
    return tmDate;
}

// Parses a date from a cleared struct tm as every caller does.
time_t parseDate(const char* pszText, const char** ppszRest = nullptr) {
    struct tm tmDate = {};
    const gchar* pszRest = cnvEncDate(&tmDate, pszText);
    if (ppszRest)
        *ppszRest = pszRest;
    return cnvMakeTime(&tmDate);
}

std::string showDate(time_t t, guint nFlags, gint nl = 30) {
    char sz[64];
    cnvDcdDate(sz, nl, t, nFlags);
    return sz;
}

std::string showTime(time_t t, guint nFlags) {
    char sz[20];
    cnvDcdTime(sz, sizeof sz, t, nFlags);
    return sz;
}

TEST(DateParse, EveryWrittenFormGivesTheDate) {
    struct Case {
        const char* pszText;
        time_t tExpected;
    };
    const time_t t19Apr2010 = 1271635200;
    const Case lst[] = {
        {"19/04/2010", t19Apr2010},
        {"19 Apr 2010", t19Apr2010},
        {"Apr 19 2010", t19Apr2010},
        {"Apr 19, 2010", t19Apr2010},
        {"19-APRIL-2010", t19Apr2010},
        {"2010 Apr 19", t19Apr2010},
        {"2010 April 19", t19Apr2010},
        {"19-4-2010", t19Apr2010},
        {"2010 19 4", t19Apr2010},
        {"  19.04.2010", t19Apr2010},
        {"19th april 2010", t19Apr2010},
        {"19-Apr-2010", t19Apr2010}, // what the program writes
        {"1 Apr 2010", 1270080000},
        // Year first with numbers is day-month: day 4 of month 19, which
        // carries into July of the next year.
        {"2010/04/19", 1309737600},
        // A missing day is day 0: the last day of the month before.
        {"Apr 2010", 1269993600},
        // Out-of-range figures carry over.
        {"45/01/2010", 1266105600},
        {"0/3/2010", 1267315200},
        {"31/13/2010", 1296432000},
        // Two-digit and out-of-range years are never years: no valid date.
        {"19/04/10", -1},
        {"1/1/1900", -1},
        {"1/1/2050", -1},
        {"19 Apr", -1},
        // Valid years before 1970 cannot be stored either.
        {"1/1/1901", -1},
        {"31/12/1969", -1},
        // After 2038.
        {"31-Dec-2049", 2524521600},
        {"1 January 2049", 2493072000},
        {"19/01/2038", 2147472000},
        {"20/01/2038", 2147558400},
    };
    for (const auto& c : lst)
        EXPECT_EQ(parseDate(c.pszText), c.tExpected) << c.pszText;
}

TEST(DateParse, FieldsAndRemainder) {
    struct Case {
        const char* pszText;
        struct tm tmStart;
        int nDay, nMon, nYear; // expected fields, KEEP when untouched
        const char* pszRest;   // text after the date; nullptr for NULL
    };
    const Case lst[] = {
        // Five characters or fewer: nothing is set.
        {"1 Apr", presetTm(), KEEP, KEEP, KEEP, nullptr},
        {"", presetTm(), KEEP, KEEP, KEEP, nullptr},
        {"19/4/", presetTm(), KEEP, KEEP, KEEP, nullptr},
        // No year: the caller's year stays.
        {"19/04/10", presetTm(112), 19, 3, 112, nullptr},
        {"19 Apr 10", presetTm(112), 19, 3, 112, nullptr},
        {"Apr 2010", presetTm(), 0, 3, 110, nullptr},
        {"2010/04/19", presetTm(), 4, 18, 110, nullptr},
        // A word that is no month is passed over for the month name.
        {"next May 3 2010", presetTm(), 0, 4, KEEP, "2010"},
        // A time after the date.
        {"19/04/2010 14:30", presetTm(), 19, 3, 110, "14:30"},
        {"19/04/2010  9:05", presetTm(), 19, 3, 110, " 9:05"},
        {"19/04/2010 ", presetTm(), 19, 3, 110, ""},
        {"19/04/2010", presetTm(), 19, 3, 110, nullptr},
        {"Apr 2010 ", presetTm(), 0, 3, 110, nullptr},
    };
    for (const auto& c : lst) {
        struct tm tmDate = c.tmStart;
        std::string strText = c.pszText;
        const gchar* pszRest = cnvEncDate(&tmDate, strText.c_str());
        EXPECT_EQ(tmDate.tm_mday, c.nDay) << c.pszText;
        EXPECT_EQ(tmDate.tm_mon, c.nMon) << c.pszText;
        EXPECT_EQ(tmDate.tm_year, c.nYear) << c.pszText;
        if (!c.pszRest) {
            EXPECT_EQ(pszRest, nullptr) << c.pszText;
        } else {
            ASSERT_NE(pszRest, nullptr) << c.pszText;
            EXPECT_GE(pszRest, strText.c_str());
            EXPECT_STREQ(pszRest, c.pszRest) << c.pszText;
        }
        EXPECT_EQ(tmDate.tm_hour, KEEP) << "a date sets no time: " << c.pszText;
    }
}

TEST(TimeParse, ReadFromTheEnd) {
    struct Case {
        const char* pszText;
        int nHour, nMin; // KEEP when nothing is set
        int iRest;       // offset of the returned pointer
    };
    const Case lst[] = {
        {"14:30", 14, 30, 0},
        {"1430", 14, 30, 0},
        {"930", 9, 30, 0},
        {"9:5", 9, 5, 0},
        {"9.05", 9, 5, 0},
        {"5", 0, 5, 0},
        {"45", 0, 45, 0},
        {"--", 0, 0, 0},
        {"", KEEP, KEEP, 0},
        {" 14:30", 14, 30, 0},
        {"at 7:15 ", 7, 15, 2},
        // Seconds are not read: the last two numbers are hour and minute.
        {"14:30:15", 30, 15, 2},
        {"12345", 23, 45, 0},
    };
    for (const auto& c : lst) {
        struct tm tmTime = presetTm();
        const gchar* pszRest = cnvEncTime(&tmTime, c.pszText);
        EXPECT_EQ(tmTime.tm_hour, c.nHour) << c.pszText;
        EXPECT_EQ(tmTime.tm_min, c.nMin) << c.pszText;
        EXPECT_EQ(pszRest - c.pszText, c.iRest) << c.pszText;
        EXPECT_EQ(tmTime.tm_mday, KEEP) << "a time sets no date: " << c.pszText;
    }
}

TEST(TimeParse, DateWithTimeAsTheMaintenanceCellReadsIt) {
    struct Case {
        const char* pszText;
        time_t tExpected;
    };
    const Case lst[] = {
        {"19/04/2010 14:30", 1271687400},  {"19 Apr 2010 1430", 1271687400},
        {"19-Apr-2010 00:00", 1271635200}, {"19/01/2038 03:15", 2147483700},
        {"01-Mar-2100 23:59", -1}, // 2100 is no year to the parser
    };
    for (const auto& c : lst) {
        struct tm tmDate = {};
        const gchar* pszRest = cnvEncDate(&tmDate, c.pszText);
        if (pszRest)
            cnvEncTime(&tmDate, pszRest);
        EXPECT_EQ(cnvMakeTime(&tmDate), c.tExpected) << c.pszText;
    }
}

TEST(DateShow, FormatsAndFlags) {
    struct Case {
        time_t t;
        guint nFlags;
        const char* pszDate;
        const char* pszTime;
    };
    const time_t tMidnight = 1271635200;
    const time_t tAfternoon = 1271687400;
    const Case lst[] = {
        {0, 0, "", ""},
        {0, 3, "", ""},
        {-1, 1, "", ""},
        {tMidnight, 0, "19-Apr-2010", ""},
        {tMidnight, 1, "19-Apr-2010", ""},
        {tMidnight, 3, "19-Apr-2010 00:00", "00:00"},
        {tMidnight, 2, "19-Apr-2010", "00:00"},
        {tAfternoon, 0, "19-Apr-2010", "14:30"},
        {tAfternoon, 1, "19-Apr-2010 14:30", "14:30"},
        {1270080000, 0, "01-Apr-2010", ""},
        {360000, 1, "05-Jan-1970 04:00", ""}, // too small to be a time of day
        {360001, 0, "05-Jan-1970", "04:00"},
        {2147483700, 1, "19-Jan-2038 03:15", "03:15"},
        {2524521600, 0, "31-Dec-2049", ""},
        {4107628740, 1, "01-Mar-2100 23:59", "23:59"},
    };
    for (const auto& c : lst) {
        EXPECT_EQ(showDate(c.t, c.nFlags), c.pszDate) << c.t << " flags " << c.nFlags;
        EXPECT_EQ(showTime(c.t, c.nFlags), c.pszTime) << c.t << " flags " << c.nFlags;
    }
}

TEST(DateShow, NoDateClearsTheWholeBufferAndShortBuffersGetNoPartialDate) {
    char sz[20];
    memset(sz, 'x', sizeof sz);
    cnvDcdDate(sz, sizeof sz, 0, 0);
    for (char c : sz)
        EXPECT_EQ(c, '\0');

    // A cut "19-Apr-20" would read back as another date.
    EXPECT_EQ(showDate(1271635200, 0, 11), "");
    EXPECT_EQ(showDate(1271635200, 0, 12), "19-Apr-2010");
    EXPECT_EQ(showDate(1271687400, 1, 17), "");
    char szTime[5] = "abcd";
    cnvDcdTime(szTime, sizeof szTime, 1271687400, 0);
    EXPECT_STREQ(szTime, "");
}

// Every day the parser accepts comes back from its text, also with a time.
TEST(DateShow, EveryDayReadsBack) {
    const time_t tFirst = 1; // 01-Jan-1970 00:00:01 shows as that day
    const time_t tLast = 2524521600;
    int nDays = 0;
    for (time_t tDay = 86400; tDay <= tLast; tDay += 86400, ++nDays) {
        time_t t = tDay + (nDays % 1440) * 60; // a different minute each day
        char szText[30];
        cnvDcdDate(szText, sizeof szText, t, 3);
        struct tm tmDate = {};
        const gchar* pszRest = cnvEncDate(&tmDate, szText);
        ASSERT_NE(pszRest, nullptr) << szText;
        cnvEncTime(&tmDate, pszRest);
        ASSERT_EQ(cnvMakeTime(&tmDate), t) << szText;
    }
    EXPECT_EQ(nDays, 29219);
    EXPECT_EQ(showDate(tFirst, 0), "01-Jan-1970");
}

TEST(DateShow, EnglishMonthsUnderAGermanLocale) {
    avt::TempDirs dirs;
    std::string strSaved = setlocale(LC_ALL, nullptr);
    const char* pszOldLocPath = getenv("LOCPATH");
    std::string strOldLocPath = pszOldLocPath ? pszOldLocPath : "";

    // Use an installed German locale, or compile one for this test.
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) {
        std::string strCmd = "localedef -i de_DE -f UTF-8 '" + dirs.root().string() +
                             "/de_DE.UTF-8' >/dev/null 2>&1";
        ASSERT_EQ(system(strCmd.c_str()), 0) << "cannot build a German locale";
        setenv("LOCPATH", dirs.root().c_str(), 1);
        ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    }
    // The locale is really in force: the C library names March "Mär".
    struct tm tmMarch = {};
    tmMarch.tm_mon = 2;
    tmMarch.tm_mday = 1;
    tmMarch.tm_year = 110;
    char szLocal[32];
    strftime(szLocal, sizeof szLocal, "%b", &tmMarch);
    EXPECT_STRNE(szLocal, "Mar");

    const time_t t = 1267453800; // 01-Mar-2010 14:30
    std::string strShown = showDate(t, 1);
    std::string strInterval, strRCO;
    char sz[40];
    cnvDcdInterval(sz, sizeof sz, 0x02000006);
    strInterval = sz;
    cnvDcdRCO(sz, sizeof sz, 0x80050064);
    strRCO = sz;
    time_t tBack = parseDate("01-Mar-2010");

    setlocale(LC_ALL, strSaved.c_str());
    if (pszOldLocPath)
        setenv("LOCPATH", strOldLocPath.c_str(), 1);
    else
        unsetenv("LOCPATH");

    EXPECT_EQ(strShown, "01-Mar-2010 14:30");
    EXPECT_EQ(tBack, 1267401600);
    EXPECT_EQ(strInterval, "6 Months");
    EXPECT_EQ(strRCO, "100 HR/OC or 5 yrs");
}

TEST(Interval, ParseAndShow) {
    struct Case {
        const char* pszText;
        guint nStored;
        const char* pszShown;
    };
    const Case lst[] = {
        {"6 months", 0x02000006, "6 Months"},
        {"6 mo", 0x02000006, "6 Months"},
        {"6M", 0x02000006, "6 Months"},
        {"1 Year", 0x03000001, "1 Year"},
        {"1 yr", 0x03000001, "1 Year"},
        {"1 annual", 0x03000001, "1 Year"},
        {"2 Years", 0x03000002, "2 Years"},
        {"1 month", 0x02000001, "1 Month"},
        {"30", 30, "30 Days"},
        {"14 Days", 14, "14 Days"},
        {"1 d", 1, "1 Day"},
        {"2 wks", 0x01000002, "2 Weeks"},
        {"0 weeks", 0x01000000, "0 Weeks"},
        {"  +3 w", 0x01000003, "3 Weeks"},
        {"", 0, ""},
        {"months", 0x02000000, "0 Months"},
        // The count has 12 bits; larger counts are held at the largest
        // rather than wrapped (4096 days would wrap to "no interval").
        {"4095 days", 4095, "4095 Days"},
        {"4097 days", 4095, "4095 Days"},
        {"4096", 4095, "4095 Days"},
        {"99999999999999 months", 0x02000FFF, "4095 Months"},
        // A negative interval is none.
        {"-6 months", 0x02000000, "0 Months"},
    };
    for (const auto& c : lst) {
        guint n = 0xDEADBEEF;
        cnvEncInterval(&n, c.pszText);
        EXPECT_EQ(n, c.nStored) << c.pszText;
        char sz[30];
        cnvDcdInterval(sz, sizeof sz, c.nStored);
        EXPECT_STREQ(sz, c.pszShown) << c.pszText;
    }
}

TEST(Interval, ShowingOddStoredValues) {
    struct Case {
        guint nStored;
        guint nl;
        const char* pszShown;
    };
    const Case lst[] = {
        {0x09000002, 30, "2 Years"}, // unknown unit shows as years
        {0x02345006, 30, "6 Months"},
        {0x02000006, 5, "6 Mo"}, // cut to the buffer
        {0x02000006, 1, ""},
    };
    for (const auto& c : lst) {
        char sz[30];
        memset(sz, 'x', sizeof sz);
        cnvDcdInterval(sz, c.nl, c.nStored);
        EXPECT_STREQ(sz, c.pszShown) << std::hex << c.nStored;
    }
}

TEST(Interval, EveryStoredValueReadsBack) {
    for (guint nUnit = INTV_DAY; nUnit <= INTV_YEAR; ++nUnit) {
        for (guint nCount = 0; nCount <= 4095; ++nCount) {
            guint nStored = nCount | nUnit << 24;
            if (nStored == 0)
                continue;
            char sz[30];
            cnvDcdInterval(sz, sizeof sz, nStored);
            guint nBack = 0;
            cnvEncInterval(&nBack, sz);
            ASSERT_EQ(nBack, nStored) << sz;
        }
    }
}

TEST(ReplacementLimit, ParseAndShow) {
    struct Case {
        const char* pszText;
        gboolean bHoursOnly;
        guint nStored;
        const char* pszShown; // nullptr: not shown as a limit
    };
    const Case lst[] = {
        {"100 HR or 5 yrs", FALSE, 0x00050064, "100 HR or 5 yrs"},
        {"100 HR/OC", FALSE, 0x80000064, "100 HR/OC"},
        {"OC or 5 yrs", FALSE, 0x80050000, "OC or 5 yrs"},
        {"OC", FALSE, 0x80000000, "OC"},
        {"100 HR/OC or 5 yrs", FALSE, 0x80050064, "100 HR/OC or 5 yrs"},
        {"100 HR", FALSE, 100, "100 HR"},
        {"100HR", FALSE, 100, "100 HR"},
        {"", FALSE, 0, ""},
        {"  ", FALSE, 0, ""},
        {"100 5", FALSE, 0x00050064, "100 HR or 5 yrs"},
        {"100 HR 5 yrs 7", FALSE, 0x00050064, "100 HR or 5 yrs"},
        {"oc 5", FALSE, 0x80050000, "OC or 5 yrs"},
        {"100 hr oc", FALSE, 0x80000064, "100 HR/OC"},
        // A number marked as years is years wherever it stands, so what
        // the program writes for a years-only limit reads back.
        {"5 yrs", FALSE, 0x00050000, "5 yrs"},
        {"5yrs", FALSE, 0x00050000, "5 yrs"},
        {"5 years or 100 hours", FALSE, 0x00050064, "100 HR or 5 yrs"},
        {"OC 100 HR", FALSE, 0x80000064, "100 HR/OC"},
        // A word in front does not lose the number.
        {"max 100 HR", FALSE, 100, "100 HR"},
        // Held at the largest storable value instead of spilling over.
        {"70000 HR", FALSE, 0xFFFF, "65535 HR"},
        {"40000 yrs", FALSE, 0x7FFF0000, "32767 yrs"},
        // Hours-only mode: the whole value is the first number.
        {"250 HR", TRUE, 250, nullptr},
        {"70000", TRUE, 70000, nullptr},
        {"every 50 hr", TRUE, 50, nullptr},
        {"OC", TRUE, 0, nullptr},
        {"", TRUE, 0, nullptr},
    };
    for (const auto& c : lst) {
        guint n = 0xDEADBEEF;
        cnvEncRCO(&n, c.pszText, c.bHoursOnly);
        EXPECT_EQ(n, c.nStored) << c.pszText;
        if (!c.pszShown)
            continue;
        char sz[40];
        cnvDcdRCO(sz, sizeof sz, c.nStored);
        EXPECT_STREQ(sz, c.pszShown) << c.pszText;
    }
}

TEST(ReplacementLimit, EveryShapeReadsBack) {
    const guint lstHours[] = {0, 1, 9, 100, 1000, 65535};
    const guint lstYears[] = {0, 1, 5, 12, 32767};
    for (guint nHours : lstHours)
        for (guint nYears : lstYears)
            for (guint nOC : {0u, 0x80000000u}) {
                guint nStored = nHours | nYears << 16 | nOC;
                char sz[40];
                cnvDcdRCO(sz, sizeof sz, nStored);
                guint nBack = 0xDEADBEEF;
                cnvEncRCO(&nBack, sz, FALSE);
                EXPECT_EQ(nBack, nStored) << sz;
            }
    char szShort[8];
    cnvDcdRCO(szShort, sizeof szShort, 0x00050064);
    EXPECT_STREQ(szShort, "100 HR ");
}

} // namespace
