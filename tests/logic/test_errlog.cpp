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
    std::string strMessage;
    std::vector<std::string> expected; // lines after the stamp, "" = indent only
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

    const EntryCase cases[] = {
        {"one line", "avLedger Started", {"avLedger Started"}},
        {"three lines", "first\nsecond\nthird", {"first", kIndent + "second", kIndent + "third"}},
        {"empty", "", {""}},
        {"trailing newline", "a\n", {"a", kIndent}},
        {"25 lines", str25, expected25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        TempDirs dirs;
        errPostError(c.strMessage.c_str());
        auto lines = logOf(dirs);
        ASSERT_EQ(lines.size(), c.expected.size() + 1);
        ASSERT_GE(lines[0].size(), 21u);
        EXPECT_TRUE(std::regex_match(lines[0].substr(0, 21), kStamp)) << lines[0];
        EXPECT_EQ(lines[0].substr(21), c.expected[0]);
        for (size_t i = 1; i < c.expected.size(); ++i)
            EXPECT_EQ(lines[i], c.expected[i]) << "line " << i;
        EXPECT_EQ(lines.back(), "") << "entry must end with an empty line";
    }
}

TEST(ErrLog, EntriesAppendAndNullWritesNothing) {
    TempDirs dirs;
    errPostError("one");
    errPostError(nullptr);
    errPostError("two");
    auto lines = logOf(dirs);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(21), "one");
    EXPECT_EQ(lines[2].substr(21), "two");
}

TEST(ErrLog, MissingDirectoryLosesEntryQuietly) {
    TempDirs dirs;
    std::filesystem::remove_all(dirs.etc());
    errPostError("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(dirs.etcFile("avLedger.log")));
}

} // namespace
