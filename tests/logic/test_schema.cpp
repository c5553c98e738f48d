// Opening the two database files and bringing them up to the declared
// schema: fresh files, older or hand-written tables, a folder the user
// cannot write.
#include "harness.h"
#include "avMisc.h"
#include "sqlMLog.h"

#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using avt::exec;
using avt::query;

// The catalogue's tables as shipped: a fresh start must create the same.
std::vector<avt::Row> shippedCatalogueTables() {
    std::vector<avt::Row> lstRows;
    std::istringstream in(avt::readFile(avt::sourceFile("catalogue/schema.sql")));
    for (std::string str; std::getline(in, str);)
        if (str.rfind("CREATE TABLE ", 0) == 0)
            lstRows.push_back(
                {str.substr(13, str.find(' ', 13) - 13), str.substr(0, str.rfind(';'))});
    return lstRows;
}

std::vector<avt::Row> schemaRows(const fs::path& db, const char* pszType) {
    return query(db, std::string("SELECT name, sql FROM sqlite_master WHERE type = '") + pszType +
                         "' ORDER BY rowid");
}
int schemaVersion(const fs::path& db) {
    return std::stoi(*query(db, "PRAGMA schema_version")[0][0]);
}

class Schema : public testing::Test {
  protected:
    fs::path logDb() const { return m_dirs.etcFile("avLedger.db"); }
    avt::TempDirs m_dirs;
};

TEST_F(Schema, AFreshStartCreatesTheDeclaredSchemaAndASecondStartChangesNothing) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_EQ(schemaRows(m_dirs.etcFile("avCCD.db"), "table"), shippedCatalogueTables());
    // The maintenance of one card on one aircraft is looked up by index.
    EXPECT_EQ(avt::value(logDb(), "SELECT group_concat(name, ' ') FROM sqlite_master"),
              "Aircraft Pilot Flight Maintenance Defect ixMaintenanceComp");

    exec(logDb(), "INSERT INTO Pilot (strLName) VALUES ('Keep')");
    const int nLog = schemaVersion(logDb()), nCCD = schemaVersion(m_dirs.etcFile("avCCD.db"));
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_EQ(schemaVersion(logDb()), nLog) << "no schema statement on a second start";
    EXPECT_EQ(schemaVersion(m_dirs.etcFile("avCCD.db")), nCCD);
    EXPECT_EQ(query(logDb(), "SELECT strLName FROM Pilot"), (std::vector<avt::Row>{{"Keep"}}));
}

// Older tables and tables written by hand or by other tools: names in any
// case, quoted, over several lines, types with parentheses and commas,
// extra columns. Only missing columns
// are added, in declared order, and every stored row and column stays.
TEST_F(Schema, StoredTablesGetOnlyTheirMissingColumns) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    std::map<std::string, std::string> declared; // a fresh start's columns of each table
    for (const auto& row : schemaRows(logDb(), "table"))
        declared[*row[0]] =
            row[1]->substr(row[1]->find('(') + 1, row[1]->size() - row[1]->find('(') - 2);
    const std::string strPilot = declared["Pilot"], strMaint = declared["Maintenance"];
    gchar* pszLower = g_ascii_strdown(declared["Aircraft"].c_str(), -1);
    const std::string strLower = std::string("CREATE TABLE aircraft (") + pszLower;
    g_free(pszLower);
    // Table, its statement without the closing parenthesis, what is added.
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"Pilot",
         "CREATE TABLE Pilot (" + strPilot.substr(0, strPilot.find(", bFRMonthEnd")) +
             ", bDelete BOOLEAN",
         "bFRMonthEnd BOOLEAN, strNotes TEXT", 2},
        {"Maintenance",
         "CREATE TABLE \"maintenance\" (\n\t\"IMAINTID\" INTEGER PRIMARY KEY,\r\n "
         "[icompid]\tINTEGER, "
         "`strExtra` NUMERIC(10,2) DEFAULT (0), iType TEXT CHECK (iType <> ', nDeferHours ')",
         "iACID INTEGER, " + strMaint.substr(strMaint.find("tCompleted")), 9},
        {"Aircraft", strLower + ", strExtra TEXT", "", 0},
    };
    for (const auto& [pszTable, strCreate, strMissing, nAdded] : cases) {
        fs::remove(logDb());
        exec(logDb(), strCreate + "); INSERT INTO " + pszTable + " (rowid) VALUES (7)");
        const int nBefore = schemaVersion(logDb());
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        EXPECT_EQ(schemaVersion(logDb()), nBefore + nAdded + 5) << "four tables, one index";
        EXPECT_EQ(*query(logDb(), std::string("SELECT sql FROM sqlite_master WHERE name = '") +
                                      pszTable + "' COLLATE NOCASE")[0][0],
                  strCreate + (strMissing.empty() ? "" : ", " + strMissing) + ")");
        EXPECT_EQ(query(logDb(), std::string("SELECT rowid FROM ") + pszTable),
                  (std::vector<avt::Row>{{"7"}}));
    }
}

// More columns or longer names than are kept, and no columns at all.
TEST_F(Schema, AStoredStatementIsParsedWithinItsLimits) {
    std::string strMany = "CREATE TABLE t (" + std::string(60, 'x') + " INTEGER";
    for (int i = 1; i < 150; ++i)
        strMany += ",c" + std::to_string(i);
    sqlParseSCols((strMany + ")").c_str());
    EXPECT_TRUE(sqlIsColExist("c1") && sqlIsColExist("c99"));
    EXPECT_FALSE(sqlIsColExist("c100") || sqlIsColExist(std::string(60, 'x').c_str()));
    sqlParseSCols("CREATE TABLE t");
    EXPECT_FALSE(sqlIsColExist("t") || sqlIsColExist("c1"));
}

// A data folder the user may not write (tried as an ordinary user: root
// writes anywhere): the start fails naming the folder and what to do, and
// nothing is made in it.
TEST_F(Schema, AFolderTheUserCannotWriteIsNamedInPlainWords) {
    const std::string strEtc = fs::canonical(m_dirs.etc()).string();
    fs::permissions(m_dirs.root(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(m_dirs.etc(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const std::string strWant = "sqlInitialize():access(\"" + strEtc +
                                "\")\navLedger cannot write to its data folder " + strEtc +
                                ", so it cannot keep your log there.\nMake that folder writable "
                                "for your user (or start avLedger on a folder you can write), then "
                                "start again.";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) { // nobody, if run as root; the user running the tests otherwise
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        if (getuid() != 0)
            chmod("../etc", 0555);
        const bool bAsWanted = !sqlInitialize() && sqlLastError() == strWant;
        fprintf(stderr, bAsWanted ? "" : "the start gave: %s\n", sqlLastError());
        _exit(bAsWanted ? 0 : 1);
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    chmod(m_dirs.etc().c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "must fail, saying so plainly";
    EXPECT_TRUE(fs::is_empty(m_dirs.etc()));
}

// The log carries its format version. An older log is upgraded and marked;
// one from a later avLedger is shown but never written, and said so once.
TEST_F(Schema, TheLogCarriesItsVersionAndALaterOneIsNeverWritten) {
    const int nLater = SQL_LOG_VERSION + 1;
    const std::tuple<int, int, bool> cases[] = {
        {-1, SQL_LOG_VERSION, true}, // no file yet
        {0, SQL_LOG_VERSION, true},  // written before the version was kept
        {SQL_LOG_VERSION, SQL_LOG_VERSION, true},
        {nLater, nLater, false},
    };
    for (const auto& [nStored, nAfter, bWritable] : cases) {
        SCOPED_TRACE(nStored);
        fs::remove(logDb());
        if (nStored >= 0)
            exec(logDb(), "CREATE TABLE Pilot (iPilotID INTEGER PRIMARY KEY, strLName TEXT);"
                          "INSERT INTO Pilot VALUES (1, 'Kept'); PRAGMA user_version = " +
                              std::to_string(nStored));
        const std::string strBefore = nStored >= 0 ? avt::readFile(logDb()) : "";
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        EXPECT_EQ(sqlCheckWritable(), bWritable);
        rcdPilot pilot{};
        pilot.iPilotID = SQL_NEW_ID;
        mscCopyText(pilot.szLName, sizeof pilot.szLName, "New");
        EXPECT_EQ(sqlUpdatePilotRecord(&pilot), bWritable);
        sqlClose();
        EXPECT_EQ(*query(logDb(), "PRAGMA user_version")[0][0], std::to_string(nAfter));
        if (bWritable)
            continue;
        EXPECT_EQ(avt::readFile(logDb()), strBefore) << "not a byte written";
        EXPECT_EQ(sqlInitialize(), TRUE);
        EXPECT_FALSE(sqlCheckWritable());
        EXPECT_TRUE(
            avt::contains(sqlLastError(), fs::canonical(logDb()).string() +
                                              ": it was written by a newer avLedger (log version " +
                                              std::to_string(nLater) + "; this one knows version " +
                                              std::to_string(SQL_LOG_VERSION) +
                                              ").\nIt is shown as it is and "
                                              "nothing is saved to it"))
            << sqlLastError();
        EXPECT_EQ(query(logDb(), "SELECT strLName FROM Pilot"), (std::vector<avt::Row>{{"Kept"}}));
        sqlClose();
    }
}

} // namespace
