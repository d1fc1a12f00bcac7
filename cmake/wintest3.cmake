# zolt-wintest3.exe: loads far3/zolt.dll by the rules of the current host generation and runs the
# Windows test host's scenarios against it (tests/wine runs it under Wine).
add_executable(zolt-wintest3
  ${CMAKE_SOURCE_DIR}/hosts/wintest3/main3.cpp ${CMAKE_SOURCE_DIR}/hosts/wintest3/loader3.cpp
  ${CMAKE_SOURCE_DIR}/hosts/wintest3/services3.cpp ${CMAKE_SOURCE_DIR}/hosts/wintest3/dialog3.cpp
  ${CMAKE_SOURCE_DIR}/hosts/wintest/scenarios.cpp ${CMAKE_SOURCE_DIR}/hosts/wintest/script.cpp
  ${CMAKE_SOURCE_DIR}/hosts/wintest/files.cpp ${CMAKE_SOURCE_DIR}/hosts/common/wildcard.cpp
  ${CMAKE_SOURCE_DIR}/hosts/common/lng.cpp
  ${CMAKE_SOURCE_DIR}/src/base/text.cpp)
target_include_directories(zolt-wintest3 PRIVATE ${CMAKE_SOURCE_DIR}/hosts ${CMAKE_SOURCE_DIR}/src)
target_compile_options(zolt-wintest3 PRIVATE ${ZOLT_HOST_WARNINGS})
target_compile_definitions(zolt-wintest3 PRIVATE ZOLT_VERSION="${PROJECT_VERSION}")
target_link_libraries(zolt-wintest3 PRIVATE advapi32 user32)
target_link_options(zolt-wintest3 PRIVATE -static -static-libgcc -static-libstdc++)
