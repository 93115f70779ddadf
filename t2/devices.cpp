#include "t2/devices.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "t2/devices_system.h"

namespace t2dev {

std::string Upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

namespace {

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
    if (name.size() > kMaxPortName)
        return std::nullopt;
    if (SameLetters(name, "USB"))
        return "USB";
    if (auto n = ComNumber(name))
        return "COM" + std::to_string(*n);
    return SocketPortName(name);
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
