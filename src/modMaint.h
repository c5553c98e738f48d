// The maintenance list model.
#pragma once

#include <glib.h>

gboolean mmodInitialize();
