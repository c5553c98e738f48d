#include "avFltCSV.h"

#include "avBackup.h"
#include "avCnv.h"
#include "avError.h"
#include "avLedger.h"
#include "avMisc.h"
#include "modComp.h"
#include "modFLog.h"
#include "modPilot.h"
#include "pagAC.h"
#include "pagComp.h"
#include "pagFLog.h"
#include "rcdAC.h"
#include "rcdFLog.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <glib/gstdio.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string_view>

namespace {

constexpr std::array<const char*, FCSV_NUM_COLS> m_lstColName = {
    "(not imported)", "Date",    "Take-off",   "Landing", "Flight time", "From",          "To",
    "Pilot",          "Student", "Passengers", "Night",   "IFR",         "Cross-country", "Dual",
    "Solo",           "Remarks"};

// The header names of each column, as compared: ASCII letters and digits
// only, lower case ("Take-off" is "takeoff").
struct HeaderNames {
    fcsvCol_t nCol;
    const char* pszNames; // separated by blanks
};
constexpr HeaderNames m_lstHeaderNames[] = {
    {FCSV_COL_DATE, "date flightdate day"},
    {FCSV_COL_TAKEOFF,
     "takeoff takeofftime out off timeoff offblock departuretime deptime starttime"},
    {FCSV_COL_LANDING, "landing landingtime in on timeon onblock arrivaltime arrtime"},
    {FCSV_COL_ELAPSED, "flighttime total totaltime totalflighttime duration time hours blocktime"},
    {FCSV_COL_FROM, "from departure dep origin"},
    {FCSV_COL_TO, "to destination dest arrival arr"},
    {FCSV_COL_PILOT, "pilot pic pilotincommand captain instructor"},
    {FCSV_COL_STUDENT, "student"},
    {FCSV_COL_PAX, "passengers passenger pax"},
    {FCSV_COL_NIGHT, "night"},
    {FCSV_COL_IFR, "ifr instrument"},
    {FCSV_COL_XC, "crosscountry xc xcountry"},
    {FCSV_COL_DUAL, "dual dualsolo solodual"},
    {FCSV_COL_SOLO, "solo"},
    {FCSV_COL_NOTES, "remarks remark notes note comments"},
};

bool isDigit(char c) {
    return g_ascii_isdigit(c);
}

std::string_view trimmed(std::string_view sv) {
    while (!sv.empty() && g_ascii_isspace(sv.front()))
        sv.remove_prefix(1);
    while (!sv.empty() && g_ascii_isspace(sv.back()))
        sv.remove_suffix(1);
    return sv;
}

std::string lowerAlnum(std::string_view sv) {
    std::string str;
    for (char c : sv)
        if (g_ascii_isalnum(c))
            str += g_ascii_tolower(c);
    return str;
}

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
    if (row.lstField.size() >= FCSV_COLS_MAX)
        bWide = true;
    else if (!bWasQuoted)
        row.lstField.emplace_back(trimmed(strField));
    else
        row.lstField.push_back(std::move(strField));
    strField.clear();
}

bool isBlankRow(const std::vector<std::string>& lstField) {
    return std::all_of(lstField.begin(), lstField.end(),
                       [](const std::string& s) { return s.empty(); });
}

} // namespace

const char* fcsvColName(fcsvCol_t nCol) {
    return nCol < FCSV_NUM_COLS ? m_lstColName[nCol] : m_lstColName[0];
}

gboolean fcsvParseText(const std::string& strText, fcsvTable* pTable, std::string* pstrWhy) {
    *pTable = fcsvTable{};
    std::string_view sv(strText);
    if (sv.substr(0, 3) == "\xEF\xBB\xBF")
        sv.remove_prefix(3);
    if (trimmed(sv).empty()) {
        *pstrWhy = "The file is empty.";
        return FALSE;
    }
    if (sv.find('\0') != std::string_view::npos ||
        !g_utf8_validate(sv.data(), gssize(sv.size()), nullptr)) {
        *pstrWhy = "The file is not text in UTF-8. Save the spreadsheet as CSV (UTF-8) and "
                   "choose that file.";
        return FALSE;
    }
    const char cDelim = findDelimiter(sv);
    pTable->cDelim = cDelim;

    std::vector<fcsvRow> lstRows;
    fcsvRow row{1, {}};
    std::string strField;
    bool bQuoted = false, bWasQuoted = false, bWide = false, bHeaderWide = false;
    guint nLine = 1, nQuoteLine = 0;
    auto endRow = [&] {
        closeField(strField, bWasQuoted, row, bWide);
        bWasQuoted = false;
        if (!isBlankRow(row.lstField)) {
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
        else if (lstRows.size() > FCSV_ROWS_MAX)
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
        if (c == '"' && trimmed(strField).empty() && !bWasQuoted) {
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
    pTable->lstHeader = std::move(lstRows.front().lstField);
    lstRows.erase(lstRows.begin());
    if (lstRows.empty()) {
        *pstrWhy = "The file has a header row but no flights under it.";
        return FALSE;
    }
    pTable->lstRow = std::move(lstRows);
    return TRUE;
}

gboolean fcsvReadFile(const char* pszPath, fcsvTable* pTable, std::string* pstrWhy) {
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
    return fcsvParseText(strText, pTable, pstrWhy);
}

std::vector<fcsvCol_t> fcsvMatchColumns(const std::vector<std::string>& lstHeader) {
    std::vector<fcsvCol_t> lstCol;
    std::set<fcsvCol_t> setTaken;
    for (const auto& strHeader : lstHeader) {
        std::string strName = lowerAlnum(strHeader);
        fcsvCol_t nCol = FCSV_COL_IGNORE;
        for (const auto& names : m_lstHeaderNames) {
            std::string strNames = std::string(" ") + names.pszNames + " ";
            if (!strName.empty() && strNames.find(" " + strName + " ") != std::string::npos)
                nCol = names.nCol;
        }
        // Dual and solo are one flag: the first column naming it wins.
        fcsvCol_t nFlag = nCol == FCSV_COL_SOLO ? FCSV_COL_DUAL : nCol;
        if (nCol != FCSV_COL_IGNORE && !setTaken.insert(nFlag).second)
            nCol = FCSV_COL_IGNORE;
        lstCol.push_back(nCol);
    }
    return lstCol;
}

namespace {

// ---- judging a row ----

// A pilot's name as compared: case folded, blanks collapsed, no commas.
std::string nameKey(std::string_view sv) {
    std::string strWords;
    for (char c : sv) {
        if (c == ',' || g_ascii_isspace(c)) {
            if (!strWords.empty() && strWords.back() != ' ')
                strWords += ' ';
        } else {
            strWords += c;
        }
    }
    if (!strWords.empty() && strWords.back() == ' ')
        strWords.pop_back();
    gchar* pszFold = g_utf8_casefold(strWords.c_str(), -1);
    std::string strKey = pszFold ? pszFold : "";
    g_free(pszFold);
    return strKey;
}

std::string readingName(const rcdPilot& rcd) {
    return std::string(trimmed(std::string(rcd.szFName) + " " + rcd.szLName));
}

// Pilots by name: "First Last", "Last First" and "Last, First" all match.
std::map<std::string, guint>* m_pmapPilot = nullptr;
int addPilotKeys(rcdPilot* prcd) {
    std::string strFirst(prcd->szFName), strLast(prcd->szLName);
    for (const auto& str : {strFirst + " " + strLast, strLast + " " + strFirst})
        m_pmapPilot->emplace(nameKey(str), prcd->iPilotID);
    return 0;
}

gboolean loadPilotKeys(std::map<std::string, guint>* pmap) {
    rcdPilot rcd{};
    cbPilot cb{&rcd, addPilotKeys};
    m_pmapPilot = pmap;
    gboolean bOK = sqlLoadPilotRecord(&cb, SQL_NEW_ID);
    m_pmapPilot = nullptr;
    return bOK;
}

std::set<time_t>* m_psetStart = nullptr;
int addStart(rcdFLog* prcd) {
    m_psetStart->insert(prcd->tFltBegin);
    return 0;
}

// A clock time "14:30", "14:30:15", "1430" or "9.05" as seconds into the
// day; -1 when it is not one.
time_t clockSeconds(std::string_view sv) {
    int lstPart[3] = {0, 0, 0};
    int nParts = 0, nDigits = 0;
    for (char c : sv) {
        if (g_ascii_isdigit(c)) {
            if (nParts == 0)
                nParts = 1;
            if (++nDigits > 4)
                return -1;
            lstPart[nParts - 1] = lstPart[nParts - 1] * 10 + (c - '0');
        } else if ((c == ':' || c == '.') && nParts > 0 && nParts < 3 && nDigits > 0) {
            ++nParts;
            nDigits = 0;
        } else {
            return -1;
        }
    }
    if (nParts == 0 || nDigits == 0)
        return -1;
    int nHour = lstPart[0], nMin = lstPart[1], nSec = lstPart[2];
    if (nParts == 1) {
        if (nDigits < 3)
            return -1;
        nHour = lstPart[0] / 100;
        nMin = lstPart[0] % 100;
    }
    if (nHour > 23 || nMin > 59 || nSec > 59)
        return -1;
    return time_t(nHour) * 3600 + nMin * 60 + nSec;
}

// A yes/no column: empty, "0", "no", "false" and the like are no; a
// number of hours other than zero (a night-time column) is yes.
bool isYes(std::string_view sv) {
    std::string str = lowerAlnum(sv);
    static constexpr const char* lstNo[] = {"", "0", "00", "000", "no", "n", "false", "f", "none"};
    return std::none_of(std::begin(lstNo), std::end(lstNo),
                        [&](const char* psz) { return str == psz; });
}

struct RowReader {
    const fcsvRow& row;
    const std::vector<int>& lstIndex; // column index per fcsvCol_t, -1 when none
    std::string_view text(fcsvCol_t nCol) const {
        int i = lstIndex[nCol];
        return i >= 0 && std::size_t(i) < row.lstField.size() ? std::string_view(row.lstField[i])
                                                              : std::string_view();
    }
    bool has(fcsvCol_t nCol) const { return !trimmed(text(nCol)).empty(); }
};

std::string quoted(std::string_view sv) {
    gchar szCut[41];
    mscCopyText(szCut, std::string(sv).c_str());
    return std::string("\"") + szCut + (sv.size() >= sizeof szCut ? "…\"" : "\"");
}

// The flight time column: decimal hours or hours:minutes (rounded to the
// nearest tenth as the flight page rounds). Empty text is no time.
const char* readElapsed(std::string_view sv, guint* pnTenths) {
    sv = trimmed(sv);
    if (!sv.empty() && sv.front() == '-')
        return "negative flight time";
    std::string str(sv);
    std::size_t nColon = str.find(':');
    guint64 nTenths = 0;
    if (nColon != std::string::npos) {
        std::string_view svHours = std::string_view(str).substr(0, nColon);
        std::string_view svMin = std::string_view(str).substr(nColon + 1);
        if (svHours.empty() || svMin.size() != 2 || svHours.size() > 4 ||
            !std::all_of(svHours.begin(), svHours.end(), isDigit) ||
            !std::all_of(svMin.begin(), svMin.end(), isDigit) || svMin > "59")
            return "unreadable flight time";
        guint64 nMinutes = std::stoull(std::string(svHours)) * 60 + std::stoull(std::string(svMin));
        nTenths = (nMinutes + 3) / 6;
    } else {
        guint nRead = 0;
        if (!cnvEncHours(&nRead, str.c_str(), G_MAXUINT))
            return "unreadable flight time";
        nTenths = nRead;
    }
    if (nTenths > CNV_FLIGHT_MAX)
        return "flight time longer than 24 hours";
    *pnTenths = guint(nTenths);
    return nullptr;
}

// Judges one row; an empty result means it is stored as *pFlight.
std::string judgeRow(const RowReader& rd, const std::set<time_t>& setLogged, fcsvFlight* pFlight) {
    const std::string strDate(trimmed(rd.text(FCSV_COL_DATE)));
    if (strDate.empty())
        return "no date";
    gchar szDate[100];
    mscCopyText(szDate, strDate.c_str());
    // A moment written "2010-05-01T10:00" has its time after the "T".
    for (gchar* p = szDate; *p; ++p)
        if (*p == 'T' && p > szDate && g_ascii_isdigit(p[-1]) && g_ascii_isdigit(p[1]))
            *p = ' ';
    // The date reader refuses a day or month out of range instead of
    // carrying it into the next month; a clock time may follow the date.
    time_t tMoment = 0;
    if (strDate.size() >= sizeof szDate || !cnvReadDate(&tMoment, szDate, TRUE))
        return "unreadable date " + quoted(strDate);
    const time_t tDay = tMoment - tMoment % FLT_DAY;
    const bool bTimeInDate = tMoment != tDay || strchr(szDate, ':') != nullptr;

    // The take-off from its own column, else from a time after the date.
    std::string_view svOff =
        rd.has(FCSV_COL_TAKEOFF) ? trimmed(rd.text(FCSV_COL_TAKEOFF)) : std::string_view();
    const bool bOff = !svOff.empty() || (!rd.has(FCSV_COL_TAKEOFF) && bTimeInDate);
    time_t tOff = !svOff.empty() ? clockSeconds(svOff) : tMoment - tDay;
    if (tOff < 0)
        return "unreadable take-off time " + quoted(svOff);
    const bool bOn = rd.has(FCSV_COL_LANDING);
    time_t tOn = bOn ? clockSeconds(trimmed(rd.text(FCSV_COL_LANDING))) : 0;
    if (tOn < 0)
        return "unreadable landing time " + quoted(trimmed(rd.text(FCSV_COL_LANDING)));

    const bool bTime = rd.has(FCSV_COL_ELAPSED);
    guint nElapsed = 0;
    if (bTime) {
        if (const char* pszWhy = readElapsed(rd.text(FCSV_COL_ELAPSED), &nElapsed))
            return std::string(pszWhy) + " " + quoted(trimmed(rd.text(FCSV_COL_ELAPSED)));
    } else if (!(bOff && bOn)) {
        return "missing flight time";
    }

    fcsvFlight& f = *pFlight;
    f.tFltBegin = tDay + tOff;
    f.tFltEnd = 0;
    if (bOn) {
        f.tFltEnd = tDay + tOn;
        if (bOff && !fmodLandingAfter(f.tFltBegin, tOn, &f.tFltEnd))
            return "landing before take-off";
    }
    if (!bTime)
        nElapsed = fmodElapsedTenths(f.tFltBegin, f.tFltEnd);
    // Without a landing the flight page keeps what the flight time gives:
    // take-off plus the time, or the bare duration.
    if (!bOn && nElapsed > 0)
        f.tFltEnd = (bOff ? f.tFltBegin : 0) + time_t(nElapsed) * FLT_TENTH;
    f.nElapsed = nElapsed;
    if (setLogged.count(f.tFltBegin))
        return "a flight of this aircraft is already logged at this start";

    // Text that does not fit its field is refused rather than cut, so that
    // nothing is lost without the user seeing it.
    static constexpr rcdFLog rcdSize{};
    struct TextField {
        fcsvCol_t nCol;
        std::string* pstr;
        std::size_t nlMax;
        const char* pszName;
    };
    const TextField lstText[] = {
        {FCSV_COL_FROM, &f.strFrom, sizeof rcdSize.szFrom, "departure"},
        {FCSV_COL_TO, &f.strTo, sizeof rcdSize.szTo, "destination"},
        {FCSV_COL_PAX, &f.strPax, sizeof rcdSize.szPaxList, "passengers"},
        {FCSV_COL_NOTES, &f.strNotes, sizeof rcdSize.szNotes, "remarks"},
    };
    for (const auto& field : lstText) {
        std::string_view sv = rd.text(field.nCol);
        if (sv.size() >= field.nlMax)
            return std::string(field.pszName) + " longer than " + std::to_string(field.nlMax - 1) +
                   " bytes";
        *field.pstr = std::string(sv);
    }
    f.strPilot = std::string(trimmed(rd.text(FCSV_COL_PILOT)));
    f.strStudent = std::string(trimmed(rd.text(FCSV_COL_STUDENT)));
    for (const std::string* pstr : {&f.strPilot, &f.strStudent})
        if (pstr->size() >= sizeof rcdPilot{}.szLName)
            return "pilot name longer than 99 bytes";

    f.nType = 0;
    if (isYes(rd.text(FCSV_COL_NIGHT)))
        f.nType |= FLT_TYPE_NIGHT;
    if (isYes(rd.text(FCSV_COL_IFR)))
        f.nType |= FLT_TYPE_IFR;
    if (isYes(rd.text(FCSV_COL_XC)))
        f.nType |= FLT_TYPE_XC;
    // A "Dual/Solo" column says which; a plain "Dual" or "Solo" column
    // says yes or no.
    std::string strDual = lowerAlnum(rd.text(FCSV_COL_DUAL));
    std::string strSolo = lowerAlnum(rd.text(FCSV_COL_SOLO));
    bool bDual = strDual == "dual" || strSolo == "dual" ||
                 (strDual != "solo" && rd.lstIndex[FCSV_COL_DUAL] >= 0 && isYes(strDual)) ||
                 (strSolo != "solo" && rd.lstIndex[FCSV_COL_SOLO] >= 0 && !isYes(strSolo));
    if (bDual)
        f.nType |= FLT_TYPE_DUAL;
    return {};
}

// Whether the file's numeric dates are month before day: some have a second
// number above 12 and none a first. Read day first, every date with a day
// up to 12 would land in the wrong month without a word.
bool isMonthFirst(const fcsvTable& table, int iDateCol) {
    bool bSecondBig = false;
    for (const fcsvRow& row : table.lstRow) {
        if (std::size_t(iDateCol) >= row.lstField.size())
            continue;
        int lstNum[2] = {0, 0};
        std::size_t nDigits[2] = {0, 0};
        int nPart = 0;
        for (char c : trimmed(row.lstField[iDateCol])) {
            if (g_ascii_isdigit(c) && nPart < 2) {
                lstNum[nPart] = lstNum[nPart] * 10 + (c - '0');
                ++nDigits[nPart];
            } else if (c == '/' || c == '.' || c == '-') {
                if (++nPart == 2)
                    break;
            } else {
                nPart = -1;
                break;
            }
        }
        if (nPart != 2 || nDigits[0] > 2 || nDigits[1] > 2)
            continue; // a month name or year first: no doubt
        if (lstNum[0] > 12)
            return false;
        bSecondBig = bSecondBig || lstNum[1] > 12;
    }
    return bSecondBig;
}

} // namespace

gboolean fcsvBuildPreview(const fcsvTable& table, const std::vector<fcsvCol_t>& lstCol, guint iACID,
                          fcsvPreview* pPreview) {
    *pPreview = fcsvPreview{};
    std::vector<int> lstIndex(FCSV_NUM_COLS, -1);
    for (std::size_t i = 0; i < lstCol.size(); ++i)
        if (lstCol[i] != FCSV_COL_IGNORE && lstIndex[lstCol[i]] < 0)
            lstIndex[lstCol[i]] = int(i);
    if (lstIndex[FCSV_COL_DATE] < 0) {
        pPreview->strProblem = "No column is taken as the date: choose it above its column.";
        return TRUE;
    }
    if (isMonthFirst(table, lstIndex[FCSV_COL_DATE])) {
        pPreview->strProblem = "The dates are written month before day (as in 05/13/2010), but "
                               "numeric dates are read day before month here. Save the file with "
                               "dates such as 13-May-2010 or 2010-05-13 and import it again.";
        return TRUE;
    }

    std::set<time_t> setLogged;
    rcdFLog rcd{};
    cbFLog cb{&rcd, addStart};
    m_psetStart = &setLogged;
    gboolean bOK = sqlLoadFLogRecord(&cb, SQL_NEW_ID, iACID);
    m_psetStart = nullptr;
    std::map<std::string, guint> mapPilot;
    if (!bOK || !loadPilotKeys(&mapPilot))
        return FALSE;

    std::set<std::string> setUnknown;
    for (const fcsvRow& row : table.lstRow) {
        fcsvFlight flight{};
        flight.nLine = row.nLine;
        std::string strWhy = judgeRow(RowReader{row, lstIndex}, setLogged, &flight);
        if (!strWhy.empty()) {
            pPreview->lstRefused.push_back({row.nLine, strWhy});
            continue;
        }
        for (const std::string* pstr : {&flight.strPilot, &flight.strStudent})
            if (!pstr->empty() && !mapPilot.count(nameKey(*pstr)) &&
                setUnknown.insert(nameKey(*pstr)).second)
                pPreview->lstUnknownPilot.push_back(*pstr);
        pPreview->lstFlight.push_back(std::move(flight));
    }
    return TRUE;
}

// ---- storing ----

namespace {

// "Last, First" or "First Middle Last" into the record's two names.
void splitName(const std::string& strName, rcdPilot* prcd) {
    std::string strFirst, strLast;
    std::size_t nComma = strName.find(',');
    std::size_t nSpace = strName.rfind(' ');
    if (nComma != std::string::npos) {
        strLast = trimmed(std::string_view(strName).substr(0, nComma));
        strFirst = trimmed(std::string_view(strName).substr(nComma + 1));
    } else if (nSpace != std::string::npos) {
        strFirst = trimmed(std::string_view(strName).substr(0, nSpace));
        strLast = trimmed(std::string_view(strName).substr(nSpace + 1));
    } else {
        strLast = strName;
    }
    mscCopyText(prcd->szFName, strFirst.c_str());
    mscCopyText(prcd->szLName, strLast.c_str());
}

gboolean storeAll(const fcsvPreview& preview, guint iACID, gboolean bAddPilots,
                  std::string* pstrWhy) {
    if (bAddPilots) {
        for (const auto& strName : preview.lstUnknownPilot) {
            rcdPilot rcd{};
            rcd.iPilotID = SQL_NEW_ID;
            splitName(strName, &rcd);
            pltBuildSortKey(&rcd, rcd.szSortKey, sizeof rcd.szSortKey);
            if (!sqlUpdatePilotRecord(&rcd)) {
                *pstrWhy = sqlLastError();
                return FALSE;
            }
        }
    }
    std::map<std::string, guint> mapPilot;
    if (!loadPilotKeys(&mapPilot)) {
        *pstrWhy = sqlLastError();
        return FALSE;
    }
    auto pilotID = [&](const std::string& strName) -> guint {
        auto it = strName.empty() ? mapPilot.end() : mapPilot.find(nameKey(strName));
        return it == mapPilot.end() ? 0 : it->second;
    };
    for (const fcsvFlight& f : preview.lstFlight) {
        rcdFLog rcd{};
        rcd.iFLogID = SQL_NEW_ID;
        rcd.iCSID = iACID;
        rcd.iPilotID = pilotID(f.strPilot);
        rcd.iStudentID = pilotID(f.strStudent);
        rcd.tFltBegin = f.tFltBegin;
        rcd.tFltEnd = f.tFltEnd;
        rcd.nElapsed = f.nElapsed;
        rcd.nType = f.nType;
        mscCopyText(rcd.szFrom, f.strFrom.c_str());
        mscCopyText(rcd.szTo, f.strTo.c_str());
        mscCopyText(rcd.szPaxList, f.strPax.c_str());
        mscCopyText(rcd.szNotes, f.strNotes.c_str());
        if (!sqlUpdateFLogRecord(&rcd)) {
            *pstrWhy = sqlLastError();
            return FALSE;
        }
    }
    return TRUE;
}

} // namespace

gboolean fcsvBackupLog(std::string* pstrBackup, std::string* pstrWhy) {
    sqlite3* hLog = sqlLogHandle();
    const char* pszFile = hLog ? sqlite3_db_filename(hLog, "main") : nullptr;
    if (!pszFile || !*pszFile) {
        *pstrWhy = "fcsvBackupLog():sqlite3_db_filename(main)\nthe log database is not open";
        return FALSE;
    }
    // No new copy is made when the newest one holds the same; a failure
    // leaves no copy at all only on a log that was never copied.
    bkpBackUp(hLog, "avLedger");
    *pstrBackup = bkpNewest(pszFile, "avLedger");
    if (pstrBackup->empty()) {
        *pstrWhy = std::string("fcsvBackupLog():bkpBackUp(") + pszFile +
                   ")\nno backup copy could be made (see the log file)";
        return FALSE;
    }
    return TRUE;
}

gboolean fcsvImport(const fcsvPreview& preview, guint iACID, gboolean bAddPilots,
                    std::string* pstrBackup, std::string* pstrWhy) {
    if (!fcsvBackupLog(pstrBackup, pstrWhy))
        return FALSE;
    if (!sqlBeginWrite(FALSE)) {
        *pstrWhy = sqlLastError();
        return FALSE;
    }
    gboolean bStored = storeAll(preview, iACID, bAddPilots, pstrWhy);
    if (!sqlEndWrite(FALSE, bStored)) {
        if (bStored)
            *pstrWhy = sqlLastError();
        return FALSE;
    }
    return TRUE;
}

// ---- export ----

namespace {

std::vector<rcdFLog>* m_plstExport = nullptr;
int addExport(rcdFLog* prcd) {
    m_plstExport->push_back(*prcd);
    return 0;
}

std::map<guint, std::string>* m_pmapNames = nullptr;
int addName(rcdPilot* prcd) {
    (*m_pmapNames)[prcd->iPilotID] = readingName(*prcd);
    return 0;
}

// A field goes in quotes when it holds what the reader would take apart or
// trim; quotes inside are doubled.
void appendField(std::string& strOut, std::string_view sv) {
    bool bQuote = sv.find_first_of(",;\t\"\r\n") != std::string_view::npos ||
                  (!sv.empty() && (g_ascii_isspace(sv.front()) || g_ascii_isspace(sv.back())));
    if (!bQuote) {
        strOut += sv;
        return;
    }
    strOut += '"';
    for (char c : sv) {
        if (c == '"')
            strOut += '"';
        strOut += c;
    }
    strOut += '"';
}

// "14:30", or "14:30:15" when the moment has seconds, so that a stored
// time comes back to the second.
std::string clockText(time_t t) {
    struct tm tmAt {};
    if (!gmtime_r(&t, &tmAt))
        return {};
    char sz[20];
    if (tmAt.tm_sec)
        g_snprintf(sz, sizeof sz, "%02d:%02d:%02d", tmAt.tm_hour, tmAt.tm_min, tmAt.tm_sec);
    else
        g_snprintf(sz, sizeof sz, "%02d:%02d", tmAt.tm_hour, tmAt.tm_min);
    return sz;
}

} // namespace

gboolean fcsvExportText(guint iACID, std::string* pstrText) {
    std::vector<rcdFLog> lstFlight;
    rcdFLog rcd{};
    cbFLog cb{&rcd, addExport};
    m_plstExport = &lstFlight;
    gboolean bOK = sqlLoadFLogRecord(&cb, SQL_NEW_ID, iACID);
    m_plstExport = nullptr;
    std::map<guint, std::string> mapName;
    rcdPilot rcdP{};
    cbPilot cbP{&rcdP, addName};
    m_pmapNames = &mapName;
    bOK = bOK && sqlLoadPilotRecord(&cbP, SQL_NEW_ID);
    m_pmapNames = nullptr;
    if (!bOK)
        return FALSE;

    static constexpr fcsvCol_t lstOut[] = {
        FCSV_COL_DATE, FCSV_COL_TAKEOFF, FCSV_COL_LANDING, FCSV_COL_ELAPSED, FCSV_COL_FROM,
        FCSV_COL_TO,   FCSV_COL_PILOT,   FCSV_COL_STUDENT, FCSV_COL_PAX,     FCSV_COL_NIGHT,
        FCSV_COL_IFR,  FCSV_COL_XC,      FCSV_COL_DUAL,    FCSV_COL_NOTES};
    std::string& strOut = *pstrText;
    strOut.clear();
    for (fcsvCol_t nCol : lstOut) {
        if (nCol != lstOut[0])
            strOut += ',';
        strOut += fcsvColName(nCol);
    }
    strOut += "\r\n";
    auto name = [&](guint iID) {
        auto it = mapName.find(iID);
        return it == mapName.end() ? std::string() : it->second;
    };
    auto yes = [](guint nType, guint nBit) { return (nType & nBit) ? "yes" : "no"; };
    for (const rcdFLog& f : lstFlight) {
        gchar szDate[30], szHours[30];
        cnvDcdDate(szDate, sizeof szDate, f.tFltBegin, 0);
        cnvDcdHours(szHours, sizeof szHours, f.nElapsed);
        const std::string lstValue[] = {
            szDate,
            f.tFltBegin > 0 && f.tFltBegin % FLT_DAY ? clockText(f.tFltBegin) : "",
            f.tFltEnd > FLT_MAX_DURATION ? clockText(f.tFltEnd) : "",
            szHours,
            f.szFrom,
            f.szTo,
            name(f.iPilotID),
            name(f.iStudentID),
            f.szPaxList,
            yes(f.nType, FLT_TYPE_NIGHT),
            yes(f.nType, FLT_TYPE_IFR),
            yes(f.nType, FLT_TYPE_XC),
            yes(f.nType, FLT_TYPE_DUAL),
            f.szNotes,
        };
        for (const auto& str : lstValue) {
            if (&str != &lstValue[0])
                strOut += ',';
            appendField(strOut, str);
        }
        strOut += "\r\n";
    }
    return TRUE;
}

gboolean fcsvExportFile(guint iACID, const char* pszPath, std::string* pstrWhy) {
    // The program's own files are never the target of an export.
    gchar* pszBase = g_path_get_basename(pszPath);
    std::string strBase = pszBase;
    g_free(pszBase);
    for (const char* pszOwn : {"avLedger.db", "avLedger.conf", "avLedger.log", "avCCD.db"})
        if (g_ascii_strcasecmp(strBase.c_str(), pszOwn) == 0) {
            *pstrWhy = strBase + " is one of the program's own files; choose another name.";
            return FALSE;
        }
    std::string strText;
    if (!fcsvExportText(iACID, &strText)) {
        *pstrWhy = sqlLastError();
        return FALSE;
    }
    GError* pError = nullptr;
    // g_file_set_contents writes a temporary file and renames it.
    if (!g_file_set_contents(pszPath, strText.data(), gssize(strText.size()), &pError)) {
        *pstrWhy = pError->message;
        g_error_free(pError);
        return FALSE;
    }
    return TRUE;
}

// ---- the dialogs ----

namespace {

// Rows of the file shown in the preview; the count covers them all.
constexpr guint FCSV_PREVIEW_ROWS = 200;
constexpr std::ptrdiff_t FCSV_PREVIEW_REFUSED = 2000;

enum {
    PRV_LINE,
    PRV_DATE,
    PRV_OFF,
    PRV_ON,
    PRV_TIME,
    PRV_FROM,
    PRV_TO,
    PRV_PILOT,
    PRV_NOTES,
    PRV_NUM_COLS
};
enum { RFS_LINE, RFS_WHY, RFS_NUM_COLS };

GtkWidget* m_pwinMain = nullptr;
GtkWidget* m_pwgtDialog = nullptr;
GtkWidget* m_pwgtFile = nullptr;
GtkWidget* m_pwgtColumns = nullptr;
GtkWidget* m_pwgtCount = nullptr;
GtkWidget* m_pwgtPreview = nullptr;
GtkWidget* m_pwgtRefused = nullptr;
GtkWidget* m_pwgtAddPilots = nullptr;
GtkWidget* m_pwgtOK = nullptr;
GtkListStore* m_pstoPreview = nullptr;
GtkListStore* m_pstoRefused = nullptr;

// The file being previewed, its column choice and the judgement.
fcsvTable m_tblImport;
std::vector<fcsvCol_t> m_lstImportCol;
fcsvPreview m_prvImport;
guint m_iImportACID = SQL_NEW_ID;

void showMessage(GtkMessageType nType, const char* pszTitle, const std::string& strText) {
    GtkWidget* pwgt = gtk_message_dialog_new(GTK_WINDOW(m_pwinMain), GTK_DIALOG_MODAL, nType,
                                             GTK_BUTTONS_OK, "%s", pszTitle);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pwgt), "%s", strText.c_str());
    gtk_dialog_run(GTK_DIALOG(pwgt));
    gtk_widget_destroy(pwgt);
}

// A file name need not be UTF-8; what a label shows must be.
std::string displayName(const std::string& strPath) {
    gchar* psz = g_filename_display_name(strPath.c_str());
    std::string str = psz;
    g_free(psz);
    return str;
}

void showStatus(const std::string& strText) {
    GtkBuilder* pBuilder = avGetBuilder();
    GObject* pStatus = pBuilder ? gtk_builder_get_object(pBuilder, "MainStatus") : nullptr;
    if (!pStatus)
        return;
    GtkStatusbar* pwgtStatus = GTK_STATUSBAR(pStatus);
    guint idContext = gtk_statusbar_get_context_id(pwgtStatus, "flights csv");
    gtk_statusbar_pop(pwgtStatus, idContext);
    gtk_statusbar_push(pwgtStatus, idContext, strText.c_str());
}

void addTextColumn(GtkWidget* pwgtTree, const char* pszTitle, gint iCol) {
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* pColumn =
        gtk_tree_view_column_new_with_attributes(pszTitle, pRenderer, "text", iCol, nullptr);
    gtk_tree_view_column_set_resizable(pColumn, TRUE);
    gtk_tree_view_append_column(GTK_TREE_VIEW(pwgtTree), pColumn);
}

// One line of a text for a list cell: line breaks shown as blanks, cut.
std::string cellText(const std::string& str) {
    gchar sz[61];
    mscCopyText(sz, str.c_str());
    std::string strCell = sz;
    std::replace_if(
        strCell.begin(), strCell.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return strCell.size() < str.size() ? strCell + "…" : strCell;
}

void fillPreview() {
    gtk_list_store_clear(m_pstoPreview);
    gtk_list_store_clear(m_pstoRefused);
    guint nShown = 0;
    for (const fcsvFlight& f : m_prvImport.lstFlight) {
        if (nShown++ == FCSV_PREVIEW_ROWS)
            break;
        gchar szDate[30], szOff[20] = "", szOn[20] = "", szTime[20];
        cnvDcdDate(szDate, sizeof szDate, f.tFltBegin, 0);
        cnvDcdTime(szOff, sizeof szOff, f.tFltBegin, 0);
        cnvDcdTime(szOn, sizeof szOn, f.tFltEnd, CNV_DCD_MIDNIGHT);
        cnvDcdHours(szTime, sizeof szTime, f.nElapsed);
        GtkTreeIter iter;
        gtk_list_store_append(m_pstoPreview, &iter);
        gtk_list_store_set(m_pstoPreview, &iter, PRV_LINE, f.nLine, PRV_DATE, szDate, PRV_OFF,
                           szOff, PRV_ON, szOn, PRV_TIME, szTime, PRV_FROM,
                           cellText(f.strFrom).c_str(), PRV_TO, cellText(f.strTo).c_str(),
                           PRV_PILOT, cellText(f.strPilot).c_str(), PRV_NOTES,
                           cellText(f.strNotes).c_str(), -1);
    }
    for (const fcsvRefusal& r : m_prvImport.lstRefused) {
        if (&r - m_prvImport.lstRefused.data() == FCSV_PREVIEW_REFUSED)
            break;
        GtkTreeIter iter;
        gtk_list_store_append(m_pstoRefused, &iter);
        gtk_list_store_set(m_pstoRefused, &iter, RFS_LINE, r.nLine, RFS_WHY, r.strWhy.c_str(), -1);
    }

    std::string strCount;
    if (!m_prvImport.strProblem.empty()) {
        strCount = m_prvImport.strProblem;
    } else {
        strCount = std::to_string(m_prvImport.lstFlight.size()) + " flights to import, " +
                   std::to_string(m_prvImport.lstRefused.size()) + " rows refused (listed below).";
        if (m_prvImport.lstFlight.size() > FCSV_PREVIEW_ROWS)
            strCount += " The first " + std::to_string(FCSV_PREVIEW_ROWS) + " flights are shown.";
        if (m_prvImport.lstRefused.size() > FCSV_PREVIEW_REFUSED)
            strCount +=
                " The first " + std::to_string(FCSV_PREVIEW_REFUSED) + " refusals are shown.";
    }
    if (!m_prvImport.lstUnknownPilot.empty()) {
        strCount += "\nNot in the pilot list:";
        for (const auto& strName : m_prvImport.lstUnknownPilot)
            strCount += (&strName == &m_prvImport.lstUnknownPilot.front() ? " " : ", ") + strName;
    }
    gtk_label_set_text(GTK_LABEL(m_pwgtCount), strCount.c_str());
    gtk_widget_set_visible(m_pwgtAddPilots, !m_prvImport.lstUnknownPilot.empty());
    gtk_widget_set_sensitive(m_pwgtOK, !m_prvImport.lstFlight.empty());
}

gboolean rebuildPreview() {
    if (!fcsvBuildPreview(m_tblImport, m_lstImportCol, m_iImportACID, &m_prvImport)) {
        dlgError(sqlLastError(), "fcsvBuildPreview()", "avFltCSV");
        return FALSE;
    }
    fillPreview();
    return TRUE;
}

void onColumnChanged(GtkComboBox* pwgtCombo, gpointer pIndex) {
    std::size_t i = GPOINTER_TO_UINT(pIndex);
    gint nActive = gtk_combo_box_get_active(pwgtCombo);
    if (i >= m_lstImportCol.size() || nActive < 0)
        return;
    m_lstImportCol[i] = fcsvCol_t(nActive);
    rebuildPreview();
}

// One header label and one choice per column of the file.
void fillColumnChoice() {
    GList* pChildren = gtk_container_get_children(GTK_CONTAINER(m_pwgtColumns));
    for (GList* p = pChildren; p; p = p->next)
        gtk_widget_destroy(GTK_WIDGET(p->data));
    g_list_free(pChildren);
    guint nCols = guint(std::max<std::size_t>(1, m_tblImport.lstHeader.size()));
    gtk_table_resize(GTK_TABLE(m_pwgtColumns), 2, nCols);
    for (guint i = 0; i < m_tblImport.lstHeader.size(); ++i) {
        GtkWidget* pwgtLabel = gtk_label_new(cellText(m_tblImport.lstHeader[i]).c_str());
        GtkWidget* pwgtCombo = gtk_combo_box_new_text();
        for (int n = 0; n < FCSV_NUM_COLS; ++n)
            gtk_combo_box_append_text(GTK_COMBO_BOX(pwgtCombo), fcsvColName(fcsvCol_t(n)));
        gtk_combo_box_set_active(GTK_COMBO_BOX(pwgtCombo), m_lstImportCol[i]);
        g_signal_connect(pwgtCombo, "changed", G_CALLBACK(onColumnChanged), GUINT_TO_POINTER(i));
        gtk_table_attach(GTK_TABLE(m_pwgtColumns), pwgtLabel, i, i + 1, 0, 1, GTK_FILL, GTK_FILL, 0,
                         0);
        gtk_table_attach(GTK_TABLE(m_pwgtColumns), pwgtCombo, i, i + 1, 1, 2, GTK_FILL, GTK_FILL, 0,
                         0);
    }
    gtk_widget_show_all(m_pwgtColumns);
}

// After an import everything that shows flights or hours is rebuilt from
// the file: the pilot lists, the flight tree, the banner and the due marks;
// the page in view refreshes itself as when it is entered.
void refreshAfterImport(gboolean bPilotsAdded) {
    if (bPilotsAdded)
        pmodLoadModel();
    GtkBuilder* pBuilder = avGetBuilder();
    GObject* pNB = pBuilder ? gtk_builder_get_object(pBuilder, "MainNotebook") : nullptr;
    const gint nPage = pNB ? gtk_notebook_get_current_page(GTK_NOTEBOOK(pNB)) : -1;
    if (nPage == 2) {
        fltOnPageEnter();
        return;
    }
    {
        // The flight page's handlers must not take the rebuild for a choice.
        MscDisplayGuard guard;
        guint64 nHours = 0;
        if (fmodLoadModel(-1, &nHours))
            acdDisplayACReg(gint64(nHours));
    }
    if (nPage == 0)
        ccdOnPageEnter();
    else
        cmodMarkDue();
}

void clearImport() {
    m_tblImport = fcsvTable{};
    m_lstImportCol.clear();
    m_prvImport = fcsvPreview{};
    if (m_pstoPreview)
        gtk_list_store_clear(m_pstoPreview);
    if (m_pstoRefused)
        gtk_list_store_clear(m_pstoRefused);
}

GtkFileFilter* csvFilter() {
    GtkFileFilter* pFilter = gtk_file_filter_new();
    gtk_file_filter_set_name(pFilter, "CSV files");
    gtk_file_filter_add_pattern(pFilter, "*.csv");
    gtk_file_filter_add_pattern(pFilter, "*.CSV");
    gtk_file_filter_add_pattern(pFilter, "*.txt");
    gtk_file_filter_add_pattern(pFilter, "*.tsv");
    return pFilter;
}

// Asks for a file; the chosen path, or "" when the user cancelled.
std::string chooseFile(const char* pszTitle, GtkFileChooserAction nAction, const char* pszName) {
    GtkWidget* pwgt = gtk_file_chooser_dialog_new(
        pszTitle, GTK_WINDOW(m_pwinMain), nAction, GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL,
        nAction == GTK_FILE_CHOOSER_ACTION_SAVE ? GTK_STOCK_SAVE : GTK_STOCK_OPEN,
        GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(pwgt), csvFilter());
    GtkFileFilter* pAll = gtk_file_filter_new();
    gtk_file_filter_set_name(pAll, "All files");
    gtk_file_filter_add_pattern(pAll, "*");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(pwgt), pAll);
    if (nAction == GTK_FILE_CHOOSER_ACTION_SAVE) {
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(pwgt), TRUE);
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(pwgt), pszName);
    }
    std::string strPath;
    if (gtk_dialog_run(GTK_DIALOG(pwgt)) == GTK_RESPONSE_ACCEPT) {
        gchar* psz = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pwgt));
        strPath = psz ? psz : "";
        g_free(psz);
    }
    gtk_widget_destroy(pwgt);
    return strPath;
}

gboolean refuseWithoutAircraft(const char* pszTitle) {
    if (acdHasActiveAC())
        return FALSE;
    showMessage(GTK_MESSAGE_INFO, pszTitle,
                "Choose the aircraft on the aircraft page first: flights belong to the active "
                "aircraft.");
    return TRUE;
}

void onImportActivate(GtkMenuItem*, gpointer) {
    if (refuseWithoutAircraft("No aircraft to import flights into"))
        return;
    std::string strPath = chooseFile("Import Flights", GTK_FILE_CHOOSER_ACTION_OPEN, nullptr);
    if (!strPath.empty())
        fcsvImportFile(strPath.c_str());
}

void onExportActivate(GtkMenuItem*, gpointer) {
    if (refuseWithoutAircraft("No aircraft to export flights from"))
        return;
    // What is being typed on a page belongs in the export.
    avOnPageLeave();
    const rcdAC* prcdAC = acdGetActiveAC();
    std::string strName =
        std::string(prcdAC->szReg[0] ? prcdAC->szReg : "flights") + "-flights.csv";
    std::string strPath =
        chooseFile("Export Flights", GTK_FILE_CHOOSER_ACTION_SAVE, strName.c_str());
    if (strPath.empty())
        return;
    std::string strWhy;
    if (fcsvExportFile(prcdAC->iACID, strPath.c_str(), &strWhy))
        showStatus("Flights exported to " + displayName(strPath));
    else
        showMessage(GTK_MESSAGE_ERROR, "The flights were not exported", strWhy);
}

} // namespace

void fcsvInitialize(GtkBuilder* pBuilder) {
    m_pwinMain = mscGetWidget(pBuilder, "avLedger");
    m_pwgtDialog = mscGetWidget(pBuilder, "ImportDialog");
    m_pwgtFile = mscGetWidget(pBuilder, "ImportFile");
    m_pwgtColumns = mscGetWidget(pBuilder, "ImportColumns");
    m_pwgtCount = mscGetWidget(pBuilder, "ImportCount");
    m_pwgtPreview = mscGetWidget(pBuilder, "ImportPreview");
    m_pwgtRefused = mscGetWidget(pBuilder, "ImportRefused");
    m_pwgtAddPilots = mscGetWidget(pBuilder, "ImportAddPilots");
    m_pwgtOK = mscGetWidget(pBuilder, "ImportOK");
    clearImport();

    if (m_pstoPreview)
        g_object_unref(m_pstoPreview);
    if (m_pstoRefused)
        g_object_unref(m_pstoRefused);
    m_pstoPreview = gtk_list_store_new(PRV_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_STRING,
                                       G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                       G_TYPE_STRING, G_TYPE_STRING);
    m_pstoRefused = gtk_list_store_new(RFS_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING);
    static constexpr const char* lstPreviewTitle[] = {"Line", "Date", "Take-off", "Landing", "Time",
                                                      "From", "To",   "Pilot",    "Remarks"};
    for (gint i = 0; i < PRV_NUM_COLS; ++i)
        addTextColumn(m_pwgtPreview, lstPreviewTitle[i], i);
    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtPreview), GTK_TREE_MODEL(m_pstoPreview));
    addTextColumn(m_pwgtRefused, "Line", RFS_LINE);
    addTextColumn(m_pwgtRefused, "Refused because", RFS_WHY);
    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtRefused), GTK_TREE_MODEL(m_pstoRefused));

    g_signal_connect(mscGetWidget(pBuilder, "MenuFileImportFlights"), "activate",
                     G_CALLBACK(onImportActivate), nullptr);
    g_signal_connect(mscGetWidget(pBuilder, "MenuFileExportFlights"), "activate",
                     G_CALLBACK(onExportActivate), nullptr);
}

gboolean fcsvImportFile(const char* pszPath) {
    if (refuseWithoutAircraft("No aircraft to import flights into"))
        return FALSE;
    // A flight being typed on the flight page is stored first, so that it
    // counts when the file's flights are compared with the log.
    avOnPageLeave();
    clearImport();
    std::string strWhy;
    if (!fcsvReadFile(pszPath, &m_tblImport, &strWhy)) {
        showMessage(GTK_MESSAGE_ERROR, "No flights were imported", strWhy);
        return FALSE;
    }
    m_iImportACID = acdGetActiveAC()->iACID;
    m_lstImportCol = fcsvMatchColumns(m_tblImport.lstHeader);
    gtk_label_set_text(GTK_LABEL(m_pwgtFile), displayName(pszPath).c_str());
    fillColumnChoice();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtAddPilots), FALSE);
    if (!rebuildPreview())
        return FALSE;

    gint nResponse = gtk_dialog_run(GTK_DIALOG(m_pwgtDialog));
    gboolean bAddPilots = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtAddPilots));
    gtk_widget_hide(m_pwgtDialog);
    gboolean bStored = FALSE;
    if (nResponse == GTK_RESPONSE_OK && !m_prvImport.lstFlight.empty()) {
        std::string strBackup;
        if (fcsvImport(m_prvImport, m_iImportACID, bAddPilots, &strBackup, &strWhy)) {
            bStored = TRUE;
            showStatus(std::to_string(m_prvImport.lstFlight.size()) +
                       " flights imported; the log before the import is kept in " +
                       displayName(strBackup));
        } else {
            dlgError(strWhy.c_str(), "fcsvImport()", "avFltCSV");
        }
    }
    const gboolean bPilotsAdded = bAddPilots && !m_prvImport.lstUnknownPilot.empty();
    clearImport();
    if (bStored)
        refreshAfterImport(bPilotsAdded);
    return bStored;
}
