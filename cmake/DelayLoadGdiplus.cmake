# Has target load GDI+ at its first GDI+ call instead of at its start, when Windows would
# look for gdiplus.dll in the program's own folder first: by that first call the program
# has restricted the search to the system folder (app/main.cpp).
function(quillmere_delay_load_gdiplus target)
  if(MSVC)
    target_link_options(${target} PRIVATE /DELAYLOAD:gdiplus.dll)
    target_link_libraries(${target} PRIVATE delayimp)
  else()
    # An import library whose thunks load the DLL at the first call (dlltool -y), placed
    # ahead of the plain gdiplus import library so that the linker takes its symbols.
    set(definitions ${PROJECT_SOURCE_DIR}/cmake/gdiplus-delay.def)
    set(library ${PROJECT_BINARY_DIR}/libgdiplus_delay.a)
    add_custom_command(
      OUTPUT ${library}
      COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --dllname gdiplus.dll
              --output-delaylib ${library}
      DEPENDS ${definitions}
      COMMENT "Making the delay-load import library of GDI+"
      VERBATIM)
    add_custom_target(gdiplus_delay_library DEPENDS ${library})
    add_dependencies(${target} gdiplus_delay_library)
    target_link_libraries(${target} PRIVATE ${library} gdiplus)
  endif()
endfunction()
