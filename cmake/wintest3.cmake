# zolt-wintest3.exe: loads far3/zolt.dll by the rules of the current host generation and runs the
# Windows test host's scenarios against it (tests/wine runs it under Wine).
zolt_windows_program(zolt-wintest3
  ${CMAKE_SOURCE_DIR}/hosts/wintest3/main3.cpp ${CMAKE_SOURCE_DIR}/hosts/wintest3/loader3.cpp
  ${CMAKE_SOURCE_DIR}/hosts/wintest3/services3.cpp ${CMAKE_SOURCE_DIR}/hosts/wintest3/dialog3.cpp
  ${CMAKE_SOURCE_DIR}/hosts/wintest/scenarios.cpp ${CMAKE_SOURCE_DIR}/hosts/wintest/script.cpp
  ${CMAKE_SOURCE_DIR}/hosts/wintest/files.cpp ${CMAKE_SOURCE_DIR}/hosts/common/wildcard.cpp
  ${CMAKE_SOURCE_DIR}/hosts/common/lng.cpp
  ${CMAKE_SOURCE_DIR}/src/base/text.cpp)
