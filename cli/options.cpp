#include "cli/options.h"

#include <QCommandLineParser>
#include <filesystem>

#include "dataout/card.h"
#include "dataout/link.h"
#include "t2/one_line.h"
#include "t2/devices.h"

namespace {

// Where the manual is: the page shipped beside the program on Windows; the
// installed manual page, or the clone's for a program run from its build tree.
std::string Manual()
{
#ifdef _WIN32
    return "docs\\tavelin-config.md";
#else
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return !error && self.parent_path() == TAVELIN_BUILD_BIN ? "man " TAVELIN_SOURCE_MANUAL : "man tavelin-config";
#endif
}

const char* const kUsage =
    "usage: tavelin-config apply FILE --port PORT [--baud 9600|115200] [--dry-run]\n"
    "       tavelin-config version --port PORT [--baud 9600|115200]\n"
    "       tavelin-config check FILE\n"
    "       tavelin-config station FILE [--port PORT]... [--baud 9600|115200] [--log FILE.csv] [--count N]\n"
    "                              [--calls parallel|serial] [--verify-card UID | --verify-text TEXT]\n"
    "                              [--verify-wait SECONDS]\n"
    "       tavelin-config ports [--baud 9600|115200] [--calls parallel|serial]\n"
    "       tavelin-config --help | --version\n"
    "PORT is USB, " T2DEV_COM_NAMES " or, on Linux, a USB socket's name (USB:1.2). More: ";

}  // namespace

std::string UsageText()
{
    return kUsage + Manual() + ".\n";
}

std::string HelpText()
{
    return std::string("tavelin-config: card-reader setting files applied from a terminal, and a production\n"
                       "line's station.\n\n") +
           UsageText() +
           "\n"
           "  apply FILE      set the reader on --port as FILE says, a line a step\n"
           "  version         print the firmware version of the reader on --port\n"
           "  check FILE      say what FILE holds, or what is wrong with it; no reader needed\n"
           "  station FILE    set reader after reader, a CSV row each (--log, default readers.csv);\n"
           "                  several --port: a reader on each at once\n"
           "  ports           list the ports where a reader answers now, with its version and the\n"
           "                  port's names; plug one reader at a time to learn a socket's name\n"
           "\n"
           "  --port PORT     a name as ports lists them (station: USB unless given; repeat it for more)\n"
           "  --baud RATE     9600 (the default) or 115200\n"
           "  --dry-run       apply: print the library calls instead of making them\n"
           "  --log FILE.csv  station: where the rows go\n"
           "  --count N       station: stop after N readers, over all its ports\n"
           "  --calls MODE    station, ports: library calls of different ports at once (parallel)\n"
           "                  or one at a time (serial); default: parallel with our own library only\n"
           "  --verify-card UID\n"
           "                  station: after each reader is set, have the reference card with this UID\n"
           "                  presented, and fail a reader that does not type what the setting must\n"
           "  --verify-text TEXT\n"
           "                  station, for a setting that reads a data block: what the reference\n"
           "                  card's block must make the reader type\n"
           "  --verify-wait SECONDS\n"
           "                  how long a reader is given to type the card (default 30)\n"
           "  -h, --help      this text\n"
           "  --version       the program's version\n"
           "\n"
           "Setting files, the CSV record and the exit codes: " + Manual() + ".\n";
}

namespace {

struct Parsed {
    QCommandLineParser parser;
    const QCommandLineOption help{{"h", "help"}, {}}, version{"version", {}}, port{"port", {}, "PORT"},
        baud{"baud", {}, "RATE"}, dryRun{"dry-run", {}}, log{"log", {}, "FILE.csv"}, count{"count", {}, "N"},
        calls{"calls", {}, "MODE"}, verifyCard{"verify-card", {}, "UID"}, verifyText{"verify-text", {}, "TEXT"},
        verifyWait{"verify-wait", {}, "SECONDS"};
    Parsed() { parser.addOptions({help, version, port, baud, dryRun, log, count, calls, verifyCard, verifyText, verifyWait}); }
};

// An argument in a problem, as it was given.
std::string Said(const QString& text) { return Shown(FromText(text)); }

// The ports named, in order; empty with `problem` where one cannot be used.
std::string ReadPorts(const Parsed& p, Options& o)
{
    if (p.parser.isSet(p.port))
        o.ports.clear();
    for (const QString& name : p.parser.values(p.port)) {
        const std::string given = Said(name);
        const auto named = params::ParsePort(given);
        if (!named)
            return "--port " + t2proto::OneLineCut(given) + ": use " + t2dev::kPortNames;
        for (const Port& known : o.ports)
            if (known.name == named->name)
                return "--port " + known.name + " is given twice";
        o.ports.push_back(*named);
    }
    return {};
}

// The reference card, or what it must type, and the wait for it.
std::string ReadVerify(const Parsed& p, Options& o)
{
    const QCommandLineParser& parser = p.parser;
    if (parser.isSet(p.verifyCard)) {
        const QString uid = parser.value(p.verifyCard);
        const params::Bytes bytes = params::ParseHex(uid.toStdString(), params::kMinUid, params::kMaxUid);
        if (!bytes.problem.empty())
            return "--verify-card " + Said(uid) + ": " + bytes.problem.Text();
        o.verifyCard = bytes.bytes;
    }
    if (parser.isSet(p.verifyText)) {
        // A reader types no control characters; what it types is compared byte for byte.
        const QString text = parser.value(p.verifyText);
        if (text.isEmpty() || Said(text) != text.toStdString())
            return "--verify-text " + Said(text) + ": give the text a reader types, without control characters";
        o.verifyText = text.toStdString();
    }
    if (parser.isSet(p.verifyWait)) {
        bool number = false;
        o.verifyWait = parser.value(p.verifyWait).toInt(&number);
        if (!number || o.verifyWait < 1 || o.verifyWait > 3600)
            return "--verify-wait " + Said(parser.value(p.verifyWait)) + ": use a whole number of seconds, 1 to 3600";
    }
    return {};
}

std::string ReadValues(const Parsed& p, Options& o)
{
    const QCommandLineParser& parser = p.parser;
    if (parser.isSet(p.baud)) {
        const QString rate = parser.value(p.baud);
        const auto number = params::BaudRate(rate.toStdString());
        if (!number)
            return "--baud " + Said(rate) + ": use 9600 or 115200";
        o.baud = *number;
    }
    o.dryRun = parser.isSet(p.dryRun);
    if (parser.isSet(p.log)) {
        o.log = FromText(parser.value(p.log));
        if (o.log.empty())
            return "--log needs a file's name";
    }
    if (parser.isSet(p.count)) {
        bool number = false;
        o.count = parser.value(p.count).toInt(&number);
        if (!number || o.count < 1)
            return "--count " + Said(parser.value(p.count)) + ": use a whole number from 1";
    }
    if (parser.isSet(p.calls)) {
        const QString mode = parser.value(p.calls);
        if (mode != "parallel" && mode != "serial")
            return "--calls " + Said(mode) + ": use parallel or serial";
        o.parallelCalls = mode == "parallel";
    }
    return ReadVerify(p, o);
}

// Whether the command takes the file and the options given.
std::string Fits(const Parsed& p, const Options& o)
{
    const QCommandLineParser& parser = p.parser;
    const bool needsFile = o.command == "apply" || o.command == "check" || o.command == "station";
    const bool onePort = o.command == "apply" || o.command == "version";
    if (o.command != "version" && o.command != "ports" && !needsFile)
        return "unknown command " + o.command;
    if (needsFile && o.file.empty())
        return o.command + " needs a setting file";
    if (!needsFile && !o.file.empty())
        return o.command + " takes no file";
    if (onePort && !parser.isSet(p.port))
        return o.command + " needs --port";
    if (onePort && o.ports.size() > 1)
        return o.command + " takes one --port";
    if (o.command == "ports" && parser.isSet(p.port))
        return "ports tries every port: it takes no --port";
    if (o.dryRun && o.command != "apply")
        return "--dry-run goes with apply";
    if ((parser.isSet(p.log) || parser.isSet(p.count)) && o.command != "station")
        return "--log and --count go with station";
    if (parser.isSet(p.calls) && o.command != "station" && o.command != "ports")
        return "--calls goes with station and ports";
    if (o.Verifies() && o.command != "station")
        return "--verify-card and --verify-text go with station";
    if (!o.verifyCard.empty() && o.verifyText)
        return "--verify-card or --verify-text: a setting reads the UID or a data block, not both";
    if (parser.isSet(p.verifyWait) && !o.Verifies())
        return "--verify-wait goes with --verify-card or --verify-text";
    return {};
}

}  // namespace

std::optional<Options> Parse(const std::vector<Argument>& args, std::string& problem)
{
    Parsed p;
    QStringList texts;
    for (const Argument& arg : args)
        texts << AsText(arg);
    if (!p.parser.parse(texts)) {
        problem = Said(p.parser.errorText());
        return std::nullopt;
    }
    Options o;
    const QStringList words = p.parser.positionalArguments();
    if (p.parser.isSet(p.help) || words.value(0) == "help") {
        o.command = "help";
        return o;
    }
    if (p.parser.isSet(p.version)) {
        o.command = "--version";
        return o;
    }
    if (words.isEmpty())
        problem = "no command";
    else if (words.size() > 2)
        problem = "unknown argument " + Said(words[2]);
    if (!problem.empty())
        return std::nullopt;
    o.command = Said(words[0]);
    o.file = FromText(words.value(1));
    problem = ReadPorts(p, o);
    if (problem.empty())
        problem = ReadValues(p, o);
    if (problem.empty())
        problem = Fits(p, o);
    if (!problem.empty())
        return std::nullopt;
    return o;
}
