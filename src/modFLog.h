// The flight log model.
#pragma once

#include <glib.h>

gboolean fmodInitialize();
void fmodCleanUp();
