// The program started on database files it cannot use: the error dialog
// names the failure, the program ends with -1 and the files stay as they were.
#include "harness.h"
#include "modAC.h"
#include "sqlMLog.h"

namespace {

namespace fs = std::filesystem;

// A file whose table has several pages, one of them then damaged where
// SQLite's structure check looks (the cell pointers of the table's root).
void damage(const fs::path& db, const char* pszTable) {
    avt::exec(db, std::string("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 60) INSERT INTO ") +
                      pszTable + " (bDelete) SELECT 0 FROM n");
    const int nRoot = std::stoi(*avt::query(db, std::string("SELECT rootpage FROM sqlite_master "
                                                            "WHERE name = '") +
                                                    pszTable + "'")[0][0]);
    std::string str = avt::readFile(db);
    const std::size_t nlPage = (std::size_t(guint8(str[16])) << 8) | guint8(str[17]);
    str.replace((nRoot - 1) * nlPage + 12, 24, 24, '\xff');
    avt::writeFile(db, str);
}

// Both files made by the program itself (then closed, as at shutdown).
void makeDatabases() {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    sqlClose();
}

std::string startFailure() {
    avt::clearDialogsSeen();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    int nStatus = 0;
    EXPECT_FALSE(avt::startProgram({"avLedger"}, &nStatus));
    EXPECT_EQ(nStatus, -1);
    avt::destroyToplevels();
    EXPECT_EQ(avt::dialogsSeen().size(), 1u);
    return avt::dialogsSeen().empty() ? "" : avt::dialogsSeen()[0].strSecondaryText;
}

TEST(StorageStart, UnusableDatabaseShowsTheErrorAndEndsWithMinusOne) {
    const std::string strJunk(4096, '\x9c'); // certainly not a SQLite file
    const std::string strNotDb = "sqlInitialize():sqlite3_exec(\"tables\")\nfile is not a database";
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"avLedger.db", nullptr, strNotDb},
        {"avCCD.db", nullptr, strNotDb},
        {"avLedger.db", "CREATE VIEW Flight AS SELECT 1 AS one",
         "sqlBuildTables():sqlite3_exec(ALTER TABLE Flight ADD iFltID INTEGER PRIMARY "
         "KEY;)\nCannot add a column to a view"},
    };
    for (const auto& [pszFile, pszSQL, strError] : cases) {
        SCOPED_TRACE(strError);
        avt::TempDirs dirs;
        avt::copyUiFile(dirs);
        if (pszSQL)
            avt::exec(dirs.etcFile(pszFile), pszSQL);
        else
            avt::writeFile(dirs.etcFile(pszFile), strJunk);
        const std::string strShown = startFailure();
        gchar* pszEscaped = g_markup_escape_text(strError.c_str(), -1);
        EXPECT_EQ(strShown, std::string("<span color='dark blue'>avLedger::main()</span>\n\n<span "
                                        "color='blue'>") +
                                pszEscaped + "</span>");
        g_free(pszEscaped);
        if (!pszSQL)
            EXPECT_EQ(avt::readFile(dirs.etcFile(pszFile)), strJunk) << "left untouched";
        else // the failed upgrade is undone whole: only the view is there
            EXPECT_EQ(avt::query(dirs.etcFile(pszFile), "SELECT COUNT(*) FROM sqlite_master")[0][0],
                      "1");
        // A failing log database stops the start before the catalogue is opened.
        EXPECT_EQ(std::filesystem::exists(dirs.etcFile("avCCD.db")),
                  !g_strcmp0(pszFile, "avCCD.db"));
    }
}

// A damaged file stops the start with the way back named, and is left
// byte for byte as it was: nothing is written to it, no copy is made.
TEST(StorageStart, ADamagedFileIsNamedWithItsNewestBackupAndLeftAsItIs) {
    for (const auto& [pszFile, pszTable, bBackup] : {std::tuple{"avLedger.db", "Pilot", true},
                                                     {"avCCD.db", "Target", true},
                                                     {"avLedger.db", "Flight", false}}) {
        SCOPED_TRACE(std::string(pszFile) + " " + pszTable);
        avt::TempDirs dirs;
        avt::copyUiFile(dirs);
        makeDatabases();
        damage(dirs.etcFile(pszFile), pszTable);
        const std::string strName = fs::path(pszFile).stem().string();
        const fs::path backup = dirs.etc() / "backup" / (strName + "-20260101-000000.db");
        if (bBackup) {
            fs::create_directory(dirs.etc() / "backup");
            fs::copy_file(dirs.etcFile(pszFile), backup);
        }
        damage(dirs.etcFile(pszFile), pszTable);
        const std::string strBefore = avt::readFile(dirs.etcFile(pszFile));

        const std::string strShown = startFailure();
        EXPECT_NE(strShown.find("sqlInitialize():PRAGMA quick_check(&quot;" +
                                fs::canonical(dirs.etcFile(pszFile)).string() + "&quot;)\n"),
                  std::string::npos)
            << strShown;
        EXPECT_NE(strShown.find(bBackup ? fs::canonical(backup).string()
                                        : std::string("(there is no backup of it)")),
                  std::string::npos)
            << strShown;
        EXPECT_EQ(avt::readFile(dirs.etcFile(pszFile)), strBefore);
        EXPECT_FALSE(fs::exists(dirs.etcFile((std::string(pszFile) + "-journal").c_str())));
        EXPECT_EQ(fs::exists(dirs.etc() / "backup"), bBackup);
        const auto nCopies = bBackup ? std::distance(fs::directory_iterator(dirs.etc() / "backup"),
                                                     fs::directory_iterator())
                                     : 1;
        EXPECT_EQ(nCopies, 1) << "no new copy of a damaged file";
    }
}

// A file SQLite will only read (a newer format's write version): said
// once at start, and the program runs to show what is there.
class ReadOnlyStart : public avt::AppTest {
    void prepareData() override {
        makeDatabases();
        std::string str = avt::readFile(m_dirs->etcFile("avLedger.db"));
        str[18] = 3;
        avt::writeFile(m_dirs->etcFile("avLedger.db"), str);
        avt::answerNextDialog(GTK_RESPONSE_OK);
    }
};

TEST_F(ReadOnlyStart, IsSaidOnceBeforeAnyEdit) {
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    const std::string& strShown = avt::dialogsSeen()[0].strSecondaryText;
    EXPECT_NE(strShown.find(fs::canonical(m_dirs->etcFile("avLedger.db")).string() +
                            ": the file is read-only\nChanges to this file cannot "
                            "be saved."),
              std::string::npos)
        << strShown;
    EXPECT_EQ(strShown.find("avCCD.db"), std::string::npos);
    EXPECT_EQ(quitProgram(), 0);
    EXPECT_EQ(avt::dialogsSeen().size(), 1u) << avt::dialogsSeen().back().strSecondaryText;
}

// The copy made at start is a complete log: put in place of a file that
// was changed (or lost) afterwards, the program opens it as it was.
class Restore : public avt::AppTest {
    void prepareData() override {
        makeDatabases();
        avt::exec(m_dirs->etcFile("avLedger.db"),
                  "INSERT INTO Aircraft (strReg, bDelete) VALUES ('G-KEEP', 0)");
    }
};

TEST_F(Restore, ABackupPutInPlaceOpensAsTheLogWas) {
    EXPECT_EQ(quitProgram(), 0);
    const fs::path dir = m_dirs->etc() / "backup";
    std::vector<fs::path> lstCopies;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().rfind("avLedger-", 0) == 0)
            lstCopies.push_back(entry.path());
    ASSERT_EQ(lstCopies.size(), 1u);
    avt::exec(m_dirs->etcFile("avLedger.db"),
              "INSERT INTO Aircraft (strReg, bDelete) VALUES ('G-LATER', 0)");
    fs::copy_file(lstCopies[0], m_dirs->etcFile("avLedger.db"),
                  fs::copy_options::overwrite_existing);

    m_bRunning = avt::startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning) << m_nStartStatus;
    EXPECT_EQ(avt::treeRows(widget("ACTreeView"), AC_REG_COL),
              (std::vector<std::string>{"*G-KEEP", "<new heli>"}));
}

} // namespace

namespace {

// The shipped catalogue is only read on an ordinary start and quit: its
// bytes stay those that were copied, so that a later copy or comparison
// (backups, the launcher) never takes it for an edited one.
class ShippedCatalogue : public avt::AppTest {
    void prepareData() override { avt::copyCatalogue(*m_dirs); }
};

TEST_F(ShippedCatalogue, PassesThroughStartAndQuitByteForByte) {
    ASSERT_EQ(quitProgram(), 0);
    EXPECT_EQ(avt::readFile(m_dirs->etcFile("avCCD.db")), avt::readFile(avt::builtCatalogue()));
}

} // namespace
