// Record load and update on real SQLite files: every record type round-trips
// with awkward texts, new records get their row ID, load-all queries filter
// and order, odd stored values read sensibly, failures say what went wrong.
#include "avMisc.h"
#include "harness.h"
#include "sqlMLog.h"

#include <cstring>
#include <functional>
#include <sqlite3.h>

namespace {

using avt::exec;
using avt::query;

// Every load by ID, with no function in the block (a temporary lives
// to the end of the call).
template <class T> T* P(T&& t) {
    return &t;
}
struct ByID {
    static gboolean get(rcdAC* p, guint i) { return sqlLoadAircraftRecord(P(cbAC{p, 0}), i); }
    static gboolean get(rcdPilot* p, guint i) { return sqlLoadPilotRecord(P(cbPilot{p, 0}), i); }
    static gboolean get(rcdFLog* p, guint i) { return sqlLoadFLogRecord(P(cbFLog{p, 0}), i, 0); }
    static gboolean get(rcdMaint* p, guint i) { return sqlLoadMaintRecord(p, i); }
    static gboolean get(rcdComp* p, guint i) { return sqlLoadCompCard(P(cbComp{p, 0, 0}), i, 0); }
    static gboolean get(rcdRef* p, guint i) { return sqlLoadRefRecord(P(cbRef{p, 0}), i); }
    static gboolean get(rcdTarget* p, guint i) { return sqlLoadTargetRecord(P(cbTarget{p, 0}), i); }
    static gboolean get(rcdSNote* p, guint i) { return sqlLoadSNoteRecord(P(cbSNote{p, 0}), i); }
};

// A record loaded by ID into memory filled with nFill first.
template <class Rec> Rec loaded(guint iID, int nFill = 0) {
    Rec r;
    memset(&r, nFill, sizeof r);
    EXPECT_TRUE(ByID::get(&r, iID)) << sqlLastError();
    return r;
}

// Quotes, SQL and printf specials: stored exactly as typed.
const char m_szText[] = "'\"%s %Q %n 50%;--";

// The same text in every field; the update pass numbers them apart.
template <class... Fields> void setTexts(const char* psz, guint n, Fields&... fields) {
    int i = 0;
    (mscCopyText(fields, (psz + (n ? std::to_string(i++) : "")).c_str()), ...);
}

// Every stored field gets a value of its own; n varies the numbers.
void fill(rcdAC& r, const char* t, guint n) {
    setTexts(t, n, r.szReg, r.szModel, r.szSerial, r.szBuilder, r.szOwner, r.szNotes);
    r.tManu = 2240000000 + n, r.iHeliOpt = -1, r.iEngineOpt = 2, r.iMainDriveOpt = 3 + 10 * n;
    r.iMainRotorOpt = 4, r.iMRSystemOpt = 5, r.iClutchOpt = 6, r.iTRSliderOpt = 7;
    r.iTailDriveOpt = 8, r.iTailRotorOpt = 2147483647, r.bLogSinceNew = TRUE, r.tLogStart = -1;
    r.nLogHours = 4294967295u - n;
}
void fill(rcdPilot& r, const char* t, guint n) {
    setTexts(t, n, r.szLName, r.szFName, r.szSortKey, r.szNotes);
    r.tLastMed = 1271635200, r.tNextMed = 2240000000, r.nMedIntv = 0x80000018u + n;
    r.bMedAuto = TRUE, r.tLastFR = -1, r.nFRIntv = 4294967295u, r.bFRMonthEnd = TRUE;
    r.bDelete = n, r.bMedMonthEnd = FALSE, r.tNextFR = 0, r.bFRAuto = FALSE;
}
void fill(rcdFLog& r, const char* t, guint n) {
    setTexts(t, n, r.szFrom, r.szTo, r.szNotes, r.szPaxList);
    r.iCSID = 7, r.iPilotID = 8, r.iStudentID = 4294967295u, r.tFltBegin = 2240000000;
    r.tFltEnd = 2240003600, r.nElapsed = 10 + n, r.nType = 3, r.bDelete = n;
}
void fill(rcdMaint& r, const char* t, guint n) {
    setTexts(t, n, r.szNotes);
    r.iCompID = 42, r.iType = 3, r.bFlags = 0xA5, r.tComplete = 2240000000 - n;
    r.nCompHours = 1234, r.nCompAge = 4294967295u, r.nDeferHours = 50, r.nDeferDays = 30 + n;
}
void fill(rcdComp& r, const char* t, guint n) {
    setTexts(t, n, r.szPartNmbr, r.szPartDesc, r.szPartRef, r.szDescNotes);
    r.iGroupID = 23, r.iGroupLevel = n, r.iSNote1ID = 1, r.iSNote2ID = 2, r.iSNote3ID = 3;
    r.nInspIntv = 0x80000064u, r.nRCOIntv = 4294967295u, r.iSortOrder = 9 + n, r.bOptHeli = 11;
    r.bOptEng = 12, r.bOptMainDrive = 13, r.bOptMainRotor = 14, r.bOptMRSystem = 15;
    r.bOptClutch = 16, r.bOptTRSlider = 17, r.bOptTailDrive = 18, r.bOptTailRotor = 0xFFFFFFFEu;
}
void fill(rcdRef& r, const char* t, guint n) {
    setTexts(t, n, r.szDrawing);
    r.iCompID = 77, r.nRotate = 270 - 180 * n;
}
void fill(rcdTarget& r, const char*, guint n) {
    r.iRefID = 5, r.nX = 100, r.nY = 200, r.nWidth = 30, r.nHeight = 40, r.nLen = 55;
    r.nAngle = 359, r.iShape = REF_TGT_ARROW - n, r.nWeight = 4, r.nColour = 5;
}
void fill(rcdSNote& r, const char* t, guint n) {
    setTexts(t, n, r.szLabel, r.szText);
    r.bDelete = n;
}

class SqlRecords : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sqlInitialize()) << sqlLastError(); }
    std::filesystem::path db(bool bCCD) const {
        return m_dirs.etcFile(bCCD ? "avCCD.db" : "avLedger.db");
    }

    // Insert (the new row ID written back), load, change, update the same
    // row, load again: each load gives the record byte for byte.
    template <class Rec>
    void roundTrip(const char* pszText, gboolean (*update)(Rec*), const char* pszTable,
                   bool bClearsDirty, bool bCCD) {
        Rec r;
        memset(&r, 0, sizeof r);
        guint& iID = *reinterpret_cast<guint*>(&r); // every record begins with its row ID
        iID = SQL_NEW_ID;
        for (guint n = 0; n < 2; ++n) {
            fill(r, pszText, n);
            r.bDirty = TRUE;
            ASSERT_TRUE(update(&r)) << sqlLastError();
            EXPECT_NE(iID, SQL_NEW_ID) << pszTable;
            EXPECT_EQ(r.bDirty, !bClearsDirty);
            r.bDirty = FALSE;
            const Rec got = loaded<Rec>(iID);
            EXPECT_EQ(memcmp(&got, &r, sizeof r), 0) << pszTable << " pass " << n;
        }
        // A record whose row is not there: its load and its update fail with
        // "no such row", leave the record as it was and write nothing.
        const auto nRows = query(db(bCCD), std::string("SELECT * FROM ") + pszTable).size();
        memset(&r, 0x5A, sizeof r);
        iID = 9999;
        const Rec before = r;
        EXPECT_FALSE(ByID::get(&r, 9999));
        EXPECT_TRUE(sqlIsNoSuchRow() &&
                    (g_str_has_suffix(sqlLastError(), "9999)\nno such row") ||
                     g_str_has_suffix(sqlLastError(), " = 9999 )\nno such row")))
            << sqlLastError();
        EXPECT_EQ(memcmp(&r, &before, sizeof r), 0) << pszTable;
        fill(r, "x", 0);
        EXPECT_FALSE(update(&r));
        EXPECT_TRUE(sqlIsNoSuchRow() && g_str_has_suffix(sqlLastError(), "=9999)\nno such row"))
            << sqlLastError();
        EXPECT_EQ(iID, 9999u);
        EXPECT_EQ(query(db(bCCD), std::string("SELECT * FROM ") + pszTable).size(), nRows);
    }

    avt::TempDirs m_dirs;
};

TEST_F(SqlRecords, EveryRecordTypeRoundTripsWithAwkwardTexts) {
    std::string strLong; // longer than every field: cut on a character boundary
    while (strLong.size() < 6000)
        strLong += "Ärger ö 東 ";
    for (const std::string& str :
         {std::string(m_szText), std::string("Zoë – 東京 ✈\nline\ttab"), std::string(), strLong}) {
        const char* t = str.c_str();
        roundTrip<rcdAC>(t, sqlUpdateAircraftRecord, "Aircraft", false, false);
        roundTrip<rcdPilot>(t, sqlUpdatePilotRecord, "Pilot", true, false);
        roundTrip<rcdFLog>(t, sqlUpdateFLogRecord, "Flight", false, false);
        roundTrip<rcdMaint>(
            t, [](rcdMaint* p) { return sqlUpdateMaintRecord(p, 6); }, "Maintenance", false, false);
        roundTrip<rcdComp>(t, sqlUpdateCompCard, "Component", false, true);
        roundTrip<rcdRef>(t, sqlUpdateRefRecord, "Reference", true, true);
        roundTrip<rcdTarget>(t, sqlUpdateTargetRecord, "Target", true, true);
        roundTrip<rcdSNote>(t, sqlUpdateSNoteRecord, "ServiceNote", true, true);
    }
    // Other programs and the shipped catalogue read the columns by name:
    // each field in its own column, text exactly as typed, a level-one group
    // in bit 31. (The first text's rows, updated once; declared column order.)
    const std::pair<bool, const char*> cases[] = {
        {false, "SELECT * FROM Aircraft|1 NULL NULL @0 @1 @2 @3 @4 2240000001 -1 2 6 13 4 5 7 8 "
                "2147483647 1 -1 4294967294 NULL NULL @5 0 NULL"},
        {false,
         "SELECT * FROM Pilot|1 NULL NULL @0 @1 @2 1271635200 2240000000 2147483673 1 0 -1 0 "
         "4294967295 0 1 @3 1"},
        {false, "SELECT * FROM Flight|1 7 8 4294967295 2240000000 2240003600 NULL NULL 11 3 NULL "
                "NULL NULL NULL NULL @0 @1 @3 @2 1"},
        {false, "SELECT * FROM Maintenance|1 42 6 3 2239999999 165 1234 4294967295 50 31 @0 0"},
        {true, "SELECT * FROM Component|1 2147483671 @0 @1 @3 @2 2147483748 4294967295 1 2 3 0 10 "
               "11 12 13 14 15 16 17 18 4294967294"},
        {true, "SELECT * FROM Reference|1 77 @0 90 NULL NULL NULL NULL NULL NULL 0"},
        {true, "SELECT * FROM Target|1 5 100 200 30 40 55 359 2 4 5 0"},
        {true, "SELECT * FROM ServiceNote|1 @0 @1 1"},
    };
    for (const auto& [bCCD, pszCase] : cases) {
        const std::string strCase = pszCase, strSelect = strCase.substr(0, strCase.find('|'));
        std::string strGot, strWant = strCase.substr(strSelect.size() + 1);
        for (std::size_t i; (i = strWant.find('@')) != std::string::npos;)
            strWant.replace(i, 1, m_szText);
        const auto rows = query(db(bCCD), strSelect); // one row per text: updates insert nothing
        ASSERT_EQ(rows.size(), 4u) << strSelect;
        for (const auto& value : rows[0])
            strGot += (strGot.empty() ? "" : " ") + value.value_or("NULL");
        EXPECT_EQ(strGot, strWant);
    }
}

// Load-all blocks whose function notes each row's ID.
std::vector<guint> m_lstSeen;
template <class Rec> int seen(Rec* p) {
    m_lstSeen.push_back(*reinterpret_cast<guint*>(p));
    return 0;
}
template <class CB, class Rec> CB* rec() {
    static Rec r{};
    static CB cb{&r, seen<Rec>};
    return &cb;
}
template <> cbComp* rec<cbComp, rcdComp>() {
    static rcdComp r{};
    static cbComp cb{&r, nullptr, [](rcdComp* p, GtkTreeIter*) { return seen(p); }};
    return &cb;
}

TEST_F(SqlRecords, LoadAllSkipsDeletedRowsAndKeepsTheStatedOrder) {
    exec(db(false), "INSERT INTO Aircraft (iAircraftID, strReg, bDelete) VALUES (1,'c-three',0),"
                    "(2,'B-TWO',NULL),(3,'a-gone',1),(4,'A-one',0); INSERT INTO Pilot (iPilotID, "
                    "strSortKey, bDelete) VALUES (1,'beta',NULL),(2,'Zulu',0),(3,'alpha',1),"
                    "(4,'alpha2',0); INSERT INTO Flight (iFltID, iCSID, tFltBegin, bDelete) VALUES "
                    "(1,7,300,0),(2,7,100,NULL),(3,7,50,1),(4,8,10,0),(5,7,4102444800,0);"
                    "INSERT INTO Maintenance (iMaintID, iCompID, iACID, tCompleted, bDelete) "
                    "VALUES (1,5,7,300,0),(2,5,7,100,NULL),(3,5,7,50,1),(4,5,8,10,0),(5,6,7,1,0)");
    exec(db(true),
         "INSERT INTO Component (iCompID, iGroupID, iSortOrder, bDelete) VALUES (1,4,3,0),"
         "(2,4,1,NULL),(3,4,0,1),(4,5,0,0),(5,4,2,0),(6,2147483652,0,0); INSERT INTO "
         "Reference (iRefID, iCompID, bDelete) VALUES (1,4,0),(2,4,1),(3,5,NULL),"
         "(4,4,NULL); INSERT INTO Target (iTargetID, iRefID, bDelete) VALUES (1,4,1),"
         "(2,4,0),(3,9,0),(4,4,NULL); INSERT INTO ServiceNote (iSNoteID, bDelete) "
         "VALUES (1,1),(2,NULL),(3,0)");
    const std::vector<std::pair<std::function<gboolean()>, std::vector<guint>>> cases = {
        // Aircraft by registration (case ignored), pilots by sort key, flights
        // and maintenance by time, cards by sort order.
        {[] { return sqlLoadAircraftRecord(rec<cbAC, rcdAC>(), SQL_NEW_ID); }, {4, 2, 1}},
        {[] { return sqlLoadPilotRecord(rec<cbPilot, rcdPilot>(), SQL_NEW_ID); }, {2, 4, 1}},
        {[] { return sqlLoadFLogRecord(rec<cbFLog, rcdFLog>(), SQL_NEW_ID, 7); }, {2, 1, 5}},
        {[] { return sqlLoadMaintRecords(rec<cbMaint, rcdMaint>(), 5, 7); }, {2, 1}},
        {[] { return sqlLoadCompCard(rec<cbComp, rcdComp>(), SQL_NEW_ID, 4); }, {2, 5, 1}},
        {[] { return sqlLoadCompCard(rec<cbComp, rcdComp>(), SQL_NEW_ID, 0x80000004u); }, {6}},
        {[] { return sqlLoadRefRecords(rec<cbRef, rcdRef>(), 4); }, {1, 4}},
        {[] { return sqlLoadTargetRecords(rec<cbTarget, rcdTarget>(), 4); }, {2, 4}},
        {[] { return sqlLoadSNoteRecords(rec<cbSNote, rcdSNote>()); }, {2, 3}},
        // Loading by ID does not look at bDelete (nor, for a flight, at the aircraft).
        {[] { return sqlLoadFLogRecord(rec<cbFLog, rcdFLog>(), 3, 99); }, {3}},
        {[] { return seen(P(loaded<rcdMaint>(3))) == 0; }, {3}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        m_lstSeen.clear();
        EXPECT_TRUE(cases[i].first()) << i << ": " << sqlLastError();
        EXPECT_EQ(m_lstSeen, cases[i].second) << "case " << i;
    }
}

template <class T> std::string str(T v) {
    return std::to_string(v);
}

// Values written by other programs or older builds, and NULL columns.
TEST_F(SqlRecords, StoredValuesReadAsTheUserExpects) {
    exec(db(false), "INSERT INTO Flight (iFltID, tFltBegin) VALUES (1, 4294967295), "
                    "(2, 18446744073709551615), (3, '1271635200');"
                    "INSERT INTO Flight (iFltID, iCSID) VALUES (5, 3);"
                    "INSERT INTO Maintenance (iMaintID, bFlags, nCompHours) VALUES (1, 511, 'abc');"
                    "INSERT INTO Aircraft (iAircraftID, strReg) VALUES (1, 'G-ABCD');"
                    "INSERT INTO Pilot (iPilotID, strLName, strSortKey) VALUES "
                    "(1, CAST(X'E974E9' AS TEXT), replace(hex(zeroblob(3000)), '00', 'é'));"
                    "INSERT INTO Pilot (iPilotID, strSortKey, tLastMed) VALUES (2, 'a', 5),"
                    "(3, 'b', NULL)");
    exec(db(true), "INSERT INTO Component (iCompID, iGroupID) VALUES (1, 2147483671);"
                   "INSERT INTO Reference (iRefID, iCompID) VALUES (1, 12.7)");
    const std::vector<std::pair<std::function<std::string()>, std::string>> cases = {
        {[] { return str(loaded<rcdFLog>(1).tFltBegin); }, "-1"}, // no date of a 32-bit build
        {[] { return str(loaded<rcdFLog>(2).tFltBegin); }, "-1"}, // the same written unsigned
        {[] { return str(loaded<rcdFLog>(3).tFltBegin); }, "1271635200"},
        {[] { return str(loaded<rcdComp>(1).iGroupID) + str(loaded<rcdComp>(1).iGroupLevel); },
         "231"},
        {[] { return str(loaded<rcdRef>(1).iCompID); }, "12"},   // the fraction dropped
        {[] { return str(loaded<rcdMaint>(1).bFlags); }, "255"}, // low 8 bits
        {[] { return str(loaded<rcdMaint>(1).nCompHours); }, "0"},
        {[] { return std::string(loaded<rcdPilot>(1).szLName); }, "\uFFFDt\uFFFD"},
        {[] { return std::string(loaded<rcdPilot>(1).szSortKey); }, "éééééééééééééééééééééééé"},
        // Every load starts each row from a cleared record: a NULL column
        // never shows what the memory held (an aircraft's option: not chosen).
        {[] { return str(loaded<rcdAC>(1, 0x5A).nLogHours); }, "0"},
        {[] { return str(loaded<rcdAC>(1, 0x5A).iTRSliderOpt); }, "-1"},
        {[] { return std::string(loaded<rcdFLog>(5, 0x5A).szFrom); }, ""},
        {[] { return str(loaded<rcdRef>(1, 0x5A).nRotate); }, "0"},
        {[] { return str(loaded<rcdMaint>(1, 0x5A).tComplete); }, "0"},
        {[] { // nor the previous row's
             static std::string strSeen;
             rcdPilot r;
             cbPilot cb{&r, [](rcdPilot* p) { return strSeen += str(p->tLastMed) + " ", 0; }};
             sqlLoadPilotRecord(&cb, SQL_NEW_ID);
             return strSeen;
         },
         "5 0 0 "},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].first(), cases[i].second) << "case " << i;
}

TEST_F(SqlRecords, AStoppedOrFailingStatementReportsTwoLines) {
    // Load-all queries that find nothing are not failures.
    EXPECT_TRUE(sqlLoadPilotRecord(rec<cbPilot, rcdPilot>(), SQL_NEW_ID));
    EXPECT_TRUE(sqlLoadRefRecords(rec<cbRef, rcdRef>(), 99));
    // A function that returns non-zero stops the load.
    exec(db(false), "INSERT INTO Pilot (iPilotID, strSortKey) VALUES (1,'a'),(2,'b'),(3,'c')");
    rcdPilot pilot{};
    // A load started from a load's own function works.
    cbPilot cb{&pilot, [](rcdPilot*) {
                   return sqlLoadPilotRecord(rec<cbPilot, rcdPilot>(), SQL_NEW_ID) ? 0 : 1;
               }};
    m_lstSeen.clear();
    EXPECT_TRUE(sqlLoadPilotRecord(&cb, SQL_NEW_ID)) << sqlLastError();
    EXPECT_EQ(m_lstSeen, (std::vector<guint>{1, 2, 3, 1, 2, 3, 1, 2, 3}));

    cb.pfuncPilotCB = [](rcdPilot*) { return 1; };
    EXPECT_FALSE(sqlLoadPilotRecord(&cb, SQL_NEW_ID));
    EXPECT_EQ(pilot.iPilotID, 1u) << "no row after the first";
    EXPECT_TRUE(g_str_has_prefix(sqlLastError(), "sqlLoadPilotRecord():sqlite3_exec(SELECT ") &&
                g_str_has_suffix(sqlLastError(), " ORDER BY strSortKey)\nquery aborted"))
        << sqlLastError();

    // A failing statement leaves the record as it was.
    exec(db(true), "DROP TABLE Target");
    m_lstSeen.clear();
    EXPECT_FALSE(sqlLoadTargetRecord(rec<cbTarget, rcdTarget>(), 7));
    EXPECT_TRUE(m_lstSeen.empty());
    EXPECT_TRUE(g_str_has_suffix(sqlLastError(), "iTargetID = 7)\nno such table: Target"));

    // A value the file cannot take fails the save instead of going in as NULL.
    sqlite3_limit(sqlLogHandle(), SQLITE_LIMIT_LENGTH, 50);
    rcdPilot tooLong{};
    tooLong.iPilotID = SQL_NEW_ID;
    memset(tooLong.szNotes, 'x', 60);
    EXPECT_FALSE(sqlUpdatePilotRecord(&tooLong));
    EXPECT_TRUE(g_str_has_suffix(sqlLastError(), "\nstring or blob too big")) << sqlLastError();
    EXPECT_EQ(query(db(false), "SELECT COUNT(*) FROM Pilot")[0][0], "3");

    // Catalogue records: the skeleton row, then the update that fails here;
    // neither stays, and the record is still new and dirty.
    exec(db(true), "CREATE TRIGGER t UPDATE ON ServiceNote BEGIN SELECT RAISE(ABORT, 'no'); END");
    rcdSNote note{SQL_NEW_ID, "Bolts", "", TRUE, TRUE};
    EXPECT_FALSE(sqlUpdateSNoteRecord(&note));
    EXPECT_EQ(sqlLastError(), std::string("sqlUpdateSNoteRecord():sqlite3_exec(UPDATE ServiceNote "
                                          "SET strLabel='Bolts', strText='', "
                                          "bDelete=1 WHERE iSNoteID=1)\nno"));
    EXPECT_FALSE(sqlIsNoSuchRow());
    EXPECT_EQ(note.iSNoteID, SQL_NEW_ID);
    EXPECT_TRUE(note.bDirty);
    EXPECT_TRUE(query(db(true), "SELECT * FROM ServiceNote").empty());
}

} // namespace
