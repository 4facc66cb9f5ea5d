# Windows-only settings, included by the top-level CMakeLists.txt when the
# target system is Windows (natively or through cmake/mingw-w64-x86_64.cmake).
#
# - R47093 is a windows-subsystem program (no console): it is double-clicked
#   in the folder where the scenario package should appear. Its entry point
#   stays the ordinary `main`; MinGW's start-up code calls it.
# - Both executables are linked statically, so they run on a bare Windows
#   without the compiler's runtime libraries.
# - An application manifest declares the program dpi-aware (the waiting window
#   scales itself) and makes UTF-8 the process's 8-bit code page, so that the
#   command-line arguments of scenario-tool reach `main` as UTF-8, as the
#   platform layer expects of every path.

set(SB_WINDOWS_STATIC -static -static-libgcc -static-libstdc++)

set_target_properties(R47093 PROPERTIES WIN32_EXECUTABLE ON)

target_link_libraries(sb_platform PUBLIC user32 gdi32)

target_link_options(R47093 PRIVATE ${SB_WINDOWS_STATIC})
target_link_options(scenario-tool PRIVATE ${SB_WINDOWS_STATIC})
# Targets created after this point (the tests) link the same way, so they run
# under Wine without the runtime DLLs on a search path.
add_link_options(${SB_WINDOWS_STATIC})

if(MINGW)
  set(SB_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/sb-app.manifest)
  file(CONFIGURE OUTPUT ${SB_MANIFEST} @ONLY CONTENT [=[<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>
    </windowsSettings>
  </application>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>
      <supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>
      <supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>
</assembly>
]=])
  set(SB_MANIFEST_RC ${CMAKE_CURRENT_BINARY_DIR}/sb-app-manifest.rc)
  # 1 = the process manifest, 24 = RT_MANIFEST.
  file(CONFIGURE OUTPUT ${SB_MANIFEST_RC} @ONLY CONTENT "1 24 \"sb-app.manifest\"\n")
  # The resource is compiled by a command of its own rather than through
  # CMake's RC language: the project-wide compile options (-Wall, -ffp-...)
  # would otherwise be handed to windres, which rejects them.
  if(NOT CMAKE_RC_COMPILER)
    find_program(CMAKE_RC_COMPILER NAMES ${CMAKE_CXX_COMPILER_TARGET}-windres x86_64-w64-mingw32-windres windres REQUIRED)
  endif()
  set(SB_MANIFEST_OBJ ${CMAKE_CURRENT_BINARY_DIR}/sb-app-manifest.res.o)
  add_custom_command(
    OUTPUT ${SB_MANIFEST_OBJ}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -i sb-app-manifest.rc -o ${SB_MANIFEST_OBJ}
    DEPENDS ${SB_MANIFEST} ${SB_MANIFEST_RC}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    COMMENT "Application manifest"
    VERBATIM)
  set_source_files_properties(${SB_MANIFEST_OBJ} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(R47093 PRIVATE ${SB_MANIFEST_OBJ})
  target_sources(scenario-tool PRIVATE ${SB_MANIFEST_OBJ})
endif()
