// Copying text into fixed fields, and finding list rows by their ID.
#include "avMisc.h"
#include "harness.h"

#include <cstring>
#include <string>
#include <tuple>

namespace {

TEST(Misc, CopyTextCutsOnlyOnCharacterBoundaries) {
    // Source, field size, what the field holds ("x": left alone).
    const std::tuple<const char*, std::size_t, const char*> lst[] = {
        {"abc", 4, "abc"},
        {"abcd", 4, "abc"},
        {nullptr, 4, ""},
        {"abc", 0, "x"},
        {"Müller", 3, "M"},
        {"Müller", 4, "Mü"},
        {"Müller", 8, "Müller"},
        {"€1", 3, ""},
        {"a\xF0\x9F\x9A\x81", 5, "a"}, // a 4-byte sign needs 4 bytes
    };
    for (auto [pszSource, nlField, pszExpected] : lst) {
        char sz[16];
        memset(sz, 'x', sizeof sz);
        mscCopyText(sz, nlField, pszSource);
        EXPECT_EQ(std::string(sz, strnlen(sz, nlField ? nlField : 1)), pszExpected) << nlField;
        EXPECT_EQ(std::string(sz + nlField, sizeof sz - nlField),
                  std::string(sizeof sz - nlField, 'x'))
            << "wrote past the field of " << nlField;
    }
}

TEST(Misc, GetIterFromIDFindsTheFirstTopLevelRow) {
    GtkTreeStore* psto = gtk_tree_store_new(2, G_TYPE_STRING, G_TYPE_UINT);
    GtkTreeModel* pmod = GTK_TREE_MODEL(psto);
    GtkTreeIter iter, iterChild;
    EXPECT_FALSE(mscGetIterFromID(&iter, pmod, 1, 5)) << "empty model";
    for (auto [pszName, nID] : {std::tuple("a", 5u), {"b", 7u}, {"c", 7u}, {"d", 0xFFFFFFFFu}}) {
        gtk_tree_store_insert_with_values(psto, &iter, nullptr, -1, 0, pszName, 1, nID, -1);
        gtk_tree_store_insert_with_values(psto, &iterChild, &iter, -1, 0, "child", 1, nID + 100,
                                          -1);
    }
    // Column, ID, name found (nullptr: none; 105 is only in a child, column 0 holds no ID).
    const std::tuple<guint, guint, const char*> lst[] = {{1, 5, "a"},          {1, 7, "b"},
                                                         {1, 0xFFFFFFFF, "d"}, {1, 105, nullptr},
                                                         {1, 6, nullptr},      {0, 5, nullptr}};
    for (auto [iCol, nID, pszFound] : lst) {
        gchar* pszName = nullptr;
        if (mscGetIterFromID(&iter, pmod, iCol, nID))
            gtk_tree_model_get(pmod, &iter, 0, &pszName, -1);
        EXPECT_STREQ(pszName, pszFound) << nID;
        g_free(pszName);
    }
    g_object_unref(psto);
}

} // namespace
