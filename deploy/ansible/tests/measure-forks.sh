#!/bin/bash
# Times a rollout of like simulated hosts, every download taking DELAY ms,
# in one batch at each number of forks given; not part of run.sh.
#   deploy/ansible/tests/measure-forks.sh BUILD_DIR HOSTS DELAY_MS FORKS...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deploy=$(dirname "$here")
source=$(cd "$deploy/../.." && pwd)
build=$(cd "$1" && pwd); count=$2; delay=$3; shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
python3 "$here/make_fleet.py" --scratch "$scratch" --source "$source" --build "$build" \
  --program "$build/vornup" --scale "$count" --delay "$delay"
export ANSIBLE_LOCAL_TEMP=$scratch/ansible-tmp ANSIBLE_REMOTE_TEMP=$scratch/ansible-tmp
export ANSIBLE_ASYNC_DIR=$scratch/ansible-async ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_LOCALHOST_WARNING=0
# As the README advises for a fleet.
export ANSIBLE_PIPELINING=1 ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3
for forks in "$@"; do
  rm -f "$scratch"/hosts/*/korvane/Quenmar/host.txt.state
  start=$(date +%s.%N)
  (cd "$deploy" && ansible-playbook -i "$scratch/inventory.yml" update-fleet.yml -f "$forks" \
     -e '{"vornup_serial": ["100%"], "vornup_poll_interval": 2}' -e "vornup_report_dir=$scratch/reports" >/dev/null) || true
  end=$(date +%s.%N)
  changed=$(grep -c '"changed": true' "$scratch"/reports/*.verdict.json | grep -c ':1' || true)
  printf 'hosts %d, download %d ms, forks %d: %.0f s (%d hosts changed; load %s)\n' \
    "$count" "$delay" "$forks" "$(echo "$end - $start" | bc)" "$changed" "$(cut -d' ' -f1-3 /proc/loadavg)"
done
