// The run-time's documentation against its tables: every script verb has its
// row in SCRIPTS.md, written as the verb table gives its arguments.
#include "uir_script_verbs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string read_text(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first cells of a Markdown table's rows, "| `set CTRL VALUE` | ...",
// without their backticks and with "\|" read as "|".
std::set<std::string> first_cells(const std::string &text)
{
    std::set<std::string> cells;
    std::regex row(R"(\n\| `((?:[^`])+)` \|)");
    for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it)
        cells.insert(std::regex_replace((*it)[1].str(), std::regex(R"(\\\|)"), "|"));
    return cells;
}

TEST(Docs, ScriptsMdHasEveryVerbWithItsArguments)
{
    const std::set<std::string> rows = first_cells(read_text(KORVANE_UI_DIR "/SCRIPTS.md"));
    ASSERT_FALSE(rows.empty()) << "no table of verbs in SCRIPTS.md";
    for (const uir::script::VerbEntry &v : uir::script::builtin_verbs()) {
        std::string usage = std::string(v.name) + (*v.arguments ? std::string(" ") + v.arguments : "");
        EXPECT_TRUE(rows.count(usage)) << "SCRIPTS.md has no row `" << usage << "`";
    }
}

}  // namespace
