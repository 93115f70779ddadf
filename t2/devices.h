// Where a port name ("USB", "COM1".."COM256", on Linux "USB:1.2") leads: the
// per-user device folder first, then the platform's defaults. The library
// looks entries up here, and the emulator publishes and removes them here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace t2dev {

constexpr int kMaxCom = 256;
constexpr int32_t kUsbNumber = 100;
// The longest port name: a socket's, five hub tiers deep with an adapter's
// interface and port, is under 50. A longer name is no port.
constexpr size_t kMaxPortName = 64;
// For messages, texts that other texts are made of: the COM names there are
// (kMaxCom), all the names there are, and those with a number (COM101's
// n-1 would be USB's).
#define T2DEV_COM_NAMES "COM1..COM256"
#ifdef _WIN32
inline constexpr const char* kPortNames = "USB or " T2DEV_COM_NAMES;
#else
inline constexpr const char* kPortNames = "USB, " T2DEV_COM_NAMES " or a USB socket's name (USB:1.2)";
#endif
inline constexpr const char* kNumberedPortNames = "USB and " T2DEV_COM_NAMES " but COM101";

// n of "COMn" for n in 1..kMaxCom, in any case; nothing for another name.
std::optional<int> ComNumber(std::string_view name);
// "COMn" for n-1 and "USB" for 100; nothing for any other number. COM101,
// whose n-1 is USB's, has no number.
std::optional<std::string> PortName(int32_t port);
// The name as the device folder and the library spell it ("USB", "COM12",
// "USB:1.2"), from any case; nothing for a name that is no port, or one
// longer than kMaxPortName.
std::optional<std::string> CanonicalPortName(std::string_view name);
bool IsPortName(std::string_view name);
// A socket's name, "USB:1.2", from the name of udev's /dev/serial/by-path
// link for it: the hub ports after "usb-0:", with the interface and the
// adapter's port where they are not the first. Nothing for a link off USB.
std::optional<std::string> SocketName(std::string_view byPath);

struct Device {
    std::string path;   // what to open; empty when nothing was found
    std::string where;  // for messages: the path, or the folder entry and its target
    std::string note;   // why the device folder was ignored, when it was
    // Found in the device folder: it must then be the user's own tty, since a
    // leftover entry may lead to a tty number someone else has since taken.
    bool inFolder = false;
    // The device folder's entry looked for first and not there: where an
    // emulated reader would be, for a message when nothing is found.
    std::string folderEntry{};
    // Why the port could not be looked up (the device folder could not be
    // opened for now, as with no descriptor left); then nothing was found.
    std::string failure{};
};
Device FindDevice(const std::string& portName);
// Why the device folder is ignored, as FindDevice notes it for every port;
// empty when it is used or there is none.
std::string IgnoredFolder();
// Every port name that leads to a device here, those that lead to one device
// together: the device folder's entries, USB, COMn for the system's serial
// ports and, on Linux, a socket's name for each of udev's by-path links. In
// the order USB, COMn by n, sockets.
std::vector<std::vector<std::string>> PortsByDevice();

#ifndef _WIN32

// A descriptor that closes itself.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// $XDG_RUNTIME_DIR/tavelin, or <tmpdir>/tavelin-<uid> where that is unset.
std::string DeviceFolderPath();

// Unopened: not opened for now (no descriptor or memory left), so what it
// holds is not known.
enum class FolderState { Absent, Usable, Unsafe, Unopened };
struct FolderCheck {
    FolderState state;
    std::string why;  // for Unsafe: what is wrong and how to mend it; for Unopened, the system's words
    Fd folder;        // for Usable: the folder, open
};
// A folder is trusted only when it is a real directory owned by the user
// and closed to group and others: anyone else could point "USB" anywhere.
// It is opened once, without following a link, and checked through that
// handle; entries are then looked up relative to the handle, so a folder
// swapped after the check is never used.
FolderCheck OpenFolder(const std::string& path);

// The target of the entry `portName` in the open `folder`; empty when there is none.
std::string ReadEntry(int folder, const std::string& portName);
// Points the entry at `target` in one step, so that a client never finds it
// missing and a stale entry of a reader that died leads here from then on.
// The reason when it cannot.
std::string PublishEntry(int folder, const std::string& portName, const std::string& target);
// Removes the entry if it still leads to `target`, and says whether it did:
// a newer publisher's entry stays.
bool RemoveEntry(int folder, const std::string& portName, const std::string& target);

// Holds the name `portName` in the open `folder` for this process while the
// returned descriptor stays open, however the process ends. Where another
// live process holds it, no descriptor, with that process's id in `holder`
// (0 where it has not written it yet). Where the name cannot be held (its
// lock file is a link or a folder, say), no descriptor, -1 in `holder` and
// the file and the reason in `why`.
Fd ClaimEntry(int folder, const std::string& portName, pid_t& holder, std::string& why);

#endif

// A serial port as the system lists it: its name ("COM4") and the bus
// driver that enumerated it ("USB", "FTDIBUS", "ACPI", ...).
struct PortInfo {
    std::string name;
    std::string enumerator;
};
// What "USB" means on Windows: the lowest-numbered COM port on a USB bus.
// The system lists ports in no useful order, and the lowest number is the
// one a user would try first.
std::optional<std::string> FirstUsbPort(const std::vector<PortInfo>& ports);

}  // namespace t2dev
