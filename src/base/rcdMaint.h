// Maintenance record of the log database and its load callback block.
#pragma once

#include <glib.h>

#include <ctime>

// Kind of row in the maintenance list: a stored record or the "<new record>" row.
typedef enum { MNT_ROW_DATA = 0, MNT_ROW_NEW = 1 } _mntRowType_t;

struct rcdMaint {
    guint iMaintID;         // row ID; all ones for a record not yet stored
    _mntRowType_t nRowType; // not stored
    guint iCompID;          // catalogue component card
    guint iType;
    guint8 bFlags;
    time_t tComplete;
    guint nCompHours;
    guint nCompAge;
    guint nDeferHours;
    guint nDeferDays;
    gboolean bDelete;
    char szNotes[1000];
    gboolean bDateDirty; // not stored
    gboolean bDirty;
};

struct cbMaint {
    rcdMaint* prcdMaint;
    int (*pfuncMaintCB)(rcdMaint* prcdMaint);
};
