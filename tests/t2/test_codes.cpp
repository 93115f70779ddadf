// Every code has a meaning, the same in the reasons and in the shipped table.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "t2/protocol.h"
#include "t2/t2.h"

namespace {

TEST(Codes, EachCodeSaysWhatItMeansAndTheShippedTableAgrees)
{
    std::ifstream file(CODES_MD);
    std::stringstream table;
    table << file.rdbuf();
    char code[16];
    for (const auto& [value, words] : t2proto::kCodeMeanings) {
        std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(value));
        EXPECT_NE(table.str().find("| `" + std::string(code) + "` | " + std::string(words) + " |"), std::string::npos)
            << code;
    }
    const struct {
        int32_t code;
        const char* words;
    } cases[] = {
        {T2_READER_E_RANGE, "the reader refused the request with code 0x21 (a value out of range)"},
        {0x07, "the reader refused the request with code 0x07 (a code this tool does not know)"},
        {T2_E_LINK_LOST, "the port went away"},
        {0x3001, "the reader library's own code 0x3001, not one this program knows"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t2proto::CodeWords(c.code), c.words);
}

}  // namespace
