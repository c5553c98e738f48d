// The parsers and writers on hostile input: whatever is typed or stored,
// they stay inside their buffers and give values that read back. The
// sanitizer build of these tests catches any access out of bounds.
#include "avCnv.h"
#include "harness.h"

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(ParseRobust, ParsersStayInsideTheTextAndWhatTheyMakeReadsBack) {
    std::vector<std::string> lst = {"",
                                    "-- -- --",
                                    "19~04~2010~14~30",
                                    "\xFF\xFE\xFD\xFC",
                                    "19/04/2010 \xE2\x82",
                                    "-2147483648/-2147483648/2010",
                                    "99999999999 HR or 99999999999 yrs"};
    for (char c : {'A', '9', '/', '~', '\x80'})
        lst.emplace_back(10000, c);
    // Random texts of what dates and limits are made of, tildes, non-ASCII
    // and invalid bytes; every third of any byte at all.
    const std::string strAlphabet = "0123456789/-.:, ~AaPpRrMyOCcHhYWwDd\t\xC3\xBC\xE2\x82\xAC\xFF";
    std::mt19937 rng(20100419);
    for (int i = 0; i < 20000; ++i) {
        std::string str(rng() % (i % 100 == 0 ? 400 : 30), ' ');
        for (char& c : str)
            c = i % 3 ? strAlphabet[rng() % strAlphabet.size()]
                      : static_cast<char>(rng() % 255 + 1);
        lst.push_back(str);
    }
    int nDates = 0;
    for (const std::string& str : lst) {
        // A heap copy of exactly its size, so a read past the end is caught.
        std::vector<char> v(str.c_str(), str.c_str() + str.size() + 1);
        const char* psz = v.data();
        struct tm tmDate = {}, tmTime = {}, tmBack = {};
        tmDate.tm_year = 77; // so that texts without a year make dates too
        const gchar* pszRest = cnvEncDate(&tmDate, psz);
        ASSERT_TRUE(!pszRest || (pszRest > psz && pszRest <= psz + str.size())) << str;
        if (pszRest)
            cnvEncTime(&tmDate, pszRest);
        const time_t t = cnvMakeTime(&tmDate);
        char sz[40];
        if (t >= 0 && tmDate.tm_year + 1900 <= 2049) {
            ++nDates;
            if (const gchar* pszBack = cnvEncDate(&tmBack, cnvDcdDate(sz, sizeof sz, t, 3)))
                cnvEncTime(&tmBack, pszBack);
            ASSERT_EQ(cnvMakeTime(&tmBack), t - t % 60) << str << " shown as " << sz;
        }
        cnvEncTime(&tmTime, psz);
        ASSERT_TRUE(tmTime.tm_hour >= 0 && tmTime.tm_hour <= 99 && tmTime.tm_min <= 99) << str;

        guint nIntv = 0, nRCO = 0, nBack = 0, nHours = 0;
        cnvEncInterval(&nIntv, psz);
        ASSERT_TRUE((nIntv & 0x00FFF000u) == 0 && nIntv >> 24 <= INTV_YEAR) << str;
        cnvDcdInterval(sz, sizeof sz, nIntv);
        cnvEncInterval(&nBack, sz);
        ASSERT_EQ(nBack, nIntv) << str << " shown as " << sz;
        cnvEncRCO(&nRCO, psz, FALSE);
        cnvDcdRCO(sz, sizeof sz, nRCO);
        cnvEncRCO(&nBack, sz, FALSE);
        ASSERT_EQ(nBack, nRCO) << str << " shown as " << sz;
        cnvEncRCO(&nHours, psz, TRUE);
        ASSERT_LE(nHours, static_cast<guint>(INT_MAX)) << str;
    }
    EXPECT_GT(nDates, 100) << "too few texts made a date to test reading back";
}

// Writers on any stored value and buffer size: never past the buffer,
// always terminated.
TEST(ParseRobust, WritersStayInsideTheBuffer) {
    const time_t lstEdge[] = {0, -1, 360001, 2147483648, LLONG_MAX, LLONG_MIN, 253402300799};
    std::mt19937_64 rng(4711);
    for (int i = 0; i < 40000; ++i) {
        const auto t = static_cast<time_t>(i < 7 ? lstEdge[i] : i % 2 ? rng() : rng() % 4102444800);
        const auto n = static_cast<guint>(i % 5 ? rng() : 0xFFFFFFFF >> i % 32);
        const gint nl = i % 33;
        for (int k = 0; k < 4; ++k) {
            char sz[40];
            memset(sz, 'Z', sizeof sz);
            if (k == 0)
                cnvDcdDate(sz, nl, t, static_cast<guint>(i / 33 % 4));
            else if (k == 1)
                cnvDcdTime(sz, nl, t, static_cast<guint>(i / 33 % 4));
            else
                (k == 2 ? cnvDcdInterval : cnvDcdRCO)(sz, static_cast<guint>(nl), n);
            ASSERT_TRUE(nl == 0 || memchr(sz, '\0', static_cast<std::size_t>(nl)))
                << k << ' ' << nl;
            ASSERT_EQ(std::string(sz + nl, sizeof sz - nl), std::string(sizeof sz - nl, 'Z')) << k;
        }
    }
}

} // namespace
