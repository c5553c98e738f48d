// The shipped catalogue as the build generates it: its places and option
// codes are the program's, every card has its place in the tree, start-up
// keeps it as it is, and each variant's items show for that variant alone. The generator itself
// refuses a card that never falls due, a place without a card for every aircraft, bad mark-up in a
// note and a target off its picture (tested with its source).
#include "harness.h"
#include "test_comp_fixture.h"
#include "modAC.h"
#include "modComp.h"
#include "rcdComp.h"
#include "sqlMLog.h"

#include <sqlite3.h>

#include <array>
#include <set>
#include <string>

namespace {

// The mask columns in the order read below.
constexpr size_t ENGINE = 1, MAIN_DRIVE = 2, HUB = 4, TAIL_DRIVE = 7;
using Options = std::array<int, 9>;
// A new builder's choice: Exec 162F, 162F N/A, chain drive, the rest factory.
constexpr Options m_defaults{0, 3, 0, 0, 0, 0, 0, 0, 0};

// The first column of a query on the catalogue's source of codes (its
// temporary tables).
std::set<std::string> sourceRows(const char* pszSQL) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    const std::string strCodes = avt::readFile(avt::sourceFile("catalogue/codes.sql"));
    EXPECT_EQ(sqlite3_exec(db, strCodes.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    std::set<std::string> set;
    sqlite3_stmt* pstmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, pszSQL, -1, &pstmt, nullptr), SQLITE_OK);
    while (pstmt && sqlite3_step(pstmt) == SQLITE_ROW)
        set.insert(reinterpret_cast<const char*>(sqlite3_column_text(pstmt, 0)));
    sqlite3_finalize(pstmt);
    sqlite3_close(db);
    return set;
}

struct Card {
    std::array<guint, 9> bOpt;
    std::string strPart, strDesc;
};

std::vector<Card> cards() {
    std::vector<Card> v;
    for (const auto& r : avt::query(
             avt::builtCatalogue(),
             "SELECT strPartNmbr, strPartDesc, bOptHeli, bOptEngine, bOptMainDrive, bOptMainRotor, "
             "bOptMRSystem, bOptClutch, bOptTRSlider, bOptTailDrive, "
             "bOptTailRotor FROM Component")) {
        auto n = [&](size_t i) { return guint(std::stoul(r.at(i).value_or("0"))); };
        v.push_back({{}, *r[0], *r[1]});
        for (size_t i = 0; i < 9; ++i)
            v.back().bOpt[i] = n(2 + i);
    }
    return v;
}

bool fits(const Card& c, const Options& opt) {
    for (size_t i = 0; i < 9; ++i)
        if (!cmodAcceptCompOpt(guint(opt[i]), c.bOpt[i]))
            return false;
    return true;
}

// The shipped catalogue in the tree: its places are the source's, no card is
// lost for want of a place, and a standard aircraft's tree builds and marks
// cleanly.
class ShippedCatalogue : public avct::CompTest {
  protected:
    void prepareData() override { avt::copyCatalogue(*m_dirs); }
};

TEST_F(ShippedCatalogue, EveryCardHasItsPlaceInTheTree) {
    using avct::col, avct::text;
    const char* pszCount = "SELECT COUNT(*) FROM Component WHERE bDelete = 0 OR bDelete IS NULL";
    size_t nStored = std::stoul(*avt::query(catDb(), pszCount).at(0).at(0));
    const auto setSource = sourceRows(
        "SELECT grp || CASE sub WHEN 0 THEN '' ELSE '/' || sub END || ' ' || name FROM Parent");
    guint iACID = addAircraft({.tManu = avt::utc(2015, 3, 1)});
    addFlights(iACID, {{avt::utc(2015, 4, 1), 30000}});
    activate(iACID);
    for (gboolean bEdit : std::initializer_list<gboolean>{FALSE, TRUE}) {
        cmodInitialize(bEdit);
        ASSERT_TRUE(cmodLoadModel(avct::ALL));
        std::vector<guint> ids; // of the card rows, italic ones counted apart
        int nItalic = 0;
        std::set<std::string> setPlaces; // as "group[/sub-group] name"
        avct::eachRow([&](GtkTreeIter* piter) {
            const guint nType = col<guint>(piter, CCD_TYPE_COL);
            const guint iInx = guint(col<gulong>(piter, CCD_INX_COL));
            GtkTreeIter iterGrp;
            if (nType == TYPE_COMP)
                ids.push_back(iInx), nItalic += col<guint>(piter, CCD_STYLE_COL) == 2;
            else if (nType == TYPE_GRP)
                setPlaces.insert(std::to_string(cmodGCompID(iInx)) + " " +
                                 text(piter, CCD_COMP_COL));
            else if (gtk_tree_model_iter_parent(cmodGetModel(), &iterGrp, piter))
                setPlaces.insert(
                    std::to_string(cmodGCompID(guint(col<gulong>(&iterGrp, CCD_INX_COL)))) + "/" +
                    std::to_string(cmodSCompID(iInx)) + " " + text(piter, CCD_COMP_COL));
        });
        EXPECT_EQ(setPlaces, setSource);
        EXPECT_EQ(std::set<guint>(ids.begin(), ids.end()).size(), ids.size()) << "a card twice";
        // Edit mode shows every card: one whose group is in no table is lost.
        EXPECT_EQ(bEdit ? ids.size() : size_t(nItalic), bEdit ? nStored : 0u);
        // 3000 hours on a ten-year-old airframe with no maintenance: the
        // first group must show a replacement due.
        EXPECT_EQ(avct::outline().rfind("Fuselage(red 700)[", 0), 0u);
    }
}

// The source's option words set exactly the codes the aircraft card's lists
// offer.
TEST(Catalogue, SourceAgreesWithTheOptionLists) {
    const char* const lstCat[] = {"heli", "eng", "clutch", "md", "mr", "hub", "trs", "td", "tr"};
    ASSERT_EQ(std::size(lstCat), amodOptLists().size());
    std::set<std::string> setCodes;
    for (size_t i = 0; i < std::size(lstCat); ++i)
        for (const amodOption& opt : amodOptLists()[i].lstOpt)
            if (opt.pszCheckID)
                setCodes.insert(std::string(lstCat[i]) + " " + std::to_string(opt.iCode));
    EXPECT_EQ(sourceRows("SELECT cat || ' ' || code FROM OptionCode"), setCodes);
}

TEST(Catalogue, StartUpKeepsAnEditedCopy) {
    EXPECT_FALSE(std::filesystem::exists(avt::sourceFile("etc/avCCD.db"))) << "committed";
    avt::TempDirs dirs;
    avt::copyCatalogue(dirs);
    avt::exec(dirs.etcFile("avCCD.db"), "UPDATE Component SET strPartDesc='Edited' WHERE rowid=1");
    const std::string strBefore = avt::readFile(dirs.etcFile("avCCD.db"));
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_TRUE(avt::readFile(dirs.etcFile("avCCD.db")) == strBefore) << "start-up changed it";
}

// Each variant's items show for the option codes of that variant alone.
TEST(Catalogue, VariantItemsShowForTheirVariantAlone) {
    const auto all = cards();
    struct VariantItems {
        size_t cat;
        std::vector<const char*> descriptions;
        std::vector<int> counts; // how many of them show, for each code the aircraft card offers
    };
    const std::vector<VariantItems> table{
        {ENGINE, {"Engine, 162F"}, {0, 0, 1, 1, 0, 0, 0, 0, 0, 0}},
        {ENGINE, {"Spark plugs", "Spark plug leads"}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 0}},
        {ENGINE, {"Fuel injectors", "Carburettor"}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
        {MAIN_DRIVE, {"Secondary drive chain", "Chain tensioner"}, {2, 0, 0, 0}},
        {MAIN_DRIVE, {"Cog belt, ProDrive"}, {0, 1, 0, 0}},
        {MAIN_DRIVE, {"Cog belt, AP"}, {0, 0, 1, 0}},
        {MAIN_DRIVE, {"Cog belt, factory", "Cog pulleys, upper and lower"}, {0, 1, 1, 2}},
        {HUB, {"Elastomeric bearings, 1.75 in hub"}, {1, 0, 0}},
        {HUB, {"Elastomeric bearings, 1.5 in hub"}, {0, 1, 0}},
        {HUB, {"Blade retention cables", "Coning hinge bolts, cable hub"}, {0, 0, 2}},
        {TAIL_DRIVE, {"Tail rotor drive belt", "Tail drive upper pulley"}, {2, 0, 0}},
        {TAIL_DRIVE, {"Tail rotor drive shaft", "Tail rotor gearbox"}, {0, 2, 2}},
        {TAIL_DRIVE, {"Splined coupling, KISS shaft"}, {0, 0, 1}},
    };
    for (const VariantItems& row : table) {
        SCOPED_TRACE(row.descriptions.front());
        auto count = [&](int iCode) {
            Options opt = m_defaults;
            opt[row.cat] = iCode;
            int n = 0;
            for (const Card& c : all)
                for (const char* psz : row.descriptions)
                    n += c.strDesc == psz && fits(c, opt);
            return n;
        };
        for (int iCode = 0; iCode < int(row.counts.size()); ++iCode)
            EXPECT_EQ(count(iCode), row.counts.at(iCode)) << "option code " << iCode;
        EXPECT_EQ(count(100), 0) << "an aircraft with \"Other\" has none of them";
    }
}

// The notes reach the catalogue with their tab-laid tables, every note slot
// names a note and every note is on some card.
TEST(Catalogue, NotesKeepTheirTabsAndSitInTheirSlots) {
    EXPECT_EQ(avt::query(avt::builtCatalogue(),
                         "WITH slot (id) AS (SELECT iSNote1ID FROM Component UNION SELECT "
                         "iSNote2ID FROM Component UNION SELECT iSNote3ID FROM Component) "
                         "SELECT id FROM slot WHERE id <> 0 AND id NOT IN (SELECT iSNoteID FROM "
                         "ServiceNote) UNION ALL SELECT iSNoteID FROM ServiceNote WHERE "
                         "iSNoteID NOT IN slot UNION ALL SELECT 'no tabs' WHERE NOT EXISTS "
                         "(SELECT 1 FROM ServiceNote WHERE instr(strText, char(9)))"),
              std::vector<avt::Row>{});
}

} // namespace
