// The program started on database files it cannot use: the error dialog
// names the failure, the program ends with -1 and the files stay as they were.
#include "harness.h"

namespace {

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
        avt::clearDialogsSeen();
        avt::answerNextDialog(GTK_RESPONSE_OK);
        int nStatus = 0;
        EXPECT_FALSE(avt::startProgram({"avLedger"}, &nStatus));
        EXPECT_EQ(nStatus, -1);
        avt::destroyToplevels();

        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        gchar* pszEscaped = g_markup_escape_text(strError.c_str(), -1);
        EXPECT_EQ(avt::dialogsSeen()[0].strSecondaryText,
                  std::string("<span color='dark blue'>avLedger::main()</span>\n\n<span "
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

} // namespace
