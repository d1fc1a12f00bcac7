# zolt.dll: the plugin for the real host. Plain export names come from the .def file; the C and
# C++ runtimes are linked in, so the DLL needs nothing but system DLLs.
# The export list for this machine type: on 64-bit Windows nothing is decorated, so the list
# goes without its stdcall aliases.
function(zolt_export_list def out)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    get_filename_component(name ${def} NAME_WE)
    file(READ ${def} def_text)
    string(REGEX REPLACE "=[A-Za-z_]+@[0-9]+" "" def_text "${def_text}")
    set(def64 ${CMAKE_BINARY_DIR}/${name}64.def)
    file(WRITE ${def64} "${def_text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    set(${out} ${def64} PARENT_SCOPE)
  else()
    set(${out} ${def} PARENT_SCOPE)
  endif()
endfunction()
zolt_export_list(${CMAKE_SOURCE_DIR}/dist/zolt.def ZOLT_DEF)
set(ZOLT_FAULTPOINT ${CMAKE_SOURCE_DIR}/src/platform/win32/module/faultpoint.cpp)
# The options of this library live in the registry.
set(ZOLT_REGISTRY ${CMAKE_SOURCE_DIR}/src/platform/win32/module/registry.cpp)
add_library(zolt SHARED ${ZOLT_DEF} ${ZOLT_FAULTPOINT} ${ZOLT_REGISTRY})
# zolt-faults.dll: the same library whose commands can be made to throw (tests only, never shipped).
add_library(zolt-faults SHARED ${ZOLT_DEF} ${ZOLT_FAULTPOINT} ${ZOLT_REGISTRY})
target_compile_definitions(zolt-faults PRIVATE ZOLT_TEST_FAULTS)
foreach(dll zolt zolt-faults)
  target_link_libraries(${dll} PRIVATE zoltcore advapi32 user32)
  target_compile_options(${dll} PRIVATE ${ZOLT_WARNINGS} ${ZOLT_CORE_WARNINGS})
  set_target_properties(${dll} PROPERTIES PREFIX "" LINKER_LANGUAGE CXX)
  target_link_options(${dll} PRIVATE -static -static-libgcc -static-libstdc++)
endforeach()

# A package users install: target's DLL as zolt.dll without its debug sections, with the
# language and help files and INSTALL.txt (CR LF, version filled in from install_in), as
# zolt-<version>-<suffix>.zip made by the target dist_target. The DLL as linked, debug information
# and all, stays beside the zip for reading crash addresses.
function(zolt_package dist_target dll suffix install_in)
  set(name zolt-${PROJECT_VERSION}-${suffix})
  set(zip ${CMAKE_BINARY_DIR}/${name}.zip)
  set(install ${CMAKE_BINARY_DIR}/${name}-INSTALL.txt)
  configure_file(${install_in} ${install} @ONLY NEWLINE_STYLE CRLF)
  add_custom_command(OUTPUT ${zip} ${CMAKE_BINARY_DIR}/${name}-unstripped.dll
    COMMAND ${CMAKE_COMMAND} -E rm -rf package-${suffix}
    COMMAND ${CMAKE_COMMAND} -E make_directory package-${suffix}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${dll}> ${name}-unstripped.dll
    COMMAND ${CMAKE_STRIP} --strip-debug -o package-${suffix}/zolt.dll $<TARGET_FILE:${dll}>
    COMMAND ${CMAKE_COMMAND} -E copy ${ARGN} package-${suffix}/
    COMMAND ${CMAKE_COMMAND} -E copy ${install} package-${suffix}/INSTALL.txt
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E chdir package-${suffix} ${CMAKE_COMMAND} -E tar cf ${zip}
            --format=zip zolt.dll zoltEng.lng zoltRus.lng zoltEng.hlf zoltRus.hlf INSTALL.txt
    DEPENDS ${dll} ${ARGN} ${install}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  add_custom_target(${dist_target} DEPENDS ${zip})
endfunction()

# A test or benchmark program for Windows: our host headers, strict warnings, runtimes linked in.
function(zolt_windows_program target)
  add_executable(${target} ${ARGN})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/hosts ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${ZOLT_HOST_WARNINGS})
  target_compile_definitions(${target} PRIVATE ZOLT_VERSION="${PROJECT_VERSION}")
  target_link_libraries(${target} PRIVATE advapi32 user32)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

zolt_package(dist zolt far1-x86 ${CMAKE_SOURCE_DIR}/dist/INSTALL.txt
  ${CMAKE_SOURCE_DIR}/dist/zoltEng.lng ${CMAKE_SOURCE_DIR}/dist/zoltRus.lng
  ${CMAKE_SOURCE_DIR}/dist/zoltEng.hlf ${CMAKE_SOURCE_DIR}/dist/zoltRus.hlf)

# zolt-wintest.exe: loads zolt.dll like the host does and runs scripted scenarios on real
# directories, the registry and the keyboard layout (tests/wine runs it under Wine).
file(GLOB ZOLT_WINTEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/hosts/wintest/*.cpp)
zolt_windows_program(zolt-wintest ${ZOLT_WINTEST_SOURCES} ${CMAKE_SOURCE_DIR}/hosts/common/wildcard.cpp
               ${CMAKE_SOURCE_DIR}/hosts/common/editbuffer.cpp)

# winbench.exe: what make bench times under Wine (a walk reading every source, the DLL's build
# and browse through a bare host, the table's growth).
zolt_windows_program(winbench ${CMAKE_SOURCE_DIR}/bench/winbench.cpp ${ZOLT_REGISTRY}
                     ${CMAKE_SOURCE_DIR}/hosts/common/wildcard.cpp)
target_link_libraries(winbench PRIVATE zoltcore psapi)

# The plugin for the current host generation and its test host.
include(cmake/far3.cmake OPTIONAL)
include(cmake/wintest3.cmake OPTIONAL)
