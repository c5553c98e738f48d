#include "pagFLog.h"

#include "avCnv.h"
#include "avError.h"
#include "avMisc.h"
#include "avParam.h"
#include "modFLog.h"
#include "modPilot.h"
#include "pagAC.h"
#include "rcdAC.h"
#include "rcdFLog.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>

#include <cstring>
#include <ctime>
#include <initializer_list>

namespace {

// nType bits.
constexpr guint FLT_TYPE_DUAL = 1;
constexpr guint FLT_TYPE_NIGHT = 2;
constexpr guint FLT_TYPE_IFR = 4;
constexpr guint FLT_TYPE_XC = 8;

// Seconds of one tenth of flight time, and of one day.
constexpr time_t FLT_TENTH = 360;
constexpr time_t FLT_DAY = 86400;
// Times up to this value are bare durations, never clock times.
constexpr time_t FLT_MAX_DURATION = 360000;

rcdFLog m_rcdFLog{};
guint m_iRowTypeLast = FLOG_ROW_HEADER;
// Set while the card is filled by program, so that the combos' and radio
// buttons' handlers do not take that for an edit.
gboolean m_bDisplaying = FALSE;

GtkWidget* m_pwgtFLogTree = nullptr;
GtkWidget* m_pwgtFLogNoLog = nullptr;
GtkWidget* m_pwgtFLogDate = nullptr;
GtkWidget* m_pwgtFLogTimeOff = nullptr;
GtkWidget* m_pwgtFLogTimeOn = nullptr;
GtkWidget* m_pwgtFLogElapsed = nullptr;
GtkWidget* m_pwgtFLogSolo = nullptr;
GtkWidget* m_pwgtFLogDual = nullptr;
GtkWidget* m_pwgtFLogPilot = nullptr;
GtkWidget* m_pwgtFLogPilotLabel = nullptr;
GtkWidget* m_pwgtFLogStudent = nullptr;
GtkWidget* m_pwgtFLogStudentLabel = nullptr;
GtkWidget* m_pwgtFLogDay = nullptr;
GtkWidget* m_pwgtFLogNight = nullptr;
GtkWidget* m_pwgtFLogIFR = nullptr;
GtkWidget* m_pwgtFLogLocal = nullptr;
GtkWidget* m_pwgtFLogXC = nullptr;
GtkWidget* m_pwgtFLogFrom = nullptr;
GtkWidget* m_pwgtFLogTo = nullptr;
GtkWidget* m_pwgtFLogPaxList = nullptr;
GtkWidget* m_pwgtFLogPaxListLabel = nullptr;
GtkWidget* m_pwgtFLogNotes = nullptr;

const wgtLUT m_lstFLogLUT[] = {
    {&m_pwgtFLogDate, fltDateLUTCB},
    {&m_pwgtFLogTimeOff, nullptr},
    {&m_pwgtFLogTimeOn, nullptr},
    {&m_pwgtFLogElapsed, nullptr},
    {&m_pwgtFLogFrom, nullptr},
    {&m_pwgtFLogTo, nullptr},
    {&m_pwgtFLogPilot, nullptr},
    {&m_pwgtFLogStudent, nullptr},
    {&m_pwgtFLogPaxList, nullptr},
    {&m_pwgtFLogNotes, nullptr},
    {nullptr, nullptr},
};

GtkWidget* lookup(GtkBuilder* pBuilder, const char* pszID) {
    GObject* pObject = gtk_builder_get_object(pBuilder, pszID);
    if (!pObject)
        g_warning("UI file has no object %s", pszID);
    return GTK_WIDGET(pObject);
}

gboolean hasActiveAC() {
    const rcdAC* prcdAC = acdGetActiveAC();
    return prcdAC && prcdAC->iACID != 0 && prcdAC->iACID != SQL_NEW_ID;
}

guint activeACID() {
    const rcdAC* prcdAC = acdGetActiveAC();
    return prcdAC ? prcdAC->iACID : SQL_NEW_ID;
}

// A take-off time is known when the start carries a time of day; a flight
// entered by its date alone starts at 00:00, which shows as no time.
gboolean timeOffSet(const rcdFLog& rcd) {
    return rcd.tFltBegin > 0 && rcd.tFltBegin % FLT_DAY != 0;
}
// A landing is a clock time only above the bare-duration range.
gboolean timeOnSet(const rcdFLog& rcd) {
    return rcd.tFltEnd > FLT_MAX_DURATION;
}

gboolean entryIsBlank(GtkWidget* pwgtEntry) {
    for (const gchar* psz = gtk_entry_get_text(GTK_ENTRY(pwgtEntry)); *psz; ++psz)
        if (!g_ascii_isspace(*psz))
            return FALSE;
    return TRUE;
}

// The clock time typed into pwgtEntry on the day of tDay; 0 when it cannot
// be converted.
time_t timeOnDayOf(time_t tDay, GtkWidget* pwgtEntry) {
    struct tm tmTime {};
    if (!gmtime_r(&tDay, &tmTime))
        return 0;
    gchar szTime[40];
    mscCopyText(szTime, gtk_entry_get_text(GTK_ENTRY(pwgtEntry)));
    cnvEncTime(&tmTime, szTime);
    tmTime.tm_sec = 0;
    time_t t = cnvMakeTime(&tmTime);
    return t == -1 ? 0 : t;
}

// Decimal hours as typed ("1.5", "12", ".7") to tenths: the first decimal
// digit is taken exactly, further digits dropped. Anything that is not a
// number gives 0.
guint hoursToTenths(const gchar* psz) {
    while (g_ascii_isspace(*psz))
        ++psz;
    guint64 nTenths = 0;
    for (; g_ascii_isdigit(*psz); ++psz) {
        nTenths = nTenths * 10 + guint(*psz - '0');
        if (nTenths > G_MAXUINT / 100)
            return 0; // not a flight time; refuse rather than wrap
    }
    nTenths *= 10;
    if ((*psz == '.' || *psz == ',') && g_ascii_isdigit(psz[1]))
        nTenths += guint(psz[1] - '0');
    return guint(nTenths);
}

void showError(const char* pszFunction) {
    dlgError(sqlLastError(), pszFunction, "pagFLog");
}

gboolean saveRecord(const char* pszFunction) {
    if (!sqlUpdateFLogRecord(&m_rcdFLog)) {
        showError(pszFunction);
        return FALSE;
    }
    m_rcdFLog.bDirty = FALSE;
    return TRUE;
}

void refreshHours() {
    acdDisplayACReg(fmodCalcAFAccum());
}

GtkTreeSelection* treeSelection() {
    return gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtFLogTree));
}

void fltOnRowChanged(GtkTreeSelection* pSelection, gpointer);

void setComboPilot(GtkWidget* pwgtCombo, guint iPilotID) {
    GtkTreeIter* piter = pmodFindPilotID(iPilotID);
    if (piter)
        gtk_combo_box_set_active_iter(GTK_COMBO_BOX(pwgtCombo), piter);
    else
        gtk_combo_box_set_active(GTK_COMBO_BOX(pwgtCombo), -1);
}

void setEntryText(GtkWidget* pwgtEntry, const gchar* pszText) {
    gtk_entry_set_text(GTK_ENTRY(pwgtEntry), pszText);
}

void setNotesText(const gchar* pszText) {
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtFLogNotes)), pszText, -1);
}

void showDual(gboolean bDual) {
    gtk_widget_set_visible(m_pwgtFLogStudent, bDual);
    gtk_widget_set_visible(m_pwgtFLogStudentLabel, bDual);
    gtk_widget_set_visible(m_pwgtFLogPaxList, !bDual);
    gtk_widget_set_visible(m_pwgtFLogPaxListLabel, !bDual);
    gtk_label_set_text(GTK_LABEL(m_pwgtFLogPilotLabel), bDual ? "Instructor:" : "Pilot:");
}

// ---- Card field handlers ----

gboolean fltOnDateFocusOut(GtkWidget* pwgtDate, GdkEventFocus*, gpointer) {
    gchar szDate[100];
    gchar szTime[40];
    mscCopyText(szDate, gtk_entry_get_text(GTK_ENTRY(pwgtDate)));
    mscCopyText(szTime, gtk_entry_get_text(GTK_ENTRY(m_pwgtFLogTimeOff)));
    struct tm tmDate {};
    cnvEncDate(&tmDate, szDate);
    cnvEncTime(&tmDate, szTime);
    time_t tDate = cnvMakeTime(&tmDate);

    if (tDate == 0 || tDate == -1) {
        // Leaving the field again without a change must not wrap the marks
        // around the marks.
        if (!(g_str_has_prefix(szDate, "?? ") && g_str_has_suffix(szDate, " ??"))) {
            gchar szTyped[51];
            mscCopyText(szTyped, szDate);
            gchar szShown[60];
            g_snprintf(szShown, sizeof szShown, "?? %s ??", szTyped);
            gtk_entry_set_text(GTK_ENTRY(pwgtDate), szShown);
        }
        gtk_editable_select_region(GTK_EDITABLE(pwgtDate), 0, -1);
        return FALSE;
    }
    // A new flight is stored with the date it was offered too: otherwise it
    // would reach the file later, missing from the tree and its hours.
    if (tDate == m_rcdFLog.tFltBegin && m_rcdFLog.iFLogID != SQL_NEW_ID)
        return FALSE;
    if (!hasActiveAC())
        return FALSE;

    // The landing moves with the flight, so that the flight time stays what
    // it was and a later edit of either time measures on the right day.
    if (timeOnSet(m_rcdFLog) && m_rcdFLog.tFltBegin > 0)
        m_rcdFLog.tFltEnd += tDate - m_rcdFLog.tFltBegin;
    m_rcdFLog.tFltBegin = tDate;
    m_rcdFLog.iCSID = activeACID();
    m_rcdFLog.bDirty = TRUE;
    if (!saveRecord("fltOnDateEdited()"))
        return FALSE;
    fltLoadTree();
    fltDisplaySensitive(TRUE);
    fltDisplayUpdate();
    return FALSE;
}

// The frame the time fields share: nothing is taken while the card is being
// filled; a changed value marks the record and fnApply brings the other
// times, the tree and the banner in step.
template <typename T, typename Apply> gboolean takeTime(T& field, T value, Apply fnApply) {
    if (m_bDisplaying)
        return FALSE;
    if (value != field) {
        m_rcdFLog.bDirty = TRUE;
        field = value;
        fnApply();
    }
    fltDisplayUpdate();
    return FALSE;
}

gboolean fltOnTimeOffFocusOut(GtkWidget* pwgtTimeOff, GdkEventFocus*, gpointer) {
    return takeTime(m_rcdFLog.tFltBegin, timeOnDayOf(m_rcdFLog.tFltBegin, pwgtTimeOff), [] {
        if (m_rcdFLog.tFltBegin == 0)
            return;
        if (timeOnSet(m_rcdFLog))
            fltCalcElapsed(&m_rcdFLog);
        else if (m_rcdFLog.nElapsed != 0)
            m_rcdFLog.tFltEnd = m_rcdFLog.tFltBegin + time_t(m_rcdFLog.nElapsed) * FLT_TENTH;
        // The start decides where the flight stands in the tree and which
        // dates its hours count from: rebuild in every case.
        fltLoadTree();
        refreshHours();
    });
}

gboolean fltOnTimeOnFocusOut(GtkWidget* pwgtTimeOn, GdkEventFocus*, gpointer) {
    // An emptied landing field means the landing is not known; taken as a
    // time it would read as 00:00 and move the take-off of a later flight
    // time entry onto the day before.
    time_t tOn = entryIsBlank(pwgtTimeOn) ? 0 : timeOnDayOf(m_rcdFLog.tFltBegin, pwgtTimeOn);
    return takeTime(m_rcdFLog.tFltEnd, tOn, [] {
        if (timeOnSet(m_rcdFLog) && timeOffSet(m_rcdFLog)) {
            fltCalcElapsed(&m_rcdFLog);
            fltTreeUpdate();
            refreshHours();
        }
    });
}

gboolean fltOnElapsedFocusOut(GtkWidget* pwgtElapsed, GdkEventFocus*, gpointer) {
    guint nElapsed = hoursToTenths(gtk_entry_get_text(GTK_ENTRY(pwgtElapsed)));
    return takeTime(m_rcdFLog.nElapsed, nElapsed, [] {
        time_t tSpan = time_t(m_rcdFLog.nElapsed) * FLT_TENTH;
        if (timeOffSet(m_rcdFLog)) {
            m_rcdFLog.tFltEnd = m_rcdFLog.tFltBegin + tSpan;
        } else if (timeOnSet(m_rcdFLog)) {
            m_rcdFLog.tFltBegin = m_rcdFLog.tFltEnd - tSpan;
            // A new take-off may move the flight in the tree.
            fltLoadTree();
        } else {
            m_rcdFLog.tFltEnd = tSpan;
        }
        fltTreeUpdate();
        refreshHours();
    });
}

// Copies an entry into a record field when it differs; TRUE when it did.
template <std::size_t N> gboolean takeEntry(char (&szField)[N], GtkWidget* pwgtEntry) {
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgtEntry));
    if (strcmp(szField, pszText) == 0)
        return FALSE;
    mscCopyText(szField, pszText);
    m_rcdFLog.bDirty = TRUE;
    return TRUE;
}

gboolean fltOnDepartFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    takeEntry(m_rcdFLog.szFrom, pwgt);
    fltDisplayUpdate();
    return FALSE;
}

gboolean fltOnArriveFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (takeEntry(m_rcdFLog.szTo, pwgt))
        fltTreeUpdate();
    fltDisplayUpdate();
    return FALSE;
}

gboolean fltOnPaxFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    takeEntry(m_rcdFLog.szPaxList, pwgt);
    fltDisplayUpdate();
    return FALSE;
}

gboolean fltOnNotesFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscTextViewStore(pwgt, m_rcdFLog.szNotes, sizeof m_rcdFLog.szNotes))
        m_rcdFLog.bDirty = TRUE;
    fltDisplayUpdate();
    return FALSE;
}

void takePilot(GtkComboBox* pwgtCombo, guint* piPilotID) {
    if (m_bDisplaying)
        return;
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(pwgtCombo, &iter))
        return;
    guint iPilotID = pmodGetPilotID(&iter);
    if (iPilotID != *piPilotID) {
        *piPilotID = iPilotID;
        m_rcdFLog.bDirty = TRUE;
    }
}

void fltOnPilotChanged(GtkComboBox* pwgtCombo, gpointer) {
    takePilot(pwgtCombo, &m_rcdFLog.iPilotID);
}
void fltOnStudentChanged(GtkComboBox* pwgtCombo, gpointer) {
    takePilot(pwgtCombo, &m_rcdFLog.iStudentID);
}

// Sets or clears one nType bit; TRUE when that changed the record.
gboolean setTypeBit(guint nBit, gboolean bSet) {
    guint nType = bSet ? (m_rcdFLog.nType | nBit) : (m_rcdFLog.nType & ~nBit);
    if (nType == m_rcdFLog.nType)
        return FALSE;
    m_rcdFLog.nType = nType;
    m_rcdFLog.bDirty = TRUE;
    return TRUE;
}

gboolean isActive(GtkWidget* pwgtToggle) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgtToggle));
}

void fltOnSoloClicked(GtkButton*, gpointer) {
    if (m_bDisplaying)
        return;
    setTypeBit(FLT_TYPE_DUAL, !isActive(m_pwgtFLogSolo));
    fltDisplayUpdate();
}

void fltOnLocalClicked(GtkButton*, gpointer) {
    if (m_bDisplaying)
        return;
    setTypeBit(FLT_TYPE_XC, !isActive(m_pwgtFLogLocal));
    fltDisplayUpdate();
}

// Connected to all three buttons of the group: a change straight between
// night and IFR does not involve the day button at all.
void fltOnDayClicked(GtkButton*, gpointer) {
    if (m_bDisplaying)
        return;
    setTypeBit(FLT_TYPE_NIGHT, isActive(m_pwgtFLogNight));
    setTypeBit(FLT_TYPE_IFR, isActive(m_pwgtFLogIFR));
    fltDisplayUpdate();
}

// ---- Tree ----

void startNewFlight() {
    m_rcdFLog = rcdFLog{};
    m_rcdFLog.iFLogID = SQL_NEW_ID;
    m_rcdFLog.iCSID = activeACID();
    const time_t tLast = prmGetKeyTime("FlightLog", "LastDate");
    m_rcdFLog.tFltBegin = tLast > 0 ? tLast : time(nullptr);
    fltDisplayUpdate();
    fltDisplaySensitive(FALSE);
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtFLogDate), TRUE);
}

void fltOnRowChanged(GtkTreeSelection* pSelection, gpointer) {
    mscCommitEdits(m_pwgtFLogTree);

    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(pSelection, &pModel, &iter)) {
        fltDisplayClear();
        fltDisplaySensitive(FALSE);
        return;
    }
    gulong iFLogID = 0;
    guint nRowType = FLOG_ROW_HEADER;
    gtk_tree_model_get(pModel, &iter, FLOG_SQLID, &iFLogID, FLOG_ROW_TYPE, &nRowType, -1);
    if (m_rcdFLog.bDirty)
        saveRecord("fltOnRowChanged()");
    if (m_iRowTypeLast == FLOG_ROW_NEW)
        fmodResetNewFlightLabel();
    m_iRowTypeLast = nRowType;

    if (nRowType == FLOG_ROW_DATA) {
        cbFLog cb{&m_rcdFLog, nullptr};
        if (!sqlLoadFLogRecord(&cb, iFLogID, activeACID()))
            showError("fltOnRowChanged()");
        m_rcdFLog.bDirty = FALSE;
        fltDisplayUpdate();
    } else if (nRowType == FLOG_ROW_NEW) {
        startNewFlight();
    } else {
        fltDisplayClear();
        fltDisplaySensitive(FALSE);
    }
}

gboolean fltOnTreeKeyPress(GtkWidget* pwgtTree, GdkEventKey* pevtKey, gpointer) {
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if (pevtKey->keyval != 0xFFFF || m_rcdFLog.iFLogID == SQL_NEW_ID ||
        !gtk_tree_selection_get_selected(treeSelection(), &pModel, &iter))
        return TRUE;

    if (mscConfirmDelete(pwgtTree, "<span color='red'><b>*** Delete Flight Record ***</b></span>",
                         "<span color='dark blue'>This Flight will be deleted.</span>\n\n"
                         "<span color='blue'>Are you sure?</span>")) {
        m_rcdFLog.bDelete = TRUE;
        m_rcdFLog.bDirty = TRUE;
        if (saveRecord("fltOnTreeKeyPress()")) {
            // The row is gone only once the file says so.
            if (gtk_tree_selection_get_selected(treeSelection(), &pModel, &iter))
                gtk_tree_store_remove(GTK_TREE_STORE(pModel), &iter);
            // Later rows' running totals and the banner lose this flight now,
            // not at the next rebuild.
            refreshHours();
            fltDisplayClear();
            fltDisplaySensitive(FALSE);
        } else {
            m_rcdFLog.bDelete = FALSE;
        }
    }
    return FALSE;
}

void addColumn(const char* pszTitle, gint nTextCol, GtkCellRenderer* pRenderer) {
    GtkTreeViewColumn* pColumn =
        gtk_tree_view_column_new_with_attributes(pszTitle, pRenderer, "text", nTextCol, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(m_pwgtFLogTree), pColumn);
}

// Headers left, flights centred, the new-flight row right: the row type is
// the alignment. The style column is an unsigned number, which GLib does
// not turn into a PangoStyle by itself.
void startCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                   GtkTreeIter* piter, gpointer) {
    guint nRowType = FLOG_ROW_HEADER;
    guint nStyle = PANGO_STYLE_NORMAL;
    gtk_tree_model_get(pModel, piter, FLOG_ROW_TYPE, &nRowType, FLOG_STYLE_COL, &nStyle, -1);
    static constexpr gfloat lstXAlign[] = {0.0f, 0.5f, 1.0f};
    if (nRowType > FLOG_ROW_NEW)
        nRowType = FLOG_ROW_HEADER;
    g_object_set(pRenderer, "alignment", PangoAlignment(nRowType), "xalign", lstXAlign[nRowType],
                 "style", PangoStyle(nStyle), nullptr);
}

void initTree() {
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "foreground", "blue", nullptr);
    GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
        "Flight Start\nTime", pRenderer, "text", FLOG_TIME_START, "foreground-set", FLOG_FG_COL,
        nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, startCellData, nullptr, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(m_pwgtFLogTree), pColumn);

    pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "xalign", 1.0f, nullptr);
    addColumn("Flight\nTime", FLOG_TIME_ELPSD, pRenderer);
    addColumn("\nDestination", FLOG_DEST, gtk_cell_renderer_text_new());
    pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "xalign", 1.0f, nullptr);
    addColumn("Airframe\nTime", FLOG_AF_ACCUM, pRenderer);

    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtFLogTree), fmodGetModel());
    g_signal_connect(m_pwgtFLogTree, "key-press-event", G_CALLBACK(fltOnTreeKeyPress), nullptr);
    g_signal_connect_after(treeSelection(), "changed", G_CALLBACK(fltOnRowChanged), nullptr);
}

void initPilotCombo(GtkWidget* pwgtCombo) {
    gtk_combo_box_set_model(GTK_COMBO_BOX(pwgtCombo), pmodGetModel());
    mscComboShowText(pwgtCombo, PILOT_RNAME_COL, -1);
}

void connectField(GtkWidget* pwgt, GCallback pfnFocusOut) {
    mscConnectField(pwgt, m_lstFLogLUT, pfnFocusOut);
}

} // namespace

void fltInitialize(GtkBuilder* pBuilder) {
    m_rcdFLog = rcdFLog{};
    m_rcdFLog.iFLogID = SQL_NEW_ID;
    m_iRowTypeLast = FLOG_ROW_HEADER;

    m_pwgtFLogTree = lookup(pBuilder, "FLogTreeView");
    m_pwgtFLogNoLog = lookup(pBuilder, "FLogNoLog");
    m_pwgtFLogDate = lookup(pBuilder, "FLogCardDate");
    m_pwgtFLogTimeOff = lookup(pBuilder, "FLogCardTimeOff");
    m_pwgtFLogTimeOn = lookup(pBuilder, "FLogCardTimeOn");
    m_pwgtFLogElapsed = lookup(pBuilder, "FLogCardElapsed");
    m_pwgtFLogSolo = lookup(pBuilder, "FLogSolo");
    m_pwgtFLogDual = lookup(pBuilder, "FLogDual");
    m_pwgtFLogPilot = lookup(pBuilder, "FLogPilot");
    m_pwgtFLogPilotLabel = lookup(pBuilder, "FLogPilotLabel");
    m_pwgtFLogStudent = lookup(pBuilder, "FLogStudent");
    m_pwgtFLogStudentLabel = lookup(pBuilder, "FLogStudentLabel");
    m_pwgtFLogDay = lookup(pBuilder, "FLogDay");
    m_pwgtFLogNight = lookup(pBuilder, "FLogNight");
    m_pwgtFLogIFR = lookup(pBuilder, "FLogIFR");
    m_pwgtFLogLocal = lookup(pBuilder, "FLogLocal");
    m_pwgtFLogXC = lookup(pBuilder, "FLogXC");
    m_pwgtFLogFrom = lookup(pBuilder, "FLogCardFrom");
    m_pwgtFLogTo = lookup(pBuilder, "FLogCardTo");
    m_pwgtFLogPaxList = lookup(pBuilder, "FLogPaxList");
    m_pwgtFLogPaxListLabel = lookup(pBuilder, "FLogPaxListLabel");
    m_pwgtFLogNotes = lookup(pBuilder, "FLogNotes");

    initTree();
    connectField(m_pwgtFLogDate, G_CALLBACK(fltOnDateFocusOut));
    connectField(m_pwgtFLogTimeOff, G_CALLBACK(fltOnTimeOffFocusOut));
    connectField(m_pwgtFLogTimeOn, G_CALLBACK(fltOnTimeOnFocusOut));
    connectField(m_pwgtFLogElapsed, G_CALLBACK(fltOnElapsedFocusOut));
    connectField(m_pwgtFLogFrom, G_CALLBACK(fltOnDepartFocusOut));
    connectField(m_pwgtFLogTo, G_CALLBACK(fltOnArriveFocusOut));
    connectField(m_pwgtFLogPaxList, G_CALLBACK(fltOnPaxFocusOut));
    connectField(m_pwgtFLogPilot, nullptr);
    connectField(m_pwgtFLogStudent, nullptr);
    connectField(m_pwgtFLogNotes, G_CALLBACK(fltOnNotesFocusOut));

    initPilotCombo(m_pwgtFLogPilot);
    initPilotCombo(m_pwgtFLogStudent);
    g_signal_connect(m_pwgtFLogPilot, "changed", G_CALLBACK(fltOnPilotChanged), nullptr);
    g_signal_connect(m_pwgtFLogStudent, "changed", G_CALLBACK(fltOnStudentChanged), nullptr);

    g_signal_connect(m_pwgtFLogSolo, "clicked", G_CALLBACK(fltOnSoloClicked), nullptr);
    g_signal_connect(m_pwgtFLogLocal, "clicked", G_CALLBACK(fltOnLocalClicked), nullptr);
    for (GtkWidget* pwgt : {m_pwgtFLogDay, m_pwgtFLogNight, m_pwgtFLogIFR})
        g_signal_connect(pwgt, "clicked", G_CALLBACK(fltOnDayClicked), nullptr);

    fltDisplaySensitive(FALSE);
}

void fltOnPageEnter() {
    GtkWidget* pwgtScroll = gtk_widget_get_parent(m_pwgtFLogTree);
    if (hasActiveAC()) {
        guint nHours = 0;
        if (fmodLoadModel(-1, &nHours))
            acdDisplayACReg(nHours);
        gtk_widget_show(m_pwgtFLogTree);
        gtk_widget_show(pwgtScroll);
        gtk_widget_hide(m_pwgtFLogNoLog);
    } else {
        fmodClearModel();
        gtk_widget_hide(m_pwgtFLogTree);
        gtk_widget_hide(pwgtScroll);
        gtk_widget_show(m_pwgtFLogNoLog);
        fltDisplayClear();
        fltDisplaySensitive(FALSE);
    }
}

void fltOnPageLeave() {
    if (m_rcdFLog.bDirty && !sqlUpdateFLogRecord(&m_rcdFLog))
        showError("fltOnPageLeave()");
}

void fltCalcElapsed(rcdFLog* prcdFLog) {
    if (prcdFLog->tFltEnd < prcdFLog->tFltBegin)
        prcdFLog->tFltEnd += FLT_DAY;
    time_t tSpan = prcdFLog->tFltEnd - prcdFLog->tFltBegin;
    // A landing still before the take-off cannot give a flight time.
    prcdFLog->nElapsed = tSpan < 0 ? 0 : guint((tSpan / 60 + 3) / 6);
}

void fltLoadTree() {
    if (m_rcdFLog.bDirty)
        saveRecord("fltOnRowChanged()");
    // The working record is what the rebuilt tree will select: keep the
    // row handler out, or it would reload the record and pull the focus
    // away from the field the user is moving to.
    GtkTreeSelection* pSelection = treeSelection();
    g_signal_handlers_block_by_func(pSelection, gpointer(fltOnRowChanged), nullptr);
    guint nHours = 0;
    if (fmodLoadModel(gint(m_rcdFLog.iFLogID), &nHours))
        acdDisplayACReg(nHours);
    GtkTreeIter* piter = fmodGetSelection();
    if (piter) {
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtFLogTree), piter);
        m_iRowTypeLast = FLOG_ROW_DATA;
    } else {
        m_iRowTypeLast = FLOG_ROW_HEADER;
    }
    g_signal_handlers_unblock_by_func(pSelection, gpointer(fltOnRowChanged), nullptr);
}

void fltTreeUpdate() {
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(treeSelection(), &pModel, &iter))
        return;
    gulong iFLogID = 0;
    guint nRowType = FLOG_ROW_HEADER;
    gtk_tree_model_get(pModel, &iter, FLOG_SQLID, &iFLogID, FLOG_ROW_TYPE, &nRowType, -1);
    if (nRowType != FLOG_ROW_DATA || guint(iFLogID) != m_rcdFLog.iFLogID)
        return;
    gchar szElapsed[30];
    g_snprintf(szElapsed, sizeof szElapsed, "%u.%u", m_rcdFLog.nElapsed / 10,
               m_rcdFLog.nElapsed % 10);
    gtk_tree_store_set(GTK_TREE_STORE(pModel), &iter, FLOG_HOURS, m_rcdFLog.nElapsed,
                       FLOG_TIME_ELPSD, szElapsed, FLOG_DEST, m_rcdFLog.szTo, -1);
}

void fltDisplayUpdate() {
    m_bDisplaying = TRUE;
    fltDisplaySensitive(TRUE);

    gchar szText[40];
    setEntryText(m_pwgtFLogDate, cnvDcdDate(szText, sizeof szText, m_rcdFLog.tFltBegin, 0));
    cnvDcdTime(szText, sizeof szText, m_rcdFLog.tFltBegin, 0);
    setEntryText(m_pwgtFLogTimeOff, szText);
    cnvDcdTime(szText, sizeof szText, m_rcdFLog.tFltEnd, 0);
    setEntryText(m_pwgtFLogTimeOn, szText);
    g_snprintf(szText, sizeof szText, "%01u.%1u", m_rcdFLog.nElapsed / 10, m_rcdFLog.nElapsed % 10);
    setEntryText(m_pwgtFLogElapsed, szText);

    setComboPilot(m_pwgtFLogPilot, m_rcdFLog.iPilotID);
    setComboPilot(m_pwgtFLogStudent, m_rcdFLog.iStudentID);

    gboolean bDual = (m_rcdFLog.nType & FLT_TYPE_DUAL) != 0;
    showDual(bDual);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(bDual ? m_pwgtFLogDual : m_pwgtFLogSolo), TRUE);
    GtkWidget* pwgtCond = (m_rcdFLog.nType & FLT_TYPE_NIGHT) ? m_pwgtFLogNight
                          : (m_rcdFLog.nType & FLT_TYPE_IFR) ? m_pwgtFLogIFR
                                                             : m_pwgtFLogDay;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtCond), TRUE);
    gtk_toggle_button_set_active(
        GTK_TOGGLE_BUTTON((m_rcdFLog.nType & FLT_TYPE_XC) ? m_pwgtFLogXC : m_pwgtFLogLocal), TRUE);

    setEntryText(m_pwgtFLogFrom, m_rcdFLog.szFrom);
    setEntryText(m_pwgtFLogTo, m_rcdFLog.szTo);
    setEntryText(m_pwgtFLogPaxList, m_rcdFLog.szPaxList);
    setNotesText(m_rcdFLog.szNotes);
    m_bDisplaying = FALSE;
}

void fltDisplayClear() {
    m_bDisplaying = TRUE;
    for (GtkWidget* pwgt : {m_pwgtFLogDate, m_pwgtFLogTimeOff, m_pwgtFLogTimeOn, m_pwgtFLogElapsed,
                            m_pwgtFLogFrom, m_pwgtFLogTo, m_pwgtFLogPaxList})
        setEntryText(pwgt, "");
    setNotesText("");
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtFLogPilot), -1);
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtFLogStudent), -1);
    m_bDisplaying = FALSE;
}

void fltDisplaySensitive(gboolean bSensitive) {
    for (GtkWidget* pwgt : {m_pwgtFLogDate, m_pwgtFLogTimeOff, m_pwgtFLogPilot, m_pwgtFLogNotes})
        gtk_widget_set_sensitive(gtk_widget_get_parent(pwgt), bSensitive);
}

gboolean fltDateLUTCB(GtkWidget*, GtkDirectionType) {
    fltDisplaySensitive(TRUE);
    gtk_widget_grab_focus(m_pwgtFLogTimeOff);
    return TRUE;
}
