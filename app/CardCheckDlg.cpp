#include "app/CardCheckDlg.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <algorithm>

#include "app/SettingFileDialog.h"
#include "dataout/cardcheck.h"
#include "pages/common/ReaderLink.h"
#include "pages/simple/Page_comm.h"
#include "pages/special/Page_special.h"
#include "resource.h"

using namespace IDD_CARDCHECK;

namespace {

using namespace params;

// The way to set it: a preset's button, else the Special choices.
QString SettingName(const CardSettings& s)
{
    if (const Preset* p = PresetOf(s))
        return CCardCheckDlg::tr("%1: \"%2\"").arg(CPage_comm::Title(), ParamsText(p->caption));
    return CPage_special::Describe(s);
}

QStringList SettingNames(const std::vector<CardSettings>& settings)
{
    QStringList names;
    for (const CardSettings& s : settings)
        names << SettingName(s);
    return names;
}

QString From(const QString& typed, const Preset& preset)
{
    return CCardCheckDlg::tr("\"%1\" after \"%2\"").arg(typed, ParamsText(preset.caption));
}

// What was worked out from a preset's text: the UID the rows are for, and
// the others the text allows.
QString WorkedOut(const QString& typed, const Preset& preset, const UidChoices& uids, size_t taken)
{
    const auto read = static_cast<size_t>(preset.settings.snSize);
    auto uid = [read](const std::vector<uint8_t>& bytes) {
        return bytes.size() == read
                   ? CCardCheckDlg::tr("the UID's first %1 bytes (a longer UID's other bytes are not in that text)").arg(read)
                   : CCardCheckDlg::tr("a UID of %1 bytes").arg(bytes.size());
    };
    QString note = CCardCheckDlg::tr("Worked out from %1: %2").arg(From(typed, preset), uid(uids.uids[taken]));
    if (taken > 0)
        note += CCardCheckDlg::tr(", the one that gives the printed number");
    QStringList others;
    for (size_t i = 0; i < uids.uids.size(); ++i)
        if (i != taken)
            others << CCardCheckDlg::tr("%1, %2").arg(uid(uids.uids[i]), QString::fromLatin1(BytesToHex(uids.uids[i], " ")));
    note += CCardCheckDlg::tr(".");
    if (!others.isEmpty())
        note += CCardCheckDlg::tr(" The text fits too: %1.").arg(others.join(CCardCheckDlg::tr("; ")));
    if (std::ssize(Bare(typed.toLatin1().toStdString())) < preset.settings.outLength)
        note += CCardCheckDlg::tr(" The preset types %1 characters: the leading zeros left off count as zeros.")
                    .arg(preset.settings.outLength);
    return note;
}

// Words of dataout/ in the user's language.
QString Said(const Words& words)
{
    QString text = QCoreApplication::translate("card", words.format);
    for (const std::string& arg : words.args)
        text = text.arg(QString::fromStdString(arg));
    return text;
}

std::string Latin1(const QString& text)
{
    return text.toLatin1().toStdString();
}

// What the window says above the rows: how to start, or where the UID came from.
QString Note(const CardCheck& check, const QString& typed, const Preset& preset)
{
    const bool none = !check.uids.problem.empty();
    switch (check.source) {
    case CardCheck::kNothing:
        return CCardCheckDlg::tr("Type the card's UID in hex, or what the reader types and the preset it was set to.");
    case CardCheck::kUid:
        return none ? CCardCheckDlg::tr("Not a card's UID: %1.").arg(Said(check.uids.problem)) : QString();
    case CardCheck::kTyped:
        return none ? CCardCheckDlg::tr("No UID gives %1: %2.").arg(From(typed, preset), Said(check.uids.problem))
                    : WorkedOut(typed, preset, check.uids, check.uid);
    }
    return {};
}

QString Verdict(const CardCheck& check, const QString& printed)
{
    const QString separator = CCardCheckDlg::tr("; ");
    switch (check.verdict) {
    case CardCheck::kNone:
        return {};
    case CardCheck::kAskPrinted:
        return CCardCheckDlg::tr("Type the number printed on the card to see which settings give it.");
    case CardCheck::kNoneGives:
        return CCardCheckDlg::tr("No preset or Special choice listed gives %1.").arg(printed);
    case CardCheck::kGiven:
        break;
    }
    const QString given = SettingNames(check.given).join(separator);
    return check.also.empty() ? CCardCheckDlg::tr("Given by: %1.").arg(given)
                              : CCardCheckDlg::tr("Given by: %1. Also given by: %2.")
                                    .arg(given, SettingNames(check.also).join(separator));
}

}  // namespace

void CCardCheckDlg::CheckAgainst(const CardSettings& taken)
{
    auto* list = &Control<QComboBox>(IDC_COMBO_PRESET);
    const QString item = tr("The setting just sent: %1").arg(SettingName(taken));
    if (m_taken)
        list->setItemText(0, item);
    else
        list->insertItem(0, item);
    m_taken = taken;
    list->setCurrentIndex(0);
    Refresh();
}

bool CCardCheckDlg::Checking() const
{
    return m_taken && SelectedIndex(IDC_COMBO_PRESET) == 0;
}

// What the reader typed into the typed box, against what the setting taken
// types for the UID given.
QString CCardCheckDlg::Judged() const
{
    const Bytes uid = ParseHex(Latin1(ItemText(IDC_EDIT_UID)), kMinUid, kMaxUid);
    const QString typed = ItemText(IDC_EDIT_TYPED).trimmed();
    if (!uid.problem.empty() || uid.bytes.empty())
        return tr("Type the card's UID, then click into the box of what the reader types and present the card: "
                  "it is checked against the setting just sent.");
    if (m_taken->blockAddress != kBlockUid)
        return tr("The setting just sent reads data block %1, which this window cannot know: compare what the "
                  "reader types with the block's text.").arg(m_taken->blockAddress);
    const CardText out = FormatCard(uid.bytes, *m_taken);
    if (!out.problem.empty())
        return tr("The setting just sent types nothing for this card.");
    QString expected;
    for (const auto& part : out.typed)
        if (std::holds_alternative<std::string>(part))
            expected += QString::fromLatin1(std::get<std::string>(part));
    if (typed.isEmpty())
        return tr("Now present the card: the reader should type %1.").arg(expected);
    return typed == expected ? tr("As expected: the reader typed %1.").arg(typed)
                             : tr("Not what this setting types: expected %1, got %2.").arg(expected, typed);
}

bool CCardCheckDlg::OnInitDialog()
{
    for (const Preset& preset : kPresets)
        AddString(IDC_COMBO_PRESET, ParamsText(preset.caption));
    SetSelectedIndex(IDC_COMBO_PRESET, 0);
    for (int id : {IDC_STATIC_NOTE, IDC_STATIC_VERDICT})
        Control<QLabel>(id).setWordWrap(true);

    auto* uid = &Control<QLineEdit>(IDC_EDIT_UID);
    auto* typed = &Control<QLineEdit>(IDC_EDIT_TYPED);
    // A UID typed by hand clears the reader's text, which would contradict it.
    connect(uid, &QLineEdit::textChanged, this, [this, typed] {
        const QSignalBlocker quiet(typed);
        typed->clear();
        Refresh();
    });
    connect(typed, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(&Control<QComboBox>(IDC_COMBO_PRESET), &QComboBox::currentIndexChanged, this,
            [this] { Refresh(); });
    connect(&Control<QLineEdit>(IDC_EDIT_PRINTED), &QLineEdit::textChanged, this, [this] { Refresh(); });
    OnClicked(IDC_BTN_SAVE_SETTING, [this] { SaveMatched(); });
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

void CCardCheckDlg::Refresh()
{
    const bool checking = Checking();
    // Against the setting taken, the typed text is judged; otherwise it gives the UID.
    const QString typed = checking ? QString() : ItemText(IDC_EDIT_TYPED).trimmed();
    const auto row = size_t(std::max(SelectedIndex(IDC_COMBO_PRESET) - (m_taken ? 1 : 0), 0));
    const Preset& preset = kPresets[row];
    const CardCheck check =
        RunCardCheck({Latin1(ItemText(IDC_EDIT_UID)), Latin1(typed), row, ItemText(IDC_EDIT_PRINTED).toStdString()});
    SetItemText(IDC_STATIC_NOTE, checking ? Judged() : Note(check, typed, preset));
    if (check.source == CardCheck::kTyped) {
        auto* box = &Control<QLineEdit>(IDC_EDIT_UID);
        const QSignalBlocker quiet(box);
        const auto& uids = check.uids.uids;
        box->setText(uids.empty() ? QString() : QString::fromLatin1(BytesToHex(uids[check.uid], " ")));
    }

    // The settings line up in a column after the widest output.
    auto* list = &Control<QPlainTextEdit>(IDC_EDIT_OUTPUTS);
    const QFontMetrics metrics(list->font());
    int width = 0;
    QStringList lines;
    for (const CardCheckRow& row : check.rows) {
        const QString output = QString::fromLatin1(Shown(row.output));
        width = std::max(width, metrics.horizontalAdvance(kMark + output + "    "));
        lines << (row.marked ? QString::fromLatin1(kMark) : QString()) + output + '\t' + SettingName(row.settings);
    }
    list->setTabStopDistance(std::max(width, 1));
    SetItemText(IDC_EDIT_OUTPUTS, lines.join('\n'));
    SetItemText(IDC_STATIC_VERDICT, Verdict(check, ItemText(IDC_EDIT_PRINTED).trimmed()));

    m_matched = {check.savePreset, {check.saveSpecial.value_or(CardSettings{})}};
    EnableItem(IDC_BTN_SAVE_SETTING, check.savePreset || check.saveSpecial);
}

void CCardCheckDlg::SaveMatched()
{
    const QString title = tr("Save as Setting File");
    const QString path = AskSettingFile(this, title, true);
    if (path.isEmpty())
        return;
    if (const QString problem = setting::Save(path, m_matched); !problem.isEmpty())
        MessageBoxOk(this, tr("Nothing was saved: %1").arg(problem), title, QMessageBox::Warning);
}
