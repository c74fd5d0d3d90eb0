// The Options sheet as the user meets it: where it opens, a page that
// refuses to be left, what OK stores, the modem choice that outlives a
// cancelled sheet, and the start-with-Windows box against the Wine registry.
#include <windows.h>
#include <prsht.h>

#include "dialogs/win32/optionssheet.h"
#include "harness.h"
#include "monitor/autostart.h"
#include "monitor/monitorpage.h"
#include "monitor/win32/autostartregistry.h"

namespace {

using namespace harness;
using testsupport::RecordedCodes;

enum { GENERAL, ISP, MONITOR, RECOVERY, PRINT };

using OptionsTest = Fixture;
const char* const MonitorIni = "[Global]\r\nActiveIDs=1\r\n[Monitor]\r\nType=1\r\n";

TEST_F(OptionsTest, ARefusedPageKeepsTheUserOnItAndOkStoresTheShownPagesOnly)
{
    WriteIni(MonitorIni);
    OpenMainWindow();
    WithHelpFile();
    Then([](HWND sheet) {
        EXPECT_EQ(PropSheet_HwndToIndex(sheet, CurrentPage(sheet)), GENERAL);
        SetText(ShowPage(sheet, PRINT), IDC_PRN_LEFT, "-1");
        PressSheetButton(sheet, PSBTN_HELP);
        ShowPage(sheet, GENERAL);
        EXPECT_EQ(PropSheet_HwndToIndex(sheet, CurrentPage(sheet)), PRINT) << "a refused page keeps the user";
        SetText(CurrentPage(sheet), IDC_PRN_LEFT, "2");
        PressSheetButton(sheet, PSBTN_OK);
    });
    Command(IDC_OPTIONS);
    EXPECT_EQ(RecordedCodes(), std::vector<ErrorCode>{1024});
    EXPECT_EQ(seen.help, (std::vector<std::pair<UINT, ULONG_PTR>>{{HELP_CONTEXT, 509}})) << "the shown page's topic";
    EXPECT_EQ(IniValue("Printer", "LeftMargin"), "2.000000");
    EXPECT_EQ(IniValues("Monitor", {"Type", "AlertOnConnect"}), "1|<none>") << "a page never shown stores nothing";
}

TEST_F(OptionsTest, TheModemChosenInTheTelephonyDialogOutlivesACancelledSheet)
{
    WriteIni(MonitorIni);
    LineScript& line = ScriptTelephony();
    line.devices = 2;
    answer = IDCANCEL;  // to the warning about having no modem
    Then(Through<MONITOR, IDC_MON_CONFIGURE, IDC_MON_TELEPHONY>);
    Then([&](HWND dialog) {
        // Telephony asks its users to start again as devices come and go.
        const auto devices = [&](DWORD count) {
            line.devices = count;
            line.callback(0, LINE_LINEDEVSTATE_MESSAGE, 0, LINEDEVSTATE_REINIT_VALUE, 0, 0);
            Pump();
            return Items(dialog, IDC_TEL_MODEM);
        };
        const std::vector<std::string> two = {"Modem 1", "Modem 2"};
        EXPECT_EQ(Items(dialog, IDC_TEL_MODEM), two);
        EXPECT_EQ(devices(0), std::vector<std::string>{"Modem Unavailable"});
        Press(dialog, IDOK);
        EXPECT_TRUE(IsOpen(dialog)) << "Cancel in the warning keeps the dialog";
        EXPECT_EQ(devices(2), two);
        SelectText(dialog, IDC_TEL_MODEM, "Modem 2");
        Press(dialog, IDOK);
    });
    ShowOptionsSheet(nullptr);
    EXPECT_EQ(seen.questions.size() == 1 ? seen.questions[0].caption : "", "Warning");
    EXPECT_EQ(IniValues("Monitor", {"Device", "PermanentLineID", "Type"}), "1|501|1") << "the sheet stored nothing";
}

// The Run value, read straight from the registry.
std::string RunValue(HKEY root)
{
    char data[1024] = "";
    DWORD size = sizeof data;
    return RegGetValueA(root, AUTOSTART_RUN_KEY, AUTOSTART_VALUE_NAME, RRF_RT_REG_SZ, nullptr, data, &size) ? "" : data;
}

const AutostartRegistry* realRegistry = nullptr;

TEST_F(OptionsTest, StartWithWindowsWritesTheMachineKeyElseTheUsersAndUncheckingRemovesBoth)
{
    const AutostartRegistry* saved = CurrentAutostartRegistry();
    SetAutostartRegistry(nullptr);
    InstallWin32AutostartRegistry();
    realRegistry = CurrentAutostartRegistry();
    // The real registry, except that the machine-wide Run key cannot be
    // made or written, as for a standard user.
    AutostartRegistry machineDenied = *realRegistry;
    machineDenied.create = [](RunKey root, void** key) -> long {
        return root == RunKey::Machine ? AUTOSTART_ACCESS_DENIED : realRegistry->create(root, key);
    };
    // The sheet on the Monitor page, the box clicked and OK; the box as it opened.
    const auto toggle = [] {
        bool was = false;
        Then([&](HWND sheet) {
            HWND page = ShowPage(sheet, MONITOR);
            was = Checked(page, IDC_MON_AUTOSTART);
            Click(page, IDC_MON_AUTOSTART);
            PressSheetButton(sheet, PSBTN_OK);
        });
        ShowOptionsSheet(nullptr);
        return was;
    };
    const std::string value = AutostartValue(realRegistry->programFile());
    for (const AutostartRegistry* registry : {realRegistry, static_cast<const AutostartRegistry*>(&machineDenied)}) {
        const bool denied = registry == &machineDenied;
        SCOPED_TRACE(denied ? "machine key denied" : "machine key writable");
        SetAutostartRegistry(registry);
        EXPECT_FALSE(toggle());
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), denied ? "" : value);
        EXPECT_EQ(RunValue(HKEY_CURRENT_USER), denied ? value : "");
        EXPECT_TRUE(toggle()) << "the box shows the start Windows will make";
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE) + RunValue(HKEY_CURRENT_USER), "");
    }
    EXPECT_TRUE(RecordedCodes().empty());
    SetAutostartRegistry(realRegistry);
    UnregisterAutostart();
    SetAutostartRegistry(saved);
}

}  // namespace
