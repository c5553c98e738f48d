// Flight record of the log database and its load callback block.
#pragma once

#include "avCnv.h"

#include <glib.h>

#include <ctime>

// Bits of nType.
constexpr guint FLT_TYPE_DUAL = 1;
constexpr guint FLT_TYPE_NIGHT = 2;
constexpr guint FLT_TYPE_IFR = 4;
constexpr guint FLT_TYPE_XC = 8;
// A start at exactly 00:00 has always meant a flight entered by its date
// alone; this bit says the take-off was typed as 00:00 and is a real time.
constexpr guint FLT_TAKEOFF_MIDNIGHT = 0x100;

// Seconds of one tenth of flight time.
constexpr time_t FLT_TENTH = 360;
// Times up to this value are bare durations, never clock times.
constexpr time_t FLT_MAX_DURATION = 360000;
// A landing earlier in the day than the take-off is the next day only for
// a flight this class of helicopter can make; anything longer is a typing
// error.
constexpr time_t FLT_OVERNIGHT_MAX = 12 * 3600;

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

// A take-off time is known when the start carries a time of day, or when
// 00:00 itself was typed.
inline bool fltTakeOffKnown(time_t tFltBegin, guint nType) {
    return tFltBegin > 0 && (tFltBegin % SECONDS_PER_DAY != 0 || (nType & FLT_TAKEOFF_MIDNIGHT));
}

struct cbFLog {
    rcdFLog* prcdFLog;
    int (*pfuncFLogCB)(rcdFLog* prcdFLog);
};
