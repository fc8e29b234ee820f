// Fuzz target: the wiring file reader of the self-test on any bytes.
// A fault is one clean line naming the file; a description read has at
// least one check and every value in its range, its names clean.
#include "app/cli/wiring_file.h"
#include "tests/fuzz/fuzz_check.h"
#include "app/cli/word_files.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    app::cli::Wiring b;
    try {
        b = app::cli::parse_wiring(text, "fuzz.toml");
    } catch (const app::cli::UsageError &e) {
        const std::string line = e.what();
        fuzz::require(line.rfind("fuzz.toml", 0) == 0, "the fault names the file", line);
        fuzz::require(fuzz::one_clean_line(line), "the fault is one clean line", line);
        return 0;
    }
    fuzz::require(!b.memories.empty() || !b.dacs.empty() || !b.loopbacks.empty() || !b.fixed.empty(),
                  "at least one check");
    auto tolerance = [](double t) { return std::isfinite(t) && t >= 0; };
    for (const auto &m : b.memories)
        fuzz::require(m.slave <= 7 && m.words >= 1 && m.words <= 8192, "a memory on the bus");
    for (const auto &d : b.dacs)
        fuzz::require(d.channel >= 0 && d.channel <= 1 && d.code >= 0 && d.code <= 255 && (d.input || d.adc) &&
                          (!d.input || (*d.input >= 0 && *d.input <= 7)) && (!d.adc || (*d.adc >= 0 && *d.adc <= 1)) &&
                          tolerance(d.tolerance),
                      "a DAC check the bench has");
    for (const auto &l : b.loopbacks)
        fuzz::require(l.output >= 0 && l.output <= 1 && l.input >= 0 && l.input <= 7 && std::fabs(l.volts) <= 10 &&
                          tolerance(l.tolerance),
                      "a loopback the bench has");
    for (const auto &f : b.fixed)
        fuzz::require(f.input >= 0 && f.input <= 7 && std::isfinite(f.volts) && tolerance(f.tolerance) &&
                          fuzz::one_clean_line(f.name),
                      "a fixed level the bench has, its name clean", f.name);
    fuzz::require(fuzz::one_clean_line(b.product_type), "the product type clean", b.product_type);
    return 0;
}
