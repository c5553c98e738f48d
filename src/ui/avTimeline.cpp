#include "avTimeline.h"

#include "avMisc.h"
#include "avPlot.h"
#include "modForecast.h"
#include "pagComp.h"

#include <array>
#include <string>

namespace {

GtkWidget* m_pwgtArea = nullptr;
GtkWidget* m_pwgtSpan = nullptr;
guint m_nMonths = 12;
// What the last drawing showed, for hovering and clicking.
fcstTimeline m_tl;
std::vector<plotHit> m_lstHits;

constexpr std::array<guint, 4> m_lstSpans{3, 6, 12, 24};

gboolean onExpose(GtkWidget* pwgt, GdkEventExpose*, gpointer) {
    double dWidth = 0, dHeight = 0;
    cairo_t* pcr = mscWhiteCanvas(pwgt, &dWidth, &dHeight);
    cairo_translate(pcr, 4, 2);
    m_tl = fcstTimelineOf(m_nMonths);
    m_lstHits = plotDrawTimeline(pcr, m_tl, {dWidth - 8, dHeight - 4, 12});
    cairo_destroy(pcr);
    return TRUE;
}

int markAt(double dX, double dY) {
    return plotHitAt(m_lstHits, dX - 4, dY - 2);
}

gboolean onQueryTooltip(GtkWidget*, gint nX, gint nY, gboolean, GtkTooltip* pTip, gpointer) {
    const int i = markAt(nX, nY);
    if (i < 0)
        return FALSE;
    const fcstMark& m = m_tl.lstMarks[size_t(i)];
    const std::string str =
        m.strName + "\n" + (m.nKind == FCST_INSP ? "Inspection: " : "Replacement: ") + m.strText;
    gtk_tooltip_set_text(pTip, str.c_str());
    return TRUE;
}

gboolean onButtonPress(GtkWidget*, GdkEventButton* pEvent, gpointer) {
    if (pEvent->button != 1 || pEvent->type != GDK_BUTTON_PRESS)
        return FALSE;
    const int i = markAt(pEvent->x, pEvent->y);
    if (i < 0)
        return FALSE;
    ccdSelectCompID(m_tl.lstMarks[size_t(i)].iCompID);
    return TRUE;
}

void onSpanChanged(GtkComboBox* pwgtCombo, gpointer) {
    const gint i = gtk_combo_box_get_active(pwgtCombo);
    if (i >= 0 && size_t(i) < m_lstSpans.size())
        tmlSetMonths(m_lstSpans[size_t(i)]);
}

void forgetWidgets() {
    m_pwgtArea = m_pwgtSpan = nullptr;
    m_lstHits.clear();
}

} // namespace

void tmlInitialize(GtkWidget* pwgtArea, GtkWidget* pwgtButtons) {
    m_pwgtArea = pwgtArea;
    if (!m_pwgtArea)
        return;
    gtk_widget_add_events(m_pwgtArea, GDK_BUTTON_PRESS_MASK | GDK_POINTER_MOTION_MASK);
    gtk_widget_set_has_tooltip(m_pwgtArea, TRUE);
    g_signal_connect(m_pwgtArea, "expose-event", G_CALLBACK(onExpose), nullptr);
    g_signal_connect(m_pwgtArea, "query-tooltip", G_CALLBACK(onQueryTooltip), nullptr);
    g_signal_connect(m_pwgtArea, "button-press-event", G_CALLBACK(onButtonPress), nullptr);
    g_signal_connect(m_pwgtArea, "destroy", G_CALLBACK(forgetWidgets), nullptr);
    if (!pwgtButtons)
        return;
    m_pwgtSpan = gtk_combo_box_text_new();
    for (guint n : m_lstSpans) {
        const std::string str = "Timeline: " + std::to_string(n) + " months";
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(m_pwgtSpan), str.c_str());
    }
    tmlSetMonths(m_nMonths);
    g_signal_connect(m_pwgtSpan, "changed", G_CALLBACK(onSpanChanged), nullptr);
    gtk_box_pack_start(GTK_BOX(pwgtButtons), m_pwgtSpan, FALSE, FALSE, 0);
    gtk_button_box_set_child_secondary(GTK_BUTTON_BOX(pwgtButtons), m_pwgtSpan, TRUE);
    gtk_widget_show(m_pwgtSpan);
}

void tmlRefresh() {
    if (m_pwgtArea)
        gtk_widget_queue_draw(m_pwgtArea);
}

void tmlSetMonths(guint nMonths) {
    m_nMonths = nMonths < 3 ? 3 : nMonths > 24 ? 24 : nMonths;
    for (size_t i = 0; m_pwgtSpan && i < m_lstSpans.size(); ++i)
        if (m_lstSpans[i] == m_nMonths &&
            gtk_combo_box_get_active(GTK_COMBO_BOX(m_pwgtSpan)) != gint(i))
            gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtSpan), gint(i));
    tmlRefresh();
}

guint tmlGetMonths() {
    return m_nMonths;
}
