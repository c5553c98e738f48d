// Row look-up in the tree stores that models and pages share.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Finds the first top-level row whose unsigned column iColID equals nID.
gboolean mscGetIterFromID(GtkTreeIter* piterTree, GtkTreeModel* pmodTree, guint iColID, guint nID);

// The text of a string column of a row ("" for NULL).
std::string mscTreeText(GtkTreeModel* pModel, GtkTreeIter* piter, int nCol);
