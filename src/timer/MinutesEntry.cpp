// SPDX-License-Identifier: MIT
#include "MinutesEntry.h"

#include <cmath>

namespace brivel {

namespace {

// True for text that has the shape of a number but overflows a double, so
// that "1e400" gets the maximum message rather than the number prompt.
bool overflowsDouble(const QString &text, const QLocale &locale)
{
    QString plain = text;
    plain.replace(locale.decimalPoint(), QLatin1String("."));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    Q_UNUSED(value);
    if (ok)
        return false;
    // QString::toDouble refuses overflow; check the shape by hand.
    const QString s = plain.trimmed();
    int i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < s.size() && s[i].isDigit()) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < s.size() && s[i].isDigit()) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
            ++i;
        int exp = 0;
        while (i < s.size() && s[i].isDigit()) {
            ++i;
            ++exp;
        }
        if (exp == 0)
            return false;
    }
    return i == s.size() && !s.startsWith(QLatin1Char('-'));
}

} // namespace

MinutesEntry classifyMinutes(const QString &text, const QLocale &locale)
{
    MinutesEntry entry;
    if (text.isEmpty()) {
        entry.kind = EntryKind::Empty;
        return entry;
    }
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(text.trimmed(), &ok);
    if (!ok) {
        entry.kind = overflowsDouble(text, locale) ? EntryKind::AboveMaximum : EntryKind::NotNumeric;
        return entry;
    }
    // A negative countdown never ends and NaN is no number of minutes.
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
