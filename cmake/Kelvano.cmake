# Common flags and helpers shared by every folder of the project.

add_library(kelvano_options INTERFACE)
target_include_directories(kelvano_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(kelvano_options INTERFACE -Wall -Wextra)
# GCC 12 warns of overlapping copies in its own std::string concatenation (a known false
# positive of the i686 build).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(kelvano_options INTERFACE -Wno-restrict)
endif()

if(WIN32)
  # Windows 2000 / XP is the oldest target: newer functions are looked up at run time.
  target_compile_definitions(kelvano_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
  # Fully static: the program needs no DLL outside Windows itself.
  target_link_options(kelvano_options INTERFACE -static -static-libgcc -static-libstdc++)
  # What ships is downloaded onto every machine: size before speed, but for the few
  # loops that move every byte (kelvano_speed_over_size). Each function in a
  # section of its own, so that the linker leaves out what no program calls.
  target_compile_options(kelvano_options INTERFACE $<$<CONFIG:Release>:-Os> -ffunction-sections)
  target_link_options(kelvano_options INTERFACE -Wl,--gc-sections)
endif()

# kelvano_speed_over_size(FILES...): sources whose loops move every byte of a download
# or an archive keep the full optimisation in the shipped build.
function(kelvano_speed_over_size)
  if(WIN32)
    set_source_files_properties(${ARGN} DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTIES
                                COMPILE_OPTIONS $<$<CONFIG:Release>:-O3>)
  endif()
endfunction()

# kelvano_shipped(TARGET): a program that ships. It carries no symbols and no C++
# demangler (system/shipped): a smaller download, nothing a user needs.
function(kelvano_shipped target)
  if(WIN32)
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/system/shipped/no_demangler.cpp)
  endif()
endfunction()

if(KELVANO_FUZZ)
  # Coverage for libFuzzer in every library, not only in the fuzzers' own files.
  target_compile_options(kelvano_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(KELVANO_SANITIZE)
  target_compile_options(kelvano_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kelvano_options INTERFACE -fsanitize=address,undefined)
endif()

# kelvano_library(NAME [DEPS ...]), called from a layer folder: one library per folder.
# Portable sources are the folder's *.cpp; win32/*.cpp join them on Windows and
# posix/*.cpp elsewhere, so a new file needs no edit here.
function(kelvano_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(WIN32)
    file(GLOB platform CONFIGURE_DEPENDS ${folder}/win32/*.cpp)
  else()
    file(GLOB platform CONFIGURE_DEPENDS ${folder}/posix/*.cpp)
  endif()
  if(sources OR platform)
    add_library(${name} STATIC ${sources} ${platform})
    target_link_libraries(${name} PUBLIC kelvano_options ${ARG_DEPS})
  else()
    # Interfaces only, so far.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE kelvano_options ${ARG_DEPS})
  endif()
endfunction()
