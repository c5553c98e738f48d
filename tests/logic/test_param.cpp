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
    for (auto [pszGroup, pszKey] : {std::pair{"Aircraft", "ACID"},
                                    {"CompMark", "Hours"},
                                    {"CompMark", "Time"},
                                    {"MaintTree", "LastDate"},
                                    {"FlightLog", "LastDate"}})
        EXPECT_EQ(prmGetKeyInteger(pszGroup, pszKey), 0) << pszGroup << "/" << pszKey;
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.conf")));

    prmSetKeyInteger("Aircraft", "ACID", 7);
    EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")), "[Aircraft]\nACID=7\n");
}

// Integers and dates read as written, a comment survives a write, and a
// fresh load sees what the set wrote. Dates are 64-bit; what 32-bit
// settings held reads as it was meant.
TEST(Settings, ValuesDatesAndCommentsReadBack) {
    TempDirs dirs;
    avt::writeFile(dirs.etcFile("avLedger.conf"),
                   "# kept by hand\n[CompMark]\nHours=25\nTime=-3\n[D]\nnone=-1\nones=4294967295\n"
                   "wrapped=-2147483648\nold=1271635200\nword=x\n");
    prmLoadKeyFile();
    const std::tuple<const char*, const char*, gint64> cases[] = {{"CompMark", "Hours", 25},
                                                                  {"CompMark", "Time", -3},
                                                                  {"D", "word", 0},
                                                                  {"Nope", "Hours", 0}};
    for (const auto& [pszGroup, pszKey, nWant] : cases)
        EXPECT_EQ(prmGetKeyInteger(pszGroup, pszKey), nWant) << pszKey;
    const std::pair<const char*, time_t> dates[] = {
        {"none", -1},        {"ones", -1}, {"wrapped", 2147483648},
        {"old", 1271635200}, {"word", 0},  {"missing", 0}};
    for (const auto& [pszKey, tWant] : dates)
        EXPECT_EQ(prmGetKeyTime("D", pszKey), tWant) << pszKey;

    prmSetKeyInteger("CompMark", "Hours", 50);
    prmSetKeyTime("MaintTree", "LastDate", 4102444800); // 1 Jan 2100
    const std::string strOnDisk = avt::readFile(dirs.etcFile("avLedger.conf"));
    for (const char* psz : {"# kept by hand", "Hours=50", "LastDate=4102444800"})
        EXPECT_NE(strOnDisk.find(psz), std::string::npos) << psz;
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.conf.tmp")));
    prmLoadKeyFile();
    EXPECT_EQ(prmGetKeyInteger("CompMark", "Hours"), 50);
    EXPECT_EQ(prmGetKeyTime("MaintTree", "LastDate"), 4102444800);
}

// An unreadable file: the log gives its path and why (not the fallback's
// "No such file"), and the first write moves it aside instead of over it.
TEST(Settings, UnreadableFileIsReportedAndKept) {
    TempDirs dirs;
    const std::string strBad = "# mine\n[Aircraft\nACID=3\n\x01\x02garbage";
    avt::writeFile(dirs.etcFile("avLedger.conf"), strBad);
    prmLoadKeyFile();
    EXPECT_EQ(prmGetKeyInteger("Aircraft", "ACID"), 0);
    auto log = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].substr(21), "prmLoadKeyFile()");
    EXPECT_TRUE(g_str_has_prefix(log[2].c_str() + 21, "../etc/avLedger.conf: ")) << log[2];
    EXPECT_EQ(log[2].find("No such file"), std::string::npos) << log[2];

    prmSetKeyInteger("Aircraft", "ACID", 4);
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
    prmSetKeyInteger("Aircraft", "ACID", 9);
    EXPECT_EQ(avt::readFile(dirs.etcFile("avLedger.conf")), "[Aircraft]\nACID=3\n");
    auto log = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].substr(21), "prmWriteKeyFile()\r");
    EXPECT_EQ(log[1].substr(21), "fopen()\r");
}

} // namespace
