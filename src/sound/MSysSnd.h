// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

class QWindow;

namespace brivel {

// 16-bit booleans as they cross routine boundaries.
inline constexpr qint16 True = -1;
inline constexpr qint16 False = 0;

namespace MSysSnd {

using WindowHandle = QWindow *;

// Play a wave file by path; asynchronously when Wait is zero. Never fails:
// anything that goes wrong sounds the standard beep instead.
void PlayWav(QString WaveFile, qint16 Wait);

// Keep a window above all others (TopMost exactly True) or release it,
// without moving or resizing it. Returns the stacking call's result for
// True and 0 otherwise.
qint32 SetTopMost(const WindowHandle &hWnd, const qint16 &TopMost);

} // namespace MSysSnd
} // namespace brivel
