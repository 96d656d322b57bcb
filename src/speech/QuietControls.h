#pragma once

class QComboBox;
class QSlider;
class QString;
class SpObjectTokens;

// Changes the console makes to its controls by code, which must not act as if the user had made
// them: none of them runs the control's handler.
namespace QuietControls {

// Adds the tokens' descriptions after the list's entries and leaves none selected.
void fill(QComboBox& list, const SpObjectTokens& tokens);
// Puts the one entry in the list that says why it has no others, and disables the list.
void fillUnusable(QComboBox& list, const QString& entry);
void setValue(QSlider& slider, int value);
// Selects the entry at index, also when it was selected already; an index outside the list is
// refused (PlatformError, invalid property value).
void select(QComboBox& list, int index);

} // namespace QuietControls
