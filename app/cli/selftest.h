// The bench self-test: one row per check (measured, expected, tolerance,
// PASS or FAIL) and a summary, from a bench description.
#pragma once

#include <string>

#include "bench_file.h"

namespace korvane::cli {

class Session;

struct CheckRow {
    std::string check, measured, expected, tolerance;
    bool pass = false;
};

std::string check_header();
std::string check_line(const CheckRow &row);

// Runs every check the description lists, printing each row as it is done;
// returns the number of checks that failed.
int selftest(Session &s, const BenchDescription &bench, bool destructive);

}  // namespace korvane::cli
