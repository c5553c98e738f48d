// Shared by the fuzz targets: the input as a terminated text, and a check
// that stops the run with a message (libFuzzer keeps the input).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string fuzzText(const unsigned char* pData, std::size_t nl) {
    return std::string(reinterpret_cast<const char*>(pData), nl).c_str();
}

#define FUZZ_CHECK(cond, ...)                                                                      \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            fprintf(stderr, "check failed: %s: ", #cond);                                          \
            fprintf(stderr, __VA_ARGS__);                                                          \
            fputc('\n', stderr);                                                                   \
            abort();                                                                               \
        }                                                                                          \
    } while (0)
