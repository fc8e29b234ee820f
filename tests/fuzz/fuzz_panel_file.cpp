// Fuzz target: the panel file reader on any bytes. A fault is one clean line
// naming the file with one of the reader's statuses; a panel read is sound.
#include "tests/fuzz/fuzz_check.h"
#include "ui/internal.h"

#include <cstdint>
#include <set>

namespace {
int cb(int, int, int, void *, int, int) { return 0; }
int panel_cb(int, int, void *, int, int) { return 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool registered = [] {
        ui::RegisterCallback("cb", cb);
        ui::RegisterCallback("panel_cb", panel_cb);
        return true;
    }();
    (void)registered;
    std::string text(reinterpret_cast<const char *>(data), size);
    ui::Panel p;
    std::string error;
    int st = ui::detail::read_panel_text("fuzz.uir", text, 1, p, error);
    if (st != 0) {
        fuzz::require(st == UIEPanelFileInvalid || st == UIEResourceNotFound || st == UIECallbackNotFound,
                      "a reader status", std::to_string(st));
        fuzz::require(error.rfind("fuzz.uir", 0) == 0, "the fault names the file", error);
        fuzz::require(fuzz::one_clean_line(error), "the fault is one clean line", error);
        return 0;
    }
    fuzz::require(p.resource == 1, "the panel asked for");
    std::set<int> ids;
    for (auto &c : p.controls) {
        fuzz::require(ids.insert(c.id).second, "identifiers are unique", std::to_string(c.id));
        (void)ui::display_text(c);
    }
    return 0;
}
