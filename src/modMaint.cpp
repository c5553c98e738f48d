#include "modMaint.h"

// The model arrives with its own work; until then it starts empty.
gboolean mmodInitialize() { return TRUE; }
