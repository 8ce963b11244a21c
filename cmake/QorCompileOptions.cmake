# Warnings, visibility and sanitizers shared by every target of the project.
add_library(qor_compile_options INTERFACE)
target_compile_options(qor_compile_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wformat=2 -Wno-format-nonliteral)
if(QOR_SANITIZE)
  target_compile_options(qor_compile_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(qor_compile_options INTERFACE -fsanitize=address,undefined)
endif()
if(QOR_BUILD_FUZZ)
  # Coverage feedback for libFuzzer from the library too; the targets link the fuzzer's main.
  target_compile_options(qor_compile_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(WIN32)
  # Programs and the DLL carry their runtime, so they run under Wine without extra DLLs.
  target_link_options(qor_compile_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# The build tree's copies of header-only host packages that a cross build may use.
function(qor_host_header_dir out_var)
  set(dir ${CMAKE_BINARY_DIR}/host-headers)
  if(NOT EXISTS ${dir}/CLI AND EXISTS /usr/include/CLI)
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK /usr/include/CLI ${dir}/CLI SYMBOLIC)
  endif()
  set(${out_var} ${dir} PARENT_SCOPE)
endfunction()
