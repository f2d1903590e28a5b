# The report comes from IEEE double arithmetic, each operation rounded on its
# own. These flags let the compiler do otherwise (reassociate, multiply by
# reciprocals, assume there is no infinity, NaN or signed zero, flush tiny
# numbers to zero, take constants as floats), and a build with one compiles
# without a word and then prints wrong numbers. Not every compiler says so in
# a macro, so the flags themselves are looked at here; the record analysis
# refuses to compile where the compiler does say so, and rounding_check runs
# hard cases before anything uses the analysis, for whatever gets past both.
set(inexact_flags -ffast-math -Ofast -ffinite-math-only -fno-honor-infinities -fno-honor-nans
    -fassociative-math -freciprocal-math -fno-signed-zeros -funsafe-math-optimizations
    -ffp-model=fast -ffp-model=aggressive -mdaz-ftz -fsingle-precision-constant)
# Refuses the first of the words that is such a flag; where says where they
# stand, and advice how to take it out. A word @FILE names a response file,
# whose flags the compiler reads in its place, so they are looked at too, once
# each. A relative one is read from the build tree, where compiles run; one
# that is not there is left to rounding_check.
function(refuse_inexact_flags where advice)
  foreach(word IN LISTS ARGN)
    if(word MATCHES "^@(.+)$")
      get_filename_component(response_file "${CMAKE_MATCH_1}" ABSOLUTE BASE_DIR "${CMAKE_BINARY_DIR}")
      string(FIND "${where}" "response file ${response_file} " seen)
      if(seen EQUAL -1 AND EXISTS "${response_file}" AND NOT IS_DIRECTORY "${response_file}")
        file(READ "${response_file}" contents)
        separate_arguments(file_words UNIX_COMMAND "${contents}")
        refuse_inexact_flags("the response file ${response_file} (in ${where})"
          "Take the flag out of that file and configure again." ${file_words})
      endif()
      continue()
    endif()
    # g++ also reads --optimize=X as -OX, --machine-X and --machine=X as -mX,
    # and any other --X as -fX: --fast-math is -ffast-math.
    if(word MATCHES "^--optimize=(.*)$")
      set(flag "-O${CMAKE_MATCH_1}")
    elseif(word MATCHES "^--machine[-=](.*)$")
      set(flag "-m${CMAKE_MATCH_1}")
    elseif(word MATCHES "^--(.+)$")
      set(flag "-f${CMAKE_MATCH_1}")
    else()
      set(flag "${word}")
    endif()
    if(flag IN_LIST inexact_flags OR
       (flag MATCHES "^-fdenormal-fp-math=" AND NOT flag MATCHES "^-fdenormal-fp-math=ieee(,ieee)?$"))
      if(NOT flag STREQUAL word)
        set(word "${word} (${flag})")
      endif()
      message(FATAL_ERROR "${where} holds ${word}, which lets the compiler round otherwise than "
                          "IEEE doubles do: check_RT would print wrong numbers. ${advice}")
    endif()
  endforeach()
endfunction()

set(flag_variables CMAKE_CXX_COMPILER_ARG1 CMAKE_CXX_FLAGS CMAKE_EXE_LINKER_FLAGS)
if(CMAKE_CONFIGURATION_TYPES)
  set(configurations ${CMAKE_CONFIGURATION_TYPES})
else()
  set(configurations ${CMAKE_BUILD_TYPE})
endif()
foreach(configuration IN LISTS configurations)
  string(TOUPPER "${configuration}" configuration)
  list(APPEND flag_variables CMAKE_CXX_FLAGS_${configuration} CMAKE_EXE_LINKER_FLAGS_${configuration})
endforeach()
foreach(variable IN LISTS flag_variables)
  separate_arguments(words UNIX_COMMAND "${${variable}}")
  # CMake keeps the flags in its cache, with what CXX, CXXFLAGS or LDFLAGS
  # held when the build folder was first configured: configuring it again
  # with the flag gone from the environment keeps it.
  if(variable STREQUAL "CMAKE_CXX_COMPILER_ARG1")
    set(advice "Configure a new build folder with a CXX that does not hold it.")
  else()
    string(CONCAT advice "Configure a new build folder without it, or this one with -D${variable}= "
                  "followed by the other flags wanted there.")
  endif()
  refuse_inexact_flags(${variable} "${advice}" ${words})
endforeach()

# A parent project that adds this one with add_subdirectory() hands down the
# options it gave add_compile_options() and add_link_options() before. The
# options it gives a target afterwards, and generator expressions, only
# rounding_check sees.
foreach(kind compile link)
  string(TOUPPER "${kind}_OPTIONS" property)
  get_directory_property(options ${property})
  set(words)
  foreach(option IN LISTS options)
    if(option MATCHES "^SHELL:(.*)$")
      separate_arguments(option UNIX_COMMAND "${CMAKE_MATCH_1}")
    endif()
    list(APPEND words ${option})
  endforeach()
  refuse_inexact_flags("add_${kind}_options() in this or a parent project"
    "Leave it out of the options that the project adding check_RT gives every target." ${words})
endforeach()
