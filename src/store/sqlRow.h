// Rows of the declared tables: statements made from a table's declaration,
// run with their values bound and checked, rows read into records, and the
// error text every storage operation leaves behind. Used by the storage
// modules only; the program uses sqlMLog.
#pragma once

#include "sqlTable.h"

#include <glib.h>

#include <functional>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The rows not deleted, for a query's WHERE. Rows written by older builds
// may hold NULL in bDelete: they were never deleted and must show.
#define ROW_NOT_DELETED "(bDelete IS NULL OR bDelete = 0)"

// One value bound to a "?" of a statement.
struct Param {
    bool bText;
    gint64 n;
    const char* psz;
    int nl;
};
inline Param rowUnsigned(guint n) {
    return {false, static_cast<gint64>(n), nullptr, 0};
}
using Params = std::vector<Param>;

// Sets the two-line error text: "<op>():<call>(<what>)" and SQLite's
// message. The statement is shortened when it would push the message out.
void rowSetError(const char* pszOp, const char* pszCall, std::string_view svWhat,
                 const char* pszMessage);
const char* rowLastError();
// The last failure was a load or update that found no row with its ID.
bool rowIsNoSuchRow();

// Runs one statement; each result row goes to onRow, whose non-zero result
// aborts the query. Failures, a value that cannot be bound among them, set
// the error text under the operation's name.
gboolean rowRun(const char* pszOp, sqlite3* h, const char* pszSQL, const Params& params,
                const std::function<int(sqlite3_stmt*)>& onRow);
// Writes that belong together run inside a savepoint, which nests: an
// outer group of writes still lands as one. rowEndWrite keeps (bCommit) or
// undoes everything since the matching rowBeginWrite; undoing keeps the
// error text of the failure that caused it.
gboolean rowBeginWrite(const char* pszOp, sqlite3* h);
gboolean rowEndWrite(const char* pszOp, sqlite3* h, bool bCommit);
// Forgets the prepared statements; done before the files are closed.
void rowDropCache();

// Whether an ID means "not stored yet" / "all rows" (all ones, low 32 bits).
bool rowIsAllOnes(guint64 n);

// Loads the table's rows that pszTail ("WHERE ...", a string that lives as
// long as the program) picks, or with no tail the one row whose ID is the
// value: each row is read into a cleared record (a NULL column never keeps
// the previous row's value), then onRow runs. A load by ID that finds no
// row fails with "no such row" and leaves the record as it was.
gboolean rowLoad(const char* pszOp, sqlite3* h, const TableDecl& tab, const char* pszTail,
                 const Params& params, void* prcd, const std::function<int()>& onRow);
// The block's function as a load's onRow; none gives 0 (go on).
template <class Rec> std::function<int()> rowCall(int (*pfunc)(Rec*), Rec* prcd) {
    return [pfunc, prcd] { return pfunc ? pfunc(prcd) : 0; };
}

// A log record not yet stored is inserted and gets its new row ID; a
// stored one is updated by its ID. nArg fills the table's Arg column.
// pbDirty, if given, is cleared on success.
gboolean rowSaveLog(const char* pszOp, sqlite3* h, const TableDecl& tab, guint& iID,
                    const void* prcd, guint nArg, gboolean* pbDirty);
// A catalogue record not yet stored gets a skeleton row first; then every
// record is updated by its ID. Both steps land together or not at all.
gboolean rowSaveCatalogue(const char* pszOp, sqlite3* h, const TableDecl& tab, guint& iID,
                          const void* prcd, gboolean* pbDirty);
