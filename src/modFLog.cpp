#include "modFLog.h"

// The model arrives with its own work; until then it starts empty.
gboolean fmodInitialize() { return TRUE; }
void fmodCleanUp() {}
