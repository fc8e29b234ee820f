// The wiring file: the lab's description of what is wired where and what the
// self-test checks, read from TOML (the simulated bench's wiring ships as the
// default, see wiring.toml). Every fault (an unknown key, a channel the device
// lacks, a value of the wrong kind) is one UsageError naming the file and the
// line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vekta/vekta.h"

namespace app::cli {

struct Wiring {
    struct Memory {
        unsigned slave = 0;
        unsigned words = 0;
    };
    struct Dac {
        int channel = 0;
        int code = 0;
        std::optional<int> input;  // analog input of the DAQ
        std::optional<int> adc;    // ADC channel of the board
        double tolerance = 0;
    };
    struct Loopback {
        int output = 0, input = 0;
        double volts = 0, tolerance = 0;
    };
    struct Fixed {
        std::string name;
        int input = 0;
        double volts = 0, tolerance = 0;
    };
    std::string product_type = VEKTA_PRODUCT_TYPE;  // [device] product_type: the module checked
    std::vector<Memory> memories;
    std::vector<Dac> dacs;
    std::vector<Loopback> loopbacks;
    std::vector<Fixed> fixed;
};

Wiring parse_wiring(const std::string &text, const std::string &name);

// The default wiring file's text (wiring.toml as built in).
const std::string &default_wiring_text();

// The wiring file at `path`, or without one the built-in default.
Wiring read_wiring(const std::optional<std::string> &path);

}  // namespace app::cli
