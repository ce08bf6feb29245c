# Writes the Debian package's documentation files from the project's own:
#   COPYRIGHT  the machine-readable copyright file, its licence text LICENSE's
#   CHANGELOG  the changelog in Debian's format, made from NEWS.md
# Run as: cmake -DSOURCE_DIR=... -DCOPYRIGHT=... -DCHANGELOG=... -DMAINTAINER=...
#   -DHOMEPAGE=... -P debian_docs.cmake

# The lines of a file as a list, without the empty lines at its end.  The
# semicolons in them (a CMake list's separator) are held as the unit
# separator character, one character as well, until the text is written.
string(ASCII 31 semicolon)
function(read_lines path out)
  file(READ ${path} text)
  string(REGEX REPLACE "\n+$" "" text "${text}")
  string(REPLACE ";" "${semicolon}" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(write_text path text)
  string(REPLACE "${semicolon}" ";" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

# --- copyright --------------------------------------------------------------
read_lines(${SOURCE_DIR}/LICENSE license_lines)
set(license_text "")
set(in_text OFF)
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Permission is hereby granted")
    set(in_text ON)
  endif()
  if(in_text)
    if(line STREQUAL "")
      string(APPEND license_text " .\n")
    else()
      string(APPEND license_text " ${line}\n")
    endif()
  endif()
endforeach()
write_text(${COPYRIGHT}
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Mottler
Upstream-Contact: ${MAINTAINER}
Source: ${HOMEPAGE}

Files: *
Copyright: 2026 The Mottler developers
License: Expat
${license_text}")

# --- changelog --------------------------------------------------------------
# Each "## VERSION (YYYY-MM-DD)" section becomes one entry, each "- " item
# one "*" line, wrapped to fit 80 columns.
read_lines(${SOURCE_DIR}/NEWS.md news_lines)
set(changelog "")
set(version "")
set(item "")

function(wrap_item text out)
  string(REGEX REPLACE "[ ]+" " " text "${text}")
  string(REPLACE " " ";" words "${text}")
  set(result "")
  set(line "  *")
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(length GREATER 78 AND NOT line STREQUAL "  *" AND NOT line STREQUAL "   ")
      string(APPEND result "${line}\n")
      set(line "   ")
    endif()
    string(APPEND line " ${word}")
  endforeach()
  set(${out} "${result}${line}\n" PARENT_SCOPE)
endfunction()

macro(end_item)
  if(NOT item STREQUAL "")
    wrap_item("${item}" wrapped)
    string(APPEND changelog "${wrapped}")
    set(item "")
  endif()
endmacro()

macro(end_release)
  end_item()
  if(NOT version STREQUAL "")
    execute_process(COMMAND date -u -R -d "${day} 12:00"
      OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(APPEND changelog "\n -- ${MAINTAINER}  ${stamp}\n")
  endif()
endmacro()

foreach(line IN LISTS news_lines)
  if(line MATCHES "^## ([^ ]+) \\(([0-9-]+)\\)$")
    end_release()
    if(NOT changelog STREQUAL "")
      string(APPEND changelog "\n")
    endif()
    set(version ${CMAKE_MATCH_1})
    set(day ${CMAKE_MATCH_2})
    string(APPEND changelog "mottler (${version}) unstable; urgency=medium\n\n")
  elseif(NOT version STREQUAL "" AND line MATCHES "^- (.*)$")
    end_item()
    set(item "${CMAKE_MATCH_1}")
  elseif(NOT item STREQUAL "" AND line MATCHES "^  +(.*)$")
    string(APPEND item " ${CMAKE_MATCH_1}")
  endif()
endforeach()
end_release()
if(changelog STREQUAL "")
  message(FATAL_ERROR "NEWS.md has no release: expected '## VERSION (YYYY-MM-DD)'")
endif()
write_text(${CHANGELOG} "${changelog}")
