// Generating the catalogue from its text source: a card is packed the way
// the program reads it, and a slip in the source stops the build instead
// of shipping a wrong card.
#include "avCnv.h"
#include "harness.h"

#include <glib.h>

namespace {

// Runs the generation the build runs (catalogue/CMakeLists.txt), with
// strExtra read after the shipped cards and notes; returns whether it
// succeeded and what it printed.
std::pair<bool, std::string> generate(const avt::TempDirs& dirs, const std::string& strExtra) {
    avt::writeFile(dirs.root() / "extra.sql", strExtra);
    std::string strCommand = "sqlite3 -bail -batch -init /dev/null";
    auto add = [&](const std::string& str) {
        g_autofree gchar* pszQuoted = g_shell_quote(str.c_str());
        strCommand += std::string(" ") + pszQuoted;
    };
    add((dirs.root() / "avCCD.db").string());
    add("BEGIN");
    const auto pictures = avt::fs::path(AVL_BINARY_DIR) / "drawings" / "pictures.sql";
    for (std::string strFile :
         {"schema", "codes", "cards", "notes", "*", "drawings", "", "generate"}) {
        auto path = strFile.empty()  ? dirs.root() / "extra.sql"
                    : strFile == "*" ? pictures
                                     : avt::sourceFile(("catalogue/" + strFile + ".sql").c_str());
        add(".read \"" + path.string() + "\"");
    }
    add("COMMIT");
    g_autofree gchar* pszOut = nullptr;
    g_autofree gchar* pszErr = nullptr;
    gint nStatus = 0;
    EXPECT_TRUE(g_spawn_command_line_sync(strCommand.c_str(), &pszOut, &pszErr, &nStatus, nullptr));
    return {g_spawn_check_wait_status(nStatus, nullptr),
            std::string(pszOut ? pszOut : "") + (pszErr ? pszErr : "")};
}

// A card under Airframe, sorted after the shipped ones (9NNN).
std::string card(const std::string& strPart, const std::string& strLimit,
                 const std::string& strApplies = "") {
    return "INSERT INTO Card VALUES ('" + strPart + "', 'Airframe', 9" + strPart.substr(9) +
           ", 'Test', 50, '" + strLimit + "', '" + strApplies + "', '', '');\n";
}

TEST(CatalogueSource, LimitsArePackedAsTheProgramReadsThem) {
    const std::vector<std::string> limits{
        "300 HR/OC or 4 yrs", "500 HR or 5 yrs", "OC", "6 yrs", "100 HR", "OC or 10 yrs"};
    std::string strExtra;
    for (size_t i = 0; i < limits.size(); ++i)
        strExtra += card("AVL-0101-9" + std::to_string(10 + i), limits[i]);
    avt::TempDirs dirs;
    auto [bOk, strOutput] = generate(dirs, strExtra);
    ASSERT_TRUE(bOk) << strOutput;
    auto rows =
        avt::query(dirs.root() / "avCCD.db",
                   "SELECT nRCO FROM Component WHERE strPartDesc = 'Test' ORDER BY iCompID");
    ASSERT_EQ(rows.size(), limits.size());
    for (size_t i = 0; i < limits.size(); ++i) {
        guint nRCO = 0;
        cnvEncRCO(&nRCO, limits[i].c_str(), FALSE);
        EXPECT_EQ(rows[i][0], std::to_string(nRCO)) << limits[i];
    }
}

// A target on a named part of a shipped picture, for a shipped card.
std::string drawing(const std::string& strPicture, const std::string& strSpot,
                    const std::string& strShape, int nBearing = 0) {
    return "INSERT INTO CardDrawing VALUES ('AVL-0101-001', '" + strPicture + "', '" + strSpot +
           "', '" + strShape + "', " + std::to_string(nBearing) + ");\n";
}

// A service note on a shipped card.
std::string note(const std::string& strBody) {
    return "INSERT INTO Note VALUES (99, 'Test', '" + strBody +
           "');\nINSERT INTO CardNote VALUES ('AVL-0101-001', 3, 'Test');\n";
}

TEST(CatalogueSource, SlipsInTheSourceStopTheBuild) {
    // Parts drawn close to the picture's right edge and to its top: an arrow
    // pointing down at the top one has its tail off the picture.
    const std::string edge =
        "INSERT INTO Spot VALUES ('rotor-hub.png', 'Edge', 1585, 600, 10, 10), "
        "('rotor-hub.png', 'Top', 600, 100, 10, 10);\n";
    const std::vector<std::pair<std::string, std::string>> cases{
        {card("AVL-0101-099", "OC", "eng:162x"), "unknown option word \"eng:162x\""},
        {card("AVL-0102-099", "OC"), "AVL-0102-099: part number does not follow AVL-0101"},
        {card("AVL-0101-099", "100 HR or 5"), "limit \"100 HR or 5\" would show as \"100 HR or"},
        {card("AVL-0101-099", "7000 HR"), "limit of 7000 hours is more than the tree holds"},
        {"INSERT INTO Card VALUES ('AVL-0101-099', 'Airframe', 9099, 'Test', 0, '', '', '', '');\n",
         "AVL-0101-099: never falls due"},
        {"UPDATE Card SET applies = 'md:chain' WHERE parent = 'Doors';\n",
         "\"Doors\" has no card that every aircraft has"},
        {"INSERT INTO Note VALUES (99, 'Unused', 'plain');\n", "service note 99: on no card"},
        {"INSERT INTO CardNote VALUES ('AVL-0101-001', 2, 'No such note');\n",
         "unknown service note \"No such note\""},
        {note("~Bbold"), "service note 99: mark-up not well formed"},
        {note("~Bx~b~b"), "service note 99: mark-up not well formed"},
        {note("~Cxred~c"), "service note 99: mark-up not well formed"},
        {note("~Bx~By~b"), "service note 99: mark-up not well formed"},
        {drawing("nowhere.png", "Hub bar", "Rect"), "picture \"nowhere.png\" does not ship"},
        {drawing("../avLedger.db", "Hub bar", "Rect"), "reaches outside the data directory"},
        {drawing("rotor-hub.png", "No such part", "Rect"), "has no part \"No such part\""},
        {drawing("rotor-hub.png", "Hub bar", "Star"), "unknown shape \"Star\""},
        {drawing("rotor-hub.png", "Hub bar", "Arrow", 30), "arrow bearing 30"},
        {edge + drawing("rotor-hub.png", "Edge", "Rect"), "target on \"Edge\" lies outside"},
        {edge + drawing("rotor-hub.png", "Edge", "Arrow", 90), "target on \"Edge\" lies outside"},
        {edge + drawing("rotor-hub.png", "Top", "Arrow", 0), "target on \"Top\" lies outside"},
    };
    for (const auto& [strExtra, strExpected] : cases) {
        avt::TempDirs dirs;
        auto [bOk, strOutput] = generate(dirs, strExtra);
        EXPECT_FALSE(bOk) << strExtra;
        EXPECT_TRUE(avt::contains(strOutput, strExpected));
    }
}

} // namespace
