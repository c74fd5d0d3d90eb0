// Portable profile-file backend: the observable behaviour of the Windows
// profile functions (case-insensitive names, trimmed values, first of
// duplicate keys wins, CR LF lines) over plain stdio.
#include "platform/profile.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A file's values by lower-case section and key name: the first section of
// a name and the first key of a name within it win, as with the Windows
// profile functions. Reads are then one lookup, however long the file.
using KeyIndex = std::unordered_map<std::string, std::string>;
using SectionIndex = std::unordered_map<std::string, KeyIndex>;

struct ParsedFile {
    std::vector<std::string> lines;
    SectionIndex sections;
    bool indexed = false;
    long long mtime = -1;
    long long size = -1;
};

std::mutex cacheLock;
std::map<std::string, ParsedFile> cache;

bool SameName(const std::string& a, const char* b)
{
    std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
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

std::vector<std::string> ReadLines(const char* path)
{
    std::vector<std::string> lines;
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return lines;
    std::string content;
    char chunk[8192];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        content.append(chunk, n);
    std::fclose(f);
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The section name of a line, when it is a section header.
bool SectionHeader(const std::string& line, std::string& name)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[')
        return false;
    std::size_t close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value)
{
    std::size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    std::string t = Trim(line.substr(0, eq));
    if (t.empty() || t[0] == ';')
        return false;
    key = t;
    value = Trim(line.substr(eq + 1));
    return true;
}

std::string Lower(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

SectionIndex BuildIndex(const std::vector<std::string>& lines)
{
    SectionIndex index;
    KeyIndex* current = nullptr;
    std::string name, key, value;
    for (const std::string& line : lines) {
        if (SectionHeader(line, name)) {
            std::string lower = Lower(name);
            // A repeated section name: only its first occurrence is read.
            current = index.count(lower) ? nullptr : &index[lower];
            continue;
        }
        if (current && KeyLine(line, key, value))
            current->emplace(Lower(key), value);
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
        entry.lines.clear();
        entry.sections.clear();
        entry.indexed = true;
        entry.mtime = entry.size = -2;
    } else if (entry.mtime != mtime || entry.size != size) {
        entry.lines = ReadLines(path);
        entry.indexed = false;
        entry.mtime = mtime;
        entry.size = size;
    }
    return entry;
}

const SectionIndex& CachedIndex(const char* path)
{
    ParsedFile& entry = CachedFile(path);
    if (!entry.indexed) {
        entry.sections = BuildIndex(entry.lines);
        entry.indexed = true;
    }
    return entry.sections;
}

// Finds the section header line and the range of its body [first, last).
bool FindSection(const std::vector<std::string>& lines, const char* section, std::size_t& header, std::size_t& end)
{
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (SectionHeader(lines[i], name) && SameName(name, section)) {
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

std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

int IniRead(const char* file, const char* section, const char* key, const char* def, char* buf, int size)
{
    std::string fallback = Trim(def ? def : "");
    if (!file || !section || !key)
        return CopyOut("", buf, size);
    std::lock_guard<std::mutex> guard(cacheLock);
    const SectionIndex& index = CachedIndex(file);
    auto section_ = index.find(Lower(section));
    if (section_ != index.end()) {
        auto key_ = section_->second.find(Lower(key));
        if (key_ != section_->second.end())
            return CopyOut(Unquote(key_->second), buf, size);
    }
    return CopyOut(fallback, buf, size);
}

bool WriteLines(const char* path, const std::vector<std::string>& lines)
{
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    bool ok = true;
    for (const std::string& line : lines) {
        if (std::fwrite(line.data(), 1, line.size(), f) != line.size() || std::fwrite("\r\n", 1, 2, f) != 2)
            ok = false;
    }
    if (std::fclose(f) != 0)
        ok = false;
    return ok;
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
    std::size_t header = 0, end = 0;
    bool haveSection = FindSection(lines, section, header, end);
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
                if (found == end && SameName(k, key))
                    found = i;
                lastKey = i;
            }
        }
        if (found != end) {
            if (value) {
                lines[found] = std::string(key) + "=" + value;
            } else {
                // Every copy goes, or a later duplicate would show through.
                for (std::size_t i = end; i-- > found;)
                    if (KeyLine(lines[i], k, v) && SameName(k, key))
                        lines.erase(lines.begin() + static_cast<long>(i));
            }
        } else if (value) {
            lines.insert(lines.begin() + static_cast<long>(lastKey + 1), std::string(key) + "=" + value);
        } else {
            return 1;
        }
    } else {
        if (!value)
            return 1;
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back(std::string("[") + section + "]");
        lines.push_back(std::string(key) + "=" + value);
    }
    entry.indexed = false;
    bool ok = WriteLines(file, lines);
    if (!ok || !StatFile(file, entry.mtime, entry.size))
        cache.erase(file);
    return ok ? 1 : 0;
}

} // namespace

const ProfileBackend IniProfileBackend = {IniRead, IniWrite};
