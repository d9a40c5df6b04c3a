#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Quillmark and its tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test under
# Xvfb. Any sanitizer report aborts the test that raised it, so it fails.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$top/scripts/setup.sh" --tests
# An include that goes up the layers, or a system library's header outside
# platform/, fails the run before anything is built.
bash "$top/scripts/check-layers.sh"
build="$top/build/asan"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_SANITIZE=ON -DQM_BUILD_BENCH=OFF
cmake --build "$build"

# The player's threads, the dynamics' cross-thread settings, the CD media
# watcher's thread and the wake event the player's reader sleeps on are also
# checked under ThreadSanitizer, in a build of their
# own (it cannot share a build with AddressSanitizer). JUCE stays
# uninstrumented there too.
tsan="$top/build/tsan"
cmake -S "$top" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_TSAN=ON -DQM_BUILD_BENCH=OFF
cmake --build "$tsan" --target test_engine_dsp_unit test_platform_unit test_app_unit test_app_gui test_session_gui test_ui_gui
TSAN_OPTIONS="halt_on_error=1" "$tsan/tests/test_engine_dsp_unit" --gtest_filter='PlayerTest.*:DynamicControl.*'
TSAN_OPTIONS="halt_on_error=1" "$tsan/tests/test_platform_unit" --gtest_filter='CdMediaWatcher.*:WakeEvent.*'
# The controller with the player's threads and a device thread; the
# framework's message loop needs a display.
TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp" xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$tsan/tests/test_app_unit" --gtest_filter='Host*'
TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp" xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$tsan/tests/test_app_gui" --gtest_filter='AddSongs*'
# File export, burning and erasing: the session, converter and normalise
# threads with the controller and the message thread (burns onto image
# targets stay out: the disc library's own threads are not instrumented).
TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp" xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$tsan/tests/test_session_gui" --gtest_filter='FileExport*:Normalize*:CancelAndPause*:BurnOutput*:DiscSessions*'

# The disc sheets' reload threads: scanning while media-change messages
# arrive, and polling while Eject, Burn and Erase are pressed; the picture
# view's loading thread while files change and the view goes.
TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp" "$top/tests/support/own-display.sh" \
  "$tsan/tests/test_ui_gui" --gtest_filter='DiscOpen.*:DiscBurnSheetTest.*:PictureView.*:PreviewPanel.*'

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
jobs="$(nproc)"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
