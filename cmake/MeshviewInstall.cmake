# The program's data folder, installation and the Debian package.
#
# The data folder (the wall, the bitmap font, the shipped effects and the
# demo, see base/program_data.h) is written by the demo generator into
# BUILD/data, where programs run from the build tree find it, and installed
# as PREFIX/share/meshview beside PREFIX/bin.
file(GLOB meshview_effect_files CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/demo/effect/*.fx ${CMAKE_SOURCE_DIR}/demo/effect/*.fxh)
set(meshview_data_dir ${CMAKE_BINARY_DIR}/data)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/data.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${meshview_data_dir}
  COMMAND make_demo ${meshview_data_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/data.stamp
  DEPENDS make_demo ${meshview_effect_files}
  COMMENT "Writing the program's data folder ${meshview_data_dir}"
  VERBATIM)
add_custom_target(meshview_data ALL DEPENDS ${CMAKE_BINARY_DIR}/data.stamp)
if(TARGET test_base)
  add_dependencies(test_base meshview_data)
endif()

include(GNUInstallDirs)
foreach(program meshview meshconv meshinfo)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# base/program_data.h looks for share/meshview beside bin/.
install(DIRECTORY ${meshview_data_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/meshview)

set(CPACK_PACKAGE_NAME meshview)
set(CPACK_PACKAGE_VENDOR "meshview")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer and converter for skinned models with HLSL effects")
if(PROJECT_VERSION)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
else()
  set(CPACK_PACKAGE_VERSION 0.1.0)
endif()
set(CPACK_PACKAGE_CONTACT "meshview developers <meshview@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The shared libraries the programs link (SDL2, GL, assimp, ...) become the
# package's Depends through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debug information stays in the build tree.
set(CPACK_STRIP_FILES ON)
include(CPack)
