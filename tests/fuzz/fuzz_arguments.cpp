// Command-line fuzzer: the input split at its NUL bytes is the arguments
// after the program's name. They are refused with a reason on one line of
// UTF-8, or read into options whose names are the very bytes given.
#include <QByteArrayView>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<Argument> args{"tavelin-config"};
    for (size_t at = 0, end; at <= input.size(); at = end + 1) {
        end = std::min(input.find('\0', at), input.size());
        args.push_back(input.substr(at, end - at));
    }
    std::string problem;
    const std::optional<Options> o = Parse(args, problem);
    if (!o) {
        if (problem.empty() || !QByteArrayView(problem).isValidUtf8())
            std::abort();
        for (const unsigned char c : problem)
            if (c < 0x20 || c == 0x7F)
                std::abort();
        return 0;
    }
    // A name is an argument whole, or the value of --log=NAME.
    const auto given = [&args](const std::string& name, const std::string& option) {
        return std::ranges::any_of(args.begin() + 1, args.end(),
                                   [&](const Argument& arg) { return arg == name || arg == option + name; });
    };
    if (!o->file.empty() && !given(o->file.native(), ""))
        std::abort();
    if (o->log.native() != "readers.csv" && !given(o->log.native(), "--log="))
        std::abort();
    return 0;
}
