#include "modComp.h"

// The model arrives with its own work; until then it starts empty.
gboolean cmodInitialize(gboolean) { return TRUE; }
