#include "app/cli/bus_commands.h"

#include <algorithm>
#include <optional>
#include <chrono>
#include <cstdio>
#include <ostream>

#include "base/atomic_file.h"
#include "avalon/avalon.h"
#include "avalon/avalon_block.h"
#include "app/cli/progress.h"
#include "base/platform.h"
#include "base/stop_signals.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

namespace app::cli {

namespace {

// Words per block call: the progress bar moves between blocks.
constexpr unsigned kChunk = 256;

std::string at(unsigned slave, unsigned address)
{
    return "slave " + std::to_string(slave) + " address " + hex(address, 4);
}

}  // namespace

Interrupted::Interrupted(int sig, unsigned at, size_t done)
    : signal(sig), address(at), words(done), text("stopped at " + hex(at, 4))
{
}

std::string count_text(size_t n)
{
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return digits;
}

void Session::check_stop(unsigned address, size_t done) const
{
    if (!interruptible) return;
    if (between_blocks) between_blocks(address, done);
    if (int sig = stop_requested()) throw Interrupted(sig, address, done);
}

std::string hex(unsigned value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, value);
    return buf;
}

Session::Session(std::ostream &o, std::ostream &e)
    : out(o), err(e), bench_now([] {
          return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
      }),
      stop_requested(base::stop::requested)
{
}

void Session::prepare()
{
    if (prepared_) return;
    prepared_ = true;
    if (first_use) first_use();
    int status = vekta_ni6251Slot(kDaqSlot);
    vekta_report(status);
    if (status < 0) throw BusFailure("cannot select the DAQ module in PXI slot " + std::to_string(kDaqSlot));
    avalonInit();
    if (vekta_GetLastError() < 0) throw BusFailure("cannot set the digital ports up for the bus");
}

std::vector<uint16_t> Session::read(unsigned slave, unsigned address, unsigned count, const std::string &label,
                                    Progress *outer, size_t base)
{
    prepare();
    std::vector<uint16_t> words(count);
    std::optional<Progress> own;
    if (!outer) own.emplace(err, err_is_terminal, label, count, bench_now);
    Progress &bar = outer ? *outer : *own;
    for (unsigned done = 0; done < count;) {
        check_stop(address + done, done);
        const unsigned n = std::min(kChunk, count - done);
        const int got = avalonReadBlock(static_cast<unsigned char>(slave), static_cast<unsigned short>(address + done),
                                        words.data() + done, static_cast<int>(n));
        done += static_cast<unsigned>(got);
        bar.update(base + done);
        if (static_cast<unsigned>(got) < n) {
            bar.finish();
            throw BusFailure("read cycle failed at " + at(slave, address + done) + " (" + std::to_string(done) +
                             " of " + std::to_string(count) + " words read)");
        }
    }
    return words;
}

void Session::write(unsigned slave, unsigned address, const std::vector<uint16_t> &words, const std::string &label,
                    Progress *outer, size_t base)
{
    prepare();
    const unsigned count = static_cast<unsigned>(words.size());
    std::optional<Progress> own;
    if (!outer) own.emplace(err, err_is_terminal, label, count, bench_now);
    Progress &bar = outer ? *outer : *own;
    for (unsigned done = 0; done < count;) {
        check_stop(address + done, done);
        const unsigned n = std::min(kChunk, count - done);
        const int got = avalonWriteBlock(static_cast<unsigned char>(slave), static_cast<unsigned short>(address + done),
                                         words.data() + done, static_cast<int>(n));
        done += static_cast<unsigned>(got);
        bar.update(base + done);
        if (static_cast<unsigned>(got) < n) {
            bar.finish();
            std::string written = done ? "; " + hex(address, 4) + ".." + hex(address + done - 1, 4) + " written"
                                       : "; nothing written before it";
            throw BusFailure("write cycle failed at " + at(slave, address + done) + written + ", stopped there");
        }
    }
}

void Session::verify(unsigned slave, unsigned address, const std::vector<uint16_t> &words, Progress *bar,
                     size_t base)
{
    std::vector<uint16_t> back = read(slave, address, static_cast<unsigned>(words.size()), "verify", bar, base);
    auto diff = std::mismatch(words.begin(), words.end(), back.begin());
    if (diff.first == words.end()) return;
    const unsigned where = address + static_cast<unsigned>(diff.first - words.begin());
    throw BusFailure("verify failed at " + at(slave, where) + ": wrote " + hex(*diff.first, 4) + ", read " +
                     hex(*diff.second, 4));
}

std::string Session::word_line(unsigned address, uint16_t word) const
{
    if (decimal) return std::to_string(address) + " " + std::to_string(word);
    return hex(address, 4) + " " + hex(word, 4);
}

unsigned parse_slave(const std::string &text)
{
    return static_cast<unsigned>(parse_number(text, kSlaveMax, "slave"));
}

unsigned parse_address(const std::string &text)
{
    return static_cast<unsigned>(parse_number(text, kAddressSpace - 1, "address"));
}

uint16_t parse_word(const std::string &text)
{
    return static_cast<uint16_t>(parse_number(text, 0xFFFF, "word"));
}

unsigned parse_count(const std::string &text, unsigned address)
{
    const unsigned count = static_cast<unsigned>(parse_number(text, kAddressSpace, "count"));
    if (count == 0) throw UsageError("count 0: nothing to do");
    if (address + count > kAddressSpace)
        throw UsageError("count " + text + " from address " + hex(address, 4) + " runs past the last address " +
                         hex(kAddressSpace - 1, 4));
    return count;
}

std::string how_far(const std::string &what, const Interrupted &e, size_t before, size_t total)
{
    return what + " stopped at " + hex(e.address, 4) + " after " + count_text(before + e.words) + " words (of " +
           count_text(total) + ")";
}

void bus_read(Session &s, unsigned slave, unsigned address, unsigned count)
{
    std::vector<uint16_t> words;
    try {
        words = s.read(slave, address, count, "read");
    } catch (Interrupted &e) {
        e.say(how_far("read", e, 0, count) + "; nothing printed");
        throw;
    }
    for (unsigned i = 0; i < count; i++) s.out << s.word_line(address + i, words[i]) << '\n';
    s.out.flush();
}

void bus_write(Session &s, unsigned slave, unsigned address, const std::vector<uint16_t> &words, bool verify)
{
    if (address + words.size() > kAddressSpace)
        throw UsageError(std::to_string(words.size()) + " words from address " + hex(address, 4) +
                         " run past the last address " + hex(kAddressSpace - 1, 4));
    Progress bar(s.err, s.err_is_terminal, verify ? "write+verify" : "write", words.size() * (verify ? 2 : 1),
                 s.bench_now);
    try {
        s.write(slave, address, words, "write", &bar);
    } catch (Interrupted &e) {
        e.say(how_far("write", e, 0, words.size()));
        throw;
    }
    if (!verify) return;
    try {
        s.verify(slave, address, words, &bar, words.size());
    } catch (Interrupted &e) {
        e.say("all " + count_text(words.size()) + " words written; " + how_far("the read-back", e, 0, words.size()));
        throw;
    }
    // What was checked, as a failure would say what was not.
    s.out << count_text(words.size()) << (words.size() == 1 ? " word" : " words") << " written and verified\n";
    s.out.flush();
}

void bus_dump(Session &s, unsigned slave, unsigned address, unsigned count, const std::string &path,
              std::vector<uint16_t> *kept)
{
    // The file is started before the bus is worked: one that cannot be
    // written is refused first. It replaces the old file only when whole.
    base::AtomicFile file;
    if (path != "-" && !file.open(path)) throw UsageError(file.error());
    std::vector<uint16_t> words;
    try {
        words = s.read(slave, address, count, "dump");
    } catch (Interrupted &e) {
        e.say(how_far("dump", e, 0, count) + "; " + (path == "-" ? "nothing written" : path + " not written"));
        throw;
    }
    const std::string bytes = is_hex_name(path) ? write_intel_hex(words) : write_binary(words);
    if (path == "-") {
        s.out.flush();
        base::platform::set_binary(1);  // the bytes as they are (Windows would write 0x0A as 0x0D 0x0A)
        s.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush();
    }
    else if (!file.write(bytes) || !file.commit())
        throw BusFailure(file.error());
    if (kept) *kept = std::move(words);
}

void bus_load(Session &s, unsigned slave, unsigned address, const std::string &path, bool verify,
              const std::string &format)
{
    const std::string name = path == "-" ? "standard input" : path;
    const Image image = [&] {
        // Standard input that never ends must not hold up a stop.
        base::stop::Reading interruptible;
        try {
            return read_words(path, format);
        } catch (const UsageError &) {
            // The read was cut short by the stop, not by a fault of the file.
            if (int sig = s.stop_requested()) throw Interrupted(sig, "load stopped while reading " + name + "; nothing written");
            throw;
        }
    }();
    if (image.size() == 0) throw UsageError(name + " holds no words");
    if (address + image.end() > kAddressSpace)
        throw UsageError(name + ": " + std::to_string(image.end()) + " words from address " + hex(address, 4) +
                         " run past the slave's last address " + hex(kAddressSpace - 1, 4));
    // One bar for the whole load: every run written, then every run read back.
    Progress bar(s.err, s.err_is_terminal, verify ? "load+verify" : "load", image.size() * (verify ? 2 : 1),
                 s.bench_now);
    size_t done = 0;
    for (const Run &run : image.runs) {
        try {
            s.write(slave, address + run.first, run.words, "load", &bar, done);
        } catch (Interrupted &e) {
            e.say(how_far("load", e, done, image.size()));
            throw;
        }
        done += run.words.size();
    }
    if (!verify) return;
    size_t checked = 0;
    for (const Run &run : image.runs) {
        try {
            s.verify(slave, address + run.first, run.words, &bar, done + checked);
        } catch (Interrupted &e) {
            e.say("all " + count_text(done) + " words written; " + how_far("the read-back", e, checked, done));
            throw;
        }
        checked += run.words.size();
    }
    // What was checked, as write --verify says it.
    s.out << count_text(done) << (done == 1 ? " word" : " words") << " of " << name << " loaded and verified";
    if (image.runs.size() > 1) s.out << " (" << image.runs.size() << " runs)";
    s.out << "\n";
    s.out.flush();
}

}  // namespace app::cli
