# Shared target helpers. Every subsystem is one domain library (QtCore + QtSql only)
# and, when it has a forms/ folder, one forms library (adds QtWidgets). Sources are
# picked up by glob so adding a file needs no CMake edit; dependencies are declared
# once, in src/CMakeLists.txt, along the subsystems' "builds on" lines.

set(KULVERA_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/src)

add_library(kulvera_options INTERFACE)
target_compile_options(kulvera_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
target_compile_definitions(kulvera_options INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_FOREACH
  QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER QT_DISABLE_DEPRECATED_BEFORE=0x060000)
if(KULVERA_SANITIZE)
  target_compile_options(kulvera_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kulvera_options INTERFACE -fsanitize=address,undefined)
endif()
if(KULVERA_FUZZ)
  # Every library is instrumented for coverage; only the fuzz targets link the fuzzer's main.
  target_compile_options(kulvera_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kulvera_options INTERFACE -fsanitize=address,undefined)
endif()

# kulvera_subsystem(NAME DEPENDS dep1 dep2 ...)
# Creates kulvera_NAME from src/NAME/*.cpp and, when src/NAME/forms exists,
# kulvera_NAME_forms from src/NAME/forms/*.cpp linking the forms of the dependencies.
function(kulvera_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(dir ${KULVERA_SOURCE_ROOT}/${name})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  set(target kulvera_${name})
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    # A subsystem with no code yet still takes its place in the graph.
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} ${KULVERA_SOURCE_ROOT})
  target_link_libraries(${target} ${scope} Qt6::Core Qt6::Sql kulvera_options)
  foreach(dep IN LISTS ARG_DEPENDS)
    target_link_libraries(${target} ${scope} kulvera_${dep})
  endforeach()

  file(GLOB form_sources CONFIGURE_DEPENDS ${dir}/forms/*.cpp ${dir}/forms/*.h ${dir}/forms/*.ui)
  if(form_sources)
    set(forms kulvera_${name}_forms)
    add_library(${forms} STATIC ${form_sources})
    target_link_libraries(${forms} PUBLIC ${target} Qt6::Widgets kulvera_options)
    foreach(dep IN LISTS ARG_DEPENDS)
      if(TARGET kulvera_${dep}_forms)
        target_link_libraries(${forms} PUBLIC kulvera_${dep}_forms)
      endif()
    endforeach()
    set_target_properties(${forms} PROPERTIES AUTOUIC ON)
  endif()
endfunction()

# Every test runs on the offscreen platform with the seed data of the source
# tree, and under a locale set explicitly, so a suite behaves the same on every
# machine: the locale of a freshly installed one unless told otherwise.
set(KULVERA_TEST_ENVIRONMENT
  QT_QPA_PLATFORM=offscreen
  KULVERA_DATA_DIR=${CMAKE_SOURCE_DIR}/data
  LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp)

# kulvera_discover_tests(NAME LOCALE [PREFIX prefix] [FILTER gtest-filter] [ENV VAR=value...])
# registers the tests of NAME (those the filter selects) with LANG and LC_ALL set to LOCALE
# (and the ENV variables), their names preceded by the prefix.
# The PROPERTIES of gtest_discover_tests cannot carry a list (only the first
# variable would arrive), so the environment is set on the discovered tests
# when CTest reads them, by an include file of our own that follows theirs.
function(kulvera_discover_tests name locale)
  cmake_parse_arguments(ARG "" "PREFIX;FILTER" "ENV" ${ARGN})
  string(MAKE_C_IDENTIFIER "${name}_${locale}_${ARG_PREFIX}tests" list)
  set(filter)
  if(ARG_FILTER)
    set(filter TEST_FILTER "${ARG_FILTER}")
  endif()
  gtest_discover_tests(${name} TEST_PREFIX "${ARG_PREFIX}" TEST_LIST ${list} DISCOVERY_TIMEOUT 60 ${filter})
  set(environment ${KULVERA_TEST_ENVIRONMENT} LANG=${locale} LC_ALL=${locale} ${ARG_ENV})
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${list}_environment.cmake")
  file(WRITE "${file}"
    "if(DEFINED ${list})\n"
    "  set_tests_properties(\${${list}} PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

# kulvera_test(NAME SOURCES... LIBS ...) adds one GoogleTest executable to CTest.
function(kulvera_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kulvera_testsupport GTest::gtest GTest::gmock kulvera_options)
  kulvera_discover_tests(${name} C.UTF-8)
endfunction()
