// Aircraft record of the log database and its load callback block.
#pragma once

#include <glib.h>

#include <ctime>
#include <initializer_list>

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
    guint nLogHours; // tenths of an hour
    // Flight hours a month the owner expects (tenths), when bFcstRate is
    // set; else they are worked out from the flight log. Stored as one
    // column, NULL for "worked out": a log from before it reads so.
    gboolean bFcstRate;
    guint nFcstRate;
    gboolean bDelete; // written, not read back
    gboolean bDirty;
};

// Clears a record to no text, no dates and every option unset (-1, since
// 0 is a real option to the catalogue filter), with row ID iACID: a new
// aircraft, none active, and a row read with NULL columns all start so.
inline void rcdClearAC(rcdAC* prcdAC, guint iACID) {
    *prcdAC = rcdAC{};
    for (gint rcdAC::*piOpt : {&rcdAC::iHeliOpt, &rcdAC::iEngineOpt, &rcdAC::iMainDriveOpt,
                               &rcdAC::iMainRotorOpt, &rcdAC::iMRSystemOpt, &rcdAC::iClutchOpt,
                               &rcdAC::iTRSliderOpt, &rcdAC::iTailDriveOpt, &rcdAC::iTailRotorOpt})
        prcdAC->*piOpt = -1;
    prcdAC->iACID = iACID;
}

struct cbAC {
    rcdAC* prcdAC;
    int (*pfuncACCB)(rcdAC* prcdAC);
};
