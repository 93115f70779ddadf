#include "dataout/link.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "t2/devices.h"
#include "t2/one_line.h"
#include "t2/t2.h"

namespace params {

static_assert(kUsbPort == t2dev::kUsbNumber);

std::vector<int32_t> MoreComPorts()
{
    std::set<int32_t> numbers;
    for (const std::vector<std::string>& device : t2dev::PortsByDevice())
        for (const std::string& name : device)
            if (const auto n = t2dev::ComNumber(name); n && *n > std::ssize(kWindowPorts) - 1)
                if (const auto number = PortNumber(name))
                    numbers.insert(*number);
    return {numbers.begin(), numbers.end()};
}

std::string PortName(int32_t number)
{
    return t2dev::PortName(number).value_or(std::string());
}

std::optional<int32_t> PortNumber(std::string_view name)
{
    if (t2dev::CanonicalPortName(name) == PortName(kUsbPort))
        return kUsbPort;
    if (const auto n = t2dev::ComNumber(name); n && *n - 1 != kUsbPort)
        return *n - 1;
    return std::nullopt;
}

std::optional<Port> ParsePort(std::string_view name)
{
    const auto canonical = t2dev::CanonicalPortName(name);
    if (!canonical)
        return std::nullopt;
    return Port{*canonical, PortNumber(*canonical)};
}

std::optional<int32_t> BaudRate(std::string_view digits)
{
    for (const int32_t rate : kBaudRates)
        if (digits == std::to_string(rate))
            return rate;
    return std::nullopt;
}

bool KeyBytes(std::string_view text, std::array<unsigned char, 6>& key)
{
    char buffer[128] = {};
    text.copy(buffer, sizeof buffer - 1);
    return asc_hex(buffer, key.data(), int32_t(key.size())) == 0;
}

int32_t ReadVersion(int32_t handle, std::string& version)
{
    char text[kVersionMax + 1] = {};
    int32_t length = -1;  // as a library that writes none leaves it
    const int32_t r = lc_getver(handle, reinterpret_cast<unsigned char*>(text), &length);
    // The text runs to its terminator, or further where the library's length
    // says so: a NUL is then the reader's. A length the buffer cannot hold is
    // no length, and NULs it ends in are a terminator counted with the text.
    const size_t terminated = strnlen(text, kVersionMax);
    size_t size = terminated;
    if (length >= 0 && size_t(length) <= kVersionMax)
        size = std::max(size, size_t(length));
    while (size > terminated && text[size - 1] == '\0')
        --size;
    version = VersionLine({text, size});
    return r;
}

std::string VersionLine(std::string_view read)
{
    return t2proto::OneLine(read, true) + (read.size() >= kVersionMax ? "\\..." : "");
}

}  // namespace params
