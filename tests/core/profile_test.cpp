// One conformance suite for every settings-file backend: the portable reader
// and writer natively, and the Win32 profile API as well under Wine.

#include <cerrno>

#include "platform/fileops.h"
#include "platform/profile.h"
#include "startup/locations.h"
#include "support.h"

#ifdef _WIN32
#include "platform/win32/win32_ui.h"
#endif

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

struct BackendCase { const char* name; const ProfileBackend* backend; };

const BackendCase kBackends[] = {
    {"Portable", &IniProfileBackend},
#ifdef _WIN32
    {"Win32", &Win32Profile()},
#endif
};

enum class Bom { Utf16LE, Utf16BE, Utf8 };

// The text as a file of that encoding, with its byte-order mark.
std::string Encoded(const std::u16string& text, Bom bom)
{
    std::string out = bom == Bom::Utf16LE ? "\xFF\xFE" : bom == Bom::Utf16BE ? "\xFE\xFF" : "\xEF\xBB\xBF";
    for (char16_t u : text) {
        const auto c = [](unsigned v) { return static_cast<char>(v); };
        if (bom != Bom::Utf8)
            out += bom == Bom::Utf16LE ? std::string{c(u & 0xFF), c(u >> 8)} : std::string{c(u >> 8), c(u & 0xFF)};
        else if (u < 0x80)
            out += c(u);
        else if (u < 0x800)
            out += {c(0xC0 | u >> 6), c(0x80 | (u & 0x3F))};
        else
            out += {c(0xE0 | u >> 12), c(0x80 | (u >> 6 & 0x3F)), c(0x80 | (u & 0x3F))};
    }
    return out;
}

class ProfileConformance : public testsupport::ProgramDirTest, public ::testing::WithParamInterface<BackendCase> {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetProfileBackend(GetParam().backend);
        file = IniFilePath;  // written and flushed by WriteIni
    }
    void TearDown() override
    {
        ProfileFlush(file);
        SetProfileBackend(nullptr);
        ProgramDirTest::TearDown();
    }
    std::string Get(const char* section, const char* key) { return ProfileGetString(file, section, key, "<def>"); }
    std::string file;
};

// Files as people and other programs leave them, and what key reads find.
TEST_P(ProfileConformance, ReadsAsWindowsReads)
{
    EXPECT_EQ("<def>", Get("S", "Name"));  // no file
    const std::string inMissingDir = (Dir() / "no-such-dir" / "x.ini").string();
    EXPECT_FALSE(ProfileWrite(inMissingDir, "S", "K", "v"));
    const std::u16string unicode = u"[S]\r\nname=\u00e9x\r\nTab= q \r\nA=\u043b\u20ac\r\n[t]\r\nQ=1\r\n";
    const std::pair<std::string, const char*> files[] = {
        {"[S]\r\n  Name  =   Some ISP   \r\nTab=\tx\t\r\n; c=1\r\nA=first\r\nA=second\r\n[T]\r\nq=\"x\"\r\n"
         "[s]\r\nZ=third\r\n",
         "Some ISP|x|x|first|<def>"},
        // A CR and a CR LF each end a line (a lone LF and no final line end: see the writes).
        {"[S]\r\r\nName=1\r\nTab=2\r\r\n[T]\rq=3\r\n", "1|2|3|<def>|<def>"},
        // Notepad's "Unicode" and UTF-8 files give values in the ANSI set:
        // Cyrillic el has no ANSI form, the euro sign is 0x80.
        {Encoded(unicode, Bom::Utf16LE), "\xE9x|q|1|?\x80|<def>"},
        {Encoded(unicode, Bom::Utf16BE), "\xE9x|q|1|?\x80|<def>"},
        {Encoded(unicode, Bom::Utf8), "\xE9x|q|1|?\x80|<def>"},
    };
    // A section read in one call gives what the key reads give.
    const std::pair<const char*, const char*> keys[] = {
        {"s", "NAME"}, {"S", "tab"}, {"T", "Q"}, {"S", "a"}, {"S", "Z"}};
    for (const auto& [bytes, expected] : files) {
        WriteIni(bytes);
        std::string values, fromSection;
        for (auto [name, key] : keys) {
            ProfileSection section;
            ASSERT_EQ(0, ProfileReadSection(file, name, 1 << 20, section));
            values += Get(name, key) + "|";
            fromSection += ProfileSectionString(section, key, "<def>") + "|";
        }
        EXPECT_EQ(std::string(expected) + "|", values) << testing::PrintToString(bytes);
        EXPECT_EQ(values, fromSection);
    }
    WriteIni("[S]\r\nA=12abc\r\nB=abc\r\nC=\r\nD=-7\r\nE= 99999999999\r\n[Other]\r\n[s]\r\n");
    std::string ints;  // an empty value takes the default
    for (const char* key : {"A", "B", "C", "D", "E"})
        ints += std::to_string(ProfileGetInt(file, "S", key, 5)) + " ";
    EXPECT_EQ("12 0 5 -7 2147483647 ", ints);
    ProfileSection section;
    EXPECT_EQ(-1, ProfileReadSection(file, "S", 8, section));  // larger than allowed
    ASSERT_EQ(0, ProfileReadSection(file, "Missing", 8, section));
    EXPECT_TRUE(section.values.empty());
    std::vector<std::string> names;
    ASSERT_EQ(0, ProfileSectionNames(file, 1 << 20, names));
    EXPECT_EQ((std::vector<std::string>{"s", "other", "s"}), names);
    // A long value is cut to the buffer, with its count.
    ASSERT_TRUE(ProfileWrite(file, "Other", "Long", std::string(600, 'a').c_str()));
    char buf[512];
    EXPECT_EQ(511, ProfileRead(file, "Other", "Long", "", buf, sizeof buf));
    EXPECT_EQ(std::string(511, 'a'), buf);
}

TEST_P(ProfileConformance, AWriteChangesOnlyItsLine)
{
    const std::u16string el = u"[S]\r\nA=\u043b\r\n";
    const struct { std::string before; const char *section, *key, *value; bool written; const char* readBack;
                   std::string after; } cases[] = {
        {"", "S", "V", "a\r\nB=evil\rC=x\nD=y", true, "a  B=evil C=x D=y", "[S]\r\nV=a  B=evil C=x D=y\r\n"},
        {"[S]\r\nA=1\r\n", "S\r\n[T", "K", "v", false, "<def>", "[S]\r\nA=1\r\n"},
        {"[S]\r\nA=1\r\n", "S", "K\nX", "v", false, "<def>", "[S]\r\nA=1\r\n"},
        {"[ISP1]\r\nSecsPerUnit=60\r\n", "isp1", "SecsPerUnit", "90", true, "90", "[ISP1]\r\nSecsPerUnit=90\r\n"},
        {"; a comment\r\n[Global]\r\nActiveIDs=1,2\r\n[ISP1]\r\nX=1\r\n", "Global", "DefaultISP", "2", true, "2",
         "; a comment\r\n[Global]\r\nActiveIDs=1,2\r\nDefaultISP=2\r\n[ISP1]\r\nX=1\r\n"},
        {"[S]\rA=1\r[T]\nC=3", "S", "D", "4", true, "4", "[S]\r\nA=1\r\nD=4\r\n[T]\r\nC=3\r\n"},
        {"[S]\r\nA=1\r\nB=2\r\n", "s", "a", nullptr, true, "<def>", "[S]\r\nB=2\r\n"},
        {Encoded(el, Bom::Utf16LE), "S", "A", "\xE9", true, "\xE9", Encoded(u"[S]\r\nA=\u00e9\r\n", Bom::Utf16LE)},
        {Encoded(el, Bom::Utf16BE), "S", "B", "\xE9", true, "\xE9", Encoded(el + u"B=\u00e9\r\n", Bom::Utf16BE)},
        // Whether a blank line goes before a new section differs between backends.
        {Encoded(el, Bom::Utf8), "New", "K", "\xE9", true, "\xE9", Encoded(el + u"[New]\r\nK=\u00e9\r\n", Bom::Utf8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.after));
        WriteIni(c.before);
        EXPECT_EQ(c.written, ProfileWrite(file, c.section, c.key, c.value));
        EXPECT_EQ(c.readBack, Get(c.section, c.key));
        ProfileFlush(file);
        std::string after = ReadFileBytes(file);
        for (std::size_t blank; (blank = after.find("\r\n\r\n")) != std::string::npos;)
            after.erase(blank, 2);
        EXPECT_EQ(c.after, after);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileConformance, ::testing::ValuesIn(kBackends),
                         [](const ::testing::TestParamInfo<BackendCase>& info) { return info.param.name; });

using PortableProfileFile = testsupport::ProgramDirTest;

// The disk fills up (or the machine stops) during a write: the old file
// stays whole and no temporary file is left behind.
TEST_F(PortableProfileFile, AFailedWriteLeavesTheOldFileWhole)
{
    SetProfileBackend(&IniProfileBackend);
    const std::string file = File("tolvane.ini").string();
    const std::string original = "[Global]\r\nActiveIDs=1,2\r\n[ISP1]\r\nDescription=One\r\n";
    const FileOps* saved = &CurrentFileOps();
    FileOps fullDisk = *saved, noFlush = *saved, noRename = *saved;
    fullDisk.writeAll = [](std::FILE* f, const void* data, std::size_t size) {
        std::fwrite(data, 1, size / 2, f);
        errno = ENOSPC;
        return -1;
    };
    noFlush.flushToDisk = [](std::FILE*) { return -1; };
    noRename.replaceFile = [](const char*, const char*) { return -1; };
    for (const FileOps* failing : {&fullDisk, &noFlush, &noRename}) {
        WriteFileBytes(file, original);
        ProfileFlush(file);
        SetFileOps(failing);
        EXPECT_FALSE(ProfileWrite(file, "ISP1", "Description", "Changed"));
        SetFileOps(saved);
        EXPECT_EQ(original, ReadFileBytes(file));
        EXPECT_EQ("One", ProfileGetString(file, "ISP1", "Description"));
        EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(Dir()), {}));
    }
    SetProfileBackend(nullptr);
}

} // namespace
