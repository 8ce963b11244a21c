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
