// Defect record of the log database (something found on the aircraft that
// stays open until cleared) and its load callback block.
#pragma once

#include <glib.h>

#include <ctime>

// How bad a defect is; a smaller value is worse.
enum _dfctSeverity {
    DFCT_GROUNDING = 0,   // do not fly until cleared
    DFCT_BEFORE_INSP = 1, // clear before the next inspection
    DFCT_NOTE = 2,        // noted, to watch
    DFCT_SEVERITY_NUM
};

struct rcdDefect {
    guint iDefectID; // row ID; all ones for a record not yet stored
    guint iACID;     // aircraft it was found on
    guint iFLogID;   // flight after which it was found; 0 none
    guint iCompID;   // component card; 0 none
    guint nSeverity; // _dfctSeverity
    time_t tReported;
    char szDesc[500];
    time_t tCleared;  // 0 while open
    guint iMaintID;   // maintenance record that cleared it; 0 none
    char szHow[500];  // how it was cleared when no record says it
    char szBy[100];   // who cleared it, when the owner says
    char szLink[300]; // what became of a flight or record it referred to
    gboolean bDelete;
    gboolean bDirty;
};

struct cbDefect {
    rcdDefect* prcdDefect;
    int (*pfuncDefectCB)(rcdDefect* prcdDefect);
};
