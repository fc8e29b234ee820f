// Board libraries the bench must refuse, one per ODD_BOARD value: an
// interface table with a NULL function, one of another abi, one shorter than
// the bench's, one without a name, one with signal_count but no watch, and an
// entry point that gives no table at all. Built from this one file.
#include "korvane/board_plugin.h"

namespace {

ksim_board *open_board() { return reinterpret_cast<ksim_board *>(1); }
void close_board(ksim_board *) {}
void reset(ksim_board *) {}
void lines(ksim_board *, int64_t, uint32_t) {}
void drive(ksim_board *, int64_t, uint32_t *mask, uint32_t *levels) { *mask = *levels = 0; }
double dac_volts(ksim_board *, int, int64_t) { return 0.0; }
int read_reg(ksim_board *, int, int, int64_t, uint16_t *word) { return *word = 0; }
int poke_reg(ksim_board *, int, int, uint16_t, int64_t) { return 0; }
int drive_signal(ksim_board *, const char *, double) { return -1; }
int probe(ksim_board *, const char *, int64_t, double *) { return -1; }
void shift_time(ksim_board *, int64_t) {}
[[maybe_unused]] int signal_count(ksim_board *) { return 0; }

ksim_board_api table()
{
    ksim_board_api api = {KSIM_BOARD_ABI, sizeof(ksim_board_api), "odd", 0, 0, open_board, close_board, reset,
                          lines, drive, dac_volts, read_reg, poke_reg, drive_signal, probe, shift_time,
                          nullptr, nullptr, nullptr, nullptr};
#if ODD_BOARD == 1
    api.reset = nullptr;
    api.probe = nullptr;
#elif ODD_BOARD == 2
    api.abi = KSIM_BOARD_ABI + 1;
#elif ODD_BOARD == 3
    api.size = sizeof(ksim_board_api) - sizeof(void *);
#elif ODD_BOARD == 4
    api.name = nullptr;
#elif ODD_BOARD == 5
    api.signal_count = signal_count;
#endif
    return api;
}

const ksim_board_api kApi = table();

}  // namespace

extern "C" __attribute__((visibility("default"))) const ksim_board_api *ksim_board_entry(void)
{
    return ODD_BOARD == 6 ? nullptr : &kApi;
}
