#!/usr/bin/env bash
# installer_test.sh BUILD_DIR VERSION [SETUP_EXE BIN_DIR]
# qor-setup.exe under Wine, silent mode: fresh install, qorcheck.exe beside
# qor.exe, a job file opened through the ".qor" association, the downgrade
# refusal, the uninstaller, an update into the directory the setup library
# hands back, and the question before a ".qor" of another program is taken
# over. SETUP_EXE and BIN_DIR test another installer (a release's) and the
# binaries it must install; with QOR_SETUP_CAFILE the installed uninstaller's
# signature must check out against the certificates in that file.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "$1" && pwd)
version=$2
setup=${3:-$build/qor-setup.exe}
bin=${4:-$build/bin}

# Every Wine command of this script runs in one session of the build's prefix.
if [ "${QOR_WINE_SESSION:-}" != "$build/wineprefix" ]; then
  exec "$here/../harness/wine-session" "$build" bash "${BASH_SOURCE[0]}" "$@"
fi

answer_box="$build/bin/answer_box.exe"
drive_c="$WINEPREFIX/drive_c"
default_dir="$drive_c/Program Files/QOR"
work="$drive_c/qor e2e"        # C:\qor e2e: a blank in the job file path on purpose
alt_dir="$drive_c/qor alt"     # C:\qor alt
app_paths='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\QOR.exe'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\QOR'
tmp=$(mktemp -d)
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() {  # WHAT ACTUAL EXPECTED
  if [ "$2" != "$3" ]; then fail "$1: got '$2', expected '$3'"; else echo "ok: $1"; fi
}

# Wine output goes to files, never into a pipe: a Wine process started on the
# way could hold a pipe open for as long as the session lasts.
reg_value() {  # KEY NAME ("" for the default value); status 1 when missing
  local out="$tmp/reg.out"
  if [ -z "$2" ]; then
    wine reg query "$1" /ve >"$out" 2>/dev/null || return 1
  else
    wine reg query "$1" /v "$2" >"$out" 2>/dev/null || return 1
  fi
  tr -d '\r' <"$out" | awk -v name="${2:-(Default)}" 'BEGIN { FS = "    " }
    $2 == name { v = $4; for (i = 5; i <= NF; i++) v = v FS $i; print v; found = 1 }
    END { exit !found }'
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
reg_delete() { wine reg delete "$1" /f >/dev/null 2>&1; }

remove_installation_traces() {
  reg_delete "$app_paths"
  reg_delete "$uninstall_key"
  reg_delete 'HKCR\.qor'
  reg_delete 'HKCR\QOR.Auftrag'
  reg_delete 'HKCR\QorTest.Other'
  rm -rf "$default_dir" "$alt_dir" "$work"
}

# The trace switch and log are shared with the other end-to-end tests: keep
# what was there.
for f in qortest qor.log; do
  [ -e "$drive_c/etc/$f" ] && cp -p "$drive_c/etc/$f" "$tmp/$f.saved"
done
cleanup() {
  remove_installation_traces
  for f in qortest qor.log; do
    if [ -e "$tmp/$f.saved" ]; then cp -p "$tmp/$f.saved" "$drive_c/etc/$f"; else rm -f "$drive_c/etc/$f"; fi
  done
  rm -rf "$tmp"
}
trap cleanup EXIT

run_setup() {  # ARGS...; status: the installer's exit code
  timeout 90 wine "$setup" "$@" >"$tmp/setup.log" 2>&1
}

# Runs the installer while answer_box answers the box it should show with
# BUTTON; the box text lands in $work/box.txt. Status: the installer's.
run_setup_answering() {  # BUTTON
  rm -f "$work/box.txt"
  wine "$answer_box" QOR-Setup "$1" 30000 'C:\qor e2e\box.txt' >"$tmp/answer.log" 2>&1 &
  local answer_pid=$! status
  run_setup /S
  status=$?
  wait "$answer_pid" || fail "no box answered with $1: $(cat "$tmp/answer.log")"
  return $status
}

uninstall_from() {  # UNIX_DIR: runs its uninstaller and waits until it is done
  wine "$1/uninstall.exe" /S >"$tmp/uninstall.log" 2>&1 || fail "uninstaller of $1 failed"
  # The uninstaller runs from a copy in the temporary directory and returns at
  # once; the directory goes last.
  local deadline=$((SECONDS + 60))
  while [ -e "$1" ] && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
  [ -e "$1" ] && fail "uninstaller left $1: $(ls "$1")"
}

box_text_is() {  # WHAT EXPECTED_BYTES (printf format)
  printf "$2" >"$tmp/box.expected"
  if cmp -s "$tmp/box.expected" "$work/box.txt"; then echo "ok: $1"; else
    fail "$1: box text differs"
    od -c "$work/box.txt" | head -20
  fi
}

remove_installation_traces
mkdir -p "$work" "$drive_c/etc"

echo "== fresh silent install"
run_setup /S
expect_eq "exit code of fresh install" "$?" 0
for f in qor.exe qorcheck.exe qor_set_dll.dll; do
  cmp -s "$bin/$f" "$default_dir/$f" || fail "$f not installed"
done
[ -f "$default_dir/uninstall.exe" ] || fail "no uninstaller"
if [ -n "${QOR_SETUP_CAFILE:-}" ]; then
  osslsigncode verify -CAfile "$QOR_SETUP_CAFILE" -in "$default_dir/uninstall.exe" >"$tmp/verify.log" 2>&1 &&
    echo "ok: the installed uninstaller's signature" ||
    fail "the installed uninstaller's signature: $(tail -3 "$tmp/verify.log" | tr '\n' ' ')"
fi
expect_eq "App Paths program" "$(reg_value "$app_paths" "")" 'C:\Program Files\QOR\qor.exe'
expect_eq "App Paths Path" "$(reg_value "$app_paths" Path)" 'C:\Program Files\QOR'
expect_eq "App Paths Version" "$(reg_value "$app_paths" Version)" "$version"
expect_eq ".qor class" "$(reg_value 'HKCR\.qor' "")" 'QOR.Auftrag'
expect_eq "open command" "$(reg_value 'HKCR\QOR.Auftrag\shell\open\command' "")" \
  '"C:\Program Files\QOR\qor.exe" %1'
# Browsers and mail programs ask before opening a downloaded job file: the
# class is "always unsafe" (0x20000) and not "open is safe" (0x10000).
expect_eq "EditFlags of the class" "$(reg_value 'HKCR\QOR.Auftrag' EditFlags)" 0x20000

echo "== a job file opened through the association"
printf 'x' >"$drive_c/etc/qortest"
rm -f "$drive_c/etc/qor.log" "$work/geliefert.txt"
printf '(((HEADERSTART)))Ziel=Datei*Dateiname=C:\\qor e2e\\geliefert.txt*(((HEADEREND)))\r\n(((DATASTART)))Auftrag durch die Verknuepfung(((DATAEND)))\r\n' \
  >"$work/job 1.qor"
timeout 60 wine start /wait 'C:\qor e2e\job 1.qor' >"$tmp/start.log" 2>&1 || fail "wine start failed: $(cat "$tmp/start.log")"
# start /wait waits for qor.exe; should it not, the delivered file is awaited.
deadline=$((SECONDS + 30))
while [ ! -s "$work/geliefert.txt" ] && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
# The argument text qor.exe received, as its trace log shows it.
param=$(tr -d '\r' <"$drive_c/etc/qor.log" 2>/dev/null | sed -n 's/^.* -QOR- Parameter:  //p')
expect_eq "argument qor.exe received" "$param" 'C:\qor e2e\job 1.qor'
# And the job was carried out: its file block wrote the payload.
expect_eq "file delivered by the job" "$(cat "$work/geliefert.txt" 2>/dev/null)" 'Auftrag durch die Verknuepfung'
rm -f "$drive_c/etc/qortest"

echo "== qorcheck.exe where it is installed"
cp "$work/job 1.qor" "$drive_c/qorcheck-job.qor"
wine "$default_dir/qorcheck.exe" 'C:\qorcheck-job.qor' >"$tmp/qorcheck.out" 2>&1
expect_eq "exit code of the installed qorcheck.exe" "$?" 0
grep -q '=> wird geliefert' "$tmp/qorcheck.out" || fail "no report from qorcheck.exe: $(head -5 "$tmp/qorcheck.out")"
rm -f "$drive_c/qorcheck-job.qor"

echo "== downgrade refused"
wine reg add "$app_paths" /v Version /d 9.0 /f >/dev/null 2>&1
before=$(stat -c %z "$default_dir/qor.exe")
run_setup_answering 1
expect_eq "exit code after the downgrade box" "$?" 2
box_text_is "downgrade box text" \
  "Die installierte Version 9.0 ist neuer als die aktuelle Version $version.\nUm eine \xe4ltere QOR-Version zu installieren, muss das neuere QOR zuvor deinstalliert werden."
expect_eq "Version left alone" "$(reg_value "$app_paths" Version)" 9.0
expect_eq "qor.exe left alone" "$(stat -c %z "$default_dir/qor.exe")" "$before"

echo "== uninstall"
# uninstall_from waits for the directory to go, which it does only once every
# file in it (qorcheck.exe among them) is removed.
uninstall_from "$default_dir"
key_exists "$app_paths" && fail "App Paths key left"
key_exists 'HKCR\.qor' && fail ".qor left"
key_exists 'HKCR\QOR.Auftrag' && fail "class QOR.Auftrag left"
key_exists "$uninstall_key" && fail "uninstall entry left"
echo "ok: uninstalled"

echo "== update into the directory the library hands back"
wine reg add "$app_paths" /v Version /d 0.9 /f >/dev/null 2>&1
wine reg add "$app_paths" /v Path /d 'C:\qor alt' /f >/dev/null 2>&1
run_setup /S
expect_eq "exit code of update" "$?" 0
cmp -s "$bin/qor.exe" "$alt_dir/qor.exe" || fail "qor.exe not installed into C:\\qor alt"
[ -e "$default_dir" ] && fail "update went to the default directory"
expect_eq "updated Path" "$(reg_value "$app_paths" Path)" 'C:\qor alt'
expect_eq "updated Version" "$(reg_value "$app_paths" Version)" "$version"
expect_eq "updated open command" "$(reg_value 'HKCR\QOR.Auftrag\shell\open\command' "")" \
  '"C:\qor alt\qor.exe" %1'
uninstall_from "$alt_dir"

echo "== .qor of another program"
wine reg add 'HKCR\.qor' /ve /d QorTest.Other /f >/dev/null 2>&1
wine reg add 'HKCR\QorTest.Other\shell\open\command' /ve /d '"C:\Other\other.exe" "%1"' /f >/dev/null 2>&1
conflict='Der qor-Mime-Type-Eintrag wird bereits verwendet.\n(Programmverweis: "C:\\Other\\other.exe" "%%1")\nSoll der vorhandene Eintrag \xfcberschrieben werden?'
run_setup_answering 7
expect_eq "exit code after No" "$?" 2
box_text_is "conflict question" "$conflict"
expect_eq ".qor kept after No" "$(reg_value 'HKCR\.qor' "")" QorTest.Other
[ -e "$default_dir" ] && fail "installed after No"
run_setup_answering 6
expect_eq "exit code after Yes" "$?" 0
expect_eq ".qor taken over after Yes" "$(reg_value 'HKCR\.qor' "")" QOR.Auftrag
uninstall_from "$default_dir"
expect_eq ".qor given back by the uninstaller" "$(reg_value 'HKCR\.qor' "")" QorTest.Other

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installer test passed"
