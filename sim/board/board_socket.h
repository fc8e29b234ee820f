// The bench's side of the board interface: one board, either the C++ model
// linked in or a board library loaded from a file, behind the same calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "korvane/board_plugin.h"

namespace sim {

class Board;

// The C++ model (board.h) as a board interface.
const ksim_board_api *model_board_api();

class BoardSocket {
public:
    // The C++ model.
    static std::unique_ptr<BoardSocket> model();
    // A board library (a path, or a bare file name for the loader's search);
    // null with the reason in error when it cannot be loaded or opened.
    static std::unique_ptr<BoardSocket> load(const std::string &path, std::string &error);
    ~BoardSocket();
    BoardSocket(const BoardSocket &) = delete;
    BoardSocket &operator=(const BoardSocket &) = delete;

    const ksim_board_api &api() const { return *api_; }
    const char *name() const { return api_->name; }
    // The name, and for a library the file it came from: "rtl korvane_board (/path/lib....so)".
    const std::string &description() const { return description_; }
    bool is_model() const { return api_ == model_board_api(); }
    ksim_board *board() const { return board_; }
    // The C++ model's board when this is the model, else null (for its tests).
    Board *model_board() const;

    void reset() { api_->reset(board_); }
    void lines(int64_t t, uint32_t levels) { api_->lines(board_, t, levels); }
    void drive(int64_t t, uint32_t &mask, uint32_t &levels) { api_->drive(board_, t, &mask, &levels); }
    double dac_volts(int ch, int64_t t) { return api_->dac_volts(board_, ch, t); }
    bool read_reg(int slave, int address, int64_t t, uint16_t &word)
    {
        return api_->read_reg(board_, slave, address, t, &word) == 0;
    }
    bool poke_reg(int slave, int address, uint16_t word, int64_t t)
    {
        return api_->poke_reg(board_, slave, address, word, t) == 0;
    }
    int drive_signal(const char *name, double value) { return api_->drive_signal(board_, name, value); }
    int probe(const char *name, int64_t t, double &value) { return api_->probe(board_, name, t, &value); }
    void shift_time(int64_t delta) { api_->shift_time(board_, delta); }

private:
    BoardSocket(const ksim_board_api *api, ksim_board *board, void *library, const std::string &path = "")
        : api_(api), board_(board), library_(library),
          description_(std::string(api->name ? api->name : "?") + (path.empty() ? "" : " (" + path + ")"))
    {
    }

    const ksim_board_api *api_;
    ksim_board *board_;
    void *library_;  // dlopen handle, null for the model
    std::string description_;
};

}  // namespace sim
