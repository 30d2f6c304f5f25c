#!/usr/bin/env bash
# What the stand-in account server's memory does under large backups, read from /proc.
#
#   standin-memory.sh uploads STANDIN [COUNT ...]   (COUNT: 1 20 150 unless given)
#     One account uploads a full backup of 28 MB that hardly compresses (21 MB zipped) again and
#     again, as the app does (a multipart POST to synchronize_all_up.php). After each COUNT-th upload
#     it prints the server's peak (VmHWM) and, after a second's rest, its resident memory (VmRSS).
#   standin-memory.sh head STANDIN
#     16 accounts with such backups in the data folder: the time of a HEAD and of a GET of a script,
#     a login's time while four clients send HEADs, and the server's peak before and after.
#
# STANDIN is a vocab-standin program (build/release/app/vocab-standin); it serves 127.0.0.1 only,
# on a free port, with a data folder that is removed at the end.
set -euo pipefail
mode=${1:?usage: standin-memory.sh uploads|head STANDIN [COUNT ...]}
standin=${2:?usage: standin-memory.sh uploads|head STANDIN [COUNT ...]}
shift 2
for tool in curl python3 md5sum; do
  command -v $tool >/dev/null || { echo "standin-memory: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d /tmp/standin-memory-XXXXXX)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

device=memory-device
client_key=a47f02c9e15d83b6f0e2c7d49b18a3e5
password_md5=$(printf %s secret12 | md5sum | cut -d' ' -f1)
check_code=$(printf %s "$device$client_key" | md5sum | cut -d' ' -f1)

# A study dump of notes in random printable characters, NOTE_CHARS (40) a word, DUMP_MB (28) in
# all, zipped as the app zips a full backup: deflate takes about a quarter off.
python3 - "$work" "${NOTE_CHARS:-40}" "${DUMP_MB:-28}" <<'EOF'
import os, random, sys, zipfile
work = sys.argv[1]
rng = random.Random(83)
printable = bytes(33 + byte % 94 for byte in range(256))
note_chars = int(sys.argv[2])
dump_bytes = int(float(sys.argv[3]) * 1_000_000)
rows = []
size = 0
word = 1
while size < dump_bytes:
    note = rng.randbytes(note_chars).translate(printable).decode()
    row = f"{word}\t{note}\n"
    rows.append(row)
    size += len(row)
    word += 1
dump = f"Study_Note\t{len(rows)}\n" + "".join(rows)
with open(os.path.join(work, "backup_alldata.scv.txt"), "w") as out:
    out.write(dump)
with zipfile.ZipFile(os.path.join(work, "backup_alldata.zip"), "w", zipfile.ZIP_DEFLATED,
                     compresslevel=9) as archive:
    archive.writestr("backup_alldata.scv", dump)
EOF

# Starts the server on the data folder; sets base and server.
serve() {
  "$standin" --data "$work/data" --port 0 >"$work/server.log" 2>&1 &
  server=$!
  for _ in $(seq 1 500); do
    base=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/server.log" 2>/dev/null | head -n 1 || true)
    [ -n "$base" ] && return
    kill -0 "$server" 2>/dev/null || { cat "$work/server.log" >&2; exit 1; }
    sleep 0.02
  done
  echo "standin-memory: the server named no port" >&2
  exit 1
}
mib() { awk -v k="$(awk -v f="$1:" '$1 == f { print $2 }' "/proc/$server/status")" \
  'BEGIN { printf "%.0f", k / 1024 }'; }
signed() { echo "identifie=$device&account=$1&password=$password_md5&client_check_code=$check_code"; }

case $mode in
uploads)
  counts=("$@")
  [ ${#counts[@]} -gt 0 ] || counts=(1 20 150)
  mkdir -p "$work/data"
  serve
  curl -sf "$base/api/account_register.php?$(signed ann)" | grep -q '"result":1'
  echo "zipped $(($(stat -c %s "$work/backup_alldata.zip") / 1000000)) MB of" \
    "$(($(stat -c %s "$work/backup_alldata.scv.txt") / 1000000)) MB"
  echo "uploads  peak MiB  rest MiB  seconds an upload"
  done_count=0
  for count in "${counts[@]}"; do
    start=$(date +%s.%N)
    first=$done_count
    while [ $done_count -lt "$count" ]; do
      curl -sf -H Expect: "$base/api/synchronize_all_up.php" -F account=ann -F "password=$password_md5" \
        -F nLastSynId=0 -F v_lexicon=1.0 -F c_type=ios -F v_client=1.0 -F "identifie=$device" \
        -F "client_check_code=$check_code" \
        -F "syn_file=@$work/backup_alldata.zip;type=application/zip" | grep -q '"result":1' ||
        { echo "standin-memory: upload $((done_count + 1)) was refused" >&2; exit 1; }
      done_count=$((done_count + 1))
    done
    each=$(echo "$start $(date +%s.%N) $((done_count - first))" |
      awk '{ printf "%.2f", ($2 - $1) / ($3 > 0 ? $3 : 1) }')
    peak=$(mib VmHWM)
    sleep 1
    echo "$count  $peak  $(mib VmRSS)  $each" | awk '{ printf "%7s  %8s  %8s  %s\n", $1, $2, $3, $4 }'
  done
  ;;
head)
  mkdir -p "$work/data/backups"
  for i in $(seq 0 15); do
    printf 'learner%s\t%s\t%s\t\t1\t1700000000\t1.0\t0\t0\t0\t-1\t0\t0\n' "$i" "$password_md5" \
      $((1000 + i)) >>"$work/data/accounts.tsv"
    cp "$work/backup_alldata.scv.txt" "$work/data/backups/learner$i.dump"
  done
  serve
  peak=$(mib VmHWM)
  target="/api/account_info.php?$(signed learner3)"
  timed() { curl -s -o /dev/null -w '%{time_total}\n' "$@"; }
  best() { sort -g | head -n 1; }
  get=$(for _ in 1 2 3 4 5; do timed "$base$target"; done | best)
  head=$(for _ in 1 2 3 4 5; do timed -I "$base$target"; done | best)
  # Four clients sending HEADs while another learner logs in.
  clients=()
  for _ in 1 2 3 4; do
    (for _ in $(seq 1 20); do timed -I "$base$target" >/dev/null; done) &
    clients+=($!)
  done
  sleep 0.2
  login=$(for _ in 1 2 3 4 5; do timed "$base/api/account_login.php?$(signed learner5)"; done |
    sort -g | tail -n 1)
  wait "${clients[@]}"
  echo "16 accounts of $(($(stat -c %s "$work/backup_alldata.scv.txt") / 1000000)) MB:" \
    "HEAD ${head} s, GET ${get} s, slowest of 5 logins beside four HEAD clients ${login} s," \
    "peak ${peak} -> $(mib VmHWM) MiB"
  ;;
*)
  echo "standin-memory: uploads or head, not $mode" >&2
  exit 2
  ;;
esac
