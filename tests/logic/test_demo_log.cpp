// The demo log writer, run as the program that it is, and its log read
// back through the program's own models: what a new user sees on opening it.
#include "harness.h"
#include "test_comp_fixture.h"

#include <glib.h>

#include <map>
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

// Card rows of the component tree by the look of their due state.
std::map<std::string, int> cardLooks(GtkTreeIter* piterParent = nullptr) {
    std::map<std::string, int> looks;
    GtkTreeModel* pModel = cmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        if (avct::col<guint>(&iter, CCD_TYPE_COL) == TYPE_COMP)
            ++looks[avct::text(&iter, CCD_COLOUR_COL) + " " +
                    std::to_string(avct::col<guint>(&iter, CCD_WEIGHT_COL))];
        for (const auto& [strLook, n] : cardLooks(&iter))
            looks[strLook] += n;
    }
    return looks;
}

class DemoLog : public testing::Test {
  protected:
    void SetUp() override {
        m_dirs = std::make_unique<avt::TempDirs>();
        ASSERT_EQ(runDemoTool({m_dirs->root().string(), AVL_BINARY_DIR "/etc"}), 0);
    }
    void TearDown() override {
        cmodClearModel();
        mmodClearModel();
        fmodClearModel();
        m_dirs.reset();
    }
    std::unique_ptr<avt::TempDirs> m_dirs;
};

// Opened through the program's models, with the demo's own look-ahead mark
// the tree shows every kind of due state; without the mark some of them
// are not due yet.
TEST_F(DemoLog, EveryKindOfDueStateShowsAndTheMarkBringsSomeForward) {
    prmLoadKeyFile();
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    fmodInitialize();
    mmodInitialize();
    ASSERT_TRUE(acdLoadActiveAC(guint(prmGetKeyInteger(PRM_ACTIVE_AC))));
    ASSERT_TRUE(cmodInitialize(FALSE));
    ASSERT_GT(cmodGetMarkHours(), 0u) << "the demo starts with a look-ahead mark";
    ASSERT_TRUE(cmodLoadModel(avct::ALL));
    std::map<std::string, int> withMark = cardLooks();
    cmodSetMarkTime(0, 0);
    cmodMarkDue();
    std::map<std::string, int> withoutMark = cardLooks();

    // Inspection and replacement, each due and deferred.
    for (const char* pszLook : {"red 400", "red 700", "blue 400", "blue 700"})
        EXPECT_GE(withMark[pszLook], 1) << pszLook;
    EXPECT_LT(withoutMark["red 400"], withMark["red 400"]) << "inspections due within the mark";
    EXPECT_LT(withoutMark["red 700"], withMark["red 700"]) << "a limit reached within the mark";
    EXPECT_GE(withoutMark["red 400"], 1) << "inspections due now";
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
