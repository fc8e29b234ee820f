// The bounded reader of the files korvane is given: exactly at its bound, one
// byte over, named, and as standard input (a file and a pipe).
#include "base/korvane_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Past the reader's 64 KiB block, so that the bound falls inside a second read.
constexpr std::size_t kBound = 70000;

// read_bounded with `fd` as standard input for the call.
std::string read_stdin(int fd, std::string &text)
{
    const int saved = ::dup(STDIN_FILENO);
    ::dup2(fd, STDIN_FILENO);
    std::string why = base::files::read_bounded("-", text, true, kBound);
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    return why;
}

TEST(ReadBounded, TakesExactlyItsBoundAndRefusesOneByteMore)
{
    std::signal(SIGPIPE, SIG_IGN);  // the pipe's writer may outlive its reader
    const fs::path file = fs::temp_directory_path() / ("korvane_bounded_" + std::to_string(::getpid()));
    for (std::size_t size : {kBound, kBound + 1}) {
        const bool fits = size == kBound;
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
        std::ofstream(file, std::ios::binary) << bytes;
        const std::string refused = "more than " + std::to_string(kBound) + " bytes";

        std::string text = "old";
        EXPECT_EQ(base::files::read_bounded(file.string(), text, false, kBound), fits ? "" : refused) << size;
        EXPECT_EQ(text, fits ? bytes : "") << "named, " << size;

        const int fd = ::open(file.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        text = "old";
        EXPECT_EQ(read_stdin(fd, text), fits ? "" : refused) << size;
        EXPECT_EQ(text, fits ? bytes : "") << "standard input from a file, " << size;
        ::close(fd);

        // A pipe has no size to look at first: the bound is found while reading.
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::thread writer([&] {
            for (std::size_t at = 0; at < bytes.size();) {
                const ssize_t n = ::write(fds[1], bytes.data() + at, bytes.size() - at);
                if (n <= 0) break;
                at += static_cast<std::size_t>(n);
            }
            ::close(fds[1]);
        });
        text = "old";
        const std::string why = read_stdin(fds[0], text);
        ::close(fds[0]);  // a writer left with bytes to write gets EPIPE and ends
        writer.join();
        EXPECT_EQ(why, fits ? "" : refused) << size;
        EXPECT_EQ(text, fits ? bytes : "") << "standard input from a pipe, " << size;
    }
    fs::remove(file);
}

}  // namespace
