#!/usr/bin/env bash
# Usage: files_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
echo "files CLI: not written yet"
