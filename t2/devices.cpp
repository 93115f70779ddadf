#include "t2/devices.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <tuple>

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace t2dev {

namespace {

std::string Upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

bool SameLetters(std::string_view a, std::string_view b) { return Upper(a) == Upper(b); }

// Where names that lead to one device are listed together, and in which order.
struct Order {
    bool operator()(const std::string& a, const std::string& b) const { return Key(a) < Key(b); }
    static std::tuple<int, int, std::string> Key(const std::string& name)
    {
        if (name == "USB")
            return {0, 0, name};
        if (auto n = ComNumber(name))
            return {1, *n, name};
        return {2, 0, name};
    }
};

}  // namespace

std::optional<int> ComNumber(std::string_view name)
{
    if (name.size() < 4 || name.size() > 6 || !SameLetters(name.substr(0, 3), "COM") || name[3] == '0' ||
        !std::all_of(name.begin() + 3, name.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    const int n = std::stoi(std::string(name.substr(3)));
    return n <= kMaxCom ? std::optional(n) : std::nullopt;
}

std::optional<std::string> PortName(int32_t port)
{
    if (port == kUsbNumber)
        return "USB";
    if (port >= 0 && port < kMaxCom)
        return "COM" + std::to_string(port + 1);
    return std::nullopt;
}

std::optional<std::string> CanonicalPortName(std::string_view name)
{
    if (SameLetters(name, "USB"))
        return "USB";
    if (auto n = ComNumber(name))
        return "COM" + std::to_string(*n);
#ifndef _WIN32
    // Hub ports, then the interface and the adapter's port where they are not the first.
    static const std::regex socket(R"(usb:[0-9]+(\.[0-9]+)*(:[0-9]+\.[0-9]+)?(-port[0-9]+)?)", std::regex::icase);
    if (std::regex_match(name.begin(), name.end(), socket)) {
        std::string place(name.substr(4));
        std::transform(place.begin(), place.end(), place.begin(), [](unsigned char c) { return std::tolower(c); });
        return "USB:" + place;
    }
#endif
    return std::nullopt;
}

bool IsPortName(std::string_view name)
{
    return CanonicalPortName(name) == name;
}

std::optional<std::string> SocketName(std::string_view byPath)
{
    size_t at = std::string_view::npos;
    for (std::string_view usb : {"-usb-0:", "-usbv2-0:"})
        if (size_t found = byPath.find(usb); found != std::string_view::npos)
            at = found + usb.size();
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view place = byPath.substr(at);
    for (std::string_view first : {"-port0", ":1.0"})
        if (place.ends_with(first))
            place.remove_suffix(first.size());
    auto name = CanonicalPortName("USB:" + std::string(place));
    return name && name->starts_with("USB:") ? name : std::nullopt;
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

// Every port present, virtual ones too, as the system maps its devices to COM names.
std::vector<std::string> SerialComm()
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char value[256];
    BYTE data[256];
    for (DWORD i = 0;; ++i) {
        DWORD valueSize = sizeof value, dataSize = sizeof data, type = 0;
        const LONG r = RegEnumValueA(key, i, value, &valueSize, nullptr, &type, data, &dataSize);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS && type == REG_SZ)
            names.push_back(RegistryText(data, dataSize));
    }
    RegCloseKey(key);
    return names;
}

std::vector<std::string> PortNames()
{
    std::vector<std::string> names{"USB"};
    for (const PortInfo& port : ListPorts())
        names.push_back(port.name);
    for (std::string& name : SerialComm())
        names.push_back(std::move(name));
    std::vector<std::string> ours;
    for (const std::string& name : names)
        if (auto canonical = CanonicalPortName(name))
            ours.push_back(*canonical);
    return ours;
}

std::string DeviceKey(const std::string& path) { return Upper(path); }

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

constexpr const char* kSockets = "/dev/serial/by-path";

// The names in a folder, which this closes; none where it could not be opened.
std::vector<std::string> EntryNames(DIR* folder)
{
    std::vector<std::string> names;
    if (!folder)
        return names;
    while (const dirent* entry = readdir(folder))
        names.emplace_back(entry->d_name);
    closedir(folder);
    return names;
}

std::string DeviceKey(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

// The device in the socket `name` names, through udev's by-path links. Two
// USB controllers may have a socket of that name each: then it is none.
Device FromSockets(const std::string& name, const std::string& note, const std::string& entry)
{
    std::vector<std::string> links, devices;
    for (const std::string& link : EntryNames(opendir(kSockets))) {
        const std::string path = std::string(kSockets) + "/" + link;
        if (SocketName(link) == name && std::find(devices.begin(), devices.end(), DeviceKey(path)) == devices.end()) {
            links.push_back(path);
            devices.push_back(DeviceKey(path));
        }
    }
    if (devices.size() == 1)
        return {devices[0], links[0] + " -> " + devices[0], note, false, entry};
    if (devices.empty())
        return {{}, std::string(kSockets) + "/*-usb-0:" + name.substr(4) + "*", note, false, entry};
    std::string all;
    for (const std::string& link : links)
        all += (all.empty() ? "" : ", ") + link;
    return {{}, "one socket of " + all + " (two USB controllers give it the name; a device-folder entry " + name +
                    " leading to one takes it)",
            note, false, entry};
}

std::vector<std::string> PortNames()
{
    std::vector<std::string> names{"USB"};
    for (int n = 1; n <= kMaxCom; ++n)
        if (Exists("/dev/ttyS" + std::to_string(n - 1)))
            names.push_back("COM" + std::to_string(n));
    for (const std::string& link : EntryNames(opendir(kSockets)))
        if (auto name = SocketName(link))
            names.push_back(*name);
    if (FolderCheck check = OpenFolder(DeviceFolderPath()); check.state == FolderState::Usable)
        for (const std::string& entry : EntryNames(fdopendir(dup(check.folder.get()))))
            if (IsPortName(entry))
                names.push_back(entry);
    return names;
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
    if (portName.starts_with("USB:"))
        return FromSockets(portName, note, entry);
    // COMn is the n-th built-in serial port.
    std::string path = "/dev/ttyS" + std::to_string(ComNumber(portName).value_or(0) - 1);
    return {path, path, note, false, entry};
}

#endif

std::optional<std::string> FirstUsbPort(const std::vector<PortInfo>& ports)
{
    const PortInfo* best = nullptr;
    for (const auto& port : ports) {
        // USB-serial drivers enumerate as USB itself or as a bus of their own (FTDIBUS, ...).
        std::string bus = Upper(port.enumerator);
        bool usb = bus.starts_with("USB") || bus == "FTDIBUS";
        if (usb && ComNumber(port.name) && (!best || *ComNumber(port.name) < *ComNumber(best->name)))
            best = &port;
    }
    return best ? std::optional(best->name) : std::nullopt;
}

std::vector<std::vector<std::string>> PortsByDevice()
{
    std::vector<std::string> names = PortNames();
    std::sort(names.begin(), names.end(), Order());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::vector<std::vector<std::string>> groups;
    std::vector<std::string> devices;
    for (const std::string& name : names) {
        const std::string device = DeviceKey(FindDevice(name).path);
        if (device.empty())
            continue;
        const size_t at = std::find(devices.begin(), devices.end(), device) - devices.begin();
        if (at == devices.size()) {
            devices.push_back(device);
            groups.emplace_back();
        }
        groups[at].push_back(name);
    }
    return groups;
}

}  // namespace t2dev
