// The progress shown while cameras are worked on: a log gets phase changes
// and 10 % steps only; a terminal gets its lines redrawn in place at most
// ten times a second.

#include "line/progress_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;

struct Output {
    Output() : file(open_memstream(&buffer, &size)) {}
    ~Output() {
        std::fclose(file);
        std::free(buffer);
    }
    std::string text() {
        std::fflush(file);
        return {buffer, size};
    }
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* file;
};

// The lines of a plain log without their time stamps, each ended by '|'.
std::string untimed(const std::string& text) {
    std::string lines;
    for (std::size_t start = 0; start < text.size(); start = text.find('\n', start) + 1) {
        const auto from = text.find(' ', start) + 1;
        lines += text.substr(from, text.find('\n', start) - from) + '|';
    }
    return lines;
}

TEST(LineProgressView, PlainPrintsPhasesAndTenPercentSteps) {
    Output out;
    cam::TProgressView view(out.file, false, 2);
    std::string expected;
    for (int percent = 0; percent <= 100; ++percent) {
        view.Update(0, {.port = "A", .phase = "backup", .percent = percent});
        if (percent % 10 == 0) expected += "A backup " + std::to_string(percent) + "%|";
    }
    view.Update(1, {.port = "B", .phase = "connect"});
    view.Update(1, {.port = "B", .phase = "connect"});
    view.Update(1, {.port = "B", .phase = "backup"});
    view.Update(0, {.port = "A", .phase = "write", .percent = 5, .secondsLeft = 65});
    view.Event(1, "connect failed: no reply\nat all");
    EXPECT_EQ(
        untimed(out.text()),
        expected +
            "B connect 0%|B backup 0%|A write 5%, 1:05 left|B connect failed: no reply at all|");
}

TEST(LineProgressView, LiveRedrawsInPlaceAtMostTenTimesASecond) {
    Output out;
    auto now = std::chrono::steady_clock::time_point{};
    cam::TProgressView view(
        out.file, true, 2, [&] { return now; }, 40);
    view.Update(0, {"/dev/ttyUSB10", "write", 7, 125});
    EXPECT_EQ(out.text(), "\r/dev/ttyUSB10  write    7%   2:05\033[K\n\r\033[K\n");

    std::size_t drawn = out.text().size();
    for (int word = 0; word < 1000; ++word) { // within 100 ms: no redraw
        now += 99us;
        view.Update(1, {"B", "verify", word / 10});
    }
    EXPECT_EQ(out.text().size(), drawn);
    now += 1ms;
    view.Update(1, {"B", "verify", 100, -1, true, "verify failed: 3 words differ"});
    EXPECT_EQ(out.text().substr(drawn), "\033[2A"
                                        "\r/dev/ttyUSB10  write     7%   2:05\033[K\n"
                                        "\rB              verify  100%  verify fail\033[K\n");

    drawn = out.text().size();
    view.Event(1, "verify failed"); // shown on the camera's line, not above it
    view.Flush();                   // nothing changed
    EXPECT_EQ(out.text().size(), drawn);
    view.Update(0, {"/dev/ttyUSB10", "write", 8});
    EXPECT_EQ(out.text().size(), drawn);
    view.Flush(); // the last state is shown at the end
    EXPECT_NE(out.text().find("write     8%  --:--", drawn), std::string::npos) << out.text();
}

} // namespace
