# Every suite as CTest tests. Each test runs through scripts/suite.sh, which gives
# it the build folder's X display and Wine prefix when it needs them and
# counts what the suite ran (scripts/test.sh adds the counts up).
#
# A test is named SUITE or SUITE.GROUP: core.Ini, posix.ShellTest,
# view-win32.ListViewTest, qt.ViewLayoutTest, e2e-linux, fuzz.ini. Each
# carries the label of its kind (core, posix, qt, win32, e2e, packages, fuzz,
# checks), so `ctest -L` picks a kind and `ctest -R` a suite or a group.
#
# Tests that use the display take the resource "display" of their build
# folder: one at a time there, because they press keys, move the focus and
# count the windows on it; the others run alongside.

set(TAVRO_SUITE ${CMAKE_SOURCE_DIR}/scripts/suite.sh)
set(TAVRO_SESSION ${CMAKE_SOURCE_DIR}/scripts/session.sh)

# The build folder's Xvfb (and on Windows its Wine prefix, made ready once),
# a fixture CTest starts before the first test that needs it and ends after
# the last.
function(tavro_test_session)
  set(wine)
  if(WIN32)
    set(wine --wine)
  endif()
  add_test(NAME session.up COMMAND bash ${TAVRO_SESSION} up ${CMAKE_BINARY_DIR} ${wine})
  add_test(NAME session.down COMMAND bash ${TAVRO_SESSION} down ${CMAKE_BINARY_DIR})
  set_tests_properties(session.up PROPERTIES FIXTURES_SETUP tavro_session LABELS session
                                             TIMEOUT 600)
  set_tests_properties(session.down PROPERTIES FIXTURES_CLEANUP tavro_session LABELS session)
endfunction()

#   tavro_add_suite(NAME COUNT KIND [X] [WINE] [DISPLAY] [LABELS ...] [LOCKS ...]
#                   [TIMEOUT SECONDS] [COST SECONDS] [GROUP NAME] COMMAND ...)
# X: needs the X display (DISPLAY: and uses it as a whole, see above). WINE:
# COMMAND is a Windows program, run under Wine (implies X). LOCKS: held
# across build folders (scripts/suite.sh --lock). COST: about how long it takes,
# so that CTest starts the long ones first on a fresh build folder.
function(tavro_add_suite name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "X;WINE;DISPLAY" "COUNT;TIMEOUT;COST;GROUP"
                        "LABELS;LOCKS;COMMAND")
  set(run bash ${TAVRO_SUITE} --name ${name} --count ${arg_COUNT})
  if(arg_GROUP)
    list(APPEND run --group ${arg_GROUP})
  endif()
  if(arg_X OR arg_WINE OR arg_DISPLAY)
    list(APPEND run --session ${CMAKE_BINARY_DIR})
    if(WIN32)
      list(APPEND run --session-wine)
    endif()
  endif()
  if(arg_DISPLAY)
    list(APPEND run --whole-display)
  endif()
  if(arg_WINE)
    list(APPEND run --wine ${CMAKE_BINARY_DIR})
  endif()
  foreach(lock IN LISTS arg_LOCKS)
    list(APPEND run --lock ${lock})
  endforeach()
  add_test(NAME ${name} COMMAND ${run} -- ${arg_COMMAND} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 900)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}" TIMEOUT ${arg_TIMEOUT})
  if(arg_COST)
    set_tests_properties(${name} PROPERTIES COST ${arg_COST})
  endif()
  if(arg_X OR arg_WINE OR arg_DISPLAY)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED tavro_session)
  endif()
  if(arg_DISPLAY)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
    set_property(GLOBAL APPEND PROPERTY TAVRO_DISPLAY_TESTS ${name})
  endif()
endfunction()

#   tavro_add_gtest(SUITE TARGET [X] [WINE] [DISPLAY] [LABELS ...]
#                   [DISPLAY_GROUPS group ...] [LOCKED_GROUPS lock group ...])
# One test per GoogleTest test suite of TARGET (SUITE.Ini runs Ini.*), found
# in its sources without running the program, so the Windows programs need
# no Wine at build time. SUITE.rest runs whatever no group names (a test
# written in a form the scan misses), so nothing is left out. DISPLAY_GROUPS:
# the groups that use the display as a whole; LOCKED_GROUPS: a lock (see
# tavro_add_suite) and the groups that take it.
function(tavro_add_gtest suite target)
  cmake_parse_arguments(PARSE_ARGV 2 arg "X;WINE;DISPLAY" "" "LABELS;DISPLAY_GROUPS;LOCKED_GROUPS")
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(groups)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.cpp$")
      continue()
    endif()
    if(NOT IS_ABSOLUTE ${source})
      set(source ${source_dir}/${source})
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(STRINGS ${source} lines REGEX "^[ \t]*(TYPED_)?TEST(_F|_P)?[ \t]*\\([ \t]*[A-Za-z_0-9]+")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*(TYPED_)?TEST(_F|_P)?[ \t]*\\([ \t]*([A-Za-z_0-9]+).*" "\\3" group
                           "${line}")
      list(APPEND groups ${group})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES groups)
  list(SORT groups)

  set(flags)
  foreach(flag X WINE DISPLAY)
    if(arg_${flag})
      list(APPEND flags ${flag})
    endif()
  endforeach()
  set(lock)
  set(locked)
  if(arg_LOCKED_GROUPS)
    list(POP_FRONT arg_LOCKED_GROUPS lock)
    set(locked ${arg_LOCKED_GROUPS})
  endif()

  set(all)
  foreach(group IN LISTS groups)
    set(group_flags ${flags})
    if(group IN_LIST arg_DISPLAY_GROUPS)
      list(APPEND group_flags DISPLAY)
    endif()
    set(group_locks)
    if(group IN_LIST locked)
      set(group_locks LOCKS ${lock})
    endif()
    # Plain, fixture and parameterised tests (Prefix/Ini.Name/0), typed ones
    # (Ini/0.Name).
    set(filter "${group}.*:*/${group}.*:${group}/*")
    tavro_add_suite(${suite}.${group} COUNT gtest GROUP ${group} ${group_flags} LABELS ${arg_LABELS}
                    ${group_locks}
                    COMMAND $<TARGET_FILE:${target}> --gtest_filter=${filter})
    string(APPEND all ":${filter}")
  endforeach()
  string(SUBSTRING "${all}" 1 -1 all)
  tavro_add_suite(${suite}.rest COUNT gtest-rest ${flags} LABELS ${arg_LABELS}
                  COMMAND $<TARGET_FILE:${target}> --gtest_filter=-${all})
endfunction()

# The whole-program runs come after the build folder's suites of the groups
# that use the display, in the order they always ran (an order, not a
# condition: each runs whatever the others gave).
function(tavro_run_after_groups name)
  get_property(groups GLOBAL PROPERTY TAVRO_DISPLAY_TESTS)
  list(REMOVE_ITEM groups ${name})
  set_tests_properties(${name} PROPERTIES DEPENDS "${groups}")
endfunction()
