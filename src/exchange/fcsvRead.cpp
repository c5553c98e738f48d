#include "avFltCSV.h"
#include "fcsvText.h"

#include "avCnv.h"
#include "modAC.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

namespace {

constexpr std::array<const char*, FCSV_NUM_COLS> m_lstColName = {
    "(not imported)", "Date",    "Take-off",    "Landing", "Flight time", "From",          "To",
    "Pilot",          "Student", "Passengers",  "Night",   "IFR",         "Cross-country", "Dual",
    "Solo",           "Remarks", "Registration"};

// The header names of each column, as compared: ASCII letters and digits
// only, lower case ("Take-off" is "takeoff").
struct HeaderNames {
    fcsvCol_t nCol;
    const char* pszNames; // separated by blanks
};
constexpr HeaderNames m_lstHeaderNames[] = {
    {FCSV_COL_DATE, "date flightdate day"},
    {FCSV_COL_TAKEOFF,
     "takeoff takeofftime out off timeoff timeout offblock departuretime deptime starttime"},
    {FCSV_COL_LANDING, "landing landingtime in on timeon timein onblock arrivaltime arrtime"},
    {FCSV_COL_ELAPSED, "flighttime total totaltime totalflighttime duration time hours blocktime"},
    {FCSV_COL_FROM, "from departure dep origin"},
    {FCSV_COL_TO, "to destination dest arrival arr"},
    {FCSV_COL_PILOT, "pilot pic pilotincommand captain instructor"},
    {FCSV_COL_STUDENT, "student"},
    {FCSV_COL_PAX, "passengers passenger pax"},
    {FCSV_COL_NIGHT, "night nighttime"},
    {FCSV_COL_IFR, "ifr instrument"},
    {FCSV_COL_XC, "crosscountry xc xcountry"},
    {FCSV_COL_DUAL, "dual dualsolo solodual dualreceived dualrcvd"},
    {FCSV_COL_SOLO, "solo"},
    {FCSV_COL_NOTES, "remarks remark notes note comments"},
    {FCSV_COL_REG,
     "registration reg aircraftid aircraftreg aircraftregistration acreg tail tailnumber ident"},
};

// ---- splitting the text ----

// The delimiter of the file: whichever of comma, semicolon and tab the
// header row holds most of, outside quotes (comma on a tie).
char findDelimiter(std::string_view sv) {
    std::size_t nComma = 0, nSemi = 0, nTab = 0;
    bool bQuoted = false;
    for (char c : sv) {
        if (c == '"')
            bQuoted = !bQuoted;
        else if (bQuoted)
            continue;
        else if (c == '\n' || c == '\r')
            break;
        else if (c == ',')
            ++nComma;
        else if (c == ';')
            ++nSemi;
        else if (c == '\t')
            ++nTab;
    }
    if (nSemi > nComma && nSemi >= nTab)
        return ';';
    if (nTab > nComma && nTab > nSemi)
        return '\t';
    return ',';
}

// Unquoted fields lose the blanks around them (a spreadsheet's "a, b");
// quoted ones are kept exactly. Fields beyond FCSV_COLS_MAX have no column
// to go to and are not kept: a line of nothing but delimiters must not
// fill the memory.
void closeField(std::string& strField, bool bWasQuoted, fcsvRow& row, bool& bWide) {
    if (row.lstField.size() >= FCSV_COLS_MAX) {
        bWide = true;
        row.bWide = row.bWide || !fcsvTrimmed(strField).empty();
    } else if (!bWasQuoted)
        row.lstField.emplace_back(fcsvTrimmed(strField));
    else
        row.lstField.push_back(std::move(strField));
    strField.clear();
}

// The column a header names, FCSV_COL_IGNORE when none.
fcsvCol_t headerCol(std::string_view svHeader) {
    const std::string strName = fcsvLowerAlnum(svHeader);
    if (strName.empty())
        return FCSV_COL_IGNORE;
    for (const auto& names : m_lstHeaderNames) {
        std::string_view svNames = names.pszNames;
        for (std::size_t i = 0; i < svNames.size();) {
            std::size_t nEnd = std::min(svNames.find(' ', i), svNames.size());
            if (svNames.substr(i, nEnd - i) == strName)
                return names.nCol;
            i = nEnd + 1;
        }
    }
    return FCSV_COL_IGNORE;
}

// Calls fn(line number, line) for each physical line until it returns true.
template <typename Fn> void forEachLine(std::string_view sv, Fn fn) {
    guint nLine = 1;
    for (std::size_t i = 0; i <= sv.size(); ++nLine) {
        const std::size_t nEnd = std::min(sv.find_first_of("\r\n", i), sv.size());
        if (fn(nLine, sv.substr(i, nEnd - i)))
            return;
        i = nEnd + (sv.substr(nEnd, 2) == "\r\n" ? 2 : 1);
    }
}

// How well a line split at cDelim heads a flight list: the number of
// columns it names when a date and a flight time or take-off are among
// them, else 0.
std::size_t headerScore(std::string_view svLine, char cDelim) {
    std::size_t nNamed = 0;
    bool bDate = false, bTime = false;
    bool bQuoted = false;
    std::string strField;
    auto close = [&] {
        const fcsvCol_t nCol = headerCol(strField);
        nNamed += nCol != FCSV_COL_IGNORE;
        bDate = bDate || nCol == FCSV_COL_DATE;
        bTime = bTime || nCol == FCSV_COL_ELAPSED || nCol == FCSV_COL_TAKEOFF;
        strField.clear();
    };
    for (char c : svLine) {
        if (c == '"')
            bQuoted = !bQuoted;
        else if (c == cDelim && !bQuoted)
            close();
        else
            strField += c;
    }
    close();
    return bDate && bTime ? nNamed : 0;
}

struct HeaderAt {
    guint nLine;
    char cDelim;
};

// The flights table's header: the line asked for, else the first line that
// heads a flight list (a logbook's export starts with a title block and an
// aircraft table), else the first line; and the delimiter it is split at.
HeaderAt findHeader(std::string_view sv, guint nAsked) {
    HeaderAt at{0, ','};
    forEachLine(sv, [&](guint nLine, std::string_view svLine) {
        if (nAsked) {
            if (nLine == nAsked)
                at = {nLine, findDelimiter(svLine)};
            return nLine >= nAsked;
        }
        std::size_t nBest = 0;
        for (char c : {',', ';', '\t'}) {
            const std::size_t n = headerScore(svLine, c);
            if (n > nBest) {
                nBest = n;
                at = {nLine, c};
            }
        }
        return nBest > 0 || nLine >= FCSV_HEADER_SEARCH;
    });
    if (at.nLine == 0)
        at = {nAsked ? nAsked : 1, findDelimiter(sv)};
    return at;
}

// Whether every cell of column i that holds anything is a number.
bool isNumberColumn(const fcsvTable& table, std::size_t i) {
    bool bAny = false;
    for (const fcsvRow& row : table.lstRow) {
        if (i >= row.lstField.size() || fcsvTrimmed(row.lstField[i]).empty())
            continue;
        if (!fcsvIsNumber(row.lstField[i]))
            return false;
        bAny = true;
    }
    return bAny;
}

bool isBlankRow(const std::vector<std::string>& lstField) {
    return std::all_of(lstField.begin(), lstField.end(),
                       [](const std::string& s) { return s.empty(); });
}

} // namespace

std::string fcsvRegKey(std::string_view sv) {
    gchar szKey[64];
    acdParseACReg(szKey, std::string(sv.substr(0, 60)).c_str(), sizeof szKey);
    return szKey;
}

const char* fcsvColName(fcsvCol_t nCol) {
    return nCol < FCSV_NUM_COLS ? m_lstColName[nCol] : m_lstColName[0];
}

gboolean fcsvParseText(const std::string& strText, fcsvTable* pTable, std::string* pstrWhy,
                       guint nHeaderLine) {
    *pTable = fcsvTable{};
    std::string_view sv(strText);
    if (sv.substr(0, 3) == "\xEF\xBB\xBF")
        sv.remove_prefix(3);
    if (fcsvTrimmed(sv).empty()) {
        *pstrWhy = "The file is empty.";
        return FALSE;
    }
    if (sv.find('\0') != std::string_view::npos ||
        !g_utf8_validate(sv.data(), gssize(sv.size()), nullptr)) {
        *pstrWhy = "The file is not text in UTF-8. Save the spreadsheet as CSV (UTF-8) and "
                   "choose that file.";
        return FALSE;
    }
    const HeaderAt header = findHeader(sv, nHeaderLine);
    const char cDelim = header.cDelim;
    pTable->cDelim = cDelim;

    std::vector<fcsvRow> lstRows;
    fcsvRow row{1, {}};
    std::string strField;
    bool bQuoted = false, bWasQuoted = false, bWide = false, bHeaderWide = false;
    guint nLine = 1, nQuoteLine = 0;
    auto endRow = [&] {
        closeField(strField, bWasQuoted, row, bWide);
        bWasQuoted = false;
        // Rows above the header are the export's title block.
        if (!isBlankRow(row.lstField) && row.nLine >= header.nLine) {
            bHeaderWide = bHeaderWide || (lstRows.empty() && bWide);
            lstRows.push_back(std::move(row));
        }
        bWide = false;
        row = fcsvRow{nLine, {}};
    };
    auto tooLarge = [&] {
        if (bHeaderWide)
            *pstrWhy = "The header row has more than " + std::to_string(FCSV_COLS_MAX) +
                       " columns; that is no flight list.";
        else if (lstRows.size() > FCSV_ROWS_MAX + 1) // the header and the flights
            *pstrWhy = "The file has more than " + std::to_string(FCSV_ROWS_MAX) +
                       " rows; that is no flight log of one helicopter.";
        else
            return false;
        return true;
    };
    for (std::size_t i = 0; i < sv.size(); ++i) {
        if (tooLarge())
            return FALSE;
        char c = sv[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < sv.size() && sv[i + 1] == '"') {
                strField += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                if (c == '\n')
                    ++nLine;
                strField += c;
            }
            continue;
        }
        if (c == '"' && fcsvTrimmed(strField).empty() && !bWasQuoted) {
            strField.clear();
            bQuoted = bWasQuoted = true;
            nQuoteLine = nLine;
        } else if (c == cDelim) {
            closeField(strField, bWasQuoted, row, bWide);
            bWasQuoted = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < sv.size() && sv[i + 1] == '\n')
                ++i;
            ++nLine;
            endRow();
        } else {
            strField += c;
        }
    }
    if (bQuoted) {
        *pstrWhy = "A quoted text that begins on line " + std::to_string(nQuoteLine) +
                   " never ends, so the rows after it cannot be told apart.";
        return FALSE;
    }
    endRow();
    if (tooLarge())
        return FALSE;
    if (lstRows.empty()) {
        *pstrWhy = "The file is empty.";
        return FALSE;
    }
    pTable->nHeaderLine = lstRows.front().nLine;
    pTable->lstHeader = std::move(lstRows.front().lstField);
    lstRows.erase(lstRows.begin());
    if (lstRows.empty()) {
        *pstrWhy = "The file has a header row but no flights under it.";
        return FALSE;
    }
    pTable->lstRow = std::move(lstRows);
    return TRUE;
}

gboolean fcsvReadFile(const char* pszPath, fcsvTable* pTable, std::string* pstrWhy,
                      guint nHeaderLine) {
    GStatBuf st;
    if (g_stat(pszPath, &st) != 0 || !S_ISREG(st.st_mode)) {
        *pstrWhy = "The file cannot be read.";
        return FALSE;
    }
    // A lifetime of flights is well under a megabyte; a file this large is
    // not a flight log and is not read into memory at all.
    if (std::size_t(st.st_size) > FCSV_FILE_MAX) {
        *pstrWhy = "The file holds " + std::to_string(st.st_size / (1024 * 1024)) +
                   " MB; a flight list is far smaller (at most " +
                   std::to_string(FCSV_FILE_MAX / (1024 * 1024)) + " MB is read).";
        return FALSE;
    }
    gchar* pszText = nullptr;
    gsize nlText = 0;
    GError* pError = nullptr;
    if (!g_file_get_contents(pszPath, &pszText, &nlText, &pError)) {
        *pstrWhy = std::string("The file cannot be read: ") + pError->message;
        g_error_free(pError);
        return FALSE;
    }
    std::string strText(pszText, nlText);
    g_free(pszText);
    return fcsvParseText(strText, pTable, pstrWhy, nHeaderLine);
}

std::vector<fcsvCol_t> fcsvMatchColumns(const fcsvTable& table) {
    std::vector<fcsvCol_t> lstCol;
    std::set<fcsvCol_t> setTaken;
    for (std::size_t i = 0; i < table.lstHeader.size(); ++i) {
        fcsvCol_t nCol = headerCol(table.lstHeader[i]);
        // A column of hours is never a list of names.
        if ((nCol == FCSV_COL_PILOT || nCol == FCSV_COL_STUDENT) && isNumberColumn(table, i))
            nCol = FCSV_COL_IGNORE;
        if (nCol != FCSV_COL_IGNORE && !setTaken.insert(nCol).second)
            nCol = FCSV_COL_IGNORE;
        lstCol.push_back(nCol);
    }
    // Dual and solo are one flag: a dual column says it ("Dual received"
    // hours are exactly that); solo hours say nothing of dual.
    if (setTaken.count(FCSV_COL_DUAL))
        std::replace(lstCol.begin(), lstCol.end(), FCSV_COL_SOLO, FCSV_COL_IGNORE);
    return lstCol;
}
