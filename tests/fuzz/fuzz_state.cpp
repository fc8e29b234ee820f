// Fuzz target: the simulated board's --sim-state reader on any bytes. A text
// it takes is exactly what the board writes back; one it refuses changes
// nothing.
#include "sim/board/board.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    // Not a board at power-up: a refusal must keep what it holds.
    auto board_with_a_word = [] {
        sim::Board b;
        b.poke_reg(0, 17, 0xBEEF, 0);
        return b;
    };
    static const std::string before = board_with_a_word().save_state(0);
    sim::Board board = board_with_a_word();
    if (board.load_state(text))
        fuzz::require(board.save_state(0) == text, "a state taken is written back the same");
    else
        fuzz::require(board.save_state(0) == before, "a state refused changes nothing");
    return 0;
}
