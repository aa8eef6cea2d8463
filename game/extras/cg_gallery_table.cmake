# Turns the CG gallery's data file into the table's initialiser: one
# "{identifier, 0, "name"}," line a record. A record the table could not hold
# as written stops the build with the line at fault. Also runs as a script:
#   cmake -DRECORDS=<data file> -DOUTPUT=<initialiser> -P cg_gallery_table.cmake
function(write_cg_gallery_records records_file output_file)
  # Read as lines, without the characters a CMake list treats as its own
  # (no record holds them).
  file(READ ${records_file} text)
  string(REGEX REPLACE "[][;]" "|" text "${text}")
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(source "")
  set(previous -1)
  set(line_number 0)
  foreach(line IN LISTS lines)
    math(EXPR line_number "${line_number} + 1")
    if(line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    # Names keep to characters that a C string, a CMake list and a Windows
    # file name all take as they are.
    if(NOT line MATCHES "^[ \t]*([0-9]+)[ \t]+([A-Za-z0-9!#$%&'()+,.=^_{}~-]+)[ \t]*$")
      message(FATAL_ERROR "${records_file}:${line_number}: not \"<identifier> <name>\": ${line}")
    endif()
    set(identifier ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    string(LENGTH "${identifier}" digits)
    string(LENGTH "${name}" name_length)
    if(digits GREATER 9 OR name_length GREATER 31)
      message(FATAL_ERROR "${records_file}:${line_number}: identifier past 9 digits or name past 31 characters: ${line}")
    endif()
    math(EXPR identifier "${identifier}")  # no leading zeros: they would read as octal
    if(identifier LESS previous)
      message(FATAL_ERROR "${records_file}:${line_number}: identifiers must ascend: ${line}")
    endif()
    set(previous ${identifier})
    string(APPEND source "    {${identifier}, 0, \"${name}\"},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output_file} CONTENT "${source}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  write_cg_gallery_records(${RECORDS} ${OUTPUT})
endif()
