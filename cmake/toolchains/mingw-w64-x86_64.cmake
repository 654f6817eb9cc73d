# Cross-builds the Windows program with Debian's MinGW-w64 (POSIX threads) and runs what it
# builds (tests, tools) under Wine.
#
# The libraries built for Windows by tools/windows/build-deps.sh are found through
# KELVARO_WINDOWS_DEPS (a cache variable, or the environment variable of the same name).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVARO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KELVARO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVARO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KELVARO_MINGW_TRIPLE}-windres)

# LLVM's archiver: GNU ar takes minutes to index JUCE's objects (tens of thousands of COMDAT
# sections each), llvm-ar a fraction of a second.
find_program(KELVARO_LLVM_AR llvm-ar)
find_program(KELVARO_LLVM_RANLIB llvm-ranlib)
if(KELVARO_LLVM_AR AND KELVARO_LLVM_RANLIB)
    set(CMAKE_AR "${KELVARO_LLVM_AR}" CACHE FILEPATH "Archiver")
    set(CMAKE_RANLIB "${KELVARO_LLVM_RANLIB}" CACHE FILEPATH "Archive indexer")
endif()

if(NOT KELVARO_WINDOWS_DEPS AND DEFINED ENV{KELVARO_WINDOWS_DEPS})
    set(KELVARO_WINDOWS_DEPS "$ENV{KELVARO_WINDOWS_DEPS}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELVARO_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVARO_MINGW_TRIPLE} ${KELVARO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLLs beside the executables: each binary carries its own C, C++ and thread
# runtime. Linked by LLVM's lld, for the same reason: GNU ld takes minutes for each JUCE
# executable. Debian's MinGW gcc always runs the GNU linker it was built with (it ignores
# -fuse-ld), so a driver file given to gcc names the linker instead.
set(kelvaro_link_flags "-static")
find_program(KELVARO_LLD ld.lld)
if(KELVARO_LLD)
    string(APPEND kelvaro_link_flags " -specs=${CMAKE_CURRENT_LIST_DIR}/mingw-w64-lld.gcc")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT    "${kelvaro_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${kelvaro_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${kelvaro_link_flags}")

find_program(KELVARO_WINE wine)
if(KELVARO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${KELVARO_WINE}")
endif()
