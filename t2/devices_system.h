// What devices.cpp shares with the source file of the system it is built for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t2dev {

std::string Upper(std::string_view text);
// A socket's name as the library spells it, from any case; nothing where
// the system has no socket names or `name` is none.
std::optional<std::string> SocketPortName(std::string_view name);
// The port names there are, in any order, some more than once.
std::vector<std::string> PortNames();
// Paths that lead to one device have one key.
std::string DeviceKey(const std::string& path);

}  // namespace t2dev
