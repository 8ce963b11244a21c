# Registry files through the qor tool, run as a user runs it: an exported tree imported into an empty
# registry (POSIX: a fresh registry folder; Wine: the tree deleted first) queries the same; an import
# that fails on its last block changes nothing and names the line; a malformed file is refused whole.
#   -DTOOL=<qor program> [-DEMULATOR=<wrapper>] -DWORKDIR=<empty folder for files and registries>
# Files are passed by relative names, which a Windows program under Wine resolves like a native one.
set(root "HKCU\\Software\\QorUtilTests\\RegFiles")
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/source)

include(${CMAKE_CURRENT_LIST_DIR}/qor_run.cmake)
set(QOR_RUN_DIRECTORY ${WORKDIR})

function(qor)
  qor_run(status out err ${ARGN})
  set(status ${status} PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(qor_ok)
  qor(${ARGN})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "qor ${ARGN}: exit ${status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# Both keys of the tree, as `qor reg query` shows them.
function(query_tree var)
  qor_ok(reg query ${root})
  set(text "${out}")
  qor_ok(reg query "${root}\\Inner key")
  set(${var} "${text}${out}" PARENT_SCOPE)
endfunction()

qor(reg delete ${root} --tree) # left over from an earlier run under Wine
qor_ok(reg add ${root} --value Text --data "quote \" and backslash \\ inside")
qor_ok(reg add ${root} --default --data "the default")
qor_ok(reg add ${root} --value Number --type REG_DWORD --data 4294967295)
qor_ok(reg add ${root} --value Big --type REG_QWORD --data 0x123456789)
qor_ok(reg add ${root} --value List --type REG_MULTI_SZ --data "one\\0two\\0three")
qor_ok(reg add ${root} --value Bytes --type REG_BINARY --data 00FF7F80000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F)
qor_ok(reg add ${root} --value Expand --type REG_EXPAND_SZ --data "%TEMP%\\x")
qor_ok(reg add "${root}\\Inner key" --value "name with = sign")
query_tree(before)
qor_ok(reg export ${root} tree.reg)
file(READ ${WORKDIR}/tree.reg exported)
if(NOT exported MATCHES "^REGEDIT4\r?\n\r?\n\\[HKEY_CURRENT_USER\\\\Software\\\\QorUtilTests\\\\RegFiles\\]")
  message(FATAL_ERROR "unexpected export:\n${exported}")
endif()

if(EMULATOR)
  qor_ok(reg delete ${root} --tree)
else()
  set(ENV{QOR_REGISTRY_DIR} ${WORKDIR}/imported)
endif()
qor_ok(reg import tree.reg)
query_tree(after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the imported tree differs\n--- exported\n${before}--- imported\n${after}")
endif()

# The last block cannot be applied (a key name beyond 255 characters): the earlier blocks are undone.
string(REPEAT "k" 300 longName)
file(WRITE ${WORKDIR}/partial.reg "Windows Registry Editor Version 5.00\n\n"
  "[HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles]\n\"Number\"=dword:00000001\n\"Added\"=\"x\"\n\n"
  "[-HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles\\Inner key]\n\n"
  "[HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles\\${longName}]\n\"a\"=\"b\"\n")
qor(reg import partial.reg)
if(NOT status EQUAL 1 OR NOT err MATCHES "^qor: partial.reg:9: ")
  message(FATAL_ERROR "expected exit 1 and partial.reg:9\nexit ${status}\n${err}")
endif()
query_tree(undone)
if(NOT undone STREQUAL before)
  message(FATAL_ERROR "a failed import left changes\n--- before\n${before}--- after\n${undone}")
endif()

# A malformed line anywhere: nothing is applied, the line is named, status 2.
file(WRITE ${WORKDIR}/malformed.reg "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\QorUtilTests\\RegFiles]\n"
  "\"Number\"=dword:00000002\n\"Bad\"=dword:123456789\n")
qor(reg import malformed.reg)
if(NOT status EQUAL 2 OR NOT err MATCHES "^qor: malformed.reg:5: dword: takes 1 to 8 hexadecimal digits\n$")
  message(FATAL_ERROR "expected exit 2 and malformed.reg:5\nexit ${status}\n${err}")
endif()
query_tree(unchanged)
if(NOT unchanged STREQUAL before)
  message(FATAL_ERROR "a malformed file changed the registry")
endif()

qor_ok(reg delete ${root} --tree)
message(STATUS "exported, imported and refused as expected:\n${before}")
