// The simulated bench: an NI 6251 in a PXI slot with its digital ports wired
// to the Avalon target board and its analog channels to the board's DAC and
// fixed sources. Bench answers the DAQmx driver calls (same arguments and
// statuses as the real driver) and the back door of ksim_backdoor.h.
//
// Its parts: api_*.cpp the driver calls (argument checks, task states; a
// file per area: tasks, channels and timing, digital, analog, queries; the
// call's frame in call_frame.h), engine.cpp the timed acquisition and
// generation (sample clock, trigger, buffer), wiring.cpp the analog wiring,
// bench.cpp the rest (back door, digital lines and the board).
//
// One Bench is one bench: the shared library keeps one for the process; tests
// make their own with their own clock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "korvane/NIDAQmx.h"
#include "sim/board/board.h"
#include "sim/board/board_socket.h"
#include "sim/device/channels.h"
#include "sim/device/clock.h"
#include "driver/daqmx_attributes.h"
#include "driver/daqmx_entries.h"
#include "sim/device/faults.h"
#include "sim/device/vcd.h"

namespace sim {

// Time a driver call takes on the bench's clock, as over PXI.
struct Latency {
    static constexpr int64_t kCreateTask = 30'000;
    static constexpr int64_t kCreateChan = 40'000;
    static constexpr int64_t kConfigure = 10'000;
    static constexpr int64_t kStart = 20'000;
    static constexpr int64_t kStop = 10'000;
    static constexpr int64_t kClear = 30'000;
    static constexpr int64_t kDigital = 4'000;
    static constexpr int64_t kAnalog = 10'000;
    static constexpr int64_t kBuffered = 15'000;
    static constexpr int64_t kErrorText = 1'000;
    static constexpr int64_t kRefused = 2'000;
    static constexpr int64_t kProperty = 2'000;  // a device or system property (assumed)
    // An on-demand read or write of a task that is not running: the driver
    // verifies, reserves, commits and starts the task for the call, then stops
    // and unreserves it (NI's task state model), on top of the access itself.
    // Assumed: NI documents that these implicit transitions cost time at every
    // call, not how much; a lab can read the real figure from --trace's host
    // times (a write to a write task against one to a started task).
    static constexpr int64_t kImplicitStartStop = 50'000;
};

// The 6251's input ranges and output ranges (+-volts, NI's 6251 specifications),
// smallest first (the outputs' range of an external reference aside).
constexpr double kAiRanges[] = {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0};
constexpr double kAoRanges[] = {5.0, 10.0};

// The 6251's limits.
struct Limits {
    static constexpr double kAiRateOne = 1.25e6;        // one channel
    static constexpr double kAiRateAggregate = 1.00e6;  // several channels, in total
    static constexpr double kAoRateOne = 2.86e6;
    static constexpr double kAoRateTwo = 2.00e6;
    // The slowest sample clock: the 100 kHz timebase divided by the 32-bit counter.
    static constexpr double kRateMin = 100e3 / 4294967296.0;
    static constexpr double kAnalogMax = 10.0;
    // The most samples (all channels) a buffer of the bench holds.
    static constexpr uint64_t kMaxBuffer = 1ULL << 26;
    // Longest wait of a read with an infinite timeout before it gives up.
    static constexpr int64_t kInfiniteWaitNs = 3600LL * 1'000'000'000;
};

class Bench {
public:
    enum class Kind { None, DI, DO, AI, AO };
    enum class State { Created, Running, Stopped };
    // The form of a digital read's or write's samples.
    enum class Form { U8, U32, Lines };

    struct Chan {
        std::string name;            // the virtual channel's name in its task
        std::string physical;        // the physical channel it was made of
        std::vector<LineRef> lines;  // digital
        uint32_t mask = 0;           // digital: the lines as pin bits
        int index = 0;               // analog channel number
        double min = 0, max = 0;     // analog range given
        double lsb = 0;              // analog input resolution of the range chosen
    };

    struct Trigger {
        bool on = false;
        std::string given;   // the source as configured, checked when the task is verified
        std::string source;  // then: "apfi0", "apfi1", "aiN", or "pfiN" for a digital edge
        int slope = DAQmx_Val_RisingSlope;
        double level = 0;
        bool digital = false;  // an edge on a PFI line (its level 0 or 1), not the analog trigger circuit
    };

    // A running timed acquisition or generation.
    struct Run {
        bool armed = false;          // waiting for the start trigger
        int64_t scan_t = 0;          // trigger detection has looked up to here
        double prev = 0;             // trigger source at scan_t
        int64_t t_first = 0;         // time of the first sample clock (sample k at t_first + k/rate)
        uint64_t produced = 0;       // AI: samples per channel acquired into the buffer
        uint64_t consumed = 0;       // AI: samples per channel read
        bool overflow = false;
        std::vector<double> ring;    // AI: cap samples x channels
        uint64_t cap = 0;
        uint64_t every_n_fired = 0;  // the every-N-samples events delivered this run
        bool done_fired = false;     // the done event delivered this run
    };

    // The callbacks a program registered on a task (DAQmxRegister*Event).
    struct Callbacks {
        int32 every_n_type = 0;
        uInt32 every_n = 0;
        DAQmxEveryNSamplesEventCallbackPtr every_n_fn = nullptr;
        void *every_n_data = nullptr;
        DAQmxDoneEventCallbackPtr done_fn = nullptr;
        void *done_data = nullptr;
    };

    // An event due, to be delivered on the driver's thread (events.h).
    struct Event {
        TaskHandle task = nullptr;
        DAQmxEveryNSamplesEventCallbackPtr every_n_fn = nullptr;  // an every-N-samples event, or
        DAQmxDoneEventCallbackPtr done_fn = nullptr;              // a done event
        int32 type = 0;
        uInt32 n = 0;
        int32 status = 0;
        void *data = nullptr;
    };

    struct Task {
        uint64_t id = 0;
        std::string name;
        Kind kind = Kind::None;
        State state = State::Created;
        std::vector<Chan> chans;
        // timing
        bool timed = false;
        std::string clock_source;     // as configured, checked when the task is verified
        bool external_clock = false;  // a clock terminal nothing drives
        double rate = 0;
        int32 mode = 0;
        uint64_t samps = 0;
        Trigger trig;
        // AO: the buffer written (samples x channels, grouped by scan)
        std::vector<double> wave;
        uint64_t wave_len = 0;
        Run run;
        bool implicit = false;  // started by a read or write, to be stopped again
        uint32_t lines = 0;     // digital: the lines of all its channels, as pin bits
        State resume = State::Created;  // the state an implicit start came from
        bool regen = true;              // output: the buffer may be generated again (NI's default)
        Callbacks events;
    };

    explicit Bench(std::shared_ptr<Clock> clock = std::make_shared<SteadyClock>());
    ~Bench();
    Bench(const Bench &) = delete;
    Bench &operator=(const Bench &) = delete;

    // ---- the driver's calls: one method per entry point, named without the prefix ----
#define KSIM_METHOD(name, method, params, args, show) int32 method params;
    DAQMX_ENTRY_POINTS(KSIM_METHOD)
    DAQMX_CLIENT_ENTRY_POINTS(KSIM_METHOD)
#undef KSIM_METHOD
    // The getters of properties by ID (api_properties.cpp): `size` is the
    // buffer's size of a string property, else 0.
#define KSIM_GETTER_METHOD(name, method, params, args, show) int32 method(DAQMX_UNPAREN params, uInt32 size);
    DAQMX_ATTRIBUTE_GETTERS(KSIM_GETTER_METHOD)
    DAQMX_CLIENT_ATTRIBUTE_GETTERS(KSIM_GETTER_METHOD)
#undef KSIM_GETTER_METHOD
    // The setters (api_setters.cpp): the value read by the property's type.
#define KSIM_SETTER_METHOD(name, method, params, args, show) \
    int32 method(DAQMX_UNPAREN params, const driver::attributes::Value &value);
    DAQMX_ATTRIBUTE_SETTERS(KSIM_SETTER_METHOD)
#undef KSIM_SETTER_METHOD
    // The entry points the bench does not model (DAQMX_UNMODELLED_ENTRY_POINTS):
    // each answers its status of api_refused.cpp, through the call's frame.
    int32 refuse(const char *fn);

    // ---- events (api_events.cpp), for the driver's thread that delivers them (events.h) ----
    // The next event due, marked delivered; else false, and `next` the time
    // the next one falls due (INT64_MAX: none known).
    bool take_event(Event &e, int64_t &next);
    // Whether any task has a callback registered.
    bool has_callbacks() const;
    bool clock_is_virtual() { return clock_->is_virtual(); }

    // ---- the back door (ksim_backdoor.h) ----
    static int present() { return 1; }
    void reset();
    void use_virtual_clock();
    void attach_clock(void *ctx, int64_t (*now_ns)(void *), void (*sleep_ns)(void *, int64_t));
    void set_clock(std::shared_ptr<Clock> clock);
    Clock &clock() { return *clock_; }
    // The bench's time: read from the clock once per driver call, at its start,
    // and again only after the call waited.
    int64_t now() { return in_call_ ? call_now_ : clock_->now_ns(); }
    int64_t now_ns() { return now(); }
    void advance_ns(int64_t ns);
    int set_slot(int slot);
    int slot() const { return slot_; }
    // The device's name in the driver (as NI MAX names it) and the product type
    // it reports; NULL or "" keeps one. The bench stays a 6251 whatever it reports.
    int set_device(const char *name, const char *product_type);
    void set_seed(uint32_t seed);
    int live_tasks() const { return static_cast<int>(tasks_.size()); }
    long contention_count() const { return contention_; }
    long driver_calls() const { return calls_; }
    int probe(const char *name, double *value);
    int probe_reg(int slave, int address, unsigned *word);
    int poke_reg(int slave, int address, unsigned word);
    int drive(const char *name, double value);
    // The board's memory and registers as text, copied out NUL-ended (returns
    // the size needed, NUL included), and back (-1, changing nothing: not such a text).
    size_t board_state(char *buf, size_t size);
    int set_board_state(const char *text);
    int fault(const char *function, const char *task, int code, int nth, int always);
    void fault_clear() { faults_.clear(); }
    int vcd_file(const char *path);
    int vcd_layout(int layout);  // a Vcd::Layout; -1 for another value
    // For the call trace: when the last call began, and its notes.
    const char *call_notes(int64_t *began_ns) const
    {
        if (began_ns) *began_ns = call_began_;
        return notes_.c_str();
    }

    // ---- for tests of the layers ----
    uint32_t line_levels() const { return levels_; }
    uint32_t daq_output_mask() const { return daq_out_; }
    // The C++ model's board (the bench runs the model unless set_board chose another).
    Board &board() { return *board_->model_board(); }
    BoardSocket &board_socket() { return *board_; }
    // The board: "model" (or "" ), "rtl" (the reference board in Verilog), or the
    // path of a board library. On failure -1, the reason in error, the board kept.
    int set_board(const char *choice, std::string &error);
    int set_board(const char *choice, char *error, size_t size);
    const char *board_name() const { return board_->description().c_str(); }
    double ao_volts(int ch, int64_t t) const;
    double ai_volts(int ch, int64_t t) const;  // at the input, before quantisation and noise
    const Task *find_task(TaskHandle h) const;

private:
    // ---- the driver face (api_*.cpp, call_frame.h) ----
    template <class Body>
    int32 call(const char *fn, const std::string *task, int64_t latency, Body body);
    template <class Body>
    int32 started_for(Task &t, Body body);
    // Where sample i of channel c sits in a caller's array of n samples for
    // each of nch channels: grouped by channel (0) or by scan (1).
    static size_t slot_of(bool32 by_scan, size_t c, size_t i, size_t nch, size_t n)
    {
        return by_scan ? i * nch + c : c * n + i;
    }
    static constexpr uintptr_t kHandleBase = 0x4B000;
    static TaskHandle handle_of(uint64_t id);

    Task *task(TaskHandle h);
    int32 add_digital(TaskHandle h, const char *lines, const char *name, int32 grouping, Kind kind);
    int32 add_analog(TaskHandle h, const char *chan, const char *name, double min, double max, int32 units,
                     const char *scale, Kind kind);
    int32 add_chans(Task &t, std::vector<std::vector<LineRef>> &groups, const std::vector<std::string> &physical,
                    const std::vector<std::string> &names, Kind kind);
    // The virtual channels of a call that made `count` of them from these
    // physical channels, named as the driver names them.
    static std::vector<std::string> chan_names(const char *name, const std::vector<std::string> &physical);
    // The channels of a task a list of channel names names ("" for all of
    // them), in the list's order.
    int32 chans_named(const Task &t, const char *list, std::vector<const Chan *> &out) const;
    // The digital lines' calls, for each form of sample (Form: U8, U32 or Lines).
    int32 write_digital(const char *fn, TaskHandle h, int32 n, bool32 layout, const void *data, Form form,
                        int32 *written);
    int32 read_digital(const char *fn, TaskHandle h, int32 n, bool32 fill, void *data, uInt32 size, Form form,
                       int32 *nread, int32 *bytes_per_sample);
    // Lines per channel in a line-based read or write: the most of any channel.
    static uint32_t lines_per_chan(const Task &t);
    // The properties by ID, each getter's share (api_properties.cpp); a task's
    // getters share task_getter: the task found, the ID's getter checked, then
    // `answer(task)`.
    template <class Answer>
    int32 task_getter(const char *fn, TaskHandle h, driver::attributes::Getter getter, int32 attribute, Answer answer);
    int32 task_property(const Task &t, int32 attribute, void *value, uInt32 size);
    int32 chan_property(const std::vector<const Chan *> &chans, Kind kind, int32 attribute, void *value, uInt32 size);
    int32 timing_property(const Task &t, int32 attribute, void *value);
    int32 stream_property(Task &t, int32 attribute, void *value, uInt32 size, bool read);
    int32 device_property(int32 attribute, void *value, uInt32 size);
    int32 trig_property(const Task &t, int32 attribute, void *value, uInt32 size);
    int32 set_trig_property(Task &t, int32 attribute, const driver::attributes::Value &value);
    int32 buffer_property(const Task &t, int32 attribute, void *value);
    std::string lines_list(bool ports) const;
    int32 start(Task &t, bool implicit);
    // The reserve step of a digital task's start: a line is held by one
    // running task at a time.
    int32 reserve_lines(const Task &t) const;
    void reserve(const Task &t, bool on);
    // The verify step of a start: the clock and trigger sources name terminals.
    int32 verify_terminals(Task &t);
    void stop(Task &t);
    // Ends an implicit start: the task returns to the state it had before.
    void unwind(Task &t, State before);
    int32 check_rate(const Task &t, double rate) const;
    // What every write checks before its samples: a task with channels, all of
    // the write's kind; n samples of 0 or more with their data; a known layout.
    static int32 check_write(const Task *t, Kind kind, int32 n, const void *data, bool32 layout);
    // When a task's finite run has all its samples (api_client.cpp).
    int64_t done_at(const Task &t);
    // The resolution of the smallest input range that holds min..max.
    static double ai_lsb(double min, double max);
    int32 read_on_demand(Task &t, int32 n, bool32 fill, float64 *arr, uInt32 size, int32 *done);

    // ---- the timed engine (engine.cpp) ----
    int32 begin_acquisition(Task &t, int64_t at);
    int32 begin_generation(Task &t, int64_t at);
    void arm(Task &t, int64_t at);
    void end_run(Task &t, int64_t at);
    void catch_up(int64_t now);
    void acquire_until(Task &t, int64_t until);
    bool scan_trigger(Task &t, int64_t until);
    uint64_t samples_by(const Task &t, int64_t time) const;
    int64_t time_of_sample(const Task &t, uint64_t count) const;
    int32 read_timed(Task &t, int32 n, float64 timeout, bool32 fill, float64 *arr, uInt32 size, int32 *done);

    // ---- the digital lines and the board (bench.cpp) ----
    void settle();
    void lines_to_input(uint32_t mask);
    void lines_drive(uint32_t mask, uint32_t levels);
    uint8_t chan_byte(const Chan &c) const;
    // A read of bus lines in a read cycle that nobody drives: a note for the trace.
    void note_undriven_read(const Chan &c);

    // ---- the analog wiring (wiring.cpp) ----
    double trigger_value(const std::string &source, int64_t t) const;
    // The line (pin bit) of PFI n: port 1's lines are PFI 0-7, port 2's PFI 8-15.
    static int pfi_line(int n) { return kLinesPerPort + n; }
    bool source_varies(const std::string &source) const;
    double quantise(const Chan &c, double volts);
    uint64_t next_random();

    void remember_error(int32 status, const std::string *task, bool device);

    std::shared_ptr<Clock> clock_;
    std::map<uint64_t, std::unique_ptr<Task>> tasks_;
    uint64_t next_id_ = 1;
    unsigned unnamed_ = 0;
    int slot_ = 2;
    std::string device_ = "PXI1Slot2";
    std::string product_type_ = kProductType;
    // What the bench's module reports of itself: a PXI-6251 in chassis 1 (its
    // serial number is the bench's own, an M Series module's 32 bits).
    static constexpr const char *kProductType = "PXI-6251";
    static constexpr uInt32 kSerialNumber = 0x01A5C3F1;
    static constexpr uInt32 kChassis = 1;
    bool is_device(const char *name) const;

    // Digital: the DAQ's drive and the resolved levels (pin bits).
    uint32_t daq_out_ = 0;
    uint32_t reserved_ = 0;  // lines held by running digital tasks
    uint32_t daq_levels_ = 0;
    uint32_t levels_ = 0;
    uint32_t contended_ = 0;
    long contention_ = 0;
    uint32_t board_drive_ = 0;   // the lines the board drove at the last settle
    bool undriven_noted_ = false;  // this read cycle's undriven bus is in the notes
    std::unique_ptr<BoardSocket> board_ = BoardSocket::model();
    AvalonDecoder bus_;  // the bus as the VCD shows it, decoded from the lines

    // Analog outputs: the level held, and the task generating on each.
    double ao_value_[kAoChannels] = {0, 0};
    Task *ao_gen_[kAoChannels] = {nullptr, nullptr};
    Task *ai_owner_ = nullptr;     // the AI task running on the one ADC
    Task *ao_timed_ = nullptr;     // the one hardware-timed AO task running
    Task *trig_owner_ = nullptr;   // the task holding the one analog trigger circuit
    double drive_ai_[kAiChannels];
    double apfi_[2] = {0, 0};

    uint32_t seed_ = 0;
    uint64_t rng_ = 0;
    long calls_ = 0;
    Faults faults_;
    Vcd vcd_;
    Vcd::Layout vcd_layout_ = Vcd::Layout::Vectors;
    bool in_call_ = false;
    int64_t call_now_ = 0;     // the time within the call in progress
    std::string notes_;        // the notes of the call in progress or the last one
    int64_t call_began_ = 0;
    int64_t implicit_ns_ = 0;  // the implicit start and stop of the call in progress

    // The last error: for DAQmxGetExtendedErrorInfo.
    int32 last_error_ = 0;
    std::string last_error_task_;
    bool last_error_device_ = false;
};

}  // namespace sim
