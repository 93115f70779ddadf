// Which port "USB" means where the system lists its serial ports, and the
// names of USB sockets.
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

// Every front end and the library take a name by this one rule. A name past
// the bound is refused, however long, without reading it through.
TEST(PortName, CanonicalFromAnyCaseWithinABound)
{
#ifdef _WIN32
    const bool sockets = false;
#else
    const bool sockets = true;
#endif
    std::string hubs = "USB:1";  // 120 KB of them
    while (hubs.size() < 120000)
        hubs += ".1";
    const std::string longSocket = "usb:1.2.3.4.5.6.7:1.0-port" + std::string(t2dev::kMaxPortName - 26, '1');
    const struct {
        std::string name;
        std::optional<std::string> canonical;
    } cases[] = {
        {"usb", "USB"},
        {"Com12", "COM12"},
        {"com256", "COM256"},
        {"com257", std::nullopt},
        {"COM03", std::nullopt},
        {"LPT1", std::nullopt},
        {"usb:1.2", sockets ? std::optional<std::string>("USB:1.2") : std::nullopt},
        {"Usb:1.2:1.0-PORT1", sockets ? std::optional<std::string>("USB:1.2:1.0-port1") : std::nullopt},
        {"USB:1.2/../x", std::nullopt},
        {"USB:1..2", std::nullopt},
        {longSocket, sockets ? std::optional<std::string>("USB" + longSocket.substr(3)) : std::nullopt},
        {longSocket + "1", std::nullopt},
        {hubs, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 80));
        EXPECT_EQ(t2dev::CanonicalPortName(c.name), c.canonical);
        if (c.canonical) {
            EXPECT_EQ(t2dev::CanonicalPortName(*c.canonical), c.canonical);
        }
    }
}

#ifndef _WIN32
TEST(SocketName, FromUdevsByPathLink)
{
    const struct {
        const char* link;
        std::optional<std::string> name;
    } cases[] = {
        {"pci-0000:00:14.0-usb-0:1.2:1.0-port0", "USB:1.2"},
        {"pci-0000:00:14.0-usbv2-0:1.2:1.0-port0", "USB:1.2"},
        {"platform-xhci-hcd.0.auto-usb-0:1.1.3:1.0-port0", "USB:1.1.3"},
        {"pci-0000:00:14.0-usb-0:3:1.0", "USB:3"},                   // a CDC ACM reader
        {"pci-0000:00:14.0-usb-0:2:1.1-port0", "USB:2:1.1"},         // an adapter's second interface
        {"pci-0000:00:14.0-usb-0:2:1.0-port1", "USB:2:1.0-port1"},  // its second port
        {"pci-0000:00:16.3", std::nullopt},                          // a built-in port
        {"pci-0000:00:14.0-usb-0:", std::nullopt},
        {"pci-0000:00:14.0-usb-0:1/../x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t2dev::SocketName(c.link), c.name) << c.link;
}
#endif

}  // namespace
