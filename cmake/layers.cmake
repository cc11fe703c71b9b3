# Every library sees its own headers and those of the libraries it links, and nothing else: each
# gets an include root of its own in the build tree that holds one symlink, `<name>` -> src/<name>,
# added PUBLIC to that library alone. A dependent reaches a root only by linking its library, so
# an include of a layer above (or of one not linked) does not compile. Headers keep their
# `#include "values/h256.hpp"` spelling.

# qzr_include_root(TARGET SCOPE LINK_PATH SOURCE_DIR): gives TARGET (with SCOPE: PUBLIC, PRIVATE
# or INTERFACE) an include root under which LINK_PATH (e.g. `values` or `python/frame`) names
# SOURCE_DIR.
function(qzr_include_root target scope link_path source_dir)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${link_path} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${source_dir} ${root}/${link_path} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# qzr_layer(NAME DIR DEPS...): a static, position-independent library made of every .cpp in
# DIR (an interface library while DIR has none). Layers never see Python headers; the
# dependency list is the architecture.
function(qzr_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  get_filename_component(layer ${dir} NAME)
  if(sources)
    add_library(${name} STATIC ${sources})
    qzr_include_root(${name} PUBLIC ${layer} ${dir})
    target_link_libraries(${name} PUBLIC ${ARGN} PRIVATE qzr_warnings)
  else()
    add_library(${name} INTERFACE)
    qzr_include_root(${name} INTERFACE ${layer} ${dir})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# qzr_gtest(NAME DIR DEPS...): one GoogleTest binary made of every .cpp in DIR. It sees the
# headers of what it links and the files beside its own.
function(qzr_gtest name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main qzr_warnings)
  add_test(NAME ${name} COMMAND ${name})
endfunction()
