// Crash harness, the program side. Two modes:
//
//   crash_driver drive <journal> <seed> <steps>
//     Starts the real program in this process (working directory <data>/bin,
//     files in <data>/etc, the catalogue editable) and makes scripted edits
//     through its widgets on the aircraft, flight and pilot pages and on the
//     component page (maintenance records, catalogue cards). Before each
//     step it writes its intent (record, columns, values in typing order) to
//     the journal, after each typed field a "typed" line, and after the
//     step's save (a row change or a page leave) what both files then hold. The journal
//     is written unbuffered: a SIGKILL loses nothing of it.
//
//   crash_driver check <journal> <etc dir>
//     After a kill: both files pass integrity_check; every row of the last
//     completed step is there unchanged; a row that differs is the record
//     the interrupted step was editing, holding its typed values in typing
//     order up to some field and the old values after it (never a mix);
//     nothing else is new; a maintenance record not marked unfinished states
//     the kind and figures the owner chose, never others (an entry cut short
//     must not count as work). Prints one summary line; exit status 1 on a
//     loss.
#include "avLedger.h"
#include "avMisc.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "modPilot.h"
#include "pagFLogCard.h"
#include "pagAC.h"
#include "rcdAC.h"
#include "rcdFLog.h"
#include "rcdMaint.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The tables and columns the harness watches; rows are compared whole.
struct Watched {
    const char* pszFile;
    const char* pszTable;
    const char* pszID;
};
const Watched m_lstWatched[] = {
    {"avLedger.db", "Aircraft", "iAircraftID"}, {"avLedger.db", "Pilot", "iPilotID"},
    {"avLedger.db", "Flight", "iFltID"},        {"avLedger.db", "Maintenance", "iMaintID"},
    {"avLedger.db", "Defect", "iDefectID"},     {"avCCD.db", "Component", "iCompID"},
    {"avCCD.db", "ServiceNote", "iSNoteID"}};

using Row = std::map<std::string, std::string>; // column -> value ("\x01" for NULL)
using Table = std::map<std::string, Row>;       // row ID -> row
using Snapshot = std::map<std::string, Table>;  // table -> rows

// Fields, values and the journal are one line each: escape what would
// break a line or a field.
std::string esc(const std::string& str) {
    std::string s;
    for (unsigned char c : str) {
        if (c == '\\' || c == '\t' || c == '\n' || c == '\r' || c < 0x20) {
            char sz[5];
            snprintf(sz, sizeof sz, "\\%02x", c);
            s += sz;
        } else {
            s += char(c);
        }
    }
    return s;
}
std::string unesc(const std::string& str) {
    std::string s;
    for (std::size_t i = 0; i < str.size(); ++i) {
        if (str[i] == '\\' && i + 2 < str.size()) {
            s += char(std::stoi(str.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            s += str[i];
        }
    }
    return s;
}
std::vector<std::string> split(const std::string& str, char c) {
    std::vector<std::string> lst;
    std::string cur;
    std::istringstream in(str);
    while (std::getline(in, cur, c))
        lst.push_back(cur);
    return lst;
}

// Every watched table of both files in the data directory strEtc.
Snapshot readSnapshot(const std::string& strEtc) {
    Snapshot snap;
    for (const char* pszFile : {"avLedger.db", "avCCD.db"}) {
        sqlite3* h = nullptr;
        if (sqlite3_open_v2((strEtc + "/" + pszFile).c_str(), &h, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK) {
            sqlite3_close(h);
            continue;
        }
        for (const Watched& w : m_lstWatched) {
            if (strcmp(w.pszFile, pszFile) != 0)
                continue;
            sqlite3_stmt* p = nullptr;
            std::string strSQL = std::string("SELECT * FROM ") + w.pszTable;
            if (sqlite3_prepare_v2(h, strSQL.c_str(), -1, &p, nullptr) != SQLITE_OK)
                continue;
            Table& table = snap[w.pszTable];
            while (sqlite3_step(p) == SQLITE_ROW) {
                Row row;
                for (int i = 0; i < sqlite3_column_count(p); ++i) {
                    auto psz = reinterpret_cast<const char*>(sqlite3_column_text(p, i));
                    row[sqlite3_column_name(p, i)] = psz ? psz : "\x01";
                }
                table[row[w.pszID]] = row;
            }
            sqlite3_finalize(p);
        }
        sqlite3_close(h);
    }
    return snap;
}

// A snapshot as journal lines, ended by "end".
std::string snapshotText(const Snapshot& snap, int nStep) {
    std::string str = "snapshot\t" + std::to_string(nStep);
    for (const auto& [strTable, table] : snap)
        for (const auto& [strRowID, row] : table) {
            str += "\n row\t" + strTable + "\t" + strRowID;
            for (const auto& [strCol, strVal] : row)
                str += "\t" + strCol + "=" + esc(strVal);
        }
    return str + "\nend\t" + std::to_string(nStep);
}

// ---- Driving ----

FILE* m_pfJournal = nullptr;
std::mt19937 m_rng;
unsigned m_nSeed = 0; // makes names unique across runs on the same files

void journal(const std::string& str) {
    fputs(str.c_str(), m_pfJournal);
    fputc('\n', m_pfJournal);
}

void drain() {
    while (gtk_events_pending())
        gtk_main_iteration();
}

GtkWidget* widget(const char* pszID) {
    return GTK_WIDGET(gtk_builder_get_object(avGetBuilder(), pszID));
}

// The defect the owner is reporting: what the report dialog gets.
std::string m_strDefectDesc;
int m_nDefectSeverity = 0;

GtkWidget* findNamed(GtkWidget* pwgt, const char* pszName) {
    if (strcmp(gtk_widget_get_name(pwgt), pszName) == 0)
        return pwgt;
    GtkWidget* pFound = nullptr;
    if (GTK_IS_CONTAINER(pwgt)) {
        GList* pList = gtk_container_get_children(GTK_CONTAINER(pwgt));
        for (GList* p = pList; p && !pFound; p = p->next)
            pFound = findNamed(GTK_WIDGET(p->data), pszName);
        g_list_free(pList);
    }
    return pFound;
}

// The report dialog is filled in as the owner would, then given OK; one
// nobody is reporting is cancelled.
bool answerDefectDialog(GtkWidget* pwgt) {
    GtkWidget* pwgtDesc = findNamed(pwgt, "DefectDesc");
    if (!pwgtDesc)
        return false;
    if (m_strDefectDesc.empty()) {
        gtk_dialog_response(GTK_DIALOG(pwgt), GTK_RESPONSE_CANCEL);
        return true;
    }
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtDesc)),
                             m_strDefectDesc.c_str(), -1);
    gtk_combo_box_set_active(GTK_COMBO_BOX(findNamed(pwgt, "DefectSeverity")), m_nDefectSeverity);
    m_strDefectDesc.clear();
    gtk_dialog_response(GTK_DIALOG(pwgt), GTK_RESPONSE_OK);
    return true;
}

// Any modal dialog (an error, a question) is noted and answered OK.
gboolean answerDialogs(gpointer) {
    GList* pList = gtk_window_list_toplevels();
    for (GList* p = pList; p; p = p->next) {
        GtkWidget* pwgt = GTK_WIDGET(p->data);
        if (GTK_IS_DIALOG(pwgt) && gtk_widget_get_visible(pwgt) &&
            gtk_window_get_modal(GTK_WINDOW(pwgt)) && !answerDefectDialog(pwgt)) {
            gchar* psz = nullptr;
            if (GTK_IS_MESSAGE_DIALOG(pwgt))
                g_object_get(pwgt, "secondary-text", &psz, nullptr);
            journal("dialog\t" + esc(psz ? psz : ""));
            g_free(psz);
            gtk_dialog_response(GTK_DIALOG(pwgt), GTK_RESPONSE_OK);
        }
    }
    g_list_free(pList);
    return TRUE;
}

void switchPage(int nPage) {
    gtk_notebook_set_current_page(GTK_NOTEBOOK(widget("MainNotebook")), nPage);
    drain();
}

void focus(const char* pszID) {
    gtk_widget_grab_focus(widget(pszID));
    drain();
}

// Types into an entry or a text view and leaves it for pszNext, so that
// its focus-out rule commits the value.
void type(const char* pszID, const std::string& strValue, const char* pszNext) {
    focus(pszID);
    GtkWidget* pwgt = widget(pszID);
    if (GTK_IS_TEXT_VIEW(pwgt))
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgt)), strValue.c_str(),
                                 -1);
    else
        gtk_entry_set_text(GTK_ENTRY(pwgt), strValue.c_str());
    focus(pszNext);
}

// Selects the list row whose ID column holds iID (all ones: the new row).
bool selectRow(const char* pszTree, int nIDCol, int nTypeCol, gulong iID) {
    GtkTreeView* ptree = GTK_TREE_VIEW(widget(pszTree));
    GtkTreeModel* pmod = gtk_tree_view_get_model(ptree);
    std::vector<GtkTreeIter> lstStack(1);
    bool bFound = false;
    std::function<bool(GtkTreeIter*)> walk = [&](GtkTreeIter* piterUp) {
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterUp); b;
             b = gtk_tree_model_iter_next(pmod, &iter)) {
            gulong iRow = 0;
            guint nType = 1;
            if (nTypeCol >= 0)
                gtk_tree_model_get(pmod, &iter, nIDCol, &iRow, nTypeCol, &nType, -1);
            else {
                guint iShort = 0;
                if (gtk_tree_model_get_column_type(pmod, nIDCol) == G_TYPE_ULONG)
                    gtk_tree_model_get(pmod, &iter, nIDCol, &iRow, -1);
                else {
                    gtk_tree_model_get(pmod, &iter, nIDCol, &iShort, -1);
                    iRow = iShort == 0xFFFFFFFFu ? G_MAXULONG : iShort;
                }
            }
            const bool bNewRow =
                nTypeCol >= 0 ? nType == FLOG_ROW_NEW : (iRow & 0xFFFFFFFFul) == 0xFFFFFFFFul;
            if ((iID == G_MAXULONG && bNewRow) ||
                (iID != G_MAXULONG && !bNewRow && (nTypeCol < 0 || nType == FLOG_ROW_DATA) &&
                 iRow == iID)) {
                mscTreeRowSelect(ptree, &iter);
                return true;
            }
            if (walk(&iter))
                return true;
        }
        return false;
    };
    // As a user clicks elsewhere and back: the page reloads the card even
    // where the row is still selected from before.
    if (iID != G_MAXULONG) {
        gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(ptree));
        drain();
    }
    bFound = walk(nullptr);
    drain();
    return bFound;
}

// The component page: cards listed in its tree, a card or record chosen
// as a click does, a date typed into the new record's cell.
std::vector<gulong> listedCards() {
    std::vector<gulong> lst;
    GtkTreeModel* pmod = cmodGetModel();
    std::function<void(GtkTreeIter*)> walk = [&](GtkTreeIter* piterUp) {
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterUp); b;
             b = gtk_tree_model_iter_next(pmod, &iter)) {
            gulong iInx = 0;
            guint nType = 0;
            gtk_tree_model_get(pmod, &iter, CCD_INX_COL, &iInx, CCD_TYPE_COL, &nType, -1);
            if (nType == TYPE_COMP)
                lst.push_back(iInx);
            walk(&iter);
        }
    };
    walk(nullptr);
    return lst;
}

void selectPath(const char* pszTree, GtkTreePath* pPath) {
    GtkTreeView* ptree = GTK_TREE_VIEW(widget(pszTree));
    gtk_tree_view_expand_to_path(ptree, pPath);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(ptree), pPath);
    drain();
}

bool selectCard(gulong iCompID) {
    GtkTreeIter iter;
    if (!cmodFindCompID(iCompID, &iter))
        return false;
    GtkTreePath* pPath = gtk_tree_model_get_path(cmodGetModel(), &iter);
    selectPath("CompCardTreeView", pPath);
    gtk_tree_path_free(pPath);
    return true;
}

// The record's row, or the new-record row for all ones; -1 if not listed.
int maintRow(gulong iMaintID) {
    GtkTreeIter iter;
    int n = 0;
    for (gboolean b = gtk_tree_model_get_iter_first(mmodGetModel(), &iter); b;
         b = gtk_tree_model_iter_next(mmodGetModel(), &iter), ++n) {
        gulong iRow = 0;
        guint nType = 0;
        gtk_tree_model_get(mmodGetModel(), &iter, MNT_ID_COL, &iRow, MNT_ROWTYPE_COL, &nType, -1);
        if (iMaintID == G_MAXULONG ? nType == MNT_ROW_NEW
                                   : nType == MNT_ROW_DATA && iRow == iMaintID)
            return n;
    }
    return -1;
}

bool selectMaint(gulong iMaintID) {
    const int nRow = maintRow(iMaintID);
    if (nRow < 0)
        return false;
    GtkTreePath* pPath = gtk_tree_path_new_from_indices(nRow, -1);
    selectPath("MaintTree", pPath);
    gtk_tree_path_free(pPath);
    return true;
}

void enterMaintDate(const std::string& strDate) {
    const int nRow = maintRow(G_MAXULONG);
    if (nRow < 0 || !selectMaint(G_MAXULONG))
        return;
    GtkTreeView* ptree = GTK_TREE_VIEW(widget("MaintTree"));
    GtkTreePath* pPath = gtk_tree_path_new_from_indices(nRow, -1);
    gtk_tree_view_set_cursor(ptree, pPath, gtk_tree_view_get_column(ptree, 0), TRUE);
    gtk_tree_path_free(pPath);
    drain();
    GList* pChildren = gtk_container_get_children(GTK_CONTAINER(ptree));
    for (GList* p = pChildren; p; p = p->next)
        if (GTK_IS_ENTRY(p->data)) {
            gtk_entry_set_text(GTK_ENTRY(p->data), strDate.c_str());
            gtk_widget_activate(GTK_WIDGET(p->data));
        }
    g_list_free(pChildren);
    drain();
}

std::string dayText(int nStep) {
    char szDate[20];
    time_t t = 1704067200 + time_t(nStep % 300) * 86400; // 2024, a day per step
    struct tm tmAt;
    gmtime_r(&t, &tmAt);
    strftime(szDate, sizeof szDate, "%d-%b-%Y", &tmAt);
    return szDate;
}

struct Edit {
    const char* pszWidget;
    const char* pszColumn;
    std::string strValue;
};

// A value of its own for every field typed: step, field and some text
// that quoting, markup and UTF-8 handling must carry through unchanged.
std::string value(int nStep, const char* pszTag) {
    static const char* const lstExtra[] = {"", " O'Neill", " <b>&amp;", " Zoë ✈", " 50%s"};
    return std::string(pszTag) + std::to_string(m_nSeed % 100000) + "-" + std::to_string(nStep) +
           "-" + std::to_string(m_rng() % 1000) + lstExtra[m_rng() % std::size(lstExtra)];
}

// What the owner does to a new maintenance record after its date: the
// kind and, where it has one, the figure the kind opens.
struct MaintKind {
    const char* pszToggle;
    const char* pszFlags;
    const char* pszField; // null: none
    const char* pszColumn;
};
const MaintKind m_lstMaintKinds[] = {
    {"MaintInspect", "0", nullptr, nullptr},
    {"MaintReplaceNew", "1", nullptr, nullptr},
    {"MaintReplaceUsed", "2", "MaintCompHours", "nCompHours/tenths"},
    {"MaintDeferInspect", "4", "MaintDeferHours", "nDeferHours/tenths"},
    {"MaintDeferReplace", "8", "MaintDeferHours", "nDeferHours/tenths"},
};

// The IDs of a table's rows not deleted, of those where each column named
// holds its value.
using Where = std::vector<std::pair<const char*, std::string>>;
std::vector<std::string> ids(const Snapshot& snap, const char* pszTable, const Where& where = {}) {
    std::vector<std::string> lst;
    auto it = snap.find(pszTable);
    if (it != snap.end())
        for (const auto& [strID, row] : it->second)
            if (row.at("bDelete") != "1" &&
                std::all_of(where.begin(), where.end(),
                            [&row](const auto& w) { return row.at(w.first) == w.second; }))
                lst.push_back(strID);
    return lst;
}

std::string activeAC() {
    return std::to_string(acdGetActiveAC()->iACID);
}

// A defect reported after a flight of the active aircraft: the dialog
// stores it whole when given OK.
void reportDefect(int nStep, Snapshot& snap, const std::string& strDb) {
    const auto lstFlights = ids(snap, "Flight", {{"iCSID", activeAC()}});
    switchPage(2);
    if (lstFlights.empty() || !selectRow("FLogTreeView", FLOG_SQLID, FLOG_ROW_TYPE,
                                         std::stoul(lstFlights[m_rng() % lstFlights.size()]))) {
        journal("noselect\t" + std::to_string(nStep) + "\tno flight");
        return;
    }
    const std::string strFlight = std::to_string(fcdFlight().iFLogID);
    m_nDefectSeverity = int(m_rng() % 3);
    const std::string strDesc = value(nStep, "defect");
    journal("intent\t" + std::to_string(nStep) + "\tDefect\tnew\tstrDesc=" + esc(strDesc) +
            "\tnSeverity=" + std::to_string(m_nDefectSeverity) + "\tiFltID=" + strFlight);
    m_strDefectDesc = strDesc;
    gtk_button_clicked(GTK_BUTTON(findNamed(widget("avLedger"), "FLogReportDefect")));
    drain();
    journal("typed\t" + std::to_string(nStep) + "\t3");
    journal("saved\t" + std::to_string(nStep));
    journal(snapshotText(readSnapshot(strDb), nStep));
}

// One step: intent, typing, the save, then what the file holds.
void step(int nStep, const std::string& strDb) {
    Snapshot snap = readSnapshot(strDb);
    auto lstAC = ids(snap, "Aircraft"), lstPilot = ids(snap, "Pilot");
    int nKind = int(m_rng() % 10);
    if (lstAC.size() < 2)
        nKind = 0;
    if ((nKind >= 4 && nKind != 8) && !acdHasActiveAC()) { // as a user would: choose one first
        switchPage(3);
        selectRow("ACTreeView", 0, -1, std::stoul(lstAC[m_rng() % lstAC.size()]));
        snap = readSnapshot(strDb);
    }
    if (nKind == 9) {
        reportDefect(nStep, snap, strDb);
        return;
    }
    const bool bRowChange = m_rng() % 2;
    std::vector<Edit> lstEdits;
    const char* pszTable = "";
    std::string strID = "new";
    int nPage = 0;
    gulong iCard = 0;
    if (nKind == 0 || nKind == 1) { // aircraft: a new one, or one edited
        pszTable = "Aircraft", nPage = 3;
        if (nKind == 1)
            strID = lstAC[m_rng() % lstAC.size()];
        else
            lstEdits.push_back(
                {"ACReg", "strReg",
                 "ZK" + std::to_string(m_nSeed % 100000) + "-" + std::to_string(nStep)});
        lstEdits.push_back({"ACModel", "strModel", value(nStep, "model")});
        lstEdits.push_back({"ACOwner", "strOwner", value(nStep, "owner")});
        lstEdits.push_back({"ACNotes", "strNotes", value(nStep, "notes")});
    } else if (nKind == 2 || (nKind == 3 && !lstPilot.empty())) { // pilots
        pszTable = "Pilot", nPage = 4;
        if (nKind == 3)
            strID = lstPilot[m_rng() % lstPilot.size()];
        lstEdits.push_back({"PilotLName", "strLName", value(nStep, "Last")});
        lstEdits.push_back({"PilotFName", "strFName", value(nStep, "First")});
        lstEdits.push_back({"PilotNotes", "strNotes", value(nStep, "notes")});
    } else if (nKind >= 6) { // maintenance records and catalogue cards
        nPage = 0;
        switchPage(0);
        const auto lstCards = listedCards();
        if (lstCards.empty()) {
            journal("nocards\t" + std::to_string(nStep));
            return;
        }
        iCard = lstCards[m_rng() % lstCards.size()];
        if (nKind == 7) { // a card that has records on this aircraft, if any
            const auto lstWithRecords = ids(snap, "Maintenance", {{"iACID", activeAC()}});
            if (!lstWithRecords.empty()) {
                const std::string& strRecord = lstWithRecords[m_rng() % lstWithRecords.size()];
                const gulong iWanted = std::stoul(snap["Maintenance"][strRecord]["iCompID"]);
                if (std::find(lstCards.begin(), lstCards.end(), iWanted) != lstCards.end())
                    iCard = iWanted;
            }
        }
        if (nKind == 8) {
            pszTable = "Component", strID = std::to_string(iCard);
            lstEdits.push_back({"CompPartNumber", "strPartNmbr", value(nStep, "pn")});
            lstEdits.push_back({"CompPartDesc", "strPartDesc", value(nStep, "desc")});
        } else {
            pszTable = "Maintenance";
            const auto lstRecords = ids(
                snap, "Maintenance", {{"iACID", activeAC()}, {"iCompID", std::to_string(iCard)}});
            if (nKind == 7 && !lstRecords.empty()) {
                strID = lstRecords[m_rng() % lstRecords.size()];
            } else {
                lstEdits.push_back({"#date", "tCompleted/day", dayText(nStep)});
                const MaintKind& k = m_lstMaintKinds[m_rng() % std::size(m_lstMaintKinds)];
                lstEdits.push_back({k.pszToggle, "bFlags/kind", k.pszFlags});
                if (k.pszField)
                    lstEdits.push_back(
                        {k.pszField, k.pszColumn,
                         std::to_string(1 + m_rng() % 400) + "." + std::to_string(m_rng() % 10)});
            }
            lstEdits.push_back({"MaintNotes", "strNotes", value(nStep, "work")});
        }
    } else { // flights of the active aircraft
        pszTable = "Flight", nPage = 2;
        const auto lstFlights = ids(snap, "Flight", {{"iCSID", activeAC()}});
        if (nKind == 5 && !lstFlights.empty())
            strID = lstFlights[m_rng() % lstFlights.size()];
        else
            lstEdits.push_back({"FLogCardDate", "tFltBegin/day", dayText(nStep)});
        lstEdits.push_back({"FLogCardFrom", "strFrom", value(nStep, "from")});
        lstEdits.push_back({"FLogCardTo", "strTo", value(nStep, "to")});
        lstEdits.push_back({"FLogNotes", "strNotes", value(nStep, "notes")});
    }
    std::string strIntent = "intent\t" + std::to_string(nStep) + "\t" + pszTable + "\t" + strID;
    for (const Edit& e : lstEdits)
        strIntent += std::string("\t") + e.pszColumn + "=" + esc(e.strValue);
    switchPage(nPage);
    const char* pszTree = nPage == 3   ? "ACTreeView"
                          : nPage == 4 ? "PilotTreeView"
                          : nPage == 2 ? "FLogTreeView"
                                       : "CompCardTreeView";
    const int nIDCol = nPage == 3 ? 0 : nPage == 4 ? int(PILOT_ID_COL) : int(FLOG_SQLID);
    const int nTypeCol = nPage == 2 ? FLOG_ROW_TYPE : -1;
    const gulong iRecord = strID == "new" ? G_MAXULONG : std::stoul(strID);
    bool bSelected = false;
    if (nPage != 0)
        bSelected = selectRow(pszTree, nIDCol, nTypeCol, iRecord);
    else
        bSelected =
            selectCard(iCard) && (strcmp(pszTable, "Maintenance") != 0 || selectMaint(iRecord));
    // Only a record actually open on its card is typed into; choosing the
    // row has saved nothing new (the previous step saved it all).
    if (!bSelected) {
        journal("noselect\t" + std::to_string(nStep) + "\tactive aircraft " +
                std::to_string(acdHasActiveAC()));
        return;
    }
    // The card must be open for the first field (the others open as it is filled).
    if (const Edit& e = lstEdits.front();
        e.pszWidget[0] != '#' && !gtk_widget_is_sensitive(widget(e.pszWidget))) {
        journal("noselect\t" + std::to_string(nStep) + "\t" + e.pszWidget + " locked");
        return;
    }
    journal(strIntent);
    for (std::size_t i = 0; i < lstEdits.size(); ++i) {
        const Edit& e = lstEdits[i];
        if (strcmp(e.pszWidget, "ACReg") == 0) {
            focus("ACReg");
            gtk_entry_set_text(GTK_ENTRY(widget("ACReg")), e.strValue.c_str());
            gtk_test_widget_send_key(widget("ACReg"), GDK_Return, GdkModifierType(0));
            drain();
        } else if (strcmp(e.pszWidget, "#date") == 0) {
            enterMaintDate(e.strValue);
        } else if (GTK_IS_TOGGLE_BUTTON(widget(e.pszWidget))) {
            gtk_button_clicked(GTK_BUTTON(widget(e.pszWidget)));
            drain();
        } else {
            type(e.pszWidget, e.strValue, pszTree);
        }
        journal("typed\t" + std::to_string(nStep) + "\t" + std::to_string(i + 1));
        // The owner takes a moment between the fields of a maintenance
        // record: a kill must find entries half given, not only done.
        if (strcmp(pszTable, "Maintenance") == 0)
            g_usleep(1000 * (50 + m_rng() % 250));
    }
    // The save: another row of the same list, or leaving the page for one
    // a user can choose (the drawing page hides itself without a drawing).
    if (!bRowChange)
        switchPage(nPage == 4 ? 2 : 4);
    else if (nPage != 0)
        selectRow(pszTree, nIDCol, nTypeCol, G_MAXULONG);
    else {
        const auto lstCards = listedCards();
        for (gulong iOther : lstCards)
            if (iOther != iCard && selectCard(iOther))
                break;
    }
    journal("saved\t" + std::to_string(nStep));
    journal(snapshotText(readSnapshot(strDb), nStep));
}

int drive(const char* pszJournal, unsigned nSeed, int nSteps) {
    m_pfJournal = fopen(pszJournal, "a");
    if (!m_pfJournal)
        return 2;
    setvbuf(m_pfJournal, nullptr, _IONBF, 0);
    m_rng.seed(nSeed);
    m_nSeed = nSeed;
    // With the catalogue editable, as its editor starts it.
    const char* lstArgs[] = {"avLedger", "--component-edit-enable", nullptr};
    int nStatus = 0;
    if (!avStartUp(2, const_cast<char**>(lstArgs), &nStatus)) {
        journal("startfailed\t" + std::to_string(nStatus));
        return 3;
    }
    g_timeout_add(50, answerDialogs, nullptr);
    gtk_window_present(GTK_WINDOW(widget("avLedger")));
    drain();
    const std::string strDb = "../etc";
    // What the files hold at start counts as saved.
    journal(snapshotText(readSnapshot(strDb), 0));
    for (int i = 1; i <= nSteps; ++i)
        step(i, strDb);
    journal("finished");
    avShutDown();
    return 0;
}

// ---- Checking ----

std::string integrity(const std::string& strDb) {
    sqlite3* h = nullptr;
    std::string str = "cannot open";
    if (sqlite3_open_v2(strDb.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* p = nullptr;
        if (sqlite3_prepare_v2(h, "PRAGMA integrity_check", -1, &p, nullptr) == SQLITE_OK &&
            sqlite3_step(p) == SQLITE_ROW)
            str = reinterpret_cast<const char*>(sqlite3_column_text(p, 0));
        sqlite3_finalize(p);
    }
    sqlite3_close(h);
    return str;
}

// A column named "x/day" holds the day of a date typed, "x/kind" a kind
// (the unfinished flag aside), "x/tenths" hours typed with one decimal.
bool columnHolds(const Row& row, const std::string& strCol, const std::string& strValue) {
    const auto n = strCol.find('/');
    if (n != std::string::npos && !strCol.ends_with("/day")) {
        auto it = row.find(strCol.substr(0, n));
        if (it == row.end() || it->second == "\x01")
            return false;
        const long long nIs = std::stoll(it->second);
        return strCol.ends_with("/kind")
                   ? (nIs & ~(long long)MNT_FLAG_UNFINISHED) == std::stoll(strValue)
                   : nIs == std::llround(std::stod(strValue) * 10);
    }
    if (strCol.ends_with("/day")) {
        auto it = row.find(strCol.substr(0, strCol.size() - 4));
        if (it == row.end() || it->second == "\x01")
            return false;
        struct tm tmAt {};
        strptime(strValue.c_str(), "%d-%b-%Y", &tmAt);
        return std::stoll(it->second) / 86400 == timegm(&tmAt) / 86400;
    }
    auto it = row.find(strCol);
    return it != row.end() && it->second == strValue;
}

// The state the previous check accepted is where this run started from,
// also when the kill came before the run wrote anything.
int check(const char* pszJournal, const std::string& strEtc) {
    const std::string strAccepted = strEtc + "/../accepted";
    std::stringstream in;
    for (const std::string& strFile : {strAccepted, std::string(pszJournal)})
        if (std::ifstream file(strFile); file && file.peek() != EOF)
            in << file.rdbuf();
    Snapshot saved, building;
    std::vector<std::pair<std::string, std::string>> lstIntentEdits;
    std::string strIntentTable, strIntentID, strLine;
    int nTyped = 0, nSteps = 0, nStepsVerified = 0;
    std::vector<std::string> lstLoss;
    bool bInSnap = false, bIntentOpen = false;
    while (std::getline(in, strLine)) {
        auto f = split(strLine, '\t');
        if (f.empty())
            continue;
        if (f[0] == "snapshot") {
            building.clear();
            bInSnap = true;
        } else if (f[0] == " row" && bInSnap && f.size() >= 3) {
            Row& row = building[f[1]][f[2]];
            for (std::size_t i = 3; i < f.size(); ++i) {
                auto n = f[i].find('=');
                row[f[i].substr(0, n)] = unesc(f[i].substr(n + 1));
            }
        } else if (f[0] == "end") {
            // A completed step: its save must have put every typed value
            // into the file (the new row is the one that was not there).
            if (bIntentOpen) {
                const Table& was = saved[strIntentTable];
                const Table& is = building[strIntentTable];
                const Row* pRow = nullptr;
                if (strIntentID != "new" && is.count(strIntentID))
                    pRow = &is.at(strIntentID);
                for (const auto& [strID, row] : is)
                    if (strIntentID == "new" && !was.count(strID))
                        pRow = &row;
                ++nStepsVerified;
                for (const auto& [strCol, strValue] : lstIntentEdits)
                    if (!pRow || !columnHolds(*pRow, strCol, strValue))
                        lstLoss.push_back("step " + f[1] + ": " + strIntentTable + " " + strCol +
                                          " not saved");
            }
            saved = building;
            bInSnap = false;
            bIntentOpen = false;
            nSteps = std::stoi(f[1]);
        } else if (f[0] == "intent" && f.size() >= 4) {
            strIntentTable = f[2], strIntentID = f[3];
            lstIntentEdits.clear();
            for (std::size_t i = 4; i < f.size(); ++i) {
                auto n = f[i].find('=');
                lstIntentEdits.push_back({f[i].substr(0, n), unesc(f[i].substr(n + 1))});
            }
            nTyped = 0;
            bIntentOpen = true;
        } else if (f[0] == "typed" && f.size() >= 3) {
            nTyped = std::stoi(f[2]);
        }
    }
    for (const char* pszFile : {"avLedger.db", "avCCD.db"}) {
        std::string str = integrity(strEtc + "/" + pszFile);
        if (str != "ok")
            lstLoss.push_back(std::string(pszFile) + " integrity: " + str);
    }
    const Snapshot now = readSnapshot(strEtc);
    int nRecords = 0, nLostChars = 0, nUnentered = 0;
    bool bIntentRowSeen = false;
    for (const Watched& w : m_lstWatched) {
        const char* pszTable = w.pszTable;
        const Table& was = saved.count(pszTable) ? saved.at(pszTable) : Table{};
        const Table& is = now.count(pszTable) ? now.at(pszTable) : Table{};
        for (const auto& [strID, row] : was) {
            ++nRecords;
            auto it = is.find(strID);
            const bool bIntentRow =
                bIntentOpen && strIntentTable == pszTable && strIntentID == strID;
            if (it == is.end())
                lstLoss.push_back(std::string(pszTable) + " " + strID + " missing");
            else if (it->second != row && !bIntentRow)
                lstLoss.push_back(std::string(pszTable) + " " + strID + " changed");
        }
        for (const auto& [strID, row] : is) {
            const bool bNew = !was.count(strID);
            const bool bChanged = bNew || was.at(strID) != row;
            if (!bChanged)
                continue;
            const bool bIntentRow = bIntentOpen && strIntentTable == pszTable &&
                                    (strIntentID == strID || (strIntentID == "new" && bNew));
            if (!bIntentRow || bIntentRowSeen) {
                lstLoss.push_back(std::string(pszTable) + " " + strID + " unexpected");
                continue;
            }
            bIntentRowSeen = true;
            // Typed values in typing order up to some field, the old ones after.
            std::size_t nDone = 0;
            while (nDone < lstIntentEdits.size() &&
                   columnHolds(row, lstIntentEdits[nDone].first, lstIntentEdits[nDone].second))
                ++nDone;
            for (std::size_t i = nDone; i < lstIntentEdits.size(); ++i) {
                const auto& [strCol, strValue] = lstIntentEdits[i];
                const auto itOld = bNew ? Row::const_iterator() : was.at(strID).find(strCol);
                const bool bOld = bNew || itOld == was.at(strID).end()
                                      ? !columnHolds(row, strCol, strValue)
                                      : columnHolds(row, strCol, itOld->second);
                if (!bOld)
                    lstLoss.push_back(std::string(pszTable) + " " + strID + " half-made at " +
                                      strCol);
            }
            for (std::size_t i = nDone; i < std::size_t(nTyped) && i < lstIntentEdits.size(); ++i)
                nLostChars += int(g_utf8_strlen(lstIntentEdits[i].second.c_str(), -1));
            // A record that counts states what the owner chose: its kind and
            // figures, all of them, or it is marked unfinished.
            if (strcmp(pszTable, "Maintenance") == 0 && row.count("bFlags") &&
                !(std::stoul(row.at("bFlags")) & MNT_FLAG_UNFINISHED))
                for (const auto& [strCol, strValue] : lstIntentEdits)
                    if ((strCol.ends_with("/kind") || strCol.ends_with("/tenths")) &&
                        !columnHolds(row, strCol, strValue)) {
                        lstLoss.push_back("Maintenance " + strID + " states work not entered (" +
                                          strCol + ")");
                        ++nUnentered;
                        break;
                    }
        }
    }
    // Typed but not in the file, where the interrupted step left no row.
    if (bIntentOpen && !bIntentRowSeen)
        for (int i = 0; i < nTyped && i < int(lstIntentEdits.size()); ++i) {
            const auto& [strCol, strValue] = lstIntentEdits[i];
            auto itT = now.find(strIntentTable);
            bool bThere = false;
            if (strIntentID != "new" && itT != now.end() && itT->second.count(strIntentID))
                bThere = columnHolds(itT->second.at(strIntentID), strCol, strValue);
            if (!bThere)
                nLostChars += int(g_utf8_strlen(strValue.c_str(), -1));
        }
    printf("steps=%d verified=%d records=%d lost_typed_chars=%d unentered_work=%d losses=%zu",
           nSteps, nStepsVerified, nRecords, nLostChars, nUnentered, lstLoss.size());
    for (const auto& str : lstLoss)
        printf(" [%s]", str.c_str());
    printf("\n");
    if (!lstLoss.empty())
        return 1;
    std::ofstream(strAccepted + ".tmp") << snapshotText(now, 0) << "\n";
    std::rename((strAccepted + ".tmp").c_str(), strAccepted.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && strcmp(argv[1], "drive") == 0)
        return drive(argv[2], unsigned(std::stoul(argv[3])), std::stoi(argv[4]));
    if (argc == 4 && strcmp(argv[1], "check") == 0)
        return check(argv[2], argv[3]);
    fprintf(stderr, "usage: %s drive <journal> <seed> <steps> | check <journal> <etc dir>\n",
            argv[0]);
    return 2;
}
