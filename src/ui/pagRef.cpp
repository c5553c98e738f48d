#include "pagRef.h"

#include "avErrLog.h"
#include "avError.h"
#include "avHelp.h"
#include "avMisc.h"
#include "avPath.h"
#include "pagRefEdit.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

enum { DRAWING_ID_COL, DRAWING_NAME_COL };
enum { ZOOM_NONE, ZOOM_BAR, ZOOM_WHEEL, ZOOM_KEY };

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
guint m_iCompIDCur = REF_ID_NONE;
guint m_iDrawingCur = REF_ID_NONE;
// A card chosen before the page was set up, loaded once it is.
guint m_iCompIDPending = REF_ID_NONE;
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
    if (!m_bRefShowTarget || m_iDrawingCur == REF_ID_NONE ||
        !gtk_tree_model_iter_nth_child(pmod, &iterRef, nullptr, gint(m_iDrawingCur)))
        return lst;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iterTgt, &iterRef); b;
         b = gtk_tree_model_iter_next(pmod, &iterTgt)) {
        lst.push_back(refTargetRowGet(pmod, &iterTgt));
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
    if (m_iDrawingCur == REF_ID_NONE) {
        m_objDrawing.iRefIDReq = 0; // the last drawing went: show none
        return;
    }
    if (!gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(m_pstoRef), &iter, nullptr,
                                       gint(m_iDrawingCur)))
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
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoRef, &iter, &m_iterRef);
    refTargetRowSet(m_pstoRef, &iter, *prcdTgt);
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
    if (n == 0)
        m_iDrawingCur = REF_ID_NONE;
    else if (m_iDrawingCur == REF_ID_NONE || gint(m_iDrawingCur) >= n)
        m_iDrawingCur = 0;
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtDrawingSel),
                             m_iDrawingCur == REF_ID_NONE ? -1 : gint(m_iDrawingCur));
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
        m_iDrawingCur = REF_ID_NONE;
        syncDrawingList();
        return FALSE;
    }
    m_iDrawingCur = 0;
    syncDrawingList();
    return TRUE;
}

// ---- what the setup editor asks of the viewer

guint compID() {
    return m_iCompIDCur;
}

void showDrawing(guint iIndex) {
    if (iIndex != m_iDrawingCur) {
        m_iDrawingCur = iIndex;
        MscDisplayGuard guard;
        gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtDrawingSel), gint(iIndex));
    }
    refImageBuild();
}

void redraw() {
    m_objDrawing.bImageDirty = TRUE;
    invalidateDrawing();
}

void drawingsChanged() {
    syncDrawingList();
    refImageBuild();
    redraw();
}

gboolean pictureAt(gdouble xDraw, gdouble yDraw, guint* pnX, guint* pnY) {
    if (!viewReady())
        return FALSE;
    refPicturePoint(m_objDrawing, xDraw, yDraw, pictureWidth(), pictureHeight(), pnX, pnY);
    return TRUE;
}

void pictureCentre(guint* pnX, guint* pnY) {
    *pnX = guint(pictureWidth() / 2);
    *pnY = guint(pictureHeight() / 2);
}

constexpr RefViewOps m_opsView{
    .pfuncCompID = compID,
    .pfuncShowDrawing = showDrawing,
    .pfuncDrawingsChanged = drawingsChanged,
    .pfuncRedraw = redraw,
    .pfuncPictureAt = pictureAt,
    .pfuncPictureCentre = pictureCentre,
};

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
        g_signal_connect(m_pwgtDrawing, "button-press-event", G_CALLBACK(refEditOnDrawingClick),
                         nullptr);
    hlpConnect(m_pwgtDrawing, m_pszHelp);
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

    if (bCompEdit)
        refEditInitialize(pBuilder, m_pstoRef, m_opsView);
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
    m_iCompIDCur = REF_ID_NONE;
    m_iDrawingCur = REF_ID_NONE;
    if (!m_idTimer)
        m_idTimer = g_timeout_add(100, refOnTimer, nullptr);
    refPageShow(FALSE);
    if (m_iCompIDPending != REF_ID_NONE) {
        const guint iCompID = m_iCompIDPending;
        m_iCompIDPending = REF_ID_NONE;
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
        if (m_bCompEdit)
            refEditSelectFirst();
    } else {
        // No drawing: forget the last one, so coming back to it composes it again.
        dropPicture();
        showNote(nullptr);
        m_objDrawing.iRefIDReq = 0;
        m_objDrawing.szDrawing[0] = '\0';
        if (m_bCompEdit) {
            refEditSave("refLoadRecords()", "pagRef");
            refEditClear();
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
    if (m_bCompEdit)
        refEditSave("refOnPageLeave()", "pagRef");
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
    refEditCleanUp();
    m_pwgtPage = m_pwgtTabLabel = m_pwgtDrawing = m_pwgtMark = m_pwgtZoom = nullptr;
    m_pwgtDrawingSel = m_pwgtNote = nullptr;
    m_iCompIDCur = m_iDrawingCur = m_iCompIDPending = REF_ID_NONE;
    m_bCompEdit = FALSE;
}
