// The panel file and the program's header must agree: every control of
// korvane.uir has a constant of the same name and identifier in korvane.h,
// and every constant of korvane.h names a control of the file. The layout
// must keep every control inside its area and clear of the others.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <toml++/toml.h>

#include "korvane.h"

namespace {

const std::string app_dir = KORVANE_APP_DIR;

struct Control {
    int id = 0;
    std::string kind;
    int top = 0, left = 0, width = 0, height = 0;
};

std::string read_text(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// "#define NAME 23" and "#define ALIAS NAME" up to the end of the constants.
std::map<std::string, int> header_constants(std::map<std::string, std::string> &aliases)
{
    std::string text = read_text(app_dir + "/korvane.h");
    text = text.substr(0, text.find("End of the panel file's constants"));
    std::map<std::string, int> values;
    std::regex define(R"(#define\s+([A-Z_0-9]+)\s+([A-Z_0-9]+))");
    for (std::sregex_iterator it(text.begin(), text.end(), define), end; it != end; ++it) {
        std::string name = (*it)[1], value = (*it)[2];
        if (std::isdigit(static_cast<unsigned char>(value[0])))
            values[name] = std::stoi(value);
        else
            aliases[name] = value;
    }
    return values;
}

class PanelFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        try {
            table = toml::parse_file(app_dir + "/korvane.uir");
        } catch (const toml::parse_error &e) {
            FAIL() << "korvane.uir: " << e.what();
        }
        const toml::array *panels = table["panel"].as_array();
        ASSERT_NE(panels, nullptr);
        for (const toml::node &p : *panels) {
            const toml::table &panel = *p.as_table();
            if (panel["resource"].value_or(0) != PANEL) continue;
            panel_name = panel["name"].value_or(std::string());
            const toml::array *list = panel["control"].as_array();
            ASSERT_NE(list, nullptr);
            for (const toml::node &n : *list) {
                const toml::table &t = *n.as_table();
                std::string name = t["name"].value_or(std::string());
                Control c;
                c.id = t["id"].value_or(0);
                c.kind = t["kind"].value_or(std::string());
                c.top = t["top"].value_or(0);
                c.left = t["left"].value_or(0);
                c.width = t["width"].value_or(0);
                c.height = t["height"].value_or(0);
                ASSERT_FALSE(name.empty()) << "control " << c.id << " has no constant name";
                ASSERT_TRUE(controls.emplace(name, c).second) << "constant name twice: " << name;
            }
        }
        ASSERT_FALSE(controls.empty()) << "no panel " << PANEL << " in korvane.uir";
    }

    toml::table table;
    std::string panel_name;
    std::map<std::string, Control> controls;
};

TEST_F(PanelFile, EveryControlHasItsConstantInTheHeader)
{
    std::map<std::string, std::string> aliases;
    auto constants = header_constants(aliases);
    std::map<int, std::string> ids;
    for (const auto &[name, c] : controls) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(ids.emplace(c.id, name).second) << "identifier " << c.id << " twice";
        auto it = constants.find(name);
        ASSERT_NE(it, constants.end()) << "korvane.h lacks " << name;
        EXPECT_EQ(it->second, c.id);
    }
}

TEST_F(PanelFile, EveryHeaderConstantNamesAControl)
{
    std::map<std::string, std::string> aliases;
    auto constants = header_constants(aliases);
    ASSERT_GT(constants.size(), 40u);
    for (const auto &[name, value] : constants) {
        if (name == panel_name) {
            EXPECT_EQ(value, PANEL);
            continue;
        }
        EXPECT_TRUE(controls.count(name)) << name << " = " << value << " is not a control of korvane.uir";
    }
    for (const auto &[alias, target] : aliases)
        EXPECT_TRUE(controls.count(target)) << alias << " stands for " << target << ", not a control";
    EXPECT_EQ(OPEN_ONLY_CTRL, 4);
    EXPECT_EQ(controls.at("CLOSE_BTN").id, OPEN_ONLY_CTRL);
}

bool overlap(const Control &a, const Control &b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool inside(const Control &c, const Control &frame)
{
    return c.left >= frame.left && c.top >= frame.top && c.left + c.width <= frame.left + frame.width &&
           c.top + c.height <= frame.top + frame.height;
}

TEST_F(PanelFile, LayoutKeepsControlsApartAndInsideTheirArea)
{
    // The column of input indicators the analog area makes at start-up.
    Control ai_column{0, "numeric_double", 100, 300, 130, 520 - 100 + 24};
    std::map<std::string, std::string> area = {{"PORT_", "PORT_FRAME"},  {"AO", "ANALOG_FRAME"},
                                               {"AI_", "ANALOG_FRAME"},  {"AV", "AVALON_FRAME"},
                                               {"DAC_", "AVALON_FRAME"}, {"ADC_", "AVALON_FRAME"}};
    EXPECT_TRUE(inside(ai_column, controls.at("ANALOG_FRAME")));
    std::vector<std::pair<std::string, Control>> visible;
    for (const auto &[name, c] : controls)
        if (c.kind != "decoration" && c.kind != "timer" && c.kind != "chart") visible.emplace_back(name, c);
    for (size_t i = 0; i < visible.size(); i++) {
        const auto &[name, c] = visible[i];
        EXPECT_GT(c.width, 0) << name;
        EXPECT_GT(c.height, 0) << name;
        EXPECT_FALSE(overlap(c, ai_column)) << name << " covers the AI column";
        for (size_t j = i + 1; j < visible.size(); j++)
            EXPECT_FALSE(overlap(c, visible[j].second)) << name << " overlaps " << visible[j].first;
        for (const auto &[prefix, frame] : area) {
            if (name.rfind(prefix, 0) == 0 && name != frame) {
                EXPECT_TRUE(inside(c, controls.at(frame))) << name << " lies outside " << frame;
            }
        }
    }
    for (const char *a : {"PORT_FRAME", "ANALOG_FRAME", "AVALON_FRAME", "COMMAND_FRAME"}) {
        for (const char *b : {"PORT_FRAME", "ANALOG_FRAME", "AVALON_FRAME", "COMMAND_FRAME"}) {
            if (std::string(a) < b) {
                EXPECT_FALSE(overlap(controls.at(a), controls.at(b))) << a << " / " << b;
            }
        }
    }
}

}  // namespace
