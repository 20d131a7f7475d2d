// The parameter window's texts, the mask window's clipped pad and the mask
// commands.

#include "tests/support/fake_context.h"
#include "ui/defect/mask_commands.h"
#include "ui/defect/mask_window.h"
#include "ui/defect/parameter_window.h"

#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

QString text(QWidget& window, const char* name) {
    auto* edit = window.findChild<QLineEdit*>(name);
    return edit ? edit->text() : QStringLiteral("<missing>");
}

struct ParameterCase {
    std::string name;
    bool ntsc;
    const char* y;
};

class ParameterWindow : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(ParameterWindow, ShowsTheAdjustmentOfTheVideoSystem) {
    TKizuInfo window([&] { return GetParam().ntsc; });
    EXPECT_EQ(text(window, "AdjustX"), "-22");
    EXPECT_EQ(text(window, "AdjustY"), GetParam().y);
    EXPECT_EQ(text(window, "AdjustPk"), "05");
}

INSTANTIATE_TEST_SUITE_P(DefectWindows, ParameterWindow,
                         ::testing::Values(ParameterCase{"Pal", false, "02"},
                                           ParameterCase{"Ntsc", true, "-2"}),
                         [](const auto& info) { return info.param.name; });

TEST(DefectWindows, ParameterWindowFollowsTheCameraReportedAfterStart) {
    bool ntsc = false; // nothing reported yet at start-up
    TKizuInfo window([&] { return ntsc; });
    EXPECT_EQ(text(window, "AdjustY"), "02");
    ntsc = true;
    window.show();
    EXPECT_EQ(text(window, "AdjustY"), "-2");
    window.hide();
    ntsc = false;
    window.show();
    EXPECT_EQ(text(window, "AdjustY"), "02");
}

TEST(DefectWindows, MaskPadIsClippedByItsPanel) {
    TFM38R5 window;
    EXPECT_EQ(window.windowTitle(), "38R5-Mask");
    EXPECT_EQ(window.size(), QSize(263, 184));
    auto* panel = window.findChild<QFrame*>("Panel9");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->size(), QSize(207, 128));
    ASSERT_NE(panel->findChild<QWidget*>("Shape1"), nullptr);

    const QImage image = window.grab().toImage();
    const QColor olive(128, 128, 0);
    const QRect inside = panel->geometry().adjusted(1, 1, -1, -1); // within the border
    int oliveInside = 0;
    int oliveOutside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != olive) continue;
            (inside.contains(x, y) ? oliveInside : oliveOutside)++;
        }
    EXPECT_GT(oliveInside, 1000); // a hatch, not a solid fill and not nothing
    EXPECT_LT(oliveInside, inside.width() * inside.height() / 2);
    EXPECT_EQ(oliveOutside, 0);
}

struct MaskCase {
    std::string name;
    std::function<void(TTabContext&)> send;
    std::vector<std::uint8_t> payload; // bytes 1..7
};

class MaskCommands : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskCommands, SendWhenIdleOnly) {
    FakeContext ctx;
    GetParam().send(ctx);
    ASSERT_EQ(ctx.sent.size(), 1u);
    auto expected = GetParam().payload;
    expected.resize(cam::kPayloadSize, 0);
    EXPECT_EQ(ctx.Payload(0, static_cast<int>(cam::kPayloadSize)), expected);

    ctx.sent.clear();
    ctx.sequenceRunning = true;
    GetParam().send(ctx);
    EXPECT_TRUE(ctx.sent.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DefectWindows, MaskCommands,
    ::testing::Values(MaskCase{"Read", [](TTabContext& c) { Mask_read(c, 2); }, {0x31, 0x1D, 0x12}},
                      MaskCase{"Write",
                               [](TTabContext& c) { Mask_write(c, 1, 0xA1, 0xB2, 0xC3, 0xD4); },
                               {0x21, 0x1D, 0x11, 0xA1, 0xB2, 0xC3, 0xD4}}),
    [](const auto& info) { return info.param.name; });

} // namespace
