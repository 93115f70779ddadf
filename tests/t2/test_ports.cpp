// Which port "USB" means where the system lists its serial ports.
#include <gtest/gtest.h>

#include "t2/devices.h"

namespace {

using t2dev::FirstUsbPort;
using t2dev::PortInfo;

TEST(UsbPort, LowestNumberedPortOnAUsbBus)
{
    struct Case {
        const char* what;
        std::vector<PortInfo> ports;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"nothing listed", {}, std::nullopt},
        {"built-in ports only", {{"COM1", "ACPI"}, {"COM2", "ACPI"}}, std::nullopt},
        {"the USB one among built-in ones", {{"COM1", "ACPI"}, {"COM5", "USB"}, {"COM2", "ACPI"}}, "COM5"},
        {"by number, not by listing order", {{"COM12", "USB"}, {"COM9", "USB"}, {"COM10", "FTDIBUS"}}, "COM9"},
        {"a driver's own bus", {{"COM7", "FTDIBUS"}, {"COM3", "PCI"}}, "COM7"},
        {"any case", {{"com4", "usb"}}, "com4"},
        {"names that are no COM port", {{"LPT1", "USB"}, {"COM", "USB"}, {"COMX", "USB"}, {"COM0", "USB"},
                                        {"", "USB"}, {"COM6", "USB"}}, "COM6"},
        {"no bus known", {{"COM3", ""}}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstUsbPort(c.ports), c.expected) << c.what;
}

}  // namespace
