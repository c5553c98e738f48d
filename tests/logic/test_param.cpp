// Settings: missing file, creation on first set, comments kept, 64-bit
// dates, values on disk before the call returns, an unreadable file kept,
// a failed write leaving the old file whole.
#include "avParam.h"
#include "harness.h"

#include <optional>

namespace {

using avt::TempDirs;

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
        {"-1", -1},  {"4294967295", -1}, {"-2147483648", 2147483648}, {"1271635200", 1271635200},
        {"word", 0}, {"-5000000000", 0}};
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

// A settings file missing, unreadable or that cannot be replaced: read as
// no settings, the trouble logged once (an unreadable file with its path and
// why, not the fallback's "No such file"), and setting the active aircraft
// to 7 loses nothing the user had: an unreadable file is moved aside first.
TEST(Settings, FileTroubleIsLoggedOnceAndNothingTheUserHadIsLost) {
    const std::string strBad = "# mine\n[Aircraft\nACID=3\n\x01\x02garbage";
    const struct {
        std::optional<std::string> file; // before the start
        bool bBlocked;                   // a directory stands where the new file is made
        gint nRead;                      // the active aircraft read
        const char* pszLogged;
        std::string strAfter;             // the file once 7 is set
        std::vector<std::string> lstKept; // files moved aside
    } cases[] = {
        {std::nullopt, false, 0, "g_key_file_load_from_file()", "[Aircraft]\nACID=7\n", {}},
        {strBad, false, 0, " ../etc/avLedger.conf: ", "[Aircraft]\nACID=7\n", {strBad}},
        {"[Aircraft]\nACID=3\n", true, 3, "fopen()", "[Aircraft]\nACID=3\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszLogged);
        TempDirs dirs;
        if (c.file)
            avt::writeFile(dirs.etcFile("avLedger.conf"), *c.file);
        prmLoadKeyFile();
        EXPECT_EQ(prmGetKeyInteger(PRM_ACTIVE_AC), c.nRead);
        EXPECT_EQ(std::filesystem::exists(dirs.etcFile("avLedger.conf")), c.file.has_value());
        if (c.bBlocked)
            std::filesystem::create_directory(dirs.etcFile("avLedger.conf.tmp"));
        prmSetKeyInteger(PRM_ACTIVE_AC, 7);
        const std::string strLog = avt::readFile(dirs.etcFile("avLedger.log"));
        EXPECT_EQ(strLog.find(c.pszLogged), strLog.rfind(c.pszLogged)) << strLog;
        EXPECT_TRUE(avt::contains(strLog, c.pszLogged));
        EXPECT_FALSE(c.file == strBad && avt::contains(strLog, "No such file")) << strLog;
        EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")), c.strAfter);
        std::vector<std::string> lstKept;
        for (const auto& entry : std::filesystem::directory_iterator(dirs.etc()))
            if (entry.path().extension() == ".bad")
                lstKept.push_back(avt::readFile(entry.path()));
        EXPECT_EQ(lstKept, c.lstKept);
    }
}

} // namespace
