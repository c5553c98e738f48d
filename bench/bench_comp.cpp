// The component tree of a large aircraft: 400 cards, 20,000 maintenance
// records, 5,000 flights over twenty years. A full rebuild (cmodLoadModel)
// and a re-marking (cmodMarkDue) against a baseline that only walks the
// finished tree reading one column per row, in the same run. The page's own
// figures (a maintenance edit until recoloured and redrawn, entering the
// page again, start-up until the page is drawn) need the real UI in an X
// server: run them under xvfb-run; without a display they are skipped.
#include "avLedger.h"
#include "pagComp.h"
#include "pagFLog.h"
#include "bench_data.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "sqlMLog.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr guint kAllOnes = 0xFFFFFFFFu;

// The 20-year log's files, made once per run.
avb::TwentyYearLog& fleetFiles() {
    static avb::TwentyYearLog s_fleet("ZK-BIG");
    return s_fleet;
}

// The same log with this process's models loaded from it.
avb::TwentyYearLog& fleet() {
    fleetFiles().makeCurrent();
    return fleetFiles();
}

int walkOneColumn(GtkTreeModel* pModel, GtkTreeIter* piterParent) {
    int nRows = 0;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, -1);
        benchmark::DoNotOptimize(nType);
        nRows += 1 + walkOneColumn(pModel, &iter);
    }
    return nRows;
}

// Baseline: only iterates the finished tree, one column per row.
void BM_CompTreeWalkBaseline(benchmark::State& state) {
    fleet();
    int nRows = 0;
    for (auto _ : state)
        nRows = walkOneColumn(cmodGetModel(), nullptr);
    state.counters["rows"] = nRows;
}

// A second floor: the same walk reading the twelve columns a due decision
// needs from a card row. Marking cannot read less than this.
int walkDueColumns(GtkTreeModel* pModel, GtkTreeIter* piterParent) {
    int nRows = 0;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = 0, n[8] = {};
        gint64 t[4] = {};
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, -1);
        if (nType == TYPE_COMP)
            gtk_tree_model_get(pModel, &iter, CCD_INSPLAST_COL, &t[0], CCD_INSPINTV_COL, &n[0],
                               CCD_RCOLAST_COL, &t[1], CCD_RCOHOURS_COL, &n[1], CCD_RCOAGE_COL,
                               &n[2], CCD_RCOINTV_COL, &n[3], CCD_DEFERRCOLAST_COL, &t[2],
                               CCD_DEFERRCOHOURS_COL, &n[4], CCD_DEFERRCODAYS_COL, &n[5],
                               CCD_DEFERINSPLAST_COL, &t[3], CCD_DEFERINSPHOURS_COL, &n[6],
                               CCD_DEFERINSPDAYS_COL, &n[7], -1);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(t);
        nRows += 1 + walkDueColumns(pModel, &iter);
    }
    return nRows;
}

void BM_CompTreeWalkDueColumns(benchmark::State& state) {
    fleet();
    for (auto _ : state)
        benchmark::DoNotOptimize(walkDueColumns(cmodGetModel(), nullptr));
}

void BM_CompMarkDue(benchmark::State& state) {
    fleet();
    for (auto _ : state)
        cmodMarkDue();
}

// What one maintenance edit costs: summary from the list, the card row
// refreshed and judged, then the whole tree re-marked.
void BM_CompAfterEdit(benchmark::State& state) {
    fleet();
    const guint iCompID = 57;
    rcdComp rcd;
    memset(&rcd, 0, sizeof rcd);
    cbComp cb{&rcd, nullptr, nullptr};
    sqlLoadCompCard(&cb, iCompID, 0);
    cmodLoadModel(iCompID);
    GtkTreeIter iterCard = *cmodGetCompSel();
    mmodLoadModel(iCompID, kAllOnes);
    for (auto _ : state) {
        mntState* pS = mmodCalcCompTimes();
        cmodUpdateRow(&iterCard, &rcd, pS);
        benchmark::DoNotOptimize(cmodIsDue(&iterCard, fmodAFHoursTotal()));
        cmodMarkDue();
    }
}

void BM_CompLoadModel(benchmark::State& state) {
    fleet();
    for (auto _ : state)
        if (!cmodLoadModel(kAllOnes))
            state.SkipWithError("tree build cancelled");
}

// ---- the page, in the real program ----

void drawNow() {
    while (gtk_events_pending())
        gtk_main_iteration();
    gdk_window_process_all_updates();
    gdk_flush();
}

gboolean quitFromMenu(gpointer) {
    gtk_menu_item_activate(GTK_MENU_ITEM(gtk_builder_get_object(avGetBuilder(), "MenuFileQuit")));
    return FALSE;
}

void stopProgram() {
    g_idle_add(quitFromMenu, nullptr);
    gtk_main();
    avShutDown();
    avt::destroyToplevels();
    avb::TwentyYearLog::forgetCurrent();
}

bool startOnFiles(benchmark::State& state) {
    int nStatus = 0;
    if (!avt::startProgram({"avLedger"}, &nStatus)) {
        state.SkipWithError("start-up failed");
        return false;
    }
    drawNow();
    return true;
}

bool startOnFleet(benchmark::State& state) {
    if (!g_getenv("DISPLAY")) {
        state.SkipWithError("needs an X server: run under xvfb-run");
        return false;
    }
    fleet().prepareForProgram();
    return startOnFiles(state);
}

GtkWidget* uiWidget(const char* pszID) {
    return GTK_WIDGET(gtk_builder_get_object(avGetBuilder(), pszID));
}

// Start-up with the 20-year log until the component page is drawn.
// Only the program's own start is timed: the log's files exist beforehand
// and no model of this process holds them, as at a real launch. The first,
// untimed start leaves the models as every later stop does.
void BM_PageStartUp(benchmark::State& state) {
    if (!startOnFleet(state))
        return;
    stopProgram();
    for (auto _ : state) {
        state.PauseTiming();
        fleetFiles().prepareForProgram();
        state.ResumeTiming();
        if (!startOnFiles(state))
            return;
        state.PauseTiming();
        stopProgram();
        state.ResumeTiming();
    }
}

// Baseline of the two below: a redraw of the whole page, nothing changed.
void BM_PageRedrawBaseline(benchmark::State& state) {
    if (!startOnFleet(state))
        return;
    ccdSelectCompID(57);
    for (auto _ : state) {
        gtk_widget_queue_draw(uiWidget("PageComp"));
        drawNow();
    }
    stopProgram();
}

// A maintenance edit through the page's own path: the kind of the shown
// record changed by its toggle, then the card's summary, the row, every
// tree colour and the card's due entries, then the redraw.
void BM_PageMaintEdit(benchmark::State& state) {
    if (!startOnFleet(state))
        return;
    ccdSelectCompID(57);
    drawNow();
    bool bNew = false;
    for (auto _ : state) {
        bNew = !bNew;
        gtk_button_clicked(GTK_BUTTON(uiWidget(bNew ? "MaintReplaceNew" : "MaintInspect")));
        drawNow();
    }
    stopProgram();
}

// Entering the page again for the same aircraft: re-marking the tree with
// expansion and selection kept, the card shown again, the redraw.
void BM_PageReenter(benchmark::State& state) {
    if (!startOnFleet(state))
        return;
    ccdSelectCompID(57);
    drawNow();
    for (auto _ : state) {
        ccdOnPageEnter();
        drawNow();
    }
    stopProgram();
}

// Switching to page nPage (the notebook's order: components, drawings,
// flights, aircraft, pilots) from the shown one before it, until drawn: what
// the user waits for on every tab click. One frame is 16 ms.
void BM_PageSwitch(benchmark::State& state) {
    if (!startOnFleet(state))
        return;
    GtkNotebook* pNB = GTK_NOTEBOOK(uiWidget("MainNotebook"));
    // The flight log as in use: the latest flight chosen, its year open.
    gtk_notebook_set_current_page(pNB, 2);
    GtkTreeModel* pmod = fmodGetModel();
    const gint nYears = gtk_tree_model_iter_n_children(pmod, nullptr) - 1; // then <new flight>
    GtkTreeIter iterYear, iterMonth, iterFlight;
    if (nYears > 0 && gtk_tree_model_iter_nth_child(pmod, &iterYear, nullptr, nYears - 1) &&
        gtk_tree_model_iter_nth_child(pmod, &iterMonth, &iterYear,
                                      gtk_tree_model_iter_n_children(pmod, &iterYear) - 1) &&
        gtk_tree_model_iter_children(pmod, &iterFlight, &iterMonth)) {
        GtkTreePath* pPath = gtk_tree_model_get_path(pmod, &iterFlight);
        gtk_tree_view_expand_to_path(GTK_TREE_VIEW(uiWidget("FLogTreeView")), pPath);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(uiWidget("FLogTreeView")), pPath, nullptr, FALSE);
        gtk_tree_path_free(pPath);
    }
    drawNow();
    // Hidden pages (the drawings, while the card has none) cannot be chosen.
    auto shown = [pNB](gint n) {
        return gtk_widget_get_visible(gtk_notebook_get_nth_page(pNB, n));
    };
    const gint nPage = gint(state.range(0));
    gint nFrom = (nPage + 4) % 5;
    while (!shown(nFrom))
        nFrom = (nFrom + 4) % 5;
    if (!shown(nPage)) {
        state.SkipWithError("page hidden");
        stopProgram();
        return;
    }
    double dWorst = 0;
    for (auto _ : state) {
        gtk_notebook_set_current_page(pNB, nFrom);
        drawNow();
        const auto tBegin = std::chrono::steady_clock::now();
        gtk_notebook_set_current_page(pNB, nPage);
        drawNow();
        const std::chrono::duration<double> dt = std::chrono::steady_clock::now() - tBegin;
        state.SetIterationTime(dt.count());
        dWorst = std::max(dWorst, dt.count() * 1e3);
    }
    state.counters["worst_ms"] = dWorst;
    stopProgram();
}

// The flight log page's own part of a switch: its entry handler alone, with
// the page in view, nothing drawn.
void BM_FlightPageEnterHandler(benchmark::State& state) {
    if (!startOnFleet(state))
        return;
    gtk_notebook_set_current_page(GTK_NOTEBOOK(uiWidget("MainNotebook")), 2);
    drawNow();
    for (auto _ : state)
        fltOnPageEnter();
    stopProgram();
}

BENCHMARK(BM_CompTreeWalkBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompTreeWalkDueColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompMarkDue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompAfterEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompLoadModel)->Unit(benchmark::kMillisecond);
// Last: the program's shutdown releases the models the ones above use.
BENCHMARK(BM_PageStartUp)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PageRedrawBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageMaintEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageReenter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlightPageEnterHandler)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageSwitch)
    ->Unit(benchmark::kMillisecond)
    ->DenseRange(0, 4)
    ->Iterations(20)
    ->UseManualTime();

} // namespace
