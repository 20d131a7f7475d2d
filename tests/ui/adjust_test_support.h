#pragma once
// A fresh Adjust page on an in-memory link, with helpers to find its controls
// by name and to read the frames it sent.

#include "tests/support/fake_context.h"
#include "ui/main/adjust_tab.h"

#include <QMetaObject>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Payload bytes 1..15 of a frame whose first bytes are `head`.
inline Bytes padded(std::initializer_list<std::uint8_t> head) {
    Bytes out(head);
    out.resize(cam::kPayloadSize, 0);
    return out;
}

class AdjustTabTest : public ::testing::Test {
  public:
    FakeContext ctx;
    TAdjustTab tab{ctx};

    template <class T = QWidget> T* get(const char* name) {
        auto* w = tab.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QTimer* timer(const char* name) { return get<QTimer>(name); }
    void invoke(const char* slot) { ASSERT_TRUE(QMetaObject::invokeMethod(&tab, slot)) << slot; }
    // Runs `change` while the link refuses to send, then forgets what it did.
    template <class F> void offline(F change) {
        const bool was = ctx.busy;
        ctx.busy = true;
        change();
        ctx.busy = was;
        ctx.sent.clear();
    }
    // Payload bytes 1..15 of every frame sent so far.
    std::vector<Bytes> frames() const {
        std::vector<Bytes> out;
        for (std::size_t k = 0; k < ctx.sent.size(); ++k)
            out.push_back(ctx.Payload(k, static_cast<int>(cam::kPayloadSize)));
        return out;
    }
};
