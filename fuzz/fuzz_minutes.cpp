// SPDX-License-Identifier: MIT
// The minutes entry against a reference model of its rules, written apart
// from the entry's own code: empty, not a number (negative and NaN
// included), above 5999 (infinity and overflow included), or valid with the
// total rounded half to even and the counters one second high.
//
// Input: the first byte picks the locale, the rest is the typed text in UTF-8.
#include "timer/MinutesEntry.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using brivel::EntryKind;

namespace {

struct Locale {
    QLocale locale;
    char16_t decimal;
};

const Locale &localeFor(uint8_t selector)
{
    static const Locale locales[] = {
        {QLocale::c(), u'.'},
        {QLocale(QLocale::German, QLocale::Germany), u','},
        {QLocale(QLocale::French, QLocale::France), u','},
    };
    return locales[selector % 3];
}

bool isBlank(char16_t c)
{
    switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isMinus(char16_t c)
{
    return c == u'-' || c == 0x2212;
}

bool equalsFolded(std::u16string_view s, std::u16string_view word)
{
    if (s.size() != word.size())
        return false;
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != word[i])
            return false;
    }
    return true;
}

struct Expected {
    EntryKind kind = EntryKind::NotNumeric;
    double minutes = 0.0;
    int64_t totalSecs = 0;
};

// Nearest integer, a tie going to the even one.
int64_t roundHalfEven(double x)
{
    const double lower = std::floor(x);
    const double diff = x - lower;
    auto n = int64_t(lower);
    if (diff > 0.5 || (diff == 0.5 && (n % 2 != 0)))
        ++n;
    return n;
}

Expected classifyNumber(double value)
{
    Expected e;
    if (std::isnan(value) || value < 0.0) {
        e.kind = EntryKind::NotNumeric;
    } else if (value > 5999.0) {
        e.kind = EntryKind::AboveMaximum;
    } else {
        e.kind = EntryKind::Valid;
        e.minutes = value;
        e.totalSecs = roundHalfEven(value * 60.0);
    }
    return e;
}

// The number grammar of a locale with Latin digits: blanks around, an
// optional sign, digits with at most one decimal separator (digits on at
// least one side), an optional exponent; or a signed "inf" or an unsigned
// "nan" in any letter case. No group separators. A number too small for a
// double is no number; one too large is infinite.
Expected model(std::u16string_view text, char16_t decimal)
{
    if (text.empty())
        return {EntryKind::Empty};
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    std::u16string_view s = text.substr(begin, end - begin);
    if (s.empty())
        return {};

    bool negative = false;
    bool signedText = false;
    if (isMinus(s[0]) || s[0] == u'+') {
        negative = isMinus(s[0]);
        signedText = true;
        s.remove_prefix(1);
    }
    if (equalsFolded(s, u"inf"))
        return classifyNumber(negative ? -INFINITY : INFINITY);
    if (equalsFolded(s, u"nan"))
        return signedText ? Expected{} : classifyNumber(NAN);

    std::string ascii = negative ? "-" : "";
    size_t i = 0;
    bool mantissaDigits = false, nonZero = false;
    while (i < s.size() && isDigit(s[i])) {
        ascii += char(s[i]);
        mantissaDigits = true;
        nonZero = nonZero || s[i] != u'0';
        ++i;
    }
    if (i < s.size() && s[i] == decimal) {
        ascii += '.';
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ascii += char(s[i]);
            mantissaDigits = true;
            nonZero = nonZero || s[i] != u'0';
            ++i;
        }
    }
    if (!mantissaDigits)
        return {};
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < s.size() && (isMinus(s[i]) || s[i] == u'+')) {
            ascii += isMinus(s[i]) ? '-' : '+';
            ++i;
        }
        if (i >= s.size() || !isDigit(s[i]))
            return {};
        while (i < s.size() && isDigit(s[i]))
            ascii += char(s[i++]);
    }
    if (i != s.size())
        return {};
    const double value = std::strtod(ascii.c_str(), nullptr);
    if (value == 0.0 && nonZero)
        return {}; // underflow
    return classifyNumber(value);
}

const char *name(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Empty:
        return "Empty";
    case EntryKind::NotNumeric:
        return "NotNumeric";
    case EntryKind::AboveMaximum:
        return "AboveMaximum";
    case EntryKind::Valid:
        return "Valid";
    }
    return "?";
}

[[noreturn]] void fail(const QString &text, const char *what, const std::string &detail)
{
    std::fprintf(stderr, "minutes entry [%s]: %s (%s)\n", text.toUtf8().constData(), what,
                 detail.c_str());
    std::abort();
}

std::string twoDigits(int64_t h, int64_t m, int64_t s)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(h),
                  static_cast<long long>(m), static_cast<long long>(s));
    return buffer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const Locale &locale = localeFor(data[0]);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const brivel::MinutesEntry got = brivel::classifyMinutes(text, locale.locale);
    const Expected want = model(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())),
        locale.decimal);
    if (got.kind != want.kind)
        fail(text, "kind", std::string(name(got.kind)) + " instead of " + name(want.kind));
    if (want.kind != EntryKind::Valid)
        return 0;
    if (got.minutes != want.minutes || got.totalSecs != want.totalSecs)
        fail(text, "conversion",
             std::to_string(got.minutes) + " min " + std::to_string(got.totalSecs)
                 + " s instead of " + std::to_string(want.minutes) + " min "
                 + std::to_string(want.totalSecs) + " s");

    // The counters: h = T div 3600, m = (T - 3600h) div 60, s = T - 3600h - 60m + 1.
    const int64_t t = want.totalSecs;
    const int64_t h = t / 3600, m = (t - 3600 * h) / 60, s = t - 3600 * h - 60 * m + 1;
    const brivel::Counters c = brivel::splitTotal(got.totalSecs);
    if (c.hours != h || c.mins != m || c.secs != s)
        fail(text, "counters",
             twoDigits(c.hours, c.mins, c.secs) + " instead of " + twoDigits(h, m, s));
    if (h > 99 || m > 59 || s < 1 || s > 60)
        fail(text, "counters out of range", twoDigits(h, m, s));
    // The first counting tick shows the requested time exactly.
    if (brivel::remainingText(c.hours, c.mins, c.secs - 1).toStdString() != twoDigits(h, m, s - 1))
        fail(text, "display", brivel::remainingText(c.hours, c.mins, c.secs - 1).toStdString());
    return 0;
}
