# ostrelle_library(<folder> SOURCES ... LINKS ...)
# One static library per source folder, named ostrelle_<folder>, alias Ostrelle::<Folder>.
function(ostrelle_library name)
  cmake_parse_arguments(ARG "" "ALIAS" "SOURCES;LINKS" ${ARGN})
  add_library(ostrelle_${name} STATIC ${ARG_SOURCES})
  add_library(Ostrelle::${ARG_ALIAS} ALIAS ostrelle_${name})
  target_include_directories(ostrelle_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(ostrelle_${name} PUBLIC ${ARG_LINKS} PRIVATE Ostrelle::Warnings)
  set_target_properties(ostrelle_${name} PROPERTIES AUTOMOC ON AUTOUIC ON)
endfunction()

# ostrelle_test(<name> SOURCES ... LINKS ...)
# One test executable per folder, registered with CTest as a whole (gtest filters run inside).
function(ostrelle_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_LINKS} Ostrelle::TestSupport Ostrelle::Warnings)
  set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
  add_test(NAME ${name} COMMAND test_${name} --gtest_brief=1)
  # A window test that waits on a box nobody answers must fail, not hang the run. The sanitizers
  # make a test several times slower, so their builds give it longer.
  set(timeout 600)
  if(OSTRELLE_SANITIZE)
    set(timeout 1800)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OSTRELLE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
