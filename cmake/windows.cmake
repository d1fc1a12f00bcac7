# zolt.dll: the plugin for the real host. Plain export names come from the .def file; the C and
# C++ runtimes are linked in, so the DLL needs nothing but system DLLs.
# On 64-bit Windows nothing is decorated: the same export list without the stdcall aliases.
set(ZOLT_DEF ${CMAKE_SOURCE_DIR}/dist/zolt.def)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  file(READ ${ZOLT_DEF} def_text)
  string(REGEX REPLACE "=[A-Za-z_]+@[0-9]+" "" def_text "${def_text}")
  set(ZOLT_DEF ${CMAKE_BINARY_DIR}/zolt64.def)
  file(WRITE ${ZOLT_DEF} "${def_text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/zolt.def)
endif()
add_library(zolt SHARED ${ZOLT_DEF})
target_link_libraries(zolt PRIVATE zoltcore advapi32 user32)
set_target_properties(zolt PROPERTIES PREFIX "" OUTPUT_NAME zolt LINKER_LANGUAGE CXX)
target_link_options(zolt PRIVATE -static -static-libgcc -static-libstdc++)

# The package users install: the DLL with its language and help files.
set(ZOLT_DIST_FILES
  ${CMAKE_SOURCE_DIR}/dist/zoltEng.lng ${CMAKE_SOURCE_DIR}/dist/zoltRus.lng
  ${CMAKE_SOURCE_DIR}/dist/zoltEng.hlf ${CMAKE_SOURCE_DIR}/dist/zoltRus.hlf
  ${CMAKE_SOURCE_DIR}/dist/INSTALL.txt)
set(ZOLT_ZIP ${CMAKE_BINARY_DIR}/zolt-${PROJECT_VERSION}-win32.zip)
add_custom_command(OUTPUT ${ZOLT_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf package
  COMMAND ${CMAKE_COMMAND} -E make_directory package
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zolt> ${ZOLT_DIST_FILES} package/
  COMMAND ${CMAKE_COMMAND} -E chdir package ${CMAKE_COMMAND} -E tar cf ${ZOLT_ZIP} --format=zip
          zolt.dll zoltEng.lng zoltRus.lng zoltEng.hlf zoltRus.hlf INSTALL.txt
  DEPENDS zolt ${ZOLT_DIST_FILES}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
add_custom_target(dist DEPENDS ${ZOLT_ZIP})

# zolt-wintest.exe: loads zolt.dll like the host does and runs scripted scenarios on real
# directories, the registry and the keyboard layout (tests/wine runs it under Wine).
file(GLOB ZOLT_WINTEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/hosts/wintest/*.cpp)
add_executable(zolt-wintest ${ZOLT_WINTEST_SOURCES} ${CMAKE_SOURCE_DIR}/hosts/common/wildcard.cpp)
target_include_directories(zolt-wintest PRIVATE ${CMAKE_SOURCE_DIR}/hosts ${CMAKE_SOURCE_DIR}/src)
target_compile_options(zolt-wintest PRIVATE ${ZOLT_WARNINGS})
target_link_libraries(zolt-wintest PRIVATE advapi32 user32)
target_link_options(zolt-wintest PRIVATE -static -static-libgcc -static-libstdc++)

# winbench.exe: what make bench times under Wine (a walk reading every source, the DLL's build
# and browse through a bare host, the table's growth).
add_executable(winbench ${CMAKE_SOURCE_DIR}/bench/winbench.cpp ${CMAKE_SOURCE_DIR}/hosts/common/wildcard.cpp)
target_include_directories(winbench PRIVATE ${CMAKE_SOURCE_DIR}/hosts ${CMAKE_SOURCE_DIR}/src)
target_compile_options(winbench PRIVATE ${ZOLT_WARNINGS})
target_link_libraries(winbench PRIVATE zoltcore advapi32 user32)
target_link_options(winbench PRIVATE -static -static-libgcc -static-libstdc++)
