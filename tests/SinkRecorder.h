// SPDX-License-Identifier: MIT
// Records a sink's monitor with parec and tells when it was loud, in
// milliseconds on the monotonic clock of now(). The real-desktop test and
// the benchmark hear Brivel through it.
#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QtCore/qtestsupport_core.h>

#include <algorithm>
#include <cmath>
#include <ranges>
#include <vector>

namespace brivel::test {

class SinkRecorder {
public:
    static constexpr int Rate = 44100;
    QString monitor = QStringLiteral("@DEFAULT_MONITOR@");

    ~SinkRecorder()
    {
        m_parec.kill();
        m_parec.waitForFinished();
    }
    static double now() { return double(QDeadlineTimer::current().deadlineNSecs()) / 1e6; }
    // True once samples flow: an idle null sink renders ahead; its first
    // samples to a new recorder mark the switch to short blocks.
    bool start()
    {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec, [this] {
            m_data += m_parec.readAllStandardOutput();
            m_pieces.push_back({m_data.size() / 2, now()});
        });
        m_parec.start("parec", {"--device=" + monitor, "--raw", "--format=s16le", "--rate=44100",
                                "--channels=1", "--latency-msec=2", "--process-time-msec=2"});
        return m_parec.waitForStarted(5000)
               && QTest::qWaitFor([this] { return m_data.size() > Rate / 5; }, 10000);
    }
    bool waitUntil(double t)
    {
        return QTest::qWaitFor([&] { return at(m_data.size() / 2) >= t; }, 15000);
    }
    // First or last instant in [from, to) louder than a faint hiss; NaN if none.
    double loud(double from, double to, bool first = true) const
    {
        const qsizetype i = find(index(from), index(to), first);
        return i < 0 ? NAN : at(i);
    }
    // The same in [from, to) milliseconds after the instant onset, in
    // milliseconds after it: counted in the sink's own samples, so exact also
    // where the recorder was late to hear of them.
    double loudAfter(double onset, double from, double to, bool first = true) const
    {
        const qsizetype base = index(onset);
        const auto sample = [&](double ms) {
            return std::min(base + qsizetype(ms * Rate / 1000), m_data.size() / 2);
        };
        const qsizetype i = find(sample(from), sample(to), first);
        return i < 0 ? NAN : double(i - base) * 1000.0 / Rate;
    }

private:
    struct Piece {
        qsizetype end; // samples recorded with it
        double arrived;
    };
    // The first or last sample in [lo, hi) louder than a faint hiss; -1 if none.
    qsizetype find(qsizetype lo, qsizetype hi, bool first) const
    {
        const auto *samples = reinterpret_cast<const qint16 *>(m_data.constData());
        for (qsizetype k = 0; k < hi - lo; ++k) {
            const qsizetype i = first ? lo + k : hi - 1 - k;
            if (std::abs(samples[i]) > 2000)
                return i;
        }
        return -1;
    }
    // When a sample sounded: before each piece from its own on arrived. Only
    // the next quarter second's pieces count, the sink's clock being a little
    // apart from this one.
    double at(qsizetype sample) const
    {
        const auto first = std::ranges::lower_bound(m_pieces, sample, {}, &Piece::end);
        double t = first == m_pieces.end() ? -INFINITY : INFINITY;
        for (auto p = first; p != m_pieces.end() && (p == first || p->end <= sample + Rate / 4);
             ++p)
            t = std::min(t, p->arrived - double(p->end - sample) * 1000.0 / Rate);
        return t;
    }
    // The first sample that sounded at or after t.
    qsizetype index(double t) const
    {
        const auto all = std::views::iota(qsizetype(0), m_data.size() / 2);
        return std::ranges::partition_point(all, [&](qsizetype i) { return at(i) < t; })
               - all.begin();
    }

    QProcess m_parec;
    QByteArray m_data;
    std::vector<Piece> m_pieces;
};

} // namespace brivel::test
