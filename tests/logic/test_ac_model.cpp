// Aircraft list model and the registration rules on a real log database:
// order, placeholder row, remembered row, normalised duplicate refusal.
#include "harness.h"
#include "modAC.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <cstring>

namespace {

using avt::TempDirs;

class ACModel : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        amodInitialize();
        fmodInitialize();
    }

    guint addAircraft(const char* pszReg, const char* pszModel = "Exec 162F",
                      gboolean bDelete = FALSE) {
        rcdAC rcd;
        memset(&rcd, 0, sizeof rcd);
        rcd.iACID = SQL_NEW_ID;
        g_strlcpy(rcd.szReg, pszReg, sizeof rcd.szReg);
        g_strlcpy(rcd.szModel, pszModel, sizeof rcd.szModel);
        rcd.bDelete = bDelete;
        EXPECT_TRUE(sqlUpdateAircraftRecord(&rcd)) << sqlLastError();
        return rcd.iACID;
    }

    TempDirs m_dirs;
};

struct ListRow {
    gulong iID;
    std::string strReg;
    std::string strModel;
    gboolean bNew;
    guint nStyle;
    bool operator==(const ListRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ListRow& row) {
    return os << "{" << static_cast<long>(row.iID) << ", " << row.strReg << ", " << row.strModel
              << ", " << row.bNew << ", " << row.nStyle << "}";
}

std::vector<ListRow> listRows() {
    std::vector<ListRow> rows;
    GtkTreeModel* pmod = amodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        EXPECT_FALSE(gtk_tree_model_iter_has_child(pmod, &iter)) << "the list is flat";
        ListRow row{};
        gchar *pszReg = nullptr, *pszModel = nullptr;
        gtk_tree_model_get(pmod, &iter, AC_ID_COL, &row.iID, AC_REG_COL, &pszReg, AC_MODEL_COL,
                           &pszModel, AC_NEW_FLAG_COL, &row.bNew, AC_STYLE_COL, &row.nStyle, -1);
        row.strReg = pszReg ? pszReg : "(unset)";
        row.strModel = pszModel ? pszModel : "(unset)";
        g_free(pszReg);
        g_free(pszModel);
        rows.push_back(row);
    }
    return rows;
}

const ListRow kNewRow{static_cast<gulong>(-1), "<new heli>", "(unset)", TRUE, PANGO_STYLE_ITALIC};

gulong selectedID() {
    GtkTreeIter* piter = amodGetSelection();
    if (!piter)
        return 0;
    gulong iID = 0;
    gtk_tree_model_get(amodGetModel(), piter, AC_ID_COL, &iID, -1);
    return iID;
}

TEST_F(ACModel, EmptyLogHoldsOnlyThePlaceholder) {
    ASSERT_TRUE(amodLoadModel(static_cast<gulong>(-1)));
    EXPECT_EQ(listRows(), std::vector<ListRow>{kNewRow});
    EXPECT_EQ(amodGetSelection(), nullptr);
}

TEST_F(ACModel, SortedIgnoringCaseDeletedLeftOutPlaceholderLast) {
    guint iABD = addAircraft("ZK-ABD", "Exec 90");
    guint iABC = addAircraft("zk-abc", "Exec");
    addAircraft("ZK-OLD", "Gone", TRUE);
    guint iAAA = addAircraft("aa-1", "Elete");

    const struct {
        gulong iLoad;
        gulong iSelected; // 0: none
    } loads[] = {{iABC, iABC}, {iAAA, iAAA}, {9999, 0}, {static_cast<gulong>(-1), 0}};
    for (const auto& load : loads) {
        SCOPED_TRACE(load.iLoad);
        ASSERT_TRUE(amodLoadModel(load.iLoad));
        EXPECT_EQ(listRows(), (std::vector<ListRow>{
                                  {iAAA, "aa-1", "Elete", FALSE, PANGO_STYLE_NORMAL},
                                  {iABC, "zk-abc", "Exec", FALSE, PANGO_STYLE_NORMAL},
                                  {iABD, "ZK-ABD", "Exec 90", FALSE, PANGO_STYLE_NORMAL},
                                  kNewRow,
                              }));
        EXPECT_EQ(selectedID(), load.iSelected);
    }
}

TEST(ACReg, NormalisedForComparison) {
    const struct {
        const char* pszIn;
        guint nlDest;
        const char* pszOut;
    } cases[] = {
        {"zk-hbc", 40, "ZKHBC"},
        {"ZK HBC!", 40, "ZKHBC"},
        {"<new heli>", 40, "NEWHELI"},
        {"zk-ÄBC", 40, "ZKBC"}, // non-ASCII letters dropped
        {"n12345", 4, "N12"},
        {"", 40, ""},
        {"--", 40, ""},
    };
    for (const auto& c : cases) {
        char szOut[40];
        memset(szOut, 'x', sizeof szOut);
        acdParseACReg(szOut, c.pszIn, c.nlDest);
        EXPECT_STREQ(szOut, c.pszOut) << c.pszIn;
    }
}

TEST_F(ACModel, RegistrationRefusedWhenItMatchesAfterNormalising) {
    guint iHBC = addAircraft("ZKHBC");
    ASSERT_TRUE(amodLoadModel(iHBC));
    // Editing the placeholder: no stored aircraft active.
    ASSERT_FALSE(acdLoadActiveAC(SQL_NEW_ID));
    ASSERT_EQ(acdGetActiveAC()->iACID, SQL_NEW_ID);

    for (const char* pszRefused : {"zk-hbc", "Zk.Hbc", " ZK HBC ", "new heli", "<NEW-HELI>"}) {
        EXPECT_TRUE(acdRegSave(pszRefused)) << pszRefused;
        EXPECT_EQ(acdGetActiveAC()->iACID, SQL_NEW_ID) << pszRefused << " stored nothing";
    }
    EXPECT_FALSE(acdRegSave("")) << "an empty text is nothing to do";
    EXPECT_EQ(avt::query(m_dirs.etcFile("avLedger.db"), "SELECT COUNT(*) FROM Aircraft")[0][0],
              "1");

    // A new registration is inserted as typed and the list re-sorted.
    EXPECT_FALSE(acdRegSave("zkhbd"));
    guint iHBD = acdGetActiveAC()->iACID;
    ASSERT_NE(iHBD, SQL_NEW_ID);
    EXPECT_EQ(selectedID(), iHBD) << "the list knows the new aircraft's row";
    auto rows = listRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].strReg, "ZKHBC");
    EXPECT_EQ(rows[1].strReg, "zkhbd");
    EXPECT_EQ(
        avt::query(m_dirs.etcFile("avLedger.db"),
                   "SELECT strReg FROM Aircraft WHERE iAircraftID = " + std::to_string(iHBD))[0][0],
        "zkhbd");

    // Its own registration in other case or punctuation is refused too;
    // the same text byte for byte is no change.
    EXPECT_TRUE(acdRegSave("ZK-HBD"));
    EXPECT_FALSE(acdRegSave("zkhbd"));
    EXPECT_FALSE(acdRegSave("ZK-HBE")) << "a real change of the registration";
    EXPECT_EQ(acdGetActiveAC()->iACID, iHBD) << "updated, not inserted";
    EXPECT_EQ(avt::query(m_dirs.etcFile("avLedger.db"),
                         "SELECT strReg FROM Aircraft ORDER BY iAircraftID"),
              (std::vector<avt::Row>{{"ZKHBC"}, {"ZK-HBE"}}));
}

TEST_F(ACModel, ActivatingAStoredAircraftWithoutThePage) {
    rcdAC rcd;
    memset(&rcd, 0, sizeof rcd);
    rcd.iACID = SQL_NEW_ID;
    g_strlcpy(rcd.szReg, "ZK-ACT", sizeof rcd.szReg);
    rcd.iEngineOpt = 3;
    rcd.iHeliOpt = 0;
    rcd.iTailRotorOpt = 100;
    rcd.nLogHours = 250;
    ASSERT_TRUE(sqlUpdateAircraftRecord(&rcd));

    ASSERT_TRUE(acdLoadActiveAC(rcd.iACID));
    const rcdAC* pActive = acdGetActiveAC();
    EXPECT_STREQ(pActive->szReg, "ZK-ACT");
    EXPECT_EQ(pActive->iEngineOpt, 3);
    EXPECT_EQ(pActive->iTailRotorOpt, 100);
    EXPECT_EQ(pActive->nLogHours, 250u);
    EXPECT_FALSE(pActive->bDirty);
    EXPECT_EQ(fmodAFHoursTotal(), 250u) << "the flight log model belongs to it";

    EXPECT_FALSE(acdLoadActiveAC(rcd.iACID + 100)) << "no such aircraft";
    EXPECT_EQ(acdGetActiveAC()->iACID, SQL_NEW_ID);
    EXPECT_EQ(fmodAFHoursTotal(), 0u);
}

} // namespace
