// The two rules applied to a pilot record: when the next medical or flight
// review falls due, and where the pilot sorts in the list.
#include "avCnv.h"
#include "harness.h"
#include "modPilot.h"
#include "rcdPilot.h"

#include <cstring>
#include <string>
#include <tuple>

namespace {

using avt::utc;

constexpr auto intv = [](guint nUnit, guint n) { return nUnit << CNV_INTV_UNIT_SHIFT | n; };

TEST(PilotRules, DueDateCountsFromTheLastDateOrTheNextMonth) {
    const time_t t15Mar10 = utc(2010, 3, 15);
    // Last date, interval, end of month, due date.
    const std::tuple<time_t, guint, gboolean, time_t> cases[] = {
        {t15Mar10, intv(INTV_MONTH, 24), TRUE, utc(2012, 4, 1)},
        {t15Mar10, intv(INTV_MONTH, 24), FALSE, utc(2012, 3, 15)},
        {t15Mar10, intv(INTV_DAY, 90), TRUE, utc(2010, 6, 30)},
        {utc(2011, 1, 31), intv(INTV_MONTH, 1), FALSE,
         utc(2011, 2, 28)}, // never past a month's end
        {utc(2011, 1, 31), intv(INTV_MONTH, 1), TRUE, utc(2011, 3, 1)},
        {t15Mar10, 0, FALSE, t15Mar10},
        {t15Mar10, intv(4, 5), FALSE, t15Mar10}, // unit beyond years adds nothing
        {t15Mar10, intv(INTV_MONTH, 1) | 0xABC000, FALSE, utc(2010, 4, 15)}, // count: low 12 bits
        {-1, intv(INTV_YEAR, 2), TRUE, 0}, // no last date, no due date
        {0, intv(INTV_YEAR, 2), FALSE, utc(1972, 1, 1)},
    };
    for (auto [tLast, nIntv, bEndMonth, tDue] : cases)
        EXPECT_EQ(pltCalcDueDate(tLast, nIntv, bEndMonth), tDue) << tLast << " + " << nIntv;
}

TEST(PilotRules, SortKeyIsTheLettersAndDigitsOfLastThenFirstName) {
    const std::string str60(60, 'a'), str48(48, 'A');
    // Last name, first name, key, result.
    const std::tuple<const char*, const char*, const char*, gboolean> cases[] = {
        {"O'Brien", "Mary Ann", "OBRIENMARYANN", TRUE},
        {"'-.", ", ;", "", FALSE},
        {str60.c_str(), "Anne", str48.c_str(), TRUE},
    };
    for (auto [pszLName, pszFName, pszKey, bResult] : cases) {
        rcdPilot rcd{};
        strcpy(rcd.szLName, pszLName);
        strcpy(rcd.szFName, pszFName);
        char szKey[50];
        memset(szKey, 'x', sizeof szKey); // what was there before must go
        EXPECT_EQ(pltBuildSortKey(&rcd, szKey, sizeof szKey), bResult) << pszLName;
        EXPECT_STREQ(szKey, pszKey) << pszLName;
    }
}

} // namespace
