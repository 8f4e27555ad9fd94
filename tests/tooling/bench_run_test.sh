#!/usr/bin/env bash
# scripts/bench-run runs every benchmark program of a folder (not the *_autogen folders beside
# them), goes on after one fails, and ends with one summary line per benchmark.
set -uo pipefail
runner="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

fake() { # NAME EXIT: a program that writes Google Benchmark's JSON to --benchmark_out
  cat >"$dir/$1" <<PROGRAM
#!/usr/bin/env bash
for a in "\$@"; do case "\$a" in --benchmark_out=*) out="\${a#--benchmark_out=}";; esac; done
cat >"\$out" <<JSON
{"context": {}, "benchmarks": [
 {"name": "BM_$1/10", "run_type": "iteration", "real_time": 1.5, "cpu_time": 1.4, "time_unit": "ms", "bytes": 3},
 {"name": "BM_$1_other", "run_type": "iteration", "real_time": 20, "cpu_time": 19, "time_unit": "us"},
 {"name": "BM_$1_other_stddev", "run_type": "aggregate", "aggregate_name": "stddev", "real_time": 1, "time_unit": "us"}
]}
JSON
echo "ran $1"
exit $2
PROGRAM
  chmod +x "$dir/$1"
}
fake bench_alpha 0
fake bench_beta 0
fake bench_gamma 3
mkdir "$dir/bench_alpha_autogen" "$dir/bench_beta_autogen"

output="$("$runner" "$dir" 2>&1)"
status=$?
echo "$output"
fail() { echo "FAILED: $1"; exit 1; }
for b in alpha beta gamma; do
  grep -q "^ran bench_$b\$" <<<"$output" || fail "bench_$b did not run"
  grep -Eq "bench_$b +BM_bench_$b/10 +1\.500 ms" <<<"$output" || fail "no summary line for BM_bench_$b/10"
  grep -Eq "bench_$b +BM_bench_${b}_other +20\.000 us" <<<"$output" || fail "no summary line for BM_bench_${b}_other"
done
[[ $status -ne 0 ]] || fail "a failed benchmark program must fail the run"
grep -q "Failed: bench_gamma" <<<"$output" || fail "the failed program is not named"
grep -q "_stddev" <<<"$output" && fail "spread aggregates belong in the full output, not the summary"

output="$("$runner" "$dir" bench_beta 2>&1)" || fail "running one named benchmark failed"
grep -q "ran bench_alpha" <<<"$output" && fail "a benchmark that was not named ran"
grep -q "ran bench_beta" <<<"$output" || fail "the named benchmark did not run"
echo "ok"
