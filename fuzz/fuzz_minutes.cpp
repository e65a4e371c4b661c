// SPDX-License-Identifier: MIT
// The minutes entry on any text, in three locales: it never crashes, and
// what it makes of a text agrees with itself: blanks around change nothing,
// a valid number reads back from its own digits, and the counters add up.
// Input: the first byte picks the locale, the rest is the typed text in UTF-8.
#include "FuzzCheck.h"
#include "timer/MinutesEntry.h"

#include <cmath>
#include <cstdint>

using namespace brivel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France)};
    const QLocale &locale = locales[data[0] % 3];
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const MinutesEntry e = classifyMinutes(text, locale);
    check((e.kind == EntryKind::Empty) == text.isEmpty(), "empty", text);
    const MinutesEntry padded = classifyMinutes(" " + text + "\t", locale);
    if (!text.isEmpty()) {
        check(padded.kind == e.kind, "blanks change the kind", text);
        check(padded.totalSecs == e.totalSecs, "blanks change the time", text);
    }
    if (e.kind != EntryKind::Valid)
        return 0;
    check(e.minutes >= 0 && e.minutes <= MaxMinutes, "range", text);
    check(std::abs(e.totalSecs - e.minutes * 60) <= 0.5, "seconds", text);
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    const MinutesEntry again = classifyMinutes(plain.toString(e.minutes, 'g', 17), locale);
    check(again.kind == EntryKind::Valid, "its own digits refused", text);
    check(again.minutes == e.minutes, "its own digits read back otherwise", text);
    const Counters c = splitTotal(e.totalSecs);
    check(c.hours * 3600 + c.mins * 60 + c.secs - 1 == e.totalSecs, "counters' sum", text);
    check(c.mins >= 0 && c.mins < 60, "minutes' range", text);
    check(c.secs >= 1 && c.secs <= 60, "seconds' range", text);
    check(remainingText(c.hours, c.mins, c.secs).size() == 8, "display", text);
    return 0;
}
