// Calendar intervals: the count stays within its bits and what is written
// reads back as the same interval.
#include "avCnv.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* pData, std::size_t nl) {
    const std::string str = fuzzText(pData, nl);
    guint nIntv = 0xDEADBEEF;
    cnvEncInterval(&nIntv, str.c_str());
    FUZZ_CHECK((nIntv & CNV_INTV_COUNT_MASK) <= 4095 && (nIntv >> CNV_INTV_UNIT_SHIFT) <= INTV_YEAR,
               "\"%s\" gave %08x", str.c_str(), nIntv);
    gchar szIntv[40];
    cnvDcdInterval(szIntv, sizeof szIntv, nIntv);
    guint nBack = 0xDEADBEEF;
    cnvEncInterval(&nBack, szIntv);
    FUZZ_CHECK(nBack == nIntv || (nIntv & CNV_INTV_COUNT_MASK) == 0,
               "\"%s\" gave %08x, written \"%s\", read back %08x", str.c_str(), nIntv, szIntv,
               nBack);
    // Stepping a date by it never crashes, whatever the date.
    cnvAddInterval(4102444800, nIntv, -1);
    cnvAddInterval(0, nIntv, 1);
    return 0;
}
