# The module in its two forms, StickShift.dll and the no-loader form, with the libraries its
# Windows tools share. Each depends on system DLLs alone.

enable_language(RC)
# 64 or 32: the same sources build the module for 64-bit games and for 32-bit ones.
math(EXPR WINDOWS_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0602)
# Each function and datum in a section of its own, so that the module's link drops what it
# does not call, from our code and from the static runtimes alike; and no compiler banner in
# each object's read-only data.
set(SECTION_OPTIONS -ffunction-sections -fdata-sections -fno-ident)
add_compile_options(${SECTION_OPTIONS})
# Everything the 64-bit module refers to lies within it, so no table of far pointers is needed.
# On 32-bit Windows, unwind tables serve only C++ exceptions, which the module never throws.
if(WINDOWS_BITS EQUAL 64)
    set(MODULE_SIZE_OPTIONS -mcmodel=small -fno-exceptions)
else()
    set(MODULE_SIZE_OPTIONS -fno-asynchronous-unwind-tables -fno-exceptions)
endif()
# The logic library was made before this file was read: it takes the same options.
target_compile_options(StickShiftLogic PRIVATE ${SECTION_OPTIONS} ${MODULE_SIZE_OPTIONS})

# No C++ runtime DLLs beside our programs: the GCC runtimes and winpthread go in statically.
set(STATIC_RUNTIME_LINK_OPTIONS -static -static-libgcc -static-libstdc++)

# Gives a program a version resource, so that Windows' file properties say what it is.
function(add_version_resource target file_name description file_type)
    set(VERSION_FILE_NAME ${file_name})
    set(VERSION_DESCRIPTION "${description} (${WINDOWS_BITS}-bit build)")
    set(VERSION_FILE_TYPE ${file_type})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in
        ${CMAKE_CURRENT_BINARY_DIR}/${target}VersionInfo.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}VersionInfo.rc)
endfunction()

# Gives a program its manifest: it runs as the player who starts it (asInvoker, so that a 32-bit
# build's writes into a game's folder are never redirected elsewhere), and says its DPI
# awareness, so that Windows does not stretch its window.
function(add_program_manifest target name)
    set(MANIFEST_NAME ${name})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/Program.manifest.in
        ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest @ONLY)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}Manifest.rc
        "1 24 \"${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest\"\n")
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}Manifest.rc)
endfunction()

# Import library that binds XInputGetState by ordinal 2 of xinput1_4.dll.
if(WINDOWS_BITS EQUAL 32)
    set(XINPUT_GET_STATE_SYMBOL XInputGetState@8)
else()
    set(XINPUT_GET_STATE_SYMBOL XInputGetState)
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/xinput1_4.def.in ${CMAKE_BINARY_DIR}/xinput1_4.def @ONLY)
set(XINPUT_IMPORT_LIB ${CMAKE_BINARY_DIR}/libxinput1_4_ordinal.a)
add_custom_command(
    OUTPUT ${XINPUT_IMPORT_LIB}
    COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_BINARY_DIR}/xinput1_4.def -l ${XINPUT_IMPORT_LIB}
    DEPENDS ${CMAKE_BINARY_DIR}/xinput1_4.def
    COMMENT "Making the xinput1_4.dll import library (by ordinal)")
add_custom_target(XInputImportLib DEPENDS ${XINPUT_IMPORT_LIB})

# What the module and its Windows tools share: the settings file, the shared values, the record
# the copies in one process share, a StickShift file told by its version resource, the
# accessibility shortcuts, and Windows' own XInput library
# loaded from the system folder.
add_library(StickShiftCommon STATIC
    src/settings/LoadSettings.cpp
    src/shared/SharedValues.cpp
    src/watcher/DecisionNow.cpp
    src/shared/ProcessRecord.cpp
    src/shared/StickShiftFile.cpp
    src/shortcuts/SystemShortcuts.cpp
    src/noloader/SystemXInput.cpp)
target_compile_options(StickShiftCommon PRIVATE ${MODULE_SIZE_OPTIONS})
target_link_libraries(StickShiftCommon PUBLIC StickShiftLogic)

# The module itself, the same in both forms: its entry and its watcher.
add_library(StickShiftCore OBJECT
    src/entry/ModuleEntry.cpp
    src/watcher/StickWatcher.cpp)
target_compile_options(StickShiftCore PRIVATE ${MODULE_SIZE_OPTIONS})
target_link_libraries(StickShiftCore PRIVATE StickShiftLogic)

# Both forms link the GCC runtimes in and keep only what they call.
set(MODULE_LINK_OPTIONS ${STATIC_RUNTIME_LINK_OPTIONS} -Wl,--gc-sections
    $<$<CONFIG:MinSizeRel,Release>:-s>)

# The plug-in form, StickShift.dll: it exports nothing and reads the controller through
# xinput1_4.dll.
add_library(StickShift SHARED src/plugin/PluginForm.cpp)
add_version_resource(StickShift StickShift.dll "${PROJECT_DESCRIPTION}" VFT_DLL)
target_compile_options(StickShift PRIVATE ${MODULE_SIZE_OPTIONS})
set_target_properties(StickShift PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".dll.a")
add_dependencies(StickShift XInputImportLib)
target_link_libraries(StickShift PRIVATE StickShiftCore StickShiftCommon ${XINPUT_IMPORT_LIB})
# Without this, MinGW's linker exports every global when nothing is marked for export.
target_link_options(StickShift PRIVATE ${MODULE_LINK_OPTIONS} -Wl,--exclude-all-symbols)

# The no-loader form, named as the game's own XInput library (xinput1_4.dll, shipped under its
# other names too): it exports XInput's functions and passes each call on to Windows' own
# library, which it loads itself. It imports no XInput library.
file(READ ${PROJECT_SOURCE_DIR}/src/noloader/XInputExports.def.in NO_LOADER_EXPORTS)
if(WINDOWS_BITS EQUAL 64)
    string(REGEX REPLACE "(Pass[A-Za-z]+)@[0-9]+" "\\1" NO_LOADER_EXPORTS "${NO_LOADER_EXPORTS}")
endif()
file(WRITE ${CMAKE_BINARY_DIR}/XInputExports.def "${NO_LOADER_EXPORTS}")
add_library(StickShiftNoLoader SHARED
    src/noloader/NoLoaderForm.cpp
    src/noloader/XInputExports.cpp
    ${CMAKE_BINARY_DIR}/XInputExports.def)
add_version_resource(StickShiftNoLoader xinput1_4.dll
    "${PROJECT_DESCRIPTION}, no plug-in loader needed" VFT_DLL)
target_compile_options(StickShiftNoLoader PRIVATE ${MODULE_SIZE_OPTIONS})
set_target_properties(StickShiftNoLoader PROPERTIES
    OUTPUT_NAME xinput1_4 PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".dll.a"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/no-loader)
target_link_libraries(StickShiftNoLoader PRIVATE StickShiftCore StickShiftCommon)
target_link_options(StickShiftNoLoader PRIVATE ${MODULE_LINK_OPTIONS})
