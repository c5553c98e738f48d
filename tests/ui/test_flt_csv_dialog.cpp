// Flight import through the real menus and preview dialog: what the user
// sees before agreeing, what reaches the file, and what the pages show.
#include "harness.h"

#include "fltImportDlg.h"
#include "modComp.h"

#include <functional>

namespace {

using avt::utc;

// Aircraft 1 (150.0 h at the start of its log) is active, with one flight
// of 1.0 h on 1-May-2010 10:00; one pilot; one card, inspected every two
// hours, last on 1-May-2010 before that flight (at 150.0 h), no look-ahead.
class FltCSVDialog : public avt::AppTest {
  protected:
    void prepareData() override {
        avt::exec(db(), R"(
            CREATE TABLE Aircraft (iAircraftID INTEGER PRIMARY KEY, strReg, nLogHours, bDelete);
            INSERT INTO Aircraft VALUES (1, 'ZK-HBC', 1500, 0);
            CREATE TABLE Pilot (iPilotID INTEGER PRIMARY KEY, strLName, strFName, strSortKey,
                                bDelete);
            INSERT INTO Pilot VALUES (1, 'Smith', 'Anne', 'SMITHANNE', 0);
            CREATE TABLE Flight (iFltID INTEGER PRIMARY KEY, iCSID, tFltBegin, tFltEnd, nElapsed,
                                 strTo, bDelete);
            INSERT INTO Flight VALUES (1, 1, strftime('%s', '2010-05-01 10:00'),
                                       strftime('%s', '2010-05-01 11:00'), 10, 'Taupo', 0);)");
        avt::writeFile(m_dirs->etcFile("avLedger.conf"), "[Aircraft]\nACID=1\n");
    }
    void started() override {
        avt::exec(m_dirs->etcFile("avCCD.db"),
                  "INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartDesc, nInspect, "
                  "bDelete) VALUES (1, 1, 1, 'Two-hourly', 2, 0)");
        avt::exec(db(), "INSERT INTO Maintenance (iCompID, iACID, bFlags, tCompleted, bDelete) "
                        "VALUES (1, 1, 0, strftime('%s', '2010-05-01'), 0)");
        cmodSetMarkTime(0, 0);
        ASSERT_TRUE(cmodLoadModel(0xFFFFFFFFu));
    }
    // The colour of the card's due state in the component tree.
    std::string dueColour() const {
        GtkTreeIter iter;
        EXPECT_TRUE(cmodFindCompID(1, &iter));
        g_autofree gchar* pszColour = nullptr;
        gtk_tree_model_get(cmodGetModel(), &iter, CCD_COLOUR_COL, &pszColour, -1);
        return pszColour ? pszColour : "";
    }
    avt::fs::path db() const { return m_dirs->etcFile("avLedger.db"); }
    std::string sql(const std::string& strQuery) const { return avt::value(db(), strQuery); }
    std::string file(const std::string& strText, const char* pszName = "flights.csv") const {
        std::string strPath = m_dirs->etcFile(pszName);
        avt::writeFile(strPath, strText);
        return strPath;
    }
    // Flights in the newest backup copy of the log.
    std::string flightsInBackup() const {
        std::string strNewest;
        for (const auto& entry : avt::fs::directory_iterator(m_dirs->etc() / "backup"))
            if (entry.path().filename().string().starts_with("avLedger-"))
                strNewest = std::max(strNewest, entry.path().string());
        return strNewest.empty()
                   ? "<no copy>"
                   : avt::query(strNewest, "SELECT COUNT(*) FROM Flight")[0][0].value_or("");
    }
    std::string text(const char* pszLabel) const {
        return gtk_label_get_text(GTK_LABEL(widget(pszLabel)));
    }
    // "line: reason" of every refused row the preview lists.
    std::vector<std::string> refusedShown() const {
        std::vector<std::string> lst;
        GtkTreeModel* pmod = gtk_tree_view_get_model(GTK_TREE_VIEW(widget("ImportRefused")));
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
             b = gtk_tree_model_iter_next(pmod, &iter)) {
            guint nLine = 0;
            g_autofree gchar* pszWhy = nullptr;
            gtk_tree_model_get(pmod, &iter, 0, &nLine, 1, &pszWhy, -1);
            lst.push_back(std::to_string(nLine) + ": " + pszWhy);
        }
        return lst;
    }
    // The combo box that says what column i of the file holds.
    GtkComboBox* columnChoice(guint i) const {
        GList* pChildren = gtk_container_get_children(GTK_CONTAINER(widget("ImportColumns")));
        GtkComboBox* pFound = nullptr;
        for (GList* p = pChildren; p; p = p->next) {
            guint nLeft = 0, nTop = 0;
            gtk_container_child_get(GTK_CONTAINER(widget("ImportColumns")), GTK_WIDGET(p->data),
                                    "left-attach", &nLeft, "top-attach", &nTop, nullptr);
            if (nLeft == i && nTop == 1)
                pFound = GTK_COMBO_BOX(p->data);
        }
        g_list_free(pChildren);
        return pFound;
    }

    // Imports a file; once the preview shows, fnLook runs in it and the
    // preview is answered with nResponse.
    gboolean importFile(const std::string& strPath, std::function<void()> fnLook, int nResponse) {
        struct Answer {
            std::function<void()> fnLook;
            int nResponse;
            GtkWidget* pwgtPreview;
            bool bSeen = false;
        } answer{std::move(fnLook), nResponse, widget("ImportDialog")};
        auto look = [](gpointer pData) -> gboolean {
            auto* pAnswer = static_cast<Answer*>(pData);
            if (!gtk_widget_get_visible(pAnswer->pwgtPreview))
                return TRUE;
            pAnswer->bSeen = true;
            pAnswer->fnLook();
            gtk_dialog_response(GTK_DIALOG(pAnswer->pwgtPreview), pAnswer->nResponse);
            return FALSE;
        };
        guint idSource = g_timeout_add(20, look, &answer);
        gboolean bStored = fcsvImportFile(strPath.c_str());
        if (!answer.bSeen)
            g_source_remove(idSource);
        avt::drainEvents();
        return bStored;
    }
};

TEST_F(FltCSVDialog, PreviewThenImportAndEveryViewFollows) {
    switchPage(2);
    std::string strPath = file("Date;Take-off;Landing;Total;To;PIC\n"
                               "1-May-2010;10:00;11:00;1.0;Taupo;\n"
                               "2-May-2010;09:00;09:30;;Napier;Anne Smith\n"
                               "3-May-2010;09:00;;1:30;Gisborne;Bob Brown\n"
                               "4-May-2010;09:00;08:00;1.0;Nowhere;\n");
    std::string strCount;
    std::vector<std::string> lstRefused;
    EXPECT_TRUE(importFile(
        strPath,
        [&] {
            strCount = text("ImportCount");
            lstRefused = refusedShown();
            EXPECT_TRUE(gtk_widget_get_visible(widget("ImportAddPilots")));
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("ImportAddPilots")), TRUE);
        },
        GTK_RESPONSE_OK));
    EXPECT_EQ(strCount, "2 flights to import, 2 rows refused (listed below).\n"
                        "Not in the pilot list: Bob Brown");
    EXPECT_EQ(lstRefused, (std::vector<std::string>{
                              "2: a flight of this aircraft is already logged at this start",
                              "5: landing before take-off"}));
    EXPECT_EQ(sql("SELECT GROUP_CONCAT(strTo || '/' || nElapsed || '/' || IFNULL(p.strLName, ''), "
                  "' ') FROM "
                  "Flight f LEFT JOIN Pilot p USING (iPilotID) ORDER BY tFltBegin"),
              "Taupo/10/ Napier/5/Smith Gisborne/15/Brown");
    EXPECT_EQ(flightsInBackup(), "1") << "a copy of the log as it was before";
    // The tree, the banner and the status bar show the new flights at once.
    EXPECT_EQ(avt::bannerText().substr(0, 24), "ZK-HBC  (153.0 A/F HRS)\n");
    GList* pStatus = gtk_container_get_children(
        GTK_CONTAINER(gtk_statusbar_get_message_area(GTK_STATUSBAR(widget("MainStatus")))));
    const std::string strStatus = gtk_label_get_text(GTK_LABEL(pStatus->data));
    g_list_free(pStatus);
    EXPECT_EQ(strStatus.substr(0, 57), "2 flights imported; the log before the import is kept in ");
}

// Nothing reaches the file unless the user agrees to a file that can be
// read and all of it is stored; a failure says why (never naming an older
// copy of the log), and the pilot added first is taken back too.
TEST_F(FltCSVDialog, NothingIsStoredUnlessAgreedReadAndStoredWhole) {
    const std::string strFile = "Date,Time,To,Pilot\n7-May-2010,1.2,Taupo,New Pilot\n"
                                "8-May-2010,0.8,Fail,\n9-May-2010,0.8,Napier,\n";
    const struct {
        std::string strText;
        const char* pszName;
        int nResponse; // the preview's answer; 0: it never shows
        const char *pszDialog, *pszWhy; // the error dialog; "" for none
    } cases[] = {
        {strFile, "Fl\xFCge.csv", GTK_RESPONSE_CANCEL, "", ""}, // a Latin-1 name
        {"Date,Notes\n9-May-2010,\"open\n" + std::string(9999, 'x'), "open.csv", 0,
         "No flights were imported",
         "A quoted text that begins on line 2 never ends, so the rows after it cannot be told "
         "apart."},
        {strFile, "full.csv", GTK_RESPONSE_OK, "*** Error ***", "disk is full"},
        {strFile, "nocopy.csv", GTK_RESPONSE_OK, "No flights were imported",
         "No copy of the log as it is now could be made"},
    };
    avt::exec(db(), "CREATE TRIGGER NoRoom BEFORE INSERT ON Flight WHEN NEW.strTo = 'Fail' BEGIN "
                    "SELECT RAISE(ABORT, 'database or disk is full'); END;");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        if (c.pszName == std::string("nocopy.csv")) {
            const avt::fs::path pathTmp = m_dirs->etc() / "backup" / "avLedger.tmp";
            avt::fs::create_directories(pathTmp);
            avt::writeFile(pathTmp / "in the way", "x");
        }
        avt::clearDialogsSeen();
        if (*c.pszDialog && !c.nResponse)
            avt::answerNextDialog(GTK_RESPONSE_OK);
        EXPECT_FALSE(importFile(
            file(c.strText, c.pszName),
            [&] {
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("ImportAddPilots")), TRUE);
                if (*c.pszDialog)
                    avt::answerNextDialog(GTK_RESPONSE_OK);
            },
            c.nResponse));
        ASSERT_EQ(avt::dialogsSeen().size(), *c.pszDialog ? 1u : 0u);
        if (*c.pszDialog) {
            EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strText, c.pszDialog));
            EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText, c.pszWhy));
        }
        EXPECT_EQ(sql("SELECT COUNT(*) || '/' || (SELECT COUNT(*) FROM Pilot) FROM Flight"), "1/1");
        EXPECT_EQ(avt::bannerText().substr(0, 24), "ZK-HBC  (151.0 A/F HRS)\n");
    }
}

// What the file leaves open is asked in the preview, and nothing can be
// imported until it is answered: where its table starts and which column
// holds the date, which registration is this aircraft, how its dates are
// written. The component tree's due marks follow the import at once.
TEST_F(FltCSVDialog, QuestionsOfTheFileAnsweredInThePreview) {
    const struct {
        const char* pszText;
        std::function<void()> fnAnswer;
        const char* pszBefore;
        const char* pszAfter;
        const char* pszStored; // dates and destinations of the new flights
    } cases[] = {
        {"Flights of A. Smith\nWhen,Hours,Where\n7-May-2010,1.2,Taupo\n",
         [this] {
             gtk_spin_button_set_value(GTK_SPIN_BUTTON(widget("ImportHeaderLine")), 2);
             gtk_combo_box_set_active(columnChoice(0), FCSV_COL_DATE);
             gtk_combo_box_set_active(columnChoice(2), FCSV_COL_TO);
         },
         "No column is taken as the date: choose it above its column.",
         "1 flight to import, 0 rows refused (listed below).", "2010-05-07 Taupo"},
        {"Date,Aircraft ID,Time,To\n7-May-2010,ZK-ABC,1.2,Taupo\n8-May-2010,N123,1.0,Napier\n",
         [this] { gtk_combo_box_set_active(GTK_COMBO_BOX(widget("ImportReg")), 0); },
         "No row of the file is for ZK-HBC: choose which registration in the file is this "
         "aircraft.",
         "1 flight to import, 0 rows refused (listed below).\n1 row of other aircraft is left "
         "out.",
         "2010-05-07 Taupo"},
        {"Date,Time,To\n5/2/2010,1.2,Taupo\n",
         [this] { gtk_combo_box_set_active(GTK_COMBO_BOX(widget("ImportDates")), 1); },
         "The dates can be read day before month (05-Feb-2010) or month before day "
         "(02-May-2010): choose how they are written.",
         "1 flight to import, 0 rows refused (listed below).", "2010-05-02 Taupo"},
    };
    EXPECT_EQ(dueColour(), "black");
    for (const auto& c : cases) {
        std::string strBefore, strAfter;
        EXPECT_TRUE(importFile(
            file(c.pszText),
            [&] {
                strBefore = text("ImportCount");
                EXPECT_FALSE(gtk_widget_is_sensitive(widget("ImportOK")));
                c.fnAnswer();
                strAfter = text("ImportCount");
                EXPECT_TRUE(gtk_widget_is_sensitive(widget("ImportOK")));
            },
            GTK_RESPONSE_OK));
        EXPECT_EQ(strBefore, c.pszBefore);
        EXPECT_EQ(strAfter, c.pszAfter);
        EXPECT_EQ(sql("SELECT GROUP_CONCAT(date(tFltBegin, 'unixepoch') || ' ' || strTo, ', ') "
                      "FROM Flight WHERE iFltID > 1"),
                  c.pszStored);
        EXPECT_EQ(dueColour(), "red") << "inspection overdue at 152.2 h";
        avt::exec(db(), "DELETE FROM Flight WHERE iFltID > 1");
    }
}

// The menu items reach the import and export; with no aircraft they say
// why nothing can be done. (A file chooser is not opened here: it would
// write to the desktop's list of recent files.)
class FltCSVNoAircraft : public avt::AppTest {};

TEST_F(FltCSVNoAircraft, MenusAskForAnAircraftFirst) {
    for (const char* pszItem : {"MenuFileImportFlights", "MenuFileExportFlights"}) {
        avt::clearDialogsSeen();
        avt::answerNextDialog(GTK_RESPONSE_OK);
        gtk_menu_item_activate(GTK_MENU_ITEM(widget(pszItem)));
        avt::drainEvents();
        ASSERT_EQ(avt::dialogsSeen().size(), 1u) << pszItem;
        EXPECT_EQ(avt::dialogsSeen()[0].strSecondaryText,
                  "Choose the aircraft on the aircraft page first: flights belong to the active "
                  "aircraft.");
    }
}

} // namespace
