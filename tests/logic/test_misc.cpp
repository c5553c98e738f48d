// Copying text into fixed fields, and finding list rows by their ID.
#include "avMisc.h"
#include "harness.h"

#include <cstring>
#include <string>

namespace {

TEST(CopyText, CutsOnlyOnCharacterBoundaries) {
    struct Case {
        const char* pszSource;
        std::size_t nlField;
        const char* pszExpected;
    };
    const Case lst[] = {
        {"abc", 4, "abc"},       // exact fit
        {"abcd", 4, "abc"},      // one byte over
        {"", 4, ""},             //
        {nullptr, 4, ""},        // no source
        {"abc", 1, ""},          // room for the terminator only
        {"Müller", 3, "M"},      // ü (2 bytes) would not fit whole
        {"Müller", 4, "Mü"},     // ü just fits
        {"Müller", 8, "Müller"}, // exact fit with a 2-byte letter
        {"Zoë's \"rotor\" 100%", 64, "Zoë's \"rotor\" 100%"},
        {"\xE2\x82\xAC"
         "100",
         3, ""}, // € (3 bytes) needs 4
        {"\xE2\x82\xAC"
         "100",
         4, "\xE2\x82\xAC"},
        {"a\xF0\x9F\x9A\x81", 5, "a"}, // 4-byte helicopter sign
        {"a\xF0\x9F\x9A\x81", 6, "a\xF0\x9F\x9A\x81"},
    };
    for (const auto& c : lst) {
        char sz[80];
        memset(sz, 'x', sizeof sz);
        mscCopyText(sz, c.nlField, c.pszSource);
        EXPECT_STREQ(sz, c.pszExpected)
            << (c.pszSource ? c.pszSource : "(null)") << " into " << c.nlField;
        EXPECT_TRUE(g_utf8_validate(sz, -1, nullptr));
        for (std::size_t i = c.nlField; i < sizeof sz; ++i)
            ASSERT_EQ(sz[i], 'x') << "wrote past the field: " << c.nlField;
    }
}

TEST(CopyText, ZeroSizedFieldAndArrayForm) {
    char sz[4] = "old";
    mscCopyText(sz, 0, "new");
    EXPECT_STREQ(sz, "old");

    char szField[6];
    mscCopyText(szField, "Hüller");
    EXPECT_STREQ(szField, "Hüll");
}

// Top-level rows only; the first match wins.
TEST(IterFromID, FindsTopLevelRows) {
    GtkTreeStore* psto = gtk_tree_store_new(2, G_TYPE_STRING, G_TYPE_UINT);
    GtkTreeModel* pmod = GTK_TREE_MODEL(psto);
    GtkTreeIter iter, iterChild;

    EXPECT_FALSE(mscGetIterFromID(&iter, pmod, 1, 5)) << "empty model";

    struct Row {
        const char* pszName;
        guint nID;
    };
    const Row lstRows[] = {{"a", 5}, {"b", 7}, {"c", 7}, {"d", 9}, {"e", 0xFFFFFFFF}};
    for (const auto& r : lstRows) {
        gtk_tree_store_append(psto, &iter, nullptr);
        gtk_tree_store_set(psto, &iter, 0, r.pszName, 1, r.nID, -1);
        gtk_tree_store_append(psto, &iterChild, &iter);
        gtk_tree_store_set(psto, &iterChild, 0, "child", 1, r.nID + 100, -1);
    }

    struct Case {
        guint nID;
        const char* pszFound; // nullptr when not found
    };
    const Case lst[] = {{5, "a"},          {7, "b"},       {9, "d"},
                        {0xFFFFFFFF, "e"}, {105, nullptr}, // only a child has it
                        {6, nullptr},      {0, nullptr}};
    for (const auto& c : lst) {
        gboolean bFound = mscGetIterFromID(&iter, pmod, 1, c.nID);
        EXPECT_EQ(bFound, c.pszFound != nullptr) << c.nID;
        if (bFound && c.pszFound) {
            gchar* pszName = nullptr;
            gtk_tree_model_get(pmod, &iter, 0, &pszName, -1);
            EXPECT_STREQ(pszName, c.pszFound) << c.nID;
            g_free(pszName);
        }
    }
    // A column that holds no ID is never read as one.
    EXPECT_FALSE(mscGetIterFromID(&iter, pmod, 0, 5));
    EXPECT_FALSE(mscGetIterFromID(&iter, pmod, 2, 5));
    g_object_unref(psto);
}

} // namespace
