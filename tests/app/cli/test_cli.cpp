// korvane's subcommands in-process on the simulated bench: whole command
// lines through the parser and the runner, the bench's back door to inject
// faults and to look at the board.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "sim/device/ksim_client.h"
#include "app/panel/options.h"
#include "app/cli/progress.h"
#include "app/cli/word_files.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out, err;
};

class Cli : public ::testing::Test {
protected:
    const sim::BackDoor *bench = nullptr;
    fs::path dir;

    void SetUp() override
    {
        driver::select("sim");
        bench = sim::bench();
        ASSERT_NE(bench, nullptr) << driver::info().description();
        bench->reset();
        vekta_resetState();
        dir = fs::temp_directory_path() / ("korvane_cli_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        if (bench) bench->fault_clear();
        fs::remove_all(dir);
    }

    std::string path(const std::string &name) const { return (dir / name).string(); }

    Outcome korvane(std::vector<std::string> args)
    {
        args.insert(args.begin(), "korvane");
        std::vector<const char *> argv;
        for (const auto &a : args) argv.push_back(a.c_str());
        argv.push_back(nullptr);
        app::panel::Options opt;
        std::ostringstream out, err;
        Outcome o{app::panel::parse_options(static_cast<int>(args.size()), argv.data(), opt, out, err), "", ""};
        if (o.status != app::panel::KEEP_GOING) return {o.status, out.str(), err.str()};
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        o.status = app::cli::run(*opt.command, {opt.trace, opt.vcd});
        o.out = ::testing::internal::GetCapturedStdout();
        o.err = ::testing::internal::GetCapturedStderr();
        return o;
    }

    // korvane with a file as its standard input (the descriptor, as a pipe would be).
    Outcome with_stdin(const std::string &file, std::vector<std::string> args)
    {
        const int saved = ::dup(STDIN_FILENO), fd = ::open(file.c_str(), O_RDONLY);
        EXPECT_GE(fd, 0) << file;
        ::dup2(fd, STDIN_FILENO);
        ::close(fd);
        Outcome o = korvane(std::move(args));
        ::dup2(saved, STDIN_FILENO);
        ::close(saved);
        return o;
    }

    unsigned reg(int slave, int address) const
    {
        unsigned w = 0;
        EXPECT_EQ(bench->probe_reg(slave, address, &w), 0);
        return w;
    }
};

std::string slurp(const std::string &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void spit(const std::string &p, const std::string &bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string random_words(size_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string bytes(count * 2, '\0');
    for (char &c : bytes) c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

int lines(const std::string &text)
{
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// The whole memory through a binary and an Intel HEX file: what is loaded
// comes back out identical, and a dump costs at most one read cycle's 16
// driver calls per word.
TEST_F(Cli, LoadAndDumpTheWholeMemoryInBothFormats)
{
    const std::string original = random_words(8192, 7);
    spit(path("in.bin"), original);
    Outcome o = korvane({"--daq", "sim", "bus", "load", "0", "0", path("in.bin"), "--verify"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "8,192 words of " + path("in.bin") + " loaded and verified\n");

    const long before = bench->driver_calls();
    o = korvane({"--daq", "sim", "bus", "dump", "0", "0", "8192", "-o", path("out.bin")});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_LE(bench->driver_calls() - before, 16L * 8192);
    EXPECT_EQ(slurp(path("out.bin")), original);

    o = korvane({"--daq", "sim", "bus", "dump", "0", "0", "8192", "-o", path("out.hex")});
    ASSERT_EQ(o.status, 0) << o.err;
    spit(path("other.bin"), random_words(8192, 8));
    ASSERT_EQ(korvane({"--daq", "sim", "bus", "load", "0", "0", path("other.bin")}).status, 0);
    o = korvane({"--daq", "sim", "bus", "load", "0", "0", path("out.hex")});
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_EQ(korvane({"--daq", "sim", "bus", "dump", "0", "0", "8192", "-o", path("again.bin")}).status, 0);
    EXPECT_EQ(slurp(path("again.bin")), original);

    // A window of it, as the user reads it.
    o = korvane({"--daq", "sim", "bus", "read", "0", "0x1FFE", "2"});
    ASSERT_EQ(o.status, 0) << o.err;
    char expect[64];
    std::snprintf(expect, sizeof expect, "0x1FFE 0x%02X%02X\n0x1FFF 0x%02X%02X\n",
                  static_cast<unsigned char>(original[16381]), static_cast<unsigned char>(original[16380]),
                  static_cast<unsigned char>(original[16383]), static_cast<unsigned char>(original[16382]));
    EXPECT_EQ(o.out, expect);
    o = korvane({"--daq", "sim", "bus", "read", "--format", "dec", "0", "8191"});
    EXPECT_EQ(o.out, "8191 " + std::to_string(reg(0, 8191)) + "\n");
}

// A failing driver call stops the transfer at its word and names it; words
// before it are on the board, none after it.
TEST_F(Cli, AFailedCycleStopsAtItsAddress)
{
    spit(path("in.bin"), random_words(1000, 3));
    // The fourth word's data: a block takes the strobes and the data ports
    // with a write each, then writes six times a word (the first word's
    // address is written as the data ports are taken).
    ASSERT_EQ(bench->fault("DAQmxWriteDigitalU8", nullptr, -200279, 2 + 5 + 6 * 2 + 4, 0), 0);
    Outcome o = korvane({"--daq", "sim", "bus", "load", "0", "100", path("in.bin")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Error = -200279"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("write cycle failed at slave 0 address 0x0067"), std::string::npos) << o.err;
    EXPECT_NE(reg(0, 102), 0u);
    EXPECT_EQ(reg(0, 104), 0u);

    // --verify: the read-back of word 500 fails (one read of both data ports a word).
    bench->reset();
    vekta_resetState();
    ASSERT_EQ(bench->fault("DAQmxReadDigitalU8", nullptr, -200279, 500 + 1, 0), 0);
    o = korvane({"--daq", "sim", "bus", "load", "0", "100", path("in.bin"), "--verify"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("read cycle failed at slave 0 address 0x0258"), std::string::npos) << o.err;

    // A word that reads back different: the board's own logic changes it.
    bench->reset();
    vekta_resetState();
    o = korvane({"--daq", "sim", "bus", "write", "2", "0", "0xFFFF", "--verify"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("verify failed at slave 2 address 0x0000: wrote 0xFFFF, read 0x0007"), std::string::npos) << o.err;
}

// An Intel HEX record: count, offset, type, data and its checksum.
std::string hex_record(unsigned offset, unsigned type, const std::vector<int> &data)
{
    std::vector<int> bytes = {static_cast<int>(data.size()), static_cast<int>(offset >> 8 & 0xFF),
                              static_cast<int>(offset & 0xFF), static_cast<int>(type)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    int sum = 0;
    for (int b : bytes) sum += b;
    bytes.push_back((0x100 - (sum & 0xFF)) & 0xFF);
    static const char digits[] = "0123456789ABCDEF";
    std::string line = ":";
    for (int b : bytes) line += {digits[b >> 4 & 15], digits[b & 15]};
    return line + "\n";
}

const std::string kHexEnd = ":00000001FF\n";

// Bad input: status 2, one clear line (with what it says, where given), and
// not one driver call. Files that are no files, or too large, are refused
// without being read whole.
TEST_F(Cli, BadInputIsRefusedBeforeTheFirstBusCycle)
{
    spit(path("odd.bin"), "abc");
    spit(path("big.bin"), random_words(100, 1));
    spit(path("cut.hex"), ":10000000000102030405060708090A0B0C0D0E0F78\n:0400100001020304\n:00000001FF\n");
    spit(path("half.hex"), ":0100000041BE\n:00000001FF\n");
    // One data byte changed, the checksum kept: the file is corrupted.
    spit(path("sum.hex"), ":0400100001020305E2\n" + kHexEnd);
    spit(path("overlap.hex"), hex_record(0x10, 0, {1, 2, 3, 4}) + hex_record(0x20, 0, {5, 6}) +
                                  hex_record(0x12, 0, {3, 9}) + kHexEnd);
    spit(path("eof_data.hex"), hex_record(0, 0, {1, 2}) + hex_record(0, 1, {0, 0}));
    // A linear base of 0x10000 bytes: past the bus's 0x10000 words.
    spit(path("linear.hex"), hex_record(0, 4, {0, 2}) + hex_record(0, 0, {1, 2}) + kHexEnd);
    // Sparse: two words, but the second 200 words on; from 8000 it runs past 8191.
    spit(path("sparse.hex"), hex_record(0, 0, {1, 0}) + hex_record(400, 0, {2, 0}) + kHexEnd);
    spit(path("keys.toml"), "[[fixed]]\ninput = \"ai5\"\nvolts = 2.5\ntolerance = 0.01\nwired = true\n");
    spit(path("lacks.toml"), "[[dac]]\nchannel = 0\ncode = 9\ninput = \"ai8\"\ntolerance = 0.01\n");
    spit(path("device.toml"), "[device]\nproduct_type = 6251\n");
    spit(path("huge_slave.toml"), "[[memory]]\nslave = 1e308\nwords = 16\n");
    spit(path("empty.toml"), "# nothing wired\n");
    spit(path("escape.toml"), "[[fixed]]\n\"in\\u001b[31mput\\nx\" = 1\n");
    // 2^32 + 5 in a field of a whole state: 5 once it wraps.
    std::string wrapped;
    {
        const sim::BackDoor &b = *bench;
        std::string state(b.board_state(nullptr, 0), '\0');
        b.board_state(state.data(), state.size());
        state.pop_back();
        const size_t at = state.find("dac-control 0\n");
        ASSERT_NE(at, std::string::npos) << state;
        wrapped = state.substr(0, at) + "dac-control 4294967301\n" + state.substr(at + 14);
        spit(path("wrapped.state"), wrapped);
    }
    // Larger than korvane reads (27 MB, sparse on disk).
    spit(path("huge.hex"), ":");
    fs::resize_file(path("huge.hex"), 27u << 20);
    fs::copy_file(path("huge.hex"), path("huge.toml"));
    fs::copy_file(path("huge.hex"), path("huge.state"));
    fs::copy_file(path("huge.hex"), path("huge.txt"));
    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Row {
        std::vector<std::string> args;
        std::string says;  // inside the line; "" for any
    };
    const std::vector<Row> rows = {
        {{"bus", "read", "0", "8192"}, ""},
        {{"bus", "read", "0", "8000", "200"}, ""},
        {{"bus", "read", "8", "0"}, ""},
        {{"bus", "read", "0", "0", "0"}, ""},
        {{"bus", "read", "0", "ten"}, ""},
        {{"bus", "write", "0", "0", "1", "0x10000"}, ""},
        {{"bus", "write", "0", "8191", "1", "2"}, ""},
        {{"bus", "dump", "0", "0", "8193", "-o", path("x.bin")}, ""},
        {{"bus", "dump", "0", "0", "16", "-o", path("no/such/folder.bin")}, ""},
        {{"bus", "load", "0", "0", path("missing.bin")}, ""},
        {{"bus", "load", "0", "0", dir.string()}, ": a folder"},
        {{"bus", "load", "0", "0", path("odd.bin")}, ""},
        {{"bus", "load", "0", "8100", path("big.bin")}, ""},
        {{"bus", "load", "0", "0", path("cut.hex")}, "cut.hex:2: truncated"},
        {{"bus", "load", "0", "0", path("half.hex")}, ""},
        {{"bus", "load", "0", "0", path("sum.hex"), "--verify"}, "sum.hex:1: Intel HEX record with a wrong checksum"},
        {{"bus", "load", "0", "0", path("overlap.hex")},
         "overlap.hex:3: overlaps line 1 with other data at byte offset 0x13"},
        {{"bus", "load", "0", "0", path("eof_data.hex")}, "eof_data.hex:2: end-of-file record carrying data"},
        {{"bus", "load", "0", "0", path("linear.hex")}, "linear.hex:2: data beyond the bus's address space"},
        {{"bus", "load", "0", "8000", path("sparse.hex")}, "201 words from address 0x1F40 run past"},
        {{"bus", "load", "0", "0", path("huge.hex")}, "huge.hex: more than 1 MiB"},
        {{"bus", "load", "0", "0", "/dev/zero"}, "/dev/zero: a device"},
        {{"bus", "load", "0", "0", fifo}, "fifo: a FIFO"},
        {{"bus", "run", "/dev/zero"}, "/dev/zero: a device"},
        {{"bus", "run", fifo}, "fifo: a FIFO"},
        {{"bus", "run", dir.string()}, ": a folder"},
        {{"bus", "run", path("huge.txt")}, "more than 1 MiB"},
        {{"bus", "regs", "--watch", "nan"}, "--watch needs a positive number of seconds, not nan"},
        {{"bus", "regs", "--watch", "inf"}, "--watch needs a positive number"},
        {{"bus", "regs", "--watch", "0"}, "--watch needs a positive number"},
        {{"bus"}, ""},
        {{"bus", "read", "0"}, ""},
        {{"--sim-state", "/dev/zero", "bus", "read", "0", "0"}, "/dev/zero: a device"},
        {{"--sim-state", fifo, "bus", "read", "0", "0"}, "fifo: a FIFO"},
        {{"--sim-state", dir.string(), "bus", "read", "0", "0"}, ": a folder"},
        {{"--sim-state", path("huge.state"), "bus", "read", "0", "0"}, "more than 1 MiB"},
        {{"--sim-state", path("wrapped.state"), "bus", "read", "0", "0"},
         "wrapped.state:2: not a line of a simulated board's state"},
        {{"selftest", "--wiring", path("keys.toml")}, "keys.toml:5: unknown key"},
        {{"selftest", "--wiring", path("lacks.toml")}, ""},
        {{"selftest", "--wiring", path("missing.toml")}, ""},
        {{"selftest", "--wiring", path("huge_slave.toml")}, "huge_slave.toml:2: slave must be a whole number"},
        {{"selftest", "--wiring", path("empty.toml")}, "empty.toml: no checks"},
        {{"selftest", "--wiring", path("escape.toml")}, "unknown key \"in\\x1B[31mput\\nx\" in [[fixed]]"},
        {{"selftest", "--wiring", "/dev/zero"}, "/dev/zero: a device"},
        {{"selftest", "--wiring", fifo}, "fifo: a FIFO"},
        {{"selftest", "--wiring", path("huge.toml")}, "more than 1 MiB"},
        {{"selftest", "--wiring", path("device.toml")}, ""},
    };
    for (Row row : rows) {
        row.args.insert(row.args.begin(), {"--daq", "sim"});
        const long before = bench->driver_calls();
        Outcome o = korvane(row.args);
        std::string line;
        for (const std::string &a : row.args) line += a + " ";
        EXPECT_EQ(o.status, 2) << line << ": " << o.err;
        EXPECT_EQ(lines(o.err), 1) << line << ": " << o.err;
        EXPECT_NE(o.err.find(row.says), std::string::npos) << line << ": " << o.err;
        EXPECT_EQ(o.err.find('\x1b'), std::string::npos) << line;
        EXPECT_EQ(bench->driver_calls(), before) << line;
    }
    EXPECT_EQ(slurp(path("wrapped.state")), wrapped) << "a state refused is left as it is";
}

// The shell runs the bus commands on one board; the register view reads it
// and decodes it from the register table.
TEST_F(Cli, RegsInTheShellShowADacWriteAsCodeAndVolts)
{
    std::istringstream input("write 2 0 5\n# the code of channel 1\nwrite 2 3 0xC8\nread 2 99999\nregs\nquit\nread 0 0\n");
    std::streambuf *stdin_buf = std::cin.rdbuf(input.rdbuf());
    Outcome o = korvane({"--daq", "sim", "bus", "shell"});
    std::cin.rdbuf(stdin_buf);
    ASSERT_EQ(o.status, 1) << o.err;  // the line that failed
    EXPECT_NE(o.err.find("korvane: address 99999 is outside"), std::string::npos) << o.err;
    EXPECT_EQ(o.out.find("0x0000 0x"), std::string::npos) << "a line after quit ran";
    EXPECT_NE(o.out.find("DAC_CONTROL  2      0x00   0x0005  CH0=1 CH1=0 REF=1\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("DAC_CODE1    2      0x03   0x00C8  200 = 2.5882 V\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("DAC_CODE0    2      0x02   0x0000  0 = 0.0000 V\n"), std::string::npos) << o.out;
}

// Intel HEX address records: a segment base (02) counts in 16 bytes, a linear
// one (04) in 64 KiB and a later one replaces it; offsets count from the load
// address. Standard input has no name: it is HEX when it begins with ':',
// unless --format says otherwise.
TEST_F(Cli, IntelHexAddressRecordsAndStandardInput)
{
    // 02 0x0010: byte 0x100 + 0x10, word 0x88; 04 0: back to 0, word 0x10; 02 0x0002: byte 0x20 + 6, word 0x13.
    const std::string hex = hex_record(0, 2, {0x00, 0x10}) + hex_record(0x10, 0, {0x34, 0x12}) +
                            hex_record(0, 4, {0x00, 0x00}) + hex_record(0x20, 0, {0x78, 0x56}) +
                            hex_record(0, 2, {0x00, 0x02}) + hex_record(0x06, 0, {0xBC, 0x9A}) + kHexEnd;
    spit(path("based.hex"), hex);
    Outcome o = korvane({"--daq", "sim", "bus", "load", "0", "0x100", path("based.hex"), "--verify"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "3 words of " + path("based.hex") + " loaded and verified (3 runs)\n");
    EXPECT_EQ(reg(0, 0x100 + 0x88), 0x1234u);
    EXPECT_EQ(reg(0, 0x100 + 0x10), 0x5678u);
    EXPECT_EQ(reg(0, 0x100 + 0x13), 0x9ABCu);

    spit(path("stdin.txt"), hex);
    bench->reset();
    vekta_resetState();
    o = with_stdin(path("stdin.txt"), {"--daq", "sim", "bus", "load", "0", "0x200", "-"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(reg(0, 0x200 + 0x88), 0x1234u);
    // Taken as binary when told: the record's first two characters are the first word.
    o = with_stdin(path("stdin.txt"), {"--daq", "sim", "bus", "load", "--format", "bin", "0", "0", "-"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(reg(0, 0), static_cast<unsigned>(':' | '0' << 8));
    // A file named .hex given as binary: 2 bytes, one word.
    spit(path("two.hex"), "\x01\x02");
    o = korvane({"--daq", "sim", "bus", "load", "--format", "bin", "0", "7", path("two.hex")});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(reg(0, 7), 0x0201u);
}

// The Intel HEX reader's last byte offset (0x1FFFF, past the bus's last word)
// is taken; a record that runs one byte further is refused naming that byte.
TEST_F(Cli, IntelHexStopsAtTheFirstBytePastItsLimit)
{
    spit(path("last.hex"), hex_record(0, 4, {0x00, 0x01}) + hex_record(0xFFFE, 0, {1, 2}) + kHexEnd);
    EXPECT_EQ(app::cli::read_words(path("last.hex")).end(), 0x10000u);
    spit(path("past.hex"), hex_record(0, 4, {0x00, 0x01}) + hex_record(0xFFFE, 0, {1, 2, 3}) + kHexEnd);
    try {
        app::cli::read_words(path("past.hex"));
        ADD_FAILURE() << "a byte past the limit was taken";
    } catch (const app::cli::UsageError &e) {
        EXPECT_NE(std::string(e.what()).find("past.hex:2: data beyond the bus's address space (byte offset 0x20000)"),
                  std::string::npos)
            << e.what();
    }
}

#ifndef __SANITIZE_ADDRESS__  // the sanitizer reserves terabytes of address space
// 27 MB of Intel HEX at distinct addresses, named or piped in, is refused in
// bounded memory: the command runs in a child held to the address space the
// test has now plus 64 MiB (taking the whole file in, as a map of its bytes,
// needed some 900 MB).
TEST_F(Cli, HugeFilesAreRefusedInBoundedMemory)
{
    std::string hex;
    for (unsigned long at = 0; hex.size() < (27u << 20); at += 16) {
        if (at % 0x10000 == 0) hex += hex_record(0, 4, {static_cast<int>(at >> 24 & 0xFF), static_cast<int>(at >> 16 & 0xFF)});
        hex += hex_record(at & 0xFFFF, 0, std::vector<int>(16, 0x5A));
    }
    hex += kHexEnd;
    spit(path("huge.hex"), hex);
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    ASSERT_GT(pages, 0);
    const rlim_t bound = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (64u << 20);
    for (bool piped : {false, true}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (piped) ::dup2(fds[0], STDIN_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
            const rlimit limit{bound, bound};
            ::setrlimit(RLIMIT_AS, &limit);
            Outcome o = korvane({"--daq", "sim", "bus", "load", "0", "0", piped ? "-" : path("huge.hex")});
            ::_exit(o.status == 2 && o.err.find("more than 1 MiB") != std::string::npos ? 0 : 1);
        }
        ::close(fds[0]);
        if (piped) {
            // The child stops reading after 1 MiB: the rest goes nowhere.
            auto previous = std::signal(SIGPIPE, SIG_IGN);
            for (size_t at = 0; at < hex.size();) {
                const ssize_t n = ::write(fds[1], hex.data() + at, hex.size() - at);
                if (n <= 0) break;
                at += static_cast<size_t>(n);
            }
            std::signal(SIGPIPE, previous);
        }
        ::close(fds[1]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << (piped ? "piped" : "named") << ": " << status;
    }
}
#endif

// Command lines from a file or at the prompt: Windows line ends are taken,
// nothing is expanded (*, ~ and $HOME stay as written), a NUL byte refuses
// its line, and the shell's status says whether any line failed.
TEST_F(Cli, CommandLinesTakeWindowsLineEndsAndExpandNothing)
{
    spit(path("crlf.txt"), "write 0 5 0x1234   # a word\r\n# a comment\r\nread 0 5\t#and back\r\n");
    Outcome o = korvane({"--daq", "sim", "bus", "run", path("crlf.txt")});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "0x0005 0x1234\n");

    const std::string session =
        "read 0 9\r\nread 0 *\nread 0 ~\nread 0 $HOME\nwrite 0 6 1" + std::string(1, '\0') + " 2\nread 0 '6'\n" +
        "read 0 '#'\nread 0 6#7\n";
    for (bool failing : {true, false}) {
        std::istringstream input(failing ? session : "read 0 9\r\nwrite 0 6 7\n");
        std::streambuf *stdin_buf = std::cin.rdbuf(input.rdbuf());
        o = korvane({"--daq", "sim", "bus", "shell"});
        std::cin.rdbuf(stdin_buf);
        EXPECT_EQ(o.status, failing ? 1 : 0) << o.err;
        if (!failing) continue;
        EXPECT_EQ(o.out, "0x0009 0x0000\n0x0006 0x0000\n");
        for (const char *said : {"address \"*\" is not a number", "address \"~\" is not a number",
                                 "address \"$HOME\" is not a number", "the line holds a NUL byte",
                                 "address \"#\" is not a number", "address \"6#7\" is not a number"})
            EXPECT_NE(o.err.find(said), std::string::npos) << said << ": " << o.err;
    }
}

// The failing rows of a self-test, by the name of their check.
std::vector<std::string> failing(const std::string &out)
{
    std::vector<std::string> rows;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.size() > 4 && line.compare(line.size() - 4, 4, "FAIL") == 0) rows.push_back(line.substr(0, line.find("  ")));
    return rows;
}

// The self-test passes on a sound bench and leaves the memory as it was; a
// fault injected on the bench fails exactly the checks that see it.
TEST_F(Cli, SelftestFailsExactlyTheChecksAFaultConcerns)
{
    ASSERT_EQ(bench->poke_reg(0, 1234, 0xBEEF), 0);
    Outcome o = korvane({"--daq", "sim", "selftest"});
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_EQ(failing(o.out), std::vector<std::string>{});
    EXPECT_NE(o.out.find("11 checks: 11 passed, 0 failed"), std::string::npos) << o.out;
    EXPECT_EQ(reg(0, 1234), 0xBEEFu);

    ASSERT_EQ(bench->drive("adc-stuck", 1), 0);
    o = korvane({"--daq", "sim", "selftest"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(failing(o.out), (std::vector<std::string>{"DAC0 code 128 -> ADC0", "DAC1 code 128 -> ADC1"})) << o.out;
    ASSERT_EQ(bench->drive("adc-stuck", 0), 0);

    ASSERT_EQ(bench->drive("dac1-off", 1), 0);
    o = korvane({"--daq", "sim", "selftest"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(failing(o.out), (std::vector<std::string>{"DAC1 code 128 -> AI3", "DAC1 code 128 -> ADC1"})) << o.out;
    EXPECT_NE(o.out.find("11 checks: 9 passed, 2 failed"), std::string::npos) << o.out;
}

// korvane devices: the driver's devices with their properties, korvane's
// marked, whatever the case of its name. A module NI MAX named otherwise is
// listed, not marked, and the hint says what to rename (status 1).
TEST_F(Cli, DevicesListsTheModulesAndNamesTheOneKorvaneUses)
{
    Outcome o = korvane({"--daq", "sim", "devices"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "device     product type  serial      chassis  slot\n"
                     "PXI1Slot2  PXI-6251      0x01A5C3F1  1        2     korvane uses this one\n");
    EXPECT_EQ(o.err, "");

    ASSERT_EQ(bench->set_device("Dev1", nullptr), 0);
    o = korvane({"--daq", "sim", "devices"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "device  product type  serial      chassis  slot\n"
                     "Dev1    PXI-6251      0x01A5C3F1  1        2\n");
    EXPECT_EQ(o.err, "korvane: no device PXI1Slot2; the driver has: Dev1 (PXI-6251, chassis 1 slot 2): rename it "
                     "PXI1Slot2 in NI MAX\n");

    // The driver's names are not case-sensitive: a module named in another
    // case is korvane's, and its channels answer to korvane's spelling.
    ASSERT_EQ(bench->set_device("pxi1slot2", nullptr), 0);
    o = korvane({"--daq", "sim", "devices"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "device     product type  serial      chassis  slot\n"
                     "pxi1slot2  PXI-6251      0x01A5C3F1  1        2     korvane uses this one\n");
    o = korvane({"--daq", "sim", "bus", "write", "0", "5", "0x1234", "--verify"});
    EXPECT_EQ(o.status, 0) << o.err;

    bench->fault("DAQmxGetSysDevNames", nullptr, -200397, 1, 0);
    o = korvane({"--daq", "sim", "devices"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("Error = -200397, ", 0), 0u) << o.err;
}

// A channel on a device the driver does not have: every report line as it
// was, and after the first, once, the hint naming the devices present.
TEST_F(Cli, AMissingDeviceGetsItsHintOnceAfterTheReport)
{
    ASSERT_EQ(bench->set_device("Dev1", "PXI-6221"), 0);
    Outcome o = korvane({"--daq", "sim", "bus", "read", "0", "0", "4"});
    EXPECT_EQ(o.status, 1);
    const std::string report = "\nError = -200220, Device identifier is invalid.\n";
    const size_t first = o.err.find(report);
    ASSERT_NE(first, std::string::npos) << o.err;
    const size_t after = first + report.size();
    const std::string hint = "no device PXI1Slot2; the driver has: Dev1 (PXI-6221, chassis 1 slot 2): none is a PXI-6251\n";
    EXPECT_EQ(o.err.compare(after, hint.size(), hint), 0) << o.err;
    EXPECT_EQ(o.err.find("no device", after + 1), std::string::npos) << "the hint came again: " << o.err;
    EXPECT_NE(o.err.find(report, after), std::string::npos) << "later reports stay as they are";
}

// The self-test names the device and refuses another product type than its
// description's before any line is touched; a description naming that type
// lets it run.
TEST_F(Cli, SelftestRefusesAnotherModuleBeforeTouchingALine)
{
    Outcome o = korvane({"--daq", "sim", "selftest"});
    EXPECT_EQ(o.out.rfind("device PXI1Slot2: PXI-6251, serial 0x01A5C3F1, chassis 1 slot 2\n", 0), 0u) << o.out;

    ASSERT_EQ(bench->set_device(nullptr, "PXI-6221"), 0);
    bench->trace_capture(1);
    bench->trace_clear();
    o = korvane({"--daq", "sim", "selftest"});
    const std::string trace = bench->trace();
    bench->trace_capture(0);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "korvane: PXI1Slot2 is a PXI-6221, the wiring file is for a PXI-6251; no line touched\n");
    EXPECT_EQ(o.out, "device PXI1Slot2: PXI-6221, serial 0x01A5C3F1, chassis 1 slot 2\n");
    EXPECT_EQ(trace.find("DAQmxCreate"), std::string::npos) << trace;
    EXPECT_NE(trace.find("DAQmxGetDevProductType(\"PXI1Slot2\""), std::string::npos) << trace;

    std::string text = slurp(KORVANE_WIRING_TOML);
    const std::string want = "product_type = \"PXI-6251\"";
    ASSERT_NE(text.find(want), std::string::npos);
    spit(path("6221.toml"), text.replace(text.find(want), want.size(), "product_type = \"PXI-6221\""));
    o = korvane({"--daq", "sim", "selftest", "--wiring", path("6221.toml")});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("11 checks: 11 passed, 0 failed"), std::string::npos) << o.out;

    ASSERT_EQ(bench->set_device("Dev1", nullptr), 0);
    o = korvane({"--daq", "sim", "selftest", "--wiring", path("6221.toml")});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("no device PXI1Slot2; the driver has: Dev1"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("korvane: the self-test needs the PXI-6221 it checks; no line touched\n"), std::string::npos)
        << o.err;
}

// The self-test sets its analog outputs back to 0 V after their loopback
// checks, and a check's name from the wiring file is shown escaped.
TEST_F(Cli, SelftestLeavesTheLoopbackOutputsAtZeroVolts)
{
    spit(path("loops.toml"), "[[loopback]]\noutput = \"ao0\"\ninput = \"ai0\"\nvolts = 3.0\ntolerance = 0.01\n"
                             "[[loopback]]\noutput = \"ao1\"\ninput = \"ai1\"\nvolts = -4.5\ntolerance = 0.01\n"
                             "[[fixed]]\nname = \"ref\\u001b[2J\"\ninput = \"ai5\"\nvolts = 2.5\ntolerance = 0.01\n");
    Outcome o = korvane({"--daq", "sim", "selftest", "--wiring", path("loops.toml")});
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.out.find("3 checks: 3 passed, 0 failed"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("AI5 ref\\x1B[2J "), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find('\x1b'), std::string::npos) << o.out;
    for (const char *output : {"ao0", "ao1"}) {
        double volts = 1.0;
        ASSERT_EQ(bench->probe(output, &volts), 0);
        EXPECT_EQ(volts, 0.0) << output;
    }
}

// --sim-state: a sequence of commands, each a new process (a bench from
// power-up), behaves as on one board; a file that is no state is refused
// and kept.
TEST_F(Cli, SimStateKeepsTheBoardBetweenCommands)
{
    const std::string state = path("board.state");
    Outcome o = korvane({"--daq", "sim", "--sim-state", state, "bus", "write", "0", "8191", "0xABCD"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err.find("power-up"), std::string::npos) << o.err;
    ASSERT_EQ(korvane({"--daq", "sim", "--sim-state", state, "bus", "write", "2", "2", "0x80"}).status, 0);
    ASSERT_EQ(korvane({"--daq", "sim", "--sim-state", state, "bus", "write", "2", "0x10", "3"}).status, 0);
    bench->reset();
    vekta_resetState();
    o = korvane({"--daq", "sim", "--sim-state", state, "bus", "read", "0", "8191"});
    EXPECT_EQ(o.out, "0x1FFF 0xABCD\n") << o.err;
    bench->reset();
    vekta_resetState();
    o = korvane({"--daq", "sim", "--sim-state", state, "bus", "regs"});
    EXPECT_NE(o.out.find("DAC_CODE0    2      0x02   0x0080  128 = 1.6565 V"), std::string::npos) << o.out;
    // Every bit the ADC init sets is named.
    EXPECT_NE(o.out.find("ADC_CONFIG   2      0x10   0x0003  CFG0=1 CFG1=1 IRQ_ON_DONE=0"), std::string::npos) << o.out;

    const std::string junk = path("junk.state");
    spit(junk, "korvane board state 1\nnot quite\n");
    const long before = bench->driver_calls();
    o = korvane({"--daq", "sim", "--sim-state", junk, "bus", "write", "0", "0", "1"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(lines(o.err), 1) << o.err;
    EXPECT_NE(o.err.find("junk.state:2: not a line of a simulated board's state as --sim-state writes it "
                         "(\"not quite\")"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(bench->driver_calls(), before);
    EXPECT_EQ(slurp(junk), "korvane board state 1\nnot quite\n");
}

// The bar shows on a terminal only, and only for work that takes more than a
// second of bench time; it ends with its line cleared.
TEST(Progress, OnlyForLongWorkOnATerminal)
{
    int64_t bench_ns = 0;
    auto clock = [&bench_ns] { return bench_ns; };
    for (bool terminal : {false, true})
        for (int64_t ns_per_word : {100'000, 200'000}) {
            std::ostringstream out;
            {
                app::cli::Progress bar(out, terminal, "dump", 8192, clock);
                for (size_t done = 1024; done <= 8192; done += 1024) {
                    bench_ns += 1024 * ns_per_word;
                    bar.update(done);
                }
            }
            const bool shown = terminal && ns_per_word * 8192 > 1'000'000'000;
            EXPECT_EQ(out.str().find("dump [###"), shown ? 0u + 1 : std::string::npos) << out.str();
            if (shown) {
                EXPECT_NE(out.str().find("]  87%  7168/8192 words  0:"), std::string::npos) << out.str();
                EXPECT_EQ(out.str().back(), '\r');
            }
        }
}

}  // namespace
