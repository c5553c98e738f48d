#include "pagPilot.h"

// The page content arrives with the pilot card page.
void pltInitialize(GtkBuilder*) {}
void pltOnPageEnter() {}
void pltOnPageLeave() {}
