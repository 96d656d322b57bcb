#pragma once

#include <QApplication>
#include <QString>
#include <exception>

// The top-level error guard: a failure that no handler caught is shown in a message box titled
// with the product caption (OK button, critical icon, the failure's description as text), and the
// program goes on. The box is shown through the registry's MessageService.
class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv, QString caption);
    bool notify(QObject* receiver, QEvent* event) override;
    static void report(const QString& caption, const std::exception& error);

private:
    QString m_caption;
};
