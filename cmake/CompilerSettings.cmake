# Settings for every target: warnings, the wide-character Windows API, and NOMINMAX, so
# that <windows.h> leaves std::min and std::max alone (MSVC's headers define them as
# macros; mingw-w64's do only for C). Each compiler also builds an .exe that needs no
# runtime DLL beside it, with no build time written into it.

# MSVC: the static runtime, for every target created from here on, GoogleTest's included,
# since objects built for two runtimes do not link together.
if(MSVC)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

function(quillmere_apply_settings target)
  target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX)
  if(MSVC)
    # /Brepro: no time stamps in the objects or the PE header.
    target_compile_options(${target} PRIVATE /W4 /utf-8 /permissive- /Brepro)
    target_link_options(${target} PRIVATE /Brepro)
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
