#include "avHelp.h"

// The help window arrives with the context-help work.
void hlpInitialize(GtkBuilder*, GtkWindow*) {}
