// The flight log page driven through the real UI file: entering, editing
// and deleting flights, read back from the log database.
#include "harness.h"

#include "modFLog.h"
#include "modPilot.h"

#include <gdk/gdkkeysyms.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <ctime>
#include <string>

namespace {

using avt::fs::path;

time_t utc(int nYear, int nMonth, int nDay, int nHour = 0, int nMin = 0) {
    struct tm tmAt {};
    tmAt.tm_year = nYear - 1900;
    tmAt.tm_mon = nMonth - 1;
    tmAt.tm_mday = nDay;
    tmAt.tm_hour = nHour;
    tmAt.tm_min = nMin;
    return timegm(&tmAt);
}

std::string num(long long n) {
    return std::to_string(n);
}

std::string hoursText(guint nTenths) {
    return num(nTenths / 10) + "." + num(nTenths % 10);
}

const std::string kSchema =
    "CREATE TABLE Aircraft (iAircraftID INTEGER PRIMARY KEY, tCreate INTEGER, tAlter INTEGER, "
    "strReg TEXT, strModel TEXT, strSerial TEXT, strBuilder TEXT, strOwner TEXT, tManu INTEGER, "
    "iOptHeli INTEGER, iOptEngine INTEGER, iOptClutch INTEGER, iOptMRDrive INTEGER, iOptMRotor "
    "INTEGER, iOptMRSystem INTEGER, iOptTRSlider INTEGER, iOptTRDrive INTEGER, iOptTR INTEGER, "
    "bLogSinceNew BOOLEAN, tLogStart INTEGER, nLogHours INTEGER, bModFlags INTEGER, bOptFlags "
    "INTEGER, strNotes TEXT, bDelete INTEGER);"
    "CREATE TABLE Pilot (iPilotID INTEGER PRIMARY KEY, tCreateTime INTEGER, tAlterTime INTEGER, "
    "strLName TEXT, strFName TEXT, strSortKey TEXT, tLastMed INTEGER, tNextMed INTEGER, "
    "nMedInterval INTEGER, bMedAuto BOOLEAN, bMedMonthEnd BOOLEAN, tLastFR INTEGER, tNextFR "
    "INTEGER, nFRInterval INTEGER, bFRAuto BOOLEAN, bFRMonthEnd BOOLEAN, strNotes TEXT, bDelete "
    "BOOLEAN);"
    "CREATE TABLE Flight (iFltID INTEGER PRIMARY KEY, iCSID INTEGER, iPilotID INTEGER, "
    "iStudentID INTEGER, tFltBegin INTEGER, tFltEnd INTEGER, tEngStart INTEGER, tEngStop "
    "INTEGER, nElapsed INTEGER, nFltType INTEGER, nPosnMode INTEGER, nFromLat DOUBLE, nFromLong "
    "DOUBLE, nToLat DOUBLE, nToLong DOUBLE, strFrom TEXT, strTo TEXT, strPaxList TEXT, strNotes "
    "TEXT, bDelete BOOLEAN);"
    // Airframe hours before the log: 150.0.
    "INSERT INTO Aircraft (iAircraftID, strReg, strModel, bLogSinceNew, nLogHours, iOptHeli, "
    "bDelete) VALUES (1, 'ZK-HBC', 'Exec 162F', 0, 1500, 0, 0);"
    "INSERT INTO Pilot (iPilotID, strLName, strFName, strSortKey, bDelete) VALUES "
    "(1, 'Smith', 'Anne', 'SMITHANNE', 0), (2, 'Brown', 'Bob', 'BROWNBOB', 0);";

// Counts every write to a flight from now on, so a test can tell that
// nothing was written.
const std::string kCountWrites = "CREATE TABLE FlightWrites (iFltID INTEGER);"
                                 "CREATE TRIGGER FlightUpdated AFTER UPDATE ON Flight BEGIN "
                                 "INSERT INTO FlightWrites VALUES (NEW.iFltID); END;"
                                 "CREATE TRIGGER FlightInserted AFTER INSERT ON Flight BEGIN "
                                 "INSERT INTO FlightWrites VALUES (NEW.iFltID); END;";

constexpr guint kBaseHours = 1500;

// A flight row for the prepared database.
std::string flightSQL(int iID, time_t tBegin, time_t tEnd, guint nElapsed, guint nType = 0,
                      int iPilot = 0, int iStudent = 0, const char* pszTo = "") {
    return "INSERT INTO Flight (iFltID, iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, "
           "nElapsed, nFltType, strFrom, strTo, strPaxList, strNotes, bDelete) VALUES (" +
           num(iID) + ", 1, " + num(iPilot) + ", " + num(iStudent) + ", " + num(tBegin) + ", " +
           num(tEnd) + ", " + num(nElapsed) + ", " + num(nType) + ", 'Home', '" + pszTo +
           "', '', '', 0);";
}

class FlightPage : public avt::AppTest {
  protected:
    void prepareData() override {
        avt::exec(db(), kSchema + flights() + kCountWrites);
        avt::writeFile(m_dirs->etcFile("avLedger.conf"), settings());
    }
    virtual std::string flights() const { return ""; }
    virtual std::string settings() const {
        return "[Aircraft]\nACID=1\n\n[FlightLog]\nLastDate=" + num(utc(2010, 4, 19)) + "\n";
    }
    void SetUp() override {
        AppTest::SetUp();
        if (!HasFatalFailure())
            switchPage(2);
    }

    path db() const { return m_dirs->etcFile("avLedger.db"); }

    GtkTreeView* tree() const { return GTK_TREE_VIEW(widget("FLogTreeView")); }
    GtkTreeModel* model() const { return gtk_tree_view_get_model(tree()); }

    // Depth-first search for the row with the given type (and flight ID).
    bool findRow(GtkTreeIter* piterFound, guint nRowType, gulong iFLogID,
                 GtkTreeIter* piterParent = nullptr) const {
        GtkTreeIter iter;
        for (bool b = gtk_tree_model_iter_children(model(), &iter, piterParent); b;
             b = gtk_tree_model_iter_next(model(), &iter)) {
            guint nType = 99;
            gulong iID = 0;
            gtk_tree_model_get(model(), &iter, FLOG_ROW_TYPE, &nType, FLOG_SQLID, &iID, -1);
            if (nType == nRowType && (nRowType != FLOG_ROW_DATA || iID == iFLogID)) {
                *piterFound = iter;
                return true;
            }
            if (findRow(piterFound, nRowType, iFLogID, &iter))
                return true;
        }
        return false;
    }

    void selectRow(GtkTreeIter* piter) {
        GtkTreePath* pPath = gtk_tree_model_get_path(model(), piter);
        gtk_tree_view_expand_to_path(tree(), pPath);
        gtk_tree_path_free(pPath);
        gtk_tree_selection_select_iter(gtk_tree_view_get_selection(tree()), piter);
        avt::drainEvents();
    }
    void selectFlight(gulong iFLogID) {
        GtkTreeIter iter;
        ASSERT_TRUE(findRow(&iter, FLOG_ROW_DATA, iFLogID)) << "no row for flight " << iFLogID;
        selectRow(&iter);
    }
    void selectNewFlight() {
        GtkTreeIter iter;
        ASSERT_TRUE(findRow(&iter, FLOG_ROW_NEW, 0));
        selectRow(&iter);
    }
    // ID of the selected flight row, or -1 when the selection is no flight.
    long selectedFlight() const {
        GtkTreeIter iter;
        GtkTreeModel* pModel = nullptr;
        if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(tree()), &pModel, &iter))
            return -1;
        guint nType = 99;
        gulong iID = 0;
        gtk_tree_model_get(pModel, &iter, FLOG_ROW_TYPE, &nType, FLOG_SQLID, &iID, -1);
        return nType == FLOG_ROW_DATA ? long(iID) : -1;
    }

    // Types into a card field the way a user does: focus in, text, focus
    // out (to the notebook, as the page protocol does).
    void enter(const char* pszID, const std::string& strText) {
        GtkWidget* pwgt = widget(pszID);
        ASSERT_TRUE(gtk_widget_is_sensitive(pwgt)) << pszID << " is not open";
        gtk_widget_grab_focus(pwgt);
        avt::drainEvents();
        ASSERT_TRUE(gtk_widget_has_focus(pwgt)) << pszID;
        gtk_entry_set_text(GTK_ENTRY(pwgt), strText.c_str());
        gtk_widget_grab_focus(widget("MainNotebook"));
        avt::drainEvents();
    }
    std::string text(const char* pszID) const {
        return gtk_entry_get_text(GTK_ENTRY(widget(pszID)));
    }
    bool open(const char* pszID) const { return gtk_widget_is_sensitive(widget(pszID)); }
    bool shown(const char* pszID) const { return gtk_widget_get_visible(widget(pszID)); }
    bool active(const char* pszID) const {
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget(pszID)));
    }
    // Clicks like the user does (emits "clicked" on the button).
    void click(const char* pszID) {
        gtk_button_clicked(GTK_BUTTON(widget(pszID)));
        avt::drainEvents();
    }

    // A key press delivered to the widget; TRUE when a handler consumed it.
    gboolean sendKey(GtkWidget* pwgt, guint nKeyVal) {
        GdkEvent* pEvent = gdk_event_new(GDK_KEY_PRESS);
        pEvent->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(pwgt)));
        pEvent->key.keyval = nKeyVal;
        pEvent->key.time = GDK_CURRENT_TIME;
        gboolean bHandled = gtk_widget_event(pwgt, pEvent);
        gdk_event_free(pEvent);
        avt::drainEvents();
        return bHandled;
    }

    // Saves what the page holds by leaving it, then comes back.
    void leaveAndReturn() {
        switchPage(3);
        switchPage(2);
    }

    // One flight as stored: tFltBegin, tFltEnd, nElapsed, nFltType,
    // iPilotID, iStudentID, strTo, bDelete.
    avt::Row stored(long iFLogID) const {
        auto rows = avt::query(db(), "SELECT tFltBegin, tFltEnd, nElapsed, nFltType, iPilotID, "
                                     "iStudentID, strTo, bDelete FROM Flight WHERE iFltID = " +
                                         num(iFLogID));
        return rows.empty() ? avt::Row{} : rows[0];
    }
    long long storedNumber(long iFLogID, int nCol) const {
        auto row = stored(iFLogID);
        return row.size() > size_t(nCol) && row[nCol] ? std::stoll(*row[nCol]) : -999;
    }
    int writesTo(long iFLogID) const {
        return int(
            avt::query(db(), "SELECT * FROM FlightWrites WHERE iFltID = " + num(iFLogID)).size());
    }

    // Airframe hours shown in the banner beside the tabs, in tenths.
    long bannerHours() const {
        GtkWidget* pwgtAction =
            gtk_notebook_get_action_widget(GTK_NOTEBOOK(widget("MainNotebook")), GTK_PACK_END);
        if (!pwgtAction)
            return -1;
        std::string strMarkup;
        GList* pChildren = GTK_IS_CONTAINER(pwgtAction)
                               ? gtk_container_get_children(GTK_CONTAINER(pwgtAction))
                               : g_list_append(nullptr, pwgtAction);
        for (GList* p = pChildren; p; p = p->next)
            if (GTK_IS_LABEL(p->data))
                strMarkup += gtk_label_get_label(GTK_LABEL(p->data));
        g_list_free(pChildren);
        auto nAt = strMarkup.find(" A/F HRS)");
        auto nOpen = strMarkup.rfind('(', nAt);
        if (nAt == std::string::npos || nOpen == std::string::npos)
            return -1;
        unsigned nWhole = 0, nTenth = 0;
        if (sscanf(strMarkup.c_str() + nOpen, "(%u.%u", &nWhole, &nTenth) != 2)
            return -1;
        return long(nWhole) * 10 + nTenth;
    }

    // Every flight row's running total must be the base plus the flight
    // times up to it; the banner, the model's total and the file agree.
    // bSaved: the page has written its edits, so the file must agree too.
    void expectHoursAgree(guint nExpected, bool bSaved = false) {
        guint nRunning = kBaseHours;
        int nRows = 0;
        std::function<void(GtkTreeIter*)> walk = [&](GtkTreeIter* piterParent) {
            GtkTreeIter iter;
            for (bool b = gtk_tree_model_iter_children(model(), &iter, piterParent); b;
                 b = gtk_tree_model_iter_next(model(), &iter)) {
                guint nType = 99, nHours = 0;
                gchar* pszAccum = nullptr;
                gtk_tree_model_get(model(), &iter, FLOG_ROW_TYPE, &nType, FLOG_HOURS, &nHours,
                                   FLOG_AF_ACCUM, &pszAccum, -1);
                if (nType == FLOG_ROW_DATA) {
                    nRunning += nHours;
                    ++nRows;
                    EXPECT_EQ(std::string(pszAccum ? pszAccum : ""), hoursText(nRunning))
                        << "running total of flight row " << nRows;
                }
                g_free(pszAccum);
                walk(&iter);
            }
        };
        walk(nullptr);
        EXPECT_EQ(nRunning, nExpected) << "flight times in the tree";
        EXPECT_EQ(fmodAFHoursTotal(), nExpected);
        EXPECT_EQ(bannerHours(), long(nExpected));
        if (!bSaved)
            return;
        auto rows = avt::query(db(), "SELECT TOTAL(nElapsed) FROM Flight WHERE iCSID = 1 AND "
                                     "(bDelete IS NULL OR bDelete = 0) AND tFltBegin > 0");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(guint(std::stod(rows[0][0].value_or("0"))) + kBaseHours, nExpected)
            << "flight times in the file";
    }

    // Texts of the start column under a header row, in order.
    std::vector<std::string> childTexts(GtkTreeIter* piterParent) const {
        std::vector<std::string> texts;
        GtkTreeIter iter;
        for (bool b = gtk_tree_model_iter_children(model(), &iter, piterParent); b;
             b = gtk_tree_model_iter_next(model(), &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(model(), &iter, FLOG_TIME_START, &psz, -1);
            texts.emplace_back(psz ? psz : "");
            g_free(psz);
        }
        return texts;
    }

    std::vector<std::string> comboNames(const char* pszID) const {
        std::vector<std::string> names;
        GtkTreeModel* pModel = gtk_combo_box_get_model(GTK_COMBO_BOX(widget(pszID)));
        GtkTreeIter iter;
        for (bool b = pModel && gtk_tree_model_get_iter_first(pModel, &iter); b;
             b = gtk_tree_model_iter_next(pModel, &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(pModel, &iter, PILOT_RNAME_COL, &psz, -1);
            names.emplace_back(psz ? psz : "");
            g_free(psz);
        }
        return names;
    }
    std::string comboActive(const char* pszID) const {
        GtkTreeIter iter;
        GtkComboBox* pCombo = GTK_COMBO_BOX(widget(pszID));
        if (!gtk_combo_box_get_active_iter(pCombo, &iter))
            return "<none>";
        gchar* psz = nullptr;
        gtk_tree_model_get(gtk_combo_box_get_model(pCombo), &iter, PILOT_RNAME_COL, &psz, -1);
        std::string str = psz ? psz : "";
        g_free(psz);
        return str;
    }
};

// ---- New flights ----

TEST_F(FlightPage, NewFlightStartsAtRememberedDateWithOnlyTheDateOpen) {
    EXPECT_FALSE(open("FLogCardDate")) << "nothing selected yet";
    selectNewFlight();
    EXPECT_EQ(text("FLogCardDate"), "19-Apr-2010");
    EXPECT_EQ(text("FLogCardTimeOff"), "") << "the remembered date is at 00:00";
    EXPECT_TRUE(open("FLogCardDate"));
    for (const char* pszID : {"FLogCardTimeOff", "FLogCardTimeOn", "FLogCardElapsed", "FLogCardTo",
                              "FLogPilot", "FLogDay", "FLogNotes"})
        EXPECT_FALSE(open(pszID)) << pszID;
    EXPECT_TRUE(avt::query(db(), "SELECT * FROM Flight").empty()) << "stored only with a date";
}

TEST_F(FlightPage, TypedDateStoresFlightUnderItsYearAndMonthSelected) {
    selectNewFlight();
    enter("FLogCardDate", "20 May 2011");

    auto rows = avt::query(db(), "SELECT iFltID, iCSID, tFltBegin, bDelete FROM Flight");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "1") << "filed to the active aircraft";
    EXPECT_EQ(rows[0][2], num(utc(2011, 5, 20)));
    long iFLogID = std::stol(*rows[0][0]);

    EXPECT_EQ(selectedFlight(), iFLogID);
    GtkTreeIter iterYear, iterMonth;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(model(), &iterYear));
    EXPECT_EQ(childTexts(nullptr), (std::vector<std::string>{"2011", "<new flight>"}));
    EXPECT_EQ(childTexts(&iterYear), (std::vector<std::string>{"May-2011"}));
    ASSERT_TRUE(gtk_tree_model_iter_children(model(), &iterMonth, &iterYear));
    EXPECT_EQ(childTexts(&iterMonth), (std::vector<std::string>{"20-May 00:00"}));
    EXPECT_EQ(text("FLogCardDate"), "20-May-2011");
    EXPECT_TRUE(open("FLogCardTimeOff")) << "the card opens once the flight is stored";
    expectHoursAgree(kBaseHours, true);
}

TEST_F(FlightPage, DownOrReturnInTheDateOpensTheRestOfTheCard) {
    struct Case {
        guint nKey;
        const char* pszTyped; // nullptr: the offered date is taken as it is
    };
    for (const Case& c :
         {Case{GDK_Down, "3/6/2010"}, Case{GDK_Return, "4/6/2010"}, Case{GDK_Down, nullptr}}) {
        SCOPED_TRACE(c.pszTyped ? c.pszTyped : "offered date");
        selectNewFlight();
        GtkWidget* pwgtDate = widget("FLogCardDate");
        gtk_widget_grab_focus(pwgtDate);
        if (c.pszTyped)
            gtk_entry_set_text(GTK_ENTRY(pwgtDate), c.pszTyped);
        avt::drainEvents();
        EXPECT_TRUE(sendKey(pwgtDate, c.nKey));
        EXPECT_TRUE(gtk_widget_has_focus(widget("FLogCardTimeOff")));
        for (const char* pszID : {"FLogCardTimeOff", "FLogCardTimeOn", "FLogCardElapsed",
                                  "FLogPilot", "FLogSolo", "FLogNotes"})
            EXPECT_TRUE(open(pszID)) << pszID;
        EXPECT_GT(selectedFlight(), 0) << "stored and selected";
    }
    EXPECT_EQ(avt::query(db(), "SELECT tFltBegin FROM Flight ORDER BY tFltBegin"),
              (std::vector<avt::Row>{
                  {num(utc(2010, 4, 19))}, {num(utc(2010, 6, 3))}, {num(utc(2010, 6, 4))}}));
}

TEST_F(FlightPage, UnreadableDateIsShownBackSelectedAndNothingStored) {
    struct Case {
        const char* pszTyped;
        const char* pszShown;
    };
    const Case cases[] = {
        {"yesterday", "?? yesterday ??"},
        {"19/04/10", "?? 19/04/10 ??"},     // no year: before 1970
        {"1-Jan-1970", "?? 1-Jan-1970 ??"}, // 0 means no date
        {"31 December 1969", "?? 31 December 1969 ??"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTyped);
        selectNewFlight();
        enter("FLogCardDate", c.pszTyped);
        EXPECT_EQ(text("FLogCardDate"), c.pszShown);
        gint nStart = -1, nEnd = -1;
        EXPECT_TRUE(gtk_editable_get_selection_bounds(GTK_EDITABLE(widget("FLogCardDate")), &nStart,
                                                      &nEnd));
        EXPECT_EQ(nStart, 0);
        EXPECT_EQ(nEnd, gint(g_utf8_strlen(c.pszShown, -1)));
        enter("FLogCardDate", text("FLogCardDate"));
        EXPECT_EQ(text("FLogCardDate"), c.pszShown) << "left again unchanged";
        EXPECT_TRUE(avt::query(db(), "SELECT * FROM Flight").empty());
    }
    // Long texts are cut to 50 bytes inside the marks, never inside a character.
    selectNewFlight();
    std::string strUtf8 = std::string(49, 'a') + "\xC3\xA9" + "zz";
    enter("FLogCardDate", strUtf8);
    EXPECT_EQ(text("FLogCardDate"), "?? " + std::string(49, 'a') + " ??");
}

class FlightPageNoLastDate : public FlightPage {
    std::string settings() const override { return "[Aircraft]\nACID=1\n"; }
};

TEST_F(FlightPageNoLastDate, NewFlightStartsToday) {
    time_t tBefore = time(nullptr);
    selectNewFlight();
    time_t tAfter = time(nullptr);
    char szBefore[20], szAfter[20];
    strftime(szBefore, sizeof szBefore, "%d-%b-%Y", gmtime(&tBefore));
    strftime(szAfter, sizeof szAfter, "%d-%b-%Y", gmtime(&tAfter));
    // Around midnight the day may turn between the two readings.
    EXPECT_TRUE(text("FLogCardDate") == szBefore || text("FLogCardDate") == szAfter)
        << text("FLogCardDate");
    EXPECT_TRUE(open("FLogCardDate"));
    EXPECT_FALSE(open("FLogCardTimeOff"));
    EXPECT_FALSE(text("FLogCardTimeOff").empty()) << "the time of now is offered too";
}

// ---- Times ----

class FlightTimes : public FlightPage {
    std::string flights() const override {
        return flightSQL(1, utc(2010, 6, 10), 0, 0) + flightSQL(2, utc(2010, 6, 11), 0, 0) +
               flightSQL(3, utc(2010, 6, 12), 0, 0) + flightSQL(4, utc(2010, 6, 13), 0, 0) +
               flightSQL(5, utc(2010, 6, 14), 0, 0) + flightSQL(6, utc(2010, 6, 15), 0, 0) +
               flightSQL(7, utc(2010, 6, 16, 10, 0), utc(2010, 6, 16, 11, 30), 15);
    }
};

TEST_F(FlightTimes, TakeOffAndLandingGiveTheFlightTime) {
    struct Case {
        long iFLogID;
        const char* pszOff;
        const char* pszOn;
        const char* pszElapsed;
        time_t tBegin;
        time_t tEnd;
    };
    const Case cases[] = {
        {1, "23:40", "00:25", "0.8", utc(2010, 6, 10, 23, 40), utc(2010, 6, 11, 0, 25)},
        {2, "10:00", "11:27", "1.5", utc(2010, 6, 11, 10, 0), utc(2010, 6, 11, 11, 27)},
        {3, "1000", "11.26", "1.4", utc(2010, 6, 12, 10, 0), utc(2010, 6, 12, 11, 26)},
    };
    guint nTotal = kBaseHours + 15;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iFLogID);
        selectFlight(c.iFLogID);
        enter("FLogCardTimeOff", c.pszOff);
        enter("FLogCardTimeOn", c.pszOn);
        EXPECT_EQ(text("FLogCardElapsed"), c.pszElapsed);
        EXPECT_EQ(text("FLogCardTimeOn").size(), 5u);
        nTotal += guint(c.pszElapsed[0] - '0') * 10 + guint(c.pszElapsed[2] - '0');
        leaveAndReturn();
        EXPECT_EQ(storedNumber(c.iFLogID, 0), c.tBegin);
        EXPECT_EQ(storedNumber(c.iFLogID, 1), c.tEnd);
        EXPECT_EQ(text("FLogCardElapsed"), "") << "the card is cleared on entering";
        selectFlight(c.iFLogID);
        EXPECT_EQ(text("FLogCardElapsed"), c.pszElapsed) << "read back from the file";
        expectHoursAgree(nTotal, true);
    }
}

TEST_F(FlightTimes, FlightTimeWithOrWithoutClockTimes) {
    // Take-off 10:00 and no landing: the flight time gives the landing.
    selectFlight(4);
    enter("FLogCardTimeOff", "10:00");
    enter("FLogCardElapsed", "1.5");
    EXPECT_EQ(text("FLogCardTimeOn"), "11:30");
    leaveAndReturn();
    EXPECT_EQ(stored(4), (avt::Row{num(utc(2010, 6, 13, 10, 0)), num(utc(2010, 6, 13, 11, 30)),
                                   "15", "0", "0", "0", "", "0"}));

    // No clock times at all: the flight time alone is kept; the date stays.
    struct Case {
        long iFLogID;
        bool bVisitLanding; // tab through the empty take-off and landing first
        time_t tDate;
    };
    for (const Case& c : {Case{5, false, utc(2010, 6, 14)}, Case{6, true, utc(2010, 6, 15)}}) {
        SCOPED_TRACE(c.iFLogID);
        selectFlight(c.iFLogID);
        if (c.bVisitLanding) {
            enter("FLogCardTimeOff", "");
            enter("FLogCardTimeOn", "");
        }
        enter("FLogCardElapsed", "1.5");
        EXPECT_EQ(text("FLogCardTimeOff"), "");
        EXPECT_EQ(text("FLogCardTimeOn"), "");
        leaveAndReturn();
        EXPECT_EQ(storedNumber(c.iFLogID, 0), c.tDate) << "the flight stays on its day";
        EXPECT_EQ(storedNumber(c.iFLogID, 2), 15);
        selectFlight(c.iFLogID);
        EXPECT_EQ(text("FLogCardTimeOff"), "");
        EXPECT_EQ(text("FLogCardTimeOn"), "");
        EXPECT_EQ(text("FLogCardElapsed"), "1.5");
    }
    expectHoursAgree(kBaseHours + 15 + 15 + 15 + 15, true);
}

TEST_F(FlightTimes, LandingAndFlightTimeGiveTheTakeOff) {
    struct Case {
        long iFLogID;
        const char* pszOn;
        time_t tBegin;
        const char* pszStart; // the flight's row in the tree
    };
    const Case cases[] = {
        {5, "11:00", utc(2010, 6, 14, 9, 30), "14-Jun 09:30"},
        // Landing just after midnight: the take-off was the evening before.
        {6, "00:30", utc(2010, 6, 14, 23, 0), "14-Jun 23:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszOn);
        selectFlight(c.iFLogID);
        enter("FLogCardTimeOn", c.pszOn);
        enter("FLogCardElapsed", "1.5");
        EXPECT_EQ(text("FLogCardTimeOn"), c.pszOn);
        EXPECT_EQ(selectedFlight(), c.iFLogID);
        GtkTreeIter iter;
        ASSERT_TRUE(findRow(&iter, FLOG_ROW_DATA, c.iFLogID));
        gchar* pszStart = nullptr;
        gtk_tree_model_get(model(), &iter, FLOG_TIME_START, &pszStart, -1);
        EXPECT_STREQ(pszStart, c.pszStart);
        g_free(pszStart);
        EXPECT_EQ(storedNumber(c.iFLogID, 0), c.tBegin) << "saved before the tree was rebuilt";
    }
    expectHoursAgree(kBaseHours + 15 + 15 + 15, true);
}

TEST_F(FlightTimes, FlightTimeTextsToTenths) {
    struct Case {
        const char* pszTyped;
        guint nTenths;
        const char* pszShown;
    };
    const Case cases[] = {
        {"2.3", 23, "2.3"}, {"0.7", 7, "0.7"},    {"12.35", 123, "12.3"},
        {"2", 20, "2.0"},   {".5", 5, "0.5"},     {"abc", 0, "0.0"},
        {"-1", 0, "0.0"},   {" 1.2 ", 12, "1.2"}, {"1234.5", 12345, "1234.5"},
    };
    selectFlight(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTyped);
        enter("FLogCardElapsed", c.pszTyped);
        EXPECT_EQ(text("FLogCardElapsed"), c.pszShown);
        expectHoursAgree(kBaseHours + 15 + c.nTenths);
    }
    leaveAndReturn();
    EXPECT_EQ(storedNumber(5, 2), 12345);
    expectHoursAgree(kBaseHours + 15 + 12345, true);
}

TEST_F(FlightTimes, NewDateKeepsTheFlightTimeAndLaterEditsMeasureOnThatDay) {
    selectFlight(7);
    enter("FLogCardDate", "20-Jun-2010");
    EXPECT_EQ(stored(7)[0], num(utc(2010, 6, 20, 10, 0))) << "the take-off time is kept";
    EXPECT_EQ(text("FLogCardElapsed"), "1.5");
    enter("FLogCardTimeOff", "10:30");
    EXPECT_EQ(text("FLogCardElapsed"), "1.0");
    EXPECT_EQ(text("FLogCardTimeOn"), "11:30");
    leaveAndReturn();
    EXPECT_EQ(stored(7), (avt::Row{num(utc(2010, 6, 20, 10, 30)), num(utc(2010, 6, 20, 11, 30)),
                                   "10", "0", "0", "0", "", "0"}));
    expectHoursAgree(kBaseHours + 10, true);
}

// ---- Hours stay consistent ----

class FlightHours : public FlightPage {
    std::string flights() const override {
        return flightSQL(1, utc(2010, 4, 19, 10, 0), utc(2010, 4, 19, 11, 0), 10, 0, 0, 0, "A") +
               flightSQL(2, utc(2010, 4, 19, 14, 0), utc(2010, 4, 19, 15, 30), 15, 0, 0, 0, "B") +
               flightSQL(3, utc(2010, 5, 2, 9, 0), utc(2010, 5, 2, 9, 30), 5, 0, 0, 0, "C") +
               flightSQL(4, utc(2010, 5, 2, 12, 0), 0, 0, 0, 0, 0, "D");
    }
};

TEST_F(FlightHours, TreeBannerAndModelAgreeAfterEveryKindOfEdit) {
    expectHoursAgree(kBaseHours + 30, true);

    // An earlier take-off moves flight 2 before flight 1.
    selectFlight(2);
    enter("FLogCardTimeOff", "09:00");
    EXPECT_EQ(selectedFlight(), 2) << "the moved flight stays selected";
    GtkTreeIter iterYear, iterMonth;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(model(), &iterYear));
    ASSERT_TRUE(gtk_tree_model_iter_children(model(), &iterMonth, &iterYear));
    EXPECT_EQ(childTexts(&iterMonth), (std::vector<std::string>{"19-Apr 09:00", "19-Apr 10:00"}));
    EXPECT_EQ(text("FLogCardElapsed"), "6.5");
    expectHoursAgree(kBaseHours + 10 + 65 + 5);

    enter("FLogCardTimeOn", "10:00");
    EXPECT_EQ(text("FLogCardElapsed"), "1.0");
    expectHoursAgree(kBaseHours + 10 + 10 + 5);

    selectFlight(3);
    enter("FLogCardElapsed", "2.0");
    EXPECT_EQ(text("FLogCardTimeOn"), "11:00");
    expectHoursAgree(kBaseHours + 10 + 10 + 20);

    enter("FLogCardTo", "Ardmore");
    GtkTreeIter iter;
    ASSERT_TRUE(findRow(&iter, FLOG_ROW_DATA, 3));
    gchar* pszDest = nullptr;
    gtk_tree_model_get(model(), &iter, FLOG_DEST, &pszDest, -1);
    EXPECT_STREQ(pszDest, "Ardmore");
    g_free(pszDest);

    selectFlight(1);
    avt::answerNextDialog(GTK_RESPONSE_OK);
    sendKey(GTK_WIDGET(tree()), GDK_Delete);
    expectHoursAgree(kBaseHours + 10 + 20);

    EXPECT_EQ(stored(3)[6], "Ardmore") << "saved when another row was chosen";
    leaveAndReturn();
    expectHoursAgree(kBaseHours + 10 + 20, true);
}

TEST_F(FlightHours, TakeOffWithoutLandingAlsoMovesTheFlight) {
    selectFlight(4);
    enter("FLogCardTimeOff", "08:15");
    EXPECT_EQ(selectedFlight(), 4);
    GtkTreeIter iterYear, iterMonth;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(model(), &iterYear));
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(model(), &iterMonth, &iterYear, 1));
    EXPECT_EQ(childTexts(&iterMonth), (std::vector<std::string>{"02-May 08:15", "02-May 09:00"}));
    EXPECT_EQ(stored(4)[0], num(utc(2010, 5, 2, 8, 15))) << "saved before the tree was rebuilt";
    // Hours at a moment between the two flights no longer count flight 3.
    enter("FLogCardElapsed", "0.5");
    EXPECT_EQ(fmodAFHoursAtDate(utc(2010, 5, 2, 8, 30)), kBaseHours + 10 + 15 + 5);
    expectHoursAgree(kBaseHours + 35);
}

// ---- Solo / dual, conditions, route ----

class FlightKinds : public FlightPage {
    std::string flights() const override {
        return flightSQL(1, utc(2010, 4, 19, 10, 0), 0, 10, 0, 1, 0) +
               flightSQL(2, utc(2010, 4, 20, 10, 0), 0, 10, 1 | 2 | 8, 1, 2) +
               // Night with the IFR bit too, and a bit this program does not use.
               flightSQL(3, utc(2010, 4, 21, 10, 0), 0, 10, 2 | 4 | 16, 0, 0);
    }
};

TEST_F(FlightKinds, SoloAndDualSwapStudentAndPassengers) {
    selectFlight(1);
    EXPECT_TRUE(active("FLogSolo"));
    EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(widget("FLogPilotLabel")))), "Pilot:");
    EXPECT_TRUE(shown("FLogPaxList"));
    EXPECT_FALSE(shown("FLogStudent"));

    click("FLogDual");
    EXPECT_TRUE(shown("FLogStudent"));
    EXPECT_TRUE(shown("FLogStudentLabel"));
    EXPECT_FALSE(shown("FLogPaxList"));
    EXPECT_FALSE(shown("FLogPaxListLabel"));
    EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(widget("FLogPilotLabel")))), "Instructor:");
    leaveAndReturn();
    EXPECT_EQ(storedNumber(1, 3), 1);

    selectFlight(1);
    EXPECT_TRUE(active("FLogDual"));
    click("FLogSolo");
    EXPECT_TRUE(shown("FLogPaxList"));
    EXPECT_FALSE(shown("FLogStudent"));
    leaveAndReturn();
    EXPECT_EQ(storedNumber(1, 3), 0);
}

TEST_F(FlightKinds, DayNightAndIfrRoundTripThroughTheFile) {
    struct Step {
        const char* pszClick;
        long long nType;
    };
    // Night straight to IFR and back is the change the day button never sees.
    const Step steps[] = {{"FLogNight", 2}, {"FLogIFR", 4}, {"FLogDay", 0},
                          {"FLogNight", 2}, {"FLogIFR", 4}, {"FLogNight", 2}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.pszClick);
        selectFlight(1);
        click(step.pszClick);
        leaveAndReturn();
        EXPECT_EQ(storedNumber(1, 3), step.nType);
        selectFlight(1);
        EXPECT_TRUE(active(step.pszClick)) << "shown back from the file";
    }
}

TEST_F(FlightKinds, ShowingFlightsRestoresEveryChoiceAndWritesNothing) {
    selectFlight(1);
    EXPECT_TRUE(active("FLogSolo"));
    EXPECT_TRUE(active("FLogDay"));
    EXPECT_TRUE(active("FLogLocal"));
    EXPECT_EQ(comboActive("FLogPilot"), "Anne Smith");

    selectFlight(2);
    EXPECT_TRUE(active("FLogDual"));
    EXPECT_TRUE(active("FLogNight"));
    EXPECT_TRUE(active("FLogXC")) << "cross-country after a local flight";
    EXPECT_EQ(comboActive("FLogPilot"), "Anne Smith");
    EXPECT_EQ(comboActive("FLogStudent"), "Bob Brown");

    selectFlight(1);
    EXPECT_TRUE(active("FLogLocal"));
    selectFlight(3);
    EXPECT_TRUE(active("FLogNight"));
    selectFlight(2);
    leaveAndReturn();
    for (long iFLogID : {1, 2, 3})
        EXPECT_EQ(writesTo(iFLogID), 0) << "showing flight " << iFLogID << " is no edit";
    EXPECT_EQ(storedNumber(2, 3), 11);
    EXPECT_EQ(storedNumber(3, 3), 22);
}

// ---- Pilots ----

TEST_F(FlightKinds, PilotCombosListTheSharedPilotsAndFollowARename) {
    const std::vector<std::string> names{"Bob Brown", "Anne Smith", ""};
    EXPECT_EQ(comboNames("FLogPilot"), names);
    EXPECT_EQ(comboNames("FLogStudent"), names);

    selectFlight(1);
    gtk_combo_box_set_active(GTK_COMBO_BOX(widget("FLogPilot")), 0);
    avt::drainEvents();
    leaveAndReturn();
    EXPECT_EQ(storedNumber(1, 4), 2) << "Bob Brown chosen";

    // Rename Anne Smith on the pilot page.
    switchPage(4);
    GtkTreeView* pwgtPilots = GTK_TREE_VIEW(widget("PilotTreeView"));
    GtkTreeIter iter;
    GtkTreeModel* pModel = gtk_tree_view_get_model(pwgtPilots);
    ASSERT_TRUE(pModel);
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(pModel, &iter, nullptr, 1));
    gtk_tree_selection_select_iter(gtk_tree_view_get_selection(pwgtPilots), &iter);
    avt::drainEvents();
    enter("PilotLName", "Smithers");
    switchPage(2);

    EXPECT_EQ(comboNames("FLogPilot"),
              (std::vector<std::string>{"Bob Brown", "Anne Smithers", ""}));
    selectFlight(2);
    EXPECT_EQ(comboActive("FLogPilot"), "Anne Smithers");
    EXPECT_EQ(writesTo(2), 0);
}

// ---- Delete ----

TEST_F(FlightHours, DeleteAsksAndMarksTheFlightDeleted) {
    struct Case {
        int nResponse;
        bool bDeleted;
    };
    for (const Case& c : {Case{GTK_RESPONSE_CANCEL, false}, Case{GTK_RESPONSE_OK, true}}) {
        SCOPED_TRACE(c.nResponse);
        avt::clearDialogsSeen();
        selectFlight(2);
        avt::answerNextDialog(c.nResponse);
        sendKey(GTK_WIDGET(tree()), GDK_Delete);
        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        EXPECT_EQ(avt::dialogsSeen()[0].strText,
                  "<span color='red'><b>*** Delete Flight Record ***</b></span>");
        EXPECT_EQ(avt::dialogsSeen()[0].strSecondaryText,
                  "<span color='dark blue'>This Flight will be deleted.</span>\n\n"
                  "<span color='blue'>Are you sure?</span>");
        GtkTreeIter iter;
        EXPECT_EQ(findRow(&iter, FLOG_ROW_DATA, 2), !c.bDeleted);
        EXPECT_EQ(stored(2)[7], c.bDeleted ? "1" : "0");
        EXPECT_EQ(text("FLogCardDate").empty(), c.bDeleted);
        EXPECT_EQ(open("FLogCardDate"), !c.bDeleted);
    }
    leaveAndReturn();
    GtkTreeIter iter;
    EXPECT_FALSE(findRow(&iter, FLOG_ROW_DATA, 2)) << "gone from the reloaded log";
    EXPECT_EQ(stored(2)[7], "1") << "kept in the file, marked";
    expectHoursAgree(kBaseHours + 15, true);
}

TEST_F(FlightHours, TreeTakesNoKeysButADeleteOfAFlight) {
    GtkWidget* pwgtTree = GTK_WIDGET(tree());
    selectFlight(1);
    for (guint nKey :
         {guint(GDK_a), guint(GDK_Down), guint(GDK_Return), guint(GDK_space), guint(GDK_Tab)})
        EXPECT_TRUE(sendKey(pwgtTree, nKey)) << "key " << nKey << " consumed";
    EXPECT_EQ(selectedFlight(), 1) << "the keys moved nothing";

    // Delete on the new-flight row asks nothing and is consumed too.
    selectNewFlight();
    avt::clearDialogsSeen();
    EXPECT_TRUE(sendKey(pwgtTree, GDK_Delete));
    avt::drainEvents();
    EXPECT_TRUE(avt::dialogsSeen().empty());
    EXPECT_EQ(avt::query(db(), "SELECT COUNT(*) FROM Flight WHERE bDelete = 1"),
              (std::vector<avt::Row>{{"0"}}));
}

// ---- No active aircraft ----

class FlightPageNoAircraft : public FlightPage {
    std::string settings() const override { return ""; }
};

TEST_F(FlightPageNoAircraft, ShowsTheNoLogLabelInsteadOfTheTree) {
    EXPECT_TRUE(shown("FLogNoLog"));
    EXPECT_FALSE(shown("FLogTreeView"));
    EXPECT_FALSE(open("FLogCardDate"));
}

TEST_F(FlightHours, TreeShownWithAnActiveAircraft) {
    EXPECT_FALSE(shown("FLogNoLog"));
    EXPECT_TRUE(shown("FLogTreeView"));
    EXPECT_EQ(childTexts(nullptr), (std::vector<std::string>{"2010", "<new flight>"}));
}

TEST_F(FlightHours, EditBeingTypedIsKeptWhenQuitting) {
    selectFlight(3);
    GtkWidget* pwgtTo = widget("FLogCardTo");
    gtk_widget_grab_focus(pwgtTo);
    avt::drainEvents();
    gtk_entry_set_text(GTK_ENTRY(pwgtTo), "Taupo");
    EXPECT_EQ(quitProgram(), 0);
    EXPECT_EQ(stored(3)[6], "Taupo");
}

TEST_F(FlightHours, TextFieldsAreStoredAsTypedAndCutToTheirFields) {
    struct Case {
        const char* pszID;
        const char* pszColumn;
        std::string strTyped;
        std::string strStored;
    };
    const std::string strE = "\xC3\xA9"; // é, two bytes
    const Case cases[] = {
        {"FLogCardFrom", "strFrom", "O'Neill's \"paddock\"", "O'Neill's \"paddock\""},
        {"FLogCardTo", "strTo", "Home", "Home"}, // the same as the departure
        {"FLogPaxList", "strPaxList", "Zo" + strE + ", Ren" + strE, "Zo" + strE + ", Ren" + strE},
        // 98 bytes then a two-byte character: the field holds 99, so the
        // character is dropped whole.
        {"FLogCardTo", "strTo", std::string(98, 'x') + strE, std::string(98, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszID);
        selectFlight(1);
        enter(c.pszID, c.strTyped);
        leaveAndReturn();
        auto rows = avt::query(db(), std::string("SELECT ") + c.pszColumn +
                                         " FROM Flight WHERE iFltID = 1");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0], c.strStored);
        selectFlight(1);
        EXPECT_EQ(text(c.pszID), c.strStored);
    }

    // Notes: the whole text view, up to 499 bytes.
    selectFlight(1);
    GtkWidget* pwgtNotes = widget("FLogNotes");
    gtk_widget_grab_focus(pwgtNotes);
    std::string strNotes = "Line one\nline " + strE + "\n" + std::string(600, 'n');
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtNotes)), strNotes.c_str(),
                             -1);
    gtk_widget_grab_focus(widget("MainNotebook"));
    avt::drainEvents();
    leaveAndReturn();
    EXPECT_EQ(stored(1).size(), 8u);
    auto rows = avt::query(db(), "SELECT strNotes FROM Flight WHERE iFltID = 1");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], strNotes.substr(0, 499));
}

TEST_F(FlightHours, StorageFailureIsReportedAndNothingShownAsStored) {
    avt::exec(db(), "CREATE TRIGGER NoNewFlights BEFORE INSERT ON Flight BEGIN "
                    "SELECT RAISE(ABORT, 'disk says no'); END;");
    selectNewFlight();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    enter("FLogCardDate", "7 July 2010");
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("fltOnDateEdited()"), std::string::npos);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("disk says no"), std::string::npos);
    EXPECT_EQ(avt::query(db(), "SELECT COUNT(*) FROM Flight"), (std::vector<avt::Row>{{"4"}}));
    GtkTreeIter iter;
    EXPECT_TRUE(findRow(&iter, FLOG_ROW_NEW, 0));
    EXPECT_EQ(selectedFlight(), -1) << "no row claims the flight was stored";
    bool bLogged = false;
    for (const auto& strLine : logLines())
        bLogged = bLogged || strLine.find("Function: fltOnDateEdited()") != std::string::npos;
    EXPECT_TRUE(bLogged);
    expectHoursAgree(kBaseHours + 30, true);

    // The typed flight is still held and reaches the file once it can.
    avt::exec(db(), "DROP TRIGGER NoNewFlights;");
    leaveAndReturn();
    EXPECT_EQ(avt::query(db(), "SELECT tFltBegin, iCSID FROM Flight WHERE iFltID > 4"),
              (std::vector<avt::Row>{{num(utc(2010, 7, 7)), "1"}}));
}
} // namespace
