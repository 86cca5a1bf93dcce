#!/usr/bin/env bash
# Holds the installed pieces to each other: versions of both programs against the AppStream
# metainfo, the man page against orvane-cli --help, orvane's own options without a display,
# and the Debian package's contents and dependencies.
# Usage: check_install.sh versions|manpages|package ORVANE ORVANE_CLI DATA_DIR BUILD_DIR
set -euo pipefail
part=$1 app=$2 cli=$3 data=$4 build=$5
metainfo=$data/app.orvane.Orvane.metainfo.xml
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Runs the app with no display at all, whatever the test environment sets.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

case $part in
versions)
  release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n1)
  [[ -n $release ]] || fail "no release in the metainfo"
  [[ $("$cli" --version) == "orvane-cli $release" ]] || fail "orvane-cli --version: $("$cli" --version)"
  [[ $(headless "$app" --version) == "orvane $release" ]] || fail "orvane --version: $(headless "$app" --version)"
  grep -q "\"Orvane $release\"" "$data/man/orvane.1" || fail "orvane(1) is not about $release"
  grep -q "\"Orvane $release\"" "$data/man/orvane-cli.1" || fail "orvane-cli(1) is not about $release"

  # --help answers without a window: it names --demo and the Qt options.
  help=$(headless "$app" --help) || fail "orvane --help exited $?"
  for option in --demo --version -platform -qwindowgeometry -reverse; do
    grep -q -- "$option" <<<"$help" || fail "orvane --help does not name $option"
  done
  # No display: one line of our own and status 1, not Qt's abort.
  status=0
  out=$(headless "$app" 2>&1) || status=$?
  [[ $status -eq 1 ]] || fail "orvane without a display exited $status"
  [[ $(wc -l <<<"$out") -eq 1 && $out == orvane:* ]] || fail "orvane without a display said: $out"

  # The metainfo validates, pedantic notes included; the id keeps its reverse-DNS capital.
  if command -v appstreamcli >/dev/null; then
    notes=$(appstreamcli validate --pedantic --no-net "$metainfo" | grep -E '^[EWIP]: ' | grep -v 'cid-contains-uppercase-letter' || true)
    [[ -z $notes ]] || fail "appstreamcli: $notes"
  fi
  ;;
manpages)
  # Every command and option orvane-cli --help names is in its man page, so they cannot drift.
  help=$("$cli" --lang en --help)
  commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$help")
  options=$(grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' <<<"$help" | tr -d ' ,' | sort -u)
  [[ $(wc -w <<<"$commands") -ge 5 ]] || fail "read only these commands from --help: $commands"
  # The entries of a section: the line after each .TP, as plain words.
  entries() { sed 's/\\-/-/g; s/\\f[BIRP]//g' "$data/man/orvane-cli.1" | awk -v section="$1" '
    /^\.SH / { inside = ($0 ~ "^\\.SH \"?" section) ; next }
    inside && tagged { gsub(/^\.[A-Z]+ /, ""); gsub(/[",]/, " "); print; tagged = 0; next }
    inside && /^\.TP/ { tagged = 1 }'; }
  listed_commands=$(entries COMMANDS | awk '{print $1}')
  listed_options=$(entries OPTIONS | tr ' ' '\n' | grep -E '^--?[a-z]' || true)
  for command in $commands; do
    grep -qx -- "$command" <<<"$listed_commands" || fail "orvane-cli(1) has no entry for the command $command"
  done
  for option in $options; do
    grep -qx -- "$option" <<<"$listed_options" || fail "orvane-cli(1) has no entry for the option $option"
  done
  # The completion offers the same commands, sections and long options.
  for word in $commands smart cleanup apps protect dup $(grep -- "^--" <<<"$options"); do
    grep -qw -- "$word" "$data/completion/orvane-cli" || fail "bash completion lacks $word"
  done
  if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$data/man/orvane-cli.1" "$data/man/orvane.1" 2>&1 >/dev/null || true)
    [[ -z $warnings ]] || fail "man: $warnings"
  fi
  ;;
package)
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack"; }
  deb=$(ls "$out"/orvane_*_amd64.deb)
  files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
  for f in /usr/bin/orvane /usr/bin/orvane-cli /usr/share/applications/app.orvane.Orvane.desktop \
           /usr/share/metainfo/app.orvane.Orvane.metainfo.xml \
           /usr/share/icons/hicolor/scalable/apps/app.orvane.Orvane.svg \
           /usr/share/icons/hicolor/symbolic/apps/app.orvane.Orvane-symbolic.svg \
           /usr/share/man/man1/orvane.1.gz /usr/share/man/man1/orvane-cli.1.gz \
           /usr/share/bash-completion/completions/orvane-cli /usr/share/doc/orvane/copyright; do
    grep -qx -- "$f" <<<"$files" || fail "the package lacks $f"
  done
  # Nothing outside /usr, and nothing of the build or the tests.
  stray=$(grep -vE '^/usr(/|$)|^/$' <<<"$files" || true)
  [[ -z $stray ]] || fail "files outside /usr: $stray"
  ! grep -qE 'tst_|test-homes|/bench' <<<"$files" || fail "the package holds test files"
  depends=$(dpkg-deb -f "$deb" Depends)
  for d in libqt6quick6 qml6-module-qtquick-controls fonts-inter fonts-material-design-icons-iconfont; do
    grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
  done
  [[ $(dpkg-deb -f "$deb" Version) == $(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n1) ]] \
    || fail "package version $(dpkg-deb -f "$deb" Version)"
  if command -v lintian >/dev/null; then
    errors=$(lintian --tag-display-limit 0 "$deb" | grep '^E: ' || true)
    [[ -z $errors ]] || fail "lintian: $errors"
  fi
  ;;
*)
  echo "unknown part: $part" >&2
  exit 2
  ;;
esac
[[ $failures -eq 0 ]] && echo "$part: all checks passed"
exit $((failures > 0))
