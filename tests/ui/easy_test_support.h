#pragma once
// A fresh Easy tab on an in-memory link, with helpers to find its controls by
// name, to hand it replies the way the main window does and to read the
// frames it sent.

#include "tests/support/fake_context.h"
#include "ui/common/message.h"
#include "ui/main/easy_tab.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace easy_test {

using Bytes = std::vector<std::uint8_t>;

// Payload bytes 1..15 of a frame whose first bytes are `head`.
inline Bytes padded(std::initializer_list<std::uint8_t> head) {
    Bytes out(head);
    out.resize(cam::kPayloadSize, 0);
    return out;
}

// One Easy tab and its link.
struct Easy {
    FakeContext ctx;
    TEasyTab tab{ctx};

    Easy() { MessageLog::clear(); }

    template <class T = QWidget> T* get(const char* name) {
        auto* w = tab.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QSlider* bar(const char* name) { return get<QSlider>(name); }
    TRadioGroup* radio(const char* name) { return get<TRadioGroup>(name); }
    QCheckBox* check(const char* name) { return get<QCheckBox>(name); }
    QPushButton* button(const char* name) { return get<QPushButton>(name); }
    QComboBox* combo(const char* name) { return get<QComboBox>(name); }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    QTimer* timer(const char* name) { return get<QTimer>(name); }
    bool enabled(const char* name) { return EnabledFlag(get(name)); }

    void invoke(const char* slot) { ASSERT_TRUE(QMetaObject::invokeMethod(&tab, slot)) << slot; }
    // One tick of a debounce timer: its handler runs only while it is armed.
    void fire(const char* timerName, const char* slot) {
        if (timer(timerName)->isActive()) invoke(slot);
    }
    // A drop-down list choice made by the technician.
    void choose(const char* name, int index) {
        auto* box = combo(name);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // A reply as the main window hands it on: accepted answers to reads go
    // through the common decoder first, then every reply to the Easy decoder.
    void deliver(std::initializer_list<std::uint8_t> bytes, std::uint8_t status = cam::kAccepted) {
        ctx.SetReply(bytes, status);
        if (ctx.reply[1] == cam::kAccepted && ctx.tx[1] == cam::kReadClass) tab.DecodeRead();
        tab.Trans_end_easy();
    }
    // The answer to a read of `bytes[0]` that the main window sent.
    void readReply(std::initializer_list<std::uint8_t> bytes) {
        ctx.tx[1] = cam::kReadClass;
        ctx.tx[2] = *bytes.begin();
        deliver(bytes);
    }
    // One reply of the Easy load's status block, while the load runs.
    void status(std::initializer_list<std::uint8_t> bytes) {
        const bool was = ctx.sequenceRunning;
        ctx.sequenceRunning = true;
        readReply(bytes);
        ctx.sequenceRunning = was;
    }

    // Payload bytes 1..15 of the last frame sent, or nothing.
    Bytes last() const {
        return ctx.sent.empty()
                   ? Bytes{}
                   : ctx.Payload(ctx.sent.size() - 1, static_cast<int>(cam::kPayloadSize));
    }
    // Payload bytes 1..15 of every frame sent so far.
    std::vector<Bytes> frames() const {
        std::vector<Bytes> out;
        for (std::size_t k = 0; k < ctx.sent.size(); ++k)
            out.push_back(ctx.Payload(k, static_cast<int>(cam::kPayloadSize)));
        return out;
    }
};

// Tests that need one tab take it from this fixture; table-driven tests that
// need a fresh tab per case make an Easy of their own.
class EasyTabTest : public ::testing::Test {
  protected:
    Easy e;
};

} // namespace easy_test
