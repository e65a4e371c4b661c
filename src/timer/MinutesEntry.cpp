// SPDX-License-Identifier: MIT
#include "MinutesEntry.h"

#include <cmath>

namespace brivel {

MinutesEntry classifyMinutes(const QString &text, const QLocale &locale)
{
    MinutesEntry entry;
    if (text.isEmpty()) {
        entry.kind = EntryKind::Empty;
        return entry;
    }
    // Group separators are refused: one locale's decimal separator is the
    // next one's group separator, and "1,000" must not quietly become 1000
    // minutes. The parser itself ignores blanks around the number.
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(text, &ok);
    if (!ok) {
        // The parser refuses a number too large for a double but still hands
        // back infinity for it: that is a number above the maximum.
        entry.kind =
            (std::isinf(value) && value > 0.0) ? EntryKind::AboveMaximum : EntryKind::NotNumeric;
        return entry;
    }
    // A negative countdown never ends, and NaN is no number of minutes.
    if (std::isnan(value) || value < 0.0) {
        entry.kind = EntryKind::NotNumeric;
        return entry;
    }
    if (value > MaxMinutes) {
        entry.kind = EntryKind::AboveMaximum;
        return entry;
    }
    entry.kind = EntryKind::Valid;
    entry.minutes = value;
    // Ties go to the even second (7.5 s gives 8, 22.5 s gives 22).
    entry.totalSecs = qint32(std::nearbyint(value * 60.0));
    return entry;
}

Counters splitTotal(qint32 totalSecs)
{
    Counters c;
    c.hours = totalSecs / 3600;
    c.mins = (totalSecs - 3600 * c.hours) / 60;
    c.secs = totalSecs - 3600 * c.hours - 60 * c.mins + 1;
    return c;
}

QString remainingText(qint32 hours, qint32 mins, qint32 secs)
{
    const auto two = [](qint32 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(hours) + QLatin1Char(':') + two(mins) + QLatin1Char(':') + two(secs);
}

} // namespace brivel
