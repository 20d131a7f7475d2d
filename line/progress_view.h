#pragma once
// What cam38r5-line prints while it works on the cameras. On a terminal
// ("live") each camera has a line of its own that is redrawn in place; into
// a pipe or a log file one plain line is printed per step worth noting.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace cam {

struct CameraProgress {
    std::string port;
    std::string phase; // connect, backup, write, reset, verify
    int percent = 0;
    double secondsLeft = -1; // -1: not known
    bool finished = false;
    std::string result{}; // shown once finished; {} so that initializer lists may leave it out
};

class TProgressView {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kRedrawInterval{100};

    // `columns`: live lines are cut to this many characters (pass the
    // terminal's width, less one, so that no line wraps and breaks the redraw).
    TProgressView(std::FILE* out, bool live, std::size_t cameras, Clock clock = {},
                  std::size_t columns = 200);

    // Live: remembers the state and redraws when the last redraw is at
    // least kRedrawInterval old. Plain: a line when the phase changes or the
    // percent passes a multiple of 10.
    void Update(std::size_t camera, const CameraProgress& progress);
    // Plain: "<time> <port> <text>". Live: nothing (the camera's line shows
    // its state and, at the end, its result).
    void Event(std::size_t camera, const std::string& text);
    // Live: redraws what changed since the last redraw. Call it at the end,
    // and from a timer so that a last update is not held back.
    void Flush();

  private:
    struct Camera {
        CameraProgress progress;
        bool known = false;    // updated at least once
        int printedTenth = -1; // plain: percent / 10 last printed
        std::string printedPhase;
    };

    std::string LiveLine(const Camera& camera, std::size_t portWidth, std::size_t phaseWidth) const;
    void Draw();
    void Print(const std::string& line);

    std::FILE* out_;
    bool live_;
    Clock clock_;
    std::size_t columns_;
    std::vector<Camera> cameras_;
    bool drawn_ = false;
    bool dirty_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace cam
