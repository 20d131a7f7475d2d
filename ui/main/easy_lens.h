#pragma once
// What the lens replies need of the "Line" tab, and the lens group's ranges.
//
// The iris and lens adjustments of the Line tab both begin with the digital
// zoom "OFF" (21 45 06 00), and the lens adjustment reports its progress with
// lens sub-code 4; both arrive through the lens decoding of the Easy tab,
// which hands them to the Line tab through this interface.

class TLensAdjustment {
  public:
    virtual ~TLensAdjustment() = default;

    // The digital zoom "OFF" was acknowledged while the Line tab is showing:
    // the adjustment whose button is disabled goes on, if it asked for it.
    virtual void AdjustmentStartAcknowledged() = 0;
    // The camera reports the lens adjustment's state: 0 running, 1 over.
    virtual void LensAdjustmentReported(int state) = 0;
};

namespace lens {

inline constexpr int kZoomMin = 0x1000;
inline constexpr int kZoomMax = 0x18B0;         // without the digital zoom
inline constexpr int kDigitalZoomSpan = 0x0E40; // added by the digital zoom

// The zoom bar's maximum for an item index of DigitalZoom; no choice counts
// as "OFF".
constexpr int zoom_max(int digitalZoomIndex) {
    return kZoomMax + kDigitalZoomSpan * (digitalZoomIndex == 1 ? 1 : 0);
}

// Tick frequency and page size of the focus bar for a range of `span` steps.
constexpr int focus_tick(int span) {
    if (span < 10) return 1;
    if (span < 20) return 2;
    if (span < 40) return 4;
    if (span < 80) return 8;
    if (span < 160) return 16;
    return 32;
}

} // namespace lens
