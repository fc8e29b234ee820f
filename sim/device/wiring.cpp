// The bench's analog wiring: what each output gives and each input sees, the
// inputs' quantisation and noise, the trigger sources.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "sim/device/bench.h"

namespace sim {

namespace {

uint64_t splitmix(uint64_t &x)
{
    uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

uint64_t Bench::next_random()
{
    return splitmix(rng_);
}

double Bench::ao_volts(int ch, int64_t t) const
{
    const Task *g = ao_gen_[ch];
    // Nothing is generated before the trigger, or on a clock terminal nothing drives.
    if (!g || g->run.armed || g->external_clock || t < g->run.t_first || g->wave_len == 0) return ao_value_[ch];
    const double elapsed = static_cast<double>(t - g->run.t_first) * 1e-9;
    auto k = static_cast<uint64_t>(elapsed * g->rate);
    if (g->mode == DAQmx_Val_FiniteSamps)
        k = std::min(k, g->wave_len - 1);
    else
        k %= g->wave_len;
    size_t c = 0;
    for (size_t i = 0; i < g->chans.size(); ++i)
        if (g->chans[i].index == ch) c = i;
    return g->wave[k * g->chans.size() + c];
}

double Bench::ai_volts(int ch, int64_t t) const
{
    switch (ch) {
    case 0:
    case 1: return ao_volts(ch, t);
    case 2:
    case 3: return board_->dac_volts(ch - 2, t);
    case 4:
        return std::isnan(drive_ai_[4]) ? std::sin(2 * std::numbers::pi * static_cast<double>(t) * 1e-9) : drive_ai_[4];
    case 5: return std::isnan(drive_ai_[5]) ? 2.5 : drive_ai_[5];
    case 6:
    case 7: return std::isnan(drive_ai_[ch]) ? 0.0 : drive_ai_[ch];
    default: return 0.0;
    }
}

double Bench::quantise(const Chan &c, double volts)
{
    const double range = c.lsb * 32768;
    volts = std::clamp(volts, -1.1 * range, 1.1 * range);
    // A few LSB of noise, triangular in -2..2.
    const uint64_t r = next_random();
    const long noise = static_cast<long>(r % 3) + static_cast<long>((r >> 32) % 3) - 2;
    long code = std::lround(volts / c.lsb) + noise;
    code = std::clamp(code, -32768L, 32767L);
    return static_cast<double>(code) * c.lsb;
}

double Bench::trigger_value(const std::string &source, int64_t t) const
{
    if (source == "apfi0") return apfi_[0];
    if (source == "apfi1") return apfi_[1];
    // The analog input's start trigger: high from the moment its acquisition starts.
    if (source == "ai/starttrigger") return ai_owner_ && ai_owner_->timed && !ai_owner_->run.armed ? 1.0 : 0.0;
    if (source.compare(0, 3, "pfi") == 0) return (levels_ >> pfi_line(std::atoi(source.c_str() + 3))) & 1u;
    return ai_volts(std::atoi(source.c_str() + 2), t);
}

bool Bench::source_varies(const std::string &source) const
{
    if (source == "ai4") return std::isnan(drive_ai_[4]);
    if (source == "ai0") return ao_gen_[0] != nullptr && !ao_gen_[0]->external_clock;
    if (source == "ai1") return ao_gen_[1] != nullptr && !ao_gen_[1]->external_clock;
    return false;
}

}  // namespace sim
