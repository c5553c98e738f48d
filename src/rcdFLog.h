// Flight record of the log database and its load callback block.
#pragma once

#include <glib.h>

#include <ctime>

struct rcdFLog {
    guint iFLogID; // row ID; all ones for a record not yet stored
    guint iCSID;   // aircraft flown
    guint iPilotID;
    guint iStudentID;
    time_t tFltBegin;
    time_t tFltEnd;
    guint nElapsed;   // tenths of an hour
    time_t tEngStart; // not stored
    time_t tEngStop;  // not stored
    guint nType;
    double nFromLat; // positions are not stored
    double nFromLong;
    double nToLat;
    double nToLong;
    char szFrom[100];
    char szTo[100];
    char szNotes[500];
    char szPaxList[100];
    gboolean bDelete;
    gboolean bDirty;
};

struct cbFLog {
    rcdFLog* prcdFLog;
    int (*pfuncFLogCB)(rcdFLog* prcdFLog);
};
