// The component catalogue model of the active aircraft.
#pragma once

#include <glib.h>

gboolean cmodInitialize(gboolean bCompEdit);
