// Printer settings: reading them and the Print page's check and store.
#include "charging/printersettings.h"
#include "dialogs/dialogtable.h"
#include "support.h"

namespace {

using testsupport::RecordedCodes;

class PrinterSettingsTest : public testsupport::ProgramDirTest {
protected:
    PrinterSettings Read(const std::string& body)
    {
        WriteIni("[Printer]\r\n" + body);
        PrinterSettings s;
        EXPECT_EQ(0, LoadPrinterSettings(s));
        return s;
    }
};

TEST_F(PrinterSettingsTest, ReadRules)
{
    struct Case {
        const char* body;
        const char* face;
        int points;
        double left, bottom;
        int phone, separate;
    } cases[] = {
        {"", "", 12, 1.0, 1.0, 1, 0},
        {"FontFaceName=Arial\r\nFontPointSize=10\r\nLeftMargin=0.5\r\nBottomMargin=0\r\nPrintPhone=0\r\nSeparatePage=1\r\n",
         "Arial", 10, 0.5, 0.0, 0, 1},
        {"FontPointSize=-3\r\nLeftMargin=-1\r\nBottomMargin=1e999\r\nPrintPhone=2\r\nSeparatePage=5\r\n", "", 12, 1.0, 1.0,
         1, 0},
        {"FontPointSize=abc\r\nLeftMargin=x\r\n", "", 0, 0.0, 1.0, 1, 0},
    };
    for (const Case& c : cases) {
        const PrinterSettings s = Read(c.body);
        EXPECT_EQ(c.face, s.faceName) << c.body;
        EXPECT_EQ(c.points, s.pointSize) << c.body;
        EXPECT_DOUBLE_EQ(c.left, s.leftMargin) << c.body;
        EXPECT_DOUBLE_EQ(1.0, s.rightMargin) << c.body;
        EXPECT_DOUBLE_EQ(c.bottom, s.bottomMargin) << c.body;
        EXPECT_EQ(c.phone, s.printPhone) << c.body;
        EXPECT_EQ(c.separate, s.separatePage) << c.body;
    }
}

TEST_F(PrinterSettingsTest, CheckingRefusesNegativeNumbersAndStoringReplacesThem)
{
    Read("FontFaceName=Courier\r\n");
    PrintForm form;
    form.pointSize = "-1", form.leftMargin = "0", form.rightMargin = "", form.topMargin = "2.5";
    form.bottomMargin = "-1", form.printPhone = false, form.separatePage = true;
    testsupport::ClearRecordedErrors();
    EXPECT_EQ(-1, PrintPageFields(form, FIELDS_CHECK));
    form.pointSize = "0";
    EXPECT_EQ(-1, PrintPageFields(form, FIELDS_CHECK));
    EXPECT_EQ((std::vector<ErrorCode>{1023, 1024}), RecordedCodes());
    EXPECT_EQ("Courier", IniValue("Printer", "FontFaceName"));  // checking stores nothing

    form.pointSize = "-4";
    testsupport::ClearRecordedErrors();
    EXPECT_EQ(0, PrintPageFields(form, FIELDS_STORE));
    EXPECT_TRUE(RecordedCodes().empty());
    EXPECT_EQ("<none>|12|0.000000|1.000000|2.500000|1.000000|0|1",
              IniValues("Printer", {"FontFaceName", "FontPointSize", "LeftMargin", "RightMargin", "TopMargin",
                                    "BottomMargin", "PrintPhone", "SeparatePage"}));
}

} // namespace
