# Sourced by the build scripts: compiler cache settings that let a fresh clone in another folder
# reuse earlier results.
export CCACHE_SLOPPINESS=time_macros,pch_defines,include_file_mtime,include_file_ctime
export CCACHE_BASEDIR="$PWD"
export CCACHE_NOHASHDIR=1
