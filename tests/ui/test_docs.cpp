// The run-time's documentation against its tables: every script verb has its
// row in SCRIPTS.md, written as the verb table gives its arguments; every kind
// of control has its column in PANEL_FILE.md's table of keys, every key its
// row, and the table says which kind takes which key as kKinds does.
#include "ui/kinds.h"
#include "ui/script/verbs.h"
#include "ui/state.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
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

// --ui-trace writes each attribute and event by the name userint.h gives its
// number, every one of them (a name given to another number would make two
// builds' traces agree on a wrong line).
TEST(Docs, TheTraceNamesEveryAttributeAndEventAsUserintHDefinesIt)
{
    const std::string header = read_text(KORVANE_UI_DIR "/userint.h");
    std::regex define(R"(\n#define ((ATTR|EVENT)_[A-Z_]+) ([0-9]+)\b)");
    int named = 0;
    for (std::sregex_iterator it(header.begin(), header.end(), define), end; it != end; ++it, ++named) {
        const std::string name = (*it)[1].str();
        const int number = std::stoi((*it)[3].str());
        EXPECT_EQ((*it)[2].str() == "ATTR" ? ui::detail::traced_attribute(number) : ui::detail::traced_event(number), name);
    }
    EXPECT_GE(named, 9) << "the defines were not found";
}

TEST(Docs, ScriptsMdHasEveryVerbWithItsArguments)
{
    const std::set<std::string> rows = first_cells(read_text(KORVANE_UI_DIR "/SCRIPTS.md"));
    ASSERT_FALSE(rows.empty()) << "no table of verbs in SCRIPTS.md";
    for (const ui::script::VerbEntry &v : ui::script::builtin_verbs()) {
        std::string usage = std::string(v.name) + (*v.arguments ? std::string(" ") + v.arguments : "");
        EXPECT_TRUE(rows.count(usage)) << "SCRIPTS.md has no row `" << usage << "`";
    }
}

// The cells of a Markdown table row, trimmed.
std::vector<std::string> cells(const std::string &row)
{
    std::vector<std::string> res;
    std::size_t at = row.find('|');
    while (at != std::string::npos) {
        std::size_t end = row.find('|', at + 1);
        if (end == std::string::npos)
            break;
        std::string c = row.substr(at + 1, end - at - 1);
        c.erase(0, c.find_first_not_of(' '));
        c.erase(c.find_last_not_of(' ') + 1);
        res.push_back(c);
        at = end;
    }
    return res;
}

TEST(Docs, PanelFileMdTellsWhichKindTakesWhichKey)
{
    const std::string text = read_text(KORVANE_UI_DIR "/PANEL_FILE.md");
    std::size_t at = text.find("\n| key |");
    ASSERT_NE(at, std::string::npos) << "no table of keys by kind in PANEL_FILE.md";
    std::istringstream lines(text.substr(at + 1));
    std::string line;
    std::getline(lines, line);
    const std::vector<std::string> kinds = cells(line);  // "key", then one column per kind
    std::getline(lines, line);                           // |---|
    std::map<std::string, std::map<std::string, std::string>> taken;  // key -> kind -> cell
    while (std::getline(lines, line) && line.rfind("|", 0) == 0) {
        std::vector<std::string> row = cells(line);
        ASSERT_EQ(row.size(), kinds.size()) << line;
        std::istringstream keys(std::regex_replace(row[0], std::regex(R"( \(required\))"), ""));
        for (std::string key; std::getline(keys >> std::ws, key, ',');)
            for (std::size_t i = 1; i < row.size(); ++i)
                taken[key][kinds[i]] = row[i];
    }
    for (const ui::KindInfo &k : ui::kKinds)
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), std::string(k.name)), kinds.end())
            << "PANEL_FILE.md's table of keys has no column " << k.name;
    for (std::string_view key : ui::kControlKeys) {
        auto row = taken.find(std::string(key));
        if (row == taken.end()) {
            ADD_FAILURE() << "PANEL_FILE.md's table of keys has no row for " << key;
            continue;
        }
        for (const ui::KindInfo &k : ui::kKinds) {
            auto cell = row->second.find(std::string(k.name));
            if (cell == row->second.end())
                continue;  // the column is missing: said above
            EXPECT_EQ(cell->second != "\u2014", ui::kind_takes(k.kind, key))
                << key << " / " << k.name << ": the table says \"" << cell->second << "\"";
        }
    }
}

}  // namespace
