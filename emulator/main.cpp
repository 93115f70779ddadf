// reader-emulator: a card reader on a pseudo-terminal (docs/emulator.md).
// Installed as tavelin-reader-emulator; it names itself as it was started.
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "emulator/emulator.h"
#include "emulator/keyboard.h"
#include "t2/one_line.h"
#include "t2/devices.h"

namespace {

constexpr const char* kUsage =
    "usage: %s [options]\n"
    "  --port NAME        publish as USB (default), " T2DEV_COM_NAMES " or a USB socket's name (USB:1.2)\n"
    "  --version TEXT     firmware version text (default \"%s\")\n"
    "  --store-ms N       time to store settings, ms (default %d)\n"
    "  --unplugged        start unplugged, with no device entry until a \"plug\" line\n"
    "  --replace          end the emulator that holds the port name, and take its place\n"
    "  --keyboard         also type each card's output as key presses into the X display's\n"
    "                     focused window; a card line from a terminal waits until you click\n"
    "                     into another window (at most %d s)\n"
    "  --type-into PATH   also type each card's output into a file, FIFO or terminal\n"
    "cards (" TAVELIN_DOC_DIR "/card-output.md):\n"
    "  --card UID         present a card (4 to 10 bytes in hex) once the reader is up\n"
    "  --block N:HEX[:KEY]\n"
    "                     block N (0..254) of every card holds HEX (1 to 16 bytes),\n"
    "                     opened by KEY (12 hex digits, default %s)\n"
    "faults:\n"
    "  --silent           answer nothing\n"
    "  --bad-crc          answer with a wrong checksum\n"
    "  --refuse CMD:CODE  refuse CMD (handshake, version, readonly, header, block) with CODE 1..255\n"
    "  --drop-after N     answer N requests, then hang up on the next (once)\n"
    "  --garbage N        send N noise bytes before every reply\n"
    "  --misstore         answer each output setting ok, but store its order the other way\n"
    "                     round: cards then come out reversed where forward was set\n"
    "numbers are decimal, or hexadecimal after 0x\n"
    "on standard input, one command a line:\n"
    "  card UID           present a card (4 to 10 bytes in hex); an empty line: the last one again\n"
    "  unplug             pull the reader off: its entry goes, clients lose the line\n"
    "  plug [VERSION]     plug it in on a fresh tty; with VERSION, another reader with that\n"
    "                     version text and a new reader's settings\n";

// A decimal or 0x-hexadecimal number within [low, high], written plainly:
// no sign, no spaces, and no leading zero, which C's own parsers read as
// octal. Otherwise nothing, with `problem` naming `option` and the value.
std::optional<long> Number(std::string_view option, std::string_view text, long low, long high,
                           std::string& problem)
{
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const std::string_view digits = hex ? text.substr(2) : text;
    const std::string quoted = std::string(option) + ": \"" + std::string(text) + "\"";
    long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || digits[0] == '-' || end != digits.data() + digits.size()) {
        problem = quoted + " is not a decimal or 0x-hexadecimal number";
        return std::nullopt;
    }
    if (!hex && digits.size() > 1 && digits[0] == '0') {
        const size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
        problem = quoted + ": write " + std::string(digits.substr(first)) + ", or 0x.. for hexadecimal";
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range || value < low || value > high) {
        problem = quoted + " is out of range " + std::to_string(low) + ".." + std::to_string(high);
        return std::nullopt;
    }
    return value;
}

std::string program = "reader-emulator";  // argv[0]'s base name, for messages

// How long a card typed in a terminal waits for the focus to go elsewhere.
constexpr std::chrono::seconds kWaitAway{15};
// Where each card's output is typed as well as printed; none by default.
std::unique_ptr<emulator::Keyboard> keyboard;

int Usage(const char* problem)
{
    if (problem) {
        std::fprintf(stderr, "%s: %s (see --help)\n", program.c_str(), problem);
        return 2;
    }
    std::printf(kUsage, program.c_str(), emulator::Emulator::kDefaultVersion, emulator::Emulator::kDefaultStoreMs,
                int(kWaitAway.count()), std::string(params::kDefaultKeyText).c_str());
    return 0;
}

// A line of the console.
void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// "N:HEX[:KEY]" of --block, or nothing with `problem` filled in.
std::optional<std::pair<int, emulator::CardBlock>> ParseBlock(const std::string& value, std::string& problem)
{
    const size_t colon = value.find(':');
    if (colon == std::string::npos) {
        problem = "--block takes N:HEX[:KEY] with N 0..254";
        return std::nullopt;
    }
    const size_t keyColon = value.find(':', colon + 1);
    const auto address = Number("--block", std::string_view(value).substr(0, colon), 0, params::kBlockUid - 1, problem);
    if (!address)
        return std::nullopt;
    emulator::CardBlock block;
    const params::Bytes data = params::ParseHex(value.substr(colon + 1, keyColon - colon - 1), 1, params::kMaxBlock);
    if (!data.problem.empty()) {
        problem = "--block data: " + data.problem.Text();
        return std::nullopt;
    }
    block.data = data.bytes;
    if (keyColon != std::string::npos) {
        const params::Bytes key = params::ParseHex(value.substr(keyColon + 1), block.key.size(), block.key.size());
        if (!key.problem.empty()) {
            problem = "--block key: " + key.problem.Text();
            return std::nullopt;
        }
        std::copy(key.bytes.begin(), key.bytes.end(), block.key.begin());
    }
    return std::pair{static_cast<int>(*address), block};
}

// Prints what the reader types for the card, and types it where asked.
void Present(emulator::Emulator& reader, const std::vector<uint8_t>& uid)
{
    const params::CardText out = reader.PresentCard(uid);
    if (!keyboard || !out.problem.empty())
        return;
    std::string error;
    if (!keyboard->Type(out.typed, error))
        Say("card " + params::BytesToHex(uid) + ": not typed: " + error);
}

// A line of standard input: "card UID", an empty line (the last card
// again, kept in `last`), "unplug" or "plug [VERSION]".
void HandleLine(emulator::Emulator& reader, std::string line, std::vector<uint8_t>& last)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line == "unplug") {
        if (reader.Plugged())
            reader.Unplug();
        else
            Say("already unplugged");
        return;
    }
    if (line == "plug" || line.starts_with("plug ")) {
        std::optional<std::string> version;
        if (line.size() > 5)
            version = line.substr(5);
        std::string error;
        if (reader.Plugged())
            Say("already plugged in");
        else if (!reader.Plug(version, &error))
            Say("cannot plug in: " + error);
        return;
    }
    if (!line.empty()) {
        constexpr std::string_view kCard = "card ";
        if (!line.starts_with(kCard)) {
            Say("not understood: type \"card UID\" (e.g. card 00831B78), \"unplug\" or \"plug [VERSION]\"");
            return;
        }
        const params::Bytes uid = params::ParseHex(line.substr(kCard.size()), params::kMinUid, params::kMaxUid);
        if (!uid.problem.empty()) {
            Say("card: " + uid.problem.Text());
            return;
        }
        last = uid.bytes;
    }
    if (!last.empty())
        Present(reader, last);
}

// The port name (as the folder spells it), this program's alone while it
// runs, so that a second one started by mistake cannot take it over unseen.
// Another that holds it is named; with `replace`, ended and waited for,
// within a bound. Nothing when refused; no descriptor where the folder
// cannot be used, as Start then says.
std::optional<t2dev::Fd> Claim(const std::string& port, bool replace)
{
    const std::string path = t2dev::DeviceFolderPath();
    mkdir(path.c_str(), 0700);
    const t2dev::FolderCheck folder = t2dev::OpenFolder(path);
    if (folder.state != t2dev::FolderState::Usable)
        return t2dev::Fd();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool asked = false;
    for (;;) {
        pid_t holder = 0;
        std::string why;
        t2dev::Fd claim = t2dev::ClaimEntry(folder.folder.get(), port, holder, why);
        if (claim)
            return claim;
        if (holder < 0) {
            std::fprintf(stderr, "%s: cannot hold %s: %s\n", program.c_str(), port.c_str(), why.c_str());
            return std::nullopt;
        }
        const std::string other = holder > 0 ? "another reader emulator, pid " + std::to_string(holder)
                                             : "another reader emulator";
        if (!replace) {
            std::fprintf(stderr, "%s: %s is in use by %s; --replace ends it and takes its place\n", program.c_str(),
                         port.c_str(), other.c_str());
            return std::nullopt;
        }
        if (holder > 0 && !asked)
            asked = kill(holder, SIGTERM) == 0;
        if (std::chrono::steady_clock::now() > until) {
            std::fprintf(stderr, "%s: %s is still held by %s; not replaced\n", program.c_str(), port.c_str(),
                         other.c_str());
            return std::nullopt;
        }
        poll(nullptr, 0, 20);
    }
}

// What the command line asks for.
struct Setup {
    std::string port = "USB";
    std::string version = emulator::Emulator::kDefaultVersion;
    int storeMs = emulator::Emulator::kDefaultStoreMs;
    bool plugged = true;
    bool replace = false;
    bool desktop = false;    // --keyboard
    std::string typeInto;    // --type-into
    emulator::Faults faults;
    std::vector<uint8_t> card;
    std::vector<std::pair<int, emulator::CardBlock>> blocks;
};

// An option that takes a value; why it cannot be used, or empty.
std::string TakeValue(std::string_view option, const std::string& value, Setup& s)
{
    std::string problem;
    if (option == "--port") {
        const auto port = t2dev::CanonicalPortName(value);
        if (!port)
            return "--port " + t2proto::OneLineCut(value) + ": use " + t2dev::kPortNames;
        s.port = *port;
    } else if (option == "--type-into") {
        s.typeInto = value;
    } else if (option == "--version") {
        s.version = value;
    } else if (option == "--store-ms") {
        if (auto ms = Number(option, value, 0, 10000, problem))
            s.storeMs = static_cast<int>(*ms);
    } else if (option == "--drop-after") {
        if (auto n = Number(option, value, 0, 1000000, problem))
            s.faults.dropAfterFrames = static_cast<int>(*n);
    } else if (option == "--garbage") {
        if (auto n = Number(option, value, 0, 4096, problem))
            s.faults.garbageBytes = static_cast<size_t>(*n);
    } else if (option == "--card") {
        const params::Bytes uid = params::ParseHex(value, params::kMinUid, params::kMaxUid);
        if (!uid.problem.empty())
            return "--card: " + uid.problem.Text();
        s.card = uid.bytes;
    } else if (option == "--block") {
        if (auto block = ParseBlock(value, problem))
            s.blocks.push_back(std::move(*block));
    } else if (option == "--refuse") {
        size_t colon = value.find(':');
        auto command = t2proto::CommandByName(value.substr(0, colon));
        if (!command || colon == std::string::npos)
            return "--refuse takes CMD:CODE, e.g. readonly:0x05";
        if (auto code = Number(option, std::string_view(value).substr(colon + 1), 1, 255, problem))
            s.faults.refuse[*command] = static_cast<uint8_t>(*code);
    } else {
        return "unknown option: " + std::string(option);
    }
    return problem;
}

// The setup asked for, or the program's exit status: after --help, or a usage problem.
std::optional<int> ParseArgs(int argc, char** argv, Setup& s)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view option = argv[i];
        if (option == "--help" || option == "-h")
            return Usage(nullptr);
        if (option == "--silent")
            s.faults.silent = true;
        else if (option == "--bad-crc")
            s.faults.badCrc = true;
        else if (option == "--misstore")
            s.faults.misstore = true;
        else if (option == "--unplugged")
            s.plugged = false;
        else if (option == "--replace")
            s.replace = true;
        else if (option == "--keyboard")
            s.desktop = true;
        else if (i + 1 >= argc)
            return Usage(("unknown option or missing value: " + std::string(option)).c_str());
        else if (const std::string problem = TakeValue(option, argv[++i], s); !problem.empty())
            return Usage(problem.c_str());
    }
    return std::nullopt;
}

// Reads standard input, a line a command, until a signal comes.
void Serve(emulator::Emulator& reader, int signalled, std::vector<uint8_t>& card)
{
    bool input = true;
    constexpr size_t kLongestLine = 4096;
    const std::string tooLong =
        "not understood: a line of over " + std::to_string(kLongestLine) + " bytes, ignored to its end";
    bool skipping = false;  // through the end of a line too long to read
    std::string pending;
    for (;;) {
        struct pollfd fds[2] = {{signalled, POLLIN, 0}, {input ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || fds[0].revents)
            break;
        if (!fds[1].revents)
            continue;
        char chunk[512];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            input = false;  // the reader runs on without it
            continue;
        }
        pending.append(chunk, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            if (std::exchange(skipping, false))
                continue;  // said so when it grew too long
            if (end > kLongestLine)
                Say(tooLong);
            else
                HandleLine(reader, pending.substr(0, end), card);
        }
        if (!skipping && pending.size() > kLongestLine) {
            Say(tooLong);
            skipping = true;
        }
        if (skipping)
            pending.clear();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Started with 0, 1 or 2 closed, the next files opened (the wake-up pipe,
    // the tty) would take their numbers, and log lines would go into them.
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
            return 1;
    if (argc > 0 && *argv[0])
        program = std::filesystem::path(argv[0]).filename().string();
    Setup s;
    if (const std::optional<int> status = ParseArgs(argc, argv, s))
        return *status;

    // Signals are taken by this thread alone, through a descriptor it polls
    // beside standard input; the reader's thread never sees them.
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // Reading the terminal from a shell's background would stop it; ignored,
    // the read fails instead and it runs on without input.
    std::signal(SIGTTIN, SIG_IGN);

    const std::optional<t2dev::Fd> claim = Claim(s.port, s.replace);
    if (!claim)
        return 1;

    emulator::Emulator reader;
    reader.SetLog(Say);
    reader.SetVersion(s.version);
    reader.SetStoreMs(s.storeMs);
    reader.SetFaults(s.faults);
    if (!s.plugged)
        reader.Unplug();
    for (auto& [address, block] : s.blocks)
        reader.SetBlock(address, std::move(block));
    std::string error;
    if (!reader.Start(s.port, &error)) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
        return 1;
    }
    std::string problem;
    if (!s.typeInto.empty() && !(keyboard = emulator::FileKeyboard(s.typeInto, problem))) {
        std::fprintf(stderr, "%s: --type-into %s\n", program.c_str(), problem.c_str());
        return 1;
    }
    // Without a display it still reads and prints, as a reader without its cable would.
    if (s.desktop && !keyboard) {
        keyboard = emulator::DesktopKeyboard(isatty(STDIN_FILENO) ? kWaitAway : std::chrono::seconds(0), problem);
        Say(keyboard ? "typing cards into the focused window; after a card line, click where it should go"
                     : "not typing cards as key presses: " + problem + "; printing them only");
    }
    if (!s.card.empty())
        Present(reader, s.card);

    const int signalled = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalled < 0) {
        std::perror((program + ": signalfd").c_str());
        return 1;
    }
    Serve(reader, signalled, s.card);
    reader.Stop();
    return 0;
}
