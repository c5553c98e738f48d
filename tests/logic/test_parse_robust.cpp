// The parsers and writers on hostile input: whatever is typed or stored,
// they stay inside their buffers and give values that can be stored. The
// sanitizer build of these tests catches any access out of bounds.
#include "avCnv.h"
#include "harness.h"

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

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
