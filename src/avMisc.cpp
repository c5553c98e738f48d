#include "avMisc.h"

#include <cstring>

void mscCopyText(char* pszField, std::size_t nlField, const char* pszSource) {
    if (nlField == 0)
        return;
    if (!pszSource)
        pszSource = "";
    std::size_t nl = strnlen(pszSource, nlField);
    if (nl >= nlField) {
        // Cut at nlField - 1, then step back over continuation bytes so a
        // multi-byte character is dropped whole.
        nl = nlField - 1;
        auto isContinuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
        while (nl > 0 && isContinuation(static_cast<unsigned char>(pszSource[nl])))
            --nl;
    }
    memcpy(pszField, pszSource, nl);
    pszField[nl] = '\0';
}
