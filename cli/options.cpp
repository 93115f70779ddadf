#include "cli/options.h"

#include <QCommandLineParser>

#include "dataout/link.h"
#include "t2/devices.h"

// Where the manual is: a manual page here, a page shipped beside the program on Windows.
#ifdef _WIN32
#define TAVELIN_MANUAL "docs\\tavelin-config.md"
#else
#define TAVELIN_MANUAL "man tavelin-config"
#endif

const char* const kUsageText =
    "usage: tavelin-config apply FILE --port PORT [--baud 9600|115200] [--dry-run]\n"
    "       tavelin-config version --port PORT [--baud 9600|115200]\n"
    "       tavelin-config check FILE\n"
    "       tavelin-config station FILE [--port PORT]... [--baud 9600|115200] [--log FILE.csv] [--count N]\n"
    "                              [--calls parallel|serial]\n"
    "       tavelin-config ports [--baud 9600|115200] [--calls parallel|serial]\n"
    "       tavelin-config --help | --version\n"
    "PORT is USB, " T2DEV_COM_NAMES " or, on Linux, a USB socket's name (USB:1.2). More: " TAVELIN_MANUAL ".\n";

std::string HelpText()
{
    return std::string("tavelin-config: card-reader setting files applied from a terminal, and a production\n"
                       "line's station.\n\n") +
           kUsageText +
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
           "  -h, --help      this text\n"
           "  --version       the program's version\n"
           "\n"
           "Setting files, the CSV record and the exit codes: " TAVELIN_MANUAL ".\n";
}

std::optional<Options> Parse(const QStringList& args, std::string& problem)
{
    QCommandLineParser parser;
    const QCommandLineOption help({"h", "help"}, {}), version("version", {}), port("port", {}, "PORT"),
        baud("baud", {}, "RATE"), dryRun("dry-run", {}), log("log", {}, "FILE.csv"), count("count", {}, "N"),
        calls("calls", {}, "MODE");
    parser.addOptions({help, version, port, baud, dryRun, log, count, calls});
    if (!parser.parse(args)) {
        problem = parser.errorText().toStdString();
        return std::nullopt;
    }
    Options o;
    const QStringList words = parser.positionalArguments();
    if (parser.isSet(help) || words.value(0) == "help") {
        o.command = "help";
        return o;
    }
    if (parser.isSet(version)) {
        o.command = "--version";
        return o;
    }
    if (words.isEmpty()) {
        problem = "no command";
        return std::nullopt;
    }
    o.command = words[0].toStdString();
    o.file = words.value(1);
    if (words.size() > 2) {
        problem = "unknown argument " + words[2].toStdString();
        return std::nullopt;
    }
    if (parser.isSet(port))
        o.ports.clear();
    for (const QString& name : parser.values(port)) {
        const auto named = params::ParsePort(name.toStdString());
        if (!named) {
            problem = "--port " + name.toStdString() + ": use " + t2dev::kPortNames;
            return std::nullopt;
        }
        for (const Port& p : o.ports) {
            if (p.name == named->name) {
                problem = "--port " + p.name + " is given twice";
                return std::nullopt;
            }
        }
        o.ports.push_back(*named);
    }
    if (parser.isSet(baud)) {
        const QString rate = parser.value(baud);
        const auto number = params::BaudRate(rate.toStdString());
        if (!number) {
            problem = "--baud " + rate.toStdString() + ": use 9600 or 115200";
            return std::nullopt;
        }
        o.baud = *number;
    }
    o.dryRun = parser.isSet(dryRun);
    o.log = parser.value(log);
    if (parser.isSet(count)) {
        bool number = false;
        o.count = parser.value(count).toInt(&number);
        if (!number || o.count < 1) {
            problem = "--count " + parser.value(count).toStdString() + ": use a whole number from 1";
            return std::nullopt;
        }
    }
    if (parser.isSet(calls)) {
        const QString mode = parser.value(calls);
        if (mode != "parallel" && mode != "serial") {
            problem = "--calls " + mode.toStdString() + ": use parallel or serial";
            return std::nullopt;
        }
        o.parallelCalls = mode == "parallel";
    }
    const bool needsFile = o.command == "apply" || o.command == "check" || o.command == "station";
    const bool onePort = o.command == "apply" || o.command == "version";
    if (o.command != "version" && o.command != "ports" && !needsFile)
        problem = "unknown command " + o.command;
    else if (needsFile && o.file.isEmpty())
        problem = o.command + " needs a setting file";
    else if (!needsFile && !o.file.isEmpty())
        problem = o.command + " takes no file";
    else if (onePort && !parser.isSet(port))
        problem = o.command + " needs --port";
    else if (onePort && o.ports.size() > 1)
        problem = o.command + " takes one --port";
    else if (o.command == "ports" && parser.isSet(port))
        problem = "ports tries every port: it takes no --port";
    else if (o.dryRun && o.command != "apply")
        problem = "--dry-run goes with apply";
    else if ((parser.isSet(log) || parser.isSet(count)) && o.command != "station")
        problem = "--log and --count go with station";
    else if (parser.isSet(calls) && o.command != "station" && o.command != "ports")
        problem = "--calls goes with station and ports";
    if (!problem.empty())
        return std::nullopt;
    return o;
}
