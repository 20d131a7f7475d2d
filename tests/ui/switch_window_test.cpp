// The switch window hands each push switch's key code to the main window.

#include "ui/switch/switch_window.h"

#include <QGroupBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SwitchCase {
    const char* button;
    const char* caption;
    std::uint8_t code;
};

class SwitchButtons : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchButtons, SendTheKeyCodeOfTheirCaptionOncePerClick) {
    std::vector<std::uint8_t> pushed;
    TFS38R5 window([&](std::uint8_t code) { pushed.push_back(code); });
    auto* box = window.findChild<QGroupBox*>("push_sw");
    ASSERT_NE(box, nullptr);
    auto* button = box->findChild<QPushButton*>(GetParam().button);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), GetParam().caption);
    button->click();
    button->click();
    EXPECT_EQ(pushed, (std::vector<std::uint8_t>{GetParam().code, GetParam().code}));
}

INSTANTIATE_TEST_SUITE_P(SwitchWindow, SwitchButtons,
                         ::testing::Values(SwitchCase{"push_right", "Pre", 0},
                                           SwitchCase{"push_left", "Enter", 1},
                                           SwitchCase{"push_down", "Down", 2},
                                           SwitchCase{"push_up", "Up", 3}),
                         [](const auto& info) { return std::string(info.param.button); });

} // namespace
