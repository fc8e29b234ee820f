#include "app/cli/regs.h"


#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <thread>

#include "app/cli/bus_commands.h"
#include "avalon/avalon_block.h"
#include "avalon/korvane_board.h"
#include "base/platform.h"
#include "base/stop_signals.h"

namespace app::cli {

namespace kb = avalon::board;

namespace {

std::string number(unsigned v, int hex_digits, bool decimal)
{
    return decimal ? std::to_string(v) : hex(v, hex_digits);
}

std::string decoded(const kb::Register &r, uint16_t word)
{
    std::string text;
    for (const kb::Field &f : r.fields) {
        // A command register reads back its status bits only.
        if (r.access == kb::Access::command_status && !f.on_read) continue;
        if (!text.empty()) text += ' ';
        text += std::string(f.name) + "=" + ((word & f.mask) ? "1" : "0");
    }
    if (!r.unit.empty()) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%u = %.4f %s", static_cast<unsigned>(word), word * r.scale,
                      std::string(r.unit).c_str());
        text = buf;
    }
    return text;
}

}  // namespace

std::string regs_table(const std::vector<uint16_t> &words, bool decimal)
{
    char line[160];
    std::string out;
    std::snprintf(line, sizeof line, "%-12s %-6s %-6s %-7s %s\n", "register", "slave", "addr", "word", "value");
    out += line;
    for (size_t i = 0; i < kb::registers.size() && i < words.size(); i++) {
        const kb::Register &r = kb::registers[i];
        std::snprintf(line, sizeof line, "%-12s %-6d %-6s %-7s %s\n", std::string(r.name).c_str(),
                      kb::kSlavePeripherals, number(static_cast<unsigned>(r.address), 2, decimal).c_str(),
                      number(words[i], 4, decimal).c_str(), decoded(r, words[i]).c_str());
        std::string row = line;
        row.erase(row.find_last_not_of(" \n") + 1);
        out += row + "\n";
    }
    std::snprintf(line, sizeof line, "%-12s %-6d %-6s %-7s %d words of memory\n", "MEMORY", kb::kSlaveMemory,
                  (number(0, 4, decimal) + ".." + number(kb::kMemoryWords - 1, 4, decimal)).c_str(), "", kb::kMemoryWords);
    out += line;
    return out;
}

std::vector<uint16_t> read_registers(Session &s)
{
    // The whole table in one hold of the bus: the ports are taken and given
    // back once, not once per register (docs/PERFORMANCE.md).
    std::vector<unsigned short> addresses, words(std::size(kb::registers));
    for (const kb::Register &r : kb::registers) addresses.push_back(static_cast<unsigned short>(r.address));
    s.prepare();
    const int n = static_cast<int>(words.size());
    const int got = avalonReadList(kb::kSlavePeripherals, addresses.data(), words.data(), n);
    if (got < n)
        throw BusFailure("read cycle failed at slave " + std::to_string(kb::kSlavePeripherals) + " register " +
                         std::string(kb::registers[got].name) + " (" + hex(addresses[static_cast<size_t>(got)], 4) + ")");
    return std::vector<uint16_t>(words.begin(), words.end());
}

void bus_regs(Session &s, double watch, unsigned tables)
{
    auto read_all = [&s] { return regs_table(read_registers(s), s.decimal); };
    std::string table = read_all();
    s.out << table << std::flush;
    if (!s.out) throw OutputFailed();
    if (watch <= 0 || tables == 1) return;

    // Until a stop signal: Ctrl-C is the normal end (status 0), the others
    // stop the command as they stop any other.
    const bool terminal = base::platform::is_console(1);
    s.interruptible = false;  // a table is read whole; the loop looks for the stop
    const auto step = std::chrono::milliseconds(50);
    auto stopped = [] { return base::stop::requested() != 0; };
    while (!stopped()) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(watch);
        while (!stopped() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(step);
        if (stopped()) break;
        const size_t rows = static_cast<size_t>(std::count(table.begin(), table.end(), '\n'));
        table = read_all();
        if (terminal)
            s.out << "\x1b[" << rows << "A\r" << table << std::flush;  // back over the last table
        else
            s.out << '\n' << table << std::flush;
        if (!s.out) throw OutputFailed();
        if (tables != 0 && --tables == 1) return;
    }
    if (base::stop::requested() == SIGINT) base::stop::forget();
}

}  // namespace app::cli
