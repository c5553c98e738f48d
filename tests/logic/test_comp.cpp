// The component tree on real catalogue and log databases: its shape, the
// option filter, the drawing column, the remembered selection, the marking
// of groups and sub-groups and the look-ahead mark kept in the settings.
#include "test_comp_fixture.h"

#include <string>
#include <vector>

namespace {

using namespace avct;

// The tree as "indent name" lines; card rows carry their drawing column.
std::vector<std::string> outline(GtkTreeModel* pModel, GtkTreeIter* piterParent = nullptr,
                                 int nDepth = 0) {
    std::vector<std::string> lines;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        gchar* pszName = nullptr;
        guint nType = 0;
        gtk_tree_model_get(pModel, &iter, CCD_COMP_COL, &pszName, CCD_TYPE_COL, &nType, -1);
        std::string str(nDepth * 2, ' ');
        str += (nType == TYPE_COMP ? "* " : "") + std::string(pszName ? pszName : "<null>");
        g_free(pszName);
        lines.push_back(str);
        for (auto& s : outline(pModel, &iter, nDepth + 1))
            lines.push_back(s);
    }
    return lines;
}

bool findCard(const char* pszDesc, GtkTreeIter* piterOut, GtkTreeIter* piterParent = nullptr) {
    GtkTreeModel* pModel = cmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        gchar* pszName = nullptr;
        guint nType = 0;
        gtk_tree_model_get(pModel, &iter, CCD_COMP_COL, &pszName, CCD_TYPE_COL, &nType, -1);
        bool bHit = nType == TYPE_COMP && pszName && std::string(pszName) == pszDesc;
        g_free(pszName);
        if (bHit) {
            *piterOut = iter;
            return true;
        }
        if (findCard(pszDesc, piterOut, &iter))
            return true;
    }
    return false;
}

const std::vector<std::string> kEmptyTree{"Fuselage",
                                          "  Airframe",
                                          "  Landing Gear",
                                          "  Tail Boom",
                                          "  Body",
                                          "  Ground Handling Wheels",
                                          "  Ballast Weight",
                                          "  Doors",
                                          "Engine",
                                          "  Oil System",
                                          "  Cooling System",
                                          "  Fuel System",
                                          "  Exhaust System",
                                          "  Intake System",
                                          "  Torque Link",
                                          "  Ignition",
                                          "Drive Train",
                                          "  Tail Rotor Drive",
                                          "  Main Drive",
                                          "  Fan Drive",
                                          "Main Rotor System",
                                          "  Main Rotor Blades",
                                          "  Rotor Hub Assembly",
                                          "  Swash Plate Assembly",
                                          "  Main Rotor Shaft Assembly",
                                          "Tail Rotor System",
                                          "  Tail Rotor",
                                          "  Pitch Actuator",
                                          "  Mount",
                                          "  Drive",
                                          "Flight Controls",
                                          "  Directional Control",
                                          "  Cyclic Control",
                                          "  Collective Control",
                                          "  Throttle Control",
                                          "Electrical System",
                                          "Instrumentation"};

using CompTree = CompTest;

TEST_F(CompTree, EmptyCatalogueKeepsEveryGroupAndSubGroupInTableOrder) {
    activate(addAircraft(utc(2020, 1, 1)));
    ASSERT_TRUE(cmodLoadModel(ALL));
    EXPECT_EQ(outline(cmodGetModel()), kEmptyTree);
    // Every group and sub-group row is black when nothing hangs beneath it.
    GtkTreeIter iter;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(cmodGetModel(), &iter));
    EXPECT_EQ(text(&iter, CCD_COLOUR_COL), "black");
    EXPECT_EQ(col<guint>(&iter, CCD_WEIGHT_COL), 400u);
    EXPECT_EQ(col<gulong>(&iter, CCD_INX_COL), 0ul);
    EXPECT_EQ(col<guint>(&iter, CCD_TYPE_COL), guint(TYPE_GRP));
    EXPECT_EQ(cmodGetCompSel(), nullptr);
}

TEST_F(CompTree, GroupCardsFirstThenSubGroupsCardsBySortOrder) {
    activate(addAircraft(utc(2020, 1, 1)));
    // Written out of order on purpose: the tree orders by sort order.
    addCard({.iGroupID = 1, .pszDesc = "Frame tube", .nSort = 2});
    addCard({.iGroupID = 1, .pszDesc = "Frame gusset", .nSort = 1});
    addCard({.iGroupID = 1, .bLevel = true, .pszDesc = "Fuselage placard", .nSort = 5});
    addCard({.iGroupID = 1, .bLevel = true, .pszDesc = "Fuselage data plate", .nSort = 3});
    addCard({.iGroupID = 25, .pszDesc = "Skid shoe", .nSort = 0});
    addCard({.iGroupID = 7, .bLevel = true, .pszDesc = "Battery", .nSort = 0});
    addCard({.iGroupID = 8, .bLevel = true, .pszDesc = "Tachometer", .nSort = 0});
    guint iHub = addCard({.iGroupID = 23, .pszDesc = "Hub bolt", .nSort = 0});
    addDrawing(iHub, "hub.png");
    addDrawing(iHub, "mast.png");
    ASSERT_TRUE(cmodLoadModel(iHub));

    auto lines = outline(cmodGetModel());
    std::vector<std::string> first(lines.begin(), lines.begin() + 8);
    EXPECT_EQ(first,
              (std::vector<std::string>{"Fuselage", "  * Fuselage data plate",
                                        "  * Fuselage placard", "  Airframe", "    * Frame gusset",
                                        "    * Frame tube", "  Landing Gear", "    * Skid shoe"}));
    std::vector<std::string> last(lines.end() - 4, lines.end());
    EXPECT_EQ(last, (std::vector<std::string>{"Electrical System", "  * Battery", "Instrumentation",
                                              "  * Tachometer"}));

    // Sub-group rows carry their index in the sub-group table.
    GtkTreeIter iterCard, iterSub;
    ASSERT_TRUE(findCard("Hub bolt", &iterCard));
    ASSERT_TRUE(gtk_tree_model_iter_parent(cmodGetModel(), &iterSub, &iterCard));
    EXPECT_EQ(text(&iterSub, CCD_COMP_COL), "Rotor Hub Assembly");
    EXPECT_EQ(cmodSCompID(guint(col<gulong>(&iterSub, CCD_INX_COL))), 23u);
    EXPECT_EQ(text(&iterCard, CCD_DRAWING_COL), "HUB, MAST");
    EXPECT_EQ(text(&iterCard, CCD_PART_COL), "PN-1");
    EXPECT_EQ(col<gulong>(&iterCard, CCD_INX_COL), gulong(iHub));
    ASSERT_NE(cmodGetCompSel(), nullptr);
    EXPECT_EQ(col<gulong>(cmodGetCompSel(), CCD_INX_COL), gulong(iHub));
}

TEST_F(CompTree, DrawingColumn) {
    activate(addAircraft(utc(2020, 1, 1)));
    struct Case {
        std::vector<const char*> files;
        const char* pszExpect;
    };
    const std::vector<Case> cases{
        {{}, ""},
        {{"a.b.png"}, "A"},
        {{"hub.png", "mast.png"}, "HUB, MAST"},
        {{"noext"}, "NOEXT"},
        {{"Tail-Rotor_2.PNG"}, "TAIL-ROTOR_2"},
        // Forty long names: the column stops short of 100 bytes, whole.
        {std::vector<const char*>(40, "blade-assembly-drawing.png"), nullptr},
    };
    std::vector<guint> ids;
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string strDesc = "Card " + std::to_string(i);
        guint id = addCard({.iGroupID = 17, .pszDesc = strDesc.c_str(), .nSort = guint(i)});
        for (const char* psz : cases[i].files)
            addDrawing(id, psz);
        ids.push_back(id);
    }
    ASSERT_TRUE(cmodLoadModel(ALL));
    for (size_t i = 0; i < cases.size(); ++i) {
        GtkTreeIter iter;
        ASSERT_TRUE(findCard(("Card " + std::to_string(i)).c_str(), &iter));
        std::string str = text(&iter, CCD_DRAWING_COL);
        if (cases[i].pszExpect) {
            EXPECT_EQ(str, cases[i].pszExpect) << i;
        } else {
            EXPECT_LE(str.size(), 99u);
            EXPECT_EQ(str.rfind("BLADE-ASSEMBLY-DRAWING, BLADE-ASSEMBLY-DRAWING", 0), 0u);
        }
    }
}

TEST(CompOptions, AcceptCompOptTable) {
    struct Case {
        guint iACOpt;
        guint bMask;
        gboolean bExpect;
    };
    const Case cases[] = {
        {0, 0, TRUE},
        {99, 0, TRUE},
        {100, 0, TRUE},
        {guint(-1), 0, TRUE},
        {0, 0x1, TRUE},
        {1, 0x1, FALSE},
        {2, 0xC, TRUE},
        {3, 0xC, TRUE},
        {4, 0xC, FALSE},
        {0, 0xC, FALSE},
        {1, 0xC, FALSE},
        {31, 0x80000000u, TRUE},
        {32, 0x1, TRUE},
        {34, 0xC, TRUE},
        {99, 0x8, TRUE},
        {99, 0x4, FALSE},
        {100, 0xFFFFFFFFu, FALSE},
        {guint(-1), 0xFFFFFFFFu, FALSE},
        {guint(-5), 0xFFFFFFFFu, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cmodAcceptCompOpt(c.iACOpt, c.bMask), c.bExpect)
            << "code " << gint(c.iACOpt) << " mask " << std::hex << c.bMask;
}

TEST(CompOptions, GroupAndSubGroupIDs) {
    const guint groups[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (guint i = 0; i < 8; ++i)
        EXPECT_EQ(cmodGCompID(i), groups[i]);
    const guint subs[] = {1,  25, 2,  3,  4,  5,  6,  8,  9,  10, 11, 12, 13, 14, 15,
                          17, 18, 20, 21, 22, 23, 24, 26, 27, 28, 29, 30, 31, 32};
    for (guint i = 0; i < 29; ++i)
        EXPECT_EQ(cmodSCompID(i), subs[i]);
    EXPECT_EQ(cmodGCompID(8), 0xFFFFFFFFu);
    EXPECT_EQ(cmodSCompID(29), 0xFFFFFFFFu);
    EXPECT_EQ(cmodGCompID(0xFFFFFFFFu), 0xFFFFFFFFu);
}

// Which cards an aircraft sees, and how edit mode shows the others.
struct FilterCase {
    gint iEngineOpt;
    gint iOtherOpt;
    gboolean bEdit;
    std::vector<std::string> expect; // "name" normal, "name/i" italic
};

class CompFilter : public CompTest, public testing::WithParamInterface<FilterCase> {
  protected:
    gboolean editMode() const override { return GetParam().bEdit; }
};

TEST_P(CompFilter, CardsShownForTheActiveAircraft) {
    const FilterCase& c = GetParam();
    activate(addAircraft(utc(2020, 1, 1), TRUE, 0, c.iEngineOpt, c.iOtherOpt));
    addCard({.iGroupID = 4, .pszDesc = "Any engine", .nSort = 0});
    guint iRestricted =
        addCard({.iGroupID = 4, .pszDesc = "Engines 2 and 3", .nSort = 1, .bOptEng = 0x0000000C});
    addCard({.iGroupID = 4, .pszDesc = "Standard heli", .nSort = 2, .bOptHeli = 0x1});
    addCard({.iGroupID = 4, .pszDesc = "Std tail rotor", .nSort = 3, .bOptTailRotor = 0x1});
    guint iGone = addCard({.iGroupID = 4, .pszDesc = "Deleted", .nSort = 4});
    avt::exec(catDb(), "UPDATE Component SET bDelete=1 WHERE iCompID=" + std::to_string(iGone));

    ASSERT_TRUE(cmodLoadModel(iRestricted));
    std::vector<std::string> got;
    GtkTreeIter iterGrp, iterSub, iter;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(cmodGetModel(), &iterGrp, nullptr, 1));  // Engine
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(cmodGetModel(), &iterSub, &iterGrp, 0)); // Oil
    for (gboolean b = gtk_tree_model_iter_children(cmodGetModel(), &iter, &iterSub); b;
         b = gtk_tree_model_iter_next(cmodGetModel(), &iter))
        got.push_back(text(&iter, CCD_COMP_COL) +
                      (col<guint>(&iter, CCD_STYLE_COL) == 2 ? "/i" : ""));
    EXPECT_EQ(got, c.expect);
    bool bRestrictedShown = false;
    for (auto& s : c.expect)
        bRestrictedShown |= s.rfind("Engines 2 and 3", 0) == 0;
    EXPECT_EQ(cmodGetCompSel() != nullptr, bRestrictedShown);
}

const std::vector<std::string> kAll{"Any engine", "Engines 2 and 3", "Standard heli",
                                    "Std tail rotor"};
INSTANTIATE_TEST_SUITE_P(
    Cases, CompFilter,
    testing::Values(
        FilterCase{2, 0, FALSE, kAll}, FilterCase{3, 0, FALSE, kAll},
        FilterCase{0, 0, FALSE, {"Any engine", "Standard heli", "Std tail rotor"}},
        FilterCase{1, 0, FALSE, {"Any engine", "Standard heli", "Std tail rotor"}},
        FilterCase{4, 0, FALSE, {"Any engine", "Standard heli", "Std tail rotor"}},
        FilterCase{
            4, 0, TRUE, {"Any engine", "Engines 2 and 3/i", "Standard heli", "Std tail rotor"}},
        FilterCase{100, 0, FALSE, {"Any engine", "Standard heli", "Std tail rotor"}},
        FilterCase{-1, 0, FALSE, {"Any engine", "Standard heli", "Std tail rotor"}},
        FilterCase{2, 100, FALSE, {"Any engine", "Engines 2 and 3"}},
        FilterCase{2, -1, FALSE, {"Any engine", "Engines 2 and 3"}},
        FilterCase{2,
                   100,
                   TRUE,
                   {"Any engine", "Engines 2 and 3", "Standard heli/i", "Std tail rotor/i"}}));

// Marking: the worst state beneath is carried up; colours and weights.
TEST_F(CompTree, GroupsTakeTheWorstStateBeneath) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 1100}});
    // Fuselage/Airframe: one card due for inspection only.
    addCard({.iGroupID = 1, .pszDesc = "Insp due", .nSort = 0, .nInspIntv = 50});
    // Engine: a group-level card due for replacement, a sub-group card fine.
    addCard({.iGroupID = 2, .bLevel = true, .pszDesc = "Rco due", .nRCOIntv = 100});
    addCard({.iGroupID = 4, .pszDesc = "Fine", .nInspIntv = 500});
    // Drive Train/Main Drive: replacement due deep in a sub-group.
    addCard({.iGroupID = 26, .pszDesc = "Deep rco", .nRCOIntv = 50});
    addCard({.iGroupID = 26, .pszDesc = "Deep fine", .nSort = 1});
    activate(iACID);
    ASSERT_TRUE(cmodLoadModel(ALL));

    struct Expect {
        std::vector<int> path;
        const char* pszName;
        const char* pszColour;
        guint nWeight;
    };
    const Expect expects[] = {
        {{0}, "Fuselage", "red", 400},
        {{0, 0}, "Airframe", "red", 400},
        {{0, 0, 0}, "Insp due", "red", 400},
        {{0, 1}, "Landing Gear", "black", 400},
        {{1}, "Engine", "red", 700},
        {{1, 0}, "Rco due", "red", 700},
        {{1, 1}, "Oil System", "black", 400},
        {{1, 1, 0}, "Fine", "black", 400},
        {{2}, "Drive Train", "red", 700},
        {{2, 1}, "Main Drive", "red", 700},
        {{2, 1, 0}, "Deep rco", "red", 700},
        {{2, 1, 1}, "Deep fine", "black", 400},
        {{2, 0}, "Tail Rotor Drive", "black", 400},
        {{6}, "Electrical System", "black", 400},
    };
    for (const Expect& e : expects) {
        GtkTreePath* pPath = gtk_tree_path_new();
        for (int i : e.path)
            gtk_tree_path_append_index(pPath, i);
        GtkTreeIter iter;
        ASSERT_TRUE(gtk_tree_model_get_iter(cmodGetModel(), &iter, pPath)) << e.pszName;
        gtk_tree_path_free(pPath);
        EXPECT_EQ(text(&iter, CCD_COMP_COL), e.pszName);
        EXPECT_EQ(text(&iter, CCD_COLOUR_COL), e.pszColour) << e.pszName;
        EXPECT_EQ(col<guint>(&iter, CCD_WEIGHT_COL), e.nWeight) << e.pszName;
    }
}

TEST_F(CompTree, ColoursAndWeightsOfEveryState) {
    activate(addAircraft(utc(2020, 1, 1)));
    ASSERT_TRUE(cmodLoadModel(ALL));
    GtkTreeIter iter;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(cmodGetModel(), &iter));
    const std::tuple<dueStat_t, const char*, guint> table[] = {
        {CCD_DUESTAT_RCODUE, "red", 700},    {CCD_DUESTAT_INSPDUE, "red", 400},
        {CCD_DUESTAT_RCODEFER, "blue", 700}, {CCD_DUESTAT_INSPDEFER, "blue", 400},
        {CCD_DUESTAT_NONE, "black", 400},
    };
    for (auto [n, pszColour, nWeight] : table) {
        cmodDueColours(&iter, n);
        EXPECT_EQ(text(&iter, CCD_COLOUR_COL), pszColour) << n;
        EXPECT_EQ(col<guint>(&iter, CCD_WEIGHT_COL), nWeight) << n;
    }
}

TEST_F(CompTree, RemarkingFollowsNewFlightsAndTheMark) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 400}});
    guint iCard = addCard({.iGroupID = 1, .pszDesc = "Insp", .nInspIntv = 50});
    activate(iACID);
    ASSERT_TRUE(cmodLoadModel(iCard));
    GtkTreeIter iterCard = *cmodGetCompSel();
    EXPECT_EQ(text(&iterCard, CCD_COLOUR_COL), "black");

    cmodSetMarkTime(101, 0); // 10.1 further hours
    cmodMarkDue();
    EXPECT_EQ(text(&iterCard, CCD_COLOUR_COL), "red");
    cmodSetMarkTime(100, 0);
    cmodMarkDue();
    EXPECT_EQ(text(&iterCard, CCD_COLOUR_COL), "black");

    // A flight logged meanwhile counts at the next marking.
    addFlights(iACID, {{utc(2020, 3, 1), 101}});
    activate(iACID);
    cmodSetMarkTime(0, 0);
    cmodMarkDue();
    EXPECT_EQ(text(&iterCard, CCD_COLOUR_COL), "red");
    EXPECT_EQ(col<guint>(&iterCard, CCD_DUEFLAGS_COL), 4u);
}

TEST_F(CompTree, MarkIsKeptInTheSettingsAcrossRestarts) {
    cmodSetMarkTime(125, INTV_MONTH << 24 | 3);
    std::string strConf = avt::readFile(m_dirs->etcFile("avLedger.conf"));
    EXPECT_NE(strConf.find("[CompMark]"), std::string::npos);
    EXPECT_NE(strConf.find("Hours=125"), std::string::npos);
    EXPECT_NE(strConf.find("Time=" + std::to_string(INTV_MONTH << 24 | 3)), std::string::npos);

    // A new run reads the mark back.
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
    struct Case {
        time_t tNow;
        guint nTime;
        time_t tExpect;
    };
    const Case cases[] = {
        {utc(2021, 1, 31, 12), 0, utc(2021, 1, 31, 12)},
        {utc(2021, 1, 31, 12), INTV_DAY << 24 | 30, utc(2021, 3, 2, 12)},
        {utc(2021, 1, 31, 12), INTV_WEEK << 24 | 2, utc(2021, 2, 14, 12)},
        {utc(2021, 1, 31, 12), INTV_MONTH << 24 | 1, utc(2021, 3, 3, 12)}, // normalised
        {utc(2024, 1, 31, 12), INTV_MONTH << 24 | 1, utc(2024, 3, 2, 12)}, // leap year
        {utc(2021, 1, 31, 12), INTV_YEAR << 24 | 20, utc(2041, 1, 31, 12)},
        {utc(2021, 1, 31, 12), 9u << 24 | 20, utc(2021, 1, 31, 12)},
    };
    for (const Case& c : cases) {
        cmodSetClock(c.tNow);
        cmodSetMarkTime(0, c.nTime);
        EXPECT_EQ(cmodMarkDate(), c.tExpect) << std::hex << c.nTime;
    }
}

} // namespace
