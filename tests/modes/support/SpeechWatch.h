#pragma once

#include "engine/api/SpVoice.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTest>

// Watches a voice: the streams it starts and ends and the spans of the words it speaks. The
// spans tell which text reached the voice: speaking a text covers exactly its non-blank
// characters, so another text, a text cut short or one with its line breaks changed shows.
class SpeechWatch : public QObject {
public:
    explicit SpeechWatch(SpVoice& voice)
    {
        connect(&voice, &SpVoice::StartStream, this, [this] { ++started; });
        connect(&voice, &SpVoice::EndStream, this, [this] { ++ended; });
        connect(&voice, &SpVoice::Word, this, [this](int, const QVariant&, int position, int length) {
            for (int i = position; i < position + length; ++i)
                spoken.insert(i);
            ++words;
        });
    }

    bool waitForEnd(int streams = 1)
    {
        return QTest::qWaitFor([&] { return ended >= streams; }, 60000);
    }
    bool waitForWords(int count)
    {
        return QTest::qWaitFor([&] { return words >= count; }, 60000);
    }

    // True when the words spoken cover the text's non-blank characters and nothing else.
    bool spokeExactly(const QString& text) const
    {
        QSet<int> expected;
        for (int i = 0; i < text.size(); ++i) {
            if (!text[i].isSpace())
                expected.insert(i);
        }
        return spoken == expected;
    }

    int started = 0;
    int ended = 0;
    int words = 0;
    QSet<int> spoken;
};
