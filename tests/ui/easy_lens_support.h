#pragma once
// The Easy tab with the Line tab beside it on one in-memory link, dispatching
// replies the way the main window does, and a pump that lets the simulated
// camera answer every frame the tabs send.

#include "easy_test_support.h"
#include "sim/camera_model.h"
#include "ui/main/line_tab.h"

#include <algorithm>
#include <set>
#include <string>

namespace easy_test {

enum class Page { Easy, Line };

struct LensRig : Easy {
    TLineTab line{ctx, tab};

    template <class T = QWidget> T* lineGet(const char* name) {
        auto* w = line.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool lineEnabled(const char* name) { return EnabledFlag(lineGet(name)); }
    void lineInvoke(const char* slot) {
        ASSERT_TRUE(QMetaObject::invokeMethod(&line, slot)) << slot;
    }

    // The reply in ctx.reply as the main window hands it on: accepted answers
    // to reads to every tab's share of the common decoder, then every reply
    // to the decoder of the active page.
    void dispatch(Page page) {
        if (ctx.reply[1] == cam::kAccepted && ctx.LastClass() == cam::kReadClass) {
            tab.DecodeRead();
            line.DecodeRead();
        }
        if (page == Page::Easy)
            tab.Trans_end_easy();
        else
            line.Trans_end_line();
    }
    // A reply with payload bytes 2.. to the frame last sent.
    void reply(Page page, std::initializer_list<std::uint8_t> bytes) {
        ctx.SetReply(bytes);
        dispatch(page);
    }

    // Lets `camera` answer every frame not yet answered, in order, until the
    // tabs send nothing more (at most `limit` frames).
    void pump(camsim::CameraModel& camera, Page page, std::size_t limit = 200) {
        while (answered_ < ctx.sent.size() && answered_ < limit) {
            const auto& frame = ctx.sent[answered_++];
            const auto out = camera.Feed(frame.data(), frame.size());
            ASSERT_EQ(out.size(), 1u + cam::kFrameSize);
            std::copy(out.begin() + 1, out.end(), ctx.reply.begin());
            dispatch(page);
        }
        ASSERT_LT(answered_, limit) << "the exchange did not end";
    }
    // Forget what was sent so far (the pump starts after it).
    void clearSent() {
        ctx.sent.clear();
        answered_ = 0;
    }

  private:
    std::size_t answered_ = 0;
};

// The lens controls whose Enabled state the handlers and replies change.
inline const std::vector<std::string> kLensControls = {
    "ZoomStep",        "ZoomSpinButton", "ZoomStepBar",        "GetZoomCurrent", "FocusStep",
    "FocusSpinButton", "FocusStepBar",   "ZoomSpeedBar",       "FocusSpeedBar",  "DigitalZoom",
    "PushSW",          "AlarmNo",        "AlarmSpinButton",    "CurrentCheck",   "AutoFocus",
    "OnePushAF",       "PositionNo",     "PositionSpinButton", "PosLoad",        "PosSave"};

using Names = std::set<std::string>;

inline Names disabledLens(Easy& e) {
    Names out;
    for (const auto& name : kLensControls)
        if (!e.enabled(name.c_str())) out.insert(name);
    return out;
}

} // namespace easy_test
