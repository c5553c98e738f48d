// Opening the two database files and bringing them up to the declared
// schema: fresh files, older or hand-written tables, unusable directories.
#include "harness.h"
#include "sqlMLog.h"

#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using avt::exec;
using avt::query;

// What a fresh start must create, as SQLite stores the statements.
const std::vector<std::pair<const char*, std::string>> m_lstLogSchema = {
    {"Aircraft", "iAircraftID INTEGER PRIMARY KEY, tCreate INTEGER, tAlter INTEGER, strReg TEXT, "
                 "strModel TEXT, strSerial TEXT, strBuilder TEXT, strOwner TEXT, tManu INTEGER, "
                 "iOptHeli INTEGER, iOptEngine INTEGER, iOptClutch INTEGER, iOptMRDrive INTEGER, "
                 "iOptMRotor INTEGER, iOptMRSystem INTEGER, iOptTRSlider INTEGER, iOptTRDrive "
                 "INTEGER, iOptTR INTEGER, bLogSinceNew BOOLEAN, tLogStart INTEGER, nLogHours "
                 "INTEGER, bModFlags INTEGER, bOptFlags INTEGER, strNotes TEXT, bDelete INTEGER"},
    {"Pilot", "iPilotID INTEGER PRIMARY KEY, tCreateTime INTEGER, tAlterTime INTEGER, strLName "
              "TEXT, strFName TEXT, strSortKey TEXT, tLastMed INTEGER, tNextMed INTEGER, "
              "nMedInterval INTEGER, bMedAuto BOOLEAN, bMedMonthEnd BOOLEAN, tLastFR INTEGER, "
              "tNextFR INTEGER, nFRInterval INTEGER, bFRAuto BOOLEAN, bFRMonthEnd BOOLEAN, "
              "strNotes TEXT, bDelete BOOLEAN"},
    {"Flight", "iFltID INTEGER PRIMARY KEY, iCSID INTEGER, iPilotID INTEGER, iStudentID INTEGER, "
               "tFltBegin INTEGER, tFltEnd INTEGER, tEngStart INTEGER, tEngStop INTEGER, nElapsed "
               "INTEGER, nFltType INTEGER, nPosnMode INTEGER, nFromLat DOUBLE, nFromLong DOUBLE, "
               "nToLat DOUBLE, nToLong DOUBLE, strFrom TEXT, strTo TEXT, strPaxList TEXT, "
               "strNotes TEXT, bDelete BOOLEAN"},
    {"Maintenance", "iMaintID INTEGER PRIMARY KEY, iCompID INTEGER, iACID INTEGER, iType INTEGER, "
                    "tCompleted INTEGER, bFlags INTEGER, nCompHours INTEGER, nCompAge INTEGER, "
                    "nDeferHours INTEGER, nDeferDays INTEGER, strNotes TEXT, bDelete BOOLEAN"}};
const std::vector<std::pair<const char*, std::string>> m_lstCCDSchema = {
    {"Component", "iCompID INTEGER PRIMARY KEY, iGroupID INTEGER, strPartNmbr TEXT, strPartDesc "
                  "TEXT, strDescNotes TEXT, strPartRef TEXT, nInspect INTEGER, nRCO INTEGER, "
                  "iSNote1ID INTEGER, iSNote2ID INTEGER, iSNote3ID INTEGER, bDelete BOOLEAN, "
                  "iSortOrder INTEGER, bOptHeli INTEGER, bOptEngine INTEGER, bOptMainDrive "
                  "INTEGER, bOptMainRotor INTEGER, bOptMRSystem INTEGER, bOptClutch INTEGER, "
                  "bOptTRSlider INTEGER, bOptTailDrive INTEGER, bOptTailRotor INTEGER"},
    {"Reference", "iRefID INTEGER PRIMARY KEY, iCompID INTEGER, strDrawing TEXT, nRotate INTEGER, "
                  "nTargetX INTEGER, nTargetY INTEGER, nTargetWidth INTEGER, nTargetHeight "
                  "INTEGER, nTargetAngle INTEGER, iTargetShape INTEGER, bDelete BOOLEAN"},
    {"Target", "iTargetID INTEGER PRIMARY KEY, iRefID INTEGER, nX INTEGER, nY INTEGER, nWidth "
               "INTEGER, nHeight INTEGER, nLen INTEGER, nAngle INTEGER, iShape INTEGER, nWeight "
               "INTEGER, nColour INTEGER, bDelete BOOLEAN"},
    {"ServiceNote", "iSNoteID INTEGER PRIMARY KEY, strLabel TEXT, strText TEXT, bDelete BOOLEAN"}};

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
    fs::path ccdDb() const { return m_dirs.etcFile("avCCD.db"); }
    avt::TempDirs m_dirs;
};

TEST_F(Schema, AFreshStartCreatesTheDeclaredSchemaAndASecondStartChangesNothing) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    for (const auto& [db, lstSchema] :
         {std::pair{logDb(), m_lstLogSchema}, {ccdDb(), m_lstCCDSchema}}) {
        std::vector<avt::Row> expected;
        for (const auto& [pszTable, strCols] : lstSchema)
            expected.push_back(
                {pszTable, std::string("CREATE TABLE ") + pszTable + " (" + strCols + ")"});
        EXPECT_EQ(schemaRows(db, "table"), expected);
    }
    // The maintenance of one card on one aircraft is looked up by index.
    ASSERT_EQ(schemaRows(logDb(), "index").size(), 1u);
    EXPECT_EQ(*schemaRows(logDb(), "index")[0][1],
              "CREATE INDEX ixMaintenanceComp ON Maintenance (iCompID, iACID)");

    exec(logDb(), "INSERT INTO Pilot (strLName) VALUES ('Keep')");
    const int nLog = schemaVersion(logDb()), nCCD = schemaVersion(ccdDb());
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_EQ(schemaVersion(logDb()), nLog) << "no schema statement on a second start";
    EXPECT_EQ(schemaVersion(ccdDb()), nCCD);
    EXPECT_EQ(query(logDb(), "SELECT strLName FROM Pilot"), (std::vector<avt::Row>{{"Keep"}}));
}

// Older tables and tables written by hand or by other tools: names in any
// case, quoted, over several lines, extra columns. Only missing columns
// are added, in declared order, and every stored row and column stays.
TEST_F(Schema, StoredTablesGetOnlyTheirMissingColumns) {
    const std::string strAC = m_lstLogSchema[0].second, strPilot = m_lstLogSchema[1].second;
    gchar* pszLower = g_ascii_strdown(strAC.c_str(), -1);
    const std::string strLower = std::string("CREATE TABLE aircraft (") + pszLower;
    g_free(pszLower);
    struct Case {
        const char* pszTable;
        std::string strCreate; // without the closing parenthesis
        const char* pszMissing;
    };
    const Case cases[] = {
        {"Pilot",
         "CREATE TABLE Pilot (" + strPilot.substr(0, strPilot.find(", bFRMonthEnd")) +
             ", bDelete BOOLEAN",
         "bFRMonthEnd BOOLEAN, strNotes TEXT"},
        {"Maintenance",
         "CREATE TABLE maintenance (IMAINTID INTEGER PRIMARY KEY, icompid INTEGER, strExtra TEXT, "
         "iType TEXT",
         "iACID INTEGER, tCompleted INTEGER, bFlags INTEGER, nCompHours INTEGER, nCompAge "
         "INTEGER, nDeferHours INTEGER, nDeferDays INTEGER, strNotes TEXT, bDelete BOOLEAN"},
        {"Aircraft", strLower + ", strExtra TEXT", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strCreate);
        fs::remove(logDb());
        exec(logDb(), c.strCreate + "); INSERT INTO " + c.pszTable + " (rowid) VALUES (7)");
        const int nBefore = schemaVersion(logDb());
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        const std::string strMissing = c.pszMissing;
        const auto nAdded =
            strMissing.empty() ? 0 : 1 + std::count(strMissing.begin(), strMissing.end(), ',');
        EXPECT_EQ(schemaVersion(logDb()), nBefore + nAdded + 4) << "three tables, one index";
        EXPECT_EQ(*query(logDb(), std::string("SELECT sql FROM sqlite_master WHERE name = '") +
                                      c.pszTable + "' COLLATE NOCASE")[0][0],
                  c.strCreate + (strMissing.empty() ? "" : ", " + strMissing) + ")");
        EXPECT_EQ(query(logDb(), std::string("SELECT rowid FROM ") + c.pszTable),
                  (std::vector<avt::Row>{{"7"}}));
    }
}

// Statements typed by hand: any white space, quoted names, types with
// parentheses and commas, more columns or longer names than are kept.
TEST_F(Schema, AStoredStatementIsParsedIntoItsColumns) {
    std::string strMany = "CREATE TABLE t (" + std::string(60, 'x') + " INTEGER";
    for (int i = 1; i < 150; ++i)
        strMany += ",c" + std::to_string(i);
    const std::pair<std::string, std::string> cases[] = {
        {"CREATE TABLE \"t\" (\n\t\"a\" INTEGER,\r\n [B]\tTEXT, `c` INT, d)", "a A b c d | e"},
        {"CREATE TABLE t (n NUMERIC(10,2) DEFAULT (0), m TEXT CHECK (m <> ','), o)",
         "n m o | 2 TEXT"},
        {"CREATE TABLE t", "| t"},
        {strMany + ")", "c1 c99 | c100 " + std::string(60, 'x')},
    };
    for (const auto& [strCreate, strCols] : cases) {
        sqlParseSCols(strCreate.c_str());
        std::istringstream in(strCols);
        bool bPresent = true;
        for (std::string str; in >> str;) {
            if (str == "|")
                bPresent = false;
            else
                EXPECT_EQ(sqlIsColExist(str.c_str()), bPresent) << str << " in " << strCreate;
        }
    }
}

// Runs sqlInitialize as an ordinary user (the superuser ignores
// permissions) in a child process; gives its error text, empty on success.
std::string initializeAsOrdinaryUser() {
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    if (pid_t pid = fork(); pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const std::string str = sqlInitialize() ? "" : sqlLastError();
        _exit(write(fds[1], str.data(), str.size()) == static_cast<ssize_t>(str.size()) ? 0 : 3);
    } else {
        close(fds[1]);
        std::string str;
        char buf[256];
        for (ssize_t nl; (nl = read(fds[0], buf, sizeof buf)) > 0;)
            str.append(buf, static_cast<std::size_t>(nl));
        close(fds[0]);
        int nStatus = 0;
        waitpid(pid, &nStatus, 0);
        return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0 ? str : "child failed";
    }
}

TEST_F(Schema, AnUnusableDataDirectoryIsReportedAndLeftAlone) {
    const std::string strNoOpen =
        "sqlInitialize():sqlite3_open(\"avLedger.db\")\nunable to open database file";
    using fs::perms;
    const perms rx = perms::all & ~(perms::group_write | perms::others_write);
    fs::permissions(m_dirs.root(), rx);
    fs::permissions(m_dirs.bin(), rx);
    fs::permissions(m_dirs.etc(), perms::owner_read | perms::owner_exec | perms::others_read |
                                      perms::others_exec);
    EXPECT_EQ(initializeAsOrdinaryUser(), strNoOpen) << "unwritable";
    EXPECT_TRUE(fs::is_empty(m_dirs.etc()));

    fs::permissions(m_dirs.etc(), perms::all);
    fs::remove_all(m_dirs.etc());
    EXPECT_FALSE(sqlInitialize());
    EXPECT_EQ(sqlLastError(), strNoOpen) << "missing";
    EXPECT_FALSE(fs::exists(m_dirs.etc()));

    rcdPilot pilot{};
    cbPilot cb{&pilot, nullptr};
    EXPECT_FALSE(sqlLoadPilotRecord(&cb, 1)) << "no database open: another error text";
    avt::writeFile(m_dirs.etc(), "not a directory");
    EXPECT_FALSE(sqlInitialize());
    EXPECT_EQ(sqlLastError(), strNoOpen) << "a plain file";
    EXPECT_EQ(avt::readFile(m_dirs.etc()), "not a directory");
}

} // namespace
