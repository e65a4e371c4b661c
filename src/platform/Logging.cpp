// SPDX-License-Identifier: MIT
#include "Logging.h"

// Debug lines are off unless a rule turns them on.
Q_LOGGING_CATEGORY(lcSound, "brivel.sound", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "brivel.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPrograms, "brivel.programs", QtInfoMsg)
