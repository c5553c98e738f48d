#include "avMisc.h"

#include <cstring>

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
