// The shared pilot list on a real log database: order, names, next-date
// texts, due flags, the "<new pilot>" row and finding rows by ID; and when
// the next medical or flight review falls due, also without a last date.
#include "avCnv.h"
#include "avError.h"
#include "modPilot.h"
#include "rcdPilot.h"
#include "test_comp_fixture.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using avt::utc;

// Each list row as "name|reading name|next medical|next review|due flags".
std::vector<std::string> listRows() {
    using avct::text, avct::col;
    std::vector<std::string> rows;
    GtkTreeModel* pmod = pmodGetModel();
    GtkTreeIter it;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &it); b;
         b = gtk_tree_model_iter_next(pmod, &it))
        rows.push_back(text(&it, PILOT_NAME_COL, pmod) + "|" + text(&it, PILOT_RNAME_COL, pmod) +
                       "|" + text(&it, PILOT_MED_NEXT_COL, pmod) + "|" +
                       text(&it, PILOT_FR_NEXT_COL, pmod) + "|" +
                       std::to_string(col<gboolean>(&it, PILOT_MED_DUE_COL, pmod)) +
                       std::to_string(col<gboolean>(&it, PILOT_FR_DUE_COL, pmod)));
    return rows;
}

TEST(PilotModel, PilotsInKeyOrderWithNamesNextDatesAndDueFlagsThenTheNewRow) {
    avt::TempDirs dirs;
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    ASSERT_TRUE(pmodInitialize());
    EXPECT_EQ(listRows(), std::vector<std::string>{"<new pilot>||<null>|<null>|00"});

    // 1268611200 is 15-Mar-2010, 2083536000 is 10-Jan-2036.
    avt::exec(dirs.etcFile("avLedger.db"), R"(
        INSERT INTO Pilot (iPilotID, strLName, strFName, strSortKey, tNextMed, tNextFR, bDelete)
        VALUES (1, 'Smith', 'Anne', 'SMITHANNE', 1268611200, 2083536000, 0),
          (2, 'Smith', '', 'SMITH', 2083536000, 0, 0), (3, '', 'Anne', 'ANNE', 0, 1268611200, 0),
          (4, 'Gone', 'Al', 'GONEAL', 0, 0, 1), (5, 'Zed', 'Old', 'ZEDOLD', 0, 0, NULL);
    )"); // older rows have no deletion mark
    ASSERT_TRUE(pmodLoadModel());
    // A next date of 0 counts as due, with no text to show in red.
    EXPECT_EQ(listRows(), (std::vector<std::string>{
                              "Anne|Anne ||15-Mar-2010|11",
                              "Smith| Smith|10-Jan-2036||01",
                              "Smith, Anne|Anne Smith|15-Mar-2010|10-Jan-2036|10",
                              "Zed, Old|Old Zed|||11",
                              "<new pilot>||<null>|<null>|00",
                          }));

    // A card's new dates refresh its row in place; the name is not moved.
    rcdPilot rcd{};
    rcd.iPilotID = 1;
    strcpy(rcd.szLName, "Aaron");
    rcd.tNextMed = utc(2036, 1, 10);
    pmodUpdateDueDates(&rcd);
    EXPECT_EQ(listRows()[2], "Smith, Anne|Anne Smith|10-Jan-2036||01");

    // A failed load is reported through the models' reporter; Cancel stops
    // it before the new-pilot row, any other answer keeps the row.
    avt::exec(dirs.etcFile("avLedger.db"), "ALTER TABLE Pilot RENAME TO PilotAway");
    for (int nAnswer : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
        avct::Reports reports({nAnswer});
        EXPECT_EQ(pmodLoadModel(), nAnswer == GTK_RESPONSE_OK);
        EXPECT_EQ(listRows().size(), nAnswer == GTK_RESPONSE_OK ? 1u : 0u);
        EXPECT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports.count("modPilot::pmodLoadModel() "), 1);
    }
}

constexpr auto intv = [](guint nUnit, guint n) { return nUnit << CNV_INTV_UNIT_SHIFT | n; };

TEST(PilotRules, DueDateCountsFromTheLastDateOrTheNextMonth) {
    const time_t t15Mar10 = utc(2010, 3, 15);
    // Last date, interval as stored, end of month, due date.
    const std::tuple<time_t, guint, gboolean, time_t> cases[] = {
        {t15Mar10, intv(INTV_MONTH, 24), TRUE, utc(2012, 4, 1)},
        {t15Mar10, intv(INTV_DAY, 90), TRUE, utc(2010, 6, 30)},
        {t15Mar10, intv(4, 5), FALSE, t15Mar10}, // unit beyond years adds nothing
        {t15Mar10, intv(INTV_MONTH, 1) | 0xABC000, FALSE, utc(2010, 4, 15)}, // count: low 12 bits
        {-1, intv(INTV_YEAR, 2), TRUE, 0}, // no last date, no due date
    };
    for (auto [tLast, nIntv, bEndMonth, tDue] : cases)
        EXPECT_EQ(pltCalcDueDate(tLast, nIntv, bEndMonth), tDue) << tLast << " + " << nIntv;
}

} // namespace
