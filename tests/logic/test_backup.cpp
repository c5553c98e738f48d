// Copies of the databases: made when the file changed since the newest
// copy, the newest ten kept, failures only logged.
#include "avFltCSV.h"
#include "harness.h"
#include "sqlMLog.h"

#include <regex>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> copies(const avt::TempDirs& dirs, const char* pszName) {
    std::vector<std::string> lst;
    for (const auto& entry : fs::directory_iterator(dirs.etc() / "backup")) {
        const std::string strFile = entry.path().filename().string();
        if (strFile.rfind(pszName, 0) == 0)
            lst.push_back(strFile);
    }
    std::sort(lst.begin(), lst.end());
    return lst;
}

TEST(Backup, ACopyWhenChangedTheNewestTenKept) {
    avt::TempDirs dirs;
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    const fs::path dir = dirs.etc() / "backup", db = dirs.etcFile("avLedger.db");
    avt::exec(db, "INSERT INTO Pilot (strLName) VALUES ('Ann')");
    sqlBackUp();
    sqlBackUp(); // nothing changed: no second copy
    auto lstLog = copies(dirs, "avLedger");
    ASSERT_EQ(lstLog.size(), 1u);
    EXPECT_TRUE(std::regex_match(lstLog[0], std::regex(R"(avLedger-\d{8}-\d{6}\.db)")));
    EXPECT_EQ(avt::query(dir / lstLog[0], "SELECT strLName FROM Pilot"),
              (std::vector<avt::Row>{{"Ann"}}));
    EXPECT_EQ(copies(dirs, "avCCD").size(), 1u) << "the catalogue likewise";

    // Eleven older copies (the real one renamed among them), then a change.
    fs::rename(dir / lstLog[0], dir / "avLedger-20200101-000011.db");
    for (int i = 0; i < 11; ++i)
        avt::writeFile(dir / ("avLedger-20200101-0000" + std::string(i < 10 ? "0" : "") +
                              std::to_string(i) + ".db"),
                       "old copy");
    sqlBackUp();
    EXPECT_EQ(copies(dirs, "avLedger").size(), 11u + 1) << "no change since the newest copy";
    avt::exec(db, "UPDATE Pilot SET strLName = 'Bo'");
    sqlBackUp();
    lstLog = copies(dirs, "avLedger");
    ASSERT_EQ(lstLog.size(), 10u);
    EXPECT_EQ(lstLog[0], "avLedger-20200101-000003.db");
    EXPECT_EQ(avt::query(dir / lstLog.back(), "SELECT strLName FROM Pilot"),
              (std::vector<avt::Row>{{"Bo"}}));
    EXPECT_EQ(copies(dirs, "avCCD").size(), 1u);

    // No place for copies: logged, and the program goes on.
    fs::remove_all(dir);
    avt::writeFile(dir, "in the way");
    sqlBackUp();
    EXPECT_TRUE(avt::contains(avt::readFile(dirs.etcFile("avLedger.log")), "bkpBackUp()"));
    EXPECT_EQ(avt::readFile(dir), "in the way");
    sqlClose();
}

// Before an import: a copy of the log exactly as it is now, or none named
// at all; an older copy lacks what was logged since.
TEST(Backup, BeforeAnImportOnlyAFreshCopyIsNamed) {
    avt::TempDirs dirs;
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    const fs::path dir = dirs.etc() / "backup", db = dirs.etcFile("avLedger.db");
    const struct {
        const char* pszName;   // the pilot's name in the log now
        bool bBlockCopy;       // a copy cannot be written
        const char* pszInCopy; // what the named copy holds; "" for none named
        std::size_t nCopies;
    } cases[] = {
        {"Ann", false, "Ann", 2}, // changed within the second of the copy before
        {"Ann", false, "Ann", 2}, // unchanged: the newest copy is named
        {"Bo", true, "", 2},      // no room: refused, the older copy not named
        {"Bo", false, "Bo", 3},
    };
    sqlBackUp();
    for (const auto& c : cases) {
        avt::exec(db, std::string("DELETE FROM Pilot; INSERT INTO Pilot (strLName) VALUES ('") +
                          c.pszName + "')");
        if (c.bBlockCopy) {
            fs::create_directories(dir / "avLedger.tmp");
            avt::writeFile(dir / "avLedger.tmp" / "in the way", "x");
        }
        std::string strCopy = "unset", strWhy;
        EXPECT_EQ(fcsvBackupLog(&strCopy, &strWhy), c.pszInCopy[0] != 0) << strWhy;
        if (c.pszInCopy[0])
            EXPECT_EQ(avt::query(strCopy, "SELECT strLName FROM Pilot"),
                      (std::vector<avt::Row>{{c.pszInCopy}}));
        else
            EXPECT_EQ(strCopy, "") << "no copy named";
        EXPECT_EQ(copies(dirs, "avLedger-").size(), c.nCopies) << c.pszName;
        fs::remove_all(dir / "avLedger.tmp");
    }
    EXPECT_TRUE(avt::contains(avt::readFile(dirs.etcFile("avLedger.log")), "bkpBackUp()"));
    sqlClose();
}

} // namespace
