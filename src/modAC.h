// The aircraft list model.
#pragma once

#include <glib.h>

gboolean amodInitialize();
