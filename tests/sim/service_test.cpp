// The on-screen-display word and the two store commands of the Debug tab.

#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using simtest::Exchange;
using simtest::Word;

TEST(CameraService, OsdWordIsKeptAndReported) {
    camsim::CameraModel camera;
    const Bytes ack = Exchange(camera, {0x21, 0x0E, 0x01, 0x80, 0x01});
    EXPECT_EQ(ack[1], cam::kAccepted);
    EXPECT_EQ(camera.Memory().Osd(), 0x8001);
    const Bytes read = Exchange(camera, {0x31, 0x0E, 0x01});
    EXPECT_EQ(read[2], 0x0E);
    EXPECT_EQ(Word(read, 4), 0x8001);
}

TEST(CameraService, GroupSaveAndPresetStoreAreCounted) {
    camsim::CameraModel camera;
    const Bytes save = Exchange(camera, {0x21, 0x1E});
    const Bytes store = Exchange(camera, {0x21, 0x20, 0x01});
    EXPECT_EQ(save[1], cam::kAccepted);
    EXPECT_EQ(store[1], cam::kAccepted);
    EXPECT_EQ(camera.Service().groupSaves, 1);
    EXPECT_EQ(camera.Easy().presetStores, 1);
    Exchange(camera, {0x31, 0x1E}); // a read saves nothing
    EXPECT_EQ(camera.Service().groupSaves, 1);
}

} // namespace
