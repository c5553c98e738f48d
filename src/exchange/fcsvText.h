// Text helpers that the flight CSV reading, judging and writing share.
#pragma once

#include "avCnv.h"
#include "rcdPilot.h"

#include <glib.h>

#include <algorithm>
#include <string>
#include <string_view>

inline std::string_view fcsvTrimmed(std::string_view sv) {
    while (!sv.empty() && g_ascii_isspace(sv.front()))
        sv.remove_prefix(1);
    while (!sv.empty() && g_ascii_isspace(sv.back()))
        sv.remove_suffix(1);
    return sv;
}

inline std::string fcsvLowerAlnum(std::string_view sv) {
    std::string str;
    for (char c : sv)
        if (g_ascii_isalnum(c))
            str += g_ascii_tolower(c);
    return str;
}

// A number as logbooks write hours: "1.3", "1,3", "0", "1:18".
inline bool fcsvIsNumber(std::string_view sv) {
    sv = fcsvTrimmed(sv);
    const std::size_t nMarks = std::count_if(
        sv.begin(), sv.end(), [](char c) { return c == '.' || c == ',' || c == ':'; });
    return std::any_of(sv.begin(), sv.end(), cnvIsDigit) && nMarks <= 1 &&
           std::all_of(sv.begin(), sv.end(),
                       [](char c) { return cnvIsDigit(c) || c == '.' || c == ',' || c == ':'; });
}

inline std::string fcsvReadingName(const rcdPilot& rcd) {
    return std::string(fcsvTrimmed(std::string(rcd.szFName) + " " + rcd.szLName));
}

// The export writes a text that a spreadsheet would take for a formula
// with an apostrophe before it; on reading, that one apostrophe goes.
inline bool fcsvLooksLikeFormula(std::string_view sv) {
    while (!sv.empty() && sv.front() == '\'')
        sv.remove_prefix(1);
    return !sv.empty() && std::string_view("=+-@").find(sv.front()) != std::string_view::npos;
}
