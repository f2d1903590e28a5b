# Readings are parsed with std::from_chars for double, which libstdc++ has
# since GCC 11 and libc++ since version 20. Said here, rather than as an
# error deep inside the record analysis.
include(CheckCXXSourceCompiles)
check_cxx_source_compiles([[
#include <charconv>
int main()
{
    const char text[] = "325.5";
    double value = 0;
    return std::from_chars(text, text + 5, value).ec == std::errc() ? 0 : 1;
}]] CHECK_RT_HAVE_FROM_CHARS_DOUBLE)
if(NOT CHECK_RT_HAVE_FROM_CHARS_DOUBLE)
  message(FATAL_ERROR "The C++ standard library of ${CMAKE_CXX_COMPILER} has no std::from_chars for "
                      "double, with which check_RT reads its numbers: it needs libstdc++ from GCC 11 "
                      "or later, or libc++ 20 or later. With clang++, leave out -stdlib=libc++ or "
                      "install a newer libc++. (See CMakeFiles/CMakeError.log for the failed check.)")
endif()
