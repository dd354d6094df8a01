# collinear.exe's Windows resources: its icon and version information.
enable_language(RC)
set(COLLINEAR_ICON ${CMAKE_CURRENT_LIST_DIR}/collinear.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/collinear.rc.in ${CMAKE_CURRENT_BINARY_DIR}/collinear.rc @ONLY)
target_sources(collinear PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/collinear.rc)
