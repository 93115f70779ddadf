#include "t2/serial.h"

#include <windows.h>

namespace t2 {

namespace {

SerialLine::Failure FailureOf(DWORD err)
{
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return SerialLine::Failure::NoDevice;
    case ERROR_ACCESS_DENIED:  // how Windows reports a port another program holds
    case ERROR_SHARING_VIOLATION:
        return SerialLine::Failure::Busy;
    default:
        return SerialLine::Failure::Other;
    }
}

std::string SystemMessage(DWORD err)
{
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.'))
        text[--n] = 0;
    return n ? text : "system error " + std::to_string(err);
}

}  // namespace

// What the port was set to before we opened it.
struct SerialLine::Settings {
    DCB dcb;
    COMMTIMEOUTS timeouts;
};

// No device folder here: every port is the system's own.
std::unique_ptr<SerialLine> SerialLine::Open(const std::string& path, int32_t baud, OpenError& error, bool)
{
    // The device namespace reaches COM10 and above too, which the bare name does not.
    std::string device = path.starts_with("\\\\.\\") ? path : "\\\\.\\" + path;
    HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* exclusive */, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        error = {FailureOf(err), SystemMessage(err)};
        return nullptr;
    }
    std::unique_ptr<SerialLine> line(new SerialLine);
    line->handle_ = handle;
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        error = {Failure::Other, "not a serial device"};
        return nullptr;
    }
    Settings saved{};
    saved.dcb.DCBlength = sizeof saved.dcb;
    if (GetCommState(handle, &saved.dcb) && GetCommTimeouts(handle, &saved.timeouts))
        line->saved_.reset(new Settings(saved));
    if (!line->Configure(baud, error))
        return nullptr;
    line->Discard();
    return line;
}

SerialLine::~SerialLine()
{
    if (saved_) {
        SetCommState(handle_, &saved_->dcb);
        SetCommTimeouts(handle_, &saved_->timeouts);
    }
    CloseHandle(handle_);
}

bool SerialLine::Configure(int32_t baud, OpenError& error)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool ok = baud > 0 && SetupComm(handle_, 4096, 4096) && GetCommState(handle_, &dcb);
    if (ok) {
        dcb.BaudRate = static_cast<DWORD>(baud);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        // Many USB adapters stay silent until the host raises DTR and RTS.
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        ok = SetCommState(handle_, &dcb);
    }
    if (!ok)
        error = {Failure::Other,
                 "cannot set " + std::to_string(baud) + " baud 8N1: " + SystemMessage(GetLastError())};
    return ok;
}

SerialLine::Io SerialLine::Write(std::span<const uint8_t> bytes, Clock::time_point deadline)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD ms = RemainingMs(deadline);
        if (ms == 0) {
            PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
            return Io::Timeout;  // 0 would mean "no limit" to the port
        }
        COMMTIMEOUTS timeouts{};
        timeouts.WriteTotalTimeoutConstant = ms;
        DWORD n = 0;
        if (!SetCommTimeouts(handle_, &timeouts) ||
            !WriteFile(handle_, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr))
            return Io::Lost;
        done += n;
    }
    return Io::Ok;
}

SerialLine::Io SerialLine::Read(std::vector<uint8_t>& out, Clock::time_point deadline)
{
    uint8_t buffer[512];
    for (;;) {
        DWORD ms = RemainingMs(deadline);
        if (ms == 0)
            return Io::Timeout;
        // Returns once bytes have come and the line then stays quiet a moment,
        // or at the deadline: a reply comes back whole in one read.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = 10;
        timeouts.ReadTotalTimeoutConstant = ms;
        DWORD n = 0;
        if (!SetCommTimeouts(handle_, &timeouts) || !ReadFile(handle_, buffer, sizeof buffer, &n, nullptr))
            return Io::Lost;
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
            return Io::Ok;
        }
    }
}

bool SerialLine::Gone() const
{
    // A port whose device was unplugged fails every request from then on.
    DWORD errors = 0;
    return !ClearCommError(handle_, &errors, nullptr);
}

void SerialLine::Discard()
{
    PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
}

}  // namespace t2
