// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A property that does not hold: say which, with the input's detail, and
// abort so that libFuzzer keeps the input.
inline void check(bool ok, const char *what, const QString &detail = {})
{
    if (!ok)
        qFatal("%s: \"%s\"", what, qPrintable(detail));
}
