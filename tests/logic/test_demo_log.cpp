// The demo log writer, run as the program that it is, and its log read
// back through the program's own models: what a new user sees on opening it.
#include "harness.h"
#include "test_comp_fixture.h"

#include <glib.h>

#include <map>
#include <regex>
#include <sys/wait.h>

namespace {

// Runs avDemoLog with the given arguments; gives its exit status.
int runDemoTool(const std::vector<std::string>& args) {
    std::vector<gchar*> argv{const_cast<gchar*>(AVL_DEMO_TOOL)};
    for (const std::string& s : args)
        argv.push_back(const_cast<gchar*>(s.c_str()));
    argv.push_back(nullptr);
    gint nStatus = -1;
    GError* pError = nullptr;
    bool bRan = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr,
                             nullptr, nullptr, nullptr, &nStatus, &pError);
    EXPECT_TRUE(bRan) << (pError ? pError->message : "");
    g_clear_error(&pError);
    return bRan && WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

// Card rows of the component tree in the look of their due state (a
// group's look is followed by its rows).
int cardsIn(const char* pszLook) {
    const std::string str = avct::outline();
    const std::regex re(std::string("\\(") + pszLook + "\\)(?=[,\\]\n])");
    return int(std::distance(std::sregex_iterator(str.begin(), str.end(), re), {}));
}

// The demo written into the fresh data directory before the program's
// models open it.
class DemoLog : public avct::CompTest {
  protected:
    void prepareData() override {
        ASSERT_EQ(runDemoTool({m_dirs->root().string(), AVL_BINARY_DIR "/etc"}), 0);
    }
};

// With the demo's own look-ahead mark the tree shows every kind of due
// state; without the mark some of them are not due yet.
TEST_F(DemoLog, EveryKindOfDueStateShowsAndTheMarkBringsSomeForward) {
    activate(guint(prmGetKeyInteger(PRM_ACTIVE_AC)));
    ASSERT_GT(cmodGetMarkHours(), 0u) << "the demo starts with a look-ahead mark";
    ASSERT_TRUE(cmodLoadModel(avct::ALL));
    std::map<std::string, int> withMark;
    for (const char* pszLook : {"red 400", "red 700", "blue 400", "blue 700"})
        withMark[pszLook] = cardsIn(pszLook);
    cmodSetMarkTime(0, 0);
    cmodMarkDue();
    // Inspection and replacement, each due and deferred.
    for (const auto& [strLook, n] : withMark)
        EXPECT_GE(n, 1) << strLook;
    EXPECT_LT(cardsIn("red 400"), withMark["red 400"]) << "inspections due within the mark";
    EXPECT_LT(cardsIn("red 700"), withMark["red 700"]) << "a limit reached within the mark";
    EXPECT_GE(cardsIn("red 400"), 1) << "inspections due now";
}

TEST(DemoLogTool, NeverWritesOverAnExistingLog) {
    avt::TempDirs dirs;
    const std::map<std::string, std::string> mine{{"avLedger.db", "my log"},
                                                  {"avLedger.conf", "[Aircraft]\nACID=4\n"},
                                                  {"avLedger.log", "my history\n"}};
    for (const auto& [strName, strContent] : mine) {
        avt::fs::remove_all(dirs.etc());
        avt::fs::create_directories(dirs.etc());
        avt::writeFile(dirs.etcFile("avCCD.db"), "my edited catalogue");
        avt::writeFile(dirs.etcFile(strName.c_str()), strContent);
        EXPECT_NE(runDemoTool({dirs.root().string(), AVL_BINARY_DIR "/etc"}), 0) << strName;
        for (const auto& entry : avt::fs::directory_iterator(dirs.etc())) {
            std::string strFile = entry.path().filename().string();
            EXPECT_TRUE(strFile == strName || strFile == "avCCD.db") << "wrote " << strFile;
        }
        EXPECT_EQ(avt::readFile(dirs.etcFile(strName.c_str())), strContent) << strName;
        EXPECT_EQ(avt::readFile(dirs.etcFile("avCCD.db")), "my edited catalogue") << strName;
    }
}

} // namespace
