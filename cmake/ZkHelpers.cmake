# Shared compile settings and the helpers that define layers, tests and benchmarks.

add_library(zk_project_options INTERFACE)
target_compile_features(zk_project_options INTERFACE cxx_std_20)
target_compile_options(zk_project_options INTERFACE
  -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
  $<$<BOOL:${ZK_WERROR}>:-Werror>
  $<$<BOOL:${ZK_SANITIZE}>:-fsanitize=address,undefined -fno-omit-frame-pointer>
  # Fuzz builds instrument every layer, not only the target's own file.
  $<$<BOOL:${ZK_FUZZ}>:-fsanitize=fuzzer-no-link,address,undefined>)
target_link_options(zk_project_options INTERFACE
  $<$<BOOL:${ZK_SANITIZE}>:-fsanitize=address,undefined>
  $<$<BOOL:${ZK_FUZZ}>:-fsanitize=address,undefined>)
target_compile_definitions(zk_project_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_DISABLE_DEPRECATED_UP_TO=0x060400)

# zk_add_layer(<name> [DEPS <targets>...])
# Builds every .cpp/.h of the current folder into the static library zk_<name>.
# Sources are globbed so that a new class only needs its files.
function(zk_add_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  # main.cpp of a folder belongs to its program, not to the layer library.
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    set(empty "${CMAKE_CURRENT_BINARY_DIR}/zk_${name}_empty.cpp")
    file(WRITE "${empty}" "// layer ${name} has no sources yet\n")
    set(sources "${empty}")
  endif()
  add_library(zk_${name} STATIC ${sources})
  target_include_directories(zk_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(zk_${name} PUBLIC ${ARG_DEPS} PRIVATE zk_project_options)
endfunction()

# zk_add_layer_tests(<layer> [LIBS <targets>...])
# Every tests/<layer>/tst_*.cpp becomes one QTest program linked to zk_<layer>.
# Other .cpp files of the folder form a small helper library shared by those programs.
function(zk_add_layer_tests layer)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  file(GLOB helpers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  list(FILTER helpers EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
  set(libs zk_${layer} zk_testsupport ${ARG_LIBS})
  if(helpers)
    add_library(zk_${layer}_testutil STATIC ${helpers})
    target_include_directories(zk_${layer}_testutil PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
    target_link_libraries(zk_${layer}_testutil PUBLIC ${libs} PRIVATE zk_project_options)
    set(libs zk_${layer}_testutil)
  endif()
  foreach(src IN LISTS tests)
    get_filename_component(name "${src}" NAME_WE)
    set(target "${layer}_${name}")
    add_executable(${target} "${src}")
    target_link_libraries(${target} PRIVATE ${libs} zk_project_options)
    set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZK_PROGRAM_FOLDER=${ZK_PROGRAM_FOLDER};ZK_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      TIMEOUT 600)
  endforeach()
endfunction()

# zk_add_benchmarks(<layer>): every bench/bench_<layer>_*.cpp becomes a program in
# build/bench linked to zk_<layer>. Benchmarks print their figures and a ratio
# against a baseline measured in the same run; nothing fails on a time.
function(zk_add_benchmarks layer)
  file(GLOB benches CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/bench_${layer}_*.cpp")
  foreach(src IN LISTS benches)
    get_filename_component(name "${src}" NAME_WE)
    add_executable(${name} "${src}")
    target_link_libraries(${name} PRIVATE zk_${layer} zk_testsupport zk_project_options)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
  endforeach()
endfunction()

# zk_add_fuzzers(<layer>): every fuzz/fuzz_<layer>_*.cpp defines LLVMFuzzerTestOneInput.
# With ZK_FUZZ (clang) it becomes a libFuzzer program; otherwise it is linked to a
# small driver and run by ctest over its seed corpus fuzz/corpus/<name>/, so that
# every finding kept in the corpus stays a regression test.
function(zk_add_fuzzers layer)
  file(GLOB fuzzers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${layer}_*.cpp")
  foreach(src IN LISTS fuzzers)
    get_filename_component(name "${src}" NAME_WE)
    if(ZK_FUZZ)
      add_executable(${name} "${src}")
      target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    else()
      add_executable(${name} "${src}" "${CMAKE_CURRENT_SOURCE_DIR}/driver/StandaloneFuzzMain.cpp")
      add_test(NAME ${name}_corpus COMMAND ${name} "${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name}")
    endif()
    target_link_libraries(${name} PRIVATE zk_${layer} zk_project_options)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
  endforeach()
endfunction()

# zk_ship_files(<name> [SUBFOLDER <folder>] FILES <files>...)
# Copies files of the source tree (templates, help pages, report definitions, pictures)
# into the program folder, or a sub-folder of it, whenever they change.
function(zk_ship_files name)
  cmake_parse_arguments(ARG "" "SUBFOLDER" "FILES" ${ARGN})
  set(target_dir "${ZK_PROGRAM_FOLDER}")
  if(ARG_SUBFOLDER)
    set(target_dir "${ZK_PROGRAM_FOLDER}/${ARG_SUBFOLDER}")
  endif()
  set(outputs)
  foreach(file IN LISTS ARG_FILES)
    get_filename_component(source "${file}" ABSOLUTE)
    get_filename_component(file_name "${file}" NAME)
    set(output "${target_dir}/${file_name}")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${target_dir}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${output}"
      DEPENDS "${source}" VERBATIM)
    list(APPEND outputs "${output}")
  endforeach()
  add_custom_target(zk_ship_${name} ALL DEPENDS ${outputs})
endfunction()
