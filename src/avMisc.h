// Small helpers shared by the pages and records.
#pragma once

#include <cstddef>

// Copies text into a fixed field of nlField bytes: at most nlField - 1
// bytes and never half of a UTF-8 character. A null source gives "".
void mscCopyText(char* pszField, std::size_t nlField, const char* pszSource);

template <std::size_t N> void mscCopyText(char (&szField)[N], const char* pszSource) {
    mscCopyText(szField, N, pszSource);
}
