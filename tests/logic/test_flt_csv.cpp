// Flight CSV import and export on real log databases: reading files from
// other programs, the refusals a user sees with their line numbers, the
// import's all-or-nothing store, and an export that imports back unchanged.
#include "avFltCSV.h"
#include "test_comp_fixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace {

using avt::utc;

fcsvTable parsed(const std::string& strText) {
    fcsvTable table;
    std::string strWhy;
    EXPECT_TRUE(fcsvParseText(strText, &table, &strWhy)) << strText << strWhy;
    return table;
}

// Each refused row as "line: why".
std::vector<std::string> refusals(const fcsvPreview& prv) {
    std::vector<std::string> lst;
    for (const auto& r : prv.lstRefused)
        lst.push_back(std::to_string(r.nLine) + ": " + r.strWhy);
    return lst;
}

class FltCSV : public avct::CompTest {
  protected:
    // Logged from 150.0 hrs, built at a date unknown.
    guint addAircraft(const char* pszReg, time_t tManu = 0, time_t tLogStart = 0) {
        return CompTest::addAircraft({.tManu = tManu,
                                      .pszReg = pszReg,
                                      .bLogSinceNew = FALSE,
                                      .tLogStart = tLogStart,
                                      .nLogHours = 1500});
    }
    std::string sql(const std::string& strQuery) const {
        std::string str;
        for (const auto& row : avt::query(logDb(), strQuery)) {
            for (const auto& val : row)
                str += val.value_or("NULL") + (&val == &row.back() ? "\n" : "|");
        }
        return str;
    }
    // Matches the table's columns and judges it for the aircraft, made
    // active as the import dialog finds it.
    fcsvPreview preview(const fcsvTable& table, guint iACID, const fcsvChoice& choice = {}) {
        fcsvPreview prv;
        EXPECT_TRUE(acdLoadActiveAC(iACID));
        EXPECT_TRUE(fcsvBuildPreview(table, fcsvMatchColumns(table), choice, &prv));
        return prv;
    }
    fcsvPreview preview(const std::string& strText, guint iACID, const fcsvChoice& choice = {}) {
        return preview(parsed(strText), iACID, choice);
    }
    gboolean import(const fcsvPreview& prv, guint iACID, gboolean bAddPilots = FALSE) {
        std::string strBackup, strWhy;
        gboolean bOK = fcsvImport(prv, iACID, bAddPilots, &strBackup, &strWhy);
        m_strWhy = strWhy;
        EXPECT_TRUE(!bOK || avt::fs::exists(strBackup)) << "a backup copy before storing";
        return bOK;
    }
    std::string m_strWhy;
};

// The columns matched, by the names the import dialog gives them ("-": not
// imported).
TEST(FltCSVRead, HeaderVariantsAndDelimiters) {
    const std::tuple<const char*, char, const char*> cases[] = {
        {"Date,Take-off,Landing,Flight time,From,To,Pilot,Student,Passengers,Night,IFR,"
         "Cross-country,Dual,Remarks\n1",
         ',',
         "Date Take-off Landing Flight time From To Pilot Student Passengers Night IFR "
         "Cross-country Dual Remarks"},
        {"\xEF\xBB\xBF"
         "DATE;Departure;Destination;OUT;IN;Total;PIC;Notes\n1",
         ';', "Date From To Take-off Landing Flight time Pilot Remarks"},
        {"flight date\tduration\tpax\tx-c\tsolo\tcomments\taircraft\n1", '\t',
         "Date Flight time Passengers Cross-country Solo Remarks -"},
        // A column already taken, and solo beside dual, are not taken again.
        {"\"Date, UTC\";Date;Dual;Solo;Time off;Time on\n1", ';', "- Date Dual - Take-off Landing"},
        // A logbook's hour columns: hours are never names, and the dual
        // hours say dual even after a solo column.
        {"Date,AircraftID,TotalTime,PIC,SIC,Solo,Dual received,Night,Pilot\n"
         "1-May-2010,ZK-HBC,1.3,1.3,0,0,1.3,0,Anne\n2-May-2010,ZK-HBC,1.0,,,,,,",
         ',', "Date Registration Flight time - - - Dual Night Pilot"},
    };
    for (const auto& [pszText, cDelim, pszCols] : cases) {
        const fcsvTable table = parsed(pszText);
        std::string strCols;
        EXPECT_EQ(table.cDelim, cDelim) << pszText;
        for (fcsvCol_t nCol : fcsvMatchColumns(table))
            strCols += (strCols.empty() ? "" : " ") +
                       std::string(nCol == FCSV_COL_IGNORE ? "-" : fcsvColName(nCol));
        EXPECT_EQ(strCols, pszCols);
    }
}

TEST(FltCSVRead, QuotedFieldsAndLineNumbers) {
    const fcsvTable table = parsed("Date,Remarks\r\n"
                                   "1-May-2010, plain words \r\n"
                                   "\r\n"
                                   "2-May-2010,\"said \"\"hi\"\", then left,\nwent\"\r\n"
                                   "3-May-2010,\" kept \",extra\n"
                                   "4-May-2010");
    std::vector<std::pair<guint, std::vector<std::string>>> lstGot;
    for (const auto& row : table.lstRow)
        lstGot.push_back({row.nLine, row.lstField});
    EXPECT_EQ(lstGot, (std::vector<std::pair<guint, std::vector<std::string>>>{
                          {2, {"1-May-2010", "plain words"}},
                          {4, {"2-May-2010", "said \"hi\", then left,\nwent"}},
                          {6, {"3-May-2010", " kept ", "extra"}},
                          {7, {"4-May-2010"}}}));
}

// n rows of one field each.
std::string rows(std::size_t n) {
    std::string str;
    while (n--)
        str += "1\n";
    return str;
}

TEST_F(FltCSV, FilesThatAreNoFlightListAreRefusedWhole) {
    const std::string strBig = m_dirs->etcFile("big.csv");
    {
        // 100 MB without writing them: the size alone refuses it.
        avt::writeFile(strBig, "Date,Time\n");
        avt::fs::resize_file(strBig, 100u * 1024 * 1024);
    }
    const struct {
        std::string strText; // written to a file unless strPath is set
        std::string strPath;
        const char* pszWhy;
    } cases[] = {
        {"", "", "empty"},
        {"\xEF\xBB\xBF \r\n\n", "", "empty"},
        {"Date,Flight time\n\n", "", "no flights"},
        {std::string("Date\n1-May-2010\0\x01\x02", 19), "", "not text in UTF-8"},
        {"Date\n1-May-2010 \xFF\xFE\n", "", "not text in UTF-8"},
        {"Date,Remarks\n1-May-2010,ok\n2-May-2010,\"never closed\n3-May-2010,x\n", "",
         "begins on line 3 never ends"},
        {"", strBig, "100 MB"},
        {"Date" + std::string(100000, ',') + "\n1-May-2010\n", "", "more than 64 columns"},
        {"Date\n" + std::string(200000, '\n') + rows(FCSV_ROWS_MAX + 1), "",
         "more than 100000 rows"},
        {"", m_dirs->etcFile("missing.csv"), "cannot be read"},
    };
    parsed("Date\n" + rows(FCSV_ROWS_MAX)); // the most rows taken
    for (const auto& c : cases) {
        std::string strPath = c.strPath;
        if (strPath.empty()) {
            strPath = m_dirs->etcFile("in.csv");
            avt::writeFile(strPath, c.strText);
        }
        fcsvTable table;
        std::string strWhy;
        EXPECT_FALSE(fcsvReadFile(strPath.c_str(), &table, &strWhy)) << c.pszWhy;
        EXPECT_TRUE(avt::contains(strWhy, c.pszWhy));
    }
}

// One row per way a row can be refused, between rows that are stored.
TEST_F(FltCSV, EachRefusalWithItsLineAndTheRestStored) {
    guint iACID = addAircraft("ZK-HBC");
    addFlights(iACID, {{utc(2010, 5, 3, 9), 10}});
    addFlights(addAircraft("ZK-OTH"), {{utc(2010, 5, 4, 9), 10}});
    fcsvPreview prv = preview("Date,Take-off,Landing,Flight time,To\n"
                              "1-May-2010,10:00,11:00,,Taupo\n"       // 2 stored
                              "yesterday,10:00,11:00,1.0,\n"          // 3
                              "31/02/2010,10:00,,1.0,\n"              // 4
                              "2-May-2010,10:00,,-1.0,\n"             // 5
                              "2-May-2010,10:00,,,\n"                 // 6
                              "2-May-2010,14:00,13:00,,\n"            // 7
                              "3-May-2010,09:00,,1.2,\n"              // 8
                              "4-May-2010,09:00,,1.2,other's start\n" // 9 stored
                              "5-May-2010,25:00,,1.0,\n"              // 10
                              "5-May-2010,10:00,,30.0,\n"             // 11
                              "5-May-2010,10:00,,1.0," +
                                  std::string(100, 'x') +
                                  "\n"                         // 12
                                  "5-May-2010,20:00,08:01,,\n" // 13: 12 hours and a minute
                                  "5-May-2010,23:40,00:25,,Overnight\n",
                              iACID); // 14 stored
    EXPECT_EQ(refusals(prv),
              (std::vector<std::string>{
                  "3: unreadable date \"yesterday\"", "4: unreadable date \"31/02/2010\"",
                  "5: negative flight time \"-1.0\"", "6: missing flight time",
                  "7: landing before take-off",
                  "8: a flight of this aircraft is already logged at this start",
                  "10: unreadable take-off time \"25:00\"",
                  "11: flight time longer than 24 hours \"30.0\"",
                  "12: destination longer than 99 bytes", "13: landing before take-off"}));
    ASSERT_TRUE(import(prv, iACID)) << m_strWhy;
    EXPECT_EQ(sql("SELECT tFltBegin - " + std::to_string(utc(2010, 5, 1)) +
                  ", tFltEnd - tFltBegin, nElapsed, strTo FROM Flight WHERE iCSID = " +
                  std::to_string(iACID) + " ORDER BY tFltBegin"),
              "36000|3600|10|Taupo\n205200|3600|10|\n291600|4320|12|other's start\n"
              "430800|2700|8|Overnight\n");
}

// Files in the shapes pilots' logbooks and spreadsheets export: what is
// asked, left out, refused and stored for the active aircraft.
TEST_F(FltCSV, LogbookExportsAsTheyCome) {
    const time_t tBuilt = utc(2021, 1, 1);
    const struct {
        const char* pszFile; // under tests/data/import
        const char* pszReg;  // of the active aircraft
        time_t tManu, tLogStart;
        fcsvChoice choice;
        const char* pszProblem;
        std::vector<std::string> lstRefused; // "line: why"
        guint nOtherReg;
        std::vector<std::string> lstUnknownPilot;
        const char* pszStored; // start|tenths|type bits of each flight stored
    } cases[] = {
        // clang-format off
        // A title block and an aircraft table above the flights; rows of
        // other aircraft, hour columns, a second decimal rounded.
        {"logbook_export.csv", "ZK-HBC", tBuilt, 0, {}, "", {"15: no registration"}, 2, {},
         "2021-07-01 10:00:00|13|1\n2021-07-02 09:00:00|13|2\n2021-07-04 00:00:00|8|0\n"},
        {"logbook_export.csv", "ZK-XYZ", 0, 0, {},
         "No row of the file is for ZK-XYZ: choose which registration in the file is this aircraft.",
         {}, 0, {}, ""},
        {"logbook_export.csv", "ZK-XYZ", 0, 0, {FCSV_DATES_ASK, "zk hbc"}, "", {"15: no registration"}, 2, {},
         "2021-07-01 10:00:00|13|1\n2021-07-02 09:00:00|13|2\n2021-07-04 00:00:00|8|0\n"},
        {"hour_columns.csv", "ZK-HBC", 0, 0, {}, "", {}, 0, {"Anne Smith"},
         "2021-08-01 00:00:00|13|0\n2021-08-02 00:00:00|10|0\n2021-08-03 00:00:00|9|2\n"},
        {"ambiguous_dates.csv", "ZK-HBC", 0, 0, {},
         "The dates can be read day before month (02-Mar-2025, 05-Apr-2025) or month before day "
         "(03-Feb-2025, 04-May-2025): choose how they are written.", {}, 0, {}, ""},
        {"ambiguous_dates.csv", "ZK-HBC", 0, 0, {FCSV_DATES_MONTH_FIRST, ""}, "", {}, 0, {},
         "2025-02-03 00:00:00|10|0\n2025-05-04 00:00:00|10|0\n"},
        {"ambiguous_dates.csv", "ZK-HBC", 0, 0, {FCSV_DATES_DAY_FIRST, ""}, "", {}, 0, {},
         "2025-03-02 00:00:00|10|0\n2025-04-05 00:00:00|10|0\n"},
        {"month_first_dates.csv", "ZK-HBC", 0, 0, {}, "", {}, 0, {},
         "2025-02-03 00:00:00|10|0\n2025-02-13 00:00:00|10|0\n"},
        {"decimal_times.csv", "ZK-HBC", 0, 0, {}, "", {}, 0, {},
         "2025-03-01 00:00:00|13|0\n2025-03-02 00:00:00|10|0\n2025-03-03 00:00:00|13|0\n"
         "2025-03-04 00:00:00|10|0\n2025-03-05 00:00:00|12|0\n"},
        {"yes_no_words.csv", "ZK-HBC", 0, 0, {}, "",
         {"3: Night \"nein\" is neither yes nor no", "5: IFR \"ja\" is neither yes nor no"}, 0, {},
         "2025-03-01 00:00:00|10|2\n2025-03-03 00:00:00|10|3\n"},
        {"extra_fields.csv", "ZK-HBC", 0, 0, {}, "",
         {"3: more fields than the header has columns (a delimiter in a text without quotes?)"}, 0, {},
         "2025-03-01 00:00:00|10|0\n2025-03-03 00:00:00|10|0\n2025-03-04 00:00:00|10|0\n"},
        {"duplicates.csv", "ZK-HBC", 0, 0, {}, "",
         {"4: the same start as the flight on line 2", "7: the same start as the flight on line 5"}, 0, {},
         "2025-03-01 10:00:00|10|0\n2025-03-01 14:00:00|2|0\n2025-03-02 00:00:00|5|0\n"
         "2025-03-02 00:00:00|12|0\n2025-03-03 00:00:00|15|256\n"},
        {"start_dates.csv", "ZK-HBC", tBuilt, utc(2022, 1, 1), {}, "",
         {"2: This date is before the aircraft was built",
          "3: This date is before the aircraft's log start, whose hours already hold the "
          "flights before it"}, 0, {}, "2022-01-01 00:00:00|10|0\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFile);
        const guint iACID = addAircraft(c.pszReg, c.tManu, c.tLogStart);
        const auto file = avt::sourceFile("tests/data/import") / c.pszFile;
        fcsvTable table;
        std::string strWhy;
        ASSERT_TRUE(fcsvReadFile(file.c_str(), &table, &strWhy)) << strWhy;
        const fcsvPreview prv = preview(table, iACID, c.choice);
        EXPECT_EQ(prv.strProblem, c.pszProblem);
        EXPECT_EQ(refusals(prv), c.lstRefused);
        EXPECT_EQ(prv.nOtherReg, c.nOtherReg);
        EXPECT_EQ(prv.lstUnknownPilot, c.lstUnknownPilot);
        EXPECT_TRUE(prv.lstFlight.empty() || import(prv, iACID)) << m_strWhy;
        EXPECT_EQ(sql("SELECT datetime(tFltBegin, 'unixepoch'), nElapsed, nFltType FROM Flight "
                      "WHERE iCSID = " +
                      std::to_string(iACID) + " ORDER BY tFltBegin"),
                  c.pszStored);
    }
}

// Flight time and clock times in the forms logbooks write them, and what
// the record gets when some are missing.
TEST_F(FltCSV, TimesAsTheFlightPageKeepsThem) {
    guint iACID = addAircraft("ZK-HBC");
    const struct {
        const char *pszOff, *pszOn, *pszTime;
        time_t tBegin, tEnd;
        guint nElapsed;
    } cases[] = {
        {"10:00", "", "1.3", 36000, 36000 + 13 * 360, 13},
        {"", "", "0.5", 36000, 36000 + 5 * 360, 5},         // "2010-05-02T10:00"
        {"10:00", "", "1:18", 36000, 36000 + 13 * 360, 13}, // 78 min
        {"1000", "", "1:20", 36000, 36000 + 13 * 360, 13},  // 80 min: 3 min rounds up
        {"10.00", "", "1:21", 36000, 36000 + 14 * 360, 14}, // 81 min
        {"10:00:15", "11:26:15", "", 36015, 41175, 14},     // 86 min
        {"10:00", "11:27", "", 36000, 41220, 15},           // 87 min
        {"10:00", "11:00", "1.5 h", 36000, 39600, 15},      // the time column wins
        {"", "", "2,5", 0, 25 * 360, 25},                   // a bare duration
        {"", "", "0", 0, 0, 0},
        {"20:00", "08:00", "", 72000, 115200, 120}, // lands next day, at most 12 hours later
    };
    std::string strText = "Date,Take-off,Landing,Flight time\n";
    // Row i on (i + 1)-May, in the forms the program reads dates in.
    const char* lstDay[] = {"2010-05-%02d", "%02d/05/2010", "May %d, 2010"};
    for (const auto& c : cases) {
        const int i = int(&c - cases);
        g_autofree gchar* pszDay = g_strdup_printf(lstDay[i % std::size(lstDay)], i + 1);
        strText += std::string("\"") + (i == 1 ? "2010-05-02T10:00" : pszDay) + "\"," + c.pszOff +
                   "," + c.pszOn + ",\"" + c.pszTime + "\"\n";
    }
    fcsvPreview prv = preview(strText, iACID, {FCSV_DATES_DAY_FIRST, ""});
    ASSERT_EQ(prv.lstFlight.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const fcsvFlight& f = prv.lstFlight[i];
        const time_t tDay = utc(2010, 5, int(i) + 1);
        EXPECT_EQ(std::make_tuple(f.tFltBegin - tDay, f.tFltEnd - (f.tFltEnd > 360000 ? tDay : 0),
                                  f.nElapsed),
                  std::make_tuple(c.tBegin, c.tEnd, c.nElapsed))
            << c.pszOff << " " << c.pszOn << " " << c.pszTime;
    }
}

TEST_F(FltCSV, PilotsMatchedByNameAndAddedOnlyWhenAsked) {
    guint iACID = addAircraft("ZK-HBC");
    avt::exec(logDb(), "INSERT INTO Pilot (strFName, strLName, strSortKey, bDelete) VALUES "
                       "('Anne', 'Smith', 'SMITHANNE', 0), ('José', 'Núñez-Pérez', 'NEZJOS', 0)");
    const std::string strText = "Date,Time,Pilot,Student,Dual/Solo\n"
                                "1-May-2010,1.0,anne  SMITH,,solo\n"
                                "2-May-2010,1.0,\"Núñez Pérez, José\",Bob Brown,dual\n"
                                "3-May-2010,1.0,Bob Brown,,\n"
                                "4-May-2010,1.0,Åsa,,\n"
                                "5-May-2010,1.0,1.3,,\n"
                                "6-May-2010,1.0," +
                                std::string(100, 'z') + ",,\n";
    const std::string strQuery = "SELECT IFNULL(p.strFName || ' ' || p.strLName, '-'), "
                                 "IFNULL(s.strLName, '-'), f.nFltType FROM Flight f LEFT JOIN "
                                 "Pilot p ON p.iPilotID = f.iPilotID LEFT JOIN Pilot s ON "
                                 "s.iPilotID = f.iStudentID ORDER BY f.tFltBegin";
    for (gboolean bAdd : {0, 1}) {
        fcsvPreview prv = preview(strText, iACID);
        EXPECT_EQ(prv.lstUnknownPilot, (std::vector<std::string>{"Bob Brown", "Åsa"}));
        EXPECT_EQ(refusals(prv), (std::vector<std::string>{"6: pilot \"1.3\" is not a name",
                                                           "7: pilot name longer than 99 bytes"}));
        ASSERT_TRUE(import(prv, iACID, bAdd)) << m_strWhy;
        EXPECT_EQ(sql(strQuery),
                  bAdd ? "Anne Smith|-|0\nJosé Núñez-Pérez|Brown|1\nBob Brown|-|0\n Åsa|-|0\n"
                       : "Anne Smith|-|0\nJosé Núñez-Pérez|-|1\n-|-|0\n-|-|0\n");
        EXPECT_EQ(sql("SELECT COUNT(*) FROM Pilot"), bAdd ? "4\n" : "2\n");
        // Sort keys as the pilot page makes them, accented letters kept.
        EXPECT_EQ(sql("SELECT GROUP_CONCAT(strSortKey, ' ') FROM Pilot WHERE iPilotID > 2"),
                  bAdd ? "BROWNBOB ÅSA\n" : "NULL\n");
        // The export names the pilots as the pilot list reads them.
        std::string strExport;
        ASSERT_TRUE(fcsvExportText(iACID, &strExport));
        if (bAdd) {
            EXPECT_EQ(strExport,
                      "Date,Take-off,Landing,Flight time,From,To,Pilot,Student,Passengers,"
                      "Night,IFR,Cross-country,Dual,Remarks\r\n"
                      "01-May-2010,,,1.0,,,Anne Smith,,,no,no,no,no,\r\n"
                      "02-May-2010,,,1.0,,,José Núñez-Pérez,Bob Brown,,no,no,no,yes,\r\n"
                      "03-May-2010,,,1.0,,,Bob Brown,,,no,no,no,no,\r\n"
                      "04-May-2010,,,1.0,,,Åsa,,,no,no,no,no,\r\n");
        }
        avt::exec(logDb(), "DELETE FROM Flight");
    }
}

// Damaged files (stray quotes and delimiters, cut lines, bytes of any
// value): never a crash, and every row is either stored or refused, under
// a line the file has.
TEST_F(FltCSV, DamagedFilesKeepEveryRowAccountedFor) {
    ASSERT_TRUE(acdLoadActiveAC(addAircraft("ZK-HBC")));
    const std::string strGood = "Date;Take-off;Landing;Time;To;Remarks\n"
                                "1-May-2010;10:00;11:00;1.0;Taupo;\"a; \"\"b\"\"\nc\"\n"
                                "2010-05-02;09:00;;1:30;Zürich;plain\n"
                                "03/05/2010;23:40;00:25;;Napier;\n";
    const std::string strBits = "\";,\t\n\r:-/0 9\xC3\xBC\xFF";
    std::mt19937 rng(20100501);
    int nRead = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string str = strGood;
        for (int n = rng() % 4 + 1; n > 0; --n) {
            std::size_t at = rng() % str.size();
            char c = i % 5 ? strBits[rng() % strBits.size()] : char(rng());
            if (rng() % 2)
                str.insert(at, 1, c);
            else
                str[at] = c;
        }
        fcsvTable table;
        fcsvPreview prv;
        std::string strWhy;
        if (!fcsvParseText(str, &table, &strWhy))
            continue;
        ++nRead;
        ASSERT_TRUE(
            fcsvBuildPreview(table, fcsvMatchColumns(table), {FCSV_DATES_DAY_FIRST, ""}, &prv));
        const guint nLines = guint(std::count(str.begin(), str.end(), '\n') +
                                   std::count(str.begin(), str.end(), '\r') + 1);
        std::size_t nAccounted = prv.lstRefused.size();
        for (const auto& f : prv.lstFlight)
            nAccounted += f.nLine >= 2 && f.nLine <= nLines;
        for (const auto& r : prv.lstRefused)
            EXPECT_TRUE(r.nLine >= 2 && r.nLine <= nLines) << r.nLine << " in " << str;
        EXPECT_EQ(nAccounted, prv.strProblem.empty() ? table.lstRow.size() : 0u) << str;
    }
    EXPECT_GT(nRead, 1000) << "most damaged files still read";
}

// The benchmarks' 5,000-flight log, exported and imported into a fresh
// aircraft: the same flights and texts, so the same hours at every date.
TEST_F(FltCSV, ExportImportsBackUnchanged) {
    guint iACID = addAircraft("ZK-BEN"), iFresh = addAircraft("ZK-NEW");
    std::mt19937 rng(5000);
    std::uniform_int_distribution<int> secondsDist(0, 20 * 365 * 86400);
    std::uniform_int_distribution<int> elapsedDist(3, 25);
    std::ostringstream ssSql;
    ssSql << "BEGIN;";
    // Texts a spreadsheet would run as formulas come back as they were.
    const char* lstText[] = {"Home",
                             "Away",
                             "O'Neill's, \"the\" field",
                             "Zürich\nline two",
                             " spaced ",
                             "",
                             "=HYPERLINK(\"x\")",
                             "-oil, +filter",
                             "@home",
                             "'=already quoted"};
    for (int i = 0; i < 5000; ++i) {
        time_t tBegin = 1104537600 + secondsDist(rng);
        int nElapsed = elapsedDist(rng);
        const char* pszText = lstText[i % std::size(lstText)];
        char* pszRow = sqlite3_mprintf(
            "INSERT INTO Flight (iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, nElapsed, "
            "nFltType, strFrom, strTo, strPaxList, strNotes, bDelete) VALUES "
            "(%u,0,0,%lld,%lld,%d,%d,'Home',%Q,%Q,%Q,0);",
            iACID, (long long)tBegin, (long long)(tBegin + nElapsed * 360), nElapsed, i % 16,
            pszText, pszText, pszText);
        ssSql << pszRow;
        sqlite3_free(pszRow);
    }
    ssSql << "COMMIT;";
    avt::exec(logDb(), ssSql.str());

    std::string strExport, strAgain, strWhy;
    const std::string strPath = m_dirs->etcFile("out.csv");
    ASSERT_TRUE(fcsvExportFile(iACID, strPath.c_str(), &strWhy)) << strWhy;
    EXPECT_FALSE(fcsvExportFile(iACID, logDb().c_str(), &strWhy)) << "never over the log itself";
    const std::string strNoDir = m_dirs->etcFile("nodir/out.csv");
    EXPECT_FALSE(fcsvExportFile(iACID, strNoDir.c_str(), &strWhy));
    EXPECT_EQ(strWhy.rfind(strNoDir + "\n", 0), 0u) << "names the file first, as a report does";
    ASSERT_TRUE(fcsvExportText(iACID, &strExport));
    EXPECT_EQ(avt::readFile(strPath), strExport);
    for (const char* pszCell : {",\"'=HYPERLINK(\"\"x\"\")\",", ",\"'-oil, +filter\",", ",'@home,",
                                ",''=already quoted,"})
        EXPECT_TRUE(avt::contains(strExport, pszCell)) << pszCell << " shown as text";
    fcsvPreview prv = preview(strExport, iFresh);
    EXPECT_EQ(refusals(prv), std::vector<std::string>{});
    ASSERT_TRUE(import(prv, iFresh)) << m_strWhy;
    ASSERT_TRUE(fcsvExportText(iFresh, &strAgain));
    EXPECT_EQ(strAgain, strExport);
    const std::string strCols = "tFltBegin, tFltEnd, nElapsed, nFltType, strFrom, strTo, "
                                "strPaxList, strNotes, iPilotID FROM Flight WHERE iCSID = ";
    EXPECT_EQ(sql("SELECT " + strCols + std::to_string(iFresh) + " ORDER BY tFltBegin"),
              sql("SELECT " + strCols + std::to_string(iACID) + " ORDER BY tFltBegin"));
}

} // namespace
