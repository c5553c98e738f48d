// The shipped catalogue as the build generates it: the schema the program
// expects, a card for every place in the component tree, part numbers,
// sort orders, intervals and limits the program can show, option masks
// within the option lists, and service notes with well-formed mark-up.
#include "avCnv.h"
#include "harness.h"

#include <array>
#include <cstdint>
#include <map>
#include <regex>
#include <set>

namespace {

namespace fs = std::filesystem;

constexpr uint64_t GROUP_LEVEL = 1ull << 31;

struct Card {
    uint64_t iCompID = 0;
    uint64_t iGroupID = 0; // as stored, bit 31 included
    std::string strPart, strDesc, strNotes, strRef;
    uint64_t nInspect = 0, nRCO = 0, iSortOrder = 0;
    std::array<uint64_t, 3> iSNote{};
    std::array<uint64_t, 9> bOpt{};
};

// The nine mask columns, with the option codes that each list defines.
struct MaskColumn {
    const char* pszColumn;
    std::vector<int> codes;
};
const std::array<MaskColumn, 9> m_maskColumns{{
    {"bOptHeli", {0, 1, 2, 3, 4, 5, 6}},
    {"bOptEngine", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    {"bOptMainDrive", {0, 1, 2, 3}},
    {"bOptMainRotor", {0, 1, 2}},
    {"bOptMRSystem", {0, 1, 2}},
    {"bOptClutch", {0, 1, 2}},
    {"bOptTRSlider", {0, 1, 2, 3}},
    {"bOptTailDrive", {0, 1, 2}},
    {"bOptTailRotor", {0, 1}},
}};

// The component tree the program builds: group IDs, and each sub-group's
// ID with the group it belongs to.
const std::map<unsigned, const char*> m_groups{{1, "Fuselage"},          {2, "Engine"},
                                               {3, "Drive Train"},       {4, "Main Rotor System"},
                                               {5, "Tail Rotor System"}, {6, "Flight Controls"},
                                               {7, "Electrical System"}, {8, "Instrumentation"}};
const std::map<unsigned, std::pair<unsigned, const char*>> m_subGroups{
    {1, {1, "Airframe"}},
    {25, {1, "Landing Gear"}},
    {2, {1, "Tail Boom"}},
    {3, {1, "Body"}},
    {4, {2, "Oil System"}},
    {5, {2, "Cooling System"}},
    {6, {2, "Fuel System"}},
    {8, {2, "Exhaust System"}},
    {9, {2, "Intake System"}},
    {10, {3, "Tail Rotor Drive"}},
    {11, {5, "Tail Rotor"}},
    {12, {6, "Directional Control"}},
    {13, {6, "Cyclic Control"}},
    {14, {6, "Collective Control"}},
    {15, {6, "Throttle Control"}},
    {17, {4, "Main Rotor Blades"}},
    {18, {2, "Torque Link"}},
    {20, {1, "Ground Handling Wheels"}},
    {21, {1, "Ballast Weight"}},
    {22, {2, "Ignition"}},
    {23, {4, "Rotor Hub Assembly"}},
    {24, {1, "Doors"}},
    {26, {3, "Main Drive"}},
    {27, {5, "Pitch Actuator"}},
    {28, {5, "Mount"}},
    {29, {5, "Drive"}},
    {30, {3, "Fan Drive"}},
    {31, {4, "Swash Plate Assembly"}},
    {32, {4, "Main Rotor Shaft Assembly"}},
};

uint64_t number(const std::optional<std::string>& value) {
    return value ? std::stoull(*value) : 0;
}

std::vector<Card> loadCards() {
    std::vector<Card> cards;
    for (const auto& row : avt::query(
             avt::builtCatalogue(),
             "SELECT iCompID, iGroupID, strPartNmbr, strPartDesc, strDescNotes, strPartRef, "
             "nInspect, nRCO, iSortOrder, iSNote1ID, iSNote2ID, iSNote3ID, bOptHeli, bOptEngine, "
             "bOptMainDrive, bOptMainRotor, bOptMRSystem, bOptClutch, bOptTRSlider, "
             "bOptTailDrive, bOptTailRotor FROM Component WHERE bDelete = 0 ORDER BY iCompID")) {
        Card c;
        c.iCompID = number(row[0]);
        c.iGroupID = number(row[1]);
        c.strPart = row[2].value_or("");
        c.strDesc = row[3].value_or("");
        c.strNotes = row[4].value_or("");
        c.strRef = row[5].value_or("");
        c.nInspect = number(row[6]);
        c.nRCO = number(row[7]);
        c.iSortOrder = number(row[8]);
        for (size_t i = 0; i < 3; ++i)
            c.iSNote[i] = number(row[9 + i]);
        for (size_t i = 0; i < 9; ++i)
            c.bOpt[i] = number(row[12 + i]);
        cards.push_back(std::move(c));
    }
    return cards;
}

class Catalogue : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(fs::exists(avt::builtCatalogue())) << avt::builtCatalogue();
        m_cards = loadCards();
    }
    static std::vector<Card> m_cards;
};
std::vector<Card> Catalogue::m_cards;

TEST(CatalogueFile, GeneratedIntoTheBuildAndNeverIntoTheSourceTree) {
    EXPECT_TRUE(fs::exists(avt::builtCatalogue()));
    EXPECT_FALSE(fs::exists(avt::sourceFile("etc/avCCD.db")))
        << "the catalogue is generated; a database in the source tree would ship stale data";
}

TEST(CatalogueFile, ACopyInTheDataDirectoryTakesEditsAndLeavesTheBuiltFileAlone) {
    avt::TempDirs dirs;
    avt::copyCatalogue(dirs);
    const auto copy = dirs.etcFile("avCCD.db");
    // What the editor does: a new card's skeleton row, then its update.
    avt::exec(copy, "INSERT INTO Component (iGroupID)VALUES (2147483655)");
    const char* pszCount = "SELECT count(*) FROM Component";
    EXPECT_EQ(std::stoi(avt::query(copy, pszCount).at(0)[0].value_or("0")),
              std::stoi(avt::query(avt::builtCatalogue(), pszCount).at(0)[0].value_or("0")) + 1);
    avt::exec(copy, "UPDATE Component SET strPartDesc='Edited' WHERE iCompID=101001");
    EXPECT_EQ(avt::query(copy, "SELECT strPartDesc FROM Component WHERE iCompID=101001")[0][0],
              "Edited");
    EXPECT_NE(avt::query(avt::builtCatalogue(),
                         "SELECT strPartDesc FROM Component WHERE iCompID=101001")[0][0],
              "Edited");
}

TEST(CatalogueFile, HoldsExactlyTheDeclaredTablesWithTheProgramsOwnStatements) {
    // The program finds columns by reading the stored CREATE statements with
    // a parser that only knows blanks; a column it cannot find there is added
    // again at start-up, which fails with a duplicate column.
    using Columns = std::vector<std::pair<const char*, const char*>>;
    const std::vector<std::pair<const char*, Columns>> declared{
        {"Component",
         {{"iCompID", "INTEGER PRIMARY KEY"},
          {"iGroupID", "INTEGER"},
          {"strPartNmbr", "TEXT"},
          {"strPartDesc", "TEXT"},
          {"strDescNotes", "TEXT"},
          {"strPartRef", "TEXT"},
          {"nInspect", "INTEGER"},
          {"nRCO", "INTEGER"},
          {"iSNote1ID", "INTEGER"},
          {"iSNote2ID", "INTEGER"},
          {"iSNote3ID", "INTEGER"},
          {"bDelete", "BOOLEAN"},
          {"iSortOrder", "INTEGER"},
          {"bOptHeli", "INTEGER"},
          {"bOptEngine", "INTEGER"},
          {"bOptMainDrive", "INTEGER"},
          {"bOptMainRotor", "INTEGER"},
          {"bOptMRSystem", "INTEGER"},
          {"bOptClutch", "INTEGER"},
          {"bOptTRSlider", "INTEGER"},
          {"bOptTailDrive", "INTEGER"},
          {"bOptTailRotor", "INTEGER"}}},
        {"Reference",
         {{"iRefID", "INTEGER PRIMARY KEY"},
          {"iCompID", "INTEGER"},
          {"strDrawing", "TEXT"},
          {"nRotate", "INTEGER"},
          {"nTargetX", "INTEGER"},
          {"nTargetY", "INTEGER"},
          {"nTargetWidth", "INTEGER"},
          {"nTargetHeight", "INTEGER"},
          {"nTargetAngle", "INTEGER"},
          {"iTargetShape", "INTEGER"},
          {"bDelete", "BOOLEAN"}}},
        {"Target",
         {{"iTargetID", "INTEGER PRIMARY KEY"},
          {"iRefID", "INTEGER"},
          {"nX", "INTEGER"},
          {"nY", "INTEGER"},
          {"nWidth", "INTEGER"},
          {"nHeight", "INTEGER"},
          {"nLen", "INTEGER"},
          {"nAngle", "INTEGER"},
          {"iShape", "INTEGER"},
          {"nWeight", "INTEGER"},
          {"nColour", "INTEGER"},
          {"bDelete", "BOOLEAN"}}},
        {"ServiceNote",
         {{"iSNoteID", "INTEGER PRIMARY KEY"},
          {"strLabel", "TEXT"},
          {"strText", "TEXT"},
          {"bDelete", "BOOLEAN"}}},
    };
    const fs::path db = avt::builtCatalogue();
    auto objects = avt::query(db, "SELECT type, name FROM sqlite_master ORDER BY name");
    ASSERT_EQ(objects.size(), declared.size()) << "only the four tables, nothing else";

    for (const auto& [pszTable, columns] : declared) {
        SCOPED_TRACE(pszTable);
        auto info = avt::query(db, std::string("PRAGMA table_info(") + pszTable + ")");
        ASSERT_EQ(info.size(), columns.size());
        std::string strExpected = std::string("CREATE TABLE ") + pszTable + " (";
        for (size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(info[i][1].value_or(""), columns[i].first) << "column " << i;
            std::string strType = columns[i].second;
            if (strType == "INTEGER PRIMARY KEY") {
                EXPECT_EQ(info[i][2].value_or(""), "INTEGER");
                EXPECT_EQ(info[i][5].value_or(""), "1") << "primary key";
            } else {
                EXPECT_EQ(info[i][2].value_or(""), strType) << columns[i].first;
            }
            strExpected += std::string(i ? ", " : "") + columns[i].first + " " + strType;
        }
        strExpected += ")";
        auto sql = avt::query(db, std::string("SELECT sql FROM sqlite_master WHERE name = '") +
                                      pszTable + "' AND type = 'table'");
        ASSERT_EQ(sql.size(), 1u);
        EXPECT_EQ(sql[0][0].value_or(""), strExpected);
    }
}

TEST_F(Catalogue, EveryGroupAndSubGroupHasCardsAndEveryCardHasAPlace) {
    EXPECT_GE(m_cards.size(), 150u);
    std::map<unsigned, int> nSub, nGroup;
    for (const Card& c : m_cards) {
        SCOPED_TRACE(c.strPart);
        EXPECT_LT(c.iGroupID, 1ull << 32) << "the group value is read as 32 bits";
        if (c.iGroupID & GROUP_LEVEL) {
            unsigned iGroup = unsigned(c.iGroupID & ~GROUP_LEVEL);
            EXPECT_TRUE(m_groups.count(iGroup)) << "group-level card for no group " << iGroup;
            ++nGroup[iGroup];
        } else {
            EXPECT_TRUE(m_subGroups.count(unsigned(c.iGroupID)))
                << "card in no sub-group: " << c.iGroupID;
            ++nSub[unsigned(c.iGroupID)];
        }
    }
    for (const auto& [iSub, group] : m_subGroups)
        EXPECT_GE(nSub[iSub], 3) << "sub-group " << group.second << " has hardly any cards";
    // These two groups have no sub-groups: their cards hang on the group.
    EXPECT_GE(nGroup[7], 8) << m_groups.at(7);
    EXPECT_GE(nGroup[8], 8) << m_groups.at(8);
    int nOtherGroupLevel = 0;
    for (unsigned iGroup = 1; iGroup <= 6; ++iGroup)
        nOtherGroupLevel += nGroup[iGroup];
    EXPECT_GE(nOtherGroupLevel, 3) << "a few cards belong to a group as a whole";
}

TEST_F(Catalogue, PartNumbersAreUniqueAndNameTheCardsPlace) {
    // AVL-GGSS-NNN: group, sub-group (00 on the group itself), item; the
    // row ID is GGSSNNN so that it stays put when the source is reordered.
    const std::regex scheme("AVL-([0-9]{2})([0-9]{2})-([0-9]{3})");
    std::set<std::string> seen;
    for (const Card& c : m_cards) {
        SCOPED_TRACE(c.strPart);
        EXPECT_TRUE(seen.insert(c.strPart).second) << "duplicate part number";
        std::smatch m;
        ASSERT_TRUE(std::regex_match(c.strPart, m, scheme));
        unsigned iGG = std::stoul(m[1]), iSS = std::stoul(m[2]), iNNN = std::stoul(m[3]);
        EXPECT_GT(iNNN, 0u);
        if (c.iGroupID & GROUP_LEVEL) {
            EXPECT_EQ(iGG, c.iGroupID & ~GROUP_LEVEL);
            EXPECT_EQ(iSS, 0u);
        } else {
            EXPECT_EQ(iSS, c.iGroupID);
            auto it = m_subGroups.find(unsigned(c.iGroupID));
            if (it != m_subGroups.end()) {
                EXPECT_EQ(iGG, it->second.first) << "sub-group belongs to another group";
            }
        }
        EXPECT_EQ(c.iCompID, iGG * 100000ull + iSS * 1000ull + iNNN);
    }
}

TEST_F(Catalogue, TextsFitTheirFieldsAndSortOrdersAreUniqueUnderEachParent) {
    // The program cuts texts to these sizes (bytes, terminator excluded).
    std::set<std::pair<uint64_t, uint64_t>> sortSeen;
    for (const Card& c : m_cards) {
        SCOPED_TRACE(c.strPart);
        EXPECT_LE(c.strPart.size(), 31u);
        EXPECT_FALSE(c.strDesc.empty());
        EXPECT_LE(c.strDesc.size(), 49u) << c.strDesc;
        EXPECT_LE(c.strRef.size(), 49u) << c.strRef;
        EXPECT_LE(c.strNotes.size(), 499u);
        for (const std::string* pstr : {&c.strPart, &c.strDesc, &c.strRef, &c.strNotes}) {
            for (unsigned char ch : *pstr)
                EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << "control or non-ASCII byte in " << *pstr;
            if (!pstr->empty()) {
                EXPECT_TRUE(pstr->front() != ' ' && pstr->back() != ' ') << '"' << *pstr << '"';
            }
        }
        EXPECT_GT(c.iSortOrder, 0u);
        EXPECT_TRUE(sortSeen.insert({c.iGroupID, c.iSortOrder}).second)
            << "two cards share sort order " << c.iSortOrder << " under " << c.iGroupID;
    }
}

TEST_F(Catalogue, IntervalsAndLimitsAreSensibleAndReadBackAsShown) {
    int nInspected = 0, nHours = 0, nYears = 0, nOC = 0;
    for (const Card& c : m_cards) {
        SCOPED_TRACE(c.strPart + " " + c.strDesc);
        // Inspection interval: plain hours.
        if (c.nInspect) {
            ++nInspected;
            EXPECT_TRUE(c.nInspect == 10 || c.nInspect == 25 || c.nInspect == 50 ||
                        c.nInspect == 100)
                << "inspection every " << c.nInspect << " hours";
        }
        // Limit: hours in bits 0-15, years in 16-30, on condition in bit 31.
        ASSERT_LT(c.nRCO, 1ull << 32);
        uint64_t nLimitHours = c.nRCO & 0xFFFF, nLimitYears = (c.nRCO >> 16) & 0x7FFF;
        nHours += nLimitHours != 0;
        nYears += nLimitYears != 0;
        nOC += int(c.nRCO >> 31);
        if (nLimitHours) {
            EXPECT_GE(nLimitHours, 50u);
            // The tree keeps ten times the limit in 16 bits: 6553 is the most
            // that shows right.
            EXPECT_LE(nLimitHours, 6553u);
            EXPECT_LE(c.nInspect, nLimitHours) << "inspected less often than replaced";
        }
        EXPECT_LE(nLimitYears, 25u);
        // The card page shows both as limit text; an editor who leaves the
        // field unchanged must get the same value back.
        gchar szText[64];
        guint nBack = 0;
        cnvDcdRCO(szText, sizeof szText, guint(c.nRCO));
        cnvEncRCO(&nBack, szText, FALSE);
        EXPECT_EQ(nBack, c.nRCO) << "limit shown as \"" << szText << "\" reads back differently";
        cnvDcdRCO(szText, sizeof szText, guint(c.nInspect));
        cnvEncRCO(&nBack, szText, TRUE);
        EXPECT_EQ(nBack, c.nInspect) << "interval shown as \"" << szText << "\"";
        EXPECT_TRUE(c.nInspect || c.nRCO || c.iGroupID & GROUP_LEVEL)
            << "a card with neither an interval nor a limit never falls due";
    }
    EXPECT_GE(nInspected, int(m_cards.size() * 9 / 10));
    EXPECT_GE(nHours, 40);
    EXPECT_GE(nYears, 10);
    EXPECT_GE(nOC, 100);
}

TEST_F(Catalogue, OptionMasksUseOnlyDefinedOptionCodes) {
    int nRestricted = 0;
    for (const Card& c : m_cards) {
        SCOPED_TRACE(c.strPart + " " + c.strDesc);
        bool bAny = false;
        for (size_t i = 0; i < m_maskColumns.size(); ++i) {
            uint64_t nAllowed = 0;
            for (int iCode : m_maskColumns[i].codes)
                nAllowed |= 1ull << iCode;
            EXPECT_EQ(c.bOpt[i] & ~nAllowed, 0u)
                << m_maskColumns[i].pszColumn << " = " << c.bOpt[i] << " names an unknown option";
            bAny |= c.bOpt[i] != 0;
        }
        nRestricted += bAny;
    }
    EXPECT_GE(nRestricted, 40) << "variant items carry masks";
    EXPECT_GE(m_cards.size() - nRestricted, 100u) << "common items keep mask 0";
}

// Checks the tilde mark-up of one text: every code known, every span opened
// before it is closed, closed before it is opened again, and closed at the
// end. Returns the first fault, or an empty string.
std::string markupFault(const std::string& strText) {
    std::map<char, bool> open;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] != '~')
            continue;
        if (i + 1 >= strText.size())
            return "tilde at the end";
        char ch = strText[++i];
        char chKind = char(std::toupper(ch));
        if (std::string("BIUCDWH").find(chKind) == std::string::npos)
            return std::string("unknown code ~") + ch;
        bool bOpening = std::isupper(static_cast<unsigned char>(ch));
        if (bOpening && chKind == 'C') {
            if (i + 1 >= strText.size() ||
                std::string("rRbB").find(strText[i + 1]) == std::string::npos)
                return "colour code without a known colour letter";
            ++i;
        }
        if (bOpening == open[chKind])
            return std::string("~") + ch + (bOpening ? " opened twice" : " closed while not open");
        open[chKind] = bOpening;
    }
    for (auto [chKind, bOpen] : open)
        if (bOpen)
            return std::string("~") + chKind + " never closed";
    return {};
}

TEST(CatalogueMarkup, CheckerFindsTheFaultsThatWouldShowInTheNotesView) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"~U~BHeading~b~u\nText ~CRwarning~c and ~Cbblue~c.", true},
        {"Table\tValue\nBolt\t~B25 ft-lb~b", true},
        {"~BBold never closed", false},
        {"closed ~b without opening", false},
        {"~B~Bnested~b~b", false},
        {"~Cxunknown colour~c", false},
        {"~Qunknown code", false},
        {"ends in a tilde~", false},
        {"~U~Bcrossed~u~b", true}, // different kinds may overlap
    };
    for (const auto& [strText, bGood] : cases)
        EXPECT_EQ(markupFault(strText).empty(), bGood) << strText;
}

TEST_F(Catalogue, ServiceNotesAreWellFormedAndAttachedToTheirCards) {
    auto notes = avt::query(avt::builtCatalogue(),
                            "SELECT iSNoteID, strLabel, strText, bDelete FROM ServiceNote");
    ASSERT_GE(notes.size(), 10u);
    std::map<uint64_t, int> nAttached;
    std::set<std::string> labels;
    int nTables = 0;
    for (const auto& row : notes) {
        uint64_t iID = number(row[0]);
        std::string strLabel = row[1].value_or(""), strText = row[2].value_or("");
        SCOPED_TRACE(strLabel);
        nAttached[iID] = 0;
        EXPECT_EQ(number(row[3]), 0u);
        EXPECT_FALSE(strLabel.empty());
        EXPECT_LE(strLabel.size(), 49u);
        EXPECT_TRUE(labels.insert(strLabel).second) << "two notes with one label";
        EXPECT_LE(strText.size(), 4999u);
        EXPECT_EQ(markupFault(strText), "");
        EXPECT_EQ(strText.find('\\'), std::string::npos) << "escape left in the text";
        EXPECT_EQ(strText.rfind("~U~B", 0), 0u) << "a note starts with its heading";
        nTables += strText.find('\t') != std::string::npos;
    }
    EXPECT_GE(nTables, 3) << "torque and limit tables are laid out with tabs";

    for (const Card& c : m_cards)
        for (size_t i = 0; i < 3; ++i) {
            if (!c.iSNote[i])
                continue;
            EXPECT_TRUE(nAttached.count(c.iSNote[i]))
                << c.strPart << " slot " << i + 1 << " names no note " << c.iSNote[i];
            ++nAttached[c.iSNote[i]];
            for (size_t j = 0; j < i; ++j)
                EXPECT_NE(c.iSNote[i], c.iSNote[j]) << c.strPart << " shows one note twice";
        }
    for (auto [iID, n] : nAttached)
        EXPECT_GT(n, 0) << "note " << iID << " is on no card";
}

} // namespace
