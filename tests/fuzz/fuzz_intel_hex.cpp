// Fuzz target: the Intel HEX reader of bus load on any bytes. A fault is one
// clean line naming the file; an image read is sound (runs in order, apart,
// inside the bus's 0x10000 words) and comes back the same through the
// writer of bus dump.
#include "tests/fuzz/fuzz_check.h"
#include "app/cli/word_files.h"

#include <cstdint>

using app::cli::Image;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    Image image;
    try {
        image = app::cli::read_intel_hex(text, "fuzz.hex");
    } catch (const app::cli::UsageError &e) {
        const std::string line = e.what();
        fuzz::require(line.rfind("fuzz.hex", 0) == 0, "the fault names the file", line);
        fuzz::require(fuzz::one_clean_line(line), "the fault is one clean line", line);
        return 0;
    }
    unsigned end = 0;
    bool first = true;
    for (const app::cli::Run &run : image.runs) {
        fuzz::require(!run.words.empty(), "no empty run");
        fuzz::require(first || run.first > end, "runs in order with a gap between them", std::to_string(run.first));
        first = false;
        end = run.first + static_cast<unsigned>(run.words.size());
        fuzz::require(end <= 0x10000, "inside the bus's words", std::to_string(end));
        // Each run written as bus dump writes it reads back as the same words from 0.
        const Image again = app::cli::read_intel_hex(app::cli::write_intel_hex(run.words), "again.hex");
        fuzz::require(again.runs.size() == 1 && again.runs[0].first == 0 && again.runs[0].words == run.words,
                      "a run survives dump and load");
    }
    fuzz::require(image.end() == end, "the image ends at its last run");
    return 0;
}
