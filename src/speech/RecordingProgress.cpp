#include "RecordingProgress.h"

#include "engine/api/SpVoice.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

namespace {
constexpr int refreshMilliseconds = 250;

QString clockText(qint64 milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

RecordingProgress::RecordingProgress(
    SpVoice& voice, int stream, qsizetype textLength, QString fileName, QWidget* parent)
    : m_voice(voice)
    , m_stream(stream)
    , m_length(textLength)
    , m_fileName(std::move(fileName))
    , m_parent(parent)
{
    m_clock.start();
}

bool RecordingProgress::waitUntilDone()
{
    // Word events say how far the text has come, from the start, dialog or not.
    QObject context;
    QObject::connect(&m_voice, &SpVoice::Word, &context, [this](int stream, const QVariant&, int position, int length) {
        if (stream == m_stream)
            m_done = std::max<qsizetype>(m_done, position + length);
    });
    if (m_voice.WaitUntilDone(quietMilliseconds))
        return true;
    return waitInDialog();
}

bool RecordingProgress::waitInDialog()
{
    QProgressDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("RecordingProgress"));
    dialog.setWindowTitle(QStringLiteral("Save to a Wave File"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setRange(0, m_length > 0 ? 1000 : 0); // an unknown length shows a busy bar
    refresh(dialog);

    QEventLoop loop;
    bool cancelled = false;
    QObject::connect(&m_voice, &SpVoice::EndStream, &loop, [&] {
        if (m_voice.WaitUntilDone(0))
            loop.quit();
    });
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, &dialog, [&] { refresh(dialog); });
    ticks.start(refreshMilliseconds);
    dialog.show();
    // The recording may have ended while the dialog was being made.
    if (!m_voice.WaitUntilDone(0))
        loop.exec();
    return !cancelled;
}

void RecordingProgress::refresh(QProgressDialog& dialog) const
{
    if (m_length > 0)
        dialog.setValue(static_cast<int>(std::min<qsizetype>(m_done, m_length) * 1000 / m_length));
    dialog.setLabelText(describe());
}

QString RecordingProgress::describe() const
{
    const QString heading = QStringLiteral("Recording to %1").arg(QFileInfo(m_fileName).fileName());
    const qint64 spent = m_clock.elapsed();
    if (m_length <= 0 || m_done <= 0)
        return QStringLiteral("%1\n%2 spent").arg(heading, clockText(spent));
    const qint64 left = spent * (m_length - std::min(m_done, m_length)) / m_done;
    return QStringLiteral("%1\n%2% of the text, %3 spent, about %4 left")
        .arg(heading)
        .arg(std::min(m_done, m_length) * 100 / m_length)
        .arg(clockText(spent), clockText(left));
}
