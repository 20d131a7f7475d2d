// The --keep ranges: what is read, and the reason for what is refused.

#include "line/kept_ranges.h"

#include <gtest/gtest.h>

namespace {

TEST(LineKeptRanges, Parse) {
    const std::pair<const char*, const char*> cases[] = {
        {" 0X10 ,\t256 - 0x101 ,1023", "0x007,0x010,0x100-0x101,0x3FF"},
        {"0x400", "\"0x400\": past the last word 0x3FF"},
        {"0x99999999999999999999", "\"0x99999999999999999999\": past the last word 0x3FF"},
        {"0x13F-0x100", "\"0x13F-0x100\": the first word comes after the last"},
        {"0x100,,0x200", "item 2 of \"0x100,,0x200\" is empty"},
        {"0x100,", "item 2 of \"0x100,\" is empty"},
        {"0x", "\"0x\": not a word address or range (e.g. 0x100-0x13F)"},
        {"-5", "\"-5\": not a word address or range (e.g. 0x100-0x13F)"},
        {"1-2-3", "\"1-2-3\": not a word address or range (e.g. 0x100-0x13F)"},
        {"0x1 0", "\"0x1 0\": not a word address or range (e.g. 0x100-0x13F)"},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<cam::KeptRange> ranges{{7, 7}}; // a refused text appends nothing
        std::string error;
        const bool ok = cam::ParseKeptRanges(text, &ranges, &error);
        EXPECT_EQ(ok ? cam::FormatKeptRanges(ranges) : error, expected) << text;
        EXPECT_TRUE(ok || ranges.size() == 1) << text;
    }
}

TEST(LineKeptRanges, KeptIsInclusive) {
    std::vector<cam::KeptRange> ranges;
    ASSERT_TRUE(cam::ParseKeptRanges("0x100-0x13F,0x3FF", &ranges, nullptr));
    for (const auto& [address, kept] :
         {std::pair{0xFF, false}, {0x100, true}, {0x13F, true}, {0x140, false}, {0x3FF, true}})
        EXPECT_EQ(cam::Kept(ranges, address), kept) << address;
}

} // namespace
