// Generating the catalogue from its text source: a card is packed the way
// the program reads it, and a slip in the source (an unknown option word, a
// limit the program would show differently, a card filed in the wrong
// place, a duplicate) stops the build instead of shipping a wrong card.
#include "harness.h"

#include <glib.h>

namespace {

struct Generated {
    bool bOk = false;
    std::string strOutput; // standard output and error of the generator
};

// Runs the generation the build runs, with strExtra read after the shipped
// cards and notes, into a fresh file in dirs.
Generated generate(const avt::TempDirs& dirs, const std::string& strExtra) {
    avt::writeFile(dirs.root() / "extra.sql", strExtra);
    gchar* pszSqlite = g_find_program_in_path("sqlite3");
    EXPECT_NE(pszSqlite, nullptr) << "sqlite3 is needed to build the catalogue";
    if (!pszSqlite)
        return {};
    auto read = [](const std::filesystem::path& path) { return ".read \"" + path.string() + "\""; };
    // Same files and order as the build step in catalogue/CMakeLists.txt.
    std::vector<std::string> args{pszSqlite,
                                  "-bail",
                                  "-batch",
                                  "-init",
                                  "/dev/null",
                                  (dirs.root() / "avCCD.db").string(),
                                  "BEGIN",
                                  read(avt::sourceFile("catalogue/schema.sql")),
                                  read(avt::sourceFile("catalogue/codes.sql")),
                                  read(avt::sourceFile("catalogue/cards.sql")),
                                  read(avt::sourceFile("catalogue/notes.sql")),
                                  read(dirs.root() / "extra.sql"),
                                  read(avt::sourceFile("catalogue/generate.sql")),
                                  "COMMIT"};
    g_free(pszSqlite);
    std::vector<char*> argv;
    for (auto& str : args)
        argv.push_back(str.data());
    argv.push_back(nullptr);
    gchar *pszOut = nullptr, *pszErr = nullptr;
    gint nStatus = 0;
    GError* pError = nullptr;
    Generated result;
    if (!g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, &pszOut,
                      &pszErr, &nStatus, &pError)) {
        ADD_FAILURE() << pError->message;
        g_error_free(pError);
        return result;
    }
    result.bOk = g_spawn_check_wait_status(nStatus, nullptr);
    result.strOutput = std::string(pszOut ? pszOut : "") + (pszErr ? pszErr : "");
    g_free(pszOut);
    g_free(pszErr);
    return result;
}

std::string card(const std::string& strValues) {
    return "INSERT INTO Card VALUES (" + strValues + ");\n";
}

TEST(CatalogueSource, ShippedSourceGeneratesTheBuiltCatalogue) {
    avt::TempDirs dirs;
    Generated g = generate(dirs, "");
    ASSERT_TRUE(g.bOk) << g.strOutput;
    // The build's file is what the source in the tree generates.
    const char* pszDump = "SELECT group_concat(iCompID || '|' || iGroupID || '|' || nRCO || '|' || "
                          "bOptEngine || '|' || iSNote1ID, ';') FROM "
                          "(SELECT * FROM Component ORDER BY iCompID)";
    EXPECT_EQ(avt::query(dirs.root() / "avCCD.db", pszDump),
              avt::query(avt::builtCatalogue(), pszDump));
}

TEST(CatalogueSource, CardsArePackedAsTheProgramReadsThem) {
    avt::TempDirs dirs;
    Generated g = generate(
        dirs, card("'AVL-0101-099', 'Airframe', 990, 'Test frame', 50, '300 HR/OC or 4 yrs', "
                   "'eng:162f md:cog td:shaft', 'AN4', 'Notes'") +
                  card("'AVL-0700-099', 'Electrical System', 990, 'Test relay', 100, 'OC', '', '', "
                       "''") +
                  card("'AVL-0423-099', 'Rotor Hub Assembly', 990, 'Test hub part', 25, "
                       "'500 HR or 5 yrs', 'hub:elastomeric heli:talon', '', ''") +
                  card("'AVL-0101-098', 'Airframe', 980, 'Test paint', 100, '6 yrs', '', '', "
                       "''") +
                  "INSERT INTO CardNote VALUES ('AVL-0101-099', 2, 'Rod ends');\n");
    ASSERT_TRUE(g.bOk) << g.strOutput;
    auto rows = avt::query(dirs.root() / "avCCD.db",
                           "SELECT iCompID, iGroupID, strPartNmbr, strPartDesc, strPartRef, "
                           "strDescNotes, nInspect, nRCO, iSNote1ID, iSNote2ID, iSNote3ID, "
                           "bDelete, iSortOrder, bOptHeli, bOptEngine, bOptMainDrive, "
                           "bOptMainRotor, bOptMRSystem, bOptClutch, bOptTRSlider, "
                           "bOptTailDrive, bOptTailRotor FROM Component WHERE iCompID IN "
                           "(101098, 101099, 700099, 423099) ORDER BY iCompID");
    auto note = avt::query(dirs.root() / "avCCD.db",
                           "SELECT iSNoteID FROM ServiceNote WHERE strLabel = 'Rod ends'");
    ASSERT_EQ(note.size(), 1u);
    using R = avt::Row;
    auto row = [](std::vector<const char*> values) {
        R r;
        for (const char* psz : values)
            r.emplace_back(psz);
        return r;
    };
    ASSERT_EQ(rows.size(), 4u);
    // Years alone: bits 16-30.
    EXPECT_EQ(rows[0][7], "393216");
    rows.erase(rows.begin());
    // 300 hours, 4 years in bits 16-30, on condition in bit 31; engine code 3;
    // the three cog drives 1-3; both shafts 1-2.
    EXPECT_EQ(rows[0], row({"101099",
                            "1",
                            "AVL-0101-099",
                            "Test frame",
                            "AN4",
                            "Notes",
                            "50",
                            "2147746092",
                            "0",
                            note[0][0]->c_str(),
                            "0",
                            "0",
                            "990",
                            "0",
                            "8",
                            "14",
                            "0",
                            "0",
                            "0",
                            "0",
                            "6",
                            "0"}));
    // 500 hours or 5 years; both elastomeric hubs; Talon only.
    EXPECT_EQ(rows[1], row({"423099",
                            "23",
                            "AVL-0423-099",
                            "Test hub part",
                            "",
                            "",
                            "25",
                            "328180",
                            "0",
                            "0",
                            "0",
                            "0",
                            "990",
                            "64",
                            "0",
                            "0",
                            "0",
                            "3",
                            "0",
                            "0",
                            "0",
                            "0"}));
    // A card on the group itself: the group's ID with bit 31.
    EXPECT_EQ(rows[2], row({"700099",     "2147483655", "AVL-0700-099",
                            "Test relay", "",           "",
                            "100",        "2147483648", "0",
                            "0",          "0",          "0",
                            "990",        "0",          "0",
                            "0",          "0",          "0",
                            "0",          "0",          "0",
                            "0"}));
}

TEST(CatalogueSource, SlipsInTheSourceStopTheBuild) {
    const std::string strFrame = "'Airframe', 990, 'Test frame', 100, 'OC', '', '', ''";
    const std::vector<std::pair<std::string, std::string>> cases{
        {card("'AVL-0101-099', 'Airframe', 990, 'Test frame', 100, 'OC', 'eng:162x', '', ''"),
         "unknown option word \"eng:162x\""},
        {card("'AVL-0101-099', 'Air frame', 990, 'Test frame', 100, 'OC', '', '', ''"),
         "unknown parent \"Air frame\""},
        {card("'AVL-0102-099', " + strFrame), "AVL-0102-099: part number does not follow AVL-0101"},
        {card("'AVL-0101-000', " + strFrame), "part number does not follow"},
        {card("'AVL-0101-99', " + strFrame), "part number does not follow"},
        {card("'AVL-0101-099', 'Airframe', 990, 'Test frame', 100, '5 years', '', '', ''"),
         "limit \"5 years\" would show as \"\""},
        {card("'AVL-0101-099', 'Airframe', 990, 'Test frame', 100, '500 hrs', '', '', ''"),
         "limit \"500 hrs\" would show as \"\""},
        {card("'AVL-0101-099', 'Airframe', 990, 'Test frame', 100, '100 HR or 5', '', '', ''"),
         "limit \"100 HR or 5\" would show as \"100 HR or 5 yrs\""},
        {card("'AVL-0101-099', 'Airframe', 990, 'Test frame', 100, '70000 HR', '', '', ''"),
         "limit \"70000 HR\""},
        {card("'AVL-0101-099', 'Airframe', 990, 'Test frame', '25 HR', 'OC', '', '', ''"),
         "inspection interval 25 HR"},
        {card("'AVL-0101-099', 'Airframe', 990, "
              "'A description far too long for the forty-nine byte field', 100, 'OC', '', '', ''"),
         "description empty or longer than 49 bytes"},
        {card("'AVL-0101-099', 'Airframe', 10, 'Test frame', 100, 'OC', '', '', ''"),
         "UNIQUE constraint failed: Card.parent, Card.sort"},
        {card("'AVL-0101-001', " + strFrame), "UNIQUE constraint failed: Card.part"},
        {"INSERT INTO CardNote VALUES ('AVL-0101-001', 2, 'No such note');\n",
         "unknown service note \"No such note\""},
        {"INSERT INTO CardNote VALUES ('AVL-0101-999', 1, 'Rod ends');\n", "names an unknown card"},
    };
    for (const auto& [strExtra, strExpected] : cases) {
        SCOPED_TRACE(strExtra);
        avt::TempDirs dirs;
        Generated g = generate(dirs, strExtra);
        EXPECT_FALSE(g.bOk);
        EXPECT_NE(g.strOutput.find(strExpected), std::string::npos) << g.strOutput;
    }
}

} // namespace
