// Port name fuzzer: any text through the name rules and t2_open. A name is
// refused or made canonical, never past the bound: the canonical name is
// itself canonical and differs from the text in case alone, and the numbered
// names agree both ways. t2_open gives -1 and one line of reason, and opens
// no real device: the device folder is a fresh one, whose one entry, made
// for the name tried, leads nowhere.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dataout/link.h"
#include "t2/devices.h"
#include "t2/t2.h"

namespace {

std::string folder;

bool SameButCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static char root[] = "/tmp/fuzz-port-name.XXXXXX";
    Check(mkdtemp(root) != nullptr);
    setenv("XDG_RUNTIME_DIR", root, 1);
    folder = std::string(root) + "/tavelin";
    Check(mkdir(folder.c_str(), 0700) == 0);
    std::atexit([] { std::filesystem::remove_all(root); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto canonical = t2dev::CanonicalPortName(text);
    if (canonical)
        Check(canonical->size() <= t2dev::kMaxPortName && SameButCase(*canonical, text) &&
              t2dev::CanonicalPortName(*canonical) == canonical && t2dev::IsPortName(*canonical));
    if (const auto n = t2dev::ComNumber(text))
        Check(*n >= 1 && *n <= t2dev::kMaxCom && canonical == "COM" + std::to_string(*n));
    const auto port = params::ParsePort(text);
    const auto number = params::PortNumber(text);
    Check(port.has_value() == canonical.has_value() && (!number || canonical));
    if (port)
        Check(port->name == *canonical && port->number == number);
    if (number)
        Check(params::PortName(*number) == *canonical);
    if (const auto socket = t2dev::SocketName(text))
        Check(socket->starts_with("USB:") && t2dev::IsPortName(*socket));

    // A C caller's text ends at its first NUL.
    const std::string given = text.c_str();
    const auto name = t2dev::CanonicalPortName(given);
    const std::string entry = folder + "/" + name.value_or("");
    if (name)
        Check(symlink("/nonexistent/tty", entry.c_str()) == 0);
    const int32_t handle = t2_open(given.c_str(), 9600);
    const std::string why = t2_last_error();
    if (name)
        unlink(entry.c_str());
    Check(handle == -1 && !why.empty() && why.find('\n') == std::string::npos);
    Check(!name || why.starts_with("no such device for " + *name + " ("));
    return 0;
}
