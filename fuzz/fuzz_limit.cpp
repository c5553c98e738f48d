// Replacement limits and hours: what is written reads back the same.
#include "avCnv.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* pData, std::size_t nl) {
    const std::string str = fuzzText(pData, nl);
    for (gboolean bHoursOnly : {gboolean(FALSE), gboolean(TRUE)}) {
        guint nRCO = 0xDEADBEEF;
        cnvEncRCO(&nRCO, str.c_str(), bHoursOnly);
        gchar szRCO[80];
        cnvDcdRCO(szRCO, sizeof szRCO, nRCO);
        guint nBack = 0xDEADBEEF;
        cnvEncRCO(&nBack, szRCO, FALSE);
        FUZZ_CHECK(nBack == nRCO, "\"%s\" (%d) gave %08x, written \"%s\", read back %08x",
                   str.c_str(), bHoursOnly, nRCO, szRCO, nBack);
    }
    guint nTenths = 0;
    if (cnvEncHours(&nTenths, str.c_str(), CNV_HOURS_MAX)) {
        FUZZ_CHECK(nTenths <= CNV_HOURS_MAX, "\"%s\" gave %u", str.c_str(), nTenths);
        gchar szHours[40];
        cnvDcdHours(szHours, sizeof szHours, nTenths);
        guint nBack = 0;
        FUZZ_CHECK(cnvEncHours(&nBack, szHours, CNV_HOURS_MAX) && nBack == nTenths,
                   "\"%s\" gave %u, written \"%s\"", str.c_str(), nTenths, szHours);
    }
    return 0;
}
