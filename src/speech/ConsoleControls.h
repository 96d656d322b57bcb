#pragma once

#include <QString>

class QFont;
class frmConsole;

// Builds the speech console's controls into its members: each made with its parent, caption and
// object name in the order of the keyboard's tab sequence, placed as designed (twips) and named
// for screen readers, and later wired to the console's handlers. What the controls do is the
// console's; this gives them their look, their place and their connections.
class ConsoleControls {
public:
    static void build(frmConsole& console);
    // Wires each control to the console's handler for it.
    static void connect(frmConsole& console);
    // The text to speak as the console starts with it, and returns to on Reset.
    static QString initialText();

private:
    explicit ConsoleControls(frmConsole& console);

    void create();
    void createSettings();
    void createSpeaking();
    void createFlags();
    void placeFaceAndSettings();
    void placeSettingsRows();
    void shapeSliders();
    void placeSpeaking(const QFont& small);
    void placeSpeakButtons(const QFont& small);
    void placeFlags(const QFont& small);
    void placeLog();
    void nameForScreenReaders();

    frmConsole& m_console;
};
