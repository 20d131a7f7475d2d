// The Adjust tab's save chain: after "Save" the chroma and hue registers are
// stored one by one from the data table, after "Cancel" the tab reloads.

#include "tests/ui/copy_test_support.h"
#include "ui/copy/adjust_save.h"

namespace copy_test {
namespace {

struct SaveChain : ::testing::Test {
    FakeContext ctx;
    FakeCopyHost host{ctx};
    TAdjustSaveChain chain;

    SaveChain() { MessageLog::clear(); }
    // The camera's answer to a command of class `sent`.
    void Answer(std::initializer_list<std::uint8_t> bytes, std::uint8_t sent = 0x21,
                std::uint8_t status = cam::kAccepted) {
        ctx.tx[1] = sent;
        ctx.SetReply(bytes, status);
        chain.Trans_end_cstm(ctx, host);
    }
};

TEST_F(SaveChain, SaveStoresTheFiveRegistersInOrderThenShowsTheCopyTab) {
    const std::int32_t values[] = {0x2010, 0x06FF, 0x0701, 0xFE00, 0x0123};
    for (int r = 0; r < 5; ++r)
        ctx.data[static_cast<std::size_t>(0x2B + r)] = values[r];
    Answer({0x41, 0x00});
    // Each answer names the register just written.
    while (!ctx.sent.empty() && ctx.sent.size() < 7 && host.copyPages == 0)
        Answer({0x0A, ctx.sent.back()[3]});

    ASSERT_EQ(ctx.sent.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        const auto v = static_cast<std::uint16_t>(values[k]);
        EXPECT_EQ(ctx.Payload(k, 6),
                  Bytes({0x21, 0x0A, static_cast<std::uint8_t>(0x2B + k),
                         static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v), 0x00}))
            << k;
    }
    EXPECT_EQ(host.copyPages, 1);
}

TEST_F(SaveChain, OtherAnswersStoreNothing) {
    const struct {
        const char* what;
        std::initializer_list<std::uint8_t> reply;
        std::uint8_t sent;
        std::uint8_t status;
        int reloads;
        int errors;
    } cases[] = {
        {"cancel reloads", {0x41, 0x01}, 0x21, cam::kAccepted, 1, 0},
        {"an error reply", {0x41, 0x00}, 0x21, 0xE0, 0, 1},
        {"a register read of the load sequence", {0x0A, 0x2B}, 0x31, cam::kAccepted, 0, 0},
        {"a register after the chain", {0x0A, 0x30}, 0x21, cam::kAccepted, 0, 0},
        {"a non-storing register write", {0x0B, 0x2B}, 0x21, cam::kAccepted, 0, 0},
        {"a storing write the chain did not send", {0x0A, 0x2B}, 0x21, cam::kAccepted, 0, 0},
    };
    for (const auto& c : cases) {
        MessageLog::clear();
        host.reloads = 0;
        Answer(c.reply, c.sent, c.status);
        EXPECT_TRUE(ctx.sent.empty()) << c.what;
        EXPECT_EQ(host.reloads, c.reloads) << c.what;
        EXPECT_EQ(host.copyPages, 0) << c.what;
        EXPECT_EQ(MessageLog::count(" Error "), c.errors) << c.what;
    }
}

// Stopped half way (the page left, a load), the chain says so and the answer
// to its last frame sends nothing more.
TEST_F(SaveChain, AnInterruptedChainIsToldAndGoesNoFurther) {
    Answer({0x41, 0x00});
    ASSERT_EQ(ctx.sent.size(), 1u);
    chain.Interrupt(QStringLiteral("the tab was changed"));
    ASSERT_EQ(MessageLog::shown().size(), 1);
    EXPECT_TRUE(MessageLog::shown()[0].text.contains(QStringLiteral("the tab was changed")));
    Answer({0x0A, 0x2B});
    EXPECT_EQ(ctx.sent.size(), 1u);
    chain.Interrupt(QStringLiteral("a load took the line")); // nothing runs: nothing told
    EXPECT_EQ(MessageLog::shown().size(), 1);
}

} // namespace
} // namespace copy_test
