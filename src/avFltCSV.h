// Flights in and out as CSV: reading a file from a spreadsheet or another
// logbook, matching its columns, judging each row, the preview dialog and
// the import in one transaction; and the export of the active aircraft's
// flights in the same columns, so that an export imports back unchanged.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <ctime>
#include <string>
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
    FCSV_NUM_COLS
};

// The column names the program writes, and shows in the preview's choice.
const char* fcsvColName(fcsvCol_t nCol);

// A file refused as a whole is larger than this, has more rows or a
// header of more columns.
constexpr std::size_t FCSV_FILE_MAX = 16u * 1024u * 1024u;
constexpr std::size_t FCSV_ROWS_MAX = 100000;
constexpr std::size_t FCSV_COLS_MAX = 64;

// One row of the file: its fields and the line it starts on (1 = header).
struct fcsvRow {
    guint nLine;
    std::vector<std::string> lstField;
};

// The file as read: the header row and the data rows.
struct fcsvTable {
    char cDelim = ',';
    std::vector<std::string> lstHeader;
    std::vector<fcsvRow> lstRow;
};

// Splits CSV text (comma, semicolon or tab, found from the header row; a
// byte-order mark is skipped; quoted fields may hold delimiters, doubled
// quotes and line breaks). FALSE with a message for the user when the text
// cannot be a flight list: empty, not UTF-8 text, a quote never closed, no
// rows under the header, too many rows or columns.
gboolean fcsvParseText(const std::string& strText, fcsvTable* pTable, std::string* pstrWhy);
// Reads and splits a file; files above FCSV_FILE_MAX are refused unread.
gboolean fcsvReadFile(const char* pszPath, fcsvTable* pTable, std::string* pstrWhy);

// The column each header names, by its common variants; FCSV_COL_IGNORE
// for a header not known or a column already taken by an earlier one.
std::vector<fcsvCol_t> fcsvMatchColumns(const std::vector<std::string>& lstHeader);

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

// The whole judgement of a file for one aircraft: what would be stored,
// what is refused and why, and the names the pilot list does not have.
struct fcsvPreview {
    std::string strProblem; // set when nothing can be imported (no date column)
    std::vector<fcsvFlight> lstFlight;
    std::vector<fcsvRefusal> lstRefused;
    std::vector<std::string> lstUnknownPilot;
};

// Judges every row with the column choice given, against the stored
// flights and pilots of aircraft iACID (read from the open log database).
gboolean fcsvBuildPreview(const fcsvTable& table, const std::vector<fcsvCol_t>& lstCol, guint iACID,
                          fcsvPreview* pPreview);

// Makes sure the backup folder holds a copy of the log database as it is
// now; *pstrBackup names it. FALSE with the reason in *pstrWhy.
gboolean fcsvBackupLog(std::string* pstrBackup, std::string* pstrWhy);

// Stores the previewed flights into aircraft iACID in one transaction,
// after a backup copy of the log database. With bAddPilots the unknown
// names become pilots first; without, their flights keep no pilot. On any
// failure nothing is stored and FALSE is returned with the database's
// error text in *pstrWhy. *pstrBackup names the backup copy.
gboolean fcsvImport(const fcsvPreview& preview, guint iACID, gboolean bAddPilots,
                    std::string* pstrBackup, std::string* pstrWhy);

// The flights of aircraft iACID as CSV text, oldest first, in the columns
// the import reads.
gboolean fcsvExportText(guint iACID, std::string* pstrText);
// Writes them to a file through a temporary file and a rename, so a failed
// write leaves whatever was there.
gboolean fcsvExportFile(guint iACID, const char* pszPath, std::string* pstrWhy);

// Connects "File → Import Flights…" and "File → Export Flights…" and
// looks up the preview dialog. Once at start-up.
void fcsvInitialize(GtkBuilder* pBuilder);
// Reads the file, shows the preview and imports on the user's word; the
// pages, the banner and the due marks follow. TRUE when flights were
// stored. The menu item calls it after its file chooser.
gboolean fcsvImportFile(const char* pszPath);
