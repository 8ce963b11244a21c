# Command lines of the qor tool and what they must answer.
qor_tool_test(version ARGS --version EXIT 0 STDOUT "^qor [0-9]+\\.[0-9]+\\.[0-9]+")
qor_tool_test(help ARGS hr --help EXIT 0 STDOUT "Decode result codes.*--win32")
qor_tool_test(no_command ARGS EXIT 2 STDERR "^qor: " STDERR_LINES 1)

qor_tool_test(hr_file_not_found ARGS hr 0x80070002 EXIT 0
  STDOUT "0x80070002 \\(-2147024894\\).*severity  2 warning.*facility  7 \\(0x007\\) Win32.*status    2 \\(0x0002\\).*result    failure.*IsTolmar  no.*text      [^(\n]")
qor_tool_test(hr_library_code ARGS hr 0xC4000066 EXIT 0
  STDOUT "severity  3 error.*facility  1024 \\(0x400\\) QorUtil.*status    102 \\(0x0066\\).*name      QOR_E_REGISTRY_UNKNOWN_ROOT.*text      \\(none\\)")
qor_tool_test(hr_decimal_and_customer ARGS hr -536870912 1 EXIT 0
  STDOUT "0xE0000000 \\(-536870912\\).*customer  1.*result    failure.*0x00000001 \\(1\\).*name      S_FALSE")
qor_tool_test(hr_tolmar_facility ARGS hr 0x44010001 EXIT 0 STDOUT "reserved  0.*facility  1025 \\(0x401\\).*result    success.*IsTolmar  yes")
qor_tool_test(hr_win32 ARGS hr --win32 5 EXIT 0 STDOUT "Win32 error 5:\n0x80070005.*name      E_ACCESSDENIED")
qor_tool_test(hr_win32_zero ARGS hr --win32 0 EXIT 0 STDOUT "0x00000000 \\(0\\).*result    success")
qor_tool_test(hr_not_a_number ARGS hr 0xZZ EXIT 2 STDERR "^qor: '0xZZ' is not a 32-bit number" STDERR_LINES 1)
qor_tool_test(hr_too_large ARGS hr 0x100000000 EXIT 2 STDERR "^qor: '0x100000000' is not" STDERR_LINES 1)
qor_tool_test(hr_missing_code ARGS hr EXIT 2 STDERR "^qor: .*codes" STDERR_LINES 1)

# qor reg and qor locations. On POSIX the registry is a folder of the build tree; under Wine the keys
# live below HKCU\Software\QorUtilTests of the build's Wine prefix.
set(qor_tool_registry QOR_REGISTRY_DIR=${CMAKE_CURRENT_BINARY_DIR}/tool-registry XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/tool-data)
qor_tool_test(reg_help ARGS reg --help EXIT 0 STDOUT "query.*add.*delete.*export.*import")
qor_tool_test(reg_add_help ARGS reg add --help EXIT 0 STDOUT "--type.*Examples:.*REG_DWORD --data 0x10")
qor_tool_test(reg_unknown_root ARGS reg query HKXX\\Software EXIT 2
  STDERR "^qor: 'HKXX\\\\Software' does not begin with a root key" STDERR_LINES 1)
qor_tool_test(reg_dword_too_large ARGS reg add HKCU\\Software\\QorUtilTests\\Tool --value n --type REG_DWORD
  --data 0x100000000 EXIT 2 STDERR "^qor: '0x100000000' is not a REG_DWORD number" STDERR_LINES 1)
qor_tool_test(reg_unknown_type ARGS reg add HKCU\\Software\\QorUtilTests\\Tool --value n --type REG_TEXT
  --data x EXIT 2 STDERR "^qor: unknown value type 'REG_TEXT'" STDERR_LINES 1)
qor_tool_test(reg_missing_key ARGS reg query HKCU\\Software\\QorUtilTests\\NoSuchKey EXIT 1
  STDERR "^qor: cannot open 'HKEY_CURRENT_USER\\\\Software\\\\QorUtilTests\\\\NoSuchKey': 0xC0070002 \\(" STDERR_LINES 1)
qor_tool_test(reg_add_query ARGS reg add HKCU\\Software\\QorUtilTests\\Tool --value Count --type REG_DWORD --data 26
  EXIT 0 STDOUT "completed successfully")
qor_tool_test(reg_query_value ARGS reg query HKCU\\Software\\QorUtilTests\\Tool --value count EXIT 0
  STDOUT "^\nHKEY_CURRENT_USER\\\\Software\\\\QorUtilTests\\\\Tool\n    Count    REG_DWORD    0x1a\n\n$")
set_tests_properties(qor_reg_query_value PROPERTIES DEPENDS qor_reg_add_query)
qor_tool_test(locations ARGS locations EXIT 0
  STDOUT "Common path.*Has Moonlane       no.*Local database     RaviDozLocalDB.*AER19UB.*QorLocat.ini\nNextRecord         0\nNextEntityRecord   0\n$")
add_test(NAME qor_reg_files COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:qor> -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
  -DWORKDIR=${CMAKE_CURRENT_BINARY_DIR}/reg-files -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/reg_files.cmake)
set_tests_properties(qor_reg_files PROPERTIES ENVIRONMENT ${QOR_TEST_HOME_ENVIRONMENT})
set_tests_properties(qor_reg_unknown_root qor_reg_dword_too_large qor_reg_unknown_type qor_reg_missing_key
  qor_reg_add_query qor_reg_query_value qor_locations PROPERTIES ENVIRONMENT "${qor_tool_registry}")

# qor log, end to end (registry, writing, tail, the per-user switch).
add_test(NAME qor_log_commands COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:qor> -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
  -DWORKDIR=${CMAKE_CURRENT_BINARY_DIR}/log-commands -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/log_commands.cmake)
set_tests_properties(qor_log_commands PROPERTIES ENVIRONMENT ${QOR_TEST_HOME_ENVIRONMENT})
qor_tool_test(log_help ARGS log --help EXIT 0 STDOUT "path.*write.*tail.*enable.*disable")

# qor md5 against md5sum (where it exists) and against its own lists.
find_program(QOR_MD5SUM md5sum)
set(qor_md5sum)
if(QOR_MD5SUM AND NOT CMAKE_CROSSCOMPILING)
  set(qor_md5sum -DMD5SUM=${QOR_MD5SUM})
endif()
add_test(NAME qor_md5_files COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:qor> -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
  ${qor_md5sum} -DWORKDIR=${CMAKE_CURRENT_BINARY_DIR}/md5-files -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/md5_files.cmake)
qor_tool_test(md5_help ARGS md5 --help EXIT 0 STDOUT "md5sum's format.*--check.*Examples:")
qor_tool_test(md5_quiet_without_check ARGS md5 --quiet x EXIT 2 STDERR "^qor: --quiet and --status are meant" STDERR_LINES 1)
# A folder given as a file is named as such on both builds (Linux would open it and read nothing).
qor_tool_test(md5_check_folder ARGS md5 -c . EXIT 1 STDERR "^qor: '.': Is a directory" STDERR_LINES 1)
qor_tool_test(md5_folder ARGS md5 . EXIT 1 STDERR "^qor md5: .: Is a directory\nqor: 1 of 1 files could not be read" STDERR_LINES 2)
qor_tool_test(reg_import_folder ARGS reg import . EXIT 1 STDERR "^qor: cannot read '.': Is a directory" STDERR_LINES 1)
# qor trans (end to end in trans_commands.cmake).
qor_tool_test(trans_help ARGS trans --help EXIT 0 STDOUT "info.*recover")
qor_tool_test(trans_missing_file ARGS trans info EXIT 2 STDERR "^qor: .*file" STDERR_LINES 1)
# qor date: every form of a parsed text, patterns and pictures, bad input.
qor_tool_test(date_help ARGS date --help EXIT 0 STDOUT "now.*parse.*format.*tz")
qor_tool_test(date_parse ARGS date parse "3/29/2007 1:05 PM" EXIT 0
  STDOUT "value        39170.5451388888[0-9]*\nstatus       valid\nfields       2007-3-29 13:5:0, weekday 4.*long date    Thursday, March 29, 2007\n.*weekday \\+ dt Thu 3/29/2007 1:05:00 PM\n$")
qor_tool_test(date_parse_bad ARGS date parse "29.3.2007" EXIT 2 STDERR "^qor: '29.3.2007' is not a date or time" STDERR_LINES 1)
qor_tool_test(date_format_number ARGS date format -1.25 EXIT 0 STDOUT "automation   12/29/1899 6:00:00 AM\n")
qor_tool_test(date_format_pattern ARGS date format 2007-03-29 --pattern "%A %Y" EXIT 0 STDOUT "^Thursday 2007\n$")
qor_tool_test(date_format_picture ARGS date format "Mar 29 2007" --picture "ddd d MMM yy" EXIT 0 STDOUT "^Thu 29 Mar 07\n$")
qor_tool_test(date_format_too_early ARGS date format 100 --picture "yyyy" EXIT 0 STDOUT "^1900\n$")
qor_tool_test(date_format_outside ARGS date format 1e9 --pattern "%Y" EXIT 1 STDERR "^qor: value 1000000000 has no such text" STDERR_LINES 1)
qor_tool_test(date_now ARGS date now --utc EXIT 0 STDOUT "^value        [0-9.]+\nstatus       valid\n")
qor_tool_test(date_tz ARGS date tz EXIT 0 STDOUT "^zone         .*\nbias         -?[0-9]+ min.*\ntransition   ")
# qor encode, decode and strip-html: one result line per argument; bad forms and input refused.
qor_tool_test(encode_url ARGS encode url "a b/c-d.e_f!" "x+y" EXIT 0 STDOUT "^a%20b%2Fc-d.e_f!\nx%2By\n$")
qor_tool_test(encode_url_binary ARGS encode url-binary "a-b" EXIT 0 STDOUT "^a%2Db\n$")
qor_tool_test(encode_html_nbsp ARGS encode html-nbsp "a<b c" EXIT 0 STDOUT "^a&lt;b&nbsp;c\n$")
qor_tool_test(encode_hex ARGS encode hex "it's" EXIT 0 STDOUT "^69742773\n$")
qor_tool_test(decode_sql ARGS decode sql "it''s" EXIT 0 STDOUT "^it's\n$")
qor_tool_test(decode_html ARGS decode html "x&#065" EXIT 0 STDOUT "^xA\n$") # no ';': ctest splits there
qor_tool_test(decode_url_incomplete ARGS decode url "50%4" EXIT 2 STDERR "^qor: incomplete %-escape" STDERR_LINES 1)
qor_tool_test(decode_hex_bad_digit ARGS decode hex "0G" EXIT 2 STDERR "^qor: not hexadecimal: 'G' at offset 1" STDERR_LINES 1)
qor_tool_test(decode_hex_odd ARGS decode hex "ABC" EXIT 2 STDERR "^qor: odd number" STDERR_LINES 1)
qor_tool_test(decode_unknown_form ARGS decode url-binary x EXIT 2 STDERR "^qor: unknown form 'url-binary'" STDERR_LINES 1)
qor_tool_test(strip_html ARGS strip-html "<b>x</b><br>z<!-- c -->" EXIT 0 STDOUT "^x\nz\n$")
qor_tool_test(encode_help ARGS encode --help EXIT 0 STDOUT "url-binary.*Examples:")

# qor stack: the heading and qor's own frames (names where the build carries them).
qor_tool_test(stack ARGS stack EXIT 0 STDOUT "^\n   ---Symbol---\n\n   ")
qor_tool_test(stack_verbose ARGS stack --verbose EXIT 0 STDOUT "^symbols path: .*\n--# FV EIP----- RetAddr- FramePtr StackPtr Symbol\n\n  1 [.F][.V] ")

# qor spy send: the text is checked before any viewer is looked for.
qor_tool_test(spy_send_help ARGS spy send --help EXIT 0 STDOUT "1 to 255 characters.*qor-spy &")
string(REPEAT x 256 qor_spy_long_text)
qor_tool_test(spy_send_too_long ARGS spy send ${qor_spy_long_text} EXIT 2
  STDERR "^qor: a spy text has 1 to 255 characters, not 256" STDERR_LINES 1)

# qor zip (end to end in zip_commands.cmake, with Info-ZIP, Python and 7-Zip on the host).
qor_tool_test(zip_help ARGS zip --help EXIT 0 STDOUT "list.*info.*test.*extract.*create")
qor_tool_test(zip_extract_help ARGS zip extract --help EXIT 0 STDOUT "--folder.*--strip-paths.*Example")
add_test(NAME qor_zip_commands COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:qor> -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
  -DPYTHON=${Python3_EXECUTABLE} -DFIXTURES=${zip_fixtures} -DWORKDIR=${CMAKE_CURRENT_BINARY_DIR}/zip-commands
  -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/zip_commands.cmake)
set_tests_properties(qor_zip_commands PROPERTIES ENVIRONMENT ${QOR_TEST_HOME_ENVIRONMENT})
