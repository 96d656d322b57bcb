#pragma once

#include "IndexedName.h"

#include <QObject>
#include <QTest>
#include <source_location>

// A window's control or action found by its objectName, as a person's tools find it; the windows
// keep their controls to themselves. A control that is missing, named twice or of another type
// fails the running test at the caller's line and gives nullptr: QVERIFY returns only from void
// functions, and this one is called inside expressions.
template <class T>
T* control(const QObject& window, const QString& name, std::source_location where = std::source_location::current())
{
    const auto fail = [&](const QString& why) {
        const QString message
            = QStringLiteral("%1 \"%2\" of %3 %4")
                  .arg(QLatin1String(T::staticMetaObject.className()), name, window.objectName(), why);
        QTest::qFail(qPrintable(message), where.file_name(), static_cast<int>(where.line()));
        return nullptr;
    };
    const QList<QObject*> found = window.findChildren<QObject*>(name);
    if (found.isEmpty())
        return fail(QStringLiteral("is missing"));
    if (found.size() > 1)
        return fail(QStringLiteral("is named %1 times").arg(found.size()));
    T* typed = qobject_cast<T*>(found.first());
    if (!typed)
        return fail(QStringLiteral("is a %1").arg(QLatin1String(found.first()->metaObject()->className())));
    return typed;
}

// One control of an indexed group, named "name(index)".
template <class T>
T* control(
    const QObject& window, const QString& name, int index, std::source_location where = std::source_location::current())
{
    return control<T>(window, indexedName(name, index), where);
}

// The whole indexed group, name(0) to name(count - 1), in index order.
template <class T>
QList<T*> indexedControls(
    const QObject& window, const QString& name, int count, std::source_location where = std::source_location::current())
{
    QList<T*> group;
    for (int i = 0; i < count; ++i)
        group.append(control<T>(window, name, i, where));
    return group;
}
