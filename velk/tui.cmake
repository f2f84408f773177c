# velk's interactive terminal front end (ncursesw) and its tests.
# velk/CMakeLists.txt includes this file in non-Windows builds and links the
# library `velk_tui` into velk; the library carries VELK_HAVE_TUI for it.
#
#   velk_tui          static library of velk/tui/
#   velk_tui_tests    unit tests of the terminal-free parts (GoogleTest)
#   velk_tui_demo     the front end on made-up screens, for trying it by hand
#   tmux tests        velk itself in a detached tmux session, one behaviour per
#                     script in tests/tui/tmux/ (the library: tests/tui/tmux_lib.sh)
set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses REQUIRED)

set(VELK_TUI_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
add_library(velk_tui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/tui/canvas.cpp ${CMAKE_CURRENT_LIST_DIR}/tui/dialog_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tui/front_end.cpp ${CMAKE_CURRENT_LIST_DIR}/tui/help_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tui/help_view.cpp ${CMAKE_CURRENT_LIST_DIR}/tui/key_decoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tui/menu_screen.cpp ${CMAKE_CURRENT_LIST_DIR}/tui/message_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tui/terminal.cpp ${CMAKE_CURRENT_LIST_DIR}/tui/terminal_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tui/text.cpp)
target_include_directories(velk_tui PRIVATE ${CURSES_INCLUDE_DIRS})
target_compile_definitions(velk_tui PUBLIC VELK_HAVE_TUI=1)
target_link_libraries(velk_tui PUBLIC velk_interaction velk_shutdown PRIVATE ${CURSES_LIBRARIES})

add_executable(velk_tui_demo ${CMAKE_CURRENT_LIST_DIR}/tests/tui/demo.cpp)
target_link_libraries(velk_tui_demo PRIVATE velk_tui)

if(TOLLEX_TESTS)
  add_executable(velk_tui_tests
    ${CMAKE_CURRENT_LIST_DIR}/tests/tui/help_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/tui/keys_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/tui/layout_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/tui/screens_test.cpp)
  target_link_libraries(velk_tui_tests PRIVATE velk_tui gmock gtest_main)
  target_compile_definitions(velk_tui_tests PRIVATE
    VELK_HELP_FILE="${VELK_TUI_ROOT}/data/Tollex.hlp")
  tollex_add_gtest(velk_tui_tests)

  # The tmux tests run velk in tmux, one behaviour per script in
  # tests/tui/tmux/; without tmux they are skipped (77). They are registered
  # once the directory that includes this file is done, so that the target
  # velk exists by then.
  function(velk_tui_add_tmux_test name script timeout)
    add_test(NAME ${name}
             COMMAND bash ${VELK_TUI_ROOT}/velk/tests/tui/tmux/${script}.sh
                     $<TARGET_FILE:velk> $<TARGET_FILE:Tollex> ${VELK_TUI_ROOT}/data ${ARGN})
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${timeout})
  endfunction()
  function(velk_tui_register_tmux_tests)
    # At the terminal: the list, editing, applying, keys, pasting, help,
    # and the same answers as a script gives.
    foreach(behaviour IN ITEMS list edit apply keys paste help same)
      velk_tui_add_tmux_test(velk.tmux.${behaviour} ${behaviour} 120)
    endforeach()
    # What velk draws and the keys it keeps for itself, at three sizes.
    foreach(size IN ITEMS 100x32 80x24 200x50)
      foreach(behaviour IN ITEMS repaint resize suspend wide ctrl_keys)
        velk_tui_add_tmux_test(velk.tmux.${behaviour}.${size} ${behaviour} 240 ${size})
      endforeach()
    endforeach()
    velk_tui_add_tmux_test(velk.tmux.unusable unusable 120)
    # The registry file and velk's ways of ending; each script runs at the
    # three sizes itself.
    foreach(behaviour IN ITEMS signals hangup refused permissions save_fails one_writer links large_table)
      velk_tui_add_tmux_test(velk.tmux.${behaviour} ${behaviour} 600)
    endforeach()
  endfunction()
  cmake_language(DEFER CALL velk_tui_register_tmux_tests)
endif()
