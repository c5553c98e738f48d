#include "pagRef.h"

#include "avErrLog.h"
#include "avError.h"
#include "avHelp.h"
#include "avMisc.h"
#include "avPath.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// ------------------------------------------------------------- the page

namespace {

constexpr guint ID_NONE = 0xFFFFFFFF;

enum {
    REF_COL_KIND,
    REF_COL_ID,
    REF_COL_FILE,
    REF_COL_X,
    REF_COL_Y,
    REF_COL_WIDTH,
    REF_COL_HEIGHT,
    REF_COL_LEN,
    REF_COL_ANGLE,
    REF_COL_SHAPE_NAME,
    REF_COL_SHAPE,
    REF_COL_WEIGHT,
    REF_COL_COLOUR,
    REF_COL_UNUSED,
    REF_COL_NUM
};
enum { REF_ROW_REF = 0, REF_ROW_TGT = 1 };
enum { DRAWING_ID_COL, DRAWING_NAME_COL };
enum { REF_FILEID_COL, REF_FILENAME_COL, REF_NUM_COL };
enum { ZOOM_NONE, ZOOM_BAR, ZOOM_WHEEL, ZOOM_KEY };

constexpr std::array<const char*, REF_TGT_NUM> m_lstShapeNames{"None", "Rect", "Circle", "Arrow"};

const char* const m_pszHelp =
    "~B~UZoom Methods:~u~b\n\n1.  Use Zoom bar at top\n\t - zoom will be centre of screen\n"
    "2.  Use '<' and '>' keys\n\t - zoom will be centre of screen\n3.  Use mouse scroll "
    "wheel\n\t - zoom will be centred on mouse pointer\n\n~B~UPan Methods:~u~b\n\n1.  Use Scroll "
    "bar at right or bottom\n2.  Use arrow keys on keyboard\n3.  Left click mouse and drag\n";

objDrawing m_objDrawing;
GdkPixbuf* m_ppixImage = nullptr;
gboolean m_bRefShowTarget = TRUE;
gboolean m_bCompEdit = FALSE;
gdouble m_xGrab = 0, m_yGrab = 0;
guint m_nZoomLast = ZOOM_NONE;
guint m_nRefScaleCount = 0;
guint m_iCompIDCur = ID_NONE;
guint m_iDrawingCur = ID_NONE;
// A card chosen before the page was set up, loaded once it is.
guint m_iCompIDPending = ID_NONE;
guint m_idTimer = 0;

GtkAdjustment* m_padjHScroll = nullptr;
GtkAdjustment* m_padjVScroll = nullptr;
gulong m_hScale = 0, m_hHScroll = 0, m_hVScroll = 0;

GtkTreeStore* m_pstoRef = nullptr;
GtkListStore* m_pstoDrawing = nullptr;
GtkTreeIter m_iterRef;

GtkWidget* m_pwgtPage = nullptr;
GtkWidget* m_pwgtTabLabel = nullptr;
GtkWidget* m_pwgtDrawing = nullptr;
GtkWidget* m_pwgtMark = nullptr;
GtkWidget* m_pwgtZoom = nullptr;
GtkWidget* m_pwgtDrawingSel = nullptr;
GtkWidget* m_pwgtNote = nullptr; // why the drawing is not shown

// The setup editor (edit mode only).
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

void invalidateDrawing() {
    if (m_pwgtDrawing && gtk_widget_get_realized(m_pwgtDrawing))
        gtk_widget_queue_draw(m_pwgtDrawing);
}

// Drops the composed picture and forgets which reference it was, so the
// same reference asked for again is composed again.
void dropPicture() {
    g_clear_object(&m_ppixImage);
    m_objDrawing.bImageLoaded = FALSE;
    m_objDrawing.iRefIDCur = 0;
}

void setZoomBar(gdouble nZoom) {
    g_signal_handler_block(m_pwgtZoom, m_hScale);
    gtk_range_set_value(GTK_RANGE(m_pwgtZoom), nZoom * 100);
    g_signal_handler_unblock(m_pwgtZoom, m_hScale);
}

void setScrollBars(bool bPageSizes) {
    const RefScroll scr = refScrollFractions(m_objDrawing);
    g_signal_handler_block(m_padjHScroll, m_hHScroll);
    g_signal_handler_block(m_padjVScroll, m_hVScroll);
    if (bPageSizes) {
        gtk_adjustment_configure(m_padjHScroll, scr.hValue, 0, 1, 0.1, 0.2, scr.hPage);
        gtk_adjustment_configure(m_padjVScroll, scr.vValue, 0, 1, 0.1, 0.2, scr.vPage);
    } else {
        gtk_adjustment_set_value(m_padjHScroll, scr.hValue);
        gtk_adjustment_set_value(m_padjVScroll, scr.vValue);
    }
    g_signal_handler_unblock(m_padjHScroll, m_hHScroll);
    g_signal_handler_unblock(m_padjVScroll, m_hVScroll);
}

gint pictureWidth() {
    return m_ppixImage ? gdk_pixbuf_get_width(m_ppixImage) : 0;
}
gint pictureHeight() {
    return m_ppixImage ? gdk_pixbuf_get_height(m_ppixImage) : 0;
}

void scaleUpdate() {
    refScaleUpdate(&m_objDrawing, pictureWidth(), pictureHeight());
    setScrollBars(true);
}

// A zoom by bar or key anchors at the centre; the anchor stays while the
// same method is used again, so repeated steps do not drift.
void anchorCentre(guint nMethod) {
    if (m_nZoomLast == nMethod)
        return;
    m_nZoomLast = nMethod;
    refZoomAnchor(&m_objDrawing, m_objDrawing.nAllocWidth / 2, m_objDrawing.nAllocHeight / 2);
}

void zoomTo(gdouble nZoom, guint nMethod) {
    m_objDrawing.nZoomReq = nZoom;
    if (nMethod != ZOOM_BAR)
        setZoomBar(nZoom);
    scaleUpdate();
    m_nRefScaleCount = 2;
    invalidateDrawing();
}

gboolean viewReady() {
    return m_objDrawing.bImageLoaded && m_objDrawing.nWinScale > 0;
}

// The targets of the drawing shown, as the composition draws them.
std::vector<rcdTarget> shownTargets() {
    std::vector<rcdTarget> lst;
    GtkTreeIter iterRef, iterTgt;
    GtkTreeModel* pmod = GTK_TREE_MODEL(m_pstoRef);
    if (!m_bRefShowTarget || m_iDrawingCur == ID_NONE ||
        !gtk_tree_model_iter_nth_child(pmod, &iterRef, nullptr, gint(m_iDrawingCur)))
        return lst;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iterTgt, &iterRef); b;
         b = gtk_tree_model_iter_next(pmod, &iterTgt)) {
        rcdTarget tgt{};
        gtk_tree_model_get(pmod, &iterTgt, REF_COL_ID, &tgt.iTargetID, REF_COL_X, &tgt.nX,
                           REF_COL_Y, &tgt.nY, REF_COL_WIDTH, &tgt.nWidth, REF_COL_HEIGHT,
                           &tgt.nHeight, REF_COL_LEN, &tgt.nLen, REF_COL_ANGLE, &tgt.nAngle,
                           REF_COL_SHAPE, &tgt.iShape, REF_COL_WEIGHT, &tgt.nWeight, REF_COL_COLOUR,
                           &tgt.nColour, -1);
        lst.push_back(tgt);
    }
    return lst;
}

// The first of the two data directories that has the picture.
std::string picturePath(const char* pszName) {
    if (!refDrawingNameOk(pszName))
        return {};
    for (const auto& path : pathCandidates(pszName))
        if (g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR))
            return path;
    return {};
}

void refImageBuild() {
    GtkTreeIter iter;
    gchar* pszFile = nullptr;
    if (m_iDrawingCur == ID_NONE || !gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(m_pstoRef), &iter,
                                                                   nullptr, gint(m_iDrawingCur)))
        return;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pstoRef), &iter, REF_COL_ID, &m_objDrawing.iRefIDReq,
                       REF_COL_FILE, &pszFile, -1);
    mscCopyText(m_objDrawing.szDrawing, pszFile ? pszFile : "");
    g_free(pszFile);
}

// A drawing that cannot be shown would leave a blank area: the page says
// why, and so does the log file. Null hides the note.
void showNote(const char* pszWhy) {
    if (!pszWhy) {
        gtk_widget_hide(m_pwgtNote);
        return;
    }
    gchar* pszText =
        g_strdup_printf("The drawing \"%s\" cannot be shown: %s.", m_objDrawing.szDrawing, pszWhy);
    errPostError(pszText);
    gchar* pszMarkup = g_markup_printf_escaped("<span color='red'>%s</span>", pszText);
    gtk_label_set_markup(GTK_LABEL(m_pwgtNote), pszMarkup);
    gtk_widget_show(m_pwgtNote);
    g_free(pszMarkup);
    g_free(pszText);
}

void refImageLoad() {
    if (m_objDrawing.iRefIDReq == m_objDrawing.iRefIDCur && !m_objDrawing.bImageDirty)
        return;
    dropPicture();
    m_objDrawing.iRefIDCur = m_objDrawing.iRefIDReq;
    m_objDrawing.bImageDirty = FALSE;
    showNote(nullptr);
    if (!m_objDrawing.iRefIDReq)
        return;
    const std::string strPath = picturePath(m_objDrawing.szDrawing);
    const char* pszWhy = "the file is not in the data directory";
    if (!strPath.empty())
        m_ppixImage = refComposePicture(strPath.c_str(), shownTargets(), &pszWhy);
    if (!m_ppixImage) {
        showNote(pszWhy);
        return;
    }
    m_objDrawing.nZoomReq = m_objDrawing.nZoomCur = 1.0;
    setZoomBar(1.0);
    m_objDrawing.nAllocWidth = m_objDrawing.nAllocHeight = 0;
    m_objDrawing.bImageLoaded = TRUE;
    m_nZoomLast = ZOOM_NONE;
}

// ---- loading a component's references

int refLoadTargetCallback(rcdTarget* prcdTgt) {
    if (prcdTgt->iShape >= REF_TGT_NUM)
        prcdTgt->iShape = REF_TGT_NONE;
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoRef, &iter, &m_iterRef);
    gtk_tree_store_set(m_pstoRef, &iter, REF_COL_KIND, REF_ROW_TGT, REF_COL_ID, prcdTgt->iTargetID,
                       REF_COL_X, prcdTgt->nX, REF_COL_Y, prcdTgt->nY, REF_COL_WIDTH,
                       prcdTgt->nWidth, REF_COL_HEIGHT, prcdTgt->nHeight, REF_COL_LEN,
                       prcdTgt->nLen, REF_COL_ANGLE, prcdTgt->nAngle, REF_COL_SHAPE_NAME,
                       m_lstShapeNames[prcdTgt->iShape], REF_COL_SHAPE, prcdTgt->iShape,
                       REF_COL_WEIGHT, prcdTgt->nWeight, REF_COL_COLOUR, prcdTgt->nColour, -1);
    return 0;
}

// The selector's name of a drawing: its file name up to the first ".".
std::string drawingName(const char* pszFile) {
    const std::string_view sv(pszFile ? pszFile : "");
    return std::string(sv.substr(0, sv.find('.')));
}

int refLoadRefCallback(rcdRef* prcdRef) {
    if (!prcdRef->szDrawing[0])
        return 0;
    gtk_tree_store_append(m_pstoRef, &m_iterRef, nullptr);
    gtk_tree_store_set(m_pstoRef, &m_iterRef, REF_COL_KIND, REF_ROW_REF, REF_COL_ID,
                       prcdRef->iRefID, REF_COL_FILE, prcdRef->szDrawing, -1);
    GtkTreeIter iter;
    gtk_list_store_append(m_pstoDrawing, &iter);
    gtk_list_store_set(m_pstoDrawing, &iter, DRAWING_ID_COL, prcdRef->iRefID, DRAWING_NAME_COL,
                       drawingName(prcdRef->szDrawing).c_str(), -1);
    rcdTarget rcdTgt{};
    cbTarget cb{&rcdTgt, refLoadTargetCallback};
    if (!sqlLoadTargetRecords(&cb, prcdRef->iRefID))
        dlgError(sqlLastError(), "refLoadRefCallback()", "pagRef");
    return 0;
}

// The selector lists the references of the tree, in its order; used again
// after the editor adds, renames or removes one.
void syncDrawingList() {
    MscDisplayGuard guard;
    gtk_list_store_clear(m_pstoDrawing);
    GtkTreeModel* pmod = GTK_TREE_MODEL(m_pstoRef);
    GtkTreeIter iterRef, iter;
    gint n = 0;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iterRef); b;
         b = gtk_tree_model_iter_next(pmod, &iterRef), ++n) {
        guint iRefID = 0;
        gchar* pszFile = nullptr;
        gtk_tree_model_get(pmod, &iterRef, REF_COL_ID, &iRefID, REF_COL_FILE, &pszFile, -1);
        gtk_list_store_append(m_pstoDrawing, &iter);
        gtk_list_store_set(m_pstoDrawing, &iter, DRAWING_ID_COL, iRefID, DRAWING_NAME_COL,
                           drawingName(pszFile).c_str(), -1);
        g_free(pszFile);
    }
    if (m_iDrawingCur != ID_NONE && gint(m_iDrawingCur) >= n)
        m_iDrawingCur = n ? 0 : ID_NONE;
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtDrawingSel),
                             m_iDrawingCur == ID_NONE ? -1 : gint(m_iDrawingCur));
    gtk_widget_set_sensitive(m_pwgtDrawingSel, n > 1);
}

gboolean refModelLoad() {
    {
        MscDisplayGuard guard;
        gtk_tree_store_clear(m_pstoRef);
        gtk_list_store_clear(m_pstoDrawing);
    }
    rcdRef rcd{};
    cbRef cb{&rcd, refLoadRefCallback};
    if (!sqlLoadRefRecords(&cb, m_iCompIDCur))
        dlgError(sqlLastError(), "refModelLoad()", "pagRef");
    if (!gtk_tree_model_iter_n_children(GTK_TREE_MODEL(m_pstoRef), nullptr)) {
        m_iDrawingCur = ID_NONE;
        syncDrawingList();
        return FALSE;
    }
    m_iDrawingCur = 0;
    syncDrawingList();
    return TRUE;
}

// ---- the setup editor

void saveRef(const char* pszFunction) {
    if (m_rcdRef.bDirty && !sqlUpdateRefRecord(&m_rcdRef))
        dlgError(sqlLastError(), pszFunction, "pagRef");
}

void saveTgt(const char* pszFunction) {
    if (m_rcdTgt.bDirty && !sqlUpdateTargetRecord(&m_rcdTgt))
        dlgError(sqlLastError(), pszFunction, "pagRef");
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
    const guint iShape = m_rcdTgt.iShape < REF_TGT_NUM ? m_rcdTgt.iShape : guint(REF_TGT_NONE);
    gtk_tree_store_set(m_pstoRef, &iter, REF_COL_ID, m_rcdTgt.iTargetID, REF_COL_X, m_rcdTgt.nX,
                       REF_COL_Y, m_rcdTgt.nY, REF_COL_WIDTH, m_rcdTgt.nWidth, REF_COL_HEIGHT,
                       m_rcdTgt.nHeight, REF_COL_LEN, m_rcdTgt.nLen, REF_COL_ANGLE, m_rcdTgt.nAngle,
                       REF_COL_SHAPE_NAME, m_lstShapeNames[iShape], REF_COL_SHAPE, iShape,
                       REF_COL_WEIGHT, m_rcdTgt.nWeight, REF_COL_COLOUR, m_rcdTgt.nColour, -1);
    m_objDrawing.bImageDirty = TRUE;
}

// The editor works on the drawing of the selected row: the viewer shows it.
void showDrawingOfRow(GtkTreeIter* piter) {
    GtkTreeIter iterRef = *piter, iterParent;
    if (gtk_tree_model_iter_parent(GTK_TREE_MODEL(m_pstoRef), &iterParent, piter))
        iterRef = iterParent;
    GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(m_pstoRef), &iterRef);
    const guint iIndex = guint(gtk_tree_path_get_indices(path)[0]);
    gtk_tree_path_free(path);
    if (iIndex != m_iDrawingCur) {
        m_iDrawingCur = iIndex;
        MscDisplayGuard guard;
        gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtDrawingSel), gint(iIndex));
    }
    refImageBuild();
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
    saveRef("refOnRowChanged()");
    saveTgt("refOnRowChanged()");
    // The events run above may have changed the selection.
    if (!selectedRow(&iter, &nKind, &iID))
        return;
    showDrawingOfRow(&iter);
    if (nKind == REF_ROW_REF) {
        m_rcdRef = rcdRef{};
        cbRef cb{&m_rcdRef, nullptr};
        if (!sqlLoadRefRecord(&cb, iID))
            dlgError(sqlLastError(), "refOnRowChanged()", "pagRef");
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
            dlgError(sqlLastError(), "refOnRowChanged()", "pagRef");
        if (m_rcdTgt.iShape >= REF_TGT_NUM)
            m_rcdTgt.iShape = REF_TGT_NONE;
        rememberRow(&m_prefRowTgt, &iter);
        refDisplayTgtUpdate();
        refDisplayRefSensitive(FALSE);
        refDisplayTgtSensitive(TRUE);
    }
    m_objDrawing.bImageDirty = TRUE;
    invalidateDrawing();
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
    m_objDrawing.bImageDirty = TRUE;
    invalidateDrawing();
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
        syncDrawingList();
        refImageBuild();
        m_objDrawing.bImageDirty = TRUE;
        invalidateDrawing();
    }
    g_free(pszName);
}

void refOnSetupNewRef(GtkButton*, gpointer) {
    if (m_iCompIDCur == ID_NONE || m_iCompIDCur == 0)
        return;
    commitEdits();
    saveRef("refOnSetupNewRef()");
    saveTgt("refOnSetupNewRef()");
    m_rcdRef = rcdRef{};
    g_clear_pointer(&m_prefRowRef, gtk_tree_row_reference_free);
    m_rcdRef.iCompID = m_iCompIDCur;
    m_rcdRef.iRefID = ID_NONE;
    if (!sqlUpdateRefRecord(&m_rcdRef)) {
        dlgError(sqlLastError(), "refOnSetupNewRef()", "pagRef");
        return;
    }
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoRef, &iter, nullptr);
    gtk_tree_store_set(m_pstoRef, &iter, REF_COL_KIND, REF_ROW_REF, REF_COL_ID, m_rcdRef.iRefID,
                       REF_COL_FILE, "", -1);
    if (m_iDrawingCur == ID_NONE)
        m_iDrawingCur = 0;
    syncDrawingList();
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
    if (iRefID == 0 || iRefID == ID_NONE)
        return;
    commitEdits();
    saveRef("refOnSetupNewTgt()");
    saveTgt("refOnSetupNewTgt()");

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
        m_rcdTgt.nX = guint(pictureWidth() / 2);
        m_rcdTgt.nY = guint(pictureHeight() / 2);
    }
    m_rcdTgt.iRefID = iRefID;
    m_rcdTgt.iTargetID = ID_NONE;
    m_rcdTgt.bDirty = TRUE;
    if (!sqlUpdateTargetRecord(&m_rcdTgt)) {
        dlgError(sqlLastError(), "refOnSetupNewTgtup()", "pagRef");
        m_rcdTgt = rcdTarget{};
        return;
    }
    GtkTreeIter iterNew;
    gtk_tree_store_append(m_pstoRef, &iterNew, &iterRef);
    gtk_tree_store_set(m_pstoRef, &iterNew, REF_COL_KIND, REF_ROW_TGT, REF_COL_ID,
                       m_rcdTgt.iTargetID, -1);
    mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtSetupTree), &iterNew);
    refModelRowUpdate();
    m_objDrawing.bImageDirty = TRUE;
    invalidateDrawing();
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
        dlgError(sqlLastError(), "refOnSetupDelete()", "pagRef");
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
        saveRef("refOnSetupDelete()");
        sqlEndWrite(TRUE, TRUE);
        m_rcdRef = rcdRef{};
    } else {
        saveTgt("refOnSetupDelete()");
        deleteTarget(iID);
        m_rcdTgt = rcdTarget{};
    }
    // Written at once: a deletion must not wait for a save that may never come.
    gtk_tree_store_remove(m_pstoRef, &iter);
    syncDrawingList();
    refImageBuild();
    if (m_iDrawingCur == ID_NONE)
        m_objDrawing.iRefIDReq = 0;
    m_objDrawing.bImageDirty = TRUE;
    invalidateDrawing();
}

gboolean refOnDrawingClick(GtkWidget*, GdkEventButton* pevt, gpointer) {
    if (pevt->type != GDK_BUTTON_PRESS || pevt->button != 3 || !targetSelected() || !viewReady())
        return FALSE; // the help text shows
    refPicturePoint(m_objDrawing, pevt->x, pevt->y, pictureWidth(), pictureHeight(), &m_rcdTgt.nX,
                    &m_rcdTgt.nY);
    applyTarget();
    return TRUE;
}

void refOnSetupSameToggled(GtkToggleButton*, gpointer) {
    // Read when the next target is made.
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
        gchar* pszMsg = g_strdup_printf("refInitialize(): %s", pError ? pError->message : "");
        dlgError(pszMsg, "refInitialize()", "pagRef");
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

void initEditor(GtkBuilder* pBuilder) {
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
    g_signal_connect(m_pwgtSetupSame, "toggled", G_CALLBACK(refOnSetupSameToggled), nullptr);
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

// ---- the viewer's handlers

gboolean refOnDrawingExpose(GtkWidget* pwgt, GdkEventExpose*, gpointer) {
    refImageLoad();
    if (!m_objDrawing.bImageLoaded)
        return TRUE;
    GtkAllocation alloc;
    gtk_widget_get_allocation(pwgt, &alloc);
    if (alloc.width != m_objDrawing.nAllocWidth || alloc.height != m_objDrawing.nAllocHeight) {
        refResize(&m_objDrawing, pictureWidth(), pictureHeight(), alloc.width, alloc.height);
        setScrollBars(true);
    }
    GdkPixbuf* ppixView = refViewPixbuf(
        m_ppixImage, m_objDrawing, m_nRefScaleCount ? GDK_INTERP_NEAREST : GDK_INTERP_BILINEAR);
    if (ppixView) {
        gdk_draw_pixbuf(gtk_widget_get_window(pwgt), nullptr, ppixView, 0, 0, 0, 0, -1, -1,
                        GDK_RGB_DITHER_NONE, 0, 0);
        g_object_unref(ppixView);
    }
    return TRUE;
}

gboolean refOnTimer(gpointer) {
    if (m_nRefScaleCount && --m_nRefScaleCount == 0)
        invalidateDrawing();
    return TRUE;
}

gboolean refOnZoomChanged(GtkRange*, GtkScrollType, gdouble nValue, gpointer) {
    if (!viewReady())
        return TRUE; // nothing to zoom: the bar stays at the whole drawing
    const gdouble nZoom = refZoomLimit(nValue / 100);
    if (nZoom == m_objDrawing.nZoomReq)
        return FALSE;
    anchorCentre(ZOOM_BAR);
    zoomTo(nZoom, ZOOM_BAR);
    return FALSE;
}

// The arrow keys pan the drawing by a tenth of the area while it has the focus.
gboolean panByKey(guint nKey) {
    const gdouble dx = m_objDrawing.nAllocWidth / 10.0, dy = m_objDrawing.nAllocHeight / 10.0;
    switch (nKey) {
    case GDK_Left:
        refPan(&m_objDrawing, -dx, 0);
        break;
    case GDK_Right:
        refPan(&m_objDrawing, dx, 0);
        break;
    case GDK_Up:
        refPan(&m_objDrawing, 0, -dy);
        break;
    case GDK_Down:
        refPan(&m_objDrawing, 0, dy);
        break;
    default:
        return FALSE;
    }
    m_nZoomLast = ZOOM_NONE;
    setScrollBars(false);
    m_nRefScaleCount = 2;
    invalidateDrawing();
    return TRUE;
}

gboolean refOnRefPageKeyPress(GtkWidget*, GdkEventKey* pevt, gpointer) {
    // The window's focus widget, whether or not the window counts as
    // focused: its keys arrive here either way, as the zoom keys do.
    if (gtk_widget_is_focus(m_pwgtDrawing) && viewReady() &&
        !(pevt->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) && panByKey(pevt->keyval))
        return TRUE;
    gdouble nStep = 0;
    switch (pevt->keyval) {
    case GDK_less:
    case GDK_comma:
        nStep = REF_ZOOM_STEP;
        break;
    case GDK_greater:
    case GDK_period:
        nStep = -REF_ZOOM_STEP;
        break;
    default:
        return FALSE; // Tab, Ctrl+PgUp/PgDn and the rest go on
    }
    if (pevt->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK) || !viewReady())
        return FALSE;
    const gdouble nZoom = refZoomLimit(m_objDrawing.nZoomReq + nStep);
    if (nZoom != m_objDrawing.nZoomReq) {
        anchorCentre(ZOOM_KEY);
        zoomTo(nZoom, ZOOM_KEY);
    }
    return TRUE;
}

gboolean refOnDrawingScrollZoom(GtkWidget*, GdkEventScroll* pevt, gpointer) {
    if (!viewReady())
        return FALSE;
    gdouble nZoom = 0;
    if (pevt->direction == GDK_SCROLL_UP)
        nZoom = m_objDrawing.nZoomReq - REF_ZOOM_STEP;
    else if (pevt->direction == GDK_SCROLL_DOWN)
        nZoom = m_objDrawing.nZoomReq + REF_ZOOM_STEP;
    else
        return FALSE;
    nZoom = refZoomLimit(nZoom);
    if (nZoom == m_objDrawing.nZoomReq)
        return FALSE;
    m_nZoomLast = ZOOM_WHEEL;
    refZoomAnchor(&m_objDrawing, gint(pevt->x), gint(pevt->y));
    zoomTo(nZoom, ZOOM_WHEEL);
    return FALSE;
}

void refOnScrollBarValue(GtkAdjustment*, gpointer) {
    if (!viewReady())
        return;
    m_nZoomLast = ZOOM_NONE;
    refPanTo(&m_objDrawing, gtk_adjustment_get_value(m_padjHScroll),
             gtk_adjustment_get_value(m_padjVScroll));
    m_nRefScaleCount = 2;
    invalidateDrawing();
}

gboolean refOnDrawingButtonPress(GtkWidget* pwgt, GdkEventButton* pevt, gpointer) {
    if (pevt->button == 1) {
        m_xGrab = pevt->x;
        m_yGrab = pevt->y;
        gtk_widget_grab_focus(pwgt); // so the zoom keys reach the page
    }
    return FALSE;
}

gboolean refOnDrawingButtonMotion(GtkWidget*, GdkEventMotion* pevt, gpointer) {
    if (!(pevt->state & GDK_BUTTON1_MASK) || !viewReady())
        return FALSE;
    refPan(&m_objDrawing, m_xGrab - pevt->x, m_yGrab - pevt->y);
    m_xGrab = pevt->x;
    m_yGrab = pevt->y;
    setScrollBars(false);
    m_nRefScaleCount = 2;
    invalidateDrawing();
    return FALSE;
}

void refOnShowTargetToggled(GtkToggleButton* pwgt, gpointer) {
    m_bRefShowTarget = gtk_toggle_button_get_active(pwgt);
    m_objDrawing.bImageDirty = TRUE;
    invalidateDrawing();
}

void refOnDrawingSelChanged(GtkComboBox* pwgt, gpointer) {
    const gint iIndex = gtk_combo_box_get_active(pwgt);
    if (mscDisplaying() || iIndex < 0 || guint(iIndex) == m_iDrawingCur)
        return;
    m_iDrawingCur = guint(iIndex);
    refImageBuild();
    invalidateDrawing();
}

GtkAdjustment* newScrollAdjustment(GtkWidget* pwgtBar, gulong* phHandler) {
    GtkAdjustment* padj = GTK_ADJUSTMENT(gtk_adjustment_new(0, 0, 1, 0.1, 0.2, 1));
    gtk_range_set_adjustment(GTK_RANGE(pwgtBar), padj);
    *phHandler = g_signal_connect(padj, "value-changed", G_CALLBACK(refOnScrollBarValue), nullptr);
    return padj;
}

} // namespace

const objDrawing& refViewState() {
    return m_objDrawing;
}

void refInitialize(GtkBuilder* pBuilder, gboolean bCompEdit) {
    m_bCompEdit = bCompEdit;
    m_pwgtPage = mscGetWidget(pBuilder, "RefPage");
    m_pwgtTabLabel = mscGetWidget(pBuilder, "RefTabLabel");
    m_pwgtDrawing = mscGetWidget(pBuilder, "RefDrawing");
    m_pwgtMark = mscGetWidget(pBuilder, "RefMark");
    m_pwgtZoom = mscGetWidget(pBuilder, "RefZoom");
    m_pwgtDrawingSel = mscGetWidget(pBuilder, "RefDrawingSel");
    m_pwgtNote = mscGetWidget(pBuilder, "RefDrawingNote");

    g_signal_connect(m_pwgtPage, "key-press-event", G_CALLBACK(refOnRefPageKeyPress), nullptr);
    g_signal_connect(m_pwgtDrawing, "expose-event", G_CALLBACK(refOnDrawingExpose), nullptr);
    g_signal_connect(m_pwgtDrawing, "motion-notify-event", G_CALLBACK(refOnDrawingButtonMotion),
                     nullptr);
    g_signal_connect(m_pwgtDrawing, "button-press-event", G_CALLBACK(refOnDrawingButtonPress),
                     nullptr);
    // In edit mode the right click places a target; it must come before
    // the context help, which takes every right click.
    if (bCompEdit)
        g_signal_connect(m_pwgtDrawing, "button-press-event", G_CALLBACK(refOnDrawingClick),
                         nullptr);
    g_signal_connect(m_pwgtDrawing, "button-press-event", G_CALLBACK(hlpOnCHelpButtonPress),
                     const_cast<char*>(m_pszHelp));
    g_signal_connect(m_pwgtDrawing, "scroll-event", G_CALLBACK(refOnDrawingScrollZoom), nullptr);
    g_signal_connect(m_pwgtMark, "toggled", G_CALLBACK(refOnShowTargetToggled), nullptr);

    gtk_range_set_range(GTK_RANGE(m_pwgtZoom), 30, 100);
    gtk_range_set_increments(GTK_RANGE(m_pwgtZoom), 3, 10);
    gtk_range_set_value(GTK_RANGE(m_pwgtZoom), 100);
    m_hScale = g_signal_connect(m_pwgtZoom, "change-value", G_CALLBACK(refOnZoomChanged), nullptr);
    m_padjHScroll = newScrollAdjustment(mscGetWidget(pBuilder, "RefHScroll"), &m_hHScroll);
    m_padjVScroll = newScrollAdjustment(mscGetWidget(pBuilder, "RefVScroll"), &m_hVScroll);

    m_pstoRef =
        gtk_tree_store_new(REF_COL_NUM, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_UINT,
                           G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT,
                           G_TYPE_STRING, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_BOOLEAN);
    m_pstoDrawing = gtk_list_store_new(2, G_TYPE_UINT, G_TYPE_STRING);
    gtk_combo_box_set_model(GTK_COMBO_BOX(m_pwgtDrawingSel), GTK_TREE_MODEL(m_pstoDrawing));
    mscComboShowText(m_pwgtDrawingSel, DRAWING_NAME_COL, -1);
    g_signal_connect(m_pwgtDrawingSel, "changed", G_CALLBACK(refOnDrawingSelChanged), nullptr);

    m_rcdRef = rcdRef{};
    m_rcdTgt = rcdTarget{};
    if (bCompEdit)
        initEditor(pBuilder);
    else
        gtk_widget_hide(mscGetWidget(pBuilder, "RefSetup"));

    g_clear_object(&m_ppixImage);
    m_bRefShowTarget = TRUE;
    {
        MscDisplayGuard guard;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtMark), TRUE);
    }
    m_objDrawing = objDrawing{};
    m_objDrawing.nZoomReq = m_objDrawing.nZoomCur = 1.0;
    m_nZoomLast = ZOOM_NONE;
    m_nRefScaleCount = 0;
    m_iCompIDCur = ID_NONE;
    m_iDrawingCur = ID_NONE;
    if (!m_idTimer)
        m_idTimer = g_timeout_add(100, refOnTimer, nullptr);
    refPageShow(FALSE);
    if (m_iCompIDPending != ID_NONE) {
        const guint iCompID = m_iCompIDPending;
        m_iCompIDPending = ID_NONE;
        refLoadRecords(iCompID);
    }
}

void refLoadRecords(guint iCompID) {
    if (!m_pstoRef) {
        m_iCompIDPending = iCompID;
        return;
    }
    if (iCompID == m_iCompIDCur) {
        refPageShow(gtk_tree_model_iter_n_children(GTK_TREE_MODEL(m_pstoRef), nullptr) > 0 ||
                    m_bCompEdit);
        return;
    }
    m_iCompIDCur = iCompID;
    if (refModelLoad()) {
        refPageShow(TRUE);
        m_iDrawingCur = 0;
        refImageBuild();
        if (m_bCompEdit) {
            GtkTreeIter iter;
            gtk_tree_model_get_iter_first(GTK_TREE_MODEL(m_pstoRef), &iter);
            gtk_tree_selection_unselect_all(m_pselSetup);
            mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtSetupTree), &iter);
        }
    } else {
        // No drawing: forget the last one, so coming back to it composes it again.
        dropPicture();
        showNote(nullptr);
        m_objDrawing.iRefIDReq = 0;
        m_objDrawing.szDrawing[0] = '\0';
        if (m_bCompEdit) {
            saveRef("refLoadRecords()");
            saveTgt("refLoadRecords()");
            m_rcdRef = rcdRef{};
            m_rcdTgt = rcdTarget{};
            refDisplayRefClear();
            refDisplayTgtClear();
        }
        refPageShow(m_bCompEdit);
    }
    invalidateDrawing();
}

void refPageShow(gboolean bShow) {
    if (!m_pwgtPage)
        return;
    if (bShow)
        gtk_widget_show(m_pwgtPage);
    else
        gtk_widget_hide(m_pwgtPage);
    gtk_label_set_markup(GTK_LABEL(m_pwgtTabLabel),
                         bShow ? "<span color='blue'><b>Reference\nDrawing</b></span>"
                               : "<span color='gray'><i>Reference\nDrawing</i></span>");
}

void refOnPageEnter() {}

void refOnPageLeave() {
    if (!m_bCompEdit)
        return;
    saveRef("refOnPageLeave()");
    saveTgt("refOnPageLeave()");
}

void refCleanUp() {
    refOnPageLeave();
    // The timer touches the drawing area: it must not outlive the widgets.
    if (m_idTimer) {
        g_source_remove(m_idTimer);
        m_idTimer = 0;
    }
    dropPicture();
    g_clear_object(&m_pstoRef);
    g_clear_object(&m_pstoDrawing);
    m_pstoFile = nullptr;
    m_pselSetup = nullptr;
    g_clear_pointer(&m_prefRowRef, gtk_tree_row_reference_free);
    g_clear_pointer(&m_prefRowTgt, gtk_tree_row_reference_free);
    m_pwgtPage = m_pwgtTabLabel = m_pwgtDrawing = m_pwgtMark = m_pwgtZoom = nullptr;
    m_pwgtDrawingSel = m_pwgtNote = m_pwgtSetup = m_pwgtSetupFileName = m_pwgtSetupSame = nullptr;
    m_pwgtSetupTree = nullptr;
    for (SetupEntry& e : m_lstSetupEntries)
        e.pwgt = nullptr;
    m_lstShapeRadio.fill(nullptr);
    m_iCompIDCur = m_iDrawingCur = m_iCompIDPending = ID_NONE;
    m_bCompEdit = FALSE;
}
