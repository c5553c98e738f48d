#include "pagAC.h"

// The page content arrives with the aircraft card page.
void acdInitialize(GtkBuilder*) {}
void acdOnPageLeave() {}
