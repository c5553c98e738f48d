// The maintenance report of the active aircraft: its content as plain data
// filled from the models, and the two files it is written to, PDF and CSV.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

// One table: headings, relative column widths and rows of text. A row may
// carry a colour name ("red", "blue"; "" for black) and be bold, as the
// component tree shows its state.
struct rptTable {
    std::vector<std::string> lstHead;
    std::vector<double> lstWidth;
    std::vector<std::vector<std::string>> lstRows;
    std::vector<std::string> lstColour;
    std::vector<gboolean> lstBold;

    void addRow(std::vector<std::string> lstCells, std::string strColour = "",
                gboolean bBold = FALSE) {
        lstRows.push_back(std::move(lstCells));
        lstColour.push_back(std::move(strColour));
        lstBold.push_back(bBold);
    }
};

enum rptKind {
    RPT_HEADING,    // a section: "Due list", a component group
    RPT_SUBHEADING, // a sub-group
    RPT_ITEM,       // a component's name line
    RPT_TEXT,       // a paragraph
    RPT_TABLE,
    RPT_PLOT, // a picture drawn onto the page, the body's width wide
};

// Draws a plot into a box of the given size with its top left at 0, 0.
using rptDraw = std::function<void(cairo_t* pcr, double dWidth, double dHeight)>;

struct rptBlock {
    rptKind nKind;
    std::string strText; // heading or paragraph
    rptTable tbl;        // RPT_TABLE only
    rptDraw fnDraw;      // RPT_PLOT only
    double dHeight = 0;  //   its height in points
};

struct rptDoc {
    std::string strReg;   // shown on every page
    std::string strTitle; // first page's title
    std::vector<rptBlock> lstBlocks;
    // The CSV form: the first row holds the headings.
    std::vector<std::vector<std::string>> lstCsv;

    void add(rptKind nKind, std::string strText) {
        lstBlocks.push_back({nKind, std::move(strText), {}, {}});
    }
    void addPlot(rptDraw fnDraw, double dHeight) {
        lstBlocks.push_back({RPT_PLOT, "", {}, std::move(fnDraw), dHeight});
    }
    rptTable& addTable(std::vector<std::string> lstHead, std::vector<double> lstWidth) {
        lstBlocks.push_back(
            {RPT_TABLE, "", {std::move(lstHead), std::move(lstWidth), {}, {}, {}}, {}});
        return lstBlocks.back().tbl;
    }
};

// Fills the report of the active aircraft from the models: header, due
// list, every applicable component group by group with its history, and
// the pilots.
void rptBuild(rptDoc* pDoc);

// Told how far a long write has come (0 to 1) now and then; answers FALSE
// to stop it.
using rptProgress = std::function<bool(double dFraction)>;

// Write the document to pszFile through a temporary file in the same
// directory that is renamed over the target only when complete: a failure
// or a stop leaves neither a partial file nor a changed target. FALSE with
// *ppError set on failure (G_IO_ERROR_CANCELLED when stopped).
gboolean rptWritePdf(const rptDoc& doc, const char* pszFile, GError** ppError,
                     const rptProgress& fnProgress = {});
gboolean rptWriteCsv(const rptDoc& doc, const char* pszFile, GError** ppError,
                     const rptProgress& fnProgress = {});
// The page size of the PDF in points: the default paper of the locale.
void rptPaperSize(double* pdWidth, double* pdHeight);
