// The two rules applied to a pilot record: when the next medical or flight
// review falls due, and where the pilot sorts in the list.
#include "avCnv.h"
#include "modPilot.h"
#include "rcdPilot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

namespace {

time_t utc(int nYear, int nMonth, int nDay, int nHour = 0, int nMin = 0) {
    struct tm tmDate {};
    tmDate.tm_year = nYear - 1900;
    tmDate.tm_mon = nMonth - 1;
    tmDate.tm_mday = nDay;
    tmDate.tm_hour = nHour;
    tmDate.tm_min = nMin;
    return timegm(&tmDate);
}

std::string show(time_t t) {
    struct tm tmDate {};
    if (t == 0)
        return "(no date)";
    char sz[40];
    gmtime_r(&t, &tmDate);
    strftime(sz, sizeof sz, "%d-%b-%Y %H:%M", &tmDate);
    return sz;
}

constexpr guint days(guint n) {
    return n | INTV_DAY << 24;
}
constexpr guint weeks(guint n) {
    return n | INTV_WEEK << 24;
}
constexpr guint months(guint n) {
    return n | INTV_MONTH << 24;
}
constexpr guint years(guint n) {
    return n | INTV_YEAR << 24;
}

TEST(PilotDueDate, CountsFromLastDateOrFromTheNextMonth) {
    struct Case {
        const char* pszWhat;
        time_t tLast;
        guint nIntv;
        gboolean bEndMonth;
        time_t tDue;
    };
    const time_t t15Mar2010 = utc(2010, 3, 15);
    const Case cases[] = {
        {"24 months, end of month", t15Mar2010, months(24), TRUE, utc(2012, 4, 1)},
        {"24 months", t15Mar2010, months(24), FALSE, utc(2012, 3, 15)},
        {"90 days, end of month", t15Mar2010, days(90), TRUE, utc(2010, 6, 30)},
        {"90 days", t15Mar2010, days(90), FALSE, utc(2010, 6, 13)},
        {"2 weeks", t15Mar2010, weeks(2), FALSE, utc(2010, 3, 29)},
        {"31 Jan + 1 month overflows", utc(2011, 1, 31), months(1), FALSE, utc(2011, 3, 3)},
        {"31 Jan + 1 month, end of month", utc(2011, 1, 31), months(1), TRUE, utc(2011, 3, 1)},
        {"29 Feb + 1 year", utc(2008, 2, 29), years(1), FALSE, utc(2009, 3, 1)},
        {"December, end of month, crosses the year", utc(2010, 12, 20), months(6), TRUE,
         utc(2011, 7, 1)},
        {"no interval", t15Mar2010, 0, FALSE, t15Mar2010},
        {"no interval, end of month", t15Mar2010, 0, TRUE, utc(2010, 4, 1)},
        {"unit beyond years adds nothing", t15Mar2010, 5u | 4u << 24, FALSE, t15Mar2010},
        {"unit beyond years, end of month", t15Mar2010, 5u | 0xFFu << 24, TRUE, utc(2010, 4, 1)},
        {"count is the low 12 bits only", t15Mar2010, months(1) | 0x00ABC000u, FALSE,
         utc(2010, 4, 15)},
        {"time of day stays", utc(2010, 3, 15, 14, 30), days(1), FALSE, utc(2010, 3, 16, 14, 30)},
        {"last date 0 is 01-Jan-1970", 0, years(2), FALSE, utc(1972, 1, 1)},
        {"beyond 2038", utc(2037, 6, 10), years(5), FALSE, utc(2042, 6, 10)},
        {"no last date", -1, years(2), FALSE, 0},
        {"no last date, end of month", -1, months(6), TRUE, 0},
        {"no last date, no interval", -1, 0, TRUE, 0},
    };
    for (const auto& c : cases) {
        time_t tDue = pltCalcDueDate(c.tLast, c.nIntv, c.bEndMonth);
        EXPECT_EQ(tDue, c.tDue) << c.pszWhat << ": got " << show(tDue) << ", expected "
                                << show(c.tDue);
    }
}

TEST(PilotSortKey, LettersAndDigitsOfLastThenFirstName) {
    struct Case {
        const char* pszLName;
        const char* pszFName;
        const char* pszKey;
        gboolean bResult;
    };
    const std::string str60A(60, 'a');
    const std::string str40A(40, 'A');
    const Case cases[] = {
        {"O'Brien", "Mary Ann", "OBRIENMARYANN", TRUE},
        {"Smith", "", "SMITH", TRUE},
        {"", "Anne", "ANNE", TRUE},
        {"van der Berg-2", "j.r.", "VANDERBERG2JR", TRUE},
        {"Müller", "Jörg", "MLLERJRG", TRUE}, // only ASCII letters and digits count
        {"'-.", ", ;", "", FALSE},
        {"", "", "", FALSE},
        {str60A.c_str(), "Anne", "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", TRUE},
        {str40A.c_str(), "Bartholomew", "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAABARTHOLO", TRUE},
    };
    for (const auto& c : cases) {
        rcdPilot rcd{};
        strncpy(rcd.szLName, c.pszLName, sizeof rcd.szLName - 1);
        strncpy(rcd.szFName, c.pszFName, sizeof rcd.szFName - 1);
        char szKey[50];
        memset(szKey, 'x', sizeof szKey); // what was there before must go
        gboolean bResult = pltBuildSortKey(&rcd, szKey, sizeof szKey);
        EXPECT_EQ(bResult, c.bResult) << c.pszLName << " / " << c.pszFName;
        EXPECT_STREQ(szKey, c.pszKey) << c.pszLName << " / " << c.pszFName;
        EXPECT_LE(strlen(szKey), 48u);
        EXPECT_EQ(szKey[49], '\0');
    }
}

TEST(PilotSortKey, StopsAtTheBufferGivenWithRoomToSpare) {
    rcdPilot rcd{};
    strcpy(rcd.szLName, "Abcdefgh");
    char szKey[8];
    EXPECT_TRUE(pltBuildSortKey(&rcd, szKey, sizeof szKey));
    EXPECT_STREQ(szKey, "ABCDEF");
    EXPECT_EQ(szKey[7], '\0');
}

} // namespace
