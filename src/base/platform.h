// What differs between Linux and Windows, in one place: the rest of the tree
// calls these and never the system's own calls for them. CMake builds
// platform_posix.cpp or platform_windows.cpp (and stop_signals_posix.cpp or
// stop_signals_windows.cpp). Strings are UTF-8; the Windows side converts
// them to the wide calls. File descriptors are the C run-time's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace base::platform {

// --- Paths ---------------------------------------------------------------

// '/' (and on Windows '\\' too).
bool is_separator(char c);
// The position of the last separator (or of a drive's ':' as in "C:x"), npos if none.
std::size_t last_separator(const std::string &path);
// A name without a folder: looked up by the system's search (a library) or
// in korvane's own folders (a panel file), rather than opened where it is.
inline bool is_bare_name(const std::string &path)
{
    return last_separator(path) == std::string::npos;
}
// The file's name without its folder.
inline std::string file_name(const std::string &path)
{
    const std::size_t at = last_separator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}
// The running executable's path ("" when it cannot be had).
std::string self_exe();
// The file of the executable or library that holds this address ("" when unknown).
std::string module_path(const void *address);

// --- Shared libraries ----------------------------------------------------

// A library's file name as the build names it: "libNAME.so", "libNAME.dll" (MinGW).
std::string library_file(const std::string &name);
// NI-DAQmx's file names, first tried first: libnidaqmx.so and libnidaqmx.so.1;
// on Windows nicaiu.dll (its strings in the ANSI code page).
std::vector<std::string> driver_library_names();
// Where the system's loader finds a bare library name, "" when nowhere:
// LD_LIBRARY_PATH, ld.so.cache and the default folders; on Windows the
// executable's folder, the system folders and PATH (never the current folder).
std::string library_search(const std::string &name);
// The paths a dynamic linker's cache file (glibc's ld.so.cache, in either of
// its two layouts) gives for a library name; none on Windows, which has no such cache.
std::vector<std::string> linker_cache_paths(const std::string &cache_file, const std::string &name);
// Loads a library (a path, or a bare name by library_search); null with why.
void *open_library(const std::string &path, std::string &why);
void *library_symbol(void *library, const char *name);
void close_library(void *library);
// A real driver's text (a NUL-ended string in a buffer of size bytes) made
// UTF-8 in place, cut at a whole character: nothing to do on Linux; on
// Windows nicaiu.dll's texts are in the ANSI code page.
void driver_text_to_utf8(char *buf, std::size_t size);
// Why the open file of size bytes is not a loadable library for this system
// or lies outside itself ("" when fine): the ELF program headers and loadable
// segments; the PE header, AMD64 and the section table.
std::string library_format_fault(int fd, std::uint64_t size);

// --- Files ---------------------------------------------------------------

// The flags for open(): reading without blocking; writing a FIFO or device
// in place; creating a new file exclusively. Binary, not inherited.
int open_read_flags();
int open_write_flags();
int open_create_flags();
// Reads size bytes at offset; false when the file has fewer.
bool read_at(int fd, void *buf, std::size_t size, std::uint64_t offset);
// Writes at offset; false on failure.
bool write_at(int fd, const void *buf, std::size_t size, std::uint64_t offset);
// What a file that is not a regular one is, from its stat mode: "a folder",
// "a FIFO", "a socket", "a device", else "not a regular file".
std::string kind_of(unsigned mode);
// Bytes from the system's random source; false when it gave none.
bool random_bytes(void *buf, std::size_t size);
// The final target of a symbolic link (path itself when it is none); fills
// loop when links go round.
std::string follow_links(const std::string &path, bool &loop);
// Makes a FIFO: 0, or an errno value; ENOSYS on Windows, which has none
// (its named pipes are no files).
int make_fifo(const std::string &path);
// The steps of replacing a file atomically, each 0 or an errno value: a new
// file gets the old one's owner and mode where the system has them; its data
// on the disk; put in place of the target, replacing it (on Windows with
// write-through); the folder's entry on the disk (nothing to do on Windows).
void keep_owner_and_mode(int fd, const std::string &target);
int sync_file(int fd);
int replace_file(const std::string &from, const std::string &to);
int sync_folder(const std::string &folder);
// Closes standard output, returning 0 or errno: a late write error shows here.
int close_stdout();

// --- The lock of a shared state file ---------------------------------------

// Opens (creating) the lock file; -1 with errno.
int open_lock_file(const std::string &path);
// Takes the exclusive lock without waiting: 0, or EWOULDBLOCK while another
// holds it, or another errno. Windows locks are mandatory, so the locked
// range lies past the holder's process number at the file's start.
int try_lock(int fd);
// The process number written at the start of a held lock file / read back (0 none).
void write_holder(int fd);
long read_holder(int fd);

// --- The console ---------------------------------------------------------

// True when fd is a console or terminal (on Windows GetConsoleMode: NUL is a
// character device but no console).
bool is_console(int fd);
// Standard input or output as raw bytes (Windows' C run-time translates line ends).
void set_binary(int fd);
// The console takes UTF-8 and, where it can, the escape sequences that move
// the cursor; nothing to do on Linux.
void prepare_console();

// The local time of a moment, thread-safe (localtime_r, localtime_s).
std::tm local_time(std::time_t t);

// True where a window system is always there (Windows' desktop); on Linux
// DISPLAY or WAYLAND_DISPLAY tell.
bool always_has_desktop();

// --- The window program's twin --------------------------------------------

// Runs the program `name` from this executable's folder with this process's
// arguments, passed on as they came, and waits for it: its exit status, or -1
// with why when it did not start. On Windows the program gets no console
// window (korvanew.exe starts korvane.exe so from Explorer and shortcuts); on
// Linux it replaces this process.
int run_sibling(const std::string &name, std::string &why);
// Tells the user something where there may be no console: a message box on
// Windows, standard error on Linux.
void alert(const std::string &title, const std::string &text);

// --- Debugging -----------------------------------------------------------

bool debugger_present();
// Stops in the attached debugger.
void debug_break();

}  // namespace base::platform
