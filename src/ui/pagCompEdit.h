// Catalogue editor of the component page (component edit mode): the card's
// description, sort order, options and service notes edited, cards added
// to a group and deleted.
#pragma once

#include "avMisc.h"

#include <gtk/gtk.h>

struct rcdComp;
struct rcdSNote;

// What the editor asks of the card page, which fills it in.
struct cedCardOps {
    // The card's fields in the order the keys move through them.
    const wgtLUT* plstCardLUT;
    // The card in hand and its three service notes (slots 0 to 2).
    rcdComp* (*pfnCard)();
    rcdSNote* (*pfnNote)(int iSlot);
    // The card's row in the tree, or null when the tree no longer holds it.
    GtkTreeIter* (*pfnCardRow)();
    // Shows the card again; judges it again after a limit changed.
    void (*pfnShow)();
    void (*pfnDueChanged)();
    // Empties the page for a new card in the group chosen; FALSE when none is.
    gboolean (*pfnStartNewCard)();
    // The new card just stored: the tree rebuilt with it selected.
    void (*pfnShowNewCard)();
    // The card just deleted: the tree rebuilt with the card's group open.
    void (*pfnCardDeleted)();
};

// Null ops: no edit mode, the editor stays hidden and idle.
void cedInitialize(GtkBuilder* pBuilder, const cedCardOps* pOps);
void cedCleanUp();
// The note slot being edited; null when all three notes are shown.
const rcdSNote* cedNoteInEdit();
// The New and Delete buttons.
void cedSetButtons(gboolean bNew, gboolean bDelete);
// The editor's own fields: shown from the card, emptied, (de)sensitised.
void cedDisplayUpdate();
void cedDisplayClear();
void cedDisplaySensitive(gboolean bSensitive);
