#include "SettingFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <array>

#include "card.h"

namespace setting {

namespace {

using namespace params;

constexpr int kFormat = 1;
constexpr qint64 kMaxBytes = 64 * 1024;  // a setting file is a few lines

const std::array<const char*, 4> kBases = {"Decimal", "Hexadecimal", "Wiegand", "String"};
const QStringList kSpecialKeys = {"base", "order", "size", "length", "header", "block", "key"};

QString Quoted(const QString& text)
{
    return '"' + text + '"';
}

// Values in the file's words, and back.
QString BaseWord(int32_t base)
{
    return base >= 0 && size_t(base) < kBases.size() ? kBases[size_t(base)] : QString::number(base);
}

QString SizeWord(int32_t snSize)
{
    if (snSize == kSnSizeAll)
        return QStringLiteral("All");
    if (snSize >= 1 && snSize <= 15)
        return QStringLiteral("First %1").arg(snSize);
    if (snSize >= 0xF1 && snSize <= 0xFF)
        return QStringLiteral("Last %1").arg(snSize & 0x0F);
    return QString::number(snSize);
}

QString LengthWord(int32_t outLength)
{
    return outLength == kOutLengthDefault ? QStringLiteral("Default") : QStringLiteral("Static %1").arg(outLength);
}

QString HeaderWord(const Special& s)
{
    return s.output.headerFlag == WithHeader ? QStringLiteral("With")
           : s.usbWithoutEnter              ? QStringLiteral("USB Without Enter")
                                            : QStringLiteral("WithOut");
}

// "Word N" with N in low..high; nothing otherwise.
std::optional<int> Counted(const QString& value, const QString& word, int low, int high)
{
    const QStringList parts = value.split(' ', Qt::SkipEmptyParts);
    bool number = false;
    const int n = parts.size() == 2 ? parts[1].toInt(&number) : 0;
    if (parts.size() != 2 || parts[0].compare(word, Qt::CaseInsensitive) != 0 || !number || n < low || n > high)
        return std::nullopt;
    return n;
}

// One key's value into `special`; what is allowed when it does not fit.
QString Take(const QString& key, const QString& value, Special& special)
{
    auto is = [&value](const QString& word) { return value.compare(word, Qt::CaseInsensitive) == 0; };
    CardSettings& out = special.output;
    if (key == "base") {
        for (size_t i = 0; i < kBases.size(); ++i)
            if (is(kBases[i])) {
                out.dataBase = int32_t(i);
                return {};
            }
        return QStringLiteral("Decimal, Hexadecimal, Wiegand or String");
    }
    if (key == "order") {
        if (is("Forward") || is("Reverse")) {
            out.orientation = is("Forward") ? Forward : Reverse;
            return {};
        }
        return QStringLiteral("Forward or Reverse");
    }
    if (key == "size") {
        if (is("All"))
            out.snSize = kSnSizeAll;
        else if (auto n = Counted(value, "First", 1, 15))
            out.snSize = SnSizeFront(*n);
        else if (auto last = Counted(value, "Last", 1, 15))
            out.snSize = SnSizeBack(*last);
        else
            return QStringLiteral("All, First N or Last N, N 1..15 bytes");
        return {};
    }
    if (key == "length") {
        if (is("Default"))
            out.outLength = kOutLengthDefault;
        else if (auto n = Counted(value, "Static", 1, 99))
            out.outLength = *n;
        else
            return QStringLiteral("Default or Static L, L 1..99 characters");
        return {};
    }
    if (key == "header") {
        if (!is("With") && !is("WithOut") && !is("USB Without Enter"))
            return QStringLiteral("With, WithOut or USB Without Enter");
        out.headerFlag = is("With") ? WithHeader : WithoutHeader;
        special.usbWithoutEnter = is("USB Without Enter");
        return {};
    }
    if (key == "block") {
        bool number = false;
        const int address = value.toInt(&number);
        if (!number || address < 0 || address > kBlockUid || value.startsWith('+'))
            return QStringLiteral("0..255, where 255 reads the card's UID");
        out.blockAddress = address;
        return {};
    }
    // key
    const Bytes bytes = ParseHex(value.toStdString(), 6, 6);
    if (!bytes.problem.empty() || value.contains(' '))
        return QStringLiteral("12 hexadecimal digits");
    special.key = value.toStdString();
    return {};
}

QString Wrong(const QString& key, const QString& value, const QString& allowed)
{
    return QStringLiteral("%1 = %2 is not valid: %1 takes %3").arg(key, Quoted(value), allowed);
}

}  // namespace

QString Problem(const File& file)
{
    if (file.preset)
        return *file.preset < kPresets.size() ? QString() : QStringLiteral("no preset %1").arg(*file.preset);
    // Each value through the file's own words: what a file cannot hold, a save refuses.
    const Special& s = file.special;
    const std::pair<QString, QString> values[] = {
        {"base", BaseWord(s.output.dataBase)},
        {"order", s.output.orientation == Forward ? "Forward" : s.output.orientation == Reverse ? "Reverse" : "?"},
        {"size", SizeWord(s.output.snSize)},
        {"length", LengthWord(s.output.outLength)},
        {"header", HeaderWord(s)},
        {"block", QString::number(s.output.blockAddress)},
        {"key", QString::fromStdString(s.key)},
    };
    for (const auto& [key, value] : values) {
        Special again;
        if (QString allowed = Take(key, value, again); !allowed.isEmpty())
            return Wrong(key, value, allowed);
    }
    return {};
}

QString Text(const File& file)
{
    QString text = QStringLiteral("; tavelin setting file (docs/setting-file.md)\nformat = %1\n").arg(kFormat);
    if (file.preset)
        return text + QStringLiteral("preset = %1\n").arg(kPresets[*file.preset].caption);
    const Special& s = file.special;
    text += QStringLiteral("base = %1\n").arg(BaseWord(s.output.dataBase));
    text += QStringLiteral("order = %1\n").arg(s.output.orientation == Forward ? "Forward" : "Reverse");
    text += QStringLiteral("size = %1\n").arg(SizeWord(s.output.snSize));
    text += QStringLiteral("length = %1\n").arg(LengthWord(s.output.outLength));
    text += QStringLiteral("header = %1\n").arg(HeaderWord(s));
    text += QStringLiteral("block = %1\n").arg(s.output.blockAddress);
    text += QStringLiteral("key = %1\n").arg(QString::fromStdString(s.key));
    return text;
}

QString Describe(const File& file)
{
    QStringList lines = Text(file).split('\n', Qt::SkipEmptyParts);
    lines.removeFirst();  // the comment
    lines.removeFirst();  // the format
    return lines.join(QStringLiteral(", "));
}

QString Save(const QString& path, const File& file)
{
    if (QString problem = Problem(file); !problem.isEmpty())
        return problem;
    QSaveFile out(path);
    const QByteArray bytes = Text(file).toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QStringLiteral("%1: cannot write: %2").arg(path, out.errorString());
    return {};
}

Loaded Load(const QString& path)
{
    auto fail = [&path](const QString& why) { return Loaded{{}, path + ": " + why}; };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("no such file"));
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("not a file that can be read"));
    if (info.size() > kMaxBytes)
        return fail(QStringLiteral("%1 bytes: too large for a setting file").arg(info.size()));
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return fail(QStringLiteral("not a setting file: not INI text (docs/setting-file.md)"));

    QStringList keys = ini.allKeys();
    auto value = [&ini](const QString& key) {
        const QVariant v = ini.value(key);
        // An unquoted comma makes a list of the value.
        return v.typeId() == QMetaType::QStringList ? v.toStringList().join(',') : v.toString();
    };
    const QStringList known = QStringList{"format", "preset"} + kSpecialKeys;
    for (const QString& key : keys)
        if (!known.contains(key))
            return fail(QStringLiteral("unknown key %1: a setting file has format and preset, or format and %2")
                            .arg(Quoted(key), kSpecialKeys.join(", ")));
    if (!keys.contains("format"))
        return fail(QStringLiteral("no format key: write format = %1 first").arg(kFormat));
    if (value("format") != QString::number(kFormat))
        return fail(QStringLiteral("format = %1 is not one this program reads: format takes %2")
                        .arg(Quoted(value("format")))
                        .arg(kFormat));

    Loaded loaded;
    if (keys.contains("preset")) {
        keys.removeAll("format");
        keys.removeAll("preset");
        if (!keys.isEmpty())
            return fail(QStringLiteral("%1 with a preset: a preset file holds format and preset only")
                            .arg(Quoted(keys.front())));
        const QString caption = value("preset");
        QStringList captions;
        for (size_t i = 0; i < kPresets.size(); ++i) {
            captions << kPresets[i].caption;
            if (caption == kPresets[i].caption)
                loaded.file.preset = i;
        }
        if (!loaded.file.preset)
            return fail(Wrong("preset", caption, captions.join(", ")));
        return loaded;
    }
    for (const QString& key : kSpecialKeys) {
        if (!keys.contains(key))
            return fail(QStringLiteral("no %1 key: a Special Setting file has all of %2, or a preset file has preset")
                            .arg(Quoted(key), kSpecialKeys.join(", ")));
        if (QString allowed = Take(key, value(key), loaded.file.special); !allowed.isEmpty())
            return fail(Wrong(key, value(key), allowed));
    }
    return loaded;
}

}  // namespace setting
