#include "pagComp.h"

// The page content arrives with the component page; the frame already
// calls these at the right moments.
void ccdInitialize(GtkBuilder*, gboolean) {}
void ccdOnPageEnter() {}
void ccdOnPageLeave() {}
void ccdCleanUp() {}
gboolean ccdSelectCompID(guint) {
    return FALSE;
}
