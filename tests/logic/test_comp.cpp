// The component tree on real catalogue and log databases: its shape, the
// option filter, the drawing column, the remembered selection, the marking
// of groups and sub-groups, the look-ahead mark kept in the settings.
#include "test_comp_fixture.h"

namespace {

using namespace avct;

using CompTree = CompTest;

// Shape, order, drawings and marking: the worst state beneath a group or
// sub-group is carried up, empty ones stay black.
TEST_F(CompTree, ShapeOrderDrawingsMarking) {
    guint iACID = addAircraft();
    addFlights(iACID, {{utc(2020, 2, 1), 1100}});
    activate(iACID);
    // Written out of order on purpose: the tree orders by sort order.
    addCard({.iGroupID = 1, .pszDesc = "Frame tube", .nSort = 2, .nInspIntv = 50});
    addCard({.iGroupID = 1, .pszDesc = "Frame gusset", .nSort = 1});
    addCard({.iGroupID = 1, .bLevel = true, .pszDesc = "Placard", .nSort = 5});
    addCard({.iGroupID = 1, .bLevel = true, .pszDesc = "Data plate", .nSort = 3});
    addCard({.iGroupID = 25, .pszDesc = "Skid shoe"});
    addCard({.iGroupID = 2, .bLevel = true, .pszDesc = "Rco due", .nRCOIntv = 100});
    addCard({.iGroupID = 4, .pszDesc = "Fine", .nInspIntv = 500});
    addCard({.iGroupID = 26, .pszDesc = "Deep rco", .nRCOIntv = 50});
    addCard({.iGroupID = 26, .pszDesc = "Deep fine", .nSort = 1});
    addCard({.iGroupID = 7, .bLevel = true, .pszDesc = "Battery"});
    addCard({.iGroupID = 8, .bLevel = true, .pszDesc = "Tachometer"});
    addCard({.iGroupID = 17, .pszDesc = "Blade"}, {"a.b.png"});
    guint iHub = addCard({.iGroupID = 23, .pszDesc = "Hub bolt"}, {"hub.png", "mast.png"});
    // Forty drawings overflow the column: it stops short of 100 bytes
    // without cutting a character in half.
    addCard({.iGroupID = 11, .pszDesc = "Strap"}, std::vector<const char*>(40, "ÜÜ.png"));
    ASSERT_TRUE(cmodLoadModel(iHub));
    // clang-format off
    EXPECT_EQ(outline(),
        "Fuselage(red 400)[*Data plate,*Placard,Airframe(red 400)[*Frame gusset,*Frame tube(red 400)],Landing Gear[*Skid shoe],Tail Boom,Body,Ground Handling Wheels,Ballast Weight,Doors]\n"
        "Engine(red 700)[*Rco due(red 700),Oil System[*Fine],Cooling System,Fuel System,Exhaust System,Intake System,Torque Link,Ignition]\n"
        "Drive Train(red 700)[Tail Rotor Drive,Main Drive(red 700)[*Deep rco(red 700),*Deep fine],Fan Drive]\n"
        "Main Rotor System[Main Rotor Blades[*Blade{A}],Rotor Hub Assembly[*Hub bolt{HUB, MAST}],Swash Plate Assembly,Main Rotor Shaft Assembly]\n"
        "Tail Rotor System[Tail Rotor[*Strap{ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, ÜÜ, Ü,}],Pitch Actuator,Mount,Drive]\n"
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

// Which cards an aircraft sees, and how edit mode shows the others: in
// italics and due for nothing, so that they colour neither themselves nor
// their group (Eng23 is due for inspection where it fits).
TEST_F(CompTree, OptionFilter) {
    addCard({.iGroupID = 4, .pszDesc = "Any", .nSort = 0});
    guint iEng23 =
        addCard({.iGroupID = 4, .pszDesc = "Eng23", .nSort = 1, .nInspIntv = 50, .bOptEng = 0xC});
    addCard({.iGroupID = 4, .pszDesc = "Heli04", .nSort = 2, .bOptHeli = 0x11});
    guint iGone = addCard({.iGroupID = 4, .pszDesc = "Deleted", .nSort = 3});
    avt::exec(catDb(), "UPDATE Component SET bDelete=1 WHERE iCompID=" + std::to_string(iGone));
    // engine option, other options, edit mode, cards seen in "Oil System"
    const char* pszEng23 = "*Eng23(red 400)";
    const std::tuple<gint, gint, gboolean, std::string> cases[] = {
        {2, 0, FALSE, std::string("*Any,") + pszEng23 + ",*Heli04"},
        {3, 0, FALSE, std::string("*Any,") + pszEng23 + ",*Heli04"},
        {34, 0, FALSE, std::string("*Any,") + pszEng23 + ",*Heli04"},
        {99, 0, FALSE, std::string("*Any,") + pszEng23 + ",*Heli04"},
        {4, 0, FALSE, "*Any,*Heli04"},
        {0, 0, FALSE, "*Any,*Heli04"},
        {4, 0, TRUE, "*Any,*Eng23/i,*Heli04"},
        {100, 0, FALSE, "*Any,*Heli04"},
        {-1, 0, FALSE, "*Any,*Heli04"},
        {2, 100, FALSE, std::string("*Any,") + pszEng23},
        {2, -1, FALSE, std::string("*Any,") + pszEng23},
        {2, 100, TRUE, std::string("*Any,") + pszEng23 + ",*Heli04/i"},
    };
    for (const auto& [iEngineOpt, iOtherOpt, bEdit, strOilSystem] : cases) {
        guint iACID = addAircraft({.iEngineOpt = iEngineOpt, .iOtherOpt = iOtherOpt});
        addFlights(iACID, {{utc(2020, 2, 1), 600}});
        activate(iACID);
        cmodInitialize(bEdit);
        ASSERT_TRUE(cmodLoadModel(iEng23));
        GtkTreeIter iterOil, iterEngine;
        ASSERT_TRUE(gtk_tree_model_get_iter_from_string(cmodGetModel(), &iterOil, "1:0"));
        ASSERT_TRUE(gtk_tree_model_get_iter_from_string(cmodGetModel(), &iterEngine, "1"));
        EXPECT_EQ(outline(&iterOil), strOilSystem) << iEngineOpt << "/" << iOtherOpt;
        // The group is as red as the worst card that fits.
        const bool bRed = strOilSystem.find("(red") != std::string::npos;
        EXPECT_EQ(text(&iterEngine, CCD_COLOUR_COL), bRed ? "red" : "black")
            << iEngineOpt << "/" << iOtherOpt;
        EXPECT_EQ(cmodGetCompSel() != nullptr, strOilSystem.find("Eng23") != std::string::npos);
    }
}

// Re-marking after an edit counts a flight logged meanwhile.
TEST_F(CompTree, RemarkingFollowsNewFlights) {
    guint iACID = addAircraft();
    addFlights(iACID, {{utc(2020, 2, 1), 500}});
    activate(iACID);
    ASSERT_TRUE(cmodLoadModel(addCard({.iGroupID = 1, .nInspIntv = 50})));
    EXPECT_EQ(text(cmodGetCompSel(), CCD_COLOUR_COL), "black");
    addFlights(iACID, {{utc(2020, 3, 1), 1}});
    activate(iACID);
    cmodMarkDue();
    EXPECT_EQ(text(cmodGetCompSel(), CCD_COLOUR_COL), "red");
}

TEST_F(CompTree, MarkIsKeptInTheSettingsAcrossRestarts) {
    cmodSetMarkTime(125, INTV_MONTH << 24 | 3);
    EXPECT_TRUE(avt::contains(avt::readFile(m_dirs->etcFile("avLedger.conf")), "[CompMark]"));
    prmLoadKeyFile();
    cmodInitialize(FALSE);
    EXPECT_EQ(cmodGetMarkHours(), 125u);
    EXPECT_EQ(cmodGetMarkTime(), guint(INTV_MONTH << 24 | 3));
}

} // namespace
