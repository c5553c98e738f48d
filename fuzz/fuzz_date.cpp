// Typed dates and clock times, as every date field reads them: no crash,
// no undefined behaviour; a date read is a moment after 1970 (or refused,
// with a reason and the old value untouched); a time read exists; and
// every date the program writes reads back as the same moment.
#include "avCnv.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "UTC", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* pData, std::size_t nl) {
    const std::string str = fuzzText(pData, nl);
    for (gboolean bWithTime : {gboolean(FALSE), gboolean(TRUE)}) {
        time_t t = -12345;
        const gchar* pszWhy = nullptr;
        if (!cnvReadDate(&t, str.c_str(), bWithTime, &pszWhy)) {
            FUZZ_CHECK(t == -12345 && pszWhy && *pszWhy, "\"%s\" refused without a reason",
                       str.c_str());
            continue;
        }
        FUZZ_CHECK(t >= 0, "\"%s\" gave %lld", str.c_str(), static_cast<long long>(t));
        gchar szDate[40];
        cnvDcdDate(szDate, sizeof szDate, t, bWithTime ? CNV_DCD_WITH_TIME : 0);
        time_t tBack = -1;
        FUZZ_CHECK(cnvReadDate(&tBack, szDate, bWithTime) && tBack == t,
                   "\"%s\" gave %lld, written \"%s\", read back %lld", str.c_str(),
                   static_cast<long long>(t), szDate, static_cast<long long>(tBack));
    }
    int nHour = -1, nMin = -1;
    if (cnvReadTime(&nHour, &nMin, str.c_str()))
        FUZZ_CHECK(nHour >= 0 && nHour < 24 && nMin >= 0 && nMin < 60, "\"%s\" gave %d:%d",
                   str.c_str(), nHour, nMin);
    else
        FUZZ_CHECK(nHour == -1 && nMin == -1, "\"%s\" refused but written", str.c_str());

    // The field-by-field parsers beneath: anything in, no valid date before 1970.
    struct tm tmAt {};
    tmAt.tm_year = 2024 - 1900;
    const gchar* pszRest = cnvEncDate(&tmAt, str.c_str());
    cnvEncTime(&tmAt, pszRest ? pszRest : str.c_str());
    const time_t tLow = cnvMakeTime(&tmAt);
    FUZZ_CHECK(tLow == -1 || tLow >= 0, "%lld", static_cast<long long>(tLow));
    return 0;
}
