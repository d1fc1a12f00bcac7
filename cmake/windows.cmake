# zolt.dll: the plugin for the real host. Plain export names come from the .def file; the C and
# C++ runtimes are linked in, so the DLL needs nothing but system DLLs.
add_library(zolt SHARED ${CMAKE_SOURCE_DIR}/dist/zolt.def)
target_link_libraries(zolt PRIVATE zoltcore advapi32 user32)
set_target_properties(zolt PROPERTIES PREFIX "" OUTPUT_NAME zolt LINKER_LANGUAGE CXX)
target_link_options(zolt PRIVATE -static -static-libgcc -static-libstdc++)
