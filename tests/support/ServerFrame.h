#pragma once

#include <QGuiApplication>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QWidget>
#include <cstdlib>
#include <optional>

// A top-level window's outer frame as the X server and the window manager see it, asked with
// xwininfo and xprop rather than through Qt, whose own idea of the frame is what is under test.
// On other platforms (offscreen) there is no server to ask: nullopt.
namespace ServerFrame {

inline bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

inline QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

inline int field(const QString& text, const QString& label)
{
    const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    return pattern.match(text).captured(1).toInt();
}

// The margins the manager announces (_NET_FRAME_EXTENTS: left, right, top, bottom); none
// without a manager.
inline QMargins extents(WId window)
{
    const QString text = run(QStringLiteral("xprop"),
        { QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS") });
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)")).match(text);
    if (!m.hasMatch())
        return {};
    return QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt());
}

// The frame in the program's pixels (the server's divided by a scale factor, rounded).
inline std::optional<QRect> of(const QWidget& window)
{
    if (!onX11())
        return std::nullopt;
    const WId id = window.winId();
    const QString info = run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), QString::number(id) });
    const QRect client(field(info, QStringLiteral("Absolute upper-left X")),
        field(info, QStringLiteral("Absolute upper-left Y")), field(info, QStringLiteral("Width")),
        field(info, QStringLiteral("Height")));
    const QRect device = client.marginsAdded(extents(id));
    const qreal ratio = window.devicePixelRatioF();
    return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio, device.height() / ratio).toRect();
}

// Whether the server shows frame, give or take the pixel a scaled frame's odd margins cost.
inline bool shows(const QWidget& window, const QRect& frame)
{
    const auto server = of(window);
    if (!server)
        return true;
    const int slack = window.devicePixelRatioF() > 1.0 ? 1 : 0;
    const auto near = [slack](int a, int b) { return std::abs(a - b) <= slack; };
    return near(server->left(), frame.left()) && near(server->top(), frame.top())
        && near(server->right(), frame.right()) && near(server->bottom(), frame.bottom());
}

// Which manager the test's display runs ("none" without one), as scripts/on-display.sh says.
inline QString windowManager()
{
    return qEnvironmentVariable("PARLORA_WM", QStringLiteral("none"));
}

} // namespace ServerFrame
