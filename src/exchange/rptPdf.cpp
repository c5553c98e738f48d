#include "avReport.h"
#include "rptFile.h"

#include "avFile.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <utility>

namespace {

// ---- PDF ----

// Text as Pango needs it: a stored text with a broken UTF-8 sequence (an
// old record) is shown with the broken bytes replaced, never dropped whole.
std::string validText(const std::string& str) {
    if (g_utf8_validate(str.data(), gssize(str.size()), nullptr))
        return str;
    gchar* psz = g_utf8_make_valid(str.data(), gssize(str.size()));
    std::string strValid = psz;
    g_free(psz);
    return strValid;
}

struct FontHolder {
    PangoFontDescription* p;
    explicit FontHolder(const char* pszDesc) : p(pango_font_description_from_string(pszDesc)) {}
    ~FontHolder() { pango_font_description_free(p); }
    FontHolder(const FontHolder&) = delete;
    FontHolder& operator=(const FontHolder&) = delete;
};

constexpr double MARGIN = 40;    // points around the page
constexpr double HEAD_BAND = 26; // registration line at the top
constexpr double FOOT_BAND = 22; // page number line at the bottom
constexpr double CELL_PAD = 2.5;

// Lays the document out in two passes: every piece is measured and given
// its page and place first, so that each page can say "Page n of N"; then
// the pages are drawn. A table row is never split; a table that goes on
// over a page break repeats its headings; a heading stays with what follows.
class PdfLayout {
  public:
    PdfLayout(const rptDoc& doc, cairo_t* pcr, double dWidth, double dHeight,
              const rptProgress& fnProgress)
        : m_doc(doc), m_pcr(pcr), m_dWidth(dWidth), m_dHeight(dHeight),
          m_pLayout(pango_cairo_create_layout(pcr)), m_fnProgress(fnProgress) {
        // A point on the page is a point of type: Pango's default assumes
        // a 96 dpi screen and would set 8 pt text at 10.7 pt.
        pango_cairo_context_set_resolution(pango_layout_get_context(m_pLayout), 72);
        // Vector output: outlines at their true widths, no screen hinting.
        cairo_font_options_t* pOptions = cairo_font_options_create();
        cairo_font_options_set_hint_style(pOptions, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(pOptions, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(pango_layout_get_context(m_pLayout), pOptions);
        cairo_font_options_destroy(pOptions);
        pango_layout_context_changed(m_pLayout);
        pango_layout_set_wrap(m_pLayout, PANGO_WRAP_WORD_CHAR);
        m_pRowLayout = pango_layout_new(pango_layout_get_context(m_pLayout));
    }
    ~PdfLayout() {
        for (PangoLayout* p : m_lstFrame)
            if (p)
                g_object_unref(p);
        g_object_unref(m_pRowLayout);
        g_object_unref(m_pLayout);
    }
    PdfLayout(const PdfLayout&) = delete;
    PdfLayout& operator=(const PdfLayout&) = delete;

    // FALSE when the progress function asked to stop.
    bool run() {
        measure();
        if (!m_bCancelled)
            paginate();
        if (!m_bCancelled)
            draw();
        return !m_bCancelled;
    }

  private:
    struct Piece {
        size_t iBlock;
        int iRow; // table row; -1 for a heading, paragraph or table headings
        double dHeight;
        bool bKeepWithNext;
    };
    struct Place {
        size_t iPiece;
        int nPage;
        double dY;
    };

    double bodyWidth() const { return m_dWidth - 2 * MARGIN; }
    double bodyTop() const { return MARGIN + HEAD_BAND; }
    double bodyBottom() const { return m_dHeight - MARGIN - FOOT_BAND; }

    const PangoFontDescription* fontOf(rptKind nKind) const {
        switch (nKind) {
        case RPT_HEADING:
            return m_fntHeading.p;
        case RPT_SUBHEADING:
            return m_fntSub.p;
        case RPT_ITEM:
            return m_fntBold.p;
        default:
            return m_fntBody.p;
        }
    }
    // Space above a block, so headings stand off what went before.
    static double gapAbove(rptKind nKind) {
        switch (nKind) {
        case RPT_HEADING:
            return 12;
        case RPT_SUBHEADING:
            return 8;
        case RPT_ITEM:
            return 7;
        case RPT_TEXT:
            return 2;
        case RPT_PLOT:
            return 8;
        default:
            return 3;
        }
    }

    // Sets the layout to a text in a width; returns its height in points.
    // In a table cell (bKeepWords) a line breaks only between words: a part
    // number or a date is never split at its hyphens. Only a word wider
    // than the cell itself may still be cut.
    double setText(const std::string& str, const PangoFontDescription* pFont, double dWidth,
                   bool bKeepWords = false) {
        std::string strValid = validText(str);
        PangoAttrList* pAttrs = nullptr; // first: measuring a word uses the layout
        if (bKeepWords && dWidth > 0) {
            pAttrs = pango_attr_list_new();
            forEachWord(strValid, [&](size_t nStart, size_t nEnd) {
                if (lineWidth(strValid.substr(nStart, nEnd - nStart), pFont) > dWidth)
                    return;
                PangoAttribute* pAttr = pango_attr_allow_breaks_new(FALSE);
                pAttr->start_index = guint(nStart);
                pAttr->end_index = guint(nEnd);
                pango_attr_list_insert(pAttrs, pAttr);
            });
        }
        pango_layout_set_font_description(m_pLayout, pFont);
        pango_layout_set_width(m_pLayout, dWidth < 0 ? -1 : int(dWidth * PANGO_SCALE));
        pango_layout_set_attributes(m_pLayout, pAttrs);
        if (pAttrs)
            pango_attr_list_unref(pAttrs);
        pango_layout_set_text(m_pLayout, strValid.data(), int(strValid.size()));
        int nW = 0, nH = 0;
        pango_layout_get_size(m_pLayout, &nW, &nH);
        return double(nH) / PANGO_SCALE;
    }

    // Calls fn(start, end) with the byte range of every run of characters
    // between blanks and line ends.
    template <class Fn> static void forEachWord(const std::string& str, Fn fn) {
        size_t nStart = 0;
        for (size_t i = 0; i <= str.size(); ++i) {
            if (i < str.size() && str[i] != ' ' && str[i] != '\n')
                continue;
            if (i > nStart)
                fn(nStart, i);
            nStart = i + 1;
        }
    }

    // Widths of the printable ASCII characters and the height of one line
    // of a font, measured once: most cells are short ASCII that fits on one
    // line, and adding up advances is far cheaper than laying them out.
    struct FontMetrics {
        double dLine = 0;
        std::array<double, 128> lstAdvance{};
    };
    const FontMetrics& metricsOf(const PangoFontDescription* pFont) {
        for (auto& [p, m] : m_lstMetrics)
            if (p == pFont)
                return m;
        FontMetrics m;
        m.dLine = setText("Xg", pFont, -1);
        for (int c = 0x20; c < 0x7F; ++c) {
            char sz[2] = {char(c), 0};
            setText(sz, pFont, -1);
            int nW = 0, nH = 0;
            pango_layout_get_size(m_pLayout, &nW, &nH);
            m.lstAdvance[size_t(c)] = double(nW) / PANGO_SCALE;
        }
        m_lstMetrics.emplace_back(pFont, m);
        return m_lstMetrics.back().second;
    }

    // Whether a text surely fits on one line of a width: ASCII whose
    // advances fit with room to spare (kerning only narrows it).
    bool fitsOneLine(const std::string& str, const PangoFontDescription* pFont, double dWidth) {
        const FontMetrics& m = metricsOf(pFont);
        double dSum = 0;
        for (unsigned char c : str) {
            if (c < 0x20 || c >= 0x7F)
                return false;
            dSum += m.lstAdvance[c];
        }
        return dSum <= dWidth * 0.97;
    }

    // The width a text needs on one line, with the room fitsOneLine keeps:
    // advances for ASCII, Pango's own measure for anything else.
    double lineWidth(const std::string& str, const PangoFontDescription* pFont) {
        const FontMetrics& m = metricsOf(pFont);
        double dSum = 0;
        for (unsigned char c : str) {
            if (c < 0x20 || c >= 0x7F) {
                setText(str, pFont, -1);
                int nW = 0, nH = 0;
                pango_layout_get_size(m_pLayout, &nW, &nH);
                dSum = double(nW) / PANGO_SCALE;
                break;
            }
            dSum += m.lstAdvance[c];
        }
        return dSum / 0.97;
    }

    // An ASCII text broken at blanks into lines that fit a width a little
    // narrower than Pango's, so that Pango never needs a break of its own;
    // empty when the text is not plain ASCII or holds a word wider than the
    // line: Pango lays such a text out itself.
    std::vector<std::string> wrapLines(const std::string& str, const FontMetrics& m,
                                       double dWidth) {
        const double dW = dWidth * 0.97;
        for (unsigned char c : str)
            if (c != '\n' && (c < 0x20 || c >= 0x7F))
                return {};
        std::vector<std::string> lst;
        for (size_t nPara = 0; nPara <= str.size();) {
            const size_t nEnd = std::min(str.find('\n', nPara), str.size());
            std::string strLine;
            double dLine = 0;
            for (size_t i = nPara; i < nEnd;) {
                if (str[i] == ' ') {
                    ++i;
                    continue;
                }
                const size_t j = std::min(str.find(' ', i), nEnd);
                double dWord = 0;
                for (size_t k = i; k < j; ++k)
                    dWord += m.lstAdvance[size_t(str[k])];
                if (dWord > dW)
                    return {};
                if (!strLine.empty() && dLine + m.lstAdvance[' '] + dWord > dW) {
                    lst.push_back(std::move(strLine));
                    strLine.clear();
                    dLine = 0;
                }
                if (!strLine.empty()) {
                    strLine += ' ';
                    dLine += m.lstAdvance[' '];
                }
                strLine.append(str, i, j - i);
                dLine += dWord;
                i = j;
            }
            lst.push_back(std::move(strLine));
            nPara = nEnd + 1;
        }
        return lst;
    }

    double textHeight(const std::string& str, const PangoFontDescription* pFont, double dWidth) {
        if (str.empty())
            return 0;
        const FontMetrics& m = metricsOf(pFont);
        size_t nLines = wrapLines(str, m, dWidth).size();
        return nLines > 0 ? double(nLines) * m.dLine : setText(str, pFont, dWidth, true);
    }

    // Columns sized to their content: each at least as wide as its widest
    // word (so no word or date is split), each as wide as its longest line
    // when the page has room, the room left shared by the table's weights.
    // A word wider than a share of the page may break: keeping it whole
    // would squeeze every other column.
    std::vector<double> fitColumns(const rptTable& tbl) {
        const size_t nCols = tbl.lstHead.size();
        const double dBody = bodyWidth();
        std::vector<double> lstMin(nCols, 2 * CELL_PAD), lstNat(nCols, 2 * CELL_PAD);
        auto take = [&](const std::vector<std::string>& lstCells,
                        const PangoFontDescription* pFont) {
            for (size_t i = 0; i < nCols && i < lstCells.size(); ++i) {
                const std::string& str = lstCells[i];
                forEachWord(str, [&](size_t nStart, size_t nEnd) {
                    double dW = lineWidth(str.substr(nStart, nEnd - nStart), pFont) + 2 * CELL_PAD;
                    lstMin[i] = std::max(lstMin[i], std::min(dW, dBody * 0.4));
                });
                for (size_t nStart = 0; nStart <= str.size();) {
                    size_t nEnd = std::min(str.find('\n', nStart), str.size());
                    double dW = lineWidth(str.substr(nStart, nEnd - nStart), pFont) + 2 * CELL_PAD;
                    lstNat[i] = std::max(lstNat[i], dW);
                    nStart = nEnd + 1;
                }
            }
        };
        take(tbl.lstHead, m_fntBold.p);
        for (size_t iRow = 0; iRow < tbl.lstRows.size(); ++iRow)
            take(tbl.lstRows[iRow],
                 iRow < tbl.lstBold.size() && tbl.lstBold[iRow] ? m_fntBold.p : m_fntBody.p);
        double dSumMin = 0, dSumNat = 0, dSumWeight = 0;
        for (size_t i = 0; i < nCols; ++i) {
            lstNat[i] = std::max(lstNat[i], lstMin[i]);
            dSumMin += lstMin[i];
            dSumNat += lstNat[i];
            dSumWeight += i < tbl.lstWidth.size() ? tbl.lstWidth[i] : 1.0;
        }
        std::vector<double> lstW(nCols);
        if (dSumNat <= dBody) {
            for (size_t i = 0; i < nCols; ++i)
                lstW[i] = lstNat[i] + (dBody - dSumNat) *
                                          (i < tbl.lstWidth.size() ? tbl.lstWidth[i] : 1.0) /
                                          dSumWeight;
        } else if (dSumMin <= dBody) {
            // Too wide: the longest columns are cut down to one width (never
            // below their widest word), so that the short ones stay whole and
            // only the long texts wrap; once with that width alike for all,
            // once scaled by the columns' weights. Whichever takes fewer
            // lines is used, the weighted one when they tie.
            auto cutDown = [&](bool bWeighted) {
                auto widthAt = [&](double dCap, size_t i) {
                    double dWeight = !bWeighted || i >= tbl.lstWidth.size() ? 1.0 : tbl.lstWidth[i];
                    return std::max(lstMin[i], std::min(lstNat[i], dCap * dWeight));
                };
                double dLow = 0, dHigh = dBody * 100;
                for (int n = 0; n < 40; ++n) {
                    double dCap = (dLow + dHigh) / 2, dSum = 0;
                    for (size_t i = 0; i < nCols; ++i)
                        dSum += widthAt(dCap, i);
                    (dSum <= dBody ? dLow : dHigh) = dCap;
                }
                std::vector<double> lst(nCols);
                for (size_t i = 0; i < nCols; ++i)
                    lst[i] = widthAt(dLow, i);
                return lst;
            };
            std::vector<double> lstAlike = cutDown(false), lstWeighted = cutDown(true);
            lstW = lineCount(tbl, lstAlike) < lineCount(tbl, lstWeighted) ? lstAlike : lstWeighted;
        } else {
            for (size_t i = 0; i < nCols; ++i)
                lstW[i] = dBody * lstMin[i] / dSumMin;
        }
        return lstW;
    }

    // The lines a table's rows take in columns of these widths (plain
    // ASCII cells as they will be broken; others counted as one line).
    size_t lineCount(const rptTable& tbl, const std::vector<double>& lstW) {
        size_t nSum = 0;
        for (size_t iRow = 0; iRow < tbl.lstRows.size(); ++iRow) {
            const FontMetrics& m = metricsOf(
                iRow < tbl.lstBold.size() && tbl.lstBold[iRow] ? m_fntBold.p : m_fntBody.p);
            size_t nMax = 1;
            for (size_t i = 0; i < lstW.size() && i < tbl.lstRows[iRow].size(); ++i)
                nMax = std::max(nMax,
                                wrapLines(tbl.lstRows[iRow][i], m, lstW[i] - 2 * CELL_PAD).size());
            nSum += nMax;
        }
        return nSum;
    }

    double rowHeight(const std::vector<double>& lstW, const std::vector<std::string>& lstCells,
                     const PangoFontDescription* pFont) {
        double dMax = 0;
        for (size_t i = 0; i < lstW.size() && i < lstCells.size(); ++i)
            dMax = std::max(dMax, textHeight(lstCells[i], pFont, lstW[i] - 2 * CELL_PAD));
        if (dMax == 0)
            dMax = metricsOf(pFont).dLine;
        return dMax + 2 * CELL_PAD;
    }

    void measure() {
        m_lstColW.resize(m_doc.lstBlocks.size());
        for (size_t iBlock = 0; iBlock < m_doc.lstBlocks.size() && !m_bCancelled; ++iBlock) {
            if (!(iBlock % 64))
                report(0.5 * double(iBlock) / double(m_doc.lstBlocks.size()));
            const rptBlock& blk = m_doc.lstBlocks[iBlock];
            if (blk.nKind == RPT_PLOT) {
                m_lstPieces.push_back({iBlock, -1, gapAbove(RPT_PLOT) + blk.dHeight, false});
                continue;
            }
            if (blk.nKind != RPT_TABLE) {
                double dH = setText(blk.strText, fontOf(blk.nKind), bodyWidth());
                // A paragraph stays with a table it introduces.
                bool bKeep =
                    blk.nKind != RPT_TEXT || (iBlock + 1 < m_doc.lstBlocks.size() &&
                                              m_doc.lstBlocks[iBlock + 1].nKind == RPT_TABLE);
                m_lstPieces.push_back({iBlock, -1, gapAbove(blk.nKind) + dH, bKeep});
                continue;
            }
            const std::vector<double>& lstW = m_lstColW[iBlock] = fitColumns(blk.tbl);
            m_lstPieces.push_back(
                {iBlock, -1, gapAbove(RPT_TABLE) + rowHeight(lstW, blk.tbl.lstHead, m_fntBold.p),
                 true});
            for (size_t iRow = 0; iRow < blk.tbl.lstRows.size(); ++iRow) {
                bool bBold = iRow < blk.tbl.lstBold.size() && blk.tbl.lstBold[iRow];
                m_lstPieces.push_back(
                    {iBlock, int(iRow),
                     rowHeight(lstW, blk.tbl.lstRows[iRow], bBold ? m_fntBold.p : m_fntBody.p),
                     false});
            }
        }
    }

    void paginate() {
        int nPage = 0;
        double dY = bodyTop();
        size_t iHeadPiece = 0; // headings of the table being placed
        for (size_t i = 0; i < m_lstPieces.size(); ++i) {
            const Piece& piece = m_lstPieces[i];
            double dNeed = piece.dHeight;
            // A heading, a name line or a table's headings must not end a page:
            // what follows them has to fit too.
            for (size_t j = i; j + 1 < m_lstPieces.size() && m_lstPieces[j].bKeepWithNext; ++j)
                dNeed += m_lstPieces[j + 1].dHeight;
            bool bAtTop = dY <= bodyTop();
            if (!bAtTop && dY + (piece.bKeepWithNext ? dNeed : piece.dHeight) > bodyBottom()) {
                ++nPage;
                dY = bodyTop();
                if (piece.iRow >= 0) { // a table goes on: its headings again
                    m_lstPlaces.push_back({iHeadPiece, nPage, dY});
                    dY += m_lstPieces[iHeadPiece].dHeight;
                }
            }
            if (piece.iRow < 0 && m_doc.lstBlocks[piece.iBlock].nKind == RPT_TABLE)
                iHeadPiece = i;
            m_lstPlaces.push_back({i, nPage, dY});
            dY += piece.dHeight;
        }
        m_nPages = nPage + 1;
    }

    void setColour(const std::string& strColour) {
        if (strColour == "red")
            cairo_set_source_rgb(m_pcr, 0.8, 0, 0);
        else if (strColour == "blue")
            cairo_set_source_rgb(m_pcr, 0, 0, 0.8);
        else
            cairo_set_source_rgb(m_pcr, 0, 0, 0);
    }

    void showText(double dX, double dY) {
        cairo_move_to(m_pcr, dX, dY);
        pango_cairo_show_layout(m_pcr, m_pLayout);
    }

    // A line of the frame, laid out once and shown on every page.
    PangoLayout* frameLine(const std::string& str, const PangoFontDescription* pFont,
                           PangoAlignment nAlign) {
        PangoLayout* p = pango_layout_new(pango_layout_get_context(m_pLayout));
        std::string strValid = validText(str);
        pango_layout_set_font_description(p, pFont);
        pango_layout_set_width(p, int(bodyWidth() * PANGO_SCALE));
        pango_layout_set_alignment(p, nAlign);
        pango_layout_set_text(p, strValid.data(), int(strValid.size()));
        return p;
    }

    void drawFrame(int nPage) {
        if (!m_lstFrame[0])
            m_lstFrame = {frameLine(m_doc.strTitle, m_fntSmall.p, PANGO_ALIGN_LEFT),
                          frameLine(m_doc.strReg, m_fntBold.p, PANGO_ALIGN_RIGHT),
                          frameLine(m_doc.strReg, m_fntSmall.p, PANGO_ALIGN_LEFT)};
        cairo_set_source_rgb(m_pcr, 0, 0, 0);
        for (size_t i = 0; i < m_lstFrame.size(); ++i) {
            cairo_move_to(m_pcr, MARGIN, i < 2 ? MARGIN : m_dHeight - MARGIN - 10);
            pango_cairo_show_layout(m_pcr, m_lstFrame[i]);
        }
        char szPage[60];
        g_snprintf(szPage, sizeof szPage, "Page %d of %d", nPage + 1, m_nPages);
        setText(szPage, m_fntSmall.p, bodyWidth());
        pango_layout_set_alignment(m_pLayout, PANGO_ALIGN_RIGHT);
        showText(MARGIN, m_dHeight - MARGIN - 10);
        pango_layout_set_alignment(m_pLayout, PANGO_ALIGN_LEFT);
        cairo_set_line_width(m_pcr, 0.6);
        cairo_move_to(m_pcr, MARGIN, MARGIN + HEAD_BAND - 8);
        cairo_line_to(m_pcr, m_dWidth - MARGIN, MARGIN + HEAD_BAND - 8);
        cairo_move_to(m_pcr, MARGIN, m_dHeight - MARGIN - 14);
        cairo_line_to(m_pcr, m_dWidth - MARGIN, m_dHeight - MARGIN - 14);
        cairo_stroke(m_pcr);
    }

    void drawRow(const std::vector<double>& lstW, const std::vector<std::string>& lstCells,
                 double dY, double dHeight, const PangoFontDescription* pFont, bool bHeadings,
                 const std::string& strColour) {
        if (bHeadings) {
            cairo_set_source_rgb(m_pcr, 0.88, 0.88, 0.88);
            cairo_rectangle(m_pcr, MARGIN, dY, bodyWidth(), dHeight);
            cairo_fill(m_pcr);
        }
        setColour(strColour);
        // The cells are set as one layout with tab stops at the columns,
        // broken into lines here; only a cell that is not plain ASCII or has
        // a word wider than its column is laid out by Pango on its own.
        std::vector<std::vector<std::string>> lstLines(lstW.size());
        size_t nLines = 0;
        PangoTabArray* pTabs = pango_tab_array_new(int(lstW.size()), FALSE);
        double dX = MARGIN;
        for (size_t i = 0; i < lstW.size(); dX += lstW[i], ++i) {
            pango_tab_array_set_tab(pTabs, gint(i), PANGO_TAB_LEFT,
                                    int((dX - MARGIN) * PANGO_SCALE));
            const std::string& strCell = i < lstCells.size() ? lstCells[i] : std::string();
            const double dInner = lstW[i] - 2 * CELL_PAD;
            if (strCell.empty())
                continue;
            if (fitsOneLine(strCell, pFont, dInner))
                lstLines[i] = {strCell};
            else
                lstLines[i] = wrapLines(strCell, metricsOf(pFont), dInner);
            if (lstLines[i].empty()) {
                setText(strCell, pFont, dInner, true);
                showText(dX + CELL_PAD, dY + CELL_PAD);
            }
            nLines = std::max(nLines, lstLines[i].size());
        }
        std::string strText;
        for (size_t k = 0; k < nLines; ++k) {
            if (k)
                strText += '\n';
            for (size_t i = 0; i < lstLines.size(); ++i) {
                if (i)
                    strText += '\t';
                if (k < lstLines[i].size())
                    strText += lstLines[i][k];
            }
        }
        if (nLines) {
            pango_layout_set_font_description(m_pRowLayout, pFont);
            pango_layout_set_tabs(m_pRowLayout, pTabs);
            pango_layout_set_text(m_pRowLayout, strText.data(), int(strText.size()));
            cairo_move_to(m_pcr, MARGIN + CELL_PAD, dY + CELL_PAD);
            pango_cairo_show_layout(m_pcr, m_pRowLayout);
        }
        pango_tab_array_free(pTabs);
        m_lstRules.push_back(dY + dHeight);
    }

    // The rules under the rows of a page, drawn as one path: one stroke
    // instead of one per row keeps the page's content short.
    void drawRules() {
        if (m_lstRules.empty())
            return;
        cairo_set_source_rgb(m_pcr, 0.7, 0.7, 0.7);
        cairo_set_line_width(m_pcr, 0.4);
        for (double dY : m_lstRules) {
            cairo_move_to(m_pcr, MARGIN, dY);
            cairo_line_to(m_pcr, MARGIN + bodyWidth(), dY);
        }
        cairo_stroke(m_pcr);
        m_lstRules.clear();
    }

    void drawPiece(const Piece& piece, double dY) {
        const rptBlock& blk = m_doc.lstBlocks[piece.iBlock];
        if (blk.nKind == RPT_PLOT) {
            cairo_save(m_pcr);
            cairo_translate(m_pcr, MARGIN, dY + gapAbove(RPT_PLOT));
            blk.fnDraw(m_pcr, bodyWidth(), blk.dHeight);
            cairo_restore(m_pcr);
            return;
        }
        if (blk.nKind != RPT_TABLE) {
            cairo_set_source_rgb(m_pcr, 0, 0, 0);
            double dTop = dY + gapAbove(blk.nKind);
            double dH = setText(blk.strText, fontOf(blk.nKind), bodyWidth());
            showText(MARGIN, dTop);
            if (blk.nKind == RPT_HEADING) {
                cairo_set_line_width(m_pcr, 1.0);
                cairo_move_to(m_pcr, MARGIN, dTop + dH + 1);
                cairo_line_to(m_pcr, MARGIN + bodyWidth(), dTop + dH + 1);
                cairo_stroke(m_pcr);
            }
            return;
        }
        const rptTable& tbl = blk.tbl;
        const std::vector<double>& lstW = m_lstColW[piece.iBlock];
        if (piece.iRow < 0) {
            double dGap = gapAbove(RPT_TABLE);
            drawRow(lstW, tbl.lstHead, dY + dGap, piece.dHeight - dGap, m_fntBold.p, true, "");
            return;
        }
        size_t iRow = size_t(piece.iRow);
        bool bBold = iRow < tbl.lstBold.size() && tbl.lstBold[iRow];
        drawRow(lstW, tbl.lstRows[iRow], dY, piece.dHeight, bBold ? m_fntBold.p : m_fntBody.p,
                false, iRow < tbl.lstColour.size() ? tbl.lstColour[iRow] : "");
    }

    void report(double dFraction) {
        if (m_fnProgress && !m_fnProgress(dFraction))
            m_bCancelled = true;
    }

    void draw() {
        int nPage = -1;
        for (size_t iPlace = 0; iPlace < m_lstPlaces.size() && !m_bCancelled; ++iPlace) {
            const Place& place = m_lstPlaces[iPlace];
            if (!(iPlace % 64))
                report(0.5 + 0.5 * double(iPlace) / double(m_lstPlaces.size()));
            while (nPage < place.nPage) {
                if (nPage >= 0) {
                    drawRules();
                    cairo_show_page(m_pcr);
                }
                ++nPage;
                drawFrame(nPage);
            }
            drawPiece(m_lstPieces[place.iPiece], place.dY);
        }
        if (nPage < 0)
            drawFrame(0);
        drawRules();
        cairo_show_page(m_pcr);
    }

    const rptDoc& m_doc;
    cairo_t* m_pcr;
    double m_dWidth, m_dHeight;
    PangoLayout* m_pLayout;
    PangoLayout* m_pRowLayout = nullptr; // rows of one-line cells
    FontHolder m_fntBody{"Sans 9"};
    FontHolder m_fntBold{"Sans Bold 9"};
    FontHolder m_fntSmall{"Sans 8"};
    FontHolder m_fntHeading{"Sans Bold 15"};
    FontHolder m_fntSub{"Sans Bold 11"};
    std::vector<std::pair<const PangoFontDescription*, FontMetrics>> m_lstMetrics;
    const rptProgress& m_fnProgress;
    bool m_bCancelled = false;
    std::vector<std::vector<double>> m_lstColW; // of each table block
    std::array<PangoLayout*, 3> m_lstFrame{};   // title, registration twice
    std::vector<double> m_lstRules;             // under the rows of the page
    std::vector<Piece> m_lstPieces;
    std::vector<Place> m_lstPlaces;
    int m_nPages = 1;
};

cairo_status_t appendToText(void* pClosure, const unsigned char* pData, unsigned int nlData) {
    static_cast<std::string*>(pClosure)->append(reinterpret_cast<const char*>(pData), nlData);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

void rptPaperSize(double* pdWidth, double* pdHeight) {
    GtkPaperSize* pPaper = gtk_paper_size_new(nullptr); // the locale's default
    *pdWidth = gtk_paper_size_get_width(pPaper, GTK_UNIT_POINTS);
    *pdHeight = gtk_paper_size_get_height(pPaper, GTK_UNIT_POINTS);
    gtk_paper_size_free(pPaper);
}

gboolean rptWritePdf(const rptDoc& doc, const char* pszFile, GError** ppError,
                     const rptProgress& fnProgress) {
    std::string strPdf;
    double dWidth = 0, dHeight = 0;
    rptPaperSize(&dWidth, &dHeight);
    cairo_surface_t* pSurface =
        cairo_pdf_surface_create_for_stream(appendToText, &strPdf, dWidth, dHeight);
    cairo_pdf_surface_set_metadata(pSurface, CAIRO_PDF_METADATA_TITLE,
                                   validText(doc.strTitle + " " + doc.strReg).c_str());
    cairo_pdf_surface_set_metadata(pSurface, CAIRO_PDF_METADATA_CREATOR, "avLedger");
    cairo_t* pcr = cairo_create(pSurface);
    bool bDone = PdfLayout(doc, pcr, dWidth, dHeight, fnProgress).run();
    cairo_destroy(pcr);
    cairo_surface_finish(pSurface);
    bool bDrawn = cairo_surface_status(pSurface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    if (!bDone) {
        rptSetCancelled(ppError, pszFile);
        return FALSE;
    }
    if (!bDrawn) {
        g_set_error(ppError, G_FILE_ERROR, G_FILE_ERROR_IO, "%s\n%s", pszFile, g_strerror(EIO));
        return FALSE;
    }
    return fileReplace(pszFile, strPdf, false, ppError) == FILE_STEP_NONE;
}
