#include "t2/import/last_error.h"

#include "t2/import/symbol.h"
#include "t2/protocol.h"
#include "t2/t2.h"

namespace {

using LastErrorCall = const char*(T2_CALL*)();
using OpenCall = int32_t(T2_CALL*)(const char*, int32_t);

LastErrorCall LastError()
{
    static const LastErrorCall call = reinterpret_cast<LastErrorCall>(LoadedSymbol("t2_last_error"));
    return call;
}

OpenCall OpenByName()
{
    static const OpenCall call = reinterpret_cast<OpenCall>(LoadedSymbol("t2_open"));
    return call;
}

}  // namespace

bool T2IsOurs() { return LastError() != nullptr; }

std::string T2LastError()
{
    const LastErrorCall call = LastError();
    const char* text = call ? call() : nullptr;
    return text ? text : "";
}

std::string T2Reason(int32_t code)
{
    std::string why = T2LastError();
    return why.empty() ? t2proto::CodeWords(code) : why;
}

bool T2OpensNames() { return OpenByName() != nullptr; }

int32_t T2Open(const std::string& port, int32_t baud)
{
    const OpenCall call = OpenByName();
    return call ? call(port.c_str(), baud) : -1;
}
