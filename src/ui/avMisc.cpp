#include "avMisc.h"

#include "avCnv.h"
#include "modComp.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr guint KEY_UP = 0xFF52;
constexpr guint KEY_DOWN = 0xFF54;
constexpr guint KEY_RETURN = 0xFF0D;
// Moving forward looks this far for the current field.
constexpr int LUT_SEARCH_MAX = 50;

// A field the user can reach: shown (its containers too, so a field in a
// hidden frame is passed over) and sensitive, parents included.
bool isReachable(GtkWidget* pwgt) {
    if (!pwgt || !gtk_widget_is_sensitive(pwgt))
        return false;
    for (GtkWidget* p = pwgt; p; p = gtk_widget_get_parent(p))
        if (!gtk_widget_get_visible(p))
            return false;
    return true;
}

GtkWidget* lutWidget(const wgtLUT* pEntry) {
    return pEntry->pwgtLUT ? *pEntry->pwgtLUT : nullptr;
}

} // namespace

gboolean mscKeyPressLUT(GtkWidget* pwgtCur, GdkEventKey* pevtKey, const wgtLUT* pwgtLUT) {
    if (!pevtKey || !pwgtLUT)
        return FALSE;
    switch (pevtKey->keyval) {
    case KEY_UP:
        return mscKeyPressUp(pwgtLUT, pwgtCur);
    case KEY_DOWN:
    case KEY_RETURN:
        return mscKeyPressDown(pwgtLUT, pwgtCur);
    default:
        return FALSE;
    }
}

gboolean mscKeyNavLUT(GtkWidget* pwgtCur, GtkDirectionType nDir, const wgtLUT* pwgtLUT) {
    if (!pwgtLUT)
        return FALSE;
    if (nDir == GTK_DIR_UP)
        return mscKeyPressUp(pwgtLUT, pwgtCur);
    if (nDir == GTK_DIR_DOWN)
        return mscKeyPressDown(pwgtLUT, pwgtCur);
    return FALSE;
}

gboolean mscKeyPressDown(const wgtLUT* pwgtLUT, GtkWidget* pwgtCur) {
    if (!pwgtLUT)
        return FALSE;
    int iCur = 0;
    while (iCur < LUT_SEARCH_MAX && pwgtLUT[iCur].pwgtLUT && lutWidget(&pwgtLUT[iCur]) != pwgtCur)
        ++iCur;
    // A field outside the table swallows the key.
    if (iCur >= LUT_SEARCH_MAX || !pwgtLUT[iCur].pwgtLUT || !pwgtCur)
        return TRUE;
    if (pwgtLUT[iCur].pfuncLUTCB)
        pwgtLUT[iCur].pfuncLUTCB(pwgtCur, GTK_DIR_DOWN);
    for (int i = iCur + 1; pwgtLUT[i].pwgtLUT; ++i) {
        GtkWidget* pwgt = lutWidget(&pwgtLUT[i]);
        if (isReachable(pwgt)) {
            gtk_widget_grab_focus(pwgt);
            return TRUE;
        }
    }
    return FALSE;
}

gboolean mscKeyPressUp(const wgtLUT* pwgtLUT, GtkWidget* pwgtCur) {
    if (!pwgtLUT)
        return FALSE;
    int iCur = 0;
    while (pwgtLUT[iCur].pwgtLUT && lutWidget(&pwgtLUT[iCur]) != pwgtCur)
        ++iCur;
    if (!pwgtLUT[iCur].pwgtLUT || !pwgtCur)
        return TRUE;
    if (pwgtLUT[iCur].pfuncLUTCB)
        pwgtLUT[iCur].pfuncLUTCB(pwgtCur, GTK_DIR_UP);
    for (int i = iCur - 1; i >= 0; --i) {
        GtkWidget* pwgt = lutWidget(&pwgtLUT[i]);
        if (isReachable(pwgt)) {
            gtk_widget_grab_focus(pwgt);
            return TRUE;
        }
    }
    return FALSE;
}

gboolean mscTreeRowSelect(GtkTreeView* pwgtTree, GtkTreeIter* piterTree) {
    if (!pwgtTree || !piterTree)
        return FALSE;
    GtkTreeModel* pmod = gtk_tree_view_get_model(pwgtTree);
    if (!pmod)
        return FALSE;
    GtkTreePath* path = gtk_tree_model_get_path(pmod, piterTree);
    if (!path)
        return FALSE;
    gtk_tree_view_expand_to_path(pwgtTree, path);
    gtk_tree_view_scroll_to_cell(pwgtTree, path, nullptr, TRUE, 1.0, 0.0);
    gtk_tree_selection_select_iter(gtk_tree_view_get_selection(pwgtTree), piterTree);
    gtk_tree_path_free(path);
    return TRUE;
}

namespace {

// Counts refusals, so that a field can tell whether its own edit was refused.
guint m_nRefusals = 0;
constexpr const char* TEXT_IN_KEY = "avl-text-at-focus-in";
constexpr const char* REFUSALS_IN_KEY = "avl-refusals-at-focus-in";

gchar* fieldText(GtkWidget* pwgt) {
    if (GTK_IS_ENTRY(pwgt))
        return g_strdup(gtk_entry_get_text(GTK_ENTRY(pwgt)));
    if (!GTK_IS_TEXT_VIEW(pwgt))
        return nullptr;
    GtkTextBuffer* pbuf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgt));
    GtkTextIter iterStart, iterEnd;
    gtk_text_buffer_get_bounds(pbuf, &iterStart, &iterEnd);
    return gtk_text_buffer_get_text(pbuf, &iterStart, &iterEnd, FALSE);
}

gboolean watchFocusIn(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    g_object_set_data_full(G_OBJECT(pwgt), TEXT_IN_KEY, fieldText(pwgt), g_free);
    g_object_set_data(G_OBJECT(pwgt), REFUSALS_IN_KEY, GUINT_TO_POINTER(m_nRefusals));
    return FALSE;
}

// Runs after the field's own focus-out rule: an edit it took without a
// refusal replaces whatever was refused before, and the status bar must
// not go on saying otherwise.
gboolean watchFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    const auto* pszIn = static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgt), TEXT_IN_KEY));
    gchar* pszOut = fieldText(pwgt);
    if (pszIn && pszOut && strcmp(pszIn, pszOut) != 0 &&
        GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(pwgt), REFUSALS_IN_KEY)) == m_nRefusals)
        mscRefuseClear();
    g_free(pszOut);
    return FALSE;
}

} // namespace

void mscConnectField(GtkWidget* pwgtField, const wgtLUT* pwgtLUT, GCallback pfnFocusOut) {
    gpointer pLUT = const_cast<wgtLUT*>(pwgtLUT);
    if (GTK_IS_TEXT_VIEW(pwgtField))
        g_signal_connect(pwgtField, "keynav-failed", G_CALLBACK(mscKeyNavLUT), pLUT);
    else
        g_signal_connect(pwgtField, "key-press-event", G_CALLBACK(mscKeyPressLUT), pLUT);
    if (pfnFocusOut)
        g_signal_connect(pwgtField, "focus-out-event", pfnFocusOut, nullptr);
    g_signal_connect(pwgtField, "focus-in-event", G_CALLBACK(watchFocusIn), nullptr);
    g_signal_connect_after(pwgtField, "focus-out-event", G_CALLBACK(watchFocusOut), nullptr);
}

gboolean mscTextViewStore(GtkWidget* pwgtView, char* pszField, std::size_t nlField) {
    GtkTextBuffer* pbuf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtView));
    GtkTextIter iterStart, iterEnd;
    gtk_text_buffer_get_bounds(pbuf, &iterStart, &iterEnd);
    gchar* pszText = gtk_text_buffer_get_text(pbuf, &iterStart, &iterEnd, FALSE);
    // Compared after the cut: text longer than the field is not a change
    // each time the view is left.
    std::vector<char> szNew(nlField > 0 ? nlField : 1, '\0');
    mscCopyText(szNew.data(), szNew.size(), pszText);
    g_free(pszText);
    if (nlField == 0 || strcmp(szNew.data(), pszField) == 0)
        return FALSE;
    memcpy(pszField, szNew.data(), nlField);
    return TRUE;
}

namespace {

gboolean askOKCancel(GtkWidget* pwgtNear, GtkMessageType nType, const char* pszTitle,
                     const char* pszQuestion) {
    GtkWidget* pwgtTop = pwgtNear ? gtk_widget_get_toplevel(pwgtNear) : nullptr;
    GtkWidget* pdlg = gtk_message_dialog_new(
        pwgtTop && GTK_IS_WINDOW(pwgtTop) ? GTK_WINDOW(pwgtTop) : nullptr,
        static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), nType,
        GTK_BUTTONS_OK_CANCEL, nullptr);
    // Set apart: the formatting constructors would escape the markup.
    gtk_message_dialog_set_markup(GTK_MESSAGE_DIALOG(pdlg), pszTitle);
    gtk_message_dialog_format_secondary_markup(GTK_MESSAGE_DIALOG(pdlg), "%s", pszQuestion);
    gtk_window_set_position(GTK_WINDOW(pdlg), GTK_WIN_POS_CENTER_ON_PARENT);
    if (nType == GTK_MESSAGE_QUESTION)
        gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    const gboolean bOK = gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_OK;
    gtk_widget_destroy(pdlg);
    return bOK;
}

} // namespace

gboolean mscConfirmDelete(GtkWidget* pwgtNear, const char* pszTitle, const char* pszQuestion) {
    return askOKCancel(pwgtNear, GTK_MESSAGE_ERROR, pszTitle, pszQuestion);
}

gboolean mscConfirm(GtkWidget* pwgtNear, const char* pszTitle, const char* pszQuestion) {
    return askOKCancel(pwgtNear, GTK_MESSAGE_QUESTION, pszTitle, pszQuestion);
}

gboolean mscKeepFutureDate(GtkWidget* pwgtNear, time_t tDate, const char* pszWhat) {
    if (!cnvIsFuture(tDate, time(nullptr)))
        return TRUE;
    gchar szDate[32];
    cnvDcdDate(szDate, sizeof szDate, tDate, 0);
    gchar* pszQuestion =
        g_markup_printf_escaped("%s dated %s is in the future. Keep it?", pszWhat, szDate);
    const gboolean bKeep = mscConfirm(pwgtNear, "Date in the future", pszQuestion);
    g_free(pszQuestion);
    // Answered either way, the field holds nothing refused: a refusal of an
    // earlier entry would now mislead.
    mscRefuseClear();
    return bKeep;
}

namespace {

constexpr const char* FOCUS_AFTER_KEY = "avl-focus-after-list";

gboolean focusAfterList(gpointer pList) {
    GtkWidget* pwgtList = GTK_WIDGET(pList);
    auto* pwgt = static_cast<GtkWidget*>(g_object_steal_data(G_OBJECT(pwgtList), FOCUS_AFTER_KEY));
    // Only if the list still has it: a user (or the page) who moved the
    // focus on meanwhile keeps it where it went.
    if (pwgt && gtk_widget_has_focus(pwgtList) && gtk_widget_is_sensitive(pwgt) &&
        gtk_widget_get_mapped(pwgt))
        gtk_widget_grab_focus(pwgt);
    g_object_unref(pwgtList);
    return G_SOURCE_REMOVE;
}

} // namespace

void mscFocusAfterList(GtkWidget* pwgtField, GtkWidget* pwgtList) {
    gtk_widget_grab_focus(pwgtField);
    g_object_set_data(G_OBJECT(pwgtList), FOCUS_AFTER_KEY, pwgtField);
    g_idle_add(focusAfterList, g_object_ref(pwgtList));
}

void mscCommitEdits(GtkWidget* pwgtTree) {
    // A list that is not on screen has no field being edited beside it;
    // taking the focus into a page never shown would leave the window's
    // keys aimed at a widget that cannot receive them.
    if (gtk_widget_get_mapped(pwgtTree))
        gtk_widget_grab_focus(pwgtTree);
    while (gtk_events_pending())
        gtk_main_iteration();
}

void mscCommitEditsFor(GtkWidget* pwgtTree) {
    if (!gtk_widget_is_focus(pwgtTree))
        mscCommitEdits(pwgtTree);
}

void mscSetEntry(GtkWidget* pwgt, const gchar* pszText) {
    gtk_entry_set_text(GTK_ENTRY(pwgt), pszText ? pszText : "");
}

void mscSetViewText(GtkWidget* pwgt, const gchar* pszText) {
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgt)), pszText, -1);
}

cairo_t* mscWhiteCanvas(GtkWidget* pwgt, double* pdWidth, double* pdHeight) {
    GtkAllocation alloc;
    gtk_widget_get_allocation(pwgt, &alloc);
    *pdWidth = alloc.width;
    *pdHeight = alloc.height;
    cairo_t* pcr = gdk_cairo_create(gtk_widget_get_window(pwgt));
    cairo_set_source_rgb(pcr, 1, 1, 1);
    cairo_paint(pcr);
    return pcr;
}

gboolean mscIsBlank(const gchar* psz) {
    for (; *psz; ++psz)
        if (!g_ascii_isspace(*psz))
            return FALSE;
    return TRUE;
}

gboolean mscReadCount(const gchar* pszText, guint nMax, guint* pn) {
    while (g_ascii_isspace(*pszText))
        ++pszText;
    guint64 n = 0;
    const gchar* psz = pszText;
    for (; g_ascii_isdigit(*psz); ++psz) {
        n = n * 10 + guint(*psz - '0');
        if (n > nMax)
            return FALSE;
    }
    if (psz == pszText || !mscIsBlank(psz))
        return FALSE;
    *pn = guint(n);
    return TRUE;
}

void mscComboShowText(GtkWidget* pwgtCombo, gint iTextCol, gint iSensitiveCol, gint nWidthChars) {
    GtkCellLayout* playout = GTK_CELL_LAYOUT(pwgtCombo);
    gtk_cell_layout_clear(playout);
    GtkCellRenderer* prend = gtk_cell_renderer_text_new();
    mscEllipsize(prend, nWidthChars);
    gtk_cell_layout_pack_start(playout, prend, TRUE);
    gtk_cell_layout_add_attribute(playout, prend, "text", iTextCol);
    if (iSensitiveCol >= 0)
        gtk_cell_layout_add_attribute(playout, prend, "sensitive", iSensitiveCol);
}

namespace {

GtkStatusbar* m_pwgtStatus = nullptr;
guint m_idStatusContext = 0;
std::string m_strLastRefusal;
int m_nDisplaying = 0;

void statusDestroyed(gpointer, GObject*) {
    m_pwgtStatus = nullptr;
}

} // namespace

void mscInitialize(GtkStatusbar* pwgtStatus) {
    if (m_pwgtStatus)
        g_object_weak_unref(G_OBJECT(m_pwgtStatus), statusDestroyed, nullptr);
    m_pwgtStatus = pwgtStatus;
    m_strLastRefusal.clear();
    if (!pwgtStatus)
        return;
    // The program is started more than once in one test process: forget a
    // status bar that went with its window.
    g_object_weak_ref(G_OBJECT(pwgtStatus), statusDestroyed, nullptr);
    m_idStatusContext = gtk_statusbar_get_context_id(pwgtStatus, "refusal");
}

void mscRefuse(GtkWidget* pwgtField, const gchar* pszWhy) {
    ++m_nRefusals;
    g_debug("refused: %s", pszWhy ? pszWhy : "");
    if (pwgtField && gtk_widget_get_realized(pwgtField))
        gtk_widget_error_bell(pwgtField);
    else
        gdk_beep();
    mscNotice(pszWhy);
}

void mscNotice(const gchar* pszText) {
    m_strLastRefusal = pszText ? pszText : "";
    if (m_pwgtStatus) {
        gtk_statusbar_remove_all(m_pwgtStatus, m_idStatusContext);
        gtk_statusbar_push(m_pwgtStatus, m_idStatusContext, m_strLastRefusal.c_str());
    }
}

const gchar* mscLastRefusal() {
    return m_strLastRefusal.c_str();
}

void mscRefuseClear() {
    m_strLastRefusal.clear();
    if (m_pwgtStatus)
        gtk_statusbar_remove_all(m_pwgtStatus, m_idStatusContext);
}

MscDisplayGuard::MscDisplayGuard() {
    ++m_nDisplaying;
}
MscDisplayGuard::~MscDisplayGuard() {
    --m_nDisplaying;
}
gboolean mscDisplaying() {
    // The component model empties its tree without a guard of ours.
    return m_nDisplaying > 0 || cmodClearing();
}

GtkWidget* mscGetWidget(GtkBuilder* pBuilder, const char* pszID) {
    GObject* pObject = pBuilder ? gtk_builder_get_object(pBuilder, pszID) : nullptr;
    if (!pObject || !GTK_IS_WIDGET(pObject)) {
        g_warning("the UI file has no widget %s", pszID);
        return nullptr;
    }
    return GTK_WIDGET(pObject);
}

gboolean mscEntryStore(GtkWidget* pwgtEntry, char* pszField, std::size_t nlField) {
    if (nlField == 0)
        return FALSE;
    std::vector<char> szNew(nlField, '\0');
    mscCopyText(szNew.data(), nlField, gtk_entry_get_text(GTK_ENTRY(pwgtEntry)));
    if (strcmp(szNew.data(), pszField) == 0)
        return FALSE;
    memcpy(pszField, szNew.data(), nlField);
    return TRUE;
}

namespace {

// Bytes of the longest run of whole characters of pszText (nlText bytes,
// -1: up to its end) that fits into nlRoom bytes.
std::size_t fittingBytes(const gchar* pszText, gint nlText, std::size_t nlRoom) {
    const std::size_t nl = nlText < 0 ? strlen(pszText) : std::size_t(nlText);
    if (nl <= nlRoom)
        return nl;
    const gchar* pszEnd = pszText + nlRoom;
    // Step back to the start of the character that would be cut.
    while (pszEnd > pszText && (static_cast<unsigned char>(*pszEnd) & 0xC0) == 0x80)
        --pszEnd;
    return std::size_t(pszEnd - pszText);
}

void refuseTooLong(GtkWidget* pwgt, std::size_t nlField) {
    char szWhy[120];
    g_snprintf(szWhy, sizeof szWhy,
               "The field is full: the text that did not fit was not taken (%zu bytes at most).",
               nlField - 1);
    mscRefuse(pwgt, szWhy);
}

void entryInsertText(GtkEditable* pEditable, gchar* pszNew, gint nlNew, gint* piPos,
                     gpointer pLimit) {
    const std::size_t nlField = GPOINTER_TO_SIZE(pLimit);
    const std::size_t nlHave = strlen(gtk_entry_get_text(GTK_ENTRY(pEditable)));
    const std::size_t nlRoom = nlField - 1 > nlHave ? nlField - 1 - nlHave : 0;
    const std::size_t nlFit = fittingBytes(pszNew, nlNew, nlRoom);
    if (nlFit == (nlNew < 0 ? strlen(pszNew) : std::size_t(nlNew)))
        return;
    // Insert what fits ourselves, with this handler held off.
    g_signal_handlers_block_by_func(pEditable, gpointer(entryInsertText), pLimit);
    if (nlFit > 0)
        gtk_editable_insert_text(pEditable, pszNew, gint(nlFit), piPos);
    g_signal_handlers_unblock_by_func(pEditable, gpointer(entryInsertText), pLimit);
    g_signal_stop_emission_by_name(pEditable, "insert-text");
    refuseTooLong(GTK_WIDGET(pEditable), nlField);
}

// The capacity of a limited text view, kept on the view itself.
constexpr const char* LIMIT_KEY = "avl-field-bytes";

void bufferInsertText(GtkTextBuffer* pbuf, GtkTextIter* piter, gchar* pszNew, gint nlNew,
                      gpointer pView) {
    const std::size_t nlField = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(pView), LIMIT_KEY));
    GtkTextIter iterStart, iterEnd;
    gtk_text_buffer_get_bounds(pbuf, &iterStart, &iterEnd);
    gchar* pszHave = gtk_text_buffer_get_text(pbuf, &iterStart, &iterEnd, FALSE);
    const std::size_t nlHave = strlen(pszHave);
    g_free(pszHave);
    const std::size_t nlRoom = nlField - 1 > nlHave ? nlField - 1 - nlHave : 0;
    const std::size_t nlFit = fittingBytes(pszNew, nlNew, nlRoom);
    if (nlFit == (nlNew < 0 ? strlen(pszNew) : std::size_t(nlNew)))
        return;
    g_signal_handlers_block_by_func(pbuf, gpointer(bufferInsertText), pView);
    if (nlFit > 0)
        gtk_text_buffer_insert(pbuf, piter, pszNew, gint(nlFit));
    g_signal_handlers_unblock_by_func(pbuf, gpointer(bufferInsertText), pView);
    g_signal_stop_emission_by_name(pbuf, "insert-text");
    refuseTooLong(GTK_WIDGET(pView), nlField);
}

} // namespace

void mscLimitText(GtkWidget* pwgtField, std::size_t nlField) {
    if (!pwgtField || nlField == 0)
        return;
    if (GTK_IS_ENTRY(pwgtField)) {
        g_signal_connect(pwgtField, "insert-text", G_CALLBACK(entryInsertText),
                         GSIZE_TO_POINTER(nlField));
        return;
    }
    if (!GTK_IS_TEXT_VIEW(pwgtField))
        return;
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(pwgtField), GTK_WRAP_WORD_CHAR);
    // A scroller that never scrolls sideways asks for the whole width of
    // its text, wrapped or not: the window would still grow with it.
    GtkWidget* pwgtParent = gtk_widget_get_parent(pwgtField);
    if (GTK_IS_SCROLLED_WINDOW(pwgtParent)) {
        GtkPolicyType nH = GTK_POLICY_AUTOMATIC, nV = GTK_POLICY_AUTOMATIC;
        gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(pwgtParent), &nH, &nV);
        if (nH == GTK_POLICY_NEVER)
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(pwgtParent), GTK_POLICY_AUTOMATIC,
                                           nV);
    }
    g_object_set_data(G_OBJECT(pwgtField), LIMIT_KEY, GSIZE_TO_POINTER(nlField));
    g_signal_connect_object(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtField)), "insert-text",
                            G_CALLBACK(bufferInsertText), pwgtField, GConnectFlags(0));
}

gboolean mscEntryDateStore(GtkWidget* pwgtEntry, time_t* ptField) {
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgtEntry));
    gchar* pszTrim = g_strstrip(g_strdup(pszText));
    gboolean bChanged = FALSE;
    if (!*pszTrim) {
        // 0 and -1 both mean "no date": leaving an empty field is no edit.
        bChanged = *ptField > 0;
        if (bChanged)
            *ptField = -1;
    } else {
        time_t t = -1;
        const gchar* pszWhy = nullptr;
        if (!cnvReadDate(&t, pszTrim, FALSE, &pszWhy)) {
            gchar* pszText = g_strdup_printf("%s The date stays as it was.",
                                             pszWhy ? pszWhy : "This is not a date.");
            mscRefuse(pwgtEntry, pszText);
            g_free(pszText);
        } else if (t != *ptField) {
            *ptField = t;
            bChanged = TRUE;
        }
    }
    g_free(pszTrim);
    gchar szDate[24];
    cnvDcdDate(szDate, sizeof szDate, *ptField, 0);
    gtk_entry_set_text(GTK_ENTRY(pwgtEntry), szDate);
    return bChanged;
}

void mscEllipsize(GtkCellRenderer* pRenderer, gint nWidthChars) {
    if (nWidthChars > 0)
        g_object_set(pRenderer, "ellipsize", PANGO_ELLIPSIZE_END, "width-chars", nWidthChars,
                     nullptr);
}
