# folder_library(NAME DIR [RECURSE] [LINKS ...]): a static library of every
# .cpp in DIR (with RECURSE also in its sub-folders), with the repository root
# as include root.
function(folder_library name dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "RECURSE" "" "")
  if(arg_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    # A folder whose headers exist before its first source file.
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${CMAKE_SOURCE_DIR})
  if(arg_UNPARSED_ARGUMENTS)
    target_link_libraries(${name} ${scope} ${arg_UNPARSED_ARGUMENTS})
  endif()
  register_library(${name})
endfunction()

# Libraries made by folder_library are collected so tests and benchmarks can
# link all of them without naming each one.
function(register_library name)
  set_property(GLOBAL APPEND PROPERTY NOVEL_LIBRARIES ${name})
endfunction()
