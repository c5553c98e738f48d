// Flight log model and airframe hours on a real log database: the tree,
// hours at a date, the accumulated column, and the hours index agreeing
// with a plain walk of the tree.
#include "harness.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <random>
#include <sstream>

namespace {

using avt::utc;

class FLogModel : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        fmodInitialize();
    }
    avt::fs::path db() const { return m_dirs.etcFile("avLedger.db"); }
    std::string addAircraft(guint nLogHours, int bSinceNew = 0) {
        avt::exec(db(), "INSERT INTO Aircraft (strReg, nLogHours, bLogSinceNew, bDelete) VALUES "
                        "('ZK-HBC', " +
                            std::to_string(nLogHours) + ", " + std::to_string(bSinceNew) + ", 0)");
        return *avt::query(db(), "SELECT MAX(iAircraftID) FROM Aircraft")[0][0];
    }
    // "(aircraft, start, elapsed, 'to', deleted)" rows of the Flight table.
    void addFlights(const std::string& strValues) {
        avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, nElapsed, strTo, bDelete) VALUES " +
                            strValues);
    }
    guint activate(const std::string& strID) {
        EXPECT_TRUE(acdLoadActiveAC(std::stoul(strID))) << "and its flights loaded";
        return fmodAFHoursTotal();
    }
    avt::TempDirs m_dirs;
};

std::string row(const std::string& strID, time_t t, guint n, const char* pszTo = "") {
    return "(" + strID + "," + std::to_string(t) + "," + std::to_string(n) + ",'" + pszTo + "',0)";
}

// The tree as indented lines: "start | elapsed | dest | accum".
std::vector<std::string> dumpTree() {
    std::vector<std::string> lines;
    auto dumpRow = [](GtkTreeModel* pmod, GtkTreePath* ppath, GtkTreeIter* piter,
                      gpointer pLines) -> gboolean {
        gchar* psz[4] = {};
        gtk_tree_model_get(pmod, piter, FLOG_TIME_START, &psz[0], FLOG_TIME_ELPSD, &psz[1],
                           FLOG_DEST, &psz[2], FLOG_AF_ACCUM, &psz[3], -1);
        std::string str((gtk_tree_path_get_depth(ppath) - 1) * 2, ' ');
        for (int i = 0; i < 4; g_free(psz[i++]))
            str += psz[i] ? (i ? " | " : "") + std::string(psz[i]) : "";
        static_cast<std::vector<std::string>*>(pLines)->push_back(str);
        return FALSE;
    };
    gtk_tree_model_foreach(fmodGetModel(), dumpRow, &lines);
    return lines;
}

TEST_F(FLogModel, HoursAtADateAroundTwoFlights) {
    std::string strID = addAircraft(1500);
    const time_t tFirst = utc(2010, 5, 1, 9, 30), tSecond = utc(2010, 5, 3, 14, 5);
    addFlights(row(strID, tFirst, 12, "Taupo") + "," + row(strID, tSecond, 8, "Rotorua"));
    EXPECT_EQ(activate(strID), 1520u);
    const std::pair<time_t, guint64> cases[] = {
        {utc(2010, 4, 30), 1500}, {tFirst - 1, 1500},  {tFirst, 1512}, {utc(2010, 5, 2), 1512},
        {tSecond, 1520},          {tSecond + 1, 1520}, {0, 0},
    };
    for (const auto& [t, nHours] : cases)
        EXPECT_EQ(std::make_pair(fmodAFHoursAtDate(t), fmodAFHoursByWalk(t)),
                  std::make_pair(nHours, nHours))
            << t;
    EXPECT_EQ(dumpTree(), (std::vector<std::string>{
                              "2010", "  May-2010", "    01-May 09:30 | 1.2 | Taupo | 151.2",
                              "    03-May 14:05 | 0.8 | Rotorua | 152.0", "<new flight>"}));

    // Without flights only the base counts; log-since-new has none.
    for (int bSinceNew : {0, 1}) {
        EXPECT_EQ(activate(addAircraft(734, bSinceNew)), bSinceNew ? 0u : 734u);
        EXPECT_EQ(dumpTree(), std::vector<std::string>{"<new flight>"});
        EXPECT_EQ(fmodAFHoursAtDate(tSecond), bSinceNew ? 0u : 734u);
        EXPECT_EQ(fmodAFHoursAtDate(0), 0u);
    }
}

TEST_F(FLogModel, YearHeadersSkippedStartsAndAnEditedElapsedTime) {
    std::string strID = addAircraft(0, 1);
    addFlights(row(strID, utc(2010, 12, 31, 23), 10, "Year end") + "," +
               row(strID, utc(2011, 1, 1, 0, 10), 5, "New year") + "," +
               row(strID, 0, 99, "Never flown"));
    EXPECT_EQ(activate(strID), 15u) << "a flight without a start has no hours";
    EXPECT_EQ(dumpTree(),
              (std::vector<std::string>{
                  "2010", "  Dec-2010", "    31-Dec 23:00 | 1.0 | Year end | 1.0", "2011",
                  "  Jan-2011", "    01-Jan 00:10 | 0.5 | New year | 1.5", "<new flight>"}));

    // The flight page edits the first flight's elapsed time in place.
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iterFlight;
    ASSERT_TRUE(gtk_tree_model_get_iter_from_string(pmod, &iterFlight, "0:0:0"));
    gtk_tree_store_set(GTK_TREE_STORE(pmod), &iterFlight, FLOG_HOURS, 25u, -1);
    EXPECT_EQ(fmodCalcAFAccum(), 30u);
    EXPECT_EQ(dumpTree()[5], "    01-Jan 00:10 | 0.5 | New year | 3.0");
    EXPECT_EQ(fmodAFHoursAtDate(utc(2011, 1, 1)), 25u) << "the index follows the edit";
}

// 2,000 flights with shared starts, deleted ones, ones without a start and
// another aircraft's: the index must give the walk's answer everywhere.
TEST_F(FLogModel, IndexAgreesWithAWalkOnARandomLog) {
    std::string strID = addAircraft(4321), strOther = addAircraft(0);
    std::mt19937 rng(20100501);
    const time_t tBase = utc(2000, 1, 1);
    std::ostringstream values;
    std::vector<time_t> dates{1, tBase - 1, static_cast<time_t>(-1)};
    guint nTotal = 4321;
    time_t tLast = tBase;
    for (int i = 0; i < 2000; ++i) {
        const int nKind = rng() % 100;
        const time_t t = tLast = nKind < 10 ? tLast : tBase + rng() % (20 * 365 * 86400);
        const guint nElapsed = rng() % 40;
        const bool bOther = nKind >= 95, bDeleted = nKind >= 90 && !bOther;
        const time_t tBegin = nKind >= 88 && nKind < 90 ? 0 : t;
        values << (i ? "," : "") << "(" << (bOther ? strOther : strID) << "," << tBegin << ","
               << nElapsed << ",''," << bDeleted << ")";
        if (!bOther && !bDeleted && tBegin)
            nTotal += nElapsed;
        dates.insert(dates.end(), {t - 1, t, t + 1});
    }
    addFlights(values.str());
    ASSERT_EQ(activate(strID), nTotal);
    int nMismatch = 0;
    for (time_t t : dates)
        nMismatch += fmodAFHoursAtDate(t) != fmodAFHoursByWalk(t);
    EXPECT_EQ(nMismatch, 0);
}

} // namespace
