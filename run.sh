#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds and starts Brivel.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh run
exec build/bin/Brivel
