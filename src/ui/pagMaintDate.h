// In-place editing of the date column of the maintenance list: the editor
// opened on a row, and the date typed handed over once the editor is gone.
#pragma once

#include <gtk/gtk.h>

#include <ctime>

// What the date editor asks of the maintenance panel, which fills it in.
struct mdeListOps {
    // The date the new-record row's editor offers; 0 when none was entered.
    time_t (*pfnLastDate)();
    // The text typed into the date of the row at pszPath.
    void (*pfnTakeDate)(const gchar* pszPath, const gchar* pszText);
};

// Makes pRenderer, the date column of pTree, edit dates through pOps.
void mdeConnect(GtkCellRenderer* pRenderer, GtkTreeView* pTree, const mdeListOps* pOps);
