// The platform layer (platform.h) as the rest of korvane relies on it, in the
// Linux tree and, under wine, in the Windows tree.
#include "base/platform.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "base/atomic_file.h"
#include "base/korvane_files.h"

namespace {

namespace fs = std::filesystem;
namespace bp = base::platform;

std::string temp_dir(const std::string &name)
{
    const fs::path d = fs::temp_directory_path() / ("korvane_platform_" + name);
    fs::remove_all(d);
    fs::create_directories(d);
    return d.string();
}

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Any path joined from a folder and a name splits back into them, with every
// separator the system has (on Windows also '\\' and a drive's "C:"); a name
// with no separator is bare.
TEST(Platform, APathSplitsWhereItWasJoined)
{
    std::mt19937 rng(30);
    const std::string name_chars = "abcXYZ019._- ";
    std::vector<std::string> separators = {"/"};
    if (bp::is_separator('\\')) separators.push_back("\\");
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        const int len = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < len; ++i) name += name_chars[rng() % name_chars.size()];
        if (name == "." || name == "..") name = "n";
        std::string folder = bp::is_separator('\\') && rng() % 3 == 0 ? "C:" : "";
        const int depth = static_cast<int>(rng() % 4);
        for (int i = 0; i < depth; ++i) folder += separators[rng() % separators.size()] + std::string("d") + std::to_string(i);
        const std::string sep = separators[rng() % separators.size()];
        const std::string path = folder.empty() ? name : folder + sep + name;
        EXPECT_EQ(bp::file_name(path), name) << path;
        EXPECT_EQ(bp::is_bare_name(path), folder.empty()) << path;
        if (!folder.empty()) {
            EXPECT_EQ(bp::last_separator(path), folder.size()) << path;
        }
    }
    if (bp::is_separator('\\')) {
        // The panel file's fault: a full Windows path was taken for a bare name.
        EXPECT_FALSE(bp::is_bare_name("C:\\korvane\\share\\korvane\\korvane.uir"));
        EXPECT_FALSE(bp::is_bare_name("C:korvane.uir"));
        EXPECT_EQ(bp::file_name("C:korvane.uir"), "korvane.uir");
    }
}

// Writing a file that exists replaces it, whole, again and again (rename on
// Windows does not replace: MoveFileEx does).
TEST(Platform, AnAtomicWriteReplacesAnExistingFile)
{
    const std::string dir = temp_dir("replace");
    const std::string path = (fs::path(dir) / "state").string();
    for (int i = 0; i < 5; ++i) {
        const std::string text = "round " + std::to_string(i) + "\n" + std::string(static_cast<size_t>(i) * 1000, 'x');
        ASSERT_EQ(base::write_file_atomically(path, text), "") << i;
        EXPECT_EQ(slurp(path), text) << i;
    }
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// The running program's own file, and the bench library's own file from an
// address inside it (both of the places that find files beside them).
TEST(Platform, TheProgramKnowsItsOwnFile)
{
    const std::string exe = bp::self_exe();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(fs::is_regular_file(exe)) << exe;
    EXPECT_EQ(bp::module_path(reinterpret_cast<const void *>(&bp::self_exe)), exe);
    EXPECT_NE(bp::file_name(exe).find("test_korvane_base"), std::string::npos) << exe;
}

// The check before loading: the program's own file passes as a binary of
// this system; cut short, it is refused with the byte where it ends; a text
// file is no library at all.
TEST(Platform, ATruncatedLibraryIsRefusedBeforeItIsLoaded)
{
    const std::string dir = temp_dir("library");
    const std::string whole = slurp(bp::self_exe());
    ASSERT_GT(whole.size(), 65536u);
    auto fault_of = [&](const std::string &bytes) {
        const std::string path = (fs::path(dir) / bp::library_file("cut")).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return base::files::library_fault(path);
    };
    EXPECT_EQ(fault_of(whole), "");
    // Cut inside the code, not only in the debug sections at the end.
    EXPECT_NE(fault_of(whole.substr(0, 16384)).find("truncated"), std::string::npos);
    // Cut past its headers and section table, inside its sections (a PE file's debug
    // information is sections too; ELF segments: test_library_posix.cpp): one runs past the end.
    if (bp::is_separator('\\')) {
        EXPECT_NE(fault_of(whole.substr(0, whole.size() / 2)).find("truncated (a section"), std::string::npos)
            << fault_of(whole.substr(0, whole.size() / 2));
    }
    EXPECT_NE(fault_of("just text, no header\n").find("not a"), std::string::npos);
    EXPECT_EQ(fault_of(""), "an empty file");
}

// A library dropped into the current folder is never what a bare name
// loads (on Windows the old DLL search order took it: DLL planting); one at a
// path loads as given.
TEST(Platform, ABareLibraryNameIsNotLookedForInTheCurrentFolder)
{
    const std::string dir = temp_dir("planted");
    const std::string name = bp::library_file("korvane-planted");
    fs::copy_file(bp::self_exe(), fs::path(dir) / name);
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const std::string found = bp::library_search(name);
    std::string why;
    void *loaded = bp::open_library(name, why);
    fs::current_path(before);
    EXPECT_EQ(found, "");
    EXPECT_EQ(loaded, nullptr);
    EXPECT_NE(why, "");
    bp::close_library(loaded);
}

// Nor through PATH on Windows: an empty entry ("C:\\a;;C:\\b" is common) or a
// relative one (".") stands for the current folder there. On Linux an empty
// LD_LIBRARY_PATH entry is the current folder to the dynamic linker itself,
// and the search follows it.
TEST(Platform, NoPathEntryMakesTheCurrentFolderASearchedOne)
{
    if (!bp::is_separator('\\')) GTEST_SKIP() << "the dynamic linker's own rule";
    const std::string dir = temp_dir("planted_path");
    const std::string name = bp::library_file("korvane-planted");
    fs::copy_file(bp::self_exe(), fs::path(dir) / name);
    const char *saved = std::getenv("PATH");
    static std::string restore;
    restore = std::string("PATH=") + (saved ? saved : "");
    static std::string entries[] = {"PATH=C:\\nowhere;;C:\\nowhere2", "PATH=.", "PATH=C:\\nowhere;.\\;",
                                    "PATH=\"\";C:\\nowhere"};
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    for (std::string &entry : entries) {
        ::putenv(entry.data());
        EXPECT_EQ(bp::library_search(name), "") << entry;
    }
    // An absolute entry naming the folder is searched.
    static std::string absolute;
    absolute = "PATH=C:\\nowhere;" + dir;
    ::putenv(absolute.data());
    EXPECT_NE(bp::library_search(name), "");
    fs::current_path(before);
    ::putenv(restore.data());
}

// A second opening of a held state lock is refused the lock but reads who
// holds it (Windows locks are mandatory: the locked range must not cover the
// process number at the file's start). wine does not enforce byte-range locks
// on reads: there the lock moved over the number still passes; on Windows it fails.
TEST(Platform, ALockHoldersNumberIsReadableWhileItHoldsTheLock)
{
    const std::string path = (fs::path(temp_dir("lock")) / "board.state.lock").string();
    const int holder = bp::open_lock_file(path), other = bp::open_lock_file(path);
    ASSERT_GE(holder, 0);
    ASSERT_GE(other, 0);
    ASSERT_EQ(bp::try_lock(holder), 0);
    bp::write_holder(holder);
    EXPECT_EQ(bp::try_lock(other), EWOULDBLOCK);
    EXPECT_EQ(bp::read_holder(other), static_cast<long>(::getpid()));
    ::close(other);
    ::close(holder);
}

// True when text is well-formed UTF-8.
bool valid_utf8(const std::string &text)
{
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (more == 9 || i + more >= text.size() + (more ? 0 : 1)) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

// A driver's error text comes out as UTF-8 that fits its buffer, whatever
// bytes the driver's code page gave; ASCII is left as it is (on Linux every
// text is).
TEST(Platform, ADriverTextBecomesUtf8InItsBuffer)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        const size_t size = 1 + rng() % 40;
        const bool ascii = rng() % 2 == 0;
        std::string text;
        for (size_t i = 0; i + 1 < size; ++i)
            text += static_cast<char>(ascii ? 0x20 + rng() % 0x5F : 0x20 + rng() % 0xE0);
        std::vector<char> buf(text.begin(), text.end());
        buf.push_back('\0');
        bp::driver_text_to_utf8(buf.data(), buf.size());
        const std::string out(buf.data(), strnlen(buf.data(), buf.size()));
        ASSERT_LT(out.size(), size);
        if (ascii || !bp::is_separator('\\')) {
            EXPECT_EQ(out, text);
        } else {
            EXPECT_TRUE(valid_utf8(out)) << round;
            // The ASCII characters stay, in order (the text may be cut at its end).
            auto ascii_of = [](const std::string &t) {
                std::string a;
                for (char c : t)
                    if (!(c & 0x80)) a += c;
                return a;
            };
            EXPECT_EQ(ascii_of(text).rfind(ascii_of(out), 0), 0u) << round;
        }
    }
}

// A file is no console (on Windows the C run-time's isatty is true for NUL).
TEST(Platform, AFileIsNoConsole)
{
    const std::string path = (fs::path(temp_dir("console")) / "out").string();
    const int fd = ::open(path.c_str(), bp::open_create_flags(), 0666);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(bp::is_console(fd));
    ::close(fd);
}

}  // namespace
