# The command that registers the management tool for vornup
# (packaging/linux/vornup-register-tool), case by case: what it writes, and
# what it refuses without touching the value already registered.
#
#   cmake -DTOOL=packaging/linux/vornup-register-tool -DWORK=<scratch> -P check_register_tool.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${WORK})
set(registry ${WORK}/registry)
set(value_file ${registry}/SOFTWARE/Korvane/Quenmar/QuenmarDir)
set(previous "/opt/previous/\n")

# A suite directory with an executable Quenmar/Tandrel, under any name (made
# by the shell: CMake would take a backslash for a separator).
function(make_suite directory)
  execute_process(COMMAND sh -c "mkdir -p \"$1/Quenmar\" && printf '#!/bin/sh\\n' > \"$1/Quenmar/Tandrel\" && chmod 700 \"$1/Quenmar/Tandrel\"" sh "${directory}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot make the suite ${directory}")
  endif()
endfunction()

make_suite(${WORK}/korvane)
make_suite("${WORK}/with blank")
make_suite("${WORK}/dollar$HOME")
make_suite("${WORK}/quote\"d")
make_suite("${WORK}/back\\slash")
make_suite("${WORK}/per%cent%")
make_suite("${WORK}/tick`id`")
file(MAKE_DIRECTORY ${WORK}/empty ${WORK}/tool-is-folder/Quenmar/Tandrel)
file(MAKE_DIRECTORY ${WORK}/not-executable/Quenmar)
file(WRITE ${WORK}/not-executable/Quenmar/Tandrel "#!/bin/sh\n")
file(CHMOD ${WORK}/not-executable/Quenmar/Tandrel PERMISSIONS OWNER_READ OWNER_WRITE)
file(MAKE_DIRECTORY ${WORK}/drumlin-only/Drumlin)
file(WRITE ${WORK}/drumlin-only/Drumlin/Tandrel "")
file(WRITE ${WORK}/plain-file "")
# Suites whose value (the directory with its trailing slash) has the 238
# bytes vornup accepts, and one more.
string(LENGTH "${WORK}/" work_length)
math(EXPR padding "238 - ${work_length} - 1")
string(REPEAT "l" ${padding} longest)
make_suite("${WORK}/${longest}")
make_suite("${WORK}/${longest}l")

# Each case: a name, the exit code, the value then registered ("previous" when
# nothing may change), words of the message, and the arguments.
set(cases
  "registers a suite|0|${WORK}/korvane/|QuenmarDir = ${WORK}/korvane/|${WORK}/korvane"
  "one trailing slash|0|${WORK}/korvane/|${WORK}/korvane/Quenmar/Tandrel|${WORK}/korvane///"
  "blanks are fine|0|${WORK}/with blank/|QuenmarDir|${WORK}/with blank"
  "relative directory|1|previous|not an absolute directory|korvane"
  "dot-relative directory|1|previous|not an absolute directory|./korvane"
  "missing directory|1|previous|no such directory|${WORK}/missing"
  "a file, not a directory|1|previous|no such directory|${WORK}/plain-file"
  "no Quenmar/Tandrel|1|previous|holds no executable Quenmar/Tandrel|${WORK}/empty"
  "only Drumlin/Tandrel|1|previous|holds no executable Quenmar/Tandrel|${WORK}/drumlin-only"
  "tool not executable|1|previous|holds no executable Quenmar/Tandrel|${WORK}/not-executable"
  "tool is a folder|1|previous|holds no executable Quenmar/Tandrel|${WORK}/tool-is-folder"
  "dollar sign|1|previous|a character vornup refuses|${WORK}/dollar$HOME"
  "double quote|1|previous|a character vornup refuses|${WORK}/quote\"d"
  "backslash|1|previous|a character vornup refuses|${WORK}/back\\slash"
  "percent sign|1|previous|a character vornup refuses|${WORK}/per%cent%"
  "backtick|1|previous|a character vornup refuses|${WORK}/tick`id`"
  "line end|1|previous|control character|${WORK}/korvane\n"
  "longest directory|0|${WORK}/${longest}/|QuenmarDir|${WORK}/${longest}"
  "directory too long|1|previous|longer than vornup accepts (239 bytes|${WORK}/${longest}l"
  "no argument|2|previous|usage: vornup-register-tool|"
  "help|2|previous|usage: vornup-register-tool|--help")

set(failures)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 expected_code)
  list(GET fields 2 expected_value)
  list(GET fields 3 words)
  list(GET fields 4 argument)
  set(arguments "${argument}")
  if(argument STREQUAL "")
    set(arguments)
  endif()

  file(REMOVE_RECURSE ${registry})
  file(WRITE ${value_file} "${previous}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${registry}
                          sh ${TOOL} ${arguments}
                  RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
  file(READ ${value_file} value)
  if(expected_value STREQUAL "previous")
    set(expected_value "${previous}")
  else()
    string(APPEND expected_value "\n")
  endif()
  file(GLOB leftovers RELATIVE ${registry}/SOFTWARE/Korvane/Quenmar
       ${registry}/SOFTWARE/Korvane/Quenmar/.*)

  string(FIND "${output}" "${words}" at)
  if(NOT code STREQUAL expected_code)
    list(APPEND failures "${name}: exit code ${code}, expected ${expected_code}: ${output}")
  elseif(NOT value STREQUAL expected_value)
    list(APPEND failures "${name}: QuenmarDir holds '${value}', expected '${expected_value}'")
  elseif(at EQUAL -1)
    list(APPEND failures "${name}: no '${words}' in: ${output}")
  elseif(leftovers)
    list(APPEND failures "${name}: left ${leftovers} beside the value")
  endif()
endforeach()

# A registry root that is still missing is made, and the value is one line.
file(REMOVE_RECURSE ${registry})
execute_process(COMMAND ${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${registry}/new/root
                        sh ${TOOL} ${WORK}/korvane
                RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(made ${registry}/new/root/SOFTWARE/Korvane/Quenmar/QuenmarDir)
if(NOT code STREQUAL "0" OR NOT EXISTS ${made})
  list(APPEND failures "new registry root: exit code ${code}: ${output}")
else()
  file(READ ${made} value)
  if(NOT value STREQUAL "${WORK}/korvane/\n")
    list(APPEND failures "new registry root: QuenmarDir holds '${value}'")
  endif()
endif()

# A folder in the value's place is refused, not written into.
file(REMOVE_RECURSE ${registry})
file(MAKE_DIRECTORY ${value_file})
execute_process(COMMAND ${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${registry}
                        sh ${TOOL} ${WORK}/korvane
                RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB inside ${value_file}/*)
if(NOT code STREQUAL "1" OR inside)
  list(APPEND failures "folder as value: exit code ${code}, inside: '${inside}': ${output}")
endif()

# A link at the value's name or in place of a key is refused; nothing is
# written where it points.
file(MAKE_DIRECTORY ${WORK}/outside)
foreach(planted ${value_file} ${registry}/SOFTWARE/Korvane/Quenmar)
  file(REMOVE_RECURSE ${registry} ${WORK}/outside)
  file(MAKE_DIRECTORY ${registry}/SOFTWARE/Korvane ${WORK}/outside)
  get_filename_component(parent ${planted} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${WORK}/outside ${planted} SYMBOLIC)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${registry}
                          sh ${TOOL} ${WORK}/korvane
                  RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
  file(GLOB inside ${WORK}/outside/* ${WORK}/outside/.*)
  if(NOT code STREQUAL "1" OR inside OR NOT output MATCHES "symbolic link")
    list(APPEND failures "link at ${planted}: exit code ${code}, outside: '${inside}': ${output}")
  endif()
endforeach()

# A FIFO planted at the temporary name the command used to take (its process
# id) does not hold it up.
file(REMOVE_RECURSE ${registry})
file(MAKE_DIRECTORY ${registry}/SOFTWARE/Korvane/Quenmar)
execute_process(COMMAND ${CMAKE_COMMAND} -E env VORNUP_REGISTRY_ROOT=${registry}
                        sh -c "mkfifo \"$1/.QuenmarDir.$$\" && exec sh \"$2\" \"$3\""
                        sh ${registry}/SOFTWARE/Korvane/Quenmar ${TOOL} ${WORK}/korvane
                TIMEOUT 20 RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT code STREQUAL "0" OR NOT EXISTS ${value_file})
  list(APPEND failures "FIFO at the temporary name: exit code ${code}: ${output}")
endif()

if(failures)
  list(JOIN failures "\n" report)
  message(FATAL_ERROR "${report}")
endif()
list(LENGTH cases count)
math(EXPR count "${count} + 5")
message(STATUS "${count} cases as expected")
