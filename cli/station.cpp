#include "station.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "commands.h"
#include "link.h"
#include "record.h"
#include "t2.h"
#include "t2_import.h"

namespace {

std::atomic<bool> stopAsked = false;

#ifdef _WIN32
std::atomic<bool> stationEnded = false;

// Windows ends the program once this returns from the window being closed (or
// the session ending); until then, some seconds, the current reader gets its row.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    stopAsked = true;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        while (!stationEnded)
            Sleep(20);
    return TRUE;
}
#endif

// Each way a station is normally stopped lets it finish the current reader
// and write its row first; a half-set reader with no row is what must not be.
struct StopAfterTheCurrentReader {
    StopAfterTheCurrentReader()
    {
#ifdef _WIN32
        SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
        struct sigaction stop{};
        stop.sa_handler = [](int) { stopAsked = true; };
        stop.sa_flags = SA_RESTART;
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaction(signal, &stop, nullptr);
#endif
    }
#ifdef _WIN32
    ~StopAfterTheCurrentReader() { stationEnded = true; }
#endif
};

// The log's name as the file system takes it.
std::filesystem::path FileSystemPath(const QString& name)
{
#ifdef _WIN32
    return name.toStdWString();
#else
    return QFile::encodeName(name).toStdString();
#endif
}

// A reader set on an open link, and its version; the version of a failed
// reader too, where it still answers.
Outcome SetReader(int32_t handle, const setting::File& file, std::string& version)
{
    Outcome outcome = ApplyOn(handle, PlanOf(file));
    if (const int32_t r = params::ReadVersion(handle, version); r != 0) {
        version.clear();
        if (outcome.code == 0)
            outcome = {r, "version"};
    }
    version = record::Printable(version);
    return outcome;
}

}  // namespace

int Station(const Options& o, const setting::File& file)
{
    QFile source(o.file);
    if (!source.open(QIODevice::ReadOnly))
        return Fail(kUsage, o.file.toStdString() + ": cannot read");
    const std::string hash =
        QCryptographicHash::hash(source.readAll(), QCryptographicHash::Sha256).toHex().toStdString();
    const QString logName = o.log.isEmpty() ? QStringLiteral("readers.csv") : o.log;
    record::Log log;
    if (const std::string why = log.Open(FileSystemPath(logName)); !why.empty())
        return Fail(kUsage, logName.toStdString() + ": cannot append: " + why);
    if (const std::string why = log.Append({}); !why.empty())
        return Fail(kNotWritten, logName.toStdString() + ": " + why);
    const StopAfterTheCurrentReader stop;

    Say("Station: %s (%s) on %s at %d baud, rows to %s\n", QFileInfo(o.file).fileName().toUtf8().constData(),
        setting::Describe(file).toUtf8().constData(), o.portName.c_str(), o.baud, logName.toUtf8().constData());
    Say("Ctrl+C stops after the current reader.\n");
    int ok = 0, failed = 0;
    bool rowLost = false;
    // An operator who can no longer see the station has stopped it too.
    auto stopped = [&] { return stopAsked || rowLost || !OutputProblem().empty(); };
    // Asked often, so that a line's pace is the reader's pauses and not ours.
    auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); };
    while (!stopped() && (o.count == 0 || ok + failed < o.count)) {
        Say("\nWaiting for a reader on %s ...\n", o.portName.c_str());
        int32_t handle = -1;
        while (!stopped() && handle == -1) {
            handle = lc_init(o.port, o.baud);
            if (handle == -1)
                pause();
        }
        if (handle == -1)
            break;
        const int number = ok + failed + 1;
        Say("Reader %d:\n", number);
        std::string version;
        const Outcome outcome = SetReader(handle, file, version);
        const bool good = outcome.code == 0;
        (good ? ok : failed) += 1;
        const QDateTime now = QDateTime::currentDateTime();
        const std::string why = log.Append(record::Row({
            now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString(),
            o.portName,
            version,
            o.file.toStdString(),
            hash,
            good ? "ok" : "failed",
            outcome.step,
            good ? "" : params::FormatCode(outcome.code).substr(6),
        }));
        if (good)
            Say("Reader %d: OK, version \"%s\"\n", number, version.c_str());
        else
            Say("Reader %d: FAILED at %s: %s\n", number, outcome.step.c_str(), Code(outcome.code).c_str());
        Say("== ok %d, failed %d ==\n", ok, failed);
        if (!why.empty()) {
            Fail(kNotWritten, logName.toStdString() + ": " + why + ": reader " + std::to_string(number) +
                                  " has no row; the station stops");
            rowLost = true;
        }
        if (stopped() || (o.count && ok + failed >= o.count)) {
            lc_exit(handle);
            break;
        }
        Say("Take the reader off.\n");
        // Taken off, it fails the next look, even with the next reader on by
        // then: a link says its loss once before it opens the port again.
        for (std::string ignored; !stopped() && params::ReadVersion(handle, ignored) == 0;)
            pause();
        lc_exit(handle);
    }
    Say("Station stopped: ok %d, failed %d.\n", ok, failed);
    if (rowLost)
        return kNotWritten;
    if (failed)
        return kStepFailed;
    return o.count && ok < o.count ? kStopped : kOk;
}
