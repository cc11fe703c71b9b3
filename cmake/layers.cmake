# qzr_layer(NAME DIR DEPS...): a static, position-independent library made of every .cpp in
# DIR (an interface library while DIR has none). Layers never see Python headers; the
# dependency list is the architecture.
function(qzr_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN} PRIVATE qzr_warnings)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# qzr_gtest(NAME DIR DEPS...): one GoogleTest binary made of every .cpp in DIR.
function(qzr_gtest name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main qzr_warnings)
  add_test(NAME ${name} COMMAND ${name})
endfunction()
