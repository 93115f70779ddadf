#include "settingfile/SettingFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>
#include <variant>
#include <vector>

#include "dataout/card.h"

namespace setting {

namespace {

using namespace params;

constexpr int kFormat = 1;
constexpr qint64 kMaxBytes = 64 * 1024;  // a setting file is a few lines

const QStringList kSpecialKeys = [] {
    QStringList keys;
    for (const Group& g : kGroups)
        keys << g.key;
    return keys << "block" << "key";
}();

// The text with each byte that is not printable UTF-8 as \xNN, so that a
// message shows it whole and a terminal shows it as it is; `clean` says
// whether none was.
QString Visible(QByteArrayView bytes, bool* clean = nullptr)
{
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        const auto lead = uchar(bytes[at]);
        const qsizetype length = std::min<qsizetype>(lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4,
                                                     bytes.size() - at);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString one = utf8(bytes.sliced(at, length));
        const char16_t c = one.isEmpty() ? 0 : one[0].unicode();
        if (!utf8.hasError() && (c == '\t' || (c >= 0x20 && (c < 0x7F || c >= 0xA0)))) {
            text += one;
            at += length;
            continue;
        }
        if (clean)
            *clean = false;
        for (const qsizetype end = at + (utf8.hasError() ? 1 : length); at < end; ++at)
            text += QString::asprintf("\\x%02X", unsigned(uchar(bytes[at])));
    }
    return text;
}

QString Quoted(const QString& text)
{
    return '"' + Visible(text.toUtf8()) + '"';
}

// A value in the file's words; a value no choice sends, as its number.
QString Word(std::span<const Choice> choices, int32_t value)
{
    const Choice* c = FindChoice(choices, value);
    if (!c)
        return QString::number(value);
    return c->maxCount == 0 ? QString(c->word) : QStringLiteral("%1 %2").arg(c->word).arg(value - c->value);
}

// Each Special key with its value in the file's words, in the file's order.
std::vector<std::pair<QString, QString>> Words(const Special& s)
{
    std::vector<std::pair<QString, QString>> words;
    for (const Group& g : kGroups) {
        const Choice* header = g.field == &CardSettings::headerFlag ? HeaderChoice(s) : nullptr;
        words.emplace_back(g.key, header ? QString(header->word) : Word(g.choices, s.output.*g.field));
    }
    words.emplace_back("block", QString::number(s.output.blockAddress));
    words.emplace_back("key", QString::fromStdString(s.key));
    return words;
}

// What a group's key takes: "All, First N or Last N, N 1..15 bytes".
QString Allowed(const Group& g)
{
    QStringList words;
    int32_t most = 0;
    for (const Choice& c : g.choices) {
        words << (c.maxCount == 0 ? QString(c.word) : QStringLiteral("%1 %2").arg(c.word, g.count));
        most = std::max(most, c.maxCount);
    }
    const QString last = words.takeLast();
    QString allowed = words.isEmpty() ? last : QCoreApplication::translate("setting", "%1 or %2").arg(words.join(", "), last);
    if (most > 0)
        allowed += QCoreApplication::translate("setting", ", %1 1..%2 %3")
                       .arg(g.count)
                       .arg(most)
                       .arg(QCoreApplication::translate("setting", g.unit));
    return allowed;
}

// "Word N" with N a count that `c` takes; nothing otherwise.
std::optional<int> Counted(const QString& value, const Choice& c)
{
    const QStringList parts = value.split(' ', Qt::SkipEmptyParts);
    bool number = false;
    const int n = parts.size() == 2 ? parts[1].toInt(&number) : 0;
    if (parts.size() != 2 || parts[0].compare(c.word, Qt::CaseInsensitive) != 0 || !number || !c.Takes(n))
        return std::nullopt;
    return n;
}

// One key's value into `file`; what is allowed when it does not fit.
QString Take(const QString& key, const QString& value, File& file)
{
    auto is = [&value](const QString& word) { return value.compare(word, Qt::CaseInsensitive) == 0; };
    if (key == "preset") {
        QStringList words;
        for (size_t i = 0; i < kPresets.size(); ++i) {
            words << kPresets[i].word;
            if (is(kPresets[i].word))
                file.preset = i;
        }
        return file.preset ? QString() : words.join(", ");
    }
    Special& special = file.special;
    CardSettings& out = special.output;
    for (const Group& g : kGroups) {
        if (key != g.key)
            continue;
        for (const Choice& c : g.choices) {
            const std::optional<int> n = c.maxCount == 0 ? (is(c.word) ? std::optional(0) : std::nullopt)
                                                         : Counted(value, c);
            if (n) {
                out.*g.field = c.value + *n;
                if (g.field == &CardSettings::headerFlag)
                    special.usbWithoutEnter = &c == &kHeaderChoices[kUsbWithoutEnterRow];
                return {};
            }
        }
        return Allowed(g);
    }
    if (key == "block") {
        bool number = false;
        const int address = value.toInt(&number);
        if (!number || address < 0 || address > kBlockUid || value.startsWith('+'))
            return QCoreApplication::translate("setting", "0..255, where 255 reads the card's UID");
        out.blockAddress = address;
        return {};
    }
    // key
    const Bytes bytes = ParseHex(value.toStdString(), 6, 6);
    if (!bytes.problem.empty() || value.contains(' '))
        return QCoreApplication::translate("setting", "12 hexadecimal digits");
    special.key = value.toStdString();
    return {};
}

QString Wrong(const QString& key, const QString& value, const QString& allowed)
{
    return QCoreApplication::translate("setting", "%1 = %2 is not valid: %1 takes %3").arg(key, Quoted(value), allowed);
}

// Values each valid that together leave the reader nothing to type.
QString Pairing(const Special& s)
{
    const std::string problem = PairingProblem(s.output);
    return problem.empty() ? QString()
                           : QCoreApplication::translate("setting", "base = %1 with block = %2: %3")
                                 .arg(Word(kBaseChoices, s.output.dataBase))
                                 .arg(s.output.blockAddress)
                                 .arg(QCoreApplication::translate("card", problem.c_str()));
}

}  // namespace

const Choice* HeaderChoice(const Special& special)
{
    if (special.usbWithoutEnter && special.output.headerFlag == WithoutHeader)
        return &kHeaderChoices[kUsbWithoutEnterRow];
    return FindChoice(kHeaderChoices, special.output.headerFlag);
}

QString Problem(const File& file)
{
    if (file.preset)
        return *file.preset < kPresets.size() ? QString() : QCoreApplication::translate("setting", "no preset %1").arg(*file.preset);
    // Each value through the file's own words: what a file cannot hold, a save refuses.
    for (const auto& [key, value] : Words(file.special)) {
        File again;
        if (QString allowed = Take(key, value, again); !allowed.isEmpty())
            return Wrong(key, value, allowed);
    }
    return Pairing(file.special);
}

QString Text(const File& file)
{
    QString text = QStringLiteral("; tavelin setting file (docs/setting-file.md)\nformat = %1\n").arg(kFormat);
    if (file.preset)
        return text + QStringLiteral("preset = %1\n").arg(kPresets[*file.preset].word);
    for (const auto& [key, value] : Words(file.special))
        text += QStringLiteral("%1 = %2\n").arg(key, value);
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
        return QCoreApplication::translate("setting", "%1: cannot write: %2").arg(QDir::toNativeSeparators(path), out.errorString());
    return {};
}

namespace {

// A line of the file and what is wrong there.
struct Fault {
    int line;
    QString why;
};

struct Setting {
    QString key;
    int line;
    QString value;
};

struct Lines {
    std::vector<Setting> settings;  // in the file's order
    int end;                        // where a line would be added
    const Setting* Find(const QString& key) const
    {
        const auto at = std::ranges::find(settings, key, &Setting::key);
        return at == settings.end() ? nullptr : &*at;
    }
};

// The file's bytes, read once, or why they cannot be. The standard library
// opens a name by its bytes, which a QString cannot always hold on POSIX.
std::variant<QByteArray, QString> ReadBytes(const std::filesystem::path& path)
{
    const auto cannotRead = [] {
        return QCoreApplication::translate("setting", "cannot read: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    };
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (type == std::filesystem::file_type::not_found)
        return QCoreApplication::translate("setting", "no such file");
    if (type != std::filesystem::file_type::regular)
        return QCoreApplication::translate("setting", "not a file that can be read");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return cannotRead();
    QByteArray bytes(kMaxBytes + 1, Qt::Uninitialized);
    if (!in.read(bytes.data(), bytes.size()) && in.bad())
        return cannotRead();
    bytes.truncate(in.gcount());
    if (bytes.size() > kMaxBytes)
        return QCoreApplication::translate("setting", "%1 bytes: too large for a setting file")
            .arg(std::filesystem::file_size(path, error));
    return bytes;
}

// Every line is read whole and is a setting, a comment or blank, so that
// nothing in the file passes unseen for a setting or cuts one short.
std::variant<Lines, Fault> ReadLines(const QByteArray& bytes)
{
    // Past the mark some Windows editors put first.
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    Lines read;
    const QList<QByteArray> lines = text.split('\n');
    for (int number = 1; const QByteArray& raw : lines) {
        const int line = number++;
        bool clean = true;
        QString text = Visible(raw.endsWith('\r') ? raw.chopped(1) : raw, &clean);
        if (!clean)
            return Fault{line, QCoreApplication::translate("setting", "%1 holds bytes that are not text (shown as \\xNN): "
                                              "write the line again as UTF-8 text")
                                   .arg(Quoted(text))};
        text = text.section(';', 0, 0).trimmed();
        if (text.isEmpty())
            continue;
        if (text.startsWith('['))
            return Fault{line, QCoreApplication::translate("setting", "%1 is a section header: a setting file has none, only key = value lines")
                                   .arg(Quoted(text))};
        const qsizetype equals = text.indexOf('=');
        const QString key = text.left(equals).trimmed().toLower();
        if (equals < 0 || key.isEmpty())
            return Fault{line, QCoreApplication::translate("setting", "%1 is not key = value: write key = value, or ; before a comment")
                                   .arg(Quoted(text))};
        if (key != "format" && key != "preset" && !kSpecialKeys.contains(key))
            return Fault{line, QCoreApplication::translate("setting", "unknown key %1: a setting file has format and preset, or format and %2")
                                   .arg(Quoted(text.left(equals).trimmed()), kSpecialKeys.join(", "))};
        if (const Setting* first = read.Find(key))
            return Fault{line, QCoreApplication::translate("setting", "%1 is given again, first on line %2: a setting file gives each key once")
                                   .arg(key, QString::number(first->line))};
        read.settings.push_back({key, line, text.mid(equals + 1).trimmed()});
    }
    read.end = int(lines.size()) + (lines.last().isEmpty() ? 0 : 1);
    return read;
}

// The setting the lines give, all of it or nothing.
std::variant<File, Fault> Interpret(Lines read)
{
    const Setting* format = read.Find("format");
    if (!format)
        return Fault{1, QCoreApplication::translate("setting", "no format key: write format = %1 first").arg(kFormat)};
    if (format->value != QString::number(kFormat))
        return Fault{format->line, QCoreApplication::translate("setting", "format = %1 is not one this program reads: format takes %2")
                                       .arg(Quoted(format->value), QString::number(kFormat))};
    std::erase_if(read.settings, [](const Setting& s) { return s.key == "format"; });

    File file;
    for (const Setting& s : read.settings)
        if (QString allowed = Take(s.key, s.value, file); !allowed.isEmpty())
            return Fault{s.line, Wrong(s.key, s.value, allowed)};
    if (file.preset) {
        for (const Setting& s : read.settings)
            if (s.key != "preset")
                return Fault{s.line, QCoreApplication::translate("setting", "%1 with a preset: a preset file holds format and preset only")
                                         .arg(Quoted(s.key))};
        return file;
    }
    for (const QString& key : kSpecialKeys)
        if (!read.Find(key)) {
            File scratch;
            return Fault{read.end, QCoreApplication::translate("setting", "no %1 key: add a line %2 = ...: %2 takes %3")
                                       .arg(Quoted(key), key, Take(key, {}, scratch))};
        }
    if (QString problem = Pairing(file.special); !problem.isEmpty())
        return Fault{std::max(read.Find("base")->line, read.Find("block")->line), problem};
    return file;
}

}  // namespace

Loaded Load(const std::filesystem::path& path, const QString& shown)
{
    auto failAt = [&shown](const Fault& f) {
        return Loaded{{}, QStringLiteral("%1:%2: %3").arg(shown, QString::number(f.line), f.why), {}};
    };
    const auto read = ReadBytes(path);
    if (const QString* why = std::get_if<QString>(&read))
        return Loaded{{}, shown + ": " + *why, {}};
    const QByteArray& bytes = std::get<QByteArray>(read);
    auto lines = ReadLines(bytes);
    if (const Fault* f = std::get_if<Fault>(&lines))
        return failAt(*f);
    const auto file = Interpret(std::move(std::get<Lines>(lines)));
    if (const Fault* f = std::get_if<Fault>(&file))
        return failAt(*f);
    return Loaded{std::get<File>(file), {}, bytes};
}

Loaded Load(const QString& path)
{
#ifdef _WIN32
    const std::filesystem::path name = path.toStdWString();
#else
    const std::filesystem::path name = QFile::encodeName(path).toStdString();
#endif
    return Load(name, QDir::toNativeSeparators(path));
}

}  // namespace setting
