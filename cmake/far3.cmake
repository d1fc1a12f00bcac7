# far3/zolt.dll: the plugin for the current host generation: the same core behind an adapter that
# speaks the host's Unicode interface (src/far3). Its options live in the host's settings
# service, so it takes src/far3/store.cpp instead of the registry store. far3/ is a plugin
# folder as the host wants it: the DLL with its language and help files in UTF-8 with a BOM,
# made from the same files as the older library's.
file(GLOB ZOLT_FAR3_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/far3/*.cpp)
zolt_export_list(${CMAKE_SOURCE_DIR}/dist/zolt3.def ZOLT3_DEF)
add_library(zolt3 SHARED ${ZOLT3_DEF} ${ZOLT_FAR3_SOURCES} ${ZOLT_FAULTPOINT})
target_link_libraries(zolt3 PRIVATE zoltcore advapi32 user32)
target_compile_options(zolt3 PRIVATE ${ZOLT_WARNINGS} ${ZOLT_CORE_WARNINGS})
target_compile_definitions(zolt3 PRIVATE ZOLT_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  ZOLT_VERSION_MINOR=${PROJECT_VERSION_MINOR} ZOLT_VERSION_PATCH=${PROJECT_VERSION_PATCH})
set_target_properties(zolt3 PROPERTIES PREFIX "" OUTPUT_NAME zolt LINKER_LANGUAGE CXX
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/far3)
target_link_options(zolt3 PRIVATE -static -static-libgcc -static-libstdc++)

# The language and help files: code page 866 to UTF-8, a BOM in front.
set(ZOLT3_TEXT_FILES)
foreach(name zoltEng.lng zoltRus.lng zoltEng.hlf zoltRus.hlf)
  set(out ${CMAKE_BINARY_DIR}/far3/${name})
  add_custom_command(OUTPUT ${out}
    COMMAND sh -c "printf '\\357\\273\\277' > \"$1\" && iconv -f CP866 -t UTF-8 \"$2\" >> \"$1\"" sh
            ${out} ${CMAKE_SOURCE_DIR}/dist/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/dist/${name} VERBATIM)
  list(APPEND ZOLT3_TEXT_FILES ${out})
endforeach()
add_custom_target(zolt3-texts ALL DEPENDS ${ZOLT3_TEXT_FILES})

# The package: zolt-<version>-far3-x64.zip or -far3-x86.zip.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZOLT3_ARCH x64)
else()
  set(ZOLT3_ARCH x86)
endif()
zolt_package(dist3 zolt3 far3-${ZOLT3_ARCH} ${CMAKE_SOURCE_DIR}/dist/INSTALL3.txt ${ZOLT3_TEXT_FILES})
