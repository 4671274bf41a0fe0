#!/usr/bin/env bash
# setup-size.sh: how many packages, and how many MB, the run command and the test command would
# pull onto a fresh Debian 12, from this machine's apt lists (run `apt-get update` first).
# "Fresh" is a copy of this machine's dpkg status holding only the base system (packages of
# priority required, the essential ones and apt, with what they depend on), given to a simulated
# `apt-get install --no-install-recommends` of setup.sh's package sets; sizes are summed from the
# chosen packages' records (Size, Installed-Size). Nothing is installed. Needs python3.
set -euo pipefail
cd "$(dirname "$0")/.."
eval "$(sed -n '/^PACKAGES=(/,/^)/p; /^TEST_PACKAGES=(/,/^)/p' scripts/setup.sh)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/status" <<'PY'
import re, sys
records, provides = {}, {}
for stanza in open('/var/lib/dpkg/status').read().split('\n\n'):
    name = re.search(r'^Package: (.*)$', stanza, re.M)
    if not name or 'install ok installed' not in stanza: continue
    records[name.group(1)] = stanza.strip()
    for item in (re.search(r'^Provides: (.*)$', stanza, re.M) or [None, ''])[1].split(','):
        if item.strip(): provides.setdefault(item.strip().split(' ')[0], []).append(name.group(1))
field = lambda s, f: (re.search(r'^%s: (.*)$' % f, s, re.M) or [None, ''])[1]
base = {n for n, s in records.items() if field(s, 'Priority') == 'required' or field(s, 'Essential') == 'yes'}
base.add('apt')
todo = list(base)
while todo:  # add what the base depends on, first installed alternative of each
    stanza = records[todo.pop()]
    for dep in ','.join(filter(None, [field(stanza, 'Depends'), field(stanza, 'Pre-Depends')])).split(','):
        alts = [a.strip().split(' ')[0].split(':')[0] for a in dep.split('|') if a.strip()]
        if not alts or any(a in base or set(provides.get(a, [])) & base for a in alts): continue
        for a in alts:
            pick = a if a in records else (provides.get(a) or [None])[0]
            if pick: base.add(pick); todo.append(pick); break
open(sys.argv[1], 'w').write('\n\n'.join(records[n] for n in sorted(base)) + '\n\n')
print(f'fresh Debian 12 base: {len(base)} packages')
PY

measure() {
    local names
    mapfile -t names < <(apt-get -s -o Dir::State::status="$work/status" -o Debug::NoLocking=1 install -y \
        --no-install-recommends "$@" 2>/dev/null | awk '/^Inst/ {print $2}' | sort -u)
    apt-cache show --no-all-versions "${names[@]}" | awk -v n="${#names[@]}" '
        /^Size: / {d += $2} /^Installed-Size: / {i += $2}
        END {printf "%d packages, %.0f MB download, %.0f MB installed\n", n, d / 1e6, i * 1024 / 1e6}'
}
echo "scripts/run.sh  (PACKAGES):                 $(measure "${PACKAGES[@]}")"
echo "scripts/test.sh (PACKAGES + TEST_PACKAGES): $(measure "${PACKAGES[@]}" "${TEST_PACKAGES[@]}")"
