#include "pagFLog.h"

// The page content arrives with the flight log page.
void fltInitialize(GtkBuilder*) {}
void fltOnPageEnter() {}
void fltOnPageLeave() {}
