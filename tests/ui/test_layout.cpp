// The main window on a small screen, and the size and dividers the user
// left it with, restored at the next start.
#include "avLayout.h"
#include "harness.h"
#include "rcdAC.h"
#include "sqlMLog.h"

namespace {

using avt::AppTest;

struct Stored {
    const char* pszConf; // settings file before the start
    int nWidth, nHeight; // window size expected after the start
    int nFLogPaned;      // divider expected; 0: the UI file's own
};

class LayoutRestore : public AppTest, public testing::WithParamInterface<Stored> {
  protected:
    void prepareData() override {
        avt::writeFile(m_dirs->etcFile("avLedger.conf"), GetParam().pszConf);
    }
};

// A size that fits the screen is restored; one that does not (or that is
// too small to use) is not, and the window opens at its usual size.
TEST_P(LayoutRestore, SizeAndDividerComeBack) {
    avt::drainEvents();
    gint nWidth = 0, nHeight = 0;
    gtk_window_get_size(GTK_WINDOW(widget("avLedger")), &nWidth, &nHeight);
    EXPECT_EQ(nWidth, GetParam().nWidth);
    EXPECT_EQ(nHeight, GetParam().nHeight);
    if (GetParam().nFLogPaned) {
        EXPECT_EQ(gtk_paned_get_position(GTK_PANED(widget("FLogPaned"))), GetParam().nFLogPaned);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LayoutRestore,
    testing::Values(Stored{"[Layout]\nWidth=1000\nHeight=700\nFLogPaned=320\n", 1000, 700, 320},
                    Stored{"[Layout]\nWidth=1000\nHeight=700\nFLogPaned=55\n", 1000, 700, 150},
                    Stored{"[Layout]\nWidth=5000\nHeight=4000\n", 1024, 740, 0},
                    Stored{"[Layout]\nWidth=200\nHeight=100\nFLogPaned=-4\n", 1024, 740, 0},
                    Stored{"", 1024, 740, 0}));

TEST_F(AppTest, SizeAndDividersTheUserSetAreWrittenAtShutdown) {
    gtk_window_resize(GTK_WINDOW(widget("avLedger")), 1000, 700);
    avt::drainEvents();
    g_usleep(100000);
    avt::drainEvents();
    gtk_paned_set_position(GTK_PANED(widget("FLogPaned")), 350);
    gtk_paned_set_position(GTK_PANED(widget("PilotPaned")), 280);
    avt::drainEvents();
    g_usleep(100000);
    avt::drainEvents();
    ASSERT_EQ(quitProgram(), 0);

    const std::string strConf = avt::readFile(m_dirs->etcFile("avLedger.conf"));
    for (const char* pszLine :
         {"[Layout]\n", "Width=1000\n", "Height=700\n", "FLogPaned=350\n", "PilotPaned=280\n"})
        EXPECT_TRUE(avt::contains(strConf, pszLine));
}

// An aircraft, so that the component page shows its tree, card and records.
class LayoutWithAircraft : public AppTest {
  protected:
    void prepareData() override {
        avt::copyCatalogue(*m_dirs);
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        rcdAC rcd{};
        rcd.iACID = G_MAXUINT32;
        ASSERT_TRUE(sqlUpdateAircraftRecord(&rcd)) << sqlLastError();
        avt::writeFile(m_dirs->etcFile("avLedger.conf"),
                       "[Aircraft]\nACID=" + std::to_string(rcd.iACID) + "\n");
    }
    void resizeTo(gint nWidth, gint nHeight) {
        gtk_window_resize(GTK_WINDOW(widget("avLedger")), nWidth, nHeight);
        for (int i = 0; i < 3; ++i)
            avt::settle();
    }
};

// Every page fits an 800 x 600 screen: the window never asks for more,
// whichever page is showing; a card scrolls instead, to the field the
// keyboard reaches. A wide window gives the component tree more room.
TEST_F(LayoutWithAircraft, EveryPageFitsASmallScreenAndTheTreeGrowsOnALargeOne) {
    GtkWidget* pwgtMain = widget("avLedger");
    for (int nPage = 0; nPage < 5; ++nPage) {
        switchPage(nPage);
        GtkRequisition req;
        gtk_widget_size_request(pwgtMain, &req);
        EXPECT_LE(req.width, LYT_MIN_WIDTH) << "page " << nPage;
        EXPECT_LE(req.height, LYT_MIN_HEIGHT) << "page " << nPage;
    }
    resizeTo(LYT_MIN_WIDTH, LYT_MIN_HEIGHT);
    switchPage(3);
    gtk_widget_grab_focus(widget("ACManuDate"));
    avt::settle();
    GtkAdjustment* padj =
        gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(widget("ACCardScroll")));
    EXPECT_GT(gtk_adjustment_get_value(padj), 0) << "scrolled to the date of manufacture";

    // Back at the usual size, then wide: the tree takes its share of the width.
    switchPage(0);
    resizeTo(1024, 740);
    const gint nTreeWas = widget("CompTreeScroll")->allocation.width;
    resizeTo(1900, 1000);
    EXPECT_GE(widget("CompTreeScroll")->allocation.width, nTreeWas * 3 / 2);
}

} // namespace
