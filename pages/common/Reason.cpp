// The library's reasons in the user's language. The library words them in
// English for t2_last_error and tavelin-config; the window reads them back
// by their fixed English forms, each form once below with its values marked,
// and words them through the translation. What no form fits stays as given.
#include <QCoreApplication>
#include <optional>

#include "pages/common/ReaderLink.h"
#include "t2/import/last_error.h"

namespace {

// A form's %1, %2, ... in order: 'v' a value kept as given (a port, a path,
// a number, the system's words), 'r' a reason of the library's, 'o' either.
struct Form {
    const char* text;
    const char* values;
};

// Specific forms before the general ones they would also fit; first two
// reasons side by side (a note after the reason), which a form's last value
// would otherwise take in whole.
constexpr Form kForms[] = {
    {QT_TRANSLATE_NOOP("Reason", "%1; %2"), "rr"},
    {QT_TRANSLATE_NOOP("Reason", "no answer from the reader within %1 ms (is it connected, powered and set to this baud rate?)"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "answer garbled (bad checksum; check the baud rate)"), ""},
    {QT_TRANSLATE_NOOP("Reason", "answer garbled (not a reader's answer; is this the reader's port?)"), ""},
    {QT_TRANSLATE_NOOP("Reason", "the port went away"), ""},
    {QT_TRANSLATE_NOOP("Reason", "no open link with this handle"), ""},
    {QT_TRANSLATE_NOOP("Reason", "an argument is missing or not valid"), ""},
    {QT_TRANSLATE_NOOP("Reason", "a command the reader does not know"), ""},
    {QT_TRANSLATE_NOOP("Reason", "a value out of range"), ""},
    {QT_TRANSLATE_NOOP("Reason", "a request of the wrong size"), ""},
    {QT_TRANSLATE_NOOP("Reason", "a code this tool does not know"), ""},
    {QT_TRANSLATE_NOOP("Reason", "the reader refused the request with code %1 (%2)"), "vr"},
    {QT_TRANSLATE_NOOP("Reason", "the reader refused the handshake with code %1 (%2)"), "vr"},
    {QT_TRANSLATE_NOOP("Reason", "the reader library's own code %1, not one this program knows"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "%1 (a later call opens it again once the reader is back)"), "r"},
    {QT_TRANSLATE_NOOP("Reason", "%1, and opening it again failed: %2"), "rr"},
    {QT_TRANSLATE_NOOP("Reason", "%1; an emulated reader would be at %2"), "rv"},
    {QT_TRANSLATE_NOOP("Reason", "cannot look up %1: %2"), "vo"},
    {QT_TRANSLATE_NOOP("Reason", "cannot open device folder %1: %2"), "vo"},
    {QT_TRANSLATE_NOOP("Reason", "device folder %1 ignored: %2"), "vo"},
    {QT_TRANSLATE_NOOP("Reason", "not a directory"), ""},
    {QT_TRANSLATE_NOOP("Reason", "owned by user id %1, not by you"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "open to group or others (mode %1); chmod 700 it"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "no such device for %1: looked for %2"), "vo"},
    {QT_TRANSLATE_NOOP("Reason", "/dev/ttyUSB0 or /dev/ttyACM0"), ""},
    {QT_TRANSLATE_NOOP("Reason", "a USB serial port (none is plugged in)"), ""},
    {QT_TRANSLATE_NOOP("Reason", "%1 (not a symbolic link to a device's absolute path)"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "one socket of %1 (two USB controllers give it the name; a device-folder entry %2 leading to one takes it)"), "vv"},
    {QT_TRANSLATE_NOOP("Reason", "no such device for %1: %2"), "vv"},
    {QT_TRANSLATE_NOOP("Reason", "%1 is already open in this program"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "%1 is busy: held by another program"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "permission denied on %1: join the serial-port group (dialout on Debian: sudo adduser $USER dialout, then log in again)"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "cannot open %1: %2"), "vo"},
    {QT_TRANSLATE_NOOP("Reason", "not a serial device"), ""},
    {QT_TRANSLATE_NOOP("Reason", "refused: a device-folder entry must lead to a tty of your own that others cannot write to (this one: owner user id %1, mode %2)"), "vv"},
    {QT_TRANSLATE_NOOP("Reason", "cannot set %1 baud 8N1: %2"), "vv"},
    {QT_TRANSLATE_NOOP("Reason", "cannot set %1 baud 8N1"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "too many links open (%1); close one first"), "v"},
    {QT_TRANSLATE_NOOP("Reason", "no baud rate %1 on %2: use 9600 or 115200"), "vv"},
    {QT_TRANSLATE_NOOP("Reason", "%1: %2"), "vr"},
};

// Readings tried for one reason at the most: a long line of many parts that
// fits no form (a maker's library words its own) would otherwise take years.
constexpr int kReadings = 20000;

std::optional<QString> Translated(QStringView text, int& budget);

// Reads `text` as the rest `pattern` of `form`, its values so far in
// `values`: the translation by the first reading whose reasons translate.
std::optional<QString> ReadAs(const Form& form, QStringView pattern, QStringView text, QStringList& values,
                              int& budget)
{
    if (--budget < 0)
        return std::nullopt;
    const qsizetype mark = pattern.indexOf(u'%');
    if (mark < 0) {
        if (pattern != text)
            return std::nullopt;
        QStringList shown = values;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            if (form.values[i] == 'v')
                continue;
            if (auto reason = Translated(shown[i], budget))
                shown[i] = *reason;
            else if (form.values[i] == 'r')
                return std::nullopt;
        }
        QString out = QCoreApplication::translate("Reason", form.text);
        switch (shown.size()) {  // in one pass: a value may hold a %1 of its own
        case 0:
            return out;
        case 1:
            return out.arg(shown[0]);
        case 2:
            return out.arg(shown[0], shown[1]);
        default:
            return std::nullopt;
        }
    }
    if (!text.startsWith(pattern.first(mark)))
        return std::nullopt;
    text = text.sliced(mark);
    pattern = pattern.sliced(mark + 2);
    // The value runs to where the form's next words are found; a form ends in
    // no two values side by side.
    const qsizetype next = pattern.indexOf(u'%');
    const QStringView after = next < 0 ? pattern : pattern.first(next);
    for (qsizetype end = after.isEmpty() ? text.size() : text.indexOf(after, 1); end > 0;
         end = after.isEmpty() ? -1 : text.indexOf(after, end + 1)) {
        values << text.first(end).toString();
        if (auto out = ReadAs(form, pattern, text.sliced(end), values, budget))
            return out;
        values.removeLast();
    }
    return std::nullopt;
}

std::optional<QString> Translated(QStringView text, int& budget)
{
    for (const Form& form : kForms) {
        QStringList values;
        const QString pattern = QString::fromLatin1(form.text);
        if (auto out = ReadAs(form, pattern, text, values, budget))
            return out;
    }
    return std::nullopt;
}

}  // namespace

QString ReasonText(const std::string& reason)
{
    const QString text = QString::fromStdString(reason);
    int budget = kReadings;
    return Translated(text, budget).value_or(text);
}

QString CodeReason(int32_t code)
{
    return ReasonText(T2Reason(code));
}
