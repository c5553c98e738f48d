// The shipped catalogue in the real tree: no card is lost for want of a
// place, and the tree of a standard aircraft builds and marks cleanly.
#include "test_comp_fixture.h"

#include <map>
#include <string>

namespace {

using namespace avct;

struct TreeCount {
    int nCards = 0;
    int nItalic = 0;
    std::map<gulong, int> seen; // card ID -> times in the tree
};

void countCards(GtkTreeModel* pModel, GtkTreeIter* piterParent, TreeCount* pCount) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = 0, nStyle = 0;
        gulong iID = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, CCD_STYLE_COL, &nStyle, CCD_INX_COL,
                           &iID, -1);
        if (nType == TYPE_COMP) {
            ++pCount->nCards;
            pCount->nItalic += nStyle == 2;
            ++pCount->seen[iID];
        }
        countCards(pModel, &iter, pCount);
    }
}

class ShippedCatalogue : public CompTest, public testing::WithParamInterface<bool> {
  protected:
    void prepareData() override { avt::copyCatalogue(*m_dirs); }
    gboolean editMode() const override { return GetParam(); }
};

TEST_P(ShippedCatalogue, EveryCardHasItsPlaceInTheTree) {
    auto rows = avt::query(catDb(), "SELECT COUNT(*) FROM Component WHERE bDelete = 0 OR "
                                    "bDelete IS NULL");
    ASSERT_EQ(rows.size(), 1u);
    int nStored = std::stoi(*rows[0][0]);
    ASSERT_GT(nStored, 0);

    guint iACID = addAircraft(utc(2015, 3, 1));
    addFlights(iACID, {{utc(2015, 4, 1), 30000}});
    activate(iACID);
    ASSERT_TRUE(cmodLoadModel(ALL));
    TreeCount count;
    countCards(cmodGetModel(), nullptr, &count);
    for (auto [iID, n] : count.seen)
        EXPECT_EQ(n, 1) << "card " << iID << " appears " << n << " times";
    if (editMode()) {
        EXPECT_EQ(count.nCards, nStored) << "a card whose group is in no table is lost";
    } else {
        EXPECT_EQ(count.nItalic, 0);
        EXPECT_GT(count.nCards, nStored / 2) << "a standard aircraft sees most of the catalogue";
        EXPECT_LE(count.nCards, nStored);
    }
    // 3000 hours on a ten-year-old airframe with no maintenance: the tree
    // must show replacements due, and a group carries the worst state.
    GtkTreeIter iter;
    bool bRedBold = false;
    for (gboolean b = gtk_tree_model_get_iter_first(cmodGetModel(), &iter); b;
         b = gtk_tree_model_iter_next(cmodGetModel(), &iter))
        bRedBold |=
            text(&iter, CCD_COLOUR_COL) == "red" && col<guint>(&iter, CCD_WEIGHT_COL) == 700;
    EXPECT_TRUE(bRedBold);
}

INSTANTIATE_TEST_SUITE_P(Modes, ShippedCatalogue, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "EditMode" : "Normal");
                         });

} // namespace
