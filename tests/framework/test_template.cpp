#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

#include "framework/Dialog.h"
#include "framework/Template.h"
#include "resource.h"
#include "tests/support/qt_print.h"

namespace {

TEST(DluToPixels, RoundsEachFieldToNearest)
{
    struct Case {
        QSize units;
        QRect dlu;
        QRect pixels;
    };
    const Case cases[] = {
        {{6, 13}, {36, 289, 14, 8}, {54, 470, 21, 13}},   // 469.625 -> 470
        {{6, 13}, {1, 4, 3, 12}, {2, 7, 5, 20}},          // halves round up: 1.5, 6.5, 4.5, 19.5
        {{7, 15}, {5, 3, 1, 1}, {9, 6, 2, 2}},            // 8.75, 5.625, 1.75, 1.875
        {{7, 15}, {3, 1, 2, 0}, {5, 2, 4, 0}},            // 5.25, 1.875, 3.5
        {{6, 13}, {-1, -4, 0, 0}, {-2, -7, 0, 0}},        // halves away from zero
        {{8, 16}, {471, 308, 471, 308}, {942, 616, 942, 616}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DluToPixels(c.dlu, c.units), c.pixels) << c.dlu.x() << "," << c.dlu.y();
}

// As a plain Wine prefix has it: the system's message and tip faces missing.
TEST(TemplateFont, MessageBoxesAndTipsTakeAFaceDrawnAsItself)
{
    const QFont saved = QApplication::font();
    for (const char* kind : {"QMessageBox", "QTipLabel"})
        QApplication::setFont(QFont(QStringLiteral("tavelin-no-such-face")), kind);
    UseDrawnFaces();
    for (const char* kind : {"QMessageBox", "QTipLabel"})
        EXPECT_TRUE(QFontDatabase::hasFamily(QApplication::font(kind).family())) << kind;
    QApplication::setFont(saved);
}

TEST(TemplateFont, RendersChineseAndGivesSaneBaseUnits)
{
    for (int id : kDialogTemplates) {
        const DialogTemplate& t = LoadTemplate(id);
        const QFont font = TemplateFont(t);
        EXPECT_EQ(font.pointSize(), t.pointSize) << id;
        EXPECT_EQ(QFontInfo(font).family(), font.family()) << id << ": drawn in another face";
        EXPECT_TRUE(QFontMetrics(font).inFont(QChar(u'设'))) << id << " " << QFontInfo(font).family().toStdString();
        const QSize units = DialogBaseUnits(font);
        EXPECT_GT(units.width(), 0) << id;
        EXPECT_LT(units.width(), units.height()) << id;
    }
    const QSize nine = DialogBaseUnits(TemplateFont(LoadTemplate(IDD_ABOUTBOX::IDD)));
    const QSize eight = DialogBaseUnits(TemplateFont(LoadTemplate(IDD_PAGE_COMM::IDD)));
    EXPECT_GE(nine.height(), eight.height());
    EXPECT_GE(nine.width(), eight.width());
}

TEST(ParseDlgInt, ReadsSignedDecimalOrGivesZero)
{
    struct Case {
        const char* text;
        int value;
        bool ok;
    };
    const Case cases[] = {
        {"12", 12, true},          {"  7", 7, true},   {"-5", -5, true},    {" 3 ", 3, true},
        {"007", 7, true},          {"-0", 0, true},    {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},        {"", 0, false},      {"   ", 0, false},
        {"-", 0, false},           {"1a", 0, false},   {"a1", 0, false},    {"+5", 0, false},
        {"- 5", 0, false},         {"1 2", 0, false},  {"0x10", 0, false},  {"2147483648", 0, false},
        {"-2147483649", 0, false}, {"99999999999999999999", 0, false},      {"１２", 0, false},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(ParseDlgInt(QString::fromUtf8(c.text), &ok), c.value) << '"' << c.text << '"';
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
    }
}

TEST(LoadTemplate, FailsNamingTheTemplate)
{
    // 990: not JSON; 991: unknown kind; 992: unknown flag; 993: holds another number; 999: absent.
    for (int id : {990, 991, 992, 993, 999}) {
        try {
            LoadTemplate(id);
            ADD_FAILURE() << id << " loaded";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("dialog template " + std::to_string(id)), std::string::npos)
                << e.what();
        }
    }
}

// What start-up shows and ends with: the first template that cannot be used, and why.
TEST(ResourceProblem, NamesTheFirstBrokenTemplateAndWhatIsWrong)
{
    EXPECT_EQ(ResourceProblem(kDialogTemplates), "");
    const int broken[] = {IDD_ABOUTBOX::IDD, 991, 999};
    EXPECT_EQ(ResourceProblem(broken), "dialog template 991, control 5: unknown kind \"slider\"");
}

TEST(LoadString, TableEntries)
{
    EXPECT_EQ(LoadString(101), QStringLiteral("关于 Tavelin(&A)..."));
    EXPECT_TRUE(LoadString(4242).isEmpty());
}

}  // namespace
