# The Windows program with its own windows (native Win32 dialogs over the
# presenters), its resources and its installer.
# (qm_win32gui is made as every layer is, from src/layers.txt.)
# The wide forms of the Win32 calls and of the controls' messages.
target_compile_definitions(qm_win32gui PRIVATE UNICODE _UNICODE)
target_link_libraries(qm_win32gui PUBLIC comctl32 comdlg32 uxtheme gdi32 shell32 ole32)

# The icon, drawn from the program's SVG, and the version.
set(QM_WIN32_RESOURCES ${CMAKE_BINARY_DIR}/win32gui)
file(MAKE_DIRECTORY ${QM_WIN32_RESOURCES})
configure_file(${CMAKE_SOURCE_DIR}/src/win32gui/Version.h.in ${QM_WIN32_RESOURCES}/Version.h @ONLY)
add_custom_command(OUTPUT ${QM_WIN32_RESOURCES}/quillmark.ico
  COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/windows-icon.sh ${CMAKE_SOURCE_DIR}/data/quillmark.svg
          ${QM_WIN32_RESOURCES}/quillmark.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/data/quillmark.svg ${CMAKE_SOURCE_DIR}/cmake/windows-icon.sh
  COMMENT "Drawing the Windows icon")
add_custom_target(qm_windows_icon DEPENDS ${QM_WIN32_RESOURCES}/quillmark.ico)

# The windows' resources, linked into every program that opens them (the
# program, its tests, the screenshots).
set(QM_RC ${CMAKE_SOURCE_DIR}/src/win32gui/Quillmark.rc)
set_source_files_properties(${QM_RC} PROPERTIES OBJECT_DEPENDS
  "${QM_WIN32_RESOURCES}/quillmark.ico;${CMAKE_SOURCE_DIR}/src/win32gui/quillmark.manifest;${CMAKE_SOURCE_DIR}/src/win32gui/Resources.h;${QM_WIN32_RESOURCES}/Version.h")
add_library(qm_win32gui_resources OBJECT ${QM_RC})
add_dependencies(qm_win32gui_resources qm_windows_icon)
target_include_directories(qm_win32gui_resources PRIVATE ${QM_WIN32_RESOURCES} ${CMAKE_SOURCE_DIR}/src/win32gui)

# A windows program (no console window), whose console forms write to the
# handles or the console they are started with.
add_executable(quillmark WIN32 ${CMAKE_SOURCE_DIR}/src/main/main.cpp $<TARGET_OBJECTS:qm_win32gui_resources>)
target_link_libraries(quillmark PRIVATE qm_win32gui qm_cli)
target_compile_definitions(quillmark PRIVATE QM_WITH_WIN32_WINDOWS)

# Pictures of the windows (tools/screenshots-windows).
add_executable(quillmark-screenshots WIN32 ${CMAKE_SOURCE_DIR}/tools/win32gui/quillmark-screenshots.cpp
                                     $<TARGET_OBJECTS:qm_win32gui_resources>)
target_link_libraries(quillmark-screenshots PRIVATE qm_win32gui qm_sample)

# The help page beside the program, as it is installed.
file(COPY ${CMAKE_SOURCE_DIR}/data/help DESTINATION ${CMAKE_BINARY_DIR})

# quillmark-setup.exe beside quillmark.exe: the program without its
# debugging data, the help page, a Start-menu entry and an uninstaller.
find_program(QM_MAKENSIS makensis)
find_program(QM_MINGW_STRIP ${QM_MINGW_TRIPLET}-strip)
if(QM_MAKENSIS AND QM_MINGW_STRIP)
  file(GLOB_RECURSE help_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/help/*)
  set(QM_SETUP_DIR ${CMAKE_BINARY_DIR}/setup)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/quillmark-setup.exe
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${QM_SETUP_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_SETUP_DIR}
    COMMAND ${QM_MINGW_STRIP} -o ${QM_SETUP_DIR}/quillmark.exe $<TARGET_FILE:quillmark>
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/help ${QM_SETUP_DIR}/help
    COMMAND ${QM_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${QM_SETUP_DIR}
            -DICON=${QM_WIN32_RESOURCES}/quillmark.ico -DOUTFILE=${CMAKE_BINARY_DIR}/quillmark-setup.exe
            ${CMAKE_SOURCE_DIR}/cmake/quillmark-setup.nsi
    DEPENDS quillmark ${CMAKE_SOURCE_DIR}/cmake/quillmark-setup.nsi ${help_files}
            ${QM_WIN32_RESOURCES}/quillmark.ico
    COMMENT "Making the installer quillmark-setup.exe")
  add_custom_target(installer ALL DEPENDS ${CMAKE_BINARY_DIR}/quillmark-setup.exe)
else()
  message(STATUS "makensis not found: no installer (tools/build-windows installs nsis)")
endif()
