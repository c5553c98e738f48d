#include "modAC.h"

// Placeholders until the model's own work lands on this branch.
gboolean amodInitialize() {
    return TRUE;
}
gboolean amodLoadModel(gulong) {
    return TRUE;
}
int amodLoadACCallback(rcdAC*) {
    return 0;
}
GtkTreeModel* amodGetModel() {
    return nullptr;
}
GtkTreeIter* amodGetSelection() {
    return nullptr;
}
