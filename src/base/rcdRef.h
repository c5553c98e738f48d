// Reference drawing and target records of the catalogue database and
// their load callback blocks.
#pragma once

#include <glib.h>

struct rcdRef {
    guint iRefID; // row ID; all ones for a record not yet stored
    guint iCompID;
    char szDrawing[100]; // image file name
    guint nRotate;
    gboolean bDelete;
    gboolean bDirty;
};

struct cbRef {
    rcdRef* prcdRef;
    int (*pfuncRefCB)(rcdRef* prcdRef);
};

// Shapes of a target drawn over a reference drawing.
enum { REF_TGT_NONE = 0, REF_TGT_RECT = 1, REF_TGT_CIRCLE = 2, REF_TGT_ARROW = 3 };

struct rcdTarget {
    guint iTargetID; // row ID; all ones for a record not yet stored
    guint iRefID;
    guint nX;
    guint nY;
    guint nWidth;
    guint nHeight;
    guint nLen;
    guint nAngle;
    guint iShape; // REF_TGT_...
    guint nWeight;
    guint nColour;
    gboolean bDelete;
    gboolean bDirty;
};

struct cbTarget {
    rcdTarget* prcdTgt;
    int (*pfuncTgtCB)(rcdTarget* prcdTgt);
};
