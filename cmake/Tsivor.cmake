# A library made of every .cpp/.h/.qrc in its folder; new files are picked up on the next build.
function(tsivor_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER _src INCLUDE REGEX ".*\\.(cpp|h|qrc)$")
  if(_src MATCHES "\\.cpp")
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    # Nothing to compile yet: a header-only unit.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# A GoogleTest executable made of every .cpp in the folder, registered with CTest.
function(tsivor_test_dir name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tsivor_testsupport GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE TSIVOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             TSIVOR_DEPLOY_DIR="${TSIVOR_DEPLOY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Every sub-folder with a CMakeLists.txt.
function(tsivor_add_subdirs)
  file(GLOB _children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT _children)
  foreach(_c ${_children})
    get_filename_component(_d ${_c} DIRECTORY)
    add_subdirectory(${_d})
  endforeach()
endfunction()
