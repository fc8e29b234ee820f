// The register view of `bus regs`: slave 2's registers read and decoded from
// the board's one register description, and slave 0 as a memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app::cli {

class Session;

// The table for the words read, one per register of the description, in its
// order; pure, for the view and its tests.
std::string regs_table(const std::vector<uint16_t> &words, bool decimal);

// Reads every register of the description from slave 2, in its order.
std::vector<uint16_t> read_registers(Session &s);

// Reads every register of slave 2 and prints the table; with watch > 0
// repeats it every `watch` seconds (in place on a terminal) until interrupted,
// or until `tables` tables in all are out (0: no such end).
void bus_regs(Session &s, double watch, unsigned tables = 0);

}  // namespace app::cli
