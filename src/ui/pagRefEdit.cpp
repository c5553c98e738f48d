#include "pagRefEdit.h"

#include "avError.h"
#include "avMisc.h"
#include "refGeom.h"
#include "sqlMLog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum { REF_FILEID_COL, REF_FILENAME_COL, REF_NUM_COL };

constexpr std::array<const char*, REF_TGT_NUM> m_lstShapeNames{"None", "Rect", "Circle", "Arrow"};

GtkTreeStore* m_pstoRef = nullptr; // the page's, which keeps it
RefViewOps m_opsView{};
rcdRef m_rcdRef;
rcdTarget m_rcdTgt;
GtkListStore* m_pstoFile = nullptr;
GtkWidget* m_pwgtSetup = nullptr;
GtkWidget* m_pwgtSetupFileName = nullptr;
GtkWidget* m_pwgtSetupSame = nullptr;
GtkWidget* m_pwgtSetupTree = nullptr;
GtkTreeSelection* m_pselSetup = nullptr;
// The tree rows of the records being edited: a change is written into its
// own record's row even when the selection has already moved on.
GtkTreeRowReference* m_prefRowRef = nullptr;
GtkTreeRowReference* m_prefRowTgt = nullptr;
std::array<GtkWidget*, REF_TGT_NUM> m_lstShapeRadio{};

// The editor's target entries, one row each.
struct SetupEntry {
    const char* pszID;
    const char* pszName;
    guint rcdTarget::*pnField;
    RefEntryKind nKind;
    guint nMax;
    bool bTyped; // X and Y come from a right click on the drawing
    GtkWidget* pwgt;
};
std::array<SetupEntry, 8> m_lstSetupEntries{{
    {"RefSetupX", "X", &rcdTarget::nX, REF_ENTRY_INTEGER, 0, false, nullptr},
    {"RefSetupY", "Y", &rcdTarget::nY, REF_ENTRY_INTEGER, 0, false, nullptr},
    {"RefSetupWidth", "Width", &rcdTarget::nWidth, REF_ENTRY_DECIMAL, REF_PICTURE_MAX, true,
     nullptr},
    {"RefSetupHeight", "Height", &rcdTarget::nHeight, REF_ENTRY_INTEGER, REF_PICTURE_MAX, true,
     nullptr},
    {"RefSetupLen", "Length", &rcdTarget::nLen, REF_ENTRY_INTEGER, REF_PICTURE_MAX, true, nullptr},
    {"RefSetupAngle", "Angle", &rcdTarget::nAngle, REF_ENTRY_INTEGER, 360, true, nullptr},
    {"RefSetupWeight", "Weight", &rcdTarget::nWeight, REF_ENTRY_INTEGER, 100, true, nullptr},
    {"RefSetupColour", "Colour", &rcdTarget::nColour, REF_ENTRY_COLOUR, 0xFFFFFF, true, nullptr},
}};

void saveRef(const char* pszFunction, const char* pszLocus) {
    if (m_rcdRef.bDirty && !sqlUpdateRefRecord(&m_rcdRef))
        dlgError(sqlLastError(), pszFunction, pszLocus);
}

void saveTgt(const char* pszFunction, const char* pszLocus) {
    if (m_rcdTgt.bDirty && !sqlUpdateTargetRecord(&m_rcdTgt))
        dlgError(sqlLastError(), pszFunction, pszLocus);
}

void refDisplayRefSensitive(gboolean b) {
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtSetupFileName), b);
}

void refDisplayTgtSensitive(gboolean b) {
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_lstSetupEntries[0].pwgt), b);
}

void refDisplayRefUpdate() {
    MscDisplayGuard guard;
    GtkTreeModel* pmod = GTK_TREE_MODEL(m_pstoFile);
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gchar* pszName = nullptr;
        gtk_tree_model_get(pmod, &iter, REF_FILENAME_COL, &pszName, -1);
        const bool bSame = g_strcmp0(pszName, m_rcdRef.szDrawing) == 0;
        g_free(pszName);
        if (bSame) {
            gtk_combo_box_set_active_iter(GTK_COMBO_BOX(m_pwgtSetupFileName), &iter);
            return;
        }
    }
    // A name the data directory does not have: show no file rather than another's.
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtSetupFileName), -1);
}

void refDisplayRefClear() {
    MscDisplayGuard guard;
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtSetupFileName), -1);
}

void showColour(char* psz, size_t nl, guint nColour) {
    if (nColour)
        g_snprintf(psz, nl, "#%06X", nColour);
    else
        g_snprintf(psz, nl, "0");
}

void refDisplayTgtUpdate() {
    MscDisplayGuard guard;
    for (const SetupEntry& e : m_lstSetupEntries) {
        char sz[20];
        if (e.nKind == REF_ENTRY_COLOUR)
            showColour(sz, sizeof sz, m_rcdTgt.*e.pnField);
        else
            g_snprintf(sz, sizeof sz, "%u", m_rcdTgt.*e.pnField);
        gtk_entry_set_text(GTK_ENTRY(e.pwgt), sz);
    }
    if (m_rcdTgt.iShape < REF_TGT_NUM)
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_lstShapeRadio[m_rcdTgt.iShape]), TRUE);
}

void refDisplayTgtClear() {
    MscDisplayGuard guard;
    for (const SetupEntry& e : m_lstSetupEntries)
        gtk_entry_set_text(GTK_ENTRY(e.pwgt), "");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_lstShapeRadio[REF_TGT_NONE]), TRUE);
}

// A field being edited on the shown page commits before records are
// saved. A card chosen on the component page must not pull the focus over
// to this page: nothing here is being edited then.
void commitEdits() {
    if (gtk_widget_is_drawable(m_pwgtSetupTree))
        mscCommitEdits(m_pwgtSetupTree);
}

gboolean selectedRow(GtkTreeIter* piter, guint* pnKind, guint* piID) {
    if (!m_pselSetup || !gtk_tree_selection_get_selected(m_pselSetup, nullptr, piter))
        return FALSE;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoRef), piter, REF_COL_KIND, pnKind, REF_COL_ID, piID,
                       -1);
    return TRUE;
}

void rememberRow(GtkTreeRowReference** ppref, GtkTreeIter* piter) {
    g_clear_pointer(ppref, gtk_tree_row_reference_free);
    GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(m_pstoRef), piter);
    *ppref = gtk_tree_row_reference_new(GTK_TREE_MODEL(m_pstoRef), path);
    gtk_tree_path_free(path);
}

gboolean rowOf(GtkTreeRowReference* pref, GtkTreeIter* piter) {
    if (!pref || !gtk_tree_row_reference_valid(pref))
        return FALSE;
    GtkTreePath* path = gtk_tree_row_reference_get_path(pref);
    const gboolean bOk = gtk_tree_model_get_iter(GTK_TREE_MODEL(m_pstoRef), piter, path);
    gtk_tree_path_free(path);
    return bOk;
}

void refModelRowUpdate() {
    GtkTreeIter iter;
    if (rowOf(m_prefRowRef, &iter))
        gtk_tree_store_set(m_pstoRef, &iter, REF_COL_ID, m_rcdRef.iRefID, REF_COL_FILE,
                           m_rcdRef.szDrawing, -1);
    if (!rowOf(m_prefRowTgt, &iter))
        return;
    refTargetRowSet(m_pstoRef, &iter, m_rcdTgt);
    m_opsView.pfuncRedraw();
}

// The editor works on the drawing of the selected row: the viewer shows it.
void showDrawingOfRow(GtkTreeIter* piter) {
    GtkTreeIter iterRef = *piter, iterParent;
    if (gtk_tree_model_iter_parent(GTK_TREE_MODEL(m_pstoRef), &iterParent, piter))
        iterRef = iterParent;
    GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(m_pstoRef), &iterRef);
    const guint iIndex = guint(gtk_tree_path_get_indices(path)[0]);
    gtk_tree_path_free(path);
    m_opsView.pfuncShowDrawing(iIndex);
}

void refOnRowChanged(GtkTreeSelection*, gpointer) {
    if (mscDisplaying())
        return;
    GtkTreeIter iter;
    guint nKind = 0, iID = 0;
    if (!selectedRow(&iter, &nKind, &iID)) {
        refDisplayRefClear();
        refDisplayRefSensitive(FALSE);
        refDisplayTgtSensitive(FALSE);
        return;
    }
    commitEdits();
    saveRef("refOnRowChanged()", "pagRefEdit");
    saveTgt("refOnRowChanged()", "pagRefEdit");
    // The events run above may have changed the selection.
    if (!selectedRow(&iter, &nKind, &iID))
        return;
    showDrawingOfRow(&iter);
    if (nKind == REF_ROW_REF) {
        m_rcdRef = rcdRef{};
        cbRef cb{&m_rcdRef, nullptr};
        if (!sqlLoadRefRecord(&cb, iID))
            dlgError(sqlLastError(), "refOnRowChanged()", "pagRefEdit");
        rememberRow(&m_prefRowRef, &iter);
        g_clear_pointer(&m_prefRowTgt, gtk_tree_row_reference_free);
        refDisplayRefUpdate();
        refDisplayTgtClear();
        refDisplayRefSensitive(TRUE);
        refDisplayTgtSensitive(FALSE);
        refModelRowUpdate();
    } else {
        m_rcdTgt = rcdTarget{};
        cbTarget cb{&m_rcdTgt, nullptr};
        if (!sqlLoadTargetRecord(&cb, iID))
            dlgError(sqlLastError(), "refOnRowChanged()", "pagRefEdit");
        if (m_rcdTgt.iShape >= REF_TGT_NUM)
            m_rcdTgt.iShape = REF_TGT_NONE;
        rememberRow(&m_prefRowTgt, &iter);
        refDisplayTgtUpdate();
        refDisplayRefSensitive(FALSE);
        refDisplayTgtSensitive(TRUE);
    }
    m_opsView.pfuncRedraw();
}

// m_rcdTgt is a target of the tree, whose entries the user is editing.
gboolean targetCurrent() {
    GtkTreeIter iter;
    return rowOf(m_prefRowTgt, &iter);
}

// A target row is selected and m_rcdTgt is its record.
gboolean targetSelected() {
    GtkTreeIter iter;
    guint nKind = 0, iID = 0;
    return selectedRow(&iter, &nKind, &iID) && nKind == REF_ROW_TGT && iID == m_rcdTgt.iTargetID;
}

void applyTarget() {
    m_rcdTgt.bDirty = TRUE;
    refDisplayTgtUpdate();
    refModelRowUpdate();
    m_opsView.pfuncRedraw();
}

gboolean refOnSetupEntryFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    const auto pe = std::find_if(m_lstSetupEntries.begin(), m_lstSetupEntries.end(),
                                 [pwgt](const SetupEntry& e) { return e.pwgt == pwgt; });
    if (mscDisplaying() || pe == m_lstSetupEntries.end() || !pe->bTyped || !targetCurrent())
        return FALSE;
    guint nValue = 0;
    const char* pszWhy = "";
    if (!refReadSetupValue(gtk_entry_get_text(GTK_ENTRY(pwgt)), pe->nKind, pe->nMax, &nValue,
                           &pszWhy)) {
        refDisplayTgtUpdate();
        gchar* pszMsg = g_strdup_printf("%s %s", pe->pszName, pszWhy);
        mscRefuse(pwgt, pszMsg);
        g_free(pszMsg);
        return FALSE;
    }
    if (nValue != m_rcdTgt.*pe->pnField) {
        m_rcdTgt.*pe->pnField = nValue;
        applyTarget();
    } else {
        refDisplayTgtUpdate(); // "12.0" shows as the 12 that is stored
    }
    return FALSE;
}

void refOnSetupShapeToggled(GtkToggleButton* pwgt, gpointer pShape) {
    const guint iShape = GPOINTER_TO_UINT(pShape);
    if (mscDisplaying() || !gtk_toggle_button_get_active(pwgt) || !targetCurrent() ||
        iShape == m_rcdTgt.iShape)
        return;
    m_rcdTgt.iShape = iShape;
    applyTarget();
}

void refOnSetupFilenameChanged(GtkComboBox* pwgt, gpointer) {
    GtkTreeIter iter, iterRow;
    guint nKind = 0, iID = 0;
    if (mscDisplaying() || !gtk_combo_box_get_active_iter(pwgt, &iter) ||
        !selectedRow(&iterRow, &nKind, &iID) || nKind != REF_ROW_REF || iID != m_rcdRef.iRefID)
        return;
    gchar* pszName = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoFile), &iter, REF_FILENAME_COL, &pszName, -1);
    if (g_strcmp0(pszName, m_rcdRef.szDrawing) != 0) {
        mscCopyText(m_rcdRef.szDrawing, pszName);
        m_rcdRef.bDirty = TRUE;
        refModelRowUpdate();
        m_opsView.pfuncDrawingsChanged();
    }
    g_free(pszName);
}

void refOnSetupNewRef(GtkButton*, gpointer) {
    const guint iCompID = m_opsView.pfuncCompID();
    if (iCompID == REF_ID_NONE || iCompID == 0)
        return;
    commitEdits();
    saveRef("refOnSetupNewRef()", "pagRefEdit");
    saveTgt("refOnSetupNewRef()", "pagRefEdit");
    m_rcdRef = rcdRef{};
    g_clear_pointer(&m_prefRowRef, gtk_tree_row_reference_free);
    m_rcdRef.iCompID = iCompID;
    m_rcdRef.iRefID = REF_ID_NONE;
    if (!sqlUpdateRefRecord(&m_rcdRef)) {
        dlgError(sqlLastError(), "refOnSetupNewRef()", "pagRefEdit");
        return;
    }
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoRef, &iter, nullptr);
    gtk_tree_store_set(m_pstoRef, &iter, REF_COL_KIND, REF_ROW_REF, REF_COL_ID, m_rcdRef.iRefID,
                       REF_COL_FILE, "", -1);
    m_opsView.pfuncDrawingsChanged();
    mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtSetupTree), &iter);
}

void refOnSetupNewTgt(GtkButton*, gpointer) {
    // The new target belongs to the reference of the selected row, which
    // must be stored: never reference 0 or one just deleted.
    GtkTreeIter iter, iterRef;
    guint nKind = 0, iID = 0, iRefID = 0;
    if (!selectedRow(&iter, &nKind, &iID))
        return;
    if (nKind == REF_ROW_REF)
        iterRef = iter;
    else if (!gtk_tree_model_iter_parent(GTK_TREE_MODEL(m_pstoRef), &iterRef, &iter))
        return;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoRef), &iterRef, REF_COL_ID, &iRefID, -1);
    if (iRefID == 0 || iRefID == REF_ID_NONE)
        return;
    commitEdits();
    saveRef("refOnSetupNewTgt()", "pagRefEdit");
    saveTgt("refOnSetupNewTgt()", "pagRefEdit");

    const rcdTarget rcdLast = m_rcdTgt;
    m_rcdTgt = rcdTarget{};
    g_clear_pointer(&m_prefRowTgt, gtk_tree_row_reference_free);
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtSetupSame)) && rcdLast.iTargetID &&
        rcdLast.iRefID == iRefID) {
        // "Same as last": the shape and size of the last target, ready to place.
        m_rcdTgt = rcdLast;
        m_rcdTgt.bDelete = FALSE;
    } else {
        // Placed at the middle of the picture until the user right-clicks.
        m_opsView.pfuncPictureCentre(&m_rcdTgt.nX, &m_rcdTgt.nY);
    }
    m_rcdTgt.iRefID = iRefID;
    m_rcdTgt.iTargetID = REF_ID_NONE;
    m_rcdTgt.bDirty = TRUE;
    if (!sqlUpdateTargetRecord(&m_rcdTgt)) {
        dlgError(sqlLastError(), "refOnSetupNewTgt()", "pagRefEdit");
        m_rcdTgt = rcdTarget{};
        return;
    }
    GtkTreeIter iterNew;
    gtk_tree_store_append(m_pstoRef, &iterNew, &iterRef);
    gtk_tree_store_set(m_pstoRef, &iterNew, REF_COL_KIND, REF_ROW_TGT, REF_COL_ID,
                       m_rcdTgt.iTargetID, -1);
    mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtSetupTree), &iterNew);
    refModelRowUpdate();
    m_opsView.pfuncRedraw();
}

// Marks a target deleted in the catalogue (the targets of a deleted reference go with it).
void deleteTarget(guint iTargetID) {
    rcdTarget rcd{};
    cbTarget cb{&rcd, nullptr};
    if (!sqlLoadTargetRecord(&cb, iTargetID) || rcd.iTargetID != iTargetID)
        return;
    rcd.bDelete = TRUE;
    rcd.bDirty = TRUE;
    if (!sqlUpdateTargetRecord(&rcd))
        dlgError(sqlLastError(), "refOnSetupDelete()", "pagRefEdit");
}

void refOnSetupDelete(GtkButton*, gpointer) {
    GtkTreeIter iter;
    guint nKind = 0, iID = 0;
    if (!selectedRow(&iter, &nKind, &iID))
        return;
    const bool bRef = nKind == REF_ROW_REF;
    if (!mscConfirmDelete(m_pwgtSetupTree,
                          bRef ? "<span color='red'><b>*** Delete Reference Drawing ***</b></span>"
                               : "<span color='red'><b>*** Delete Target ***</b></span>",
                          bRef ? "<span color='dark blue'>This drawing and its targets will be "
                                 "removed from the component.</span>\n\n"
                                 "<span color='blue'>Are you sure?</span>"
                               : "<span color='dark blue'>This target will be removed from the "
                                 "drawing.</span>\n\n<span color='blue'>Are you sure?</span>"))
        return;
    commitEdits();
    if (bRef) {
        // The drawing and its targets go together, also if the program dies half-way.
        sqlBeginWrite(TRUE);
        if (m_rcdRef.iRefID != iID) {
            m_rcdRef = rcdRef{};
            cbRef cb{&m_rcdRef, nullptr};
            sqlLoadRefRecord(&cb, iID);
        }
        GtkTreeIter iterTgt;
        for (gboolean b = gtk_tree_model_iter_children(GTK_TREE_MODEL(m_pstoRef), &iterTgt, &iter);
             b; b = gtk_tree_model_iter_next(GTK_TREE_MODEL(m_pstoRef), &iterTgt)) {
            guint iTgtID = 0;
            gtk_tree_model_get(GTK_TREE_MODEL(m_pstoRef), &iterTgt, REF_COL_ID, &iTgtID, -1);
            deleteTarget(iTgtID);
            if (m_rcdTgt.iTargetID == iTgtID)
                m_rcdTgt = rcdTarget{};
        }
        m_rcdRef.bDelete = TRUE;
        m_rcdRef.bDirty = TRUE;
        saveRef("refOnSetupDelete()", "pagRefEdit");
        sqlEndWrite(TRUE, TRUE);
        m_rcdRef = rcdRef{};
    } else {
        saveTgt("refOnSetupDelete()", "pagRefEdit");
        deleteTarget(iID);
        m_rcdTgt = rcdTarget{};
    }
    // Written at once: a deletion must not wait for a save that may never come.
    gtk_tree_store_remove(m_pstoRef, &iter);
    m_opsView.pfuncDrawingsChanged();
}

// The picture files the editor offers: the names in the data directory
// that contain ".png" and fit the field, sorted.
void fillFileList() {
    GError* pError = nullptr;
    GDir* pDir = nullptr;
    for (const char* pszDir : {"../etc", "/avLedger/etc"}) {
        g_clear_error(&pError);
        if ((pDir = g_dir_open(pszDir, 0, &pError)))
            break;
    }
    if (!pDir) {
        gchar* pszMsg = g_strdup_printf("refEditInitialize(): %s", pError ? pError->message : "");
        dlgError(pszMsg, "refEditInitialize()", "pagRefEdit");
        g_free(pszMsg);
        g_clear_error(&pError);
        return;
    }
    std::vector<std::string> lstNames;
    while (const gchar* pszName = g_dir_read_name(pDir))
        if (strstr(pszName, ".png") && refDrawingNameOk(pszName))
            lstNames.emplace_back(pszName);
    g_dir_close(pDir);
    std::sort(lstNames.begin(), lstNames.end());
    guint n = 0;
    for (const auto& str : lstNames) {
        GtkTreeIter iter;
        gtk_list_store_append(m_pstoFile, &iter);
        gtk_list_store_set(m_pstoFile, &iter, REF_FILEID_COL, n++, REF_FILENAME_COL, str.c_str(),
                           -1);
    }
}

void addTextColumn(GtkTreeView* pwgtTree, const char* pszTitle, gint iCol) {
    GtkCellRenderer* prend = gtk_cell_renderer_text_new();
    gtk_tree_view_insert_column_with_attributes(pwgtTree, -1, pszTitle, prend, "text", iCol,
                                                nullptr);
}

} // namespace

void refTargetRowSet(GtkTreeStore* psto, GtkTreeIter* piter, const rcdTarget& tgt) {
    const guint iShape = tgt.iShape < REF_TGT_NUM ? tgt.iShape : guint(REF_TGT_NONE);
    gtk_tree_store_set(psto, piter, REF_COL_KIND, REF_ROW_TGT, REF_COL_ID, tgt.iTargetID, REF_COL_X,
                       tgt.nX, REF_COL_Y, tgt.nY, REF_COL_WIDTH, tgt.nWidth, REF_COL_HEIGHT,
                       tgt.nHeight, REF_COL_LEN, tgt.nLen, REF_COL_ANGLE, tgt.nAngle,
                       REF_COL_SHAPE_NAME, m_lstShapeNames[iShape], REF_COL_SHAPE, iShape,
                       REF_COL_WEIGHT, tgt.nWeight, REF_COL_COLOUR, tgt.nColour, -1);
}

rcdTarget refTargetRowGet(GtkTreeModel* pmod, GtkTreeIter* piter) {
    rcdTarget tgt{};
    gtk_tree_model_get(pmod, piter, REF_COL_ID, &tgt.iTargetID, REF_COL_X, &tgt.nX, REF_COL_Y,
                       &tgt.nY, REF_COL_WIDTH, &tgt.nWidth, REF_COL_HEIGHT, &tgt.nHeight,
                       REF_COL_LEN, &tgt.nLen, REF_COL_ANGLE, &tgt.nAngle, REF_COL_SHAPE,
                       &tgt.iShape, REF_COL_WEIGHT, &tgt.nWeight, REF_COL_COLOUR, &tgt.nColour, -1);
    return tgt;
}

void refEditInitialize(GtkBuilder* pBuilder, GtkTreeStore* pstoRef, const RefViewOps& ops) {
    m_pstoRef = pstoRef;
    m_opsView = ops;
    m_rcdRef = rcdRef{};
    m_rcdTgt = rcdTarget{};
    m_pwgtSetup = mscGetWidget(pBuilder, "RefSetup");
    m_pwgtSetupFileName = mscGetWidget(pBuilder, "RefSetupFileName");
    m_pwgtSetupSame = mscGetWidget(pBuilder, "RefSetupSame");
    m_pwgtSetupTree = mscGetWidget(pBuilder, "RefSetupSelectTree");

    m_pstoFile = gtk_list_store_new(REF_NUM_COL, G_TYPE_UINT, G_TYPE_STRING);
    fillFileList();
    gtk_combo_box_set_model(GTK_COMBO_BOX(m_pwgtSetupFileName), GTK_TREE_MODEL(m_pstoFile));
    g_object_unref(m_pstoFile); // the combo keeps it
    mscComboShowText(m_pwgtSetupFileName, REF_FILENAME_COL, -1);
    g_signal_connect(m_pwgtSetupFileName, "changed", G_CALLBACK(refOnSetupFilenameChanged),
                     nullptr);

    for (SetupEntry& e : m_lstSetupEntries) {
        e.pwgt = mscGetWidget(pBuilder, e.pszID);
        mscConnectField(e.pwgt, nullptr, G_CALLBACK(refOnSetupEntryFocusOut));
    }
    constexpr std::array<const char*, REF_TGT_NUM> lstRadioIDs{
        "RefSetupShapeNone", "RefSetupShapeRect", "RefSetupShapeCircle", "RefSetupShapeArrow"};
    for (guint i = 0; i < REF_TGT_NUM; ++i) {
        m_lstShapeRadio[i] = mscGetWidget(pBuilder, lstRadioIDs[i]);
        g_signal_connect(m_lstShapeRadio[i], "toggled", G_CALLBACK(refOnSetupShapeToggled),
                         GUINT_TO_POINTER(i));
    }
    g_signal_connect(mscGetWidget(pBuilder, "RefSetupNewRef"), "clicked",
                     G_CALLBACK(refOnSetupNewRef), nullptr);
    g_signal_connect(mscGetWidget(pBuilder, "RefSetupNewTgt"), "clicked",
                     G_CALLBACK(refOnSetupNewTgt), nullptr);
    g_signal_connect(mscGetWidget(pBuilder, "RefSetupDelete"), "clicked",
                     G_CALLBACK(refOnSetupDelete), nullptr);

    GtkTreeView* pwgtTree = GTK_TREE_VIEW(m_pwgtSetupTree);
    gtk_tree_view_set_model(pwgtTree, GTK_TREE_MODEL(m_pstoRef));
    addTextColumn(pwgtTree, "Filename", REF_COL_FILE);
    addTextColumn(pwgtTree, "X", REF_COL_X);
    addTextColumn(pwgtTree, "Y", REF_COL_Y);
    addTextColumn(pwgtTree, "Shape", REF_COL_SHAPE_NAME);
    m_pselSetup = gtk_tree_view_get_selection(pwgtTree);
    g_signal_connect(m_pselSetup, "changed", G_CALLBACK(refOnRowChanged), nullptr);

    refDisplayRefSensitive(FALSE);
    refDisplayTgtSensitive(FALSE);
    gtk_widget_show_all(m_pwgtSetup);
}

gboolean refEditOnDrawingClick(GtkWidget*, GdkEventButton* pevt, gpointer) {
    if (pevt->type != GDK_BUTTON_PRESS || pevt->button != 3 || !targetSelected() ||
        !m_opsView.pfuncPictureAt(pevt->x, pevt->y, &m_rcdTgt.nX, &m_rcdTgt.nY))
        return FALSE; // the help text shows
    applyTarget();
    return TRUE;
}

void refEditSelectFirst() {
    GtkTreeIter iter;
    gtk_tree_model_get_iter_first(GTK_TREE_MODEL(m_pstoRef), &iter);
    gtk_tree_selection_unselect_all(m_pselSetup);
    mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtSetupTree), &iter);
}

void refEditSave(const char* pszFunction, const char* pszLocus) {
    saveRef(pszFunction, pszLocus);
    saveTgt(pszFunction, pszLocus);
}

void refEditClear() {
    m_rcdRef = rcdRef{};
    m_rcdTgt = rcdTarget{};
    refDisplayRefClear();
    refDisplayTgtClear();
}

void refEditCleanUp() {
    m_pstoRef = nullptr;
    m_pstoFile = nullptr;
    m_pselSetup = nullptr;
    g_clear_pointer(&m_prefRowRef, gtk_tree_row_reference_free);
    g_clear_pointer(&m_prefRowTgt, gtk_tree_row_reference_free);
    m_pwgtSetup = m_pwgtSetupFileName = m_pwgtSetupSame = m_pwgtSetupTree = nullptr;
    for (SetupEntry& e : m_lstSetupEntries)
        e.pwgt = nullptr;
    m_lstShapeRadio.fill(nullptr);
}
