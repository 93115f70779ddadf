#include "commands.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "last_error.h"
#include "link.h"
#include "record.h"
#include "t2.h"
#include "t2_import.h"

using namespace params;

namespace {
int outputError = 0;
}

void OutputFailed(int error)
{
    if (outputError == 0)
        outputError = error ? error : EIO;
}

std::string OutputProblem()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        OutputFailed(errno);
    return outputError ? std::strerror(outputError) : "";
}

int Fail(int code, const std::string& why)
{
    std::fprintf(stderr, "tavelin-config: %s\n", why.c_str());
    return code;
}

Plan PlanOf(const setting::File& file)
{
    if (file.preset)
        return {PresetSteps(kPresets[*file.preset]), std::nullopt};
    return {SpecialSteps(file.special.output, {}), file.special.key};
}

std::string Code(int32_t r)
{
    return FormatCode(r) + " (" + T2Reason(r) + ")";
}

// The reader's pauses are said before they are waited out.
Outcome ApplyOn(int32_t handle, Plan plan)
{
    if (plan.keyText && !KeyBytes(*plan.keyText, plan.steps.key))
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

// The library's reason where it gives one: a maker's library may give none.
int NoLink(const Options& o)
{
    const std::string why = T2LastError();
    return Fail(kNoLink, "no reader on " + o.portName + ": " + (why.empty() ? "the library gives no reason" : why));
}

int Version(const Options& o)
{
    const int32_t handle = lc_init(o.port, o.baud);
    if (handle == -1)
        return NoLink(o);
    std::string version;
    const int32_t r = ReadVersion(handle, version);
    lc_exit(handle);
    if (r != 0)
        return Fail(kStepFailed, "version: " + Code(r));
    Say("%s\n", record::Printable(version).c_str());
    return kOk;
}

int ApplyFile(const Options& o, const setting::File& file)
{
    Plan plan = PlanOf(file);
    if (o.dryRun) {
        Say("lc_init(%d, %d)  ; %s\n", o.port, o.baud, o.portName.c_str());
        if (plan.keyText) {
            Say("asc_hex(\"%s\", key, 6)\n", plan.keyText->c_str());
            KeyBytes(*plan.keyText, plan.steps.key);  // checked when the file loaded
        }
        for (const Step& step : plan.steps.steps)
            Say("%s\npause %d ms%s\n", Call(step, plan.steps).c_str(), step.pauseMs,
                step.pauseAfterFailure ? ", also after a failure" : "");
        Say("lc_exit(handle)\n");
        return kOk;
    }
    const int32_t handle = lc_init(o.port, o.baud);
    if (handle == -1)
        return NoLink(o);
    Say("%s at %d baud: %s\n", o.portName.c_str(), o.baud, setting::Describe(file).toUtf8().constData());
    const Outcome outcome = ApplyOn(handle, plan);
    lc_exit(handle);
    if (outcome.code != 0)
        return Fail(kStepFailed, outcome.step + " failed: " + Code(outcome.code));
    Say("done: the reader took the setting\n");
    return kOk;
}

int Check(const Options& o, const setting::File& file)
{
    Say("%s: %s\n", o.file.toUtf8().constData(), setting::Describe(file).toUtf8().constData());
    return kOk;
}
