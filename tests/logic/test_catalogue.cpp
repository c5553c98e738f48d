// The shipped catalogue as the build generates it: start-up keeps it as it
// is, every place in the tree has cards for every variant, limits read back
// as shown, the service notes are well formed and the drawings' targets lie
// on their pictures. What the generator refuses is tested with its source.
#include "avCnv.h"
#include "harness.h"
#include "modAC.h"
#include "modComp.h"
#include "pagRef.h"
#include "rcdComp.h"
#include "sqlMLog.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <map>
#include <set>

namespace {

constexpr guint GROUP_LEVEL = 1u << 31;
// The mask columns in the order read below, and the number of option codes
// (0 .. n-1) that each list of the aircraft card defines.
constexpr size_t ENGINE = 1, MAIN_DRIVE = 2, HUB = 4, TAIL_DRIVE = 7;
const std::array<int, 9> m_nCodes = [] {
    constexpr std::array<guint rcdComp::*, 9> lstMask{
        &rcdComp::bOptHeli,     &rcdComp::bOptEng,      &rcdComp::bOptMainDrive,
        &rcdComp::bOptMainRotor, &rcdComp::bOptMRSystem, &rcdComp::bOptClutch,
        &rcdComp::bOptTRSlider, &rcdComp::bOptTailDrive, &rcdComp::bOptTailRotor};
    std::array<int, 9> a{};
    for (size_t i = 0; i < 9; ++i)
        for (const amodOptList& lst : amodOptLists())
            if (lst.pMask == lstMask[i])
                for (const amodOption& opt : lst.lstOpt)
                    a[i] += opt.pszCheckID != nullptr;
    return a;
}();
using Options = std::array<int, 9>;
// A new builder's choice: Exec 162F, 162F N/A, chain drive, the rest factory.
constexpr Options m_defaults{0, 3, 0, 0, 0, 0, 0, 0, 0};
constexpr Options m_unset{-1, -1, -1, -1, -1, -1, -1, -1, -1}; // chosen later

// The IDs of the tree's groups or sub-groups, as the model builds it.
std::set<guint> treeIDs(guint (*pfuncID)(guint)) {
    std::set<guint> set;
    for (guint i = 0; pfuncID(i) != G_MAXUINT; ++i)
        set.insert(pfuncID(i));
    return set;
}
const std::set<guint> m_subGroups = treeIDs(cmodSCompID);

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

// The tree's places below a row as "group[/sub-group] name".
void treePlaces(GtkTreeIter* piterParent, const std::string& strGroup,
                std::set<std::string>* pset) {
    GtkTreeModel* pmod = cmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gchar* pszName = nullptr;
        gulong iInx = 0;
        guint nType = TYPE_COMP;
        gtk_tree_model_get(pmod, &iter, CCD_COMP_COL, &pszName, CCD_INX_COL, &iInx, CCD_TYPE_COL,
                           &nType, -1);
        const std::string strID = nType == TYPE_GRP
                                      ? std::to_string(cmodGCompID(guint(iInx)))
                                      : strGroup + "/" + std::to_string(cmodSCompID(guint(iInx)));
        if (nType != TYPE_COMP)
            pset->insert(strID + " " + pszName);
        if (nType == TYPE_GRP)
            treePlaces(&iter, strID, pset);
        g_free(pszName);
    }
}

struct Card {
    guint iGroupID, nInspect, nRCO;
    std::array<guint, 9> bOpt;
    std::string strPart, strDesc;
};

std::vector<Card> cards() {
    std::vector<Card> v;
    for (const auto& r : avt::query(avt::builtCatalogue(),
                                    "SELECT strPartNmbr, strPartDesc, iGroupID, nInspect, nRCO, "
                                    "bOptHeli, bOptEngine, bOptMainDrive, bOptMainRotor, "
                                    "bOptMRSystem, bOptClutch, bOptTRSlider, bOptTailDrive, "
                                    "bOptTailRotor FROM Component")) {
        auto n = [&](size_t i) { return guint(std::stoul(r.at(i).value_or("0"))); };
        v.push_back({n(2), n(3), n(4), {}, *r[0], *r[1]});
        for (size_t i = 0; i < 9; ++i)
            v.back().bOpt[i] = n(5 + i);
    }
    return v;
}

bool fits(const Card& c, const Options& opt) {
    for (size_t i = 0; i < 9; ++i)
        if (!cmodAcceptCompOpt(guint(opt[i]), c.bOpt[i]))
            return false;
    return true;
}

// The catalogue's source names the program's tree and option codes: its
// places are the model's groups and sub-groups, its option words set
// exactly the codes the aircraft card's lists offer.
TEST(Catalogue, SourceAgreesWithTheTreeAndTheOptionLists) {
    avt::TempDirs dirs;
    avt::copyCatalogue(dirs);
    ASSERT_TRUE(sqlInitialize()) << sqlLastError();
    cmodInitialize(FALSE);
    ASSERT_TRUE(cmodLoadModel(G_MAXUINT));
    std::set<std::string> setTree;
    treePlaces(nullptr, "", &setTree);
    cmodClearModel();
    EXPECT_EQ(sourceRows("SELECT grp || CASE sub WHEN 0 THEN '' ELSE '/' || sub END || ' ' || "
                         "name FROM Parent"),
              setTree);

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

TEST(Catalogue, EveryAircraftSeesAFullTreeAndOnlyItsVariantItems) {
    const auto all = cards();
    ASSERT_GE(all.size(), 150u);
    // What the card page shows of a limit and an interval reads back as
    // the same value; the tree keeps tenths of the hours in 16 bits; every
    // card falls due somehow and sits where the tree has a place; masks
    // name only codes the lists define.
    for (const Card& c : all) {
        SCOPED_TRACE(c.strPart + " " + c.strDesc);
        gchar sz[64];
        guint nRCO = 0, nInspect = 0;
        cnvDcdRCO(sz, sizeof sz, c.nRCO);
        cnvEncRCO(&nRCO, sz, FALSE);
        cnvDcdRCO(sz, sizeof sz, c.nInspect);
        cnvEncRCO(&nInspect, sz, TRUE);
        EXPECT_EQ(std::pair(nRCO, nInspect), std::pair(c.nRCO, c.nInspect));
        EXPECT_LE(c.nRCO & 0xFFFF, 6553u);
        EXPECT_TRUE(c.nInspect || c.nRCO || c.iGroupID & GROUP_LEVEL) << "never falls due";
        EXPECT_TRUE(c.iGroupID & GROUP_LEVEL || m_subGroups.count(c.iGroupID))
            << "unknown sub-group";
        for (size_t i = 0; i < 9; ++i)
            EXPECT_EQ(c.bOpt[i] >> m_nCodes[i], 0u) << "unknown option code in mask " << i;
    }
    std::vector<Options> aircraft{m_defaults, m_unset};
    for (size_t iCat = 0; iCat < 9; ++iCat)
        for (int iCode = 0; iCode < m_nCodes[iCat]; ++iCode) {
            aircraft.push_back(m_defaults);
            aircraft.back()[iCat] = iCode;
        }
    for (const Options& opt : aircraft) {
        std::map<guint, int> n;
        for (const Card& c : all)
            n[c.iGroupID] += fits(c, opt);
        for (guint iPlace : {7 | GROUP_LEVEL, 8 | GROUP_LEVEL})
            EXPECT_GE(n[iPlace], 5) << "group " << (iPlace & 0xFF) << ", engine " << opt[ENGINE];
        for (guint iSub : m_subGroups)
            EXPECT_GT(n[iSub], 0) << "sub-group " << iSub << " of aircraft " << &opt - &aircraft[0];
    }

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

// Whether a text's tilde mark-up is well formed: known codes only, each
// span opened before it is closed and closed before it is opened again.
bool markupOk(const std::string& strText) {
    std::set<char> open;
    for (size_t i = strText.find('~'); i != std::string::npos; i = strText.find('~', i + 1)) {
        char ch = strText.c_str()[++i], chKind = char(std::toupper(ch));
        if (!ch || std::string("BIUCDWH").find(chKind) == std::string::npos)
            return false;
        bool bOpening = std::isupper(static_cast<unsigned char>(ch));
        if (bOpening && chKind == 'C' && !std::strchr("rRbB", strText.c_str()[++i]))
            return false;
        if (bOpening ? !open.insert(chKind).second : !open.erase(chKind))
            return false;
    }
    return open.empty();
}

TEST(Catalogue, ServiceNotesAreWellFormedAndAttachedToTheirCards) {
    auto notes = avt::query(avt::builtCatalogue(), "SELECT iSNoteID, strText FROM ServiceNote");
    ASSERT_GE(notes.size(), 10u);
    int nTables = 0;
    for (const auto& row : notes) {
        EXPECT_TRUE(markupOk(*row[1])) << "note " << *row[0];
        nTables += row[1]->find('\t') != std::string::npos;
    }
    EXPECT_GE(nTables, 3) << "torque and limit tables are laid out with tabs";
    // Every note slot names a note, and every note is on some card.
    EXPECT_EQ(avt::query(avt::builtCatalogue(),
                         "WITH slot (id) AS (SELECT iSNote1ID FROM Component UNION SELECT "
                         "iSNote2ID FROM Component UNION SELECT iSNote3ID FROM Component) "
                         "SELECT id FROM slot WHERE id <> 0 AND id NOT IN (SELECT iSNoteID FROM "
                         "ServiceNote) UNION ALL SELECT iSNoteID FROM ServiceNote WHERE "
                         "iSNoteID NOT IN slot"),
              std::vector<avt::Row>{});
}

// Every drawing the catalogue names ships beside it, and every target,
// drawn as the viewer draws it, lies on its picture.
TEST(Catalogue, DrawingsShipAndTheirTargetsLieOnThem) {
    const avt::fs::path etc = avt::builtCatalogue().parent_path();
    std::map<std::string, std::pair<int, int>> sizes;
    std::set<std::string> cards;
    for (const auto& r :
         avt::query(avt::builtCatalogue(),
                    "SELECT r.strDrawing, c.strPartNmbr, t.nX, t.nY, t.nWidth, "
                    "t.nHeight, t.nLen, t.nAngle, t.iShape FROM Reference r "
                    "JOIN Component c USING (iCompID) LEFT JOIN Target t "
                    "ON t.iRefID = r.iRefID AND t.bDelete = 0 WHERE r.bDelete = 0")) {
        const std::string strFile = *r[0];
        SCOPED_TRACE(*r[1] + " " + strFile);
        if (!sizes.count(strFile)) {
            cairo_surface_t* psrf = cairo_image_surface_create_from_png((etc / strFile).c_str());
            ASSERT_EQ(cairo_surface_status(psrf), CAIRO_STATUS_SUCCESS) << "does not ship";
            sizes[strFile] = {cairo_image_surface_get_width(psrf),
                              cairo_image_surface_get_height(psrf)};
            cairo_surface_destroy(psrf);
        }
        ASSERT_TRUE(r[2].has_value()) << "a drawing without a target";
        auto n = [&](size_t i) { return guint(std::stoul(*r[i])); };
        const rcdTarget tgt{0, 0, n(2), n(3), n(4), n(5), n(6), n(7), n(8), 0, 0, FALSE, FALSE};
        auto [nW, nH] = sizes[strFile];
        // Path extents do not depend on the surface: a small one will do.
        cairo_surface_t* psrf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_t* pcr = cairo_create(psrf);
        refTargetPath(pcr, tgt);
        double x0, y0, x1, y1;
        cairo_path_extents(pcr, &x0, &y0, &x1, &y1);
        EXPECT_TRUE(x0 >= 0 && y0 >= 0 && x1 <= nW && y1 <= nH)
            << "target " << x0 << "," << y0 << " - " << x1 << "," << y1;
        cairo_destroy(pcr);
        cairo_surface_destroy(psrf);
        cards.insert(*r[1]);
    }
    EXPECT_GE(cards.size(), 40u) << "cards that open a drawing with a target";
    EXPECT_GE(sizes.size(), 10u) << "pictures";
}

} // namespace
