#pragma once
// A Copy tab on an in-memory link, its dialogs answered by the test, and a
// pump that carries its frames to the simulated camera and the answers back
// the way the main window does.

#include "sim/camera_model.h"
#include "tests/support/fake_context.h"
#include "ui/common/message.h"
#include "ui/copy/copy_host.h"
#include "ui/copy/copy_tab.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace copy_test {

using Bytes = std::vector<std::uint8_t>;

struct FakeCopyHost : TCopyHost {
    FakeContext& ctx;
    TCopyTab* tab = nullptr;
    std::vector<cam::BulkFrame> bulk;
    int reloads = 0;
    int copyPages = 0;

    explicit FakeCopyHost(FakeContext& c) : ctx(c) {}
    std::uint32_t SohCommand() override {
        std::array<std::uint8_t, cam::kBulkDataSize> image{};
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(ctx.data[i]);
        cam::build_bulk_frame(bulk.emplace_back(), image.data());
        if (tab) tab->SetCopyProgressMax();
        ctx.tags.push_back(0x40000000u + static_cast<std::uint32_t>(bulk.size()));
        return ctx.tags.back();
    }
    void Reset1Click() override {
        if (ctx.Trans_chk()) ctx.Send({cam::kResetClass});
    }
    void ReLoadClick() override { ++reloads; }
    void ShowCopyPage() override { ++copyPages; }
};

inline std::uint16_t Pattern(int a) {
    return a == 7 ? 0xFFFF : static_cast<std::uint16_t>(a * 0x9E37 ^ 0x5AA5 ^ (a << 3));
}

// The file "Camera->PC" writes for the words Pattern(a), built independently.
inline std::string CameraFile() {
    std::string text;
    for (int a = 0; a < 1023; ++a)
        text +=
            QString::asprintf("210C%04X%04X000000000000000000\r\n", a, Pattern(a)).toStdString();
    return text + "F1" + std::string(28, '0') + "\r\n";
}

class CopyTabTest : public ::testing::Test {
  public:
    FakeContext ctx;
    FakeCopyHost host{ctx};
    TCopyTab tab{ctx, host};
    QTemporaryDir dir;
    std::deque<QString> dialogAnswers; // none left: Cancel
    int dialogsRun = 0;
    std::vector<QString> questions;
    bool answerYes = true;

    CopyTabTest() {
        MessageLog::clear();
        host.tab = &tab;
        tab.SetDialogRunner([this](TCopyFileDialog& dialog) {
            ++dialogsRun;
            if (dialogAnswers.empty()) return false;
            dialog.FileName = dialogAnswers.front();
            dialogAnswers.pop_front();
            return true;
        });
        tab.SetQuestion([this](const QString& text) {
            questions.push_back(text);
            return answerYes;
        });
    }

    template <class T> T* get(const char* name) {
        return tab.findChild<T*>(QString::fromLatin1(name));
    }
    bool completeShown() { return !get<QLabel>("complete2")->isHidden(); }
    QProgressBar* progress() { return get<QProgressBar>("ProgressBar3"); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    static void WriteFile(const QString& name, const std::string& text) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    static std::optional<std::string> ReadFile(const QString& name) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
        return f.readAll().toStdString();
    }

    // Carries every frame sent so far to `camera`: its reply frame goes to
    // Trans_end_copy, an ACK alone (the reset) to CloseCopyFile.
    void Pump(camsim::CameraModel& camera) {
        while (sentDone_ < ctx.sent.size() || bulkDone_ < host.bulk.size()) {
            const bool bulk = sentDone_ == ctx.sent.size();
            const Bytes out = bulk ? camera.Feed(host.bulk[bulkDone_++].data(), cam::kBulkFrameSize)
                                   : camera.Feed(ctx.sent[sentDone_++].data(), cam::kFrameSize);
            ASSERT_FALSE(out.empty());
            ASSERT_EQ(out[0], cam::ACK);
            if (out.size() == 1) {
                tab.CloseCopyFile();
                continue;
            }
            ASSERT_EQ(out.size(), 1u + cam::kFrameSize);
            std::copy(out.begin() + 1, out.begin() + 18, ctx.reply.begin());
            tab.Trans_end_copy();
        }
    }

  private:
    std::size_t sentDone_ = 0;
    std::size_t bulkDone_ = 0;
};

} // namespace copy_test
