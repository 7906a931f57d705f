# The programs with windows: the shared Win32 window pieces, the resources and Mantello.exe.
enable_language(RC)

# System libraries that only a later window or action needs (the controls, the colour
# dialog, sounds, the picture decoder) are bound on their first call instead of at start: each such process
# would otherwise map them, and what they pull in, before its first window. A delay-import
# library is made from the toolchain's import library; libdelayimp resolves it at run time.
find_program(QM_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
find_program(QM_NM NAMES x86_64-w64-mingw32-nm nm REQUIRED)
function(qm_delay_import out_var name)
  find_library(QM_IMPORT_LIB_${name} NAMES ${name} REQUIRED)
  set(dir "${CMAKE_BINARY_DIR}/delayimp")
  set(def "${dir}/${name}.def")
  set(lib "${dir}/lib${name}_delay.a")
  if(NOT EXISTS "${lib}" OR "${QM_IMPORT_LIB_${name}}" IS_NEWER_THAN "${lib}")
    file(MAKE_DIRECTORY "${dir}")
    execute_process(COMMAND "${QM_NM}" -g "${QM_IMPORT_LIB_${name}}" OUTPUT_VARIABLE symbols
                    COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "__imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^__imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n" exports)
    file(WRITE "${def}" "LIBRARY ${name}.dll\nEXPORTS\n${exports}\n")
    execute_process(COMMAND "${QM_DLLTOOL}" -d "${def}" -D "${name}.dll" -y "${lib}"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(${out_var} "${lib}" PARENT_SCOPE)
endfunction()
qm_delay_import(QM_DELAY_COMCTL32 comctl32)
qm_delay_import(QM_DELAY_COMDLG32 comdlg32)
qm_delay_import(QM_DELAY_GDIPLUS gdiplus)
qm_delay_import(QM_DELAY_WINMM winmm)

# The clipboard, sound, shell, dialog and desktop services live in qm_platform (its glob takes
# every platform/*_win32.cpp); these are the system libraries they need.
target_link_libraries(qm_platform PUBLIC "${QM_DELAY_WINMM}" delayimp gdi32)

# The frame runs once per window message, where its size counts and its speed does not.
set_source_files_properties(ui/window_frame_win32.cpp PROPERTIES COMPILE_OPTIONS -Os)
target_link_libraries(qm_ui PUBLIC "${QM_DELAY_COMCTL32}" "${QM_DELAY_COMDLG32}" "${QM_DELAY_GDIPLUS}"
                                   delayimp ole32 shell32 user32 gdi32)

# Configures a program's resources into the build folder: its .rc from RC_IN, the shared
# version information and logo, and a manifest naming the program. Sets OUT_VAR to the .rc.
# The manifest names the newer common controls unless a fourth argument RUN_TIME_CONTROLS
# says that the program turns them on itself (from ui/common_controls.manifest).
function(qm_program_resources name rc_in out_var)
  set(QM_RC_PROGRAM "${name}")
  if(ARGV3 STREQUAL "RUN_TIME_CONTROLS")
    set(QM_RC_CONTROLS "")
  else()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 "${CMAKE_SOURCE_DIR}/ui/common_controls.manifest")
    file(READ "${CMAKE_SOURCE_DIR}/ui/common_controls.manifest" controls)
    string(REGEX MATCH "  <dependency>.*</dependency>\n" QM_RC_CONTROLS "${controls}")
  endif()
  string(TOLOWER "${name}" lower)
  set(QM_RC_MANIFEST "${CMAKE_BINARY_DIR}/generated/${lower}.manifest")
  set(QM_RC_COMMON "${lower}_common.rc")
  configure_file("${CMAKE_SOURCE_DIR}/ui/app.manifest.in" "${QM_RC_MANIFEST}" @ONLY)
  configure_file("${CMAKE_SOURCE_DIR}/ui/common.rc.in"
                 "${CMAKE_BINARY_DIR}/generated/${QM_RC_COMMON}" @ONLY)
  configure_file("${rc_in}" "${CMAKE_BINARY_DIR}/generated/${lower}.rc" @ONLY)
  set(${out_var} "${CMAKE_BINARY_DIR}/generated/${lower}.rc" PARENT_SCOPE)
endfunction()

# Resources compile in a library of their own: the compiler warnings that our C++ targets
# pass on would reach the resource compiler, which knows none of them.
function(qm_resource_objects target rc_file)
  add_library(${target} OBJECT "${rc_file}")
  target_include_directories(${target} PRIVATE "${CMAKE_SOURCE_DIR}"
                                               "${CMAKE_BINARY_DIR}/generated")
  set_source_files_properties("${rc_file}" PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/ui/logo.png;${CMAKE_SOURCE_DIR}/ui/resource_ids.h")
endfunction()

# Mantello turns the newer common controls on at run time, so that it can leave them out
# under Wine (see ui/controls_context_win32.h).
qm_program_resources(Mantello "${CMAKE_SOURCE_DIR}/mantello/mantello.rc.in" QM_MANTELLO_RC
                     RUN_TIME_CONTROLS)
qm_resource_objects(mantello_resources "${QM_MANTELLO_RC}")
set_property(SOURCE "${QM_MANTELLO_RC}" APPEND PROPERTY OBJECT_DEPENDS
             "${CMAKE_SOURCE_DIR}/mantello/mantello.ico;${CMAKE_SOURCE_DIR}/ui/common_controls.manifest")

# Mantello.exe: its layer (qm_mantello, which the Wine tests link too) plus its entry point.
if(EXISTS "${CMAKE_SOURCE_DIR}/mantello/mantello_main_win32.cpp")
  add_executable(Mantello WIN32 mantello/mantello_main_win32.cpp
                 $<TARGET_OBJECTS:mantello_resources>)
  target_link_libraries(Mantello PRIVATE qm_mantello)
  # Shipped without a symbol table, as the release package strips it.
  target_link_options(Mantello PRIVATE -municode $<$<CONFIG:Release>:-s>)
  # The help pages go beside the program, where FindHelpFile looks for them.
  add_custom_command(TARGET Mantello POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "${CMAKE_SOURCE_DIR}/help"
            "$<TARGET_FILE_DIR:Mantello>/hilfe")
  # The pictures of the two hints, which the program shows when they lie beside it.
  add_custom_command(TARGET Mantello POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_SOURCE_DIR}/mantello/hints/SID1.jpg"
            "${CMAKE_SOURCE_DIR}/mantello/hints/SID2.jpg" "$<TARGET_FILE_DIR:Mantello>")
endif()

# Quillet.exe: its layers (which the Wine tests link too, to make the real main window
# in-process) plus its entry point.
qm_program_resources(Quillet "${CMAKE_SOURCE_DIR}/quillet/app/quillet.rc.in" QM_QUILLET_RC)
qm_resource_objects(quillet_resources "${QM_QUILLET_RC}")
set_property(SOURCE "${QM_QUILLET_RC}" APPEND PROPERTY OBJECT_DEPENDS
             "${CMAKE_SOURCE_DIR}/quillet/app/quillet.ico")
target_link_libraries(qm_quillet_app PUBLIC "${QM_DELAY_COMCTL32}" delayimp)
# quillet-yaml.dll: the reader of espanso's files with the YAML library, which Quillet.exe
# loads from beside itself at the first such import. Plain C at its edge, its own runtime inside.
add_library(quillet-yaml SHARED transfer/espanso_library_win32.cpp)
set_target_properties(quillet-yaml PROPERTIES PREFIX "")
target_link_libraries(quillet-yaml PRIVATE qm_yaml_formats)
target_link_options(quillet-yaml PRIVATE -static -static-libgcc -static-libstdc++
                    $<$<CONFIG:Release>:-s>)
add_executable(Quillet WIN32 quillet/app/quillet_main_win32.cpp $<TARGET_OBJECTS:quillet_resources>)
add_dependencies(Quillet quillet-yaml)
target_link_libraries(Quillet PRIVATE qm_quillet_app)
target_link_options(Quillet PRIVATE -municode $<$<CONFIG:Release>:-s>)
# The sample library goes beside the program, where the first start copies it, with the file
# its file placeholder names, and the help pages that both programs share.
add_custom_command(TARGET Quillet POST_BUILD
  COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_SOURCE_DIR}/samples/sample.ini"
          "${CMAKE_SOURCE_DIR}/samples/signatur.txt" "$<TARGET_FILE_DIR:Quillet>"
  COMMAND "${CMAKE_COMMAND}" -E copy_directory "${CMAKE_SOURCE_DIR}/help"
          "$<TARGET_FILE_DIR:Quillet>/hilfe")
