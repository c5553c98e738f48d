// The parsers and writers on hostile input: whatever is typed or stored,
// they stay inside their buffers and give values that make sense. The
// sanitizer build of these tests catches any read or write out of bounds.
#include "avCnv.h"
#include "harness.h"

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Each text in a buffer of exactly its size, so a read past the
// terminator leaves the allocation.
std::vector<char> exact(const std::string& str) {
    std::vector<char> v(str.begin(), str.end());
    v.push_back('\0');
    v.shrink_to_fit();
    return v;
}

std::vector<std::string> hostileTexts() {
    std::vector<std::string> lst = {
        "",
        " ",
        "~",
        "~~~~~~~~~~~~",
        "//////",
        "-- -- -- -- --",
        ":::::",
        "19~04~2010~14~30",
        "~1~9~A~p~r~2~0~1~0",
        "\xFF\xFE\xFD\xFC\xFB\xFA\xF9",
        "\xC3",
        "19 \xC3\xA4pr 2010",
        "19/04/2010 \xE2\x82",
        "0000000000000000000000000019/04/2010",
        "99999999999999999999999999 Apr 2049",
        "-2147483648/-2147483648/2010",
        "2147483647 2147483647 2049",
        "4294967296 years",
        "-99999999999 months",
        "OC OC OC OC OC OC OC OC 1 2 3 4 5 6 7 8",
        "65535 HR/OC or 32767 yrs",
        "99999999999999999999 HR or 99999999999999999999 yrs",
        "decdecdecdecdecdecdecdecdecdecdec 31 2049",
        std::string("19/04\0/2010", 11),
    };
    lst.push_back(std::string(10000, 'A'));
    lst.push_back(std::string(10000, '9'));
    lst.push_back(std::string(10000, '/'));
    lst.push_back(std::string(10000, '~'));
    lst.push_back(std::string(10000, '\x80'));
    std::string strLong;
    while (strLong.size() < 10000)
        strLong += "19 Apr 2010 14:30 ~ ";
    lst.push_back(strLong);

    // Random texts over an alphabet of what dates, times and limits are
    // made of, plus tildes, non-ASCII and invalid bytes.
    const std::string strAlphabet =
        "0123456789/-.:, ~APRaprMyOoCcHhRrYyWwDd\t\xC3\xBC\xE2\x82\xAC\xFF";
    std::mt19937 rng(20100419);
    for (int i = 0; i < 20000; ++i) {
        std::size_t nl = rng() % (i % 100 == 0 ? 400 : 30);
        std::string str;
        for (std::size_t k = 0; k < nl; ++k)
            str += i % 3 == 0 ? static_cast<char>(rng() % 255 + 1)
                              : strAlphabet[rng() % strAlphabet.size()];
        lst.push_back(str);
    }
    return lst;
}

TEST(ParseRobust, DateAndTimeParsersStayInsideTheText) {
    int nDates = 0;
    for (const std::string& str : hostileTexts()) {
        std::vector<char> v = exact(str);
        const char* pszText = v.data();
        const std::size_t nl = strlen(pszText);

        struct tm tmDate = {};
        tmDate.tm_year = 77;
        const gchar* pszRest = cnvEncDate(&tmDate, pszText);
        if (nl <= 5) {
            ASSERT_EQ(tmDate.tm_year, 77) << "short text set a date";
        }
        if (pszRest) {
            ASSERT_GE(pszRest, pszText + 1);
            ASSERT_LE(pszRest, pszText + nl);
            cnvEncTime(&tmDate, pszRest);
        }

        struct tm tmTime = {};
        tmTime.tm_hour = -7;
        const gchar* pszTime = cnvEncTime(&tmTime, pszText);
        ASSERT_GE(pszTime, pszText);
        ASSERT_LE(pszTime, pszText + (nl ? nl - 1 : 0));
        if (nl == 0) {
            ASSERT_EQ(tmTime.tm_hour, -7);
        } else {
            ASSERT_GE(tmTime.tm_hour, 0);
            ASSERT_LE(tmTime.tm_hour, 99);
            ASSERT_GE(tmTime.tm_min, 0);
            ASSERT_LE(tmTime.tm_min, 99);
        }

        // Whatever date a text makes is shown so that it reads back.
        time_t t = cnvMakeTime(&tmDate);
        ASSERT_GE(t, -1);
        if (t >= 0 && tmDate.tm_year + 1900 <= 2049) {
            ++nDates;
            char szShown[30];
            cnvDcdDate(szShown, sizeof szShown, t, 3);
            struct tm tmBack = {};
            const gchar* pszBackRest = cnvEncDate(&tmBack, szShown);
            if (pszBackRest)
                cnvEncTime(&tmBack, pszBackRest);
            ASSERT_EQ(cnvMakeTime(&tmBack), t - t % 60) << str << " shown as " << szShown;
        }
    }
    EXPECT_GT(nDates, 100) << "too few texts made a date to test reading back";
}

TEST(ParseRobust, IntervalsAndLimitsAreAlwaysStorable) {
    for (const std::string& str : hostileTexts()) {
        std::vector<char> v = exact(str);

        guint nIntv = 0xDEADBEEF;
        cnvEncInterval(&nIntv, v.data());
        ASSERT_EQ(nIntv & 0x00FFF000u, 0u) << str;
        ASSERT_LE(nIntv >> 24, static_cast<guint>(INTV_YEAR)) << str;
        char sz[40];
        cnvDcdInterval(sz, sizeof sz, nIntv);
        guint nBack = 0;
        cnvEncInterval(&nBack, sz);
        ASSERT_EQ(nBack, nIntv) << str << " shown as " << sz;

        guint nRCO = 0xDEADBEEF;
        cnvEncRCO(&nRCO, v.data(), FALSE);
        cnvDcdRCO(sz, sizeof sz, nRCO);
        nBack = 0;
        cnvEncRCO(&nBack, sz, FALSE);
        ASSERT_EQ(nBack, nRCO) << str << " shown as " << sz;

        guint nHours = 0xDEADBEEF;
        cnvEncRCO(&nHours, v.data(), TRUE);
        ASSERT_LE(nHours, static_cast<guint>(INT_MAX)) << str;
    }
}

// Writers on any stored value and any buffer size: never past the buffer,
// always terminated.
TEST(ParseRobust, WritersStayInsideTheBuffer) {
    std::vector<time_t> lstTimes = {0,
                                    -1,
                                    1,
                                    360000,
                                    360001,
                                    86400,
                                    2147483647,
                                    2147483648,
                                    4294967295,
                                    LLONG_MAX,
                                    LLONG_MIN,
                                    253402300799,
                                    67767976233532799};
    std::vector<guint> lstPacked = {0,          1,          0xFFFFFFFF, 0x80000000,
                                    0x7FFFFFFF, 0x03000FFF, 0xFF000FFF, 0x0000FFFF};
    std::mt19937_64 rng(4711);
    for (int i = 0; i < 2000; ++i) {
        lstTimes.push_back(static_cast<time_t>(rng()));
        lstTimes.push_back(static_cast<time_t>(rng() % 4102444800ull));
        lstPacked.push_back(static_cast<guint>(rng()));
    }
    constexpr char CANARY = '\x5A';
    for (int nl = 0; nl <= 32; ++nl) {
        auto check = [&](const std::vector<char>& buf, const char* pszWhat) {
            for (std::size_t k = static_cast<std::size_t>(nl); k < buf.size(); ++k)
                ASSERT_EQ(buf[k], CANARY) << pszWhat << " wrote past " << nl << " bytes";
            if (nl > 0) {
                ASSERT_NE(memchr(buf.data(), '\0', static_cast<std::size_t>(nl)), nullptr)
                    << pszWhat << " left no terminator";
            }
        };
        for (time_t t : lstTimes) {
            for (guint nFlags = 0; nFlags < 4; ++nFlags) {
                std::vector<char> buf(40, CANARY);
                cnvDcdDate(buf.data(), nl, t, nFlags);
                check(buf, "cnvDcdDate");
                std::fill(buf.begin(), buf.end(), CANARY);
                cnvDcdTime(buf.data(), nl, t, nFlags);
                check(buf, "cnvDcdTime");
            }
        }
        for (guint n : lstPacked) {
            std::vector<char> buf(40, CANARY);
            cnvDcdInterval(buf.data(), static_cast<guint>(nl), n);
            check(buf, "cnvDcdInterval");
            std::fill(buf.begin(), buf.end(), CANARY);
            cnvDcdRCO(buf.data(), static_cast<guint>(nl), n);
            check(buf, "cnvDcdRCO");
        }
    }
}

} // namespace
