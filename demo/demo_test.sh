#!/usr/bin/env bash
# The demo program end to end, as scripts/demo runs it after installing:
# bad arguments and input files are refused with the file named and nothing
# written; a run writes the transfer file and tells what the user saw; a
# second run into the same folder writes name_1; a steps file is played.
#   demo_test.sh <build dir> <demo program> <examples dir>
set -uo pipefail
build=$1 demo=$2 examples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" >/dev/null || fail "cmake --install $build"

# refused <expected text> <arguments...>: exit 2, the text on stderr, no output folder.
refused() {
  local expected=$1
  shift
  "$demo" "$@" --out "$work/never" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  [ $status -eq 2 ] || fail "$* exited $status, not 2"
  grep -qF -- "$expected" "$work/stderr" || fail "$*: no '$expected' in: $(cat "$work/stderr")"
  [ ! -e "$work/never" ] || fail "$*: the output folder was made"
}
echo '{"models": 5}' >"$work/bad-scene.json"
echo '[{"press": "Export"}, {"tap": "Cancel"}]' >"$work/bad-steps.json"
refused "unknown argument '--sceen'" --sceen "$examples/robot_cell.json"
refused "--steps needs a value" --steps
refused "$work/missing.json: cannot open the file" --scene "$work/missing.json"
refused "$work/bad-scene.json: /models:" --scene "$work/bad-scene.json"
refused "$work/bad-steps.json: /1: expected one action" --steps "$work/bad-steps.json"

# --help and -h: the usage on standard output, exit 0, nothing else done,
# wherever they stand among the arguments.
for help in --help -h; do
  "$demo" --sceen "$work/missing.json" $help --out "$work/never" >"$work/stdout" 2>"$work/stderr" ||
    fail "$help exited $?, not 0"
  grep -qF "usage: veltrosan_demo [--scene FILE] [--out DIR] [--steps FILE]" "$work/stdout" ||
    fail "$help: no usage in: $(cat "$work/stdout")"
  [ ! -s "$work/stderr" ] || fail "$help wrote to stderr: $(cat "$work/stderr")"
  [ ! -e "$work/never" ] || fail "$help: the output folder was made"
done

# has <file> <text>: the output holds the line.
has() { grep -qxF -- "$2" "$1" || fail "no line '$2' in: $(cat "$1")"; }
out="$work/out"
"$demo" --out "$out" >"$work/first" || fail "first run exited $?"
has "$work/first" "Output: $out/ (the host's current directory)"
has "$work/first" "  The transfer file was written: $out/ROBOT_CELL.vtq"
has "$work/first" "  Veltrosan was started on the transfer file."
has "$work/first" "  \"C:\\Program Files\\Marbeltix\\Veltrosan\\Veltrosan.exe\" \"$out/ROBOT_CELL.vtq\""
grep -q "^Written: $out/ROBOT_CELL.vtq: 8 parts, 13 instances, [0-9]* triangles, [0-9]* bytes$" "$work/first" ||
  fail "no summary in: $(cat "$work/first")"
"$demo" --out "$out" >"$work/second" || fail "second run exited $?"
grep -q "^Written: $out/ROBOT_CELL_1.vtq: 8 parts" "$work/second" || fail "no name_1 in: $(cat "$work/second")"

# A steps file: the check button set, so the start says -d.
cat >"$work/steps.json" <<'STEPS'
[ { "check": "DeleteVTQ" }, { "press": "Export" } ]
STEPS
"$demo" --scene "$examples/bracket_part.json" --out "$work/steps" --steps "$work/steps.json" >"$work/stepped" ||
  fail "steps run exited $?"
has "$work/stepped" "  The transfer file was written."
has "$work/stepped" "  \"C:\\Program Files\\Marbeltix\\Veltrosan\\Veltrosan.exe\" \"$work/steps/BRACKET.vtq\" -d"

# Steps that leave without exporting write nothing and say so.
echo '[{"press": "Cancel"}]' >"$work/cancel.json"
"$demo" --out "$work/cancel" --steps "$work/cancel.json" >"$work/cancelled"
[ $? -eq 1 ] || fail "a run that writes nothing must exit 1"
has "$work/cancelled" "No transfer file was written."
echo "demo: all checks passed"
