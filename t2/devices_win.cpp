#include "t2/devices.h"

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include "t2/devices_system.h"

namespace t2dev {

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

}  // namespace

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

std::optional<std::string> SocketPortName(std::string_view) { return std::nullopt; }

}  // namespace t2dev
