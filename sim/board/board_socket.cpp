#include "sim/board/board_socket.h"


#include <string>
#include <utility>

#include "sim/board/board.h"
#include "base/korvane_files.h"
#include "base/platform.h"

namespace sim {

namespace {

Board &model_of(ksim_board *b)
{
    return *reinterpret_cast<Board *>(b);
}

ksim_board *model_open()
{
    return reinterpret_cast<ksim_board *>(new Board());
}

void model_close(ksim_board *b)
{
    delete &model_of(b);
}

void model_reset(ksim_board *b)
{
    model_of(b).reset();
}

void model_lines(ksim_board *b, int64_t t, uint32_t levels)
{
    model_of(b).update(levels, t);
}

void model_drive(ksim_board *b, int64_t, uint32_t *mask, uint32_t *levels)
{
    *mask = model_of(b).drive_mask();
    *levels = model_of(b).drive_levels();
}

double model_dac_volts(ksim_board *b, int ch, int64_t)
{
    return ch == 0 || ch == 1 ? model_of(b).peripherals().dac_volts(ch) : 0.0;
}

int model_read_reg(ksim_board *b, int slave, int address, int64_t t, uint16_t *word)
{
    return model_of(b).read_reg(slave, address, t, *word) ? 0 : -1;
}

int model_poke_reg(ksim_board *b, int slave, int address, uint16_t word, int64_t t)
{
    return model_of(b).poke_reg(slave, address, word, t) ? 0 : -1;
}

int model_drive_signal(ksim_board *b, const char *name, double value)
{
    const std::string n = name ? name : "";
    if (n == "adc0" || n == "adc1")
        model_of(b).peripherals().set_adc_override(n[3] - '0', value);
    else if (n == "adc-stuck")
        model_of(b).peripherals().set_adc_stuck(value != 0);
    else if (n == "dac0-off" || n == "dac1-off")
        model_of(b).peripherals().set_dac_off(n[3] - '0', value != 0);
    else
        return -1;
    return 0;
}

int model_probe(ksim_board *b, const char *name, int64_t, double *value)
{
    const std::string n = name ? name : "";
    if (n != "adc0" && n != "adc1") return -1;
    *value = model_of(b).peripherals().adc_input(n[3] - '0');
    return 0;
}

void model_shift_time(ksim_board *b, int64_t delta)
{
    model_of(b).shift_time(delta);
}

const ksim_board_api kModel = {
    KSIM_BOARD_ABI,
    sizeof(ksim_board_api),
    "model",
    Board::kPullMask,
    Board::kPullLevels,
    model_open,
    model_close,
    model_reset,
    model_lines,
    model_drive,
    model_dac_volts,
    model_read_reg,
    model_poke_reg,
    model_drive_signal,
    model_probe,
    model_shift_time,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

const ksim_board_api *model_board_api()
{
    return &kModel;
}

std::unique_ptr<BoardSocket> BoardSocket::model()
{
    return std::unique_ptr<BoardSocket>(new BoardSocket(&kModel, kModel.open(), nullptr));
}

namespace {

// Why a board library's interface table cannot be used: another version, or
// an entry the bench calls left NULL. "" when it is whole.
std::string table_fault(const ksim_board_api &api)
{
    if (api.abi != KSIM_BOARD_ABI)
        return "board interface version " + std::to_string(api.abi) + ", korvane speaks " +
               std::to_string(KSIM_BOARD_ABI);
    if (api.size < sizeof(ksim_board_api))
        return "board interface table of " + std::to_string(api.size) + " bytes, korvane's version " +
               std::to_string(KSIM_BOARD_ABI) + " has " + std::to_string(sizeof(ksim_board_api));
    const std::pair<const char *, bool> needed[] = {
        {"name", api.name != nullptr},
        {"open", api.open != nullptr},
        {"close", api.close != nullptr},
        {"reset", api.reset != nullptr},
        {"lines", api.lines != nullptr},
        {"drive", api.drive != nullptr},
        {"dac_volts", api.dac_volts != nullptr},
        {"read_reg", api.read_reg != nullptr},
        {"poke_reg", api.poke_reg != nullptr},
        {"drive_signal", api.drive_signal != nullptr},
        {"probe", api.probe != nullptr},
        {"shift_time", api.shift_time != nullptr},
        // The signals for the VCD come as a group or not at all.
        {"signal_name", !api.signal_count || api.signal_name},
        {"signal_value", !api.signal_count || api.signal_value},
        {"watch", !api.signal_count || api.watch},
    };
    std::string missing;
    for (const auto &[entry, present] : needed)
        if (!present) missing += (missing.empty() ? "" : ", ") + std::string(entry);
    return missing.empty() ? "" : "incomplete board interface table (NULL: " + missing + ")";
}

}  // namespace

std::unique_ptr<BoardSocket> BoardSocket::load(const std::string &path, std::string &error)
{
    // dlopen maps the file whole: a truncated one would end in SIGBUS, a FIFO block.
    if (std::string fault = base::files::library_fault(path); !fault.empty()) {
        error = path + ": " + fault;
        return nullptr;
    }
    void *lib = base::platform::open_library(path, error);
    if (!lib) return nullptr;
    auto entry = reinterpret_cast<ksim_board_entry_fn>(base::platform::library_symbol(lib, KSIM_BOARD_ENTRY));
    const ksim_board_api *api = entry ? entry() : nullptr;
    if (!api) {
        error = path + ": not a board library (" + (entry ? KSIM_BOARD_ENTRY " gave no interface table" : "no " KSIM_BOARD_ENTRY) + ")";
    } else if (std::string fault = table_fault(*api); !fault.empty()) {
        error = path + ": " + fault;
    } else if (ksim_board *b = api->open()) {
        return std::unique_ptr<BoardSocket>(new BoardSocket(api, b, lib, path));
    } else {
        error = path + ": the board cannot be made";
    }
    base::platform::close_library(lib);
    return nullptr;
}

Board *BoardSocket::model_board() const
{
    return is_model() ? &model_of(board_) : nullptr;
}

BoardSocket::~BoardSocket()
{
    api_->close(board_);
    base::platform::close_library(library_);
}

}  // namespace sim
