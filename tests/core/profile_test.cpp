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

// The text as a file of that encoding, with or without its byte-order mark.
std::string Encoded(const std::u16string& text, Bom bom, bool withMark = true)
{
    std::string out = !withMark ? "" : bom == Bom::Utf16LE ? "\xFF\xFE" : bom == Bom::Utf16BE ? "\xFE\xFF" : "\xEF\xBB\xBF";
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
    ASSERT_TRUE(ProfileDeleteKey(file, "Global", "Present"));
    EXPECT_EQ("<def>", Get("Global", "Present"));
    EXPECT_EQ(std::string::npos, ReadFileBytes(file).find("Present"));
}

TEST_P(ProfileConformance, NamesMatchWithoutRegardToCase)
{
    ASSERT_TRUE(ProfileWrite(file, "ISP1", "secsperunit", "60"));
    EXPECT_EQ("60", Get("isp1", "SecsPerUnit"));
    // A second write under other case replaces the one key.
    ASSERT_TRUE(ProfileWrite(file, "Isp1", "SECSPERUNIT", "90"));
    EXPECT_EQ("90", Get("ISP1", "SecsPerUnit"));
    EXPECT_EQ(std::string::npos, ReadFileBytes(file).find("60"));
}

TEST_P(ProfileConformance, ReadsTrimLenientNumbersAndTheFirstDuplicate)
{
    Replace("[S]\r\n  Name  =   Some ISP   \r\nTab=\tx\t\r\nA=12abc\r\nB=abc\r\nC=\r\nD=-7\r\nE= 99999999999\r\n"
            "A=second\r\n[s]\r\nZ=third\r\n");
    EXPECT_EQ("Some ISP", Get("S", "Name"));
    EXPECT_EQ("x", Get("S", "Tab"));
    std::string ints;  // an empty value takes the default
    for (const char* key : {"A", "B", "C", "D", "E"})
        ints += std::to_string(ProfileGetInt(file, "S", key, 5)) + " ";
    EXPECT_EQ("12 0 5 -7 2147483647 ", ints);
    EXPECT_EQ("<def>", Get("S", "Z"));  // only the first section of a name is read
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
    ASSERT_TRUE(ProfileWrite(file, "Global", "Short", "12345"));
    EXPECT_EQ(5, ProfileRead(file, "Global", "Short", "", buf, sizeof buf));
}

TEST_P(ProfileConformance, FlushSeesAnotherWritersChangeAndWritesKeepIt)
{
    ASSERT_TRUE(ProfileWrite(file, "Global", "ActiveIDs", "5"));
    EXPECT_EQ("5", Get("Global", "ActiveIDs"));
    Replace("; a comment\r\n[Global]\r\nActiveIDs=1,2\r\n\r\n[ISP1]\r\nDescription=First\r\n");
    ASSERT_TRUE(ProfileWrite(file, "Global", "DefaultISP", "2") && ProfileWrite(file, "ISP2", "Description", "Second") &&
                ProfileWrite(file, "ISP1", "Description", "Renamed"));
    ProfileFlush(file);
    EXPECT_EQ("1,2 2 Renamed Second", Get("Global", "ActiveIDs") + " " + Get("Global", "DefaultISP") + " " +
                                          Get("ISP1", "Description") + " " + Get("ISP2", "Description"));
    EXPECT_NE(std::string::npos, ReadFileBytes(file).find("; a comment"));
}

// A CR, an LF and a CR LF each end a line, as in files from other editors.
TEST_P(ProfileConformance, EveryLineEndIsALineEnd)
{
    const char* files[] = {
        "[S]\rA=1\rB=2\r[T]\rC=3\r",              // CR only
        "[S]\r\nA=1\rB=2\r\n[T]\r\nC=3\r\n",      // a stray CR in a CR LF file
        "[S]\nA=1\nB=2\n[T]\nC=3",                // LF only, no final line end
        "[S]\r\r\nA=1\r\nB=2\r\r\n[T]\rC=3\r\n",  // mixed
    };
    for (const char* bytes : files) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        Replace(bytes);
        EXPECT_EQ("1 2 3", Get("S", "A") + " " + Get("S", "B") + " " + Get("T", "C"));
        ASSERT_TRUE(ProfileWrite(file, "S", "D", "4"));
        ProfileFlush(file);
        EXPECT_EQ("1 2 3 4", Get("S", "A") + " " + Get("S", "B") + " " + Get("T", "C") + " " + Get("S", "D"));
    }
}

// Notepad's "Unicode" (UTF-16) and UTF-8 files: values come in the ANSI
// character set, and a write keeps the file's encoding and every character
// of it that the ANSI set cannot hold.
TEST_P(ProfileConformance, UnicodeFilesAreReadAndKeepTheirEncoding)
{
    for (Bom bom : {Bom::Utf16LE, Bom::Utf16BE, Bom::Utf8}) {
        SCOPED_TRACE(static_cast<int>(bom));
        Replace(Encoded(u"[S]\r\nA=\u00e9x\r\nB= q \r\nRare=\u043b\u20ac\r\n", bom));
        EXPECT_EQ("\xE9x", Get("S", "A"));
        EXPECT_EQ("q", Get("S", "B"));
        EXPECT_EQ("?\x80", Get("S", "Rare"));  // Cyrillic el has no ANSI form; the euro sign is 0x80
        ASSERT_TRUE(ProfileWrite(file, "S", "C", "v\xE9"));
        ASSERT_TRUE(ProfileWrite(file, "New", "K", "1"));
        ProfileFlush(file);
        const std::string after = ReadFileBytes(file);
        EXPECT_EQ(Encoded(u"", bom), after.substr(0, Encoded(u"", bom).size()));
        EXPECT_NE(std::string::npos, after.find(Encoded(u"Rare=\u043b\u20ac\r\n", bom, false)));
        EXPECT_NE(std::string::npos, after.find(Encoded(u"C=v\u00e9\r\n", bom, false)));
        EXPECT_EQ("\xE9x v\xE9 1", Get("S", "A") + " " + Get("S", "C") + " " + Get("New", "K"));
    }
}

// Line breaks in a value would add lines, and so keys, to the file.
TEST_P(ProfileConformance, LineBreaksNeverAddLines)
{
    ASSERT_TRUE(ProfileWrite(file, "S", "V", "a\r\nB=evil\rC=x\nD=y"));
    ProfileFlush(file);
    EXPECT_EQ("a  B=evil C=x D=y", Get("S", "V"));
    EXPECT_EQ("<def>", Get("S", "B"));
    EXPECT_FALSE(ProfileWrite(file, "S\r\n[T", "K", "v"));
    EXPECT_FALSE(ProfileWrite(file, "S", "K\nX", "v"));
    EXPECT_EQ("[S]\r\nV=a  B=evil C=x D=y\r\n", ReadFileBytes(file));
}

TEST_P(ProfileConformance, SectionReadsGiveWhatKeyReadsGive)
{
    Replace("[S]\r\n; c=1\r\n k = v \r\nnoeq\r\nq=\"x\"\r\nK=dup\r\n[Other]\r\n[s]\r\nz=1\r\n");
    ProfileSection s;
    ASSERT_EQ(0, ProfileReadSection(file, "s", 1 << 20, s));
    using Values = std::map<std::string, std::string>;
    EXPECT_EQ((Values{{"k", "v"}, {"q", "x"}}), Values(s.values.begin(), s.values.end()));
    EXPECT_EQ(Get("S", "q"), ProfileSectionString(s, "Q", "<def>"));
    EXPECT_EQ("<def>", ProfileSectionString(s, "z", "<def>"));
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
    const std::string original =
        "[Global]\r\nActiveIDs=1,2\r\n[ISP1]\r\nDescription=One\r\n[ISP2]\r\nDescription=Two\r\n[Phone]\r\nFrame0=1\r\n";
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
