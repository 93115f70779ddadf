// tavelin-config: setting files applied to readers from a terminal or a
// script, and a production line's station. It makes the same library calls,
// with the same values, order and pauses, as the window's buttons.
#include <QCoreApplication>

#include <csignal>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/station.h"
#include "t2/import/t2_import.h"

namespace {

int Run(const Options& o)
{
    if (o.command == "help") {
        Say("%s", HelpText().c_str());
        return kOk;
    }
    if (o.command == "--version") {
        Say("tavelin-config %s\n", TAVELIN_VERSION);
        return kOk;
    }
    // Read once: what is applied, and hashed, is what was checked.
    setting::Loaded setting;
    if (!o.file.empty()) {
        setting = setting::Load(o.file, QString::fromStdString(Shown(o.file.native())));
        if (!setting.problem.isEmpty())
            return Fail(kUsage, setting.problem.toStdString());
    }
    const setting::File& file = setting.file;
    if (o.command == "check")
        return Check(o, file);
    if (!o.dryRun) {
        if (const std::string why = T2ImportProblem(); !why.empty())
            return Fail(kNoLink, why);
        if (const std::string why = UnopenablePort(o); !why.empty())
            return Fail(kUsage, why);
    }
    if (o.command == "version")
        return Version(o);
    if (o.command == "apply")
        return ApplyFile(o, file);
    if (o.command == "ports")
        return Ports(o);
    return Station(o, setting);
}

}  // namespace

int main(int argc, char* argv[])
{
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN);  // a closed output is a failure to report, not the end of a reader half set
#endif
    QCoreApplication app(argc, argv);
    std::string problem;
    const auto options = Parse(CommandLine(argc, argv), problem);
    if (!options) {
        std::fprintf(stderr, "tavelin-config: %s\n%s", problem.c_str(), UsageText().c_str());
        return kUsage;
    }
    const int code = Run(*options);
    if (const std::string why = OutputProblem(); !why.empty() && code != kUsage && code != kNoLink)
        return Fail(kNotWritten, "standard output: " + why);
    return code;
}
