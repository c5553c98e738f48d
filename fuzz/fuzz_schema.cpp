// Stored CREATE TABLE statements: any text parses, and columns are looked
// up after it, without running past a buffer (the sanitizers judge).
#include "fuzz_input.h"
#include "sqlMLog.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* pData, std::size_t nl) {
    const std::string str = fuzzText(pData, nl);
    sqlParseSCols(str.c_str());
    for (const char* pszCol : {"iPilotID", "strNotes", "bDelete", "", "a"})
        sqlIsColExist(pszCol);
    return 0;
}
