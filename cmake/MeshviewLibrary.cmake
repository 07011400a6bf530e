# meshview_library(NAME DIR [DEPS ...]): a static library of every .cpp in DIR
# (not recursive), with the repository root as include root. Globbing keeps
# the build files out of the way when a subsystem gains a file.
function(meshview_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    if(ARGN)
      target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# meshview_test(NAME DIR [LABEL label] LIBS ...): one GoogleTest executable of
# every .cpp in tests/DIR, registered with CTest test by test.
function(meshview_test name dir)
  cmake_parse_arguments(T "" "LABEL" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE MESHVIEW_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  # Compiled effects are kept in the build tree, not the user's cache folder.
  set(test_environment "XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-cache")
  if(T_LABEL)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${T_LABEL} ENVIRONMENT ${test_environment})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT ${test_environment})
  endif()
endfunction()
