// The due list and the report of an aircraft with a known history: each
// line names its component, what is due, the limit that drives it and how
// far off it is, in the colours of the component tree; the CSV parsed back
// and the PDF's text say the same.
#include "avReport.h"
#include "test_comp_fixture.h"

#include <regex>
#include <set>

namespace {

using namespace avct;

// Worst first: replacements due, inspections due (overdue before due only at
// the mark), deferrals; then pilots, run out before due at the mark. Each as
// "name|what|state|driven by|due at|left|deferral left".
std::vector<std::string> expected(time_t tCalendarDue) {
    return {
        "Calendar Life|Replacement|Overdue|Calendar|" + dateText(tCalendarDue) + "|N days overdue|",
        "Used Part|Replacement|Overdue|Used part's hours|50.0 A/F hrs|10.0 hrs overdue|",
        "Hours Insp|Inspection|Overdue|Hours|50.0 A/F hrs|10.0 hrs overdue|",
        "Within Mark|Inspection|Due at the mark|Hours|65.0 A/F hrs|5.0 hrs left|",
        "Deferred Insp|Inspection|Deferred|Deferral|50.0 A/F hrs|10.0 hrs overdue|70.0 hrs left",
        "Ann Early|Medical|Overdue|Calendar|" + dateText(today() - 5 * 86400) + "|5 days overdue|",
        "Dee Today|Medical|Overdue|Calendar|" + dateText(today()) + "|due today|",
        "Bob Soon|Medical|Due at the mark|Calendar|" + dateText(today() + 10 * 86400) +
            "|10 days left|",
    };
}

// Fields joined by "|"; the calendar card's count of days, which depends on
// the year lengths up to today, as "N".
std::string joined(std::initializer_list<std::string> lst) {
    std::string str;
    for (const std::string& s : lst)
        str += (str.empty() ? "" : "|") + s;
    return std::regex_replace(str, std::regex("^(Calendar Life.*\\|)\\d+ days"), "$1N days");
}

using DueList = DueScenario;

TEST_F(DueList, LinesSayWhatDrivesEachAndMatchTheTree) {
    std::vector<std::string> shown;
    for (const dueLine& l : dueCollect()) {
        shown.push_back(joined(
            {l.strName, l.strWhat, l.strState, l.strDriver, l.strDuePoint, l.strLeft, l.strDefer}));
        if (l.bPilot)
            continue;
        std::string strTree = "not in the tree"; // the look the tree gives the same card
        eachRow([&](GtkTreeIter* p) {
            if (col<guint>(p, CCD_TYPE_COL) == TYPE_COMP && text(p, CCD_COMP_COL) == l.strName)
                strTree = text(p, CCD_COLOUR_COL) + std::to_string(col<guint>(p, CCD_WEIGHT_COL));
        });
        EXPECT_EQ(l.strColour + std::to_string(l.nWeight), strTree) << l.strName;
    }
    EXPECT_EQ(shown, expected(m_tCalendarDue));

    // With no look-ahead the card and the pilot due only at the mark go.
    cmodSetMarkTime(0, 0);
    cmodMarkDue();
    std::vector<std::string> names;
    for (const dueLine& l : dueCollect())
        names.push_back(l.strName);
    EXPECT_EQ(names, (std::vector<std::string>{"Calendar Life", "Used Part", "Hours Insp",
                                               "Deferred Insp", "Ann Early", "Dee Today"}));

    // A flight logged while another page shows: the tree waits for its page
    // to be marked again, but each line's colour follows its own verdict.
    const guint iACID = acdGetActiveAC()->iACID;
    addFlights(iACID, {{utc(2020, 5, 1), 100}});
    activate(iACID);
    std::string strWithin = "not listed";
    for (const dueLine& l : dueCollect())
        if (l.strName == "Within Mark")
            strWithin = l.strState + " " + l.strColour + " " + std::to_string(l.nWeight);
    EXPECT_EQ(strWithin, "Overdue red 400");
}

// The report's CSV and PDF of the same aircraft. Every card, due or not,
// names where each of its limits next falls due; the history shows a used
// part as fitted.
TEST_F(DueList, ReportCsvAndPdfSayWhatTheListSays) {
    // The used part was two years old when fitted.
    avt::exec(logDb(), "UPDATE Maintenance SET nCompAge = " + std::to_string(INTV_YEAR << 24 | 2u) +
                           " WHERE nCompHours = 800");
    ASSERT_TRUE(cmodLoadModel(ALL));
    rptDoc doc;
    rptBuild(&doc);
    const std::string strCsv = m_dirs->root() / "r.csv", strPdf = m_dirs->root() / "r.pdf";
    GError* pError = nullptr;
    ASSERT_TRUE(rptWriteCsv(doc, strCsv.c_str(), &pError));
    ASSERT_TRUE(rptWritePdf(doc, strPdf.c_str(), &pError));

    // CSV: one row per component of the aircraft, with the list's columns.
    std::vector<std::vector<std::string>> rows = parseCsv(avt::readFile(strCsv));
    ASSERT_EQ(rows.size(), 7u);
    auto at = [&](size_t iRow, const char* pszHead) {
        auto it = std::find(rows[0].begin(), rows[0].end(), pszHead);
        return it == rows[0].end() ? std::string("<no column>")
                                   : rows[iRow][size_t(it - rows[0].begin())];
    };
    std::multiset<std::string> due, want, nextShown, nextWant;
    for (size_t i = 1; i < rows.size(); ++i)
        if (!at(i, "State").empty())
            due.insert(joined({at(i, "Component"), at(i, "Due"), at(i, "State"), at(i, "Driven by"),
                               at(i, "Due at"), at(i, "Left"), at(i, "Deferral left")}));
    for (const std::string& str : expected(m_tCalendarDue))
        if (str.find("|Medical|") == std::string::npos)
            want.insert(str);
    EXPECT_EQ(due, want);
    // The card that is not due, and one with a used part fitted. Dates
    // without a record of the work are not passed off as work done.
    EXPECT_EQ(
        joined({at(3, "Component"), at(3, "Group"), at(3, "Sub-group"), at(3, "Left"),
                at(3, "Inspection interval"), at(3, "Last inspection"), at(3, "Last replacement")}),
        "Not Due <Seal> & \"ring\", ø|Fuselage|Airframe|440.0 hrs left|500 HR|none "
        "recorded|never (original part)");
    EXPECT_EQ(joined({at(5, "Last replacement"), at(5, "A/F hrs at last replacement"),
                      at(5, "Component hours")}),
              "01-Mar-2020|30.0|110.0")
        << "80.0 when fitted, 30.0 flown since";
    // Component, then the next inspection, replacement by hours and by date
    // as the CSV has them, and as the PDF says them.
    const std::string strCal = dateText(m_tCalendarDue);
    const std::vector<std::pair<std::string, std::string>> next{
        {"Hours Insp|50.0||", "Next inspection at 50.0 A/F hrs Next replacement none"},
        {"Within Mark|65.0||", "Next inspection at 65.0 A/F hrs"},
        {"Not Due <Seal> & \"ring\", ø|500.0||", "Next inspection at 500.0 A/F hrs"},
        {"Calendar Life|||" + strCal, "Next inspection none Next replacement on " + strCal},
        {"Used Part||50.0|", "Next replacement at 50.0 A/F hrs"},
        {"Deferred Insp|50.0||", "Next inspection at 50.0 A/F hrs"},
    };
    for (size_t i = 1; i < rows.size(); ++i)
        nextShown.insert(
            joined({at(i, "Component"), at(i, "Next inspection at A/F hrs"),
                    at(i, "Next replacement at A/F hrs"), at(i, "Next replacement on")}));
    for (const auto& [strCsv, strPdf] : next)
        nextWant.insert(strCsv);
    EXPECT_EQ(nextShown, nextWant);

    // PDF: the due list first, in the list's order; then the components and
    // their history; then the pilots, an overdue one marked.
    std::string strText = pdfText(strPdf);
    size_t nDue = strText.find("Due list"), nGroups = strText.find("Fuselage", nDue);
    ASSERT_NE(nGroups, std::string::npos) << strText;
    size_t nLast = nDue;
    for (const std::string& str : expected(m_tCalendarDue)) {
        size_t n = strText.find(str.substr(0, str.find('|')), nDue);
        EXPECT_GT(n, nLast) << str << " out of order";
        EXPECT_LT(n, nGroups) << str;
        nLast = n;
    }
    EXPECT_GT(strText.find("Not Due <Seal> & \"ring\", ø"), nGroups);
    for (const char* psz :
         {"Defer Inspection", "(overdue)", "ZK-TST", "used, 80.0 hrs, 2 Years old"})
        EXPECT_TRUE(avt::contains(strText, psz));
    const std::string strPlain = std::regex_replace(strText, std::regex(" +"), " ");
    for (const auto& [strCsv, strPdf] : next)
        EXPECT_TRUE(avt::contains(strPlain, strPdf)) << strCsv;
}

} // namespace
