// Maintenance record panel of the component page: the list of the card's
// records, the record shown with its kind, figures and notes, and the date
// editor in the list.
#pragma once

#include <gtk/gtk.h>

struct rcdComp;

// What the panel asks of the card page, which fills it in.
struct mntCardOps {
    // The card in hand; null once the page has let go of it.
    const rcdComp* (*pfnCard)();
    // TRUE while the tree still holds the card row shown.
    gboolean (*pfnCardInTree)();
    // The aircraft the tree was built for: records go under it.
    guint (*pfnACID)();
    // A record changed: the card's due figures and the tree's colours follow.
    void (*pfnDueChanged)();
};

void mntInitialize(GtkBuilder* pBuilder, const mntCardOps* pOps);
// Lists the card's records and shows the one selected, or none.
void mntShowCard(guint iCompID);
// Lists the card's records again (flights logged meanwhile change their
// airframe hours) with the same record shown.
void mntRefreshList(guint iCompID);
// Empties the list and the record, greyed.
void mntClear();
// Writes the record shown when it changed, finished.
void mntSavePending(const char* pszFunction);
// The record in hand starts empty, so that nothing shown later can be
// saved back over another record.
void mntForget();
