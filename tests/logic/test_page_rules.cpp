// What the cards make of typed dates, intervals and limits: the value
// taken, or a refusal whose reason names what is wrong. The cards show the
// reasons word for word.
#include "avCnv.h"
#include "harness.h"

#include <string>
#include <tuple>

namespace {

constexpr gint64 REFUSED = -1;

// Text typed into a card, what reads it, the value taken (REFUSED: none)
// and, for a refusal, words its reason must contain. What the pages keep as
// their own cases is not repeated here.
enum Reader { DATE, INTERVAL, INSPECTION, LIMIT };

TEST(TypedOnACard, TakenOrRefusedWithAReason) {
    const std::tuple<const char*, Reader, gint64, const char*> lst[] = {
        {"yesterday", DATE, REFUSED, "date"},
        {"19/04/10", DATE, REFUSED, "year"},
        {"2026-13-01", DATE, REFUSED, "month"},
        {"2024-02-10", DATE, avt::utc(2024, 2, 10), nullptr},
        // No count, no calendar unit, or more than a hundred years.
        {"-3 months", INTERVAL, REFUSED, "count"},
        {"6 hours", INTERVAL, REFUSED, "days, weeks"},
        {"101 years", INTERVAL, REFUSED, "hundred"},
        {"5000 days", INTERVAL, REFUSED, "hundred"},
        {"4095 days", INTERVAL, 4095, nullptr},
        // A fraction, a word that is no unit, a figure too large to store
        // or a life no helicopter part has: refused, not clamped.
        {"often", INSPECTION, REFUSED, "whole hours"},
        {"12.5", INSPECTION, REFUSED, "whole hours"},
        {"99999999", INSPECTION, REFUSED, "typing error"},
        {"20000", INSPECTION, 20000, nullptr},
        {"25 30", INSPECTION, REFUSED, "whole hours"},
        {"-500 HR", LIMIT, REFUSED, "500 HR or 5 yrs"},
        {"6 months", LIMIT, REFUSED, "500 HR or 5 yrs"},
        {"70000 HR", LIMIT, REFUSED, "hours"},
        {"500 HR or 60 yrs", LIMIT, REFUSED, "years"},
    };
    for (const auto& [pszText, nReader, nWant, pszWant] : lst) {
        const gchar* pszWhy = nullptr;
        time_t t = 0;
        guint n = 0;
        const gboolean bOK = nReader == DATE ? cnvReadDate(&t, pszText, FALSE, &pszWhy)
                             : nReader == INTERVAL
                                 ? cnvReadInterval(&n, pszText, &pszWhy)
                                 : cnvReadRCO(&n, pszText, nReader == INSPECTION, &pszWhy);
        EXPECT_EQ(bOK ? (nReader == DATE ? gint64(t) : gint64(n)) : REFUSED, nWant) << pszText;
        EXPECT_EQ(pszWhy != nullptr, !bOK) << pszText;
        if (pszWant && pszWhy) {
            EXPECT_TRUE(avt::contains(std::string(pszWhy), pszWant)) << pszWhy;
        }
    }
}

} // namespace
