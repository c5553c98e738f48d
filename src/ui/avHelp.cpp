#include "avHelp.h"

#include "avMisc.h"
#include "txtView.h"

namespace {

GtkWindow* m_pwinHelp = nullptr;
GtkWidget* m_pwgtHelpMouse = nullptr;
GtkLabel* m_pwgtHelpHeader = nullptr;
GtkTextView* m_pwgtHelpTextView = nullptr;
guint m_xHeaderGrab = 0;
guint m_yHeaderGrab = 0;
guint32 m_tHeaderGrab = 0;

constexpr gint NL_HELP_WIDTH = 360;
constexpr guint NL_HELP_MAX = 2000; // a hint is no reason for a giant window

// A window manager may place a window anew when it is shown again; the
// help window reopens where the user left it.
bool m_bPlaced = false;
gint m_xPlaced = 0;
gint m_yPlaced = 0;

// The view lays out new text in idle time; only then is its height known
// and the window can shrink to it (a window only grows by itself).
guint m_idFit = 0;

gboolean fitToText(gpointer) {
    m_idFit = 0;
    gtk_window_resize(m_pwinHelp, 1, 1);
    return FALSE;
}

void hideHelp() {
    if (!gtk_widget_get_visible(GTK_WIDGET(m_pwinHelp)))
        return;
    gtk_window_get_position(m_pwinHelp, &m_xPlaced, &m_yPlaced);
    m_bPlaced = true;
    gtk_widget_hide(GTK_WIDGET(m_pwinHelp));
}

} // namespace

void hlpInitialize(GtkBuilder* pBuilder, GtkWindow* pwinMain) {
    m_pwinHelp = GTK_WINDOW(mscGetWidget(pBuilder, "HelpContext"));
    m_pwgtHelpMouse = mscGetWidget(pBuilder, "HelpMouse");
    g_signal_connect(m_pwgtHelpMouse, "motion-notify-event", G_CALLBACK(hlpOnHeaderButtonMotion),
                     nullptr);
    g_signal_connect(m_pwgtHelpMouse, "button-press-event", G_CALLBACK(hlpOnHeaderButtonPress),
                     nullptr);

    gtk_window_set_transient_for(m_pwinHelp, pwinMain);
    gtk_window_set_keep_above(m_pwinHelp, TRUE);
    gtk_window_set_position(m_pwinHelp, GTK_WIN_POS_CENTER_ON_PARENT);

    m_pwgtHelpHeader = GTK_LABEL(mscGetWidget(pBuilder, "HelpHeader"));
    m_pwgtHelpTextView = GTK_TEXT_VIEW(mscGetWidget(pBuilder, "HelpTextView"));
    txvparam txvParam;
    txvInitialize(m_pwgtHelpTextView, &txvParam);

    // The view is insensitive (a click closes the window); pale yellow
    // paper and black ink keep it from looking disabled.
    const GdkColor clrPaper = {0, 0xF600, 0xFFFF, 0x9500};
    gtk_widget_modify_base(GTK_WIDGET(m_pwgtHelpTextView), GTK_STATE_INSENSITIVE, &clrPaper);
    const GdkColor clrInk = {0, 0, 0, 0};
    gtk_widget_modify_text(GTK_WIDGET(m_pwgtHelpTextView), GTK_STATE_INSENSITIVE, &clrInk);
}

void hlpMessage(const gchar*, const gchar* pszText) {
    GtkTextBuffer* pbfr = gtk_text_view_get_buffer(m_pwgtHelpTextView);
    gtk_text_buffer_set_text(pbfr, "", 0);
    txvDecodeText(pbfr, pszText, FALSE);

    // A text may ask for a size ("~W", "~H"); otherwise the window takes a
    // comfortable reading width and the height of the text, shrinking again
    // after a long one.
    const guint nWidth = txvGetWidthRequest(), nHeight = txvGetHeightRequest();
    gtk_widget_set_size_request(GTK_WIDGET(m_pwgtHelpTextView),
                                nWidth ? gint(MIN(nWidth, NL_HELP_MAX)) : NL_HELP_WIDTH,
                                nHeight ? gint(MIN(nHeight, NL_HELP_MAX)) : -1);
    if (!m_idFit)
        m_idFit = g_idle_add_full(G_PRIORITY_LOW, fitToText, nullptr, nullptr);
    if (!gtk_widget_get_visible(GTK_WIDGET(m_pwinHelp)) && m_bPlaced)
        gtk_window_move(m_pwinHelp, m_xPlaced, m_yPlaced);
    gtk_window_present(m_pwinHelp);
}

gboolean hlpOnCHelpButtonPress(GtkWidget* pwgtCHelp, GdkEventButton* pevtCHelp,
                               const gchar* pszHelp) {
    // A "?" button (a plain button) has nothing else to do on a left click;
    // on fields, lists and the drawing the left button keeps its own work.
    const bool bHelpButton = G_OBJECT_TYPE(pwgtCHelp) == GTK_TYPE_BUTTON;
    if (pevtCHelp->button != 3 && !(pevtCHelp->button == 1 && bHelpButton))
        return FALSE;
    hlpMessage("", pszHelp);
    return TRUE;
}

gboolean hlpOnHeaderButtonPress(GtkWidget*, GdkEventButton* pEvt, gpointer) {
    switch (pEvt->button) {
    case 1:
        m_xHeaderGrab = guint(pEvt->x);
        m_yHeaderGrab = guint(pEvt->y);
        m_tHeaderGrab = pEvt->time;
        return FALSE;
    case 3:
        hideHelp();
        return FALSE;
    default:
        return TRUE;
    }
}

gboolean hlpOnHeaderButtonMotion(GtkWidget* pwgtImage, GdkEventMotion* pEvt, gpointer) {
    // Only a drag moves the window; the pointer merely passing over the
    // header must not make it jump.
    if (!(pEvt->state & GDK_BUTTON1_MASK))
        return TRUE;
    // The grab point is inside the drag area; the area's own offset in the
    // window is added so the window does not jump by it.
    gint xArea = 0, yArea = 0;
    gtk_widget_translate_coordinates(pwgtImage, GTK_WIDGET(m_pwinHelp), 0, 0, &xArea, &yArea);
    gtk_window_move(m_pwinHelp, gint(pEvt->x_root) - gint(m_xHeaderGrab) - xArea,
                    gint(pEvt->y_root) - gint(m_yHeaderGrab) - yArea);
    return TRUE;
}

gboolean hlpOnButtonPress(GtkWidget*, GdkEventButton* pevtTextView, gpointer) {
    if (pevtTextView->button != 1)
        return FALSE;
    hideHelp();
    return TRUE;
}

void hlpConnect(GtkWidget* pwgt, const gchar* pszHelp) {
    g_signal_connect(pwgt, "button-press-event", G_CALLBACK(hlpOnCHelpButtonPress),
                     const_cast<gchar*>(pszHelp));
    // A "?" button opens its help from the keyboard too (Space, Enter); a
    // left click is taken by the press handler above and never clicks it.
    if (G_OBJECT_TYPE(pwgt) == GTK_TYPE_BUTTON)
        g_signal_connect_swapped(pwgt, "clicked",
                                 G_CALLBACK(+[](const gchar* psz) { hlpMessage("", psz); }),
                                 const_cast<gchar*>(pszHelp));
}
