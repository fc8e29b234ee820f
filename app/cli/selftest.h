// The bench self-test: one row per check (measured, expected, tolerance,
// PASS or FAIL) and a summary, from a wiring file.
#pragma once

#include <string>
#include <vector>

#include "app/cli/wiring_file.h"

namespace app::cli {

class Session;

struct CheckRow {
    std::string check, measured, expected, tolerance;
    bool pass = false;
};

std::string check_header();
std::string check_line(const CheckRow &row);

// Names the device and refuses, touching no line, when it is not of the
// description's product type (-1); else runs every check the description
// lists, printing each row as it is done (and keeping it in rows when
// given), and returns the number that failed.
int selftest(Session &s, const Wiring &wiring, bool destructive, std::vector<CheckRow> *rows = nullptr);
// Whether a self-test with `failed` failures passes: none failed, on a driver
// that was chosen. On the bench standing in for NI-DAQmx that is not
// installed it fails whatever its rows say: a lab's script must not take it
// for the hardware's pass (--daq sim runs it on the bench on purpose).
bool selftest_passed(int failed);

}  // namespace app::cli
