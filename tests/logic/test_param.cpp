// Settings: missing file, creation on first set, comments kept, 64-bit
// dates, values on disk before the call returns, an unreadable file kept,
// a failed write leaving the old file whole.
#include "avParam.h"
#include "harness.h"

namespace {

using avt::TempDirs;

TEST(Settings, NoFileLogsOnceAndReadsZero) {
    TempDirs dirs;
    prmLoadKeyFile();
    auto log = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
    ASSERT_EQ(log.size(), 4u); // three lines and the empty one
    EXPECT_EQ(log[0].substr(21), "prmLoadKeyFile()");
    EXPECT_EQ(log[1].substr(21), "g_key_file_load_from_file()");
    for (prmKey_t nKey : {PRM_ACTIVE_AC, PRM_MARK_HOURS, PRM_MARK_TIME, PRM_LAYOUT_MAXIMIZED})
        EXPECT_EQ(prmGetKeyInteger(nKey), 0) << nKey;
    for (prmKey_t nKey : {PRM_MAINT_LAST_DATE, PRM_FLIGHT_LAST_DATE})
        EXPECT_EQ(prmGetKeyTime(nKey), 0) << nKey;
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.conf")));

    prmSetKeyInteger(PRM_ACTIVE_AC, 7);
    EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")), "[Aircraft]\nACID=7\n");
}

// Each declared key reads as written within its bounds and as its default
// otherwise; dates are 64-bit, and what 32-bit settings held reads as it
// was meant.
TEST(Settings, ValuesReadWithinBoundsOrAsDefault) {
    TempDirs dirs;
    const std::tuple<const char*, prmKey_t, gint64> cases[] = {
        {"[CompMark]\nHours=25\n", PRM_MARK_HOURS, 25},
        {"[CompMark]\nHours=-3\n", PRM_MARK_HOURS, 0},
        {"[CompMark]\nTime=-3\n", PRM_MARK_TIME, 0},
        {"[CompMark]\nTime=x\n", PRM_MARK_TIME, 0},
        {"[Aircraft]\nACID=-1\n", PRM_ACTIVE_AC, -1},
        {"[Aircraft]\nACID=4294967295\n", PRM_ACTIVE_AC, 0},
        {"[Layout]\nMaximized=2\n", PRM_LAYOUT_MAXIMIZED, 0},
        {"[Layout]\nWidth=1024\n", PRM_LAYOUT_WIDTH, 1024},
        {"[Nope]\nWidth=1024\n", PRM_LAYOUT_WIDTH, 0},
    };
    for (const auto& [pszFile, nKey, nWant] : cases) {
        avt::writeFile(dirs.etcFile("avLedger.conf"), pszFile);
        prmLoadKeyFile();
        EXPECT_EQ(prmGetKeyInteger(nKey), nWant) << pszFile;
    }
    const std::pair<const char*, time_t> dates[] = {
        {"-1", -1},         {"4294967295", -1},      {"-2147483648", 2147483648},
        {"1271635200", 1271635200}, {"word", 0}, {"-5000000000", 0}};
    for (const auto& [pszValue, tWant] : dates) {
        avt::writeFile(dirs.etcFile("avLedger.conf"),
                       std::string("[FlightLog]\nLastDate=") + pszValue + "\n");
        prmLoadKeyFile();
        EXPECT_EQ(prmGetKeyTime(PRM_FLIGHT_LAST_DATE), tWant) << pszValue;
    }
}

// A comment and a pane's divider survive a write, the values are on disk
// when the call returns, and a fresh load sees what the set wrote.
TEST(Settings, WritesKeepCommentsAndReadBack) {
    TempDirs dirs;
    avt::writeFile(dirs.etcFile("avLedger.conf"),
                   "# kept by hand\n[CompMark]\nHours=25\n[Layout]\nCompHPaned=300\n");
    prmLoadKeyFile();
    EXPECT_EQ(prmGetPanePosition("CompHPaned"), 300);
    prmSetKeyInteger(PRM_MARK_HOURS, 50);
    prmSetKeyTime(PRM_MAINT_LAST_DATE, 4102444800); // 1 Jan 2100
    prmSetPanePosition("FlightHPaned", 420);
    EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")),
              "# kept by hand\n\n[CompMark]\nHours=50\n\n[Layout]\nCompHPaned=300\n"
              "FlightHPaned=420\n\n[MaintTree]\nLastDate=4102444800\n");
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.conf.tmp")));
    prmLoadKeyFile();
    EXPECT_EQ(prmGetKeyInteger(PRM_MARK_HOURS), 50);
    EXPECT_EQ(prmGetKeyTime(PRM_MAINT_LAST_DATE), 4102444800);
    EXPECT_EQ(prmGetPanePosition("FlightHPaned"), 420);
}

// An unreadable file: the log gives its path and why (not the fallback's
// "No such file"), and the first write moves it aside instead of over it.
TEST(Settings, UnreadableFileIsReportedAndKept) {
    TempDirs dirs;
    const std::string strBad = "# mine\n[Aircraft\nACID=3\n\x01\x02garbage";
    avt::writeFile(dirs.etcFile("avLedger.conf"), strBad);
    prmLoadKeyFile();
    EXPECT_EQ(prmGetKeyInteger(PRM_ACTIVE_AC), 0);
    auto log = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].substr(21), "prmLoadKeyFile()");
    EXPECT_TRUE(g_str_has_prefix(log[2].c_str() + 21, "../etc/avLedger.conf: ")) << log[2];
    EXPECT_EQ(log[2].find("No such file"), std::string::npos) << log[2];

    prmSetKeyInteger(PRM_ACTIVE_AC, 4);
    EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")), "[Aircraft]\nACID=4\n");
    std::vector<std::string> lstKept;
    for (const auto& entry : std::filesystem::directory_iterator(dirs.etc()))
        if (entry.path().extension() == ".bad")
            lstKept.push_back(avt::readFile(entry.path()));
    EXPECT_EQ(lstKept, std::vector<std::string>{strBad});
}

TEST(Settings, FailedWriteKeepsOldFileAndLogs) {
    TempDirs dirs;
    avt::writeFile(dirs.etcFile("avLedger.conf"), "[Aircraft]\nACID=3\n");
    prmLoadKeyFile();
    // The temporary file cannot be created: a directory stands in its way.
    std::filesystem::create_directory(dirs.etcFile("avLedger.conf.tmp"));
    prmSetKeyInteger(PRM_ACTIVE_AC, 9);
    EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")), "[Aircraft]\nACID=3\n");
    auto log = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].substr(21), "prmWriteKeyFile()\r");
    EXPECT_EQ(log[1].substr(21), "fopen()\r");
}

} // namespace
