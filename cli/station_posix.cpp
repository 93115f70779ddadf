#include "cli/station_system.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace {
std::atomic<bool> asked = false;
}  // namespace

StopAfterTheCurrentReader::StopAfterTheCurrentReader()
{
    struct sigaction stop{};
    stop.sa_handler = [](int) { asked = true; };
    stop.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &stop, nullptr);
}

StopAfterTheCurrentReader::~StopAfterTheCurrentReader() = default;

bool StopAfterTheCurrentReader::Asked() { return asked; }

struct TypedKeys::Terminal {
    termios was;
};

TypedKeys::TypedKeys()
{
    termios was;
    if (tcgetattr(STDIN_FILENO, &was) != 0)
        return;
    terminal_ = std::make_unique<Terminal>(Terminal{was});
    termios keys = was;
    keys.c_lflag &= ~(ICANON | ECHO);  // Ctrl+C still stops the station
    keys.c_iflag |= ICRNL;             // Enter is a newline
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &keys);
}

TypedKeys::~TypedKeys()
{
    if (terminal_)
        tcsetattr(STDIN_FILENO, TCSANOW, &terminal_->was);
}

int TypedKeys::Read(char* data, size_t size, std::chrono::milliseconds wait)
{
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&in, 1, static_cast<int>(wait.count()));
    if (ready <= 0)
        return ready == 0 || errno == EINTR ? 0 : -1;
    const ssize_t n = read(STDIN_FILENO, data, size);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return 0;
    return n > 0 ? static_cast<int>(n) : -1;
}
