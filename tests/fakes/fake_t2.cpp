#include "tests/fakes/fake_t2.h"

#include <cstring>

#include "t2/hex.h"
#include "t2/t2.h"

FakeT2& Fake()
{
    static FakeT2 fake;
    return fake;
}

std::vector<std::string> FakeT2::Ops() const
{
    std::vector<std::string> ops;
    for (const auto& c : calls)
        ops.push_back(c.op);
    return ops;
}

namespace {

int32_t Next(std::deque<int32_t>& queue, int32_t fallback)
{
    if (queue.empty())
        return fallback;
    int32_t r = queue.front();
    queue.pop_front();
    return r;
}

std::vector<unsigned char> Copy(const unsigned char* p, size_t n)
{
    return p ? std::vector<unsigned char>(p, p + n) : std::vector<unsigned char>{};
}

}  // namespace

extern "C" {

int32_t lc_init(int32_t port, int32_t baud)
{
    Fake().calls.push_back({"lc_init", {port, baud}, {}, {}});
    return Next(Fake().initResults, Fake().initDefault);
}

int32_t lc_exit(int32_t handle)
{
    Fake().calls.push_back({"lc_exit", {handle}, {}, {}});
    return 0;
}

int32_t lc_getver(int32_t handle, unsigned char* versionText, int32_t* versionLength)
{
    // Record the buffer as the program handed it over, to check it was zero-filled.
    Fake().calls.push_back({"lc_getver", {handle}, {Copy(versionText, 256)}, {}});
    int32_t r = Next(Fake().getverResults, Fake().getverDefault);
    if (r == 0) {
        const std::string& v = Fake().versionText;
        std::memcpy(versionText, v.data(), v.size());
        if (!Fake().versionUnterminated)
            versionText[v.size()] = 0;
        if (!Fake().versionLengthLeft)  // unasked, as a maker's library may
            *versionLength = Fake().versionLength.value_or(static_cast<int32_t>(v.size()));
    }
    return r;
}

int32_t lc_setReadOnlyPara(int32_t handle, int32_t dataBase, const unsigned char* aux8,
                           int32_t orientation, int32_t snSize, int32_t outLength,
                           const unsigned char* auxA, const unsigned char* auxB)
{
    Fake().calls.push_back({"lc_setReadOnlyPara",
                            {handle, dataBase, orientation, snSize, outLength},
                            {Copy(aux8, 8), Copy(auxA, 3), Copy(auxB, 3)},
                            {}});
    return Next(Fake().readOnlyResults, Fake().readOnlyDefault);
}

int32_t lc_setBlockReadPara(int32_t handle, int32_t blockAddress, const unsigned char* key)
{
    Fake().calls.push_back({"lc_setBlockReadPara", {handle, blockAddress}, {Copy(key, 6)}, {}});
    return Next(Fake().blockResults, Fake().blockDefault);
}

int32_t lc_setReaderOnlyHead(int32_t handle, int32_t headerFlag)
{
    Fake().calls.push_back({"lc_setReaderOnlyHead", {handle, headerFlag}, {}, {}});
    return Next(Fake().headResults, Fake().headDefault);
}

int32_t asc_hex(const char* text, unsigned char* out, int32_t count)
{
    Fake().calls.push_back({"asc_hex", {count}, {}, text ? text : ""});
    if (!Fake().realAscHex)
        return Fake().ascHexResult;
    return text && count > 0 && t2proto::HexToBytes(text, out, static_cast<size_t>(count)) ? 0 : 1;
}

}  // extern "C"
