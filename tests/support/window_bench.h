#pragma once
// The real window, link and camera model on an in-memory line, unlocked and
// connected: what the technician does is judged by what reached the camera
// model and what the controls show.

#include "sim/camera_model.h"
#include "support/fake_port.h"
#include "ui/common/message.h"
#include "ui/main/main_window.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace window_bench {

using Bytes = FakePort::Bytes;

enum Page { Adjust = 0, Debug = 1, Defect = 2, Copy = 3, Easy = 4, Line = 5 };

struct Bench {
    FakePort* port = nullptr;
    camsim::CameraModel camera;
    std::unique_ptr<TF38R5> window;
    std::vector<Bytes> commands; // payload bytes 1..15 of every command frame, in order
    int overlaps = 0;            // frames written while the camera's answer was unread

    // `acks` ACKs reach the tool at the opening: a camera may greet the
    // opening and answer the ENQ as well.
    explicit Bench(int acks = 1) {
        MessageLog::clear();
        auto p = std::make_unique<FakePort>();
        port = p.get();
        window = std::make_unique<TF38R5>(std::move(p));
        port->answer = [this](std::uint8_t, const Bytes& w) {
            if (w.size() >= 19) {
                if (!port->rx.empty()) ++overlaps;
                if (w.size() == 19) commands.emplace_back(w.begin() + 1, w.begin() + 16);
            }
            return w.size() == 1 && w[0] == cam::ENQ ? Bytes{} : camera.Feed(w.data(), w.size());
        };
        port->Receive(Bytes(static_cast<std::size_t>(acks), cam::ACK));
        port->Deliver();
        auto* pwl = window->findChild<QLineEdit*>(QStringLiteral("pwl"));
        for (const char* code : {"q", "qz", "qzv", "qzvt"})
            pwl->setText(QLatin1String(code));
    }
    ~Bench() { window.reset(); }

    template <class T = QObject> T* find(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }
    void show(Page page) {
        find<QTabWidget>("PageControl1")->setCurrentIndex(page);
        port->Deliver();
    }
    void invoke(QObject* owner, const char* handler) {
        ASSERT_TRUE(QMetaObject::invokeMethod(owner, handler)) << handler;
    }
    // Every debounce timer that a decoded value armed would write it back.
    void fireArmedTimers() {
        for (QTimer* t : window->findChildren<QTimer*>())
            if (t->isActive() && t->objectName() != QLatin1String("SendTimer"))
                QMetaObject::invokeMethod(t, "timeout", Qt::DirectConnection);
        port->Deliver();
    }
    std::vector<Bytes> writesSince(std::size_t from) const {
        std::vector<Bytes> out;
        for (std::size_t i = from; i < commands.size(); ++i)
            if (commands[i][0] == cam::kWriteClass)
                out.emplace_back(commands[i].begin(), commands[i].begin() + 4);
        return out;
    }
};

// Payload bytes 1..3 of the reads of `code` sent since command `from`.
inline std::vector<Bytes> stepsOf(const Bench& b, std::size_t from, std::uint8_t code) {
    std::vector<Bytes> out;
    for (std::size_t i = from; i < b.commands.size(); ++i)
        if (b.commands[i][0] == cam::kReadClass && b.commands[i][1] == code)
            out.emplace_back(b.commands[i].begin(), b.commands[i].begin() + 3);
    return out;
}

// Command frames since command `from` whose payload begins with `head`.
inline int framesOf(const Bench& b, const Bytes& head, std::size_t from = 0) {
    int n = 0;
    for (std::size_t i = from; i < b.commands.size(); ++i)
        n += std::equal(head.begin(), head.end(), b.commands[i].begin()) ? 1 : 0;
    return n;
}

// The camera changes a setting by itself (its own keys, another tool).
inline void cameraSets(Bench& b, Bytes payload) {
    cam::TxFrame frame{};
    for (std::size_t i = 0; i < payload.size(); ++i)
        frame[i + 1] = payload[i];
    cam::complete_command_frame(frame, static_cast<int>(payload.size()));
    b.camera.Feed(frame.data(), frame.size());
}

} // namespace window_bench
