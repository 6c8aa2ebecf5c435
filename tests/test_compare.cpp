// The element comparison of `hostmath check` (hostmath/check.h): the
// distances at the ends of every kind, where a wrong width or sign extension
// would overflow or misclassify, and the merging of reports from chunks.
#include "hostmath/check.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace hostmath::compare;

constexpr std::uint64_t kMax = ~std::uint64_t{0};

TEST(Compare, DistancesAndBins)
{
    struct Case {
        Kind kind;
        std::uint64_t expected, got;
        std::size_t bin;
        std::uint64_t distance;
        bool accepted_exact;  // --max-ulp 0, --nan exact
        bool accepted_loose;  // --max-ulp 3, --nan any
    };
    const Case cases[] = {
        {Kind::f32, 0x3f800000, 0x3f800000, kIdentical, 0, true, true},
        {Kind::f32, 0x00000000, 0x80000000, kOtherBits, 0, false, true},         // +0 against -0
        {Kind::f32, 0x7fc00000, 0xffc00001, kOtherBits, 0, false, true},         // NaN payload and sign
        {Kind::f32, 0x00000001, 0x80000001, kFirstDistanceBin + 1, 2, false, true},  // across zero
        {Kind::f32, 0x3f800000, 0x3f800003, kFirstDistanceBin + 2, 3, false, true},
        {Kind::f32, 0x7f800000, 0x7f7fffff, kInfVsFinite, 1, false, false},
        {Kind::f16, 0x7e00, 0x7c00, kNanVsNumber, kNoDistance, false, false},  // NaN against infinity
        {Kind::bf16, 0x8000, 0x0000, kOtherBits, 0, false, true},
        {Kind::bf16, 0x3f80, 0x3f84, kFirstDistanceBin + 2, 4, false, false},
        {Kind::f64, 0xfff0000000000000, 0x7ff0000000000000, kFirstDistanceBin + 64, 0xffe0000000000000, false, false},
        {Kind::i64, 0x8000000000000000, 0x7fffffffffffffff, kFirstDistanceBin + 64, kMax, false, false},
        {Kind::i8, 0x80, 0x7f, kFirstDistanceBin + 8, 255, false, false},  // -128 against 127
        {Kind::i16, 0xffff, 0x0001, kFirstDistanceBin + 1, 2, false, true},  // -1 against 1
        {Kind::u8, 0x80, 0x7f, kFirstDistanceBin, 1, false, true},
        {Kind::u64, kMax, 0, kFirstDistanceBin + 64, kMax, false, false},
    };
    const Rules exact{}, loose{3, true};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << static_cast<int>(c.kind) << " " << std::hex << c.expected
                                          << " " << c.got);
        const Outcome o = classify(c.kind, c.expected, c.got, exact);
        EXPECT_EQ(o.bin, c.bin);
        EXPECT_EQ(o.distance, c.distance);
        EXPECT_EQ(o.accepted, c.accepted_exact);
        EXPECT_EQ(classify(c.kind, c.expected, c.got, loose).accepted, c.accepted_loose);
    }
    EXPECT_EQ(bin_label(kFirstDistanceBin + 2), "3-4");
    EXPECT_EQ(bin_label(kFirstDistanceBin + 64), "9223372036854775809-18446744073709551615");
}

TEST(Compare, ReportsMergeInIndexOrder)
{
    // Chunks merged out of order keep the lowest mismatch indices and the
    // lowest index of the worst distance, as one pass over the whole would.
    const std::uint32_t expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::uint32_t got[8] = {1, 4, 3, 5, 5, 8, 7, 9};
    Tally whole, first, second, merged;
    whole.keep = first.keep = second.keep = merged.keep = 2;
    compare_arrays(Kind::u32, expected, got, 8, 0, Rules{}, whole);
    compare_arrays(Kind::u32, expected, got, 4, 0, Rules{}, first);
    compare_arrays(Kind::u32, expected + 4, got + 4, 4, 4, Rules{}, second);
    merged.merge(second);
    merged.merge(first);
    for (const Tally* r : {&whole, &merged}) {
        EXPECT_EQ(r->elements, 8u);
        EXPECT_EQ(r->identical, 4u);
        EXPECT_EQ(r->mismatches, 4u);
        EXPECT_EQ(r->worst, 2u);
        EXPECT_EQ(r->worst_index, 1u);
        EXPECT_EQ(r->first_mismatches, (std::vector<std::uint64_t>{1, 3}));
        EXPECT_EQ(r->histogram[kFirstDistanceBin + 1], 2u);  // distance 2 at 1 and 5
    }
}

}  // namespace
