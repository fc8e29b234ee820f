// korvane as the operator runs it, in processes of its own, for what only
// processes show: several commands on one state file, a full disk, standard
// output that takes nothing, stop signals in the middle of a transfer. A
// stop comes at a known stage without a clock: korvane's trace goes into a
// FIFO that the test reads, so korvane waits for the test while it works.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void spit(const fs::path &p, const std::string &bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

std::string random_bytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string b(n, '\0');
    for (char &c : b) c = static_cast<char>(rng() & 0xFF);
    return b;
}

// One korvane process: its arguments and where its streams go.
struct Spawn {
    std::vector<std::string> args;
    std::vector<std::string> env;  // NAME=VALUE, besides the test's own
    std::string in = "/dev/null";  // standard input: a file, or
    int in_fd = -1;                // a descriptor (the read end of a pipe)
    std::string out, err;          // files for standard output and error, or
    int err_fd = -1;               // a descriptor for standard error (a pipe's write end)
    rlim_t file_size = RLIM_INFINITY;  // RLIMIT_FSIZE: writes past it fail with EFBIG
};

struct Ended {
    int status = -1;  // the exit status, or -1 when a signal ended it
    int signal = 0;   // that signal
    std::string out, err;
};

pid_t start(const Spawn &s)
{
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    for (const std::string &e : s.env) ::putenv(const_cast<char *>(e.c_str()));
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::signal(sig, SIG_DFL);
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails (EFBIG), as on a full disk
    const rlimit no_core{0, 0}, size{s.file_size, s.file_size};
    ::setrlimit(RLIMIT_CORE, &no_core);
    if (s.file_size != RLIM_INFINITY) ::setrlimit(RLIMIT_FSIZE, &size);
    const int in = s.in_fd >= 0 ? s.in_fd : ::open(s.in.c_str(), O_RDONLY);
    const int out = ::open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = s.err_fd >= 0 ? s.err_fd : ::open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(120);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char *> argv{const_cast<char *>(KORVANE_EXE)};
    for (const std::string &a : s.args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(KORVANE_EXE, argv.data());
    ::_exit(121);
}

Ended wait_for(pid_t pid, const Spawn &s)
{
    Ended e;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return e;
    if (WIFEXITED(status)) e.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) e.signal = WTERMSIG(status);
    if (fs::is_regular_file(s.out)) e.out = slurp(s.out);  // not /dev/full
    if (s.err_fd < 0) e.err = slurp(s.err);
    return e;
}

class Processes : public ::testing::Test {
protected:
    fs::path dir;
    int runs = 0;

    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("korvane_process_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string &name) const { return (dir / name).string(); }

    // A Spawn of `korvane --daq sim ARGS` with its own output files.
    Spawn korvane(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--daq", "sim"});
        Spawn s;
        s.args = std::move(args);
        s.out = path("out." + std::to_string(runs));
        s.err = path("err." + std::to_string(runs++));
        return s;
    }
    Ended run(const Spawn &s) { return wait_for(start(s), s); }

    // The names in the folder that are neither given nor left by a test.
    std::vector<std::string> strays(const std::vector<std::string> &known) const
    {
        std::vector<std::string> left;
        for (const auto &e : fs::directory_iterator(dir)) {
            const std::string n = e.path().filename().string();
            if (n.rfind("out.", 0) == 0 || n.rfind("err.", 0) == 0) continue;
            if (std::find(known.begin(), known.end(), n) == known.end()) left.push_back(n);
        }
        return left;
    }
};

// ---- several processes on one --sim-state file ----------------------------

// Four bus writes at once to four addresses of one state file, round after
// round: every round ends with a file that the next command reads, holding
// all four words. Without the lock, most rounds lost words.
TEST_F(Processes, FourWritersOnOneStateFileLoseNothing)
{
    const char *env = std::getenv("KORVANE_STATE_ROUNDS");
    const int rounds = env ? std::atoi(env) : 25;
    const std::string state = path("board.state");
    const unsigned addresses[4] = {1, 1000, 4000, 8191};
    spit(path("reads.txt"), "read 0 1\nread 0 1000\nread 0 4000\nread 0 8191\n");
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::pair<pid_t, Spawn>> writers;
        char expect[200] = "";
        for (int i = 0; i < 4; ++i) {
            const unsigned word = (round * 4 + i) & 0xFFFF;
            Spawn s = korvane({"--sim-state", state, "bus", "write", "0", std::to_string(addresses[i]),
                               std::to_string(word)});
            writers.emplace_back(start(s), s);
            std::snprintf(expect + std::strlen(expect), sizeof expect - std::strlen(expect), "0x%04X 0x%04X\n",
                          addresses[i], word);
        }
        for (auto &[pid, s] : writers) {
            const Ended e = wait_for(pid, s);
            ASSERT_EQ(e.status, 0) << e.err;
        }
        const Ended read = run(korvane({"--sim-state", state, "bus", "run", path("reads.txt")}));
        ASSERT_EQ(read.status, 0) << read.err;
        ASSERT_EQ(read.out, expect);
    }
    EXPECT_EQ(strays({"board.state", "board.state.lock", "reads.txt"}), std::vector<std::string>{});
}

// A command on a state file that a shell holds waits for it, at most
// KORVANE_STATE_WAIT seconds, then says who holds it and works no bus; once
// the shell ends, the command finds the shell's words.
TEST_F(Processes, ACommandWaitsForTheShellThatHoldsTheState)
{
    const std::string state = path("board.state");
    int to_shell[2], from_shell[2];
    // Not inherited: the shell must see the end of its input when the test closes it.
    ASSERT_EQ(::pipe2(to_shell, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(from_shell, O_CLOEXEC), 0);
    Spawn shell = korvane({"--sim-state", state, "bus", "shell"});
    shell.in_fd = to_shell[0];
    shell.out = "/dev/fd/" + std::to_string(from_shell[1]);
    const pid_t pid = start(shell);
    ::close(to_shell[0]);
    ::close(from_shell[1]);
    // Once the shell has answered, it holds the lock.
    const std::string lines = "write 0 7 0x77\nread 0 7\n";
    ASSERT_EQ(::write(to_shell[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    std::string answer;
    char c;
    while (answer.find('\n') == std::string::npos && ::read(from_shell[0], &c, 1) == 1) answer += c;
    ASSERT_EQ(answer, "0x0007 0x0077\n");

    Spawn waiting = korvane({"--sim-state", state, "--trace", path("waiting.trace"), "bus", "read", "0", "7"});
    waiting.env = {"KORVANE_STATE_WAIT=0"};
    Ended e = run(waiting);
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.err, "korvane: " + state + " is in use by another korvane (process " + std::to_string(pid) +
                         "); waited 0 s for it (KORVANE_STATE_WAIT)\n");
    EXPECT_EQ(slurp(path("waiting.trace")).find("DAQmx"), std::string::npos);

    ::close(to_shell[1]);
    ::close(from_shell[0]);
    ASSERT_EQ(wait_for(pid, shell).status, 0);
    e = run(waiting);
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.out, "0x0007 0x0077\n");
}

// ---- files written whole or left as they were -------------------------------

// Each row writes over a file that is there; a write that fails leaves it byte
// for byte, says so in one line, and leaves no temporary file behind.
TEST_F(Processes, OutputFilesAreReplacedWholeOrLeftAsTheyWere)
{
    struct Row {
        const char *name;
        std::vector<std::string> args;  // FILE stands for the file written
        rlim_t file_size;
        int status;
        const char *error;  // a regular expression for the whole of standard error
        bool changed;       // the file holds the new content
    };
    const std::string dump_error = "korvane: cannot write FILE: File too large\n";
    const std::vector<Row> rows = {
        {"binary dump on a full disk", {"bus", "dump", "0", "0", "2048", "-o", "FILE"}, 1000, 1, dump_error.c_str(), false},
        {"hex dump on a full disk", {"bus", "dump", "0", "0", "512", "-o", "FILE.hex"}, 1000, 1,
         "korvane: cannot write FILE.hex: File too large\n", false},
        {"trace on a full disk", {"--trace", "FILE", "bus", "write", "0", "0", "1", "2", "3"}, 1000, 1,
         "korvane: the trace file FILE could not be written whole .*\n", false},
        {"VCD on a full disk", {"--vcd", "FILE", "bus", "write", "0", "0", "1", "2", "3"}, 1000, 1,
         "korvane: the VCD file FILE could not be written whole .*\n", false},
        {"state on a full disk", {"--sim-state", "FILE", "bus", "write", "0", "0", "1"}, 30000, 1,
         "korvane: the board's state was not saved: cannot write FILE: File too large\n", false},
        {"screenshot on a full disk", {"--script", KORVANE_SCRIPTS "/startup.ks", "--screenshot", "FILE"}, 1000, 1,
         "[\\s\\S]*\nFILE: screenshot not written: cannot write FILE: File too large\n", false},
        {"dump", {"bus", "dump", "0", "0", "16", "-o", "FILE"}, RLIM_INFINITY, 0, "", true},
    };
    // A state file the rows above may read: the bench at power-up, as saved.
    ASSERT_EQ(run(korvane({"--sim-state", path("power_up.state"), "bus", "read", "0", "0"})).status, 0);
    const std::string power_up = slurp(path("power_up.state"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        for (const bool through_link : {false, true}) {
            fs::remove_all(dir);
            fs::create_directories(dir);
            const bool hex = row.args.back() == "FILE.hex";
            const bool state = row.args[0] == "--sim-state";
            const std::string file = path(hex ? "old.hex" : "old");
            const std::string old = state ? power_up : random_bytes(364, 5);
            spit(file, old);
            ::chmod(file.c_str(), 0640);
            std::string named = file;
            if (through_link) {
                named = path(hex ? "link.hex" : "link");
                fs::create_symlink(hex ? "old.hex" : "old", named);
            }
            Spawn s = korvane({});
            s.env = {"QT_QPA_PLATFORM=offscreen"};
            for (std::string a : row.args) {
                if (a == "FILE" || a == "FILE.hex") a = named;
                s.args.push_back(a);
            }
            s.file_size = row.file_size;
            const Ended e = run(s);
            EXPECT_EQ(e.status, row.status) << e.err;
            // Without a state, the bus commands say once that the board starts from power-up.
            std::string error = std::regex_replace(std::string(row.error), std::regex("FILE(\\.hex)?"), named);
            if (!state && row.args[0] != "--script")
                error = "(korvane: the simulated board starts from power-up .*\n)?" + error;
            EXPECT_TRUE(std::regex_match(e.err, std::regex(error))) << e.err << "\n  expected: " << error;
            EXPECT_EQ(slurp(file) != old, row.changed);
            struct stat st {};
            ASSERT_EQ(::stat(file.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            if (through_link) {
                EXPECT_TRUE(fs::is_symlink(named)) << "the link was replaced";
            }
            std::vector<std::string> known = {fs::path(file).filename().string()};
            if (through_link) known.push_back(fs::path(named).filename().string());
            if (state) known.push_back(fs::path(file).filename().string() + ".lock");
            EXPECT_EQ(strays(known), std::vector<std::string>{});
        }
    }
}

// A state or a trace that cannot be put in place (an immutable file: even
// root cannot replace it) is one line and status 1; the file is as it was.
// The clean-up of the temporary file once hid the rename's error: status 0.
TEST_F(Processes, AFileThatCannotBeReplacedIsAFailure)
{
    const std::string state = path("board.state"), trace = path("bus.trace");
    ASSERT_EQ(run(korvane({"--sim-state", state, "--trace", trace, "bus", "write", "0", "5", "0x55"})).status, 0);
    const std::string before = slurp(state), traced = slurp(trace);
    if (std::system(("chattr +i " + state + " " + trace + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "chattr +i is not possible here (no chattr, a file system without the flag, or no "
                        "CAP_LINUX_IMMUTABLE)";
    const Ended e = run(korvane({"--sim-state", state, "bus", "write", "0", "5", "0x66"}));
    const Ended t = run(korvane({"--trace", trace, "bus", "read", "0", "5"}));
    std::system(("chattr -i " + state + " " + trace).c_str());
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.err, "korvane: the board's state was not saved: cannot write " + state +
                         ": Operation not permitted\n");
    EXPECT_EQ(slurp(state), before);
    EXPECT_EQ(t.status, 1);
    EXPECT_NE(t.err.find("the trace file " + trace + " could not be written whole"), std::string::npos) << t.err;
    EXPECT_EQ(slurp(trace), traced);
    EXPECT_EQ(strays({"board.state", "board.state.lock", "bus.trace"}), std::vector<std::string>{});
}

// ---- standard output ----------------------------------------------------------

// Output that cannot be written (/dev/full) is one line and status 1, for every
// command that prints; before, every one of them said nothing and exited 0.
TEST_F(Processes, AFailedWriteToStandardOutputIsStatusOne)
{
    spit(path("lines.txt"), "read 0 0 100\nregs\n");
    const std::vector<std::vector<std::string>> rows = {
        {"bus", "read", "0", "0", "8192"},
        {"bus", "regs"},
        {"bus", "dump", "0", "0", "16", "-o", "-"},
        {"bus", "run", path("lines.txt")},
        {"bus", "shell"},
        {"selftest"},
        {"devices"},
        {"--version"},
    };
    for (const auto &args : rows) {
        std::vector<std::string> all = {"--sim-state", path("board.state")};
        all.insert(all.end(), args.begin(), args.end());
        Spawn s = korvane(all);
        s.out = "/dev/full";
        if (args.back() == "shell") s.in = path("lines.txt");
        const Ended e = run(s);
        EXPECT_EQ(e.status, 1) << args[0] << " " << args.back() << ": " << e.err;
        EXPECT_EQ(e.err, "korvane: cannot write standard output: No space left on device\n") << args.back();
    }
}

// ---- stop signals -------------------------------------------------------------

std::string signal_name(int sig)
{
    return std::string("SIG") + ::sigabbrev_np(sig);
}

// korvane with its trace going into a FIFO: the test reads the trace and stops
// korvane when `ready` says (on the text read so far), then reads on to the end.
Ended stop_when(const Spawn &s, const std::string &fifo, int sig, const std::function<bool(const std::string &)> &ready,
                std::string &trace)
{
    // Opened before korvane opens it to write, so that neither waits for the
    // other; then read once korvane's first block is there (poll sees no end
    // of a FIFO before its first writer).
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    const pid_t pid = start(s);
    pollfd first{fd, POLLIN, 0};
    while (::poll(&first, 1, -1) < 0 && errno == EINTR) {
    }
    ::fcntl(fd, F_SETFL, 0);
    char buf[65536];
    bool sent = false;
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        trace.append(buf, static_cast<size_t>(n));
        if (!sent && ready(trace)) {
            ::kill(pid, sig);
            sent = true;
        }
    }
    ::close(fd);
    return wait_for(pid, s);
}

// A transfer stopped by any of the four stop signals says how far it got,
// saves the state of what it wrote, and ends by the signal (status 128 + N);
// a dump leaves its file as it was. Before, the process died silently and the
// words it had written were not in the state.
TEST_F(Processes, AStoppedTransferSaysHowFarAndSavesWhatItDid)
{
    const std::string image = random_bytes(2 * 8192, 11);
    spit(path("image.bin"), image);
    const std::string fifo = path("trace.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto after_bytes = [](size_t n) { return [n](const std::string &t) { return t.size() >= n; }; };
    auto reading_back = [](const std::string &t) { return t.find("DAQmxReadDigitalU8") != std::string::npos; };
    std::vector<std::string> many_words;
    for (int i = 0; i < 6000; ++i) many_words.push_back(std::to_string(i));
    struct Row {
        int sig;
        std::vector<std::string> args;
        std::function<bool(const std::string &)> ready;
        const char *said;  // what standard error says after "interrupted by SIG...: "
        enum { Part, Whole, None } kept;  // of the image in the state afterwards
    };
    std::vector<std::string> write = {"bus", "write", "0", "0"};
    write.insert(write.end(), many_words.begin(), many_words.end());
    const std::vector<Row> rows = {
        {SIGINT, {"bus", "load", "0", "0", path("image.bin"), "--verify"}, after_bytes(200000),
         "load stopped at 0x([0-9A-F]{4}) after ([0-9,]+) words [(]of 8,192[)]", Row::Part},
        {SIGQUIT, {"bus", "load", "0", "0", path("image.bin")}, after_bytes(300000),
         "load stopped at 0x([0-9A-F]{4}) after ([0-9,]+) words [(]of 8,192[)]", Row::Part},
        {SIGINT, {"bus", "load", "0", "0", path("image.bin"), "--verify"}, reading_back,
         "all 8,192 words written; the read-back stopped at 0x([0-9A-F]{4}) after ([0-9,]+) words [(]of 8,192[)]",
         Row::Whole},
        {SIGTERM, write, after_bytes(200000), "write stopped at 0x([0-9A-F]{4}) after ([0-9,]+) words [(]of 6,000[)]",
         Row::None},
        {SIGHUP, {"bus", "dump", "0", "0", "8192", "-o", path("old.bin")}, after_bytes(200000),
         "dump stopped at 0x([0-9A-F]{4}) after ([0-9,]+) words [(]of 8,192[)]; .*old.bin not written", Row::None},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(signal_name(row.sig) + " " + row.args[1]);
        const std::string state = path("board.state");
        fs::remove(state);
        spit(path("old.bin"), "kept as it was");
        Spawn s = korvane({"--sim-state", state, "--trace", fifo});
        s.args.insert(s.args.end(), row.args.begin(), row.args.end());
        std::string trace;
        const Ended e = stop_when(s, fifo, row.sig, row.ready, trace);
        EXPECT_EQ(e.signal, row.sig) << "status " << e.status << ": " << e.err;
        std::smatch m;
        const std::string said = "korvane: interrupted by " + signal_name(row.sig) + ": " + row.said + "\n";
        ASSERT_TRUE(std::regex_match(e.err, m, std::regex(said))) << e.err;
        const unsigned at = static_cast<unsigned>(std::stoul(m[1], nullptr, 16));
        const unsigned done = static_cast<unsigned>(std::stoul(std::regex_replace(m[2].str(), std::regex(","), "")));
        EXPECT_EQ(at, done) << "from address 0, the words done are the address reached";
        EXPECT_GT(done, 0u);
        EXPECT_LT(done, 6000u) << "stopped in the middle";
        EXPECT_EQ(trace.back(), '\n') << "the trace ends with a whole line";
        EXPECT_EQ(slurp(path("old.bin")), "kept as it was");

        // The state holds what was written: the image up to where it stopped, or whole.
        const Ended dump = run(korvane({"--sim-state", state, "bus", "dump", "0", "0", "8192", "-o", path("back.bin")}));
        ASSERT_EQ(dump.status, 0) << dump.err;
        const std::string back = slurp(path("back.bin"));
        if (row.kept == Row::Whole) {
            EXPECT_EQ(back, image);
        }
        if (row.kept == Row::Part) {
            EXPECT_EQ(back.substr(0, 2 * done), image.substr(0, 2 * done));
            EXPECT_EQ(back.substr(2 * done), std::string(2 * (8192 - done), '\0'));
        }
        if (row.args[1] == "write") {
            for (unsigned a = 0; a < 6000; ++a) {
                const unsigned word = static_cast<unsigned char>(back[2 * a]) | static_cast<unsigned char>(back[2 * a + 1]) << 8;
                ASSERT_EQ(word, a < done ? a : 0u) << "address " << a;
            }
        }
        EXPECT_EQ(strays({"board.state", "board.state.lock", "image.bin", "trace.fifo", "old.bin", "back.bin"}),
                  std::vector<std::string>{});
    }
}

// The window (here its script mode) stopped by any of the four signals: the
// trace written to the last line it completed, the VCD put in place with its
// closing time stamp after its last change. SIGHUP and SIGQUIT once lost them.
TEST_F(Processes, AStoppedWindowLeavesItsTraceAndVcdWhole)
{
    std::string script = "press OPEN_BTN\nset PORT_MASK_0 0xFF\n";
    for (int i = 0; i < 600; ++i) script += "set PORT_OUT_0 " + std::to_string(i & 0xFF) + "\nwait 1s\n";
    spit(path("long.ks"), script);
    const std::string fifo = path("trace.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (int sig : {SIGHUP, SIGQUIT, SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal_name(sig));
        const std::string vcd = path("bus.vcd");
        spit(vcd, "an old recording");
        Spawn s = korvane({"--script", path("long.ks"), "--trace", fifo, "--vcd", vcd});
        s.env = {"QT_QPA_PLATFORM=offscreen"};
        std::string trace;
        const Ended e = stop_when(s, fifo, sig, [](const std::string &t) { return t.size() >= 150000; }, trace);
        EXPECT_EQ(e.signal, sig) << "status " << e.status << ": " << e.err;
        EXPECT_EQ(trace.back(), '\n');
        const std::vector<std::string> dump = lines_of(slurp(vcd));
        ASSERT_GT(dump.size(), 100u) << "the VCD is the new one";
        long long last = -1;
        for (size_t i = 0; i + 1 < dump.size(); ++i)
            if (dump[i][0] == '#') last = std::stoll(dump[i].substr(1));
        EXPECT_GT(last, 0);
        EXPECT_EQ(dump.back(), "#" + std::to_string(last + 1)) << "the closing time stamp";
        EXPECT_EQ(strays({"long.ks", "trace.fifo", "bus.vcd"}), std::vector<std::string>{});
    }
}

// Whether the process is blocked in read() on its standard input: its
// /proc entry names the call and the descriptor.
bool reading_stdin(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/syscall");
    long nr = -1;
    std::string fd;
    return static_cast<bool>(f >> nr >> fd) && nr == SYS_read && fd == "0x0";
}

// Ended once the process has ended, waiting a bounded while (a korvane that
// went on waiting fails the test instead of holding it up).
Ended ended_soon(pid_t pid, const Spawn &s)
{
    for (int i = 0; i < 5000; ++i) {
        int status = 0;
        const pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid) {
            Ended e;
            if (WIFEXITED(status)) e.status = WEXITSTATUS(status);
            if (WIFSIGNALED(status)) e.signal = WTERMSIG(status);
            e.err = slurp(s.err);
            return e;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(pid, SIGKILL);
    return wait_for(pid, s);
}

// A load from standard input that never closes (a pipe held open, nothing
// written) ends at once on a stop signal, with the signal's status and a line
// that says it was stopped while reading, not a read error.
TEST_F(Processes, AStopEndsALoadWaitingOnStandardInput)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    Spawn s = korvane({"bus", "load", "0", "0", "-"});
    s.in_fd = fds[0];
    const pid_t pid = start(s);
    ::close(fds[0]);
    bool waiting = false;
    for (int i = 0; i < 5000 && !(waiting = reading_stdin(pid)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(waiting) << "korvane never came to read its standard input";
    ::kill(pid, SIGINT);
    const Ended e = ended_soon(pid, s);
    ::close(fds[1]);
    EXPECT_EQ(e.signal, SIGINT) << "status " << e.status << ": " << e.err;
    EXPECT_EQ(e.err, "korvane: interrupted by SIGINT: load stopped while reading standard input; nothing written\n");
}

// A stop that comes as soon as korvane starts (before the driver is loaded)
// gives the same "stopped at" line as one in the middle, not a silent end.
// Deterministic: standard error is a pipe of one page, filled but for room
// for the first start-up mark, so korvane waits at its next line (before any
// bus cycle) until the stop has been sent; the test sees the mark arrive
// without reading it (FIONREAD).
TEST_F(Processes, AnEarlyStopSaysHowFarAsALateOne)
{
    spit(path("image.bin"), random_bytes(2 * 8192, 5));
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"bus", "load", "0", "0", path("image.bin")},
          std::vector<std::string>{"bus", "dump", "0", "0", "8192", "-o", path("back.bin")}}) {
        SCOPED_TRACE(args[1]);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ASSERT_EQ(::fcntl(fds[1], F_SETPIPE_SZ, 4096), 4096);
        // Room for "korvane: startup: main at T ms" (T has fewer than 20 digits), not for a second line.
        const std::string filler(4096 - 60, '.');
        ASSERT_EQ(::write(fds[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
        Spawn s = korvane(args);
        s.env = {"KORVANE_STARTUP_MARKS=1"};
        s.err_fd = fds[1];
        const pid_t pid = start(s);
        ::close(fds[1]);
        // korvane's turn until its mark is in the pipe (it blocks at the next line, or has ended).
        for (int queued = 0; queued <= static_cast<int>(filler.size());) {
            ASSERT_EQ(::ioctl(fds[0], FIONREAD, &queued), 0);
            siginfo_t ended{};
            ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT), 0);
            ASSERT_EQ(ended.si_pid, 0) << "korvane ended before its first mark";
            std::this_thread::yield();
        }
        ::kill(pid, SIGINT);  // korvane waits at its next line: nothing loaded yet
        std::string err;
        char buf[4096];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) != 0;) {
            if (n < 0) {
                if (errno == EINTR) continue;
                break;
            }
            err.append(buf, static_cast<size_t>(n));
        }
        ::close(fds[0]);
        err.erase(0, filler.size());
        const Ended e = wait_for(pid, s);
        EXPECT_EQ(err.rfind("korvane: startup: main at", 0), 0u) << err;
        EXPECT_EQ(e.signal, SIGINT) << "status " << e.status << ": " << err;
        EXPECT_TRUE(std::regex_search(err, std::regex("\nkorvane: interrupted by SIGINT: " + args[1] +
                                                      " stopped at 0x[0-9A-F]{4} after [0-9,]+ words [(]of 8,192[)]")))
            << err;
    }
}

}  // namespace
