// SPDX-License-Identifier: MIT
#include "SoundPlayer.h"

#include "SoundEngine.h"

#include <QLibrary>
#include <QThread>

#include <chrono>

namespace brivel {

namespace {

// How long a caller waits for the sound thread to take a job or a count.
constexpr std::chrono::milliseconds StartTimeout{5000};

} // namespace

// Lives on the sound thread: loads the sound module there on first use and
// hands it every job. Without the module there is no sound device, and
// every sound is a beep.
class SoundPlayer::Worker : public QObject {
public:
    explicit Worker(QString modulePath) : m_modulePath(std::move(modulePath)) {}

    int outputCount()
    {
        SoundEngine *e = engine();
        return e ? e->outputCount() : 0;
    }
    void prepare(const QString &path)
    {
        if (SoundEngine *e = engine())
            e->prepare(path);
    }
    void start(const QString &path, const std::shared_ptr<SoundJob> &job,
               const std::function<void()> &beep)
    {
        if (SoundEngine *e = engine()) {
            e->start(path, job, beep);
            return;
        }
        job->start(false, 0);
        if (beep)
            beep();
    }
    void shutdown()
    {
        if (m_engine)
            m_engine->shutdown();
        m_engine.reset();
    }

private:
    SoundEngine *engine()
    {
        if (!m_loaded) {
            m_loaded = true;
            QLibrary module(m_modulePath);
            // The sound libraries stay until the process ends; their own
            // threads may outlive the engine.
            module.setLoadHints(QLibrary::PreventUnloadHint);
            const auto create =
                reinterpret_cast<CreateSoundEngine>(module.resolve(CreateSoundEngineSymbol));
            if (create)
                m_engine.reset(create());
            else
                qWarning("Brivel: no sound: %s", qPrintable(module.errorString()));
        }
        return m_engine.get();
    }

    QString m_modulePath;
    bool m_loaded = false;
    std::unique_ptr<SoundEngine> m_engine;
};

SoundPlayer::SoundPlayer(const QString &modulePath, std::function<void()> beep)
    : m_beep(std::move(beep)), m_thread(std::make_unique<QThread>()),
      m_worker(new Worker(modulePath))
{
    // The sound system comes up on the sound thread, which lives as long as
    // the player: loading it, the connection to the sound server and its
    // retries when the server goes away never hold up the windows.
    m_thread->setObjectName(QStringLiteral("Brivel sound"));
    m_worker->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    m_firstCount = countOutputs();
}

SoundPlayer::~SoundPlayer()
{
    Worker *w = m_worker;
    QMetaObject::invokeMethod(
        w,
        [w] {
            w->shutdown();
            w->thread()->quit();
        },
        Qt::QueuedConnection);
    // A sound server that stopped answering may hold the thread; the process
    // is ending, so leave it rather than wait forever.
    if (!m_thread->wait(3000))
        (void)m_thread.release();
}

std::future<int> SoundPlayer::countOutputs()
{
    auto count = std::make_shared<std::promise<int>>();
    std::future<int> result = count->get_future();
    Worker *w = m_worker;
    QMetaObject::invokeMethod(
        w, [w, count] { count->set_value(w->outputCount()); }, Qt::QueuedConnection);
    return result;
}

int SoundPlayer::outputCount()
{
    std::future<int> count = m_firstCount.valid() ? std::move(m_firstCount) : countOutputs();
    if (count.wait_for(StartTimeout) != std::future_status::ready)
        return 0;
    try {
        return count.get();
    } catch (const std::future_error &) { // the thread ended without counting
        return 0;
    }
}

void SoundPlayer::preload(const QString &path)
{
    Worker *w = m_worker;
    QMetaObject::invokeMethod(
        w, [w, path] { w->prepare(path); }, Qt::QueuedConnection);
}

void SoundPlayer::play(const QString &path, bool wait)
{
    Worker *w = m_worker;
    auto job = std::make_shared<SoundJob>();
    if (!wait) {
        // Beep back on this thread, as the caller's own beep would.
        QObject *context = &m_context;
        auto beep = [context, this] {
            QMetaObject::invokeMethod(
                context,
                [this] {
                    if (m_beep)
                        m_beep();
                },
                Qt::QueuedConnection);
        };
        QMetaObject::invokeMethod(
            w, [w, path, job, beep] { w->start(path, job, beep); }, Qt::QueuedConnection);
        return;
    }

    QMetaObject::invokeMethod(
        w, [w, path, job] { w->start(path, job, {}); }, Qt::QueuedConnection);
    std::unique_lock lock(job->mutex);
    if (!job->changed.wait_for(lock, StartTimeout, [&job] { return job->started; }) || !job->ok) {
        lock.unlock();
        if (m_beep)
            m_beep();
        return;
    }
    job->changed.wait_for(lock, std::chrono::milliseconds(job->durationMs + SoundEndSlackMs),
                          [&job] { return job->finished; });
}

} // namespace brivel
