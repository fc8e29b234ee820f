// Words for the bus commands, as pure functions: numbers given on the command
// line, and the files of dump and load (16-bit little-endian binary words, or
// Intel HEX whose byte offsets count from the load address).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace app::cli {

// A fault in what the user gave (a number, a file): one clear line.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A file that cannot be read (not there, not allowed, not a regular file, too
// big): the system's error number where there is one (0 otherwise) and the
// path, for the Python module's OSError.
struct FileError : UsageError {
    FileError(const std::string &what, int number, std::string file)
        : UsageError(what), error_number(number), path(std::move(file))
    {
    }
    int error_number;
    std::string path;
};

// A whole number in decimal or 0x hex from 0 to max; `what` names it in the
// error, e.g. "address".
unsigned long parse_number(const std::string &text, unsigned long max, const std::string &what);

// Consecutive words from offset `first` (in words) of the file's image.
struct Run {
    unsigned first = 0;
    std::vector<uint16_t> words;
};

// A file's words. Binary files give one run from 0; Intel HEX may give several.
struct Image {
    std::vector<Run> runs;
    size_t size() const;  // words in all runs
    unsigned end() const; // one past the highest word offset
};

bool is_hex_name(const std::string &path);

// Binary: pairs of bytes, low byte first. An odd length is an error.
Image read_binary(const std::string &bytes, const std::string &name);
std::string write_binary(const std::vector<uint16_t> &words);

// Intel HEX records 00 (data), 01 (end of file), 02 and 04 (segment and linear
// base address); ignored: 03 and 05 (start address). Every fault names the
// line: a record that overlaps an earlier one with other data names both, an
// end-of-file record must carry no data. Bytes beyond the bus's 0x10000 words
// are refused as they come; memory stays within some bytes per byte of text.
Image read_intel_hex(const std::string &text, const std::string &name);
std::string write_intel_hex(const std::vector<uint16_t> &words);

// The whole of a regular file of at most 1 MiB (korvane_files.h), or of
// standard input for "-" when dash_is_stdin. Anything else is a FileError.
std::string read_file(const std::string &path, bool dash_is_stdin);

// Whether a file of words is Intel HEX: format "hex" or "bin" says so, else
// its name (.hex), and standard input, which has none, by a leading ':'.
bool hex_format(const std::string &path, const std::string &format, const std::string &bytes);

// Reads a file of words ("-": standard input), binary or Intel HEX as hex_format says.
Image read_words(const std::string &path, const std::string &format = "");

}  // namespace app::cli
