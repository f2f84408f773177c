# The Windows module as it ships (included by src/CMakeLists.txt in Windows
# builds): its version resource, and in a Release build a small and
# reproducible module whose debug information lies beside it.

# The version resource, from the project's version.
enable_language(RC)
set(TOLLEX_COPYRIGHT "Copyright (C) 2026 The Tollex developers")
foreach(part MAJOR MINOR PATCH TWEAK)
  if(NOT PROJECT_VERSION_${part})
    set(PROJECT_VERSION_${part} 0)
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/version.rc @ONLY)
target_sources(Tollex PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/version.rc)
# No time stamp in the module: the same sources give the same bytes.
target_link_options(Tollex PRIVATE -Wl,--no-insert-timestamp)

if(NOT CMAKE_BUILD_TYPE STREQUAL "Release")
  return()
endif()

# Small: optimised for size; each function and datum in a section of its own,
# so that the linker drops what nothing uses; no unwinding tables, since
# nothing unwinds through the module. The debug information is made with
# the source and build folders mapped to fixed names, so that it does not
# depend on where the build ran either. The link map lies beside the module.
set(release_options -Os -g -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=/tollex -ffile-prefix-map=${PROJECT_BINARY_DIR}=/tollex/build)
target_compile_options(tollex_core PRIVATE ${release_options})
target_compile_options(Tollex PRIVATE ${release_options})
# No run-time type information either: the plug-in never asks for a type.
# Its classes with virtual functions then have none for a derived class to
# refer to, so code that derives from them (the tests, should this build
# make them) goes without it too. Only here: in a sanitizer build GoogleTest,
# built with it, checks the dynamic type of objects that such tests make.
target_compile_options(tollex_core PUBLIC -fno-rtti)
target_link_options(Tollex PRIVATE -Wl,--gc-sections -Wl,-Map,$<TARGET_FILE:Tollex>.map)

# The debug information moves out of the module into Tollex.dll.debug beside
# it, which the module names with the file's CRC (a GNU debug link), so that
# a crash address can still be read. objcopy stamps what it writes with the
# time unless SOURCE_DATE_EPOCH says otherwise; 0 is what the linker wrote.
set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
add_custom_command(TARGET Tollex POST_BUILD
  COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE_NAME:Tollex> $<TARGET_FILE_NAME:Tollex>.debug
  COMMAND ${objcopy} --strip-all --add-gnu-debuglink=$<TARGET_FILE_NAME:Tollex>.debug $<TARGET_FILE_NAME:Tollex>
  WORKING_DIRECTORY $<TARGET_FILE_DIR:Tollex>
  COMMENT "Moving the debug information of Tollex.dll into Tollex.dll.debug"
  VERBATIM)
