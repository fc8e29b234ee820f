// The bench verbs against the README: each has its row in the table of bench
// verbs, written as the verb table gives its arguments.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/simlink/simlink.h"
#include "ui/runtime.h"

namespace {

TEST(BenchVerbs, TheReadmeHasEveryOneWithItsArguments)
{
    std::ifstream in(KORVANE_README);
    std::stringstream s;
    s << in.rdbuf();
    const std::string readme = s.str();
    app::simlink::register_verbs();
    const auto verbs = ui::script::registered_verbs();
    ASSERT_GE(verbs.size(), 3u);
    for (const auto &[name, arguments] : verbs) {
        ASSERT_FALSE(arguments.empty()) << name << " registered without its arguments";
        std::string row = "| `" + name + " " + arguments + "` |";
        for (std::size_t at = row.find('|', 1); at != std::string::npos && at + 1 < row.size(); at = row.find('|', at + 2))
            row.insert(at, "\\");  // a | inside a cell is written \|
        EXPECT_NE(readme.find(row), std::string::npos) << "README.md has no row " << row;
    }
}

}  // namespace
