#include "app/cli/word_files.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>

#include "base/korvane_files.h"

namespace app::cli {

unsigned long parse_number(const std::string &text, unsigned long max, const std::string &what)
{
    const char *begin = text.data(), *end = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    unsigned long long v = 0;
    auto [ptr, ec] = std::from_chars(begin, end, v, base);
    if (text.empty() || ec == std::errc::invalid_argument || ptr != end)
        throw UsageError(what + " \"" + text + "\" is not a number (decimal, or hex with 0x)");
    if (ec == std::errc::result_out_of_range || v > max) {
        char range[64];
        std::snprintf(range, sizeof range, "0..%lu (0x%lX)", max, max);
        throw UsageError(what + " " + text + " is outside " + range);
    }
    return static_cast<unsigned long>(v);
}

size_t Image::size() const
{
    size_t n = 0;
    for (const Run &r : runs) n += r.words.size();
    return n;
}

unsigned Image::end() const
{
    unsigned e = 0;
    for (const Run &r : runs) e = std::max(e, r.first + static_cast<unsigned>(r.words.size()));
    return e;
}

bool is_hex_name(const std::string &path)
{
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".hex";
}

Image read_binary(const std::string &bytes, const std::string &name)
{
    if (bytes.size() % 2 != 0)
        throw UsageError(name + ": " + std::to_string(bytes.size()) +
                         " bytes, an odd length: not a file of 16-bit words");
    Run run;
    run.words.resize(bytes.size() / 2);
    for (size_t i = 0; i < run.words.size(); i++)
        run.words[i] = static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                             static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    Image image;
    if (!run.words.empty()) image.runs.push_back(std::move(run));
    return image;
}

std::string write_binary(const std::vector<uint16_t> &words)
{
    std::string bytes(words.size() * 2, '\0');
    for (size_t i = 0; i < words.size(); i++) {
        bytes[2 * i] = static_cast<char>(words[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(words[i] >> 8);
    }
    return bytes;
}

namespace {

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

namespace {

// One data byte of an Intel HEX file: where it goes and the line that gave it.
struct HexByte {
    uint32_t offset;
    uint32_t line;
    uint8_t value;
};

std::string offset_text(unsigned long offset)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lX", offset);
    return text;
}

// An Intel HEX file being read: its data bytes so far, the base address the
// last address record set, and whether the end-of-file record came.
struct HexReading {
    // The bus takes 0x10000 words: a byte beyond is refused as it comes, so
    // memory stays within some bytes per byte of the file.
    static constexpr unsigned long kBytes = 0x20000;
    std::vector<HexByte> bytes;
    unsigned long base = 0;
    bool ended = false;
};

// A record's bytes (count, offset, type, data, checksum) from its line, its
// length and checksum checked.
std::vector<uint8_t> hex_record_bytes(std::string_view line, const std::string &where)
{
    if (line[0] != ':') throw UsageError(where + "not an Intel HEX record (no ':' at its start)");
    // At most 255 data bytes: a longer line is no record.
    if (line.size() > 1 + 2 * (5 + 255)) throw UsageError(where + "Intel HEX record longer than 255 data bytes");
    std::vector<uint8_t> rec;
    for (size_t i = 1; i + 1 < line.size(); i += 2) {
        int hi = hex_digit(line[i]), lo = hex_digit(line[i + 1]);
        if (hi < 0 || lo < 0) throw UsageError(where + "Intel HEX record with a character that is not hex");
        rec.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    if (line.size() % 2 == 0 || rec.size() < 5 || rec.size() != 5u + rec[0])
        throw UsageError(where + "truncated Intel HEX record");
    uint8_t sum = 0;
    for (uint8_t b : rec) sum = static_cast<uint8_t>(sum + b);
    if (sum != 0) throw UsageError(where + "Intel HEX record with a wrong checksum");
    return rec;
}

// One record of each kind: its count, offset and data, the line it is on.
struct HexRecord {
    unsigned type, count, offset;
    const uint8_t *data;
    uint32_t line;
    const std::string &where;
};

void hex_data(HexReading &r, const HexRecord &rec)
{
    for (unsigned i = 0; i < rec.count; i++) {
        const unsigned long byte = r.base + rec.offset + i;
        if (byte >= HexReading::kBytes)
            throw UsageError(rec.where + "data beyond the bus's address space (byte offset " + offset_text(byte) + ")");
        r.bytes.push_back({static_cast<uint32_t>(byte), rec.line, rec.data[i]});
    }
}

void hex_end_of_file(HexReading &r, const HexRecord &rec)
{
    if (rec.count != 0) throw UsageError(rec.where + "end-of-file record carrying data");
    r.ended = true;
}

// Extended segment address (type 2: the base in 16-byte steps) and extended
// linear address (type 4: the upper 16 bits of the byte offset).
void hex_base(HexReading &r, const HexRecord &rec)
{
    if (rec.count != 2) throw UsageError(rec.where + "Intel HEX address record whose length is not 2");
    r.base = static_cast<unsigned long>(rec.data[0] << 8 | rec.data[1]) << (rec.type == 0x02 ? 4 : 16);
}

// Start addresses (types 3 and 5) mean nothing to the bus.
void hex_start_address(HexReading &, const HexRecord &) {}

// The record types korvane takes, by number.
constexpr void (*kHexRecordKinds[])(HexReading &, const HexRecord &) = {
    hex_data, hex_end_of_file, hex_base, hex_start_address, hex_base, hex_start_address};

// The bytes in address order, each address's bytes in the order of the file,
// paired into 16-bit words: an address given twice with other data, or half a
// word, is refused with its line.
Image hex_image(std::vector<HexByte> bytes, const std::string &name)
{
    std::stable_sort(bytes.begin(), bytes.end(), [](const HexByte &a, const HexByte &b) { return a.offset < b.offset; });
    std::vector<HexByte> unique;
    for (const HexByte &b : bytes) {
        if (unique.empty() || unique.back().offset != b.offset) {
            unique.push_back(b);
        } else if (unique.back().value != b.value) {
            throw UsageError(name + ":" + std::to_string(b.line) + ": overlaps line " + std::to_string(unique.back().line) +
                             " with other data at byte offset " + offset_text(b.offset));
        }
    }
    Image image;
    for (size_t i = 0; i < unique.size(); i += 2) {
        const HexByte &low = unique[i];
        if (low.offset % 2 != 0 || i + 1 == unique.size() || unique[i + 1].offset != low.offset + 1)
            throw UsageError(name + ":" + std::to_string(low.line) + ": byte offset " + offset_text(low.offset) +
                             " holds half of a 16-bit word");
        const unsigned word_at = low.offset / 2;
        const uint16_t w = static_cast<uint16_t>(low.value | unique[i + 1].value << 8);
        if (image.runs.empty() || image.runs.back().first + image.runs.back().words.size() != word_at)
            image.runs.push_back(Run{word_at, {}});
        image.runs.back().words.push_back(w);
    }
    return image;
}

}  // namespace

Image read_intel_hex(const std::string &text, const std::string &name)
{
    HexReading reading;
    uint32_t number = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        number++;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::string where = name + ":" + std::to_string(number) + ": ";
        if (reading.ended) throw UsageError(where + "record after the end-of-file record");
        const std::vector<uint8_t> rec = hex_record_bytes(line, where);
        if (rec[3] >= std::size(kHexRecordKinds))
            throw UsageError(where + "unknown Intel HEX record type " + std::to_string(rec[3]));
        const HexRecord record{rec[3], rec[0], static_cast<unsigned>(rec[1] << 8 | rec[2]), rec.data() + 4, number,
                               where};
        kHexRecordKinds[rec[3]](reading, record);
    }
    if (!reading.ended) throw UsageError(name + ": the Intel HEX file ends without its end-of-file record");
    return hex_image(std::move(reading.bytes), name);
}

std::string write_intel_hex(const std::vector<uint16_t> &words)
{
    std::string out;
    auto record = [&out](unsigned offset, unsigned type, const std::vector<uint8_t> &data) {
        char buf[16];
        std::snprintf(buf, sizeof buf, ":%02X%04X%02X", static_cast<unsigned>(data.size()), offset & 0xFFFF, type);
        out += buf;
        unsigned sum = static_cast<unsigned>(data.size()) + (offset >> 8 & 0xFF) + (offset & 0xFF) + type;
        for (uint8_t b : data) {
            std::snprintf(buf, sizeof buf, "%02X", b);
            out += buf;
            sum += b;
        }
        std::snprintf(buf, sizeof buf, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        out += buf;
    };
    const std::string bytes = write_binary(words);
    unsigned long upper = 0;
    for (size_t at = 0; at < bytes.size(); at += 16) {
        if ((at >> 16) != upper) {
            upper = at >> 16;
            record(0, 0x04, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)});
        }
        std::vector<uint8_t> data(bytes.begin() + static_cast<long>(at),
                                  bytes.begin() + static_cast<long>(std::min(bytes.size(), at + 16)));
        record(static_cast<unsigned>(at & 0xFFFF), 0x00, data);
    }
    record(0, 0x01, {});
    return out;
}

std::string read_file(const std::string &path, bool dash_is_stdin)
{
    std::string text;
    if (std::string why = base::files::read_bounded(path, text, dash_is_stdin); !why.empty()) {
        // The reader gives the system's text of a failed open or read: its number again.
        int number = why == "a folder" ? EISDIR : 0;
        for (int e : {ENOENT, EACCES, EPERM, ENOTDIR, ELOOP, ENAMETOOLONG, EIO, EINTR})
            if (why == std::strerror(e)) number = e;
        const std::string name = dash_is_stdin && path == "-" ? "standard input" : path;
        throw FileError("cannot read " + name + ": " + why, number, path);
    }
    return text;
}

bool hex_format(const std::string &path, const std::string &format, const std::string &bytes)
{
    if (format == "hex" || format == "bin") return format == "hex";
    if (path == "-") return !bytes.empty() && bytes[0] == ':';  // no name to go by
    return is_hex_name(path);
}

Image read_words(const std::string &path, const std::string &format)
{
    const std::string name = path == "-" ? "standard input" : path;
    const std::string bytes = read_file(path, true);
    return hex_format(path, format, bytes) ? read_intel_hex(bytes, name) : read_binary(bytes, name);
}

}  // namespace app::cli
