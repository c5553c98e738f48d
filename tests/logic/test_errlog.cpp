// The error log's entry format: a 21-character stamp, continuation lines
// indented by its width, at most 20 pieces, one empty line per entry.
#include "avErrLog.h"
#include "harness.h"

#include <regex>

namespace {

using avt::TempDirs;

std::vector<std::string> logOf(const TempDirs& dirs) {
    return avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
}

const std::regex kStamp(R"(^\d\d-[A-Z][a-z]{2}-\d{4} \d\d:\d\d:\d\d $)");
const std::string kIndent(21, ' ');

struct EntryCase {
    const char* pszName;
    std::vector<const char*> messages; // posted one after the other
    std::vector<std::string> expected; // the file's lines; an entry's first without its stamp
};

TEST(ErrLog, EntryFormat) {
    std::string str25;
    for (int i = 1; i <= 25; ++i)
        str25 += "line" + std::to_string(i) + (i < 25 ? "\n" : "");
    std::vector<std::string> expected25{"line1"};
    for (int i = 2; i <= 19; ++i)
        expected25.push_back(kIndent + "line" + std::to_string(i));
    expected25.push_back(kIndent + "line20"); // the 20th piece holds the rest unsplit
    for (int i = 21; i <= 25; ++i)
        expected25.push_back("line" + std::to_string(i));
    expected25.push_back("");

    const EntryCase cases[] = {
        {"one line", {"avLedger Started"}, {"avLedger Started", ""}},
        {"three lines",
         {"first\nsecond\nthird"},
         {"first", kIndent + "second", kIndent + "third", ""}},
        {"empty", {""}, {"", ""}},
        {"trailing newline", {"a\n"}, {"a", kIndent, ""}},
        {"25 lines", {str25.c_str()}, expected25},
        {"appended; null writes nothing", {"one", nullptr, "two"}, {"one", "", "two", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        TempDirs dirs;
        for (const char* psz : c.messages)
            errPostError(psz);
        auto lines = logOf(dirs);
        ASSERT_EQ(lines.size(), c.expected.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0 && !lines[i - 1].empty()) { // within an entry
                EXPECT_EQ(lines[i], c.expected[i]) << "line " << i;
                continue;
            }
            ASSERT_GE(lines[i].size(), 21u) << "line " << i;
            EXPECT_TRUE(std::regex_match(lines[i].substr(0, 21), kStamp)) << lines[i];
            EXPECT_EQ(lines[i].substr(21), c.expected[i]) << "line " << i;
        }
    }
}

TEST(ErrLog, MissingDirectoryLosesEntryQuietly) {
    TempDirs dirs;
    std::filesystem::remove_all(dirs.etc());
    errPostError("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.log")));
}

} // namespace
