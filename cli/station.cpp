#include "station.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "commands.h"
#include "t2.h"
#include "t2_import.h"

namespace {

// The library says why lc_init failed on standard error; a station asking
// again and again for a reader keeps that quiet.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved_ = dup(2);
#ifdef _WIN32
        const int null = open("NUL", O_WRONLY);
#else
        const int null = open("/dev/null", O_WRONLY);
#endif
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, 2);
            close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

std::atomic<bool> stopAsked = false;

// One CSV field, quoted when it holds what would break the row.
QString Field(const QString& text)
{
    if (!text.contains(QRegularExpression("[\",\r\n]")))
        return text;
    return '"' + QString(text).replace('"', "\"\"") + '"';
}

}  // namespace

int Station(const Options& o, const setting::File& file)
{
    QFile source(o.file);
    if (!source.open(QIODevice::ReadOnly))
        return Fail(kUsage, o.file.toStdString() + ": cannot read");
    const QString hash = QCryptographicHash::hash(source.readAll(), QCryptographicHash::Sha256).toHex();
    QFile log(o.log.isEmpty() ? QStringLiteral("readers.csv") : o.log);
    const bool fresh = !log.exists() || log.size() == 0;
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return Fail(kUsage, log.fileName().toStdString() + ": cannot append: " + log.errorString().toStdString());
    if (fresh)
        log.write("time,port,version,setting file,sha256,result,failed step,code\n");
    std::signal(SIGINT, [](int) { stopAsked = true; });

    Say("Station: %s (%s) on %s at %d baud, rows to %s\n", QFileInfo(o.file).fileName().toUtf8().constData(),
        setting::Describe(file).toUtf8().constData(), o.portName.c_str(), o.baud, log.fileName().toUtf8().constData());
    Say("Ctrl+C stops after the current reader.\n");
    int ok = 0, failed = 0;
    // Asked often, so that a line's pace is the reader's pauses and not ours.
    auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); };
    while (!stopAsked && (o.count == 0 || ok + failed < o.count)) {
        Say("\nWaiting for a reader on %s ...\n", o.portName.c_str());
        int32_t handle = -1;
        while (!stopAsked && handle == -1) {
            QuietStderr quiet;
            handle = lc_init(o.port, o.baud);
            if (handle == -1)
                pause();
        }
        if (handle == -1)
            break;
        const int number = ok + failed + 1;
        Say("Reader %d:\n", number);
        Outcome outcome = ApplyOn(handle, PlanOf(file));
        std::string version;
        if (outcome.code == 0) {
            unsigned char text[256] = {};
            if (int32_t r = lc_getver(handle, text, nullptr); r != 0)
                outcome = {r, "version"};
            else
                version = reinterpret_cast<const char*>(text);
        }
        const bool good = outcome.code == 0;
        (good ? ok : failed) += 1;
        const QDateTime now = QDateTime::currentDateTime();
        const QStringList row = {now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate),
                                 QString::fromStdString(o.portName),
                                 QString::fromStdString(version),
                                 o.file,
                                 hash,
                                 good ? "ok" : "failed",
                                 QString::fromStdString(outcome.step),
                                 good ? QString() : QString::fromStdString(params::FormatCode(outcome.code)).mid(6)};
        QStringList fields;
        for (const QString& field : row)
            fields << Field(field);
        log.write((fields.join(',') + '\n').toUtf8());
        log.flush();
        if (good)
            Say("Reader %d: OK, version \"%s\"\n", number, version.c_str());
        else
            Say("Reader %d: FAILED at %s: %s\n", number, outcome.step.c_str(), Code(outcome.code).c_str());
        Say("== ok %d, failed %d ==\n", ok, failed);
        if (o.count && ok + failed >= o.count) {
            lc_exit(handle);
            break;
        }
        Say("Take the reader off.\n");
        unsigned char text[256];
        while (!stopAsked && lc_getver(handle, text, nullptr) == 0)
            pause();
        lc_exit(handle);
    }
    Say("Station stopped: ok %d, failed %d.\n", ok, failed);
    return failed == 0 ? kOk : kStepFailed;
}

