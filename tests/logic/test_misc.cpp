// Copying text into fixed fields.
#include "avMisc.h"
#include "harness.h"

#include <cstring>
#include <string>
#include <tuple>

namespace {

TEST(Misc, CopyTextCutsOnlyOnCharacterBoundaries) {
    // Source, field size, what the field holds ("x": left alone). A 4-byte
    // sign needs 4 bytes.
    const std::tuple<const char*, std::size_t, const char*> lst[] = {
        {"abc", 4, "abc"},       {"abcd", 4, "abc"}, {nullptr, 4, ""},
        {"abc", 0, "x"},         {"Müller", 3, "M"}, {"Müller", 4, "Mü"},
        {"Müller", 8, "Müller"}, {"€1", 3, ""},      {"a\xF0\x9F\x9A\x81", 5, "a"}};
    for (auto [pszSource, nlField, pszExpected] : lst) {
        char sz[16];
        memset(sz, 'x', sizeof sz);
        mscCopyText(sz, nlField, pszSource);
        EXPECT_EQ(std::string(sz, strnlen(sz, nlField ? nlField : 1)), pszExpected) << nlField;
        EXPECT_EQ(std::string(sz + nlField, sizeof sz - nlField),
                  std::string(sizeof sz - nlField, 'x'))
            << "wrote past the field of " << nlField;
    }
}

} // namespace
