# Fails the build when the shipped executable outgrows its budget, carries debug information, or links
# the C++ runtime's exception and terminate machinery after all, or the threads library or formatted
# output that machinery brings. Sizes are exact for a given toolchain.
# cmake -DEXE=<exe> -DMAP=<linker map> -DOBJDUMP=<objdump> -DMAX_BYTES=<n> -DMAX_TEXT=<n> -P CheckShippedExe.cmake
file(SIZE "${EXE}" bytes)
execute_process(COMMAND "${OBJDUMP}" -h "${EXE}" OUTPUT_VARIABLE sections COMMAND_ERROR_IS_FATAL ANY)
if(NOT sections MATCHES "\n *[0-9]+ \\.text +([0-9a-f]+) ")
  message(FATAL_ERROR "${EXE}: no .text section")
endif()
math(EXPR text "0x${CMAKE_MATCH_1}")

set(faults)
if(bytes GREATER MAX_BYTES)
  list(APPEND faults "${bytes} bytes, over the budget of ${MAX_BYTES}")
endif()
if(text GREATER MAX_TEXT)
  list(APPEND faults ".text of ${text} bytes, over the budget of ${MAX_TEXT}")
endif()
if(sections MATCHES "\\.debug_")
  list(APPEND faults "debug sections left in")
endif()
# The linker map begins with every archive member it took, each at the start of a line.
file(STRINGS "${MAP}" pulled
  REGEX "^[^ \t].*((libpthread|libgcc_eh)\\.a\\(|libstdc\\+\\+\\.a\\((eh_|functexcept|vterminate|cp-demangle|new_op)|libmingwex\\.a\\(.*(pformat|gdtoa))")
list(TRANSFORM pulled REPLACE "^.*/" "")
list(REMOVE_DUPLICATES pulled)
foreach(member IN LISTS pulled)
  list(APPEND faults "links ${member}")
endforeach()

if(faults)
  list(JOIN faults "\n  " faults)
  message(FATAL_ERROR "${EXE}:\n  ${faults}")
endif()
message(STATUS "${EXE}: ${bytes} bytes (budget ${MAX_BYTES}), .text ${text} (budget ${MAX_TEXT})")
