#include "CardCheckDlg.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <algorithm>

#include "card.h"

namespace {

using namespace params;

// Beside the presets, the Special choices that give the numbers cards are
// most often printed with.
const CardSettings kSpecialChoices[] = {
    {Decimal, Forward},
    {Decimal, Reverse},
    {Hexadecimal, Forward},
    {Hexadecimal, Reverse},
    {Wiegand, Forward},
    {Wiegand, Reverse},
    {Decimal, Forward, SnSizeBack(3), 8},
    {Decimal, Reverse, SnSizeBack(3), 8},
};

// A Special choice in the page's own words, so that it can be chosen there.
QString SpecialSetting(const CardSettings& s)
{
    static const char* const kBases[] = {"Decimal", "Hexadecimal", "Wiegand", "String"};
    const int n = s.snSize & 0x0F;
    const QString size = s.snSize == kSnSizeAll ? QStringLiteral("All")
                         : s.snSize & 0xF0      ? QStringLiteral("Self-Define, Detail 后 %1").arg(n)
                                                : QStringLiteral("Self-Define, Detail 前 %1").arg(n);
    const QString length =
        s.outLength == kOutLengthDefault ? QStringLiteral("Default") : QStringLiteral("Static %1 Chars").arg(s.outLength);
    const QString order = s.orientation == Forward ? QStringLiteral("Forward") : QStringLiteral("Reverse");
    return QStringLiteral("Special Setting: %1 · %2 · %3 · %4 · WithOut")
        .arg(size, QString::fromLatin1(kBases[s.dataBase]), order, length);
}

// Letters and digits only, upper case: "131,07032" and "13107032" are one number.
QString Bare(const QString& text)
{
    QString bare;
    for (QChar c : text)
        if (c.isLetterOrNumber())
            bare += c.toUpper();
    return bare;
}

std::string Latin1(const QString& text)
{
    return text.toLatin1().toStdString();
}

}  // namespace

bool CCardCheckDlg::OnInitDialog()
{
    for (const Preset& preset : kPresets)
        AddString(1066, QString::fromLatin1(preset.caption));
    SetSelectedIndex(1066, 0);
    for (int id : {1067, 1070})
        qobject_cast<QLabel*>(Item(id))->setWordWrap(true);

    auto* uid = qobject_cast<QLineEdit*>(Item(1064));
    auto* typed = qobject_cast<QLineEdit*>(Item(1065));
    // A UID typed by hand no longer comes from the reader's text.
    connect(uid, &QLineEdit::textChanged, this, [this, typed] {
        const QSignalBlocker quiet(typed);
        typed->clear();
        Refresh();
    });
    connect(typed, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(qobject_cast<QComboBox*>(Item(1066)), &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(qobject_cast<QLineEdit*>(Item(1069)), &QLineEdit::textChanged, this, [this] { Refresh(); });
    Refresh();
    return true;
}

void CCardCheckDlg::keyPressEvent(QKeyEvent* event)
{
    // The window answers as the user types: Enter has nothing to confirm, and closes nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    Dialog::keyPressEvent(event);
}

Bytes CCardCheckDlg::CurrentUid(QString& note)
{
    note.clear();
    const QString typed = ItemText(1065).trimmed();
    if (typed.isEmpty()) {
        if (ItemText(1064).trimmed().isEmpty()) {
            note = QStringLiteral("Type the card's UID in hex, or what the reader types and the preset it was set to.");
            return {};
        }
        Bytes uid = ParseHex(Latin1(ItemText(1064)), kMinUid, kMaxUid);
        if (!uid.problem.empty())
            note = QStringLiteral("Not a card's UID: %1.").arg(QString::fromLatin1(uid.problem));
        return uid;
    }

    const Preset& preset = kPresets[std::max(SelectedIndex(1066), 0)];
    Bytes uid = UidFromPresetText(Latin1(typed), preset);
    const QString from = QStringLiteral("\"%1\" after \"%2\"").arg(typed, preset.caption);
    if (uid.problem.empty()) {
        note = QStringLiteral("Worked out from %1: the UID's first %2 bytes (a longer UID's other bytes "
                              "are not in that text).")
                   .arg(from)
                   .arg(uid.bytes.size());
        if (Bare(typed).size() < preset.outLength)
            note += QStringLiteral(" The preset types %1 characters: the leading zeros left off count as zeros.")
                        .arg(preset.outLength);
    } else {
        note = QStringLiteral("No UID gives %1: %2.").arg(from, QString::fromLatin1(uid.problem));
    }
    auto* box = qobject_cast<QLineEdit*>(Item(1064));
    const QSignalBlocker quiet(box);
    box->setText(QString::fromLatin1(BytesToHex(uid.bytes, " ")));
    return uid;
}

void CCardCheckDlg::Refresh()
{
    QString note;
    const Bytes uid = CurrentUid(note);
    SetItemText(1067, note);

    struct Row {
        QString setting;
        QString output;
    };
    QList<Row> rows;
    if (uid.problem.empty() && !uid.bytes.empty()) {
        for (const Preset& p : kPresets) {
            const CardText out = FormatCard(uid.bytes, {p.dataBase, p.orientation, p.snSize, p.outLength});
            rows.append({QStringLiteral("Simple Setting: \"%1\"").arg(p.caption), QString::fromLatin1(out.text)});
        }
        for (const CardSettings& s : kSpecialChoices)
            rows.append({SpecialSetting(s), QString::fromLatin1(FormatCard(uid.bytes, s).text)});
    }

    // The settings line up in a column after the widest output.
    auto* list = qobject_cast<QPlainTextEdit*>(Item(1068));
    const QFontMetrics metrics(list->font());
    int width = 0;
    for (const Row& row : rows)
        width = std::max(width, metrics.horizontalAdvance(QStringLiteral("► ") + row.output + QStringLiteral("    ")));
    list->setTabStopDistance(std::max(width, 1));

    const QString printed = Bare(ItemText(1069));
    QStringList lines, matches;
    for (const Row& row : rows) {
        const bool match = !printed.isEmpty() && Bare(row.output) == printed;
        if (match)
            matches << row.setting;
        lines << (match ? QStringLiteral("► ") : QString()) + row.output + '\t' + row.setting;
    }
    SetItemText(1068, lines.join('\n'));

    QString verdict;
    if (!matches.isEmpty())
        verdict = QStringLiteral("Given by: %1.").arg(matches.join(QStringLiteral("; ")));
    else if (!rows.isEmpty() && !printed.isEmpty())
        verdict = QStringLiteral("No preset or Special choice listed gives %1.").arg(ItemText(1069).trimmed());
    else if (!rows.isEmpty())
        verdict = QStringLiteral("Type the number printed on the card to see which settings give it.");
    SetItemText(1070, verdict);
}
