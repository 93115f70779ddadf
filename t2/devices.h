// Where a port name ("COM1".."COM9", "USB") leads: the per-user device folder
// first, then the platform's defaults. The library looks devices up here and
// the emulator publishes into the same folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t2dev {

// "COM1".."COM9" for 0..8, "USB" for 100; nothing for any other number.
std::optional<std::string> PortName(int32_t port);
bool IsPortName(std::string_view name);

// $XDG_RUNTIME_DIR/tavelin, or <tmpdir>/tavelin-<uid> where that is unset.
// Not used on Windows (empty there).
std::string DeviceFolderPath();

enum class FolderState { Absent, Usable, Unsafe };
struct FolderCheck {
    FolderState state;
    std::string why;  // for Unsafe: what is wrong and how to mend it
};
// A folder is trusted only when it is a real directory owned by the user
// and closed to group and others: anyone else could point "USB" anywhere.
FolderCheck CheckFolder(const std::string& path);

struct Device {
    std::string path;   // what to open; empty when nothing was found
    std::string where;  // for messages: the path, or the folder entry and its target
    std::string note;   // why the device folder was ignored, when it was
};
Device FindDevice(const std::string& portName);

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
