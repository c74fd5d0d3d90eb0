// Portable profile-file backend: the observable behaviour of the Windows
// profile functions over plain files. Names match without regard to case,
// values are trimmed, the first of duplicate sections and keys wins, a CR, an
// LF or a CR LF ends a line, and a file that starts with a UTF-16 or UTF-8
// byte-order mark is read in that encoding (values in the Windows-1252
// character set, as the ANSI functions give them) and written back in it.
#include "platform/profile.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/fileops.h"

namespace {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

// One section as the file holds it: its keys in order (duplicates too, as a
// section read lists them) and, by lower-case name, the first of each.
struct SectionIndex {
    std::vector<std::pair<std::string, std::string>> keys;
    std::unordered_map<std::string, std::size_t> byName;
};

struct FileIndex {
    std::vector<std::string> names;  // every section header, in order
    std::unordered_map<std::string, SectionIndex> sections;  // the first of each name
};

struct ParsedFile {
    // In the file's own text: 8-bit for ANSI files, UTF-8 otherwise (UTF-16
    // is kept as WTF-8, so even a lone surrogate is written back unchanged).
    std::vector<std::string> lines;
    Encoding encoding = Encoding::Ansi;
    std::string oddByte;  // the last byte of a UTF-16 file of odd length
    FileIndex index;
    bool indexed = false;
    long long mtime = -1;
    long long size = -1;
};

std::mutex cacheLock;
std::map<std::string, ParsedFile> cache;

// Windows-1252 at 0x80..0x9F; the five unassigned bytes map to the C1
// controls of the same number, as Windows' own conversion does.
const char16_t Cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one (W)UTF-8 sequence at text[i]; false for a malformed one.
bool NextCodePoint(const std::string& text, std::size_t& i, std::uint32_t& cp)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return false;
    }
    cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + static_cast<std::size_t>(k)) & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (byte(i + static_cast<std::size_t>(k)) & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

// Text of a Unicode file as the ANSI functions give it: '?' for what
// Windows-1252 cannot hold.
std::string ToAnsi(Encoding encoding, const std::string& text)
{
    if (encoding == Encoding::Ansi)
        return text;
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t cp = 0;
        char c = '?';
        if (NextCodePoint(text, i, cp)) {
            if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
                c = static_cast<char>(cp);
            } else {
                for (int k = 0; k < 32; ++k)
                    if (Cp1252High[k] == cp)
                        c = static_cast<char>(0x80 + k);
            }
        }
        out += c;
    }
    return out;
}

std::string FromAnsi(Encoding encoding, const std::string& text)
{
    if (encoding == Encoding::Ansi)
        return text;
    std::string out;
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : b);
    }
    return out;
}

std::string DecodeUtf16(const std::string& bytes, bool bigEndian, std::string& oddByte)
{
    std::string out;
    const std::size_t units = (bytes.size() - 2) / 2;
    const auto unit = [&](std::size_t k) -> std::uint32_t {
        const auto hi = static_cast<unsigned char>(bytes[2 + 2 * k + (bigEndian ? 0 : 1)]);
        const auto lo = static_cast<unsigned char>(bytes[2 + 2 * k + (bigEndian ? 1 : 0)]);
        return (static_cast<std::uint32_t>(hi) << 8) | lo;
    };
    for (std::size_t k = 0; k < units; ++k) {
        std::uint32_t u = unit(k);
        if (u >= 0xD800 && u < 0xDC00 && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
            ++k;
        }
        AppendUtf8(out, u);
    }
    if ((bytes.size() - 2) % 2 != 0)
        oddByte = bytes.substr(bytes.size() - 1);
    return out;
}

void AppendUtf16(std::string& out, const std::string& text, bool bigEndian)
{
    const auto put = [&](std::uint32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t cp = 0;
        if (!NextCodePoint(text, i, cp))
            cp = '?';
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
}

bool StatFile(const char* path, long long& mtime, long long& size)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return false;
#if defined(__linux__)
    mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
#else
    mtime = static_cast<long long>(st.st_mtime);
#endif
    size = static_cast<long long>(st.st_size);
    return true;
}

void ReadLines(const char* path, ParsedFile& file)
{
    file.lines.clear();
    file.encoding = Encoding::Ansi;
    file.oddByte.clear();
    std::FILE* f = CurrentFileOps().openExisting(path, "rb");
    if (!f)
        return;
    std::string content;
    char chunk[8192];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        content.append(chunk, n);
    std::fclose(f);
    if (content.compare(0, 2, "\xFF\xFE") == 0) {
        file.encoding = Encoding::Utf16LE;
        content = DecodeUtf16(content, false, file.oddByte);
    } else if (content.compare(0, 2, "\xFE\xFF") == 0) {
        file.encoding = Encoding::Utf16BE;
        content = DecodeUtf16(content, true, file.oddByte);
    } else if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file.encoding = Encoding::Utf8;
        content.erase(0, 3);
    }
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = content.size();
        file.lines.push_back(content.substr(start, end - start));
        start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

// A line is read up to a NUL, as the Windows functions read it.
std::string Readable(const std::string& line)
{
    return line.substr(0, line.find('\0'));
}

// The section name of a line, when it is a section header.
bool SectionHeader(const std::string& line, std::string& name)
{
    std::string t = ProfileTrim(Readable(line));
    if (t.empty() || t[0] != '[')
        return false;
    std::size_t close = t.find(']');
    name = ProfileTrim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool KeyLine(const std::string& raw, std::string& key, std::string& value)
{
    const std::string line = Readable(raw);
    std::size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    std::string t = ProfileTrim(line.substr(0, eq));
    if (t.empty() || t[0] == ';')
        return false;
    key = t;
    value = ProfileTrim(line.substr(eq + 1));
    return true;
}

FileIndex BuildIndex(const ParsedFile& file)
{
    FileIndex index;
    SectionIndex* current = nullptr;
    std::string name, key, value;
    for (const std::string& line : file.lines) {
        if (SectionHeader(line, name)) {
            name = ToAnsi(file.encoding, name);
            index.names.push_back(name);
            std::string lower = ProfileLower(name);
            // A repeated section name: only its first occurrence is read.
            current = index.sections.count(lower) ? nullptr : &index.sections[lower];
            continue;
        }
        if (current && KeyLine(line, key, value)) {
            key = ToAnsi(file.encoding, key);
            current->byName.emplace(ProfileLower(key), current->keys.size());
            current->keys.emplace_back(key, ToAnsi(file.encoding, value));
        }
    }
    return index;
}

// The cached lines of a file, read again whenever the file on disk changed
// (another writer's change always shows).
ParsedFile& CachedFile(const char* path)
{
    long long mtime = -1, size = -1;
    bool exists = StatFile(path, mtime, size);
    ParsedFile& entry = cache[path];
    if (!exists) {
        entry = ParsedFile{};
        entry.indexed = true;
        entry.mtime = entry.size = -2;
    } else if (entry.mtime != mtime || entry.size != size) {
        ReadLines(path, entry);
        entry.indexed = false;
        entry.mtime = mtime;
        entry.size = size;
    }
    return entry;
}

const FileIndex& CachedIndex(const char* path)
{
    ParsedFile& entry = CachedFile(path);
    if (!entry.indexed) {
        entry.index = BuildIndex(entry);
        entry.indexed = true;
    }
    return entry.index;
}

bool SameName(Encoding encoding, const std::string& inFile, const char* name)
{
    return ProfileLower(ToAnsi(encoding, inFile)) == ProfileLower(name);
}

// Finds the section header line and the range of its body [first, last).
bool FindSection(const ParsedFile& file, const char* section, std::size_t& header, std::size_t& end)
{
    const std::vector<std::string>& lines = file.lines;
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (SectionHeader(lines[i], name) && SameName(file.encoding, name, section)) {
            header = i;
            end = i + 1;
            while (end < lines.size() && !SectionHeader(lines[end], name))
                ++end;
            return true;
        }
    }
    return false;
}

int CopyOut(const std::string& value, char* buf, int size)
{
    if (!buf || size <= 0)
        return 0;
    std::size_t n = value.size();
    if (n > static_cast<std::size_t>(size - 1))
        n = static_cast<std::size_t>(size - 1);
    std::memcpy(buf, value.data(), n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

// NUL-ended pieces into buf as the section functions return them: a final
// extra NUL, and size - 2 when they did not all fit.
int CopyList(const std::vector<std::string>& pieces, char* buf, int size)
{
    if (!buf || size < 2)
        return 0;
    const auto room = static_cast<std::size_t>(size - 2);
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        if (at + piece.size() + 1 > room) {
            std::size_t fits = room > at ? room - at : 0;
            std::memcpy(buf + at, piece.data(), fits);
            buf[room] = buf[room + 1] = '\0';
            return size - 2;
        }
        std::memcpy(buf + at, piece.data(), piece.size());
        at += piece.size();
        buf[at++] = '\0';
    }
    buf[at] = '\0';
    return static_cast<int>(at);
}

int IniRead(const char* file, const char* section, const char* key, const char* def, char* buf, int size)
{
    std::string fallback = ProfileTrim(def ? def : "");
    if (!file || !section || !key)
        return CopyOut("", buf, size);
    std::lock_guard<std::mutex> guard(cacheLock);
    const FileIndex& index = CachedIndex(file);
    auto s = index.sections.find(ProfileLower(section));
    if (s != index.sections.end()) {
        auto k = s->second.byName.find(ProfileLower(key));
        if (k != s->second.byName.end())
            return CopyOut(ProfileUnquote(s->second.keys[k->second].second), buf, size);
    }
    return CopyOut(fallback, buf, size);
}

int IniReadSection(const char* file, const char* section, char* buf, int size)
{
    if (!file || !section)
        return CopyList({}, buf, size);
    std::lock_guard<std::mutex> guard(cacheLock);
    const FileIndex& index = CachedIndex(file);
    std::vector<std::string> pieces;
    auto s = index.sections.find(ProfileLower(section));
    if (s != index.sections.end())
        for (const auto& [key, value] : s->second.keys)
            pieces.push_back(key + "=" + value);
    return CopyList(pieces, buf, size);
}

int IniReadSectionNames(const char* file, char* buf, int size)
{
    if (!file)
        return CopyList({}, buf, size);
    std::lock_guard<std::mutex> guard(cacheLock);
    return CopyList(CachedIndex(file).names, buf, size);
}

std::string EncodeFile(const ParsedFile& file)
{
    std::string text;
    for (const std::string& line : file.lines)
        text += line + "\r\n";
    switch (file.encoding) {
    case Encoding::Ansi:
        return text;
    case Encoding::Utf8:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool big = file.encoding == Encoding::Utf16BE;
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        AppendUtf16(out, text, big);
        return out + file.oddByte;
    }
    }
    return text;
}

// The new content goes to a file beside the old one, is flushed to the disk
// and then takes the file's name in one step: a full disk or a crash leaves
// the old file whole.
bool ReplaceContent(const char* path, const std::string& bytes)
{
    const FileOps& ops = CurrentFileOps();
    static unsigned counter = 0;
    const auto stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 100 && !f; ++attempt) {
        temp = std::string(path) + ".new" + std::to_string((stamp + ++counter) % 1000000);
        f = ops.createNew(temp.c_str());
    }
    if (!f)
        return false;
    bool ok = ops.writeAll(f, bytes.data(), bytes.size()) == 0 && ops.flushToDisk(f) == 0;
    if (std::fclose(f) != 0)
        ok = false;
#ifndef _WIN32
    struct stat st;
    if (ok && stat(path, &st) == 0)
        chmod(temp.c_str(), st.st_mode & 07777);  // keep who may read the settings
#endif
    if (!ok || ops.replaceFile(temp.c_str(), path) != 0) {
        ops.removeFile(temp.c_str());
        return false;
    }
    return true;
}

int IniWrite(const char* file, const char* section, const char* key, const char* value)
{
    std::lock_guard<std::mutex> guard(cacheLock);
    if (!section && !key && !value) {
        if (file)
            cache.erase(file);
        else
            cache.clear();
        return 1;
    }
    if (!file || !section)
        return 0;
    // Start from the file as it is on disk now, so another writer's change
    // survives; the cache is only used while the file is unchanged.
    ParsedFile& entry = CachedFile(file);
    std::vector<std::string>& lines = entry.lines;
    const auto inFile = [&](const std::string& text) { return FromAnsi(entry.encoding, text); };
    std::size_t header = 0, end = 0;
    bool haveSection = FindSection(entry, section, header, end);
    if (!key) {
        if (haveSection)
            lines.erase(lines.begin() + static_cast<long>(header), lines.begin() + static_cast<long>(end));
        else
            return 1;
    } else if (haveSection) {
        std::string k, v;
        std::size_t found = end;
        std::size_t lastKey = header;
        for (std::size_t i = header + 1; i < end; ++i) {
            if (KeyLine(lines[i], k, v)) {
                if (found == end && SameName(entry.encoding, k, key))
                    found = i;
                lastKey = i;
            }
        }
        if (found != end) {
            if (value) {
                lines[found] = inFile(std::string(key) + "=" + value);
            } else {
                // Every copy goes, or a later duplicate would show through.
                for (std::size_t i = end; i-- > found;)
                    if (KeyLine(lines[i], k, v) && SameName(entry.encoding, k, key))
                        lines.erase(lines.begin() + static_cast<long>(i));
            }
        } else if (value) {
            lines.insert(lines.begin() + static_cast<long>(lastKey + 1), inFile(std::string(key) + "=" + value));
        } else {
            return 1;
        }
    } else {
        if (!value)
            return 1;
        if (!lines.empty() && !ProfileTrim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back(inFile(std::string("[") + section + "]"));
        lines.push_back(inFile(std::string(key) + "=" + value));
    }
    entry.indexed = false;
    bool ok = ReplaceContent(file, EncodeFile(entry));
    if (!ok || !StatFile(file, entry.mtime, entry.size))
        cache.erase(file);
    return ok ? 1 : 0;
}

} // namespace

const ProfileBackend IniProfileBackend = {IniRead, IniWrite, IniReadSection, IniReadSectionNames};
