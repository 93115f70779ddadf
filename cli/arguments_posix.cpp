#include "cli/arguments.h"

#include <algorithm>

#include "t2/one_line.h"

std::vector<Argument> CommandLine(int argc, char* argv[]) { return {argv, argv + argc}; }

QString AsText(const Argument& argument)
{
    QString text;
    for (size_t at = 0; at < argument.size();) {
        const auto lead = static_cast<unsigned char>(argument[at]);
        const size_t length = std::min<size_t>(lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4,
                                               argument.size() - at);
        const QByteArrayView one(argument.data() + at, qsizetype(length));
        if (one.isValidUtf8()) {
            text += QString::fromUtf8(one);
            at += length;
        } else {
            text += QChar(0xDC00 + lead);
            ++at;
        }
    }
    return text;
}

Argument FromText(const QString& text)
{
    Argument bytes;
    for (qsizetype at = 0; at < text.size();) {
        const char16_t c = text[at].unicode();
        if (c >= 0xDC80 && c <= 0xDCFF) {  // lone: a pair is taken whole below
            bytes += char(c - 0xDC00);
            ++at;
            continue;
        }
        const qsizetype length = QChar::isHighSurrogate(c) && at + 1 < text.size() ? 2 : 1;
        bytes += QStringView(text).sliced(at, length).toUtf8().toStdString();
        at += length;
    }
    return bytes;
}

std::string Shown(const Argument& argument) { return t2proto::OneLine(argument); }
