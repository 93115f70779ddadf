// Start-up of the program against a bare dialog, as whole processes run in
// turn (A B A B ...), so drift of a shared machine falls on both alike.
//   bench_startup [PAIRS]   (default 15, after one warm-up pair)
// Prints each program's median wall time and peak memory, and the median of
// the pair-by-pair ratios program / bare dialog.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
    double seconds;
    double peakMiB;
};

[[noreturn]] void Fail(const std::string& program)
{
    std::fprintf(stderr, "%s did not start and end cleanly\n", program.c_str());
    std::exit(1);
}

Run Start(const std::string& program)
{
    const auto begin = std::chrono::steady_clock::now();
#ifdef _WIN32
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = program;
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        Fail(program);
    // Wine keeps no memory figures of an ended process: the peak is also
    // sampled while it runs (it only grows).
    SIZE_T peak = 0;
    const auto sample = [&] {
        PROCESS_MEMORY_COUNTERS memory{};
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            peak = std::max(peak, memory.PeakWorkingSetSize);
    };
    while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT)
        sample();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    sample();
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (status != 0)
        Fail(program);
    return {took.count(), peak / 1048576.0};
#else
    const pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stderr);  // the toolkit's warnings are not figures
        execl(program.c_str(), program.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Fail(program);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    return {took.count(), usage.ru_maxrss / 1024.0};
#endif
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    // Both programs sit beside this one.
    std::string dir = argv[0];
    dir.erase(dir.find_last_of("/\\") + 1);
#ifdef _WIN32
    // On screen: Windows has no offscreen platform in its static Qt.
    const std::string program = dir + "startup_tavelin.exe";
    const std::string bare = dir + "startup_bare.exe";
#else
    const std::string program = dir + "startup_tavelin";
    const std::string bare = dir + "startup_bare";
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif

    Start(program);
    Start(bare);
    std::vector<double> time[2], memory[2], timeRatio, memoryRatio;
    for (int i = 0; i < pairs; ++i) {
        const Run a = Start(program);
        const Run b = Start(bare);
        time[0].push_back(a.seconds);
        time[1].push_back(b.seconds);
        memory[0].push_back(a.peakMiB);
        memory[1].push_back(b.peakMiB);
        timeRatio.push_back(a.seconds / b.seconds);
        memoryRatio.push_back(a.peakMiB / b.peakMiB);
    }
    std::printf("%d pairs, medians    wall s   peak MiB\n", pairs);
    std::printf("program            %7.3f   %8.1f\n", Median(time[0]), Median(memory[0]));
    std::printf("bare dialog        %7.3f   %8.1f\n", Median(time[1]), Median(memory[1]));
    std::printf("ratio              %7.2fx  %7.2fx\n", Median(timeRatio), Median(memoryRatio));
    return 0;
}
