#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;
class QPrinter;

// What a file or colour dialog was asked and what it answers.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter; // "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav"
    int filterIndex = 1; // 1-based
    int flags = 0;
    QString fileName; // initial name
};

// What the user chose in a file dialog: the name and the 1-based filter entry selected with it
// (0 where the dialog does not say, which leaves the asked entry standing).
struct ChosenFile {
    ChosenFile(QString name, int filter = 0) // NOLINT(google-explicit-constructor): a name is a choice
        : fileName(std::move(name))
        , filterIndex(filter)
    {
    }
    QString fileName;
    int filterIndex;
};

// The seams: each has a real implementation (Qt dialogs, the printer, the executable's folder)
// and tests put doubles in their place.
class DialogService {
public:
    virtual ~DialogService() = default;
    // The chosen file; nullopt when cancelled.
    virtual std::optional<ChosenFile> chooseFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial, int flags) = 0;
};

class MessageService {
public:
    virtual ~MessageService() = default;
    // buttons and icon as the message-box style word (vbOKOnly 0, vbYesNo 4, vbCritical 16, ...);
    // returns the answer (vbOK 1, vbYes 6, vbNo 7, ...).
    virtual int messageBox(QWidget* parent, const QString& text, int style, const QString& title) = 0;
    // nullopt when cancelled.
    virtual std::optional<QString> inputBox(
        QWidget* parent, const QString& prompt, const QString& title, const QString& initial)
        = 0;
};

class PrinterService {
public:
    virtual ~PrinterService() = default;
    // Prints image as one page; throws PlatformError with a description on failure.
    virtual void printPage(const QImage& image) = 0;
};

class FolderService {
public:
    virtual ~FolderService() = default;
    virtual QString applicationFolder() const = 0; // the program's own folder
};

struct PlatformServices {
    std::unique_ptr<DialogService> dialogs;
    std::unique_ptr<MessageService> messages;
    std::unique_ptr<PrinterService> printer;
    std::unique_ptr<FolderService> folder;

    static PlatformServices real();
};
