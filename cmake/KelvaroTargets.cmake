# Warnings for our own code: JUCE's recommended set, and nothing may slip through in CI.
function(kelvaro_set_warnings target)
    target_link_libraries(${target} PRIVATE juce::juce_recommended_warning_flags)
    if(KELVARO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
