#include "t2/serial.h"

#include <libserialport.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace t2 {

namespace {

std::string SpMessage()
{
    char* text = sp_last_error_message();
    std::string message = text ? text : "unknown error";
    sp_free_error_message(text);
    return message;
}

SerialLine::Failure FailureOf(int err)
{
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:  // a built-in port's node without a UART behind it
        return SerialLine::Failure::NoDevice;
    case EBUSY:
    case EWOULDBLOCK:
        return SerialLine::Failure::Busy;
    case EACCES:
    case EPERM:
        return SerialLine::Failure::Denied;
    default:
        return SerialLine::Failure::Other;
    }
}

std::optional<speed_t> Speed(int32_t baud)
{
    switch (baud) {
    case 9600: return B9600;
    case 115200: return B115200;
    default: return std::nullopt;
    }
}

// Checked on the open descriptor: a path may lead elsewhere by the time it is opened.
std::string Untrusted(int fd, bool ownOnly)
{
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !isatty(fd))
        return "not a serial device";
    // A pseudo-terminal's number goes to whoever opens one next, so an entry
    // left behind may lead to another user's; a serial port's device stays
    // the system's, and its permissions are the system's to give.
    const bool pseudo = major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
    if (ownOnly && pseudo && (st.st_uid != geteuid() || (st.st_mode & S_IWOTH))) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        return "refused: a device-folder entry must lead to a tty of your own that others cannot write to "
               "(this one: owner user id " + std::to_string(st.st_uid) + ", mode " + mode + ")";
    }
    return {};
}

}  // namespace

// What the port was set to before we opened it.
struct SerialLine::Settings {
    struct termios tio;
};

std::unique_ptr<SerialLine> SerialLine::Open(const std::string& path, int32_t baud, OpenError& error,
                                             bool ownOnly)
{
    std::unique_ptr<SerialLine> line(new SerialLine);
    line->fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line->fd_ < 0) {
        error = {FailureOf(errno), std::strerror(errno)};
        return nullptr;
    }
    if (std::string why = Untrusted(line->fd_, ownOnly); !why.empty()) {
        error = {Failure::Other, why};
        return nullptr;
    }
    // TIOCEXCL keeps out other openers but not root; the lock keeps out
    // every program that asks for it, root included. Nothing is changed
    // before the lock: while another program holds the port, its settings
    // are that program's.
    if (flock(line->fd_, LOCK_EX | LOCK_NB) != 0) {
        error = {FailureOf(errno), std::strerror(errno)};
        return nullptr;
    }
    // Read before libserialport's open, which makes the line raw and whose close leaves it so.
    if (struct termios tio{}; tcgetattr(line->fd_, &tio) == 0)
        line->saved_.reset(new Settings{tio});
    if (!line->Configure(path, baud, error))
        return nullptr;
    // After the lock, so that a tty marked exclusive always has its holder's
    // lock on it; after setting up, as it would keep out libserialport's open.
    line->exclusive_ = ioctl(line->fd_, TIOCEXCL) == 0;
    line->Discard();
    return line;
}

SerialLine::~SerialLine()
{
    if (saved_)
        tcsetattr(fd_, TCSANOW, &saved_->tio);
    // The exclusive mark outlives our descriptor while anyone else keeps the
    // tty open (the emulator does), and would shut out the next open.
    if (exclusive_)
        ioctl(fd_, TIOCNXCL);
    if (fd_ >= 0)
        close(fd_);
}

bool SerialLine::Configure(const std::string& path, int32_t baud, OpenError& error)
{
    // Ports that libserialport knows are set up through it; it refuses
    // pseudo-terminals (they have no entry under /sys/class/tty and no modem
    // lines), which are set up with termios directly. It opens the port
    // again for that, while ours keeps it open, so its close hangs nothing up.
    struct sp_port* port = nullptr;
    if (sp_get_port_by_name(path.c_str(), &port) == SP_OK) {
        struct sp_port_config* config = nullptr;
        bool ok = sp_open(port, SP_MODE_READ_WRITE) == SP_OK && sp_new_config(&config) == SP_OK &&
                  sp_set_config_baudrate(config, baud) == SP_OK && sp_set_config_bits(config, 8) == SP_OK &&
                  sp_set_config_parity(config, SP_PARITY_NONE) == SP_OK && sp_set_config_stopbits(config, 1) == SP_OK &&
                  sp_set_config_flowcontrol(config, SP_FLOWCONTROL_NONE) == SP_OK && sp_set_config(port, config) == SP_OK;
        if (!ok)
            error = {Failure::Other, "cannot set " + std::to_string(baud) + " baud 8N1: " + SpMessage()};
        sp_free_config(config);
        sp_close(port);
        sp_free_port(port);
        return ok;
    }
    auto speed = Speed(baud);
    struct termios tio{};
    if (!speed || tcgetattr(fd_, &tio) != 0) {
        error = {Failure::Other, "cannot set " + std::to_string(baud) + " baud 8N1"};
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, *speed) != 0 || cfsetospeed(&tio, *speed) != 0 || tcsetattr(fd_, TCSANOW, &tio) != 0) {
        error = {Failure::Other, "cannot set " + std::to_string(baud) + " baud 8N1: " + std::strerror(errno)};
        return false;
    }
    return true;
}

SerialLine::Io SerialLine::Write(std::span<const uint8_t> bytes, Clock::time_point deadline)
{
    size_t done = 0;
    while (done < bytes.size()) {
        unsigned ms = RemainingMs(deadline);
        ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return Io::Lost;
        if (ms == 0) {
            tcflush(fd_, TCOFLUSH);
            return Io::Timeout;
        }
        struct pollfd p{fd_, POLLOUT, 0};
        if (poll(&p, 1, static_cast<int>(ms)) < 0 && errno != EINTR)
            return Io::Lost;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
            return Io::Lost;
    }
    return Io::Ok;
}

SerialLine::Io SerialLine::Read(std::vector<uint8_t>& out, Clock::time_point deadline)
{
    uint8_t buffer[512];
    for (;;) {
        struct pollfd p{fd_, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(RemainingMs(deadline)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Io::Lost;
        if (ready == 0)
            return Io::Timeout;
        if (!(p.revents & POLLIN))
            return Io::Lost;  // hung up or failed with nothing left to read
        ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
            return Io::Ok;
        }
        // Readable yet nothing: end of file or an error, unless the wake-up
        // was spurious (a raw tty without a minimum reads "nothing yet" as 0 bytes).
        bool hungUp = p.revents & (POLLHUP | POLLERR);
        bool spurious = n == 0 ? !hungUp : errno == EAGAIN || errno == EINTR;
        if (!spurious)
            return Io::Lost;
        if (Clock::now() >= deadline)
            return Io::Timeout;
    }
}

bool SerialLine::Gone() const
{
    struct pollfd p{fd_, 0, 0};
    int ready = 0;
    while ((ready = poll(&p, 1, 0)) < 0 && errno == EINTR) {
    }
    return ready < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

void SerialLine::Discard()
{
    tcflush(fd_, TCIFLUSH);
}

}  // namespace t2
