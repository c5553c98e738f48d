#include "modAC.h"

// The model arrives with its own work; until then it starts empty.
gboolean amodInitialize() { return TRUE; }
