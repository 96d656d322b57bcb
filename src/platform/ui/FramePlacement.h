#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <optional>

class QWidget;

// Places a top-level window by its outer frame: the rectangle the user sees, title bar and
// borders included. A window manager frames a window only when it maps it, so until then the
// frame's margins are unknown and a frame placed then would be off by them. The wanted frame is
// kept and set again with the manager's margins once the window is exposed; from then on the
// window's own frame geometry is the truth. Without a manager the margins stay empty and the
// first placement stands.
class FramePlacement : public QObject {
    Q_OBJECT
public:
    explicit FramePlacement(QWidget& window);

    // The outer frame: the wanted one until the window is framed, then the window's own.
    QRect frame() const;
    void setFrameSize(QSize size);
    void moveFrame(QPoint topLeft);
    // The frame's margins as the window manager gives them (empty before it framed the window).
    QMargins margins() const;
    // True once the window has been shown and placed with its frame known.
    bool isSettled() const { return !m_wanted; }

signals:
    // The window has been placed again with the margins its manager gave it.
    void settled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchNativeWindow();
    void settle();
    void apply(const QRect& outer);

    QWidget& m_window;
    std::optional<QRect> m_wanted;
    bool m_watching = false;
};
