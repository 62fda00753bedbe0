# Sourced by the build scripts: compile through ccache when it is installed, with paths taken
# relative to the source tree, so that a fresh clone in another folder reuses what an earlier
# build compiled.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
    export CCACHE_NOHASHDIR=1
fi
