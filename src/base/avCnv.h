// Text conversions: typed dates, clock times, calendar intervals and
// replacement limits to stored values and back.
#pragma once

#include <glib.h>

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

// Seconds of one day: every stored date is a UTC day plus a clock time.
inline constexpr time_t SECONDS_PER_DAY = 86400;

// Unit of a packed calendar interval, held in bits 24 to 31; bits 0 to 11
// hold the count. 0 means no interval.
enum {
    INTV_DAY = 0,
    INTV_WEEK = 1,
    INTV_MONTH = 2,
    INTV_YEAR = 3,
};

// Packed replacement limit: hours in bits 0 to 15, years in bits 16 to 30,
// the OC flag in bit 31. 0 means no limit.
constexpr guint CNV_RCO_HOURS_MASK = 0x0000FFFFu;
constexpr guint CNV_RCO_YEARS_MASK = 0x7FFF0000u;
constexpr guint CNV_RCO_YEARS_SHIFT = 16;
constexpr guint CNV_RCO_OC = 0x80000000u;
constexpr guint CNV_INTV_COUNT_MASK = 0x00000FFFu;
constexpr guint CNV_INTV_UNIT_SHIFT = 24;

// Hours are counted in tenths. Nobody's airframe or component reaches
// 99,999.9 hours, and no flight of this class of helicopter lasts longer
// than a day: larger figures are typing errors, refused at the field.
constexpr guint CNV_HOURS_MAX = 999999;
constexpr guint CNV_FLIGHT_MAX = 240;

// Flags of cnvDcdDate / cnvDcdTime.
constexpr guint CNV_DCD_WITH_TIME = 1u; // add the clock time to a date
constexpr guint CNV_DCD_MIDNIGHT = 2u;  // show the time even when it is 00:00

// Reads a typed date as a whole, for every date field of the program.
// Accepted: day month year with the month as a number or an English name
// in any place ("19/04/2010", "19-4-2010", "19 Apr 2010", "Apr 19, 2010",
// "2010 April 19"), and year-month-day when the first number has four
// digits ("2010-04-19", never year-day-month: "2026-13-01" is refused). The
// year has four digits (1970 to 2049). A day or month out of range is
// refused, never carried into the next month ("31-Feb-2024").
// With bWithTime a clock time may follow the date after a blank
// ("19/04/2010 14:30", read as cnvReadTime reads it); without it nothing
// may follow. TRUE with *ptDate (UTC seconds) for a valid date; FALSE with
// *ptDate untouched otherwise, and *ppszWhy (when given) says why in words
// a user understands.
gboolean cnvReadDate(time_t* ptDate, const gchar* pszText, gboolean bWithTime,
                     const gchar** ppszWhy = nullptr);

// Reads a typed clock time: "14:30", "9:5", "9.05", "1430", "930"; a lone
// one- or two-digit number is minutes ("5" is 00:05). TRUE with hour
// (0-23) and minute (0-59); FALSE, nothing written, for an empty or
// unreadable text or a time that does not exist ("25:00", "14:75").
gboolean cnvReadTime(int* pnHour, int* pnMin, const gchar* pszTime,
                     const gchar** ppszWhy = nullptr);
// The one clock-time rule beneath cnvReadTime, for the flight import too:
// the same texts, and with bSeconds a third part for seconds ("14:30:15",
// as logbook exports write it). The seconds into the day, or -1 when the
// text is not a clock time.
time_t cnvReadClock(std::string_view svTime, gboolean bSeconds);

// The low-level parsers beneath cnvReadDate / cnvReadTime, for callers
// that fill a struct tm field by field. cnvEncDate reads the fields as
// cnvReadDate does but checks no range (mktime carries a day 45 into the
// next month): pages use cnvReadDate. It returns the text after the
// separator that ends the date (for a following time), or NULL when the
// text is 5 characters or shorter (nothing set) or nothing follows.
const gchar* cnvEncDate(struct tm* ptmDate, const gchar* pszDate);
inline gchar* cnvEncDate(struct tm* ptmDate, gchar* pszDate) {
    return const_cast<gchar*>(cnvEncDate(ptmDate, static_cast<const gchar*>(pszDate)));
}

// Parses a clock time read from the end of pszTime into tm_hour and tm_min
// without any check ("abc" is 00:00). An empty text sets nothing. Returns
// the separator in front of the time, or pszTime when the time reaches the
// start of the text.
const gchar* cnvEncTime(struct tm* ptmTime, const gchar* pszTime);
inline gchar* cnvEncTime(struct tm* ptmTime, gchar* pszTime) {
    return const_cast<gchar*>(cnvEncTime(ptmTime, static_cast<const gchar*>(pszTime)));
}

// The one conversion of calendar fields (UTC) to seconds that every caller
// uses after cnvEncDate / cnvEncTime. Normalises *ptm as mktime does
// (day 0 is the last day of the month before, month 12 is January of the
// next year). Any moment before 1970-01-01 00:00 — for instance a date typed
// without a year on a cleared struct tm — and any moment that cannot be
// represented gives -1, "no valid date".
time_t cnvMakeTime(struct tm* ptm);

// Writes tDate as "19-Apr-2010" (English month names whatever the locale)
// into a buffer of nlDate bytes. With CNV_DCD_WITH_TIME a time other than
// 00:00 is added ("19-Apr-2010 14:30"); CNV_DCD_MIDNIGHT adds 00:00 too.
// A tDate of 0 or below (no date) gives the empty text. Returns pszDate.
gchar* cnvDcdDate(gchar* pszDate, gint nlDate, time_t tDate, guint nFlags);
// The same as a string.
std::string cnvDateText(time_t tDate, guint nFlags = 0);

// Writes the clock time of tDate ("%H:%M") into a buffer of nlDate bytes.
// Empty for a tDate of 360000 or less and for exactly 00:00 unless
// CNV_DCD_MIDNIGHT is given.
void cnvDcdTime(gchar* pszDate, gint nlDate, time_t tDate, guint nFlags);

// Parses "6 months", "1 yr", "2 wks", "30" (days) into a packed interval.
// The count is kept within 0 to 4095.
void cnvEncInterval(guint* pnIntv, const gchar* pszIntv);
// Writes "6 Months", "1 Year", "14 Days"; the empty text for 0.
void cnvDcdInterval(gchar* pszIntv, guint nlIntv, guint nIntv);

// Parses a replacement limit ("100 HR or 5 yrs", "100 HR/OC", "OC or 5 yrs",
// "5 yrs") into its packed form. With bHoursOnly the whole value is the
// first number (inspection intervals in hours).
void cnvEncRCO(guint* pnRCO, const gchar* pszRCO, gboolean bHoursOnly);
// Writes a packed limit as "100 HR/OC or 5 yrs" and the like; the empty
// text for 0.
void cnvDcdRCO(gchar* pszRCO, guint nlRCO, guint nRCO);

// The largest limits anyone gives a light helicopter's parts; more is a
// typing error (and 65536 hours could not even be stored).
constexpr guint CNV_RCO_HOURS_MAX = 20000;
constexpr guint CNV_RCO_YEARS_MAX = 50;
// Reads a typed limit (bHoursOnly: an inspection interval in hours) as
// cnvEncRCO does, but refuses what cnvEncRCO would bend or clamp: a sign, a
// fraction, a word that is not HR, yrs, OC or "or", more figures than the
// form has, more than CNV_RCO_HOURS_MAX hours or CNV_RCO_YEARS_MAX years.
// A blank text is no limit (0). TRUE with *pnRCO set; FALSE with *pnRCO
// untouched and *ppszWhy (when given) saying why, as the end of a sentence
// naming the field.
gboolean cnvReadRCO(guint* pnRCO, const gchar* pszText, gboolean bHoursOnly,
                    const gchar** ppszWhy = nullptr);

// Parses decimal hours ("12.3", "12,3", " 7 ", "7 h") into tenths: one
// decimal place gives exactly that many tenths, further decimals are
// dropped. FALSE, with *pnTenths untouched, for empty or unreadable text,
// a sign, or more than nMaxTenths: the caller keeps the stored value.
gboolean cnvEncHours(guint* pnTenths, const gchar* pszHours, guint nMaxTenths);
// Writes tenths of an hour as "12.3"; sums of hours are 64-bit.
void cnvDcdHours(gchar* pszHours, guint nlHours, gint64 nTenths);

// Steps a date by nCount calendar units (INTV_DAY ... INTV_YEAR; nCount
// may be negative). A month or year step keeps the day of the month but
// never passes the last day of the target month (31-Aug plus 6 months is
// 28-Feb or 29-Feb). -1 for no valid date in or out.
time_t cnvAddCalendar(time_t tDate, guint nUnit, gint64 nCount);
// Whole calendar days (UTC) from the day of tFrom to the day of tTo: a
// limit falling today has 0 days left, one that fell yesterday is 1 day
// overdue (-1), whatever the hour.
gint64 cnvDaysBetween(time_t tFrom, time_t tTo);
// TRUE when the date falls on a day after today's (UTC, as dates are
// kept): a typo of 2039 for 2029 must not count as done work unasked.
gboolean cnvIsFuture(time_t tDate, time_t tNow);
// Steps a date by a packed calendar interval (nSign -1 steps back).
time_t cnvAddInterval(time_t tDate, guint nIntv, int nSign = 1);

// Reads a typed calendar interval ("6 months", "2 yrs", "90" for days) as
// cnvEncInterval does, but refuses what cnvEncInterval would bend: text
// that does not start with a count (a sign, a word), a unit other than
// days, weeks, months or years ("6 hours" is not six years), a count
// beyond the stored 4095, or more than a hundred years. An empty text is
// no interval (0). TRUE with *pnIntv set; FALSE with *pnIntv untouched,
// and *ppszWhy (when given) says why.
gboolean cnvReadInterval(guint* pnIntv, const gchar* pszText, const gchar** ppszWhy = nullptr);

// A count with its noun, singular for one: "1 flight", "3 flights".
inline std::string cnvCount(gint64 n, const char* pszOne, const char* pszMany) {
    return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

// An ASCII digit, whatever the locale: the one digit test of every reader
// of typed or imported numbers.
inline bool cnvIsDigit(char c) {
    return g_ascii_isdigit(c);
}

// Copies text into a fixed field of nlField bytes: at most nlField - 1
// bytes and never half of a UTF-8 character. A null source gives "".
void mscCopyText(char* pszField, std::size_t nlField, const char* pszSource);

template <std::size_t N> void mscCopyText(char (&szField)[N], const char* pszSource) {
    mscCopyText(szField, N, pszSource);
}
