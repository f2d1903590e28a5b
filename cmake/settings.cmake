# check_settings(DATA_DIR DATE) stops configuring when the data directory or
# the date cannot be compiled in. The directory's characters are checked by
# src/check_RT.cpp, with the diagnostics' own table.
function(check_settings data_dir date)
  if(NOT data_dir MATCHES "/$")
    message(FATAL_ERROR "CHECK_RT_DATA_DIR must end in a slash: '${data_dir}'")
  endif()
  if(NOT data_dir MATCHES "^/")
    message(FATAL_ERROR "CHECK_RT_DATA_DIR must be an absolute path, beginning with '/': '${data_dir}'. "
                        "A relative one would be taken from wherever check_RT is started, and no shell "
                        "expands '~' in it.")
  endif()
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "CHECK_RT_TARGET_DATE must be eight digits: '${date}'")
  endif()
  # A date that no day has would build a tool that reports nothing, every day.
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "${CMAKE_MATCH_2}")
  math(EXPR day "${CMAKE_MATCH_3}")
  if(month LESS 1 OR month GREATER 12)
    message(FATAL_ERROR "CHECK_RT_TARGET_DATE must be a calendar date, YYYYMMDD: '${date}' has no month ${month}")
  endif()
  math(EXPR by_4 "${year} % 4")
  math(EXPR by_100 "${year} % 100")
  math(EXPR by_400 "${year} % 400")
  set(days_in_month 31 28 31 30 31 30 31 31 30 31 30 31)
  math(EXPR index "${month} - 1")
  list(GET days_in_month ${index} last_day)
  if(month EQUAL 2 AND by_4 EQUAL 0 AND (NOT by_100 EQUAL 0 OR by_400 EQUAL 0))
    set(last_day 29)
  endif()
  if(day LESS 1 OR day GREATER last_day)
    message(FATAL_ERROR "CHECK_RT_TARGET_DATE must be a calendar date, YYYYMMDD: '${date}' has no day ${day}, "
                        "its month has ${last_day} days")
  endif()
endfunction()
