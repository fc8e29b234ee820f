#include "bus_commands.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <chrono>
#include <cstdio>
#include <ostream>

#include "avalon.h"
#include "avalon_block.h"
#include "progress.h"
#include "vekta.h"
#include "vekta_report.h"

namespace korvane::cli {

namespace {

// Words per block call: the progress bar moves between blocks.
constexpr unsigned kChunk = 256;

std::string at(unsigned slave, unsigned address)
{
    return "slave " + std::to_string(slave) + " address " + hex(address, 4);
}

}  // namespace

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
      })
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

void bus_read(Session &s, unsigned slave, unsigned address, unsigned count)
{
    std::vector<uint16_t> words = s.read(slave, address, count, "read");
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
    s.write(slave, address, words, "write", &bar);
    if (verify) s.verify(slave, address, words, &bar, words.size());
}

void bus_dump(Session &s, unsigned slave, unsigned address, unsigned count, const std::string &path)
{
    if (path != "-") {
        // Refused before the bus is worked: a file that could not be written.
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path folder = fs::path(path).has_parent_path() ? fs::path(path).parent_path() : fs::path(".");
        if (fs::is_directory(path, ec)) throw UsageError("cannot write " + path + ": it is a folder");
        if (!fs::is_directory(folder, ec) || ::access(folder.c_str(), W_OK) != 0)
            throw UsageError("cannot write " + path + ": no folder " + folder.string() + " to write in");
    }
    std::vector<uint16_t> words = s.read(slave, address, count, "dump");
    const std::string bytes = is_hex_name(path) ? write_intel_hex(words) : write_binary(words);
    if (!write_file(path, bytes)) throw BusFailure("cannot write " + path);
}

void bus_load(Session &s, unsigned slave, unsigned address, const std::string &path, bool verify,
              const std::string &format)
{
    const Image image = read_words(path, format);
    const std::string name = path == "-" ? "standard input" : path;
    if (image.size() == 0) throw UsageError(name + " holds no words");
    if (address + image.end() > kAddressSpace)
        throw UsageError(name + ": " + std::to_string(image.end()) + " words from address " + hex(address, 4) +
                         " run past the slave's last address " + hex(kAddressSpace - 1, 4));
    // One bar for the whole load: every run written, then every run read back.
    Progress bar(s.err, s.err_is_terminal, verify ? "load+verify" : "load", image.size() * (verify ? 2 : 1),
                 s.bench_now);
    size_t done = 0;
    for (const Run &run : image.runs) {
        s.write(slave, address + run.first, run.words, "load", &bar, done);
        done += run.words.size();
    }
    if (verify)
        for (const Run &run : image.runs) {
            s.verify(slave, address + run.first, run.words, &bar, done);
            done += run.words.size();
        }
}

}  // namespace korvane::cli
