#include "pagRef.h"

// The page content arrives with the drawing viewer.
void refInitialize(GtkBuilder*, gboolean) {}
void refOnPageEnter() {}
void refOnPageLeave() {}
void refCleanUp() {}
void refLoadRecords(guint) {}
void refPageShow(gboolean) {}
