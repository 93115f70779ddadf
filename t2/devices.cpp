#include "t2/devices.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace t2dev {

std::optional<std::string> PortName(int32_t port)
{
    if (port >= 0 && port <= 8)
        return "COM" + std::to_string(port + 1);
    if (port == 100)
        return "USB";
    return std::nullopt;
}

bool IsPortName(std::string_view name)
{
    return name == "USB" || (name.size() == 4 && name.starts_with("COM") && name[3] >= '1' && name[3] <= '9');
}

#ifdef _WIN32

namespace {

std::string RegistryText(const BYTE* data, DWORD size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    return text.substr(0, text.find('\0'));
}

std::vector<PortInfo> ListPorts()
{
    std::vector<PortInfo> ports;
    HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return ports;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        BYTE data[256];
        DWORD size = sizeof data;
        PortInfo port;
        if (HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
            key != INVALID_HANDLE_VALUE) {
            if (RegQueryValueExA(key, "PortName", nullptr, nullptr, data, &size) == ERROR_SUCCESS)
                port.name = RegistryText(data, size);
            RegCloseKey(key);
        }
        if (SetupDiGetDeviceRegistryPropertyA(set, &info, SPDRP_ENUMERATOR_NAME, nullptr, data, sizeof data, &size))
            port.enumerator = RegistryText(data, size);
        ports.push_back(std::move(port));
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

}  // namespace

// COMn is the system's own name; USB is looked up among the ports present.
Device FindDevice(const std::string& portName)
{
    if (portName != "USB")
        return {portName, portName, {}};
    if (auto port = FirstUsbPort(ListPorts()))
        return {*port, *port, {}};
    return {{}, "a USB serial port (none is plugged in)", {}};
}

std::string IgnoredFolder() { return {}; }

#else

std::string DeviceFolderPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/tavelin";
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tavelin-" + std::to_string(geteuid());
}

FolderCheck OpenFolder(const std::string& path)
{
    Fd folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st{};
    if (!folder || fstat(folder.get(), &st) != 0) {
        if (errno == ENOENT)
            return {FolderState::Absent, {}, {}};
        return {FolderState::Unsafe, errno == ELOOP || errno == ENOTDIR ? "not a directory" : std::strerror(errno), {}};
    }
    if (st.st_uid != geteuid())
        return {FolderState::Unsafe, "owned by user id " + std::to_string(st.st_uid) + ", not by you", {}};
    if (st.st_mode & 077) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        return {FolderState::Unsafe, std::string("open to group or others (mode ") + mode + "); chmod 700 it", {}};
    }
    return {FolderState::Usable, {}, std::move(folder)};
}

std::string ReadEntry(int folder, const std::string& portName)
{
    std::string target(4096, '\0');
    ssize_t n = readlinkat(folder, portName.c_str(), target.data(), target.size() - 1);
    target.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return target;
}

std::string PublishEntry(int folder, const std::string& portName, const std::string& target)
{
    std::string temporary = "." + portName + "." + std::to_string(getpid());
    unlinkat(folder, temporary.c_str(), 0);
    if (symlinkat(target.c_str(), folder, temporary.c_str()) != 0 ||
        renameat(folder, temporary.c_str(), folder, portName.c_str()) != 0) {
        std::string why = std::strerror(errno);
        unlinkat(folder, temporary.c_str(), 0);
        return why;
    }
    return {};
}

bool RemoveEntry(int folder, const std::string& portName, const std::string& target)
{
    // Taken aside in one step, so that what is checked is what is removed;
    // another's entry goes back unless yet another took its place meanwhile.
    std::string aside = "." + portName + ".removing." + std::to_string(getpid());
    if (renameat(folder, portName.c_str(), folder, aside.c_str()) != 0)
        return false;
    bool ours = ReadEntry(folder, aside) == target;
    if (ours || renameat2(folder, aside.c_str(), folder, portName.c_str(), RENAME_NOREPLACE) != 0)
        unlinkat(folder, aside.c_str(), 0);
    return ours;
}

Fd ClaimEntry(int folder, const std::string& portName, pid_t& holder)
{
    // A lock on a file of its own: the system lets go of it with the process.
    const std::string name = "." + portName + ".holder";
    Fd claim(openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    holder = claim ? 0 : -1;
    if (!claim)
        return {};
    if (flock(claim.get(), LOCK_EX | LOCK_NB) != 0) {
        char text[16] = {};
        if (pread(claim.get(), text, sizeof text - 1, 0) > 0)
            holder = std::atoi(text);
        return {};
    }
    const std::string pid = std::to_string(getpid());
    if (ftruncate(claim.get(), 0) != 0 || pwrite(claim.get(), pid.data(), pid.size(), 0) < 0)
        holder = -1;
    return claim;
}

namespace {

std::string Ignored(const std::string& folder, const FolderCheck& check)
{
    return check.state == FolderState::Unsafe ? "device folder " + folder + " ignored: " + check.why : "";
}

bool Exists(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0;
}

// The folder's entry for the port, when the folder is trusted and has one.
// Otherwise `note` says why the folder was ignored, or `entry` names the
// entry that is not there.
std::optional<Device> FromFolder(const std::string& portName, std::string& note, std::string& entry)
{
    std::string folder = DeviceFolderPath();
    entry = folder + "/" + portName;
    FolderCheck check = OpenFolder(folder);
    note = Ignored(folder, check);
    if (!note.empty())
        entry.clear();
    if (check.state != FolderState::Usable)
        return std::nullopt;

    std::string target = ReadEntry(check.folder.get(), portName);
    if (target.empty() && errno == ENOENT)
        return std::nullopt;
    // Only an absolute target stays what was read here; anything else would
    // be looked up through the folder's path again.
    if (!target.starts_with('/'))
        return Device{{}, entry + " (not a symbolic link to a device's absolute path)", {}, true};
    return Device{target, entry + " -> " + target, {}, true};
}

}  // namespace

std::string IgnoredFolder()
{
    const std::string folder = DeviceFolderPath();
    return Ignored(folder, OpenFolder(folder));
}

Device FindDevice(const std::string& portName)
{
    std::string note, entry;
    if (auto device = FromFolder(portName, note, entry))
        return *device;
    if (portName == "USB") {
        for (const char* candidate : {"/dev/ttyUSB0", "/dev/ttyACM0"})
            if (Exists(candidate))
                return {candidate, candidate, note, false, entry};
        return {{}, "/dev/ttyUSB0 or /dev/ttyACM0", note, false, entry};
    }
    // COMn is the n-th built-in serial port.
    std::string path = "/dev/ttyS" + std::to_string(portName.back() - '1');
    return {path, path, note, false, entry};
}

#endif

std::optional<std::string> FirstUsbPort(const std::vector<PortInfo>& ports)
{
    auto upper = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
        return text;
    };
    // COM and a number from 1, nothing else; 0 for any other name.
    auto number = [&upper](const std::string& name) {
        std::string digits = upper(name).starts_with("COM") ? name.substr(3) : "";
        bool whole = !digits.empty() && digits.size() <= 3 && digits[0] != '0' &&
                     std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
        return whole ? std::stoi(digits) : 0;
    };
    const PortInfo* best = nullptr;
    for (const auto& port : ports) {
        // USB-serial drivers enumerate as USB itself or as a bus of their own (FTDIBUS, ...).
        std::string bus = upper(port.enumerator);
        bool usb = bus.starts_with("USB") || bus == "FTDIBUS";
        if (usb && number(port.name) > 0 && (!best || number(port.name) < number(best->name)))
            best = &port;
    }
    return best ? std::optional(best->name) : std::nullopt;
}

}  // namespace t2dev
