// The main window on a small screen, and the size and dividers the user
// left it with, restored at the next start.
#include "harness.h"

#include <glib.h>

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

    GKeyFile* pKeys = g_key_file_new();
    ASSERT_TRUE(g_key_file_load_from_file(pKeys, m_dirs->etcFile("avLedger.conf").c_str(),
                                          G_KEY_FILE_NONE, nullptr));
    const std::pair<const char*, int> expected[] = {
        {"Width", 1000}, {"Height", 700}, {"FLogPaned", 350}, {"PilotPaned", 280}};
    for (const auto& [pszKey, nValue] : expected)
        EXPECT_EQ(g_key_file_get_integer(pKeys, "Layout", pszKey, nullptr), nValue) << pszKey;
    g_key_file_free(pKeys);
}

// Every page fits a 1024 x 768 screen: the window never asks for more than
// its usual size, whichever page is showing.
TEST_F(AppTest, EveryPageFitsTheSmallestScreen) {
    GtkWidget* pwgtMain = widget("avLedger");
    for (int nPage = 0; nPage < 5; ++nPage) {
        switchPage(nPage);
        GtkRequisition req;
        gtk_widget_size_request(pwgtMain, &req);
        EXPECT_LE(req.width, 1024) << "page " << nPage;
        EXPECT_LE(req.height, 740) << "page " << nPage;
    }
}

} // namespace
