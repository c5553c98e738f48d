// Defects: the open list worst first with age and flights since, the
// banner, the marked cards and the flight question; clearing; what a
// delete of a flight or record they name does to them.
#include "dfctExport.h"
#include "modDefect.h"
#include "test_comp_fixture.h"

namespace {

using namespace avct;

class Defects : public CompTest {
  protected:
    void SetUp() override {
        CompTest::SetUp();
        m_iAC = addAircraft();
        addFlights(m_iAC, {{utc(2026, 3, 1, 9), 10},
                           {utc(2026, 3, 2, 9), 10},
                           {utc(2026, 3, 2, 15), 10},
                           {utc(2026, 3, 5, 9), 10}});
        m_iHose = addCard({.pszDesc = "Fuel hose"});
    }
    guint flightID(int nRow) {
        return guint(std::stoul(*avt::query(logDb(), "SELECT iFltID FROM Flight ORDER BY "
                                                     "tFltBegin LIMIT 1 OFFSET " +
                                                         std::to_string(nRow))[0][0]));
    }
    guint report(guint nSeverity, time_t tWhen, const char* pszDesc, guint iFlt = 0,
                 guint iComp = 0) {
        rcdDefect rcd = dfctNew(m_iAC, tWhen);
        rcd.nSeverity = nSeverity;
        rcd.iFLogID = iFlt;
        rcd.iCompID = iComp;
        mscCopyText(rcd.szDesc, pszDesc);
        EXPECT_TRUE(dfctSave(&rcd)) << pszDesc;
        return rcd.iDefectID;
    }
    dfctList load(time_t tNow = utc(2026, 3, 11, 12)) {
        dfctList list;
        EXPECT_TRUE(dfctLoad(m_iAC, tNow, &list));
        return list;
    }
    // "severity|description|age|flights since|card|flight|cleared|how|link"
    static std::vector<std::string> rows(const std::vector<dfctLine>& lst) {
        std::vector<std::string> out;
        for (const dfctLine& l : lst)
            out.push_back(l.strSeverity + "|" + l.rcd.szDesc + "|" + std::to_string(l.nAgeDays) +
                          "|" + std::to_string(l.nFlightsSince) + "|" + l.strComp + "|" +
                          l.strFlight + "|" + l.strCleared + "|" + l.strHow + "|" + l.rcd.szLink);
        return out;
    }

    Reports m_reports; // any report answered OK
    guint m_iAC = 0, m_iHose = 0;
};

TEST_F(Defects, LifeFromReportToClearing) {
    const guint iSkid =
        report(DFCT_GROUNDING, utc(2026, 3, 2, 9), "Cracked skid shoe", flightID(1));
    report(DFCT_NOTE, utc(2026, 3, 1), "Squeak in the pedals");
    const guint iHose = report(DFCT_BEFORE_INSP, utc(2026, 3, 2), "Chafed hose", 0, m_iHose);
    const guint iVib = report(DFCT_GROUNDING, utc(2026, 3, 5), "Vibration at 70 kn");

    dfctList list = load();
    // Worst first, then the oldest; a report by its day alone does not
    // count that day's flights, one from a flight counts those after it.
    EXPECT_EQ(rows(list.lstOpen),
              (std::vector<std::string>{"Grounding|Cracked skid shoe|9|2||02-Mar-2026 09:00|||",
                                        "Grounding|Vibration at 70 kn|6|0|||||",
                                        "Before next inspection|Chafed hose|9|1|Fuel hose||||",
                                        "Note|Squeak in the pedals|10|3|||||"}));
    EXPECT_EQ(dfctBannerText(list), "2 open grounding defects");
    EXPECT_TRUE(dfctCardHasOpen(list, m_iHose));
    EXPECT_FALSE(dfctCardHasOpen(list, m_iHose + 1));
    EXPECT_FALSE(dfctCardHasOpen(list, 0)) << "a defect without a card marks none";
    EXPECT_EQ(dfctFlightQuestion(list, utc(2026, 3, 2, 15)),
              "'Cracked skid shoe' was reported grounding on 02-Mar-2026: log the flight anyway?");
    EXPECT_EQ(dfctFlightQuestion(list, utc(2026, 3, 1, 9)), "") << "a flight before the report";

    // Clearing: refused as the owner would be told, then done.
    const guint iFix = addRecord(m_iAC, m_iHose, {MNT_KIND_REPLACE_NEW, utc(2026, 3, 10)});
    struct {
        guint iDefect;
        time_t tWhen;
        guint iMaint;
        const char *pszHow, *pszBy;
        const char* pszRefusal; // null: cleared
    } clearings[] = {
        {iSkid, utc(2026, 3, 9), 0, "  ", "", "Say how the defect was cleared"},
        {iSkid, utc(2026, 3, 1), 0, "Shoe replaced", "", "before the day it was found"},
        {iSkid, -1, 0, "Shoe replaced", "", "needs its date"},
        {iSkid, utc(2026, 3, 9), 0, "Could not reproduce", "J. Smith", nullptr},
        {iSkid, utc(2026, 3, 10), 0, "Again", "", "cleared already"},
        {iHose, utc(2026, 3, 10), iFix, "", "", nullptr},
    };
    for (const auto& c : clearings) {
        Reports reports;
        EXPECT_EQ(dfctClear(c.iDefect, c.tWhen, c.iMaint, c.pszHow, c.pszBy), !c.pszRefusal);
        EXPECT_EQ(reports.size(), c.pszRefusal ? 1u : 0u);
        if (c.pszRefusal) {
            EXPECT_EQ(reports.count(c.pszRefusal), 1) << c.pszRefusal;
        }
    }
    list = load();
    EXPECT_EQ(rows(list.lstCleared),
              (std::vector<std::string>{
                  "Before next inspection|Chafed hose|8|0|Fuel hose||10-Mar-2026|Maintenance "
                  "record of 10-Mar-2026 (Replace New)|",
                  "Grounding|Cracked skid shoe|7|0||02-Mar-2026 09:00|09-Mar-2026|Could not "
                  "reproduce — cleared by J. Smith|"}));
    EXPECT_EQ(dfctBannerText(list), "1 open grounding defect");
    EXPECT_FALSE(dfctCardHasOpen(list, m_iHose));
    EXPECT_EQ(list.lstOpen.front().rcd.iDefectID, iVib);

    EXPECT_EQ(*avt::query(logDb(), "SELECT COUNT(*) FROM Defect")[0][0], "4");
}

// A delete of what a defect names keeps the defect: the link goes and the
// defect says so; a defect cleared by a deleted record is open again.
TEST_F(Defects, DeletesOfNamedRecordsKeepTheDefect) {
    const guint iFlt = flightID(1);
    report(DFCT_GROUNDING, utc(2026, 3, 2, 9), "Cracked skid shoe", iFlt);
    report(DFCT_NOTE, utc(2026, 3, 2, 9), "Loose door pin", iFlt);
    const guint iHose = report(DFCT_BEFORE_INSP, utc(2026, 3, 2), "Chafed hose", 0, m_iHose);
    const guint iFix = addRecord(m_iAC, m_iHose, {MNT_KIND_REPLACE_NEW, utc(2026, 3, 10)});
    ASSERT_TRUE(dfctClear(iHose, utc(2026, 3, 10), iFix, "", ""));

    struct {
        guint iFlt, iMaint;
        const char* pszWhat;
        const char* pszNote;
    } cases[] = {
        {flightID(0), 0, "flight of 01-Mar-2026", ""},
        {iFlt, 0, "flight of 02-Mar-2026",
         "It is named by the defects 'Cracked skid shoe', 'Loose door pin', which are kept; "
         "their link to the flight is cleared."},
        {0, iFix, "maintenance record of 10-Mar-2026",
         "It cleared the defect 'Chafed hose', which is kept and open again."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dfctDeleteNote(m_iAC, c.iFlt, c.iMaint), c.pszNote);
        EXPECT_TRUE(dfctForgetLinks(m_iAC, c.iFlt, c.iMaint, c.pszWhat, utc(2026, 3, 12)));
    }
    EXPECT_EQ(rows(load().lstOpen),
              (std::vector<std::string>{
                  "Grounding|Cracked skid shoe|9|2|||||Its flight of 02-Mar-2026 was deleted on "
                  "12-Mar-2026.",
                  "Before next inspection|Chafed hose|9|1|Fuel hose||||The maintenance record of "
                  "10-Mar-2026 that cleared it was deleted on 12-Mar-2026; it is open again.",
                  "Note|Loose door pin|9|2|||||Its flight of 02-Mar-2026 was deleted on "
                  "12-Mar-2026."}));
    EXPECT_EQ(*avt::query(logDb(), "SELECT COUNT(*) FROM Defect WHERE iFltID <> 0 OR iMaintID "
                                   "<> 0")[0][0],
              "0");
}

// The CSV as a spreadsheet must read it back: quotes doubled, commas and
// line breaks quoted, a formula shown as text.
TEST(DefectCsv, CellsReadBackAsWritten) {
    dfctList list;
    dfctLine open{dfctNew(1, 0), 3, 2, "Grounding", "02-Mar-2026", "Fuel hose (FH-1)", "", "", ""};
    mscCopyText(open.rcd.szDesc, "Hose \"chafed\", at clamp\nsee photo");
    dfctLine cleared{dfctNew(1, 0),      8, 5, "Note", "01-Mar-2026", "", "", "09-Mar-2026",
                     "=1+1, by J. Smith"};
    mscCopyText(cleared.rcd.szDesc, "Squeak");
    list.lstOpen.push_back(open);
    list.lstCleared.push_back(cleared);
    EXPECT_EQ(dfctExportText(list),
              "Status,Severity,Reported,Days open,Flights since,Component,Flight,Description,"
              "Cleared,How cleared,Note\r\n"
              "Open,Grounding,02-Mar-2026,3,2,Fuel hose (FH-1),,\"Hose \"\"chafed\"\", at "
              "clamp\nsee photo\",,,\r\n"
              "Cleared,Note,01-Mar-2026,8,,,,Squeak,09-Mar-2026,\"'=1+1, by J. Smith\",\r\n");
}

} // namespace
