#include "app/CardCheckDlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <algorithm>
#include <span>

#include "dataout/card.h"
#include "pages/common/ReaderLink.h"
#include "pages/simple/Page_comm.h"
#include "pages/special/Page_special.h"
#include "resource.h"

using namespace IDD_CARDCHECK;

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

// A value by its choice's caption on the page.
QString Caption(std::span<const Choice> choices, int32_t value)
{
    const Choice* c = FindChoice(choices, value);
    return c ? ParamsText(c->caption) : QString::number(value);
}

// A Special choice in the words of the page and its Detail dialog, so that
// it can be chosen there.
QString SpecialSetting(const CardSettings& s)
{
    using namespace IDD_PAGE_SPECIAL;
    namespace detail = IDD_DLG_CARDSIZE_DETAIL1;
    QString size = Caption(kSizeChoices, s.snSize);
    if (s.snSize != kSnSizeAll) {
        const int end = s.snSize & 0xF0 ? detail::IDC_RADIO_BACK : detail::IDC_RADIO_FRONT;
        size = CCardCheckDlg::tr("%1, %2 %3 %4")
                   .arg(size, CPage_special::Caption(IDC_BTN_DETAIL), TemplateText(detail::IDD, end),
                        QString::number(s.snSize & 0x0F));
    }
    QString length = Caption(kLengthChoices, s.outLength);
    if (s.outLength != kOutLengthDefault)
        length = CCardCheckDlg::tr("%1 %2 %3").arg(length, QString::number(s.outLength),
                                                CPage_special::Caption(IDC_STATIC_CHARS));
    return CCardCheckDlg::tr("%1: %2 · %3 · %4 · %5 · %6")
        .arg(CPage_special::Title(), size, Caption(kBaseChoices, s.dataBase),
             Caption(kOrderChoices, s.orientation), length, Caption(kHeaderChoices, s.headerFlag));
}

// The way to set it: a preset's button, else the Special choices.
QString SettingName(const CardSettings& s)
{
    for (const Preset& p : kPresets)
        if (p.settings == s)
            return CCardCheckDlg::tr("%1: \"%2\"").arg(CPage_comm::Title(), ParamsText(p.caption));
    return SpecialSetting(s);
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

}  // namespace

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

UidChoices CCardCheckDlg::CurrentUids(QString& note)
{
    note.clear();
    const QString typed = ItemText(IDC_EDIT_TYPED).trimmed();
    if (typed.isEmpty()) {
        if (ItemText(IDC_EDIT_UID).trimmed().isEmpty()) {
            note = tr("Type the card's UID in hex, or what the reader types and the preset it was set to.");
            return {};
        }
        Bytes uid = ParseHex(Latin1(ItemText(IDC_EDIT_UID)), kMinUid, kMaxUid);
        if (!uid.problem.empty())
            note = tr("Not a card's UID: %1.").arg(Said(uid.problem));
        return uid.problem.empty() ? UidChoices{{uid.bytes}, {}} : UidChoices{};
    }

    const Preset& preset = kPresets[std::max(SelectedIndex(IDC_COMBO_PRESET), 0)];
    UidChoices uids = UidsFromPresetText(Latin1(typed), preset);
    if (!uids.problem.empty())
        note = tr("No UID gives %1: %2.").arg(From(typed, preset), Said(uids.problem));
    return uids;
}

void CCardCheckDlg::Refresh()
{
    // The presets' rows, then the Special choices'.
    std::vector<CardSettings> settings;
    for (const Preset& p : kPresets)
        settings.push_back(p.settings);
    settings.insert(settings.end(), std::begin(kSpecialChoices), std::end(kSpecialChoices));
    QStringList names;
    for (const CardSettings& s : settings)
        names << SettingName(s);

    QString note;
    const UidChoices uids = CurrentUids(note);
    const CheckedCard card = CheckCard(uids.uids, settings, ItemText(IDC_EDIT_PRINTED).toStdString());
    if (const QString typed = ItemText(IDC_EDIT_TYPED).trimmed(); !typed.isEmpty()) {
        if (!uids.uids.empty())
            note = WorkedOut(typed, kPresets[std::max(SelectedIndex(IDC_COMBO_PRESET), 0)], uids, card.uid);
        auto* box = &Control<QLineEdit>(IDC_EDIT_UID);
        const QSignalBlocker quiet(box);
        box->setText(uids.uids.empty() ? QString() : QString::fromLatin1(BytesToHex(uids.uids[card.uid], " ")));
    }
    SetItemText(IDC_STATIC_NOTE, note);

    // The settings line up in a column after the widest output.
    auto* list = &Control<QPlainTextEdit>(IDC_EDIT_OUTPUTS);
    const QFontMetrics metrics(list->font());
    int width = 0;
    QStringList outputs;
    for (const Typed& output : card.outputs) {
        outputs << QString::fromLatin1(Shown(output));
        width = std::max(width, metrics.horizontalAdvance(QStringLiteral("► %1    ").arg(outputs.back())));
    }
    list->setTabStopDistance(std::max(width, 1));

    QStringList lines, matches;
    for (size_t k = 0; k < card.outputs.size(); ++k) {
        const bool match = std::find(card.matches.begin(), card.matches.end(), k) != card.matches.end();
        if (match)
            matches << names[int(k)];
        lines << (match ? QStringLiteral("► ") : QString()) + outputs[int(k)] + '\t' + names[int(k)];
    }
    SetItemText(IDC_EDIT_OUTPUTS, lines.join('\n'));

    // Beside the rows marked, the best of the settings not listed, up to kShown in all.
    constexpr qsizetype kShown = 5;
    std::vector<CardSettings> chosen;
    for (size_t k : card.matches)
        chosen.push_back(settings[k]);
    QStringList others;
    for (const CardSettings& s : card.found)
        if (std::ranges::find(settings, s) == settings.end() && matches.size() + others.size() < kShown) {
            chosen.push_back(s);
            others << SettingName(s);
        }

    const QString printed = ItemText(IDC_EDIT_PRINTED).trimmed();
    QString verdict;
    if (!matches.isEmpty() && !others.isEmpty())
        verdict = tr("Given by: %1. Also given by: %2.").arg(matches.join(tr("; ")), others.join(tr("; ")));
    else if (!matches.isEmpty() || !others.isEmpty())
        verdict = tr("Given by: %1.").arg((matches + others).join(tr("; ")));
    else if (!lines.isEmpty() && !printed.isEmpty())
        verdict = tr("No preset or Special choice listed gives %1.").arg(printed);
    else if (!lines.isEmpty())
        verdict = tr("Type the number printed on the card to see which settings give it.");
    SetItemText(IDC_STATIC_VERDICT, verdict);

    // A preset's row is that preset; a Special row, its choices with the UID and default key.
    m_matched = {};
    if (!chosen.empty()) {
        const auto preset = std::ranges::find(kPresets, chosen.front(), &Preset::settings);
        if (preset != kPresets.end())
            m_matched.preset = size_t(preset - kPresets.begin());
        else
            m_matched.special.output = chosen.front();
    }
    EnableItem(IDC_BTN_SAVE_SETTING, !chosen.empty());
}

void CCardCheckDlg::SaveMatched()
{
    const QString title = tr("Save as Setting File");
    const QString path =
        QFileDialog::getSaveFileName(this, title, {}, tr("Setting files (*.ini);;All files (*)"));
    if (path.isEmpty())
        return;
    if (const QString problem = setting::Save(path, m_matched); !problem.isEmpty())
        MessageBoxOk(this, tr("Nothing was saved: %1").arg(problem), title, QMessageBox::Warning);
}
