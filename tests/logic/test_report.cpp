// The report files as a reader gets them: the CSV parsed back field by
// field, the PDF's text as pdftotext extracts it page by page, and what a
// failed write leaves behind.
#include "avReport.h"
#include "test_comp_fixture.h"

#include <csignal>
#include <set>
#include <tuple>
#include <regex>
#include <sstream>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;
using avct::parseCsv;
using avct::run;

// Fields that trip a careless writer, and markup that must not be read.
const std::vector<std::string> kTricky{
    "plain",       "comma, inside",    "say \"hi\"",        "two\nlines",
    "crlf\r\nend", "Müller Ødegård ✈", "<b>bold</b> & <i>", ""};

// The text of each page of a PDF (pdftotext separates pages by form feeds).
std::vector<std::string> pdfPages(const fs::path& pdf) {
    std::string strText = avct::pdfText(pdf.string());
    std::vector<std::string> pages;
    size_t nStart = 0;
    for (size_t n; (n = strText.find('\f', nStart)) != std::string::npos; nStart = n + 1)
        pages.push_back(strText.substr(nStart, n - nStart));
    return pages;
}

std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> set;
    for (const auto& e : fs::directory_iterator(dir))
        set.insert(e.path().filename().string());
    return set;
}

// A document with a long table: every row a numbered line with notes long
// enough to wrap, so rows differ in height and fall across page breaks.
rptDoc longDoc(int nRows) {
    rptDoc doc;
    doc.strReg = "ZK-H<&>";
    doc.strTitle = "Maintenance report";
    doc.add(RPT_HEADING, "Due list");
    rptTable& tbl = doc.addTable({"Item", "State", "Notes"}, {2, 1, 4});
    for (int i = 0; i < nRows; ++i) {
        std::string strNote = "note " + std::to_string(i);
        for (int j = 0; j < i % 7; ++j)
            strNote += " with several more words to wrap";
        tbl.addRow({"row" + std::to_string(i) + "end", i % 3 ? "Deferred" : "Overdue", strNote},
                   i % 3 ? "blue" : "red", i % 2);
    }
    doc.add(RPT_HEADING, "Pilots");
    doc.add(RPT_TEXT, kTricky[5] + " " + kTricky[6]);
    doc.lstCsv = {{"Item", "Notes"}};
    for (const std::string& str : kTricky)
        doc.lstCsv.push_back({str, "x" + str});
    return doc;
}

class ReportFiles : public testing::Test {
  protected:
    avt::TempDirs m_dirs;
    fs::path out(const char* psz) const { return m_dirs.root() / psz; }
};

TEST_F(ReportFiles, CsvReadsBackExactly) {
    rptDoc doc = longDoc(1);
    GError* pError = nullptr;
    ASSERT_TRUE(rptWriteCsv(doc, out("r.csv").c_str(), &pError)) << pError->message;
    std::string strFile = avt::readFile(out("r.csv"));
    EXPECT_EQ(parseCsv(strFile), doc.lstCsv);
    // Every record ends in CRLF; a bare LF appears only inside quotes.
    EXPECT_EQ(strFile.substr(strFile.size() - 2), "\r\n");
    // Marked as UTF-8 for spreadsheet programs.
    EXPECT_EQ(strFile.substr(0, 15), "\xEF\xBB\xBFItem,Notes\r\n");
    EXPECT_EQ(entries(m_dirs.root()), (std::set<std::string>{"bin", "etc", "r.csv"}));
}

TEST_F(ReportFiles, PdfPagesCarryRegistrationNumbersAndWholeRows) {
    const int nRows = 160;
    rptDoc doc = longDoc(nRows);
    GError* pError = nullptr;
    ASSERT_TRUE(rptWritePdf(doc, out("r.pdf").c_str(), &pError)) << pError->message;
    std::vector<std::string> pages = pdfPages(out("r.pdf"));
    ASSERT_GE(pages.size(), 3u) << "160 rows fill several pages";

    int nNext = 0; // rows must come once each, in order, never cut between pages
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string& strPage = pages[i];
        SCOPED_TRACE("page " + std::to_string(i + 1));
        EXPECT_TRUE(avt::contains(strPage, "ZK-H<&>"));
        std::string strNumber =
            "Page " + std::to_string(i + 1) + " of " + std::to_string(pages.size());
        EXPECT_TRUE(avt::contains(strPage, strNumber));
        std::smatch m;
        std::string strRest = strPage;
        bool bFirstOnPage = true;
        while (std::regex_search(strRest, m, std::regex("row(\\d+)end"))) {
            int nRow = std::stoi(m[1]);
            EXPECT_EQ(nRow, nNext);
            // A table going on over a break repeats its headings above its first row.
            if (bFirstOnPage && i > 0) {
                std::string strBefore = m.prefix();
                EXPECT_TRUE(avt::contains(strBefore, "Notes"));
            }
            // The row's notes are on the same page as its name.
            EXPECT_TRUE(avt::contains(strPage, "note " + std::to_string(nRow)));
            bFirstOnPage = false;
            nNext = nRow + 1;
            strRest = m.suffix();
        }
    }
    EXPECT_EQ(nNext, nRows);
    EXPECT_TRUE(avt::contains(pages.back(), kTricky[5]));
    EXPECT_TRUE(avt::contains(pages.back(), kTricky[6]));

    // The page is the locale's default paper.
    double dW = 0, dH = 0;
    rptPaperSize(&dW, &dH);
    std::string strInfo = run("pdfinfo '" + out("r.pdf").string() + "'");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(strInfo, m, std::regex("Page size: +([0-9.]+) x ([0-9.]+)")));
    EXPECT_NEAR(std::stod(m[1]), dW, 0.5);
    EXPECT_NEAR(std::stod(m[2]), dH, 0.5);
}

// A due table as the report fills it: however narrow a column's share,
// no part number, date or figure is split over two lines.
TEST_F(ReportFiles, PdfTableColumnsFitTheirWords) {
    rptDoc doc;
    doc.strReg = "ZK-HXX";
    doc.strTitle = "Maintenance report";
    rptTable& tbl = doc.addTable(dueHeadings(), {2.3, 1.0, 1.9, 1.6, 2.0, 1.6, 1.5, 1.4});
    for (int i = 10; i < 22; ++i)
        tbl.addRow({"Main rotor blade retention bolt " + std::to_string(i),
                    "AVL-0208-0" + std::to_string(i), "Replacement", "Due at the mark",
                    std::to_string(1200 + i) + ".5 A/F hrs or " + std::to_string(i) + "-Dec-2026",
                    "Used part's hours", "12.3 hrs left", "10.0 hrs, 30 days"});
    GError* pError = nullptr;
    ASSERT_TRUE(rptWritePdf(doc, out("r.pdf").c_str(), &pError)) << pError->message;
    const std::string strText = avct::pdfText(out("r.pdf").string());
    std::string strWord;
    for (const auto& lstRow : tbl.lstRows)
        for (const std::string& strCell : lstRow)
            for (std::istringstream in(strCell); in >> strWord;)
                EXPECT_TRUE(avt::contains(strText, strWord)) << strWord << " split";
}

// Records of cards the component list no longer shows stay in the report
// under the card's name: a card deleted, one no longer fitted to the
// aircraft as equipped, one missing from the catalogue altogether.
using ReportContent = avct::DueScenario;

TEST_F(ReportContent, RecordsOfDeletedAndUnfittedCardsAreKept) {
    avt::exec(catDb(), "UPDATE Component SET bDelete = 1 WHERE strPartDesc = 'Calendar Life';"
                       "UPDATE Component SET bOptEngine = 12 WHERE strPartDesc = 'Used Part'");
    avt::exec(logDb(), "INSERT INTO Maintenance (iCompID, iACID, bFlags, tCompleted, bDelete) "
                       "SELECT 999999, iACID, 0, tCompleted, 0 FROM Maintenance LIMIT 1");
    ASSERT_TRUE(cmodLoadModel(avct::ALL));
    rptDoc doc;
    rptBuild(&doc);
    std::string strKept;
    for (size_t i = 0; i + 1 < doc.lstBlocks.size(); ++i)
        if (doc.lstBlocks[i].nKind == RPT_ITEM &&
            doc.lstBlocks[i].strText.find("   (") != std::string::npos)
            strKept += doc.lstBlocks[i].strText + " / " +
                       std::to_string(doc.lstBlocks[i + 1].tbl.lstRows.size()) + " rows\n";
    EXPECT_EQ(strKept, "Calendar Life   (deleted card) / 1 rows\n"
                       "Used Part   (not fitted to the aircraft as now equipped) / 1 rows\n"
                       "Card 999999   (deleted card) / 1 rows\n");
    // Edit mode shows the unfitted card in its group too; the report does not.
    ASSERT_TRUE(cmodInitialize(TRUE));
    ASSERT_TRUE(cmodLoadModel(avct::ALL));
    rptDoc docEdit;
    rptBuild(&docEdit);
    int nUsedPart = 0;
    for (const auto& block : docEdit.lstBlocks)
        nUsedPart += block.nKind == RPT_ITEM && block.strText.rfind("Used Part", 0) == 0;
    EXPECT_EQ(nUsedPart, 1);
}

// A write that fails must leave the directory as it was: no partial file,
// no temporary file, an existing report untouched; the error names the file.
TEST_F(ReportFiles, FailedWritesLeaveNothingBehind) {
    // Target under the temporary root, PDF or CSV, a file size limit that
    // makes writes fail as on a full disk, the export stopped half-way.
    const std::tuple<const char*, bool, bool, bool> cases[] = {
        {"nodir/r.pdf", true, false, false}, // no such directory
        {"bin", false, false, false},        // a directory
        {"old.pdf", true, true, false},      {"old.csv", false, true, false},
        {"old.pdf", true, false, true},      {"old.csv", false, false, true},
    };
    avt::writeFile(out("old.pdf"), "previous report");
    avt::writeFile(out("old.csv"), "previous,report\r\n");
    rptDoc doc = longDoc(400);
    for (int i = 0; i < 3000; ++i) // enough CSV to pass the limit
        doc.lstCsv.push_back({"line " + std::to_string(i), std::string(40, 'x')});
    const auto before = entries(m_dirs.root());
    for (const auto& [pszTarget, bPdf, bFullDisk, bStop] : cases) {
        SCOPED_TRACE(pszTarget);
        rlimit limOld{};
        getrlimit(RLIMIT_FSIZE, &limOld);
        rlimit lim{bFullDisk ? 20000 : limOld.rlim_cur, limOld.rlim_max};
        auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &lim);
        GError* pError = nullptr;
        std::string strTarget = out(pszTarget).string();
        // Told its progress in order; asked to stop once half-way.
        double dLast = 0;
        rptProgress fnProgress = [&](double d) {
            EXPECT_GE(d, dLast);
            EXPECT_LE(d, 1.0);
            dLast = d;
            return !(bStop && d >= 0.5);
        };
        gboolean bOK = bPdf ? rptWritePdf(doc, strTarget.c_str(), &pError, fnProgress)
                            : rptWriteCsv(doc, strTarget.c_str(), &pError, fnProgress);
        setrlimit(RLIMIT_FSIZE, &limOld);
        signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(bOK);
        ASSERT_NE(pError, nullptr);
        EXPECT_TRUE(avt::contains(pError->message, strTarget));
        EXPECT_EQ(g_error_matches(pError, G_IO_ERROR, G_IO_ERROR_CANCELLED), bStop);
        g_clear_error(&pError);
        EXPECT_EQ(entries(m_dirs.root()), before);
        EXPECT_EQ(avt::readFile(out("old.pdf")), "previous report");
        EXPECT_EQ(avt::readFile(out("old.csv")), "previous,report\r\n");
    }
}

} // namespace
