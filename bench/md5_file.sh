#!/usr/bin/env bash
# md5_file.sh: `qor md5` against md5sum on one large file, run alternately in the same session; prints
# the best of three runs of each and the ratio qor / md5sum (below 1: qor is faster).
# Usage: bench/md5_file.sh QOR_PROGRAM [SIZE_MIB]   (default 256 MiB of random bytes, file cached)
set -euo pipefail
qor=${1:?usage: md5_file.sh QOR_PROGRAM [SIZE_MIB]}
size=${2:-256}
file=$(mktemp "${TMPDIR:-/tmp}/qor-md5-bench.XXXXXX")
trap 'rm -f "$file"' EXIT
head -c "${size}M" /dev/urandom > "$file"
cat "$file" > /dev/null # into the page cache, so both read from memory

nanoseconds() { local start end; start=$(date +%s%N); "$@" > /dev/null; end=$(date +%s%N); echo $((end - start)); }
best_qor=0; best_md5sum=0
for run in 1 2 3; do
  t=$(nanoseconds "$qor" md5 "$file"); (( best_qor == 0 || t < best_qor )) && best_qor=$t
  t=$(nanoseconds md5sum "$file"); (( best_md5sum == 0 || t < best_md5sum )) && best_md5sum=$t
done
[ "$("$qor" md5 "$file" | cut -c1-32)" = "$(md5sum "$file" | cut -c1-32)" ] || { echo "digests differ" >&2; exit 1; }
python3 -c "import sys; q, m = int(sys.argv[2]) / 1e9, int(sys.argv[3]) / 1e9
print(f'{sys.argv[1]} MiB: qor md5 {q:.3f} s, md5sum {m:.3f} s, ratio {q / m:.2f}')" "$size" "$best_qor" "$best_md5sum"
