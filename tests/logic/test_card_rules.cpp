// What typed values make of a flight and of a pilot: the rules the flight
// card and the pilot card apply, each a sequence of edits as a user types
// them. The cards' own tests show that the pages follow these rules.
#include "modAC.h"
#include "modFLogEdit.h"
#include "modPilot.h"
#include "rcdAC.h"
#include "test_comp_fixture.h"

#include <string>
#include <tuple>

namespace {

using avt::utc;

// Edits as one text: "|"-parted, each a letter for the field, then the
// value typed.
std::vector<std::string> edits(const char* pszEdits) {
    std::vector<std::string> lst;
    gchar** ppsz = g_strsplit(pszEdits, "|", -1);
    for (gchar** p = ppsz; *p; ++p)
        lst.emplace_back(*p);
    g_strfreev(ppsz);
    return lst;
}

std::string stamp(time_t t, const char* pszFormat) {
    char sz[32];
    strftime(sz, sizeof sz, pszFormat, gmtime(&t));
    return sz;
}

// The aircraft was built on 01-Jun-2009; its log starts on 01-Apr-2010.
class FlightTimes : public avct::CompTest {
  protected:
    void SetUp() override {
        CompTest::SetUp();
        rcdAC rcd{};
        g_strlcpy(rcd.szReg, "ZK-TST", sizeof rcd.szReg);
        rcd.iACID = avct::ALL, rcd.tManu = utc(2009, 6, 1), rcd.tLogStart = utc(2010, 4, 1);
        ASSERT_TRUE(sqlUpdateAircraftRecord(&rcd)) << sqlLastError();
        activate(rcd.iACID);
    }
};

// D date, T take-off, L landing, F flight time, typed in turn into a new
// flight. The flight after the last edit: take-off ("*" when it was typed
// as 00:00), landing (the bare flight time before a clock time is known),
// tenths, and "moved" when a landing or flight time moved the start, "same"
// when the last edit changed nothing. "!" and words of the reason when the
// last edit is refused: the flight then stays as it was.
TEST_F(FlightTimes, TakeOffLandingAndFlightTimeFollowOneRuleWhicheverIsEditedLast) {
    const std::pair<const char*, const char*> lst[] = {
        {"D1 Jun 2010|T23:30|L00:45|T00:15", "06-01 00:15 06-01 00:45 5"},
        {"D2010-06-02|L00:45|T23:30", "06-02 23:30 06-03 00:45 13"}, // lands the next day
        {"D3 Jun 2010|F1.5|T10:00", "06-03 10:00 06-03 11:30 15"},
        {"D4 Jun 2010|T10:00|F1.5|L12:00", "06-04 10:00 06-04 12:00 20"},
        {"D5 Jun 2010|T10:00|L12:00|F1,0", "06-05 10:00 06-05 11:00 10"},
        {"D6 Jun 2010|F1.5", "06-06 00:00 01-01 01:30 15"},
        {"D6 Jun 2010|F1.5|D7 Jun 2010", "06-07 00:00 01-01 01:30 15"},
        {"D9 Jun 2010|T09:00|L10:00|D20-Jun-2010", "06-20 09:00 06-20 10:00 10"},
        {"D8 Jun 2010|F1.5|L00:30", "06-07 23:00 06-08 00:30 15 moved"},
        {"D8 Jun 2010|L11:00|F2.0", "06-08 09:00 06-08 11:00 20 moved"},
        {"D10 Jun 2010|T00:00|L01:30", "06-10 00:00* 06-10 01:30 15"},
        {"D10 Jun 2010|T00:00|T", "06-10 00:00 01-01 00:00 0"},
        {"D10 Jun 2010|T10:00|F1.0|T", "06-10 00:00 06-10 11:00 10"},
        {"D11 Jun 2010|T10:00|L11:30|L", "06-11 10:00 01-01 00:00 15"},
        {"D11 Jun 2010|T10:00|T10.00", "06-11 10:00 01-01 00:00 0 same"},
        {"D11 Jun 2010|F1.5|F1.5", "06-11 00:00 01-01 01:30 15 same"},
        {"D11 Jun 2010|D11-Jun-2010", "06-11 00:00 01-01 00:00 0 same"},
        {"D11 Jun 2010|F24.0", "06-11 00:00 01-02 00:00 240"},
        {"D11 Jun 2010|F24.1", "!flight time"},
        {"D2024-02-30", "!day"},
        {"D15/03/2010", "!log start"},
        {"D2009-05-31", "!built"},
        {"D1 Apr 2010|F1.5|L01:00", "!log start"},
        {"D1 Apr 2010|L01:00|F2.0", "!log start"},
        {"D11 Jun 2010|T24:30", "!clock time"},
        {"D11 Jun 2010|Labc", "!clock time"},
        {"D11 Jun 2010|T14:00|L15:30|L13:50", "!12 hours"},
        {"D11 Jun 2010|T14:00|L15:30|T16:00", "!12 hours"},
    };
    auto times = [](const rcdFLog& r) {
        return std::make_tuple(r.tFltBegin, r.tFltEnd, r.nElapsed, r.nType);
    };
    for (const auto& [pszEdits, pszWant] : lst) {
        rcdFLog rcd{};
        fedtEdit e{};
        char cLast = 0;
        for (const std::string& str : edits(pszEdits)) {
            const gchar* pszText = str.c_str() + 1;
            cLast = str[0];
            e = cLast == 'D'   ? fedtDate(rcd, pszText)
                : cLast == 'T' ? fedtTakeOff(rcd, pszText)
                : cLast == 'L' ? fedtLanding(rcd, pszText)
                               : fedtFlightTime(rcd, pszText);
            EXPECT_TRUE(!e.pszWhy || *pszWant == '!') << pszEdits << ": " << e.pszWhy;
            EXPECT_EQ(times(e.rcd) != times(rcd), bool(e.bChanged)) << pszEdits << ": " << str;
            rcd = e.rcd;
        }
        if (*pszWant == '!') {
            EXPECT_TRUE(e.pszWhy && avt::contains(e.pszWhy, pszWant + 1)) << pszEdits;
            continue;
        }
        const std::string strGot =
            stamp(rcd.tFltBegin, "%m-%d %H:%M") + (rcd.nType & FLT_TAKEOFF_MIDNIGHT ? "* " : " ") +
            stamp(rcd.tFltEnd, "%m-%d %H:%M") + " " + std::to_string(rcd.nElapsed) +
            (e.bStartMoved && (cLast == 'L' || cLast == 'F') ? " moved" : "") +
            (e.bChanged ? "" : " same");
        EXPECT_EQ(strGot, pszWant) << pszEdits;
    }
}

// Both groups of a pilot start alike: last 15-Mar-2010, every 24 months,
// Auto and End of month, the next date stored a day off (so any recompute
// shows). I interval, L last date, N next date, A Auto, E End of month;
// "-" first clears Auto. Then the group's next date and interval count;
// "!" and words of the reason for a refused interval ("ignored" for End of
// month without Auto): the pilot then stays as it was.
TEST(PilotDueDates, TheNextDateFollowsTheLastDateAndIntervalOnlyWithAuto) {
    const std::pair<const char*, const char*> lst[] = {
        {"I6 months", "2010-10-01 6"},
        {"I100 years", "2110-04-01 100"},
        {"L2011-01-20", "2013-02-01 24"},
        {"N3 Jan 2030", "2012-04-01 24"}, // Auto: the typed next date gives way
        {"E0", "2012-03-15 24"},
        {"L2011-01-20|A0|N3 Jan 2030", "2030-01-03 24"},
        {"-N3 Jan 2030|L2011-01-20", "2030-01-03 24"},
        {"-N3 Jan 2030|A1", "2012-04-01 24"},
        {"-I12 months", "2011-04-01 12"}, // the interval entry only takes the focus with Auto
        {"-E0", "!ignored"},
        {"Iabc", "!count and a unit"},
        {"I10:00", "!count and a unit"},
        {"I6 hours", "!days, weeks"},
    };
    for (pltDueGroup nGroup : {PLT_MEDICAL, PLT_REVIEW}) {
        const time_t tLast = utc(2010, 3, 15), tNext = utc(2012, 4, 2);
        const guint nIntv = INTV_MONTH << CNV_INTV_UNIT_SHIFT | 24;
        const rcdPilot rcdStart{1,     "Adams", "Ann", "ADAMSANN", tLast, tNext, nIntv, TRUE,
                                TRUE,  tLast,   tNext, nIntv,      TRUE,  TRUE,  FALSE, "",
                                FALSE};
        for (auto [pszEdits, pszWant] : lst) {
            rcdPilot rcd = rcdStart;
            std::string strWhy;
            if (*pszEdits == '-')
                ++pszEdits, rcd = pltDueAuto(rcd, nGroup, FALSE);
            for (const std::string& str : edits(pszEdits)) {
                const gchar* pszText = str.c_str() + 1;
                time_t t = 0;
                guint n = 0;
                if (str[0] == 'I') {
                    const gchar* pszWhy = pltReadInterval(pszText, &n);
                    strWhy = pszWhy ? pszWhy : "";
                    if (!pszWhy)
                        rcd = pltDueSet(rcd, nGroup, PLT_DUE_INTERVAL, n);
                } else if (str[0] == 'L' || str[0] == 'N') {
                    ASSERT_TRUE(cnvReadDate(&t, pszText, FALSE)) << pszText;
                    rcd = pltDueSet(rcd, nGroup, str[0] == 'L' ? PLT_DUE_LAST : PLT_DUE_NEXT, t);
                } else if (str[0] == 'A') {
                    rcd = pltDueAuto(rcd, nGroup, str[1] == '1');
                } else if (!pltDueMonthEnd(&rcd, nGroup, str[1] == '1')) {
                    strWhy = "ignored";
                }
            }
            // The other group is never touched.
            const bool bMed = nGroup == PLT_MEDICAL;
            EXPECT_EQ(bMed ? rcd.tNextFR : rcd.tNextMed, tNext) << pszEdits;
            EXPECT_EQ(bMed ? rcd.bFRMonthEnd : rcd.bMedMonthEnd, TRUE) << pszEdits;
            const time_t tGot = bMed ? rcd.tNextMed : rcd.tNextFR;
            const guint nGot = bMed ? rcd.nMedIntv : rcd.nFRIntv;
            if (*pszWant == '!') {
                EXPECT_TRUE(avt::contains(strWhy, pszWant + 1)) << pszEdits << ": " << strWhy;
                EXPECT_EQ(std::make_tuple(tGot, nGot), std::make_tuple(tNext, nIntv)) << pszEdits;
                continue;
            }
            EXPECT_EQ(strWhy, "") << pszEdits;
            EXPECT_EQ(stamp(tGot, "%Y-%m-%d ") + std::to_string(nGot & 0xFFF), pszWant)
                << (bMed ? "medical " : "review ") << pszEdits;
        }
    }
}

// A typed last (L) or first (F) name on Adams (no first name): where the pilot then
// stands, the name and sort key the record holds, and whether the spelling
// was an edit at all.
TEST(PilotNames, ANameWithoutALetterOrDigitIsRefusedANewKeyMovesThePilot) {
    const std::string strLong = "L" + std::string(120, 'z');
    const std::tuple<const char*, pltNamePlace, const char*, bool> lst[] = {
        {"L-- '.", PLT_NAME_REFUSED, "Adams  ADAMS", true},
        {"L", PLT_NAME_REFUSED, "Adams  ADAMS", true},
        {"LAdams", PLT_NAME_SAME_PLACE, "Adams  ADAMS", false},
        {"LADAMS", PLT_NAME_SAME_PLACE, "ADAMS  ADAMS", true},
        {"F.", PLT_NAME_SAME_PLACE, "Adams . ADAMS", true},
        {"Fb.o.b", PLT_NAME_NEW_PLACE, "Adams b.o.b ADAMSBOB", true},
        {strLong.c_str(), PLT_NAME_NEW_PLACE, "", true},
    };
    for (auto [pszTyped, nPlace, pszRecord, bChanged] : lst) {
        rcdPilot rcd{};
        mscCopyText(rcd.szLName, "Adams");
        mscCopyText(rcd.szSortKey, "ADAMS");
        const pltNameEdit e = pltNameTyped(rcd, *pszTyped == 'L', pszTyped + 1);
        EXPECT_EQ(e.nPlace, nPlace) << pszTyped;
        EXPECT_EQ(bool(e.bChanged), bChanged) << pszTyped;
        if (*pszRecord) {
            EXPECT_EQ(std::string(e.rcd.szLName) + " " + e.rcd.szFName + " " + e.rcd.szSortKey,
                      pszRecord);
        } else { // cut to the field, the key to its own size
            EXPECT_EQ(strlen(e.rcd.szLName), sizeof e.rcd.szLName - 1);
            EXPECT_EQ(strlen(e.rcd.szSortKey), sizeof e.rcd.szSortKey - 2);
        }
    }
}

} // namespace
