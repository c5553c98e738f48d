// What the cards make of typed dates, intervals and limits: the value
// taken, or a refusal whose reason names what is wrong; and airframe hours
// summed past 32 bits. The cards show the reasons word for word.
#include "avCnv.h"
#include "harness.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <string>

namespace {

constexpr gint64 REFUSED = -1;
constexpr gint64 intv(guint nUnit, guint n) { return gint64(nUnit) << CNV_INTV_UNIT_SHIFT | n; }

// Text typed, what reads it, the value taken (REFUSED: none) and, for a
// refusal, a word its reason must contain.
enum Reader { DATE, INTERVAL, INSPECTION, LIMIT };
struct Typed {
    const char* pszText;
    Reader nReader;
    gint64 nWant;
    const char* pszWhy = nullptr;
};

TEST(TypedOnACard, TakenOrRefusedWithAReason) {
    const Typed lst[] = {
        {"2024-02-30", DATE, REFUSED, "day"},
        {"yesterday", DATE, REFUSED, "date"},
        {"19/04/10", DATE, REFUSED, "year"},
        {"2026-13-01", DATE, REFUSED, "month"},
        {"2024-02-10", DATE, avt::utc(2024, 2, 10)},
        // No count, no calendar unit, or more than a hundred years.
        {"abc", INTERVAL, REFUSED, "count"},
        {"-3 months", INTERVAL, REFUSED, "count"},
        {"6 hours", INTERVAL, REFUSED, "days, weeks"},
        {"soon", INTERVAL, REFUSED, "count"},
        {"101 years", INTERVAL, REFUSED, "hundred"},
        {"5000 days", INTERVAL, REFUSED, "hundred"},
        {"100 years", INTERVAL, intv(INTV_YEAR, 100)},
        {"2 weeks", INTERVAL, intv(INTV_WEEK, 2)},
        {"", INTERVAL, 0},
        // A sign, a fraction, a word that is no unit, a figure too large
        // to store or a life no helicopter part has: refused, not clamped.
        {"-5", INSPECTION, REFUSED, "whole hours"},
        {"often", INSPECTION, REFUSED, "whole hours"},
        {"12.5", INSPECTION, REFUSED, "whole hours"},
        {"99999999", INSPECTION, REFUSED, "typing error"},
        {"50", INSPECTION, 50},
        {"-500 HR", LIMIT, REFUSED, "500 HR or 5 yrs"},
        {"when worn", LIMIT, REFUSED, "500 HR or 5 yrs"},
        {"6 months", LIMIT, REFUSED, "500 HR or 5 yrs"},
        {"70000 HR", LIMIT, REFUSED, "hours"},
        {"500 HR or 60 yrs", LIMIT, REFUSED, "years"},
        {"2000 HR or 12 yrs", LIMIT, 12 << 16 | 2000},
        {"OC", LIMIT, 0x80000000},
        {"", LIMIT, 0},
    };
    for (const Typed& c : lst) {
        SCOPED_TRACE(c.pszText);
        const gchar* pszWhy = nullptr;
        time_t t = 0;
        guint n = 0;
        gint64 nGot = REFUSED;
        switch (c.nReader) {
        case DATE:
            if (cnvReadDate(&t, c.pszText, FALSE, &pszWhy))
                nGot = t;
            break;
        case INTERVAL:
            if (cnvReadInterval(&n, c.pszText, &pszWhy))
                nGot = n;
            break;
        default:
            if (cnvReadRCO(&n, c.pszText, c.nReader == INSPECTION, &pszWhy))
                nGot = n;
        }
        EXPECT_EQ(nGot, c.nWant);
        EXPECT_EQ(pszWhy != nullptr, c.nWant == REFUSED);
        if (c.pszWhy && pszWhy) {
            EXPECT_NE(std::string(pszWhy).find(c.pszWhy), std::string::npos) << pszWhy;
        }
    }
}

// An old file's log-start hours near the top of 32 bits: every running
// total and the whole go on counting instead of wrapping to a few hours.
TEST(AirframeHours, SummedIn64Bits) {
    avt::TempDirs dirs;
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    fmodInitialize();
    avt::exec(dirs.etcFile("avLedger.db"),
              "INSERT INTO Aircraft (iAircraftID, strReg, nLogHours, bDelete) VALUES "
              "(1, 'ZK-BIG', 4294967290, 0); INSERT INTO Flight (iCSID, tFltBegin, nElapsed, "
              "bDelete) VALUES (1, 1271671200, 10, 0), (1, 1271685600, 15, 0)");
    ASSERT_TRUE(acdLoadActiveAC(1));
    EXPECT_EQ(fmodAFHoursTotal(), 4294967315u);
    std::string strAccum;
    gtk_tree_model_foreach(
        fmodGetModel(),
        [](GtkTreeModel* pmod, GtkTreePath*, GtkTreeIter* piter, gpointer p) -> gboolean {
            g_autofree gchar* psz = nullptr;
            gtk_tree_model_get(pmod, piter, FLOG_AF_ACCUM, &psz, -1);
            *static_cast<std::string*>(p) += psz && *psz ? std::string(psz) + " " : "";
            return FALSE;
        },
        &strAccum);
    EXPECT_EQ(strAccum, "429496730.0 429496731.5 ");
    fmodClearModel();
    sqlClose();
}

} // namespace
