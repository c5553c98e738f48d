// Opening the two database files and bringing them up to the declared
// schema: fresh files, old files missing columns, files written by other
// tools, and files that are not databases at all.
#include "harness.h"
#include "sqlMLog.h"

#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using avt::exec;
using avt::query;

using ColList = std::vector<std::pair<std::string, std::string>>;
struct DeclaredTable {
    const char* pszName;
    ColList cols;
};

const std::vector<DeclaredTable> m_lstLogTables = {
    {"Aircraft",
     {{"iAircraftID", "INTEGER PRIMARY KEY"},
      {"tCreate", "INTEGER"},
      {"tAlter", "INTEGER"},
      {"strReg", "TEXT"},
      {"strModel", "TEXT"},
      {"strSerial", "TEXT"},
      {"strBuilder", "TEXT"},
      {"strOwner", "TEXT"},
      {"tManu", "INTEGER"},
      {"iOptHeli", "INTEGER"},
      {"iOptEngine", "INTEGER"},
      {"iOptClutch", "INTEGER"},
      {"iOptMRDrive", "INTEGER"},
      {"iOptMRotor", "INTEGER"},
      {"iOptMRSystem", "INTEGER"},
      {"iOptTRSlider", "INTEGER"},
      {"iOptTRDrive", "INTEGER"},
      {"iOptTR", "INTEGER"},
      {"bLogSinceNew", "BOOLEAN"},
      {"tLogStart", "INTEGER"},
      {"nLogHours", "INTEGER"},
      {"bModFlags", "INTEGER"},
      {"bOptFlags", "INTEGER"},
      {"strNotes", "TEXT"},
      {"bDelete", "INTEGER"}}},
    {"Pilot",
     {{"iPilotID", "INTEGER PRIMARY KEY"},
      {"tCreateTime", "INTEGER"},
      {"tAlterTime", "INTEGER"},
      {"strLName", "TEXT"},
      {"strFName", "TEXT"},
      {"strSortKey", "TEXT"},
      {"tLastMed", "INTEGER"},
      {"tNextMed", "INTEGER"},
      {"nMedInterval", "INTEGER"},
      {"bMedAuto", "BOOLEAN"},
      {"bMedMonthEnd", "BOOLEAN"},
      {"tLastFR", "INTEGER"},
      {"tNextFR", "INTEGER"},
      {"nFRInterval", "INTEGER"},
      {"bFRAuto", "BOOLEAN"},
      {"bFRMonthEnd", "BOOLEAN"},
      {"strNotes", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
    {"Flight",
     {{"iFltID", "INTEGER PRIMARY KEY"},
      {"iCSID", "INTEGER"},
      {"iPilotID", "INTEGER"},
      {"iStudentID", "INTEGER"},
      {"tFltBegin", "INTEGER"},
      {"tFltEnd", "INTEGER"},
      {"tEngStart", "INTEGER"},
      {"tEngStop", "INTEGER"},
      {"nElapsed", "INTEGER"},
      {"nFltType", "INTEGER"},
      {"nPosnMode", "INTEGER"},
      {"nFromLat", "DOUBLE"},
      {"nFromLong", "DOUBLE"},
      {"nToLat", "DOUBLE"},
      {"nToLong", "DOUBLE"},
      {"strFrom", "TEXT"},
      {"strTo", "TEXT"},
      {"strPaxList", "TEXT"},
      {"strNotes", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
    {"Maintenance",
     {{"iMaintID", "INTEGER PRIMARY KEY"},
      {"iCompID", "INTEGER"},
      {"iACID", "INTEGER"},
      {"iType", "INTEGER"},
      {"tCompleted", "INTEGER"},
      {"bFlags", "INTEGER"},
      {"nCompHours", "INTEGER"},
      {"nCompAge", "INTEGER"},
      {"nDeferHours", "INTEGER"},
      {"nDeferDays", "INTEGER"},
      {"strNotes", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
};

const std::vector<DeclaredTable> m_lstCCDTables = {
    {"Component",
     {{"iCompID", "INTEGER PRIMARY KEY"},
      {"iGroupID", "INTEGER"},
      {"strPartNmbr", "TEXT"},
      {"strPartDesc", "TEXT"},
      {"strDescNotes", "TEXT"},
      {"strPartRef", "TEXT"},
      {"nInspect", "INTEGER"},
      {"nRCO", "INTEGER"},
      {"iSNote1ID", "INTEGER"},
      {"iSNote2ID", "INTEGER"},
      {"iSNote3ID", "INTEGER"},
      {"bDelete", "BOOLEAN"},
      {"iSortOrder", "INTEGER"},
      {"bOptHeli", "INTEGER"},
      {"bOptEngine", "INTEGER"},
      {"bOptMainDrive", "INTEGER"},
      {"bOptMainRotor", "INTEGER"},
      {"bOptMRSystem", "INTEGER"},
      {"bOptClutch", "INTEGER"},
      {"bOptTRSlider", "INTEGER"},
      {"bOptTailDrive", "INTEGER"},
      {"bOptTailRotor", "INTEGER"}}},
    {"Reference",
     {{"iRefID", "INTEGER PRIMARY KEY"},
      {"iCompID", "INTEGER"},
      {"strDrawing", "TEXT"},
      {"nRotate", "INTEGER"},
      {"nTargetX", "INTEGER"},
      {"nTargetY", "INTEGER"},
      {"nTargetWidth", "INTEGER"},
      {"nTargetHeight", "INTEGER"},
      {"nTargetAngle", "INTEGER"},
      {"iTargetShape", "INTEGER"},
      {"bDelete", "BOOLEAN"}}},
    {"Target",
     {{"iTargetID", "INTEGER PRIMARY KEY"},
      {"iRefID", "INTEGER"},
      {"nX", "INTEGER"},
      {"nY", "INTEGER"},
      {"nWidth", "INTEGER"},
      {"nHeight", "INTEGER"},
      {"nLen", "INTEGER"},
      {"nAngle", "INTEGER"},
      {"iShape", "INTEGER"},
      {"nWeight", "INTEGER"},
      {"nColour", "INTEGER"},
      {"bDelete", "BOOLEAN"}}},
    {"ServiceNote",
     {{"iSNoteID", "INTEGER PRIMARY KEY"},
      {"strLabel", "TEXT"},
      {"strText", "TEXT"},
      {"bDelete", "BOOLEAN"}}},
};

ColList storedColumns(const fs::path& db, const std::string& strTable) {
    ColList cols;
    for (const auto& row : query(db, "PRAGMA table_info(" + strTable + ")"))
        cols.emplace_back(*row[1], row[2].value_or("") + (*row[5] == "1" ? " PRIMARY KEY" : ""));
    return cols;
}

std::vector<std::string> storedTables(const fs::path& db) {
    std::vector<std::string> names;
    for (const auto& row : query(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                     "name NOT LIKE 'sqlite_%' ORDER BY rowid"))
        names.push_back(*row[0]);
    return names;
}

int schemaVersion(const fs::path& db) {
    return std::stoi(*query(db, "PRAGMA schema_version")[0][0]);
}

std::string storedCreate(const fs::path& db, const char* pszTable) {
    auto rows = query(db, std::string("SELECT sql FROM sqlite_master WHERE name = '") + pszTable +
                              "' COLLATE NOCASE");
    return rows.empty() ? "" : *rows[0][0];
}

// Bytes that are certainly not a SQLite file.
std::string randomBytes() {
    std::mt19937 gen(20091231);
    std::string str(8192, '\0');
    for (auto& c : str)
        c = static_cast<char>(gen());
    return str;
}

class Schema : public testing::Test {
  protected:
    fs::path logDb() const { return m_dirs.etcFile("avLedger.db"); }
    fs::path ccdDb() const { return m_dirs.etcFile("avCCD.db"); }

    avt::TempDirs m_dirs;
};

TEST_F(Schema, FreshStartCreatesBothDatabasesWithTheDeclaredSchema) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    struct Case {
        fs::path db;
        const std::vector<DeclaredTable>* plstTables;
    };
    for (const auto& c : {Case{logDb(), &m_lstLogTables}, Case{ccdDb(), &m_lstCCDTables}}) {
        SCOPED_TRACE(c.db.filename().string());
        std::vector<std::string> expectedNames;
        for (const auto& tab : *c.plstTables) {
            expectedNames.push_back(tab.pszName);
            EXPECT_EQ(storedColumns(c.db, tab.pszName), tab.cols) << tab.pszName;
            // The type texts exactly as declared.
            std::string strCreate = std::string("CREATE TABLE ") + tab.pszName + " (";
            for (const auto& col : tab.cols)
                strCreate += col.first + " " + col.second + ", ";
            strCreate.resize(strCreate.size() - 2);
            EXPECT_EQ(storedCreate(c.db, tab.pszName), strCreate + ")");
        }
        EXPECT_EQ(storedTables(c.db), expectedNames);
    }
}

TEST_F(Schema, ASecondStartRunsNoSchemaStatement) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    exec(logDb(), "INSERT INTO Pilot (strLName) VALUES ('Keep')");
    const int nLog = schemaVersion(logDb()), nCCD = schemaVersion(ccdDb());
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_EQ(schemaVersion(logDb()), nLog);
    EXPECT_EQ(schemaVersion(ccdDb()), nCCD);
    EXPECT_EQ(query(logDb(), "SELECT strLName FROM Pilot").size(), 1u);
}

TEST_F(Schema, MissingColumnsAreAddedInDeclaredOrderAndRowsKept) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    // An older Pilot table: no bFRMonthEnd and no strNotes.
    exec(logDb(), "DROP TABLE Pilot; CREATE TABLE Pilot (iPilotID INTEGER PRIMARY KEY, "
                  "tCreateTime INTEGER, tAlterTime INTEGER, strLName TEXT, strFName TEXT, "
                  "strSortKey TEXT, tLastMed INTEGER, tNextMed INTEGER, nMedInterval INTEGER, "
                  "bMedAuto BOOLEAN, bMedMonthEnd BOOLEAN, tLastFR INTEGER, tNextFR INTEGER, "
                  "nFRInterval INTEGER, bFRAuto BOOLEAN, bDelete BOOLEAN); "
                  "INSERT INTO Pilot (iPilotID, strLName) VALUES (4, 'O''Neill')");
    const int nBefore = schemaVersion(logDb());
    const std::string strBefore = storedCreate(logDb(), "Pilot");

    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_EQ(schemaVersion(logDb()), nBefore + 2) << "exactly two statements";
    // Each ALTER TABLE appends its column to the stored statement, in order.
    EXPECT_EQ(storedCreate(logDb(), "Pilot"),
              strBefore.substr(0, strBefore.size() - 1) + ", bFRMonthEnd BOOLEAN, strNotes TEXT)");
    auto cols = storedColumns(logDb(), "Pilot");
    ASSERT_EQ(cols.size(), 18u);
    EXPECT_EQ(cols[16], (std::pair<std::string, std::string>{"bFRMonthEnd", "BOOLEAN"}));
    EXPECT_EQ(cols[17], (std::pair<std::string, std::string>{"strNotes", "TEXT"}));
    auto rows = query(logDb(), "SELECT iPilotID, strLName FROM Pilot");
    EXPECT_EQ(rows, (std::vector<avt::Row>{{"4", "O'Neill"}}));
}

// Tables written by hand or by other tools: names in any case, quoted,
// several lines, extra or retyped columns. None of them gets a statement.
TEST_F(Schema, StoredTablesAreRecognisedWhateverTheirSpelling) {
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    struct Case {
        const char* pszName;
        const char* pszCreate;
    };
    const Case cases[] = {
        {"small letters, capitals, extra and retyped columns",
         "CREATE TABLE aircraft (IAIRCRAFTID INTEGER PRIMARY KEY, tcreate INTEGER, tAlter INTEGER, "
         "STRREG TEXT, strModel INTEGER, strSerial TEXT, strBuilder TEXT, strOwner TEXT, tManu "
         "INTEGER, iOptHeli INTEGER, iOptEngine INTEGER, iOptClutch INTEGER, iOptMRDrive INTEGER, "
         "iOptMRotor INTEGER, iOptMRSystem INTEGER, iOptTRSlider INTEGER, iOptTRDrive INTEGER, "
         "iOptTR INTEGER, bLogSinceNew BOOLEAN, tLogStart INTEGER, nLogHours INTEGER, bModFlags "
         "INTEGER, bOptFlags INTEGER, strNotes TEXT, bDelete INTEGER, strExtra TEXT)"},
        {"several lines, tabs, quoted names, a type with a comma",
         "CREATE TABLE \"Aircraft\" (\n\t\"iAircraftID\" INTEGER PRIMARY KEY,\n\t[tCreate] "
         "INTEGER,\n\t`tAlter` INTEGER,\n\tstrReg VARCHAR(20, 2) DEFAULT ('x,y'),\n\tstrModel "
         "TEXT,\n\tstrSerial TEXT,\n\tstrBuilder TEXT,\n\tstrOwner TEXT,\n\ttManu INTEGER,\n\t"
         "iOptHeli INTEGER,\n\tiOptEngine INTEGER,\n\tiOptClutch INTEGER,\n\tiOptMRDrive "
         "INTEGER,\n\tiOptMRotor INTEGER,\n\tiOptMRSystem INTEGER,\n\tiOptTRSlider INTEGER,\n\t"
         "iOptTRDrive INTEGER,\n\tiOptTR INTEGER,\n\tbLogSinceNew BOOLEAN,\n\ttLogStart INTEGER,"
         "\n\tnLogHours INTEGER,\n\tbModFlags,\n\tbOptFlags INTEGER,\n\tstrNotes TEXT,\n\t"
         "bDelete\n)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        exec(logDb(), std::string("DROP TABLE Aircraft; ") + c.pszCreate +
                          "; INSERT INTO Aircraft (iAircraftID, strReg) VALUES (1, 'G-KEEP')");
        const int nBefore = schemaVersion(logDb());
        const std::string strCreate = storedCreate(logDb(), "Aircraft");
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        EXPECT_EQ(schemaVersion(logDb()), nBefore);
        EXPECT_EQ(storedCreate(logDb(), "Aircraft"), strCreate);
        EXPECT_EQ(query(logDb(), "SELECT strReg FROM Aircraft").size(), 1u);
    }
    auto cols = storedColumns(logDb(), "Aircraft");
    EXPECT_EQ(cols.back().first, "bDelete");
    EXPECT_EQ(storedTables(logDb()).size(), 4u);
}

TEST_F(Schema, AStoredTableInSmallLettersGetsOnlyItsMissingColumns) {
    exec(logDb(), "CREATE TABLE maintenance (IMAINTID INTEGER PRIMARY KEY, icompid INTEGER, "
                  "strExtra TEXT, iType TEXT); INSERT INTO maintenance VALUES (1, 2, 'kept', 'x')");
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    ColList expected = {{"IMAINTID", "INTEGER PRIMARY KEY"},
                        {"icompid", "INTEGER"},
                        {"strExtra", "TEXT"},
                        {"iType", "TEXT"}};
    for (const auto& col : m_lstLogTables[3].cols) {
        if (col.first != "iMaintID" && col.first != "iCompID" && col.first != "iType")
            expected.push_back(col);
    }
    EXPECT_EQ(storedColumns(logDb(), "Maintenance"), expected);
    EXPECT_EQ(storedTables(logDb()),
              (std::vector<std::string>{"maintenance", "Aircraft", "Pilot", "Flight"}));
    EXPECT_EQ(query(logDb(), "SELECT strExtra FROM Maintenance"),
              (std::vector<avt::Row>{{"kept"}}));
}

TEST_F(Schema, ParsingAStoredStatementFindsItsColumns) {
    struct Case {
        const char* pszCreate;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const Case cases[] = {
        {"CREATE TABLE t (a INTEGER PRIMARY KEY, B TEXT)", {"a", "A", "b"}, {"c", "INTEGER"}},
        {"CREATE TABLE t(a INTEGER,b TEXT,c)", {"a", "b", "c"}, {"TEXT"}},
        {"CREATE TABLE t (\n  a INTEGER,\r\n  b\tTEXT\n)", {"a", "b"}, {}},
        {"CREATE TABLE t (\"quoted name\" TEXT, [br] INT, `bt` INT)", {"br", "bt"}, {"quoted"}},
        {"CREATE TABLE t (n NUMERIC(10,2) DEFAULT (0), m TEXT CHECK (m <> ','))",
         {"n", "m"},
         {"2"}},
        {"CREATE TABLE t", {}, {"t"}},
        {"", {}, {"a"}},
        {"CREATE TABLE t (abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz0123 INTEGER)",
         {},
         {"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz0123"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCreate);
        sqlParseSCols(c.pszCreate);
        for (const char* psz : c.present)
            EXPECT_TRUE(sqlIsColExist(psz)) << psz;
        for (const char* psz : c.absent)
            EXPECT_FALSE(sqlIsColExist(psz)) << psz;
    }

    // A statement with more columns than the parser keeps does not overrun.
    std::string strMany = "CREATE TABLE t (";
    for (int i = 0; i < 150; ++i)
        strMany += "c" + std::to_string(i) + " INTEGER,";
    strMany += "z TEXT)";
    sqlParseSCols(strMany.c_str());
    EXPECT_TRUE(sqlIsColExist("c0"));
    EXPECT_TRUE(sqlIsColExist("c99"));
    EXPECT_FALSE(sqlIsColExist("c100"));
}

// ---- Files that cannot be used ----

TEST_F(Schema, AFileThatIsNotADatabaseIsReportedAndLeftAlone) {
    struct Case {
        const char* pszFile;
    };
    const std::string strJunk = randomBytes();
    for (const char* pszFile : {"avLedger.db", "avCCD.db"}) {
        SCOPED_TRACE(pszFile);
        fs::remove(logDb());
        fs::remove(ccdDb());
        avt::writeFile(m_dirs.etcFile(pszFile), strJunk);
        EXPECT_FALSE(sqlInitialize());
        EXPECT_EQ(std::string(sqlLastError()),
                  "sqlInitialize():sqlite3_exec(\"tables\")\nfile is not a database");
        EXPECT_EQ(avt::readFile(m_dirs.etcFile(pszFile)), strJunk);
    }
}

TEST_F(Schema, AMissingDataDirectoryIsReported) {
    fs::remove_all(m_dirs.etc());
    EXPECT_FALSE(sqlInitialize());
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlInitialize():sqlite3_open(\"avLedger.db\")\nunable to open database file");
    EXPECT_FALSE(fs::exists(m_dirs.etc()));

    // A plain file where the directory should be (after another failure,
    // so that the text below is not the one left from above).
    fs::create_directory(m_dirs.etc());
    avt::writeFile(logDb(), randomBytes());
    EXPECT_FALSE(sqlInitialize());
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlInitialize():sqlite3_exec(\"tables\")\nfile is not a database");
    fs::remove_all(m_dirs.etc());
    avt::writeFile(m_dirs.etc(), "not a directory");
    EXPECT_FALSE(sqlInitialize());
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlInitialize():sqlite3_open(\"avLedger.db\")\nunable to open database file");
    EXPECT_EQ(avt::readFile(m_dirs.etc()), "not a directory");
}

// Runs sqlInitialize as an ordinary user (the superuser ignores
// permissions) in a child process; gives its result and error text.
std::pair<bool, std::string> initializeAsOrdinaryUser() {
    int fds[2];
    if (pipe(fds) != 0)
        return {true, "pipe failed"};
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const bool bOK = sqlInitialize();
        std::string str = (bOK ? "1" : "0") + std::string(sqlLastError());
        ssize_t nl = write(fds[1], str.data(), str.size());
        _exit(nl == static_cast<ssize_t>(str.size()) ? 0 : 3);
    }
    close(fds[1]);
    std::string str;
    char buf[256];
    for (ssize_t nl; (nl = read(fds[0], buf, sizeof buf)) > 0;)
        str.append(buf, static_cast<std::size_t>(nl));
    close(fds[0]);
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    if (!WIFEXITED(nStatus) || WEXITSTATUS(nStatus) != 0 || str.empty())
        return {true, "child failed"};
    return {str[0] == '1', str.substr(1)};
}

TEST_F(Schema, AnUnwritableDataDirectoryIsReported) {
    using fs::perms;
    const perms rx = perms::owner_read | perms::owner_exec | perms::group_read | perms::group_exec |
                     perms::others_read | perms::others_exec;
    fs::permissions(m_dirs.root(), rx | perms::owner_write);
    fs::permissions(m_dirs.bin(), rx | perms::owner_write);
    fs::permissions(m_dirs.etc(), rx);
    auto [bOK, strError] = initializeAsOrdinaryUser();
    EXPECT_FALSE(bOK);
    EXPECT_EQ(strError,
              "sqlInitialize():sqlite3_open(\"avLedger.db\")\nunable to open database file");
    EXPECT_TRUE(fs::is_empty(m_dirs.etc()));
}

TEST_F(Schema, AFailedUpgradeStatementStopsAndKeepsWhatRan) {
    // A view where a table is expected: its name counts as present, and
    // adding columns to a view fails.
    exec(logDb(), "CREATE VIEW MAINTENANCE AS SELECT 1 AS one");
    EXPECT_FALSE(sqlInitialize());
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlBuildTables():sqlite3_exec(ALTER TABLE Maintenance ADD iMaintID INTEGER PRIMARY "
              "KEY;)\nCannot add a column to a view");
    EXPECT_EQ(storedTables(logDb()), (std::vector<std::string>{"Aircraft", "Pilot", "Flight"}));
    EXPECT_FALSE(fs::exists(ccdDb())) << "the catalogue is not opened after a failure";
}

} // namespace
