// The shared pilot list on a real log database: order, names, next-date
// texts, due flags, the "<new pilot>" row and finding rows by ID.
#include "avError.h"
#include "harness.h"
#include "modPilot.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using avt::utc;

// Each list row as "name|reading name|next medical|next review|due flags".
std::vector<std::string> listRows() {
    std::vector<std::string> rows;
    GtkTreeModel* pmod = pmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gchar *pszName, *pszRName, *pszMed, *pszFR;
        gboolean bMedDue, bFRDue;
        gtk_tree_model_get(pmod, &iter, PILOT_NAME_COL, &pszName, PILOT_RNAME_COL, &pszRName,
                           PILOT_MED_NEXT_COL, &pszMed, PILOT_FR_NEXT_COL, &pszFR,
                           PILOT_MED_DUE_COL, &bMedDue, PILOT_FR_DUE_COL, &bFRDue, -1);
        gchar* psz =
            g_strdup_printf("%s|%s|%s|%s|%d%d", pszName, pszRName, pszMed, pszFR, bMedDue, bFRDue);
        rows.emplace_back(psz);
        for (gchar* p : {psz, pszName, pszRName, pszMed, pszFR})
            g_free(p);
    }
    return rows;
}

TEST(PilotModel, PilotsInKeyOrderWithNamesNextDatesAndDueFlagsThenTheNewRow) {
    avt::TempDirs dirs;
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    ASSERT_TRUE(pmodInitialize());
    EXPECT_EQ(listRows(), std::vector<std::string>{"<new pilot>||(null)|(null)|00"});
    ASSERT_NE(pmodFindPilotID(0xFFFFFFFF), nullptr);
    EXPECT_EQ(pmodGetPilotID(pmodFindPilotID(0xFFFFFFFF)), PILOT_ID_NEW);

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
                              "<new pilot>||(null)|(null)|00",
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
    static std::vector<std::string> s_lstReported;
    static int s_nAnswer;
    dlgReporter pfnOld =
        dlgSetReporter([](const gchar*, const gchar* pszFunction, const gchar* pszLocus) {
            s_lstReported.push_back(std::string(pszLocus) + "::" + pszFunction);
            return s_nAnswer;
        });
    for (int nAnswer : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
        s_nAnswer = nAnswer;
        EXPECT_EQ(pmodLoadModel(), nAnswer == GTK_RESPONSE_OK);
        EXPECT_EQ(listRows().size(), nAnswer == GTK_RESPONSE_OK ? 1u : 0u);
    }
    dlgSetReporter(pfnOld);
    EXPECT_EQ(s_lstReported,
              (std::vector<std::string>{"modPilot::pmodLoadModel()", "modPilot::pmodLoadModel()"}));
}

} // namespace
