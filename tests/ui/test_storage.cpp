// The program started on database files it cannot use: the error dialog
// names the failure, the program ends with -1 and the files stay as they were.
#include "harness.h"

#include <algorithm>
#include <random>

namespace {

namespace fs = std::filesystem;

std::string randomBytes() {
    std::mt19937 gen(4711);
    std::string str(4096, '\0');
    for (auto& c : str)
        c = static_cast<char>(gen());
    return str;
}

std::string textAfterStamp(const std::string& strLine) {
    return strLine.size() >= 21 ? strLine.substr(21) : strLine;
}

TEST(StorageStart, UnusableDatabaseShowsTheErrorAndEndsWithMinusOne) {
    struct Case {
        const char* pszName;
        const char* pszFile;
        std::string strContent; // written as it is; empty: a SQL statement instead
        const char* pszSQL;
        std::string strError;
        bool bUntouched; // else the tables before the failure stay created
    };
    const Case cases[] = {
        {"log database of random bytes", "avLedger.db", randomBytes(), nullptr,
         "sqlInitialize():sqlite3_exec(\"tables\")\nfile is not a database", true},
        {"catalogue of random bytes", "avCCD.db", randomBytes(), nullptr,
         "sqlInitialize():sqlite3_exec(\"tables\")\nfile is not a database", true},
        {"a view where a table belongs", "avLedger.db", "", "CREATE VIEW Flight AS SELECT 1 AS one",
         "sqlBuildTables():sqlite3_exec(ALTER TABLE Flight ADD iFltID INTEGER PRIMARY "
         "KEY;)\nCannot add a column to a view",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        avt::TempDirs dirs;
        avt::copyUiFile(dirs);
        const fs::path file = dirs.etcFile(c.pszFile);
        if (c.pszSQL)
            avt::exec(file, c.pszSQL);
        else
            avt::writeFile(file, c.strContent);
        const std::string strBefore = avt::readFile(file);

        avt::clearDialogsSeen();
        avt::answerNextDialog(GTK_RESPONSE_OK);
        int nStatus = 0;
        EXPECT_FALSE(avt::startProgram({"avLedger"}, &nStatus));
        EXPECT_EQ(nStatus, -1);
        avt::destroyToplevels();

        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        gchar* pszEscaped = g_markup_escape_text(c.strError.c_str(), -1);
        EXPECT_EQ(avt::dialogsSeen()[0].strSecondaryText,
                  std::string("<span color='dark blue'>avLedger::main()</span>\n\n<span "
                              "color='blue'>") +
                      pszEscaped + "</span>");
        g_free(pszEscaped);

        if (c.bUntouched) {
            EXPECT_TRUE(avt::readFile(file) == strBefore) << "the file is left untouched";
        }
        EXPECT_FALSE(fs::exists(dirs.etcFile("avLedger.conf"))) << "no settings written back";

        // The dialog's log entry: locus, function, both lines of the error.
        auto lines = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
        auto it = std::find_if(lines.begin(), lines.end(), [](const std::string& str) {
            return textAfterStamp(str) == "Locus: avLedger";
        });
        ASSERT_NE(it, lines.end());
        ASSERT_GE(lines.end() - it, 6);
        EXPECT_EQ(textAfterStamp(it[1]), "Function: main()");
        EXPECT_EQ(textAfterStamp(it[2]), "Error: " + c.strError.substr(0, c.strError.find('\n')));
        EXPECT_EQ(textAfterStamp(it[3]), c.strError.substr(c.strError.find('\n') + 1));
        EXPECT_EQ(textAfterStamp(it[4]), "Response: GTK_RESPONSE_OK");
    }
}

} // namespace
