// Defects found on an aircraft (a chafed hose, a vibration) that stay open
// until cleared: the open ones worst first with their age and the flights
// flown since, the cleared ones with how, and the rules that keep their
// links to flights and maintenance records honest when those are deleted.
// The owner is asked and told by the pages; this module only answers.
#pragma once

#include "modComp.h"
#include "rcdDefect.h"

#include <glib.h>

#include <ctime>
#include <string>
#include <vector>

// One defect as the list, the due list, the report and the CSV show it.
struct dfctLine {
    rcdDefect rcd;
    gint64 nAgeDays;     // whole days from the report to now (to the clearing when cleared)
    guint nFlightsSince; // flights of the aircraft begun after the report
    std::string strSeverity;
    std::string strReported; // "19-Apr-2026"
    std::string strComp;     // part description and number; "" when none was named
    std::string strFlight;   // the flight's date and take-off; "" when none was named
    std::string strCleared;  // clearing date; "" while open
    std::string strHow;      // "Maintenance record of 19-Apr-2026 (Inspected)" or the owner's note
};

struct dfctList {
    std::vector<dfctLine> lstOpen;    // worst first: severity, then the oldest report
    std::vector<dfctLine> lstCleared; // the latest clearing first
};

// "Grounding", "Before next inspection", "Note"; "" for an unknown value.
const char* dfctSeverityText(guint nSeverity);
// How an open defect is drawn wherever it is listed: grounding as an
// overdue part, before the next inspection as a due inspection, a note
// plain.
cmodLook dfctLook(guint nSeverity);

// A new, open defect of the aircraft dated tReported (flight and card
// none, severity grounding until chosen).
rcdDefect dfctNew(guint iACID, time_t tReported);

// Reads the defects of aircraft iACID as of tNow. A read failure is
// reported and gives FALSE with what was read.
gboolean dfctLoad(guint iACID, time_t tNow, dfctList* pList);

// What the banner says: "1 open grounding defect", "2 open grounding
// defects"; "" when none is open.
std::string dfctBannerText(const dfctList& list);
// The same for aircraft iACID, read from the log without the list's
// texts (the banner is shown after every flight edit).
std::string dfctBannerTextFor(guint iACID);
// Whether the card has an open defect (the component tree marks it).
gboolean dfctCardHasOpen(const dfctList& list, guint iCompID);
// The question before a flight starting at tStart is logged while a
// grounding defect reported before it is open ("'Cracked skid shoe' was
// reported grounding on 19-Apr-2026: log the flight anyway?"); "" when
// there is none. Plain text.
std::string dfctFlightQuestion(const dfctList& list, time_t tStart);

// Why the defect cannot be stored as it is (no description, no aircraft,
// no valid date, an unknown severity), or null.
const char* dfctRefusal(const rcdDefect& rcd);
// Stores a new or changed defect; a refused one is not stored (FALSE, the
// reason reported). A write failure is reported.
gboolean dfctSave(rcdDefect* prcd);
// Why the open defect rcd cannot be cleared so, or null.
const char* dfctClearRefusal(const rcdDefect& rcd, time_t tWhen, guint iMaintID,
                             const char* pszHow);
// Clears an open defect at tWhen, by maintenance record iMaintID or, with
// 0, by the owner's note pszHow (which it then needs); pszBy may be empty.
// FALSE with the reason reported when it cannot.
gboolean dfctClear(guint iDefectID, time_t tWhen, guint iMaintID, const char* pszHow,
                   const char* pszBy);

// Before a flight or a maintenance record is deleted: what becomes of the
// defects that refer to it ("It is named by the defect 'Chafed hose', which
// is kept; its link to the flight is cleared."), "" when none does. Plain
// text.
std::string dfctDeleteNote(guint iACID, guint iFLogID, guint iMaintID);
// The delete itself: every defect of the aircraft that refers to the
// flight (iFLogID) or maintenance record (iMaintID; 0 for none) loses the
// link and says in its own text what was deleted (pszWhat, e.g. "flight of
// 19-Apr-2026") and when; a defect cleared by the deleted record is open
// again. Run inside the caller's write group. FALSE after a reported
// failure.
gboolean dfctForgetLinks(guint iACID, guint iFLogID, guint iMaintID, const char* pszWhat,
                         time_t tNow);
