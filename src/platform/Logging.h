// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

// Why an alarm was silent, a choice not kept or a program not started: one
// debug line for each fallback, printed only when asked for with
// QT_LOGGING_RULES="brivel.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcSound)    // brivel.sound
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // brivel.settings
Q_DECLARE_LOGGING_CATEGORY(lcPrograms) // brivel.programs
