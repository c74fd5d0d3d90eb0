// The log dialogs' templates: their controls in tab order, texts that fit
// their controls at the dialog font, and pictures of the dialogs as they
// open, for people to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "modal_script.h"
#include "window_picture.h"
#include "charging/win32/usagedialog.h"
#include "monitor/win32/connectionmadedialog.h"
#include "monitor/win32/controller.h"
#include "monitor/win32/linemonitor.h"
#include "monitor/win32/rasmonitor.h"
#include "sessionlog/win32/logdialogs.h"
#include "platform/clock.h"
#include "platform/win32/win32_ui.h"
#include "resource.h"
#include "startup/win32/frame.h"
#include "sessionlog/win32/logdialogs.h"
#include "support.h"

namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

INT_PTR CALLBACK TemplateOnlyProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct ControlRow {
    int id;
    const char* className;
    const char* text;  // null: not compared (combo boxes)
};

struct DialogCase {
    int templateId;
    const char* title;
    std::vector<ControlRow> controls;  // template order = tab order
};

std::vector<ControlRow> DateRows(const char* startGroup, const char* endGroup, const char* endMonth)
{
    return {
        {IDC_STARTGROUP, "Button", startGroup}, {IDC_STARTDAYLABEL, "Static", "&Day"},
        {IDC_STARTDAY, "ComboBox", nullptr},    {IDC_STARTMONTHLABEL, "Static", "&Month"},
        {IDC_STARTMONTH, "ComboBox", nullptr},  {IDC_STARTYEARLABEL, "Static", "&Year"},
        {IDC_STARTYEAR, "ComboBox", nullptr},   {IDC_ENDGROUP, "Button", endGroup},
        {IDC_ENDDAYLABEL, "Static", "D&ay"},    {IDC_ENDDAY, "ComboBox", nullptr},
        {IDC_ENDMONTHLABEL, "Static", endMonth}, {IDC_END_MONTH, "ComboBox", nullptr},
        {IDC_ENDYEARLABEL, "Static", "Y&ear"},  {IDC_ENDYEAR, "ComboBox", nullptr},
    };
}

std::vector<ControlRow> Join(std::vector<ControlRow> a, const std::vector<ControlRow>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<ControlRow> Buttons = {
    {IDOK, "Button", "OK"}, {IDCANCEL, "Button", "Cancel"}, {IDC_HELPBUTTON, "Button", "Help"}};

std::vector<DialogCase> Dialogs()
{
    return {
        {IDD_VIEWLOG, "View Raw Log Entries",
         Join(Join(Join({{IDC_VIEWGROUP, "Button", "View"},
                         {IDC_WHOLELOG, "Button", "&whole log file"},
                         {IDC_PERIODONLY, "Button", "&specified period only"}},
                        DateRows("Start of period (inclusive)", "End of period (inclusive)", "M&onth")),
                   {{IDC_ISP_LABEL, "Static", "&ISP to view"}, {IDC_ISP, "ComboBox", nullptr}}),
              Buttons)},
        {IDD_DELETELOG, "Delete Log Entries",
         Join(Join(DateRows("Start of period to delete (inclusive)", "End of period to delete (inclusive)", "Mo&nth"),
                   {{IDC_ISP_LABEL, "Static", "&ISP to delete"}, {IDC_ISP, "ComboBox", nullptr}}),
              Buttons)},
        {IDD_CRASHRECOVERY, "Tolvane Windows Crash Recovery",
         Join({{-1, "Button", "Information"},
               {-1, "Static",
                "Tolvane appears to have clocked the start of your last online session but not the end of that "
                "session. This usually happens when Windows crashes while you were online."},
               {IDC_ACTIONGROUP, "Button", "Action to take"},
               {IDC_ACTIONTEXT, "Static", "Tolvane is able to fix your connection log in any of three ways:"},
               {IDC_CLOCKEND, "Button", "&Clock the end of the session with the current time"},
               {IDC_PRETEND, "Button", "&Pretend the session never occurred"},
               {IDC_DONOTHING, "Button", "&Don't do anything (may lead to an inaccurate report)"},
               {IDC_CANCELNOTE, "Static", "Choosing Cancel is the same as not doing anything."}},
              Buttons)},
    };
}

class LogDialogTemplates : public ::testing::TestWithParam<DialogCase> {
protected:
    static void SetUpTestSuite()
    {
        ProgramInstance = GetModuleHandleA(nullptr);
        InitCommonControlsOnce();
    }
    void SetUp() override
    {
        dialog = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(GetParam().templateId), nullptr,
                                    TemplateOnlyProc, 0);
        ASSERT_NE(dialog, nullptr) << "error " << GetLastError();
        ShowWindow(dialog, SW_SHOW);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
    }
    HWND dialog = nullptr;
};

TEST_P(LogDialogTemplates, HaveTheTitleAndEveryControlInTabOrder)
{
    EXPECT_EQ(modal::Text(dialog), GetParam().title);
    std::vector<HWND> children;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    const std::vector<ControlRow>& expected = GetParam().controls;
    ASSERT_EQ(children.size(), expected.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(children[i])), expected[i].id);
        EXPECT_EQ(ClassOf(children[i]), expected[i].className);
        if (expected[i].text) {
            EXPECT_EQ(modal::Text(children[i]), expected[i].text);
        }
    }
    const LONG style = GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "Enter means OK";
}

TEST_P(LogDialogTemplates, NoTextIsCutOffAndEveryControlLiesInside)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    RECT client;
    GetClientRect(dialog, &client);
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK) + 6;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string text = modal::Text(c);
        const std::string cls = ClassOf(c);
        SCOPED_TRACE(text.empty() ? cls + " " + std::to_string(GetDlgCtrlID(c)) : text);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_GE(r.left, client.left);
        EXPECT_GE(r.top, client.top);
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);
        const LONG width = r.right - r.left;
        const LONG height = r.bottom - r.top;
        if (cls == "ComboBox") {
            // The widest thing each date combo shows, beside its arrow.
            const char* widest = nullptr;
            const int id = GetDlgCtrlID(c);
            if (id == IDC_STARTDAY || id == IDC_ENDDAY)
                widest = "31";
            else if (id == IDC_STARTMONTH || id == IDC_END_MONTH)
                widest = "September";
            else if (id == IDC_STARTYEAR || id == IDC_ENDYEAR)
                widest = "2024";
            else
                widest = "All isps";
            RECT need = {0, 0, 0, 0};
            DrawTextA(dc, widest, -1, &need, DT_CALCRECT | DT_SINGLELINE);
            EXPECT_LE(need.right + GetSystemMetrics(SM_CXVSCROLL) + 8, width) << widest;
            continue;
        }
        if (text.empty())
            continue;
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        if (cls == "Static") {
            // Labels may wrap inside their rectangle, but every line must show.
            RECT need = {0, 0, width, 0};
            DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
            EXPECT_LE(need.right, width);
            EXPECT_LE(need.bottom, height) << "text needs " << need.bottom << " px of height";
            continue;
        }
        RECT need = {0, 0, 0, 0};
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
        LONG margin = 8;
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX)
            margin = 20;
        else if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)
            margin = checkWidth;
        EXPECT_LE(need.right + margin, width) << "text needs " << need.right << " px";
        EXPECT_LE(need.bottom, height);
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
}

INSTANTIATE_TEST_SUITE_P(All, LogDialogTemplates, ::testing::ValuesIn(Dialogs()),
                         [](const ::testing::TestParamInfo<DialogCase>& info) {
                             return "Dialog" + std::to_string(info.param.templateId);
                         });

class LogDialogPictures : public testsupport::ProgramDirTest {};

TEST_F(LogDialogPictures, OfEachDialogAsItOpens)
{
    const char* dir = std::getenv("TOLVANE_ARTIFACTS");
    if (!dir || !*dir)
        GTEST_SKIP() << "TOLVANE_ARTIFACTS names no folder for the pictures";
    std::string folder = dir;
    if (folder[0] == '/')
        folder = "Z:" + folder;  // a Unix path, as Wine maps it
    ProgramInstance = GetModuleHandleA(nullptr);
    InitCommonControlsOnce();
    testsupport::WriteFileBytes(File("tolvane.ini"),
                                "[Global]\r\nActiveIDs=1,2\r\n[ISP1]\r\nDescription=Demon Internet\r\n[ISP2]\r\n"
                                "Description=Zetnet\r\n");
    PinClock(testsupport::LocalInstant(2024, 5, 15, 12));
    auto picture = [&](const char* name) {
        return [&folder, name](HWND d) {
            EXPECT_TRUE(SaveWindowPicture(d, folder + "/" + name + ".bmp")) << name;
            modal::Press(d, IDCANCEL);
        };
    };
    {
        modal::Script script(picture("view-raw-log-entries"));
        ViewRequest request;
        RunViewDialog(nullptr, request);
        EXPECT_TRUE(script.ran());
    }
    {
        modal::Script script(picture("delete-log-entries"));
        RunDeleteDialog(nullptr);
        EXPECT_TRUE(script.ran());
    }
    {
        modal::Script script(picture("crash-recovery"));
        RunCrashRecoveryDialog(nullptr, 2);
        EXPECT_TRUE(script.ran());
    }
}

}  // namespace
