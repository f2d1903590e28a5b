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
  foreach(word IN LISTS words)
    if(word IN_LIST inexact_flags OR
       (word MATCHES "^-fdenormal-fp-math=" AND NOT word MATCHES "^-fdenormal-fp-math=ieee(,ieee)?$"))
      message(FATAL_ERROR "${variable} holds ${word}, which lets the compiler round otherwise than "
                          "IEEE doubles do: check_RT would print wrong numbers. Remove ${word} from "
                          "${variable} and configure again.")
    endif()
  endforeach()
endforeach()
