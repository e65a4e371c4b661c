// SPDX-License-Identifier: MIT
#include "SoundPlayer.h"

#include "Logging.h"
#include "SoundEngine.h"

#include <QApplication>
#include <QLibrary>
#include <QThread>

#include <chrono>
#include <mutex>

namespace brivel {

namespace {

// How long a caller waits for the sound thread to take a job.
constexpr std::chrono::milliseconds StartTimeout{5000};
// How long the first count may hold up the window's load: a sound server
// still starting is not waited for.
constexpr std::chrono::milliseconds CountTimeout{250};

} // namespace

// What the sound thread's queued jobs may reach of the player: the thread
// may be left behind, still running, when the player is gone.
struct SoundPlayer::Home {
    std::mutex mutex;
    QObject *context = nullptr; // the player's, on the caller's thread; null once gone
    std::function<void()> beep;

    // Runs what on the caller's thread, unless the player is gone by then.
    void post(std::function<void()> what)
    {
        const std::lock_guard lock(mutex);
        if (context)
            QMetaObject::invokeMethod(context, std::move(what), Qt::QueuedConnection);
    }
    void postBeep()
    {
        post([home = this] {
            if (home->beep)
                home->beep();
        });
    }
    // The X bell: the sound server took no bell.
    void postXBell()
    {
        post([] { QApplication::beep(); });
    }
};

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
    bool bell()
    {
        SoundEngine *e = engine();
        if (!e)
            qCDebug(lcSound) << "The X bell: no sound module";
        return e && e->bell();
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
        qCDebug(lcSound) << "The bell instead of" << path << "- no sound module";
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
    : m_home(std::make_shared<Home>()), m_thread(std::make_unique<QThread>()),
      m_worker(new Worker(modulePath))
{
    m_home->context = &m_context;
    m_home->beep = std::move(beep);
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
    {
        // Jobs still queued on the sound thread post nothing from now on.
        const std::lock_guard lock(m_home->mutex);
        m_home->context = nullptr;
    }
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
    if (!m_thread->wait(2500)) {
        // Should the server answer after all, the thread ends and goes then.
        QThread *left = m_thread.release();
        QObject::connect(left, &QThread::finished, left, &QObject::deleteLater);
    }
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
    if (!m_firstCount.valid())
        m_firstCount = countOutputs();
    // A count that is late stays pending for the next call.
    if (m_firstCount.wait_for(CountTimeout) != std::future_status::ready)
        return -1;
    std::future<int> count = std::move(m_firstCount);
    try {
        return count.get();
    } catch (const std::future_error &) { // the thread ended without counting
        return -1;
    }
}

void SoundPlayer::bell()
{
    Worker *w = m_worker;
    QMetaObject::invokeMethod(
        w,
        [w, home = m_home] {
            if (!w->bell())
                home->postXBell();
        },
        Qt::QueuedConnection);
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
        auto beep = [home = m_home] { home->postBeep(); };
        QMetaObject::invokeMethod(
            w, [w, path, job, beep] { w->start(path, job, beep); }, Qt::QueuedConnection);
        return;
    }

    QMetaObject::invokeMethod(
        w, [w, path, job] { w->start(path, job, {}); }, Qt::QueuedConnection);
    std::unique_lock lock(job->mutex);
    if (!job->changed.wait_for(lock, StartTimeout, [&job] { return job->started; }) || !job->ok) {
        if (!job->started)
            qCDebug(lcSound) << "The beep instead of" << path << "- the sound thread is busy";
        lock.unlock();
        if (m_home->beep)
            m_home->beep();
        return;
    }
    job->changed.wait_for(lock, std::chrono::milliseconds(job->durationMs + SoundEndSlackMs),
                          [&job] { return job->finished; });
}

} // namespace brivel
