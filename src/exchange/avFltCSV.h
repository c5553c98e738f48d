// Flights in and out as CSV: reading a file from a spreadsheet or another
// logbook, matching its columns, judging each row and the import in one
// transaction (its preview dialog is fltImportDlg); and the export of the active aircraft's
// flights in the same columns, so that an export imports back unchanged.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// What a column of the file holds. FCSV_COL_IGNORE: not imported.
enum fcsvCol_t {
    FCSV_COL_IGNORE,
    FCSV_COL_DATE,
    FCSV_COL_TAKEOFF,
    FCSV_COL_LANDING,
    FCSV_COL_ELAPSED,
    FCSV_COL_FROM,
    FCSV_COL_TO,
    FCSV_COL_PILOT,
    FCSV_COL_STUDENT,
    FCSV_COL_PAX,
    FCSV_COL_NIGHT,
    FCSV_COL_IFR,
    FCSV_COL_XC,
    FCSV_COL_DUAL,
    FCSV_COL_SOLO, // the same flag as dual, read the other way round
    FCSV_COL_NOTES,
    FCSV_COL_REG, // the aircraft flown: a logbook export covers every one
    FCSV_NUM_COLS
};

// The column names the program writes, and shows in the preview's choice.
const char* fcsvColName(fcsvCol_t nCol);

// A registration as registrations are compared: letters and digits, upper case.
std::string fcsvRegKey(std::string_view sv);

// A file refused as a whole is larger than this, has more rows or a
// header of more columns.
constexpr std::size_t FCSV_FILE_MAX = 16u * 1024u * 1024u;
constexpr std::size_t FCSV_ROWS_MAX = 100000;
constexpr std::size_t FCSV_COLS_MAX = 64;

// One row of the file: its fields and the line it starts on. bWide: it
// had text in fields beyond FCSV_COLS_MAX, which are not kept.
struct fcsvRow {
    guint nLine;
    std::vector<std::string> lstField;
    bool bWide = false;
};

// The file as read: the header row, the line it is on, and the data rows
// under it (a title block above the header is not kept).
struct fcsvTable {
    char cDelim = ',';
    guint nHeaderLine = 1;
    std::vector<std::string> lstHeader;
    std::vector<fcsvRow> lstRow;
};

// Splits CSV text (comma, semicolon or tab, found from the header row; a
// byte-order mark is skipped; quoted fields may hold delimiters, doubled
// quotes and line breaks). The header is the row on line nHeaderLine, or
// with 0 the first row among the first FCSV_HEADER_SEARCH lines that names
// a date and a flight time or take-off column (else the first row). FALSE
// with a message for the user when the text cannot be a flight list:
// empty, not UTF-8 text, a quote never closed, no rows under the header,
// too many rows or columns.
constexpr guint FCSV_HEADER_SEARCH = 100;
gboolean fcsvParseText(const std::string& strText, fcsvTable* pTable, std::string* pstrWhy,
                       guint nHeaderLine = 0);
// Reads and splits a file; files above FCSV_FILE_MAX are refused unread.
gboolean fcsvReadFile(const char* pszPath, fcsvTable* pTable, std::string* pstrWhy,
                      guint nHeaderLine = 0);

// The column each header names, by its common variants; FCSV_COL_IGNORE
// for a header not known, a column already taken by an earlier one, and a
// pilot or student column whose cells are numbers (logbooks' "PIC" and
// "SIC" columns hold hours, not names).
std::vector<fcsvCol_t> fcsvMatchColumns(const fcsvTable& table);

// How numeric dates such as 02/03/2025 are read. FCSV_DATES_ASK: the file
// does not tell, and the user has not said.
enum fcsvDates_t { FCSV_DATES_ASK, FCSV_DATES_DAY_FIRST, FCSV_DATES_MONTH_FIRST };

// What the user chose in the preview beyond the columns: the order of
// numeric dates when the file leaves it open, and which registration in
// the file is the active aircraft (empty: its own registration).
struct fcsvChoice {
    fcsvDates_t nDates = FCSV_DATES_ASK;
    std::string strReg;
};

// A row refused, with the reason shown to the user.
struct fcsvRefusal {
    guint nLine;
    std::string strWhy;
};

// A row as it will be stored. Pilot and student are names until the
// import gives them IDs (an empty name is no pilot).
struct fcsvFlight {
    guint nLine;
    time_t tFltBegin;
    time_t tFltEnd;
    guint nElapsed;
    guint nType;
    std::string strPilot;
    std::string strStudent;
    std::string strFrom, strTo, strPax, strNotes;
};

// A registration of the file and how many rows name it.
struct fcsvReg {
    std::string strReg;
    guint nRows;
};

// The whole judgement of a file for the active aircraft: what would be
// stored, what is refused and why, the rows of other aircraft left out,
// and the names the pilot list does not have.
struct fcsvPreview {
    std::string strProblem; // set when nothing can be imported (no date column, …)
    std::vector<fcsvFlight> lstFlight;
    std::vector<fcsvRefusal> lstRefused;
    std::vector<std::string> lstUnknownPilot;
    std::vector<fcsvReg> lstReg; // registrations in the file, first seen first
    guint nOtherReg = 0;         // rows of other registrations, left out
    // Numeric dates the file leaves open: the first ones read either way.
    bool bAskDates = false;
    std::string strDayFirst, strMonthFirst;
};

// Judges every row with the column choice given, against the active
// aircraft (its registration, when it was built, its log start) and the
// stored flights and pilots (read from the open log database).
gboolean fcsvBuildPreview(const fcsvTable& table, const std::vector<fcsvCol_t>& lstCol,
                          const fcsvChoice& choice, fcsvPreview* pPreview);

// Makes sure the backup folder holds a copy of the log database exactly as
// it is now; *pstrBackup names it. FALSE with the reason in *pstrWhy and
// *pstrBackup empty: an older copy is never named for it.
gboolean fcsvBackupLog(std::string* pstrBackup, std::string* pstrWhy);

// Stores the previewed flights into aircraft iACID in one transaction,
// after a fresh backup copy of the log database; without one nothing is
// stored. With bAddPilots the unknown names become pilots first; without,
// their flights keep no pilot. On any failure nothing is stored and FALSE
// is returned with the reason in *pstrWhy; *pstrBackup names the backup
// copy, and is empty when none could be made.
gboolean fcsvImport(const fcsvPreview& preview, guint iACID, gboolean bAddPilots,
                    std::string* pstrBackup, std::string* pstrWhy);

// The flights of aircraft iACID as CSV text, oldest first, in the columns
// the import reads.
gboolean fcsvExportText(guint iACID, std::string* pstrText);
// Writes them to a file through a temporary file and a rename, so a failed
// write leaves whatever was there.
gboolean fcsvExportFile(guint iACID, const char* pszPath, std::string* pstrWhy);
// TRUE, with *pstrWhy saying so, when the path names one of the program's
// own files, which no export may replace.
gboolean fcsvIsOwnFile(const char* pszPath, std::string* pstrWhy);

// Appends one CSV cell (RFC 4180): in quotes when it holds what a reader
// would take apart or trim, quotes inside doubled; a text a spreadsheet
// would run as a formula ("=", "+", "-", "@") gets an apostrophe before it,
// so that it shows as text (the import takes it off again).
void fcsvAppendField(std::string& strOut, std::string_view svText);
