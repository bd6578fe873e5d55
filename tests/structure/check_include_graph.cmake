# Fails when a source file includes a folder its own folder must not depend
# on, so that the direction of the arrows in ARCHITECTURE.md stays true.
# Run as: cmake -DSOURCE_DIR=<top> -P check_include_graph.cmake
cmake_minimum_required(VERSION 3.20)

# folder -> the folders it must never include
set(forbidden_base     "cli;spindisk;disk;format;sim;signal;image;loader;fileio;program;web")
set(forbidden_fileio   "cli;spindisk;disk;format;sim;signal;image;loader;program;web")
set(forbidden_image    "cli;spindisk;disk;format;sim;signal;fileio;program;web")
set(forbidden_loader   "cli;spindisk;disk;format;sim;signal;image;fileio;program;web")
set(forbidden_signal   "cli;spindisk;disk;format;sim;loader;fileio;program;web")
set(forbidden_format   "cli;spindisk;disk;sim;loader;program;web")
set(forbidden_sim      "cli;spindisk;disk;format;loader;fileio;program;web")
set(forbidden_program  "cli;spindisk;disk;format;sim;signal;image;loader;fileio;web")
set(forbidden_disk     "cli;spindisk;web")
set(forbidden_cli      "spindisk;disk;format;sim;web")

set(problems "")
foreach(folder base fileio image loader signal format sim program disk cli)
  file(GLOB sources "${SOURCE_DIR}/src/${folder}/*.h" "${SOURCE_DIR}/src/${folder}/*.cc")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
      if(target IN_LIST forbidden_${folder})
        file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
        string(APPEND problems "  ${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "includes against the direction of the dependencies:\n${problems}")
endif()
