# Sourced by the scripts: build settings shared by run, test and bench.
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CCACHE_BASEDIR="$repo"
export CCACHE_NOHASHDIR=1
export CCACHE_COMPILERCHECK=content
jobs="$(nproc 2>/dev/null || echo 2)"
export CCACHE_MAXSIZE=10G
