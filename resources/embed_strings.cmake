# Turns the string table (strings.rc) into C++ initialisers for the loader:
#   cmake -DINPUT=strings.rc -DOUTPUT=string_table_entries.inc -P embed_strings.cmake
# Each line `NUMBER, "TEXT"` becomes `{NUMBER, "TEXT"},`; the C++ compiler then reads the
# escapes of TEXT. Blank lines, `//` comments and the STRINGTABLE, BEGIN and END lines are
# skipped; any other line stops the build. The entries are written sorted by number (the
# loader searches them by halving), and a number given twice stops the build.

if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "embed_strings.cmake needs -DINPUT=... and -DOUTPUT=...")
endif()

file(READ "${INPUT}" content)
# The text is walked line by line without CMake lists, so that ";", "[" and "]" in the texts
# stay as they are; they are masked only while the entries are sorted as a list.
string(REPLACE "\r" "" content "${content}")
if(NOT content MATCHES "\n$")
  string(APPEND content "\n")
endif()

set(entries "")
set(line_number 0)
string(LENGTH "${content}" remaining)
while(remaining GREATER 0)
  string(FIND "${content}" "\n" eol)
  string(SUBSTRING "${content}" 0 ${eol} line)
  math(EXPR next "${eol} + 1")
  string(SUBSTRING "${content}" ${next} -1 content)
  string(LENGTH "${content}" remaining)
  math(EXPR line_number "${line_number} + 1")

  string(STRIP "${line}" stripped)
  if(stripped STREQUAL "" OR stripped MATCHES "^//" OR stripped STREQUAL "STRINGTABLE"
     OR stripped STREQUAL "BEGIN" OR stripped STREQUAL "END")
    continue()
  endif()
  if(NOT stripped MATCHES "^([0-9]+)[ \t]*,[ \t]*(\".*\")$")
    message(FATAL_ERROR "${INPUT}:${line_number}: not a string-table entry: ${stripped}")
  endif()
  set(number "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_2}")
  if(number GREATER 65535)
    message(FATAL_ERROR "${INPUT}:${line_number}: string number ${number} is above 65535")
  endif()
  # Zero-padded key first, so that a plain sort orders the entries by number.
  string(LENGTH "${number}" digits)
  math(EXPR pad "5 - ${digits}")
  set(key "${number}")
  while(pad GREATER 0)
    string(PREPEND key "0")
    math(EXPR pad "${pad} - 1")
  endwhile()
  string(REPLACE ";" "@SEMICOLON@" text "${text}")
  string(REPLACE "[" "@LBRACKET@" text "${text}")
  string(REPLACE "]" "@RBRACKET@" text "${text}")
  string(REPLACE "\\" "@BACKSLASH@" text "${text}")
  list(APPEND entries "${key}|${number}|${text}")
endwhile()

list(SORT entries)
set(out "// Generated from strings.rc by embed_strings.cmake. Do not edit.\n")
set(previous "")
foreach(entry IN LISTS entries)
  string(REGEX MATCH "^([0-9]+)\\|([0-9]+)\\|(.*)$" parts "${entry}")
  set(key "${CMAKE_MATCH_1}")
  set(number "${CMAKE_MATCH_2}")
  set(text "${CMAKE_MATCH_3}")
  if(key STREQUAL previous)
    message(FATAL_ERROR "${INPUT}: string number ${number} is given more than once")
  endif()
  set(previous "${key}")
  string(REPLACE "@SEMICOLON@" ";" text "${text}")
  string(REPLACE "@LBRACKET@" "[" text "${text}")
  string(REPLACE "@RBRACKET@" "]" text "${text}")
  string(REPLACE "@BACKSLASH@" "\\" text "${text}")
  string(APPEND out "{${number}, ${text}},\n")
endforeach()

file(WRITE "${OUTPUT}" "${out}")
