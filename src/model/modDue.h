// The due list's content: every component of the active aircraft that is
// due, deferred or due within the look-ahead mark, and every pilot whose
// medical or flight review has run out or runs out within the mark. The
// due list window and the report show it.
#pragma once

#include "modComp.h"
#include "modForecast.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

// What drives a line: the limit that made it due.
enum _dueDriver {
    DUE_BY_NONE,       // not due at the mark
    DUE_BY_HOURS,      // airframe hours since the last inspection or replacement
    DUE_BY_CALENDAR,   // a calendar life, a medical or a flight review date
    DUE_BY_USED_HOURS, // the hours limit of a part fitted used, counting its hours
    DUE_BY_DEFERRAL,   // due, but a deferral holds
};

// One line of the list, and one row of the report's CSV. The texts are
// what the window, the PDF and the CSV show.
struct dueLine {
    gboolean bPilot;
    guint iID;        // component card or pilot
    dueStat_t nState; // the tree's state of the card; pilots: CCD_DUESTAT_RCODUE
                      // when run out, CCD_DUESTAT_NONE when within the mark
    _dueDriver nDriver;
    gboolean bOverdue;           // run out already, not only at the mark
    std::string strName;         // part description or pilot's name
    std::string strPart;         // part number
    std::string strWhat;         // "Inspection", "Replacement", "Medical", "Flight review"
    std::string strState;        // "Overdue", "Due at the mark", "Deferred", "" when not due
    std::string strDuePoint;     // "1234.5 A/F hrs", "15-May-2023", both joined by " or "
    std::string strDriver;       // "Hours", "Calendar", "Used part's hours", "Deferral"
    std::string strLeft;         // "12.3 hrs left", "2.0 hrs overdue", "30 days left" ...
    std::string strDefer;        // a deferral's remaining hours and days
    std::string strColour;       // colour of nState as the tree shows it ("black", "blue", "red")
    guint nWeight;               // and its font weight
    gint64 nSortLeft;            // tenths of an hour or days left; negative overdue
    std::string strForecast;     // when it is expected: "≈ 14-Mar-2027 at 4.2 h/month"
    std::string strForecastDate; // the same without the rate: "≈ 14-Mar-2027"
    time_t tForecast;            // that date; -1 none (a pilot's: the date itself)
    gboolean bForecastOnly;      // not due at the mark, but forecast to fall due by its date
};

// Column titles of the list, in the order of dueRowCells.
const std::vector<std::string>& dueHeadings();
// The texts of a line in the column order of dueHeadings.
std::vector<std::string> dueRowCells(const dueLine& line);

// The texts of a due figure, the same on the card, in the list and in the
// report: airframe hours in tenths ("33.8 A/F hrs") and the whole date
// ("13-Nov-2026"; "date unknown").
std::string dueHoursText(gint64 nTenths);
std::string dueDateText(time_t t);
// Where a card's inspection (bInspection) or replacement falls due: its
// hours and calendar limits joined by " or "; empty without either.
std::string duePointText(const cmodDueFigure figs[CCD_LIMIT_NUM], bool bInspection);

// The line of one card row of the component tree (also when not due: then
// it names the due point forecast first and its driver is DUE_BY_NONE).
// The utilisation is asked for when not given.
dueLine dueCompLine(GtkTreeIter* piterComp, const fcstUse* pUse = nullptr);
// The list: due, deferred and due-at-the-mark components worst first, the
// components forecast to fall due by the mark's date, then the pilots whose
// dates have run out or run out within the mark.
std::vector<dueLine> dueCollect();

// Follows the component tree's rows, so that dueCollect knows which
// aircraft the tree was built for. Once the tree exists.
void dueFollowCompTree();
