# The browser build: the design's font and Qt's Bulgarian translation are
# inside the program, as a page has neither. The page around it is
# packaging/web/collinear.html, put in place by deploy.sh.
qt_add_resources(collinear collinear_web_files
    PREFIX /
    BASE /usr/share
    FILES
        /usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf
        /usr/share/qt6/translations/qtbase_bg.qm)
set_source_files_properties(/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf
    PROPERTIES QT_RESOURCE_ALIAS fonts/LiberationSerif-Regular.ttf)
set_source_files_properties(/usr/share/qt6/translations/qtbase_bg.qm
    PROPERTIES QT_RESOURCE_ALIAS translations/qtbase_bg.qm)
