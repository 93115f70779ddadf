// The station record's text rules, as plain functions.
#include <gtest/gtest.h>

#include "cli/record.h"

namespace {

TEST(Record, FieldsReadAsTheTextTheyHold)
{
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"TR-200 V2.14", "TR-200 V2.14"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        // a spreadsheet would run these as formulas
        {"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"'=1", "''=1"},
        {"a=1", "a=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(record::Field(c.text), c.field) << c.text;
    EXPECT_EQ(record::Row({"a", "=b", "c,d", ""}), "a,'=b,\"c,d\",\n");
    EXPECT_EQ(record::Row({"", "x"}), ",x\n");  // an empty first field keeps its place
}

TEST(Record, AVersionKeepsEachByteAndShowsACut)
{
    const struct {
        std::string text, printable;
    } cases[] = {
        {"TR-200 V2.14 #0001", "TR-200 V2.14 #0001"},
        {"V\xE9", "V\\xE9"},
        {"V\xE8", "V\\xE8"},
        {"V\xC3\xA9", "V\xC3\xA9"},  // é in UTF-8 stays
        {"a\nb\tc\x7F", "a\\x0Ab\\x09c\\x7F"},
        {"\\xE9", "\\x5CxE9"},  // typed as text, not the byte
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate is no UTF-8
        {std::string(254, 'v'), std::string(254, 'v')},
        {std::string(255, 'v'), std::string(255, 'v') + "\\..."},  // filled the library's buffer
        {std::string(254, 'v') + "\xE9", std::string(254, 'v') + "\\xE9\\..."},
        {"V\\...", "V\\x5C..."},  // never taken for a cut
    };
    for (const auto& c : cases)
        EXPECT_EQ(record::Version(c.text), c.printable) << c.text;
}

}  // namespace
