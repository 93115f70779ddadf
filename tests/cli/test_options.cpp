// The command line read into options, or refused with the option and value at fault.
#include <gtest/gtest.h>

#include "cli/options.h"

namespace {

TEST(Options, ReadsWhatIsGiven)
{
    std::string problem;
    // Names as their bytes, though not UTF-8.
    const auto o = Parse({"tavelin-config", "station", "line\xE9.ini", "--port", "usb", "--port", "com12", "--baud",
                          "115200", "--log=r\xE9.csv", "--count", "3", "--calls", "serial", "--verify-card",
                          "00 83 1b 78", "--verify-wait", "5"},
                         problem);
    ASSERT_TRUE(o) << problem;
    EXPECT_EQ(o->command, "station");
    EXPECT_EQ(o->file.native(), "line\xE9.ini");
    ASSERT_EQ(o->ports.size(), 2u);
    EXPECT_EQ(o->ports[1].name, "COM12");
    EXPECT_EQ(o->ports[1].number, 11);
    EXPECT_EQ(o->baud, 115200);
    EXPECT_EQ(o->log.native(), "r\xE9.csv");
    EXPECT_EQ(o->count, 3);
    EXPECT_EQ(o->parallelCalls, false);
    EXPECT_EQ(o->verifyCard, (std::vector<uint8_t>{0x00, 0x83, 0x1B, 0x78}));
    EXPECT_EQ(o->verifyWait, 5);
}

TEST(Options, RefusedWithTheReason)
{
    const struct {
        std::vector<Argument> args;
        const char* says;
    } cases[] = {
        {{"apply", "f.ini"}, "apply needs --port"},
        {{"apply", "f.ini", "--port", "COM257"}, "--port COM257: use USB, COM1..COM256 or a USB socket's name (USB:1.2)"},
        {{"apply", "f.ini", "--port", "USB", "--baud", "4800"}, "--baud 4800: use 9600 or 115200"},
        {{"apply", "f.ini", "g\xE9.ini"}, "unknown argument g\\xE9.ini"},
        {{"station", "f.ini", "--log", ""}, "--log needs a file's name"},
        {{"station", "f.ini", "--count", "0"}, "--count 0: use a whole number from 1"},
        {{"station", "f.ini", "--port", "USB", "--port", "usb"}, "--port USB is given twice"},
        {{"station", "f.ini", "--port", "USB:1.2", "--port", "usb:1.2"}, "--port USB:1.2 is given twice"},
        {{"station", "f.ini", "--calls", "both"}, "--calls both: use parallel or serial"},
        {{"ports", "--port", "USB"}, "ports tries every port: it takes no --port"},
        {{"version", "f.ini", "--port", "USB"}, "version takes no file"},
        {{"version", "--port", "USB", "--port", "COM1"}, "version takes one --port"},
        {{"check"}, "check needs a setting file"},
        {{"check", "f.ini", "--dry-run"}, "--dry-run goes with apply"},
        {{"ports", "--log", "x.csv"}, "--log and --count go with station"},
        {{"check", "f.ini", "--calls", "serial"}, "--calls goes with station and ports"},
        {{"station", "f.ini", "--verify-card", "0083"}, "--verify-card 0083: 2 bytes, not 4 to 10"},
        {{"station", "f.ini", "--verify-text", "Card\t7"},
         "--verify-text Card\\x097: give the text a reader types, without control characters"},
        {{"station", "f.ini", "--verify-wait", "5"}, "--verify-wait goes with --verify-card or --verify-text"},
        {{"erase"}, "unknown command erase"},
    };
    for (const auto& c : cases) {
        std::string problem;
        std::vector<Argument> args{"tavelin-config"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_FALSE(Parse(args, problem)) << c.says;
        EXPECT_EQ(problem, c.says);
    }
}

}  // namespace
