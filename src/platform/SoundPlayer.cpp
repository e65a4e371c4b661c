// SPDX-License-Identifier: MIT
#include "SoundPlayer.h"

#include <QApplication>
#include <QEventLoop>
#include <QSoundEffect>
#include <QUrl>

namespace brivel {

struct SoundPlayer::Impl {
    std::unique_ptr<QSoundEffect> effect;
    QString path;
};

SoundPlayer::SoundPlayer() : d(std::make_unique<Impl>()) {}
SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::preload(const QString &path)
{
    if (d->effect && d->path == path)
        return;
    d->effect = std::make_unique<QSoundEffect>();
    d->effect->setSource(QUrl::fromLocalFile(path));
    d->path = path;
}

void SoundPlayer::play(const QString &path, bool wait)
{
    preload(path);
    if (d->effect->status() == QSoundEffect::Error) {
        QApplication::beep();
        return;
    }
    d->effect->play();
    if (wait) {
        QEventLoop loop;
        QObject::connect(d->effect.get(), &QSoundEffect::playingChanged, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace brivel
