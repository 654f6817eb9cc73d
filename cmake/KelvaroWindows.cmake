# The Windows build (MinGW-w64): the libraries JUCE needs there, the executable's Windows
# resources, and a test that reads them back out of the built executable.

# Debian's JUCE comes without its bundled zlib, libpng and libjpeg: take MinGW's zlib and the
# static libpng and libjpeg-turbo that tools/windows/build-deps.sh cross-builds. JUCE 7 has no
# DirectWrite support with MinGW, so text goes through GDI.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)   # zlib comes as a DLL import library too
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
target_compile_definitions(kelvaro_juce PUBLIC JUCE_USE_DIRECTWRITE=0)
target_link_libraries(kelvaro_juce PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB)

# Our own resource script in place of the one JUCE generates: two icon groups, the version
# resource and the application manifest.
set(KELVARO_WINDOWS_RESOURCES "${PROJECT_SOURCE_DIR}/resources/windows")
get_target_property(kelvaro_app_sources KelvaroMixer SOURCES)
list(FILTER kelvaro_app_sources EXCLUDE REGEX "/resources\\.rc$")
set_property(TARGET KelvaroMixer PROPERTY SOURCES ${kelvaro_app_sources})
target_sources(KelvaroMixer PRIVATE "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.rc")
set_property(SOURCE "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.rc" APPEND PROPERTY OBJECT_DEPENDS
    "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.ico"
    "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.manifest")

# The version resource takes the project's version.
configure_file("${KELVARO_WINDOWS_RESOURCES}/KelvaroVersion.h.in" "${CMAKE_CURRENT_BINARY_DIR}/windows/KelvaroVersion.h" @ONLY)
set_property(SOURCE "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.rc" APPEND PROPERTY INCLUDE_DIRECTORIES
    "${CMAKE_CURRENT_BINARY_DIR}/windows")
set_property(SOURCE "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.rc" APPEND PROPERTY OBJECT_DEPENDS
    "${CMAKE_CURRENT_BINARY_DIR}/windows/KelvaroVersion.h")

if(KELVARO_BUILD_TESTS)
    find_program(KELVARO_PYTHON3 python3 REQUIRED)
    add_test(NAME WindowsResources.InExecutable
        COMMAND "${KELVARO_PYTHON3}" "${PROJECT_SOURCE_DIR}/tools/windows/check-resources.py"
                "$<TARGET_FILE:KelvaroMixer>" "${KELVARO_WINDOWS_RESOURCES}/KelvaroMixer.ico")

    # The program in a window of Wine's virtual desktop on a private Xvfb display (a Wine prefix
    # of its own, apart from the headless one of the other tests).
    add_test(NAME WindowsSmoke.MixerShowsAndTakesAClick
        COMMAND bash "${PROJECT_SOURCE_DIR}/tools/windows/smoke-test.sh"
                "$<TARGET_FILE:KelvaroMixer>" "$<TARGET_FILE:KelvaroSimulatedInterface>"
                "${CMAKE_BINARY_DIR}/windows-smoke.png")
    set_tests_properties(WindowsSmoke.MixerShowsAndTakesAClick PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()
