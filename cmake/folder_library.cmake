# folder_library(NAME DIR [LINKS ...]): a static library of every .cpp in DIR
# and its sub-folders, with the repository root as include root. A sub-folder
# with its own CMakeLists.txt builds on its own and is left out.
function(folder_library name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB_RECURSE own_builds CONFIGURE_DEPENDS ${dir}/*/CMakeLists.txt)
  foreach(own_build ${own_builds})
    get_filename_component(own_dir ${own_build} DIRECTORY)
    list(FILTER sources EXCLUDE REGEX "^${own_dir}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    # A folder whose headers exist before its first source file.
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${CMAKE_SOURCE_DIR})
  if(ARGN)
    target_link_libraries(${name} ${scope} ${ARGN})
  endif()
  register_library(${name})
endfunction()

# Libraries made by folder_library are collected so tests and benchmarks can
# link all of them without naming each one.
function(register_library name)
  set_property(GLOBAL APPEND PROPERTY NOVEL_LIBRARIES ${name})
endfunction()

# The programs a user runs (and the modules they load) share one folder.
function(novel_program target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${NOVEL_BIN_DIR}
                                             LIBRARY_OUTPUT_DIRECTORY ${NOVEL_BIN_DIR})
endfunction()
