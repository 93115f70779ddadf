// tavelin-config: setting files applied to readers from a terminal or a
// script, and a production line's station. It makes the same library calls,
// with the same values, order and pauses, as the window's buttons.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "SettingFile.h"
#include "last_error.h"
#include "steps.h"
#include "t2.h"
#include "t2_import.h"

namespace {

using namespace params;

enum Exit { kOk = 0, kStepFailed = 1, kUsage = 2, kNoLink = 3 };

const char* const kUsageText =
    "usage: tavelin-config apply FILE --port PORT [--baud 9600|115200] [--dry-run]\n"
    "       tavelin-config version --port PORT [--baud 9600|115200]\n"
    "       tavelin-config check FILE\n"
    "       tavelin-config station FILE [--port PORT] [--baud 9600|115200] [--log FILE.csv] [--count N]\n"
    "PORT is USB or COM1..COM9. Setting files: docs/setting-file.md.\n";

struct Options {
    std::string command;
    QString file;
    std::string portName = "USB";
    int32_t port = 100;
    bool portGiven = false;
    int32_t baud = 9600;
    bool dryRun = false;
    QString log;
    int count = 0;  // 0: no end
};

void Say(const char* format, auto... args)
{
    std::printf(format, args...);
    std::fflush(stdout);
}

int Fail(int code, const std::string& why)
{
    std::fprintf(stderr, "tavelin-config: %s\n", why.c_str());
    return code;
}

// The arguments, or the reason they are not usable.
std::optional<Options> Parse(const QStringList& args, std::string& problem)
{
    Options o;
    if (args.size() < 2) {
        problem = "no command";
        return std::nullopt;
    }
    o.command = args[1].toStdString();
    for (int i = 2; i < args.size(); ++i) {
        const QString arg = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 < args.size())
                return args[++i];
            problem = arg.toStdString() + " needs a value";
            return std::nullopt;
        };
        if (arg == "--port") {
            auto v = value();
            if (!v)
                return std::nullopt;
            const QString name = v->toUpper();
            if (name == "USB") {
                o.port = 100;
            } else if (name.size() == 4 && name.startsWith("COM") && name[3] >= '1' && name[3] <= '9') {
                o.port = name[3].unicode() - '1';
            } else {
                problem = "--port " + v->toStdString() + ": use USB or COM1..COM9";
                return std::nullopt;
            }
            o.portName = name.toStdString();
            o.portGiven = true;
        } else if (arg == "--baud") {
            auto v = value();
            if (!v)
                return std::nullopt;
            if (*v != "9600" && *v != "115200") {
                problem = "--baud " + v->toStdString() + ": use 9600 or 115200";
                return std::nullopt;
            }
            o.baud = v->toInt();
        } else if (arg == "--dry-run") {
            o.dryRun = true;
        } else if (arg == "--log") {
            auto v = value();
            if (!v)
                return std::nullopt;
            o.log = *v;
        } else if (arg == "--count") {
            auto v = value();
            if (!v)
                return std::nullopt;
            bool number = false;
            o.count = v->toInt(&number);
            if (!number || o.count < 1) {
                problem = "--count " + v->toStdString() + ": use a whole number from 1";
                return std::nullopt;
            }
        } else if (arg.startsWith("--") || !o.file.isEmpty()) {
            problem = "unknown argument " + arg.toStdString();
            return std::nullopt;
        } else {
            o.file = arg;
        }
    }
    const bool needsFile = o.command == "apply" || o.command == "check" || o.command == "station";
    if (o.command != "version" && !needsFile)
        problem = "unknown command " + o.command;
    else if (needsFile && o.file.isEmpty())
        problem = o.command + " needs a setting file";
    else if (!needsFile && !o.file.isEmpty())
        problem = "version takes no file";
    else if ((o.command == "apply" || o.command == "version") && !o.portGiven)
        problem = o.command + " needs --port";
    else if (o.dryRun && o.command != "apply")
        problem = "--dry-run goes with apply";
    else if ((!o.log.isEmpty() || o.count) && o.command != "station")
        problem = "--log and --count go with station";
    if (!problem.empty())
        return std::nullopt;
    return o;
}

// The calls a file makes, and whether its key goes through asc_hex first
// (a Special Setting's Password does, as the page sends it).
struct Plan {
    Steps steps;
    std::optional<std::string> keyText;
};

Plan PlanOf(const setting::File& file)
{
    if (file.preset)
        return {PresetSteps(kPresets[*file.preset]), std::nullopt};
    return {SpecialSteps(file.special.output, {}), file.special.key};
}

std::string Code(int32_t r)
{
    std::string text = FormatCode(r);
    if (std::string why = T2LastError(); !why.empty())
        text += " (" + why + ")";
    return text;
}

struct Outcome {
    int32_t code = 0;
    std::string step;  // the one that failed
};

// One setting on an open link, a line a step; the reader's pauses are said
// before they are waited out.
Outcome ApplyOn(int32_t handle, Plan plan)
{
    if (plan.keyText && asc_hex(plan.keyText->c_str(), plan.steps.key.data(), 6) != 0)
        return {T2_E_BAD_ARGUMENT, "key"};
    const size_t total = plan.steps.steps.size();
    size_t at = 0;
    Outcome outcome;
    Apply(
        plan.steps, handle,
        [](int ms) {
            Say(", reader storing %.1f s\n", ms / 1000.0);
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        },
        [&](const Step& step, int32_t r) {
            Say("  [%zu/%zu] %-13s %s", ++at, total, step.what, r == 0 ? "ok" : "FAILED");
            if (r != 0) {
                outcome = {r, step.what};
                Say(": %s", Code(r).c_str());
                if (!step.pauseAfterFailure)
                    Say("\n");
            }
        });
    return outcome;
}

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

int Version(const Options& o)
{
    const int32_t handle = lc_init(o.port, o.baud);
    if (handle == -1)
        return Fail(kNoLink, "no reader on " + o.portName);
    unsigned char text[256] = {};
    const int32_t r = lc_getver(handle, text, nullptr);
    lc_exit(handle);
    if (r != 0)
        return Fail(kStepFailed, "version: " + Code(r));
    Say("%s\n", reinterpret_cast<const char*>(text));
    return kOk;
}

int ApplyFile(const Options& o, const setting::File& file)
{
    Plan plan = PlanOf(file);
    if (o.dryRun) {
        Say("lc_init(%d, %d)  ; %s\n", o.port, o.baud, o.portName.c_str());
        if (plan.keyText) {
            Say("asc_hex(\"%s\", key, 6)\n", plan.keyText->c_str());
            asc_hex(plan.keyText->c_str(), plan.steps.key.data(), 6);  // checked when the file loaded
        }
        for (const Step& step : plan.steps.steps)
            Say("%s\npause %d ms%s\n", Call(step, plan.steps).c_str(), step.pauseMs,
                step.pauseAfterFailure ? ", also after a failure" : "");
        Say("lc_exit(handle)\n");
        return kOk;
    }
    const int32_t handle = lc_init(o.port, o.baud);
    if (handle == -1)
        return Fail(kNoLink, "no reader on " + o.portName);
    Say("%s at %d baud: %s\n", o.portName.c_str(), o.baud, setting::Describe(file).toUtf8().constData());
    const Outcome outcome = ApplyOn(handle, plan);
    lc_exit(handle);
    if (outcome.code != 0)
        return Fail(kStepFailed, outcome.step + " failed: " + Code(outcome.code));
    Say("done: the reader took the setting\n");
    return kOk;
}

// One CSV field, quoted when it holds what would break the row.
QString Field(const QString& text)
{
    if (!text.contains(QRegularExpression("[\",\r\n]")))
        return text;
    return '"' + QString(text).replace('"', "\"\"") + '"';
}

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
                                 good ? QString() : QString::fromStdString(FormatCode(outcome.code)).mid(6)};
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

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::string problem;
    const auto options = Parse(QCoreApplication::arguments(), problem);
    if (!options) {
        std::fprintf(stderr, "tavelin-config: %s\n%s", problem.c_str(), kUsageText);
        return kUsage;
    }
    const Options& o = *options;
    setting::File file;
    if (!o.file.isEmpty()) {
        const setting::Loaded loaded = setting::Load(o.file);
        if (!loaded.problem.isEmpty())
            return Fail(kUsage, loaded.problem.toStdString());
        file = loaded.file;
    }
    if (o.command == "check") {
        Say("%s: %s\n", o.file.toUtf8().constData(), setting::Describe(file).toUtf8().constData());
        return kOk;
    }
    if (!o.dryRun) {
        if (const std::string why = T2ImportProblem(); !why.empty())
            return Fail(kNoLink, why);
    }
    if (o.command == "version")
        return Version(o);
    if (o.command == "apply")
        return ApplyFile(o, file);
    return Station(o, file);
}
