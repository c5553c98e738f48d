// Aircraft record of the log database and its load callback block.
#pragma once

#include <glib.h>

#include <ctime>

struct rcdAC {
    guint iACID; // row ID; all ones for a record not yet stored
    char szReg[20];
    char szModel[100];
    char szSerial[20];
    time_t tManu;
    char szBuilder[100];
    char szOwner[100];
    char szNotes[1000];
    gint iHeliOpt;
    gint iEngineOpt;
    gint iMainDriveOpt;
    gint iMainRotorOpt;
    gint iMRSystemOpt;
    gint iClutchOpt;
    gint iTRSliderOpt;
    gint iTailDriveOpt;
    gint iTailRotorOpt;
    guint bModFlags; // not stored
    guint bOptFlags; // not stored
    gboolean bLogSinceNew;
    time_t tLogStart;
    guint nLogHours;  // tenths of an hour
    gboolean bDelete; // written, not read back
    gboolean bDirty;
};

struct cbAC {
    rcdAC* prcdAC;
    int (*pfuncACCB)(rcdAC* prcdAC);
};
