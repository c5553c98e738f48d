// The aircraft card's forecast rate and figures through the real UI file:
// what the owner may set, what is refused and what reaches the log.
#include "avDue.h"
#include "avMisc.h"
#include "harness.h"
#include "modComp.h"
#include "pagAC.h"
#include "pagComp.h"

namespace {

constexpr int kPageAC = 3;

class ForecastPage : public avt::AppTest {
  protected:
    void started() override {
        // Three flights of 3.0 hrs in the last 90 days; built 40 days ago.
        avt::exec(db(), R"(
            INSERT INTO Aircraft (iAircraftID, strReg, tManu, bLogSinceNew, bDelete)
              VALUES (1, 'ZK-FCT', strftime('%s', 'now', '-40 days'), 1, 0);
            INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete)
              SELECT 1, t, t + 10800, 30, 0 FROM (SELECT strftime('%s', 'now', '-10 days') AS t
                UNION SELECT strftime('%s', 'now', '-20 days')
                UNION SELECT strftime('%s', 'now', '-30 days')))");
        ASSERT_TRUE(acdLoadActiveAC(1));
        switchPage(kPageAC);
    }
    avt::fs::path db() const { return m_dirs->etcFile("avLedger.db"); }
    std::string shownUse() const { return gtk_label_get_text(GTK_LABEL(widget("ACFcstUse"))); }
};

TEST_F(ForecastPage, TheOwnersRateIsBoundedAndAnEmptyFieldMeansWorkedOut) {
    // 9.0 hrs over the 40 days since it was built, not over 90 days.
    EXPECT_TRUE(avt::contains(shownUse(), "Forecast at 6.8 h/month (last 90 days)"));
    const char* pszRate = "SELECT ifnull(nFcstRate, 'NULL') FROM Aircraft";
    const char* pszSays = "forecast rate";
    // clang-format off
    runScenarios({db(), [this](int nPage) { switchPage(nPage); }, [this] { switchPage(0); },
                  "MainNotebook"}, {
        {kPageAC, "ACFcstRate", "abc", "", true, pszSays, pszRate, "NULL"},
        {kPageAC, "ACFcstRate", "4.5", "4.5", false, nullptr, pszRate, "45"},
        {kPageAC, "ACFcstRate", "200.1", "4.5", true, pszSays, pszRate, "45"},
        {kPageAC, "ACFcstRate", "200", "200.0", false, nullptr, pszRate, "2000"},
        {kPageAC, "ACFcstRate", "", "", false, nullptr, pszRate, "NULL"},
        {kPageAC, "ACFcstRate", "0", "0.0", false, nullptr, pszRate, "0"},
    });
    // clang-format on
    EXPECT_TRUE(avt::contains(shownUse(), "No forecast: a rate of 0 set by hand"));
}

// Worst first, or soonest expected first: a calendar life due within a
// 12-month mark outranks an overdue inspection that falls due now.
TEST_F(ForecastPage, TheDueListSortsByTheExpectedDate) {
    avt::exec(m_dirs->etcFile("avCCD.db"), R"(
        INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartDesc, nInspect, nRCO, bDelete)
          VALUES (1, 1, 1, 'Insp', 5, 0, 0), (2, 1, 2, 'Life', 0, 65536, 0))");
    cmodSetMarkTime(0, INTV_MONTH << 24 | 12);
    ASSERT_TRUE(cmodLoadModel(0xFFFFFFFFu));
    gtk_menu_item_activate(GTK_MENU_ITEM(widget("MenuViewDueList")));
    avt::drainEvents();
    GtkTreeView* pwgtTree = GTK_TREE_VIEW(widget("DueListTreeView"));
    using Lines = std::vector<std::string>;
    EXPECT_EQ(avt::treeRows(GTK_WIDGET(pwgtTree), DUE_NAME_COL),
              (Lines{"Components (2)", "Life", "Insp", "Pilots (0)"}));
    for (int i = 0; i < 8; ++i)
        if (std::string(gtk_tree_view_column_get_title(gtk_tree_view_get_column(pwgtTree, i))) ==
            "Left, expected")
            gtk_tree_view_column_clicked(gtk_tree_view_get_column(pwgtTree, i));
    avt::drainEvents();
    EXPECT_EQ(avt::treeRows(GTK_WIDGET(pwgtTree), DUE_NAME_COL),
              (Lines{"Components (2)", "Insp", "Life", "Pilots (0)"}));
    // The card says the same, in words.
    for (auto [iComp, pszShown] :
         {std::pair{1u, "inspection now (hours reached)"}, {2u, "replacement "}}) {
        ASSERT_TRUE(ccdSelectCompID(iComp));
        avt::drainEvents();
        EXPECT_EQ(
            std::string(gtk_label_get_text(GTK_LABEL(widget("CompForecast")))).rfind(pszShown, 0),
            0u)
            << gtk_label_get_text(GTK_LABEL(widget("CompForecast")));
    }
}

} // namespace
