// avDemoLog: writes a believable log for one helicopter, so that a new
// user (and the README's pictures) can see the program with data in it.
//
//   avDemoLog DATA_DIR SOURCE...   fill DATA_DIR/etc (made if needed) with
//                                  the program files found in the SOURCE
//                                  directories (the first one wins) and a
//                                  fresh demo log
//   avDemoLog --open SOURCE...     the same in a temporary directory, run
//                                  the program there, then remove it
//
// The log goes through the program's own record functions, so it always
// has the schema the program expects. It never writes over an existing
// log, settings or log file.
#include "avCnv.h"
#include "avLedger.h"
#include "avParam.h"
#include "modComp.h"
#include "modDefect.h"
#include "modPilot.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr time_t DAY = 86400;
constexpr guint ALL = 0xFFFFFFFFu;
// Look-ahead mark the demo starts with: 5 hours and one month.
constexpr guint MARK_HOURS = 50;
constexpr guint MARK_TIME = (guint(INTV_MONTH) << CNV_INTV_UNIT_SHIFT) | 1;
// Flying over the two years: little enough that the 50- and 100-hour
// cards are not due yet, so what is due stands out.
constexpr guint TOTAL_TENTHS = 420;

// Kinds of maintenance record (the flag byte).
constexpr guint8 INSPECTED = 0, REPLACE_NEW = 1, REPLACE_USED = 2, DEFER_INSP = 4, DEFER_RCO = 8;
// Cross-country bit of a flight's type.
constexpr guint FLIGHT_XC = 8;

// Cards with a story of their own in the demo (row IDs of the shipped
// catalogue; a catalogue without them simply gets fewer stories).
constexpr guint CARD_CONDITION = 100001;   // annual condition inspection
constexpr guint CARD_ENGINE_OIL = 204001;  // changed at every 25-hour service
constexpr guint CARD_OIL_FILTER = 204002;  // with the oil
constexpr guint CARD_FUEL_FILTER = 206003; // one-year limit, nearly reached
constexpr guint CARD_EXHAUST = 208002;     // a used set, over its hours
constexpr guint CARD_COOLANT = 205002;     // two-year limit passed, deferred

struct Flight {
    time_t tBegin;
    guint nTenths;
    guint nCum; // airframe hours at the end of this flight
};

struct Card {
    guint iCompID;
    guint nInspHours;
};

struct Record {
    guint iCompID;
    guint8 bFlags;
    time_t tComplete;
    guint nCompHours = 0, nDeferHours = 0, nDeferDays = 0;
};

bool fail(const std::string& strWhy) {
    fprintf(stderr, "avDemoLog: %s\n", strWhy.c_str());
    return false;
}

bool sqlFail(const char* pszWhat) {
    return fail(std::string(pszWhat) + ": " + sqlLastError());
}

// Copies the program files the demo needs; what is there already stays.
bool copyProgramFiles(const std::vector<fs::path>& sources, const fs::path& etc) {
    std::error_code ec;
    for (const fs::path& src : sources) {
        for (const auto& entry : fs::directory_iterator(src, ec)) {
            const fs::path& from = entry.path();
            std::string strName = from.filename().string();
            bool bWanted =
                strName == "avLedger.ui" || strName == "avCCD.db" || from.extension() == ".png";
            if (!bWanted || fs::exists(etc / strName))
                continue;
            if (!fs::copy_file(from, etc / strName, ec))
                return fail("cannot copy " + from.string() + ": " + ec.message());
        }
        if (ec)
            return fail("cannot read " + src.string() + ": " + ec.message());
    }
    return fs::exists(etc / "avCCD.db") || fail("no catalogue avCCD.db to copy");
}

// Roughly a flight a fortnight, mostly at weekends, over two years.
std::vector<Flight> makeFlights(std::mt19937& rng, time_t tFirst, time_t tToday) {
    std::vector<Flight> flights;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (time_t tDay = tFirst; tDay < tToday; tDay += DAY) {
        int nWeekday = int((tDay / DAY + 4) % 7); // 0 Sunday
        double p = (nWeekday == 0 || nWeekday == 6) ? 0.22 : 0.04;
        if (chance(rng) < p)
            flights.push_back({tDay + (8 * 3600) + 300 * time_t(rng() % 110), 0, 0});
    }
    // Durations of 0.3 to 1.0 hours, nudged until they add up to the total.
    guint nSum = 0;
    for (Flight& f : flights)
        nSum += f.nTenths = 3 + rng() % 8;
    const size_t nFlights = flights.size();
    while (nFlights * 3 <= TOTAL_TENTHS && nFlights * 10 >= TOTAL_TENTHS && nSum != TOTAL_TENTHS) {
        Flight& f = flights[rng() % flights.size()];
        if (nSum < TOTAL_TENTHS && f.nTenths < 10)
            ++f.nTenths, ++nSum;
        else if (nSum > TOTAL_TENTHS && f.nTenths > 3)
            --f.nTenths, --nSum;
    }
    guint nCum = 0;
    for (Flight& f : flights)
        f.nCum = nCum += f.nTenths;
    return flights;
}

bool writeAircraft(time_t tManu, guint* piACID) {
    rcdAC rcd{};
    rcd.iACID = ALL;
    g_strlcpy(rcd.szReg, "ZK-HDM", sizeof rcd.szReg);
    g_strlcpy(rcd.szModel, "Exec 162F", sizeof rcd.szModel);
    g_strlcpy(rcd.szSerial, "3127", sizeof rcd.szSerial);
    g_strlcpy(rcd.szBuilder, "James Whitcombe", sizeof rcd.szBuilder);
    g_strlcpy(rcd.szOwner, "James Whitcombe", sizeof rcd.szOwner);
    g_strlcpy(rcd.szNotes,
              "Kit built over three winters in the farm workshop. Test flown by the "
              "inspector the month after completion.\nDemo log: not a real aircraft.",
              sizeof rcd.szNotes);
    rcd.tManu = tManu;
    // Exec 162F, 162F engine, factory T-bar clutch, chain drive, asymmetric
    // blades, 1.75" hub, old-style slider, belt tail drive, factory tail rotor.
    rcd.iHeliOpt = 0;
    rcd.iEngineOpt = 3;
    rcd.iClutchOpt = rcd.iMainDriveOpt = rcd.iMainRotorOpt = rcd.iMRSystemOpt = 0;
    rcd.iTRSliderOpt = rcd.iTailDriveOpt = rcd.iTailRotorOpt = 0;
    rcd.bLogSinceNew = TRUE;
    rcd.tLogStart = tManu;
    if (!sqlUpdateAircraftRecord(&rcd))
        return sqlFail("aircraft");
    *piACID = rcd.iACID;
    return true;
}

bool writePilot(const char* pszLast, const char* pszFirst, time_t tLastMed, time_t tLastFR,
                guint* piPilotID) {
    rcdPilot rcd{};
    rcd.iPilotID = ALL;
    g_strlcpy(rcd.szLName, pszLast, sizeof rcd.szLName);
    g_strlcpy(rcd.szFName, pszFirst, sizeof rcd.szFName);
    pltBuildSortKey(&rcd, rcd.szSortKey, sizeof rcd.szSortKey);
    const guint nTwoYears = (guint(INTV_YEAR) << CNV_INTV_UNIT_SHIFT) | 2;
    rcd.tLastMed = tLastMed;
    rcd.nMedIntv = nTwoYears;
    rcd.bMedAuto = TRUE;
    rcd.tNextMed = pltCalcDueDate(tLastMed, nTwoYears, FALSE);
    rcd.tLastFR = tLastFR;
    rcd.nFRIntv = nTwoYears;
    rcd.bFRAuto = TRUE;
    rcd.tNextFR = pltCalcDueDate(tLastFR, nTwoYears, FALSE);
    if (!sqlUpdatePilotRecord(&rcd))
        return sqlFail("pilot");
    *piPilotID = rcd.iPilotID;
    return true;
}

bool writeFlights(std::mt19937& rng, const std::vector<Flight>& flights, guint iACID, guint iOwner,
                  guint iFriend) {
    static constexpr const char* HOME = "Ashcroft farm strip";
    static constexpr const char* TRIPS[] = {"Kerrow Bay", "Millbrook aerodrome", "Tarlton fly-in",
                                            "Glen Ross station"};
    static constexpr const char* NOTES[] = {
        "Hover and circuit practice.", "Autorotations to the power-off landing area.",
        "Quick stops and slope landings.", "Checked blade track after the adjustment.",
        "Smooth air, nothing to report."};
    for (size_t i = 0; i < flights.size(); ++i) {
        const Flight& f = flights[i];
        rcdFLog rcd{};
        rcd.iFLogID = ALL;
        rcd.iCSID = iACID;
        rcd.iPilotID = (i % 10 == 3 || i % 10 == 7) ? iFriend : iOwner;
        rcd.tFltBegin = f.tBegin;
        rcd.nElapsed = f.nTenths;
        rcd.tFltEnd = f.tBegin + 360 * time_t(f.nTenths);
        g_strlcpy(rcd.szFrom, HOME, sizeof rcd.szFrom);
        g_strlcpy(rcd.szTo, HOME, sizeof rcd.szTo);
        if (f.nTenths >= 8 && rng() % 2 == 0) {
            g_strlcpy(rcd.szTo, TRIPS[rng() % 4], sizeof rcd.szTo);
            rcd.nType |= FLIGHT_XC;
        }
        if (rng() % 3 == 0)
            g_strlcpy(rcd.szNotes, NOTES[rng() % 5], sizeof rcd.szNotes);
        if (rng() % 8 == 0)
            g_strlcpy(rcd.szPaxList, "M. Whitcombe", sizeof rcd.szPaxList);
        if (!sqlUpdateFLogRecord(&rcd))
            return sqlFail("flight");
    }
    return true;
}

// The cards of the catalogue that the active aircraft has, by row ID.
bool readCards(const fs::path& catalogue, std::vector<Card>* plstCards) {
    sqlite3* hDB = nullptr;
    if (sqlite3_open_v2(catalogue.c_str(), &hDB, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(hDB);
        return fail("cannot open " + catalogue.string());
    }
    sqlite3_stmt* pStmt = nullptr;
    const char* pszSQL =
        "SELECT iCompID, iGroupID, nInspect, bOptHeli, bOptEngine, bOptMainDrive, "
        "bOptMainRotor, bOptMRSystem, bOptClutch, bOptTRSlider, bOptTailDrive, bOptTailRotor "
        "FROM Component WHERE bDelete = 0 ORDER BY iCompID";
    bool bOK = sqlite3_prepare_v2(hDB, pszSQL, -1, &pStmt, nullptr) == SQLITE_OK;
    while (bOK && sqlite3_step(pStmt) == SQLITE_ROW) {
        rcdComp rcd{};
        rcd.iCompID = guint(sqlite3_column_int64(pStmt, 0));
        guint* pOpts[] = {&rcd.bOptHeli,      &rcd.bOptEng,       &rcd.bOptMainDrive,
                          &rcd.bOptMainRotor, &rcd.bOptMRSystem,  &rcd.bOptClutch,
                          &rcd.bOptTRSlider,  &rcd.bOptTailDrive, &rcd.bOptTailRotor};
        for (int i = 0; i < 9; ++i)
            *pOpts[i] = guint(sqlite3_column_int64(pStmt, 3 + i));
        if (cmodAcceptCompCard(&rcd))
            plstCards->push_back({rcd.iCompID, guint(sqlite3_column_int64(pStmt, 2))});
    }
    sqlite3_finalize(pStmt);
    sqlite3_close(hDB);
    return bOK || fail("cannot read the cards of " + catalogue.string());
}

// The maintenance history: the short-interval cards serviced as they come
// due, an annual condition inspection with a few longer-interval items, and
// a handful of cards left due, deferred or within the look-ahead mark.
std::vector<Record> makeMaintenance(std::mt19937& rng, const std::vector<Flight>& flights,
                                    const std::vector<Card>& cards, time_t tManu, time_t tToday) {
    std::vector<Record> recs;
    const guint nTotal = flights.empty() ? 0 : flights.back().nCum;
    auto after = [](const Flight& f) { return f.tBegin + 360 * time_t(f.nTenths) + 1800; };
    // The first flight that brings the airframe to at least nCum tenths.
    auto flightAt = [&](guint nCum) -> const Flight* {
        for (const Flight& f : flights)
            if (f.nCum >= nCum)
                return &f;
        return nullptr;
    };
    auto has = [&](guint iCompID) {
        return std::any_of(cards.begin(), cards.end(),
                           [&](const Card& c) { return c.iCompID == iCompID; });
    };

    std::vector<guint> lstStory; // 25-hour cards free for the stories below
    for (const Card& c : cards) {
        if (c.nInspHours == 0 || c.nInspHours > 25)
            continue;
        guint nIntv = c.nInspHours * 10;
        guint8 bKind = (c.iCompID == CARD_ENGINE_OIL || c.iCompID == CARD_OIL_FILTER) ? REPLACE_NEW
                                                                                      : INSPECTED;
        guint nLast = 0;
        time_t tLast = tManu;
        for (const Flight& f : flights) {
            guint nDueAt = nIntv * (80 + rng() % 17) / 100;
            if (f.nCum - nLast >= nDueAt) {
                recs.push_back({c.iCompID, bKind, after(f)});
                nLast = f.nCum;
                tLast = f.tBegin;
            }
        }
        // Serviced after the latest flight when it would otherwise come due
        // within the mark (oil also by its one-year limit): an ordinary card
        // is not due.
        bool bSoon = nLast + nIntv <= nTotal + MARK_HOURS + 10 ||
                     (bKind == REPLACE_NEW && tLast < tToday - 270 * DAY);
        if (bSoon && !flights.empty()) {
            recs.push_back({c.iCompID, bKind, after(flights.back())});
        }
        if (c.nInspHours == 25 && bKind == INSPECTED && c.iCompID != CARD_FUEL_FILTER &&
            c.iCompID != CARD_EXHAUST && c.iCompID != CARD_COOLANT)
            lstStory.push_back(c.iCompID);
    }

    // Annual condition inspection, with some of the longer-interval items.
    for (time_t tYear = tManu + 365 * DAY; tYear < tToday; tYear += 365 * DAY) {
        auto it = std::find_if(flights.begin(), flights.end(),
                               [&](const Flight& f) { return f.tBegin >= tYear; });
        time_t tDone = it == flights.end() ? tYear : it->tBegin - 2 * 3600;
        if (has(CARD_CONDITION))
            recs.push_back({CARD_CONDITION, INSPECTED, tDone});
        for (size_t i = 0; i < cards.size(); i += 13)
            if (cards[i].nInspHours > 25 && cards[i].iCompID != CARD_CONDITION)
                recs.push_back({cards[i].iCompID, INSPECTED, tDone});
    }

    // Stories. Each replaces whatever the routine wrote for that card.
    auto restart = [&](guint iCompID) {
        std::erase_if(recs, [&](const Record& r) { return r.iCompID == iCompID; });
    };
    // Five different cards, spread over the tree.
    auto story = [&](size_t i) -> guint {
        return lstStory.size() >= 5 ? lstStory[i * lstStory.size() / 5] : 0;
    };
    const guint nIntv = 250; // of the story cards, in tenths
    // Two cards due: inspected once, long ago in hours.
    for (size_t i : {0, 1})
        if (guint iComp = story(i); iComp && nTotal > nIntv + 20) {
            restart(iComp);
            recs.push_back({iComp, INSPECTED, after(*flightAt((nTotal - nIntv) / 2))});
        }
    // One due and deferred by 20 hours or 60 days, recorded after the last flight.
    if (guint iComp = story(2); iComp && nTotal > nIntv + 20) {
        restart(iComp);
        recs.push_back({iComp, INSPECTED, after(*flightAt((nTotal - nIntv) / 2))});
        recs.push_back({iComp, DEFER_INSP, after(flights.back()) + 600, 0, 200, 60});
    }
    // Two that come due within the 5-hour mark, not before it.
    for (size_t i : {3, 4})
        if (guint iComp = story(i); iComp && nTotal > nIntv) {
            restart(iComp);
            recs.push_back({iComp, INSPECTED, after(*flightAt(nTotal - nIntv + 20))});
        }
    // The fuel filter's one-year limit falls within the one-month mark.
    if (has(CARD_FUEL_FILTER) && !flights.empty()) {
        restart(CARD_FUEL_FILTER);
        recs.push_back({CARD_FUEL_FILTER, REPLACE_NEW, tToday - 345 * DAY});
        recs.push_back({CARD_FUEL_FILTER, INSPECTED, after(flights.back())});
    }
    // A used exhaust spring set, fitted with 85 of its 100 hours gone.
    if (has(CARD_EXHAUST) && nTotal > 200) {
        restart(CARD_EXHAUST);
        recs.push_back({CARD_EXHAUST, REPLACE_USED, after(*flightAt(nTotal - 200)), 850});
    }
    // The coolant is past its two years since the aircraft was built; the
    // change is deferred by 45 days.
    if (has(CARD_COOLANT))
        recs.push_back({CARD_COOLANT, DEFER_RCO, tToday - 6 * DAY, 0, 0, 45});
    std::erase_if(recs, [&](const Record& r) { return r.tComplete >= tToday; });
    return recs;
}

bool writeMaintenance(const std::vector<Record>& recs, guint iACID) {
    static constexpr const char* NOTES[] = {
        "", "", "", "Safety wire renewed.", "Torque checked, marks renewed.", ""};
    size_t i = 0;
    for (const Record& r : recs) {
        rcdMaint rcd{};
        rcd.iMaintID = ALL;
        rcd.iCompID = r.iCompID;
        rcd.bFlags = r.bFlags;
        rcd.tComplete = r.tComplete;
        rcd.nCompHours = r.nCompHours;
        rcd.nDeferHours = r.nDeferHours;
        rcd.nDeferDays = r.nDeferDays;
        g_strlcpy(rcd.szNotes, NOTES[i++ % 6], sizeof rcd.szNotes);
        if (r.bFlags == DEFER_INSP)
            g_strlcpy(rcd.szNotes, "Parts on order; inspect when they arrive.", sizeof rcd.szNotes);
        else if (r.bFlags == DEFER_RCO)
            g_strlcpy(rcd.szNotes, "Checked serviceable; change at the next service.",
                      sizeof rcd.szNotes);
        else if (r.bFlags == REPLACE_USED)
            g_strlcpy(rcd.szNotes, "Used set from the spares kit.", sizeof rcd.szNotes);
        if (!sqlUpdateMaintRecord(&rcd, iACID))
            return sqlFail("maintenance record");
    }
    return true;
}

// Three defects: one to clear before the next inspection on a card the
// tree then marks, a note, and one cleared since. None grounds the
// aircraft: every flight typed into the demo would be asked about.
bool writeDefects(const std::vector<Flight>& flights, const std::vector<Card>& cards, guint iACID,
                  time_t tToday) {
    struct Spec {
        guint nSeverity;
        int nFlightsBack; // reported after this flight from the end
        const char* pszDesc;
        const char* pszCleared; // null: open
    };
    static constexpr Spec specs[] = {
        {DFCT_BEFORE_INSP, 3, "Coolant hose chafing at the frame clamp.", nullptr},
        {DFCT_NOTE, 12, "Squeak from the left pedal at full travel.", nullptr},
        {DFCT_GROUNDING, 40, "Vibration felt in the pedals at 60 kn.",
         "Could not reproduce on two test flights."},
    };
    guint iCard = cards.empty() ? 0 : cards.front().iCompID;
    for (const Card& c : cards)
        if (c.iCompID == 205002u)
            iCard = c.iCompID;
    for (const Spec& spec : specs) {
        if (flights.size() <= size_t(spec.nFlightsBack))
            continue;
        rcdDefect rcd = dfctNew(iACID, flights[flights.size() - 1 - spec.nFlightsBack].tBegin);
        rcd.nSeverity = spec.nSeverity;
        rcd.iCompID = spec.nSeverity == DFCT_BEFORE_INSP ? iCard : 0;
        g_strlcpy(rcd.szDesc, spec.pszDesc, sizeof rcd.szDesc);
        if (!dfctSave(&rcd))
            return sqlFail("defect");
        if (spec.pszCleared && !dfctClear(rcd.iDefectID, std::min(rcd.tReported + 9 * DAY, tToday),
                                          0, spec.pszCleared, "J. Whitcombe"))
            return sqlFail("defect clearing");
    }
    return true;
}

// Writes the demo into dir/etc. The working directory becomes dir/bin, as
// the program's own start-up expects.
bool writeDemo(const fs::path& dirGiven, const std::vector<fs::path>& sources) {
    std::error_code ec;
    const fs::path dir = fs::absolute(dirGiven);
    fs::path etc = dir / "etc";
    for (const char* pszName : {"avLedger.db", "avLedger.conf", "avLedger.log"})
        if (fs::exists(etc / pszName))
            return fail((etc / pszName).string() + " exists; the demo log needs a fresh directory");
    fs::create_directories(dir / "bin", ec);
    fs::create_directories(etc, ec);
    if (ec)
        return fail("cannot make " + etc.string() + ": " + ec.message());
    if (!copyProgramFiles(sources, etc))
        return false;
    if (chdir((dir / "bin").c_str()) != 0)
        return fail("cannot enter " + (dir / "bin").string());

    avPrepareEnvironment();
    // An empty settings file: loading it then has nothing to complain about.
    if (FILE* pFile = fopen("../etc/avLedger.conf", "w"))
        fclose(pFile);
    prmLoadKeyFile();
    if (!sqlInitialize())
        return sqlFail("databases");

    std::mt19937 rng(162);
    const time_t tToday = time(nullptr) / DAY * DAY;
    const time_t tFirst = tToday - 730 * DAY;
    const time_t tManu = tFirst - 24 * DAY;
    std::vector<Flight> flights = makeFlights(rng, tFirst, tToday);

    guint iACID = 0, iOwner = 0, iFriend = 0;
    if (!writeAircraft(tManu, &iACID) ||
        !writePilot("Whitcombe", "James", tToday - 600 * DAY, tToday - 400 * DAY, &iOwner) ||
        !writePilot("Okafor", "Ruth", tToday - 200 * DAY, tToday - 710 * DAY, &iFriend) ||
        !writeFlights(rng, flights, iACID, iOwner, iFriend))
        return false;
    if (!acdLoadActiveAC(iACID))
        return fail("cannot load the demo aircraft");
    std::vector<Card> cards;
    if (!readCards(etc / "avCCD.db", &cards))
        return false;
    std::vector<Record> recs = makeMaintenance(rng, flights, cards, tManu, tToday);
    std::sort(recs.begin(), recs.end(),
              [](const Record& a, const Record& b) { return a.tComplete < b.tComplete; });
    if (!writeMaintenance(recs, iACID))
        return false;
    if (!writeDefects(flights, cards, iACID, tToday))
        return false;

    prmSetKeyInteger(PRM_ACTIVE_AC, gint(iACID));
    prmSetKeyInteger(PRM_MARK_HOURS, gint(MARK_HOURS));
    prmSetKeyInteger(PRM_MARK_TIME, gint(MARK_TIME));
    if (!recs.empty())
        prmSetKeyTime(PRM_MAINT_LAST_DATE, recs.back().tComplete);
    // Closed, so that the log is complete in avLedger.db alone.
    sqlClose();
    printf("avDemoLog: %zu flights (%u.%u h), 2 pilots, %zu maintenance records in %s\n",
           flights.size(), TOTAL_TENTHS / 10, TOTAL_TENTHS % 10, recs.size(), etc.c_str());
    return true;
}

// Runs the program beside this tool on a demo log in a temporary directory,
// which is removed when the program ends.
int openDemo(const std::vector<fs::path>& sources) {
    GError* pError = nullptr;
    gchar* pszTmp = g_dir_make_tmp("avLedger-demo-XXXXXX", &pError);
    if (!pszTmp) {
        fail(std::string("no temporary directory: ") + pError->message);
        g_error_free(pError);
        return 1;
    }
    fs::path dir = pszTmp;
    g_free(pszTmp);
    int nStatus = 1;
    if (writeDemo(dir, sources)) {
        gchar* pszSelf = g_file_read_link("/proc/self/exe", nullptr);
        fs::path program = fs::path(pszSelf ? pszSelf : "").parent_path() / "avLedger";
        g_free(pszSelf);
        std::string strProgram = program.string();
        gchar* argv[] = {strProgram.data(), nullptr};
        // The program then says that this is a demo, not the user's log.
        g_setenv(AV_DEMO_ENV, "1", TRUE);
        std::string strBin = (dir / "bin").string();
        if (g_spawn_sync(strBin.c_str(), argv, nullptr, G_SPAWN_CHILD_INHERITS_STDIN, nullptr,
                         nullptr, nullptr, nullptr, &nStatus, &pError)) {
            nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 1;
        } else {
            fail("cannot start " + strProgram + ": " + pError->message);
            g_error_free(pError);
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return nStatus;
}

} // namespace

int main(int argc, char** argv) {
    bool bOpen = argc > 1 && strcmp(argv[1], "--open") == 0;
    std::vector<fs::path> sources; // after "--open" or after DATA_DIR
    for (int i = 2; i < argc; ++i)
        sources.push_back(fs::absolute(argv[i]));
    if (sources.empty() || (!bOpen && argv[1][0] == '-')) {
        fprintf(stderr, "usage: avDemoLog DATA_DIR SOURCE_ETC...\n"
                        "       avDemoLog --open SOURCE_ETC...\n");
        return 2;
    }
    return bOpen ? openDemo(sources) : (writeDemo(argv[1], sources) ? 0 : 1);
}
