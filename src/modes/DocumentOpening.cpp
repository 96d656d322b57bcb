#include "DocumentOpening.h"

#include "DocumentReader.h"
#include "ExtractionProgress.h"
#include "PlatformError.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <memory>
#include <thread>

namespace {

// What the reading thread hands back; shared so that it outlives neither side's view of it.
struct Reading {
    ExtractionProgress progress;
    std::atomic<bool> finished { false };
    QString text;
    std::exception_ptr failure;
};

constexpr int pollMilliseconds = 20;

void refresh(QProgressDialog& dialog, const ExtractionProgress& progress)
{
    const int total = progress.total();
    // One part (a single page) says nothing about how far it has come: a busy bar.
    dialog.setMaximum(total > 1 ? total : 0);
    if (total > 1)
        dialog.setValue(qMin(progress.done(), total - 1));
}

} // namespace

DocumentOpening::DocumentOpening(QString path, QWidget* parent)
    : m_path(std::move(path))
    , m_parent(parent)
    , m_kind(DocumentKinds::recognise(m_path))
{
}

std::optional<QString> DocumentOpening::read()
{
    auto reading = std::make_shared<Reading>();
    std::thread worker([reading, path = m_path, kind = m_kind] {
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
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(pollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (reading->finished) {
            loop.quit();
            return;
        }
        if (!dialog && clock.elapsed() >= quietMilliseconds)
            loop.quit();
        if (dialog)
            refresh(*dialog, reading->progress);
    });
    poll.start();
    // Before the dialog shows no input is taken; after, the modal dialog alone takes it.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!reading->finished) {
        dialog = std::make_unique<QProgressDialog>(
            QObject::tr("Reading %1...").arg(QFileInfo(m_path).fileName()), QObject::tr("Cancel"), 0, 0, m_parent);
        dialog->setObjectName(QStringLiteral("DocumentProgress"));
        dialog->setWindowTitle(QObject::tr("Opening a document"));
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setMinimumDuration(0);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        QObject::connect(dialog.get(), &QProgressDialog::canceled, &loop, [&reading, &dialog] {
            reading->progress.cancel();
            dialog->setLabelText(QObject::tr("Stopping..."));
        });
        refresh(*dialog, reading->progress);
        dialog->show();
        loop.exec();
    }
    worker.join();
    dialog.reset();
    if (reading->progress.cancelled())
        return std::nullopt;
    if (reading->failure)
        std::rethrow_exception(reading->failure);
    return std::move(reading->text);
}
