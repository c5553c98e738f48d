// Text helpers that the flight CSV reading and writing share.
#pragma once

#include "rcdPilot.h"

#include <glib.h>

#include <string>
#include <string_view>

inline std::string_view trimmed(std::string_view sv) {
    while (!sv.empty() && g_ascii_isspace(sv.front()))
        sv.remove_prefix(1);
    while (!sv.empty() && g_ascii_isspace(sv.back()))
        sv.remove_suffix(1);
    return sv;
}

inline std::string readingName(const rcdPilot& rcd) {
    return std::string(trimmed(std::string(rcd.szFName) + " " + rcd.szLName));
}

// The export writes a text that a spreadsheet would take for a formula
// with an apostrophe before it; on reading, that one apostrophe goes.
inline bool looksLikeFormula(std::string_view sv) {
    while (!sv.empty() && sv.front() == '\'')
        sv.remove_prefix(1);
    return !sv.empty() && std::string_view("=+-@").find(sv.front()) != std::string_view::npos;
}
