# The browser build: the design's font and Qt's Bulgarian translation are
# inside the program, as a page has neither. The page around it is
# packaging/web/collinear.html, put in place by deploy.sh.
set(design_font /usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf)
set(qt_translation /usr/share/qt6/translations/qtbase_bg.qm)
# Their names inside must be set before the resources are made.
set_source_files_properties(${design_font} PROPERTIES QT_RESOURCE_ALIAS fonts/LiberationSerif-Regular.ttf)
set_source_files_properties(${qt_translation} PROPERTIES QT_RESOURCE_ALIAS translations/qtbase_bg.qm)
qt_add_resources(collinear collinear_web_files PREFIX / FILES ${design_font} ${qt_translation})
