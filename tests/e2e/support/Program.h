#pragma once

#include "PdfPrinter.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"

#include <QDir>
#include <QString>

class MDIMain;
class frmConsole;
class frmEditor;
class frmRandomText;
class frmButtons;

// Before anything is installed: no window and the editor's document as at the start of a process.
struct FreshProgram {
    FreshProgram();
};

// One user's runs of the program, started as main() starts it: the splash window is shown and
// its own timer opens the main window. Only what a person or the machine would answer is stood
// in for: the application folder (an empty temporary one, kept across restarts), message and
// input boxes, file and colour dialogs and the printer. Ending the program (File > Exit) is
// recorded instead of leaving the test's event loop; end() then does what main() does after its
// event loop returns.
class Program : private FreshProgram {
public:
    // The application folder is a new empty temporary one unless the program is given one.
    explicit Program(const QString& applicationFolder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the splash and waits for its timer to open the main window. False, with the reason
    // in failure(), when the start did not go as main() makes it go.
    bool start();
    // The program ended (every window destroyed, no closing handlers) and started again with the
    // same application folder.
    bool restart();
    // What main() does when the program's event loop has returned.
    void end();
    QString failure() const { return m_failure; }

    // How often the program asked to end itself since it was started.
    int endRequests() const { return m_endRequests; }

    MDIMain& main() const;
    frmConsole& console() const;
    frmEditor& editor() const;
    frmRandomText& quickText() const;
    frmButtons& buttons() const;

    // A file in the application folder.
    QString path(const QString& name) const { return QDir(folder.applicationFolder()).filePath(name); }

    FolderService& folder;
    ScriptedMessages& messages;
    ScriptedDialogs& dialogs;
    PdfPrinter& printer;

private:
    int m_endRequests = 0;
    QString m_failure;
};
