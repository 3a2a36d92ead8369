# The release package: one ZIP with both deliverables, both menu files and the user README.
install(TARGETS menu-launcher-64 menu-launcher-32 RUNTIME DESTINATION .)
install(FILES
  ${CMAKE_SOURCE_DIR}/menu/Morlavent_64.mns
  ${CMAKE_SOURCE_DIR}/menu/Morlavent_32.mns
  ${CMAKE_SOURCE_DIR}/package/README.txt
  DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "morlavent-menu-launcher")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "morlavent-menu-launcher-${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
