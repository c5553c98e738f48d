// The due list window and the report export with the real UI file: the
// window follows the models while open, and the export writes what the
// file chooser was told, or nothing.
#include "avCnv.h"
#include "avDue.h"
#include "avReportDlg.h"
#include "harness.h"
#include "modComp.h"
#include "modPilot.h"
#include "pagAC.h"
#include "rcdPilot.h"

#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DueWindow : public avt::AppTest {
  protected:
    void started() override {
        // Hours Insp fits engine code 0 only (this aircraft's).
        avt::exec(m_dirs->etcFile("avLedger.db"), R"(
            INSERT INTO Aircraft (iAircraftID, strReg, tManu, bLogSinceNew, iOptEngine, bDelete)
              VALUES (1, 'ZK-WIN', strftime('%s', '2020-01-01'), 1, 0, 0);
            INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES
              (1, strftime('%s', '2020-02-01'), strftime('%s', '2020-02-01') + 216000, 600, 0);
            INSERT INTO Pilot (strLName, strFName, strSortKey, tNextMed, tNextFR) VALUES
              ('Soon', 'Bob Alexander Montgomery-Featherstonehaugh Cholmondeley-Marjoribanks', 'SOONBOB', strftime('%s', 'now', 'start of day', '+10 days'), 0))");
        avt::exec(m_dirs->etcFile("avCCD.db"), R"(
            INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartDesc, strPartNmbr,
                                   nInspect, nRCO, bOptEngine, bDelete)
              VALUES (1, 1, 1, 'Hours Insp: tail rotor pitch links and rod ends',
                      'AVL-0208-002 rev C, pitch link assembly', 50, 0, 1, 0),
                     (2, 1, 2, 'Within Mark', '', 65, 0, 0, 0))");
        ASSERT_TRUE(acdLoadActiveAC(1));
        ASSERT_TRUE(pmodLoadModel());
        cmodSetMarkTime(0, 0);
        ASSERT_TRUE(cmodLoadModel(0xFFFFFFFFu));
    }

    // The window's rows, sections and lines, as "name/state/colour".
    std::vector<std::string> shown() {
        GtkWidget* pwgt = widget("DueListTreeView");
        std::vector<std::string> names = avt::treeRows(pwgt, DUE_NAME_COL),
                                 states = avt::treeRows(pwgt, DUE_STATE_COL),
                                 colours = avt::treeRows(pwgt, DUE_COLOUR_COL);
        for (size_t i = 0; i < names.size(); ++i)
            names[i] += "/" + states[i] + "/" + colours[i];
        return names;
    }
};

TEST_F(DueWindow, OpensFromTheMenuAndFollowsTheMarkThePilotsAndTheAircraft) {
    ASSERT_FALSE(gtk_widget_get_visible(widget("DueListWindow")));
    gtk_menu_item_activate(GTK_MENU_ITEM(widget("MenuViewDueList")));
    avt::drainEvents();
    ASSERT_TRUE(gtk_widget_get_visible(widget("DueListWindow")));
    using Lines = std::vector<std::string>;
    auto info = [this] { return std::string(gtk_label_get_text(GTK_LABEL(widget("DueListInfo")))); };
    const std::string strHours = "Hours Insp: tail rotor pitch links and rod ends/Overdue/red",
                      strMark = "Within Mark/Due at the mark/red";
    EXPECT_EQ(shown(), (Lines{"Components (1)//black", strHours, "Pilots (0)//black"}));
    EXPECT_EQ(info().rfind("ZK-WIN  —  60.0 A/F hrs", 0), 0u) << info();
    // Every column in sight; the list has the keyboard, and neither the
    // line above it nor a section's title (clicked) shows selected.
    GtkWidget* pwgtScroll = widget("DueListScroll");
    EXPECT_TRUE(avt::waitUntil([&] {
        return !gtk_widget_get_visible(
            gtk_scrolled_window_get_hscrollbar(GTK_SCROLLED_WINDOW(pwgtScroll)));
    })) << "a column out of sight";
    GtkTreeViewColumn* pItem = gtk_tree_view_get_column(GTK_TREE_VIEW(widget("DueListTreeView")), 0);
    const gint nItemWidth = gtk_tree_view_column_get_width(pItem);
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(widget("DueListWindow"))), widget("DueListTreeView"));
    gint nStart = 0, nEnd = 0;
    EXPECT_FALSE(gtk_label_get_selection_bounds(GTK_LABEL(widget("DueListInfo")), &nStart, &nEnd));
    avt::clickRow(widget("DueListTreeView"), 0);
    EXPECT_EQ(shown().front(), "Components (1)//black") << "a title is not a line";

    // The component page sets a look-ahead mark and re-marks the tree.
    cmodSetMarkTime(100, INTV_DAY << 24 | 30u);
    cmodMarkDue();
    avt::drainEvents();
    EXPECT_EQ(shown(), (Lines{"Components (2)//black", strHours, strMark, "Pilots (1)//black",
                              "Bob Alexander Montgomery-Featherstonehaugh "
                              "Cholmondeley-Marjoribanks Soon/Due at the mark/black"}));
    // The long name ends in "…": the card names still set the column's
    // width, and every column stays in view.
    EXPECT_TRUE(avt::waitUntil([&] {
        GtkRequisition req;
        gtk_widget_size_request(widget("DueListTreeView"), &req);
        return req.width <= widget("DueListScroll")->allocation.width;
    })) << "the list is wider than its window";
    EXPECT_EQ(gtk_tree_view_column_get_width(pItem), nItemWidth);

    // The pilot page moves the medical beyond the mark.
    rcdPilot rcd{};
    rcd.iPilotID = pmodGetPilotID(pmodFindPilotID(1));
    rcd.tNextMed = time(nullptr) + 90 * 86400;
    pmodUpdateDueDates(&rcd);
    avt::drainEvents();
    EXPECT_EQ(shown().back(), "Pilots (0)//black");

    // Another aircraft (engine code 3, as many hours) chosen on the aircraft
    // page, whose tree the component page has not built yet: the first
    // one's card that does not fit it must not show.
    avt::exec(m_dirs->etcFile("avLedger.db"), R"(
        INSERT INTO Aircraft (iAircraftID, strReg, tManu, bLogSinceNew, iOptEngine, bDelete)
          SELECT 2, 'ZK-TWO', tManu, 1, 3, 0 FROM Aircraft WHERE iAircraftID = 1;
        INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete)
          SELECT 2, tFltBegin, tFltEnd, nElapsed, 0 FROM Flight WHERE iCSID = 1)");
    ASSERT_TRUE(acdLoadActiveAC(2));
    dueRefresh();
    EXPECT_EQ(shown(), (Lines{"Components (1)//black", strMark, "Pilots (0)//black"}));
    EXPECT_EQ(info().rfind("ZK-TWO", 0), 0u);
    ASSERT_TRUE(acdLoadActiveAC(1));
    dueRefresh();
    EXPECT_EQ(shown(), (Lines{"Components (2)//black", strHours, strMark, "Pilots (0)//black"}));

    gtk_button_clicked(GTK_BUTTON(widget("DueListClose")));
    EXPECT_FALSE(gtk_widget_get_visible(widget("DueListWindow")));

    // The component page's button opens it again; activating a line
    // selects that card on the component page.
    gtk_button_clicked(GTK_BUTTON(widget("CompDueListButton")));
    avt::drainEvents();
    ASSERT_TRUE(gtk_widget_get_visible(widget("DueListWindow")));
    GtkTreePath* pPath = gtk_tree_path_new_from_string("0:1"); // Within Mark
    gtk_tree_view_row_activated(
        GTK_TREE_VIEW(widget("DueListTreeView")), pPath,
        gtk_tree_view_get_column(GTK_TREE_VIEW(widget("DueListTreeView")), 0));
    gtk_tree_path_free(pPath);
    avt::drainEvents();
    const Lines lstCards = avt::treeRows(widget("CompCardTreeView"), CCD_COMP_COL);
    EXPECT_EQ(std::count(lstCards.begin(), lstCards.end(), "*Within Mark"), 1);
}

// What the file chooser's answer leads to. (The chooser itself is GTK's:
// opening it under test would write the recent-files list of the user
// running the tests.)
TEST_F(DueWindow, ExportWritesTheChosenFileOrNothing) {
    fs::path dir = m_dirs->root() / "out";
    fs::create_directory(dir);
    avt::writeFile(dir / "old.pdf", "old report");
    const struct {
        std::string strChosen;
        gboolean bCsvType;      // CSV chosen as the type in the chooser
        int nAnswer;            // a dialog to answer, 0 for none
        const char* pszWritten; // the file afterwards, "" for none
        const char* pszStart;   // its first bytes
    } cases[] = {
        {(dir / "r.CSV").string(), FALSE, 0, "r.CSV", "\xEF\xBB\xBFGroup,"},
        {(dir / "plain").string(), TRUE, 0, "plain.csv", "\xEF\xBB\xBFGroup,"},
        {(dir / "r").string(), FALSE, 0, "r.pdf", "%PDF"}, // PDF otherwise
        // An extension added to the chosen name asks before it overwrites.
        {(dir / "old").string(), FALSE, GTK_RESPONSE_CANCEL, "old.pdf", "old report"},
        {(m_dirs->root() / "gone" / "x.pdf").string(), FALSE, GTK_RESPONSE_OK, "", ""},
    };
    size_t nFiles = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strChosen);
        avt::clearDialogsSeen();
        if (c.nAnswer)
            avt::answerNextDialog(c.nAnswer);
        EXPECT_EQ(rptExportChosen(c.strChosen.c_str(), c.bCsvType), !c.nAnswer);
        ASSERT_EQ(avt::dialogsSeen().size(), c.nAnswer ? 1u : 0u);
        if (*c.pszWritten) {
            EXPECT_EQ(avt::readFile(dir / c.pszWritten).rfind(c.pszStart, 0), 0u);
        } else { // the error names the file, here and in the log
            EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText, c.strChosen));
            EXPECT_TRUE(avt::contains(avt::readFile(m_dirs->etcFile("avLedger.log")), c.strChosen));
        }
        nFiles += *c.pszWritten && !c.nAnswer ? 1 : 0;
        EXPECT_EQ(size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator())),
                  nFiles)
            << "only the chosen file, no temporary left";
    }
}

// A long export shows its progress in a window of its own; Cancel there
// stops it and leaves nothing behind, without an error.
TEST_F(DueWindow, ALongExportShowsItsProgressAndCanBeCancelled) {
    avt::exec(m_dirs->etcFile("avCCD.db"), R"(
        WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 400)
        INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartDesc, nInspect, bDelete)
          SELECT i, 1, i, 'Card ' || i, 500, 0 FROM n)");
    avt::exec(m_dirs->etcFile("avLedger.db"), R"(
        WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 12000)
        INSERT INTO Maintenance (iCompID, iACID, bFlags, tCompleted, strNotes, bDelete)
          SELECT 3 + i % 398, 1, 0, strftime('%s', '2020-01-02') + i * 600,
                 'Checked, safety-wired and torqued to the figure on the card.', 0 FROM n)");
    ASSERT_TRUE(cmodLoadModel(0xFFFFFFFFu));
    const fs::path dir = m_dirs->root() / "out";
    fs::create_directory(dir);
    avt::clearDialogsSeen();
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    EXPECT_FALSE(rptExportChosen((dir / "long.pdf").c_str(), FALSE));
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_EQ(avt::dialogsSeen()[0].strTitle, "Exporting Maintenance Report");
    EXPECT_TRUE(fs::is_empty(dir));
}

} // namespace
