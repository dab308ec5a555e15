#!/usr/bin/env bash
# `make bench`: one table of the LZHUF decoder's and packer's speed and sizes over a fixed corpus,
# with gzip -9 for orientation, and the sizes of the installer (with and without its payload
# items) and of the files it installs, beside an NSIS 3.08 installer of the same files.
#
# Decoder: the installer's decoder and the reference decoder of tests/support/, reading pieces of
# 256 bytes through MemoryByteSource from the item that the packer's default parse makes of each
# file; MB/s counts decoded bytes (1 MB = 10^6 bytes) per second of CPU time, the median of three
# runs; instructions per symbol (literal or match) of the whole decoding, byte source included,
# counted by callgrind in one run of each decoder over the item that lzhuf-pack makes (a count
# that does not vary between runs or machines with the same compiler). Packer: both parses, MB/s
# of input. The benchmark program first checks that both decoders give back each file with the
# same calls of the byte source.
#
# Two floors, each shown against its limit: the instructions of the whole `lzhuf-pack -d` run on
# comctl32.dll's item (callgrind), and the text size of the decoder's object as the win32 build
# compiles it for the installer (-Os), tables included.
#
# Build folders: PAGIX_BENCH_HOST_DIR (default build/host) and PAGIX_BENCH_WIN32_DIR (default
# build/win32).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host_dir=${PAGIX_BENCH_HOST_DIR:-$root/build/host}
win32_dir=${PAGIX_BENCH_WIN32_DIR:-$root/build/win32}
bench="$host_dir/bench/pagix_lzhuf_bench"
pack="$host_dir/tools/lzhuf-pack"
exe="$win32_dir/PagixSetup.exe"
decoder_object="$win32_dir/payload/CMakeFiles/pagix_payload_core.dir/lzhuf_decoder.cpp.obj"
unpack_limit=520000000    # instructions of lzhuf-pack -d on comctl32.dll's item
decoder_object_limit=3364 # bytes
tree="$win32_dir/payload/tree"

corpus=(
  /usr/lib/i386-linux-gnu/wine/i386-windows/comctl32.dll
  /usr/share/perl/5.36.0/Unicode/Collate/allkeys.txt
  /usr/share/common-licenses/GPL-3
)
files=()
for f in "${corpus[@]}"; do
  if [ -f "$f" ]; then files+=("$f"); else echo "bench: $f is missing; left out" >&2; fi
done
[ "${#files[@]}" -gt 0 ] || { echo "bench: no corpus file found" >&2; exit 1; }
[ -x "$bench" ] || { echo "bench: $bench is missing (build the host preset)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
json="$work/results.json"
counts="$work/instructions"
echo "bench: measuring (a minute or two)..." >&2
"$bench" --benchmark_format=json --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true "${files[@]}" >"$json"

echo "bench: counting instructions with callgrind (a minute or two)..." >&2
: >"$counts"
for f in "${files[@]}"; do
  label=$(basename "$f")
  "$pack" "$f" "$work/$label.item" >/dev/null
  for decoder in installer reference; do
    n=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --collect-atstart=no \
          '--toggle-collect=*DecodeOnce*' "$bench" --decode-once="$decoder" \
          "$work/$label.item" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p' || true)
    echo "$label $decoder ${n:-0}" >>"$counts"
  done
  n=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$pack" -d "$work/$label.item" \
        "$work/$label.out" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p' || true)
  echo "$label unpack ${n:-0}" >>"$counts"
done
object_size=$(i686-w64-mingw32-size "$decoder_object" 2>/dev/null | awk 'NR == 2 {print $1}' || true)

/usr/bin/python3 - "$json" "$counts" "$exe" "$tree" "$root/scripts/pe_resources.py" \
  "$unpack_limit" "${object_size:-}" "$decoder_object_limit" "${files[@]}" <<'EOF'
import json
import os
import subprocess
import sys

results_path, counts_path, exe, tree, pe_script = sys.argv[1:6]
unpack_limit, object_size, object_limit = sys.argv[6:9]
files = sys.argv[9:]
# An NSIS 3.08 installer (SetCompressor /SOLID lzma) of the same 18 files with the same
# shortcuts and uninstall entry, measured once; with zlib it weighs 134,315 bytes.
NSIS_INSTALLER_BYTES = 131220
with open(results_path) as f:
    runs = json.load(f)["benchmarks"]
median = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
instructions = {}
with open(counts_path) as f:
    for line in f:
        label, decoder, count = line.split()
        instructions[(label, decoder)] = int(count)


def per_symbol(label, decoder):
    run = median.get("decode_real/%s" % label)
    count = instructions.get((label, decoder))
    if not run or not count:
        return "-"
    return "%.1f" % (count / run["symbols"])


def rate(kind, label):
    run = median.get("%s/%s" % (kind, label))
    return run["bytes_per_second"] / 1e6 if run else None


def item_size(kind, label):
    run = median.get("%s/%s" % (kind, label))
    return int(round(run["item_bytes"])) if run else None


def gzip_size(path):
    out = subprocess.run(["gzip", "-9", "-c", path], check=True, capture_output=True).stdout
    return len(out)


def size_and_share(size, total):
    return "%d (%.1f%%)" % (size, 100.0 * size / total) if size is not None else "-"


labels = [os.path.basename(f) for f in files]
sizes = [os.path.getsize(f) for f in files]
rows = [("file size (bytes)", [str(s) for s in sizes])]
real = [rate("decode_real", l) for l in labels]
base = [rate("decode_reference", l) for l in labels]
rows.append(("decoder, installer's (MB/s)", ["%.1f" % r for r in real]))
rows.append(("decoder, reference (MB/s)", ["%.1f" % b for b in base]))
rows.append(("decoder speed-up", ["%.2fx" % (r / b) for r, b in zip(real, base)]))
rows.append(("decoder, installer's (instructions/symbol)",
             [per_symbol(l, "installer") for l in labels]))
rows.append(("decoder, reference (instructions/symbol)",
             [per_symbol(l, "reference") for l in labels]))
for kind, name in (("pack_default", "default"), ("pack_greedy", "greedy")):
    rows.append(("packer %s: item (bytes)" % name,
                 [size_and_share(item_size(kind, l), s) for l, s in zip(labels, sizes)]))
    rows.append(("packer %s (MB/s)" % name, ["%.1f" % rate(kind, l) for l in labels]))
rows.append(("gzip -9 (bytes)", [size_and_share(gzip_size(f), s) for f, s in zip(files, sizes)]))


def unpack_count(label):
    count = instructions.get((label, "unpack"))
    if not count:
        return "-"
    text = "%.1f M" % (count / 1e6)
    if label == "comctl32.dll":
        text += " of %.0f M" % (int(unpack_limit) / 1e6)
    return text


rows.append(("lzhuf-pack -d (instructions)", [unpack_count(l) for l in labels]))


def beside_nsis(size):
    return "%d (%.2fx NSIS)" % (size, size / NSIS_INSTALLER_BYTES)


if os.path.exists(exe):
    out = subprocess.run([sys.executable, pe_script, "--weight", "--installed", tree, exe],
                         check=True, capture_output=True, text=True).stdout.split()
    # "file N bytes, K RAW items M bytes, own weight W bytes"
    # "installed F files T bytes"
    total, items, payload, own = int(out[1]), int(out[3]), int(out[6]), int(out[10])
    installed_files, installed = int(out[13]), int(out[15])
    installer = [
        ("installer: PagixSetup.exe (bytes)", "%s of 75000" % beside_nsis(total)),
        ("installer: %d RAW items (bytes)" % items, str(payload)),
        ("installer: own weight (bytes)", "%d of 38912" % own),
        ("installed: %d files (bytes)" % installed_files,
         "%s of 100000" % beside_nsis(installed)),
        ("NSIS 3.08 installer, /SOLID lzma (bytes)", str(NSIS_INSTALLER_BYTES)),
    ]
else:
    installer = [("installer: PagixSetup.exe", "not built (%s)" % exe)]
if object_size:
    installer.append(("installer: decoder object (bytes)", "%s of %s" % (object_size, object_limit)))
else:
    installer.append(("installer: decoder object", "not built"))
for name, value in installer:
    rows.append((name, [value] + [""] * (len(labels) - 1)))

width = max(len(name) for name, _ in rows)
columns = [max([len(label)] + [len(values[i]) for _, values in rows])
           for i, label in enumerate(labels)]
print("%-*s  %s" % (width, "", "  ".join("%*s" % (w, l) for w, l in zip(columns, labels))))
for name, values in rows:
    print("%-*s  %s" % (width, name, "  ".join("%*s" % (w, v) for w, v in zip(columns, values))))
EOF
