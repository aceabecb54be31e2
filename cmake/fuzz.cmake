# SPDX-License-Identifier: GPL-3.0-or-later
# libFuzzer targets; configure with clang: CXX=clang++ -DHELIXPLOT_FUZZ=ON.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "The fuzz targets need clang (CXX=clang++)")
endif()

set(HELIXPLOT_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(helixplot_core PRIVATE ${HELIXPLOT_FUZZ_FLAGS})

file(GLOB HELIXPLOT_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*Fuzz.cpp)
foreach(source ${HELIXPLOT_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_compile_options(${name} PRIVATE ${HELIXPLOT_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE helixplot_core)
endforeach()
