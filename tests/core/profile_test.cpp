// One conformance suite for every settings-file backend: the portable reader
// and writer natively, and the Win32 profile API as well under Wine.

#include <cerrno>
#include <map>

#include "platform/fileops.h"
#include "platform/profile.h"
#include "support.h"

#ifdef _WIN32
#include "platform/win32/win32_ui.h"
#endif

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

struct BackendCase {
    const char* name;
    const ProfileBackend* backend;
};

std::vector<BackendCase> Backends()
{
#ifdef _WIN32
    return {{"Portable", &IniProfileBackend}, {"Win32", &Win32Profile()}};
#else
    return {{"Portable", &IniProfileBackend}};
#endif
}

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
        file = File("settings.ini").string();
    }
    void TearDown() override
    {
        ProfileFlush(file);
        SetProfileBackend(nullptr);
        ProgramDirTest::TearDown();
    }
    std::string Get(const char* section, const char* key) { return ProfileGetString(file, section, key, "<def>"); }
    void Replace(const std::string& bytes)
    {
        WriteFileBytes(file, bytes);
        ProfileFlush(file);
    }
    std::string file;
};

TEST_P(ProfileConformance, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ("<def>", Get("Global", "Nothing"));
    const std::string inMissingDir = (Dir() / "no-such-dir" / "x.ini").string();
    EXPECT_FALSE(ProfileWrite(inMissingDir, "S", "K", "v"));
    EXPECT_EQ("d", ProfileGetString(inMissingDir, "S", "K", "d"));
    ASSERT_TRUE(ProfileWrite(file, "Global", "Present", "1"));
    EXPECT_EQ("<def>", Get("Other", "Present"));
    EXPECT_EQ(42, ProfileGetInt(file, "Global", "Absent", 42));
}

// Files as people and other programs leave them, and what key reads find.
TEST_P(ProfileConformance, ReadsAsWindowsReads)
{
    const std::u16string unicode = u"[S]\r\nname=\u00e9x\r\nTab= q \r\nA=\u043b\u20ac\r\n[t]\r\nQ=1\r\n";
    const std::pair<std::string, const char*> files[] = {
        {"[S]\r\n  Name  =   Some ISP   \r\nTab=\tx\t\r\n; c=1\r\nA=first\r\nA=second\r\n[T]\r\nq=\"x\"\r\n"
         "[s]\r\nZ=third\r\n",
         "Some ISP|x|x|<def>|first|<def>"},
        // A CR, an LF and a CR LF each end a line.
        {"[S]\rName=1\rTab=2\r[T]\rq=3\r", "1|2|3|<def>|<def>|<def>"},
        {"[S]\r\nName=1\rTab=2\r\n[T]\r\nq=3\r\n", "1|2|3|<def>|<def>|<def>"},
        {"[S]\nName=1\nTab=2\n[T]\nq=3", "1|2|3|<def>|<def>|<def>"},
        {"[S]\r\r\nName=1\r\nTab=2\r\r\n[T]\rq=3\r\n", "1|2|3|<def>|<def>|<def>"},
        // Notepad's "Unicode" and UTF-8 files give values in the ANSI set:
        // Cyrillic el has no ANSI form, the euro sign is 0x80.
        {Encoded(unicode, Bom::Utf16LE), "\xE9x|q|1|<def>|?\x80|<def>"},
        {Encoded(unicode, Bom::Utf16BE), "\xE9x|q|1|<def>|?\x80|<def>"},
        {Encoded(unicode, Bom::Utf8), "\xE9x|q|1|<def>|?\x80|<def>"},
    };
    for (const auto& [bytes, expected] : files) {
        Replace(bytes);
        const std::string values = Get("s", "NAME") + "|" + Get("S", "tab") + "|" + Get("T", "Q") + "|" +
                                   Get("S", "; c") + "|" + Get("S", "a") + "|" + Get("S", "Z");
        EXPECT_EQ(expected, values) << testing::PrintToString(bytes);
    }
    Replace("[S]\r\nA=12abc\r\nB=abc\r\nC=\r\nD=-7\r\nE= 99999999999\r\n");
    std::string ints;  // an empty value takes the default
    for (const char* key : {"A", "B", "C", "D", "E"})
        ints += std::to_string(ProfileGetInt(file, "S", key, 5)) + " ";
    EXPECT_EQ("12 0 5 -7 2147483647 ", ints);
}

// A write changes its one line; the rest of the file stays, its line ends
// made CR LF, in its own encoding. A line break in a value would add lines,
// and so keys: it becomes a blank, and names holding one are refused.
TEST_P(ProfileConformance, AWriteChangesOnlyItsLine)
{
    const std::u16string el = u"[S]\r\nA=\u043b\r\n";
    const struct {
        std::string before;
        const char *section, *key, *value;
        bool written;
        const char* readBack;
        std::string after;
    } cases[] = {
        {"", "S", "V", "a\r\nB=evil\rC=x\nD=y", true, "a  B=evil C=x D=y", "[S]\r\nV=a  B=evil C=x D=y\r\n"},
        {"[S]\r\nA=1\r\n", "S\r\n[T", "K", "v", false, "<def>", "[S]\r\nA=1\r\n"},
        {"[S]\r\nA=1\r\n", "S", "K\nX", "v", false, "<def>", "[S]\r\nA=1\r\n"},
        {"[ISP1]\r\nsecsperunit=60\r\n", "Isp1", "SECSPERUNIT", "90", true, "90", "[ISP1]\r\nSECSPERUNIT=90\r\n"},
        {"; a comment\r\n[Global]\r\nActiveIDs=1,2\r\n\r\n[ISP1]\r\nX=1\r\n", "Global", "DefaultISP", "2", true, "2",
         "; a comment\r\n[Global]\r\nActiveIDs=1,2\r\nDefaultISP=2\r\n\r\n[ISP1]\r\nX=1\r\n"},
        {"[S]\rA=1\r[T]\nC=3", "S", "D", "4", true, "4", "[S]\r\nA=1\r\nD=4\r\n[T]\r\nC=3\r\n"},
        {"[S]\r\nA=1\r\nB=2\r\na=3\r\n", "s", "A", nullptr, true, "<def>", "[S]\r\nB=2\r\n"},
        {Encoded(el, Bom::Utf16LE), "New", "K", "\xE9", true, "\xE9",
         Encoded(el + u"\r\n[New]\r\nK=\u00e9\r\n", Bom::Utf16LE)},
        {Encoded(el, Bom::Utf16BE), "S", "B", "\xE9", true, "\xE9", Encoded(el + u"B=\u00e9\r\n", Bom::Utf16BE)},
        {Encoded(el, Bom::Utf8), "S", "A", "\xE9", true, "\xE9", Encoded(u"[S]\r\nA=\u00e9\r\n", Bom::Utf8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.after));
        Replace(c.before);
        EXPECT_EQ(c.written, ProfileWrite(file, c.section, c.key, c.value));
        EXPECT_EQ(c.readBack, Get(c.section, c.key));
        ProfileFlush(file);
        EXPECT_EQ(c.after, ReadFileBytes(file));
    }
}

TEST_P(ProfileConformance, LongValueIsCutToTheBufferWithItsCount)
{
    std::string value(600, 'a');
    for (std::size_t i = 0; i < value.size(); ++i)
        value[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(ProfileWrite(file, "Global", "ActiveIDs", value.c_str()));
    char buf[512];
    EXPECT_EQ(511, ProfileRead(file, "Global", "ActiveIDs", "", buf, sizeof buf));
    EXPECT_EQ(value.substr(0, 511), std::string(buf));
}

TEST_P(ProfileConformance, SectionReadsGiveWhatKeyReadsGive)
{
    Replace("[S]\r\n; c=1\r\n k = v \r\nnoeq\r\nq=\"x\"\r\nK=dup\r\n[Other]\r\n[s]\r\nz=1\r\n");
    ProfileSection s;
    ASSERT_EQ(0, ProfileReadSection(file, "s", 1 << 20, s));
    using Values = std::map<std::string, std::string>;
    EXPECT_EQ((Values{{"k", "v"}, {"q", "x"}}), Values(s.values.begin(), s.values.end()));
    EXPECT_EQ(Get("S", "q"), ProfileSectionString(s, "Q", "<def>"));
    EXPECT_EQ(-1, ProfileReadSection(file, "S", 8, s));  // larger than allowed
    ASSERT_EQ(0, ProfileReadSection(file, "Missing", 8, s));
    EXPECT_TRUE(s.values.empty());
    std::vector<std::string> names;
    ASSERT_EQ(0, ProfileSectionNames(file, 1 << 20, names));
    EXPECT_EQ((std::vector<std::string>{"s", "other", "s"}), names);
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileConformance, ::testing::ValuesIn(Backends()),
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
