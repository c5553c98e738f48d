#include "modFLog.h"

// Placeholders until the model's own work lands on this branch.
gboolean fmodInitialize() {
    return TRUE;
}
void fmodCleanUp() {}
gboolean fmodLoadModel(gint, guint*) {
    return FALSE;
}
int fmodLoadFLogCallback(rcdFLog*) {
    return 0;
}
void fmodClearModel() {}
GtkTreeModel* fmodGetModel() {
    return nullptr;
}
GtkTreeIter* fmodGetSelection() {
    return nullptr;
}
guint fmodAFHoursAtDate(time_t) {
    return 0;
}
guint fmodAFHoursTotal() {
    return 0;
}
gboolean fmodAFHours(gulong, GtkTreeIter*) {
    return TRUE;
}
guint fmodAFHoursByWalk(time_t) {
    return 0;
}
guint fmodCalcAFAccum() {
    return 0;
}
void fmodUpdateElapsed(GtkTreeIter*) {}
void fmodResetNewFlightLabel() {}
