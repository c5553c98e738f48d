#include "pagAC.h"

// Placeholders until the page's own work lands on this branch.
rcdAC* acdGetActiveAC() {
    return nullptr;
}
gboolean acdLoadActiveAC(guint) {
    return FALSE;
}
void acdDisplayACReg(guint) {}
void acdClearACReg() {}
void acdInitialize(GtkBuilder*) {}
void acdOnPageLeave() {}
void acdParseACReg(gchar* pszDest, const gchar*, guint nlDest) {
    if (nlDest)
        pszDest[0] = '\0';
}
gboolean acdRegSave(const gchar*) {
    return FALSE;
}
