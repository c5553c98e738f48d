// The due list and the report of an aircraft with a known history: each
// line names its component, what is due, the limit that drives it and how
// far off it is, in the colours of the component tree; the CSV parsed back
// and the PDF's text say the same.
#include "avReport.h"
#include "test_due_list_fixture.h"

namespace {

using namespace avdt;

std::string dateText(time_t t) {
    char sz[40];
    cnvDcdDate(sz, sizeof sz, t, 0);
    return sz;
}

struct Expect {
    const char* pszName;
    const char* pszWhat;
    const char* pszState;
    const char* pszDriver;
    std::string strDueAt;
    const char* pszLeft; // start of the left text
    const char* pszDefer;
};

// Worst first: replacements due, inspections due (overdue before due only at
// the mark), deferrals; then pilots, run out before due at the mark.
std::vector<Expect> expected(time_t tCalendarDue) {
    return {
        {"Calendar Life", "Replacement", "Overdue", "Calendar", dateText(tCalendarDue), "", ""},
        {"Used Part", "Replacement", "Overdue", "Used part's hours", "50.0 A/F hrs",
         "10.0 hrs overdue", ""},
        {"Hours Insp", "Inspection", "Overdue", "Hours", "50.0 A/F hrs", "10.0 hrs overdue", ""},
        {"Within Mark", "Inspection", "Due at the mark", "Hours", "65.0 A/F hrs", "5.0 hrs left",
         ""},
        {"Deferred Insp", "Inspection", "Deferred", "Deferral", "50.0 A/F hrs", "10.0 hrs overdue",
         "70.0 hrs left"},
        {"Ann Early", "Medical", "Overdue", "Calendar", dateText(today() - 5 * 86400),
         "5 days overdue", ""},
        {"Bob Soon", "Medical", "Due at the mark", "Calendar", dateText(today() + 10 * 86400),
         "10 days left", ""},
    };
}

using DueList = DueScenario;

TEST_F(DueList, LinesSayWhatDrivesEachAndMatchTheTree) {
    std::vector<dueLine> lines = dueCollect();
    std::vector<Expect> want = expected(m_tCalendarDue);
    ASSERT_EQ(lines.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const dueLine& l = lines[i];
        const Expect& e = want[i];
        SCOPED_TRACE(e.pszName);
        EXPECT_EQ(l.strName, e.pszName);
        EXPECT_EQ(l.strWhat, e.pszWhat);
        EXPECT_EQ(l.strState, e.pszState);
        EXPECT_EQ(l.strDriver, e.pszDriver);
        EXPECT_EQ(l.strDuePoint, e.strDueAt);
        EXPECT_EQ(l.strLeft.rfind(e.pszLeft, 0), 0u) << l.strLeft;
        EXPECT_EQ(l.strDefer, e.pszDefer);
        if (l.bPilot)
            continue;
        // The colour and weight the tree gives the same card.
        GtkTreeIter iter;
        ASSERT_TRUE(findCard(&iter, e.pszName));
        EXPECT_EQ(l.strColour, text(&iter, CCD_COLOUR_COL));
        EXPECT_EQ(l.nWeight, col<guint>(&iter, CCD_WEIGHT_COL));
    }
    EXPECT_EQ(lines[0].strLeft.find("days overdue"), lines[0].strLeft.size() - 12);

    // A flight that uses up the look-ahead: the card due only at the mark
    // becomes overdue; a mark of nothing drops it from the list.
    cmodSetMarkTime(0, 0);
    cmodMarkDue();
    lines = dueCollect();
    auto has = [&](const char* psz) {
        return std::any_of(lines.begin(), lines.end(), [&](auto& l) { return l.strName == psz; });
    };
    EXPECT_FALSE(has("Within Mark"));
    EXPECT_FALSE(has("Bob Soon")) << "the calendar mark is gone too";
    EXPECT_TRUE(has("Ann Early"));
}

// The report's CSV and PDF of the same aircraft.
TEST_F(DueList, ReportCsvAndPdfSayWhatTheListSays) {
    rptDoc doc;
    rptBuild(&doc);
    std::string strCsv = (m_dirs->root() / "r.csv").string();
    std::string strPdf = (m_dirs->root() / "r.pdf").string();
    GError* pError = nullptr;
    ASSERT_TRUE(rptWriteCsv(doc, strCsv.c_str(), &pError));
    ASSERT_TRUE(rptWritePdf(doc, strPdf.c_str(), &pError));

    // CSV: one row per component of the aircraft, the list's columns.
    std::string strFile = avt::readFile(strCsv);
    std::vector<std::vector<std::string>> rows = parseCsv(strFile);
    ASSERT_EQ(rows.size(), 7u) << strFile;
    const std::vector<std::string>& head = rows[0];
    auto at = [&](const std::vector<std::string>& row, const char* pszHead) {
        auto it = std::find(head.begin(), head.end(), pszHead);
        return it == head.end() ? std::string("<no column>") : row[size_t(it - head.begin())];
    };
    for (const Expect& e : expected(m_tCalendarDue)) {
        if (std::string(e.pszWhat) == "Medical")
            continue;
        SCOPED_TRACE(e.pszName);
        auto it = std::find_if(rows.begin(), rows.end(),
                               [&](auto& r) { return at(r, "Component") == e.pszName; });
        ASSERT_NE(it, rows.end());
        EXPECT_EQ(at(*it, "State"), e.pszState);
        EXPECT_EQ(at(*it, "Driven by"), e.pszDriver);
        EXPECT_EQ(at(*it, "Due at"), e.strDueAt);
    }
    const std::vector<std::string>& notDue = rows[3];
    EXPECT_EQ(at(notDue, "Component"), "Not Due <Seal> & \"ring\", ø");
    EXPECT_EQ(at(notDue, "Group"), "Fuselage");
    EXPECT_EQ(at(notDue, "Sub-group"), "Airframe");
    EXPECT_EQ(at(notDue, "State"), "");
    EXPECT_EQ(at(notDue, "Left"), "440.0 hrs left");
    EXPECT_EQ(at(notDue, "Inspection interval"), "500 HR");
    // Dates without a record of the work are not passed off as work done.
    EXPECT_EQ(at(notDue, "Last inspection"), "none recorded");
    EXPECT_EQ(at(notDue, "Last replacement"), "never (original part)");
    EXPECT_EQ(at(rows[5], "Last replacement"), "01-Mar-2020");
    EXPECT_EQ(at(rows[5], "A/F hrs at last replacement"), "30.0");
    EXPECT_EQ(at(rows[5], "Component hours"), "110.0") << "80.0 when fitted, 30.0 flown since";

    // PDF: the due list first, in the list's order; then the components and
    // their history; then the pilots, an overdue one marked.
    std::string strText = pdfText(strPdf);
    size_t nDue = strText.find("Due list"), nGroups = strText.find("Fuselage", nDue);
    ASSERT_NE(nGroups, std::string::npos) << strText;
    size_t nLast = nDue;
    for (const Expect& e : expected(m_tCalendarDue)) {
        size_t n = strText.find(e.pszName, nDue);
        EXPECT_GT(n, nLast) << e.pszName << " out of order";
        EXPECT_LT(n, nGroups) << e.pszName;
        nLast = n;
    }
    EXPECT_GT(strText.find("Not Due <Seal> & \"ring\", ø"), nGroups);
    EXPECT_NE(strText.find("Defer Inspection"), std::string::npos) << "history listed";
    EXPECT_NE(strText.find("(overdue)"), std::string::npos);
    EXPECT_NE(strText.find("ZK-TST"), std::string::npos);
}

} // namespace
