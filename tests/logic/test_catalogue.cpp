// The shipped catalogue as the build generates it: start-up keeps it as it
// is, its masks name only the codes the aircraft card offers, and each
// variant's items show for that variant alone. The generator itself refuses
// a card that never falls due, a place without a card for every aircraft, bad
// mark-up in a note and a target off its picture (tested with its source).
#include "harness.h"
#include "modComp.h"
#include "sqlMLog.h"

#include <array>

namespace {

// The mask columns in the order read below, and the number of option codes
// (0 .. n-1) that each list of the aircraft card defines.
constexpr size_t ENGINE = 1, MAIN_DRIVE = 2, HUB = 4, TAIL_DRIVE = 7;
constexpr std::array<int, 9> m_nCodes{7, 10, 4, 3, 3, 3, 4, 3, 2};
using Options = std::array<int, 9>;
// A new builder's choice: Exec 162F, 162F N/A, chain drive, the rest factory.
constexpr Options m_defaults{0, 3, 0, 0, 0, 0, 0, 0, 0};

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

TEST(Catalogue, StartUpKeepsAnEditedCopy) {
    EXPECT_FALSE(std::filesystem::exists(avt::sourceFile("etc/avCCD.db"))) << "committed";
    avt::TempDirs dirs;
    avt::copyCatalogue(dirs);
    avt::exec(dirs.etcFile("avCCD.db"), "UPDATE Component SET strPartDesc='Edited' WHERE rowid=1");
    const std::string strBefore = avt::readFile(dirs.etcFile("avCCD.db"));
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    EXPECT_TRUE(avt::readFile(dirs.etcFile("avCCD.db")) == strBefore) << "start-up changed it";
}

TEST(Catalogue, MasksNameOnlyListedCodesAndVariantItemsShowForTheirVariantAlone) {
    const auto all = cards();
    for (const Card& c : all)
        for (size_t i = 0; i < 9; ++i)
            EXPECT_EQ(c.bOpt[i] >> m_nCodes[i], 0u) << c.strPart << ": unknown code in mask " << i;

    struct VariantItems {
        size_t cat;
        std::vector<const char*> descriptions;
        std::vector<int> counts; // how many of them show, for each option code
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
        for (int iCode = 0; iCode < m_nCodes[row.cat]; ++iCode)
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
