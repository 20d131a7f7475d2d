#include "line/progress_view.h"

#include "line/line_report.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace cam {

namespace {

// Control characters (a line break in a reason) would break the layout.
std::string printable(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return line;
}

// Characters, not bytes: UTF-8 continuation bytes take no column.
std::size_t width(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, std::size_t columns) {
    const std::size_t used = width(text);
    return used >= columns ? text : text + std::string(columns - used, ' ');
}

std::string cut(const std::string& text, std::size_t columns) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (characters++ == columns) return text.substr(0, i);
    }
    return text;
}

std::string timeLeft(double seconds) {
    if (!(seconds >= 0)) return "--:--";
    const auto whole = static_cast<long long>(std::llround(std::min(seconds, 6e6)));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

int clampedPercent(int percent) {
    return std::clamp(percent, 0, 100);
}

} // namespace

TProgressView::TProgressView(std::FILE* out, bool live, std::size_t cameras, Clock clock,
                             std::size_t columns)
    : out_(out), live_(live),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })),
      columns_(columns), cameras_(cameras) {}

void TProgressView::Update(std::size_t camera, const CameraProgress& progress) {
    if (camera >= cameras_.size()) return;
    Camera& c = cameras_[camera];
    c.progress = progress;
    c.known = true;
    if (live_) {
        dirty_ = true;
        if (!drawn_ || clock_() - lastDraw_ >= kRedrawInterval) Draw();
        return;
    }
    const int tenth = clampedPercent(progress.percent) / 10;
    if (progress.phase == c.printedPhase && tenth == c.printedTenth) return;
    c.printedPhase = progress.phase;
    c.printedTenth = tenth;
    std::string line = progress.port + ' ' + progress.phase + ' ' +
                       std::to_string(clampedPercent(progress.percent)) + '%';
    if (progress.secondsLeft >= 0) line += ", " + timeLeft(progress.secondsLeft) + " left";
    Print(line);
}

void TProgressView::Event(std::size_t camera, const std::string& text) {
    if (live_ || camera >= cameras_.size()) return;
    Print(cameras_[camera].progress.port + ' ' + text);
}

void TProgressView::Flush() {
    if (live_ && (dirty_ || !drawn_)) Draw();
    std::fflush(out_);
}

void TProgressView::Print(const std::string& line) {
    const std::string text = IsoTime(QDateTime::currentDateTime()) + ' ' + line;
    std::fputs((printable(text) + '\n').c_str(), out_); // a log keeps the whole reason
    std::fflush(out_);
}

std::string TProgressView::LiveLine(const Camera& camera, std::size_t portWidth,
                                    std::size_t phaseWidth) const {
    if (!camera.known) return {};
    const CameraProgress& p = camera.progress;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", clampedPercent(p.percent));
    std::string line =
        padded(p.port, portWidth) + "  " + padded(p.phase, phaseWidth) + "  " + percent + "  ";
    if (p.finished) return line + p.result;
    const std::string left = timeLeft(p.secondsLeft);
    return line + std::string(left.size() < 5 ? 5 - left.size() : 0, ' ') + left;
}

void TProgressView::Draw() {
    if (cameras_.empty()) return;
    std::size_t portWidth = 0, phaseWidth = 0;
    for (const Camera& c : cameras_) {
        portWidth = std::max(portWidth, width(c.progress.port));
        phaseWidth = std::max(phaseWidth, width(c.progress.phase));
    }
    std::string text;
    if (drawn_) text = "\033[" + std::to_string(cameras_.size()) + "A"; // back to the first line
    for (const Camera& c : cameras_)
        text += '\r' + cut(printable(LiveLine(c, portWidth, phaseWidth)), columns_) + "\033[K\n";
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
    dirty_ = false;
    lastDraw_ = clock_();
}

} // namespace cam
