// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <memory>

namespace brivel {

// Plays wave files through Qt Multimedia. Keeps the last loaded file ready
// so that the alarm starts at once.
class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    void preload(const QString &path);
    void play(const QString &path, bool wait);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace brivel
