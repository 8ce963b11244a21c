# Registry files through the qor tool, run as a user runs it: an exported tree imported into an empty
# registry queries the same; an import that fails while applying changes nothing; names the registry
# refuses are refused at FILE:LINE before anything changes; a tree 512 levels deep goes through export,
# import and delete; answers stay one clear line.
#   -DTOOL=<qor program> [-DEMULATOR=<wrapper>] -DWORKDIR=<empty folder for files and registries>
# Files are passed by relative names, which a Windows program under Wine resolves like a native one.
set(root "HKCU\\Software\\QorUtilTests\\RegFiles")
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/source)

include(${CMAKE_CURRENT_LIST_DIR}/qor_run.cmake)
set(QOR_RUN_DIRECTORY ${WORKDIR})

# qor(EXIT STDERR_REGEX ARGS...): runs qor, which must exit with EXIT and (unless the regex is empty)
# write one line matching STDERR_REGEX on stderr.
function(qor expected regex)
  qor_run(status out err ${ARGN})
  if(NOT status EQUAL expected OR NOT err MATCHES "${regex}" OR (regex AND NOT err MATCHES "^[^\n]*\n$"))
    message(FATAL_ERROR "qor ${ARGN}: exit ${status} (expected ${expected})\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# Both keys of the tree, as `qor reg query` shows them.
function(query_tree var)
  qor(0 "" reg query ${root})
  set(text "${out}")
  qor(0 "" reg query "${root}\\Inner key")
  set(${var} "${text}${out}" PARENT_SCOPE)
endfunction()

qor_run(status out err reg delete ${root} --tree) # left over from an earlier run under Wine
qor(0 "" reg add ${root} --value Text --data "quote \" and backslash \\ inside")
qor(0 "" reg add ${root} --default --data "the default")
qor(0 "" reg add ${root} --value Number --type REG_DWORD --data 4294967295)
qor(0 "" reg add ${root} --value Big --type REG_QWORD --data 0x123456789)
qor(0 "" reg add ${root} --value List --type REG_MULTI_SZ --data "one\\0two\\0three")
qor(0 "" reg add ${root} --value Bytes --type REG_BINARY --data 00FF7F80000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F)
qor(0 "" reg add "${root}\\Inner key" --value "name with = sign")
query_tree(before)
qor(0 "" reg export ${root} tree.reg)
file(READ ${WORKDIR}/tree.reg exported)
if(NOT exported MATCHES "^REGEDIT4\r?\n\r?\n\\[HKEY_CURRENT_USER\\\\Software\\\\QorUtilTests\\\\RegFiles\\]")
  message(FATAL_ERROR "unexpected export:\n${exported}")
endif()
if(EMULATOR)
  qor(0 "" reg delete ${root} --tree)
else()
  set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/imported)
endif()
qor(0 "" reg import tree.reg)
query_tree(after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the imported tree differs\n--- exported\n${before}--- imported\n${after}")
endif()

# Each file fails at the line and with the reason given, and the tree stays as it was. The first
# fails while applying (a root key without a tree); the others are refused before anything changes.
function(refused name expected reason content)
  file(WRITE ${WORKDIR}/${name}.reg "${content}")
  # '@' stands for a NUL byte, which CMake strings cannot carry.
  execute_process(COMMAND sed -i "s/@/\\x00/g" ${WORKDIR}/${name}.reg)
  qor(${expected} "^qor: ${name}.reg:${reason}" reg import ${name}.reg)
  query_tree(unchanged)
  if(NOT unchanged STREQUAL before)
    message(FATAL_ERROR "${name}.reg changed the registry\n--- before\n${before}--- after\n${unchanged}")
  endif()
endfunction()
set(change "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles]\n\"Number\"=dword:00000001\n\"Added\"=\"x\"\n"
  "[-HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles\\Inner key]\n")
string(REPEAT "\\d" 512 tooDeep)
refused(apply 1 "6: cannot create 'HKEY_PERFORMANCE_DATA.Fails': 0x" "${change}[HKEY_PERFORMANCE_DATA\\Fails]\n\"a\"=\"b\"\n")
refused(zero 2 "6: .*holds the control character '.x00'" "${change}[-HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles@Backup]\n")
refused(value 2 "6: the value name 'Setting.x00Old' holds a NUL" "${change}\"Setting@Old\"=-\n")
refused(doubled 2 "6: .*an empty key name" "${change}[-HKEY_CURRENT_USER\\Software\\QorUtilTests\\\\]\n")
refused(deep 2 "6: .*more than 512 levels" "${change}[HKEY_CURRENT_USER\\Software${tooDeep}]\n")
refused(number 2 "3: dword: takes 1 to 8" "REGEDIT4\n[${root}]\n\"Bad\"=dword:123456789\n")

# A tree 512 levels deep: imported, exported and deleted (recursion would have its stack to itself).
string(REPEAT "\\d" 509 deep)
file(WRITE ${WORKDIR}/deep.reg "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\QorUtilTests${deep}]\n\"leaf\"=hex(ffffffff):01\n")
qor(0 "" reg import deep.reg)
qor(0 "" reg export "HKCU\\Software\\QorUtilTests\\d" deep-export.reg)
qor(0 "" reg delete "HKCU\\Software\\QorUtilTests\\d" --tree)
qor(0 "" reg import deep-export.reg)
qor(0 "" reg query "HKCU\\Software\\QorUtilTests${deep}")
if(NOT out MATCHES "leaf    REG_0xFFFFFFFF    01")
  message(FATAL_ERROR "an unknown type shows in hexadecimal:\n${out}")
endif()
qor(0 "" reg delete "HKCU\\Software\\QorUtilTests\\d" --tree)

# One short line for odd input: a long argument, a number with blanks; a damaged registry by its text.
string(REPEAT "x" 20000 long) # a Windows command line holds at most 32767 characters
qor(2 "^qor: 'HKCU.x+\\.\\.\\.': a key name longer" reg query "HKCU\\${long}")
string(LENGTH "${err}" length)
if(length GREATER 300)
  message(FATAL_ERROR "a long argument made a long error line")
endif()
qor(2 "^qor: ' 1' is not a REG_DWORD number" reg add ${root} --value n --type REG_DWORD --data " 1")
if(NOT EMULATOR)
  file(WRITE ${WORKDIR}/damaged/registry.db "")
  set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/damaged)
  qor(1 "0xC00703F1 \\(The configuration registry database is corrupt\\)" reg query "HKCU\\Software")
  set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/imported)
  qor(0 "" reg export HKCU root.reg) # a root key's export imports back
  qor(0 "" reg import root.reg)
endif()

qor(0 "" reg delete ${root} --tree)
message(STATUS "exported, imported and refused as expected:\n${before}")
