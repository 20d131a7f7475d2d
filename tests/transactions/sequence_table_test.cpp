// The six load sequences, step by step and byte by byte: payload bytes 1..n
// of every step, n being the count that goes with it.

#include "transactions/sequences.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kRegister01 = {0x31, 0x0A, 0x01};
const Bytes kRegister40 = {0x31, 0x0A, 0x40};

const struct {
    const char* tab;
    std::vector<Bytes> steps;
} kLoads[] = {
    {"Adjust",
     {kRegister01,
      kRegister40,
      {0x31, 0x42},
      {0x31, 0x37, 0x00},
      {0x31, 0x37, 0x01},
      {0x31, 0x1B, 0x00},
      {0x31, 0x1B, 0x05},
      {0x31, 0x1B, 0x06},
      {0x31, 0x43},
      {0x31, 0x0A, 0x2B},
      {0x31, 0x0A, 0x2C},
      {0x31, 0x0A, 0x2D},
      {0x31, 0x0A, 0x2E},
      {0x31, 0x0A, 0x2F}}},
    {"Debug", {kRegister01, kRegister40}},
    {"CCD Defect",
     {kRegister01,
      kRegister40,
      {0x31, 0x36, 0x09},
      {0x31, 0x36, 0x00},
      {0x31, 0x36, 0x01},
      {0x31, 0x36, 0x10},
      {0x31, 0x36, 0x11},
      {0x31, 0x36, 0x05},
      {0x31, 0x36, 0x04},
      {0x31, 0x36, 0x0B},
      {0x31, 0x36, 0x06}}},
    {"Copy", {kRegister01, kRegister40}},
    {"Easy",
     {{0x31, 0x60, 0x00},
      {0x31, 0x60, 0x01},
      {0x31, 0x60, 0x02},
      {0x31, 0x60, 0x03},
      {0x31, 0x60, 0x04},
      {0x31, 0x60, 0x05},
      {0x31, 0x60, 0x06},
      {0x31, 0x60, 0x07},
      {0x31, 0x60, 0x08},
      {0x31, 0x60, 0x09},
      {0x31, 0x0C, 0x01, 0x51}}},
    {"Line", {kRegister01, kRegister40, {0x31, 0x53}}},
};

TEST(SequenceTable, EveryStepOfEveryLoad) {
    static_assert(std::size(kLoads) == cam::kSequenceKinds);
    for (int kind = 0; kind < cam::kSequenceKinds; ++kind) {
        const auto& load = kLoads[kind];
        SCOPED_TRACE(load.tab);
        ASSERT_EQ(cam::SequenceLength(kind), load.steps.size());
        for (unsigned step = 0; step < load.steps.size(); ++step)
            EXPECT_EQ(cam::SequenceStep(kind, step), load.steps[step]) << "step " << step;
        EXPECT_TRUE(cam::SequenceStep(kind, cam::SequenceLength(kind)).empty());
    }
}

} // namespace
