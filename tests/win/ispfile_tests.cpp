// ISP definition files through the real dialogs: the file dialog with a
// typed path and its panel, the Disclaimer and the Import dialog.
#include <windows.h>

#include <filesystem>

#include "harness.h"
#include "platform/profile.h"
#include "tariff/ispfile.h"
#include "tariff/win32/ispfiles.h"

namespace {

using namespace harness;
using Strings = std::vector<std::string>;

using IspFileDialogTest = Fixture;

const char* const ClubFile =
    "[Import]\r\nFileDescription=Club tariffs\r\nLastISP=3\r\nLastPhone=1\r\n"
    "[Disclaimer]\r\nNumLines=2\r\nLine1=Check the prices\r\nLine2=with your provider.\r\n"
    "[ImportISP1]\r\nDescription=Zephyr Net\r\n[ImportISP2]\r\nSecsPerUnit=30\r\n[ImportISP3]\r\nDescription=Aurora\r\n"
    "[ImportPhone1]\r\nDescription=Local calls\r\n";

TEST_F(IspFileDialogTest, ImportThroughTheFileDisclaimerAndImportDialogsAndExportRoundTrips)
{
    std::filesystem::create_directories(Dir() / "import");
    const std::string path = (Dir() / "import" / "club.ISP").string();
    testsupport::WriteFileBytes(path, ClubFile);
    Then([&](HWND d) { ChooseFile(d, path); });
    Then([](HWND d) {
        EXPECT_EQ(Text(d, IDC_DISCLAIMER_TEXT), "Check the prices\r\nwith your provider.\r\n");
        Press(d, IDOK);
    });
    Then([](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_IMPORT_ISPS));
        EXPECT_EQ(Items(d, IDC_ISP), (Strings{"Aurora", "ISP2", "Zephyr Net"}));
        EXPECT_EQ(Selection(d, IDC_ISP), "Aurora");
        Click(d, IDC_IMPORT_PHONES);
        EXPECT_EQ(Items(d, IDC_ISP), (Strings{"Local calls"}));
        // Neither kind chosen: asked for one, and the dialog stays.
        CheckDlgButton(d, IDC_IMPORT_PHONES, BST_UNCHECKED);
        Refused(d, 1060);
        Click(d, IDC_IMPORT_ISPS);
        Select(d, IDC_ISP, 1);
        Press(d, IDC_IMPORT_REPLACE);
    });
    TariffRecord record;
    bool replace = false, phone = true;
    ASSERT_TRUE(ImportTariffFile(nullptr, record, replace, phone));
    EXPECT_EQ(std::tuple(replace, phone, record.Description), std::tuple(true, false, "ImportISP2"));

    // Exported as a phone company over an existing file (the dialog asks
    // nothing), with the panel's description, and imported back by OK.
    const std::string built = (Dir() / "import" / "built.ISP").string();
    testsupport::WriteFileBytes(built, "");
    record.Description = "Built here";
    Then([&](HWND d) {
        SetText(FileDialogPanel(d), IDC_ISPFILE_CONTENTS, "From the test");
        ChooseFile(d, built);
    });
    ExportTariffFile(nullptr, record, true);
    ProfileFlush(built);
    EXPECT_EQ(ProfileGetString(built, "Import", "FileDescription"), "From the test");
    Then([&](HWND d) { ChooseFile(d, built); });
    Then([](HWND d) {
        Click(d, IDC_IMPORT_PHONES);
        Press(d, IDOK);
    });
    ASSERT_TRUE(ImportTariffFile(nullptr, record, replace, phone));
    EXPECT_EQ(std::tuple(replace, phone, record.Description), std::tuple(false, true, "Built here"));
    EXPECT_EQ(testsupport::RecordedCodes(), (std::vector<ErrorCode>{1060}));
}

} // namespace
