#pragma once

// System colours as colour values (red in the lowest byte), read from the desktop's palette.
// An index without a palette role gives 0 (black), as the platform does for unknown indices.
enum SystemColorIndex {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
};
int GetSysColor(int index);
