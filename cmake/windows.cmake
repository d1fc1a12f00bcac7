# zolt.dll: the plugin for the real host. Plain export names come from the .def file; the C and
# C++ runtimes are linked in, so the DLL needs nothing but system DLLs.
add_library(zolt SHARED ${CMAKE_SOURCE_DIR}/dist/zolt.def)
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
