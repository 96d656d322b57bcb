#include "PermissionChecks.h"
#include "SettingsFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool always(const QString&)
{
    return true;
}
bool never(const QString&)
{
    return false;
}

// Sets an environment variable, or unsets it for a null value, until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};
} // namespace

// Where the settings files live: beside a portable copy its user can write, otherwise (and
// always for an installed copy) in the per-user configuration folder, made when chosen.
class TestSettingsFolder : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_program;

private slots:
    void init()
    {
        QVERIFY(m_root.isValid());
        m_program = m_root.filePath(QStringLiteral("program/bin"));
        QVERIFY(QDir().mkpath(m_program));
    }
    void cleanup()
    {
        QDir(m_root.filePath(QStringLiteral("config"))).removeRecursively();
        QDir(m_root.filePath(QStringLiteral("home"))).removeRecursively();
    }

    void writableProgramFolderKeepsTheFiles()
    {
        const ScopedVariable config("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("config")));
        QCOMPARE(SettingsFolder(m_program, m_root.filePath(QStringLiteral("usr/bin")), always).path(), m_program);
        QVERIFY(!QFileInfo::exists(m_root.filePath(QStringLiteral("config"))));
    }

    void unwritableProgramFolderUsesTheConfigFolder()
    {
        const QString config = m_root.filePath(QStringLiteral("config"));
        const ScopedVariable variable("XDG_CONFIG_HOME", config);
        QStringList asked;
        const SettingsFolder folder(
            m_program, m_root.filePath(QStringLiteral("usr/bin")), [&asked](const QString& candidate) {
                asked << candidate;
                return false;
            });
        QCOMPARE(folder.path(), config + QStringLiteral("/parlora"));
        QCOMPARE(asked, QStringList { m_program });
        QVERIFY(QFileInfo(config + QStringLiteral("/parlora")).isDir());
    }

    void withoutXdgConfigHomeTheHomeConfigFolder()
    {
        const QString home = m_root.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        const ScopedVariable noConfig("XDG_CONFIG_HOME", QString());
        const ScopedVariable homeVariable("HOME", home);
        QCOMPARE(SettingsFolder(m_program, {}, never).path(), home + QStringLiteral("/.config/parlora"));
        QVERIFY(QFileInfo(home + QStringLiteral("/.config/parlora")).isDir());
    }

    // Also when the bin folder could be written (root), and when it is reached by another path.
    void installedCopyAlwaysUsesTheConfigFolder_data()
    {
        QTest::addColumn<QString>("programFolder"); // relative to the temporary root
        QTest::newRow("the bin folder") << QStringLiteral("program/bin");
        QTest::newRow("through a link") << QStringLiteral("linked/bin");
        QTest::newRow("with dots") << QStringLiteral("program/bin/../bin/");
    }
    void installedCopyAlwaysUsesTheConfigFolder()
    {
        QFETCH(QString, programFolder);
        QVERIFY(QFile::link(m_root.filePath(QStringLiteral("program")), m_root.filePath(QStringLiteral("linked")))
            || QFileInfo(m_root.filePath(QStringLiteral("linked"))).isSymLink());
        const QString config = m_root.filePath(QStringLiteral("config"));
        const ScopedVariable variable("XDG_CONFIG_HOME", config);
        const SettingsFolder folder(m_root.filePath(programFolder), m_program, always);
        QVERIFY(folder.isInstalledCopy());
        QCOMPARE(folder.path(), config + QStringLiteral("/parlora"));
        // A portable copy elsewhere, and an install prefix that does not exist, are not installed.
        QVERIFY(!SettingsFolder(m_program, m_root.filePath(QStringLiteral("usr/bin")), always).isInstalledCopy());
        QVERIFY(!SettingsFolder(m_root.filePath(QStringLiteral("gone")), m_root.filePath("gone"), always)
                     .isInstalledCopy());
    }

    // The real check meets the folder's mode; root is made to honour modes first. Last, since
    // the process cannot take that back.
    void theRealCheckReadsTheFolder()
    {
        QVERIFY(SettingsFolder::isWritableFolder(m_program));
        QVERIFY(!SettingsFolder::isWritableFolder(m_root.filePath(QStringLiteral("missing"))));
        QFile file(m_root.filePath(QStringLiteral("a file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(!SettingsFolder::isWritableFolder(file.fileName()));

        QVERIFY(honourFilePermissions());
        const auto mode = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(m_program, mode));
        const bool writable = SettingsFolder::isWritableFolder(m_program);
        QVERIFY(QFile::setPermissions(m_program, mode | QFileDevice::WriteOwner));
        QVERIFY(!writable);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFolder)
#include "tst_SettingsFolder.moc"
