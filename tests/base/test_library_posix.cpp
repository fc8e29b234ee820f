// What decides whether NI-DAQmx counts as installed on Linux, and whether a
// library file is whole: the dynamic linker's cache read from hand-made files
// in both of glibc's layouts, and ELF segments against the file's end.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/korvane_files.h"
#include "base/platform.h"

namespace {

namespace fs = std::filesystem;
namespace bp = base::platform;

void put32(std::string &data, uint32_t v) { data.append(reinterpret_cast<const char *>(&v), 4); }

// glibc's new table: header (48 bytes), one 24-byte entry per library, then
// the strings; string offsets count from the table's start.
std::string new_table(const std::vector<std::pair<std::string, std::string>> &libs)
{
    std::string strings;
    std::vector<std::pair<uint32_t, uint32_t>> at;
    const uint32_t first = static_cast<uint32_t>(48 + libs.size() * 24);
    for (const auto &[key, value] : libs) {
        const uint32_t k = first + static_cast<uint32_t>(strings.size());
        strings += key + '\0';
        const uint32_t v = first + static_cast<uint32_t>(strings.size());
        strings += value + '\0';
        at.emplace_back(k, v);
    }
    std::string t = "glibc-ld.so.cache1.1";
    put32(t, static_cast<uint32_t>(libs.size()));
    put32(t, static_cast<uint32_t>(strings.size()));
    t.append(20, '\0');  // flags and padding, extension offset, unused[3]
    for (const auto &[k, v] : at) {
        put32(t, 0x0303);  // ELF, x86-64 libc6
        put32(t, k);
        put32(t, v);
        put32(t, 0);
        t.append(8, '\0');  // hwcap
    }
    return t + strings;
}

// The old table before it ("ld.so-1.7.0", 12-byte entries), the new one at
// the next 8-byte boundary.
std::string old_and_new(const std::vector<std::pair<std::string, std::string>> &libs)
{
    std::string t = std::string("ld.so-1.7.0") + '\0';
    put32(t, static_cast<uint32_t>(libs.size()));
    for (size_t i = 0; i < libs.size(); ++i) t.append(12, '\x7f');  // offsets into the old strings, unused here
    t.append(((t.size() + 7) & ~size_t{7}) - t.size(), '\0');
    return t + new_table(libs);
}

std::string write(const std::string &name, const std::string &bytes)
{
    const fs::path p = fs::temp_directory_path() / ("korvane_cache_" + name);
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    return p.string();
}

// NI-DAQmx installed under /usr/local/natinst with an ld.so.conf.d entry is
// known to the cache alone: it must be found there, in either layout.
TEST(LinkerCache, ALibraryOnlyTheCacheKnowsIsFoundInBothLayouts)
{
    const std::vector<std::pair<std::string, std::string>> libs = {
        {"libc.so.6", "/lib/x86_64-linux-gnu/libc.so.6"},
        {"libnidaqmx.so.1", "/usr/local/natinst/nidaqmx/lib64/libnidaqmx.so.1"},
        {"libnidaqmx.so.1", "/usr/local/natinst/nidaqmx/lib/libnidaqmx.so.1"}};
    for (const auto &[layout, bytes] : {std::pair{"new", new_table(libs)}, std::pair{"old", old_and_new(libs)}}) {
        SCOPED_TRACE(layout);
        const std::string cache = write(layout, bytes);
        EXPECT_EQ(bp::linker_cache_paths(cache, "libnidaqmx.so.1"),
                  (std::vector<std::string>{"/usr/local/natinst/nidaqmx/lib64/libnidaqmx.so.1",
                                            "/usr/local/natinst/nidaqmx/lib/libnidaqmx.so.1"}));
        EXPECT_EQ(bp::linker_cache_paths(cache, "libc.so.6"),
                  std::vector<std::string>{"/lib/x86_64-linux-gnu/libc.so.6"});
        EXPECT_TRUE(bp::linker_cache_paths(cache, "libnidaqmx.so").empty());
        // Cut anywhere: no crash, and nothing found past the cut.
        for (size_t cut = 0; cut < bytes.size(); cut += 7)
            for (const std::string &p : bp::linker_cache_paths(write(std::string(layout) + "_cut", bytes.substr(0, cut)),
                                                                "libnidaqmx.so.1"))
                EXPECT_EQ(p.rfind("/usr/local/natinst/", 0), 0u) << cut;
    }
    EXPECT_TRUE(bp::linker_cache_paths(write("none", "no cache here"), "libc.so.6").empty());
}

// A loadable segment that starts past the file's end (the file cut between two
// segments) is refused as one that ends past it is.
TEST(LinkerCache, ASegmentStartingPastTheEndIsRefused)
{
    std::string whole;
    {
        std::ifstream in(bp::self_exe(), std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    Elf64_Ehdr eh;
    ASSERT_GE(whole.size(), sizeof eh);
    std::memcpy(&eh, whole.data(), sizeof eh);
    // The end of the first loadable segment that another one starts beyond.
    uint64_t cut = 0;
    std::vector<Elf64_Phdr> loads;
    for (unsigned i = 0; i < eh.e_phnum; ++i) {
        Elf64_Phdr ph;
        std::memcpy(&ph, whole.data() + eh.e_phoff + i * sizeof ph, sizeof ph);
        if (ph.p_type == PT_LOAD) loads.push_back(ph);
    }
    for (const Elf64_Phdr &a : loads)
        for (const Elf64_Phdr &b : loads)
            if (b.p_offset > a.p_offset + a.p_filesz && a.p_offset + a.p_filesz > eh.e_phoff + eh.e_phnum * sizeof b &&
                (cut == 0 || a.p_offset + a.p_filesz < cut))
                cut = a.p_offset + a.p_filesz;
    if (cut == 0) GTEST_SKIP() << "no gap between loadable segments in this build";
    const std::string path = write("segment.so", whole.substr(0, cut));
    EXPECT_NE(base::files::library_fault(path).find("truncated (a loadable segment"), std::string::npos)
        << base::files::library_fault(path);
}

}  // namespace
