// SPDX-License-Identifier: MIT
// A window is given its place before the window manager has framed it, and
// framing shifts it by the title bar and border. Once armed, WhenFramed
// calls place() when the frame is known: at the first move of the shown
// window that finds a frame, or at one of the looks taken right after a show
// and then `polls` times 25 ms apart, for a window manager that frames
// without moving the window; a window still frameless then keeps its place.
// With no polls, only a move counts, however late it comes.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace brivel {

// The window calls moved() from its moveEvent and shown() from its showEvent.
class WhenFramed {
public:
    WhenFramed(QWidget &window, int polls, std::function<void()> place)
        : m_window(window), m_place(std::move(place)), m_polls(polls)
    {
    }
    // Place the window again at its next framing.
    void arm() { m_pending = true; }
    void moved() { look(); }
    void shown()
    {
        if (m_pending && m_polls > 0)
            QTimer::singleShot(0, &m_window, [this] { poll(m_polls); });
    }

private:
    // Whether the window was placed, now or before.
    bool look()
    {
        if (m_pending && m_window.isVisible() && m_window.frameGeometry() != m_window.geometry()) {
            m_pending = false;
            m_place();
        }
        return !m_pending;
    }
    void poll(int left)
    {
        if (look())
            return;
        if (left > 0)
            QTimer::singleShot(25, &m_window, [this, left] { poll(left - 1); });
        else
            m_pending = false;
    }

    QWidget &m_window;
    std::function<void()> m_place;
    int m_polls;
    bool m_pending = false;
};

} // namespace brivel
