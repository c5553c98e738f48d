// Pilot record of the log database and its load callback block.
#pragma once

#include <glib.h>

#include <ctime>

struct rcdPilot {
    guint iPilotID; // row ID; all ones for a record not yet stored
    char szLName[100];
    char szFName[100];
    char szSortKey[50];
    time_t tLastMed;
    time_t tNextMed;
    guint nMedIntv; // packed calendar interval
    gboolean bMedAuto;
    gboolean bMedMonthEnd;
    time_t tLastFR;
    time_t tNextFR;
    guint nFRIntv; // packed calendar interval
    gboolean bFRAuto;
    gboolean bFRMonthEnd;
    gboolean bDelete;
    char szNotes[1000];
    gboolean bDirty;
};

struct cbPilot {
    rcdPilot* prcdPilot;
    int (*pfuncPilotCB)(rcdPilot* prcdPilot);
};
