#include "avFltCSV.h"
#include "fcsvText.h"

#include "avBackup.h"
#include "avCnv.h"
#include "modAC.h"
#include "modComp.h"
#include "modFLog.h"
#include "modPilot.h"
#include "rcdAC.h"
#include "rcdFLog.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

namespace {

// ---- judging a row ----

// "Last, First" or "First Middle Last" into the record's two names.
void splitName(const std::string& strName, rcdPilot* prcd) {
    std::string strFirst, strLast;
    std::size_t nComma = strName.find(',');
    std::size_t nSpace = strName.rfind(' ');
    if (nComma != std::string::npos) {
        strLast = fcsvTrimmed(std::string_view(strName).substr(0, nComma));
        strFirst = fcsvTrimmed(std::string_view(strName).substr(nComma + 1));
    } else if (nSpace != std::string::npos) {
        strFirst = fcsvTrimmed(std::string_view(strName).substr(0, nSpace));
        strLast = fcsvTrimmed(std::string_view(strName).substr(nSpace + 1));
    } else {
        strLast = strName;
    }
    mscCopyText(prcd->szFName, strFirst.c_str());
    mscCopyText(prcd->szLName, strLast.c_str());
}

// A pilot's name as the pilot page tells pilots apart: the sort key of
// the name read as "Last, First" or "First Middle Last".
std::string nameKey(std::string_view sv) {
    rcdPilot rcd{};
    splitName(std::string(sv), &rcd);
    char szKey[sizeof rcd.szSortKey];
    pltBuildSortKey(&rcd, szKey, sizeof szKey);
    return szKey;
}

// Pilots by name: "First Last", "Last First" and "Last, First" all match.
std::map<std::string, guint>* m_pmapPilot = nullptr;
int addPilotKeys(rcdPilot* prcd) {
    rcdPilot rcdSwapped{};
    mscCopyText(rcdSwapped.szLName, prcd->szFName);
    mscCopyText(rcdSwapped.szFName, prcd->szLName);
    for (const rcdPilot* p : {prcd, &rcdSwapped}) {
        char szKey[sizeof p->szSortKey];
        if (pltBuildSortKey(p, szKey, sizeof szKey))
            m_pmapPilot->emplace(szKey, prcd->iPilotID);
    }
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

// The starts of flights, to find one logged twice. A flight with a
// take-off time clashes with any other at that moment; flights entered by
// their date alone all start at midnight, and several a day are common, so
// only one of the same length is the same flight.
struct Start {
    guint nElapsed;
    bool bTimed;
    guint nLine;
};
using Starts = std::multimap<time_t, Start>;

const Start* findClash(const Starts& map, time_t tBegin, guint nElapsed, bool bTimed) {
    auto [itFrom, itTo] = map.equal_range(tBegin);
    for (auto it = itFrom; it != itTo; ++it)
        if (bTimed || it->second.bTimed || it->second.nElapsed == nElapsed)
            return &it->second;
    return nullptr;
}

Starts* m_pmapStart = nullptr;
int addStart(rcdFLog* prcd) {
    m_pmapStart->emplace(prcd->tFltBegin, Start{prcd->nElapsed, fltTakeOffKnown(prcd->tFltBegin, prcd->nType), 0});
    return 0;
}

// A yes/no cell: empty, "no", "false" and the like are no; "yes", "true",
// "x" and the like are yes; hours (a logbook's night or dual column) are
// yes when above zero. FALSE for anything else: a word not known here is
// never taken for either.
bool readFlag(std::string_view sv, bool* pbYes) {
    sv = fcsvTrimmed(sv);
    if (fcsvIsNumber(sv)) {
        *pbYes = std::any_of(sv.begin(), sv.end(), [](char c) { return c >= '1' && c <= '9'; });
        return true;
    }
    static constexpr std::string_view lstNo[] = {"", "-", "no", "n", "false", "f", "none"};
    static constexpr std::string_view lstYes[] = {"yes", "y", "true", "t", "x"};
    std::string str(sv);
    for (char& c : str)
        c = g_ascii_tolower(c);
    auto in = [&](const auto& lst) {
        return std::find(std::begin(lst), std::end(lst), str) != std::end(lst);
    };
    *pbYes = in(lstYes);
    return *pbYes || in(lstNo);
}

// A pilot's name has a letter in it; "1.3" from an hours column has none.
bool readsAsName(const std::string& str) {
    for (const gchar* p = str.c_str(); *p; p = g_utf8_next_char(p))
        if (g_unichar_isalpha(g_utf8_get_char(p)))
            return true;
    return false;
}

struct RowReader {
    const fcsvRow& row;
    const std::vector<int>& lstIndex; // column index per fcsvCol_t, -1 when none
    const std::vector<std::string>& lstHeader;
    std::string_view text(fcsvCol_t nCol) const {
        int i = lstIndex[nCol];
        return i >= 0 && std::size_t(i) < row.lstField.size() ? std::string_view(row.lstField[i])
                                                              : std::string_view();
    }
    bool has(fcsvCol_t nCol) const { return !fcsvTrimmed(text(nCol)).empty(); }
    bool chosen(fcsvCol_t nCol) const { return lstIndex[nCol] >= 0; }
    // The file's own name of the column, as the user sees it in the file.
    const std::string& header(fcsvCol_t nCol) const {
        return lstHeader[std::size_t(lstIndex[nCol])];
    }
};

std::string quoted(std::string_view sv) {
    gchar szCut[41];
    mscCopyText(szCut, std::string(sv).c_str());
    return std::string("\"") + szCut + (sv.size() >= sizeof szCut ? "…\"" : "\"");
}

std::string fromSheet(std::string_view sv) {
    if (!sv.empty() && sv.front() == '\'' && fcsvLooksLikeFormula(sv))
        sv.remove_prefix(1);
    return std::string(sv);
}

// The flight time column: decimal hours or hours:minutes, rounded to the
// nearest tenth as the flight page rounds (1.25 and 0:57 are 1.3 and
// 1.0). Empty text is no time.
const char* readElapsed(std::string_view sv, guint* pnTenths) {
    sv = fcsvTrimmed(sv);
    if (!sv.empty() && sv.front() == '-')
        return "negative flight time";
    std::string str(sv);
    std::size_t nColon = str.find(':');
    guint64 nTenths = 0;
    if (nColon != std::string::npos) {
        std::string_view svHours = std::string_view(str).substr(0, nColon);
        std::string_view svMin = std::string_view(str).substr(nColon + 1);
        if (svHours.empty() || svMin.size() != 2 || svHours.size() > 4 ||
            !std::all_of(svHours.begin(), svHours.end(), cnvIsDigit) ||
            !std::all_of(svMin.begin(), svMin.end(), cnvIsDigit) || svMin > "59")
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

// The two leading numbers of a numeric date ("02/03/2025", "2.3.25") and
// where the second ends; FALSE for a date with a month name or the year
// first.
bool leadingNumbers(std::string_view sv, int* pnFirst, int* pnSecond, std::size_t* pnEnd) {
    int lstNum[2] = {0, 0};
    std::size_t i = 0;
    for (int nPart = 0; nPart < 2; ++nPart) {
        const std::size_t nFrom = i;
        for (; i < sv.size() && cnvIsDigit(sv[i]); ++i)
            lstNum[nPart] = lstNum[nPart] * 10 + (sv[i] - '0');
        if (i == nFrom || i - nFrom > 2 || i >= sv.size() ||
            std::string_view("/.-").find(sv[i]) == std::string_view::npos)
            return false;
        if (nPart == 0)
            ++i;
    }
    *pnFirst = lstNum[0];
    *pnSecond = lstNum[1];
    *pnEnd = i;
    return true;
}

// The date (and a clock time after it) of a date cell, numeric dates read
// in the order given; FALSE when it is no date.
bool readMoment(std::string strDate, fcsvDates_t nDates, time_t* ptMoment) {
    int nFirst = 0, nSecond = 0;
    std::size_t nEnd = 0;
    if (nDates == FCSV_DATES_MONTH_FIRST && leadingNumbers(strDate, &nFirst, &nSecond, &nEnd)) {
        const std::size_t nSep = strDate.find_first_of("/.-");
        strDate = strDate.substr(nSep + 1, nEnd - nSep - 1) + strDate[nSep] +
                  strDate.substr(0, nSep) + strDate.substr(nEnd);
    }
    gchar szDate[100];
    if (strDate.size() >= sizeof szDate)
        return false;
    mscCopyText(szDate, strDate.c_str());
    // A moment written "2010-05-01T10:00" has its time after the "T".
    for (gchar* p = szDate; *p; ++p)
        if (*p == 'T' && p > szDate && g_ascii_isdigit(p[-1]) && g_ascii_isdigit(p[1]))
            *p = ' ';
    // The date reader refuses a day or month out of range instead of
    // carrying it into the next month; a clock time may follow the date.
    return cnvReadDate(ptMoment, szDate, TRUE);
}

// What a row is judged against: the order of numeric dates, the starts
// logged already, and the starts of the rows accepted before it.
struct Judge {
    fcsvDates_t nDates;
    const Starts& mapLogged;
    Starts& mapInFile;
};

// Reads the flags of a row into f.nType; a reason when a cell is neither
// yes nor no.
std::string readFlags(const RowReader& rd, fcsvFlight& f) {
    static constexpr std::pair<fcsvCol_t, guint> lstFlag[] = {
        {FCSV_COL_NIGHT, FLT_TYPE_NIGHT}, {FCSV_COL_IFR, FLT_TYPE_IFR}, {FCSV_COL_XC, FLT_TYPE_XC}};
    auto unknown = [&](fcsvCol_t nCol) {
        return rd.header(nCol) + " " + quoted(fcsvTrimmed(rd.text(nCol))) +
               " is neither yes nor no";
    };
    f.nType = 0;
    bool bYes = false;
    for (const auto& [nCol, nBit] : lstFlag) {
        if (!rd.chosen(nCol))
            continue;
        if (!readFlag(rd.text(nCol), &bYes))
            return unknown(nCol);
        f.nType |= bYes ? nBit : 0;
    }
    // A "Dual/Solo" column says which; a plain "Dual" or "Solo" column
    // says yes or no. Hours of solo say nothing about dual, nor does an
    // empty solo cell.
    const fcsvCol_t nCol = rd.chosen(FCSV_COL_DUAL) ? FCSV_COL_DUAL : FCSV_COL_SOLO;
    if (!rd.chosen(nCol))
        return {};
    const std::string_view sv = fcsvTrimmed(rd.text(nCol));
    const std::string strWord = fcsvLowerAlnum(sv);
    bool bDual = strWord == "dual";
    if (strWord != "dual" && strWord != "solo") {
        if (!readFlag(sv, &bYes))
            return unknown(nCol);
        bDual = nCol == FCSV_COL_DUAL ? bYes : !bYes && !sv.empty() && !fcsvIsNumber(sv);
    }
    f.nType |= bDual ? FLT_TYPE_DUAL : 0;
    return {};
}

// Whether a row has text beyond the header's columns: a delimiter inside
// a text without quotes moves the rest of the row one column on, so
// nothing of it can be trusted.
bool tooManyFields(const RowReader& rd) {
    const auto& lstField = rd.row.lstField;
    const std::size_t nCols = std::min(lstField.size(), rd.lstHeader.size());
    return rd.row.bWide ||
           std::any_of(lstField.begin() + std::ptrdiff_t(nCols), lstField.end(),
                       [](const std::string& s) { return !fcsvTrimmed(s).empty(); });
}

// Judges one row; an empty result means it is stored as *pFlight.
std::string judgeRow(const RowReader& rd, const Judge& judge, fcsvFlight* pFlight) {
    if (tooManyFields(rd))
        return "more fields than the header has columns (a delimiter in a text without quotes?)";
    const std::string strDate(fcsvTrimmed(rd.text(FCSV_COL_DATE)));
    if (strDate.empty())
        return "no date";
    time_t tMoment = 0;
    if (!readMoment(strDate, judge.nDates, &tMoment))
        return "unreadable date " + quoted(strDate);
    const time_t tDay = tMoment - tMoment % SECONDS_PER_DAY;
    const bool bTimeInDate = tMoment != tDay || strDate.find(':') != std::string::npos;

    // The take-off from its own column, else from a time after the date.
    std::string_view svOff =
        rd.has(FCSV_COL_TAKEOFF) ? fcsvTrimmed(rd.text(FCSV_COL_TAKEOFF)) : std::string_view();
    const bool bOff = !svOff.empty() || (!rd.has(FCSV_COL_TAKEOFF) && bTimeInDate);
    time_t tOff = !svOff.empty() ? cnvReadClock(svOff, TRUE) : tMoment - tDay;
    if (tOff < 0)
        return "unreadable take-off time " + quoted(svOff);
    const bool bOn = rd.has(FCSV_COL_LANDING);
    time_t tOn = bOn ? cnvReadClock(fcsvTrimmed(rd.text(FCSV_COL_LANDING)), TRUE) : 0;
    if (tOn < 0)
        return "unreadable landing time " + quoted(fcsvTrimmed(rd.text(FCSV_COL_LANDING)));

    const bool bTime = rd.has(FCSV_COL_ELAPSED);
    guint nElapsed = 0;
    if (bTime) {
        if (const char* pszWhy = readElapsed(rd.text(FCSV_COL_ELAPSED), &nElapsed))
            return std::string(pszWhy) + " " + quoted(fcsvTrimmed(rd.text(FCSV_COL_ELAPSED)));
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
    // The flight page's own rule: nothing before the aircraft was built or
    // inside the hours its log starts with.
    if (const gchar* pszWhy = fmodStartRefusal(f.tFltBegin))
        return pszWhy;
    if (findClash(judge.mapLogged, f.tFltBegin, nElapsed, bOff))
        return "a flight of this aircraft is already logged at this start";
    if (const Start* pClash = findClash(judge.mapInFile, f.tFltBegin, nElapsed, bOff))
        return "the same start as the flight on line " + std::to_string(pClash->nLine);

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
        *field.pstr = fromSheet(sv);
    }
    f.strPilot = fromSheet(fcsvTrimmed(rd.text(FCSV_COL_PILOT)));
    f.strStudent = fromSheet(fcsvTrimmed(rd.text(FCSV_COL_STUDENT)));
    for (const std::string* pstr : {&f.strPilot, &f.strStudent}) {
        if (pstr->size() >= sizeof rcdPilot{}.szLName)
            return "pilot name longer than 99 bytes";
        // Only a name becomes a pilot: hours taken for the pilot are none.
        if (!pstr->empty() && !readsAsName(*pstr))
            return "pilot " + quoted(*pstr) + " is not a name";
    }

    if (std::string strWhy = readFlags(rd, f); !strWhy.empty())
        return strWhy;
    // A take-off written as 00:00 is a real time, not a flight by its date.
    if (bOff && tOff == 0)
        f.nType |= FLT_TAKEOFF_MIDNIGHT;
    judge.mapInFile.emplace(f.tFltBegin, Start{f.nElapsed, bOff, f.nLine});
    return {};
}

// How the file's numeric dates are to be read: day first when one has a
// first number above 12, month first when one has a second number above
// 12 (and none the first); FCSV_DATES_ASK when all can be read either way.
fcsvDates_t dateOrder(const fcsvTable& table, int iDateCol) {
    bool bAny = false, bSecondBig = false;
    for (const fcsvRow& row : table.lstRow) {
        int nFirst = 0, nSecond = 0;
        std::size_t nEnd = 0;
        if (std::size_t(iDateCol) >= row.lstField.size() ||
            !leadingNumbers(fcsvTrimmed(row.lstField[iDateCol]), &nFirst, &nSecond, &nEnd))
            continue;
        if (nFirst > 12)
            return FCSV_DATES_DAY_FIRST;
        bAny = true;
        bSecondBig = bSecondBig || nSecond > 12;
    }
    return bSecondBig ? FCSV_DATES_MONTH_FIRST : bAny ? FCSV_DATES_ASK : FCSV_DATES_DAY_FIRST;
}

// The first numeric dates of the file read in one order, for the question.
std::string dateSamples(const fcsvTable& table, int iDateCol, fcsvDates_t nDates) {
    std::string strSamples;
    int nShown = 0;
    for (const fcsvRow& row : table.lstRow) {
        if (std::size_t(iDateCol) >= row.lstField.size())
            continue;
        const std::string strDate(fcsvTrimmed(row.lstField[iDateCol]));
        int nFirst = 0, nSecond = 0;
        std::size_t nEnd = 0;
        time_t tMoment = 0;
        if (!leadingNumbers(strDate, &nFirst, &nSecond, &nEnd) ||
            !readMoment(strDate, nDates, &tMoment))
            continue;
        gchar szDate[30];
        cnvDcdDate(szDate, sizeof szDate, tMoment, 0);
        strSamples += (nShown ? ", " : "") + std::string(szDate);
        if (++nShown == 3)
            break;
    }
    return strSamples;
}

// The registrations the file names, with their rows; each row's key.
void countRegs(const fcsvTable& table, int iReg, fcsvPreview* pPreview,
               std::vector<std::string>* plstKey) {
    std::map<std::string, std::size_t> mapReg;
    for (const fcsvRow& row : table.lstRow) {
        const std::string_view sv =
            std::size_t(iReg) < row.lstField.size() ? fcsvTrimmed(row.lstField[iReg]) : "";
        plstKey->push_back(fcsvRegKey(sv));
        if (plstKey->back().empty())
            continue;
        auto [it, bNew] = mapReg.emplace(plstKey->back(), pPreview->lstReg.size());
        if (bNew)
            pPreview->lstReg.push_back({std::string(sv), 0});
        ++pPreview->lstReg[it->second].nRows;
    }
}

} // namespace

gboolean fcsvBuildPreview(const fcsvTable& table, const std::vector<fcsvCol_t>& lstCol,
                          const fcsvChoice& choice, fcsvPreview* pPreview) {
    *pPreview = fcsvPreview{};
    std::vector<int> lstIndex(FCSV_NUM_COLS, -1);
    for (std::size_t i = 0; i < lstCol.size() && i < table.lstHeader.size(); ++i)
        if (lstCol[i] != FCSV_COL_IGNORE && lstIndex[lstCol[i]] < 0)
            lstIndex[lstCol[i]] = int(i);
    const int iDate = lstIndex[FCSV_COL_DATE], iReg = lstIndex[FCSV_COL_REG];
    if (iDate < 0) {
        pPreview->strProblem = "No column is taken as the date: choose it above its column.";
        return TRUE;
    }
    // Asked anew for every file: the next may come from another program.
    fcsvDates_t nDates = dateOrder(table, iDate);
    if (nDates == FCSV_DATES_ASK) {
        pPreview->bAskDates = true;
        pPreview->strDayFirst = dateSamples(table, iDate, FCSV_DATES_DAY_FIRST);
        pPreview->strMonthFirst = dateSamples(table, iDate, FCSV_DATES_MONTH_FIRST);
        nDates = choice.nDates;
    }
    // The rows of this aircraft: its own registration, or the one the user
    // says is this aircraft in the file.
    const rcdAC* prcdAC = acdGetActiveAC();
    const std::string strTarget = fcsvRegKey(choice.strReg.empty() ? prcdAC->szReg : choice.strReg);
    std::vector<std::string> lstRegKey;
    if (iReg >= 0) {
        countRegs(table, iReg, pPreview, &lstRegKey);
        if (std::find(lstRegKey.begin(), lstRegKey.end(), strTarget) == lstRegKey.end()) {
            pPreview->strProblem = std::string("No row of the file is for ") + prcdAC->szReg +
                                   ": choose which registration in the file is this aircraft.";
            return TRUE;
        }
    }
    if (nDates == FCSV_DATES_ASK) {
        pPreview->strProblem = "The dates can be read day before month (" + pPreview->strDayFirst +
                               ") or month before day (" + pPreview->strMonthFirst +
                               "): choose how they are written.";
        return TRUE;
    }

    Starts mapLogged;
    rcdFLog rcd{};
    cbFLog cb{&rcd, addStart};
    m_pmapStart = &mapLogged;
    gboolean bOK = sqlLoadFLogRecord(&cb, SQL_NEW_ID, prcdAC->iACID);
    m_pmapStart = nullptr;
    std::map<std::string, guint> mapPilot;
    if (!bOK || !loadPilotKeys(&mapPilot))
        return FALSE;

    Starts mapInFile;
    const Judge judge{nDates, mapLogged, mapInFile};
    std::set<std::string> setUnknown;
    for (std::size_t iRow = 0; iRow < table.lstRow.size(); ++iRow) {
        const fcsvRow& row = table.lstRow[iRow];
        const bool bNoReg = iReg >= 0 && lstRegKey[iRow].empty();
        if (iReg >= 0 && !bNoReg && lstRegKey[iRow] != strTarget) {
            ++pPreview->nOtherReg;
            continue;
        }
        fcsvFlight flight{};
        flight.nLine = row.nLine;
        std::string strWhy =
            bNoReg ? "no registration"
                   : judgeRow(RowReader{row, lstIndex, table.lstHeader}, judge, &flight);
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
    // An older copy lacks what was logged since: only a copy of the log as
    // it is now may be named as the way back.
    std::string strFailure;
    if (bkpFreshCopy(hLog, "avLedger", pstrBackup, &strFailure))
        return TRUE;
    *pstrWhy = "No copy of the log as it is now could be made, so nothing was imported (" +
               strFailure.substr(strFailure.find('\n') + 1) +
               "). Make room on the disk or make the folder \"backup\" beside the log writable, "
               "then import again.";
    return FALSE;
}

gboolean fcsvImport(const fcsvPreview& preview, guint iACID, gboolean bAddPilots,
                    std::string* pstrBackup, std::string* pstrWhy) {
    pstrBackup->clear();
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
