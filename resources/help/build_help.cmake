# Writes the whole help manual into OUT_DIR (run with cmake -P):
#   1. a fresh folder with the hand-written pages and the style sheet;
#   2. the generated command reference and example programs, and the page
#      of large textures with a contact sheet of every program in
#      examples/ (mottler-helpgen);
#   3. the pages' own example programs (samples/*.txt of this folder);
#   4. each example program composed into a program file (mottler-compose)
#      and rendered into images/<name>.png (mottler-render);
#   5. the pictures of the window (mottler-window-pictures, on Qt's
#      offscreen platform, so no display is needed).
foreach(var HELPGEN COMPOSE RENDER PICTURES PAGES_DIR EXAMPLES_DIR OUT_DIR STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "build_help.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}/images" "${OUT_DIR}/samples")
file(GLOB pages "${PAGES_DIR}/*.html" "${PAGES_DIR}/*.css" "${PAGES_DIR}/*.png")
file(COPY ${pages} DESTINATION "${OUT_DIR}")

execute_process(COMMAND "${HELPGEN}" "${OUT_DIR}" "${EXAMPLES_DIR}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mottler-helpgen failed (${rc})")
endif()

file(GLOB page_samples "${PAGES_DIR}/samples/*.txt")
file(COPY ${page_samples} DESTINATION "${OUT_DIR}/samples")

file(GLOB samples "${OUT_DIR}/samples/*.txt")
set(failed "")
foreach(sample ${samples})
  get_filename_component(name "${sample}" NAME_WE)
  execute_process(COMMAND "${COMPOSE}" "${sample}" "${OUT_DIR}/samples/${name}.mlr"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "mottler-compose failed on ${sample}")
  endif()
  execute_process(COMMAND "${RENDER}" "${OUT_DIR}/samples/${name}.mlr" -o "${OUT_DIR}/images/${name}.png"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(APPEND failed ${name})
  endif()
endforeach()
if(failed)
  # A command that cannot run yet leaves its picture out; the pages still build.
  message(WARNING "help: no picture for ${failed}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
                        "${PICTURES}" "${OUT_DIR}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mottler-window-pictures failed (${rc})")
endif()

file(TOUCH "${STAMP}")
