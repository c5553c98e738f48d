// Component card page: the component tree with its due colours, the card
// of the selected component with its due figures and the look-ahead mark.
// Beside the card it drives the maintenance record panel (pagMaint) and, in
// component edit mode, the catalogue editor (pagCompEdit).
#pragma once

#include <gtk/gtk.h>

void ccdInitialize(GtkBuilder* pBuilder, gboolean bCompEdit);
void ccdOnPageEnter();
// Saves the maintenance record, the service notes and the card when changed.
void ccdOnPageLeave();
void ccdCleanUp();

// Empties the tree, the card and the record panel (no active aircraft).
void ccdClearCompPage();
// Shows, clears and (de)sensitises the card.
void ccdDisplayUpdate();
void ccdDisplayClear();
void ccdDisplaySensitive(gboolean bSensitive);
// Fills the four due entries from a card row.
void ccdDueUpdate(GtkTreeIter* piterComp);
// Shows the look-ahead mark in its two entries.
void ccdMarkUpdate();
// After a maintenance edit: the selected card's summary from the record
// list, its row judged again, its due entries and every tree colour.
void ccdDueTimesUpdate();

// Shows the card of a component: switches to the component page, expands
// the tree down to the card and selects it. FALSE when the active
// aircraft's tree has no such card.
gboolean ccdSelectCompID(guint iCompID);
