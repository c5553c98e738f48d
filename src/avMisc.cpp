#include "avMisc.h"

#include <cstring>
#include <vector>

void mscCopyText(char* pszField, std::size_t nlField, const char* pszSource) {
    if (nlField == 0)
        return;
    if (!pszSource)
        pszSource = "";
    std::size_t nl = strnlen(pszSource, nlField);
    if (nl >= nlField) {
        // Cut at nlField - 1, then step back over continuation bytes so a
        // multi-byte character is dropped whole.
        nl = nlField - 1;
        auto isContinuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
        while (nl > 0 && isContinuation(static_cast<unsigned char>(pszSource[nl])))
            --nl;
    }
    memcpy(pszField, pszSource, nl);
    pszField[nl] = '\0';
}

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

gboolean mscGetIterFromID(GtkTreeIter* piterTree, GtkTreeModel* pmodTree, guint iColID, guint nID) {
    if (!piterTree || !pmodTree)
        return FALSE;
    // Reading another column type into a guint would write past it.
    if (iColID >= static_cast<guint>(gtk_tree_model_get_n_columns(pmodTree)))
        return FALSE;
    const GType nType = gtk_tree_model_get_column_type(pmodTree, static_cast<gint>(iColID));
    if (nType != G_TYPE_UINT && nType != G_TYPE_INT)
        return FALSE;
    if (!gtk_tree_model_get_iter_first(pmodTree, piterTree))
        return FALSE;
    do {
        guint nRowID = 0;
        gtk_tree_model_get(pmodTree, piterTree, iColID, &nRowID, -1);
        if (nRowID == nID)
            return TRUE;
    } while (gtk_tree_model_iter_next(pmodTree, piterTree));
    return FALSE;
}

void mscConnectField(GtkWidget* pwgtField, const wgtLUT* pwgtLUT, GCallback pfnFocusOut) {
    gpointer pLUT = const_cast<wgtLUT*>(pwgtLUT);
    if (GTK_IS_TEXT_VIEW(pwgtField))
        g_signal_connect(pwgtField, "keynav-failed", G_CALLBACK(mscKeyNavLUT), pLUT);
    else
        g_signal_connect(pwgtField, "key-press-event", G_CALLBACK(mscKeyPressLUT), pLUT);
    if (pfnFocusOut)
        g_signal_connect(pwgtField, "focus-out-event", pfnFocusOut, nullptr);
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

gboolean mscConfirmDelete(GtkWidget* pwgtNear, const char* pszTitle, const char* pszQuestion) {
    GtkWidget* pwgtTop = pwgtNear ? gtk_widget_get_toplevel(pwgtNear) : nullptr;
    GtkWidget* pdlg = gtk_message_dialog_new(
        pwgtTop && GTK_IS_WINDOW(pwgtTop) ? GTK_WINDOW(pwgtTop) : nullptr,
        static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_ERROR, GTK_BUTTONS_OK_CANCEL, nullptr);
    // Set apart: the formatting constructors would escape the markup.
    gtk_message_dialog_set_markup(GTK_MESSAGE_DIALOG(pdlg), pszTitle);
    gtk_message_dialog_format_secondary_markup(GTK_MESSAGE_DIALOG(pdlg), "%s", pszQuestion);
    gtk_window_set_position(GTK_WINDOW(pdlg), GTK_WIN_POS_CENTER_ON_PARENT);
    const gboolean bOK = gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_OK;
    gtk_widget_destroy(pdlg);
    return bOK;
}

void mscCommitEdits(GtkWidget* pwgtTree) {
    gtk_widget_grab_focus(pwgtTree);
    while (gtk_events_pending())
        gtk_main_iteration();
}

void mscComboShowText(GtkWidget* pwgtCombo, gint iTextCol, gint iSensitiveCol) {
    GtkCellLayout* playout = GTK_CELL_LAYOUT(pwgtCombo);
    gtk_cell_layout_clear(playout);
    GtkCellRenderer* prend = gtk_cell_renderer_text_new();
    gtk_cell_layout_pack_start(playout, prend, TRUE);
    gtk_cell_layout_add_attribute(playout, prend, "text", iTextCol);
    if (iSensitiveCol >= 0)
        gtk_cell_layout_add_attribute(playout, prend, "sensitive", iSensitiveCol);
}
