# StickShift.dll: a drop-in plug-in that depends on system DLLs alone and exports nothing.

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0602)

# Import library that binds XInputGetState by ordinal 2 of xinput1_4.dll.
set(XINPUT_IMPORT_LIB ${CMAKE_BINARY_DIR}/libxinput1_4_ordinal.a)
add_custom_command(
    OUTPUT ${XINPUT_IMPORT_LIB}
    COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_SOURCE_DIR}/cmake/xinput1_4.def -l ${XINPUT_IMPORT_LIB}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/xinput1_4.def
    COMMENT "Making the xinput1_4.dll import library (by ordinal)")
add_custom_target(XInputImportLib DEPENDS ${XINPUT_IMPORT_LIB})

# No C++ runtime DLLs beside the module: the GCC runtimes and winpthread go in statically.
set(STATIC_RUNTIME_LINK_OPTIONS -static -static-libgcc -static-libstdc++)

add_library(StickShift SHARED
    src/entry/ModuleEntry.cpp
    src/watcher/StickWatcher.cpp
    src/settings/LoadSettings.cpp
    src/shared/SharedValues.cpp)
set_target_properties(StickShift PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".dll.a")
add_dependencies(StickShift XInputImportLib)
target_link_libraries(StickShift PRIVATE StickShiftLogic ${XINPUT_IMPORT_LIB})
# Without this, MinGW's linker exports every global when nothing is marked for export.
target_link_options(StickShift PRIVATE ${STATIC_RUNTIME_LINK_OPTIONS} -Wl,--exclude-all-symbols
    $<$<CONFIG:MinSizeRel,Release>:-s>)
