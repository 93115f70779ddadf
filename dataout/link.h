// What the window and tavelin-config both say to a reader outside a setting:
// which port and rate a name means, a key's text as bytes, and the version
// read. One rule each, so that both front ends call the library alike.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace params {

constexpr int32_t kUsbPort = 100;

// The window's ports, each with the library's number for it; the command line
// takes more, by the rules below.
struct PortName {
    std::string_view name;
    int32_t number;
};
inline constexpr PortName kPorts[] = {{"USB", kUsbPort}, {"COM1", 0}, {"COM2", 1}, {"COM3", 2}, {"COM4", 3},
                                      {"COM5", 4},       {"COM6", 5}, {"COM7", 6}, {"COM8", 7}, {"COM9", 8}};

// The library's number for a port's name, in any case: those of kPorts, and
// COMn's n-1 for the command line's COM10..COM256 (not COM101, as 100 is
// USB's); nothing for another name.
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

// 9600 or 115200 from its digits; nothing for another text.
std::optional<int32_t> BaudRate(std::string_view digits);

// `text` through the library's asc_hex into `key`; false where the library
// refuses it. Only the first 127 bytes go, as a 128-byte buffer holds them
// with the terminating zero.
bool KeyBytes(std::string_view text, std::array<unsigned char, 6>& key);

// The longest version the library's 256-byte buffer holds: one this long
// may have been cut, as the library does not say whether the reader sent more.
inline constexpr size_t kVersionMax = 255;

// The reader's firmware version text. The library's call takes a 256-byte
// buffer and a length pointer, and a library may write the length unasked
// or leave the text unterminated: zero-filled, read back bounded.
int32_t ReadVersion(int32_t handle, std::string& version);

}  // namespace params
