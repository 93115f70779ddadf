#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <QScreen>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/AboutDlg.h"
#include "app/CardCheckDlg.h"
#include "app/TavelinDlg.h"
#include "framework/Dialog.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "t2/import/t2_import.h"
#include "tests/support/qt_print.h"

namespace {

namespace aboutDlg = IDD_ABOUTBOX;
namespace commPage = IDD_PAGE_COMM;
namespace detailDlg = IDD_DLG_CARDSIZE_DETAIL1;
namespace specialPage = IDD_PAGE_SPECIAL;
namespace mainDlg = IDD_TAVELIN_DIALOG;

// Every test leaves no window behind.
class Widgets : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()); }
};

std::string Name(const QWidget* w)
{
    return w ? w->objectName().toStdString() : "(none)";
}

// No two controls overlap; frames surround others, hidden ones do not count,
// and a label only as far as its text reaches (the main window's "Baud"
// label runs a unit under its list in the template), with a pixel clear
// either side. Frames without a title keep apart, hold one another or share
// one edge line.
void ExpectNoOverlap(const QWidget& root)
{
    const QList<QWidget*> controls = root.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto solid = [](QWidget* w) { return !qobject_cast<QGroupBox*>(w) && !w->isHidden() && !w->isWindow(); };
    auto frame = [](QWidget* w) {
        auto* box = qobject_cast<QGroupBox*>(w);
        return box && box->title().isEmpty() && !box->isHidden();
    };
    auto extent = [](QWidget* w) {
        QRect r = w->geometry();
        if (qobject_cast<QLabel*>(w))
            r = QRect(r.left() - 1, r.top(), std::min(r.width(), w->sizeHint().width()) + 2, r.height());
        return r;
    };
    for (QWidget* a : controls) {
        for (QWidget* b : controls) {
            if (a != b && solid(a) && solid(b)) {
                EXPECT_FALSE(extent(a).intersects(extent(b))) << Name(&root) << ": " << Name(a) << " over " << Name(b);
            }
            const QRect both = a->geometry() & b->geometry();
            if (a != b && frame(a) && frame(b) && !both.isEmpty() && both != a->geometry() && both != b->geometry()) {
                EXPECT_TRUE(both.width() == 1 || both.height() == 1)
                    << Name(&root) << ": frames overlap by " << both.width() << "x" << both.height() << " at "
                    << both.x() << "," << both.y();
            }
        }
    }
}

// Shows `w`, then presses Tab `count` times, naming each control reached.
QStringList Names(std::initializer_list<int> ids)
{
    QStringList names;
    for (int id : ids)
        names << QString::number(id);
    return names;
}

QStringList TabWalk(QWidget& w, int count)
{
    w.show();
    if (!QTest::qWaitForWindowActive(&w))
        return {QStringLiteral("(not active)")};
    QStringList walk{QString::fromStdString(Name(QApplication::focusWidget()))};
    for (int i = 1; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk << QString::fromStdString(Name(QApplication::focusWidget()));
    }
    return walk;
}

// A page with its controls built at once.
struct BuiltPage : Page {
    explicit BuiltPage(int templateId) : Page(templateId) { Initialise(); }
};

TEST_F(Widgets, EachTemplateBuildsItsControls)
{
    for (int templateId : kDialogTemplates) {
        BuiltPage page(templateId);
        EXPECT_EQ(page.objectName(), QString::number(templateId));
        QSet<QString> expectedIds;
        for (const ControlTemplate& c : LoadTemplate(templateId).controls) {
            if (c.id == -1)
                continue;
            const std::string where = std::to_string(templateId) + "/" + std::to_string(c.id);
            expectedIds << QString::number(c.id);
            const QWidget* w = page.Item(c.id);
            ASSERT_NE(w, nullptr) << where;
            if (!c.text.isEmpty()) {
                EXPECT_EQ(page.ItemText(c.id), c.text) << where;
            }
            EXPECT_EQ(w->isHidden(), c.hidden) << where;
            EXPECT_EQ(w->isEnabled(), !c.disabled) << where;
        }
        QSet<QString> builtIds;
        for (const QWidget* w : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->objectName().isEmpty())
                builtIds << w->objectName();
            // Nothing clipped: every control lies inside the template's rectangle.
            EXPECT_TRUE(page.rect().contains(w->geometry())) << templateId << "/" << Name(w);
        }
        EXPECT_EQ(builtIds, expectedIds) << templateId;
    }
}

TEST_F(Widgets, UnaddressedControls)
{
    BuiltPage about(aboutDlg::IDD), special(specialPage::IDD), detail(detailDlg::IDD);
    const auto labelTexts = [](const QWidget& w) {
        QStringList texts;
        for (const QLabel* l : w.findChildren<QLabel*>())
            if (l->objectName().isEmpty() && !l->text().isEmpty())
                texts << l->text();
        return texts;
    };
    EXPECT_EQ(labelTexts(about), QStringList{QStringLiteral("Tavelin，1.0 版")});
    EXPECT_EQ(labelTexts(detail), QStringList(2, QStringLiteral("个字节")));

    const QList<QLabel*> icons = about.findChildren<QLabel*>();
    const auto icon = std::find_if(icons.begin(), icons.end(), [](QLabel* l) { return !l->pixmap().isNull(); });
    ASSERT_NE(icon, icons.end());
    EXPECT_EQ((*icon)->size(), QSize(32, 32));

    const QList<QGroupBox*> frames = special.findChildren<QGroupBox*>();
    EXPECT_EQ(frames.size(), 12);
    EXPECT_TRUE(std::all_of(frames.begin(), frames.end(), [](QGroupBox* g) { return g->title().isEmpty(); }));
}

TEST_F(Widgets, RadioGroupsFollowTemplateOrder)
{
    BuiltPage page(specialPage::IDD);
    const QList<QList<int>> groups = {
        {specialPage::IDC_RADIO_HEADER, specialPage::IDC_RADIO_NO_HEADER, specialPage::IDC_RADIO_USB_NO_ENTER},
        {specialPage::IDC_RADIO_DECIMAL, specialPage::IDC_RADIO_HEX, specialPage::IDC_RADIO_WIEGAND,
         specialPage::IDC_RADIO_STRING},
        {specialPage::IDC_RADIO_ALL, specialPage::IDC_RADIO_SELF_DEFINE},
        {specialPage::IDC_RADIO_REVERSE, specialPage::IDC_RADIO_FORWARD},
        {specialPage::IDC_RADIO_LENGTH_DEFAULT, specialPage::IDC_RADIO_LENGTH_STATIC}};
    for (const QList<int>& group : groups) {
        for (int pick : group) {
            for (const QList<int>& g : groups)
                page.SetCheck(g.front(), true);
            page.Control<QAbstractButton>(pick).click();
            for (const QList<int>& g : groups)
                for (int id : g)
                    EXPECT_EQ(page.IsChecked(id), id == pick || (&g != &group && id == g.front()))
                        << "picked " << pick << ", radio " << id;
        }
    }

    // The platform's check state can be cleared even in an exclusive group.
    page.SetCheck(specialPage::IDC_RADIO_DECIMAL, true);
    page.SetCheck(specialPage::IDC_RADIO_DECIMAL, false);
    EXPECT_FALSE(page.IsChecked(specialPage::IDC_RADIO_DECIMAL));
    page.SetCheck(specialPage::IDC_RADIO_HEX, true);
    EXPECT_TRUE(page.IsChecked(specialPage::IDC_RADIO_HEX));

    BuiltPage detail(detailDlg::IDD);  // no group start: both radios in one group
    EXPECT_FALSE(detail.IsChecked(detailDlg::IDC_RADIO_FRONT));
    EXPECT_FALSE(detail.IsChecked(detailDlg::IDC_RADIO_BACK));
    detail.Control<QAbstractButton>(detailDlg::IDC_RADIO_FRONT).click();
    detail.Control<QAbstractButton>(detailDlg::IDC_RADIO_BACK).click();
    EXPECT_FALSE(detail.IsChecked(detailDlg::IDC_RADIO_FRONT));
    EXPECT_TRUE(detail.IsChecked(detailDlg::IDC_RADIO_BACK));
}

TEST_F(Widgets, MouseReachesControlsInsideFrames)
{
    BuiltPage page(specialPage::IDD);
    page.show();
    for (QWidget* w : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->objectName().isEmpty() || w->isHidden())
            continue;
        QWidget* hit = page.childAt(w->geometry().center());
        EXPECT_TRUE(hit == w || w->isAncestorOf(hit)) << Name(w) << " covered by " << Name(hit);
    }
    QTest::mouseClick(&page.Control(specialPage::IDC_RADIO_FORWARD), Qt::LeftButton);
    EXPECT_TRUE(page.IsChecked(specialPage::IDC_RADIO_FORWARD));

    // Frames paint beneath the controls.
    qsizetype lastFrame = -1, firstControl = -1;
    const QObjectList stack = page.children();
    for (qsizetype i = 0; i < stack.size(); ++i) {
        if (qobject_cast<QGroupBox*>(stack[i]))
            lastFrame = i;
        else if (firstControl < 0 && stack[i]->isWidgetType())
            firstControl = i;
    }
    EXPECT_LT(lastFrame, firstControl);
}

TEST_F(Widgets, TabOrderFollowsTemplateOrderAmongTabStops)
{
    using namespace IDD_PAGE_SPECIAL;
    {
        BuiltPage page(specialPage::IDD);
        EXPECT_EQ(TabWalk(page, 5),
                  Names({IDC_RADIO_DECIMAL, IDC_BTN_SET, IDC_COMBO_ADDR, IDC_EDIT_PASSWORD, IDC_RADIO_DECIMAL}));
    }
    {
        // Tab reaches the checked radio of a group; enabled controls join in.
        BuiltPage page(specialPage::IDD);
        page.SetCheck(IDC_RADIO_WIEGAND, true);
        page.EnableItem(IDC_BTN_DETAIL, true);
        page.EnableItem(IDC_EDIT_LENGTH, true);
        EXPECT_EQ(TabWalk(page, 7), Names({IDC_RADIO_WIEGAND, IDC_BTN_DETAIL, IDC_BTN_SET, IDC_EDIT_LENGTH,
                                           IDC_COMBO_ADDR, IDC_EDIT_PASSWORD, IDC_RADIO_WIEGAND}));
    }
    {
        Dialog main(mainDlg::IDD);
        EXPECT_EQ(TabWalk(main, 6),
                  Names({mainDlg::IDC_COMBO_PORT, mainDlg::IDC_COMBO_BAUD, mainDlg::IDC_BTN_OPEN, mainDlg::IDC_EDIT_MSG,
                         mainDlg::IDC_BTN_CLEAR_MSG, mainDlg::IDC_COMBO_PORT}));
    }
    {
        Dialog detail(detailDlg::IDD);
        detail.ShowItem(detailDlg::IDC_EDIT_BACK, true);
        EXPECT_EQ(TabWalk(detail, 3), Names({1, detailDlg::IDC_EDIT_BACK, 1}));
    }
}

TEST_F(Widgets, ArrowKeysMoveWithinARadioGroup)
{
    BuiltPage page(specialPage::IDD);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    QSignalSpy clicks(&page.Control<QAbstractButton>(specialPage::IDC_RADIO_HEX), &QAbstractButton::clicked);
    page.SetCheck(specialPage::IDC_RADIO_DECIMAL, true);
    page.Control(specialPage::IDC_RADIO_DECIMAL).setFocus();
    QTest::keyClick(&page.Control(specialPage::IDC_RADIO_DECIMAL), Qt::Key_Right);
    EXPECT_TRUE(page.IsChecked(specialPage::IDC_RADIO_HEX));
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);  // wraps to the last
    EXPECT_TRUE(page.IsChecked(specialPage::IDC_RADIO_STRING));
    EXPECT_FALSE(page.IsChecked(specialPage::IDC_RADIO_DECIMAL));

    // Radios without tab stops too, once clicked.
    QTest::mouseClick(&page.Control(specialPage::IDC_RADIO_HEADER), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(page.IsChecked(specialPage::IDC_RADIO_NO_HEADER));
    EXPECT_EQ(QApplication::focusWidget(), &page.Control(specialPage::IDC_RADIO_NO_HEADER));
}

TEST_F(Widgets, EditsTakeWhatTheirStyleAllows)
{
    BuiltPage page(specialPage::IDD);
    page.show();
    page.EnableItem(specialPage::IDC_EDIT_LENGTH, true);
    QTest::keyClicks(&page.Control(specialPage::IDC_EDIT_LENGTH), "1a2-3 ");
    EXPECT_EQ(page.ItemText(specialPage::IDC_EDIT_LENGTH), QStringLiteral("123"));
    page.SetItemText(specialPage::IDC_EDIT_LENGTH, QString());
    page.LimitText(specialPage::IDC_EDIT_LENGTH, 2);
    QTest::keyClicks(&page.Control(specialPage::IDC_EDIT_LENGTH), "987");
    EXPECT_EQ(page.ItemText(specialPage::IDC_EDIT_LENGTH), QStringLiteral("98"));
    EXPECT_EQ(page.ItemInt(specialPage::IDC_EDIT_LENGTH), 98);

    QTest::keyClicks(&page.Control(specialPage::IDC_EDIT_PASSWORD), "x-1 Z");
    EXPECT_EQ(page.ItemText(specialPage::IDC_EDIT_PASSWORD), QStringLiteral("x-1 Z"));

    BuiltPage detail(detailDlg::IDD);
    detail.ShowItem(detailDlg::IDC_EDIT_FRONT, true);
    detail.LimitText(detailDlg::IDC_EDIT_FRONT, 2);
    QTest::keyClicks(&detail.Control(detailDlg::IDC_EDIT_FRONT), "-57");
    EXPECT_EQ(detail.ItemInt(detailDlg::IDC_EDIT_FRONT), -5);
    EXPECT_EQ(detail.ItemText8(detailDlg::IDC_EDIT_FRONT), QByteArray("-5"));
}

// The IDs are the code's own: a wrong one stops the program at once, in
// every operation, saying which it was.
TEST(ControlDeathTest, UnknownIdOrWrongKindStopsNamingBoth)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: the toolkit runs threads
    // Where standard error is no console (a pipe under Windows), the message
    // would go to the debugger only.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    BuiltPage page(detailDlg::IDD);
    EXPECT_DEATH(page.Control(9999), "template 134 has no control 9999");
    EXPECT_DEATH(page.Control<QComboBox>(detailDlg::IDC_EDIT_FRONT),
                 "control 1041 of template 134 is a QLineEdit, not a QComboBox");
    EXPECT_DEATH(page.SetItemText(9999, "x"), "template 134 has no control 9999");
    EXPECT_DEATH(page.EnableItem(9999, false), "template 134 has no control 9999");
    EXPECT_DEATH(page.OnClicked(detailDlg::IDC_EDIT_FRONT, [] {}), "control 1041 .* not a QAbstractButton");
    EXPECT_DEATH(page.SelectedIndex(detailDlg::IDOK), "control 1 of template 134 is a .*, not a QComboBox");
    EXPECT_DEATH(page.IsChecked(detailDlg::IDC_EDIT_FRONT), "not a QAbstractButton");
}

TEST_F(Widgets, LongerRunTimeCaptionsTakeFreeRoomOnly)
{
    BuiltPage page(specialPage::IDD);
    page.show();
    // Free room on the right (Hexadecimal, Wiegand), or only on the left (Password).
    const QList<std::pair<int, const char*>> captions = {{specialPage::IDC_RADIO_HEX, "Hexadecimal"},
                                                         {specialPage::IDC_RADIO_WIEGAND, "Wiegand"},
                                                         {specialPage::IDC_STATIC_PASSWORD, "Password"},
                                                         {specialPage::IDC_STATIC_ADDR, "Addr"}};
    for (const auto& [id, text] : captions) {
        page.SetItemText(id, QString::fromUtf8(text));
        EXPECT_GE(page.Control(id).width(), page.Control(id).sizeHint().width()) << id;
    }
    ExpectNoOverlap(page);
    page.close();
}

TEST_F(Widgets, EveryCaptionAndListItemFitsItsControl)
{
    CTavelinDlg main;
    main.show();
    main.SpecialPage().Initialise();
    CAboutDlg about;
    about.show();
    CDlgCardSizeDetail1 detail;
    detail.show();
    main.OnSysCommand(IDM_CARDCHECK);
    const std::initializer_list<QWidget*> roots{&main,  &main.SimplePage(), &main.SpecialPage(),
                                                &about, &detail,            main.CardCheck()};
    // Nothing moves a fitted list later on, as a list sized to its items would.
    std::map<QWidget*, QRect> fitted;
    for (QWidget* root : roots)
        for (QComboBox* list : root->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly))
            fitted[list] = list->geometry();
    QTest::qWait(50);
    for (const auto& [list, geometry] : fitted)
        EXPECT_EQ(list->geometry(), geometry) << Name(list);
    for (QWidget* root : roots) {
        for (QWidget* w : root->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            int need = 0, room = w->width();
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                QStyleOptionButton option;
                option.initFrom(button);
                need = button->fontMetrics().horizontalAdvance(button->text());
                room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
            } else if (qobject_cast<QLabel*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QComboBox*>(w)) {
                need = w->sizeHint().width();  // a list's hint is its longest item's
            }
            EXPECT_LE(need, room) << Name(root) << "/" << Name(w);
        }
        ExpectNoOverlap(*root);
    }
    about.close();
    detail.close();
}

// The boxes the program shows, short and long: every line of the text fits
// the box, wrapped as it is shown.
TEST_F(Widgets, MessageBoxShowsItsWholeText)
{
    const std::pair<std::string, std::string> boxes[] = {
        {CDlgCardSizeDetail1::kConfirmText, CDlgCardSizeDetail1::kConfirmCaption},
        {OtherBitnessProblem("tavelin.exe", false), CTavelinDlg::kTitle},
    };
    for (const auto& [text, caption] : boxes) {
        QRect room, need;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            const QLabel* label = box ? box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")) : nullptr;
            if (label) {
                room = label->contentsRect();
                need = label->fontMetrics().boundingRect(room, int(label->alignment()) | Qt::TextWordWrap,
                                                         label->text());
            }
            if (box)
                box->accept();
        });
        MessageBoxOk(nullptr, QString::fromStdString(text), QString::fromStdString(caption), QMessageBox::Information);
        EXPECT_FALSE(room.isEmpty()) << text;
        EXPECT_TRUE(room.contains(need)) << text << ": " << need.width() << "x" << need.height() << " in "
                                         << room.width() << "x" << room.height();
    }
}

// A long reason, shown at the screen's corner, wraps and stays on the screen.
TEST_F(Widgets, ReasonTipStaysOnTheScreen)
{
    const QString reason = QStringLiteral("COM5 <in use>: another program holds the port; close it and press Open again. ").repeated(6);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QToolTip::showText(screen.bottomRight() - QPoint(2, 2), ReasonTip(reason));
    QLabel* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("qtooltip_label") && w->isVisible())
            tip = qobject_cast<QLabel*>(w);
    ASSERT_TRUE(tip);
    EXPECT_TRUE(screen.contains(tip->geometry())) << tip->geometry().width() << " wide at " << tip->x();
    QTextDocument shown;
    shown.setHtml(tip->text());
    EXPECT_EQ(shown.toPlainText().simplified(), reason.simplified());
    delete tip;  // Qt's own lingers a while
}

// Luminance contrast of two colours, 1 to 21; 4.5 reads as normal text does.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](float v) { return v <= 0.03928f ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double one = luminance(a), other = luminance(b);
    return (std::max(one, other) + 0.05) / (std::min(one, other) + 0.05);
}

// As the Windows style gave them: light grey (166) on white, hard to read.
TEST_F(Widgets, TipsReadAsNormalText)
{
    const QPalette saved = QToolTip::palette();
    QPalette grey = saved;
    grey.setColor(QPalette::ToolTipText, QColor(166, 166, 166));
    grey.setColor(QPalette::ToolTipBase, Qt::white);
    QToolTip::setPalette(grey);
    UseReadableTips();
    const QPalette tips = QToolTip::palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})  // a shown tip is an inactive window
        EXPECT_GE(Contrast(tips.color(group, QPalette::ToolTipText), tips.color(group, QPalette::ToolTipBase)), 4.5)
            << group;
    QToolTip::setPalette(saved);
}

// The tip Qt shows now, deleted by `Gone` (Qt's own lingers a while).
QLabel* ShownTip()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("qtooltip_label") && w->isVisible())
            return qobject_cast<QLabel*>(w);
    return nullptr;
}

// The lines a tip shows, as laid out in its own width.
QStringList TipLines(const QLabel& tip)
{
    QTextDocument shown;
    shown.setDefaultFont(tip.font());
    shown.setHtml(tip.text());
    shown.setTextWidth(tip.contentsRect().width() - 2 * tip.margin());
    shown.size();  // lays it out
    QStringList lines;
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next())
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            const QTextLine line = block.layout()->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength()).trimmed();
        }
    return lines;
}

// A reason reads in lines of about 60 characters, none of its names broken.
TEST_F(Widgets, ReasonTipWrapsAtAReadableWidthBetweenWords)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Windows builds' Qt reads no CSS, so it wraps a tip its own way, a few words a line";
#endif
    const QString port = QStringLiteral("USB:1.2"), path = QStringLiteral("/dev/serial/by-path/pci-0:14.0-port0");
    const QString reason = QStringLiteral("no such device for %1 (%2): No such file or directory; the reader is not "
                                          "plugged in, or is in another socket of the hub")
                               .arg(port, path);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QToolTip::showText(screen.topLeft() + QPoint(8, 8), ReasonTip(reason));
    QLabel* tip = ShownTip();
    ASSERT_TRUE(tip);
    const QStringList lines = TipLines(*tip);
    const std::string shown = lines.join(QStringLiteral(" | ")).toStdString();
    const int readable = std::min(60 * QFontMetrics(QToolTip::font()).averageCharWidth(), screen.width() / 3);
    EXPECT_GE(tip->width(), readable * 2 / 3) << shown;
    EXPECT_LE(lines.size(), 5) << shown;
    for (const QString& name : {port, path})
        EXPECT_TRUE(std::ranges::any_of(lines, [&](const QString& line) { return line.contains(name); }))
            << name.toStdString() << " broken: " << shown;
    delete tip;
}

// A tip shows below the button or log line it explains, or above it at the
// screen's foot, and hides none of it.
TEST_F(Widgets, TipsShowBelowWhatTheyExplain)
{
    const QString reason = QStringLiteral("the port went away (a later call opens it again once the reader is back)");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const bool atFoot : {false, true}) {
        QWidget window;
        auto* open = new QPushButton(QStringLiteral("Open"), &window);
        open->setGeometry(10, 10, 80, 24);
        open->setToolTip(ReasonTip(reason));
        auto* log = new QPlainTextEdit(&window);
        log->setGeometry(10, 40, 300, 120);
        QFont large = log->font();  // lines taller than the pointer, as at 150%
        large.setPixelSize(26);
        log->setFont(large);
        log->setPlainText(QStringLiteral("Reader link ok\n"));
        QTextCursor end(log->document());
        end.movePosition(QTextCursor::End);
        QTextCharFormat failed;
        failed.setToolTip(ReasonTip(reason));
        end.insertText(QStringLiteral("Reader link failed\n"), failed);
        end.insertText(QStringLiteral("Reader link ok"), QTextCharFormat());
        ShowTipsBelow(open);
        ShowTipsBelow(log);
        window.resize(320, 170);
        window.move(screen.left() + 20, atFoot ? screen.bottom() + 1 - window.frameGeometry().height() : screen.top());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        const QRect line = log->cursorRect(QTextCursor(log->document()->findBlockByNumber(1)));
        const struct {
            const char* what;
            QWidget* widget;
            QRect explained;  // in the widget
        } cases[] = {
            {"the button", open, open->rect()},
            {"the log's line", log->viewport(), QRect(0, line.top(), log->viewport()->width(), line.height())},
        };
        for (const auto& c : cases) {
            const QPoint pointer = c.explained.topLeft() + QPoint(20, 2);
            QHelpEvent help(QEvent::ToolTip, pointer, c.widget->mapToGlobal(pointer));
            QApplication::sendEvent(c.widget, &help);
            QLabel* tip = ShownTip();
            ASSERT_TRUE(tip) << c.what;
            const QRect explained(c.widget->mapToGlobal(c.explained.topLeft()), c.explained.size());
            const std::string where = std::string(c.what) + (atFoot ? " at the screen's foot" : "");
            EXPECT_FALSE(tip->geometry().intersects(explained)) << where;
            EXPECT_TRUE(screen.contains(tip->geometry())) << where;
            EXPECT_EQ(TipLines(*tip).join(' '), reason) << where;
            delete tip;
        }
    }
}

TEST_F(Widgets, LabelMnemonicLeadsToTheNextTabStop)
{
    Dialog main(mainDlg::IDD);
    main.SetItemText(mainDlg::IDC_STATIC_BAUD, QStringLiteral("&Baud"));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &main.Control(mainDlg::IDC_COMBO_BAUD));
}

class CountingDialog : public Dialog {
public:
    using Dialog::Dialog;
    int inits = 0;

protected:
    bool OnInitDialog() override { return ++inits; }
};

class CountingPage : public Page {
public:
    using Page::Page;
    int inits = 0;

protected:
    bool OnInitDialog() override { return ++inits; }
};

TEST_F(Widgets, DialogWindowAndInitialisation)
{
    CountingDialog dialog(detailDlg::IDD);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("详细"));
    const QSize units = DialogBaseUnits(TemplateFont(LoadTemplate(detailDlg::IDD)));
    EXPECT_EQ(dialog.size(), DluToPixels(QRect(0, 0, 239, 106), units).size());
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.inits, 0);
    dialog.show();
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.inits, 1);
    dialog.hide();

    CountingPage page(commPage::IDD);
    page.Initialise();
    page.Initialise();
    page.show();
    EXPECT_EQ(page.inits, 1);
    EXPECT_FALSE(page.children().isEmpty());
}

TEST_F(Widgets, EnterAndEscapeAsInPlatformDialogs)
{
    const auto press = [](Dialog& d, int key, int focusId) {
        d.show();
        if (!QTest::qWaitForWindowActive(&d))
            return;
        if (focusId)
            d.Control(focusId).setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    };
    {
        Dialog detail(detailDlg::IDD);  // focus starts on the default button: Enter confirms
        press(detail, Qt::Key_Return, 0);
        EXPECT_EQ(detail.result(), QDialog::Accepted);
        EXPECT_FALSE(detail.isVisible());
    }
    {
        Dialog main(mainDlg::IDD);  // a focused push button takes Enter
        QSignalSpy open(&main.Control<QPushButton>(mainDlg::IDC_BTN_OPEN), &QPushButton::clicked);
        press(main, Qt::Key_Enter, mainDlg::IDC_BTN_OPEN);
        EXPECT_EQ(open.count(), 1);
        EXPECT_TRUE(main.isVisible());
        // No default button: Enter elsewhere ends the window with OK.
        main.Control(mainDlg::IDC_COMBO_PORT).setFocus();
        QTest::keyClick(&main.Control(mainDlg::IDC_COMBO_PORT), Qt::Key_Return);
        EXPECT_EQ(open.count(), 1);
        EXPECT_FALSE(main.isVisible());
        EXPECT_EQ(main.result(), QDialog::Accepted);
    }
    {
        Dialog about(aboutDlg::IDD);
        press(about, Qt::Key_Escape, 0);
        EXPECT_EQ(about.result(), QDialog::Rejected);
        EXPECT_FALSE(about.isVisible());
    }
}

}  // namespace
