// Aircraft card page; owns the active aircraft and the registration banner.
#pragma once

#include <gtk/gtk.h>

struct rcdAC;

// The active aircraft: the page's working record itself (not a copy).
// Valid from program start, also when the page was never initialised.
// iACID is all ones while no stored aircraft is active.
rcdAC* acdGetActiveAC();
// TRUE while a stored aircraft is active: the one test of "no active
// aircraft" that every model and page uses.
gboolean acdHasActiveAC();

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

// Normalises a registration for comparison: ASCII letters and digits
// only, upper-cased, at most nlDest - 1 characters, terminated.
void acdParseACReg(gchar* pszDest, const gchar* pszSrc, guint nlDest);
// Saves a changed registration. TRUE when the text is refused because it
// matches another listed registration after normalising (the caller puts
// the stored one back and says why); FALSE otherwise.
gboolean acdRegSave(const gchar* pszText);
