# korvane's version comes from one place, project(VERSION) in the top-level
# CMakeLists.txt; a build from a git checkout adds `git describe` as it was
# at configure time. Both go to korvane_version.h in the build tree (target
# korvane_version).
set(KORVANE_GIT_DESCRIBE "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE KORVANE_GIT_DESCRIBE OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE git_status)
  if(NOT git_status EQUAL 0)
    set(KORVANE_GIT_DESCRIBE "")
  endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/korvane_version.h.in
               ${PROJECT_BINARY_DIR}/generated/korvane_version.h @ONLY)
add_library(korvane_version INTERFACE)
target_include_directories(korvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
