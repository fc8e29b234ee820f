// The panel file and the header the build writes from it must agree: every
// control of korvane.uir has a constant of the same name and identifier in
// korvane.h, every constant of korvane.h names a control of the file, and the
// header declares the numbers and callbacks the program always had. The
// layout must keep every control inside its area and clear of the others.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <toml++/toml.h>

#include "app/panel/korvane_main.h"

namespace {

const std::string app_dir = KORVANE_APP_DIR;
const std::string panel_header = KORVANE_PANEL_HEADER;

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
    std::string text = read_text(panel_header);
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

// The constants and callbacks of the hand-written header the panel file
// replaced: the written header must declare exactly these.
TEST(PanelHeader, DeclaresTheNumbersAndCallbacksTheProgramAlwaysHad)
{
    const std::map<std::string, int> numbers = {
        {"PANEL", 1}, {"OPEN_BTN", 2}, {"DEFAULT_BTN", 3}, {"CLOSE_BTN", 4}, {"AO1_NUMERIC", 8},
        {"AO0_NUMERIC", 11}, {"AO_LINK_TOGGLE", 12}, {"AI_TIMER", 24}, {"DAC_VOUT2", 9}, {"DAC_VOUT1", 10},
        {"AV_INIT_BTN", 13}, {"AV_DEINIT_BTN", 14}, {"AV_READ_DATA", 30}, {"AV_READ_ADDR", 31},
        {"AV_READ_SLAVE", 32}, {"AV_WRITE_BTN", 33}, {"AV_WRITE_DATA", 34}, {"AV_WRITE_ADDR", 35},
        {"AV_WRITE_SLAVE", 36}, {"DAC_CTRL_BIT2", 37}, {"DAC_CTRL_BIT0", 38}, {"AV_READ_BTN", 39},
        {"DAC_CTRL_BIT1", 40}, {"AV_SET_I_BTN", 41}, {"AV_I_ACK_BTN", 42}, {"ADC_VIN2", 43}, {"ADC_VIN2_CODE", 44},
        {"ADC_VIN1", 45}, {"DAC_VOUT2_CODE", 46}, {"DAC_VOUT1_CODE", 47}, {"ADC_VIN1_CODE", 48},
        {"AVALON_TIMER", 49}, {"PORT_OUT_2", 15}, {"PORT_OUT_1", 16}, {"PORT_OUT_0", 17}, {"PORT_MASK_2", 18},
        {"PORT_IN_2", 19}, {"PORT_IN_1", 20}, {"PORT_MASK_1", 21}, {"PORT_IN_0", 22}, {"PORT_MASK_0", 23},
        {"PORT_TIMER", 25}, {"PORT_DEFAULT_BTN", 26}, {"PORT_MODE_INPUT_BTN", 27}, {"PORT_MODE_OUTPUT_BTN", 28},
        {"PORT_FRAME", 50}, {"ANALOG_FRAME", 51}, {"AVALON_FRAME", 52}, {"COMMAND_FRAME", 53},
        {"SIGNAL_CHART", 54}};
    const std::string control_args = "(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);";
    std::set<std::string> prototypes = {"int panelCB(int panel, int event, void *callbackData, int eventData1, int eventData2);"};
    for (const char *cb : {"pxi_open_CB", "pxi_close_CB", "pxi_default_CB", "write_cb", "mask_cb", "port_timer_CB",
                           "port_default_cb", "port_mode_input_cb", "port_mode_output_cb", "avalon_init_cb",
                           "avalon_deinit_cb", "a_write_cb", "a_read_cb", "avalon_dac_control_cb", "avalon_vout1_cb",
                           "avalon_vout2_cb", "avalon_vout1_code_cb", "avalon_vout2_code_cb", "set_i_cb", "i_ack_cb",
                           "avalon_timer_cb", "ai_timer_CB", "ao0_CB", "ao1_CB", "ao0ao1_CB"})
        prototypes.insert(std::string("int ") + cb + control_args);

    const std::string text = read_text(panel_header);
    std::map<std::string, int> defined;
    std::regex define(R"(#define\s+([A-Za-z_0-9]+)\s+([0-9]+))");
    for (std::sregex_iterator it(text.begin(), text.end(), define), end; it != end; ++it)
        defined[(*it)[1]] = std::stoi((*it)[2]);
    EXPECT_EQ(defined, numbers);
    std::set<std::string> declared;
    std::regex prototype(R"(int \w+\([^)]*\);)");
    for (std::sregex_iterator it(text.begin(), text.end(), prototype), end; it != end; ++it) declared.insert((*it)[0]);
    EXPECT_EQ(declared, prototypes);
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
