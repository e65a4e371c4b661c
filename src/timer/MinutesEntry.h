// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

namespace brivel {

inline constexpr double MaxMinutes = 5999.0;

// What Start makes of the text in the minutes entry.
enum class EntryKind {
    Empty,        // nothing typed
    NotNumeric,   // fails the number test, is negative or not a number
    AboveMaximum, // a number above 5999, infinity included
    Valid,
};

struct MinutesEntry {
    EntryKind kind = EntryKind::Empty;
    double minutes = 0.0; // the converted number when Valid
    qint32 totalSecs = 0; // minutes x 60, rounded half to even
};

// The number test and the conversion in one, over the given locale: an
// optional sign, digits and the locale's decimal separator, blanks around
// the number ignored. The default locale is the system's, as the program
// never sets another one.
MinutesEntry classifyMinutes(const QString &text, const QLocale &locale = QLocale());

// Hours, minutes and seconds of a total, the seconds one high so that the
// first counting tick shows the full time.
struct Counters {
    qint32 hours = 0;
    qint32 mins = 0;
    qint32 secs = 0;
};
Counters splitTotal(qint32 totalSecs);

// "hh:mm:ss", each part at least two digits.
QString remainingText(qint32 hours, qint32 mins, qint32 secs);

} // namespace brivel
