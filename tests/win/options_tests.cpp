// The Options sheet as the user meets it: where it opens, a page that
// refuses to be left, the modem choice that outlives a cancelled sheet, and
// the start-with-Windows box against the Wine registry.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstring>

#include "dialogs/win32/optionssheet.h"
#include "harness.h"
#include "monitor/autostart.h"
#include "monitor/monitorpage.h"
#include "monitor/win32/autostartregistry.h"
#include "monitor/win32/linemonitor.h"
#include "resource.h"

namespace {

using harness::CurrentPage;
using harness::PressSheetButton;
using harness::ShowPage;
using harness::Then;
using testsupport::RecordedCodes;

enum { GENERAL, ISP, MONITOR, RECOVERY, PRINT };

int PageIndex(HWND sheet)
{
    return static_cast<int>(
        SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}

std::vector<std::string> Tabs(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    std::vector<std::string> names;
    for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
        char text[64] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        TabCtrl_GetItem(tabs, i, &item);
        names.push_back(text);
    }
    return names;
}

// ---- A Telephony with `modems` data modems; a reinitialisation message
// through the callback it was given changes their number.
DWORD modems = 2;
LineCallbackFn lineCallback = nullptr;

const TelephonyApi TwoModems = {
    [](HANDLE* app, HINSTANCE, LineCallbackFn callback, const char*, DWORD* count) WINAPI -> LONG {
        lineCallback = callback;
        *app = reinterpret_cast<HANDLE>(0x1234);
        *count = modems;
        return 0;
    },
    [](HANDLE, DWORD, DWORD, DWORD high, DWORD* version, void*) WINAPI -> LONG { return *version = high, 0; },
    [](HANDLE, DWORD device, DWORD, DWORD, void* buffer) WINAPI -> LONG {
        const std::string name = "Modem " + std::to_string(device + 1);
        auto* caps = static_cast<LineDevCapsHead*>(buffer);
        caps->dwNeededSize = sizeof(LineDevCapsHead) + static_cast<DWORD>(name.size()) + 1;
        if (caps->dwTotalSize < caps->dwNeededSize)
            return 0;
        caps->dwPermanentLineID = 500 + device;
        caps->dwLineNameSize = static_cast<DWORD>(name.size()) + 1;
        caps->dwLineNameOffset = sizeof(LineDevCapsHead);
        caps->dwStringFormat = 1;
        caps->dwMediaModes = 0x10;
        std::memcpy(static_cast<char*>(buffer) + caps->dwLineNameOffset, name.c_str(), name.size() + 1);
        return 0;
    },
    nullptr,
    nullptr,
    [](HANDLE) WINAPI -> LONG { return 0; },
    [](HANDLE) WINAPI -> LONG { return 0; },
};

// Handles what the dialog's own loop would, for a step that waits on it.
void PumpDialog()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ---- The Run value, read straight from the registry.
std::string RunValue(HKEY root)
{
    char data[1024] = "";
    DWORD size = sizeof data;
    if (RegGetValueA(root, AUTOSTART_RUN_KEY, AUTOSTART_VALUE_NAME, RRF_RT_REG_SZ, nullptr, data, &size) != 0)
        return "";
    return data;
}

// The real registry, except that the machine-wide Run key refuses writes,
// as it does for a standard user.
AutostartRegistry machineDenied;
const AutostartRegistry* realRegistry = nullptr;

class OptionsTest : public harness::Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        savedRegistry = CurrentAutostartRegistry();
        SetAutostartRegistry(nullptr);
        InstallWin32AutostartRegistry();
        realRegistry = CurrentAutostartRegistry();
        machineDenied = *realRegistry;
        machineDenied.openWrite = [](RunKey root, void** key) -> long {
            return root == RunKey::Machine ? AUTOSTART_ACCESS_DENIED : realRegistry->openWrite(root, key);
        };
        machineDenied.create = [](RunKey root, void** key) -> long {
            return root == RunKey::Machine ? AUTOSTART_ACCESS_DENIED : realRegistry->create(root, key);
        };
        Telephony = TwoModems;
        modems = 2;
        WriteIni("[Global]\r\nActiveIDs=1\r\n[Monitor]\r\nType=0\r\n");
    }
    void TearDown() override
    {
        SetAutostartRegistry(realRegistry);
        UnregisterAutostart();
        SetAutostartRegistry(savedRegistry);
        Fixture::TearDown();
    }
    // Opens the sheet on the Monitor page, clicks the box as the user
    // would and presses OK; the box as it opened.
    bool ToggleAutostart()
    {
        bool was = false;
        Then([&](HWND sheet) {
            ShowPage(sheet, MONITOR);
            was = harness::Checked(CurrentPage(sheet), IDC_MON_AUTOSTART);
            harness::Click(CurrentPage(sheet), IDC_MON_AUTOSTART);
            PressSheetButton(sheet, PSBTN_OK);
        });
        ShowOptionsSheet(nullptr);
        return was;
    }
    const AutostartRegistry* savedRegistry = nullptr;
};

TEST_F(OptionsTest, OpensOnGeneralAndARefusedPageKeepsTheUserOnIt)
{
    OpenMainWindow();
    int shownFirst = -1, afterRefusal = -1;
    // (OK on a refused page keeps the sheet: the page layer's rule.)
    Then([&](HWND sheet) {
        EXPECT_EQ(Tabs(sheet), (std::vector<std::string>{"General", "ISP", "Monitor", "Recovery", "Print"}));
        shownFirst = PageIndex(sheet);
        ShowPage(sheet, PRINT);
        harness::SetText(CurrentPage(sheet), IDC_PRN_LEFT, "-1");
        ShowPage(sheet, GENERAL);
        afterRefusal = PageIndex(sheet);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    Command(IDC_OPTIONS);
    EXPECT_EQ(shownFirst, GENERAL);
    EXPECT_EQ(afterRefusal, PRINT);
    EXPECT_EQ(RecordedCodes(), (std::vector<ErrorCode>{1024}));
    EXPECT_EQ(IniValue("Printer", "LeftMargin"), "<none>");

    // The page shown last is not where the sheet opens next time.
    Then([&](HWND sheet) {
        shownFirst = PageIndex(sheet);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    Command(IDC_OPTIONS);
    EXPECT_EQ(shownFirst, GENERAL);
}

TEST_F(OptionsTest, TheModemChosenInTheTelephonyDialogOutlivesACancelledSheet)
{
    std::vector<std::vector<std::string>> listed;
    bool openAfterOk = false;
    answer = IDCANCEL;  // to the warning about having no modem
    Then([](HWND sheet) {
        ShowPage(sheet, MONITOR);
        harness::Click(CurrentPage(sheet), IDC_MON_TELEPHONY);
        harness::Press(CurrentPage(sheet), IDC_MON_CONFIGURE);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    Then([&](HWND dialog) {
        // Telephony asks its users to start again as devices come and go.
        for (DWORD count : {2u, 0u, 2u}) {
            if (count != modems) {
                modems = count;
                lineCallback(0, LINE_LINEDEVSTATE_MESSAGE, 0, LINEDEVSTATE_REINIT_VALUE, 0, 0);
                PumpDialog();
            }
            listed.push_back(harness::Items(dialog, IDC_TEL_MODEM));
            if (count == 0) {
                harness::Press(dialog, IDOK);
                openAfterOk = harness::IsOpen(dialog);
            }
        }
        harness::Select(dialog, IDC_TEL_MODEM, harness::SelectText(dialog, IDC_TEL_MODEM, "Modem 2"));
        harness::Press(dialog, IDOK);
    });
    ShowOptionsSheet(nullptr);
    const std::vector<std::string> two = {"Modem 1", "Modem 2"};
    EXPECT_EQ(listed, (std::vector<std::vector<std::string>>{two, {"Modem Unavailable"}, two}));
    EXPECT_TRUE(openAfterOk) << "Cancel in the warning keeps the dialog";
    ASSERT_EQ(seen.questions.size(), 1u);
    EXPECT_EQ(seen.questions[0].caption, "Warning");
    EXPECT_EQ(IniValue("Monitor", "Device"), "1");
    EXPECT_EQ(IniValue("Monitor", "PermanentLineID"), "501");
    EXPECT_EQ(IniValue("Monitor", "Type"), "0") << "the cancelled sheet stored nothing";
}

TEST_F(OptionsTest, StartWithWindowsWritesTheMachineKeyElseTheUsersAndUncheckingRemovesBoth)
{
    const std::string value = AutostartValue(realRegistry->programFile());
    for (const AutostartRegistry* registry : {realRegistry, static_cast<const AutostartRegistry*>(&machineDenied)}) {
        const bool denied = registry == &machineDenied;
        SCOPED_TRACE(denied ? "machine key denied" : "machine key writable");
        SetAutostartRegistry(registry);
        EXPECT_FALSE(ToggleAutostart());
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), denied ? "" : value);
        EXPECT_EQ(RunValue(HKEY_CURRENT_USER), denied ? value : "");
        EXPECT_TRUE(ToggleAutostart()) << "the box shows the start Windows will make";
        EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE), "");
        EXPECT_EQ(RunValue(HKEY_CURRENT_USER), "");
    }
    EXPECT_TRUE(RecordedCodes().empty());
}

}  // namespace
