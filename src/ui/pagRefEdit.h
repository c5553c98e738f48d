// Reference setup editor: in component edit mode, the part of the drawing
// page that attaches drawings and their targets to a card. It edits the
// page's tree of drawings and reaches the viewer through RefViewOps only.
#pragma once

#include "refGeom.h"

#include <gtk/gtk.h>

// The page's tree: a top-level row per drawing, a child row per target.
inline constexpr guint REF_ID_NONE = 0xFFFFFFFF;
enum {
    REF_COL_KIND,
    REF_COL_ID,
    REF_COL_FILE,
    REF_COL_X,
    REF_COL_Y,
    REF_COL_WIDTH,
    REF_COL_HEIGHT,
    REF_COL_LEN,
    REF_COL_ANGLE,
    REF_COL_SHAPE_NAME,
    REF_COL_SHAPE,
    REF_COL_WEIGHT,
    REF_COL_COLOUR,
    REF_COL_UNUSED,
    REF_COL_NUM
};
enum { REF_ROW_REF = 0, REF_ROW_TGT = 1 };
// A target's row, written from its record (an unknown shape as None) and read back.
void refTargetRowSet(GtkTreeStore* psto, GtkTreeIter* piter, const rcdTarget& tgt);
rcdTarget refTargetRowGet(GtkTreeModel* pmod, GtkTreeIter* piter);

// What the editor asks of the viewer it sits in.
struct RefViewOps {
    guint (*pfuncCompID)();                 // the card shown; 0 or REF_ID_NONE: none
    void (*pfuncShowDrawing)(guint iIndex); // shows the drawing of a top-level row
    // The drawings of the tree changed (added, renamed, removed): the
    // selector follows and the drawing shown is composed again.
    void (*pfuncDrawingsChanged)();
    void (*pfuncRedraw)(); // the targets changed: compose and draw again
    // The picture pixel under a drawing pixel; FALSE while no picture is shown.
    gboolean (*pfuncPictureAt)(gdouble xDraw, gdouble yDraw, guint* pnX, guint* pnY);
    void (*pfuncPictureCentre)(guint* pnX, guint* pnY);
};

// Sets the editor up on the page's tree (which the page keeps).
void refEditInitialize(GtkBuilder* pBuilder, GtkTreeStore* pstoRef, const RefViewOps& ops);
// A right click on the drawing places the selected target there.
gboolean refEditOnDrawingClick(GtkWidget* pwgt, GdkEventButton* pevt, gpointer);
// Selects the first drawing of a card just loaded.
void refEditSelectFirst();
// Writes the records being edited; pszFunction and pszLocus name the caller in errors.
void refEditSave(const char* pszFunction, const char* pszLocus);
// Forgets the records and empties the entries: the card has no drawing.
void refEditClear();
void refEditCleanUp();
