#pragma once
// What the "CCD Defect" tab needs of the main window beyond the link: the
// camera's video format, which maps sensor positions onto the position pad
// and picks the Y offset of the adjustment, and the parameter window.

class TDefectHost {
  public:
    virtual ~TDefectHost() = default;

    // Horizontal range of the sensor: 800 for a Hi-Resolution camera, 544 for
    // Lo-Resolution; 1 until the camera has reported it (register 0x01).
    virtual int HorizontalRange() const = 0;
    // Vertical range: 312 for PAL, 136 for NTSC; 1 until reported (register 0x40).
    virtual int VerticalRange() const = 0;
    // True for an NTSC camera; false for PAL and until the camera has reported.
    virtual bool Ntsc() const = 0;
    // Shows the "Adjust Parameter" window (not modal); it may already be open.
    virtual void ShowParameterWindow() = 0;
};
