#include "modPilot.h"

// The model arrives with its own work; until then it starts empty.
gboolean pmodInitialize() { return TRUE; }
