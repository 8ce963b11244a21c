# qor zip run as a user runs it: a folder archived, listed, tested, extracted and compared byte for
# byte; the archive tested and extracted alike by Info-ZIP unzip, Python's zipfile and 7-Zip; relative
# names from another current folder; a damaged member; failures with one clear line.
#   -DTOOL=<qor program> [-DEMULATOR=<wrapper>] -DPYTHON=<python3> -DFIXTURES=<zip fixtures> -DWORKDIR=<folder>
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/sub)
file(COPY ${FIXTURES}/source/ DESTINATION ${WORKDIR}/tree)
include(${CMAKE_CURRENT_LIST_DIR}/qor_run.cmake)
set(QOR_RUN_DIRECTORY ${WORKDIR})

function(expect_match text regex what)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${what}: does not match '${regex}':\n${text}")
  endif()
endfunction()

function(host_run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: exit ${status}\n${out}")
  endif()
endfunction()

# The same files with the same bytes below both folders.
function(expect_same_tree left right)
  file(GLOB_RECURSE expected RELATIVE ${left} ${left}/*)
  file(GLOB_RECURSE actual RELATIVE ${right} ${right}/*)
  if(NOT expected STREQUAL actual)
    message(FATAL_ERROR "${right} holds\n  ${actual}\nnot\n  ${expected}")
  endif()
  foreach(name ${expected})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${left}/${name} ${right}/${name} RESULT_VARIABLE differ)
    if(differ)
      message(FATAL_ERROR "${right}/${name} differs from ${left}/${name}")
    endif()
  endforeach()
endfunction()

expect_run(0 zip create tree.zip tree)
expect_match("${out}" "^added 5 files to tree.zip\n$" "create")
expect_run(0 zip list tree.zip)
expect_match("${out}" "   18810  Defl:N        125    99%  [0-9-]+ [0-9:]+  64e10a60  tree/docs/readme.md\n" "list")
expect_match("${out}" "   88881  +[0-9]+  +[0-9]+%  +5 files\n$" "list totals")
expect_run(0 zip info tree.zip)
expect_match("${out}" "^Files: 5 Uncompressed Size: 88881 Compression: [0-9]+%\n$" "info")
expect_run(0 zip test tree.zip)
expect_match("${out}" "testing: tree/hello.txt +OK\n.*No errors detected" "test")
expect_run(0 zip extract tree.zip -d out)
expect_same_tree(${WORKDIR}/tree ${WORKDIR}/out/tree)

# What qor writes, the other tools test and extract to the same bytes.
host_run(unzip -t tree.zip)
host_run(${PYTHON} -m zipfile -t tree.zip)
host_run(7z t tree.zip)
host_run(unzip -qq tree.zip -d by-unzip)
host_run(${PYTHON} -m zipfile -e tree.zip by-python)
host_run(7z x -bd -oby-7z tree.zip)
foreach(tool unzip python 7z)
  expect_same_tree(${WORKDIR}/tree ${WORKDIR}/by-${tool}/tree)
endforeach()

# Relative names work from another current folder, though extraction changes it while it works.
set(QOR_RUN_DIRECTORY ${WORKDIR}/sub)
expect_run(0 zip extract ../tree.zip -d ../picked -j "tree/docs/*")
file(GLOB picked RELATIVE ${WORKDIR}/picked ${WORKDIR}/picked/*)
if(NOT picked STREQUAL "notes.txt;readme.md")
  message(FATAL_ERROR "extract -j 'tree/docs/*' gave: ${picked}")
endif()
expect_run(0 zip create ../flat.zip -j "../tree/*.txt")
expect_run(0 zip list ../flat.zip)
expect_match("${out}" "  empty.txt\n" "create -j")
expect_match("${out}" "  hello.txt\n.*2 files\n$" "create -j")

# A member whose data no longer match its CRC: test fails, extract writes it and fails.
set(QOR_RUN_DIRECTORY ${WORKDIR})
set(damage [=[
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[data.index(b'Hello')] ^= 1
open('damaged.zip', 'wb').write(data)
]=])
host_run(${PYTHON} -c "${damage}" ${FIXTURES}/archives/infozip-stored.zip)
expect_run(1 zip test damaged.zip)
expect_match("${out}" "testing: hello.txt +CRC32 was supposed to be" "test of a damaged member")
expect_match("${err}" "^qor: 'damaged.zip': 1 of 4 members failed the test\n$" "test failure")
expect_run(1 zip extract damaged.zip -d damaged)
expect_match("${err}" "^qor zip: 'hello.txt': CRC32 was supposed to be [0-9a-f]+, was [0-9a-f]+\nqor: '[^']*damaged.zip': 1 of 4 members could not be extracted\n$" "extract failure")
if(NOT EXISTS ${WORKDIR}/damaged/data.bin)
  message(FATAL_ERROR "the members after a damaged one were not extracted")
endif()

# A name beyond ASCII (in the ANSI code page on Windows) is packed from a folder and extracted again.
file(WRITE ${WORKDIR}/accents/café.txt "crème")
expect_run(0 zip create accents.zip accents)
expect_run(0 zip extract accents.zip -d accents-out)
if(NOT EXISTS ${WORKDIR}/accents-out/accents/café.txt)
  message(FATAL_ERROR "café.txt did not come back from accents.zip")
endif()

# A member whose data expand past the size the directory declares: written no further, and reported.
set(liar [=[
import struct, zipfile
with zipfile.ZipFile('liar.zip', 'w', zipfile.ZIP_DEFLATED) as archive:
    archive.writestr('big.txt', b'A' * 100000)
    archive.writestr('ok.txt', b'fine')
data = bytearray(open('liar.zip', 'rb').read())
struct.pack_into('<I', data, data.index(b'PK\x01\x02') + 24, 10)
open('liar.zip', 'wb').write(data)
]=])
host_run(${PYTHON} -c "${liar}")
expect_run(1 zip test liar.zip)
expect_match("${out}" "testing: big.txt +100000 bytes where the archive declares 10\n.*ok.txt +OK" "test of an expanding member")
expect_run(1 zip extract liar.zip -d liar)
expect_match("${err}" "^qor zip: 'big.txt': the data expand past the 10 bytes that the archive declares\n" "extract of an expanding member")
file(SIZE ${WORKDIR}/liar/big.txt written)
if(written GREATER 10 OR NOT EXISTS ${WORKDIR}/liar/ok.txt)
  message(FATAL_ERROR "an expanding member was written past its size (${written} bytes), or stopped the others")
endif()

# Failures: one line on stderr, status 1 for what cannot be done, 2 for bad input; nothing lost.
file(WRITE ${WORKDIR}/keep.zip "not replaced")
file(MAKE_DIRECTORY ${WORKDIR}/empty)
host_run(${PYTHON} -c "open('huge.bin', 'wb').truncate(1 << 32)") # sparse: takes no room
host_run(${PYTHON} -c "open('huge.zip', 'wb').truncate(1 << 31)")
set(failures
  "1|^qor: 'keep.zip': nothing to add|zip|create|keep.zip|empty"
  "1|^qor: 'huge.bin': larger than a ZIP archive without ZIP64 holds|zip|create|keep.zip|tree|huge.bin"
  "1|^qor: 'missing.zip': File open failure|zip|list|missing.zip"
  "1|^qor: '[^']*huge.zip': larger than the 2 GB the archive engine reads|zip|extract|huge.zip"
  "1|no member matches|zip|extract|tree.zip|-d|none|nothing*"
  "1|^qor: 'no-such-file': no such file|zip|create|keep.zip|tree/hello.txt|no-such-file"
  "2|^qor: .*archive is required|zip|test")
foreach(failure ${failures})
  string(REPLACE "|" ";" failure "${failure}")
  list(POP_FRONT failure status pattern)
  expect_run(${status} ${failure})
  expect_match("${err}" "${pattern}" "${failure}")
endforeach()
if(NOT EMULATOR) # a device, whose data never end, is skipped; more members than the format counts are refused
  expect_run(1 zip create keep.zip /dev/zero)
  expect_match("${err}" "^qor zip: skipping '/dev/zero': not a regular file\nqor: 'keep.zip': nothing to add\n$" "device")
  set(many [=[
import os
os.mkdir('many')
for i in range(65536):
    open('many/%05d' % i, 'w').close()
]=])
  host_run(${PYTHON} -c "${many}")
  expect_run(1 zip create keep.zip many)
  expect_match("${err}" "^qor: 'keep.zip': 65536 files are more than a ZIP archive without ZIP64 holds" "member count")
  file(REMOVE_RECURSE ${WORKDIR}/many)
endif()
file(READ ${WORKDIR}/keep.zip kept)
file(GLOB partials ${WORKDIR}/keep.zip*.qor-partial)
if(NOT kept STREQUAL "not replaced" OR partials)
  message(FATAL_ERROR "a failed create touched the archive or left its partial one: ${partials}")
endif()

# Two runs making the same archive at once write apart, and the archive left is whole.
set(bulk [=[
import random
random.seed(7)
open('bulk.bin', 'wb').write(random.randbytes(1 << 22))
]=])
host_run(${PYTHON} -c "${bulk}")
set(twice [=[
import subprocess, sys
runs = [subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL) for _ in range(2)]
sys.exit(sum(run.wait() != 0 for run in runs))
]=])
execute_process(COMMAND ${PYTHON} -c "${twice}" ${EMULATOR} ${TOOL} zip create same.zip bulk.bin tree
                WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE failed ERROR_VARIABLE err)
if(NOT failed EQUAL 0)
  message(FATAL_ERROR "two creates at once: ${failed} failed\n${err}")
endif()
expect_run(0 zip test same.zip)
