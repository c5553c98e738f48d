// Aircraft card page; owns the active aircraft and the registration banner.
#pragma once

#include "modAC.h"

#include <gtk/gtk.h>

struct rcdAC;

// The active aircraft (acdGetActiveAC, acdHasActiveAC) is kept by the
// aircraft model; this page edits it in place.

// Makes the stored aircraft iACID active without the page's widgets:
// loads it into the working record (all option codes -1 first) and
// rebuilds the flight log model for it. For headless code and tests; the
// page itself activates aircraft through its list. FALSE when the load
// failed (the record is then the cleared one with iACID set).
gboolean acdLoadActiveAC(guint iACID);

// The banner beside the notebook tabs: registration, airframe hours
// (tenths) and model of the active aircraft.
void acdDisplayACReg(gint64 nAFHours);
void acdClearACReg();

void acdInitialize(GtkBuilder* pBuilder);
void acdOnPageLeave();

// Saves a changed registration. TRUE when the text is refused because it
// matches another listed registration after normalising (the caller puts
// the stored one back and says why); FALSE otherwise.
gboolean acdRegSave(const gchar* pszText);
