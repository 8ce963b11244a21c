# qor log end to end: the log's place from the registry, writing lines, reading the end of the log,
# and the per-user switch. -DTOOL=<qor> [-DEMULATOR=<wrapper>] -DWORKDIR=<scratch folder>
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/registry)
set(log ${WORKDIR}/errors.txt)
set(native_log ${log})
if(EMULATOR)
  # The Windows program sees the build tree through Wine's drive Z:.
  string(REPLACE "/" "\\" native_log "Z:${log}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/qor_run.cmake)

function(expect text regex)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "'${text}' does not match '${regex}'")
  endif()
endfunction()

expect_run(0 reg add "HKLM\\SOFTWARE\\Tolmar Technology\\Z4" --value ErrorLog --type REG_SZ --data ${native_log})
expect_run(0 log path)
expect("${out}" "errors.txt\n$")
expect_run(0 log enable)
expect_run(0 log write 0x80004005 first "second text")
expect_run(0 log write 12 third)
expect_run(0 log tail -n 1)
expect("${out}" "^\\[[0-9][0-9]/[0-9][0-9]/[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]\\] C\tthird\t \t \t \n$")
expect_run(0 log tail)
expect("${out}" "\\] 80004005\tfirst\tsecond text\t \t \n.*\\] C\tthird\t")
expect_run(2 log tail -n abc)
expect("${err}" "^qor: 'abc' is not a line count")
expect_run(2 log tail -n 99999999999999999999999)
expect("${err}" "^qor: '9+' is not a line count [^\n]*\n$") # one short line, no range
file(READ ${log} bytes HEX)
expect("${bytes}" "0d0a$") # lines end with CR LF in the file

expect_run(0 log disable)
expect_run(1 log write 1 lost)
expect("${err}" "^qor: tracing is disabled for this user")
expect_run(0 log enable)
expect_run(2 log write 0xZZ text)
expect_run(2 log write 1 a b c d e)
expect("${err}" "^qor: a log line holds at most four texts\n$")
# A line break in a text would forge a line: refused unless --raw. A missing folder is made.
expect_run(2 log write 1 "one\r\nforged")
expect("${err}" "^qor: the text 'one.x0D.x0Aforged' holds a line break; --raw")
expect_run(0 log write --raw 1 "one\r\nforged")
expect_run(0 reg add "HKLM\\SOFTWARE\\Tolmar Technology\\Z4" --value ErrorLog --data ${native_log}.new/folder/errors.txt)
expect_run(0 log write 1 "in a new folder")
expect_run(0 reg delete "HKLM\\SOFTWARE\\Tolmar Technology" --tree)
