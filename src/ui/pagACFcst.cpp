#include "pagACFcst.h"

#include "avCnv.h"
#include "avDue.h"
#include "avMisc.h"
#include "avPlot.h"
#include "modAC.h"
#include "modFLog.h"
#include "modForecast.h"
#include "rcdAC.h"

namespace {

GtkWidget* m_pwgtRate = nullptr;
GtkWidget* m_pwgtUse = nullptr;
GtkWidget* m_pwgtPlot = nullptr;
guint m_idIdle = 0;

void showRate() {
    const rcdAC* pAC = acdGetActiveAC();
    char sz[40] = "";
    if (acdHasActiveAC() && pAC->bFcstRate)
        cnvDcdHours(sz, sizeof sz, pAC->nFcstRate);
    gtk_entry_set_text(GTK_ENTRY(m_pwgtRate), sz);
}

gboolean onRateFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!acdHasActiveAC())
        return FALSE;
    rcdAC* pAC = acdGetActiveAC();
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    gboolean bSet = FALSE;
    guint nTenths = 0;
    if (*pszText && !cnvEncHours(&nTenths, pszText, FCST_RATE_MAX)) {
        mscRefuse(pwgt, "The forecast rate must be a number of hours a month from 0 to 200.0, or "
                        "empty to work it out from the flight log: it stays as it was.");
        showRate();
        return FALSE;
    }
    bSet = *pszText != '\0';
    if (bSet != pAC->bFcstRate || (bSet && nTenths != pAC->nFcstRate)) {
        pAC->bFcstRate = bSet;
        pAC->nFcstRate = bSet ? nTenths : 0;
        pAC->bDirty = TRUE;
        dueRefresh(); // its forecasts and timeline
    }
    acfShow();
    return FALSE;
}

gboolean onPlotExpose(GtkWidget* pwgt, GdkEventExpose*, gpointer) {
    double dWidth = 0, dHeight = 0;
    cairo_t* pcr = mscWhiteCanvas(pwgt, &dWidth, &dHeight);
    if (acdHasActiveAC())
        plotDrawBars(pcr, fcstMonthsFlown(), {dWidth, dHeight, 12});
    cairo_destroy(pcr);
    return TRUE;
}

gboolean showWhenIdle(gpointer) {
    m_idIdle = 0;
    acfShow();
    return FALSE;
}

// A flight added, changed or removed: once the change is complete.
void onFlightsChanged() {
    if (!m_idIdle && m_pwgtPlot)
        m_idIdle = g_idle_add(showWhenIdle, nullptr);
}

void forgetWidgets() {
    if (m_idIdle)
        g_source_remove(m_idIdle);
    m_idIdle = 0;
    m_pwgtRate = m_pwgtUse = m_pwgtPlot = nullptr;
}

} // namespace

void acfInitialize(GtkBuilder* pBuilder) {
    m_pwgtRate = mscGetWidget(pBuilder, "ACFcstRate");
    m_pwgtUse = mscGetWidget(pBuilder, "ACFcstUse");
    m_pwgtPlot = mscGetWidget(pBuilder, "ACFlownPlot");
    if (!m_pwgtRate || !m_pwgtUse || !m_pwgtPlot) {
        m_pwgtRate = m_pwgtUse = m_pwgtPlot = nullptr;
        return;
    }
    g_signal_connect(m_pwgtRate, "destroy", G_CALLBACK(forgetWidgets), nullptr);
    mscConnectField(m_pwgtRate, nullptr, G_CALLBACK(onRateFocusOut));
    g_signal_connect(m_pwgtPlot, "expose-event", G_CALLBACK(onPlotExpose), nullptr);
    GObject* pmodFLog = G_OBJECT(fmodGetModel());
    if (!g_object_get_data(pmodFLog, "acfFollows")) {
        g_object_set_data(pmodFLog, "acfFollows", GINT_TO_POINTER(1));
        for (const char* pszSignal : {"row-changed", "row-inserted", "row-deleted"})
            g_signal_connect_swapped(pmodFLog, pszSignal, G_CALLBACK(onFlightsChanged), nullptr);
    }
}

void acfShow() {
    if (!m_pwgtRate)
        return;
    showRate();
    gtk_widget_set_sensitive(m_pwgtRate, acdHasActiveAC());
    gtk_label_set_text(GTK_LABEL(m_pwgtUse),
                       acdHasActiveAC() ? fcstUseText(fcstUtilisation()).c_str() : "");
    gtk_widget_queue_draw(m_pwgtPlot);
}
