// The error log's entry format: a 21-character stamp, continuation lines
// indented by its width, one empty line per entry.
#include "avErrLog.h"
#include "harness.h"

#include <regex>

namespace {

using avt::TempDirs;

TEST(ErrLog, EntryFormat) {
    const std::regex kStamp(R"(^\d\d-[A-Z][a-z]{2}-\d{4} \d\d:\d\d:\d\d )");
    const std::string kIndent(21, ' ');
    const struct {
        const char* pszName;
        std::vector<const char*> messages; // posted one after the other
        std::vector<std::string> expected; // the file's lines; an entry's first without its stamp
    } cases[] = {
        {"one line", {"avLedger Started"}, {"avLedger Started", ""}},
        {"three lines",
         {"first\nsecond\nthird"},
         {"first", kIndent + "second", kIndent + "third", ""}},
        {"empty", {""}, {"", ""}},
        {"trailing newline", {"a\n"}, {"a", kIndent, ""}},
        {"appended; null writes nothing", {"one", nullptr, "two"}, {"one", "", "two", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        TempDirs dirs;
        for (const char* psz : c.messages)
            errPostError(psz);
        // Each entry's first line begins with the stamp, shown here as "@".
        std::vector<std::string> lines, expected;
        for (const std::string& str : avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log"))))
            lines.push_back(std::regex_replace(str, kStamp, "@"));
        for (size_t i = 0; i < c.expected.size(); ++i)
            expected.push_back(
                (i == 0 || (c.expected[i - 1].empty() && i + 1 < c.expected.size()) ? "@" : "") +
                c.expected[i]);
        EXPECT_EQ(lines, expected);
    }
}

TEST(ErrLog, MissingDirectoryLosesEntryQuietly) {
    TempDirs dirs;
    std::filesystem::remove_all(dirs.etc());
    errPostError("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.log")));
}

} // namespace
