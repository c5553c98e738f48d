// The component tree on real catalogue and log databases: its shape, the
// option filter, the drawing column, the remembered selection, the marking
// of groups and sub-groups, the look-ahead mark kept in the settings, and
// the shipped catalogue in it.
#include "test_comp_fixture.h"

#include <map>

namespace {

using namespace avct;

// Rows below a parent as "Name[children]" joined by ",": cards as "*Name",
// "{DRAWING}" when they have one and "/i" in italics; groups end a line.
std::string outline(GtkTreeIter* piterParent = nullptr) {
    std::string str;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(cmodGetModel(), &iter, piterParent); b;
         b = gtk_tree_model_iter_next(cmodGetModel(), &iter)) {
        if (!str.empty() && piterParent)
            str += ",";
        bool bCard = col<guint>(&iter, CCD_TYPE_COL) == TYPE_COMP;
        std::string strDrawing = bCard ? text(&iter, CCD_DRAWING_COL) : "";
        str += (bCard ? "*" : "") + text(&iter, CCD_COMP_COL);
        str += strDrawing.empty() ? "" : "{" + strDrawing + "}";
        str += col<guint>(&iter, CCD_STYLE_COL) == 2 ? "/i" : "";
        std::string strBelow = outline(&iter);
        str += strBelow.empty() ? "" : "[" + strBelow + "]";
        str += piterParent ? "" : "\n";
    }
    return str;
}

using CompTree = CompTest;

TEST_F(CompTree, ShapeOrderDrawingsAndSelection) {
    activate(addAircraft(utc(2020, 1, 1)));
    // Written out of order on purpose: the tree orders by sort order.
    addCard({.iGroupID = 1, .pszDesc = "Frame tube", .nSort = 2});
    addCard({.iGroupID = 1, .pszDesc = "Frame gusset", .nSort = 1});
    addCard({.iGroupID = 1, .bLevel = true, .pszDesc = "Placard", .nSort = 5});
    addCard({.iGroupID = 1, .bLevel = true, .pszDesc = "Data plate", .nSort = 3});
    addCard({.iGroupID = 25, .pszDesc = "Skid shoe"});
    addCard({.iGroupID = 7, .bLevel = true, .pszDesc = "Battery"});
    addCard({.iGroupID = 8, .bLevel = true, .pszDesc = "Tachometer"});
    addCard({.iGroupID = 17, .pszDesc = "Blade"}, {"a.b.png"});
    guint iHub = addCard({.iGroupID = 23, .pszDesc = "Hub bolt"}, {"hub.png", "mast.png"});
    // Forty drawings overflow the column: it stops short of 100 bytes
    // without cutting a character in half.
    addCard({.iGroupID = 11, .pszDesc = "Strap"}, std::vector<const char*>(40, "ÜÜ.png"));
    std::string strStrap;
    for (int i = 0; i < 16; ++i)
        strStrap += "ÜÜ, ";
    strStrap += "Ü,";
    ASSERT_TRUE(cmodLoadModel(iHub));
    // clang-format off
    EXPECT_EQ(outline(),
        "Fuselage[*Data plate,*Placard,Airframe[*Frame gusset,*Frame tube],Landing Gear[*Skid shoe],Tail Boom,Body,Ground Handling Wheels,Ballast Weight,Doors]\n"
        "Engine[Oil System,Cooling System,Fuel System,Exhaust System,Intake System,Torque Link,Ignition]\n"
        "Drive Train[Tail Rotor Drive,Main Drive,Fan Drive]\n"
        "Main Rotor System[Main Rotor Blades[*Blade{A}],Rotor Hub Assembly[*Hub bolt{HUB, MAST}],Swash Plate Assembly,Main Rotor Shaft Assembly]\n"
        "Tail Rotor System[Tail Rotor[*Strap{" + strStrap + "}],Pitch Actuator,Mount,Drive]\n"
        "Flight Controls[Directional Control,Cyclic Control,Collective Control,Throttle Control]\n"
        "Electrical System[*Battery]\n"
        "Instrumentation[*Tachometer]\n");
    // clang-format on
    // The remembered card, and its sub-group row's index naming its ID.
    GtkTreeIter* piterSel = cmodGetCompSel();
    ASSERT_NE(piterSel, nullptr);
    EXPECT_EQ(col<gulong>(piterSel, CCD_INX_COL), gulong(iHub));
    GtkTreeIter iterSub;
    ASSERT_TRUE(gtk_tree_model_iter_parent(cmodGetModel(), &iterSub, piterSel));
    EXPECT_EQ(cmodSCompID(guint(col<gulong>(&iterSub, CCD_INX_COL))), 23u);
    EXPECT_EQ(cmodGCompID(8), ALL);
    EXPECT_EQ(cmodSCompID(29), ALL);
}

// Which cards an aircraft sees, and how edit mode shows the others.
TEST_F(CompTree, OptionFilter) {
    addCard({.iGroupID = 4, .pszDesc = "Any", .nSort = 0});
    guint iEng23 = addCard({.iGroupID = 4, .pszDesc = "Eng23", .nSort = 1, .bOptEng = 0xC});
    addCard({.iGroupID = 4, .pszDesc = "StdHeli", .nSort = 2, .bOptHeli = 0x1});
    guint iGone = addCard({.iGroupID = 4, .pszDesc = "Deleted", .nSort = 3});
    avt::exec(catDb(), "UPDATE Component SET bDelete=1 WHERE iCompID=" + std::to_string(iGone));
    struct Case {
        gint iEngineOpt, iOtherOpt;
        gboolean bEdit;
        const char* pszOilSystem;
    };
    const Case cases[] = {
        {2, 0, FALSE, "*Any,*Eng23,*StdHeli"},  {3, 0, FALSE, "*Any,*Eng23,*StdHeli"},
        {34, 0, FALSE, "*Any,*Eng23,*StdHeli"}, {99, 0, FALSE, "*Any,*Eng23,*StdHeli"},
        {4, 0, FALSE, "*Any,*StdHeli"},         {0, 0, FALSE, "*Any,*StdHeli"},
        {4, 0, TRUE, "*Any,*Eng23/i,*StdHeli"}, {100, 0, FALSE, "*Any,*StdHeli"},
        {-1, 0, FALSE, "*Any,*StdHeli"},        {2, 100, FALSE, "*Any,*Eng23"},
        {2, -1, FALSE, "*Any,*Eng23"},          {2, 100, TRUE, "*Any,*Eng23,*StdHeli/i"},
    };
    for (const Case& c : cases) {
        activate(addAircraft(utc(2020, 1, 1), c.iEngineOpt, c.iOtherOpt));
        cmodInitialize(c.bEdit);
        ASSERT_TRUE(cmodLoadModel(iEng23));
        GtkTreeIter iterOil;
        ASSERT_TRUE(gtk_tree_model_get_iter_from_string(cmodGetModel(), &iterOil, "1:0"));
        EXPECT_EQ(outline(&iterOil), c.pszOilSystem) << c.iEngineOpt << "/" << c.iOtherOpt;
        EXPECT_EQ(cmodGetCompSel() != nullptr, strstr(c.pszOilSystem, "Eng23") != nullptr);
    }
}

// Marking: the worst state beneath is carried up; empty rows stay black.
TEST_F(CompTree, GroupsTakeTheWorstStateBeneath) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 1100}});
    addCard({.iGroupID = 1, .pszDesc = "Insp due", .nInspIntv = 50});
    addCard({.iGroupID = 2, .bLevel = true, .pszDesc = "Rco due", .nRCOIntv = 100});
    addCard({.iGroupID = 4, .pszDesc = "Fine", .nInspIntv = 500});
    addCard({.iGroupID = 26, .pszDesc = "Deep rco", .nRCOIntv = 50});
    addCard({.iGroupID = 26, .pszDesc = "Deep fine", .nSort = 1});
    activate(iACID);
    ASSERT_TRUE(cmodLoadModel(ALL));
    const std::tuple<const char*, const char*, const char*, guint> expects[] = {
        {"0", "Fuselage", "red", 400},
        {"0:0", "Airframe", "red", 400},
        {"0:0:0", "Insp due", "red", 400},
        {"0:1", "Landing Gear", "black", 400},
        {"1", "Engine", "red", 700},
        {"1:0", "Rco due", "red", 700},
        {"1:1", "Oil System", "black", 400},
        {"1:1:0", "Fine", "black", 400},
        {"2", "Drive Train", "red", 700},
        {"2:1", "Main Drive", "red", 700},
        {"2:1:1", "Deep fine", "black", 400},
        {"2:0", "Tail Rotor Drive", "black", 400},
        {"6", "Electrical System", "black", 400},
    };
    for (auto [pszPath, pszName, pszColour, nWeight] : expects) {
        GtkTreeIter iter;
        ASSERT_TRUE(gtk_tree_model_get_iter_from_string(cmodGetModel(), &iter, pszPath));
        EXPECT_EQ(text(&iter, CCD_COMP_COL), pszName);
        EXPECT_EQ(text(&iter, CCD_COLOUR_COL), pszColour) << pszName;
        EXPECT_EQ(col<guint>(&iter, CCD_WEIGHT_COL), nWeight) << pszName;
    }
}

TEST_F(CompTree, RemarkingFollowsNewFlightsAndTheMark) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 400}});
    guint iCard = addCard({.iGroupID = 1, .nInspIntv = 50});
    activate(iACID);
    ASSERT_TRUE(cmodLoadModel(iCard));
    GtkTreeIter iterCard = *cmodGetCompSel();
    const std::tuple<guint, guint, const char*> steps[] = {
        {0, 0, "black"}, {101, 0, "red"}, {100, 0, "black"}, {0, 101, "red"}};
    for (auto [nMarkHours, nNewFlight, pszColour] : steps) {
        if (nNewFlight) { // logged meanwhile: it counts at the next marking
            addFlights(iACID, {{utc(2020, 3, 1), nNewFlight}});
            activate(iACID);
        }
        cmodSetMarkTime(nMarkHours, 0);
        cmodMarkDue();
        EXPECT_EQ(text(&iterCard, CCD_COLOUR_COL), pszColour) << nMarkHours << " " << nNewFlight;
    }
}

TEST_F(CompTree, MarkIsKeptInTheSettingsAcrossRestarts) {
    cmodSetMarkTime(125, INTV_MONTH << 24 | 3);
    EXPECT_NE(avt::readFile(m_dirs->etcFile("avLedger.conf")).find("[CompMark]"),
              std::string::npos);
    prmLoadKeyFile();
    cmodInitialize(FALSE);
    EXPECT_EQ(cmodGetMarkHours(), 125u);
    EXPECT_EQ(cmodGetMarkTime(), guint(INTV_MONTH << 24 | 3));
    // A hand-edited negative hours mark is taken as none, not as 429 million.
    avt::writeFile(m_dirs->etcFile("avLedger.conf"), "[CompMark]\nHours=-5\nTime=3\n");
    prmLoadKeyFile();
    cmodInitialize(FALSE);
    EXPECT_EQ(cmodGetMarkHours(), 0u);
    EXPECT_EQ(cmodGetMarkTime(), 3u);
}

TEST_F(CompTree, MarkDateAddsTheSpanToNow) {
    const time_t tJan31 = utc(2021, 1, 31, 12);
    const std::tuple<time_t, guint, time_t> cases[] = {
        {tJan31, 0, tJan31},
        {tJan31, INTV_DAY << 24 | 30, utc(2021, 3, 2, 12)},
        {tJan31, INTV_WEEK << 24 | 2, utc(2021, 2, 14, 12)},
        {tJan31, INTV_MONTH << 24 | 1, utc(2021, 3, 3, 12)},               // normalised
        {utc(2024, 1, 31, 12), INTV_MONTH << 24 | 1, utc(2024, 3, 2, 12)}, // leap year
        {tJan31, INTV_YEAR << 24 | 20, utc(2041, 1, 31, 12)},
        {tJan31, 9u << 24 | 20, tJan31}, // an unknown unit adds nothing
    };
    for (auto [tNow, nTime, tExpect] : cases) {
        cmodSetClock(tNow);
        cmodSetMarkTime(0, nTime);
        EXPECT_EQ(cmodMarkDate(), tExpect) << std::hex << nTime;
    }
}

// The shipped catalogue: no card is lost for want of a place in the tree,
// and a standard aircraft's tree builds and marks cleanly.
class ShippedCatalogue : public CompTest {
  protected:
    void prepareData() override { avt::copyCatalogue(*m_dirs); }
};

void countCards(GtkTreeIter* piterParent, std::map<gulong, int>* pSeen, int* pnItalic) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(cmodGetModel(), &iter, piterParent); b;
         b = gtk_tree_model_iter_next(cmodGetModel(), &iter)) {
        if (col<guint>(&iter, CCD_TYPE_COL) == TYPE_COMP) {
            ++(*pSeen)[col<gulong>(&iter, CCD_INX_COL)];
            *pnItalic += col<guint>(&iter, CCD_STYLE_COL) == 2;
        }
        countCards(&iter, pSeen, pnItalic);
    }
}

TEST_F(ShippedCatalogue, EveryCardHasItsPlaceInTheTree) {
    auto rows = avt::query(catDb(), "SELECT COUNT(*) FROM Component WHERE bDelete = 0 OR "
                                    "bDelete IS NULL");
    size_t nStored = std::stoul(*rows.at(0).at(0));
    guint iACID = addAircraft(utc(2015, 3, 1));
    addFlights(iACID, {{utc(2015, 4, 1), 30000}});
    activate(iACID);
    for (gboolean bEdit : std::initializer_list<gboolean>{FALSE, TRUE}) {
        cmodInitialize(bEdit);
        ASSERT_TRUE(cmodLoadModel(ALL));
        std::map<gulong, int> seen;
        int nItalic = 0;
        countCards(nullptr, &seen, &nItalic);
        for (auto [iID, n] : seen)
            EXPECT_EQ(n, 1) << "card " << iID << " appears " << n << " times";
        if (bEdit) {
            EXPECT_EQ(seen.size(), nStored) << "a card whose group is in no table is lost";
        } else {
            EXPECT_EQ(nItalic, 0);
            EXPECT_GT(seen.size(), nStored / 2) << "a standard aircraft sees most cards";
        }
        // 3000 hours on a ten-year-old airframe with no maintenance: the
        // first group must show a replacement due.
        GtkTreeIter iter;
        ASSERT_TRUE(gtk_tree_model_get_iter_first(cmodGetModel(), &iter));
        EXPECT_EQ(text(&iter, CCD_COLOUR_COL) + std::to_string(col<guint>(&iter, CCD_WEIGHT_COL)),
                  "red700");
    }
}

} // namespace
