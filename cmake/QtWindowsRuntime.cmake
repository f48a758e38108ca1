# The target qt_runtime: the Qt for MinGW runtime beside the programs in bin/, laid out
# as Qt looks for it beside a program. Qt's DLLs and the compiler's runtime they were
# built with, the platform plugins (qwindows for a screen, qoffscreen for the tests
# without one), the Windows style, and Qt's own Traditional Chinese texts from Debian's
# qt6-translations-l10n. bin/ then runs under Wine as it is, and the Windows zip and
# installer take their files from there.
set(_rilo_runtime)
# _rilo_beside(FILE [FOLDER]): FILE is copied into bin/, or into its FOLDER.
function(_rilo_beside from)
  set(folder ${CMAKE_BINARY_DIR}/bin/${ARGN})
  get_filename_component(name ${from} NAME)
  add_custom_command(OUTPUT ${folder}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${from} ${folder}/${name}
    DEPENDS ${from} VERBATIM)
  set(_rilo_runtime ${_rilo_runtime} ${folder}/${name} PARENT_SCOPE)
endfunction()

foreach(module Core Gui Widgets PrintSupport)
  get_target_property(_dll Qt6::${module} LOCATION)
  _rilo_beside(${_dll})
endforeach()
get_filename_component(_sdk_bin ${_dll} DIRECTORY)
foreach(_dll libstdc++-6 libgcc_s_seh-1 libwinpthread-1)
  _rilo_beside(${_sdk_bin}/${_dll}.dll)
endforeach()
foreach(_plugin QWindowsIntegrationPlugin QOffscreenIntegrationPlugin)
  get_target_property(_dll Qt6::${_plugin} LOCATION)
  _rilo_beside(${_dll} platforms)
endforeach()
get_target_property(_dll Qt6::QWindowsVistaStylePlugin LOCATION)
_rilo_beside(${_dll} styles)
find_file(RILO_QT_ZH_TW qtbase_zh_TW.qm PATHS /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
_rilo_beside(${RILO_QT_ZH_TW} translations)

add_custom_target(qt_runtime DEPENDS ${_rilo_runtime})
