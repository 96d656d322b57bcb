#pragma once

#include "SubtitleTrack.h"

#include <QString>
#include <vector>

// The text of the two subtitle files written beside a recording.
namespace SubtitleText {
constexpr int lineLength = 42;
constexpr int linesPerCue = 2;

// SubRip: a cue per sentence of at most two lines of 42 characters, broken between words; a
// sentence too long for one cue goes on in further cues, each from the sound of its first word.
QString subRip(const std::vector<TimedSentence>& sentences);
// Enhanced LRC: a line per sentence stamped with its start, each word stamped with its own.
QString lrc(const std::vector<TimedSentence>& sentences, const QString& title);
} // namespace SubtitleText
