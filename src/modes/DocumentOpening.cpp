#include "DocumentOpening.h"

#include "DocumentReader.h"
#include "ExtractionProgress.h"
#include "PlatformError.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <exception>
#include <memory>
#include <thread>

// What the reading thread hands back; shared, so that a thread let go after a cancel still
// has it.
struct DocumentOpening::Reading {
    ExtractionProgress progress;
    std::atomic<bool> finished { false };
    QString text;
    std::exception_ptr failure;
};

namespace {

constexpr int pollMilliseconds = 20;
constexpr int stopMilliseconds = 2000;

void refresh(QProgressDialog& dialog, const ExtractionProgress& progress)
{
    const int total = progress.total();
    // One part (a single page) says nothing about how far it has come: a busy bar.
    dialog.setMaximum(total > 1 ? total : 0);
    if (total > 1)
        dialog.setValue(qMin(progress.done(), total - 1));
}

} // namespace

DocumentOpening::DocumentOpening(QString path, QWidget* parent, int quietMs)
    : m_path(std::move(path))
    , m_parent(parent)
    , m_kind(DocumentKinds::recognise(m_path))
    , m_quietMs(quietMs)
{
}

std::optional<QString> DocumentOpening::read()
{
    m_reading = std::make_shared<Reading>();
    std::thread worker([reading = m_reading, path = m_path, kind = m_kind] {
        try {
            reading->text = DocumentReader::read(path, kind, reading->progress);
        } catch (const ExtractionCancelled&) {
        } catch (const PlatformError&) {
            reading->failure = std::current_exception();
        } catch (const std::exception& failure) {
            // Running out of memory on a huge document is a document that cannot be opened.
            reading->failure = std::make_exception_ptr(PlatformError(failureText(failure)));
        }
        reading->finished = true;
    });
    QEventLoop loop;
    if (!wait(loop, false))
        waitInDialog(loop);
    if (m_reading->progress.cancelled()) {
        letGo(worker);
        return std::nullopt;
    }
    worker.join();
    if (m_reading->failure)
        std::rethrow_exception(m_reading->failure);
    return std::move(m_reading->text);
}

bool DocumentOpening::wait(QEventLoop& loop, bool withDialog)
{
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(pollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_reading->finished || (!withDialog && clock.elapsed() >= m_quietMs))
            loop.quit();
    });
    poll.start();
    // Before the dialog shows no input is taken; after, the modal dialog alone takes it.
    loop.exec(withDialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return m_reading->finished;
}

void DocumentOpening::waitInDialog(QEventLoop& loop)
{
    QProgressDialog dialog(
        QObject::tr("Reading %1...").arg(QFileInfo(m_path).fileName()), QObject::tr("Cancel"), 0, 0, m_parent);
    dialog.setObjectName(QStringLiteral("DocumentProgress"));
    dialog.setWindowTitle(QObject::tr("Opening a document"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [this, &loop] {
        m_reading->progress.cancel();
        loop.quit();
    });
    QTimer progress;
    progress.setInterval(pollMilliseconds);
    QObject::connect(&progress, &QTimer::timeout, &dialog, [this, &dialog] { refresh(dialog, m_reading->progress); });
    progress.start();
    refresh(dialog, m_reading->progress);
    dialog.show();
    wait(loop, true);
}

// Readers stop at their next page or part, which is soon; one stuck inside a library is left to
// finish on its own, holding only the reading it shares.
void DocumentOpening::letGo(std::thread& worker) const
{
    QElapsedTimer stopping;
    stopping.start();
    while (!m_reading->finished && stopping.elapsed() < stopMilliseconds)
        QThread::msleep(pollMilliseconds);
    if (m_reading->finished)
        worker.join();
    else
        worker.detach();
}
