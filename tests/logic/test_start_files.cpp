// Database files the program cannot use at start: the reason in words, and
// the files left as they were.
#include "harness.h"
#include "sqlMLog.h"

#include <tuple>

namespace {

namespace fs = std::filesystem;

// A file whose table has several pages, one of them then damaged where
// SQLite's structure check looks (the cell pointers of the table's root).
void damage(const fs::path& db, const char* pszTable) {
    avt::exec(db, std::string("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 60) INSERT INTO ") +
                      pszTable + " (bDelete) SELECT 0 FROM n");
    const int nRoot = std::stoi(avt::value(
        db, std::string("SELECT rootpage FROM sqlite_master WHERE name = '") + pszTable + "'"));
    std::string str = avt::readFile(db);
    const std::size_t nlPage = (std::size_t(guint8(str[16])) << 8) | guint8(str[17]);
    str.replace((nRoot - 1) * nlPage + 12, 24, 24, '\xff');
    avt::writeFile(db, str);
}

TEST(StartFiles, AnUnusableFileOrFolderIsNamedAndLeftAsItWas) {
    const std::string strJunk(4096, '\x9c'); // certainly not a SQLite file
    const std::string strNotDb = "sqlInitialize():sqlite3_exec(\"tables\")\nfile is not a database";
    const std::string strNoOpen =
        "sqlInitialize():sqlite3_open(\"avLedger.db\")\nunable to open database file";
    // The file ("": the data folder itself), what it holds (SQL when it
    // begins "CREATE", else its bytes; nullptr: it is not there), the error.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"avLedger.db", strJunk.c_str(), strNotDb},
        {"avCCD.db", strJunk.c_str(), strNotDb},
        {"avLedger.db", "CREATE VIEW Flight AS SELECT 1 AS one",
         "sqlBuildTables():sqlite3_exec(ALTER TABLE Flight ADD iFltID INTEGER PRIMARY "
         "KEY;)\nCannot add a column to a view"},
        {"", nullptr, strNoOpen},
        {"", "not a directory", strNoOpen},
    };
    for (const auto& [pszFile, pszContent, strError] : cases) {
        SCOPED_TRACE(strError);
        avt::TempDirs dirs;
        const fs::path path = *pszFile ? dirs.etcFile(pszFile) : dirs.etc();
        const bool bSQL = pszContent && g_str_has_prefix(pszContent, "CREATE");
        if (!*pszFile)
            fs::remove_all(path);
        if (bSQL)
            avt::exec(path, pszContent);
        else if (pszContent)
            avt::writeFile(path, pszContent);
        EXPECT_FALSE(sqlInitialize());
        sqlClose();
        EXPECT_EQ(sqlLastError(), strError);
        rcdMaint maint{};
        EXPECT_FALSE(sqlLoadMaintRecord(&maint, 1)) << "nothing is read from no database";
        if (bSQL) // the failed upgrade is undone whole: only the view is there
            EXPECT_EQ(avt::value(path, "SELECT COUNT(*) FROM sqlite_master"), "1");
        else if (pszContent)
            EXPECT_EQ(avt::readFile(path), pszContent) << "left untouched";
        else
            EXPECT_FALSE(fs::exists(path));
        // A failing log database stops the start before the catalogue is opened.
        EXPECT_EQ(fs::exists(dirs.etcFile("avCCD.db")), !g_strcmp0(pszFile, "avCCD.db"));
    }
}

// A damaged file stops the start with the way back named, and is left
// byte for byte as it was: nothing is written to it, no copy is made.
TEST(StartFiles, ADamagedFileIsNamedWithItsNewestBackupAndLeftAsItIs) {
    for (const auto& [pszFile, pszTable, bBackup] : {std::tuple{"avLedger.db", "Pilot", true},
                                                     {"avCCD.db", "Target", true},
                                                     {"avLedger.db", "Flight", false}}) {
        SCOPED_TRACE(std::string(pszFile) + " " + pszTable);
        avt::TempDirs dirs;
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        sqlClose();
        damage(dirs.etcFile(pszFile), pszTable);
        const fs::path backup =
            dirs.etc() / "backup" / (fs::path(pszFile).stem().string() + "-20260101-000000.db");
        if (bBackup) {
            fs::create_directory(dirs.etc() / "backup");
            fs::copy_file(dirs.etcFile(pszFile), backup);
        }
        damage(dirs.etcFile(pszFile), pszTable);
        const std::string strBefore = avt::readFile(dirs.etcFile(pszFile));

        EXPECT_FALSE(sqlInitialize());
        sqlClose();
        const std::string strError = sqlLastError();
        EXPECT_TRUE(avt::contains(strError, "sqlInitialize():PRAGMA quick_check(\"" +
                                                fs::canonical(dirs.etcFile(pszFile)).string() +
                                                "\")\n"));
        EXPECT_TRUE(avt::contains(strError, bBackup ? fs::canonical(backup).string()
                                                    : std::string("(there is no backup of it)")));
        EXPECT_EQ(avt::readFile(dirs.etcFile(pszFile)), strBefore);
        EXPECT_FALSE(fs::exists(dirs.etcFile((std::string(pszFile) + "-journal").c_str())));
        EXPECT_EQ(fs::exists(dirs.etc() / "backup"), bBackup);
        EXPECT_EQ(bBackup ? std::distance(fs::directory_iterator(dirs.etc() / "backup"),
                                          fs::directory_iterator())
                          : 1,
                  1)
            << "no new copy of a damaged file";
    }
}

} // namespace
