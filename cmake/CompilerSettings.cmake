# Warnings, wide-character Windows API, and a self-contained .exe for every target.
function(quillmere_apply_settings target)
  target_compile_definitions(${target} PRIVATE UNICODE _UNICODE)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -municode)
    # No MinGW runtime DLL beside the .exe: libgcc, libstdc++ and winpthread go inside it.
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++
                        $<$<CONFIG:Release>:-s>)
  endif()
endfunction()
