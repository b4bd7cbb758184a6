#!/usr/bin/env bash
# scripts/install-deps.sh on a machine that lacks some packages, with
# stand-ins for dpkg-query (which, as the real one, exits 1 when it does not
# know a package), apt-get (which records what it is asked) and sudo: it
# installs exactly the missing packages and ends with status 0; with nothing
# missing it runs no apt-get; a failing apt-get gives one line and status 1.
#
# usage: install_deps_test.sh SCRIPT
set -euo pipefail
script=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/bin"
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/bin/sh
# Reports the packages listed in $INSTALLED as installed, and no others.
shift 2 # -W -f=FORMAT
status=0
for package in "$@"; do
  if printf '%s\n' $INSTALLED | grep -qx "$package"; then echo "installed $package"
  else echo "dpkg-query: no packages found matching $package" >&2; status=1; fi
done
exit $status
STANDIN
cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/sh
echo "$*" >>"$APT_LOG"
[ -z "${APT_FAILS-}" ] || exit 100
STANDIN
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*
export PATH=$work/bin:$PATH APT_LOG=$work/apt.log

# Every package the script names, as it asks dpkg-query about them.
all=$(INSTALLED= "$script" --test 2>/dev/null | sed -n "s/^Installing: //p" || true)
[ -n "$all" ] || fail "with nothing installed, the script asked for nothing"
for needed in cmake qt6-base-dev fonts-liberation libclang-rt-14-dev xvfb; do
  grep -qw -- "$needed" <<<"$all" || fail "the script does not name $needed"
done

# Half of them installed: exactly the other half is asked for.
read -ra packages <<<"$all"
installed=() missing=()
for i in "${!packages[@]}"; do
  if ((i % 2)); then installed+=("${packages[i]}"); else missing+=("${packages[i]}"); fi
done
rm -f "$APT_LOG"
INSTALLED="${installed[*]}" "$script" --test >"$work/out" 2>&1 || fail "status $? with packages missing: $(cat "$work/out")"
grep -qx "Installing: ${missing[*]}" "$work/out" || fail "it said: $(cat "$work/out")"
[ "$(grep -c '^install ' "$APT_LOG")" -eq 1 ] || fail "apt-get was asked: $(cat "$APT_LOG")"
asked=$(sed -n 's/^install -y -qq --no-install-recommends //p' "$APT_LOG")
[ "$asked" = "${missing[*]}" ] || fail "apt-get was asked for '$asked', not '${missing[*]}'"

# Nothing missing: no apt-get at all.
rm -f "$APT_LOG"
INSTALLED="$all" "$script" --test >"$work/out" 2>&1 || fail "status $? with nothing missing"
[ ! -e "$APT_LOG" ] && [ ! -s "$work/out" ] || fail "with nothing missing it ran apt-get or said: $(cat "$work/out")"

# apt-get fails: status 1 and one line that says so.
status=0
APT_FAILS=1 INSTALLED= "$script" >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "with apt-get failing: status $status, said: $(cat "$work/err")"
echo "install_deps_test: exactly the missing packages asked for; none when all are there; a failure said in one line"
