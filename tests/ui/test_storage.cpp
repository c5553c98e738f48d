// The program started on database files it cannot fully use, and on a
// backup copy put in place of its log.
#include "harness.h"
#include "modAC.h"
#include "sqlMLog.h"

namespace {

namespace fs = std::filesystem;

// Both files made by the program itself (then closed, as at shutdown).
void makeDatabases() {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    sqlClose();
}

// What the files' reader says ends the start: shown in the error dialog,
// the program ends with -1.
TEST(StorageStart, UnusableDatabaseShowsTheErrorAndEndsWithMinusOne) {
    avt::TempDirs dirs;
    avt::copyUiFile(dirs);
    avt::writeFile(dirs.etcFile("avLedger.db"), std::string(4096, '\x9c'));
    avt::clearDialogsSeen();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    int nStatus = 0;
    EXPECT_FALSE(avt::startProgram({"avLedger"}, &nStatus));
    EXPECT_EQ(nStatus, -1);
    avt::destroyToplevels();
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_EQ(avt::dialogsSeen()[0].strSecondaryText,
              "<span color='dark blue'>avLedger::main()</span>\n\n<span color='blue'>"
              "sqlInitialize():sqlite3_exec(&quot;tables&quot;)\nfile is not a database</span>");
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
    EXPECT_TRUE(avt::contains(strShown, fs::canonical(m_dirs->etcFile("avLedger.db")).string() +
                                            ": the file is read-only\nChanges to this file cannot "
                                            "be saved."));
    EXPECT_EQ(strShown.find("avCCD.db"), std::string::npos);
    EXPECT_EQ(quitProgram(), 0);
    EXPECT_EQ(avt::dialogsSeen().size(), 1u) << avt::dialogsSeen().back().strSecondaryText;
}

// The shipped catalogue is only read on an ordinary start and quit: its
// bytes stay those that were copied, so that a later copy or comparison
// (backups, the launcher) never takes it for an edited one. The copy of the
// log made at start is complete: put in place of a file that was changed
// (or lost) afterwards, the program opens it as it was.
class Restore : public avt::AppTest {
    void prepareData() override {
        makeDatabases();
        avt::copyCatalogue(*m_dirs);
        avt::exec(m_dirs->etcFile("avLedger.db"),
                  "INSERT INTO Aircraft (strReg, bDelete) VALUES ('G-KEEP', 0)");
    }
};

TEST_F(Restore, TheCatalogueStaysByteForByteAndABackupPutInPlaceOpensAsTheLogWas) {
    EXPECT_EQ(quitProgram(), 0);
    EXPECT_EQ(avt::readFile(m_dirs->etcFile("avCCD.db")), avt::readFile(avt::builtCatalogue()));
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
