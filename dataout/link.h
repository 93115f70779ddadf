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

// "USB" is 100 and "COM1".."COM9" are 0..8, in any case; nothing for another name.
std::optional<int32_t> PortNumber(std::string_view name);
// 9600 or 115200 from its digits; nothing for another text.
std::optional<int32_t> BaudRate(std::string_view digits);

// `text` through the library's asc_hex into `key`; false where the library
// refuses it. Only the first 127 bytes go, as a 128-byte buffer holds them
// with the terminating zero.
bool KeyBytes(std::string_view text, std::array<unsigned char, 6>& key);

// The reader's firmware version text. The library's call takes a 256-byte
// buffer and a length pointer, and a library may write the length unasked
// or leave the text unterminated: zero-filled, read back bounded.
int32_t ReadVersion(int32_t handle, std::string& version);

}  // namespace params
