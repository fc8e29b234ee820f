// The bench verbs against the user guide's page on scripting: each has its row
// in the table of bench verbs, written as the verb table gives its arguments.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/simlink/simlink.h"
#include "ui/runtime.h"

namespace {

TEST(BenchVerbs, TheScriptingGuideHasEveryOneWithItsArguments)
{
    std::ifstream in(KORVANE_SCRIPTING_GUIDE);
    std::stringstream s;
    s << in.rdbuf();
    const std::string page = s.str();
    ASSERT_FALSE(page.empty()) << KORVANE_SCRIPTING_GUIDE << " could not be read";
    app::simlink::register_verbs();
    const auto verbs = ui::script::registered_verbs();
    ASSERT_GE(verbs.size(), 3u);
    for (const auto &[name, arguments] : verbs) {
        ASSERT_FALSE(arguments.empty()) << name << " registered without its arguments";
        std::string row = "| `" + name + " " + arguments + "` |";
        for (std::size_t at = row.find('|', 1); at != std::string::npos && at + 1 < row.size(); at = row.find('|', at + 2))
            row.insert(at, "\\");  // a | inside a cell is written \|
        EXPECT_NE(page.find(row), std::string::npos) << KORVANE_SCRIPTING_GUIDE << " has no row " << row;
    }
}

}  // namespace
