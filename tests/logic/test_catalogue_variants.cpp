// Which cards of the shipped catalogue an aircraft sees for its options:
// a full tree whatever the options, and the variant items (engines, main
// drive, rotor hub, tail drive, ...) only on the aircraft that have them.
#include "harness.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>

namespace {

constexpr uint64_t GROUP_LEVEL = 1ull << 31;

// Mask columns in the order of the option categories below.
enum Category {
    HELI,
    ENGINE,
    MAIN_DRIVE,
    MAIN_ROTOR,
    HUB,
    CLUTCH,
    TR_SLIDER,
    TAIL_DRIVE,
    TAIL_ROTOR
};
constexpr std::array<const char*, 9> m_pszMaskColumns{
    "bOptHeli",   "bOptEngine",   "bOptMainDrive", "bOptMainRotor", "bOptMRSystem",
    "bOptClutch", "bOptTRSlider", "bOptTailDrive", "bOptTailRotor"};
// Number of option codes each list on the aircraft card defines (0 .. n-1).
constexpr std::array<int, 9> m_nCodes{7, 10, 4, 3, 3, 3, 4, 3, 2};

using Options = std::array<int, 9>;
// What a new builder picks: Exec 162F, 162F N/A engine, chain drive, factory
// asymmetric blades, 1.75 in elastomeric hub, T-bar clutch, old-style CV
// slider, belt tail drive, factory tail rotor.
constexpr Options m_defaults{0, 3, 0, 0, 0, 0, 0, 0, 0};

struct Card {
    uint64_t iGroupID;
    std::string strDesc;
    std::array<uint32_t, 9> bOpt;
};

const std::vector<Card>& cards() {
    static const std::vector<Card> s_cards = [] {
        std::string strSql = "SELECT iGroupID, strPartDesc";
        for (const char* psz : m_pszMaskColumns)
            strSql += std::string(", ") + psz;
        strSql += " FROM Component WHERE bDelete = 0";
        std::vector<Card> v;
        for (const auto& row : avt::query(avt::builtCatalogue(), strSql)) {
            Card c{std::stoull(row[0].value_or("0")), row[1].value_or(""), {}};
            for (size_t i = 0; i < 9; ++i)
                c.bOpt[i] = uint32_t(std::stoull(row[2 + i].value_or("0")));
            v.push_back(c);
        }
        return v;
    }();
    return s_cards;
}

// The program's rule: mask 0 fits everyone; a code above 99 (the "Other"
// entries) or unset (-1) fits no restricted card; else bit <code> decides.
bool fits(const Card& c, const Options& opt) {
    for (size_t i = 0; i < 9; ++i) {
        if (c.bOpt[i] == 0)
            continue;
        if (unsigned(opt[i]) > 99 || !(c.bOpt[i] >> (unsigned(opt[i]) % 32) & 1))
            return false;
    }
    return true;
}

std::vector<const Card*> visible(const Options& opt) {
    std::vector<const Card*> v;
    for (const Card& c : cards())
        if (fits(c, opt))
            v.push_back(&c);
    return v;
}

std::string describe(const Options& opt) {
    std::string str;
    for (size_t i = 0; i < 9; ++i)
        str += std::string(i ? " " : "") + m_pszMaskColumns[i] + "=" + std::to_string(opt[i]);
    return str;
}

TEST(CatalogueVariants, EveryAircraftSeesAFullTree) {
    const std::set<uint64_t> places = [] {
        std::set<uint64_t> s{7 | GROUP_LEVEL, 8 | GROUP_LEVEL};
        for (uint64_t iSub : {1,  25, 2,  3,  4,  5,  6,  8,  9,  10, 11, 12, 13, 14, 15,
                              17, 18, 20, 21, 22, 23, 24, 26, 27, 28, 29, 30, 31, 32})
            s.insert(iSub);
        return s;
    }();
    ASSERT_FALSE(cards().empty());

    std::vector<Options> aircraft{m_defaults};
    Options unset;
    unset.fill(-1); // a new aircraft before its options are chosen
    aircraft.push_back(unset);
    Options other;
    other.fill(100); // "Other" in every list that has it
    other[HUB] = -1;
    aircraft.push_back(other);
    for (size_t iCat = 0; iCat < 9; ++iCat)
        for (int iCode = 0; iCode < m_nCodes[iCat]; ++iCode) {
            Options opt = m_defaults;
            opt[iCat] = iCode;
            aircraft.push_back(opt);
        }

    for (const Options& opt : aircraft) {
        std::map<uint64_t, int> n;
        for (const Card* pc : visible(opt))
            ++n[pc->iGroupID];
        for (uint64_t iPlace : places)
            EXPECT_GT(n[iPlace], 0)
                << "empty place " << (iPlace & ~GROUP_LEVEL)
                << (iPlace & GROUP_LEVEL ? " (group)" : "") << " for " << describe(opt);
    }
    EXPECT_GE(visible(m_defaults).size(), 150u);
}

struct VariantItems {
    Category cat;
    std::vector<const char*> descriptions;
    std::vector<int> counts; // how many of them show, for each option code
};

TEST(CatalogueVariants, VariantItemsShowOnlyOnTheAircraftThatHaveThem) {
    const std::vector<VariantItems> table{
        {ENGINE,
         {"Engine, 162F", "Engine, A600", "Engine, 162 carburettor", "Engine, 152/145/133",
          "Engine, Evinrude conversion", "Turbine, T62-32"},
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {ENGINE, {"Engine, 162F"}, {0, 0, 1, 1, 0, 0, 0, 0, 0, 0}},
        {ENGINE, {"Spark plugs", "Spark plug leads"}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 0}},
        {ENGINE,
         {"ACIS ignition computer", "Crank position sensor"},
         {2, 0, 2, 0, 0, 0, 0, 0, 0, 0}},
        {ENGINE, {"Ignition modules"}, {0, 1, 0, 1, 1, 1, 1, 1, 1, 0}},
        {ENGINE, {"Fuel injectors", "Throttle body"}, {2, 2, 2, 2, 0, 0, 0, 0, 0, 0}},
        {ENGINE,
         {"Carburettor", "Carburettor heat box and control"},
         {0, 0, 0, 0, 2, 2, 2, 2, 2, 0}},
        {ENGINE, {"Radiator", "Coolant", "Coolant hoses"}, {3, 3, 3, 3, 3, 3, 3, 3, 0, 0}},
        {ENGINE, {"Engine oil", "Oil filter"}, {2, 2, 2, 2, 2, 2, 2, 2, 0, 0}},
        {ENGINE, {"Two-stroke oil injection pump"}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0}},
        {ENGINE,
         {"Turbine igniter plug and exciter", "Turbine oil and filter"},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
        {MAIN_DRIVE,
         {"Secondary drive chain", "Drive sprocket, small", "Driven sprocket, large",
          "Chain oiler and reservoir", "Chain tensioner"},
         {5, 0, 0, 0}},
        {MAIN_DRIVE, {"Cog belt, ProDrive"}, {0, 1, 0, 0}},
        {MAIN_DRIVE, {"Cog belt, AP"}, {0, 0, 1, 0}},
        {MAIN_DRIVE, {"Cog belt, factory"}, {0, 0, 0, 1}},
        {MAIN_DRIVE, {"Cog pulleys, upper and lower", "Cog belt tensioner bearing"}, {0, 2, 2, 2}},
        {HUB,
         {"Elastomeric bearings, 1.75 in hub", "Elastomeric retainers and bolts, 1.75 in"},
         {2, 0, 0}},
        {HUB,
         {"Elastomeric bearings, 1.5 in hub", "Elastomeric retainers and bolts, 1.5 in"},
         {0, 2, 0}},
        {HUB, {"Blade retention cables", "Coning hinge bolts, cable hub"}, {0, 0, 2}},
        {TAIL_DRIVE,
         {"Tail rotor drive belt", "Tail drive belt guides and guard", "Tail drive upper pulley",
          "Tail drive belt tension idler", "Tail rotor shaft bearings", "Tail rotor driven pulley",
          "Output shaft bearing housing"},
         {7, 0, 0}},
        {TAIL_DRIVE,
         {"Tail rotor drive shaft", "Drive shaft flexible couplings", "Drive shaft hanger bearings",
          "Tail rotor gearbox", "Tail rotor gearbox oil", "Tail gearbox chip detector",
          "Tail gearbox mounting pads"},
         {0, 7, 7}},
        {TAIL_DRIVE, {"Splined coupling, KISS shaft"}, {0, 0, 1}},
        {MAIN_ROTOR, {"Main rotor blades, asymmetric (pair)"}, {1, 0, 0}},
        {MAIN_ROTOR, {"Main rotor blades, symmetric (pair)"}, {0, 1, 0}},
        {MAIN_ROTOR, {"Main rotor blades, Waitman (pair)"}, {0, 0, 1}},
        {MAIN_ROTOR, {"Blade trim tabs"}, {1, 1, 0}},
        {TAIL_ROTOR, {"Tail rotor blades, factory (pair)", "Tail rotor hub, factory"}, {2, 0}},
        {TAIL_ROTOR, {"Tail rotor blades, ProDrive (pair)", "Tail rotor hub, ProDrive"}, {0, 2}},
        {TR_SLIDER, {"Pitch change slider, CV old style"}, {1, 0, 0, 0}},
        {TR_SLIDER, {"Pitch change slider, CV new style"}, {0, 1, 0, 0}},
        {TR_SLIDER, {"Pitch change slider, AP"}, {0, 0, 1, 0}},
        {TR_SLIDER, {"Pitch change slider, ProDrive"}, {0, 0, 0, 1}},
        {TR_SLIDER, {"Slider bearing, CV slider"}, {1, 1, 0, 0}},
        {CLUTCH, {"Clutch T-bar and pivot bushings"}, {1, 0, 0}},
        {CLUTCH, {"Clutch electric actuator"}, {0, 1, 0}},
        {CLUTCH, {"Clutch hydraulic cylinder and hose"}, {0, 0, 1}},
        {CLUTCH, {"Clutch engaged warning light"}, {0, 1, 1}},
        {HELI, {"Cabin body shell, Exec series"}, {1, 1, 1, 1, 0, 0, 0}},
        {HELI, {"Body shell, Scorpion"}, {0, 0, 0, 0, 1, 1, 0}},
        {HELI, {"Body shell, Talon"}, {0, 0, 0, 0, 0, 0, 1}},
    };
    for (const VariantItems& row : table) {
        SCOPED_TRACE(std::string(m_pszMaskColumns[row.cat]) + ": " + row.descriptions.front());
        ASSERT_EQ(int(row.counts.size()), m_nCodes[row.cat]);
        // Each item is in the catalogue once, whatever the options.
        for (const char* psz : row.descriptions) {
            int n = 0;
            for (const Card& c : cards())
                n += c.strDesc == psz;
            EXPECT_EQ(n, 1) << psz;
        }
        auto count = [&](int iCode) {
            Options opt = m_defaults;
            opt[row.cat] = iCode;
            int n = 0;
            for (const Card* pc : visible(opt))
                for (const char* psz : row.descriptions)
                    n += pc->strDesc == psz;
            return n;
        };
        for (int iCode = 0; iCode < m_nCodes[row.cat]; ++iCode)
            EXPECT_EQ(count(iCode), row.counts[iCode]) << "option code " << iCode;
        // An aircraft with "Other" or no choice in this list has none of them.
        EXPECT_EQ(count(100), 0);
        EXPECT_EQ(count(-1), 0);
    }
}

} // namespace
