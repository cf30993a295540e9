# The Windows build's tests. They run under Wine (the toolchain's emulator)
# in a prefix of their own that the first test makes and the last removes.
enable_testing()
find_package(GTest REQUIRED)

set(QM_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine-test-prefix)
# A locale that makes Wine's ANSI code page Windows-1252, the one the tests'
# bytes are written in (the Linux build's default too).
set(QM_WINE_ENV "WINEPREFIX=${QM_TEST_PREFIX};WINEDEBUG=-all;LANG=C.UTF-8;LC_ALL=C.UTF-8")

add_library(qm_testsupport STATIC
  ${CMAKE_SOURCE_DIR}/tests/support/TempDir.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/SampleFixture.cpp
  ${CMAKE_SOURCE_DIR}/tests/fakes/FakeView.cpp
  ${CMAKE_SOURCE_DIR}/tests/win32/support/HostDrive.cpp)
target_include_directories(qm_testsupport PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(qm_testsupport PUBLIC qm_runs qm_options qm_platform_memory qm_sample GTest::gtest)
target_compile_definitions(qm_testsupport PUBLIC
  QM_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QM_BINARY_DIR="${CMAKE_BINARY_DIR}")

add_test(NAME wine_prefix_setup
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/wine-prefix.sh setup ${QM_TEST_PREFIX})
add_test(NAME wine_prefix_cleanup
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/wine-prefix.sh cleanup ${QM_TEST_PREFIX})
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix TIMEOUT 60)

# One executable per suite, one CTest test each: every test start under
# Wine costs a process start.
function(qm_windows_suite name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE qm_testsupport GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${QM_WINE_ENV}"
                       FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
endfunction()

# The Win32 platform, and the registry layer's contract that the Linux
# build's Wine-file backend passes too.
file(GLOB win32_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp
                                       ${CMAKE_SOURCE_DIR}/tests/contract/*.cpp)
# The code pages from Windows' own tables, held to what iconv gives Linux;
# BCrypt's primitives against published answers, and the protected entries
# made with them against libzip's own.
list(APPEND win32_srcs ${CMAKE_SOURCE_DIR}/tests/platform/CodePage_test.cpp
                       ${CMAKE_SOURCE_DIR}/tests/platform/Crypto_test.cpp
                       ${CMAKE_SOURCE_DIR}/tests/archive/AesFormatCases.cpp)
qm_windows_suite(test_win32 ${win32_srcs})

# The layers above over installations held in memory, as on Linux; left out
# are the tests that need POSIX (fork, FIFOs, permissions as another user) or
# make Wine prefixes and start the Linux program in them (the console tests
# below do that for this build).
file(GLOB app_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/app/*.cpp)
qm_windows_suite(test_app ${app_srcs})
qm_windows_suite(test_jobs
  ${CMAKE_SOURCE_DIR}/tests/jobs/ItemsFixture.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/ItemsEdge_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/ItemsRoundTrip_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/ProfileAccounts_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/ModernOutlook_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/RestoreTransaction_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/Requests_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/AutomaticArguments_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/jobs/ScheduleTimes_test.cpp)
qm_windows_suite(test_runs
  ${CMAKE_SOURCE_DIR}/tests/app/AppFixture.cpp
  ${CMAKE_SOURCE_DIR}/tests/runs/RunsFixture.cpp
  ${CMAKE_SOURCE_DIR}/tests/runs/MainWindowHandlers_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/runs/Environment_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/runs/BackupRun_test.cpp)

# The console program on a sample installation made in a Wine prefix of its
# own through the Win32 services, and the archives it makes compared with
# those of the Linux build (QM_LINUX_BUILD, when it holds a quillmark).
add_executable(make-sample-here ${CMAKE_SOURCE_DIR}/tests/win32/tools/make-sample-here.cpp)
target_link_libraries(make-sample-here PRIVATE qm_platform qm_sample)
set(QM_LINUX_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "The Linux build whose archives are compared")
foreach(mode unattended across modern)
  add_test(NAME console_${mode}
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/console-under-wine.sh ${mode}
                   $<TARGET_FILE:quillmark> $<TARGET_FILE:make-sample-here> ${QM_LINUX_BUILD})
  set_tests_properties(console_${mode} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
endforeach()

# The native windows, opened modeless and driven through their controls on
# a virtual display: over installations in memory, and over a sample made
# through the Win32 services in a prefix of their own.
if(TARGET qm_win32gui)
  add_library(qm_window_driver STATIC ${CMAKE_SOURCE_DIR}/tests/win32gui/support/WindowDriver.cpp)
  target_include_directories(qm_window_driver PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(qm_window_driver PRIVATE UNICODE _UNICODE)
  file(GLOB win32gui_test_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32gui/*.cpp)
  add_executable(test_win32gui ${win32gui_test_srcs} ${CMAKE_SOURCE_DIR}/tests/win32/Win32Fixture.cpp
                               $<TARGET_OBJECTS:qm_win32gui_resources>)
  target_link_libraries(test_win32gui PRIVATE qm_win32gui qm_window_driver qm_testsupport GTest::gtest_main)
  add_dependencies(test_win32gui quillmark)
  # A prefix of their own: they make an Outlook installation in it, which
  # the Win32 platform's tests must not find.
  set(QM_GUI_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine-gui-test-prefix)
  add_test(NAME wine_gui_prefix_setup
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/wine-prefix.sh setup ${QM_GUI_TEST_PREFIX})
  add_test(NAME wine_gui_prefix_cleanup
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/wine-prefix.sh cleanup ${QM_GUI_TEST_PREFIX})
  set_tests_properties(wine_gui_prefix_setup PROPERTIES FIXTURES_SETUP wine_gui_prefix TIMEOUT 300)
  set_tests_properties(wine_gui_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_gui_prefix TIMEOUT 60)
  add_test(NAME test_win32gui
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32gui/under-xvfb.sh ${QM_WINE} $<TARGET_FILE:test_win32gui>
                   --gtest_brief=1)
  set_tests_properties(test_win32gui PROPERTIES
                       ENVIRONMENT "WINEPREFIX=${QM_GUI_TEST_PREFIX};WINEDEBUG=-all;LANG=C.UTF-8;LC_ALL=C.UTF-8"
                       FIXTURES_REQUIRED wine_gui_prefix TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()

# The whole runs: the installer into a throw-away prefix, then the installed
# program; and backups made through the Windows main window restored by the
# Linux console, and the other way round (skipped without a Linux build).
if(TARGET qm_win32gui)
  add_executable(drive-main-window ${CMAKE_SOURCE_DIR}/tests/win32gui/tools/drive-main-window.cpp
                                   $<TARGET_OBJECTS:qm_win32gui_resources>)
  target_link_libraries(drive-main-window PRIVATE qm_win32gui qm_window_driver)
  if(TARGET installer)
    add_test(NAME installer_under_wine
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32gui/installer-under-wine.sh
                     ${CMAKE_BINARY_DIR}/quillmark-setup.exe)
    set_tests_properties(installer_under_wine PROPERTIES TIMEOUT 600)
  endif()
  add_test(NAME windows_across
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32gui/window-across.sh $<TARGET_FILE:drive-main-window>
                   $<TARGET_FILE:make-sample-here> ${QM_LINUX_BUILD})
  set_tests_properties(windows_across PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
