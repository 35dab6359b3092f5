#!/bin/bash
# Tests of the Ansible role and fleet playbooks against simulated hosts on
# this machine: six inventory hosts (local connection), each with its own
# install folder, registry folder, temp folder and Tandrel simulator.
#
#   deploy/ansible/tests/run.sh [BUILD_DIR]
#
# BUILD_DIR holds vornup, sim/Tandrel and tools/imagemaker/vornup-imagemaker
# of a Linux build; without it they are built in build/ansible-test. The
# screenshot of the summary page and the last playbook outputs are kept in
# BUILD_DIR/ansible-test/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deploy=$(dirname "$here")
source=$(cd "$deploy/../.." && pwd)

build=${1:-}
if [ -z "$build" ]; then
  build=$source/build/ansible-test
  cmake --preset linux -B "$build" -DVORNUP_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target vornup Tandrel vornup-imagemaker -j 2 >/dev/null
fi
build=$(cd "$build" && pwd)
program=${VORNUP_TEST_PROGRAM:-$build/vornup}
for f in "$program" "$build/sim/Tandrel" "$build/tools/imagemaker/vornup-imagemaker"; do
  [ -x "$f" ] || { echo "ansible tests: $f is missing" >&2; exit 1; }
done
for tool in ansible-playbook ansible-lint chromium; do
  command -v "$tool" >/dev/null || { echo "ansible tests: $tool is not installed" >&2; exit 1; }
done
if ! "$program" /? | grep -q '/json='; then
  echo "ansible tests: FAILED: $program does not offer /json= (the run report);" \
       "the role needs it" >&2
  exit 1
fi

artefacts=$build/ansible-test
mkdir -p "$artefacts"
scratch=$(mktemp -d)
lock_pid=
cleanup() {
  if [ -n "$lock_pid" ]; then kill "$lock_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

echo "== unit tests of the verdict and the summary"
(cd "$here/unit" && python3 -m unittest -q 2>&1)

echo "== ansible-lint and syntax checks"
(cd "$deploy" && ansible-lint -q roles/vornup update-fleet.yml inventory-fleet.yml)
(cd "$deploy" && ansible-playbook -i "$here/windows-inventory.yml" --syntax-check update-fleet.yml inventory-fleet.yml >/dev/null)

echo "== simulated hosts in $scratch"
python3 "$here/make_fleet.py" --scratch "$scratch" --source "$source" --build "$build" --program "$program"
# echo's registry is held by another run for the whole test: a process that
# takes the host's lock (its test lock, vornup-test.lock in the host's folder)
# and waits (killing it frees the lock).
( exec 9>>"$scratch/hosts/echo/vornup-test.lock"; flock 9; exec sleep 1800 ) &
lock_pid=$!
for _ in $(seq 50); do
  flock -n "$scratch/hosts/echo/vornup-test.lock" true || break
  sleep 0.1
done
if flock -n "$scratch/hosts/echo/vornup-test.lock" true; then
  echo "ansible tests: could not hold echo's lock" >&2
  exit 1
fi

export ANSIBLE_LOCAL_TEMP=$scratch/ansible-tmp ANSIBLE_REMOTE_TEMP=$scratch/ansible-tmp
export ANSIBLE_STDOUT_CALLBACK=json ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
export ANSIBLE_HOST_KEY_CHECKING=0 ANSIBLE_DEPRECATION_WARNINGS=0 ANSIBLE_LOCALHOST_WARNING=0
export ANSIBLE_ASYNC_DIR=$scratch/ansible-async
# As the README advises for a fleet: modules through one pipe, a known Python.
export ANSIBLE_PIPELINING=1 ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3
# Every host of a batch at once.
export ANSIBLE_FORKS=8

# play NAME INVENTORY PLAYBOOK [ARGS...]: runs a playbook, keeps its JSON
# output and exit code under $scratch/runs/NAME.
play() {
  local name=$1 inventory=$2 playbook=$3
  shift 3
  mkdir -p "$scratch/runs"
  local code=0
  (cd "$deploy" && ansible-playbook -i "$inventory" "$playbook" \
      -e "vornup_report_dir=$scratch/reports/$name" "$@") \
      >"$scratch/runs/$name.json" 2>"$scratch/runs/$name.err" || code=$?
  echo "$code" >"$scratch/runs/$name.rc"
  cp "$scratch/runs/$name.json" "$artefacts/$name.json"
  echo "   $name: ansible-playbook exit code $code"
}

echo "== first rollout"
play rollout "$scratch/inventory.yml" update-fleet.yml
echo "== second rollout (nothing left to change)"
python3 "$here/check_fleet.py" snapshot --scratch "$scratch" --name after-rollout
play again "$scratch/inventory.yml" update-fleet.yml
python3 "$here/check_fleet.py" again --scratch "$scratch"
echo "== check mode on fresh hosts"
python3 "$here/make_fleet.py" --scratch "$scratch" --fresh
play preview "$scratch/inventory.yml" update-fleet.yml --check
echo "== inventory"
play inventory "$scratch/inventory.yml" inventory-fleet.yml
python3 "$here/check_fleet.py" quiet --scratch "$scratch"
echo "== a failing canary"
python3 "$here/make_fleet.py" --scratch "$scratch" --fresh
play canary "$scratch/inventory-canary.yml" update-fleet.yml
python3 "$here/check_fleet.py" canary --scratch "$scratch"
echo "== a first batch of three with a failing host and two reboots; then the pending reboot"
python3 "$here/make_fleet.py" --scratch "$scratch" --fresh
play batch "$scratch/inventory-batch.yml" update-fleet.yml -e '{"vornup_serial": [3, "100%"], "vornup_reboot_allowed": true}'
python3 "$here/check_fleet.py" batch --scratch "$scratch"
# bravo's administrator has rebooted it since.
echo boot-2 >"$scratch/hosts/bravo/boot_id"
play pending "$scratch/inventory-batch.yml" update-fleet.yml -e '{"vornup_serial": [3, "100%"], "vornup_max_fail_percentage": 100}'
python3 "$here/check_fleet.py" pending --scratch "$scratch"
echo "== --limit with two hosts; a variable of the wrong type; a signed baseline"
python3 "$here/make_fleet.py" --scratch "$scratch" --fresh
play limit "$scratch/inventory.yml" update-fleet.yml --limit alpha,charlie
play refused "$scratch/inventory.yml" update-fleet.yml --limit bravo -e vornup_lock_retries=abc
python3 "$here/check_fleet.py" snapshot --scratch "$scratch" --name after-refused
# bravo gets a trusted key and a signed baseline that blocks one image.
signed=$scratch/controller/signed
play signed "$scratch/inventory.yml" update-fleet.yml --limit bravo \
  -e "{\"vornup_baseline_src\": \"$signed/baseline.json\", \"vornup_trusted_keys_src\": [\"$signed/fleet-key.pem\"]}"
python3 "$here/check_fleet.py" limit --scratch "$scratch"

echo "== summary page in Chromium"
page=$scratch/reports/rollout/fleet-summary.html
profile=$(mktemp -d "$scratch/chromium-XXXXXX")
chrome=(chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run
        --disable-background-networking --disable-component-update --disable-sync
        --user-data-dir="$profile")
timeout 120 "${chrome[@]}" --dump-dom "file://$page" >"$scratch/summary-dom.html" 2>"$scratch/chromium.err"
timeout 120 "${chrome[@]}" --window-size=1400,1600 --screenshot="$artefacts/fleet-summary.png" \
  "file://$page" >/dev/null 2>>"$scratch/chromium.err"
cp "$page" "$artefacts/fleet-summary.html"
cp "$scratch/reports/rollout/fleet-summary.csv" "$artefacts/fleet-summary.csv"

echo "== the summary page of 800 generated hosts in Chromium"
python3 "$here/check_fleet.py" page800 --scratch "$scratch"
big=$scratch/reports/page800/fleet-summary.html
timeout 120 "${chrome[@]}" --dump-dom "file://$big" >"$scratch/page800-dom.html" 2>>"$scratch/chromium.err"
timeout 120 "${chrome[@]}" --dump-dom "file://$big#filter=host0421" >"$scratch/page800-filtered.html" 2>>"$scratch/chromium.err"
timeout 120 "${chrome[@]}" --window-size=1400,1600 --screenshot="$artefacts/fleet-summary-800.png" \
  "file://$big" >/dev/null 2>>"$scratch/chromium.err"
python3 "$here/check_fleet.py" page800 --scratch "$scratch" --dom "$scratch/page800-dom.html" \
  --screenshot "$artefacts/fleet-summary-800.png"

echo "== assertions"
python3 "$here/check_fleet.py" check --scratch "$scratch" --dom "$scratch/summary-dom.html" \
  --screenshot "$artefacts/fleet-summary.png"
