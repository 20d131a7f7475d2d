#pragma once
// The real window on an in-memory line whose other end is the simulated
// camera, with the Copy tab shown and its dialogs answered by the test. A
// copy runs to its end at full speed: every answer is handed on at once, and
// when nothing is left to hand on the test drives the supervision tick
// itself, so a time-out costs twenty calls, not thirty seconds.

#include "sim/camera_model.h"
#include "support/fake_port.h"
#include "ui/common/message.h"
#include "ui/copy/copy_tab.h"
#include "ui/main/main_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace copy_bench {

using Bytes = FakePort::Bytes;
using Eeprom = std::array<std::uint16_t, 1024>;

struct CopyBench {
    FakePort* port = nullptr;
    camsim::CameraModel camera;
    std::unique_ptr<TF38R5> window;
    TCopyTab* tab = nullptr;
    QTemporaryDir dir;
    std::deque<QString> dialogAnswers;
    int ticks = 0; // supervision ticks driven by the last Run

    explicit CopyBench(camsim::ModelOptions options = {}) : camera(options) {
        MessageLog::clear();
        auto p = std::make_unique<FakePort>();
        port = p.get();
        window = std::make_unique<TF38R5>(std::move(p));
        port->answer = [this](std::uint8_t, const Bytes& w) {
            return w.size() == 1 && w[0] == cam::ENQ ? Bytes{} : camera.Feed(w.data(), w.size());
        };
        port->Receive({cam::ACK});
        port->Deliver();
        auto* pwl = window->findChild<QLineEdit*>(QStringLiteral("pwl"));
        for (const char* code : {"q", "qz", "qzv", "qzvt"})
            pwl->setText(QLatin1String(code));
        window->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
        port->Deliver();
        tab = window->findChild<TCopyTab*>(QStringLiteral("Panel7"));
        tab->SetDialogRunner([this](TCopyFileDialog& dialog) {
            if (dialogAnswers.empty()) return false;
            dialog.FileName = dialogAnswers.front();
            dialogAnswers.pop_front();
            return true;
        });
        tab->SetQuestion([](const QString&) { return true; });
    }

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    // Clicks a Copy tab button ("CtopOK2", "ptocOk", "ptocOk2") with `file`
    // as the dialog's answer and runs the copy to its end: until no copy runs,
    // no verification runs, nothing is in flight and nothing waits to be read, or until the line
    // has been quiet for longer than the longest give-up (a bulk frame's).
    void Run(const char* button, const QString& file) {
        dialogAnswers.push_back(file);
        auto* b = window->findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        ASSERT_TRUE(!b->isHidden() && b->isEnabled()) << button;
        b->click();
        ticks = 0;
        for (int quiet = 0; quiet < 1200;) {
            bool moved = port->Deliver(1 << 20) > 0;
            // What the tab put off until the link is done (no timers run here).
            QCoreApplication::sendPostedEvents();
            moved = port->Deliver(1 << 20) > 0 || moved;
            if (!tab->CopyRunning() && !tab->Verifying() && !window->Link().InFlight() &&
                port->rx.empty())
                return;
            if (moved) {
                quiet = 0;
                continue;
            }
            window->SendTimerTimer();
            ++ticks;
            ++quiet;
        }
    }

    Eeprom Words() const {
        Eeprom words{};
        for (int a = 0; a < 1024; ++a)
            words[static_cast<std::size_t>(a)] = camera.Eeprom(a);
        return words;
    }
    void SetWords(const Eeprom& words) {
        for (int a = 0; a < 1024; ++a)
            camera.SetEeprom(a, words[static_cast<std::size_t>(a)]);
    }
};

// The copy file for words 0x000..0x3FE as "Camera->PC" writes it, built here
// on its own.
inline std::string FileOf(const Eeprom& words) {
    std::string text;
    for (int a = 0; a < 1023; ++a)
        text += QString::asprintf("210C%04X%04X000000000000000000\r\n", a,
                                  words[static_cast<std::size_t>(a)])
                    .toStdString();
    return text + "F1" + std::string(28, '0') + "\r\n";
}

inline void WriteFile(const QString& name, const std::string& text) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// Where two texts first differ, for a failure message (empty when equal).
inline std::string FirstDifference(const std::optional<std::string>& got, const std::string& want) {
    if (!got) return "no file";
    if (*got == want) return {};
    std::size_t i = 0;
    while (i < got->size() && i < want.size() && (*got)[i] == want[i])
        ++i;
    const std::size_t line = i / 32;
    return "differs in line " + std::to_string(line + 1) + ": \"" + got->substr(32 * line, 30) +
           "\" instead of \"" + want.substr(32 * line, 30) + "\" (" + std::to_string(got->size()) +
           " bytes)";
}

inline std::optional<std::string> ReadFile(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll().toStdString();
}

// A set of words; two different seeds give words that differ at every address.
inline Eeprom Pattern(int seed) {
    Eeprom words{};
    for (int a = 0; a < 1024; ++a)
        words[static_cast<std::size_t>(a)] =
            static_cast<std::uint16_t>((a * 0x9E37 + seed * 0x3B1) ^ 0xA55A ^ (a << 5));
    return words;
}

} // namespace copy_bench
