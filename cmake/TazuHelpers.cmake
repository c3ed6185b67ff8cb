# Adds every sub-folder of the current source folder that has a CMakeLists.txt,
# so each module can bring its own tests, tools, benchmarks or fuzz targets.
function(tazu_add_subfolders)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# tazu_library(name SOURCES... DEPS...)
function(tazu_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE tazu_warnings)
endfunction()

# Wine's own font folder is empty: tests of Windows builds read copies of the build
# machine's fonts, reached through Wine's Z: drive (the whole file system).
if(CMAKE_CROSSCOMPILING AND WIN32)
  file(GLOB TAZU_TEST_FONTS /usr/share/fonts/truetype/liberation2/LiberationSans-*.ttf
       /usr/share/fonts/opentype/urw-base35/URWGothic-*.otf)
  file(COPY ${TAZU_TEST_FONTS} DESTINATION ${CMAKE_BINARY_DIR}/test-fonts)
  set(TAZU_TEST_FONT_FOLDER "Z:${CMAKE_BINARY_DIR}/test-fonts")
endif()

# tazu_test(name SOURCES... DEPS... [LABELS...] [TIMEOUT seconds]) : one GoogleTest
# executable under CTest; each case may take TIMEOUT seconds (120 unless given).
# The label "tsan" also puts it into tazu_tsan_tests, the suite built under ThreadSanitizer.
# Each test requires the CTest fixtures named in TAZU_TEST_FIXTURES (set by tests/).
function(tazu_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  add_executable(${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
  target_link_libraries(${name} PRIVATE ${A_DEPS} tazu_platform GTest::gtest GTest::gmock tazu_warnings)
  if("tsan" IN_LIST A_LABELS)
    if(NOT TARGET tazu_tsan_tests)
      add_custom_target(tazu_tsan_tests)
    endif()
    add_dependencies(tazu_tsan_tests ${name})
  endif()
  # Cross builds run each test program whole under the emulator (Wine): one start per
  # program instead of one per case.
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS "${A_LABELS}"
      ENVIRONMENT "WINEDEBUG=-all;TAZU_FONT_FOLDERS=${TAZU_TEST_FONT_FOLDER}")
    if(TAZU_TEST_FIXTURES)
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${TAZU_TEST_FIXTURES}")
    endif()
    return()
  endif()
  # A test that hangs fails after its time limit instead of holding up the whole run.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${A_TIMEOUT})
  # Lists (labels, fixtures) are set on the discovered cases by a script CTest reads
  # after them: handed through gtest_discover_tests, a list's second item would be taken
  # for the name of another property.
  set(lists "")
  if(A_LABELS)
    string(APPEND lists " LABELS [==[${A_LABELS}]==]")
  endif()
  if(TAZU_TEST_FIXTURES)
    string(APPEND lists " FIXTURES_REQUIRED [==[${TAZU_TEST_FIXTURES}]==]")
  endif()
  if(lists)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_lists.cmake)
    file(WRITE ${script}
         "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES${lists})\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()

# tazu_fuzzer(name SOURCES... DEPS...) : a libFuzzer target.
function(tazu_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_DEPS} tazu_warnings)
endfunction()
