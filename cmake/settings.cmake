# check_settings(DATA_DIR DATE) stops configuring when the data directory or
# the date cannot be compiled in. The manual page and the package's
# description show the directory as it is, unescaped, so it may hold no
# character that acts on a terminal, reorders a line or shows nothing: none
# of those the diagnostics escape but the backslash, which only stands for
# itself.
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

  # Each byte as "hh ": a pattern that begins with two hex digits and a blank
  # can only match at the start of a byte.
  string(HEX "${data_dir}" hex)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  set(classes
    "(0.|1.|7f) " "C0 controls (tab, line feed and the other bytes below 0x20) or DEL"
    "(c2 [89].) " "C1 controls (U+0080 to U+009F)"
    "(d8 9c|e2 80 8e|e2 80 8f|e2 80 a[a-e]|e2 81 a[6-9]) " "bidirectional controls"
    "(c2 ad|d8 8[0-5]|db 9d|dc 8f|e0 a2 9[01]|e0 a3 a2|e1 a0 8e|e2 80 8[b-d]|e2 81 a[0-4a-f]|ef bb bf|ef bf b[9ab]|f0 91 82 bd|f0 91 83 8d|f0 93 90 b.|f0 9b b2 a[0-3]|f0 9d 85 b[3-9a]|f3 a0 80 81|f3 a0 80 [ab].|f3 a0 81 [89ab].) "
    "format characters (soft hyphen, zero-width characters, byte order mark, tags and the like, Unicode's category Cf)"
    "(e2 80 a[89]) " "line or paragraph separators")
  # A byte 0x80 to 0x9f that is no part of a UTF-8 character is a C1 control
  # to a terminal: it is what remains once the characters are taken out.
  string(REGEX REPLACE
    "(c[2-9a-f]|d.) [89ab]. |e0 [ab]. [89ab]. |(e[1-9a-c]|e[ef]) [89ab]. [89ab]. |ed [89]. [89ab]. |f0 [9ab]. [89ab]. [89ab]. |f[1-3] [89ab]. [89ab]. [89ab]. |f4 8. [89ab]. [89ab]. "
    "" outside_characters "${bytes}")
  if(outside_characters MATCHES "([89]. )")
    set(found "${CMAKE_MATCH_1}")
    set(class "C1 controls (bytes 0x80 to 0x9f outside a UTF-8 character)")
  endif()
  while(classes AND NOT found)
    list(POP_FRONT classes pattern what)
    if(bytes MATCHES "${pattern}")
      set(found "${CMAKE_MATCH_1}")
      set(class "${what}")
    endif()
  endwhile()
  if(found)
    string(STRIP "${found}" found)
    string(REPLACE " " " 0x" found "0x${found}")
    message(FATAL_ERROR "CHECK_RT_DATA_DIR cannot hold ${class}: it holds the bytes ${found}")
  endif()
endfunction()
