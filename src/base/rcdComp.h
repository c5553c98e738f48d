// Component card and service note records of the catalogue database and
// their load callback blocks.
#pragma once

#include <glib.h>

// The tree row a card is appended under; storage needs no more of GTK.
typedef struct _GtkTreeIter GtkTreeIter;

struct rcdComp {
    guint iCompID;     // row ID; all ones for a record not yet stored
    guint iGroupID;    // bits 0 to 30 of the stored iGroupID
    guint iGroupLevel; // 1 when bit 31 of the stored iGroupID is set
    char szPartNmbr[32];
    char szPartDesc[50];
    char szPartRef[50];
    char szDescNotes[500];
    guint iSNote1ID; // service notes; 0 for none
    guint iSNote2ID;
    guint iSNote3ID;
    guint nInspIntv; // packed inspection interval
    guint nRCOIntv;  // packed replacement limit
    gboolean bDelete;
    guint iSortOrder;
    guint bOptHeli;
    guint bOptEng;
    guint bOptMainDrive;
    guint bOptMainRotor;
    guint bOptMRSystem;
    guint bOptClutch;
    guint bOptTRSlider;
    guint bOptTailDrive;
    guint bOptTailRotor;
    gboolean bDirty;
};

struct cbComp {
    rcdComp* prcdComp;
    GtkTreeIter* piterSubGrp; // handed through to the function
    int (*pfuncCompCB)(rcdComp* prcdComp, GtkTreeIter* piterSubGrp);
};

struct rcdSNote {
    guint iSNoteID; // row ID; all ones for a record not yet stored
    char szLabel[50];
    char szText[5000]; // tilde mark-up
    gboolean bDelete;
    gboolean bDirty;
};

struct cbSNote {
    rcdSNote* prcdSNote;
    int (*pfuncSNoteCB)(rcdSNote* prcdSNote);
};
