#pragma once

#include <Qt>

class FramePlacement;
struct SettingsFields;
struct SettingsValues;

// The main window's outer frame as Settings.ini keeps it: its size and place in twips. A stored
// size larger than the desktop is cut to it. A value no desktop could show, or a place where no
// screen would show the window's title bar (so that it could never be dragged back), is refused
// with PlatformError.
class FrameSettings {
public:
    // Larger than this no desktop window can be, nor stand farther from the desktop's origin.
    static constexpr int largestWindowPixels = 32767;

    explicit FrameSettings(FramePlacement& placement);

    // Applies the width, height, left and top fields in that order; the fields before a refused
    // one keep their effect.
    void apply(const SettingsFields& file);
    // The frame's size and place as stored; a minimised, maximised or full-screen window stores a
    // fixed size rather than the one it has then. The other values are left at their defaults.
    SettingsValues stored(Qt::WindowStates state) const;

private:
    void placeOnScreen(int leftPixels, int topPixels);

    FramePlacement& m_placement;
};
