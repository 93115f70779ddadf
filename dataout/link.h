// What the window and tavelin-config both say to a reader outside a setting:
// which port and rate a name means, a key's text as bytes, and the version
// read. One rule each, so that both front ends call the library alike.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "t2/protocol.h"

namespace params {

constexpr int32_t kUsbPort = 100;

// The window's port list by the library's numbers, in its order: USB, then
// COM1..COM9. The command line takes more, by the rules below.
inline constexpr int32_t kWindowPorts[] = {kUsbPort, 0, 1, 2, 3, 4, 5, 6, 7, 8};

// The serial ports past the window's list that the system has now, COM10 and
// up, by their numbers, in order: an adapter on Windows is often COM10 or more.
std::vector<int32_t> MoreComPorts();

// A port's name by its number: "USB", or "COMn" for n-1.
std::string PortName(int32_t number);
// The library's number for a port's name, in any case: USB's, and COMn's n-1
// for COM1..COM256 (not COM101, as 100 is USB's); nothing for another name.
std::optional<int32_t> PortNumber(std::string_view name);

// A port the command line names: its name as the library spells it, and its
// number where it has one. A name without a number, a socket's ("USB:1.2")
// or COM101, is opened by name, which only our library does.
struct Port {
    std::string name;
    std::optional<int32_t> number;
};
// USB, COM1..COM256 and, on Linux, USB: and a socket, in any case; nothing for another name.
std::optional<Port> ParsePort(std::string_view name);

// The rates a reader takes: the window's list, in its order.
inline constexpr auto& kBaudRates = t2proto::kBaudRates;
// A rate of kBaudRates from its digits; nothing for another text.
std::optional<int32_t> BaudRate(std::string_view digits);

// `text` through the library's asc_hex into `key`; false where the library
// refuses it. Only the first 127 bytes go, as a 128-byte buffer holds them
// with the terminating zero.
bool KeyBytes(std::string_view text, std::array<unsigned char, 6>& key);

// The longest version the library's 256-byte buffer holds: one this long
// may have been cut, as the library does not say whether the reader sent more.
inline constexpr size_t kVersionMax = 255;

// The reader's firmware version as one line that the window, a terminal and
// the station's record all show as it is: VersionLine of the bytes read.
// The library's call takes a 256-byte buffer and a length pointer; the
// length counts a NUL inside the text too. A maker's library may write the
// length unasked, leave it unset or wrong, or leave the text unterminated:
// zero-filled, read back bounded by the buffer.
int32_t ReadVersion(int32_t handle, std::string& version);

// A version's bytes as one line, byte for byte: what is not printable UTF-8
// (a NUL, control characters, C1 ones too, bytes of no UTF-8 sequence) and a
// backslash written \xNN. One that fills the library's buffer may have been
// cut and ends in \..., which no escaped text holds: two readers that
// differ past the cut are not taken for the same.
std::string VersionLine(std::string_view read);

}  // namespace params
