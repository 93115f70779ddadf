// Setting-file reader fuzzer: any bytes load or are refused with a message
// that names the file and shows every byte (no control character in it);
// bytes that are not text never load; what loads is written back and read
// again as the same setting.
#include <QDir>
#include <QStringDecoder>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "settingfile/SettingFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = QDir::temp().filePath(QStringLiteral("fuzz_setting_file_%1.ini").arg(getpid()));
    const QByteArrayView bytes(data, qsizetype(size));
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));

    const setting::Loaded loaded = setting::Load(path);
    if (!loaded.problem.isEmpty()) {
        if (!loaded.problem.startsWith(path + ':'))
            std::abort();
        for (QChar c : loaded.problem)
            if (c.unicode() < 0x20 && c != '\t')
                std::abort();
        return 0;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8(bytes));
    if (bytes.contains('\0') || utf8.hasError())
        std::abort();
    if (!setting::Problem(loaded.file).isEmpty() || !setting::Save(path, loaded.file).isEmpty())
        std::abort();
    const setting::Loaded again = setting::Load(path);
    if (!again.problem.isEmpty() || setting::Text(again.file) != setting::Text(loaded.file))
        std::abort();
    return 0;
}
