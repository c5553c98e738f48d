// Record load and update on real SQLite files: every record type round-trips
// with awkward texts, new records get their row ID, load-all queries filter
// and order, failures leave the record alone and say what went wrong.
#include "avMisc.h"
#include "harness.h"
#include "sqlMLog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using avt::exec;
using avt::query;

// Texts a user may type: quotes, SQL and printf specials, non-ASCII, and
// one longer than every field (cut on a character boundary before storing).
const char* const m_lstTexts[] = {
    "O'Neill", "say \"hello\" to 'them'",    "100% sure %s %Q %n '' ;--", "Zoë Ångström – 東京 ✈",
    "",        "line one\nline two\ttabbed",
};

std::string longText() {
    std::string str;
    while (str.size() < 6000)
        str += "Ärger ö 東 ";
    return str;
}

class SqlRecords : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sqlInitialize()) << sqlLastError(); }

    fs::path logDb() const { return m_dirs.etcFile("avLedger.db"); }
    fs::path ccdDb() const { return m_dirs.etcFile("avCCD.db"); }
    std::string count(const fs::path& db, const char* pszTable) const {
        return *query(db, std::string("SELECT COUNT(*) FROM ") + pszTable)[0][0];
    }

    avt::TempDirs m_dirs;
};

template <class Rec> Rec freshRecord() {
    Rec rcd;
    memset(&rcd, 0, sizeof rcd);
    *reinterpret_cast<guint*>(&rcd) = SQL_NEW_ID; // every record begins with its row ID
    return rcd;
}

// Fills every stored field with a value that differs per field.
rcdAC sampleAC(const char* pszText) {
    auto r = freshRecord<rcdAC>();
    mscCopyText(r.szReg, pszText);
    mscCopyText(r.szModel, pszText);
    mscCopyText(r.szSerial, pszText);
    mscCopyText(r.szBuilder, pszText);
    mscCopyText(r.szOwner, pszText);
    mscCopyText(r.szNotes, pszText);
    r.tManu = 2240000000; // after 2038
    r.iHeliOpt = -1;
    r.iEngineOpt = 2;
    r.iMainDriveOpt = 3;
    r.iMainRotorOpt = 4;
    r.iMRSystemOpt = 5;
    r.iClutchOpt = 6;
    r.iTRSliderOpt = 7;
    r.iTailDriveOpt = 8;
    r.iTailRotorOpt = 2147483647;
    r.bLogSinceNew = TRUE;
    r.tLogStart = -1;
    r.nLogHours = 4294967295u;
    return r;
}

void expectSame(const rcdAC& a, const rcdAC& b) {
    EXPECT_EQ(a.iACID, b.iACID);
    EXPECT_STREQ(a.szReg, b.szReg);
    EXPECT_STREQ(a.szModel, b.szModel);
    EXPECT_STREQ(a.szSerial, b.szSerial);
    EXPECT_STREQ(a.szBuilder, b.szBuilder);
    EXPECT_STREQ(a.szOwner, b.szOwner);
    EXPECT_STREQ(a.szNotes, b.szNotes);
    EXPECT_EQ(a.tManu, b.tManu);
    EXPECT_EQ(a.iHeliOpt, b.iHeliOpt);
    EXPECT_EQ(a.iEngineOpt, b.iEngineOpt);
    EXPECT_EQ(a.iMainDriveOpt, b.iMainDriveOpt);
    EXPECT_EQ(a.iMainRotorOpt, b.iMainRotorOpt);
    EXPECT_EQ(a.iMRSystemOpt, b.iMRSystemOpt);
    EXPECT_EQ(a.iClutchOpt, b.iClutchOpt);
    EXPECT_EQ(a.iTRSliderOpt, b.iTRSliderOpt);
    EXPECT_EQ(a.iTailDriveOpt, b.iTailDriveOpt);
    EXPECT_EQ(a.iTailRotorOpt, b.iTailRotorOpt);
    EXPECT_EQ(a.bLogSinceNew, b.bLogSinceNew);
    EXPECT_EQ(a.tLogStart, b.tLogStart);
    EXPECT_EQ(a.nLogHours, b.nLogHours);
}

rcdPilot samplePilot(const char* pszText) {
    auto r = freshRecord<rcdPilot>();
    mscCopyText(r.szLName, pszText);
    mscCopyText(r.szFName, pszText);
    mscCopyText(r.szSortKey, pszText);
    mscCopyText(r.szNotes, pszText);
    r.tLastMed = 1271635200;
    r.tNextMed = 2240000000;
    r.nMedIntv = 0x80000018u;
    r.bMedAuto = TRUE;
    r.bMedMonthEnd = FALSE;
    r.tLastFR = -1;
    r.tNextFR = 0;
    r.nFRIntv = 4294967295u;
    r.bFRAuto = FALSE;
    r.bFRMonthEnd = TRUE;
    r.bDelete = FALSE;
    r.bDirty = TRUE;
    return r;
}

void expectSame(const rcdPilot& a, const rcdPilot& b) {
    EXPECT_EQ(a.iPilotID, b.iPilotID);
    EXPECT_STREQ(a.szLName, b.szLName);
    EXPECT_STREQ(a.szFName, b.szFName);
    EXPECT_STREQ(a.szSortKey, b.szSortKey);
    EXPECT_STREQ(a.szNotes, b.szNotes);
    EXPECT_EQ(a.tLastMed, b.tLastMed);
    EXPECT_EQ(a.tNextMed, b.tNextMed);
    EXPECT_EQ(a.nMedIntv, b.nMedIntv);
    EXPECT_EQ(a.bMedAuto, b.bMedAuto);
    EXPECT_EQ(a.bMedMonthEnd, b.bMedMonthEnd);
    EXPECT_EQ(a.tLastFR, b.tLastFR);
    EXPECT_EQ(a.tNextFR, b.tNextFR);
    EXPECT_EQ(a.nFRIntv, b.nFRIntv);
    EXPECT_EQ(a.bFRAuto, b.bFRAuto);
    EXPECT_EQ(a.bFRMonthEnd, b.bFRMonthEnd);
    EXPECT_EQ(a.bDelete, b.bDelete);
}

rcdFLog sampleFLog(const char* pszText) {
    auto r = freshRecord<rcdFLog>();
    r.iCSID = 7;
    r.iPilotID = 8;
    r.iStudentID = 4294967295u;
    r.tFltBegin = 2240000000;
    r.tFltEnd = 2240003600;
    r.nElapsed = 10;
    r.nType = 3;
    mscCopyText(r.szFrom, pszText);
    mscCopyText(r.szTo, pszText);
    mscCopyText(r.szNotes, pszText);
    mscCopyText(r.szPaxList, pszText);
    return r;
}

void expectSame(const rcdFLog& a, const rcdFLog& b) {
    EXPECT_EQ(a.iFLogID, b.iFLogID);
    EXPECT_EQ(a.iCSID, b.iCSID);
    EXPECT_EQ(a.iPilotID, b.iPilotID);
    EXPECT_EQ(a.iStudentID, b.iStudentID);
    EXPECT_EQ(a.tFltBegin, b.tFltBegin);
    EXPECT_EQ(a.tFltEnd, b.tFltEnd);
    EXPECT_EQ(a.nElapsed, b.nElapsed);
    EXPECT_EQ(a.nType, b.nType);
    EXPECT_STREQ(a.szFrom, b.szFrom);
    EXPECT_STREQ(a.szTo, b.szTo);
    EXPECT_STREQ(a.szNotes, b.szNotes);
    EXPECT_STREQ(a.szPaxList, b.szPaxList);
    EXPECT_EQ(a.bDelete, b.bDelete);
}

rcdMaint sampleMaint(const char* pszText) {
    auto r = freshRecord<rcdMaint>();
    r.iCompID = 42;
    r.iType = 3;
    r.bFlags = 0xA5;
    r.tComplete = 2240000000;
    r.nCompHours = 1234;
    r.nCompAge = 4294967295u;
    r.nDeferHours = 50;
    r.nDeferDays = 30;
    mscCopyText(r.szNotes, pszText);
    return r;
}

void expectSame(const rcdMaint& a, const rcdMaint& b) {
    EXPECT_EQ(a.iMaintID, b.iMaintID);
    EXPECT_EQ(a.iCompID, b.iCompID);
    EXPECT_EQ(a.iType, b.iType);
    EXPECT_EQ(a.bFlags, b.bFlags);
    EXPECT_EQ(a.tComplete, b.tComplete);
    EXPECT_EQ(a.nCompHours, b.nCompHours);
    EXPECT_EQ(a.nCompAge, b.nCompAge);
    EXPECT_EQ(a.nDeferHours, b.nDeferHours);
    EXPECT_EQ(a.nDeferDays, b.nDeferDays);
    EXPECT_EQ(a.bDelete, b.bDelete);
    EXPECT_STREQ(a.szNotes, b.szNotes);
}

rcdComp sampleComp(const char* pszText) {
    auto r = freshRecord<rcdComp>();
    r.iGroupID = 23;
    r.iGroupLevel = 1;
    mscCopyText(r.szPartNmbr, pszText);
    mscCopyText(r.szPartDesc, pszText);
    mscCopyText(r.szPartRef, pszText);
    mscCopyText(r.szDescNotes, pszText);
    r.iSNote1ID = 1;
    r.iSNote2ID = 2;
    r.iSNote3ID = 3;
    r.nInspIntv = 0x80000064u;
    r.nRCOIntv = 4294967295u;
    r.iSortOrder = 9;
    r.bOptHeli = 11;
    r.bOptEng = 12;
    r.bOptMainDrive = 13;
    r.bOptMainRotor = 14;
    r.bOptMRSystem = 15;
    r.bOptClutch = 16;
    r.bOptTRSlider = 17;
    r.bOptTailDrive = 18;
    r.bOptTailRotor = 0xFFFFFFFFu;
    return r;
}

void expectSame(const rcdComp& a, const rcdComp& b) {
    EXPECT_EQ(a.iCompID, b.iCompID);
    EXPECT_EQ(a.iGroupID, b.iGroupID);
    EXPECT_EQ(a.iGroupLevel, b.iGroupLevel);
    EXPECT_STREQ(a.szPartNmbr, b.szPartNmbr);
    EXPECT_STREQ(a.szPartDesc, b.szPartDesc);
    EXPECT_STREQ(a.szPartRef, b.szPartRef);
    EXPECT_STREQ(a.szDescNotes, b.szDescNotes);
    EXPECT_EQ(a.iSNote1ID, b.iSNote1ID);
    EXPECT_EQ(a.iSNote2ID, b.iSNote2ID);
    EXPECT_EQ(a.iSNote3ID, b.iSNote3ID);
    EXPECT_EQ(a.nInspIntv, b.nInspIntv);
    EXPECT_EQ(a.nRCOIntv, b.nRCOIntv);
    EXPECT_EQ(a.bDelete, b.bDelete);
    EXPECT_EQ(a.iSortOrder, b.iSortOrder);
    EXPECT_EQ(a.bOptHeli, b.bOptHeli);
    EXPECT_EQ(a.bOptEng, b.bOptEng);
    EXPECT_EQ(a.bOptMainDrive, b.bOptMainDrive);
    EXPECT_EQ(a.bOptMainRotor, b.bOptMainRotor);
    EXPECT_EQ(a.bOptMRSystem, b.bOptMRSystem);
    EXPECT_EQ(a.bOptClutch, b.bOptClutch);
    EXPECT_EQ(a.bOptTRSlider, b.bOptTRSlider);
    EXPECT_EQ(a.bOptTailDrive, b.bOptTailDrive);
    EXPECT_EQ(a.bOptTailRotor, b.bOptTailRotor);
}

rcdRef sampleRef(const char* pszText) {
    auto r = freshRecord<rcdRef>();
    r.iCompID = 77;
    mscCopyText(r.szDrawing, pszText);
    r.nRotate = 270;
    r.bDirty = TRUE;
    return r;
}

void expectSame(const rcdRef& a, const rcdRef& b) {
    EXPECT_EQ(a.iRefID, b.iRefID);
    EXPECT_EQ(a.iCompID, b.iCompID);
    EXPECT_STREQ(a.szDrawing, b.szDrawing);
    EXPECT_EQ(a.nRotate, b.nRotate);
    EXPECT_EQ(a.bDelete, b.bDelete);
}

rcdTarget sampleTarget() {
    auto r = freshRecord<rcdTarget>();
    r.iRefID = 5;
    r.nX = 100;
    r.nY = 200;
    r.nWidth = 30;
    r.nHeight = 40;
    r.nLen = 55;
    r.nAngle = 359;
    r.iShape = REF_TGT_ARROW;
    r.nWeight = 2;
    r.nColour = 5;
    r.bDirty = TRUE;
    return r;
}

void expectSame(const rcdTarget& a, const rcdTarget& b) {
    EXPECT_EQ(a.iTargetID, b.iTargetID);
    EXPECT_EQ(a.iRefID, b.iRefID);
    EXPECT_EQ(a.nX, b.nX);
    EXPECT_EQ(a.nY, b.nY);
    EXPECT_EQ(a.nWidth, b.nWidth);
    EXPECT_EQ(a.nHeight, b.nHeight);
    EXPECT_EQ(a.nLen, b.nLen);
    EXPECT_EQ(a.nAngle, b.nAngle);
    EXPECT_EQ(a.iShape, b.iShape);
    EXPECT_EQ(a.nWeight, b.nWeight);
    EXPECT_EQ(a.nColour, b.nColour);
    EXPECT_EQ(a.bDelete, b.bDelete);
}

rcdSNote sampleSNote(const char* pszText) {
    auto r = freshRecord<rcdSNote>();
    mscCopyText(r.szLabel, pszText);
    mscCopyText(r.szText, pszText);
    r.bDirty = TRUE;
    return r;
}

void expectSame(const rcdSNote& a, const rcdSNote& b) {
    EXPECT_EQ(a.iSNoteID, b.iSNoteID);
    EXPECT_STREQ(a.szLabel, b.szLabel);
    EXPECT_STREQ(a.szText, b.szText);
    EXPECT_EQ(a.bDelete, b.bDelete);
}

// Loads one record by ID into a record filled with rubbish first.
template <class Rec> Rec garbage() {
    Rec r;
    memset(&r, 0x5A, sizeof r);
    return r;
}

rcdAC loadAC(guint iID) {
    auto r = garbage<rcdAC>();
    cbAC cb{&r, nullptr};
    EXPECT_TRUE(sqlLoadAircraftRecord(&cb, iID)) << sqlLastError();
    return r;
}
rcdPilot loadPilot(guint iID) {
    auto r = garbage<rcdPilot>();
    cbPilot cb{&r, nullptr};
    EXPECT_TRUE(sqlLoadPilotRecord(&cb, iID)) << sqlLastError();
    return r;
}
rcdFLog loadFLog(guint iID) {
    auto r = garbage<rcdFLog>();
    cbFLog cb{&r, nullptr};
    EXPECT_TRUE(sqlLoadFLogRecord(&cb, iID, 0)) << sqlLastError();
    return r;
}
rcdMaint loadMaint(guint iID) {
    auto r = garbage<rcdMaint>();
    EXPECT_TRUE(sqlLoadMaintRecord(&r, iID)) << sqlLastError();
    return r;
}
rcdComp loadComp(guint iID) {
    auto r = garbage<rcdComp>();
    cbComp cb{&r, nullptr, nullptr};
    EXPECT_TRUE(sqlLoadCompCard(&cb, iID, 0)) << sqlLastError();
    return r;
}
rcdRef loadRef(guint iID) {
    auto r = garbage<rcdRef>();
    cbRef cb{&r, nullptr};
    EXPECT_TRUE(sqlLoadRefRecord(&cb, iID)) << sqlLastError();
    return r;
}
rcdTarget loadTarget(guint iID) {
    auto r = garbage<rcdTarget>();
    cbTarget cb{&r, nullptr};
    EXPECT_TRUE(sqlLoadTargetRecord(&cb, iID)) << sqlLastError();
    return r;
}
rcdSNote loadSNote(guint iID) {
    auto r = garbage<rcdSNote>();
    cbSNote cb{&r, nullptr};
    EXPECT_TRUE(sqlLoadSNoteRecord(&cb, iID)) << sqlLastError();
    return r;
}

// Insert, read back, change and update, read back again; the second
// update must not add a row.
template <class Rec, class Update, class Load, class Change>
void roundTrip(Rec rcd, Update update, Load load, Change change, const fs::path& db,
               const char* pszTable) {
    auto nRows = [&] {
        return std::stoi(*query(db, std::string("SELECT COUNT(*) FROM ") + pszTable)[0][0]);
    };
    int nBefore = nRows();
    ASSERT_TRUE(update(&rcd)) << sqlLastError();
    guint iID = *reinterpret_cast<guint*>(&rcd);
    ASSERT_NE(iID, SQL_NEW_ID) << "the new row ID is written back";
    EXPECT_EQ(nRows(), nBefore + 1);
    expectSame(load(iID), rcd);

    change(rcd);
    ASSERT_TRUE(update(&rcd)) << sqlLastError();
    EXPECT_EQ(*reinterpret_cast<guint*>(&rcd), iID);
    EXPECT_EQ(nRows(), nBefore + 1) << "an update of a stored record inserts nothing";
    expectSame(load(iID), rcd);
}

TEST_F(SqlRecords, EveryRecordTypeRoundTripsWithAwkwardTexts) {
    std::vector<std::string> texts(std::begin(m_lstTexts), std::end(m_lstTexts));
    texts.push_back(longText());
    for (const auto& str : texts) {
        const char* psz = str.c_str();
        SCOPED_TRACE(str.substr(0, 40));
        roundTrip(
            sampleAC(psz), sqlUpdateAircraftRecord, loadAC,
            [](rcdAC& r) { r.iEngineOpt = -7, r.tManu = 0; }, logDb(), "Aircraft");
        roundTrip(
            samplePilot(psz), sqlUpdatePilotRecord, loadPilot,
            [](rcdPilot& r) { r.nMedIntv = 12, r.bDelete = TRUE; }, logDb(), "Pilot");
        roundTrip(
            sampleFLog(psz), sqlUpdateFLogRecord, loadFLog,
            [](rcdFLog& r) { r.nElapsed = 99, r.bDelete = TRUE; }, logDb(), "Flight");
        roundTrip(
            sampleMaint(psz), [](rcdMaint* p) { return sqlUpdateMaintRecord(p, 3); }, loadMaint,
            [](rcdMaint& r) { r.bFlags = 0x01, r.tComplete = -1; }, logDb(), "Maintenance");
        roundTrip(
            sampleComp(psz), sqlUpdateCompCard, loadComp,
            [](rcdComp& r) { r.iGroupLevel = 0, r.iSortOrder = 1; }, ccdDb(), "Component");
        roundTrip(
            sampleRef(psz), sqlUpdateRefRecord, loadRef, [](rcdRef& r) { r.nRotate = 90; }, ccdDb(),
            "Reference");
        roundTrip(
            sampleSNote(psz), sqlUpdateSNoteRecord, loadSNote,
            [](rcdSNote& r) { r.bDelete = TRUE; }, ccdDb(), "ServiceNote");
    }
    roundTrip(
        sampleTarget(), sqlUpdateTargetRecord, loadTarget,
        [](rcdTarget& r) { r.nWeight = 3, r.iShape = REF_TGT_CIRCLE; }, ccdDb(), "Target");
}

// Other programs and the shipped catalogue read these columns by name:
// each field must land in its own column.
TEST_F(SqlRecords, EachFieldLandsInItsColumn) {
    auto ac = sampleAC("t");
    auto pilot = samplePilot("t");
    auto flight = sampleFLog("t");
    auto maint = sampleMaint("t");
    auto comp = sampleComp("t");
    auto ref = sampleRef("t");
    auto tgt = sampleTarget();
    auto note = sampleSNote("t");
    ASSERT_TRUE(sqlUpdateAircraftRecord(&ac) && sqlUpdatePilotRecord(&pilot) &&
                sqlUpdateFLogRecord(&flight) && sqlUpdateMaintRecord(&maint, 6) &&
                sqlUpdateCompCard(&comp) && sqlUpdateRefRecord(&ref) &&
                sqlUpdateTargetRecord(&tgt) && sqlUpdateSNoteRecord(&note))
        << sqlLastError();
    struct Case {
        bool bCatalogue;
        const char* pszSelect;
        avt::Row expected;
    };
    const Case cases[] = {
        {false,
         "SELECT tManu, iOptHeli, iOptEngine, iOptMRDrive, iOptMRotor, iOptMRSystem, iOptClutch, "
         "iOptTRSlider, iOptTRDrive, iOptTR, bLogSinceNew, tLogStart, nLogHours, bDelete, "
         "tCreate, bModFlags FROM Aircraft",
         {"2240000000", "-1", "2", "3", "4", "5", "6", "7", "8", "2147483647", "1", "-1",
          "4294967295", "0", std::nullopt, std::nullopt}},
        {false,
         "SELECT tLastMed, tNextMed, nMedInterval, bMedAuto, bMedMonthEnd, tLastFR, tNextFR, "
         "nFRInterval, bFRAuto, bFRMonthEnd, bDelete FROM Pilot",
         {"1271635200", "2240000000", "2147483672", "1", "0", "-1", "0", "4294967295", "0", "1",
          "0"}},
        {false,
         "SELECT iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, nElapsed, nFltType, bDelete, "
         "tEngStart FROM Flight",
         {"7", "8", "4294967295", "2240000000", "2240003600", "10", "3", "0", std::nullopt}},
        {false,
         "SELECT iCompID, iACID, iType, bFlags, tCompleted, nCompHours, nCompAge, nDeferHours, "
         "nDeferDays, bDelete FROM Maintenance",
         {"42", "6", "3", "165", "2240000000", "1234", "4294967295", "50", "30", "0"}},
        {true,
         "SELECT iGroupID, nInspect, nRCO, iSNote1ID, iSNote2ID, iSNote3ID, iSortOrder, bOptHeli, "
         "bOptEngine, bOptMainDrive, bOptMainRotor, bOptMRSystem, bOptClutch, bOptTRSlider, "
         "bOptTailDrive, bOptTailRotor, bDelete FROM Component",
         {"2147483671", "2147483748", "4294967295", "1", "2", "3", "9", "11", "12", "13", "14",
          "15", "16", "17", "18", "4294967295", "0"}},
        {true,
         "SELECT iCompID, strDrawing, nRotate, bDelete FROM Reference",
         {"77", "t", "270", "0"}},
        {true,
         "SELECT iRefID, nX, nY, nWidth, nHeight, nLen, nAngle, iShape, nWeight, nColour, bDelete "
         "FROM Target",
         {"5", "100", "200", "30", "40", "55", "359", "3", "2", "5", "0"}},
        {true, "SELECT strLabel, strText, bDelete FROM ServiceNote", {"t", "t", "0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszSelect);
        auto rows = query(c.bCatalogue ? ccdDb() : logDb(), c.pszSelect);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0], c.expected);
    }
}

TEST_F(SqlRecords, TextIsStoredExactlyAsTyped) {
    for (const char* psz : m_lstTexts) {
        SCOPED_TRACE(psz);
        auto pilot = samplePilot(psz);
        ASSERT_TRUE(sqlUpdatePilotRecord(&pilot)) << sqlLastError();
        auto rows = query(logDb(), "SELECT strLName, strNotes FROM Pilot WHERE iPilotID = " +
                                       std::to_string(pilot.iPilotID));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(*rows[0][0], std::string(psz));
        EXPECT_EQ(*rows[0][1], std::string(psz));

        auto ref = sampleRef(psz);
        ASSERT_TRUE(sqlUpdateRefRecord(&ref)) << sqlLastError();
        rows = query(ccdDb(), "SELECT strDrawing FROM Reference WHERE iRefID = " +
                                  std::to_string(ref.iRefID));
        EXPECT_EQ(*rows[0][0], std::string(psz));
    }
}

TEST_F(SqlRecords, StoredTextLongerThanTheFieldIsCutOnACharacterBoundary) {
    // Two-byte letters: every field's last byte would fall inside a letter.
    std::string strLong;
    for (int i = 0; i < 3000; ++i)
        strLong += "é";
    const std::string strQ = "'" + strLong + "'";
    exec(logDb(), "INSERT INTO Aircraft (iAircraftID, strReg, strNotes) VALUES (1," + strQ + "," +
                      strQ + ")");
    exec(logDb(), "INSERT INTO Pilot (iPilotID, strSortKey) VALUES (1," + strQ + ")");
    exec(ccdDb(), "INSERT INTO Component (iCompID, strPartNmbr, strDescNotes) VALUES (1," + strQ +
                      "," + strQ + ")");
    exec(ccdDb(), "INSERT INTO ServiceNote (iSNoteID, strText) VALUES (1," + strQ + ")");

    struct Case {
        const char* pszName;
        std::string strGot;
        std::size_t nlField;
    };
    auto ac = loadAC(1);
    auto pilot = loadPilot(1);
    auto comp = loadComp(1);
    auto note = loadSNote(1);
    const Case cases[] = {
        {"aircraft registration", ac.szReg, sizeof ac.szReg},
        {"aircraft notes", ac.szNotes, sizeof ac.szNotes},
        {"pilot sort key", pilot.szSortKey, sizeof pilot.szSortKey},
        {"part number", comp.szPartNmbr, sizeof comp.szPartNmbr},
        {"description notes", comp.szDescNotes, sizeof comp.szDescNotes},
        {"service note text", note.szText, sizeof note.szText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        // Whole letters only, as many as fit in the field with its terminator.
        EXPECT_EQ(c.strGot, strLong.substr(0, (c.nlField - 1) / 2 * 2));
        EXPECT_TRUE(g_utf8_validate(c.strGot.c_str(), -1, nullptr));
    }
}

TEST_F(SqlRecords, StoredTextInALegacyCodePageReadsAsValidText) {
    // "été" in Latin-1, as an older program could have stored it.
    exec(logDb(), "INSERT INTO Pilot (iPilotID, strLName, strFName) VALUES "
                  "(1, CAST(X'E974E9' AS TEXT), 'Zoë')");
    auto pilot = loadPilot(1);
    EXPECT_STREQ(pilot.szLName, "\uFFFDt\uFFFD");
    EXPECT_STREQ(pilot.szFName, "Zoë");
}

TEST_F(SqlRecords, TimesAreSignedAndOldNoDateReadsAsMinusOne) {
    struct Case {
        const char* pszStored;
        time_t tExpected;
    };
    const Case cases[] = {
        {"4294967295", -1},           // "no date" written by a 32-bit build
        {"18446744073709551615", -1}, // the same written unsigned in 64 bits
        {"-1", -1},
        {"0", 0},
        {"1271635200", 1271635200},   // 19-Apr-2010
        {"4102444800", 4102444800},   // 1-Jan-2100
        {"'1271635200'", 1271635200}, // stored as text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszStored);
        exec(logDb(), std::string("DELETE FROM Flight; INSERT INTO Flight (iFltID, iCSID, "
                                  "tFltBegin) VALUES (5, 1, ") +
                          c.pszStored + ")");
        EXPECT_EQ(loadFLog(5).tFltBegin, c.tExpected);
    }

    auto flight = sampleFLog("x");
    flight.tFltBegin = -1;
    flight.tFltEnd = 4102444800;
    ASSERT_TRUE(sqlUpdateFLogRecord(&flight)) << sqlLastError();
    auto rows = query(logDb(), "SELECT tFltBegin, tFltEnd FROM Flight WHERE iFltID = " +
                                   std::to_string(flight.iFLogID));
    EXPECT_EQ(*rows[0][0], "-1");
    EXPECT_EQ(*rows[0][1], "4102444800");
}

TEST_F(SqlRecords, ReadingRulesForPackedAndOddlyStoredValues) {
    exec(ccdDb(), "INSERT INTO Component (iCompID, iGroupID, nInspect, nRCO, iSortOrder) "
                  "VALUES (1, 2147483671, 4294967295, 2147483748, 1)");
    exec(ccdDb(), "INSERT INTO Reference (iRefID, iCompID) VALUES (1, 12.7)");
    exec(logDb(), "INSERT INTO Maintenance (iMaintID, bFlags, nCompHours) VALUES (1, 511, 'abc')");

    auto comp = loadComp(1);
    EXPECT_EQ(comp.iGroupID, 23u);
    EXPECT_EQ(comp.iGroupLevel, 1u);
    EXPECT_EQ(comp.nInspIntv, 4294967295u);
    EXPECT_EQ(comp.nRCOIntv, 2147483748u);

    EXPECT_EQ(loadRef(1).iCompID, 12u) << "the fraction is dropped";

    auto maint = loadMaint(1);
    EXPECT_EQ(maint.bFlags, 0xFF) << "low 8 bits kept";
    EXPECT_EQ(maint.nCompHours, 0u) << "text that is not a number reads as 0";
}

TEST_F(SqlRecords, CardOfALevelOneGroupIsStoredWithBit31) {
    auto card = sampleComp("card");
    card.iGroupID = 23;
    card.iGroupLevel = 1;
    ASSERT_TRUE(sqlUpdateCompCard(&card)) << sqlLastError();
    auto rows = query(ccdDb(), "SELECT iGroupID FROM Component WHERE iCompID = " +
                                   std::to_string(card.iCompID));
    EXPECT_EQ(*rows[0][0], "2147483671");

    // The group's cards are asked for by the stored (packed) group value.
    static std::vector<std::pair<guint, guint>> seen;
    seen.clear();
    rcdComp rcd;
    cbComp cb{&rcd, nullptr, [](rcdComp* p, GtkTreeIter*) {
                  seen.emplace_back(p->iGroupID, p->iGroupLevel);
                  return 0;
              }};
    ASSERT_TRUE(sqlLoadCompCard(&cb, SQL_NEW_ID, 2147483671u)) << sqlLastError();
    EXPECT_EQ(seen, (std::vector<std::pair<guint, guint>>{{23u, 1u}}));
    seen.clear();
    ASSERT_TRUE(sqlLoadCompCard(&cb, SQL_NEW_ID, 23)) << sqlLastError();
    EXPECT_TRUE(seen.empty()) << "group 23 at level 0 is another group";
}

TEST_F(SqlRecords, CatalogueRecordsInsertASkeletonThenUpdateIt) {
    // A trigger that refuses updates shows the two steps apart: the skeleton
    // row is in, the record has its new ID, the update's failure is reported.
    exec(ccdDb(), "CREATE TRIGGER refuse BEFORE UPDATE ON ServiceNote BEGIN "
                  "SELECT RAISE(ABORT, 'refused'); END");
    auto note = sampleSNote("Check the bolts");
    EXPECT_FALSE(sqlUpdateSNoteRecord(&note));
    EXPECT_NE(note.iSNoteID, SQL_NEW_ID);
    EXPECT_TRUE(note.bDirty) << "a failed write leaves the record dirty";
    std::string strID = std::to_string(note.iSNoteID);
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlUpdateSNoteRecord():sqlite3_exec(UPDATE ServiceNote SET iSNoteID=" + strID +
                  ", strLabel='Check the bolts', strText='Check the bolts', bDelete=0 WHERE "
                  "iSNoteID=" +
                  strID + ")\nrefused");
    auto rows = query(ccdDb(), "SELECT strLabel, strText, bDelete FROM ServiceNote");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0][0].has_value());
    EXPECT_FALSE(rows[0][1].has_value());
    EXPECT_EQ(*rows[0][2], "0");

    exec(ccdDb(), "DROP TRIGGER refuse");
    ASSERT_TRUE(sqlUpdateSNoteRecord(&note)) << sqlLastError();
    EXPECT_EQ(std::to_string(note.iSNoteID), strID) << "the retry updates the same row";
    EXPECT_FALSE(note.bDirty);
    rows = query(ccdDb(), "SELECT iSNoteID, strLabel, strText FROM ServiceNote");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (avt::Row{strID, "Check the bolts", "Check the bolts"}));
}

TEST_F(SqlRecords, WhichUpdatesClearTheDirtyFlag) {
    struct Case {
        const char* pszType;
        std::function<gboolean()> update;
        gboolean bDirtyAfter;
    };
    auto ac = sampleAC("a");
    auto pilot = samplePilot("p");
    auto flight = sampleFLog("f");
    auto maint = sampleMaint("m");
    auto comp = sampleComp("c");
    auto ref = sampleRef("r");
    auto tgt = sampleTarget();
    auto note = sampleSNote("n");
    const Case cases[] = {
        {"aircraft", [&] { return ac.bDirty = TRUE, sqlUpdateAircraftRecord(&ac); }, TRUE},
        {"pilot", [&] { return pilot.bDirty = TRUE, sqlUpdatePilotRecord(&pilot); }, FALSE},
        {"flight", [&] { return flight.bDirty = TRUE, sqlUpdateFLogRecord(&flight); }, TRUE},
        {"maintenance", [&] { return maint.bDirty = TRUE, sqlUpdateMaintRecord(&maint, 1); }, TRUE},
        {"card", [&] { return comp.bDirty = TRUE, sqlUpdateCompCard(&comp); }, TRUE},
        {"drawing", [&] { return ref.bDirty = TRUE, sqlUpdateRefRecord(&ref); }, FALSE},
        {"target", [&] { return tgt.bDirty = TRUE, sqlUpdateTargetRecord(&tgt); }, FALSE},
        {"service note", [&] { return note.bDirty = TRUE, sqlUpdateSNoteRecord(&note); }, FALSE},
    };
    const gboolean* pbDirty[] = {&ac.bDirty,   &pilot.bDirty, &flight.bDirty, &maint.bDirty,
                                 &comp.bDirty, &ref.bDirty,   &tgt.bDirty,    &note.bDirty};
    for (int nPass = 0; nPass < 2; ++nPass) { // insert, then update
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(std::string(cases[i].pszType) + (nPass ? " update" : " insert"));
            ASSERT_TRUE(cases[i].update()) << sqlLastError();
            EXPECT_EQ(*pbDirty[i], cases[i].bDirtyAfter);
        }
    }
}

// ---- Load-all: filtering and order ----

std::vector<std::string> m_lstSeen;

TEST_F(SqlRecords, LoadAllSkipsDeletedAndKeepsTheStatedOrder) {
    exec(logDb(), "INSERT INTO Aircraft (iAircraftID, strReg, bDelete) VALUES "
                  "(1,'c-three',0),(2,'B-TWO',NULL),(3,'a-gone',1),(4,'A-one',0)");
    exec(logDb(), "INSERT INTO Pilot (iPilotID, strSortKey, bDelete) VALUES "
                  "(1,'beta',NULL),(2,'Zulu',0),(3,'alpha',1),(4,'alpha2',0)");
    exec(logDb(), "INSERT INTO Flight (iFltID, iCSID, tFltBegin, bDelete) VALUES "
                  "(1,7,300,0),(2,7,100,NULL),(3,7,50,1),(4,8,10,0),(5,7,4102444800,0)");
    exec(logDb(), "INSERT INTO Maintenance (iMaintID, iCompID, iACID, tCompleted, bDelete) VALUES "
                  "(1,5,7,300,0),(2,5,7,100,NULL),(3,5,7,50,1),(4,5,8,10,0),(5,6,7,1,0)");
    exec(ccdDb(), "INSERT INTO Component (iCompID, iGroupID, iSortOrder, bDelete) VALUES "
                  "(1,4,3,0),(2,4,1,NULL),(3,4,0,1),(4,5,0,0),(5,4,2,0)");
    exec(ccdDb(), "INSERT INTO Reference (iRefID, iCompID, bDelete) VALUES "
                  "(1,4,0),(2,4,1),(3,5,NULL),(4,4,NULL)");
    exec(ccdDb(), "INSERT INTO Target (iTargetID, iRefID, bDelete) VALUES "
                  "(1,4,1),(2,4,0),(3,9,0),(4,4,NULL)");
    exec(ccdDb(), "INSERT INTO ServiceNote (iSNoteID, bDelete) VALUES (1,1),(2,NULL),(3,0)");

    auto add = [](guint iID) {
        m_lstSeen.push_back(std::to_string(iID));
        return 0;
    };
    static std::function<int(guint)> s_add;
    s_add = add;
    struct Case {
        const char* pszName;
        std::function<gboolean()> load;
        std::vector<std::string> expected;
    };
    rcdAC ac{};
    rcdPilot pilot{};
    rcdFLog flight{};
    rcdMaint maint{};
    rcdComp comp{};
    rcdRef ref{};
    rcdTarget tgt{};
    rcdSNote note{};
    cbAC cbA{&ac, [](rcdAC* p) { return s_add(p->iACID); }};
    cbPilot cbP{&pilot, [](rcdPilot* p) { return s_add(p->iPilotID); }};
    cbFLog cbF{&flight, [](rcdFLog* p) { return s_add(p->iFLogID); }};
    cbMaint cbM{&maint, [](rcdMaint* p) { return s_add(p->iMaintID); }};
    cbComp cbC{&comp, nullptr, [](rcdComp* p, GtkTreeIter*) { return s_add(p->iCompID); }};
    cbRef cbR{&ref, [](rcdRef* p) { return s_add(p->iRefID); }};
    cbTarget cbT{&tgt, [](rcdTarget* p) { return s_add(p->iTargetID); }};
    cbSNote cbS{&note, [](rcdSNote* p) { return s_add(p->iSNoteID); }};
    const Case cases[] = {
        {"aircraft by registration, case ignored",
         [&] { return sqlLoadAircraftRecord(&cbA, SQL_NEW_ID); },
         {"4", "2", "1"}},
        {"pilots by sort key as stored",
         [&] { return sqlLoadPilotRecord(&cbP, SQL_NEW_ID); },
         {"2", "4", "1"}},
        {"flights of one aircraft by start",
         [&] { return sqlLoadFLogRecord(&cbF, SQL_NEW_ID, 7); },
         {"2", "1", "5"}},
        {"flights, all ones in a long",
         [&] { return sqlLoadFLogRecord(&cbF, G_MAXULONG, 7); },
         {"2", "1", "5"}},
        {"maintenance of one card on one aircraft by completion",
         [&] { return sqlLoadMaintRecords(&cbM, 5, 7); },
         {"2", "1"}},
        {"cards of one group by sort order",
         [&] { return sqlLoadCompCard(&cbC, SQL_NEW_ID, 4); },
         {"2", "5", "1"}},
        {"drawings of one card", [&] { return sqlLoadRefRecords(&cbR, 4); }, {"1", "4"}},
        {"targets of one drawing", [&] { return sqlLoadTargetRecords(&cbT, 4); }, {"2", "4"}},
        {"service notes", [&] { return sqlLoadSNoteRecords(&cbS); }, {"2", "3"}},
        // Loading by ID does not look at bDelete.
        {"deleted aircraft by ID", [&] { return sqlLoadAircraftRecord(&cbA, 3); }, {"3"}},
        {"deleted pilot by ID", [&] { return sqlLoadPilotRecord(&cbP, 3); }, {"3"}},
        {"deleted flight by ID, other aircraft ignored",
         [&] { return sqlLoadFLogRecord(&cbF, 3, 99); },
         {"3"}},
        {"deleted card by ID", [&] { return sqlLoadCompCard(&cbC, 3, 0); }, {"3"}},
        {"deleted drawing by ID", [&] { return sqlLoadRefRecord(&cbR, 2); }, {"2"}},
        {"deleted target by ID", [&] { return sqlLoadTargetRecord(&cbT, 1); }, {"1"}},
        {"deleted note by ID", [&] { return sqlLoadSNoteRecord(&cbS, 1); }, {"1"}},
        {"no such ID", [&] { return sqlLoadPilotRecord(&cbP, 1000); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        m_lstSeen.clear();
        EXPECT_TRUE(c.load()) << sqlLastError();
        EXPECT_EQ(m_lstSeen, c.expected);
    }

    rcdMaint one = garbage<rcdMaint>();
    ASSERT_TRUE(sqlLoadMaintRecord(&one, 3)) << sqlLastError();
    EXPECT_EQ(one.iMaintID, 3u);
    EXPECT_TRUE(one.bDelete) << "a deleted maintenance record loads by its ID";
}

TEST_F(SqlRecords, NullColumnsKeepOrClearTheCallersFields) {
    exec(logDb(), "INSERT INTO Aircraft (iAircraftID, strReg) VALUES (1, 'G-ABCD')");
    exec(logDb(), "INSERT INTO Pilot (iPilotID, strLName) VALUES (1, 'Smith')");
    exec(logDb(), "INSERT INTO Maintenance (iMaintID, iType) VALUES (1, 2)");
    exec(logDb(), "INSERT INTO Flight (iFltID, iCSID) VALUES (1, 3)");
    exec(ccdDb(), "INSERT INTO Reference (iRefID, iCompID) VALUES (1, 3)");

    // Aircraft, pilot and maintenance loads keep what a NULL column finds.
    auto ac = loadAC(1);
    EXPECT_STREQ(ac.szReg, "G-ABCD");
    EXPECT_EQ(ac.szModel[0], 0x5A);
    EXPECT_EQ(ac.nLogHours, 0x5A5A5A5Au);
    auto pilot = loadPilot(1);
    EXPECT_STREQ(pilot.szLName, "Smith");
    EXPECT_EQ(pilot.tLastMed, static_cast<time_t>(0x5A5A5A5A5A5A5A5ALL));
    auto maint = loadMaint(1);
    EXPECT_EQ(maint.iType, 2u);
    EXPECT_EQ(maint.nCompHours, 0x5A5A5A5Au);

    // Flight and catalogue loads start every row from zeros.
    auto flight = loadFLog(1);
    EXPECT_EQ(flight.iCSID, 3u);
    EXPECT_STREQ(flight.szFrom, "");
    EXPECT_EQ(flight.tFltBegin, 0);
    auto ref = loadRef(1);
    EXPECT_EQ(ref.iCompID, 3u);
    EXPECT_STREQ(ref.szDrawing, "");
    EXPECT_EQ(ref.nRotate, 0u);
}

// ---- Failures ----

int m_nCalls = 0;

TEST_F(SqlRecords, ACallbackReturningNonZeroStopsTheLoad) {
    exec(logDb(), "INSERT INTO Pilot (iPilotID, strSortKey) VALUES (1,'a'),(2,'b'),(3,'c')");
    rcdPilot pilot{};
    cbPilot cb{&pilot, [](rcdPilot*) { return ++m_nCalls, 1; }};
    m_nCalls = 0;
    EXPECT_FALSE(sqlLoadPilotRecord(&cb, SQL_NEW_ID));
    EXPECT_EQ(m_nCalls, 1);
    EXPECT_EQ(pilot.iPilotID, 1u);
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlLoadPilotRecord():sqlite3_exec(SELECT iPilotID, strLName, strFName, strSortKey, "
              "tLastMed, tNextMed, nMedInterval, bMedAuto, bMedMonthEnd, tLastFR, tNextFR, "
              "nFRInterval, bFRAuto, bFRMonthEnd, bDelete, strNotes FROM Pilot WHERE bDelete = 0 "
              "OR bDelete IS NULL ORDER BY strSortKey)\nquery aborted");

    // The statement is reusable afterwards.
    cb.pfuncPilotCB = [](rcdPilot*) { return ++m_nCalls, 0; };
    m_nCalls = 0;
    EXPECT_TRUE(sqlLoadPilotRecord(&cb, SQL_NEW_ID)) << sqlLastError();
    EXPECT_EQ(m_nCalls, 3);
}

TEST_F(SqlRecords, ALoadStartedInsideALoadOfTheSameKindWorks) {
    exec(logDb(), "INSERT INTO Pilot (iPilotID, strSortKey) VALUES (1,'a'),(2,'b')");
    static std::vector<std::string> s_lstPairs;
    s_lstPairs.clear();
    rcdPilot outer{};
    cbPilot cb{&outer, [](rcdPilot* pOuter) {
                   rcdPilot inner{};
                   static guint s_iOuter;
                   s_iOuter = pOuter->iPilotID;
                   cbPilot cbInner{&inner, [](rcdPilot* pInner) {
                                       s_lstPairs.push_back(std::to_string(s_iOuter) + "-" +
                                                            std::to_string(pInner->iPilotID));
                                       return 0;
                                   }};
                   return sqlLoadPilotRecord(&cbInner, SQL_NEW_ID) ? 0 : 1;
               }};
    ASSERT_TRUE(sqlLoadPilotRecord(&cb, SQL_NEW_ID)) << sqlLastError();
    EXPECT_EQ(s_lstPairs, (std::vector<std::string>{"1-1", "1-2", "2-1", "2-2"}));
}

TEST_F(SqlRecords, AFailingStatementLeavesTheRecordAndReportsTwoLines) {
    // A failing load: the table is gone.
    exec(ccdDb(), "DROP TABLE Target");
    auto tgt = sampleTarget();
    auto before = tgt;
    cbTarget cbT{&tgt, nullptr};
    EXPECT_FALSE(sqlLoadTargetRecord(&cbT, 7));
    EXPECT_EQ(memcmp(&tgt, &before, sizeof tgt), 0);
    EXPECT_EQ(std::string(sqlLastError()),
              "sqlLoadTargetRecord():sqlite3_exec(SELECT iTargetID, iRefID, nX, nY, nWidth, "
              "nHeight, nLen, nAngle, iShape, nWeight, nColour, bDelete FROM Target WHERE "
              "iTargetID = 7 )\nno such table: Target");

    exec(logDb(), "DROP TABLE Flight");
    rcdFLog flight = sampleFLog("x");
    cbFLog cbF{&flight, nullptr};
    EXPECT_FALSE(sqlLoadFLogRecord(&cbF, SQL_NEW_ID, 7));
    EXPECT_EQ(std::string(sqlLastError()).substr(0, 48),
              "sqlLoadFlightLog():sqlite3_exec(SELECT iFltID, i");

    // Failing writes: a new record stays new, a stored one keeps its fields.
    struct Case {
        const char* pszTrigger;
        std::function<gboolean()> update;
        std::function<bool()> untouched;
        std::string strFirstWords;
    };
    auto pilot = samplePilot("O'Neill");
    auto pilotBefore = pilot;
    auto ac = sampleAC("G-ABCD");
    ASSERT_TRUE(sqlUpdateAircraftRecord(&ac)) << sqlLastError();
    ac.iEngineOpt = 99;
    auto acBefore = ac;
    auto maint = sampleMaint("m");
    auto maintBefore = maint;
    const Case cases[] = {
        {"BEFORE INSERT ON Pilot", [&] { return sqlUpdatePilotRecord(&pilot); },
         [&] { return memcmp(&pilot, &pilotBefore, sizeof pilot) == 0; },
         "sqlUpdatePilotRecord():sqlite3_exec(INSERT INTO Pilot (strFName,strLName,strSortKey,"
         "tLastMed,tNextMed,nMedInterval,bMedMonthEnd,bMedAuto,tLastFR,tNextFR,nFRInterval,"
         "bFRMonthEnd,bFRAuto,bDelete,strNotes) VALUES ('O''Neill','O''Neill','O''Neill',"
         "1271635200,2240000000,2147483672,0,1,-1,0,4294967295,1,0,0,'O''Neill')"},
        {"BEFORE UPDATE ON Aircraft", [&] { return sqlUpdateAircraftRecord(&ac); },
         [&] { return memcmp(&ac, &acBefore, sizeof ac) == 0; },
         "sqlUpdateAircraftRecord():sqlite3_exec(UPDATE Aircraft SET strReg='G-ABCD',"},
        {"BEFORE INSERT ON Maintenance", [&] { return sqlUpdateMaintRecord(&maint, 4); },
         [&] { return memcmp(&maint, &maintBefore, sizeof maint) == 0; },
         "sqlUpdateMaintRecord():sqlite3_exec(INSERT INTO Maintenance (iCompID,iACID,"},
    };
    int nTrigger = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTrigger);
        exec(logDb(), "CREATE TRIGGER t" + std::to_string(++nTrigger) + " " + c.pszTrigger +
                          " BEGIN SELECT RAISE(ABORT, 'disk on fire'); END");
        EXPECT_FALSE(c.update());
        EXPECT_TRUE(c.untouched());
        std::string strError = sqlLastError();
        EXPECT_EQ(strError.substr(0, c.strFirstWords.size()), c.strFirstWords);
        EXPECT_TRUE(g_str_has_suffix(strError.c_str(), ")\ndisk on fire")) << strError;
        EXPECT_EQ(std::count(strError.begin(), strError.end(), '\n'), 1);
    }
    EXPECT_EQ(count(logDb(), "Pilot"), "0");
    EXPECT_EQ(count(logDb(), "Maintenance"), "0");
}

} // namespace
