// The pilot list model.
#pragma once

#include <glib.h>

gboolean pmodInitialize();
