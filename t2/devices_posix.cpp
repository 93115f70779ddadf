#include "t2/devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <libserialport.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "t2/devices_system.h"

namespace t2dev {

namespace {

// Reads `word` (in any case) at `at` and moves past it; false, not moving, where it is not there.
bool Take(std::string_view text, size_t& at, std::string_view word)
{
    if (text.size() - at < word.size() || Upper(text.substr(at, word.size())) != Upper(word))
        return false;
    at += word.size();
    return true;
}

// Reads one or more digits at `at`.
bool TakeDigits(std::string_view text, size_t& at)
{
    const size_t from = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at > from;
}

}  // namespace

std::optional<std::string> SocketPortName(std::string_view name)
{
    // "USB:" and hub ports (1.2.3), then the interface (:1.1) and the
    // adapter's port (-port1) where they are not the first. Read by hand:
    // a regular expression's matcher recurses once a character.
    size_t at = 0;
    bool ok = Take(name, at, "usb:") && TakeDigits(name, at);
    while (ok && Take(name, at, "."))
        ok = TakeDigits(name, at);
    if (ok && Take(name, at, ":"))
        ok = TakeDigits(name, at) && Take(name, at, ".") && TakeDigits(name, at);
    if (ok && Take(name, at, "-port"))
        ok = TakeDigits(name, at);
    if (!ok || at != name.size())
        return std::nullopt;
    std::string place(name.substr(4));
    std::transform(place.begin(), place.end(), place.begin(), [](unsigned char c) { return std::tolower(c); });
    return "USB:" + place;
}

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
        if (errno == EMFILE || errno == ENFILE || errno == ENOMEM)
            return {FolderState::Unopened, std::strerror(errno), {}};
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

Fd ClaimEntry(int folder, const std::string& portName, pid_t& holder, std::string& why)
{
    // A lock on a file of its own: the system lets go of it with the process.
    const std::string name = "." + portName + ".holder";
    Fd claim(openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat st{};
    if (!claim || fstat(claim.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = DeviceFolderPath() + "/" + name + ": " +
              (!claim && errno == ELOOP ? "a symbolic link" : claim ? "not a file" : std::strerror(errno)) +
              "; remove it";
        holder = -1;
        return {};
    }
    holder = 0;
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
    if (check.state == FolderState::Unopened)
        return Device{{}, folder, {}, true, {}, "cannot open device folder " + folder + ": " + check.why};
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

std::string DeviceKey(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

std::vector<std::string> PortNames()
{
    std::vector<std::string> names{"USB"};
    // libserialport lists the built-in ports that have a UART behind them;
    // the kernel makes a node for each port it might have.
    std::vector<int> uarts;
    if (sp_port** ports = nullptr; sp_list_ports(&ports) == SP_OK) {
        for (sp_port** port = ports; *port; ++port) {
            int n = 0;
            if (std::sscanf(sp_get_port_name(*port), "/dev/ttyS%d", &n) == 1 && n < kMaxCom)
                uarts.push_back(n + 1);
        }
        sp_free_port_list(ports);
    }
    std::ranges::sort(uarts);
    for (int n : uarts)
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

}  // namespace t2dev
