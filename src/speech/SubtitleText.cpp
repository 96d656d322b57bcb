#include "SubtitleText.h"

namespace {

struct Cue {
    qint64 start = 0;
    qint64 end = 0;
    QStringList lines;
};

QString subRipTime(qint64 milliseconds)
{
    return QStringLiteral("%1:%2:%3,%4")
        .arg(milliseconds / 3600000, 2, 10, QLatin1Char('0'))
        .arg(milliseconds / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds % 1000, 3, 10, QLatin1Char('0'));
}

// Hundredths of a second, the nearest one.
QString lrcTime(qint64 milliseconds)
{
    const qint64 hundredths = (milliseconds + 5) / 10;
    return QStringLiteral("%1:%2.%3")
        .arg(hundredths / 6000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

// Fills lines word by word; a cue that is full ends where the next word is heard.
std::vector<Cue> cuesOf(const TimedSentence& sentence)
{
    std::vector<Cue> cues;
    for (const TimedPiece& piece : sentence.pieces) {
        for (const QString& word : piece.text.split(QLatin1Char(' '))) {
            QStringList* lines = cues.empty() ? nullptr : &cues.back().lines;
            if (lines && lines->constLast().size() + 1 + word.size() <= SubtitleText::lineLength) {
                lines->last() += QLatin1Char(' ') + word;
            } else if (lines && lines->size() < SubtitleText::linesPerCue) {
                lines->append(word);
            } else {
                if (!cues.empty())
                    cues.back().end = piece.milliseconds;
                cues.push_back({ cues.empty() ? sentence.start : piece.milliseconds, 0, { word } });
            }
        }
    }
    if (!cues.empty())
        cues.back().end = sentence.end;
    return cues;
}

} // namespace

QString SubtitleText::subRip(const std::vector<TimedSentence>& sentences)
{
    QString text;
    int number = 0;
    for (const TimedSentence& sentence : sentences) {
        for (const Cue& cue : cuesOf(sentence)) {
            text += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                        .arg(++number)
                        .arg(subRipTime(cue.start), subRipTime(std::max(cue.start, cue.end)),
                            cue.lines.join(QLatin1Char('\n')));
        }
    }
    return text;
}

QString SubtitleText::lrc(const std::vector<TimedSentence>& sentences, const QString& title)
{
    QString text;
    if (!title.isEmpty())
        text += QStringLiteral("[ti:%1]\n").arg(title);
    for (const TimedSentence& sentence : sentences) {
        QStringList words;
        for (const TimedPiece& piece : sentence.pieces)
            words << QStringLiteral("<%1>%2").arg(lrcTime(piece.milliseconds), piece.text);
        text += QStringLiteral("[%1]%2\n").arg(lrcTime(sentence.start), words.join(QLatin1Char(' ')));
    }
    return text;
}
