# velk's interactive terminal front end (ncursesw, iconv) and its tests.
# velk/CMakeLists.txt includes this file in non-Windows builds and links the
# library `velk_tui` into velk; the library carries VELK_HAVE_TUI for it.
#
#   velk_tui          static library of velk/tui_*.cpp
#   velk_tui_tests    unit tests of the terminal-free parts (GoogleTest)
#   velk_tui_demo     the front end on made-up screens, for trying it by hand
#   tmux tests        velk itself in a detached tmux session (tui_tmux_test.sh)
set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses REQUIRED)

set(VELK_TUI_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
file(GLOB VELK_TUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tui_*.cpp)
add_library(velk_tui STATIC ${VELK_TUI_SOURCES})
target_include_directories(velk_tui PUBLIC ${VELK_TUI_ROOT} ${VELK_TUI_ROOT}/src)
target_include_directories(velk_tui PRIVATE ${CURSES_INCLUDE_DIRS})
target_compile_definitions(velk_tui PUBLIC VELK_HAVE_TUI=1)
target_link_libraries(velk_tui PRIVATE ${CURSES_LIBRARIES})

add_executable(velk_tui_demo ${CMAKE_CURRENT_LIST_DIR}/tests/tui_demo.cpp)
target_link_libraries(velk_tui_demo PRIVATE velk_tui)

if(TOLLEX_TESTS)
  file(GLOB VELK_TUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tests/tui_*_test.cpp)
  add_executable(velk_tui_tests ${VELK_TUI_TEST_SOURCES})
  target_link_libraries(velk_tui_tests PRIVATE velk_tui gmock gtest_main)
  target_compile_definitions(velk_tui_tests PRIVATE
    VELK_HELP_FILE="${VELK_TUI_ROOT}/data/Tollex.hlp")
  include(GoogleTest)
  gtest_discover_tests(velk_tui_tests DISCOVERY_MODE PRE_TEST)

  # The screen tests run velk in tmux; without tmux they are skipped (77).
  # They are registered once the directory that includes this file is done,
  # so that the target velk exists by then.
  function(velk_tui_register_tmux_tests)
    foreach(case IN ITEMS list edit apply keys help)
      add_test(NAME velk_tui_tmux_${case}
               COMMAND bash ${VELK_TUI_ROOT}/velk/tests/tui_tmux_test.sh ${case}
                       $<TARGET_FILE:velk> $<TARGET_FILE:Tollex> ${VELK_TUI_ROOT}/data)
      set_tests_properties(velk_tui_tmux_${case} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
    endforeach()
  endfunction()
  cmake_language(DEFER CALL velk_tui_register_tmux_tests)
endif()
