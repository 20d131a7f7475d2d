// The camera's defect correction (code 0x36): the reply layouts of the reads,
// what the writes leave behind, the measurement, the automatic search, and
// save and cancel.

#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using simtest::Exchange;
using simtest::Word;

// Reply byte `at` (one byte) or bytes at, at+1 (a word).
struct Field {
    int at;
    bool word;
    int value;
};

int FieldOf(const Bytes& reply, const Field& f) {
    return f.word ? Word(reply, f.at) : reply[static_cast<std::size_t>(f.at)];
}

// A write, then the read of the sub-code that reports it.
TEST(Defect, ReadsReportWhatWasWritten) {
    struct Case {
        const char* name;
        std::initializer_list<int> write;
        int readSub;
        std::vector<Field> fields;
    };
    const Case cases[] = {
        {"A position",
         {0x21, 0x36, 0x01, 0x02, 0x01, 0x23, 0x00, 0x45},
         0x00,
         {{5, true, 0x0123}, {7, true, 0x0045}}},
        {"A on", {0x21, 0x36, 0x07, 0x01}, 0x00, {{4, false, 1}}},
        {"C position",
         {0x21, 0x36, 0x12, 0x01, 0x02, 0x34, 0x00, 0x99},
         0x01,
         {{5, true, 0x0200}, {9, true, 0x0234}, {11, true, 0x0099}}}, // B as it was
        {"KF Change", {0x21, 0x36, 0x04, 0x03}, 0x04, {{4, false, 3}}},
        {"Sens", {0x21, 0x36, 0x06, 0x05}, 0x06, {{9, false, 5}, {6, false, 0}}},
        {"Sens limited", {0x21, 0x36, 0x06, 0x20}, 0x06, {{9, false, 8}}},
        {"VRev is the picture's", {0x21, 0x1D, 0x04, 0x01}, 0x06, {{6, false, 1}}},
        {"KF_FIX", {0x21, 0x36, 0x10, 0x01}, 0x10, {{4, false, 1}}},
        {"cursor on C", {0x21, 0x36, 0x13, 0x01, 0x01}, 0x09, {{4, false, 3}}},
        {"position limited",
         {0x21, 0x36, 0x01, 0x02, 0xFF, 0xFF, 0x7F, 0xFF},
         0x00,
         {{5, true, 0x03FF}, {7, true, 0x01FF}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        camsim::CameraModel camera;
        EXPECT_EQ(Exchange(camera, c.write)[1], cam::kAccepted);
        const Bytes reply = Exchange(camera, {0x31, 0x36, c.readSub});
        EXPECT_EQ(reply[1], cam::kAccepted);
        EXPECT_EQ(reply[3], c.readSub);
        for (const auto& f : c.fields)
            EXPECT_EQ(FieldOf(reply, f), f.value) << "byte " << f.at;
    }
}

// The measurement and the searches agree with what "Kizu Adjust" computes
// from the measurement: X - 22, the larger Y plus the Y offset.
TEST(Defect, SearchPutsThePointsWhereTheMeasurementSawThem) {
    camsim::CameraModel camera;
    const Bytes measured = Exchange(camera, {0x31, 0x36, 0x02});
    const int x1 = Word(measured, 4), y1 = Word(measured, 6), p1 = Word(measured, 8);
    const int x2 = Word(measured, 10), y2 = Word(measured, 12), p2 = Word(measured, 14);
    ASSERT_EQ(x1, x2);
    ASSERT_LE(std::abs(y1 - y2), 1);
    ASSERT_LE(std::abs(p1 - p2), 5);

    for (int yOffset : {2, -2}) {
        SCOPED_TRACE(yOffset);
        const Bytes a = Exchange(camera, {0x21, 0x36, 0x09, 0xEA, yOffset & 0xFF, 0x05});
        EXPECT_EQ(a[3], 0x09);
        EXPECT_EQ(Word(a, 7), x1 - 22);
        EXPECT_EQ(Word(a, 9), std::max(y1, y2) + yOffset);
        EXPECT_EQ(a[11], 1);
        const Bytes readA = Exchange(camera, {0x31, 0x36, 0x00});
        EXPECT_EQ(Word(readA, 5), x1 - 22);
        EXPECT_EQ(readA[4], 1);
    }

    const auto& sensor = camera.Service().defect.sensor;
    const Bytes bc = Exchange(camera, {0x21, 0x36, 0x0A, 0xEA, 0x02, 0x05});
    EXPECT_EQ(Word(bc, 7), sensor[1].x - 22);
    EXPECT_EQ(Word(bc, 9), std::max(sensor[1].evenY, sensor[1].oddY) + 2);
    EXPECT_EQ(Word(bc, 11), sensor[2].x - 22);
    EXPECT_EQ(Word(bc, 13), std::max(sensor[2].evenY, sensor[2].oddY) + 2);
    EXPECT_EQ(bc[15], 1);
}

TEST(Defect, SearchFailsWhenTheFieldsDisagree) {
    camsim::CameraModel camera;
    const Bytes before = Exchange(camera, {0x31, 0x36, 0x00});
    Exchange(camera, {0x21, 0x36, 0x07, 0x01});
    // The brightest defect's peaks differ by 3: a tolerance of 2 refuses it.
    const Bytes a = Exchange(camera, {0x21, 0x36, 0x09, 0xEA, 0x02, 0x02});
    EXPECT_EQ(a[11], 0);
    EXPECT_EQ(Word(a, 7), Word(before, 5)) << "A stays where it was";
    EXPECT_EQ(Exchange(camera, {0x31, 0x36, 0x00})[4], 0) << "and is no longer corrected";

    // One line apart is the most the fields may differ.
    camera.Service().defect.sensor[2].oddY = camera.Service().defect.sensor[2].evenY + 2;
    EXPECT_EQ(Exchange(camera, {0x21, 0x36, 0x0A, 0xEA, 0x02, 0x05})[15], 0);
}

TEST(Defect, CancelReturnsToTheLastSave) {
    camsim::CameraModel camera;
    const auto setA = [&](int x) {
        Exchange(camera, {0x21, 0x36, 0x01, 0x02, 0x00, x, 0x00, 0x10});
    };
    const auto readAX = [&] { return Word(Exchange(camera, {0x31, 0x36, 0x00}), 5); };
    const int start = readAX();

    setA(0x11);
    Exchange(camera, {0x21, 0x36, 0x03});
    Exchange(camera, {0x21, 0x36, 0x16});
    EXPECT_EQ(readAX(), start);

    setA(0x22);
    Exchange(camera, {0x21, 0x36, 0x02});
    Exchange(camera, {0x21, 0x36, 0x15});
    setA(0x33);
    Exchange(camera, {0x21, 0x36, 0x03});
    Exchange(camera, {0x21, 0x36, 0x16});
    EXPECT_EQ(readAX(), 0x22);
}

} // namespace
