// Where the program's data files live: "../etc/" beside the working
// directory, or the fixed fallback "/avLedger/etc/".
#pragma once

#include <array>
#include <string>

inline constexpr const char* PATH_ETC_LOCAL = "../etc/";
inline constexpr const char* PATH_ETC_ROOT = "/avLedger/etc/";

// The two candidate paths of a data file, in the order they are tried.
std::array<std::string, 2> pathCandidates(const char* pszName);
