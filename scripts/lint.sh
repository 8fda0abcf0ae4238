#!/usr/bin/env bash
# Static checks of our code: clang-tidy (with the committed .clang-tidy) and
# cppcheck, on the sources of the program (not the tests' generated code).
set -euo pipefail
cd "$(dirname "$0")/.."

# The normal build, with its compile commands and Qt's generated sources.
build_dir=build
scripts/setup.sh "$build_dir" >/dev/null

mapfile -t sources < <(git ls-files 'core/*.cpp' 'ui/*.cpp' 'about/*.cpp' 'chart/*.cpp' 'widgets/*.cpp' 'bareme/*.cpp' 'app/*.cpp' 'files/*.cpp' 'logbook/*.cpp')

echo "== clang-tidy"
status=0
for source in "${sources[@]}"; do
  clang-tidy --quiet -p "$build_dir" --extra-arg=-std=c++17 "$source" 2>/dev/null | grep -E 'warning:|error:' && status=1
done

echo "== cppcheck"
cppcheck --quiet --enable=warning,performance,portability --std=c++17 --inline-suppr \
  --error-exitcode=1 --suppress=missingIncludeSystem --suppress=unknownMacro \
  -I . "${sources[@]}" || status=1

if ((status == 0)); then
  echo "Aucun avertissement."
fi
exit "$status"
