// An aircraft with a known history for the due list and the report: one
// card for each way a component falls due, one that is not due, and three
// pilots around the look-ahead mark's calendar span.
#pragma once

#include "avDue.h"
#include "modPilot.h"
#include "test_comp_fixture.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace avdt {

using namespace avct;

constexpr guint kMarkHours = 100;                 // 10.0 hrs
constexpr guint kMarkSpan = INTV_DAY << 24 | 30u; // 30 days

inline time_t today() {
    time_t t = time(nullptr);
    return t - t % 86400;
}

class DueScenario : public CompTest {
  protected:
    void SetUp() override {
        CompTest::SetUp();
        const time_t tFitted = today() - 4 * 365 * 86400;
        m_tCalendarDue = cnvAddCalendar(tFitted, INTV_YEAR, 3);
        guint iACID = addAircraft();
        // 30.0 hrs before 1-Mar-2020, 60.0 in all.
        addFlights(iACID, {{utc(2020, 2, 1), 300}, {utc(2020, 4, 1), 300}});
        addCard({.iGroupID = 1, .pszDesc = "Hours Insp", .nSort = 1, .nInspIntv = 50});
        addCard({.iGroupID = 1, .pszDesc = "Within Mark", .nSort = 2, .nInspIntv = 65});
        m_iNotDue = addCard({.iGroupID = 1,
                             .pszDesc = "Not Due <Seal> & \"ring\", ø",
                             .nSort = 3,
                             .nInspIntv = 500});
        guint iCal = addCard({.iGroupID = 4, .pszDesc = "Calendar Life", .nRCOIntv = 3u << 16});
        addRecord(iACID, iCal, {MNT_KIND_REPLACE_NEW, tFitted});
        guint iUsed = addCard({.iGroupID = 11, .pszDesc = "Used Part", .nRCOIntv = 100});
        addRecord(iACID, iUsed, {MNT_KIND_REPLACE_USED, utc(2020, 3, 1), 800});
        guint iDefer = addCard({.iGroupID = 12, .pszDesc = "Deferred Insp", .nInspIntv = 50});
        addRecord(iACID, iDefer, {MNT_KIND_DEFER_INSP, utc(2020, 3, 1), 0, 0, 1000, 0});

        avt::exec(logDb(), R"(
            INSERT INTO Pilot (strLName, strFName, strSortKey, tNextMed, tNextFR) VALUES
              ('Early', 'Ann', 'EARLYANN', strftime('%s', 'now', 'start of day', '-5 days'), 0),
              ('Soon', 'Bob', 'SOONBOB', strftime('%s', 'now', 'start of day', '+10 days'),
               strftime('%s', 'now', 'start of day', '+40 days')),
              ('Later', 'Cy', 'LATERCY', strftime('%s', 'now', 'start of day', '+60 days'), 0),
              ('Today', 'Dee', 'TODAYDEE', strftime('%s', 'now', 'start of day'), 0))");
        ASSERT_TRUE(pmodInitialize());
        cmodSetMarkTime(kMarkHours, kMarkSpan);
        activate(iACID);
        ASSERT_TRUE(cmodLoadModel(ALL));
    }

    time_t m_tCalendarDue = 0;
    guint m_iNotDue = 0;
};

// An RFC 4180 reader: quoted fields, doubled quotes, CRLF line ends.
inline std::vector<std::vector<std::string>> parseCsv(const std::string& str) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool bQuoted = false;
    // A leading byte-order mark is the encoding's, not the first field's.
    for (size_t i = str.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0; i < str.size(); ++i) {
        const bool bCRLF = str.compare(i, 2, "\r\n") == 0;
        if (bQuoted && str.compare(i, 2, "\"\"") == 0)
            field += '"', ++i;
        else if (str[i] == '"')
            bQuoted = !bQuoted;
        else if (bQuoted || (str[i] != ',' && !bCRLF))
            field += str[i];
        else if (row.push_back(std::exchange(field, {})); bCRLF)
            rows.push_back(std::exchange(row, {})), ++i;
    }
    if (!row.empty() || !field.empty())
        row.push_back(field), rows.push_back(row);
    return rows;
}

// What a command prints.
inline std::string run(const std::string& strCommand) {
    g_autofree gchar* pszOut = nullptr;
    EXPECT_TRUE(g_spawn_command_line_sync(strCommand.c_str(), &pszOut, nullptr, nullptr, nullptr));
    return pszOut ? pszOut : "";
}

// The text of a PDF as pdftotext reads it; pages end in form feeds.
inline std::string pdfText(const std::string& strPdf) {
    return run("pdftotext -layout '" + strPdf + "' -");
}

} // namespace avdt
