#!/usr/bin/env bash
# Every option a program lists in its --help is documented in its manual page
# and in its section of the manual's "Command-line tools" page:
#   option_docs_test.sh BIN_DIR MAN_DIR COMMAND_LINE_HTML
set -uo pipefail
bin="$1" man="$2" html="$3"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The options of a --help text: the -x and --word at the start of its option
# lines ("  -o, --output=FILE  ...", "      --seed=N ...").
options_of() {
  grep -E '^ +-' | sed -E 's/^ +//; s/  .*//' | grep -oE -- '(^|[ ,])--?[A-Za-z][A-Za-z-]*' |
    sed -E 's/^[ ,]//' | sort -u
}

# The manual's section about one program: from its <h2 id="..."> to the next.
html_section() {
  awk -v id="$1" '/<h2 /{inside = index($0, "id=\"" id "\"") > 0} inside' "$html"
}

# A whole-word occurrence of the option (so that -V is not found in --Version
# and -o not in -oFILE's neighbours by accident).
mentions() {
  grep -qE -- "(^|[^A-Za-z0-9-])$2([^A-Za-z0-9-]|\$)" <<<"$1"
}

check() {
  local program="$1" section="$2"
  local help page part
  help="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --help 2>&1)" ||
    { fail "$program --help failed"; return; }
  # The page's source with roff's escaped hyphens as plain ones.
  page="$(sed 's/\\-/-/g' "$man/$program.1")"
  part="$(html_section "$section")"
  [ -n "$part" ] || fail "command-line.html has no section $section"
  local options
  options="$(options_of <<<"$help")"
  [ -n "$options" ] || fail "$program --help lists no options"
  for option in $options; do
    mentions "$page" "$option" || fail "$program.1 does not document $option"
    mentions "$part" "$option" || fail "command-line.html ($section) does not document $program $option"
  done
}

check mottler mottler
check mottler-render render
check mottler-compose compose

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "every option in --help is documented"
