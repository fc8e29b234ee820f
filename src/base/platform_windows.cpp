// The platform layer on Windows (platform.h): wide calls for UTF-8 strings,
// the DLL search order instead of the dynamic linker's, the PE check.
#include "base/platform.h"

#include <windows.h>
#include <bcrypt.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace base::platform {

namespace {

namespace fs = std::filesystem;

std::wstring wide(const std::string &s)
{
    if (s.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string narrow(const std::wstring &w)
{
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// The system's text for an error code, one line.
std::string system_text(DWORD code)
{
    wchar_t *buf = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t *>(&buf), 0, nullptr);
    std::string text = n ? narrow(std::wstring(buf, n)) : "error " + std::to_string(code);
    if (buf) ::LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string module_file(HMODULE module)
{
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return "";
        if (n < buf.size()) return narrow(buf.substr(0, n));
        buf.resize(buf.size() * 2);
    }
}

HANDLE os_handle(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

std::string system_folder(UINT (*get)(LPWSTR, UINT))
{
    wchar_t buf[MAX_PATH];
    const UINT n = get(buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? narrow(std::wstring(buf, n)) : "";
}

template <class T>
bool read_struct(int fd, T &value, uint64_t offset)
{
    return read_at(fd, &value, sizeof value, offset);
}

// Where the locked byte lies: far past the holder's process number, which
// another process must still be able to read.
constexpr DWORD kLockOffset = 1u << 30;

}  // namespace

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

std::size_t last_separator(const std::string &path)
{
    const size_t at = path.find_last_of("/\\");
    if (at != std::string::npos) return at;
    // "C:name" is name in drive C's current folder.
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])) ? 1
                                                                                                   : std::string::npos;
}

std::string self_exe()
{
    return module_file(nullptr);
}

std::string module_path(const void *address)
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return "";
    return module_file(module);
}

std::string library_file(const std::string &name)
{
    return "lib" + name + ".dll";
}

std::vector<std::string> driver_library_names()
{
    return {"nicaiu.dll"};
}

std::string library_search(const std::string &name)
{
    std::error_code ec;
    auto holds = [&](const std::string &dir) {
        if (dir.empty()) return std::string();
        const fs::path p = fs::path(wide(dir)) / fs::path(wide(name));
        return fs::is_regular_file(p, ec) ? narrow(p.wstring()) : std::string();
    };
    // The safe DLL search order without the current folder: the program's
    // folder, the system folders, then PATH.
    const std::string exe = self_exe();
    const size_t at = last_separator(exe);
    if (at != std::string::npos)
        if (std::string p = holds(exe.substr(0, at)); !p.empty()) return p;
    if (std::string p = holds(system_folder(::GetSystemDirectoryW)); !p.empty()) return p;
    if (std::string p = holds(system_folder(::GetWindowsDirectoryW)); !p.empty()) return p;
    if (const wchar_t *env = ::_wgetenv(L"PATH")) {
        const std::string dirs = narrow(env);
        for (size_t from = 0; from <= dirs.size();) {
            size_t to = dirs.find(';', from);
            if (to == std::string::npos) to = dirs.size();
            std::string dir = dirs.substr(from, to - from);
            if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"') dir = dir.substr(1, dir.size() - 2);
            // An empty entry (C:\a;;C:\b) or a relative one (".", "bin", "C:x") would be the
            // current folder or below it: DLL planting, which this order exists to prevent.
            // A rooted one (\lab\bin on the current drive, or a Unix folder as wine passes it) is taken.
            if (!fs::path(wide(dir)).has_root_directory()) dir.clear();
            if (std::string p = holds(dir); !p.empty()) return p;
            from = to + 1;
        }
    }
    return "";
}

std::vector<std::string> linker_cache_paths(const std::string &, const std::string &)
{
    return {};
}

void *open_library(const std::string &path, std::string &why)
{
    std::string file = path;
    if (is_bare_name(path)) {
        file = library_search(path);
        if (file.empty()) {
            why = path + ": " + system_text(ERROR_MOD_NOT_FOUND) + " (looked in the program's folder, the system "
                                                                   "folders and PATH)";
            return nullptr;
        }
    }
    // Its own dependencies from its folder and the system's, never the current folder.
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(wide(file)), ec);
    HMODULE h = ::LoadLibraryExW(ec ? wide(file).c_str() : absolute.c_str(), nullptr,
                                 LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR);
    if (!h) why = file + ": " + system_text(::GetLastError());
    return reinterpret_cast<void *>(h);
}

void *library_symbol(void *library, const char *name)
{
    return library ? reinterpret_cast<void *>(::GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void close_library(void *library)
{
    if (library) ::FreeLibrary(static_cast<HMODULE>(library));
}

void driver_text_to_utf8(char *buf, std::size_t size)
{
    const size_t len = strnlen(buf, size);
    if (len == size) return;  // not NUL-ended: left alone
    bool plain = true;
    for (size_t i = 0; i < len; ++i) plain = plain && static_cast<unsigned char>(buf[i]) < 0x80;
    if (plain) return;
    const int n = ::MultiByteToWideChar(CP_ACP, 0, buf, static_cast<int>(len), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, buf, static_cast<int>(len), w.data(), n);
    std::string text = narrow(w);
    if (text.size() > size - 1) {
        size_t cut = size - 1;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        text.resize(cut);
    }
    std::memcpy(buf, text.c_str(), text.size() + 1);
}

std::string library_format_fault(int fd, std::uint64_t size)
{
    if (size == 0) return "an empty file";
    IMAGE_DOS_HEADER dos{};
    if (!read_struct(fd, dos, 0) || dos.e_magic != IMAGE_DOS_SIGNATURE) return "not a DLL (no MZ header)";
    const uint64_t pe = static_cast<uint32_t>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER file{};
    if (pe + 4 + sizeof file > size || !read_struct(fd, signature, pe) || signature != IMAGE_NT_SIGNATURE ||
        !read_struct(fd, file, pe + 4))
        return "not a DLL (no PE header)";
    if (file.Machine != IMAGE_FILE_MACHINE_AMD64)
        return "not a 64-bit DLL for x64 (machine 0x" + [&] {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%04x", file.Machine);
            return std::string(hex);
        }() + ")";
    const uint64_t sections = pe + 4 + sizeof file + file.SizeOfOptionalHeader;
    const uint64_t end = sections + uint64_t{file.NumberOfSections} * sizeof(IMAGE_SECTION_HEADER);
    if (end > size)
        return "truncated (section table ends at byte " + std::to_string(end) + " of " + std::to_string(size) + ")";
    for (unsigned i = 0; i < file.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER s{};
        if (!read_struct(fd, s, sections + i * sizeof s)) return "cannot read its section table";
        if (s.SizeOfRawData > 0 && uint64_t{s.PointerToRawData} + s.SizeOfRawData > size)
            return "truncated (a section ends at byte " + std::to_string(uint64_t{s.PointerToRawData} + s.SizeOfRawData) +
                   " of " + std::to_string(size) + ")";
    }
    return "";
}

int open_read_flags()
{
    return _O_RDONLY | _O_BINARY | _O_NOINHERIT;
}

int open_write_flags()
{
    return _O_WRONLY | _O_BINARY | _O_NOINHERIT;
}

int open_create_flags()
{
    return _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT;
}

bool read_at(int fd, void *buf, std::size_t size, std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ::ReadFile(os_handle(fd), buf, static_cast<DWORD>(size), &got, &at) && got == size;
}

bool write_at(int fd, const void *buf, std::size_t size, std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    return ::WriteFile(os_handle(fd), buf, static_cast<DWORD>(size), &put, &at) && put == size;
}

std::string kind_of(unsigned mode)
{
    if ((mode & _S_IFMT) == _S_IFDIR) return "a folder";
    if ((mode & _S_IFMT) == _S_IFIFO) return "a FIFO";
    if ((mode & _S_IFMT) == _S_IFCHR) return "a device";
    return "not a regular file";
}

bool random_bytes(void *buf, std::size_t size)
{
    return BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, static_cast<PUCHAR>(buf), static_cast<ULONG>(size),
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

std::string follow_links(const std::string &path, bool &loop)
{
    // Windows resolves links and junctions itself when the file is opened and
    // replaced; the name given is the one written.
    loop = false;
    return path;
}

int make_fifo(const std::string &)
{
    return ENOSYS;
}

void keep_owner_and_mode(int, const std::string &)
{
    // The new file takes its folder's inherited permissions.
}

int sync_file(int fd)
{
    return ::FlushFileBuffers(os_handle(fd)) ? 0 : EIO;
}

int replace_file(const std::string &from, const std::string &to)
{
    if (::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL: return ENOSPC;
    default: return EIO;
    }
}

int sync_folder(const std::string &)
{
    return 0;  // MOVEFILE_WRITE_THROUGH has put the new entry on the disk
}

int close_stdout()
{
    return ::_close(1) == 0 ? 0 : errno;
}

int open_lock_file(const std::string &path)
{
    return ::_wopen(wide(path).c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int try_lock(int fd)
{
    OVERLAPPED at{};
    at.Offset = kLockOffset;
    if (::LockFileEx(os_handle(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return 0;
    const DWORD e = ::GetLastError();
    return e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING ? EWOULDBLOCK : EIO;
}

void write_holder(int fd)
{
    const std::string pid = std::to_string(::GetCurrentProcessId()) + "\n";
    if (::_chsize(fd, 0) != 0 || !write_at(fd, pid.data(), pid.size(), 0)) { /* only for the message */ }
}

long read_holder(int fd)
{
    char holder[32] = {};
    OVERLAPPED at{};
    DWORD got = 0;
    if (!::ReadFile(os_handle(fd), holder, sizeof holder - 1, &got, &at)) return 0;
    return std::strtol(holder, nullptr, 10);
}

bool is_console(int fd)
{
    DWORD mode = 0;
    return ::GetConsoleMode(os_handle(fd), &mode) != 0;
}

void set_binary(int fd)
{
    ::_setmode(fd, _O_BINARY);
}

void prepare_console()
{
    ::SetConsoleOutputCP(CP_UTF8);
    for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE h = ::GetStdHandle(which);
        DWORD mode = 0;
        if (::GetConsoleMode(h, &mode)) ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

std::tm local_time(std::time_t t)
{
    std::tm tm{};
    localtime_s(&tm, &t);
    return tm;
}

bool always_has_desktop()
{
    return true;
}

int run_sibling(const std::string &name, std::string &why)
{
    const std::string exe = self_exe();
    const std::wstring program = wide(exe.substr(0, last_separator(exe) + 1) + name);
    // The command line as it came, the first word (this program, quoted or
    // not, as the C run-time splits it) replaced by the sibling's path.
    const wchar_t *line = ::GetCommandLineW();
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    std::wstring command = L"\"" + program + L"\"" + line;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process)) {
        why = narrow(program) + ": " + system_text(::GetLastError());
        return -1;
    }
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

void alert(const std::string &title, const std::string &text)
{
    ::MessageBoxW(nullptr, wide(text).c_str(), wide(title).c_str(), MB_OK | MB_ICONERROR);
}

bool debugger_present()
{
    return ::IsDebuggerPresent() != 0;
}

void debug_break()
{
    ::DebugBreak();
}

}  // namespace base::platform
