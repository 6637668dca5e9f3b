# Warnings, wide-character Windows API, and a self-contained .exe for every target.
function(quillmere_apply_settings target)
  target_compile_definitions(${target} PRIVATE UNICODE _UNICODE)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 /permissive-)
  else()
    # The same commit gives the same bytes in any folder at any time: paths in __FILE__
    # and debug information are written relative to the checkout, and no build date or
    # time may be compiled in.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=date-time -municode
                           -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                           -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
    # No MinGW runtime DLL beside the .exe: libgcc, libstdc++ and winpthread go inside it.
    # No link time in the PE header either, which ld writes by default.
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++
                        -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
  endif()
endfunction()
