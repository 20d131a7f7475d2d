// What the Adjust page sends when the technician changes its controls.

#include "tests/ui/adjust_test_support.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace {

// ---- delays ------------------------------------------------------------------

struct DelayCase {
    std::string name;
    // rg_delay, rg_width, shp_delay, shd_delay
    std::array<const char*, 4> texts;
    std::optional<std::array<std::uint8_t, 2>> sent; // d1, d2
};

class DelayFields : public AdjustTabTest, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(DelayFields, PackTheFourDigitsOrSendNothing) {
    const std::array<const char*, 4> names{"rg_delay", "rg_width", "shp_delay", "shd_delay"};
    offline([&] {
        for (std::size_t i = 0; i < names.size(); ++i)
            get<QLineEdit>(names[i])->setText(QString::fromLatin1(GetParam().texts[i]));
    });
    invoke("rg_delayChange");
    if (GetParam().sent) {
        const auto [d1, d2] = *GetParam().sent;
        EXPECT_EQ(frames(), std::vector<Bytes>{padded({0x21, 0x42, d1, d2, 0x01})});
    } else {
        EXPECT_TRUE(ctx.sent.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    AdjustTab, DelayFields,
    ::testing::Values(
        DelayCase{"Mixed", {"3", "A", "5", "C"}, std::array<std::uint8_t, 2>{0xAC, 0x53}},
        DelayCase{"LowerCase", {"f", "e", "d", "c"}, std::array<std::uint8_t, 2>{0xEC, 0xDF}},
        DelayCase{"Zeros", {"0", "0", "0", "0"}, std::array<std::uint8_t, 2>{0x00, 0x00}},
        DelayCase{"OneCleared", {"3", "A", "", "C"}, std::nullopt},
        DelayCase{"NotADigit", {"3", "G", "5", "C"}, std::nullopt}),
    [](const auto& info) { return info.param.name; });

TEST_F(AdjustTabTest, TypingIntoAClearedDelayFieldSendsAllFour) {
    offline([&] {
        get<QLineEdit>("rg_delay")->setText("3");
        get<QLineEdit>("rg_width")->setText("A");
        get<QLineEdit>("shp_delay")->setText("5");
    });
    auto* shd = get<QLineEdit>("shd_delay");
    shd->setText("");
    EXPECT_TRUE(ctx.sent.empty());
    shd->setText("C");
    EXPECT_EQ(frames(), std::vector<Bytes>{padded({0x21, 0x42, 0xAC, 0x53, 0x01})});
}

struct SpinCase {
    std::string name;
    const char* arrow; // the arrow button pressed
    const char* field;
    const char* before;
    const char* after;
    int word; // delay word sent (the other fields stay 0), -1: nothing
};

class DelayArrows : public AdjustTabTest, public ::testing::WithParamInterface<SpinCase> {};

TEST_P(DelayArrows, StepTheirOwnFieldWithinZeroToF) {
    const SpinCase& c = GetParam();
    auto* field = get<QLineEdit>(c.field);
    offline([&] { field->setText(QString::fromLatin1(c.before)); });
    get<QToolButton>(c.arrow)->click();
    EXPECT_EQ(field->text(), QString::fromLatin1(c.after));
    if (c.word < 0) {
        EXPECT_TRUE(ctx.sent.empty());
    } else {
        const auto d1 = static_cast<std::uint8_t>(c.word >> 8);
        const auto d2 = static_cast<std::uint8_t>(c.word);
        EXPECT_EQ(frames(), std::vector<Bytes>{padded({0x21, 0x42, d1, d2, 0x01})});
    }
}

INSTANTIATE_TEST_SUITE_P(
    AdjustTab, DelayArrows,
    ::testing::Values(SpinCase{"RgDelayUp", "CSpinButton1Up", "rg_delay", "0", "1", 0x0001},
                      SpinCase{"RgWidthUp", "CSpinButton2Up", "rg_width", "9", "A", 0xA000},
                      SpinCase{"ShpDelayUpToF", "CSpinButton3Up", "shp_delay", "E", "F", 0x00F0},
                      SpinCase{"ShdDelayUp", "CSpinButton4Up", "shd_delay", "4", "5", 0x0500},
                      SpinCase{"RgDelayDown", "CSpinButton1Down", "rg_delay", "A", "9", 0x0009},
                      SpinCase{"ShdDelayDownToZero", "CSpinButton4Down", "shd_delay", "1", "0", 0},
                      SpinCase{"DownAtZero", "CSpinButton2Down", "rg_width", "0", "0", -1},
                      SpinCase{"UpAtF", "CSpinButton3Up", "shp_delay", "F", "F", -1},
                      SpinCase{"UpAtLowerCaseF", "CSpinButton2Up", "rg_width", "f", "f", -1}),
    [](const auto& info) { return info.param.name; });

// ---- DC lens offset -------------------------------------------------------------

struct OffsetCase {
    const char* slot;
    const char* before;
    const char* after;
    int sent; // -1: nothing
};

class OffsetArrows : public AdjustTabTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(OffsetArrows, KeepEachArrowsOwnLimit) {
    const OffsetCase& c = GetParam();
    auto* field = get<QLineEdit>("pwm_ref");
    offline([&] { field->setText(QString::fromLatin1(c.before)); });
    invoke(c.slot);
    EXPECT_EQ(field->text(), QString::fromLatin1(c.after));
    if (c.sent < 0) {
        EXPECT_TRUE(ctx.sent.empty());
    } else {
        EXPECT_EQ(frames(), std::vector<Bytes>{
                                padded({0x21, 0x43, static_cast<std::uint8_t>(c.sent), 0x01})});
    }
}

INSTANTIATE_TEST_SUITE_P(AdjustTab, OffsetArrows,
                         ::testing::Values(OffsetCase{"CSpinButton5DownClick", "00", "50", 0x50},
                                           OffsetCase{"CSpinButton5DownClick", "50", "50", -1},
                                           OffsetCase{"CSpinButton5DownClick", "51", "50", 0x50},
                                           OffsetCase{"CSpinButton5DownClick", "C0", "BF", 0xBF},
                                           OffsetCase{"CSpinButton5UpClick", "B0", "B0", -1},
                                           OffsetCase{"CSpinButton5UpClick", "FF", "B0", 0xB0},
                                           OffsetCase{"CSpinButton5UpClick", "7F", "80", 0x80},
                                           OffsetCase{"CSpinButton5UpClick", "10", "11", 0x11}),
                         [](const auto& info) {
                             const bool down =
                                 std::string(info.param.slot).find("Down") != std::string::npos;
                             return std::string(down ? "DownFrom" : "UpFrom") + info.param.before;
                         });

TEST_F(AdjustTabTest, OffsetFieldSendsOnlyTwoHexDigits) {
    auto* field = get<QLineEdit>("pwm_ref");
    const std::array<std::pair<const char*, int>, 4> typed{
        {{"7", -1}, {"7c", 0x7C}, {"5G", -1}, {"A0", 0xA0}}};
    for (const auto& [text, value] : typed) {
        ctx.sent.clear();
        field->setText(QString::fromLatin1(text));
        if (value < 0) {
            EXPECT_TRUE(ctx.sent.empty()) << text;
        } else {
            EXPECT_EQ(frames(), std::vector<Bytes>{padded(
                                    {0x21, 0x43, static_cast<std::uint8_t>(value), 0x01})})
                << text;
        }
    }
}

// ---- one-shot commands -------------------------------------------------------------

struct CommandCase {
    std::string name;
    std::function<void(AdjustTabTest&, TAdjustTab&)> act;
    Bytes payload;
};

class Commands : public AdjustTabTest, public ::testing::WithParamInterface<CommandCase> {
  public:
    static void slot(TAdjustTab& tab, const char* name) {
        ASSERT_TRUE(QMetaObject::invokeMethod(&tab, name));
    }
    static TRadioGroup* group(TAdjustTab& tab, const char* name) {
        return tab.findChild<TRadioGroup*>(QString::fromLatin1(name));
    }
};

TEST_P(Commands, SendTheirFrame) {
    GetParam().act(*this, tab);
    EXPECT_EQ(frames(), std::vector<Bytes>{GetParam().payload});
}

TEST_P(Commands, SendNothingWhileTheLinkIsBusy) {
    ctx.busy = true;
    GetParam().act(*this, tab);
    ctx.busy = false;
    EXPECT_TRUE(ctx.sent.empty());
}

INSTANTIATE_TEST_SUITE_P(
    AdjustTab, Commands,
    ::testing::Values(
        CommandCase{
            "Save",
            [](AdjustTabTest&, TAdjustTab& t) { t.findChild<QPushButton*>("SaveAdjust")->click(); },
            padded({0x21, 0x41, 0x00, 0xFF})},
        CommandCase{"Cancel",
                    [](AdjustTabTest&, TAdjustTab& t) { Commands::slot(t, "CanAdjustClick"); },
                    padded({0x21, 0x41, 0x01, 0xFF})},
        CommandCase{"Preset3200",
                    [](AdjustTabTest&, TAdjustTab& t) { Commands::slot(t, "pre_32Click"); },
                    padded({0x21, 0x30, 0x00, 0x01})},
        CommandCase{"Preset5600",
                    [](AdjustTabTest&, TAdjustTab& t) { Commands::slot(t, "pre_56Click"); },
                    padded({0x21, 0x30, 0x01, 0x01})},
        CommandCase{"AtwTicked",
                    [](AdjustTabTest&, TAdjustTab& t) {
                        t.findChild<QCheckBox*>("wb_sel")->setChecked(true);
                    },
                    padded({0x21, 0x1B, 0x00, 0x00})},
        CommandCase{"AtwUnticked",
                    [](AdjustTabTest& f, TAdjustTab& t) {
                        auto* box = t.findChild<QCheckBox*>("wb_sel");
                        f.offline([&] { box->setChecked(true); });
                        box->setChecked(false);
                    },
                    padded({0x21, 0x1B, 0x00, 0x01})},
        CommandCase{"ShutterNoUse",
                    [](AdjustTabTest&, TAdjustTab& t) {
                        Commands::group(t, "shut_disp_sel")->setItemIndex(1);
                    },
                    padded({0x21, 0x37, 0x00, 0x01, 0x01})},
        CommandCase{"ExtSyncUse",
                    [](AdjustTabTest&, TAdjustTab& t) {
                        Commands::group(t, "sync_disp_sel")->setItemIndex(0);
                    },
                    padded({0x21, 0x37, 0x01, 0x00, 0x01})}),
    [](const auto& info) { return info.param.name; });

TEST_F(AdjustTabTest, UseSwitchClearedByAnUnknownItemSendsNothing) {
    auto* group = get<TRadioGroup>("shut_disp_sel");
    offline([&] { group->setItemIndex(0); });
    group->setItemIndex(5); // no such item: the choice is cleared
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_TRUE(ctx.sent.empty());
}

// ---- chroma and hue ------------------------------------------------------------------

struct HueCase {
    const char* bar;
    const char* timer;
    const char* display;
    int address;
    std::int32_t stored;
    int position;
    int word;
};

class HueBars : public AdjustTabTest, public ::testing::WithParamInterface<HueCase> {};

TEST_P(HueBars, SendSignAndMagnitudeKeepingTheCameraBits) {
    const HueCase& c = GetParam();
    ctx.data[static_cast<std::size_t>(c.address)] = c.stored;
    get<QSlider>(c.bar)->setValue(c.position);
    ASSERT_TRUE(timer(c.timer)->isActive());
    EXPECT_TRUE(ctx.sent.empty()); // only the tick sends
    invoke((std::string(c.timer) + "Timer").c_str());
    EXPECT_FALSE(timer(c.timer)->isActive());
    const auto a = static_cast<std::uint8_t>(c.address);
    EXPECT_EQ(frames(),
              std::vector<Bytes>{padded({0x21, 0x0B, a, static_cast<std::uint8_t>(c.word >> 8),
                                         static_cast<std::uint8_t>(c.word)})});
    EXPECT_EQ(ctx.data[static_cast<std::size_t>(c.address)], c.word);
    EXPECT_EQ(get<QLineEdit>(c.display)->text(), QString::number(c.position));
}

INSTANTIATE_TEST_SUITE_P(
    AdjustTab, HueBars,
    ::testing::Values(HueCase{"RYP", "TimerRYP", "RYP_DATA", 0x2C, 0x0600, -1, 0x0701},
                      HueCase{"RYP", "TimerRYP", "RYP_DATA", 0x2C, 0x0600, 255, 0x06FF},
                      HueCase{"BYP", "TimerBYP", "BYP_DATA", 0x2D, 0x01FF, 3, 0x0003},
                      HueCase{"RYN", "TimerRYN", "RYN_DATA", 0x2E, 0x8123, -128, 0x8180},
                      HueCase{"BYN", "TimerBYN", "BYN_DATA", 0x2F, 0xFFFF, -255, 0xFFFF},
                      HueCase{"BYN", "TimerBYN", "BYN_DATA", 0x2F, 0xFE00, 16, 0xFE10}),
    [](const auto& info) {
        const int p = info.param.position;
        return std::string(info.param.bar) + (p < 0 ? "ToMinus" : "To") +
               std::to_string(p < 0 ? -p : p);
    });

TEST_F(AdjustTabTest, ChromaSendsBothGainsInOneRegister) {
    get<QSlider>("CromaRY")->setValue(0x10);
    get<QSlider>("CromaBY")->setValue(0x20);
    ASSERT_TRUE(timer("Timercrm")->isActive());
    invoke("TimercrmTimer");
    EXPECT_EQ(frames(), std::vector<Bytes>{padded({0x21, 0x0B, 0x2B, 0x20, 0x10})});
    EXPECT_EQ(ctx.data[0x2B], 0x2010);
    EXPECT_EQ(get<QLineEdit>("RY_Gain")->text(), "16");
    EXPECT_EQ(get<QLineEdit>("BY_Gain")->text(), "32");
    EXPECT_FALSE(timer("Timercrm")->isActive());
}

} // namespace
