#include "pagFLogCard.h"

#include "avCnv.h"
#include "avDefect.h"
#include "avError.h"
#include "avMisc.h"
#include "avParam.h"
#include "modFLog.h"
#include "modFLogEdit.h"
#include "modPilot.h"
#include "pagAC.h"
#include "rcdAC.h"
#include "rcdFLog.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>

namespace {

rcdFLog m_rcdFLog{};
const fcdTreeOps* m_pOps = nullptr;

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
GtkWidget* m_pwgtFLogCrewNote = nullptr;

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

time_t dayOf(time_t t) {
    return t - t % SECONDS_PER_DAY;
}

gboolean timeOffSet(const rcdFLog& rcd) {
    return fltTakeOffKnown(rcd.tFltBegin, rcd.nType);
}

gboolean entryShows(GtkWidget* pwgtEntry, const gchar* pszText) {
    return strcmp(gtk_entry_get_text(GTK_ENTRY(pwgtEntry)), pszText) == 0;
}

// The reading name of a pilot, also of one deleted since: flights keep
// naming who flew them.
std::string deletedPilotName(guint iPilotID) {
    rcdPilot rcd{};
    cbPilot cb{&rcd, nullptr};
    if (iPilotID == 0 || iPilotID == SQL_NEW_ID || !sqlLoadPilotRecord(&cb, iPilotID) ||
        rcd.iPilotID != iPilotID)
        return "";
    return std::string(rcd.szFName) + (*rcd.szFName ? " " : "") + rcd.szLName;
}

// Selects the pilot in the combo; a pilot no longer listed is named in the
// crew note instead. Returns that name, or "".
std::string setComboPilot(GtkWidget* pwgtCombo, guint iPilotID) {
    GtkTreeIter* piter = pmodFindPilotID(iPilotID);
    if (piter) {
        gtk_combo_box_set_active_iter(GTK_COMBO_BOX(pwgtCombo), piter);
        return "";
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(pwgtCombo), -1);
    return deletedPilotName(iPilotID);
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
    gtk_label_set_text_with_mnemonic(GTK_LABEL(m_pwgtFLogPilotLabel),
                                     bDual ? "_Instructor:" : "P_ilot:");
}

// The texts the four time fields show for the record.
struct TimeTexts {
    gchar szDate[40], szOff[20], szOn[20], szElapsed[32];
};
TimeTexts timeTexts() {
    TimeTexts t;
    cnvDcdDate(t.szDate, sizeof t.szDate, m_rcdFLog.tFltBegin, 0);
    cnvDcdTime(t.szOff, sizeof t.szOff, m_rcdFLog.tFltBegin,
               timeOffSet(m_rcdFLog) ? CNV_DCD_MIDNIGHT : 0);
    cnvDcdTime(t.szOn, sizeof t.szOn, m_rcdFLog.tFltEnd, 0);
    cnvDcdHours(t.szElapsed, sizeof t.szElapsed, m_rcdFLog.nElapsed);
    return t;
}

void displayTimes() {
    MscDisplayGuard guard;
    const TimeTexts t = timeTexts();
    setEntryText(m_pwgtFLogDate, t.szDate);
    setEntryText(m_pwgtFLogTimeOff, t.szOff);
    setEntryText(m_pwgtFLogTimeOn, t.szOn);
    setEntryText(m_pwgtFLogElapsed, t.szElapsed);
}

// A refused entry shows the stored value again; the user is told why.
gboolean refuse(GtkWidget* pwgtField, const gchar* pszWhy) {
    displayTimes();
    mscRefuse(pwgtField, pszWhy);
    return FALSE;
}

// After an accepted change of the record it is stored at once, so that
// nothing entered is lost should the program end abruptly: a new flight
// (the user has entered something) and one whose start moved are filed
// again in the tree; otherwise the flight's row is brought up to date.
void recordEdited(gboolean bStartMoved) {
    m_rcdFLog.bDirty = TRUE;
    if (m_rcdFLog.iFLogID == SQL_NEW_ID) {
        if (!acdHasActiveAC())
            return;
        if (!dfctMayLogFlight(m_pwgtFLogDate, m_rcdFLog.tFltBegin)) {
            fcdStartNewFlight();
            return;
        }
        m_rcdFLog.iCSID = fcdActiveACID();
        m_pOps->pfnLoadTree();
    } else if (bStartMoved) {
        m_pOps->pfnLoadTree();
    } else {
        fcdSave("recordEdited()", "pagFLogCard");
        m_pOps->pfnTreeUpdate();
    }
    fcdRefreshHours();
}

// ---- Card field handlers ----

gboolean fltOnDateFocusOut(GtkWidget* pwgtDate, GdkEventFocus*, gpointer) {
    // Leaving the date as shown changes nothing: moving through the card
    // of "<new flight>" stores no flight.
    if (mscDisplaying() || entryShows(pwgtDate, timeTexts().szDate))
        return FALSE;
    const fedtEdit e = fedtDate(m_rcdFLog, gtk_entry_get_text(GTK_ENTRY(pwgtDate)));
    if (e.pszWhy)
        return refuse(pwgtDate, e.pszWhy);
    const time_t tStart = e.rcd.tFltBegin;
    if (!acdHasActiveAC() || !e.bChanged || !mscKeepFutureDate(pwgtDate, tStart, "The flight")) {
        displayTimes();
        return FALSE;
    }
    if (m_rcdFLog.iFLogID == SQL_NEW_ID && !dfctMayLogFlight(pwgtDate, tStart)) {
        fcdStartNewFlight();
        return FALSE;
    }
    m_rcdFLog = e.rcd;
    m_rcdFLog.iCSID = fcdActiveACID();
    m_rcdFLog.bDirty = TRUE;
    if (!fcdSave("fltOnDateFocusOut()", "pagFLogCard"))
        return FALSE;
    m_pOps->pfnLoadTree();
    fltDisplaySensitive(TRUE);
    fltDisplayUpdate();
    return FALSE;
}

// A refused value is put back and the user told why; a taken one is
// stored at once.
gboolean takeTimeEdit(GtkWidget* pwgtField, const fedtEdit& e) {
    if (e.pszWhy)
        return refuse(pwgtField, e.pszWhy);
    if (e.bChanged) {
        m_rcdFLog = e.rcd;
        recordEdited(e.bStartMoved);
    }
    displayTimes();
    return FALSE;
}

gboolean fltOnTimeOffFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || entryShows(pwgt, timeTexts().szOff))
        return FALSE;
    return takeTimeEdit(pwgt, fedtTakeOff(m_rcdFLog, gtk_entry_get_text(GTK_ENTRY(pwgt))));
}

gboolean fltOnTimeOnFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || entryShows(pwgt, timeTexts().szOn))
        return FALSE;
    return takeTimeEdit(pwgt, fedtLanding(m_rcdFLog, gtk_entry_get_text(GTK_ENTRY(pwgt))));
}

gboolean fltOnElapsedFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || entryShows(pwgt, timeTexts().szElapsed))
        return FALSE;
    return takeTimeEdit(pwgt, fedtFlightTime(m_rcdFLog, gtk_entry_get_text(GTK_ENTRY(pwgt))));
}

gboolean fltOnDepartFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, m_rcdFLog.szFrom))
        recordEdited(FALSE);
    return FALSE;
}

gboolean fltOnArriveFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, m_rcdFLog.szTo))
        recordEdited(FALSE); // the tree shows the destination
    return FALSE;
}

gboolean fltOnPaxFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, m_rcdFLog.szPaxList))
        recordEdited(FALSE);
    return FALSE;
}

gboolean fltOnNotesFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscTextViewStore(pwgt, m_rcdFLog.szNotes, sizeof m_rcdFLog.szNotes))
        recordEdited(FALSE);
    return FALSE;
}

void takePilot(GtkComboBox* pwgtCombo, guint* piPilotID) {
    if (mscDisplaying())
        return;
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(pwgtCombo, &iter))
        return;
    guint iPilotID = pmodGetPilotID(&iter);
    if (iPilotID != *piPilotID) {
        *piPilotID = iPilotID;
        recordEdited(FALSE);
    }
}

// One person in both seats of a dual flight is more likely a slip of the
// list than meant: asked, and the stored choice kept unless confirmed.
void takeCrew(GtkComboBox* pwgtCombo, guint* piSeat, guint iOtherSeat) {
    if (mscDisplaying())
        return;
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(pwgtCombo, &iter))
        return;
    const guint iPilotID = pmodGetPilotID(&iter);
    const bool bDual = gtk_widget_get_visible(m_pwgtFLogStudent);
    if (bDual && iPilotID != *piSeat && iPilotID != 0 && iPilotID != SQL_NEW_ID &&
        iPilotID == iOtherSeat &&
        !mscConfirm(GTK_WIDGET(pwgtCombo), "<b>The same pilot in both seats?</b>",
                    "The instructor and the student of this flight would be the same person.")) {
        MscDisplayGuard guard;
        setComboPilot(GTK_WIDGET(pwgtCombo), *piSeat);
        return;
    }
    takePilot(pwgtCombo, piSeat);
}
void fltOnPilotChanged(GtkComboBox* pwgtCombo, gpointer) {
    takeCrew(pwgtCombo, &m_rcdFLog.iPilotID, m_rcdFLog.iStudentID);
}
void fltOnStudentChanged(GtkComboBox* pwgtCombo, gpointer) {
    takeCrew(pwgtCombo, &m_rcdFLog.iStudentID, m_rcdFLog.iPilotID);
}

// Sets or clears one nType bit; TRUE when that changed the record.
gboolean setTypeBit(guint nBit, gboolean bSet) {
    guint nType = bSet ? (m_rcdFLog.nType | nBit) : (m_rcdFLog.nType & ~nBit);
    if (nType == m_rcdFLog.nType)
        return FALSE;
    m_rcdFLog.nType = nType;
    return TRUE;
}

gboolean isActive(GtkWidget* pwgtToggle) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgtToggle));
}

void typeEdited(gboolean bChanged) {
    if (bChanged)
        recordEdited(FALSE);
    fltDisplayUpdate();
}

void fltOnSoloClicked(GtkButton*, gpointer) {
    if (!mscDisplaying())
        typeEdited(setTypeBit(FLT_TYPE_DUAL, !isActive(m_pwgtFLogSolo)));
}

void fltOnLocalClicked(GtkButton*, gpointer) {
    if (!mscDisplaying())
        typeEdited(setTypeBit(FLT_TYPE_XC, !isActive(m_pwgtFLogLocal)));
}

// Connected to all three buttons of the group: a change straight between
// night and IFR does not involve the day button at all.
void fltOnDayClicked(GtkButton*, gpointer) {
    if (mscDisplaying())
        return;
    const gboolean bNight = setTypeBit(FLT_TYPE_NIGHT, isActive(m_pwgtFLogNight));
    const gboolean bIFR = setTypeBit(FLT_TYPE_IFR, isActive(m_pwgtFLogIFR));
    typeEdited(bNight || bIFR);
}

void initPilotCombo(GtkWidget* pwgtCombo) {
    gtk_combo_box_set_model(GTK_COMBO_BOX(pwgtCombo), pmodGetModel());
    mscComboShowText(pwgtCombo, PILOT_RNAME_COL, -1, FCD_NAME_CHARS);
}

void connectField(GtkWidget* pwgt, GCallback pfnFocusOut) {
    mscConnectField(pwgt, m_lstFLogLUT, pfnFocusOut);
}

} // namespace

rcdFLog& fcdFlight() {
    return m_rcdFLog;
}

void fcdForget() {
    m_rcdFLog = rcdFLog{};
    m_rcdFLog.iFLogID = SQL_NEW_ID;
}

guint fcdActiveACID() {
    return acdHasActiveAC() ? acdGetActiveAC()->iACID : SQL_NEW_ID;
}

void fcdShowError(const char* pszFunction, const char* pszLocus) {
    dlgError(sqlLastError(), pszFunction, pszLocus);
}

gboolean fcdSave(const char* pszFunction, const char* pszLocus) {
    if (!sqlUpdateFLogRecord(&m_rcdFLog)) {
        fcdShowError(pszFunction, pszLocus);
        return FALSE;
    }
    m_rcdFLog.bDirty = FALSE;
    return TRUE;
}

void fcdRefreshHours() {
    acdDisplayACReg(gint64(fmodCalcAFAccum()));
}

void fcdStartNewFlight() {
    fcdForget();
    m_rcdFLog.iCSID = fcdActiveACID();
    // The date offered is a day; the take-off is for the user to type.
    const time_t tLast = prmGetKeyTime(PRM_FLIGHT_LAST_DATE);
    m_rcdFLog.tFltBegin = dayOf(tLast > 0 ? tLast : time(nullptr));
    fltDisplayUpdate();
    fltDisplaySensitive(FALSE);
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtFLogDate), TRUE);
}

// The flight a delete would take, as the card shows it: "19-Apr-2010 14:00
// to 15:30, 1.5 h".
std::string fcdDeleteQuestion() {
    const TimeTexts t = timeTexts();
    std::string strFlight = t.szDate;
    if (*t.szOff)
        strFlight += std::string(" ") + t.szOff;
    if (*t.szOn)
        strFlight += std::string(*t.szOff ? " to " : ", landing ") + t.szOn;
    strFlight += std::string(", ") + t.szElapsed + " h";
    gchar* psz =
        g_markup_printf_escaped("<span color='dark blue'>The flight of <b>%s</b> will be "
                                "deleted.</span>\n\n<span color='blue'>Are you sure?</span>",
                                strFlight.c_str());
    std::string str = psz;
    g_free(psz);
    return str;
}

void fcdInitialize(GtkBuilder* pBuilder, const fcdTreeOps* pOps) {
    m_pOps = pOps;
    const struct {
        GtkWidget** ppwgt;
        const char* pszID;
    } lstWidgets[] = {
        {&m_pwgtFLogDate, "FLogCardDate"},
        {&m_pwgtFLogTimeOff, "FLogCardTimeOff"},
        {&m_pwgtFLogTimeOn, "FLogCardTimeOn"},
        {&m_pwgtFLogElapsed, "FLogCardElapsed"},
        {&m_pwgtFLogSolo, "FLogSolo"},
        {&m_pwgtFLogDual, "FLogDual"},
        {&m_pwgtFLogPilot, "FLogPilot"},
        {&m_pwgtFLogPilotLabel, "FLogPilotLabel"},
        {&m_pwgtFLogStudent, "FLogStudent"},
        {&m_pwgtFLogStudentLabel, "FLogStudentLabel"},
        {&m_pwgtFLogDay, "FLogDay"},
        {&m_pwgtFLogNight, "FLogNight"},
        {&m_pwgtFLogIFR, "FLogIFR"},
        {&m_pwgtFLogLocal, "FLogLocal"},
        {&m_pwgtFLogXC, "FLogXC"},
        {&m_pwgtFLogFrom, "FLogCardFrom"},
        {&m_pwgtFLogTo, "FLogCardTo"},
        {&m_pwgtFLogPaxList, "FLogPaxList"},
        {&m_pwgtFLogPaxListLabel, "FLogPaxListLabel"},
        {&m_pwgtFLogNotes, "FLogNotes"},
        {&m_pwgtFLogCrewNote, "FLogCrewNote"},
    };
    for (const auto& w : lstWidgets)
        *w.ppwgt = mscGetWidget(pBuilder, w.pszID);

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

    // The screen shows what will be stored: input stops at each field's size.
    mscLimitText(m_pwgtFLogFrom, sizeof m_rcdFLog.szFrom);
    mscLimitText(m_pwgtFLogTo, sizeof m_rcdFLog.szTo);
    mscLimitText(m_pwgtFLogPaxList, sizeof m_rcdFLog.szPaxList);
    mscLimitText(m_pwgtFLogNotes, sizeof m_rcdFLog.szNotes);

    // Student and passengers take turns in one row, which keeps its height:
    // choosing Dual must not move the rest of the card.
    GtkSizeGroup* pRow = gtk_size_group_new(GTK_SIZE_GROUP_VERTICAL);
    for (GtkWidget* pwgt : {m_pwgtFLogStudent, m_pwgtFLogPaxList})
        gtk_size_group_add_widget(pRow, pwgt);
    g_object_unref(pRow);

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

void fltDisplayUpdate() {
    MscDisplayGuard guard;
    fltDisplaySensitive(TRUE);
    displayTimes();

    const std::string strPilot = setComboPilot(m_pwgtFLogPilot, m_rcdFLog.iPilotID);
    const std::string strStudent = setComboPilot(m_pwgtFLogStudent, m_rcdFLog.iStudentID);
    gboolean bDual = (m_rcdFLog.nType & FLT_TYPE_DUAL) != 0;
    std::string strNote;
    if (!strPilot.empty())
        strNote = (bDual ? "Instructor: " : "Pilot: ") + strPilot + " (deleted pilot)";
    if (!strStudent.empty() && bDual)
        strNote += (strNote.empty() ? "" : "\n") + ("Student: " + strStudent + " (deleted pilot)");
    gtk_label_set_text(GTK_LABEL(m_pwgtFLogCrewNote), strNote.c_str());
    gtk_widget_set_visible(m_pwgtFLogCrewNote, !strNote.empty());

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
}

void fltDisplayClear() {
    MscDisplayGuard guard;
    for (GtkWidget* pwgt : {m_pwgtFLogDate, m_pwgtFLogTimeOff, m_pwgtFLogTimeOn, m_pwgtFLogElapsed,
                            m_pwgtFLogFrom, m_pwgtFLogTo, m_pwgtFLogPaxList})
        setEntryText(pwgt, "");
    setNotesText("");
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtFLogPilot), -1);
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtFLogStudent), -1);
    gtk_widget_hide(m_pwgtFLogCrewNote);
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
