#include "cli/station.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/record.h"
#include "cli/station_system.h"
#include "cli/verify.h"
#include "dataout/link.h"
#include "t2/import/last_error.h"
#include "t2/protocol.h"
#include "t2/t2.h"

namespace {

// Whether a call failed as its link was lost: the reader is off the port, and
// another may be on it already. A maker's library does not say so.
bool Lost(int32_t r) { return r == T2_E_LINK_LOST && T2IsOurs(); }

// What became of one reader.
struct Placement {
    Outcome outcome;
    std::string version;  // printable; empty where it could not be read as this reader's
    bool lost = false;
    std::string typed, verdict;  // for the reference card, where the station checks readers
};

// A reader set on an open link, and its version; the version of a failed
// reader too, where it still answers. After a lost link the library would
// read it from whatever reader is on the port by then.
Placement SetReader(int32_t handle, const setting::File& file, Screen& say, LibraryCalls& calls, size_t at)
{
    Placement placed;
    placed.outcome = ApplyOn(handle, file, say, calls, at);
    placed.lost = Lost(placed.outcome.code);
    if (placed.lost)
        return placed;
    std::string failed;
    const int32_t r = calls.Set(at, [&] {
        const int32_t r = params::ReadVersion(handle, placed.version);
        failed = r == 0 ? "" : Code(r);
        return r;
    });
    if (r != 0) {
        placed.version.clear();
        placed.lost = Lost(r);
        if (placed.outcome.code == 0)
            placed.outcome = {r, "version", failed};
    }
    return placed;
}

struct Tally {
    int ok = 0, failed = 0;
};

// What the ports of one station share.
struct Line {
    const Options& o;
    const setting::File& file;
    std::string hash;
    std::string logName;  // as shown
    record::Log log;
    LibraryCalls calls;
    std::atomic<int> taken = 0;  // readers taken up, over all ports
    std::atomic<bool> rowLost = false;
    std::optional<verify::Expected> expected{};  // what a reader must type for the reference card
    // Keys typed do not say which reader typed them: one reader is checked at a time.
    std::mutex verifying{};

    // An operator who can no longer see the station has stopped it too.
    bool Stopped() const { return StopAfterTheCurrentReader::Asked() || rowLost || !OutputProblem().empty(); }
    bool AllTaken() const { return o.count && taken >= o.count; }
    bool Done() const { return Stopped() || AllTaken(); }
};

// After a failure, at a pace a person can follow.
constexpr LibraryCalls::ms kCalm{500};

// The link to the next reader on port `at`, or -1 once the station stops. A
// port that another program holds keeps every reader out: that is said, and
// said again only when the library's reason changes.
int32_t AwaitReader(Line& line, size_t at, Screen& say)
{
    const Port& port = line.o.ports[at];
    std::string before;
    line.calls.LookAnew(at);
    while (!line.Done()) {
        std::string why;
        const std::optional<int32_t> handle = line.calls.Look(at, [&] {
            const int32_t handle = Open(port, line.o.baud);
            if (handle == -1)
                why = T2LastError();  // the calling thread's
            return handle;
        });
        if (!handle)
            break;
        if (*handle != -1)
            return *handle;
        if (why != before && why.find(t2proto::kHeldElsewhere) != std::string::npos)
            say("Still waiting: %s\n", why.c_str());
        before = why;
    }
    return -1;
}

// Until the reader on `handle` is taken off, or the station stops. Ours says
// so with a lost link, even with the next reader on by then: a link says its
// loss once before it opens the port again. A maker's library says nothing of
// it: there a failed read closes the link, and the reader is off once opening
// the port has failed three times in a row, so that one lost reply on a poor
// line does not take it for off. `handle` is then -1.
void AwaitTakeOff(Line& line, size_t at, int32_t& handle)
{
    const Port& port = line.o.ports[at];
    LibraryCalls::ms calm{};
    line.calls.LookAnew(at);
    for (int missed = 0; !line.Done();) {
        if (handle == -1) {
            const std::optional<int32_t> opened = line.calls.Look(at, [&] { return Open(port, line.o.baud); }, calm);
            if (!opened)
                return;
            handle = *opened;
            if (handle == -1) {
                if (++missed == 3)
                    return;
                continue;
            }
            missed = 0;
            calm = {};
        }
        std::string ignored;
        const std::optional<int32_t> r =
            line.calls.Look(at, [&] { return params::ReadVersion(handle, ignored); }, calm);
        if (!r || Lost(*r))
            return;
        if (*r == 0)
            continue;
        if (!T2IsOurs()) {
            line.calls.Set(at, [&] { return lc_exit(handle); });
            handle = -1;
        }
        calm = kCalm;
    }
}

// The reader just set on port `at` with the reference card: what it types
// must be what the setting does. A reader that types other, or nothing in
// time, has failed.
void Verify(Line& line, size_t at, Screen& say, Placement& placed)
{
    line.calls.Leave(at);  // makes no calls meanwhile: looks on the other ports go ahead
    const std::lock_guard one(line.verifying);
    const verify::Expected& expected = *line.expected;
    verify::Keys keys;
    {
        TypedKeys typed;  // from here: what was typed before is not the card's
        say("  verify        present the reference card to the reader on %s: it must type \"%s\"%s within %d s ...\n",
            line.o.ports[at].name.c_str(), verify::Shown(expected).c_str(),
            expected.enter ? "" : " (and Enter if it did before)", line.o.verifyWait);
        keys = verify::Take([&](char* data, size_t size, verify::ms wait) { return typed.Read(data, size, wait); },
                            std::chrono::seconds(line.o.verifyWait), [&] { return line.Stopped(); });
    }
    const bool any = keys.enter || !keys.text.empty();
    placed.typed = any ? verify::Shown(keys) : "";
    if (verify::Matches(expected, keys)) {
        placed.verdict = "verified";
        say("  verify        typed \"%s\": verified\n", placed.typed.c_str());
        return;
    }
    placed.verdict = any ? "typed other" : "nothing typed";
    std::string said = "typed \"" + placed.typed + "\", not \"" + verify::Shown(expected) + '"';
    if (!any)
        said = keys.ended             ? "nothing typed: standard input has ended"
               : line.Stopped()       ? "nothing typed before the station was stopped"
                                      : "nothing typed within " + std::to_string(line.o.verifyWait) + " s";
    say("  verify        FAILED: %s\n", said.c_str());
    placed.outcome = {0, "verify", said};
}

// One port's loop: reader after reader until the station stops. A reader is
// set once however long it stays on, and failed or not, the next is awaited
// only once it has been taken off.
Tally SetReaders(Line& line, size_t at)
{
    const Options& o = line.o;
    const Port& port = o.ports[at];
    Screen say(o.ports.size() > 1 ? port.name + ": " : "");
    Tally tally;
    while (!line.Done()) {
        say("\nWaiting for a reader on %s ...\n", port.name.c_str());
        int32_t handle = AwaitReader(line, at, say);
        if (handle == -1)
            break;
        const int number = ++line.taken;
        if (o.count && number > o.count) {  // another port took the last one meanwhile
            line.calls.Set(at, [&] { return lc_exit(handle); });
            break;
        }
        say("Reader %d:\n", number);
        Placement placed = SetReader(handle, line.file, say, line.calls, at);
        if (line.expected && placed.outcome.step.empty())
            Verify(line, at, say, placed);
        const Outcome& outcome = placed.outcome;
        const bool good = outcome.step.empty();
        (good ? tally.ok : tally.failed) += 1;
        const QDateTime now = QDateTime::currentDateTime();
        const std::string why = line.log.Append({
            now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString(),
            port.name,
            placed.version,
            Shown(o.file.native()),
            line.hash,
            good ? "ok" : "failed",
            outcome.step,
            outcome.code == 0 ? "" : params::FormatCode(outcome.code).substr(6),
            placed.typed,
            placed.verdict,
        });
        if (good)
            say("Reader %d: OK%s, version \"%s\"\n", number, placed.verdict.empty() ? "" : ", verified",
                placed.version.c_str());
        else
            say("Reader %d: FAILED at %s: %s\n", number, outcome.step.c_str(), outcome.said.c_str());
        say("== ok %d, failed %d ==\n", tally.ok, tally.failed);
        if (!why.empty()) {
            Fail(kNotWritten, line.logName + ": " + why + ": reader " + std::to_string(number) +
                                  " has no row; the station stops");
            line.rowLost = true;
        }
        if (!line.Done() && !placed.lost) {
            say("Take the reader off.\n");
            AwaitTakeOff(line, at, handle);
        }
        if (handle != -1)
            line.calls.Set(at, [&] { return lc_exit(handle); });
    }
    line.calls.Leave(at);
    return tally;
}

}  // namespace

int Station(const Options& o, const setting::Loaded& setting)
{
    Line line{o, setting.file,
              QCryptographicHash::hash(setting.bytes, QCryptographicHash::Sha256).toHex().toStdString(),
              Shown(o.log.native()), {},
              LibraryCalls(ParallelCalls(o), o.ports.size(), [&line] { return line.Done(); })};
    const std::string& logName = line.logName;
    if (o.Verifies()) {
        std::string problem;
        if (!(line.expected = verify::Expect(o, setting.file, problem)))
            return Fail(kUsage, problem);
    }
    if (const std::string why = line.log.Open(o.log); !why.empty())
        return Fail(kUsage, logName + ": cannot append: " + why);
    if (const std::string why = line.log.Append({}); !why.empty())
        return Fail(kNotWritten, logName + ": " + why);
    const StopAfterTheCurrentReader stop;

    std::string ports;
    for (const Port& port : o.ports)
        ports += (ports.empty() ? "" : ", ") + port.name;
    Say("Station: %s (%s) on %s at %d baud, rows to %s\n", Shown(o.file.filename().native()).c_str(),
        setting::Describe(setting.file).toUtf8().constData(), ports.c_str(), o.baud, logName.c_str());
    const bool several = o.ports.size() > 1;
    if (several && !line.calls.Parallel())
        Say(o.parallelCalls ? "Library calls one at a time (--calls serial).\n"
                            : "Library calls one at a time: the reader library is not known to allow more "
                              "(--calls parallel if it does).\n");
    if (o.Verifies() && line.log.Earlier())
        Say("%s has the columns of an earlier station: what readers type, and their verdict, are not recorded "
            "there.\n", logName.c_str());
    Say(several ? "Ctrl+C stops after each port's current reader.\n" : "Ctrl+C stops after the current reader.\n");
    std::vector<Tally> tallies(o.ports.size());
    {
        std::vector<std::jthread> running;
        for (size_t i = 0; i < o.ports.size(); ++i)
            running.emplace_back([&, i] { tallies[i] = SetReaders(line, i); });
    }
    Tally all;
    for (size_t i = 0; i < o.ports.size(); ++i) {
        if (several)
            Say("%s: ok %d, failed %d\n", o.ports[i].name.c_str(), tallies[i].ok, tallies[i].failed);
        all.ok += tallies[i].ok;
        all.failed += tallies[i].failed;
    }
    Say("Station stopped: ok %d, failed %d.\n", all.ok, all.failed);
    if (line.rowLost)
        return kNotWritten;
    if (all.failed)
        return kStepFailed;
    return o.count && all.ok < o.count ? kStopped : kOk;
}
